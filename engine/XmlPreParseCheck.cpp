#include "XmlPreParseCheck.h"

#include "StateValidation.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace
{
    bool isXmlNameCharacter (char c) noexcept
    {
        return static_cast<unsigned char> (c) >= 0x80
                || juce::CharacterFunctions::isLetterOrDigit (c) || c == '_' || c == '-' || c == ':' || c == '.';
    }

    bool isDigit (char c, bool hex) noexcept
    {
        return hex ? juce::CharacterFunctions::getHexDigitValue ((juce::juce_wchar) c) >= 0
                   : c >= '0' && c <= '9';
    }
}

bool XmlPreParseCheck::isSafeToParse (const juce::String& text)
{
    const auto* raw = text.toRawUTF8();
    XmlPreParseCheck check (raw, raw + std::strlen (raw));

    return StateValidation::isValidUtf8 (check.start, (size_t) (check.end - check.start))
            && check.hasOnlyStandardEntities()
            && check.hasSafeMarkup();
}

XmlPreParseCheck::XmlPreParseCheck (const char* textStart, const char* textEnd) noexcept
    : start (textStart), end (textEnd), position (textStart)
{
}

//==============================================================================
/** True when every '&' starts one of the entities that XML itself defines. For any other the
    parser jumps to the next ';' wherever that is, even out of a quoted value, and reads text
    that begins with '<' as elements.
*/
bool XmlPreParseCheck::hasOnlyStandardEntities() const noexcept
{
    for (auto* ampersand = std::find (start, end, '&'); ampersand != end; ampersand = std::find (ampersand + 1, end, '&'))
        if (! isNamedEntity (ampersand + 1) && ! isCharacterReference (ampersand + 1))
            return false;

    return true;
}

bool XmlPreParseCheck::isNamedEntity (const char* name) const noexcept
{
    // The parser compares these names without regard to case.
    const auto isLowerCaseOf = [] (char a, char b) { return a == (char) std::tolower ((unsigned char) b); };
    const auto remaining = (size_t) (end - name);

    for (const auto* entity : { "amp;", "lt;", "gt;", "quot;", "apos;" })
        if (const auto length = std::strlen (entity); remaining >= length && std::equal (entity, entity + length, name, isLowerCaseOf))
            return true;

    return false;
}

/** "#" and up to 12 decimal digits, or "#x" and up to 8 hexadecimal ones, then ';'. */
bool XmlPreParseCheck::isCharacterReference (const char* name) const noexcept
{
    if (end - name < 3 || name[0] != '#')
        return false;

    const auto hex = name[1] == 'x' || name[1] == 'X';
    const auto* digits = name + (hex ? 2 : 1);
    const auto most = hex ? 8 : 12;
    const auto numDigits = numDigitsAt (digits, hex, most);

    return numDigits > 0 && numDigits <= most && digits + numDigits < end && digits[numDigits] == ';';
}

/** Counts no further than one digit past the most a reference may have. */
int XmlPreParseCheck::numDigitsAt (const char* from, bool hex, int most) const noexcept
{
    int length = 0;

    while (from + length < end && length <= most && isDigit (from[length], hex))
        ++length;

    return length;
}

//==============================================================================
/** Follows the parser from one '<' to the next; the text between the elements is passed over. */
bool XmlPreParseCheck::hasSafeMarkup() noexcept
{
    for (;;)
    {
        position = std::find (position, end, '<');

        if (position == end)
            return true;

        if (! readMarkup())
            return false;
    }
}

bool XmlPreParseCheck::readMarkup() noexcept
{
    if (passOver ("<!--", "-->") || passOver ("<![CDATA[", "]]>"))
        return true;

    // Document types, and the entities they declare, have no place in a preset.
    if (startsWith ("<!"))
        return false;

    // The XML declaration comes before the root; inside it an instruction can hang the parser.
    if (startsWith ("<?"))
        return ! insideRoot && passOver ("<?", "?>");

    if (passOver ("</", ">"))
    {
        depth = juce::jmax (0, depth - 1);
        return true;
    }

    return readElement();
}

bool XmlPreParseCheck::readElement() noexcept
{
    insideRoot = true;
    ++position;

    // Without a name right after the '<' the parser looks for one further on; without one
    // there it makes no element.
    if (! isAtName())
        skipParserSpace();

    if (! isAtName())
        return true;

    return readPlainName() && readAttributes();
}

/** The parser opens an element only when its tag ends in a plain '>'; any other trouble in the
    tag leaves an element without children.
*/
bool XmlPreParseCheck::readAttributes() noexcept
{
    for (int attributes = 0;; ++attributes)
    {
        skipParserSpace();

        if (isAt ('>'))
            return openElement();

        if (attributes == mostAttributes)
            return false;

        if (! isAtName())
            return true;

        if (! readPlainName())
            return false;

        if (! readValue())
            return true;
    }
}

/** The parser builds elements and attributes from any run of name characters, but a name that
    is no XML name is an error to the framework. Presets use plain names.
*/
bool XmlPreParseCheck::readPlainName() noexcept
{
    const auto* name = position;

    while (isAtName())
        ++position;

    return StateValidation::isPlainName (name, position);
}

/** The '=' and the quoted value after an attribute's name; false when they are not there, which
    ends the tag.
*/
bool XmlPreParseCheck::readValue() noexcept
{
    skipParserSpace();

    // The parser takes the next character, whatever it is, before it looks at it.
    const auto isEquals = isAt ('=');
    skipCharacter();

    if (! isEquals)
        return false;

    skipParserSpace();
    return passOver ("\"", "\"") || passOver ("'", "'");
}

bool XmlPreParseCheck::openElement() noexcept
{
    ++position;
    return ++depth <= deepestElement;
}

//==============================================================================
bool XmlPreParseCheck::startsWith (const char* prefix) const noexcept
{
    const auto length = std::strlen (prefix);
    return (size_t) (end - position) >= length && std::memcmp (position, prefix, length) == 0;
}

bool XmlPreParseCheck::isAt (char c) const noexcept
{
    return position < end && *position == c;
}

bool XmlPreParseCheck::isAtName() const noexcept
{
    return position < end && isXmlNameCharacter (*position);
}

/** When the text goes on with the opening, moves just past the next closing after it, or to the
    end where there is none.
*/
bool XmlPreParseCheck::passOver (const char* opening, const char* closing) noexcept
{
    if (! startsWith (opening))
        return false;

    const auto* closingEnd = closing + std::strlen (closing);
    const auto* found = std::search (position + std::strlen (opening), end, closing, closingEnd);
    position = found == end ? end : found + (closingEnd - closing);
    return true;
}

/** Inside a tag the parser passes over comments and instructions as it does over spaces. */
void XmlPreParseCheck::skipParserSpace() noexcept
{
    do
    {
        while (position < end && juce::CharacterFunctions::isWhitespace (*position))
            ++position;
    }
    while (passOver ("<!--", "-->") || passOver ("<?", "?>"));
}

/** One whole character, as the parser reads it. */
void XmlPreParseCheck::skipCharacter() noexcept
{
    if (position == end)
        return;

    const auto lead = static_cast<unsigned char> (*position);
    const auto length = lead < 0x80 ? 1 : lead < 0xe0 ? 2 : lead < 0xf0 ? 3 : 4;
    position = juce::jmin (end, position + length);
}
