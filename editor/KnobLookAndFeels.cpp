#include "KnobLookAndFeels.h"

#include "SharedPictures.h"

#include <BinaryData.h>

#include <cmath>

FilmStripKnobLookAndFeel::FilmStripKnobLookAndFeel (const void* stripData, int stripDataSize, int size, int steps,
                                                    std::optional<double> valueAtMiddle)
    : filmStrip (SharedPictures::get (stripData, stripDataSize)),
      frameSize (size),
      numSteps (steps),
      middleValue (valueAtMiddle)
{
}

FilmStripKnobLookAndFeel::~FilmStripKnobLookAndFeel() = default;

int FilmStripKnobLookAndFeel::getFrameIndex (double value, double minimum, double maximum) const
{
    auto proportion = (value - minimum) / (maximum - minimum);

    if (middleValue.has_value())
    {
        // The exponent that takes the middle value's proportion to 0.5, rounded to single
        // precision: the rounding decides the frames next to the middle (-9.7 shows 65, not 64).
        const auto logOfMiddle = std::log ((*middleValue - minimum) / (maximum - minimum));
        const auto exponent = (double) (float) (-0.6931471805599453 / logOfMiddle);
        proportion = std::pow (proportion, exponent);
    }

    return (int) std::ceil (proportion * numSteps);
}

void FilmStripKnobLookAndFeel::drawRotarySlider (juce::Graphics& g, int x, int y, int, int, float, float, float,
                                                 juce::Slider& slider)
{
    if (! filmStrip.isValid())
        return;

    const auto frame = getFrameIndex (slider.getValue(), slider.getMinimum(), slider.getMaximum());

    g.drawImage (filmStrip, x, y, frameSize, frameSize, 0, frame * frameSize, frameSize, frameSize);
}

CustomLookAndFeel::CustomLookAndFeel()
    : FilmStripKnobLookAndFeel (BinaryData::knob_100px_129f_png, BinaryData::knob_100px_129f_pngSize, 100, 128)
{
}

CustomLookAndFeel2::CustomLookAndFeel2()
    : FilmStripKnobLookAndFeel (BinaryData::knob_100px_129f_png, BinaryData::knob_100px_129f_pngSize, 100, 128, -9.7)
{
}

CustomLookAndFeel2b::CustomLookAndFeel2b()
    : FilmStripKnobLookAndFeel (BinaryData::knob_167px_129f_png, BinaryData::knob_167px_129f_pngSize, 167, 128)
{
}

CustomLookAndFeel3::CustomLookAndFeel3()
    : FilmStripKnobLookAndFeel (BinaryData::knob_100px_5f_png, BinaryData::knob_100px_5f_pngSize, 100, 4)
{
}

CustomLookAndFeel4::CustomLookAndFeel4()
    : FilmStripKnobLookAndFeel (BinaryData::knob_167px_6f_png, BinaryData::knob_167px_6f_pngSize, 167, 5)
{
}
