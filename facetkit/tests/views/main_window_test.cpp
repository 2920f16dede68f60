// The main window with the standard skin: its elements painted over the
// skin's background, the display texts as the user reads them, and the
// clicks and traywatch messages that reach the host as callback codes.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "activeelement.h"
#include "bounded_text.h"
#include "catalogue.h"
#include "facetkit_fixtures.h"
#include "fill_bars.h"
#include "fake_settings.h"
#include "list_store.h"
#include "main_menu.h"
#include "nav_menus.h"
#include "nav_window.h"
#include "podcast_feed.h"
#include "recording_display.h"
#include "recording_record.h"
#include "host_exports.h"
#include "station_details.h"
#include "timer_entries.h"
#include "timerentry.h"
#include "view_notices.h"
#include "registry.h"
#include "library_state.h"
#include "main_window.h"
#include "resource_manager.h"
#include "scroll_text.h"
#include "skin_plugin_api.h"
#include "volume_slider.h"
#include "wnd_button.h"
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
// The record of the last code 38 (a recording's start).
void* g_recordHanded = nullptr;
std::string g_lastPage;

// Code 26 follows the focus, which other programs on the display move at
// any time: only the test that asks for it records it.
bool g_recordActivation = false;
// A host that ends the old playback and shortly after plays the playlist
// it is given, with five tracks.
cVelmoWin* g_playsPlaylists = nullptr;
std::thread g_hostPlayback;

