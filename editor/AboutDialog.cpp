#include "AboutDialog.h"

#include <BinaryData.h>

namespace
{
    juce::Font spacedBoldFont (float height, float extraKerning)
    {
        juce::Font font (height, juce::Font::bold);
        font.setExtraKerningFactor (extraKerning);
        return font;
    }

    struct AboutRow
    {
        const char* label;
        const char* value;
    };

    constexpr AboutRow aboutRows[] = {
        { "Plugin", "Vastrel V3" },
        { "Version", "1.0" },
        { "DSP & Code", "Elin Varga" },
        { "GUI", "Tomas Reid" },
    };
}

//==============================================================================
AboutDialog::WebsiteLink::WebsiteLink()
{
    setMouseCursor (juce::MouseCursor::PointingHandCursor);
}

AboutDialog::WebsiteLink::~WebsiteLink() = default;

void AboutDialog::WebsiteLink::mouseEnter (const juce::MouseEvent&)  { repaint(); }
void AboutDialog::WebsiteLink::mouseExit (const juce::MouseEvent&)   { repaint(); }

void AboutDialog::WebsiteLink::mouseDown (const juce::MouseEvent&)
{
    if (openInBrowser)
        openInBrowser (juce::URL (websiteAddress));
}

void AboutDialog::WebsiteLink::paint (juce::Graphics& g)
{
    g.setFont (spacedBoldFont (12.0f, 0.08f));
    g.setColour (isMouseOver() ? accentColour : accentColour.withAlpha ((juce::uint8) 0xb2));
    g.drawText (websiteText, getLocalBounds(), juce::Justification::centred, true);
}

//==============================================================================
AboutDialog::AboutDialog()
    : logoImage (juce::ImageFileFormat::loadFrom (BinaryData::logo_png, (size_t) BinaryData::logo_pngSize)),
      buildText ("Intel")
{
    setAlwaysOnTop (true);
    setWantsKeyboardFocus (true);
    addAndMakeVisible (websiteLink);
}

AboutDialog::~AboutDialog()
{
    if (auto* window = watchedWindow.getComponent())
        window->removeKeyListener (&windowKeys);
}

juce::Rectangle<float> AboutDialog::getCloseBox() const
{
    auto bounds = getLocalBounds().toFloat();
    auto topStrip = bounds.removeFromTop (juce::jmin (bounds.getHeight(), 45.0f));
    return topStrip.removeFromRight (juce::jmin (topStrip.getWidth(), 45.0f)).reduced (12.0f);
}

void AboutDialog::close()
{
    setVisible (false);

    if (onClose)
        onClose();
}

void AboutDialog::mouseMove (const juce::MouseEvent& event)
{
    const auto hovered = getCloseBox().contains (event.position);

    if (hovered != closeHovered)
    {
        closeHovered = hovered;
        repaint();
    }
}

void AboutDialog::mouseDown (const juce::MouseEvent& event)
{
    if (getCloseBox().contains (event.position))
        close();
}

// Escape must reach the panel without a click on it first.
void AboutDialog::visibilityChanged()
{
    watchWindowKeys();

    if (isVisible())
        grabKeyboardFocus();
}

void AboutDialog::parentHierarchyChanged()
{
    watchWindowKeys();

    if (isVisible())
        grabKeyboardFocus();
}

// With the focus in the host's window, the server still sends the keys to the window under the
// pointer, where the framework hands them to the window's top component.
void AboutDialog::watchWindowKeys()
{
    auto* window = isVisible() ? getTopLevelComponent() : nullptr;

    if (window == this)
        window = nullptr;

    if (window == watchedWindow.getComponent())
        return;

    if (auto* previous = watchedWindow.getComponent())
        previous->removeKeyListener (&windowKeys);

    watchedWindow = window;

    if (window != nullptr)
        window->addKeyListener (&windowKeys);
}

bool AboutDialog::keyPressed (const juce::KeyPress& key)
{
    if (key != juce::KeyPress::escapeKey)
        return false;

    close();
    return true;
}

