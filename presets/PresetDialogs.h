#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

/** The two questions of the preset bar: the name to save under, and whether to delete.

    Both answer later, through their callbacks, and only when the user confirms; a cancelled
    dialog calls nothing. Tests put in their own answers.
*/
class PresetDialogs
{
public:
    virtual ~PresetDialogs() = default;

    /** "Save Preset": asks for a name, suggesting one, and says first what was wrong with the
        name typed before when there is a problem to tell; onSave gets the text as typed.
    */
    virtual void askForPresetName (const juce::String& suggestedName, const juce::String& problem,
                                   std::function<void (const juce::String& typedName)> onSave) = 0;

    /** "Delete Preset": asks the question; onDelete runs when the user confirms. */
    virtual void confirmDeletion (const juce::String& question, std::function<void()> onDelete) = 0;

    /** Runs whenever a dialog has closed, whatever the answer, after the answer's callback. */
    std::function<void()> onClosed;
};

/** The dialogs as dark alert windows, modal over everything but without a nested message loop,
    so that the host may close the editor while one is open.

    The windows belong to this object: destroying it closes an open dialog, whose callback then
    never runs. The look must outlive this object.
*/
class AlertWindowPresetDialogs final : public PresetDialogs
{
public:
    explicit AlertWindowPresetDialogs (juce::LookAndFeel& dialogLook);
    ~AlertWindowPresetDialogs() override;

    void askForPresetName (const juce::String& suggestedName, const juce::String& problem,
                           std::function<void (const juce::String&)> onSave) override;
    void confirmDeletion (const juce::String& question, std::function<void()> onDelete) override;

    /** The open dialog, or nullptr. */
    juce::AlertWindow* getOpenDialog() const noexcept  { return window.get(); }

private:
    std::unique_ptr<juce::AlertWindow> createWindow (const juce::String& title, const juce::String& message);

    /** Shows the window; when a button closes it, onAnswer gets the window and the button's result. */
    void run (std::unique_ptr<juce::AlertWindow> alert, std::function<void (juce::AlertWindow&, int)> onAnswer);

    static void dispose (std::unique_ptr<juce::AlertWindow>);

    juce::LookAndFeel& look;
    std::unique_ptr<juce::AlertWindow> window;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AlertWindowPresetDialogs)
};
