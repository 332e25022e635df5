// The processor's audio side: preparation and the per-block chain of drive, tape stage, high-pass,
// low cut, compressor, peak bands, mix and output, with the meters it publishes.
//
// Nothing that moves while the audio plays may click. Continuous settings glide to a new value
// (the filters follow sample by sample while they do); switches, the channel type and the
// oversampling choice crossfade between the old and the new path for a fixed time; the power switch
// and the host's bypass crossfade to the input delayed by the reported latency. With every setting
// held still, none of this runs and the chain works block by block as it always has.

#include "PluginProcessor.h"

#include <cmath>

namespace
{
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

    // How long a continuous setting takes to glide to a new value.
    constexpr double glideSeconds = 0.04;

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

    /** Applies a gain, or instead one value per sample while a glide drives it. */
    void processWithGain (juce::dsp::Gain<float>& gain, juce::AudioBuffer<float>& buffer, const float* gliding = nullptr) noexcept
    {
        if (gliding != nullptr)
        {
            for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
                juce::FloatVectorOperations::multiply (buffer.getWritePointer (ch), gliding, buffer.getNumSamples());

            return;
        }

        juce::dsp::AudioBlock<float> block (buffer);
        gain.process (juce::dsp::ProcessContextReplacing<float> (block));
    }

    /** The first channels and samples of a buffer prepared for more, without copying them. */
    juce::AudioBuffer<float> viewOf (juce::AudioBuffer<float>& storage, int numChannels, int numSamples) noexcept
    {
        jassert (numChannels <= storage.getNumChannels() && numSamples <= storage.getNumSamples());
        return { storage.getArrayOfWritePointers(), numChannels, numSamples };
    }

    /** Moves each channel of a buffer from the old path's samples towards its own, by the weights. */
    void crossfadeFrom (const juce::AudioBuffer<float>& oldPath, juce::AudioBuffer<float>& buffer, const float* weights) noexcept
    {
        for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
        {
            auto* samples = buffer.getWritePointer (ch);
            const auto* old = oldPath.getReadPointer (ch);

            for (int i = 0; i < buffer.getNumSamples(); ++i)
                samples[i] = Crossfade::blend (old[i], samples[i], weights[i]);
        }
    }

    /** The compressor's input and output gains for the threshold knob: the knob drives the
        compressor's input and takes back part of it at its output, the same at every rate.
    */
    void setCompressorDrive (BrassockCompEngine::Compressor::Fet<float>& fet, float threshold) noexcept
    {
        const auto drive = threshold - 5.0f;
        const auto inputGain = std::pow (10.0f, drive / 20.0f);
        fet.setInputGain (inputGain);
        fet.setSideChainGain (inputGain);
        fet.setOutputGain (std::pow (10.0f, (1.0f - 0.4f * drive) / 20.0f));
    }

    using ArrayCoefficients = juce::dsp::IIR::ArrayCoefficients<float>;

    void setLowCut (juce::dsp::IIR::Filter<float>& left, juce::dsp::IIR::Filter<float>& right, double fs, float frequency) noexcept
    {
        const auto lowCut = ArrayCoefficients::makeFirstOrderHighPass (fs, frequency);
        *left.coefficients = lowCut;
        *right.coefficients = lowCut;
    }

    struct PeakBand
    {
        float frequency, q;
    };

    constexpr PeakBand lowBand { 65.0f, 1.5f }, midBand { 1500.0f, 0.5f }, highBand { 15000.0f, 0.2f };

    void setPeakBand (juce::dsp::IIR::Filter<float>& left, juce::dsp::IIR::Filter<float>& right, double fs,
                      PeakBand band, float gainDb) noexcept
    {
        // At low host rates the high band's 15 kHz lies at or beyond half the rate, where the
        // filter would be unstable and fill the output with NaN: it moves down below that.
        const auto frequency = juce::jmin (band.frequency, (float) (0.45 * fs));
        const auto coefficients = ArrayCoefficients::makePeakFilter (fs, frequency, band.q, juce::Decibels::decibelsToGain (gainDb));
        *left.coefficients = coefficients;
        *right.coefficients = coefficients;
    }

