#include "editor/PluginEditor.h"
#include "presets/PresetBox.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

// How long a press on the preset name in an open editor keeps the message thread busy until the
// browser is on screen with the current preset's list open beside it, the preset folder holding
// 100 or 1,000 presets in ten folders. The folder is listed afresh at every opening.

namespace
{
    /** Ten folders of presets, copies of "Default"; the current preset is in the middle of the
        sixth, so that a long list opens scrolled.
    */
    void fillPresetFolder (const juce::File& folder, int count)
    {
        const auto source = folder.getChildFile ("Default.rcp");

        for (auto i = 0; i < count; ++i)
        {
            const auto target = folder.getChildFile ("Category " + juce::String (i * 10 / count))
                                      .getChildFile ("Preset " + juce::String (i) + ".rcp");
            target.getParentDirectory().createDirectory();
            source.copyFileTo (target);
        }
    }

    /** Runs what the opening posted until the list is on screen; false if it never is. */
    bool runUntilShown (juce::Component& list)
    {
        for (auto attempt = 0; attempt < 2000 && ! list.isShowing(); ++attempt)
            juce::MessageManager::getInstance()->runDispatchLoopUntil (1);

        return list.isShowing();
    }
}

static void BM_BrowserOpening (benchmark::State& state)
{
    const auto count = (int) state.range (0);
    const auto folder = ProcessorPresetManager::defaultPresetFolder();
    folder.deleteRecursively();

    {
        QuorlinAudioProcessor processor;
        fillPresetFolder (folder, count);
        processor.apvts->state.setProperty ("Current_Selected_Preset", "Preset " + juce::String (count / 2 + count / 20), nullptr);

        std::unique_ptr<juce::AudioProcessorEditor> window (processor.createEditor());
        auto& editor = dynamic_cast<QuorlinAudioProcessorEditor&> (*window);
        editor.addToDesktop (0);
        editor.setVisible (true);
        auto& selector = editor.presetSelector->selector;

        // A user opens the browser in an editor that has been on screen for a while.
        juce::MessageManager::getInstance()->runDispatchLoopUntil (1000);

        for (auto _ : state)
        {
            const auto start = std::chrono::steady_clock::now();
            selector.showMenu();

            if (! runUntilShown (*selector.menu->subMenu))
            {
                state.SkipWithError ("the current preset's list never opened");
                break;
            }

            state.SetIterationTime (std::chrono::duration<double> (std::chrono::steady_clock::now() - start).count());
            selector.hideMenu();
        }

        editor.removeFromDesktop();
    }

    folder.deleteRecursively();
}
BENCHMARK (BM_BrowserOpening)->ArgName ("presets")->Arg (100)->Arg (1000)->UseManualTime()->Unit (benchmark::kMillisecond);

