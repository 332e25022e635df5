#include "XmlPreParseCheck.h"

#include "StateValidation.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace
{
    // A preset is a few kilobytes and two levels deep.
    constexpr int deepestElement = 16;
    constexpr int mostAttributes = 256;

    bool isXmlNameCharacter (char c) noexcept
    {
        return static_cast<unsigned char> (c) >= 0x80
                || juce::CharacterFunctions::isLetterOrDigit (c) || c == '_' || c == '-' || c == ':' || c == '.';
    }

    /** True when every '&' starts one of the entities that XML itself defines. For any other the
        parser jumps to the next ';' wherever that is, even out of a quoted value, and reads text
        that begins with '<' as elements.
    */
    bool hasOnlyStandardEntities (const char* p, const char* end) noexcept
    {
        const auto runOf = [&] (const char* from, auto isWanted, int longest)
        {
            int length = 0;

            while (from + length < end && length <= longest && isWanted (from[length]))
                ++length;

            return length;
        };

        for (; (p = static_cast<const char*> (std::memchr (p, '&', (size_t) (end - p)))) != nullptr; ++p)
        {
            const auto* name = p + 1;
            const auto remaining = (size_t) (end - name);
            // The parser compares these names without regard to case.
            const auto isNamed = [&] (const char* entity)
            {
                const auto length = std::strlen (entity);
                return remaining >= length
                        && std::equal (entity, entity + length, name,
                                       [] (char a, char b) { return a == (char) std::tolower ((unsigned char) b); });
            };

            if (isNamed ("amp;") || isNamed ("lt;") || isNamed ("gt;") || isNamed ("quot;") || isNamed ("apos;"))
                continue;

            if (remaining < 3 || name[0] != '#')
                return false;

            const auto hex = name[1] == 'x' || name[1] == 'X';
            const auto* digits = name + (hex ? 2 : 1);
            const auto numDigits = hex ? runOf (digits, [] (char c) { return juce::CharacterFunctions::getHexDigitValue ((juce::juce_wchar) c) >= 0; }, 8)
                                       : runOf (digits, [] (char c) { return c >= '0' && c <= '9'; }, 12);

            if (numDigits == 0 || numDigits > (hex ? 8 : 12) || digits + numDigits >= end || digits[numDigits] != ';')
                return false;
        }

        return true;
    }
}

bool XmlPreParseCheck::isSafeToParse (const juce::String& text)
{
    const auto* p = text.toRawUTF8();
    const auto* const end = p + std::strlen (p);

    if (! StateValidation::isValidUtf8 (p, (size_t) (end - p)) || ! hasOnlyStandardEntities (p, end))
        return false;

    const auto startsWith = [&] (const char* at, const char* prefix)
    {
        const auto length = std::strlen (prefix);
        return (size_t) (end - at) >= length && std::memcmp (at, prefix, length) == 0;
    };

    // The position just after the next occurrence of the marker, or the end.
    const auto after = [&] (const char* from, const char* marker)
    {
        const auto length = std::strlen (marker);

        for (; from + length <= end; ++from)
            if (std::memcmp (from, marker, length) == 0)
                return from + length;

        return end;
    };

    const auto skipSpace = [&] (const char* from)
    {
        while (from < end && juce::CharacterFunctions::isWhitespace (*from))
            ++from;

        return from;
    };

    const auto skipName = [&] (const char* from)
    {
        while (from < end && isXmlNameCharacter (*from))
            ++from;

        return from;
    };

    // Inside a tag the parser passes over comments and instructions as it does over spaces.
    const auto skipParserSpace = [&] (const char* from)
    {
        for (;;)
        {
            from = skipSpace (from);

            if (startsWith (from, "<!--"))      from = after (from + 4, "-->");
            else if (startsWith (from, "<?"))   from = after (from + 2, "?>");
            else                                return from;
        }
    };

    // One whole character, as the parser reads it.
    const auto nextCharacter = [&] (const char* from)
    {
        const auto lead = static_cast<unsigned char> (*from);
        const auto length = lead < 0x80 ? 1 : lead < 0xe0 ? 2 : lead < 0xf0 ? 3 : 4;
        return juce::jmin (end, from + length);
    };

    int depth = 0;
    bool insideRoot = false;

    while (p < end)
    {
        if (*p != '<')
        {
            ++p;
            continue;
        }

        if (startsWith (p, "<!--"))        { p = after (p + 4, "-->"); continue; }
        if (startsWith (p, "<![CDATA["))   { p = after (p + 9, "]]>"); continue; }

        // Document types, and the entities they declare, have no place in a preset.
        if (startsWith (p, "<!"))
            return false;

        if (startsWith (p, "<?"))
        {
            if (insideRoot)
                return false;

            p = after (p + 2, "?>");
            continue;
        }

        if (startsWith (p, "</"))
        {
            depth = juce::jmax (0, depth - 1);
            p = after (p + 2, ">");
            continue;
        }

        insideRoot = true;
        const auto* nameStart = p + 1;
        p = skipName (nameStart);

        // Without a name right after the '<' the parser looks for one further on; without one
        // there it makes no element.
        if (p == nameStart)
        {
            nameStart = skipParserSpace (nameStart);
            p = skipName (nameStart);

            if (p == nameStart)
                continue;
        }

        // The parser builds elements and attributes from any run of name characters, but a
        // name that is no XML name is an error to the framework. Presets use plain names.
        if (! StateValidation::isPlainName (nameStart, p))
            return false;

        // The parser opens an element only when its tag ends in a plain '>'; any other
        // trouble in the tag leaves an element without children.
        for (int attributes = 0;; ++attributes)
        {
            p = skipParserSpace (p);

            if (p < end && *p == '>')
            {
                ++p;

                if (++depth > deepestElement)
                    return false;

                break;
            }

            if (attributes == mostAttributes)
                return false;

            if (p >= end || ! isXmlNameCharacter (*p))
                break;

            const auto* attributeStart = p;
            p = skipName (p);

            if (! StateValidation::isPlainName (attributeStart, p))
                return false;

            p = skipParserSpace (p);

            // The parser takes the next character, whatever it is, before it looks at it.
            const auto isEquals = p < end && *p == '=';
            p = p < end ? nextCharacter (p) : p;

            if (! isEquals)
                break;

            p = skipParserSpace (p);

            if (p >= end || (*p != '"' && *p != '\''))
                break;

            const char quote[] = { *p, 0 };
            p = after (p + 1, quote);
        }
    }

    return true;
}
