#pragma once

#include <juce_core/juce_core.h>

/** How the editor picks a frame from a value, and where each frame's pointer, needle or
    lit segments sit. The pictures and the panel's scale marks are both drawn from these, so a
    mark on the panel lies exactly where the pointer stops for that value.
*/
namespace Scales
{
    //==============================================================================
    /** Knob pointers turn from -135 to +135 degrees, linear in the frame index. */
    float knobAngle (int frame, int numFrames);

    /** The frame a knob shows: ceil (p * (numFrames - 1)) with p linear in the value. */
    int linearKnobFrame (double value, double minimum, double maximum, int numFrames);

    /** The output knob's frame: p is bent to p^k, with k chosen so that -9.7 lands mid-strip. */
    int outputKnobFrame (double value, double minimum, double maximum, int numFrames);

    //==============================================================================
    constexpr int needleFrames = 129;

    /** Needle angle of a frame: frame 0 at the scale's left end, the last at its right end. */
    float needleAngle (int frame);

    /** The steady-state needle value for a gain reduction in dB (a positive number): the
        engine's fifth-order polynomial of the gain 10^((-reduction - 0.2) / 20), clamped to 0..1.
    */
    double needlePosition (double reductionDb);

    /** The frame the needle meter shows for that value: roundToInt (value * 129), clamped. */
    int needleFrame (double reductionDb);

    //==============================================================================
    constexpr int levelFrames = 129;
    constexpr int ringSegments = 20;

    /** Segments lit in one half of the level ring for a frame; frame k stands for the linear
        amplitude k / 129. Frame 0 lights none, any later frame at least the lowest; the others
        follow the level in dB from -40 dB up to -0.5 dB for the top segment.
    */
    int litSegments (int frame);

    /** The level in dB at which a segment (0 = lowest) lights. */
    double segmentThresholdDb (int segment);
}
