// The plug-in's own power: the veil while it is off and the click that ends it, the BYPASS
// button, and the info line with its idle text and its on/off switch.

#include "support/EditorWindowSupport.h"

using namespace EditorWindowSupport;

namespace
{
    class EditorPower : public EditorTest
    {
    protected:
        void SetUp() override
        {
            EditorTest::SetUp();
            open();
            unveiledBrightness = meanBrightness (picture());
        }

        juce::Image picture()  { return editor->createComponentSnapshot (editor->getLocalBounds()); }

        /** The veil is black at 80 %: what shows through is a fifth as bright. */
        bool veilShows()
        {
            const auto shown = meanBrightness (picture()) < 0.4f * unveiledBrightness;
            EXPECT_EQ (shown, editor->bypassOverlayShown);
            return shown;
        }

        float unveiledBrightness = 0.0f;
    };
}

TEST_F (EditorPower, VeilFollowsThePowerParameterWithinOnePoll)
{
    EXPECT_EQ (editor->getTimerInterval(), 33);
    EXPECT_FALSE (veilShows());

    automate ("poweR power", 0.0f);
    EXPECT_FALSE (editor->bypassOverlayShown);
    editor->timerCallback();
    EXPECT_TRUE (veilShows());

    // "BYPASSED" lies 20 x 0.75 above the centre, in white.
    EXPECT_EQ (brightestPixel (picture().getClippedImage ({ 380, 290, 70, 20 })), juce::Colours::white);

    automate ("poweR power", 1.0f);
    editor->timerCallback();
    EXPECT_FALSE (veilShows());
}

TEST_F (EditorPower, EditorOpenedWhilePoweredOffShowsTheVeilAtOnce)
{
    close();
    automate ("poweR power", 0.0f);
    open();
    EXPECT_TRUE (editor->bypassOverlayShown);
    EXPECT_LT (meanBrightness (picture()), 0.4f * unveiledBrightness);
}

TEST_F (EditorPower, ClickOnTheBackgroundPowersOnAndIsOneStep)
{
    EditorTestSupport::DesktopMouse mouse (*editor);

    struct Press { const char* where; juce::Point<float> point; bool powersOn; };

    for (const auto& press : { Press { "artwork", { 400.0f, 100.0f }, true },
                               Press { "info line", { 300.0f, 614.0f }, true },
                               Press { "top bar", { 120.0f, 20.0f }, true },
                               Press { "drive knob", { 317.0f, 513.0f }, false },
                               Press { "EQ switch", { 565.0f, 265.0f }, false } })
    {
        SCOPED_TRACE (press.where);
        automate ("poweR power", 0.0f);
        editor->timerCallback();
        EXPECT_TRUE (runPendingMessages());
        const auto steps = editor->undoStack.size();

        mouse.click (press.point);
        EXPECT_TRUE (runPendingMessages());

        if (press.powersOn)
        {
            EXPECT_EQ (value ("poweR power"), 1.0f);
            EXPECT_EQ (editor->undoStack.size(), steps + 1);
            EXPECT_TRUE (editor->powerButton.getToggleState());
        }
        else
        {
            EXPECT_EQ (value ("poweR power"), 0.0f);
        }

        automate ("EqP power", 1.0f);
    }

    // Undo takes the power-on click back.
    automate ("poweR power", 0.0f);
    editor->timerCallback();
    mouse.click ({ 400.0f, 100.0f });
    EXPECT_TRUE (runPendingMessages());
    ASSERT_EQ (value ("poweR power"), 1.0f);
    editor->undoButton.onClick();
    EXPECT_EQ (value ("poweR power"), 0.0f);
}

TEST_F (EditorPower, BypassTogglesPowerAsOneStep)
{
    click (editor->bypassButton);
    EXPECT_EQ (value ("poweR power"), 0.0f);
    EXPECT_FALSE (editor->powerButton.getToggleState());
    EXPECT_EQ (editor->undoStack.size(), 1u);

    editor->timerCallback();
    EXPECT_TRUE (veilShows());

    click (editor->bypassButton);
    EXPECT_EQ (value ("poweR power"), 1.0f);
    EXPECT_EQ (editor->undoStack.size(), 2u);
}

