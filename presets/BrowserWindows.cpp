#include "BrowserWindows.h"

namespace
{
    bool isPressHeldIn (juce::Component& window)
    {
        const auto source = juce::Desktop::getInstance().getMainMouseSource();
        auto* pressed = source.getComponentUnderMouse();

        return source.isDragging() && pressed != nullptr && (pressed == &window || window.isParentOf (pressed));
    }
}

void BrowserWindows::close (juce::Component& window)
{
    const auto keepForRelease = isPressHeldIn (window);
    window.setVisible (false);

    if (! keepForRelease)
        window.removeFromDesktop();
}

void BrowserWindows::finishClosing (juce::Component& window)
{
    if (! window.isVisible() && window.isOnDesktop())
        window.removeFromDesktop();
}
