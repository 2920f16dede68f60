#include "wnd_button.h"

#include <cstring>

#include "animation.h"
#include "bounded_text.h"
#include "button_list.h"
#include "catalogue.h"
#include "debugtext.h"
#include "host_link.h"
#include "liste.h"
#include "registry.h"
#include "resource_manager.h"
#include "skin_button.h"
#include "skin_wnd.h"
#include "window_binding.h"

namespace {

const DWORD kChildStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SS_NOTIFY | SS_OWNERDRAW;
static_assert(kChildStyle == 0x5400010D, "window button style");
const UINT kMoveFlags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING | SWP_DEFERERASE |
                        SWP_ASYNCWINDOWPOS;
static_assert(kMoveFlags == 0x6614, "window button move flags");

bool IsDown(int status) { return status == ES_SELECTED || status == ES_PRESSED; }
bool IsUp(int status) { return status == ES_NORMAL || status == ES_MOUSEOVER; }

void PumpRange(HWND hwnd, UINT first, UINT last) {
    MSG msg;
    while (PeekMessageA(&msg, hwnd, first, last, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

}  // namespace

cWndButton::cWndButton(cElementHost* win, HWND parent, cResourceManager* res, DWORD sprite, POINT pos, DWORD id,
                       const char* text, int group, HRGN* regions, DWORD flags)
    : prevProc_(nullptr), sprite_(sprite), flags_(0), res_(res), height_(-1), width_(-1), tool_{}, ownText_(false),
      owner_(win), child_(nullptr), parent_(parent ? parent : (win ? win->GetWindow() : nullptr)), animActive_(0),
      anim_(nullptr), regions_{nullptr, nullptr}, hasRegions_(false), pressedPos_{0, 0}, destroying_(0), text_{},
      group_(group), toolRect_{0, 0, 0, 0}, registered_(false) {
    if (text) {
        bk::TextCopy(text_, text);
        ownText_ = true;
    }
    if (regions) {
        // Copies of our own: the skin may delete or share its regions.
        regions_[0] = CopyRegion(regions[0]);
        regions_[1] = CopyRegion(regions[1]);
        hasRegions_ = true;
    }
    SetId(id);
    HINSTANCE instance = parent_ ? reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(parent_, GWLP_HINSTANCE)) : nullptr;
    child_ = CreateWindowExA(0, "Static", "", kChildStyle, 1, 1, 2, 2, parent_, nullptr, instance, nullptr);
    if (child_) {
        SetClassLongPtrA(child_, GCLP_HCURSOR, 0);
        SetWindowLongPtrA(child_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        prevProc_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(child_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&cWndButton::ButtonProc)));
    } else {
        DebugLog(DL_ERR, "cWndButton %lu: no child window", static_cast<unsigned long>(id));
    }
    SetEnable(1);
    SetTyp(ET_WINDOW_BUTTON);
    SetVisible(1);
    SetStatus(ES_NORMAL);
    flags_ = flags;
    SetPos(pos, 1);
}

cWndButton::~cWndButton() {
    destroying_ = 1;
    for (HRGN& r : regions_) {
        if (r) DeleteObject(r);
        r = nullptr;
    }
    RemoveTool();
    animActive_ = 0;
    delete anim_;
    anim_ = nullptr;
    if (child_) {
        // Messages still on their way find no object any more.
        SetWindowLongPtrA(child_, GWLP_USERDATA, 0);
        if (prevProc_) SetWindowLongPtrA(child_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(prevProc_));
        if (GetCapture() == child_) ReleaseCapture();
        DestroyWindow(child_);
        child_ = nullptr;
    }
}

bool cWndButton::Alive(HWND child, const cWndButton* self) {
    return child && IsWindow(child) &&
           GetWindowLongPtrA(child, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(self);
}

void cWndButton::RemoveTool() {
    if (!owner_ || !child_ || !registered_) return;
    TOOLINFOA probe = tool_;
    char scratch[TEXT_SIZE];
    probe.lpszText = scratch;
    if (owner_->GetToolInfo(&probe)) owner_->DelTool(&tool_);
    registered_ = false;
}

// Window work (regions, animation, painting) belongs to the thread of the
// button's window: a caller on another thread (a skin plug-in's status hook
// runs on the player's status thread) posts and returns, so it can never
// wait on a busy window thread while it holds a lock that thread wants.
bool cWndButton::PostedToOwnThread(UINT msg, int value) {
    return fkwin::PostedToWindowThread(child_, msg, static_cast<WPARAM>(value));
}

void cWndButton::SetBtnLook(int sprite) {
    if (PostedToOwnThread(WM_SKIN_SET_ELEMENT_LOOK, sprite)) return;
    sprite_ = static_cast<DWORD>(sprite);
    width_ = height_ = -1;
    ownText_ = false;
}

void cWndButton::AddAnim(int steps, int sprite, int extra, HRGN* regions) {
    width_ = height_ = -1;
    if (steps < 1 || !regions) {
        DebugLog(DL_ERR, "cWndButton %lu: animation of %d steps refused", GetId(), steps);
        return;
    }
    delete anim_;
    anim_ = new cAnimation(res_, steps, sprite, extra, regions);
}

void cWndButton::SetVisible(int visible) {
    cActiveElement::SetVisible(visible);
    if (child_) ShowWindow(child_, visible == 1 ? SW_SHOWNA : SW_HIDE);
    SetRegion();
    Invalidate();
}

void cWndButton::Invalidate() {
    if (child_) InvalidateRect(child_, nullptr, FALSE);
}

int cWndButton::GetGfxWidth() const {
    if (width_ < 0) {
        SIZE s = SpriteSize(res_, sprite_);
        width_ = (s.cx == 0 && anim_) ? anim_->GetGfxWidth() : s.cx / 5;
    }
    return width_;
}

int cWndButton::GetGfxHeight() const {
    if (height_ < 0) {
        SIZE s = SpriteSize(res_, sprite_);
        height_ = (s.cy == 0 && anim_) ? anim_->GetGfxHeight() : s.cy;
    }
    return height_;
}

void cWndButton::SetRect(RECT rect, int withToolTip) {
    cActiveElement::SetRect(rect, withToolTip);
    if (!child_) return;
    SetWindowPos(child_, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, kMoveFlags);
    PostMessageA(child_, WM_SKIN_SHOW_ELEMENT, 1, 0);
    if (withToolTip) SetToolTipRect(rect);
}

void cWndButton::SetPos(POINT p, int leftAligned) {
    int w = GetGfxWidth();
    RECT r;
    r.left = leftAligned ? p.x : p.x - w;
    r.right = r.left + w;
    r.top = p.y;
    r.bottom = p.y + GetGfxHeight();
    SetRect(r, 1);
}

void cWndButton::SetRegion() {
    if (!child_) return;
    if (hasRegions_ || !IsVisible()) {
        HRGN shape;
        if (!IsVisible())
            shape = CreateRectRgn(0, 0, 0, 0);
        else
            shape = CopyRegion(regions_[IsDown(GetStatus()) ? 1 : 0]);
        if (shape && !SetWindowRgn(child_, shape, TRUE)) DeleteObject(shape);
        return;
    }
    SIZE s = SpriteSize(res_, sprite_);
    if (s.cx > 0) {
        HRGN shape = CreateRectRgn(0, 0, GetGfxWidth(), GetGfxHeight());
        if (shape && !SetWindowRgn(child_, shape, TRUE)) DeleteObject(shape);
    } else if (anim_) {
        HRGN shape = CopyRegion(anim_->GetRgn(anim_->GetAktStep()));
        if (shape && !SetWindowRgn(child_, shape, FALSE)) DeleteObject(shape);
    }
}

void cWndButton::ReleaseGroupOthers() {
    cListe* owner = static_cast<cListe*>(GetListe());
    if (!owner) return;
    // The owner is a button list unless someone placed the button in a plain
    // list; that one gets the same radio-group release.
    if (cButtonListe* list = dynamic_cast<cButtonListe*>(owner))
        list->ReleaseGroup(group_, this);
    else
        ReleaseGroupIn(owner, group_, this);
}

bool cWndButton::WaitForAnimation(HWND child) {
    // The animation ends when the paint handler shows its last frame; bound
    // the wait so a button that gets no paint cannot hold the thread.
    DWORD limit = static_cast<DWORD>(anim_->GetStepCount()) * static_cast<DWORD>(anim_->GetDelay()) * 2 + 500;
    DWORD start = GetTickCount();
    while (animActive_) {
        if (!Alive(child, this) || destroying_) return false;
        if (GetTickCount() - start > limit) {
            DebugLog(DL_WAR, "cWndButton %lu: animation did not end, stopped", GetId());
            anim_->StopAnim();
            animActive_ = 0;
            break;
        }
        Sleep(10);
        PumpRange(nullptr, WM_PAINT, WM_PAINT);
        PumpRange(nullptr, WM_ANIM_ENDED, WM_ANIM_ENDED);
        PumpRange(nullptr, WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED);
    }
    return Alive(child, this);
}

void cWndButton::SetStatus(int status) {
    if (destroying_) return;
    if (PostedToOwnThread(WM_SKIN_SET_ELEMENT_STATUS, status)) return;
    HWND child = child_;
    HWND parent = parent_;
    DWORD id = GetId();
    if (!animActive_) {
        int old = GetStatus();
        bool goingDown = IsDown(status) && !IsDown(old);
        bool goingUp = IsUp(status) && !IsUp(old);
        bool started = false;
        // A hidden button gets no paint, so its animation could never step.
        if (anim_ && anim_->IsUsable() && child && IsVisible() && IsWindowVisible(child) && (goingDown || goingUp)) {
            anim_->DoAnim(child, goingDown ? cAnimation::FORWARDS : cAnimation::BACKWARDS);
            started = true;
            PumpRange(child, WM_ANIM_STARTED, WM_ANIM_STARTED);
            if (!Alive(child, this)) return;
        }
        if (started && !WaitForAnimation(child)) return;
        if (group_ > 0 && goingDown) ReleaseGroupOthers();
        cActiveElement::SetStatus(status);
        SetRegion();
        Invalidate();
    }
    if (parent) PostMessageA(parent, WM_SKIN_STATUS_CHANGED, static_cast<WPARAM>(status), static_cast<LPARAM>(id));
}

void cWndButton::Invoke() {
    HWND child = child_;
    if (!child || destroying_) return;
    if (parent_ && !IsWindow(parent_)) return;
    HWND parent = parent_;
    LPARAM id = static_cast<LPARAM>(GetId());
    if (!IsEnabled()) {
        SendMessageA(parent, WM_SKIN_DISABLED_PRESSED, 0, id);
        return;
    }
    int status = GetStatus();
    int next;
    if (flags_ & FLAG_LATCHING)
        next = IsDown(status) ? ES_MOUSEOVER : ES_PRESSED;
    else
        next = status == ES_MOUSEOVER ? ES_PRESSED : ES_SELECTED;
    bool before = next == ES_MOUSEOVER ? (flags_ & FLAG_NOTIFY_BEFORE_RELEASE) != 0
                                       : (flags_ & FLAG_NOTIFY_BEFORE_PRESS) != 0;
    if (before) {
        SendMessageA(parent, WM_SKIN_BUTTON_PRESSED, 0, id);
        if (!Alive(child, this)) return;
    }
    SetStatus(next);
    if (!before && Alive(child, this)) SendMessageA(parent, WM_SKIN_BUTTON_PRESSED, 0, id);
}

void cWndButton::Uninvoke() {
    if (!child_ || destroying_) return;
    if (parent_ && !IsWindow(parent_)) return;
    if (flags_ & FLAG_LATCHING) return;
    if (GetStatus() == ES_PRESSED)
        SetStatus(ES_MOUSEOVER);
    else if (GetStatus() == ES_SELECTED)
        SetStatus(ES_NORMAL);
}

void cWndButton::SetToolTipRect(RECT rect) {
    if (EqualRect(&rect, &toolRect_) || !res_) return;
    toolRect_ = rect;
    if (!owner_ || !child_) return;
    RemoveTool();
    if (!ownText_) res_->GetToolTipText(sprite_, text_, TEXT_SIZE);
    memset(&tool_, 0, sizeof(tool_));
    tool_.cbSize = TTTOOLINFOA_V2_SIZE;
    tool_.uFlags = TTF_SUBCLASS;
    tool_.hwnd = child_;
    tool_.uId = reinterpret_cast<UINT_PTR>(this);
    GetClientRect(child_, &tool_.rect);
    tool_.lpszText = text_;
    owner_->AddTool(&tool_);
    registered_ = true;
}

void cWndButton::SetToolTipText(const char* text) {
    // Copied: the caller's buffer may be gone when the tool is registered again.
    if (text != text_) bk::TextCopy(text_, text ? text : "");
    ownText_ = true;
    RECT former = toolRect_;
    toolRect_.left += 1;
    SetToolTipRect(former);
}

void cWndButton::SetToolTipText(unsigned int stringId) {
    char buffer[TEXT_SIZE] = {};
    GetResourceString(nullptr, stringId, GetHostLanguage(), buffer, TEXT_SIZE);
    SetToolTipText(buffer);
}

void cWndButton::OnPaint(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    if (!dc) return;
    if (!animActive_) {
        if (res_ && IsVisible() && SpriteSize(res_, sprite_).cx > 0) {
            int index = StateImageIndex(GetStatus(), IsEnabled());
            if (index >= 0) {
                int w = GetGfxWidth();
                SpriteBlt(res_, dc, 0, 0, w, GetGfxHeight(), sprite_, w * index, 0, SRCCOPY);
            }
        }
    } else if (anim_) {
        anim_->Paint(dc, ps.rcPaint);
    }
    EndPaint(window, &ps);
}

void cWndButton::UpdateCursor() {
    if (!owner_) return;
    LRESULT list = SendMessageA(parent_, WM_SKIN_GET_BUTTON_LIST, 0, 0);
    owner_->SelectCursor(reinterpret_cast<cButtonListe*>(list));
}

LRESULT CALLBACK cWndButton::ButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    cWndButton* self = reinterpret_cast<cWndButton*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self) return 0;
    if (IsElementQuery(msg))
        return wParam == self->GetId() ? ReportElement(GetParent(hwnd), self, static_cast<DWORD>(wParam),
                                                       reinterpret_cast<HWND>(lParam))
                                       : 0;
    return self->Handle(hwnd, msg, wParam, lParam, self->prevProc_);
}

