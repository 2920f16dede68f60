// The navigator window driven by its messages: its class and window-list
// entry, closing, absorbed repeats, the reply buffers, auto-scroll, the
// search records it hands the host, sliding and view switching.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "fake_settings.h"
#include "host_exports.h"
#include "library_entry.h"
#include "library_guard.h"
#include "main_probe.h"
#include "library_state.h"
#include "list_store.h"
#include "nav_window.h"
#include "podcast_feed.h"
#include "search_criteria.h"
#include "skin_plugin.h"
#include "tdtest.h"
#include "wnd_list.h"
#include "bounded_text.h"

namespace {

struct Call {
    int code, ch;
    std::vector<unsigned char> record;
    std::string text;
};
std::vector<Call> g_calls;

int Recorder(int code, int ch, void* text) {
    Call c{code, ch, {}, {}};
    if (code == 5 && text) c.text = static_cast<const char*>(text);
    if (code == 6 && text) {
        auto* b = static_cast<unsigned char*>(text);
        c.record.assign(b, b + sizeof(SearchRecord));
    }
    g_calls.push_back(c);
    return 0;
}

int Count(int code) {
    int n = 0;
    for (const Call& c : g_calls) n += c.code == code;
    return n;
}

struct NavFixture : ::testing::Test {
    tdtest::RegistrySandbox sandbox{"SOFTWARE\\Velmirant\\Radio"};
    FakeSettings settings;
    LibraryGuard guard{&settings, &Recorder};
    cNavWindow* nav = nullptr;

    void SetUp() override {
        g_calls.clear();
        nav = CreateNavWindow(nullptr, nullptr, 0);
        ASSERT_NE(nav, nullptr);
    }
    void TearDown() override {
        delete nav;
    }
    LRESULT Send(UINT msg, WPARAM w = 0, LPARAM l = 0) { return SendMessageA(nav->GetWindow(), msg, w, l); }
    // The navigator with a content view, extended.
    void Extend() {
        nav->SetSize(300, 400);
        nav->GetSkinData()->SetHasDisplay(1);
        nav->ApplySkinSizes();
        ASSERT_NE(nav->GetNavView(), nullptr);
        nav->Slide();
        ASSERT_EQ(nav->IsCollapsed(), 0);
    }
};

}  // namespace

TEST_F(NavFixture, WindowOfItsClassInTheWindowListThatNeverClosesItself) {
    char name[64] = {};
    GetClassNameA(nav->GetWindow(), name, sizeof name);
    EXPECT_STREQ(name, "tunerdeck Nav Wnd Class");
    EXPECT_EQ(GetWindowList().Find(WND_ID_NAVIGATOR), static_cast<cSkinWnd*>(nav));
    EXPECT_FALSE(IsWindowVisible(nav->GetWindow()));
    EXPECT_EQ(GetWindowLongA(nav->GetWindow(), GWL_STYLE) & WS_POPUP, static_cast<LONG>(WS_POPUP));
    EXPECT_EQ(Send(WM_CLOSE), 0);
    EXPECT_TRUE(IsWindow(nav->GetWindow()));
    // Without a content view the view messages do nothing.
    for (UINT m : {1131u, 1132u, 1140u, 1157u, 1187u, 1194u, 1197u}) EXPECT_EQ(Send(m), 1) << m;
    EXPECT_EQ(nav->IsCollapsed(), 1);
}

TEST_F(NavFixture, RepeatedLevelRequestsReachTheHostOnce) {
    PostMessageA(nav->GetWindow(), 1162, 0, 0);
    PostMessageA(nav->GetWindow(), 1162, 0, 0);
    PostMessageA(nav->GetWindow(), 1162, 0, 0);
    tdtest::PumpMessages();
    EXPECT_EQ(Count(44), 1);
}

static int g_probeHandled = 0;
static LRESULT CALLBACK ProbeProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_APP + 5) ++g_probeHandled;
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

