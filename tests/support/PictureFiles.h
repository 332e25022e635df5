#pragma once

#include <juce_graphics/juce_graphics.h>

namespace TestSupport
{
    /** Writes a picture for a person to look at as a PNG file, replacing what was there. */
    inline bool writePng (const juce::Image& image, const juce::File& file)
    {
        file.getParentDirectory().createDirectory();
        file.deleteFile();

        juce::FileOutputStream stream (file);
        return stream.openedOk() && juce::PNGImageFormat().writeImageToStream (image, stream);
    }
}
