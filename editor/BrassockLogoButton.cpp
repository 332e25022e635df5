#include "BrassockLogoButton.h"

#include <BinaryData.h>

BrassockLogoButton::BrassockLogoButton()
    : ClickableComponent (DisabledClicks::delivered),
      logo (juce::ImageCache::getFromMemory (BinaryData::logo_png, BinaryData::logo_pngSize))
{
}

BrassockLogoButton::~BrassockLogoButton() = default;

void BrassockLogoButton::paint (juce::Graphics& g)
{
    if (! logo.isValid())
        return;

    g.setOpacity (isHovered ? 1.0f : 0.7f);
    g.drawImage (logo, getLocalBounds().reduced (2).toFloat(), juce::RectanglePlacement::centred);
}