    /** Gives a glide a new target when the value is a finite number; true while it glides. */
    bool glideTowards (Glide& glide, float value) noexcept
    {
        if (std::isfinite (value))
            glide.setTargetValue (value);

        return glide.isSmoothing();
    }
}

bool QuorlinAudioProcessor::CompressorGlides::any() const noexcept
{
    return threshold != nullptr || ratio != nullptr || saturation != nullptr || attack != nullptr || release != nullptr;
}

void QuorlinAudioProcessor::CompressorGlides::apply (BrassockCompEngine::Compressor::Fet<float>& fet, int sample) const noexcept
{
    if (threshold != nullptr)   setCompressorDrive (fet, threshold[sample]);
    if (ratio != nullptr)       fet.setRatio (ratio[sample]);
    if (saturation != nullptr)  fet.setSaturation (saturation[sample]);
    if (attack != nullptr)      fet.setAttackCoefficient (attack[sample]);
    if (release != nullptr)     fet.setReleaseCoefficient (release[sample]);
}

void QuorlinAudioProcessor::prepareToPlay (double sampleRate, int samplesPerBlock)
{
    const auto oversamplingIndex = oversamplingIndexOf (oversampling->load());
    reportedOversamplingIndex = oversamplingIndex;
    preparedBlockSize = samplesPerBlock;

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

    const auto crossfadeLength = Crossfade::lengthFor (sampleRate);

    tapeProcessor.previousSlot = tapeProcessor.playingSlot = tapeProcessor.currentSlot;
    tapeProcessor.slotFade.setLength (crossfadeLength);
    tapeProcessor.slotFade.snapTo (true);
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

    // The compressor's times are those of the rate it runs at, oversampled or not.
    compressor.init ((float) sampleRate * (float) (1 << oversamplingIndex));

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

    for (auto* fade : { &chainFade, &compressorFade, &eqFade, &oversamplingFade, &delayFade })
        fade->setLength (crossfadeLength);

    oversamplingFade.snapTo (true);
    delayFade.snapTo (true);
    outgoingOversamplingIndex = oversamplingIndex;

    // Each lands on its target once the rest of the glide is far below anything audible.
    for (auto* glide : { &driveGlide, &thresholdGlide, &ratioGlide, &lowGainGlide, &midGainGlide, &highGainGlide })
        glide->reset (sampleRate, glideSeconds, 1.0e-4f);

    lowCutGlide.reset (sampleRate, glideSeconds, 1.0e-3f);
    saturationGlide.reset (sampleRate, glideSeconds, 1.0e-5f);

    for (auto* glide : { &attackGlide, &releaseGlide })
        glide->reset (sampleRate, glideSeconds, 1.0e-7f);

    changeCurves.setSize (numChangeCurves, samplesPerBlock);
    bypassInput.setSize (2, samplesPerBlock);
    outgoingWet.setSize (2, samplesPerBlock);
    outgoingDry.setSize (2, samplesPerBlock);
    bypassDelay.reset();

    // Nothing has been heard since, so the first block takes every switch at once, and the first
    // block through the strip every setting.
    takeSwitchesAtOnce = takeSettingsAtOnce = true;
}

void QuorlinAudioProcessor::releaseResources()
{
    for (auto* filter : { &lowCutLeft, &lowCutRight, &lowBandLeft, &lowBandRight,
                          &midBandLeft, &midBandRight, &highBandLeft, &highBandRight })
        filter->reset();
}

void QuorlinAudioProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    processInPreparedChunks (buffer, false);
}

void QuorlinAudioProcessor::processBlockBypassed (juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    processInPreparedChunks (buffer, true);
}

