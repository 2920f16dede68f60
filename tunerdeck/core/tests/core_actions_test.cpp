// The callback over the core's own parts: favourites, folders and podcasts
// in a user data store in a temporary folder, and a recording started and
// stopped through the callback that captures a tone from the null sink.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "core_actions.h"
#include "online_host.h"
#include "pipe.h"
#include "player_globals.h"
#include "registry.h"
#include "reply_docs.h"
#include "settings.h"
#include "tdtest.h"
#include "tests/fake_host.h"
#include "user_data_store.h"
#include "wave_file.h"

namespace {

std::vector<std::string> g_status;
int Status(char* text, int code) {
    g_status.push_back(std::to_string(code) + " " + (text ? text : "(null)"));
    return 0;
}

class CoreActionsTest : public ::testing::Test {
protected:
    CoreActionsTest() : reg_(GetSettingsKeyName()), user_("causer"), rec_("carec") {
        SetValue("PathUser", user_.Path().c_str());
        online::SetProgramFolder(user_.Path());
        td::SetProgramFolder(user_.Path().c_str());
        settings_.SetRecordingDir(rec_.Path().c_str());
        store_.reset(new cUserDataStore(false));
        skin_.ReceiveStatus = Status;
        recording_.reset(new td::cRecordingControl(&settings_, [](char* text, int code) {
            if (code == 46) FreeRecordJob(reinterpret_cast<RecordJob*>(text));
            Status(code == 46 ? nullptr : text, code);
        }));
        actions_.reset(new td::cCoreActions(&settings_, store_.get(), recording_.get(), skin_));
        actions_->SetListsChanged([this] { ++listsChanged_; });
        g_status.clear();
        td::ResetCallbackFlags();
        td::SetCallbackTarget(actions_.get());
    }
    ~CoreActionsTest() override {
        td::SetCallbackTarget(nullptr);
        td::WaitForCallbackWorkers(30000);
        actions_.reset();
        recording_.reset();
        store_.reset();
        online::SetProgramFolder("");
        td::SetProgramFolder("");
    }

