#pragma once

#include "PresetSubMenu.h"
#include "ScrolledRows.h"

#include <functional>
#include <memory>
#include <vector>

class FavoritesManager;

/** The first level of the preset browser: a borderless window listing the preset categories
    under a "CATEGORIES" header, each with its icon, name and preset count.

    Pressing a row, or Right on the highlighted row, opens that category's presets in the preset
    list window just to the right of the row. The preset selector owns the menu, fills it at every
    opening and puts it on and off the desktop.
*/
class ModernPresetMenu final : public ScrolledRows
{
public:
    /** One category and its presets, the last three in parallel. */
    struct CategoryItem
    {
        juce::String name;
        juce::StringArray presetNames;
        std::vector<int> presetIndices;      // flat indices
        std::vector<juce::File> presetFiles;
    };

    ModernPresetMenu();
    ~ModernPresetMenu() override;

    /** Takes the rows and sizes the window to them; clears hover, highlight, the open category
        and the scroll position.
    */
    void setCategories (const std::vector<CategoryItem>& items, int currentPresetIndex);

    /** Highlights the category that holds the current preset and opens its list once the menu
        is on screen.
    */
    void autoExpandCurrentCategory();

    /** Where a chosen preset's flat index goes; choosing one also closes the browser. */
    void setOnPresetSelected (std::function<void (int)> callback);

    /** Opens a category's preset list beside its row; the open one stays open. */
    void showSubMenu (int categoryIndex);

    /** Places the preset list beside a category's row and puts it on the desktop. */
    void positionSubMenu (int categoryIndex);

    /** Takes the preset list off the desktop; no category is open afterwards. */
    void closeSubMenu();

    int getRowCount() const override;

    void mouseMove (const juce::MouseEvent&) override;
    void mouseEnter (const juce::MouseEvent&) override;
    void mouseDown (const juce::MouseEvent&) override;
    void paint (juce::Graphics&) override;
    void focusGained (FocusChangeType) override;

    std::function<void()> onCloseRequested;
    std::unique_ptr<PresetSubMenu> subMenu;
    std::vector<CategoryItem> categories;
    int currentPresetIndex = -1;
    int expandedIndex = -1;
    std::function<void (int)> onPresetSelected;
    FavoritesManager* favoritesManager = nullptr;
    bool ignoreNextMouseMove = false;

    static constexpr int headerHeight = 36;

private:
    bool rowKeyPressed (const juce::KeyPress&) override;

    bool hasPresets (int row) const;
    void requestClose();
    void paintHeader (juce::Graphics&);
    void paintRow (juce::Graphics&, int row, int listWidth);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ModernPresetMenu)
};
