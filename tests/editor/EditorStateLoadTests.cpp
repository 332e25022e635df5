// What reaches the host while the editor is open: loads and automation arrive as values only,
// gestures come from the user's own actions alone, and the channel-type switches show the type
// that plays.

#include "support/EditorWindowSupport.h"

#include <functional>
#include <map>

using namespace EditorWindowSupport;

namespace
{
    const char* const typeIds[] = { "TypeA power", "TypeB power", "TypeC power", "TypeD power" };

    /** Counts the begin and end gestures each parameter announces, as a host's listener hears them. */
    class GestureCounter final : private juce::AudioProcessorParameter::Listener
    {
    public:
        explicit GestureCounter (QuorlinAudioProcessor& processorToWatch) : processor (processorToWatch)
        {
            for (auto* p : processor.getParameters())
                p->addListener (this);
        }

        ~GestureCounter() override
        {
            for (auto* p : processor.getParameters())
                p->removeListener (this);
        }

        /** Parameter IDs with the number of gestures begun and ended, only those that had any. */
        std::map<juce::String, std::pair<int, int>> gestures;

    private:
        void parameterValueChanged (int, float) override {}

        void parameterGestureChanged (int index, bool starting) override
        {
            auto& counts = gestures[dynamic_cast<juce::RangedAudioParameter*> (processor.getParameters()[index])->paramID];
            ++(starting ? counts.first : counts.second);
        }

        QuorlinAudioProcessor& processor;
    };

    class EditorStateLoad : public EditorTest
    {
    protected:
        void SetUp() override
        {
            EditorTest::SetUp();
            open();
        }

        std::array<Retrotogglebutton*, 4> typeButtons()
        {
            return { &editor->typeAButton, &editor->typeBButton, &editor->typeCButton, &editor->typeDButton };
        }

        /** The type switches shown on, as the letters A to D. */
        juce::String shownTypes()
        {
            juce::String shown;

            for (size_t i = 0; i < 4; ++i)
                if (typeButtons()[i]->getToggleState())
                    shown << juce::String::charToString ((juce::juce_wchar) ('A' + i));

            return shown;
        }

        /** The type parameters that are on, as the letters A to D. */
        juce::String typesOn()
        {
            juce::String on;

            for (int i = 0; i < 4; ++i)
                if (value (typeIds[i]) >= 0.5f)
                    on << juce::String::charToString ((juce::juce_wchar) ('A' + i));

            return on;
        }
    };
}

TEST_F (EditorStateLoad, LoadsReachTheHostWithoutGestures)
{
    const auto typeC = stateWith ({ { "TypeA power", 0.0f }, { "TypeC power", 1.0f }, { "EqP power", 0.0f },
                                    { "os", 3.0f }, { "knob1", 9.0f } });

    const auto presetFile = presetFolder().getChildFile ("Type C.rcp");
    ASSERT_TRUE (presetFile.replaceWithText ("<VastrelV3 Current_Selected_Preset=\"Type C\" Preset_Has_Been_Modified=\"0\">"
                                             "<PARAM id=\"TypeA power\" value=\"0\"/><PARAM id=\"TypeD power\" value=\"1\"/>"
                                             "<PARAM id=\"ComP power\" value=\"0\"/><PARAM id=\"knob2\" value=\"7\"/>"
                                             "</VastrelV3>"));

    struct Row
    {
        const char* load;
        std::function<void()> perform;
        const char* typeAfter;
    };

    const std::vector<Row> rows {
        { "host state",    [&] { processor->setStateInformation (typeC.getData(), (int) typeC.getSize()); }, "C" },
        { "preset",        [&] { processor->presetManager->loadPreset (presetFile); },                   "D" },
        { "slot B then A", [&] { click (editor->compareBButton); automate ("TypeB power", 1.0f);
                                 automate ("TypeA power", 0.0f); click (editor->compareAButton); },      "A" },
    };

    for (const auto& row : rows)
    {
        SCOPED_TRACE (row.load);
        close();
        processor = std::make_unique<QuorlinAudioProcessor>();
        open();
        EXPECT_TRUE (runPendingMessages());

        GestureCounter counter (*processor);
        row.perform();
        EXPECT_TRUE (runPendingMessages());

        EXPECT_TRUE (counter.gestures.empty()) << counter.gestures.begin()->first;
        EXPECT_EQ (typesOn(), row.typeAfter);
        EXPECT_EQ (shownTypes(), row.typeAfter);
    }

    // An undo of a type change is a load too.
    GestureCounter counter (*processor);
    click (editor->typeBButton);
    counter.gestures.clear();
    editor->undoButton.onClick();
    EXPECT_TRUE (runPendingMessages());
    EXPECT_TRUE (counter.gestures.empty());
    EXPECT_EQ (typesOn(), "A");
    EXPECT_EQ (shownTypes(), "A");
}

TEST_F (EditorStateLoad, AutomationOfOneTypeLeavesTheOthersAndTheSwitchesShowWhatPlays)
{
    GestureCounter counter (*processor);

    // The processor plays the last type that is on, in the order A to D.
    struct Step { const char* id; float plain; const char* on; const char* shown; };

    const Step steps[] = {
        { "TypeC power", 1.0f, "AC",  "C" },
        { "TypeB power", 1.0f, "ABC", "C" },
        { "TypeC power", 0.0f, "AB",  "B" },
        { "TypeB power", 0.0f, "A",   "A" },
        { "TypeA power", 0.0f, "",    ""  },
        { "TypeD power", 1.0f, "D",   "D" },
    };

    for (const auto& step : steps)
    {
        automate (step.id, step.plain);
        EXPECT_EQ (typesOn(), step.on) << step.id;
        EXPECT_EQ (shownTypes(), step.shown) << step.id;
    }

    EXPECT_TRUE (runPendingMessages());
    EXPECT_TRUE (counter.gestures.empty());
    EXPECT_TRUE (editor->undoStack.empty());
}

TEST_F (EditorStateLoad, AClickOnATypeSelectsItAloneWithGesturesForWhatItChanges)
{
    struct Row
    {
        const char* before;              // types on before the click
        int clicked;                     // 0 to 3 for A to D
        std::map<juce::String, std::pair<int, int>> gestures;
    };

    const Row rows[] = {
        { "A",  1, { { "TypeA power", { 1, 1 } }, { "TypeB power", { 1, 1 } } } },
        { "A",  0, {} },
        { "AC", 3, { { "TypeA power", { 1, 1 } }, { "TypeC power", { 1, 1 } }, { "TypeD power", { 1, 1 } } } },
        { "AC", 2, { { "TypeA power", { 1, 1 } } } },
        { "",   0, { { "TypeA power", { 1, 1 } } } },
    };

    for (const auto& row : rows)
    {
        const auto label = juce::String (row.before) + " then " + juce::String::charToString ((juce::juce_wchar) ('A' + row.clicked));
        SCOPED_TRACE (label);

        for (int i = 0; i < 4; ++i)
            automate (typeIds[i], juce::String (row.before).containsChar ((juce::juce_wchar) ('A' + i)) ? 1.0f : 0.0f);

        GestureCounter counter (*processor);
        click (*typeButtons()[(size_t) row.clicked]);

        const auto letter = juce::String::charToString ((juce::juce_wchar) ('A' + row.clicked));
        EXPECT_EQ (typesOn(), letter);
        EXPECT_EQ (shownTypes(), letter);
        EXPECT_EQ (counter.gestures, row.gestures);
    }
}
