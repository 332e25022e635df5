// Preset files, favourites and the flat preset list. Every file lives under the temporary HOME
// that TestMain sets up, so the user application-data folder here is never the real one.

#include "support/PresetPaths.h"
#include "support/ResourceLimit.h"
#include "support/TestSupport.h"
#include "presets/PresetBox.h"
#include "presets/PresetListing.h"

#include <gtest/gtest.h>


#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace
{
    const juce::Identifier currentPresetId ("Current_Selected_Preset");
    const juce::Identifier modifiedId ("Preset_Has_Been_Modified");

    juce::File presetFolder()
    {
        return juce::File::getSpecialLocation (juce::File::userApplicationDataDirectory)
            .getChildFile ("Application Support/Brassock Presets/VastrelV3");
    }

    std::string bytesOf (const juce::MemoryBlock& block)
    {
        return block.isEmpty() ? std::string() : std::string (static_cast<const char*> (block.getData()), block.getSize());
    }

    std::string bytesOf (const juce::File& file)
    {
        juce::MemoryBlock block;
        file.loadFileAsData (block);
        return bytesOf (block);
    }

    void writeBytes (const juce::File& file, const std::string& bytes)
    {
        ASSERT_TRUE (file.getParentDirectory().createDirectory());
        file.deleteFile();

        juce::FileOutputStream out (file);
        ASSERT_TRUE (out.openedOk()) << file.getFullPathName();
        ASSERT_TRUE (out.write (bytes.data(), bytes.size()));
    }

    juce::RangedAudioParameter& parameter (QuorlinAudioProcessor& processor, const juce::String& id)
    {
        auto* p = processor.apvts->getParameter (id);
        EXPECT_NE (p, nullptr) << id;
        return *p;
    }

    void setValue (QuorlinAudioProcessor& processor, const juce::String& id, float value)
    {
        auto& p = parameter (processor, id);
        p.setValueNotifyingHost (p.convertTo0to1 (value));
    }

    float valueOf (QuorlinAudioProcessor& processor, const juce::String& id)
    {
        return processor.apvts->getRawParameterValue (id)->load();
    }

    using TestSupport::parameterIds;

    juce::MemoryBlock stateBlockOf (QuorlinAudioProcessor& processor)
    {
        juce::MemoryBlock block;
        processor.getStateInformation (block);
        return block;
    }

    juce::ValueTree stateTreeOf (QuorlinAudioProcessor& processor)
    {
        const auto block = stateBlockOf (processor);
        return juce::ValueTree::readFromData (block.getData(), block.getSize());
    }

    // "Default.rcp" of a first start: the declaration, a blank line, the root with the two root
    // properties, and the parameters in the order the parameter state keeps its children.
    const std::string defaultPresetText =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
        "\r\n"
        "<VastrelV3 Current_Selected_Preset=\"Default\" Preset_Has_Been_Modified=\"0\">\r\n"
        "  <PARAM id=\"ComP power\" value=\"1.0\"/>\r\n"
        "  <PARAM id=\"EqP power\" value=\"1.0\"/>\r\n"
        "  <PARAM id=\"TypeA power\" value=\"1.0\"/>\r\n"
        "  <PARAM id=\"TypeB power\" value=\"0.0\"/>\r\n"
        "  <PARAM id=\"TypeC power\" value=\"0.0\"/>\r\n"
        "  <PARAM id=\"TypeD power\" value=\"0.0\"/>\r\n"
        "  <PARAM id=\"knob1\" value=\"0.0\"/>\r\n"
        "  <PARAM id=\"knob10\" value=\"1.0\"/>\r\n"
        "  <PARAM id=\"knob11\" value=\"1.0\"/>\r\n"
        "  <PARAM id=\"knob2\" value=\"0.0\"/>\r\n"
        "  <PARAM id=\"knob3\" value=\"0.0\"/>\r\n"
        "  <PARAM id=\"knob4\" value=\"20.0\"/>\r\n"
        "  <PARAM id=\"knob5\" value=\"0.0\"/>\r\n"
        "  <PARAM id=\"knob6\" value=\"0.0\"/>\r\n"
        "  <PARAM id=\"knob7\" value=\"100.0\"/>\r\n"
        "  <PARAM id=\"knob8\" value=\"-10.0\"/>\r\n"
        "  <PARAM id=\"knob9\" value=\"1.0\"/>\r\n"
        "  <PARAM id=\"os\" value=\"0.0\"/>\r\n"
        "  <PARAM id=\"poweR power\" value=\"1.0\"/>\r\n"
        "</VastrelV3>\r\n";

    /** Records what the manager asked and answers with a prepared file: at once, as a user who
        answers before anything else happens, or, when told to hold, whenever the test says.
    */
    struct DialogScript
    {
        juce::File answer;
        int saveRequests = 0, openRequests = 0;
        juce::String title, pattern;
        juce::File shownFile;
        bool holdAnswers = false;
        PresetFileChooser::Answer heldAnswer;
    };

    class ScriptedFileChooser final : public PresetFileChooser
    {
    public:
        explicit ScriptedFileChooser (DialogScript& scriptToUse) : script (scriptToUse) {}

        void chooseFileToSave (const juce::String& title, const juce::File& initialFile, const juce::String& pattern, Answer onChosen) override
        {
            ++script.saveRequests;
            record (title, initialFile, pattern, std::move (onChosen));
        }

        void chooseFileToOpen (const juce::String& title, const juce::File& initialFolder, const juce::String& pattern, Answer onChosen) override
        {
            ++script.openRequests;
            record (title, initialFolder, pattern, std::move (onChosen));
        }

    private:
        void record (const juce::String& title, const juce::File& shown, const juce::String& pattern, Answer onChosen)
        {
            script.title = title;
            script.shownFile = shown;
            script.pattern = pattern;

            if (script.holdAnswers)
                script.heldAnswer = std::move (onChosen);
            else
                onChosen (script.answer);
        }

        DialogScript& script;
    };

    /** Each test starts without a preset folder and builds its instance when it is ready. */
    class PresetFiles : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            ASSERT_TRUE (presetFolder().isAChildOf (juce::File::getSpecialLocation (juce::File::userHomeDirectory)));
            ASSERT_TRUE (juce::File::getSpecialLocation (juce::File::userHomeDirectory).getFullPathName().startsWith ("/tmp/"));

            presetFolder().setReadOnly (false, true);
            presetFolder().deleteRecursively();
            ASSERT_FALSE (presetFolder().exists());
        }

        void TearDown() override
        {
            processor.reset();
            presetFolder().setReadOnly (false, true);
        }

        void start()
        {
            processor = std::make_unique<QuorlinAudioProcessor>();
            manager().setFileChooser (std::make_unique<ScriptedFileChooser> (dialogs));
        }

        ProcessorPresetManager& manager()       { return *processor->presetManager; }
        juce::ValueTree state()                 { return processor->apvts->state; }
        juce::File preset (const char* path)    { return presetFolder().getChildFile (path); }

        void setNameAndFlag (const juce::String& name, bool modified)
        {
            state().setProperty (currentPresetId, name, nullptr);
            state().setProperty (modifiedId, modified, nullptr);
        }

        DialogScript dialogs;
        std::unique_ptr<QuorlinAudioProcessor> processor;
    };
}

