#include "main_menu.h"

#include "bounded_text.h"
#include "button_list.h"
#include "catalogue.h"
#include "liste.h"
#include "txtelement.h"

#include <initializer_list>
#include <utility>

namespace {

constexpr int kMenuTextSize = 500;

void SetText(HMENU menu, UINT command, unsigned textId, int language) {
    char text[kMenuTextSize];
    GetResourceString(nullptr, textId, language, text, sizeof text);
    ModifyMenuA(menu, command, MF_BYCOMMAND | MF_STRING, command, text);
}

void Enable(HMENU menu, UINT command, bool enabled) {
    EnableMenuItem(menu, command, MF_BYCOMMAND | (enabled ? MF_ENABLED : (MF_GRAYED | MF_DISABLED)));
}

bool NavHas(const MainMenuState& s, DWORD id) { return s.navigator && s.navigator->GetById(id); }

void RemoveUnless(HMENU menu, UINT command, bool keep) {
    if (!keep) DeleteMenu(menu, command, MF_BYCOMMAND);
}

// The "Goto" entries with the navigator button each stands for.
struct GotoEntry {
    UINT command;
    unsigned textId;
    DWORD navElement;   // 0: always there
};
const GotoEntry kGotoEntries[] = {
    {32778, 310, 6},   {32779, 309, 5},   {32780, 312, 7},   {32848, 311, 265}, {32851, 313, 322},
    {32862, 506, 356}, {32866, 602, 375}, {32810, 314, 8},   {32803, 315, 0},
};

}  // namespace

void BuildMainMenu(HMENU menu, const MainMenuState& s) {
    if (!menu) return;
    int lang = s.language;
    SetText(menu, CMD_PLAY_STOP, s.playing ? 287 : 180, lang);
    SetText(menu, CMD_RECORD, s.recording ? 173 : 174, lang);
    RemoveUnless(menu, CMD_RECORD, NavHas(s, 265));
    SetText(menu, CMD_PREVIOUS_TRACK, 259, lang);
    Enable(menu, CMD_PREVIOUS_TRACK, s.track > 0);
    SetText(menu, CMD_NEXT_TRACK, 262, lang);
    Enable(menu, CMD_NEXT_TRACK, s.track + 1 < s.trackCount);
    SetText(menu, CMD_NEW_TIMER, 425, lang);
    RemoveUnless(menu, CMD_NEW_TIMER, NavHas(s, 322));
    SetText(menu, CMD_ADD_OWN_STATION, 426, lang);
    SetText(menu, CMD_OPEN_STREAM_URL, 427, lang);
    SetText(menu, CMD_MINIMISE, 241, lang);
    SetText(menu, CMD_CLOSE, 434, lang);

    if (!s.navigator) return;
    HMENU go = CreatePopupMenu();
    char text[kMenuTextSize];
    for (const GotoEntry& e : kGotoEntries) {
        if (e.navElement && !NavHas(s, e.navElement)) continue;
        GetResourceString(nullptr, e.textId, lang, text, sizeof text);
        AppendMenuA(go, MF_STRING, e.command, text);
    }
    GetResourceString(nullptr, 443, lang, text, sizeof text);
    InsertMenuA(menu, CMD_MINIMISE, MF_BYCOMMAND | MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(go), text);
    InsertMenuA(menu, CMD_MINIMISE, MF_BYCOMMAND | MF_SEPARATOR, 0, nullptr);
}

