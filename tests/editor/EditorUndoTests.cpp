// Undo, redo and A/B compare: one step per user action, whole states, the limit of 30 and the
// redo history that a new action clears.

#include "support/EditorWindowSupport.h"

#include <functional>

using namespace EditorWindowSupport;

namespace
{
    class EditorUndo : public EditorTest
    {
    protected:
        void SetUp() override
        {
            EditorTest::SetUp();
            open();
        }

        void undo()
        {
            ASSERT_TRUE (editor->undoButton.onClick != nullptr);
            editor->undoButton.onClick();
            EXPECT_TRUE (runPendingMessages());
        }

        void redo()
        {
            ASSERT_TRUE (editor->redoButton.onClick != nullptr);
            editor->redoButton.onClick();
            EXPECT_TRUE (runPendingMessages());
        }

        /** A choice in the box's menu, delivered as the menu delivers it. */
        void chooseOversampling (int itemId)
        {
            editor->oversamplingBox.setSelectedId (itemId);
            EXPECT_TRUE (runPendingMessages());
        }

        void expectHistory (size_t undoSteps, size_t redoSteps)
        {
            EXPECT_EQ (editor->undoStack.size(), undoSteps);
            EXPECT_EQ (editor->redoStack.size(), redoSteps);
            EXPECT_EQ (editor->undoButton.isEnabled(), undoSteps > 0);
            EXPECT_EQ (editor->redoButton.isEnabled(), redoSteps > 0);
        }

        juce::MemoryBlock state()
        {
            juce::MemoryBlock block;
            processor->getStateInformation (block);
            return block;
        }
    };
}

TEST_F (EditorUndo, EachActionIsOneStepThatUndoTakesBackAlone)
{
    struct Row
    {
        const char* action;
        std::function<void()> perform;
        std::vector<std::pair<const char*, float>> before, after;
    };

    const std::vector<Row> rows {
        { "knob drag",          [this] { drag (1, 6.0); },                    { { "knob1", 0.0f } },                          { { "knob1", 6.0f } } },
        { "switch click",       [this] { click (editor->eqButton); },         { { "EqP power", 1.0f } },                      { { "EqP power", 0.0f } } },
        { "other type",         [this] { click (editor->typeBButton); },      { { "TypeA power", 1.0f }, { "TypeB power", 0.0f } }, { { "TypeA power", 0.0f }, { "TypeB power", 1.0f } } },
        { "box change",         [this] { chooseOversampling (3); },           { { "os", 0.0f } },                             { { "os", 2.0f } } },
        { "BYPASS",             [this] { click (editor->bypassButton); },     { { "poweR power", 1.0f } },                    { { "poweR power", 0.0f } } },
    };

    for (const auto& row : rows)
    {
        SCOPED_TRACE (row.action);
        close();
        processor = std::make_unique<QuorlinAudioProcessor>();
        open();

        row.perform();
        expectHistory (1, 0);

        for (const auto& [id, expected] : row.after)
            EXPECT_EQ (value (id), expected) << id;

        undo();
        expectHistory (0, 1);

        for (const auto& [id, expected] : row.before)
            EXPECT_EQ (value (id), expected) << id;

        redo();
        expectHistory (1, 0);

        for (const auto& [id, expected] : row.after)
            EXPECT_EQ (value (id), expected) << id;
    }
}

TEST_F (EditorUndo, DoubleClickResetIsAStepOfItsOwn)
{
    drag (7, 40.0);

    // The slider resets inside a drag notification, as a double-click or Alt-click does.
    {
        juce::Slider::ScopedDragNotification reset (knob (7));
        knob (7).setValue (knob (7).getDoubleClickReturnValue(), juce::sendNotificationSync);
    }

    EXPECT_TRUE (runPendingMessages());
    EXPECT_EQ (value ("knob7"), 100.0f);
    expectHistory (2, 0);

    undo();
    EXPECT_EQ (value ("knob7"), 40.0f);
}

TEST_F (EditorUndo, ActionsThatChangeNothingRecordNothing)
{
    drag (1, 0.0);                     // a press on a knob without a move
    click (editor->typeAButton);       // the type that is already on
    chooseOversampling (1);            // the choice that is already made
    drag (2, 5.0);
    drag (2, 0.0);

    // Only the two real drags count.
    expectHistory (2, 0);
    EXPECT_EQ (value ("TypeA power"), 1.0f);
}

