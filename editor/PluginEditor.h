#pragma once

#include "AboutDialog.h"
#include "BrassockLogoButton.h"
#include "ButtonLookAndFeels.h"
#include "ControlAttachments.h"
#include "FilmStripComponent.h"
#include "IconButtons.h"
#include "KnobLookAndFeels.h"
#include "MeterComponent.h"
#include "PresetLookAndFeel.h"
#include "Retrotogglebutton.h"
#include "SharedPictures.h"
#include "TopBarMeter.h"
#include "engine/PluginProcessor.h"
#include "presets/DarkAlertLookAndFeel.h"
#include "presets/HeartFavButton.h"
#include "presets/ModernPresetSelectorWrapper.h"
#include "presets/PresetDialogs.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <array>
#include <functional>
#include <memory>
#include <vector>

/** The plug-in's editor window.

    Every child sits at a fixed rectangle of an 1100 x 852 design space and is scaled as a whole
    by width / 1100, so the window can be resized between half and one and a half times the
    design size, as far as its display's free area allows; only the info line is placed in window
    pixels. The controls are bound to the
    processor's parameters; the editor adds undo/redo and A/B compare of whole states, a veil
    while the plug-in's power is off, help texts in the info line, the preset bar and the about
    box, and keeps its size and the help-text switch in its settings file.

    Undo works in steps of one user action each: a step keeps the state from before the action's
    first change, and is recorded once the action is over (the end of a knob drag, or when the
    click or change has been handled), and only when the state differs.
*/
class QuorlinAudioProcessorEditor final : public juce::AudioProcessorEditor,
                                          public juce::Timer,
                                          private juce::AsyncUpdater
{
public:
    /** Shows its control's help text in the info line while the pointer is over the control. */
    class TooltipMouseListener final : public juce::MouseListener
    {
    public:
        TooltipMouseListener (QuorlinAudioProcessorEditor& owner, const juce::String& text);
        ~TooltipMouseListener() override;

        void mouseEnter (const juce::MouseEvent&) override;
        void mouseExit (const juce::MouseEvent&) override;

        QuorlinAudioProcessorEditor& owner;
        const juce::String text;

    private:
        JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TooltipMouseListener)
    };

    explicit QuorlinAudioProcessorEditor (QuorlinAudioProcessor&);
    ~QuorlinAudioProcessorEditor() override;

    void mouseDown (const juce::MouseEvent&) override;
    void parentHierarchyChanged() override;
    void paint (juce::Graphics&) override;
    void paintOverChildren (juce::Graphics&) override;
    void resized() override;
    void timerCallback() override;

    /** Records a save point for the user action under way: its step, which holds the state
        from before the action's first change, is kept once the action is over. Outside a user
        action (a switch following host automation or a loaded state) there is nothing to record.
    */
    void saveUndoState();

    /** Shows the text in the info line, or the sample rate and oversampling when it is empty;
        nothing while help texts are switched off.
    */
    void updateTooltip (const juce::String& text);

    /** Fills the heart when the current preset is a favourite. */
    void updateHeartButton();

    /** The settings file's options. The framework's places, unless the environment variable
        VASTREL_SETTINGS_FOLDER names a folder, which then holds the file (tests never touch the
        machine-wide or the real user's file).
    */
    static juce::PropertiesFile::Options settingsOptions();

    /** The user area (what panels and docks leave free) of the display that shows most of a
        screen rectangle, or an empty one without displays. The framework's displays, unless a
        test stands in for them.
    */
    static std::function<juce::Rectangle<int> (juce::Rectangle<int> screenArea)> displayUserArea;

    /** Does ahead what the first opening of an editor in a process costs once: sets up the window
        system, loads the fonts the editor draws with and has the artwork stretched in the
        background for the size the next editor opens at. Message thread; the shared pictures
        call it once they decode with no editor waiting.
    */
    static void prepareFirstOpening();

    static constexpr int designWidth = 1100;
    static constexpr int designHeight = 852;
    static constexpr int maxUndoSteps = 30;

    /** The pictures, decoding from the editor's first moment on if they had not started, and the
        artwork stretched for the window's size, beside the rest of its setting up.
    */
    const std::shared_ptr<SharedPictures> pictures = startPictures();
    QuorlinAudioProcessor& audioProcessor;

    std::unique_ptr<ModernPresetSelectorWrapper> presetSelector;
    HeartFavButton heartButton;

    CustomLookAndFeel customLookAndFeel;
    CustomLookAndFeel2 customLookAndFeel2;
    CustomLookAndFeel2b customLookAndFeel2b;
    CustomLookAndFeel3 customLookAndFeel3;
    CustomLookAndFeel4 customLookAndFeel4;
    PresetLookAndFeel presetLookAndFeel;
    LargeButtonLookAndFeel largeButtonLookAndFeel;
    PresetNavButtonLookAndFeel presetNavButtonLookAndFeel;
    ABButtonLookAndFeel abButtonLookAndFeel;

    juce::TextButton prevButton { "<" }, nextButton { ">" }, saveButton { "+" }, deleteButton { juce::String::charToString (0x2212) };

    Retrotogglebutton powerButton { "poweR Button" }, compButton { "ComP Button" }, eqButton { "EqP Button" },
                      typeAButton { "TypeA Button" }, typeBButton { "TypeB Button" },
                      typeCButton { "TypeC Button" }, typeDButton { "TypeD Button" };

    juce::ComboBox oversamplingBox;

    /** The knobs of "knob1" to "knob11", in this order: the order of their rows. */
    std::array<std::unique_ptr<juce::Slider>, 11> knobSliders;
    std::array<std::unique_ptr<juce::AudioProcessorValueTreeState::SliderAttachment>, 11> sliderAttachments;

    std::unique_ptr<juce::AudioProcessorValueTreeState::ButtonAttachment> powerAttachment, compAttachment, eqAttachment;
    std::unique_ptr<ChannelTypeAttachments> typeAttachments;
    std::unique_ptr<ChoiceBoxAttachment> oversamplingAttachment;

    FilmStripComponent needleMeter;
    MeterComponent outputMeter;

    juce::MemoryBlock stateA;
    bool hasStateA = false;
    juce::MemoryBlock stateB;
    bool hasStateB = false;
    bool isStateAActive = true;
    juce::TextButton compareAButton { "A" }, compareBButton { "B" };

    BrassockLogoButton logoButton;
    std::unique_ptr<AboutDialog> aboutDialog;
    std::unique_ptr<DimmingOverlay> dimmingOverlay;
    TopBarMeter topBarMeter;

    UndoIconButton undoButton;
    RedoIconButton redoButton;
    std::vector<juce::MemoryBlock> undoStack, redoStack;

    /** The state from before the user action under way; empty between actions. */
    juce::MemoryBlock currentSnapshot;

    juce::Label infoLabel;
    juce::TextButton tooltipButton;
    bool showTooltips = true;
    InfoButtonLookAndFeel infoButtonLookAndFeel;
    DarkAlertLookAndFeel darkAlertLookAndFeel;

    /** The save and delete questions; tests put in their own answers. */
    std::unique_ptr<PresetDialogs> presetDialogs;

    juce::OwnedArray<TooltipMouseListener> tooltipListeners;
    juce::ApplicationProperties appProperties;
    juce::TextButton bypassButton { "BYPASS" };
    BypassButtonLookAndFeel bypassButtonLookAndFeel;
    bool bypassOverlayShown = false;