    tdtest::RegistrySandbox reg_;
    tdtest::TempFolder user_, rec_;
    cSettings settings_;
    std::unique_ptr<cUserDataStore> store_;
    td::SkinListApi skin_;
    std::unique_ptr<td::cRecordingControl> recording_;
    std::unique_ptr<td::cCoreActions> actions_;
    int listsChanged_ = 0;
};

TEST_F(CoreActionsTest, FavouritesFoldersAndPodcastsThroughTheCallback) {
    td::InfoCallback(7, 42, reinterpret_cast<void*>(2));
    td::InfoCallback(7, 42, reinterpret_cast<void*>(5));   // already a favourite: only its folder changes
    ASSERT_EQ(1, store_->GetFavoriten()->GetAnzElement());
    EXPECT_EQ(5, static_cast<cValueElement*>(store_->GetFavoriten()->GetById(42))->GetValue());

    td::InfoCallback(33, 0, const_cast<char*>("Rock"));
    td::InfoCallback(33, 0, const_cast<char*>("Jazz"));
    td::InfoCallback(33, 1, const_cast<char*>("Hardrock"));
    EXPECT_EQ("Hardrock", static_cast<cNamedValueElement*>(store_->GetListFolders()->GetById(1))->GetName());
    EXPECT_EQ("Jazz", static_cast<cNamedValueElement*>(store_->GetListFolders()->GetById(2))->GetName());
    td::InfoCallback(34, 1, nullptr);
    td::InfoCallback(8, 42, nullptr);
    ASSERT_TRUE(td::WaitForCallbackWorkers(30000));
    EXPECT_EQ(nullptr, store_->GetListFolders()->GetById(1));
    EXPECT_EQ(0, store_->GetFavoriten()->GetAnzElement());
    td::InfoCallback(33, 0, const_cast<char*>("Pop"));   // the first free id again
    EXPECT_NE(nullptr, store_->GetListFolders()->GetById(1));
    const std::string longName(5000, 'n');   // more than the folder file keeps
    td::InfoCallback(33, 1, const_cast<char*>(longName.c_str()));
    EXPECT_EQ(std::string(255, 'n'), static_cast<cNamedValueElement*>(store_->GetListFolders()->GetById(1))->GetName());
    EXPECT_EQ(9, listsChanged_);
    EXPECT_TRUE(user_.Exists("radiofa.rdb"));
    EXPECT_TRUE(user_.Exists("radioli.rdb"));

    td::InfoCallback(69, 0, const_cast<char*>("http://feeds.example/p.xml"));
    td::InfoCallback(69, 0, const_cast<char*>("HTTP://feeds.example/P.xml"));
    EXPECT_EQ(1, store_->GetPodcasts()->GetAnzElement());
    EXPECT_EQ((std::vector<std::string>{"71 5"}), g_status);
    td::InfoCallback(71, 0, nullptr);
    EXPECT_EQ(0, static_cast<cNamedValueElement*>(store_->GetPodcasts()->GetById(0))->GetValue());

    const char names[] = "C:\\a.mp3\0C:\\b.mp3\0";
    td::InfoCallback(81, 0, const_cast<char*>(names));
    td::InfoCallback(81, 0, const_cast<char*>(names));
    td::FileCountQuery q = {"C:\\a.mp3", 0};
    td::InfoCallback(73, 0, &q);
    EXPECT_EQ(2, q.count);

    settings_.SetDBTime("20261210000000");
    char buf[9];
    td::InfoCallback(74, sizeof buf, buf);
    EXPECT_STREQ("20261210", buf);

    g_status.clear();
    settings_.SetRecordingFormat(1);
    settings_.SetQualityMuster("Radio");
    settings_.SetQualitySPS(22050);
    settings_.SetQualityBPS(16);
    settings_.SetQualityNCH(1);
    td::InfoCallback(46, 0, nullptr);
    ASSERT_TRUE(td::WaitForCallbackWorkers(30000));
    EXPECT_EQ((std::vector<std::string>{"52 MP3\x02Radio\x02" "22050\x02" "16\x02" "1"}), g_status);
}

TEST_F(CoreActionsTest, OwnStationsAreUpdatedAddedAndRemoved) {
    cUserDefinedStations seed;
    seed.stations.push_back(std::make_unique<cUserDefinedStation>());
    seed.stations.back()->Field("N") = "Alt";
    seed.stations.back()->Field("Id") = "-65535";
    user_.Write("user_stations.rdb", seed.WriteText());
    td::SetCallbackTarget(nullptr);
    actions_.reset();
    store_.reset(new cUserDataStore(false));
    actions_.reset(new td::cCoreActions(&settings_, store_.get(), recording_.get(), skin_));
    td::SetCallbackTarget(actions_.get());
    cUserDefinedStations* own = store_->GetUserStations();
    ASSERT_NE(nullptr, own);

    td::InfoCallback(49, -65535, const_cast<char*>("Neu\x02\x02Kat\x02" "1"));
    ASSERT_EQ(1u, own->stations.size());
    EXPECT_EQ("Neu", own->stations[0]->Field("N"));
    EXPECT_EQ("Kat", own->stations[0]->Field("K"));
    EXPECT_EQ("1", own->stations[0]->Field("T"));

    // An id the list does not know: a new station above the highest id,
    // made a favourite as well.
    td::InfoCallback(49, 5, const_cast<char*>("Mein Sender\x02Pop\x02" "3\x02" "49\x02" "1\x02" "Info\x02" "3\x02"
                                              "http://s.example/\x02http://home.example/"));
    ASSERT_EQ(2u, own->stations.size());
    EXPECT_EQ(-65534, own->stations[1]->GetId());
    EXPECT_EQ("http://home.example/", own->stations[1]->Field("UH"));
    EXPECT_EQ("http://s.example/", own->stations[1]->Field("US"));
    EXPECT_NE(nullptr, store_->GetFavoriten()->GetById(static_cast<unsigned long>(-65534)));
    EXPECT_NE(std::string::npos, user_.Read("user_stations.rdb").find("Mein Sender"));

    td::InfoCallback(50, -65535, nullptr);
    ASSERT_EQ(1u, own->stations.size());
    EXPECT_EQ(std::string::npos, user_.Read("user_stations.rdb").find("Neu"));
}

std::vector<int16_t> ReadPcm(const std::string& path, int* rate) {
    std::vector<int16_t> pcm;
    cWaveFile in(path.c_str(), nullptr);
    if (!in.IsOpen()) return pcm;
    *rate = in.GetSampleRate();
    while (cByteBuffer* b = in.ReadBlock()) {
        const int16_t* s = reinterpret_cast<const int16_t*>(b->Data());
        pcm.insert(pcm.end(), s, s + b->Size() / 2);
        delete b;
    }
    return pcm;
}

RecordJob* HandJob(const char* title, const char* quality) {
    RecordJob* j = NewRecordJob();
    j->timerEntryId = -1;
    j->createFolder = 0;
    j->mp3Channels = -1;
    bk::TextCopy(j->fileName, title);
    bk::TextCopy(j->quality, quality);
    return j;
}

// Live: the tone played into the null sink, recorded through the callback.
TEST_F(CoreActionsTest, RecordingThroughTheCallbackCapturesTheTone) {
    FakeHost host;
    host.folder = rec_.Path();
    host.device = -1;
    host.profiles["CD"] = Profile{44100, 16, 2};
    CPipe pipe(&host);
    recording_->SetPipe(&pipe);
    actions_->SetDisplayTextSource([] { return std::string("Test: Sender"); });

    td::InfoCallback(40, 0, nullptr);   // listen
    ASSERT_EQ(1, pipe.IsListening());
    // Longer than the recordings need even on a slow machine; stopped after them.
    tdtest::TonePlayer player(tdtest::SineStereo(1000, 40.0, 12000));
    // The level meter shows the tone once it reaches the capture.
    ASSERT_TRUE(tdtest::WaitFor([&] { return host.BestPeak() >= 30; }, 20000)) << host.BestPeak();

    settings_.SetRecordingFormat(0);
    size_t reports = host.RecTimeCount();
    td::InfoCallback(38, 0, HandJob("", "CD"));
    ASSERT_TRUE(td::WaitForCallbackWorkers(30000));
    ASSERT_EQ(1, pipe.IsRecording());
    EXPECT_TRUE(tdtest::WaitFor([&] { return host.RecordedAtLeast(reports, 2); }, 30000));
    td::InfoCallback(39, 0, nullptr);
    ASSERT_TRUE(td::WaitForCallbackWorkers(30000));
    EXPECT_EQ(0, pipe.IsRecording());

    settings_.SetRecordingFormat(1);
    SetValue("MP3_Bitrate", 128);
    reports = host.RecTimeCount();
    td::InfoCallback(38, 0, HandJob("Show", "CD"));
    ASSERT_TRUE(td::WaitForCallbackWorkers(30000));
    ASSERT_EQ(1, pipe.IsRecording());
    EXPECT_TRUE(tdtest::WaitFor([&] { return host.RecordedAtLeast(reports, 2); }, 30000));
    td::InfoCallback(3, 0, nullptr);   // stop ends the recording too
    ASSERT_TRUE(td::WaitForCallbackWorkers(30000));
    EXPECT_EQ(0, pipe.IsRecording());
    player.Stop();
    recording_->SetPipe(nullptr);

    // The untitled recording is named after the station, without its colon.
    std::string wavName;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(rec_.File("Test_ Sender, *.wav").c_str(), &fd);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    wavName = fd.cFileName;
    FindClose(h);
    int rate = 0;
    std::vector<int16_t> wav = ReadPcm(rec_.File(wavName), &rate);
    EXPECT_EQ(44100, rate);
    ASSERT_GT(wav.size() / 2, 22050u);
    tdtest::ToneStats ws = tdtest::Measure(wav.data() + 2 * 4410, wav.size() / 2 - 4410);
    EXPECT_NEAR(1000.0, ws.frequency, 40.0);

    const std::string mp3 = rec_.Read("Show.mp3");
    EXPECT_GT(mp3.size(), 10000u);
    EXPECT_EQ(std::vector<int>({47, 46, 47, 46}), host.Codes());
    tdtest::WriteFileBytes(tdtest::ArtifactDir() + "\\callback-recording.wav", rec_.Read(wavName));
    tdtest::WriteFileBytes(tdtest::ArtifactDir() + "\\callback-recording.mp3", mp3);
}

}  // namespace
