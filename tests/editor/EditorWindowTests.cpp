// The editor window as a host opens it: size and settings file, every control at its place at
// each scale, what lies under the pointer, the bindings, paint and the help texts.

#include "support/EditorWindowSupport.h"

#include <BinaryData.h>

#include <cstdlib>

using namespace EditorWindowSupport;
using Editor = QuorlinAudioProcessorEditor;

namespace
{
    struct LayoutRow
    {
        const char* name;
        juce::Component* (*member) (Editor&);
        juce::Rectangle<int> designRect;
        const char* tooltip;
    };

    template <int number>
    juce::Component* knobNumber (Editor& e)  { return e.knobSliders[number - 1].get(); }

    // Every child placed in design units, in layout order, with its help text.
    const LayoutRow layoutRows[] = {
        { "logo",    [] (Editor& e) -> juce::Component* { return &e.logoButton; },      { 19, 16, 30, 30 },    "Click for About and Plugin Info" },
        { "meter",   [] (Editor& e) -> juce::Component* { return &e.topBarMeter; },     { 59, 16, 80, 30 },    nullptr },
        { "undo",    [] (Editor& e) -> juce::Component* { return &e.undoButton; },      { 183, 16, 30, 30 },   "UNDO: Revert last parameter change" },
        { "redo",    [] (Editor& e) -> juce::Component* { return &e.redoButton; },      { 219, 16, 30, 30 },   "REDO: Restore last undone change" },
        { "heart",   [] (Editor& e) -> juce::Component* { return &e.heartButton; },     { 293, 16, 30, 30 },   "FAVORITE: Toggle favorite for current preset" },
        { "presets", [] (Editor& e) -> juce::Component* { return e.presetSelector.get(); }, { 331, 16, 260, 30 }, nullptr },
        { "prev",    [] (Editor& e) -> juce::Component* { return &e.prevButton; },      { 597, 16, 27, 30 },   "PREV: Load previous preset" },
        { "next",    [] (Editor& e) -> juce::Component* { return &e.nextButton; },      { 630, 16, 27, 30 },   "NEXT: Load next preset" },
        { "save",    [] (Editor& e) -> juce::Component* { return &e.saveButton; },      { 701, 16, 27, 30 },   "SAVE: Save current settings as preset" },
        { "delete",  [] (Editor& e) -> juce::Component* { return &e.deleteButton; },    { 734, 16, 27, 30 },   "DELETE: Delete current preset" },
        { "A",       [] (Editor& e) -> juce::Component* { return &e.compareAButton; },  { 805, 16, 27, 30 },   "A/B COMPARE: Switch to state A" },
        { "B",       [] (Editor& e) -> juce::Component* { return &e.compareBButton; },  { 838, 16, 27, 30 },   "A/B COMPARE: Switch to state B" },
        { "os",      [] (Editor& e) -> juce::Component* { return &e.oversamplingBox; }, { 945, 16, 64, 30 },   "OVX: Oversampling multiplier (1x / 2x / 4x / 8x)" },
        { "knob1",   knobNumber<1>,  { 373, 634, 100, 100 }, "INPUT DRIVE: Controls input saturation level" },
        { "knob2",   knobNumber<2>,  { 33, 440, 167, 167 },  "GAIN: Main gain control" },
        { "knob4",   knobNumber<4>,  { 790, 620, 100, 100 }, "LOW CUT: High-pass filter frequency (Hz)" },
        { "knob3",   knobNumber<3>,  { 712, 427, 167, 167 }, "LOW: Low frequency EQ band" },
        { "knob5",   knobNumber<5>,  { 828, 269, 167, 167 }, "MID: Mid frequency EQ band" },
        { "knob6",   knobNumber<6>,  { 901, 440, 167, 167 }, "HIGH: High frequency EQ band" },
        { "knob7",   knobNumber<7>,  { 500, 647, 100, 100 }, "MIX: Comp/EQ wet-dry mix (%)" },
        { "knob8",   knobNumber<8>,  { 626, 634, 100, 100 }, "OUTPUT: Output level control" },
        { "knob9",   knobNumber<9>,  { 211, 620, 100, 100 }, "RATIO: Compressor ratio" },
        { "knob10",  knobNumber<10>, { 108, 269, 167, 167 }, "ATTACK: Compressor attack time" },
        { "knob11",  knobNumber<11>, { 223, 427, 167, 167 }, "RELEASE: Compressor release time" },
        { "eq",      [] (Editor& e) -> juce::Component* { return &e.eqButton; },        { 729, 328, 49, 52 },  "EQ: Toggle equalizer section on/off" },
        { "power",   [] (Editor& e) -> juce::Component* { return &e.powerButton; },     { 68, 614, 96, 98 },   "POWER: Toggle plugin processing on/off" },
        { "comp",    [] (Editor& e) -> juce::Component* { return &e.compButton; },      { 323, 328, 49, 52 },  "COMP: Toggle compressor section on/off" },
        { "typeA",   [] (Editor& e) -> juce::Component* { return &e.typeAButton; },     { 387, 572, 100, 78 }, "TYPE A: Channel type A" },
        { "typeB",   [] (Editor& e) -> juce::Component* { return &e.typeBButton; },     { 462, 582, 100, 78 }, "TYPE B: Channel type B" },
        { "typeC",   [] (Editor& e) -> juce::Component* { return &e.typeCButton; },     { 539, 582, 100, 78 }, "TYPE C: Channel type C" },
        { "typeD",   [] (Editor& e) -> juce::Component* { return &e.typeDButton; },     { 613, 572, 100, 78 }, "TYPE D: Channel type D" },
        { "needle",  [] (Editor& e) -> juce::Component* { return &e.needleMeter; },     { 425, 297, 250, 126 }, nullptr },
        { "ring",    [] (Editor& e) -> juce::Component* { return &e.outputMeter; },     { 495, 417, 110, 110 }, nullptr },
        { "info",    [] (Editor& e) -> juce::Component* { return &e.tooltipButton; },   { 10, 807, 26, 26 },   nullptr },
        { "bypass",  [] (Editor& e) -> juce::Component* { return &e.bypassButton; },    { 960, 805, 120, 28 }, "BYPASS: Toggle plugin bypass on/off" },
    };

