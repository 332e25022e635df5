#include "support/EditorTestSupport.h"
#include "editor/BrassockLogoButton.h"
#include "editor/IconButtons.h"
#include "editor/Retrotogglebutton.h"
#include "presets/HeartFavButton.h"

#include <BinaryData.h>

using namespace EditorTestSupport;

namespace
{
    /** A two-state picture whose off half is red and on half blue. */
    juce::Image makeTwoStatePicture (int width, int stateHeight)
    {
        return render (width, stateHeight * 2, [&] (juce::Graphics& g)
        {
            g.setColour (juce::Colours::red);
            g.fillRect (0, 0, width, stateHeight);
            g.setColour (juce::Colours::blue);
            g.fillRect (0, stateHeight, width, stateHeight);
        });
    }

    juce::Image paintSwitch (Retrotogglebutton& button, bool highlighted, bool down)
    {
        return render (button.getWidth(), button.getHeight(), [&] (juce::Graphics& g)
        {
            button.paintButton (g, highlighted, down);
        });
    }

    bool isSolid (const juce::Image& image, juce::Colour colour)
    {
        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
                if (image.getPixelAt (x, y) != colour)
                    return false;

        return true;
    }
}

TEST (Retrotogglebutton, ShowsTheLowerHalfWhenOn)
{
    Retrotogglebutton eq ("EqP Button");
    eq.picture = makeTwoStatePicture (49, 52);
    eq.setSize (49, 52);

    EXPECT_TRUE (isSolid (snapshot (eq), juce::Colours::red));
    EXPECT_TRUE (isSolid (paintSwitch (eq, true, true), juce::Colours::red));

    eq.setToggleState (true, juce::dontSendNotification);

    EXPECT_TRUE (isSolid (snapshot (eq), juce::Colours::blue));
    EXPECT_TRUE (isSolid (paintSwitch (eq, true, false), juce::Colours::blue));
    EXPECT_TRUE (isSolid (paintSwitch (eq, false, true), juce::Colours::blue));
}

TEST (Retrotogglebutton, DrawsThePictureUnscaledAtItsCorner)
{
    Retrotogglebutton power ("poweR Button");
    power.picture = makeTwoStatePicture (96, 98);
    power.setSize (150, 150);

    const auto image = snapshot (power);

    EXPECT_EQ (image.getPixelAt (95, 97), juce::Colours::red);
    EXPECT_EQ (image.getPixelAt (96, 50).getAlpha(), 0);
    EXPECT_EQ (image.getPixelAt (50, 98).getAlpha(), 0);
}

TEST (Retrotogglebutton, WithoutAPictureDrawsNothing)
{
    Retrotogglebutton typeA ("TypeA Button");
    typeA.setSize (100, 78);

    EXPECT_TRUE (isTransparent (snapshot (typeA)));
}

TEST (Retrotogglebutton, CompiledInPicturesAtDesignSize)
{
    struct Case { const char* name; const char* data; int size; int width; int stateHeight; };
    const Case cases[] = {
        { "poweR Button", BinaryData::power_button_png, BinaryData::power_button_pngSize, 96, 98 },
        { "ComP Button", BinaryData::section_button_png, BinaryData::section_button_pngSize, 49, 52 },
        { "TypeA Button", BinaryData::type_button_png, BinaryData::type_button_pngSize, 100, 78 },
    };

    for (const auto& c : cases)
    {
        Retrotogglebutton button (c.name);
        button.picture = juce::ImageCache::getFromMemory (c.data, c.size);
        button.setSize (c.width, c.stateHeight);

        for (const auto on : { false, true })
        {
            button.setToggleState (on, juce::dontSendNotification);
            const auto image = snapshot (button);
            savePicture (image, juce::String (c.name).replaceCharacter (' ', '-') + (on ? "-on" : "-off"));

            const auto top = on ? c.stateHeight : 0;
            int differing = 0;

            for (int y = 0; y < c.stateHeight; ++y)
                for (int x = 0; x < c.width; ++x)
                    if (image.getPixelAt (x, y) != button.picture.getPixelAt (x, top + y))
                        ++differing;

            EXPECT_EQ (differing, 0) << c.name << (on ? " on" : " off");
        }
    }
}

TEST (BrassockLogoButton, ClickOnReleaseInsideOnlyEnabledOrNot)
{
    BrassockLogoButton logo;
    logo.setSize (30, 30);
    int clicks = 0;
    logo.onClick = [&clicks] { ++clicks; };

    DesktopMouse mouse (logo);

    mouse.moveTo ({ 15.0f, 15.0f });
    EXPECT_TRUE (logo.isHovered);
    mouse.press ({ 15.0f, 15.0f });
    EXPECT_EQ (clicks, 0);
    mouse.dragTo ({ 45.0f, 15.0f });
    mouse.release ({ 45.0f, 15.0f });
    EXPECT_EQ (clicks, 0);

    mouse.click ({ 29.0f, 29.0f });
    EXPECT_EQ (clicks, 1);

    logo.setEnabled (false);
    mouse.click ({ 2.0f, 2.0f });
    EXPECT_EQ (clicks, 2);

    mouse.moveTo ({ 60.0f, 60.0f });
    EXPECT_FALSE (logo.isHovered);
}

