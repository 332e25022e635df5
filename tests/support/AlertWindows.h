#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <vector>

namespace AlertWindows
{
    /** Every alert window that is on screen. */
    inline std::vector<juce::AlertWindow*> visible()
    {
        std::vector<juce::AlertWindow*> windows;
        auto& desktop = juce::Desktop::getInstance();

        for (auto i = 0; i < desktop.getNumComponents(); ++i)
            if (auto* alert = dynamic_cast<juce::AlertWindow*> (desktop.getComponent (i)); alert != nullptr && alert->isShowing())
                windows.push_back (alert);

        return windows;
    }
}
