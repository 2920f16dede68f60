// The navigator as a user meets it: beside the main window, its station
// list read and its rows' buttons clicked, favourites added and removed, a
// podcast subscribed and deleted; judged by what shows, what plays and
// what is left on disk.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "player_session.h"
#include "rdb_files.h"
#include "station_db.h"
#include "test_audio.h"
#include "tone_station.h"

namespace {

using journeys::PlayerSession;
using journeys::TableLine;
using journeys::ToneStation;
using journeys::ClickButton;
using journeys::ClickRowUntil;
using journeys::CurrentLine;
using journeys::kFeedTitle;
using journeys::LineOf;
using journeys::OpenNavigator;
using journeys::PopupWith;
using journeys::WaitForLines;
using journeys::WaitForPopupWith;

constexpr DWORD kEventMs = 30000;
// The first station of the top list, which a journey routes to its tone.
constexpr uint32_t kFirstTopStation = 1;

// The station's name: the first column up to its title mark.
std::string NameOf(const TableLine& line) {
    std::string text = line.line.text;
    size_t cut = text.find_first_of("\x02|");
    text = text.substr(0, cut);
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

int Luminance(uint32_t rgb) {
    return (299 * ((rgb >> 16) & 255) + 587 * ((rgb >> 8) & 255) + 114 * (rgb & 255)) / 1000;
}

// How far the text of a line's name stands out from the line's ground: the
// largest luminance difference between the ground (the commonest colour in
// the name's area) and any pixel there.
int NameContrast(HWND table, const TableLine& line) {
    int w = 0, h = 0;
    std::vector<uint32_t> px;
    if (!tdtest::CaptureWindow(table, &w, &h, &px)) return -1;
    RECT r = line.line.rect;
    // The name is the line's upper half, right of the number box.
    const int left = 20, right = std::min<int>(150, w), top = std::max<int>(0, r.top + 1),
              bottom = std::min<int>(h, r.top + (r.bottom - r.top) / 2);
    std::map<uint32_t, int> count;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) ++count[px[size_t(y) * w + x]];
    if (count.empty()) return -1;
    uint32_t ground = std::max_element(count.begin(), count.end(), [](const auto& a, const auto& b) {
                          return a.second < b.second;
                      })->first;
    int most = 0;
    for (const auto& c : count) most = std::max(most, std::abs(Luminance(c.first) - Luminance(ground)));
    return most;
}

TEST(NavJourneys, TheNavigatorOpensBesideTheMainWindowWithReadableStationRows) {
    PlayerSession s;
    ASSERT_TRUE(s.Start());
    HWND nav = OpenNavigator(s);
    ASSERT_NE(nav, nullptr) << "the navigator does not open\n" << s.Log();
    ASSERT_TRUE(s.Click(journeys::kNavTopStationsButton, nav));
    std::vector<TableLine> lines = WaitForLines(nav, [](const std::vector<TableLine>& l) { return l.size() >= 3; });
    ASSERT_GE(lines.size(), 3u) << "the station list shows no stations";

    RECT main = {}, beside = {};
    GetWindowRect(s.Main(), &main);
    GetWindowRect(nav, &beside);
    EXPECT_LE(std::abs(beside.left - main.right), 2) << "the navigator's left edge is not at the main window's right";
    EXPECT_TRUE(beside.top < main.bottom && beside.bottom > main.top) << "the navigator is above or below the main window";

    for (size_t i = 0; i < 3; ++i) {
        EXPECT_FALSE(NameOf(lines[i]).empty());
        // Each station line offers play and adding to the favourites.
        EXPECT_NE(lines[i].Button(journeys::kRowPlay), nullptr);
        EXPECT_NE(lines[i].Button(journeys::kRowAddFavourite), nullptr);
        int contrast = -1;
        tdtest::WaitFor([&] {
            HWND table = nullptr;
            TableLine line;
            return CurrentLine(nav, lines[i].id, &table, &line) && line.line.visible &&
                   (contrast = NameContrast(table, line)) >= 100;
        }, kEventMs, 200);
        EXPECT_GE(contrast, 100) << "the name \"" << NameOf(lines[i]) << "\" hardly shows";
    }
    journeys::ScreenshotBoth(s.Main(), nav, "nav-station-list");
    EXPECT_TRUE(s.CloseByButton());
}

TEST(NavJourneys, ARowsPlayButtonPlaysItsStationAndFavouritesTakeItAndGiveItBack) {
    ToneStation station;
    PlayerSession s;
    ASSERT_TRUE(s.RouteStation(kFirstTopStation, station.Url()));
    ASSERT_TRUE(s.Start());
    HWND nav = OpenNavigator(s);
    ASSERT_NE(nav, nullptr) << s.Log();
    ASSERT_TRUE(s.Click(journeys::kNavTopStationsButton, nav));
    auto hasFirst = [](const std::vector<TableLine>& l) { return LineOf(l, kFirstTopStation) != nullptr; };
    std::vector<TableLine> lines = WaitForLines(nav, hasFirst);
    const TableLine* first = LineOf(lines, kFirstTopStation);
    ASSERT_NE(first, nullptr) << "station " << kFirstTopStation << " is not in the top list";
    const std::string name = NameOf(*first);
    ASSERT_NE(first->Button(journeys::kRowAddFavourite), nullptr);

    // Play from the row: the tone is heard and the display names the station.
    tdtest::ToneStats st;
    EXPECT_TRUE(ClickRowUntil(nav, kFirstTopStation, journeys::kRowPlay, [&] { return s.WaitForTone(3000, &st); }))
        << "rms " << st.rms << " frequency " << st.frequency << "\n" << s.Log();
    std::string shown;
    EXPECT_TRUE(s.WaitForText(journeys::kStationLine, [&](const std::string& t) { return t.find(name) != std::string::npos; },
                              kEventMs, &shown))
        << "the display shows \"" << shown << "\", not \"" << name << "\"";

    // Added to the favourites from its row: the row then offers removal.
    auto offersRemoval = [&] {
        HWND table = nullptr;
        TableLine line;
        return CurrentLine(nav, kFirstTopStation, &table, &line) && line.Button(journeys::kRowRemoveFavourite) &&
               !line.Button(journeys::kRowAddFavourite);
    };
    EXPECT_TRUE(ClickRowUntil(nav, kFirstTopStation, journeys::kRowAddFavourite, offersRemoval))
        << "the top list still offers to add it";

    // The favourites list holds it, offering removal; removed there, it goes.
    ASSERT_TRUE(s.Click(journeys::kNavFavouritesButton, nav));
    EXPECT_TRUE(tdtest::WaitFor([&] { return s.Element(journeys::kNavFavouritesButton, nav).status != 2; }, kEventMs, 100))
        << "the favourites button does not show its view";
    lines = WaitForLines(nav, hasFirst);
    first = LineOf(lines, kFirstTopStation);
    ASSERT_NE(first, nullptr) << "the favourites do not show the added station";
    EXPECT_EQ(NameOf(*first), name);
    EXPECT_TRUE(offersRemoval()) << "a favourite offers to be added again";
    auto gone = [&] {
        HWND t = journeys::FindTable(nav);
        return t && !LineOf(journeys::TableLines(t), kFirstTopStation);
    };
    EXPECT_TRUE(ClickRowUntil(nav, kFirstTopStation, journeys::kRowRemoveFavourite, gone)) << "the removed favourite stays";
    EXPECT_NE(s.Element(journeys::kNavFavouritesButton, nav).status, 2) << "the favourites view was left";
    EXPECT_EQ(s.Element(journeys::kNavTopStationsButton, nav).status, 2) << "the top list came back";
    journeys::ScreenshotBoth(s.Main(), nav, "nav-favourite-removed");
    EXPECT_TRUE(s.CloseByButton());
}

}  // namespace

