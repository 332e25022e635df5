#include "PresetSubMenu.h"

#include "PresetBrowserLook.h"

#include <algorithm>
#include <iterator>

namespace
{
    // No header; rows of 32 with 7 pixels above the first and below the last; at most 300 tall.
    constexpr ScrolledRows::Layout layout { 0, 32, 7, 300, true };
}

PresetSubMenu::PresetSubMenu()
    : ScrolledRows (layout)
{
    setMouseClickGrabsKeyboardFocus (false);
    font.setExtraKerningFactor (0.08f);
}

PresetSubMenu::~PresetSubMenu()
{
    stopTimer();
}

void PresetSubMenu::setPointerSource (PointerSource& source)
{
    pointer = &source;
}

//==============================================================================
void PresetSubMenu::setItems (const std::vector<MenuItem>& newItems)
{
    items = newItems;
    startAtTop();

    hoverTicks = 0;
    startTimer (20);

    // Runs once the window is on screen: the pointer may already rest on a row, and the current
    // preset can only be scrolled to once the window has its place.
    juce::MessageManager::callAsync ([safeThis = juce::Component::SafePointer<PresetSubMenu> (this)]
                                     {
                                         if (safeThis != nullptr && safeThis->isVisible())
                                             safeThis->pickUpRestingPointer();
                                     });
}

void PresetSubMenu::pickUpRestingPointer()
{
    if (const auto row = rowUnderScreenPosition (pointer->getScreenPosition()); row.has_value() && *row != hoveredIndex)
    {
        hoveredIndex = *row;
        repaint();
    }

    for (auto row = 0; row < (int) items.size(); ++row)
    {
        if (items[(size_t) row].isCurrent)
        {
            ensureRowVisible (row);
            selectedIndex = row;
            break;
        }
    }
}

int PresetSubMenu::getRowCount() const
{
    return (int) items.size();
}

juce::Rectangle<int> PresetSubMenu::heartBoxOf (int row) const
{
    return { getListWidth() - 55, rowTop (row) + 8, 16, 16 };
}

std::optional<int> PresetSubMenu::rowUnderScreenPosition (juce::Point<int> screenPosition) const
{
    if (! getScreenBounds().contains (screenPosition))
        return std::nullopt;

    return rowAt (getLocalPoint (nullptr, screenPosition).y);
}

void PresetSubMenu::chooseLater (int flatIndex)
{
    juce::MessageManager::callAsync ([safeThis = juce::Component::SafePointer<PresetSubMenu> (this), flatIndex]
                                     {
                                         if (safeThis != nullptr && safeThis->onItemSelected)
                                             safeThis->onItemSelected (flatIndex);
                                     });
}

//==============================================================================
void PresetSubMenu::timerCallback()
{
    // While the keyboard drives the list, a resting pointer must not steal the highlight.
    if (! hasKeyboardFocus (true))
    {
        const auto row = rowUnderScreenPosition (pointer->getScreenPosition());

        if (! row.has_value())
        {
            if (hoveredIndex != -1)
            {
                hoveredIndex = -1;
                repaint();
            }
        }
        else if (*row >= 0 && *row != hoveredIndex)
        {
            hoveredIndex = *row;
            selectedIndex = -1;
            repaint();
        }
    }

    if (hoverTicks++ >= hoverTickLimit - 1)
        stopTimer();
}

void PresetSubMenu::mouseMove (const juce::MouseEvent& e)
{
    stopTimer();

    const auto row = rowAt (e.y);

    if (row < 0)
    {
        setMouseCursor (juce::MouseCursor::NormalCursor);
        return;
    }

    const auto onHeart = heartBoxOf (row).contains (e.getPosition());
    setMouseCursor (onHeart ? juce::MouseCursor::PointingHandCursor : juce::MouseCursor::NormalCursor);

    if (const auto heartRow = onHeart ? row : -1; row != hoveredIndex || heartRow != hoveredHeartIndex)
    {
        hoveredIndex = row;
        hoveredHeartIndex = heartRow;
        selectedIndex = -1;
        repaint();
    }
}

void PresetSubMenu::mouseExit (const juce::MouseEvent& e)
{
    hoveredHeartIndex = -1;
    setMouseCursor (juce::MouseCursor::NormalCursor);
    ScrolledRows::mouseExit (e);
}

void PresetSubMenu::mouseDown (const juce::MouseEvent& e)
{
    const auto row = rowAt (e.y);

    if (row < 0)
        return;

    const auto item = items[(size_t) row];

    if (heartBoxOf (row).contains (e.getPosition()))
    {
        if (onHeartClicked && item.file.existsAsFile())
        {
            onHeartClicked (item.file);
            repaint();
        }

        return;
    }

    if (onItemSelected)
        onItemSelected (item.index);
}

//==============================================================================
bool PresetSubMenu::rowKeyPressed (const juce::KeyPress& key)
{
    const auto row = highlightedRow();
    const auto rowExists = row >= 0 && row < getRowCount();

    if (key.isKeyCode (juce::KeyPress::leftKey))
    {
        if (onBack)
            onBack();

        return true;
    }

    if (key.isKeyCode (juce::KeyPress::rightKey))
    {
        // Right opens; the current preset is open already.
        if (rowExists && ! items[(size_t) row].isCurrent)
            chooseLater (items[(size_t) row].index);

        return true;
    }

    if (key.isKeyCode (juce::KeyPress::returnKey))
    {
        if (rowExists)
            chooseLater (items[(size_t) row].index);

        return true;
    }

    if (key.isKeyCode (juce::KeyPress::escapeKey))
    {
        if (onClose)
            onClose();

        return true;
    }

    return false;
}

