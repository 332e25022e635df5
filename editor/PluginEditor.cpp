#include "PluginEditor.h"

#include "SharedPictures.h"
#include "engine/ParameterIds.h"
#include "presets/PresetBox.h"
#include "presets/PresetNames.h"

#include <BinaryData.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{
    const juce::Colour activeSlotColour { 0xff4a4a4a }, otherSlotColour { 0xff2a2a2a };

    // The letter of the active A/B slot, in the accent of the artwork.
    const juce::Colour activeSlotTextColour { 0xff7abec1 };

    const juce::Identifier sizeRatioKey ("sizeRatio"), tooltipsEnabledKey ("tooltipsEnabled");

    constexpr double defaultSizeRatio = 0.75;

    /** A stored ratio the window can open at: one that gives no usable size falls back to the
        default, any other is kept within the window's size limits.
    */
    double usableSizeRatio (double stored)
    {
        if (! std::isfinite (stored) || stored <= 0.0
            || stored * QuorlinAudioProcessorEditor::designWidth > (double) std::numeric_limits<int>::max())
            return defaultSizeRatio;

        return juce::jlimit (0.5, 1.5, stored);
    }

    /** The largest size ratio whose window fits a room of this size, within 0.5 to 1.5. */
    double largestRatioIn (int width, int height)
    {
        return juce::jlimit (0.5, 1.5, juce::jmin ((double) width / QuorlinAudioProcessorEditor::designWidth,
                                                   (double) height / QuorlinAudioProcessorEditor::designHeight));
    }

    /** The window size an editor opens at for a stored ratio, no larger than the display takes.
        The ratio is the width / 1100 in single precision, a hair off the width itself: rounded
        back, not truncated.
    */
    juce::Point<int> openingSizeFor (double storedRatio, double largestRatio)
    {
        const auto ratio = juce::jmin (usableSizeRatio (storedRatio), largestRatio);
        return { juce::roundToInt (QuorlinAudioProcessorEditor::designWidth * ratio),
                 juce::roundToInt (QuorlinAudioProcessorEditor::designHeight * ratio) };
    }

    /** Below the top bar: where the artwork goes in a window of this size. */
    juce::Rectangle<int> artworkArea (int width, int height)
    {
        const auto barHeight = (int) (62.0f * (float) width / (float) QuorlinAudioProcessorEditor::designWidth);
        return { 0, barHeight, width, height - barHeight };
    }

    /** The artwork's area in pixels, at the screen's scale. */
    juce::Point<int> pixelSizeOf (juce::Rectangle<int> area, float pixelScale)
    {
        return { juce::roundToInt ((float) area.getWidth() * pixelScale), juce::roundToInt ((float) area.getHeight() * pixelScale) };
    }

    /** True when two state blocks give the same settings: the same root properties and the same
        children, found by type and "id", with the same values. A block written from a loaded
        preset can hold a value as text where the other holds a number, and in another order.
    */
    bool holdSameSettings (const juce::MemoryBlock& a, const juce::MemoryBlock& b)
    {
        const auto first = juce::ValueTree::readFromData (a.getData(), a.getSize());
        const auto second = juce::ValueTree::readFromData (b.getData(), b.getSize());

        if (! first.isValid() || ! second.isValid()
            || ! first.hasType (second.getType()) || first.getNumChildren() != second.getNumChildren())
            return false;

        const auto sameProperties = [] (const juce::ValueTree& x, const juce::ValueTree& y)
        {
            if (x.getNumProperties() != y.getNumProperties())
                return false;

            for (int i = 0; i < x.getNumProperties(); ++i)
            {
                const auto name = x.getPropertyName (i);

                if (! y.hasProperty (name) || x[name] != y[name])
                    return false;
            }

            return true;
        };

        if (! sameProperties (first, second))
            return false;

        static const juce::Identifier idProperty ("id");

        for (const auto& child : first)
        {
            const auto match = second.getChildWithProperty (idProperty, child[idProperty]);

            if (! match.hasType (child.getType()) || ! sameProperties (child, match))
                return false;
        }

        return true;
    }

    juce::String sampleRateText (double sampleRate)
    {
        if (sampleRate <= 44100.0)   return "44.1k";
        if (sampleRate <= 48000.0)   return "48k";
        if (sampleRate <= 88200.0)   return "88.2k";
        if (sampleRate <= 96000.0)   return "96k";
        if (sampleRate <= 176400.0)  return "176.4k";
        return "192k";
    }

    juce::String oversamplingText (float choice)
    {
        switch (juce::roundToInt (choice))
        {
            case 0:  return "OFF";
            case 1:  return "2x";
            case 2:  return "4x";
            default: return "8x";
        }
    }
}

//==============================================================================
std::function<juce::Rectangle<int> (juce::Rectangle<int>)> QuorlinAudioProcessorEditor::displayUserArea = [] (juce::Rectangle<int> screenArea)
{
    if (const auto* display = juce::Desktop::getInstance().getDisplays().getDisplayForRect (screenArea))
        return display->userArea;

    return juce::Rectangle<int>();
};

//==============================================================================
QuorlinAudioProcessorEditor::TooltipMouseListener::TooltipMouseListener (QuorlinAudioProcessorEditor& editor, const juce::String& helpText)
    : owner (editor), text (helpText)
{
}

QuorlinAudioProcessorEditor::TooltipMouseListener::~TooltipMouseListener() = default;