namespace {

// The files of a folder (names only).
std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(fd.cFileName);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return names;
}

std::string Feed(const tdtest::HttpServer& server) {
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\"><channel><title>") + kFeedTitle +
           "</title><link>" + server.Url("/") + "</link><description>Tones</description>"
           "<item><title>First tone</title><pubDate>Mon, 07 Dec 2026 10:00:00 +0000</pubDate>"
           "<enclosure url=\"" + server.Url("/first.mp3") + "\" length=\"4000\" type=\"audio/mpeg\"/></item>"
           "</channel></rss>\n";
}

// Starts the player and subscribes the feed at /feed.xml as a web page's
// link does (the player asks first); then shows the podcast view.
void SubscribeByLink(PlayerSession& s, const tdtest::HttpServer& server, HWND* nav) {
    ASSERT_TRUE(s.Start());
    std::string failure;
    *nav = journeys::SubscribeByLink(s, server.Url("/feed.xml"), &failure);
    ASSERT_NE(*nav, nullptr) << failure << "\n" << s.Log();
}

TEST(NavJourneys, APodcastSubscribedByALinkIsDeletedFromItsRow) {
    tdtest::HttpServer server;
    server.Serve("/feed.xml", Feed(server), "application/rss+xml");
    PlayerSession s;
    HWND nav = nullptr;
    ASSERT_NO_FATAL_FAILURE(SubscribeByLink(s, server, &nav));
    std::string text;
    uint32_t feedId = 0;
    std::vector<TableLine> lines = WaitForLines(nav, [&](const std::vector<TableLine>& l) {
        for (const TableLine& line : l)
            if (line.line.text.find(kFeedTitle) != std::string::npos && line.Button(journeys::kRowDelete)) {
                feedId = line.id;
                return true;
            }
        return false;
    });
    const TableLine* feed = LineOf(lines, feedId);
    ASSERT_NE(feed, nullptr) << "the podcast view does not list the feed\n" << s.Log();
    const std::string folder = s.UserFolder() + "podcasts";
    EXPECT_TRUE(tdtest::WaitFor([&] { return !FilesIn(folder).empty(); }, kEventMs, 200)) << "no feed file";
    journeys::ScreenshotBoth(s.Main(), nav, "nav-podcast-subscribed");

    // Deleted from its row, after a question that names it.
    HWND question = nullptr;
    ASSERT_TRUE(ClickRowUntil(nav, feedId, journeys::kRowDelete, [&] { return (question = PopupWith(s, kFeedTitle, &text)) != nullptr; }))
        << "deleting asks nothing";
    s.Key(VK_RETURN, question);
    // The player's rule for downloaded episodes is to ask: they stay.
    HWND episodes = WaitForPopupWith(s, "Folgen", &text);
    ASSERT_NE(episodes, nullptr) << "no question about the downloaded episodes";
    s.Key(VK_ESCAPE, episodes);
    auto gone = [&] {
        HWND t = journeys::FindTable(nav);
        return t && !LineOf(journeys::TableLines(t), feedId);
    };
    EXPECT_TRUE(tdtest::WaitFor(gone, kEventMs, 200)) << "the deleted podcast stays in the list";
    EXPECT_TRUE(tdtest::WaitFor([&] { return FilesIn(folder).empty(); }, kEventMs, 200))
        << "the feed file stays: " << (FilesIn(folder).empty() ? "" : FilesIn(folder)[0]);
    // Nor does the screen still show it where it was.
    const TableLine was = *feed;
    int left = -1;
    EXPECT_TRUE(tdtest::WaitFor([&] { return (left = NameContrast(journeys::FindTable(nav), was)) >= 0 && left < 30; },
                                kEventMs, 200))
        << "the deleted podcast's line still shows (contrast " << left << ")";
    journeys::ScreenshotBoth(s.Main(), nav, "nav-podcast-deleted");
    EXPECT_TRUE(s.CloseByButton());
}

}  // namespace

