#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

/** The about panel: logo, product, version, credits and build, a close box and a link to the
    maker's web site. It sits over the editor in editor pixels, whatever the editor's scale, and
    takes the keyboard focus whenever it shows, so that Escape closes it. A host may take the
    focus back to its own window after the click that opened the panel; Escape that still reaches
    the window holding the panel closes it too.
*/
class AboutDialog final : public juce::Component
{
public:
    /** The footer link; a press opens the maker's web site. */
    class WebsiteLink final : public juce::Component
    {
    public:
        WebsiteLink();
        ~WebsiteLink() override;

        void mouseEnter (const juce::MouseEvent&) override;
        void mouseExit (const juce::MouseEvent&) override;
        void mouseDown (const juce::MouseEvent&) override;
        void paint (juce::Graphics&) override;

        juce::Colour accentColour { 0xff7abec1 };

        /** Opens an address; the system's browser unless a test puts in its own. */
        std::function<void (const juce::URL&)> openInBrowser = [] (const juce::URL& url) { url.launchInDefaultBrowser(); };

    private:
        JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (WebsiteLink)
    };

    AboutDialog();
    ~AboutDialog() override;

    void mouseMove (const juce::MouseEvent&) override;
    void mouseDown (const juce::MouseEvent&) override;
    void visibilityChanged() override;
    void parentHierarchyChanged() override;
    void paint (juce::Graphics&) override;
    bool keyPressed (const juce::KeyPress&) override;
    void resized() override;

    /** The 21 x 21 box of the cross, in the panel's top right corner. */
    juce::Rectangle<float> getCloseBox() const;

    /** Hides the panel, then tells the owner. */
    void close();

    static constexpr const char* websiteAddress = "https://www.brassock.com";
    static constexpr const char* websiteText = "WWW.BRASSOCK.COM";

    std::function<void()> onClose;
    juce::Image logoImage;
    WebsiteLink websiteLink;
    juce::String buildText;
    juce::Colour accentColour { 0xff7abec1 };
    bool closeHovered = false;

private:
    /** Hears the keys that reach the window holding the panel while nothing in it has the focus. */
    class WindowKeys final : public juce::KeyListener
    {
    public:
        explicit WindowKeys (AboutDialog& dialog) : owner (dialog) {}

        bool keyPressed (const juce::KeyPress& key, juce::Component*) override  { return owner.keyPressed (key); }

    private:
        AboutDialog& owner;
    };

    /** Listens to the keys of the window holding the panel while the panel shows, and only then. */
    void watchWindowKeys();

    WindowKeys windowKeys { *this };
    juce::Component::SafePointer<juce::Component> watchedWindow;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AboutDialog)
};

/** The half-dark veil behind the about panel; a press on it takes the veil away and nothing else. */
class DimmingOverlay final : public juce::Component
{
public:
    DimmingOverlay() = default;
    ~DimmingOverlay() override;

    void mouseDown (const juce::MouseEvent&) override;
    void paint (juce::Graphics&) override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DimmingOverlay)
};
