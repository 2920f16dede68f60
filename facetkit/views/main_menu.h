// The main window's pop-up menus, built from the library's "ContextMenu"
// resource: every visible text comes from the message catalogue in the
// user's language, and entries for what the navigator cannot show go.
#pragma once

#include <windows.h>

#include "facetkit_api.h"

class cButtonListe;
class cListe;
class cListElement;

// Sub-menus of "ContextMenu", by position.
enum { MENU_MAIN = 0, MENU_TRACKS = 1, MENU_TRAY = 2, MENU_STATION = 3, MENU_VIEW = 4, MENU_OPTIONS = 5, MENU_HELP = 6 };
// The navigator's: its own, and those of its table rows.
enum { MENU_NAVIGATOR = 10, MENU_STATION_ROW = 11, MENU_TIMER_ROW = 14, MENU_TIP_ROW = 15, MENU_PODCAST_ROW = 16 };

// Commands of the main menu.
enum : UINT {
    CMD_PLAY_STOP = 32774,
    CMD_OPEN_STREAM_URL = 32776,
    CMD_MINIMISE = 32786,
    CMD_CLOSE = 32787,
    CMD_PREVIOUS_TRACK = 32789,
    CMD_NEXT_TRACK = 32790,
    CMD_ADD_OWN_STATION = 32849,
    CMD_RECORD = 32850,
    CMD_NEW_TIMER = 32852,
};

// Commands of the station, view, options and help menus.
enum : UINT {
    CMD_FAVOURITE = 32802,
    CMD_STATION_INFO = 32803,
    CMD_HOMEPAGE = 32804,
    CMD_VIEW_NORMAL = 32795,
    CMD_VIEW_EXTENDED = 32806,
    CMD_SETTINGS = 32815,
    CMD_HELP = 32816,
    CMD_ABOUT = 32817,
    CMD_MAIL = 32818,
    CMD_REPORT_ERROR = 32819,
    CMD_PROPOSE_STATION = 32831,
    CMD_RECOMMEND_STATION = 32835,
    CMD_UPDATE_DATABASE = 32837,
    CMD_RECOMMEND_PLAYER = 32838,
    CMD_RECOMMEND_STATION_2 = 32839,
    CMD_RECOMMEND_SKIN = 32840,
    CMD_FAQ = 32841,
    CMD_TIMER_ENTRY = 32851,
    CMD_CONVERT_WAV = 32863,
    CMD_SUBSCRIBE_PODCAST = 32865,
    CMD_NEWSLETTER = 32868,
    // Inserted entries: recent stations from 29000 (their sub-menu 29001),
    // favourite folders from 30000 (their sub-menu 29999), the languages.
    CMD_RECENT_FIRST = 29000,
    CMD_RECENT_MENU = 29001,
    CMD_FOLDER_MENU = 29999,
    CMD_FOLDER_FIRST = 30000,
    CMD_GERMAN = 30000,
    CMD_ENGLISH = 30001,
};

// Commands of the navigator's menus.
enum : UINT {
    CMD_NAV_FAVOURITES = 32820,
    CMD_NAV_TOP = 32821,
    CMD_NAV_SEARCH = 32822,
    CMD_NAV_SKINS = 32823,
    CMD_NAV_BACK = 32824,
    CMD_NAV_FOLD = 32825,
    CMD_NAV_EXTEND = 32826,
    CMD_NAV_RECORDING = 32847,
    CMD_NAV_FORWARD = 32842,
    CMD_NAV_TIPS = 32862,
    CMD_NAV_PODCASTS = 32866,
    CMD_ROW_PLAY = 32827,
    CMD_ROW_DETAILS = 32828,
    CMD_ROW_HOMEPAGE = 32829,
    CMD_ROW_FAVOURITE = 32830,
    CMD_ROW_RECOMMEND = 32832,
    CMD_ROW_COPY_LINK = 32841,
    CMD_ROW_DELETE_STATION = 32849,
    CMD_TIMER_EDIT = 32853,
    CMD_TIMER_DELETE_EXPIRED = 32854,
    CMD_TIMER_DELETE = 32855,
    CMD_TIMER_RECOMMEND = 32856,
    CMD_TIMER_FOLLOW_UP = 32857,
    CMD_TIMER_ACTIVE = 32858,
    CMD_TIP_OPEN = 32859,
    CMD_TIP_UPDATE = 32860,
    CMD_TIP_DELETE_EXPIRED = 32861,
    CMD_TIP_TO_TIMER = 32851,
};
// The podcast menu's commands, built for the row it opens on.
enum : UINT {
    CMD_POD_REFRESH = 1, CMD_POD_NEWEST = 2, CMD_POD_ALL = 3, CMD_POD_DELETE = 4, CMD_POD_SUBSCRIPTION = 5,
    CMD_POD_RECOMMEND = 6, CMD_POD_DIRECTORY = 7, CMD_POD_SUBSCRIBE_NEW = 8, CMD_POD_REPORT = 9, CMD_POD_INFO = 10,
    CMD_POD_EPISODE = 11, CMD_POD_DELETE_EPISODE = 12,
};
// User-defined stations are numbered from here up.
constexpr unsigned long kFirstUserStation = 0xFFFF0000ul;
// Below the folders' ids the recent stations' stay: the recent list never
// holds more than 999 entries.
constexpr int kMaxMenuFolders = 1000;
// The folder the user's own stations stand in; never offered as a target.
constexpr unsigned long kOwnStationsFolder = 0xFFFF0001ul;
constexpr const char* kNewsletterAddress = "http://www.velmirant.de/pages/service/newsletter/";
constexpr const char* kProductText = "velmirant-Player";
constexpr const char* kProductWord = "velmirant";

struct MainMenuState {
    int playing;
    int recording;
    int track;        // current track, counted from 0
    int trackCount;   // tracks of the running stream
    int language;     // 2 English, else German
    // The navigator's elements; null when there is no navigator.
    cButtonListe* navigator;
    int favourite = 0;           // the current station is a favourite
    cListe* recent = nullptr;    // recent stations, newest first
    cListe* folders = nullptr;   // favourite folders
    int recentLimit = 10;
    int oem = 0;
    unsigned long languageSupport = 0;   // 3: both languages
    // The navigator's menus: its state and the row they were opened on.
    int navFolded = 0;
    int viewKind = 0;
    int canBack = 0, canForward = 0;
    unsigned long rowId = 0;
    int rowFavourite = 0;
    int rowActive = 0;            // timer rows: the entry is active
    int rowIsEpisode = 0;         // podcast rows
    int episodeDownloaded = 0;
    int feedSubscribed = 0;
    // The product's names (an OEM skin may have its own).
    const char* productText = kProductText;
    const char* productWord = kProductWord;
};

// Sets the texts and states of sub-menu 0 and completes it ("Goto").
FACETKIT_API void BuildMainMenu(HMENU menu, const MainMenuState& state);
// Sets the texts of a sub-menu by its index and completes it; sub-menus
// without rules stay as they are.
FACETKIT_API void BuildContextMenu(HMENU menu, int subMenu, const MainMenuState& state);
// The folder a folder entry of the station menu stands for (the listed
// folders, without the own-stations folder); null when there is none.
FACETKIT_API cListElement* FolderByMenuIndex(cListe* folders, int index);
