// The splash and message window: the countdown and the second start's text
// that changes it, each kind's window on its own thread, its buttons, the
// do-not-show-again box, dragging, the kind slots, closing from other
// threads, and the start-up window that Prepare shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "bounded_text.h"
#include "button_list.h"
#include "dialog_services.h"
#include "facetkit_fixtures.h"
#include "fill_bars.h"
#include "host_exports.h"
#include "library_entry.h"
#include "library_guard.h"
#include "library_state.h"
#include "main_window.h"
#include "profile_editors.h"
#include "recording_display.h"
#include "registry.h"
#include "resource_manager.h"
#include "skin_wnd.h"
#include "splash_window.h"
#include "tdtest.h"
#include "timer_entries.h"
#include "wnd_button.h"
#include "wnd_list.h"

namespace {

TEST(SplashWindow, SecondStartText) {
    struct Case {
        const char* text;
        bool taken;
        int value;
    } cases[] = {
        {"x.exe |SPLASH|60", true, 60}, {"|SPLASH|-1", true, -1}, {"|SPLASH|0", false, 0},
        {"|SPLASH|130", false, 0},      {"|SPLASH|129x", true, 129}, {"|SPLASH|", false, 0},
        {"|SPLASH|-2", false, 0},       {"SPLASH|5", false, 0},     {"|SPLASH|99999999999", false, 0},
    };
    for (const Case& c : cases) {
        int v = 0;
        EXPECT_EQ(ParseSplashCopyData(c.text, strlen(c.text), &v), c.taken) << c.text;
        if (c.taken) {
            EXPECT_EQ(v, c.value) << c.text;
        }
    }
    int v = 0;
    EXPECT_FALSE(ParseSplashCopyData("|SPLASH|5", 7, &v));
    EXPECT_FALSE(ParseSplashCopyData(nullptr, 5, &v));
}

TEST(SplashWindow, Countdown) {
    SplashCountdown c;
    c.Set(25);
    c.SetRemaining(60);
    EXPECT_EQ(c.remaining, 60);
    EXPECT_EQ(c.total, 85);
    EXPECT_EQ(c.Percent(), 29);
    SplashCountdown d;
    d.Set(40);
    for (int i = 0; i < 28; ++i) EXPECT_FALSE(d.Tick());
    EXPECT_FALSE(d.CloseButtonVisible());
    d.Tick();
    EXPECT_TRUE(d.CloseButtonVisible());
    d.SetRemaining(1);
    EXPECT_TRUE(d.Tick());
    EXPECT_FALSE(d.Tick());
    SplashCountdown stopped;
    stopped.Set(10);
    stopped.SetRemaining(-1);
    EXPECT_FALSE(stopped.Tick());
    EXPECT_EQ(SplashCountdown().Percent(), 0);
}

}  // namespace

// ---------------------------------------------------------------- the window