void QuorlinAudioProcessor::processInPreparedChunks (juce::AudioBuffer<float>& buffer, bool hostBypassed)
{
    juce::ScopedNoDenormals noDenormals;
    const auto numSamples = buffer.getNumSamples();

    // A host that sends more than it announced gets its block worked through in pieces of the
    // prepared size, for which every buffer of the chain is made.
    if (preparedBlockSize <= 0 || numSamples <= preparedBlockSize)
    {
        processChunk (buffer, hostBypassed);
        return;
    }

    for (int start = 0; start < numSamples; start += preparedBlockSize)
    {
        juce::AudioBuffer<float> chunk (buffer.getArrayOfWritePointers(), buffer.getNumChannels(),
                                        start, juce::jmin (preparedBlockSize, numSamples - start));
        processChunk (chunk, hostBypassed);
    }
}

void QuorlinAudioProcessor::processChunk (juce::AudioBuffer<float>& buffer, bool hostBypassed)
{
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
        for (auto& model : stage.hysteresis)
            model.setSolver (4);

    // Channel types A, B, C, D play slots 0, 5, 1, 6; the last switch that is on wins.
    constexpr int slotForType[] = { tapeSlot (tape0, speed0), tapeSlot (tape0, speed1),
                                    tapeSlot (tape1, speed0), tapeSlot (tape1, speed1) };

    for (int type = 0; type < 4; ++type)
        if (typeOn[type])
            tapeProcessor.currentSlot = slotForType[type];

    if (takeSwitchesAtOnce)
    {
        chainFade.snapTo (powerOn && ! hostBypassed);
        compressorFade.snapTo (compressorOn);
        eqFade.snapTo (eqOn);
        tapeProcessor.previousSlot = tapeProcessor.playingSlot = tapeProcessor.currentSlot;
        takeSwitchesAtOnce = false;
    }

    // A strip that comes back from a bypass runs unheard for a moment first, so that what its
    // filters and oversamplers held from before the bypass has died away when it is faded in.
    const auto wasBypassed = chainFade.isFullyOff();
    chainFade.setTarget (powerOn && ! hostBypassed);
    const auto chainRuns = ! chainFade.isFullyOff();

    if (wasBypassed && chainRuns)
        chainFade.holdOff (Crossfade::lengthFor (getSampleRate()) / 4);

    takeOversamplingChoice (oversamplingIndex, chainRuns);

    for (auto& stage : tapeProcessor.tapeStages)
        stage.setOversamplingIndex (reportedOversamplingIndex);

    if (! chainRuns)
    {
        finishChainChanges (compressorOn, eqOn);
        passBypassed (buffer);
        return;
    }

    compressorFade.setTarget (compressorOn);
    eqFade.setTarget (eqOn);
    updateSettings();
    takeSettingsAtOnce = false;

    if (numSamples == 0)
        return;

    // The way out while the strip fades from or to the bypass: the input, delayed as bypassed.
    const auto chainFading = chainFade.isMoving();
    auto bypassed = viewOf (bypassInput, numOutputChannels, numSamples);

    if (chainFading)
    {
        for (int ch = 0; ch < numOutputChannels; ++ch)
            bypassed.copyFrom (ch, 0, buffer, ch, 0, numSamples);

        passBypassed (bypassed);
    }
    else
    {
        bypassDelay.remember (buffer);
        delayFade.skip (numSamples);
    }

    sanitiseInput (buffer);

    const auto driveGliding = fillDriveCurves (numSamples);

    processWithGain (driveGain, buffer, driveGliding ? changeCurve (driveGainValue) : nullptr);
    processTapeStage (buffer);

    {
        juce::dsp::AudioBlock<float> block (buffer);
        tapeProcessor.subsonicHighPass.process (juce::dsp::ProcessContextReplacing<float> (block));
    }

    processWithGain (driveCompensation, buffer, driveGliding ? changeCurve (driveCompensationValue) : nullptr);

    dryBuffer.makeCopyOf (buffer, true);

    // Whether a part runs is decided before its fade moves on: the last block of a fade to "off"
    // still needs it.
    const auto eqRuns = ! eqFade.isFullyOff();
    const float* eqWeights = nullptr;

    if (eqFade.isMoving())
    {
        eqFade.fillWeights (changeCurve (eqWeight), numSamples);
        eqWeights = changeCurve (eqWeight);
    }

    if (eqRuns)
        runLowCut (buffer, numOutputChannels, eqWeights);

    runCompressorPath (buffer, numOutputChannels);

    if (eqRuns)
        runPeakBands (buffer, numOutputChannels, eqWeights);

    processWithGain (dryGain, dryBuffer);
    processWithGain (wetGain, buffer);

    for (int ch = 0; ch < dryBuffer.getNumChannels(); ++ch)
        buffer.addFrom (ch, 0, dryBuffer, ch, 0, numSamples);

    processWithGain (outputStageGain, buffer);

    if (chainFading)
    {
        chainFade.fillWeights (changeCurve (chainWeight), numSamples);
        crossfadeFrom (bypassed, buffer, changeCurve (chainWeight));
    }

    updateOutputMeters (buffer, numOutputChannels);
}

