// The built VastrelV3.vst3, loaded through the module's real entry points as a VST3 host loads it.
// Its editor opens in a window on the display (xvfb-run -a).

#include "HostDisplay.h"
#include "HostedPlugin.h"
#include "support/MessageLoop.h"
#include "support/TestKeyboard.h"
#include "support/PictureFiles.h"
#include "support/TestPointer.h"
#include "engine/ParameterIds.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

namespace
{
    using ChannelSet = juce::AudioChannelSet;

    constexpr double sampleRate = 48000.0;
    constexpr int blockSize = 512;

    /** The framework's string hash, masked to 31 bits: the VST3 ID a host stores for a parameter. */
    std::uint32_t vst3IdFor (const char* id)
    {
        std::uint32_t h = 0;

        for (const char* c = id; *c != 0; ++c)
            h = 31u * h + (std::uint32_t) (unsigned char) *c;

        return h & 0x7fffffffu;
    }

    constexpr int continuous = 0;

    // What a host sees of each parameter: the range shows in the texts at both ends.
    struct HostParameterRow
    {
        const char* id;
        const char* name;
        const char* label;
        float normalisedDefault;
        const char* minimumText;
        const char* maximumText;
        int steps;
    };

    const HostParameterRow hostParameters[] = {
        { "knob2",       "Threshold",        "Knob2",               0.0f,          "0.0000",  "25.0000",  continuous },
        { "knob4",       "Low Cut (Hz)",     "Low Cut (Hz)",        0.0f,          "20.000",  "60.000",   continuous },
        { "knob3",       "Low Gain (dB)",    "Low Gain (dB)",       0.5f,          "-10.000", "10.000",   continuous },
        { "knob5",       "Mid Gain (dB)",    "Mid Gain (dB)",       0.5f,          "-10.000", "10.000",   continuous },
        { "knob6",       "High Gain (dB)",   "High Gain (dB)",      0.5f,          "-10.000", "10.000",   continuous },
        { "knob1",       "Drive (dB)",       "Drive (dB)",          0.0f,          "0.0",     "24.0",     continuous },
        { "knob7",       "Dry/Wet (%)",      "Dry/Wet (%)",         1.0f,          "0.0000",  "100.0000", continuous },
        { "knob8",       "Output Gain (dB)", "Output Gain (dB)",    71.0f / 91.0f, "-81.0",   "10.0",     continuous },
        { "knob9",       "Ratio",            "Knob9",               0.0f,          "1",       "5",        continuous },
        { "knob10",      "Attack",           "Knob10",              0.0f,          "1",       "6",        continuous },
        { "knob11",      "Release",          "Knob11",              0.0f,          "1",       "6",        continuous },
        { "poweR power", "Main Power",       "Main Power",          1.0f,          "Off",     "On",       2 },
        { "ComP power",  "Compressor",       "Compressor",          1.0f,          "Off",     "On",       2 },
        { "EqP power",   "EQ",               "EQ",                  1.0f,          "Off",     "On",       2 },
        { "TypeA power", "Type A ",          "TypeA Power",         1.0f,          "Off",     "On",       2 },
        { "TypeB power", "Type B ",          "TypeB Power",         0.0f,          "Off",     "On",       2 },
        { "TypeC power", "Type C ",          "TypeC Power",         0.0f,          "Off",     "On",       2 },
        { "TypeD power", "Type D ",          "TypeD Power",         0.0f,          "Off",     "On",       2 },
        { "os",          "OverSampling",     "Oversampling Factor", 0.0f,          "off",     "8x",       4 },
    };

