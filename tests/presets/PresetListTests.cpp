// The preset bar's listing: the flat preset list, the browser's categories, the current preset,
// the name poll, picks and the pieces that the save and delete actions use.

#include "support/BrowserTestSupport.h"

#include "presets/ModernPresetSelectorWrapper.h"
#include "presets/PresetNames.h"

using namespace BrowserTest;

namespace
{
    /** One category as the browser shows it: its name, then each preset as "name=flat index". */
    juce::String describe (const ModernPresetMenu::CategoryItem& category, const juce::File& root)
    {
        auto text = category.name + ":";

        for (auto i = 0; i < category.presetNames.size(); ++i)
        {
            text << " " << category.presetNames[i] << "=" << category.presetIndices[(size_t) i];

            if ((size_t) i < category.presetFiles.size())
                text << "(" << category.presetFiles[(size_t) i].getRelativePathFrom (root) << ")";
        }

        return text;
    }

    juce::StringArray describe (const std::vector<ModernPresetMenu::CategoryItem>& categories, const juce::File& root)
    {
        juce::StringArray lines;

        for (const auto& category : categories)
            lines.add (describe (category, root));

        return lines;
    }

    class PresetList : public PresetFolderTest
    {
    protected:
        /** The tree of the listing rules: names that differ only in case, spaces, underscores
            and suffixes; "User" folders twice at the top and once deeper, in other cases; a
            nested category; a folder of sub-folders only; a folder name with a dot; an upper-case
            extension; files that are no presets.
        */
        void buildTree()
        {
            add ({ "Bass.rcp", "bass.rcp", "Bass Line.rcp", "Bass_Line.rcp", "BassLine.rcp", "Bass 2.rcp", "LEAD.RCP",
                   "User/Mine.rcp", "User/alpha.rcp", "User/Default.rcp", "user/Other.rcp",
                   "Keys/Piano.rcp", "Keys/Organ/Church.rcp", "Keys/USER/Mine.rcp",
                   "Pads/Only/Deep.rcp",
                   "Synth.Vintage/Brass.rcp" });

            writeText (root, "Bass.rcp.bak", "x");
            writeText (root, "notes.txt", "x");
            writeText (root, "User/readme.txt", "x");
        }

        ModernPresetSelectorWrapper& startWrapper()
        {
            if (manager == nullptr)
                startManager();

            wrapper = std::make_unique<ModernPresetSelectorWrapper> (manager.get(), [this] { ++presetsLoaded; });
            wrapper->stopTimer();
            wrapper->onPresetChanged = [this] { ++presetChanges; };
            return *wrapper;
        }

        struct Scan
        {
            std::vector<ModernPresetMenu::CategoryItem> categories;
            int presetCount = 0, currentIndex = -1;
        };

        Scan scan (const juce::String& shownName)
        {
            Scan result;
            wrapper->scanPresetDirectory (root, ".rcp", result.categories, result.presetCount, result.currentIndex, shownName);
            return result;
        }

        void TearDown() override
        {
            wrapper.reset();
            PresetFolderTest::TearDown();
        }

        std::unique_ptr<ModernPresetSelectorWrapper> wrapper;
        int presetsLoaded = 0, presetChanges = 0;

        // Upper-case forms decide, in character-code order: ' ' < '.' < 'L' < '_'. "Bass" and
        // "bass" are equal that way and go in code order. Among the folders both "User"
        // spellings come first, and "Keys/USER" before "Keys/Organ".
        const juce::StringArray expectedFlatList {
            "Bass 2.rcp", "Bass Line.rcp", "Bass.rcp", "bass.rcp", "BassLine.rcp", "Bass_Line.rcp", "Default.rcp", "LEAD.RCP",
            "User/alpha.rcp", "User/Default.rcp", "User/Mine.rcp",
            "user/Other.rcp",
            "Keys/Piano.rcp", "Keys/USER/Mine.rcp", "Keys/Organ/Church.rcp",
            "Pads/Only/Deep.rcp",
            "Synth.Vintage/Brass.rcp"
        };