int RecordCallback(int code, int ch, void* text) {
    if (code == CB_BANNER_REFRESH && !g_recordActivation) return 0;
    // The host's log: what these tests follow are the host's actions.
    if (code == 28) return 0;
    g_calls.push_back({code, ch});
    if (code == 5) g_lastPage = text ? static_cast<const char*>(text) : "";
    if (code == 38) g_recordHanded = text;
    if (code == 72 && g_playsPlaylists) {
        cVelmoWin* win = g_playsPlaylists;
        win->SetPlayState(0);
        g_hostPlayback = std::thread([win] {
            Sleep(150);
            win->SetPlayState(1);
            win->SetStreamInfo(0, 5, 0, "", "");
        });
    }
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
        // Fields the skin's display lacks are added, so every setter shows.
        for (DWORD id : kDisplayIds) {
            RECT r = {24, top, 300, top + 12};
            if (!win_->GetButtonList()->GetById(id))
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
        while (now != expected && GetTickCount() - start < 30000) {
            fk::PumpPasses(1);
            now = Text(id);
        }
        return now;
    }
    int VisibleSoon(DWORD id, int expected) {
        DWORD start = GetTickCount();
        int now = Visible(id);
        while (now != expected && GetTickCount() - start < 30000) {
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
    EXPECT_EQ(WaitForSingleObject(thread, 30000), WAIT_OBJECT_0);
    CloseHandle(thread);
    fk::PumpPasses();
    EXPECT_EQ(TextSoon(48, "Verbinde..."), "Verbinde...");
    EXPECT_EQ(win_->IsConnecting(), 1);

    // The buffer gauge stands where the skin puts it and takes the value.
    cBufferView* gauge = win_->GetBufferView();
    ASSERT_NE(gauge, nullptr);
    RECT place = win_->GetSkinData()->GetBufferRect();
    EXPECT_EQ(gauge->GetRect().left, place.left);
    EXPECT_EQ(gauge->GetValue(), 0);
    win_->SetBufferValue(40);
    fk::PumpPasses();
    EXPECT_EQ(gauge->GetValue(), 40);
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

// ---------------------------------------------------------------- messages, close, tray, volume
namespace {

// The skinned window that stands for the navigator (window id 6).
struct NavStandIn : fk::TestSkinWnd {
    NavStandIn() : fk::TestSkinWnd(WND_ID_NAVIGATOR, 40, 260, 200, 100) {}
    ~NavStandIn() override {
        HWND hwnd = GetWindow();
        GetWindowList().RemoveWithoutDelete(this);
        DetachWindow();
        if (hwnd) DestroyWindow(hwnd);
    }
};

struct Answers {
    std::vector<unsigned> asked;
    int answer = 1;
} g_answers;

int ScriptedQuestion(unsigned textId, unsigned, int) {
    g_answers.asked.push_back(textId);
    return g_answers.answer;
}

struct CopyData {
    unsigned long kind = 0;
    unsigned long dwData = 0;
    size_t size = 0;
    std::string text;
    int calls = 0;
} g_copy;

int RecordCopyData(unsigned long kind, unsigned long dwData, const void* data, size_t size) {
    g_copy.kind = kind;
    g_copy.dwData = dwData;
    g_copy.size = size;
    g_copy.text.assign(static_cast<const char*>(data ? data : ""), data ? size : 0);
    ++g_copy.calls;
    return 1;
}

class MainWindowHost : public MainWindow {
protected:
    void SetUp() override {
        savedHost_ = Library().host;
        savedPid_ = Library().processId;
        Library().processId = GetCurrentProcessId();
        settings_.numbers["GetLanguage"] = 1;
        Library().host = &settings_;
        savedHooks_ = MainHooks();
        MainHooks().question = &ScriptedQuestion;
        MainHooks().copyData = &RecordCopyData;
        g_answers = Answers{};
        g_copy = CopyData{};
        // Process-wide: a recording another test left running would ask
        // before every play.
        SetRecordingFlag(0);
        MainWindow::SetUp();
    }
    void TearDown() override {
        MainWindow::TearDown();
        MainHooks() = savedHooks_;
        Library().host = savedHost_;
        Library().processId = savedPid_;
        InterlockedExchange(&Library().running, 0);
    }
    std::vector<int> Codes() {
        std::vector<int> out;
        for (const Call& c : g_calls) out.push_back(c.code);
        return out;
    }
    FakeSettings settings_;
    cSettingsInterface* savedHost_ = nullptr;
    MainWindowHooks savedHooks_ = {};
    DWORD savedPid_ = 0;
};

TEST_F(MainWindowHost, MessagesOutsideTheirConditionsDoNothing) {
    HWND hwnd = win_->GetWindow();
    struct Case {
        const char* what;
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
        LRESULT result;
        std::vector<int> codes;
    };
    const Case cases[] = {
        {"release of another button", WM_MAIN_BUTTON_RELEASED, 0, 8, 0, {}},
        {"volume knob of another kind", WM_MAIN_VOLUME_KNOB, 8, MAKELPARAM(10, 10), 0, {}},
        {"a foreign timer", WM_TIMER, 77, 0, 1, {}},
        {"an unknown command", WM_COMMAND, 40000, 0, 0, {}},
        {"the keyboard's context menu", WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), -1, 0, {}},
        {"scheduler saved its timers", WM_MAIN_TIMERS_CHANGED, 0, 0, 1, {53}},
        {"activated from outside", WM_ACTIVATE, WA_ACTIVE, 0, 0, {26}},
        {"activated from inside", WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(hwnd), 0, {}},
        {"deactivated", WM_ACTIVATE, WA_INACTIVE, 0, 0, {}},
        // A foreign sender's address must never be freed.
        {"recording copy not handed out", WM_MAIN_RECORDING_STATE, 0x12345678, 1, 1, {}},
        {"a private message of no meaning here", WM_USER + 109, 0, 0, 1, {}},
        // A window button's cursor question: any answer but 0 would be taken
        // for an element list.
        {"a button asks for a further list", WM_SKIN_GET_BUTTON_LIST, 0, 0, 0, {}},
        {"a private message outside the map", WM_USER + 171, 0, 0, 0, {}},
    };
    g_recordActivation = true;
    for (const Case& c : cases) {
        g_calls.clear();
        EXPECT_EQ(SendMessageA(hwnd, c.msg, c.wParam, c.lParam), c.result) << c.what;
        EXPECT_EQ(Codes(), c.codes) << c.what;
    }
    g_recordActivation = false;
    EXPECT_EQ(Library().running, 0);
    // The mouse over a window button asks this window for the cursor.
    auto* play = dynamic_cast<cWndButton*>(static_cast<cActiveElement*>(win_->GetButtonList()->GetById(1)));
    ASSERT_NE(play, nullptr);
    SendMessageA(play->GetWindow(), WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    fk::PumpPasses();
    // A copy this library handed out is taken back.
    char* copy = new char[kStatusCopySize];
    TrackHandedCopy(copy);
    EXPECT_EQ(SendMessageA(hwnd, WM_MAIN_RECORDING_STATE, reinterpret_cast<WPARAM>(copy), 1), 1);
}

TEST_F(MainWindowHost, CopyDataIsBoundedBeforeItIsHandedOn) {
    HWND hwnd = win_->GetWindow();
    const char text[] = "TUNERDECK|PLAY|5";
    // The kind travels in wParam, as a second start and the scheduler send it;
    // dwData is handed on beside it (the scheduler's asked entry).
    COPYDATASTRUCT cds = {0, static_cast<DWORD>(sizeof text - 1), const_cast<char*>(text)};
    EXPECT_EQ(SendMessageA(hwnd, WM_COPYDATA, 5, reinterpret_cast<LPARAM>(&cds)), 1);
    EXPECT_EQ(g_copy.kind, 5ul);
    EXPECT_EQ(g_copy.dwData, 0ul);
    EXPECT_EQ(g_copy.text, "TUNERDECK|PLAY|5");
    // A size the data does not have is not believed without data.
    COPYDATASTRUCT empty = {0, 0x7FFFFFFF, nullptr};
    SendMessageA(hwnd, WM_COPYDATA, 5, reinterpret_cast<LPARAM>(&empty));
    EXPECT_EQ(g_copy.size, 0u);
    std::vector<char> big(kCopyDataLimit + 100, 'x');
    COPYDATASTRUCT large = {0, static_cast<DWORD>(big.size()), big.data()};
    SendMessageA(hwnd, WM_COPYDATA, 5, reinterpret_cast<LPARAM>(&large));
    EXPECT_EQ(g_copy.size, kCopyDataLimit);
    COPYDATASTRUCT answer = {42, 4, const_cast<char*>("\0\0\0\0")};
    SendMessageA(hwnd, WM_COPYDATA, 6, reinterpret_cast<LPARAM>(&answer));
    EXPECT_EQ(g_copy.kind, 6ul);
    EXPECT_EQ(g_copy.dwData, 42ul);
    EXPECT_EQ(g_copy.calls, 4);
}

TEST_F(MainWindowHost, CloseAsksWhileRecordingWithANavigatorAndStaysOnNo) {
    struct Case {
        int recording;
        bool navigator;
        int answer;
        std::vector<unsigned> asked;
        LONG runningAfter;
    };
    const Case cases[] = {
        {0, true, 0, {}, 0},      // nothing records: closes without a question
        {1, false, 0, {}, 0},     // no navigator: no question
        {1, true, 0, {600}, 1},   // "no": stays open
        {1, true, 1, {600}, 0},
    };
    for (const Case& c : cases) {
        NavStandIn* nav = c.navigator ? new NavStandIn() : nullptr;
        g_answers = Answers{};
        g_answers.answer = c.answer;
        InterlockedExchange(&Library().running, 1);
        win_->SetRecording(c.recording);
        SendMessageA(win_->GetWindow(), WM_CLOSE, 0, 0);
        EXPECT_EQ(g_answers.asked, c.asked) << c.recording << c.navigator << c.answer;
        EXPECT_EQ(Library().running, c.runningAfter) << c.recording << c.navigator << c.answer;
        delete nav;
    }
    // Alt+F4 and the menu's close run the same sequence.
    for (UINT command : {CMD_ALT_F4}) {
        InterlockedExchange(&Library().running, 1);
        win_->SetRecording(0);
        EXPECT_EQ(SendMessageA(win_->GetWindow(), WM_COMMAND, command, 0), 1);
        EXPECT_EQ(Library().running, 0);
    }
    InterlockedExchange(&Library().running, 1);
    win_->OnMenuCommand(MENU_MAIN, CMD_CLOSE);
    EXPECT_EQ(Library().running, 0);
}

LRESULT CALLBACK TraywatchProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CLOSE) SetPropA(hwnd, "closed", reinterpret_cast<HANDLE>(1));
    if (msg == WM_CLOSE) return 0;
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

TEST_F(MainWindowHost, MinimiseGoesToTheTrayOnlyWhileTraywatchIsThere) {
    HWND hwnd = win_->GetWindow();
    // Without the tray setting: an ordinary minimised window.
    settings_.numbers["GetIconizeToTray"] = 0;
    EXPECT_EQ(SendMessageA(hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0), 0);
    fk::PumpPasses();
    EXPECT_TRUE(IsIconic(hwnd));
    ShowWindow(hwnd, SW_RESTORE);
    fk::PumpPasses();

    // With it and a running traywatch: hidden, restored by traywatch's
    // message, and a traywatch this window did not start is left running.
    WNDCLASSA wc = {};
    wc.lpfnWndProc = TraywatchProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kTraywatchClass;
    RegisterClassA(&wc);
    HWND tray = CreateWindowExA(0, kTraywatchClass, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(tray, nullptr);
    NavStandIn nav;
    ShowWindow(nav.GetWindow(), SW_SHOWNOACTIVATE);
    settings_.numbers["GetIconizeToTray"] = 1;
    SendMessageA(hwnd, WM_MAIN_ELEMENT, 0, 15);
    fk::PumpPasses();
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_FALSE(IsWindowVisible(nav.GetWindow()));
    EXPECT_EQ(win_->IsTraywatchStarted(), 0);
    EXPECT_EQ(SendMessageA(hwnd, WM_MAIN_RESTORE, 0, 0), 1);
    fk::PumpPasses();
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_TRUE(IsWindowVisible(nav.GetWindow()));
    EXPECT_EQ(GetPropA(tray, "closed"), nullptr);
    RemovePropA(tray, "closed");
    DestroyWindow(tray);
    UnregisterClassA(kTraywatchClass, wc.hInstance);
}

TEST_F(MainWindowHost, VolumeButtonsRepeatUntilReleasedAndHostVolumeMovesTheSliderOnly) {
    cButtonListe* list = win_->GetButtonList();
    list->AddVolume(win_, res_, 0, RECT{40, 180, 50, 190}, POINT{-1, 0}, POINT{-1, 0}, RECT{40, 180, 150, 190},
                    POINT{40, 180}, POINT{140, 180}, nullptr, nullptr, nullptr, 61, 62, 63, 60);
    auto* slider = dynamic_cast<cVolumeSlider*>(static_cast<cActiveElement*>(list->GetById(60)));
    ASSERT_NE(slider, nullptr);
    // The host's volume reaches the slider without going back to the host.
    win_->SetVolume(500, 1000, 0);
    fk::PumpPasses();
    EXPECT_EQ(slider->GetValue(), 500);
    EXPECT_TRUE(g_calls.empty());

    // Element 11 steps up by a hundredth of the range and keeps stepping on
    // its timer until the mouse button comes up.
    HWND hwnd = win_->GetWindow();
    SendMessageA(hwnd, WM_MAIN_ELEMENT, 0, 11);
    ASSERT_FALSE(g_calls.empty());
    EXPECT_EQ(g_calls[0].code, 12);
    EXPECT_EQ(g_calls[0].ch, 510);
    DWORD start = GetTickCount();
    while (g_calls.size() < 3 && GetTickCount() - start < 30000) fk::PumpPasses(1);
    EXPECT_GE(g_calls.size(), 3u);
    SendMessageA(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    size_t after = g_calls.size();
    int value = slider->GetValue();
    Sleep(100);
    fk::PumpPasses();
    EXPECT_EQ(g_calls.size(), after) << "the release stops the repeat";
    EXPECT_EQ(slider->GetValue(), value);
    // A slow machine may let the repeat run on to the top of the range,
    // where the steps stay at the maximum.
    for (size_t i = 1; i < g_calls.size(); ++i)
        EXPECT_TRUE(g_calls[i].ch > g_calls[i - 1].ch || g_calls[i].ch == 1000)
            << "step " << i << ": " << g_calls[i - 1].ch << " then " << g_calls[i].ch;

    // With the sound off the steps move the slider alone.
    win_->ToggleSound();
    g_calls.clear();
    SendMessageA(hwnd, WM_MAIN_ELEMENT, 0, 10);
    SendMessageA(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(slider->GetValue(), value - 10);
    EXPECT_TRUE(g_calls.empty());
}

TEST_F(MainWindowHost, FavouriteButtonAddsOrRemovesByTheFavouritesList) {
    cListe* favourites = GetListStore().List(LS_FAVOURITES);
    favourites->Delete();
    win_->SetCurrentSelection(4711, "Radio");
    SendMessageA(win_->GetWindow(), WM_MAIN_ELEMENT, 0, 29);
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].code, 7);
    EXPECT_EQ(g_calls[0].ch, 4711);

    GetListStore().AddFavourite("Radio", 4711, 0);
    fk::TestSkinWnd other(3, 500, 10, 50, 50);
    g_calls.clear();
    SendMessageA(win_->GetWindow(), WM_MAIN_ELEMENT, 0, 30);
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].code, 8);
    EXPECT_EQ(g_calls[0].ch, 4711);
    fk::PumpPasses();
    bool refreshed = false;
    for (const auto& m : other.received) refreshed |= m.msg == WM_FK_LISTS_CHANGED;
    EXPECT_TRUE(refreshed) << "every skinned window reads its lists again";
    HWND otherWindow = other.GetWindow();
    GetWindowList().RemoveWithoutDelete(&other);
    other.DetachWindow();
    DestroyWindow(otherWindow);
    favourites->Delete();

    // No station: nothing to add.
    win_->SetCurrentSelection(0, "");
    g_calls.clear();
    SendMessageA(win_->GetWindow(), WM_MAIN_ELEMENT, 0, 29);
    EXPECT_TRUE(g_calls.empty());
}

TEST_F(MainWindowHost, MenuCommandsReachTheHost) {
    win_->SetCurrentSelection(4711, "Radio");
    struct Case {
        int subMenu;
        UINT command;
        std::vector<Call> expected;
    };
    const Case cases[] = {
        {MENU_HELP, CMD_HELP, {{10, 0}}},
        {MENU_HELP, CMD_FAQ, {{10, 1}}},
        {MENU_HELP, CMD_MAIL, {{19, 1}}},
        {MENU_HELP, CMD_PROPOSE_STATION, {{19, 2}}},
        {MENU_HELP, CMD_REPORT_ERROR, {{18, 0}}},
        {MENU_HELP, CMD_NEWSLETTER, {{5, 0}}},
        {MENU_STATION, CMD_HOMEPAGE, {{5, 4711}}},
        {MENU_STATION, CMD_STATION_INFO, {{14, 4711}}},
        {MENU_MAIN, CMD_STATION_INFO, {}},
        {MENU_MAIN, CMD_PLAY_STOP, {{1, 4711}}},
        {MENU_MAIN, CMD_NEXT_TRACK, {{22, 1}}},
        {MENU_STATION, CMD_FAVOURITE, {{7, 4711}}},
        {1, 1, {}},   // the track menu has no handler here
    };
    for (const Case& c : cases) {
        g_calls.clear();
        win_->OnMenuCommand(c.subMenu, c.command);
        ASSERT_EQ(g_calls.size(), c.expected.size()) << c.subMenu << "/" << c.command;
        for (size_t i = 0; i < c.expected.size(); ++i) {
            EXPECT_EQ(g_calls[i].code, c.expected[i].code) << c.command;
            EXPECT_EQ(g_calls[i].ch, c.expected[i].ch) << c.command;
        }
    }
}

int g_popupOpened = 0;
TEST_F(MainWindowHost, MenuOpensItsPopupsThroughTheDialogsSlots) {
    struct Case {
        int subMenu;
        UINT command;
        void (**slot)();
    };
    MainWindowHooks& hooks = MainHooks();
    const Case cases[] = {
        {MENU_OPTIONS, CMD_SETTINGS, &hooks.settings},
        {MENU_HELP, CMD_ABOUT, &hooks.about},
        {MENU_VIEW, CMD_SUBSCRIBE_PODCAST, &hooks.subscribePodcast},
        {MENU_VIEW, CMD_OPEN_STREAM_URL, &hooks.userStream},
    };
    g_popupOpened = 0;
    hooks.ownStation = [](unsigned long id) { g_popupOpened = id == 0 ? 1 : -1; };
    win_->OnMenuCommand(MENU_MAIN, CMD_ADD_OWN_STATION);
    EXPECT_EQ(g_popupOpened, 1) << "a new station";
    for (const Case& c : cases) {
        g_popupOpened = 0;
        *c.slot = [] { ++g_popupOpened; };
        win_->OnMenuCommand(c.subMenu, c.command);
        EXPECT_EQ(g_popupOpened, 1) << c.command;
        // An empty slot (no dialogs installed) does nothing.
        *c.slot = nullptr;
        win_->OnMenuCommand(c.subMenu, c.command);
        EXPECT_EQ(g_popupOpened, 1) << c.command;
    }
}

TEST_F(MainWindowHost, RecommendationsNameWhatTheyRecommend) {
    static std::vector<std::string> asked;
    RecordingPopups saved = GetRecordingPopups();
    RecordingPopups popups = saved;
    // The form is cancelled: nothing goes to the host.
    popups.recommend = [](RecommendRecord* r, const char* item) {
        asked.push_back(std::to_string(r->kind) + "|" + std::to_string(r->id) + "|" + item);
        return 0;
    };
    SetRecordingPopups(popups);
    SetValue("SKIN", "stockface.dll");
    asked.clear();
    win_->OnMenuCommand(MENU_OPTIONS, CMD_RECOMMEND_STATION_2);   // no station yet: nothing
    win_->SetCurrentSelection(4711, "Radio Eins");
    win_->SetStationText("Radio Eins");
    g_calls.clear();
    win_->OnMenuCommand(MENU_STATION, CMD_RECOMMEND_STATION);
    win_->ElementAction(316);
    win_->OnMenuCommand(MENU_HELP, CMD_RECOMMEND_PLAYER);
    win_->OnMenuCommand(MENU_OPTIONS, CMD_RECOMMEND_SKIN);
    SetValue("SKIN", nullptr);
    SetRecordingPopups(saved);
    EXPECT_EQ(asked, (std::vector<std::string>{"1|4711|Radio Eins", "1|4711|Radio Eins", "3|0|", "2|0|stockface.dll"}));
    EXPECT_EQ(Codes(), std::vector<int>{}) << "a cancelled form sends nothing";
}

TEST_F(MainWindowHost, RowMenusActOnTheRowTheyWereOpenedOn) {
    struct Case {
        int subMenu;
        UINT command;
        unsigned long row;
        std::vector<int> codes;
        int ch;   // of the first call
    };
    const Case cases[] = {
        {MENU_STATION_ROW, CMD_ROW_PLAY, 4711, {1}, 4711},
        {MENU_STATION_ROW, CMD_ROW_HOMEPAGE, 4711, {5}, 4711},
        {MENU_STATION_ROW, CMD_ROW_FAVOURITE, 4711, {7}, 4711},
        {MENU_STATION_ROW, CMD_FOLDER_FIRST + 7, 4711, {}, 0},   // no such folder
        {MENU_TIP_ROW, CMD_TIP_OPEN, 33, {64}, 33},
        {MENU_TIP_ROW, CMD_TIP_DELETE_EXPIRED, 33, {66}, 0},
        {MENU_TIP_ROW, CMD_ROW_PLAY, 33, {}, 0},                 // a tip the store does not hold
        {MENU_PODCAST_ROW, CMD_POD_DIRECTORY, 1, {5}, 0},
        {MENU_PODCAST_ROW, CMD_POD_REFRESH, 1, {}, 0},           // a feed the list does not hold
        {MENU_TIMER_ROW, CMD_TIMER_ACTIVE, 0, {}, 0},            // no row
    };
    for (const Case& c : cases) {
        g_calls.clear();
        SetNavContextItem(c.row);
        win_->OnMenuCommand(c.subMenu, c.command);
        EXPECT_EQ(Codes(), c.codes) << c.subMenu << "/" << c.command;
        if (!c.codes.empty() && !g_calls.empty()) EXPECT_EQ(g_calls[0].ch, c.ch) << c.subMenu << "/" << c.command;
    }
    SetNavContextItem(0);
}

// The feed's address goes into the page's query whole: "&", "?" and blanks
// in it are encoded.
TEST_F(MainWindowHost, PodcastInfoHandsTheFeedAddressEncoded) {
    auto* feed = new cPodcastFeed();
    feed->SetId(77);
    feed->SetUrl("http://feeds.example/pod?a=1&b=2 c");
    {
        bk::ScopedLock hold(PodcastFeedsLock());
        PodcastFeeds().Add(feed);
    }
    SetNavContextItem(77);
    g_lastPage.clear();
    win_->OnMenuCommand(MENU_PODCAST_ROW, CMD_POD_INFO);
    EXPECT_NE(g_lastPage.find("detail.php?url=http%3A%2F%2Ffeeds.example%2Fpod%3Fa%3D1%26b%3D2%20c"), std::string::npos)
        << g_lastPage;
    SetNavContextItem(0);
    bk::ScopedLock hold(PodcastFeedsLock());
    PodcastFeeds().Delete(feed);
}

TEST_F(MainWindowHost, EpisodePlaysAndGoesOnToItsTrack) {
    g_calls.clear();
    win_->PlayEpisode(2, "", "Folge", 3);
    EXPECT_TRUE(g_calls.empty()) << "nothing to play";
    g_playsPlaylists = win_;
    win_->PlayEpisode(2, "C:\\podcasts\\episode.asx", "Folge", 3);
    g_playsPlaylists = nullptr;
    if (g_hostPlayback.joinable()) g_hostPlayback.join();
    ASSERT_EQ(Codes(), (std::vector<int>{72, 22}));
    EXPECT_EQ(g_calls[0].ch, 2);
    EXPECT_EQ(g_calls[1].ch, 3) << "the clicked episode's track";
    g_calls.clear();
    win_->PlayEpisode(1, "C:\\podcasts\\episode.m3u", nullptr, 0);
    EXPECT_EQ(Codes(), std::vector<int>{72}) << "no track to go on to";
}

TEST_F(MainWindowHost, RecentStationsAndFoldersOfTheStationMenuPlayAndFile) {
    win_->SetCurrentSelection(4711, "Radio");
    cListe* recent = GetListStore().List(LS_RECENT);
    recent->Delete();
    GetListStore().LoadRecent("Eins\x01" "11;Zwei\x01" "22;");
    g_calls.clear();
    win_->OnMenuCommand(MENU_STATION, CMD_RECENT_FIRST + 1);
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].code, 1);
    EXPECT_EQ(g_calls[0].ch, 22);
    g_calls.clear();
    win_->OnMenuCommand(MENU_STATION, CMD_RECENT_FIRST + 5);
    EXPECT_TRUE(g_calls.empty()) << "an entry the list no longer has";
    recent->Delete();
}

