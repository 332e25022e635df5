#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** What the category menu and the preset list share: a borderless window of rows of one height,
    under an optional fixed header, that scrolls by whole units behind a thin bar on its right and
    whose rows the pointer hovers and the keyboard highlights.
*/
class ScrolledRows : public juce::Component,
                     public juce::ScrollBar::Listener
{
public:
    /** How the rows lie in the window. */
    struct Layout
    {
        int headerHeight;       // the fixed strip above the list, 0 for none
        int itemHeight;         // every row's
        int padding;            // the window is twice this taller than its rows and header
        int maxHeight;          // the window's; beyond it the list scrolls
        bool paddingScrolls;    // the padding lies above and below the rows and scrolls with them;
                                // otherwise it is spare room below the list
    };

    explicit ScrolledRows (const Layout&);
    ~ScrolledRows() override;

    virtual int getRowCount() const = 0;

    /** The scrolled content's height: the rows, and the padding when it scrolls with them. */
    int getContentHeight() const;

    /** The height of the list below the header. */
    int getListHeight() const;

    /** The rows' width: the window less the scroll bar's strip while it shows. */
    int getListWidth() const;

    /** The row at a vertical position in the window, or -1. */
    int rowAt (int y) const;

    /** The row the keyboard highlights, else the one the pointer hovers, or -1. */
    int highlightedRow() const;

    /** Shows the scroll bar when the rows are taller than the list, else scrolls to the top. */
    void updateScrollBar();

    /** Scrolls just enough for the row to be wholly inside the list. */
    void ensureRowVisible (int row);

    /** The pointer gives up its hover; a keyboard highlight stays. */
    void mouseExit (const juce::MouseEvent&) override;

    /** A window that closed during the press leaves the desktop now. */
    void mouseUp (const juce::MouseEvent&) override;

    /** Up and Down move the keyboard highlight one row, from the hovered row when there is none
        yet, and scroll it into view; other keys go to rowKeyPressed. Keys with modifiers are
        left to others.
    */
    bool keyPressed (const juce::KeyPress&) final;

    void mouseWheelMove (const juce::MouseEvent&, const juce::MouseWheelDetails&) override;
    void focusLost (FocusChangeType) override;
    void resized() override;
    void scrollBarMoved (juce::ScrollBar*, double newRangeStart) override;

    int hoveredIndex = -1;
    int selectedIndex = -1;
    juce::Font font;
    const int itemHeight;
    const int padding;
    const int maxHeight;
    juce::ScrollBar scrollBar { true };
    int scrollOffset = 0;

    static constexpr int windowWidth = 270;

protected:
    /** Sizes the window to its rows, clears hover and highlight and scrolls to the top. */
    void startAtTop();

    /** The window's keys other than Up and Down, pressed without modifiers. */
    virtual bool rowKeyPressed (const juce::KeyPress&) = 0;

    /** Where the row's top lies in the window, as scrolled now. */
    int rowTop (int row) const;

private:
    bool moveHighlight (const juce::KeyPress&);

    const int listTop;
    const bool paddingScrolls;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ScrolledRows)
};
