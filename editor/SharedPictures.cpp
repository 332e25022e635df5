#include "SharedPictures.h"

#include <BinaryData.h>

#include <mutex>

struct SharedPictures::Picture
{
    Picture (const void* bytes, int numBytes) : data (bytes), size (numBytes) {}

    const void* const data;
    const int size;
    juce::Image image;
    juce::WaitableEvent decoded { true };
};

namespace
{
    std::mutex sharedPicturesLock;
    std::weak_ptr<SharedPictures> sharedPictures;
}

SharedPictures::SharedPictures()
    : pictures { {
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
          std::make_unique<Picture> (BinaryData::section_button_png, BinaryData::section_button_pngSize) } },
      // Four take the four large strips at once; the small ones follow in a moment.
      decoders (std::make_unique<juce::ThreadPool> (juce::jlimit (1, 4, juce::SystemStats::getNumCpus()), 0, juce::Thread::Priority::low))
{
    for (auto& picture : pictures)
    {
        decoders->addJob ([p = picture.get()]
        {
            p->image = juce::ImageFileFormat::loadFrom (p->data, (size_t) p->size);
            p->decoded.signal();
        });
    }
}

// The decoders go first: a picture still being decoded is finished before the pictures go.
SharedPictures::~SharedPictures()
{
    decoders.reset();
}

std::shared_ptr<SharedPictures> SharedPictures::acquire()
{
    const std::lock_guard<std::mutex> lock (sharedPicturesLock);

    if (auto existing = sharedPictures.lock())
        return existing;

    std::shared_ptr<SharedPictures> made (new SharedPictures());
    sharedPictures = made;
    return made;
}

bool SharedPictures::areHeld()
{
    const std::lock_guard<std::mutex> lock (sharedPicturesLock);
    return ! sharedPictures.expired();
}

juce::Image SharedPictures::get (const void* data, int numBytes)
{
    std::shared_ptr<SharedPictures> held;

    {
        const std::lock_guard<std::mutex> lock (sharedPicturesLock);
        held = sharedPictures.lock();
    }

    if (held != nullptr)
    {
        if (const auto* picture = held->find (data))
        {
            picture->decoded.wait();
            return picture->image;
        }
    }

    return juce::ImageCache::getFromMemory (data, numBytes);
}

const SharedPictures::Picture* SharedPictures::find (const void* data) const
{
    for (const auto& picture : pictures)
        if (picture->data == data)
            return picture.get();

    return nullptr;
}

size_t SharedPictures::getDecodedSize() const
{
    size_t bytes = 0;

    for (const auto& picture : pictures)
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
    for (const auto& picture : pictures)
        picture->decoded.wait();
}
