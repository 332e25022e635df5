// Host state blocks and preset files as a damaged project or a careless hand edit leaves them.
// Whatever is refused changes nothing; whatever is taken is written back in a form that loads
// again to the same values.

#include "support/CorruptBlocks.h"
#include "support/StateInvariants.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace
{
    using TestSupport::blockOf;
    using TestSupport::parameterIds;
    using TestSupport::setParameter;
    using TestSupport::stateOf;
    using TestSupport::treeOf;

    float valueOf (QuorlinAudioProcessor& processor, const char* id)
    {
        return processor.apvts->getRawParameterValue (id)->load();
    }


    /** The block the processor writes now reads back to one "PARAM" child per parameter,
        holding exactly the value the parameter has.
    */
    void expectSavesWhatItHolds (QuorlinAudioProcessor& processor, const std::string& context)
    {
        const auto saved = treeOf (stateOf (processor));
        ASSERT_TRUE (saved.isValid()) << context;

        for (const auto& id : parameterIds (processor))
        {
            int children = 0;

            for (const auto& child : saved)
            {
                if (child["id"].toString() != id)
                    continue;

                ++children;
                EXPECT_EQ (child.getType().toString(), "PARAM") << context << ", " << id;
                EXPECT_EQ ((float) child["value"], valueOf (processor, id.toRawUTF8())) << context << ", " << id;
            }

            EXPECT_EQ (children, 1) << context << ", " << id;
        }
    }

    juce::ValueTree parameterChild (const char* id, const juce::var& value)
    {
        return juce::ValueTree ("PARAM", { { "id", id }, { "value", value } });
    }

    /** A preset file with the given PARAM elements inside a "VastrelV3" root. */
    std::string presetText (const std::string& children)
    {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n\r\n"
               "<VastrelV3 Current_Selected_Preset=\"Edited\" Preset_Has_Been_Modified=\"0\">\r\n"
               + children + "</VastrelV3>\r\n";
    }

    class StoredState : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            setParameter (processor, ParameterIds::drive, 6.0f);
            setParameter (processor, ParameterIds::output, -3.0f);
            before = stateOf (processor);
        }

        void load (const juce::MemoryBlock& block)
        {
            processor.setStateInformation (block.getData(), (int) block.getSize());
        }

        void loadPresetText (const std::string& text)
        {
            const auto file = juce::File::getSpecialLocation (juce::File::tempDirectory).getChildFile ("hand-edited.rcp");
            ASSERT_TRUE (file.replaceWithData (text.data(), text.size()));
            processor.presetManager->loadPreset (file);
            file.deleteFile();
        }

        void expectUnchanged (const std::string& context)
        {
            EXPECT_EQ (stateOf (processor), before) << context;
            EXPECT_EQ (valueOf (processor, "knob1"), 6.0f) << context;
        }

        QuorlinAudioProcessor processor;
        juce::MemoryBlock before;
    };
}