namespace {

std::vector<int> g_codes;
std::vector<std::string> g_logs;

int RecordHost(int code, int ch, void* text) {
    if (code == 28)
        g_logs.push_back(text ? static_cast<const char*>(text) : "");
    else
        g_codes.push_back(code);
    return 0;
}

// What the tests read of a window, taken under the library's lock.
struct Seen {
    bool alive = false;
    HWND hwnd = nullptr;
    DWORD thread = 0;
    SplashCountdown countdown;
    int progress = -1;
    int kind = 0;
    int painted = 0;
    SIZE size = {0, 0};
    char text[cSplashWnd::TEXT_SIZE] = {};
};

Seen Look(unsigned serial) {
    Seen s;
    s.alive = SplashCall(
        serial,
        [](cSplashWnd* w, void* out) {
            Seen* s = static_cast<Seen*>(out);
            s->hwnd = w->GetWindow();
            s->thread = w->GetThreadId();
            s->countdown = w->GetCountdown();
            s->progress = w->GetProgressBar() ? w->GetProgressBar()->GetValue() : -1;
            s->kind = w->GetKind();
            s->painted = w->IsPainted();
            s->size = w->GetSize();
            w->GetText(s->text, sizeof s->text);
        },
        &s);
    return s;
}

struct ButtonSeen {
    bool present = false;
    HWND hwnd = nullptr;
    RECT rect = {0, 0, 0, 0};
    int visible = 0, enabled = 0, status = 0;
};

ButtonSeen LookButton(unsigned serial, unsigned long id) {
    struct Ask {
        unsigned long id;
        ButtonSeen seen;
    } ask{id, {}};
    SplashCall(
        serial,
        [](cSplashWnd* w, void* out) {
            Ask* a = static_cast<Ask*>(out);
            auto* e = static_cast<cActiveElement*>(w->GetButtonList()->GetById(a->id));
            if (!e) return;
            auto* b = static_cast<cWndButton*>(e);
            a->seen = {true, b->GetWindow(), b->GetRect(), b->IsVisible(), b->IsEnabled(), b->GetStatus()};
        },
        &ask);
    return ask.seen;
}

// A click as the mouse gives it: down and up on the button's own window.
void Click(unsigned serial, unsigned long id) {
    ButtonSeen b = LookButton(serial, id);
    ASSERT_TRUE(b.present) << id;
    SendMessageA(b.hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageA(b.hwnd, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
}

bool Gone(unsigned serial, DWORD ms = 30000) {
    return tdtest::WaitFor([&] { return !SplashCall(serial, nullptr, nullptr); }, ms);
}

class SplashTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_codes.clear();
        g_logs.clear();
        ASSERT_NE(fk::LoadStockface(&skin_), nullptr);
        res_ = new cResourceManager(skin_.Get(), 1);
    }
    void TearDown() override {
        // Nothing a test opened may outlive it.
        EXPECT_TRUE(CloseAllSplashWindows(kSplashCloseWaitMs));
        EXPECT_EQ(RunningSplashThreads(), 0);
        EXPECT_EQ(OpenSplashCount(), 0);
        delete res_;
    }
    // A window of the kind, shown; its serial.
    unsigned Open(int kind, int countdown, int width = 388, int height = 140, const char* setting = nullptr) {
        auto* w = new cSplashWnd(nullptr, nullptr, res_, kind);
        w->SetCreated();
        w->SetClientSize(width, height);
        w->SetCountdown(countdown);
        if (setting) w->SetSettingName(setting);
        unsigned serial = w->GetSerial();
        w->Show();
        return serial;
    }

    tdtest::RegistrySandbox sandbox_{"SOFTWARE\\Velmirant\\Radio"};
    LibraryGuard guard_{nullptr, &RecordHost};
    bk::ScopedModule skin_;
    cResourceManager* res_ = nullptr;
};

TEST_F(SplashTest, EachKindStandsOnAThreadOfItsOwn) {
    struct Case {
        int kind;
        const char* caption;
        bool toolWindow;
        bool topmost;
        std::vector<unsigned long> shown, hidden, absent;
    } cases[] = {
        {1, "", true, true, {245}, {3}, {355, 214}},
        {4, "Podcasts suchen", false, false, {355}, {3}, {245, 214}},
        {5, "", true, true, {355, 214}, {3}, {245}},
        {7, "", true, true, {245}, {3}, {355, 214}},   // any other kind is the start-up window
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        unsigned serial = Open(c.kind, 0, 320, 200);
        Seen s = Look(serial);
        ASSERT_TRUE(s.alive);
        ASSERT_TRUE(IsWindow(s.hwnd));
        EXPECT_EQ(s.kind, c.kind == 7 ? 1 : c.kind);
        DWORD pid = 0;
        EXPECT_EQ(GetWindowThreadProcessId(s.hwnd, &pid), s.thread);
        EXPECT_NE(s.thread, GetCurrentThreadId());
        char name[64] = {}, caption[64] = {};
        GetClassNameA(s.hwnd, name, sizeof name);
        GetWindowTextA(s.hwnd, caption, sizeof caption);
        EXPECT_STREQ(name, "vl_splash_screen");
        EXPECT_STREQ(caption, c.caption);
        LONG_PTR ex = GetWindowLongPtrA(s.hwnd, GWL_EXSTYLE);
        EXPECT_EQ((ex & WS_EX_TOOLWINDOW) != 0, c.toolWindow);
        EXPECT_EQ((ex & WS_EX_TOPMOST) != 0, c.topmost);
        EXPECT_TRUE(IsWindowVisible(s.hwnd));
        RECT r;
        GetWindowRect(s.hwnd, &r);
        EXPECT_EQ(r.right - r.left, 320);
        EXPECT_EQ(r.bottom - r.top, 200);
        // Centred on the screen.
        EXPECT_NEAR(r.left, (GetSystemMetrics(SM_CXSCREEN) - 320) / 2, 1);
        EXPECT_NEAR(r.top, (GetSystemMetrics(SM_CYSCREEN) - 200) / 2, 1);
        for (unsigned long id : c.shown) EXPECT_EQ(LookButton(serial, id).visible, 1) << id;
        for (unsigned long id : c.hidden) EXPECT_EQ(LookButton(serial, id).visible, 0) << id;
        for (unsigned long id : c.absent) EXPECT_FALSE(LookButton(serial, id).present) << id;
        // Every window takes the kind-1 slot while it stands.
        EXPECT_EQ(SplashSlotWindow(1), s.hwnd);
        EXPECT_TRUE(PostToSplash(serial, WM_SPLASH_CLOSE, 0, 0));
        EXPECT_TRUE(Gone(serial));
        EXPECT_EQ(SplashSlotWindow(1), nullptr);
        EXPECT_FALSE(IsWindow(s.hwnd));
    }
}

TEST_F(SplashTest, ButtonPlacesFollowTheWindowSize) {
    unsigned serial = Open(5, 0, 300, 160);
    SIZE ok = SpriteSize(res_, 355), box = SpriteSize(res_, 214);
    ButtonSeen b = LookButton(serial, 355);
    EXPECT_EQ(b.rect.right, 300 - 10);
    EXPECT_EQ(b.rect.bottom, 160 - 10);
    EXPECT_EQ(b.rect.right - b.rect.left, ok.cx / 5);
    b = LookButton(serial, 214);
    EXPECT_EQ(b.rect.left, 10);
    EXPECT_EQ(b.rect.bottom, 160 - 19);
    EXPECT_EQ(b.rect.bottom - b.rect.top, box.cy);
    unsigned loading = Open(1, 0, 388, 140);
    b = LookButton(loading, 245);
    EXPECT_EQ(b.rect.left, 15);
    EXPECT_EQ(b.rect.top, 28);
    EXPECT_EQ(b.enabled, 0);
    b = LookButton(loading, 3);
    EXPECT_EQ(b.rect.left, (388 - ok.cx / 5) / 2);
    EXPECT_EQ(b.rect.bottom, 140 - 10);
}

TEST_F(SplashTest, StartUpWindowClosesItselfAfterItsCountdown) {
    DWORD start = GetTickCount();
    unsigned serial = Open(1, 2);
    Seen s = Look(serial);
    ASSERT_TRUE(s.alive);
    EXPECT_TRUE(Gone(serial));
    EXPECT_GE(GetTickCount() - start, 1500u);
    EXPECT_FALSE(IsWindow(s.hwnd));
    EXPECT_TRUE(tdtest::WaitFor([] { return RunningSplashThreads() == 0; }, 30000));
}

TEST_F(SplashTest, CountdownTicksShowTheCloseButtonAndTheProgress) {
    unsigned serial = Open(1, 40);
    HWND hwnd = Look(serial).hwnd;
    ASSERT_NE(hwnd, nullptr);
    // The window's own timer ticks too: compare what the window shows with
    // the ticks it counted, whatever their number.
    for (int i = 0; i < 30; ++i) {
        SendMessageA(hwnd, WM_TIMER, 1, 0);
        Seen s = Look(serial);
        EXPECT_EQ(LookButton(serial, 3).visible, s.countdown.ticks > 28 ? 1 : 0) << s.countdown.ticks;
        EXPECT_EQ(s.progress, s.countdown.Percent()) << s.countdown.ticks;
    }
    // The close button: closed at the next tick.
    Click(serial, 3);
    EXPECT_LE(Look(serial).countdown.remaining, 1);
    SendMessageA(hwnd, WM_TIMER, 1, 0);
    EXPECT_TRUE(Gone(serial));
}

TEST_F(SplashTest, OkButtonAndMessageCloseAtOnce) {
    unsigned serial = Open(4, 0, 440, 600);
    Click(serial, 355);
    EXPECT_TRUE(Gone(serial));
    serial = Open(5, 0, 300, 160);
    HWND hwnd = Look(serial).hwnd;
    SendMessageA(hwnd, WM_CLOSE, 0, 0);
    EXPECT_TRUE(Gone(serial));
}

// The second start's side: sends a WM_COPYDATA to the window named by its
// handle. Arguments: handle, text, byte count ("len": the text's length;
// "far": the text after a megabyte of other bytes).
TD_CHILD(splash_second_start) {
    if (argc < 4) return 2;
    HWND target = reinterpret_cast<HWND>(static_cast<uintptr_t>(_strtoui64(argv[1], nullptr, 10)));
    std::string payload = argv[2];
    std::string count = argv[3];
    DWORD size = static_cast<DWORD>(payload.size());
    if (count == "far") {
        payload = std::string(1 << 20, 'x') + payload;
        size = static_cast<DWORD>(payload.size());
    } else if (count != "len") {
        size = static_cast<DWORD>(strtoul(count.c_str(), nullptr, 10));
    }
    COPYDATASTRUCT data = {5, size, size ? &payload[0] : nullptr};
    DWORD_PTR answer = 0;
    return SendMessageTimeoutA(target, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 5000,
                               &answer)
               ? 0
               : 1;
}

void SecondStart(HWND target, const std::string& text, const std::string& count) {
    tdtest::Process child;
    ASSERT_TRUE(child.StartChild("splash_second_start",
                                 {std::to_string(reinterpret_cast<uintptr_t>(target)), text, count}));
    DWORD code = 99;
    ASSERT_TRUE(child.Wait(20000, &code));
    EXPECT_EQ(code, 0u) << text;
}

TEST_F(SplashTest, SecondStartChangesTheCountdownOnlyWithAGoodNumber) {
    // Long enough that eleven second starts on a busy machine end before it.
    unsigned serial = Open(1, 250);
    HWND hwnd = Look(serial).hwnd;
    ASSERT_NE(hwnd, nullptr);
    struct Bad {
        const char* text;
        const char* count;
    } bad[] = {
        {"|SPLASH|5", "7"},                   // the number lies beyond the byte count
        {"tunerdeck.exe |SPLASH|99999999999", "len"},
        {"|SPLASH|130", "len"}, {"|SPLASH|0", "len"}, {"|SPLASH|-2", "len"},
        {"|SPLASH|", "len"},    {"|SPLASH|abc", "len"}, {"SPLASH|60", "len"},
        {"", "0"},                            // no payload at all
        {"|SPLASH|60", "far"},                // marker after a megabyte
    };
    for (const Bad& b : bad) {
        SCOPED_TRACE(b.text);
        SecondStart(hwnd, b.text, b.count);
        Seen s = Look(serial);
        ASSERT_TRUE(s.alive);
        EXPECT_EQ(s.countdown.total, 250);
        EXPECT_EQ(s.countdown.remaining, 250 - s.countdown.ticks);
    }
    SecondStart(hwnd, "C:\\tunerdeck.exe |SPLASH|60", "len");
    Seen s = Look(serial);
    EXPECT_GE(s.countdown.total, 60);
    EXPECT_GE(s.countdown.remaining, 58);
    EXPECT_LE(s.countdown.remaining, 60);

    // -1 stops the countdown: the window stays until it is told to close.
    SecondStart(hwnd, "|SPLASH|-1", "len");
    for (int i = 0; i < 5; ++i) SendMessageA(hwnd, WM_TIMER, 1, 0);
    s = Look(serial);
    ASSERT_TRUE(s.alive);
    EXPECT_EQ(s.countdown.remaining, -1);
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_TRUE(PostToSplash(serial, WM_SPLASH_CLOSE, 0, 0));
    EXPECT_TRUE(Gone(serial));
}

std::string Stored(const tdtest::RegistrySandbox& sandbox, const char* name) {
    std::string v;
    return sandbox.GetString(name, &v) ? v : "(none)";
}

TEST_F(SplashTest, InfoBoxStoresItsValueOnlyWhenTicked) {
    struct Case {
        const char* name;
        int clicks;       // on the box
        bool byMessage;   // closed by message 1137 instead of the OK button
        const char* stored;
    } cases[] = {
        {"SHOW_INFO_TEST", 0, false, "(none)"},
        {"SHOW_INFO_TEST", 1, false, "1"},
        {"SHOW_INFO_TEST", 2, false, "(none)"},
        {"SHOW_INFO_TEST", 1, true, "1"},
        {"", 1, false, "(none)"},   // without a name nothing is written, not even the key's default
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " clicks " + std::to_string(c.clicks));
        SetValue("SHOW_INFO_TEST", static_cast<const char*>(nullptr));
        unsigned serial = ShowInfoSplash(nullptr, res_, 300, 140, "http://info", c.name);
        ASSERT_NE(serial, 0u);
        EXPECT_EQ(SplashSlotWindow(5), Look(serial).hwnd);
        for (int i = 0; i < c.clicks; ++i) Click(serial, 214);
        if (c.byMessage)
            PostToSplash(serial, WM_SPLASH_CLOSE, 0, 0);
        else
            Click(serial, 355);
        ASSERT_TRUE(Gone(serial));
        EXPECT_EQ(Stored(sandbox_, "SHOW_INFO_TEST"), c.stored);
        EXPECT_EQ(Stored(sandbox_, ""), "(none)");
        EXPECT_EQ(SplashSlotWindow(5), nullptr);
    }
    // Once stored, the window is never shown again: no thread starts.
    ASSERT_TRUE(tdtest::WaitFor([] { return RunningSplashThreads() == 0; }, 30000));
    SetValue("SHOW_INFO_TEST", "1");
    EXPECT_EQ(ShowInfoSplash(nullptr, res_, 300, 140, "http://info", "SHOW_INFO_TEST"), 0u);
    EXPECT_EQ(RunningSplashThreads(), 0);
    EXPECT_EQ(OpenSplashCount(), 0);
    EXPECT_EQ(SplashSlotWindow(5), nullptr);
}

