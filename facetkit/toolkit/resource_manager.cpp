#include "resource_manager.h"

#include <cstring>

#include "bounded_text.h"
#include "catalogue.h"
#include "debugtext.h"
#include "host_link.h"
#include "skin_plugin_api.h"

namespace {

// Element id -> catalogue string id of its tool tip.
struct ToolTipEntry {
    unsigned short element;
    unsigned short text;
};
const ToolTipEntry kToolTips[] = {
    {1, 126},   {2, 239},   {3, 226},   {4, 228},   {5, 229},   {6, 230},   {7, 231},   {8, 260},   {9, 421},
    {10, 236},  {11, 235},  {12, 237},  {13, 238},  {14, 240},  {15, 241},  {16, 242},  {17, 243},  {18, 255},
    {19, 256},  {20, 244},  {21, 245},  {22, 246},  {24, 248},  {27, 249},  {30, 249},  {31, 250},  {32, 175},
    {33, 175},  {34, 227},  {35, 227},  {36, 233},  {37, 234},  {38, 232},  {39, 252},  {40, 252},  {41, 257},
    {42, 247},  {43, 259},  {44, 262},  {45, 263},  {46, 264},  {47, 240},  {58, 265},  {59, 261},  {169, 335},
    {184, 258}, {186, 344}, {187, 270}, {189, 250}, {190, 331}, {193, 337}, {195, 127}, {207, 277}, {209, 277},
    {224, 267}, {225, 268}, {226, 269}, {227, 271}, {228, 272}, {229, 273}, {230, 274}, {231, 275}, {242, 276},
    {244, 277}, {245, 228}, {256, 344}, {265, 279}, {268, 280}, {270, 281}, {274, 278}, {286, 242}, {315, 250},
    {316, 127}, {322, 313}, {328, 336}, {329, 282}, {330, 346}, {332, 130}, {333, 130}, {347, 422}, {356, 506},
    {373, 640}, {374, 628}, {375, 602}, {379, 629}, {380, 630}, {390, 242}, {397, 233}, {404, 506}, {406, 281},
};
static_assert(sizeof(kToolTips) / sizeof(kToolTips[0]) == 90, "tool-tip table");

const RECT kAbsent = {-1, -1, -1, -1};

struct FontStyle {
    int points;
    int weight;
};
const FontStyle kFonts[4] = {{13, FW_BOLD}, {13, 0}, {12, 0}, {12, FW_BOLD}};

}  // namespace

unsigned ToolTipStringId(unsigned elementId) {
    for (const ToolTipEntry& e : kToolTips)
        if (e.element == elementId) return e.text;
    return 0;
}

cResourceManager::cResourceManager(HMODULE skinModule, int language)
    : module_(skinModule), masterDc_(nullptr), masterOld_(nullptr), fonts_{}, language_(language),
      masterSize_{0, 0} {
    DebugLog(DL_VER, "cResourceManager - Eingang");
    for (RECT& r : sprites_) r = kAbsent;

    HDC screen = ::GetDC(nullptr);
    LoadBitmapDC(screen, &masterDc_, &masterOld_, SKIN_BITMAP_MASTER);
    if (masterDc_) {
        BITMAP bm = {};
        if (GetObjectA(GetCurrentObject(masterDc_, OBJ_BITMAP), sizeof(bm), &bm)) masterSize_ = {bm.bmWidth, bm.bmHeight};
    } else {
        DebugLog(DL_ERR, "cResourceManager: skin has no master bitmap");
    }
    int logY = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    int logX = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    if (logX <= 0) logX = 96;
    for (int i = 0; i < 4; ++i) {
        fonts_[i] = CreateFontA(MulDiv(kFonts[i].points, logY, logX), 0, 0, 0, kFonts[i].weight, FALSE, FALSE, FALSE,
                                ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH,
                                "Microsoft Sans Serif");
    }
    if (screen) ReleaseDC(nullptr, screen);

    ReadSpriteTable();
    DebugLog(DL_VER, "cResourceManager...ok");
}

