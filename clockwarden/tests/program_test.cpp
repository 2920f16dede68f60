// clockwarden.exe itself under Wine: a stand-in player program that writes
// down its command lines, a stand-in main window in this process, and a
// timer list in a temporary user folder. Jobs lie a few seconds ahead, so
// every phase runs on the real clock within seconds.
#include <gtest/gtest.h>
#include <windows.h>

#include <sstream>
#include <string>
#include <vector>

#include "liste.h"
#include "scheduler.h"
#include "scheduler_host.h"
#include "scheduler_time.h"
#include "tdtest.h"
#include "timerentry.h"
#include "timerlist.h"

namespace {

struct Received {
    int saved = 0;                   // 1184 posts
    std::vector<WPARAM> copyKinds;
    std::vector<ULONG_PTR> copyIds;
    std::vector<std::string> copyData;
};
Received g_received;

LRESULT CALLBACK MainWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == UWM_TIMER_LIST_SAVED) {
        ++g_received.saved;
        return 0;
    }
    if (msg == WM_COPYDATA) {
        auto* cds = reinterpret_cast<COPYDATASTRUCT*>(lParam);
        g_received.copyKinds.push_back(wParam);
        g_received.copyIds.push_back(cds->dwData);
        g_received.copyData.emplace_back(static_cast<const char*>(cds->lpData), cds->cbData);
        return 1;
    }
    return DefWindowProcA(wnd, msg, wParam, lParam);
}

// The player's main window as the scheduler sees it.
class FakeMainWindow {
public:
    FakeMainWindow() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = MainWndProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = kMainWindowClass;
        RegisterClassA(&wc);
        wnd_ = CreateWindowA(kMainWindowClass, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
        g_received = Received();
    }
    ~FakeMainWindow() {
        DestroyWindow(wnd_);
        UnregisterClassA(kMainWindowClass, GetModuleHandleA(nullptr));
    }
    HWND Get() const { return wnd_; }

private:
    HWND wnd_;
};

