#include "SharedPictures.h"

#include "PluginEditor.h"

#include <BinaryData.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace
{
    using Clock = std::chrono::steady_clock;

    std::mutex holdersLock;
    std::weak_ptr<SharedPictures> sharedPictures;

    std::atomic<int> decodesStarted { 0 };

    // Straight to the one format they are in: the framework's list of formats is a static that
    // may be gone while the module unloads and a picture is still decoding.
    juce::Image decode (const void* data, int numBytes)
    {
        juce::MemoryInputStream stream (data, (size_t) numBytes, false);
        return juce::PNGImageFormat().decodeImage (stream);
    }

    juce::Image stretch (const juce::Image& artwork, int width, int height)
    {
        // Cleared first: the resampling leaves the last column partly uncovered, which would
        // otherwise show whatever the memory held before.
        juce::Image stretched (juce::Image::RGB, width, height, true);
        juce::Graphics g (stretched);
        g.drawImage (artwork, 0, 0, width, height, 0, 0, artwork.getWidth(), artwork.getHeight());
        return stretched;
    }
}

//==============================================================================
struct SharedPictures::Picture
{
    Picture (const void* bytes, int numBytes) : data (bytes), size (numBytes) {}

    const void* const data;
    const int size;
    juce::Image image;
    juce::WaitableEvent decoded { true };
};

struct SharedPictures::Work
{
    const Picture* find (const void* data) const
    {
        for (const auto& picture : pictures)
            if (picture->data == data)
                return picture.get();

        return nullptr;
    }

    const Picture& artwork() const  { return *find (BinaryData::background_png); }

    const std::array<std::unique_ptr<Picture>, 12> pictures { {
        // The largest first, so that the last to finish is started first.
        std::make_unique<Picture> (BinaryData::needle_meter_png, BinaryData::needle_meter_pngSize),
        std::make_unique<Picture> (BinaryData::knob_167px_129f_png, BinaryData::knob_167px_129f_pngSize),
        std::make_unique<Picture> (BinaryData::knob_100px_129f_png, BinaryData::knob_100px_129f_pngSize),
        std::make_unique<Picture> (BinaryData::background_png, BinaryData::background_pngSize),
        std::make_unique<Picture> (BinaryData::knob_167px_6f_png, BinaryData::knob_167px_6f_pngSize),
        std::make_unique<Picture> (BinaryData::knob_100px_5f_png, BinaryData::knob_100px_5f_pngSize),
        std::make_unique<Picture> (BinaryData::level_meter_right_png, BinaryData::level_meter_right_pngSize),
        std::make_unique<Picture> (BinaryData::level_meter_left_png, BinaryData::level_meter_left_pngSize),
        std::make_unique<Picture> (BinaryData::power_button_png, BinaryData::power_button_pngSize),
        std::make_unique<Picture> (BinaryData::logo_png, BinaryData::logo_pngSize),
        std::make_unique<Picture> (BinaryData::type_button_png, BinaryData::type_button_pngSize),
        std::make_unique<Picture> (BinaryData::section_button_png, BinaryData::section_button_pngSize) } };

    // The rest belongs to the workers, under their lock.
    Clock::time_point startTime = Clock::now() + std::chrono::milliseconds (startDelayMs);
    bool startedEarly = false;
    size_t nextPicture = 0;

    /** The artwork stretched, kept for the editors; the size asked of the workers, and the size
        they are making (zero when none).
    */
    juce::Image stretchedArtwork;
    juce::Point<int> wantedArtworkSize, artworkSizeUnderWay;
};

//==============================================================================
/** The module's threads for the pictures. They live until the module is unloaded, which waits
    for the work under way; pictures not yet started are dropped with their holders.
*/
class SharedPictures::Workers
{
public:
    static Workers& instance()
    {
        static Workers workers;
        return workers;
    }

    ~Workers()
    {
        {
            const std::lock_guard<std::mutex> lock (mutex);
            quitting = true;
        }

        changed.notify_all();

        for (auto& thread : threads)
            thread.join();
    }

    void add (std::shared_ptr<Work> work)
    {
        const std::lock_guard<std::mutex> lock (mutex);

        // Four take the four large strips at once; the small ones follow in a moment.
        while ((int) threads.size() < juce::jlimit (1, 4, juce::SystemStats::getNumCpus()))
            threads.emplace_back ([this] { run(); });

        works.push_back (std::move (work));
        changed.notify_all();
    }

