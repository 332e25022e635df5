#include "support/EditorTestSupport.h"
#include "editor/ButtonLookAndFeels.h"
#include "editor/PresetLookAndFeel.h"

#include <memory>

using namespace EditorTestSupport;

namespace
{
    /** A text button with a look, laid out at a preset-bar button's design size. */
    template <typename LookAndFeelType>
    struct LookedButton
    {
        explicit LookedButton (const juce::String& text, int width = 27, int height = 30)
            : button (text)
        {
            button.setLookAndFeel (&lookAndFeel);
            button.setSize (width, height);
        }

        ~LookedButton() { button.setLookAndFeel (nullptr); }

        /** The body with the look's flags, in an image 4 units taller than the button so that the
            shadow below the body shows.
        */
        juce::Image background (bool down, juce::Colour colour = juce::Colour (0xFF2A2A2A))
        {
            return render (button.getWidth(), button.getHeight() + 4, [&] (juce::Graphics& g)
            {
                lookAndFeel.drawButtonBackground (g, button, colour, false, down);
            });
        }

        juce::Image text()
        {
            return render (button.getWidth(), button.getHeight(), [&] (juce::Graphics& g)
            {
                lookAndFeel.drawButtonText (g, button, false, false);
            });
        }

        LookAndFeelType lookAndFeel;
        juce::TextButton button;
    };

    bool sameImage (const juce::Image& a, const juce::Image& b)
    {
        if (a.getBounds() != b.getBounds())
            return false;

        for (int y = 0; y < a.getHeight(); ++y)
            for (int x = 0; x < a.getWidth(); ++x)
                if (a.getPixelAt (x, y) != b.getPixelAt (x, y))
                    return false;

        return true;
    }
}

TEST (LargeButtonLook, BodyAtRestHoveredAndPressed)
{
    LookedButton<LargeButtonLookAndFeel> plus ("+");

    const auto rest = plus.background (false);
    const auto pressed = plus.background (true);

    DesktopMouse mouse (plus.button);
    mouse.moveTo ({ 13.0f, 15.0f });
    ASSERT_TRUE (plus.button.isMouseOver());
    const auto hovered = plus.background (false);

    savePicture (rest, "large-button-rest");
    savePicture (hovered, "large-button-hovered");
    savePicture (pressed, "large-button-pressed");

    expectColourNear (rest.getPixelAt (13, 15), juce::Colour (0xFF2A2A2A), 0);
    expectColourNear (hovered.getPixelAt (13, 15), juce::Colour (0xFF454545), 0);
    expectColourNear (pressed.getPixelAt (13, 15), juce::Colour (0xFF232323), 0);

    // The shadow is the body moved 2 units down: it shows below the body, but not while pressed.
    expectColourNear (rest.getPixelAt (13, 30), juce::Colour (0x33000000), 1);
    expectColourNear (hovered.getPixelAt (13, 31), juce::Colour (0x33000000), 1);
    EXPECT_EQ (pressed.getPixelAt (13, 30).getAlpha(), 0);

    // The faint white outline brightens the body's edge in all three states.
    for (const auto* image : { &rest, &hovered, &pressed })
        EXPECT_GT (image->getPixelAt (13, 0).getBrightness(), image->getPixelAt (13, 15).getBrightness());
}

TEST (LargeButtonLook, ButtonColourDoesNotShow)
{
    LookedButton<ABButtonLookAndFeel> a ("A");

    EXPECT_TRUE (sameImage (a.background (false, juce::Colour (0xFF4A4A4A)), a.background (false, juce::Colour (0xFF2A2A2A))));
    EXPECT_TRUE (sameImage (a.background (true, juce::Colour (0xFF4A4A4A)), a.background (true, juce::Colour (0xFF2A2A2A))));
}

TEST (LargeButtonLook, TextFollowsToggleStateAndHalvesWhenDisabled)
{
    LookedButton<LargeButtonLookAndFeel> save ("+");
    save.button.setColour (juce::TextButton::textColourOffId, juce::Colour (0xFF00FF00));
    save.button.setColour (juce::TextButton::textColourOnId, juce::Colour (0xFFFF0000));

    const auto off = save.text();
    save.button.setToggleState (true, juce::dontSendNotification);
    const auto on = save.text();

    EXPECT_EQ (mostOpaquePixel (off).withAlpha ((juce::uint8) 0xFF), juce::Colour (0xFF00FF00));
    EXPECT_EQ (mostOpaquePixel (on).withAlpha ((juce::uint8) 0xFF), juce::Colour (0xFFFF0000));

    // A disabled parent disables the button too.
    LookedButton<PresetNavButtonLookAndFeel> previous ("<");
    const auto enabledAlpha = maxAlpha (previous.text());

    juce::Component parent;
    parent.addAndMakeVisible (previous.button);
    parent.setEnabled (false);
    const auto disabledText = previous.text();

    savePicture (disabledText, "nav-button-text-disabled");
    EXPECT_EQ (enabledAlpha, 0xFF);
    EXPECT_NEAR (maxAlpha (disabledText), 0x80, 2);
    expectColourNear (mostOpaquePixel (disabledText).withAlpha ((juce::uint8) 0xFF), juce::Colours::white, 3);
}

