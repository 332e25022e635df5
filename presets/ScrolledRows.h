#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The scrolling and the keyboard selection that the category menu and the preset list share:
    rows of one height in a view that scrolls by whole units.
*/
namespace ScrolledRows
{
    /** Shows the bar in its area, covering the content, when the content is taller than the
        view; otherwise hides it and scrolls back to the top.
    */
    void updateScrollBar (juce::ScrollBar&, juce::Rectangle<int> barArea, int contentHeight, int viewHeight, int& scrollOffset);

    /** The scroll offset that shows a row whose top lies at rowTop in the content: the offset
        as it is when the row shows already.
    */
    int offsetShowing (int rowTop, int rowHeight, int viewHeight, int scrollOffset) noexcept;

    /** Scrolls by a wheel's movement, 50 units a step, within the content; true when the view moved. */
    bool scrollByWheel (juce::ScrollBar&, const juce::MouseWheelDetails&, int contentHeight, int viewHeight, int& scrollOffset);

    /** Moves the keyboard selection one row up (step -1) or down (+1) among count rows,
        starting from the hovered row when no row is selected yet. True when it moved, and the
        hover is then given up.
    */
    bool stepSelection (int& selectedIndex, int& hoveredIndex, int step, int count) noexcept;
}
