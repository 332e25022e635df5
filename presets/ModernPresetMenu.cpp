#include "ModernPresetMenu.h"

#include "BrowserWindows.h"
#include "PresetBox.h"
#include "PresetBrowserLook.h"

#include <algorithm>

namespace
{
    // Rows of 38 under the header, 14 pixels spare below the last; at most 350 tall.
    constexpr ScrolledRows::Layout layout { ModernPresetMenu::headerHeight, 38, 7, 350, false };
}

ModernPresetMenu::ModernPresetMenu()
    : ScrolledRows (layout)
{
    setMouseClickGrabsKeyboardFocus (true);

    subMenu = std::make_unique<PresetSubMenu>();

    subMenu->onBack = [this]
    {
        const auto openCategory = expandedIndex;
        closeSubMenu();
        grabKeyboardFocus();

        if (openCategory >= 0)
        {
            selectedIndex = openCategory;
            hoveredIndex = -1;
            // The pointer may still rest on another row; the keyboard keeps the highlight until
            // the pointer really moves.
            ignoreNextMouseMove = true;
        }

        repaint();
    };

    subMenu->onClose = [this] { requestClose(); };
}

ModernPresetMenu::~ModernPresetMenu()
{
    closeSubMenu();
}

//==============================================================================
void ModernPresetMenu::setCategories (const std::vector<CategoryItem>& items, int currentPreset)
{
    categories = items;
    currentPresetIndex = currentPreset;
    startAtTop();
    closeSubMenu();
}

void ModernPresetMenu::autoExpandCurrentCategory()
{
    const auto found = std::find_if (categories.begin(), categories.end(), [this] (const CategoryItem& category)
    {
        const auto& indices = category.presetIndices;
        return std::find (indices.begin(), indices.end(), currentPresetIndex) != indices.end();
    });

    if (found == categories.end())
        return;

    const auto category = (int) std::distance (categories.begin(), found);

    selectedIndex = category;
    hoveredIndex = -1;
    ensureRowVisible (category);

    // The list can only be placed beside its row once the menu is on screen.
    juce::MessageManager::callAsync ([safeThis = juce::Component::SafePointer<ModernPresetMenu> (this), category]
                                     {
                                         if (safeThis == nullptr || ! safeThis->isVisible())
                                             return;

                                         safeThis->showSubMenu (category);

                                         if (safeThis->subMenu->isVisible())
                                             safeThis->subMenu->grabKeyboardFocus();
                                     });

    repaint();
}

void ModernPresetMenu::setOnPresetSelected (std::function<void (int)> callback)
{
    onPresetSelected = callback;

    if (subMenu == nullptr)
        return;

    subMenu->onItemSelected = [this, callback] (int flatIndex)
    {
        if (callback)
            callback (flatIndex);

        closeSubMenu();
        requestClose();
    };
}

void ModernPresetMenu::requestClose()
{
    if (onCloseRequested)
        onCloseRequested();
}

//==============================================================================
void ModernPresetMenu::showSubMenu (int categoryIndex)
{
    if (categoryIndex < 0 || categoryIndex >= (int) categories.size())
        return;

    if (expandedIndex >= 0 && expandedIndex != categoryIndex)
        closeSubMenu();

    expandedIndex = categoryIndex;

    const auto& category = categories[(size_t) categoryIndex];
    const auto favourites = favoritesManager != nullptr ? favoritesManager->areFavorites (category.presetFiles)
                                                        : std::vector<bool> (category.presetFiles.size(), false);
    std::vector<PresetSubMenu::MenuItem> rows;

    for (auto j = 0; j < category.presetNames.size(); ++j)
    {
        PresetSubMenu::MenuItem row;
        row.name = category.presetNames[j];
        row.index = category.presetIndices[(size_t) j];
        row.isCurrent = row.index == currentPresetIndex;

        if ((size_t) j < category.presetFiles.size())
        {
            row.file = category.presetFiles[(size_t) j];
            row.isFavourite = favourites[(size_t) j];
        }

        rows.push_back (row);
    }

    subMenu->setItems (rows);

    if (isShowing())
    {
        positionSubMenu (categoryIndex);
        return;
    }

    juce::MessageManager::callAsync ([safeThis = juce::Component::SafePointer<ModernPresetMenu> (this), categoryIndex]
                                     {
                                         if (safeThis != nullptr && safeThis->isVisible() && safeThis->expandedIndex == categoryIndex)
                                             safeThis->positionSubMenu (categoryIndex);
                                     });
}