TEST_F(MainWindowHost, LanguageEntriesSwitchTheHostAndRestartTheInterface) {
    settings_.numbers["GetLanguage"] = 1;
    g_calls.clear();
    win_->OnMenuCommand(MENU_OPTIONS, CMD_ENGLISH);
    EXPECT_EQ(settings_.Number("GetLanguage"), 2);
    EXPECT_EQ(settings_.saves, 1);
    ASSERT_EQ(Codes(), std::vector<int>{16});
}

TEST_F(MainWindowHost, NavigatorEntriesFoldExtendAndSwitchItsViews) {
    cNavWindow* nav = CreateNavWindow(skin_.Get(), nullptr, 0);
    ASSERT_NE(nav, nullptr);
    nav->SetSize(300, 400);
    nav->GetSkinData()->SetHasDisplay(1);
    nav->ApplySkinSizes();
    ASSERT_NE(nav->GetNavView(), nullptr);
    ASSERT_EQ(nav->IsCollapsed(), 1);
    HWND hwnd = win_->GetWindow();
    struct Step {
        const char* what;
        void (*act)(cVelmoWin*, HWND);
        int collapsed;
        int kind;   // 0: not looked at
    };
    const Step steps[] = {
        {"Erweitert", [](cVelmoWin* w, HWND) { w->OnMenuCommand(MENU_VIEW, CMD_VIEW_EXTENDED); }, 0, 0},
        {"Erweitert again", [](cVelmoWin* w, HWND) { w->OnMenuCommand(MENU_VIEW, CMD_VIEW_EXTENDED); }, 0, 0},
        {"view by message", [](cVelmoWin*, HWND h) { SendMessageA(h, WM_MAIN_SHOW_VIEW, 0, 4); }, 0, 4},
        {"Goto Skins", [](cVelmoWin* w, HWND) { w->OnMenuCommand(MENU_MAIN, 32810); }, 0, 7},
        {"Normal", [](cVelmoWin* w, HWND) { w->OnMenuCommand(MENU_VIEW, CMD_VIEW_NORMAL); }, 1, 0},
        {"Goto extends", [](cVelmoWin* w, HWND) { w->OnMenuCommand(MENU_MAIN, 32779); }, 0, 4},
        {"slide element", [](cVelmoWin*, HWND h) { SendMessageA(h, WM_MAIN_ELEMENT, 0, 58); }, 1, 0},
    };
    for (const Step& step : steps) {
        step.act(win_, hwnd);
        EXPECT_EQ(nav->IsCollapsed(), step.collapsed) << step.what;
        if (step.kind) EXPECT_EQ(nav->GetNavView()->CurrentKind(), step.kind) << step.what;
    }
    delete nav;
}

