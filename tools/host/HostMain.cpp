// Console host: loads the VastrelV3 bundle through JUCE's VST3 hosting, prints what a host sees,
// runs a built-in stereo test signal through it at the default settings and writes the result.
// With --editor-png it then opens the plug-in's editor in a window, as a host does, and writes a
// picture of it (needs a display; under xvfb-run too).
//
// Usage: vastrel_host [bundle.vst3] [output.wav] [--editor-png editor.png]

#include "HostedPlugin.h"
#include "HostDisplay.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <chrono>
#include <iostream>
#include <thread>

namespace
{
    constexpr double sampleRate = 48000.0;
    constexpr int blockSize = 512;
    constexpr double signalSeconds = 4.0;

    void print (const juce::String& text)   { std::cout << text << std::endl; }

    /** A low tone and a mid tone under a slow swell, slightly different left and right. */
    juce::AudioBuffer<float> makeTestSignal()
    {
        const auto numSamples = (int) (signalSeconds * sampleRate);
        juce::AudioBuffer<float> signal (2, numSamples);

        for (int i = 0; i < numSamples; ++i)
        {
            const auto t = (double) i / sampleRate;
            const auto swell = 0.5 - 0.5 * std::cos (juce::MathConstants<double>::twoPi * t / signalSeconds);
            const auto low = std::sin (juce::MathConstants<double>::twoPi * 110.0 * t);
            const auto mid = std::sin (juce::MathConstants<double>::twoPi * 1000.0 * t);
            const auto midRight = std::sin (juce::MathConstants<double>::twoPi * 1000.0 * t + 0.3);

            signal.setSample (0, i, (float) (swell * (0.35 * low + 0.15 * mid)));
            signal.setSample (1, i, (float) (swell * (0.30 * low + 0.18 * midRight)));
        }

        return signal;
    }

    juce::String describeLevels (const juce::AudioBuffer<float>& buffer)
    {
        juce::String text;

        for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
        {
            const auto peak = buffer.getMagnitude (ch, 0, buffer.getNumSamples());
            const auto rms = buffer.getRMSLevel (ch, 0, buffer.getNumSamples());
            text << (ch == 0 ? "L" : "R") << " peak " << juce::String (juce::Decibels::gainToDecibels (peak), 2)
                 << " dBFS, RMS " << juce::String (juce::Decibels::gainToDecibels (rms), 2) << " dBFS   ";
        }

        return text.trimEnd();
    }

    bool writeWav (const juce::File& file, const juce::AudioBuffer<float>& buffer)
    {
        file.deleteFile();
        std::unique_ptr<juce::OutputStream> stream (file.createOutputStream());

        if (stream == nullptr)
            return false;

        juce::WavAudioFormat wav;
        std::unique_ptr<juce::AudioFormatWriter> writer (wav.createWriterFor (stream.get(), sampleRate,
                                                                              (unsigned int) buffer.getNumChannels(),
                                                                              24, {}, 0));
        if (writer == nullptr)
            return false;

        stream.release(); // the writer owns the stream now
        return writer->writeFromAudioSampleBuffer (buffer, 0, buffer.getNumSamples());
    }

    void runMessagesFor (int milliseconds)
    {
        const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) milliseconds;

