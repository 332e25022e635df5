// The preset bar inside the editor: previous and next round the flat list, the heart, save and
// delete through the dialogs (scripted, and once the real one on screen), and a browser pick.

#include "support/EditorWindowSupport.h"
#include "support/AlertWindows.h"
#include "support/TestKeyboard.h"
#include "HostDisplay.h"

#include <optional>
#include <utility>

using namespace EditorWindowSupport;

namespace
{
    /** Dialogs that answer as the test says, or keep the callbacks for later. */
    struct ScriptedDialogs final : public PresetDialogs
    {
        ScriptedDialogs (juce::StringArray& askedLog, std::function<void (const juce::String&)>& save, std::function<void()>& remove)
            : asked (askedLog), keptSave (save), keptDelete (remove) {}

        void askForPresetName (const juce::String& suggestedName, const juce::String& problem,
                               std::function<void (const juce::String&)> onSave) override
        {
            asked.add ("save: " + suggestedName + (problem.isNotEmpty() ? " (" + problem + ")" : juce::String()));

            // Each typed name answers one dialog; a dialog asked again waits.
            if (typedName.has_value())
                onSave (*std::exchange (typedName, std::nullopt));
            else
                keptSave = std::move (onSave);
        }

        void confirmDeletion (const juce::String& question, std::function<void()> onDelete) override
        {
            asked.add ("delete: " + question);

            if (confirm)
                onDelete();
            else
                keptDelete = std::move (onDelete);
        }

        std::optional<juce::String> typedName;
        bool confirm = false;

        // Outside the dialogs, which go with the editor.
        juce::StringArray& asked;
        std::function<void (const juce::String&)>& keptSave;
        std::function<void()>& keptDelete;
    };


    class EditorPresetBar : public EditorTest
    {
    protected:
        void SetUp() override
        {
            EditorTest::SetUp();

            // Flat order: Bright, Default, User/Mine, Tape/Reel; each drives differently.
            savePreset ("Bright.rcp", 3.0f);
            savePreset ("User/Mine.rcp", 6.0f);
            savePreset ("Tape/Reel.rcp", 9.0f);
            automate ("knob1", 0.0f);
            setCurrentName ("Default");

            open();
            editor->presetSelector->stopTimer();
        }

        void savePreset (const juce::String& relativePath, float drive)
        {
            const auto file = presetFolder().getChildFile (relativePath);
            ASSERT_TRUE (file.getParentDirectory().createDirectory());
            automate ("knob1", drive);
            processor->presetManager->savePresetInternal (file);
            ASSERT_TRUE (file.existsAsFile());
        }

        void setCurrentName (const juce::String& name)
        {
            processor->apvts->state.setProperty ("Current_Selected_Preset", name, nullptr);
        }

        juce::String currentName()  { return processor->apvts->state.getProperty ("Current_Selected_Preset").toString(); }

        ScriptedDialogs& scriptDialogs()
        {
            auto dialogs = std::make_unique<ScriptedDialogs> (asked, keptSave, keptDelete);
            auto& result = *dialogs;
            editor->presetDialogs = std::move (dialogs);
            return result;
        }

        juce::StringArray categoryNames()
        {
            juce::StringArray names;

            for (const auto& category : editor->presetSelector->selector.categories)
                names.add (category.name);

            return names;
        }

        juce::StringArray asked;
        std::function<void (const juce::String&)> keptSave;
        std::function<void()> keptDelete;
    };
}

TEST_F (EditorPresetBar, NextAndPreviousGoRoundTheFlatList)
{
    struct Step { juce::Button* button; const char* name; float drive; };

    const Step steps[] = {
        { &editor->nextButton, "Mine", 6.0f }, { &editor->nextButton, "Reel", 9.0f }, { &editor->nextButton, "Bright", 3.0f },
        { &editor->prevButton, "Reel", 9.0f }, { &editor->prevButton, "Mine", 6.0f }, { &editor->prevButton, "Default", 0.0f },
        { &editor->prevButton, "Bright", 3.0f },
    };

    for (const auto& step : steps)
    {
        click (*step.button);
        EXPECT_EQ (currentName(), step.name);
        EXPECT_EQ (value ("knob1"), step.drive) << step.name;
        EXPECT_EQ (editor->presetSelector->selector.displayText, step.name);
    }

    // Each load is one step; undo walks back through the presets, names included.
    EXPECT_EQ (editor->undoStack.size(), 7u);
    editor->undoButton.onClick();
    EXPECT_EQ (currentName(), "Default");
    EXPECT_EQ (value ("knob1"), 0.0f);
    editor->undoButton.onClick();
    EXPECT_EQ (currentName(), "Mine");
    EXPECT_EQ (value ("knob1"), 6.0f);
}

