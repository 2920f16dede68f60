// What the whole library keeps between the host's calls: the host interface,
// its event callback and the flags the start-up, the close and the status
// intake share.
#pragma once

#include <windows.h>

#include "facetkit_api.h"

class cSettingsInterface;
class cDownloadManager;

typedef int (*HostEventCallback)(int fkt, int ch, void* text);

struct LibraryState {
    HINSTANCE module = nullptr;
    cSettingsInterface* host = nullptr;
    HostEventCallback callback = nullptr;
    cDownloadManager* downloads = nullptr;
    DWORD processId = 0;
    char skinsFolder[256] = {};
    char programFolder[512] = {};
    volatile LONG running = 0;
    volatile LONG canClose = 0;
    volatile LONG lastPlayedReceived = 0;
    volatile LONG bannerReady = 0;
    // The background of the skinned windows' edit and list children, made
    // from the skin's text-box colour at each start of the user interface.
    HBRUSH textBoxBrush = nullptr;
    // The product's names in the menus; an OEM skin may name its own, and
    // may add nine further texts (BuildUp).
    char productText[256] = "velmirant-Player";
    char productWord[256] = "velmirant";
    char furtherTexts[9][256] = {};
};

FACETKIT_API LibraryState& Library();

// Calls the host's event callback; 0 without one.
FACETKIT_API int HostCallback(int code, int ch, void* text);
// The user-interface language (2 English, else German).
FACETKIT_API int UiLanguage();
// The larger of the host's two list limits, or 10 without a host.
int RecentLimit();
// How many recent stations the station menu lists: the host's own limit for
// that list alone (10 without a host).
int MenuRecentLimit();
// Posts to the window of a window-list entry (1 main, 6 navigator); false
// when it is not there.
bool PostToWindow(unsigned long windowId, UINT message, WPARAM wParam, LPARAM lParam);
// Writes a debug text through the host (callback code 28).
void HostLog(int level, const char* text);