TEST (LargeButtonLook, FontsOfTheFamily)
{
    LargeButtonLookAndFeel large;
    PresetNavButtonLookAndFeel navigation;
    ABButtonLookAndFeel compare;
    BypassButtonLookAndFeel bypass;
    juce::TextButton button;

    struct Case { juce::LookAndFeel_V4& look; float height; bool bold; };
    const Case cases[] = { { large, 17.0f, false }, { navigation, 19.0f, false }, { compare, 19.0f, false }, { bypass, 15.4f, true } };

    for (const auto& c : cases)
    {
        const auto font = c.look.getTextButtonFont (button, 100);
        EXPECT_EQ (font.getHeight(), c.height);
        EXPECT_EQ (font.isBold(), c.bold);
        EXPECT_FALSE (font.isItalic());
    }
}

TEST (BypassButtonLook, OutlineOnlyAndTheSameInEveryState)
{
    LookedButton<BypassButtonLookAndFeel> bypass ("BYPASS", 120, 28);

    const auto rest = bypass.background (false);
    const auto pressed = bypass.background (true);

    DesktopMouse mouse (bypass.button);
    mouse.moveTo ({ 60.0f, 14.0f });
    ASSERT_TRUE (bypass.button.isMouseOver());
    const auto hovered = bypass.background (false);

    EXPECT_EQ (rest.getPixelAt (60, 14).getAlpha(), 0);
    expectColourNear (rest.getPixelAt (60, 0).withAlpha ((juce::uint8) 0xFF), juce::Colours::white, 3);
    EXPECT_NEAR (rest.getPixelAt (60, 0).getAlpha(), 0x80, 2);
    EXPECT_TRUE (sameImage (rest, pressed));
    EXPECT_TRUE (sameImage (rest, hovered));

    bypass.button.setColour (juce::TextButton::textColourOffId, juce::Colours::white);
    juce::Image picture (juce::Image::ARGB, 120, 28, true);
    {
        juce::Graphics g (picture);
        g.fillAll (juce::Colour (0xFF303030));
        bypass.button.paintEntireComponent (g, false);
    }
    savePicture (picture, "bypass-button");
}

TEST (InfoButtonLook, AlphaFollowsToggleAndHover)
{
    struct Case { bool on; bool hovered; int alpha; };
    const Case cases[] = { { true, false, 0xCC }, { false, false, 0x59 }, { true, true, 0xFF }, { false, true, 0x8C } };

    for (const auto& c : cases)
    {
        LookedButton<InfoButtonLookAndFeel> info ("", 26, 26);
        info.button.setToggleState (c.on, juce::dontSendNotification);

        std::unique_ptr<DesktopMouse> mouse;

        if (c.hovered)
        {
            mouse = std::make_unique<DesktopMouse> (info.button);
            mouse->moveTo ({ 13.0f, 13.0f });
            ASSERT_TRUE (info.button.isMouseOver());
        }

        const auto image = render (26, 26, [&] (juce::Graphics& g)
        {
            info.lookAndFeel.drawButtonBackground (g, info.button, {}, false, false);
        });

        savePicture (image, juce::String ("info-button-") + (c.on ? "on" : "off") + (c.hovered ? "-hovered" : ""));

        // The bold "i" has fully covered pixels: their alpha is the colour's.
        EXPECT_EQ (maxAlpha (image), c.alpha) << "on " << c.on << ", hovered " << c.hovered;
        expectColourNear (mostOpaquePixel (image).withAlpha ((juce::uint8) 0xFF), juce::Colours::white, 3);

        // The ring lies inside the bounds reduced by 2, centred.
        EXPECT_GT (image.getPixelAt (13, 2).getAlpha(), 0);
        EXPECT_EQ (image.getPixelAt (13, 0).getAlpha(), 0);
        EXPECT_EQ (image.getPixelAt (0, 13).getAlpha(), 0);

        EXPECT_TRUE (isTransparent (info.text()));
    }
}

