// Update offers answered through the message-box seam, help through the
// shell seam, and server jobs whose requests fail: stored data stays.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core_test_support.h"
#include "online_host.h"
#include "player_globals.h"
#include "registry.h"
#include "server_jobs.h"
#include "settings.h"
#include "tdtest.h"
#include "user_data_store.h"

namespace {

std::vector<std::string> g_status;
int Status(char* text, int code) {
    g_status.push_back(std::to_string(code) + " " + (text ? text : "(null)"));
    return 0;
}

std::vector<std::string> g_info;
void ShowInfo(int cx, int cy, const char* text) {
    g_info.push_back(std::to_string(cx) + "x" + std::to_string(cy) + " " + (text ? text : "(null)"));
}

class ServerJobsTest : public ::testing::Test {
protected:
    ServerJobsTest() : folder_("sjuser"), user_(folder_.User()), store_(folder_.Store()) {
        skin_.ReceiveStatus = Status;
        skin_.ShowInfo = ShowInfo;
        g_info.clear();
        jobs_.reset(new td::cServerJobs(&settings_, store_, skin_));
        jobs_->SetMessageBox([this](const char* text, const char* title, UINT flags) {
            boxes_.push_back(std::string(title) + ": " + text);
            boxFlags_ = flags;
            return answer_;
        });
        jobs_->SetShell([this](const char* f, const char* p) { shell_.push_back(std::string(f) + " " + p); });
        jobs_->SetBrowser([this](const char* a) { browser_.push_back(a); });
        jobs_->SetDownload([this](const char* a, const char* f) {
            downloads_.push_back(std::string(a) + " -> " + f);
            return 1;
        });
        jobs_->SetServer("127.0.0.1:1");   // nothing listens there
        g_status.clear();
    }
    coretest::StoreFolder folder_;
    const tdtest::TempFolder& user_;
    cUserDataStore* store_;
    cSettings settings_;
    td::SkinListApi skin_;
    std::unique_ptr<td::cServerJobs> jobs_;
    std::vector<std::string> boxes_, shell_, browser_, downloads_;
    UINT boxFlags_ = 0;
    int answer_ = IDNO;
};

TEST_F(ServerJobsTest, UpdateOffersFollowTheAnswer) {
    EXPECT_EQ(0, jobs_->OfferUpdate(2, "Skin : x"));
    ASSERT_EQ(1u, boxes_.size());
    EXPECT_EQ(0u, boxes_[0].find("velmirant-Player: "));
    EXPECT_NE(std::string::npos, boxes_[0].find("Skin : x"));
    EXPECT_TRUE(boxFlags_ & MB_SYSTEMMODAL);
    EXPECT_EQ(0, jobs_->UpdateMode());
    EXPECT_TRUE(g_status.empty());

    answer_ = IDYES;
    EXPECT_EQ(1, jobs_->OfferUpdate(2, "Skin : x"));
    EXPECT_EQ(2, jobs_->UpdateMode());
    EXPECT_EQ((std::vector<std::string>{"21 (null)"}), g_status);

    volatile int state = 2;   // the player has ended: no wait
    jobs_->SetPlayerState(&state);
    EXPECT_EQ(1, jobs_->OfferUpdate(1, "Aktuelle Version : 2.0"));
    EXPECT_EQ(1, jobs_->UpdateMode());

    boxes_.clear();
    EXPECT_EQ(0, jobs_->OfferUpdate(3, "x"));
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(ServerJobsTest, HelpOpensTheArchiveThroughHhOrFallsBack) {
    // No help file and no download address: the FAQ page.
    jobs_->ShowHelp("aufnahme.htm");
    EXPECT_EQ((std::vector<std::string>{"http://www.velmirant.de/pages/velmirant_player/support/faq/"}), browser_);

    // A download address: asked first; no keeps everything as it is.
    jobs_->SetHelpDownload("http://dl.example/vl_hilfe.chm", "http://dl.example/vl_hilfe_eng.chm");
    jobs_->ShowHelp(nullptr);
    EXPECT_EQ(1u, boxes_.size());
    EXPECT_EQ(0u, boxes_[0].find("Hilfe zum velmirant-Player: "));
    EXPECT_TRUE(downloads_.empty());
    answer_ = IDYES;
    jobs_->ShowHelp(nullptr);
    EXPECT_EQ((std::vector<std::string>{"http://dl.example/vl_hilfe.chm -> " + user_.File("vl_hilfe.chm")}),
              downloads_);

    user_.Write("vl_hilfe.chm", "ITSF");
    const std::string base = "HH.EXE mk:@MSITStore:" + user_.Path() + "\\vl_hilfe.chm::/";
    jobs_->ShowHelp("aufnahme.htm");
    jobs_->ShowHelp("");
    jobs_->ShowHelp("..\\..\\x.htm");        // leaves the archive: the start page instead
    jobs_->ShowHelp("a.htm\" /evil");
    EXPECT_EQ((std::vector<std::string>{base + "aufnahme.htm", base + "startseite.htm", base + "startseite.htm",
                                        base + "startseite.htm"}),
              shell_);

    settings_.SetLanguage(2);
    shell_.clear();
    user_.Write("vl_hilfe_eng.chm", "ITSF");
    jobs_->ShowHelp("recording.htm");
    EXPECT_EQ((std::vector<std::string>{"HH.EXE mk:@MSITStore:" + user_.Path() + "\\vl_hilfe_eng.chm::/recording.htm"}),
              shell_);
}

TEST_F(ServerJobsTest, FailedRequestsLeaveStoredDataAsItWas) {
    cListe* tops = store_->LockTopSender();
    auto* e = new cValueElement;
    e->SetId(17);
    tops->Add(e);
    store_->UnlockTopSender();
    SetValue("TopSenderDate", "20261101");
    jobs_->UpdateTopStations();
    tops = store_->LockTopSender();
    EXPECT_EQ(1, tops->GetAnzElement());
    EXPECT_NE(nullptr, tops->GetById(17));
    store_->UnlockTopSender();
    ASSERT_EQ(2u, g_status.size());
    EXPECT_EQ(0u, g_status[0].find("0 Aktualisiere Topsender"));
    EXPECT_EQ(0u, g_status[1].find("0 Topsender aktualisiert"));
    char topDate[32] = {};
    GetValue("TopSenderDate", topDate, sizeof topDate);
    EXPECT_STREQ("20261101", topDate);   // asked again at the next start

    g_status.clear();
    SetValue("ProgrammtippsDate", "20000101");
    EXPECT_EQ(-1, jobs_->UpdateProgrammTips());
    EXPECT_EQ((std::vector<std::string>{"65 4|0"}), g_status);
    char date[32] = {};
    GetValue("ProgrammtippsDate", date, sizeof date);
    EXPECT_STREQ("20000101", date);   // the date advances only on success

    g_status.clear();
    settings_.SetDBTime("20261101000000");
    EXPECT_EQ(0, jobs_->UpdateDatabase());
    ASSERT_LE(3u, g_status.size());
    EXPECT_EQ(0u, g_status[0].find("0 Sender-Datenbank wird aktualisiert"));
    EXPECT_EQ(0u, g_status[1].find("0 Die Sender-Datenbank konnte nicht"));
    EXPECT_EQ("66 4|0", g_status[2]);
    EXPECT_EQ("2 (null)", g_status.back());
    if (store_->IsLoaded()) {
        EXPECT_STREQ("20261101000000", settings_.GetDBTime());
    } else {
        EXPECT_STREQ("", settings_.GetDBTime());   // nothing loaded: asked as a new installation
    }
}

TEST_F(ServerJobsTest, RequestsWithoutAnswerReportFailure) {
    td::RecommendationRecord r;
    memset(&r, 'A', sizeof r);   // texts without an end inside their fields
    r.kind = 1;
    r.id = 5;
    r.item = nullptr;
    EXPECT_EQ(0, jobs_->SendRecommendation(&r));
    EXPECT_EQ(0, r.kind);
    EXPECT_EQ(0, jobs_->SendRecommendation(nullptr));
    EXPECT_EQ(0, jobs_->SendSkinData("data", 3));
    EXPECT_EQ(0, jobs_->SendSkinData(nullptr, 3));
    EXPECT_EQ(0, jobs_->ShowDeadStreams());
    EXPECT_EQ((std::vector<std::string>{"7 "}), g_status);
}

TEST_F(ServerJobsTest, AnOfferedInfoIsShownOnlyWhenTheServerOfferedOne) {
    EXPECT_EQ(0, jobs_->ShowOfferedUpdate());
    cUpdateInfoDoc answer;
    answer.INFOSTATUS = "0";
    answer.INFOURL = "http://info.example/none";
    jobs_->KeepOfferedInfo(answer);
    EXPECT_EQ(0, jobs_->ShowOfferedUpdate());
    answer.INFOSTATUS = "1";
    answer.INFOURL = "http://info.example/neu";
    answer.INFOCX = "320";
    answer.INFOCY = "-5";
    jobs_->KeepOfferedInfo(answer);
    answer.INFOSTATUS = "";   // a later answer without an offer keeps it
    jobs_->KeepOfferedInfo(answer);
    EXPECT_EQ(1, jobs_->ShowOfferedUpdate());
    EXPECT_EQ((std::vector<std::string>{"320x0 http://info.example/neu"}), g_info);
}

TEST_F(ServerJobsTest, ProgrammeTipsAreAskedOnceADay) {
    SYSTEMTIME t;
    GetLocalTime(&t);
    char today[16];
    wsprintfA(today, "%04d%02d%02d", t.wYear, t.wMonth, t.wDay);
    SetValue("ProgrammtippsDate", today);
    tdtest::HttpServer server;
    jobs_->SetServer(server.Host());
    EXPECT_EQ(-1, jobs_->UpdateProgrammTips());
    EXPECT_EQ((std::vector<std::string>{"65 3|0"}), g_status);
    EXPECT_TRUE(server.Requests().empty()) << "no request goes out";
}

}  // namespace
