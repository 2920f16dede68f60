// The tray agent: its menu and commands in this process, and traywatch.exe
// itself under Wine against a stand-in player main window that lives in this
// process and answers the agent's questions.
#include <gtest/gtest.h>
#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

#include "catalogue.h"
#include "tdtest.h"
#include "tray_agent.h"

using namespace tw;

namespace {

// ---------------------------------------------------------------- stand-in player

struct PlayerAnswers {
    bool hasNext = false, hasPrev = false, playing = false, soundOn = false;
};

struct PlayerLog {
    std::vector<UINT> asked;    // 1169 .. 1172 as they came
    std::vector<UINT> posted;   // everything else the agent sent
};

PlayerAnswers g_answers;
PlayerLog g_log;

LRESULT CALLBACK FakeMainProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case UWM_PLAYER_HAS_NEXT:
        g_log.asked.push_back(msg);
        return g_answers.hasNext ? 1 : 0;
    case UWM_PLAYER_HAS_PREV:
        g_log.asked.push_back(msg);
        return g_answers.hasPrev ? 1 : 0;
    case UWM_PLAYER_IS_PLAYING:
        g_log.asked.push_back(msg);
        return g_answers.playing ? 1 : 0;
    case UWM_PLAYER_SOUND_ON:
        g_log.asked.push_back(msg);
        return g_answers.soundOn ? 1 : 0;
    case UWM_PLAYER_PLAY:
    case UWM_PLAYER_STOP:
    case UWM_PLAYER_NEXT:
    case UWM_PLAYER_PREV:
    case UWM_PLAYER_TOGGLE_SOUND:
    case UWM_PLAYER_SHOW:
    case WM_CLOSE:   // written down, never obeyed
        g_log.posted.push_back(msg);
        return 0;
    default:
        return DefWindowProcA(wnd, msg, wParam, lParam);
    }
}

// The player's main window as the agent finds it by its class.
class FakePlayer {
public:
    explicit FakePlayer(bool visible, PlayerAnswers answers = {}) {
        g_answers = answers;
        g_log = PlayerLog();
        WNDCLASSA wc = {};
        wc.lpfnWndProc = FakeMainProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = kPlayerWindowClass;
        RegisterClassA(&wc);
        wnd_ = CreateWindowA(kPlayerWindowClass, "player", WS_POPUP | (visible ? WS_VISIBLE : 0), 600, 10, 40, 40,
                             nullptr, nullptr, wc.hInstance, nullptr);
    }
    ~FakePlayer() {
        DestroyWindow(wnd_);
        UnregisterClassA(kPlayerWindowClass, GetModuleHandleA(nullptr));
    }
    HWND Get() const { return wnd_; }

private:
    HWND wnd_;
};

bool WaitPosted(UINT msg, DWORD ms = 30000) {
    return tdtest::WaitFor([&] {
        for (UINT m : g_log.posted)
            if (m == msg) return true;
        return false;
    }, ms);
}

std::string Catalogue(unsigned id, int language) {
    char text[1024];
    GetResourceString(nullptr, id, language, text, sizeof text);
    return text;
}

// ---------------------------------------------------------------- deployment

class DeploymentTest : public ::testing::Test {
protected:
    tdtest::TempFolder temp{"twdep"};
    void Gate(const char* exe) {
        ASSERT_TRUE(CopyFileA((tdtest::BinDir() + "\\" + exe).c_str(), temp.File("launchgate.exe").c_str(), FALSE));
    }
};

TEST_F(DeploymentTest, NameAndIconComeFromTheStartProgramOrTheFallBacks) {
    struct Case {
        const char* gate;   // null: no start program in the folder
        const char* product;
        bool fromLaunchgate;
        bool ownIcon;
    } cases[] = {
        {"traywatch_gate_named.exe", "traywatch Test Player", true, false},
        {"traywatch_gate_bare.exe", "velmirant-Player", true, false},
        {nullptr, "velmirant-Player", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.gate ? c.gate : "no launchgate");
        DeleteFileA(temp.File("launchgate.exe").c_str());
        if (c.gate) Gate(c.gate);
        HINSTANCE agent = LoadLibraryExA((tdtest::BinDir() + "\\traywatch.exe").c_str(), nullptr,
                                         LOAD_LIBRARY_AS_DATAFILE);
        Deployment d = ReadDeployment(temp.Path().c_str(), agent);
        EXPECT_STREQ(d.product, c.product);
        EXPECT_EQ(d.fromLaunchgate, c.fromLaunchgate);
        EXPECT_EQ(d.ownIcon, c.ownIcon);
        EXPECT_NE(d.icon, nullptr);
        if (d.icon && !d.ownIcon) DestroyIcon(d.icon);
        if (agent) FreeLibrary(agent);
    }
}

