#include "Supersampling.h"

namespace Artwork
{
    juce::Image renderSupersampled (int width, int height,
                                    const std::function<void (juce::Graphics&)>& draw,
                                    int factor)
    {
        juce::Image large (juce::Image::ARGB, width * factor, height * factor, true,
                           juce::SoftwareImageType());

        {
            juce::Graphics g (large);
            g.addTransform (juce::AffineTransform::scale ((float) factor));
            draw (g);
        }

        return downsample (large, factor);
    }

    juce::Image downsample (const juce::Image& source, int factor)
    {
        const auto width = source.getWidth() / factor;
        const auto height = source.getHeight() / factor;
        const auto area = (juce::uint32) (factor * factor);

        juce::Image result (juce::Image::ARGB, width, height, true, juce::SoftwareImageType());
        const juce::Image::BitmapData in (source, juce::Image::BitmapData::readOnly);
        juce::Image::BitmapData out (result, juce::Image::BitmapData::writeOnly);

        for (int y = 0; y < height; ++y)
        {
            for (int x = 0; x < width; ++x)
            {
                juce::uint32 a = 0, r = 0, g = 0, b = 0;

                for (int dy = 0; dy < factor; ++dy)
                {
                    for (int dx = 0; dx < factor; ++dx)
                    {
                        const auto* pixel = reinterpret_cast<const juce::PixelARGB*> (
                            in.getPixelPointer (x * factor + dx, y * factor + dy));
                        a += pixel->getAlpha();
                        r += pixel->getRed();
                        g += pixel->getGreen();
                        b += pixel->getBlue();
                    }
                }

                const auto average = [area] (juce::uint32 sum)
                {
                    return (juce::uint8) ((sum + area / 2) / area);
                };

                *reinterpret_cast<juce::PixelARGB*> (out.getPixelPointer (x, y))
                    = juce::PixelARGB (average (a), average (r), average (g), average (b));
            }
        }

        return result;
    }

    void copyPixels (const juce::Image& source, juce::Image& destination, int x, int y)
    {
        const auto sourceArgb = source.convertedToFormat (juce::Image::ARGB);
        const juce::Image::BitmapData in (sourceArgb, juce::Image::BitmapData::readOnly);
        juce::Image::BitmapData out (destination, x, y, source.getWidth(), source.getHeight(),
                                     juce::Image::BitmapData::writeOnly);

        for (int row = 0; row < source.getHeight(); ++row)
            for (int column = 0; column < source.getWidth(); ++column)
                *reinterpret_cast<juce::PixelARGB*> (out.getPixelPointer (column, row))
                    = *reinterpret_cast<const juce::PixelARGB*> (in.getPixelPointer (column, row));
    }

    juce::Image stackFrames (const juce::Array<juce::Image>& frames)
    {
        jassert (! frames.isEmpty());
        const auto width = frames.getFirst().getWidth();
        const auto height = frames.getFirst().getHeight();

        juce::Image strip (juce::Image::ARGB, width, height * frames.size(), true,
                           juce::SoftwareImageType());

        for (int i = 0; i < frames.size(); ++i)
        {
            jassert (frames[i].getWidth() == width && frames[i].getHeight() == height);
            copyPixels (frames[i], strip, 0, i * height);
        }

        return strip;
    }
}
