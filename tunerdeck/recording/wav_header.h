// The PCM wave format record as it stands in WAV files and the check of a
// WAV file's header. Free of Windows calls so that it also builds natively.
#pragma once

#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)
struct WaveFormatRecord {      // the 18-byte Windows wave format record
    uint16_t formatTag;
    uint16_t channels;
    uint32_t samplesPerSec;
    uint32_t avgBytesPerSec;
    uint16_t blockAlign;
    uint16_t bitsPerSample;
    uint16_t extraSize;
};
#pragma pack(pop)
static_assert(sizeof(WaveFormatRecord) == 18, "wave format record");

constexpr uint16_t kWaveTagPcm = 1;
constexpr uint16_t kWaveTagExtensible = 0xFFFE;

// Takes the format from the body of a "fmt " chunk (its first 18 bytes at
// most) and accepts only what the recorder and the converter can handle:
// PCM (plain, or extensible with the PCM sub-format), 1 or 2 channels, 8 or
// 16 bits, a rate above 0 and a block align that matches. Anything else
// would give zero-sized blocks or garbage to the encoder.
bool ParseWaveFmtChunk(const uint8_t* body, size_t size, WaveFormatRecord* out);

struct WaveHeaderInfo {
    WaveFormatRecord format;
    uint64_t dataOffset;   // first byte of the samples
    uint64_t dataSize;     // as the header says, cut to the file's end
};

enum WaveScanResult {
    kWaveOk = 0,
    kWaveNoRiff,      // no RIFF chunk of form WAVE
    kWaveNoFmt,       // no "fmt " chunk before the data
    kWaveBadFmt,      // fmt chunk cut short or a format we do not take
    kWaveNoData,      // no "data" chunk within the header bytes
};

// Walks the RIFF/WAVE chunks of the start of a file (buffer of len bytes,
// fileSize the whole file's size) up to the "data" chunk, whose size is cut
// to what the file holds.
WaveScanResult ScanWaveHeader(const uint8_t* data, size_t len, uint64_t fileSize, WaveHeaderInfo* out);
