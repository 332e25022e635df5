#include "PresetLookAndFeel.h"

#include <BinaryData.h>

PresetLookAndFeel::PresetLookAndFeel()
{
    setColour (juce::ComboBox::outlineColourId, juce::Colour (0x4CFFFFFF));
    setColour (juce::ComboBox::backgroundColourId, juce::Colour (0xFF000000));
    setColour (juce::ComboBox::textColourId, juce::Colour (0xFFFFFFFF));
    setColour (juce::ComboBox::arrowColourId, juce::Colour (0xFFFFFFFF));
    setColour (juce::PopupMenu::backgroundColourId, juce::Colour (0xFF000000));
    setColour (juce::PopupMenu::textColourId, juce::Colour (0xFFFFFFFF));
    setColour (juce::PopupMenu::highlightedBackgroundColourId, juce::Colour (0xFF333333));
    setColour (juce::PopupMenu::highlightedTextColourId, juce::Colour (0xFFFFFFFF));
}

PresetLookAndFeel::~PresetLookAndFeel() = default;

juce::Font PresetLookAndFeel::createMenuFont()
{
    return juce::Font (juce::Typeface::createSystemTypefaceFor (BinaryData::menu_font_ttf,
                                                                (size_t) BinaryData::menu_font_ttfSize));
}

juce::Font PresetLookAndFeel::getComboBoxFont (juce::ComboBox&)
{
    return createMenuFont();
}

void PresetLookAndFeel::drawPopupMenuBackground (juce::Graphics& g, int width, int height)
{
    g.setColour (juce::Colour (0xFF000000));
    g.fillRoundedRectangle (0.0f, 0.0f, (float) width, (float) height, cornerSize);
}

void PresetLookAndFeel::drawPopupMenuItem (juce::Graphics& g, const juce::Rectangle<int>& area,
                                           bool isSeparator, bool isActive, bool isHighlighted, bool isTicked,
                                           bool hasSubMenu, const juce::String& text,
                                           const juce::String& shortcutKeyText,
                                           const juce::Drawable* icon, const juce::Colour* textColour)
{
    if (isSeparator)
    {
        LookAndFeel_V4::drawPopupMenuItem (g, area, isSeparator, isActive, isHighlighted, isTicked, hasSubMenu,
                                           text, shortcutKeyText, icon, textColour);
        return;
    }

    auto r = area.reduced (1);

    if (isHighlighted && isActive)
    {
        g.setColour (findColour (juce::PopupMenu::highlightedBackgroundColourId));
        g.fillRoundedRectangle (r.toFloat(), cornerSize);
        g.setColour (findColour (juce::PopupMenu::highlightedTextColourId));
    }
    else
    {
        g.setColour (juce::Colours::antiquewhite);
    }

    r.reduce (juce::jmin (5, area.getWidth() / 20), 0);

    auto font = createMenuFont();
    const auto maxFontHeight = (float) r.getHeight() / 1.3f;

    if (font.getHeight() > maxFontHeight)
        font.setHeight (maxFontHeight);

    g.setFont (font);

    const auto iconArea = r.removeFromLeft (juce::roundToInt (maxFontHeight)).toFloat();

    if (icon != nullptr)
    {
        icon->drawWithin (g, iconArea, juce::RectanglePlacement::centred | juce::RectanglePlacement::onlyReduceInSize, 1.0f);
        r.removeFromLeft (juce::roundToInt (maxFontHeight * 0.5f));
    }
    else if (isTicked)
    {
        const auto tick = getTickShape (1.0f);
        g.fillPath (tick, tick.getTransformToScaleToFit (iconArea.reduced (iconArea.getWidth() / 5, 0), true));
    }

    if (hasSubMenu)
    {
        const auto arrowHeight = 0.6f * font.getAscent();
        const auto x = (float) r.removeFromRight ((int) arrowHeight).getX();
        const auto halfHeight = (float) r.getCentreY();

        juce::Path arrow;
        arrow.startNewSubPath (x, halfHeight - arrowHeight * 0.5f);
        arrow.lineTo (x + arrowHeight * 0.6f, halfHeight);
        arrow.lineTo (x, halfHeight + arrowHeight * 0.5f);
        g.strokePath (arrow, juce::PathStrokeType (2.0f));
    }

    r.removeFromRight (3);
    g.drawFittedText (text, r, juce::Justification::centredLeft, 1);

    if (shortcutKeyText.isNotEmpty())
    {
        auto shortcutFont = font;
        shortcutFont.setHeight (shortcutFont.getHeight() * 0.75f);
        shortcutFont.setHorizontalScale (0.95f);
        g.setFont (shortcutFont);
        g.drawText (shortcutKeyText, r, juce::Justification::centredRight, true);
    }
}
