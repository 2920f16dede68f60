// The flat C functions through which a skin plug-in builds and steers the
// elements of the player's windows: the plug-in gets the window objects,
// their element lists and the resource manager as opaque pointers, binds
// these names when it is loaded and passes the pointers back. Elements are
// addressed by their list and their id. Every function checks its pointers
// and, where it needs an element of one kind, the element's kind: a wrong
// argument does nothing (and yields the empty result).
//
// Rectangles and points travel as separate 32-bit values, so the call looks
// the same to a plug-in on either target.
#pragma once

#include <windows.h>

#include "facetkit_api.h"

class cButtonListe;
class cSkinWnd;
class cResourceManager;
class cWndButton;
class cMotionPicture;
class cVelmoSkinData;

#ifdef FACETKIT_BUILD
#define SKIN_EXPORT extern "C" __declspec(dllexport)
#else
#define SKIN_EXPORT extern "C" __declspec(dllimport)
#endif

SKIN_EXPORT cWndButton* AddWndButtonToList(cButtonListe* list, cSkinWnd* window, cResourceManager* res,
                                           DWORD sprite, int x, int y, DWORD id, int group, HRGN* regions,
                                           int flags);
SKIN_EXPORT cMotionPicture* AddMotionPictureToList(cButtonListe* list, cSkinWnd* window, cResourceManager* res,
                                                   int x, int y, DWORD id, DWORD sprite, HRGN* regions,
                                                   int count);
SKIN_EXPORT void ButtonListAddScrollText(cButtonListe* list, cResourceManager* res, DWORD kept, int mainFont,
                                         int secondFont, HWND parent, DWORD id, int left, int top, int right,
                                         int bottom, DWORD colour, int unused1, int unused2);
SKIN_EXPORT void ButtonListAddVolume(cButtonListe* list, cSkinWnd* window, cResourceManager* res, DWORD kind,
                                     int knobLeft, int knobTop, int knobRight, int knobBottom, int firstX,
                                     int firstY, int secondX, int secondY, int ownLeft, int ownTop, int ownRight,
                                     int ownBottom, int startX, int startY, int endX, int endY, HRGN* knobRegions,
                                     HRGN* secondRegions, HRGN* firstRegions);
SKIN_EXPORT void InvokeWndButton(cWndButton* button, int press);
SKIN_EXPORT void WndButtonAddAnim(cWndButton* button, int steps, int sprite, int extra, HRGN* regions);
SKIN_EXPORT void WndButtonSetPos(cWndButton* button, int x, int y, int leftAligned);
SKIN_EXPORT void ListeMarkForDelete(cButtonListe* list, bool mark);
SKIN_EXPORT void ListeDeleteById(cButtonListe* list, int count, const DWORD* ids);
SKIN_EXPORT void ActiveElementSetVisible(cButtonListe* list, DWORD id, int visible);
SKIN_EXPORT void ActiveElementSetBtnLook(cButtonListe* list, DWORD id, int look);
SKIN_EXPORT void ActiveElementSetRect(cButtonListe* list, DWORD id, int left, int top, int right, int bottom,
                                      int option);
SKIN_EXPORT RECT ActiveElementGetRect(cButtonListe* list, DWORD id);
SKIN_EXPORT void ActiveElementSetTransparenz(cButtonListe* list, DWORD id, int flag, void* window);
SKIN_EXPORT int ActiveElementGetStatus(cButtonListe* list, DWORD id);
SKIN_EXPORT void ActiveElementSetStatus(cButtonListe* list, DWORD id, int status);
SKIN_EXPORT void ActiveElementSetEnable(cButtonListe* list, DWORD id, int enable);
SKIN_EXPORT void VolumeGetPosition(cButtonListe* list, DWORD id, RECT* knob, POINT* first, POINT* second,
                                   RECT* own, POINT* trackStart, POINT* trackEnd);
SKIN_EXPORT void VolumeSetPosition(cButtonListe* list, DWORD id, int knobLeft, int knobTop, int knobRight,
                                   int knobBottom, int firstX, int firstY, int secondX, int secondY, int ownLeft,
                                   int ownTop, int ownRight, int ownBottom, int startX, int startY, int endX,
                                   int endY);
SKIN_EXPORT HWND VelmoWinGetWindow(cSkinWnd* window);
SKIN_EXPORT cButtonListe* VelmoWinGetButtonList(cSkinWnd* window);
SKIN_EXPORT cVelmoSkinData* VelmoWinGetSkinData(cSkinWnd* window);
SKIN_EXPORT void VelmoWinSetShowBuffer(cSkinWnd* window, int show);
SKIN_EXPORT void VelmoWinSetShowStatusSym(cSkinWnd* window, int show);
SKIN_EXPORT void VelmoWinUpdateDisplayStrings(cSkinWnd* window);
// value: the value itself, a pointer to a 32-bit value (two for
// "ResizeBtnPos") or a text, by key.
SKIN_EXPORT void SetSkinData(cSkinWnd* window, const char* key, void* value);
SKIN_EXPORT HDC ResourceManagerGetDC(cResourceManager* res, DWORD sprite, RECT* rect);
SKIN_EXPORT BOOL CallResBitBlt(cResourceManager* res, HDC dc, int x, int y, int width, int height, DWORD sprite,
                               int sourceX, int sourceY, DWORD rop);
SKIN_EXPORT BOOL CallResStretchBlt(cResourceManager* res, HDC dc, int x, int y, int width, int height,
                                   DWORD sprite, int sourceX, int sourceY, DWORD rop);
SKIN_EXPORT BOOL CallResDrawBitmap(cResourceManager* res, HDC dc, int x, int y, DWORD sprite, DWORD rop);

// The names above, for plug-ins and tests that bind them.
constexpr const char* kSkinExportNames[] = {
    "AddWndButtonToList",      "AddMotionPictureToList",   "ButtonListAddScrollText",
    "ButtonListAddVolume",     "InvokeWndButton",          "WndButtonAddAnim",
    "WndButtonSetPos",         "ListeMarkForDelete",       "ListeDeleteById",
    "ActiveElementSetVisible", "ActiveElementSetBtnLook",  "ActiveElementSetRect",
    "ActiveElementGetRect",    "ActiveElementSetTransparenz", "ActiveElementGetStatus",
    "ActiveElementSetStatus",  "ActiveElementSetEnable",   "VolumeGetPosition",
    "VolumeSetPosition",       "VelmoWinGetWindow",        "VelmoWinGetButtonList",
    "VelmoWinGetSkinData",     "VelmoWinSetShowBuffer",    "VelmoWinSetShowStatusSym",
    "VelmoWinUpdateDisplayStrings", "SetSkinData",         "ResourceManagerGetDC",
    "CallResBitBlt",           "CallResStretchBlt",        "CallResDrawBitmap",
};
