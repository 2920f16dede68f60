// The interface between the skin engine and a skin plug-in library: the
// entry points a plug-in may export (looked up by these exact names) and the
// resources it carries. Included by the skin engine and by every skin, so the
// two sides cannot drift apart.
#pragma once

#include <windows.h>

#include <cstdint>

class cVelmoSkinData;
class cButtonListe;
class cResourceManager;
class cVelmoWin;
class cNavWindow;
class cListStore;
class cSettingsInterface;

// Number of resource ids a skin is asked about (0 .. kSkinResourceIds - 1).
constexpr int kSkinResourceIds = 413;

// Master bitmap and its English variant; the preview picture of a skin.
#define SKIN_BITMAP_MASTER "BigResource"
#define SKIN_BITMAP_MASTER_ENGLISH_SUFFIX "_ENG"
#define SKIN_BITMAP_THUMB "BM_THUMB"

#ifdef SKIN_PLUGIN_BUILD
#define SKIN_PLUGIN_EXPORT extern "C" __declspec(dllexport)
#else
#define SKIN_PLUGIN_EXPORT extern "C"
#endif

// Each entry point is declared once here; the skin engine binds it by name
// into a pointer of the matching Skin...Fn type.
//
// GetResourceRect: the rectangle of a resource in the master bitmap,
// inclusive coordinates; all four -1 for a resource the skin does not have.
// Returned by value: on both targets this is the same machine interface as a
// function that fills a caller's RECT through a hidden first pointer and
// returns it, so callers that think of it as (RECT* out, int id) bind the
// same export.
SKIN_PLUGIN_EXPORT RECT GetResourceRect(int id);
SKIN_PLUGIN_EXPORT void SetButtonsMain(cVelmoSkinData* data, cButtonListe* list, cResourceManager* res,
                                       cVelmoWin* window, int unused);
SKIN_PLUGIN_EXPORT void SetButtonsNav(cVelmoSkinData* data, cButtonListe* list, cResourceManager* res,
                                      cNavWindow* window, int language);
// 0 stops the start of the user interface.
SKIN_PLUGIN_EXPORT int PreStartSkin(void* callback, cListStore* store, cSettingsInterface* host);
SKIN_PLUGIN_EXPORT const char* GetKundeURL();
SKIN_PLUGIN_EXPORT const char* GetKundeURLLang(int language);
SKIN_PLUGIN_EXPORT void StatusHook(const char* text, int code);
SKIN_PLUGIN_EXPORT void SkinSpecificBtn(cResourceManager* res, void* window, cButtonListe* list, int elementId);
SKIN_PLUGIN_EXPORT int PaintMain(HDC backBuffer, RECT* update, cResourceManager* res);
SKIN_PLUGIN_EXPORT int PaintNav(HDC backBuffer, RECT* update, cResourceManager* res);
// Side 0 folded in, 1 extended, 2 being resized; the caller owns the region.
SKIN_PLUGIN_EXPORT HRGN GetSkinRegionExtWnd(void* window, int side, int visibleWidth, int visibleHeight, int width,
                                            int height);
// A window button changed state: (state, id), the order of its status message.
SKIN_PLUGIN_EXPORT void NotifyBtnStateChanged(int state, int elementId);
SKIN_PLUGIN_EXPORT const char* GetSkinPoweredBy();
SKIN_PLUGIN_EXPORT void SetSkinLanguage(int language);

typedef decltype(&GetResourceRect) SkinGetResourceRectFn;
typedef decltype(&SetButtonsMain) SkinSetButtonsMainFn;
typedef decltype(&SetButtonsNav) SkinSetButtonsNavFn;
typedef decltype(&PreStartSkin) SkinPreStartSkinFn;
typedef decltype(&GetKundeURL) SkinGetKundeURLFn;
typedef decltype(&GetKundeURLLang) SkinGetKundeURLLangFn;
typedef decltype(&StatusHook) SkinStatusHookFn;
typedef decltype(&SkinSpecificBtn) SkinSkinSpecificBtnFn;
typedef decltype(&PaintMain) SkinPaintFn;
typedef decltype(&GetSkinRegionExtWnd) SkinGetSkinRegionExtWndFn;
typedef decltype(&NotifyBtnStateChanged) SkinNotifyBtnStateChangedFn;
typedef decltype(&GetSkinPoweredBy) SkinGetSkinPoweredByFn;
typedef decltype(&SetSkinLanguage) SkinSetSkinLanguageFn;
