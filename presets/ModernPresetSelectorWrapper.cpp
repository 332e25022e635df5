#include "ModernPresetSelectorWrapper.h"

#include "PresetBox.h"
#include "PresetListing.h"
#include "PresetNames.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <utility>

namespace
{
    using CategoryItem = ModernPresetMenu::CategoryItem;

    /** The file that the categories carry for a flat index, or an empty file. */
    juce::File fileIn (const std::vector<CategoryItem>& categories, int flatIndex)
    {
        for (const auto& category : categories)
        {
            const auto& indices = category.presetIndices;

            if (const auto found = std::find (indices.begin(), indices.end(), flatIndex); found != indices.end())
                if (const auto position = (size_t) std::distance (indices.begin(), found); position < category.presetFiles.size())
                    return category.presetFiles[position];
        }

        return {};
    }

    /** A top-level preset or one of a first-level folder: the depths the browser shows. */
    bool isShownDepth (const juce::File& file, const juce::File& folder)
    {
        const auto parent = file.getParentDirectory();
        return parent == folder || parent.getParentDirectory() == folder;
    }
}

ModernPresetSelectorWrapper::ModernPresetSelectorWrapper (ProcessorPresetManager* manager, std::function<void()> onLoaded)
    : presetManager (manager),
      onPresetLoaded (std::move (onLoaded))
{
    jassert (presetManager != nullptr);

    addAndMakeVisible (selector);
    selector.onPresetSelected = [this] (int flatIndex) { pickPreset (flatIndex); };
    selector.onMenuCreated = [this] { setupHeartClickHandler (presetManager->favoritesManager.get()); };
    selector.onMenuOpening = [this] { refresh(); };

    refresh();
    startTimer (500);
}

ModernPresetSelectorWrapper::~ModernPresetSelectorWrapper()
{
    stopTimer();
}

void ModernPresetSelectorWrapper::resized()
{
    selector.setBounds (0, 0, getWidth(), getHeight());
}

//==============================================================================
juce::String ModernPresetSelectorWrapper::getCurrentName() const
{
    return presetManager->getCurrentPresetName();
}

juce::String ModernPresetSelectorWrapper::getShownName() const
{
    auto name = getCurrentName();

    if (presetManager->isCurrentPresetModified())
        name << "*";

    return name;
}

void ModernPresetSelectorWrapper::refresh()
{
    const auto name = getShownName();

    std::vector<CategoryItem> categories;
    int presetCount = 0, currentIndex = -1;
    scanPresetDirectory (presetManager->presetFolder, presetManager->presetExtension, categories, presetCount, currentIndex, name);

    selector.categories = std::move (categories);
    selector.currentIndex = currentIndex;
    selector.displayText = name.isEmpty() ? juce::String ("Init") : name;
    selector.repaint();
}

void ModernPresetSelectorWrapper::timerCallback()
{
    // Only a changed name is noticed; files changed on disk wait for the next refresh.
    if (const auto name = getShownName(); name != lastShownName)
    {
        lastShownName = name;
        refresh();

        if (onPresetChanged)
            onPresetChanged();
    }
}

//==============================================================================
void ModernPresetSelectorWrapper::collectAllPresets (const juce::File& folder, const juce::String& extension, std::vector<juce::File>& result)
{
    PresetListing::collectAllPresets (folder, extension, result);
}

std::vector<juce::File> ModernPresetSelectorWrapper::getFlatPresetList()
{
    std::vector<juce::File> presets;
    collectAllPresets (presetManager->presetFolder, presetManager->presetExtension, presets);
    return presets;
}

void ModernPresetSelectorWrapper::scanPresetDirectory (const juce::File& folder, const juce::String& extension,
                                                       std::vector<CategoryItem>& categories,
                                                       int& presetCount, int& currentIndex, const juce::String& currentName)
{
    std::vector<juce::File> flatList;
    currentIndex = listFolder (folder, extension, flatList, categories, currentName);
    presetCount = (int) flatList.size();
}

