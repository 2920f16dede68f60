// The WAV header scanner over any bytes, and the down-mix over any block
// with the channel count and mask taken from the input.
#include <cstdint>
#include <cstring>
#include <vector>

#include "downmix.h"
#include "wav_header.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WaveHeaderInfo info;
    if (ScanWaveHeader(data, size, size, &info) == kWaveOk) {
        if (info.format.channels < 1 || info.format.channels > 2) __builtin_trap();
        if (info.dataOffset + info.dataSize > size) __builtin_trap();
    }
    if (size >= 6) {
        int channels = 1 + data[0] % 18;
        bool isFloat = data[1] & 1;
        uint32_t mask;
        memcpy(&mask, data + 2, 4);
        mask = TrimSpeakerMask(mask, channels, nullptr, nullptr);
        size_t frameBytes = static_cast<size_t>(channels) * (isFloat ? 4 : 2);
        size_t frames = (size - 6) / frameBytes;
        std::vector<uint8_t> block(data + 6, data + 6 + frames * frameBytes);
        std::vector<int16_t> out(frames * 2 + 1);
        DownmixToStereo16(block.data(), frames, channels, isFloat, mask, out.data());
    }
    return 0;
}