//==============================================================================
TEST_F (StoredState, ValuesThatAreNoFiniteNumberCountAsMissing)
{
    struct Case
    {
        const char* what;
        juce::var stored;
        const char* asText;   // null: no text form
    };

    const Case cases[] = {
        { "the text nan",        "nan",                                       "nan" },
        { "the text inf",        "inf",                                       "inf" },
        { "the text -inf",       "-inf",                                      "-inf" },
        { "the text 1e400",      "1e400",                                     "1e400" },
        { "a NaN double",        std::numeric_limits<double>::quiet_NaN(),    nullptr },
        { "an infinite double",  std::numeric_limits<double>::infinity(),     nullptr },
        { "an empty text",       "",                                          "" },
        { "a word",              "loud",                                      "loud" },
        { "a number and a unit", "12 dB",                                     "12 dB" },
        { "nothing at all",      juce::var(),                                 nullptr },
    };

    for (const auto& c : cases)
    {
        juce::ValueTree tree ("VastrelV3");
        tree.appendChild (parameterChild ("knob1", c.stored), nullptr);
        tree.appendChild (parameterChild ("knob8", 2.0), nullptr);

        setParameter (processor, ParameterIds::drive, 6.0f);
        setParameter (processor, ParameterIds::output, -3.0f);
        load (blockOf (tree));

        EXPECT_EQ (valueOf (processor, "knob1"), 6.0f) << "state block, " << c.what;
        EXPECT_EQ (valueOf (processor, "knob8"), 2.0f) << "state block, " << c.what;
        expectSavesWhatItHolds (processor, std::string ("state block, ") + c.what);

        if (c.asText == nullptr)
            continue;

        setParameter (processor, ParameterIds::drive, 6.0f);
        setParameter (processor, ParameterIds::output, -3.0f);
        loadPresetText (presetText (std::string ("  <PARAM id=\"knob1\" value=\"") + c.asText + "\"/>\r\n"
                                    "  <PARAM id=\"knob8\" value=\"2.0\"/>\r\n"));

        EXPECT_EQ (valueOf (processor, "knob1"), 6.0f) << "preset, " << c.what;
        EXPECT_EQ (valueOf (processor, "knob8"), 2.0f) << "preset, " << c.what;
        EXPECT_EQ (processor.apvts->state["Current_Selected_Preset"].toString(), "Edited") << c.what;
        expectSavesWhatItHolds (processor, std::string ("preset, ") + c.what);
    }
}

TEST_F (StoredState, FiniteValuesAreClampedAndRoundedToTheRange)
{
    struct Case
    {
        juce::var stored;
        float expected;
    };

    // knob1 runs from 0 to 24 in steps of 0.1.
    const Case cases[] = {
        { " 3.5 ", 3.5f }, { "+12.34", 12.3f }, { "1e300", 24.0f }, { 1.0e300, 24.0f }, { -1.0e300, 0.0f },
        { "-7", 0.0f }, { 17, 17.0f }, { true, 1.0f },
    };

    for (const auto& c : cases)
    {
        juce::ValueTree tree ("VastrelV3");
        tree.appendChild (parameterChild ("knob1", c.stored), nullptr);
        load (blockOf (tree));

        EXPECT_NEAR (valueOf (processor, "knob1"), c.expected, 1.0e-5f) << c.stored.toString();
        expectSavesWhatItHolds (processor, c.stored.toString().toStdString());
    }
}

TEST_F (StoredState, OnlyTheFirstParamChildOfAParameterCounts)
{
    juce::ValueTree tree ("VastrelV3");
    tree.appendChild (parameterChild ("knob1", 3.0), nullptr);
    tree.appendChild (parameterChild ("knob1", 9.0), nullptr);
    tree.appendChild (juce::ValueTree ("SETTING", { { "id", "knob8" }, { "value", 7.0 } }), nullptr);
    tree.appendChild (juce::ValueTree ("SETTING", { { "id", "someone else's" }, { "value", 7.0 } }), nullptr);
    tree.appendChild (parameterChild ("knob8", -20.0), nullptr);
    tree.appendChild (parameterChild ("knob8", 5.0), nullptr);

    for (const auto* path : { "state block", "preset" })
    {
        setParameter (processor, ParameterIds::drive, 6.0f);
        setParameter (processor, ParameterIds::output, -3.0f);

        if (std::string (path) == "state block")
            load (blockOf (tree));
        else
            loadPresetText (tree.toXmlString().toStdString());

        EXPECT_EQ (valueOf (processor, "knob1"), 3.0f) << path;
        EXPECT_EQ (valueOf (processor, "knob8"), -20.0f) << path;
        expectSavesWhatItHolds (processor, path);

        // A child that names no parameter stays, as ever.
        const auto saved = treeOf (stateOf (processor));
        EXPECT_TRUE (saved.getChildWithProperty ("id", "someone else's").isValid()) << path;
        EXPECT_EQ (saved.getNumChildren(), 20) << path;

        // The framework's later updates follow the one child that was kept.
        setParameter (processor, ParameterIds::drive, 12.0f);
        processor.apvts->state.getChildWithProperty ("id", "knob1").setProperty ("value", 15.0, nullptr);
        EXPECT_EQ (valueOf (processor, "knob1"), 15.0f) << path;
    }
}