TEST_F(SplashTest, ClosingFromOtherThreadsLeavesNoThreadBehind) {
    // Close asked for on a thread other than the window's.
    auto* early = new cSplashWnd(nullptr, nullptr, res_, 1);
    early->SetClientSize(388, 140);
    early->SetCountdown(100);
    unsigned earlySerial = early->GetSerial();
    early->Show();
    SplashCall(earlySerial, [](cSplashWnd* w, void*) { w->Close(); }, nullptr);
    EXPECT_TRUE(Gone(earlySerial));

    unsigned loading = Open(1, 100);
    unsigned search = OpenPodcastSearchSplash(nullptr, res_);
    // A second request only brings the open one to the top.
    EXPECT_EQ(OpenPodcastSearchSplash(nullptr, res_), search);
    unsigned info = ShowInfoSplash(nullptr, res_, 200, 100, "x", nullptr);
    EXPECT_TRUE(tdtest::WaitFor([] { return RunningSplashThreads() == 3; }, 30000));
    std::vector<DWORD> threads;
    for (unsigned serial : {loading, search, info}) {
        Seen s = Look(serial);
        ASSERT_TRUE(s.alive);
        threads.push_back(s.thread);
    }
    EXPECT_EQ(OpenSplashCount(), 3);
    EXPECT_TRUE(CloseAllSplashWindows(kSplashCloseWaitMs));
    EXPECT_EQ(RunningSplashThreads(), 0);
    EXPECT_EQ(OpenSplashCount(), 0);
    for (DWORD id : threads) {
        HANDLE t = OpenThread(SYNCHRONIZE, FALSE, id);
        if (!t) continue;   // gone entirely
        EXPECT_EQ(WaitForSingleObject(t, 0), WAIT_OBJECT_0);
        CloseHandle(t);
    }
    for (int kind : {1, 4, 5}) EXPECT_EQ(SplashSlotWindow(kind), nullptr) << kind;
    // After the close a new window opens as before.
    unsigned again = OpenPodcastSearchSplash(nullptr, res_);
    EXPECT_NE(again, search);
    EXPECT_TRUE(Look(again).alive);
}