void QuorlinAudioProcessorEditor::TooltipMouseListener::mouseEnter (const juce::MouseEvent&)  { owner.updateTooltip (text); }
void QuorlinAudioProcessorEditor::TooltipMouseListener::mouseExit (const juce::MouseEvent&)   { owner.updateTooltip ({}); }

//==============================================================================
QuorlinAudioProcessorEditor::QuorlinAudioProcessorEditor (QuorlinAudioProcessor& p)
    : juce::AudioProcessorEditor (p),
      audioProcessor (p),
      presetSelector (std::make_unique<ModernPresetSelectorWrapper> (p.presetManager.get(), std::function<void()>())),
      needleMeter (&p.gainReductionNeedle),
      outputMeter (p.outputLevelLeft, p.outputLevelRight),
      topBarMeter (p),
      presetDialogs (std::make_unique<AlertWindowPresetDialogs> (darkAlertLookAndFeel)),
      controls (describeControls())
{
    makeKnobs();
    makeMeters();
    makePresetBar();
    makeCompareAndHistory();
    makeLogoAndTopBarMeter();
    makeSwitches();
    makeOversamplingBox();
    bindControls();
    makeWindowSize();
    makeInfoLine();
    makeBypass();
    attachHelpTexts();

    bypassOverlayShown = isPowerOff();
    startTimer (33);
}

QuorlinAudioProcessorEditor::~QuorlinAudioProcessorEditor()
{
    cancelPendingUpdate();

    for (const auto& row : controls)
        if (row.look != nullptr)
            row.component.setLookAndFeel (nullptr);

    stopTimer();

    // The listeners go before their controls; no event may reach one that is gone.
    for (const auto& row : controls)
        if (row.helpText != nullptr)
            for (auto* listener : tooltipListeners)
                row.component.removeMouseListener (listener);
}

//==============================================================================
// The rows run in the order the help texts are attached: the controls of parameters first, the
// knobs among them in the order of knobSliders, then the buttons, then the children without a
// help text.
std::vector<QuorlinAudioProcessorEditor::ControlRow> QuorlinAudioProcessorEditor::describeControls()
{
    namespace Id = ParameterIds;

    return {
        // child               parameter         design bounds           turn  look                         help text
        { makeKnob ("Knob1"),  Id::drive,        { 373, 634, 100, 100 }, 13,   &customLookAndFeel,          "INPUT DRIVE: Controls input saturation level" },
        { makeKnob ("Knob2"),  Id::threshold,    { 33, 440, 167, 167 },  14,   &customLookAndFeel2b,        "GAIN: Main gain control" },
        { makeKnob ("knob3"),  Id::lowGain,      { 712, 427, 167, 167 }, 16,   &customLookAndFeel2b,        "LOW: Low frequency EQ band" },
        { makeKnob ("Knob4"),  Id::lowCut,       { 790, 620, 100, 100 }, 15,   &customLookAndFeel,          "LOW CUT: High-pass filter frequency (Hz)" },
        { makeKnob ("knob5"),  Id::midGain,      { 828, 269, 167, 167 }, 17,   &customLookAndFeel2b,        "MID: Mid frequency EQ band" },
        { makeKnob ("knob6"),  Id::highGain,     { 901, 440, 167, 167 }, 18,   &customLookAndFeel2b,        "HIGH: High frequency EQ band" },
        { makeKnob ("Knob7"),  Id::mix,          { 500, 647, 100, 100 }, 19,   &customLookAndFeel,          "MIX: Comp/EQ wet-dry mix (%)" },
        { makeKnob ("Knob8"),  Id::output,       { 626, 634, 100, 100 }, 20,   &customLookAndFeel2,         "OUTPUT: Output level control" },
        { makeKnob ("Knob9"),  Id::ratio,        { 211, 620, 100, 100 }, 21,   &customLookAndFeel3,         "RATIO: Compressor ratio" },
        { makeKnob ("Knob10"), Id::attack,       { 108, 269, 167, 167 }, 22,   &customLookAndFeel4,         "ATTACK: Compressor attack time" },
        { makeKnob ("Knob11"), Id::release,      { 223, 427, 167, 167 }, 23,   &customLookAndFeel4,         "RELEASE: Compressor release time" },
        { powerButton,         Id::power,        { 68, 614, 96, 98 },    25,   nullptr,                     "POWER: Toggle plugin processing on/off" },
        { compButton,          Id::compressor,   { 323, 328, 49, 52 },   26,   nullptr,                     "COMP: Toggle compressor section on/off" },
        { eqButton,            Id::eq,           { 729, 328, 49, 52 },   24,   nullptr,                     "EQ: Toggle equalizer section on/off" },
        { typeAButton,         Id::typeA,        { 387, 572, 100, 78 },  27,   nullptr,                     "TYPE A: Channel type A" },
        { typeBButton,         Id::typeB,        { 462, 582, 100, 78 },  28,   nullptr,                     "TYPE B: Channel type B" },
        { typeCButton,         Id::typeC,        { 539, 582, 100, 78 },  29,   nullptr,                     "TYPE C: Channel type C" },
        { typeDButton,         Id::typeD,        { 613, 572, 100, 78 },  30,   nullptr,                     "TYPE D: Channel type D" },
        { oversamplingBox,     Id::oversampling, { 945, 16, 64, 30 },    12,   &presetLookAndFeel,          "OVX: Oversampling multiplier (1x / 2x / 4x / 8x)" },
        { undoButton,          nullptr,          { 183, 16, 30, 30 },    2,    nullptr,                     "UNDO: Revert last parameter change" },
        { redoButton,          nullptr,          { 219, 16, 30, 30 },    3,    nullptr,                     "REDO: Restore last undone change" },
        { heartButton,         nullptr,          { 293, 16, 30, 30 },    4,    nullptr,                     "FAVORITE: Toggle favorite for current preset" },
        { prevButton,          nullptr,          { 597, 16, 27, 30 },    6,    &presetNavButtonLookAndFeel, "PREV: Load previous preset" },
        { nextButton,          nullptr,          { 630, 16, 27, 30 },    7,    &presetNavButtonLookAndFeel, "NEXT: Load next preset" },
        { saveButton,          nullptr,          { 701, 16, 27, 30 },    8,    &largeButtonLookAndFeel,     "SAVE: Save current settings as preset" },
        { deleteButton,        nullptr,          { 734, 16, 27, 30 },    9,    &largeButtonLookAndFeel,     "DELETE: Delete current preset" },
        { compareAButton,      nullptr,          { 805, 16, 27, 30 },    10,   &abButtonLookAndFeel,        "A/B COMPARE: Switch to state A" },
        { compareBButton,      nullptr,          { 838, 16, 27, 30 },    11,   &abButtonLookAndFeel,        "A/B COMPARE: Switch to state B" },
        { logoButton,          nullptr,          { 19, 16, 30, 30 },     0,    nullptr,                     "Click for About and Plugin Info" },
        { bypassButton,        nullptr,          { 960, 805, 120, 28 },  35,   &bypassButtonLookAndFeel,    "BYPASS: Toggle plugin bypass on/off" },
        { topBarMeter,         nullptr,          { 59, 16, 80, 30 },     1,    nullptr,                     nullptr },
        { *presetSelector,     nullptr,          { 331, 16, 260, 30 },   5,    nullptr,                     nullptr },
        { needleMeter,         nullptr,          { 425, 297, 250, 126 }, 31,   nullptr,                     nullptr },
        { outputMeter,         nullptr,          { 495, 417, 110, 110 }, 32,   nullptr,                     nullptr },
        { tooltipButton,       nullptr,          { 10, 807, 26, 26 },    33,   &infoButtonLookAndFeel,      nullptr },
        { infoLabel,           nullptr,          { 42, 807, 900, 26 },   34,   nullptr,                     nullptr, true }
    };
}

