#include "PresetListing.h"

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <unordered_set>
#include <utility>

#include <dirent.h>
#include <sys/stat.h>

namespace
{
    using StampedPath = PresetListing::StampedPath;

    enum class EntryKind
    {
        folder,
        regularFile,
        other
    };

    PresetListing::Stamp stampOf (const struct stat& info)
    {
        PresetListing::Stamp stamp;
        stamp.exists = true;
        stamp.device = (juce::uint64) info.st_dev;
        stamp.inode = (juce::uint64) info.st_ino;
        stamp.mode = (juce::uint32) info.st_mode;
        stamp.modifiedSeconds = (juce::int64) info.st_mtim.tv_sec;
        stamp.modifiedNanoseconds = (juce::int64) info.st_mtim.tv_nsec;
        stamp.changedSeconds = (juce::int64) info.st_ctim.tv_sec;
        stamp.changedNanoseconds = (juce::int64) info.st_ctim.tv_nsec;
        return stamp;
    }

    EntryKind kindOf (const struct stat& info)
    {
        if (S_ISDIR (info.st_mode))
            return EntryKind::folder;

        return S_ISREG (info.st_mode) ? EntryKind::regularFile : EntryKind::other;
    }

    /** Calls visit with each entry of the folder and its kind (links followed), in the order in
        which the file system lists them. False when the folder could not be read to its end.
    */
    bool forEachEntry (const juce::File& folder,
                       std::vector<StampedPath>* readFrom,
                       const std::function<void (const juce::String& name, const juce::File& child, EntryKind)>& visit)
    {
        struct Closer
        {
            void operator() (DIR* d) const  { closedir (d); }
        };

        const std::unique_ptr<DIR, Closer> directory (opendir (folder.getFullPathName().toRawUTF8()));

        if (directory == nullptr)
            return false;

        // An entry's name holds no separator and is neither "." nor "..", so the folder's path
        // and the name make a path that needs no checking.
        const auto folderPath = juce::File::addTrailingSeparator (folder.getFullPathName());

        for (;;)
        {
            // Only errno tells the end of the folder from a failed read.
            errno = 0;
            const auto* entry = readdir (directory.get());

            if (entry == nullptr)
                return errno == 0;

            const auto name = juce::String::fromUTF8 (entry->d_name);

            if (name == "." || name == "..")
                continue;

            const auto child = juce::File::createFileWithoutCheckingPath (folderPath + name);

            switch (entry->d_type)
            {
                case DT_DIR:  visit (name, child, EntryKind::folder);       break;
                case DT_REG:  visit (name, child, EntryKind::regularFile);  break;

                // Only links, and entries of a file system that does not tell, need a look of
                // their own; what they lead to can change without this folder changing.
                case DT_LNK:
                case DT_UNKNOWN:
                {
                    struct stat info;
                    const auto found = stat (child.getFullPathName().toRawUTF8(), &info) == 0;

                    if (readFrom != nullptr)
                        readFrom->push_back ({ child.getFullPathName(), found ? stampOf (info) : PresetListing::Stamp() });

                    if (found)
                        visit (name, child, kindOf (info));

                    break;
                }

                default:
                    break;
            }
        }
    }

    /** Orders names by their upper-case forms, then by their characters' codes: UTF-8 bytes
        compare as the characters' codes do.
    */
    std::string sortKeyOf (const juce::String& name)
    {
        return name.toUpperCase().toStdString() + '\0' + name.toStdString();
    }

    std::vector<juce::File> sorted (std::vector<std::pair<std::string, juce::File>>& keyed)
    {
        std::sort (keyed.begin(), keyed.end(), [] (const auto& a, const auto& b) { return a.first < b.first; });

        std::vector<juce::File> files;
        files.reserve (keyed.size());

        for (auto& [key, file] : keyed)
            files.push_back (std::move (file));

        return files;
    }

    /** The folder's path with every symbolic link resolved, so that every way to a folder
        shows as the same.
    */
    std::string realPathOf (const juce::File& folder)
    {
        const std::unique_ptr<char, decltype (&std::free)> resolved (realpath (folder.getFullPathName().toRawUTF8(), nullptr),
                                                                     &std::free);

        return resolved != nullptr ? std::string (resolved.get()) : folder.getFullPathName().toStdString();
    }

    /** Notes the folders a walk has entered, so that it enters each once however many links
        lead to it.
    */
    class VisitedFolders
    {
    public:
        explicit VisitedFolders (const juce::File& top)
            : topPath (realPathOf (top))
        {
        }

        /** False when the folder was entered before, when it holds the top folder, or when the
            walk has entered as many folders as it may; otherwise notes it.
        */
        bool enter (const juce::File& folder)
        {
            if (visited.size() >= PresetListing::mostFolders)
                return false;

            auto path = realPathOf (folder);

            // A link to the root or the home folder would walk everything around the presets.
            if (holdsTop (path))
                return false;

            return visited.insert (std::move (path)).second;
        }

    private:
        bool holdsTop (const std::string& path) const
        {
            if (path.empty() || path == topPath)
                return false;

            const auto withSeparator = path.back() == '/' ? path : path + '/';
            return topPath.compare (0, withSeparator.size(), withSeparator) == 0;
        }

        const std::string topPath;
        std::unordered_set<std::string> visited;
    };