    class HostedVastrel : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            loaded = VastrelHost::loadPlugin (VastrelHost::builtBundle(), sampleRate, blockSize);
            ASSERT_NE (loaded.instance, nullptr) << loaded.error;
        }

        juce::AudioPluginInstance& plugin()   { return *loaded.instance; }

        /** The plug-in's editor in a window on the desktop, as a host shows it. */
        std::unique_ptr<juce::AudioProcessorEditor> openEditorOnDesktop()
        {
            std::unique_ptr<juce::AudioProcessorEditor> editor (plugin().createEditorIfNeeded());

            if (editor != nullptr)
            {
                editor->setTopLeftPosition (20, 20);
                editor->addToDesktop (0);
                editor->setVisible (true);
            }

            return editor;
        }

        juce::AudioProcessorParameter* parameterWithVst3Id (juce::AudioPluginInstance& instance, std::uint32_t id)
        {
            for (auto* p : instance.getParameters())
                if (auto* hosted = dynamic_cast<juce::HostedAudioProcessorParameter*> (p))
                    if (hosted->getParameterID() == juce::String (id))
                        return p;

            return nullptr;
        }

        juce::AudioProcessorParameter& parameterFor (juce::AudioPluginInstance& instance, const char* id)
        {
            auto* p = parameterWithVst3Id (instance, vst3IdFor (id));
            EXPECT_NE (p, nullptr) << id;
            return *p;
        }

        VastrelHost::LoadResult loaded;
    };

    /** The component state a host would store, taken out of JUCE's host-side wrapper. */
    juce::MemoryBlock componentChunk (const juce::MemoryBlock& hostState)
    {
        juce::MemoryBlock chunk;

        if (auto xml = juce::AudioProcessor::getXmlFromBinary (hostState.getData(), (int) hostState.getSize()))
            if (auto* component = xml->getChildByName ("IComponent"))
                chunk.fromBase64Encoding (component->getAllSubText());

        return chunk;
    }
}

TEST (HostedModule, ExportsTheVst3EntryPoints)
{
    const auto bundle = VastrelHost::builtBundle();
    ASSERT_TRUE (VastrelHost::moduleBinary (bundle).existsAsFile()) << VastrelHost::moduleBinary (bundle).getFullPathName();

    for (const char* symbol : { "GetPluginFactory", "ModuleEntry", "ModuleExit" })
        EXPECT_TRUE (VastrelHost::moduleExports (bundle, symbol)) << symbol;
}

