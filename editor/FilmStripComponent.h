#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <atomic>

/** Shows the frame of a vertical film strip that a published value from 0 to 1 selects, scaled
    to the component's bounds. Repaints every 33 ms once it has a strip, since the value changes
    on the audio thread without telling anyone.
*/
class FilmStripComponent : public juce::Component,
                           public juce::Timer
{
public:
    /** The value is read, not owned; it must outlive the component. */
    explicit FilmStripComponent (std::atomic<float>* valueSource);
    ~FilmStripComponent() override;

    /** Takes the strip of numFrames equal frames, frame 0 on top, and starts the repaints. */
    void setFilmstrip (juce::Image strip, int numFrames);

    void paint (juce::Graphics&) override;
    void timerCallback() override;

private:
    std::atomic<float>* valueSource;
    juce::Image strip;
    int numFrames = 0;
    float opacity = 1.0f;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FilmStripComponent)
};