TEST_F(NavFixture, ReplyFieldsWaitForTheirRequestWithinTheCallersBound) {
    char out[600];
    nav->ExpectRecDeviceList();
    std::thread host([&] { nav->SetRecDeviceList(std::string(600, 'd').c_str()); });
    EXPECT_TRUE(nav->WaitRecDeviceList(out, sizeof out, 30000));
    host.join();
    EXPECT_EQ(std::string(out), std::string(511, 'd')) << "cut to the field";

    // No answer at all: an empty list after the caller's bound, and the
    // thread's windows are served meanwhile (a message posted before the
    // wait is handled inside it).
    g_probeHandled = 0;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &ProbeProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "NavReplyProbe";
    RegisterClassA(&wc);
    HWND probe = CreateWindowA("NavReplyProbe", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(probe, nullptr);
    PostMessageA(probe, WM_APP + 5, 0, 0);
    nav->ExpectRecSourceList();
    EXPECT_FALSE(nav->WaitRecSourceList(out, sizeof out, 300));
    DestroyWindow(probe);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(g_probeHandled, 1) << "the wait handles the thread's messages";

    // The reply to the request that timed out comes late: it does not
    // answer the next request.
    nav->SetRecSourceList("stale");
    nav->ExpectRecSourceList();
    EXPECT_FALSE(nav->WaitRecSourceList(out, sizeof out, 300));
    nav->SetRecSourceList("a\x01" "b");
    EXPECT_TRUE(nav->WaitRecSourceList(out, sizeof out, 300)) << "answered before the wait began";
    EXPECT_STREQ(out, "a\x01" "b");
    // Nothing asked: the last reply at once.
    EXPECT_TRUE(nav->WaitRecSourceList(out, sizeof out, 0));
    EXPECT_STREQ(out, "a\x01" "b");

    // The waiting window is closed (its stop set from another thread): the
    // wait ends then, not at its bound, and the late reply answers nothing.
    volatile LONG stop = 0;
    nav->ExpectRecDeviceList();
    std::thread closer([&] {
        Sleep(200);
        InterlockedExchange(&stop, 1);
    });
    const DWORD start = GetTickCount();
    EXPECT_FALSE(nav->WaitRecDeviceList(out, sizeof out, 120000, &stop));
    closer.join();
    EXPECT_LT(GetTickCount() - start, 60000u) << "the wait outlasted the close";
    nav->SetRecDeviceList("late");
    nav->ExpectRecDeviceList();
    EXPECT_FALSE(nav->WaitRecDeviceList(out, sizeof out, 300));
}

TEST_F(NavFixture, AutoScrollSpeedsUpAndStopsOnRelease) {
    Send(1143, 0, 20);
    EXPECT_EQ(nav->AutoScrollInterval(), 100);
    std::vector<int> seen;
    for (int i = 0; i < 4; ++i) {
        Send(WM_TIMER, 20, 0);
        seen.push_back(nav->AutoScrollInterval());
    }
    EXPECT_EQ(seen, (std::vector<int>{85, 70, 60, 60}));
    Send(1144, 0, 20);
    Send(1143, 0, 21);
    EXPECT_EQ(nav->AutoScrollInterval(), 100);
    Send(1144, 0, 21);
}

TEST_F(NavFixture, SearchButtonsHandTheHostTheirRecords) {
    Send(1143, 0, 190);
    Send(1143, 0, 37);
    std::vector<std::vector<unsigned char>> records;
    for (const Call& c : g_calls)
        if (c.code == 6) records.push_back(c.record);
    ASSERT_EQ(records.size(), 2u);
    for (size_t i = 0; i < sizeof(SearchRecord); ++i) {
        unsigned char expected = i == 272 ? 1 : 0;
        EXPECT_EQ(records[0][i], expected) << i;
        EXPECT_EQ(records[1][i], 0) << i;
    }
    // Folded in: no "navigator extended" call before the search.
    EXPECT_EQ(Count(26), 0);
}

TEST_F(NavFixture, SlideFlipsTheStateAndTellsTheHost) {
    Extend();
    EXPECT_EQ(settings.Number("GetNavOpen"), 1);
    nav->Slide();
    EXPECT_EQ(nav->IsCollapsed(), 1);
    EXPECT_EQ(settings.Number("GetNavOpen"), 0);
}

TEST_F(NavFixture, ViewButtonsSwitchViewsAndKeepTheHistory) {
    Extend();
    cNavView* view = nav->GetNavView();
    Send(1143, 0, 6);
    EXPECT_EQ(view->BuiltKind(), 3);
    EXPECT_EQ(settings.Number("GetScreen"), 3);
    Send(1143, 0, 322);
    Send(1143, 0, 322);
    EXPECT_EQ(view->BuiltKind(), 9);
    EXPECT_EQ(Count(53), 1);   // the timer list once on entering
    Send(1143, 0, 375);
    EXPECT_EQ(view->BuiltKind(), 12);
    EXPECT_TRUE(PodcastViewShown());
    Send(1143, 0, 41);   // back
    EXPECT_EQ(view->CurrentKind(), 9);
    EXPECT_FALSE(PodcastViewShown());
    Send(1143, 0, 184);   // forward
    EXPECT_EQ(view->CurrentKind(), 12);
    Send(1143, 0, 400);   // help of the podcast view
    EXPECT_EQ(Count(10), 1);

    // Folded away, a switch only records the kind.
    nav->Slide();
    Send(1143, 0, 5);
    EXPECT_EQ(view->CurrentKind(), 4);
    EXPECT_EQ(view->BuiltKind(), 12);
}

namespace {


std::vector<std::string> g_asked;
int g_answer = 0;
int AnswerQuestion(const char* text) {
    g_asked.push_back(text);
    return g_answer;
}

std::string Stamp(LONGLONG secondsAgo) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    now.wMilliseconds = 0;
    FILETIME f;
    SystemTimeToFileTime(&now, &f);
    ULARGE_INTEGER u;
    u.LowPart = f.dwLowDateTime;
    u.HighPart = f.dwHighDateTime;
    u.QuadPart -= static_cast<ULONGLONG>(secondsAgo) * 10000000ULL;
    f.dwLowDateTime = u.LowPart;
    f.dwHighDateTime = u.HighPart;
    SYSTEMTIME t;
    FileTimeToSystemTime(&f, &t);
    char text[20];
    snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    return text;
}

std::string g_dbTime;
int DbTimeHost(int code, int ch, void* text) {
    if (code == 74 && text && ch > 0) bk::TextCopy(static_cast<char*>(text), static_cast<size_t>(ch), g_dbTime.c_str());
    return Recorder(code, ch, text);
}

}  // namespace