namespace
{
    /** The CPU time the whole process has used, in seconds: every thread, the plug-in's included. */
    double processCpuSeconds()
    {
        rusage usage {};
        getrusage (RUSAGE_SELF, &usage);
        return (double) (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) + (double) (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1.0e6;
    }

    /** The CPU seconds that three instances, each made and dropped at once as a scan does, cost
        the process, the moment after included.
    */
    double cpuOfThreeScans()
    {
        const auto start = processCpuSeconds();

        for (int scan = 0; scan < 3; ++scan)
        {
            auto scanned = VastrelHost::loadPlugin (VastrelHost::builtBundle(), sampleRate, blockSize);
            EXPECT_NE (scanned.instance, nullptr) << scanned.error;
        }

        juce::Thread::sleep (500);
        return processCpuSeconds() - start;
    }
}

// A host's scan makes instances and drops them at once: they decode none of the editor's pictures,
// and cost what they cost while another instance holds the pictures decoded.
TEST (HostedModule, InstancesMadeAndDroppedAtOnceDecodeNoPicture)
{
    double ready = 0.0;

    {
        auto holder = VastrelHost::loadPlugin (VastrelHost::builtBundle(), sampleRate, blockSize);
        ASSERT_NE (holder.instance, nullptr) << holder.error;

        // An editor that has opened has every picture decoded.
        std::unique_ptr<juce::AudioProcessorEditor> (holder.instance->createEditorIfNeeded()).reset();
        juce::Thread::sleep (500);
        ready = cpuOfThreeScans();
    }

    const auto atOnce = cpuOfThreeScans();
    EXPECT_LT (atOnce, 1.5 * ready + 0.05) << "with the pictures held " << ready << " s, alone " << atOnce << " s";
}

TEST (HostedModule, FactoryListsComponentAndControllerWithStableClassIds)
{
    const auto factory = VastrelHost::readFactory (VastrelHost::builtBundle());
    ASSERT_TRUE (factory.error.isEmpty()) << factory.error;

    EXPECT_EQ (factory.vendor, "Brassock");
    ASSERT_EQ (factory.classes.size(), 2u);

    // Saved host projects refer to these: 0xABCDEF01, 0x9182FAEB / 0x1234ABCD, 'Manu', 'vsr3'.
    const std::array<std::uint8_t, 16> componentId { 0xAB, 0xCD, 0xEF, 0x01, 0x91, 0x82, 0xFA, 0xEB, 'M', 'a', 'n', 'u', 'v', 's', 'r', '3' };
    const std::array<std::uint8_t, 16> controllerId { 0xAB, 0xCD, 0xEF, 0x01, 0x12, 0x34, 0xAB, 0xCD, 'M', 'a', 'n', 'u', 'v', 's', 'r', '3' };

    const VastrelHost::FactoryClass* component = nullptr;
    const VastrelHost::FactoryClass* controller = nullptr;

    for (const auto& c : factory.classes)
    {
        EXPECT_EQ (c.name, "VastrelV3");
        EXPECT_EQ (c.subCategories, "Fx");
        EXPECT_EQ (c.version, "1.0");
        EXPECT_EQ (c.vendor, "Brassock");

        if (c.category == "Audio Module Class")          component = &c;
        if (c.category == "Component Controller Class")  controller = &c;
    }

    ASSERT_NE (component, nullptr);
    ASSERT_NE (controller, nullptr);
    EXPECT_EQ (component->classId, componentId);
    EXPECT_EQ (controller->classId, controllerId);
}

TEST_F (HostedVastrel, DescribesOneEffectFromBrassock)
{
    juce::VST3PluginFormat format;
    juce::OwnedArray<juce::PluginDescription> types;
    format.findAllTypesForFile (types, VastrelHost::builtBundle().getFullPathName());

    ASSERT_EQ (types.size(), 1);
    EXPECT_EQ (types[0]->name, "VastrelV3");
    EXPECT_EQ (types[0]->manufacturerName, "Brassock");
    EXPECT_EQ (types[0]->category, "Fx");
    EXPECT_EQ (types[0]->version, "1.0");
    EXPECT_FALSE (types[0]->isInstrument);

    EXPECT_FALSE (plugin().acceptsMidi());
    EXPECT_FALSE (plugin().producesMidi());
}

TEST_F (HostedVastrel, ListsNineteenParametersThenTheClientBypass)
{
    const auto& parameters = plugin().getParameters();
    ASSERT_EQ (parameters.size(), 20);

    for (int i = 0; i < 19; ++i)
    {
        const auto& row = hostParameters[i];
        auto* hosted = dynamic_cast<juce::HostedAudioProcessorParameter*> (parameters[i]);
        ASSERT_NE (hosted, nullptr);

        SCOPED_TRACE (row.id);
        EXPECT_EQ (hosted->getParameterID(), juce::String (vst3IdFor (row.id)));
        EXPECT_EQ (hosted->getName (128), row.name);
        EXPECT_EQ (hosted->getLabel(), row.label);
        EXPECT_NEAR (hosted->getDefaultValue(), row.normalisedDefault, 1.0e-6f);
        EXPECT_NEAR (hosted->getValue(), row.normalisedDefault, 1.0e-6f);
        EXPECT_EQ (hosted->getText (0.0f, 64), row.minimumText);
        EXPECT_EQ (hosted->getText (1.0f, 64), row.maximumText);
        EXPECT_EQ (hosted->getNumSteps(), row.steps == continuous ? juce::AudioProcessor::getDefaultNumParameterSteps() : row.steps);
        EXPECT_TRUE (hosted->isAutomatable());
    }

    EXPECT_EQ (vst3IdFor ("os"), 3556u);

    auto* bypass = dynamic_cast<juce::HostedAudioProcessorParameter*> (parameters[19]);
    ASSERT_NE (bypass, nullptr);
    EXPECT_EQ (bypass->getName (128), "Bypass");
    EXPECT_EQ (bypass->getParameterID(), juce::String (0x62797073));
    EXPECT_EQ (plugin().getBypassParameter(), parameters[19]);
}

TEST_F (HostedVastrel, OffersMatchingMonoOrStereoOnly)
{
    auto layoutOf = [] (ChannelSet in, ChannelSet out)
    {
        juce::AudioProcessor::BusesLayout layout;
        layout.inputBuses.add (in);
        layout.outputBuses.add (out);
        return layout;
    };

    EXPECT_TRUE  (plugin().checkBusesLayoutSupported (layoutOf (ChannelSet::mono(),   ChannelSet::mono())));
    EXPECT_TRUE  (plugin().checkBusesLayoutSupported (layoutOf (ChannelSet::stereo(), ChannelSet::stereo())));
    EXPECT_FALSE (plugin().checkBusesLayoutSupported (layoutOf (ChannelSet::mono(),   ChannelSet::stereo())));
    EXPECT_FALSE (plugin().checkBusesLayoutSupported (layoutOf (ChannelSet::stereo(), ChannelSet::mono())));
    EXPECT_FALSE (plugin().checkBusesLayoutSupported (layoutOf (ChannelSet::createLCR(), ChannelSet::createLCR())));

    const auto stereo = plugin().getBusesLayout();
    EXPECT_EQ (stereo.getMainInputChannelSet(), ChannelSet::stereo());
    EXPECT_EQ (stereo.getMainOutputChannelSet(), ChannelSet::stereo());

    EXPECT_TRUE (plugin().setBusesLayout (layoutOf (ChannelSet::mono(), ChannelSet::mono())));
    EXPECT_EQ (plugin().getTotalNumOutputChannels(), 1);
}

TEST_F (HostedVastrel, ReportsNoLatencyAtDefaults)
{
    plugin().prepareToPlay (sampleRate, blockSize);
    EXPECT_EQ (plugin().getLatencySamples(), 0);
    plugin().releaseResources();
}

TEST_F (HostedVastrel, StateWithClientBypassOnRestoresBypassAndParameters)
{
    auto& source = plugin();
    parameterFor (source, ParameterIds::output).setValueNotifyingHost (91.0f / 91.0f);   // +10 dB
    parameterFor (source, ParameterIds::ratio).setValueNotifyingHost (0.75f);           // ratio position 4
    parameterFor (source, ParameterIds::typeC).setValueNotifyingHost (1.0f);
    source.getBypassParameter()->setValueNotifyingHost (1.0f);

    juce::MemoryBlock hostState;
    source.getStateInformation (hostState);

    // The processor's tree comes first; the client appends its bypass record behind it.
    const auto chunk = componentChunk (hostState);
    ASSERT_GT (chunk.getSize(), 23u);
    const auto tree = juce::ValueTree::readFromData (chunk.getData(), chunk.getSize());
    EXPECT_EQ (tree.getType().toString(), "VastrelV3");
    EXPECT_EQ (juce::String::fromUTF8 (static_cast<const char*> (chunk.getData()) + chunk.getSize() - 15, 15), "JUCEPrivateData");

    auto second = VastrelHost::loadPlugin (VastrelHost::builtBundle(), sampleRate, blockSize);
    ASSERT_NE (second.instance, nullptr) << second.error;
    auto& restored = *second.instance;
    ASSERT_EQ (restored.getBypassParameter()->getValue(), 0.0f);

    restored.setStateInformation (hostState.getData(), (int) hostState.getSize());

    EXPECT_EQ (restored.getBypassParameter()->getValue(), 1.0f);
    EXPECT_NEAR (parameterFor (restored, ParameterIds::output).getValue(), 1.0f, 1.0e-6f);
    EXPECT_NEAR (parameterFor (restored, ParameterIds::ratio).getValue(), 0.75f, 1.0e-6f);
    EXPECT_EQ (parameterFor (restored, ParameterIds::typeC).getValue(), 1.0f);
    EXPECT_EQ (parameterFor (restored, ParameterIds::typeA).getValue(), 1.0f);
}

namespace
{
    /** Lets the host's run loop and the plug-in's own messages run for a while. */
    void runMessagesFor (int milliseconds)
    {
        const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) milliseconds;

