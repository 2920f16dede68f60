// Every server request against the stand-in interface server: the fields it
// sends, how its answer is taken, the offline rules and the retry of the
// version report.
#include <gtest/gtest.h>

#include "ifserver.h"
#include "player_cipher.h"
#include "registry.h"
#include "requests.h"
#include "tdtest.h"
#include "xml_core.h"

namespace {

using ifserver::Fault;
using ifserver::InterfaceServer;

std::string StationDbText(int stations) {
    cStationDbDoc db;
    for (int i = 1; i <= stations; ++i) {
        auto se = std::make_unique<cSenderDoc>();
        se->N = "Station " + std::to_string(i);
        se->Id = std::to_string(i);
        db.senders.push_back(std::move(se));
        auto st = std::make_unique<cStreamDoc>();
        st->Id = static_cast<uint32_t>(i);
        st->CID = static_cast<uint32_t>(i);
        st->U = "http://stream" + std::to_string(i) + ".example/live.mp3?a=1&b=2";
        db.streams.push_back(std::move(st));
    }
    return db.WriteText();
}

int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

std::string Element(const std::string& text, const char* name) {
    std::string out;
    GetElementText(text, name, &out);
    return out;
}

class RequestsTest : public ::testing::Test {
protected:
    RequestsTest() : reg_(GetSettingsKeyName()) {
        SetValue("PathUser", folder_.Path().c_str());
        client_.reset(new cOnlineClient(nullptr, nullptr, nullptr));
        client_->SetServerName(server_.Host().c_str());
    }
    std::string LastRequest() const {
        auto r = server_.Requests();
        return r.empty() ? std::string() : r.back();
    }
    void GoOffline() {
        SetValue("OfflinePlayer", 1);
        client_.reset(new cOnlineClient(nullptr, nullptr, nullptr));
        client_->SetServerName(server_.Host().c_str());
    }

