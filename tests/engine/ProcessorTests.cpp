#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace
{
    using ChannelSet = juce::AudioChannelSet;
    using BusesLayout = juce::AudioProcessor::BusesLayout;

    struct ParameterRow
    {
        const char* id;
        const char* name;
        const char* label;
        float start, end, interval, defaultValue;
    };

    // The parameter table, in the order the host lists the parameters.
    const ParameterRow parameterTable[] = {
        { "knob2",       "Threshold",        "Knob2",               0.0f,   25.0f,  0.0001f, 0.0f },
        { "knob4",       "Low Cut (Hz)",     "Low Cut (Hz)",        20.0f,  60.0f,  0.001f,  20.0f },
        { "knob3",       "Low Gain (dB)",    "Low Gain (dB)",       -10.0f, 10.0f,  0.001f,  0.0f },
        { "knob5",       "Mid Gain (dB)",    "Mid Gain (dB)",       -10.0f, 10.0f,  0.001f,  0.0f },
        { "knob6",       "High Gain (dB)",   "High Gain (dB)",      -10.0f, 10.0f,  0.001f,  0.0f },
        { "knob1",       "Drive (dB)",       "Drive (dB)",          0.0f,   24.0f,  0.1f,    0.0f },
        { "knob7",       "Dry/Wet (%)",      "Dry/Wet (%)",         0.0f,   100.0f, 0.0001f, 100.0f },
        { "knob8",       "Output Gain (dB)", "Output Gain (dB)",    -81.0f, 10.0f,  0.1f,    -10.0f },
        { "knob9",       "Ratio",            "Knob9",               1.0f,   5.0f,   1.0f,    1.0f },
        { "knob10",      "Attack",           "Knob10",              1.0f,   6.0f,   1.0f,    1.0f },
        { "knob11",      "Release",          "Knob11",              1.0f,   6.0f,   1.0f,    1.0f },
        { "poweR power", "Main Power",       "Main Power",          0.0f,   1.0f,   1.0f,    1.0f },
        { "ComP power",  "Compressor",       "Compressor",          0.0f,   1.0f,   1.0f,    1.0f },
        { "EqP power",   "EQ",               "EQ",                  0.0f,   1.0f,   1.0f,    1.0f },
        { "TypeA power", "Type A ",          "TypeA Power",         0.0f,   1.0f,   1.0f,    1.0f },
        { "TypeB power", "Type B ",          "TypeB Power",         0.0f,   1.0f,   1.0f,    0.0f },
        { "TypeC power", "Type C ",          "TypeC Power",         0.0f,   1.0f,   1.0f,    0.0f },
        { "TypeD power", "Type D ",          "TypeD Power",         0.0f,   1.0f,   1.0f,    0.0f },
        { "os",          "OverSampling",     "Oversampling Factor", 0.0f,   3.0f,   1.0f,    0.0f },
    };

    juce::RangedAudioParameter& parameter (QuorlinAudioProcessor& processor, const char* id)
    {
        auto* p = processor.apvts->getParameter (id);
        EXPECT_NE (p, nullptr) << id;
        return *p;
    }

    float valueOf (QuorlinAudioProcessor& processor, const char* id)
    {
        return processor.apvts->getRawParameterValue (id)->load();
    }

    /** Sets a value the way a host does: as a normalised value, computed here from the range. */
    void setFromHost (QuorlinAudioProcessor& processor, const char* id, float start, float end, float value)
    {
        parameter (processor, id).setValueNotifyingHost ((value - start) / (end - start));
    }

    using TestSupport::stateOf;
    using TestSupport::treeOf;
    using TestSupport::blockOf;

    BusesLayout layoutOf (std::initializer_list<ChannelSet> inputs, std::initializer_list<ChannelSet> outputs)
    {
        BusesLayout layout;
        layout.inputBuses.addArray (inputs);
        layout.outputBuses.addArray (outputs);
        return layout;
    }
}

