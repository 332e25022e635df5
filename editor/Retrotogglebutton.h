#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** A switch drawn from a two-state picture: the upper half while off, the lower half while on,
    unscaled at the top left corner. Hover and press do not change the picture.
*/
class Retrotogglebutton : public juce::ToggleButton
{
public:
    explicit Retrotogglebutton (const juce::String& buttonName);
    ~Retrotogglebutton() override;

    void paintButton (juce::Graphics&, bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;

    juce::Image picture;
};