        while (juce::Time::getMillisecondCounter() < end)
            juce::MessageManager::getInstance()->runDispatchLoopUntil (10);
    }

    juce::File settingsFileOfTheRun()
    {
        return juce::File (juce::SystemStats::getEnvironmentVariable ("VASTREL_SETTINGS_FOLDER", {})).getChildFile ("VastrelV3.settings");
    }

    juce::String storedSizeRatio()
    {
        juce::PropertiesFile::Options options;
        options.applicationName = "VastrelV3";
        juce::PropertiesFile file (settingsFileOfTheRun(), options);
        return file.getValue ("sizeRatio");
    }

    void storeSizeRatio (const juce::String& ratio)
    {
        juce::PropertiesFile::Options options;
        options.applicationName = "VastrelV3";
        juce::PropertiesFile file (settingsFileOfTheRun(), options);
        file.setValue ("sizeRatio", ratio);
        ASSERT_TRUE (file.save());
    }

    juce::Rectangle<int> userAreaOfTheScreen()
    {
        const auto* display = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay();
        return display != nullptr ? display->userArea : juce::Rectangle<int>();
    }

    /** The largest size with the design's proportions, 1.5 times the design size at most, that
        fits a room.
    */
    juce::Point<int> largestSizeIn (juce::Point<int> room)
    {
        const auto ratio = std::min ({ 1.5, room.x / 1100.0, room.y / 852.0 });
        return { juce::roundToInt (1100.0 * ratio), juce::roundToInt (852.0 * ratio) };
    }
}

