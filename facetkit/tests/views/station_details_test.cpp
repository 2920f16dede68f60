// Station details from the host's ids, and the stream texts a playing
// station shows through its owner's displays.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host_exports.h"
#include "list_store.h"
#include "station_details.h"
#include "txtelement.h"

namespace {

class FakeDisplay : public cStationDisplay {
public:
    std::vector<std::string> calls;
    std::string time, bitrate, last, track;
    int sliderOn = -1, titleShown = -1, knob = -1000;
    bool hasSlider = true;
    void ShowStationLine(const char* t) override { calls.push_back(std::string("line ") + t); }
    void ShowTrack(const char* t) override { track = t; }
    void ShowTitle(const char* t) override { calls.push_back(std::string("title ") + t); }
    void ShowArtist(const char* t) override { calls.push_back(std::string("artist ") + t); }
    void ShowLastPlayed(const char* t) override { last = t; }
    void ShowBitrate(const char* t) override { bitrate = t; }
    void ShowTime(const char* t) override { time = t; }
    void EnableTimeSlider(int e) override { sliderOn = e; }
    bool GetTimeKnobTravel(int* l, int* r) override {
        *l = 10;
        *r = 310;
        return hasSlider;
    }
    void MoveTimeKnob(int left) override { knob = left; }
    void RedrawTimeBar() override {}
    void SetTitleShown(int on) override { titleShown = on; }
};

void Fill(int slot, std::initializer_list<std::pair<int, const char*>> rows) {
    cListe* list = GetListStore().List(slot);
    list->Delete();
    for (auto& r : rows) {
        auto* e = new cTxtElement();
        e->SetId(static_cast<unsigned long>(r.first));
        e->SetText(r.second);
        list->Add(e);
    }
}

std::string Field(int which) {
    char buf[512];
    LibraryStationDetails().CopyField(which, buf, sizeof buf);
    return buf;
}

TEST(StationDetails, GetDetailsNamesTheIdsFromTheLists) {
    Fill(LS_REGIONS, {{1, "Bayern"}, {2, "alle Regionen"}, {3, "Hessen"}});
    Fill(LS_GENRES_LOWER, {{10, "Jazz"}, {0, "Alle"}});
    Fill(LS_GENRES_UPPER, {{20, "Rock"}});
    Fill(LS_LANGUAGES, {{5, "Deutsch"}, {6, "<alle>"}, {7, ""}});
    Fill(LS_COUNTRIES_LOWER, {{49, "Deutschland"}});
    Fill(LS_STATION_TYPES, {{2, "Webradio"}});
    GetDetails("Line\x02X", 4711, "Radio Eins", "1;2;3", 49, 2, "10;99;20;0", "5;6;7;5", "a\x01" "b\x01");
    StationDetails& d = LibraryStationDetails();
    EXPECT_EQ(d.GetStationId(), 4711);
    EXPECT_EQ(Field(StationDetails::F_NAME), "Radio Eins");
    // The "all" entry is left out, its separator kept.
    EXPECT_EQ(Field(StationDetails::F_REGIONS), "Bayern, , Hessen");
    EXPECT_EQ(Field(StationDetails::F_GENRES), "Jazz, ---, Rock, ");
    EXPECT_EQ(Field(StationDetails::F_LANGUAGES), "Deutsch, , , Deutsch");
    EXPECT_EQ(Field(StationDetails::F_COUNTRY), "Deutschland");
    EXPECT_EQ(Field(StationDetails::F_TYPE), "Webradio");
    EXPECT_EQ(Field(StationDetails::F_LINE), "Line\x02X");
    std::vector<std::string> streams;
    for (cListElement* e = d.Streams()->First(); e; e = e->Next())
        streams.push_back(std::to_string(e->GetId()) + static_cast<cTextElement*>(e)->GetText());
    EXPECT_EQ(streams, (std::vector<std::string>{"0a", "1b", "2"}));

    // Every call starts afresh; unknown ids and null texts leave fields empty.
    GetDetails(nullptr, 5, nullptr, nullptr, 1, 1, nullptr, nullptr, nullptr);
    EXPECT_EQ(Field(StationDetails::F_NAME), "");
    EXPECT_EQ(Field(StationDetails::F_COUNTRY), "");
    EXPECT_TRUE(d.Streams()->IsEmpty());
    std::string longIds;
    for (int i = 0; i < 500; ++i) longIds += "1;";
    GetDetails("", 1, std::string(1000, 'n').c_str(), longIds.c_str(), 0, 0, longIds.c_str(), longIds.c_str(), "");
    EXPECT_EQ(Field(StationDetails::F_NAME).size(), StationDetails::NAME_SIZE - 1u);
    EXPECT_LT(Field(StationDetails::F_REGIONS).size(), size_t(StationDetails::REGIONS_SIZE));
}

TEST(StationDetails, TimeTextsSliderAndBitrate) {
    StationDetails d;
    FakeDisplay show;
    d.SetOwner(&show);
    d.SetPosition(65000);
    EXPECT_EQ(show.time, "00:01:05/LIVE");
    EXPECT_EQ(show.sliderOn, 0);
    EXPECT_EQ(show.knob, 10);
    d.SetDuration(180000);
    d.SetPosition(65000);
    EXPECT_EQ(show.time, "00:01:05/00:03:00");
    EXPECT_EQ(show.sliderOn, 1);
    EXPECT_EQ(show.knob, 10 + 300 * 65 / 180);
    d.SetDuration(100 * 3600 * 1000ul);
    d.SetPosition(99 * 3600 * 1000ul);
    EXPECT_EQ(show.time, "99:00:00/100:00:00");
    d.SetNominalBitrate(128000);
    d.SetBitrate(0);
    EXPECT_EQ(show.bitrate, "128 kbit/s");
    d.SetBitrate(1000000);
    EXPECT_EQ(show.bitrate, "128 kbit/s");
    d.SetBitrate(96000);
    EXPECT_EQ(show.bitrate, "96 kbit/s");
}

TEST(StationDetails, KnobStaysOnItsTravel) {
    EXPECT_EQ(TimeKnobLeft(10, 310, 0, 0), 10);
    EXPECT_EQ(TimeKnobLeft(10, 310, 50, 100), 160);
    EXPECT_EQ(TimeKnobLeft(10, 310, 500, 100), 310);
    EXPECT_EQ(TimeKnobLeft(10, 310, 4000000000ul, 4100000000ul), 10 + 292);
    EXPECT_EQ(TimeKnobLeft(10, 10, 5, 10), 10);
    EXPECT_EQ(TimeKnobLeft(10, 5, 5, 10), 10);
}

TEST(StationDetails, TitleHistoryText) {
    struct Case {
        const char* title;
        const char* artist;
        const char* last;
    } cases[] = {
        {"Song", "Artist", "Artist - Song"},
        {"Song", "", "Song"},
        {"Song", "A", "Song"},
        {" - -- ", "", ""},
        {"  \xDC" "bermut", nullptr, "\xDC" "bermut"},
        {"-- 99 Luftballons", "", "99 Luftballons"},
    };
    for (const Case& c : cases) {
        char out[256];
        LastPlayedText(c.title, c.artist, out, sizeof out);
        EXPECT_STREQ(out, c.last) << c.title;
    }

    StationDetails d;
    FakeDisplay show;
    d.SetOwner(&show);
    d.SetTrackCount(3);
    d.SetPosition(300);
    d.SetTitle(0, "Song", "Artist");
    EXPECT_EQ(show.last, "Artist - Song");
    EXPECT_EQ(show.titleShown, 1);
    d.SetTitle(0, " - ", "");
    EXPECT_EQ(show.titleShown, 0);
    d.SetPosition(100);
    d.SetTitle(0, "Song", "Artist");
    EXPECT_EQ(show.titleShown, 0);
    // A known track keeps its own texts and shows them.
    show.calls.clear();
    d.SetTitle(2, "T2", "A2");
    EXPECT_EQ(show.calls, (std::vector<std::string>{"title T2", "artist A2"}));
    d.SetTitle(2, "", "A3");
    EXPECT_EQ(show.calls.back(), "artist A3");
    d.SetTitle(0, nullptr, nullptr);
    EXPECT_EQ(show.titleShown, 0);
}

TEST(StationDetails, TrackListGrowsAndIsCapped) {
    StationDetails d;
    FakeDisplay show;
    d.SetOwner(&show);
    d.SetTrackCount(3);
    EXPECT_EQ(d.Tracks()->GetAnzElement(), 3);
    EXPECT_STREQ(static_cast<cTextElement*>(d.Tracks()->GetById(2))->GetText(), "Track 3");
    d.SetTrackCount(1);
    EXPECT_EQ(d.Tracks()->GetAnzElement(), 3);
    EXPECT_EQ(d.GetTrackCount(), 1);
    d.SetTrackCount(5000);
    EXPECT_EQ(d.GetTrackCount(), 500);
    EXPECT_EQ(d.Tracks()->GetAnzElement(), 500);
    d.SetTrackCount(4);
    d.SetCurrentTrack(1);
    EXPECT_EQ(show.track, "Track 2/4");
    d.SetStationLine("A");
    d.SetStationLine("A");
    d.SetStationLine(nullptr);
    EXPECT_EQ(show.calls, (std::vector<std::string>{"line A"}));
}

}  // namespace