// Saving "Default" as it stands puts "User/Default" beside the top-level "Default". Previous and
// next then still visit every preset once per round, in the flat list's order, and the browser's
// mark and the heart follow the file, not the name.
TEST_F (EditorPresetBar, PresetsOfOneNameAreEachVisitedOncePerRound)
{
    automate ("knob1", 12.0f);
    scriptDialogs().typedName = "Default";
    click (editor->saveButton);
    ASSERT_TRUE (presetFolder().getChildFile ("User/Default.rcp").existsAsFile());
    processor->presetManager->favoritesManager->toggleFavorite (presetFolder().getChildFile ("User/Default.rcp"));

    // Flat list: Bright, Default, User/Default, User/Mine, Tape/Reel.
    struct Step { juce::Button* button; const char* name; float drive; int flatIndex; };

    const Step steps[] = {
        { &editor->nextButton, "Mine",    6.0f,  3 }, { &editor->nextButton, "Reel",    9.0f,  4 },
        { &editor->nextButton, "Bright",  3.0f,  0 }, { &editor->nextButton, "Default", 0.0f,  1 },
        { &editor->nextButton, "Default", 12.0f, 2 }, { &editor->nextButton, "Mine",    6.0f,  3 },
        { &editor->prevButton, "Default", 12.0f, 2 }, { &editor->prevButton, "Default", 0.0f,  1 },
        { &editor->prevButton, "Bright",  3.0f,  0 }, { &editor->prevButton, "Reel",    9.0f,  4 },
        { &editor->prevButton, "Mine",    6.0f,  3 }, { &editor->prevButton, "Default", 12.0f, 2 },
    };

    auto number = 0;

    for (const auto& step : steps)
    {
        SCOPED_TRACE (juce::String (step.button == &editor->nextButton ? "next " : "previous ") + juce::String (++number));
        click (*step.button);
        EXPECT_EQ (currentName(), step.name);
        EXPECT_EQ (value ("knob1"), step.drive);
        EXPECT_EQ (editor->presetSelector->selector.currentIndex, step.flatIndex);
        EXPECT_EQ (editor->heartButton.isFavourite, step.flatIndex == 2);
    }
}

TEST_F (EditorPresetBar, UnknownNameGoesToTheFirstOrTheLast)
{
    setCurrentName ("Gone");
    click (editor->nextButton);
    EXPECT_EQ (currentName(), "Bright");

    setCurrentName ("");
    click (editor->prevButton);
    EXPECT_EQ (currentName(), "Reel");
}

TEST_F (EditorPresetBar, LoadThatChangesNothingIsNoStep)
{
    for (const auto* path : { "Bright.rcp", "User/Mine.rcp", "Tape/Reel.rcp" })
        presetFolder().getChildFile (path).deleteFile();

    click (editor->nextButton);
    click (editor->prevButton);
    EXPECT_EQ (currentName(), "Default");
    EXPECT_TRUE (editor->undoStack.empty());

    presetFolder().getChildFile ("Default.rcp").deleteFile();
    click (editor->nextButton);
    EXPECT_TRUE (editor->undoStack.empty());
}