TEST_F (HostedVastrel, PowerOffAndTheHostBypassPassTheInputAtTheReportedLatency)
{
    struct Case { const char* name; bool hostBypass; };
    const Case cases[] = { { "power switch", false }, { "host bypass", true } };

    for (const auto& c : cases)
    {
        for (int index = 0; index < 4; ++index)
        {
            SCOPED_TRACE (juce::String (c.name) + ", os " + juce::String (index));
            auto loadedHere = VastrelHost::loadPlugin (VastrelHost::builtBundle(), sampleRate, blockSize);
            ASSERT_NE (loadedHere.instance, nullptr) << loadedHere.error;
            auto& instance = *loadedHere.instance;

            parameterFor (instance, ParameterIds::oversampling).setValueNotifyingHost ((float) index / 3.0f);
            instance.prepareToPlay (sampleRate, blockSize);

            juce::MidiBuffer midi;
            int position = 0;

            const auto runBlocks = [&] (int numBlocks, juce::AudioBuffer<float>* input, juce::AudioBuffer<float>* output)
            {
                for (int b = 0; b < numBlocks; ++b, position += blockSize)
                {
                    juce::AudioBuffer<float> block (2, blockSize);

                    for (int ch = 0; ch < 2; ++ch)
                        for (int i = 0; i < blockSize; ++i)
                            block.setSample (ch, i, 0.3f * (float) std::sin (0.0251 * (position + i) + ch));

                    if (input != nullptr)
                        input->makeCopyOf (block);

                    instance.processBlock (block, midi);

                    if (output != nullptr)
                        output->makeCopyOf (block);
                }
            };

            runBlocks (8, nullptr, nullptr);

            if (c.hostBypass)
                instance.getBypassParameter()->setValueNotifyingHost (1.0f);
            else
                parameterFor (instance, ParameterIds::power).setValueNotifyingHost (0.0f);

            // 20 ms of crossfade, then the latency as the host has it. The host hears of it through
            // its message loop, which a busy machine may run late.
            runBlocks (4, nullptr, nullptr);
            const int latencies[] = { 0, 9, 11, 13 };
            TestSupport::runUntil ([&] { return instance.getLatencySamples() == latencies[index]; });
            runMessagesFor (100);
            const auto latency = instance.getLatencySamples();
            EXPECT_EQ (latency, latencies[index]);

            juce::AudioBuffer<float> previousInput, input, output;
            runBlocks (1, &previousInput, nullptr);
            runBlocks (1, &input, &output);

            for (int ch = 0; ch < 2; ++ch)
                for (int i = 0; i < blockSize; ++i)
                    ASSERT_EQ (output.getSample (ch, i), i >= latency ? input.getSample (ch, i - latency)
                                                                      : previousInput.getSample (ch, blockSize + i - latency))
                        << "channel " << ch << ", sample " << i;

            instance.releaseResources();
        }
    }
}

