#include "PluginProcessor.h"

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

    bool isOn (const std::atomic<float>* switchValue) noexcept
    {
        // As the switch parameters themselves read it, so a value that is not a number is off.
        return switchValue->load() >= 0.5f;
    }

    /** The "os" choice as an index 0 to 3; a value that is not a number counts as "off". */
    int oversamplingIndexOf (float choice) noexcept
    {
        return choice >= 0.0f ? (int) juce::jmin (choice, 3.0f) : 0;
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

void QuorlinAudioProcessor::prepareToPlay (double sampleRate, int samplesPerBlock)
{
    const auto oversamplingIndex = oversamplingIndexOf (oversampling->load());
    reportedOversamplingIndex = oversamplingIndex;

    const auto numChannels = (size_t) getTotalNumOutputChannels();

    for (auto* set : { &compressorOversamplers, &dryOversamplers })
    {
        for (size_t i = 0; i < set->size(); ++i)
        {
            const auto factorIndex = i + 1;
            (*set)[i] = std::make_unique<juce::dsp::Oversampling<float>> (
                numChannels, factorIndex, juce::dsp::Oversampling<float>::filterHalfBandPolyphaseIIR, true, false);
            (*set)[i]->initProcessing ((size_t) samplesPerBlock << factorIndex);
        }
    }

    for (auto& stage : tapeProcessor.tapeStages)
        stage.prepare (sampleRate, samplesPerBlock);

    tapeProcessor.previousSlot = tapeProcessor.currentSlot;
    tapeProcessor.crossfadeBuffer.setSize (2, samplesPerBlock);
    dryBuffer.setSize (2, samplesPerBlock);

    const juce::dsp::ProcessSpec spec { sampleRate, (juce::uint32) samplesPerBlock, 2 };
    *tapeProcessor.subsonicHighPass.state = juce::dsp::IIR::ArrayCoefficients<float>::makeHighPass (sampleRate, 10.0f);
    tapeProcessor.subsonicHighPass.prepare (spec);

    if (juce::isPositiveAndBelow (oversamplingIndex, (int) oversamplingLatency.size()))
        setLatencySamples (oversamplingLatency[(size_t) oversamplingIndex]);

    for (auto* filter : { &lowCutLeft, &lowCutRight, &lowBandLeft, &lowBandRight,
                          &midBandLeft, &midBandRight, &highBandLeft, &highBandRight })
        filter->reset();

    compressor.init ((float) sampleRate);

    for (auto* gain : { &driveGain, &outputStageGain, &dryGain, &wetGain, &driveCompensation })
    {
        gain->prepare (spec);
        gain->setRampDurationSeconds (0.02);
    }

    for (auto& follower : outputFollowers)
    {
        if (follower == nullptr)
            follower = std::make_unique<EnvelopeFollower>();

        follower->prepare ((float) sampleRate);
    }
}

void QuorlinAudioProcessor::releaseResources()
{
    for (auto* filter : { &lowCutLeft, &lowCutRight, &lowBandLeft, &lowBandRight,
                          &midBandLeft, &midBandRight, &highBandLeft, &highBandRight })
        filter->reset();
}

namespace
{
    // Compressor settings for the stepped knobs; the index is the knob value minus one.
    constexpr std::array<float, 5> ratioSteps { 2.0f, 4.0f, 8.0f, 20.0f, 16.0f };
    constexpr std::array<float, 5> saturationSteps { 0.0f, 0.0f, 0.0f, 0.0f, 1.0f };
    constexpr std::array<float, 6> attackStepsMs { 0.95f, 0.8f, 0.67f, 0.41f, 0.15f, 0.0f };   // 0: instant
    constexpr std::array<float, 6> releaseStepsMs { 925.0f, 750.0f, 575.0f, 400.0f, 225.0f, 50.0f };

    template <size_t size>
    bool stepFor (const std::array<float, size>& steps, float knobValue, float& result) noexcept
    {
        // Compared before the conversion: a value that is not a number, or lies far outside the
        // table, has no int.
        if (! (knobValue >= 1.0f && knobValue < (float) size + 1.0f))
            return false;

        result = steps[(size_t) knobValue - 1];
        return true;
    }

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

    // Far beyond any real signal, and small enough that no gain of the strip can overflow it.
    constexpr float largestInputMagnitude = 1.0e30f;

    /** Non-finite samples become silence and absurd ones are limited, so that nothing the host
        hands over can put a filter, model or oversampler into a state it cannot leave.
    */
    void sanitiseInput (juce::AudioBuffer<float>& buffer) noexcept
    {
        for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
        {
            auto* samples = buffer.getWritePointer (ch);

            for (int i = 0; i < buffer.getNumSamples(); ++i)
            {
                const auto x = samples[i];
                samples[i] = std::isfinite (x) ? juce::jlimit (-largestInputMagnitude, largestInputMagnitude, x) : 0.0f;
            }
        }
    }

    constexpr float outputGainOffsetDb = -0.8893020153045654f;

    /** Maps the compressor's gain reduction onto the needle's travel (0 to 1). */
    float needlePosition (double reductionGain) noexcept
    {
        constexpr double c0 = 0.00026512600015848875, c1 = 0.3941141963005066, c2 = 1.4737600088119507,
                         c3 = -2.7845590114593506, c4 = 3.744436025619507, c5 = -1.8285930156707764;

        const auto g = reductionGain;
        const auto p = (float) (c0 + c1 * g + c2 * g * g + c3 * g * g * g + c4 * g * g * g * g + c5 * g * g * g * g * g);
        return p < 0.0f ? 0.0f : juce::jmin (1.0f, p);
    }

    double needleGain (float gainReductionDb) noexcept
    {
        return std::pow (10.0, ((double) gainReductionDb - 0.2) / 20.0);
    }

    void processWithGain (juce::dsp::Gain<float>& gain, juce::AudioBuffer<float>& buffer) noexcept
    {
        juce::dsp::AudioBlock<float> block (buffer);
        gain.process (juce::dsp::ProcessContextReplacing<float> (block));
    }
}

void QuorlinAudioProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    juce::ScopedNoDenormals noDenormals;

    const auto numInputChannels = getTotalNumInputChannels();
    const auto numOutputChannels = getTotalNumOutputChannels();
    const auto numSamples = buffer.getNumSamples();

    for (auto ch = numInputChannels; ch < numOutputChannels; ++ch)
        buffer.clear (ch, 0, numSamples);

    const auto powerOn      = isOn (mainPower);
    const auto compressorOn = isOn (compressorPower);
    const auto eqOn         = isOn (eqPower);
    const bool typeOn[]     = { isOn (typeAPower), isOn (typeBPower), isOn (typeCPower), isOn (typeDPower) };
    const auto oversamplingIndex = oversamplingIndexOf (oversampling->load());

    for (auto& stage : tapeProcessor.tapeStages)
        stage.setOversamplingIndex (oversamplingIndex);

    for (auto& stage : tapeProcessor.tapeStages)
        for (auto& model : stage.hysteresis)
            model.setSolver (4);

    if (oversamplingIndex != reportedOversamplingIndex)
    {
        if (oversamplingIndex < (int) oversamplingLatency.size())
            setLatencySamples (oversamplingLatency[(size_t) oversamplingIndex]);

        reportedOversamplingIndex = oversamplingIndex;
    }

    // Channel types A, B, C, D play slots 0, 5, 1, 6; the last switch that is on wins.
    constexpr int slotForType[] = { tapeSlot (tape0, speed0), tapeSlot (tape0, speed1),
                                    tapeSlot (tape1, speed0), tapeSlot (tape1, speed1) };

    for (int type = 0; type < 4; ++type)
        if (typeOn[type])
            tapeProcessor.currentSlot = slotForType[type];

    if (! powerOn)
        return;

    updateCompressorAndFilters (oversamplingIndex);

    if (numSamples == 0)
    {
        tapeProcessor.previousSlot = tapeProcessor.currentSlot;
        return;
    }

    sanitiseInput (buffer);

    processWithGain (driveGain, buffer);
    processTapeStage (buffer);

    {
        juce::dsp::AudioBlock<float> block (buffer);
        tapeProcessor.subsonicHighPass.process (juce::dsp::ProcessContextReplacing<float> (block));
    }

    processWithGain (driveCompensation, buffer);

    dryBuffer.makeCopyOf (buffer, true);

    if (eqOn)
        runLowCut (buffer, numOutputChannels);

    runCompressor (buffer, oversamplingIndex, compressorOn, numOutputChannels);

    if (eqOn)
        runPeakBands (buffer, numOutputChannels);

    processWithGain (dryGain, dryBuffer);
    processWithGain (wetGain, buffer);

    for (int ch = 0; ch < dryBuffer.getNumChannels(); ++ch)
        buffer.addFrom (ch, 0, dryBuffer, ch, 0, numSamples);

    processWithGain (outputStageGain, buffer);

    updateOutputMeters (buffer, numOutputChannels);
}

