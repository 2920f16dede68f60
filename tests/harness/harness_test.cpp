#include "tdtest.h"

#include <gtest/gtest.h>
#include <wininet.h>

#include <BladeMP3EncDLL.h>
#include <portaudio.h>

#include <algorithm>
#include <cstring>

using namespace tdtest;

namespace {

// ------------------------------------------------------------ files, registry
TEST(Fixtures, TempFolderIsCreatedAndRemoved) {
    std::string path;
    {
        TempFolder tmp("harness");
        path = tmp.Path();
        ASSERT_FALSE(path.empty());
        tmp.Write("a.txt", std::string("x\0y", 3));
        CreateDirectoryA(tmp.File("sub").c_str(), nullptr);
        tmp.Write("sub\\b.bin", "b");
        EXPECT_EQ(tmp.Read("a.txt"), std::string("x\0y", 3));
        EXPECT_TRUE(tmp.Exists("sub\\b.bin"));
    }
    EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(Fixtures, RegistrySandboxLeavesNothingBehind) {
    const std::string key = "Software\\TunerdeckTests\\Harness";
    {
        RegistrySandbox reg(key);
        EXPECT_FALSE(reg.Exists());
        ASSERT_TRUE(reg.SetString("Name", "Wert"));
        std::string v;
        ASSERT_TRUE(reg.GetString("Name", &v));
        EXPECT_EQ(v, "Wert");
    }
    HKEY h;
    EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &h), ERROR_SUCCESS);
}

TEST(Fixtures, VersionBlockIsReadable) {
    std::string dll = BinDir() + "\\td_probe.dll";
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(dll.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<char> data(size);
    ASSERT_TRUE(GetFileVersionInfoA(dll.c_str(), 0, size, data.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &len));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010002u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00030004u);
    char* text = nullptr;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\StringFileInfo\\040904b0\\InternalName",
                               reinterpret_cast<void**>(&text), &len));
    EXPECT_STREQ(text, "td_probe");
}

// ------------------------------------------------------------ HTTP server
struct Fetched {
    DWORD status = 0;
    std::string body;
    DWORD error = 0;
    std::string contentEncoding;
};