    int heightFor (int width)  { return (int) std::lround (width * 852.0 / 1100.0); }

    /** Where a child shows in the window: its bounds through its transform. */
    juce::Rectangle<float> windowRect (juce::Component& child)
    {
        return child.getBounds().toFloat().transformedBy (child.getTransform());
    }

    juce::Point<int> windowCentre (const juce::Rectangle<int>& designRect, float r)
    {
        return (designRect.toFloat().getCentre() * r).toInt();
    }

    bool isOrInside (juce::Component* found, juce::Component* member)
    {
        return found == member || (found != nullptr && member->isParentOf (found));
    }

    class EditorWindow : public EditorTest {};
}

TEST_F (EditorWindow, OpensAtTheDefaultSizeWithHelpTextsOnWithoutASettingsFile)
{
    ASSERT_FALSE (settingsFileOnDisk().exists());
    open();

    EXPECT_EQ (editor->getWidth(), 825);
    EXPECT_EQ (editor->getHeight(), 639);
    EXPECT_TRUE (editor->showTooltips);
    EXPECT_TRUE (editor->tooltipButton.getToggleState());
    EXPECT_EQ (editor->infoLabel.getText(), "SR: 44.1k | Oversampling: OFF");
    EXPECT_FLOAT_EQ (editor->infoLabel.getFont().getHeight(), 14.0f);

    EXPECT_TRUE (editor->isResizable());
    auto* constrainer = editor->getConstrainer();
    ASSERT_NE (constrainer, nullptr);
    EXPECT_DOUBLE_EQ (constrainer->getFixedAspectRatio(), 1100.0 / 852.0);
    EXPECT_EQ (constrainer->getMinimumWidth(), 550);
    EXPECT_EQ (constrainer->getMinimumHeight(), 426);
    EXPECT_EQ (constrainer->getMaximumWidth(), 1650);
    EXPECT_EQ (constrainer->getMaximumHeight(), 1278);

    // The first layout's value reaches the disk when the editor closes.
    close();
    EXPECT_EQ (storedSetting ("sizeRatio").getDoubleValue(), 0.75);
}