namespace {

// The navigator's view buttons of the standard skin besides those above.
enum : unsigned { kNavSearchButton = 7, kNavSkinsButton = 8, kNavRecordingButton = 265, kNavTimersButton = 322 };

// The null sink carries no tone: the player was stopped and its sound
// ran out.
bool WaitForSilence(DWORD ms) {
    return tdtest::WaitFor([] {
        std::vector<int16_t> take;
        if (!tdtest::CaptureDefault(1000, &take) || take.empty()) return false;
        return tdtest::Measure(take.data(), take.size() / 2).rms < 200;
    }, ms, 100);
}

// Stops what plays with the main window's stop button and waits until it
// is quiet, so the next tone comes from the next click.
bool StopAndWaitForSilence(PlayerSession& s) {
    return s.Click(journeys::kStopButton) && WaitForSilence(kEventMs);
}

// The button of a view shows it pressed once its view is built.
bool ShowsView(PlayerSession& s, HWND nav, unsigned button) {
    return tdtest::WaitFor([&] { return s.Element(button, nav).status != journeys::kButtonUp; }, kEventMs, 100);
}

// Plays the line's station from its play button: the tone is heard.
// Starts the player with the first top station playing the tone, and its
// navigator extended.
void StartRouted(PlayerSession& s, const ToneStation& station, HWND* nav) {
    ASSERT_TRUE(s.RouteStation(kFirstTopStation, station.Url()));
    ASSERT_TRUE(s.Start());
    *nav = OpenNavigator(s);
    ASSERT_NE(*nav, nullptr) << s.Log();
}

bool PlaysFromRow(PlayerSession& s, HWND nav, uint32_t id, tdtest::ToneStats* st) {
    return ClickRowUntil(nav, id, journeys::kRowPlay, [&] { return s.WaitForTone(3000, st); });
}

}  // namespace