//==============================================================================
TEST_F (PresetFiles, FirstStartCreatesTheFolderAndWritesDefault)
{
    start();

    EXPECT_TRUE (presetFolder().isDirectory());
    EXPECT_EQ (bytesOf (preset ("Default.rcp")), defaultPresetText);
    EXPECT_EQ (state()[currentPresetId].toString(), "Default");
    EXPECT_FALSE ((bool) state()[modifiedId]);
    EXPECT_EQ (manager().presetExtension, ".rcp");
    EXPECT_EQ (manager().presetFolder, presetFolder());
}

TEST_F (PresetFiles, StartWithDefaultPresentWritesNothingAndReadsFavourites)
{
    const std::string handMade = "<VastrelV3 Current_Selected_Preset=\"Mine\"/>";
    writeBytes (preset ("Default.rcp"), handMade);
    writeBytes (preset ("Favorites.txt"), "User/A.rcp\r\nB.rcp\r\n");

    const auto longAgo = juce::Time (2001, 0, 1, 0, 0);
    ASSERT_TRUE (preset ("Default.rcp").setLastModificationTime (longAgo));

    start();

    EXPECT_EQ (bytesOf (preset ("Default.rcp")), handMade);
    EXPECT_EQ (preset ("Default.rcp").getLastModificationTime(), longAgo);
    EXPECT_EQ (presetFolder().getNumberOfChildFiles (juce::File::findFilesAndDirectories), 2);
    EXPECT_EQ (state()[currentPresetId].toString(), "Default");
    EXPECT_EQ (manager().favoritesManager->favorites, juce::StringArray ({ "User/A.rcp", "B.rcp" }));
}

TEST_F (PresetFiles, DefaultThatIsAFolderKeepsWhatItHolds)
{
    writeBytes (preset ("Default.rcp/Inner.rcp"), "inner");

    start();

    EXPECT_TRUE (preset ("Default.rcp").isDirectory());
    EXPECT_EQ (bytesOf (preset ("Default.rcp/Inner.rcp")), "inner");
    EXPECT_EQ (presetFolder().getNumberOfChildFiles (juce::File::findFilesAndDirectories), 1);
    EXPECT_EQ (state()[currentPresetId].toString(), "Default");
    EXPECT_FALSE ((bool) state()[modifiedId]);
}

