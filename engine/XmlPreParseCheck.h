#pragma once

#include <juce_core/juce_core.h>

/** Whether the framework's XML parser can read a text quickly and safely. It reads past the end
    of malformed UTF-8, loops for ever on a processing instruction followed by text inside an
    element, recurses once per level of nesting, expands the entities of a document type, and
    slows down with the square of an element's attribute count. With only the standard entities
    in the text, the check can follow the parser's own reading of tags and quoted values; it errs
    on the side of refusing.
*/
class XmlPreParseCheck
{
public:
    static bool isSafeToParse (const juce::String& text);

private:
    XmlPreParseCheck (const char* textStart, const char* textEnd) noexcept;

    bool hasOnlyStandardEntities() const noexcept;
    bool isNamedEntity (const char* name) const noexcept;
    bool isCharacterReference (const char* name) const noexcept;
    int numDigitsAt (const char* from, bool hex, int most) const noexcept;

    // Each step reads on from the position and moves it past what it has read; false refuses
    // the text.
    bool hasSafeMarkup() noexcept;
    bool readMarkup() noexcept;
    bool readElement() noexcept;
    bool readAttributes() noexcept;
    bool readPlainName() noexcept;
    bool readValue() noexcept;
    bool openElement() noexcept;

    bool startsWith (const char* prefix) const noexcept;
    bool isAt (char c) const noexcept;
    bool isAtName() const noexcept;
    bool passOver (const char* opening, const char* closing) noexcept;
    void skipParserSpace() noexcept;
    void skipCharacter() noexcept;

    // A preset is two levels deep, with a handful of attributes on each element.
    static constexpr int deepestElement = 16;
    static constexpr int mostAttributes = 256;

    const char* const start;
    const char* const end;
    const char* position;
    int depth = 0;
    bool insideRoot = false;
};