TEST_F (EditorWindow, EveryChildSitsAtItsDesignPlaceScaledByTheWidth)
{
    struct InfoLine { int width; juce::Rectangle<int> bounds; float fontHeight; };

    for (const auto& expected : { InfoLine { 550, { 21, 403, 450, 13 }, 8.0f },
                                  InfoLine { 825, { 31, 605, 675, 19 }, 12.0f },
                                  InfoLine { 1100, { 42, 807, 900, 26 }, 16.0f } })
    {
        if (editor == nullptr)
            open();

        editor->setSize (expected.width, heightFor (expected.width));
        const auto r = (float) expected.width / 1100.0f;
        SCOPED_TRACE (expected.width);

        for (const auto& row : layoutRows)
        {
            auto& child = *row.member (*editor);
            EXPECT_EQ (child.getBounds(), row.designRect) << row.name;
            EXPECT_EQ (child.getTransform(), juce::AffineTransform::scale (r)) << row.name;
        }

        EXPECT_EQ (editor->infoLabel.getBounds(), expected.bounds);
        EXPECT_TRUE (editor->infoLabel.getTransform().isIdentity());
        EXPECT_FLOAT_EQ (editor->infoLabel.getFont().getHeight(), expected.fontHeight);
        EXPECT_EQ (editor->appProperties.getCommonSettings (true)->getDoubleValue ("sizeRatio"), (double) r);
    }

    editor->setSize (825, 639);
    EXPECT_EQ (windowRect (knob (1)), juce::Rectangle<float> (279.75f, 475.5f, 75.0f, 75.0f));
}

TEST_F (EditorWindow, AHeightThatBreaksTheProportionsOnlyStretchesTheArtwork)
{
    open().setSize (825, 700);

    EXPECT_EQ (windowRect (knob (1)), juce::Rectangle<float> (279.75f, 475.5f, 75.0f, 75.0f));
    EXPECT_EQ (editor->infoLabel.getBounds(), juce::Rectangle<int> (31, 605, 675, 19));
    EXPECT_EQ (editor->bypassButton.getBounds(), juce::Rectangle<int> (960, 805, 120, 28));
}

TEST_F (EditorWindow, EachRowOwnsThePointAtItsCentre)
{
    open().setVisible (true);
    ASSERT_EQ (editor->getWidth(), 825);

    for (const auto& row : layoutRows)
        EXPECT_TRUE (isOrInside (editor->getComponentAt (windowCentre (row.designRect, 0.75f)), row.member (*editor))) << row.name;

    // The info line lets the pointer through to the editor.
    EXPECT_EQ (editor->getComponentAt (editor->infoLabel.getBounds().getCentre()), editor.get());
}

TEST_F (EditorWindow, SettingsFileOptions)
{
    const auto options = QuorlinAudioProcessorEditor::settingsOptions();
    EXPECT_EQ (options.applicationName, "VastrelV3");
    EXPECT_EQ (options.filenameSuffix, "settings");
    EXPECT_EQ (options.osxLibrarySubFolder, "Application Support");
    EXPECT_TRUE (options.commonToAllUsers);
    EXPECT_FALSE (options.ignoreCaseOfKeyNames);
    EXPECT_FALSE (options.doNotSave);
    EXPECT_EQ (options.millisecondsBeforeSaving, 3000);
    EXPECT_EQ (options.storageFormat, juce::PropertiesFile::storeAsXML);
    EXPECT_EQ (options.processLock, nullptr);
    EXPECT_EQ (options.getDefaultFile(), settingsFileOnDisk());

    // Without the test run's folder: the framework's own places, only named here, never opened.
    const auto folder = settingsFolder().getFullPathName();
    ASSERT_EQ (unsetenv ("VASTREL_SETTINGS_FOLDER"), 0);
    const auto production = QuorlinAudioProcessorEditor::settingsOptions();
    ASSERT_EQ (setenv ("VASTREL_SETTINGS_FOLDER", folder.toRawUTF8(), 1), 0);

    EXPECT_EQ (production.folderName, "");
    EXPECT_EQ (production.getDefaultFile().getFullPathName(), "/var/.VastrelV3/VastrelV3.settings");
}