TEST_F (PresetFiles, SaveWritesTheNewestValuesByteForByte)
{
    start();
    setNameAndFlag ("Before", true);

    // Set just before the save, without a timer tick in between.
    setValue (*processor, "ComP power", 0.0f);
    setValue (*processor, "TypeA power", 0.0f);
    setValue (*processor, "TypeC power", 1.0f);
    setValue (*processor, "os", 2.0f);
    setValue (*processor, "knob1", 24.0f);
    setValue (*processor, "knob3", -10.0f);
    setValue (*processor, "knob7", 0.0f);
    setValue (*processor, "knob8", -81.0f);
    setValue (*processor, "knob9", 3.0f);
    setValue (*processor, "knob10", 6.0f);
    setValue (*processor, "knob11", 2.0f);

    // A name this long pushes the second root attribute past the 60-character wrap.
    const auto file = preset ("Warm Tape Bus With Gentle Glue And Air.rcp");
    manager().savePresetInternal (file);

    const std::string expected =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
        "\r\n"
        "<VastrelV3 Current_Selected_Preset=\"Warm Tape Bus With Gentle Glue And Air\"\r\n"
        "           Preset_Has_Been_Modified=\"0\">\r\n"
        "  <PARAM id=\"ComP power\" value=\"0.0\"/>\r\n"
        "  <PARAM id=\"EqP power\" value=\"1.0\"/>\r\n"
        "  <PARAM id=\"TypeA power\" value=\"0.0\"/>\r\n"
        "  <PARAM id=\"TypeB power\" value=\"0.0\"/>\r\n"
        "  <PARAM id=\"TypeC power\" value=\"1.0\"/>\r\n"
        "  <PARAM id=\"TypeD power\" value=\"0.0\"/>\r\n"
        "  <PARAM id=\"knob1\" value=\"24.0\"/>\r\n"
        "  <PARAM id=\"knob10\" value=\"6.0\"/>\r\n"
        "  <PARAM id=\"knob11\" value=\"2.0\"/>\r\n"
        "  <PARAM id=\"knob2\" value=\"0.0\"/>\r\n"
        "  <PARAM id=\"knob3\" value=\"-10.0\"/>\r\n"
        "  <PARAM id=\"knob4\" value=\"20.0\"/>\r\n"
        "  <PARAM id=\"knob5\" value=\"0.0\"/>\r\n"
        "  <PARAM id=\"knob6\" value=\"0.0\"/>\r\n"
        "  <PARAM id=\"knob7\" value=\"0.0\"/>\r\n"
        "  <PARAM id=\"knob8\" value=\"-81.0\"/>\r\n"
        "  <PARAM id=\"knob9\" value=\"3.0\"/>\r\n"
        "  <PARAM id=\"os\" value=\"2.0\"/>\r\n"
        "  <PARAM id=\"poweR power\" value=\"1.0\"/>\r\n"
        "</VastrelV3>\r\n";

    EXPECT_EQ (bytesOf (file), expected);
    EXPECT_EQ (state()[currentPresetId].toString(), "Warm Tape Bus With Gentle Glue And Air");
    EXPECT_FALSE ((bool) state()[modifiedId]);
}

TEST_F (PresetFiles, SavingOntoAnExistingNameReplacesIt)
{
    start();
    const auto file = preset ("User/Lead.rcp");
    ASSERT_TRUE (file.getParentDirectory().createDirectory());

    setValue (*processor, "knob9", 2.0f);
    manager().savePresetInternal (file);

    setNameAndFlag ("Something Else", true);
    setValue (*processor, "knob9", 5.0f);
    manager().savePresetInternal (file);

    const auto saved = juce::ValueTree::fromXml (file.loadFileAsString());
    EXPECT_EQ (saved["Current_Selected_Preset"].toString(), "Lead");
    EXPECT_EQ (saved["Preset_Has_Been_Modified"].toString(), "0");
    EXPECT_EQ (saved.getChildWithProperty ("id", "knob9")["value"].toString(), "5.0");
    EXPECT_EQ (file.getParentDirectory().getNumberOfChildFiles (juce::File::findFilesAndDirectories), 1);
    EXPECT_EQ (state()[currentPresetId].toString(), "Lead");
}

TEST_F (PresetFiles, LoadRestoresEveryParameterAndTheNameStoredInside)
{
    start();
    const auto ids = parameterIds (*processor);
    ASSERT_EQ (ids.size(), 19);

    std::vector<float> saved;

    for (const auto& id : ids)
    {
        parameter (*processor, id).setValueNotifyingHost (0.75f);
        saved.push_back (valueOf (*processor, id));
    }

    manager().savePresetInternal (preset ("Bright.rcp"));
    ASSERT_TRUE (preset ("Bright.rcp").moveFileTo (preset ("Renamed.rcp")));

    for (const auto& id : ids)
        parameter (*processor, id).setValueNotifyingHost (0.25f);

    setNameAndFlag ("Other", true);
    manager().loadPreset (preset ("Renamed.rcp"));

    for (int i = 0; i < ids.size(); ++i)
        EXPECT_EQ (valueOf (*processor, ids[i]), saved[(size_t) i]) << ids[i];

    EXPECT_EQ (state()[currentPresetId].toString(), "Bright");
    EXPECT_FALSE ((bool) state()[modifiedId]);
    EXPECT_EQ (state().getType().toString(), "VastrelV3");
    EXPECT_EQ (dialogs.openRequests, 0);
}

TEST_F (PresetFiles, CurrentNameAndFlagAreTheStatesRootProperties)
{
    start();
    EXPECT_EQ (manager().getCurrentPresetName(), "Default");
    EXPECT_FALSE (manager().isCurrentPresetModified());

    setNameAndFlag ("Mid B", true);
    EXPECT_EQ (manager().getCurrentPresetName(), "Mid B");
    EXPECT_TRUE (manager().isCurrentPresetModified());

    manager().forgetCurrentPreset();
    EXPECT_EQ (state()[currentPresetId].toString(), "");
    EXPECT_FALSE ((bool) state()[modifiedId]);
    EXPECT_TRUE (state().hasProperty (modifiedId));
}

