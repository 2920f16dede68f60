// Folding a multichannel capture block down to 16-bit stereo by its speaker
// mask. Free of Windows calls (builds natively too).
#pragma once

#include <cstddef>
#include <cstdint>

// Speaker bits of the channel mask, in the order channels are interleaved.
enum : uint32_t {
    kSpkFrontLeft = 0x1, kSpkFrontRight = 0x2, kSpkFrontCenter = 0x4, kSpkLowFrequency = 0x8,
    kSpkBackLeft = 0x10, kSpkBackRight = 0x20, kSpkFrontLeftOfCenter = 0x40, kSpkFrontRightOfCenter = 0x80,
    kSpkBackCenter = 0x100, kSpkSideLeft = 0x200, kSpkSideRight = 0x400, kSpkTopCenter = 0x800,
    kSpkTopFrontLeft = 0x1000, kSpkTopFrontCenter = 0x2000, kSpkTopFrontRight = 0x4000,
    kSpkTopBackLeft = 0x8000, kSpkTopBackCenter = 0x10000, kSpkTopBackRight = 0x20000,
};

// Keeps the lowest set bits of a mask, as many as there are channels; each
// bit cleared is handed to onCleared (may be null) with the mask before.
uint32_t TrimSpeakerMask(uint32_t mask, int channels, void (*onCleared)(uint32_t maskBefore, uint32_t bit, void* ctx),
                         void* ctx);

// The mask a format without one means: 1 channel centre, 2 front left and
// right, more: the lowest bits in order.
uint32_t DefaultSpeakerMask(int channels);

// Sums the speakers of each frame into left and right (centre, low
// frequency and the centre speakers go to both), saturating at the 16-bit
// range. src holds frames x channels samples, 16-bit integers or 32-bit
// floats (full scale 1.0); out receives frames x 2 samples.
void DownmixToStereo16(const void* src, size_t frames, int channels, bool isFloat, uint32_t mask, int16_t* out);