TEST(NavJourneys, TheTopListFavouritesAndSearchPagesOpenByTheirButtonsAndPlayFromTheirRows) {
    ToneStation station;
    PlayerSession s;
    HWND nav = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartRouted(s, station, &nav));
    auto hasFirst = [](const std::vector<TableLine>& l) { return LineOf(l, kFirstTopStation) != nullptr; };
    tdtest::ToneStats st;

    // The top list.
    ASSERT_TRUE(s.Click(journeys::kNavTopStationsButton, nav));
    EXPECT_TRUE(ShowsView(s, nav, journeys::kNavTopStationsButton));
    std::vector<TableLine> lines = WaitForLines(nav, hasFirst);
    const TableLine* first = LineOf(lines, kFirstTopStation);
    ASSERT_NE(first, nullptr) << "station " << kFirstTopStation << " is not in the top list";
    const std::string name = NameOf(*first);
    EXPECT_TRUE(PlaysFromRow(s, nav, kFirstTopStation, &st)) << "top list: rms " << st.rms << "\n" << s.Log();
    ASSERT_TRUE(StopAndWaitForSilence(s)) << "the stop button leaves the tone on";
    // Made a favourite from its row, for the favourites page.
    ASSERT_TRUE(ClickRowUntil(nav, kFirstTopStation, journeys::kRowAddFavourite, [&] {
        HWND table = nullptr;
        TableLine line;
        return CurrentLine(nav, kFirstTopStation, &table, &line) && line.Button(journeys::kRowRemoveFavourite);
    }));

    // The favourites.
    ASSERT_TRUE(s.Click(journeys::kNavFavouritesButton, nav));
    EXPECT_TRUE(ShowsView(s, nav, journeys::kNavFavouritesButton));
    lines = WaitForLines(nav, hasFirst);
    ASSERT_NE(LineOf(lines, kFirstTopStation), nullptr) << "the favourites do not list the station";
    EXPECT_TRUE(PlaysFromRow(s, nav, kFirstTopStation, &st)) << "favourites: rms " << st.rms << "\n" << s.Log();
    ASSERT_TRUE(StopAndWaitForSilence(s));

    // The search: the name typed into the form and Enter.
    ASSERT_TRUE(s.Click(kNavSearchButton, nav));
    EXPECT_TRUE(ShowsView(s, nav, kNavSearchButton));
    HWND nameField = nullptr;
    ASSERT_TRUE(tdtest::WaitFor([&] {
        std::vector<HWND> edits = journeys::ChildWindows(nav, "Edit");
        nameField = edits.empty() ? nullptr : edits[0];
        return nameField && IsWindowVisible(nameField);
    }, kEventMs, 100)) << "the search form has no name field";
    ASSERT_TRUE(journeys::TypeInto(nameField, name, kEventMs));
    journeys::ScreenshotBoth(s.Main(), nav, "nav-search-typed");
    s.Key(VK_RETURN, nameField);
    // The results are a table of the stations whose name holds the text.
    lines = WaitForLines(nav, [&](const std::vector<TableLine>& l) {
        return !l.empty() && LineOf(l, kFirstTopStation) != nullptr;
    });
    ASSERT_NE(LineOf(lines, kFirstTopStation), nullptr) << "the search for \"" << name << "\" does not find it\n" << s.Log();
    auto lower = [](std::string t) {
        for (char& c : t) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        return t;
    };
    for (const TableLine& l : lines)
        EXPECT_NE(lower(NameOf(l)).find(lower(name)), std::string::npos)
            << "\"" << NameOf(l) << "\" does not hold \"" << name << "\"";
    EXPECT_TRUE(PlaysFromRow(s, nav, kFirstTopStation, &st)) << "search results: rms " << st.rms << "\n" << s.Log();
    journeys::ScreenshotBoth(s.Main(), nav, "nav-search-results");
    EXPECT_TRUE(s.CloseByButton());
}

TEST(NavJourneys, AnEpisodeOfAPodcastSubscribedByALinkDownloadsWithProgressAndPlays) {
    journeys::EpisodeFeed podcast;
    PlayerSession s;
    HWND nav = nullptr;
    ASSERT_NO_FATAL_FAILURE(SubscribeByLink(s, podcast.server, &nav));

    // Downloaded from its line: the line shows how far it got.
    std::string failure;
    uint32_t episodeId = 0;
    ASSERT_TRUE(journeys::DownloadEpisode(nav, &episodeId, &failure)) << failure << "\n" << s.Log();
    std::string progress;
    EXPECT_TRUE(tdtest::WaitFor([&] {
        HWND t = nullptr;
        TableLine line;
        if (!CurrentLine(nav, episodeId, &t, &line)) return false;
        progress = line.line.text;
        return progress.find("%") != std::string::npos && progress.find("MB") != std::string::npos;
    }, kEventMs, 100)) << "no progress shows: \"" << progress << "\"";
    journeys::ScreenshotBoth(s.Main(), nav, "nav-episode-downloading");
    EXPECT_FALSE(s.WaitForFile(s.PodcastFolder(), ".mp3", podcast.Episode().size(), 60000).empty()) << "the episode file is not complete";
    // Finished, the line offers to play it.
    std::string buttons;
    ASSERT_TRUE(tdtest::WaitFor([&] {
        HWND t = nullptr;
        TableLine line;
        if (!CurrentLine(nav, episodeId, &t, &line)) return false;
        buttons.clear();
        for (const auto& b : line.buttons) buttons += std::to_string(b.first) + (b.second.visible ? "+ " : "- ");
        return line.Button(journeys::kRowPlay) && line.Button(journeys::kRowPlay)->visible;
    }, kEventMs, 100)) << "the downloaded episode offers no play button; its buttons: " << buttons;

    tdtest::ToneStats st;
    EXPECT_TRUE(ClickRowUntil(nav, episodeId, journeys::kRowPlay, [&] { return s.WaitForTone(3000, &st); }))
        << "rms " << st.rms << " frequency " << st.frequency << "\n" << s.Log();
    journeys::ScreenshotBoth(s.Main(), nav, "nav-episode-playing");
    EXPECT_TRUE(s.CloseByButton());
}

