// processBlock must not touch the heap. This binary replaces the global allocation functions and
// counts every allocation made on the thread that is being watched.

#include "support/CorruptBlocks.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

extern "C" void* __libc_malloc (size_t);
extern "C" void* __libc_calloc (size_t, size_t);
extern "C" void* __libc_realloc (void*, size_t);
extern "C" void* __libc_memalign (size_t, size_t);

namespace
{
    thread_local bool watching = false;
    std::atomic<int> allocationsSeen { 0 };
    std::atomic<size_t> largestSeen { 0 };

    void noteAllocation (size_t size) noexcept
    {
        if (watching)
        {
            ++allocationsSeen;

            if (size > largestSeen)
                largestSeen = size;
        }
    }

    void* allocate (size_t size)
    {
        noteAllocation (size);

        if (auto* p = __libc_malloc (size == 0 ? 1 : size))
            return p;

        throw std::bad_alloc();
    }

    void* allocateAligned (size_t size, std::align_val_t alignment)
    {
        noteAllocation (size);

        if (auto* p = __libc_memalign ((size_t) alignment, size == 0 ? 1 : size))
            return p;

        throw std::bad_alloc();
    }

    /** Counts the allocations made on this thread while it lives. */
    struct AllocationWatch
    {
        AllocationWatch()       { allocationsSeen = 0; largestSeen = 0; watching = true; }
        ~AllocationWatch()      { watching = false; }

        int count() const       { return allocationsSeen.load(); }
        size_t largest() const  { return largestSeen.load(); }
    };
}

extern "C" void* malloc (size_t size)                    { noteAllocation (size); return __libc_malloc (size); }
extern "C" void* calloc (size_t count, size_t size)      { noteAllocation (count * size); return __libc_calloc (count, size); }
extern "C" void* realloc (void* p, size_t size)          { noteAllocation (size); return __libc_realloc (p, size); }

void* operator new (size_t size)                                   { return allocate (size); }
void* operator new[] (size_t size)                                 { return allocate (size); }
void* operator new (size_t size, const std::nothrow_t&) noexcept   { noteAllocation (size); return __libc_malloc (size == 0 ? 1 : size); }
void* operator new[] (size_t size, const std::nothrow_t&) noexcept { noteAllocation (size); return __libc_malloc (size == 0 ? 1 : size); }
void* operator new (size_t size, std::align_val_t alignment)       { return allocateAligned (size, alignment); }
void* operator new[] (size_t size, std::align_val_t alignment)     { return allocateAligned (size, alignment); }
void operator delete (void* p) noexcept                            { std::free (p); }
void operator delete[] (void* p) noexcept                          { std::free (p); }
void operator delete (void* p, size_t) noexcept                    { std::free (p); }
void operator delete[] (void* p, size_t) noexcept                  { std::free (p); }
void operator delete (void* p, std::align_val_t) noexcept          { std::free (p); }
void operator delete[] (void* p, std::align_val_t) noexcept        { std::free (p); }
void operator delete (void* p, size_t, std::align_val_t) noexcept  { std::free (p); }
void operator delete[] (void* p, size_t, std::align_val_t) noexcept { std::free (p); }

namespace
{
    using TestSupport::setParameter;

    constexpr double hostRate = 48000.0;
    constexpr int blockSize = 512;

    int allocationsWhileProcessing (QuorlinAudioProcessor& processor, int numChannels, int numBlocks,
                                    bool hostBypassed = false, int numSamples = blockSize)
    {
        auto buffer = TestSupport::makeSine (numChannels, numSamples, hostRate, 440.0, 0.5f);
        juce::MidiBuffer midi;

        AllocationWatch watch;

        for (int b = 0; b < numBlocks; ++b)
        {
            if (hostBypassed)
                processor.processBlockBypassed (buffer, midi);
            else
                processor.processBlock (buffer, midi);
        }

        return watch.count();
    }
}

TEST (RealTimeSafety, TheWatchSeesAllocations)
{
    AllocationWatch watch;
    auto array = std::make_unique<float[]> (64);
    juce::HeapBlock<float> block (64);
    EXPECT_GE (watch.count(), 2);
}

TEST (RealTimeSafety, ProcessBlockNeverAllocates)
{
    for (int numChannels : { 2, 1 })
    {
        SCOPED_TRACE (numChannels == 2 ? "stereo" : "mono");

        QuorlinAudioProcessor processor;
        ASSERT_TRUE (TestSupport::prepareLoaded (processor, hostRate, blockSize, numChannels));
        setParameter (processor, ParameterIds::compressor, 1.0f);
        setParameter (processor, ParameterIds::threshold, 18.0f);
        setParameter (processor, ParameterIds::ratio, 5.0f);

        for (int index = 0; index < 4; ++index)
        {
            setParameter (processor, ParameterIds::oversampling, (float) index);
            EXPECT_EQ (allocationsWhileProcessing (processor, numChannels, 3), 0) << "os " << index;
        }

        setParameter (processor, ParameterIds::typeA, 0.0f);
        setParameter (processor, ParameterIds::typeD, 1.0f);
        EXPECT_EQ (allocationsWhileProcessing (processor, numChannels, 2), 0) << "type change";

        setParameter (processor, ParameterIds::power, 0.0f);
        EXPECT_EQ (allocationsWhileProcessing (processor, numChannels, 2), 0) << "power off";

        setParameter (processor, ParameterIds::typeD, 0.0f);
        setParameter (processor, ParameterIds::typeB, 1.0f);
        setParameter (processor, ParameterIds::oversampling, 1.0f);
        setParameter (processor, ParameterIds::power, 1.0f);
        EXPECT_EQ (allocationsWhileProcessing (processor, numChannels, 2), 0) << "power back on";

        setParameter (processor, ParameterIds::eq, 0.0f);
        setParameter (processor, ParameterIds::compressor, 0.0f);
        EXPECT_EQ (allocationsWhileProcessing (processor, numChannels, 2), 0) << "sections off";

        // Every setting gliding and every switch crossfading at once, oversampling included.
        setParameter (processor, ParameterIds::eq, 1.0f);
        setParameter (processor, ParameterIds::compressor, 1.0f);
        setParameter (processor, ParameterIds::oversampling, 3.0f);

        for (const auto* id : { "knob1", "knob2", "knob3", "knob4", "knob5", "knob6", "knob7", "knob8", "knob9", "knob10", "knob11" })
            setParameter (processor, id, processor.apvts->getParameterRange (id).end);

        EXPECT_EQ (allocationsWhileProcessing (processor, numChannels, 3), 0) << "everything moving";

        EXPECT_EQ (allocationsWhileProcessing (processor, numChannels, 3, true), 0) << "host bypass";
        EXPECT_EQ (allocationsWhileProcessing (processor, numChannels, 2, false, 3 * blockSize + 7), 0) << "longer blocks than announced";
    }
}

TEST (StateBlocks, CorruptOnesAreRefusedWithoutLargeOrManyAllocations)
{
    QuorlinAudioProcessor processor;

    for (const auto& c : CorruptBlocks::cases())
    {
        AllocationWatch watch;
        processor.setStateInformation (c.block.getData(), (int) c.block.getSize());

        // Reading such a block trustingly reserves gigabytes, or allocates once per declared item.
        EXPECT_LT (watch.largest(), (size_t) 1 << 20) << c.what;
        EXPECT_LT (watch.count(), 1000) << c.what;
    }
}
