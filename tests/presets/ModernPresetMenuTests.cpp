// The category menu window: its size and rows, the keyboard and mouse tables, scrolling, the
// preset list it opens and where that list goes on screen.

#include "support/BrowserTestSupport.h"

#include "presets/ModernPresetMenu.h"

using namespace BrowserTest;

namespace
{
    using CategoryItem = ModernPresetMenu::CategoryItem;

    /** A category of the given number of presets, flat indices from firstIndex on. */
    CategoryItem category (const juce::String& name, int presets, int firstIndex, const juce::File& folder)
    {
        CategoryItem item;
        item.name = name;

        for (auto i = 0; i < presets; ++i)
        {
            item.presetNames.add (name + " " + juce::String (i));
            item.presetIndices.push_back (firstIndex + i);
            item.presetFiles.push_back (folder.getChildFile (name).getChildFile (juce::String (i) + ".rcp"));
        }

        return item;
    }

    class Menu : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            menu.onCloseRequested = [this] { log.add ("close"); };
        }

        void TearDown() override
        {
            menu.closeSubMenu();
            menu.removeFromDesktop();
        }

        /** Categories "C0" and on; category i holds presetsPerCategory[i] presets. */
        std::vector<CategoryItem> categories (std::initializer_list<int> presetsPerCategory)
        {
            std::vector<CategoryItem> items;
            auto index = 0;

            for (const auto presets : presetsPerCategory)
            {
                items.push_back (category ("C" + juce::String ((int) items.size()), presets, index, folder));
                index += presets;
            }

            return items;
        }

        std::vector<CategoryItem> categories (int count)
        {
            std::vector<CategoryItem> items;

            for (auto i = 0; i < count; ++i)
                items.push_back (category ("C" + juce::String (i), 2, 2 * i, folder));

            return items;
        }

        void fill (const std::vector<CategoryItem>& items, int currentPreset = -1)
        {
            menu.setCategories (items, currentPreset);
            ASSERT_TRUE (runPendingMessages());
            menu.subMenu->stopTimer();
        }

        void show (juce::Point<int> position = { 300, 200 })
        {
            menu.addToDesktop (juce::ComponentPeer::windowIsTemporary);
            menu.setTopLeftPosition (position);
            menu.setVisible (true);
        }

        ModernPresetMenu menu;
        juce::StringArray log;
        const juce::File folder = juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile ("menu-files");
    };
}

TEST_F (Menu, WindowSizeAndScrollBarFollowTheCategories)
{
    struct Case { int count; int height; bool scrollBar; };

    // 270 x min(350, 50 + 38 count): eight fit (304 within a 314-pixel list), nine do not.
    const Case cases[] = { { 0, 50, false }, { 1, 88, false }, { 7, 316, false }, { 8, 350, false }, { 9, 350, true }, { 30, 350, true } };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.count);
        fill (categories (c.count));

        EXPECT_EQ (menu.getWidth(), 270);
        EXPECT_EQ (menu.getHeight(), c.height);
        EXPECT_EQ (menu.scrollBar.isVisible(), c.scrollBar);
        EXPECT_EQ (menu.getListWidth(), c.scrollBar ? 260 : 270);

        if (c.scrollBar)
        {
            EXPECT_EQ (menu.scrollBar.getBounds(), juce::Rectangle<int> (258, 41, 12, 304));
            EXPECT_EQ (menu.scrollBar.getMaximumRangeLimit(), 38.0 * c.count);
            EXPECT_EQ (menu.scrollBar.getCurrentRangeSize(), 314.0);
        }
    }
}

