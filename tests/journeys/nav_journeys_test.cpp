// The navigator as a user meets it: opened from the main window, its
// station list read and clicked, favourites added and removed, podcasts
// deleted; judged by what shows, what plays and what is left on disk.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "player_session.h"
#include "tone_station.h"

namespace {

using journeys::PlayerSession;
using journeys::ToneStation;

constexpr DWORD kEventMs = 30000;

TEST(NavJourneys, Explore) {
    PlayerSession s;
    ASSERT_TRUE(s.Start());
    HWND nav = nullptr;
    tdtest::WaitFor([&] { nav = journeys::FindNavigator(s); return nav && IsWindowVisible(nav); }, kEventMs, 200);
    RECT m = {}, n = {};
    GetWindowRect(s.Main(), &m);
    GetWindowRect(nav, &n);
    printf("main %ld %ld %ld %ld nav %p %ld %ld %ld %ld visible %d\n", m.left, m.top, m.right, m.bottom, (void*)nav,
           n.left, n.top, n.right, n.bottom, nav ? IsWindowVisible(nav) : -1);
    journeys::ScreenshotBoth(s.Main(), nav, "nav-explore-start");
    tdtest::WaitFor([&] { RECT b; HRGN r = CreateRectRgn(0,0,0,0); int k = GetWindowRgn(nav, r); GetRgnBox(r, &b); DeleteObject(r); return k != ERROR && b.right > b.left; }, kEventMs, 200);
    GetWindowRect(nav, &n);
    printf("nav %ld %ld %ld %ld visible %d\n", n.left, n.top, n.right, n.bottom, IsWindowVisible(nav));
    for (unsigned id : {5u, 6u, 7u, 8u, 265u, 322u, 375u}) {
        s.Click(id, nav);
        Sleep(2500);
        journeys::ScreenshotBoth(s.Main(), nav, "nav-explore-" + std::to_string(id));
    }
}

}  // namespace
