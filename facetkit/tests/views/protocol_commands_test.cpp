// Protocol texts: the split and number rules, and what each keyword asks of
// the main window, recorded by a fake target.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "protocol_commands.h"
#include "recording_record.h"
#include "timerentry.h"

namespace {

std::vector<std::string> Split(const std::string& text) {
    ProtocolFields f;
    SplitProtocolText(text.data(), text.size(), &f);
    return std::vector<std::string>(f.field, f.field + f.count);
}

TEST(ProtocolText, SplitRules) {
    using V = std::vector<std::string>;
    EXPECT_EQ(Split("TUNERDECK://|STREAMID|4711"), (V{"TUNERDECK://", "STREAMID", "4711"}));
    EXPECT_EQ(Split("||a||b\n\xA0" "c|"), (V{"a", "b", "c"}));
    EXPECT_EQ(Split(""), V{});
    EXPECT_EQ(Split("|||"), V{});
    std::string many;
    for (int i = 0; i < 30; ++i) many += std::to_string(i) + "|";
    V twenty = Split(many);
    ASSERT_EQ(twenty.size(), 20u);
    EXPECT_EQ(twenty.back(), "19");
    // The length bounds the read, and so does a zero.
    EXPECT_EQ(Split(std::string("a|b\0|c", 6)), (V{"a", "b"}));
    ProtocolFields f;
    SplitProtocolText("a|bcdef", 4, &f);
    EXPECT_EQ(f.count, 2);
    EXPECT_EQ(f.field[1], "bc");
    SplitProtocolText(nullptr, 10, &f);
    EXPECT_EQ(f.count, 0);
}

TEST(ProtocolText, Numbers) {
    struct Case {
        const char* text;
        unsigned long u;
        long s;
    } cases[] = {
        {"4711", 4711, 4711}, {"12abc", 12, 12},        {"abc", 0, 0},
        {"-5", 0, -5},        {"+7", 0, 7},             {"", 0, 0},
        {"99999999999", 0xFFFFFFFFul, 0x7FFFFFFF},      {"-99999999999", 0, -0x7FFFFFFF - 1},
        {"4294967295", 0xFFFFFFFFul, 0x7FFFFFFF},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ProtocolUnsigned(c.text), c.u) << c.text;
        EXPECT_EQ(ProtocolSigned(c.text), c.s) << c.text;
    }
    EXPECT_EQ(ProtocolUnsigned(nullptr), 0u);
    EXPECT_EQ(ProtocolSigned(nullptr), 0);
}

TEST(ProtocolText, CopyDataIsBoundedByItsSize) {
    const char payload[] = {'a', 'b', 'c'};
    EXPECT_EQ(CopyDataText(payload, 3), "abc");
    EXPECT_EQ(CopyDataText(payload, 0), "");
    EXPECT_EQ(CopyDataText(nullptr, 5), "");
    EXPECT_EQ(CopyDataText("x\0y", 3), "x");
    std::string big(kProtocolMaxText + 100, 'q');
    EXPECT_EQ(CopyDataText(big.data(), big.size()).size(), kProtocolMaxText);
}

