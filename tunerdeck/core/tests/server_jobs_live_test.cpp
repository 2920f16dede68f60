// Server jobs against the stand-in interface server: the top stations and
// the programme tips replaced, merged, dated and pushed; a recommendation
// taken; the streams to avoid shown as search results.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "../../online/tests/ifserver.h"
#include "core_test_support.h"
#include "list_push.h"
#include "online_host.h"
#include "player_globals.h"
#include "registry.h"
#include "server_jobs.h"
#include "settings.h"
#include "tdtest.h"
#include "user_data_store.h"

// The online tests' stand-in server, built into this program as well.
#include "../../online/tests/ifserver.cpp"

namespace {

std::mutex g_mu;
std::vector<std::string> g_calls;
void Rec(const std::string& s) {
    std::lock_guard<std::mutex> l(g_mu);
    g_calls.push_back(s);
}
std::string T(const char* s) { return s ? s : "(null)"; }
void DClear(int kind) { Rec("ClearList " + std::to_string(kind)); }
void DTop(const char* text, int id, const char* date) { Rec("AddToTopTen " + std::to_string(id) + " " + T(date)); }
void DTip(const char* text, int id, const char* date) {
    std::string t = T(text);
    for (char& c : t)
        if (c == '\x02') c = '|';
    Rec("AddToProgrammtipps " + t + " " + std::to_string(id) + " " + T(date));
}
void DSearch(const char* text, int id) {
    if (text) Rec("SearchResult " + std::to_string(id));
}
int DStatus(char* text, int code) {
    Rec("Status " + std::to_string(code) + " " + T(text));
    return 1;
}

std::string Today() { return td::TodayText(); }

class ServerJobsLiveTest : public ::testing::Test {
protected:
    ServerJobsLiveTest() : folder_("sjlive"), user_(folder_.User()), store_(folder_.Store()) {
        skin_.ClearList = DClear;
        skin_.AddToTopTen = DTop;
        skin_.AddToProgrammtipps = DTip;
        skin_.SearchResult = DSearch;
        skin_.ReceiveStatus = DStatus;
        jobs_.reset(new td::cServerJobs(&settings_, store_, skin_));
        jobs_->SetServer(server_.Host());
        g_calls.clear();
    }
    // Calls whose text starts with `prefix`.
    static std::vector<std::string> Calls(const std::string& prefix) {
        std::vector<std::string> out;
        for (const std::string& c : g_calls)
            if (c.compare(0, prefix.size(), prefix) == 0) out.push_back(c);
        return out;
    }
    int Asked(const char* root) const {
        int n = 0;
        for (const std::string& r : server_.Requests()) n += ifserver::InterfaceServer::RootOf(r) == root;
        return n;
    }

