#include "skin_frame.h"

#include <cstring>

#include "resource_manager.h"
#include "window_binding.h"
#include "skin_wnd.h"
#include "wnd_list.h"

namespace {

const unsigned kLooks[3][FRAME_PIECES] = {
    {180, 178, 177, 179, 176},
    {303, 301, 300, 302, 299},
    {308, 306, 305, 307, 304},
};

}  // namespace

const unsigned* FrameLookSprites(int look) { return kLooks[look >= 0 && look < 3 ? look : 0]; }

DWORD ControlRasterOp() {
    cSkinWnd* wnd = GetWindowList().Find(WND_ID_NAVIGATOR);
    if (!wnd) wnd = GetWindowList().Find(WND_ID_MAIN);
    return wnd ? wnd->GetSkinData()->GetRasterOP() : SRCAND;
}

void cSkinFrame::LoadPiece(cResourceManager* res, unsigned sprite, int piece) {
    if (!res || piece < 0 || piece >= FRAME_PIECES) return;
    RECT r = {-1, -1, -1, -1};
    master = res->GetDC(sprite, &r);
    rect[piece] = r;
    width[piece] = res->GetGfxWidth(sprite);
    height[piece] = res->GetGfxHeight(sprite);
}

void cSkinFrame::LoadLook(cResourceManager* res, int look) {
    if (!res) return;
    const unsigned* own = FrameLookSprites(look);
    const unsigned* base = FrameLookSprites(0);
    for (int piece = 0; piece < FRAME_PIECES; ++piece)
        LoadPiece(res, res->HasSprite(own[piece]) ? own[piece] : base[piece], piece);
}

void cSkinFrame::DrawCorners(HDC dc, int x, int y, int cx, int cy, DWORD rop) const {
    const POINT at[4] = {{x, y},
                         {x + cx - width[FRAME_TOP_RIGHT], y},
                         {x + cx - width[FRAME_BOTTOM_RIGHT], y + cy - height[FRAME_BOTTOM_RIGHT]},
                         {x, y + cy - height[FRAME_BOTTOM_LEFT]}};
    for (int piece = FRAME_TOP_LEFT; piece <= FRAME_BOTTOM_LEFT; ++piece) {
        if (!Has(piece)) continue;
        ::BitBlt(dc, at[piece].x, at[piece].y, width[piece], height[piece], master, rect[piece].left,
                 rect[piece].top, rop);
    }
}

void cSkinFrame::EdgeH(HDC dc, int x, int y, int length) const {
    if (length < 1 || !Has(FRAME_EDGE)) return;
    ::StretchBlt(dc, x, y, length, 1, master, rect[FRAME_EDGE].left, rect[FRAME_EDGE].top, 1, 1, SRCCOPY);
}

void cSkinFrame::EdgeV(HDC dc, int x, int y, int length) const {
    if (length < 1 || !Has(FRAME_EDGE)) return;
    ::StretchBlt(dc, x, y, 1, length, master, rect[FRAME_EDGE].left, rect[FRAME_EDGE].top, 1, 1, SRCCOPY);
}

void cSkinFrame::DrawTopBottom(HDC dc, int x, int y, int cx, int cy) const {
    EdgeH(dc, x + width[FRAME_TOP_LEFT], y, cx - width[FRAME_TOP_LEFT] - width[FRAME_TOP_RIGHT]);
    EdgeH(dc, x + width[FRAME_BOTTOM_LEFT], y + cy - height[FRAME_BOTTOM_LEFT],
          cx - width[FRAME_BOTTOM_LEFT] - width[FRAME_BOTTOM_RIGHT]);
}

void cSkinFrame::DrawSides(HDC dc, int x, int y, int cx, int cy) const {
    EdgeV(dc, x + cx - 1, y + height[FRAME_TOP_RIGHT], cy - height[FRAME_TOP_RIGHT] - height[FRAME_BOTTOM_RIGHT]);
    EdgeV(dc, x, y + height[FRAME_BOTTOM_LEFT] + 1, cy - height[FRAME_TOP_LEFT] - height[FRAME_BOTTOM_LEFT]);
}

void FrameLineV(HDC dc, int x, int first, int last, COLORREF colour) {
    if (last - first >= kFrameLineLimit) return;
    for (int y = first; y < last; ++y) SetPixel(dc, x, y, colour);
}

void FrameLineH(HDC dc, int y, int first, int last, COLORREF colour) {
    if (last - first >= kFrameLineLimit) return;
    for (int x = first; x < last; ++x) SetPixel(dc, x, y, colour);
}

COLORREF ChildBackground(HWND child) {
    HDC dc = child ? ::GetDC(child) : nullptr;
    if (!dc) return RGB(255, 255, 255);
    COLORREF c = ::GetPixel(dc, 3, 4);
    ReleaseDC(child, dc);
    return c == CLR_INVALID ? RGB(255, 255, 255) : c;
}

WNDPROC SubclassControl(HWND child, const void* object, WNDPROC proc) {
    if (!child) return nullptr;
    fkwin::Bind(child, object);
    return reinterpret_cast<WNDPROC>(SetWindowLongPtrA(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc)));
}

void UnsubclassControl(HWND child, const void* object, WNDPROC previous) {
    if (!child || !previous) return;
    SetWindowLongPtrA(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    fkwin::Unbind(child, object);
}

int ControlText(HWND child, char* buffer, int size) {
    const int kLimit = 260;
    if (!buffer || size < 1) return 0;
    buffer[0] = 0;
    if (!child) return 0;
    int n = size < kLimit ? size : kLimit;
    GetWindowTextA(child, buffer, n);
    buffer[n - 1] = 0;
    return static_cast<int>(strlen(buffer));
}

HINSTANCE ParentInstance(HWND parent) {
    return parent ? reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(parent, GWLP_HINSTANCE)) : nullptr;
}