juce::Slider& QuorlinAudioProcessorEditor::makeKnob (const char* name)
{
    const auto free = std::find (knobSliders.begin(), knobSliders.end(), nullptr);
    jassert (free != knobSliders.end());

    *free = std::make_unique<juce::Slider> (name);
    return **free;
}

const QuorlinAudioProcessorEditor::ControlRow& QuorlinAudioProcessorEditor::rowOf (const juce::Component& component) const
{
    const auto row = std::find_if (controls.begin(), controls.end(), [&] (const ControlRow& r) { return &r.component == &component; });
    jassert (row != controls.end());
    return *row;
}

std::vector<const QuorlinAudioProcessorEditor::ControlRow*> QuorlinAudioProcessorEditor::controlsInLayoutOrder() const
{
    std::vector<const ControlRow*> rows;

    for (const auto& row : controls)
        rows.push_back (&row);

    std::sort (rows.begin(), rows.end(), [] (const ControlRow* a, const ControlRow* b) { return a->layoutTurn < b->layoutTurn; });
    return rows;
}

//==============================================================================
// Made in the order they are laid out, which sets their order on the screen.
void QuorlinAudioProcessorEditor::makeKnobs()
{
    for (const auto* row : controlsInLayoutOrder())
    {
        if (auto* knob = dynamic_cast<juce::Slider*> (&row->component))
        {
            addAndMakeVisible (*knob);
            knob->setSliderStyle (juce::Slider::RotaryVerticalDrag);
            knob->setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);
            knob->setLookAndFeel (row->look);
            knob->onDragStart = [this] { knobDragStarted(); };
            knob->onDragEnd = [this] { knobDragEnded(); };
        }
    }
}

void QuorlinAudioProcessorEditor::makeMeters()
{
    needleMeter.setFilmstrip (SharedPictures::get (BinaryData::needle_meter_png, BinaryData::needle_meter_pngSize), 129);
    addAndMakeVisible (needleMeter);
    addAndMakeVisible (outputMeter);
}

void QuorlinAudioProcessorEditor::makePresetBar()
{
    // These two draw the pointer over them, and the modal dialogs they open keep them from
    // hearing it leave.
    presetDialogs->onClosed = [this]
    {
        saveButton.repaint();
        deleteButton.repaint();
    };

    addAndMakeVisible (*presetSelector);
    presetSelector->selector.overlayParent = this;
    presetSelector->onPresetChanged = [this] { updateHeartButton(); };

    heartButton.onClick = [this] { toggleFavourite(); };
    addAndMakeVisible (heartButton);

    prevButton.onClick = [this] { showPreviousPreset(); };
    nextButton.onClick = [this] { showNextPreset(); };
    saveButton.onClick = [this] { askToSavePreset(); };
    deleteButton.onClick = [this] { askToDeletePreset(); };

    for (auto* button : { &prevButton, &nextButton, &saveButton, &deleteButton })
    {
        button->setLookAndFeel (rowOf (*button).look);
        addAndMakeVisible (*button);
    }
}

