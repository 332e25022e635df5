#pragma once

#include <juce_graphics/juce_graphics.h>

#include <array>
#include <memory>

/** The editor's embedded pictures, decoded once per process and shared by every plug-in instance.

    Each processor holds the pictures (acquire), so they live, decoded, for as long as any instance
    does, and an editor that opens again never decodes them again. The first holder starts decoding
    them all at once, in parallel on threads of its own; an editor that asks for a picture (get)
    before it is ready waits for that one only.
*/
class SharedPictures final
{
public:
    ~SharedPictures();

    /** The process's pictures: the ones that exist, or new ones, already decoding. */
    static std::shared_ptr<SharedPictures> acquire();

    /** The picture of these embedded bytes, once it is decoded: from the shared pictures while
        an instance holds them, else through the framework's image cache.
    */
    static juce::Image get (const void* data, int numBytes);

    /** Whether the shared pictures exist, that is whether some instance holds them. */
    static bool areHeld();

    /** The bytes the decoded pictures take, those decoded so far. */
    size_t getDecodedSize() const;

    /** Waits until every picture is decoded. */
    void waitUntilDecoded() const;

private:
    SharedPictures();

    struct Picture;

    const Picture* find (const void* data) const;

    std::array<std::unique_ptr<Picture>, 12> pictures;
    std::unique_ptr<juce::ThreadPool> decoders;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SharedPictures)
};