void QuorlinAudioProcessor::takeOversamplingChoice (int index, bool chainRuns)
{
    if (index == reportedOversamplingIndex)
        return;

    // One change of path at a time: a new choice waits for a crossfade under way to end, also the
    // bypass's crossfade between two delays.
    if (delayFade.isMoving() || (chainRuns && (oversamplingFade.isMoving() || tapeProcessor.slotFade.isMoving())))
        return;

    outgoingOversamplingIndex = reportedOversamplingIndex;
    reportedOversamplingIndex = index;
    setLatencySamples (oversamplingLatency[(size_t) index]);
    delayFade.restart();

    // The stage that plays crossfades to the new choice; the others take it with the next block.
    if (chainRuns)
        tapeProcessor.slotTable[(size_t) tapeProcessor.playingSlot]->changeOversamplingIndex (index);

    // The new path's oversamplers start from silence rather than from whatever they held when last
    // used; the old path goes on for one crossfade with a copy of the compressor as it was.
    if (index > 0)
    {
        compressorOversamplers[(size_t) index - 1]->reset();
        dryOversamplers[(size_t) index - 1]->reset();
    }

    if (chainRuns)
    {
        outgoingCompressor.getState() = compressor.getState();
        oversamplingFade.restart();
    }

    compressor.init ((float) getSampleRate() * (float) (1 << index));
    compressorRateChanged = true;
}

void QuorlinAudioProcessor::finishChainChanges (bool compressorOn, bool eqOn) noexcept
{
    // Nothing of the strip is heard: a change of path needs no crossfade.
    oversamplingFade.snapTo (true);

    for (auto& stage : tapeProcessor.tapeStages)
        stage.finishOversamplingChange();

    compressorFade.snapTo (compressorOn);
    eqFade.snapTo (eqOn);
}

void QuorlinAudioProcessor::passBypassed (juce::AudioBuffer<float>& buffer) noexcept
{
    const auto delay = oversamplingLatency[(size_t) reportedOversamplingIndex];

    if (delayFade.isMoving())
    {
        delayFade.fillWeights (changeCurve (delayWeight), buffer.getNumSamples());
        bypassDelay.process (buffer, oversamplingLatency[(size_t) outgoingOversamplingIndex], delay, changeCurve (delayWeight));
    }
    else
    {
        bypassDelay.process (buffer, delay);
    }
}

void QuorlinAudioProcessor::updateSettings()
{
    // A knob value that is not a finite number leaves the settings it drives as they were.
    updateDrive();

    updateCompressorSettings();

    if (const auto wet = knob7->load() / 100.0f; std::isfinite (wet))
    {
        wetGain.setGainLinear (wet);
        dryGain.setGainLinear (1.0f - wet);
    }

    const auto fs = getSampleRate();
    const auto snapFilters = takeSettingsAtOnce || eqFade.isFullyOff();

    if (! glideTowards (lowCutGlide, knob4->load()) || snapFilters)
    {
        lowCutGlide.setCurrentAndTargetValue (lowCutGlide.getTargetValue());
        setLowCut (lowCutLeft, lowCutRight, fs, lowCutGlide.getTargetValue());
    }

    const std::tuple<Glide&, std::atomic<float>*, juce::dsp::IIR::Filter<float>&, juce::dsp::IIR::Filter<float>&, PeakBand> bands[] = {
        { lowGainGlide, knob3, lowBandLeft, lowBandRight, lowBand },
        { midGainGlide, knob5, midBandLeft, midBandRight, midBand },
        { highGainGlide, knob6, highBandLeft, highBandRight, highBand },
    };

    for (auto& [glide, knob, left, right, band] : bands)
    {
        if (! glideTowards (glide, knob->load()) || snapFilters)
        {
            glide.setCurrentAndTargetValue (glide.getTargetValue());
            setPeakBand (left, right, fs, band, glide.getTargetValue());
        }
    }

    if (const auto output = knob8->load(); std::isfinite (output))
        outputStageGain.setGainLinear (juce::Decibels::decibelsToGain ((output + 10.0f) + outputGainOffsetDb));
}