namespace {

// Element of a station line: its details page.
enum : unsigned { kRowDetails = 39 };
constexpr int kExtraStreams = 30;
constexpr uint32_t kFirstExtraStream = 990001;

// Gives the station `extra` more streams in the session's station database
// (after RouteStation wrote it): all but the last point at a closed port,
// the last at `address`; the station's routed stream is closed too. The
// details page lists them in this order, the playing one at the end.
bool AddStreams(const PlayerSession& s, uint32_t channelId, int extra, const std::string& address) {
    const std::string path = s.UserFolder() + "radiodb.rdb";
    std::string bytes;
    if (!tdtest::ReadFileBytes(path, &bytes)) return false;
    size_t size = bytes.size();
    if (!CheckCrc16(reinterpret_cast<const unsigned char*>(bytes.data()), &size)) return false;
    cStationDbDoc db;
    db.Parse(DecodeStationDbFile(reinterpret_cast<const unsigned char*>(bytes.data()), size));
    cStreamDoc* model = nullptr;
    for (auto& st : db.streams)
        if (st->CID == channelId) {
            st->U = "http://127.0.0.1:9/closed";
            if (!model) model = st.get();
        }
    if (!model) return false;
    const uint32_t cid = model->CID;
    const int32_t d = model->D;
    for (int i = 0; i < extra; ++i) {
        auto st = std::make_unique<cStreamDoc>();
        st->CID = cid;
        st->D = d;
        st->Id = kFirstExtraStream + static_cast<uint32_t>(i);
        st->U = i + 1 == extra ? address : "http://127.0.0.1:9/closed";
        st->F = 1;
        st->Q = 32 + i;
        db.streams.push_back(std::move(st));
    }
    std::string file = db.Write();
    AppendCrc16(&file);
    return tdtest::WriteFileBytes(path, file);
}

}  // namespace

TEST(NavJourneys, AStationsDetailsScrollToItsLastStreamWhichPlays) {
    ToneStation station;
    PlayerSession s;
    ASSERT_TRUE(s.RouteStation(kFirstTopStation, station.Url()));
    ASSERT_TRUE(AddStreams(s, kFirstTopStation, kExtraStreams, station.Url()));
    ASSERT_TRUE(s.Start());
    HWND nav = OpenNavigator(s);
    ASSERT_NE(nav, nullptr) << s.Log();
    ASSERT_TRUE(s.Click(journeys::kNavTopStationsButton, nav));
    std::vector<TableLine> lines = WaitForLines(nav, [](const std::vector<TableLine>& l) { return LineOf(l, kFirstTopStation); });
    const TableLine* first = LineOf(lines, kFirstTopStation);
    ASSERT_NE(first, nullptr);
    const std::string name = NameOf(*first);

    // The details from the station's line: the page lists the station, its
    // facts and its streams, the last of them below the page's end.
    const uint32_t lastStream = kFirstExtraStream + kExtraStreams - 1;
    std::vector<TableLine> rows;
    auto detailsShown = [&] {
        rows = journeys::TableLines(nav);
        return LineOf(rows, lastStream) != nullptr;
    };
    ASSERT_TRUE(ClickRowUntil(nav, kFirstTopStation, kRowDetails, detailsShown))
        << "the details page does not list the streams\n" << s.Log();
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows[0].line.text, name);
    EXPECT_TRUE(rows[0].line.visible);
    EXPECT_FALSE(LineOf(rows, lastStream)->line.visible) << "the whole page fits: nothing to scroll";
    // The name reads well on the page's ground.
    int contrast = -1;
    EXPECT_TRUE(tdtest::WaitFor([&] { return (contrast = NameContrast(nav, rows[0])) >= 100; }, kEventMs, 200))
        << "the station's name hardly shows on the details page (contrast " << contrast << ")";
    journeys::ScreenshotBoth(s.Main(), nav, "nav-details-top");

    // Scrolled with the wheel to its end: the station's line goes, the last
    // stream's line comes into view.
    TableLine last;
    ASSERT_TRUE(tdtest::WaitFor([&] {
        s.Wheel(nav, -WHEEL_DELTA);
        rows = journeys::TableLines(nav);
        const TableLine* l = LineOf(rows, lastStream);
        if (l) last = *l;
        return l && l->line.visible;
    }, kEventMs, 200)) << "the wheel does not bring the last stream into view";
    auto shownLines = [&] {
        std::string shown;
        for (size_t i = 0; i < rows.size(); ++i)
            if (rows[i].line.visible) shown += std::to_string(i) + "@" + std::to_string(rows[i].line.rect.top) + " ";
        return shown;
    };
    // Read once more with no wheel pending: the station's line is out of view.
    EXPECT_TRUE(tdtest::WaitFor([&] {
        rows = journeys::TableLines(nav);
        const TableLine* l = LineOf(rows, lastStream);
        if (l) last = *l;
        return !rows.empty() && !rows[0].line.visible && l && l->line.visible;
    }, kEventMs, 200)) << "the station's line still shows; lines in view: " << shownLines();
    journeys::ScreenshotBoth(s.Main(), nav, "nav-details-scrolled");

    // Its play button plays that stream: the tone, the station's name.
    const journeys::ElementView* play = last.Button(journeys::kRowPlay);
    ASSERT_NE(play, nullptr) << "the stream's line has no play button";
    ASSERT_TRUE(play->visible);
    journeys::ClickAt(nav, POINT{(play->rect.left + play->rect.right) / 2, (play->rect.top + play->rect.bottom) / 2});
    tdtest::ToneStats st;
    EXPECT_TRUE(s.WaitForTone(kEventMs, &st)) << "rms " << st.rms << "\n" << s.Log();
    EXPECT_GE(station.Connections(), 1u);
    std::string shown;
    EXPECT_TRUE(s.WaitForText(journeys::kStationLine, [&](const std::string& t) { return t.find(name) != std::string::npos; },
                              kEventMs, &shown))
        << "the display shows \"" << shown << "\"";
    EXPECT_TRUE(s.CloseByButton());
}

