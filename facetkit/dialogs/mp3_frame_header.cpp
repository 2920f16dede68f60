#include "mp3_frame_header.h"

namespace {

// Rows: MPEG-2/2.5 Layer III, II, I, then MPEG-1 Layer III, II, I; the column
// is the bit-rate index (0 free format and 15 bad give 0).
const unsigned short kBitrates[6][16] = {
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
};

}  // namespace

bool cMp3FrameHeader::IsValid() const {
    if (GetSync() != 2047) return false;
    if (GetVersionId() == VERSION_RESERVED) return false;
    if (GetLayer() == LAYER_RESERVED) return false;
    const unsigned rate = GetBitrateIndex();
    if (rate == 0 || rate == 15) return false;
    if (GetSampleRateIndex() == 3) return false;
    if (GetEmphasis() == 2) return false;
    return true;
}

unsigned cMp3FrameHeader::GetBitrate() const {
    if (!IsValid()) return 0;
    const unsigned row = (GetVersionId() & 1u) * 3u + (GetLayer() - 1u);
    return kBitrates[row][GetBitrateIndex()];
}

long long FindMp3FrameHeader(const unsigned char* data, size_t length) {
    if (!data || length < 4) return -1;
    cMp3FrameHeader header;
    for (size_t i = 0; i + 4 <= length; ++i) {
        if (data[i] != 0xFF) continue;
        header.Set(data + i);
        if (header.IsValid()) return static_cast<long long>(i);
    }
    return -1;
}
