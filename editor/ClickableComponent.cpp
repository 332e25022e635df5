#include "ClickableComponent.h"

ClickableComponent::ClickableComponent (DisabledClicks whenDisabled)
    : disabledClicks (whenDisabled)
{
    setMouseCursor (juce::MouseCursor::PointingHandCursor);
}

ClickableComponent::~ClickableComponent() = default;

void ClickableComponent::mouseEnter (const juce::MouseEvent&)
{
    isHovered = true;
    repaint();
}

void ClickableComponent::mouseExit (const juce::MouseEvent&)
{
    isHovered = false;
    repaint();
}

void ClickableComponent::mouseUp (const juce::MouseEvent& event)
{
    if (disabledClicks == DisabledClicks::ignored && ! isEnabled())
        return;

    if (getLocalBounds().contains (event.getPosition()) && onClick != nullptr)
        onClick();
}