TEST_F (EditorPresetBar, HeartTogglesTheCurrentPresetsFavourite)
{
    auto& favourites = *processor->presetManager->favoritesManager;
    click (editor->nextButton);
    ASSERT_EQ (currentName(), "Mine");
    EXPECT_FALSE (editor->heartButton.isFavourite);

    ASSERT_TRUE (editor->heartButton.onClick != nullptr);
    editor->heartButton.onClick();
    EXPECT_EQ (favourites.favorites, juce::StringArray ("User/Mine.rcp"));
    EXPECT_TRUE (editor->heartButton.isFavourite);
    EXPECT_EQ (categoryNames()[0], "Favorites");

    editor->heartButton.onClick();
    EXPECT_TRUE (favourites.favorites.isEmpty());
    EXPECT_FALSE (editor->heartButton.isFavourite);
    EXPECT_FALSE (categoryNames().contains ("Favorites"));

    // With no file of the current name the heart only empties itself.
    editor->heartButton.onClick();
    setCurrentName ("Gone");
    editor->heartButton.onClick();
    EXPECT_EQ (favourites.favorites, juce::StringArray ("User/Mine.rcp"));
    EXPECT_FALSE (editor->heartButton.isFavourite);
    EXPECT_EQ (editor->undoStack.size(), 1u);
}

TEST_F (EditorPresetBar, HeartFollowsTheNamePoll)
{
    processor->presetManager->favoritesManager->toggleFavorite (presetFolder().getChildFile ("Tape/Reel.rcp"));
    setCurrentName ("Reel");
    EXPECT_FALSE (editor->heartButton.isFavourite);

    editor->presetSelector->timerCallback();
    EXPECT_TRUE (editor->heartButton.isFavourite);

    setCurrentName ("Bright");
    editor->presetSelector->timerCallback();
    EXPECT_FALSE (editor->heartButton.isFavourite);
}

TEST_F (EditorPresetBar, SaveWritesTheTypedNameIntoUser)
{
    auto& dialogs = scriptDialogs();
    dialogs.typedName = "  Pad  ";
    click (editor->saveButton);

    EXPECT_EQ (asked, juce::StringArray ("save: Default"));
    EXPECT_TRUE (presetFolder().getChildFile ("User/Pad.rcp").existsAsFile());
    EXPECT_EQ (currentName(), "Pad");
    EXPECT_EQ (editor->presetSelector->selector.displayText, "Pad");
    EXPECT_TRUE (editor->undoStack.empty());

    // Names that would leave "User" are refused: the dialog comes back with the text as typed
    // and the reason, and nothing is written.
    struct Refusal { const char* typed; const char* reason; };

    for (const auto& refusal : { Refusal { "../Escape",   "A preset name cannot contain / or \\." },
                                 Refusal { "/tmp/Escape", "A preset name cannot contain / or \\." },
                                 Refusal { "~Escape",     "A preset name cannot start with . or ~." },
                                 Refusal { ".hidden",     "A preset name cannot start with . or ~." },
                                 Refusal { "",            "A preset needs a name." } })
    {
        asked.clear();
        keptSave = nullptr;
        dialogs.typedName = refusal.typed;
        click (editor->saveButton);
        juce::StringArray expected;
        expected.add ("save: Pad");
        expected.add (juce::String ("save: ") + refusal.typed + " (" + refusal.reason + ")");
        EXPECT_EQ (asked, expected);
        EXPECT_TRUE (keptSave != nullptr) << refusal.typed;
        EXPECT_EQ (currentName(), "Pad") << refusal.typed;
    }

    EXPECT_FALSE (presetFolder().getChildFile ("Escape.rcp").exists());
    EXPECT_FALSE (presetFolder().getChildFile ("User/.hidden.rcp").exists());

    // Corrected in the dialog that came back, the name saves.
    keptSave ("Escaped");
    EXPECT_TRUE (presetFolder().getChildFile ("User/Escaped.rcp").existsAsFile());
    EXPECT_EQ (currentName(), "Escaped");
}

