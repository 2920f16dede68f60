// The zentorra skin: its rectangle table, the elements and metrics of the
// main and navigator windows, the window outlines, and the reactions to
// status codes and button changes that keep coupled buttons in step.
#include "zentorra_skin.h"

#include <cstdio>
#include <cstring>

#include "bounded_text.h"
#include "skindata.h"
#include "win_handles.h"

namespace zf {
namespace {

const RECT kRects[kZentorraResourceIds] = {
#include "zentorraface_rects.inc"
};

#include "outline_points.inc"

static_assert(sizeof kMainOutline / sizeof kMainOutline[0] == kMainOutlinePoints, "main outline");
static_assert(sizeof kNavOutlineTop / sizeof kNavOutlineTop[0] + 3 == kNavOutlinePoints, "navigator outline");

// The main window's outline lies over the navigator's top edge, shifted so.
constexpr int kMainOverNavX = 5;
constexpr int kMainOverNavY = -182;
constexpr int kNavButtonsFromBottom = 277;
constexpr int kMaxRegionSize = 32767;

struct Button {
    DWORD id;
    int x, y;
    DWORD sprite;
    int group;
    DWORD last;
};

const Button kMainButtons[] = {
    {390, 338, 83, 390, 0, 0}, {15, 338, 102, 15, 0, 0}, {14, 338, 117, 14, 0, 0},  {1, 85, 157, 1, 1, 1},
    {274, 189, 159, 274, 0, 1}, {2, 125, 159, 2, 2, 1},   {3, 157, 159, 3, 1, 0},    {43, 18, 160, 43, 0, 0},
    {44, 50, 160, 44, 0, 0},   {12, 221, 164, 12, 0, 1},  {18, 23, 51, 18, 0, 0},    {19, 104, 51, 19, 0, 0},
    {17, 181, 51, 17, 0, 0},   {16, 266, 51, 16, 0, 0},   {42, 23, 26, 42, 0, 0},    {39, 158, 78, 39, 0, 0},
    {189, 172, 78, 189, 0, 0}, {29, 185, 78, 29, 0, 0},   {195, 198, 78, 195, 0, 0}, {58, 166, 201, 58, 0, 1},
};

struct ScrollText {
    DWORD id;
    RECT rect;
    int first, second;
    bool transparent;
};

const ScrollText kScrollTexts[] = {
    {48, {78, 126, 328, 141}, 2, 0, true},  {49, {47, 92, 304, 107}, 0, 1, false},
    {50, {47, 108, 304, 123}, 1, 0, false}, {54, {76, 126, 142, 141}, 2, 0, true},
    {56, {162, 126, 252, 141}, 2, 0, true}, {52, {272, 126, 322, 141}, 2, 0, true},
};

const Button kNavStandard[] = {
    {6, 19, 285, 6, 2, 1},     {5, 80, 181, 5, 2, 1},     {7, 149, 181, 7, 2, 1},
    {265, 247, 181, 265, 2, 1}, {322, 201, 181, 322, 2, 1}, {8, 312, 181, 8, 2, 1},
};

const Button kNavOem[] = {
    {163, 19, 287, 6, 2, 1},   {160, 88, 181, 5, 2, 1},    {159, 164, 181, 7, 2, 1},
    {161, 277, 181, 265, 2, 1}, {162, 223, 181, 322, 2, 1},
};

const DWORD kNavMovedButtons[] = {6, 5, 7, 265, 322, 8};

const DWORD kRememberedIds[7] = {1, 2, 3, 12, 43, 44, 274};

POINT Pt(int x, int y) { return POINT{x, y}; }
RECT Rc(int l, int t, int r, int b) { return RECT{l, t, r, b}; }
SIZE Sz(int cx, int cy) { return SIZE{cx, cy}; }

void AddButtons(void* list, void* window, void* res, const Button* buttons, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        const Button& b = buttons[i];
        Engine().AddWndButtonToList(list, window, res, b.sprite, b.x, b.y, b.id, b.group, nullptr, b.last);
        if (b.id == 44) State().look[5] = 44;
    }
}

void SkinValue(void* window, const char* key, void* value) {
    if (Engine().SetSkinData) Engine().SetSkinData(window, key, value);
}

void* MainList() {
    return State().mainWindow ? Engine().VelmoWinGetButtonList(State().mainWindow) : nullptr;
}

void SetStatus(DWORD id, int status) {
    void* list = MainList();
    if (list && Engine().ActiveElementSetStatus) Engine().ActiveElementSetStatus(list, id, status);
}

int* Remembered(DWORD id) {
    for (int i = 0; i < 7; ++i)
        if (kRememberedIds[i] == id) return &State().look[i];
    return nullptr;
}

int Rem(DWORD id) {
    int* r = Remembered(id);
    return r ? *r : 0;
}

// A look is set only when it differs from the one the element shows.
void Look(DWORD id, int look) {
    int* r = Remembered(id);
    if (!r || *r == look) return;
    *r = look;
    void* list = MainList();
    if (list) Engine().ActiveElementSetBtnLook(list, id, look);
}

bool OneOf(int v, int a, int b) { return v == a || v == b; }

void MoveNavButtons(void* window, int height) {
    void* list = window ? Engine().VelmoWinGetButtonList(window) : nullptr;
    if (!list) return;
    for (DWORD id : kNavMovedButtons) {
        RECT r = Engine().ActiveElementGetRect(list, id);
        if (r.left == 0 && r.top == 0 && r.right == 0 && r.bottom == 0) continue;   // not in this variant
        int top = height - kNavButtonsFromBottom;
        Engine().ActiveElementSetRect(list, id, r.left, top, r.right, top + (r.bottom - r.top), 1);
    }
}

}  // namespace

