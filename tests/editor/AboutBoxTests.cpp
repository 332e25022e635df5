// The about box: where panel and veil go, the ways of closing them, the link and the editor
// closing while the box is open.

#include "support/EditorWindowSupport.h"
#include "support/TestKeyboard.h"

using namespace EditorWindowSupport;

namespace
{
    class AboutBox : public EditorTest
    {
    protected:
        void SetUp() override
        {
            EditorTest::SetUp();
            open().setVisible (true);
        }

        void clickLogo()
        {
            ASSERT_TRUE (editor->logoButton.onClick != nullptr);
            editor->logoButton.onClick();
        }

        AboutDialog& panel()          { return *editor->aboutDialog; }
        DimmingOverlay& veil()        { return *editor->dimmingOverlay; }

        void pressPanel (juce::Point<float> position)
        {
            panel().mouseDown (mouseAt (panel(), position));
        }
    };
}

TEST_F (AboutBox, NothingExistsBeforeTheFirstLogoClick)
{
    EXPECT_EQ (editor->aboutDialog, nullptr);
    EXPECT_EQ (editor->dimmingOverlay, nullptr);
}

TEST_F (AboutBox, OpensCentredOverAVeilOnTheWholeEditor)
{
    clickLogo();

    EXPECT_EQ (panel().getBounds(), juce::Rectangle<int> (242, 174, 340, 290));
    EXPECT_EQ (veil().getBounds(), juce::Rectangle<int> (0, 0, 825, 639));
    EXPECT_TRUE (panel().isVisible());
    EXPECT_TRUE (veil().isVisible());
    EXPECT_TRUE (panel().isAlwaysOnTop());
    EXPECT_TRUE (panel().getWantsKeyboardFocus());
    EXPECT_TRUE (panel().getTransform().isIdentity());

    // In front of every control, the panel above the veil.
    const auto& children = editor->getChildren();
    EXPECT_GT (children.indexOf (&veil()), children.indexOf (&editor->bypassButton));
    EXPECT_GT (children.indexOf (&panel()), children.indexOf (&veil()));
    EXPECT_EQ (editor->getComponentAt (412, 100), &veil());
    EXPECT_EQ (editor->getComponentAt (412, 300), &panel());

    EXPECT_EQ (panel().getCloseBox(), juce::Rectangle<float> (307.0f, 12.0f, 21.0f, 21.0f));
    EXPECT_EQ (panel().websiteLink.getBounds(), juce::Rectangle<int> (20, 258, 300, 24));
    EXPECT_EQ (panel().buildText, "Intel");
    EXPECT_TRUE (panel().logoImage.isValid());
}

TEST_F (AboutBox, CloseBoxAndEscapeCloseBothAPressElsewhereNothing)
{
    clickLogo();

    // Just outside the box on each side, then inside it.
    for (const auto point : { juce::Point<float> (306.9f, 20.0f), juce::Point<float> (328.0f, 20.0f),
                              juce::Point<float> (315.0f, 11.9f), juce::Point<float> (315.0f, 33.0f),
                              juce::Point<float> (170.0f, 150.0f) })
    {
        pressPanel (point);
        EXPECT_TRUE (panel().isVisible()) << point.toString();
    }

    panel().mouseMove (mouseAt (panel(), { 320.0f, 20.0f }));
    EXPECT_TRUE (panel().closeHovered);
    panel().mouseMove (mouseAt (panel(), { 200.0f, 20.0f }));
    EXPECT_FALSE (panel().closeHovered);

    pressPanel ({ 307.0f, 12.0f });
    EXPECT_FALSE (panel().isVisible());
    EXPECT_FALSE (veil().isVisible());

    clickLogo();
    EXPECT_FALSE (panel().keyPressed (juce::KeyPress ('a')));
    EXPECT_FALSE (panel().keyPressed (juce::KeyPress (juce::KeyPress::returnKey)));
    EXPECT_TRUE (panel().isVisible());

    EXPECT_TRUE (panel().keyPressed (juce::KeyPress (juce::KeyPress::escapeKey)));
    EXPECT_FALSE (panel().isVisible());
    EXPECT_FALSE (veil().isVisible());
}