TEST_F (EditorPresetBar, DeleteNamesTheExactFileAndRemovesOnlyIt)
{
    click (editor->nextButton);
    ASSERT_EQ (currentName(), "Mine");

    // A second "Mine" elsewhere, written by another instance, must survive.
    ASSERT_TRUE (presetFolder().getChildFile ("User/Mine.rcp").copyFileTo (presetFolder().getChildFile ("Tape/Mine.rcp")));
    automate ("knob1", 12.0f);
    editor->undoStack.clear();

    auto& dialogs = scriptDialogs();
    click (editor->deleteButton);
    EXPECT_EQ (asked, juce::StringArray ("delete: Delete \"Mine\"?\nUser/Mine.rcp"));
    EXPECT_TRUE (presetFolder().getChildFile ("User/Mine.rcp").existsAsFile());

    dialogs.confirm = true;
    click (editor->deleteButton);
    EXPECT_FALSE (presetFolder().getChildFile ("User/Mine.rcp").exists());
    EXPECT_TRUE (presetFolder().getChildFile ("Tape/Mine.rcp").existsAsFile());
    EXPECT_EQ (currentName(), "");
    EXPECT_EQ (editor->presetSelector->selector.displayText, "Init");
    EXPECT_EQ (value ("knob1"), 12.0f);
    EXPECT_TRUE (editor->undoStack.empty());

    // Without a current name no question is asked.
    asked.clear();
    click (editor->deleteButton);
    EXPECT_TRUE (asked.isEmpty());
}

TEST_F (EditorPresetBar, AnswersThatArriveAfterTheEditorClosedDoNothing)
{
    scriptDialogs();
    click (editor->saveButton);
    click (editor->nextButton);
    click (editor->deleteButton);
    ASSERT_TRUE (keptSave != nullptr);
    ASSERT_TRUE (keptDelete != nullptr);

    close();
    keptSave ("Late");
    keptDelete();

    EXPECT_FALSE (presetFolder().getChildFile ("User/Late.rcp").exists());
    EXPECT_TRUE (presetFolder().getChildFile ("User/Mine.rcp").existsAsFile());
}

TEST_F (EditorPresetBar, RealSaveDialogOnScreen)
{
    editor->addToDesktop (0);
    editor->setVisible (true);

    click (editor->saveButton);
    ASSERT_EQ (AlertWindows::visible().size(), 1u);
    auto* alert = AlertWindows::visible().front();
    EXPECT_EQ (alert->getName(), "Save Preset");
    EXPECT_EQ (alert->getDescription(), "Save Preset. Enter preset name:");
    EXPECT_EQ (&alert->getLookAndFeel(), &editor->darkAlertLookAndFeel);

    auto* field = alert->getTextEditor ("name");
    ASSERT_NE (field, nullptr);
    EXPECT_EQ (field->getText(), "Default");
    field->setText ("Live Vocal");

    juce::TextButton* saveButton = nullptr;

    for (auto* child : alert->getChildren())
        if (auto* button = dynamic_cast<juce::TextButton*> (child); button != nullptr && button->getButtonText() == "Save")
            saveButton = button;

    ASSERT_NE (saveButton, nullptr);
    saveButton->triggerClick();
    EXPECT_TRUE (runPendingMessages());

    EXPECT_TRUE (AlertWindows::visible().empty());
    EXPECT_TRUE (presetFolder().getChildFile ("User/Live Vocal.rcp").existsAsFile());
    EXPECT_EQ (currentName(), "Live Vocal");

    // The editor may close while a dialog is open; the dialog goes with it.
    click (editor->saveButton);
    ASSERT_EQ (AlertWindows::visible().size(), 1u);
    editor->removeFromDesktop();
    close();
    EXPECT_TRUE (runPendingMessages());
    EXPECT_TRUE (AlertWindows::visible().empty());
}

namespace
{
    /** Every file below the test's home, but the editor's settings, which a resize may write. */
    juce::StringArray filesAtHome()
    {
        juce::StringArray paths;
        const auto settings = settingsFolder();

        for (const auto& file : juce::File::getSpecialLocation (juce::File::userHomeDirectory).findChildFiles (juce::File::findFiles, true, "*"))
            if (! file.isAChildOf (settings))
                paths.add (file.getFullPathName());

        paths.sort (false);
        return paths;
    }
}

