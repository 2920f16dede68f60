// The navigator's menus: what each shows for the row it opens on, and the
// texts its commands build.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "button_list.h"
#include "facetkit_fixtures.h"
#include "main_menu.h"
#include "nav_menus.h"

namespace {

class NavMenus : public ::testing::Test {
protected:
    void Open(int subMenu) {
        Close();
        loaded_ = LoadMenuA(GetModuleHandleA("facetkit.dll"), "ContextMenu");
        ASSERT_NE(loaded_, nullptr);
        menu_ = GetSubMenu(loaded_, subMenu);
        ASSERT_NE(menu_, nullptr);
    }
    void Close() {
        if (loaded_) DestroyMenu(loaded_);
        loaded_ = nullptr;
    }
    void TearDown() override { Close(); }
    // The entries in order: command ids, 0 for a separator, -1 for a sub-menu.
    std::vector<int> Entries() {
        std::vector<int> out;
        for (int i = 0; i < GetMenuItemCount(menu_); ++i)
            out.push_back(GetSubMenu(menu_, i) ? -1 : static_cast<int>(GetMenuItemID(menu_, static_cast<UINT>(i))));
        return out;
    }
    std::string Text(UINT command) {
        char text[256] = {};
        if (GetMenuStringA(menu_, command, text, sizeof text, MF_BYCOMMAND) <= 0) return "<none>";
        return text;
    }
    UINT State(UINT command) { return GetMenuState(menu_, command, MF_BYCOMMAND); }