TEST_F(NavFixture, RowActionsPostToTheMainWindowOrCallTheHost) {
    Extend();
    MainProbe main;
    struct Case {
        int kind, action;
        UINT posted;
        int code;
    } cases[] = {
        {0, 29, 1127, 0}, {0, 33, 1126, 0}, {0, 332, 1177, 0}, {0, 7, 1130, 0},
        {1, 7, 1129, 0},  {0, 189, 0, 5},   {0, 39, 0, 14},
    };
    for (const Case& c : cases) {
        g_calls.clear();
        nav->RowAction(c.kind, 4711, c.action, "row");
        auto posted = main.Take();
        if (c.posted) {
            ASSERT_EQ(posted.size(), 1u) << c.action;
            EXPECT_EQ(posted[0].first, c.posted);
            EXPECT_EQ(posted[0].second, 4711u);
        } else {
            EXPECT_TRUE(posted.empty()) << c.action;
            EXPECT_EQ(Count(c.code), 1) << c.action;
        }
    }
    EXPECT_EQ(nav->GetNavView()->BuiltKind(), 5);   // action 39 showed the details
}

TEST_F(NavFixture, DeletingASkinAsksAndStaysInTheSkinsFolder) {
    tdtest::TempFolder folder("navskins");
    LibraryGuard skins(&settings, &Recorder);
    bk::TextCopy(Library().skinsFolder, (folder.Path() + "\\").c_str());
    folder.Write("mine.dll", "x");
    folder.Write("outside.dll", "y");
    Extend();
    Send(1143, 0, 8);
    ASSERT_EQ(nav->GetNavView()->BuiltKind(), NV_SKINS);
    SetNavQuestion(&AnswerQuestion);
    g_asked.clear();
    g_answer = 0;
    nav->RowAction(0, 1, 186, "Mine\x02" "1.2\x05mine.dll");
    EXPECT_TRUE(folder.Exists("mine.dll"));
    ASSERT_EQ(g_asked.size(), 1u);
    EXPECT_NE(g_asked[0].find("Mine"), std::string::npos);
    EXPECT_EQ(g_asked[0].find("1.2"), std::string::npos);
    g_answer = 1;
    nav->RowAction(0, 1, 186, "Mine\x05mine.dll");
    EXPECT_FALSE(folder.Exists("mine.dll"));
    // A version text naming a path outside the folder is refused unasked.
    g_asked.clear();
    nav->RowAction(0, 1, 186, "Evil\x05..\\outside.dll");
    nav->RowAction(0, 1, 186, "No file name");
    EXPECT_TRUE(g_asked.empty());
    EXPECT_TRUE(folder.Exists("outside.dll"));
    SetNavQuestion(nullptr);
}

TEST_F(NavFixture, StartupChecksUpdateAStationDatabaseOlderThanFifteenDays) {
    LibraryGuard host(&settings, &DbTimeHost);
    struct Case {
        LONGLONG age;
        int updates;
    } cases[] = {{15 * 86400 - 2, 0}, {15 * 86400 + 2, 1}, {400 * 86400, 1}};
    for (const Case& c : cases) {
        g_dbTime = Stamp(c.age);
        g_calls.clear();
        Send(1196);
        EXPECT_EQ(Count(35), c.updates) << c.age;
        Send(1189, 3, 0);   // the host's report ends the update
    }
    settings.numbers["GetAutoupdatePrgTipps"] = 1;
    g_calls.clear();
    Send(1196);
    EXPECT_EQ(Count(65), 1);
}