// A name that cannot be saved under brings the real dialog back, saying why, with the text as
// typed; it writes nothing anywhere. An accepted name then writes one file and closes the dialog.
TEST_F (EditorPresetBar, RefusedNameBringsTheDialogBackWithTheReason)
{
    editor->addToDesktop (0);
    editor->setVisible (true);

    const auto typeAndAnswer = [] (const juce::String& typed, const juce::String& button)
    {
        ASSERT_EQ (AlertWindows::visible().size(), 1u);
        auto* alert = AlertWindows::visible().front();
        alert->getTextEditor ("name")->setText (typed);

        for (auto* child : alert->getChildren())
            if (auto* b = dynamic_cast<juce::TextButton*> (child); b != nullptr && b->getButtonText() == button)
                b->triggerClick();

        EXPECT_TRUE (runPendingMessages());
    };

    struct Refusal { const char* typed; const char* reason; };

    for (const auto& refusal : { Refusal { "../evil", "A preset name cannot contain / or \\." },
                                 Refusal { "a/b",     "A preset name cannot contain / or \\." },
                                 Refusal { "",        "A preset needs a name." },
                                 Refusal { "  ",      "A preset needs a name." },
                                 Refusal { ".hidden", "A preset name cannot start with . or ~." } })
    {
        SCOPED_TRACE (refusal.typed);
        const auto before = filesAtHome();
        click (editor->saveButton);
        typeAndAnswer (refusal.typed, "Save");

        ASSERT_EQ (AlertWindows::visible().size(), 1u);
        auto* again = AlertWindows::visible().front();
        EXPECT_EQ (again->getName(), "Save Preset");
        EXPECT_EQ (again->getDescription(), juce::String ("Save Preset. ") + refusal.reason + "\nEnter another preset name:");
        EXPECT_EQ (again->getTextEditor ("name")->getText(), refusal.typed);
        EXPECT_EQ (&again->getLookAndFeel(), &editor->darkAlertLookAndFeel);

        if (juce::String (refusal.typed) == "../evil")
            EditorTestSupport::savePicture (again->createComponentSnapshot (again->getLocalBounds()), "save-dialog-refused-name");

        typeAndAnswer (refusal.typed, "Cancel");
        EXPECT_TRUE (AlertWindows::visible().empty());
        EXPECT_EQ (filesAtHome(), before);
        EXPECT_EQ (currentName(), "Default");
    }

    // Corrected in the dialog that came back: one file, and the dialog is gone.
    const auto before = filesAtHome();
    click (editor->saveButton);
    typeAndAnswer ("a/b", "Save");
    typeAndAnswer ("a-b", "Save");

    EXPECT_TRUE (AlertWindows::visible().empty());
    auto added = filesAtHome();

    for (const auto& path : before)
        added.removeString (path);

    EXPECT_EQ (added, juce::StringArray (presetFolder().getChildFile ("User/a-b.rcp").getFullPathName()));
    EXPECT_EQ (currentName(), "a-b");
}

// Two instances side by side: what the second deletes and saves, the first's browser shows at
// its next opening.
TEST_F (EditorPresetBar, BrowserShowsWhatAnotherInstanceDeletedAndSaved)
{
    editor->addToDesktop (0);
    editor->setVisible (true);
    auto& selector = editor->presetSelector->selector;
    selector.showMenu();
    EXPECT_TRUE (runPendingMessages());
    selector.hideMenu();

    QuorlinAudioProcessor otherProcessor;
    QuorlinAudioProcessorEditor other (otherProcessor);
    juce::StringArray otherAsked;
    std::function<void (const juce::String&)> otherSave;
    std::function<void()> otherDelete;
    auto otherDialogs = std::make_unique<ScriptedDialogs> (otherAsked, otherSave, otherDelete);
    otherDialogs->confirm = true;
    otherDialogs->typedName = "Fresh";
    auto& otherScript = *otherDialogs;
    other.presetDialogs = std::move (otherDialogs);

    otherProcessor.presetManager->loadPreset (presetFolder().getChildFile ("User/Mine.rcp"));
    click (other.deleteButton);
    ASSERT_FALSE (presetFolder().getChildFile ("User/Mine.rcp").exists());
    click (other.saveButton);
    ASSERT_TRUE (presetFolder().getChildFile ("User/Fresh.rcp").existsAsFile());
    EXPECT_FALSE (otherScript.typedName.has_value());

    selector.showMenu();
    EXPECT_TRUE (runPendingMessages());
    ASSERT_NE (selector.menu, nullptr);
    const auto& categories = selector.menu->categories;
    const auto user = std::find_if (categories.begin(), categories.end(), [] (const auto& c) { return c.name == "User"; });
    ASSERT_NE (user, categories.end());
    EXPECT_EQ (user->presetNames, juce::StringArray ("Fresh"));

    selector.hideMenu();
    editor->removeFromDesktop();
}

