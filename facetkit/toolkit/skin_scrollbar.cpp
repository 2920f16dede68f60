#include "skin_scrollbar.h"

#include <cmath>
#include <new>

#include "motion_picture.h"
#include "resource_manager.h"
#include "skin_wnd.h"
#include "wnd_button.h"
#include "wnd_list.h"

void ScrollMetrics::Update(int bar, int arrow, int content) {
    barLength = bar;
    trackLength = bar - 2 * arrow;
    extent = content < bar ? bar : content;
    // An empty bar before the first layout must not divide by zero.
    thumbLength = static_cast<float>((barLength * trackLength) / (extent < 1 ? 1 : extent));
    if (thumbLength < 3.0f) thumbLength = 3.0f;
    freeTrack = static_cast<float>(trackLength) - thumbLength;
    maximum = extent - barLength;
    if (maximum < 0) maximum = 0;
}

float ScrollMetrics::PixelToPos(float pixel) const {
    // A bar too short for its thumb has no track to map.
    if (freeTrack <= 0.0f || maximum <= 0) return 0.0f;
    return static_cast<float>(maximum) * pixel / freeTrack;
}

float ScrollMetrics::PosToPixel(float pos) const {
    if (freeTrack <= 0.0f || maximum <= 0) return 0.0f;
    return pos * freeTrack / static_cast<float>(maximum);
}

int ScrollMetrics::ThumbOffset(int position) const {
    int offset = position < maximum ? static_cast<int>(std::ceil(PosToPixel(static_cast<float>(position))))
                                    : static_cast<int>(freeTrack);
    return offset < 0 ? 0 : offset;
}

cScrollBar::cScrollBar(HWND window, int vertical)
    : window_(window), thickness_(0), rect_{0, 0, 0, 0}, client_(nullptr), first_(nullptr), second_(nullptr),
      thumb_(nullptr), res_(nullptr), arrowSpan_(0), visible_(0), mouseOverTrack_(0), vertical_(vertical) {
    cSkinWnd* nav = GetWindowList().Find(WND_ID_NAVIGATOR);
    Build(nav, nav ? nav->GetResourceManager() : nullptr);
}

cScrollBar::cScrollBar(HWND window, int vertical, cElementHost* owner, cResourceManager* res)
    : window_(window), thickness_(0), rect_{0, 0, 0, 0}, client_(nullptr), first_(nullptr), second_(nullptr),
      thumb_(nullptr), res_(nullptr), arrowSpan_(0), visible_(0), mouseOverTrack_(0), vertical_(vertical) {
    Build(owner, res);
}

void cScrollBar::Build(cElementHost* owner, cResourceManager* res) {
    res_ = res;
    if (!res_) return;
    thickness_ = vertical_ ? res_->GetGfxWidth(SB_V_TRACK) : res_->GetGfxHeight(SB_H_TRACK);
    DWORD firstId = vertical_ ? SB_UP_ARROW : SB_LEFT_ARROW;
    DWORD secondId = vertical_ ? SB_DOWN_ARROW : SB_RIGHT_ARROW;
    POINT origin = {0, 0};
    // The arrows live in the bar's window (a table's own child window), so
    // their presses reach that window and their rectangles are its own; the
    // owner only gives cursors and tips.
    first_ = new (std::nothrow) cWndButton(owner, window_, res_, firstId, origin, firstId, nullptr, 0, nullptr, 0);
    elements_.Add(first_);
    second_ = new (std::nothrow) cWndButton(owner, window_, res_, secondId, origin, secondId, nullptr, 0, nullptr, 0);
    elements_.Add(second_);
    DWORD thumbSprite = vertical_ ? SB_V_THUMB : SB_H_THUMB;
    RECT r = {0, 0, 0, 0};
    thumb_ = new (std::nothrow) cStretchPicture(window_, owner, res_, res_->GetGfxWidth(thumbSprite),
                                                res_->GetGfxHeight(thumbSprite), thumbSprite, r, SB_THUMB_ID, 0);
    elements_.Add(thumb_);
}

cScrollBar::~cScrollBar() {
    // The window buttons' windows go before the list that owns them.
    elements_.Delete();
}

RECT cScrollBar::GetThumbRect() const {
    RECT empty = {0, 0, 0, 0};
    return thumb_ ? thumb_->GetRect() : empty;
}

int cScrollBar::ArrowSize() const {
    if (!first_) return 0;
    return vertical_ ? first_->GetGfxHeight() : first_->GetGfxWidth();
}

