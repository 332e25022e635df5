#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The look of the preset bar's dialogs: a dark rounded box with a thin outline, no icon, and
    dark text fields and buttons.
*/
class DarkAlertLookAndFeel final : public juce::LookAndFeel_V4
{
public:
    DarkAlertLookAndFeel();
    ~DarkAlertLookAndFeel() override = default;

    void drawAlertBox (juce::Graphics&, juce::AlertWindow&, const juce::Rectangle<int>& textArea, juce::TextLayout&) override;
    juce::Font getAlertWindowTitleFont() override;
    juce::Font getAlertWindowMessageFont() override;
    juce::Font getAlertWindowFont() override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DarkAlertLookAndFeel)
};