        // Only the first "User" folder is a category; "Pads" holds no preset of its own; the
        // dotted folder loses its last dot on; deeper presets are in no category.
        const juce::StringArray expectedCategories {
            "Bass 2: Bass 2=0(Bass 2.rcp)",
            "Bass Line: Bass Line=1(Bass Line.rcp)",
            "Bass: Bass=2(Bass.rcp)",
            "bass: bass=3(bass.rcp)",
            "BassLine: BassLine=4(BassLine.rcp)",
            "Bass_Line: Bass_Line=5(Bass_Line.rcp)",
            "Default: Default=6(Default.rcp)",
            "LEAD: LEAD=7(LEAD.RCP)",
            "User: alpha=8(User/alpha.rcp) Default=9(User/Default.rcp) Mine=10(User/Mine.rcp)",
            "Keys: Piano=12(Keys/Piano.rcp)",
            "Synth: Brass=16(Synth.Vintage/Brass.rcp)"
        };
    };
}

TEST_F (PresetList, WholeTreeGivesTheFlatListAndTheCategories)
{
    buildTree();
    startWrapper();

    std::vector<juce::File> flat;
    wrapper->collectAllPresets (root, ".rcp", flat);
    EXPECT_EQ (relativePaths (flat, root), expectedFlatList);

    const auto result = scan ("Default");
    EXPECT_EQ (result.presetCount, expectedFlatList.size());
    EXPECT_EQ (describe (result.categories, root), expectedCategories);

    // The name field gets the same list at construction.
    EXPECT_EQ (describe (wrapper->selector.categories, root), expectedCategories);
    EXPECT_EQ (wrapper->selector.displayText, "Default");
}

// Names repeat across folders; the current preset is one file, which the browser marks and the
// preset bar steps from. The instance starts with the top-level "Default". A name that no load or
// save gave is the last of its name in the browser's categories, and deeper than those, the
// first of its name in the flat list.
TEST_F (PresetList, CurrentPresetIsOneFileForTheBrowserAndThePresetBar)
{
    buildTree();
    startWrapper();

    struct Case { const char* shownName; int flatIndex; };

    // "Default" is at the top and in "User"; "Mine" in "User" and in the deeper "Keys/USER";
    // "Church" only deeper than the browser shows.
    const Case cases[] = {
        { "Default",   6 },
        { "Default*",  6 },
        { "Default**", 6 },
        { "Mine",      10 },
        { "Bass",      2 },
        { "Church",    14 },
        { "default",   -1 },
        { "Nothing",   -1 },
        { "",          -1 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.shownName);
        const juce::String shown (c.shownName);
        setNameAndFlag (shown.trimCharactersAtEnd ("*"), false);

        EXPECT_EQ (scan (shown).currentIndex, c.flatIndex);
        EXPECT_EQ (wrapper->getCurrentPresetIndex(), c.flatIndex);
        EXPECT_EQ (wrapper->getCurrentPresetFile(), c.flatIndex >= 0 ? root.getChildFile (expectedFlatList[c.flatIndex]) : juce::File());
    }
}

// Once loaded or saved, the current preset is the file it came from, while the name is still
// the one that file gave.
TEST_F (PresetList, CurrentPresetIsTheFileItCameFrom)
{
    buildTree();
    startWrapper();

    const auto current = [this] { return relativePaths ({ wrapper->getCurrentPresetFile() }, root)[0]; };

    // A pick of the top-level "Default" makes that the one, for the browser's mark too.
    wrapper->selector.onPresetSelected (6);
    EXPECT_EQ (current(), "Default.rcp");
    EXPECT_EQ (wrapper->getCurrentPresetIndex(), 6);
    EXPECT_EQ (wrapper->selector.currentIndex, 6);

    // A modified state is still that preset.
    setNameAndFlag ("Default", true);
    EXPECT_EQ (current(), "Default.rcp");

    // Saving another "Mine" into "User" replaces that one and makes it the one.
    manager->loadPreset (root.getChildFile ("Keys/USER/Mine.rcp"));
    EXPECT_EQ (current(), "Keys/USER/Mine.rcp");
    EXPECT_EQ (wrapper->getCurrentPresetIndex(), 13);
    EXPECT_EQ (wrapper->saveUserPreset ("Mine"), root.getChildFile ("User/Mine.rcp"));
    EXPECT_EQ (current(), "User/Mine.rcp");
    EXPECT_EQ (wrapper->selector.currentIndex, 10);

    // A name from elsewhere (an undo, a host recall) no longer matches the remembered file.
    setNameAndFlag ("Default", false);
    EXPECT_EQ (current(), "User/Default.rcp");
}