TEST(FormatWithName, ReplacesOnlyTheNameAndStaysBounded) {
    struct Case {
        const char* text;
        const char* name;
        size_t size;
        const char* expected;
    } cases[] = {
        {"%s starten", "velmirant-Player", 64, "velmirant-Player starten"},
        {"Close %s", "X", 64, "Close X"},
        {"no name here", "X", 64, "no name here"},
        {"%d %s %x", "N", 64, "%d N %x"},   // never used as a format
        {"%s beenden", "0123456789", 8, "0123456"},
        {"%s", nullptr, 8, ""},
    };
    for (const Case& c : cases) {
        char out[64];
        FormatWithName(out, c.size, c.text, c.name);
        EXPECT_STREQ(out, c.expected) << c.text;
    }
}

// ---------------------------------------------------------------- menu

struct Item {
    UINT id;   // 0: separator
    std::string text;
    bool enabled;
};

std::vector<Item> Items(HMENU popup) {
    std::vector<Item> items;
    int n = GetMenuItemCount(popup);
    for (int i = 0; i < n; ++i) {
        MENUITEMINFOA mii = {};
        char text[512] = {};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE | MIIM_STRING;
        mii.dwTypeData = text;
        mii.cch = sizeof text;
        GetMenuItemInfoA(popup, static_cast<UINT>(i), TRUE, &mii);
        if (mii.fType & MFT_SEPARATOR)
            items.push_back({0, "", false});
        else
            items.push_back({mii.wID, text, (mii.fState & (MFS_GRAYED | MFS_DISABLED)) == 0});
    }
    return items;
}

