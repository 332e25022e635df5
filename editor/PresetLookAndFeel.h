#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The oversampling box and its popup menu: black, with white text in the embedded display
    font; the highlighted item is a grey band, every other item antique white.
*/
class PresetLookAndFeel : public juce::LookAndFeel_V4
{
public:
    PresetLookAndFeel();
    ~PresetLookAndFeel() override;

    void drawPopupMenuBackground (juce::Graphics&, int width, int height) override;
    void drawPopupMenuItem (juce::Graphics&, const juce::Rectangle<int>& area,
                            bool isSeparator, bool isActive, bool isHighlighted, bool isTicked, bool hasSubMenu,
                            const juce::String& text, const juce::String& shortcutKeyText,
                            const juce::Drawable* icon, const juce::Colour* textColour) override;
    juce::Font getComboBoxFont (juce::ComboBox&) override;

    /** Corner radius of the menu's fills. */
    float cornerSize = 0.0f;

private:
    /** A font of the embedded display typeface at the default height, made anew at each call. */
    static juce::Font createMenuFont();
};