TEST_F (StoredState, TextThatIsNotUtf8IsRefused)
{
    // 0xC3 0x28: a lead byte without its continuation; 0xED 0xA0 0x80: a surrogate; 0xC0 0x80: an
    // overlong NUL.
    const auto malformed = [] (std::initializer_list<int> bad)
    {
        CorruptBlocks::BlockWriter w;
        w.text ("VastrelV3").count (1);
        w.bytes ({ 'n', 'a', 'm', 'e' }).bytes (bad).bytes ({ 0 });
        w.count (3).bytes ({ 5 }).text ("x");
        w.count (1).text ("PARAM").count (2);
        w.text ("id").count (7).bytes ({ 5 }).text ("knob1");
        w.text ("value").count (9).bytes ({ 4, 0, 0, 0, 0, 0, 0, 0x28, 0x40 });   // 12.0
        w.count (0);
        return w.block();
    };

    for (const auto& block : { malformed ({ 0xc3, 0x28 }), malformed ({ 0xed, 0xa0, 0x80 }), malformed ({ 0xc0, 0x80 }),
                               malformed ({ 0xff }), malformed ({ 0xf4, 0x90, 0x80, 0x80 }) })
    {
        load (block);
        expectUnchanged ("state block");
    }

    // The same tree with a clean name loads, so only the bytes made the difference.
    load (malformed ({ '_' }));
    EXPECT_EQ (valueOf (processor, "knob1"), 12.0f);
    expectSavesWhatItHolds (processor, "clean name");

    setParameter (processor, ParameterIds::drive, 6.0f);
    before = stateOf (processor);

    const std::string badPresets[] = {
        presetText ("  <PARAM id=\"knob1\" value=\"12\" note=\"\xc3\x28\"/>\r\n"),
        presetText ("  <PARAM id=\"knob1\" value=\"12\" note=\"&#xD800;\"/>\r\n"),
        presetText ("  <PARAM id=\"knob1\" value=\"12\" note=\"&#x110000;\"/>\r\n"),
        presetText ("  <PARAM id=\"knob1\" value=\"12\"/>\r\n  <PARAM id=\"knob8\" value=\"1\xf0"),
    };

    for (const auto& text : badPresets)
    {
        loadPresetText (text);
        expectUnchanged ("preset");
    }
}

TEST_F (StoredState, BlocksDeclaringMoreThanTheyHoldAreRefused)
{
    for (const auto& c : CorruptBlocks::cases())
    {
        load (c.block);
        expectUnchanged (c.what);
    }

    // A short block that the framework reads as far as it makes sense is still taken.
    CorruptBlocks::BlockWriter truncated;
    truncated.text ("VastrelV3").count (1).text ("Current_Selected_Preset").count (6).bytes ({ 5 }).text ("Kept");
    truncated.count (2).text ("PARAM").count (2).text ("id").count (7).bytes ({ 5 }).text ("knob1");
    truncated.text ("value").count (9).bytes ({ 4, 0, 0, 0, 0, 0, 0, 0x28, 0x40 }).count (0);
    truncated.bytes ({ 0 });
    load (truncated.block());
    EXPECT_EQ (valueOf (processor, "knob1"), 12.0f);
    EXPECT_EQ (processor.apvts->state["Current_Selected_Preset"].toString(), "Kept");
    expectSavesWhatItHolds (processor, "truncated");
}

