// The preset list window: its size and rows, the keyboard and mouse tables, the hover timer and
// the step that runs once it is on screen.

#include "support/BrowserTestSupport.h"

#include "presets/PresetSubMenu.h"

using namespace BrowserTest;

namespace
{
    class SubMenu : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            list.setPointerSource (pointer);
            list.onItemSelected = [this] (int index) { chosen.push_back (index); };
            list.onBack = [this] { ++backs; };
            list.onClose = [this] { ++closes; };
            list.onHeartClicked = [this] (const juce::File& file) { hearts.push_back (file); };

            folder.deleteRecursively();
            ASSERT_TRUE (folder.createDirectory());
        }

        void TearDown() override
        {
            list.removeFromDesktop();
            folder.deleteRecursively();
        }

        /** Rows "Preset 0" and on, each with flat index 100 + row and a file that exists. */
        std::vector<PresetSubMenu::MenuItem> rows (int count, int currentRow = -1)
        {
            std::vector<PresetSubMenu::MenuItem> items;

            for (auto i = 0; i < count; ++i)
            {
                PresetSubMenu::MenuItem item;
                item.name = "Preset " + juce::String (i);
                item.index = 100 + i;
                item.isCurrent = i == currentRow;
                item.file = folder.getChildFile (item.name + ".rcp");
                item.file.replaceWithText ("x");
                item.isFavourite = i % 3 == 1;
                items.push_back (item);
            }

            return items;
        }

        /** Fills the list and lets nothing run on its own: the test drives every step. */
        void fill (int count, int currentRow = -1)
        {
            list.setItems (rows (count, currentRow));
            list.stopTimer();
            ASSERT_TRUE (runPendingMessages());
        }

        /** The window on screen at (400, 300). */
        void show()
        {
            list.addToDesktop (juce::ComponentPeer::windowIsTemporary);
            list.setTopLeftPosition (400, 300);
            list.setVisible (true);
        }

        juce::Point<int> screenPointOfRow (int row)
        {
            return list.getScreenPosition() + juce::Point<int> (60, list.padding + row * list.itemHeight - list.scrollOffset + 10);
        }

        PresetSubMenu list;
        ScriptedPointer pointer;
        std::vector<int> chosen;
        std::vector<juce::File> hearts;
        int backs = 0, closes = 0;
        const juce::File folder = juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile ("submenu-files");
    };
}

TEST_F (SubMenu, WindowSizeAndScrollBarFollowTheRows)
{
    struct Case { int rows; int height; bool scrollBar; };

    // 270 x min(300, 14 + 32 rows).
    const Case cases[] = { { 0, 14, false }, { 1, 46, false }, { 8, 270, false }, { 9, 300, true }, { 40, 300, true } };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.rows);
        fill (c.rows);

        EXPECT_EQ (list.getWidth(), 270);
        EXPECT_EQ (list.getHeight(), c.height);
        EXPECT_EQ (list.getContentHeight(), 14 + 32 * c.rows);
        EXPECT_EQ (list.scrollBar.isVisible(), c.scrollBar);

        if (c.scrollBar)
        {
            EXPECT_EQ (list.scrollBar.getBounds(), juce::Rectangle<int> (258, 5, 12, 290));
            EXPECT_EQ (list.scrollBar.getMaximumRangeLimit(), 14.0 + 32 * c.rows);
            EXPECT_EQ (list.scrollBar.getCurrentRangeSize(), 300.0);
            EXPECT_EQ (list.getListWidth(), 260);
        }
        else
        {
            EXPECT_EQ (list.getListWidth(), 270);
        }
    }
}

