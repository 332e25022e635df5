#include "MeterComponent.h"

#include "SharedPictures.h"

#include <BinaryData.h>

MeterComponent::MeterComponent (QuorlinAudioProcessor::Level& left, QuorlinAudioProcessor::Level& right)
    : leftStrip (&left.level),
      rightStrip (&right.level)
{
    leftStrip.setFilmstrip (SharedPictures::get (BinaryData::level_meter_left_png, BinaryData::level_meter_left_pngSize), 129);
    rightStrip.setFilmstrip (SharedPictures::get (BinaryData::level_meter_right_png, BinaryData::level_meter_right_pngSize), 129);

    addAndMakeVisible (leftStrip);
    addAndMakeVisible (rightStrip);
}

MeterComponent::~MeterComponent() = default;

void MeterComponent::resized()
{
    // The halves keep the ring's design size; the editor scales the meter as a whole.
    leftStrip.setBounds (0, 0, 55, 110);
    rightStrip.setBounds (55, 0, 55, 110);
}
