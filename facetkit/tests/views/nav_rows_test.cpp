// Row texts of the navigator's tables from the list store: station rows
// with looked-up names, programme tips (past or not, filters), timer
// entries, and a podcast feed with its episodes newest first.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bounded_text.h"
#include "fake_settings.h"
#include "library_guard.h"
#include "list_store.h"
#include "nav_rows.h"
#include "podcast_feed.h"
#include "tdtest.h"
#include "timerentry.h"

namespace {

// Readable form of a row: cells as "|", parts as "+", the end as "$".
std::string Show(std::string row) {
    for (char& c : row) {
        if (c == 0x01) c = '|';
        else if (c == 0x02) c = '+';
        else if (c == 0x05) c = '$';
    }
    return row;
}

std::string F(std::vector<std::string> fields) {
    std::string s;
    for (size_t i = 0; i < fields.size(); ++i) s += (i ? "\x02" : "") + fields[i];
    return s;
}

}  // namespace

TEST(NavRows, StationRowLooksUpItsNames) {
    cListStore& s = GetListStore();
    for (int kind : {0, 1, 3, 4, 5}) s.Clear(kind, 1);
    s.AddCriteria(4, "Hard Rock", 11, 10, 1);
    s.AddCriteria(5, "Rock", 10, 0, 1);
    s.AddCriteria(1, "Deutsch", 7, 0, 1);
    s.AddCriteria(1, "English", 8, 0, 1);
    s.AddCriteria(3, "Germany", 49, 0, 1);
    s.AddCriteria(0, "Public", 2, 0, 1);
    std::string row = StationRowText(F({"Radio Eins", "Berlin", "11;10;999", "2", "49", "7;8", "128", "a", "b", "c", "d"}).c_str());
    EXPECT_EQ(Show(row), "Radio Eins+Berlin|Hard Rock, Rock|Germany|Deutsch, English|Public|128 kbit/s|a|b|c|d|$");
    // Unknown type and country show a blank; missing fields stay empty.
    row = StationRowText(F({"X", "", "", "5", "77"}).c_str());
    EXPECT_EQ(Show(row), "X+|| || | kbit/s|||||$");
    for (int kind : {0, 1, 3, 4, 5}) s.Clear(kind, 1);
}

TEST(NavRows, ProgrammeTipsPastAndFilters) {
    std::string tip = F({"Show", "2011120619:30", "Genre", "Station", "Title", "f5", "Info", "Icon", "f8", "f9"});
    bool past = true;
    std::string row = TipRowText(tip.c_str(), "201112061900", &past);
    EXPECT_FALSE(past);
    EXPECT_EQ(Show(row), "Icon|Station|Genre|Show+2011120619:30|Title||Info|||1|$");
    row = TipRowText(tip.c_str(), "201112062000", &past);
    EXPECT_TRUE(past);
    EXPECT_FALSE(TipPassesFilter(1, row, tip.c_str(), "20111206", "20111207"));
    EXPECT_TRUE(TipPassesFilter(0, row, tip.c_str(), "20111206", "20111207"));
    EXPECT_TRUE(TipPassesFilter(2, row, tip.c_str(), "20111206", "20111207"));
    EXPECT_FALSE(TipPassesFilter(3, row, tip.c_str(), "20111206", "20111207"));
    EXPECT_TRUE(TipPassesFilter(3, row, tip.c_str(), "20111205", "20111206"));
    std::string dateless = F({"Show", "2011"});
    EXPECT_FALSE(TipPassesFilter(2, TipRowText(dateless.c_str(), "201112062000", &past), dateless.c_str(), "2011",
                                 "2011"));
}

TEST(NavRows, TimerRowsShowStationsOnlyForRecordings) {
    cTimerEntry e;
    e.SetName("Morning");
    e.SetSendername("Eins");
    e.SetStartTime(cVLTime(2011, 12, 6, 7, 5, 0));
    e.SetStopTime(cVLTime(2011, 12, 6, 8, 30, 0));
    e.SetAction(0);
    EXPECT_EQ(Show(TimerRowText(e)), "Morning|Eins|2011+12+06+07+05+08+30|||0|0|1|0|$");
    e.SetAction(2);
    EXPECT_EQ(Show(TimerRowText(e)), "Morning| --- |2011+12+06+07+05|||2|0|1|0|$");
}

TEST(NavRows, PodcastRowsNewestEpisodeFirst) {
    tdtest::TempFolder folder("navrows");
    FakeSettings settings;
    LibraryGuard guard(&settings, nullptr);
    CreateDirectoryA(folder.File("skins").c_str(), nullptr);
    bk::TextCopy(Library().skinsFolder, (folder.File("skins") + "\\").c_str());
    settings.texts["GetPodcastDir"] = folder.File("episodes");
    cPodcastFeed feed;
    feed.SetId(2);
    feed.SetUrl("http://example.org/rows.xml");
    char path[MAX_PATH * 2];
    ASSERT_TRUE(feed.GetFeedFilePath(path, sizeof path));
    tdtest::WriteFileBytes(
        path, "<rss><channel><title>Show</title><description>About</description><category>Talk</category>"
              "<pubDate>Tue, 06 Dec 2011 10:00:00 GMT</pubDate>"
              "<item><title>Old</title><pubDate>Mon, 05 Dec 2011 10:00:00 GMT</pubDate>"
              "<enclosure url=\"http://h/o.mp3\" length=\"2097152\"/></item>"
              "<item><title>New</title><pubDate>Tue, 06 Dec 2011 10:00:00 GMT</pubDate>"
              "<enclosure url=\"http://h/n.mp3\" length=\"1048576\"/></item></channel></rss>");
    std::vector<PodcastRow> rows = PodcastRows(feed);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].id, 2u);
    // No playing time known: the newest episode's size stands instead.
    EXPECT_EQ(Show(rows[0].text), "Show|06.12.2011|1,00 MB|About|Talk|$");
    feed.SetExpanded(1);
    feed.SetEpisodeStatus(1, "Download abgebrochen", 6);
    rows = PodcastRows(feed);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1].episode, 2);
    EXPECT_EQ(rows[1].id, (2u + 255u) * 65536u + 2u);
    EXPECT_EQ(Show(rows[1].text), "New|06.12.2011|1,00 MB|||$");
    EXPECT_EQ(Show(rows[2].text), "Old|05.12.2011|Download abgebrochen|||$");
}
