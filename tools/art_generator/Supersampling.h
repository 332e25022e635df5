#pragma once

#include <juce_graphics/juce_graphics.h>

#include <functional>

namespace Artwork
{
    /** Runs a drawing function on an image `factor` times larger than width x height, with the
        context scaled so that the function draws in target pixels, and box-filters the result
        down. JUCE's edge anti-aliasing is good, but thin ticks, small lettering and overlapping
        translucent layers come out cleaner this way.
    */
    juce::Image renderSupersampled (int width, int height,
                                    const std::function<void (juce::Graphics&)>& draw,
                                    int factor = 4);

    /** Averages factor x factor blocks of premultiplied ARGB pixels. */
    juce::Image downsample (const juce::Image& source, int factor);

    /** Copies the pixels of source into destination at (x, y) unblended, alpha included. */
    void copyPixels (const juce::Image& source, juce::Image& destination, int x, int y);

    /** Stacks frames into one column, frame 0 on top; every frame must have the same size. */
    juce::Image stackFrames (const juce::Array<juce::Image>& frames);
}
