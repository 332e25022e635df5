#include "HeartFavButton.h"

#include "PresetBrowserLook.h"

HeartFavButton::HeartFavButton()
    : ClickableComponent (DisabledClicks::delivered)
{
    heart.startNewSubPath (0.5f, 0.9f);
    heart.cubicTo (0.5f, 0.9f, 0.0f, 0.55f, 0.0f, 0.35f);
    heart.cubicTo (0.0f, 0.1f, 0.25f, 0.0f, 0.5f, 0.25f);
    heart.cubicTo (0.75f, 0.0f, 1.0f, 0.1f, 1.0f, 0.35f);
    heart.cubicTo (1.0f, 0.55f, 0.5f, 0.9f, 0.5f, 0.9f);
    heart.closeSubPath();
}

HeartFavButton::~HeartFavButton() = default;

void HeartFavButton::paint (juce::Graphics& g)
{
    const auto area = getLocalBounds().reduced (6).toFloat();
    const auto toArea = heart.getTransformToScaleToFit (area, true, juce::Justification::centred);

    if (isFavourite)
    {
        g.setColour (PresetBrowserLook::heartColour (isHovered));
        g.fillPath (heart, toArea);
    }
    else
    {
        g.setColour (isHovered ? juce::Colour (0x99FFFFFF) : PresetBrowserLook::whiteFaint);
        g.strokePath (heart, PresetBrowserLook::thinStroke, toArea);
    }
}
