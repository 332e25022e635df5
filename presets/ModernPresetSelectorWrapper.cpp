#include "ModernPresetSelectorWrapper.h"

#include "PresetBox.h"
#include "PresetNames.h"

#include <algorithm>
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

    /** A path that juce::File::getChildFile appends as it stands: none of its parts is empty, "."
        or "..", and it starts from neither the root nor the home folder.
    */
    bool isPlainRelativePath (const juce::String& path)
    {
        return path.isNotEmpty() && ! path.startsWithChar ('/') && ! path.startsWithChar ('~') && ! path.startsWithChar ('.')
            && ! path.endsWithChar ('/') && ! path.contains ("//") && ! path.contains ("/.");
    }

    /** Whether the framework can work out the file an entry names in little time. It drops each
        "." or ".." part of a path by moving all the parts after it, so an entry made of thousands
        of them would hold up every listing; no such entry names a file anyway, as a path longer
        than the system allows opens nothing.
    */
    bool resolvesQuickly (const juce::String& path)
    {
        constexpr auto longestPath = 4096;
        constexpr auto mostDotParts = 64;

        if (path.length() > longestPath)
            return false;

        auto dotParts = 0;
        auto previous = (juce::juce_wchar) '/';

        for (auto p = path.getCharPointer(); ! p.isEmpty(); ++p)
        {
            if (*p == '.' && previous == '/')
                ++dotParts;

            previous = *p;
        }

        return dotParts <= mostDotParts;
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
    selector.onMenuOpening = [this]
    {
        // The user opens the browser to look at the folder: every folder of it is read.
        listings->readAllAtNextRequest();
        refresh();
    };

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
    return listings->listingOf (presetManager->presetFolder, presetManager->presetExtension)->flatList;
}

void ModernPresetSelectorWrapper::scanPresetDirectory (const juce::File& folder, const juce::String& extension,
                                                       std::vector<CategoryItem>& categories,
                                                       int& presetCount, int& currentIndex, const juce::String& currentName)
{
    const auto listing = listings->listingOf (folder, extension);
    auto favourites = favouritesCategory (*listing, folder);

    currentIndex = currentIndexIn (*listing, folder, &favourites, currentName);
    presetCount = (int) listing->flatList.size();

    if (! favourites.presetNames.isEmpty())
        categories.push_back (std::move (favourites));

    categories.insert (categories.end(), listing->categories.begin(), listing->categories.end());
}

CategoryItem ModernPresetSelectorWrapper::favouritesCategory (const PresetFolderListing::Listing& listing, const juce::File& folder) const
{
    CategoryItem category;
    category.name = "Favorites";

    const auto* favourites = presetManager->favoritesManager.get();

    if (favourites == nullptr)
        return category;

    // The listing has just been found unchanged, so what it holds exists. Most entries are plain
    // paths inside the folder and are looked up as they stand; only the others need the file's
    // own path worked out.
    const auto inThisFolder = favourites->presetFolder == folder;

    for (const auto& entry : favourites->favorites)
    {
        if (inThisFolder && isPlainRelativePath (entry))
        {
            const auto isShown = entry.indexOfChar ('/') == entry.lastIndexOfChar ('/');

            if (const auto flatIndex = isShown ? listing.indexOfRelativePath (entry) : -1; flatIndex >= 0)
                PresetFolderListing::addTo (category, listing.flatList[(size_t) flatIndex], flatIndex);
        }
        else if (resolvesQuickly (entry))
        {
            if (const auto file = favourites->presetFolder.getChildFile (entry); isShownDepth (file, folder))
                if (const auto flatIndex = listing.indexOf (file); flatIndex >= 0)
                    PresetFolderListing::addTo (category, file, flatIndex);
        }
    }

    return category;
}

int ModernPresetSelectorWrapper::currentIndexIn (const PresetFolderListing::Listing& listing, const juce::File& folder,
                                                 const CategoryItem* favourites, const juce::String& currentName) const
{
    // Names repeat across folders; the current preset is one file.
    const auto name = currentName.trimCharactersAtEnd ("*");

    if (name.isEmpty())
        return -1;

    if (const auto source = presetManager->sourceFileOf (name); source != juce::File())
        if (const auto flatIndex = listing.indexOf (source); flatIndex >= 0)
            return flatIndex;

    // The browser marks the last of the name in category order, "Favorites" first.
    const auto lastIn = [&name] (const CategoryItem& category)
    {
        for (auto i = category.presetNames.size(); --i >= 0;)
            if (category.presetNames[i] == name)
                return category.presetIndices[(size_t) i];

        return -1;
    };

    for (auto category = listing.categories.rbegin(); category != listing.categories.rend(); ++category)
        if (const auto marked = lastIn (*category); marked >= 0)
            return marked;

    // Only a preset that no category shows, in a second "User" folder, can be marked there
    // alone; the favourites are looked up only then.
    if (const auto marked = lastIn (favourites != nullptr ? *favourites : favouritesCategory (listing, folder)); marked >= 0)
        return marked;

    const auto& flatList = listing.flatList;
    const auto first = std::find_if (flatList.begin(), flatList.end(), [&name] (const juce::File& file)
    {
        return file.getFileNameWithoutExtension() == name;
    });

    return first != flatList.end() ? (int) std::distance (flatList.begin(), first) : -1;
}

int ModernPresetSelectorWrapper::getCurrentPresetIndex()
{
    const auto& folder = presetManager->presetFolder;
    return currentIndexIn (*listings->listingOf (folder, presetManager->presetExtension), folder, nullptr, getCurrentName());
}

juce::File ModernPresetSelectorWrapper::getCurrentPresetFile()
{
    const auto& folder = presetManager->presetFolder;
    const auto listing = listings->listingOf (folder, presetManager->presetExtension);
    const auto index = currentIndexIn (*listing, folder, nullptr, getCurrentName());
    return index >= 0 ? listing->flatList[(size_t) index] : juce::File();
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
