#include "RegularFiles.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
    struct OpenedFile
    {
        explicit OpenedFile (const juce::File& file)
            : descriptor (open (file.getFullPathName().toRawUTF8(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC))
        {
        }

        ~OpenedFile()
        {
            if (descriptor >= 0)
                close (descriptor);
        }

        const int descriptor;

        JUCE_DECLARE_NON_COPYABLE (OpenedFile)
    };
}

RegularFiles::Kind RegularFiles::kindOf (const juce::File& file)
{
    struct stat info;

    if (stat (file.getFullPathName().toRawUTF8(), &info) != 0)
        return Kind::missing;

    if (S_ISDIR (info.st_mode))
        return Kind::folder;

    return S_ISREG (info.st_mode) ? Kind::regular : Kind::other;
}

std::optional<juce::MemoryBlock> RegularFiles::read (const juce::File& file, juce::int64 sizeLimit)
{
    // Devices can act on being opened (a tape rewinds, a port takes a line), so nothing else is
    // opened at all; the check on what was opened covers a swap in between.
    if (kindOf (file) != Kind::regular)
        return {};

    const OpenedFile opened (file);
    const auto descriptor = opened.descriptor;
    struct stat info;

    if (descriptor < 0)
        return {};

    if (fstat (descriptor, &info) != 0 || ! S_ISREG (info.st_mode) || info.st_size > sizeLimit)
        return {};

    // One byte more than the limit tells a file that grew past it since the size was taken.
    juce::MemoryBlock bytes ((size_t) info.st_size + 1);
    size_t filled = 0;

    for (;;)
    {
        if (filled == bytes.getSize())
        {
            if ((juce::int64) filled > sizeLimit)
                return {};

            bytes.setSize ((size_t) juce::jmin ((juce::int64) filled * 2, sizeLimit + 1));
        }

        const auto got = ::read (descriptor, static_cast<char*> (bytes.getData()) + filled, bytes.getSize() - filled);

        if (got == 0)
            break;

        if (got < 0)
        {
            if (errno == EINTR)
                continue;

            return {};
        }

        filled += (size_t) got;
    }

    if ((juce::int64) filled > sizeLimit)
        return {};

    bytes.setSize (filled);
    return bytes;
}
