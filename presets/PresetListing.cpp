#include "PresetListing.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

#include <dirent.h>
#include <sys/stat.h>

namespace
{
    /** A folder's preset files and sub-folders, each sorted by name. */
    struct FolderContents
    {
        std::vector<juce::File> presets, subFolders;
    };

    /** Orders names by their upper-case forms, then by their characters' codes: UTF-8 bytes
        compare as the characters' codes do.
    */
    std::string sortKeyOf (const juce::String& name)
    {
        return name.toUpperCase().toStdString() + '\0' + name.toStdString();
    }

    FolderContents readFolder (const juce::File& folder, const juce::String& extension)
    {
        struct Closer
        {
            void operator() (DIR* d) const  { closedir (d); }
        };

        const std::unique_ptr<DIR, Closer> directory (opendir (folder.getFullPathName().toRawUTF8()));

        if (directory == nullptr)
            return {};

        std::vector<std::pair<std::string, juce::File>> presets, subFolders;

        while (const auto* entry = readdir (directory.get()))
        {
            const auto name = juce::String::fromUTF8 (entry->d_name);

            if (name == "." || name == "..")
                continue;

            const auto child = folder.getChildFile (name);
            auto isFolder = entry->d_type == DT_DIR;

            // Only links, and entries of a file system that does not tell, need a look of their own.
            if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN)
            {
                struct stat info;

                if (stat (child.getFullPathName().toRawUTF8(), &info) != 0)
                    continue;

                isFolder = S_ISDIR (info.st_mode);
            }

            if (isFolder)
                subFolders.emplace_back (sortKeyOf (name), child);
            else if (name.endsWithIgnoreCase (extension))
                presets.emplace_back (sortKeyOf (name), child);
        }

        const auto sorted = [] (std::vector<std::pair<std::string, juce::File>>& keyed)
        {
            std::sort (keyed.begin(), keyed.end(), [] (const auto& a, const auto& b) { return a.first < b.first; });

            std::vector<juce::File> files;
            files.reserve (keyed.size());

            for (auto& [key, file] : keyed)
                files.push_back (std::move (file));

            return files;
        };

        return { sorted (presets), sorted (subFolders) };
    }

    /** The folder's path with every symbolic link resolved, so that a loop shows as a repeat. */
    juce::String realPathOf (const juce::File& folder)
    {
        const std::unique_ptr<char, decltype (&std::free)> resolved (realpath (folder.getFullPathName().toRawUTF8(), nullptr),
                                                                     &std::free);

        return resolved != nullptr ? juce::String::fromUTF8 (resolved.get()) : folder.getFullPathName();
    }

    void collectPresetsAlongPath (const juce::File& folder,
                                  const juce::String& extension,
                                  std::vector<juce::File>& result,
                                  std::vector<juce::String>& foldersOnPath)
    {
        const auto realPath = realPathOf (folder);

        if (std::find (foldersOnPath.begin(), foldersOnPath.end(), realPath) != foldersOnPath.end())
            return;

        foldersOnPath.push_back (realPath);

        const auto contents = readFolder (folder, extension);
        result.insert (result.end(), contents.presets.begin(), contents.presets.end());

        const auto& subFolders = contents.subFolders;

        for (const auto& subFolder : subFolders)
            if (PresetListing::isUserFolder (subFolder))
                collectPresetsAlongPath (subFolder, extension, result, foldersOnPath);

        for (const auto& subFolder : subFolders)
            if (! PresetListing::isUserFolder (subFolder))
                collectPresetsAlongPath (subFolder, extension, result, foldersOnPath);

        foldersOnPath.pop_back();
    }

    bool isPresetFile (const juce::File& file, const juce::String& extension)
    {
        return file.getFileName().matchesWildcard ("*" + extension, true) && file.existsAsFile();
    }

    juce::File findAlongPath (const juce::File& folder,
                              const juce::String& name,
                              const juce::String& extension,
                              std::vector<juce::String>& foldersOnPath)
    {
        const auto realPath = realPathOf (folder);

        if (std::find (foldersOnPath.begin(), foldersOnPath.end(), realPath) != foldersOnPath.end())
            return {};

        foldersOnPath.push_back (realPath);
        juce::File found;

        for (const auto& entry : juce::RangedDirectoryIterator (folder, false, "*", juce::File::findFilesAndDirectories))
        {
            const auto& child = entry.getFile();

            if (child.isDirectory())
                found = findAlongPath (child, name, extension, foldersOnPath);
            else if (isPresetFile (child, extension) && child.getFileNameWithoutExtension() == name)
                found = child;

            if (found != juce::File())
                break;
        }

        foldersOnPath.pop_back();
        return found;
    }
}

void PresetListing::collectAllPresets (const juce::File& folder, const juce::String& extension, std::vector<juce::File>& result)
{
    std::vector<juce::String> foldersOnPath;
    collectPresetsAlongPath (folder, extension, result, foldersOnPath);
}

juce::File PresetListing::findPresetNamed (const juce::File& folder, const juce::String& name, const juce::String& extension)
{
    std::vector<juce::String> foldersOnPath;
    return findAlongPath (folder, name, extension, foldersOnPath);
}

juce::File PresetListing::firstUserFolder (const juce::File& folder)
{
    const auto subFolders = readFolder (folder, {}).subFolders;
    const auto user = std::find_if (subFolders.begin(), subFolders.end(), isUserFolder);
    return user != subFolders.end() ? *user : juce::File();
}

bool PresetListing::isUserFolder (const juce::File& folder)
{
    return folder.getFileName().equalsIgnoreCase ("User");
}