TEST_F (PresetFiles, HandEditedRootPropertiesAreTakenAsTheyAre)
{
    struct Case
    {
        const char* text;
        bool hasName, hasFlag;
        const char* name;
        bool flag;
    };

    // Root element names other than the tree type are accepted; the state keeps its own type.
    const Case cases[] = {
        { "<Anything><PARAM id=\"knob9\" value=\"4\"/></Anything>", false, false, "", false },
        { "<VastrelV3 Preset_Has_Been_Modified=\"1\" Current_Selected_Preset=\"Edited\">"
          "<PARAM id=\"knob9\" value=\"4\"/></VastrelV3>", true, true, "Edited", true },
        { "<VastrelV3 Current_Selected_Preset=\"Only Name\"><PARAM id=\"knob9\" value=\"4\"/></VastrelV3>",
          true, false, "Only Name", false },
    };

    start();

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.text);
        setNameAndFlag ("Before", false);
        setValue (*processor, "knob9", 1.0f);
        writeBytes (preset ("Edited.rcp"), c.text);

        manager().loadPreset (preset ("Edited.rcp"));

        EXPECT_EQ (state().getType().toString(), "VastrelV3");
        EXPECT_EQ (state().hasProperty (currentPresetId), c.hasName);
        EXPECT_EQ (state().hasProperty (modifiedId), c.hasFlag);
        EXPECT_EQ (state()[currentPresetId].toString(), c.name);
        EXPECT_EQ ((bool) state()[modifiedId], c.flag);
        EXPECT_EQ (valueOf (*processor, "knob9"), 4.0f);
    }
}

TEST_F (PresetFiles, ParametersMissingFromTheFileKeepTheirValuesAndStayLive)
{
    start();
    setValue (*processor, "knob1", 12.0f);
    setValue (*processor, "knob8", -20.0f);
    writeBytes (preset ("Partial.rcp"),
                "<VastrelV3 Current_Selected_Preset=\"Partial\" Preset_Has_Been_Modified=\"0\">\r\n"
                "  <PARAM id=\"knob9\" value=\"4.0\"/>\r\n"
                "</VastrelV3>\r\n");

    manager().loadPreset (preset ("Partial.rcp"));

    EXPECT_EQ (valueOf (*processor, "knob1"), 12.0f);
    EXPECT_EQ (valueOf (*processor, "knob9"), 4.0f);
    EXPECT_EQ (valueOf (*processor, "knob8"), -20.0f);

    for (const auto& id : parameterIds (*processor))
    {
        int children = 0;

        for (const auto& child : state())
            children += child["id"].toString() == id ? 1 : 0;

        EXPECT_EQ (children, 1) << id;
    }

    // Changes after the load must reach the host state and the next preset.
    setValue (*processor, "knob1", 6.0f);
    EXPECT_EQ (stateTreeOf (*processor).getChildWithProperty ("id", "knob1")["value"].toString(), "6.0");

    manager().savePresetInternal (preset ("Partial Again.rcp"));
    EXPECT_TRUE (bytesOf (preset ("Partial Again.rcp")).find ("<PARAM id=\"knob1\" value=\"6.0\"/>\r\n") != std::string::npos);
}

TEST_F (PresetFiles, NonXmlFileHoldingAStateBlockRestoresIt)
{
    start();
    setValue (*processor, "knob10", 5.0f);
    setValue (*processor, "EqP power", 0.0f);
    setNameAndFlag ("From Block", true);
    const auto block = stateBlockOf (*processor);
    writeBytes (preset ("Block.rcp"), bytesOf (block));

    setValue (*processor, "knob10", 1.0f);
    setValue (*processor, "EqP power", 1.0f);
    setNameAndFlag ("Other", false);

    manager().loadPreset (preset ("Block.rcp"));

    EXPECT_EQ (valueOf (*processor, "knob10"), 5.0f);
    EXPECT_EQ (valueOf (*processor, "EqP power"), 0.0f);
    EXPECT_EQ (state()[currentPresetId].toString(), "From Block");
    EXPECT_TRUE ((bool) state()[modifiedId]);
}

TEST_F (PresetFiles, UnreadableFilesChangeNothing)
{
    auto broken = defaultPresetText;
    broken.replace (broken.find ("\"20.0\""), 6, "\"20.0");

    const std::pair<const char*, std::string> cases[] = {
        { "zero bytes", std::string() },
        { "empty type name", std::string ("\0\x01\x02\x03", 4) },
        { "foreign bytes", "this is no preset at all" },
        { "unmatched quote", broken },
        { "cut short", defaultPresetText.substr (0, defaultPresetText.size() / 2) },
        { "missing end tag", defaultPresetText.substr (0, defaultPresetText.find ("</VastrelV3>")) },
    };

    start();
    setValue (*processor, "knob4", 40.0f);
    setNameAndFlag ("Keep", true);
    const auto before = stateBlockOf (*processor);

    for (const auto& [what, bytes] : cases)
    {
        SCOPED_TRACE (what);
        writeBytes (preset ("Broken.rcp"), bytes);

        manager().loadPreset (preset ("Broken.rcp"));

        EXPECT_EQ (stateBlockOf (*processor), before);
        EXPECT_EQ (valueOf (*processor, "knob4"), 40.0f);
        EXPECT_EQ (state()[currentPresetId].toString(), "Keep");
        EXPECT_TRUE ((bool) state()[modifiedId]);
    }

    EXPECT_EQ (dialogs.openRequests, 0);
}

