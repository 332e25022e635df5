#pragma once

#include "editor/ClickableComponent.h"

/** The preset bar's favourite heart: filled red for a favourite, a faint outline otherwise,
    both brighter while hovered. It has no background.
*/
class HeartFavButton : public ClickableComponent
{
public:
    HeartFavButton();
    ~HeartFavButton() override;

    void paint (juce::Graphics&) override;

    bool isFavourite = false;

    /** The heart's outline in a unit square, y downwards. */
    juce::Path heart;
};
