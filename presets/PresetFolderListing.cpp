#include "PresetFolderListing.h"

#include <algorithm>

namespace
{
    // A user has one preset folder; a few more cover tests and odd set-ups.
    constexpr size_t mostTreesKept = 4;

    using Contents = PresetListing::FolderContents;
}

void PresetFolderListing::addTo (ModernPresetMenu::CategoryItem& category, const juce::File& file, int flatIndex)
{
    category.presetNames.add (file.getFileNameWithoutExtension());
    category.presetIndices.push_back (flatIndex);
    category.presetFiles.push_back (file);
}

int PresetFolderListing::Listing::indexOf (const juce::File& file) const
{
    const auto& path = file.getFullPathName();
    return path.startsWith (folderPath) ? indexOfRelativePath (path.substring (folderPath.length())) : -1;
}

int PresetFolderListing::Listing::indexOfRelativePath (const juce::String& relativePath) const
{
    const auto found = flatIndexOfRelativePath.find (relativePath);
    return found != flatIndexOfRelativePath.end() ? found->second : -1;
}

PresetFolderListing::KeptTree& PresetFolderListing::treeOf (const juce::File& folder, const juce::String& extension)
{
    const auto same = std::find_if (trees.begin(), trees.end(), [&] (const KeptTree& tree)
    {
        return tree.folder == folder && tree.extension == extension;
    });

    if (same != trees.end())
        return *same;

    if (trees.size() >= mostTreesKept)
        trees.erase (trees.begin());

    trees.push_back ({ folder, extension, {}, {}, nullptr });
    return trees.back();
}

std::shared_ptr<const PresetFolderListing::Listing> PresetFolderListing::listingOf (const juce::File& folder, const juce::String& extension)
{
    const std::lock_guard<std::mutex> guard (lock);

    auto& tree = treeOf (folder, extension);
    std::map<juce::String, KeptFolder> stillKept;
    Walked walked;

    const auto read = [&] (const juce::File& each)
    {
        const auto& path = each.getFullPathName();
        const auto kept = tree.folders.find (path);

        if (kept != tree.folders.end() && kept->second.settled && isUnchanged (path, kept->second))
        {
            stillKept.insert (*kept);
            return kept->second.contents;
        }

        // Stamped before it is read, so that a change during the read shows as one.
        const auto start = juce::Time::currentTimeMillis();
        KeptFolder fresh;
        fresh.stamp = PresetListing::Stamp::of (path);
        auto readWhole = false;
        fresh.contents = std::make_shared<const Contents> (PresetListing::readFolder (each, extension, &fresh.lookedAt, &readWhole));

        // A folder often changes in what is no preset, such as the favourites file rewritten
        // beside the presets; what was made of it then stays as it was.
        if (kept != tree.folders.end() && *kept->second.contents == *fresh.contents)
            fresh.contents = kept->second.contents;

        const auto settled = [start] (const PresetListing::StampedPath& looked) { return looked.stamp.lastChangeMs() < start - settlingMs; };
        // A read that failed part of the way (out of file handles, a share that stopped answering)
        // is tried again at the next request, as a change would be.
        fresh.settled = readWhole && settled ({ path, fresh.stamp })
                        && std::all_of (fresh.lookedAt.begin(), fresh.lookedAt.end(), settled);

        stillKept.emplace (path, fresh);
        return fresh.contents;
    };

    PresetListing::walk (folder, read, [&walked] (const juce::File& each, int depth, const std::shared_ptr<const Contents>& contents)
    {
        walked.push_back ({ each, depth, contents });
    });

    tree.folders = std::move (stillKept);

    // The same folders, reached the same way and holding the same: the listing made of them is
    // the same.
    if (tree.listing == nullptr || walked != tree.walked)
    {
        tree.listing = compose (folder, walked);
        tree.walked = std::move (walked);
    }

    return tree.listing;
}

void PresetFolderListing::readAllAtNextRequest()
{
    const std::lock_guard<std::mutex> guard (lock);

    for (auto& tree : trees)
        for (auto& [path, kept] : tree.folders)
            kept.settled = false;
}

std::shared_ptr<const PresetFolderListing::Listing> PresetFolderListing::compose (const juce::File& folder, const Walked& walked)
{
    auto listing = std::make_shared<Listing>();
    auto& flatList = listing->flatList;
    auto& categories = listing->categories;

    for (const auto& each : walked)
    {
        const auto& contents = *each.contents;
        const auto firstIndex = (int) flatList.size();
        flatList.insert (flatList.end(), contents.presets.begin(), contents.presets.end());

        if (each.depth == 0)
        {
            for (size_t i = 0; i < contents.presets.size(); ++i)
            {
                ModernPresetMenu::CategoryItem category;
                category.name = contents.presetNames[(int) i];
                category.presetNames.add (category.name);
                category.presetIndices.push_back (firstIndex + (int) i);
                category.presetFiles.push_back (contents.presets[i]);
                categories.push_back (std::move (category));
            }
        }
        else if (each.depth == 1 && ! contents.presets.empty() && isShownFolder (each.folder, walked.front()))
        {
            // Deeper presets are in no category.
            ModernPresetMenu::CategoryItem category;
            category.name = each.folder.getFileNameWithoutExtension();
            category.presetNames = contents.presetNames;
            category.presetFiles = contents.presets;

            for (size_t i = 0; i < contents.presets.size(); ++i)
                category.presetIndices.push_back (firstIndex + (int) i);

            categories.push_back (std::move (category));
        }
    }

    listing->folderPath = juce::File::addTrailingSeparator (folder.getFullPathName());
    listing->flatIndexOfRelativePath.reserve (flatList.size());

    // Every listed file was reached from the folder, so its path starts with the folder's; each
    // folder is walked once, so no path is listed twice.
    for (auto i = 0; i < (int) flatList.size(); ++i)
        listing->flatIndexOfRelativePath.emplace (flatList[(size_t) i].getFullPathName().substring (listing->folderPath.length()), i);

    return listing;
}

bool PresetFolderListing::isShownFolder (const juce::File& firstLevelFolder, const WalkedFolder& top)
{
    // Of the "User" folders only the first, in sorted order, is a category.
    if (! PresetListing::isUserFolder (firstLevelFolder))
        return true;

    const auto& subFolders = top.contents->subFolders;
    const auto user = std::find_if (subFolders.begin(), subFolders.end(), PresetListing::isUserFolder);
    return user != subFolders.end() && *user == firstLevelFolder;
}

bool PresetFolderListing::isUnchanged (const juce::String& path, const KeptFolder& kept)
{
    return PresetListing::Stamp::of (path) == kept.stamp
        && std::all_of (kept.lookedAt.begin(), kept.lookedAt.end(), [] (const PresetListing::StampedPath& looked)
           {
               return PresetListing::Stamp::of (looked.path) == looked.stamp;
           });
}
