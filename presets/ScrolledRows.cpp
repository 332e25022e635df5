#include "ScrolledRows.h"

#include "BrowserWindows.h"
#include "PresetBrowserLook.h"

ScrolledRows::ScrolledRows (const Layout& layout)
    : itemHeight (layout.itemHeight),
      padding (layout.padding),
      maxHeight (layout.maxHeight),
      listTop (layout.headerHeight),
      paddingScrolls (layout.paddingScrolls)
{
    setInterceptsMouseClicks (true, true);
    setAlwaysOnTop (true);
    setWantsKeyboardFocus (true);

    addAndMakeVisible (scrollBar);
    PresetBrowserLook::setUpScrollBar (scrollBar, *this);
}

ScrolledRows::~ScrolledRows() = default;

//==============================================================================
int ScrolledRows::getContentHeight() const
{
    return getRowCount() * itemHeight + (paddingScrolls ? 2 * padding : 0);
}

int ScrolledRows::getListHeight() const
{
    return getHeight() - listTop;
}

int ScrolledRows::getListWidth() const
{
    return scrollBar.isVisible() ? getWidth() - juce::jmin (10, getWidth()) : getWidth();
}

int ScrolledRows::rowTop (int row) const
{
    return listTop + (paddingScrolls ? padding : 0) + row * itemHeight - scrollOffset;
}

int ScrolledRows::rowAt (int y) const
{
    const auto fromFirstRow = y - rowTop (0);

    if (y < listTop || fromFirstRow < 0)
        return -1;

    const auto row = fromFirstRow / itemHeight;
    return row < getRowCount() ? row : -1;
}

int ScrolledRows::highlightedRow() const
{
    return selectedIndex >= 0 ? selectedIndex : hoveredIndex;
}

//==============================================================================
void ScrolledRows::startAtTop()
{
    setSize (windowWidth, juce::jmin (maxHeight, listTop + 2 * padding + getRowCount() * itemHeight));
    hoveredIndex = -1;
    selectedIndex = -1;
    scrollOffset = 0;
    updateScrollBar();
    repaint();
}

void ScrolledRows::updateScrollBar()
{
    const auto barWidth = juce::jmin (12, getWidth());
    const auto contentHeight = getContentHeight(), listHeight = getListHeight();

    if (contentHeight > listHeight)
    {
        // The bar covers the content's right edge, inset from the list's top and bottom.
        scrollBar.setVisible (true);
        scrollBar.setBounds (getWidth() - barWidth, listTop + 5, barWidth, juce::jmax (0, listHeight - 10));
        scrollBar.setRangeLimits (0.0, (double) contentHeight, juce::dontSendNotification);
        scrollBar.setCurrentRange ((double) scrollOffset, (double) listHeight, juce::dontSendNotification);
    }
    else
    {
        scrollBar.setVisible (false);
        scrollOffset = 0;
        scrollBar.setCurrentRangeStart (0.0, juce::dontSendNotification);
    }
}

void ScrolledRows::ensureRowVisible (int row)
{
    if (row < 0 || row >= getRowCount())
        return;

    const auto top = rowTop (row) - listTop + scrollOffset;    // in the content
    auto newOffset = scrollOffset;

    if (top - scrollOffset < 0)
        newOffset = top;
    else if (top - scrollOffset + itemHeight > getListHeight())
        newOffset = top + itemHeight - getListHeight();

    if (newOffset != scrollOffset)
    {
        scrollOffset = newOffset;
        scrollBar.setCurrentRangeStart ((double) scrollOffset, juce::dontSendNotification);
    }

    repaint();
}

void ScrolledRows::mouseExit (const juce::MouseEvent&)
{
    hoveredIndex = -1;

    if (selectedIndex < 0)
        repaint();
}

void ScrolledRows::mouseUp (const juce::MouseEvent&)
{
    BrowserWindows::finishClosing (*this);
}

void ScrolledRows::mouseWheelMove (const juce::MouseEvent&, const juce::MouseWheelDetails& wheel)
{
    const auto maximum = getContentHeight() - getListHeight();

    if (maximum <= 0)
        return;

    const auto newOffset = juce::jlimit (0.0f, (float) maximum, (float) scrollOffset - 50.0f * wheel.deltaY);

    if (newOffset == (float) scrollOffset)
        return;

    scrollOffset = juce::roundToInt (newOffset);
    scrollBar.setCurrentRangeStart ((double) scrollOffset, juce::dontSendNotification);
    repaint();
}

void ScrolledRows::scrollBarMoved (juce::ScrollBar* bar, double newRangeStart)
{
    if (bar != &scrollBar)
        return;

    scrollOffset = juce::roundToInt (newRangeStart);
    repaint();
}

void ScrolledRows::resized()
{
    updateScrollBar();
}

//==============================================================================
bool ScrolledRows::keyPressed (const juce::KeyPress& key)
{
    if (key.getModifiers().isAnyModifierKeyDown())
        return false;

    return moveHighlight (key) || rowKeyPressed (key);
}

bool ScrolledRows::moveHighlight (const juce::KeyPress& key)
{
    const auto up = key.isKeyCode (juce::KeyPress::upKey);

    if (! up && ! key.isKeyCode (juce::KeyPress::downKey))
        return false;

    auto moved = false;

    if (up)
    {
        if (selectedIndex < 0)
            selectedIndex = juce::jmax (0, hoveredIndex);

        if (selectedIndex > 0)
        {
            --selectedIndex;
            moved = true;
        }
    }
    else
    {
        if (selectedIndex < 0)
            selectedIndex = hoveredIndex;

        if (selectedIndex < getRowCount() - 1)
        {
            ++selectedIndex;
            moved = true;
        }
    }

    if (moved)
    {
        hoveredIndex = -1;
        ensureRowVisible (selectedIndex);
    }

    repaint();
    return true;
}

void ScrolledRows::focusLost (FocusChangeType)
{
    repaint();
}
