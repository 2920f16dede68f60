#include <gtest/gtest.h>
#include <windows.h>

#include <climits>
#include <string>
#include <thread>
#include <vector>

#include "registry.h"
#include "tdtest.h"
#include "timerentry.h"
#include "timerlist.h"

namespace {

// A user folder of its own for each test: "PathUser" points at it for the
// time of the test.
class UserFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        GetValue("PathUser", oldPath_, sizeof oldPath_);
        SetValue("PathUser", (folder_.Path() + "\\").c_str());
    }
    void TearDown() override { SetValue("PathUser", oldPath_[0] ? oldPath_ : nullptr); }

    std::string TimerFile() const { return folder_.File("clockwarden.ini"); }
    static int Count(cListe& list) { return list.GetAnzElement(); }
    static cTimerEntry* At(cListe& list, int i) { return static_cast<cTimerEntry*>(list.GetByIndex(i)); }

    tdtest::TempFolder folder_{"tl"};
    char oldPath_[512] = "";
};

cTimerEntry* Entry(const char* name, int log = 0) {
    auto* e = new cTimerEntry;
    e->SetName(name);
    e->SetLog(log, 1);
    return e;
}

using TimerListTest = UserFolderTest;

TEST_F(TimerListTest, EveryFieldRoundTrips) {
    cListe list;
    cTimerEntry* e = Entry("Abendjazz");
    e->SetSendername("Radio\x02Jazz");
    e->SetStatus("wartet");
    e->SetWiederholungTxt("jeden Montag");
    e->SetIniStatusText("not stored");
    e->SetSchnittprofil("30 Minuten");
    e->SetQualitaet("CD");
    e->SetChannelID(0xFFFF0001u);   // a user station: written negative
    e->SetStartTime(cVLTime(2008, 3, 7, 20, 0, 0));
    e->SetStopTime(cVLTime(2008, 3, 7, 21, 30, 0));
    e->SetRepeatEndTime(cVLTime(2008, 6, 1, 0, 0, 0));
    e->SetNextJobTime(cVLTime(2008, 3, 10, 20, 0, 0));
    e->SetAction(TA_PLAY);
    e->SetWiederholung(2);
    e->SetRepeatEnd(1);
    e->SetShowHints(1);
    e->SetDayFlag(0x02);
    e->SetDayOfMonth(3);
    e->SetLog(3, 0);
    e->SetCreateFolder(1);
    e->SetActive(0);
    e->SetZustand(5);
    e->SetBitrate(0x80000000u);
    e->SetKanaele(1);
    e->SetVBR(0);
    e->SetUseDefault(0);
    e->SetId(42);
    list.Add(e);
    ASSERT_EQ(1, SaveTimerList(&list));
    const std::string text = folder_.Read("clockwarden.ini");
    EXPECT_NE(std::string::npos, text.find("ChannelId=-65535"));
    EXPECT_NE(std::string::npos, text.find("Bitrate=-2147483648"));

    cListe loaded;
    ASSERT_EQ(1, LoadTimerList(&loaded));
    cTimerEntry* l = At(loaded, 0);
    EXPECT_EQ(0u, l->GetId());
    EXPECT_STREQ("Abendjazz", l->GetName());
    EXPECT_STREQ("", l->GetSendername()) << "kept in memory only";
    EXPECT_STREQ("wartet", l->GetStatus());
    EXPECT_STREQ("jeden Montag", l->GetWiederholungTxt());
    EXPECT_STREQ("", l->GetIniStatusText());
    EXPECT_STREQ("30 Minuten", l->GetSchnittprofil());
    EXPECT_STREQ("CD", l->GetQualitaet());
    EXPECT_EQ(0xFFFF0001u, l->GetChannelID());
    EXPECT_STREQ("20080307200000", l->GetStartTime().GetTime());
    EXPECT_STREQ("20080307213000", l->GetStopTime().GetTime());
    EXPECT_STREQ("20080601000000", l->GetRepeatEndTime().GetTime());
    EXPECT_STREQ("20080310200000", l->GetNextJobTime().GetTime());
    EXPECT_EQ(TA_PLAY, l->GetAction());
    EXPECT_EQ(2, l->GetWiederholung());
    EXPECT_EQ(1, l->GetRepeatEnd());
    EXPECT_EQ(1, l->GetShowHints());
    EXPECT_EQ(0x02, l->GetDayFlag());
    EXPECT_EQ(3, l->GetDayOfMonth());
    EXPECT_EQ(3, l->GetLog());
    EXPECT_EQ(0, l->GetOK());
    EXPECT_EQ(1, l->GetCreateFolder());
    EXPECT_EQ(0, l->GetActive());
    EXPECT_EQ(5, l->GetZustand());
    EXPECT_EQ(0x80000000u, l->GetBitrate());
    EXPECT_EQ(1, l->GetKanaele());
    EXPECT_EQ(0, l->GetVBR());
    EXPECT_EQ(0, l->GetUseDefault());
}