void ModernPresetMenu::positionSubMenu (int categoryIndex)
{
    if (categoryIndex < 0 || subMenu == nullptr || categoryIndex >= (int) categories.size())
        return;

    const auto row = localAreaToGlobal (juce::Rectangle<int> (0, rowTop (categoryIndex), getWidth(), itemHeight));

    if (! subMenu->isOnDesktop())
        subMenu->addToDesktop (juce::ComponentPeer::windowIsTemporary);

    subMenu->setVisible (true);

    // The list's first row starts one padding below its top, level with the category's row.
    subMenu->setBounds (row.getRight() + 5, row.getY() - padding, subMenu->getWidth(), subMenu->getHeight());
    subMenu->toFront (false);
    subMenu->setAlwaysOnTop (true);
    repaint();
}

void ModernPresetMenu::closeSubMenu()
{
    if (subMenu != nullptr && subMenu->isVisible())
        BrowserWindows::close (*subMenu);

    expandedIndex = -1;
    repaint();
}

//==============================================================================
int ModernPresetMenu::getRowCount() const
{
    return (int) categories.size();
}

bool ModernPresetMenu::hasPresets (int row) const
{
    return row >= 0 && row < (int) categories.size() && ! categories[(size_t) row].presetNames.isEmpty();
}

//==============================================================================
void ModernPresetMenu::mouseMove (const juce::MouseEvent& e)
{
    if (ignoreNextMouseMove)
    {
        ignoreNextMouseMove = false;
        return;
    }

    if (const auto row = rowAt (e.y); row != hoveredIndex)
    {
        hoveredIndex = row;
        selectedIndex = -1;
        repaint();
    }
}

void ModernPresetMenu::mouseEnter (const juce::MouseEvent& e)
{
    if (const auto row = rowAt (e.y); row >= 0)
    {
        hoveredIndex = row;
        selectedIndex = -1;
        repaint();
    }
}

void ModernPresetMenu::mouseDown (const juce::MouseEvent& e)
{
    const auto row = rowAt (e.y);

    if (row >= 0)
    {
        if (hasPresets (row))
            showSubMenu (row);

        return;
    }

    closeSubMenu();
    requestClose();
}

//==============================================================================
bool ModernPresetMenu::rowKeyPressed (const juce::KeyPress& key)
{
    if (key.isKeyCode (juce::KeyPress::leftKey))
        return true;

    if (key.isKeyCode (juce::KeyPress::rightKey))
    {
        const auto row = highlightedRow();

        if (hasPresets (row) && row != expandedIndex)
        {
            showSubMenu (row);

            if (subMenu->isVisible())
                subMenu->grabKeyboardFocus();
        }

        return true;
    }

    if (key.isKeyCode (juce::KeyPress::escapeKey))
    {
        closeSubMenu();
        requestClose();
        return true;
    }

    return false;
}

void ModernPresetMenu::focusGained (FocusChangeType)
{
    if (selectedIndex < 0 && ! categories.empty())
    {
        selectedIndex = 0;
        hoveredIndex = -1;
    }

    repaint();
}

//==============================================================================
void ModernPresetMenu::paint (juce::Graphics& g)
{
    const auto height = getHeight();
    const auto listWidth = getListWidth();
    const auto bounds = getLocalBounds().toFloat();

    PresetBrowserLook::paintShadow (g, bounds, 21, 1.0f, 8.0f);

    g.setColour (PresetBrowserLook::panel);
    g.fillRoundedRectangle (bounds, 8.0f);

    PresetBrowserLook::paintNoise (g, 42, 300, (float) listWidth, (float) height, 1.0f, 0.09f);

    paintHeader (g);

    juce::Graphics::ScopedSaveState clipped (g);
    g.reduceClipRegion (0, headerHeight, listWidth, juce::jmax (0, height - headerHeight));

    for (auto row = 0; row < (int) categories.size(); ++row)
        paintRow (g, row, listWidth);
}