class FakeTarget : public cProtocolTarget {
public:
    std::vector<std::string> calls;
    int recording = 0, playing = 0, oem = 0, shutdownDue = 0;
    bool skinAnswer = true;   // the user's answer to a skin link
    long recordingOf = -1;   // the timer entry of the running recording (-1: by hand)
    unsigned long last = 0;
    std::map<long, cTimerEntry*> timers;
    RecordingStartRecord lastRecord = {};
    ~FakeTarget() override {
        for (auto& t : timers) delete t.second;
    }
    void Add(long id, unsigned long channel, const char* name) {
        auto* e = new cTimerEntry();
        e->SetId(static_cast<unsigned long>(id));
        e->SetChannelID(channel);
        e->SetName(name);
        e->SetSendername("Radio");
        timers[id] = e;
    }
    void R(const std::string& s) { calls.push_back(s); }
    void Log(const char*) override {}
    int Callback(int code, int ch, void* text) override {
        R("cb " + std::to_string(code) + " " + std::to_string(ch) + (text ? std::string(" ") + static_cast<char*>(text) : ""));
        return 0;
    }
    void Pause(unsigned long) override {}
    void BringToFront() override { R("front"); }
    int IsRecording() override { return recording; }
    int RecordingBlocks(long id) override { return recording && (recordingOf == id || recordingOf < 0); }
    int IsPlaying() override { return playing; }
    unsigned long LastChannelId() override { return last; }
    int IsOemPlayer() override { return oem; }
    bool GetTimerEntry(long id, cTimerEntry* copy) override {
        auto it = timers.find(id);
        if (it == timers.end()) return false;
        *copy = *it->second;
        copy->SetId(it->second->GetId());
        return true;
    }
    int ShutdownEntryDue() override { return shutdownDue; }
    void SaveTimerList() override { R("save"); }
    void PostPlayChannel(unsigned long c) override { R("post1130 " + std::to_string(c)); }
    void StartTimerJobQuestion(unsigned long c, const cTimerEntry& e) override {
        R("question " + std::to_string(c) + " " + e.GetName());
    }
    void ShowTimerNotice(const cTimerEntry* e) override { R(std::string("notice ") + (e ? e->GetName() : "407")); }
    void PlayStream(unsigned long id) override { R("stream " + std::to_string(id)); }
    void PlayCustomUrl(int kind, const char* a) override { R("url " + std::to_string(kind) + " " + a); }
    void SetCurrentSelection(int id, const char* name) override { R("select " + std::to_string(id) + " [" + name + "]"); }
    void Close() override { R("close"); }
    bool ConfirmSkinFromLink() override {
        R("askskin");
        return skinAnswer;
    }
    void SetAdBanner(const char* a, int cx, int cy) override {
        R("banner " + std::string(a) + " " + std::to_string(cx) + "x" + std::to_string(cy));
    }
    void SetSuppressNotice() override { R("suppress"); }
    void AskShutdown(int autoYes) override { R("shutdown " + std::to_string(autoYes)); }
    void ShowReminder(const char* t) override { R(std::string("remind ") + t); }
    void TimerEntryFromProtocol(const char* const f[9]) override {
        std::string s = "timer";
        for (int i = 0; i < 9; ++i) s += std::string(" ") + (f[i] ? f[i] : "-");
        R(s);
    }
    void SubscribePodcast(const char* a) override { R(std::string("podcast ") + a); }
    void SlideNavigator() override { R("slide"); }
    void ShowFavouriteAdded() override { R("favnotice"); }
    void DefaultProfiles(char* q, size_t qs, char* c, size_t cs) override {
        snprintf(q, qs, "HostQ");
        snprintf(c, cs, "HostCut");
    }
    unsigned long NumberSetting(const char* name) override { return std::string(name) == "MP3_Bitrate" ? 192 : 1; }
    void StartRecording(RecordingStartRecord* r) override {
        lastRecord = *r;
        HeapFree(GetProcessHeap(), 0, r);
        R("record");
    }
};

std::vector<std::string> Handle(FakeTarget& t, const char* text) {
    t.calls.clear();
    HandleStartParams(t, text);
    if (!t.calls.empty() && t.calls[0] == "front") t.calls.erase(t.calls.begin());
    return t.calls;
}

using V = std::vector<std::string>;

TEST(ProtocolCommands, KeywordTable) {
    struct Case {
        const char* text;
        V calls;
    } cases[] = {
        {"TUNERDECK://|STREAMID|4711", {"stream 4711"}},
        {"tunerdeck://|streamid|4711", {"stream 4711"}},
        {"TUNERDECK:|STREAMID|4711x", {"stream 4711"}},
        {"TUNERDECK|STREAMID", {"stream 0"}},
        {"TUNERDECK://", {}},
        {"http://example.com|STREAMID|1", {}},
        {"TUNERDECK://|NOSUCH|1", {}},
        {"TUNERDECK://|INFO|468|60", {}},
        {"TUNERDECK://|INFO|468|60|http://b/x", {"banner http://b/x 468x60"}},
        {"TUNERDECK://|REC_STOP", {"suppress", "cb 39 0"}},
        {"TUNERDECK://|REC_STOP|1", {"suppress", "save", "cb 39 0"}},
        {"TUNERDECK://|PLAY_STOP|1", {"save", "cb 3 0"}},
        {"TUNERDECK://|QUIT", {"close"}},
        {"TUNERDECK://|SKINKEY|abc|7", {"askskin", "cb 31 7 abc", "close"}},
        {"TUNERDECK://|SHUTDOWN", {"shutdown 0"}},
        {"TUNERDECK://|REMIND|Tee", {"remind Tee"}},
        {"TUNERDECK://|PODCAST|http://f/rss", {"podcast http://f/rss"}},
        {"TUNERDECK://|OPEN_EXT", {"slide"}},
        {"TUNERDECK://|ADDTOFAV|42", {"cb 7 42", "favnotice"}},
        {"TUNERDECK://|CUSTOMURL|http://s|2|My|Radio", {"url 2 http://s", "select -1 [My Radio]"}},
        {"TUNERDECK://|CUSTOMURL|http://s|1|1|2|3|4|5|6|7|8|9|10|11|12|13",
         {"url 1 http://s", "select -1 [1 2 3 4 5 6 7 8 9 10 11]"}},
        // An empty name field is lost: the channel moves into its place.
        {"TUNERDECK://|TIMER||5|20260101120000",
         {"timer 5 20260101120000 - - - - - - -"}},
        {"TUNERDECK://|TIMER|Gr%C3%BCn|5|20260101120000|20260101130000|0|1|0|0|1",
         {"timer Gr\xFCn 5 20260101120000 20260101130000 0 1 0 0 1"}},
    };
    for (const Case& c : cases) {
        FakeTarget t;
        EXPECT_EQ(Handle(t, c.text), c.calls) << c.text;
    }
}