HRGN MainOutline() { return CreatePolygonRgn(kMainOutline, kMainOutlinePoints, WINDING); }

HRGN NavOutline(int width, int height) {
    if (width <= 0 || height <= 0 || width > kMaxRegionSize || height > kMaxRegionSize)
        return CreateRectRgn(0, 0, 0, 0);
    POINT pts[kNavOutlinePoints];
    const int fixed = kNavOutlinePoints - 3;
    for (int i = 0; i < fixed; ++i) pts[i] = kNavOutlineTop[i];
    pts[fixed] = Pt(width, 9);
    pts[fixed + 1] = Pt(width, height);
    pts[fixed + 2] = Pt(0, height);
    HRGN nav = CreatePolygonRgn(pts, kNavOutlinePoints, WINDING);
    bk::ScopedGdiObject main(MainOutline());
    if (nav && main) {
        OffsetRgn(static_cast<HRGN>(main.Get()), kMainOverNavX, kMainOverNavY);
        CombineRgn(nav, nav, static_cast<HRGN>(main.Get()), RGN_DIFF);
    }
    return nav;
}

}  // namespace zf

using namespace zf;

ZENTORRA_EXPORT RECT GetResourceRect(int id) {
    if (id < 0 || id >= kZentorraResourceIds) return RECT{-1, -1, -1, -1};
    return kRects[id];
}