TEST_F (SubMenu, RowsAndHeartBoxesByPosition)
{
    fill (3);

    struct Case { int y; int row; };

    // Rows start below a 7-pixel strip that belongs to none.
    for (const auto& c : { Case { -1, -1 }, Case { 0, -1 }, Case { 6, -1 }, Case { 7, 0 }, Case { 38, 0 }, Case { 39, 1 },
                           Case { 102, 2 }, Case { 103, -1 }, Case { 500, -1 } })
        EXPECT_EQ (list.rowAt (c.y), c.row) << "y " << c.y;

    EXPECT_EQ (list.heartBoxOf (0), juce::Rectangle<int> (215, 15, 16, 16));
    EXPECT_EQ (list.heartBoxOf (2), juce::Rectangle<int> (215, 79, 16, 16));

    fill (20);
    list.scrollOffset = 100;

    EXPECT_EQ (list.rowAt (0), 2);    // (0 + 100 - 7) / 32
    EXPECT_EQ (list.heartBoxOf (3), juce::Rectangle<int> (205, 11, 16, 16));
}

//==============================================================================
TEST_F (SubMenu, KeyTable)
{
    const auto up = juce::KeyPress (juce::KeyPress::upKey), down = juce::KeyPress (juce::KeyPress::downKey);
    const auto left = juce::KeyPress (juce::KeyPress::leftKey), right = juce::KeyPress (juce::KeyPress::rightKey);
    const auto enter = juce::KeyPress (juce::KeyPress::returnKey), escape = juce::KeyPress (juce::KeyPress::escapeKey);

    struct Case
    {
        const char* what;
        int selected, hovered;
        juce::KeyPress key;
        bool handled;
        int selectedAfter, hoveredAfter;
        int backsAfter, closesAfter;
        std::vector<int> chosenLater;
    };

    // Five rows, row 2 the current preset.
    const Case cases[] = {
        { "up from nothing",         -1, -1, up,     true,  0, -1, 0, 0, {} },
        { "up from the hover",       -1,  3, up,     true,  2, -1, 0, 0, {} },
        { "up on the hovered top",   -1,  0, up,     true,  0,  0, 0, 0, {} },
        { "up from the top",          0, -1, up,     true,  0, -1, 0, 0, {} },
        { "up",                       3, -1, up,     true,  2, -1, 0, 0, {} },
        { "down from nothing",       -1, -1, down,   true,  0, -1, 0, 0, {} },
        { "down from the hover",     -1,  1, down,   true,  2, -1, 0, 0, {} },
        { "down from the bottom",     4, -1, down,   true,  4, -1, 0, 0, {} },
        { "down on the hovered end", -1,  4, down,   true,  4,  4, 0, 0, {} },
        { "left",                     1, -1, left,   true,  1, -1, 1, 0, {} },
        { "escape",                   1,  3, escape, true,  1,  3, 0, 1, {} },
        { "return",                   1, -1, enter,  true,  1, -1, 0, 0, { 101 } },
        { "return on the hover",     -1,  4, enter,  true, -1,  4, 0, 0, { 104 } },
        { "return on the current",    2, -1, enter,  true,  2, -1, 0, 0, { 102 } },
        { "return on nothing",       -1, -1, enter,  true, -1, -1, 0, 0, {} },
        { "right",                    3, -1, right,  true,  3, -1, 0, 0, { 103 } },
        { "right on the current",     2, -1, right,  true,  2, -1, 0, 0, {} },
        { "right on the hover",      -1,  0, right,  true, -1,  0, 0, 0, { 100 } },
        { "highlight beats hover",    1,  4, enter,  true,  1,  4, 0, 0, { 101 } },
        { "shift up",                 3, -1, juce::KeyPress (juce::KeyPress::upKey, juce::ModifierKeys::shiftModifier, 0), false, 3, -1, 0, 0, {} },
        { "ctrl return",              3, -1, juce::KeyPress (juce::KeyPress::returnKey, juce::ModifierKeys::ctrlModifier, 0), false, 3, -1, 0, 0, {} },
        { "alt escape",               3, -1, juce::KeyPress (juce::KeyPress::escapeKey, juce::ModifierKeys::altModifier, 0), false, 3, -1, 0, 0, {} },
        { "a letter",                 3, -1, juce::KeyPress ('a'), false, 3, -1, 0, 0, {} },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        fill (5, 2);
        chosen.clear();
        backs = closes = 0;
        list.selectedIndex = c.selected;
        list.hoveredIndex = c.hovered;

        EXPECT_EQ (list.keyPressed (c.key), c.handled);
        EXPECT_EQ (list.selectedIndex, c.selectedAfter);
        EXPECT_EQ (list.hoveredIndex, c.hoveredAfter);
        EXPECT_EQ (backs, c.backsAfter);
        EXPECT_EQ (closes, c.closesAfter);

        // A choice made with the keyboard arrives later, never inside the key press.
        EXPECT_TRUE (chosen.empty());
        ASSERT_TRUE (runPendingMessages());
        EXPECT_EQ (chosen, c.chosenLater);
    }
}