    coretest::StoreFolder folder_;
    const tdtest::TempFolder& user_;
    cUserDataStore* store_;
    ifserver::InterfaceServer server_;
    cSettings settings_;
    td::SkinListApi skin_;
    std::unique_ptr<td::cServerJobs> jobs_;
};

TEST_F(ServerJobsLiveTest, TopStationsAreReplacedSavedDatedAndPushed) {
    jobs_->UpdateTopStations();
    cListe* tops = store_->LockTopSender();
    std::vector<unsigned long> ids;
    for (cListElement* e = tops->First(); e; e = e->Next()) ids.push_back(e->GetId());
    store_->UnlockTopSender();
    EXPECT_EQ((std::vector<unsigned long>{3, 1, 2}), ids);
    EXPECT_TRUE(user_.Exists("radiott.rdb"));
    char date[32] = {};
    GetValue("TopSenderDate", date, sizeof date);
    EXPECT_EQ(Today(), date);
    EXPECT_EQ((std::vector<std::string>{"ClearList 8"}), Calls("ClearList"));
    EXPECT_EQ((std::vector<std::string>{"AddToTopTen 3 (null)", "AddToTopTen 1 (null)", "AddToTopTen 2 (null)",
                                        "AddToTopTen 0 " + Today()}),
              Calls("AddToTopTen"));
    EXPECT_EQ(0u, g_calls.front().find("Status 0 Aktualisiere Topsender"));
    EXPECT_EQ(0u, g_calls.back().find("Status 0 Topsender aktualisiert"));
}

TEST_F(ServerJobsLiveTest, ProgrammeTipsAreMergedDatedPushedAndAskedOnceADay) {
    // A tip known since an earlier day keeps its reception date (and its
    // genre and timer name); its times, names, title and link follow the server.
    std::vector<std::unique_ptr<cProgrammtipp>> known;
    known.emplace_back(new cProgrammtipp);
    known.back()->tippId = "77";
    known.back()->start = "202612241800";
    known.back()->title = "alt";
    known.back()->received = "20200101";
    ASSERT_EQ(1, store_->SaveProgrammtipps(known));
    SetValue("ProgrammtippsDate", "20200101");
    settings_.SetDeleteOldPrgTipps(-1);

    EXPECT_EQ(2, jobs_->UpdateProgrammTips());
    char date[32] = {};
    GetValue("ProgrammtippsDate", date, sizeof date);
    EXPECT_EQ(Today(), date);
    EXPECT_EQ((std::vector<std::string>{"Status 65 3|2"}), Calls("Status"));
    EXPECT_EQ((std::vector<std::string>{
                  "AddToProgrammtipps 202612241800|202612241900|Jazz & Blues||Radio Eins|Eins Live|1|0|"
                  "http://127.0.0.1/t| 77 (null)",
                  "AddToProgrammtipps 202612250600||Morgen||Zwei||2|1|| 78 (null)",
                  "AddToProgrammtipps (null) 0 " + Today()}),
              Calls("AddToProgrammtipps"));
    EXPECT_EQ(1, Asked("GetProgrammtipp"));

    g_calls.clear();
    EXPECT_EQ(-1, jobs_->UpdateProgrammTips());
    EXPECT_EQ((std::vector<std::string>{"Status 65 3|0"}), g_calls);
    EXPECT_EQ(1, Asked("GetProgrammtipp"));
}

TEST_F(ServerJobsLiveTest, RecommendationIsTakenAndDeadStreamsShowTheirStations) {
    td::RecommendationRecord r = {};
    r.kind = 2;
    r.id = 5;
    r.item = "Radio";
    strcpy(r.senderName, "Anna");
    strcpy(r.recipientName, "Ben");
    strcpy(r.senderMail, "anna@example.org");
    memset(r.recipientMail, 'b', sizeof r.recipientMail);   // no end inside its field
    memset(r.message, 'm', sizeof r.message);               // no end inside its field
    EXPECT_EQ(1, jobs_->SendRecommendation(&r));
    EXPECT_EQ(1, r.kind);
    EXPECT_EQ(1, Asked("Empfehlung2"));
    // The texts go out in the server's order, each cut inside its field:
    // the message keeps 1023 characters (its last byte is the end).
    std::string request;
    for (const std::string& q : server_.Requests())
        if (ifserver::InterfaceServer::RootOf(q) == "Empfehlung2") request = q;
    const std::string fields = "<Typ>2</Typ><Von>Anna</Von><VonAdr>anna@example.org</VonAdr><An>Ben</An><AnAdr>" +
                               std::string(80, 'b') + "</AnAdr><Id>5</Id><Nachricht>" + std::string(1023, 'm') +
                               "</Nachricht>";
    EXPECT_NE(request.find(fields), std::string::npos) << request;

    // Streams 12 and 34 belong to one channel: it is shown once.
    cSenderDoc se;
    se.N = "Sender";
    se.Id = "5";
    cChannelDoc ch;
    ch.N = "Kanal";
    ch.Id = "5";
    ch.SID = "5";
    store_->LockSenderList()->Add(new cSenderElement(se));
    store_->LockChannelList()->Add(new cChannelElement(ch));
    cListe* streams = store_->LockStreamList();
    for (uint32_t id : {12u, 34u}) {
        cStreamDoc st;
        st.Id = id;
        st.CID = 5;
        st.U = "http://s.example/" + std::to_string(id);
        streams->Add(new cStreamElement(st));
    }
    store_->UnlockStreamList();
    store_->UnlockChannelList();
    store_->UnlockSenderList();
    g_calls.clear();
    EXPECT_EQ(1, jobs_->ShowDeadStreams());
    EXPECT_EQ((std::vector<std::string>{"SearchResult 5", "Status 7 "}), g_calls);
}

}  // namespace