Fetched Fetch(const std::string& url, const char* method = "GET", const std::string& post = "",
              const char* extraHeaders = nullptr) {
    Fetched f;
    HINTERNET net = InternetOpenA("harness", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    URL_COMPONENTSA uc = {};
    char host[256], path[2048];
    uc.dwStructSize = sizeof uc;
    uc.lpszHostName = host;
    uc.dwHostNameLength = sizeof host;
    uc.lpszUrlPath = path;
    uc.dwUrlPathLength = sizeof path;
    InternetCrackUrlA(url.c_str(), 0, 0, &uc);
    HINTERNET con = InternetConnectA(net, host, uc.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
    HINTERNET req = HttpOpenRequestA(con, method, path, nullptr, nullptr, nullptr,
                                     INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
    if (!HttpSendRequestA(req, extraHeaders, extraHeaders ? DWORD(-1) : 0,
                          post.empty() ? nullptr : const_cast<char*>(post.data()), DWORD(post.size()))) {
        f.error = GetLastError();
    } else {
        DWORD len = sizeof f.status;
        HttpQueryInfoA(req, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &f.status, &len, nullptr);
        char buf[4096];
        DWORD got = 0;
        while (InternetReadFile(req, buf, sizeof buf, &got) && got > 0) f.body.append(buf, got);
    }
    InternetCloseHandle(req);
    InternetCloseHandle(con);
    InternetCloseHandle(net);
    return f;
}

TEST(HttpServerFixture, AnswersAsScripted) {
    HttpServer srv;
    ASSERT_GT(srv.Port(), 0);
    srv.Serve("/hello", "Hallo Welt");
    srv.Route("/missing", [](const HttpRequest&) { return HttpResponse::Text(404, "nope"); });
    srv.Route("/moved", [&](const HttpRequest&) { return HttpResponse::Redirect(302, "/hello"); });
    srv.Route("/zip", [](const HttpRequest&) {
        HttpResponse r = HttpResponse::Text(200, std::string(5000, 'z'));
        r.gzip = true;
        return r;
    });
    srv.Route("/cut", [](const HttpRequest&) {
        HttpResponse r = HttpResponse::Text(200, std::string(1000, 'c'));
        r.truncateAfter = 100;
        return r;
    });
    srv.Route("/slow", [](const HttpRequest&) {
        HttpResponse r = HttpResponse::Text(200, "abcdef");
        r.chunkSize = 2;
        r.chunkDelayMs = 30;
        return r;
    });
    srv.Route("/dir/*", [](const HttpRequest& q) { return HttpResponse::Text(200, "prefix:" + q.path); });

    struct Case {
        const char* path;
        DWORD status;
        std::string body;
    } cases[] = {
        {"/hello", 200, "Hallo Welt"},
        {"/missing", 404, "nope"},
        {"/moved", 200, "Hallo Welt"},
        {"/slow", 200, "abcdef"},
        {"/dir/x/y", 200, "prefix:/dir/x/y"},
        {"/unknown", 404, "not found"},
    };
    for (const auto& c : cases) {
        Fetched f = Fetch(srv.Url(c.path));
        EXPECT_EQ(f.status, c.status) << c.path;
        EXPECT_EQ(f.body, c.body) << c.path;
    }

    Fetched z = Fetch(srv.Url("/zip"));
    std::string plain;
    ASSERT_TRUE(GunzipBytes(z.body, &plain));     // WinINet hands over the raw gzip bytes
    EXPECT_EQ(plain, std::string(5000, 'z'));

    Fetched cut = Fetch(srv.Url("/cut"));
    EXPECT_EQ(cut.body.size(), 100u);
}

TEST(HttpServerFixture, RecordsPostBodies) {
    HttpServer srv;
    srv.Serve("/post", "ok");
    Fetched f = Fetch(srv.Url("/post?x=1"), "POST", "<xml>daten</xml>", "Content-Type: text/xml\r\n");
    EXPECT_EQ(f.status, 200u);
    auto reqs = srv.Requests();
    ASSERT_EQ(reqs.size(), 1u);
    EXPECT_EQ(reqs[0].method, "POST");
    EXPECT_EQ(reqs[0].path, "/post");
    EXPECT_EQ(reqs[0].query, "x=1");
    EXPECT_EQ(reqs[0].body, "<xml>daten</xml>");
    EXPECT_EQ(reqs[0].Header("content-type"), "text/xml");
}

TEST(HttpServerFixture, RefusedWhenStopped) {
    std::string url;
    {
        HttpServer srv;
        url = srv.Url("/x");
    }
    Fetched f = Fetch(url);
    EXPECT_EQ(f.status, 0u);
    EXPECT_NE(f.error, 0u);
}

// ------------------------------------------------------------ two processes
const char kReceiverClass[] = "td_harness_receiver";

struct Received {
    ULONG_PTR kind = 0;
    std::string bytes;
};
Received g_received;

LRESULT CALLBACK ReceiverProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COPYDATA) {
        auto* cds = reinterpret_cast<COPYDATASTRUCT*>(lp);
        g_received.kind = cds->dwData;
        g_received.bytes.assign(static_cast<const char*>(cds->lpData), cds->cbData);
        return 4242;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

// The child finds the test's window, sends one record and reports the answer.
TD_CHILD(copydata_sender) {
    HWND target = nullptr;
    for (const DWORD start = GetTickCount(); !target && GetTickCount() - start < 30000; Sleep(10))
        target = FindWindowA(kReceiverClass, nullptr);
    if (!target) return 2;
    const char payload[] = "record\0with zero";
    COPYDATASTRUCT cds = {7, sizeof payload, const_cast<char*>(payload)};
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(target, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds), SMTO_ABORTIFHUNG, 5000, &answer))
        return 3;
    return answer == 4242 ? 0 : 4;
}

TEST(TwoProcesses, ExchangeCopyDataRecord) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ReceiverProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kReceiverClass;
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowA(kReceiverClass, "receiver", 0, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(hwnd, nullptr);

    Process child;
    ASSERT_TRUE(child.StartChild("copydata_sender"));
    DWORD code = 1;
    ASSERT_TRUE(WaitFor([&] { return child.Wait(0, &code); }, 15000));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(g_received.kind, 7u);
    EXPECT_EQ(g_received.bytes, std::string("record\0with zero", 17));
    DestroyWindow(hwnd);
}

TD_CHILD(window_owner) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "td_harness_child_window";
    RegisterClassA(&wc);
    CreateWindowA(wc.lpszClassName, "child", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, nullptr, nullptr, wc.hInstance, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return 0;
}

TEST(TwoProcesses, WaitsForTheChildsWindowAndEndsIt) {
    Process child;
    ASSERT_TRUE(child.StartChild("window_owner"));
    HWND w = child.WaitForWindow("td_harness_child_window");
    ASSERT_NE(w, nullptr);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    EXPECT_EQ(pid, child.Pid());
    PostMessageA(w, WM_QUIT, 0, 0);
    EXPECT_TRUE(child.Wait(10000));
}

// ------------------------------------------------------------ display
LRESULT CALLBACK PaintProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT r;
        GetClientRect(hwnd, &r);
        HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
        FillRect(dc, &r, blue);
        DeleteObject(blue);
        RECT red = {10, 10, 60, 40};
        HBRUSH rb = CreateSolidBrush(RGB(255, 0, 0));
        FillRect(dc, &red, rb);
        DeleteObject(rb);
        EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

TEST(Display, WindowIsCapturedAsPng) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = PaintProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "td_harness_paint";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "paint", WS_POPUP | WS_VISIBLE, 100, 100, 200, 120,
                                nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(hwnd, nullptr);
    UpdateWindow(hwnd);
    int w = 0, h = 0;
    std::vector<uint32_t> px;
    // The X server shows the window a little after it was mapped.
    bool seen = WaitFor([&] { return CaptureWindow(hwnd, &w, &h, &px) && px[60 * w + 150] == 0x0000FF &&
                                     px[20 * w + 20] == 0xFF0000; }, 5000, 50);
    EXPECT_TRUE(seen);
    std::string png = ArtifactDir() + "\\harness-window.png";
    ASSERT_TRUE(WritePng(png, w, h, px));
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(png, &bytes));
    EXPECT_EQ(bytes.compare(0, 8, std::string("\x89PNG\r\n\x1a\n", 8)), 0);
    DestroyWindow(hwnd);
}