TEST (BrassockLogoButton, DimmedUntilHoveredAndFittedInsideTheBorder)
{
    BrassockLogoButton logo;
    logo.setSize (30, 30);
    logo.logo = render (92, 86, [] (juce::Graphics& g) { g.fillAll (juce::Colours::orange); });

    const auto rest = snapshot (logo);
    logo.isHovered = true;
    const auto hovered = snapshot (logo);

    EXPECT_NEAR (rest.getPixelAt (15, 15).getAlpha(), 0.7 * 255, 2);
    EXPECT_EQ (hovered.getPixelAt (15, 15).getAlpha(), 0xFF);

    // 92 x 86 into 26 x 26: 26 wide, 24.3 high, centred, so 2 units left and right and about
    // 2.85 above and below stay clear.
    EXPECT_EQ (hovered.getPixelAt (1, 15).getAlpha(), 0);
    EXPECT_EQ (hovered.getPixelAt (2, 15).getAlpha(), 0xFF);
    EXPECT_EQ (hovered.getPixelAt (27, 15).getAlpha(), 0xFF);
    EXPECT_EQ (hovered.getPixelAt (28, 15).getAlpha(), 0);
    EXPECT_LT (hovered.getPixelAt (15, 2).getAlpha(), 0x40);
    EXPECT_EQ (hovered.getPixelAt (15, 3).getAlpha(), 0xFF);
    EXPECT_LT (hovered.getPixelAt (15, 27).getAlpha(), 0x40);
    EXPECT_EQ (hovered.getPixelAt (15, 26).getAlpha(), 0xFF);

    logo.logo = {};
    EXPECT_TRUE (isTransparent (snapshot (logo)));
}

TEST (IconButtons, RecolouredByEnabledStateAndDimmedUnlessHovered)
{
    struct Case { bool enabled; bool hovered; juce::uint32 rgb; float opacity; };
    const Case cases[] = {
        { true, false, 0xFFFFFF, 0.7f },
        { true, true, 0xFFFFFF, 1.0f },
        { false, false, 0x666666, 0.7f },
        { false, true, 0x666666, 0.7f },
    };

    for (const auto& c : cases)
    {
        UndoIconButton undo;
        undo.setSize (30, 30);
        undo.setEnabled (c.enabled);
        undo.isHovered = c.hovered;

        const auto image = snapshot (undo);
        savePicture (image, juce::String ("undo") + (c.enabled ? "-enabled" : "-disabled") + (c.hovered ? "-hovered" : ""));

        // The filled arrow has fully covered pixels: their alpha is the opacity.
        const auto pixel = mostOpaquePixel (image);
        EXPECT_NEAR (pixel.getAlpha(), c.opacity * 255.0f, 2.0f);
        expectColourNear (pixel.withAlpha ((juce::uint8) 0xFF), juce::Colour (0xFF000000 | c.rgb), 3);

        // Nothing outside the bounds reduced by 4.
        EXPECT_TRUE (isTransparent (image.getClippedImage ({ 0, 0, 30, 4 })));
        EXPECT_TRUE (isTransparent (image.getClippedImage ({ 0, 26, 30, 4 })));
        EXPECT_TRUE (isTransparent (image.getClippedImage ({ 0, 0, 4, 30 })));
        EXPECT_TRUE (isTransparent (image.getClippedImage ({ 26, 0, 4, 30 })));
    }
}

TEST (IconButtons, StoredIconStaysBlack)
{
    RedoIconButton redo;
    redo.setSize (30, 30);
    snapshot (redo);

    ASSERT_NE (redo.icon, nullptr);
    const auto image = render (30, 30, [&] (juce::Graphics& g)
    {
        redo.icon->drawWithin (g, { 0.0f, 0.0f, 30.0f, 30.0f }, juce::RectanglePlacement::centred, 1.0f);
    });

    expectColourNear (mostOpaquePixel (image), juce::Colour (0xFF000000), 0);
}

TEST (IconButtons, RedoIsTheMirrorOfUndo)
{
    UndoIconButton undo;
    RedoIconButton redo;

    for (auto* button : { static_cast<IconButton*> (&undo), static_cast<IconButton*> (&redo) })
    {
        button->setSize (128, 128);
        button->isHovered = true;
    }

    const auto undoImage = snapshot (undo);
    const auto redoImage = snapshot (redo);
    savePicture (undoImage, "undo-128");
    savePicture (redoImage, "redo-128");

    int worst = 0;

    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x)
            worst = juce::jmax (worst, std::abs ((int) undoImage.getPixelAt (x, y).getAlpha()
                                                 - (int) redoImage.getPixelAt (127 - x, y).getAlpha()));

    EXPECT_LE (worst, 8);

    // The undo head points left: the inside of its back edge, at (230, 200) of the 512 view box,
    // is inked, while the same spot mirrored lies above the shaft. The ring's outer edge spans
    // the drawing area, so view box x maps to 4 + (x - 48) x 120 / 416.
    EXPECT_GT (undoImage.getPixelAt (56, 47).getAlpha(), 0xF0);
    EXPECT_LT (undoImage.getPixelAt (71, 47).getAlpha(), 0x10);
    EXPECT_GT (redoImage.getPixelAt (71, 47).getAlpha(), 0xF0);
    EXPECT_LT (redoImage.getPixelAt (56, 47).getAlpha(), 0x10);
}

