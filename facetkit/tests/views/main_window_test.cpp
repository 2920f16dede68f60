// The main window with the standard skin: its elements painted over the
// skin's background, the display texts as the user reads them, and the
// clicks and traywatch messages that reach the host as callback codes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "activeelement.h"
#include "facetkit_fixtures.h"
#include "library_state.h"
#include "main_window.h"
#include "resource_manager.h"
#include "scroll_text.h"
#include "skin_plugin_api.h"
#include "skin_wnd_fixture.h"
#include "tdtest.h"
#include "win_handles.h"
#include "wnd_list.h"

namespace {

struct Call {
    int code;
    int ch;
};
std::vector<Call> g_calls;

int RecordCallback(int code, int ch, void*) {
    g_calls.push_back({code, ch});
    return 0;
}

// Display fields as scrolling texts, where a skin with a display puts them.
const DWORD kDisplayIds[] = {48, 49, 50, 51, 52, 54, 55, 56, 57};

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(fk::LoadStockface(&skin_), nullptr);
        res_ = new cResourceManager(skin_.Get(), 1);
        savedCallback_ = Library().callback;
        Library().callback = &RecordCallback;
        g_calls.clear();
        listed_ = GetWindowList().GetAnzElement();
        win_ = new cVelmoWin();
        ASSERT_TRUE(win_->CreateMainWindow(skin_.Get(), res_, "velmirant-Player"));
        auto setMain = reinterpret_cast<SkinSetButtonsMainFn>(
            reinterpret_cast<void*>(GetProcAddress(skin_.Get(), "SetButtonsMain")));
        ASSERT_NE(setMain, nullptr);
        setMain(win_->GetSkinData(), win_->GetButtonList(), res_, reinterpret_cast<cVelmoWin*>(win_), 0);
        int top = 22;
        for (DWORD id : kDisplayIds) {
            RECT r = {24, top, 300, top + 12};
            win_->GetButtonList()->AddScrollText(res_, 0, 0, 1, win_->GetWindow(), id, r, 0xFFFFFF, 0, 0);
            top += 12;
        }
        win_->InitState();
        ShowWindow(win_->GetWindow(), SW_SHOWNOACTIVATE);
        UpdateWindow(win_->GetWindow());
        fk::PumpPasses();
    }
    void TearDown() override {
        if (win_) {
            HWND hwnd = win_->GetWindow();
            win_->DetachWindow();
            delete win_;
            if (hwnd) DestroyWindow(hwnd);
            // A window object left in the list would be walked after it is
            // freed by whatever test comes next.
            EXPECT_EQ(GetWindowList().GetAnzElement(), listed_);
        }
        delete res_;
        Library().callback = savedCallback_;
        fk::PumpPasses();
    }
    std::string Text(DWORD id) {
        auto* e = dynamic_cast<cScrollText*>(
            static_cast<cActiveElement*>(win_->GetButtonList()->GetById(id)));
        if (!e) return "<none>";
        char buffer[1100] = {};
        e->GetText(buffer, sizeof buffer);
        return buffer;
    }
    // The scrolling texts take their texts and visibility on their window's
    // turn: wait (bounded) for the expected state.
    std::string TextSoon(DWORD id, const std::string& expected) {
        DWORD start = GetTickCount();
        std::string now = Text(id);
        while (now != expected && GetTickCount() - start < 2000) {
            fk::PumpPasses(1);
            now = Text(id);
        }
        return now;
    }
    int VisibleSoon(DWORD id, int expected) {
        DWORD start = GetTickCount();
        int now = Visible(id);
        while (now != expected && GetTickCount() - start < 2000) {
            fk::PumpPasses(1);
            now = Visible(id);
        }
        return now;
    }
    int Visible(DWORD id) {
        auto* e = static_cast<cActiveElement*>(win_->GetButtonList()->GetById(id));
        return e ? e->IsVisible() : -1;
    }

    bk::ScopedModule skin_;
    cResourceManager* res_ = nullptr;
    cVelmoWin* win_ = nullptr;
    HostEventCallback savedCallback_ = nullptr;
    int listed_ = 0;
};

TEST_F(MainWindow, IsTheSkinnedWindowOfItsClassPaintedFromTheSkin) {
    HWND hwnd = win_->GetWindow();
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    EXPECT_STREQ(name, "tunerdeck Main Wnd Class");
    RECT r;
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.right - r.left, res_->GetGfxWidth(294));
    EXPECT_EQ(r.bottom - r.top, res_->GetGfxHeight(294));
    EXPECT_EQ(GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_POPUP, WS_POPUP);

    // A background pixel outside every element shows the skin's background.
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    fk::PumpPasses();
    HDC back = win_->GetBackBuffer();
    ASSERT_NE(back, nullptr);
    RECT sprite = {};
    HDC skinDc = res_->GetDC(294, &sprite);
    ASSERT_NE(skinDc, nullptr);
    EXPECT_EQ(GetPixel(back, 6, 80), GetPixel(skinDc, sprite.left + 6, sprite.top + 80));
    EXPECT_TRUE(tdtest::SaveWindowPng(hwnd, tdtest::ArtifactDir() + "\\facetkit_main_window.png"));
}

