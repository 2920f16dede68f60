#include "mp3_convert.h"

#include <cstdint>
#include <memory>

#include "bounded_text.h"
#include "debug_log.h"
#include "lame_mp3.h"
#include "wave_file.h"

namespace td {

namespace {

// Progress goes out after this many blocks, with a short pause for the
// skin's window thread.
constexpr int kBlocksPerReport = 15;
constexpr DWORD kReportPauseMs = 10;

HWND WindowOf(int32_t word) {
    // Handles travel sign-extended in 32 bits.
    return reinterpret_cast<HWND>(static_cast<intptr_t>(word));
}

class LowestPriority {
public:
    LowestPriority() : old_(GetThreadPriority(GetCurrentThread())) {
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_LOWEST);
    }
    ~LowestPriority() { SetThreadPriority(GetCurrentThread(), old_); }
    LowestPriority(const LowestPriority&) = delete;
    LowestPriority& operator=(const LowestPriority&) = delete;

private:
    int old_;
};

}  // namespace

int ConvertWavToMp3(ConvertOrder* order, const volatile LONG* stop, const ConvertNotifyFn& notify) {
    if (!order) return 0;
    // The paths come from another module's record: they end inside their fields.
    order->wavPath[sizeof order->wavPath - 1] = 0;
    order->mp3Path[sizeof order->mp3Path - 1] = 0;
    const HWND window = WindowOf(order->notifyWindow);
    auto report = [&](WPARAM w, LPARAM l) {
        order->lastWParam = static_cast<int32_t>(w);
        order->lastLParam = static_cast<int32_t>(l);
        if (notify)
            notify(window, w, l);
        else if (window)
            PostMessageA(window, kConvertProgressMessage, w, l);
    };
    WriteDebugLogF(7, "ConvertToMp3: %s -> %s", order->wavPath, order->mp3Path);

    cWaveFile wave(order->wavPath, nullptr);
    if (!order->wavPath[0] || !order->mp3Path[0] || !wave.IsOpen()) {
        WriteDebugLog("ConvertToMp3: the WAV file cannot be read", 1);
        report(0, 0);
        return 0;
    }
    const WaveFormatRecord format = wave.GetRecord();
    std::unique_ptr<cLameMP3> encoder(new cLameMP3(order->mp3Path, &format));
    if (!encoder->LoadEncoder() || !encoder->Init()) {
        WriteDebugLog("ConvertToMp3: the encoder cannot be started", 1);
        encoder.reset();
        DeleteFileA(order->mp3Path);
        report(0, 0);
        return 0;
    }
    report(100, 0);

    const uint64_t total = wave.GetDataBytes();
    uint64_t done = 0;
    bool ok = true, stopped = false;
    {
        LowestPriority low;
        for (int blocks = 1;; ++blocks) {
            if (stop && *stop) {
                stopped = true;
                break;
            }
            std::unique_ptr<cByteBuffer> block(wave.ReadBlock());
            if (!block) break;
            if (!encoder->EncodeChunk(static_cast<int>(block->Size()), block->Data())) {
                ok = false;
                break;
            }
            done += block->Size();
            if (blocks % kBlocksPerReport == 0) {
                const uint64_t percent = total ? done * 100 / total : 0;
                report(100, static_cast<LPARAM>(percent > 99 ? 99 : percent));
                Sleep(kReportPauseMs);
            }
        }
    }
    ok = encoder->DeInit() && ok;
    encoder.reset();
    wave.Close();
    if (stopped || !ok) {
        WriteDebugLog(stopped ? "ConvertToMp3: stopped" : "ConvertToMp3: the encoder failed", stopped ? 3 : 1);
        DeleteFileA(order->mp3Path);
        report(0, 0);
        return 0;
    }
    WriteDebugLog("ConvertToMp3...ok", 3);
    report(100, 100);
    return 1;
}

int CheckMp3Encoder() {
    // A library that loads may still refuse to start a stream: only one
    // that starts one counts as usable. Its output goes to a file of its own.
    char folder[MAX_PATH], probe[MAX_PATH];
    DWORD n = GetTempPathA(sizeof folder, folder);
    if (n == 0 || n >= sizeof folder || !GetTempFileNameA(folder, "mp3", 0, probe)) return 0;
    WaveFormatRecord format = {};
    format.formatTag = 1;
    format.channels = 2;
    format.samplesPerSec = 44100;
    format.bitsPerSample = 16;
    format.blockAlign = 4;
    format.avgBytesPerSec = 44100 * 4;
    int usable = 0;
    {
        cLameMP3 encoder(probe, &format);
        if (encoder.LoadEncoder() && encoder.Init()) {
            usable = 1;
            encoder.DeInit();
        }
    }
    DeleteFileA(probe);
    return usable;
}

}  // namespace td
