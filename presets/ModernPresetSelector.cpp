#include "ModernPresetSelector.h"

#include "BrowserWindows.h"
#include "PresetBrowserLook.h"

ModernPresetSelector::ModernPresetSelector()
{
    chevron.startNewSubPath (0.0f, 0.0f);
    chevron.lineTo (20.0f, 12.0f);
    chevron.lineTo (40.0f, 0.0f);
}

ModernPresetSelector::~ModernPresetSelector()
{
    stopTimer();
    hideMenu();
}

void ModernPresetSelector::setPointerSource (PointerSource& source)
{
    pointer = &source;

    if (menu != nullptr)
        menu->subMenu->setPointerSource (source);
}

//==============================================================================
void ModernPresetSelector::showMenu()
{
    if (onMenuOpening)
        onMenuOpening();

    if (overlayParent != nullptr)
    {
        auto newOverlay = std::make_unique<DimmedOverlay2>();
        newOverlay->setAlwaysOnTop (true);
        newOverlay->setBounds (0, 0, overlayParent->getWidth(), overlayParent->getHeight());
        newOverlay->onClick = [this] { hideMenu(); };
        overlayParent->addAndMakeVisible (*newOverlay);
        overlay = std::move (newOverlay);
    }

    if (menu == nullptr)
    {
        menu = std::make_unique<ModernPresetMenu>();
        menu->subMenu->setPointerSource (*pointer);
        menu->onCloseRequested = [this] { hideMenu(); };

        if (onMenuCreated)
            onMenuCreated();
    }

    // The preset loads before the windows close.
    menu->setOnPresetSelected ([this] (int flatIndex)
    {
        if (onPresetSelected)
            onPresetSelected (flatIndex);

        hideMenu();
    });

    menu->setCategories (categories, currentIndex);
    menu->autoExpandCurrentCategory();

    const auto field = getScreenBounds();
    menu->addToDesktop (juce::ComponentPeer::windowIsTemporary);
    menu->setVisible (true);
    menu->setBounds (field.getX(), field.getBottom() + 5, menu->getWidth(), menu->getHeight());
    menu->setAlwaysOnTop (true);
    menu->toFront (true);

    // Posted after the category's list has asked to open, so the menu takes the keyboard back.
    juce::MessageManager::callAsync ([safeMenu = juce::Component::SafePointer<ModernPresetMenu> (menu.get())]
                                     {
                                         if (safeMenu == nullptr || ! safeMenu->isVisible())
                                             return;

                                         safeMenu->grabKeyboardFocus();
                                         juce::Desktop::getInstance().getMainMouseSource().forceMouseCursorUpdate();

                                         if (safeMenu->hoveredIndex < 0)
                                             safeMenu->focusGained (juce::Component::focusChangedDirectly);
                                     });

    startTimer (watchInterval);
}

void ModernPresetSelector::hideMenu()
{
    stopTimer();
    overlay.reset();

    if (menu != nullptr && menu->isVisible())
    {
        menu->closeSubMenu();
        BrowserWindows::close (*menu);
    }
}

//==============================================================================
bool ModernPresetSelector::isInsideBrowser (juce::Point<int> screenPosition) const
{
    const auto& list = *menu->subMenu;

    return menu->getScreenBounds().contains (screenPosition)
        || getScreenBounds().contains (screenPosition)
        || (list.isVisible() && list.getScreenBounds().contains (screenPosition));
}

void ModernPresetSelector::timerCallback()
{
    if (menu == nullptr || ! menu->isVisible())
    {
        stopTimer();
        return;
    }

    // A press counts once, at the first tick that sees it held.
    if (pointer->isButtonDown())
    {
        if (! mouseWasDown && ! isInsideBrowser (pointer->getScreenPosition()))
            hideMenu();

        mouseWasDown = true;
    }
    else
    {
        mouseWasDown = false;
    }
}

//==============================================================================
void ModernPresetSelector::mouseEnter (const juce::MouseEvent&)
{
    repaint();
}

void ModernPresetSelector::mouseExit (const juce::MouseEvent&)
{
    repaint();
}

void ModernPresetSelector::mouseDown (const juce::MouseEvent&)
{
    showMenu();
}

void ModernPresetSelector::paint (juce::Graphics& g)
{
    const auto width = getWidth(), height = getHeight();

    g.setColour (juce::Colour (0xFF1E1E1E));
    g.fillRect (getLocalBounds());

    g.setFont (font.withHeight (24.0f));
    g.setColour (PresetBrowserLook::whiteStrong);
    g.drawText (displayText, juce::Rectangle<int> (10, 0, juce::jmax (0, juce::jmax (0, width - 10) - 35), height),
                juce::Justification::centredLeft, true);

    const auto chevronBox = juce::Rectangle<float> ((float) (width - 30), (float) (height / 2 - 4), 20.0f, 8.0f);
    g.setColour (PresetBrowserLook::whiteMedium);
    g.strokePath (chevron, juce::PathStrokeType (2.0f, juce::PathStrokeType::mitered, juce::PathStrokeType::butt),
                  chevron.getTransformToScaleToFit (chevronBox, true, juce::Justification::centred));
}