//==============================================================================
TEST_F (PresetFiles, SaveWithoutAFileAsksWhereToWrite)
{
    start();
    ASSERT_TRUE (preset ("User").createDirectory());
    setValue (*processor, "knob9", 4.0f);

    dialogs.answer = preset ("User/Chosen.rcp");
    manager().savePresetInternal ({});

    EXPECT_EQ (dialogs.saveRequests, 1);
    EXPECT_EQ (dialogs.title, "Choose output file location...");
    EXPECT_EQ (dialogs.shownFile, preset ("New Preset.rcp"));
    EXPECT_EQ (dialogs.pattern, "*.rcp");
    EXPECT_EQ (juce::ValueTree::fromXml (preset ("User/Chosen.rcp").loadFileAsString())
                   .getChildWithProperty ("id", "knob9")["value"].toString(),
               "4.0");
    EXPECT_EQ (state()[currentPresetId].toString(), "Chosen");

    // The framework's bracket numbering puts no space before the bracket.
    writeBytes (preset ("New Preset.rcp"), "taken");
    manager().savePresetInternal ({});
    EXPECT_EQ (dialogs.shownFile, preset ("New Preset(2).rcp"));

    writeBytes (preset ("New Preset(2).rcp"), "taken");
    manager().savePresetInternal ({});
    EXPECT_EQ (dialogs.shownFile, preset ("New Preset(3).rcp"));
}

TEST_F (PresetFiles, CancelledSaveDialogChangesNothing)
{
    start();
    setNameAndFlag ("Keep", true);
    const auto before = stateBlockOf (*processor);

    manager().savePresetInternal ({});

    EXPECT_EQ (dialogs.saveRequests, 1);
    EXPECT_EQ (stateBlockOf (*processor), before);
    EXPECT_EQ (presetFolder().findChildFiles (juce::File::findFilesAndDirectories, true).size(), 1);
}

TEST_F (PresetFiles, LoadWithoutAnExistingFileAsksWhichToLoad)
{
    start();
    setValue (*processor, "knob11", 6.0f);
    manager().savePresetInternal (preset ("Picked.rcp"));

    const juce::File asked[] = { juce::File(), preset ("Gone.rcp") };

    for (const auto& file : asked)
    {
        SCOPED_TRACE (file.getFullPathName());

        setValue (*processor, "knob11", 1.0f);
        setNameAndFlag ("Keep", true);
        const auto before = stateBlockOf (*processor);

        dialogs = {};
        manager().loadPreset (file);

        EXPECT_EQ (dialogs.openRequests, 1);
        EXPECT_EQ (dialogs.title, "Choose preset...");
        EXPECT_EQ (dialogs.shownFile, presetFolder());
        EXPECT_EQ (dialogs.pattern, "*.rcp");
        EXPECT_EQ (stateBlockOf (*processor), before);

        dialogs.answer = preset ("Picked.rcp");
        manager().loadPreset (file);

        EXPECT_EQ (valueOf (*processor, "knob11"), 6.0f);
        EXPECT_EQ (state()[currentPresetId].toString(), "Picked");
    }
}

// The dialogs answer after the call has returned: nothing changes while one is open; a
// confirmed answer then loads or saves, and a cancel changes nothing.
TEST_F (PresetFiles, FileDialogsAnswerAfterTheCallHasReturned)
{
    start();
    setValue (*processor, "knob11", 6.0f);
    manager().savePresetInternal (preset ("Picked.rcp"));
    setValue (*processor, "knob11", 1.0f);
    setNameAndFlag ("Keep", true);
    dialogs.holdAnswers = true;

    struct Row { const char* what; bool save; const char* answer; const char* name; };

    const Row rows[] = {
        { "open, cancelled",  false, nullptr,      "Keep" },
        { "save, cancelled",  true,  nullptr,      "Keep" },
        { "open, confirmed",  false, "Picked.rcp", "Picked" },
        { "save, confirmed",  true,  "Later.rcp",  "Later" },
    };

    for (const auto& row : rows)
    {
        SCOPED_TRACE (row.what);
        const auto before = stateBlockOf (*processor);
        const auto filesBefore = presetFolder().findChildFiles (juce::File::findFilesAndDirectories, true).size();
        dialogs.heldAnswer = nullptr;

        if (row.save)
            manager().savePresetInternal ({});
        else
            manager().loadPreset (preset ("Gone.rcp"));

        ASSERT_TRUE (dialogs.heldAnswer != nullptr);
        EXPECT_EQ (dialogs.title, row.save ? "Choose output file location..." : "Choose preset...");
        EXPECT_EQ (stateBlockOf (*processor), before);

        std::exchange (dialogs.heldAnswer, nullptr) (row.answer != nullptr ? preset (row.answer) : juce::File());
        EXPECT_EQ (state()[currentPresetId].toString(), row.name);

        if (row.answer == nullptr)
        {
            EXPECT_EQ (stateBlockOf (*processor), before);
            EXPECT_EQ (presetFolder().findChildFiles (juce::File::findFilesAndDirectories, true).size(), filesBefore);
        }
    }

    EXPECT_EQ (valueOf (*processor, "knob11"), 6.0f);
    EXPECT_TRUE (preset ("Later.rcp").existsAsFile());
    EXPECT_EQ (manager().sourceFileOf ("Later"), preset ("Later.rcp"));
}

