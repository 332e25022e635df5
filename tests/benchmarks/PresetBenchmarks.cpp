#include "FreshProcess.h"
#include "editor/PluginEditor.h"
#include "presets/PresetBox.h"
#include "presets/PresetFolderListing.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>

// How long the preset bar keeps the message thread busy: the browser's opening over folders of
// 100 to 20,000 presets, each moment of a session over one large category, and the heart with a
// long favourites file.

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

namespace
{
    using Clock = std::chrono::steady_clock;

    double millisecondsSince (Clock::time_point start)
    {
        return std::chrono::duration<double, std::milli> (Clock::now() - start).count();
    }

    /** A preset folder with "Default" and a category of copies of it, still long enough for what
        is listed of it to be kept, as a user's folder usually is.
    */
    void makeStillPresetFolder (int presetsInOneCategory)
    {
        const auto folder = ProcessorPresetManager::defaultPresetFolder();
        folder.deleteRecursively();

        {
            QuorlinAudioProcessor writesTheDefaultPreset;
        }

        const auto source = folder.getChildFile ("Default.rcp");
        const auto category = folder.getChildFile ("Many");
        category.createDirectory();

        for (auto i = 0; i < presetsInOneCategory; ++i)
            source.copyFileTo (category.getChildFile ("Preset " + juce::String (i) + ".rcp"));

        juce::Thread::sleep ((int) PresetFolderListing::settlingMs + 200);
    }

    /** Times one moment of the message thread, in milliseconds. */
    template <typename Moment>
    double timed (Moment&& moment)
    {
        const auto start = Clock::now();
        moment();
        return millisecondsSince (start);
    }

    /** An editor on screen over an instance whose pictures are ready, so that its opening is the
        preset bar's share and the editor's making.
    */
    struct OpenEditor
    {
        OpenEditor()
        {
            juce::MessageManager::getInstance()->runDispatchLoopUntil (3000);

            openingMs = timed ([this]
            {
                window.reset (processor.createEditor());
                juce::Image image (juce::Image::ARGB, window->getWidth(), window->getHeight(), true, juce::SoftwareImageType());
                juce::Graphics g (image);
                window->paintEntireComponent (g, false);
            });

            window->addToDesktop (0);
            window->setVisible (true);
            editor().presetSelector->stopTimer();
            juce::MessageManager::getInstance()->runDispatchLoopUntil (100);
        }

        ~OpenEditor()  { window->removeFromDesktop(); }

        QuorlinAudioProcessorEditor& editor()  { return dynamic_cast<QuorlinAudioProcessorEditor&> (*window); }

        QuorlinAudioProcessor processor;
        std::unique_ptr<juce::AudioProcessorEditor> window;
        double openingMs = 0.0;
    };

    // Each moment of a session with that many presets in one category: the editor's opening, the
    // name poll after it, a load of another preset and the poll that follows, a pick in the
    // browser, the browser's opening with the current preset's list, and the heart.
    const auto presetBarMoments = FreshProcess::add ("preset bar moments", [] (int64_t presets)
    {
        makeStillPresetFolder ((int) presets);

        OpenEditor open;
        auto& wrapper = *open.editor().presetSelector;
        const auto folder = ProcessorPresetManager::defaultPresetFolder();
        const auto another = presets > 0 ? folder.getChildFile ("Many/Preset 0.rcp") : folder.getChildFile ("Default.rcp");

        FreshProcess::Results results { { "opening_ms", open.openingMs } };
        results["poll_ms"] = timed ([&] { wrapper.timerCallback(); });
        results["load_and_poll_ms"] = timed ([&]
        {
            open.processor.presetManager->loadPreset (another);
            wrapper.timerCallback();
        });
        results["pick_ms"] = timed ([&] { wrapper.selector.onPresetSelected (0); wrapper.timerCallback(); });
        results["browser_ms"] = timed ([&] { wrapper.selector.showMenu(); runUntilShown (*wrapper.selector.menu->subMenu); });
        wrapper.selector.hideMenu();
        results["heart_ms"] = timed ([&] { open.editor().heartButton.onClick(); });

        auto slowest = 0.0;

        for (const auto& [moment, milliseconds] : results)
            slowest = std::max (slowest, milliseconds);

        results["slowest_ms"] = slowest;
        return results;
    });

    // The heart pressed twice with a favourites file of that many lines, none of them the current
    // preset: it reads and writes the whole file each time. The editor's opening goes through
    // them too.
    const auto heartWithFavourites = FreshProcess::add ("heart with favourites", [] (int64_t lines)
    {
        makeStillPresetFolder (0);

        juce::MemoryOutputStream text;

        for (int64_t i = 0; i < lines; ++i)
            text << "User/Preset " << juce::String (i) << ".rcp\r\n";

        ProcessorPresetManager::defaultPresetFolder().getChildFile ("Favorites.txt").replaceWithData (text.getData(), text.getDataSize());

        OpenEditor open;
        const auto adding = timed ([&] { open.editor().heartButton.onClick(); });
        const auto removing = timed ([&] { open.editor().heartButton.onClick(); });
        return FreshProcess::Results { { "opening_ms", open.openingMs }, { "adding_ms", adding }, { "removing_ms", removing },
                                       { "slowest_ms", std::max (adding, removing) } };
    });
}

// A listing of a folder with nothing of it kept, as the first opening of an editor makes it.
static void BM_PresetFolderListing (benchmark::State& state)
{
    makeStillPresetFolder ((int) state.range (0));

    for (auto _ : state)
    {
        PresetFolderListing nothingKept;
        benchmark::DoNotOptimize (nothingKept.listingOf (ProcessorPresetManager::defaultPresetFolder(), ".rcp"));
    }

    ProcessorPresetManager::defaultPresetFolder().deleteRecursively();
}
BENCHMARK (BM_PresetFolderListing)->ArgName ("presets")->Arg (2000)->Arg (20000)->Unit (benchmark::kMillisecond);

static void BM_PresetBarMoments (benchmark::State& state)
{
    FreshProcess::measure (state, "preset bar moments", "slowest_ms");
}
BENCHMARK (BM_PresetBarMoments)->ArgName ("presets")->Arg (0)->Arg (2000)->Arg (20000)
                               ->Iterations (1)->UseManualTime()->Unit (benchmark::kMillisecond);

static void BM_HeartWithFavourites (benchmark::State& state)
{
    FreshProcess::measure (state, "heart with favourites", "slowest_ms");
}
BENCHMARK (BM_HeartWithFavourites)->ArgName ("lines")->Arg (100000)->Arg (1000000)
                                  ->Iterations (1)->UseManualTime()->Unit (benchmark::kMillisecond);
