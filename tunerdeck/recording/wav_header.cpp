#include "wav_header.h"

#include <cstring>

namespace {

uint32_t Le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

// KSDATAFORMAT_SUBTYPE_PCM: {00000001-0000-0010-8000-00aa00389b71}
const uint8_t kPcmSubFormat[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                   0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71};

}  // namespace

bool ParseWaveFmtChunk(const uint8_t* body, size_t size, WaveFormatRecord* out) {
    if (!body || !out || size < 16) return false;
    WaveFormatRecord f = {};
    f.formatTag = Le16(body);
    f.channels = Le16(body + 2);
    f.samplesPerSec = Le32(body + 4);
    f.avgBytesPerSec = Le32(body + 8);
    f.blockAlign = Le16(body + 12);
    f.bitsPerSample = Le16(body + 14);
    f.extraSize = size >= 18 ? Le16(body + 16) : 0;
    if (f.formatTag == kWaveTagExtensible) {
        // cbSize 22: valid bits (2), channel mask (4), sub-format GUID (16).
        if (size < 18 + 22 || f.extraSize < 22) return false;
        if (memcmp(body + 18 + 6, kPcmSubFormat, 16) != 0) return false;
    } else if (f.formatTag != kWaveTagPcm) {
        return false;
    }
    if (f.channels < 1 || f.channels > 2) return false;
    if (f.bitsPerSample != 8 && f.bitsPerSample != 16) return false;
    if (f.samplesPerSec == 0 || f.samplesPerSec > 768000) return false;
    if (f.blockAlign != f.channels * (f.bitsPerSample / 8)) return false;
    f.avgBytesPerSec = f.samplesPerSec * f.blockAlign;
    *out = f;
    return true;
}

WaveScanResult ScanWaveHeader(const uint8_t* data, size_t len, uint64_t fileSize, WaveHeaderInfo* out) {
    if (!data || !out || len < 12) return kWaveNoRiff;
    if (memcmp(data, "RIFF", 4) != 0 || memcmp(data + 8, "WAVE", 4) != 0) return kWaveNoRiff;
    bool haveFmt = false;
    WaveFormatRecord fmt = {};
    uint64_t pos = 12;
    while (pos + 8 <= len) {
        const uint8_t* ck = data + pos;
        uint32_t ckSize = Le32(ck + 4);
        uint64_t body = pos + 8;
        if (memcmp(ck, "fmt ", 4) == 0) {
            if (body + ckSize > len) return kWaveBadFmt;
            if (!ParseWaveFmtChunk(data + body, ckSize, &fmt)) return kWaveBadFmt;
            haveFmt = true;
        } else if (memcmp(ck, "data", 4) == 0) {
            if (!haveFmt) return kWaveNoFmt;
            uint64_t avail = fileSize > body ? fileSize - body : 0;
            out->format = fmt;
            out->dataOffset = body;
            out->dataSize = ckSize < avail ? ckSize : avail;
            return kWaveOk;
        }
        pos = body + ckSize + (ckSize & 1);   // chunks are word aligned
    }
    return haveFmt ? kWaveNoData : kWaveNoFmt;
}