TEST_F (EditorPresetBar, BrowserPickLoadsThePresetWithoutAnUndoStep)
{
    editor->addToDesktop (0);
    editor->setVisible (true);
    auto& selector = editor->presetSelector->selector;

    selector.showMenu();
    EXPECT_TRUE (runPendingMessages());
    ASSERT_NE (selector.menu, nullptr);
    ASSERT_NE (selector.overlay, nullptr);
    EXPECT_EQ (selector.overlay->getParentComponent(), editor.get());

    // The row of "Reel" carries flat index 3.
    ASSERT_TRUE (selector.onPresetSelected != nullptr);
    selector.onPresetSelected (3);
    selector.hideMenu();
    EXPECT_TRUE (runPendingMessages());

    EXPECT_EQ (currentName(), "Reel");
    EXPECT_EQ (value ("knob1"), 9.0f);
    EXPECT_TRUE (editor->undoStack.empty());

    editor->removeFromDesktop();
}

TEST_F (EditorPresetBar, HeartInTheBrowsersListMovesTheBarsHeartAtOnce)
{
    editor->addToDesktop (0);
    editor->setVisible (true);
    auto& selector = editor->presetSelector->selector;
    selector.showMenu();
    EXPECT_TRUE (runPendingMessages());
    ASSERT_NE (selector.menu, nullptr);

    auto& list = *selector.menu->subMenu;
    ASSERT_TRUE (list.onHeartClicked != nullptr);

    list.onHeartClicked (presetFolder().getChildFile ("Default.rcp"));
    EXPECT_TRUE (editor->heartButton.isFavourite);
    EXPECT_EQ (categoryNames()[0], "Favorites");

    list.onHeartClicked (presetFolder().getChildFile ("Default.rcp"));
    EXPECT_FALSE (editor->heartButton.isFavourite);
    EXPECT_FALSE (categoryNames().contains ("Favorites"));

    selector.hideMenu();
    editor->removeFromDesktop();
}

namespace
{
    juce::TextButton* buttonOf (juce::AlertWindow& alert, const juce::String& text)
    {
        for (auto* child : alert.getChildren())
            if (auto* button = dynamic_cast<juce::TextButton*> (child); button != nullptr && button->getButtonText() == text)
                return button;

        return nullptr;
    }

    /** The colour the screen shows inside the button, beside its letter, once every pending
        repaint has reached the screen.
    */
    juce::Colour shownBody (juce::Button& button)
    {
        EXPECT_TRUE (runPendingMessages());
        juce::Thread::sleep (50);
        EXPECT_TRUE (runPendingMessages());

        const auto point = button.localPointToGlobal (juce::Point<int> (4, button.getHeight() / 2));
        const auto pixels = HostDisplay::capture ({ point.x, point.y, 1, 1 });
        return pixels.argb.empty() ? juce::Colour() : juce::Colour (pixels.argb.front());
    }
}