    HMENU loaded_ = nullptr;
    HMENU menu_ = nullptr;
};

TEST_F(NavMenus, StationRowOffersEditAndDeleteOnlyForOwnStations) {
    const struct {
        unsigned long id;
        int favourite;
        const char* recommend;
        const char* favouriteText;
        bool deletable;
    } cases[] = {
        {4711, 0, "Recommend station", "Add to favourites", false},
        {4711, 1, "Recommend station", "Remove from favourites", false},
        {0xFFFF0003ul, 0, "Edit station", "Add to favourites", true},
    };
    for (const auto& c : cases) {
        Open(MENU_STATION_ROW);
        MainMenuState s = {0, 0, 0, 0, 2, nullptr};
        s.rowId = c.id;
        s.rowFavourite = c.favourite;
        BuildContextMenu(menu_, MENU_STATION_ROW, s);
        EXPECT_EQ(Text(CMD_ROW_RECOMMEND), c.recommend) << c.id;
        EXPECT_EQ(Text(CMD_ROW_FAVOURITE), c.favouriteText) << c.id;
        EXPECT_EQ(Text(CMD_ROW_DELETE_STATION) != "<none>", c.deletable) << c.id;
        EXPECT_EQ(Text(CMD_TIMER_ENTRY), "<none>") << "no timer view, no timer entry";
    }
}

TEST_F(NavMenus, TimerAndTipRowsCompleteTheirEntries) {
    for (int active : {0, 1}) {
        Open(MENU_TIMER_ROW);
        MainMenuState s = {0, 0, 0, 0, 1, nullptr};
        s.rowActive = active;
        BuildContextMenu(menu_, MENU_TIMER_ROW, s);
        EXPECT_EQ(Text(CMD_TIMER_ACTIVE), active ? "Deaktivieren" : "Aktivieren");
    }
    Open(MENU_TIP_ROW);
    MainMenuState s = {0, 0, 0, 0, 1, nullptr};
    BuildContextMenu(menu_, MENU_TIP_ROW, s);
    EXPECT_EQ(Entries(), (std::vector<int>{static_cast<int>(CMD_TIP_OPEN), static_cast<int>(CMD_TIP_TO_TIMER),
                                           static_cast<int>(CMD_ROW_PLAY), 0, static_cast<int>(CMD_TIP_UPDATE),
                                           static_cast<int>(CMD_TIP_DELETE_EXPIRED)}));
}

TEST_F(NavMenus, PodcastMenuIsBuiltForItsRow) {
    const int S = 0;   // separator
    const struct {
        int episode, downloaded, subscribed;
        std::vector<int> entries;
    } cases[] = {
        {1, 0, 1, {11, S, 7, 8, 9}},
        {1, 1, 1, {11, 12, S, 7, 8, 9}},
        {0, 0, 1, {1, 3, 5, 4, S, 10, 6, S, 7, 8, 9}},
    };
    for (const auto& c : cases) {
        Open(MENU_PODCAST_ROW);
        MainMenuState s = {0, 0, 0, 0, 2, nullptr};
        s.rowIsEpisode = c.episode;
        s.episodeDownloaded = c.downloaded;
        s.feedSubscribed = c.subscribed;
        BuildContextMenu(menu_, MENU_PODCAST_ROW, s);
        EXPECT_EQ(Entries(), c.entries) << c.episode << c.downloaded;
    }
    std::string subscription[2];
    for (int subscribed : {0, 1}) {
        Open(MENU_PODCAST_ROW);
        MainMenuState s = {0, 0, 0, 0, 2, nullptr};
        s.feedSubscribed = subscribed;
        BuildContextMenu(menu_, MENU_PODCAST_ROW, s);
        subscription[subscribed] = Text(CMD_POD_SUBSCRIPTION);
    }
    EXPECT_NE(subscription[0], subscription[1]) << "subscribe and unsubscribe";
}

TEST_F(NavMenus, NavigatorMenuFollowsItsViewsAndHistory) {
    fk::TestHost host(50, 50);
    cButtonListe nav;
    for (DWORD id : {6u, 322u}) nav.AddButton(&host, nullptr, 1, POINT{0, 0}, id, 0);
    Open(MENU_NAVIGATOR);
    MainMenuState s = {0, 0, 0, 0, 1, &nav};
    s.navFolded = 1;
    s.viewKind = 9;
    s.canBack = 1;
    BuildContextMenu(menu_, MENU_NAVIGATOR, s);
    EXPECT_TRUE(State(CMD_NAV_FOLD) & MF_CHECKED);
    EXPECT_FALSE(State(CMD_NAV_EXTEND) & MF_CHECKED);
    EXPECT_TRUE(State(CMD_TIMER_ENTRY) & MF_CHECKED) << "the timer view is shown";
    EXPECT_FALSE(State(CMD_NAV_FAVOURITES) & MF_CHECKED);
    for (UINT gone : {CMD_NAV_TOP, CMD_NAV_SEARCH, CMD_NAV_SKINS, CMD_NAV_RECORDING, CMD_NAV_TIPS, CMD_NAV_PODCASTS})
        EXPECT_EQ(Text(gone), "<none>") << gone << ": the navigator has no such view";
    EXPECT_FALSE(State(CMD_NAV_BACK) & MF_GRAYED);
    EXPECT_TRUE(State(CMD_NAV_FORWARD) & MF_GRAYED);
    EXPECT_EQ(Text(CMD_NAV_BACK), "Zur\xfc" "ck");
}

TEST(NavMenuTexts, TipTimesAndStationLinks) {
    const struct {
        const char* tip;
        const char* time;
    } times[] = {
        {"2026121020:15", "20261210201500"}, {"2026121020.05xyz", "20261210200500"}, {"20261210", ""},
        {"2026121020:1a", ""},               {"abcd121020:15", ""},                 {"", ""},
    };
    for (const auto& t : times) EXPECT_EQ(TipTimeText(t.tip), t.time) << t.tip;
    EXPECT_EQ(TipTimeText(nullptr), "");
    EXPECT_EQ(StationLinkText(17, "Radio Eins"), "<a href=\"tunerdeck://|ChannelId|17/\">Radio Eins anh\xf6ren</a>");
    EXPECT_EQ(StationLinkText(17, std::string(2000, 'x').c_str()).size(), 1199u) << "a long name is cut";
}

}  // namespace