void PresetSubMenu::focusGained (FocusChangeType)
{
    if (hoveredIndex >= 0)
    {
        selectedIndex = hoveredIndex;
        hoveredIndex = -1;
    }
    else if (selectedIndex < 0 && ! items.empty())
    {
        const auto current = std::find_if (items.begin(), items.end(), [] (const MenuItem& item) { return item.isCurrent; });
        selectedIndex = current != items.end() ? (int) std::distance (items.begin(), current) : 0;
    }

    repaint();
}

//==============================================================================
void PresetSubMenu::paint (juce::Graphics& g)
{
    const auto width = getWidth(), height = getHeight();
    const auto listWidth = getListWidth();
    const auto bounds = getLocalBounds().toFloat();

    PresetBrowserLook::paintShadow (g, bounds, 16, 0.5f, 6.0f);

    g.setColour (juce::Colour (0xFF4D4D4D));
    g.fillRoundedRectangle (bounds, 6.0f);

    PresetBrowserLook::paintNoise (g, 24, 200, (float) listWidth, (float) height, 0.8f, 0.025f);

    g.setGradientFill (juce::ColourGradient (juce::Colour (0x331A1A1A), (float) listWidth / 2.0f, 0.0f,
                                             juce::Colour (0x660F0F0F), (float) listWidth / 2.0f, (float) height, false));
    g.fillRoundedRectangle (0.0f, 0.0f, (float) listWidth, (float) height, 6.0f);

    g.setColour (PresetBrowserLook::hairline);
    g.drawRoundedRectangle (0.5f, 0.5f, (float) juce::jmax (0, listWidth - 1), (float) juce::jmax (0, height - 1), 6.0f, 1.0f);

    {
        juce::Graphics::ScopedSaveState clipped (g);
        g.reduceClipRegion (0, 0, listWidth, height);

        for (auto row = 0; row < (int) items.size(); ++row)
            paintRow (g, row, listWidth);
    }

    if (width > 0)
    {
        g.setColour (PresetBrowserLook::hairline);
        g.drawHorizontalLine (1, 0.0f, (float) width);
    }
}

void PresetSubMenu::paintRow (juce::Graphics& g, int row, int listWidth)
{
    const auto y = rowTop (row);

    if (y + itemHeight < 0 || y > getHeight())
        return;

    const auto& item = items[(size_t) row];
    const auto centre = (float) (y + itemHeight / 2);
    const auto highlighted = row == highlightedRow();
    juce::Rectangle<int> area (0, y, listWidth, itemHeight);

    if (highlighted)
    {
        g.setGradientFill (juce::ColourGradient (PresetBrowserLook::highlight, 0.0f, (float) y,
                                                 juce::Colour (0xFF262626), (float) listWidth, (float) y, false));
        g.fillRect (area);
        g.setColour (PresetBrowserLook::orange.withAlpha ((juce::uint8) 0x99));
        g.fillRect (0, y, 2, itemHeight);
        area.removeFromLeft (2);
    }
    else if (item.isCurrent)
    {
        g.setColour (PresetBrowserLook::panel);
        g.fillRect (area);
    }

    if (item.isCurrent)
    {
        g.setColour (PresetBrowserLook::orange);
        g.fillRect (0, y, 3, itemHeight);
    }

    const auto iconTop = (float) (y + itemHeight / 2 - 6);
    g.setColour (highlighted || item.isCurrent ? PresetBrowserLook::whiteMedium : PresetBrowserLook::whiteSoft);
    g.drawRoundedRectangle (12.0f, iconTop, 12.0f, 12.0f, 2.0f, 1.2f);
    g.fillEllipse (16.5f, iconTop + 4.5f, 3.0f, 3.0f);

    g.setFont (font.withHeight (14.0f));
    g.setColour (item.isCurrent ? juce::Colours::white
                                : highlighted ? PresetBrowserLook::whiteStrong : juce::Colours::white.withAlpha ((juce::uint8) 0xA6));
    g.drawText (item.name,
                juce::Rectangle<int> (area.getX() + 35, y, juce::jmin (juce::jmax (0, area.getWidth() - 70), listWidth - 110), itemHeight),
                juce::Justification::centredLeft, true);

    const auto heart = PresetBrowserLook::heart ((float) (listWidth - 47), centre, 6.4f, 0.8f);
    const auto heartHovered = row == hoveredHeartIndex;

    if (item.isFavourite)
    {
        g.setColour (PresetBrowserLook::heartColour (heartHovered));
        g.fillPath (heart);
    }
    else
    {
        g.setColour (heartHovered ? PresetBrowserLook::whiteMedium : PresetBrowserLook::whiteSoft);
        g.strokePath (heart, PresetBrowserLook::thinStroke);
    }

    if (item.isCurrent)
    {
        const auto badgeX = (float) (area.getRight() - 26), badgeY = centre - 8.0f;
        g.setColour (PresetBrowserLook::orange);
        g.fillEllipse (badgeX, badgeY, 16.0f, 16.0f);

        juce::Path tick;
        tick.startNewSubPath (badgeX + 4.0f, badgeY + 8.0f);
        tick.lineTo (badgeX + 7.0f, badgeY + 10.0f);
        tick.lineTo (badgeX + 12.0f, badgeY + 5.0f);
        g.setColour (juce::Colour (0xFF121212));
        g.strokePath (tick, juce::PathStrokeType (2.0f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
    }

    if (row < (int) items.size() - 1 && listWidth >= 31)
    {
        g.setColour (juce::Colour (0x08FFFFFF));
        g.drawHorizontalLine ((int) ((float) (y + itemHeight) - 0.5f), 15.0f, (float) (listWidth - 15));
    }
}
