// The one list of the skin engine's top-level windows, keyed by window id
// (1 main window, 6 navigator). Windows join it when they are bound to their
// Win32 window and leave it when they close. Before a drag it works out
// which windows are docked to the main window (touching it, or a window
// already docked, within one pixel).
#pragma once

#include <windows.h>

#include "facetkit_api.h"
#include "liste.h"

class cSkinWnd;

enum { WND_ID_MAIN = 1, WND_ID_NAVIGATOR = 6 };
// Navigator animation type under which neither window docks.
enum { NAV_ANIM_NO_DOCKING = 5 };

class FACETKIT_API cWindowList : public cListe {
public:
    cWindowList();
    ~cWindowList() override;

    // Posts the message to the window of every entry, in list order.
    void PostToAll(UINT message, WPARAM wParam, LPARAM lParam);
    // Recomputes every window's docked flag.
    void UpdateDocking();
    cSkinWnd* Find(unsigned long id) { return reinterpret_cast<cSkinWnd*>(GetById(id)); }
};

// The library's window list (constructed at load, destroyed at unload).
FACETKIT_API cWindowList& GetWindowList();
