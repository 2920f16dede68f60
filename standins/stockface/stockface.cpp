// The standard skin: master bitmaps, the rectangle table generated with
// them, the skin metrics of both player windows and their elements.
// Elements are created through the skin engine's exported C functions,
// bound by name from the engine module that loaded this skin, exactly as
// any third-party skin has to do it.
#include <windows.h>

#include "skin_plugin_api.h"
#include "skindata.h"

namespace {

const RECT kRects[kSkinResourceIds] = {
#include "stockface_rects.inc"
};

int g_language = 0;

// The skin engine's element functions, as it exports them.
typedef void* (*AddWndButtonToListFn)(void* list, void* window, void* res, DWORD sprite, int x, int y, DWORD id,
                                      int group, HRGN* regions, DWORD flags);
typedef void (*SetSkinDataFn)(void* window, const char* key, void* value);
typedef void (*AddScrollTextFn)(void* list, void* res, DWORD kept, int mainFont, int secondFont, HWND parent,
                                DWORD id, int left, int top, int right, int bottom, DWORD colour, int, int);
typedef void (*SetTransparencyFn)(void* list, DWORD id, int flag, void* window);
typedef HWND (*WindowOfFn)(void* window);

template <typename Fn>
Fn EngineExport(const char* name) {
    HMODULE engine = GetModuleHandleA("facetkit.dll");
    if (!engine) return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(engine, name)));
}

struct ButtonPlace {
    DWORD id;      // element id and sprite id
    int x, y;
    int group;
    DWORD flags;   // bit 0 latching
};

// The main window (background sprite 294, 360 x 210): transport buttons in
// the well, display tabs under the display, window buttons top right.
const ButtonPlace kMainButtons[] = {
    {1, 20, 158, 1, 1},   {3, 68, 158, 1, 0},   {2, 116, 158, 1, 0},  {274, 164, 158, 0, 1},
    {12, 222, 162, 0, 1}, {43, 262, 162, 0, 0}, {44, 294, 162, 0, 0}, {14, 338, 4, 0, 0},
    {15, 320, 4, 0, 0},   {390, 302, 4, 0, 0},  {18, 20, 126, 0, 0},  {19, 96, 126, 0, 0},
    {17, 172, 126, 0, 0}, {16, 248, 126, 0, 0}, {42, 232, 2, 0, 0},    {45, 104, 81, 0, 0},
    {58, 306, 194, 0, 1}, {39, 220, 104, 0, 0}, {189, 236, 104, 0, 0}, {195, 252, 104, 0, 0},
    {29, 268, 104, 0, 0},
};

// The navigator: its view buttons along the top, one radio group.
const ButtonPlace kNavButtons[] = {
    {5, 10, 8, 2, 1},    {6, 74, 8, 2, 1},    {7, 138, 8, 2, 1},   {8, 202, 8, 2, 1},
    {265, 266, 8, 2, 1}, {322, 330, 8, 2, 1}, {375, 394, 8, 2, 1}, {4, 570, 8, 0, 0},
};

// The display's texts: station, title, status line, and under them the
// stream facts (bit rate, with the track-menu icon behind it, track, time).
struct DisplayText {
    DWORD id;
    RECT rect;
    int mainFont, secondFont;
};
const DisplayText kDisplayTexts[] = {
    {49, {24, 26, 294, 42}, 0, 1}, {50, {24, 46, 326, 60}, 1, 0}, {48, {24, 64, 326, 78}, 2, 0},
    {54, {24, 82, 100, 96}, 2, 0}, {52, {124, 82, 200, 96}, 2, 0}, {56, {206, 82, 326, 96}, 2, 0},
};

