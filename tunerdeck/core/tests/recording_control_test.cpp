// Recording and audio control over a recording double of the pipe: the
// completed recording record, free file names in temporary folders, and the
// status answers of the mixer operations.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "bounded_text.h"
#include "pipe.h"
#include "player_globals.h"
#include "recording_control.h"
#include "registry.h"
#include "settings.h"
#include "tdtest.h"
#include "tests/fake_host.h"

namespace {

class RecordingPipe : public CPipe {
public:
    explicit RecordingPipe(cPipeHost* host) : CPipe(host, false) {}

    std::vector<std::string> calls;
    RecordJob started = {};
    int startedCounter = -1;
    int recording = 0;
    int levelKnown = 1;
    int wave[3] = {60, 50, 100};

    int IsRecording() override { return recording; }
    void StopRecordingToFile() override { calls.push_back("stop"); }
    void StartRecordingToFile(RecordJob* job, int counter) override {
        started = *job;
        startedCounter = counter;
        // A pipe that records keeps the job until the recording ends.
        if (keepJob)
            kept = job;
        else
            FreeRecordJob(job);
        calls.push_back("start");
    }
    bool keepJob = false;
    RecordJob* kept = nullptr;
    void SetRecordFormat(int f) override { calls.push_back("format " + std::to_string(f)); }
    int GetFreeRecordTime() override { return 1234; }
    void StartListening() override { calls.push_back("listen"); }
    void StopListening() override { calls.push_back("unlisten"); }
    void SetWaveOutVolume(int v) override { calls.push_back("wave " + std::to_string(v)); }
    void SetMasterVolume(int v) override { calls.push_back("master " + std::to_string(v)); }
    void SetOutputSwitch(int on) override { calls.push_back("switch " + std::to_string(on)); }
    void SetRecordLevel(int v) override { calls.push_back("level " + std::to_string(v)); }
    void SetRecordSource(int i) override { calls.push_back("source " + std::to_string(i)); }
    void SetRecordDevice(int i) override { calls.push_back("device " + std::to_string(i)); }
    void GetSourceNames(std::string& t) override { t = "Line|Mic"; }
    void GetDeviceNames(std::string& t) override { t = "Card A|Card B"; }
    int GetRecordLevel(int* a, int* b, int* c, int* d) override {
        *a = 7, *b = 100, *c = 0, *d = 1;
        return levelKnown;
    }
    void GetMasterVolume(int* a, int* b, int* c, int* d) override { *a = 40, *b = 65535, *c = 0, *d = 1; }
    void GetWaveOutVolume(int* a, int* b, int* c, int* d) override {
        *a = wave[0], *b = wave[1], *c = wave[2], *d = 0;
    }
};

struct Status {
    int code;
    std::string text;
};

class RecordingControlTest : public ::testing::Test {
protected:
    RecordingControlTest() : reg_(GetSettingsKeyName()), user_("rcuser"), rec_("rcrec") {
        SetValue("PathUser", user_.Path().c_str());
        td::SetProgramFolder(user_.Path().c_str());
        settings_.SetRecordingDir(rec_.Path().c_str());
        settings_.SetRecordingFormat(0);
        control_.SetPipe(&pipe_);
    }
    ~RecordingControlTest() override {
        for (RecordJob* j : returned_) FreeRecordJob(j);
        td::SetProgramFolder("");
    }

    RecordJob* Job(const char* title, const char* cut = "", int folderMode = 0) {
        RecordJob* j = NewRecordJob();
        j->timerEntryId = -1;
        j->createFolder = folderMode;
        j->mp3Channels = -1;
        bk::TextCopy(j->fileName, title);
        bk::TextCopy(j->cutProfile, cut);
        bk::TextCopy(j->quality, "CD");
        return j;
    }
    std::string Make(const char* name, int n, RecordJob* job = nullptr, int* used = nullptr) {
        char path[1024];
        const int r = control_.MakeRecordFileName(name, n, path, sizeof path, job);
        if (used) *used = r;
        return path;
    }