TEST_F (StoredState, PresetsThatTheParserCannotReadQuicklyAreRefused)
{
    const std::string param = "  <PARAM id=\"knob1\" value=\"12\"/>\r\n";

    std::string deep;
    for (int i = 0; i < 2000; ++i)
        deep += "<a>";

    std::string manyAttributes = "  <PARAM id=\"knob1\" value=\"12\"";
    for (int i = 0; i < 300; ++i)
        manyAttributes += " a" + std::to_string (i) + "=\"1\"";
    manyAttributes += "/>\r\n";

    struct Case
    {
        const char* what;
        std::string text;
    };

    const Case cases[] = {
        // Without the guard the framework's parser never returns from these.
        { "an instruction followed by text", presetText (param + "x<?pi?>y") },
        { "an instruction inside a child",   presetText ("  <PARAM id=\"knob1\" value=\"12\"><?pi?>text</PARAM>\r\n") },
        { "elements nested 2000 deep",       presetText (param + deep) },
        { "300 attributes on one element",   presetText (manyAttributes) },
        { "a document type with entities",   "<?xml version=\"1.0\"?>\n<!DOCTYPE v [<!ENTITY e \"12\">]>\n"
                                             "<VastrelV3><PARAM id=\"knob1\" value=\"&e;\"/></VastrelV3>\n" },
        { "more than a megabyte",            presetText (param + std::string (1100000, ' ')) },
        // An unknown entity makes the parser jump to the next ';', out of the quoted value.
        { "an entity that XML does not know", presetText ("  <PARAM id=\"knob1\" value=\"12\" note=\"a&b\"/>x;\"<?pi?>y\r\n") },
        { "an entity of unknown elements",   presetText (param + "&<a><a><a>;") },
        // The parser eats the '<' after a name without '=', so what follows is no section.
        { "a section that is none",          presetText ("  <PARAM id<![CDATA[ x<?pi?>y\r\n") },
        { "comments inside tags",            presetText (param + [] { std::string s; for (int i = 0; i < 40; ++i) s += "<a <!-- -->>"; return s; }()) },
    };

    for (const auto& c : cases)
    {
        loadPresetText (c.text);
        expectUnchanged (c.what);
    }

    // What presets legitimately hold still loads: comments, character data, quoted '>' and a
    // declaration before the root.
    loadPresetText ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<!-- saved by hand -->\r\n"
                    "<VastrelV3 Current_Selected_Preset=\"a &gt; b &amp; &#99;&#x64;\" Preset_Has_Been_Modified=\"0\">\r\n"
                    "  <!-- <PARAM id=\"knob8\" value=\"9\"/> -->\r\n"
                    "  <PARAM id=\"knob1\" value=\"12\" note=\"1 > 0 and 2/>1\"/>\r\n"
                    "  <![CDATA[ <<< ]]>\r\n"
                    "</VastrelV3>\r\n");
    EXPECT_EQ (valueOf (processor, "knob1"), 12.0f);
    EXPECT_EQ (valueOf (processor, "knob8"), -3.0f);
    EXPECT_EQ (processor.apvts->state["Current_Selected_Preset"].toString(), "a > b & cd");
}

TEST_F (StoredState, InputsTheFuzzerFoundStayHarmless)
{
    const juce::File folder (VASTREL_FIXTURES_DIR "/stored-state");
    const auto fixtures = folder.findChildFiles (juce::File::findFiles, false, "*.bin");
    ASSERT_FALSE (fixtures.isEmpty());

    const auto presetFile = juce::File::getSpecialLocation (juce::File::tempDirectory).getChildFile ("fuzzed.rcp");

    for (const auto& fixture : fixtures)
    {
        juce::MemoryBlock bytes;
        ASSERT_TRUE (fixture.loadFileAsData (bytes));
        StateInvariants::offer (processor, bytes.getData(), bytes.getSize(), presetFile);

        EXPECT_EQ (StateInvariants::firstViolation (processor), "") << fixture.getFileName();
    }

    presetFile.deleteFile();
}

namespace
{
    /** Every parameter's value, in the processor's order. */
    std::vector<float> allValues (QuorlinAudioProcessor& processor)
    {
        std::vector<float> values;

        for (const auto& id : parameterIds (processor))
            values.push_back (valueOf (processor, id.toRawUTF8()));

        return values;
    }

