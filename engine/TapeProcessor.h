#pragma once

#include "TapeTypeProcessor.h"

/** The processor's ten tape stages, which of them plays, and the fixed 10 Hz high-pass after them. */
class TapeProcessor
{
public:
    static constexpr int numSlots = 10;

    std::array<TapeTypeProcessor, numSlots> tapeStages {
        TapeTypeProcessor (tape0, speed0), TapeTypeProcessor (tape1, speed0), TapeTypeProcessor (tape2, speed0),
        TapeTypeProcessor (tape3, speed0), TapeTypeProcessor (tape4, speed0),
        TapeTypeProcessor (tape0, speed1), TapeTypeProcessor (tape1, speed1), TapeTypeProcessor (tape2, speed1),
        TapeTypeProcessor (tape3, speed1), TapeTypeProcessor (tape4, speed1)
    };

    std::array<TapeTypeProcessor*, numSlots> slotTable {
        &tapeStages[0], &tapeStages[1], &tapeStages[2], &tapeStages[3], &tapeStages[4],
        &tapeStages[5], &tapeStages[6], &tapeStages[7], &tapeStages[8], &tapeStages[9]
    };

    int currentSlot = 0;     // the slot the channel-type switches choose
    int previousSlot = 0;    // the slot a crossfade comes from; the playing slot when none is under way
    int playingSlot = 0;     // the slot that plays, or that a crossfade goes to

    juce::AudioBuffer<float> crossfadeBuffer;
    Crossfade slotFade;

    juce::dsp::ProcessorDuplicator<juce::dsp::IIR::Filter<float>, juce::dsp::IIR::Coefficients<float>> subsonicHighPass;
};
