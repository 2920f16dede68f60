// The callback's list actions over a user data store in a temporary user
// folder: the timer list written, reloaded and pushed, programme tips opened
// and cleared of ended ones, own stations and station details pushed, and
// homepages that reach the browser only as web addresses.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core_actions.h"
#include "core_test_support.h"
#include "online_host.h"
#include "player_globals.h"
#include "registry.h"
#include "reply_docs.h"
#include "settings.h"
#include "tdtest.h"
#include "timerentry.h"
#include "user_data_store.h"

namespace {

std::mutex g_mu;
std::vector<std::string> g_calls;
void Rec(const std::string& s) {
    std::lock_guard<std::mutex> l(g_mu);
    g_calls.push_back(s);
}
std::vector<std::string> Take() {
    std::lock_guard<std::mutex> l(g_mu);
    std::vector<std::string> c;
    c.swap(g_calls);
    return c;
}
std::string T(const char* s) { return s ? s : "(null)"; }

void DClear(int kind) { Rec("ClearList " + std::to_string(kind)); }
void DTimer(cTimerEntry* e) { Rec(e ? std::string("AddToTimerEntrie ") + e->GetName() : "AddToTimerEntrie (null)"); }
void DTip(const char* text, int id, const char*) { Rec("AddToProgrammtipps " + std::to_string(id) + (text ? "" : " end")); }
void DOwn(const char* text, int id) { Rec("AddUserDefinedSender " + std::to_string(id) + (text ? "" : " end")); }
void DFav(const char* text, int id, int) { Rec("AddToFavoriten " + std::to_string(id) + (text ? "" : " end")); }
void DDetails(const char*, int id, const char* name, const char*, int, int, const char*, const char*, const char*) {
    Rec("GetDetails " + std::to_string(id) + " " + T(name));
}

class BrowserActions : public td::cCoreActions {
public:
    using cCoreActions::cCoreActions;
    void OpenBrowser(const char* address) override { Rec(std::string("OpenBrowser ") + address); }
};

class CoreListsTest : public ::testing::Test {
protected:
    CoreListsTest() : folder_("clists"), user_(folder_.User()), store_(folder_.Store()) {
        skin_.ClearList = DClear;
        skin_.AddToTimerEntrie = DTimer;
        skin_.AddToProgrammtipps = DTip;
        skin_.AddUserDefinedSender = DOwn;
        skin_.AddToFavoriten = DFav;
        skin_.GetDetails = DDetails;
        recording_.reset(new td::cRecordingControl(&settings_, nullptr));
        actions_.reset(new BrowserActions(&settings_, store_, recording_.get(), skin_));
        Take();
        td::ResetCallbackFlags();
        td::SetCallbackTarget(actions_.get());
    }
    ~CoreListsTest() override {
        td::SetCallbackTarget(nullptr);
        td::WaitForCallbackWorkers(30000);
    }

