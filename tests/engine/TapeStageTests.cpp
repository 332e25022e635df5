#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <BinaryData.h>
#include <juce_audio_formats/juce_audio_formats.h>

namespace
{
    struct ImpulseResponseFormat
    {
        const char* name;
        const char* data;
        int size;
        int expectedBytes;
        int formatTag;   // 1: plain PCM header, 0xFFFE: extensible header
        int bits, channels;
        double sampleRate;
        juce::int64 frames;
    };

    const ImpulseResponseFormat impulseResponses[] = {
        { "ir_tape0_speed0", BinaryData::ir_tape0_speed0_wav, BinaryData::ir_tape0_speed0_wavSize, 3568,   1,      24, 2, 44100.0, 470 },
        { "ir_tape0_speed1", BinaryData::ir_tape0_speed1_wav, BinaryData::ir_tape0_speed1_wavSize, 3568,   1,      24, 2, 44100.0, 470 },
        { "ir_tape1_speed0", BinaryData::ir_tape1_speed0_wav, BinaryData::ir_tape1_speed0_wavSize, 2150,   0xFFFE, 16, 1, 96000.0, 1024 },
        { "ir_tape1_speed1", BinaryData::ir_tape1_speed1_wav, BinaryData::ir_tape1_speed1_wavSize, 3568,   1,      24, 2, 44100.0, 470 },
        { "ir_tape2_speed0", BinaryData::ir_tape2_speed0_wav, BinaryData::ir_tape2_speed0_wavSize, 282404, 1,      24, 2, 96000.0, 47060 },
        { "ir_tape2_speed1", BinaryData::ir_tape2_speed1_wav, BinaryData::ir_tape2_speed1_wavSize, 293012, 1,      24, 2, 96000.0, 48828 },
        { "ir_tape3_speed0", BinaryData::ir_tape3_speed0_wav, BinaryData::ir_tape3_speed0_wavSize, 204360, 1,      24, 2, 96000.0, 33012 },
        { "ir_tape3_speed1", BinaryData::ir_tape3_speed1_wav, BinaryData::ir_tape3_speed1_wavSize, 193200, 1,      24, 2, 96000.0, 31160 },
        { "ir_tape4_speed0", BinaryData::ir_tape4_speed0_wav, BinaryData::ir_tape4_speed0_wavSize, 91800,  1,      16, 2, 44100.0, 22200 },
        { "ir_tape4_speed1", BinaryData::ir_tape4_speed1_wav, BinaryData::ir_tape4_speed1_wavSize, 114532, 1,      24, 2, 44100.0, 19081 },
    };

    struct SlotRow
    {
        TapeType type;
        TapeSpeed speed;
        float inputGain, outputGain;
        double Ms, a, c;
    };

    // Ms, a and c as derived from each slot's width, saturation and drive.
    const SlotRow slots[] = {
        { tape0, speed0, 0.3f,  8.3f,   0.9500000179, 0.1926977741, 0.5816079985 },
        { tape1, speed0, 0.3f,  4.8f,   1.099999964,  0.2231237269, 0.5377225684 },
        { tape2, speed0, 0.5f,  1.2f,   1.099999964,  0.2286902179, 0.5377225684 },
        { tape3, speed0, 0.18f, 1.2f,   0.9500000179, 0.1926977741, 0.5816079985 },
        { tape4, speed0, 0.18f, 7.148f, 0.9500000179, 0.1926977741, 0.9386832973 },
        { tape0, speed1, 0.3f,  3.7f,   0.9500000179, 0.1926977741, 0.5816079985 },
        { tape1, speed1, 0.3f,  9.5f,   1.099999964,  0.2231237269, 0.9386832973 },
        { tape2, speed1, 0.18f, 1.5f,   0.9500000179, 0.1374819157, 0.9386832973 },
        { tape3, speed1, 0.18f, 1.3f,   0.9500000179, 0.1374819157, 0.9386832973 },
        { tape4, speed1, 0.18f, 6.1f,   0.9500000179, 0.1374819157, 0.9386832973 },
    };

    constexpr double hostRate = 48000.0;
    constexpr int blockSize = 256;

    void processSine (TapeTypeProcessor& stage, int numChannels, int numBlocks)
    {
        for (int b = 0; b < numBlocks; ++b)
        {
            auto buffer = TestSupport::makeSine (numChannels, blockSize, hostRate, 220.0, 0.8f, b * blockSize);
            stage.process (buffer);
        }
    }
}

TEST (ImpulseResponses, EmbeddedFilesHaveTheirListedFormats)
{
    juce::WavAudioFormat wav;

    for (const auto& ir : impulseResponses)
    {
        SCOPED_TRACE (ir.name);
        ASSERT_EQ (ir.size, ir.expectedBytes);

        const auto* bytes = reinterpret_cast<const unsigned char*> (ir.data);
        EXPECT_EQ (juce::String::fromUTF8 (ir.data, 4), "RIFF");
        EXPECT_EQ (bytes[20] | (bytes[21] << 8), ir.formatTag);

        auto stream = std::make_unique<juce::MemoryInputStream> (ir.data, (size_t) ir.size, false);
        std::unique_ptr<juce::AudioFormatReader> reader (wav.createReaderFor (stream.release(), true));
        ASSERT_NE (reader, nullptr);

        EXPECT_EQ ((int) reader->bitsPerSample, ir.bits);
        EXPECT_EQ ((int) reader->numChannels, ir.channels);
        EXPECT_EQ (reader->sampleRate, ir.sampleRate);
        EXPECT_EQ (reader->lengthInSamples, ir.frames);
        EXPECT_FALSE (reader->usesFloatingPointData);

        // Usable colourings: a clear, unclipped response.
        juce::AudioBuffer<float> samples (ir.channels, (int) ir.frames);
        reader->read (&samples, 0, (int) ir.frames, 0, true, true);

        for (int ch = 0; ch < ir.channels; ++ch)
        {
            EXPECT_GT (samples.getMagnitude (ch, 0, (int) ir.frames), 0.1f);
            EXPECT_LT (samples.getMagnitude (ch, 0, (int) ir.frames), 1.0f);
        }
    }
}

