#pragma once

#include <juce_data_structures/juce_data_structures.h>

#include <optional>

/** Checks that stored state (host state blocks, preset files) gets before the framework reads it,
    so that damaged or hostile data is refused instead of hanging, exhausting memory or coming
    back in a form that no longer loads.
*/
namespace StateValidation
{
    /** Strict UTF-8 (no overlong forms, surrogates or code points beyond U+10FFFF). */
    bool isValidUtf8 (const char* text, size_t numBytes) noexcept;

    /** Walks a block in the framework's binary ValueTree form without building anything, and
        tells whether reading it is safe: every count it declares fits in the bytes that remain,
        nesting stays shallow, no node is absurdly large, no field is of a kind the reader treats
        as corrupt, and every string is valid UTF-8.
    */
    bool isReadableStateBlock (const void* data, size_t numBytes) noexcept;

    /** True when the type, every property name and every text value of the tree, at every depth,
        is valid UTF-8.
    */
    bool hasValidText (const juce::ValueTree& tree);

    /** A name as presets spell their elements and attributes: an ASCII letter, '_' or ':', then
        letters, digits, '_', '-', ':' or '.'.
    */
    bool isPlainName (const char* start, const char* end) noexcept;

    /** True when the type and every property name of the tree, at every depth, can be written in
        both stored forms and read back the same: a plain name, also with the "base64:" prefix
        that a binary value's name takes in XML. An empty name is none; the binary form cannot
        even read one back.
    */
    bool hasPlainNames (const juce::ValueTree& tree);

    /** The value as a finite number: a number, or a text that holds one and nothing else.
        Nothing for anything else, including "nan", "inf" and values beyond the double range.
    */
    std::optional<double> finiteNumberIn (const juce::var& value);
}
