#pragma once

#include "support/PictureFiles.h"
#include "support/TestPointer.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <gtest/gtest.h>

#include <functional>

namespace EditorTestSupport
{
    /** The component painted at its own size into a fresh transparent image, no window needed. */
    inline juce::Image snapshot (juce::Component& component)
    {
        return component.createComponentSnapshot (component.getLocalBounds(), true, 1.0f);
    }

    /** A transparent ARGB image of the given size with whatever draw paints into it. */
    inline juce::Image render (int width, int height, const std::function<void (juce::Graphics&)>& draw)
    {
        juce::Image image (juce::Image::ARGB, width, height, true, juce::SoftwareImageType());
        juce::Graphics g (image);
        draw (g);
        return image;
    }

    /** Writes the picture under the build folder for a person to look at, over a mid grey so
        that white and black drawing both show.
    */
    inline void savePicture (const juce::Image& image, const juce::String& name)
    {
        juce::Image flattened (juce::Image::RGB, image.getWidth(), image.getHeight(), false);
        {
            juce::Graphics g (flattened);
            g.fillAll (juce::Colour (0xFF505050));
            g.drawImageAt (image, 0, 0);
        }

        const auto file = juce::File (VASTREL_EDITOR_PICTURES).getChildFile (name + ".png");
        ASSERT_TRUE (TestSupport::writePng (flattened, file)) << file.getFullPathName();
    }

    /** Frame f of a synthetic strip is a solid opaque colour whose red channel is f. */
    inline juce::Colour frameColour (int frame)
    {
        return juce::Colour ((juce::uint8) frame, (juce::uint8) (255 - frame), (juce::uint8) 0x80);
    }

    /** A vertical film strip of numFrames solid frames, frame 0 on top. */
    inline juce::Image makeStrip (int width, int frameHeight, int numFrames)
    {
        return render (width, frameHeight * numFrames, [&] (juce::Graphics& g)
        {
            for (int frame = 0; frame < numFrames; ++frame)
            {
                g.setColour (frameColour (frame));
                g.fillRect (0, frame * frameHeight, width, frameHeight);
            }
        });
    }

    /** The strongest alpha over the image: the colour's own alpha where some pixel is fully covered. */
    inline int maxAlpha (const juce::Image& image)
    {
        int result = 0;

        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
                result = juce::jmax (result, (int) image.getPixelAt (x, y).getAlpha());

        return result;
    }

    /** The first pixel of the image, unpremultiplied, with the most of what measure gives. */
    template <typename Measure>
    juce::Colour pixelWithMost (const juce::Image& image, Measure measure)
    {
        juce::Colour result;

        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
                if (const auto pixel = image.getPixelAt (x, y); measure (pixel) > measure (result))
                    result = pixel;

        return result;
    }

    inline juce::Colour mostOpaquePixel (const juce::Image& image)
    {
        return pixelWithMost (image, [] (juce::Colour c) { return c.getAlpha(); });
    }

    inline juce::Colour brightestPixel (const juce::Image& image)
    {
        return pixelWithMost (image, [] (juce::Colour c) { return c.getBrightness(); });
    }

    inline bool isTransparent (const juce::Image& image)
    {
        return maxAlpha (image) == 0;
    }

    /** Path fills reach 253 rather than 255 of coverage, and unpremultiplying a faint pixel
        moves its colour by a few steps: hence the default tolerance.
    */
    inline void expectColourNear (juce::Colour actual, juce::Colour expected, int tolerance = 2)
    {
        EXPECT_NEAR (actual.getAlpha(), expected.getAlpha(), tolerance) << actual.toDisplayString (true).toStdString();
        EXPECT_NEAR (actual.getRed(), expected.getRed(), tolerance) << actual.toDisplayString (true).toStdString();
        EXPECT_NEAR (actual.getGreen(), expected.getGreen(), tolerance) << actual.toDisplayString (true).toStdString();
        EXPECT_NEAR (actual.getBlue(), expected.getBlue(), tolerance) << actual.toDisplayString (true).toStdString();
    }

    /** Puts a component in a window of its own and works the display's pointer over it, as a
        user's hand would: the window gets real enter, move, press and release events, and the
        framework finds the pointer where the events say it is. Needs a display (Xvfb in the
        test runs). Every call returns once the window has handled what it caused.
    */
    class DesktopMouse
    {
    public:
        /** In a window of its own at (40, 40), or at the top left of a native window, as a host
            embeds a plug-in's view.
        */
        explicit DesktopMouse (juce::Component& componentToUse, void* nativeParent = nullptr)
            : component (componentToUse)
        {
            component.setTopLeftPosition (nativeParent != nullptr ? juce::Point<int>() : juce::Point<int> (40, 40));
            component.addToDesktop (0, nativeParent);
            component.setVisible (true);
            settle();
        }

        ~DesktopMouse()
        {
            if (buttonDown)
                release (lastPosition);

            moveTo ({ -1000.0f, -1000.0f });
            component.removeFromDesktop();
        }

        /** Positions are in the component's own coordinates. */
        void moveTo (juce::Point<float> position)      { send (position, false); }
        void press (juce::Point<float> position)       { send (position, true); }
        void dragTo (juce::Point<float> position)      { send (position, true); }
        void release (juce::Point<float> position)     { send (position, false); }

        void click (juce::Point<float> position)
        {
            moveTo (position);
            press (position);
            release (position);
        }

    private:
        void send (juce::Point<float> position, bool down)
        {
            ASSERT_NE (component.getPeer(), nullptr);
            const auto screen = component.localPointToGlobal (position).roundToInt();
            ASSERT_TRUE (TestPointer::moveTo (screen.x, screen.y)) << "no display with the X test extension";
            settle();

            if (down != buttonDown)
            {
                if (down)
                    waitOutDoubleClick (screen);

                ASSERT_TRUE (TestPointer::setLeftButton (down));
                buttonDown = down;
                settle();
            }

            lastPosition = position;
        }

        /** Presses close in place and time make a double-click, which resets a knob. */
        void waitOutDoubleClick (juce::Point<int> screen)
        {
            const auto sinceLastPress = juce::Time::getMillisecondCounter() - lastPressTime;

            if (lastPressTime != 0 && screen.getDistanceFrom (lastPressPosition) < 16
                 && sinceLastPress < (juce::uint32) juce::MouseEvent::getDoubleClickTimeout() + 50)
                juce::Thread::sleep ((int) ((juce::uint32) juce::MouseEvent::getDoubleClickTimeout() + 50 - sinceLastPress));

            lastPressTime = juce::Time::getMillisecondCounter();
            lastPressPosition = screen;
        }

        /** Lets the window take the events the server has sent it. */
        static void settle()
        {
            juce::MessageManager::getInstance()->runDispatchLoopUntil (30);
        }

        juce::Component& component;
        juce::Point<float> lastPosition;
        juce::Point<int> lastPressPosition;
        juce::uint32 lastPressTime = 0;
        bool buttonDown = false;
    };
}