namespace {

void SetFilled(HMENU menu, UINT command, unsigned textId, const char* value, int language) {
    char format[kMenuTextSize], text[kMenuTextSize];
    GetResourceString(nullptr, textId, language, format, sizeof format);
    bk::TextFormat(text, sizeof text, format, value);
    ModifyMenuA(menu, command, MF_BYCOMMAND | MF_STRING, command, text);
}

void InsertSubMenu(HMENU menu, UINT before, HMENU sub, unsigned textId, int language) {
    char text[kMenuTextSize];
    GetResourceString(nullptr, textId, language, text, sizeof text);
    InsertMenuA(menu, before, MF_BYCOMMAND | MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(sub), text);
}

const char* ElementText(cListElement* e) {
    const char* text = static_cast<cTxtElement*>(e)->GetText();
    return text ? text : "";
}

// Menu labels carry names the server sent: bounded, and "&" shown as such.
void MenuLabel(const char* name, char* out, size_t size) {
    size_t n = 0;
    for (const char* p = name; *p && n + 2 < size; ++p) {
        if (*p == '&') out[n++] = '&';
        out[n++] = *p;
    }
    out[n] = 0;
}

HMENU FolderMenu(const MainMenuState& s) {
    HMENU sub = CreatePopupMenu();
    char label[kMenuTextSize];
    for (int i = 0; s.folders; ++i) {
        cListElement* folder = FolderByMenuIndex(s.folders, i);
        if (!folder) break;
        MenuLabel(ElementText(folder), label, sizeof label);
        AppendMenuA(sub, MF_STRING, CMD_FOLDER_FIRST + static_cast<UINT>(i), label);
    }
    return sub;
}

void SetTexts(HMENU menu, std::initializer_list<std::pair<UINT, unsigned>> texts, int language) {
    for (const auto& t : texts) SetText(menu, t.first, t.second, language);
}

void BuildStationMenu(HMENU menu, const MainMenuState& s) {
    int lang = s.language;
    SetText(menu, CMD_FAVOURITE, s.favourite ? 175 : 176, lang);
    InsertSubMenu(menu, CMD_FAVOURITE, FolderMenu(s), 177, lang);

    HMENU recent = CreatePopupMenu();
    char label[kMenuTextSize];
    int count = 0;
    int limit = s.recentLimit < kMaxMenuFolders - 1 ? s.recentLimit : kMaxMenuFolders - 1;
    for (cListElement* e = s.recent ? s.recent->First() : nullptr; e && count < limit; e = e->Next(), ++count) {
        MenuLabel(ElementText(e), label, sizeof label);
        AppendMenuA(recent, MF_STRING, CMD_RECENT_FIRST + static_cast<UINT>(count), label);
    }
    char text[kMenuTextSize];
    GetResourceString(nullptr, 178, lang, text, sizeof text);
    // Inserted before the folder sub-menu, which stands just before the
    // favourite entry.
    int position = -1;
    for (int i = 0; i < GetMenuItemCount(menu); ++i)
        if (GetMenuItemID(menu, i) == CMD_FAVOURITE) position = i - 1;
    InsertMenuA(menu, position < 0 ? 0 : static_cast<UINT>(position), MF_BYPOSITION | MF_POPUP | MF_STRING,
                reinterpret_cast<UINT_PTR>(recent), text);
    if (count == 0) EnableMenuItem(menu, static_cast<UINT>(position < 0 ? 0 : position), MF_BYPOSITION | MF_GRAYED);

    SetText(menu, CMD_PLAY_STOP, s.playing ? 171 : 172, lang);
    SetText(menu, CMD_RECORD, s.recording ? 173 : 174, lang);
    RemoveUnless(menu, CMD_TIMER_ENTRY, NavHas(s, 322));
    RemoveUnless(menu, CMD_RECORD, NavHas(s, 265));
    SetTexts(menu, {{CMD_STATION_INFO, 252}, {CMD_HOMEPAGE, 250}, {CMD_TIMER_ENTRY, 425}, {CMD_RECOMMEND_STATION, 127},
                    {CMD_SUBSCRIBE_PODCAST, 579}, {CMD_ADD_OWN_STATION, 426}, {CMD_OPEN_STREAM_URL, 427}},
             lang);
    RemoveUnless(menu, CMD_SUBSCRIBE_PODCAST, NavHas(s, 375));
}

void Check(HMENU menu, UINT command, bool checked) {
    CheckMenuItem(menu, command, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

// A view entry: its command, the view kind it shows and the navigator
// button the kind needs.
struct ViewEntry {
    UINT command;
    int kind;
    DWORD button;
};

// The entry of the view the navigator shows carries the check mark; entries
// of views the navigator has no button for go.
void MarkShownView(HMENU menu, const MainMenuState& s, std::initializer_list<ViewEntry> entries) {
    for (const ViewEntry& v : entries) {
        Check(menu, v.command, s.navigator && v.kind == s.viewKind);
        RemoveUnless(menu, v.command, NavHas(s, v.button));
    }
}

void BuildViewMenu(HMENU menu, const MainMenuState& s) {
    int lang = s.language;
    SetTexts(menu, {{CMD_VIEW_NORMAL, 428}, {CMD_VIEW_EXTENDED, 429}, {32778, 310}, {32779, 309}, {32780, 312},
                    {32846, 311}, {32862, 506}, {CMD_TIMER_ENTRY, 313}, {32866, 602}, {32810, 314},
                    {CMD_STATION_INFO, 252}},
             lang);
    // Without a navigator neither of its states is true.
    Check(menu, CMD_VIEW_NORMAL, s.navigator && s.navFolded);
    Check(menu, CMD_VIEW_EXTENDED, s.navigator && !s.navFolded);
    MarkShownView(menu, s, {{32778, 3, 6}, {32779, 4, 5}, {32780, 2, 7}, {32810, 7, 8}, {CMD_TIMER_ENTRY, 9, 322},
                            {32846, 8, 265}, {32862, 10, 356}, {32866, 12, 375}});
}

void BuildOptionsMenu(HMENU menu, const MainMenuState& s) {
    int lang = s.language;
    SetTexts(menu, {{CMD_SETTINGS, 430}, {CMD_UPDATE_DATABASE, 431}, {CMD_RECOMMEND_SKIN, 193},
                    {CMD_RECOMMEND_STATION_2, 127}, {CMD_CONVERT_WAV, 508}},
             lang);
    SetFilled(menu, CMD_RECOMMEND_PLAYER, 183, s.productText, lang);
    if (s.oem) {
        DeleteMenu(menu, CMD_CONVERT_WAV, MF_BYCOMMAND);
        DeleteMenu(menu, CMD_RECOMMEND_SKIN, MF_BYCOMMAND);
    } else {
        InsertMenuA(menu, CMD_RECOMMEND_PLAYER, MF_BYCOMMAND | MF_SEPARATOR, 0, nullptr);
    }
    if (s.languageSupport == 3) {
        HMENU languages = CreatePopupMenu();
        bool english = lang == 2;
        AppendMenuA(languages, MF_STRING | (english ? 0 : MF_CHECKED), CMD_GERMAN, english ? "German" : "Deutsch");
        AppendMenuA(languages, MF_STRING | (english ? MF_CHECKED : 0), CMD_ENGLISH, english ? "English" : "Englisch");
        char text[kMenuTextSize];
        GetResourceString(nullptr, 445, lang, text, sizeof text);
        AppendMenuA(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(languages), text);
    }
}

void BuildHelpMenu(HMENU menu, const MainMenuState& s) {
    int lang = s.language;
    SetTexts(menu, {{CMD_REPORT_ERROR, 432}, {CMD_HELP, 433}, {CMD_FAQ, 324}, {CMD_PROPOSE_STATION, 446},
                    {CMD_NEWSLETTER, 637}},
             lang);
    SetFilled(menu, CMD_ABOUT, 184, s.productText, lang);
    SetFilled(menu, CMD_MAIL, 185, s.productWord, lang);
    if (s.oem || lang == 2)
        DeleteMenu(menu, CMD_NEWSLETTER, MF_BYCOMMAND);
    else
        InsertMenuA(menu, CMD_NEWSLETTER, MF_BYCOMMAND | MF_SEPARATOR, 0, nullptr);
}

void BuildNavigatorMenu(HMENU menu, const MainMenuState& s) {
    SetTexts(menu, {{CMD_NAV_EXTEND, 435}, {CMD_NAV_FOLD, 436}, {CMD_NAV_FAVOURITES, 310}, {CMD_NAV_TOP, 309},
                    {CMD_NAV_SEARCH, 312}, {CMD_NAV_RECORDING, 311}, {CMD_TIMER_ENTRY, 313}, {CMD_NAV_SKINS, 314},
                    {CMD_STATION_INFO, 252}, {CMD_NAV_BACK, 267}, {CMD_NAV_FORWARD, 258}, {CMD_NAV_TIPS, 506},
                    {CMD_NAV_PODCASTS, 602}},
             s.language);
    Check(menu, CMD_NAV_EXTEND, !s.navFolded);
    Check(menu, CMD_NAV_FOLD, s.navFolded != 0);
    MarkShownView(menu, s, {{CMD_NAV_FAVOURITES, 3, 6}, {CMD_NAV_TOP, 4, 5}, {CMD_NAV_SEARCH, 2, 7},
                            {CMD_NAV_SKINS, 7, 8}, {CMD_TIMER_ENTRY, 9, 322}, {CMD_NAV_RECORDING, 8, 265},
                            {CMD_NAV_TIPS, 10, 356}, {CMD_NAV_PODCASTS, 12, 375}});
    Enable(menu, CMD_NAV_BACK, s.canBack != 0);
    Enable(menu, CMD_NAV_FORWARD, s.canForward != 0);
}

void BuildStationRowMenu(HMENU menu, const MainMenuState& s) {
    int lang = s.language;
    SetTexts(menu, {{CMD_ROW_PLAY, 227}, {CMD_ROW_DETAILS, 252}, {CMD_ROW_HOMEPAGE, 250}, {CMD_TIMER_ENTRY, 130},
                    {CMD_ROW_RECOMMEND, 127}},
             lang);
    SetText(menu, CMD_ROW_FAVOURITE, s.rowFavourite ? 175 : 176, lang);
    RemoveUnless(menu, CMD_TIMER_ENTRY, NavHas(s, 322));
    if (s.rowId > kFirstUserStation) {
        SetText(menu, CMD_ROW_RECOMMEND, 186, lang);
        char text[kMenuTextSize];
        GetResourceString(nullptr, 187, lang, text, sizeof text);
        AppendMenuA(menu, MF_STRING, CMD_ROW_DELETE_STATION, text);
    }
    InsertSubMenu(menu, CMD_ROW_FAVOURITE, FolderMenu(s), 177, lang);
}

void BuildTimerRowMenu(HMENU menu, const MainMenuState& s) {
    SetTexts(menu, {{CMD_TIMER_EDIT, 336}, {CMD_TIMER_FOLLOW_UP, 440}, {CMD_TIMER_DELETE, 344},
                    {CMD_TIMER_RECOMMEND, 441}, {CMD_TIMER_DELETE_EXPIRED, 442}},
             s.language);
    SetText(menu, CMD_TIMER_ACTIVE, s.rowActive ? 409 : 408, s.language);
}

void BuildTipRowMenu(HMENU menu, const MainMenuState& s) {
    int lang = s.language;
    SetTexts(menu, {{CMD_TIP_OPEN, 505}, {CMD_TIP_UPDATE, 504}, {CMD_TIP_DELETE_EXPIRED, 442}}, lang);
    char text[kMenuTextSize];
    GetResourceString(nullptr, 516, lang, text, sizeof text);
    InsertMenuA(menu, CMD_TIP_UPDATE, MF_BYCOMMAND | MF_STRING, CMD_TIP_TO_TIMER, text);
    GetResourceString(nullptr, 515, lang, text, sizeof text);
    InsertMenuA(menu, CMD_TIP_UPDATE, MF_BYCOMMAND | MF_STRING, CMD_ROW_PLAY, text);
    InsertMenuA(menu, CMD_TIP_UPDATE, MF_BYCOMMAND | MF_SEPARATOR, 0, nullptr);
}

void BuildPodcastRowMenu(HMENU menu, const MainMenuState& s) {
    while (GetMenuItemCount(menu) > 0) DeleteMenu(menu, 0, MF_BYPOSITION);
    int lang = s.language;
    auto add = [&](UINT command, unsigned textId) {
        char text[kMenuTextSize];
        GetResourceString(nullptr, textId, lang, text, sizeof text);
        AppendMenuA(menu, MF_STRING, command, text);
    };
    if (s.rowIsEpisode) {
        add(CMD_POD_EPISODE, s.episodeDownloaded ? 543 : 542);
        if (s.episodeDownloaded) add(CMD_POD_DELETE_EPISODE, 551);
    } else {
        add(CMD_POD_REFRESH, 541);
        add(CMD_POD_ALL, 544);
        add(CMD_POD_SUBSCRIPTION, s.feedSubscribed ? 554 : 553);
        add(CMD_POD_DELETE, 545);
        AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        add(CMD_POD_INFO, 581);
        add(CMD_POD_RECOMMEND, 555);
    }
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    add(CMD_POD_DIRECTORY, 578);
    add(CMD_POD_SUBSCRIBE_NEW, 579);
    add(CMD_POD_REPORT, 580);
}

}  // namespace

cListElement* FolderByMenuIndex(cListe* folders, int index) {
    if (!folders || index < 0) return nullptr;
    int i = 0;
    for (cListElement* e = folders->First(); e; e = e->Next()) {
        if (e->GetId() == kOwnStationsFolder) continue;
        if (i++ == index) return e;
    }
    return nullptr;
}

void BuildContextMenu(HMENU menu, int subMenu, const MainMenuState& state) {
    if (!menu) return;
    switch (subMenu) {
    case MENU_MAIN: BuildMainMenu(menu, state); break;
    case MENU_STATION: BuildStationMenu(menu, state); break;
    case MENU_VIEW: BuildViewMenu(menu, state); break;
    case MENU_OPTIONS: BuildOptionsMenu(menu, state); break;
    case MENU_HELP: BuildHelpMenu(menu, state); break;
    case MENU_NAVIGATOR: BuildNavigatorMenu(menu, state); break;
    case MENU_STATION_ROW: BuildStationRowMenu(menu, state); break;
    case MENU_TIMER_ROW: BuildTimerRowMenu(menu, state); break;
    case MENU_TIP_ROW: BuildTipRowMenu(menu, state); break;
    case MENU_PODCAST_ROW: BuildPodcastRowMenu(menu, state); break;
    default: break;
    }
}
