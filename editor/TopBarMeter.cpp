#include "TopBarMeter.h"

namespace
{
    constexpr float barDecay = 0.88f;
    constexpr float peakDecay = 0.97f;
    constexpr int peakHoldTicks = 20;
    constexpr float barHeight = 5.0f;

    /** Linear amplitude to a position on the -48 dB to 0 dB scale. */
    float toDisplayPosition (float sample)
    {
        if (sample <= 0.00001f)
            return 0.0f;

        return juce::jlimit (0.0f, 1.0f, (20.0f * std::log10 (sample) + 48.0f) / 48.0f);
    }

    void followLevel (float& displayed, float position)
    {
        if (displayed < position)
            displayed = position;
        else
            displayed *= barDecay;
    }

    void followPeak (float& displayed, int& holdTicks, float position)
    {
        if (position > displayed)
        {
            displayed = position;
            holdTicks = peakHoldTicks;
        }
        else if (holdTicks > 0)
        {
            --holdTicks;
        }
        else
        {
            displayed *= peakDecay;
        }
    }

    void paintBar (juce::Graphics& g, float y, float innerWidth, float level, float peak)
    {
        g.setColour (juce::Colour (0xD9FFFFFF));
        g.fillRoundedRectangle (1.0f, y, juce::jlimit (0.0f, 1.0f, level) * innerWidth, barHeight, 1.5f);

        const auto peakX = juce::jlimit (0.0f, 1.0f, peak) * innerWidth;

        if (peakX > 2.0f)
        {
            g.setColour (juce::Colours::white);
            g.fillRect (juce::Rectangle<float> (peakX + 1.0f - 1.5f, y, 2.0f, barHeight));
        }
    }
}

TopBarMeter::TopBarMeter (QuorlinAudioProcessor& p)
    : processor (p)
{
    startTimer (33);
}

TopBarMeter::~TopBarMeter() = default;

void TopBarMeter::timerCallback()
{
    followLevel (levelLeft, toDisplayPosition (processor.outputLevelLeft.level.load()));
    followLevel (levelRight, toDisplayPosition (processor.outputLevelRight.level.load()));
    followPeak (peakLeft, peakHoldLeft, toDisplayPosition (processor.outputLevelLeft.peak.load()));
    followPeak (peakRight, peakHoldRight, toDisplayPosition (processor.outputLevelRight.peak.load()));
    repaint();
}

void TopBarMeter::paint (juce::Graphics& g)
{
    const auto width = (float) getWidth();
    const auto height = (float) getHeight();

    const auto innerWidth = juce::jmax (0.0f, width - 2.0f);
    const auto yLeft = juce::jmax (0.0f, height - 2.0f) * 0.5f + 1.0f - 7.0f;
    const auto yRight = yLeft + 9.0f;
    const auto trackWidth = juce::jmax (0.0f, innerWidth + 2.0f);

    g.setColour (juce::Colour (0xFF111111));
    g.fillRoundedRectangle (0.0f, yLeft - 1.0f, trackWidth, 7.0f, 2.0f);
    g.fillRoundedRectangle (0.0f, yRight - 1.0f, trackWidth, 7.0f, 2.0f);

    paintBar (g, yLeft, innerWidth, levelLeft, peakLeft);
    paintBar (g, yRight, innerWidth, levelRight, peakRight);
}
