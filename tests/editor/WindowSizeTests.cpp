// How large the editor's window may grow: no larger than the user area of the display it is on,
// from where it is, so that its resize corner and bottom bar stay within reach; and a stored size
// that the display cannot take is reduced when the editor opens.

#include "support/EditorWindowSupport.h"

using namespace EditorWindowSupport;

namespace
{
    using Area = juce::Rectangle<int>;

    struct Size
    {
        int width, height;
    };

    class WindowSize : public EditorTest
    {
    protected:
        void standIn (std::vector<Area> userAreas)
        {
            displays.reset();
            displays = std::make_unique<ScopedDisplays> (std::move (userAreas));
        }

        void expectLargestSize (Size expected, const std::string& trace)
        {
            auto* constrainer = editor->getConstrainer();
            ASSERT_NE (constrainer, nullptr);
            EXPECT_EQ (constrainer->getMaximumWidth(), expected.width) << trace;
            EXPECT_EQ (constrainer->getMaximumHeight(), expected.height) << trace;
            EXPECT_EQ (constrainer->getMinimumWidth(), 550) << trace;
            EXPECT_EQ (constrainer->getMinimumHeight(), 426) << trace;
            EXPECT_DOUBLE_EQ (constrainer->getFixedAspectRatio(), 1100.0 / 852.0) << trace;
        }

        /** Drags the resize corner with the display's pointer to a point of the editor. */
        static void dragCorner (EditorTestSupport::DesktopMouse& mouse, juce::AudioProcessorEditor& window, juce::Point<float> target)
        {
            ASSERT_NE (window.resizableCorner, nullptr);
            const auto corner = window.resizableCorner->getBounds().getCentre().toFloat();
            mouse.press (corner);
            mouse.dragTo ((corner + target) / 2.0f);
            mouse.dragTo (target);
            mouse.release (target);
        }
    };
}

// Not yet on the screen, the editor may take the user area's size; 1.5 times the design size
// at most, aspect kept, and never less than half of it.
TEST_F (WindowSize, LargestSizeIsWhatFitsTheUserAreaOfTheDisplay)
{
    struct Case { Area userArea; Size largest; };

    for (const auto& c : { Case { { 0, 0, 2560, 1600 }, { 1650, 1278 } },
                           Case { { 0, 0, 1920, 1200 }, { 1549, 1200 } },
                           Case { { 0, 30, 1920, 1170 }, { 1511, 1170 } },
                           Case { { 0, 0, 1280, 800 }, { 1033, 800 } },
                           Case { { 0, 0, 1366, 768 }, { 992, 768 } },
                           Case { { 0, 0, 1000, 1000 }, { 1000, 775 } },
                           Case { { 0, 0, 800, 400 }, { 550, 426 } } })
    {
        standIn ({ c.userArea });
        open();
        expectLargestSize (c.largest, c.userArea.toString().toStdString());
        close();
    }
}

TEST_F (WindowSize, StoredSizeThatDoesNotFitIsReducedOnReopeningAspectKept)
{
    struct Case { const char* stored; Area userArea; Size opened; };

    for (const auto& c : { Case { "1.5", { 0, 0, 1920, 1200 }, { 1549, 1200 } },
                           Case { "1.5", { 0, 0, 1280, 800 }, { 1033, 800 } },
                           Case { "1.0", { 0, 0, 1280, 800 }, { 1033, 800 } },
                           Case { "1.2", { 0, 0, 1920, 1200 }, { 1320, 1022 } },
                           Case { "0.75", { 0, 0, 1280, 800 }, { 825, 639 } },
                           Case { "0.5", { 0, 0, 800, 400 }, { 550, 426 } },
                           Case { "1.5", { 0, 0, 2560, 1600 }, { 1650, 1278 } } })
    {
        settingsFolder().deleteRecursively();
        writeSetting ("sizeRatio", c.stored);
        standIn ({ c.userArea });

        open();
        const auto trace = juce::String (c.stored) + " on " + c.userArea.toString();
        EXPECT_EQ (editor->getWidth(), c.opened.width) << trace;
        EXPECT_EQ (editor->getHeight(), c.opened.height) << trace;
        close();
    }
}

// On the screen the window may grow from where it is to the user area's far corner, on the
// display that shows it: a host's title bar above the editor counts.
TEST_F (WindowSize, OnTheScreenTheRoomLeftOnItsOwnDisplayCounts)
{
    standIn ({ { 0, 0, 1280, 800 }, { 1280, 0, 2560, 1600 } });
    open();
    expectLargestSize ({ 1033, 800 }, "before it shows");

    EditorTestSupport::DesktopMouse mouse (*editor);
    ASSERT_EQ (editor->getScreenPosition(), juce::Point<int> (40, 40));

    // 1240 x 760 from (40, 40): the height decides.
    expectLargestSize ({ 981, 760 }, "at (40, 40)");
}

// The user's own hand on the corner: dragged beyond the user area, the window stops at its edge.
TEST_F (WindowSize, ResizeCornerStopsAtTheEdgeOfTheUserArea)
{
    standIn ({ { 0, 0, 1000, 800 } });
    open();
    EditorTestSupport::DesktopMouse mouse (*editor);

    dragCorner (mouse, *editor, { 1100.0f, 900.0f });

    const auto onScreen = editor->getScreenBounds();
    EXPECT_LE (onScreen.getRight(), 1000) << onScreen.toString();
    EXPECT_LE (onScreen.getBottom(), 800) << onScreen.toString();
    EXPECT_EQ (editor->getWidth(), 960);
    EXPECT_NEAR (editor->getHeight(), 960.0 * 852.0 / 1100.0, 1.0);

    // And back down to half the design size, no further.
    dragCorner (mouse, *editor, { 100.0f, 100.0f });
    EXPECT_EQ (editor->getWidth(), 550);
    EXPECT_EQ (editor->getHeight(), 426);
}

// The framework's own displays: the test run's screen is smaller than 1.5 times the design size.
TEST_F (WindowSize, OnTheRealDisplayAStoredSizeAndTheCornerStayOnTheScreen)
{
    displays.reset();
    const auto* display = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay();
    ASSERT_NE (display, nullptr);
    const auto userArea = display->userArea;
    ASSERT_TRUE (userArea.getWidth() < 1650 || userArea.getHeight() < 1278) << userArea.toString();

    writeSetting ("sizeRatio", "1.5");
    open();

    // The largest size with the design's proportions inside the user area.
    const auto ratio = std::min ((double) userArea.getWidth() / 1100.0, (double) userArea.getHeight() / 852.0);
    EXPECT_EQ (editor->getWidth(), juce::roundToInt (1100.0 * ratio)) << userArea.toString();
    EXPECT_EQ (editor->getHeight(), juce::roundToInt (852.0 * ratio)) << userArea.toString();

    editor->setSize (825, 639);
    EditorTestSupport::DesktopMouse mouse (*editor);

    // Straight down to the screen's bottom edge: the proportions would take the width beyond the right edge.
    const auto bottom = (float) (userArea.getBottom() - 1 - editor->getScreenY());
    dragCorner (mouse, *editor, { 660.0f, bottom });

    const auto onScreen = editor->getScreenBounds();
    EXPECT_TRUE (userArea.contains (onScreen)) << onScreen.toString() << " on " << userArea.toString();
    EXPECT_GT (editor->getWidth(), 1100);
}