void QuorlinAudioProcessor::updateCompressorAndFilters (int oversamplingIndex)
{
    // A knob value that is not a finite number leaves the settings it drives as they were.
    const auto drive = knob1->load();

    if (std::isfinite (drive))
    {
        driveGain.setGainLinear (juce::Decibels::decibelsToGain (drive));
        driveCompensation.setGainLinear (juce::Decibels::decibelsToGain (0.0f - drive));
    }

    if (const auto compressorDrive = knob2->load() - (oversamplingIndex == 0 ? 5.0f : 3.0f); std::isfinite (compressorDrive))
    {
        const auto compressorInputGain = std::pow (10.0f, compressorDrive / 20.0f);
        compressor.setInputGain (compressorInputGain);
        compressor.setSideChainGain (compressorInputGain);
        compressor.setOutputGain (std::pow (10.0f, (1.0f - 0.4f * compressorDrive) / 20.0f));
    }

    const auto ratioKnob = knob9->load();
    float step = 0.0f;

    if (stepFor (ratioSteps, ratioKnob, step))            compressor.setRatio (step);
    if (stepFor (saturationSteps, ratioKnob, step))       compressor.setSaturation (step);
    if (stepFor (attackStepsMs, knob10->load(), step))    compressor.setAttack (step);
    if (stepFor (releaseStepsMs, knob11->load(), step))   compressor.setRelease (step);

    compressor.setSideChain (false);

    if (const auto wet = knob7->load() / 100.0f; std::isfinite (wet))
    {
        wetGain.setGainLinear (wet);
        dryGain.setGainLinear (1.0f - wet);
    }

    const auto fs = getSampleRate();
    using ArrayCoefficients = juce::dsp::IIR::ArrayCoefficients<float>;

    if (const auto lowCutFrequency = knob4->load(); std::isfinite (lowCutFrequency))
    {
        const auto lowCut = ArrayCoefficients::makeFirstOrderHighPass (fs, lowCutFrequency);
        *lowCutLeft.coefficients = lowCut;
        *lowCutRight.coefficients = lowCut;
    }

    const auto setPeakBand = [fs] (juce::dsp::IIR::Filter<float>& left, juce::dsp::IIR::Filter<float>& right,
                                   float frequency, float q, float gainDb)
    {
        if (! std::isfinite (gainDb))
            return;

        const auto band = ArrayCoefficients::makePeakFilter (fs, frequency, q, juce::Decibels::decibelsToGain (gainDb));
        *left.coefficients = band;
        *right.coefficients = band;
    };

    setPeakBand (lowBandLeft, lowBandRight, 65.0f, 1.5f, knob3->load());
    setPeakBand (midBandLeft, midBandRight, 1500.0f, 0.5f, knob5->load());
    setPeakBand (highBandLeft, highBandRight, 15000.0f, 0.2f, knob6->load());

    if (const auto output = knob8->load(); std::isfinite (output))
        outputStageGain.setGainLinear (juce::Decibels::decibelsToGain ((output + 10.0f) + outputGainOffsetDb));
}