    /** The live tree holds, for every parameter, exactly the value the parameter takes. */
    void expectTreeHoldsWhatParametersTake (QuorlinAudioProcessor& processor, const std::string& context)
    {
        for (const auto& id : parameterIds (processor))
        {
            const auto child = processor.apvts->state.getChildWithProperty ("id", id);
            ASSERT_TRUE (child.hasProperty ("value")) << context << ", " << id;
            EXPECT_EQ ((double) child["value"], (double) valueOf (processor, id.toRawUTF8())) << context << ", " << id;
        }
    }
}

// Small stored inputs, through a host state block and through a preset file: after the load the
// tree holds what the parameters take, and what is written then reloads into a fresh instance
// with all 19 values.
TEST_F (StoredState, SmallInputsReloadIntoAFreshInstanceWithEveryValue)
{
    struct Case
    {
        const char* what;
        juce::MemoryBlock block;
        std::string preset;
        std::vector<std::pair<const char*, float>> expected;   // the rest as they were
    };

    const auto withChild = [] (juce::ValueTree child)
    {
        juce::ValueTree tree ("VastrelV3");
        tree.appendChild (child, nullptr);
        return blockOf (tree);
    };

    CorruptBlocks::BlockWriter namelessProperty;
    namelessProperty.text ("VastrelV3").count (1).text ("").count (3).bytes ({ 5 }).text ("x");
    namelessProperty.count (1).text ("PARAM").count (2);
    namelessProperty.text ("id").count (7).bytes ({ 5 }).text ("knob6");
    namelessProperty.text ("value").count (9).bytes ({ 4, 0, 0, 0, 0, 0, 0, 0x08, 0x40 });   // 3.0
    namelessProperty.count (0);

    const Case cases[] = {
        { "a PARAM without a value",
          withChild (juce::ValueTree ("PARAM", { { "id", "knob6" } })),
          "<VastrelV3><PARAM id=\"knob6\"/></VastrelV3>",
          {} },
        { "a property without a name",
          namelessProperty.block(),
          "<VastrelV3 base64:=\"0.\"><PARAM id=\"knob6\" value=\"3\"/></VastrelV3>",
          {} },
        { "a child property without a name",
          {},
          "<VastrelV3><PARAM id=\"knob6\" value=\"3\" base64:=\"0.\"/></VastrelV3>",
          {} },
        { "a tiny negative drive",
          withChild (parameterChild ("knob1", -1.0e-300)),
          "<VastrelV3><PARAM id=\"knob1\" value=\"-1e-300\"/></VastrelV3>",
          { { "knob1", 0.0f } } },
        { "a tiny positive output",
          withChild (parameterChild ("knob8", 1.0e-17)),
          "<VastrelV3><PARAM id=\"knob8\" value=\"1e-17\"/></VastrelV3>",
          { { "knob8", 0.0f } } },
    };

    for (const auto& c : cases)
    {
        for (const auto* path : { "state block", "preset" })
        {
            const auto context = std::string (path) + ", " + c.what;
            const auto viaBlock = std::string (path) == "state block";

            if (viaBlock && c.block.isEmpty())
                continue;

            setParameter (processor, ParameterIds::drive, 6.0f);
            setParameter (processor, ParameterIds::highGain, 5.0f);
            setParameter (processor, ParameterIds::output, -3.0f);
            stateOf (processor);   // the framework's timer would copy the values into the tree
            auto expected = allValues (processor);

            for (const auto& [id, value] : c.expected)
                expected[(size_t) parameterIds (processor).indexOf (id)] = value;

            if (viaBlock)
                load (c.block);
            else
                loadPresetText (c.preset);

            EXPECT_EQ (allValues (processor), expected) << context;
            expectTreeHoldsWhatParametersTake (processor, context);

            const auto written = stateOf (processor);
            QuorlinAudioProcessor fresh;
            fresh.setStateInformation (written.getData(), (int) written.getSize());
            EXPECT_EQ (allValues (fresh), expected) << context << ", reloaded";
            EXPECT_EQ (StateInvariants::firstViolation (processor), "") << context;
        }
    }
}
