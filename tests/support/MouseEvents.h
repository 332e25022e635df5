#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace TestSupport
{
    /** A mouse event at a point of the component, as the framework delivers it. */
    inline juce::MouseEvent mouseAt (juce::Component& component, juce::Point<float> position,
                                     juce::ModifierKeys modifiers = juce::ModifierKeys::leftButtonModifier)
    {
        const auto now = juce::Time::getCurrentTime();

        return { juce::Desktop::getInstance().getMainMouseSource(), position, modifiers,
                 juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation,
                 juce::MouseInputSource::defaultRotation, juce::MouseInputSource::defaultTiltX,
                 juce::MouseInputSource::defaultTiltY, &component, &component, now, position, now, 1, false };
    }

    inline juce::MouseEvent mouseAt (juce::Component& component, float x, float y,
                                     juce::ModifierKeys modifiers = juce::ModifierKeys::leftButtonModifier)
    {
        return mouseAt (component, { x, y }, modifiers);
    }
}