TEST_F (EditorWindow, SizeRatioFromTheSettingsFile)
{
    struct Case { const char* stored; int width, height; };

    // Unusable ratios fall back to the default; others are kept within the size limits.
    for (const auto& c : { Case { "0.75", 825, 639 }, Case { "1.5", 1650, 1278 }, Case { "1.0", 1100, 852 }, Case { "0.5", 550, 426 },
                           Case { "0.3", 550, 426 }, Case { "2.0", 1650, 1278 }, Case { "0", 825, 639 }, Case { "-1", 825, 639 },
                           Case { "nan", 825, 639 }, Case { "inf", 825, 639 }, Case { "1e300", 825, 639 }, Case { "wide", 825, 639 } })
    {
        settingsFolder().deleteRecursively();
        writeSetting ("sizeRatio", c.stored);

        open();
        EXPECT_EQ (editor->getWidth(), c.width) << c.stored;
        EXPECT_EQ (editor->getHeight(), c.height) << c.stored;
        close();
    }
}

TEST_F (EditorWindow, ReopensAtTheWidthItClosedAtEveryTime)
{
    // The stored ratio is the width / 1100 in single precision: 700 / 1100 lies a little below
    // 7 / 11, and a truncated restore lost a pixel at every opening.
    for (const auto width : { 550, 651, 700, 733, 999, 1287, 1650 })
    {
        settingsFolder().deleteRecursively();
        open().setSize (width, width * 852 / 1100);
        close();

        for (int opening = 1; opening <= 3; ++opening)
        {
            open();
            EXPECT_EQ (editor->getWidth(), width) << "opening " << opening;
            EXPECT_EQ (editor->getHeight(), juce::roundToInt (width * 852.0 / 1100.0)) << width << ", opening " << opening;
            close();
        }
    }
}

TEST_F (EditorWindow, HelpTextSwitchFromTheSettingsFile)
{
    writeSetting ("tooltipsEnabled", "0");
    open();

    EXPECT_FALSE (editor->showTooltips);
    EXPECT_FALSE (editor->tooltipButton.getToggleState());
    EXPECT_EQ (editor->infoLabel.getText(), "");
}

TEST_F (EditorWindow, LayingOutAgainAtTheSameWidthStartsNoSave)
{
    open();
    close();

    open();
    auto& settings = *editor->appProperties.getCommonSettings (true);
    EXPECT_FALSE (settings.needsToBeSaved());

    editor->resized();
    EXPECT_FALSE (settings.needsToBeSaved());

    editor->setSize (1100, 852);
    EXPECT_TRUE (settings.needsToBeSaved());
}

TEST_F (EditorWindow, InfoLineFontIsFourteenUntilTheNextLayout)
{
    open();
    EXPECT_FLOAT_EQ (editor->infoLabel.getFont().getHeight(), 14.0f);

    editor->setSize (1100, 852);
    editor->setSize (825, 639);
    EXPECT_FLOAT_EQ (editor->infoLabel.getFont().getHeight(), 12.0f);
}

TEST_F (EditorWindow, PaintsTheBlackBarTheCaptionAndTheArtworkBelow)
{
    open();
    const auto picture = editor->createComponentSnapshot (editor->getLocalBounds());

    // At 825 the bar is 46 high; x = 120 lies between the top-bar controls.
    for (int y = 0; y < 46; ++y)
        EXPECT_EQ (picture.getPixelAt (120, y), juce::Colours::black) << y;

    auto artworkRows = 0;

    for (int y = 46; y < 60; ++y)
        artworkRows += picture.getPixelAt (120, y) != juce::Colours::black ? 1 : 0;

    EXPECT_GT (artworkRows, 10);

    // "OVX" is drawn in (681, 12, 25, 22), left of the box; the strip before it stays black.
    auto captionPixels = 0;

    for (int y = 12; y < 34; ++y)
    {
        for (int x = 681; x < 706; ++x)
            captionPixels += picture.getPixelAt (x, y).getBrightness() > 0.3f ? 1 : 0;

        for (int x = 660; x < 680; ++x)
            EXPECT_EQ (picture.getPixelAt (x, y), juce::Colours::black) << x << ", " << y;
    }

    EXPECT_GT (captionPixels, 10);
}

