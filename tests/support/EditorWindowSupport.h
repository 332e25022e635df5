#pragma once

#include "editor/PluginEditor.h"
#include "engine/ParameterIds.h"
#include "presets/PresetBox.h"
#include "support/EditorTestSupport.h"
#include "support/MessageLoop.h"
#include "support/MouseEvents.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace EditorWindowSupport
{
    /** The folder the test run gives the editor for its settings file. */
    inline juce::File settingsFolder()
    {
        return juce::File (juce::SystemStats::getEnvironmentVariable ("VASTREL_SETTINGS_FOLDER", {}));
    }

    inline juce::File settingsFileOnDisk()
    {
        return settingsFolder().getChildFile ("VastrelV3.settings");
    }

    /** Writes a settings file as the framework writes one, holding one value. */
    inline void writeSetting (const juce::String& key, const juce::String& text)
    {
        juce::PropertiesFile file (QuorlinAudioProcessorEditor::settingsOptions());
        file.setValue (key, text);
        ASSERT_TRUE (file.save());
    }

    /** What the settings file on disk holds for a key, or an empty text. */
    inline juce::String storedSetting (const juce::String& key)
    {
        juce::PropertiesFile file (settingsFileOnDisk(), QuorlinAudioProcessorEditor::settingsOptions());
        return file.getValue (key);
    }

    using TestSupport::mouseAt;
    using TestSupport::runPendingMessages;

    using EditorTestSupport::brightestPixel;

    /** The mean brightness of every fourth pixel in both directions. */
    inline float meanBrightness (const juce::Image& image)
    {
        double sum = 0.0;
        int count = 0;

        for (int y = 0; y < image.getHeight(); y += 4)
            for (int x = 0; x < image.getWidth(); x += 4, ++count)
                sum += image.getPixelAt (x, y).getBrightness();

        return count > 0 ? (float) (sum / count) : 0.0f;
    }

    /** The state block of a fresh processor with these settings, in the parameters' own units. */
    inline juce::MemoryBlock stateWith (const std::vector<std::pair<const char*, float>>& settings)
    {
        QuorlinAudioProcessor source;

        for (const auto& [id, plain] : settings)
        {
            auto* p = source.apvts->getParameter (id);
            p->setValueNotifyingHost (p->convertTo0to1 (plain));
        }

        juce::MemoryBlock block;
        source.getStateInformation (block);
        return block;
    }

    /** Stands in for the screen's displays while it lives, by their user areas (what panels and
        docks leave free): the editor sees the display that shows most of its window.
    */
    class ScopedDisplays
    {
    public:
        explicit ScopedDisplays (std::vector<juce::Rectangle<int>> userAreas)
            : previous (QuorlinAudioProcessorEditor::displayUserArea)
        {
            QuorlinAudioProcessorEditor::displayUserArea = [userAreas] (juce::Rectangle<int> window)
            {
                auto best = userAreas.front();

                for (const auto& area : userAreas)
                    if (area.getIntersection (window).getWidth() * area.getIntersection (window).getHeight()
                          > best.getIntersection (window).getWidth() * best.getIntersection (window).getHeight())
                        best = area;

                return best;
            };
        }

        ~ScopedDisplays()
        {
            QuorlinAudioProcessorEditor::displayUserArea = previous;
        }

    private:
        const std::function<juce::Rectangle<int> (juce::Rectangle<int>)> previous;

        JUCE_DECLARE_NON_COPYABLE (ScopedDisplays)
    };

    /** A fresh processor with an empty preset folder and no settings file; the editor is opened
        by the test, on a screen that takes it at every size it allows.
    */
    class EditorTest : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            ASSERT_TRUE (settingsFolder().getFullPathName().startsWith ("/tmp/"));
            settingsFolder().deleteRecursively();
            presetFolder().deleteRecursively();
            processor = std::make_unique<QuorlinAudioProcessor>();
            displays = std::make_unique<ScopedDisplays> (std::vector<juce::Rectangle<int>> { { 0, 0, 2560, 1600 } });
        }

        void TearDown() override
        {
            editor.reset();
            processor.reset();
            displays.reset();
        }

        QuorlinAudioProcessorEditor& open()
        {
            editor = std::make_unique<QuorlinAudioProcessorEditor> (*processor);
            return *editor;
        }

        void close()  { editor.reset(); }

        static juce::File presetFolder()  { return ProcessorPresetManager::defaultPresetFolder(); }

        juce::RangedAudioParameter& parameter (const char* id)  { return *processor->apvts->getParameter (id); }

        float value (const char* id)  { return processor->apvts->getRawParameterValue (id)->load(); }

        /** Sets a parameter as host automation does, without a gesture. */
        void automate (const char* id, float plainValue)
        {
            auto& p = parameter (id);
            p.setValueNotifyingHost (p.convertTo0to1 (plainValue));
        }

        juce::Slider& knob (int number)  { return *editor->knobSliders[(size_t) number - 1]; }

        /** A knob turned as a drag turns it: gesture, new value, end of gesture. */
        void drag (int number, double newValue)
        {
            {
                juce::Slider::ScopedDragNotification gesture (knob (number));
                knob (number).setValue (newValue, juce::sendNotificationSync);
            }

            runPendingMessages();
        }

        /** A click on a switch or button as the framework delivers it, and what follows it. */
        static void click (juce::Button& button)
        {
            button.triggerClick();
            runPendingMessages();
        }

        std::unique_ptr<ScopedDisplays> displays;
        std::unique_ptr<QuorlinAudioProcessor> processor;
        std::unique_ptr<QuorlinAudioProcessorEditor> editor;
    };
}
