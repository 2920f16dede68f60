// The recording skin engine (see recording_engine.h). Variants: the full set
// of functions, the set without the two optional ones, and one without
// ButtonListAddVolume, which a skin needs.
#include "recording_engine.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <utility>

#define ENGINE_EXPORT extern "C" __declspec(dllexport)

namespace {
std::string g_log;
std::map<std::pair<const void*, DWORD>, RECT> g_rects;   // per list and id
int g_buttons = 0;                                        // handed out as "button objects"

void Line(const char* fmt, ...) {
    char text[512];
    va_list args;
    va_start(args, fmt);
    vsnprintf(text, sizeof text, fmt, args);
    va_end(args);
    text[sizeof text - 1] = 0;
    g_log += text;
    g_log += "\n";
}

const char* Name(const void* object) { return object ? static_cast<const EngineList*>(object)->name : "null"; }
const char* WinName(const void* window) { return window ? static_cast<const EngineWindow*>(window)->name : "null"; }
}  // namespace

ENGINE_EXPORT const char* EngineCallLog() { return g_log.c_str(); }
ENGINE_EXPORT void EngineReset() { g_log.clear(); }

// Buttons are 40 x 20 at their place.
ENGINE_EXPORT void* AddWndButtonToList(void* list, void* window, void* res, DWORD sprite, int x, int y, DWORD id,
                                       int group, HRGN* regions, DWORD flags) {
    Line("AddWndButtonToList %s win=%s res=%d sprite=%lu at=%d,%d id=%lu group=%d region=%d last=%lu", Name(list),
         WinName(window), res ? 1 : 0, sprite, x, y, id, group, regions ? 1 : 0, flags);
    g_rects[{list, id}] = RECT{x, y, x + 40, y + 20};
    return &++g_buttons;
}

ENGINE_EXPORT void ButtonListAddScrollText(void* list, void* res, DWORD kept, int first, int second, HWND parent,
                                           DWORD id, int left, int top, int right, int bottom, DWORD colour,
                                           int last1, int last2) {
    Line("ButtonListAddScrollText %s res=%d graphic=%lu values=%d,%d hwnd=%d id=%lu rect=%d,%d,%d,%d colour=%06lX "
         "last=%d,%d",
         Name(list), res ? 1 : 0, kept, first, second, parent ? 1 : 0, id, left, top, right, bottom, colour, last1,
         last2);
}

#ifndef ENGINE_VARIANT_MISSING
ENGINE_EXPORT void ButtonListAddVolume(void* list, void* window, void* res, DWORD kind, int a, int b, int c, int d,
                                       int e, int f, int g, int h, int i, int j, int k, int l, int m, int n, int o,
                                       int p, HRGN* r1, HRGN* r2, HRGN* r3) {
    Line("ButtonListAddVolume %s win=%s res=%d values=%lu,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d",
         Name(list), WinName(window), res ? 1 : 0, kind, a, b, c, d, e, f, g, h, i, j, k, l, m, n, o, p,
         r1 ? 1 : 0, r2 ? 1 : 0, r3 ? 1 : 0);
}
#endif

#ifndef ENGINE_VARIANT_OPTIONAL
ENGINE_EXPORT void ActiveElementSetStatus(void* list, DWORD id, int status) {
    Line("ActiveElementSetStatus %s id=%lu status=%d", Name(list), id, status);
}

ENGINE_EXPORT void SetSkinData(void* window, const char* key, void* value) {
    std::string k = key ? key : "";
    if (k == "ResizeBtnPos") {
        const int32_t* p = static_cast<const int32_t*>(value);
        Line("SetSkinData %s %s=%d,%d", WinName(window), key, p[0], p[1]);
    } else if (k == "TableLineColor" || k == "UnableToPlayColor" || k == "SetRasterOP") {
        Line("SetSkinData %s %s=%06X", WinName(window), key, *static_cast<const uint32_t*>(value));
    } else {
        Line("SetSkinData %s %s=%d", WinName(window), key, static_cast<int>(reinterpret_cast<INT_PTR>(value)));
    }
}
#endif

ENGINE_EXPORT void ActiveElementSetBtnLook(void* list, DWORD id, int look) {
    Line("ActiveElementSetBtnLook %s id=%lu look=%d", Name(list), id, look);
}

ENGINE_EXPORT void ActiveElementSetVisible(void* list, DWORD id, int visible) {
    Line("ActiveElementSetVisible %s id=%lu visible=%d", Name(list), id, visible);
}

ENGINE_EXPORT void ActiveElementSetTransparenz(void* list, DWORD id, int on, void* window) {
    Line("ActiveElementSetTransparenz %s id=%lu on=%d win=%s", Name(list), id, on, WinName(window));
}

ENGINE_EXPORT RECT ActiveElementGetRect(void* list, DWORD id) {
    auto it = g_rects.find({list, id});
    return it == g_rects.end() ? RECT{0, 0, 0, 0} : it->second;
}

ENGINE_EXPORT void ActiveElementSetRect(void* list, DWORD id, int left, int top, int right, int bottom, int redraw) {
    Line("ActiveElementSetRect %s id=%lu rect=%d,%d,%d,%d redraw=%d", Name(list), id, left, top, right, bottom,
         redraw);
    auto it = g_rects.find({list, id});
    if (it != g_rects.end()) it->second = RECT{left, top, right, bottom};
}

ENGINE_EXPORT int ActiveElementGetStatus(void*, DWORD) { return 0; }

ENGINE_EXPORT HWND VelmoWinGetWindow(void* window) { return window ? static_cast<EngineWindow*>(window)->wnd : nullptr; }
ENGINE_EXPORT void* VelmoWinGetButtonList(void* window) {
    return window ? static_cast<EngineWindow*>(window)->list : nullptr;
}

// Present so a skin finds them; a skin of this kind never calls them.
#define UNCALLED(name) \
    ENGINE_EXPORT void name() { Line("%s (not expected)", #name); }
UNCALLED(InvokeWndButton)
UNCALLED(WndButtonAddAnim)
UNCALLED(VelmoWinGetSkinData)
UNCALLED(VelmoWinSetShowStatusSym)
UNCALLED(VelmoWinSetShowBuffer)
UNCALLED(WndButtonSetPos)
UNCALLED(VolumeSetPosition)
UNCALLED(VolumeGetPosition)
UNCALLED(ListeMarkForDelete)
UNCALLED(ListeDeleteById)
UNCALLED(ResourceManagerGetDC)
UNCALLED(VelmoWinUpdateDisplayStrings)
UNCALLED(AddMotionPictureToList)

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