TEST(MainWindowPlace, SavedPlacesOffTheDesktopStartAtZeroPerAxis) {
    RECT desk;
    GetWindowRect(GetDesktopWindow(), &desk);
    struct Case {
        unsigned long x, y;
        LONG expectedX, expectedY;
    };
    const unsigned long right = static_cast<unsigned long>(desk.right - 50);
    const unsigned long bottom = static_cast<unsigned long>(desk.bottom - 50);
    const Case cases[] = {
        {100, 80, 100, 80},
        {4294967290ul, 80, 0, 80},        // -6 saved unsigned
        {100, 4294967290ul, 100, 0},
        {right, bottom, static_cast<LONG>(right), static_cast<LONG>(bottom)},
        {right + 1, bottom + 1, 0, 0},
    };
    for (const Case& c : cases) {
        POINT p = PlaceOnDesktop(c.x, c.y);
        EXPECT_EQ(p.x, c.expectedX) << c.x;
        EXPECT_EQ(p.y, c.expectedY) << c.y;
    }
}

// Waits (bounded) until the condition holds, letting the window take its
// posted messages meanwhile.
bool Soon(const std::function<bool()>& condition) {
    DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > 15000) return false;
        fk::PumpPasses(1);
    }
    return true;
}

TEST_F(MainWindow, HostReportsFromItsThreadsAreShownInTheDisplay) {
    // Reports arrive on host threads, as the host sends them.
    std::thread host([] {
        SetStreamInfo(1, 2, 0, "Song", "Band");
        SetStreamRunInfo(65000, 128000, 0, 50);
    });
    host.join();
    EXPECT_TRUE(Soon([this] { return Text(56) == "00:01:05/LIVE"; })) << Text(56);
    EXPECT_EQ(Text(50), "Band - Song");
    EXPECT_EQ(Text(52), "Track 2/2");
    EXPECT_EQ(Text(54), "128 kbit/s");
    // A stream title (status 6) replaces the title of the first track.
    std::thread title([] { ReceiveStatus("Next Song", 6); });
    title.join();
    EXPECT_TRUE(Soon([this] { return Text(50) == "Band - Next Song"; })) << Text(50);
    // The track menu lists the model's tracks; a count of 0 empties it.
    EXPECT_EQ(MainStationDetails().GetTrackCount(), 2);
    std::thread end([] { SetStreamInfo(0, 0, 0, nullptr, nullptr); });
    end.join();
    EXPECT_TRUE(Soon([] { return MainStationDetails().Tracks()->GetAnzElement() == 0; }));
    // The host's selection of the last played station, from its play thread.
    cVelmoWin* win = win_;
    std::thread select([win] { win->SetCurrentSelection(77, "Radio Fern"); });
    select.join();
    EXPECT_EQ(win_->GetStationId(), 77ul);
    EXPECT_TRUE(Soon([this] { return Text(49) == "Radio Fern"; })) << Text(49);
}