// The file a preset came from is known while the current name is the one that file gave.
TEST_F (PresetFiles, SourceFileFollowsLoadsAndSavesWhileTheirNameHolds)
{
    start();
    EXPECT_EQ (manager().sourceFileOf ("Default"), preset ("Default.rcp"));

    manager().savePresetInternal (preset ("User/Mine.rcp"));
    EXPECT_EQ (manager().sourceFileOf ("Mine"), juce::File()) << "no \"User\" folder, nothing written";

    ASSERT_TRUE (preset ("User").createDirectory());
    manager().savePresetInternal (preset ("User/Mine.rcp"));
    EXPECT_EQ (manager().sourceFileOf ("Mine"), preset ("User/Mine.rcp"));
    EXPECT_EQ (manager().sourceFileOf ("Other"), juce::File());
    EXPECT_EQ (manager().sourceFileOf (""), juce::File());

    // A file renamed on disk loads under the name stored inside it.
    ASSERT_TRUE (preset ("User/Mine.rcp").copyFileTo (preset ("Renamed.rcp")));
    manager().loadPreset (preset ("Renamed.rcp"));
    EXPECT_EQ (state()[currentPresetId].toString(), "Mine");
    EXPECT_EQ (manager().sourceFileOf ("Mine"), preset ("Renamed.rcp"));

    // A file that loads nothing is not where the current preset came from.
    writeBytes (preset ("Broken.rcp"), "this is no preset at all");
    manager().loadPreset (preset ("Broken.rcp"));
    EXPECT_EQ (manager().sourceFileOf ("Mine"), preset ("Renamed.rcp"));

    preset ("Renamed.rcp").deleteFile();
    EXPECT_EQ (manager().sourceFileOf ("Mine"), juce::File());
}

//==============================================================================
namespace
{
    bool canCreateFileIn (const juce::File& folder)
    {
        const auto probe = folder.getChildFile ("probe");
        const auto created = probe.create().wasOk();
        probe.deleteFile();
        return created;
    }
}

TEST_F (PresetFiles, FailedSaveKeepsTheOldFileTheNameAndTheFlag)
{
    start();
    manager().savePresetInternal (preset ("Keep.rcp"));
    const auto oldDefault = bytesOf (preset ("Default.rcp"));
    const auto oldKeep = bytesOf (preset ("Keep.rcp"));

    setValue (*processor, "knob9", 5.0f);
    setNameAndFlag ("Current", true);
    const auto before = stateBlockOf (*processor);

    // Into a "folder" that is a regular file.
    manager().savePresetInternal (preset ("Default.rcp/Inside.rcp"));

    {
        // Onto an existing preset while the temporary file cannot be created.
        TestSupport::ResourceLimit noFiles (RLIMIT_NOFILE, 0);
        ASSERT_TRUE (noFiles.applied);
        manager().savePresetInternal (preset ("Keep.rcp"));
    }

    EXPECT_EQ (stateBlockOf (*processor), before);
    EXPECT_EQ (state()[currentPresetId].toString(), "Current");
    EXPECT_TRUE ((bool) state()[modifiedId]);
    EXPECT_EQ (bytesOf (preset ("Default.rcp")), oldDefault);
    EXPECT_EQ (bytesOf (preset ("Keep.rcp")), oldKeep);
    EXPECT_EQ (presetFolder().getNumberOfChildFiles (juce::File::findFilesAndDirectories), 2);
}

TEST_F (PresetFiles, WriteCutShortLeavesTheOldFilesWhole)
{
    start();
    manager().savePresetInternal (preset ("Keep.rcp"));
    auto& favourites = *manager().favoritesManager;
    favourites.toggleFavorite (preset ("Keep.rcp"));
    favourites.toggleFavorite (preset ("Default.rcp"));
    const auto oldKeep = bytesOf (preset ("Keep.rcp"));
    const auto oldFavourites = bytesOf (favourites.favoritesFile);
    setNameAndFlag ("Current", true);

    {
        TestSupport::ResourceLimit cutShort (RLIMIT_FSIZE, 64);
        ASSERT_TRUE (cutShort.applied);
        manager().savePresetInternal (preset ("Keep.rcp"));
        favourites.toggleFavorite (preset ("Another preset with a much longer name than fits.rcp"));
    }

    EXPECT_EQ (bytesOf (preset ("Keep.rcp")), oldKeep);
    EXPECT_EQ (bytesOf (favourites.favoritesFile), oldFavourites);
    EXPECT_EQ (state()[currentPresetId].toString(), "Current");
    EXPECT_TRUE ((bool) state()[modifiedId]);
}

TEST_F (PresetFiles, ReadOnlyFolderLosesNothing)
{
    start();
    manager().savePresetInternal (preset ("Keep.rcp"));
    const auto oldKeep = bytesOf (preset ("Keep.rcp"));
    ASSERT_TRUE (presetFolder().setReadOnly (true));

    if (canCreateFileIn (presetFolder()))
        GTEST_SKIP() << "folder permissions do not bind this user (root); FailedSaveKeepsTheOldFileTheNameAndTheFlag "
                        "makes the write fail in ways that do";

    setNameAndFlag ("Current", true);
    manager().savePresetInternal (preset ("Keep.rcp"));
    manager().savePresetInternal (preset ("New.rcp"));

    EXPECT_EQ (bytesOf (preset ("Keep.rcp")), oldKeep);
    EXPECT_FALSE (preset ("New.rcp").exists());
    EXPECT_EQ (state()[currentPresetId].toString(), "Current");
    EXPECT_TRUE ((bool) state()[modifiedId]);
}