TEST_F(TimerListTest, UnsavedEntriesAreLeftOutAndIdsFollowTheFile) {
    cListe list;
    list.Add(Entry("eins"));
    list.Add(Entry("nicht", TIMER_LOG_NOT_SAVED));
    list.Add(Entry("zwei"));
    ASSERT_EQ(1, SaveTimerList(&list));
    const std::string text = folder_.Read("clockwarden.ini");
    EXPECT_NE(std::string::npos, text.find("[1]"));
    EXPECT_EQ(std::string::npos, text.find("[2]"));

    cListe loaded;
    loaded.Add(Entry("schon da"));
    ASSERT_EQ(2, LoadTimerList(&loaded));
    ASSERT_EQ(3, Count(loaded));
    EXPECT_STREQ("schon da", At(loaded, 0)->GetName());
    EXPECT_STREQ("eins", At(loaded, 1)->GetName());
    EXPECT_EQ(0u, At(loaded, 1)->GetId());
    EXPECT_STREQ("zwei", At(loaded, 2)->GetName());
    EXPECT_EQ(1u, At(loaded, 2)->GetId());
}

TEST_F(TimerListTest, EmptyListRemovesTheFile) {
    cListe list;
    list.Add(Entry("eins"));
    ASSERT_EQ(1, SaveTimerList(&list));
    ASSERT_TRUE(folder_.Exists("clockwarden.ini"));
    cListe empty;
    empty.Add(Entry("nur im Speicher", TIMER_LOG_NOT_SAVED));
    EXPECT_EQ(1, SaveTimerList(&empty));
    EXPECT_FALSE(folder_.Exists("clockwarden.ini"));
    cListe loaded;
    EXPECT_EQ(0, LoadTimerList(&loaded));   // missing file: nothing, after the retries
}

// Names that would read back empty or carry line breaks must neither hide
// the entries behind them nor add keys of their own.
TEST_F(TimerListTest, NamesCannotEndTheListOrInjectKeys) {
    cListe list;
    cTimerEntry* blank = Entry("");
    blank->SetSendername("Radio Eins");
    list.Add(blank);
    list.Add(Entry("  \r\n "));
    cTimerEntry* evil = Entry("evil\r\nAction=3\r\n[7]");
    evil->SetAction(TA_RECORD);
    evil->SetStatus("a\rb\nc");
    list.Add(evil);
    list.Add(Entry("last"));
    ASSERT_EQ(1, SaveTimerList(&list));

    cListe loaded;
    ASSERT_EQ(4, LoadTimerList(&loaded));
    EXPECT_STREQ("Radio Eins", At(loaded, 0)->GetName());
    EXPECT_STREQ("Timer 2", At(loaded, 1)->GetName());
    EXPECT_EQ(TA_RECORD, At(loaded, 2)->GetAction());
    EXPECT_STREQ("evil  Action=3  [7]", At(loaded, 2)->GetName());
    EXPECT_STREQ("a b c", At(loaded, 2)->GetStatus());
    EXPECT_STREQ("last", At(loaded, 3)->GetName());
}

TEST_F(TimerListTest, HandWrittenFilesLoadByTheRules) {
    const std::string longValue(2000, 'v');
    folder_.Write("clockwarden.ini",
                  "[0]\r\nName=hand\r\nBitRate=128\r\nChannelId=4294901761\r\nStartTime=200803070905001234\r\n"
                  "Action=zwei\r\nRepeat=99999999999999999999\r\nZustand=-7x\r\nRun_OK=5\r\n"
                  "[1]\r\nname=klein\r\nCHANNELID=-65535\r\nbitrate=-1\r\nRun_OK=-1\r\nDaysFlag=+12\r\n"
                  "StatusText=" + longValue + "\r\n"
                  "[1]\r\nName=doppelt\r\n"
                  "[2]\r\nAction=1\r\n"
                  "[3]\r\nName=hinter der Luecke\r\n");
    cListe loaded;
    ASSERT_EQ(2, LoadTimerList(&loaded));
    cTimerEntry* a = At(loaded, 0);
    EXPECT_STREQ("hand", a->GetName());
    EXPECT_EQ(128u, a->GetBitrate());
    EXPECT_EQ(0xFFFF0001u, a->GetChannelID());
    EXPECT_STREQ("20080307090500", a->GetStartTime().GetTime());
    EXPECT_STREQ("", a->GetNextJobTime().GetTime()) << "absent key";
    EXPECT_EQ(0, a->GetNextJobTime().GetYear());
    EXPECT_EQ(0, a->GetAction());
    EXPECT_EQ(INT_MAX, a->GetWiederholung());
    EXPECT_EQ(-7, a->GetZustand());
    EXPECT_EQ(1, a->GetOK());
    EXPECT_EQ(1, a->GetActive()) << "absent Active";
    EXPECT_EQ(0, a->GetKanaele()) << "absent Kanaele";
    EXPECT_EQ(0, a->GetVBR());
    EXPECT_EQ(0, a->GetUseDefault());
    EXPECT_EQ(0, a->GetLog());
    cTimerEntry* b = At(loaded, 1);
    EXPECT_STREQ("klein", b->GetName());
    EXPECT_EQ(0xFFFF0001u, b->GetChannelID());
    EXPECT_EQ(0xFFFFFFFFu, b->GetBitrate());
    EXPECT_EQ(0, b->GetOK());
    EXPECT_EQ(12, b->GetDayFlag());
    EXPECT_EQ(longValue.substr(0, 1023), b->GetStatus());
}

