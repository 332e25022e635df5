#pragma once

#include "BrassockCompEngine.h"
#include "BypassDelay.h"
#include "Crossfade.h"
#include "EnvelopeFollower.h"
#include "Glide.h"
#include "TapeProcessor.h"
#include "editor/SharedPictures.h"
#include "presets/PresetBox.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_dsp/juce_dsp.h>

#include <array>
#include <atomic>
#include <memory>

class QuorlinAudioProcessor final : public juce::AudioProcessor
{
public:
    /** One meter channel, published by the audio thread and read by the editor. */
    struct Level
    {
        std::atomic<float> peak { 0.0f };
        std::atomic<float> level { 0.0f };
    };

    QuorlinAudioProcessor();
    ~QuorlinAudioProcessor() override;

    const juce::String getName() const override;

    void prepareToPlay (double sampleRate, int samplesPerBlock) override;
    void releaseResources() override;
    void processBlock (juce::AudioBuffer<float>&, juce::MidiBuffer&) override;
    using juce::AudioProcessor::processBlock;

    /** The host's bypass: the input passes delayed by the reported latency, crossfaded from and to
        the strip as the strip's own power switch does.
    */
    void processBlockBypassed (juce::AudioBuffer<float>&, juce::MidiBuffer&) override;
    using juce::AudioProcessor::processBlockBypassed;

    double getTailLengthSeconds() const override;
    bool acceptsMidi() const override;
    bool producesMidi() const override;
    bool isMidiEffect() const override;

    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override;

    int getNumPrograms() override;
    int getCurrentProgram() override;
    void setCurrentProgram (int index) override;
    const juce::String getProgramName (int index) override;
    void changeProgramName (int index, const juce::String& newName) override;

    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;

    bool isBusesLayoutSupported (const BusesLayout& layouts) const override;

    juce::AudioProcessorValueTreeState::ParameterLayout generateLayout();

    /** Makes a stored tree (a host state block's or a preset's) the parameter state, in the form
        stateToLoad gives it, or leaves everything as it is when that refuses it.
    */
    void loadTree (const juce::ValueTree& tree);

    /** The tree that loading a stored tree puts in place, or an invalid tree when it must be
        refused because a name or text is not UTF-8 or a name is empty or no plain XML name.

        Every parameter ends up with exactly one "PARAM" child: the first one the tree holds for
        it, its value the one the parameter takes (clamped and rounded to its range) or, when it
        is missing or no finite number, the parameter's current value; a parameter the tree lacks
        gets a child holding its current value, so it keeps that value and stays attached to the
        live tree. Later duplicates, and children of another type that carry a parameter's "id",
        are dropped; other children and the root properties are kept as they are.
    */
    juce::ValueTree stateToLoad (const juce::ValueTree& tree) const;

    static constexpr const char* stateType = "VastrelV3";

    /** The editor's pictures, shared by every instance and kept while the instance lives. They
        start decoding in the background a moment after the first instance is made, so that an
        instance a host makes and drops at once (a scan) decodes nothing and never waits for them.
    */
    const std::shared_ptr<SharedPictures> editorPictures = SharedPictures::acquire();

    /** Latency reported for each oversampling choice. */
    static constexpr std::array<int, 4> oversamplingLatency { 0, 9, 11, 13 };

    std::atomic<float> gainReductionNeedle { 0.0f };
    Level inputLevelLeft, inputLevelRight, outputLevelLeft, outputLevelRight;

    BrassockCompEngine::Compressor::Fet<float> compressor;

    const juce::StringArray oversamplingChoices { "off", "2x", "4x", "8x" };

    juce::dsp::IIR::Filter<float> lowCutLeft, lowCutRight;
    juce::dsp::IIR::Filter<float> lowBandLeft, lowBandRight, midBandLeft, midBandRight, highBandLeft, highBandRight;

    std::unique_ptr<juce::AudioProcessorValueTreeState> apvts;
    std::unique_ptr<ProcessorPresetManager> presetManager;

    int reportedOversamplingIndex = -1;

    // For 2x, 4x and 8x: the main signal around the compressor, and the dry signal through the
    // same filters so that both sides of the mix stay aligned.
    std::array<std::unique_ptr<juce::dsp::Oversampling<float>>, 3> compressorOversamplers;
    std::array<std::unique_ptr<juce::dsp::Oversampling<float>>, 3> dryOversamplers;

    std::array<std::unique_ptr<EnvelopeFollower>, 2> outputFollowers;

    juce::AudioBuffer<float> dryBuffer;