TEST (PresetLook, ColoursOfTheBoxAndMenu)
{
    PresetLookAndFeel look;

    struct Case { int id; juce::uint32 argb; };
    const Case cases[] = {
        { juce::ComboBox::outlineColourId, 0x4CFFFFFF },
        { juce::ComboBox::backgroundColourId, 0xFF000000 },
        { juce::ComboBox::textColourId, 0xFFFFFFFF },
        { juce::ComboBox::arrowColourId, 0xFFFFFFFF },
        { juce::PopupMenu::backgroundColourId, 0xFF000000 },
        { juce::PopupMenu::textColourId, 0xFFFFFFFF },
        { juce::PopupMenu::highlightedBackgroundColourId, 0xFF333333 },
        { juce::PopupMenu::highlightedTextColourId, 0xFFFFFFFF },
    };

    for (const auto& c : cases)
        EXPECT_EQ (look.findColour (c.id).getARGB(), c.argb) << std::hex << c.id;

    EXPECT_EQ (look.cornerSize, 0.0f);
}

TEST (PresetLook, BoxFontIsTheEmbeddedTypefaceAtDefaultHeight)
{
    PresetLookAndFeel look;
    juce::ComboBox box;

    const auto font = look.getComboBoxFont (box);

    EXPECT_EQ (font.getHeight(), 14.0f);
    ASSERT_NE (font.getTypefacePtr(), nullptr);
    EXPECT_TRUE (font.getTypefaceName().isNotEmpty());
    EXPECT_GT (font.getStringWidthFloat ("8x"), 0.0f);
}

TEST (PresetLook, MenuBackgroundIsSquareBlack)
{
    PresetLookAndFeel look;

    const auto image = render (64, 90, [&] (juce::Graphics& g) { look.drawPopupMenuBackground (g, 64, 90); });

    expectColourNear (image.getPixelAt (0, 0), juce::Colour (0xFF000000));
    expectColourNear (image.getPixelAt (63, 89), juce::Colour (0xFF000000));
}

TEST (PresetLook, MenuItems)
{
    PresetLookAndFeel look;
    const juce::Rectangle<int> area (0, 0, 64, 22);

    const auto item = [&] (bool active, bool highlighted, bool ticked)
    {
        return render (area.getWidth(), area.getHeight(), [&] (juce::Graphics& g)
        {
            const auto passedIn = juce::Colour (0xFF0000FF);
            look.drawPopupMenuItem (g, area, false, active, highlighted, ticked, false, "4x", {}, nullptr, &passedIn);
        });
    };

    const auto highlighted = item (true, true, false);
    const auto plain = item (true, false, false);
    const auto selected = item (true, false, true);
    const auto inactive = item (false, false, false);
    const auto highlightedInactive = item (false, true, false);

    const auto menu = render (64, 22 * 4, [&] (juce::Graphics& g)
    {
        look.drawPopupMenuBackground (g, 64, 88);
        const char* texts[] = { "off", "2x", "4x", "8x" };

        for (int i = 0; i < 4; ++i)
            look.drawPopupMenuItem (g, area.translated (0, 22 * i), false, true, i == 1, i == 2, false, texts[i], {}, nullptr, nullptr);
    });
    savePicture (menu, "oversampling-menu");

    // The highlighted item: a square-cornered grey band one unit inside the area, white text.
    expectColourNear (highlighted.getPixelAt (1, 1), juce::Colour (0xFF333333), 0);
    expectColourNear (highlighted.getPixelAt (62, 20), juce::Colour (0xFF333333), 0);
    EXPECT_EQ (highlighted.getPixelAt (0, 0).getAlpha(), 0);
    EXPECT_EQ (highlighted.getPixelAt (63, 21).getAlpha(), 0);

    int brightest = 0;
    for (int y = 0; y < 22; ++y)
        for (int x = 0; x < 64; ++x)
            brightest = juce::jmax (brightest, (int) highlighted.getPixelAt (x, y).getRed());
    EXPECT_GT (brightest, 0xF0);

    // Every other item is antique white text without a band, whatever colour is passed in and
    // whether or not it is active.
    for (const auto* image : { &plain, &selected, &inactive, &highlightedInactive })
    {
        EXPECT_EQ (image->getPixelAt (1, 1).getAlpha(), 0);
        expectColourNear (mostOpaquePixel (*image), juce::Colour (0xFFFAEBD7), 1);
    }

    EXPECT_EQ (maxAlpha (inactive), maxAlpha (plain));

    // The tick of the selected item sits in the icon area left of the text: 15 units (the
    // height limit 20 / 1.3, rounded) after the 1 + 3 units of inset.
    const auto iconAreaAlpha = [] (const juce::Image& image)
    {
        return maxAlpha (image.getClippedImage ({ 0, 0, 19, 22 }));
    };

    EXPECT_GT (iconAreaAlpha (selected), 0x80);
    EXPECT_EQ (iconAreaAlpha (plain), 0);
}