ZENTORRA_EXPORT void SetButtonsMain(cVelmoSkinData* data, void* list, void* res, void* window, int) {
    if (!data) return;
    State().mainWindow = window;
    State().resources = res;
    SkinValue(window, "SetLanguageSupport", reinterpret_cast<void*>(1));

    data->SetStatusSymbolPos(Pt(65, 128));
    data->SetThumbPos(Pt(12, 30));
    data->SetTextcolorN(0xFFFFFF);
    data->SetTextcolorO(0xFFFFFF);
    data->SetTextcolorP(0x3333CC);
    data->SetTextboxcolorBG(0xFFFFFF);
    data->SetTextcolorBalken(0xFFFFFF);
    data->SetWaitSymbolsCount(2);
    data->SetHasDisplay(0);
    data->SetMainWindowFlags(0);
    data->SetDetailInfoTextRect(Rc(33, 300, 50, 100));
    data->SetTimebarRect(Rc(47, 145, 312, 150));
    data->SetTimesliderWidth(0);
    data->SetTimesliderMostLeft(47);
    data->SetTimesliderMostRight(312);
    data->SetBufferRect(Rc(49, 129, 62, 136));

    if (!list) return;
    AddButtons(list, window, res, kMainButtons, sizeof kMainButtons / sizeof kMainButtons[0]);

    HWND wnd = window ? Engine().VelmoWinGetWindow(window) : nullptr;
    for (const ScrollText& t : kScrollTexts) {
        Engine().ButtonListAddScrollText(list, res, 83, t.first, t.second, wnd, t.id, t.rect.left, t.rect.top,
                                         t.rect.right, t.rect.bottom, data->GetTextcolorN(), 1, 1);
        if (t.transparent) Engine().ActiveElementSetTransparenz(list, t.id, 1, window);
    }
    Engine().ButtonListAddVolume(list, window, res, 0, 0, 0, 0, 0, 253, 172, 318, 172, 264, 173, 317, 183, 264, 175,
                                 317, 175, nullptr, nullptr, nullptr);
    Engine().AddWndButtonToList(list, window, res, 45, 0, 129, 45, 0, nullptr, 0);

    if (wnd) {
        HRGN outline = MainOutline();
        // The window owns the region from here on.
        if (outline && !SetWindowRgn(wnd, outline, TRUE)) DeleteObject(outline);
    }
}

ZENTORRA_EXPORT void SetButtonsNav(cVelmoSkinData* data, void* list, void* res, void* window, int) {
    if (!data) return;
    char program[MAX_PATH + 1] = {};
    DWORD n = GetModuleFileNameA(nullptr, program, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) program[0] = 0;
    SettingsKeyFor(program, State().settingsKey, sizeof State().settingsKey);
    State().oem = false;
    bk::ScopedRegKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, State().settingsKey, 0, KEY_READ, key.Receive()) == ERROR_SUCCESS) {
        char value[51] = {};
        DWORD size = sizeof value - 1, type = 0;
        if (RegQueryValueExA(key.Get(), "OEM_Player", nullptr, &type, reinterpret_cast<BYTE*>(value), &size) ==
                ERROR_SUCCESS &&
            type == REG_SZ) {
            value[size < sizeof value ? size : sizeof value - 1] = 0;
            State().oem = _stricmp(value, "1") == 0;
        }
    }

    State().navWindow = window;
    SkinValue(window, "VelmoaddieType", reinterpret_cast<void*>(1));
    SkinValue(window, "VelmoaddieUpdate", reinterpret_cast<void*>(1));
    SkinValue(window, "NavAnimType", reinterpret_cast<void*>(3));

    data->SetCloseBtnPos(Pt(20, 30));
    int32_t resizeAt[2] = {3, 4};
    SkinValue(window, "ResizeBtnPos", resizeAt);
    SkinValue(window, "SetLanguageSupport", reinterpret_cast<void*>(1));

    data->SetHasDisplay(1);
    data->SetDisplayLeftTop(Pt(14, 82));
    data->SetDisplayRandLinks(4);
    data->SetDisplayRandRechts(15);
    data->SetDisplayRandUntenMitBanner(20);
    data->SetDisplayRandUntenOhneBanner(282);
    data->SetMinSizeNavWnd(Sz(370, 564));
    data->SetDisplayRahmen(Sz(9, 5));
    data->SetTitelPos(Pt(23, 65));
    data->SetListenCounterPos(Pt(6, 88));
    data->SetBannerHeight(0);
    data->SetBannerPos(Pt(0, 10));
    data->SetSkinauswahlLinks(115);
    data->SetThumbPos(Pt(5, 30));
    data->SetDetailInfoTextRect(Rc(33, 35, 350, 126));
    data->SetTextcolorN(0xFFFFFF);
    data->SetTextcolorO(0xFFFFFF);
    data->SetTextcolorP(0x818181);

    uint32_t tableLine = 0x818181, unableToPlay = 0xAAAAAA, rasterOp = 0x660046;
    SkinValue(window, "TableLineColor", &tableLine);
    SkinValue(window, "UnableToPlayColor", &unableToPlay);
    SkinValue(window, "NavAnimEnabled", nullptr);
    SkinValue(window, "SetRasterOP", &rasterOp);

    data->SetTextboxcolorBG(0);
    data->SetTextcolorBalken(0xFFFFFF);
    data->SetNavWndPaintRandLinks(0);
    data->SetNavWndPaintRandRechts(0);
    data->SetNavWndOffset(Pt(-363, 181));

    if (!list) return;
    if (State().oem)
        AddButtons(list, window, res, kNavOem, sizeof kNavOem / sizeof kNavOem[0]);
    else
        AddButtons(list, window, res, kNavStandard, sizeof kNavStandard / sizeof kNavStandard[0]);
}