void ModernPresetMenu::paintHeader (juce::Graphics& g)
{
    const auto width = getWidth();
    const auto bandHeight = juce::jmin (getHeight(), headerHeight);

    g.setColour (juce::Colour (0xFF151515));
    g.fillRect (0, 0, width, bandHeight);
    g.setColour (juce::Colour (0x1AFFFFFF));
    g.fillRect (0, bandHeight - 1, width, 1);

    g.setColour (PresetBrowserLook::whiteMedium);
    const auto gridTop = (float) (headerHeight / 2 - 6);

    for (const auto y : { 0.0f, 4.5f, 9.0f })
        for (const auto x : { 15.0f, 19.5f, 24.0f })
            g.fillRoundedRectangle (x, gridTop + y, 3.0f, 3.0f, 1.0f);

    g.setColour (juce::Colours::white);
    g.setFont (font.withHeight (16.0f).boldened());
    g.drawText ("CATEGORIES", juce::Rectangle<int> (35, 0, juce::jmax (0, width - 35), bandHeight), juce::Justification::left, true);
}

void ModernPresetMenu::paintRow (juce::Graphics& g, int row, int listWidth)
{
    const auto y = rowTop (row);

    if (y + itemHeight <= headerHeight || y >= getHeight())
        return;

    const auto& category = categories[(size_t) row];
    const auto centre = (float) (y + itemHeight / 2);
    const auto active = row == highlightedRow() || row == expandedIndex;
    juce::Rectangle<int> area (0, y, listWidth, itemHeight);

    if (active)
    {
        g.setGradientFill (juce::ColourGradient (PresetBrowserLook::highlight, 0.0f, (float) y,
                                                 juce::Colour (0xFF252525), (float) listWidth, (float) y, false));
        g.fillRect (area);

        if (row == expandedIndex)
        {
            g.setColour (PresetBrowserLook::orange);
            g.fillRect (0, y, 3, itemHeight);
            area.removeFromLeft (3);
        }
    }

    if (category.name == "Favorites")
    {
        g.setColour (PresetBrowserLook::heartColour (active));
        g.fillPath (PresetBrowserLook::heart (25.0f, centre, 7.2f, 1.0f));
    }
    else
    {
        const auto top = (float) (y + itemHeight / 2 - 6);
        juce::Path folder;
        folder.addRoundedRectangle (18.0f, top + 2.0f, 14.0f, 10.0f, 2.0f);
        folder.addRoundedRectangle (18.0f, top, 5.6f, 4.0f, 2.0f);
        g.setColour (active ? PresetBrowserLook::whiteStrong : juce::Colours::white.withAlpha ((juce::uint8) 0x80));
        g.fillPath (folder);
    }

    const auto rowFont = font.withHeight (15.0f).withExtraKerningFactor (0.05f);
    g.setFont (rowFont);
    g.setColour (active ? juce::Colours::white : juce::Colour (0xBFFFFFFF));
    g.drawText (category.name, juce::Rectangle<int> (area.getX() + 42, y, juce::jmax (0, area.getWidth() - 84), itemHeight),
                juce::Justification::centredLeft, true);

    if (! category.presetNames.isEmpty())
    {
        g.setColour (PresetBrowserLook::whiteSoft);
        g.setFont (rowFont.withHeight (13.0f));
        g.drawText (juce::String (category.presetNames.size()),
                    juce::Rectangle<int> (area.getRight() - 60, y, 40, itemHeight), juce::Justification::centred, false);
        area.removeFromRight (40);

        juce::Path chevron;
        chevron.startNewSubPath ((float) listWidth - 23.0f, centre - 3.0f);
        chevron.lineTo ((float) listWidth - 20.0f, centre);
        chevron.lineTo ((float) listWidth - 23.0f, centre + 3.0f);
        g.setColour (active ? PresetBrowserLook::whiteMedium : PresetBrowserLook::whiteFaint);
        g.strokePath (chevron, PresetBrowserLook::thinStroke);
    }

    if (row < (int) categories.size() - 1)
    {
        g.setColour (PresetBrowserLook::hairline);
        g.fillRect (area.getX() + 15, y + itemHeight - 1, juce::jmax (0, area.getWidth() - 30), 1);
    }
}
