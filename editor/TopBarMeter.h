#pragma once

#include "engine/PluginProcessor.h"

#include <juce_gui_basics/juce_gui_basics.h>

/** Two thin output bars with peak markers for the top bar, over -48 dB to 0 dB. The bars jump
    up and fall by a fixed factor per tick; a new peak holds for 20 ticks before it falls.
*/
class TopBarMeter : public juce::Component,
                    public juce::Timer
{
public:
    explicit TopBarMeter (QuorlinAudioProcessor& processor);
    ~TopBarMeter() override;

    void paint (juce::Graphics&) override;
    void timerCallback() override;

    /** Displayed bar lengths and peak marker positions, 0 to 1. */
    float levelLeft = 0.0f, levelRight = 0.0f;
    float peakLeft = 0.0f, peakRight = 0.0f;

    /** Ticks left before each peak marker starts to fall. */
    int peakHoldLeft = 0, peakHoldRight = 0;

private:
    QuorlinAudioProcessor& processor;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TopBarMeter)
};
