// The editor and the processor under the load of a real session: audio running in real time while
// the user opens, resizes and closes the window, loads presets and states and moves controls, and
// a host that loads states on a thread of its own while the user drags. Run briefly here; a build
// with -DVASTREL_SANITIZE=thread runs them under ThreadSanitizer, which must report nothing.

#include "support/EditorWindowSupport.h"
#include "support/StateInvariants.h"
#include "support/Watchdog.h"

#include <atomic>
#include <chrono>
#include <thread>

using namespace EditorWindowSupport;

namespace
{
    /** Calls processBlock at the pace a host's audio thread does. */
    class RealTimeAudio
    {
    public:
        RealTimeAudio (QuorlinAudioProcessor& processorToRun, double sampleRate, int blockSize)
            : processor (processorToRun),
              buffer (2, blockSize),
              blockDuration (std::chrono::microseconds ((long long) (1.0e6 * blockSize / sampleRate))),
              thread ([this] { run(); })
        {
        }

        ~RealTimeAudio()
        {
            running = false;
            thread.join();
        }

        int blocksProcessed() const  { return blocks; }

    private:
        void run()
        {
            auto next = std::chrono::steady_clock::now();
            juce::MidiBuffer midi;

            while (running)
            {
                for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
                    for (int i = 0; i < buffer.getNumSamples(); ++i)
                        buffer.setSample (ch, i, 0.3f * std::sin (0.05f * (float) (i + blocks * buffer.getNumSamples()) + (float) ch));

                processor.processBlock (buffer, midi);
                ++blocks;
                next += blockDuration;
                std::this_thread::sleep_until (next);
            }
        }

        QuorlinAudioProcessor& processor;
        juce::AudioBuffer<float> buffer;
        const std::chrono::microseconds blockDuration;
        std::atomic<bool> running { true };
        std::atomic<int> blocks { 0 };
        std::thread thread;
    };

    void runMessagesFor (int milliseconds)
    {
        const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) milliseconds;

        while (juce::Time::getMillisecondCounter() < end)
            juce::MessageManager::getInstance()->runDispatchLoopUntil (5);
    }

    void load (QuorlinAudioProcessor& processor, const juce::MemoryBlock& block)
    {
        processor.setStateInformation (block.getData(), (int) block.getSize());
    }

    void dragKnob (QuorlinAudioProcessorEditor& editor, size_t index, double value)
    {
        auto& knob = *editor.knobSliders[index];
        juce::Slider::ScopedDragNotification gesture (knob);
        knob.setValue (value, juce::sendNotificationSync);
    }

    using EditorStress = EditorTest;
}

TEST_F (EditorStress, HostLoadingOnItsOwnThreadWhileTheUserDragsAndUndoesNeverDeadlocks)
{
    open();
    const juce::MemoryBlock states[] = { stateWith ({ { "knob1", 3.0f }, { "knob7", 20.0f }, { "TypeC power", 1.0f } }),
                                         stateWith ({ { "knob1", 12.0f }, { "knob7", 80.0f }, { "EqP power", 0.0f } }) };

    TestSupport::Watchdog watchdog (std::chrono::seconds (60), "the threads under test");
    std::atomic<bool> hostDone { false };

    std::thread host ([&]
    {
        for (int i = 0; i < 3000; ++i)
            load (*processor, states[i % 2]);

        hostDone = true;
    });

    // The user drags the knobs the loads change, and undoes, so that every drag starts a new
    // undo step while the host's loads set the same parameters.
    for (int round = 0; ! hostDone || round < 200; ++round)
    {
        dragKnob (*editor, 0, 0.1 * (round % 240));
        dragKnob (*editor, 6, (double) (round % 100));
        editor->undoButton.onClick();
    }

    host.join();
    EXPECT_TRUE (runPendingMessages());
    EXPECT_EQ (StateInvariants::firstViolation (*processor), "");
}

TEST_F (EditorStress, AudioRunsWhileTheEditorOpensResizesClosesAndLoads)
{
    constexpr double sampleRate = 48000.0;
    constexpr int blockSize = 256;
    processor->setRateAndBufferSizeDetails (sampleRate, blockSize);
    processor->prepareToPlay (sampleRate, blockSize);

    const auto presetFile = presetFolder().getChildFile ("Stress.rcp");
    ASSERT_TRUE (presetFile.replaceWithText ("<VastrelV3 Current_Selected_Preset=\"Stress\" Preset_Has_Been_Modified=\"0\">"
                                             "<PARAM id=\"TypeB power\" value=\"1\"/><PARAM id=\"TypeA power\" value=\"0\"/>"
                                             "<PARAM id=\"os\" value=\"2\"/><PARAM id=\"knob2\" value=\"12\"/>"
                                             "</VastrelV3>"));
    const juce::MemoryBlock states[] = { stateWith ({ { "os", 1.0f }, { "TypeD power", 1.0f }, { "knob1", 9.0f } }),
                                         stateWith ({ { "os", 0.0f }, { "ComP power", 0.0f }, { "knob8", -20.0f } }) };

    TestSupport::Watchdog watchdog (std::chrono::seconds (120), "the threads under test");
    RealTimeAudio audio (*processor, sampleRate, blockSize);

    for (int round = 0; round < 4; ++round)
    {
        open();
        editor->setTopLeftPosition (30, 30);
        editor->addToDesktop (0);
        editor->setVisible (true);
        runMessagesFor (60);

        for (const auto width : { 550, 1100, 1650, 825 })
        {
            editor->setSize (width, width * 852 / 1100);
            runMessagesFor (20);

            load (*processor, states[(size_t) (width / 550) % 2]);
            processor->presetManager->loadPreset (presetFile);
            automate ("knob3", (float) (width % 7) - 3.0f);
            dragKnob (*editor, 1, (double) (width % 25));
            editor->typeCButton.triggerClick();
            editor->oversamplingBox.setSelectedId (1 + width % 4);
            runMessagesFor (20);
            editor->undoButton.onClick();
            editor->compareBButton.triggerClick();
            runMessagesFor (20);
        }

        close();
        load (*processor, states[(size_t) round % 2]);
        runMessagesFor (20);
    }

    EXPECT_GT (audio.blocksProcessed(), 0);
    EXPECT_EQ (StateInvariants::firstViolation (*processor), "");
}
