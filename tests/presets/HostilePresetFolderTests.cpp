// Preset folders as careless users, sync tools and broken disks leave them: whatever a folder
// holds, the preset bar lists, loads, steps, opens the browser and toggles favourites without
// hanging or crashing the host, and leaves the folder as it was.

#include "support/EditorWindowSupport.h"
#include "support/PresetPaths.h"
#include "support/ResourceLimit.h"
#include "support/Watchdog.h"

#include "presets/ModernPresetSelectorWrapper.h"
#include "presets/PresetFolderListing.h"

#include <tuple>

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace EditorWindowSupport;
using TestSupport::listedPresets;
using TestSupport::relativePaths;

namespace
{
    /** Counts how often a folder is opened for reading, as a listing opens it. */
    class FolderOpenings
    {
    public:
        explicit FolderOpenings (const juce::File& folder)
            : descriptor (inotify_init1 (IN_NONBLOCK | IN_CLOEXEC))
        {
            inotify_add_watch (descriptor, folder.getFullPathName().toRawUTF8(), IN_OPEN | IN_ONLYDIR);
        }

        ~FolderOpenings()  { close (descriptor); }

        /** The openings of the folder itself since the last call. */
        int take()
        {
            alignas (inotify_event) char buffer[1 << 16];
            auto count = 0;

            for (;;)
            {
                const auto got = read (descriptor, buffer, sizeof (buffer));

                if (got <= 0)
                    return count;

                for (auto offset = 0; offset < got;)
                {
                    const auto* event = reinterpret_cast<const inotify_event*> (buffer + offset);

                    // An event of the folder itself has no name; its files' events name them.
                    if ((event->mask & IN_ISDIR) != 0 && event->len == 0)
                        ++count;

                    offset += (int) (sizeof (inotify_event) + event->len);
                }
            }
        }

    private:
        const int descriptor;
    };

    void makePipe (const juce::File& file)
    {
        ASSERT_EQ (mkfifo (file.getFullPathName().toRawUTF8(), 0644), 0) << file.getFullPathName();
    }

    void makeLink (const juce::File& file, const juce::String& target)
    {
        ASSERT_TRUE (file.getParentDirectory().createDirectory());
        ASSERT_EQ (symlink (target.toRawUTF8(), file.getFullPathName().toRawUTF8()), 0) << file.getFullPathName();
    }

    /** A socket file stays behind when its socket is closed. It is made at a short path, as
        a socket's path is limited, and moved into place.
    */
    void makeSocket (const juce::File& file)
    {
        const auto made = juce::File::createTempFile (".socket");
        const auto socketDescriptor = socket (AF_UNIX, SOCK_STREAM, 0);
        ASSERT_GE (socketDescriptor, 0);

        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        made.getFullPathName().copyToUTF8 (address.sun_path, sizeof (address.sun_path));
        EXPECT_EQ (bind (socketDescriptor, reinterpret_cast<const sockaddr*> (&address), sizeof (address)), 0);
        close (socketDescriptor);
        ASSERT_EQ (rename (made.getFullPathName().toRawUTF8(), file.getFullPathName().toRawUTF8()), 0);
    }

    void writeFavourites (const juce::File& folder, int lines)
    {
        juce::MemoryOutputStream text;

        for (auto i = 0; i < lines; ++i)
            text << "User/Preset " << i << ".rcp\r\n";

        ASSERT_TRUE (folder.getChildFile ("Favorites.txt").replaceWithData (text.getData(), text.getDataSize()));
    }

    void copyDefaultInto (const juce::File& folder, int count)
    {
        ASSERT_TRUE (folder.createDirectory());
        const auto source = folder.getParentDirectory().getChildFile ("Default.rcp");

        for (auto i = 0; i < count; ++i)
            ASSERT_TRUE (source.copyFileTo (folder.getChildFile ("Preset " + juce::String (i) + ".rcp")));
    }

