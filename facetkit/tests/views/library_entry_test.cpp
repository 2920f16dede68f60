// The library's start-up as the host drives it: Prepare's choice of skin
// plug-in (fall-back, refusal, unusable plug-ins), BuildUp's callback
// sequence from the windows to the close, its bounded waits, and the order
// of the start actions.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "activeelement.h"
#include "bounded_text.h"
#include "catalogue.h"
#include "facetkit_fixtures.h"
#include "host_exports.h"
#include "library_entry.h"
#include "library_state.h"
#include "list_store.h"
#include "main_window.h"
#include "nav_window.h"
#include "registry.h"
#include "recording_display.h"
#include "seams.h"
#include "timer_entries.h"
#include "dialog_services.h"
#include "skin_plugin.h"
#include "skin_wnd.h"
#include "skin_wnd_fixture.h"
#include "status_intake.h"
#include "tdtest.h"
#include "wnd_button.h"
#include "win_handles.h"
#include "wnd_list.h"

namespace {

// Keeps the named values of the player's settings key around a test.
class ValuesGuard {
public:
    explicit ValuesGuard(std::vector<std::string> names) : names_(std::move(names)) {
        for (const std::string& n : names_) {
            char v[4098] = {};
            GetValue(n.c_str(), v, sizeof v);
            saved_.push_back(v);
        }
    }
    ~ValuesGuard() {
        for (size_t i = 0; i < names_.size(); ++i)
            SetValue(names_[i].c_str(), saved_[i].empty() ? nullptr : saved_[i].c_str());
    }

private:
    std::vector<std::string> names_, saved_;
};

std::string Value(const char* name) {
    char v[512] = {};
    GetValue(name, v, sizeof v);
    return v;
}

// The host's side of the start-up: it answers the program folder, lists
// and the last played station when the windows are built, closes the player
// once the banner would start, and lets it close on the first question.
struct ScriptedHost {
    std::string programFolder;
    std::vector<int> codes;
    std::vector<std::string> logs;
    bool answerLastPlayed = true;
    bool answerCanClose = true;
    bool closeAtBanner = true;
    std::string emptySeams = "not asked";
    // What the user interface showed when its banner would start.
    std::string station;
    std::string recordTip;
    bool icons = false;
    bool textBoxBrush = false;
} g_host;

// Notes what the running user interface shows a user.
void NoteShownState(cSkinWnd* main) {
    auto* window = dynamic_cast<cVelmoWin*>(main);
    if (!window) return;
    g_host.station = window->GetStationField();
    HWND hwnd = window->GetWindow();
    g_host.icons = SendMessageA(hwnd, WM_GETICON, ICON_SMALL, 0) && SendMessageA(hwnd, WM_GETICON, ICON_BIG, 0);
    if (auto* record = dynamic_cast<cWndButton*>(static_cast<cActiveElement*>(window->GetButtonList()->GetById(274))))
        g_host.recordTip = record->GetToolTipText();
    g_host.textBoxBrush = Library().textBoxBrush != nullptr;
}

int HostEvent(int code, int ch, void* text) {
    if (code == 28) {
        g_host.logs.push_back(text ? static_cast<const char*>(text) : "");
        return 0;
    }
    g_host.codes.push_back(code);
    switch (code) {
    case 61:
        if (text && ch > 0) bk::TextCopy(static_cast<char*>(text), static_cast<size_t>(ch), g_host.programFolder.c_str());
        break;
    case 15:
        AddToFavoriten("Eins", 1, 0);
        AddToFavoriten(nullptr, 0, 0);
        if (g_host.answerLastPlayed) GetLastPlayedSender("Eins", 1);
        break;
    case 24: {
        g_host.emptySeams = EmptySeams();
        cSkinWnd* main = GetWindowList().Find(WND_ID_MAIN);
        NoteShownState(main);
        if (g_host.closeAtBanner && main) PostMessageA(main->GetWindow(), WM_CLOSE, 0, 0);
        break;
    }
    case 27:
        if (g_host.answerCanClose) ReceiveStatus("", 15);
        break;
    }
    return 0;
}

std::vector<int> CodesWithout(std::initializer_list<int> repeated) {
    std::vector<int> out;
    for (int c : g_host.codes) {
        // Code 26 follows whichever window had the focus before (another
        // program's window asks for it), not the start-up's order.
        if (c == 26) continue;
        bool skip = false;
        for (int r : repeated)
            if (c == r && !out.empty() && out.back() == r) skip = true;
        if (!skip) out.push_back(c);
    }
    return out;
}

class StartUpTest : public ::testing::Test {
protected:
    StartUpTest() : values_({"SKIN", "ShutDown", "DownloadSkinKey", "Erinnerung", "CmdLine", "LastStreamId",
                             "LastChannelId", "AgentClosedByUpdate", kRecentValueName}),
                    skins_("fk4start"), program_("fk4program") {
        g_host = ScriptedHost{};
        g_host.programFolder = program_.Path();
        GetSettings(nullptr);
    }
    void CopyStockface(const std::string& to) {
        ASSERT_TRUE(CopyFileA(fk::BinFile("stockface.dll").c_str(), to.c_str(), FALSE));
    }
    ValuesGuard values_;
    tdtest::TempFolder skins_;
    tdtest::TempFolder program_;
};

TEST_F(StartUpTest, PrepareFallsBackToTheStandardSkin) {
    CopyStockface(skins_.File("stockface.dll"));
    struct Case {
        const char* skin;
        int result;
    } cases[] = {{"missing.dll", 0}, {"", 0}, {"stockface.dll", 0}};
    for (const Case& c : cases) {
        SetValue("SKIN", c.skin);
        g_host.codes.clear();
        EXPECT_EQ(Prepare(HostEvent, nullptr, (skins_.Path() + "\\").c_str(), 0, 0), c.result) << c.skin;
        EXPECT_EQ(Value("SKIN"), "stockface.dll") << c.skin;
        EXPECT_EQ(g_host.codes, std::vector<int>{61});
        EXPECT_NE(CurrentSkin().module, nullptr);
        EXPECT_NE(GetResourceManager(), nullptr);
    }
    ReleaseSkinPlugin(&CurrentSkin());
}

TEST_F(StartUpTest, PrepareFailsWithoutAUsableSkin) {
    // Nothing anywhere: -1, and SKIN still names the standard skin.
    SetValue("SKIN", "missing.dll");
    EXPECT_EQ(Prepare(HostEvent, nullptr, skins_.Path().c_str(), 0, 0), -1);
    EXPECT_EQ(Value("SKIN"), "stockface.dll");
    EXPECT_EQ(CurrentSkin().module, nullptr);
    // A library that loads but cannot build the windows gets no fall-back.
    CopyStockface(skins_.File("stockface.dll"));
    ASSERT_TRUE(CopyFileA(fk::BinFile("facetkit_fixtureskin.dll").c_str(), skins_.File("careless.dll").c_str(), FALSE));
    SetValue("SKIN", "careless.dll");
    EXPECT_EQ(Prepare(HostEvent, nullptr, skins_.Path().c_str(), 0, 0), -1);
    EXPECT_EQ(Value("SKIN"), "careless.dll");
    const void* const* slots = reinterpret_cast<const void* const*>(&CurrentSkin().entry);
    for (int i = 0; i < kSkinEntryPointCount; ++i) EXPECT_EQ(slots[i], nullptr) << i;
}

// The library's master bitmaps (German and English) renamed in its
// resource directory, as a broken or half downloaded skin might come; its
// entry points stay.
bool HideMasterBitmaps(const std::string& dll) {
    std::string bytes;
    if (!tdtest::ReadFileBytes(dll, &bytes)) return false;
    const std::string from = std::string("B\0I\0G\0R\0E\0S\0O\0U\0R\0C\0E\0", 22);
    const std::string to = std::string("B\0I\0G\0R\0E\0S\0O\0U\0R\0C\0X\0", 22);
    int renamed = 0;
    for (size_t at = bytes.find(from); at != std::string::npos; at = bytes.find(from, at + from.size())) {
        bytes.replace(at, from.size(), to);
        ++renamed;
    }
    return renamed > 0 && tdtest::WriteFileBytes(dll, bytes);
}

TEST_F(StartUpTest, PrepareRefusesASkinWithoutItsMasterBitmap) {
    CopyStockface(skins_.File("stockface.dll"));
    CopyStockface(skins_.File("bare.dll"));
    ASSERT_TRUE(HideMasterBitmaps(skins_.File("bare.dll")));
    {
        HMODULE m = LoadLibraryExA(skins_.File("bare.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(FindResourceA(m, "BigResource", MAKEINTRESOURCEA(2)), nullptr) << "the fixture still has its bitmap";
        FreeLibrary(m);
    }
    SetValue("SKIN", "bare.dll");
    EXPECT_EQ(Prepare(HostEvent, nullptr, skins_.Path().c_str(), 0, 0), -1);
    EXPECT_EQ(CurrentSkin().module, nullptr);
    EXPECT_EQ(GetResourceManager(), nullptr);
    // The host's next try with the standard skin starts.
    SetValue("SKIN", "stockface.dll");
    EXPECT_EQ(Prepare(HostEvent, nullptr, skins_.Path().c_str(), 0, 0), 0);
    EXPECT_NE(GetResourceManager(), nullptr);
    ReleaseSkinPlugin(&CurrentSkin());
}

TEST_F(StartUpTest, StandardSkinFromTheProgramFolder) {
    ASSERT_TRUE(CreateDirectoryA(program_.File("skins").c_str(), nullptr));
    CopyStockface(program_.File("skins") + "\\stockface.dll");
    SetValue("SKIN", "missing.dll");
    EXPECT_EQ(Prepare(HostEvent, nullptr, skins_.Path().c_str(), 0, 0), 0);
    ReleaseSkinPlugin(&CurrentSkin());
}

TEST_F(StartUpTest, BuildUpRunsTheUserInterfaceAndClosesInOrder) {
    CopyStockface(skins_.File("stockface.dll"));
    SetValue("SKIN", "stockface.dll");
    SetValue("LastChannelId", "77");
    SetValue(kRecentValueName, "Zuletzt\x01" "9;");
    GetListStore().List(LS_RECENT)->Delete();
    ASSERT_EQ(Prepare(HostEvent, nullptr, skins_.Path().c_str(), 0, 0), 0);
    g_host.codes.clear();
    EXPECT_EQ(BuildUp(nullptr, skins_.Path().c_str(), 1), 1);
    // 61 program folder, 13 volume, 44 the navigator's level status, 15 lists,
    // 1 last channel (start action), 82 shown, 40 metering, 74 database time
    // and 35 its update (this host has no database date), 24 banner;
    // closing: 41, 25, then 25/27 turns, and 41 again as the navigator goes.
    EXPECT_EQ(CodesWithout({}), (std::vector<int>{61, 13, 44, 15, 1, 82, 40, 74, 35, 24, 41, 25, 25, 27, 41}));
    EXPECT_EQ(GetWindowList().GetAnzElement(), 0);
    EXPECT_EQ(CurrentSkin().module, nullptr);
    EXPECT_EQ(GetResourceManager(), nullptr);
    EXPECT_EQ(Library().running, 0);
    ASSERT_EQ(GetListStore().List(LS_RECENT)->GetAnzElement(), 1);
    EXPECT_EQ(GetListStore().List(LS_RECENT)->First()->GetId(), 9ul);
    GetListStore().List(LS_RECENT)->Delete();
    bool sawCanClose = false;
    for (const std::string& l : g_host.logs) sawCanClose |= l == "canclose...ok";
    EXPECT_TRUE(sawCanClose);
    // Status after the windows are gone is dropped.
    EXPECT_EQ(ReceiveStatus("x", 0), 0);
    // What the user saw meanwhile: the host's station, the window's icons,
    // where to switch recording on (this host has it off), the text boxes'
    // background.
    EXPECT_EQ(g_host.station, "Eins");
    EXPECT_TRUE(g_host.icons);
    char recordingOff[512] = {};
    GetResourceString(nullptr, 60, 1, recordingOff, sizeof recordingOff);
    EXPECT_EQ(g_host.recordTip, recordingOff);
    EXPECT_TRUE(g_host.textBoxBrush);
}

// Every slot the pieces reach their collaborators through is filled once the
// real user interface runs; tests of the other files put theirs in and out
// before, so the slots are emptied first.
TEST_F(StartUpTest, TheRealStartFillsEverySeam) {
    MainHooks() = MainWindowHooks{};
    SetTimerEditorHook(nullptr);
    SetRecordingPopups(RecordingPopups());
    dlgs::SetRecListReplies(dlgs::RecListReplies{nullptr, nullptr});
    ASSERT_NE(EmptySeams(), "");
    CopyStockface(skins_.File("stockface.dll"));
    SetValue("SKIN", "stockface.dll");
    ASSERT_EQ(Prepare(HostEvent, nullptr, skins_.Path().c_str(), 0, 0), 0);
    EXPECT_EQ(BuildUp(nullptr, skins_.Path().c_str(), 0), 1);
    EXPECT_EQ(g_host.emptySeams, "");
}

TEST_F(StartUpTest, WaitsAreBounded) {
    CopyStockface(skins_.File("stockface.dll"));
    SetValue("SKIN", "stockface.dll");
    g_host.answerLastPlayed = false;
    g_host.answerCanClose = false;
    ASSERT_EQ(Prepare(HostEvent, nullptr, skins_.Path().c_str(), 0, 0), 0);
    DWORD start = GetTickCount();
    EXPECT_EQ(BuildUp(nullptr, skins_.Path().c_str(), 0), 1);
    DWORD took = GetTickCount() - start;
    EXPECT_GE(took, kLastPlayedWaitMs + kCanCloseWaitMs - 500);
    EXPECT_LT(took, kLastPlayedWaitMs + kCanCloseWaitMs + 60000);   // bounded: only a hang fails
    EXPECT_EQ(GetWindowList().GetAnzElement(), 0);
    bool gaveUp = false;
    for (const std::string& l : g_host.logs) gaveUp |= l == "canclose...given up";
    EXPECT_TRUE(gaveUp);
    EXPECT_EQ(g_host.station, "velmirant-Player") << "without a station from the host the display names the product";
}

// Set when the loop had to be ended by force: status 21 did not end it.
volatile LONG g_forcedEnd = 0;

DWORD WINAPI EndFromHostThread(void*) {
    tdtest::WaitFor([] { return Library().bannerReady != 0; }, 30000);
    ReceiveStatus("", 21);
    // Bounded: a status that did not end the loop fails the test instead
    // of holding it.
    tdtest::WaitFor([] { return Library().running == 0; }, 60000);
    if (Library().running) {
        InterlockedExchange(&g_forcedEnd, 1);
        InterlockedExchange(&Library().running, 0);
    }
    return 0;
}

TEST_F(StartUpTest, StatusCode21EndsTheLoop) {
    CopyStockface(skins_.File("stockface.dll"));
    SetValue("SKIN", "stockface.dll");
    g_host.closeAtBanner = false;
    ASSERT_EQ(Prepare(HostEvent, nullptr, skins_.Path().c_str(), 0, 0), 0);
    // A host thread ends the user interface a little after it came up.
    InterlockedExchange(&g_forcedEnd, 0);
    HANDLE closer = CreateThread(nullptr, 0, EndFromHostThread, nullptr, 0, nullptr);
    ASSERT_NE(closer, nullptr);
    EXPECT_EQ(BuildUp(nullptr, skins_.Path().c_str(), 0), 1);
    EXPECT_EQ(WaitForSingleObject(closer, 30000), WAIT_OBJECT_0);
    CloseHandle(closer);
    EXPECT_EQ(g_forcedEnd, 0) << "status 21 did not end the loop";
    EXPECT_EQ(Library().bannerReady, 0) << "the next start must wait for its own banner";
    EXPECT_EQ(GetWindowList().GetAnzElement(), 0);
}

TEST_F(StartUpTest, StartActionsInTheirOrder) {
    struct Case {
        const char* downloadSkin;
        const char* shutDown;
        const char* reminder;
        const char* cmdLine;
        const char* lastStream;
        StartAction expected;
        unsigned long id;
    } cases[] = {
        {"1", "1", "r", "c", "5", SA_NONE, 0},
        {"0", "1", "r", "c", "5", SA_SHUTDOWN, 0},
        {"0", "0", "r", "c", "5", SA_REMINDER, 0},
        {"0", "0", "", "c", "5", SA_COMMAND_LINE, 0},
        {"0", "0", "", "", "5", SA_LAST_STREAM, 5},
        {"0", "0", "", "", "0", SA_LAST_CHANNEL, 77},
    };
    SetValue("LastChannelId", "77");
    for (const Case& c : cases) {
        SetValue("DownloadSkinKey", c.downloadSkin);
        SetValue("ShutDown", c.shutDown);
        SetValue("Erinnerung", c.reminder);
        SetValue("CmdLine", c.cmdLine);
        SetValue("LastStreamId", c.lastStream);
        unsigned long id = 1234;
        EXPECT_EQ(DecideStartAction(&id), c.expected) << static_cast<int>(c.expected);
        EXPECT_EQ(id, c.id);
        if (c.expected == SA_SHUTDOWN) {
            EXPECT_EQ(Value("ShutDown"), "") << "taken once";
        }
    }
}

TEST_F(StartUpTest, BannerRecordsStayZeroWithoutBanner) {
    BannerInfoRecord record;
    memset(&record, 0x5A, sizeof record);
    EXPECT_EQ(GetBannerInfo(&record), &record);
    const char* bytes = reinterpret_cast<const char*>(&record);
    for (size_t i = 0; i < sizeof record; ++i) ASSERT_EQ(bytes[i], 0) << i;
    EXPECT_EQ(GetBannerInfo(nullptr), nullptr);
}

}  // namespace

// ---------------------------------------------------------------- with the real player
namespace {

bool CopyBin(const char* name, const std::string& to) {
    return CopyFileA(fk::BinFile(name).c_str(), to.c_str(), FALSE) != 0;
}

BOOL CALLBACK FindDialogOf(HWND hwnd, LPARAM param) {
    auto* found = reinterpret_cast<std::pair<DWORD, HWND>*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    char cls[16] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (pid == found->first && strcmp(cls, "#32770") == 0 && IsWindowVisible(hwnd)) {
        found->second = hwnd;
        return FALSE;
    }
    return TRUE;
}

TEST(RealPlayer, StartsTheUserInterfaceWithTheStandardSkinAndClosesInOrder) {
    if (GetFileAttributesA(fk::BinFile("tunerdeck.exe").c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "tunerdeck.exe is not built in this tree";
    tdtest::RegistrySandbox settings("SOFTWARE\\Velmirant\\Radio");
    tdtest::TempFolder program("fk4player");
    ASSERT_TRUE(CopyBin("tunerdeck.exe", program.File("tunerdeck.exe")));
    ASSERT_TRUE(CopyBin("basekit.dll", program.File("basekit.dll")));
    ASSERT_TRUE(CopyBin("facetkit.dll", program.File("facetkit.dll")));
    ASSERT_TRUE(CreateDirectoryA(program.File("skins").c_str(), nullptr));
    ASSERT_TRUE(CopyBin("stockface.dll", program.File("skins") + "\\stockface.dll"));

    tdtest::Process player;
    ASSERT_TRUE(player.Start(program.File("tunerdeck.exe"), {}, program.Path()));
    HWND main = player.WaitForWindow(kVelmoWinClass, 60000);
    ASSERT_NE(main, nullptr);
    EXPECT_NE(player.WaitForWindow(kNavigatorWindowClass, 20000), nullptr);
    std::string skin;
    EXPECT_TRUE(settings.GetString("SKIN", &skin));
    EXPECT_EQ(skin, "stockface.dll");
    // Let the start-up countdown run out, then close as the user would:
    // the library tears its windows down within its bounded waits.
    Sleep(1000);
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(tdtest::WaitFor([&] { return !IsWindow(main); }, 20000, 50));
    // A player that still reads BuildUp's 1 as a failed skin says so in a
    // message box; that is the player's to mend, not the library's.
    std::pair<DWORD, HWND> box{player.Pid(), nullptr};
    tdtest::WaitFor([&] {
        EnumWindows(FindDialogOf, reinterpret_cast<LPARAM>(&box));
        return box.second != nullptr || !player.Running();
    }, 20000, 50);
    if (box.second) {
        char text[512] = {};
        GetDlgItemTextA(box.second, 0xFFFF, text, sizeof text);
        printf("note: the player answered the close with \"%s\"\n", text);
        PostMessageA(box.second, WM_COMMAND, IDOK, 0);
    }
    DWORD exitCode = 0;
    EXPECT_TRUE(player.Wait(30000, &exitCode));
}

}  // namespace

TEST_F(StartUpTest, AnOemSkinNamesTheProductAndHidesTheViewsItLeavesOut) {
    ValuesGuard oem({"OEM_Player"});
    bk::ScopedModule partner(LoadLibraryA(fk::BinFile("facetkit_fixtureskin.dll").c_str()));
    ASSERT_NE(partner.Get(), nullptr);
    struct Case {
        const char* oem;
        const char* title;
        const char* product;
        std::vector<DWORD> views;
    };
    const Case cases[] = {
        {"0", "velmirant-Player", "velmirant-Player", {5, 6, 7, 8, 265, 356}},
        {"1", "Partner Radio", "Partner Player", {5, 7, 8, 356}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.oem);
        SetValue("OEM_Player", c.oem);
        fk::TestSkinWnd nav(WND_ID_NAVIGATOR, 40, 260, 200, 100);
        for (DWORD id : {5u, 6u, 7u, 8u, 265u, 356u}) nav.GetButtonList()->AddButton(&nav, nullptr, 1, POINT{0, 0}, id, 0);
        TakeProductTexts(partner.Get());
        RemoveOemNavigatorViews(&nav, partner.Get());
        EXPECT_STREQ(GetProductTitle(), c.title);
        EXPECT_STREQ(Library().productText, c.product);
        EXPECT_STREQ(Library().productWord, "velmirant") << "a name the skin does not give stays";
        std::vector<DWORD> left;
        for (DWORD id : {5u, 6u, 7u, 8u, 265u, 356u})
            if (nav.GetButtonList()->GetById(id)) left.push_back(id);
        EXPECT_EQ(left, c.views);
        HWND hwnd = nav.GetWindow();
        GetWindowList().RemoveWithoutDelete(&nav);
        nav.DetachWindow();
        DestroyWindow(hwnd);
    }
    TakeProductTexts(nullptr);
}