void QuorlinAudioProcessor::updateDrive()
{
    const auto drive = knob1->load();

    if (! std::isfinite (drive))
        return;

    // Drive and its compensation glide together in decibels, so that the level through the tape
    // stage holds. Until the gains stand at a level of their own (the fade-in of the first
    // block after the instance is made), they take a new value as plain ramps.
    const auto gainsSettled = driveGain.getGainLinear() != 0.0f && ! driveGain.isSmoothing() && ! driveCompensation.isSmoothing();

    if (gainsSettled && ! takeSettingsAtOnce)
    {
        driveGlide.setTargetValue (drive);
        return;
    }

    driveGlide.setCurrentAndTargetValue (drive);
    driveGain.setGainLinear (juce::Decibels::decibelsToGain (drive));
    driveCompensation.setGainLinear (juce::Decibels::decibelsToGain (0.0f - drive));
}

bool QuorlinAudioProcessor::fillDriveCurves (int numSamples) noexcept
{
    if (! driveGlide.isSmoothing())
        return false;

    auto* gains = changeCurve (driveGainValue);
    auto* compensations = changeCurve (driveCompensationValue);

    for (int i = 0; i < numSamples; ++i)
    {
        gains[i] = std::pow (10.0f, driveGlide.getNextValue() / 20.0f);
        compensations[i] = 1.0f / gains[i];
    }

    // The gains take over exactly where the glide ends.
    if (! driveGlide.isSmoothing())
    {
        driveGain.setGainLinear (juce::Decibels::decibelsToGain (driveGlide.getTargetValue()));
        driveCompensation.setGainLinear (juce::Decibels::decibelsToGain (0.0f - driveGlide.getTargetValue()));
        driveGain.reset();
        driveCompensation.reset();
    }

    return true;
}

void QuorlinAudioProcessor::updateCompressorSettings()
{
    using BrassockCompEngine::Compressor::timeCoefficient;

    glideTowards (thresholdGlide, knob2->load());

    const auto ratioKnob = knob9->load();
    const auto compressorRate = compressor.getState().sampleRate;
    float step = 0.0f;

    if (stepFor (ratioSteps, ratioKnob, step))              ratioGlide.setTargetValue (step);
    if (stepFor (saturationSteps, ratioKnob, step))         saturationGlide.setTargetValue (step);
    if (stepFor (attackStepsMs, knob10->load(), step))      attackGlide.setTargetValue (timeCoefficient (compressorRate, step));
    if (stepFor (releaseStepsMs, knob11->load(), step))     releaseGlide.setTargetValue (timeCoefficient (compressorRate, step));

    // What is not heard needs no glide; times that change with the compressor's rate are the same
    // times at the new rate.
    if (takeSettingsAtOnce || compressorFade.isFullyOff())
        for (auto* glide : { &thresholdGlide, &ratioGlide, &saturationGlide, &attackGlide, &releaseGlide })
            glide->setCurrentAndTargetValue (glide->getTargetValue());

    if (compressorRateChanged)
        for (auto* glide : { &attackGlide, &releaseGlide })
            glide->setCurrentAndTargetValue (glide->getTargetValue());

    compressorRateChanged = false;

    pushCompressorSettings (compressor, true);

    if (oversamplingFade.isMoving())
        pushCompressorSettings (outgoingCompressor, false);
}