    /** Folders that link twice to the next level, the last one holding a preset: 2^levels ways
        down to it, no loop.
    */
    void makeFannedLinks (const juce::File& presetFolder, int levels)
    {
        const auto outside = presetFolder.getParentDirectory().getChildFile ("Levels");

        for (auto level = 1; level <= levels; ++level)
            ASSERT_TRUE (outside.getChildFile (juce::String (level)).createDirectory());

        ASSERT_TRUE (presetFolder.getChildFile ("Default.rcp").copyFileTo (outside.getChildFile (juce::String (levels)).getChildFile ("Bottom.rcp")));

        const auto linkBothWays = [&] (const juce::File& from, int level)
        {
            for (const auto* name : { "a", "b" })
                makeLink (from.getChildFile (name), outside.getChildFile (juce::String (level)).getFullPathName());
        };

        linkBothWays (presetFolder.getChildFile ("Fan"), 1);

        for (auto level = 1; level < levels; ++level)
            linkBothWays (outside.getChildFile (juce::String (level)), level + 1);
    }

    /** Every entry below the folder, links to folders not followed. */
    std::vector<juce::File> entriesBelow (const juce::File& folder)
    {
        std::vector<juce::File> entries;

        for (const auto& entry : juce::RangedDirectoryIterator (folder, false, "*", juce::File::findFilesAndDirectories))
        {
            entries.push_back (entry.getFile());

            if (entry.isDirectory() && ! entry.getFile().isSymbolicLink())
                for (const auto& below : entriesBelow (entry.getFile()))
                    entries.push_back (below);
        }

        return entries;
    }

    /** Every entry below the folder: its kind, and a link's target or a file's content. */
    juce::String describe (const juce::File& folder)
    {
        juce::StringArray lines;

        for (const auto& file : entriesBelow (folder))
        {
            const auto path = file.getRelativePathFrom (folder);
            struct stat info;

            if (lstat (file.getFullPathName().toRawUTF8(), &info) != 0)
                lines.add (path + ": gone");
            else if (S_ISLNK (info.st_mode))
                lines.add (path + " -> " + file.getLinkedTarget().getFullPathName());
            else if (S_ISDIR (info.st_mode))
                lines.add (path + "/");
            else if (S_ISREG (info.st_mode))
                lines.add (path + ": " + juce::String (info.st_size) + " bytes, " + juce::String::toHexString (file.loadFileAsString().hashCode64()));
            else
                lines.add (path + ": kind " + juce::String::toHexString ((int) (info.st_mode & S_IFMT)));
        }

        lines.sort (false);
        return lines.joinIntoString ("\n");
    }

    struct HostileContents
    {
        const char* name;
        std::function<void (const juce::File& folder)> fill;

        /** The flat preset list it gives, or empty to check only its length. */
        juce::StringArray listed;
        int presetCount;

        /** Long enough for a slow machine, far shorter than the hang or the run-away the contents
            used to cause.
        */
        int secondsAllowed;
    };

    void PrintTo (const HostileContents& contents, std::ostream* os)  { *os << contents.name; }

