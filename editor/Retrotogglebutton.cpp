#include "Retrotogglebutton.h"

Retrotogglebutton::Retrotogglebutton (const juce::String& buttonName)
    : juce::ToggleButton (buttonName)
{
}

Retrotogglebutton::~Retrotogglebutton() = default;

void Retrotogglebutton::paintButton (juce::Graphics& g, bool, bool)
{
    const auto stateHeight = picture.getHeight() / 2;
    const auto width = picture.getWidth();

    g.drawImage (picture, 0, 0, width, stateHeight, 0, getToggleState() ? stateHeight : 0, width, stateHeight);
}