// Files edited by hand: saved as UTF-16 or with a UTF-8 mark they read as
// any other; sections the list cannot take are kept beside the file, so the
// next save does not lose them.
TEST_F(TimerListTest, HandEditedFilesAreReadOrKept) {
    const std::string ini = "[0]\r\nName=eins\r\nStartTime=20091345250000\r\n[1]\r\nName=zwei\r\n";
    std::string utf16 = "\xFF\xFE";
    for (char c : ini) {
        utf16 += c;
        utf16 += '\0';
    }
    struct Case {
        const char* what;
        std::string bytes;
        int loaded;
        bool unread;
    } cases[] = {
        {"utf-16", utf16, 2, false},
        {"utf-8 mark", "\xEF\xBB\xBF" + ini, 2, false},
        {"gap", ini + "[3]\r\nName=hinter der Luecke\r\n", 2, true},
        {"no first section", "[1]\r\nName=eins\r\n", 0, true},
    };
    for (const Case& c : cases) {
        DeleteFileA((TimerFile() + ".unread").c_str());
        folder_.Write("clockwarden.ini", c.bytes);
        cListe loaded;
        EXPECT_EQ(c.loaded, LoadTimerList(&loaded)) << c.what;
        if (c.loaded > 1) {
            EXPECT_STREQ("eins", At(loaded, 0)->GetName()) << c.what;
            EXPECT_STREQ("zwei", At(loaded, 1)->GetName()) << c.what;
        }
        if (c.loaded > 0) ASSERT_EQ(1, SaveTimerList(&loaded)) << c.what;
        bool there = GetFileAttributesA((TimerFile() + ".unread").c_str()) != INVALID_FILE_ATTRIBUTES;
        EXPECT_EQ(c.unread, there) << c.what;
        if (c.unread) EXPECT_EQ(c.bytes, folder_.Read("clockwarden.ini.unread")) << c.what;
    }
}

TEST_F(TimerListTest, NoFileOrNoFirstNameLoadsNothing) {
    const char* files[] = {"", "garbage without sections\r\n", "[1]\r\nName=no zero\r\n", "[0]\r\nAction=1\r\n"};
    for (const char* content : files) {
        folder_.Write("clockwarden.ini", content);
        cListe loaded;
        loaded.Add(Entry("keep"));
        EXPECT_EQ(0, LoadTimerList(&loaded)) << content;
        EXPECT_EQ(1, Count(loaded));
    }
}

TEST_F(TimerListTest, FailuresLeaveThePreviousFileWhole) {
    cListe list;
    list.Add(Entry("alt"));
    ASSERT_EQ(1, SaveTimerList(&list));
    const std::string before = folder_.Read("clockwarden.ini");

    // A list being destroyed refuses the walk: the file stays.
    cListe marked;
    marked.Add(Entry("neu"));
    marked.MarkForDelete(true);
    EXPECT_EQ(0, SaveTimerList(&marked));
    marked.MarkForDelete(false);
    EXPECT_EQ(before, folder_.Read("clockwarden.ini"));

    // The temporary file cannot be written (a folder in its place).
    ASSERT_TRUE(CreateDirectoryA(folder_.File("clockwarden.ini.tmp").c_str(), nullptr));
    EXPECT_EQ(0, SaveTimerList(&marked));
    EXPECT_EQ(before, folder_.Read("clockwarden.ini"));
    RemoveDirectoryA(folder_.File("clockwarden.ini.tmp").c_str());
    EXPECT_EQ(1, SaveTimerList(&marked));
    EXPECT_NE(std::string::npos, folder_.Read("clockwarden.ini").find("Name=neu"));

    // No user folder: nothing is written anywhere else.
    SetValue("PathUser", static_cast<const char*>(nullptr));
    EXPECT_EQ(0, SaveTimerList(&list));
    EXPECT_EQ(0, LoadTimerList(&list));
}