cVLTime NowPlus(int seconds) {
    SYSTEMTIME st;
    GetLocalTime(&st);
    st.wMilliseconds = 0;
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    uint64_t count = (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return cw::FromCount(count + static_cast<uint64_t>(seconds) * kTicksPerSecond);
}

cTimerEntry* NewEntry(const char* name, int action, const cVLTime& start, const cVLTime& stop) {
    auto* e = new cTimerEntry;
    e->SetName(name);
    e->SetAction(action);
    e->SetStartTime(start);
    e->SetStopTime(stop);
    e->SetChannelID(4711);
    e->SetShowHints(1);
    return e;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        if (!line.empty()) lines.push_back(line);
    return lines;
}

// The program under test reads its settings under a key of its own (from
// the start-program strings beside it), so that tests of other areas running
// at the same time keep their "PathUser".
const char kTestSettingsKey[] = "SOFTWARE\\VelmirantClockwardenTest\\Radio";

class ProgramTest : public ::testing::Test {
protected:
    tdtest::TempFolder temp{"cw"};
    tdtest::RegistrySandbox settings{kTestSettingsKey};
    std::string prog, user;
    tdtest::Process scheduler;

    void SetUp() override {
        prog = temp.Path() + "\\prog";
        user = temp.Path() + "\\user\\";
        CreateDirectoryA(prog.c_str(), nullptr);
        CreateDirectoryA(user.c_str(), nullptr);
        const std::string bin = tdtest::BinDir() + "\\";
        ASSERT_TRUE(CopyFileA((bin + "clockwarden.exe").c_str(), (prog + "\\clockwarden.exe").c_str(), FALSE));
        ASSERT_TRUE(CopyFileA((bin + "basekit.dll").c_str(), (prog + "\\basekit.dll").c_str(), FALSE));
        ASSERT_TRUE(CopyFileA((bin + "clockwarden_fake_tunerdeck.exe").c_str(), (prog + "\\tunerdeck.exe").c_str(),
                              FALSE));
        ASSERT_TRUE(CopyFileA((bin + "clockwarden_test_launchgate.exe").c_str(),
                              (prog + "\\launchgate.exe").c_str(), FALSE));
        ASSERT_TRUE(settings.SetString("PathUser", user));
    }
    void TearDown() override {
        // No scheduler may outlive its test: the next one would find it (or
        // its instance mutex) and leave at once.
        HWND wnd = FindWindowA(kSchedulerWindowClass, nullptr);
        if (wnd) PostMessageA(wnd, WM_CLOSE, 0, 0);
        if (scheduler.Running() && !scheduler.Wait(30000)) {
            scheduler.Kill();
            scheduler.Wait(30000);
        }
    }

    bool StartScheduler(tdtest::Process* p, const std::vector<std::string>& args = {}) {
        return p->Start(prog + "\\clockwarden.exe", args, prog);
    }
    HWND WaitForScheduler(tdtest::Process* p) { return p->WaitForWindow(kSchedulerWindowClass, 30000); }
    std::vector<std::string> Commands() { return Lines(temp.Read("prog\\commands.log")); }
    std::string ListFile() const { return user + "clockwarden.ini"; }
    void Save(cListe* list) { ASSERT_EQ(SaveTimerListFile(list, ListFile().c_str()), 1); }
    void Load(cListe* list) { LoadTimerListFile(list, ListFile().c_str()); }
};

TEST_F(ProgramTest, FiresEachActionWithItsCommandLine) {
    FakeMainWindow main;
    cListe list;
    Save(&list);
    // The jobs are handed over by a reload once the program runs: how long
    // a busy machine takes to start it must not eat into their margins.
    ASSERT_TRUE(StartScheduler(&scheduler));
    HWND wnd = WaitForScheduler(&scheduler);
    ASSERT_NE(wnd, nullptr);
    // A few seconds apart: short enough for one-second ticks all the way,
    // the recording long enough that a late tick still starts it. A
    // shut-down whose second has passed at a reload is missed, so it gets
    // room after the stop for a slow start of the player; the reminder
    // comes last, as it may still be shown a minute late.
    list.Add(NewEntry("Abendsendung", TA_RECORD, NowPlus(4), NowPlus(10)));
    list.Add(NewEntry("Aus", TA_SHUTDOWN, NowPlus(22), NowPlus(22)));
    list.Add(NewEntry("Erinnerung", TA_REMIND, NowPlus(25), NowPlus(25)));
    Save(&list);
    DWORD_PTR result = 0;
    ASSERT_TRUE(SendMessageTimeoutA(wnd, UWM_TIMER_RELOAD, 0, 0, SMTO_NORMAL, 10000, &result));
    ASSERT_TRUE(tdtest::WaitFor([&] { return Commands().size() >= 5; }, 60000)) << temp.Read("prog\\commands.log");
    const std::vector<std::string> expected = {
        "tunerdeck.exe tunerdeck://|ChannelId|4711|1|0|",
        "tunerdeck.exe tunerdeck://|REC_START|Abendsendung|1|0|",
        "tunerdeck.exe tunerdeck://|PLAY_STOP|1|0|",
        "tunerdeck.exe tunerdeck://|SHUTDOWN|Aus|1",
        "tunerdeck.exe tunerdeck://|REMIND|Erinnerung",
    };
    EXPECT_EQ(Commands(), expected);
    // Every save of the list was announced to the player.
    EXPECT_GE(g_received.saved, 5);

    // The last job's state is saved after its command went out.
    auto allDone = [&] {
        cListe saved;
        Load(&saved);
        if (saved.GetAnzElement() != 3) return false;
        for (int i = 0; i < 3; ++i)
            if (static_cast<cTimerEntry*>(saved.GetByIndex(i))->GetZustand() != STATE_EXECUTED) return false;
        return true;
    };
    EXPECT_TRUE(tdtest::WaitFor(allDone, 30000));
    cListe after;
    Load(&after);
    ASSERT_EQ(after.GetAnzElement(), 3);
    for (int i = 0; i < 3; ++i) {
        auto* e = static_cast<cTimerEntry*>(after.GetByIndex(i));
        EXPECT_EQ(e->GetZustand(), STATE_EXECUTED) << e->GetName();
        EXPECT_EQ(e->GetLog(), 1) << e->GetName();
    }
}

TEST_F(ProgramTest, AnswersReloadAndConflictQueries) {
    FakeMainWindow main;
    cListe list;
    list.Add(NewEntry("eins", TA_RECORD, NowPlus(86400), NowPlus(86400 + 3600)));
    list.Add(NewEntry("zwei", TA_PLAY, NowPlus(86400 + 1800), NowPlus(86400 + 5400)));
    list.Add(NewEntry("drei", TA_RECORD, NowPlus(2 * 86400), NowPlus(2 * 86400 + 60)));
    Save(&list);

    ASSERT_TRUE(StartScheduler(&scheduler));
    HWND wnd = WaitForScheduler(&scheduler);
    ASSERT_NE(wnd, nullptr);

    // The player saves a changed list and asks for a reload.
    list.Add(NewEntry("vier", TA_RECORD, NowPlus(2 * 86400 + 30), NowPlus(2 * 86400 + 90)));
    Save(&list);
    DWORD_PTR result = 0;
    ASSERT_TRUE(SendMessageTimeoutA(wnd, UWM_TIMER_RELOAD, 0, 0, SMTO_NORMAL, 10000, &result));

    TimerEntryRecord record;
    static_cast<cTimerEntry*>(list.GetByIndex(0))->ToRecord(&record);
    COPYDATASTRUCT query = {0, sizeof(record), &record};
    ASSERT_TRUE(SendMessageTimeoutA(wnd, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&query), SMTO_NORMAL, 10000,
                                    &result));
    ASSERT_EQ(g_received.copyKinds.size(), 1u);
    EXPECT_EQ(g_received.copyKinds[0], kConflictAnswerKind);
    EXPECT_EQ(g_received.copyIds[0], 0u);
    ASSERT_EQ(g_received.copyData[0].size(), 4096u);
    ConflictAnswer answer;
    memcpy(&answer, g_received.copyData[0].data(), sizeof(answer));
    EXPECT_EQ(answer.count, 1u);
    EXPECT_EQ(answer.ids[0], 1u);
    EXPECT_EQ(answer.ids[1], 0u);

    // The entry added by the reload conflicts with "drei".
    query.cbData = 0;
    query.lpData = nullptr;
    ASSERT_TRUE(SendMessageTimeoutA(wnd, WM_COPYDATA, 3, reinterpret_cast<LPARAM>(&query), SMTO_NORMAL, 10000,
                                    &result));
    ASSERT_EQ(g_received.copyKinds.size(), 2u);
    EXPECT_EQ(g_received.copyIds[1], 3u);
    memcpy(&answer, g_received.copyData[1].data(), sizeof(answer));
    EXPECT_EQ(answer.count, 1u);
    EXPECT_EQ(answer.ids[0], 2u);

    // An id that names no entry: all zero bytes, the id echoed.
    ASSERT_TRUE(SendMessageTimeoutA(wnd, WM_COPYDATA, 77, reinterpret_cast<LPARAM>(&query), SMTO_NORMAL, 10000,
                                    &result));
    ASSERT_EQ(g_received.copyKinds.size(), 3u);
    EXPECT_EQ(g_received.copyIds[2], 77u);
    EXPECT_EQ(g_received.copyData[2], std::string(4096, '\0'));

    // The conflicts were marked in the list and the player told so.
    EXPECT_TRUE(tdtest::WaitFor([] { return g_received.saved > 0; }, 30000));
    cListe after;
    Load(&after);
    ASSERT_EQ(after.GetAnzElement(), 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(static_cast<cTimerEntry*>(after.GetByIndex(i))->GetLog(), 4) << i;
}

TEST_F(ProgramTest, SingleInstanceAndQuit) {
    {
        // "-Quit" with no scheduler running only waits a moment.
        tdtest::Process quit;
        ASSERT_TRUE(StartScheduler(&quit, {"-Quit"}));
        DWORD code = 99;
        ASSERT_TRUE(quit.Wait(30000, &code));
        EXPECT_EQ(code, 0u);
    }
    tdtest::Process& first = scheduler;
    ASSERT_TRUE(StartScheduler(&first));
    ASSERT_NE(WaitForScheduler(&first), nullptr);

    tdtest::Process second;
    ASSERT_TRUE(StartScheduler(&second));
    DWORD code = 99;
    ASSERT_TRUE(second.Wait(30000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(first.Running());

    tdtest::Process quit;
    ASSERT_TRUE(StartScheduler(&quit, {"-Quit"}));
    ASSERT_TRUE(quit.Wait(30000, &code));
    EXPECT_EQ(code, 0u);
    ASSERT_TRUE(first.Wait(30000, &code));
    EXPECT_EQ(code, 0u);
}


// ---------------------------------------------------------------- the real list file

// The scheduler in this process on the real timer list file, with a clock
// the test sets and commands only written down.
class FileHost : public cSchedulerHost {
public:
    uint64_t now = cw::Count(cVLTime(2009, 5, 20, 12, 0, 0));
    std::vector<std::string> commands;
    std::string path;
    std::string ListFilePath() override { return path; }
    uint64_t LocalNow() override { return now; }
    void RunCommand(const char* line) override { commands.push_back(line); }
    HWND FindMainWindow() override { return nullptr; }
    void Pause(DWORD) override {}
    void StartTimer(HWND, UINT_PTR, UINT) override {}
    void StopTimer(HWND, UINT_PTR) override {}
};

class ListFileTest : public ::testing::Test {
protected:
    tdtest::TempFolder temp{"cwfile"};
    FileHost host;

    void SetUp() override { host.path = temp.File("clockwarden.ini"); }
    cTimerEntry* At(cListe* list, int i) { return static_cast<cTimerEntry*>(list->GetByIndex(i)); }
};

// Hand-made or damaged files: values of every kind that the rules cannot
// use. Loading must end quickly and leave those entries unscheduled.
TEST_F(ListFileTest, DamagedFileLoadsWithoutHanging) {
    std::string text =
        "[0]\r\nName=badrepeat\r\nStartTime=20090501200000\r\nStopTime=20090501210000\r\nRepeat=99\r\nDaysFlag=2\r\n"
        "[1]\r\nName=negweek\r\nStartTime=20090501200000\r\nStopTime=20090501210000\r\nRepeat=4\r\nDaysFlag=32\r\n"
        "DaysOfMonth=-5\r\n"
        "[2]\r\nName=garbage\r\nStartTime=abcdefghijklmn\r\nStopTime=\r\nRepeat=1\r\n"
        "[3]\r\nName=month13\r\nStartTime=20091301200000\r\nStopTime=20091301210000\r\nRepeat=2\r\nDaysFlag=-1\r\n"
        "[4]\r\nName=huge\r\nStartTime=99999999999999999999\r\nStopTime=20090501210000\r\nRepeat=2147483647\r\n"
        "DaysFlag=2147483647\r\nAction=-2147483648\r\nZustand=-7\r\n"
        "[5]\r\nName=" + std::string(3000, 'x') + "\r\nStartTime=20090601200000\r\nStopTime=20090601210000\r\nAction=2\r\n"
        "[6]\r\nName=ok\r\nStartTime=20090601200000\r\nStopTime=20090601210000\r\nRepeat=3\r\nDaysFlag=1\r\n";
    temp.Write("clockwarden.ini", text);

    cTimerScheduler sched(&host);
    DWORD started = GetTickCount();
    sched.IniProgramm();
    sched.RecheckAllConflicts();
    ConflictAnswer answer = {};
    for (unsigned long id = 0; id < 8; ++id) sched.CheckTimerConflicts(id, &answer, 0);
    EXPECT_LT(GetTickCount() - started, 60000u);   // only a hang fails here

    cListe* list = sched.GetList();
    ASSERT_EQ(list->GetAnzElement(), 7);
    for (int i : {0, 2, 3, 4}) EXPECT_EQ(At(list, i)->GetZustand(), STATE_NOT_EXECUTED) << At(list, i)->GetName();
    EXPECT_EQ(At(list, 1)->GetZustand(), STATE_SCHEDULED);
    EXPECT_STREQ(At(list, 1)->GetNextJobTime().GetTime(), "20090605200000");
    EXPECT_EQ(strlen(At(list, 5)->GetName()), 1023u);
    EXPECT_STREQ(At(list, 6)->GetNextJobTime().GetTime(), "20090607200000");
    // The reminder (with its name cut by the file functions) comes first.
    EXPECT_EQ(sched.GetCurrent(), At(list, 5));
}

// The player rewrote the list between the scheduler's load and its save:
// the player's entries stay, the scheduler's marks reach the entries the
// user left alone.
TEST_F(ListFileTest, SaveMergesWithThePlayersNewerFile) {
    cListe list;
    list.Add(NewEntry("rec", TA_RECORD, cVLTime("20090521200000"), cVLTime("20090521210000")));
    list.Add(NewEntry("other", TA_PLAY, cVLTime("20090521203000"), cVLTime("20090521213000")));
    SaveTimerListFile(&list, host.path.c_str());

    cTimerScheduler sched(&host);
    sched.IniProgramm();

    cListe player;
    LoadTimerListFile(&player, host.path.c_str());
    ASSERT_EQ(player.GetAnzElement(), 2);
    player.Delete(player.GetByIndex(1));
    player.AddFirst(NewEntry("new", TA_PLAY, cVLTime("20090525200000"), cVLTime("20090525210000")));
    SaveTimerListFile(&player, host.path.c_str());

    sched.RecheckAllConflicts();   // marks "rec" and "other", then saves

    cListe after;
    LoadTimerListFile(&after, host.path.c_str());
    ASSERT_EQ(after.GetAnzElement(), 2);
    EXPECT_STREQ(At(&after, 0)->GetName(), "new");
    EXPECT_EQ(At(&after, 0)->GetLog(), 0);
    EXPECT_STREQ(At(&after, 1)->GetName(), "rec");
    EXPECT_EQ(At(&after, 1)->GetLog(), 4);
    EXPECT_EQ(At(&after, 1)->GetZustand(), STATE_SCHEDULED);
}

}  // namespace