TEST_F (EditorWindow, ArtworkIsStretchedIntoTheAreaBelowTheBar)
{
    open();
    const auto artwork = juce::ImageCache::getFromMemory (BinaryData::background_png, BinaryData::background_pngSize);
    ASSERT_EQ (artwork.getBounds(), juce::Rectangle<int> (0, 0, 1100, 790));

    struct Size { int width, height; };

    // The title, which no control covers, at one and at two screen pixels per unit, also when a
    // host imposes a height that breaks the proportions.
    for (const auto pixelScale : { 1.0f, 2.0f })
    {
        for (const auto [width, height] : { Size { 825, 639 }, Size { 1100, 852 }, Size { 550, 426 }, Size { 825, 700 } })
        {
            editor->setSize (width, height);
            const auto bar = (int) (62.0f * (float) width / 1100.0f);
            const auto picture = editor->createComponentSnapshot (editor->getLocalBounds(), true, pixelScale);
            const auto scale = (float) width / 1100.0f;

            juce::Image expected (juce::Image::RGB, picture.getWidth(), picture.getHeight(), true);
            {
                juce::Graphics g (expected);
                g.addTransform (juce::AffineTransform::scale (pixelScale));
                g.drawImage (artwork, 0, bar, width, editor->getHeight() - bar, 0, 0, 1100, 790);
            }

            const auto artworkScale = (float) (height - bar) / 790.0f;
            const auto title = juce::Rectangle<float> (350.0f * scale, (float) bar + 50.0f * artworkScale, 400.0f * scale, 50.0f * artworkScale);
            const auto inPixels = (title * pixelScale).toNearestInt();
            auto worst = 0;

            for (int y = inPixels.getY(); y < inPixels.getBottom(); ++y)
                for (int x = inPixels.getX(); x < inPixels.getRight(); ++x)
                {
                    const auto a = picture.getPixelAt (x, y), b = expected.getPixelAt (x, y);
                    worst = juce::jmax (worst, std::abs (a.getRed() - b.getRed()), std::abs (a.getGreen() - b.getGreen()),
                                        std::abs (a.getBlue() - b.getBlue()));
                }

            EXPECT_EQ (worst, 0) << width << " x " << height << " at " << pixelScale;
        }
    }
}

TEST_F (EditorWindow, ControlsAreBoundToTheirParameters)
{
    struct Knob { int number; double minimum, maximum, defaultValue; };

    open();

    for (const auto& k : { Knob { 1, 0.0, 24.0, 0.0 }, Knob { 2, 0.0, 25.0, 0.0 }, Knob { 3, -10.0, 10.0, 0.0 },
                           Knob { 4, 20.0, 60.0, 20.0 }, Knob { 5, -10.0, 10.0, 0.0 }, Knob { 6, -10.0, 10.0, 0.0 },
                           Knob { 7, 0.0, 100.0, 100.0 }, Knob { 8, -81.0, 10.0, -10.0 }, Knob { 9, 1.0, 5.0, 1.0 },
                           Knob { 10, 1.0, 6.0, 1.0 }, Knob { 11, 1.0, 6.0, 1.0 } })
    {
        auto& slider = knob (k.number);
        EXPECT_EQ (slider.getMinimum(), k.minimum) << k.number;
        EXPECT_EQ (slider.getMaximum(), k.maximum) << k.number;
        EXPECT_NEAR (slider.getValue(), k.defaultValue, 1.0e-4) << k.number;
        EXPECT_TRUE (slider.isDoubleClickReturnEnabled()) << k.number;
        EXPECT_NEAR (slider.getDoubleClickReturnValue(), k.defaultValue, 1.0e-4) << k.number;
        EXPECT_EQ (slider.getSliderStyle(), juce::Slider::RotaryVerticalDrag) << k.number;
        EXPECT_EQ (slider.getTextBoxPosition(), juce::Slider::NoTextBox) << k.number;
    }

    EXPECT_EQ (knob (1).getName(), "Knob1");
    EXPECT_EQ (knob (3).getName(), "knob3");
    EXPECT_EQ (knob (6).getName(), "knob6");

    // Host automation reaches the controls on the message thread at once.
    automate ("EqP power", 0.0f);
    automate ("TypeC power", 1.0f);
    automate ("os", 2.0f);
    knob (7).setValue (40.0, juce::sendNotificationSync);

    EXPECT_FALSE (editor->eqButton.getToggleState());
    EXPECT_TRUE (editor->compButton.getToggleState());
    EXPECT_TRUE (editor->powerButton.getToggleState());
    EXPECT_TRUE (editor->typeCButton.getToggleState());
    EXPECT_EQ (editor->oversamplingBox.getSelectedId(), 3);
    EXPECT_EQ (editor->oversamplingBox.getText(), "4x");
    EXPECT_NEAR (value ("knob7"), 40.0f, 1.0e-4f);

    Retrotogglebutton* const types[] = { &editor->typeAButton, &editor->typeBButton, &editor->typeCButton, &editor->typeDButton };

    for (auto* type : types)
    {
        EXPECT_EQ (type->getRadioGroupId(), 42);
        EXPECT_TRUE (type->getClickingTogglesState());
    }
}