        while (juce::Time::getMillisecondCounter() < end)
            juce::MessageManager::getInstance()->runDispatchLoopUntil (10);
    }

    /** Opens the editor on the desktop, lets it paint and writes what the screen shows of it. */
    bool writeEditorPicture (juce::AudioPluginInstance& plugin, const juce::File& pictureFile)
    {
        std::unique_ptr<juce::AudioProcessorEditor> editor (plugin.createEditorIfNeeded());

        if (editor == nullptr)
        {
            std::cerr << "The plug-in has no editor" << std::endl;
            return false;
        }

        editor->setTopLeftPosition (0, 0);
        editor->addToDesktop (0);
        editor->setVisible (true);
        runMessagesFor (1500);

        const auto* peer = editor->getPeer();
        const auto pixels = HostDisplay::capture (HostDisplay::areaOf ((unsigned long) (juce::pointer_sized_uint) peer->getNativeHandle()));
        editor.reset();

        if (! pixels.error.empty())
        {
            std::cerr << "Could not read the editor's window: " << pixels.error << std::endl;
            return false;
        }

        juce::Image picture (juce::Image::RGB, pixels.width, pixels.height, false);

        for (int y = 0; y < pixels.height; ++y)
            for (int x = 0; x < pixels.width; ++x)
                picture.setPixelAt (x, y, juce::Colour (pixels.argb[(size_t) (y * pixels.width + x)]));

        pictureFile.deleteFile();
        juce::FileOutputStream stream (pictureFile);
        juce::PNGImageFormat png;

        if (! stream.openedOk() || ! png.writeImageToStream (picture, stream))
        {
            std::cerr << "Could not write " << pictureFile.getFullPathName() << std::endl;
            return false;
        }

        print ("Editor:    " + juce::String (pixels.width) + " x " + juce::String (pixels.height) + ", "
               + pictureFile.getFullPathName());
        return true;
    }

    int run (const juce::File& bundle, const juce::File& outputFile, const juce::File& pictureFile)
    {
        auto loaded = VastrelHost::loadPlugin (bundle, sampleRate, blockSize);

        if (loaded.instance == nullptr)
        {
            std::cerr << "Could not load " << bundle.getFullPathName() << ": " << loaded.error << std::endl;
            return 1;
        }

        auto& plugin = *loaded.instance;
        const auto& description = loaded.description;

        print ("Plug-in:   " + description.name + " " + description.version);
        print ("Vendor:    " + description.manufacturerName);
        print ("Category:  " + description.category);
        print ("Format:    " + description.pluginFormatName + ", " + bundle.getFullPathName());

        const auto layout = plugin.getBusesLayout();
        print ("Input:     " + layout.getMainInputChannelSet().getDescription());
        print ("Output:    " + layout.getMainOutputChannelSet().getDescription());

        const auto& parameters = plugin.getParameters();
        print ("Parameters (" + juce::String (parameters.size()) + "):");

        for (auto* parameter : parameters)
        {
            print ("  " + juce::String (parameter->getParameterIndex()).paddedLeft (' ', 2)
                   + "  \"" + parameter->getName (64) + "\"  [" + parameter->getLabel() + "]  default "
                   + parameter->getText (parameter->getDefaultValue(), 64));
        }

        print ("Latency:   " + juce::String (plugin.getLatencySamples()) + " samples");

        // The impulse responses are decoded on the plug-in's background threads; once they are
        // in, preparation builds the convolutions from them, so the render starts with them.
        std::this_thread::sleep_for (std::chrono::milliseconds (500));

        plugin.setPlayConfigDetails (2, 2, sampleRate, blockSize);
        plugin.prepareToPlay (sampleRate, blockSize);

        const auto input = makeTestSignal();
        juce::AudioBuffer<float> output;
        output.makeCopyOf (input);

        juce::AudioBuffer<float> block (2, blockSize);
        juce::MidiBuffer midi;
        const auto startTime = std::chrono::steady_clock::now();

        for (int start = 0; start < output.getNumSamples(); start += blockSize)
        {
            const auto length = juce::jmin (blockSize, output.getNumSamples() - start);
            block.setSize (2, length, false, false, true);

            for (int ch = 0; ch < 2; ++ch)
                block.copyFrom (ch, 0, output, ch, start, length);

            plugin.processBlock (block, midi);

            for (int ch = 0; ch < 2; ++ch)
                output.copyFrom (ch, start, block, ch, 0, length);
        }

        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - startTime;
        plugin.releaseResources();

        print ("Processed: " + juce::String (signalSeconds, 1) + " s of stereo audio at 48 kHz in "
               + juce::String (blockSize) + "-sample blocks, " + juce::String (signalSeconds / elapsed.count(), 1)
               + "x real time");
        print ("Input:     " + describeLevels (input));
        print ("Output:    " + describeLevels (output));

        if (! writeWav (outputFile, output))
        {
            std::cerr << "Could not write " << outputFile.getFullPathName() << std::endl;
            return 1;
        }

        print ("Wrote:     " + outputFile.getFullPathName());

        if (pictureFile != juce::File() && ! writeEditorPicture (plugin, pictureFile))
            return 1;

        return 0;
    }
}

int main (int argc, char* argv[])
{
    const auto here = juce::File::getCurrentWorkingDirectory();
    juce::StringArray positional;
    juce::File pictureFile;

    for (int i = 1; i < argc; ++i)
    {
        if (juce::String (argv[i]) == "--editor-png" && i + 1 < argc)
            pictureFile = here.getChildFile (argv[++i]);
        else
            positional.add (argv[i]);
    }

    if (pictureFile != juce::File() && ! HostDisplay::prepareDisplay())
    {
        std::cerr << "--editor-png needs a display (run under xvfb-run -a)" << std::endl;
        return 1;
    }

    juce::ScopedJuceInitialiser_GUI juceInitialiser;

    const auto bundle = positional.size() > 0 ? here.getChildFile (positional[0]) : VastrelHost::builtBundle();
    const auto outputFile = here.getChildFile (positional.size() > 1 ? positional[1] : "vastrel-output.wav");

    return run (bundle, outputFile, pictureFile);
}