private:
    void handleAsyncUpdate() override;

    /** Starts the step of a user action: takes the state before its first change. A knob starts
        one when its drag begins, the box when the user has picked another choice, a switch when
        it is pressed, and actions that set parameters themselves first thing. Never from inside
        a parameter's notification: the state is taken under the parameter state's lock.
    */
    void beginUndoStep();

    /** Starts the step of an action that ends an earlier one still waiting to be recorded. */
    void beginUndoStepOfNewAction();

    /** Starts an action the editor carries out itself (stepping through the presets, the bypass
        switch) as a step to be undone alone: ends the step under way, takes the state before the
        action, and has the step recorded once the action's changes have been handled.
    */
    void beginActionOfItsOwn();

    void knobDragStarted();
    void knobDragEnded();
    void switchStateChanged (juce::Button&, bool pressed);

    /** Records the step of the action that has ended, if it changed anything. */
    void finishUndoStep();

    void undo();
    void redo();

    /** Takes the newest state off one stack and loads it, after putting the present state on the other. */
    void stepThroughHistory (std::vector<juce::MemoryBlock>& from, std::vector<juce::MemoryBlock>& to);
    void switchToStateA();
    void switchToStateB();
    void switchToSlot (bool slotA);
    void showActiveSlot();
    void updateUndoButtons();

    /** Loads a whole state. The switches and the box follow without a press or a gesture, so
        their handlers find no step to record.
    */
    void loadState (const juce::MemoryBlock& state);

    void showPreviousPreset();
    void showNextPreset();

    /** Loads the preset one place back (-1) or on (+1) in the flat list, as one undo step. */
    void stepThroughPresets (int step);
    void toggleFavourite();
    void askToSavePreset();
    void askForPresetName (const juce::String& suggestedName, const juce::String& problem);
    void askToDeletePreset();

    void showAboutBox();
    void placeAboutBox();
    void toggleBypass();
    void tooltipSwitchClicked();
    juce::String idleInfoText() const;

    /** Rewrites the idle line when the sample rate or the oversampling choice it shows has changed. */
    void refreshIdleLine();

    void makeKnobs();
    void makeMeters();
    void makePresetBar();
    void makeCompareAndHistory();
    void makeLogoAndTopBarMeter();
    void makeSwitches();
    void makeOversamplingBox();
    void bindControls();
    void makeWindowSize();
    void makeInfoLine();
    void makeBypass();
    void attachHelpTexts();

    /** The channel-type switches, A to D. */
    std::array<Retrotogglebutton*, 4> typeSwitches();

    /** The framework's settings file, or nullptr when it has none. */
    juce::PropertiesFile* settingsFile();

    /** The largest scale, from half to one and a half times the design size, at which the window
        fits the user area of the display it is on: from where it is when it is on the screen
        and fromWhereItIs is set, otherwise the area's whole size.
    */
    double largestFittingRatio (bool fromWhereItIs) const;

    /** Sets the largest size the corner and the host may give the window to what fits now. */
    void updateSizeLimits();

    bool isPowerOff() const;
    void drawArtwork (juce::Graphics&, juce::Rectangle<int> area);

    /** Starts the pictures decoding and has the artwork stretched for the size the window opens at. */
    static std::shared_ptr<SharedPictures> startPictures();
    static void prepareStretchedArtwork();

    /** A child the editor lays out: the parameter it is bound to, where it sits in the design
        space, the look it is drawn with and the help text the info line shows for it.
    */
    struct ControlRow
    {
        juce::Component& component;

        /** nullptr for a child bound to no parameter. */
        const char* parameterId;

        juce::Rectangle<int> designBounds;

        /** Its turn when the children are laid out, which is also the knobs' turn to be made. */
        int layoutTurn;

        /** nullptr for the framework's own. */
        juce::LookAndFeel* look;

        /** nullptr for a child without one. */
        const char* helpText;

        /** The info line is placed in window pixels; every other child is scaled as a whole. */
        bool placedInWindowPixels = false;
    };

    /** Makes the knobs and lists every child's row, in the order the help texts are attached. */
    std::vector<ControlRow> describeControls();

    /** Makes the next knob of knobSliders, named as the hosts' accessibility and the tests see it. */
    juce::Slider& makeKnob (const char* name);

    const ControlRow& rowOf (const juce::Component&) const;
    std::vector<const ControlRow*> controlsInLayoutOrder() const;

    /** The artwork stretched to the size it was last drawn at, in screen pixels; shared with
        the editors that open later at that size.
    */
    juce::Image stretchedArtwork;

    /** The info line shows the idle line, built from this rate and oversampling choice. */
    bool idleLineShown = false;
    double idleLineSampleRate = 0.0;
    int idleLineOversampling = 0;

    /** Knob drags begun and not yet ended. */
    int gesturesUnderWay = 0;

    /** One row per child laid out; set-up, layout and teardown all go by it. */
    const std::vector<ControlRow> controls;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (QuorlinAudioProcessorEditor)
};