    const HostileContents hostileContents[] = {
        { "favourites file of 300,000 lines", [] (const juce::File& folder) { writeFavourites (folder, 300000); },
          { "Default.rcp" }, 1, 30 },
        { "favourites file of 100 MB", [] (const juce::File& folder)
          {
              // Sparse: it takes no room on the disk.
              ASSERT_EQ (truncate (folder.getChildFile ("Favorites.txt").getFullPathName().toRawUTF8(), 100 << 20), 0);
          },
          { "Default.rcp" }, 1, 30 },
        { "favourites file of 500 lines of 20,000 dot parts each", [] (const juce::File& folder)
          {
              const auto line = "User/" + juce::String::repeatedString ("./", 20000) + "Mine.rcp\r\n";
              ASSERT_TRUE (folder.getChildFile ("Favorites.txt").replaceWithText (juce::String::repeatedString (line, 500), false, false, nullptr));
          },
          { "Default.rcp" }, 1, 30 },
        { "favourites file that is a folder", [] (const juce::File& folder)
          {
              folder.getChildFile ("Favorites.txt").deleteFile();
              ASSERT_TRUE (folder.getChildFile ("Favorites.txt").createDirectory());
          },
          { "Default.rcp" }, 1, 30 },
        { "named pipe", [] (const juce::File& folder) { makePipe (folder.getChildFile ("Pipe.rcp")); },
          { "Default.rcp" }, 1, 30 },
        { "socket", [] (const juce::File& folder) { makeSocket (folder.getChildFile ("Socket.rcp")); },
          { "Default.rcp" }, 1, 30 },
        { "link to /dev/zero", [] (const juce::File& folder) { makeLink (folder.getChildFile ("Zero.rcp"), "/dev/zero"); },
          { "Default.rcp" }, 1, 30 },
        { "link to /dev/urandom in a category", [] (const juce::File& folder) { makeLink (folder.getChildFile ("Noise/Random.rcp"), "/dev/urandom"); },
          { "Default.rcp" }, 1, 30 },
        { "link to a named pipe", [] (const juce::File& folder)
          {
              makePipe (folder.getParentDirectory().getChildFile ("Elsewhere.pipe"));
              makeLink (folder.getChildFile ("User/Linked.rcp"), folder.getParentDirectory().getChildFile ("Elsewhere.pipe").getFullPathName());
          },
          { "Default.rcp" }, 1, 30 },
        { "favourites file that is a named pipe", [] (const juce::File& folder)
          {
              folder.getChildFile ("Favorites.txt").deleteFile();
              makePipe (folder.getChildFile ("Favorites.txt"));
          },
          { "Default.rcp" }, 1, 30 },
        { "favourites file that links to /dev/zero", [] (const juce::File& folder)
          {
              folder.getChildFile ("Favorites.txt").deleteFile();
              makeLink (folder.getChildFile ("Favorites.txt"), "/dev/zero");
          },
          { "Default.rcp" }, 1, 30 },
        { "folders that link twice to the next level, 22 levels", [] (const juce::File& folder) { makeFannedLinks (folder, 22); },
          { "Default.rcp", "Fan/a/a/a/a/a/a/a/a/a/a/a/a/a/a/a/a/a/a/a/a/a/a/Bottom.rcp" }, 2, 30 },
        { "link to the root folder", [] (const juce::File& folder) { makeLink (folder.getChildFile ("Everything"), "/"); },
          { "Default.rcp" }, 1, 30 },
        { "link to a folder that holds the preset folder and other presets", [] (const juce::File& folder)
          {
              const auto above = folder.getParentDirectory();
              ASSERT_TRUE (above.getChildFile ("Other").createDirectory());
              ASSERT_TRUE (folder.getChildFile ("Default.rcp").copyFileTo (above.getChildFile ("Other/Stray.rcp")));
              makeLink (folder.getChildFile ("Mine/Up"), above.getFullPathName());
          },
          { "Default.rcp" }, 1, 30 },
        { "20,000 presets in one category", [] (const juce::File& folder) { copyDefaultInto (folder.getChildFile ("Many"), 20000); },
          {}, 20001, 120 },
    };

    class HostilePresetFolder : public EditorTest,
                                public ::testing::WithParamInterface<HostileContents>
    {
    protected:
        void SetUp() override
        {
            EditorTest::SetUp();

            // Filled before the instance is made: it reads the favourites when it starts.
            processor.reset();
            ASSERT_TRUE (presetFolder().createDirectory());
            ASSERT_TRUE (presetFolder().getParentDirectory().getFullPathName().startsWith ("/tmp/"));
            presetFolder().getParentDirectory().getChildFile ("Levels").deleteRecursively();
            presetFolder().getParentDirectory().getChildFile ("Elsewhere.pipe").deleteFile();
            presetFolder().getParentDirectory().getChildFile ("Other").deleteRecursively();

            // A heart pressed twice leaves the favourites file as it was, once there is one.
            ASSERT_TRUE (presetFolder().getChildFile ("Favorites.txt").replaceWithText ({}));
            GetParam().fill (presetFolder());
        }

        /** What the user does with the preset bar, each step under the watchdog. */
        void useThePresetBar()
        {
            processor = std::make_unique<QuorlinAudioProcessor>();
            open();
            auto& wrapper = *editor->presetSelector;
            wrapper.stopTimer();
            editor->addToDesktop (0);
            editor->setVisible (true);
            runPendingMessages();

            wrapper.timerCallback();

            wrapper.selector.showMenu();
            runPendingMessages();
            wrapper.selector.hideMenu();

            editor->nextButton.triggerClick();
            editor->prevButton.triggerClick();
            runPendingMessages();
            wrapper.timerCallback();

            editor->heartButton.onClick();
            editor->heartButton.onClick();

            // A pick of the current preset's row.
            wrapper.selector.onPresetSelected (wrapper.getCurrentPresetIndex());
            wrapper.timerCallback();

            // Each entry that the open dialog offers, given to the loader as it stands.
            for (const auto& entry : entriesBelow (presetFolder()))
                if (entry.getFileName().endsWithIgnoreCase (".rcp") && entry.getFileName() != "Default.rcp")
                    processor->presetManager->loadPreset (entry);

            editor->removeFromDesktop();
        }
    };
}