    juce::dsp::Gain<float> driveGain, outputStageGain, dryGain, wetGain, driveCompensation;

    TapeProcessor tapeProcessor;

    /** Runs the selected tape stage over the buffer. When the selection changes, the stage that
        played and the chosen one both run for one crossfade, which may span several blocks.
    */
    void processTapeStage (juce::AudioBuffer<float>& buffer);

private:
    void processInPreparedChunks (juce::AudioBuffer<float>& buffer, bool hostBypassed);
    void processChunk (juce::AudioBuffer<float>& buffer, bool hostBypassed);
    void takeOversamplingChoice (int index, bool chainRuns);
    void finishChainChanges (bool compressorOn, bool eqOn) noexcept;
    void passBypassed (juce::AudioBuffer<float>& buffer) noexcept;
    void updateSettings();
    void updateDrive();
    void updateCompressorSettings();
    void pushCompressorSettings (BrassockCompEngine::Compressor::Fet<float>& fet, bool followGlides);
    bool fillDriveCurves (int numSamples) noexcept;
    void runLowCut (juce::AudioBuffer<float>& buffer, int numChannels, const float* eqWeights) noexcept;
    void runCompressorPath (juce::AudioBuffer<float>& buffer, int numChannels);

    /** The compressor settings that glide in a block, one value per host sample, or null. */
    struct CompressorGlides
    {
        const float* threshold = nullptr;
        const float* ratio = nullptr;
        const float* saturation = nullptr;
        const float* attack = nullptr;
        const float* release = nullptr;

        bool any() const noexcept;
        void apply (BrassockCompEngine::Compressor::Fet<float>& fet, int sample) const noexcept;
    };

    void runCompressor (juce::AudioBuffer<float>& wet, juce::AudioBuffer<float>& dry,
                        BrassockCompEngine::Compressor::Fet<float>& fet, int oversamplingIndex, bool compressorRuns,
                        const float* onWeights, const CompressorGlides& glides, bool publishNeedle);
    void runPeakBands (juce::AudioBuffer<float>& buffer, int numChannels, const float* eqWeights) noexcept;
    void updateOutputMeters (const juce::AudioBuffer<float>& buffer, int numChannels);

    /** Per-sample curves of the changes under way in a block, one channel each. */
    enum ChangeCurve
    {
        chainWeight, slotWeight, compressorWeight, eqWeight, oversamplingWeight, delayWeight,
        thresholdValue, ratioValue, saturationValue, attackCoefficientValue, releaseCoefficientValue,
        driveGainValue, driveCompensationValue, numChangeCurves
    };

    float* changeCurve (ChangeCurve curve) noexcept   { return changeCurves.getWritePointer ((int) curve); }

    // Changes while the audio plays: continuous settings glide, switches crossfade between the
    // old and the new path, and the bypass passes the input at the reported latency.
    BypassDelay bypassDelay;
    Crossfade chainFade, compressorFade, eqFade, oversamplingFade, delayFade;
    int outgoingOversamplingIndex = 0;
    BrassockCompEngine::Compressor::Fet<float> outgoingCompressor;
    Glide driveGlide, thresholdGlide, lowCutGlide, lowGainGlide, midGainGlide, highGainGlide;
    Glide ratioGlide, saturationGlide, attackGlide, releaseGlide;
    juce::AudioBuffer<float> changeCurves, bypassInput, outgoingWet, outgoingDry;
    int preparedBlockSize = 0;
    bool takeSwitchesAtOnce = true, takeSettingsAtOnce = true;
    bool compressorRateChanged = false;

    std::atomic<float>* typeAPower = nullptr;
    std::atomic<float>* typeBPower = nullptr;
    std::atomic<float>* typeCPower = nullptr;
    std::atomic<float>* typeDPower = nullptr;
    std::atomic<float>* oversampling = nullptr;
    std::atomic<float>* mainPower = nullptr;
    std::atomic<float>* compressorPower = nullptr;
    std::atomic<float>* eqPower = nullptr;
    std::atomic<float>* knob1 = nullptr;
    std::atomic<float>* knob8 = nullptr;
    std::atomic<float>* knob2 = nullptr;
    std::atomic<float>* knob3 = nullptr;
    std::atomic<float>* knob5 = nullptr;
    std::atomic<float>* knob6 = nullptr;
    std::atomic<float>* knob4 = nullptr;
    std::atomic<float>* knob7 = nullptr;
    std::atomic<float>* knob9 = nullptr;
    std::atomic<float>* knob10 = nullptr;
    std::atomic<float>* knob11 = nullptr;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (QuorlinAudioProcessor)
};