TEST_F(SplashTest, SlotsNameTheOpenWindows) {
    unsigned info = ShowInfoSplash(nullptr, res_, 200, 100, "", nullptr);
    HWND infoWnd = Look(info).hwnd;
    EXPECT_EQ(SplashSlotWindow(5), infoWnd);
    EXPECT_EQ(SplashSlotWindow(1), infoWnd);
    // The search's progress goes to whichever window holds the kind-1 slot.
    SetSplashSearchText(40, 7);
    EXPECT_STREQ(Look(info).text, "40% durchsucht... bisher 7 Treffer");
    unsigned loading = Open(1, 100);
    EXPECT_EQ(SplashSlotWindow(1), Look(loading).hwnd);
    // The older window's close leaves the newer one in the kind-1 slot.
    Click(info, 355);
    ASSERT_TRUE(Gone(info));
    EXPECT_EQ(SplashSlotWindow(5), nullptr);
    EXPECT_EQ(SplashSlotWindow(1), Look(loading).hwnd);
    EXPECT_TRUE(PostToSplashSlot(1, WM_SPLASH_CLOSE, 0, 0));
    EXPECT_TRUE(Gone(loading));
    EXPECT_FALSE(PostToSplashSlot(1, WM_SPLASH_CLOSE, 0, 0));
}