void QuorlinAudioProcessor::processTapeStage (juce::AudioBuffer<float>& buffer)
{
    auto& tape = tapeProcessor;
    auto& current = *tape.slotTable[(size_t) tape.currentSlot];

    if (tape.currentSlot == tape.previousSlot)
    {
        current.process (buffer);
        return;
    }

    // A channel-type change crossfades from the old stage to the new one within this block.
    const auto numSamples = buffer.getNumSamples();
    tape.crossfadeBuffer.makeCopyOf (buffer, true);

    current.process (buffer);
    tape.slotTable[(size_t) tape.previousSlot]->process (tape.crossfadeBuffer);

    for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
    {
        buffer.applyGainRamp (ch, 0, numSamples, 0.0f, 1.0f);
        tape.crossfadeBuffer.applyGainRamp (ch, 0, numSamples, 1.0f, 0.0f);
        buffer.addFrom (ch, 0, tape.crossfadeBuffer, ch, 0, numSamples);
    }

    tape.previousSlot = tape.currentSlot;
}

void QuorlinAudioProcessor::runLowCut (juce::AudioBuffer<float>& buffer, int numChannels) noexcept
{
    const auto numSamples = buffer.getNumSamples();
    auto* left = buffer.getWritePointer (0);

    if (numChannels > 1)
    {
        auto* right = buffer.getWritePointer (1);

        for (int i = 0; i < numSamples; ++i)
        {
            left[i] = lowCutLeft.processSample (left[i]);
            right[i] = lowCutRight.processSample (right[i]);
        }
    }
    else
    {
        for (int i = 0; i < numSamples; ++i)
            left[i] = lowCutLeft.processSample (left[i]);
    }
}

