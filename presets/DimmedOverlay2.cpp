#include "DimmedOverlay2.h"

void DimmedOverlay2::mouseDown (const juce::MouseEvent&)
{
    if (onClick)
        onClick();
}

void DimmedOverlay2::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colours::black.withAlpha (alpha));
}