TEST_F(MainWindow, PlayStatesEndTheConnectingLookAndAStopShowsReady) {
    char ready[64] = {};
    GetResourceString(nullptr, 414, UiLanguage(), ready, sizeof ready);
    std::thread connect([] { ReceiveStatus("Verbinde...", 13); });
    connect.join();
    EXPECT_TRUE(Soon([this] { return win_->IsConnecting() == 1; }));
    std::thread play([] { ReceiveStatus("", 9); });
    play.join();
    EXPECT_TRUE(Soon([this] { return win_->IsConnecting() == 0 && Visible(54) == 1; }));
    EXPECT_EQ(Visible(48), 0);
    std::thread stop([] { ReceiveStatus("", 8); });
    stop.join();
    EXPECT_TRUE(Soon([this, &ready] { return Text(48) == ready && Visible(48) == 1; })) << Text(48);
}

TEST_F(MainWindow, ReadyTextAtStartComesFromTheCatalogue) {
    char ready[64] = {};
    GetResourceString(nullptr, 414, UiLanguage(), ready, sizeof ready);
    ASSERT_NE(ready[0], 0);
    EXPECT_EQ(Text(48), ready);
}

struct Notices {
    std::vector<std::string> texts;
    std::vector<int> buttons;
    int answer = 1;
} g_notices;

