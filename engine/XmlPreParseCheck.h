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
};
