#pragma once

#include "ClickableComponent.h"

#include <memory>

/** A black-on-transparent vector icon, drawn white while enabled and grey while disabled, dimmed
    unless hovered. A disabled icon button ignores clicks.
*/
class IconButton : public ClickableComponent
{
public:
    ~IconButton() override;

    void paint (juce::Graphics&) override;

    std::unique_ptr<juce::Drawable> icon;

protected:
    explicit IconButton (const char* svgText);
};

/** Arrow pointing left inside a ring. */
class UndoIconButton : public IconButton
{
public:
    UndoIconButton();
};

/** The undo icon mirrored: arrow pointing right. */
class RedoIconButton : public IconButton
{
public:
    RedoIconButton();
};
