// The navigator window driven by its messages: its class and window-list
// entry, closing, absorbed repeats, the reply buffers, auto-scroll, the
// search records it hands the host, sliding and view switching.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "fake_settings.h"
#include "library_guard.h"
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

TEST_F(NavFixture, ReplyBuffersWaitBoundedAndTruncate) {
    nav->ExpectRecDeviceList();
    std::thread host([&] {
        Sleep(100);
        nav->SetRecDeviceList(std::string(600, 'd').c_str());
    });
    std::string reply = nav->WaitRecDeviceList();
    host.join();
    EXPECT_EQ(reply, std::string(511, 'd'));
    // No answer at all: an empty list after the bounded wait.
    nav->ExpectRecSourceList();
    DWORD start = GetTickCount();
    EXPECT_STREQ(nav->WaitRecSourceList(), "");
    EXPECT_LT(GetTickCount() - start, kNavReplyWaitMs + 60000);   // bounded: only a hang fails
    // A reply whose first byte is 1 (a one-character first entry) ends the wait too.
    nav->ExpectRecSourceList();
    nav->SetRecSourceList("a\x01" "b");
    EXPECT_STREQ(nav->WaitRecSourceList(), "a\x01" "b");
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

// A main window in the window list that records what the navigator posts.
class MainProbe : public cSkinWnd {
public:
    MainProbe() {
        hwnd_ = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        InitWindow(hwnd_, WND_ID_MAIN);
    }
    ~MainProbe() override {
        GetWindowList().RemoveWithoutDelete(this);
        DetachWindow();
        DestroyWindow(hwnd_);
    }
    std::vector<std::pair<UINT, WPARAM>> Take() {
        std::vector<std::pair<UINT, WPARAM>> out;
        MSG m;
        while (PeekMessageA(&m, hwnd_, 0, 0, PM_REMOVE)) out.emplace_back(m.message, m.wParam);
        return out;
    }

private:
    HWND hwnd_;
};

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
