// The main window's pop-up menus, built from the library's "ContextMenu"
// resource: every visible text comes from the message catalogue in the
// user's language, and entries for what the navigator cannot show go.
#pragma once

#include <windows.h>

#include "facetkit_api.h"

class cButtonListe;

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

struct MainMenuState {
    int playing;
    int recording;
    int track;        // current track, counted from 0
    int trackCount;   // tracks of the running stream
    int language;     // 2 English, else German
    // The navigator's elements; null when there is no navigator.
    cButtonListe* navigator;
};

// Sets the texts and states of sub-menu 0 and completes it ("Goto").
FACETKIT_API void BuildMainMenu(HMENU menu, const MainMenuState& state);
