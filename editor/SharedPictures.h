#pragma once

#include <juce_graphics/juce_graphics.h>

#include <memory>

/** The editor's embedded pictures, decoded once per process and shared by every plug-in instance,
    and the artwork stretched to the editor's size.

    Each processor holds the pictures (acquire), so they live, decoded, for as long as any instance
    does, and an editor that opens again never decodes them again. Nothing is decoded while an
    instance is new: one that a host makes and drops at once, as a plug-in scan does, costs
    nothing. Decoding starts a moment later (startDelayMs), or at once when an editor asks for
    them, on threads of the module's own that outlive every instance, so that dropping an instance
    never waits: once the last holder has gone, what has not started is dropped and what is under
    way finishes by itself. Work under way when the module is unloaded is waited for there; no
    thread is ever stopped by force.

    When decoding starts ahead of any editor, the message thread then prepares the editor's first
    opening (QuorlinAudioProcessorEditor::prepareFirstOpening), which has the artwork stretched in
    the background for the size the next editor opens at.
*/
class SharedPictures final
{
public:
    ~SharedPictures();

    /** How long an instance lives before its pictures start decoding, unless an editor asks first. */
    static constexpr int startDelayMs = 1000;

    /** The process's pictures: the ones that exist, or new ones, which start decoding after the delay. */
    static std::shared_ptr<SharedPictures> acquire();

    /** Starts decoding at once, if it had not started; the pictures, or nullptr while no instance
        holds them.
    */
    static std::shared_ptr<SharedPictures> startDecoding();

    /** The picture of these embedded bytes, once it is decoded: from the shared pictures while
        an instance holds them, which starts decoding them if it had not started, else through
        the framework's image cache.
    */
    static juce::Image get (const void* data, int numBytes);

    /** The artwork stretched over width x height pixels: the copy prepared for that size if there
        is one (waiting for it if it is being made), else stretched now and kept for the next
        editor while an instance holds the pictures.
    */
    static juce::Image getStretchedArtwork (int width, int height);

    /** Has the artwork stretched for width x height pixels in the background, once it is decoded,
        unless a copy of that size is kept already.
    */
    static void prepareStretchedArtwork (int width, int height);

    /** Whether a stretched copy of the artwork of width x height pixels is kept for the editors. */
    static bool hasStretchedArtwork (int width, int height);

    /** Whether the shared pictures exist, that is whether some instance holds them. */
    static bool areHeld();

    /** How many pictures the process has started decoding on the pictures' threads, ever. */
    static int getNumDecodesStarted();

    /** Waits until the pictures' threads have nothing to do: nothing under way, nothing due. */
    static void waitUntilIdle();

    /** The bytes the decoded pictures take, those decoded so far. */
    size_t getDecodedSize() const;

    /** Starts decoding if it had not started, and waits until every picture is decoded. */
    void waitUntilDecoded() const;

private:
    SharedPictures();

    struct Picture;
    struct Work;
    class Workers;

    /** The holders' pictures, or nullptr while no instance holds them. */
    static std::shared_ptr<SharedPictures> held();

    /** The pictures and the work on them, which outlives this object while a thread works on it. */
    std::shared_ptr<Work> work;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SharedPictures)
};