    tdtest::RegistrySandbox reg_;
    tdtest::TempFolder user_, rec_;
    cSettings settings_;
    FakeHost host_;
    RecordingPipe pipe_{&host_};
    std::vector<Status> statuses_;
    std::vector<RecordJob*> returned_;
    td::cRecordingControl control_{&settings_, [this](char* text, int code) {
                                       if (code == 46) {
                                           returned_.push_back(reinterpret_cast<RecordJob*>(text));
                                           text = nullptr;
                                       }
                                       statuses_.push_back({code, text ? text : "(null)"});
                                   }};
};

TEST_F(RecordingControlTest, FreeNamesCountOnAndKeepToTheirFolder) {
    int n = -1;
    EXPECT_EQ(rec_.File("Radio.wav"), Make("Radio", 0, nullptr, &n));
    EXPECT_EQ(0, n);
    rec_.Write("Radio.wav", "x");
    EXPECT_EQ(rec_.File("Radio_1.wav"), Make("Radio.wav", 0, nullptr, &n));
    EXPECT_EQ(1, n);
    // A piece name that already carries a number loses it before the new one.
    EXPECT_EQ(rec_.File("Radio_4.wav"), Make((rec_.File("Radio_3.wav")).c_str(), 4, nullptr, &n));
    EXPECT_EQ(rec_.File("Ab_c_2.wav"), Make("Ab_c", 2));
    settings_.SetRecordingFormat(1);
    EXPECT_EQ(rec_.File("Was_ ist_.mp3"), Make("Was: ist?", 0));

    // Sub-folder per recording, named without forbidden characters or a
    // way out of the recording folder.
    RecordJob* job = Job("");
    job->createFolder = 1;
    EXPECT_EQ(rec_.File("A_B\\A_B.mp3"), Make("A|B", 0, job));
    EXPECT_EQ(rec_.File("A_B"), std::string(job->folder));
    job->folder[0] = 0;
    EXPECT_EQ(rec_.File("__\\...mp3"), Make("...", 0, job));
    FreeRecordJob(job);
}

TEST_F(RecordingControlTest, AFolderThatTakesNoFileEndsTheSearch) {
    rec_.Write("plainfile", "x");
    settings_.SetRecordingDir(rec_.File("plainfile").c_str());   // a file, not a folder
    int n = 0;
    EXPECT_EQ("", Make("Radio", 0, nullptr, &n));
    EXPECT_EQ(-1, n);

    // Through StartRecording: the record goes back to the skin, nothing starts.
    // Neither the recording folder nor the program folder it falls back to.
    settings_.SetRecordingDir(rec_.File("plainfile\\sub").c_str());
    td::SetProgramFolder(rec_.File("plainfile").c_str());
    EXPECT_EQ(0, control_.StartRecording(Job("Radio"), "Sender"));
    ASSERT_EQ(1u, returned_.size());
    EXPECT_EQ(0, returned_[0]->pieceNumber);
    EXPECT_TRUE(pipe_.calls.empty());
}

TEST_F(RecordingControlTest, StartCompletesTheRecordFromProfilesAndValues) {
    user_.Write("schneiden.ini", "[Stunde]\r\nCUT_TYPE=1\r\nVALUE=60\r\nFOLDER=1\r\n");
    SetValue("MP3_Bitrate", 192);
    SetValue("STEREO_ART", 3);
    settings_.SetLanguage(2);
    pipe_.recording = 1;

    EXPECT_EQ(1, control_.StartRecording(Job("Morning\\..\\Show", "Stunde"), "Sender"));
    EXPECT_EQ((std::vector<std::string>{"stop", "start"}), pipe_.calls);
    const RecordJob& j = pipe_.started;
    EXPECT_EQ(1, j.cutType);
    EXPECT_EQ(60, j.cutValue);
    EXPECT_EQ(1, j.createFolder);
    EXPECT_EQ(192u, j.mp3Bitrate);
    EXPECT_EQ(3, j.mp3Channels);
    EXPECT_EQ(2, j.language);
    EXPECT_EQ(0, j.recordFormat);
    EXPECT_EQ(44100, j.sampleRate);
    EXPECT_EQ(16, j.bitsPerSample);
    EXPECT_EQ(2, j.channels);
    // The title's backslashes do not reach outside the recording folder.
    EXPECT_EQ(rec_.File("Morning_.._Show"), std::string(j.folder));
    EXPECT_EQ(rec_.File("Morning_.._Show\\Morning_.._Show.wav"), std::string(j.fileName));
    EXPECT_EQ(0, pipe_.startedCounter);
}

TEST_F(RecordingControlTest, UntitledRecordingsAreNamedAfterTheStationAndTime) {
    pipe_.recording = 1;
    pipe_.keepJob = true;
    EXPECT_EQ(1, control_.StartRecording(Job(""), "Jazz: Welle"));
    FreeRecordJob(reinterpret_cast<RecordJob*>(control_.HandBack(pipe_.kept)));
    const std::string name = pipe_.started.fileName;
    EXPECT_EQ(0u, name.find(rec_.File("Jazz_ Welle, ")));
    EXPECT_NE(std::string::npos, name.find(" Uhr "));
    EXPECT_EQ(".wav", name.substr(name.size() - 4));

    control_.SetPipe(nullptr);   // no pipe: nothing happens, the record is freed
    EXPECT_EQ(0, control_.StartRecording(Job("x"), "y"));
    EXPECT_EQ(0, control_.GetFreeRecordTime());
}

// The skin engine allocates only the 3,636 bytes of the recording-start
// record: nothing may be written past them, and the same record comes back
// at the end with the recording's folder, path and pieces.
TEST_F(RecordingControlTest, TheSkinsRecordStaysWithinItsSizeAndComesBackFilledIn) {
    constexpr size_t kGuard = 256;
    auto* block = static_cast<unsigned char*>(HeapAlloc(GetProcessHeap(), 0, kRecordStartRecordSize + kGuard));
    ASSERT_NE(nullptr, block);
    memset(block, 0, kRecordStartRecordSize);
    memset(block + kRecordStartRecordSize, 0xA5, kGuard);
    RecordJob view = {};
    view.timerEntryId = -1;
    view.createFolder = -1;
    view.mp3Channels = -1;
    bk::TextCopy(view.fileName, "Abend");
    bk::TextCopy(view.quality, "CD");
    memcpy(block, &view, kRecordStartRecordSize);
    auto guardIntact = [&] {
        for (size_t i = 0; i < kGuard; ++i)
            if (block[kRecordStartRecordSize + i] != 0xA5) return false;
        return true;
    };

    // A pipe that did not start: the record goes back at once, with no pieces.
    pipe_.keepJob = true;
    EXPECT_EQ(0, control_.StartRecording(block, "Sender"));
    ASSERT_EQ(1u, returned_.size());
    EXPECT_EQ(static_cast<void*>(block), static_cast<void*>(returned_[0]));
    EXPECT_EQ(0, returned_[0]->pieceNumber);
    EXPECT_TRUE(guardIntact());
    returned_.clear();
    FreeRecordJob(pipe_.kept);   // the double kept what a real pipe frees
    pipe_.kept = nullptr;

    pipe_.recording = 1;
    block = static_cast<unsigned char*>(HeapReAlloc(GetProcessHeap(), 0, block, kRecordStartRecordSize + kGuard));
    memcpy(block, &view, kRecordStartRecordSize);
    memset(block + kRecordStartRecordSize, 0xA5, kGuard);
    EXPECT_EQ(1, control_.StartRecording(block, "Sender"));
    ASSERT_NE(nullptr, pipe_.kept);
    EXPECT_NE(static_cast<void*>(block), static_cast<void*>(pipe_.kept)) << "the pipe records with a job of its own";
    EXPECT_EQ(44100, pipe_.kept->sampleRate);
    EXPECT_TRUE(guardIntact());

    // The pipe's end: the job is handed back as the skin's record.
    pipe_.kept->pieceNumber = 3;
    pipe_.kept->firstCounter = 2;
    char* back = control_.HandBack(pipe_.kept);
    pipe_.kept = nullptr;
    ASSERT_EQ(reinterpret_cast<char*>(block), back);
    const auto* record = reinterpret_cast<const RecordJob*>(back);
    EXPECT_EQ(3, record->pieceNumber);
    EXPECT_EQ(2, record->firstCounter);
    EXPECT_EQ(rec_.File("Abend.wav"), std::string(record->fileName));
    EXPECT_EQ(rec_.Path(), std::string(record->folder));
    EXPECT_TRUE(guardIntact());
    HeapFree(GetProcessHeap(), 0, block);

    // A job that was not made from a record is handed back as it is.
    RecordJob* own = NewRecordJob();
    EXPECT_EQ(reinterpret_cast<char*>(own), control_.HandBack(own));
    FreeRecordJob(own);
}

TEST_F(RecordingControlTest, MixerOperationsAnswerWithTheirStatus) {
    control_.SendVolumeStatus();
    control_.SendRecordLevelStatus();
    pipe_.levelKnown = 0;
    control_.SendRecordLevelStatus();
    control_.SendSourceNames();
    control_.SendDeviceNames();
    control_.SelectRecordDevice(1);
    control_.SelectRecordSource(2);
    ASSERT_EQ(7u, statuses_.size());
    const std::vector<std::pair<int, std::string>> want = {
        {3, "40|65535|0"}, {44, "7|100|0"}, {44, "0|0|0"}, {43, "Line|Mic"},
        {70, "Card A|Card B"}, {76, "(null)"}, {75, "(null)"}};
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(want[i].first, statuses_[i].code);
        EXPECT_EQ(want[i].second, statuses_[i].text);
    }