TEST (IconButtons, DisabledIgnoresClicks)
{
    UndoIconButton undo;
    undo.setSize (30, 30);
    int clicks = 0;
    undo.onClick = [&clicks] { ++clicks; };

    DesktopMouse mouse (undo);

    undo.setEnabled (false);
    mouse.click ({ 15.0f, 15.0f });
    EXPECT_EQ (clicks, 0);
    EXPECT_TRUE (undo.isHovered);

    undo.setEnabled (true);
    mouse.click ({ 15.0f, 15.0f });
    EXPECT_EQ (clicks, 1);

    mouse.press ({ 15.0f, 15.0f });
    mouse.dragTo ({ 15.0f, 31.0f });
    mouse.release ({ 15.0f, 31.0f });
    EXPECT_EQ (clicks, 1);
}

TEST (HeartFavButton, FilledHeartFitsTheInsetAreaCentred)
{
    HeartFavButton heart;
    heart.setSize (30, 30);
    heart.isFavourite = true;

    const auto image = snapshot (heart);
    savePicture (image, "heart-favourite");

    // 18 wide from x 6 to 24 and 16.2 high from y 6.9 to 23.1.
    const auto columnAlpha = [&] (int x) { return maxAlpha (image.getClippedImage ({ x, 0, 1, 30 })); };
    const auto rowAlpha = [&] (int y) { return maxAlpha (image.getClippedImage ({ 0, y, 30, 1 })); };

    EXPECT_EQ (columnAlpha (5), 0);
    EXPECT_GT (columnAlpha (6), 0x40);
    EXPECT_GT (columnAlpha (23), 0x40);
    EXPECT_EQ (columnAlpha (24), 0);
    EXPECT_EQ (rowAlpha (6), 0);
    EXPECT_GT (rowAlpha (22), 0);
    EXPECT_EQ (rowAlpha (24), 0);

    expectColourNear (image.getPixelAt (15, 15), juce::Colour (0xD9FF6B6B));

    heart.isHovered = true;
    expectColourNear (snapshot (heart).getPixelAt (15, 15), juce::Colour (0xFFFF6B6B));
}

TEST (HeartFavButton, OutlineBrightensWhenHovered)
{
    HeartFavButton heart;
    heart.setSize (30, 30);

    const auto rest = snapshot (heart);
    heart.isHovered = true;
    const auto hovered = snapshot (heart);
    savePicture (rest, "heart-outline");
    savePicture (hovered, "heart-outline-hovered");

    // No fill inside the outline.
    EXPECT_EQ (rest.getPixelAt (15, 15).getAlpha(), 0);

    // Each pixel's coverage is the same, so the alphas scale as 0x99 to 0x4C.
    const auto restPixel = mostOpaquePixel (rest);
    EXPECT_EQ (restPixel.withAlpha ((juce::uint8) 0xFF), juce::Colours::white);
    EXPECT_LE (restPixel.getAlpha(), 0x4C);
    EXPECT_GE (restPixel.getAlpha(), 0x4C / 2);
    EXPECT_NEAR (maxAlpha (hovered), restPixel.getAlpha() * (double) 0x99 / 0x4C, 2.0);
}

TEST (HeartFavButton, ClicksOnReleaseInsideAndFollowsTheMouse)
{
    HeartFavButton heart;
    heart.setSize (30, 30);
    int clicks = 0;
    heart.onClick = [&clicks] { ++clicks; };

    DesktopMouse mouse (heart);

    mouse.moveTo ({ 10.0f, 10.0f });
    EXPECT_TRUE (heart.isHovered);
    EXPECT_EQ (heart.getMouseCursor(), juce::MouseCursor (juce::MouseCursor::PointingHandCursor));

    mouse.press ({ 10.0f, 10.0f });
    mouse.dragTo ({ -5.0f, 10.0f });
    mouse.release ({ -5.0f, 10.0f });
    EXPECT_EQ (clicks, 0);

    mouse.click ({ 0.0f, 0.0f });
    EXPECT_EQ (clicks, 1);

    heart.onClick = nullptr;
    mouse.click ({ 15.0f, 15.0f });
    EXPECT_EQ (clicks, 1);

    mouse.moveTo ({ 40.0f, 40.0f });
    EXPECT_FALSE (heart.isHovered);
}