TEST_F (EditorPower, IdleLineNamesTheRateAndTheOversampling)
{
    struct Case { double rate; const char* rateText; };

    const Case rates[] = { { 0.0, "44.1k" }, { 32000.0, "44.1k" }, { 44100.0, "44.1k" }, { 44100.5, "48k" },
                           { 48000.0, "48k" }, { 48001.0, "88.2k" }, { 88200.0, "88.2k" }, { 96000.0, "96k" },
                           { 96001.0, "176.4k" }, { 176400.0, "176.4k" }, { 176401.0, "192k" }, { 384000.0, "192k" } };
    const char* const oversampling[] = { "OFF", "2x", "4x", "8x" };

    for (const auto& c : rates)
    {
        for (int choice = 0; choice < 4; ++choice)
        {
            processor->setRateAndBufferSizeDetails (c.rate, 512);
            automate ("os", (float) choice);
            editor->updateTooltip ({});

            EXPECT_EQ (editor->infoLabel.getText(), juce::String ("SR: ") + c.rateText + " | Oversampling: " + oversampling[choice]) << c.rate;
        }
    }

    editor->updateTooltip ("RATIO: Compressor ratio");
    EXPECT_EQ (editor->infoLabel.getText(), "RATIO: Compressor ratio");
}

TEST_F (EditorPower, HelpTextSwitchClearsTheLineAndIsSavedAtOnce)
{
    EditorTestSupport::DesktopMouse mouse (*editor);
    ASSERT_EQ (editor->infoLabel.getText(), "SR: 44.1k | Oversampling: OFF");

    click (editor->tooltipButton);
    EXPECT_FALSE (editor->showTooltips);
    EXPECT_EQ (editor->infoLabel.getText(), "");
    EXPECT_EQ (storedSetting ("tooltipsEnabled"), "0");

    mouse.moveTo ({ 317.0f, 513.0f });
    EXPECT_EQ (editor->infoLabel.getText(), "");
    mouse.moveTo ({ 400.0f, 100.0f });
    EXPECT_EQ (editor->infoLabel.getText(), "");

    // Back on, the line waits for the pointer.
    click (editor->tooltipButton);
    EXPECT_TRUE (editor->showTooltips);
    EXPECT_EQ (editor->infoLabel.getText(), "");
    EXPECT_EQ (storedSetting ("tooltipsEnabled"), "1");

    mouse.moveTo ({ 317.0f, 513.0f });
    EXPECT_EQ (editor->infoLabel.getText(), "INPUT DRIVE: Controls input saturation level");

    // The switch is no parameter change.
    EXPECT_TRUE (editor->undoStack.empty());
}

TEST_F (EditorPower, HelpTextSwitchIsRestoredOnReopening)
{
    click (editor->tooltipButton);
    close();

    open();
    EXPECT_FALSE (editor->showTooltips);
    EXPECT_FALSE (editor->tooltipButton.getToggleState());

    click (editor->tooltipButton);
    close();

    open();
    EXPECT_TRUE (editor->showTooltips);
    EXPECT_EQ (editor->infoLabel.getText(), "SR: 44.1k | Oversampling: OFF");
}

TEST_F (EditorPower, VeilTextsFollowTheScale)
{
    automate ("poweR power", 0.0f);
    editor->timerCallback();

    // The white rows of "BYPASSED": as tall again at twice the width, centred 20 x r above the middle.
    struct Extent { float middle, height; };

    const auto whiteRows = [this] (int width)
    {
        editor->setSize (width, (int) std::lround (width * 852.0 / 1100.0));
        const auto r = (float) width / 1100.0f;
        const auto image = picture();
        int top = image.getHeight(), bottom = 0;

        for (int y = 0; y < image.getHeight(); ++y)
            for (auto x = (int) (width / 2 - 120 * r); x < (int) (width / 2 + 120 * r); ++x)
                if (image.getPixelAt (x, y).getBrightness() > 0.9f)
                {
                    top = juce::jmin (top, y);
                    bottom = juce::jmax (bottom, y);
                }

        EXPECT_NEAR ((top + bottom) / 2.0f, image.getHeight() / 2.0f - 20.0f * r, 4.0f * r) << width;
        return Extent { (top + bottom) / 2.0f, (float) (bottom - top + 1) };
    };

    const auto small = whiteRows (550);
    const auto large = whiteRows (1100);
    EXPECT_NEAR (large.height, 2.0f * small.height, 3.0f);
}
