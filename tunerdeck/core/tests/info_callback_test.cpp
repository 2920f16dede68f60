// The user-action callback: every code of both tables against a recording
// double of the player, immediate effects on return, worker effects after
// the workers have drained, copies that outlive the caller's buffer, and
// null texts that neither crash nor act.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "info_callback.h"
#include "list_push.h"

namespace {

class RecordingTarget : public td::cCallbackTarget {
public:
    std::mutex mu;
    std::vector<std::string> calls;
    void R(const std::string& s) {
        std::lock_guard<std::mutex> l(mu);
        calls.push_back(s);
    }
    static std::string N(long v) { return std::to_string(v); }
    std::vector<std::string> Take() {
        std::lock_guard<std::mutex> l(mu);
        std::vector<std::string> c;
        c.swap(calls);
        return c;
    }

    void SetFavorite(int id, int folder) override { R("SetFavorite " + N(id) + " " + N(folder)); }
    void SetSoundOn(int on) override { R("SetSoundOn " + N(on)); }
    void SetMasterVolume(int v) override { R("SetMasterVolume " + N(v)); }
    void SendVolumeStatus() override { R("SendVolumeStatus"); }
    void ChangeSkin(const char* s) override { R(std::string("ChangeSkin ") + s); }
    void Banner(int a, int k) override { R("Banner " + N(a) + " " + N(k)); }
    void SecondBanner(int a, int k) override { R("SecondBanner " + N(a) + " " + N(k)); }
    int BannerAnswer() override { R("BannerAnswer"); return 1; }
    void DebugText(const char* t, int l) override { R(std::string("DebugText ") + t + " " + N(l)); }
    void CloseInstanceMarker() override { R("CloseInstanceMarker"); }
    void SetFolder(int id, const char* n) override { R("SetFolder " + N(id) + " " + n); }
    int SendRecommendation(void*) override { R("SendRecommendation"); return 7; }
    void StartListening() override { R("StartListening"); }
    void SendRecordLevelStatus() override { R("SendRecordLevelStatus"); }
    void SetUserStation(int id, const std::string (&f)[9]) override {
        std::string s = "SetUserStation " + N(id);
        for (const std::string& x : f) s += "|" + x;
        R(s);
    }
    void DeleteUserStation(int id) override { R("DeleteUserStation " + N(id)); }
    void RunProgram(const char* c) override { R(std::string("RunProgram ") + c); }
    void TimerListChanged(void* l) override { R(std::string("TimerListChanged ") + (l ? "list" : "null")); }
    std::string StationDetails(int id) override { return "details " + N(id); }
    void LowerVolumeForDownload() override { R("LowerVolumeForDownload"); }
    const char* ProgramFolder() override { return "C:\\Prog"; }
    void OpenProgrammTip(int id) override { R("OpenProgrammTip " + N(id)); }
    int CheckEncoder() override { return 1; }
    void AddPodcast(const char* a) override { R(std::string("AddPodcast ") + a); }
    void DeletePodcast(int id) override { R("DeletePodcast " + N(id)); }
    void SetPodcastSubscribed(int id, int s) override { R("SetPodcastSubscribed " + N(id) + " " + N(s)); }
    int32_t GetFileCount(const char* f) override { return static_cast<int32_t>(strlen(f)); }
    void CountFile(const char* f) override { R(std::string("CountFile ") + f); }
    std::string DatabaseTime() override { return "20261210000000"; }
    void SaveAudioState() override { R("SaveAudioState"); }
    void RestoreAudioState() override { R("RestoreAudioState"); }
    int UnpackEncoder(const char* a) override { R(std::string("UnpackEncoder ") + a); return 0; }
    unsigned long Capabilities() override { return 6; }
    void StoreProxy(const char*, const char*, int) override { R("StoreProxy"); }

