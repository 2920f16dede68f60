#include "test_audio.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include <lame.h>

namespace pe_test {

std::string MakeWav(const std::vector<int16_t>& stereo, int rate) {
    auto le32 = [](std::string* s, uint32_t v) {
        for (int i = 0; i < 4; ++i) s->push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    auto le16 = [](std::string* s, uint16_t v) {
        s->push_back(static_cast<char>(v & 0xFF));
        s->push_back(static_cast<char>(v >> 8));
    };
    uint32_t dataBytes = static_cast<uint32_t>(stereo.size() * 2);
    std::string w = "RIFF";
    le32(&w, 36 + dataBytes);
    w += "WAVEfmt ";
    le32(&w, 16);
    le16(&w, 1);
    le16(&w, 2);
    le32(&w, static_cast<uint32_t>(rate));
    le32(&w, static_cast<uint32_t>(rate) * 4);
    le16(&w, 4);
    le16(&w, 16);
    w += "data";
    le32(&w, dataBytes);
    w.append(reinterpret_cast<const char*>(stereo.data()), dataBytes);
    return w;
}

std::string MakeMp3(const std::vector<int16_t>& stereo, int rate, int kbps) {
    lame_global_flags* gf = lame_init();
    lame_set_in_samplerate(gf, rate);
    lame_set_num_channels(gf, 2);
    lame_set_brate(gf, kbps);
    lame_set_mode(gf, JOINT_STEREO);
    lame_set_bWriteVbrTag(gf, 0);
    lame_init_params(gf);
    int frames = static_cast<int>(stereo.size() / 2);
    std::vector<unsigned char> out(static_cast<size_t>(frames) * 5 / 4 + 7200 + 16384);
    int n = lame_encode_buffer_interleaved(gf, const_cast<short*>(stereo.data()), frames, out.data(),
                                           static_cast<int>(out.size()));
    std::string mp3(reinterpret_cast<char*>(out.data()), n > 0 ? static_cast<size_t>(n) : 0);
    n = lame_encode_flush(gf, out.data(), static_cast<int>(out.size()));
    if (n > 0) mp3.append(reinterpret_cast<char*>(out.data()), static_cast<size_t>(n));
    lame_close(gf);
    return mp3;
}

std::vector<int16_t> DecodeMp3(const std::string& bytes, int* rate) {
    std::vector<int16_t> pcm;
    hip_t hip = hip_decode_init();
    if (!hip) return pcm;
    std::vector<short> l(1 << 16), r(1 << 16);
    for (size_t at = 0; at < bytes.size(); at += 512) {
        const size_t n = std::min<size_t>(bytes.size() - at, 512);
        mp3data_struct info;
        memset(&info, 0, sizeof info);
        const int got = hip_decode_headers(hip, reinterpret_cast<unsigned char*>(const_cast<char*>(bytes.data() + at)),
                                           n, l.data(), r.data(), &info);
        if (rate && info.header_parsed) *rate = info.samplerate;
        for (int i = 0; i < got; ++i) {
            pcm.push_back(l[i]);
            pcm.push_back(info.stereo == 1 ? l[i] : r[i]);
        }
    }
    hip_decode_exit(hip);
    return pcm;
}

std::string IcyMetaBlock(const std::string& title) {
    std::string text = "StreamTitle='" + title + "';";
    size_t blocks = (text.size() + 15) / 16;
    text.resize(blocks * 16, '\0');
    return std::string(1, static_cast<char>(blocks)) + text;
}

tdtest::HttpResponse IcyStream(const IcyStreamOptions& o) {
    tdtest::HttpResponse r;
    if (o.icyStatusLine) r.statusLine = "ICY 200 OK";
    r.Header("Content-Type", "audio/mpeg").Header("icy-name", "Test Radio").Header("icy-br", "128");
    if (o.metaInt) r.Header("icy-metaint", std::to_string(o.metaInt));
    struct State {
        size_t audioPos = 0, sinceMeta = 0, sent = 0;
        DWORD start = GetTickCount();
    };
    auto st = std::make_shared<State>();
    IcyStreamOptions opt = o;
    r.stream = [st, opt](std::string* more) {
        if (opt.audio.empty() || st->sent >= opt.stopAfterBytes) return false;
        // Stay at most two seconds ahead of real time (waiting at most a
        // second per call, so that a closing server is not held up).
        for (int waited = 0; opt.bytesPerSecond && waited < 1000; waited += 20) {
            uint64_t allowed = uint64_t(GetTickCount() - st->start + 2000) * opt.bytesPerSecond / 1000;
            if (st->sent <= allowed) break;
            Sleep(20);
        }
        std::string chunk;
        for (int k = 0; k < 4096; ++k) {
            if (opt.metaInt && st->sinceMeta == opt.metaInt) {
                chunk += IcyMetaBlock(opt.currentTitle ? opt.currentTitle() : opt.title);
                st->sinceMeta = 0;
            }
            chunk.push_back(opt.audio[st->audioPos]);
            st->audioPos = (st->audioPos + 1) % opt.audio.size();
            ++st->sinceMeta;
        }
        if (st->sent + chunk.size() > opt.stopAfterBytes) chunk.resize(opt.stopAfterBytes - st->sent);
        st->sent += chunk.size();
        *more = chunk;
        return true;
    };
    return r;
}

std::vector<int16_t> TestTone(double seconds) { return tdtest::SineStereo(1000.0, seconds, 12000); }

namespace {

bool HearToneOnce(DWORD ms, double minRms, tdtest::ToneStats* stats) {
    std::vector<int16_t> pcm;
    if (!tdtest::CaptureDefault(ms, &pcm)) return false;
    tdtest::ToneStats st = tdtest::Measure(pcm.data(), pcm.size() / 2);
    // The frequency from the median period between rising zero crossings: a
    // short drop-out in the sound server's capture does not move it.
    std::vector<size_t> periods;
    size_t last = 0;
    for (size_t i = 1; i < pcm.size() / 2; ++i) {
        if (pcm[2 * (i - 1)] < 0 && pcm[2 * i] >= 0) {
            if (last) periods.push_back(i - last);
            last = i;
        }
    }
    if (!periods.empty()) {
        std::nth_element(periods.begin(), periods.begin() + periods.size() / 2, periods.end());
        st.frequency = 44100.0 / double(periods[periods.size() / 2]);
    }
    if (stats) *stats = st;
    return st.rms >= minRms && std::fabs(st.frequency - 1000.0) < 50.0;
}

}  // namespace

bool HearTone(DWORD ms, double minRms, tdtest::ToneStats* stats, DWORD withinMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (HearToneOnce(ms, minRms, stats)) return true;
        if (GetTickCount() - start >= withinMs) return false;
    }
}

HRESULT CallRegistration(const char* dll, const char* entry) {
    HMODULE module = LoadLibraryA((tdtest::BinDir() + "\\" + dll).c_str());
    if (!module) return E_FAIL;
    auto fn = reinterpret_cast<HRESULT(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(module, entry)));
    HRESULT hr = fn ? fn() : E_FAIL;
    FreeLibrary(module);
    return hr;
}

}  // namespace pe_test
