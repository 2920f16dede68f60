#include "volume_slider.h"

#include <climits>
#include <new>

#include "debugtext.h"
#include "resource_manager.h"
#include "wnd_button.h"

namespace {

bool Horizontal(int orientation) {
    return orientation == cVolumeSlider::OR_LEFT || orientation == cVolumeSlider::OR_RIGHT;
}

long long Clamp(long long v, long long lo, long long hi) { return v < lo ? lo : (v > hi ? hi : v); }

int ToInt(long long v) { return static_cast<int>(Clamp(v, INT_MIN, INT_MAX)); }

cWndButton* MakeButton(cElementHost* win, cResourceManager* res, DWORD id, POINT pos, HRGN* regions) {
    return new (std::nothrow) cWndButton(win, nullptr, res, id, pos, id, nullptr, 0, regions, 0);
}

}  // namespace

int SliderOrientation(POINT start, POINT end) {
    if (end.x < start.x) return cVolumeSlider::OR_LEFT;
    if (end.x > start.x) return cVolumeSlider::OR_RIGHT;
    if (end.y < start.y) return cVolumeSlider::OR_UP;
    if (end.y > start.y) return cVolumeSlider::OR_DOWN;
    return cVolumeSlider::OR_NONE;
}

cVolumeSlider::cVolumeSlider(cElementHost* win, cResourceManager* res, RECT knob, POINT first, POINT second,
                             RECT own, POINT trackStart, POINT trackEnd, HRGN* knobRegions, HRGN* secondRegions,
                             HRGN* firstRegions, DWORD knobId, DWORD secondId, DWORD firstId, DWORD ownId)
    : drag_(DRAG_NONE), value_(0), max_(0), min_(0), res_(res), own_(own), start_(trackStart), end_(trackEnd),
      lastMouse_{0, 0}, grab_{0, 0}, knobId_(knobId), secondId_(secondId), firstId_(firstId),
      filledSprite_(SPRITE_TRACK_FILLED), emptySprite_(SPRITE_TRACK_EMPTY),
      orientation_(SliderOrientation(trackStart, trackEnd)), owner_(win), knob_(nullptr), first_(nullptr),
      second_(nullptr) {
    knob_ = MakeButton(win, res, knobId, POINT{knob.left, knob.top}, knobRegions);
    knobs_.Add(knob_);
    if (first.x >= 0) {
        first_ = MakeButton(win, res, firstId, first, firstRegions);
        knobs_.Add(first_);
    }
    if (second.x >= 0) {
        second_ = MakeButton(win, res, secondId, second, secondRegions);
        knobs_.Add(second_);
    }
    SetId(ownId);
    SetTyp(ET_VOLUME_SLIDER);
    SetRect(own, 1);
}

cVolumeSlider::~cVolumeSlider() {
    if (drag_ != DRAG_NONE) EndDrag();
}

void cVolumeSlider::InvalidateOwn() {
    HWND wnd = owner_ ? owner_->GetWindow() : nullptr;
    if (wnd) InvalidateRect(wnd, &own_, FALSE);
}

void cVolumeSlider::SetValue(int value, int max, int min, int notify) {
    if (value == value_ && max_ != 0) return;
    long long v = value;
    if (v > max) v = max;
    if (v < min) v = min;
    value_ = static_cast<int>(v);
    max_ = max;
    min_ = min;
    long long range = static_cast<long long>(max) - min;
    if (range != 0 && knob_ && knob_->GetWindow()) {
        // Along the straight line from the track's start to its end; the
        // offset counts from the minimum so any range lands on the track.
        long long part = static_cast<long long>(value_) - min;
        long long x = start_.x + (static_cast<long long>(end_.x) - start_.x) * part / range;
        long long y = start_.y + (static_cast<long long>(end_.y) - start_.y) * part / range;
        PostMessageA(knob_->GetWindow(), WM_SKIN_MOVE_ELEMENT, static_cast<WPARAM>(ToInt(x)),
                     static_cast<LPARAM>(ToInt(y)));
    }
    InvalidateOwn();
    if (notify == 1) {
        if (cVolumeChangeTarget* target = dynamic_cast<cVolumeChangeTarget*>(owner_)) target->VolumeChanged(value_);
    }
}

void cVolumeSlider::Step(int n) {
    long long step = (static_cast<long long>(max_) - min_) / 100;
    if (step < 1) step = 1;
    long long v = value_ + n * step;
    if (v < min_) v = min_;
    SetValue(ToInt(v), max_, min_, 1);
}