namespace {

struct RegionCall {
    int side, x, y;
};
std::vector<RegionCall> g_regions;

HRGN CountingRegion(void*, int side, int x, int y, int width, int height) {
    g_regions.push_back({side, x, y});
    // An empty extent gives an empty region, which the slide skips.
    return CreateRectRgn(0, 0, x, height > 0 ? height : y);
}

}  // namespace

TEST_F(NavFixture, AnimatedSlideAsksTheSkinForEachFrame) {
    MainProbe main;
    SkinGetSkinRegionExtWndFn saved = CurrentSkin().entry.GetSkinRegionExtWnd;
    CurrentSkin().entry.GetSkinRegionExtWnd = &CountingRegion;
    settings.numbers["GetNAVAnimEnabled"] = 1;
    cVelmoSkinData* skin = nav->GetSkinData();
    skin->SetNavAnimEnabled(1);
    skin->SetNavAnimType(0);
    skin->SetNavWndPaintRandLinks(10);
    skin->SetNavWndPaintRandRechts(10);
    nav->SetSize(300, 470);
    nav->ApplySkinSizes();

    g_regions.clear();
    nav->Slide();   // out
    ASSERT_EQ(g_regions.size(), 48u);   // 47 frames and the final region
    for (int i = 0; i < 47; ++i) {
        EXPECT_EQ(g_regions[i].side, 1);
        EXPECT_EQ(g_regions[i].x, 6 * i) << i;
    }
    EXPECT_EQ(g_regions[47].x, 300);
    g_regions.clear();
    nav->Slide();   // in
    ASSERT_EQ(g_regions.size(), 48u);
    EXPECT_EQ(g_regions[0].x, 276);
    EXPECT_EQ(g_regions[46].x, 0);
    EXPECT_EQ(g_regions[0].side, 0);
    EXPECT_EQ(nav->IsCollapsed(), 1);
    CurrentSkin().entry.GetSkinRegionExtWnd = saved;
}

TEST_F(NavFixture, LinksAndTheStoredSizeAfterResizing) {
    Send(1143, 0, 404);
    Send(1143, 0, 383);   // no podcast address in the skin: the player's page
    std::vector<std::string> pages;
    for (const Call& c : g_calls)
        if (c.code == 5) pages.push_back(c.text);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0], "http://www.velmirant.de/pages/radiomagazin/radioprogramm/");
    EXPECT_EQ(pages[1], "http://www.velmirant.de/pages/radiomagazin/podcasts/");

    SetWindowPos(nav->GetWindow(), nullptr, 0, 0, 333, 444, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    g_calls.clear();
    nav->OnEndResize();
    EXPECT_EQ(settings.Number("GetNavWinCX"), 333);
    EXPECT_EQ(settings.Number("GetNavWinCY"), 444);
    EXPECT_EQ(settings.saves, 1);
    EXPECT_EQ(Count(48), 1);
}

TEST(NavEpisodePlaylist, HostileTitlesAndPathsStayInTheirEntry) {
    tdtest::TempFolder dir("navlist");
    const char* title = "Talk \"<b>\" & more\r\n#EXTINF:1,evil";
    const char* file = "C:\\pods\\a&b<c>.mp3";
    struct Case {
        int kind;
        std::vector<std::string> present, absent;
    } cases[] = {
        {2, {"<TITLE>Talk &quot;&lt;b&gt;&quot; &amp; more", "HREF=\"C:\\pods\\a&amp;b&lt;c&gt;.mp3\""}, {"<b>", "\r\n#EXTINF:1,evil"}},
        {1, {"#EXTINF:-1,Talk \"<b>\" & more  #EXTINF:1,evil\r\n"}, {"\r\n#EXTINF:1,evil"}},
    };
    for (const Case& c : cases) {
        std::string path = dir.File(c.kind == 2 ? "e.asx" : "e.m3u"), text;
        ASSERT_TRUE(WriteEpisodePlaylist(path.c_str(), c.kind, file, title));
        ASSERT_TRUE(tdtest::ReadFileBytes(path, &text));
        for (const std::string& p : c.present) EXPECT_NE(text.find(p), std::string::npos) << c.kind << ": " << p;
        for (const std::string& a : c.absent) EXPECT_EQ(text.find(a), std::string::npos) << c.kind << ": " << a;
    }
}