TEST_P (HostilePresetFolder, EveryPresetBarActionFinishesAndLeavesTheFolderAsItWas)
{
    const auto& contents = GetParam();
    const auto before = describe (presetFolder());

    {
        TestSupport::Watchdog watchdog (std::chrono::seconds (contents.secondsAllowed), contents.name);
        useThePresetBar();
    }

    const auto listed = editor->presetSelector->getFlatPresetList();
    EXPECT_EQ ((int) listed.size(), contents.presetCount);

    if (! contents.listed.isEmpty())
    {
        juce::StringArray paths;

        for (const auto& file : listed)
            paths.add (file.getRelativePathFrom (presetFolder()));

        EXPECT_EQ (paths, contents.listed);
    }

    // Nothing loaded from what is no preset: the instance still plays "Default".
    EXPECT_EQ (processor->presetManager->getCurrentPresetName(), "Default");
    EXPECT_EQ (describe (presetFolder()), before);
}

INSTANTIATE_TEST_SUITE_P (Contents, HostilePresetFolder, ::testing::ValuesIn (hostileContents),
                          [] (const ::testing::TestParamInfo<HostileContents>& row)
                          {
                              auto name = juce::String (row.param.name).retainCharacters ("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 ");
                              return name.replaceCharacter (' ', '_').toStdString();
                          });

//==============================================================================
namespace
{
    /** A preset folder that has been still long enough for its listing to be kept. */
    void waitUntilSettled()
    {
        juce::Thread::sleep ((int) PresetFolderListing::settlingMs + 200);
    }

    class PresetFolderReads : public EditorTest
    {
    };
}

TEST_F (PresetFolderReads, MomentsThatFindTheFolderAsItWasReadNothingOfItAgain)
{
    const auto many = presetFolder().getChildFile ("Many");
    copyDefaultInto (many, 2000);
    waitUntilSettled();

    FolderOpenings openings (many);
    open();
    editor->addToDesktop (0);
    editor->setVisible (true);
    auto& wrapper = *editor->presetSelector;
    wrapper.stopTimer();
    runPendingMessages();
    EXPECT_EQ (openings.take(), 1) << "opening the editor";

    // The browser's opening reads every folder once: the user opens it to look at the folder.
    const std::tuple<const char*, std::function<void()>, int> moments[] = {
        { "the name poll", [&] { wrapper.timerCallback(); }, 0 },
        { "a step to the next preset and the poll", [&] { editor->nextButton.triggerClick(); runPendingMessages(); wrapper.timerCallback(); }, 0 },
        { "a step back", [&] { editor->prevButton.triggerClick(); runPendingMessages(); }, 0 },
        { "the browser's opening", [&] { wrapper.selector.showMenu(); runPendingMessages(); wrapper.selector.hideMenu(); }, 1 },
        { "a pick", [&] { wrapper.selector.onPresetSelected (wrapper.getCurrentPresetIndex() + 5); wrapper.timerCallback(); }, 0 },
        { "the heart", [&] { editor->heartButton.onClick(); }, 0 },
    };

    for (const auto& [moment, run, reads] : moments)
    {
        run();
        EXPECT_EQ (openings.take(), reads) << moment;
    }

    // The pick took the fifth preset after "Default" in the flat order ("Preset 0", "1", "10",
    // "100", "1000"), and the heart made it a favourite.
    EXPECT_EQ (processor->presetManager->sourceFileOf ("Default"), many.getChildFile ("Preset 1000.rcp"));
    EXPECT_EQ (presetFolder().getChildFile ("Favorites.txt").loadFileAsString(), "Many/Preset 1000.rcp\r\n");
}