TEST (TapeStage, EachSlotTakesItsSettings)
{
    for (const auto& row : slots)
    {
        SCOPED_TRACE (tapeSlot (row.type, row.speed));
        TapeTypeProcessor stage (row.type, row.speed);

        EXPECT_EQ (stage.inputGain, row.inputGain);
        EXPECT_EQ (stage.outputGain, row.outputGain);
        EXPECT_EQ (stage.shelfFrequency, 25.0f);
        EXPECT_EQ (stage.shelfGain, 0.063095726f);

        for (const auto& model : stage.hysteresis)
        {
            EXPECT_NEAR (model.Ms, row.Ms, 1.0e-9);
            EXPECT_NEAR (model.a, row.a, 1.0e-9);
            EXPECT_NEAR (model.c, row.c, 1.0e-9);
            EXPECT_EQ (model.iterations, 4);
        }

        for (size_t e = 0; e < stage.oversamplers.size(); ++e)
            EXPECT_EQ (stage.oversamplers[e]->getOversamplingFactor(), (size_t) 1 << e);
    }
}

TEST (TapeStage, ModelRunsAtTheOversampledRate)
{
    TapeTypeProcessor stage (tape0, speed0);
    stage.prepare (hostRate, blockSize);

    EXPECT_EQ (stage.hysteresis[0].T, 1.0 / 48000.0);
    EXPECT_EQ (stage.hysteresis[0].stepTime, 1.0 / 48000.0 / 1.9);

    stage.setOversamplingIndex (3);
    EXPECT_EQ (stage.oversamplingFactor, 8);
    EXPECT_EQ (stage.hysteresis[0].T, 1.0 / 384000.0);
    EXPECT_EQ (stage.hysteresis[1].T, 1.0 / 384000.0);

    stage.setOversamplingIndex (0);
    EXPECT_EQ (stage.hysteresis[0].T, 1.0 / 48000.0);

    // A preparation uses the choice of the last block.
    stage.setOversamplingIndex (2);
    stage.prepare (96000.0, blockSize);
    EXPECT_EQ (stage.oversamplingFactor, 4);
    EXPECT_EQ (stage.hysteresis[0].T, 1.0 / 384000.0);
}

TEST (TapeStage, ModelStateSurvivesOversamplingChangesAndPreparation)
{
    TapeTypeProcessor stage (tape1, speed1);
    ASSERT_TRUE (TestSupport::prepareLoaded (stage, hostRate, blockSize));
    processSine (stage, 2, 4);

    const auto magnetisation = stage.hysteresis[0].prevM;
    const auto field = stage.hysteresis[0].prevH;
    ASSERT_NE (magnetisation, 0.0);

    stage.setOversamplingIndex (2);
    stage.prepare (hostRate, blockSize);
    EXPECT_EQ (stage.hysteresis[0].prevM, magnetisation);
    EXPECT_EQ (stage.hysteresis[0].prevH, field);

    processSine (stage, 2, 2);
    stage.setOversamplingIndex (0);
    processSine (stage, 2, 2);
    EXPECT_NE (stage.hysteresis[0].prevM, 0.0);
}

TEST (TapeStage, MonoLeavesTheSecondModelUntouched)
{
    TapeTypeProcessor stage (tape0, speed0);
    ASSERT_TRUE (TestSupport::prepareLoaded (stage, hostRate, blockSize));
    processSine (stage, 1, 4);

    EXPECT_NE (stage.hysteresis[0].prevM, 0.0);
    EXPECT_EQ (stage.hysteresis[1].prevM, 0.0);
    EXPECT_EQ (stage.hysteresis[1].prevH, 0.0);
    EXPECT_EQ (stage.hysteresis[1].prevHdot, 0.0);
}

TEST (TapeStage, ColoursAndSaturatesASineAtEveryOversampling)
{
    for (int index = 0; index < 4; ++index)
    {
        SCOPED_TRACE (index);
        TapeTypeProcessor stage (tape0, speed0);
        ASSERT_TRUE (TestSupport::prepareLoaded (stage, hostRate, blockSize));
        stage.setOversamplingIndex (index);

        juce::AudioBuffer<float> output (2, 0);
        float peak = 0.0f;

        for (int b = 0; b < 40; ++b)
        {
            auto buffer = TestSupport::makeSine (2, blockSize, hostRate, 220.0, 0.5f, b * blockSize);
            stage.process (buffer);
            ASSERT_TRUE (TestSupport::allFinite (buffer));

            if (b >= 20)
                peak = juce::jmax (peak, buffer.getMagnitude (0, 0, blockSize));
        }

        EXPECT_GT (peak, 0.05f);
        EXPECT_LT (peak, 4.0f);
    }
}
