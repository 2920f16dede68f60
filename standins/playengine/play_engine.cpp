#include "play_engine.h"

#include <mmsystem.h>
#include <wininet.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <deque>
#include <thread>
#include <vector>

#include <lame.h>

#include "bounded_text.h"
#include "decoder.h"
#include "stream_parse.h"
#include "webparse.h"
#include "win_handles.h"

namespace pe {

namespace {

const int kMaxEntries = 64;
const uint32_t kQueueCapMs = 20000;          // reading pauses while this much waits to be played
const DWORD kConnectTimeoutMs = 10000;
const DWORD kReceiveTimeoutMs = 15000;
const int kWaveBuffers = 10;
const uint32_t kWaveBufferMs = 100;

bool StartsWithNoCase(const char* s, const char* prefix) {
    return _strnicmp(s, prefix, strlen(prefix)) == 0;
}

}  // namespace

// What the engine shares between its owner and its session threads.
struct EngineShared {
    bk::CriticalSection lock;
    HWND notifyWnd = nullptr;
    UINT notifyMsg = 0;
    uint32_t generation = 0;        // events of older sessions are dropped
    EngineInfo info;
    std::deque<Event> events;
    char address[1024] = {};
    char entries[kMaxEntries][bk::kPlaylistEntrySize] = {};
    uint32_t bufferMs = 3000;
    char proxy[300] = {};           // "host:port" or empty

    // Caller holds the lock.
    void Push(EventKind kind, int32_t value = 0, int32_t old = 0) {
        events.push_back(Event{kind, value, old});
        if (notifyWnd) PostMessageA(notifyWnd, notifyMsg, 0, 0);
    }
    // Sets a play or open state and reports a change; caller holds the lock.
    void ChangeState(int32_t* field, EventKind kind, int32_t value) {
        if (*field == value) return;
        int32_t old = *field;
        *field = value;
        Push(kind, value, old);
    }
};

// One run from opening an address to its end; owned jointly by the engine
// and its two threads so that a thread still finishing after Stop never
// touches freed memory.
struct Session {
    std::shared_ptr<EngineShared> shared;
    uint32_t generation = 0;
    char address[1024] = {};
    uint32_t startMs = 0;
    std::atomic<bool> abort{false};
    std::atomic<bool> playRequested{false};
    std::atomic<bool> pauseRequested{false};
    std::atomic<bool> formatKnown{false};
    std::atomic<bool> eof{false};
    std::atomic<bool> brokenEnd{false};     // the stream broke off before its end
    std::atomic<bool> failed{false};
    std::atomic<bool> ended{false};          // played to its end; Play() starts over

    bk::CriticalSection pcmLock;
    std::deque<int16_t> pcm;                // interleaved 16-bit samples
    uint16_t channels = 2;
    uint32_t sampleRate = 44100;

    bk::CriticalSection netLock;
    HINTERNET inet = nullptr;               // closed by Abort to break a blocking read

    HANDLE readerDone = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE outputDone = CreateEventA(nullptr, TRUE, FALSE, nullptr);

    ~Session() {
        CloseHandle(readerDone);
        CloseHandle(outputDone);
    }

    // Runs fn under the shared lock when this session is still the current one.
    template <typename Fn>
    void Update(Fn fn) {
        bk::ScopedLock l(shared->lock);
        if (shared->generation == generation) fn(*shared);
    }

    void Fail(const char* text) {
        if (abort) return;
        failed = true;
        Update([&](EngineShared& s) {
            bk::TextCopy(s.info.error, text);
            s.info.hasError = true;
            int32_t old = s.info.playState;
            s.info.playState = kStopped;
            s.info.openState = kClosed;
            s.info.bufferingProgress = 0;
            s.Push(EventKind::Error, 0, old);
        });
    }

    void SetOpenState(int32_t st) {
        Update([&](EngineShared& s) { s.ChangeState(&s.info.openState, EventKind::OpenState, st); });
    }

    void SetPlayState(int32_t st) {
        Update([&](EngineShared& s) { s.ChangeState(&s.info.playState, EventKind::PlayState, st); });
    }

