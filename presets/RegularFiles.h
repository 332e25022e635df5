#pragma once

#include <juce_core/juce_core.h>

#include <optional>

/** How the preset folder's files are read. Only regular files hold presets or favourites: a
    named pipe would block a read until something writes to it, and a device such as /dev/zero
    feeds it without end, whether it sits in the folder or is reached through a link.
*/
struct RegularFiles
{
    /** What a path is, links followed. */
    enum class Kind
    {
        missing,
        folder,
        regular,
        other
    };

    static Kind kindOf (const juce::File& file);

    /** The whole content of a regular file of at most sizeLimit bytes; nothing for anything else,
        which is not even opened. The file is opened without waiting and its kind is checked again
        on what was opened, so a file swapped for a pipe in between cannot block, and a file that
        grows while it is read is read no further than the limit.
    */
    static std::optional<juce::MemoryBlock> read (const juce::File& file, juce::int64 sizeLimit);
};
