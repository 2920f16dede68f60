// The main window's right-click menu: texts from the catalogue in both
// languages, track entries enabled by the stream's tracks, entries for
// missing navigator views taken out, and the menu opened on the window.
#include <gtest/gtest.h>

#include <string>

#include "button_list.h"
#include "facetkit_fixtures.h"
#include "main_menu.h"
#include "main_window.h"
#include "txtelement.h"

namespace {

std::string MenuText(HMENU menu, UINT command) {
    char text[256] = {};
    if (GetMenuStringA(menu, command, text, sizeof text, MF_BYCOMMAND) <= 0) return "<none>";
    return text;
}

class MainMenu : public ::testing::Test {
protected:
    void SetUp() override {
        HMODULE facetkit = GetModuleHandleA("facetkit.dll");
        ASSERT_NE(facetkit, nullptr);
        loaded_ = LoadMenuA(facetkit, "ContextMenu");
        ASSERT_NE(loaded_, nullptr);
        menu_ = GetSubMenu(loaded_, MENU_MAIN);
        ASSERT_NE(menu_, nullptr);
    }
    void TearDown() override {
        if (loaded_) DestroyMenu(loaded_);
    }
    std::string Text(UINT command) { return MenuText(menu_, command); }
    bool Greyed(UINT command) { return (GetMenuState(menu_, command, MF_BYCOMMAND) & MF_GRAYED) != 0; }

    HMENU loaded_ = nullptr;
    HMENU menu_ = nullptr;
};

TEST_F(MainMenu, TextsFollowTheLanguageAndThePlayerState) {
    struct Case {
        int playing, recording, language;
        const char* play;
        const char* close;
        const char* minimise;
    };
    const Case cases[] = {
        {0, 0, 1, "Abspielen", "Beenden", "Fenster minimieren"},
        {1, 0, 1, "Abspielen beendet", "Beenden", "Fenster minimieren"},
        {0, 0, 2, "Play", "Close", "Minimise Window"},
        {1, 1, 2, "Stop", "Close", "Minimise Window"},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        MainMenuState state = {c.playing, c.recording, 0, 0, c.language, nullptr};
        BuildMainMenu(menu_, state);
        EXPECT_EQ(Text(CMD_PLAY_STOP), c.play) << c.language << "/" << c.playing;
        EXPECT_EQ(Text(CMD_CLOSE), c.close) << c.language;
        EXPECT_EQ(Text(CMD_MINIMISE), c.minimise) << c.language;
    }
}

TEST_F(MainMenu, TrackEntriesAreEnabledByTheStreamsTracks) {
    struct Case {
        int track, count;
        bool previous, next;
    };
    const Case cases[] = {{0, 0, false, false}, {0, 1, false, false}, {0, 2, false, true}, {1, 2, true, false},
                          {1, 3, true, true}};
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        MainMenuState state = {1, 0, c.track, c.count, 1, nullptr};
        BuildMainMenu(menu_, state);
        EXPECT_EQ(!Greyed(CMD_PREVIOUS_TRACK), c.previous) << c.track << "/" << c.count;
        EXPECT_EQ(!Greyed(CMD_NEXT_TRACK), c.next) << c.track << "/" << c.count;
    }
}

TEST_F(MainMenu, EntriesForMissingNavigatorViewsAreTakenOut) {
    MainMenuState without = {0, 0, 0, 0, 1, nullptr};
    BuildMainMenu(menu_, without);
    EXPECT_EQ(Text(CMD_RECORD), "<none>");
    EXPECT_EQ(Text(CMD_NEW_TIMER), "<none>");
    EXPECT_EQ(Text(CMD_ADD_OWN_STATION), "Eigenen Sender hinzuf\xFCgen");
    for (int i = 0; i < GetMenuItemCount(menu_); ++i)
        EXPECT_EQ(GetSubMenu(menu_, i), nullptr) << "no \"Goto\" without a navigator";

    // A navigator with the record and favourites views only.
    TearDown();
    SetUp();
    fk::TestHost host(50, 50);
    cButtonListe nav;
    nav.AddButton(&host, nullptr, 1, POINT{0, 0}, 265, 0);
    nav.AddButton(&host, nullptr, 1, POINT{0, 0}, 6, 0);
    MainMenuState with = {0, 1, 0, 0, 2, &nav};
    BuildMainMenu(menu_, with);
    EXPECT_EQ(Text(CMD_RECORD), "Stop recording");
    EXPECT_EQ(Text(CMD_NEW_TIMER), "<none>");
    HMENU go = nullptr;
    int goPos = -1;
    for (int i = 0; i < GetMenuItemCount(menu_); ++i)
        if (HMENU sub = GetSubMenu(menu_, i)) {
            go = sub;
            goPos = i;
        }
    ASSERT_NE(go, nullptr);
    char text[64] = {};
    GetMenuStringA(menu_, goPos, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "Goto");
    EXPECT_EQ(GetMenuItemID(menu_, goPos + 2), CMD_MINIMISE) << "Goto and a separator stand before Minimise";
    std::string entries;
    for (int i = 0; i < GetMenuItemCount(go); ++i) {
        GetMenuStringA(go, i, text, sizeof text, MF_BYPOSITION);
        entries += std::string(text) + ";";
    }
    EXPECT_EQ(entries, "Favourites;Recording;Station info;");
}

}  // namespace

