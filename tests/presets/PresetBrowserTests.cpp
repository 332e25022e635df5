// The whole browser in an editor-like window on screen: opening over the dimmed editor, where
// the windows go, every way of closing it, picks and hearts from the list, and its pictures.

#include "support/BrowserTestSupport.h"

#include "presets/ModernPresetSelectorWrapper.h"

using namespace BrowserTest;

namespace
{
    /** The style a window was put on the desktop with; the framework adds its own flag for
        windows that are not opaque.
    */
    int windowStyleOf (juce::Component& window)
    {
        return window.getPeer()->getStyleFlags() & ~juce::ComponentPeer::windowIsSemiTransparent;
    }

    /** Stands in for the editor: a dark window with the preset bar at its design place, scaled. */
    class FakeEditor final : public juce::Component
    {
    public:
        void paint (juce::Graphics& g) override
        {
            g.fillAll (juce::Colour (0xFF2B2724));
            g.setColour (juce::Colours::black);
            g.fillRect (0.0f, 0.0f, (float) getWidth(), 62.0f * scale);
        }

        float scale = 0.75f;
    };

    class Browser : public PresetFolderTest
    {
    protected:
        void SetUp() override
        {
            PresetFolderTest::SetUp();

            add ({ "Clean.rcp", "Warm.rcp", "User/Mine.rcp", "User/Vocal.rcp", "User/Drums.rcp",
                   "Mastering/Glue.rcp", "Mastering/Loud.rcp", "Mastering/Wide.rcp",
                   "Tape/Cassette.rcp", "Tape/Reel.rcp", "Tape/Broadcast.rcp", "Tape/Lo-Fi Dusty Old Machine With A Long Name.rcp",
                   "Tape/Hot.rcp", "Tape/Cold.rcp", "Tape/Echo.rcp", "Tape/Flutter.rcp", "Tape/Saturated.rcp", "Tape/Worn.rcp" });
            startManager();
            setNameAndFlag ("Vocal", false);

            editor.setSize (825, 639);
            wrapper = std::make_unique<ModernPresetSelectorWrapper> (manager.get(), [this] { log.add ("loaded"); });
            wrapper->stopTimer();
            wrapper->onPresetChanged = [this] { log.add ("changed"); };
            editor.addAndMakeVisible (*wrapper);
            wrapper->setBounds (331, 16, 260, 30);
            wrapper->setTransform (juce::AffineTransform::scale (editor.scale));
            selector().overlayParent = &editor;
            selector().setPointerSource (pointer);

            editor.addToDesktop (0);
            editor.setTopLeftPosition (100, 100);
            editor.setVisible (true);
        }

        void TearDown() override
        {
            wrapper.reset();
            editor.removeFromDesktop();
            PresetFolderTest::TearDown();
        }

        ModernPresetSelector& selector()  { return wrapper->selector; }
        ModernPresetMenu& menu()          { return *selector().menu; }
        PresetSubMenu& list()             { return *selector().menu->subMenu; }

        /** A press on the name field, then every step the opening posted. */
        void open()
        {
            selector().mouseDown (mouseAt (selector(), 20.0f, 15.0f));
            ASSERT_NE (selector().menu, nullptr);
            ASSERT_TRUE (runPendingMessages());
            list().stopTimer();
        }

        bool isClosed()
        {
            return selector().overlay == nullptr
                && ! selector().isTimerRunning()
                && (selector().menu == nullptr
                    || (! menu().isVisible() && ! menu().isOnDesktop() && ! list().isVisible() && ! list().isOnDesktop()));
        }

        juce::Point<int> centreOf (juce::Component& c)  { return c.getScreenBounds().getCentre(); }

        juce::Point<int> screenPointOfListRow (int row)
        {
            return list().getScreenPosition() + juce::Point<int> (60, list().padding + row * list().itemHeight + 10);
        }

        int categoryIndex (const juce::String& name)
        {
            const auto& categories = menu().categories;

            for (size_t i = 0; i < categories.size(); ++i)
                if (categories[i].name == name)
                    return (int) i;

            return -1;
        }

        juce::StringArray categoryNames (const std::vector<ModernPresetMenu::CategoryItem>& categories)
        {
            juce::StringArray names;

            for (const auto& c : categories)
                names.add (c.name);

            return names;
        }