cResourceManager::~cResourceManager() {
    FreeBitmapDC(&masterDc_, &masterOld_);
    for (HFONT& f : fonts_) {
        if (f) DeleteObject(f);
        f = nullptr;
    }
}

void cResourceManager::ReadSpriteTable() {
    if (!module_) return;
    auto getRect = reinterpret_cast<SkinGetResourceRectFn>(
        reinterpret_cast<void*>(GetProcAddress(module_, "GetResourceRect")));
    if (!getRect) {
        DebugLog(DL_WAR, "cResourceManager: skin offers no GetResourceRect, every sprite absent");
        return;
    }
    int refused = 0;
    for (unsigned id = 0; id < kSpriteCount; ++id) {
        RECT r = getRect(static_cast<int>(id));
        if (r.left == -1) {
            sprites_[id] = kAbsent;
            continue;
        }
        // A rectangle that is inverted or leaves the master bitmap would
        // draw neighbouring sprites or nothing sensible: the sprite is absent.
        bool inside = r.left >= 0 && r.top >= 0 && r.right >= r.left && r.bottom >= r.top &&
                      r.right < masterSize_.cx && r.bottom < masterSize_.cy;
        if (!inside) {
            ++refused;
            DebugLog(DL_WAR, "cResourceManager: sprite %u (%ld,%ld,%ld,%ld) outside the master bitmap", id,
                     static_cast<long>(r.left), static_cast<long>(r.top), static_cast<long>(r.right),
                     static_cast<long>(r.bottom));
            sprites_[id] = kAbsent;
            continue;
        }
        sprites_[id] = r;
    }
    if (refused) DebugLog(DL_WAR, "cResourceManager: %d sprites refused", refused);
}

const RECT* cResourceManager::Sprite(unsigned id) const {
    if (id >= kSpriteCount || sprites_[id].left == -1) return nullptr;
    return &sprites_[id];
}

bool cResourceManager::HasSprite(unsigned id) const { return Sprite(id) != nullptr; }

HFONT cResourceManager::GetFont(int index) {
    if (index < 0 || index > 3) return nullptr;
    return fonts_[index];
}

void cResourceManager::LoadBitmapDC(HDC like, HDC* dc, HBITMAP* old, const char* name) {
    if (!dc || !old) return;
    *dc = nullptr;
    *old = nullptr;
    if (!name || !module_) return;
    char full[1024];
    HBITMAP bitmap = nullptr;
    if (language_ == 2) {
        bk::TextCopy(full, name);
        if (bk::TextAppend(full, SKIN_BITMAP_MASTER_ENGLISH_SUFFIX)) bitmap = ::LoadBitmapA(module_, full);
    }
    if (!bitmap) bitmap = ::LoadBitmapA(module_, name);
    if (!bitmap) return;
    HDC mem = CreateCompatibleDC(like);
    if (!mem) {
        DeleteObject(bitmap);
        return;
    }
    *old = static_cast<HBITMAP>(SelectObject(mem, bitmap));
    *dc = mem;
}

void cResourceManager::FreeBitmapDC(HDC* dc, HBITMAP* old) {
    if (!dc || !old || !*old) return;
    HGDIOBJ bitmap = SelectObject(*dc, *old);
    if (bitmap) DeleteObject(bitmap);
    DeleteDC(*dc);
    *dc = nullptr;
    *old = nullptr;
}

HDC cResourceManager::GetDC(unsigned id, RECT* rect) {
    if (rect) *rect = id < kSpriteCount ? sprites_[id] : kAbsent;
    return masterDc_;
}

HBITMAP cResourceManager::LoadBitmap(const char* name) {
    if (!module_ || !name) return nullptr;
    return ::LoadBitmapA(module_, name);
}

