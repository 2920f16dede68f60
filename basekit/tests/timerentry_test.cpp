#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "timerentry.h"

namespace {

TEST(TimerEntryTest, NewEntryDefaults) {
    cTimerEntry e;
    EXPECT_EQ(1, e.GetUseDefault());
    EXPECT_EQ(-1, e.GetKanaele());
    EXPECT_EQ(-1, e.GetVBR());
    EXPECT_EQ(1, e.GetOK());
    EXPECT_EQ(1, e.GetActive());
    EXPECT_EQ(1, e.GetDayOfMonth());
    EXPECT_EQ(0, e.GetLog());
    EXPECT_EQ(0u, e.GetChannelID());
    EXPECT_EQ(0u, e.GetBitrate());
    EXPECT_EQ(0u, e.GetId());
    EXPECT_STREQ("", e.GetName());
    EXPECT_STREQ("", e.GetQualitaet());
    EXPECT_STREQ("00000000000000", e.GetStartTime().GetTime());
    EXPECT_STREQ("00000000000000", e.GetNextJobTime().GetTime());
}

TEST(TimerEntryTest, SendernameJoinsStationAndProgramme) {
    struct Case {
        std::string in;
        std::string out;
    } cases[] = {
        {"Radio Eins", "Radio Eins"},
        {"Radio Eins\x02Morgenmagazin\x02rest", "Radio Eins - Morgenmagazin"},
        {"Radio Eins\x02Morgenmagazin", "Radio Eins - Morgenmagazin"},
        {"Radio Eins\x02", "Radio Eins - "},
        {"\x02Nachrichten", " - Nachrichten"},
        {std::string(1500, 'a'), std::string(1022, 'a')},
        {std::string(1023, 's') + "\x02" + std::string(1023, 'p'), (std::string(1023, 's')).substr(0, 1023)},
    };
    for (const Case& c : cases) {
        cTimerEntry e;
        e.SetSendername(c.in.c_str());
        EXPECT_EQ(c.out, e.GetSendername()) << c.in.size();
    }
    cTimerEntry e;
    e.SetSendername("kept");
    e.SetSendername(nullptr);
    EXPECT_STREQ("kept", e.GetSendername());
}

TEST(TimerEntryTest, TextSettersAreBoundedAndTreatNullAsTheirRuleSays) {
    const std::string longText(3000, 'x');
    using Set = void (cTimerEntry::*)(const char*);
    using Get = const char* (cTimerEntry::*)() const;
    struct Case {
        const char* name;
        Set set;
        Get get;
        bool nullEmpties;
    } cases[] = {
        {"Name", &cTimerEntry::SetName, &cTimerEntry::GetName, false},
        {"Status", &cTimerEntry::SetStatus, &cTimerEntry::GetStatus, true},
        {"WiederholungTxt", &cTimerEntry::SetWiederholungTxt, &cTimerEntry::GetWiederholungTxt, true},
        {"IniStatusText", &cTimerEntry::SetIniStatusText, &cTimerEntry::GetIniStatusText, false},
        {"Schnittprofil", &cTimerEntry::SetSchnittprofil, &cTimerEntry::GetSchnittprofil, false},
        {"Qualitaet", &cTimerEntry::SetQualitaet, &cTimerEntry::GetQualitaet, false},
    };
    for (const Case& c : cases) {
        cTimerEntry e;
        const cTimerEntry& ce = e;
        (e.*c.set)(longText.c_str());
        EXPECT_EQ(longText.substr(0, 1023), (ce.*c.get)()) << c.name;
        (e.*c.set)("short");
        EXPECT_STREQ("short", (ce.*c.get)()) << c.name;
        (e.*c.set)(nullptr);
        EXPECT_STREQ(c.nullEmpties ? "" : "short", (ce.*c.get)()) << c.name;
    }
}

cTimerEntry Filled() {
    cTimerEntry e;
    e.SetId(7);
    e.SetName("Abendsendung");
    e.SetSendername("Radio\x02Jazz");
    e.SetStatus("wartet");
    e.SetWiederholungTxt("taeglich");
    e.SetIniStatusText("ini");
    e.SetSchnittprofil("30 Minuten");
    e.SetQualitaet("CD");
    e.SetChannelID(0xFFFF0001u);
    e.SetStartTime(cVLTime(2008, 3, 7, 20, 0, 0));
    e.SetStopTime(cVLTime(2008, 3, 7, 21, 0, 0));
    e.SetRepeatEndTime(cVLTime(2008, 4, 1, 0, 0, 0));
    e.SetNextJobTime(cVLTime(2008, 3, 8, 20, 0, 0));
    e.SetAction(TA_PLAY);
    e.SetWiederholung(2);
    e.SetRepeatEnd(1);
    e.SetShowHints(1);
    e.SetDayFlag(0x22);
    e.SetDayOfMonth(3);
    e.SetLog(3, 0);
    e.SetCreateFolder(1);
    e.SetActive(0);
    e.SetZustand(4);
    e.SetBitrate(192);
    e.SetKanaele(1);
    e.SetVBR(0);
    e.SetUseDefault(0);
    return e;
}

void ExpectSameContent(const cTimerEntry& a, const cTimerEntry& b) {
    EXPECT_STREQ(a.GetName(), b.GetName());
    EXPECT_STREQ(a.GetSendername(), b.GetSendername());
    EXPECT_STREQ(a.GetStatus(), b.GetStatus());
    EXPECT_STREQ(a.GetWiederholungTxt(), b.GetWiederholungTxt());
    EXPECT_STREQ(a.GetIniStatusText(), b.GetIniStatusText());
    EXPECT_STREQ(a.GetSchnittprofil(), b.GetSchnittprofil());
    EXPECT_STREQ(a.GetQualitaet(), b.GetQualitaet());
    EXPECT_EQ(a.GetChannelID(), b.GetChannelID());
    EXPECT_STREQ(a.GetStartTime().GetTime(), b.GetStartTime().GetTime());
    EXPECT_STREQ(a.GetStopTime().GetTime(), b.GetStopTime().GetTime());
    EXPECT_STREQ(a.GetRepeatEndTime().GetTime(), b.GetRepeatEndTime().GetTime());
    EXPECT_STREQ(a.GetNextJobTime().GetTime(), b.GetNextJobTime().GetTime());
    int av[] = {a.GetAction(), a.GetWiederholung(), a.GetRepeatEnd(), a.GetShowHints(), a.GetDayFlag(),
                a.GetDayOfMonth(), a.GetLog(), a.GetOK(), a.GetCreateFolder(), a.GetActive(), a.GetZustand(),
                static_cast<int>(a.GetBitrate()), a.GetKanaele(), a.GetVBR(), a.GetUseDefault()};
    int bv[] = {b.GetAction(), b.GetWiederholung(), b.GetRepeatEnd(), b.GetShowHints(), b.GetDayFlag(),
                b.GetDayOfMonth(), b.GetLog(), b.GetOK(), b.GetCreateFolder(), b.GetActive(), b.GetZustand(),
                static_cast<int>(b.GetBitrate()), b.GetKanaele(), b.GetVBR(), b.GetUseDefault()};
    for (size_t i = 0; i < sizeof av / sizeof av[0]; ++i) EXPECT_EQ(av[i], bv[i]) << "number " << i;
}

TEST(TimerEntryTest, CopyingKeepsOrReplacesTheIdAsEachFormSays) {
    const cTimerEntry source = Filled();
    EXPECT_EQ(3, source.GetLog());
    EXPECT_EQ(0, source.GetOK());

    cTimerEntry target;
    target.SetId(99);
    target = source;
    EXPECT_EQ(99u, target.GetId());
    ExpectSameContent(source, target);

    cTimerEntry fromPointer(&source);
    EXPECT_EQ(7u, fromPointer.GetId());
    ExpectSameContent(source, fromPointer);
    EXPECT_EQ(nullptr, fromPointer.Next());

    cTimerEntry copy(source);
    EXPECT_EQ(7u, copy.GetId());
    ExpectSameContent(source, copy);
    EXPECT_STREQ("Radio - Jazz", copy.GetSendername());
}

TEST(TimerEntryTest, RecordHasFixedBytesAndRoundTrips) {
    static_assert(sizeof(TimerEntryRecord) == 7328, "peers expect 7328 bytes");
    EXPECT_EQ(4u, offsetof(TimerEntryRecord, name) - offsetof(TimerEntryRecord, id));
    EXPECT_EQ(4112u, offsetof(TimerEntryRecord, channelId));
    EXPECT_EQ(4116u, offsetof(TimerEntryRecord, startTime));
    EXPECT_EQ(4196u, offsetof(TimerEntryRecord, action));
    EXPECT_EQ(4236u, offsetof(TimerEntryRecord, iniStatusText));
    EXPECT_EQ(7312u, offsetof(TimerEntryRecord, bitrate));

    cTimerEntry source = Filled();
    TimerEntryRecord a, b;
    memset(&a, 0xCC, sizeof a);
    memset(&b, 0x33, sizeof b);
    source.ToRecord(&a);
    source.ToRecord(&b);
    EXPECT_EQ(0, memcmp(&a, &b, sizeof a));   // no stray bytes of memory in the record
    EXPECT_EQ(7u, a.id);
    EXPECT_EQ(0xFFFF0001u, a.channelId);
    EXPECT_STREQ("20080307200000", a.startTime.digits);

    cTimerEntry back;
    back.FromRecord(a);
    EXPECT_EQ(7u, back.GetId());
    ExpectSameContent(source, back);

    // A record from another process need not end its texts.
    memset(a.name, 'n', sizeof a.name);
    memset(a.startTime.digits, '9', sizeof a.startTime.digits);
    back.FromRecord(a);
    EXPECT_EQ(1023u, strlen(back.GetName()));
    EXPECT_EQ(14u, strlen(back.GetStartTime().GetTime()));
}

}  // namespace