TEST_F (EditorUndo, FortyDragsKeepTheNewestThirty)
{
    for (int i = 1; i <= 40; ++i)
        drag (1, 0.5 * i);

    expectHistory (30, 0);

    // The oldest ten went first: thirty undos lead back to the state after the tenth drag.
    for (int i = 0; i < 30; ++i)
        undo();

    expectHistory (0, 30);
    EXPECT_EQ (value ("knob1"), 5.0f);
}

TEST_F (EditorUndo, EveryStepChangesTheStateAndRedoWalksForwardAgain)
{
    std::vector<juce::MemoryBlock> states { state() };

    drag (1, 6.0);                  states.push_back (state());
    click (editor->compButton);     states.push_back (state());
    drag (7, 30.0);                 states.push_back (state());
    click (editor->typeDButton);    states.push_back (state());
    chooseOversampling (4);         states.push_back (state());
    click (editor->bypassButton);   states.push_back (state());
    drag (8, -20.0);                states.push_back (state());

    expectHistory (states.size() - 1, 0);

    for (auto i = states.size() - 1; i > 0; --i)
    {
        undo();
        EXPECT_EQ (state(), states[i - 1]) << "undo to " << i - 1;
    }

    expectHistory (0, states.size() - 1);

    for (size_t i = 1; i < states.size(); ++i)
    {
        redo();
        EXPECT_EQ (state(), states[i]) << "redo to " << i;
    }

    expectHistory (states.size() - 1, 0);
}

TEST_F (EditorUndo, UndoThatTurnsASwitchBackKeepsTheRedoStep)
{
    click (editor->eqButton);
    undo();

    EXPECT_EQ (value ("EqP power"), 1.0f);
    EXPECT_TRUE (editor->eqButton.getToggleState());
    expectHistory (0, 1);
}

TEST_F (EditorUndo, NewActionClearsTheRedoHistory)
{
    drag (1, 6.0);
    drag (1, 12.0);
    undo();
    undo();
    expectHistory (0, 2);

    drag (2, 3.0);
    expectHistory (1, 0);
}

TEST_F (EditorUndo, UndoRightAfterAClickTakesBackThatClick)
{
    // The click's step is still waiting for its message when undo arrives.
    editor->eqButton.triggerClick();
    EXPECT_TRUE (runPendingMessages());
    drag (1, 6.0);
    editor->compButton.triggerClick();

    for (auto attempt = 0; attempt < 100 && editor->compButton.getToggleState(); ++attempt)
        juce::MessageManager::getInstance()->runDispatchLoopUntil (1);

    editor->undoButton.onClick();
    EXPECT_EQ (value ("ComP power"), 1.0f);
    EXPECT_EQ (value ("knob1"), 6.0f);
    EXPECT_EQ (value ("EqP power"), 0.0f);
}

TEST_F (EditorUndo, MouseClicksAndDragsOnTheWindow)
{
    EditorTestSupport::DesktopMouse mouse (*editor);

    // EQ switch at (729, 328, 49, 52) and the drive knob at (373, 634, 100, 100), both at 0.75.
    mouse.click ({ 565.0f, 265.0f });
    EXPECT_TRUE (runPendingMessages());
    EXPECT_EQ (value ("EqP power"), 0.0f);
    expectHistory (1, 0);

    // A press on a switch released outside it is no click.
    mouse.moveTo ({ 565.0f, 265.0f });
    mouse.press ({ 565.0f, 265.0f });
    mouse.dragTo ({ 400.0f, 100.0f });
    mouse.release ({ 400.0f, 100.0f });
    EXPECT_TRUE (runPendingMessages());
    EXPECT_EQ (value ("EqP power"), 0.0f);
    expectHistory (1, 0);

    mouse.moveTo ({ 317.0f, 513.0f });
    mouse.press ({ 317.0f, 513.0f });

    for (auto y = 510.0f; y >= 450.0f; y -= 10.0f)
        mouse.dragTo ({ 317.0f, y });

    mouse.release ({ 317.0f, 450.0f });
    EXPECT_TRUE (runPendingMessages());
    EXPECT_GT (value ("knob1"), 0.0f);
    expectHistory (2, 0);

    undo();
    EXPECT_EQ (value ("knob1"), 0.0f);
    EXPECT_EQ (value ("EqP power"), 0.0f);
}