void QuorlinAudioProcessor::pushCompressorSettings (BrassockCompEngine::Compressor::Fet<float>& fet, bool followGlides)
{
    // What glides is set sample by sample while the block runs (see CompressorGlides).
    if (! (followGlides && thresholdGlide.isSmoothing()))
        setCompressorDrive (fet, thresholdGlide.getTargetValue());

    const auto ratioKnob = knob9->load();
    float step = 0.0f;

    if (stepFor (ratioSteps, ratioKnob, step) && ! (followGlides && ratioGlide.isSmoothing()))
        fet.setRatio (step);

    if (stepFor (saturationSteps, ratioKnob, step) && ! (followGlides && saturationGlide.isSmoothing()))
        fet.setSaturation (step);

    if (stepFor (attackStepsMs, knob10->load(), step) && ! (followGlides && attackGlide.isSmoothing()))
        fet.setAttack (step);

    if (stepFor (releaseStepsMs, knob11->load(), step) && ! (followGlides && releaseGlide.isSmoothing()))
        fet.setRelease (step);

    fet.setSideChain (false);
}

void QuorlinAudioProcessor::processTapeStage (juce::AudioBuffer<float>& buffer)
{
    auto& tape = tapeProcessor;

    // A new channel type waits for a change of oversampling under way, so that at most two paths
    // run through the tape stage at once.
    if (! tape.slotFade.isMoving() && tape.currentSlot != tape.playingSlot && ! oversamplingFade.isMoving())
    {
        tape.previousSlot = tape.playingSlot;
        tape.playingSlot = tape.currentSlot;
        tape.slotFade.restart();
    }

    auto& playing = *tape.slotTable[(size_t) tape.playingSlot];

    if (! tape.slotFade.isMoving())
    {
        playing.process (buffer);
        return;
    }

    const auto numSamples = buffer.getNumSamples();
    auto outgoing = viewOf (tape.crossfadeBuffer, buffer.getNumChannels(), numSamples);

    for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
        outgoing.copyFrom (ch, 0, buffer, ch, 0, numSamples);

    playing.process (buffer);
    tape.slotTable[(size_t) tape.previousSlot]->process (outgoing);

    // The stage fading out keeps its state and resumes from it when it is chosen again.
    tape.slotFade.fillWeights (changeCurve (slotWeight), numSamples);
    crossfadeFrom (outgoing, buffer, changeCurve (slotWeight));

    if (! tape.slotFade.isMoving())
        tape.previousSlot = tape.playingSlot;
}