TEST_F (EditorWindow, OpeningRecordsNoUndoStep)
{
    automate ("TypeC power", 1.0f);
    open();
    EXPECT_TRUE (runPendingMessages());

    EXPECT_TRUE (editor->undoStack.empty());
    EXPECT_TRUE (editor->redoStack.empty());
    EXPECT_FALSE (editor->undoButton.isEnabled());
    EXPECT_FALSE (editor->redoButton.isEnabled());
    EXPECT_TRUE (editor->typeCButton.getToggleState());
}

TEST_F (EditorWindow, ThirtyHelpTextsOneListenerPerControl)
{
    open();
    ASSERT_EQ (editor->tooltipListeners.size(), 30);

    juce::StringArray expected;

    for (const auto index : { 13, 14, 16, 15, 17, 18, 19, 20, 21, 22, 23, 25, 26, 24, 27, 28, 29, 30, 12, 2, 3, 4, 6, 7, 8, 9, 10, 11, 0, 34 })
        expected.add (layoutRows[index].tooltip);

    juce::StringArray texts;

    for (auto* listener : editor->tooltipListeners)
        texts.add (listener->text);

    EXPECT_EQ (texts, expected);
}

TEST_F (EditorWindow, PointerOverAControlShowsItsHelpTextAndOverNothingTheIdleLine)
{
    processor->setRateAndBufferSizeDetails (48000.0, 512);
    automate ("os", 2.0f);
    open();
    EditorTestSupport::DesktopMouse mouse (*editor);

    for (const auto& row : layoutRows)
    {
        if (row.tooltip == nullptr)
            continue;

        mouse.moveTo (windowCentre (row.designRect, 0.75f).toFloat());
        EXPECT_EQ (editor->infoLabel.getText(), row.tooltip) << row.name;

        mouse.moveTo ({ 400.0f, 100.0f });
        EXPECT_EQ (editor->infoLabel.getText(), "SR: 48k | Oversampling: 4x") << row.name;
    }

    // Over the box's text as well as over its arrow.
    mouse.moveTo ({ 724.0f, 23.0f });
    EXPECT_EQ (editor->infoLabel.getText(), "OVX: Oversampling multiplier (1x / 2x / 4x / 8x)");
    mouse.moveTo ({ 746.0f, 23.0f });
    EXPECT_EQ (editor->infoLabel.getText(), "OVX: Oversampling multiplier (1x / 2x / 4x / 8x)");

    // The meters, the preset field and the info line have no help text.
    for (const auto* name : { "meter", "presets", "needle", "ring" })
    {
        for (const auto& row : layoutRows)
            if (juce::String (row.name) == name)
                mouse.moveTo (windowCentre (row.designRect, 0.75f).toFloat());

        EXPECT_EQ (editor->infoLabel.getText(), "SR: 48k | Oversampling: 4x") << name;
    }

    mouse.moveTo (editor->infoLabel.getBounds().getCentre().toFloat());
    EXPECT_EQ (editor->infoLabel.getText(), "SR: 48k | Oversampling: 4x");
}

namespace
{
    /** The item of the open pop-up menu that shows the text, or nullptr. */
    juce::Component* openMenuItem (const juce::String& text)
    {
        std::function<juce::Component* (juce::Component&)> find = [&] (juce::Component& parent) -> juce::Component*
        {
            for (auto* child : parent.getChildren())
            {
                if (auto* handler = child->getAccessibilityHandler(); handler != nullptr && handler->getTitle() == text)
                    return child;

                if (auto* found = find (*child))
                    return found;
            }

            return nullptr;
        };

        auto* menu = juce::Component::getCurrentlyModalComponent();
        return menu != nullptr ? find (*menu) : nullptr;
    }
}

