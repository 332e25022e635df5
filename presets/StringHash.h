#pragma once

#include <juce_core/juce_core.h>

/** Lets juce::String keys into the standard library's hashed containers. */
struct StringHash
{
    size_t operator() (const juce::String& text) const noexcept  { return (size_t) text.hash(); }
};