// Every handler that may have handed control to the parent checks that the
// button still exists before it touches it again; `prev` is kept local so
// passing a message on never reads a deleted object.
LRESULT cWndButton::Handle(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, WNDPROC prev) {
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        SetPressedMousePos(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        TRACKMOUSEEVENT tme = {sizeof(tme), TME_LEAVE, hwnd, 0};
        TrackMouseEvent(&tme);
        SetCapture(hwnd);
        UpdateCursor();
        Invoke();
        if (Alive(hwnd, this)) Invalidate();
        return 0;
    }
    case WM_LBUTTONUP:
        PostMessageA(parent_, WM_SKIN_BUTTON_RELEASED, 0, static_cast<LPARAM>(GetId()));
        Uninvoke();
        if (!Alive(hwnd, this)) return CallWindowProcA(prev, hwnd, msg, wParam, lParam);
        ReleaseCapture();
        Invalidate();
        break;
    case WM_MOUSEMOVE: {
        TRACKMOUSEEVENT tme = {sizeof(tme), TME_LEAVE, hwnd, 0};
        TrackMouseEvent(&tme);
        if (owner_ && owner_->GetToolTipWindow()) {
            MSG relay = {hwnd, msg, wParam, lParam, static_cast<DWORD>(GetMessageTime()), {0, 0}};
            SendMessageA(owner_->GetToolTipWindow(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relay));
        }
        if (GetStatus() == ES_SELECTED)
            SetStatus(ES_PRESSED);
        else if (GetStatus() == ES_NORMAL)
            SetStatus(ES_MOUSEOVER);
        if (!Alive(hwnd, this)) return 0;
        UpdateCursor();
        break;
    }
    case WM_MOUSELEAVE:
        if (GetCapture() == hwnd) {
            ReleaseCapture();
            Uninvoke();
            if (!Alive(hwnd, this)) return 0;
            Invalidate();
            UpdateCursor();
        }
        if (GetStatus() == ES_MOUSEOVER)
            SetStatus(ES_NORMAL);
        else if (GetStatus() == ES_PRESSED)
            SetStatus((flags_ & FLAG_LATCHING) ? ES_SELECTED : ES_NORMAL);
        if (!Alive(hwnd, this)) return 0;
        Invalidate();
        UpdateCursor();
        return 0;
    case WM_CAPTURECHANGED:
        Invalidate();
        UpdateCursor();
        return 0;
    case WM_SETFOCUS:
        if (GetStatus() == ES_SELECTED)
            SetStatus(ES_PRESSED);
        else if (GetStatus() == ES_NORMAL)
            SetStatus(ES_MOUSEOVER);
        break;
    case WM_KILLFOCUS:
        if (GetStatus() == ES_MOUSEOVER)
            SetStatus(ES_NORMAL);
        else if (GetStatus() == ES_PRESSED)
            SetStatus(ES_SELECTED);
        break;
    case WM_CHAR:
        if (wParam == VK_TAB) {
            SendMessageA(parent_, WM_SKIN_NEXT_CONTROL, 0, 0);
            return 1;
        }
        if (wParam == VK_RETURN || wParam == VK_SPACE) {
            Invoke();
            return 0;
        }
        break;
    case WM_NOTIFY: {
        const NMHDR* hdr = reinterpret_cast<const NMHDR*>(lParam);
        if (hdr && hdr->code == TTN_SHOW) {
            SetWindowPos(hdr->hwndFrom, HWND_TOPMOST, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
            return 1;
        }
        break;
    }
    case WM_PAINT:
        OnPaint(hwnd);
        return 1;
    case WM_ERASEBKGND:
        return 1;
    case WM_NCPAINT:
        return 0;
    case WM_ANIM_ENDED:
        OutputDebugStringA("anim ende\n");
        SetAnimActive(0);
        Invalidate();
        return 0;
    case WM_ANIM_STARTED:
        OutputDebugStringA("anim start\n");
        SetAnimActive(1);
        return 0;
    case WM_SKIN_MOVE_ELEMENT:
        SetPos(POINT{static_cast<LONG>(wParam), static_cast<LONG>(lParam)}, 1);
        break;
    case WM_SKIN_SHOW_ELEMENT:
        SetVisible(static_cast<int>(wParam));
        return 0;
    case WM_SKIN_ENABLE_ELEMENT:
        SetEnable(static_cast<int>(wParam));
        Invalidate();
        return 0;
    case WM_SKIN_SET_ELEMENT_STATUS:
        SetStatus(static_cast<int>(wParam));
        return 0;
    case WM_SKIN_SET_ELEMENT_LOOK:
        SetBtnLook(static_cast<int>(wParam));
        Invalidate();
        return 0;
    default:
        break;
    }
    return CallWindowProcA(prev, hwnd, msg, wParam, lParam);
}
