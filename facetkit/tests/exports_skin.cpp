// A skin plug-in for the tests of the library's C functions: like a real
// skin it knows the library only by the names of its exports, binds them
// when asked and builds and steers elements through them; it also calls
// each of them with null pointers, unknown ids and elements of the wrong
// kind, as a careless skin would.
#include <windows.h>

#include <cstdint>
#include <cstring>

#include "skin_exports.h"

#define FIXTURE_EXPORT extern "C" __declspec(dllexport)

namespace {

#define BOUND(name) decltype(&::name) name = nullptr
struct Bound {
    BOUND(AddWndButtonToList);
    BOUND(AddMotionPictureToList);
    BOUND(ButtonListAddScrollText);
    BOUND(ButtonListAddVolume);
    BOUND(InvokeWndButton);
    BOUND(WndButtonAddAnim);
    BOUND(WndButtonSetPos);
    BOUND(ListeMarkForDelete);
    BOUND(ListeDeleteById);
    BOUND(ActiveElementSetVisible);
    BOUND(ActiveElementSetBtnLook);
    BOUND(ActiveElementSetRect);
    BOUND(ActiveElementGetRect);
    BOUND(ActiveElementSetTransparenz);
    BOUND(ActiveElementGetStatus);
    BOUND(ActiveElementSetStatus);
    BOUND(ActiveElementSetEnable);
    BOUND(VolumeGetPosition);
    BOUND(VolumeSetPosition);
    BOUND(VelmoWinGetWindow);
    BOUND(VelmoWinGetButtonList);
    BOUND(VelmoWinGetSkinData);
    BOUND(VelmoWinSetShowBuffer);
    BOUND(VelmoWinSetShowStatusSym);
    BOUND(VelmoWinUpdateDisplayStrings);
    BOUND(SetSkinData);
    BOUND(ResourceManagerGetDC);
    BOUND(CallResBitBlt);
    BOUND(CallResStretchBlt);
    BOUND(CallResDrawBitmap);
} g;
#undef BOUND

template <class Fn>
int Bind(HMODULE module, const char* name, Fn* slot) {
    *slot = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return *slot ? 1 : 0;
}

}  // namespace

// Binds every C function of facetkit.dll by name; how many were found.
FIXTURE_EXPORT int FixtureBind() {
    HMODULE m = GetModuleHandleA("facetkit.dll");
    if (!m) return 0;
    int n = 0;
#define B(name) n += Bind(m, #name, &g.name)
    B(AddWndButtonToList); B(AddMotionPictureToList); B(ButtonListAddScrollText); B(ButtonListAddVolume);
    B(InvokeWndButton); B(WndButtonAddAnim); B(WndButtonSetPos); B(ListeMarkForDelete); B(ListeDeleteById);
    B(ActiveElementSetVisible); B(ActiveElementSetBtnLook); B(ActiveElementSetRect); B(ActiveElementGetRect);
    B(ActiveElementSetTransparenz); B(ActiveElementGetStatus); B(ActiveElementSetStatus);
    B(ActiveElementSetEnable); B(VolumeGetPosition); B(VolumeSetPosition); B(VelmoWinGetWindow);
    B(VelmoWinGetButtonList); B(VelmoWinGetSkinData); B(VelmoWinSetShowBuffer); B(VelmoWinSetShowStatusSym);
    B(VelmoWinUpdateDisplayStrings); B(SetSkinData); B(ResourceManagerGetDC); B(CallResBitBlt);
    B(CallResStretchBlt); B(CallResDrawBitmap);
#undef B
    return n;
}

// Element ids the fixture builds: window button, motion picture, scrolling
// text; the volume slider takes the library's fixed ids (own id 60).
enum { FX_BUTTON = 100, FX_PICTURE = 101, FX_SCROLL = 102 };