TEST_F(SplashTest, DragEndsWhereTheMouseIsReleased) {
    unsigned serial = Open(5, 0, 300, 160);
    HWND hwnd = Look(serial).hwnd;
    RECT before, after;
    GetWindowRect(hwnd, &before);
    SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
    SendMessageA(hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(50, 40));
    GetWindowRect(hwnd, &after);
    EXPECT_EQ(after.left, before.left);   // only the frame moves meanwhile
    SendMessageA(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(70, 55));
    GetWindowRect(hwnd, &after);
    EXPECT_EQ(after.left - before.left, 50);
    EXPECT_EQ(after.top - before.top, 35);
    // A move without a press drags nothing.
    SendMessageA(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    SendMessageA(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(90, 90));
    RECT still;
    GetWindowRect(hwnd, &still);
    EXPECT_EQ(still.left, after.left);
    EXPECT_EQ(still.top, after.top);
}

TEST_F(SplashTest, SizesWithAndWithoutABanner) {
    struct Case {
        int kind, banner, width, height;
        SIZE size, content;
    } cases[] = {
        {1, 0, 388, 140, {388, 140}, {368, 15}},
        {1, 1, 388, 140, {408, 265}, {388, 140}},
        {5, 1, 300, 200, {320, 265}, {300, 180}},
        {4, 0, 440, 600, {440, 600}, {420, 515}},
        {5, 0, -5, 100000, {1, 4096}, {-19, 4011}},   // the server's numbers, kept in bounds
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind * 10 + c.banner);
        auto* w = new cSplashWnd(nullptr, nullptr, res_, c.kind);
        w->SetBannerMode(c.banner);
        w->SetClientSize(c.width, c.height);
        EXPECT_EQ(w->GetSize().cx, c.size.cx);
        EXPECT_EQ(w->GetSize().cy, c.size.cy);
        EXPECT_EQ(w->GetContentSize().cx, c.content.cx);
        EXPECT_EQ(w->GetContentSize().cy, c.content.cy);
        w->Close();   // never shown: gone at once
    }
}