TEST_F (Menu, FillingClearsHoverHighlightOpenListAndScroll)
{
    show();
    fill (categories (12));
    menu.hoveredIndex = 2;
    menu.selectedIndex = 3;
    menu.showSubMenu (4);
    menu.scrollOffset = 60;
    ASSERT_TRUE (menu.subMenu->isVisible());

    fill (categories (3), 5);

    EXPECT_EQ (menu.hoveredIndex, -1);
    EXPECT_EQ (menu.selectedIndex, -1);
    EXPECT_EQ (menu.expandedIndex, -1);
    EXPECT_EQ (menu.scrollOffset, 0);
    EXPECT_EQ (menu.currentPresetIndex, 5);
    EXPECT_FALSE (menu.subMenu->isVisible());
    EXPECT_EQ (menu.getPosition(), juce::Point<int> (300, 200));
}

TEST_F (Menu, RowsByPosition)
{
    fill (categories (2));

    struct Case { int y; int row; };

    // The header is no row, nor is the padding under the last one.
    for (const auto& c : { Case { 0, -1 }, Case { 35, -1 }, Case { 36, 0 }, Case { 73, 0 }, Case { 74, 1 }, Case { 111, 1 }, Case { 112, -1 }, Case { 125, -1 } })
        EXPECT_EQ (menu.rowAt (c.y), c.row) << "y " << c.y;

    fill (categories (12));
    menu.scrollOffset = 50;
    EXPECT_EQ (menu.rowAt (36), 1);
    EXPECT_EQ (menu.rowAt (35), -1);
}