// The value of a point: along the track (the knob's top-left, mouse minus
// the grab offset) while the knob is dragged, along the own rectangle's
// pixels otherwise, so its first pixel is the minimum and its last the
// maximum. The point is held inside the span whichever way the slider runs.
int cVolumeSlider::PointToValue(POINT pt) const {
    if (orientation_ == OR_NONE) return value_;
    bool horizontal = Horizontal(orientation_);
    long long lo, hi;
    if (drag_ == DRAG_KNOB) {
        long long a = horizontal ? start_.x : start_.y;
        long long b = horizontal ? end_.x : end_.y;
        lo = a < b ? a : b;
        hi = a < b ? b : a;
    } else {
        lo = horizontal ? own_.left : own_.top;
        hi = (horizontal ? own_.right : own_.bottom) - 1;
    }
    long long length = hi - lo;
    if (length <= 0) return value_;
    long long c = Clamp(horizontal ? pt.x : pt.y, lo, hi);
    long long part = (orientation_ == OR_RIGHT || orientation_ == OR_DOWN) ? c - lo : hi - c;
    long long range = static_cast<long long>(max_) - min_;
    return ToInt(min_ + range * part / length);
}

void cVolumeSlider::BeginDrag() {
    if (knob_) grab_ = knob_->GetPressedMousePos();
    drag_ = DRAG_KNOB;
}

int cVolumeSlider::Drag(int x, int y) {
    lastMouse_ = POINT{x, y};
    if (drag_ == DRAG_NONE) return 0;
    POINT p = {x, y};
    if (drag_ == DRAG_KNOB) {
        p.x -= grab_.x;
        p.y -= grab_.y;
    }
    SetValue(PointToValue(p), max_, min_, 1);
    return 1;
}

int cVolumeSlider::EndDrag() {
    if (drag_ == DRAG_NONE) return 0;
    drag_ = DRAG_NONE;
    ReleaseCapture();
    return 1;
}

DWORD cVolumeSlider::Check(POINT pt, HWND wnd, DWORD flag) {
    DWORD answer = knobs_.Check(pt, wnd, flag);
    if (answer == 0 && PtInRect(&own_, pt)) {
        if (flag == ES_MOUSEOVER) {
            answer = GetId();
        } else if (flag == ES_PRESSED) {
            SetValue(PointToValue(pt), max_, min_, 1);
            if (drag_ == DRAG_NONE) drag_ = DRAG_TRACK;
            if (wnd) SetCapture(wnd);
            answer = GetId();
        }
    }
    SetStatus(static_cast<int>(answer));
    return answer;
}

void cVolumeSlider::Show(HDC dc) {
    if (!IsVisible() || !res_) return;
    int w = own_.right - own_.left, h = own_.bottom - own_.top;
    SpriteBlt(res_, dc, own_.left, own_.top, w, h, emptySprite_, 0, 0, SRCCOPY);
    long long range = static_cast<long long>(max_) - min_;
    if (!knob_ || range == 0 || !Horizontal(orientation_)) return;
    long long fill = (static_cast<long long>(value_) - min_) * w / range;
    int f = ToInt(Clamp(fill, 0, w));
    if (f <= 0) return;
    // A slider that runs to the left fills from its right end.
    int x = orientation_ == OR_RIGHT ? own_.left : own_.right - f;
    SpriteBlt(res_, dc, x, own_.top, f, h, filledSprite_, 0, 0, SRCCOPY);
}

void cVolumeSlider::SetVisible(int visible) {
    if (knob_) {
        knob_->SetVisible(visible);
        knob_->Invalidate();
    }
    cActiveElement::SetVisible(visible);
}

void cVolumeSlider::SetPosition(RECT knob, POINT first, POINT second, RECT own, POINT trackStart, POINT trackEnd) {
    if (knob_) knob_->SetRect(knob, 1);
    // The extra buttons move themselves on their own thread's turn.
    if (first_ && first.x >= 0 && first_->GetWindow())
        PostMessageA(first_->GetWindow(), WM_SKIN_MOVE_ELEMENT, static_cast<WPARAM>(first.x),
                     static_cast<LPARAM>(first.y));
    if (second_ && second.x >= 0 && second_->GetWindow())
        PostMessageA(second_->GetWindow(), WM_SKIN_MOVE_ELEMENT, static_cast<WPARAM>(second.x),
                     static_cast<LPARAM>(second.y));
    SetRect(own, 1);
    own_ = own;
    start_ = trackStart;
    end_ = trackEnd;
    InvalidateOwn();
}

void cVolumeSlider::GetPosition(RECT* knob, POINT* first, POINT* second, RECT* own, POINT* trackStart,
                                POINT* trackEnd) const {
    if (knob && knob_) *knob = knob_->GetRect();
    if (first && first_) {
        RECT r = first_->GetRect();
        *first = POINT{r.left, r.top};
    }
    if (second && second_) {
        RECT r = second_->GetRect();
        *second = POINT{r.left, r.top};
    }
    if (own) *own = own_;
    if (trackStart) *trackStart = start_;
    if (trackEnd) *trackEnd = end_;
}
