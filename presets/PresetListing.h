#pragma once

#include <juce_core/juce_core.h>

#include <functional>
#include <memory>
#include <vector>

/** The flat preset list: every preset file below a folder, in the order in which the preset bar
    steps through them and the browser numbers them.

    At every level a folder's own presets come first, then its "User" folders, then its other
    sub-folders, each sorted by name without regard to case (each character compared by its
    upper-case form; names equal that way go in the order of their characters' codes). Preset
    files are the regular files whose names end in the extension, in any case; names beginning
    with a dot count too. Pipes, sockets and devices are none, and a link counts as what it leads
    to, so a link that leads nowhere is none either. Symbolic links are followed, but each folder
    is listed once, where it is nearest the top (of places at one depth, the first in the list's
    order): a link loop cannot make the listing endless, and links that fan out to the same
    folders cost no more than those folders. A link to a folder that holds the listed folder (the
    root, the home folder) is not followed, and a listing enters at most mostFolders folders, so
    that a link cannot make it walk the whole disk. Each folder is read once, without a look at
    each of its files where the file system tells their kinds.
*/
struct PresetListing
{
    /** Far more folders than any preset collection has. */
    static constexpr size_t mostFolders = 10000;

    /** What a path was when it was read, links followed: enough to tell that it has changed. */
    struct Stamp
    {
        /** The path as it is now. */
        static Stamp of (const juce::String& path);

        bool operator== (const Stamp&) const;
        bool operator!= (const Stamp& other) const  { return ! operator== (other); }

        /** The later of its last change of content and of kind or permissions, in milliseconds
            since 1970; 0 for a path that does not exist.
        */
        juce::int64 lastChangeMs() const;

        bool exists = false;
        juce::uint64 device = 0, inode = 0;
        juce::uint32 mode = 0;
        juce::int64 modifiedSeconds = 0, modifiedNanoseconds = 0, changedSeconds = 0, changedNanoseconds = 0;
    };

    /** A path a listing read, and what it was when it was read. */
    struct StampedPath
    {
        juce::String path;
        Stamp stamp;
    };

    /** One folder's preset files with their names (without extension) and its sub-folders, each
        sorted by name.
    */
    struct FolderContents
    {
        std::vector<juce::File> presets;
        juce::StringArray presetNames;
        std::vector<juce::File> subFolders;

        bool operator== (const FolderContents& other) const
        {
            return presets == other.presets && presetNames == other.presetNames && subFolders == other.subFolders;
        }
    };

    /** Reads one folder. Each entry that had to be looked at on its own (a link, or an entry of
        a file system that does not tell kinds) goes to lookedAt with its stamp when it is given:
        what it leads to can change without the folder changing. readWhole, when given, tells
        whether the folder could be read to its end; a folder that cannot be read gives nothing.
    */
    static FolderContents readFolder (const juce::File& folder, const juce::String& extension,
                                      std::vector<StampedPath>* lookedAt = nullptr, bool* readWhole = nullptr);

    using FolderReader = std::function<std::shared_ptr<const FolderContents> (const juce::File& folder)>;
    using FolderVisitor = std::function<void (const juce::File& folder, int depth, const std::shared_ptr<const FolderContents>&)>;

    /** Walks the folder tree in the flat list's order: visit gets each folder listed, once, with
        its depth below the folder (0 for the folder itself) and its contents as read gives them,
        before any folder below it. read is called once for each folder listed.
    */
    static void walk (const juce::File& folder, const FolderReader& read, const FolderVisitor& visit);

    /** Appends the flat preset list of the folder to result. */
    static void collectAllPresets (const juce::File& folder, const juce::String& extension, std::vector<juce::File>& result);

    /** The first preset file below the folder, at any depth, whose name without extension is
        name (case-sensitive), in the order in which the file system lists the entries; an empty
        file when there is none. Links are followed as in collectAllPresets.
    */
    static juce::File findPresetNamed (const juce::File& folder, const juce::String& name, const juce::String& extension);

    /** True for a folder named "User" in any case. */
    static bool isUserFolder (const juce::File& folder);
};
