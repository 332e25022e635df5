// The real save and delete dialogs on screen: found as a user would see them, checked, answered.

#include "support/BrowserTestSupport.h"
#include "support/AlertWindows.h"

#include "presets/DarkAlertLookAndFeel.h"

using namespace BrowserTest;

namespace
{
    /** The window's buttons as "text=result", in their order from left to right. */
    juce::StringArray buttonsOf (juce::AlertWindow& alert)
    {
        std::vector<juce::TextButton*> buttons;

        for (auto* child : alert.getChildren())
            if (auto* button = dynamic_cast<juce::TextButton*> (child))
                buttons.push_back (button);

        std::sort (buttons.begin(), buttons.end(), [] (auto* a, auto* b) { return a->getX() < b->getX(); });

        juce::StringArray texts;

        for (auto* button : buttons)
            texts.add (button->getButtonText() + "=" + juce::String (button->getCommandID()));

        return texts;
    }

    juce::TextButton* buttonNamed (juce::AlertWindow& alert, const juce::String& text)
    {
        for (auto* child : alert.getChildren())
            if (auto* button = dynamic_cast<juce::TextButton*> (child); button != nullptr && button->getButtonText() == text)
                return button;

        return nullptr;
    }

    class Dialogs : public ::testing::Test
    {
    protected:
        void TearDown() override
        {
            dialogs.reset();
            EXPECT_TRUE (runPendingMessages());
        }

        /** The one dialog on screen, once it is there. */
        juce::AlertWindow* shownDialog()
        {
            EXPECT_TRUE (runUntil ([] { return AlertWindows::visible().size() == 1; }));
            const auto windows = AlertWindows::visible();
            return windows.size() == 1 ? windows.front() : nullptr;
        }

        void click (juce::AlertWindow& alert, const juce::String& buttonText)
        {
            auto* button = buttonNamed (alert, buttonText);
            ASSERT_NE (button, nullptr) << buttonText;
            button->triggerClick();
            ASSERT_TRUE (runUntil ([] { return AlertWindows::visible().empty(); }));
            ASSERT_TRUE (runPendingMessages());
        }

        DarkAlertLookAndFeel look;
        std::unique_ptr<AlertWindowPresetDialogs> dialogs = std::make_unique<AlertWindowPresetDialogs> (look);
        juce::StringArray answers;
    };
}

TEST_F (Dialogs, SaveAsksForANameAndHandsOnWhatWasTyped)
{
    dialogs->askForPresetName ("Default", {}, [this] (const juce::String& typed) { answers.add ("save " + typed); });

    auto* alert = shownDialog();
    ASSERT_NE (alert, nullptr);
    EXPECT_EQ (alert, dialogs->getOpenDialog());
    EXPECT_EQ (alert->getName(), "Save Preset");
    EXPECT_EQ (alert->getDescription(), "Save Preset. Enter preset name:");
    EXPECT_TRUE (alert->isCurrentlyModal());
    EXPECT_EQ (&alert->getLookAndFeel(), &look);
    EXPECT_EQ (buttonsOf (*alert), juce::StringArray ({ "Save=1", "Cancel=0" }));

    auto* field = alert->getTextEditor ("name");
    ASSERT_NE (field, nullptr);
    EXPECT_EQ (field->getText(), "Default");
    EXPECT_EQ (field->getPasswordCharacter(), 0);
    EXPECT_EQ (&field->getLookAndFeel(), &look);
    EXPECT_EQ (&buttonNamed (*alert, "Save")->getLookAndFeel(), &look);

    writePicture (alert->createComponentSnapshot (alert->getLocalBounds()), "save-dialog.png");

    field->setText ("My Lead");
    click (*alert, "Save");

    EXPECT_EQ (answers, juce::StringArray ({ "save My Lead" }));
    EXPECT_EQ (dialogs->getOpenDialog(), nullptr);
}

TEST_F (Dialogs, CancelledSaveHandsOnNothing)
{
    dialogs->askForPresetName ("Default", {}, [this] (const juce::String& typed) { answers.add ("save " + typed); });

    auto* alert = shownDialog();
    ASSERT_NE (alert, nullptr);
    click (*alert, "Cancel");

    EXPECT_TRUE (answers.isEmpty());
    EXPECT_EQ (dialogs->getOpenDialog(), nullptr);
}

TEST_F (Dialogs, DeleteAsksTheQuestionAndConfirms)
{
    struct Case { const char* button; int deletions; };

    for (const auto& c : { Case { "Cancel", 0 }, Case { "Delete", 1 } })
    {
        SCOPED_TRACE (c.button);
        answers.clear();
        dialogs->confirmDeletion ("Delete \"Mine\"?\nUser/Mine.rcp", [this] { answers.add ("delete"); });

        auto* alert = shownDialog();
        ASSERT_NE (alert, nullptr);
        EXPECT_EQ (alert->getName(), "Delete Preset");
        EXPECT_EQ (alert->getDescription(), "Delete Preset. Delete \"Mine\"?\nUser/Mine.rcp");
        EXPECT_EQ (buttonsOf (*alert), juce::StringArray ({ "Delete=1", "Cancel=0" }));
        EXPECT_EQ (alert->getTextEditor ("name"), nullptr);

        if (c.deletions == 1)
            writePicture (alert->createComponentSnapshot (alert->getLocalBounds()), "delete-dialog.png");

        click (*alert, c.button);
        EXPECT_EQ (answers.size(), c.deletions);
    }
}

TEST_F (Dialogs, DialogsThatGoBeforeTheyAreAnsweredCallNothing)
{
    dialogs->confirmDeletion ("Delete \"Mine\"?", [this] { answers.add ("first"); });
    ASSERT_NE (shownDialog(), nullptr);

    // A second question replaces the first; then the owner goes with the second still open,
    // as when the host closes the editor.
    dialogs->askForPresetName ("Mine", {}, [this] (const juce::String&) { answers.add ("second"); });
    ASSERT_NE (shownDialog(), nullptr);
    EXPECT_EQ (shownDialog()->getName(), "Save Preset");

    dialogs.reset();
    ASSERT_TRUE (runPendingMessages());

    EXPECT_TRUE (AlertWindows::visible().empty());
    EXPECT_TRUE (answers.isEmpty());
}

TEST_F (Dialogs, LookDrawsADarkRoundedBoxWithAThinOutline)
{
    dialogs->confirmDeletion ("Delete \"Mine\"?", [] {});
    auto* alert = shownDialog();
    ASSERT_NE (alert, nullptr);

    const auto picture = alert->createComponentSnapshot (alert->getLocalBounds());
    const auto h = picture.getHeight();

    // Inside: the body colour; on the edge halfway down: the outline; the very corner is
    // outside the rounded box.
    EXPECT_EQ (picture.getPixelAt (4, h / 2), juce::Colour (0xFF1A1A1A));
    EXPECT_NEAR (picture.getPixelAt (0, h / 2).getRed(), 0x44, 0x12);
    EXPECT_NE (picture.getPixelAt (0, 0), juce::Colour (0xFF1A1A1A));
    EXPECT_NE (picture.getPixelAt (0, 0), juce::Colour (0xFF444444));
}