TEST_F (PresetList, ShownNameCarriesTheModifiedMarkAndInitStandsInForNoName)
{
    startWrapper();

    struct Case { const char* name; bool modified; const char* shown; const char* field; int marked; };

    const Case cases[] = {
        { "Default", false, "Default",  "Default",  0 },
        { "Default", true,  "Default*", "Default*", 0 },
        { "",        false, "",         "Init",     -1 },
        { "",        true,  "*",        "*",        -1 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.name) + (c.modified ? " modified" : ""));
        setNameAndFlag (c.name, c.modified);
        wrapper->refresh();

        EXPECT_EQ (wrapper->getShownName(), c.shown);
        EXPECT_EQ (wrapper->selector.displayText, c.field);
        EXPECT_EQ (wrapper->selector.currentIndex, c.marked);
    }
}

TEST_F (PresetList, FavouritesFileLinesBecomeTheFavouritesCategory)
{
    buildTree();

    // CR, LF and CR LF ends, a blank line, spaces around an entry, a preset that is gone, one
    // deeper than the first level and a last line without an end.
    writeText (root, "Favorites.txt",
               "LEAD.RCP\rUser/Mine.rcp\n\r\n  Keys/Piano.rcp  \r\nMissing.rcp\nKeys/Organ/Church.rcp\r\n\nBass.rcp");

    startManager();
    EXPECT_EQ (manager->favoritesManager->favorites,
               juce::StringArray ({ "LEAD.RCP", "User/Mine.rcp", "Keys/Piano.rcp", "Missing.rcp", "Keys/Organ/Church.rcp", "Bass.rcp" }));

    startWrapper();
    auto expected = expectedCategories;
    expected.insert (0, "Favorites: LEAD=7(LEAD.RCP) Mine=10(User/Mine.rcp) Piano=12(Keys/Piano.rcp) Bass=2(Bass.rcp)");

    EXPECT_EQ (describe (scan ("Default").categories, root), expected);

    // A favourite is a category member like any other: the last match still wins.
    EXPECT_EQ (scan ("Bass").currentIndex, 2);
    EXPECT_EQ (scan ("Mine").currentIndex, 10);
}

TEST_F (PresetList, FavouritesThatShowNothingGiveNoCategory)
{
    buildTree();
    writeText (root, "Favorites.txt", "Missing.rcp\r\nKeys/Organ/Church.rcp\r\n../browser-presets/LEAD.RCP\r\n");
    startWrapper();

    // The entry with ".." names a shown preset by another path: it is found all the same.
    auto expected = expectedCategories;
    expected.insert (0, "Favorites: LEAD=7(LEAD.RCP)");
    EXPECT_EQ (describe (scan ("").categories, root), expected);

    manager->favoritesManager->favorites = juce::StringArray ({ "Missing.rcp", "Keys/Organ/Church.rcp" });
    EXPECT_EQ (describe (scan ("").categories, root), expectedCategories);

    manager->favoritesManager.reset();
    EXPECT_EQ (describe (scan ("").categories, root), expectedCategories);
}

TEST_F (PresetList, FavouritesNamingAFileByAnyPathShowItInTheirOrder)
{
    buildTree();
    startWrapper();

    // Each entry is the folder's child by that path, however it is written; a repeat shows twice.
    const auto piano = root.getChildFile ("Keys/Piano.rcp").getFullPathName();
    manager->favoritesManager->favorites = juce::StringArray::fromLines ("User/Mine.rcp\n"
                                                                         "./Bass.rcp\n"
                                                                         "User//alpha.rcp\n"
                                                                         "Keys/../LEAD.RCP\n"
                                                                         + piano + "\n"
                                                                         "Keys/Organ/Church.rcp\n"
                                                                         "Keys/./Organ/../Piano.rcp\n"
                                                                         "User/Mine.rcp/\n"
                                                                         "User/Mine.rcp");

    auto expected = expectedCategories;
    expected.insert (0, "Favorites: Mine=10(User/Mine.rcp) Bass=2(Bass.rcp) alpha=8(User/alpha.rcp) LEAD=7(LEAD.RCP) "
                        "Piano=12(Keys/Piano.rcp) Piano=12(Keys/Piano.rcp) Mine=10(User/Mine.rcp) Mine=10(User/Mine.rcp)");
    EXPECT_EQ (describe (scan ("").categories, root), expected);
}