// The test run's screen is smaller than 1.5 times the design size: the window grows no further
// than the screen's far corner, and a stored size the screen cannot take is reduced on opening.
TEST_F (HostedVastrel, EditorOpensOnTheDesktopResizesClosesAndOpensAgain)
{
    settingsFileOfTheRun().deleteFile();
    ASSERT_TRUE (plugin().hasEditor());

    const auto screen = userAreaOfTheScreen();
    ASSERT_TRUE (screen.getWidth() < 1650 || screen.getHeight() < 1278) << screen.toString();

    // Opened at (20, 20), with no frame around it on a screen without a window manager.
    const auto largest = largestSizeIn (screen.getBottomRight() - juce::Point<int> (20, 20));

    struct Opening { juce::Point<int> size; };

    // The first opening has no settings file; the second opens at the size the first closed at.
    for (const auto& expected : { Opening { { 825, 639 } }, Opening { largest } })
    {
        auto editor = openEditorOnDesktop();
        ASSERT_NE (editor, nullptr);
        runMessagesFor (300);

        EXPECT_EQ (editor->getWidth(), expected.size.x);
        EXPECT_EQ (editor->getHeight(), expected.size.y);

        // The plug-in keeps the window's proportions; the height may round either way.
        for (const auto width : { 550, 1650 })
        {
            editor->setSize (width, width * 852 / 1100);
            runMessagesFor (200);
            EXPECT_EQ (editor->getWidth(), std::min (width, largest.x));
            EXPECT_NEAR (editor->getHeight(), editor->getWidth() * 852.0 / 1100.0, 1.0);
        }

        const auto area = HostDisplay::areaOf ((unsigned long) (juce::pointer_sized_uint) editor->getPeer()->getNativeHandle());
        EXPECT_TRUE (screen.contains (juce::Rectangle<int> (area.x, area.y, area.width, area.height)))
            << area.x << ", " << area.y << ", " << area.width << ", " << area.height;

        // As a host's window does: the editor goes while its window is still on the desktop, once
        // the window has taken in its last resize. The framework's embedding answers a resize
        // with a call it posts to itself, which must not outlive the editor.
        runMessagesFor (500);
        editor.reset();
        runMessagesFor (100);

        // The plug-in's editor laid itself out at the last size and kept it when it closed.
        EXPECT_NEAR (storedSizeRatio().getDoubleValue(), largest.x / 1100.0, 1.0e-6);
    }

    // Stored on a larger screen: reduced to fit. The host checks the size with the plug-in once
    // the window is up, and the window then fits from where it is.
    storeSizeRatio ("1.5");
    {
        auto editor = openEditorOnDesktop();
        ASSERT_NE (editor, nullptr);
        runMessagesFor (300);

        EXPECT_EQ (editor->getWidth(), largest.x);
        EXPECT_EQ (editor->getHeight(), largest.y);

        editor.reset();
        runMessagesFor (100);
    }

    // Still processing after its editors came and went.
    plugin().prepareToPlay (sampleRate, blockSize);
    juce::AudioBuffer<float> buffer (2, blockSize);
    buffer.clear();
    juce::MidiBuffer midi;
    plugin().processBlock (buffer, midi);
    plugin().releaseResources();
}

namespace
{
    size_t windowsOfWidth (int width)
    {
        const auto windows = HostDisplay::topLevelWindows();
        return (size_t) std::count_if (windows.begin(), windows.end(), [width] (const HostDisplay::Area& a) { return a.width == width; });
    }

    void writePicture (const HostDisplay::Pixels& pixels, const juce::String& name)
    {
        juce::Image picture (juce::Image::RGB, pixels.width, pixels.height, false);

        for (int y = 0; y < pixels.height; ++y)
            for (int x = 0; x < pixels.width; ++x)
                picture.setPixelAt (x, y, juce::Colour (pixels.argb[(size_t) (y * pixels.width + x)]));

        TestSupport::writePng (picture, juce::File (VASTREL_EDITOR_PICTURES).getChildFile (name));
    }
}

// The browser's windows belong to the plug-in: a click on the hosted editor's preset field opens
// them over the dimmed editor, and a click on the editor closes them.
TEST_F (HostedVastrel, PresetBrowserOfTheHostedEditorOpensAndClosesWithTheMouse)
{
    settingsFileOfTheRun().deleteFile();
    auto editor = openEditorOnDesktop();
    ASSERT_NE (editor, nullptr);
    runMessagesFor (500);
    ASSERT_EQ (editor->getWidth(), 825);

    const auto area = HostDisplay::areaOf ((unsigned long) (juce::pointer_sized_uint) editor->getPeer()->getNativeHandle());
    ASSERT_EQ (windowsOfWidth (270), 0u);

    // The preset field's centre: (461, 31) of the design at 0.75.
    ASSERT_TRUE (HostDisplay::clickAt (area.x + 345, area.y + 23));
    runMessagesFor (500);

    // The category menu and the list of the current preset's category, both 270 wide.
    const auto windows = HostDisplay::topLevelWindows();
    EXPECT_EQ (windowsOfWidth (270), 2u);

    HostDisplay::Area shown = area;

    for (const auto& window : windows)
    {
        const auto right = std::max (shown.x + shown.width, window.x + window.width);
        const auto bottom = std::max (shown.y + shown.height, window.y + window.height);
        shown.x = std::min (shown.x, window.x);
        shown.y = std::min (shown.y, window.y);
        shown.width = right - shown.x;
        shown.height = bottom - shown.y;
    }

    writePicture (HostDisplay::capture (shown), "hosted-browser.png");

    // A click on the dimmed editor closes the browser.
    ASSERT_TRUE (HostDisplay::clickAt (area.x + 400, area.y + 400));
    runMessagesFor (300);
    EXPECT_EQ (windowsOfWidth (270), 0u);

    editor.reset();
    runMessagesFor (100);
}

