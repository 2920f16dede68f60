// Tone generation and measurement through the default wave devices, which
// in the test environment are the PulseAudio null sink and its monitor.
#include "tdtest.h"

#include <mmsystem.h>

#include <algorithm>
#include <cmath>

namespace tdtest {

std::vector<int16_t> SineStereo(double freq, double seconds, int16_t amplitude, int rate) {
    size_t frames = static_cast<size_t>(seconds * rate);
    std::vector<int16_t> pcm(frames * 2);
    const double w = 2.0 * 3.14159265358979323846 * freq / rate;
    for (size_t i = 0; i < frames; ++i) {
        int16_t v = static_cast<int16_t>(std::lround(amplitude * std::sin(w * double(i))));
        pcm[2 * i] = v;
        pcm[2 * i + 1] = v;
    }
    return pcm;
}

ToneStats Measure(const int16_t* pcm, size_t frames, int rate) {
    ToneStats st;
    st.frames = frames;
    if (frames == 0) return st;
    double sum = 0;
    std::vector<size_t> periods;
    size_t lastCrossing = 0;
    bool haveCrossing = false;
    for (size_t i = 0; i < frames; ++i) {
        int v = pcm[2 * i];
        sum += double(v) * v;
        if (std::abs(v) > st.peak) st.peak = std::abs(v);
        if (i > 0 && pcm[2 * (i - 1)] < 0 && v >= 0) {
            if (haveCrossing) periods.push_back(i - lastCrossing);
            lastCrossing = i;
            haveCrossing = true;
        }
    }
    st.rms = std::sqrt(sum / double(frames));
    // The median period: Wine's capture drops or repeats a block now and
    // then under load, which would skew a plain count of crossings.
    if (!periods.empty()) {
        std::nth_element(periods.begin(), periods.begin() + periods.size() / 2, periods.end());
        size_t median = periods[periods.size() / 2];
        // Average the periods close to the median for a finer estimate.
        double total = 0;
        size_t n = 0;
        for (size_t p : periods) {
            if (p + 1 >= median && p <= median + 1) {
                total += double(p);
                ++n;
            }
        }
        if (n > 0 && total > 0) st.frequency = double(rate) * double(n) / total;
    }
    return st;
}

ToneStats MeasureSounding(const int16_t* pcm, size_t frames, double minRms, int rate, size_t blockFrames) {
    std::vector<int16_t> sounding;
    for (size_t at = 0; blockFrames > 0 && at + blockFrames <= frames; at += blockFrames) {
        if (Measure(pcm + 2 * at, blockFrames, rate).rms < minRms) continue;
        sounding.insert(sounding.end(), pcm + 2 * at, pcm + 2 * (at + blockFrames));
    }
    return Measure(sounding.data(), sounding.size() / 2, rate);
}

bool CaptureDefault(DWORD ms, std::vector<int16_t>* stereo) {
    WAVEFORMATEX fmt = {};
    fmt.wFormatTag = WAVE_FORMAT_PCM;
    fmt.nChannels = 2;
    fmt.nSamplesPerSec = 44100;
    fmt.wBitsPerSample = 16;
    fmt.nBlockAlign = 4;
    fmt.nAvgBytesPerSec = 44100 * 4;
    HANDLE done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HWAVEIN in = nullptr;
    if (waveInOpen(&in, WAVE_MAPPER, &fmt, reinterpret_cast<DWORD_PTR>(done), 0, CALLBACK_EVENT) != MMSYSERR_NOERROR) {
        CloseHandle(done);
        return false;
    }
    size_t frames = size_t(ms) * 44100 / 1000;
    stereo->assign(frames * 2, 0);
    WAVEHDR hdr = {};
    hdr.lpData = reinterpret_cast<LPSTR>(stereo->data());
    hdr.dwBufferLength = static_cast<DWORD>(frames * 4);
    waveInPrepareHeader(in, &hdr, sizeof hdr);
    waveInAddBuffer(in, &hdr, sizeof hdr);
    waveInStart(in);
    DWORD start = GetTickCount();
    while (!(hdr.dwFlags & WHDR_DONE) && GetTickCount() - start < ms + 5000) WaitForSingleObject(done, 100);
    waveInReset(in);
    waveInUnprepareHeader(in, &hdr, sizeof hdr);
    waveInClose(in);
    CloseHandle(done);
    stereo->resize(hdr.dwBytesRecorded / 2);
    return !stereo->empty();
}

TonePlayer::TonePlayer(std::vector<int16_t> stereo) : pcm_(std::move(stereo)) {
    thread_ = std::thread([this] {
        WAVEFORMATEX fmt = {};
        fmt.wFormatTag = WAVE_FORMAT_PCM;
        fmt.nChannels = 2;
        fmt.nSamplesPerSec = 44100;
        fmt.wBitsPerSample = 16;
        fmt.nBlockAlign = 4;
        fmt.nAvgBytesPerSec = 44100 * 4;
        HANDLE done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        HWAVEOUT out = nullptr;
        if (waveOutOpen(&out, WAVE_MAPPER, &fmt, reinterpret_cast<DWORD_PTR>(done), 0, CALLBACK_EVENT) ==
            MMSYSERR_NOERROR) {
            WAVEHDR hdr = {};
            hdr.lpData = reinterpret_cast<LPSTR>(pcm_.data());
            hdr.dwBufferLength = static_cast<DWORD>(pcm_.size() * 2);
            waveOutPrepareHeader(out, &hdr, sizeof hdr);
            waveOutWrite(out, &hdr, sizeof hdr);
            DWORD limit = static_cast<DWORD>(pcm_.size() / 2 * 1000 / 44100) + 5000;
            DWORD start = GetTickCount();
            while (!stop_ && !(hdr.dwFlags & WHDR_DONE) && GetTickCount() - start < limit)
                WaitForSingleObject(done, 100);
            waveOutReset(out);
            waveOutUnprepareHeader(out, &hdr, sizeof hdr);
            waveOutClose(out);
        }
        CloseHandle(done);
    });
}

TonePlayer::~TonePlayer() { Wait(); }

void TonePlayer::Wait() {
    if (thread_.joinable()) thread_.join();
}

void TonePlayer::Stop() {
    stop_ = true;
    Wait();
}

}  // namespace tdtest