    tdtest::RegistrySandbox reg_;
    tdtest::TempFolder folder_{"req"};
    InterfaceServer server_;
    std::unique_ptr<cOnlineClient> client_;
};

TEST_F(RequestsTest, RecommendationEscapesEveryFieldOnceAndCarriesUtf8) {
    // The player's text is in the code page of the system (here "ö" is 0xF6);
    // the request declares UTF-8 and must carry it.
    ASSERT_EQ(GetACP(), 1252u);
    EXPECT_EQ(1, client_->SendEmpfehlung("4711", 99, 2, "Anna & Ben", "a@x.de", "Carl", "c&amp;d@x.de",
                                         "H\xF6r mal <b>rein</b> & staune", 1));
    const std::string req = LastRequest();
    EXPECT_EQ("Empfehlung2", InterfaceServer::RootOf(req));
    EXPECT_EQ("Anna &amp; Ben", Element(req, "Von"));
    EXPECT_EQ("c&amp;amp;d@x.de", Element(req, "AnAdr"));
    EXPECT_EQ("Hör mal &lt;b&gt;rein&lt;/b&gt; &amp; staune", Element(req, "Nachricht"));
    EXPECT_EQ("99", Element(req, "Id"));
    EXPECT_EQ("2", Element(req, "Typ"));
    EXPECT_EQ("1", Element(req, "Language"));
    EXPECT_EQ(0, Count(req, "<b>"));
}

TEST_F(RequestsTest, ReportsWithoutAnAnswerFail) {
    std::vector<ListenRecord> one(1);
    // Answered: the status text is not evaluated.
    server_.SetReply("RunInfo2", "<status>ERROR</status>");
    EXPECT_EQ(1, client_->SetPlayTime("4711", one, "Agent", 1));
    EXPECT_EQ(1, client_->SendSkinData("4711", "12", "x"));
    EXPECT_EQ(1, client_->SendEmpfehlung("4711", 1, 1, "", "", "", "", "", 1));
    // Nothing came back: the caller must keep its records and not say "sent".
    for (Fault f : {Fault::kStatus500, Fault::kCut}) {
        server_.SetFault(f);
        EXPECT_EQ(0, client_->SetPlayTime("4711", one, "Agent", 1));
        EXPECT_EQ(0, client_->SendSkinData("4711", "12", "x"));
        EXPECT_EQ(0, client_->SendEmpfehlung("4711", 1, 1, "", "", "", "", "", 1));
    }
}

TEST_F(RequestsTest, ListeningReportHasOneItemPerRecordInEachList) {
    std::vector<ListenRecord> recs(3);
    for (int i = 0; i < 3; ++i) {
        recs[i].start = 1765000000u + i * 3600;
        recs[i].stop = recs[i].start + 600;
        recs[i].connectTime = 100 + i;
        recs[i].streamId = i == 1 ? -1 : 10 + i;
        recs[i].quality = 128;
        recs[i].userUrl = i == 1 ? "http://own.example/?a=1&b=2" : "";
        recs[i].skinId = "7";
    }
    ASSERT_EQ(1, client_->SetPlayTime("4711", recs, "VelmirantAgent", 2));
    const std::string req = LastRequest();
    EXPECT_EQ("RunInfo2", InterfaceServer::RootOf(req));
    EXPECT_EQ("VelmirantAgent", Element(req, "Agent"));
    EXPECT_EQ("<v>10</v><v>-1</v><v>12</v>", Element(req, "StreamIds"));
    EXPECT_EQ("<v>100</v><v>101</v><v>102</v>", Element(req, "ConnectTimes"));
    EXPECT_EQ("<v></v><v>http://own.example/?a=1&amp;b=2</v><v></v>", Element(req, "UserUrls"));
    EXPECT_EQ("<v>7</v><v>7</v><v>7</v>", Element(req, "SId"));
    for (const char* list : {"StreamIds", "FromTimes", "TillTimes", "ConnectTimes", "Qualitys", "UserUrls", "SId"})
        EXPECT_EQ(3, Count(Element(req, list), "<v>")) << list;
    const std::string from = Element(req, "FromTimes");
    ASSERT_GE(from.size(), 3u + 14);
    EXPECT_EQ(std::string::npos, from.substr(3, 14).find_first_not_of("0123456789"));
    EXPECT_EQ("2", Element(req, "Language"));
}

TEST_F(RequestsTest, TopListLeavesOutZeroAndNonNumbers) {
    server_.SetReply("GetTops", "<ArrayTops><v>3</v><v>0</v><v>abc</v><v>17</v></ArrayTops><datum>20261210</datum>");
    std::string date;
    EXPECT_EQ((std::vector<int32_t>{3, 17}), client_->GetTopSender("4711", &date));
    EXPECT_EQ("20261210", date);
    EXPECT_EQ("4711", Element(LastRequest(), "PId"));
    server_.SetReply("GetTops", "<ArrayTops></ArrayTops><datum>1</datum>");
    date = "old";
    EXPECT_TRUE(client_->GetTopSender("4711", &date).empty());
    EXPECT_EQ("old", date);
    server_.SetFault(Fault::kStatus404);
    EXPECT_TRUE(client_->GetTopSender("4711", &date).empty());
}

TEST_F(RequestsTest, DatabaseUpdateAnswers) {
    server_.ServeStationDb("/db/new.gz", StationDbText(3));
    struct Case {
        const char* name;
        std::string reply;
        int result;
        const char* time;
        size_t stations;
    } cases[] = {
        {"time without address: current", "<GetDBUpdate3Resp><DbTime>20261201</DbTime></GetDBUpdate3Resp>", 1,
         "20261201", 0},
        {"no reply element", "<Other><DbTime>1</DbTime><URL>x</URL></Other>", 0, "", 0},
        {"new database", "<GetDBUpdate3Resp><DbTime>20261205</DbTime><URL>" + server_.Url("/db/new.gz") +
                             "</URL></GetDBUpdate3Resp>", 1, "20261205", 3},
        {"address that fails", "<GetDBUpdate3Resp><DbTime>2</DbTime><URL>" + server_.Url("/db/none.gz") +
                                   "</URL></GetDBUpdate3Resp>", 0, "2", 0},
    };
    for (const Case& c : cases) {
        server_.SetReply("GetDBUpdate3", c.reply);
        std::unique_ptr<cDbTimeDoc> time;
        std::unique_ptr<cStationDbDoc> db;
        EXPECT_EQ(c.result, client_->GetDBVersion("4711", "20260101", &time, &db)) << c.name;
        ASSERT_TRUE(time) << c.name;
        EXPECT_EQ(c.time, time->playerDbTime) << c.name;
        EXPECT_EQ(c.stations, db ? db->senders.size() : 0u) << c.name;
        EXPECT_FALSE(folder_.Exists("_tempdb.rdb")) << c.name;
    }
    const std::string req = LastRequest();
    EXPECT_EQ("4711", Element(req, "PId"));
    EXPECT_EQ("20260101", Element(req, "DbTime"));
}

TEST_F(RequestsTest, DamagedDatabaseDownloadsAreRefused) {
    std::string good = EncipherPadded(tdtest::GzipBytes(StationDbText(2)), 0xFD);
    std::string otherKey = good;
    otherKey[3] = static_cast<char>(otherKey[3] ^ 0x55);
    struct Case {
        const char* name;
        std::string body;
        int result;
    } cases[] = {
        {"whole", good, 1},
        {"truncated", good.substr(0, good.size() / 2), 0},
        {"cut inside a block", good.substr(0, good.size() - 5), 0},
        {"damaged block", otherKey, 0},
        {"empty", "", 0},
        {"gzip of no database", EncipherPadded(tdtest::GzipBytes("<html>nothing</html>"), 0xFD), 0},
        {"plain text", "not enciphered at all", 0},
    };
    for (const Case& c : cases) {
        server_.ServeFile("/db/x.gz", c.body);
        server_.SetReply("GetDBUpdate3",
                         "<GetDBUpdate3Resp><DbTime>3</DbTime><URL>" + server_.Url("/db/x.gz") + "</URL></GetDBUpdate3Resp>");
        std::unique_ptr<cDbTimeDoc> time;
        std::unique_ptr<cStationDbDoc> db;
        EXPECT_EQ(c.result, client_->GetDBVersion("1", "0", &time, &db)) << c.name;
        EXPECT_EQ(c.result == 1, db != nullptr) << c.name;
    }
}

TEST_F(RequestsTest, VersionReportFields) {
    VersionReportInfo info;
    info.playerVersion = "1.2.3.4";
    info.skinName = "zentorraface";
    info.skinVersion = "1.1.7";
    info.skinId = 12;
    info.osMajor = 6;
    info.osMinor = 1;
    info.osBuild = 7601;
    info.osPlatform = 2;
    info.osServicePack = "Service Pack 1 & more";
    info.oem = 1;
    std::unique_ptr<cUpdateInfoDoc> doc;
    EXPECT_EQ(0, client_->SendVersionInfo("4711", &doc, 1, 2, &info));
    ASSERT_TRUE(doc);
    EXPECT_EQ("4711", doc->PId);
    EXPECT_EQ("1.2.0.0", doc->Version);
    const std::string req = LastRequest();
    EXPECT_EQ("<Version>1.2.3.4</Version><PId>4711</PId><Skin>zentorraface</Skin><SkinVersion>1.1.7</SkinVersion>"
              "<SkinKey>12</SkinKey><SysMaVer>6</SysMaVer><SysMiVer>1</SysMiVer><SysBNumber>7601</SysBNumber>"
              "<SysPlatformID>2</SysPlatformID><SysTextInfo>Service Pack 1 &amp; more</SysTextInfo>"
              "<SysError>1</SysError><IsOEM>1</IsOEM><Language>2</Language>",
              Element(req, "UpdatePlayerInfo2"));
    // Read from the running system when the caller gives nothing.
    EXPECT_EQ(0, client_->SendVersionInfo("4711", &doc, 0, 1));
    EXPECT_NE("0", Element(LastRequest(), "SysMaVer"));
}

TEST_F(RequestsTest, VersionReportRetriesOnlyAFaultOfANewInstallation) {
    static const char kMalformed[] = "<Fehler>kaputt</Fehler>";
    static const char kOfferOnly[] =
        "<UpdatePlayerInfo2Resp><INFOSTATUS>1</INFOSTATUS><INFOURL>http://x/info</INFOURL></UpdatePlayerInfo2Resp>";
    VersionReportInfo info;
    struct Case {
        const char* name;
        const char* id;
        const char* reply;   // null: the server's usual answer
        Fault fault;
        size_t requests;
        bool handed;
    } cases[] = {
        {"new installation, fault", "", kMalformed, Fault::kNone, 2, false},
        {"id 0, fault", "0", kMalformed, Fault::kNone, 2, false},
        {"known id, fault", "4711", kMalformed, Fault::kNone, 1, false},
        {"new installation, no answer", "", nullptr, Fault::kStatus500, 1, false},
        {"new installation, answer", "", nullptr, Fault::kNone, 1, true},
        {"answer with an offer but no id", "", kOfferOnly, Fault::kNone, 1, true},
    };
    for (const Case& c : cases) {
        InterfaceServer server;
        client_->SetServerName(server.Host().c_str());
        if (c.reply) server.SetReply("UpdatePlayerInfo2", c.reply);
        server.SetFault(c.fault);
        std::unique_ptr<cUpdateInfoDoc> doc;
        DWORD t0 = GetTickCount();
        EXPECT_EQ(0, client_->SendVersionInfo(c.id, &doc, 0, 1, &info, 300)) << c.name;
        DWORD took = GetTickCount() - t0;
        EXPECT_EQ(c.requests, server.Requests().size()) << c.name;
        if (c.requests == 2) {
            EXPECT_GE(took, 250u) << c.name;
        }
        EXPECT_EQ(c.handed, doc != nullptr) << c.name;
        if (c.reply == kOfferOnly && doc) {
            EXPECT_EQ("http://x/info", doc->INFOURL);
        }
    }
}

TEST_F(RequestsTest, ListsTipsLockedStreamsAndDownloadLocation) {
    std::unique_ptr<cListItemsDoc> items;
    EXPECT_EQ(1, client_->GetListItems(&items, 5));
    ASSERT_TRUE(items);
    EXPECT_EQ("5", items->list);
    ASSERT_EQ(3u, items->V.size());
    EXPECT_EQ("Kunst & Kultur", items->V[2]);

    std::vector<std::unique_ptr<cProgrammtipp>> tips;
    EXPECT_EQ(1, client_->GetListenProgrammtipps(&tips));
    ASSERT_EQ(2u, tips.size());
    EXPECT_EQ("Jazz & Blues", tips[0]->title);

    std::vector<std::string> locked;
    EXPECT_EQ(1, client_->GetListenAvoidDeadStreams(&locked));
    EXPECT_EQ((std::vector<std::string>{"12", "34"}), locked);

    std::string address = "unchanged";
    EXPECT_EQ(1, client_->GetDownloadlocation("lame", &address));
    EXPECT_EQ("http://127.0.0.1/files/setup.exe", address);
    EXPECT_EQ("lame", Element(LastRequest(), "GiveMe"));
    server_.SetReply("GetDownloadLocation", "<nothing/>");
    address = "unchanged";
    EXPECT_EQ(1, client_->GetDownloadlocation("lame", &address));
    EXPECT_EQ("unchanged", address);
}

TEST_F(RequestsTest, WholeDirectoryIsWrittenFromItsDeclaration) {
    server_.SetReply("GetSenderStream2", "junk before<?xml version=\"1.0\"?><All><Se>1</Se></All>");
    const std::string path = folder_.File("all.xml");
    {
        HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, f);
        EXPECT_EQ(1, client_->GetAllDB(f));
        CloseHandle(f);
    }
    EXPECT_EQ("<?xml version=\"1.0\"?><All><Se>1</Se></All>", folder_.Read("all.xml"));
    EXPECT_EQ("dbpacker", Element(LastRequest(), "Agent"));
    server_.SetReply("GetSenderStream2", "<no declaration/>");
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    EXPECT_EQ(0, client_->GetAllDB(f));
    CloseHandle(f);
}

