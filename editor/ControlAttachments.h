#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <array>
#include <functional>
#include <memory>

/** Binds the four channel-type switches, one radio group, to their parameters.

    The processor plays the last type whose parameter is on, and the switches show that one (or
    none while no parameter is on). A click of the user's on a switch selects its type: every
    other type's parameter goes off and its own on, each with a gesture, as the framework's button
    attachments would set them. A switch that follows its parameter (host automation, a loaded
    state) changes only what the switches show: the other parameters are left alone, so a load
    reaches the host as the values it holds, without gestures, and no parameter is set from inside
    another's notification.
*/
class ChannelTypeAttachments final
{
public:
    ChannelTypeAttachments (juce::AudioProcessorValueTreeState& state,
                            const std::array<const char*, 4>& parameterIds,
                            const std::array<juce::Button*, 4>& buttons);
    ~ChannelTypeAttachments();

private:
    class Switch;

    void showPlayingType();
    void select (Switch& chosen);

    std::array<std::unique_ptr<Switch>, 4> switches;
    bool followingParameters = false, selecting = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ChannelTypeAttachments)
};

/** Binds a combo box to a choice parameter as the framework's attachment does (item index i for
    choice i), and calls beforeUserChange when the user has picked another choice, before the
    parameter takes it, with no parameter's lock held.
*/
class ChoiceBoxAttachment final : private juce::ComboBox::Listener
{
public:
    ChoiceBoxAttachment (juce::RangedAudioParameter& parameter, juce::ComboBox& box, std::function<void()> beforeUserChange);
    ~ChoiceBoxAttachment() override;

private:
    void comboBoxChanged (juce::ComboBox*) override;
    void follow (float choice);

    juce::RangedAudioParameter& parameter;
    juce::ComboBox& box;
    const std::function<void()> beforeUserChange;
    juce::ParameterAttachment attachment;
    bool followingParameter = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ChoiceBoxAttachment)
};