int ModernPresetSelectorWrapper::listFolder (const juce::File& folder, const juce::String& extension, std::vector<juce::File>& flatList,
                                             std::vector<CategoryItem>& categories, const juce::String& currentName)
{
    // One reading of the folder gives both: the categories are the flat list's presets of the
    // top level and of the first-level folders, in its order, which is theirs.
    collectAllPresets (folder, extension, flatList);

    const auto add = [] (CategoryItem& category, const juce::File& file, int flatIndex)
    {
        category.presetNames.add (file.getFileNameWithoutExtension());
        category.presetIndices.push_back (flatIndex);
        category.presetFiles.push_back (file);
    };

    if (const auto* favourites = presetManager->favoritesManager.get(); favourites != nullptr && ! favourites->favorites.isEmpty())
    {
        std::unordered_map<std::string, int> flatIndexOf;

        for (auto i = 0; i < (int) flatList.size(); ++i)
            flatIndexOf.emplace (flatList[(size_t) i].getFullPathName().toStdString(), i);

        CategoryItem category;
        category.name = "Favorites";

        for (const auto& entry : favourites->favorites)
            if (const auto file = favourites->presetFolder.getChildFile (entry); file.existsAsFile() && isShownDepth (file, folder))
                if (const auto found = flatIndexOf.find (file.getFullPathName().toStdString()); found != flatIndexOf.end())
                    add (category, file, found->second);

        if (! category.presetNames.isEmpty())
            categories.push_back (std::move (category));
    }

    // Only the first "User" folder is a category; deeper presets are in none.
    const auto userCategory = PresetListing::firstUserFolder (folder);
    juce::File openFolder;
    auto shown = false;

    for (auto i = 0; i < (int) flatList.size(); ++i)
    {
        const auto& file = flatList[(size_t) i];
        const auto parent = file.getParentDirectory();

        if (parent == folder)
        {
            CategoryItem category;
            category.name = file.getFileNameWithoutExtension();
            add (category, file, i);
            categories.push_back (std::move (category));
            continue;
        }

        if (parent.getParentDirectory() != folder)
            continue;

        if (parent != openFolder)
        {
            openFolder = parent;
            shown = ! PresetListing::isUserFolder (parent) || parent == userCategory;

            if (shown)
            {
                CategoryItem category;
                category.name = parent.getFileNameWithoutExtension();
                categories.push_back (std::move (category));
            }
        }

        if (shown)
            add (categories.back(), file, i);
    }

    // Names repeat across folders; the current preset is one file.
    const auto name = currentName.trimCharactersAtEnd ("*");

    if (name.isEmpty())
        return -1;

    const auto source = presetManager->sourceFileOf (name);

    if (const auto found = std::find (flatList.begin(), flatList.end(), source); source != juce::File() && found != flatList.end())
        return (int) std::distance (flatList.begin(), found);

    auto marked = -1;

    for (const auto& category : categories)
        for (auto i = 0; i < category.presetNames.size(); ++i)
            if (category.presetNames[i] == name)
                marked = category.presetIndices[(size_t) i];

    if (marked >= 0)
        return marked;

    const auto first = std::find_if (flatList.begin(), flatList.end(), [&name] (const juce::File& file)
    {
        return file.getFileNameWithoutExtension() == name;
    });

    return first != flatList.end() ? (int) std::distance (flatList.begin(), first) : -1;
}

int ModernPresetSelectorWrapper::getCurrentPresetIndex()
{
    std::vector<juce::File> flatList;
    std::vector<CategoryItem> categories;
    return listFolder (presetManager->presetFolder, presetManager->presetExtension, flatList, categories, getCurrentName());
}

juce::File ModernPresetSelectorWrapper::getCurrentPresetFile()
{
    std::vector<juce::File> flatList;
    std::vector<CategoryItem> categories;
    const auto index = listFolder (presetManager->presetFolder, presetManager->presetExtension, flatList, categories, getCurrentName());
    return index >= 0 ? flatList[(size_t) index] : juce::File();
}

juce::File ModernPresetSelectorWrapper::findPresetFile (const juce::File& folder, const juce::String& name, const juce::String& extension)
{
    return PresetListing::findPresetNamed (folder, name, extension);
}

//==============================================================================
juce::File ModernPresetSelectorWrapper::fileShownFor (int flatIndex) const
{
    return fileIn (selector.menu != nullptr ? selector.menu->categories : selector.categories, flatIndex);
}

void ModernPresetSelectorWrapper::pickPreset (int flatIndex)
{
    // The row's own file: the folder may have changed since the browser was filled, and a
    // fresh listing could put another preset at this index.
    if (const auto file = fileShownFor (flatIndex); file != juce::File())
        presetManager->loadPreset (file);

    if (onPresetLoaded)
        onPresetLoaded();

    refresh();
}

void ModernPresetSelectorWrapper::setupHeartClickHandler (FavoritesManager* favoritesManager)
{
    auto* menu = selector.menu.get();

    if (favoritesManager == nullptr || menu == nullptr)
        return;

    menu->favoritesManager = favoritesManager;

    if (menu->subMenu != nullptr)
        menu->subMenu->onHeartClicked = [this, favoritesManager] (const juce::File& presetFile)
        {
            heartClicked (*favoritesManager, presetFile);
        };
}

void ModernPresetSelectorWrapper::heartClicked (FavoritesManager& favoritesManager, const juce::File& presetFile)
{
    favoritesManager.toggleFavorite (presetFile);

    if (auto* menu = selector.menu.get(); menu != nullptr && menu->expandedIndex >= 0)
    {
        const auto openCategory = menu->expandedIndex;

        std::vector<CategoryItem> categories;
        int presetCount = 0, currentIndex = -1;
        scanPresetDirectory (presetManager->presetFolder, presetManager->presetExtension, categories, presetCount, currentIndex, getShownName());

        menu->categories = std::move (categories);
        menu->currentPresetIndex = currentIndex;
        menu->repaint();

        if (openCategory < (int) menu->categories.size())
            menu->showSubMenu (openCategory);
    }

    refresh();

    if (onPresetChanged)
        onPresetChanged();
}

//==============================================================================
juce::File ModernPresetSelectorWrapper::saveUserPreset (const juce::String& typedName)
{
    const auto file = PresetNames::userPresetFile (presetManager->presetFolder, typedName, presetManager->presetExtension);

    if (file == juce::File())
        return {};

    file.getParentDirectory().createDirectory();
    presetManager->savePresetInternal (file);
    refresh();
    return file;
}

bool ModernPresetSelectorWrapper::deletePresetFile (const juce::File& file)
{
    if (! file.existsAsFile() || ! file.isAChildOf (presetManager->presetFolder))
        return false;

    const auto deleted = file.deleteFile() && ! file.exists();

    // The dialog waited for the user; by now another preset may be current, and its name stays.
    if (deleted && getCurrentName() == file.getFileNameWithoutExtension())
        presetManager->forgetCurrentPreset();

    refresh();
    return deleted;
}