TEST_F(RequestsTest, OfflineNothingReachesTheServer) {
    // The offline version report records the offline skin's id instead.
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string dir = self;
    dir.resize(dir.find_last_of('\\'));
    SetValue("OfflineSkinDir", dir.c_str());
    SetValue("SKIN", "update_standin.exe");
    GoOffline();
    std::unique_ptr<cDbTimeDoc> time;
    std::unique_ptr<cStationDbDoc> db;
    EXPECT_EQ(0, client_->GetDBVersion("1", "0", &time, &db));
    EXPECT_FALSE(time);
    std::unique_ptr<cListItemsDoc> items;
    EXPECT_EQ(0, client_->GetListItems(&items, 1));
    std::vector<std::unique_ptr<cProgrammtipp>> tips;
    EXPECT_EQ(0, client_->GetListenProgrammtipps(&tips));
    std::vector<std::string> locked;
    EXPECT_EQ(0, client_->GetListenAvoidDeadStreams(&locked));
    std::string address = "x";
    EXPECT_EQ(1, client_->GetDownloadlocation("lame", &address));
    EXPECT_EQ("x", address);
    std::unique_ptr<cUpdateInfoDoc> doc;
    EXPECT_EQ(0, client_->SendVersionInfo("", &doc, 0, 1));
    EXPECT_FALSE(doc);
    char skinId[20] = "unset";
    GetValue("aktSkinId", skinId, sizeof skinId);
    EXPECT_STREQ("0", skinId);
    EXPECT_EQ(0, client_->GetPlayerUpdate(1000, server_.Url("/u.exe").c_str()));
    std::string skin;
    EXPECT_EQ(0, client_->GetSkinUpdate(1000, server_.Url("/s.za").c_str(), &skin));
    EXPECT_TRUE(server_.RawRequests().empty());
}

}  // namespace