namespace {

// The recording overview's format box: the one that offers WAV and MP3.
HWND FormatBox(HWND nav) {
    for (HWND box : journeys::ChildWindows(nav, "ComboBox")) {
        std::vector<std::string> entries = journeys::BoxEntries(box);
        if (entries == std::vector<std::string>{"WAV", "MP3"}) return box;
    }
    return nullptr;
}

}  // namespace

TEST(NavJourneys, TheRecordingOverviewsFormatIsTheFormatThePlayerRecordsIn) {
    ToneStation station;
    PlayerSession s;
    HWND nav = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartRouted(s, station, &nav));
    ASSERT_TRUE(s.Click(kNavRecordingButton, nav));
    HWND format = nullptr;
    ASSERT_TRUE(tdtest::WaitFor([&] { return (format = FormatBox(nav)) != nullptr; }, kEventMs, 200))
        << "the recording overview shows no format box";
    ASSERT_EQ(PlayerSession::TextOf(format), "WAV") << "a fresh player records WAV";

    // MP3 chosen with the keyboard, as in any selection box; chosen again
    // when the host's lists arrived meanwhile and the overview was built anew.
    ASSERT_TRUE(tdtest::WaitFor([&] {
        format = FormatBox(nav);
        if (!format) return false;
        if (PlayerSession::TextOf(format) == "MP3") return true;
        s.Key(VK_DOWN, format);
        return tdtest::WaitFor([&] { return PlayerSession::TextOf(format) == "MP3"; }, 2000, 50);
    }, kEventMs, 100)) << "the format box does not take MP3";
    // The choice is the player's: stored, and the overview's quality line names it.
    EXPECT_TRUE(tdtest::WaitFor([&] { return journeys::StoredSetting(s, "RecordingFormat") == "1"; }, kEventMs, 200))
        << "the stored format is \"" << journeys::StoredSetting(s, "RecordingFormat") << "\"\n" << s.Log();
    journeys::ScreenshotBoth(s.Main(), nav, "nav-recording-mp3");

    // A station played from the top list and recorded by hand: an MP3 file.
    ASSERT_TRUE(s.Click(journeys::kNavTopStationsButton, nav));
    ASSERT_NE(LineOf(WaitForLines(nav, [](const std::vector<TableLine>& l) { return LineOf(l, kFirstTopStation); }),
                     kFirstTopStation),
              nullptr);
    tdtest::ToneStats st;
    ASSERT_TRUE(PlaysFromRow(s, nav, kFirstTopStation, &st)) << s.Log();
    ASSERT_TRUE(s.Click(journeys::kRecordButton));
    // Four seconds at the default MP3 rate.
    const std::string file = s.WaitForFile(s.RecordingFolder(), ".mp3", 4 * 16000, kEventMs);
    EXPECT_FALSE(file.empty()) << "nothing recorded as MP3 into " << s.RecordingFolder() << "\n" << s.Log();
    EXPECT_TRUE(s.WaitForFile(s.RecordingFolder(), ".wav", 1, 0).empty()) << "a WAV file was recorded as well";
    const std::vector<HWND> before = s.Popups();
    ASSERT_TRUE(s.Click(journeys::kRecordButton));
    HWND saved = journeys::WaitForNewPopup(s, before, kEventMs);
    ASSERT_NE(saved, nullptr) << "no recording-saved pop-up";
    PostMessageA(saved, WM_CLOSE, 0, 0);
    ASSERT_TRUE(journeys::WaitGone(saved, kEventMs));
    EXPECT_TRUE(s.CloseByButton());
}

