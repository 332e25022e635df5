#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

/** Loads the built VST3 bundle the way a host does: through JUCE's VST3 hosting and the module's
    real entry points.
*/
namespace VastrelHost
{
    /** The bundle this build produced. */
    juce::File builtBundle();

    /** The module's shared library inside a bundle. */
    juce::File moduleBinary (const juce::File& bundle);

    struct LoadResult
    {
        std::unique_ptr<juce::AudioPluginInstance> instance;
        juce::PluginDescription description;
        juce::String error;
    };

    /** Must be called on the message thread. */
    LoadResult loadPlugin (const juce::File& bundle, double sampleRate, int blockSize);

    /** One class as the module's plug-in factory reports it. */
    struct FactoryClass
    {
        std::array<std::uint8_t, 16> classId {};
        juce::String category, name, subCategories, vendor, version;
    };

    struct FactoryInfo
    {
        juce::String vendor;
        std::vector<FactoryClass> classes;
        juce::String error;
    };

    /** Reads the factory straight from the module's exported GetPluginFactory. */
    FactoryInfo readFactory (const juce::File& bundle);

    /** True when the module exports a symbol of this name. */
    bool moduleExports (const juce::File& bundle, const char* symbolName);
}