TEST_F (PresetFolderReads, TheHeartOnAPresetRepeatedThroughALongFavouritesFileRemovesEveryRepeat)
{
    juce::MemoryOutputStream text, others;

    for (auto i = 0; i < 300000; ++i)
    {
        text << "Default.rcp\r\n" << "User/Preset " << i << ".rcp\r\n";
        others << "User/Preset " << i << ".rcp\r\n";
    }

    const auto favourites = presetFolder().getChildFile ("Favorites.txt");
    ASSERT_TRUE (favourites.replaceWithData (text.getData(), text.getDataSize()));

    {
        TestSupport::Watchdog watchdog (std::chrono::seconds (30), "the heart on a preset repeated 300,000 times");
        processor->presetManager->favoritesManager->toggleFavorite (presetFolder().getChildFile ("Default.rcp"));
    }

    EXPECT_TRUE (favourites.loadFileAsString() == others.toString());
}

namespace
{
    using Change = std::function<void (const juce::File& root, const std::function<void()>& listAgain)>;

    struct FolderChange
    {
        const char* name;
        std::function<void (const juce::File& root)> prepare;
        Change change;
    };

    void writePreset (const juce::File& file)
    {
        ASSERT_TRUE (file.getParentDirectory().createDirectory());
        ASSERT_TRUE (file.replaceWithText ("<VastrelV3/>"));
    }

    juce::File outside (const juce::File& root, const char* path)
    {
        return root.getSiblingFile (root.getFileName() + " outside").getChildFile (path);
    }

    const FolderChange folderChanges[] = {
        { "a preset added", [] (auto& root) { writePreset (root.getChildFile ("A/x.rcp")); },
          [] (auto& root, auto&) { writePreset (root.getChildFile ("A/y.rcp")); } },
        { "a preset deleted", [] (auto& root) { writePreset (root.getChildFile ("A/x.rcp")); writePreset (root.getChildFile ("A/y.rcp")); },
          [] (auto& root, auto&) { EXPECT_TRUE (root.getChildFile ("A/y.rcp").deleteFile()); } },
        { "a preset renamed", [] (auto& root) { writePreset (root.getChildFile ("A/x.rcp")); },
          [] (auto& root, auto&) { EXPECT_TRUE (root.getChildFile ("A/x.rcp").moveFileTo (root.getChildFile ("A/z.rcp"))); } },
        { "a preset replaced by a named pipe", [] (auto& root) { writePreset (root.getChildFile ("A/x.rcp")); writePreset (root.getChildFile ("A/y.rcp")); },
          [] (auto& root, auto&) { EXPECT_TRUE (root.getChildFile ("A/y.rcp").deleteFile()); makePipe (root.getChildFile ("A/y.rcp")); } },
        { "a category added", [] (auto& root) { writePreset (root.getChildFile ("A/x.rcp")); },
          [] (auto& root, auto&) { writePreset (root.getChildFile ("B/b.rcp")); } },
        { "a link to a folder pointed elsewhere",
          [] (auto& root)
          {
              writePreset (outside (root, "One/one.rcp"));
              writePreset (outside (root, "Two/two.rcp"));
              makeLink (root.getChildFile ("Linked"), outside (root, "One").getFullPathName());
          },
          [] (auto& root, auto&)
          {
              EXPECT_TRUE (root.getChildFile ("Linked").deleteFile());
              makeLink (root.getChildFile ("Linked"), outside (root, "Two").getFullPathName());
          } },
        { "a link to a folder pointed at one listed already",
          [] (auto& root)
          {
              writePreset (root.getChildFile ("A/x.rcp"));
              writePreset (outside (root, "One/x.rcp"));
              makeLink (root.getChildFile ("Linked"), outside (root, "One").getFullPathName());
          },
          [] (auto& root, auto&)
          {
              EXPECT_TRUE (root.getChildFile ("Linked").deleteFile());
              makeLink (root.getChildFile ("Linked"), root.getChildFile ("A").getFullPathName());
          } },
        { "the file a link leads to deleted",
          [] (auto& root) { writePreset (outside (root, "f.rcp")); makeLink (root.getChildFile ("A/f.rcp"), outside (root, "f.rcp").getFullPathName()); },
          [] (auto& root, auto&) { EXPECT_TRUE (outside (root, "f.rcp").deleteFile()); } },
        { "the file a link leads to made",
          [] (auto& root) { writePreset (outside (root, "x.rcp")); makeLink (root.getChildFile ("A/g.rcp"), outside (root, "g.rcp").getFullPathName()); },
          [] (auto& root, auto&) { writePreset (outside (root, "g.rcp")); } },
        { "a preset added to a folder that a link leads to",
          [] (auto& root) { writePreset (outside (root, "Away/a.rcp")); makeLink (root.getChildFile ("Linked"), outside (root, "Away").getFullPathName()); },
          [] (auto& root, auto&) { writePreset (outside (root, "Away/b.rcp")); } },
        { "a second change right after the listing that saw the first",
          [] (auto& root) { writePreset (root.getChildFile ("A/x.rcp")); },
          [] (auto& root, auto& listAgain)
          {
              writePreset (root.getChildFile ("A/y.rcp"));
              listAgain();
              writePreset (root.getChildFile ("A/z.rcp"));
          } },
    };