void QuorlinAudioProcessorEditor::makeCompareAndHistory()
{
    compareAButton.onClick = [this] { switchToStateA(); };
    compareBButton.onClick = [this] { switchToStateB(); };

    for (auto* button : { &compareAButton, &compareBButton })
    {
        button->setLookAndFeel (rowOf (*button).look);
        addAndMakeVisible (*button);
        button->setColour (juce::TextButton::textColourOnId, activeSlotTextColour);
    }

    audioProcessor.getStateInformation (stateA);
    hasStateA = true;
    showActiveSlot();

    undoButton.onClick = [this] { undo(); };
    redoButton.onClick = [this] { redo(); };

    for (auto* button : std::initializer_list<IconButton*> { &undoButton, &redoButton })
    {
        button->setEnabled (false);
        addAndMakeVisible (*button);
    }
}

void QuorlinAudioProcessorEditor::makeLogoAndTopBarMeter()
{
    logoButton.onClick = [this] { showAboutBox(); };
    addAndMakeVisible (logoButton);
    addAndMakeVisible (topBarMeter);
}

void QuorlinAudioProcessorEditor::makeSwitches()
{
    const auto sectionPicture = SharedPictures::get (BinaryData::section_button_png, BinaryData::section_button_pngSize);

    for (auto* button : { &eqButton, &compButton })
    {
        button->picture = sectionPicture;
        button->setToggleState (false, juce::dontSendNotification);
        addAndMakeVisible (*button);
        button->onClick = [this] { saveUndoState(); };
    }

    powerButton.picture = SharedPictures::get (BinaryData::power_button_png, BinaryData::power_button_pngSize);
    powerButton.setMouseCursor (juce::MouseCursor::PointingHandCursor);
    powerButton.setToggleState (false, juce::dontSendNotification);
    addAndMakeVisible (powerButton);
    powerButton.onClick = [this] { saveUndoState(); };

    const auto typePicture = SharedPictures::get (BinaryData::type_button_png, BinaryData::type_button_pngSize);

    for (auto* button : typeSwitches())
    {
        button->picture = typePicture;
        button->setClickingTogglesState (true);
        button->setRadioGroupId (42);
        button->onClick = [this] { saveUndoState(); };
        addAndMakeVisible (*button);
    }

    // A switch also reports its state when its toggle changes; only the change to down is a press.
    for (const auto& row : controls)
    {
        if (auto* button = dynamic_cast<Retrotogglebutton*> (&row.component))
        {
            button->onStateChange = [this, button, wasDown = false] () mutable
            {
                const auto isDown = button->getState() == juce::Button::buttonDown;
                const auto pressed = isDown && ! wasDown;
                wasDown = isDown;
                switchStateChanged (*button, pressed);
            };
        }
    }
}

std::array<Retrotogglebutton*, 4> QuorlinAudioProcessorEditor::typeSwitches()
{
    return { &typeAButton, &typeBButton, &typeCButton, &typeDButton };
}

// A switch's binding changes its parameter inside the click, and a switch that follows a change
// of another type switch changes its own as well, so a switch's step starts when the user
// presses it (with the mouse, a key or an accessibility client), and ends when it comes up.
void QuorlinAudioProcessorEditor::switchStateChanged (juce::Button& button, bool pressed)
{
    if (pressed)
        beginUndoStepOfNewAction();
    else if (button.getState() != juce::Button::buttonDown)
        triggerAsyncUpdate();
}

void QuorlinAudioProcessorEditor::makeOversamplingBox()
{
    oversamplingBox.addItemList (audioProcessor.oversamplingChoices, 1);
    oversamplingBox.onChange = [this] { saveUndoState(); };
    addAndMakeVisible (oversamplingBox);
    oversamplingBox.setLookAndFeel (rowOf (oversamplingBox).look);
}

void QuorlinAudioProcessorEditor::bindControls()
{
    using APVTS = juce::AudioProcessorValueTreeState;
    auto& state = *audioProcessor.apvts;

    for (size_t i = 0; i < knobSliders.size(); ++i)
        sliderAttachments[i] = std::make_unique<APVTS::SliderAttachment> (state, rowOf (*knobSliders[i]).parameterId, *knobSliders[i]);

    const auto bind = [&] (juce::Button& button) { return std::make_unique<APVTS::ButtonAttachment> (state, rowOf (button).parameterId, button); };
    eqAttachment = bind (eqButton);
    powerAttachment = bind (powerButton);
    compAttachment = bind (compButton);
    oversamplingAttachment = std::make_unique<ChoiceBoxAttachment> (*state.getParameter (rowOf (oversamplingBox).parameterId), oversamplingBox,
                                                                    [this] { beginUndoStepOfNewAction(); });

    const auto switches = typeSwitches();
    std::array<juce::Button*, 4> types {};
    std::array<const char*, 4> typeIds {};

    for (size_t i = 0; i < switches.size(); ++i)
    {
        types[i] = switches[i];
        typeIds[i] = rowOf (*switches[i]).parameterId;
    }

    typeAttachments = std::make_unique<ChannelTypeAttachments> (state, typeIds, types);
}

void QuorlinAudioProcessorEditor::makeWindowSize()
{
    appProperties.setStorageParameters (settingsOptions());

    if (auto* sizeRules = getConstrainer())
        sizeRules->setFixedAspectRatio ((double) designWidth / (double) designHeight);

    updateSizeLimits();

    // A size stored on a larger display is reduced to fit this one.
    auto* settings = settingsFile();
    const auto size = openingSizeFor (settings != nullptr ? settings->getDoubleValue (sizeRatioKey, defaultSizeRatio)
                                                          : defaultSizeRatio,
                                      largestFittingRatio (false));

    setResizable (true, true);
    setSize (size.x, size.y);
}