// ---------------------------------------------------------------- station, options, help
namespace {

class SubMenu : public ::testing::Test {
protected:
    void Open(int subMenu, const MainMenuState& state) {
        if (loaded_) DestroyMenu(loaded_);
        loaded_ = LoadMenuA(GetModuleHandleA("facetkit.dll"), "ContextMenu");
        ASSERT_NE(loaded_, nullptr);
        menu_ = GetSubMenu(loaded_, subMenu);
        ASSERT_NE(menu_, nullptr);
        BuildContextMenu(menu_, subMenu, state);
    }
    void TearDown() override {
        if (loaded_) DestroyMenu(loaded_);
    }
    std::string Text(UINT command) { return MenuText(menu_, command); }
    // The labels of the sub-menu at a position, ";"-separated.
    std::string Entries(HMENU sub) {
        std::string out;
        char text[256];
        for (int i = 0; sub && i < GetMenuItemCount(sub); ++i) {
            GetMenuStringA(sub, i, text, sizeof text, MF_BYPOSITION);
            out += std::string(text) + ";";
        }
        return out;
    }
    static cTxtElement* Entry(const char* text, unsigned long id) {
        auto* e = new cTxtElement();
        e->SetText(text);
        e->SetId(id);
        return e;
    }
    HMENU loaded_ = nullptr;
    HMENU menu_ = nullptr;
};

TEST_F(SubMenu, StationMenuListsRecentStationsAndFoldersButNotTheOwnStations) {
    cListe recent, folders;
    recent.Add(Entry("Eins", 11));
    recent.Add(Entry("Zwei & Drei", 22));
    recent.Add(Entry("Vier", 44));
    folders.Add(Entry("Alle", 0));
    folders.Add(Entry("Eigene Sender", kOwnStationsFolder));
    folders.Add(Entry("Rock", 7));
    MainMenuState state = {0, 0, 0, 0, 1, nullptr};
    state.recent = &recent;
    state.folders = &folders;
    state.recentLimit = 2;
    state.favourite = 1;
    Open(MENU_STATION, state);
    EXPECT_EQ(Entries(GetSubMenu(menu_, 0)), "Eins;Zwei && Drei;") << "recent stations up to the limit";
    EXPECT_EQ(GetMenuItemID(GetSubMenu(menu_, 0), 1), CMD_RECENT_FIRST + 1);
    EXPECT_EQ(Entries(GetSubMenu(menu_, 1)), "Alle;Rock;");
    EXPECT_EQ(FolderByMenuIndex(&folders, 1)->GetId(), 7ul);
    EXPECT_EQ(FolderByMenuIndex(&folders, 2), nullptr);
    EXPECT_EQ(Text(CMD_FAVOURITE), "Aus Favoriten entfernen");
    EXPECT_EQ(Text(CMD_RECORD), "<none>") << "without the navigator's record view";
    EXPECT_EQ(GetMenuState(menu_, 0, MF_BYPOSITION) & MF_GRAYED, 0u);

    cListe none;
    state.recent = &none;
    state.favourite = 0;
    state.language = 2;
    Open(MENU_STATION, state);
    EXPECT_NE(GetMenuState(menu_, 0, MF_BYPOSITION) & MF_GRAYED, 0u) << "an empty recent list greys its entry";
    EXPECT_EQ(Text(CMD_FAVOURITE), "Add to favourites");
}

TEST_F(SubMenu, OptionsAndHelpFollowTheProductAndTheLanguage) {
    struct Case {
        int language, oem;
        unsigned long languages;
        bool newsletter, converter, languageMenu;
    };
    const Case cases[] = {
        {1, 0, 3, true, true, true},
        {2, 0, 3, false, true, true},
        {1, 1, 0, false, false, false},
    };
    for (const Case& c : cases) {
        MainMenuState state = {0, 0, 0, 0, c.language, nullptr};
        state.oem = c.oem;
        state.languageSupport = c.languages;
        Open(MENU_HELP, state);
        EXPECT_EQ(Text(CMD_NEWSLETTER) != "<none>", c.newsletter) << c.language << c.oem;
        EXPECT_EQ(Text(CMD_ABOUT), c.language == 2 ? "About velmirant-Player" : "\xDC" "ber velmirant-Player");
        Open(MENU_OPTIONS, state);
        EXPECT_EQ(Text(CMD_CONVERT_WAV) != "<none>", c.converter) << c.language << c.oem;
        EXPECT_EQ(Text(CMD_RECOMMEND_SKIN) != "<none>", c.converter) << c.language << c.oem;
        HMENU languages = GetSubMenu(menu_, GetMenuItemCount(menu_) - 1);
        EXPECT_EQ(languages != nullptr, c.languageMenu);
        if (languages) {
            EXPECT_EQ(Entries(languages), c.language == 2 ? "German;English;" : "Deutsch;Englisch;");
            UINT checked = c.language == 2 ? CMD_ENGLISH : CMD_GERMAN;
            EXPECT_NE(GetMenuState(languages, checked, MF_BYCOMMAND) & MF_CHECKED, 0u);
        }
    }
}


// The view menu marks the navigator's state and the view it shows; the
// navigator's own menu marks the same view under its own commands.
TEST_F(SubMenu, ViewMenusMarkTheNavigatorsStateAndItsShownView) {
    fk::TestHost host(50, 50);
    cButtonListe nav;
    for (DWORD id : {5u, 6u, 7u, 8u, 265u, 322u, 356u, 375u}) nav.AddButton(&host, nullptr, 1, POINT{0, 0}, id, 0);
    struct Case {
        int folded, viewKind;
        UINT marked;   // the view entry with the check mark (0 none)
    };
    const Case cases[] = {
        {1, 3, 32778}, {0, 4, 32779}, {0, 2, 32780}, {0, 7, 32810}, {0, 9, CMD_TIMER_ENTRY},
        {0, 8, 32846}, {1, 10, 32862}, {0, 12, 32866}, {0, 5, 0},   // details: no view entry of its own
    };
    const UINT kViewEntries[] = {32778, 32779, 32780, 32810, CMD_TIMER_ENTRY, 32846, 32862, 32866};
    auto checked = [this](UINT command) { return (GetMenuState(menu_, command, MF_BYCOMMAND) & MF_CHECKED) != 0; };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.viewKind);
        MainMenuState state = {0, 0, 0, 0, 1, &nav};
        state.navFolded = c.folded;
        state.viewKind = c.viewKind;
        Open(MENU_VIEW, state);
        EXPECT_EQ(checked(CMD_VIEW_NORMAL), c.folded != 0);
        EXPECT_EQ(checked(CMD_VIEW_EXTENDED), c.folded == 0);
        for (UINT command : kViewEntries) EXPECT_EQ(checked(command), command == c.marked) << command;
    }

    // The navigator's menu marks the favourites under its own command.
    MainMenuState state = {0, 0, 0, 0, 1, &nav};
    state.viewKind = 3;
    Open(MENU_NAVIGATOR, state);
    EXPECT_TRUE(checked(CMD_NAV_FAVOURITES));
    EXPECT_FALSE(checked(CMD_NAV_TOP));
    EXPECT_TRUE(checked(CMD_NAV_EXTEND));

    // Without a navigator nothing is marked, and its view entries go.
    MainMenuState none = {0, 0, 0, 0, 1, nullptr};
    none.viewKind = 3;
    Open(MENU_VIEW, none);
    EXPECT_FALSE(checked(CMD_VIEW_NORMAL));
    EXPECT_FALSE(checked(CMD_VIEW_EXTENDED));
    EXPECT_EQ(Text(32778), "<none>");
}

}  // namespace
