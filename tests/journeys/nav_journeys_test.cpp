// The navigator as a user meets it: beside the main window, its station
// list read and its rows' buttons clicked, favourites added and removed, a
// podcast subscribed and deleted; judged by what shows, what plays and
// what is left on disk.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "player_session.h"
#include "tone_station.h"

namespace {

using journeys::PlayerSession;
using journeys::TableLine;
using journeys::ToneStation;

constexpr DWORD kEventMs = 30000;
// The first station of the top list, which a journey routes to its tone.
constexpr uint32_t kFirstTopStation = 1;

// Folded in, the navigator's region is empty.
bool Extended(HWND nav) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    RECT box = {};
    int kind = GetWindowRgn(nav, region);
    GetRgnBox(region, &box);
    DeleteObject(region);
    return IsWindowVisible(nav) && (kind == ERROR || box.right > box.left);
}

// The navigator, extended (by the main window's NAV button when folded).
HWND OpenNavigator(PlayerSession& s) {
    HWND nav = nullptr;
    if (!tdtest::WaitFor([&] { return (nav = journeys::FindNavigator(s)) != nullptr; }, kEventMs, 100)) return nullptr;
    // Start-up extends it when it was open the last time (the default).
    if (!tdtest::WaitFor([&] { return Extended(nav); }, 10000, 100)) {
        s.Click(58);
        if (!tdtest::WaitFor([&] { return Extended(nav); }, kEventMs, 100)) return nullptr;
    }
    return nav;
}

// The lines of the table the navigator shows once `accept` passes them.
std::vector<TableLine> WaitForLines(HWND nav, const std::function<bool(const std::vector<TableLine>&)>& accept) {
    std::vector<TableLine> lines;
    tdtest::WaitFor([&] {
        HWND t = journeys::FindTable(nav);
        if (!t) return false;
        lines = journeys::TableLines(t);
        return accept(lines);
    }, kEventMs, 200);
    return lines;
}

const TableLine* LineOf(const std::vector<TableLine>& lines, uint32_t id) {
    for (const TableLine& l : lines)
        if (l.id == id) return &l;
    return nullptr;
}

// The station's name: the first column up to its title mark.
std::string NameOf(const TableLine& line) {
    std::string text = line.line.text;
    size_t cut = text.find_first_of("\x02|");
    text = text.substr(0, cut);
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

bool ClickButton(HWND table, const TableLine& line, unsigned id) {
    const journeys::ElementView* b = line.Button(id);
    if (!b || !b->visible) return false;
    journeys::ClickAt(table, POINT{(b->rect.left + b->rect.right) / 2, (b->rect.top + b->rect.bottom) / 2});
    return true;
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

// The line `id` of the table shown now, with that table; false while
// there is none.
bool CurrentLine(HWND nav, uint32_t id, HWND* table, TableLine* line) {
    *table = journeys::FindTable(nav);
    if (!*table) return false;
    std::vector<TableLine> lines = journeys::TableLines(*table);
    const TableLine* l = LineOf(lines, id);
    if (l) *line = *l;
    return l != nullptr;
}

// Clicks a button of line `id` and waits for `done`. The host pushes its
// lists again now and then, and the view builds a new table for them: a
// click that went to a table that is gone is made again on the new one.
bool ClickRowUntil(HWND nav, uint32_t id, unsigned button, const std::function<bool()>& done) {
    const DWORD until = GetTickCount() + kEventMs;
    while (static_cast<LONG>(until - GetTickCount()) > 0) {
        HWND table = nullptr;
        TableLine line;
        if (CurrentLine(nav, id, &table, &line) && ClickButton(table, line, button)) {
            bool ended = false;
            tdtest::WaitFor([&] { return (ended = done()) || !IsWindow(table); }, until - GetTickCount(), 100);
            if (ended) return true;
        } else {
            tdtest::WaitFor([] { return false; }, 100, 100);
        }
    }
    return done();
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

// A pop-up of the player whose text holds `part`, or null.
HWND PopupWith(PlayerSession& s, const std::string& part, std::string* text = nullptr) {
    for (HWND p : s.Popups()) {
        std::string t = PlayerSession::TextOf(p);
        if (t.find(part) == std::string::npos) continue;
        if (text) *text = t;
        return p;
    }
    return nullptr;
}

HWND WaitForPopupWith(PlayerSession& s, const std::string& part, std::string* text = nullptr) {
    HWND found = nullptr;
    tdtest::WaitFor([&] { return (found = PopupWith(s, part, text)) != nullptr; }, kEventMs, 100);
    return found;
}

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

const char kFeedTitle[] = "Journey Cast";

std::string Feed(const tdtest::HttpServer& server) {
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\"><channel><title>") + kFeedTitle +
           "</title><link>" + server.Url("/") + "</link><description>Tones</description>"
           "<item><title>First tone</title><pubDate>Mon, 07 Dec 2026 10:00:00 +0000</pubDate>"
           "<enclosure url=\"" + server.Url("/first.mp3") + "\" length=\"4000\" type=\"audio/mpeg\"/></item>"
           "</channel></rss>\n";
}

TEST(NavJourneys, APodcastSubscribedByALinkIsDeletedFromItsRow) {
    tdtest::HttpServer server;
    server.Serve("/feed.xml", Feed(server), "application/rss+xml");
    PlayerSession s;
    ASSERT_TRUE(s.Start());
    HWND nav = OpenNavigator(s);
    ASSERT_NE(nav, nullptr) << s.Log();

    // Subscribed as a web page hands a feed over: the player asks first.
    ASSERT_TRUE(s.Link("tunerdeck://|PODCAST|" + server.Url("/feed.xml")));
    std::string text;
    HWND ask = WaitForPopupWith(s, kFeedTitle, &text);
    ASSERT_NE(ask, nullptr) << "no question names the podcast\n" << s.Log();
    s.Key(VK_RETURN, ask);

    ASSERT_TRUE(s.Click(journeys::kNavPodcastsButton, nav));
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