    size_t QueuedFrames() {
        bk::ScopedLock l(pcmLock);
        return pcm.size() / channels;
    }

    uint32_t QueuedMs() {
        size_t frames = QueuedFrames();
        return sampleRate ? static_cast<uint32_t>(uint64_t(frames) * 1000 / sampleRate) : 0;
    }

    void Abort() {
        abort = true;
        bk::ScopedLock l(netLock);
        if (inet) InternetCloseHandle(inet);   // breaks a read blocked inside WinINet
        inet = nullptr;
    }

    void ReaderMain();
    void OutputMain();
};

// ---------------------------------------------------------------- reading

namespace {

// A source of bytes: a local file or an HTTP answer.
class Source {
public:
    virtual ~Source() = default;
    // >0 bytes read, 0 end, -1 failure.
    virtual long Read(uint8_t* buf, size_t size) = 0;
    virtual uint64_t Length() const = 0;   // 0 when unknown
    virtual bool Seek(uint64_t) { return false; }
};

class FileSource : public Source {
public:
    explicit FileSource(HANDLE h) : file_(h) {
        LARGE_INTEGER size;
        if (GetFileSizeEx(h, &size)) length_ = uint64_t(size.QuadPart);
    }
    long Read(uint8_t* buf, size_t size) override {
        DWORD got = 0;
        if (!ReadFile(file_.Get(), buf, static_cast<DWORD>(size), &got, nullptr)) return -1;
        return static_cast<long>(got);
    }
    uint64_t Length() const override { return length_; }
    bool Seek(uint64_t pos) override {
        LARGE_INTEGER li;
        li.QuadPart = static_cast<LONGLONG>(pos);
        return SetFilePointerEx(file_.Get(), li, nullptr, FILE_BEGIN) != 0;
    }

private:
    bk::ScopedFile file_;
    uint64_t length_ = 0;
};

class HttpSource : public Source {
public:
    HttpSource(Session* s, HINTERNET request, uint64_t length) : s_(s), request_(request), length_(length) {}
    ~HttpSource() override {
        bk::ScopedLock l(s_->netLock);
        if (s_->inet) InternetCloseHandle(s_->inet);   // closes the request with it
        s_->inet = nullptr;
    }
    long Read(uint8_t* buf, size_t size) override {
        // A plain InternetReadFile waits for a full buffer; ask what is there first.
        DWORD avail = 0;
        if (!InternetQueryDataAvailable(request_, &avail, 0, 0)) return -1;
        if (avail == 0) return 0;
        DWORD want = static_cast<DWORD>(std::min<size_t>(avail, size));
        DWORD got = 0;
        if (!InternetReadFile(request_, buf, want, &got)) return -1;
        return static_cast<long>(got);
    }
    uint64_t Length() const override { return length_; }

private:
    Session* s_;
    HINTERNET request_;
    uint64_t length_;
};

// Turns "file://..." into a path; false when the address is no local path.
bool LocalPath(const char* address, char* path, size_t size) {
    if (StartsWithNoCase(address, "file:")) {
        const char* p = address + 5;
        while (*p == '/') ++p;
        if (!bk::TextCopy(path, size, p)) return false;
        for (char* c = path; *c; ++c)
            if (*c == '/') *c = '\\';
        if (path[0] && path[1] != ':') {   // "file:///tmp/x" names a path of the drive root
            char tmp[1024];
            bk::TextCopy(tmp, path);
            bk::TextFormat(path, size, "\\%s", tmp);
        }
        return true;
    }
    if ((address[0] && address[1] == ':') || (address[0] == '\\' && address[1] == '\\'))
        return bk::TextCopy(path, size, address);
    return false;
}

}  // namespace

void Session::ReaderMain() {
    char address[1024];
    bk::TextCopy(address, this->address);
    std::unique_ptr<Source> src;
    bool isHttp = false;
    uint32_t icyMetaInt = 0, icyBitrate = 0;
    char icyName[256] = {};

    for (int depth = 0; depth < 3 && !abort; ++depth) {
        src.reset();
        char path[1024];
        SetOpenState(kConnecting);
        if (LocalPath(address, path, sizeof path)) {
            HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
            if (h == INVALID_HANDLE_VALUE) {
                char text[1200];
                bk::TextFormat(text, sizeof text, "Cannot open the file %s (error %lu)", path, GetLastError());
                Fail(text);
                return;
            }
            src.reset(new FileSource(h));
            isHttp = false;
        } else if (StartsWithNoCase(address, "http://") || StartsWithNoCase(address, "https://") ||
                   StartsWithNoCase(address, "icy://")) {
            char url[1024];
            if (StartsWithNoCase(address, "icy://")) bk::TextFormat(url, sizeof url, "http://%s", address + 6);
            else bk::TextCopy(url, address);
            char proxy[300];
            {
                bk::ScopedLock l(shared->lock);
                bk::TextCopy(proxy, shared->proxy);
            }
            HINTERNET inetHandle = proxy[0]
                ? InternetOpenA("tunerdeck playengine", INTERNET_OPEN_TYPE_PROXY, proxy, "<local>", 0)
                : InternetOpenA("tunerdeck playengine", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
            if (!inetHandle) {
                Fail("Cannot start the internet access");
                return;
            }
            {
                bk::ScopedLock l(netLock);
                if (abort) {
                    InternetCloseHandle(inetHandle);
                    return;
                }
                inet = inetHandle;
            }
            DWORD t = kConnectTimeoutMs;
            InternetSetOptionA(inetHandle, INTERNET_OPTION_CONNECT_TIMEOUT, &t, sizeof t);
            t = kReceiveTimeoutMs;
            InternetSetOptionA(inetHandle, INTERNET_OPTION_RECEIVE_TIMEOUT, &t, sizeof t);
            HINTERNET req = InternetOpenUrlA(inetHandle, url, "Icy-MetaData: 1\r\n", static_cast<DWORD>(-1),
                                             INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_RELOAD |
                                                 INTERNET_FLAG_NO_UI | INTERNET_FLAG_PRAGMA_NOCACHE,
                                             0);
            if (!req) {
                DWORD err = GetLastError();
                {
                    bk::ScopedLock l(netLock);
                    if (inet) InternetCloseHandle(inet);
                    inet = nullptr;
                }
                char text[1200];
                bk::TextFormat(text, sizeof text, "Cannot connect to %s (error %lu)", url, err);
                Fail(text);
                return;
            }
            DWORD status = 0, len = sizeof status;
            HttpQueryInfoA(req, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &len, nullptr);
            DWORD length = 0;
            len = sizeof length;
            if (!HttpQueryInfoA(req, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length, &len, nullptr))
                length = 0;
            char value[64] = "icy-metaint";
            len = sizeof value;
            if (HttpQueryInfoA(req, HTTP_QUERY_CUSTOM, value, &len, nullptr)) icyMetaInt = strtoul(value, nullptr, 10);
            bk::TextCopy(value, "icy-br");
            len = sizeof value;
            if (HttpQueryInfoA(req, HTTP_QUERY_CUSTOM, value, &len, nullptr)) icyBitrate = strtoul(value, nullptr, 10);
            bk::TextCopy(icyName, "icy-name");
            len = sizeof icyName - 1;
            if (!HttpQueryInfoA(req, HTTP_QUERY_CUSTOM, icyName, &len, nullptr)) icyName[0] = 0;
            src.reset(new HttpSource(this, req, length));
            isHttp = true;
            if (status >= 400) {
                char text[1200];
                bk::TextFormat(text, sizeof text, "The server answered %lu for %s", status, url);
                Fail(text);
                return;
            }
        } else {
            char text[1200];
            bk::TextFormat(text, sizeof text, "Unsupported address %s", address);
            Fail(text);
            return;
        }
        if (abort) return;
        SetOpenState(kOpening);

        if (!LooksLikePlaylistName(address)) break;
        // A playlist: read it whole (it is small), keep its entries, follow the first.
        std::vector<char> text;
        uint8_t buf[4096];
        while (text.size() < 256 * 1024 && !abort) {
            long n = src->Read(buf, sizeof buf);
            if (n <= 0) break;
            text.insert(text.end(), buf, buf + n);
        }
        int count = 0;
        Update([&](EngineShared& s) {
            count = static_cast<int>(bk::ParsePlaylist(text.data(), text.size(), s.entries, kMaxEntries));
            s.info.entryCount = count;
            s.info.currentEntry = count ? 1 : 0;
            if (count) bk::TextCopy(address, s.entries[0]);
        });
        if (abort) return;
        if (count == 0) {
            Fail("The playlist names no stream");
            return;
        }
    }
    if (abort || !src) return;

    AudioDecoder decoder;
    decoder.SkipMs(startMs);
    IcyDemux demux(icyMetaInt);
    std::vector<uint8_t> head;          // the start of the body until its headers are known
    bool headChecked = false;
    uint64_t bodyBytes = 0;
    std::vector<uint8_t> buf(16384), audio(16384);
    std::vector<int16_t> pcmOut;
    bool readFailed = false;

    while (!abort) {
        // Reading waits while plenty is queued (a paused live stream, or a file).
        if (formatKnown && QueuedMs() > kQueueCapMs) {
            Sleep(20);
            continue;
        }
        long n = src->Read(buf.data(), buf.size());
        if (abort) return;
        if (n < 0) {
            readFailed = true;
            break;
        }
        if (n == 0) break;
        bodyBytes += uint64_t(n);
        const uint8_t* data = buf.data();
        size_t len = static_cast<size_t>(n);

        if (!headChecked) {
            head.insert(head.end(), data, data + len);
            BodyHeaders bh;
            size_t used = 0;
            ParseResult r = ParseBodyHeaders(head.data(), head.size(), &bh, &used);
            if (r == ParseResult::NeedMore) continue;
            headChecked = true;
            if (r == ParseResult::Done) {
                if (bh.status >= 400) {
                    char text[128];
                    bk::TextFormat(text, sizeof text, "The server answered %d", bh.status);
                    Fail(text);
                    return;
                }
                if (bh.metaInt) demux.Reset(icyMetaInt = bh.metaInt);
                if (bh.bitrate) icyBitrate = bh.bitrate;
                if (bh.name[0]) bk::TextCopy(icyName, bh.name);
            } else {
                used = 0;
            }
            buf.assign(head.begin() + used, head.end());
            if (buf.size() < 16384) buf.resize(16384);
            data = buf.data();
            len = head.size() - used;
            head.clear();
            if (audio.size() < len) audio.resize(len);
        }

        bool titleChanged = false;
        size_t audioLen = demux.Feed(data, len, audio.data(), &titleChanged);
        if (buf.size() > 16384) buf.resize(16384);
        if (titleChanged) {
            Update([&](EngineShared& s) {
                bk::TextCopy(s.info.title, demux.Title());
                if (s.info.openState == kOpen) s.Push(EventKind::NewStream);
            });
        }
        bool wasKnown = decoder.Known();
        pcmOut.clear();
        AudioDecoder::Status st = decoder.Feed(audio.data(), audioLen, &pcmOut);
        if (st == AudioDecoder::Status::Unsupported) {
            Fail("Unsupported format: the stream holds no MP3 or PCM WAV audio");
            return;
        }
        if (decoder.Known() && !wasKnown) {
            channels = decoder.Channels();
            sampleRate = decoder.SampleRate();
            uint32_t durationMs = 0;
            uint64_t length = src->Length();
            if (!decoder.IsMp3() && decoder.WavDataBytes() && decoder.WavDataBytes() != 0xFFFFFFFFu &&
                decoder.Bitrate())
                durationMs = static_cast<uint32_t>(uint64_t(decoder.WavDataBytes()) * 8000 / decoder.Bitrate());
            else if (decoder.IsMp3() && length > decoder.HeaderBytes() && !icyMetaInt && decoder.Bitrate())
                durationMs = static_cast<uint32_t>((length - decoder.HeaderBytes()) * 8000 / decoder.Bitrate());
            Update([&](EngineShared& s) {
                s.info.bitrate = icyBitrate ? icyBitrate * 1000 : decoder.Bitrate();
                s.info.durationMs = durationMs;
                if (icyName[0]) bk::TextCopy(s.info.author, icyName);
                if (s.info.entryCount == 0) {   // a single address is a list of one
                    s.info.entryCount = 1;
                    s.info.currentEntry = 1;
                    bk::TextCopy(s.entries[0], address);
                }
            });
        }
        if (!pcmOut.empty()) {
            {
                bk::ScopedLock l(pcmLock);
                pcm.insert(pcm.end(), pcmOut.begin(), pcmOut.end());
            }
            if (!formatKnown) {
                formatKnown = true;
                SetOpenState(kOpen);
            }
        }
    }
    if (abort) return;
    if (decoder.Known()) {
        pcmOut.clear();
        decoder.Flush(&pcmOut);
        bk::ScopedLock l(pcmLock);
        pcm.insert(pcm.end(), pcmOut.begin(), pcmOut.end());
    }
    if (!formatKnown) {
        if (readFailed) Fail("The connection broke off before any audio arrived");
        else if (bodyBytes == 0) Fail("The server sent no data");
        else Fail("Unsupported format: the stream holds no MP3 or PCM WAV audio");
        return;
    }
    // A live stream has no end of its own, and a download shorter than its
    // announced length broke off.
    uint64_t length = src->Length();
    brokenEnd = readFailed || (isHttp && (length == 0 || bodyBytes < length));
    eof = true;
}

// ---------------------------------------------------------------- sound output

void Session::OutputMain() {
    // Wait for the format (or the reader's failure).
    while (!abort && !formatKnown && !failed) Sleep(10);
    if (abort || failed) return;

    WAVEFORMATEX fmt = {};
    fmt.wFormatTag = WAVE_FORMAT_PCM;
    fmt.nChannels = channels;
    fmt.nSamplesPerSec = sampleRate;
    fmt.wBitsPerSample = 16;
    fmt.nBlockAlign = static_cast<WORD>(channels * 2);
    fmt.nAvgBytesPerSec = sampleRate * fmt.nBlockAlign;
    bk::ScopedHandle waveEvent(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    HWAVEOUT wave = nullptr;

    const size_t framesPerBuffer = std::max<size_t>(1, sampleRate * kWaveBufferMs / 1000);
    std::vector<std::vector<int16_t>> data(kWaveBuffers, std::vector<int16_t>(framesPerBuffer * channels));
    std::vector<WAVEHDR> hdr(kWaveBuffers);
    std::vector<bool> queued(kWaveBuffers, false);
    uint64_t playedFrames = 0;
    bool buffering = false, paused = false;

    auto inFlight = [&] { return std::count(queued.begin(), queued.end(), true); };
    auto reclaim = [&] {
        for (int i = 0; i < kWaveBuffers; ++i) {
            if (queued[i] && (hdr[i].dwFlags & WHDR_DONE)) {
                waveOutUnprepareHeader(wave, &hdr[i], sizeof hdr[i]);
                playedFrames += hdr[i].dwBufferLength / fmt.nBlockAlign;
                queued[i] = false;
            }
        }
        Update([&](EngineShared& s) {
            s.info.positionMs = startMs + static_cast<uint32_t>(playedFrames * 1000 / sampleRate);
        });
    };
    auto startBuffering = [&] {
        buffering = true;
        Update([&](EngineShared& s) {
            s.info.bufferingProgress = 0;
            s.Push(EventKind::BufferingStart);
        });
        SetPlayState(kWaiting);
    };

    while (!abort) {
        if (!playRequested) {
            Sleep(10);
            continue;
        }
        if (!wave) {
            if (waveOutOpen(&wave, WAVE_MAPPER, &fmt, reinterpret_cast<DWORD_PTR>(waveEvent.Get()), 0,
                            CALLBACK_EVENT) != MMSYSERR_NOERROR) {
                wave = nullptr;
                Fail("Cannot open the sound output");
                break;
            }
            startBuffering();
        }
        if (wave) reclaim();

        if (buffering) {
            uint32_t need = 0;
            {
                bk::ScopedLock l(shared->lock);
                need = shared->bufferMs;
            }
            uint32_t have = QueuedMs();
            int32_t progress = need ? static_cast<int32_t>(std::min<uint64_t>(100, uint64_t(have) * 100 / need)) : 100;
            if (eof) progress = 100;
            Update([&](EngineShared& s) { s.info.bufferingProgress = progress; });
            if (progress >= 100) {
                buffering = false;
                if (paused) waveOutPause(wave);
                SetPlayState(paused ? kPaused : kPlaying);
                Update([&](EngineShared& s) { s.Push(EventKind::BufferingEnd); });
            } else {
                Sleep(20);
                continue;
            }
        }

        bool wantPause = pauseRequested;
        if (wantPause != paused) {
            paused = wantPause;
            if (paused) waveOutPause(wave);
            else waveOutRestart(wave);
            SetPlayState(paused ? kPaused : kPlaying);
        }

        // Keep the device fed.
        for (int i = 0; i < kWaveBuffers && !abort; ++i) {
            if (queued[i]) continue;
            size_t samples = 0;
            {
                bk::ScopedLock l(pcmLock);
                samples = std::min(pcm.size() - pcm.size() % channels, data[i].size());
                std::copy(pcm.begin(), pcm.begin() + samples, data[i].begin());
                pcm.erase(pcm.begin(), pcm.begin() + samples);
            }
            if (!samples) break;
            hdr[i] = WAVEHDR();
            hdr[i].lpData = reinterpret_cast<LPSTR>(data[i].data());
            hdr[i].dwBufferLength = static_cast<DWORD>(samples * 2);
            waveOutPrepareHeader(wave, &hdr[i], sizeof hdr[i]);
            if (waveOutWrite(wave, &hdr[i], sizeof hdr[i]) == MMSYSERR_NOERROR) {
                queued[i] = true;
            } else {
                waveOutUnprepareHeader(wave, &hdr[i], sizeof hdr[i]);
            }
        }

        if (inFlight() == 0 && QueuedFrames() == 0) {
            if (eof) {
                if (brokenEnd) {
                    Fail("The stream ended unexpectedly");
                } else {
                    ended = true;
                    Update([&](EngineShared& s) {
                        s.Push(EventKind::EndOfStream);
                        s.ChangeState(&s.info.playState, EventKind::PlayState, kStopped);
                    });
                }
                break;
            }
            if (!paused) startBuffering();   // ran dry: fill up again before going on
        }
        WaitForSingleObject(waveEvent.Get(), 20);
    }

    if (wave) {
        waveOutReset(wave);
        for (int i = 0; i < kWaveBuffers; ++i)
            if (queued[i]) waveOutUnprepareHeader(wave, &hdr[i], sizeof hdr[i]);
        waveOutClose(wave);
    }
}

// ---------------------------------------------------------------- the engine

PlayEngine::PlayEngine(HWND notifyWnd, UINT notifyMsg)
    : notifyWnd_(notifyWnd), notifyMsg_(notifyMsg), shared_(std::make_shared<EngineShared>()) {
    shared_->notifyWnd = notifyWnd;
    shared_->notifyMsg = notifyMsg;
}

PlayEngine::~PlayEngine() {
    {
        bk::ScopedLock l(shared_->lock);
        shared_->notifyWnd = nullptr;   // nothing is posted to a window that may be gone
        ++shared_->generation;
    }
    StopSession();
}

void PlayEngine::StopSession() {
    std::shared_ptr<Session> s = std::move(session_);
    if (!s) return;
    s->Abort();
    // Bounded: a thread stuck in the system is left to finish on its own; it
    // holds its own reference to the session.
    HANDLE done[2] = {s->readerDone, s->outputDone};
    WaitForMultipleObjects(2, done, TRUE, 3000);
}

void PlayEngine::Start(bool play, uint32_t startMs) {
    StopSession();
    auto s = std::make_shared<Session>();
    s->shared = shared_;
    s->startMs = startMs;
    s->playRequested = play;
    {
        bk::ScopedLock l(shared_->lock);
        s->generation = ++shared_->generation;
        EngineInfo& info = shared_->info;
        const char* address = shared_->address;
        if (info.entryCount > 0 && info.currentEntry >= 1 && info.currentEntry <= info.entryCount)
            address = shared_->entries[info.currentEntry - 1];
        bk::TextCopy(s->address, address);
        info.hasError = false;
        info.error[0] = 0;
        info.positionMs = startMs;
        info.bufferingProgress = 0;
    }
    session_ = s;
    std::thread([s] {
        s->ReaderMain();
        SetEvent(s->readerDone);
    }).detach();
    std::thread([s] {
        s->OutputMain();
        SetEvent(s->outputDone);
    }).detach();
}

void PlayEngine::Open(const char* address, bool autoStart) {
    {
        bk::ScopedLock l(shared_->lock);
        bk::TextCopy(shared_->address, address ? address : "");
        EngineInfo& info = shared_->info;
        info.entryCount = 0;
        info.currentEntry = 0;
        info.title[0] = 0;
        info.author[0] = 0;
        info.durationMs = 0;
        info.bitrate = 0;
    }
    if (!address || !address[0]) {
        Close();
        return;
    }
    Start(autoStart, 0);
}

void PlayEngine::Play() {
    if (session_ && !session_->failed && !session_->abort && !session_->ended) {
        session_->pauseRequested = false;
        session_->playRequested = true;
        return;
    }
    bool haveAddress;
    {
        bk::ScopedLock l(shared_->lock);
        haveAddress = shared_->address[0] != 0;
    }
    if (haveAddress) Start(true, 0);
}

void PlayEngine::Pause() {
    if (session_ && session_->playRequested) session_->pauseRequested = true;
}

void PlayEngine::Stop() {
    StopSession();
    bk::ScopedLock l(shared_->lock);
    ++shared_->generation;
    EngineInfo& info = shared_->info;
    info.bufferingProgress = 0;
    info.positionMs = 0;
    shared_->ChangeState(&info.playState, EventKind::PlayState, kStopped);
}

void PlayEngine::Close() {
    Stop();
    bk::ScopedLock l(shared_->lock);
    shared_->address[0] = 0;
    EngineInfo& info = shared_->info;
    info.entryCount = 0;
    info.currentEntry = 0;
    shared_->ChangeState(&info.openState, EventKind::OpenState, kClosed);
}

void PlayEngine::SetCurrentEntry(int32_t entry) {
    bk::ScopedLock l(shared_->lock);
    if (entry >= 1 && entry <= shared_->info.entryCount) shared_->info.currentEntry = entry;
}

void PlayEngine::Seek(uint32_t ms) {
    bool play = session_ && session_->playRequested && !session_->pauseRequested;
    Start(play, ms);
}

void PlayEngine::SetBufferMs(uint32_t ms) {
    bk::ScopedLock l(shared_->lock);
    shared_->bufferMs = std::min<uint32_t>(ms, 120000);
}

void PlayEngine::SetProxy(const char* host, uint32_t port) {
    bk::ScopedLock l(shared_->lock);
    if (host && host[0]) bk::TextFormat(shared_->proxy, sizeof shared_->proxy, "%s:%u", host, port);
    else shared_->proxy[0] = 0;
}

void PlayEngine::SetCredentials(const char*, const char*) {
    // Streams are read without log-in; the credentials belong to the
    // interface server, not to the stations.
}

EngineInfo PlayEngine::Info() const {
    bk::ScopedLock l(shared_->lock);
    return shared_->info;
}

bool PlayEngine::PopEvent(Event* ev) {
    bk::ScopedLock l(shared_->lock);
    if (shared_->events.empty()) return false;
    *ev = shared_->events.front();
    shared_->events.pop_front();
    return true;
}

}  // namespace pe
