#include "PluginProcessor.h"

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

    knob1           = apvts->getRawParameterValue ("knob1");
    knob8           = apvts->getRawParameterValue ("knob8");
    knob7           = apvts->getRawParameterValue ("knob7");
    knob4           = apvts->getRawParameterValue ("knob4");
    knob3           = apvts->getRawParameterValue ("knob3");
    knob5           = apvts->getRawParameterValue ("knob5");
    knob6           = apvts->getRawParameterValue ("knob6");
    knob2           = apvts->getRawParameterValue ("knob2");
    knob10          = apvts->getRawParameterValue ("knob10");
    knob9           = apvts->getRawParameterValue ("knob9");
    knob11          = apvts->getRawParameterValue ("knob11");
    oversampling    = apvts->getRawParameterValue ("os");
    mainPower       = apvts->getRawParameterValue ("poweR power");
    compressorPower = apvts->getRawParameterValue ("ComP power");
    eqPower         = apvts->getRawParameterValue ("EqP power");
    typeAPower      = apvts->getRawParameterValue ("TypeA power");
    typeBPower      = apvts->getRawParameterValue ("TypeB power");
    typeCPower      = apvts->getRawParameterValue ("TypeC power");
    typeDPower      = apvts->getRawParameterValue ("TypeD power");
}

QuorlinAudioProcessor::~QuorlinAudioProcessor() = default;

juce::AudioProcessorValueTreeState::ParameterLayout QuorlinAudioProcessor::generateLayout()
{
    juce::AudioProcessorValueTreeState::ParameterLayout layout;

    layout.add (makeFloat ("knob2", "Threshold",        "Knob2",            0.0f,   25.0f, 0.0001f, 0.0f));
    layout.add (makeFloat ("knob4", "Low Cut (Hz)",     "Low Cut (Hz)",     20.0f,  60.0f, 0.001f,  20.0f));
    layout.add (makeFloat ("knob3", "Low Gain (dB)",    "Low Gain (dB)",    -10.0f, 10.0f, 0.001f,  0.0f));
    layout.add (makeFloat ("knob5", "Mid Gain (dB)",    "Mid Gain (dB)",    -10.0f, 10.0f, 0.001f,  0.0f));
    layout.add (makeFloat ("knob6", "High Gain (dB)",   "High Gain (dB)",   -10.0f, 10.0f, 0.001f,  0.0f));
    layout.add (makeFloat ("knob1", "Drive (dB)",       "Drive (dB)",       0.0f,   24.0f, 0.1f,    0.0f));
    layout.add (makeFloat ("knob7", "Dry/Wet (%)",      "Dry/Wet (%)",      0.0f,   100.0f, 0.0001f, 100.0f));
    layout.add (makeFloat ("knob8", "Output Gain (dB)", "Output Gain (dB)", -81.0f, 10.0f, 0.1f,    -10.0f));
    layout.add (makeFloat ("knob9", "Ratio",            "Knob9",            1.0f,   5.0f,  1.0f,    1.0f));
    layout.add (makeFloat ("knob10", "Attack",          "Knob10",           1.0f,   6.0f,  1.0f,    1.0f));
    layout.add (makeFloat ("knob11", "Release",         "Knob11",           1.0f,   6.0f,  1.0f,    1.0f));

    layout.add (makeSwitch ("poweR power", "Main Power", "Main Power",  true));
    layout.add (makeSwitch ("ComP power",  "Compressor", "Compressor",  true));
    layout.add (makeSwitch ("EqP power",   "EQ",         "EQ",          true));
    layout.add (makeSwitch ("TypeA power", "Type A ",    "TypeA Power", true));
    layout.add (makeSwitch ("TypeB power", "Type B ",    "TypeB Power", false));
    layout.add (makeSwitch ("TypeC power", "Type C ",    "TypeC Power", false));
    layout.add (makeSwitch ("TypeD power", "Type D ",    "TypeD Power", false));

    layout.add (std::make_unique<juce::AudioParameterChoice> (juce::ParameterID { "os", 0 }, "OverSampling",
                                                              oversamplingChoices, 0,
                                                              juce::AudioParameterChoiceAttributes()
                                                                  .withLabel ("Oversampling Factor")
                                                                  .withCategory (Category::genericParameter)));
    return layout;
}

const juce::String QuorlinAudioProcessor::getName() const   { return "VastrelV3"; }

void QuorlinAudioProcessor::prepareToPlay (double, int) {}

void QuorlinAudioProcessor::releaseResources()
{
    for (auto* filter : { &lowCutLeft, &lowCutRight, &lowBandLeft, &lowBandRight,
                          &midBandLeft, &midBandRight, &highBandLeft, &highBandRight })
        filter->reset();
}

// The signal chain is not wired up yet: audio passes through unchanged.
void QuorlinAudioProcessor::processBlock (juce::AudioBuffer<float>&, juce::MidiBuffer&) {}

double QuorlinAudioProcessor::getTailLengthSeconds() const  { return 0.0; }
bool QuorlinAudioProcessor::acceptsMidi() const             { return false; }
bool QuorlinAudioProcessor::producesMidi() const            { return false; }
bool QuorlinAudioProcessor::isMidiEffect() const            { return false; }

// No editor yet: the host shows its generic parameter view.
juce::AudioProcessorEditor* QuorlinAudioProcessor::createEditor()   { return nullptr; }
bool QuorlinAudioProcessor::hasEditor() const                       { return false; }

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
    auto tree = juce::ValueTree::readFromData (data, static_cast<size_t> (juce::jmax (0, sizeInBytes)));

    // Foreign bytes can read as a tree of some other type; taking it would spread a garbage root
    // into every later save.
    if (tree.isValid() && tree.hasType (apvts->state.getType()))
        apvts->replaceState (withEveryParameter (tree));
}

juce::ValueTree QuorlinAudioProcessor::withEveryParameter (juce::ValueTree tree) const
{
    for (auto* p : getParameters())
    {
        auto* parameter = dynamic_cast<juce::RangedAudioParameter*> (p);

        if (parameter == nullptr || tree.getChildWithProperty ("id", parameter->paramID).isValid())
            continue;

        tree.appendChild (juce::ValueTree ("PARAM", { { "id", parameter->paramID },
                                                      { "value", parameter->convertFrom0to1 (parameter->getValue()) } }),
                          nullptr);
    }

    return tree;
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