TEST(ProtocolCommands, SkinKeyIsIgnoredByAnOemPlayerAndShutdownAsksUnlessAnEntryIsDue) {
    FakeTarget t;
    t.oem = 1;
    EXPECT_EQ(Handle(t, "TUNERDECK://|SKINKEY|abc"), V{});
    t.oem = 0;
    t.skinAnswer = false;
    EXPECT_EQ(Handle(t, "TUNERDECK://|SKINKEY|abc|7"), V{"askskin"}) << "a skin the user declined stays away";
    t.shutdownDue = 1;
    EXPECT_EQ(Handle(t, "TUNERDECK://|SHUTDOWN"), V{"shutdown 1"});
    t.recording = 1;
    EXPECT_EQ(Handle(t, "TUNERDECK://|PLAY_STOP"), (V{"suppress", "cb 3 0"}));
}

TEST(ProtocolCommands, ChannelId) {
    FakeTarget t;
    t.Add(3, 77, "Morning");
    t.last = 10;
    EXPECT_EQ(Handle(t, "TUNERDECK://|CHANNELID|10"), V{"cb 1 10"});  // nothing plays
    t.playing = 1;
    EXPECT_EQ(Handle(t, "TUNERDECK://|CHANNELID|10"), V{});
    EXPECT_EQ(Handle(t, "TUNERDECK://|CHANNELID|10|0"), V{"save"});
    EXPECT_EQ(Handle(t, "TUNERDECK://|CHANNELID|11|1|3"), (V{"notice Morning", "save", "cb 1 11"}));
    EXPECT_EQ(Handle(t, "TUNERDECK://|CHANNELID|11|1|9"), (V{"notice 407", "save", "cb 1 11"}));
    t.recording = 1;
    EXPECT_EQ(Handle(t, "TUNERDECK://|CHANNELID|10|1|3"), V{});
    EXPECT_EQ(Handle(t, "TUNERDECK://|CHANNELID|11"), V{"post1130 11"});
    EXPECT_EQ(Handle(t, "TUNERDECK://|CHANNELID|11|1|3"), V{"question 11 Morning"});
    EXPECT_EQ(Handle(t, "TUNERDECK://|CHANNELID|11|1|9"), V{});
}

