#include "FilmStripComponent.h"

FilmStripComponent::FilmStripComponent (std::atomic<float>* source)
    : valueSource (source)
{
}

FilmStripComponent::~FilmStripComponent() = default;

void FilmStripComponent::setFilmstrip (juce::Image newStrip, int newNumFrames)
{
    strip = newStrip;
    numFrames = newNumFrames;
    startTimer (33);
}

void FilmStripComponent::paint (juce::Graphics& g)
{
    g.setOpacity (opacity);

    if (numFrames == 0 || ! strip.isValid())
        return;

    const auto value = valueSource->load();
    const auto frame = juce::jlimit (0, numFrames - 1, juce::roundToInt (value * (float) numFrames));
    const auto frameHeight = strip.getHeight() / numFrames;

    g.drawImage (strip, 0, 0, getWidth(), getHeight(), 0, frame * frameHeight, strip.getWidth(), frameHeight);
}

void FilmStripComponent::timerCallback()
{
    repaint();
}