    coretest::StoreFolder folder_;
    const tdtest::TempFolder& user_;
    cUserDataStore* store_;
    cSettings settings_;
    td::SkinListApi skin_;
    std::unique_ptr<td::cRecordingControl> recording_;
    std::unique_ptr<BrowserActions> actions_;
};

TEST_F(CoreListsTest, ChangedTimerListIsWrittenReloadedAndPushed) {
    cListe list;
    auto* e = new cTimerEntry;
    e->SetName("Morgenshow");
    e->SetChannelID(7);
    e->SetAction(TA_RECORD);
    list.Add(e);
    td::InfoCallback(53, 0, &list);
    EXPECT_TRUE(user_.Exists("clockwarden.ini"));
    EXPECT_EQ(1, store_->GetTimerList()->GetAnzElement());
    const std::vector<std::string> pushed = {"ClearList 15", "AddToTimerEntrie Morgenshow", "AddToTimerEntrie (null)"};
    EXPECT_EQ(pushed, Take());

    // Without a list the stored one is reloaded (not doubled) and pushed again.
    td::InfoCallback(53, 0, nullptr);
    EXPECT_EQ(1, store_->GetTimerList()->GetAnzElement());
    EXPECT_EQ(pushed, Take());
}

TEST_F(CoreListsTest, ProgrammeTipsOpenOnlyWebLinksAndEndedOnesAreCleared) {
    std::vector<std::unique_ptr<cProgrammtipp>> tips;
    auto add = [&](const char* id, const char* start, const char* link) {
        tips.emplace_back(new cProgrammtipp);
        tips.back()->tippId = id;
        tips.back()->start = start;
        tips.back()->stop = start;
        tips.back()->title = "Tipp";
        tips.back()->link = link;
    };
    add("11", "209901011200", "http://tip.example/konzert");
    add("12", "200001011200", "http://tip.example/alt");
    add("13", "209901021200", "C:\\Windows\\evil.exe");
    ASSERT_EQ(1, store_->SaveProgrammtipps(tips));

    td::InfoCallback(64, 11, nullptr);
    td::InfoCallback(64, 13, nullptr);   // not a web address: nothing runs
    td::InfoCallback(64, 99, nullptr);   // no such tip
    EXPECT_EQ((std::vector<std::string>{"OpenBrowser http://tip.example/konzert"}), Take());

    // Pushed with the stored ones (old ones kept by the setting -1) ...
    settings_.SetDeleteOldPrgTipps(-1);
    actions_->PushProgrammTips();
    EXPECT_EQ((std::vector<std::string>{"ClearList 16", "AddToProgrammtipps 11", "AddToProgrammtipps 12",
                                        "AddToProgrammtipps 13", "AddToProgrammtipps 0 end"}),
              Take());
    // ... and the skin's "delete expired tips" leaves only those still to come.
    td::InfoCallback(66, 0, nullptr);
    ASSERT_TRUE(td::WaitForCallbackWorkers(30000));
    EXPECT_EQ((std::vector<std::string>{"ClearList 16", "AddToProgrammtipps 11", "AddToProgrammtipps 13",
                                        "AddToProgrammtipps 0 end"}),
              Take());

    // An update the user asks for is not held back by today's date.
    SetValue("ProgrammtippsDate", "20991231");
    td::InfoCallback(65, 0, nullptr);
    ASSERT_TRUE(td::WaitForCallbackWorkers(30000));
    char date[32] = "x";
    GetValue("ProgrammtippsDate", date, sizeof date);
    EXPECT_STREQ("", date);
}

TEST_F(CoreListsTest, OwnStationsArePushedAndShowDetailsAndHomepage) {
    std::string fields = std::string("Mein Sender\x02") + "10\x02" "2\x02" "49\x02" "1\x02" "Text\x02" "3\x02" +
                         "http://stream.example/\x02" "http://home.example/";
    td::InfoCallback(49, 0, const_cast<char*>(fields.c_str()));
    std::vector<std::string> got = Take();
    ASSERT_FALSE(got.empty());
    EXPECT_NE(got.end(), std::find(got.begin(), got.end(), "ClearList 14"));
    EXPECT_NE(got.end(), std::find(got.begin(), got.end(), "AddUserDefinedSender -65535"));
    EXPECT_NE(got.end(), std::find(got.begin(), got.end(), "AddUserDefinedSender 0 end"));

    td::InfoCallback(14, -65535, nullptr);
    td::InfoCallback(14, 4711, nullptr);   // unknown: no details view
    td::InfoCallback(5, -65535, nullptr);
    td::InfoCallback(5, 4711, nullptr);    // no homepage: nothing opens
    ASSERT_TRUE(td::WaitForCallbackWorkers(30000));
    got = Take();
    std::sort(got.begin(), got.end());
    EXPECT_EQ((std::vector<std::string>{"GetDetails -65535 Mein Sender", "OpenBrowser http://home.example/"}), got);

    // The own station's homepage is a text the user typed: only web addresses open.
    fields = std::string("Anders\x02") + "10\x02" "2\x02" "49\x02" "1\x02" "Text\x02" "3\x02" + "http://s/\x02" +
             "\\\\server\\share\\x.exe";
    td::InfoCallback(49, -65535, const_cast<char*>(fields.c_str()));
    Take();
    td::InfoCallback(5, -65535, nullptr);
    ASSERT_TRUE(td::WaitForCallbackWorkers(30000));
    EXPECT_TRUE(Take().empty());
}

}  // namespace