TEST_F (AboutBox, PanelTakesTheKeyboardWhenShownOnScreen)
{
    EditorTestSupport::DesktopMouse mouse (*editor);
    EXPECT_TRUE (runPendingMessages());
    clickLogo();
    EXPECT_TRUE (panel().hasKeyboardFocus (false));

    panel().close();
    EXPECT_FALSE (panel().hasKeyboardFocus (false));

    clickLogo();
    EXPECT_TRUE (panel().hasKeyboardFocus (false));
}

TEST_F (AboutBox, PressOnTheVeilRemovesOnlyTheVeil)
{
    EditorTestSupport::DesktopMouse mouse (*editor);
    clickLogo();

    mouse.click ({ 100.0f, 100.0f });
    EXPECT_FALSE (veil().isVisible());
    EXPECT_TRUE (panel().isVisible());
    EXPECT_EQ (value ("poweR power"), 1.0f);

    EXPECT_TRUE (panel().keyPressed (juce::KeyPress (juce::KeyPress::escapeKey)));
    EXPECT_FALSE (panel().isVisible());

    // While the veil shows, it takes the presses meant for the controls beneath: the power switch.
    clickLogo();
    mouse.click ({ 87.0f, 497.0f });
    EXPECT_TRUE (runPendingMessages());
    EXPECT_EQ (value ("poweR power"), 1.0f);
    EXPECT_FALSE (veil().isVisible());
    EXPECT_TRUE (panel().isVisible());
}

TEST_F (AboutBox, ResizingCentresThePanelAgainAndLaterClicksKeepTheSameObjects)
{
    clickLogo();
    auto* firstPanel = &panel();
    auto* firstVeil = &veil();

    // The panel keeps its size, centred in the editor; the veil covers the whole editor.
    struct Size { int width, height; juce::Rectangle<int> panelBounds; };

    for (const auto& size : { Size { 1100, 852, { 380, 281, 340, 290 } }, Size { 701, 543, { 180, 126, 340, 290 } },
                              Size { 550, 426, { 105, 68, 340, 290 } }, Size { 1650, 1278, { 655, 494, 340, 290 } } })
    {
        editor->setSize (size.width, size.height);
        EXPECT_EQ (panel().getBounds(), size.panelBounds) << size.width;
        EXPECT_EQ (veil().getBounds(), juce::Rectangle<int> (0, 0, size.width, size.height)) << size.width;
        EXPECT_TRUE (panel().isVisible());
        EXPECT_TRUE (veil().isVisible());
    }

    EditorTestSupport::savePicture (EditorTestSupport::snapshot (*editor), "about-box-after-resize");

    clickLogo();
    EXPECT_EQ (&panel(), firstPanel);
    EXPECT_EQ (&veil(), firstVeil);
    EXPECT_EQ (panel().getBounds(), juce::Rectangle<int> (655, 494, 340, 290));
    EXPECT_EQ (veil().getBounds(), juce::Rectangle<int> (0, 0, 1650, 1278));

    const auto& children = editor->getChildren();
    EXPECT_GT (children.indexOf (&panel()), children.indexOf (&veil()));
}

TEST_F (AboutBox, LinkOpensTheMakersWebSite)
{
    clickLogo();
    juce::StringArray opened;
    panel().websiteLink.openInBrowser = [&opened] (const juce::URL& url) { opened.add (url.toString (false)); };

    auto& link = panel().websiteLink;
    link.mouseDown (mouseAt (link, { 150.0f, 12.0f }));

    EXPECT_EQ (opened, juce::StringArray ("https://www.brassock.com"));
    EXPECT_EQ (link.getMouseCursor(), juce::MouseCursor (juce::MouseCursor::PointingHandCursor));
}

// Run under AddressSanitizer this also shows that nothing is used after it is gone.
TEST_F (AboutBox, ClosingTheEditorWithTheBoxOpenLeavesNothingBehind)
{
    editor->addToDesktop (0);
    clickLogo();
    ASSERT_TRUE (panel().isShowing());
    juce::Component::SafePointer<AboutDialog> safePanel (&panel());
    juce::Component::SafePointer<DimmingOverlay> safeVeil (&veil());
    juce::Component::SafePointer<juce::Slider> safeKnob (&knob (1));

    close();
    EXPECT_TRUE (runPendingMessages());

    EXPECT_EQ (safePanel.getComponent(), nullptr);
    EXPECT_EQ (safeVeil.getComponent(), nullptr);
    EXPECT_EQ (safeKnob.getComponent(), nullptr);
}