TEST_F(MainWindow, DisplayTextsAreCutAndCombinedForTheDisplay) {
    struct Case {
        const char* what;
        void (*set)(cVelmoWin*, const std::string&);
        std::string input;
        DWORD id;
        std::string shown;
    };
    std::string longStatus(300, 's');
    std::string longStation(200, 'n');
    const Case cases[] = {
        {"station cut at the second 0x02", [](cVelmoWin* w, const std::string& t) { w->SetStationText(t.c_str()); },
         "A\x02" "B\x02" "C", 49, "A\x02" "B"},
        {"station with one 0x02 whole", [](cVelmoWin* w, const std::string& t) { w->SetStationText(t.c_str()); },
         "A\x02" "B", 49, "A\x02" "B"},
        {"station cut to its field", [](cVelmoWin* w, const std::string& t) { w->SetStationText(t.c_str()); },
         longStation, 49, std::string(149, 'n')},
        {"status cut to 199", [](cVelmoWin* w, const std::string& t) { w->ShowStatusLine(t.c_str(), 0); },
         longStatus, 48, std::string(199, 's')},
        {"bit rate cut to 19", [](cVelmoWin* w, const std::string& t) { w->SetBitrateText(t.c_str()); },
         "128 kbit/s MP3 stereo 44 kHz", 54, "128 kbit/s MP3 ster"},
        {"title", [](cVelmoWin* w, const std::string& t) { w->SetTitleText(t.c_str()); }, "Song", 50, "Song"},
        {"info 56", [](cVelmoWin* w, const std::string& t) { w->SetInfoText56(t.c_str()); }, "00:01:05", 56,
         "00:01:05"},
    };
    for (const Case& c : cases) {
        c.set(win_, c.input);
        EXPECT_EQ(TextSoon(c.id, c.shown), c.shown) << c.what;
    }
    win_->SetStationText(nullptr);
    EXPECT_EQ(TextSoon(49, ""), "") << "a null text empties the field";
}

TEST_F(MainWindow, ArtistAndTitleShareTheTitleLineUnlessTooLong) {
    win_->SetTitleText("Song");
    win_->SetArtistText("Band");
    EXPECT_EQ(TextSoon(50, "Band - Song"), "Band - Song");
    EXPECT_EQ(TextSoon(51, "Band"), "Band");
    // The artist field holds 49, the title 149: together below the limit,
    // so the combined line is always shown when both are set.
    win_->SetTitleText(std::string(149, 't').c_str());
    win_->SetArtistText(std::string(49, 'a').c_str());
    std::string both = std::string(49, 'a') + " - " + std::string(149, 't');
    EXPECT_EQ(TextSoon(50, both), both);
    win_->SetArtistText("");
    win_->SetTitleText("Other");
    EXPECT_EQ(TextSoon(50, "Other"), "Other") << "without an artist the title stands alone";
}

TEST_F(MainWindow, StreamFieldsShowOnlyWhilePlayingAndNotConnecting) {
    struct Case {
        int state;
        int connecting;
        int streamShown;
    };
    const Case cases[] = {{1, 0, 1}, {1, 1, 0}, {0, 0, 0}, {2, 1, 0}, {3, 0, 0}};
    for (const Case& c : cases) {
        win_->SetPlayState(c.state);
        fk::PumpPasses();
        win_->ShowStatusLine("x", c.connecting);
        for (DWORD id : {54u, 55u, 56u, 57u, 52u})
            EXPECT_EQ(VisibleSoon(id, c.streamShown), c.streamShown) << "state " << c.state << " element " << id;
        EXPECT_EQ(VisibleSoon(48, !c.streamShown), !c.streamShown) << "state " << c.state;
    }
}

DWORD WINAPI SetStatusFromHostThread(void* p) {
    static_cast<cVelmoWin*>(p)->SetStatusLine("Verbinde...", 1);
    return 0;
}

