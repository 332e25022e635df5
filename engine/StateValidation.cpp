#include "StateValidation.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace
{
    // Far beyond anything the plug-in writes (two levels, a handful of properties per node), and
    // small enough that the framework's recursive reader and its linear property lookups stay quick.
    constexpr int maxDepth = 32;
    constexpr int maxPropertiesPerNode = 256;

    // The least a property (a one-character name, its terminator and an empty value) and a child
    // (a one-character type, its terminator and two zero counts) take in the stream.
    constexpr size_t smallestProperty = 3;
    constexpr size_t smallestChild = 4;

    // The framework's marker bytes for the kinds of value in its binary form.
    enum ValueMarker : juce::uint8
    {
        intMarker = 1, trueMarker = 2, falseMarker = 3, doubleMarker = 4,
        stringMarker = 5, int64Marker = 6, arrayMarker = 7, binaryMarker = 8
    };

    /** Follows juce::ValueTree::readFromStream and juce::var::readFromStream over a memory block,
        reading every field exactly as they do (including what they do at the end of the data),
        but only moving a position and checking.
    */
    class StreamWalk
    {
    public:
        StreamWalk (const void* data, size_t numBytes) noexcept
            : bytes (static_cast<const juce::uint8*> (data)), size (numBytes)
        {
        }

        enum class Tree { refused, none, read };

        Tree walkTree (int depth) noexcept
        {
            if (depth >= maxDepth)
                return Tree::refused;

            size_t typeLength = 0;

            if (! walkString (typeLength))
                return Tree::refused;

            if (typeLength == 0)
                return Tree::none;

            int numProperties = 0;

            // A negative count is what the reader itself calls corrupt.
            if (! walkCompressedInt (numProperties) || numProperties < 0 || numProperties > maxPropertiesPerNode
                 || (size_t) numProperties * smallestProperty > remaining())
                return Tree::refused;

            for (int i = 0; i < numProperties; ++i)
            {
                size_t nameLength = 0;

                if (! walkString (nameLength) || nameLength == 0 || ! walkValue (depth))
                    return Tree::refused;
            }

            int numChildren = 0;

            // The reader reserves room for every declared child before it reads the first one.
            if (! walkCompressedInt (numChildren) || (numChildren > 0 && (size_t) numChildren * smallestChild > remaining()))
                return Tree::refused;

            for (int i = 0; i < numChildren; ++i)
            {
                const auto child = walkTree (depth + 1);

                if (child == Tree::refused)
                    return Tree::refused;

                // The reader stops at a child without a type and keeps what it has.
                if (child == Tree::none)
                    break;
            }

            return Tree::read;
        }

    private:
        size_t remaining() const noexcept           { return size - position; }
        void skip (size_t numBytes) noexcept        { position += juce::jmin (numBytes, remaining()); }
        juce::uint8 readByte() noexcept             { return position < size ? bytes[position++] : 0; }

        /** False for the forms the reader rejects as corrupt, and for the one it cannot negate. */
        bool walkCompressedInt (int& result) noexcept
        {
            const auto sizeByte = readByte();
            result = 0;

            if (sizeByte == 0)
                return true;

            const auto numBytes = (size_t) (sizeByte & 0x7f);

            if (numBytes > 4)
                return false;

            if (numBytes > remaining())
            {
                position = size;
                return true;
            }

            juce::uint32 value = 0;

            for (size_t i = 0; i < numBytes; ++i)
                value |= (juce::uint32) bytes[position++] << (8 * i);

            const auto negative = (sizeByte & 0x80) != 0;

            if (negative && value == 0x80000000u)
                return false;

            result = static_cast<int> (value);

            if (negative)
                result = -result;

            return true;
        }

        /** A string runs to its terminator or to the end of the data. */
        bool walkString (size_t& length) noexcept
        {
            const auto start = position;

            while (position < size && bytes[position] != 0)
                ++position;

            length = position - start;
            skip (1);
            return StateValidation::isValidUtf8 (reinterpret_cast<const char*> (bytes + start), length);
        }

        bool walkValue (int depth) noexcept
        {
            int numBytes = 0;

            if (! walkCompressedInt (numBytes))
                return false;

            if (numBytes <= 0)
                return true;

            const auto contentSize = (size_t) numBytes - 1;

            switch (readByte())
            {
                case intMarker:     skip (4); return true;
                case int64Marker:
                case doubleMarker:  skip (8); return true;
                case trueMarker:
                case falseMarker:   return true;

                case stringMarker:
                {
                    // The text ends at its terminator, which the stored bytes include.
                    const auto available = juce::jmin (contentSize, remaining());
                    const auto* text = reinterpret_cast<const char*> (bytes + position);
                    const auto* terminator = static_cast<const char*> (std::memchr (text, 0, available));
                    const auto length = terminator != nullptr ? (size_t) (terminator - text) : available;
                    skip (available);
                    return StateValidation::isValidUtf8 (text, length);
                }

                case binaryMarker:
                    // The reader allocates the declared size before reading a byte of it.
                    if (contentSize > remaining())
                        return false;

                    skip (contentSize);
                    return true;

                case arrayMarker:
                {
                    int numElements = 0;

                    if (depth + 1 >= maxDepth || ! walkCompressedInt (numElements)
                         || (numElements > 0 && (size_t) numElements > remaining()))
                        return false;

                    for (int i = 0; i < numElements; ++i)
                        if (! walkValue (depth + 1))
                            return false;

                    return true;
                }

                default:
                    skip (contentSize);
                    return true;
            }
        }

        const juce::uint8* bytes;
        size_t size;
        size_t position = 0;
    };

    bool isPlainName (const juce::String& name)
    {
        const auto* raw = name.toRawUTF8();
        return StateValidation::isPlainName (raw, raw + std::strlen (raw));
    }

    bool isValidText (const juce::String& text)
    {
        const auto* raw = text.toRawUTF8();
        return StateValidation::isValidUtf8 (raw, std::strlen (raw));
    }

    bool hasValidText (const juce::var& value)
    {
        if (value.isString())
            return isValidText (value.toString());

        if (const auto* array = value.getArray())
            for (const auto& element : *array)
                if (! hasValidText (element))
                    return false;

        return true;
    }
}

