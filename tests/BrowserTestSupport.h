#pragma once

#include "engine/PluginProcessor.h"
#include "presets/PointerSource.h"
#include "presets/PresetBox.h"
#include "presets/PresetDialogs.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <ostream>
#include <vector>

namespace juce
{
    // Lets failures name files and texts instead of dumping their bytes.
    inline void PrintTo (const File& file, std::ostream* os)    { *os << file.getFullPathName(); }
    inline void PrintTo (const String& text, std::ostream* os)  { *os << text; }
}

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

    /** Runs every call posted so far, and those they post in turn. False if they never end. */
    inline bool runPendingCalls()
    {
        for (auto round = 0; round < 3; ++round)
        {
            auto done = std::make_shared<bool> (false);
            juce::MessageManager::callAsync ([done] { *done = true; });

            for (auto attempt = 0; attempt < 2000 && ! *done; ++attempt)
                juce::MessageManager::getInstance()->runDispatchLoopUntil (1);

            if (! *done)
                return false;
        }

        return true;
    }

    /** Dispatches messages until the condition holds; false if it never does. */
    template <typename Condition>
    bool runUntil (Condition condition)
    {
        for (auto attempt = 0; attempt < 5000 && ! condition(); ++attempt)
            juce::MessageManager::getInstance()->runDispatchLoopUntil (1);

        return condition();
    }

    /** A mouse event at a point of the component, as the framework delivers it. */
    inline juce::MouseEvent mouseAt (juce::Component& component, float x, float y,
                                     juce::ModifierKeys modifiers = juce::ModifierKeys::leftButtonModifier)
    {
        const juce::Point<float> position (x, y);
        const auto now = juce::Time::getCurrentTime();

        return { juce::Desktop::getInstance().getMainMouseSource(), position, modifiers,
                 juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation,
                 juce::MouseInputSource::defaultRotation, juce::MouseInputSource::defaultTiltX,
                 juce::MouseInputSource::defaultTiltY, &component, &component, now, position, now, 1, false };
    }

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

    inline juce::StringArray relativePaths (const std::vector<juce::File>& files, const juce::File& root)
    {
        juce::StringArray paths;

        for (const auto& file : files)
            paths.add (file == juce::File() ? juce::String ("<none>") : file.getRelativePathFrom (root));

        return paths;
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
        const auto folder = juce::File (VASTREL_PICTURE_DIR);
        folder.createDirectory();
        const auto file = folder.getChildFile (name);
        file.deleteFile();

        juce::FileOutputStream stream (file);
        juce::PNGImageFormat().writeImageToStream (image, stream);
        return file;
    }
}
