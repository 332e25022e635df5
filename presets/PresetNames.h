#pragma once

#include <juce_core/juce_core.h>

/** What the save and delete actions of the preset bar make of names. */
struct PresetNames
{
    /** The file a name typed into the save dialog is saved to: presetFolder / "User" / the name
        with the extension. The name is trimmed; an empty name, one with a path separator or a
        control character, and one that starts with "." or "~" give an empty file, and so does
        any name whose file would not lie directly in "User".
    */
    static juce::File userPresetFile (const juce::File& presetFolder, const juce::String& typedName, const juce::String& extension);

    /** Why userPresetFile gives no file for the typed name, in a short sentence for the user; an
        empty text when it gives one.
    */
    static juce::String problemWith (const juce::File& presetFolder, const juce::String& typedName, const juce::String& extension);

    /** The delete dialog's question, naming the preset and, below it, its file's path inside the
        preset folder, so that of two presets of one name the user sees which one goes.
    */
    static juce::String deletionQuestion (const juce::File& presetFile, const juce::File& presetFolder);
};