TEST_F(MainWindow, StatusFromAHostThreadReachesTheDisplayOnTheWindowThread) {
    HANDLE thread = CreateThread(nullptr, 0, SetStatusFromHostThread, win_, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
    CloseHandle(thread);
    fk::PumpPasses();
    EXPECT_EQ(TextSoon(48, "Verbinde..."), "Verbinde...");
    EXPECT_EQ(win_->IsConnecting(), 1);
}

TEST_F(MainWindow, WaitSymbolCounterWrapsAtTheSkinsCount) {
    win_->GetSkinData()->SetWaitSymbolsCount(8);
    int seen[16];
    for (int& s : seen) {
        win_->ShowStatusLine(nullptr, 1);
        s = win_->GetWaitCounter();
    }
    for (int i = 1; i < 16; ++i) EXPECT_EQ(seen[i], (seen[i - 1] + 1) % 8);
}

TEST_F(MainWindow, ElementClicksAndTraywatchMessagesReachTheHost) {
    HWND hwnd = win_->GetWindow();
    win_->SetCurrentSelection(4711, "Radio");
    win_->SetStreamInfo(0, 3, 0, nullptr, nullptr);
    struct Case {
        UINT msg;
        LPARAM lParam;
        std::vector<Call> expected;
    };
    const Case cases[] = {
        {WM_MAIN_ELEMENT, 1, {{1, 4711}}},
        {WM_MAIN_PLAY, 0, {{1, 4711}}},
        {WM_MAIN_ELEMENT, 3, {{3, 0}}},
        {WM_MAIN_STOP, 0, {{3, 0}}},
        {WM_MAIN_ELEMENT, 2, {}},                      // stopped: no pause
        {WM_MAIN_ELEMENT, 43, {}},                     // track 0: no previous
        {WM_MAIN_ELEMENT, 44, {{22, 1}}},
        {WM_MAIN_ELEMENT, 12, {{12, kSoundOffValue}}},
        {WM_MAIN_SOUND, 0, {{12, kSoundOnValue}}},
        {WM_MAIN_ELEMENT, 39, {{14, 4711}}},
        {WM_MAIN_ELEMENT, 189, {{5, 4711}}},
        {WM_MAIN_ELEMENT, 276, {{39, 0}}},
        {WM_MAIN_ELEMENT, 390, {{10, 0}}},
        {WM_MAIN_ELEMENT, 275, {}},
        {WM_MAIN_PLAY_CHANNEL, 0, {}},
    };
    for (const Case& c : cases) {
        g_calls.clear();
        SendMessageA(hwnd, c.msg, c.msg == WM_MAIN_PLAY_CHANNEL ? 99 : 0, c.lParam);
        std::vector<Call> expected = c.expected;
        if (c.msg == WM_MAIN_PLAY_CHANNEL) expected = {{1, 99}};
        ASSERT_EQ(g_calls.size(), expected.size()) << "message " << c.msg << " element " << c.lParam;
        for (size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(g_calls[i].code, expected[i].code) << "message " << c.msg << " element " << c.lParam;
            EXPECT_EQ(g_calls[i].ch, expected[i].ch) << "message " << c.msg << " element " << c.lParam;
        }
    }
}

TEST_F(MainWindow, TraywatchQuestionsAreAnsweredInTheResult) {
    HWND hwnd = win_->GetWindow();
    struct Case {
        unsigned long track, count;
        LRESULT next, previous;
    };
    const Case cases[] = {{0, 1, 0, 0}, {0, 3, 1, 0}, {2, 3, 0, 1}, {1, 3, 1, 1}};
    for (const Case& c : cases) {
        win_->SetStreamInfo(c.track, c.count, 0, nullptr, nullptr);
        EXPECT_EQ(SendMessageA(hwnd, WM_MAIN_TRAY_HAS_NEXT, 0, 0), c.next) << c.track << "/" << c.count;
        EXPECT_EQ(SendMessageA(hwnd, WM_MAIN_TRAY_HAS_PREVIOUS, 0, 0), c.previous) << c.track << "/" << c.count;
    }
    win_->SetPlayState(3);
    EXPECT_EQ(SendMessageA(hwnd, WM_MAIN_TRAY_PLAY_STATE, 0, 0), 3);
    EXPECT_EQ(SendMessageA(hwnd, WM_MAIN_TRAY_SOUND, 0, 0), 1);
    SendMessageA(hwnd, WM_MAIN_SOUND, 0, 0);
    EXPECT_EQ(SendMessageA(hwnd, WM_MAIN_TRAY_SOUND, 0, 0), 0);
}

TEST_F(MainWindow, VolumeWhileSoundIsOffStaysWithTheSlider) {
    win_->OnVolumeChanged(40);
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].code, 12);
    EXPECT_EQ(g_calls[0].ch, 40);
    g_calls.clear();
    win_->ToggleSound();   // off
    win_->OnVolumeChanged(50);
    win_->ToggleSound();   // on: only the sound-on code
    ASSERT_EQ(g_calls.size(), 2u);
    EXPECT_EQ(g_calls[0].ch, kSoundOffValue);
    EXPECT_EQ(g_calls[1].ch, kSoundOnValue);
}

TEST(MainWindowText, StationNameNeverOverrunsItsBuffer) {
    char out[4];
    StationNameFromText("abcdef", out, sizeof out);
    EXPECT_STREQ(out, "abc");
    StationNameFromText("a\x02" "b\x02" "c", out, sizeof out);
    EXPECT_STREQ(out, "a\x02" "b");
    StationNameFromText(nullptr, out, sizeof out);
    EXPECT_STREQ(out, "");
}

}  // namespace
