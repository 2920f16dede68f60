// Test material for everything that plays through the playback engine:
// WAV and MP3 bytes of a tone, and HTTP routes that serve them as a file or
// as an endless Shoutcast-style stream with in-band titles.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tdtest.h"

namespace pe_test {

std::string MakeWav(const std::vector<int16_t>& stereo, int rate = 44100);
// MP3 (LAME's encoder) of interleaved stereo samples.
std::string MakeMp3(const std::vector<int16_t>& stereo, int rate = 44100, int kbps = 128);
// Decodes MP3 bytes (LAME's decoder) into interleaved stereo samples (a mono
// stream's samples twice); the sample rate of its frames goes to *rate.
std::vector<int16_t> DecodeMp3(const std::string& bytes, int* rate = nullptr);
// One in-band metadata block (length byte + padded text) for a title.
std::string IcyMetaBlock(const std::string& title);

struct IcyStreamOptions {
    std::string audio;                 // repeated for as long as the client reads
    std::string title = "Test Artist - Test Tone";
    // When set, asked at each metadata block, so the title can change while
    // the stream runs; it runs on the connection's thread.
    std::function<std::string()> currentTitle;
    uint32_t metaInt = 8192;
    bool icyStatusLine = true;         // "ICY 200 OK" instead of an HTTP status line
    size_t stopAfterBytes = SIZE_MAX;  // close the connection after this many bytes
    uint32_t bytesPerSecond = 0;       // pace the stream (0 = as fast as it is read)
};
tdtest::HttpResponse IcyStream(const IcyStreamOptions& options);

// The tone the tests play: 1 kHz at amplitude 12000.
std::vector<int16_t> TestTone(double seconds);

// Records the null sink's monitor for ms and measures the tone; true when a
// 1 kHz tone (median period 1 ms, so 44 samples: 980 to 1025 Hz) with an RMS
// above minRms was heard. Listens again until it is heard or withinMs have
// passed: on a busy machine the sound may start late.
bool HearTone(DWORD ms, double minRms, tdtest::ToneStats* stats = nullptr, DWORD withinMs = 20000);

// Calls DllRegisterServer or DllUnregisterServer of a stand-in control in the
// program folder, as register-standins does for the whole tree.
HRESULT CallRegistration(const char* dll, const char* entry);

}  // namespace pe_test
