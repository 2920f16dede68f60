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
enum { MENU_MAIN = 0, MENU_TRACKS = 1, MENU_STATION = 3, MENU_VIEW = 4, MENU_OPTIONS = 5, MENU_HELP = 6 };

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
};

// Sets the texts and states of sub-menu 0 and completes it ("Goto").
FACETKIT_API void BuildMainMenu(HMENU menu, const MainMenuState& state);
// Sets the texts of a sub-menu by its index and completes it; sub-menus
// without rules stay as they are.
FACETKIT_API void BuildContextMenu(HMENU menu, int subMenu, const MainMenuState& state);
// The folder a folder entry of the station menu stands for (the listed
// folders, without the own-stations folder); null when there is none.
FACETKIT_API cListElement* FolderByMenuIndex(cListe* folders, int index);