int RecordNotice(const NoticeRequest& request, bool) {
    g_notices.texts.push_back(request.text ? request.text : "");
    g_notices.buttons.push_back(request.buttons);
    return g_notices.answer;
}

int g_recordsSaved = 0;
int KeepRecording(RecordingStartRecord*) {
    ++g_recordsSaved;
    return 1;
}

std::string Catalogue(unsigned id) {
    char text[2048] = {};
    UiText(id, text, sizeof text);
    return text;
}

TEST_F(MainWindowHost, RecordingStateFollowsTheHostAndGuardsCloseAndStationChange) {
    NavStandIn nav;
    RecordingPopups saved = GetRecordingPopups();
    RecordingPopups popups = saved;
    popups.recordSaved = &KeepRecording;
    popups.recordingView = nullptr;
    SetRecordingPopups(popups);
    g_recordsSaved = 0;
    SetSuppressNotice(0);
    HWND hwnd = win_->GetWindow();

    // The record button starts a recording of the current station.
    win_->SetCurrentSelection(4711, "Radio");
    g_recordHanded = nullptr;
    SendMessageA(hwnd, WM_MAIN_RECORD_BUTTON, 0, 0);
    ASSERT_NE(g_recordHanded, nullptr) << "code 38 with the record";
    void* record = g_recordHanded;

    // The host reports the start (status 47) on its thread.
    std::thread started([] { ReceiveStatus("MP3\x02" "192 kbit/s\x02" "44100\x02" "16\x02" "2", 47); });
    started.join();
    ASSERT_TRUE(Soon([this] { return win_->IsRecording() == 1; }));
    EXPECT_EQ(GetRecordingFlag(), 1);

    // Closing asks first; "no" keeps the player.
    g_answers = Answers{};
    g_answers.answer = 0;
    InterlockedExchange(&Library().running, 1);
    SendMessageA(hwnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(g_answers.asked, std::vector<unsigned>{600});
    EXPECT_EQ(Library().running, 1);

    // A station change asks too; "no" plays nothing.
    g_answers = Answers{};
    g_answers.answer = 0;
    g_calls.clear();
    for (UINT msg : {UINT(WM_MAIN_PLAY_CHANNEL), UINT(WM_MAIN_PLAY_STREAM)}) SendMessageA(hwnd, msg, 99, 0);
    EXPECT_EQ(g_answers.asked, (std::vector<unsigned>{192, 192}));
    EXPECT_EQ(Codes(), std::vector<int>{});

    // Pressed again, the record button ends the recording.
    SendMessageA(hwnd, WM_MAIN_RECORD_BUTTON, 0, 0);
    EXPECT_EQ(Codes(), std::vector<int>{39});

    // The host hands the record back with the end (status 46): the saved
    // pop-up comes once and the record is freed once.
    std::thread ended([record] { ReceiveStatus(static_cast<const char*>(record), 46); });
    ended.join();
    ASSERT_TRUE(Soon([this] { return win_->IsRecording() == 0; }));
    EXPECT_EQ(g_recordsSaved, 1);
    EXPECT_EQ(GetRecordingFlag(), 0);
    // A second hand-back of the same address (or a foreign one) frees nothing.
    SendMessageA(hwnd, WM_MAIN_RECORDING_STATE, reinterpret_cast<WPARAM>(record), 0);
    EXPECT_EQ(g_recordsSaved, 1);
    SetRecordingPopups(saved);
}

// A recording started by hand carries the shown name for an address the
// user gave (the host has no name for it); for a database station the host
// names the file itself.
TEST_F(MainWindowHost, ARecordingByHandIsNamedAfterAUserGivenAddress) {
    const struct {
        int id;
        const char* shown;
        const char* name;
    } cases[] = {
        {-1, "Journey Station", "Journey Station"},
        {4711, "Radio", ""},
        {-1, "", ""},
    };
    for (const auto& c : cases) {
        win_->SetCurrentSelection(c.id, c.shown);
        g_recordHanded = nullptr;
        SendMessageA(win_->GetWindow(), WM_MAIN_RECORD_BUTTON, 0, 0);
        auto* record = static_cast<RecordingStartRecord*>(g_recordHanded);
        ASSERT_NE(record, nullptr) << c.shown;
        EXPECT_EQ(record->timerEntryId, -1);
        EXPECT_STREQ(record->name, c.name) << c.id;
        ASSERT_TRUE(UntrackHandedRecord(record));
        HeapFree(GetProcessHeap(), 0, record);
    }
}

int g_editorCalls = 0;
unsigned long g_editorChannel = 0;
int CancelEditor(cTimerEntry* entry) {
    ++g_editorCalls;
    g_editorChannel = entry ? entry->GetChannelID() : 0;
    return 0;
}

TEST_F(MainWindowHost, PrivateMessagesReachTheirHandlers) {
    NavStandIn nav;
    SetNoticeHook(&RecordNotice);
    SetTimerEditorHook(&CancelEditor);
    HWND hwnd = win_->GetWindow();
    struct Case {
        const char* what;
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
        std::vector<Call> calls;
        bool notice;         // a notice is shown, with this text
        std::string text;
        std::vector<unsigned> asked;
    };
    const Case cases[] = {
        {"volume 0 notice, answered yes", WM_MAIN_NOTICE, 4, 0, {{58, 0}}, true, Catalogue(472), {}},
        {"shut-down at start, answered yes", WM_MAIN_ASK_SHUTDOWN, 0, 0, {{55, 0}}, true, Catalogue(411), {}},
        {"station not around the clock", WM_MAIN_NOT_AROUND_THE_CLOCK, 0, 0, {}, true, Catalogue(513), {}},
        {"database update, answered no", WM_MAIN_ASK_DATABASE_UPDATE, 0, 0, {}, false, "", {512}},
        {"station view", WM_MAIN_SHOW_STATION_VIEW, 321, 0, {{14, 321}}, false, "", {}},
        {"stream of a row", WM_MAIN_PLAY_STREAM, 654, 0, {{2, 654}}, false, "", {}},
        {"channel of a row", WM_MAIN_PLAY_CHANNEL, 987, 0, {{1, 987}}, false, "", {}},
        {"channel 0 plays nothing", WM_MAIN_PLAY_CHANNEL, 0, 0, {}, false, "", {}},
        {"level pictures", WM_MAIN_LEVELS, 40, 60, {}, false, "", {}},
    };
    for (const Case& c : cases) {
        g_calls.clear();
        g_notices = Notices{};
        g_answers = Answers{};
        g_answers.answer = 0;
        EXPECT_EQ(SendMessageA(hwnd, c.msg, c.wParam, c.lParam), 1) << c.what;
        std::vector<int> codes, channels;
        for (const Call& call : g_calls) {
            codes.push_back(call.code);
            channels.push_back(call.ch);
        }
        std::vector<int> expectedCodes, expectedChannels;
        for (const Call& call : c.calls) {
            expectedCodes.push_back(call.code);
            expectedChannels.push_back(call.ch);
        }
        EXPECT_EQ(codes, expectedCodes) << c.what;
        EXPECT_EQ(channels, expectedChannels) << c.what;
        if (c.notice) {
            ASSERT_EQ(g_notices.texts.size(), 1u) << c.what;
            EXPECT_EQ(g_notices.texts[0], c.text) << c.what;
        } else {
            EXPECT_TRUE(g_notices.texts.empty()) << c.what;
        }
        EXPECT_EQ(g_answers.asked, c.asked) << c.what;
    }

    // The navigator's "new timer" buttons open the editor for the channel.
    g_editorCalls = 0;
    SendMessageA(hwnd, WM_MAIN_NEW_TIMER, 4711, 0);
    EXPECT_EQ(g_editorCalls, 1);
    EXPECT_EQ(g_editorChannel, 4711ul);

    // A reminder start shows the reminder once and removes it, so the next
    // start is an ordinary one again.
    SetValue("Erinnerung", "Zahnarzt");
    g_notices = Notices{};
    SendMessageA(hwnd, WM_MAIN_REMINDER, 0, 0);
    ASSERT_TRUE(Soon([] { return !g_notices.texts.empty(); }));
    char reminder[1024] = {};
    SYSTEMTIME now;
    GetLocalTime(&now);
    bk::TextFormat(reminder, sizeof reminder, Catalogue(412).c_str(), now.wHour, now.wMinute, "Zahnarzt");
    // Past the time of day ("%02d:%02d"), which may turn meanwhile.
    auto pastTime = [](const std::string& t) { return t.substr(t.size() < 5 ? t.size() : 5); };
    EXPECT_EQ(pastTime(g_notices.texts[0]), pastTime(reminder));
    char left[64] = "unread";
    GetValue("Erinnerung", left, sizeof left);
    EXPECT_STREQ(left, "");

    SetTimerEditorHook(nullptr);
    SetNoticeHook(nullptr);
    // The confirmed shut-down left the next saved-recording notice off.
    SetSuppressNotice(0);
}

TEST_F(MainWindowHost, DraggedNavigatorMovesTheMainWindowOnce) {
    HWND hwnd = win_->GetWindow();
    RECT before;
    GetWindowRect(hwnd, &before);
    // The dragged group moved this window already; the notice after the
    // drag only brings the stored place along.
    SetWindowPos(hwnd, nullptr, before.left + 30, before.top + 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageA(hwnd, WM_MAIN_DOCK_MOVED, 30, 20);
    RECT after;
    GetWindowRect(hwnd, &after);
    EXPECT_EQ(after.left, before.left + 30);
    EXPECT_EQ(after.top, before.top + 20);
    EXPECT_EQ(win_->GetPosX(), after.left);
    EXPECT_EQ(win_->GetPosY(), after.top);
}

TEST_F(MainWindowHost, KeyboardTableGivesTheWindowsCommands) {
    HACCEL table = LoadAcceleratorsA(Library().module ? Library().module : GetModuleHandleA("facetkit.dll"),
                                     MAKEINTRESOURCEA(263));
    ASSERT_NE(table, nullptr);
    ACCEL entries[8] = {};
    int n = CopyAcceleratorTableA(table, entries, 8);
    std::vector<std::pair<WORD, WORD>> got;
    for (int i = 0; i < n; ++i) got.push_back({entries[i].key, entries[i].cmd});
    EXPECT_EQ(got, (std::vector<std::pair<WORD, WORD>>{{VK_ESCAPE, CMD_ESCAPE}, {VK_RETURN, CMD_ENTER},
                                                        {VK_F4, CMD_ALT_F4}}));
    EXPECT_TRUE(entries[2].fVirt & FALT);
}

}  // namespace