void QuorlinAudioProcessorEditor::makeInfoLine()
{
    infoLabel.setFont (juce::Font (14.0f, juce::Font::plain));
    infoLabel.setColour (juce::Label::textColourId, juce::Colour (0xB2FFFFFF));
    infoLabel.setJustificationType (juce::Justification::centredLeft);
    infoLabel.setInterceptsMouseClicks (false, false);
    addAndMakeVisible (infoLabel);

    tooltipButton.setClickingTogglesState (true);
    tooltipButton.setToggleState (true, juce::dontSendNotification);
    tooltipButton.setLookAndFeel (rowOf (tooltipButton).look);
    tooltipButton.onClick = [this] { tooltipSwitchClicked(); };
    addAndMakeVisible (tooltipButton);

    if (auto* settings = settingsFile())
    {
        showTooltips = settings->getBoolValue (tooltipsEnabledKey, true);
        tooltipButton.setToggleState (showTooltips, juce::dontSendNotification);
    }

    updateTooltip ({});
}

void QuorlinAudioProcessorEditor::makeBypass()
{
    bypassButton.setColour (juce::TextButton::buttonColourId, juce::Colours::transparentBlack);
    bypassButton.setColour (juce::TextButton::textColourOffId, juce::Colours::white);
    bypassButton.setLookAndFeel (rowOf (bypassButton).look);
    bypassButton.onClick = [this] { toggleBypass(); };
    addAndMakeVisible (bypassButton);
}

// The box's text is a child that takes the pointer, so the box's listener hears it too.
void QuorlinAudioProcessorEditor::attachHelpTexts()
{
    for (const auto& row : controls)
        if (row.helpText != nullptr)
            row.component.addMouseListener (tooltipListeners.add (std::make_unique<TooltipMouseListener> (*this, row.helpText)),
                                            &row.component == &oversamplingBox);
}

//==============================================================================
juce::PropertiesFile::Options QuorlinAudioProcessorEditor::settingsOptions()
{
    juce::PropertiesFile::Options options;
    options.applicationName = "VastrelV3";
    options.filenameSuffix = "settings";
    options.osxLibrarySubFolder = "Application Support";
    options.commonToAllUsers = true;
    options.ignoreCaseOfKeyNames = false;
    options.doNotSave = false;
    options.millisecondsBeforeSaving = 3000;
    options.storageFormat = juce::PropertiesFile::storeAsXML;

    // An absolute folder name replaces the framework's place for both files.
    if (const auto folder = juce::SystemStats::getEnvironmentVariable ("VASTREL_SETTINGS_FOLDER", {});
        juce::File::isAbsolutePath (folder))
        options.folderName = folder;

    return options;
}

juce::PropertiesFile* QuorlinAudioProcessorEditor::settingsFile()
{
    return appProperties.getCommonSettings (true);
}

//==============================================================================
void QuorlinAudioProcessorEditor::resized()
{
    const auto r = (float) getWidth() / (float) designWidth;

    if (auto* settings = settingsFile())
        settings->setValue (sizeRatioKey, (double) r);

    const auto scale = juce::AffineTransform::scale (r);

    for (const auto* row : controlsInLayoutOrder())
    {
        const auto& design = row->designBounds;

        if (row->placedInWindowPixels)
        {
            row->component.setBounds ((int) ((float) design.getX() * r), (int) ((float) design.getY() * r),
                                      (int) ((float) design.getWidth() * r), (int) ((float) design.getHeight() * r));
        }
        else
        {
            row->component.setBounds (design);
            row->component.setTransform (scale);
        }
    }

    infoLabel.setFont (juce::Font (16.0f * r, juce::Font::plain));
    placeAboutBox();
}

// Beyond the user area the resize corner and the bottom bar would be out of reach, and the size
// would be stored and come back so at every opening.
double QuorlinAudioProcessorEditor::largestFittingRatio (bool fromWhereItIs) const
{
    const auto userArea = displayUserArea (getScreenBounds());

    if (userArea.isEmpty())
        return 1.5;

    // In the editor's own units, whatever scale the host gives it.
    const auto area = getLocalArea (nullptr, userArea);
    const auto room = fromWhereItIs && getPeer() != nullptr ? juce::Point<int> (area.getRight(), area.getBottom())
                                                            : juce::Point<int> (area.getWidth(), area.getHeight());

    return largestRatioIn (room.x, room.y);
}

void QuorlinAudioProcessorEditor::updateSizeLimits()
{
    auto* sizeRules = getConstrainer();

    if (sizeRules == nullptr)
        return;

    const auto ratio = largestFittingRatio (true);
    const auto width = juce::roundToInt (designWidth * ratio), height = juce::roundToInt (designHeight * ratio);

    if (sizeRules->getMaximumWidth() != width || sizeRules->getMaximumHeight() != height
        || sizeRules->getMinimumWidth() != designWidth / 2 || sizeRules->getMinimumHeight() != designHeight / 2)
        sizeRules->setSizeLimits (designWidth / 2, designHeight / 2, width, height);
}