TEST_F (PresetList, EmptyAndMissingFolders)
{
    startWrapper();

    // Only the "Default" that the manager writes.
    const auto onlyDefault = scan ("Default");
    EXPECT_EQ (onlyDefault.presetCount, 1);
    EXPECT_EQ (describe (onlyDefault.categories, root), juce::StringArray ({ "Default: Default=0(Default.rcp)" }));

    Scan missing;
    wrapper->scanPresetDirectory (root.getChildFile ("absent"), ".rcp", missing.categories, missing.presetCount, missing.currentIndex, "Default");
    EXPECT_EQ (missing.presetCount, 0);
    EXPECT_TRUE (missing.categories.empty());
    EXPECT_EQ (missing.currentIndex, -1);

    ASSERT_TRUE (root.getChildFile ("Default.rcp").deleteFile());
    EXPECT_EQ (wrapper->getCurrentPresetIndex(), -1);
    EXPECT_EQ (wrapper->getCurrentPresetFile(), juce::File());
}

TEST_F (PresetList, FindPresetFileLooksAtEveryDepthAndFollowsLinksWithoutLooping)
{
    buildTree();
    ASSERT_TRUE (root.createSymbolicLink (root.getChildFile ("Keys/back"), true));
    ASSERT_TRUE (root.getChildFile ("Synth.Vintage").createSymbolicLink (root.getChildFile ("Linked"), true));
    startWrapper();

    // "Mine" lies in "User" and in "Keys/USER"; the file system's order decides which comes first.
    const auto mine = wrapper->findPresetFile (root, "Mine", ".rcp");
    EXPECT_TRUE (mine == root.getChildFile ("User/Mine.rcp") || mine == root.getChildFile ("Keys/USER/Mine.rcp")) << mine.getFullPathName();

    EXPECT_EQ (wrapper->findPresetFile (root, "Church", ".rcp"), root.getChildFile ("Keys/Organ/Church.rcp"));
    EXPECT_EQ (wrapper->findPresetFile (root, "LEAD", ".rcp"), root.getChildFile ("LEAD.RCP"));
    const auto brass = wrapper->findPresetFile (root, "Brass", ".rcp");
    EXPECT_TRUE (brass == root.getChildFile ("Synth.Vintage/Brass.rcp") || brass == root.getChildFile ("Linked/Brass.rcp")) << brass.getFullPathName();
    EXPECT_EQ (wrapper->findPresetFile (root, "lead", ".rcp"), juce::File());
    EXPECT_EQ (wrapper->findPresetFile (root, "notes", ".rcp"), juce::File());
    EXPECT_EQ (wrapper->findPresetFile (root, "Bass.rcp", ".rcp"), juce::File());

    setNameAndFlag ("Church", true);
    EXPECT_EQ (wrapper->getCurrentPresetFile(), root.getChildFile ("Keys/Organ/Church.rcp"));
    setNameAndFlag ("", false);
    EXPECT_EQ (wrapper->getCurrentPresetFile(), juce::File());
}

//==============================================================================
TEST_F (PresetList, NamePollRefreshesAndTellsTheEditorOnlyWhenTheShownNameChanges)
{
    startWrapper();

    struct Step { const char* name; bool modified; int changesAfter; };

    // The first tick sees a name where there was none yet.
    const Step steps[] = {
        { "Default", false, 1 },
        { "Default", false, 1 },
        { "Default", true,  2 },
        { "Default", true,  2 },
        { "Other",   true,  3 },
        { "",        false, 4 },
        { "",        false, 4 },
    };

    for (const auto& step : steps)
    {
        SCOPED_TRACE (juce::String (step.name) + (step.modified ? "*" : ""));
        setNameAndFlag (step.name, step.modified);
        wrapper->timerCallback();

        EXPECT_EQ (presetChanges, step.changesAfter);
        EXPECT_EQ (wrapper->selector.displayText, wrapper->getShownName().isEmpty() ? juce::String ("Init") : wrapper->getShownName());
    }
}