int cScrollBar::Position() const {
    if (!client_) return 0;
    return vertical_ ? client_->GetVPosition() : client_->GetHPosition();
}

void cScrollBar::SetRect(int left, int top, int right, int bottom) {
    rect_ = RECT{left, top, right, bottom};
    int arrow = ArrowSize();
    arrowSpan_ = Length(rect_) - 2 * arrow;
    RECT a, b;
    if (vertical_) {
        a = RECT{left, top, left + thickness_, top + arrow};
        b = RECT{left, top + arrow + arrowSpan_, left + thickness_, top + 2 * arrow + arrowSpan_};
    } else {
        a = RECT{left, top, left + arrow, top + thickness_};
        b = RECT{left + arrow + arrowSpan_, top, left + 2 * arrow + arrowSpan_, top + thickness_};
    }
    if (first_) first_->SetRect(a, 0);
    if (second_) second_->SetRect(b, 0);
}

void cScrollBar::ShowButtons(int show) {
    if (first_) first_->SetVisible(show);
    if (second_) second_->SetVisible(show);
    if (thumb_) thumb_->SetVisible(show);
}

void cScrollBar::SetVisible(HDC dc, int show) {
    ShowButtons(show);
    visible_ = show;
    if (show) {
        UpdateMetrics();
        if (client_) client_->OnScrollBarShown(dc);
    }
}

void cScrollBar::UpdateMetrics() {
    int content = 0;
    if (client_) content = vertical_ ? client_->GetContentHeight() : client_->GetContentWidth();
    metrics_.Update(Length(rect_), ArrowSize(), content);
    if (client_) client_->Refresh(1);
}

void cScrollBar::PlaceThumb(int offset) {
    if (!thumb_) return;
    int from = Start() + ArrowSize() + offset;
    int length = static_cast<int>(metrics_.thumbLength);
    if (length <= 0) length = 1;
    RECT r = vertical_ ? RECT{rect_.left, from, rect_.left + thickness_, from + length}
                       : RECT{from, rect_.top, from + length, rect_.top + thickness_};
    thumb_->SetRect(r, 0);
}

void cScrollBar::Show(HDC dc) {
    if (!client_ || !visible_ || !res_) return;
    PlaceThumb(metrics_.ThumbOffset(Position()));
    int arrow = ArrowSize();
    if (arrowSpan_ > 0) {
        if (vertical_)
            res_->StretchBlt(dc, rect_.left, rect_.top + arrow, thickness_, arrowSpan_, SB_V_TRACK, 0, 0, SRCCOPY);
        else
            res_->StretchBlt(dc, rect_.left + arrow, rect_.top, arrowSpan_, thickness_, SB_H_TRACK, 0, 0, SRCCOPY);
    }
    if (first_) first_->Invalidate();
    if (second_) second_->Invalidate();
    if (thumb_) thumb_->Show(dc);
}

int cScrollBar::HasMouseOver() { return elements_.HasMouseOver() ? 1 : mouseOverTrack_; }

int cScrollBar::Check(int x, int y, HWND window, DWORD flags) {
    POINT pt = {x, y};
    if (!PtInRect(&rect_, pt)) {
        mouseOverTrack_ = 0;
        return 0;
    }
    mouseOverTrack_ = 1;
    DWORD hit = elements_.Check(pt, window, flags);
    return hit && hit != static_cast<DWORD>(-1) ? static_cast<int>(hit) : SB_TRACK_HIT;
}

void cScrollBar::Invalidate() {
    if (window_) InvalidateRect(window_, &rect_, FALSE);
}

void cScrollBar::LineDown(int step) {
    if (!client_) return;
    int pos = Position();
    if (static_cast<float>(metrics_.maximum) <= static_cast<float>(step) + static_cast<float>(pos))
        client_->SetPosition(metrics_.maximum, vertical_);
    else
        client_->SetPosition(pos + step, vertical_);
    Invalidate();
}

void cScrollBar::LineUp(int step) {
    if (!client_) return;
    client_->SetPosition(Position() - step, vertical_);
    Invalidate();
}

void cScrollBar::DragThumb(int pixel) {
    if (!client_) return;
    int pos = static_cast<int>(metrics_.PixelToPos(static_cast<float>(pixel - Start() - ArrowSize())));
    if (pos < 0) pos = 0;
    client_->SetPosition(pos < metrics_.maximum ? pos : metrics_.maximum, vertical_);
    PlaceThumb(metrics_.ThumbOffset(Position()));
    Invalidate();
}