// Put on a display that cannot take the size it opened at, the window is reduced to fit it.
void QuorlinAudioProcessorEditor::parentHierarchyChanged()
{
    if (getPeer() == nullptr)
        return;

    const auto ratio = largestFittingRatio (false);
    const auto width = juce::roundToInt (designWidth * ratio), height = juce::roundToInt (designHeight * ratio);

    if (getWidth() > width || getHeight() > height)
        setSize (width, height);

    updateSizeLimits();
}

void QuorlinAudioProcessorEditor::paint (juce::Graphics& g)
{
    const auto r = (float) getWidth() / (float) designWidth;
    const auto artwork = artworkArea (getWidth(), getHeight());
    const auto barHeight = artwork.getY();

    g.fillAll (juce::Colours::black);
    g.setColour (juce::Colours::black);
    g.fillRect (0, 0, getWidth(), barHeight);

    juce::Font captionFont (12.0f * r, juce::Font::plain);
    captionFont.setExtraKerningFactor (0.1f);
    g.setFont (captionFont);
    g.setColour (juce::Colour (0xB2FFFFFF));
    g.drawText ("OVX", juce::Rectangle<int> ((int) (909.0f * r), (int) (16.0f * r), (int) (34.0f * r), (int) (30.0f * r)).toFloat(),
                juce::Justification::centred, true);

    g.setOpacity (1.0f);
    drawArtwork (g, artwork);
}

// The meters repaint 30 times a second, and stretching the artwork under them is most of that
// work: it is stretched once per size and screen scale, and the copy is drawn unscaled. The
// shared pictures keep the copy, and usually have it made before the first opening.
void QuorlinAudioProcessorEditor::drawArtwork (juce::Graphics& g, juce::Rectangle<int> area)
{
    if (area.isEmpty())
        return;

    const auto size = pixelSizeOf (area, g.getInternalContext().getPhysicalPixelScaleFactor());

    if (stretchedArtwork.getBounds().getBottomRight() != size)
        stretchedArtwork = SharedPictures::getStretchedArtwork (size.x, size.y);

    if (stretchedArtwork.isValid())
        g.drawImage (stretchedArtwork, area.toFloat());
}

// The window system is set up by the first look at the displays, in prepareStretchedArtwork.
void QuorlinAudioProcessorEditor::prepareFirstOpening()
{
    for (const auto& font : { juce::Font (14.0f, juce::Font::plain), juce::Font (14.0f, juce::Font::bold) })
        font.getStringWidthFloat ("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789 .,:;|/+-<>()%");

    prepareStretchedArtwork();
}

std::shared_ptr<SharedPictures> QuorlinAudioProcessorEditor::startPictures()
{
    auto started = SharedPictures::startDecoding();
    prepareStretchedArtwork();
    return started;
}

void QuorlinAudioProcessorEditor::prepareStretchedArtwork()
{
    const auto* display = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay();

    // The settings file as the editor reads it, without the write that the editor's first use of
    // it makes: the machine-wide file where it can be written, else the user's.
    auto options = settingsOptions();
    juce::PropertiesFile machineWide (options);
    options.commonToAllUsers = false;
    juce::PropertiesFile user (options);
    user.setFallbackPropertySet (&machineWide);
    auto& settings = machineWide.getFile().hasWriteAccess() ? machineWide : user;

    const auto userArea = display != nullptr ? displayUserArea (display->totalArea) : juce::Rectangle<int>();
    const auto windowSize = openingSizeFor (settings.getDoubleValue (sizeRatioKey, defaultSizeRatio),
                                            userArea.isEmpty() ? 1.5 : largestRatioIn (userArea.getWidth(), userArea.getHeight()));
    const auto pixels = pixelSizeOf (artworkArea (windowSize.x, windowSize.y), display != nullptr ? (float) display->scale : 1.0f);
    SharedPictures::prepareStretchedArtwork (pixels.x, pixels.y);
}

//==============================================================================
bool QuorlinAudioProcessorEditor::isPowerOff() const
{
    return audioProcessor.apvts->getRawParameterValue (ParameterIds::power)->load() < 0.5f;
}

void QuorlinAudioProcessorEditor::timerCallback()
{
    if (const auto shown = isPowerOff(); shown != bypassOverlayShown)
    {
        bypassOverlayShown = shown;
        repaint();
    }

    refreshIdleLine();

    // The window may have moved to another display, or within one.
    if (getPeer() != nullptr)
        updateSizeLimits();
}

void QuorlinAudioProcessorEditor::paintOverChildren (juce::Graphics& g)
{
    if (! bypassOverlayShown)
        return;

    const auto s = (float) getWidth() / (float) designWidth;
    const auto width = (float) getWidth(), height = (float) getHeight();

    g.fillAll (juce::Colour (0xCC000000));

    g.setColour (juce::Colours::white);
    g.setFont (juce::Font (60.0f * s, juce::Font::bold));
    g.drawText ("BYPASSED", juce::Rectangle<float> (0.0f, -20.0f * s, width, height), juce::Justification::centred, true);

    g.setColour (juce::Colour (0x99FFFFFF));
    g.setFont (juce::Font (20.0f * s, juce::Font::plain));
    g.drawText ("Click anywhere to activate", juce::Rectangle<float> (0.0f, 30.0f * s, width, height), juce::Justification::centred, true);
}

void QuorlinAudioProcessorEditor::mouseDown (const juce::MouseEvent&)
{
    if (! bypassOverlayShown)
        return;

    // The click is an action of its own, to be undone alone.
    finishUndoStep();
    beginUndoStep();

    if (auto* power = audioProcessor.apvts->getParameter (ParameterIds::power))
        power->setValueNotifyingHost (1.0f);
}

