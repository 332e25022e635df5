// libFuzzer target: arbitrary bytes as a host state block or as a preset file, then one block of
// audio. Whatever the bytes, the processor must not crash or hang, every parameter must stay a
// finite value inside its range, the state tree must keep one "PARAM" child per parameter, the
// state it writes must read back to the same values, and the output must stay finite.
//
// Build: CC=clang CXX=clang++ cmake -S . -B build-fuzz -DVASTREL_FUZZ=ON -DBUILD_TESTING=OFF
//        cmake --build build-fuzz --target vastrel_state_fuzzer
// Run:   build-fuzz/tests/fuzz/vastrel_state_fuzzer -max_len=8192 -timeout=5 <corpus folder>
// The first byte chooses the path (even: state block, odd: preset file).

#include "support/StateInvariants.h"

#include <juce_events/juce_events.h>

#include <cstdlib>
#include <memory>

namespace
{
    /** The fuzzer has nobody to answer a file dialog. */
    struct NoDialogs final : PresetFileChooser
    {
        void chooseFileToSave (const juce::String&, const juce::File&, const juce::String&, Answer) override   {}
        void chooseFileToOpen (const juce::String&, const juce::File&, const juce::String&, Answer) override   {}
    };

    /** The fuzzing build logs assertions; an assertion is a finding. */
    struct AssertionsAbort final : juce::Logger
    {
        void logMessage (const juce::String& message) override
        {
            if (message.startsWith ("JUCE Assertion failure"))
            {
                std::fputs (message.toRawUTF8(), stderr);
                std::abort();
            }
        }
    };

    struct Fixture
    {
        Fixture()
        {
            juce::Logger::setCurrentLogger (&logger);
            processor.presetManager->setFileChooser (std::make_unique<NoDialogs>());
            processor.setRateAndBufferSizeDetails (48000.0, blockSize);
            processor.prepareToPlay (48000.0, blockSize);
        }

        ~Fixture()
        {
            juce::Logger::setCurrentLogger (nullptr);
        }

        static constexpr int blockSize = 64;

        juce::ScopedJuceInitialiser_GUI initialiser;
        AssertionsAbort logger;
        QuorlinAudioProcessor processor;
        juce::File presetFile { juce::File::getSpecialLocation (juce::File::tempDirectory).getChildFile ("fuzzed.rcp") };
    };

    Fixture* fixture = nullptr;

    void check (bool condition, const std::string& what)
    {
        if (! condition)
        {
            std::fprintf (stderr, "check failed: %s\n", what.c_str());
            std::abort();
        }
    }
}

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    // Presets and favourites of the fuzzed instance go to a folder of its own.
    const auto home = juce::File::createTempFile ("vastrel-fuzz-home");
    home.createDirectory();
    setenv ("HOME", home.getFullPathName().toRawUTF8(), 1);
    fixture = new Fixture();
    std::atexit ([] { delete fixture; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    auto& processor = fixture->processor;
    StateInvariants::offer (processor, data, size, fixture->presetFile);

    const auto violation = StateInvariants::firstViolation (processor);
    check (violation.empty(), violation);

    juce::AudioBuffer<float> buffer (2, Fixture::blockSize);

    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < Fixture::blockSize; ++i)
            buffer.setSample (ch, i, 0.25f * std::sin (0.1f * (float) i + (float) ch));

    juce::MidiBuffer midi;
    processor.processBlock (buffer, midi);

    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < Fixture::blockSize; ++i)
            check (std::isfinite (buffer.getSample (ch, i)), "finite output");

    // Blocks a host may also send: an empty one, and a mono one through the selected tape stage.
    juce::AudioBuffer<float> empty (2, 0);
    processor.processBlock (empty, midi);

    juce::AudioBuffer<float> mono (1, Fixture::blockSize);
    mono.copyFrom (0, 0, buffer, 0, 0, Fixture::blockSize);
    processor.tapeProcessor.slotTable[(size_t) processor.tapeProcessor.currentSlot]->process (mono);

    return 0;
}