// The main banner's description: nothing before the interface is ready or
// while the navigator is folded in; then the navigator's banner area, and
// for a skin whose banner sits in the main window that window even while
// the interface is not running.
TEST_F(NavFixture, TheMainBannerIsDescribedOnlyWhereItCanShow) {
    MainProbe main;
    settings.numbers["GetLanguage"] = 1;
    settings.numbers["GetAdBannerCX"] = 468;
    settings.numbers["GetAdBannerCY"] = 60;
    cVelmoSkinData* skin = nav->GetSkinData();
    skin->SetVelmoaddieUpdateArt(3);
    const LONG savedReady = Library().bannerReady, savedRunning = Library().running;
    auto describe = [] {
        BannerInfoRecord r;
        memset(&r, 0x5A, sizeof r);
        EXPECT_EQ(GetBannerInfo(&r), &r);
        return r;
    };
    const int32_t navWord = static_cast<int32_t>(reinterpret_cast<intptr_t>(nav->GetWindow()));
    const int32_t mainWord = static_cast<int32_t>(reinterpret_cast<intptr_t>(main.GetWindow()));

    InterlockedExchange(&Library().running, 1);
    InterlockedExchange(&Library().bannerReady, 0);
    EXPECT_EQ(describe().window, 0) << "before the banner is ready";
    InterlockedExchange(&Library().bannerReady, 1);
    EXPECT_EQ(describe().window, 0) << "folded in";
    EXPECT_EQ(GetBannerInfo(nullptr), nullptr);

    Extend();
    skin->SetBannerHeight(0);
    BannerInfoRecord r = describe();
    POINT at = nav->GetBannerPos();
    EXPECT_EQ(r.window, navWord);
    EXPECT_EQ(r.x, at.x);
    EXPECT_EQ(r.y, at.y);
    EXPECT_EQ(r.updateKind, 3);
    EXPECT_EQ(r.cx, 0);
    EXPECT_EQ(r.url[0], 0);
    EXPECT_EQ(skin->GetBannerHeight(), 60) << "the banner height for the interface's language";

    InterlockedExchange(&Library().running, 0);
    EXPECT_EQ(describe().window, 0) << "interface not running";
    skin->SetVelmoaddieType(5);
    EXPECT_EQ(describe().window, mainWord) << "a banner in the main window";

    InterlockedExchange(&Library().bannerReady, savedReady);
    InterlockedExchange(&Library().running, savedRunning);
}

// A skin with its banner on top makes room for a banner that grew and keeps
// the navigator beside the main window; other skins leave everything.
TEST_F(NavFixture, TheBannerHeightHookMovesOnlyATopBannerLayout) {
    MainProbe main;
    main.SetSize(350, 160);
    main.SetStoredPosition(100, 50);
    cVelmoSkinData* skin = nav->GetSkinData();
    for (int kind : {0, 2}) {
        SCOPED_TRACE(kind);
        skin->SetVelmoaddieType(kind);
        skin->SetBannerHeight(0);
        skin->SetDisplayLeftTop(POINT{5, 10});
        skin->SetTitelPos(POINT{1, 2});
        skin->SetListenCounterPos(POINT{3, 4});
        skin->SetNavWndOffset(POINT{7, 8});
        nav->SetWindowPosition(0, 0);
        nav->OnBannerHeight(60);
        const int d = kind == 2 ? 60 : 0;
        EXPECT_EQ(skin->GetDisplayLeftTop().y, 10 + d);
        EXPECT_EQ(skin->GetTitelPos().y, 2 + d);
        EXPECT_EQ(skin->GetListenCounterPos().y, 4 + d);
        EXPECT_EQ(skin->GetNavWndOffset().y, 8 - d);
        EXPECT_EQ(skin->GetNavWndOffset().x, 7);
        EXPECT_EQ(nav->GetPosX(), kind == 2 ? 100 + 350 + 7 : 0);
        EXPECT_EQ(nav->GetPosY(), kind == 2 ? 50 + 8 - 60 : 0);
    }
    // Applying the skin sizes stores the height before the hook: nothing moves.
    skin->SetVelmoaddieType(2);
    settings.numbers["GetLanguage"] = 1;
    settings.numbers["GetAdBannerCY"] = 60;
    settings.numbers["GetVelmoAddy"] = 1;
    const POINT before = skin->GetDisplayLeftTop();
    nav->ApplySkinSizes();
    EXPECT_EQ(skin->GetDisplayLeftTop().y, before.y);
}