TEST_F (PresetList, FirstTickWithoutANameStaysQuiet)
{
    startManager();
    setNameAndFlag ("", false);
    startWrapper();

    wrapper->timerCallback();
    EXPECT_EQ (presetChanges, 0);
}

TEST_F (PresetList, WrapperGivesItsWholeAreaToTheNameField)
{
    startWrapper().setBounds (331, 16, 260, 30);

    EXPECT_EQ (wrapper->selector.getBounds(), juce::Rectangle<int> (0, 0, 260, 30));
    EXPECT_TRUE (wrapper->selector.isVisible());
    EXPECT_EQ (wrapper->selector.getParentComponent(), wrapper.get());
}

//==============================================================================
TEST_F (PresetList, PickLoadsTheFileThatThePickedRowCarries)
{
    buildTree();
    startWrapper();

    // A preset added after the browser was filled moves every later flat index by one.
    add ({ "Aaa.rcp" });

    wrapper->selector.onPresetSelected (10);
    EXPECT_EQ (loadedOrigin(), "User/Mine.rcp");
    EXPECT_EQ (presetsLoaded, 1);

    // The pick listed the folder again: the field now knows the new preset.
    EXPECT_EQ (wrapper->selector.categories.front().name, "Aaa");
    EXPECT_EQ (wrapper->selector.displayText, "Mine");
}

TEST_F (PresetList, PickOfAnIndexThatNoRowCarriesLoadsNothing)
{
    buildTree();
    startWrapper();

    for (const auto index : { -1, 14, 17, 1000 })
    {
        SCOPED_TRACE (index);
        wrapper->selector.onPresetSelected (index);
        EXPECT_EQ (loadedOrigin(), "");
    }

    EXPECT_EQ (presetsLoaded, 4);
}

//==============================================================================
TEST_F (PresetList, TypedNamesAreCheckedBeforeTheyBecomeFiles)
{
    const auto user = root.getChildFile ("User");

    struct Case { const char* typed; const char* fileName; };

    const Case cases[] = {
        { "Lead",            "Lead.rcp" },
        { "  Lead \t",       "Lead.rcp" },
        { "Lead 2 (copy)",   "Lead 2 (copy).rcp" },
        { "a..b",            "a..b.rcp" },
        { "Lead.rcp",        "Lead.rcp.rcp" },
        { "Mid~Side",        "Mid~Side.rcp" },
        { "Grüße",           "Grüße.rcp" },
        { "",                nullptr },
        { "   ",             nullptr },
        { "a/b",             nullptr },
        { "/etc/passwd",     nullptr },
        { "..\\up",          nullptr },
        { "back\\slash",     nullptr },
        { "..",              nullptr },
        { ".hidden",         nullptr },
        { " .hidden",        nullptr },
        { "~",               nullptr },
        { "~root",           nullptr },
        { "Tab\tName",       nullptr },
        { "Line\nBreak",     nullptr },
        { "Bell\x07",        nullptr },
        { "Del\x7f",         nullptr },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String ("\"") + c.typed + "\"");
        const auto file = PresetNames::userPresetFile (root, juce::String::fromUTF8 (c.typed), ".rcp");

        if (c.fileName == nullptr)
            EXPECT_EQ (file, juce::File());
        else
            EXPECT_EQ (file, user.getChildFile (juce::String::fromUTF8 (c.fileName)));
    }
}

TEST_F (PresetList, SaveUnderATypedNameWritesIntoUserAndShowsIt)
{
    startWrapper();
    ASSERT_FALSE (root.getChildFile ("User").exists());
    setNameAndFlag ("Default", true);

    const auto saved = wrapper->saveUserPreset ("  My Lead ");

    EXPECT_EQ (saved, root.getChildFile ("User/My Lead.rcp"));
    EXPECT_TRUE (saved.existsAsFile());
    EXPECT_EQ (wrapper->getShownName(), "My Lead");
    EXPECT_EQ (wrapper->selector.displayText, "My Lead");
    EXPECT_EQ (describe (wrapper->selector.categories, root),
               juce::StringArray ({ "Default: Default=0(Default.rcp)", "User: My Lead=1(User/My Lead.rcp)" }));
    EXPECT_EQ (wrapper->selector.currentIndex, 1);
}