    pipe_.calls.clear();
    control_.SetVolume(30, 0);
    control_.SetVolume(20, 1);
    control_.SetMute(1);
    control_.SetMute(0);
    control_.ReadVolumeState();
    control_.LowerVolumeForDownload();   // 70 % of 50
    pipe_.recording = 1;
    control_.StopListeningIfIdle();
    pipe_.recording = 0;
    control_.StopListeningIfIdle();
    EXPECT_EQ((std::vector<std::string>{"master 30", "level 20", "switch 0", "switch 1", "wave 35", "unlisten"}),
              pipe_.calls);
    EXPECT_EQ(1234, control_.GetFreeRecordTime());
}

TEST_F(RecordingControlTest, AudioStateIsSavedAndRestored) {
    settings_.SetRecordingDevice(2);
    settings_.SetRecordingSource(5);
    settings_.SetAdjustRecordVol(1);
    control_.SaveAudioState();
    EXPECT_EQ(0, settings_.GetAdjustRecordVol());
    settings_.SetRecordingDevice(0);
    settings_.SetRecordingSource(0);
    control_.RestoreAudioState();
    EXPECT_EQ(2, settings_.GetRecordingDevice());
    EXPECT_EQ(5, settings_.GetRecordingSource());
    EXPECT_EQ(1, settings_.GetAdjustRecordVol());
    EXPECT_EQ((std::vector<std::string>{"wave 25", "device 2", "source 5", "wave 60"}), pipe_.calls);
}

TEST_F(RecordingControlTest, QualityGettersRepairStoredValues) {
    struct Case {
        int sps, bps, nch, wantSps, wantBps, wantNch;
    } cases[] = {{0, 0, 0, 48000, 16, 2}, {7999, 7, 1, 48000, 16, 1}, {22050, 8, 2, 22050, 8, 2},
                   {-44100, -16, -2, 48000, 16, 2}};
    for (const Case& c : cases) {
        settings_.SetQualitySPS(c.sps);
        settings_.SetQualityBPS(c.bps);
        settings_.SetQualityNCH(c.nch);
        EXPECT_EQ(c.wantSps, control_.GetRecSampleRate());
        EXPECT_EQ(c.wantBps, control_.GetRecBitsPerSample());
        EXPECT_EQ(c.wantNch, control_.GetRecChannels());
    }
}

}  // namespace
