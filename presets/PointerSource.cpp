#include "PointerSource.h"

PointerSource& PointerSource::desktop()
{
    static DesktopPointerSource source;
    return source;
}

juce::Point<int> DesktopPointerSource::getScreenPosition() const
{
    return juce::Desktop::getMousePosition();
}

bool DesktopPointerSource::isButtonDown() const
{
    // The main mouse source only learns of presses on our own windows; a press in the host's
    // window is seen only by asking the system.
    return juce::ModifierKeys::getCurrentModifiersRealtime().isAnyMouseButtonDown()
        || juce::Desktop::getInstance().getMainMouseSource().isDragging();
}
