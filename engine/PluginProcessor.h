#pragma once

#include "BrassockCompEngine.h"
#include "EnvelopeFollower.h"
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

    /** Runs the selected tape stage over the buffer, crossfading within this block from the
        stage that played last when the selection has changed.
    */
    void processTapeStage (juce::AudioBuffer<float>& buffer);

private:
    void updateCompressorAndFilters (int oversamplingIndex);
    void runLowCut (juce::AudioBuffer<float>& buffer, int numChannels) noexcept;
    void runCompressor (juce::AudioBuffer<float>& buffer, int oversamplingIndex, bool compressorOn, int numChannels);
    void runPeakBands (juce::AudioBuffer<float>& buffer, int numChannels) noexcept;
    void updateOutputMeters (const juce::AudioBuffer<float>& buffer, int numChannels);

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