void AddDisplayTexts(cButtonListe* list, cResourceManager* res, void* window, DWORD colour) {
    auto add = EngineExport<AddScrollTextFn>("ButtonListAddScrollText");
    auto transparent = EngineExport<SetTransparencyFn>("ActiveElementSetTransparenz");
    auto windowOf = EngineExport<WindowOfFn>("VelmoWinGetWindow");
    if (!add || !windowOf || !list || !window) return;
    for (const DisplayText& t : kDisplayTexts) {
        add(list, res, 83, t.mainFont, t.secondFont, windowOf(window), t.id, t.rect.left, t.rect.top, t.rect.right,
            t.rect.bottom, colour, 1, 1);
        if (transparent) transparent(list, t.id, 1, window);
    }
}

void AddButtons(cButtonListe* list, cResourceManager* res, void* window, const ButtonPlace* places, size_t count) {
    auto add = EngineExport<AddWndButtonToListFn>("AddWndButtonToList");
    if (!add || !list || !window) return;
    for (size_t i = 0; i < count; ++i) {
        const ButtonPlace& p = places[i];
        add(list, window, res, p.id, p.x, p.y, p.id, p.group, nullptr, p.flags);
    }
}

POINT Pt(int x, int y) { return POINT{x, y}; }
RECT Rc(int l, int t, int r, int b) { return RECT{l, t, r, b}; }
SIZE Sz(int cx, int cy) { return SIZE{cx, cy}; }

// Values both windows read: colours, raster operation, languages.
void SetCommonMetrics(cVelmoSkinData* d) {
    d->SetTextcolorN(0xF0E6DC);
    d->SetTextcolorO(0xFFFFFF);
    d->SetTextcolorP(0x7C6046);
    d->SetTextcolorBalken(0xFFFFFF);
    d->SetTextboxcolorBG(0xFFFFFF);
    d->SetTableLineColor(0xE6DED8);
    d->SetUnableToPlayColor(0xAAAAAA);
    d->SetRasterOP(SRCAND);
    d->SetLanguageSupport(3);
    d->SetNavAnimEnabled(1);
    d->SetNavAnimType(0);
    d->SetVelmoaddieType(0);
    d->SetVelmoaddieUpdateArt(0);
    d->SetVelmoaddieUeberlappungCY(0);
    d->SetAddyRandOffsetRO(0);
    d->SetAddyRandOffsetRU(0);
    d->SetAddyRandOffsetLO(0);
    d->SetAddyRandOffsetLU(0);
    d->SetAddyRandOffsetOR(0);
    d->SetAddyRandOffsetOL(0);
    d->SetAddyRandOffsetUR(0);
    d->SetAddyRandOffsetUL(0);
    d->SetCloseBtnPos(Pt(-20, 4));
    d->SetResizeBtnPos(Pt(-1, 0));
    d->SetWaitSymbolsCount(8);
    d->SetSkinauswahlLinks(115);
    d->SetDisplayRahmen(Sz(9, 5));
    d->SetMinSizeNavWnd(Sz(600, 440));
    d->SetBannerHeight(0);
    d->SetBannerPos(Pt(0, 10));
    d->SetNavWndPaintRandLinks(0);
    d->SetNavWndPaintRandRechts(0);
    d->SetSongKaufenURL("");
    d->SetPodcastURL("");
}

}  // namespace

SKIN_PLUGIN_EXPORT RECT GetResourceRect(int id) {
    if (id < 0 || id >= kSkinResourceIds) return RECT{-1, -1, -1, -1};
    return kRects[id];
}

SKIN_PLUGIN_EXPORT void SetButtonsMain(cVelmoSkinData* data, cButtonListe* list, cResourceManager* res,
                                       cVelmoWin* window, int) {
    if (!data) return;
    SetCommonMetrics(data);
    data->SetMainWindowFlags(0);
    data->SetHasDisplay(0);
    data->SetStatusSymbolPos(Pt(300, 28));
    data->SetThumbPos(Pt(12, 30));
    data->SetDisplayLeftTop(Pt(16, 22));
    data->SetTitelPos(Pt(24, 30));
    data->SetListenCounterPos(Pt(24, 104));
    data->SetNavWndOffset(Pt(0, 0));
    data->SetBufferRect(Rc(314, 28, 328, 36));
    data->SetTimebarRect(Rc(20, 144, 330, 150));
    data->SetDetailInfoTextRect(Rc(24, 40, 320, 100));
    data->SetTimesliderWidth(10);
    data->SetTimesliderMostLeft(20);
    data->SetTimesliderMostRight(330);
    data->SetDisplayRandLinks(4);
    data->SetDisplayRandRechts(4);
    data->SetDisplayRandUntenOhneBanner(8);
    data->SetDisplayRandUntenMitBanner(8);
    AddButtons(list, res, window, kMainButtons, sizeof(kMainButtons) / sizeof(kMainButtons[0]));
    AddDisplayTexts(list, res, window, data->GetTextcolorN());
}

