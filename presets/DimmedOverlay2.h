#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

/** Darkens the editor while the preset browser is open and takes every press on it. */
class DimmedOverlay2 final : public juce::Component
{
public:
    DimmedOverlay2() = default;
    ~DimmedOverlay2() override = default;

    void mouseDown (const juce::MouseEvent&) override;
    void paint (juce::Graphics&) override;

    std::function<void()> onClick;
    float alpha = 0.6f;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DimmedOverlay2)
};