void AboutDialog::resized()
{
    auto footer = getLocalBounds().toFloat();
    footer = footer.removeFromBottom (juce::jmin (footer.getHeight(), 40.0f)).reduced (20.0f, 8.0f);
    websiteLink.setBounds (footer.toNearestInt());
}

void AboutDialog::paint (juce::Graphics& g)
{
    const auto bounds = getLocalBounds().toFloat();
    const auto w = bounds.getWidth(), h = bounds.getHeight();

    g.fillAll (juce::Colour (0xff1a1a1a));

    {
        juce::Graphics::ScopedSaveState clipped (g);
        juce::Path rounded;
        rounded.addRoundedRectangle (bounds, 12.0f);
        g.reduceClipRegion (rounded);

        const auto wash = juce::Colour::fromHSV (accentColour.getHue(), accentColour.getSaturation() * 0.4f, 0.5f, 1.0f);

        struct Glow { float x, y, radius; juce::uint8 alpha; };

        for (const auto& glow : { Glow { 0.2f, 0.15f, 140.0f, 0x1f }, Glow { 0.8f, 0.3f, 120.0f, 0x1a }, Glow { 0.5f, 0.8f, 150.0f, 0x1a } })
        {
            const juce::Point<float> centre (glow.x * w, glow.y * h);
            g.setGradientFill (juce::ColourGradient (wash.withAlpha (glow.alpha), centre,
                                                     wash.withAlpha ((juce::uint8) 0), centre.translated (glow.radius, 0.0f), true));
            g.fillRect (bounds);
        }
    }

    g.setColour (accentColour);
    g.drawRoundedRectangle (bounds.reduced (1.0f), 12.0f, 2.0f);

    const auto cross = getCloseBox().getCentre();
    g.setColour (closeHovered ? juce::Colours::white : juce::Colour (0xff888888));
    g.drawLine (cross.x - 7.0f, cross.y - 7.0f, cross.x + 7.0f, cross.y + 7.0f, 2.0f);
    g.drawLine (cross.x + 7.0f, cross.y - 7.0f, cross.x - 7.0f, cross.y + 7.0f, 2.0f);

    if (logoImage.isValid())
    {
        const auto logoWidth = (float) logoImage.getWidth() * 32.0f / (float) logoImage.getHeight();
        g.setOpacity (1.0f);
        g.drawImage (logoImage, (int) ((w - logoWidth) / 2.0f), 22, (int) logoWidth, 32,
                     0, 0, logoImage.getWidth(), logoImage.getHeight());
    }

    g.setColour (accentColour.withAlpha ((juce::uint8) 0x33));
    g.drawLine (25.0f, 64.0f, w - 25.0f, 64.0f, 1.0f);

    const auto labelFont = spacedBoldFont (11.0f, 0.14f);
    const auto valueFont = spacedBoldFont (13.0f, 0.06f);
    auto y = 78;

    for (const auto& row : aboutRows)
    {
        g.setFont (labelFont);
        g.setColour (juce::Colour (0xff888888));
        g.drawText (juce::String (row.label).toUpperCase(), 30, y, 100, 22, juce::Justification::centredLeft, true);

        g.setFont (valueFont);
        g.setColour (juce::Colours::white);
        g.drawText (row.value, 135, y, 200, 22, juce::Justification::centredLeft, true);

        y += 26;
    }

    y += 4;
    g.setFont (labelFont);
    g.setColour (juce::Colour (0xff666666));
    g.drawText ("BUILD: " + buildText.toUpperCase(), 30, y, 250, 22, juce::Justification::centredLeft, true);
}

//==============================================================================
DimmingOverlay::~DimmingOverlay() = default;

void DimmingOverlay::mouseDown (const juce::MouseEvent&)
{
    setVisible (false);
}

void DimmingOverlay::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colours::black.withAlpha ((juce::uint8) 0x80));
}
