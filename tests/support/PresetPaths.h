#pragma once

#include "presets/PresetListing.h"

#include <juce_core/juce_core.h>

#include <ostream>
#include <vector>

namespace juce
{
    // Lets failures name files and texts instead of dumping their bytes.
    inline void PrintTo (const File& file, std::ostream* os)    { *os << file.getFullPathName(); }
    inline void PrintTo (const String& text, std::ostream* os)  { *os << text; }
}

namespace TestSupport
{
    /** Each file's path inside the root folder; "<none>" for an empty file. */
    inline juce::StringArray relativePaths (const std::vector<juce::File>& files, const juce::File& root)
    {
        juce::StringArray paths;

        for (const auto& file : files)
            paths.add (file == juce::File() ? juce::String ("<none>") : file.getRelativePathFrom (root));

        return paths;
    }

    /** The flat preset list of the folder, read afresh, as paths inside it. */
    inline juce::StringArray listedPresets (const juce::File& root)
    {
        std::vector<juce::File> files;
        PresetListing::collectAllPresets (root, ".rcp", files);
        return relativePaths (files, root);
    }
}