class MenuTest : public ::testing::Test {
protected:
    HINSTANCE agent = nullptr;
    void SetUp() override {
        agent = LoadLibraryExA((tdtest::BinDir() + "\\traywatch.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(agent, nullptr);
    }
    void TearDown() override {
        if (agent) FreeLibrary(agent);
    }
    void Expect(int language, const PlayerState& state, const std::vector<Item>& expected) {
        HMENU menu = BuildTrayMenu(agent, language, state, "Radio X");
        ASSERT_NE(menu, nullptr);
        std::vector<Item> got = Items(GetSubMenu(menu, 0));
        DestroyMenu(menu);
        ASSERT_EQ(got.size(), expected.size());
        for (size_t i = 0; i < got.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(got[i].id, expected[i].id);
            EXPECT_EQ(got[i].text, expected[i].text);
            if (expected[i].id) {
                EXPECT_EQ(got[i].enabled, expected[i].enabled);
            }
        }
    }
    HWND AnyWindow() const { return GetDesktopWindow(); }
};

TEST_F(MenuTest, NoPlayerOffersOnlyStartAndClose) {
    for (int language : {kLanguageGerman, kLanguageEnglish}) {
        SCOPED_TRACE(language);
        const std::string start = language == kLanguageGerman ? "Radio X starten" : "Start Radio X";
        Expect(language, PlayerState(),
               {{ID_TRAY_SOUND, Catalogue(288, language), false},
                {ID_TRAY_PLAY, Catalogue(172, language), false},
                {ID_TRAY_PREV, Catalogue(259, language), false},
                {ID_TRAY_NEXT, Catalogue(262, language), false},
                {ID_TRAY_PLAYER, start, true},
                {0, "", false},
                {ID_TRAY_CLOSE_AGENT, Catalogue(448, language), true}});
    }
}

TEST_F(MenuTest, PlayingWithSoundOffOffersSoundOnAndTheExistingNeighbours) {
    PlayerState s;
    s.main = AnyWindow();
    s.visible = true;
    s.playing = true;
    s.soundOn = false;
    s.hasPrev = true;
    s.hasNext = false;
    Expect(kLanguageGerman, s,
           {{ID_TRAY_SOUND, "Ton anschalten", true},
            {ID_TRAY_PLAY, "Abspielen beenden", true},
            {ID_TRAY_PREV, "vorherigen Track spielen", true},
            {ID_TRAY_NEXT, Catalogue(262, kLanguageGerman), false},
            {ID_TRAY_PLAYER, "Radio X beenden", true},
            {0, "", false},
            {ID_TRAY_CLOSE_AGENT, Catalogue(448, kLanguageGerman), true}});
    s.soundOn = true;
    s.hasPrev = false;
    s.hasNext = true;
    Expect(kLanguageEnglish, s,
           {{ID_TRAY_SOUND, "Turn sound off", true},
            {ID_TRAY_PLAY, "Stop", true},
            {ID_TRAY_PREV, "Play Previous Track", false},
            {ID_TRAY_NEXT, "Play Next Track", true},
            {ID_TRAY_PLAYER, "Close Radio X", true},
            {0, "", false},
            {ID_TRAY_CLOSE_AGENT, "Close start centre", true}});
}

TEST_F(MenuTest, HiddenPlayerGetsRestoreOnTopAndStoppedPlayerNoNeighbours) {
    PlayerState s;
    s.main = AnyWindow();
    s.visible = false;
    s.playing = false;
    s.hasPrev = s.hasNext = true;   // not playing: grayed all the same
    Expect(kLanguageEnglish, s,
           {{ID_TRAY_RESTORE, "Restore", true},
            {ID_TRAY_SOUND, "Turn sound off", true},
            {ID_TRAY_PLAY, "Play", true},
            {ID_TRAY_PREV, "Play Previous Track", false},
            {ID_TRAY_NEXT, "Play Next Track", false},
            {ID_TRAY_PLAYER, "Close Radio X", true},
            {0, "", false},
            {ID_TRAY_CLOSE_AGENT, "Close start centre", true}});
}

TEST_F(MenuTest, LongProductNameIsCutNotOverrun) {
    PlayerState s;
    std::string name(300, 'n');
    HMENU menu = BuildTrayMenu(agent, kLanguageEnglish, s, name.c_str());
    ASSERT_NE(menu, nullptr);
    std::vector<Item> got = Items(GetSubMenu(menu, 0));
    DestroyMenu(menu);
    ASSERT_GE(got.size(), 5u);
    EXPECT_EQ(got[4].text, "Start " + name);
}

// ---------------------------------------------------------------- commands

TEST(Commands, EachChoicePostsItsMessage) {
    struct Case {
        UINT command;
        bool visible, playing;
        UINT expected;   // 0: nothing
    } cases[] = {
        {ID_TRAY_PLAY, true, true, UWM_PLAYER_STOP},
        {ID_TRAY_PLAY, true, false, UWM_PLAYER_PLAY},
        {ID_TRAY_PREV, true, true, UWM_PLAYER_PREV},
        {ID_TRAY_NEXT, true, true, UWM_PLAYER_NEXT},
        {ID_TRAY_SOUND, true, true, UWM_PLAYER_TOGGLE_SOUND},
        {ID_TRAY_RESTORE, false, false, UWM_PLAYER_SHOW},
        {ID_TRAY_PLAYER, true, true, WM_CLOSE},
        {ID_TRAY_CLOSE_AGENT, false, false, UWM_PLAYER_SHOW},
        {ID_TRAY_CLOSE_AGENT, true, false, 0},
        {12345, true, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        FakePlayer player(false);   // the state handed in decides, not the window
        HWND self = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 2, 2, nullptr, nullptr, nullptr, nullptr);
        PlayerState s;
        s.main = player.Get();
        s.visible = c.visible;
        s.playing = c.playing;
        ActOnCommand(c.command, s, self);
        tdtest::PumpMessages();
        if (c.expected)
            EXPECT_EQ(g_log.posted, std::vector<UINT>{c.expected});
        else
            EXPECT_TRUE(g_log.posted.empty());
        EXPECT_EQ(IsWindow(self) == FALSE, c.command == ID_TRAY_CLOSE_AGENT);
        if (IsWindow(self)) DestroyWindow(self);
    }
}

TEST(Commands, PlayerStateIsAskedFromTheMainWindow) {
    PlayerAnswers a;
    a.hasNext = true;
    a.playing = true;
    FakePlayer player(false, a);
    PlayerState s = AskPlayerState();
    EXPECT_EQ(s.main, player.Get());
    EXPECT_FALSE(s.visible);
    EXPECT_TRUE(s.hasNext);
    EXPECT_FALSE(s.hasPrev);
    EXPECT_TRUE(s.playing);
    EXPECT_FALSE(s.soundOn);
    EXPECT_EQ(g_log.asked, (std::vector<UINT>{UWM_PLAYER_HAS_NEXT, UWM_PLAYER_HAS_PREV, UWM_PLAYER_IS_PLAYING,
                                              UWM_PLAYER_SOUND_ON}));
}

// ---------------------------------------------------------------- the program

const char kTestSettingsKey[] = "SOFTWARE\\VelmirantTraywatchTest\\Radio";

// Whether the notification area holds the agent's icon: modifying nothing
// succeeds only for an icon that exists.
bool IconPresent(HWND agent) {
    NOTIFYICONDATAA nid = {};
    nid.cbSize = sizeof nid;
    nid.hWnd = agent;
    nid.uID = kIconId;
    nid.uFlags = 0;
    return Shell_NotifyIconA(NIM_MODIFY, &nid) != FALSE;
}

class AgentTest : public ::testing::Test {
protected:
    tdtest::TempFolder temp{"tw"};
    tdtest::RegistrySandbox settings{kTestSettingsKey};
    std::string prog;
    tdtest::Process agent;
    HWND agentWnd = nullptr;

    void SetUp() override {
        // Nothing of an earlier run may answer as the agent.
        ASSERT_EQ(FindWindowA(kAgentWindowClass, nullptr), nullptr);
        prog = temp.Path();
        const std::string bin = tdtest::BinDir() + "\\";
        for (const char* f : {"traywatch.exe", "basekit.dll"})
            ASSERT_TRUE(CopyFileA((bin + f).c_str(), (prog + "\\" + f).c_str(), FALSE));
        ASSERT_TRUE(CopyFileA((bin + "traywatch_fake_tunerdeck.exe").c_str(), (prog + "\\tunerdeck.exe").c_str(),
                              FALSE));
        ASSERT_TRUE(CopyFileA((bin + "traywatch_gate_named.exe").c_str(), (prog + "\\launchgate.exe").c_str(),
                              FALSE));
    }
    void TearDown() override {
        HWND wnd = FindWindowA(kAgentWindowClass, nullptr);
        if (wnd) PostMessageA(wnd, WM_CLOSE, 0, 0);
        if (agent.Running() && !agent.Wait(30000)) agent.Kill();
    }
    bool Start(tdtest::Process* p, const std::vector<std::string>& args = {}) {
        return p->Start(prog + "\\traywatch.exe", args, prog);
    }
    void StartAgent() {
        ASSERT_TRUE(Start(&agent));
        agentWnd = agent.WaitForWindow(kAgentWindowClass, 30000);
        ASSERT_NE(agentWnd, nullptr);
        ASSERT_TRUE(tdtest::WaitFor([&] { return IconPresent(agentWnd); }, 30000));
    }
    void Click(LPARAM button) { PostMessageA(agentWnd, UWM_TRAY_NOTIFY, kIconId, button); }
    HWND WaitForMenu() {
        HWND menu = nullptr;
        tdtest::WaitFor([&] {
            menu = tdtest::FindWindowOf("#32768", agent.Pid());
            return menu && IsWindowVisible(menu);
        }, 30000);
        return menu;
    }
    void Keys(HWND menu, std::initializer_list<WPARAM> keys) {
        for (WPARAM k : keys) {
            PostMessageA(menu, WM_KEYDOWN, k, 0);
            PostMessageA(menu, WM_KEYUP, k, 0xC0000000);
            tdtest::WaitFor([] { return false; }, 100);
        }
    }
};

TEST_F(AgentTest, StartsOnceAddsItsIconAndQuitEndsIt) {
    StartAgent();
    tdtest::Process second;
    ASSERT_TRUE(Start(&second));
    DWORD code = 99;
    ASSERT_TRUE(second.Wait(30000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(agent.Running());

    tdtest::Process quit;
    ASSERT_TRUE(Start(&quit, {"-Quit"}));
    ASSERT_TRUE(quit.Wait(30000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(agent.Wait(30000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(IconPresent(agentWnd));
    EXPECT_EQ(FindWindowA(kAgentWindowClass, nullptr), nullptr);
}

// A restarted task bar has an empty notification area and says so with
// "TaskbarCreated": the icon comes back.
TEST_F(AgentTest, IconComesBackWhenTheTaskBarRestarts) {
    StartAgent();
    NOTIFYICONDATAA nid = {};
    nid.cbSize = sizeof nid;
    nid.hWnd = agentWnd;
    nid.uID = kIconId;
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &nid));
    ASSERT_FALSE(IconPresent(agentWnd));
    PostMessageA(agentWnd, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(tdtest::WaitFor([&] { return IconPresent(agentWnd); }, 20000));
    EXPECT_TRUE(agent.Running());
}

TEST_F(AgentTest, QuitWithoutAgentJustEnds) {
    tdtest::Process quit;
    ASSERT_TRUE(Start(&quit, {"-Quit"}));
    DWORD code = 99;
    ASSERT_TRUE(quit.Wait(30000, &code));
    EXPECT_EQ(code, 0u);
}

TEST_F(AgentTest, LeftClickTogglesSoundOrShowsTheRunningPlayer) {
    StartAgent();
    for (bool visible : {true, false}) {
        SCOPED_TRACE(visible);
        FakePlayer player(visible);
        Click(WM_LBUTTONDOWN);
        const UINT expected = visible ? UWM_PLAYER_TOGGLE_SOUND : UWM_PLAYER_SHOW;
        ASSERT_TRUE(WaitPosted(expected));
        EXPECT_EQ(g_log.posted, std::vector<UINT>{expected});
        EXPECT_EQ(g_log.asked.size(), 4u);
    }
    // Other mouse notices do nothing: a left click after them, handled in
    // order, is the only one that reaches the player.
    FakePlayer player(true);
    for (LPARAM other : {WM_MOUSEMOVE, WM_LBUTTONUP, WM_RBUTTONUP, WM_LBUTTONDBLCLK}) Click(other);
    Click(WM_LBUTTONDOWN);
    ASSERT_TRUE(WaitPosted(UWM_PLAYER_TOGGLE_SOUND));
    EXPECT_EQ(g_log.posted, std::vector<UINT>{UWM_PLAYER_TOGGLE_SOUND});
    EXPECT_EQ(g_log.asked.size(), 4u);
}

TEST_F(AgentTest, LeftClickWithoutPlayerStartsIt) {
    StartAgent();
    Click(WM_LBUTTONDOWN);
    EXPECT_TRUE(tdtest::WaitFor([&] { return temp.Exists("started.log"); }, 30000));
    EXPECT_EQ(temp.Read("started.log").rfind("start", 0), 0u);
}

TEST_F(AgentTest, RightClickMenuCommandsThePlayerInBothLanguages) {
    StartAgent();
    for (int language : {kLanguageGerman, kLanguageEnglish}) {
        SCOPED_TRACE(language);
        ASSERT_TRUE(settings.SetString("Language", std::to_string(language)));
        PlayerAnswers a;
        a.playing = true;
        a.soundOn = false;
        FakePlayer player(true, a);
        Click(WM_RBUTTONDOWN);
        HWND menu = WaitForMenu();
        ASSERT_NE(menu, nullptr);
        tdtest::WaitFor([] { return false; }, 300);   // drawn
        tdtest::SaveWindowPng(menu, tdtest::ArtifactDir() + "\\traywatch_menu_" +
                                        (language == kLanguageGerman ? "de" : "en") + ".png");
        // Second item: "Abspielen beenden" / "Stop" while playing.
        Keys(menu, {VK_DOWN, VK_DOWN, VK_RETURN});
        ASSERT_TRUE(WaitPosted(UWM_PLAYER_STOP));
        EXPECT_EQ(g_log.posted, std::vector<UINT>{UWM_PLAYER_STOP});
    }
}

TEST_F(AgentTest, CloseStartCentreShowsAHiddenPlayerAndEndsTheAgent) {
    StartAgent();
    FakePlayer player(false);
    Click(WM_RBUTTONDOWN);
    HWND menu = WaitForMenu();
    ASSERT_NE(menu, nullptr);
    Keys(menu, {VK_UP, VK_RETURN});   // the last item
    ASSERT_TRUE(WaitPosted(UWM_PLAYER_SHOW));
    DWORD code = 99;
    EXPECT_TRUE(agent.Wait(30000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(IconPresent(agentWnd));
}

TEST_F(AgentTest, MenuWithoutPlayerStartsIt) {
    StartAgent();
    Click(WM_RBUTTONDOWN);
    HWND menu = WaitForMenu();
    ASSERT_NE(menu, nullptr);
    // Items: sound, play, previous, next (all grayed), start, separator, close.
    Keys(menu, {VK_UP, VK_UP, VK_RETURN});
    EXPECT_TRUE(tdtest::WaitFor([&] { return temp.Exists("started.log"); }, 30000));
    EXPECT_TRUE(agent.Running());
}

}  // namespace
