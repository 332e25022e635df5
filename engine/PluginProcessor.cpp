#include "PluginProcessor.h"

#include "ParameterIds.h"
#include "StateValidation.h"
#include "editor/PluginEditor.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace
{
    using Category = juce::AudioProcessorParameter::Category;

    std::unique_ptr<juce::AudioParameterFloat> makeFloat (const char* id, const char* name, const char* label,
                                                          float start, float end, float interval, float defaultValue)
    {
        return std::make_unique<juce::AudioParameterFloat> (juce::ParameterID { id, 0 }, name,
                                                            juce::NormalisableRange<float> (start, end, interval, 1.0f),
                                                            defaultValue,
                                                            juce::AudioParameterFloatAttributes()
                                                                .withLabel (label)
                                                                .withCategory (Category::genericParameter));
    }

    std::unique_ptr<juce::AudioParameterBool> makeSwitch (const char* id, const char* name, const char* label, bool defaultValue)
    {
        return std::make_unique<juce::AudioParameterBool> (juce::ParameterID { id, 0 }, name, defaultValue,
                                                           juce::AudioParameterBoolAttributes()
                                                               .withLabel (label)
                                                               .withCategory (Category::genericParameter));
    }
}

QuorlinAudioProcessor::QuorlinAudioProcessor()
    : juce::AudioProcessor (BusesProperties()
                                .withInput ("Input", juce::AudioChannelSet::stereo(), true)
                                .withOutput ("Output", juce::AudioChannelSet::stereo(), true))
{
    // These coefficients only fix each filter's order (and so its state size); every block
    // replaces them before a filter runs.
    lowCutLeft.coefficients  = juce::dsp::IIR::Coefficients<float>::makeFirstOrderHighPass (44100.0, 20.0f);
    lowCutRight.coefficients = juce::dsp::IIR::Coefficients<float>::makeFirstOrderHighPass (44100.0, 20.0f);

    for (auto* band : { &lowBandLeft, &lowBandRight, &midBandLeft, &midBandRight, &highBandLeft, &highBandRight })
        band->coefficients = juce::dsp::IIR::Coefficients<float>::makePeakFilter (44100.0, 20.0f, 1.0f, 1.0f);

    apvts = std::make_unique<juce::AudioProcessorValueTreeState> (*this, nullptr, juce::Identifier (stateType), generateLayout());

    presetManager = std::make_unique<ProcessorPresetManager> (*this, *apvts,
                                                              juce::Identifier ("Preset_Has_Been_Modified"),
                                                              juce::Identifier ("Current_Selected_Preset"),
                                                              ProcessorPresetManager::defaultPresetFolder(),
                                                              ".rcp");

    knob1           = apvts->getRawParameterValue (ParameterIds::drive);
    knob8           = apvts->getRawParameterValue (ParameterIds::output);
    knob7           = apvts->getRawParameterValue (ParameterIds::mix);
    knob4           = apvts->getRawParameterValue (ParameterIds::lowCut);
    knob3           = apvts->getRawParameterValue (ParameterIds::lowGain);
    knob5           = apvts->getRawParameterValue (ParameterIds::midGain);
    knob6           = apvts->getRawParameterValue (ParameterIds::highGain);
    knob2           = apvts->getRawParameterValue (ParameterIds::threshold);
    knob10          = apvts->getRawParameterValue (ParameterIds::attack);
    knob9           = apvts->getRawParameterValue (ParameterIds::ratio);
    knob11          = apvts->getRawParameterValue (ParameterIds::release);
    oversampling    = apvts->getRawParameterValue (ParameterIds::oversampling);
    mainPower       = apvts->getRawParameterValue (ParameterIds::power);
    compressorPower = apvts->getRawParameterValue (ParameterIds::compressor);
    eqPower         = apvts->getRawParameterValue (ParameterIds::eq);
    typeAPower      = apvts->getRawParameterValue (ParameterIds::typeA);
    typeBPower      = apvts->getRawParameterValue (ParameterIds::typeB);
    typeCPower      = apvts->getRawParameterValue (ParameterIds::typeC);
    typeDPower      = apvts->getRawParameterValue (ParameterIds::typeD);
}

QuorlinAudioProcessor::~QuorlinAudioProcessor() = default;

