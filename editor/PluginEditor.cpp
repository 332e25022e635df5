#include "PluginEditor.h"

#include "SharedPictures.h"
#include "engine/ParameterIds.h"
#include "presets/PresetBox.h"
#include "presets/PresetNames.h"

#include <BinaryData.h>

#include <cmath>
#include <limits>

namespace
{
    const char* const knobIds[] = { ParameterIds::drive, ParameterIds::threshold, ParameterIds::lowGain, ParameterIds::lowCut,
                                    ParameterIds::midGain, ParameterIds::highGain, ParameterIds::mix, ParameterIds::output,
                                    ParameterIds::ratio, ParameterIds::attack, ParameterIds::release };

    // Component names as the hosts' accessibility and the tests see them, by parameter.
    const char* const knobNames[] = { "Knob1", "Knob2", "knob3", "Knob4", "knob5", "knob6",
                                      "Knob7", "Knob8", "Knob9", "Knob10", "Knob11" };

    const juce::Rectangle<int> knobRects[] = {
        { 373, 634, 100, 100 }, { 33, 440, 167, 167 }, { 712, 427, 167, 167 }, { 790, 620, 100, 100 },
        { 828, 269, 167, 167 }, { 901, 440, 167, 167 }, { 500, 647, 100, 100 }, { 626, 634, 100, 100 },
        { 211, 620, 100, 100 }, { 108, 269, 167, 167 }, { 223, 427, 167, 167 }
    };

    // The knobs in the order they are made, and laid out: knob4 before knob3.
    constexpr int knobOrder[] = { 0, 1, 3, 2, 4, 5, 6, 7, 8, 9, 10 };

    const char* const tooltipTexts[] = {
        "INPUT DRIVE: Controls input saturation level",
        "GAIN: Main gain control",
        "LOW: Low frequency EQ band",
        "LOW CUT: High-pass filter frequency (Hz)",
        "MID: Mid frequency EQ band",
        "HIGH: High frequency EQ band",
        "MIX: Comp/EQ wet-dry mix (%)",
        "OUTPUT: Output level control",
        "RATIO: Compressor ratio",
        "ATTACK: Compressor attack time",
        "RELEASE: Compressor release time",
        "POWER: Toggle plugin processing on/off",
        "COMP: Toggle compressor section on/off",
        "EQ: Toggle equalizer section on/off",
        "TYPE A: Channel type A",
        "TYPE B: Channel type B",
        "TYPE C: Channel type C",
        "TYPE D: Channel type D",
        "OVX: Oversampling multiplier (1x / 2x / 4x / 8x)",
        "UNDO: Revert last parameter change",
        "REDO: Restore last undone change",
        "FAVORITE: Toggle favorite for current preset",
        "PREV: Load previous preset",
        "NEXT: Load next preset",
        "SAVE: Save current settings as preset",
        "DELETE: Delete current preset",
        "A/B COMPARE: Switch to state A",
        "A/B COMPARE: Switch to state B",
        "Click for About and Plugin Info",
        "BYPASS: Toggle plugin bypass on/off"
    };

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
      needleMeter (&p.gainReductionNeedle),
      outputMeter (p.outputLevelLeft, p.outputLevelRight),
      topBarMeter (p),
      presetDialogs (std::make_unique<AlertWindowPresetDialogs> (darkAlertLookAndFeel))
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

    for (auto& knob : knobSliders)
        knob->setLookAndFeel (nullptr);

    for (auto* control : std::initializer_list<juce::Component*> { &eqButton, &powerButton, &compButton, &oversamplingBox,
                                                                  &typeAButton, &typeBButton, &typeCButton, &typeDButton,
                                                                  &prevButton, &nextButton, &saveButton, &deleteButton,
                                                                  &compareAButton, &compareBButton, &tooltipButton, &bypassButton })
        control->setLookAndFeel (nullptr);

    stopTimer();

    // The listeners go before their controls; no event may reach one that is gone.
    for (auto* listener : tooltipListeners)
        for (auto* child : getChildren())
            child->removeMouseListener (listener);
}