SKIN_PLUGIN_EXPORT void SetButtonsNav(cVelmoSkinData* data, cButtonListe* list, cResourceManager* res,
                                      cNavWindow* window, int language) {
    if (!data) return;
    g_language = language;
    SetCommonMetrics(data);
    data->SetMainWindowFlags(0);
    data->SetHasDisplay(1);
    // The navigator's lists lie on a light ground: their texts are dark.
    data->SetTextcolorN(RGB(0x22, 0x2A, 0x36));
    data->SetTextcolorO(RGB(0x10, 0x3C, 0x78));
    data->SetTextcolorBalken(RGB(0x30, 0x38, 0x44));
    data->SetStatusSymbolPos(Pt(0, 0));
    data->SetThumbPos(Pt(5, 30));
    data->SetDisplayLeftTop(Pt(10, 34));
    data->SetTitelPos(Pt(14, 30));
    data->SetListenCounterPos(Pt(6, 40));
    data->SetNavWndOffset(Pt(0, 0));
    data->SetBufferRect(Rc(0, 0, 0, 0));
    data->SetTimebarRect(Rc(0, 0, 0, 0));
    data->SetDetailInfoTextRect(Rc(14, 40, 410, 130));
    data->SetTimesliderWidth(0);
    data->SetTimesliderMostLeft(0);
    data->SetTimesliderMostRight(0);
    data->SetDisplayRandLinks(4);
    data->SetDisplayRandRechts(15);
    data->SetDisplayRandUntenOhneBanner(20);
    data->SetDisplayRandUntenMitBanner(20);
    AddButtons(list, res, window, kNavButtons, sizeof(kNavButtons) / sizeof(kNavButtons[0]));
}

SKIN_PLUGIN_EXPORT HRGN GetSkinRegionExtWnd(void*, int side, int visibleWidth, int visibleHeight, int width,
                                            int height) {
    // The standard navigator is a plain rectangle; folded in it shows nothing.
    if (side == 0) return CreateRectRgn(0, 0, 0, 0);
    int w = visibleWidth > 0 ? visibleWidth : width;
    int h = visibleHeight > 0 ? visibleHeight : height;
    return CreateRectRgn(0, 0, w < 0 ? 0 : w, h < 0 ? 0 : h);
}

// The standard skin has no coupled buttons; the export exists so the engine
// finds the same set of entry points in every skin it ships with.
SKIN_PLUGIN_EXPORT void NotifyBtnStateChanged(int, int) {}

SKIN_PLUGIN_EXPORT void SetSkinLanguage(int language) { g_language = language; }

// The optional entry points, with the standard behaviour: start normally,
// no skin-specific buttons or status reactions, and the engine paints the
// windows' backgrounds itself (0).
SKIN_PLUGIN_EXPORT int PreStartSkin(void*, cListStore*, cSettingsInterface*) { return 1; }
SKIN_PLUGIN_EXPORT void StatusHook(const char*, int) {}
SKIN_PLUGIN_EXPORT void SkinSpecificBtn(cResourceManager*, void*, cButtonListe*, int) {}
SKIN_PLUGIN_EXPORT int PaintMain(HDC, RECT*, cResourceManager*) { return 0; }
SKIN_PLUGIN_EXPORT int PaintNav(HDC, RECT*, cResourceManager*) { return 0; }

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
