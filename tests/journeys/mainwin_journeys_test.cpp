// The main window as a user meets it in the running player: the favourite
// button that tells whether the playing station is a favourite and makes it
// one, the wheel that scrolls the navigator's list, and the stations button's
// menu that plays a station heard before.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue.h"
#include "player_session.h"
#include "tone_station.h"

namespace {

using journeys::PlayerSession;
using journeys::ToneStation;

constexpr DWORD kEventMs = 30000;
constexpr unsigned kFavouriteButton = 29;
constexpr unsigned kSearchButton = 7;   // the navigator's search page

std::string Catalogue(unsigned id) {
    char text[512] = {};
    GetResourceString(nullptr, id, kLanguageGerman, text, sizeof text);
    return text;
}

// The sprite a button of the standard skin shows: its artwork carries the
// sprite's id in the probe pixel at (2, 2) (red the low byte, blue 0xA5).
int ShownSprite(const journeys::ElementView& button) {
    if (!button.ownWindow) return -1;
    int w = 0, h = 0;
    std::vector<uint32_t> pixels;
    if (!tdtest::CaptureWindow(button.ownWindow, &w, &h, &pixels) || w < 3 || h < 3) return -1;
    uint32_t probe = pixels[2 * w + 2];
    if ((probe & 0xFF) != 0xA5) return -1;
    return static_cast<int>(((probe >> 16) & 0xFF) | (((probe >> 8) & 1) << 8));
}

bool ShowsFavourite(PlayerSession& s, bool favourite, std::string* seen) {
    const std::string tip = Catalogue(favourite ? 175 : 176);
    const int sprite = favourite ? 32 : 29;
    return tdtest::WaitFor([&] {
        journeys::ElementView v = s.Element(kFavouriteButton);
        *seen = v.text + " / sprite " + std::to_string(ShownSprite(v));
        return v.found && v.text == tip && ShownSprite(v) == sprite;
    }, kEventMs, 200);
}

// The pixels of a window as the screen shows them.
std::vector<uint32_t> Picture(HWND window) {
    int w = 0, h = 0;
    std::vector<uint32_t> pixels;
    tdtest::CaptureWindow(window, &w, &h, &pixels);
    return pixels;
}

}  // namespace

TEST(MainWindowJourneys, TheFavouriteButtonTellsAndMakesThePlayingStationAFavourite) {
    ToneStation station;
    PlayerSession s;
    ASSERT_TRUE(s.RouteStation(1, station.Url()));
    ASSERT_TRUE(s.Start());
    ASSERT_TRUE(s.Element(kFavouriteButton).found) << "the standard skin has no favourite button";

    ASSERT_TRUE(s.Link("tunerdeck://|CHANNELID|1"));
    tdtest::ToneStats st;
    ASSERT_TRUE(s.WaitForTone(kEventMs, &st)) << "rms " << st.rms << " frequency " << st.frequency;
    std::string seen;
    EXPECT_TRUE(ShowsFavourite(s, false, &seen)) << "favourite button shows " << seen;

    // Clicked, the station becomes a favourite and the button says so.
    ASSERT_TRUE(s.Click(kFavouriteButton));
    EXPECT_TRUE(ShowsFavourite(s, true, &seen)) << "favourite button shows " << seen;
    s.Screenshot("favourite-added");

    // Clicked again, it is taken out of the favourites.
    ASSERT_TRUE(s.Click(kFavouriteButton));
    EXPECT_TRUE(ShowsFavourite(s, false, &seen)) << "favourite button shows " << seen;
    EXPECT_TRUE(s.CloseByButton());
}