bool StateValidation::isValidUtf8 (const char* text, size_t numBytes) noexcept
{
    const auto* p = reinterpret_cast<const juce::uint8*> (text);
    const auto* end = p + numBytes;

    while (p < end)
    {
        const auto lead = *p++;

        if (lead < 0x80)
            continue;

        size_t numExtra = 0;
        juce::uint32 codePoint = 0, smallest = 0;

        if ((lead & 0xe0) == 0xc0)        { numExtra = 1; codePoint = lead & 0x1fu; smallest = 0x80; }
        else if ((lead & 0xf0) == 0xe0)   { numExtra = 2; codePoint = lead & 0x0fu; smallest = 0x800; }
        else if ((lead & 0xf8) == 0xf0)   { numExtra = 3; codePoint = lead & 0x07u; smallest = 0x10000; }
        else                              return false;

        if ((size_t) (end - p) < numExtra)
            return false;

        for (size_t i = 0; i < numExtra; ++i)
        {
            if ((p[i] & 0xc0) != 0x80)
                return false;

            codePoint = (codePoint << 6) | (p[i] & 0x3fu);
        }

        p += numExtra;

        if (codePoint < smallest || codePoint > 0x10ffff || (codePoint >= 0xd800 && codePoint <= 0xdfff))
            return false;
    }

    return true;
}

bool StateValidation::isReadableStateBlock (const void* data, size_t numBytes) noexcept
{
    if (data == nullptr || numBytes == 0)
        return false;

    return StreamWalk (data, numBytes).walkTree (0) == StreamWalk::Tree::read;
}

bool StateValidation::hasValidText (const juce::ValueTree& tree)
{
    if (! isValidText (tree.getType().toString()))
        return false;

    for (int i = 0; i < tree.getNumProperties(); ++i)
    {
        const auto name = tree.getPropertyName (i);

        if (! isValidText (name.toString()) || ! ::hasValidText (tree.getProperty (name)))
            return false;
    }

    for (const auto& child : tree)
        if (! hasValidText (child))
            return false;

    return true;
}

bool StateValidation::isPlainName (const char* start, const char* end) noexcept
{
    const auto isLetter = [] (char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    const auto isNameCharacter = [&] (char c)
    {
        return isLetter (c) || (c >= '0' && c <= '9') || c == '_' || c == '-' || c == ':' || c == '.';
    };

    if (start == end || ! (isLetter (*start) || *start == '_' || *start == ':'))
        return false;

    return std::all_of (start, end, isNameCharacter);
}

bool StateValidation::hasPlainNames (const juce::ValueTree& tree)
{
    if (! ::isPlainName (tree.getType().toString()))
        return false;

    for (int i = 0; i < tree.getNumProperties(); ++i)
    {
        const auto name = tree.getPropertyName (i).toString();
        const auto xmlName = tree.getProperty (name).isBinaryData() ? "base64:" + name : name;

        if (name.isEmpty() || ! ::isPlainName (xmlName))
            return false;
    }

    for (const auto& child : tree)
        if (! hasPlainNames (child))
            return false;

    return true;
}

std::optional<double> StateValidation::finiteNumberIn (const juce::var& value)
{
    double number = 0.0;

    if (value.isInt() || value.isInt64() || value.isDouble() || value.isBool())
    {
        number = (double) value;
    }
    else if (value.isString())
    {
        const auto text = value.toString().trim();

        if (text.isEmpty())
            return {};

        auto position = text.getCharPointer();
        number = juce::CharacterFunctions::readDoubleValue (position);

        // "0.5 dB" or "12abc" hold more than a number.
        if (! position.isEmpty())
            return {};
    }
    else
    {
        return {};
    }

    if (! std::isfinite (number))
        return {};

    return number;
}