TEST (ProcessorBasics, HostFacingAnswers)
{
    QuorlinAudioProcessor processor;

    EXPECT_EQ (processor.getName(), "VastrelV3");
    EXPECT_EQ (processor.getTailLengthSeconds(), 0.0);
    EXPECT_FALSE (processor.acceptsMidi());
    EXPECT_FALSE (processor.producesMidi());
    EXPECT_FALSE (processor.isMidiEffect());
    EXPECT_TRUE (processor.hasEditor());
    EXPECT_EQ (processor.getNumPrograms(), 1);
    EXPECT_EQ (processor.getCurrentProgram(), 0);
    EXPECT_EQ (processor.getProgramName (0), "Default");
    EXPECT_EQ (processor.getProgramName (5), "");

    processor.setCurrentProgram (3);
    processor.changeProgramName (0, "Renamed");
    EXPECT_EQ (processor.getCurrentProgram(), 0);
    EXPECT_EQ (processor.getProgramName (0), "Default");
}

TEST (ProcessorBasics, DefaultBusesAreStereoInputAndOutput)
{
    QuorlinAudioProcessor processor;

    ASSERT_EQ (processor.getBusCount (true), 1);
    ASSERT_EQ (processor.getBusCount (false), 1);
    EXPECT_EQ (processor.getBus (true, 0)->getName(), "Input");
    EXPECT_EQ (processor.getBus (false, 0)->getName(), "Output");
    EXPECT_EQ (processor.getBus (true, 0)->getCurrentLayout(), ChannelSet::stereo());
    EXPECT_EQ (processor.getBus (false, 0)->getCurrentLayout(), ChannelSet::stereo());
    EXPECT_TRUE (processor.getBus (true, 0)->isEnabled());
}

TEST (BusRule, AcceptsOnlyMatchingMonoOrStereo)
{
    struct Case { const char* what; BusesLayout layout; bool accepted; };

    const Case cases[] = {
        { "mono in, mono out",          layoutOf ({ ChannelSet::mono() },   { ChannelSet::mono() }),   true },
        { "stereo in, stereo out",      layoutOf ({ ChannelSet::stereo() }, { ChannelSet::stereo() }), true },
        { "mono in, stereo out",        layoutOf ({ ChannelSet::mono() },   { ChannelSet::stereo() }), false },
        { "stereo in, mono out",        layoutOf ({ ChannelSet::stereo() }, { ChannelSet::mono() }),   false },
        { "LCR in and out",             layoutOf ({ ChannelSet::createLCR() }, { ChannelSet::createLCR() }), false },
        { "quad in and out",            layoutOf ({ ChannelSet::quadraphonic() }, { ChannelSet::quadraphonic() }), false },
        { "disabled in, stereo out",    layoutOf ({ ChannelSet::disabled() }, { ChannelSet::stereo() }), false },
        { "no input bus, stereo out",   layoutOf ({}, { ChannelSet::stereo() }), false },
        { "stereo in, no output bus",   layoutOf ({ ChannelSet::stereo() }, {}), false },
        { "disabled in and out",        layoutOf ({ ChannelSet::disabled() }, { ChannelSet::disabled() }), false },
    };

    QuorlinAudioProcessor processor;

    for (const auto& c : cases)
        EXPECT_EQ (processor.checkBusesLayoutSupported (c.layout), c.accepted) << c.what;
}

TEST (ParameterLayout, MatchesTheTableInOrder)
{
    QuorlinAudioProcessor processor;
    const auto& parameters = processor.getParameters();

    ASSERT_EQ (parameters.size(), (int) std::size (parameterTable));

    for (int i = 0; i < parameters.size(); ++i)
    {
        const auto& row = parameterTable[i];
        auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (parameters[i]);
        ASSERT_NE (ranged, nullptr);

        SCOPED_TRACE (row.id);
        EXPECT_EQ (ranged->getParameterID(), row.id);
        EXPECT_EQ (ranged->getName (100), row.name);
        EXPECT_EQ (ranged->getLabel(), row.label);
        EXPECT_EQ (ranged->getNormalisableRange().start, row.start);
        EXPECT_EQ (ranged->getNormalisableRange().end, row.end);
        EXPECT_EQ (ranged->getNormalisableRange().interval, row.interval);
        EXPECT_EQ (ranged->getNormalisableRange().skew, 1.0f);
        EXPECT_FALSE (ranged->getNormalisableRange().symmetricSkew);
        EXPECT_EQ (ranged->getCategory(), juce::AudioProcessorParameter::genericParameter);
        EXPECT_TRUE (ranged->isAutomatable());
        EXPECT_FALSE (ranged->isMetaParameter());
        EXPECT_FALSE (ranged->isOrientationInverted());
        EXPECT_EQ (ranged->getVersionHint(), 0);
        EXPECT_EQ (valueOf (processor, row.id), row.defaultValue);
        EXPECT_FLOAT_EQ (ranged->getDefaultValue(), (row.defaultValue - row.start) / (row.end - row.start));
    }

    auto* os = dynamic_cast<juce::AudioParameterChoice*> (processor.apvts->getParameter (ParameterIds::oversampling));
    ASSERT_NE (os, nullptr);
    EXPECT_EQ (os->choices, juce::StringArray ({ "off", "2x", "4x", "8x" }));
    EXPECT_EQ (processor.oversamplingChoices, os->choices);

    for (const char* id : { "poweR power", "ComP power", "EqP power", "TypeA power", "TypeB power", "TypeC power", "TypeD power" })
        EXPECT_NE (dynamic_cast<juce::AudioParameterBool*> (processor.apvts->getParameter (id)), nullptr) << id;
}