// ------------------------------------------------------------ LAME
// Checks an MPEG-1 layer III frame header and returns the bit rate in kbit/s.
int Mp3FrameBitrate(const unsigned char* p) {
    static const int kRates[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
    if (p[0] != 0xFF || (p[1] & 0xFE) != 0xFA) return 0;   // sync, MPEG-1, layer III
    return kRates[p[2] >> 4];
}

TEST(Lame, EncoderLibraryEncodesOneSecond) {
    static_assert(sizeof(BE_CONFIG) == 331, "encoder config must be byte-packed as the interface defines it");
    HMODULE lib = LoadLibraryA("lame_enc.dll");
    ASSERT_NE(lib, nullptr);
    auto init = reinterpret_cast<BEINITSTREAM>(GetProcAddress(lib, "beInitStream"));
    auto encode = reinterpret_cast<BEENCODECHUNK>(GetProcAddress(lib, "beEncodeChunk"));
    auto deinit = reinterpret_cast<BEDEINITSTREAM>(GetProcAddress(lib, "beDeinitStream"));
    auto close = reinterpret_cast<BECLOSESTREAM>(GetProcAddress(lib, "beCloseStream"));
    auto version = reinterpret_cast<BEVERSION>(GetProcAddress(lib, "beVersion"));
    ASSERT_TRUE(init && encode && deinit && close && version);

    BE_VERSION ver = {};
    version(&ver);
    EXPECT_GE(ver.byMajorVersion, 1);

    BE_CONFIG cfg = {};
    cfg.dwConfig = BE_CONFIG_LAME;
    cfg.format.LHV1.dwStructVersion = 1;
    cfg.format.LHV1.dwStructSize = sizeof cfg;
    cfg.format.LHV1.dwSampleRate = 44100;
    cfg.format.LHV1.nMode = BE_MP3_MODE_JSTEREO;
    cfg.format.LHV1.dwBitrate = 128;
    cfg.format.LHV1.nPreset = LQP_NOPRESET;
    cfg.format.LHV1.bWriteVBRHeader = FALSE;
    DWORD samples = 0, outSize = 0;
    HBE_STREAM stream = 0;
    ASSERT_EQ(init(&cfg, &samples, &outSize, &stream), BE_ERR_SUCCESSFUL);
    ASSERT_GT(samples, 0u);

    std::vector<int16_t> pcm = SineStereo(440, 1.0, 8000);
    std::vector<BYTE> out(outSize);
    std::string mp3;
    for (size_t off = 0; off < pcm.size(); off += samples) {
        DWORD n = static_cast<DWORD>(std::min<size_t>(samples, pcm.size() - off));
        DWORD produced = 0;
        ASSERT_EQ(encode(stream, n, reinterpret_cast<PSHORT>(pcm.data() + off), out.data(), &produced),
                  BE_ERR_SUCCESSFUL);
        mp3.append(reinterpret_cast<char*>(out.data()), produced);
    }
    DWORD produced = 0;
    ASSERT_EQ(deinit(stream, out.data(), &produced), BE_ERR_SUCCESSFUL);
    mp3.append(reinterpret_cast<char*>(out.data()), produced);
    close(stream);
    FreeLibrary(lib);

    ASSERT_GT(mp3.size(), 10000u);   // about 16 KB for one second at 128 kbit/s
    EXPECT_EQ(Mp3FrameBitrate(reinterpret_cast<const unsigned char*>(mp3.data())), 128);
    EXPECT_TRUE(WriteFileBytes(ArtifactDir() + "\\harness-tone.mp3", mp3));
}

// ------------------------------------------------------------ PortAudio and sound
TEST(Sound, PortAudioRecordsWhatPlaysOnTheNullSink) {
    ASSERT_EQ(Pa_Initialize(), paNoError);
    int count = Pa_GetDeviceCount();
    ASSERT_GT(count, 0) << "no sound devices: is the PulseAudio null sink running?";
    int inputs = 0;
    for (int i = 0; i < count; ++i) {
        const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
        if (info && info->maxInputChannels > 0) ++inputs;
    }
    EXPECT_GT(inputs, 0);
    PaDeviceIndex dev = Pa_GetDefaultInputDevice();
    ASSERT_NE(dev, paNoDevice);

    PaStreamParameters in = {};
    in.device = dev;
    in.channelCount = 2;
    in.sampleFormat = paInt16;
    in.suggestedLatency = Pa_GetDeviceInfo(dev)->defaultLowInputLatency;
    PaStream* stream = nullptr;
    ASSERT_EQ(Pa_OpenStream(&stream, &in, nullptr, 44100, 4410, paClipOff, nullptr, nullptr), paNoError);
    ASSERT_EQ(Pa_StartStream(stream), paNoError);

    // Long enough for a slow start; stopped once heard. Seconds are read
    // until one holds the tone throughout.
    TonePlayer tone(SineStereo(1000, 40.0, 12000));
    std::vector<int16_t> rec(44100 * 2);
    ToneStats st;
    for (const DWORD start = GetTickCount(); GetTickCount() - start < 20000;) {
        ASSERT_EQ(Pa_ReadStream(stream, rec.data(), 44100), paNoError);
        st = Measure(rec.data(), 44100);
        if (st.rms > 4000.0) break;
    }
    Pa_StopStream(stream);
    Pa_CloseStream(stream);
    Pa_Terminate();
    tone.Stop();

    EXPECT_GT(st.rms, 4000.0);
    EXPECT_NEAR(st.frequency, 1000.0, 20.0);
}

TEST(Sound, WaveCaptureMeasuresAPlayedTone) {
    TonePlayer tone(SineStereo(440, 40.0, 10000));   // stopped once heard
    ToneStats st;
    for (const DWORD start = GetTickCount(); GetTickCount() - start < 20000;) {
        std::vector<int16_t> rec;
        ASSERT_TRUE(CaptureDefault(1000, &rec));
        st = Measure(rec.data(), rec.size() / 2);
        if (st.rms > 3000.0) break;
    }
    tone.Stop();
    EXPECT_GT(st.rms, 3000.0);
    EXPECT_NEAR(st.frequency, 440.0, 10.0);
}

}  // namespace
