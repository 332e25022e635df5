#pragma once

#include "ModernPresetMenu.h"
#include "PresetListing.h"
#include "StringHash.h"

#include <juce_core/juce_core.h>

#include <map>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

/** The preset folder as the preset bar shows it: the flat preset list and the browser's
    categories of the folder's own presets and first-level folders, each folder read again only
    when it has changed.

    Listing a large folder takes long enough to be felt, and the preset bar needs the list at
    every opening, name change, pick, step and heart. What each folder held is kept with its
    stamp, and with the stamps of the links in it; a request compares those, one look at each, and
    reads again only the folders that changed. A folder is trusted to be as it was only when it
    had been still for a while when it was read: file systems keep coarse times, so a change made
    just after the read could carry the same time as one made just before it. The listing is made
    anew only when a folder's presets or sub-folders have changed.

    Every instance of the plug-in shares what is kept through a juce::SharedResourcePointer.
*/
class PresetFolderListing
{
public:
    struct Listing
    {
        /** The flat index of a listed file, or -1. */
        int indexOf (const juce::File& file) const;

        /** The flat index of a listed file given by its path inside the folder, as
            juce::File::getRelativePathFrom gives it for a file below the folder; -1 when there is
            no such file.
        */
        int indexOfRelativePath (const juce::String& relativePath) const;

        /** The flat preset list, as PresetListing gives it. */
        std::vector<juce::File> flatList;

        /** One category per top-level preset, then the first "User" folder, then the other
            first-level folders, each only when it holds presets.
        */
        std::vector<ModernPresetMenu::CategoryItem> categories;

        /** The folder's path with a separator at its end: what every listed path starts with. */
        juce::String folderPath;

        std::unordered_map<juce::String, int, StringHash> flatIndexOfRelativePath;
    };

    /** The listing of the folder as it is now. */
    std::shared_ptr<const Listing> listingOf (const juce::File& folder, const juce::String& extension);

    /** Makes the next request read every folder again, whatever the stamps say: for where the
        user opens the folder to look at it, on file systems that keep no times for folders too.
    */
    void readAllAtNextRequest();

    /** Appends a preset to a category: its name, flat index and file. */
    static void addTo (ModernPresetMenu::CategoryItem& category, const juce::File& file, int flatIndex);

    /** How long a folder must have been still before its stamp is trusted to tell a change. */
    static constexpr juce::int64 settlingMs = 2000;

private:
    /** One folder as it was read. A folder that is not settled (it had not been still for long
        enough, it could not be read to its end, or the user looks at the folder) is read again at
        the next request; what it holds is kept only to tell whether it has changed.
    */
    struct KeptFolder
    {
        PresetListing::Stamp stamp;
        std::vector<PresetListing::StampedPath> lookedAt;
        std::shared_ptr<const PresetListing::FolderContents> contents;
        bool settled = false;
    };

    /** A folder as a walk reached it. */
    struct WalkedFolder
    {
        juce::File folder;
        int depth;
        std::shared_ptr<const PresetListing::FolderContents> contents;

        bool operator== (const WalkedFolder& other) const
        {
            return folder == other.folder && depth == other.depth && contents == other.contents;
        }

        bool operator!= (const WalkedFolder& other) const  { return ! operator== (other); }
    };

    using Walked = std::vector<WalkedFolder>;

    /** What is kept of one preset folder: its folders by path, the walk through them and the
        listing made of them.
    */
    struct KeptTree
    {
        juce::File folder;
        juce::String extension;
        std::map<juce::String, KeptFolder> folders;
        Walked walked;
        std::shared_ptr<const Listing> listing;
    };

    static bool isUnchanged (const juce::String& path, const KeptFolder&);
    static std::shared_ptr<const Listing> compose (const juce::File& folder, const Walked&);
    static bool isShownFolder (const juce::File& firstLevelFolder, const WalkedFolder& top);

    KeptTree& treeOf (const juce::File& folder, const juce::String& extension);

    std::mutex lock;
    std::vector<KeptTree> trees;
};
