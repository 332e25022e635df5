#include "IconButtons.h"

#include <cstring>

namespace
{
    const char* const undoIconSvg =
        R"(<svg xmlns="http://www.w3.org/2000/svg" width="128" height="128" viewBox="0 0 512 512">)"
        R"(<path fill="#000000" d="M245 205.58L245 176Q245 162 234.34 171.07L154.66 238.93Q144 248 154.66 257.07)"
        R"(L234.34 324.93Q245 334 245 320L245 290.42C300 290.42 335 295 335 323C335 341.2 349.8 356 368 356)"
        R"(C386.2 356 401 341.2 401 323C401 250 340 205.58 245 205.58Z"/>)"
        R"(<circle cx="256" cy="256" r="192" fill="none" stroke="#000000" stroke-width="32" stroke-miterlimit="10"/>)"
        R"(</svg>)";

    const char* const redoIconSvg =
        R"(<svg xmlns="http://www.w3.org/2000/svg" width="128" height="128" viewBox="0 0 512 512">)"
        R"(<path fill="#000000" d="M267 205.58L267 176Q267 162 277.66 171.07L357.34 238.93Q368 248 357.34 257.07)"
        R"(L277.66 324.93Q267 334 267 320L267 290.42C212 290.42 177 295 177 323C177 341.2 162.2 356 144 356)"
        R"(C125.8 356 111 341.2 111 323C111 250 172 205.58 267 205.58Z"/>)"
        R"(<circle cx="256" cy="256" r="192" fill="none" stroke="#000000" stroke-width="32" stroke-miterlimit="10"/>)"
        R"(</svg>)";
}

IconButton::IconButton (const char* svgText)
    : ClickableComponent (DisabledClicks::ignored),
      icon (juce::Drawable::createFromImageData (svgText, std::strlen (svgText)))
{
}

IconButton::~IconButton() = default;

void IconButton::paint (juce::Graphics& g)
{
    if (icon == nullptr)
        return;

    const auto area = getLocalBounds().toFloat().reduced (4.0f);
    const auto enabled = isEnabled();

    // The stored icon stays black, so each paint recolours a fresh copy.
    auto recoloured = icon->createCopy();
    recoloured->replaceColour (juce::Colours::black, enabled ? juce::Colour (0xFFFFFFFF) : juce::Colour (0xFF666666));
    recoloured->drawWithin (g, area, juce::RectanglePlacement::centred, isHovered && enabled ? 1.0f : 0.7f);
}

UndoIconButton::UndoIconButton()
    : IconButton (undoIconSvg)
{
}

RedoIconButton::RedoIconButton()
    : IconButton (redoIconSvg)
{
}