TEST_F(TimerListTest, AHungHolderOfTheMutexTimesOut) {
    cListe list;
    list.Add(Entry("alt"));
    ASSERT_EQ(1, SaveTimerList(&list));
    HANDLE held = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE taken = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread holder([&] {
        WaitForSingleObject(GetTimerMutex(), INFINITE);
        SetEvent(taken);
        WaitForSingleObject(held, 120000);
        ReleaseMutex(GetTimerMutex());
    });
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(taken, 30000));
    cListe other;
    other.Add(Entry("neu"));
    DWORD start = GetTickCount();
    EXPECT_EQ(0, SaveTimerList(&other));
    EXPECT_LT(GetTickCount() - start, 60000u);   // gave up while the mutex was still held
    SetEvent(held);
    holder.join();
    CloseHandle(held);
    CloseHandle(taken);
    cListe loaded;
    ASSERT_EQ(1, LoadTimerList(&loaded));
    EXPECT_STREQ("alt", At(loaded, 0)->GetName());
}

// ---------------------------------------------------------------- processes

// A list of n entries that all carry n, so a reader sees at once whether
// it got one whole version.
void FillVersion(cListe* list, int n) {
    for (int i = 0; i < n; ++i) {
        cTimerEntry* e = Entry(("v" + std::to_string(n) + "-" + std::to_string(i)).c_str());
        e->SetZustand(n);
        e->SetStatus(std::string(200, 'p').c_str());
        list->Add(e);
    }
}

// Empty string when the list is one whole version, else what is wrong.
std::string CheckWhole(cListe& list) {
    int n = list.GetAnzElement();
    if (n == 0) return "empty";
    for (int i = 0; i < n; ++i) {
        auto* e = static_cast<cTimerEntry*>(list.GetByIndex(i));
        if (e->GetZustand() != n) return "entry " + std::to_string(i) + " of " + std::to_string(n) + " from version " +
                                         std::to_string(e->GetZustand());
    }
    return "";
}

TD_CHILD(timer_saver) {
    if (argc < 3) return 2;
    const char* path = argv[1];
    DWORD until = GetTickCount() + static_cast<DWORD>(atoi(argv[2]));
    int round = 0;
    while (GetTickCount() < until) {
        cListe list;
        FillVersion(&list, 1 + round++ % 40);
        if (!SaveTimerListFile(&list, path)) return 3;
        cListe loaded;
        LoadTimerListFile(&loaded, path);
        if (!CheckWhole(loaded).empty()) return 4;
    }
    return 0;
}

TEST_F(TimerListTest, TwoProcessesNeverSeeAPartialList) {
    const std::string path = TimerFile();
    cListe first;
    FillVersion(&first, 5);
    ASSERT_EQ(1, SaveTimerListFile(&first, path.c_str()));
    tdtest::Process child;
    ASSERT_TRUE(child.StartChild("timer_saver", {path, "3000"}));
    int round = 0, loads = 0;
    DWORD until = GetTickCount() + 3000;
    while (GetTickCount() < until) {
        cListe list;
        FillVersion(&list, 41 + round++ % 20);
        ASSERT_EQ(1, SaveTimerListFile(&list, path.c_str()));
        cListe loaded;
        LoadTimerListFile(&loaded, path.c_str());
        ASSERT_EQ("", CheckWhole(loaded)) << "load " << loads;
        ++loads;
    }
    DWORD code = 99;
    ASSERT_TRUE(child.Wait(20000, &code));
    EXPECT_EQ(0u, code);
    EXPECT_GT(loads, 5);
}

TD_CHILD(timer_saver_big) {
    if (argc < 2) return 2;
    for (int round = 0;; ++round) {
        cListe list;
        FillVersion(&list, 300 + round % 2);
        SaveTimerListFile(&list, argv[1]);
    }
}

TEST_F(TimerListTest, ASaveKilledMidwayLeavesAWholeFile) {
    const std::string path = TimerFile();
    for (int kill = 0; kill < 4; ++kill) {
        cListe first;
        FillVersion(&first, 7);
        ASSERT_EQ(1, SaveTimerListFile(&first, path.c_str()));
        tdtest::Process child;
        ASSERT_TRUE(child.StartChild("timer_saver_big", {path}));
        Sleep(300 + 70 * kill);
        child.Kill();
        child.Wait(30000);
        // The killed holder leaves the mutex abandoned; the next user takes it.
        cListe loaded;
        LoadTimerListFile(&loaded, path.c_str());
        EXPECT_EQ("", CheckWhole(loaded)) << "kill " << kill;
        cListe again;
        FillVersion(&again, 3);
        EXPECT_EQ(1, SaveTimerListFile(&again, path.c_str()));
    }
}

}  // namespace
