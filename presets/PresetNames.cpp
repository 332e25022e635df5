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
    const auto name = typedName.trim();

    if (name.isEmpty()
        || name.containsAnyOf ("/\\")
        || name.startsWithChar ('.')
        || name.startsWithChar ('~')
        || hasControlCharacter (name))
        return {};

    const auto userFolder = presetFolder.getChildFile ("User");
    const auto file = userFolder.getChildFile (name + extension);

    return file.getParentDirectory() == userFolder ? file : juce::File();
}

juce::String PresetNames::deletionQuestion (const juce::File& presetFile, const juce::File& presetFolder)
{
    return "Delete \"" + presetFile.getFileNameWithoutExtension() + "\"?\n"
         + presetFile.getRelativePathFrom (presetFolder);
}