TEST(MainWindowJourneys, TheWheelOverTheMainWindowScrollsTheNavigatorsList) {
    PlayerSession s;
    ASSERT_TRUE(s.Start());
    HWND nav = nullptr;
    ASSERT_TRUE(tdtest::WaitFor([&] { return (nav = s.Navigator()) != nullptr && IsWindowVisible(nav); }, kEventMs, 200))
        << "no navigator";
    // Waits until the navigator shows a page that no longer changes.
    // A busy machine may paint a page in pieces with pauses between: the
    // picture must hold through several looks.
    std::vector<uint32_t> still;
    auto settle = [&] {
        std::vector<uint32_t> last;
        int looks = 0;
        return tdtest::WaitFor([&] {
            std::vector<uint32_t> now = Picture(nav);
            looks = !now.empty() && now == last ? looks + 1 : 0;
            last = now;
            still = now;
            return looks >= 3;
        }, kEventMs, 500);
    };
    // The navigator comes up extended, as it was left; its search page
    // searches all stations when Enter is pressed in the main window.
    ASSERT_TRUE(s.Click(kSearchButton, nav));
    ASSERT_TRUE(settle());
    const std::vector<uint32_t> form = still;
    s.Key(VK_RETURN);
    ASSERT_TRUE(tdtest::WaitFor([&] { return !journeys::NavigatorRows(s).empty() && Picture(nav) != form; },
                                kEventMs, 200))
        << "no search results";
    ASSERT_TRUE(settle());
    tdtest::SaveWindowPng(nav, tdtest::ArtifactDir() + "\\journey-wheel-navigator-before.png");
    std::vector<uint32_t> before = still;
    s.Wheel(s.Main(), -WHEEL_DELTA);
    EXPECT_TRUE(tdtest::WaitFor([&] { return Picture(nav) != before; }, kEventMs, 200))
        << "the navigator's list did not move";
    ASSERT_TRUE(settle());
    std::vector<uint32_t> scrolled = still;
    tdtest::SaveWindowPng(nav, tdtest::ArtifactDir() + "\\journey-wheel-navigator-scrolled.png");
    // Back the other way, the list shows its first rows again.
    s.Wheel(s.Main(), WHEEL_DELTA);
    EXPECT_TRUE(tdtest::WaitFor([&] { return Picture(nav) == before; }, kEventMs, 200))
        << "the list did not come back";
    EXPECT_NE(scrolled, before);
    EXPECT_TRUE(s.CloseByButton());
}

// The stations button (the first under the display) opens the station menu;
// its first entry lists the stations heard last, the newest on top, and
// choosing one plays it again.
TEST(MainWindowJourneys, TheStationsButtonPlaysAStationHeardBefore) {
    ToneStation first, second;
    PlayerSession s;
    ASSERT_TRUE(s.RouteStation(1, first.Url()));
    ASSERT_TRUE(s.RouteStation(2, second.Url()));
    ASSERT_TRUE(s.Start());
    auto nonEmpty = [](const std::string& t) { return !t.empty(); };

    ASSERT_TRUE(s.Link("tunerdeck://|CHANNELID|1"));
    tdtest::ToneStats st;
    ASSERT_TRUE(s.WaitForTone(kEventMs, &st)) << "rms " << st.rms << " frequency " << st.frequency << "\n" << s.Log();
    ASSERT_GE(first.Connections(), 1u);
    std::string firstName;
    ASSERT_TRUE(s.WaitForText(journeys::kStationLine, nonEmpty, kEventMs, &firstName));

    ASSERT_TRUE(s.Link("tunerdeck://|CHANNELID|2"));
    ASSERT_TRUE(tdtest::WaitFor([&] { return second.Connections() >= 1; }, kEventMs, 100)) << s.Log();
    std::string seen;
    ASSERT_TRUE(s.WaitForText(journeys::kStationLine, [&](const std::string& t) { return !t.empty() && t != firstName; },
                              kEventMs, &seen))
        << "station line shows \"" << seen << "\"";
    ASSERT_TRUE(s.WaitForTone(kEventMs, &st)) << "rms " << st.rms << " frequency " << st.frequency;
    // Under Wine the host may read the wave-out volume as 0 when the second
    // station starts buffering and ask whether to raise it: a user answers
    // no and goes on.
    for (HWND box : s.Popups()) {
        s.Key(VK_ESCAPE, box);
        ASSERT_TRUE(journeys::WaitGone(box, kEventMs)) << "the volume notice stays open";
    }
    const size_t firstBefore = first.Connections();

    ASSERT_TRUE(journeys::OpenElementMenu(s, journeys::kStationsButton, kEventMs)) << "no menu under the stations button";
    // The recent stations' sub-menu, then its second entry: the first station.
    s.Key(VK_DOWN);
    s.Key(VK_RIGHT);
    journeys::ChooseMenuEntry(s, VK_DOWN, 1);

    EXPECT_TRUE(tdtest::WaitFor([&] { return first.Connections() > firstBefore; }, kEventMs, 100))
        << "the first station was not played again\n" << s.Log();
    EXPECT_TRUE(s.WaitForText(journeys::kStationLine, [&](const std::string& t) { return t == firstName; }, kEventMs, &seen))
        << "station line shows \"" << seen << "\", not \"" << firstName << "\"";
    EXPECT_TRUE(s.WaitForTone(kEventMs, &st)) << "rms " << st.rms << " frequency " << st.frequency;
    s.Screenshot("station-menu-recent");
    EXPECT_TRUE(s.CloseByButton());
}