ZENTORRA_EXPORT HRGN GetSkinRegionExtWnd(void* window, int side, int current, int height, int width, int) {
    void* nav = window ? window : State().navWindow;
    HRGN region = nullptr;
    if (side == 0) {
        region = (current > 0 && current < width) ? NavOutline(width, height) : CreateRectRgn(0, 0, 0, 0);
        if (current > 0 && current < width) MoveNavButtons(nav, height);
        SetStatus(58, 2);
    } else if (side == 1 || side == 2) {
        region = NavOutline(width, height);
        MoveNavButtons(nav, height);
        SetStatus(58, 1);
    }
    return region;
}

ZENTORRA_EXPORT const char* GetKundeURL() { return "http://www.zentorra.de/"; }

ZENTORRA_EXPORT int StatusHook(const char*, int code) {
    char line[16];
    bk::TextFormat(line, sizeof line, "%d\n", code);
    OutputDebugStringA(line);
    switch (code) {
    case 8:
        SetStatus(1, 2);
        SetStatus(2, 2);
        break;
    case 9:
        SetStatus(2, 2);
        SetStatus(1, 1);
        break;
    case 20:
        SetStatus(1, 1);
        break;
    case 46:
        SetStatus(274, 2);
        break;
    default:
        break;
    }
    return 1;
}

ZENTORRA_EXPORT int SkinSpecificBtn(void*, void* window, void*, int elementId) {
    if (elementId == 58 && window) {
        HWND wnd = Engine().VelmoWinGetWindow(window);
        if (wnd) SendMessageA(wnd, WM_USER + 119, 0, 58);
    }
    return 1;
}

ZENTORRA_EXPORT void NotifyBtnStateChanged(int kind, int element) {
    const bool on = kind == 1 || kind == 8;
    switch (element) {
    case 1:
        if (on) {
            Look(44, 118);
            Look(2, 120);
        } else {
            Look(44, 44);
            if (Rem(2) != 141) Look(2, 2);
        }
        break;
    case 2:
        if (on) {
            Look(1, 122);
            Look(3, OneOf(Rem(3), 130, 133) ? 133 : 124);
        } else {
            Look(1, 1);
            Look(3, OneOf(Rem(3), 133, 130) ? 130 : 3);
        }
        break;
    case 3:
        if (on) {
            Look(2, OneOf(Rem(2), 120, 143) ? 143 : 141);
            Look(274, OneOf(Rem(274), 137, 139) ? 139 : 135);
        } else {
            Look(2, OneOf(Rem(2), 143, 120) ? 120 : 2);
            Look(274, OneOf(Rem(274), 139, 137) ? 137 : 274);
        }
        break;
    case 12:
        Look(274, on ? (OneOf(Rem(274), 135, 139) ? 139 : 137) : (OneOf(Rem(274), 139, 135) ? 135 : 274));
        break;
    case 44:
        if (on) {
            Look(1, Rem(1) == 122 ? 128 : 126);
            Look(43, 147);
        } else {
            Look(1, OneOf(Rem(1), 128, 122) ? 122 : 1);
            Look(43, 43);
        }
        break;
    case 274:
        if (on) {
            Look(3, OneOf(Rem(3), 124, 133) ? 133 : 130);
            Look(12, 145);
        } else {
            Look(3, OneOf(Rem(3), 133, 124) ? 124 : 3);
            Look(12, 12);
        }
        break;
    default:
        break;
    }
}