    /** The subfolders in the order in which a walk enters them: "User" folders first. */
    std::vector<juce::File> inWalkOrder (const std::vector<juce::File>& subFolders)
    {
        std::vector<juce::File> ordered;
        ordered.reserve (subFolders.size());
        std::copy_if (subFolders.begin(), subFolders.end(), std::back_inserter (ordered), PresetListing::isUserFolder);
        std::copy_if (subFolders.begin(), subFolders.end(), std::back_inserter (ordered),
                      [] (const juce::File& folder) { return ! PresetListing::isUserFolder (folder); });
        return ordered;
    }

    /** A folder of the walk, with the folders entered from it. */
    struct WalkedFolder
    {
        juce::File folder;
        int depth;
        std::shared_ptr<const PresetListing::FolderContents> contents;
        std::vector<size_t> entered;
    };

    void visitInListOrder (const std::vector<WalkedFolder>& folders, size_t index, const PresetListing::FolderVisitor& visit)
    {
        const auto& each = folders[index];
        visit (each.folder, each.depth, each.contents);

        for (const auto child : each.entered)
            visitInListOrder (folders, child, visit);
    }

    juce::File findPreset (const juce::File& folder, const juce::String& name, const juce::String& extension, VisitedFolders& visited)
    {
        if (! visited.enter (folder))
            return {};

        std::vector<std::pair<juce::File, EntryKind>> entries;

        forEachEntry (folder, nullptr, [&entries] (const juce::String&, const juce::File& child, EntryKind kind)
        {
            entries.emplace_back (child, kind);
        });

        // Depth first, in the order in which the file system lists the entries.
        for (const auto& [child, kind] : entries)
        {
            if (kind == EntryKind::folder)
            {
                if (auto found = findPreset (child, name, extension, visited); found != juce::File())
                    return found;
            }
            else if (kind == EntryKind::regularFile && child.getFileName().endsWithIgnoreCase (extension)
                     && child.getFileNameWithoutExtension() == name)
            {
                return child;
            }
        }

        return {};
    }
}

PresetListing::Stamp PresetListing::Stamp::of (const juce::String& path)
{
    struct stat info;
    return stat (path.toRawUTF8(), &info) == 0 ? stampOf (info) : Stamp();
}

bool PresetListing::Stamp::operator== (const Stamp& other) const
{
    return exists == other.exists && device == other.device && inode == other.inode && mode == other.mode
        && modifiedSeconds == other.modifiedSeconds && modifiedNanoseconds == other.modifiedNanoseconds
        && changedSeconds == other.changedSeconds && changedNanoseconds == other.changedNanoseconds;
}

juce::int64 PresetListing::Stamp::lastChangeMs() const
{
    if (! exists)
        return 0;

    const auto toMs = [] (juce::int64 seconds, juce::int64 nanoseconds) { return seconds * 1000 + nanoseconds / 1000000; };
    return juce::jmax (toMs (modifiedSeconds, modifiedNanoseconds), toMs (changedSeconds, changedNanoseconds));
}

PresetListing::FolderContents PresetListing::readFolder (const juce::File& folder, const juce::String& extension,
                                                        std::vector<StampedPath>* lookedAt, bool* readWhole)
{
    std::vector<std::pair<std::string, juce::File>> presets, subFolders;

    const auto whole = forEachEntry (folder, lookedAt, [&] (const juce::String& name, const juce::File& child, EntryKind kind)
    {
        if (kind == EntryKind::folder)
            subFolders.emplace_back (sortKeyOf (name), child);
        else if (kind == EntryKind::regularFile && name.endsWithIgnoreCase (extension))
            presets.emplace_back (sortKeyOf (name), child);
    });

    if (readWhole != nullptr)
        *readWhole = whole;

    FolderContents contents { sorted (presets), {}, sorted (subFolders) };
    contents.presetNames.ensureStorageAllocated ((int) contents.presets.size());

    for (const auto& preset : contents.presets)
        contents.presetNames.add (preset.getFileNameWithoutExtension());

    return contents;
}

void PresetListing::walk (const juce::File& folder, const FolderReader& read, const FolderVisitor& visit)
{
    // Level by level first, so that a folder that links lead to from deeper down is listed where
    // it is nearest the top; of those at one depth, the first in the list's order.
    VisitedFolders visited (folder);
    visited.enter (folder);
    std::vector<WalkedFolder> folders { { folder, 0, nullptr, {} } };

    for (size_t next = 0; next < folders.size(); ++next)
    {
        folders[next].contents = read (folders[next].folder);

        for (const auto& subFolder : inWalkOrder (folders[next].contents->subFolders))
        {
            if (visited.enter (subFolder))
            {
                folders[next].entered.push_back (folders.size());
                folders.push_back ({ subFolder, folders[next].depth + 1, nullptr, {} });
            }
        }
    }

    visitInListOrder (folders, 0, visit);
}

void PresetListing::collectAllPresets (const juce::File& folder, const juce::String& extension, std::vector<juce::File>& result)
{
    walk (folder,
          [&extension] (const juce::File& each) { return std::make_shared<const FolderContents> (readFolder (each, extension)); },
          [&result] (const juce::File&, int, const std::shared_ptr<const FolderContents>& contents)
          {
              result.insert (result.end(), contents->presets.begin(), contents->presets.end());
          });
}

juce::File PresetListing::findPresetNamed (const juce::File& folder, const juce::String& name, const juce::String& extension)
{
    VisitedFolders visited (folder);
    return findPreset (folder, name, extension, visited);
}

bool PresetListing::isUserFolder (const juce::File& folder)
{
    return folder.getFileName().equalsIgnoreCase ("User");
}