namespace {

// Buttons of a timer line: edit and delete; the editor's OK.
enum : unsigned { kRowEditTimer = 328, kRowDeleteTimer = 256, kTimerEditorOk = 288 };

// Tomorrow at the hour, as a timer link writes times.
std::string TomorrowAt(int hour, int minute) {
    const time_t tomorrow = time(nullptr) + 86400;
    const tm* t = localtime(&tomorrow);
    char text[32];
    snprintf(text, sizeof text, "%04d%02d%02d%02d%02d00", t->tm_year + 1900, t->tm_mon + 1, t->tm_mday, hour, minute);
    return text;
}

// The scheduler does not run here: each saved change offers to start it,
// which the user declines.
void DeclineSchedulerStart(PlayerSession& s, const std::vector<HWND>& before) {
    if (HWND offer = journeys::WaitForNewPopup(s, before, kEventMs)) {
        s.Key(VK_ESCAPE, offer);
        journeys::WaitGone(offer, kEventMs);
    }
}

const TableLine* TimerLine(const std::vector<TableLine>& lines, const std::string& name) {
    for (const TableLine& l : lines)
        if (l.line.text.rfind(name + " |", 0) == 0) return &l;
    return nullptr;
}

// The timer line named so in the table shown now, with the table.
bool CurrentTimerLine(HWND nav, const std::string& name, HWND* table, TableLine* line) {
    *table = journeys::FindTable(nav);
    if (!*table) return false;
    std::vector<TableLine> lines = journeys::TableLines(*table);
    const TableLine* l = TimerLine(lines, name);
    if (l) *line = *l;
    return l != nullptr;
}

// Clicks a button of the timer line and waits for a new pop-up.
HWND ClickTimerButton(PlayerSession& s, HWND nav, const std::string& name, unsigned button) {
    const std::vector<HWND> before = s.Popups();
    HWND found = nullptr;
    tdtest::WaitFor([&] {
        HWND table = nullptr;
        TableLine line;
        if (!CurrentTimerLine(nav, name, &table, &line) || !ClickButton(table, line, button)) return false;
        found = journeys::WaitForNewPopup(s, before, 5000);
        return found != nullptr;
    }, kEventMs, 200);
    return found;
}

}  // namespace

TEST(NavJourneys, ATimerEntryIsEditedAndDeletedFromItsLine) {
    PlayerSession s;
    ASSERT_TRUE(s.Start());
    HWND nav = OpenNavigator(s);
    ASSERT_NE(nav, nullptr) << s.Log();

    // An entry made through a timer link and its editor.
    std::vector<HWND> before = s.Popups();
    ASSERT_TRUE(s.Link("tunerdeck://|TIMER|Journey_Timer|" + std::to_string(kFirstTopStation) + "|" + TomorrowAt(22, 0) +
                       "|" + TomorrowAt(23, 0) + "|0|0"));
    HWND editor = journeys::WaitForNewPopup(s, before, kEventMs);
    ASSERT_NE(editor, nullptr) << "the timer link opens no editor\n" << s.Log();
    before = s.Popups();
    ASSERT_TRUE(s.Click(kTimerEditorOk, editor));
    ASSERT_TRUE(journeys::WaitGone(editor, kEventMs)) << "the editor refused the entry";
    DeclineSchedulerStart(s, before);

    ASSERT_TRUE(s.Click(kNavTimersButton, nav));
    std::vector<TableLine> lines = WaitForLines(nav, [](const std::vector<TableLine>& l) { return TimerLine(l, "Journey_Timer"); });
    const TableLine* entry = TimerLine(lines, "Journey_Timer");
    ASSERT_NE(entry, nullptr) << "the timer view does not list the entry\n" << s.Log();
    EXPECT_NE(entry->Button(kRowEditTimer), nullptr);
    EXPECT_NE(entry->Button(kRowDeleteTimer), nullptr);
    journeys::ScreenshotBoth(s.Main(), nav, "nav-timer-entry");

    // Edited from its line: the editor holds the entry; renamed, the line follows.
    editor = ClickTimerButton(s, nav, "Journey_Timer", kRowEditTimer);
    ASSERT_NE(editor, nullptr) << "the line's edit button opens no editor\n" << s.Log();
    std::vector<HWND> fields;
    ASSERT_TRUE(tdtest::WaitFor([&] { return !(fields = journeys::ChildWindows(editor, "Edit")).empty(); }, kEventMs, 50));
    EXPECT_EQ(PlayerSession::TextOf(fields[0]), "Journey_Timer") << "the editor does not show the entry";
    ASSERT_TRUE(journeys::TypeInto(fields[0], "Journey_Renamed", kEventMs));
    before = s.Popups();
    ASSERT_TRUE(s.Click(kTimerEditorOk, editor));
    ASSERT_TRUE(journeys::WaitGone(editor, kEventMs)) << "the editor refused the change";
    DeclineSchedulerStart(s, before);
    lines = WaitForLines(nav, [](const std::vector<TableLine>& l) {
        return TimerLine(l, "Journey_Renamed") && !TimerLine(l, "Journey_Timer");
    });
    ASSERT_NE(TimerLine(lines, "Journey_Renamed"), nullptr) << "the line keeps the old name";
    EXPECT_EQ(lines.size(), 1u) << "editing made a second entry";

    // Deleted from its line, after a question that names it.
    HWND question = ClickTimerButton(s, nav, "Journey_Renamed", kRowDeleteTimer);
    ASSERT_NE(question, nullptr) << "the line's delete button asks nothing\n" << s.Log();
    EXPECT_NE(PlayerSession::TextOf(question).find("Journey_Renamed"), std::string::npos) << PlayerSession::TextOf(question);
    before = s.Popups();
    s.Key(VK_RETURN, question);
    ASSERT_TRUE(journeys::WaitGone(question, kEventMs));
    DeclineSchedulerStart(s, before);
    EXPECT_TRUE(tdtest::WaitFor([&] {
        HWND t = journeys::FindTable(nav);
        return t && journeys::TableLines(t).empty();
    }, kEventMs, 200)) << "the deleted entry stays";
    journeys::ScreenshotBoth(s.Main(), nav, "nav-timer-deleted");
    EXPECT_TRUE(s.CloseByButton());
}

