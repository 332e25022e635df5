#pragma once

#include "DimmedOverlay2.h"
#include "ModernPresetMenu.h"
#include "PointerSource.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>
#include <vector>

/** The preset name field of the top bar: the current preset's name and a chevron.

    A press opens the preset browser: the editor (overlayParent) is dimmed, the category menu
    opens just below the field and the current preset's category opens its list beside it. The
    browser closes when a preset is chosen, on a press on the dimmed editor, on Escape, on a press
    in the menu outside its rows, and on any press outside the field and the two windows.
*/
class ModernPresetSelector final : public juce::Component,
                                   public juce::Timer
{
public:
    ModernPresetSelector();
    ~ModernPresetSelector() override;

    /** Opens the browser afresh. */
    void showMenu();

    /** Closes the browser; harmless when it is closed. */
    void hideMenu();

    /** Replaces where the outside-press watcher and the preset list read the pointer; the source
        must outlive the selector.
    */
    void setPointerSource (PointerSource& source);

    void mouseEnter (const juce::MouseEvent&) override;
    void mouseExit (const juce::MouseEvent&) override;
    void mouseDown (const juce::MouseEvent&) override;
    void paint (juce::Graphics&) override;
    void timerCallback() override;

    std::function<void (int)> onPresetSelected;
    std::function<void()> onMenuCreated;

    /** Called at every opening before the menu takes the categories, so that the owner can list
        the folder as it is now: presets deleted or added meanwhile, by another instance too.
    */
    std::function<void()> onMenuOpening;
    std::unique_ptr<ModernPresetMenu> menu;
    juce::String displayText { "Init" };
    juce::Path chevron;
    juce::Font font;
    std::unique_ptr<DimmedOverlay2> overlay;
    std::vector<ModernPresetMenu::CategoryItem> categories;
    int currentIndex = -1;
    juce::Component::SafePointer<juce::Component> overlayParent;
    bool mouseWasDown = false;

    static constexpr int watchInterval = 50;

private:
    bool isInsideBrowser (juce::Point<int> screenPosition) const;

    PointerSource* pointer = &PointerSource::desktop();

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ModernPresetSelector)
};
