#include "PresetListing.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace
{
    std::vector<juce::File> sortedChildren (const juce::File& folder, int whatToLookFor)
    {
        std::vector<juce::File> children;

        for (const auto& child : folder.findChildFiles (whatToLookFor, false, "*"))
            children.push_back (child);

        std::stable_sort (children.begin(), children.end(), PresetListing::comesBefore);
        return children;
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

        for (const auto& preset : PresetListing::presetsIn (folder, extension))
            result.push_back (preset);

        const auto subFolders = PresetListing::subFoldersOf (folder);

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

std::vector<juce::File> PresetListing::presetsIn (const juce::File& folder, const juce::String& extension)
{
    auto presets = sortedChildren (folder, juce::File::findFiles);

    // The file finder matches patterns case-sensitively on some systems, so the extension is
    // matched here; a link that leads nowhere is no preset.
    presets.erase (std::remove_if (presets.begin(), presets.end(),
                                   [&extension] (const juce::File& file) { return ! isPresetFile (file, extension); }),
                   presets.end());

    return presets;
}

std::vector<juce::File> PresetListing::subFoldersOf (const juce::File& folder)
{
    return sortedChildren (folder, juce::File::findDirectories);
}

bool PresetListing::isUserFolder (const juce::File& folder)
{
    return folder.getFileName().equalsIgnoreCase ("User");
}

bool PresetListing::comesBefore (const juce::File& first, const juce::File& second)
{
    const auto& a = first.getFullPathName();
    const auto& b = second.getFullPathName();

    // Names that differ only in case would otherwise keep the file system's order, which
    // changes from one machine to the next.
    if (const auto order = a.compareIgnoreCase (b); order != 0)
        return order < 0;

    return a.compare (b) < 0;
}
