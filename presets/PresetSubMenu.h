#pragma once

#include "PointerSource.h"
#include "ScrolledRows.h"

#include <functional>
#include <optional>
#include <vector>

/** The preset list of one category: a borderless window beside the category menu, one row per
    preset with its icon, name and heart, the current preset marked in orange.

    A press on a row chooses its preset, a press on its heart toggles the favourite; Up and Down
    move the highlight, Return chooses, Left goes back to the category menu, Escape closes the
    browser. The category menu owns it and puts it on and off the desktop.
*/
class PresetSubMenu final : public ScrolledRows,
                            public juce::Timer
{
public:
    /** One row. */
    struct MenuItem
    {
        juce::String name;
        int index = -1;          // the preset's flat index
        bool isCurrent = false;
        juce::File file;         // may be empty
        bool isFavourite = false;
    };

    PresetSubMenu();
    ~PresetSubMenu() override;

    /** Replaces the rows, sizes the window to them and starts afresh: no hover, no highlight, the
        top row at the top, the hover timer running, and a deferred step that picks up the
        resting pointer and highlights the current preset.
    */
    void setItems (const std::vector<MenuItem>& newItems);

    int getRowCount() const override;

    /** The 16 x 16 area of a row's heart, in the window's coordinates. */
    juce::Rectangle<int> heartBoxOf (int row) const;

    /** Replaces where the hover tracking reads the pointer; the source must outlive the window. */
    void setPointerSource (PointerSource& source);

    void mouseMove (const juce::MouseEvent&) override;
    void mouseExit (const juce::MouseEvent&) override;
    void mouseDown (const juce::MouseEvent&) override;
    void paint (juce::Graphics&) override;
    void focusGained (FocusChangeType) override;
    void timerCallback() override;

    std::function<void (int)> onItemSelected;
    std::function<void()> onBack;
    std::function<void()> onClose;
    std::function<void (const juce::File&)> onHeartClicked;

    std::vector<MenuItem> items;
    int hoverTicks = 0;
    int hoveredHeartIndex = -1;

    static constexpr int hoverTickLimit = 16;

private:
    bool rowKeyPressed (const juce::KeyPress&) override;

    /** The row under a screen position inside the window, -1 over none, nullopt outside. */
    std::optional<int> rowUnderScreenPosition (juce::Point<int> screenPosition) const;

    void chooseLater (int flatIndex);
    void pickUpRestingPointer();
    void paintRow (juce::Graphics&, int row, int listWidth);

    PointerSource* pointer = &PointerSource::desktop();

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PresetSubMenu)
};