namespace {

// Buttons of a skin line: recommend and delete.
enum : unsigned { kSkinRecommend = 195, kSkinDelete = 186 };

// The skins page's line of a skin file ("name ... \x05file").
const TableLine* SkinLine(const std::vector<TableLine>& lines, const std::string& file) {
    for (const TableLine& l : lines) {
        const std::string& t = l.line.text;
        const size_t mark = t.find('\x05');
        if (mark != std::string::npos && _stricmp(t.c_str() + mark + 1, file.c_str()) == 0) return &l;
    }
    return nullptr;
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

TEST(NavJourneys, OnTheSkinsPageASkinIsDeletedAndAnotherChosen) {
    PlayerSession s;
    // Two more skins, as a user who fetched some has them.
    ASSERT_TRUE(s.Install("stockface.dll", "skins\\spare.dll"));
    ASSERT_TRUE(s.Install("stockface.dll", "skins\\chosen.dll"));
    ASSERT_TRUE(s.Start());
    HWND nav = OpenNavigator(s);
    ASSERT_NE(nav, nullptr) << s.Log();
    ASSERT_TRUE(s.Click(kNavSkinsButton, nav));
    std::vector<TableLine> rows;
    ASSERT_TRUE(tdtest::WaitFor([&] {
        rows = journeys::TableLines(nav);
        return SkinLine(rows, "spare.dll") && SkinLine(rows, "chosen.dll") && SkinLine(rows, "stockface.dll");
    }, kEventMs, 200)) << "the skins page does not list the three skins (" << rows.size() << " lines)\n" << s.Log();
    journeys::ScreenshotBoth(s.Main(), nav, "nav-skins");
    const std::string userSkins = s.UserFolder() + "skins\\";
    ASSERT_TRUE(FileExists(userSkins + "spare.dll"));

    // Deleted from its line after a question: the file and the line go.
    const TableLine* spare = SkinLine(rows, "spare.dll");
    ASSERT_NE(spare->Button(kSkinDelete), nullptr);
    ASSERT_TRUE(spare->Button(kSkinDelete)->visible);
    const std::vector<HWND> before = s.Popups();
    ASSERT_TRUE(ClickButton(nav, *spare, kSkinDelete));
    HWND question = journeys::WaitForNewPopup(s, before, kEventMs);
    ASSERT_NE(question, nullptr) << "deleting a skin asks nothing\n" << s.Log();
    s.Key(VK_RETURN, question);
    EXPECT_TRUE(tdtest::WaitFor([&] { return !FileExists(userSkins + "spare.dll"); }, kEventMs, 100)) << "the file stays";
    EXPECT_TRUE(tdtest::WaitFor([&] {
        rows = journeys::TableLines(nav);
        return !SkinLine(rows, "spare.dll") && SkinLine(rows, "chosen.dll");
    }, kEventMs, 200)) << "the deleted skin's line stays";

    // Chosen by a click on its line: the player comes back in that skin.
    const TableLine* chosen = SkinLine(rows, "chosen.dll");
    ASSERT_NE(chosen, nullptr);
    const RECT r = chosen->line.rect;
    const HWND oldMain = s.Main();
    journeys::ClickAt(nav, POINT{r.left + 40, (r.top + r.bottom) / 2});
    std::string skin;
    EXPECT_TRUE(tdtest::WaitFor([&] { return s.Settings().GetString("SKIN", &skin) && _stricmp(skin.c_str(), "chosen.dll") == 0; },
                                kEventMs, 200))
        << "the stored skin is \"" << skin << "\"\n" << s.Log();
    HWND newMain = nullptr;
    EXPECT_TRUE(tdtest::WaitFor([&] {
        newMain = tdtest::FindWindowOf("tunerdeck Main Wnd Class", s.Program().Pid());
        return newMain && newMain != oldMain && IsWindowVisible(newMain);
    }, kEventMs, 200)) << "no main window in the chosen skin\n" << s.Log();
    if (newMain) PostMessageA(newMain, WM_CLOSE, 0, 0);
    EXPECT_TRUE(s.WaitForExit(kEventMs));
}
