#pragma once

// State blocks in the framework's binary ValueTree form that declare far more than they hold,
// nest without end, or use forms that the framework's reader calls corrupt.

#include <juce_core/juce_core.h>

#include <cstring>
#include <initializer_list>
#include <limits>
#include <vector>

namespace CorruptBlocks
{
    /** Writes the stream form by hand, for blocks the framework's writer would never make. */
    struct BlockWriter
    {
        BlockWriter& text (const char* s)   { stream.write (s, std::strlen (s) + 1); return *this; }
        BlockWriter& count (int n)          { stream.writeCompressedInt (n); return *this; }

        BlockWriter& bytes (std::initializer_list<int> values)
        {
            for (auto b : values)
                stream.writeByte ((char) b);

            return *this;
        }

        juce::MemoryBlock block() const     { return stream.getMemoryBlock(); }

        juce::MemoryOutputStream stream;
    };

    struct Case
    {
        const char* what;
        juce::MemoryBlock block;
    };

    inline juce::MemoryBlock rootWithProperties (int numProperties)
    {
        return BlockWriter().text ("VastrelV3").count (numProperties).text ("a").count (0).count (0).block();
    }

    inline juce::MemoryBlock rootWithChildren (int numChildren)
    {
        return BlockWriter().text ("VastrelV3").count (0).count (numChildren).text ("PARAM").count (0).count (0).block();
    }

    inline juce::MemoryBlock childWithChildren (int numChildren)
    {
        return BlockWriter().text ("VastrelV3").count (0).count (1).text ("PARAM").count (0).count (numChildren).block();
    }

    inline juce::MemoryBlock valueOfKind (int marker, int declaredSize, int arrayCount)
    {
        BlockWriter w;
        w.text ("VastrelV3").count (1).text ("a").count (declaredSize).bytes ({ marker });

        if (arrayCount >= 0)
            w.count (arrayCount);

        return w.count (0).block();
    }

    inline juce::MemoryBlock nested (int depth)
    {
        BlockWriter w;

        for (int i = 0; i < depth; ++i)
            w.text ("a").count (0).count (1);

        return w.text ("a").count (0).count (0).block();
    }

    inline std::vector<Case> cases()
    {
        constexpr auto most = std::numeric_limits<int>::max();

        return {
            { "two billion root properties",    rootWithProperties (most) },
            { "a thousand root properties",     rootWithProperties (1000) },
            { "two billion children",           rootWithChildren (most) },
            { "a million children",             rootWithChildren (1000000) },
            { "two billion grandchildren",      childWithChildren (most) },
            { "a two-gigabyte binary value",    valueOfKind (8, most, -1) },
            { "a two-billion-element array",    valueOfKind (7, 2, most) },
            { "a nesting 100000 levels deep",   nested (100000) },
            { "a count of five bytes",          BlockWriter().text ("VastrelV3").bytes ({ 5, 1, 0, 0, 0, 0 }).count (0).block() },
            { "a negative property count",      rootWithProperties (-3) },
            { "a count that cannot be negated", BlockWriter().text ("VastrelV3").bytes ({ 0x84, 0, 0, 0, 0x80 }).count (0).block() },
            { "a property without a name",      BlockWriter().text ("VastrelV3").count (1).text ("").count (0).count (0).block() },
        };
    }
}