        juce::StringArray listNames()
        {
            juce::StringArray names;

            for (const auto& item : list().items)
                names.add (item.name);

            return names;
        }

        FakeEditor editor;
        std::unique_ptr<ModernPresetSelectorWrapper> wrapper;
        ScriptedPointer pointer;
        juce::StringArray log;
    };
}

TEST_F (Browser, OpensBelowTheFieldOverTheDimmedEditorWithTheCurrentCategoryOpen)
{
    open();

    // The field sits at the design rectangle scaled by 0.75 inside the window at (100, 100).
    const auto field = selector().getScreenBounds();
    EXPECT_NEAR (field.getX(), 100 + 331 * 0.75, 1.0);
    EXPECT_NEAR (field.getY(), 100 + 16 * 0.75, 1.0);
    EXPECT_NEAR (field.getWidth(), 260 * 0.75, 1.0);
    EXPECT_NEAR (field.getHeight(), 30 * 0.75, 1.0);

    auto* overlay = selector().overlay.get();
    ASSERT_NE (overlay, nullptr);
    EXPECT_EQ (overlay->getParentComponent(), &editor);
    EXPECT_EQ (overlay->getBounds(), editor.getLocalBounds());
    EXPECT_TRUE (overlay->isAlwaysOnTop());
    EXPECT_TRUE (overlay->isVisible());
    EXPECT_FLOAT_EQ (overlay->alpha, 0.6f);

    // Categories: "Clean", "Default", "Warm", "User", "Mastering", "Tape".
    ASSERT_TRUE (menu().isOnDesktop());
    EXPECT_TRUE (menu().isVisible());
    EXPECT_TRUE (menu().isAlwaysOnTop());
    EXPECT_EQ (windowStyleOf (menu()), juce::ComponentPeer::windowIsTemporary);
    EXPECT_EQ (menu().getScreenBounds(), juce::Rectangle<int> (field.getX(), field.getBottom() + 5, 270, 50 + 38 * 6));

    EXPECT_TRUE (selector().isTimerRunning());
    EXPECT_EQ (selector().getTimerInterval(), 50);

    // "Vocal" is in "User", the fourth category; its list opens beside that row, and the menu
    // has the keyboard back.
    EXPECT_EQ (menu().selectedIndex, 3);
    EXPECT_EQ (menu().expandedIndex, 3);
    ASSERT_TRUE (list().isOnDesktop());
    EXPECT_EQ (windowStyleOf (list()), juce::ComponentPeer::windowIsTemporary);
    EXPECT_EQ (list().getScreenBounds(),
               juce::Rectangle<int> (menu().getScreenX() + 270 + 5, menu().getScreenY() + 36 + 3 * 38 - 7, 270, 14 + 32 * 3));
    EXPECT_EQ (listNames(), juce::StringArray ({ "Drums", "Mine", "Vocal" }));
    EXPECT_EQ (list().selectedIndex, 2);
    EXPECT_TRUE (runUntil ([this] { return menu().hasKeyboardFocus (true); }));
}

TEST_F (Browser, EveryPressOnTheEditorGoesToTheOverlay)
{
    open();

    for (const auto& point : { juce::Point<int> (10, 10), juce::Point<int> (300, 25), juce::Point<int> (400, 500) })
        EXPECT_EQ (editor.getComponentAt (point), selector().overlay.get()) << point.toString();
}

TEST_F (Browser, ClosingPaths)
{
    struct Path { const char* what; std::function<void()> close; };

    const Path paths[] = {
        { "press on the dimmed editor", [this] { selector().overlay->mouseDown (mouseAt (*selector().overlay, 400.0f, 300.0f)); } },
        { "escape in the menu",         [this] { menu().keyPressed (juce::KeyPress (juce::KeyPress::escapeKey)); } },
        { "escape in the list",         [this] { list().keyPressed (juce::KeyPress (juce::KeyPress::escapeKey)); } },
        { "press on the menu header",   [this] { menu().mouseDown (mouseAt (menu(), 100.0f, 10.0f)); } },
        { "press below the last row",   [this] { menu().mouseDown (mouseAt (menu(), 100.0f, (float) menu().getHeight() - 3.0f)); } },
        { "press in the host's window", [this] { pointer.position = { 5, 900 }; pointer.buttonDown = true; selector().timerCallback(); } },
        { "choice from the list",       [this] { list().mouseDown (mouseAt (list(), 60.0f, 20.0f)); } },
        { "return in the list",         [this] { list().selectedIndex = 0; list().keyPressed (juce::KeyPress (juce::KeyPress::returnKey)); ASSERT_TRUE (runPendingMessages()); } },
        { "the selector goes",          [this] { selector().hideMenu(); selector().hideMenu(); } },
    };

    for (const auto& path : paths)
    {
        SCOPED_TRACE (path.what);
        pointer = ScriptedPointer();
        open();
        ASSERT_FALSE (isClosed());

        path.close();
        EXPECT_TRUE (isClosed());
        EXPECT_EQ (menu().expandedIndex, -1);
        pointer = ScriptedPointer();

        // Open again: everything comes back.
        open();
        EXPECT_FALSE (isClosed());
        EXPECT_TRUE (list().isVisible());
        selector().hideMenu();
    }
}