void QuorlinAudioProcessorEditor::toggleBypass()
{
    beginActionOfItsOwn();

    if (auto* power = audioProcessor.apvts->getParameter (ParameterIds::power))
        power->setValueNotifyingHost (power->getValue() >= 0.5f ? 0.0f : 1.0f);
}

//==============================================================================
void QuorlinAudioProcessorEditor::updateTooltip (const juce::String& text)
{
    if (! showTooltips)
        return;

    idleLineShown = text.isEmpty();

    if (idleLineShown)
    {
        idleLineSampleRate = audioProcessor.getSampleRate();
        idleLineOversampling = juce::roundToInt (audioProcessor.apvts->getRawParameterValue (ParameterIds::oversampling)->load());
    }

    infoLabel.setText (text.isNotEmpty() ? text : idleInfoText(), juce::dontSendNotification);
}

juce::String QuorlinAudioProcessorEditor::idleInfoText() const
{
    return "SR: " + sampleRateText (audioProcessor.getSampleRate())
         + " | Oversampling: " + oversamplingText (audioProcessor.apvts->getRawParameterValue (ParameterIds::oversampling)->load());
}

// A choice picked in the box's menu, or a new rate from the host, comes with no pointer
// crossing a control, so the poll keeps the idle line up to date while it shows.
void QuorlinAudioProcessorEditor::refreshIdleLine()
{
    if (idleLineShown
        && (audioProcessor.getSampleRate() != idleLineSampleRate
            || juce::roundToInt (audioProcessor.apvts->getRawParameterValue (ParameterIds::oversampling)->load()) != idleLineOversampling))
        updateTooltip ({});
}

void QuorlinAudioProcessorEditor::tooltipSwitchClicked()
{
    showTooltips = tooltipButton.getToggleState();
    idleLineShown = false;

    if (! showTooltips)
        infoLabel.setText ({}, juce::dontSendNotification);

    if (auto* settings = settingsFile())
    {
        settings->setValue (tooltipsEnabledKey, showTooltips);
        settings->saveIfNeeded();
    }
}

//==============================================================================
void QuorlinAudioProcessorEditor::saveUndoState()
{
    // Everything one click changes happens before this update arrives; a drag ends later.
    if (! currentSnapshot.isEmpty())
        triggerAsyncUpdate();
}

void QuorlinAudioProcessorEditor::beginUndoStep()
{
    if (currentSnapshot.isEmpty())
        audioProcessor.getStateInformation (currentSnapshot);
}

void QuorlinAudioProcessorEditor::beginActionOfItsOwn()
{
    finishUndoStep();
    beginUndoStep();
    saveUndoState();
}

void QuorlinAudioProcessorEditor::beginUndoStepOfNewAction()
{
    if (gesturesUnderWay == 0)
        finishUndoStep();

    beginUndoStep();
}

// A drag, a wheel turn, a double-click reset and an accessibility client's change each come
// inside a drag notification, before the value moves.
void QuorlinAudioProcessorEditor::knobDragStarted()
{
    ++gesturesUnderWay;
    beginUndoStep();
}

void QuorlinAudioProcessorEditor::knobDragEnded()
{
    gesturesUnderWay = juce::jmax (0, gesturesUnderWay - 1);
    triggerAsyncUpdate();
}

void QuorlinAudioProcessorEditor::handleAsyncUpdate()
{
    if (gesturesUnderWay == 0)
        finishUndoStep();
}

void QuorlinAudioProcessorEditor::finishUndoStep()
{
    cancelPendingUpdate();

    if (currentSnapshot.isEmpty())
        return;

    juce::MemoryBlock now;
    audioProcessor.getStateInformation (now);

    if (! holdSameSettings (now, currentSnapshot))
    {
        undoStack.push_back (std::move (currentSnapshot));

        if (undoStack.size() > (size_t) maxUndoSteps)
            undoStack.erase (undoStack.begin(), undoStack.end() - maxUndoSteps);

        redoStack.clear();
    }

    currentSnapshot.reset();
    updateUndoButtons();
}

void QuorlinAudioProcessorEditor::updateUndoButtons()
{
    undoButton.setEnabled (! undoStack.empty());
    redoButton.setEnabled (! redoStack.empty());
    undoButton.repaint();
    redoButton.repaint();
}

void QuorlinAudioProcessorEditor::loadState (const juce::MemoryBlock& state)
{
    audioProcessor.setStateInformation (state.getData(), (int) state.getSize());
}

void QuorlinAudioProcessorEditor::undo()
{
    stepThroughHistory (undoStack, redoStack);
}

void QuorlinAudioProcessorEditor::redo()
{
    stepThroughHistory (redoStack, undoStack);
}

void QuorlinAudioProcessorEditor::stepThroughHistory (std::vector<juce::MemoryBlock>& from, std::vector<juce::MemoryBlock>& to)
{
    finishUndoStep();

    if (from.empty())
        return;

    // The state being left goes to the other stack, without the limit: only a new step trims.
    to.emplace_back();
    audioProcessor.getStateInformation (to.back());

    const auto state = std::move (from.back());
    from.pop_back();
    loadState (state);
    updateUndoButtons();
}

//==============================================================================
void QuorlinAudioProcessorEditor::switchToStateA()
{
    switchToSlot (true);
}

