#include "ScrolledRows.h"

void ScrolledRows::updateScrollBar (juce::ScrollBar& scrollBar, juce::Rectangle<int> barArea, int contentHeight, int viewHeight, int& scrollOffset)
{
    if (contentHeight > viewHeight)
    {
        scrollBar.setVisible (true);
        scrollBar.setBounds (barArea);
        scrollBar.setRangeLimits (0.0, (double) contentHeight, juce::dontSendNotification);
        scrollBar.setCurrentRange ((double) scrollOffset, (double) viewHeight, juce::dontSendNotification);
    }
    else
    {
        scrollBar.setVisible (false);
        scrollOffset = 0;
        scrollBar.setCurrentRangeStart (0.0, juce::dontSendNotification);
    }
}

int ScrolledRows::offsetShowing (int rowTop, int rowHeight, int viewHeight, int scrollOffset) noexcept
{
    if (rowTop - scrollOffset < 0)
        return rowTop;

    if (rowTop - scrollOffset + rowHeight > viewHeight)
        return rowTop + rowHeight - viewHeight;

    return scrollOffset;
}

bool ScrolledRows::scrollByWheel (juce::ScrollBar& scrollBar, const juce::MouseWheelDetails& wheel,
                                  int contentHeight, int viewHeight, int& scrollOffset)
{
    const auto maximum = contentHeight - viewHeight;

    if (maximum <= 0)
        return false;

    const auto newOffset = juce::jlimit (0.0f, (float) maximum, (float) scrollOffset - 50.0f * wheel.deltaY);

    if (newOffset == (float) scrollOffset)
        return false;

    scrollOffset = juce::roundToInt (newOffset);
    scrollBar.setCurrentRangeStart ((double) scrollOffset, juce::dontSendNotification);
    return true;
}

bool ScrolledRows::stepSelection (int& selectedIndex, int& hoveredIndex, int step, int count) noexcept
{
    if (step < 0)
    {
        if (selectedIndex < 0)
            selectedIndex = juce::jmax (0, hoveredIndex);

        if (selectedIndex <= 0)
            return false;

        --selectedIndex;
    }
    else
    {
        if (selectedIndex < 0)
            selectedIndex = hoveredIndex;

        if (selectedIndex >= count - 1)
            return false;

        ++selectedIndex;
    }

    hoveredIndex = -1;
    return true;
}
