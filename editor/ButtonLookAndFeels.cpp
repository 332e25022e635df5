#include "ButtonLookAndFeels.h"

namespace
{
    constexpr float largeCornerRadius = 8.0f;
}

LargeButtonLookAndFeel::~LargeButtonLookAndFeel() = default;

void LargeButtonLookAndFeel::drawButtonBackground (juce::Graphics& g, juce::Button& button, const juce::Colour&,
                                                   bool, bool shouldDrawButtonAsDown)
{
    const auto bounds = button.getLocalBounds().toFloat();

    if (shouldDrawButtonAsDown)
    {
        g.setColour (juce::Colour (0xFF232323));
        g.fillRoundedRectangle (bounds, largeCornerRadius);
    }
    else
    {
        g.setColour (juce::Colour (0x33000000));
        g.fillRoundedRectangle (bounds.translated (0.0f, 2.0f), largeCornerRadius);

        g.setColour (juce::Colour (button.isMouseOver() ? 0xFF454545 : 0xFF2A2A2A));
        g.fillRoundedRectangle (bounds, largeCornerRadius);
    }

    g.setColour (juce::Colour (0x1AFFFFFF));
    g.drawRoundedRectangle (bounds.reduced (0.5f), largeCornerRadius, 0.5f);
}

juce::Font LargeButtonLookAndFeel::getTextButtonFont (juce::TextButton&, int)
{
    return juce::Font (17.0f, juce::Font::plain);
}

void LargeButtonLookAndFeel::drawButtonText (juce::Graphics& g, juce::TextButton& button, bool, bool)
{
    g.setFont (getTextButtonFont (button, button.getHeight()));

    auto colour = button.findColour (button.getToggleState() ? juce::TextButton::textColourOnId
                                                             : juce::TextButton::textColourOffId);

    if (! button.isEnabled())
        colour = colour.withMultipliedAlpha (0.5f);

    g.setColour (colour);
    g.drawText (button.getButtonText(), button.getLocalBounds(), juce::Justification::centred, false);
}

PresetNavButtonLookAndFeel::~PresetNavButtonLookAndFeel() = default;

juce::Font PresetNavButtonLookAndFeel::getTextButtonFont (juce::TextButton&, int)
{
    return juce::Font (19.0f, juce::Font::plain);
}

ABButtonLookAndFeel::~ABButtonLookAndFeel() = default;

juce::Font ABButtonLookAndFeel::getTextButtonFont (juce::TextButton&, int)
{
    return juce::Font (19.0f, juce::Font::plain);
}

BypassButtonLookAndFeel::~BypassButtonLookAndFeel() = default;

void BypassButtonLookAndFeel::drawButtonBackground (juce::Graphics& g, juce::Button& button, const juce::Colour&,
                                                    bool, bool)
{
    g.setColour (juce::Colour (0x80FFFFFF));
    g.drawRoundedRectangle (button.getLocalBounds().toFloat().reduced (0.5f), 4.0f, 1.0f);
}

juce::Font BypassButtonLookAndFeel::getTextButtonFont (juce::TextButton&, int)
{
    return juce::Font (15.4f, juce::Font::bold);
}

InfoButtonLookAndFeel::~InfoButtonLookAndFeel() = default;

void InfoButtonLookAndFeel::drawButtonBackground (juce::Graphics& g, juce::Button& button, const juce::Colour&,
                                                  bool, bool)
{
    const auto area = button.getLocalBounds().toFloat().reduced (2.0f);

    auto alpha = button.getToggleState() ? 0.8f : 0.35f;

    if (button.isMouseOver())
        alpha = juce::jmin (1.0f, alpha + 0.2f);

    g.setColour (juce::Colours::white.withAlpha (alpha));
    g.drawEllipse (area, 1.5f);

    g.setFont (juce::Font (area.getHeight() * 0.6f, juce::Font::bold));
    g.drawText ("i", area, juce::Justification::centred, true);
}

void InfoButtonLookAndFeel::drawButtonText (juce::Graphics&, juce::TextButton&, bool, bool)
{
}
