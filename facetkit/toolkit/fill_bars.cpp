#include "fill_bars.h"

#include <climits>

#include "debugtext.h"
#include "element_window.h"
#include "resource_manager.h"

namespace {

const DWORD kChildStyle = WS_CHILD | WS_CLIPSIBLINGS | SS_NOTIFY | SS_OWNERDRAW;
static_assert(kChildStyle == 0x4400010D, "bar style");

int ClampPercent(int percent) { return percent < 0 ? 0 : (percent > 100 ? 100 : percent); }

}  // namespace

int BarFill(int width, long long pos, long long max) {
    if (max < 1 || width <= 0) return 0;
    if (pos < 0) pos = 0;
    if (pos > max) pos = max;
    // 64-bit: positions may be byte counts.
    return static_cast<int>(static_cast<long long>(width) * pos / max);
}

// ---------------------------------------------------------------- common

cFillBar::cFillBar(HWND parent, unsigned backSprite, unsigned barSprite)
    : parent_(parent), child_(nullptr), width_(0), height_(0), visible_(1), res_(nullptr), prevProc_(nullptr),
      memDc_(nullptr), memOld_(nullptr), memBitmap_(nullptr), value_(-1), changed_(0), rect_{0, 0, 0, 0}, draws_(0),
      backSprite_(backSprite), barSprite_(barSprite) {}

cFillBar::~cFillBar() {
    FreeMemory();
    DestroyElementWindow(child_, prevProc_);
    child_ = nullptr;
}

void cFillBar::Init(cResourceManager* res) {
    res_ = res;
    if (!child_) {
        SIZE s = SpriteSize(res_, backSprite_);
        child_ = CreateElementWindow(parent_, kChildStyle, 1, 1, s.cx, s.cy, &cFillBar::BarProc, this, &prevProc_);
        if (!child_) DebugLog(DL_ERR, "bar %u: no child window", backSprite_);
    }
    LoadResources();
}

void cFillBar::LoadResources() {
    if (!res_) return;
    SIZE s = SpriteSize(res_, backSprite_);
    width_ = s.cx;
    height_ = s.cy;
    MakeMemory(width_, height_);
}

void cFillBar::MakeMemory(int width, int height) {
    FreeMemory();
    if (width <= 0 || height <= 0) return;
    HDC like = ::GetDC(child_);
    memDc_ = CreateCompatibleDC(like);
    memBitmap_ = CreateCompatibleBitmap(like, width, height);
    ::ReleaseDC(child_, like);
    if (memDc_ && memBitmap_) {
        memOld_ = SelectObject(memDc_, memBitmap_);
        return;
    }
    DebugLog(DL_ERR, "bar %u: no memory picture of %d x %d", backSprite_, width, height);
    FreeMemory();
}

void cFillBar::FreeMemory() {
    if (memDc_ && memOld_) SelectObject(memDc_, memOld_);
    if (memBitmap_) DeleteObject(memBitmap_);
    if (memDc_) DeleteDC(memDc_);
    memDc_ = nullptr;
    memOld_ = nullptr;
    memBitmap_ = nullptr;
}

void cFillBar::DrawFromLeft(int fill) {
    changed_ = 1;
    if (res_ && memDc_) {
        SpriteBlt(res_, memDc_, 0, 0, width_, height_, backSprite_, 0, 0, SRCCOPY);
        if (fill > 0) SpriteBlt(res_, memDc_, 0, 0, fill, height_, barSprite_, 0, 0, SRCCOPY);
        ++draws_;
    }
    Invalidate();
}

void cFillBar::MoveTo(RECT rect) {
    rect_ = rect;
    if (!child_) return;
    SetWindowPos(child_, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(child_, SW_SHOW);
}

void cFillBar::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(child_, &ps);
    if (!dc) return;
    if (memDc_) BitBlt(dc, 0, 0, width_, height_, memDc_, 0, 0, SRCCOPY);
    EndPaint(child_, &ps);
}

void cFillBar::Invalidate() {
    if (child_) InvalidateRect(child_, nullptr, FALSE);
}

void cFillBar::SetVisible(int visible) {
    visible_ = visible;
    if (child_) ShowWindow(child_, visible ? SW_SHOW : SW_HIDE);
}

bool cFillBar::OnMessage(UINT, WPARAM, LPARAM, LRESULT*) { return false; }

