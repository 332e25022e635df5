#pragma once

#include <juce_graphics/juce_graphics.h>

/** Draws the maker's mark, 92 x 86 with a transparent ground: a light hexagon nut (a brass
    socket, after the maker's name) with a bold "B" cut out of it.
*/
namespace LogoPainter
{
    constexpr int width = 92;
    constexpr int height = 86;

    juce::Image renderLogo();
}