namespace
{
    /** Counts the gestures the hosted plug-in announces, as a host's automation recorder hears them. */
    class HostGestureCounter final : private juce::AudioProcessorParameter::Listener
    {
    public:
        explicit HostGestureCounter (juce::AudioPluginInstance& instanceToWatch) : instance (instanceToWatch)
        {
            for (auto* p : instance.getParameters())
                p->addListener (this);
        }

        ~HostGestureCounter() override
        {
            for (auto* p : instance.getParameters())
                p->removeListener (this);
        }

        juce::StringArray gestures;

    private:
        void parameterValueChanged (int, float) override {}

        void parameterGestureChanged (int index, bool starting) override
        {
            gestures.add (instance.getParameters()[index]->getName (64) + (starting ? " begins" : " ends"));
        }

        juce::AudioPluginInstance& instance;
    };
}

// Loads with the editor open reach the host as new values only, never as gestures, which a host
// records as the user touching a control: a state the host recalls, and a preset the editor's
// next button steps to, whose file turns type D on before it turns type A off.
TEST_F (HostedVastrel, LoadsWithTheEditorOpenSendNoGestures)
{
    settingsFileOfTheRun().deleteFile();
    const auto presetFolder = juce::File::getSpecialLocation (juce::File::userApplicationDataDirectory)
                                  .getChildFile ("Application Support/Brassock Presets/VastrelV3");
    ASSERT_TRUE (presetFolder.getChildFile ("Zeta.rcp").replaceWithText (
        "<VastrelV3 Current_Selected_Preset=\"Zeta\" Preset_Has_Been_Modified=\"0\">"
        "<PARAM id=\"TypeD power\" value=\"1\"/><PARAM id=\"TypeA power\" value=\"0\"/>"
        "<PARAM id=\"EqP power\" value=\"1\"/></VastrelV3>"));

    parameterFor (plugin(), "TypeA power").setValueNotifyingHost (0.0f);
    parameterFor (plugin(), "TypeC power").setValueNotifyingHost (1.0f);
    parameterFor (plugin(), "EqP power").setValueNotifyingHost (0.0f);

    // A fresh instance's state: type A, the EQ on.
    auto fresh = VastrelHost::loadPlugin (VastrelHost::builtBundle(), sampleRate, blockSize);
    ASSERT_NE (fresh.instance, nullptr) << fresh.error;
    juce::MemoryBlock defaults;
    fresh.instance->getStateInformation (defaults);

    auto editor = openEditorOnDesktop();
    ASSERT_NE (editor, nullptr);
    runMessagesFor (300);
    ASSERT_EQ (editor->getWidth(), 825);

    {
        HostGestureCounter counter (plugin());
        plugin().setStateInformation (defaults.getData(), (int) defaults.getSize());
        runMessagesFor (300);
        EXPECT_EQ (counter.gestures.joinIntoString (", "), "") << "state recall";
    }

    EXPECT_EQ (parameterFor (plugin(), "TypeA power").getValue(), 1.0f);
    EXPECT_EQ (parameterFor (plugin(), "TypeC power").getValue(), 0.0f);
    EXPECT_EQ (parameterFor (plugin(), "EqP power").getValue(), 1.0f);

    {
        // The next button's centre: (643, 31) of the design at 0.75; "Zeta" follows "Default".
        HostGestureCounter counter (plugin());
        const auto area = HostDisplay::areaOf ((unsigned long) (juce::pointer_sized_uint) editor->getPeer()->getNativeHandle());
        ASSERT_TRUE (HostDisplay::clickAt (area.x + 482, area.y + 23));
        runMessagesFor (500);
        EXPECT_EQ (counter.gestures.joinIntoString (", "), "") << "preset";
    }

    EXPECT_EQ (parameterFor (plugin(), "TypeD power").getValue(), 1.0f);
    EXPECT_EQ (parameterFor (plugin(), "TypeA power").getValue(), 0.0f);

    editor.reset();
    runMessagesFor (100);
}