//==============================================================================
namespace
{
    class FavoritesFile : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            folder.deleteRecursively();
            ASSERT_TRUE (folder.createDirectory());
        }

        const juce::File base = juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile ("favourites-test");
        const juce::File folder = base.getChildFile ("Presets/VastrelV3");
        const juce::File file = folder.getChildFile ("Favorites.txt");
    };
}

TEST_F (FavoritesFile, ReadsTrimmedLinesAndRewritesThemCanonically)
{
    writeBytes (file, "User/A.rcp\r\n\r\n  B.rcp  \n\r\t C.rcp \rUser/A.rcp\n   \nLast.rcp");

    FavoritesManager favourites (folder);
    EXPECT_EQ (favourites.favoritesFile, file);
    EXPECT_EQ (favourites.favorites, juce::StringArray ({ "User/A.rcp", "B.rcp", "C.rcp", "User/A.rcp", "Last.rcp" }));

    // Case matters: this is another entry.
    favourites.toggleFavorite (folder.getChildFile ("user/a.rcp"));
    EXPECT_EQ (bytesOf (file), "User/A.rcp\r\nB.rcp\r\nC.rcp\r\nUser/A.rcp\r\nLast.rcp\r\nuser/a.rcp\r\n");

    favourites.toggleFavorite (folder.getChildFile ("User/A.rcp"));
    EXPECT_EQ (bytesOf (file), "B.rcp\r\nC.rcp\r\nLast.rcp\r\nuser/a.rcp\r\n");
    EXPECT_EQ (favourites.favorites, juce::StringArray ({ "B.rcp", "C.rcp", "Last.rcp", "user/a.rcp" }));
}

TEST_F (FavoritesFile, ToggleTwiceRestoresTheFile)
{
    const std::string canonical = "B.rcp\r\nUser/A.rcp\r\n";
    writeBytes (file, canonical);
    FavoritesManager favourites (folder);

    favourites.toggleFavorite (folder.getChildFile ("Factory/Pad.rcp"));
    EXPECT_EQ (bytesOf (file), canonical + "Factory/Pad.rcp\r\n");

    favourites.toggleFavorite (folder.getChildFile ("Factory/Pad.rcp"));
    EXPECT_EQ (bytesOf (file), canonical);
}

TEST_F (FavoritesFile, MissingFileStartsEmptyAndEmptiesToAnEmptyFile)
{
    FavoritesManager favourites (folder);
    EXPECT_TRUE (favourites.favorites.isEmpty());

    favourites.toggleFavorite (folder.getChildFile ("Default.rcp"));
    EXPECT_EQ (bytesOf (file), "Default.rcp\r\n");

    favourites.toggleFavorite (folder.getChildFile ("Default.rcp"));
    EXPECT_TRUE (file.existsAsFile());
    EXPECT_EQ (file.getSize(), 0);
}

TEST_F (FavoritesFile, PresetOutsideTheFolderIsStoredWithDotDots)
{
    FavoritesManager favourites (folder);
    favourites.toggleFavorite (base.getChildFile ("Elsewhere/Outside.rcp"));

    EXPECT_EQ (favourites.favorites, juce::StringArray ({ "../../Elsewhere/Outside.rcp" }));
    EXPECT_EQ (bytesOf (file), "../../Elsewhere/Outside.rcp\r\n");
}

TEST_F (FavoritesFile, IsFavoriteAsksAboutOneFileOfTheList)
{
    writeBytes (file, "User/A.rcp\r\nB.rcp\r\n../../Elsewhere/Outside.rcp\r\n");
    FavoritesManager favourites (folder);

    struct Row { juce::File preset; bool favourite; };

    const Row rows[] = {
        { folder.getChildFile ("User/A.rcp"),            true },
        { folder.getChildFile ("B.rcp"),                 true },
        { base.getChildFile ("Elsewhere/Outside.rcp"),   true },
        { folder.getChildFile ("A.rcp"),                 false },   // another folder
        { folder.getChildFile ("user/a.rcp"),            false },   // case matters
        { folder.getChildFile ("User/B.rcp"),            false },
        { juce::File(),                                  false },
    };

    for (const auto& row : rows)
        EXPECT_EQ (favourites.isFavorite (row.preset), row.favourite) << row.preset.getFullPathName();
}

TEST_F (FavoritesFile, TwoInstancesKeepEachOthersFavourites)
{
    FavoritesManager first (folder), second (folder);

    first.toggleFavorite (folder.getChildFile ("A.rcp"));
    second.toggleFavorite (folder.getChildFile ("User/B.rcp"));
    EXPECT_EQ (bytesOf (file), "A.rcp\r\nUser/B.rcp\r\n");

    first.toggleFavorite (folder.getChildFile ("A.rcp"));
    EXPECT_EQ (bytesOf (file), "User/B.rcp\r\n");
    EXPECT_EQ (first.favorites, juce::StringArray ({ "User/B.rcp" }));
}