    TEST (KeptPresetListing, IsTheFolderAsItIsAfterEachChange)
    {
        const auto base = juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile ("kept listings");
        ASSERT_TRUE (base.getFullPathName().startsWith ("/tmp/"));
        base.deleteRecursively();

        const auto rootOf = [&base] (const FolderChange& row) { return base.getChildFile (row.name); };

        for (const auto& row : folderChanges)
            row.prepare (rootOf (row));

        waitUntilSettled();
        PresetFolderListing listings;

        for (const auto& row : folderChanges)
        {
            SCOPED_TRACE (row.name);
            const auto root = rootOf (row);
            const auto before = listings.listingOf (root, ".rcp");
            EXPECT_EQ (relativePaths (before->flatList, root), listedPresets (root));
            EXPECT_EQ (listings.listingOf (root, ".rcp"), before) << "a listing of a still folder is kept";

            row.change (root, [&] { EXPECT_EQ (relativePaths (listings.listingOf (root, ".rcp")->flatList, root), listedPresets (root)); });

            const auto after = relativePaths (listings.listingOf (root, ".rcp")->flatList, root);
            EXPECT_EQ (after, listedPresets (root));
            EXPECT_NE (after, relativePaths (before->flatList, root));
        }

        base.deleteRecursively();
    }

    TEST (KeptPresetListing, AFolderThatCouldNotBeReadIsReadAgain)
    {
        const auto root = juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile ("unreadable for a moment");
        ASSERT_TRUE (root.getFullPathName().startsWith ("/tmp/"));
        root.deleteRecursively();
        writePreset (root.getChildFile ("A/x.rcp"));
        waitUntilSettled();

        PresetFolderListing listings;

        {
            // Out of file handles: the lowest free one is beyond the limit.
            const auto lowestFree = open ("/dev/null", O_RDONLY | O_CLOEXEC);
            ASSERT_GE (lowestFree, 0);
            close (lowestFree);

            TestSupport::ResourceLimit noMoreFiles (RLIMIT_NOFILE, (rlim_t) lowestFree);
            ASSERT_TRUE (noMoreFiles.applied);
            EXPECT_TRUE (listings.listingOf (root, ".rcp")->flatList.empty());
        }

        EXPECT_EQ (relativePaths (listings.listingOf (root, ".rcp")->flatList, root), juce::StringArray ({ "A/x.rcp" }));
        root.deleteRecursively();
    }
}