TEST_F (EditorUndo, HostAutomationAndStateRecallAreNoUserActions)
{
    automate ("EqP power", 0.0f);
    automate ("knob3", 4.0f);
    automate ("TypeD power", 1.0f);
    EXPECT_TRUE (runPendingMessages());
    EXPECT_TRUE (editor->typeDButton.getToggleState());
    EXPECT_FALSE (editor->typeAButton.getToggleState());
    EXPECT_EQ (value ("TypeA power"), 1.0f);
    expectHistory (0, 0);

    auto recalled = std::make_unique<QuorlinAudioProcessor>();
    recalled->apvts->getParameter (ParameterIds::typeB)->setValueNotifyingHost (1.0f);
    recalled->apvts->getParameter (ParameterIds::compressor)->setValueNotifyingHost (0.0f);
    juce::MemoryBlock block;
    recalled->getStateInformation (block);

    processor->setStateInformation (block.getData(), (int) block.getSize());
    EXPECT_TRUE (runPendingMessages());

    EXPECT_TRUE (editor->typeBButton.getToggleState());
    expectHistory (0, 0);
}

TEST_F (EditorUndo, CompareSlotsSwapWholeStatesAndShowWhichIsActive)
{
    const auto expectSlots = [this] (bool aActive)
    {
        EXPECT_EQ (editor->isStateAActive, aActive);
        EXPECT_EQ (editor->compareAButton.findColour (juce::TextButton::buttonColourId), juce::Colour (aActive ? 0xff4a4a4a : 0xff2a2a2a));
        EXPECT_EQ (editor->compareBButton.findColour (juce::TextButton::buttonColourId), juce::Colour (aActive ? 0xff2a2a2a : 0xff4a4a4a));
        EXPECT_EQ (editor->compareAButton.getToggleState(), aActive);
        EXPECT_EQ (editor->compareBButton.getToggleState(), ! aActive);
    };

    EXPECT_TRUE (editor->hasStateA);
    EXPECT_FALSE (editor->hasStateB);
    expectSlots (true);

    // Clicking the active slot stores and loads nothing.
    drag (1, 6.0);
    const auto slotA = editor->stateA;
    click (editor->compareAButton);
    EXPECT_EQ (editor->stateA, slotA);
    EXPECT_EQ (value ("knob1"), 6.0f);

    // The first switch to B keeps the present state in A and loads nothing.
    click (editor->compareBButton);
    expectSlots (false);
    EXPECT_FALSE (editor->hasStateB);
    EXPECT_EQ (value ("knob1"), 6.0f);

    drag (1, 12.0);
    click (editor->typeCButton);

    // Back to A: B keeps what was current, A comes back as it was left.
    click (editor->compareAButton);
    expectSlots (true);
    EXPECT_TRUE (editor->hasStateB);
    EXPECT_EQ (value ("knob1"), 6.0f);
    EXPECT_EQ (value ("TypeA power"), 1.0f);
    EXPECT_EQ (value ("TypeC power"), 0.0f);

    click (editor->compareBButton);
    EXPECT_EQ (value ("knob1"), 12.0f);
    EXPECT_EQ (value ("TypeC power"), 1.0f);

    click (editor->compareAButton);
    EXPECT_EQ (value ("knob1"), 6.0f);

    // The switches themselves are no undo steps, and the loads they make record none.
    expectHistory (3, 0);
}

TEST_F (EditorUndo, ActiveSlotLetterShowsInTheAccentColour)
{
    editor->setSize (1100, 852);

    const auto brightestLetter = [] (juce::TextButton& button)
    {
        return brightestPixel (EditorTestSupport::snapshot (button));
    };

    const auto teal = juce::Colour (0xff7abec1);
    EXPECT_GT (brightestLetter (editor->compareAButton).getSaturation(), 0.2f);
    EXPECT_LT (brightestLetter (editor->compareBButton).getSaturation(), 0.05f);

    click (editor->compareBButton);
    EXPECT_LT (brightestLetter (editor->compareAButton).getSaturation(), 0.05f);
    EXPECT_NEAR (brightestLetter (editor->compareBButton).getHue(), teal.getHue(), 0.05f);
}

TEST_F (EditorUndo, ReopeningStartsWithEmptyHistoryAndSlots)
{
    drag (1, 6.0);
    click (editor->compareBButton);
    close();

    open();
    expectHistory (0, 0);
    EXPECT_TRUE (editor->isStateAActive);
    EXPECT_FALSE (editor->hasStateB);
    EXPECT_EQ (value ("knob1"), 6.0f);
}