TEST_F (SubMenu, KeysScrollTheHighlightIntoView)
{
    fill (20);
    list.selectedIndex = 8;

    // Row 9 ends at 7 + 320 = 327, past the 300-pixel window.
    list.keyPressed (juce::KeyPress (juce::KeyPress::downKey));
    EXPECT_EQ (list.selectedIndex, 9);
    EXPECT_EQ (list.scrollOffset, 27);
    EXPECT_EQ (list.scrollBar.getCurrentRangeStart(), 27.0);

    list.selectedIndex = 0;
    list.keyPressed (juce::KeyPress (juce::KeyPress::downKey));
    list.keyPressed (juce::KeyPress (juce::KeyPress::upKey));
    EXPECT_EQ (list.selectedIndex, 0);
    EXPECT_EQ (list.scrollOffset, 7);
}

TEST_F (SubMenu, ChoiceIsDroppedWhenTheWindowIsGoneBeforeItArrives)
{
    auto doomed = std::make_unique<PresetSubMenu>();
    doomed->setItems (rows (3));
    doomed->stopTimer();
    doomed->onItemSelected = [this] (int index) { chosen.push_back (index); };
    doomed->selectedIndex = 1;

    doomed->keyPressed (juce::KeyPress (juce::KeyPress::returnKey));
    doomed.reset();

    ASSERT_TRUE (runPendingMessages());
    EXPECT_TRUE (chosen.empty());
}

