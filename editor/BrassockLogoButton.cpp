#include "BrassockLogoButton.h"

#include "SharedPictures.h"

#include <BinaryData.h>

BrassockLogoButton::BrassockLogoButton()
    : ClickableComponent (DisabledClicks::delivered),
      logo (SharedPictures::get (BinaryData::logo_png, BinaryData::logo_pngSize))
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