//==============================================================================
void QuorlinAudioProcessorEditor::makeKnobs()
{
    for (const auto index : knobOrder)
    {
        auto& knob = knobSliders[(size_t) index];
        knob = std::make_unique<juce::Slider> (knobNames[index]);
        addAndMakeVisible (*knob);
        knob->setSliderStyle (juce::Slider::RotaryVerticalDrag);
        knob->setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);
    }

    juce::LookAndFeel* const looks[] = { &customLookAndFeel, &customLookAndFeel2b, &customLookAndFeel2b, &customLookAndFeel,
                                         &customLookAndFeel2b, &customLookAndFeel2b, &customLookAndFeel, &customLookAndFeel2,
                                         &customLookAndFeel3, &customLookAndFeel4, &customLookAndFeel4 };

    for (size_t i = 0; i < knobSliders.size(); ++i)
        knobSliders[i]->setLookAndFeel (looks[i]);

    for (auto& knob : knobSliders)
    {
        knob->onDragStart = [this] { knobDragStarted(); };
        knob->onDragEnd = [this] { knobDragEnded(); };
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

    presetSelector = std::make_unique<ModernPresetSelectorWrapper> (audioProcessor.presetManager.get(), std::function<void()>());
    addAndMakeVisible (*presetSelector);
    presetSelector->selector.overlayParent = this;
    presetSelector->onPresetChanged = [this] { updateHeartButton(); };

    heartButton.onClick = [this] { toggleFavourite(); };
    addAndMakeVisible (heartButton);

    prevButton.onClick = [this] { showPreviousPreset(); };
    nextButton.onClick = [this] { showNextPreset(); };
    saveButton.onClick = [this] { askToSavePreset(); };
    deleteButton.onClick = [this] { askToDeletePreset(); };
    prevButton.setLookAndFeel (&presetNavButtonLookAndFeel);
    nextButton.setLookAndFeel (&presetNavButtonLookAndFeel);
    saveButton.setLookAndFeel (&largeButtonLookAndFeel);
    deleteButton.setLookAndFeel (&largeButtonLookAndFeel);

    for (auto* button : { &prevButton, &nextButton, &saveButton, &deleteButton })
        addAndMakeVisible (*button);
}