void QuorlinAudioProcessorEditor::switchToStateB()
{
    switchToSlot (false);
}

void QuorlinAudioProcessorEditor::switchToSlot (bool slotA)
{
    if (isStateAActive == slotA)
        return;

    finishUndoStep();

    // The present state goes into the slot being left; the other loads if it was ever filled.
    audioProcessor.getStateInformation (slotA ? stateB : stateA);
    (slotA ? hasStateB : hasStateA) = true;

    if (slotA ? hasStateA : hasStateB)
        loadState (slotA ? stateA : stateB);

    isStateAActive = slotA;
    showActiveSlot();
}

// The buttons' look draws its own body, so the active slot shows in its letter.
void QuorlinAudioProcessorEditor::showActiveSlot()
{
    compareAButton.setColour (juce::TextButton::buttonColourId, isStateAActive ? activeSlotColour : otherSlotColour);
    compareBButton.setColour (juce::TextButton::buttonColourId, isStateAActive ? otherSlotColour : activeSlotColour);
    compareAButton.setToggleState (isStateAActive, juce::dontSendNotification);
    compareBButton.setToggleState (! isStateAActive, juce::dontSendNotification);
}

//==============================================================================
void QuorlinAudioProcessorEditor::showPreviousPreset()
{
    stepThroughPresets (-1);
}

void QuorlinAudioProcessorEditor::showNextPreset()
{
    stepThroughPresets (1);
}

void QuorlinAudioProcessorEditor::stepThroughPresets (int step)
{
    beginActionOfItsOwn();

    const auto presets = presetSelector->getFlatPresetList();

    if (const auto count = (int) presets.size(); count > 0)
    {
        // Round the flat list: a current preset that is not in it (-1) goes to the first going
        // forwards and to the last going back.
        const auto current = presetSelector->getCurrentPresetIndex();
        const auto target = step < 0 ? (current > 0 ? current - 1 : count - 1) : (current + 1) % count;
        presetSelector->presetManager->loadPreset (presets[(size_t) target]);
        presetSelector->refresh();
    }

    updateHeartButton();
}

void QuorlinAudioProcessorEditor::toggleFavourite()
{
    if (auto* favourites = presetSelector->presetManager->favoritesManager.get())
    {
        if (const auto file = presetSelector->getCurrentPresetFile(); file.existsAsFile())
        {
            favourites->toggleFavorite (file);
            presetSelector->refresh();
        }
    }

    updateHeartButton();
}

void QuorlinAudioProcessorEditor::updateHeartButton()
{
    auto favourite = false;

    if (auto* favourites = presetSelector->presetManager->favoritesManager.get())
        if (const auto file = presetSelector->getCurrentPresetFile(); file.existsAsFile())
            favourite = favourites->isFavorite (file);

    if (favourite != heartButton.isFavourite)
    {
        heartButton.isFavourite = favourite;
        heartButton.repaint();
    }
}

void QuorlinAudioProcessorEditor::askToSavePreset()
{
    askForPresetName (presetSelector->getCurrentName(), {});
}

// The dialogs answer later; the editor may be gone by then. A name that cannot be saved under
// brings the dialog back with the text as typed and what is wrong with it.
void QuorlinAudioProcessorEditor::askForPresetName (const juce::String& suggestedName, const juce::String& problem)
{
    presetDialogs->askForPresetName (suggestedName, problem,
                                     [safe = juce::Component::SafePointer<QuorlinAudioProcessorEditor> (this)] (const juce::String& typedName)
                                     {
                                         if (safe == nullptr)
                                             return;

                                         const auto* manager = safe->presetSelector->presetManager;

                                         if (const auto refusal = PresetNames::problemWith (manager->presetFolder, typedName, manager->presetExtension);
                                             refusal.isNotEmpty())
                                             safe->askForPresetName (typedName, refusal);
                                         else
                                             safe->presetSelector->saveUserPreset (typedName);
                                     });
}

void QuorlinAudioProcessorEditor::askToDeletePreset()
{
    const auto file = presetSelector->getCurrentPresetFile();

    if (file == juce::File())
        return;

    presetDialogs->confirmDeletion (PresetNames::deletionQuestion (file, presetSelector->presetManager->presetFolder),
                                    [safe = juce::Component::SafePointer<QuorlinAudioProcessorEditor> (this), file]
                                    {
                                        if (safe != nullptr)
                                            safe->presetSelector->deletePresetFile (file);
                                    });
}

//==============================================================================
void QuorlinAudioProcessorEditor::showAboutBox()
{
    if (aboutDialog == nullptr)
    {
        aboutDialog = std::make_unique<AboutDialog>();
        aboutDialog->onClose = [this]
        {
            if (dimmingOverlay != nullptr)
                dimmingOverlay->setVisible (false);
        };
    }

    if (dimmingOverlay == nullptr)
        dimmingOverlay = std::make_unique<DimmingOverlay>();

    addAndMakeVisible (*dimmingOverlay);
    addAndMakeVisible (*aboutDialog);
    placeAboutBox();
    aboutDialog->toFront (true);
}

// In editor pixels: the veil over the whole editor, the panel at its size in the middle.
void QuorlinAudioProcessorEditor::placeAboutBox()
{
    if (dimmingOverlay != nullptr)
        dimmingOverlay->setBounds (getLocalBounds());

    if (aboutDialog != nullptr)
        aboutDialog->setBounds (getWidth() / 2 - 170, getHeight() / 2 - 145, 340, 290);
}