TEST_F (PresetList, RefusedNameSavesNothing)
{
    startWrapper();
    setNameAndFlag ("Default", true);

    for (const auto* typed : { "", "../Escape", "~/x", ".x" })
    {
        SCOPED_TRACE (typed);
        EXPECT_EQ (wrapper->saveUserPreset (typed), juce::File());
    }

    EXPECT_FALSE (root.getChildFile ("User").exists());
    EXPECT_FALSE (root.getParentDirectory().getChildFile ("Escape.rcp").exists());
    EXPECT_EQ (wrapper->getShownName(), "Default*");
}

//==============================================================================
TEST_F (PresetList, DeleteRemovesExactlyThatFileAndThenClearsTheName)
{
    buildTree();
    startWrapper();
    wrapper->selector.onPresetSelected (6);
    setNameAndFlag ("Default", true);

    const auto target = wrapper->getCurrentPresetFile();
    ASSERT_EQ (target, root.getChildFile ("Default.rcp"));
    EXPECT_EQ (PresetNames::deletionQuestion (target, root), "Delete \"Default\"?\nDefault.rcp");

    EXPECT_TRUE (wrapper->deletePresetFile (target));

    EXPECT_FALSE (target.exists());
    EXPECT_TRUE (root.getChildFile ("User/Default.rcp").existsAsFile());
    EXPECT_EQ (state().getProperty ("Current_Selected_Preset").toString(), "");
    EXPECT_FALSE ((bool) state().getProperty ("Preset_Has_Been_Modified"));
    EXPECT_EQ (wrapper->selector.displayText, "Init");
    EXPECT_EQ (relativePaths (wrapper->getFlatPresetList(), root).indexOf ("Default.rcp"), -1);
}

TEST_F (PresetList, DeleteThatCannotHappenLeavesTheName)
{
    buildTree();
    startWrapper();
    setNameAndFlag ("Mine", true);

    const auto outside = root.getParentDirectory().getChildFile ("Mine.rcp");
    writePreset (root.getParentDirectory(), "Mine.rcp");

    EXPECT_FALSE (wrapper->deletePresetFile (root.getChildFile ("User/Gone.rcp")));
    EXPECT_FALSE (wrapper->deletePresetFile (juce::File()));
    EXPECT_FALSE (wrapper->deletePresetFile (root.getChildFile ("User")));
    EXPECT_FALSE (wrapper->deletePresetFile (outside));

    EXPECT_TRUE (outside.existsAsFile());
    EXPECT_TRUE (root.getChildFile ("User").isDirectory());
    EXPECT_EQ (wrapper->getShownName(), "Mine*");
    outside.deleteFile();
}

TEST_F (PresetList, DeleteAfterTheCurrentPresetChangedKeepsTheNewName)
{
    buildTree();
    startWrapper();
    setNameAndFlag ("Mine", false);
    const auto target = wrapper->getCurrentPresetFile();

    // While the dialog was open the host recalled another preset.
    setNameAndFlag ("Piano", true);

    EXPECT_TRUE (wrapper->deletePresetFile (target));
    EXPECT_FALSE (target.exists());
    EXPECT_EQ (wrapper->getShownName(), "Piano*");
}

TEST_F (PresetList, SaveAndDeleteThroughTheDialogs)
{
    startWrapper();
    ScriptedDialogs dialogs;
    dialogs.typedName = "Pad";
    dialogs.confirm = true;

    dialogs.askForPresetName (wrapper->getCurrentName(), {}, [this] (const juce::String& typed) { wrapper->saveUserPreset (typed); });

    const auto target = wrapper->getCurrentPresetFile();
    dialogs.confirmDeletion (PresetNames::deletionQuestion (target, root), [this, target] { wrapper->deletePresetFile (target); });

    EXPECT_EQ (dialogs.asked, juce::StringArray ({ "save: Default", "delete: Delete \"Pad\"?\nUser/Pad.rcp" }));
    EXPECT_FALSE (root.getChildFile ("User/Pad.rcp").exists());
    EXPECT_TRUE (root.getChildFile ("Default.rcp").existsAsFile());
    EXPECT_EQ (wrapper->selector.displayText, "Init");
}
