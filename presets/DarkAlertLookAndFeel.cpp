#include "DarkAlertLookAndFeel.h"

DarkAlertLookAndFeel::DarkAlertLookAndFeel()
{
    setColour (juce::AlertWindow::backgroundColourId, juce::Colour (0xFF1A1A1A));
    setColour (juce::AlertWindow::textColourId, juce::Colours::white);
    setColour (juce::AlertWindow::outlineColourId, juce::Colour (0xFF444444));
    setColour (juce::TextEditor::backgroundColourId, juce::Colour (0xFF2A2A2A));
    setColour (juce::TextEditor::textColourId, juce::Colours::white);
    setColour (juce::TextEditor::outlineColourId, juce::Colour (0xFF555555));
    setColour (juce::TextEditor::focusedOutlineColourId, juce::Colour (0xFF888888));
    setColour (juce::TextButton::buttonColourId, juce::Colour (0xFF3A3A3A));
    setColour (juce::TextButton::textColourOffId, juce::Colours::white);
    setColour (juce::TextButton::textColourOnId, juce::Colours::white);
}

void DarkAlertLookAndFeel::drawAlertBox (juce::Graphics& g, juce::AlertWindow& alert,
                                         const juce::Rectangle<int>& textArea, juce::TextLayout& textLayout)
{
    g.setColour (juce::Colour (0xFF1A1A1A));
    g.fillRoundedRectangle (0.0f, 0.0f, (float) alert.getWidth(), (float) alert.getHeight(), 8.0f);

    g.setColour (juce::Colour (0xFF444444));
    g.drawRoundedRectangle (alert.getLocalBounds().toFloat().reduced (0.5f), 8.0f, 1.0f);

    textLayout.draw (g, textArea.toFloat());
}

juce::Font DarkAlertLookAndFeel::getAlertWindowTitleFont()
{
    return juce::Font (17.0f, juce::Font::bold);
}

juce::Font DarkAlertLookAndFeel::getAlertWindowMessageFont()
{
    return juce::Font (14.0f, juce::Font::plain);
}

juce::Font DarkAlertLookAndFeel::getAlertWindowFont()
{
    return juce::Font (14.0f, juce::Font::plain);
}
