#pragma once

#include "ModernPresetMenu.h"
#include "ModernPresetSelector.h"
#include "PresetFolderListing.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <vector>

class FavoritesManager;
class ProcessorPresetManager;

/** The preset bar of the top bar: the preset name field, kept supplied with the preset folder's
    categories, the current preset and its shown name.

    It lists the preset folder, loads what the user picks in the browser, polls the current name
    every 500 ms to tell the editor when it changed, and gives the preset bar's actions the flat
    preset list and the file lookups they need.
*/
class ModernPresetSelectorWrapper final : public juce::Component,
                                          public juce::Timer
{
public:
    /** Lists the folder at once and starts the name poll. */
    ModernPresetSelectorWrapper (ProcessorPresetManager* presetManager, std::function<void()> onPresetLoaded);
    ~ModernPresetSelectorWrapper() override;

    void resized() override;
    void timerCallback() override;

    /** Lists the preset folder again and gives the name field the categories, the current preset
        and the shown name.
    */
    void refresh();

    /** Builds the category list; callers pass an empty list, 0 and -1. */
    void scanPresetDirectory (const juce::File& folder, const juce::String& extension,
                              std::vector<ModernPresetMenu::CategoryItem>& categories,
                              int& presetCount, int& currentIndex, const juce::String& currentName);

    /** Appends the flat preset list of the folder. */
    void collectAllPresets (const juce::File& folder, const juce::String& extension, std::vector<juce::File>& result);

    /** The flat preset list of the preset folder. */
    std::vector<juce::File> getFlatPresetList();

    /** The flat index of the current preset's file, or -1. */
    int getCurrentPresetIndex();

    /** The current preset's file: the one it was last loaded from or saved to while it still
        carries the name that gave it; else the one the browser marks, the last of its name in
        category order; else, deeper than the browser shows, the first of its name in the flat
        list. An empty file when there is no current name or no file of it. Previous and next, the
        browser's check mark, the heart and the delete action all take this one file.
    */
    juce::File getCurrentPresetFile();

    /** A file below the folder whose name without extension is name, or an empty file. */
    juce::File findPresetFile (const juce::File& folder, const juce::String& name, const juce::String& extension);

    /** Gives the menu the favourites and its preset list the heart handler. */
    void setupHeartClickHandler (FavoritesManager* favoritesManager);

    /** Saves the current state under a typed name in the "User" folder and lists the folder
        again. Returns the written file, or an empty file when the name is refused.
    */
    juce::File saveUserPreset (const juce::String& typedName);

    /** Deletes exactly that file; only when it is gone, and the current preset still carries its
        name, the current name is cleared. Lists the folder again. True when the file was deleted.
    */
    bool deletePresetFile (const juce::File& file);

    /** The current preset's name, with "*" when it was modified. */
    juce::String getShownName() const;

    /** The current preset's name, without "*". */
    juce::String getCurrentName() const;

    std::function<void()> onPresetChanged;
    ModernPresetSelector selector;
    ProcessorPresetManager* const presetManager;
    std::function<void()> onPresetLoaded;
    juce::String lastShownName;

private:
    juce::SharedResourcePointer<PresetFolderListing> listings;

    void pickPreset (int flatIndex);
    void heartClicked (FavoritesManager&, const juce::File& presetFile);

    /** The "Favorites" category of the listing: the favourites that it lists at the depths the
        browser shows, in the favourites' order; empty when there is none.
    */
    ModernPresetMenu::CategoryItem favouritesCategory (const PresetFolderListing::Listing&, const juce::File& folder) const;

    /** The flat index of the current preset's file for that name (its shown form), or -1. The
        favourites category is built when it is needed and not given.
    */
    int currentIndexIn (const PresetFolderListing::Listing&, const juce::File& folder,
                        const ModernPresetMenu::CategoryItem* favourites, const juce::String& currentName) const;

    /** The file of a flat index among the categories the browser shows, or an empty file. */
    juce::File fileShownFor (int flatIndex) const;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ModernPresetSelectorWrapper)
};