juce::AudioProcessorValueTreeState::ParameterLayout QuorlinAudioProcessor::generateLayout()
{
    juce::AudioProcessorValueTreeState::ParameterLayout layout;

    layout.add (makeFloat (ParameterIds::threshold, "Threshold",        "Knob2",            0.0f,   25.0f, 0.0001f, 0.0f));
    layout.add (makeFloat (ParameterIds::lowCut, "Low Cut (Hz)",     "Low Cut (Hz)",     20.0f,  60.0f, 0.001f,  20.0f));
    layout.add (makeFloat (ParameterIds::lowGain, "Low Gain (dB)",    "Low Gain (dB)",    -10.0f, 10.0f, 0.001f,  0.0f));
    layout.add (makeFloat (ParameterIds::midGain, "Mid Gain (dB)",    "Mid Gain (dB)",    -10.0f, 10.0f, 0.001f,  0.0f));
    layout.add (makeFloat (ParameterIds::highGain, "High Gain (dB)",   "High Gain (dB)",   -10.0f, 10.0f, 0.001f,  0.0f));
    layout.add (makeFloat (ParameterIds::drive, "Drive (dB)",       "Drive (dB)",       0.0f,   24.0f, 0.1f,    0.0f));
    layout.add (makeFloat (ParameterIds::mix, "Dry/Wet (%)",      "Dry/Wet (%)",      0.0f,   100.0f, 0.0001f, 100.0f));
    layout.add (makeFloat (ParameterIds::output, "Output Gain (dB)", "Output Gain (dB)", -81.0f, 10.0f, 0.1f,    -10.0f));
    layout.add (makeFloat (ParameterIds::ratio, "Ratio",            "Knob9",            1.0f,   5.0f,  1.0f,    1.0f));
    layout.add (makeFloat (ParameterIds::attack, "Attack",          "Knob10",           1.0f,   6.0f,  1.0f,    1.0f));
    layout.add (makeFloat (ParameterIds::release, "Release",         "Knob11",           1.0f,   6.0f,  1.0f,    1.0f));

    layout.add (makeSwitch (ParameterIds::power, "Main Power", "Main Power",  true));
    layout.add (makeSwitch (ParameterIds::compressor,  "Compressor", "Compressor",  true));
    layout.add (makeSwitch (ParameterIds::eq,   "EQ",         "EQ",          true));
    layout.add (makeSwitch (ParameterIds::typeA, "Type A ",    "TypeA Power", true));
    layout.add (makeSwitch (ParameterIds::typeB, "Type B ",    "TypeB Power", false));
    layout.add (makeSwitch (ParameterIds::typeC, "Type C ",    "TypeC Power", false));
    layout.add (makeSwitch (ParameterIds::typeD, "Type D ",    "TypeD Power", false));

    layout.add (std::make_unique<juce::AudioParameterChoice> (juce::ParameterID { ParameterIds::oversampling, 0 }, "OverSampling",
                                                              oversamplingChoices, 0,
                                                              juce::AudioParameterChoiceAttributes()
                                                                  .withLabel ("Oversampling Factor")
                                                                  .withCategory (Category::genericParameter)));
    return layout;
}

const juce::String QuorlinAudioProcessor::getName() const   { return "VastrelV3"; }

namespace
{
    /** Copies each property name once, the first occurrence being the one a lookup finds. A tree
        made from XML keeps an attribute that an element repeats twice, and its binary form would
        read back with the last one instead.
    */
    void copyPropertiesOnce (const juce::ValueTree& from, juce::ValueTree& to)
    {
        for (int i = 0; i < from.getNumProperties(); ++i)
            if (const auto name = from.getPropertyName (i); ! to.hasProperty (name))
                to.setProperty (name, from.getProperty (name), nullptr);
    }

    juce::ValueTree copyWithPropertiesOnce (const juce::ValueTree& tree)
    {
        juce::ValueTree copy (tree.getType());
        copyPropertiesOnce (tree, copy);

        for (const auto& child : tree)
            copy.appendChild (copyWithPropertiesOnce (child), nullptr);

        return copy;
    }
}

double QuorlinAudioProcessor::getTailLengthSeconds() const  { return 0.0; }
bool QuorlinAudioProcessor::acceptsMidi() const             { return false; }
bool QuorlinAudioProcessor::producesMidi() const            { return false; }
bool QuorlinAudioProcessor::isMidiEffect() const            { return false; }

juce::AudioProcessorEditor* QuorlinAudioProcessor::createEditor()   { return new QuorlinAudioProcessorEditor (*this); }
bool QuorlinAudioProcessor::hasEditor() const                       { return true; }

int QuorlinAudioProcessor::getNumPrograms()                                 { return 1; }
int QuorlinAudioProcessor::getCurrentProgram()                              { return 0; }
void QuorlinAudioProcessor::setCurrentProgram (int)                         {}
void QuorlinAudioProcessor::changeProgramName (int, const juce::String&)    {}

// Hosts list the single program; a nameless entry shows up blank and fails VST3 validation.
const juce::String QuorlinAudioProcessor::getProgramName (int index)
{
    return index == 0 ? juce::String ("Default") : juce::String();
}

void QuorlinAudioProcessor::getStateInformation (juce::MemoryBlock& destData)
{
    // copyState() first flushes the parameters' current values into the tree, so a project saved
    // right after a knob move keeps that move.
    const auto state = apvts->copyState();

    destData.reset();
    juce::MemoryOutputStream stream (destData, false);
    state.writeToStream (stream);
}

void QuorlinAudioProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    const auto numBytes = (size_t) juce::jmax (0, sizeInBytes);

    // The framework's reader trusts the counts that a block declares, so a damaged block could
    // make it reserve gigabytes or loop for seconds; such a block is refused before it is read.
    if (! StateValidation::isReadableStateBlock (data, numBytes))
        return;

    const auto tree = juce::ValueTree::readFromData (data, numBytes);

    // Foreign bytes can read as a tree of some other type; taking it would spread a garbage root
    // into every later save.
    if (tree.isValid() && tree.hasType (stateType))
        loadTree (tree);
}

namespace
{
    const juce::Identifier parameterType ("PARAM"), idProperty ("id"), valueProperty ("value");

    /** What the parameter holds once it is given the number: the value it holds already when the
        number is that, else the number limited to the range and rounded to the steps, taken on to
        where converting it once more changes nothing, so that the tree can hold exactly what the
        parameter ends up with.
    */
    float valueTakenBy (const juce::RangedAudioParameter& parameter, double number, float held)
    {
        auto value = (float) juce::jlimit ((double) std::numeric_limits<float>::lowest(),
                                           (double) std::numeric_limits<float>::max(), number);

        if (value == held)
            return held;

        for (int i = 0; i < 8; ++i)
        {
            const auto converted = parameter.convertFrom0to1 (parameter.convertTo0to1 (value));

            if (converted == value)
                break;

            value = converted;
        }

        return value;
    }
}

void QuorlinAudioProcessor::loadTree (const juce::ValueTree& tree)
{
    const auto state = stateToLoad (tree);

    if (! state.isValid())
        return;

    // The parameters take their new values before the tree goes in, so that the host and the
    // controls hear of them without the parameter state's lock held; a listener that takes that
    // lock (an undo snapshot, a host saving its project on another thread) then never waits on a
    // load that waits on it. The tree then finds every parameter at its value already.
    for (const auto& child : state)
    {
        if (auto* parameter = apvts->getParameter (child[idProperty].toString()); parameter != nullptr && child.hasType (parameterType))
        {
            const auto value = (float) child[valueProperty];

            if (value != apvts->getRawParameterValue (parameter->paramID)->load())
                parameter->setValueNotifyingHost (parameter->convertTo0to1 (value));
        }
    }

    apvts->replaceState (state);
}

juce::ValueTree QuorlinAudioProcessor::stateToLoad (const juce::ValueTree& tree) const
{
    // Names or texts that are not UTF-8, and names that are empty or no XML name, would be
    // written back in a form that no longer reads.
    if (! StateValidation::hasValidText (tree) || ! StateValidation::hasPlainNames (tree))
        return {};

    juce::ValueTree state (tree.getType());
    copyPropertiesOnce (tree, state);
    std::vector<const juce::RangedAudioParameter*> connected;

    for (const auto& child : tree)
    {
        const auto* parameter = apvts->getParameter (child[idProperty].toString());

        if (parameter == nullptr)
        {
            state.appendChild (copyWithPropertiesOnce (child), nullptr);
            continue;
        }

        // Exactly one "PARAM" child per parameter drives it and is written back: the first one.
        if (! child.hasType (parameterType) || std::find (connected.begin(), connected.end(), parameter) != connected.end())
            continue;

        connected.push_back (parameter);

        // A value that is missing or no finite number leaves the parameter as it is; any other is
        // the one the parameter takes. Set afresh, since the tree would keep a stored double that
        // the framework counts as equal.
        const auto held = apvts->getRawParameterValue (parameter->paramID)->load();
        const auto number = child.hasProperty (valueProperty) ? StateValidation::finiteNumberIn (child[valueProperty])
                                                              : std::nullopt;
        auto copy = copyWithPropertiesOnce (child);
        copy.removeProperty (valueProperty, nullptr);
        copy.setProperty (valueProperty, number.has_value() ? valueTakenBy (*parameter, *number, held) : held, nullptr);
        state.appendChild (copy, nullptr);
    }

    // A parameter the tree lacks keeps its value and stays attached to the live tree.
    for (const auto* p : getParameters())
        if (const auto* parameter = dynamic_cast<const juce::RangedAudioParameter*> (p))
            if (std::find (connected.begin(), connected.end(), parameter) == connected.end())
                state.appendChild (juce::ValueTree (parameterType, { { idProperty, parameter->paramID },
                                                                     { valueProperty, apvts->getRawParameterValue (parameter->paramID)->load() } }),
                                   nullptr);

    return state;
}

bool QuorlinAudioProcessor::isBusesLayoutSupported (const BusesLayout& layouts) const
{
    const auto mainOutput = layouts.getMainOutputChannelSet();

    if (mainOutput != juce::AudioChannelSet::mono() && mainOutput != juce::AudioChannelSet::stereo())
        return false;

    return layouts.getMainInputChannelSet() == mainOutput;
}

juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new QuorlinAudioProcessor();
}
