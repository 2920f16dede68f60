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
std::vector<TableLine> WaitForLines(HWND nav, const std::function<bool(const std::vector<TableLine>&)>& accept,
                                    HWND* table = nullptr) {
    std::vector<TableLine> lines;
    tdtest::WaitFor([&] {
        HWND t = journeys::FindTable(nav);
        if (!t) return false;
        lines = journeys::TableLines(t);
        if (table) *table = t;
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

TEST(NavJourneys, TheNavigatorOpensBesideTheMainWindowWithReadableStationRows) {
    PlayerSession s;
    ASSERT_TRUE(s.Start());
    HWND nav = OpenNavigator(s);
    ASSERT_NE(nav, nullptr) << "the navigator does not open\n" << s.Log();
    ASSERT_TRUE(s.Click(journeys::kNavTopStationsButton, nav));
    HWND table = nullptr;
    std::vector<TableLine> lines = WaitForLines(nav, [](const std::vector<TableLine>& l) { return l.size() >= 3; },
                                                &table);
    ASSERT_GE(lines.size(), 3u) << "the station list shows no stations";

    RECT main = {}, beside = {};
    GetWindowRect(s.Main(), &main);
    GetWindowRect(nav, &beside);
    EXPECT_LE(std::abs(beside.left - main.right), 2) << "the navigator's left edge is not at the main window's right";
    EXPECT_TRUE(beside.top < main.bottom && beside.bottom > main.top) << "the navigator is above or below the main window";

    for (size_t i = 0; i < 3; ++i) {
        EXPECT_FALSE(NameOf(lines[i]).empty());
        ASSERT_TRUE(lines[i].line.visible);
        EXPECT_GE(NameContrast(table, lines[i]), 100) << "the name \"" << NameOf(lines[i]) << "\" hardly shows";
        // Each station line offers play, details and adding to the favourites.
        EXPECT_NE(lines[i].Button(journeys::kRowPlay), nullptr);
        EXPECT_NE(lines[i].Button(journeys::kRowAddFavourite), nullptr);
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
    HWND table = nullptr;
    auto hasFirst = [](const std::vector<TableLine>& l) { return LineOf(l, kFirstTopStation) != nullptr; };
    std::vector<TableLine> lines = WaitForLines(nav, hasFirst, &table);
    const TableLine* first = LineOf(lines, kFirstTopStation);
    ASSERT_NE(first, nullptr) << "station " << kFirstTopStation << " is not in the top list";
    const std::string name = NameOf(*first);

    // Play from the row: the tone is heard and the display names the station.
    ASSERT_TRUE(ClickButton(table, *first, journeys::kRowPlay));
    tdtest::ToneStats st;
    EXPECT_TRUE(s.WaitForTone(kEventMs, &st)) << "rms " << st.rms << " frequency " << st.frequency << "\n" << s.Log();
    std::string shown;
    EXPECT_TRUE(s.WaitForText(journeys::kStationLine, [&](const std::string& t) { return t.find(name) != std::string::npos; },
                              kEventMs, &shown))
        << "the display shows \"" << shown << "\", not \"" << name << "\"";

    // Add it to the favourites from its row: the row then offers removal.
    ASSERT_NE(first->Button(journeys::kRowAddFavourite), nullptr);
    ASSERT_TRUE(ClickButton(table, *first, journeys::kRowAddFavourite));
    lines = WaitForLines(nav, [](const std::vector<TableLine>& l) {
        const TableLine* f = LineOf(l, kFirstTopStation);
        return f && f->Button(journeys::kRowRemoveFavourite) && !f->Button(journeys::kRowAddFavourite);
    }, &table);
    first = LineOf(lines, kFirstTopStation);
    ASSERT_TRUE(first && first->Button(journeys::kRowRemoveFavourite)) << "the top list still offers to add it";

    // The favourites list holds it, offering removal; removing it there empties the list of it.
    ASSERT_TRUE(s.Click(journeys::kNavFavouritesButton, nav));
    EXPECT_TRUE(tdtest::WaitFor([&] { return s.Element(journeys::kNavFavouritesButton, nav).status != 2; }, kEventMs, 100))
        << "the favourites button does not show its view";
    lines = WaitForLines(nav, hasFirst, &table);

    first = LineOf(lines, kFirstTopStation);
    ASSERT_NE(first, nullptr) << "the favourites do not show the added station";
    EXPECT_EQ(NameOf(*first), name);
    EXPECT_EQ(first->Button(journeys::kRowAddFavourite), nullptr) << "a favourite offers to be added again";
    ASSERT_TRUE(ClickButton(table, *first, journeys::kRowRemoveFavourite));
    auto gone = [&] {
        HWND t = journeys::FindTable(nav);
        return !t || !LineOf(journeys::TableLines(t), kFirstTopStation);
    };
    tdtest::WaitFor(gone, kEventMs, 200);
    EXPECT_TRUE(gone()) << "the removed favourite stays";
    EXPECT_NE(s.Element(journeys::kNavFavouritesButton, nav).status, 2) << "the favourites view was left";
    EXPECT_EQ(s.Element(journeys::kNavTopStationsButton, nav).status, 2) << "the top list came back";
    journeys::ScreenshotBoth(s.Main(), nav, "nav-favourite-removed");
    EXPECT_TRUE(s.CloseByButton());
}

}  // namespace