void cResourceManager::GetToolTipText(unsigned id, char* buffer, int size) {
    if (!buffer || size <= 0) return;
    memset(buffer, 0, static_cast<size_t>(size));
    unsigned text = ToolTipStringId(id);
    if (!text) return;
    GetResourceString(nullptr, text, GetHostLanguage(), buffer, size);
}

BOOL cResourceManager::DrawBitmap(HDC dc, int x, int y, unsigned id, DWORD rop) {
    const RECT* r = Sprite(id);
    if (!r) return 1;
    return ::BitBlt(dc, x, y, r->right - r->left + 1, r->bottom - r->top + 1, masterDc_, r->left, r->top, rop);
}

BOOL cResourceManager::BitBlt(HDC dc, int x, int y, int cx, int cy, unsigned id, int offsetX, int offsetY,
                              DWORD rop) {
    return SpriteBlt(this, dc, x, y, cx, cy, id, offsetX, offsetY, rop);
}

BOOL SpriteBlt(cResourceManagerInterface* res, HDC dc, int x, int y, int cx, int cy, unsigned id, int offsetX,
               int offsetY, DWORD rop) {
    if (!res) return 0;
    RECT r;
    HDC master = res->GetDC(id, &r);
    if (r.left == -1 || r.right < r.left || r.bottom < r.top) return 1;
    int w = r.right - r.left + 1, h = r.bottom - r.top + 1;
    // Keep the source inside the sprite: a part beyond it is not drawn.
    if (offsetX < 0) {
        x -= offsetX;
        cx += offsetX;
        offsetX = 0;
    }
    if (offsetY < 0) {
        y -= offsetY;
        cy += offsetY;
        offsetY = 0;
    }
    if (cx > w - offsetX) cx = w - offsetX;
    if (cy > h - offsetY) cy = h - offsetY;
    if (cx <= 0 || cy <= 0) return 1;
    return ::BitBlt(dc, x, y, cx, cy, master, r.left + offsetX, r.top + offsetY, rop);
}

SIZE SpriteSize(cResourceManagerInterface* res, unsigned id) {
    SIZE s = {0, 0};
    if (!res) return s;
    RECT r;
    res->GetDC(id, &r);
    if (r.left == -1 || r.right < r.left || r.bottom < r.top) return s;
    s.cx = r.right - r.left + 1;
    s.cy = r.bottom - r.top + 1;
    return s;
}

BOOL cResourceManager::StretchBlt(HDC dc, int x, int y, int cx, int cy, unsigned id, int offsetX, int offsetY,
                                  DWORD rop) {
    const RECT* r = Sprite(id);
    if (!r) return 1;
    int w = r->right - r->left + 1, h = r->bottom - r->top + 1;
    if (offsetX < 0 || offsetY < 0 || offsetX >= w || offsetY >= h) return 1;
    // The source is the sprite's full size from the offset, cut at its edge.
    int sw = w - offsetX, sh = h - offsetY;
    return ::StretchBlt(dc, x, y, cx, cy, masterDc_, r->left + offsetX, r->top + offsetY, sw, sh, rop);
}

COLORREF cResourceManager::GetPixel(unsigned id) {
    const RECT* r = Sprite(id);
    if (!r || !masterDc_) {
        if (!InterlockedExchange(&absentColourLogged_, 1))
            DebugLog(DL_ERR, "cResourceManager: colour sprite %u absent, white taken", id);
        return RGB(255, 255, 255);
    }
    COLORREF c = ::GetPixel(masterDc_, r->left, r->top);
    return c == CLR_INVALID ? RGB(255, 255, 255) : c;
}

int cResourceManager::GetGfxWidth(unsigned id) const {
    const RECT* r = Sprite(id);
    return r ? r->right - r->left + 1 : 0;
}

int cResourceManager::GetGfxHeight(unsigned id) const {
    const RECT* r = Sprite(id);
    return r ? r->bottom - r->top + 1 : 0;
}
