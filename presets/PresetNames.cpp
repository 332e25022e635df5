#include "PresetNames.h"

namespace
{
    bool isControlCharacter (juce::juce_wchar character)
    {
        return character < 0x20 || (character >= 0x7f && character < 0xa0);
    }

    bool hasControlCharacter (const juce::String& text)
    {
        for (auto p = text.getCharPointer(); ! p.isEmpty(); ++p)
            if (isControlCharacter (*p))
                return true;

        return false;
    }
}

juce::File PresetNames::userPresetFile (const juce::File& presetFolder, const juce::String& typedName, const juce::String& extension)
{
    if (problemWith (presetFolder, typedName, extension).isNotEmpty())
        return {};

    return presetFolder.getChildFile ("User").getChildFile (typedName.trim() + extension);
}

juce::String PresetNames::problemWith (const juce::File& presetFolder, const juce::String& typedName, const juce::String& extension)
{
    const auto name = typedName.trim();

    if (name.isEmpty())
        return "A preset needs a name.";

    if (name.containsAnyOf ("/\\"))
        return "A preset name cannot contain / or \\.";

    if (name.startsWithChar ('.') || name.startsWithChar ('~'))
        return "A preset name cannot start with . or ~.";

    if (hasControlCharacter (name))
        return "A preset name cannot contain control characters.";

    const auto userFolder = presetFolder.getChildFile ("User");

    if (userFolder.getChildFile (name + extension).getParentDirectory() != userFolder)
        return "This name cannot be a file name.";

    return {};
}

juce::String PresetNames::deletionQuestion (const juce::File& presetFile, const juce::File& presetFolder)
{
    return "Delete \"" + presetFile.getFileNameWithoutExtension() + "\"?\n"
         + presetFile.getRelativePathFrom (presetFolder);
}