// The idle line is rebuilt at each poll while it shows: a choice picked in the box's menu, with
// the pointer ending on the artwork and so on no control, and a host's new sample rate show at
// the next tick, not only when the pointer next crosses a control.
TEST_F (EditorWindow, IdleLineFollowsTheOversamplingChoiceAndTheSampleRateAtTheNextTick)
{
    processor->setRateAndBufferSizeDetails (48000.0, 512);
    open();
    EXPECT_TRUE (editor->isTimerRunning());
    EXPECT_EQ (editor->getTimerInterval(), 33);

    EditorTestSupport::DesktopMouse mouse (*editor);
    mouse.moveTo ({ 400.0f, 100.0f });
    ASSERT_EQ (editor->infoLabel.getText(), "SR: 48k | Oversampling: OFF");

    // One tick is one call of the poll; the timer's own calls are held back meanwhile.
    editor->stopTimer();

    struct Pick { const char* item; float parameter; const char* line; };

    for (const auto& pick : { Pick { "4x", 2.0f, "SR: 48k | Oversampling: 4x" }, Pick { "8x", 3.0f, "SR: 48k | Oversampling: 8x" },
                              Pick { "off", 0.0f, "SR: 48k | Oversampling: OFF" }, Pick { "2x", 1.0f, "SR: 48k | Oversampling: 2x" } })
    {
        mouse.click ({ 724.0f, 23.0f });

        // A menu takes no release in its first quarter second.
        juce::MessageManager::getInstance()->runDispatchLoopUntil (300);
        auto* item = openMenuItem (pick.item);
        ASSERT_NE (item, nullptr) << pick.item;

        // The item lies over the artwork: once it is chosen and the menu gone, the pointer is on no control.
        mouse.click (editor->getLocalPoint (nullptr, item->getScreenBounds().getCentre().toFloat()));
        EXPECT_TRUE (runPendingMessages());
        ASSERT_EQ (value ("os"), pick.parameter) << pick.item;

        editor->timerCallback();
        EXPECT_EQ (editor->infoLabel.getText(), juce::String (pick.line)) << pick.item;
    }

    struct Rate { double sampleRate; const char* line; };

    for (const auto& rate : { Rate { 96000.0, "SR: 96k | Oversampling: 2x" }, Rate { 44100.0, "SR: 44.1k | Oversampling: 2x" },
                              Rate { 192000.0, "SR: 192k | Oversampling: 2x" } })
    {
        processor->setRateAndBufferSizeDetails (rate.sampleRate, 512);
        editor->timerCallback();
        EXPECT_EQ (editor->infoLabel.getText(), juce::String (rate.line)) << rate.sampleRate;
    }

    // A help text on show stays while the pointer is on its control.
    mouse.moveTo (windowCentre ({ 373, 634, 100, 100 }, 0.75f).toFloat());
    automate ("os", 3.0f);
    editor->timerCallback();
    EXPECT_EQ (editor->infoLabel.getText(), "INPUT DRIVE: Controls input saturation level");

    mouse.moveTo ({ 400.0f, 100.0f });
    EXPECT_EQ (editor->infoLabel.getText(), "SR: 192k | Oversampling: 8x");

    // With help texts switched off, and after switching them on again, the line stays empty
    // until the pointer next crosses a control.
    for (const auto on : { false, true })
    {
        mouse.click (windowCentre ({ 10, 807, 26, 26 }, 0.75f).toFloat());
        mouse.moveTo ({ 400.0f, 100.0f });
        ASSERT_EQ (editor->showTooltips, on);
        automate ("os", on ? 1.0f : 2.0f);
        editor->timerCallback();
        EXPECT_EQ (editor->infoLabel.getText(), "") << on;
    }

    // The timer itself does the polling.
    editor->startTimer (33);
    mouse.moveTo (windowCentre ({ 373, 634, 100, 100 }, 0.75f).toFloat());
    mouse.moveTo ({ 400.0f, 100.0f });
    automate ("os", 3.0f);
    juce::MessageManager::getInstance()->runDispatchLoopUntil (200);
    EXPECT_EQ (editor->infoLabel.getText(), "SR: 192k | Oversampling: 8x");
}
