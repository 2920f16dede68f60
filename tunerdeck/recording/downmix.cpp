#include "downmix.h"

#include <cstring>

namespace {

constexpr uint32_t kLeft = kSpkFrontLeft | kSpkBackLeft | kSpkFrontLeftOfCenter | kSpkSideLeft | kSpkTopFrontLeft |
                           kSpkTopBackLeft;
constexpr uint32_t kRight = kSpkFrontRight | kSpkBackRight | kSpkFrontRightOfCenter | kSpkSideRight |
                            kSpkTopFrontRight | kSpkTopBackRight;
constexpr uint32_t kBoth = kSpkFrontCenter | kSpkLowFrequency | kSpkBackCenter | kSpkTopCenter | kSpkTopFrontCenter |
                           kSpkTopBackCenter;

int16_t Saturate(int32_t v) { return static_cast<int16_t>(v > 32767 ? 32767 : (v < -32768 ? -32768 : v)); }

int32_t Sample(const void* src, size_t index, bool isFloat) {
    if (!isFloat) return static_cast<const int16_t*>(src)[index];
    float f;
    memcpy(&f, static_cast<const uint8_t*>(src) + index * 4, 4);
    if (!(f == f)) return 0;   // NaN
    float s = f * 32767.0f;
    if (s > 32767.0f) return 32767;
    if (s < -32768.0f) return -32768;
    return static_cast<int32_t>(s);
}

}  // namespace

uint32_t TrimSpeakerMask(uint32_t mask, int channels, void (*onCleared)(uint32_t, uint32_t, void*), void* ctx) {
    int kept = 0;
    uint32_t out = mask;
    for (int b = 0; b < 32; ++b) {
        uint32_t bit = 1u << b;
        if (!(mask & bit)) continue;
        if (kept < channels) {
            ++kept;
            continue;
        }
        if (onCleared) onCleared(out, bit, ctx);
        out &= ~bit;
    }
    return out;
}

uint32_t DefaultSpeakerMask(int channels) {
    if (channels <= 0) return 0;
    if (channels == 1) return kSpkFrontCenter;
    if (channels >= 32) return 0xFFFFFFFFu;
    return (1u << channels) - 1;
}

void DownmixToStereo16(const void* src, size_t frames, int channels, bool isFloat, uint32_t mask, int16_t* out) {
    if (!out) return;
    memset(out, 0, frames * 2 * sizeof(int16_t));
    if (!src || channels <= 0) return;
    // Which output each interleaved channel feeds: bit order of the mask.
    int route[32] = {};   // 0 none, 1 left, 2 right, 3 both
    int ch = 0;
    for (int b = 0; b < 32 && ch < channels && ch < 32; ++b) {
        uint32_t bit = 1u << b;
        if (!(mask & bit)) continue;
        route[ch++] = (kLeft & bit) ? 1 : (kRight & bit) ? 2 : (kBoth & bit) ? 3 : 0;
    }
    for (size_t f = 0; f < frames; ++f) {
        int32_t l = 0, r = 0;
        for (int c = 0; c < ch; ++c) {
            if (!route[c]) continue;
            int32_t s = Sample(src, f * channels + c, isFloat);
            if (route[c] & 1) l += s;
            if (route[c] & 2) r += s;
        }
        out[f * 2] = Saturate(l);
        out[f * 2 + 1] = Saturate(r);
    }
}