    void drop (const Work& work)
    {
        const std::lock_guard<std::mutex> lock (mutex);
        works.erase (std::remove_if (works.begin(), works.end(), [&work] (const auto& w) { return w.get() == &work; }), works.end());
        changed.notify_all();
    }

    void startNow (Work& work)
    {
        const std::lock_guard<std::mutex> lock (mutex);

        if (work.nextPicture == 0 && work.startTime > Clock::now())
        {
            work.startTime = Clock::now();
            work.startedEarly = true;
            changed.notify_all();
        }
    }

    /** The stretched artwork of this size if one is kept, after waiting for it if it is being made. */
    juce::Image findStretchedArtwork (const Work& work, juce::Point<int> size)
    {
        std::unique_lock<std::mutex> lock (mutex);
        changed.wait (lock, [&] { return work.artworkSizeUnderWay != size; });

        if (work.stretchedArtwork.getBounds().getBottomRight() == size)
            return work.stretchedArtwork;

        return {};
    }

    bool keepsStretchedArtwork (const Work& work, juce::Point<int> size)
    {
        const std::lock_guard<std::mutex> lock (mutex);
        return work.stretchedArtwork.isValid() && work.stretchedArtwork.getBounds().getBottomRight() == size;
    }

    /** An editor's own copy replaces the kept one and what was asked before it. */
    void keepStretchedArtwork (Work& work, const juce::Image& stretched)
    {
        const std::lock_guard<std::mutex> lock (mutex);
        work.stretchedArtwork = stretched;
        work.wantedArtworkSize = {};
        changed.notify_all();
    }

    void wantStretchedArtwork (Work& work, juce::Point<int> size)
    {
        const std::lock_guard<std::mutex> lock (mutex);

        if (work.stretchedArtwork.getBounds().getBottomRight() != size && work.artworkSizeUnderWay != size)
        {
            work.wantedArtworkSize = size;
            changed.notify_all();
        }
    }

    void waitUntilIdle()
    {
        std::unique_lock<std::mutex> lock (mutex);
        changed.wait (lock, [this] { return tasksUnderWay == 0 && ! findTask (Clock::now()).has_value(); });
    }

private:
    Workers() = default;

    struct Task
    {
        std::shared_ptr<Work> work;
        Picture* picture = nullptr;
        juce::Point<int> artworkSize;
    };

    static bool wantsArtworkStretched (const Work& work)
    {
        return work.wantedArtworkSize != juce::Point<int>() && work.artworkSizeUnderWay == juce::Point<int>()
            && work.artwork().decoded.wait (0);
    }

    /** What is to be done now, if anything. */
    std::optional<Task> findTask (Clock::time_point now) const
    {
        for (const auto& work : works)
        {
            if (now < work->startTime)
                continue;

            if (wantsArtworkStretched (*work))
                return Task { work, nullptr, work->wantedArtworkSize };

            if (work->nextPicture < work->pictures.size())
                return Task { work, work->pictures[work->nextPicture].get(), {} };
        }

        return {};
    }

    Clock::time_point nextStartTime() const
    {
        auto next = Clock::time_point::max();

        for (const auto& work : works)
            if (work->nextPicture == 0)
                next = std::min (next, work->startTime);

        return next;
    }

    void run()
    {
        juce::Thread::setCurrentThreadName ("Editor pictures");
        std::unique_lock<std::mutex> lock (mutex);

        while (! quitting)
        {
            const auto now = Clock::now();
            const auto task = findTask (now);

            if (! task.has_value())
            {
                if (const auto next = nextStartTime(); next > now && next != Clock::time_point::max())
                    changed.wait_until (lock, next);
                else
                    changed.wait (lock);

                continue;
            }

            auto& work = *task->work;
            const auto startsAheadOfEditor = task->picture != nullptr && work.nextPicture == 0 && ! work.startedEarly;

            if (task->picture != nullptr)
            {
                ++work.nextPicture;
            }
            else
            {
                work.artworkSizeUnderWay = task->artworkSize;
                work.wantedArtworkSize = {};
            }

            ++tasksUnderWay;
            lock.unlock();

            if (startsAheadOfEditor)
                announceDecoding();

            const auto stretched = perform (*task);

            lock.lock();
            --tasksUnderWay;

            if (task->picture == nullptr)
            {
                work.stretchedArtwork = stretched;
                work.artworkSizeUnderWay = {};
            }

            changed.notify_all();
        }
    }