    void CheckConnection() override { R("CheckConnection"); }
    void ClearMetaAddresses() override { R("ClearMetaAddresses"); }
    void SetLocalFile(int f) override { R("SetLocalFile " + N(f)); }
    void PlayChannel(int id) override { R("PlayChannel " + N(id)); }
    void PlayStream(int id) override { R("PlayStream " + N(id)); }
    void PlayAddress(int ch, const char* a) override { R("PlayAddress " + N(ch) + " " + a); }
    void PlayLocalFile(int ch, const char* a) override { R("PlayLocalFile " + N(ch) + " " + a); }
    void Stop() override { R("Stop"); }
    void StopRecording() override { R("StopRecording"); }
    void TogglePause() override { R("TogglePause"); }
    std::string StationHomepage(int id) override { return id == 3 ? "http://home.example/3" : "javascript:x"; }
    int Language() override { return language; }
    void OpenBrowser(const char* a) override { R(std::string("OpenBrowser ") + a); }
    void Search(const td::SearchCriteria& c) override { R(std::string("Search ") + c.name + " " + N(c.bandwidthClass)); }
    void RemoveFavorite(int id) override { R("RemoveFavorite " + N(id)); }
    void ShowHelp(const char* p) override { R(std::string("ShowHelp ") + (p ? p : "(null)")); }
    void PushDetails(int id) override { R("PushDetails " + N(id)); }
    void PushAllLists() override { R("PushAllLists"); }
    void SetRecTime() override { R("SetRecTime"); }
    void PlayTrack(int t) override { R("PlayTrack " + N(t)); }
    void SetTrackPosition(int p) override { R("SetTrackPosition " + N(p)); }
    void DownloadSkin(const char* n, int s) override { R(std::string("DownloadSkin ") + n + " " + N(s)); }
    void RemoveFolder(int id) override { R("RemoveFolder " + N(id)); }
    void UpdateDatabase() override { R("UpdateDatabase"); }
    void StartRecording(void*) override { R("StartRecording"); }
    void StopListeningIfIdle() override { R("StopListeningIfIdle"); }
    void SendSourceNames() override { R("SendSourceNames"); }
    void SelectRecordSource(int i) override { R("SelectRecordSource " + N(i)); }
    void SetRecordLevel(int l) override { R("SetRecordLevel " + N(l)); }
    void ApplyRecordFormat() override { R("ApplyRecordFormat"); }
    void SendSkinData(const char* t) override { R(std::string("SendSkinData ") + t); }
    void ShutdownComputer() override { R("ShutdownComputer"); }
    void SendDeviceNames() override { R("SendDeviceNames"); }
    void SelectRecordDevice(int i) override { R("SelectRecordDevice " + N(i)); }
    void ConvertToMp3(const void* r) override { R(std::string("ConvertToMp3 ") + static_cast<const char*>(r)); }
    void StopConversion() override { R("StopConversion"); }
    void UpdateProgrammTips() override { R("UpdateProgrammTips"); }
    void ReloadProgrammTips() override { R("ReloadProgrammTips"); }
    void ShowDeadStreams() override { R("ShowDeadStreams"); }
    void ShowOfferedUpdate() override { R("ShowOfferedUpdate"); }