TEST_F (Browser, WatcherCountsOnlyTheFirstTickOfAPressOutsideTheBrowser)
{
    struct Tick { const char* where; bool down; bool closedAfter; };

    struct Case { const char* what; std::vector<Tick> ticks; };

    const Case cases[] = {
        { "press outside",               { { "outside", true, true } } },
        { "no button outside",           { { "outside", false, false }, { "outside", false, false } } },
        { "press in the menu",           { { "menu", true, false }, { "menu", false, false } } },
        { "press in the list",           { { "list", true, false } } },
        { "press on the field",          { { "field", true, false } } },
        { "menu's top-left corner",      { { "menu corner", true, false } } },
        { "just right of the menu",      { { "menu right edge", true, true } } },
        { "held press dragged outside",  { { "field", true, false }, { "outside", true, false }, { "outside", false, false } } },
        { "then a new press outside",    { { "field", true, false }, { "outside", false, false }, { "outside", true, true } } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        pointer = ScriptedPointer();
        open();
        selector().mouseWasDown = false;

        for (const auto& tick : c.ticks)
        {
            SCOPED_TRACE (tick.where);
            const juce::String where (tick.where);
            const auto menuBounds = menu().getScreenBounds();

            pointer.position = where == "menu"            ? centreOf (menu())
                             : where == "list"            ? centreOf (list())
                             : where == "field"           ? centreOf (selector())
                             : where == "menu corner"     ? menuBounds.getTopLeft()
                             : where == "menu right edge" ? juce::Point<int> (menuBounds.getRight(), menuBounds.getBottom() - 2)
                                                          : juce::Point<int> (5, 900);
            pointer.buttonDown = tick.down;

            selector().timerCallback();
            EXPECT_EQ (isClosed(), tick.closedAfter);
        }

        selector().hideMenu();
    }
}

TEST_F (Browser, WatcherStopsOnceTheMenuIsGone)
{
    open();
    menu().setVisible (false);

    selector().timerCallback();
    EXPECT_FALSE (selector().isTimerRunning());
}

TEST_F (Browser, ChoiceLoadsFirstAndClosesAfterwards)
{
    open();
    const auto pick = selector().onPresetSelected;

    selector().onPresetSelected = [this, pick] (int index)
    {
        log.add ("pick " + juce::String (index)
                 + (selector().overlay != nullptr ? " dimmed" : "")
                 + (list().isVisible() ? " list" : "")
                 + (menu().isVisible() ? " menu" : ""));
        pick (index);
    };

    // "Mine" is the second row of "User".
    list().mouseDown (mouseAt (list(), 60.0f, 7.0f + 32.0f + 10.0f));

    EXPECT_EQ (log, juce::StringArray ({ "pick 4 dimmed list menu", "loaded" }));
    EXPECT_EQ (loadedOrigin(), "User/Mine.rcp");
    EXPECT_TRUE (isClosed());
    EXPECT_EQ (selector().displayText, "Mine");
}

TEST_F (Browser, WithoutAnOverlayParentAPressOnTheFieldOpensAfresh)
{
    selector().overlayParent = nullptr;
    open();
    EXPECT_EQ (selector().overlay, nullptr);

    menu().selectedIndex = 5;
    menu().showSubMenu (5);
    ASSERT_EQ (list().items.size(), 10u);

    open();
    EXPECT_TRUE (menu().isVisible());
    EXPECT_EQ (menu().expandedIndex, 3);
    EXPECT_EQ (menu().selectedIndex, 3);
    EXPECT_EQ (list().items.size(), 3u);
}

TEST_F (Browser, NoCurrentPresetOpensNoListAndHighlightsTheFirstRow)
{
    setNameAndFlag ("", false);
    wrapper->refresh();
    open();

    EXPECT_EQ (menu().expandedIndex, -1);
    EXPECT_FALSE (list().isVisible());
    EXPECT_EQ (menu().selectedIndex, 0);
}

TEST_F (Browser, ClosingTheEditorWhileStepsArePendingRunsNoneOfThem)
{
    selector().mouseDown (mouseAt (selector(), 20.0f, 15.0f));
    menu().showSubMenu (4);
    list().selectedIndex = 1;
    list().keyPressed (juce::KeyPress (juce::KeyPress::returnKey));

    wrapper.reset();
    EXPECT_EQ (editor.getNumChildComponents(), 0);

    EXPECT_TRUE (runPendingMessages());
    EXPECT_TRUE (log.isEmpty());
    EXPECT_EQ (loadedOrigin(), "");
}

//==============================================================================
TEST_F (Browser, HeartInTheListAddsTheFavouritesCategoryAndTakesItAway)
{
    open();
    ASSERT_EQ (categoryNames (menu().categories), juce::StringArray ({ "Clean", "Default", "Warm", "User", "Mastering", "Tape" }));
    const auto menuHeight = menu().getHeight();

    // The heart of "Mine", the second row of the open "User" list.
    const auto heart = list().heartBoxOf (1).getCentre();
    list().mouseDown (mouseAt (list(), (float) heart.x, (float) heart.y));

    EXPECT_EQ (manager->favoritesManager->favorites, juce::StringArray ({ "User/Mine.rcp" }));
    EXPECT_EQ (root.getChildFile ("Favorites.txt").loadFileAsString(), "User/Mine.rcp\r\n");
    EXPECT_EQ (log, juce::StringArray ({ "changed" }));
    EXPECT_EQ (categoryNames (menu().categories), juce::StringArray ({ "Favorites", "Clean", "Default", "Warm", "User", "Mastering", "Tape" }));
    EXPECT_EQ (categoryNames (selector().categories), categoryNames (menu().categories));
    EXPECT_FALSE (loadedOrigin().isNotEmpty());

    // The list shown is the one now at the old place of "User": its neighbour "Warm". The
    // menu keeps its height until it opens again.
    EXPECT_EQ (menu().expandedIndex, 3);
    EXPECT_EQ (listNames(), juce::StringArray ({ "Warm" }));
    EXPECT_EQ (menu().getHeight(), menuHeight);

    // Opened again, the "Favorites" list holds the current preset and opens first.
    setNameAndFlag ("Mine", false);
    wrapper->refresh();
    selector().hideMenu();
    open();
    EXPECT_EQ (menu().getHeight(), 50 + 38 * 7);
    EXPECT_EQ (menu().expandedIndex, 0);
    EXPECT_EQ (listNames(), juce::StringArray ({ "Mine" }));
    EXPECT_TRUE (list().items[0].isFavourite);

    // Its heart again: the last favourite goes, and so does the category.
    log.clear();
    list().mouseDown (mouseAt (list(), (float) heart.x, (float) list().heartBoxOf (0).getCentreY()));

    EXPECT_TRUE (manager->favoritesManager->favorites.isEmpty());
    EXPECT_EQ (root.getChildFile ("Favorites.txt").loadFileAsString(), "");
    EXPECT_EQ (log, juce::StringArray ({ "changed" }));
    EXPECT_EQ (categoryNames (menu().categories), juce::StringArray ({ "Clean", "Default", "Warm", "User", "Mastering", "Tape" }));
    EXPECT_EQ (listNames(), juce::StringArray ({ "Clean" }));
    EXPECT_FALSE (list().items[0].isFavourite);
}

TEST_F (Browser, HeartsInAnOpenListFollowTheFavourites)
{
    manager->favoritesManager->toggleFavorite (root.getChildFile ("Clean.rcp"));
    wrapper->refresh();
    open();
    menu().showSubMenu (categoryIndex ("Tape"));
    const auto heartX = (float) list().heartBoxOf (0).getCentreX();

    // With "Favorites" there already, the categories keep their places and the open list is
    // rebuilt in place after every press.
    for (const auto row : { 0, 3, 1, 0 })
        list().mouseDown (mouseAt (list(), heartX, (float) list().heartBoxOf (row).getCentreY()));

    EXPECT_EQ (manager->favoritesManager->favorites, juce::StringArray ({ "Clean.rcp", "Tape/Echo.rcp", "Tape/Cassette.rcp" }));
    EXPECT_EQ (categoryNames (menu().categories).joinIntoString (","), "Favorites,Clean,Default,Warm,User,Mastering,Tape");
    EXPECT_EQ (menu().expandedIndex, categoryIndex ("Tape"));
    EXPECT_EQ (menu().categories.front().presetNames, juce::StringArray ({ "Clean", "Echo", "Cassette" }));

    std::vector<bool> marks;

    for (const auto& item : list().items)
        marks.push_back (item.isFavourite);

    EXPECT_EQ (marks, std::vector<bool> ({ false, true, false, true, false, false, false, false, false, false }));
    EXPECT_EQ (log.size(), 4);
}

//==============================================================================
TEST_F (Browser, PicturesOfTheOpenBrowser)
{
    manager->favoritesManager->toggleFavorite (root.getChildFile ("Tape/Reel.rcp"));
    setNameAndFlag ("Cassette", true);
    wrapper->refresh();
    open();

    // Keyboard on "Hot", the pointer resting on the heart of "Lo-Fi ...".
    ASSERT_EQ (menu().expandedIndex, categoryIndex ("Tape"));
    list().selectedIndex = 5;
    list().hoveredHeartIndex = 6;

    // The screen as the user sees it: the dimmed editor with the two windows over it.
    const auto origin = editor.getScreenPosition();
    const auto area = editor.getScreenBounds().getUnion (list().getScreenBounds()).expanded (20);
    juce::Image picture (juce::Image::ARGB, area.getWidth(), area.getHeight(), true);

    {
        juce::Graphics g (picture);
        g.fillAll (juce::Colour (0xFF3A3F45));
        g.drawImageAt (editor.createComponentSnapshot (editor.getLocalBounds()), origin.x - area.getX(), origin.y - area.getY());

        for (auto* window : { static_cast<juce::Component*> (&menu()), static_cast<juce::Component*> (&list()) })
            g.drawImageAt (window->createComponentSnapshot (window->getLocalBounds()),
                           window->getScreenX() - area.getX(), window->getScreenY() - area.getY());
    }

    const auto file = writePicture (picture, "browser-open.png");
    EXPECT_TRUE (file.existsAsFile());

    // A long category list scrolled by half a row: rows are cut at the header and at the bottom.
    std::vector<ModernPresetMenu::CategoryItem> many (menu().categories);

    for (auto i = 0; i < 6; ++i)
        many.push_back (menu().categories[(size_t) i + 1]);

    menu().setCategories (many, 1);
    menu().hoveredIndex = 2;
    menu().scrollOffset = 19;
    menu().scrollBar.setCurrentRangeStart (19.0, juce::dontSendNotification);
    EXPECT_TRUE (writePicture (menu().createComponentSnapshot (menu().getLocalBounds()), "menu-scrolled.png").existsAsFile());

    selector().hideMenu();
    const auto closed = writePicture (editor.createComponentSnapshot (juce::Rectangle<int> (230, 0, 260, 50)), "preset-bar-closed.png");
    EXPECT_TRUE (closed.existsAsFile());
}

//==============================================================================
// Another instance deletes and adds presets while this browser is closed: the next opening shows
// the folder as it is then, and its rows load the files they show.
TEST_F (Browser, EachOpeningShowsTheFolderAsItIsThen)
{
    open();
    ASSERT_EQ (listNames(), juce::StringArray ({ "Drums", "Mine", "Vocal" }));
    selector().hideMenu();

    ASSERT_TRUE (root.getChildFile ("User/Mine.rcp").deleteFile());
    add ({ "User/Bass.rcp", "Keys/Piano.rcp" });

    open();
    EXPECT_EQ (categoryNames (menu().categories),
               juce::StringArray ({ "Clean", "Default", "Warm", "User", "Keys", "Mastering", "Tape" }));
    EXPECT_EQ (listNames(), juce::StringArray ({ "Bass", "Drums", "Vocal" }));
    EXPECT_EQ (list().selectedIndex, 2);
    ASSERT_EQ (list().items.size(), 3u);
    EXPECT_TRUE (list().items[2].isCurrent);

    list().mouseDown (mouseAt (list(), 60.0f, 7.0f + 10.0f));
    EXPECT_EQ (loadedOrigin(), "User/Bass.rcp");
    EXPECT_TRUE (isClosed());
}

namespace
{
    /** The framework's file dialog box on screen, or nullptr. */
    juce::FileChooserDialogBox* openFileDialog()
    {
        auto& desktop = juce::Desktop::getInstance();

        for (auto i = 0; i < desktop.getNumComponents(); ++i)
            if (auto* box = dynamic_cast<juce::FileChooserDialogBox*> (desktop.getComponent (i)); box != nullptr && box->isShowing())
                return box;

        return nullptr;
    }

    /** Counts its ticks: the message loop is running while it counts. */
    struct TickCounter final : public juce::Timer
    {
        ~TickCounter() override  { stopTimer(); }
        void timerCallback() override  { ++ticks; }
        int ticks = 0;
    };

    /** Stands in for a user who cancels whatever file dialog is open after a while; so a dialog
        that held the message loop ends instead of hanging the test.
    */
    struct LateCancel final : public juce::Timer
    {
        LateCancel()  { startTimer (1500); }
        ~LateCancel() override  { stopTimer(); }

        void timerCallback() override
        {
            stopTimer();

            if (auto* box = openFileDialog())
                box->exitModalState (0);
        }
    };
}

// The open dialog of a pick whose file went meanwhile, and the save dialog of a save without a
// file, the framework's own dialog box standing in for the system's: the call returns with the
// dialog open, the message loop goes on while it is, and a cancel changes nothing.
TEST_F (Browser, FileDialogsLeaveTheMessageLoopRunning)
{
    manager->setFileChooser (std::make_unique<NativePresetFileChooser> (false));

    struct Row { const char* title; bool pick; };

    for (const auto& row : { Row { "Choose preset...", true }, Row { "Choose output file location...", false } })
    {
        SCOPED_TRACE (row.title);

        // "Mine", the list's second row, goes while the list is open.
        if (row.pick)
        {
            open();
            ASSERT_EQ (listNames()[1], "Mine");
            ASSERT_TRUE (root.getChildFile ("User/Mine.rcp").deleteFile());
        }

        const auto stateBefore = state().toXmlString();
        const auto filesBefore = root.findChildFiles (juce::File::findFilesAndDirectories, true).size();
        LateCancel lateCancel;

        if (row.pick)
        {
            list().mouseDown (mouseAt (list(), 60.0f, 7.0f + 32.0f + 10.0f));
            EXPECT_TRUE (isClosed());
        }
        else
        {
            manager->savePresetInternal ({});
        }

        auto* dialog = openFileDialog();
        ASSERT_NE (dialog, nullptr) << "the call waited until the dialog was closed";
        EXPECT_EQ (dialog->getName(), row.title);

        TickCounter counter;
        counter.startTimer (10);
        EXPECT_TRUE (runUntil ([&counter] { return counter.ticks >= 5; }));
        EXPECT_EQ (openFileDialog(), dialog);

        dialog->exitModalState (0);
        EXPECT_TRUE (runUntil ([] { return openFileDialog() == nullptr; }));
        ASSERT_TRUE (runPendingMessages());

        EXPECT_EQ (state().toXmlString(), stateBefore);
        EXPECT_EQ (root.findChildFiles (juce::File::findFilesAndDirectories, true).size(), filesBefore);
    }
}

// A dialog still open when its chooser goes (the instance closing, say) closes without an answer.
TEST_F (Browser, FileDialogGoesWithItsChooserWithoutAnswering)
{
    manager->setFileChooser (std::make_unique<NativePresetFileChooser> (false));
    const auto stateBefore = state().toXmlString();

    manager->loadPreset (root.getChildFile ("Gone.rcp"));
    ASSERT_NE (openFileDialog(), nullptr);

    manager->setFileChooser (std::make_unique<NoFileDialogs>());
    EXPECT_TRUE (runUntil ([] { return openFileDialog() == nullptr; }));
    ASSERT_TRUE (runPendingMessages());
    EXPECT_EQ (state().toXmlString(), stateBefore);
}