TEST (ParameterValues, HostValuesSnapToTheInterval)
{
    struct Case { const char* id; float start, end, sent, expected; };

    const Case cases[] = {
        { "knob9",  1.0f,   5.0f,  2.4f,  2.0f },
        { "knob9",  1.0f,   5.0f,  2.6f,  3.0f },
        { "knob10", 1.0f,   6.0f,  5.51f, 6.0f },
        { "knob8",  -81.0f, 10.0f, 5.04f, 5.0f },
        { "knob1",  0.0f,   24.0f, 23.96f, 24.0f },
    };

    QuorlinAudioProcessor processor;

    for (const auto& c : cases)
    {
        setFromHost (processor, c.id, c.start, c.end, c.sent);
        EXPECT_NEAR (valueOf (processor, c.id), c.expected, 1.0e-4f) << c.id << " sent " << c.sent;
    }
}

TEST (ParameterValues, OversamplingChoiceFromNormalisedValues)
{
    QuorlinAudioProcessor processor;
    auto& os = parameter (processor, "os");

    const float normalised[] = { 0.0f, 1.0f / 3.0f, 2.0f / 3.0f, 1.0f };

    for (int index = 0; index < 4; ++index)
    {
        os.setValueNotifyingHost (normalised[index]);
        EXPECT_EQ (valueOf (processor, "os"), (float) index);
        EXPECT_FLOAT_EQ (os.getValue(), normalised[index]);
    }
}

TEST (HostState, FreshInstanceWritesTheDefaultTree)
{
    QuorlinAudioProcessor processor;
    const auto tree = treeOf (stateOf (processor));

    ASSERT_TRUE (tree.isValid());
    EXPECT_EQ (tree.getType().toString(), "VastrelV3");
    EXPECT_EQ (tree.getNumProperties(), 2);
    EXPECT_EQ (tree["Current_Selected_Preset"].toString(), "Default");
    EXPECT_TRUE (tree.hasProperty ("Preset_Has_Been_Modified"));
    EXPECT_FALSE ((bool) tree["Preset_Has_Been_Modified"]);
    ASSERT_EQ (tree.getNumChildren(), 19);

    for (const auto& row : parameterTable)
    {
        const auto child = tree.getChildWithProperty ("id", row.id);
        ASSERT_TRUE (child.isValid()) << row.id;
        EXPECT_EQ (child.getType().toString(), "PARAM");
        EXPECT_EQ ((float) child["value"], row.defaultValue) << row.id;
    }
}

TEST (HostState, BlockIsReplacedNotAppended)
{
    QuorlinAudioProcessor processor;
    const auto expected = stateOf (processor);

    juce::MemoryBlock block (100000);
    block.fillWith (0x5a);
    processor.getStateInformation (block);

    EXPECT_EQ (block, expected);
}

