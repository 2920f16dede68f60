// One MPEG audio frame header (MPEG-1, MPEG-2 and MPEG 2.5, layers I to III):
// whether four bytes are a usable header, and the bit rate they announce.
// The podcast list scans every byte position of downloaded episodes with it,
// so it works on one integer, allocates nothing and calls no Windows API.
#pragma once

#include <cstddef>
#include <cstdint>

#ifdef _WIN32
#include "facetkit_api.h"
#define MP3HEADER_API FACETKIT_API
#else
#define MP3HEADER_API
#endif

class MP3HEADER_API cMp3FrameHeader {
public:
    enum { VERSION_25 = 0, VERSION_RESERVED = 1, VERSION_2 = 2, VERSION_1 = 3 };
    enum { LAYER_RESERVED = 0, LAYER_3 = 1, LAYER_2 = 2, LAYER_1 = 3 };

    cMp3FrameHeader() : value_(0) {}
    // The four bytes at `bytes`, first byte most significant; the caller
    // guarantees four readable bytes.
    void Set(const unsigned char* bytes) {
        value_ = (uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) | (uint32_t(bytes[2]) << 8) |
                 uint32_t(bytes[3]);
    }
    uint32_t GetValue() const { return value_; }

    unsigned GetSync() const { return value_ >> 21; }
    unsigned GetVersionId() const { return (value_ >> 19) & 3u; }
    unsigned GetLayer() const { return (value_ >> 17) & 3u; }
    unsigned GetBitrateIndex() const { return (value_ >> 12) & 15u; }
    unsigned GetSampleRateIndex() const { return (value_ >> 10) & 3u; }
    unsigned GetEmphasis() const { return value_ & 3u; }

    bool IsValid() const;
    // kbit/s; 0 for a header that is not valid (the table has no row for a
    // reserved layer).
    unsigned GetBitrate() const;

private:
    uint32_t value_;
};

// Offset of the first valid header in `data`, or -1. Only positions with four
// bytes left are tested.
MP3HEADER_API long long FindMp3FrameHeader(const unsigned char* data, size_t length);