TEST(ProtocolCommands, RecStartBuildsTheRecordFromTheTimerEntry) {
    FakeTarget t;
    t.last = 77;
    t.Add(3, 77, "Own");
    t.timers[3]->SetUseDefault(0);
    t.timers[3]->SetQualitaet("CD");
    t.timers[3]->SetSchnittprofil("Cut");
    t.timers[3]->SetBitrate(128);
    t.timers[3]->SetKanaele(2);
    t.timers[3]->SetVBR(0);
    t.timers[3]->SetCreateFolder(1);
    t.Add(4, 88, "Default");
    t.timers[4]->SetUseDefault(1);

    EXPECT_EQ(Handle(t, "TUNERDECK://|REC_START|..\\..\\evil:name|1|3"), (V{"save", "record"}));
    EXPECT_EQ(t.lastRecord.timerEntryId, 3);
    EXPECT_EQ(t.lastRecord.createFolder, 1);
    EXPECT_STREQ(t.lastRecord.quality, "CD");
    EXPECT_STREQ(t.lastRecord.cutProfile, "Cut");
    EXPECT_EQ(t.lastRecord.mp3Bitrate, 128u);
    EXPECT_EQ(t.lastRecord.mp3Channels, 2);
    // The title cannot leave the recording folder.
    EXPECT_EQ(std::string(t.lastRecord.name).find_first_of("\\/:"), std::string::npos);

    EXPECT_EQ(Handle(t, "TUNERDECK://|REC_START|News|1|4"), (V{"save", "cb 1 88", "record"}));
    EXPECT_STREQ(t.lastRecord.quality, "HostQ");
    EXPECT_STREQ(t.lastRecord.cutProfile, "HostCut");
    EXPECT_EQ(t.lastRecord.mp3Bitrate, 192u);

    // Already recording that channel, for this entry or by hand; an unknown
    // entry does nothing.
    t.playing = t.recording = 1;
    t.recordingOf = 3;
    EXPECT_EQ(Handle(t, "TUNERDECK://|REC_START|Own|0|3"), V{"save"});
    t.recordingOf = -1;
    EXPECT_EQ(Handle(t, "TUNERDECK://|REC_START|Own|0|3"), V{"save"});
    // The recording of the entry before, whose stop is still on its way,
    // does not keep the next entry from recording the same station.
    t.recordingOf = 5;
    EXPECT_EQ(Handle(t, "TUNERDECK://|REC_START|Own|0|3"), (V{"save", "record"}));
    EXPECT_EQ(t.lastRecord.timerEntryId, 3);
    EXPECT_EQ(Handle(t, "TUNERDECK://|REC_START|X|1|99"), V{"save"});
    // Without an entry id the entry with id 0 is the one meant.
    EXPECT_EQ(Handle(t, "TUNERDECK://|REC_START|X"), V{});
}

TEST(ProtocolCommands, MalformedTextsDoNoHarm) {
    FakeTarget t;
    const char* texts[] = {"", "|", "\n\n", "TUNERDECK://|TIMER", "TUNERDECK://|CUSTOMURL", "TUNERDECK://|REC_START",
                           "TUNERDECK://|PODCAST", "TUNERDECK://|REMIND", "TUNERDECK://|ADDTOFAV|-1"};
    for (const char* text : texts) HandleStartParams(t, text);
    HandleStartParams(t, nullptr);
    std::string huge = "TUNERDECK://|CUSTOMURL|u|1";
    for (int i = 0; i < 11; ++i) huge += "|" + std::string(600, 'n');
    EXPECT_EQ(Handle(t, huge.c_str()).back(), "select -1 [" + std::string(600, 'n') + "]");
}

// Texts that ask the user are carried out after the second start's
// hand-over; the scheduler's commands keep their order inside it.
TEST(ProtocolCommands, OnlyTextsThatAskTheUserWaitForTheHandOverToReturn) {
    const struct {
        const char* text;
        bool asks;
    } cases[] = {
        {"TUNERDECK://|TIMER|Jazz|5|20260101120000|20260101130000|0|1", true},
        {"tunerdeck://|podcast|http://f/rss", true},
        {"TUNERDECK://|ADDTOFAV|42", true},
        {"TUNERDECK://|SKINKEY|abc|7", true},
        {"TUNERDECK://|CHANNELID|5", false},
        {"TUNERDECK://|REC_START|X|1|99", false},
        {"TUNERDECK://|REC_STOP|X|1", false},
        {"TUNERDECK://|PLAY_STOP", false},
        {"TUNERDECK://|CUSTOMURL|u|1", false},
        {"TUNERDECK://", false},
        {"", false},
        {nullptr, false},
    };
    for (const auto& c : cases) EXPECT_EQ(StartParamsAskTheUser(c.text), c.asks) << (c.text ? c.text : "(null)");
}

// A link's banner is shown inside the player: only plain web addresses.
TEST(ProtocolCommands, ALinksBannerIsTakenOnlyFromAPlainWebAddress) {
    const struct {
        const char* address;
        bool allowed;
    } cases[] = {
        {"http://banner.example/ad", true},
        {"HTTPS://banner.example:8443/ad?x=1", true},
        {"file:///C:/Windows/win.ini", false},
        {"javascript:alert(1)", false},
        {"res://shdoclvw.dll/x", false},
        {"http://trusted.example@evil.example/", false},
        {"http://", false},
        {"", false},
        {nullptr, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BannerAddressAllowed(c.address), c.allowed) << (c.address ? c.address : "(null)");
        if (!c.address) continue;
        FakeTarget t;
        const std::string link = std::string("TUNERDECK://|INFO|468|60|") + c.address;
        EXPECT_EQ(Handle(t, link.c_str()).size(), c.allowed ? 1u : 0u) << link;
    }
}

}  // namespace