TEST (HostState, RoundTripRestoresEveryParameter)
{
    QuorlinAudioProcessor source;
    setFromHost (source, "knob1", 0.0f, 24.0f, 12.3f);
    setFromHost (source, "knob8", -81.0f, 10.0f, -3.5f);
    setFromHost (source, "knob9", 1.0f, 5.0f, 4.0f);
    setFromHost (source, "os", 0.0f, 3.0f, 2.0f);
    parameter (source, "TypeA power").setValueNotifyingHost (0.0f);
    parameter (source, "TypeD power").setValueNotifyingHost (1.0f);
    const auto block = stateOf (source);

    QuorlinAudioProcessor restored;
    restored.setStateInformation (block.getData(), (int) block.getSize());

    for (const auto& row : parameterTable)
        EXPECT_EQ (valueOf (restored, row.id), valueOf (source, row.id)) << row.id;

    EXPECT_EQ (stateOf (restored), block);
}

TEST (HostState, BlockTakenRightAfterAChangeCarriesIt)
{
    QuorlinAudioProcessor processor;
    setFromHost (processor, "knob8", -81.0f, 10.0f, 4.0f);
    parameter (processor, "EqP power").setValueNotifyingHost (0.0f);

    // No message-loop turn in between: the framework's own flush timer cannot have run.
    const auto tree = treeOf (stateOf (processor));

    EXPECT_NEAR ((float) tree.getChildWithProperty ("id", "knob8")["value"], 4.0f, 1.0e-4f);
    EXPECT_EQ ((float) tree.getChildWithProperty ("id", "EqP power")["value"], 0.0f);
}

TEST (HostState, UnreadableOrForeignBlocksChangeNothing)
{
    QuorlinAudioProcessor processor;
    setFromHost (processor, "knob1", 0.0f, 24.0f, 6.0f);
    const auto before = stateOf (processor);

    juce::ValueTree otherType ("SomethingElse");
    otherType.appendChild (juce::ValueTree ("PARAM", { { "id", "knob1" }, { "value", 18.0 } }), nullptr);
    const auto otherTypeBlock = blockOf (otherType);

    const juce::String text = "<?xml version=\"1.0\"?>\n<VastrelV3><PARAM id=\"knob1\" value=\"3\"/></VastrelV3>\n";
    const char zeroFirst[] = { 0, 'a', 'b', 'c' };
    const char foreign[] = "RIFF....WAVEfmt this is not a state block at all";

    struct Case { const char* what; const void* data; int size; };

    const Case cases[] = {
        { "no bytes",              nullptr,                   0 },
        { "empty type name",       zeroFirst,                 (int) sizeof (zeroFirst) },
        { "foreign bytes",         foreign,                   (int) sizeof (foreign) },
        { "a text file as binary", text.toRawUTF8(),          (int) text.getNumBytesAsUTF8() },
        { "a tree of another type", otherTypeBlock.getData(), (int) otherTypeBlock.getSize() },
    };

    for (const auto& c : cases)
    {
        processor.setStateInformation (c.data, c.size);
        EXPECT_EQ (stateOf (processor), before) << c.what;
        EXPECT_EQ (valueOf (processor, "knob1"), 6.0f) << c.what;
    }
}

TEST (HostState, PartialTreeKeepsMissingParametersAndClampsValues)
{
    QuorlinAudioProcessor processor;
    setFromHost (processor, "knob1", 0.0f, 24.0f, 6.0f);

    juce::ValueTree partial ("VastrelV3");
    partial.setProperty ("Some_Root_Property", "kept", nullptr);
    partial.appendChild (juce::ValueTree ("PARAM", { { "id", "knob8" }, { "value", -100.0 } }), nullptr);
    partial.appendChild (juce::ValueTree ("PARAM", { { "id", "knob9" }, { "value", 2.6 } }), nullptr);
    const auto block = blockOf (partial);

    processor.setStateInformation (block.getData(), (int) block.getSize());

    EXPECT_EQ (valueOf (processor, "knob8"), -81.0f);
    EXPECT_EQ (valueOf (processor, "knob9"), 3.0f);
    EXPECT_EQ (valueOf (processor, "knob1"), 6.0f);

    // Every parameter still writes into the live tree, so the next save holds all nineteen.
    const auto saved = treeOf (stateOf (processor));
    EXPECT_EQ (saved.getNumChildren(), 19);
    EXPECT_EQ (saved["Some_Root_Property"].toString(), "kept");
    EXPECT_EQ ((float) saved.getChildWithProperty ("id", "knob1")["value"], 6.0f);
}