// Reads one pixel of the window's off-screen picture.
uint32_t PicturePixel(unsigned serial, POINT at) {
    struct Ask {
        POINT at;
        uint32_t pixel;
    } ask{at, 0xFFFFFFFF};
    SplashCall(
        serial,
        [](cSplashWnd* w, void* a) {
            Ask* k = static_cast<Ask*>(a);
            if (w->GetShadowDC()) k->pixel = fk::DcPixel(w->GetShadowDC(), k->at.x, k->at.y);
        },
        &ask);
    return ask.pixel;
}

TEST_F(SplashTest, FrameAndPicturesOfEachKind) {
    // The standard skin has no sprites of the start-up window's own frame
    // pieces: there the centre shows where the other kinds have a corner.
    const uint32_t kFrame = 0x2D4A6A, kCentre = 0xEEF2F6, kBlack = 0;
    const unsigned kNoProbe = 0;
    // The title picture sits 3 pixels right of the top-left corner, centred in its height.
    auto TitleProbe = [this](unsigned title) {
        return POINT{res_->GetGfxWidth(216) + 3 + 2, (res_->GetGfxHeight(216) - res_->GetGfxHeight(title)) / 2 + 2};
    };
    struct Expect {
        POINT at;
        unsigned probe;     // sprite whose probe pixel shows there, or:
        uint32_t colour;
    };
    struct Case {
        int kind;
        std::vector<Expect> expect;
    } cases[] = {
        {1, {{{10, 2}, kNoProbe, kCentre},
             {{129, 49}, 367, 0},          // the waiting sign (366 while it blinks)
             {{365, 54}, kNoProbe, kBlack}, // the dotted line's last dot
             {{364, 54}, kNoProbe, kCentre}}},
        {4, {{{10, 2}, kNoProbe, kFrame}, {TitleProbe(408), 408, 0}}},
        {5, {{{10, 2}, kNoProbe, kFrame}, {TitleProbe(412), 412, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        unsigned serial = Open(c.kind, 0, 388, 160);
        ASSERT_TRUE(tdtest::WaitFor([&] { return Look(serial).painted != 0; }, 30000));
        for (const Expect& e : c.expect) {
            uint32_t seen = 0;
            // A repaint may be under way: look again until it is done.
            bool found = tdtest::WaitFor(
                [&] {
                    seen = PicturePixel(serial, e.at);
                    if (e.probe == kNoProbe) return seen == e.colour;
                    unsigned id = 0, cell = 0;
                    return fk::DecodeProbe(seen, &id, &cell) && (id == e.probe || (e.probe == 367 && id == 366));
                },
                2000);
            EXPECT_TRUE(found) << e.at.x << "," << e.at.y << " saw " << std::hex << seen;
        }
        PostToSplash(serial, WM_SPLASH_CLOSE, 0, 0);
        ASSERT_TRUE(Gone(serial));
    }
}

// ---------------------------------------------------------------- the library's start-up

int StartUpHost(int code, int ch, void* text) {
    RecordHost(code, ch, text);
    switch (code) {
    case 61:
        if (text && ch > 0) bk::TextCopy(static_cast<char*>(text), static_cast<size_t>(ch), "C:\\");
        break;
    case 15:
        // The loading window stands while the windows are built.
        g_logs.push_back(SplashSlotWindow(1) ? "loading window open" : "no loading window");
        GetLastPlayedSender("Eins", 1);
        break;
    case 82:
        // The host's pending information, as the host hands it on.
        ShowInfo(300, 120, "http://info");
        g_logs.push_back(SplashSlotWindow(5) ? "info window open" : "no info window");
        break;
    case 24:
        if (cSkinWnd* main = GetWindowList().Find(WND_ID_MAIN)) PostMessageA(main->GetWindow(), WM_CLOSE, 0, 0);
        break;
    case 27:
        ReceiveStatus("", 15);
        break;
    }
    return 0;
}

// BuildUp installs the pop-up openers for good; the tests after this one
// expect the empty slots they started with.
class OpenerSlotsGuard {
public:
    OpenerSlotsGuard()
        : main_(MainHooks()), openers_(dlgs::Openers()), popups_(GetRecordingPopups()),
          profiles_(dlgs::ProfileHooks()) {}
    ~OpenerSlotsGuard() {
        MainHooks() = main_;
        dlgs::Openers() = openers_;
        SetRecordingPopups(popups_);
        dlgs::ProfileHooks() = profiles_;
        SetTimerEditorHook(nullptr);
        dlgs::SetRecListReplies(dlgs::RecListReplies{nullptr, nullptr});
    }

private:
    MainWindowHooks main_;
    dlgs::DialogOpeners openers_;
    RecordingPopups popups_;
    dlgs::ProfileEditorHooks profiles_;
};

TEST_F(SplashTest, LoadingWindowFromPrepareAndNothingOutlivesTheInterface) {
    OpenerSlotsGuard openers;
    tdtest::TempFolder skins("fkspl");
    ASSERT_TRUE(CopyFileA(fk::BinFile("stockface.dll").c_str(), skins.File("stockface.dll").c_str(), FALSE));
    SetValue("SKIN", "stockface.dll");
    GetSettings(nullptr);
    ASSERT_EQ(Prepare(StartUpHost, nullptr, skins.Path().c_str(), 0, 1), 0);
    HWND loading = SplashSlotWindow(1);
    ASSERT_NE(loading, nullptr);
    char title[128] = {};
    SplashSlotCall(1, [](cSplashWnd* w, void* t) { w->GetTitle(static_cast<char*>(t), 128); }, title);
    EXPECT_STREQ(title, "Der velmirant-Player wird gestartet!");
    EXPECT_EQ(BuildUp(nullptr, skins.Path().c_str(), 0), 1);
    EXPECT_NE(std::find(g_logs.begin(), g_logs.end(), "loading window open"), g_logs.end());
    EXPECT_NE(std::find(g_logs.begin(), g_logs.end(), "info window open"), g_logs.end());
    EXPECT_FALSE(IsWindow(loading));
    EXPECT_EQ(RunningSplashThreads(), 0);
    EXPECT_EQ(OpenSplashCount(), 0);
}

}  // namespace

// The host's banner threads ask where a pop-up's banner goes: the window
// and its banner area while the pop-up is open, a zero record (and a line
// in the log) while it is not; a missing record is no fault either.
TEST_F(SplashTest, BannerDescriptionsNameTheOpenPopUpsOrNothing) {
    typedef BannerInfoRecord* (*Describe)(BannerInfoRecord*);
    const struct {
        const char* name;
        Describe describe;
    } exports[] = {
        {"GetSpezBannerInfo", &GetSpezBannerInfo},
        {"GetInfoBannerInfo", &GetInfoBannerInfo},
        {"GetPodcastBannerInfo", &GetPodcastBannerInfo},
    };
    for (const auto& e : exports) {
        BannerInfoRecord record;
        memset(&record, 0x5A, sizeof record);
        g_logs.clear();
        EXPECT_EQ(e.describe(&record), &record) << e.name;
        EXPECT_EQ(record.window, 0) << e.name;
        EXPECT_EQ(record.cx, 0) << e.name;
        EXPECT_EQ(record.url[0], 0) << e.name;
        EXPECT_EQ(g_logs, std::vector<std::string>{std::string(e.name) + ": no banner window"});
        EXPECT_EQ(e.describe(nullptr), nullptr) << e.name;
    }

    auto expectDescribes = [](const char* name, Describe describe, unsigned serial, bool sized) {
        struct Area {
            HWND hwnd;
            POINT origin;
            SIZE size;
        } area = {};
        ASSERT_TRUE(SplashCall(serial, [](cSplashWnd* w, void* out) {
            *static_cast<Area*>(out) = {w->GetWindow(), w->GetContentOrigin(), w->GetContentSize()};
        }, &area)) << name;
        BannerInfoRecord record = {};
        describe(&record);
        EXPECT_EQ(record.window, static_cast<int32_t>(reinterpret_cast<intptr_t>(area.hwnd))) << name;
        EXPECT_EQ(record.x, area.origin.x) << name;
        EXPECT_EQ(record.y, area.origin.y) << name;
        EXPECT_EQ(record.cx, sized ? area.size.cx : 0) << name;
        EXPECT_EQ(record.cy, sized ? area.size.cy : 0) << name;
        EXPECT_GT(area.size.cx, 0) << name;
    };
    // The loading pop-up stands alone at the start; a later pop-up of
    // another kind does not pass for it.
    unsigned loading = Open(1, 100);
    expectDescribes("GetSpezBannerInfo", &GetSpezBannerInfo, loading, true);
    unsigned search = OpenPodcastSearchSplash(nullptr, res_);
    unsigned info = ShowInfoSplash(nullptr, res_, 200, 100, "x", nullptr);
    expectDescribes("GetPodcastBannerInfo", &GetPodcastBannerInfo, search, true);
    expectDescribes("GetInfoBannerInfo", &GetInfoBannerInfo, info, false);
    BannerInfoRecord covered = {};
    GetSpezBannerInfo(&covered);
    EXPECT_EQ(covered.window, 0);
}