void QuorlinAudioProcessorEditor::makeCompareAndHistory()
{
    compareAButton.onClick = [this] { switchToStateA(); };
    compareBButton.onClick = [this] { switchToStateB(); };

    for (auto* button : { &compareAButton, &compareBButton })
    {
        button->setLookAndFeel (&abButtonLookAndFeel);
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

    for (auto* button : { &typeAButton, &typeBButton, &typeCButton, &typeDButton })
    {
        button->picture = typePicture;
        button->setClickingTogglesState (true);
        button->setRadioGroupId (42);
        button->onClick = [this] { saveUndoState(); };
        addAndMakeVisible (*button);
    }

    // A switch also reports its state when its toggle changes; only the change to down is a press.
    for (auto* button : { &eqButton, &compButton, &powerButton, &typeAButton, &typeBButton, &typeCButton, &typeDButton })
        button->onStateChange = [this, button, wasDown = false] () mutable
        {
            const auto isDown = button->getState() == juce::Button::buttonDown;
            const auto pressed = isDown && ! wasDown;
            wasDown = isDown;
            switchStateChanged (*button, pressed);
        };
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
    oversamplingBox.setLookAndFeel (&presetLookAndFeel);
}

void QuorlinAudioProcessorEditor::bindControls()
{
    using APVTS = juce::AudioProcessorValueTreeState;
    auto& state = *audioProcessor.apvts;

    for (size_t i = 0; i < knobSliders.size(); ++i)
        sliderAttachments[i] = std::make_unique<APVTS::SliderAttachment> (state, knobIds[i], *knobSliders[i]);

    eqAttachment = std::make_unique<APVTS::ButtonAttachment> (state, ParameterIds::eq, eqButton);
    powerAttachment = std::make_unique<APVTS::ButtonAttachment> (state, ParameterIds::power, powerButton);
    compAttachment = std::make_unique<APVTS::ButtonAttachment> (state, ParameterIds::compressor, compButton);
    oversamplingAttachment = std::make_unique<ChoiceBoxAttachment> (*state.getParameter (ParameterIds::oversampling), oversamplingBox,
                                                                    [this] { beginUndoStepOfNewAction(); });

    typeAttachments = std::make_unique<ChannelTypeAttachments> (state,
                                                                std::array<const char*, 4> { ParameterIds::typeA, ParameterIds::typeB, ParameterIds::typeC, ParameterIds::typeD },
                                                                std::array<juce::Button*, 4> { &typeAButton, &typeBButton, &typeCButton, &typeDButton });
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
    tooltipButton.setLookAndFeel (&infoButtonLookAndFeel);
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
    bypassButton.setLookAndFeel (&bypassButtonLookAndFeel);
    bypassButton.onClick = [this] { toggleBypass(); };
    addAndMakeVisible (bypassButton);
}

void QuorlinAudioProcessorEditor::attachHelpTexts()
{
    std::vector<juce::Component*> controls;

    for (auto& knob : knobSliders)
        controls.push_back (knob.get());

    for (auto* control : std::initializer_list<juce::Component*> { &powerButton, &compButton, &eqButton,
                                                                  &typeAButton, &typeBButton, &typeCButton, &typeDButton,
                                                                  &oversamplingBox, &undoButton, &redoButton, &heartButton,
                                                                  &prevButton, &nextButton, &saveButton, &deleteButton,
                                                                  &compareAButton, &compareBButton, &logoButton, &bypassButton })
        controls.push_back (control);

    // The box's text is a child that takes the pointer, so the box's listener hears it too.
    for (size_t i = 0; i < controls.size(); ++i)
        controls[i]->addMouseListener (tooltipListeners.add (std::make_unique<TooltipMouseListener> (*this, tooltipTexts[i])),
                                       controls[i] == &oversamplingBox);
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
std::vector<std::pair<juce::Component*, juce::Rectangle<int>>> QuorlinAudioProcessorEditor::getDesignLayout()
{
    std::vector<std::pair<juce::Component*, juce::Rectangle<int>>> layout {
        { &logoButton,     { 19, 16, 30, 30 } },
        { &topBarMeter,    { 59, 16, 80, 30 } },
        { &undoButton,     { 183, 16, 30, 30 } },
        { &redoButton,     { 219, 16, 30, 30 } },
        { &heartButton,    { 293, 16, 30, 30 } },
        { presetSelector.get(), { 331, 16, 260, 30 } },
        { &prevButton,     { 597, 16, 27, 30 } },
        { &nextButton,     { 630, 16, 27, 30 } },
        { &saveButton,     { 701, 16, 27, 30 } },
        { &deleteButton,   { 734, 16, 27, 30 } },
        { &compareAButton, { 805, 16, 27, 30 } },
        { &compareBButton, { 838, 16, 27, 30 } },
        { &oversamplingBox, { 945, 16, 64, 30 } }
    };

    for (const auto index : knobOrder)
        layout.push_back ({ knobSliders[(size_t) index].get(), knobRects[index] });

    layout.insert (layout.end(), {
        { &eqButton,      { 729, 328, 49, 52 } },
        { &powerButton,   { 68, 614, 96, 98 } },
        { &compButton,    { 323, 328, 49, 52 } },
        { &typeAButton,   { 387, 572, 100, 78 } },
        { &typeBButton,   { 462, 582, 100, 78 } },
        { &typeCButton,   { 539, 582, 100, 78 } },
        { &typeDButton,   { 613, 572, 100, 78 } },
        { &needleMeter,   { 425, 297, 250, 126 } },
        { &outputMeter,   { 495, 417, 110, 110 } },
        { &tooltipButton, { 10, 807, 26, 26 } }
    });

    return layout;
}

void QuorlinAudioProcessorEditor::resized()
{
    const auto r = (float) getWidth() / (float) designWidth;

    if (auto* settings = settingsFile())
        settings->setValue (sizeRatioKey, (double) r);

    const auto scale = juce::AffineTransform::scale (r);

    for (const auto& [component, designRect] : getDesignLayout())
    {
        component->setBounds (designRect);
        component->setTransform (scale);
    }

    infoLabel.setBounds ((int) (42.0f * r), (int) (807.0f * r), (int) (900.0f * r), (int) (26.0f * r));
    infoLabel.setFont (juce::Font (16.0f * r, juce::Font::plain));

    bypassButton.setBounds (960, 805, 120, 28);
    bypassButton.setTransform (scale);

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