void QuorlinAudioProcessor::runLowCut (juce::AudioBuffer<float>& buffer, int numChannels, const float* eqWeights) noexcept
{
    const auto numSamples = buffer.getNumSamples();
    auto* left = buffer.getWritePointer (0);
    auto* right = numChannels > 1 ? buffer.getWritePointer (1) : nullptr;

    if (! lowCutGlide.isSmoothing() && eqWeights == nullptr)
    {
        if (right != nullptr)
        {
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

        return;
    }

    // While the frequency glides the filters follow it sample by sample; while the EQ switch
    // crossfades, the filtered and the unfiltered signal are mixed.
    const auto fs = getSampleRate();

    for (int i = 0; i < numSamples; ++i)
    {
        if (lowCutGlide.isSmoothing())
            setLowCut (lowCutLeft, lowCutRight, fs, lowCutGlide.getNextValue());

        const auto w = eqWeights != nullptr ? eqWeights[i] : 1.0f;
        left[i] = Crossfade::blend (left[i], lowCutLeft.processSample (left[i]), w);

        if (right != nullptr)
            right[i] = Crossfade::blend (right[i], lowCutRight.processSample (right[i]), w);
    }
}

void QuorlinAudioProcessor::runPeakBands (juce::AudioBuffer<float>& buffer, int numChannels, const float* eqWeights) noexcept
{
    const auto numSamples = buffer.getNumSamples();
    auto* left = buffer.getWritePointer (0);
    auto* right = numChannels > 1 ? buffer.getWritePointer (1) : nullptr;

    const auto gliding = lowGainGlide.isSmoothing() || midGainGlide.isSmoothing() || highGainGlide.isSmoothing();

    if (! gliding && eqWeights == nullptr)
    {
        if (right != nullptr)
        {
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

        return;
    }

    const auto fs = getSampleRate();

    for (int i = 0; i < numSamples; ++i)
    {
        if (lowGainGlide.isSmoothing())   setPeakBand (lowBandLeft, lowBandRight, fs, lowBand, lowGainGlide.getNextValue());
        if (midGainGlide.isSmoothing())   setPeakBand (midBandLeft, midBandRight, fs, midBand, midGainGlide.getNextValue());
        if (highGainGlide.isSmoothing())  setPeakBand (highBandLeft, highBandRight, fs, highBand, highGainGlide.getNextValue());

        const auto w = eqWeights != nullptr ? eqWeights[i] : 1.0f;
        const auto l = left[i];
        left[i] = Crossfade::blend (l, highBandLeft.processSample (midBandLeft.processSample (lowBandLeft.processSample (l))), w);

        if (right != nullptr)
        {
            const auto r = right[i];
            right[i] = Crossfade::blend (r, highBandRight.processSample (midBandRight.processSample (lowBandRight.processSample (r))), w);
        }
    }
}

void QuorlinAudioProcessor::runCompressorPath (juce::AudioBuffer<float>& buffer, int numChannels)
{
    const auto numSamples = buffer.getNumSamples();
    const auto compressorRuns = ! compressorFade.isFullyOff();
    const float* onWeights = nullptr;
    CompressorGlides glides;

    if (compressorFade.isMoving())
    {
        compressorFade.fillWeights (changeCurve (compressorWeight), numSamples);
        onWeights = changeCurve (compressorWeight);
    }

    const std::tuple<Glide&, ChangeCurve, const float*&> settingGlides[] = {
        { thresholdGlide, thresholdValue, glides.threshold },   { ratioGlide, ratioValue, glides.ratio },
        { saturationGlide, saturationValue, glides.saturation },
        { attackGlide, attackCoefficientValue, glides.attack }, { releaseGlide, releaseCoefficientValue, glides.release },
    };

    for (auto& [glide, curve, values] : settingGlides)
    {
        if (glide.isSmoothing())
        {
            auto* samples = changeCurve (curve);

            for (int i = 0; i < numSamples; ++i)
                samples[i] = glide.getNextValue();

            values = samples;
        }
    }

    if (! oversamplingFade.isMoving())
    {
        runCompressor (buffer, dryBuffer, compressor, reportedOversamplingIndex, compressorRuns, onWeights, glides, true);
        return;
    }

    // A change of oversampling: the old path runs beside the new one on copies of both sides of
    // the mix, and both sides crossfade alike.
    auto oldWet = viewOf (outgoingWet, numChannels, numSamples);
    auto oldDry = viewOf (outgoingDry, dryBuffer.getNumChannels(), numSamples);

    for (int ch = 0; ch < numChannels; ++ch)
        oldWet.copyFrom (ch, 0, buffer, ch, 0, numSamples);

    for (int ch = 0; ch < dryBuffer.getNumChannels(); ++ch)
        oldDry.copyFrom (ch, 0, dryBuffer, ch, 0, numSamples);

    // The old path's compressor keeps the times of its own rate.
    auto outgoingGlides = glides;
    outgoingGlides.attack = outgoingGlides.release = nullptr;
    runCompressor (oldWet, oldDry, outgoingCompressor, outgoingOversamplingIndex, compressorRuns, onWeights, outgoingGlides, false);
    runCompressor (buffer, dryBuffer, compressor, reportedOversamplingIndex, compressorRuns, onWeights, glides, true);

    oversamplingFade.fillWeights (changeCurve (oversamplingWeight), numSamples);
    crossfadeFrom (oldWet, buffer, changeCurve (oversamplingWeight));
    crossfadeFrom (oldDry, dryBuffer, changeCurve (oversamplingWeight));
}

void QuorlinAudioProcessor::runCompressor (juce::AudioBuffer<float>& wet, juce::AudioBuffer<float>& dry,
                                           BrassockCompEngine::Compressor::Fet<float>& fet, int oversamplingIndex, bool compressorRuns,
                                           const float* onWeights, const CompressorGlides& glides, bool publishNeedle)
{
    const auto stereo = wet.getNumChannels() > 1;
    const auto shift = oversamplingIndex;

    // Calls afterFrame once per frame, behind the compressor when it runs; the choice of
    // per-sample call is made once for the block.
    const auto forEachFrame = [&] (float* left, float* right, int numFrames, auto&& afterFrame)
    {
        if (onWeights != nullptr || glides.any())
        {
            // A change under way: gliding settings follow host sample by host sample, and the
            // compressed signal is crossfaded with the signal as it came in.
            const auto framesPerSample = 1 << shift;

            for (int i = 0; i < numFrames; ++i)
            {
                if ((i & (framesPerSample - 1)) == 0)
                    glides.apply (fet, i >> shift);

                if (compressorRuns)
                {
                    const auto inLeft = left[i];
                    const auto inRight = stereo ? right[i] : 0.0f;

                    if (stereo)
                        fet.processStereo (left[i], right[i], 0.0f);
                    else
                        fet.processMono (left[i], 0.0f);

                    if (onWeights != nullptr)
                    {
                        const auto w = onWeights[i >> shift];
                        left[i] = Crossfade::blend (inLeft, left[i], w);

                        if (stereo)
                            right[i] = Crossfade::blend (inRight, right[i], w);
                    }
                }

                afterFrame();
            }
        }
        else if (! compressorRuns)
        {
            for (int i = 0; i < numFrames; ++i)
                afterFrame();
        }
        else if (stereo)
        {
            for (int i = 0; i < numFrames; ++i)
            {
                fet.processStereo (left[i], right[i], 0.0f);
                afterFrame();
            }
        }
        else
        {
            for (int i = 0; i < numFrames; ++i)
            {
                fet.processMono (left[i], 0.0f);
                afterFrame();
            }
        }
    };

    // With the compressor off its reduction stands still, so the needle's target does too. With it
    // on, the needle's arithmetic is worked out again only when the reduction has moved.
    const auto fixedReductionGain = needleGain (fet.getGainReductionDb());
    const auto fixedNeedleTarget = needlePosition (fixedReductionGain);

    if (oversamplingIndex == 0)
    {
        auto* left = wet.getWritePointer (0);
        auto* right = stereo ? wet.getWritePointer (1) : nullptr;

        if (! publishNeedle)
        {
            forEachFrame (left, right, wet.getNumSamples(), [] {});
            return;
        }

        auto needle = gainReductionNeedle.load();
        LastResultOf<float> needleTargetFor { [] (float reductionDb) { return needlePosition (needleGain (reductionDb)); } };

        forEachFrame (left, right, wet.getNumSamples(), [&]
        {
            const auto target = compressorRuns ? needleTargetFor (fet.getGainReductionDb()) : fixedNeedleTarget;
            needle = 0.9999f * needle + 0.0001f * target;
            gainReductionNeedle.store (needle);
        });

        return;
    }

    auto& compressorOversampler = *compressorOversamplers[(size_t) oversamplingIndex - 1];
    auto& dryOversampler = *dryOversamplers[(size_t) oversamplingIndex - 1];

    juce::dsp::AudioBlock<float> dryBlock (dry);
    juce::dsp::AudioBlock<float> block (wet);

    // The dry side only passes through the same filters, so it stays aligned with the wet side.
    dryOversampler.processSamplesUp (dryBlock);
    auto upsampled = compressorOversampler.processSamplesUp (block);

    const auto numUpsampled = (int) upsampled.getNumSamples();
    float reductionSum = 0.0f;
    LastResultOf<double> reductionGainFor { [] (float reductionDb) { return needleGain (reductionDb); } };

    forEachFrame (upsampled.getChannelPointer (0), stereo ? upsampled.getChannelPointer (1) : nullptr, numUpsampled, [&]
    {
        reductionSum += compressorRuns ? reductionGainFor (fet.getGainReductionDb()) : fixedReductionGain;
    });

    if (publishNeedle && numUpsampled > 0)
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
