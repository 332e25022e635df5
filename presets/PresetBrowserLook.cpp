#include "PresetBrowserLook.h"

void PresetBrowserLook::setUpScrollBar (juce::ScrollBar& scrollBar, juce::ScrollBar::Listener& listener)
{
    scrollBar.addListener (&listener);
    scrollBar.setAutoHide (false);
    scrollBar.setColour (juce::ScrollBar::backgroundColourId, juce::Colour (0x801A1A1A));
    scrollBar.setColour (juce::ScrollBar::thumbColourId, whiteMedium);
    scrollBar.setColour (juce::ScrollBar::trackColourId, juce::Colour (0xCC2A2A2A));
    scrollBar.setMouseCursor (juce::MouseCursor::PointingHandCursor);
}

juce::Colour PresetBrowserLook::heartColour (bool lit)
{
    return lit ? heartRed : heartRed.withAlpha ((juce::uint8) 0xD9);
}

juce::Path PresetBrowserLook::heart (float x, float centreY, float halfWidth, float scale)
{
    const auto left = x - halfWidth, right = x + halfWidth;
    const auto cleft = centreY + 2.7f * scale, lobeTop = centreY - 1.8f * scale;
    const auto lobe = 4.5f * scale, tip = centreY + 8.1f * scale;

    juce::Path path;
    path.startNewSubPath (x, cleft);
    path.cubicTo (x, lobeTop, left, centreY - lobe, left, centreY);
    path.cubicTo (left, centreY + lobe, x, tip, x, tip);
    path.cubicTo (x, tip, right, centreY + lobe, right, centreY);
    path.cubicTo (right, centreY - lobe, x, lobeTop, x, cleft);
    path.closeSubPath();
    return path;
}

void PresetBrowserLook::paintShadow (juce::Graphics& g, juce::Rectangle<float> bounds, int layers, float spreadPerLayer, float cornerSize)
{
    for (auto i = layers - 1; i >= 0; --i)
    {
        const auto closeness = 1.0f - (float) i / (float) (layers - 1);
        g.setColour (juce::Colours::black.withAlpha (0.35f * closeness * closeness));
        g.fillRoundedRectangle (bounds.expanded ((float) i * spreadPerLayer), cornerSize);
    }
}

void PresetBrowserLook::paintNoise (juce::Graphics& g, juce::int64 seed, int dots, float width, float height, float dotSize, float maxAlpha)
{
    juce::Random random (seed);

    for (auto i = 0; i < dots; ++i)
    {
        // Three draws per dot, in this order, so that the pattern depends on the seed alone.
        const auto x = random.nextFloat() * width;
        const auto y = random.nextFloat() * height;
        const auto alpha = random.nextFloat() * maxAlpha;

        g.setColour (juce::Colours::white.withAlpha (alpha));
        g.fillEllipse (x, y, dotSize, dotSize);
    }
}
