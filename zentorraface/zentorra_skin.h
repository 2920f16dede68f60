// zentorraface: the partner skin of the zentorra brand. The skin engine
// (facetkit) binds these exports by name; the plug-in binds the engine's C
// functions by name from the engine module already loaded in the process.
#pragma once

#include <windows.h>

#include <cstdint>

class cVelmoSkinData;

#ifdef ZENTORRA_BUILD
#define ZENTORRA_EXPORT extern "C" __declspec(dllexport)
#else
#define ZENTORRA_EXPORT extern "C"
#endif

// Ids this skin's table knows about: 0 .. kZentorraResourceIds - 1.
constexpr int kZentorraResourceIds = 413;

// The skin engine's functions the plug-in binds (opaque objects: window
// object, element list, resource manager).
namespace zf {
typedef void* (*AddWndButtonToListFn)(void* list, void* window, void* res, DWORD sprite, int x, int y, DWORD id,
                                      int group, HRGN* regions, DWORD flags);
typedef void (*ButtonListAddScrollTextFn)(void* list, void* res, DWORD kept, int first, int second, HWND parent,
                                          DWORD id, int left, int top, int right, int bottom, DWORD colour,
                                          int last1, int last2);
typedef void (*ButtonListAddVolumeFn)(void* list, void* window, void* res, DWORD kind, int knobLeft, int knobTop,
                                      int knobRight, int knobBottom, int firstX, int firstY, int secondX,
                                      int secondY, int ownLeft, int ownTop, int ownRight, int ownBottom,
                                      int trackStartX, int trackStartY, int trackEndX, int trackEndY,
                                      HRGN* knobRegions, HRGN* secondRegions, HRGN* firstRegions);
typedef void (*ActiveElementSetStatusFn)(void* list, DWORD id, int status);
typedef void (*ActiveElementSetBtnLookFn)(void* list, DWORD id, int look);
typedef void (*ActiveElementSetVisibleFn)(void* list, DWORD id, int visible);
typedef void (*ActiveElementSetTransparenzFn)(void* list, DWORD id, int on, void* window);
typedef RECT (*ActiveElementGetRectFn)(void* list, DWORD id);
typedef void (*ActiveElementSetRectFn)(void* list, DWORD id, int left, int top, int right, int bottom, int redraw);
typedef int (*ActiveElementGetStatusFn)(void* list, DWORD id);
typedef HWND (*VelmoWinGetWindowFn)(void* window);
typedef void* (*VelmoWinGetButtonListFn)(void* window);
typedef void (*SetSkinDataFn)(void* window, const char* key, void* value);
typedef void (*AnyFn)();

// Every name the plug-in looks up; only the two marked optional may be missing.
struct EngineFunctions {
    AddWndButtonToListFn AddWndButtonToList;
    ButtonListAddScrollTextFn ButtonListAddScrollText;
    ButtonListAddVolumeFn ButtonListAddVolume;
    ActiveElementSetStatusFn ActiveElementSetStatus;   // optional
    ActiveElementSetBtnLookFn ActiveElementSetBtnLook;
    ActiveElementSetVisibleFn ActiveElementSetVisible;
    ActiveElementSetTransparenzFn ActiveElementSetTransparenz;
    ActiveElementGetRectFn ActiveElementGetRect;
    ActiveElementSetRectFn ActiveElementSetRect;
    ActiveElementGetStatusFn ActiveElementGetStatus;
    VelmoWinGetWindowFn VelmoWinGetWindow;
    VelmoWinGetButtonListFn VelmoWinGetButtonList;
    SetSkinDataFn SetSkinData;                         // optional
    // Bound so the skin loads only beside an engine that has them all;
    // this skin does not call them.
    AnyFn InvokeWndButton, WndButtonAddAnim, VelmoWinGetSkinData, VelmoWinSetShowStatusSym, VelmoWinSetShowBuffer,
        WndButtonSetPos, VolumeSetPosition, VolumeGetPosition, ListeMarkForDelete, ListeDeleteById,
        ResourceManagerGetDC, VelmoWinUpdateDisplayStrings, AddMotionPictureToList;
};

// Binds from the engine module; false when a required name is missing.
bool BindEngine(HMODULE engine, EngineFunctions* out);
const EngineFunctions& Engine();

// Process-wide state of the plug-in.
struct SkinState {
    void* mainWindow = nullptr;
    void* resources = nullptr;
    void* navWindow = nullptr;
    bool oem = false;
    char settingsKey[512] = {};
    int look[7] = {};   // remembered looks of elements 1, 2, 3, 12, 43, 44, 274
};
SkinState& State();
void ResetState();

// The registry key named by string 30 of "launchgate.exe" in the folder of
// the program path given (its file name cut off), or the built-in key.
void SettingsKeyFor(const char* programPath, char* key, size_t keySize);

// Regions: the main window outline and the navigator's for a size (a
// degenerate size gives an empty region). The caller owns them.
HRGN MainOutline();
HRGN NavOutline(int width, int height);
constexpr int kMainOutlinePoints = 327;
constexpr int kNavOutlinePoints = 125;
}  // namespace zf

ZENTORRA_EXPORT RECT GetResourceRect(int id);
ZENTORRA_EXPORT void SetButtonsMain(cVelmoSkinData* data, void* list, void* res, void* window, int unused);
ZENTORRA_EXPORT void SetButtonsNav(cVelmoSkinData* data, void* list, void* res, void* window, int unused);
ZENTORRA_EXPORT HRGN GetSkinRegionExtWnd(void* window, int side, int current, int height, int width, int unused);
ZENTORRA_EXPORT const char* GetKundeURL();
ZENTORRA_EXPORT int StatusHook(const char* text, int code);
ZENTORRA_EXPORT int SkinSpecificBtn(void* res, void* window, void* list, int elementId);
ZENTORRA_EXPORT void NotifyBtnStateChanged(int kind, int elementId);
