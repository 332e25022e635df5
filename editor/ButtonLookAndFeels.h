#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Dark rounded text buttons of the preset bar. The body shows rest, hover and press on its own;
    the colour a button carries is not used.
*/
class LargeButtonLookAndFeel : public juce::LookAndFeel_V4
{
public:
    ~LargeButtonLookAndFeel() override;

    void drawButtonBackground (juce::Graphics&, juce::Button&, const juce::Colour& backgroundColour,
                               bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;
    juce::Font getTextButtonFont (juce::TextButton&, int buttonHeight) override;
    void drawButtonText (juce::Graphics&, juce::TextButton&,
                         bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;
};

/** The previous and next preset buttons: the large button with a larger font. */
class PresetNavButtonLookAndFeel : public LargeButtonLookAndFeel
{
public:
    ~PresetNavButtonLookAndFeel() override;

    juce::Font getTextButtonFont (juce::TextButton&, int buttonHeight) override;
};

/** The A and B compare buttons: the large button with a larger font. */
class ABButtonLookAndFeel : public LargeButtonLookAndFeel
{
public:
    ~ABButtonLookAndFeel() override;

    juce::Font getTextButtonFont (juce::TextButton&, int buttonHeight) override;
};

/** The BYPASS button: a thin outline around bold text, the same in every state. */
class BypassButtonLookAndFeel : public LargeButtonLookAndFeel
{
public:
    ~BypassButtonLookAndFeel() override;

    void drawButtonBackground (juce::Graphics&, juce::Button&, const juce::Colour& backgroundColour,
                               bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;
    juce::Font getTextButtonFont (juce::TextButton&, int buttonHeight) override;
};

/** The round "i" of the tooltip switch, brighter when on and when hovered. */
class InfoButtonLookAndFeel : public juce::LookAndFeel_V4
{
public:
    ~InfoButtonLookAndFeel() override;

    void drawButtonBackground (juce::Graphics&, juce::Button&, const juce::Colour& backgroundColour,
                               bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;
    void drawButtonText (juce::Graphics&, juce::TextButton&,
                         bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;
};