// The pointer leaves "+" or "-" for the dialog's buttons; once the dialog has closed, the button
// it opened from shows where the pointer is, not where it was when the dialog opened.
TEST_F (EditorPresetBar, SaveAndDeleteButtonsShowWhereThePointerIsOnceTheirDialogCloses)
{
    const juce::Colour hovered (0xFF454545), normal (0xFF2A2A2A);
    setCurrentName ("Mine");
    EditorTestSupport::DesktopMouse mouse (*editor);

    struct Row { const char* what; juce::TextButton* button; const char* answer; };

    const Row rows[] = {
        { "save, cancelled",   &editor->saveButton,   "Cancel" },
        { "save, saved",       &editor->saveButton,   "Save" },
        { "delete, cancelled", &editor->deleteButton, "Cancel" },
    };

    for (const auto& row : rows)
    {
        SCOPED_TRACE (row.what);
        const auto onButton = row.button->getBounds().toFloat().getCentre() * 0.75f;
        mouse.moveTo (onButton);
        EXPECT_EQ (shownBody (*row.button), hovered);

        mouse.click (onButton);
        EXPECT_TRUE (runPendingMessages());
        ASSERT_EQ (AlertWindows::visible().size(), 1u);
        auto* answer = buttonOf (*AlertWindows::visible().front(), row.answer);
        ASSERT_NE (answer, nullptr);

        mouse.click (editor->getLocalPoint (nullptr, answer->getScreenBounds().getCentre().toFloat()));
        EXPECT_TRUE (runPendingMessages());
        ASSERT_TRUE (AlertWindows::visible().empty());
        EXPECT_EQ (shownBody (*row.button), normal);

        mouse.moveTo (onButton);
        EXPECT_EQ (shownBody (*row.button), hovered);
        mouse.moveTo ({ 400.0f, 300.0f });
        EXPECT_EQ (shownBody (*row.button), normal);
    }
}

namespace
{
    /** Lets the windows take what the server has sent them. */
    void settle()
    {
        juce::MessageManager::getInstance()->runDispatchLoopUntil (30);
    }

    juce::Point<float> centreOf (juce::Component& editor, juce::Component& control)
    {
        return editor.getLocalArea (&control, control.getLocalBounds()).toFloat().getCentre();
    }

    /** The last step of the pointer onto a point, a press and its release, reaching the window
        together as a fast hand or a touchpad tap sends them: the window handles the press only
        once the release is on its way too.
    */
    void quickClickAt (juce::Point<int> screen)
    {
        ASSERT_TRUE (TestPointer::moveTo (screen.x - 1, screen.y));
        settle();
        ASSERT_TRUE (TestPointer::moveTo (screen.x, screen.y));
        ASSERT_TRUE (TestPointer::setLeftButton (true));
        ASSERT_TRUE (TestPointer::setLeftButton (false));
        settle();
        EXPECT_TRUE (runPendingMessages());
    }
}

// A preset picked with a quick click closes the browser while the press is being handled; the
// next press on the editor must still reach the control under the pointer. A quick press on the
// menu's header closes the browser the same way.
TEST_F (EditorPresetBar, FirstPressAfterAQuickPickReachesTheControl)
{
    struct Row { const char* what; float scale; bool pick; bool knob; };

    for (const auto& row : { Row { "pick, COMP switch at 0.75", 0.75f, true, false },
                             Row { "pick, drive knob at 0.75", 0.75f, true, true },
                             Row { "pick, COMP switch at 0.5", 0.5f, true, false },
                             Row { "pick, drive knob at 0.5", 0.5f, true, true },
                             Row { "header, COMP switch at 0.75", 0.75f, false, false } })
    {
        SCOPED_TRACE (row.what);
        setCurrentName ("Default");
        editor->setSize (juce::roundToInt (1100 * row.scale), juce::roundToInt (852 * row.scale));
        EditorTestSupport::DesktopMouse mouse (*editor);
        auto& selector = editor->presetSelector->selector;

        mouse.click (centreOf (*editor, selector));
        EXPECT_TRUE (runPendingMessages());
        ASSERT_NE (selector.menu, nullptr);
        ASSERT_TRUE (selector.menu->isVisible());
        auto& menu = *selector.menu;
        auto& list = *menu.subMenu;

        if (row.pick)
        {
            // "Tape" is the fourth category; its list holds "Reel".
            ASSERT_EQ (menu.categories[3].name, "Tape");
            const auto tapeRow = menu.localPointToGlobal (juce::Point<int> (100, menu.headerHeight + 3 * menu.itemHeight + menu.itemHeight / 2));
            mouse.click (editor->getLocalPoint (nullptr, tapeRow.toFloat()));
            EXPECT_TRUE (runPendingMessages());

            ASSERT_TRUE (list.isVisible());
            ASSERT_EQ (list.items.size(), 1u);
            ASSERT_EQ (list.items[0].name, "Reel");
            quickClickAt (list.localPointToGlobal (juce::Point<int> (100, list.padding + list.itemHeight / 2)));
            ASSERT_EQ (currentName(), "Reel");
        }
        else
        {
            quickClickAt (menu.localPointToGlobal (juce::Point<int> (100, menu.headerHeight / 2)));
        }

        ASSERT_FALSE (menu.isVisible());
        ASSERT_EQ (selector.overlay, nullptr);
        EXPECT_FALSE (menu.isOnDesktop());
        EXPECT_FALSE (list.isOnDesktop());

        if (row.knob)
        {
            const auto before = value ("knob1");
            const auto start = centreOf (*editor, knob (1));
            mouse.moveTo (start);
            mouse.press (start);

            for (auto dy = 10.0f; dy <= 60.0f; dy += 10.0f)
                mouse.dragTo (start - juce::Point<float> (0.0f, dy));

            mouse.release (start - juce::Point<float> (0.0f, 60.0f));
            EXPECT_TRUE (runPendingMessages());
            EXPECT_GT (value ("knob1"), before);
        }
        else
        {
            const auto before = value ("ComP power");
            mouse.click (centreOf (*editor, editor->compButton));
            EXPECT_TRUE (runPendingMessages());
            EXPECT_NE (value ("ComP power"), before);
        }
    }
}

