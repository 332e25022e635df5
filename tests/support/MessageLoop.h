#pragma once

#include <juce_events/juce_events.h>

#include <memory>

namespace TestSupport
{
    /** Runs every message posted so far, and those they post in turn (a click that was triggered,
        then the undo step it left pending). False if they never end.
    */
    inline bool runPendingMessages()
    {
        for (auto round = 0; round < 3; ++round)
        {
            auto done = std::make_shared<bool> (false);
            juce::MessageManager::callAsync ([done] { *done = true; });

            for (auto attempt = 0; attempt < 2000 && ! *done; ++attempt)
                juce::MessageManager::getInstance()->runDispatchLoopUntil (1);

            if (! *done)
                return false;
        }

        return true;
    }

    /** Dispatches messages until the condition holds; false if it never does. */
    template <typename Condition>
    bool runUntil (Condition condition)
    {
        for (auto attempt = 0; attempt < 5000 && ! condition(); ++attempt)
            juce::MessageManager::getInstance()->runDispatchLoopUntil (1);

        return condition();
    }
}