// What a skin does in SetButtonsMain, through the bound functions only.
// Returns the window button it made.
FIXTURE_EXPORT cWndButton* FixtureBuild(cSkinWnd* window, cResourceManager* res) {
    cButtonListe* list = g.VelmoWinGetButtonList(window);
    HWND hwnd = g.VelmoWinGetWindow(window);
    cWndButton* button = g.AddWndButtonToList(list, window, res, 1, 10, 10, FX_BUTTON, 0, nullptr, 0);
    g.AddMotionPictureToList(list, window, res, 80, 10, FX_PICTURE, 408, nullptr, 4);
    g.ButtonListAddScrollText(list, res, 0, 1, 1, hwnd, FX_SCROLL, 10, 70, 200, 86, 0x000000, 0, 0);
    g.ButtonListAddVolume(list, window, res, 0, 20, 100, 30, 110, -1, 0, -1, 0, 10, 100, 210, 112, 10, 100, 200,
                          100, nullptr, nullptr, nullptr);
    int32_t colour = 0x00123456;
    int32_t pair[2] = {-1, 7};
    g.SetSkinData(window, "TableLineColor", &colour);
    g.SetSkinData(window, "ResizeBtnPos", pair);
    g.SetSkinData(window, "NavAnimType", reinterpret_cast<void*>(static_cast<intptr_t>(5)));
    g.SetSkinData(window, "PodcastURL", const_cast<char*>("http://example.invalid/podcasts"));
    g.WndButtonSetPos(button, 12, 14, 1);
    return button;
}

