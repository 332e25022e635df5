#include "ControlAttachments.h"

class ChannelTypeAttachments::Switch final : private juce::Button::Listener
{
public:
    Switch (ChannelTypeAttachments& ownerToUse, juce::RangedAudioParameter& parameterToBind, juce::Button& buttonToBind)
        : owner (ownerToUse),
          parameter (parameterToBind),
          button (buttonToBind),
          attachment (parameterToBind, [this] (float) { owner.showPlayingType(); }, nullptr)
    {
        button.addListener (this);
    }

    ~Switch() override
    {
        button.removeListener (this);
    }

    bool isOn() const               { return parameter.getValue() >= 0.5f; }
    void setOn (bool on)            { attachment.setValueAsCompleteGesture (on ? 1.0f : 0.0f); }

    // Runs the switch's own handler as if it had been clicked when the picture changes; so does
    // the radio group for the switches it turns off.
    void show (bool on)             { button.setToggleState (on, juce::sendNotificationSync); }

private:
    void buttonClicked (juce::Button*) override
    {
        // A switch the radio group turns off as the user picks another type gets its parameter
        // set by that selection.
        if (! owner.followingParameters && button.getToggleState())
            owner.select (*this);
    }

    ChannelTypeAttachments& owner;
    juce::RangedAudioParameter& parameter;
    juce::Button& button;
    juce::ParameterAttachment attachment;
};

ChannelTypeAttachments::ChannelTypeAttachments (juce::AudioProcessorValueTreeState& state,
                                                const std::array<const char*, 4>& parameterIds,
                                                const std::array<juce::Button*, 4>& buttons)
{
    for (size_t i = 0; i < switches.size(); ++i)
        switches[i] = std::make_unique<Switch> (*this, *state.getParameter (parameterIds[i]), *buttons[i]);

    showPlayingType();
}

ChannelTypeAttachments::~ChannelTypeAttachments() = default;

void ChannelTypeAttachments::showPlayingType()
{
    if (selecting)
        return;

    Switch* playing = nullptr;

    for (auto& s : switches)
        if (s->isOn())
            playing = s.get();

    const juce::ScopedValueSetter<bool> following (followingParameters, true);

    for (auto& s : switches)
        s->show (s.get() == playing);
}

void ChannelTypeAttachments::select (Switch& chosen)
{
    {
        const juce::ScopedValueSetter<bool> selectingNow (selecting, true);

        for (auto& s : switches)
            if (s.get() != &chosen && s->isOn())
                s->setOn (false);

        chosen.setOn (true);
    }

    showPlayingType();
}

//==============================================================================
ChoiceBoxAttachment::ChoiceBoxAttachment (juce::RangedAudioParameter& parameterToBind, juce::ComboBox& boxToBind,
                                          std::function<void()> callBeforeUserChange)
    : parameter (parameterToBind),
      box (boxToBind),
      beforeUserChange (std::move (callBeforeUserChange)),
      attachment (parameterToBind, [this] (float choice) { follow (choice); }, nullptr)
{
    attachment.sendInitialUpdate();
    box.addListener (this);
}

ChoiceBoxAttachment::~ChoiceBoxAttachment()
{
    box.removeListener (this);
}

void ChoiceBoxAttachment::follow (float choice)
{
    const auto index = juce::roundToInt (parameter.convertTo0to1 (choice) * (float) (box.getNumItems() - 1));

    if (index == box.getSelectedItemIndex())
        return;

    const juce::ScopedValueSetter<bool> following (followingParameter, true);
    box.setSelectedItemIndex (index, juce::sendNotificationSync);
}

void ChoiceBoxAttachment::comboBoxChanged (juce::ComboBox*)
{
    if (followingParameter)
        return;

    const auto numItems = box.getNumItems();
    const auto normalised = numItems > 1 ? (float) box.getSelectedItemIndex() / (float) (numItems - 1) : 0.0f;

    if (normalised == parameter.getValue())
        return;

    if (beforeUserChange != nullptr)
        beforeUserChange();

    attachment.setValueAsCompleteGesture (parameter.convertFrom0to1 (normalised));
}