// The save dialog opens with the keyboard in its name field and the suggested name selected, so
// what the user types replaces it; Return presses no button. The same holds for the dialog that
// comes back after a refused name.
TEST_F (EditorPresetBar, TypingIntoAFreshSaveDialogNamesThePreset)
{
    EditorTestSupport::DesktopMouse mouse (*editor);
    const auto user = presetFolder().getChildFile ("User");

    // Checks the dialog on screen, types into it, and answers with the pointer.
    const auto typeAndSave = [&] (const juce::String& shownText, const std::string& typed)
    {
        ASSERT_EQ (AlertWindows::visible().size(), 1u);
        auto* alert = AlertWindows::visible().front();
        auto* field = alert->getTextEditor ("name");
        ASSERT_NE (field, nullptr);
        EXPECT_EQ (field->getText(), shownText);
        EXPECT_TRUE (field->hasKeyboardFocus (false));
        EXPECT_EQ (field->getHighlightedRegion(), juce::Range<int> (0, shownText.length()));

        ASSERT_TRUE (TestKeyboard::type (typed));
        EXPECT_TRUE (runPendingMessages());
        EXPECT_EQ (field->getText(), juce::String (typed));

        const auto before = filesAtHome();
        ASSERT_TRUE (TestKeyboard::pressReturn());
        EXPECT_TRUE (runPendingMessages());
        ASSERT_EQ (AlertWindows::visible().size(), 1u) << "Return pressed a button";
        EXPECT_EQ (filesAtHome(), before);

        auto* save = buttonOf (*alert, "Save");
        ASSERT_NE (save, nullptr);
        mouse.click (editor->getLocalPoint (nullptr, save->getScreenBounds().getCentre().toFloat()));
        EXPECT_TRUE (runPendingMessages());
    };

    mouse.click (centreOf (*editor, editor->saveButton));
    EXPECT_TRUE (runPendingMessages());
    typeAndSave ("Default", "Vox 2");
    EXPECT_TRUE (AlertWindows::visible().empty());
    EXPECT_TRUE (user.getChildFile ("Vox 2.rcp").existsAsFile());
    EXPECT_EQ (currentName(), "Vox 2");

    mouse.click (centreOf (*editor, editor->saveButton));
    EXPECT_TRUE (runPendingMessages());
    typeAndSave ("Vox 2", "a/b");
    typeAndSave ("a/b", "Vox 3");
    EXPECT_TRUE (AlertWindows::visible().empty());
    EXPECT_TRUE (user.getChildFile ("Vox 3.rcp").existsAsFile());
    EXPECT_EQ (currentName(), "Vox 3");
}