    int language = 1;
};

class InfoCallbackTest : public ::testing::Test {
protected:
    InfoCallbackTest() {
        td::ResetCallbackFlags();
        td::SetCallbackTarget(&target_);
    }
    ~InfoCallbackTest() override {
        td::SetCallbackTarget(nullptr);
        td::WaitForCallbackWorkers(30000);
    }
    std::vector<std::string> Drain() {
        EXPECT_TRUE(td::WaitForCallbackWorkers(30000));
        return target_.Take();
    }
    RecordingTarget target_;
};

using Calls = std::vector<std::string>;

TEST_F(InfoCallbackTest, ImmediateCodesActBeforeTheyReturn) {
    struct Case {
        int fkt, ch;
        const char* text;
        Calls calls;
    } cases[] = {
        {7, 5, reinterpret_cast<const char*>(3), {"SetFavorite 5 3"}},
        {7, 0, nullptr, {}},
        {12, -1, nullptr, {"SetSoundOn 1"}},
        {12, static_cast<int>(0xEFFFFFFFu), nullptr, {"SetSoundOn 0"}},
        {12, 40, nullptr, {"SetMasterVolume 40"}},
        {13, 0, nullptr, {"SendVolumeStatus"}},
        {16, 0, "Blue.dll", {"ChangeSkin Blue.dll"}},
        {24, 0, nullptr, {"Banner 1 0"}},
        {25, 0, nullptr, {"Banner 2 0"}},
        {28, 3, "hello", {"DebugText hello 3"}},
        {29, 0, nullptr, {"CloseInstanceMarker"}},
        {33, 0, "Neu", {"SetFolder 0 Neu"}},
        {40, 0, nullptr, {"StartListening"}},
        {44, 0, nullptr, {"SendRecordLevelStatus"}},
        {49, 7, "Name\x02\x02Kat\x02T\x02\x02", {"SetUserStation 7|Name|Kat|T||||||"}},
        {50, 7, nullptr, {"DeleteUserStation 7"}},
        {53, 0, "list", {"TimerListChanged list"}},
        {56, 2, nullptr, {"SecondBanner 1 2"}},
        {57, 2, nullptr, {"SecondBanner 2 2"}},
        {58, 0, nullptr, {"LowerVolumeForDownload"}},
        {64, 9, nullptr, {"OpenProgrammTip 9"}},
        {69, 0, "http://feeds.example/x.xml", {"AddPodcast http://feeds.example/x.xml"}},
        {70, 4, nullptr, {"DeletePodcast 4"}},
        {71, 4, "on", {"SetPodcastSubscribed 4 1"}},
        {71, 4, nullptr, {"SetPodcastSubscribed 4 0"}},
        {75, 0, nullptr, {"RestoreAudioState"}},
        {76, 0, nullptr, {"SaveAudioState"}},
        {81, 0, "a.mp3\0b.mp3\0", {"CountFile a.mp3", "CountFile b.mp3"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fkt);
        td::InfoCallback(c.fkt, c.ch, const_cast<char*>(c.text));
        EXPECT_EQ(c.calls, target_.Take());   // before any worker could have run
    }
    EXPECT_EQ(0, td::RunningCallbackWorkers());

    EXPECT_EQ(1, td::InfoCallback(27, 0, nullptr));
    target_.Take();

    td::InfoCallback(51, 0, nullptr);
    td::InfoCallback(52, 0, nullptr);
    Calls run = target_.Take();
    ASSERT_EQ(2u, run.size());
    EXPECT_NE(std::string::npos, run[0].find("\\sndvol32.exe\""));
    EXPECT_EQ(" -r", run[1].substr(run[1].size() - 3));
    EXPECT_EQ(std::string::npos, run[0].find("\\\\sndvol32"));
}

TEST_F(InfoCallbackTest, ImmediateCodesAnswerInTheCallersBuffer) {
    int32_t rec[60] = {0};
    td::InfoCallback(36, 0, rec);
    EXPECT_EQ(1, rec[0]);

    char buf[64];
    memset(buf, 'x', sizeof buf);
    td::InfoCallback(54, 3, buf);
    EXPECT_STREQ("details 3", buf);

    memset(buf, 'x', sizeof buf);
    td::InfoCallback(61, 4, buf);   // smaller than the folder: ch - 1 characters and a NUL
    EXPECT_STREQ("C:\\", buf);
    EXPECT_EQ('x', buf[4]);
    td::InfoCallback(61, 0, buf);   // no room: nothing written
    EXPECT_STREQ("C:\\", buf);

    td::InfoCallback(74, 5, buf);
    EXPECT_STREQ("2026", buf);

    int32_t v = 0;
    EXPECT_EQ(1, td::InfoCallback(67, 0, &v));
    EXPECT_EQ(1, v);
    td::InfoCallback(80, 3, &v);
    EXPECT_EQ(2, v);   // 6 & 3

    td::FileCountQuery q = {"abc.mp3", -1};
    td::InfoCallback(73, 0, &q);
    EXPECT_EQ(7, q.count);

    char archive[32] = "lame.zip";
    EXPECT_EQ(0, td::InfoCallback(77, 0, archive));
    EXPECT_EQ(0, archive[0]);
}

TEST_F(InfoCallbackTest, WorkerCodesActOnTheirOwnThreads) {
    td::SearchCriteria search = {};
    strcpy(search.name, "jazz");
    search.bandwidthClass = 4;
    char convert[td::kConvertRecordSize] = "in.wav";
    int record = 0;
    struct Case {
        int fkt, ch;
        const void* text;
        Calls calls;
    } cases[] = {
        {3, 0, nullptr, {"Stop", "StopRecording"}},
        {4, 0, nullptr, {"TogglePause"}},
        {5, 3, nullptr, {"OpenBrowser http://home.example/3"}},
        {5, 4, nullptr, {}},                           // homepage is no web address
        {5, 0, "ftp://x", {}},
        {5, 0, "https://a.example/", {"OpenBrowser https://a.example/"}},
        {5, 0, "www.velmirant.de/realplayer.php", {"OpenBrowser http://www.velmirant.de/realplayer.php"}},
        {5, 0, "www.x/a://b", {}},
        {5, 0, nullptr, {"OpenBrowser http://www.velmirant.de/"}},
        {6, 0, &search, {"Search jazz 4"}},
        {8, 5, nullptr, {"RemoveFavorite 5"}},
        {10, 0, "topic.htm", {"ShowHelp topic.htm"}},
        {10, 1, nullptr, {"OpenBrowser http://www.velmirant.de/pages/velmirant_player/support/faq/"}},
        {14, 3, nullptr, {"PushDetails 3"}},
        {14, 0, nullptr, {}},
        {18, 0, nullptr, {"OpenBrowser http://www.velmirant.de/pages/velmirant_player/support/bugreport.php"}},
        {19, 1, nullptr, {"OpenBrowser http://www.velmirant.de/pages/velmirant_player/support/"}},
        {19, 2, nullptr,
         {"OpenBrowser http://www.velmirant.de/pages/velmirant_player/support/sender_vorschlagen.php"}},
        {20, 0, "h", {}},
        {20, 0, "http://b.example/", {"OpenBrowser http://b.example/"}},
        {22, 2, nullptr, {"PlayTrack 2"}},
        {23, 9000, nullptr, {"SetTrackPosition 9000"}},
        {26, 0, nullptr, {"Banner 3 0"}},
        {31, 100, "Blue.dll", {"DownloadSkin Blue.dll 100"}},
        {32, 0, nullptr, {"OpenBrowser http://www.velmirant.de/pages/velmirant_player/skins/"}},
        {34, 3, nullptr, {"RemoveFolder 3"}},
        {35, 0, nullptr, {"UpdateDatabase"}},
        {38, 0, &record, {"StartRecording"}},
        {39, 0, nullptr, {"StopRecording"}},
        {41, 0, nullptr, {"StopListeningIfIdle"}},
        {42, 0, nullptr, {"SendSourceNames"}},
        {43, 3, nullptr, {"SelectRecordSource 2"}},
        {43, 0, nullptr, {}},
        {45, 70, nullptr, {"SetRecordLevel 70"}},
        {46, 0, nullptr, {"ApplyRecordFormat", "SetRecTime"}},
        {47, 0, "skin data", {"SendSkinData skin data"}},
        {55, 0, nullptr, {"ShutdownComputer"}},
        {59, 0, nullptr, {"SendDeviceNames"}},
        {60, 2, nullptr, {"SelectRecordDevice 1"}},
        {62, 0, convert, {"ConvertToMp3 in.wav"}},
        {63, 0, nullptr, {"StopConversion"}},
        {65, 0, nullptr, {"UpdateProgrammTips"}},
        {66, 0, nullptr, {"ReloadProgrammTips"}},
        {68, 0, nullptr, {"ShowDeadStreams"}},
        {78, 0, nullptr, {"StoreProxy"}},   // at once; the worker only logs
        {79, 0, nullptr, {"SendRecordLevelStatus"}},
        {82, 0, nullptr, {"ShowOfferedUpdate"}},
        {0, 0, nullptr, {}}, {9, 0, nullptr, {}}, {11, 0, nullptr, {}}, {17, 0, nullptr, {}}, {30, 0, nullptr, {}},
        {15, 0, nullptr, {"PushAllLists", "SetRecTime"}},
        {48, 0, nullptr, {"Banner 4 0"}},   // lists are ready now
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fkt);
        td::InfoCallback(c.fkt, c.ch, const_cast<void*>(c.text));
        EXPECT_EQ(c.calls, Drain());
    }
    target_.language = 2;
    td::InfoCallback(18, 0, nullptr);
    EXPECT_EQ((Calls{"OpenBrowser http://www.velmirant.com/pages/bugreport_eng.php"}), Drain());
}

// Each worker code runs on a thread of its own; playing, stopping and
// recording still run in the order they were asked for, so a stop held up
// on its way does not end the recording that a later start begins. Other
// codes do not wait for them.
TEST(InfoCallbackOrder, StopAndStartRunInTheOrderAsked) {
    class SlowStopTarget : public RecordingTarget {
    public:
        HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        ~SlowStopTarget() override { CloseHandle(release); }
        void Stop() override {
            WaitForSingleObject(release, 20000);
            R("Stop");
        }
    } target;
    td::ResetCallbackFlags();
    td::SetCallbackTarget(&target);
    int record = 0;
    td::InfoCallback(3, 0, nullptr);
    td::InfoCallback(38, 0, &record);
    td::InfoCallback(39, 0, nullptr);
    td::InfoCallback(8, 5, nullptr);
    // The code asked last is done while the stop still waits.
    const DWORD start = GetTickCount();
    auto seen = [&] {
        std::lock_guard<std::mutex> l(target.mu);
        for (const std::string& c : target.calls)
            if (c == "RemoveFavorite 5") return true;
        return false;
    };
    while (!seen() && GetTickCount() - start < 20000) Sleep(10);
    ASSERT_TRUE(seen());
    SetEvent(target.release);
    EXPECT_TRUE(td::WaitForCallbackWorkers(30000));
    EXPECT_EQ(target.Take(), (Calls{"RemoveFavorite 5", "Stop", "StopRecording", "StartRecording", "StopRecording"}));
    td::SetCallbackTarget(nullptr);
}

TEST_F(InfoCallbackTest, PlayCodesCheckTheConnectionOnceAndOwnTheirTexts) {
    char address[64] = "http://stream.example/live";
    td::InfoCallback(21, 4, address);
    memset(address, 'X', sizeof address - 1);   // the caller's buffer is gone
    EXPECT_EQ((Calls{"CheckConnection", "ClearMetaAddresses", "SetLocalFile 0", "PlayAddress 4 http://stream.example/live",
                     "Banner 3 0"}),
              Drain());
    td::InfoCallback(1, 11, nullptr);
    EXPECT_EQ((Calls{"ClearMetaAddresses", "SetLocalFile 0", "PlayChannel 11", "Banner 3 0"}), Drain());
    td::InfoCallback(37, 0, nullptr);   // next play checks again
    td::InfoCallback(2, 12, nullptr);
    EXPECT_EQ((Calls{"CheckConnection", "ClearMetaAddresses", "SetLocalFile 0", "PlayStream 12", "Banner 3 0"}),
              Drain());
    char file[32] = "C:\\a.mp3";
    td::InfoCallback(72, 0, file);
    file[0] = 0;
    EXPECT_EQ((Calls{"ClearMetaAddresses", "SetLocalFile 1", "CountFile C:\\a.mp3", "PlayLocalFile 0 FILE://C:\\a.mp3",
                     "Banner 3 0"}),
              Drain());
}

TEST_F(InfoCallbackTest, NullTextsNeitherCrashNorActAndNoPlayerMeansNothing) {
    const int needText[] = {5, 6, 16, 20, 21, 28, 31, 33, 36, 38, 47, 49, 54, 61, 62, 67, 69, 72, 73, 74, 77, 80, 81};
    for (int fkt : needText) {
        SCOPED_TRACE(fkt);
        td::InfoCallback(fkt, 0, nullptr);
        Calls calls = Drain();
        if (fkt == 5) continue;   // without text: the maker's page
        EXPECT_EQ(Calls{}, calls);
    }
    td::FileCountQuery q = {nullptr, -1};
    td::InfoCallback(73, 0, &q);
    EXPECT_EQ(-1, q.count);

    td::SetCallbackTarget(nullptr);
    for (int fkt = 0; fkt <= 82; ++fkt) EXPECT_EQ(0, td::InfoCallback(fkt, 1, nullptr));
    EXPECT_EQ(Calls{}, Drain());
}

TEST_F(InfoCallbackTest, ListsReadyWaitGivesUpSilently) {
    const DWORD t0 = GetTickCount();
    td::InfoCallback(48, 0, nullptr);
    EXPECT_EQ(Calls{}, Drain());
    EXPECT_GE(GetTickCount() - t0, 4500u);
}

}  // namespace
