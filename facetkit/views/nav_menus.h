// The navigator's pop-up menus (the navigator itself, station, timer,
// programme-tip and podcast rows): what they show for the row they were
// opened on, and what their commands do. The tables report that row and
// hand episode playback to the main window through the events installed
// here.
#pragma once

#include <windows.h>

#include <string>

#include "facetkit_api.h"
#include "main_menu.h"

// The navigator extended if folded in, its content view showing a kind.
FACETKIT_API void ShowNavigatorView(int kind, int argument);
// A page of the maker's web site (a path from its root) in the browser.
FACETKIT_API void OpenMakerPage(const std::string& path);

// The row the last row menu was opened on: a station id, a timer entry's
// position + 1, a tip id or a podcast row id.
FACETKIT_API void SetNavContextItem(unsigned long id);
FACETKIT_API unsigned long NavContextItem();

// Fills what the navigator's menus show about the navigator and the row.
FACETKIT_API void FillNavMenuState(MainMenuState* state, int subMenu);
// Carries out a command of one of the navigator's menus; false for other
// menus.
FACETKIT_API bool NavMenuCommand(int subMenu, UINT command);

// A tip's start or stop ("YYYYMMDDhh" + one separator + "mm") as a
// 14-digit time text, empty when it is not one.
FACETKIT_API std::string TipTimeText(const char* tipTime);
// The station link put on the clipboard for a station row.
FACETKIT_API std::string StationLinkText(unsigned long id, const char* name);

// The table events of the views: the main window's menus and episode
// playback, and the remembered row.
FACETKIT_API void InstallNavTableEvents();
