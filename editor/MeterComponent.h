#pragma once

#include "FilmStripComponent.h"
#include "engine/PluginProcessor.h"

/** The stereo level ring: the left half follows one channel's level, the right half the other's. */
class MeterComponent : public juce::Component
{
public:
    MeterComponent (QuorlinAudioProcessor::Level& left, QuorlinAudioProcessor::Level& right);
    ~MeterComponent() override;

    void resized() override;

private:
    FilmStripComponent leftStrip, rightStrip;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MeterComponent)
};
