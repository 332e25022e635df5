// Writes the ten tape-colouring impulse responses (ir_tape<T>_speed<S>.wav) used by
// the tape stage. Each one is a unit impulse through a few biquads (low cut, head
// bump, presence, HF shelf, gap-loss low-pass), faded out and normalised to 0 dB
// at 1 kHz. Output is byte-for-byte deterministic.
//
// Usage: vastrel_ir_generator [output-folder]    (default: resources)

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace
{
constexpr double pi = 3.14159265358979323846;

//==============================================================================
struct Biquad
{
    double b0, b1, b2, a1, a2; // normalised so that a0 == 1

    static Biquad fromRaw (double b0, double b1, double b2, double a0, double a1, double a2)
    {
        return { b0 / a0, b1 / a0, b2 / a0, a1 / a0, a2 / a0 };
    }
};

// Audio EQ cookbook designs.
Biquad peaking (double sampleRate, double hz, double q, double gainDb)
{
    const double a = std::pow (10.0, gainDb / 40.0);
    const double w0 = 2.0 * pi * hz / sampleRate;
    const double alpha = std::sin (w0) / (2.0 * q);
    const double c = std::cos (w0);
    return Biquad::fromRaw (1.0 + alpha * a, -2.0 * c, 1.0 - alpha * a,
                            1.0 + alpha / a, -2.0 * c, 1.0 - alpha / a);
}

Biquad highShelf (double sampleRate, double hz, double gainDb)
{
    const double a = std::pow (10.0, gainDb / 40.0);
    const double w0 = 2.0 * pi * hz / sampleRate;
    const double c = std::cos (w0);
    const double twoSqrtAAlpha = std::sqrt (a) * std::sin (w0) * std::sqrt (2.0); // shelf slope 1
    return Biquad::fromRaw (a * ((a + 1.0) + (a - 1.0) * c + twoSqrtAAlpha),
                            -2.0 * a * ((a - 1.0) + (a + 1.0) * c),
                            a * ((a + 1.0) + (a - 1.0) * c - twoSqrtAAlpha),
                            (a + 1.0) - (a - 1.0) * c + twoSqrtAAlpha,
                            2.0 * ((a - 1.0) - (a + 1.0) * c),
                            (a + 1.0) - (a - 1.0) * c - twoSqrtAAlpha);
}

Biquad lowPass (double sampleRate, double hz, double q)
{
    const double w0 = 2.0 * pi * hz / sampleRate;
    const double alpha = std::sin (w0) / (2.0 * q);
    const double c = std::cos (w0);
    return Biquad::fromRaw ((1.0 - c) / 2.0, 1.0 - c, (1.0 - c) / 2.0,
                            1.0 + alpha, -2.0 * c, 1.0 - alpha);
}

Biquad highPass (double sampleRate, double hz, double q)
{
    const double w0 = 2.0 * pi * hz / sampleRate;
    const double alpha = std::sin (w0) / (2.0 * q);
    const double c = std::cos (w0);
    return Biquad::fromRaw ((1.0 + c) / 2.0, -(1.0 + c), (1.0 + c) / 2.0,
                            1.0 + alpha, -2.0 * c, 1.0 - alpha);
}

void filterInPlace (std::vector<double>& signal, const Biquad& f)
{
    double s1 = 0.0, s2 = 0.0; // transposed direct form II
    for (auto& x : signal)
    {
        const double y = f.b0 * x + s1;
        s1 = f.b1 * x - f.a1 * y + s2;
        s2 = f.b2 * x - f.a2 * y;
        x = y;
    }
}

//==============================================================================
// The tape's colouring. Slow-speed figures; the fast speed moves the bump and the
// HF corners up and softens the treble loss.
struct Colouring
{
    double bumpHz, bumpDb, bumpQ;
    double dipDb;                // the ripple just above the bump
    double presenceHz, presenceDb;
    double shelfHz, shelfDb;
    double lowCutHz;
    double gapLossHz;
};

constexpr std::array<Colouring, 5> slowSpeedColourings {{
    //  bump              dip    presence      shelf          low cut  gap loss
    { 52.0, 3.0, 1.0,    -0.8,  3000.0,  0.5,  9000.0, -4.0,  18.0,   22000.0 },
    { 46.0, 3.5, 0.9,    -1.0,  2500.0, -0.5,  8000.0, -3.5,  16.0,   23000.0 },
    { 60.0, 2.5, 1.1,    -0.6,  4000.0,  0.8, 10000.0, -3.5,  20.0,   24000.0 },
    { 42.0, 4.0, 0.8,    -1.2,  2000.0,  0.4,  7500.0, -3.5,  15.0,   22000.0 },
    { 68.0, 2.0, 1.2,    -0.5,  5000.0, -0.6, 11000.0, -3.0,  22.0,   25000.0 },
}};

Colouring colouringFor (int tape, int speed, int channel)
{
    Colouring c = slowSpeedColourings.at (static_cast<size_t> (tape));

    if (speed == 1)
    {
        c.bumpHz *= 1.6;
        c.lowCutHz *= 1.5;
        c.shelfHz *= 1.4;
        c.shelfDb *= 0.8;
        c.gapLossHz *= 1.3;
    }

    // The two tracks of a head never match exactly.
    if (channel == 1)
    {
        c.bumpHz *= 1.015;
        c.bumpDb += 0.15;
        c.shelfHz *= 0.99;
    }

    return c;
}

//==============================================================================
double gainAt (const std::vector<double>& ir, double sampleRate, double hz)
{
    double re = 0.0, im = 0.0;
    for (size_t n = 0; n < ir.size(); ++n)
    {
        const double phase = 2.0 * pi * hz * static_cast<double> (n) / sampleRate;
        re += ir[n] * std::cos (phase);
        im -= ir[n] * std::sin (phase);
    }
    return std::hypot (re, im);
}

// Raised-cosine fade over the last quarter so the truncation doesn't click.
void fadeOutTail (std::vector<double>& ir)
{
    const size_t fadeLength = ir.size() / 4;
    const size_t fadeStart = ir.size() - fadeLength;
    for (size_t i = 0; i < fadeLength; ++i)
        ir[fadeStart + i] *= 0.5 * (1.0 + std::cos (pi * static_cast<double> (i + 1) / static_cast<double> (fadeLength)));
}

std::vector<double> renderImpulseResponse (const Colouring& c, double sampleRate, int frames)
{
    std::vector<double> ir (static_cast<size_t> (frames), 0.0);
    ir[0] = 1.0;

    filterInPlace (ir, highPass (sampleRate, c.lowCutHz, 0.707));
    filterInPlace (ir, peaking (sampleRate, c.bumpHz, c.bumpQ, c.bumpDb));
    filterInPlace (ir, peaking (sampleRate, c.bumpHz * 2.6, 1.4, c.dipDb));
    filterInPlace (ir, peaking (sampleRate, c.presenceHz, 0.7, c.presenceDb));
    filterInPlace (ir, highShelf (sampleRate, c.shelfHz, c.shelfDb));
    // At 44.1 kHz the gap loss would sit above what the rate can hold, so pin it below Nyquist.
    filterInPlace (ir, lowPass (sampleRate, std::min (c.gapLossHz, 0.45 * sampleRate), 0.6));
    fadeOutTail (ir);

    const double gainAt1k = gainAt (ir, sampleRate, 1000.0);
    for (auto& x : ir)
        x /= gainAt1k;

    return ir;
}

//==============================================================================
struct ImpulseResponseFile
{
    int tape, speed;
    bool extensible;
    int bitsPerSample, channels, sampleRate, frames;
    size_t totalBytes;

    std::string fileName() const
    {
        return "ir_tape" + std::to_string (tape) + "_speed" + std::to_string (speed) + ".wav";
    }

    size_t bytesPerSample() const { return static_cast<size_t> (bitsPerSample / 8); }
    size_t dataBytes() const { return static_cast<size_t> (frames * channels) * bytesPerSample(); }
};

const std::array<ImpulseResponseFile, 10> impulseResponseFiles {{
    { 0, 0, false, 24, 2, 44100,   470,   3568 },
    { 0, 1, false, 24, 2, 44100,   470,   3568 },
    { 1, 0, true,  16, 1, 96000,  1024,   2150 },
    { 1, 1, false, 24, 2, 44100,   470,   3568 },
    { 2, 0, false, 24, 2, 96000, 47060, 282404 },
    { 2, 1, false, 24, 2, 96000, 48828, 293012 },
    { 3, 0, false, 24, 2, 96000, 33012, 204360 },
    { 3, 1, false, 24, 2, 96000, 31160, 193200 },
    { 4, 0, false, 16, 2, 44100, 22200,  91800 },
    { 4, 1, false, 24, 2, 44100, 19081, 114532 },
}};

//==============================================================================
using Bytes = std::vector<std::uint8_t>;

void appendLittleEndian (Bytes& out, std::uint32_t value, size_t numBytes)
{
    for (size_t i = 0; i < numBytes; ++i)
        out.push_back (static_cast<std::uint8_t> ((value >> (8 * i)) & 0xffu));
}

void appendTag (Bytes& out, const char* fourCC)
{
    for (size_t i = 0; i < 4; ++i)
        out.push_back (static_cast<std::uint8_t> (fourCC[i]));
}

Bytes makeChunk (const char* id, const Bytes& payload)
{
    Bytes chunk;
    appendTag (chunk, id);
    appendLittleEndian (chunk, static_cast<std::uint32_t> (payload.size()), 4);
    chunk.insert (chunk.end(), payload.begin(), payload.end());
    if (payload.size() % 2 != 0)
        chunk.push_back (0);
    return chunk;
}

enum class FormatLayout { plain, withCbSize, extensible };

size_t formatPayloadBytes (FormatLayout layout)
{
    switch (layout)
    {
        case FormatLayout::plain:      return 16;
        case FormatLayout::withCbSize: return 18;
        case FormatLayout::extensible: return 40;
    }
    throw std::logic_error ("unknown fmt layout");
}

Bytes makeFormatChunk (const ImpulseResponseFile& file, FormatLayout layout)
{
    constexpr std::uint32_t pcmTag = 1, extensibleTag = 0xfffe, speakerFrontCentre = 0x4;
    const auto blockAlign = static_cast<std::uint32_t> (file.channels) * static_cast<std::uint32_t> (file.bytesPerSample());

    Bytes p;
    appendLittleEndian (p, layout == FormatLayout::extensible ? extensibleTag : pcmTag, 2);
    appendLittleEndian (p, static_cast<std::uint32_t> (file.channels), 2);
    appendLittleEndian (p, static_cast<std::uint32_t> (file.sampleRate), 4);
    appendLittleEndian (p, static_cast<std::uint32_t> (file.sampleRate) * blockAlign, 4);
    appendLittleEndian (p, blockAlign, 2);
    appendLittleEndian (p, static_cast<std::uint32_t> (file.bitsPerSample), 2);

    if (layout == FormatLayout::withCbSize)
        appendLittleEndian (p, 0, 2);

    if (layout == FormatLayout::extensible)
    {
        // KSDATAFORMAT_SUBTYPE_PCM: 00000001-0000-0010-8000-00aa00389b71
        constexpr std::array<std::uint8_t, 16> pcmSubFormat {
            0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
            0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71 };

        appendLittleEndian (p, 22, 2);
        appendLittleEndian (p, static_cast<std::uint32_t> (file.bitsPerSample), 2);
        appendLittleEndian (p, file.channels == 1 ? speakerFrontCentre : 0, 4);
        p.insert (p.end(), pcmSubFormat.begin(), pcmSubFormat.end());
    }

    return makeChunk ("fmt ", p);
}

Bytes makeTextSubChunk (const char* id, const std::string& text, size_t payloadBytes)
{
    Bytes payload (text.begin(), text.end());
    payload.resize (payloadBytes, 0);
    return makeChunk (id, payload);
}

size_t textPayloadBytes (const std::string& text)
{
    return (text.size() + 2) & ~size_t { 1 }; // NUL-terminated, rounded up to even
}

// A LIST/INFO chunk of exactly chunkBytes. Entries that don't fit are left out;
// the last one that does is NUL-padded to take up the slack.
Bytes makeInfoChunk (size_t chunkBytes, const std::vector<std::pair<const char*, std::string>>& entries)
{
    constexpr size_t listOverhead = 8 + 4, subChunkOverhead = 8;
    if (chunkBytes < listOverhead || chunkBytes % 2 != 0)
        throw std::runtime_error ("no LIST chunk can be " + std::to_string (chunkBytes) + " bytes");

    std::vector<std::pair<size_t, size_t>> chosen; // entry index, payload bytes
    size_t remaining = chunkBytes - listOverhead;

    for (size_t i = 0; i < entries.size(); ++i)
    {
        const size_t needed = subChunkOverhead + textPayloadBytes (entries[i].second);
        if (needed <= remaining)
        {
            chosen.emplace_back (i, textPayloadBytes (entries[i].second));
            remaining -= needed;
        }
    }

    if (chosen.empty())
        throw std::runtime_error ("no INFO entry fits in " + std::to_string (chunkBytes) + " bytes");

    chosen.back().second += remaining;

    Bytes payload;
    appendTag (payload, "INFO");
    for (const auto& [index, bytes] : chosen)
    {
        const Bytes sub = makeTextSubChunk (entries[index].first, entries[index].second, bytes);
        payload.insert (payload.end(), sub.begin(), sub.end());
    }
    return makeChunk ("LIST", payload);
}

Bytes makeDataChunk (const ImpulseResponseFile& file, const std::vector<std::vector<double>>& channels)
{
    const double fullScale = std::ldexp (1.0, file.bitsPerSample - 1) - 1.0;

    Bytes p;
    p.reserve (file.dataBytes());
    for (size_t frame = 0; frame < static_cast<size_t> (file.frames); ++frame)
    {
        for (const auto& channel : channels)
        {
            if (std::abs (channel[frame]) > 1.0)
                throw std::runtime_error (file.fileName() + " would clip");

            const auto sample = static_cast<std::int32_t> (std::lround (channel[frame] * fullScale));
            appendLittleEndian (p, static_cast<std::uint32_t> (sample), file.bytesPerSample());
        }
    }
    return makeChunk ("data", p);
}

std::vector<std::pair<const char*, std::string>> infoEntriesFor (const ImpulseResponseFile& file)
{
    const Colouring c = colouringFor (file.tape, file.speed, 0);
    return {
        { "INAM", "Tape " + std::to_string (file.tape) + (file.speed == 0 ? " slow" : " fast") },
        { "ISFT", "Brassock VastrelV3 IR generator" },
        { "ICMT", "Synthesised tape colouring: head bump " + std::to_string (std::lround (c.bumpHz))
                      + " Hz, HF shelf " + std::to_string (std::lround (c.shelfHz)) + " Hz" },
    };
}

Bytes buildWaveFile (const ImpulseResponseFile& file, const std::vector<std::vector<double>>& channels)
{
    constexpr size_t riffHeaderBytes = 12, chunkHeaderBytes = 8;

    auto layout = file.extensible ? FormatLayout::extensible : FormatLayout::plain;
    const auto bytesWithout = [&] (FormatLayout l)
    {
        return riffHeaderBytes + chunkHeaderBytes + formatPayloadBytes (l) + chunkHeaderBytes + file.dataBytes();
    };

    if (bytesWithout (layout) > file.totalBytes)
        throw std::runtime_error (file.fileName() + " cannot fit in " + std::to_string (file.totalBytes) + " bytes");

    // Two bytes is too small for any chunk, but is exactly what cbSize adds.
    if (layout == FormatLayout::plain && file.totalBytes - bytesWithout (layout) == 2)
        layout = FormatLayout::withCbSize;

    Bytes body;
    appendTag (body, "WAVE");

    const Bytes fmt = makeFormatChunk (file, layout);
    body.insert (body.end(), fmt.begin(), fmt.end());

    if (const size_t metadataBytes = file.totalBytes - bytesWithout (layout); metadataBytes > 0)
    {
        const Bytes info = makeInfoChunk (metadataBytes, infoEntriesFor (file));
        body.insert (body.end(), info.begin(), info.end());
    }

    const Bytes data = makeDataChunk (file, channels);
    body.insert (body.end(), data.begin(), data.end());

    Bytes riff;
    appendTag (riff, "RIFF");
    appendLittleEndian (riff, static_cast<std::uint32_t> (body.size()), 4);
    riff.insert (riff.end(), body.begin(), body.end());

    if (riff.size() != file.totalBytes)
        throw std::logic_error (file.fileName() + " came out at " + std::to_string (riff.size()) + " bytes");

    return riff;
}

void writeImpulseResponse (const ImpulseResponseFile& file, const std::string& folder)
{
    std::vector<std::vector<double>> channels;
    for (int ch = 0; ch < file.channels; ++ch)
        channels.push_back (renderImpulseResponse (colouringFor (file.tape, file.speed, ch),
                                                   static_cast<double> (file.sampleRate), file.frames));

    const Bytes bytes = buildWaveFile (file, channels);
    const std::string path = folder + "/" + file.fileName();

    std::ofstream out (path, std::ios::binary);
    out.write (reinterpret_cast<const char*> (bytes.data()), static_cast<std::streamsize> (bytes.size()));
    if (! out)
        throw std::runtime_error ("could not write " + path);

    std::cout << path << " (" << bytes.size() << " bytes)\n";
}
} // namespace

int main (int argc, char* argv[])
{
    const std::string folder = argc > 1 ? argv[1] : "resources";

    try
    {
        for (const auto& file : impulseResponseFiles)
            writeImpulseResponse (file, folder);
    }
    catch (const std::exception& e)
    {
        std::cerr << "vastrel_ir_generator: " << e.what() << '\n';
        return 1;
    }

    return 0;
}
