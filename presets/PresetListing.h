#pragma once

#include <juce_core/juce_core.h>

#include <vector>

/** The flat preset list: every preset file below a folder, in the order in which the preset bar
    steps through them and the browser numbers them.

    At every level a folder's own presets come first, then its "User" folders, then its other
    sub-folders, each sorted by name without regard to case (each character compared by its
    upper-case form; names equal that way go in the order of their characters' codes). Preset
    files are those whose names end in the extension, in any case; names beginning with a dot
    count too, and a link that leads nowhere is none. Symbolic links are followed, except into a
    folder that is already being listed further up the same path, so that a link loop cannot make
    the listing endless; a folder reached along two different paths without a loop is listed
    along both. Each folder is read once, without a look at each of its files where the file
    system tells their kinds.
*/
struct PresetListing
{
    /** Appends the flat preset list of the folder to result. */
    static void collectAllPresets (const juce::File& folder, const juce::String& extension, std::vector<juce::File>& result);

    /** The first preset file below the folder, at any depth, whose name without extension is
        name (case-sensitive), in the order in which the file system lists the entries; an empty
        file when there is none. Links are followed as in collectAllPresets.
    */
    static juce::File findPresetNamed (const juce::File& folder, const juce::String& name, const juce::String& extension);

    /** The first of the folder's sub-folders that is a "User" folder, in sorted order; an empty
        file when there is none.
    */
    static juce::File firstUserFolder (const juce::File& folder);

    /** True for a folder named "User" in any case. */
    static bool isUserFolder (const juce::File& folder);
};