//==============================================================================
TEST_F (SubMenu, PressTable)
{
    struct Case
    {
        const char* what;
        int x, y;
        bool heartHandler;
        std::vector<int> chosenNow;
        std::vector<int> heartRows;
    };

    // Row r spans y 7 + 32 r to 38 + 32 r; its heart box is x 215 to 230, y top + 8 to top + 23.
    const Case cases[] = {
        { "padding strip",         60,   3, true,  {},      {} },
        { "below the last row",    60, 200, true,  {},      {} },
        { "name of row 1",         60,  50, true,  { 101 }, {} },
        { "row 1 left of heart",  214,  55, true,  { 101 }, {} },
        { "heart of row 1",       215,  47, true,  {},      { 1 } },
        { "heart corner of row 1",230,  62, true,  {},      { 1 } },
        { "right of the heart",   231,  55, true,  { 101 }, {} },
        { "heart, no handler",    220,  55, false, {},      {} },
        { "heart of row 0",       220,  20, true,  {},      { 0 } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        fill (4);
        chosen.clear();
        hearts.clear();

        if (! c.heartHandler)
            list.onHeartClicked = nullptr;

        list.mouseDown (mouseAt (list, (float) c.x, (float) c.y));
        EXPECT_EQ (chosen, c.chosenNow);

        std::vector<juce::File> expectedHearts;

        for (const auto row : c.heartRows)
            expectedHearts.push_back (list.items[(size_t) row].file);

        EXPECT_EQ (hearts, expectedHearts);
        list.onHeartClicked = [this] (const juce::File& file) { hearts.push_back (file); };
    }
}

TEST_F (SubMenu, HeartOfARowWithoutAFileDoesNothing)
{
    auto items = rows (2);
    items[0].file = juce::File();
    items[1].file = folder.getChildFile ("gone.rcp");
    list.setItems (items);

    list.mouseDown (mouseAt (list, 220.0f, 20.0f));
    list.mouseDown (mouseAt (list, 220.0f, 52.0f));

    EXPECT_TRUE (hearts.empty());
    EXPECT_TRUE (chosen.empty());
}

TEST_F (SubMenu, PointerMovesSetHoverHeartAndCursor)
{
    fill (4);
    list.selectedIndex = 3;
    list.startTimer (20);

    list.mouseMove (mouseAt (list, 60.0f, 50.0f));
    EXPECT_FALSE (list.isTimerRunning());
    EXPECT_EQ (list.hoveredIndex, 1);
    EXPECT_EQ (list.hoveredHeartIndex, -1);
    EXPECT_EQ (list.selectedIndex, -1);
    EXPECT_EQ (list.getMouseCursor(), juce::MouseCursor (juce::MouseCursor::NormalCursor));

    list.mouseMove (mouseAt (list, 220.0f, 55.0f));
    EXPECT_EQ (list.hoveredIndex, 1);
    EXPECT_EQ (list.hoveredHeartIndex, 1);
    EXPECT_EQ (list.getMouseCursor(), juce::MouseCursor (juce::MouseCursor::PointingHandCursor));

    // Off the rows the hover stays.
    list.mouseMove (mouseAt (list, 60.0f, 2.0f));
    EXPECT_EQ (list.hoveredIndex, 1);
    EXPECT_EQ (list.hoveredHeartIndex, 1);
    EXPECT_EQ (list.getMouseCursor(), juce::MouseCursor (juce::MouseCursor::NormalCursor));

    list.mouseExit (mouseAt (list, -5.0f, 2.0f));
    EXPECT_EQ (list.hoveredIndex, -1);
    EXPECT_EQ (list.hoveredHeartIndex, -1);
}

TEST_F (SubMenu, WheelScrollsWithinTheRows)
{
    fill (20);

    // The rows reach 654 pixels in a 300-pixel window: at most 354 of them scroll away.
    struct Step { float deltaY; int offset; };

    for (const auto& step : { Step { -0.1f, 5 }, Step { -0.1f, 10 }, Step { 0.1f, 5 }, Step { 0.5f, 0 }, Step { -20.0f, 354 }, Step { -1.0f, 354 } })
    {
        list.mouseWheelMove (mouseAt (list, 10.0f, 10.0f), wheel (step.deltaY));
        EXPECT_EQ (list.scrollOffset, step.offset) << step.deltaY;
        EXPECT_EQ (list.scrollBar.getCurrentRangeStart(), (double) step.offset);
    }

    fill (5);
    list.mouseWheelMove (mouseAt (list, 10.0f, 10.0f), wheel (-1.0f));
    EXPECT_EQ (list.scrollOffset, 0);

    fill (20);
    list.scrollBarMoved (&list.scrollBar, 42.4);
    EXPECT_EQ (list.scrollOffset, 42);
}

TEST_F (SubMenu, FocusPutsTheKeyboardHighlightOnTheHoverOrTheCurrentRow)
{
    struct Case { int current, selected, hovered, selectedAfter, hoveredAfter; };

    const Case cases[] = {
        { -1, -1,  3, 3, -1 },
        {  2,  1,  3, 3, -1 },
        {  2, -1, -1, 2, -1 },
        { -1, -1, -1, 0, -1 },
        {  2,  4, -1, 4, -1 },
    };

    for (const auto& c : cases)
    {
        fill (5, c.current);
        list.selectedIndex = c.selected;
        list.hoveredIndex = c.hovered;
        list.focusGained (juce::Component::focusChangedDirectly);

        EXPECT_EQ (list.selectedIndex, c.selectedAfter);
        EXPECT_EQ (list.hoveredIndex, c.hoveredAfter);
    }

    fill (0);
    list.focusGained (juce::Component::focusChangedDirectly);
    EXPECT_EQ (list.selectedIndex, -1);
}

//==============================================================================
TEST_F (SubMenu, OnScreenTheRestingPointerHoversAndTheCurrentRowIsHighlightedInView)
{
    show();
    pointer.position = screenPointOfRow (1);

    list.setItems (rows (20, 12));
    list.stopTimer();
    EXPECT_EQ (list.hoveredIndex, -1);
    EXPECT_EQ (list.selectedIndex, -1);

    ASSERT_TRUE (runPendingMessages());

    // Row 12's top is 7 + 384; it is scrolled up just enough to end at the window's bottom.
    EXPECT_EQ (list.hoveredIndex, 1);
    EXPECT_EQ (list.selectedIndex, 12);
    EXPECT_EQ (list.scrollOffset, 7 + 12 * 32 + 32 - 300);
}

TEST_F (SubMenu, PointerOutsideTheWindowLeavesTheHoverAlone)
{
    show();
    pointer.position = list.getScreenPosition() + juce::Point<int> (-1, 20);

    list.setItems (rows (4));
    list.stopTimer();
    list.hoveredIndex = 2;
    ASSERT_TRUE (runPendingMessages());
    EXPECT_EQ (list.hoveredIndex, 2);

    // Inside, over the strip above the rows: no row.
    pointer.position = list.getScreenPosition() + juce::Point<int> (60, 3);
    list.setItems (rows (4));
    list.stopTimer();
    list.hoveredIndex = 2;
    ASSERT_TRUE (runPendingMessages());
    EXPECT_EQ (list.hoveredIndex, -1);
}

TEST_F (SubMenu, HiddenWindowSkipsItsDeferredStep)
{
    pointer.position = list.getScreenPosition() + juce::Point<int> (60, 20);
    list.setItems (rows (4, 3));
    list.stopTimer();
    ASSERT_TRUE (runPendingMessages());

    EXPECT_EQ (list.hoveredIndex, -1);
    EXPECT_EQ (list.selectedIndex, -1);
}

TEST_F (SubMenu, HoverTimerFollowsThePointerForSixteenTicks)
{
    show();
    list.setItems (rows (5));
    EXPECT_TRUE (list.isTimerRunning());
    EXPECT_EQ (list.getTimerInterval(), 20);
    EXPECT_EQ (list.hoverTicks, 0);

    struct Tick { juce::Point<int> offset; int hoveredAfter; };

    // Over row 2, over the strip above the rows, outside, over row 4.
    const Tick ticks[] = {
        { { 60, 7 + 64 + 5 }, 2 },
        { { 60, 3 },          2 },
        { { 300, 20 },        -1 },
        { { 60, 7 + 128 + 5 }, 4 },
    };

    list.selectedIndex = 0;

    for (const auto& tick : ticks)
    {
        pointer.position = list.getScreenPosition() + tick.offset;
        list.timerCallback();
        EXPECT_EQ (list.hoveredIndex, tick.hoveredAfter);
    }

    EXPECT_EQ (list.selectedIndex, -1);

    for (auto tick = 4; tick < 15; ++tick)
        list.timerCallback();

    EXPECT_TRUE (list.isTimerRunning());
    list.timerCallback();
    EXPECT_EQ (list.hoverTicks, 16);
    EXPECT_FALSE (list.isTimerRunning());

    // A new filling starts the count again.
    list.setItems (rows (5));
    EXPECT_EQ (list.hoverTicks, 0);
    EXPECT_TRUE (list.isTimerRunning());
    list.stopTimer();
}

TEST_F (SubMenu, HoverTimerLeavesAListThatHasTheKeyboard)
{
    show();
    list.setItems (rows (5));
    list.stopTimer();
    list.toFront (true);
    list.grabKeyboardFocus();
    ASSERT_TRUE (runUntil ([this] { return list.hasKeyboardFocus (true); }));

    list.selectedIndex = 1;
    pointer.position = screenPointOfRow (3);
    list.timerCallback();

    EXPECT_EQ (list.hoveredIndex, -1);
    EXPECT_EQ (list.selectedIndex, 1);
    EXPECT_EQ (list.hoverTicks, 1);
}

TEST_F (SubMenu, NoiseIsTheSameOnEveryRepaint)
{
    fill (6, 2);
    list.hoveredIndex = 4;

    const auto first = list.createComponentSnapshot (list.getLocalBounds());
    const auto second = list.createComponentSnapshot (list.getLocalBounds());

    ASSERT_EQ (first.getBounds(), second.getBounds());

    for (auto y = 0; y < first.getHeight(); ++y)
        for (auto x = 0; x < first.getWidth(); ++x)
            ASSERT_EQ (first.getPixelAt (x, y), second.getPixelAt (x, y)) << x << ", " << y;
}
