#include "Scales.h"

namespace Scales
{
    namespace
    {
        constexpr float knobSweep = juce::MathConstants<float>::pi * 1.5f;
        constexpr float needleSweep = juce::degreesToRadians (96.0f);

        constexpr double needleCoefficients[] = { 0.00026512600015848875, 0.3941141963005066,
                                                  1.4737600088119507, -2.7845590114593506,
                                                  3.744436025619507, -1.8285930156707764 };
    }

    float knobAngle (int frame, int numFrames)
    {
        return -knobSweep * 0.5f + knobSweep * (float) frame / (float) (numFrames - 1);
    }

    int linearKnobFrame (double value, double minimum, double maximum, int numFrames)
    {
        const auto proportion = (value - minimum) / (maximum - minimum);
        return (int) std::ceil (proportion * (numFrames - 1));
    }

    int outputKnobFrame (double value, double minimum, double maximum, int numFrames)
    {
        const auto r = std::log ((-9.7 - minimum) / (maximum - minimum));
        const auto k = (double) (float) (-0.6931471805599453 / r);
        const auto proportion = std::pow ((value - minimum) / (maximum - minimum), k);
        return (int) std::ceil (proportion * (numFrames - 1));
    }

    float needleAngle (int frame)
    {
        return -needleSweep * 0.5f + needleSweep * (float) frame / (float) (needleFrames - 1);
    }

    double needlePosition (double reductionDb)
    {
        const auto gain = std::pow (10.0, (-reductionDb - 0.2) / 20.0);
        double polynomial = 0.0;

        for (int power = 0; power < 6; ++power)
            polynomial += needleCoefficients[power] * std::pow (gain, power);

        return juce::jlimit (0.0, 1.0, (double) (float) polynomial);
    }

    int needleFrame (double reductionDb)
    {
        const auto position = (float) needlePosition (reductionDb);
        return juce::jlimit (0, needleFrames - 1, juce::roundToInt (position * (float) needleFrames));
    }

    double segmentThresholdDb (int segment)
    {
        constexpr double bottomDb = -40.0, topDb = -0.5;
        return bottomDb + (topDb - bottomDb) * segment / (ringSegments - 1);
    }

    int litSegments (int frame)
    {
        if (frame <= 0)
            return 0;

        const auto levelDb = 20.0 * std::log10 ((double) frame / levelFrames);
        int lit = 1;

        while (lit < ringSegments && levelDb >= segmentThresholdDb (lit))
            ++lit;

        return lit;
    }
}
