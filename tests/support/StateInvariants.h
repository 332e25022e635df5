#pragma once

// What must hold after any host state block or preset file has been offered to the processor,
// whether it was taken or refused. Shared by the unit tests and the fuzz target.

#include "engine/PluginProcessor.h"

#include <string>
#include <vector>

namespace StateInvariants
{
    /** Offers the bytes as the fuzz target does: a first byte that is even makes the rest a host
        state block, an odd one a preset file.
    */
    inline void offer (QuorlinAudioProcessor& processor, const void* data, size_t size, const juce::File& presetFile)
    {
        if (size == 0)
            return;

        const auto* bytes = static_cast<const char*> (data);

        if ((bytes[0] & 1) == 0)
        {
            processor.setStateInformation (bytes + 1, (int) size - 1);
        }
        else
        {
            presetFile.replaceWithData (bytes + 1, size - 1);
            processor.presetManager->loadPreset (presetFile);
        }
    }

    /** Empty when the tree has exactly one child for each parameter, a "PARAM" one whose value
        is exactly the parameter's; else what is wrong.
    */
    inline std::string firstMismatch (const juce::ValueTree& tree, const std::vector<std::pair<juce::String, float>>& values)
    {
        for (const auto& [id, value] : values)
        {
            int children = 0;
            juce::ValueTree child;

            for (const auto& c : tree)
            {
                if (c["id"].toString() == id)
                {
                    children += c.hasType ("PARAM") ? 1 : 2;
                    child = c;
                }
            }

            if (children != 1)
                return "not exactly one PARAM child for " + id.toStdString();

            // Compared as stored, so that even a difference the framework counts as none shows.
            if (! child.hasProperty ("value") || (double) child["value"] != (double) value)
                return "the PARAM child of " + id.toStdString() + " holds another value than the parameter";
        }

        return {};
    }

    /** Empty when everything holds, else what does not: every parameter finite and inside its
        range, the tree of type "VastrelV3" with one "PARAM" child per parameter holding exactly
        the parameter's value, and the state the processor writes holding the same and reading
        back at once to the same values.
    */
    inline std::string firstViolation (QuorlinAudioProcessor& processor)
    {
        if (! processor.apvts->state.hasType ("VastrelV3"))
            return "the state tree changed its type";

        std::vector<std::pair<juce::String, float>> values;

        for (auto* p : processor.getParameters())
        {
            const auto* parameter = dynamic_cast<juce::RangedAudioParameter*> (p);
            const auto value = processor.apvts->getRawParameterValue (parameter->paramID)->load();
            const auto& range = parameter->getNormalisableRange();

            if (! (std::isfinite (value) && value >= range.start && value <= range.end))
                return "parameter outside its range: " + parameter->paramID.toStdString();

            values.emplace_back (parameter->paramID, value);
        }

        if (const auto mismatch = firstMismatch (processor.apvts->state, values); ! mismatch.empty())
            return "live tree: " + mismatch;

        juce::MemoryBlock block;
        processor.getStateInformation (block);
        const auto saved = juce::ValueTree::readFromData (block.getData(), block.getSize());

        if (! saved.hasType ("VastrelV3"))
            return "the written state does not read back";

        if (const auto mismatch = firstMismatch (saved, values); ! mismatch.empty())
            return "written state: " + mismatch;

        processor.setStateInformation (block.getData(), (int) block.getSize());

        for (const auto& [id, value] : values)
            if (processor.apvts->getRawParameterValue (id)->load() != value)
                return "the written state reads back to another value of " + id.toStdString();

        return {};
    }
}
