// The host's status reports: each code's posted messages, host callbacks and
// display updates (one table), the connecting flag, the 400 ms rule of the
// run info, and reports before the windows exist and after they are gone.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "host_exports.h"
#include "library_state.h"
#include "skin_wnd.h"
#include "status_intake.h"
#include "wnd_list.h"

namespace {

const char* kClass = "facetkit_status_test_wnd";

struct Seen {
    std::string who;
    UINT msg;
    WPARAM w;
    LPARAM l;
};
std::vector<Seen> g_posts;
std::vector<std::string> g_log;   // callbacks, display calls, message boxes

std::string Fmt(const char* f, ...) {
    char b[512];
    va_list a;
    va_start(a, f);
    vsnprintf(b, sizeof b, f, a);
    va_end(a);
    return b;
}

class RecordingWnd : public cSkinWnd {
public:
    RecordingWnd(unsigned id, const char* who) : who_(who) {
        static bool registered = false;
        if (!registered) {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = &cSkinWnd::StaticWndProc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = kClass;
            RegisterClassA(&wc);
            registered = true;
        }
        SetSize(50, 50);
        hwnd = CreateWindowExA(0, kClass, who, WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, GetModuleHandleA(nullptr),
                               this);
        InitWindow(hwnd, id);
    }
    LRESULT WndProc(HWND h, UINT msg, WPARAM w, LPARAM l) override {
        if (msg >= 1100 && msg < 1300) {
            g_posts.push_back({who_, msg, w, l});
            if (msg == WM_FK_RECORD_START_INFO && l == 1) {
                g_log.push_back(Fmt("copy:%s", reinterpret_cast<char*>(w)));
                delete[] reinterpret_cast<char*>(w);
            }
            return 0;
        }
        return cSkinWnd::WndProc(h, msg, w, l);
    }
    HWND hwnd;

private:
    std::string who_;
};

class RecordingDisplay : public cStatusDisplay {
public:
    void SetStatusLine(const char* t, int c) override { g_log.push_back(Fmt("line(%s,%d)", t ? t : "null", c)); }
    void SetBufferValue(int v) override { g_log.push_back(Fmt("buffer(%d)", v)); }
    void SetPlayState(int s) override { g_log.push_back(Fmt("play(%d)", s)); }
    void SetVolume(int a, int b, int c) override { g_log.push_back(Fmt("volume(%d,%d,%d)", a, b, c)); }
    void SetTrackTitle(int i, const char* t) override { g_log.push_back(Fmt("title(%d,%s)", i, t ? t : "null")); }
    unsigned long GetStationId() override { return 4711; }
    void SetSearchFinished(int f) override { g_log.push_back(Fmt("searched(%d)", f)); }
    void SetStreamInfo(unsigned long t, unsigned long n, unsigned long d, const char* a, const char* b) override {
        g_log.push_back(Fmt("stream(%lu,%lu,%lu,%s,%s)", t, n, d, a ? a : "null", b ? b : "null"));
    }
    DWORD GetRunInfoFlag() override { return stamp; }
    void SetRunInfoFlag(DWORD s) override { stamp = s; }
    int IsRunInfoHeld() override { return held; }
    void SetRunInfo(unsigned long n, unsigned long p, unsigned long r) override {
        g_log.push_back(Fmt("run(%lu,%lu,%lu)", n, p, r));
    }
    void SetNavBannerHeight(int h) override { g_log.push_back(Fmt("banner(%d)", h)); }
    void SetRecDeviceList(const char* t) override { g_log.push_back(Fmt("devices(%s)", t ? t : "null")); }
    void SetRecSourceList(const char* t) override { g_log.push_back(Fmt("sources(%s)", t ? t : "null")); }
    void SetRecordingInfo(int a, int b, int c, int d) override {
        g_log.push_back(Fmt("recinfo(%d,%d,%d,%d)", a, b, c, d));
    }
    void SetLevelSlider(int a, int b, int c) override { g_log.push_back(Fmt("level(%d,%d,%d)", a, b, c)); }
    void SetQualityInfo(const char* a, const char* b, int x, int y, int z) override {
        g_log.push_back(Fmt("quality(%s,%s,%d,%d,%d)", a, b, x, y, z));
    }
    DWORD stamp = 0;
    int held = 0;
};

int RecordCallback(int code, int ch, void*) {
    g_log.push_back(Fmt("cb(%d,%d)", code, ch));
    return 0;
}
void RecordBox(const char* text, const char* caption) { g_log.push_back(Fmt("box(%s,%s)", text, caption)); }

void Pump() {
    MSG m;
    for (int pass = 0; pass < 3; ++pass) {
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
        Sleep(2);
    }
}

class StatusTest : public ::testing::Test {
protected:
    void SetUp() override {
        Library().callback = RecordCallback;
        SetStatusMessageSink(RecordBox);
        GetStatusFlags().connecting = 0;
    }
    void TearDown() override {
        SetStatusDisplay(nullptr);
        CloseWindows();
        Library().callback = nullptr;
        SetStatusMessageSink(nullptr);
        g_posts.clear();
        g_log.clear();
    }
    void OpenWindows(bool navigator = true) {
        main_ = new RecordingWnd(WND_ID_MAIN, "main");
        if (navigator) nav_ = new RecordingWnd(WND_ID_NAVIGATOR, "nav");
        SetStatusDisplay(&display_);
    }
    void CloseWindows() {
        SetStatusDisplay(nullptr);
        std::vector<HWND> windows;
        for (RecordingWnd* w : {main_, nav_})
            if (w) windows.push_back(w->hwnd);
        GetWindowList().Delete();
        for (HWND h : windows) DestroyWindow(h);
        main_ = nav_ = nullptr;
        Pump();
    }
    void Clear() {
        Pump();
        g_posts.clear();
        g_log.clear();
    }
    RecordingWnd* main_ = nullptr;
    RecordingWnd* nav_ = nullptr;
    RecordingDisplay display_;
};

std::string Posts() {
    std::string s;
    for (const Seen& p : g_posts)
        s += Fmt("%s:%u(%d,%d) ", p.who.c_str(), p.msg, static_cast<int>(p.w), static_cast<int>(p.l));
    return s;
}
std::string Log() {
    std::string s;
    for (const std::string& l : g_log) s += l + " ";
    return s;
}

TEST_F(StatusTest, EveryCodeTakesItsEffect) {
    OpenWindows();
    struct Case {
        int code;
        const char* value;
        const char* posts;   // as received, main before nav for the same broadcast
        const char* log;
    } cases[] = {
        {0, "Verbunden", "", "line(Verbunden,0) "},
        {1, "73", "", "buffer(73) "},
        {2, "", "main:1140(0,0) nav:1140(0,0) ", "cb(14,4711) "},
        {3, "80|100|0", "", "volume(80,100,0) "},
        {3, "80", "", "volume(80,0,0) "},
        {3, nullptr, "", "volume(0,0,0) "},
        {6, "Titel", "", "line(Titel,0) title(1,Titel) "},
        {7, "", "main:1133(0,0) nav:1133(0,0) ", "searched(1) "},
        {8, "", "", "play(0) "},
        {9, "", "", "play(1) "},
        {10, "", "", "play(3) "},
        {11, "Hinweis", "", "box(Hinweis,velmirant-Player) "},
        {13, "Verbinde...", "", "play(2) line(Verbinde...,1) "},
        {16, "keep_record finished playing...", "main:1142(0,0) nav:1142(0,0) ", ""},
        {16, "finished playing...", "main:1142(0,0) nav:1142(0,0) ", "cb(39,0) "},
        {16, nullptr, "main:1142(0,0) nav:1142(0,0) ", "cb(39,0) "},
        // Still connecting since code 13 above: the flag stays as it is.
        {17, "", "", "line(,1) "},
        {20, "", "", "line(,1) "},
        {28, "", "nav:1159(0,0) ", "banner(0) "},
        {29, "0", "nav:1160(1,0) ", "cb(37,0) "},
        {29, "1", "", ""},
        {31, "", "nav:1158(1,0) ", ""},
        {32, "", "nav:1158(2,0) ", ""},
        {33, "", "nav:1158(3,0) ", ""},
        {40, "12|34", "main:1161(12,34) nav:1161(12,34) ", ""},
        {41, "5", "main:1165(3,5) ", ""},
        {42, "1|2|3", "", "recinfo(1,2,3,0) "},
        {43, "Geraet", "", "devices(Geraet) "},
        {44, "5|10|1", "", "level(5,10,1) "},
        {45, "", "nav:1162(0,0) ", ""},
        {47, "Aufnahme", "main:1181(*,1) ", "copy:Aufnahme "},
        {48, "7", "main:1165(1,7) nav:1140(0,0) ", ""},
        {51, "", "main:1165(2,0) ", ""},
        {52, "a\x02" "MP3\x02" "128 kBit\x02" "44100\x02" "2\x02" "16", "", "quality(MP3,128 kBit,44100,2,16) "},
        {52, nullptr, "", "quality(,,0,0,0) "},
        {53, "", "main:1165(4,0) ", ""},
        {65, "3|120", "nav:1188(3,120) ", ""},
        {66, "4|0", "nav:1189(4,0) ", ""},
        {66, "", "", ""},
        {67, "", "main:1190(0,0) ", ""},
        {68, "", "main:1191(0,0) ", ""},
        {70, "Quelle", "", "sources(Quelle) "},
        {71, "9", "main:1165(9,0) ", ""},
        {72, "", "", ""},
    };
    for (const Case& c : cases) {
        Clear();
        EXPECT_EQ(ReceiveStatus(c.value, c.code), 1);
        Pump();
        std::string posts = Posts();
        size_t star = std::string(c.posts).find('*');
        if (star != std::string::npos) {
            // The pointer itself is not known in advance.
            ASSERT_EQ(g_posts.size(), 1u) << c.code;
            EXPECT_EQ(g_posts[0].msg, static_cast<UINT>(WM_FK_RECORD_START_INFO));
            EXPECT_NE(reinterpret_cast<const char*>(g_posts[0].w), c.value) << "a private copy";
        } else {
            EXPECT_EQ(posts, c.posts) << "code " << c.code;
        }
        EXPECT_EQ(Log(), c.log) << "code " << c.code;
    }
}

TEST_F(StatusTest, CodesWithoutActionChangeNothing) {
    OpenWindows();
    for (int code : {4, 5, 12, 18, 19, 22, 23, 24, 25, 26, 27, 30, 34, 35, 36, 37, 38, 39, 49, 50, 54, 55, 56, 57,
                     58, 59, 61, 62, 63, 64, 69, 73, 74, 77, 200, -1}) {
        Clear();
        EXPECT_EQ(ReceiveStatus("1|2|3", code), 1);
        Pump();
        EXPECT_EQ(Posts(), "") << code;
        EXPECT_EQ(Log(), "") << code;
    }
}

TEST_F(StatusTest, ConnectingFlagGatesCode14) {
    OpenWindows();
    Clear();
    ReceiveStatus("Verbinde", 13);
    ReceiveStatus(nullptr, 14);
    ReceiveStatus("ok", 0);
    ReceiveStatus(nullptr, 14);   // after 0: nothing
    ReceiveStatus("Verbinde", 13);
    ReceiveStatus("", 9);
    ReceiveStatus(nullptr, 14);
    EXPECT_EQ(Log(), "play(2) line(Verbinde,1) line(null,1) line(ok,0) play(2) line(Verbinde,1) play(1) ");
}

TEST_F(StatusTest, CloseFlagsAndWizardAcknowledgements) {
    OpenWindows();
    Library().canClose = 0;
    Library().running = 1;
    GetStatusFlags().wizardAck1 = GetStatusFlags().wizardAck2 = 0;
    ReceiveStatus("", 15);
    EXPECT_EQ(Library().canClose, 1);
    ReceiveStatus("", 75);
    EXPECT_EQ(GetStatusFlags().wizardAck1, 1);
    EXPECT_EQ(GetStatusFlags().wizardAck2, 0);
    ReceiveStatus("", 76);
    EXPECT_EQ(GetStatusFlags().wizardAck2, 1);
    ReceiveStatus("", 21);
    EXPECT_EQ(Library().running, 0);
    Library().canClose = 0;
}

TEST_F(StatusTest, NavigatorCodesWaitForTheNavigator) {
    OpenWindows(false);
    for (int code : {28, 31, 42, 43, 44, 45, 52, 65, 66, 70}) {
        Clear();
        EXPECT_EQ(ReceiveStatus("1|2|3", code), 1);
        Pump();
        EXPECT_EQ(Posts(), "") << code;
        EXPECT_EQ(Log(), "") << code;
    }
    Clear();
    SetRecTime(1, 2, 3, 4);
    EXPECT_EQ(Log(), "");
}

TEST_F(StatusTest, ReportsBeforeAndAfterTheWindowsAreDropped) {
    Clear();
    for (int code = 0; code <= 80; ++code) EXPECT_EQ(ReceiveStatus(nullptr, code), 0) << code;
    SetPeakLevel(1, 2);
    SetRecTime(1, 2, 3, 4);
    SetStreamInfo(1, 2, 3, "a", "b");
    SetStreamRunInfo(1, 2, 3, 4);
    Pump();
    EXPECT_EQ(Posts(), "");
    EXPECT_EQ(Log(), "");
    OpenWindows();
    CloseWindows();
    for (int code = 0; code <= 80; ++code) EXPECT_EQ(ReceiveStatus("1|2", code), 0) << code;
    SetStreamRunInfo(1, 2, 3, 4);
    Pump();
    EXPECT_EQ(Posts(), "");
    EXPECT_EQ(Log(), "");
}

TEST_F(StatusTest, StreamExports) {
    OpenWindows();
    HWND wizard = CreateWindowExA(0, "STATIC", "wizard", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    GetStatusFlags().wizardWindow = wizard;
    Clear();
    SetPeakLevel(30, 40);
    MSG m;
    EXPECT_TRUE(PeekMessageA(&m, wizard, WM_FK_PEAK_LEVEL, WM_FK_PEAK_LEVEL, PM_REMOVE));
    GetStatusFlags().wizardWindow = nullptr;
    DestroyWindow(wizard);
    Pump();
    EXPECT_EQ(Posts(), "main:1161(30,40) nav:1161(30,40) ");
    SetRecTime(9, 8, 7, 6);
    SetStreamInfo(2, 5, 300, "Titel", "Autor");
    EXPECT_EQ(Log(), "recinfo(9,8,7,6) stream(2,5,300,Titel,Autor) ");
}

TEST_F(StatusTest, RunInfoWithinQuietTimeIsDropped) {
    OpenWindows();
    Clear();
    display_.stamp = GetTickCount() - 50;
    SetStreamRunInfo(10, 128, 120, 60);
    EXPECT_EQ(Log(), "");
    EXPECT_NE(display_.stamp, 0u);
    display_.stamp = GetTickCount() - kRunInfoQuietMs - 10;
    SetStreamRunInfo(11, 128, 121, 61);
    EXPECT_EQ(Log(), "run(128,11,121) buffer(61) ");
    EXPECT_EQ(display_.stamp, 0u);
    // Held: only the buffer display changes.
    Clear();
    display_.held = 1;
    SetStreamRunInfo(12, 128, 122, 62);
    EXPECT_EQ(Log(), "buffer(62) ");
    // A stamp from before the tick counter wrapped round still counts as old.
    Clear();
    display_.held = 0;
    display_.stamp = GetTickCount() + 0x80000000u;
    SetStreamRunInfo(13, 128, 123, 63);
    EXPECT_EQ(Log(), "run(128,13,123) buffer(63) ");
}

}  // namespace
