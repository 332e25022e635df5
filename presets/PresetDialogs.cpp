#include "PresetDialogs.h"

AlertWindowPresetDialogs::AlertWindowPresetDialogs (juce::LookAndFeel& dialogLook)
    : look (dialogLook)
{
}

AlertWindowPresetDialogs::~AlertWindowPresetDialogs()
{
    dispose (std::move (window));
}

void AlertWindowPresetDialogs::askForPresetName (const juce::String& suggestedName, const juce::String& problem,
                                                 std::function<void (const juce::String&)> onSave)
{
    auto alert = createWindow ("Save Preset", problem.isEmpty() ? juce::String ("Enter preset name:")
                                                                : problem + "\nEnter another preset name:");
    alert->addTextEditor ("name", suggestedName, "Preset name:", false);

    // The buttons come first in the focus order unless the field shares their place, and then
    // the field, being above them, does: the window gives it the keyboard whenever it takes the
    // focus, and the field then selects its text, so typing replaces the suggestion.
    alert->getTextEditor ("name")->setExplicitFocusOrder (1);
    alert->addButton ("Save", 1);
    alert->addButton ("Cancel", 0);

    run (std::move (alert), [onSave = std::move (onSave)] (juce::AlertWindow& closed, int result)
    {
        if (result == 1 && onSave)
            onSave (closed.getTextEditorContents ("name"));
    });
}

void AlertWindowPresetDialogs::confirmDeletion (const juce::String& question, std::function<void()> onDelete)
{
    auto alert = createWindow ("Delete Preset", question);
    alert->addButton ("Delete", 1);
    alert->addButton ("Cancel", 0);

    run (std::move (alert), [onDelete = std::move (onDelete)] (juce::AlertWindow&, int result)
    {
        if (result == 1 && onDelete)
            onDelete();
    });
}

std::unique_ptr<juce::AlertWindow> AlertWindowPresetDialogs::createWindow (const juce::String& title, const juce::String& message)
{
    auto alert = std::make_unique<juce::AlertWindow> (title, message, juce::MessageBoxIconType::NoIcon, nullptr);

    // Before anything is added, so that the text field and the buttons take the look too.
    alert->setLookAndFeel (&look);
    return alert;
}

void AlertWindowPresetDialogs::run (std::unique_ptr<juce::AlertWindow> alert, std::function<void (juce::AlertWindow&, int)> onAnswer)
{
    // A new question replaces one still open; the old one's callback is then never run.
    dispose (std::move (window));
    window = std::move (alert);

    auto* shown = window.get();
    shown->enterModalState (true,
                            juce::ModalCallbackFunction::create ([this, safeWindow = juce::Component::SafePointer<juce::AlertWindow> (shown),
                                                                  onAnswer = std::move (onAnswer)] (int result)
                            {
                                // Gone means this object was destroyed, or a newer question took the window's place.
                                if (safeWindow == nullptr)
                                    return;

                                auto closed = std::move (window);
                                onAnswer (*closed, result);
                                dispose (std::move (closed));

                                if (onClosed != nullptr)
                                    onClosed();
                            }),
                            false);
}

void AlertWindowPresetDialogs::dispose (std::unique_ptr<juce::AlertWindow> alert)
{
    if (alert != nullptr)
        alert->setLookAndFeel (nullptr);
}