// A quick click on the logo, then Escape on the keyboard, through the display: in a window of the
// editor's own, and embedded in a host's window, which may take the keyboard focus back after the
// click (as a window manager and a host do) while the pointer stays over the editor.
TEST_F (AboutBox, EscapeFromTheKeyboardClosesThePanelOpenedWithAQuickClick)
{
    editor->setVisible (false);

    struct Case { const char* name; bool embedded, hostTakesTheFocus; };

    for (const auto& c : { Case { "own window", false, false }, Case { "embedded", true, false },
                           Case { "embedded, the host takes the focus back", true, true } })
    {
        SCOPED_TRACE (c.name);
        const auto hostWindow = c.embedded ? TestKeyboard::createHostWindow (40, 40, 825, 639) : 0ul;
        ASSERT_TRUE (! c.embedded || hostWindow != 0);

        {
            EditorTestSupport::DesktopMouse mouse (*editor, c.embedded ? (void*) hostWindow : nullptr);

            // The framework learns where an embedded window is on the screen when the pointer enters it.
            if (c.embedded)
            {
                ASSERT_TRUE (TestPointer::moveTo (440, 340));
                juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
            }

            ASSERT_EQ (editor->getScreenPosition(), juce::Point<int> (40, 40));

            mouse.click ({ 25.0f, 23.0f });
            ASSERT_NE (editor->aboutDialog, nullptr);
            ASSERT_TRUE (panel().isShowing());

            if (c.hostTakesTheFocus)
            {
                ASSERT_TRUE (TestKeyboard::focusWindow (hostWindow));
                juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
                ASSERT_FALSE (panel().hasKeyboardFocus (false));
            }

            ASSERT_TRUE (TestKeyboard::pressEscape());
            juce::MessageManager::getInstance()->runDispatchLoopUntil (100);

            EXPECT_FALSE (panel().isVisible());
            EXPECT_FALSE (veil().isVisible());

            // Opened again, the same way.
            mouse.click ({ 25.0f, 23.0f });
            ASSERT_TRUE (panel().isShowing());

            if (c.hostTakesTheFocus)
            {
                ASSERT_TRUE (TestKeyboard::focusWindow (hostWindow));
                juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
            }

            ASSERT_TRUE (TestKeyboard::pressEscape());
            juce::MessageManager::getInstance()->runDispatchLoopUntil (100);
            EXPECT_FALSE (panel().isVisible());
        }

        TestKeyboard::destroyHostWindow (hostWindow);
    }
}

// Keys that reach the editor's window while nothing in it has the focus: Escape closes the panel
// while it shows; other keys, and every key once it is closed, are left to the window.
TEST_F (AboutBox, TakesEscapeFromItsWindowOnlyWhileItShows)
{
    editor->addToDesktop (0);
    auto* window = editor->getPeer();
    ASSERT_NE (window, nullptr);

    clickLogo();
    juce::Component::unfocusAllComponents();
    ASSERT_FALSE (panel().hasKeyboardFocus (false));

    EXPECT_FALSE (window->handleKeyPress (juce::KeyPress ('a')));
    EXPECT_FALSE (window->handleKeyPress (juce::KeyPress (juce::KeyPress::returnKey)));
    EXPECT_TRUE (panel().isVisible());

    EXPECT_TRUE (window->handleKeyPress (juce::KeyPress (juce::KeyPress::escapeKey)));
    EXPECT_FALSE (panel().isVisible());
    EXPECT_FALSE (veil().isVisible());

    EXPECT_FALSE (window->handleKeyPress (juce::KeyPress (juce::KeyPress::escapeKey)));

    // Closed with its close box, it stops listening as well.
    clickLogo();
    juce::Component::unfocusAllComponents();
    pressPanel ({ 315.0f, 20.0f });
    ASSERT_FALSE (panel().isVisible());
    EXPECT_FALSE (window->handleKeyPress (juce::KeyPress (juce::KeyPress::escapeKey)));
}
