#pragma once

#include "ClickableComponent.h"

/** The maker's logo in the top bar; dimmed until hovered. Clicks arrive even while disabled. */
class BrassockLogoButton : public ClickableComponent
{
public:
    BrassockLogoButton();
    ~BrassockLogoButton() override;

    void paint (juce::Graphics&) override;

    juce::Image logo;
};
