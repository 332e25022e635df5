#pragma once

#include "engine/PluginProcessor.h"
#include "presets/PointerSource.h"
#include "presets/PresetBox.h"
#include "presets/PresetDialogs.h"
#include "support/MessageLoop.h"
#include "support/MouseEvents.h"
#include "support/PictureFiles.h"
#include "support/PresetPaths.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <ostream>
#include <vector>

namespace BrowserTest
{
    /** A pointer that sits where the test puts it. */
    struct ScriptedPointer final : public PointerSource
    {
        juce::Point<int> getScreenPosition() const override  { return position; }
        bool isButtonDown() const override                  { return buttonDown; }

        juce::Point<int> position { -10000, -10000 };
        bool buttonDown = false;
    };

    using TestSupport::mouseAt;
    using TestSupport::relativePaths;
    using TestSupport::runPendingMessages;
    using TestSupport::runUntil;

    inline juce::MouseWheelDetails wheel (float deltaY)
    {
        juce::MouseWheelDetails details;
        details.deltaX = 0.0f;
        details.deltaY = deltaY;
        details.isReversed = false;
        details.isSmooth = false;
        details.isInertial = false;
        return details;
    }

    /** Answers every file dialog at once with a cancel. */
    struct NoFileDialogs final : public PresetFileChooser
    {
        void chooseFileToSave (const juce::String&, const juce::File&, const juce::String&, Answer onChosen) override  { onChosen ({}); }
        void chooseFileToOpen (const juce::String&, const juce::File&, const juce::String&, Answer onChosen) override  { onChosen ({}); }
    };

    /** Preset dialogs that answer as the test says and record what they were asked. */
    struct ScriptedDialogs final : public PresetDialogs
    {
        void askForPresetName (const juce::String& suggestedName, const juce::String& problem,
                               std::function<void (const juce::String&)> onSave) override
        {
            asked.add ("save: " + suggestedName + (problem.isNotEmpty() ? " (" + problem + ")" : juce::String()));

            if (typedName.has_value() && onSave)
                onSave (*typedName);
        }

        void confirmDeletion (const juce::String& question, std::function<void()> onDelete) override
        {
            asked.add ("delete: " + question);

            if (confirm && onDelete)
                onDelete();
        }

        std::optional<juce::String> typedName;
        bool confirm = false;
        juce::StringArray asked;
    };

    /** Writes a small preset whose root property "Origin" tells which file it came from. */
    inline void writePreset (const juce::File& root, const juce::String& relativePath)
    {
        const auto file = root.getChildFile (relativePath);
        ASSERT_TRUE (file.getParentDirectory().createDirectory()) << relativePath;

        juce::XmlElement xml ("VastrelV3");
        xml.setAttribute ("Current_Selected_Preset", file.getFileNameWithoutExtension());
        xml.setAttribute ("Preset_Has_Been_Modified", 0);
        xml.setAttribute ("Origin", relativePath);
        ASSERT_TRUE (file.replaceWithText (xml.toString())) << relativePath;
    }

    inline void writeText (const juce::File& root, const juce::String& relativePath, const juce::String& text)
    {
        const auto file = root.getChildFile (relativePath);
        ASSERT_TRUE (file.getParentDirectory().createDirectory()) << relativePath;
        ASSERT_TRUE (file.replaceWithText (text, false, false, nullptr)) << relativePath;
    }

    /** A processor and a preset manager over a preset folder of the test's own, made afresh for
        every test; the manager is started when the folder is ready.
    */
    class PresetFolderTest : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            ASSERT_TRUE (root.getFullPathName().startsWith ("/tmp/"));
            root.deleteRecursively();
            ASSERT_TRUE (root.createDirectory());
            processor = std::make_unique<QuorlinAudioProcessor>();
        }

        void TearDown() override
        {
            manager.reset();
            processor.reset();
            root.deleteRecursively();
        }

        /** Reads the favourites and writes "Default" where missing, as the processor does. */
        ProcessorPresetManager& startManager()
        {
            manager = std::make_unique<ProcessorPresetManager> (*processor, *processor->apvts,
                                                                 juce::Identifier ("Preset_Has_Been_Modified"),
                                                                 juce::Identifier ("Current_Selected_Preset"),
                                                                 root, ".rcp", std::make_unique<NoFileDialogs>());
            return *manager;
        }

        juce::ValueTree state()  { return processor->apvts->state; }

        void setNameAndFlag (const juce::String& name, bool modified)
        {
            state().setProperty ("Current_Selected_Preset", name, nullptr);
            state().setProperty ("Preset_Has_Been_Modified", modified, nullptr);
        }

        juce::String loadedOrigin()  { return state().getProperty ("Origin").toString(); }

        void add (std::initializer_list<const char*> presets)
        {
            for (const auto* path : presets)
                writePreset (root, path);
        }

        const juce::File root = juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile ("browser-presets");
        std::unique_ptr<QuorlinAudioProcessor> processor;
        std::unique_ptr<ProcessorPresetManager> manager;
    };

    /** Writes a component's picture where the build keeps the browser's pictures. */
    inline juce::File writePicture (const juce::Image& image, const juce::String& name)
    {
        const auto file = juce::File (VASTREL_PICTURE_DIR).getChildFile (name);
        TestSupport::writePng (image, file);
        return file;
    }
}