void QuorlinAudioProcessor::runPeakBands (juce::AudioBuffer<float>& buffer, int numChannels) noexcept
{
    const auto numSamples = buffer.getNumSamples();
    auto* left = buffer.getWritePointer (0);

    if (numChannels > 1)
    {
        auto* right = buffer.getWritePointer (1);

        for (int i = 0; i < numSamples; ++i)
        {
            left[i] = lowBandLeft.processSample (left[i]);
            right[i] = lowBandRight.processSample (right[i]);
            left[i] = midBandLeft.processSample (left[i]);
            right[i] = midBandRight.processSample (right[i]);
            left[i] = highBandLeft.processSample (left[i]);
            right[i] = highBandRight.processSample (right[i]);
        }
    }
    else
    {
        for (int i = 0; i < numSamples; ++i)
            left[i] = highBandLeft.processSample (midBandLeft.processSample (lowBandLeft.processSample (left[i])));
    }
}

void QuorlinAudioProcessor::runCompressor (juce::AudioBuffer<float>& buffer, int oversamplingIndex,
                                           bool compressorOn, int numChannels)
{
    const auto stereo = numChannels > 1;

    // Calls afterFrame once per frame, behind the compressor when it is on; the choice of
    // per-sample call is made once for the block.
    const auto forEachFrame = [this, compressorOn, stereo] (float* left, float* right, int numFrames, auto&& afterFrame)
    {
        if (! compressorOn)
        {
            for (int i = 0; i < numFrames; ++i)
                afterFrame();
        }
        else if (stereo)
        {
            for (int i = 0; i < numFrames; ++i)
            {
                compressor.processStereo (left[i], right[i], 0.0f);
                afterFrame();
            }
        }
        else
        {
            for (int i = 0; i < numFrames; ++i)
            {
                compressor.processMono (left[i], 0.0f);
                afterFrame();
            }
        }
    };

    // With the compressor off its reduction stands still, so the needle's target does too. With it
    // on, the needle's arithmetic is worked out again only when the reduction has moved.
    const auto fixedReductionGain = needleGain (compressor.getGainReductionDb());
    const auto fixedNeedleTarget = needlePosition (fixedReductionGain);

    if (oversamplingIndex == 0)
    {
        auto* left = buffer.getWritePointer (0);
        auto* right = stereo ? buffer.getWritePointer (1) : nullptr;
        auto needle = gainReductionNeedle.load();
        LastResultOf<float> needleTargetFor { [] (float reductionDb) { return needlePosition (needleGain (reductionDb)); } };

        forEachFrame (left, right, buffer.getNumSamples(), [&]
        {
            const auto target = compressorOn ? needleTargetFor (compressor.getGainReductionDb()) : fixedNeedleTarget;
            needle = 0.9999f * needle + 0.0001f * target;
            gainReductionNeedle.store (needle);
        });

        return;
    }

    auto& compressorOversampler = *compressorOversamplers[(size_t) oversamplingIndex - 1];
    auto& dryOversampler = *dryOversamplers[(size_t) oversamplingIndex - 1];

    juce::dsp::AudioBlock<float> dryBlock (dryBuffer);
    juce::dsp::AudioBlock<float> block (buffer);

    // The dry side only passes through the same filters, so it stays aligned with the wet side.
    dryOversampler.processSamplesUp (dryBlock);
    auto upsampled = compressorOversampler.processSamplesUp (block);

    const auto numUpsampled = (int) upsampled.getNumSamples();
    float reductionSum = 0.0f;
    LastResultOf<double> reductionGainFor { [] (float reductionDb) { return needleGain (reductionDb); } };

    forEachFrame (upsampled.getChannelPointer (0), stereo ? upsampled.getChannelPointer (1) : nullptr, numUpsampled, [&]
    {
        reductionSum += compressorOn ? reductionGainFor (compressor.getGainReductionDb()) : fixedReductionGain;
    });

    if (numUpsampled > 0)
    {
        const auto mean = reductionSum / (float) numUpsampled;
        gainReductionNeedle.store (0.98f * gainReductionNeedle.load() + 0.02f * needlePosition ((double) mean));
    }

    compressorOversampler.processSamplesDown (block);
    dryOversampler.processSamplesDown (dryBlock);
}

void QuorlinAudioProcessor::updateOutputMeters (const juce::AudioBuffer<float>& buffer, int numChannels)
{
    const auto numSamples = buffer.getNumSamples();

    if (numSamples == 0)
        return;

    auto& left = *outputFollowers[0];
    const auto* leftSamples = buffer.getReadPointer (0);

    if (numChannels > 1)
    {
        auto& right = *outputFollowers[1];
        const auto* rightSamples = buffer.getReadPointer (1);

        for (int i = 0; i < numSamples; ++i)
        {
            outputLevelLeft.level.store (left.process (leftSamples[i]));
            outputLevelRight.level.store (right.process (rightSamples[i]));
        }
    }
    else
    {
        for (int i = 0; i < numSamples; ++i)
        {
            const auto envelope = left.process (leftSamples[i]);
            outputLevelLeft.level.store (envelope);
            outputLevelRight.level.store (envelope);
        }
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