// Every function with what a careless skin passes. The number of the first
// answer that was not the empty one, 0 when all were.
FIXTURE_EXPORT int FixtureMisuse(cSkinWnd* window, cResourceManager* res, DWORD volumeId) {
    cButtonListe* list = g.VelmoWinGetButtonList(window);
    int check = 0;
#define EXPECT_EMPTY(cond) \
    do {                   \
        ++check;           \
        if (!(cond)) return check; \
    } while (0)
    EXPECT_EMPTY(!g.AddWndButtonToList(nullptr, window, res, 1, 0, 0, 200, 0, nullptr, 0));
    EXPECT_EMPTY(!g.AddWndButtonToList(list, nullptr, res, 1, 0, 0, 200, 0, nullptr, 0));
    EXPECT_EMPTY(!g.AddMotionPictureToList(nullptr, window, res, 0, 0, 201, 408, nullptr, 4));
    EXPECT_EMPTY(!g.AddMotionPictureToList(list, nullptr, res, 0, 0, 201, 408, nullptr, 4));
    g.ButtonListAddScrollText(nullptr, res, 0, 1, 1, nullptr, 202, 0, 0, 10, 10, 0, 0, 0);
    g.ButtonListAddVolume(nullptr, window, res, 0, 0, 0, 1, 1, -1, 0, -1, 0, 0, 0, 1, 1, 0, 0, 1, 0, nullptr,
                          nullptr, nullptr);
    g.ButtonListAddVolume(list, window, res, 3, 0, 0, 1, 1, -1, 0, -1, 0, 0, 0, 1, 1, 0, 0, 1, 0, nullptr, nullptr,
                          nullptr);   // an unknown kind adds nothing
    g.InvokeWndButton(nullptr, 1);
    g.WndButtonAddAnim(nullptr, 3, 1, 0, nullptr);
    g.WndButtonSetPos(nullptr, 1, 1, 1);
    g.ListeMarkForDelete(nullptr, true);
    g.ListeDeleteById(nullptr, 1, nullptr);
    g.ListeDeleteById(list, 3, nullptr);
    DWORD unknown[] = {999};
    g.ListeDeleteById(list, -5, unknown);
    g.ActiveElementSetVisible(nullptr, FX_BUTTON, 0);
    g.ActiveElementSetVisible(list, 999, 0);
    g.ActiveElementSetBtnLook(list, volumeId, 2);     // a slider has no look
    g.ActiveElementSetBtnLook(list, FX_PICTURE, 2);   // neither has a picture
    g.ActiveElementSetBtnLook(nullptr, FX_BUTTON, 2);
    g.ActiveElementSetRect(nullptr, FX_BUTTON, 0, 0, 1, 1, 0);
    g.ActiveElementSetRect(list, 999, 0, 0, 1, 1, 0);
    RECT r = g.ActiveElementGetRect(nullptr, FX_BUTTON);
    EXPECT_EMPTY(r.left == 0 && r.top == 0 && r.right == 0 && r.bottom == 0);
    r = g.ActiveElementGetRect(list, 999);
    EXPECT_EMPTY(r.left == 0 && r.top == 0 && r.right == 0 && r.bottom == 0);
    g.ActiveElementSetTransparenz(nullptr, FX_BUTTON, 1, nullptr);
    g.ActiveElementSetTransparenz(list, 999, 1, nullptr);
    EXPECT_EMPTY(g.ActiveElementGetStatus(nullptr, FX_BUTTON) == 0);
    EXPECT_EMPTY(g.ActiveElementGetStatus(list, 999) == 0);
    g.ActiveElementSetStatus(nullptr, FX_BUTTON, 8);
    g.ActiveElementSetStatus(list, 999, 8);
    g.ActiveElementSetEnable(nullptr, FX_BUTTON, 0);
    g.ActiveElementSetEnable(list, 999, 0);
    RECT knob = {-7, -7, -7, -7};
    POINT p = {-7, -7};
    g.VolumeGetPosition(list, FX_BUTTON, &knob, &p, &p, &knob, &p, &p);   // a button is no slider
    EXPECT_EMPTY(knob.left == -7 && p.x == -7);
    g.VolumeGetPosition(nullptr, volumeId, &knob, &p, &p, &knob, &p, &p);
    EXPECT_EMPTY(knob.left == -7 && p.x == -7);
    g.VolumeGetPosition(list, volumeId, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    g.VolumeSetPosition(list, FX_BUTTON, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 1, 0);
    g.VolumeSetPosition(nullptr, volumeId, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 1, 0);
    EXPECT_EMPTY(!g.VelmoWinGetWindow(nullptr));
    EXPECT_EMPTY(!g.VelmoWinGetButtonList(nullptr));
    EXPECT_EMPTY(!g.VelmoWinGetSkinData(nullptr));
    g.VelmoWinSetShowBuffer(nullptr, 1);
    g.VelmoWinSetShowStatusSym(nullptr, 1);
    g.VelmoWinUpdateDisplayStrings(nullptr);
    g.SetSkinData(nullptr, "NavAnimType", nullptr);
    g.SetSkinData(window, nullptr, nullptr);
    g.SetSkinData(window, "TableLineColor", nullptr);   // reads through its value: none given
    g.SetSkinData(window, "ResizeBtnPos", nullptr);
    g.SetSkinData(window, "PodcastURL", nullptr);
    g.SetSkinData(window, "navanimtype", reinterpret_cast<void*>(static_cast<intptr_t>(1)));   // case counts
    RECT sprite;
    EXPECT_EMPTY(!g.ResourceManagerGetDC(nullptr, 1, &sprite));
    EXPECT_EMPTY(g.CallResBitBlt(nullptr, nullptr, 0, 0, 1, 1, 1, 0, 0, SRCCOPY) == 0);
    EXPECT_EMPTY(g.CallResStretchBlt(nullptr, nullptr, 0, 0, 1, 1, 1, 0, 0, SRCCOPY) == 0);
    EXPECT_EMPTY(g.CallResDrawBitmap(nullptr, nullptr, 0, 0, 1, SRCCOPY) == 0);
    EXPECT_EMPTY(g.ResourceManagerGetDC(res, 1, nullptr) != nullptr);   // no rectangle wanted
#undef EXPECT_EMPTY
    return 0;
}