    /** Decodes the task's picture, or returns the artwork stretched. */
    static juce::Image perform (const Task& task)
    {
        if (auto* picture = task.picture)
        {
            ++decodesStarted;
            picture->image = decode (picture->data, picture->size);
            picture->decoded.signal();
            return {};
        }

        return stretch (task.work->artwork().image, task.artworkSize.x, task.artworkSize.y);
    }

    /** The pictures decode with no editor waiting: the rest of its first opening is made ready
        on the message thread, while an instance still holds them.
    */
    static void announceDecoding()
    {
        if (juce::MessageManager::getInstanceWithoutCreating() != nullptr)
            juce::MessageManager::callAsync ([]
            {
                if (areHeld())
                    QuorlinAudioProcessorEditor::prepareFirstOpening();
            });
    }

    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::shared_ptr<Work>> works;
    std::vector<std::thread> threads;
    int tasksUnderWay = 0;
    bool quitting = false;
};

//==============================================================================
SharedPictures::SharedPictures()
    : work (std::make_shared<Work>())
{
    Workers::instance().add (work);
}

SharedPictures::~SharedPictures()
{
    Workers::instance().drop (*work);
}

std::shared_ptr<SharedPictures> SharedPictures::acquire()
{
    const std::lock_guard<std::mutex> lock (holdersLock);

    if (auto existing = sharedPictures.lock())
        return existing;

    std::shared_ptr<SharedPictures> made (new SharedPictures());
    sharedPictures = made;
    return made;
}

std::shared_ptr<SharedPictures> SharedPictures::held()
{
    const std::lock_guard<std::mutex> lock (holdersLock);
    return sharedPictures.lock();
}

bool SharedPictures::areHeld()
{
    return held() != nullptr;
}

std::shared_ptr<SharedPictures> SharedPictures::startDecoding()
{
    auto pictures = held();

    if (pictures != nullptr)
        Workers::instance().startNow (*pictures->work);

    return pictures;
}

juce::Image SharedPictures::get (const void* data, int numBytes)
{
    if (const auto pictures = held())
    {
        if (const auto* picture = pictures->work->find (data))
        {
            Workers::instance().startNow (*pictures->work);
            picture->decoded.wait();
            return picture->image;
        }
    }

    return juce::ImageCache::getFromMemory (data, numBytes);
}

juce::Image SharedPictures::getStretchedArtwork (int width, int height)
{
    const auto pictures = held();

    if (pictures == nullptr)
        return stretch (juce::ImageCache::getFromMemory (BinaryData::background_png, BinaryData::background_pngSize), width, height);

    auto& workers = Workers::instance();

    if (auto kept = workers.findStretchedArtwork (*pictures->work, { width, height }); kept.isValid())
        return kept;

    const auto stretched = stretch (get (BinaryData::background_png, BinaryData::background_pngSize), width, height);
    workers.keepStretchedArtwork (*pictures->work, stretched);
    return stretched;
}

bool SharedPictures::hasStretchedArtwork (int width, int height)
{
    const auto pictures = held();
    return pictures != nullptr && Workers::instance().keepsStretchedArtwork (*pictures->work, { width, height });
}

void SharedPictures::prepareStretchedArtwork (int width, int height)
{
    if (const auto pictures = held())
        Workers::instance().wantStretchedArtwork (*pictures->work, { width, height });
}

int SharedPictures::getNumDecodesStarted()
{
    return decodesStarted.load();
}

void SharedPictures::waitUntilIdle()
{
    Workers::instance().waitUntilIdle();
}

size_t SharedPictures::getDecodedSize() const
{
    size_t bytes = 0;

    for (const auto& picture : work->pictures)
    {
        if (picture->decoded.wait (0) && picture->image.isValid())
        {
            const juce::Image::BitmapData pixels (picture->image, juce::Image::BitmapData::readOnly);
            bytes += (size_t) pixels.lineStride * (size_t) pixels.height;
        }
    }

    return bytes;
}

void SharedPictures::waitUntilDecoded() const
{
    Workers::instance().startNow (*work);

    for (const auto& picture : work->pictures)
        picture->decoded.wait();
}