//==============================================================================
TEST_F (Menu, KeyTable)
{
    const auto up = juce::KeyPress (juce::KeyPress::upKey), down = juce::KeyPress (juce::KeyPress::downKey);
    const auto left = juce::KeyPress (juce::KeyPress::leftKey), right = juce::KeyPress (juce::KeyPress::rightKey);
    const auto escape = juce::KeyPress (juce::KeyPress::escapeKey);

    struct Case
    {
        const char* what;
        int selected, hovered, expanded;
        juce::KeyPress key;
        bool handled;
        int selectedAfter, hoveredAfter, expandedAfter;
        int listRowsAfter;
        const char* logAfter;
    };

    // Four categories of 2, 0, 3 and 1 presets.
    const Case cases[] = {
        { "up from nothing",       -1, -1, -1, up,     true,   0, -1, -1, -1, "" },
        { "up from the hover",     -1,  2, -1, up,     true,   1, -1, -1, -1, "" },
        { "up from the top",        0, -1, -1, up,     true,   0, -1, -1, -1, "" },
        { "up",                     3, -1, -1, up,     true,   2, -1, -1, -1, "" },
        { "down from nothing",     -1, -1, -1, down,   true,   0, -1, -1, -1, "" },
        { "down from the hover",   -1,  1, -1, down,   true,   2, -1, -1, -1, "" },
        { "down from the bottom",   3, -1, -1, down,   true,   3, -1, -1, -1, "" },
        { "left",                   2, -1,  2, left,   true,   2, -1,  2, -1, "" },
        { "right opens",            2, -1, -1, right,  true,   2, -1,  2,  3, "" },
        { "right on the hover",    -1,  3, -1, right,  true,  -1,  3,  3,  1, "" },
        { "right on an empty one",  1, -1, -1, right,  true,   1, -1, -1, -1, "" },
        { "right on the open one",  2, -1,  2, right,  true,   2, -1,  2, -1, "" },
        { "right on nothing",      -1, -1, -1, right,  true,  -1, -1, -1, -1, "" },
        { "right moves the list",   0, -1,  2, right,  true,   0, -1,  0,  2, "" },
        { "escape",                 0, -1,  2, escape, true,   0, -1, -1, -1, "close" },
        { "shift down",             0, -1, -1, juce::KeyPress (juce::KeyPress::downKey, juce::ModifierKeys::shiftModifier, 0), false, 0, -1, -1, -1, "" },
        { "command right",          0, -1, -1, juce::KeyPress (juce::KeyPress::rightKey, juce::ModifierKeys::commandModifier, 0), false, 0, -1, -1, -1, "" },
        { "a letter",               0, -1, -1, juce::KeyPress ('x'), false, 0, -1, -1, -1, "" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        fill (categories ({ 2, 0, 3, 1 }));

        if (c.expanded >= 0)
            menu.showSubMenu (c.expanded);

        menu.subMenu->setItems ({});
        menu.subMenu->stopTimer();
        log.clear();
        menu.selectedIndex = c.selected;
        menu.hoveredIndex = c.hovered;

        EXPECT_EQ (menu.keyPressed (c.key), c.handled);
        EXPECT_EQ (menu.selectedIndex, c.selectedAfter);
        EXPECT_EQ (menu.hoveredIndex, c.hoveredAfter);
        EXPECT_EQ (menu.expandedIndex, c.expandedAfter);

        // The list is filled anew only when a category opens.
        EXPECT_EQ ((int) menu.subMenu->items.size(), juce::jmax (0, c.listRowsAfter));
        EXPECT_EQ (log.joinIntoString (","), c.logAfter);
    }
}

TEST_F (Menu, UpAndDownDoNothingVisibleWithoutCategories)
{
    fill ({});

    EXPECT_TRUE (menu.keyPressed (juce::KeyPress (juce::KeyPress::downKey)));
    EXPECT_EQ (menu.selectedIndex, -1);
    EXPECT_TRUE (menu.keyPressed (juce::KeyPress (juce::KeyPress::rightKey)));
    EXPECT_EQ (menu.expandedIndex, -1);
}

TEST_F (Menu, KeysScrollTheHighlightIntoView)
{
    fill (categories (12));
    menu.selectedIndex = 7;

    // Row 8 spans 304 to 342 of the rows, past the 314 pixels of the list.
    menu.keyPressed (juce::KeyPress (juce::KeyPress::downKey));
    EXPECT_EQ (menu.scrollOffset, 28);
    EXPECT_EQ (menu.scrollBar.getCurrentRangeStart(), 28.0);

    menu.selectedIndex = 1;
    menu.keyPressed (juce::KeyPress (juce::KeyPress::upKey));
    EXPECT_EQ (menu.scrollOffset, 0);
}

//==============================================================================
TEST_F (Menu, PressTable)
{
    struct Case { const char* what; int y; int expandedAfter; const char* logAfter; };

    // Three categories of 2, 0 and 1 presets: rows at 36, 74 and 112, padding to 164.
    const Case cases[] = {
        { "header",              10, -1, "close" },
        { "row with presets",    50,  0, "" },
        { "row without presets", 90, -1, "" },
        { "last row",           140,  2, "" },
        { "padding below",      155, -1, "close" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        fill (categories ({ 2, 0, 1 }));
        log.clear();

        menu.mouseDown (mouseAt (menu, 100.0f, (float) c.y));
        EXPECT_EQ (menu.expandedIndex, c.expandedAfter);
        EXPECT_EQ (log.joinIntoString (","), c.logAfter);
    }
}

TEST_F (Menu, PressOnAnotherRowReplacesTheOpenList)
{
    show();
    fill (categories ({ 2, 3 }));

    menu.mouseDown (mouseAt (menu, 100.0f, 50.0f));
    EXPECT_EQ (menu.expandedIndex, 0);
    EXPECT_EQ (menu.subMenu->items.size(), 2u);

    menu.mouseDown (mouseAt (menu, 100.0f, 80.0f));
    EXPECT_EQ (menu.expandedIndex, 1);
    EXPECT_EQ (menu.subMenu->items.size(), 3u);
    EXPECT_TRUE (menu.subMenu->isVisible());

    menu.mouseDown (mouseAt (menu, 100.0f, 10.0f));
    EXPECT_EQ (menu.expandedIndex, -1);
    EXPECT_FALSE (menu.subMenu->isVisible());
    EXPECT_FALSE (menu.subMenu->isOnDesktop());
}

TEST_F (Menu, HoverFollowsThePointerAndGivesWayToTheKeyboard)
{
    fill (categories (4));
    menu.selectedIndex = 3;

    menu.mouseEnter (mouseAt (menu, 50.0f, 10.0f));
    EXPECT_EQ (menu.hoveredIndex, -1);
    EXPECT_EQ (menu.selectedIndex, 3);

    menu.mouseEnter (mouseAt (menu, 50.0f, 80.0f));
    EXPECT_EQ (menu.hoveredIndex, 1);
    EXPECT_EQ (menu.selectedIndex, -1);

    menu.mouseMove (mouseAt (menu, 50.0f, 120.0f));
    EXPECT_EQ (menu.hoveredIndex, 2);

    menu.mouseMove (mouseAt (menu, 50.0f, 5.0f));
    EXPECT_EQ (menu.hoveredIndex, -1);

    menu.selectedIndex = 0;
    menu.ignoreNextMouseMove = true;
    menu.mouseMove (mouseAt (menu, 50.0f, 120.0f));
    EXPECT_FALSE (menu.ignoreNextMouseMove);
    EXPECT_EQ (menu.hoveredIndex, -1);
    EXPECT_EQ (menu.selectedIndex, 0);

    menu.mouseMove (mouseAt (menu, 50.0f, 121.0f));
    EXPECT_EQ (menu.hoveredIndex, 2);
    EXPECT_EQ (menu.selectedIndex, -1);

    menu.mouseExit (mouseAt (menu, -5.0f, 121.0f));
    EXPECT_EQ (menu.hoveredIndex, -1);
}

TEST_F (Menu, WheelScrollsWithinTheRows)
{
    fill (categories (9));

    // 342 pixels of rows in a 314-pixel list: at most 28 scroll away.
    struct Step { float deltaY; int offset; };

    for (const auto& step : { Step { -0.1f, 5 }, Step { 0.1f, 0 }, Step { 0.1f, 0 }, Step { -0.3f, 15 }, Step { -2.0f, 28 } })
    {
        menu.mouseWheelMove (mouseAt (menu, 10.0f, 100.0f), wheel (step.deltaY));
        EXPECT_EQ (menu.scrollOffset, step.offset) << step.deltaY;
        EXPECT_EQ (menu.scrollBar.getCurrentRangeStart(), (double) step.offset);
    }

    menu.scrollBarMoved (&menu.scrollBar, 12.6);
    EXPECT_EQ (menu.scrollOffset, 13);

    fill (categories (8));
    menu.mouseWheelMove (mouseAt (menu, 10.0f, 100.0f), wheel (-1.0f));
    EXPECT_EQ (menu.scrollOffset, 0);
}

TEST_F (Menu, FocusPutsTheHighlightOnTheFirstRow)
{
    fill (categories (3));
    menu.hoveredIndex = 2;
    menu.focusGained (juce::Component::focusChangedDirectly);
    EXPECT_EQ (menu.selectedIndex, 0);
    EXPECT_EQ (menu.hoveredIndex, -1);

    menu.selectedIndex = 2;
    menu.focusGained (juce::Component::focusChangedDirectly);
    EXPECT_EQ (menu.selectedIndex, 2);

    fill ({});
    menu.focusGained (juce::Component::focusChangedDirectly);
    EXPECT_EQ (menu.selectedIndex, -1);
}

//==============================================================================
TEST_F (Menu, OpenListCarriesCurrentFavouriteAndFileOfEachPreset)
{
    folder.deleteRecursively();
    FavoritesManager favourites (folder);
    favourites.favorites = juce::StringArray ({ "C0/1.rcp", "c0/0.rcp" });

    auto items = categories ({ 3, 2 });
    items[0].presetFiles.pop_back();

    fill (items, 1);
    menu.favoritesManager = &favourites;
    menu.showSubMenu (0);

    const auto& rows = menu.subMenu->items;
    ASSERT_EQ (rows.size(), 3u);

    struct Expected { const char* name; int index; bool current; bool favourite; bool hasFile; };

    // The third preset has no file: it can be neither marked nor toggled.
    const Expected expected[] = {
        { "C0 0", 0, false, false, true },
        { "C0 1", 1, true,  true,  true },
        { "C0 2", 2, false, false, false },
    };

    for (size_t i = 0; i < rows.size(); ++i)
    {
        SCOPED_TRACE (i);
        EXPECT_EQ (rows[i].name, expected[i].name);
        EXPECT_EQ (rows[i].index, expected[i].index);
        EXPECT_EQ (rows[i].isCurrent, expected[i].current);
        EXPECT_EQ (rows[i].isFavourite, expected[i].favourite);
        EXPECT_EQ (rows[i].file != juce::File(), expected[i].hasFile);
    }

    menu.favoritesManager = nullptr;
    menu.showSubMenu (0);
    EXPECT_FALSE (menu.subMenu->items[1].isFavourite);

    // Out of range: ignored.
    menu.showSubMenu (2);
    menu.showSubMenu (-1);
    menu.positionSubMenu (7);
    EXPECT_EQ (menu.expandedIndex, 0);
}

TEST_F (Menu, ChosenPresetGoesOutThenTheBrowserCloses)
{
    fill (categories ({ 2 }));
    menu.setOnPresetSelected ([this] (int index)
    {
        log.add ("chosen " + juce::String (index) + (menu.expandedIndex >= 0 ? " open" : " closed"));
    });

    EXPECT_TRUE (menu.onPresetSelected != nullptr);
    menu.showSubMenu (0);
    menu.subMenu->onItemSelected (1);

    EXPECT_EQ (log, juce::StringArray ({ "chosen 1 open", "close" }));
    EXPECT_EQ (menu.expandedIndex, -1);
}

TEST_F (Menu, LeftInTheListReturnsToItsCategoryAndEscapeClosesTheBrowser)
{
    show();
    fill (categories ({ 2, 2, 2 }));
    menu.selectedIndex = -1;
    menu.hoveredIndex = 0;
    menu.showSubMenu (2);

    menu.subMenu->onBack();

    EXPECT_EQ (menu.expandedIndex, -1);
    EXPECT_FALSE (menu.subMenu->isVisible());
    EXPECT_EQ (menu.selectedIndex, 2);
    EXPECT_EQ (menu.hoveredIndex, -1);
    EXPECT_TRUE (menu.ignoreNextMouseMove);
    EXPECT_TRUE (log.isEmpty());

    menu.subMenu->onClose();
    EXPECT_EQ (log, juce::StringArray ({ "close" }));
}

//==============================================================================
TEST_F (Menu, ListOpensLevelWithItsRowJustRightOfTheMenu)
{
    show ({ 300, 200 });
    fill (categories ({ 1, 9, 4 }));

    struct Case { int category; int scroll; int listHeight; };

    // The list's first row starts 7 pixels below its top, level with the category's row.
    for (const auto& c : { Case { 0, 0, 46 }, Case { 1, 0, 300 }, Case { 2, 0, 142 } })
    {
        SCOPED_TRACE (c.category);
        menu.showSubMenu (c.category);

        const auto rowTop = 200 + 36 + 38 * c.category;
        EXPECT_TRUE (menu.subMenu->isOnDesktop());
        EXPECT_TRUE (menu.subMenu->isVisible());
        EXPECT_TRUE (menu.subMenu->isAlwaysOnTop());
        EXPECT_EQ (menu.subMenu->getPeer()->getStyleFlags() & juce::ComponentPeer::windowIsTemporary, juce::ComponentPeer::windowIsTemporary);
        EXPECT_EQ (menu.subMenu->getScreenBounds(), juce::Rectangle<int> (300 + 270 + 5, rowTop - 7, 270, c.listHeight));
    }

    // A scrolled menu moves the row, and the list with it.
    fill (categories (12));
    menu.scrollOffset = 20;
    menu.showSubMenu (3);
    EXPECT_EQ (menu.subMenu->getScreenPosition(), juce::Point<int> (575, 200 + 36 + 38 * 3 - 20 - 7));
}

TEST_F (Menu, ListAskedForBeforeTheMenuIsOnScreenIsPlacedOnceItIs)
{
    fill (categories ({ 2, 2 }));
    menu.showSubMenu (1);
    EXPECT_FALSE (menu.subMenu->isOnDesktop());

    show ({ 100, 120 });
    ASSERT_TRUE (runPendingMessages());
    EXPECT_TRUE (menu.subMenu->isOnDesktop());
    EXPECT_EQ (menu.subMenu->getScreenPosition(), juce::Point<int> (375, 120 + 36 + 38 - 7));

    // Not when another category was opened meanwhile, or the menu went.
    menu.closeSubMenu();
    menu.removeFromDesktop();
    menu.setVisible (false);
    menu.showSubMenu (0);
    menu.closeSubMenu();
    show();
    ASSERT_TRUE (runPendingMessages());
    EXPECT_FALSE (menu.subMenu->isOnDesktop());
}

TEST_F (Menu, CurrentCategoryOpensByItselfOnceTheMenuIsOnScreen)
{
    show();
    auto items = categories ({ 2, 3, 1 });
    items.insert (items.begin(), category ("Favorites", 1, 3, folder));

    // Preset 3 is in "Favorites" and in C1: the first category that holds it opens.
    fill (items, 3);
    menu.autoExpandCurrentCategory();

    EXPECT_EQ (menu.selectedIndex, 0);
    EXPECT_EQ (menu.expandedIndex, -1);

    ASSERT_TRUE (runPendingMessages());
    EXPECT_EQ (menu.expandedIndex, 0);
    EXPECT_TRUE (menu.subMenu->isVisible());
    EXPECT_EQ (menu.subMenu->items.size(), 1u);
    EXPECT_TRUE (menu.subMenu->items[0].isCurrent);
}

TEST_F (Menu, NoCurrentCategoryOpensNothing)
{
    show();
    fill (categories ({ 2, 3 }), 17);
    menu.autoExpandCurrentCategory();
    ASSERT_TRUE (runPendingMessages());

    EXPECT_EQ (menu.selectedIndex, -1);
    EXPECT_EQ (menu.expandedIndex, -1);
    EXPECT_FALSE (menu.subMenu->isVisible());
}

TEST_F (Menu, AutoExpansionScrollsTheCategoryIntoView)
{
    auto items = categories (12);
    fill (items, 2 * 10);
    menu.autoExpandCurrentCategory();

    // Row 10 spans 380 to 418 of the rows: 104 pixels past the list.
    EXPECT_EQ (menu.selectedIndex, 10);
    EXPECT_EQ (menu.scrollOffset, 104);
}

TEST_F (Menu, DeferredStepsOfAMenuThatIsGoneDoNothing)
{
    auto doomed = std::make_unique<ModernPresetMenu>();
    doomed->setCategories (categories ({ 2, 2 }), 3);
    doomed->addToDesktop (juce::ComponentPeer::windowIsTemporary);
    doomed->setVisible (true);
    doomed->autoExpandCurrentCategory();
    doomed->showSubMenu (0);
    doomed.reset();

    EXPECT_TRUE (runPendingMessages());
}

TEST_F (Menu, NoiseIsTheSameOnEveryRepaint)
{
    fill (categories ({ 2, 0, 3 }));
    menu.hoveredIndex = 1;

    const auto first = menu.createComponentSnapshot (menu.getLocalBounds());
    const auto second = menu.createComponentSnapshot (menu.getLocalBounds());

    for (auto y = 0; y < first.getHeight(); ++y)
        for (auto x = 0; x < first.getWidth(); ++x)
            ASSERT_EQ (first.getPixelAt (x, y), second.getPixelAt (x, y)) << x << ", " << y;
}