LRESULT CALLBACK cFillBar::BarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    cFillBar* self = reinterpret_cast<cFillBar*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self) return 0;
    if (msg == WM_PAINT) {
        self->OnPaint();
        return 1;
    }
    LRESULT result = 0;
    if (self->OnMessage(msg, wParam, lParam, &result)) return result;
    return CallWindowProcA(self->prevProc_, hwnd, msg, wParam, lParam);
}

// ---------------------------------------------------------------- buffer view

cBufferView::cBufferView(HWND parent) : cFillBar(parent, SPRITE_BACK, SPRITE_BAR) {}

cBufferView::cBufferView(HWND parent, unsigned backSprite, unsigned barSprite)
    : cFillBar(parent, backSprite, barSprite) {}

cBufferView::~cBufferView() {}

void cBufferView::SetRect(RECT rect) {
    // Whatever it showed, the bar is drawn anew (at 0).
    SetBufferPos(1, 0);
    SetBufferPos(0, 0);
    MoveTo(rect);
}

void cBufferView::SetBufferPos(int percent, int) {
    percent = ClampPercent(percent);
    if (percent == value_) return;
    value_ = percent;
    DrawFromLeft(BarFill(width_, percent, 100));
}

// ---------------------------------------------------------------- peak meter

cPeakMeter::cPeakMeter(HWND parent)
    : cBufferView(parent, SPRITE_BACK, SPRITE_BAR), meterWidth_(0), barHeight_(0), overload_(0) {}

cPeakMeter::~cPeakMeter() {}

void cPeakMeter::LoadResources() {
    if (!res_) return;
    meterWidth_ = SpriteSize(res_, SPRITE_BACK).cx;
    barHeight_ = SpriteSize(res_, SPRITE_BAR).cy;
    width_ = meterWidth_;
    height_ = barHeight_ + SpriteSize(res_, SPRITE_LAMP_LIT).cy;   // the lamp sits above the bar
    MakeMemory(width_, height_);
}

void cPeakMeter::SetPos(POINT p) { SetRect(RECT{p.x, p.y, p.x + width_, p.y + height_}); }

void cPeakMeter::SetBufferPos(int percent, int overload) {
    if (overload < 1)
        overload_ = 0;
    else if (overload_ < INT_MAX)
        ++overload_;
    percent = ClampPercent(percent);
    if (percent == value_) return;
    value_ = percent;
    changed_ = 1;
    if (res_ && memDc_) {
        SpriteBlt(res_, memDc_, 0, 0, meterWidth_, height_, SPRITE_BACK, 0, 0, SRCCOPY);
        // The bar grows from the bottom: its lowest h rows show.
        int h = BarFill(barHeight_, percent, 100);
        if (h > 0) SpriteBlt(res_, memDc_, 0, barHeight_ - h, meterWidth_, h, SPRITE_BAR, 0, barHeight_ - h, SRCCOPY);
        ++draws_;
    }
    Invalidate();
}

void cPeakMeter::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(child_, &ps);
    if (!dc) return;
    if (memDc_) BitBlt(dc, 0, height_ - barHeight_, meterWidth_, barHeight_, memDc_, 0, 0, SRCCOPY);
    if (res_) {
        unsigned lamp = overload_ >= 1 ? SPRITE_LAMP_LIT : SPRITE_LAMP_DARK;
        SIZE s = SpriteSize(res_, lamp);
        SpriteBlt(res_, dc, 0, 0, s.cx, s.cy, lamp, 0, 0, SRCCOPY);
    }
    EndPaint(child_, &ps);
}

// ---------------------------------------------------------------- progress bar

cVLProgressBar::cVLProgressBar(HWND parent, cResourceManager* res)
    : cFillBar(parent, SPRITE_BACK, SPRITE_BAR), max_(0) {
    Init(res);
}

cVLProgressBar::~cVLProgressBar() {}

void cVLProgressBar::SetPos(POINT p) { SetRect(RECT{p.x, p.y, p.x + width_, p.y + height_}); }

void cVLProgressBar::SetRect(RECT rect) {
    SetBufferPos(100, 0);
    MoveTo(rect);
}

void cVLProgressBar::SetBufferPos(int max, int pos) {
    if (max < 1 || pos < 0 || pos > max) return;
    // A new maximum moves the bar as much as a new position.
    if (pos == value_ && max == max_) return;
    value_ = pos;
    max_ = max;
    DrawFromLeft(BarFill(width_, pos, max));
}

bool cVLProgressBar::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    // Other threads move the bar by posting its two values.
    if (msg != WM_PROGRESS_SET) return false;
    SetBufferPos(static_cast<int>(wParam), static_cast<int>(lParam));
    *result = 1;
    return true;
}