//==============================================================================
namespace
{
    class PresetListingTest : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            root.deleteRecursively();
            ASSERT_TRUE (root.createDirectory());
        }

        void add (std::initializer_list<const char*> paths)
        {
            for (const auto* path : paths)
                writeBytes (root.getChildFile (path), "x");
        }

        void link (const char* linkPath, const juce::File& target)
        {
            ASSERT_TRUE (target.createSymbolicLink (root.getChildFile (linkPath), true)) << linkPath;
        }

        juce::StringArray listed()  { return TestSupport::listedPresets (root); }

        const juce::File root = juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile ("listing-test");
    };
}

TEST_F (PresetListingTest, FollowsTheSortingAndListingRules)
{
    add ({ "b.rcp", "A.RCP", ".hidden.rcp", "ab.rcp", "a_c.rcp", "x.Rcp", "notes.txt", "c.rcpx",
           "Alpha/z.rcp", "Alpha/Deep/d.rcp", "Beta/b1.rcp", "Zed.rcp/in.rcp",
           "user/u2.rcp", "user/U1.rcp", "user/Sub/s.rcp", "Empty/Deeper/e.rcp" });
    link ("Linked.rcp", root.getChildFile ("Alpha/z.rcp"));
    link ("Dangling.rcp", root.getChildFile ("nowhere.rcp"));

    // Upper-case forms decide: "AB" before "A_C" because 'B' comes before '_'.
    EXPECT_EQ (listed(), juce::StringArray ({ ".hidden.rcp", "A.RCP", "ab.rcp", "a_c.rcp", "b.rcp", "Linked.rcp", "x.Rcp",
                                              "user/U1.rcp", "user/u2.rcp", "user/Sub/s.rcp",
                                              "Alpha/z.rcp", "Alpha/Deep/d.rcp",
                                              "Beta/b1.rcp",
                                              "Empty/Deeper/e.rcp",
                                              "Zed.rcp/in.rcp" }));
}

TEST_F (PresetListingTest, SymbolicLinkLoopsEnd)
{
    // "back" leads to the root, and X and Y lead into each other: each folder is listed once,
    // where it is nearest the top.
    add ({ "Loop/a.rcp", "X/x.rcp", "Y/y.rcp" });
    link ("Loop/back", root);
    link ("X/toY", root.getChildFile ("Y"));
    link ("Y/toX", root.getChildFile ("X"));

    EXPECT_EQ (listed(), juce::StringArray ({ "Loop/a.rcp", "X/x.rcp", "Y/y.rcp" }));
}

TEST_F (PresetListingTest, EntersNoMoreThanItsMostFolders)
{
    // The top folder and the sub-folders up to the most; the rest, last in order, are left out.
    const auto folders = (int) PresetListing::mostFolders + 5;

    for (auto i = 0; i < folders; ++i)
    {
        const auto preset = root.getChildFile (juce::String::formatted ("F%05d/p.rcp", i));
        ASSERT_TRUE (preset.getParentDirectory().createDirectory());
        ASSERT_TRUE (preset.create().wasOk());
    }

    const auto paths = listed();
    ASSERT_EQ (paths.size(), (int) PresetListing::mostFolders - 1);
    EXPECT_EQ (paths[paths.size() - 1], juce::String::formatted ("F%05d/p.rcp", (int) PresetListing::mostFolders - 2));
}

TEST_F (PresetListingTest, AppendsToWhatTheCallerHolds)
{
    add ({ "One.rcp" });
    std::vector<juce::File> result { juce::File ("/earlier.rcp") };

    PresetListing::collectAllPresets (root.getChildFile ("absent"), ".rcp", result);
    PresetListing::collectAllPresets (root, ".rcp", result);

    ASSERT_EQ (result.size(), 2u);
    EXPECT_EQ (result[0], juce::File ("/earlier.rcp"));
    EXPECT_EQ (result[1], root.getChildFile ("One.rcp"));
}

TEST_F (PresetListingTest, NamesEqualButForCaseGoInCharacterOrder)
{
    add ({ "b.rcp", "B.rcp", "a.rcp", "User/x.rcp", "user/y.rcp", "USER/z.rcp" });

    EXPECT_EQ (listed(), juce::StringArray ({ "a.rcp", "B.rcp", "b.rcp", "USER/z.rcp", "User/x.rcp", "user/y.rcp" }));
}

TEST_F (PresetListingTest, FindsAPresetByNameAtAnyDepthWithoutLooping)
{
    add ({ "Top.rcp", "A/B/Deep.RCP", "A/notes.txt", "Loop/x.rcp" });
    link ("Loop/back", root);
    link ("Dangling.rcp", root.getChildFile ("nowhere.rcp"));

    EXPECT_EQ (PresetListing::findPresetNamed (root, "Top", ".rcp"), root.getChildFile ("Top.rcp"));
    EXPECT_EQ (PresetListing::findPresetNamed (root, "Deep", ".rcp"), root.getChildFile ("A/B/Deep.RCP"));
    EXPECT_EQ (PresetListing::findPresetNamed (root, "x", ".rcp"), root.getChildFile ("Loop/x.rcp"));

    for (const auto* absent : { "deep", "notes", "Dangling", "Missing", "" })
        EXPECT_EQ (PresetListing::findPresetNamed (root, absent, ".rcp"), juce::File()) << absent;
}
