#include "motion_picture.h"

#include <new>

#include "debugtext.h"
#include "element_window.h"
#include "registry.h"
#include "resource_manager.h"

namespace {

const DWORD kChildStyle = WS_CHILD | WS_CLIPSIBLINGS | SS_NOTIFY | SS_OWNERDRAW;
static_assert(kChildStyle == 0x4400010D, "picture style");

int ClampCount(int count) {
    if (count < 1) return 1;
    if (count > cMotionPicture::MAX_FRAMES) return cMotionPicture::MAX_FRAMES;
    return count;
}

}  // namespace

// Frame = (percent - 1) / (100 / count): 0 % and the first step's share show
// the first frame, 100 % the last. The count comes from the skin, so it is
// held to 1..100 (no step of 0) and the frame never leaves the strip.
int MotionFrame(int percent, int count) {
    count = ClampCount(count);
    if (percent < 0) percent = 0;
    if (percent > 100) percent = 100;
    int step = 100 / count;
    int frame = (percent - 1) / step;
    if (frame < 0) frame = 0;
    if (frame >= count) frame = count - 1;
    return frame;
}

cMotionPicture::cMotionPicture(HWND parent, cResourceManagerInterface* res, POINT pos, DWORD id, DWORD sprite,
                               HRGN* regions, int count)
    : prevProc_(nullptr), res_(res), height_(-1), width_(-1), child_(nullptr), parent_(parent), regions_(nullptr),
      regionCount_(0), sprite_(sprite), count_(ClampCount(count)), percent_(0) {
    if (count != count_) DebugLog(DL_WAR, "cMotionPicture %lu: %d frames taken as %d", id, count, count_);
    if (regions && count > 0) {
        // Copies of our own: the skin may delete or share its regions.
        regions_ = new (std::nothrow) HRGN[count];
        if (regions_) {
            regionCount_ = count;
            for (int i = 0; i < count; ++i) regions_[i] = regions[i] ? CopyRegion(regions[i]) : nullptr;
        }
    }
    SetId(id);
    child_ = CreateElementWindow(parent, kChildStyle, 1, 1, 2, 2, &cMotionPicture::PictureProc, this, &prevProc_);
    if (!child_) DebugLog(DL_ERR, "cMotionPicture %lu: no child window", id);
    SetEnable(1);
    SetVisible(1);
    SetPos(pos, 1);
}

cMotionPicture::~cMotionPicture() {
    for (int i = 0; i < regionCount_; ++i)
        if (regions_[i]) DeleteObject(regions_[i]);
    delete[] regions_;
    regions_ = nullptr;
    DestroyElementWindow(child_, prevProc_);
    child_ = nullptr;
}

void cMotionPicture::SetVisible(int visible) {
    cActiveElement::SetVisible(visible);
    if (!child_) return;
    bool shown = IsWindowVisible(child_) != 0;
    if (shown != (visible == 1)) ShowWindow(child_, visible == 1 ? SW_SHOWNA : SW_HIDE);
}

int cMotionPicture::GetGfxWidth() const {
    if (width_ < 0) width_ = SpriteSize(res_, sprite_).cx / count_;
    return width_;
}

int cMotionPicture::GetGfxHeight() const {
    if (height_ < 0) height_ = SpriteSize(res_, sprite_).cy;
    return height_;
}

void cMotionPicture::SetPos(POINT p, int leftAligned) {
    int w = GetGfxWidth();
    RECT r;
    r.left = leftAligned ? p.x : p.x - w;
    r.right = r.left + w;
    r.top = p.y;
    r.bottom = p.y + GetGfxHeight();
    cActiveElement::SetRect(r, 0);
    if (child_)
        SetWindowPos(child_, nullptr, r.left, r.top, w, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void cMotionPicture::SetPercent(int percent) {
    if (percent < 0) percent = 0;
    if (percent > 100) percent = 100;
    if (percent == percent_) return;
    percent_ = percent;
    Invalidate();
}

void cMotionPicture::Invalidate() {
    if (child_) InvalidateRect(child_, nullptr, FALSE);
}

void cMotionPicture::OnPaint(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    if (!dc) return;
    if (res_ && IsVisible()) {
        int w = GetGfxWidth();
        SpriteBlt(res_, dc, 0, 0, w, GetGfxHeight(), sprite_, w * MotionFrame(percent_, count_), 0, SRCCOPY);
    }
    EndPaint(window, &ps);
}

LRESULT CALLBACK cMotionPicture::PictureProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    cMotionPicture* self = reinterpret_cast<cMotionPicture*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self) return 0;
    switch (msg) {
    case WM_PAINT:
        self->OnPaint(hwnd);
        return 1;
    case WM_ERASEBKGND:
        return 1;
    case WM_NCPAINT:
        return 0;
    default:
        return CallWindowProcA(self->prevProc_, hwnd, msg, wParam, lParam);
    }
}

// ---------------------------------------------------------------- stretched

cStretchPicture::cStretchPicture(HWND window, cElementHost* owner, cResourceManagerInterface* res,
                                 DWORD sourceWidth, DWORD sourceHeight, DWORD sprite, RECT rect, DWORD id,
                                 int latching)
    : cSkinButton(window, owner, res, sprite, rect, id, nullptr, latching), stretchRes_(res),
      sourceWidth_(sourceWidth), sourceHeight_(sourceHeight) {}

cStretchPicture::~cStretchPicture() {}

void cStretchPicture::Show(HDC dc) {
    if (!stretchRes_) return;
    RECT r = GetRect();
    RECT sprite = {-1, -1, -1, -1};
    HDC source = stretchRes_->GetDC(GetSprite(), &sprite);
    if (!source || sprite.left < 0) return;
    // Never read beyond the sprite into its neighbours.
    long sw = sprite.right - sprite.left + 1, sh = sprite.bottom - sprite.top + 1;
    long cx = sourceWidth_ < static_cast<DWORD>(sw) ? static_cast<long>(sourceWidth_) : sw;
    long cy = sourceHeight_ < static_cast<DWORD>(sh) ? static_cast<long>(sourceHeight_) : sh;
    if (cx <= 0 || cy <= 0) return;
    ::StretchBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, source, sprite.left, sprite.top, cx, cy,
                 SRCCOPY);
}