namespace
{
    /** How many pixels of two captures of one area differ. */
    int differingPixels (const HostDisplay::Pixels& a, const HostDisplay::Pixels& b)
    {
        if (a.argb.size() != b.argb.size())
            return -1;

        auto count = 0;

        for (size_t i = 0; i < a.argb.size(); ++i)
            count += a.argb[i] != b.argb[i] ? 1 : 0;

        return count;
    }

    /** A quick click of the display's pointer, as a user's hand makes it. */
    void quickClickAt (int screenX, int screenY)
    {
        ASSERT_TRUE (TestPointer::moveTo (screenX, screenY));
        runMessagesFor (100);
        ASSERT_TRUE (TestPointer::setLeftButton (true));
        ASSERT_TRUE (TestPointer::setLeftButton (false));
        runMessagesFor (300);
    }
}

// The about panel of the hosted editor, opened with a quick click on the logo and closed with
// Escape on the keyboard. The host's window may take the keyboard focus back after the click, as
// a window manager and a host do: the server then still sends the keys to the plug-in's window
// while the pointer is over it. With the pointer elsewhere the keys go to the host's window, which
// keeps them, until a click into the plug-in gives it the focus again.
TEST_F (HostedVastrel, EscapeOnTheKeyboardClosesTheAboutPanelOfTheHostedEditor)
{
    settingsFileOfTheRun().deleteFile();

    struct Case { const char* name; bool hostTakesTheFocus, pointerOnThePlugIn, clickOnThePanel, closes; };

    for (const auto& c : { Case { "focus kept", false, true, false, true },
                           Case { "the host takes the focus back", true, true, false, true },
                           Case { "the host takes the focus, the pointer elsewhere", true, false, false, false },
                           Case { "the host takes the focus, then a click on the panel", true, false, true, true } })
    {
        SCOPED_TRACE (c.name);
        auto editor = openEditorOnDesktop();
        ASSERT_NE (editor, nullptr);
        runMessagesFor (500);
        ASSERT_EQ (editor->getWidth(), 825);

        const auto hostWindow = (unsigned long) (juce::pointer_sized_uint) editor->getPeer()->getNativeHandle();
        const auto window = HostDisplay::areaOf (hostWindow);
        const HostDisplay::Area panelArea { window.x + 242, window.y + 174, 340, 290 };
        const auto closed = HostDisplay::capture (panelArea);
        ASSERT_TRUE (closed.error.empty()) << closed.error;

        // The logo's centre: (34, 31) of the design at 0.75.
        quickClickAt (window.x + 25, window.y + 23);
        ASSERT_GT (differingPixels (closed, HostDisplay::capture (panelArea)), 10000) << "the panel did not open";

        if (! c.hostTakesTheFocus)
            writePicture (HostDisplay::capture (window), "hosted-about-box.png");

        if (c.hostTakesTheFocus)
        {
            ASSERT_TRUE (TestKeyboard::focusWindow (hostWindow));
            runMessagesFor (200);
        }

        // On the panel away from its close box and link.
        if (c.clickOnThePanel)
            quickClickAt (panelArea.x + 170, panelArea.y + 150);

        if (c.pointerOnThePlugIn)
            ASSERT_TRUE (TestPointer::moveTo (panelArea.x + 170, panelArea.y + 150));
        else
            ASSERT_TRUE (TestPointer::moveTo (window.x + window.width + 50, window.y + 50));

        runMessagesFor (100);
        ASSERT_TRUE (TestKeyboard::pressEscape());
        runMessagesFor (300);

        const auto after = HostDisplay::capture (panelArea);

        if (c.closes)
            EXPECT_EQ (differingPixels (closed, after), 0);
        else
            EXPECT_GT (differingPixels (closed, after), 10000);

        editor.reset();
        runMessagesFor (100);
    }
}
