// The library's start-up and close: GetSettings, Prepare and BuildUp with
// its user-interface loop, and the small exports beside them.
#pragma once

#include <windows.h>

#include <cstdint>

#include "facetkit_api.h"

class cResourceManager;
class cSkinWnd;

// What BuildUp does first when the host asks for start actions.
enum StartAction {
    SA_NONE,            // "DownloadSkinKey" set: a skin download restarts the player
    SA_SHUTDOWN,        // posts 1178 to the main window
    SA_REMINDER,        // "Erinnerung": posts 1179
    SA_COMMAND_LINE,    // "CmdLine": posts 1183
    SA_LAST_STREAM,     // callback 2 with "LastStreamId"
    SA_LAST_CHANNEL,    // callback 1 with "LastChannelId"
};
enum { WM_FK_START_SHUTDOWN = 1178, WM_FK_START_REMINDER = 1179, WM_FK_START_CMDLINE = 1183 };
// Reads the registry values that decide it (and deletes "ShutDown" when it wins).
FACETKIT_API StartAction DecideStartAction(unsigned long* id);

// Bounds of the start-up's and the close's waits.
constexpr DWORD kLastPlayedWaitMs = 15000;
constexpr DWORD kCanCloseWaitMs = 10000;
constexpr DWORD kLoadingReadyWaitMs = 5000;

// The banner description record (131 32-bit words).
struct BannerInfoRecord {
    int32_t window;   // sign-extended window handle
    int32_t x, y;
    int32_t cx, cy;
    int32_t updateKind;
    char url[500];    // at most 499 characters and the terminator
};
static_assert(sizeof(BannerInfoRecord) == 524, "banner record of 131 words");

FACETKIT_API cResourceManager* GetResourceManager();
// Removes and dispatches every message waiting in this thread's queue.
FACETKIT_API void PumpMessages();

// The product's names for this start: the defaults, or for an OEM player
// every text its skin's string table holds (11 the window title, 12 the
// product, 13 the product word, 14 and 100 to 107 the further texts).
FACETKIT_API void TakeProductTexts(HMODULE skinModule);
// An OEM player's skin hides the navigator's views it does not offer: each of
// its strings 20 to 25 takes away view button 6, 5, 265, 7, 8 or 356.
FACETKIT_API void RemoveOemNavigatorViews(cSkinWnd* navigator, HMODULE skinModule);
