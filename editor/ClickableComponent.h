#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

/** A self-drawn button: tracks the hover state, shows a pointing hand and calls onClick when the
    mouse is released inside it. The press alone does nothing, so a press that leaves the button
    before its release is no click.
*/
class ClickableComponent : public juce::Component,
                           public juce::SettableTooltipClient
{
public:
    ~ClickableComponent() override;

    void mouseEnter (const juce::MouseEvent&) override;
    void mouseExit (const juce::MouseEvent&) override;
    void mouseUp (const juce::MouseEvent&) override;

    std::function<void()> onClick;
    bool isHovered = false;

protected:
    enum class DisabledClicks
    {
        delivered,
        ignored
    };

    explicit ClickableComponent (DisabledClicks whenDisabled);

private:
    const DisabledClicks disabledClicks;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ClickableComponent)
};
