#include "skin_wnd.h"

#include "bounded_text.h"
#include "catalogue.h"
#include "debugtext.h"
#include "element_query.h"
#include "host_link.h"
#include "resource_manager.h"
#include "scroll_text.h"
#include "skin_button.h"
#include "skin_plugin_api.h"
#include "win_handles.h"
#include "window_binding.h"
#include "wnd_button.h"
#include "wnd_list.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

HMODULE OwnModule() { return reinterpret_cast<HMODULE>(&__ImageBase); }

bk::CriticalSection& ToolTipLock() {
    static bk::CriticalSection lock;
    return lock;
}
HostToolTipFn g_toolTipFn = nullptr;
void* g_toolTipContext = nullptr;

const UINT kGroupMoveFlags = SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING |
                             SWP_DEFERERASE | SWP_ASYNCWINDOWPOS;
const UINT kPlaceFlags = SWP_NOSIZE | SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING | SWP_ASYNCWINDOWPOS;

cSkinWnd* AsWindow(cListElement* e) { return static_cast<cSkinWnd*>(e); }

}  // namespace

void SetHostToolTipSource(HostToolTipFn fn, void* context) {
    bk::ScopedLock hold(ToolTipLock());
    g_toolTipFn = fn;
    g_toolTipContext = context;
}

int GetHostUseToolTip() {
    bk::ScopedLock hold(ToolTipLock());
    return g_toolTipFn ? (g_toolTipFn(g_toolTipContext) & 0xFFFF) : 1;
}

cSkinWnd::cSkinWnd()
    : hatch_(CreateHatchBrush(HS_DIAGCROSS, 0xDDDDDD)), posX_(0), posY_(0), width_(1), height_(1), captured_(0),
      moving_(0), resizing_(0), outlineDrawn_(0), minWidth_(20), minHeight_(20), lastMouseX_(0), lastMouseY_(0),
      mouseX_(0), mouseY_(0), hwnd_(nullptr), module_(nullptr), toolTip_(nullptr), mouseWParam_(0),
      mouseLParam_(0), dragOffsetX_(0), dragOffsetY_(0), cursor_(nullptr), moveCursor_(nullptr),
      linkCursor_(nullptr), arrowCursor_(nullptr), resizeCursor_(nullptr), sizeCursor_(nullptr), docked_(0),
      dockedTo_(0), layoutDone_(0), firstDragStep_(0), contentView_(nullptr), wndFlags_(0), res_(nullptr) {
    skinData_.SetRasterOP(SRCAND);
    skinData_.SetNavAnimEnabled(1);
    skinData_.SetVelmoaddieType(0);
    skinData_.SetNavAnimType(0);
    skinData_.SetVelmoaddieUpdateArt(0);
    skinData_.SetAddyRandOffsetRO(0);
    skinData_.SetAddyRandOffsetRU(0);
    skinData_.SetAddyRandOffsetLO(0);
    skinData_.SetAddyRandOffsetLU(0);
    skinData_.SetAddyRandOffsetOL(0);
    skinData_.SetAddyRandOffsetOR(0);
    skinData_.SetAddyRandOffsetUL(0);
    skinData_.SetAddyRandOffsetUR(0);
    skinData_.SetVelmoaddieUeberlappungCY(0);
    skinData_.SetLanguageSupport(3);
}

cSkinWnd::~cSkinWnd() {
    // Messages still on their way to the window find no object any more.
    fkwin::Unbind(hwnd_, this);
    ReleaseResources();
    if (toolTip_ && IsWindow(toolTip_)) DestroyWindow(toolTip_);
    toolTip_ = nullptr;
}

LRESULT CALLBACK cSkinWnd::StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        if (cs && cs->lpCreateParams) fkwin::Bind(hwnd, cs->lpCreateParams);
    }
    cSkinWnd* self = fkwin::Bound<cSkinWnd>(hwnd);
    if (!self) return DefWindowProcA(hwnd, msg, wParam, lParam);
    if (IsElementQuery(msg)) return self->AnswerElementQuery(static_cast<DWORD>(wParam), reinterpret_cast<HWND>(lParam));
    return self->WndProc(hwnd, msg, wParam, lParam);
}

LRESULT cSkinWnd::AnswerElementQuery(DWORD id, HWND asker) {
    if (::AnswerElementQuery(hwnd_, &elements_, id, asker)) return 1;
    // Buttons that a part of the window keeps for itself (the navigator's
    // content view) answer through their own windows.
    static const UINT query = RegisterWindowMessageA(kElementQueryMessage);
    for (HWND child = ::GetWindow(hwnd_, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (SendMessageA(child, query, id, reinterpret_cast<LPARAM>(asker)) == 1) return 1;
    return 0;
}

bool IsElementQuery(UINT msg) {
    static const UINT queryMessage = RegisterWindowMessageA(kElementQueryMessage);
    return queryMessage && msg == queryMessage;
}

bool IsLineQuery(UINT msg) {
    static const UINT lineQuery = RegisterWindowMessageA(kTableLineQueryMessage);
    return lineQuery && msg == lineQuery;
}

void SendElementReport(HWND from, HWND asker, const ElementReport& report) {
    COPYDATASTRUCT cds = {kElementReportKind, sizeof report, const_cast<ElementReport*>(&report)};
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(asker, WM_COPYDATA, reinterpret_cast<WPARAM>(from), reinterpret_cast<LPARAM>(&cds),
                        SMTO_ABORTIFHUNG, 5000, &answer);
}

ElementReport LineButtonReport(cActiveElement* button, int dx, int dy, bool lineVisible, HWND own) {
    ElementReport r = {};
    r.id = static_cast<int32_t>(button->GetId());
    r.visible = button->IsVisible() && lineVisible;
    r.enabled = button->IsEnabled();
    r.status = button->GetStatus();
    const RECT at = button->GetRect();
    r.left = at.left + dx;
    r.right = at.right + dx;
    r.top = at.top + dy;
    r.bottom = at.bottom + dy;
    r.ownWindow = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(own));
    const char* tip = nullptr;
    if (auto* b = dynamic_cast<cSkinButton*>(button)) tip = b->GetToolTipText();
    if (tip) bk::TextCopy(r.text, sizeof r.text, tip);
    return r;
}

// Runs on the window's thread, so the elements cannot change meanwhile.
LRESULT AnswerElementQuery(HWND from, cButtonListe* elements, DWORD id, HWND asker) {
    return ReportElement(from, elements ? static_cast<cActiveElement*>(elements->GetById(id)) : nullptr, id, asker);
}

LRESULT ReportElement(HWND from, cActiveElement* e, DWORD id, HWND asker) {
    if (!e || !IsWindow(asker)) return 0;
    ElementReport report = {};
    report.id = static_cast<int32_t>(id);
    report.visible = e->IsVisible();
    report.enabled = e->IsEnabled();
    report.status = e->GetStatus();
    const RECT r = e->GetRect();
    report.left = r.left;
    report.top = r.top;
    report.right = r.right;
    report.bottom = r.bottom;
    report.ownWindow = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(e->GetWindow()));
    // A button says what its tool tip tells the user.
    const char* tip = nullptr;
    if (auto* text = dynamic_cast<cScrollText*>(e))
        text->GetText(report.text, sizeof report.text);
    else if (auto* button = dynamic_cast<cWndButton*>(e))
        tip = button->GetToolTipText();
    else if (auto* button = dynamic_cast<cSkinButton*>(e))
        tip = button->GetToolTipText();
    if (tip) bk::TextCopy(report.text, sizeof report.text, tip);
    report.text[sizeof report.text - 1] = 0;
    SendElementReport(from, asker, report);
    return 1;
}

LRESULT cSkinWnd::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

int cSkinWnd::GetToolInfo(TOOLINFOA* info) {
    if (!toolTip_) return 0;
    return static_cast<int>(SendMessageA(toolTip_, TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(info)));
}

int cSkinWnd::AddTool(TOOLINFOA* info) {
    if (!toolTip_) return 0;
    return static_cast<int>(SendMessageA(toolTip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(info)));
}

void cSkinWnd::DelTool(TOOLINFOA* info) {
    if (toolTip_) SendMessageA(toolTip_, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(info));
}

void cSkinWnd::ActivateToolTips(BOOL on) {
    if (toolTip_) SendMessageA(toolTip_, TTM_ACTIVATE, on, 0);
}

HRGN cSkinWnd::CreateWindowRegion(int width, int height) { return CreateRectRgn(0, 0, width, height); }

void cSkinWnd::UpdateSizeFromWindow() {
    RECT r;
    if (hwnd_ && GetWindowRect(hwnd_, &r)) SetSize(r.right - r.left, r.bottom - r.top);
}

void cSkinWnd::CloseWindow() {
    HWND hwnd = hwnd_;
    RECT r;
    if (hwnd && GetWindowRect(hwnd, &r)) {
        posX_ = r.left;
        posY_ = r.top;
    }
    // Unbound first: the window outlives the object by at least the rest of
    // the message that closed it.
    fkwin::Unbind(hwnd, this);
    DetachWindow();
    cWindowList& list = GetWindowList();
    if (list.GetById(GetId()) == this)
        list.Delete(this);
    else
        delete this;
}

void cSkinWnd::InitWindow(HWND hwnd, unsigned id) {
    hwnd_ = hwnd;
    if (hwnd && !fkwin::Bound<void>(hwnd)) fkwin::Bind(hwnd, this);
    arrowCursor_ = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    moveCursor_ = LoadCursorA(OwnModule(), "IDC_CUR_MOVE");
    linkCursor_ = LoadCursorA(OwnModule(), "IDC_CUR_LINK");
    resizeCursor_ = LoadCursorA(OwnModule(), "IDC_CUR_RESIZE");
    sizeCursor_ = LoadCursorA(OwnModule(), "IDC_CUR_SIZEB");
    cursor_ = arrowCursor_;
    moving_ = 0;
    resizing_ = 0;
    SetId(id);
    GetWindowList().Add(this);

    if (width_ < minWidth_) width_ = minWidth_;
    if (height_ < minHeight_) height_ = minHeight_;
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    if (posX_ > desktop.right) posX_ = desktop.right - width_;
    if (posY_ > desktop.bottom) posY_ = desktop.bottom - height_;
    // After the edge adjustment, so a window wider than the desktop still
    // starts on it.
    if (posX_ < 0) posX_ = 0;
    if (posY_ < 0) posY_ = 0;
    CreateToolTipControl();
}

void cSkinWnd::CreateToolTipControl() {
    INITCOMMONCONTROLSEX icc = {sizeof(icc), 0xFF};
    InitCommonControlsEx(&icc);
    toolTip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, module_,
                               nullptr);
    if (!toolTip_) {
        DebugLog(DL_ERR, "cSkinWnd %lu: no tool-tip control", GetId());
        return;
    }
    SetWindowPos(toolTip_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ActivateToolTips(GetHostUseToolTip() != 0);
}

void cSkinWnd::ReleaseResources() {
    if (hatch_) DeleteObject(hatch_);
    hatch_ = nullptr;
    delete contentView_;
    contentView_ = nullptr;
}

void cSkinWnd::NotifyBtnStateChanged(int state, int id) {
    if (!module_) return;
    auto fn = reinterpret_cast<SkinNotifyBtnStateChangedFn>(
        reinterpret_cast<void*>(GetProcAddress(module_, "NotifyBtnStateChanged")));
    if (fn) fn(state, id);
}

void cSkinWnd::TakeMousePosFromLParam() {
    mouseX_ = static_cast<short>(LOWORD(mouseLParam_));
    mouseY_ = static_cast<short>(HIWORD(mouseLParam_));
}

int cSkinWnd::SetMousePos(int x, int y) {
    if (x == mouseX_ && y == mouseY_) return 0;
    mouseX_ = x;
    mouseY_ = y;
    return 1;
}

void cSkinWnd::SetWindowPosition(int x, int y) {
    if (x == posX_ && y == posY_) return;
    posX_ = x;
    posY_ = y;
    if (hwnd_) SetWindowPos(hwnd_, nullptr, x, y, 0, 0, kPlaceFlags);
}

void cSkinWnd::SetMoving(int moving) {
    moving_ = moving;
    if (moving == 1) {
        GetWindowList().UpdateDocking();
        firstDragStep_ = 1;
        SelectCursor(nullptr);
    }
}

void cSkinWnd::SetResizing(int resizing) {
    resizing_ = resizing;
    if (resizing == 1 && hwnd_) {
        RECT client;
        GetClientRect(hwnd_, &client);
        dragOffsetX_ = client.right - mouseX_;
        dragOffsetY_ = client.bottom - mouseY_;
    }
}

DWORD cSkinWnd::SnapToWindows(const RECT& f, HWND other, int* dx, int* dy) {
    if (dx) *dx = 0;
    if (dy) *dy = 0;
    RECT o, i;
    if (!other || !GetWindowRect(other, &o) || !IntersectRect(&i, &f, &o)) return 0;
    DWORD flags = 0;
    int w = i.right - i.left, h = i.bottom - i.top;
    if (i.right != f.right && i.left == f.left) {
        if (w < 20)
            flags |= 2;
        else if (i.left - o.left < 20)
            flags |= 64;
    } else if (i.right == f.right) {
        if (w < 20)
            flags |= 1;
        else if (o.right - i.right < 20)
            flags |= 128;
        else if (i.left == f.left && i.left - o.left < 20)
            flags |= 64;
        else if (o.right - i.right < 20)
            flags |= 128;
    }
    if (i.bottom != f.bottom && i.top == f.top) {
        if (h < 20)
            flags |= 8;
        else if (i.top - o.top < 20)
            flags |= 16;
    } else if (i.bottom == f.bottom) {
        if (h < 20)
            flags |= 4;
        else if (o.bottom - i.bottom < 20)
            flags |= 32;
        else if (i.top == f.top && i.top - o.top < 20)
            flags |= 16;
        else if (o.bottom - i.bottom < 20)
            flags |= 32;
    }
    return flags;
}

void cSkinWnd::DragTo(int magnet) {
    if (!hwnd_) return;
    TakeMousePosFromLParam();
    int x = mouseX_, y = mouseY_;
    bool isMain = GetId() == WND_ID_MAIN;
    if (magnet) {
        RECT frame;
        GetWindowRect(hwnd_, &frame);
        OffsetRect(&frame, x - dragOffsetX_, y - dragOffsetY_);
        cWindowList& list = GetWindowList();
        cIterator* it = list.GetIterator();
        if (it) {
            while (cListElement* e = it->Next()) {
                cSkinWnd* other = AsWindow(e);
                if (other == this || other->GetId() == GetId()) continue;
                if (isMain && other->GetId() == WND_ID_NAVIGATOR) continue;
                if (isMain && other->IsDocked()) {
                    // The docked window follows the same mouse; its step
                    // only keeps its mouse state, the move is the group's.
                    other->SetDragOffset(dragOffsetX_, dragOffsetY_);
                    other->SetMouseParams(mouseWParam_, mouseLParam_);
                    other->DragTo(0);
                }
                int dx, dy;
                if (SnapToWindows(frame, other->GetWindow(), &dx, &dy)) break;
            }
            list.FreeIterator(it);
        }
    }
    SetMousePos(x, y);
    // Only the window the user drags moves anything: a docked window's
    // own step (above) must not move the group a second time.
    if (!firstDragStep_ && moving_) {
        MoveGroup(x - dragOffsetX_, y - dragOffsetY_);
        SetLastMousePos(x, y);
    }
    firstDragStep_ = 0;
}

void cSkinWnd::MoveGroup(int dx, int dy) {
    if (dx == 0 && dy == 0) return;
    RECT r;
    GetWindowRect(hwnd_, &r);
    SetWindowPos(hwnd_, nullptr, r.left + dx, r.top + dy, 0, 0, kGroupMoveFlags);
    if (!docked_) return;
    cWindowList& list = GetWindowList();
    cIterator* it = list.GetIterator();
    if (!it) return;
    while (cListElement* e = it->Next()) {
        cSkinWnd* other = AsWindow(e);
        if (other == this || !other->IsDocked() || !other->GetWindow()) continue;
        RECT o;
        GetWindowRect(other->GetWindow(), &o);
        SetWindowPos(other->GetWindow(), nullptr, o.left + dx, o.top + dy, 0, 0, kGroupMoveFlags);
    }
    list.FreeIterator(it);
}

void cSkinWnd::EndDrag() {
    int oldX = posX_, oldY = posY_;
    moving_ = 0;
    if (!hwnd_) return;
    // The steps moved the window already: where it stands is where the last
    // mouse position minus the drag offset put it.
    RECT r;
    GetWindowRect(hwnd_, &r);
    SetWindowPosition(r.left, r.top);
    ReleaseCapture();
    captured_ = 0;
    int dx = posX_ - oldX, dy = posY_ - oldY;
    cWindowList& list = GetWindowList();
    cIterator* it = list.GetIterator();
    if (it) {
        while (cListElement* e = it->Next()) {
            cSkinWnd* other = AsWindow(e);
            if (other == this || !other->IsDocked()) continue;
            other->SetDragOffset(dragOffsetX_, dragOffsetY_);
            other->SetMouseParams(mouseWParam_, mouseLParam_);
            other->TakeMousePosFromLParam();
            if (other->GetWindow())
                PostMessageA(other->GetWindow(), WM_SKIN_GROUP_MOVED, static_cast<WPARAM>(dx), static_cast<LPARAM>(dy));
        }
        list.FreeIterator(it);
    }
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void cSkinWnd::FrameOutline(int mouseX, int mouseY) {
    RECT r;
    GetWindowRect(hwnd_, &r);
    HRGN region = CreateWindowRegion(mouseX + dragOffsetX_, mouseY + dragOffsetY_);
    if (!region) return;
    OffsetRgn(region, r.left, r.top);
    bk::ScopedGetDC screen(nullptr);
    int oldRop = SetROP2(screen.Get(), R2_NOT);
    FrameRgn(screen.Get(), region, hatch_, 1, 1);
    SetROP2(screen.Get(), oldRop);
    DeleteObject(region);
}

void cSkinWnd::UpdateResizeFrame() {
    if (!hwnd_) return;
    if (outlineDrawn_) FrameOutline(lastMouseX_, lastMouseY_);
    int x = mouseX_, y = mouseY_;
    if (x + dragOffsetX_ < minWidth_) x = minWidth_ - dragOffsetX_;
    if (y + dragOffsetY_ < minHeight_) y = minHeight_ - dragOffsetY_;
    FrameOutline(x, y);
    outlineDrawn_ = 1;
    SetLastMousePos(x, y);
}

void cSkinWnd::EndResize() {
    resizing_ = 0;
    if (!hwnd_) return;
    if (outlineDrawn_) FrameOutline(lastMouseX_, lastMouseY_);
    outlineDrawn_ = 0;
    int w = lastMouseX_ + dragOffsetX_, h = lastMouseY_ + dragOffsetY_;
    if (w < minWidth_) w = minWidth_;
    if (h < minHeight_) h = minHeight_;
    SetWindowPos(hwnd_, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER);
    ReleaseCapture();
    captured_ = 0;
    UpdateSizeFromWindow();
    UpdateLayout(0);
}

void cSkinWnd::UpdateLayout(int show) {
    if (!hwnd_) return;
    SetWindowPos(hwnd_, nullptr, posX_, posY_, width_, height_, SWP_NOZORDER);
    UpdateSizeFromWindow();

    cActiveElement* extend = static_cast<cActiveElement*>(elements_.GetById(ELEMENT_EXTEND_BUTTON));
    if (!extend && (wndFlags_ & WNDFLAG_EXTEND_BUTTON) && res_) {
        char text[500] = {};
        if (GetId() == WND_ID_NAVIGATOR) GetResourceString(nullptr, 265, GetHostLanguage(), text, sizeof(text));
        elements_.Add(new cSkinButton(hwnd_, this, res_, ELEMENT_EXTEND_BUTTON, GetWidth(), GetExtendBtnTop(),
                                      ELEMENT_EXTEND_BUTTON, text[0] ? text : nullptr, 0));
    } else if (extend) {
        static_cast<cSkinButton*>(extend)->SetPos(GetWidth(), GetExtendBtnTop(), 1);
    }

    cActiveElement* grip = static_cast<cActiveElement*>(elements_.GetById(ELEMENT_RESIZE_GRIP));
    if (!grip && (wndFlags_ & WNDFLAG_RESIZE_GRIP) && res_) {
        elements_.Add(new cWndButton(this, hwnd_, res_, ELEMENT_RESIZE_GRIP, POINT{0, 0}, ELEMENT_RESIZE_GRIP,
                                     nullptr, 0, nullptr, 0));
    } else if (grip && grip->GetTyp() == ET_WINDOW_BUTTON) {
        cWndButton* button = static_cast<cWndButton*>(grip);
        POINT resizePos = skinData_.GetResizeBtnPos();
        POINT p;
        p.y = height_ - button->GetGfxHeight();
        if (resizePos.x == -1) {
            p.x = width_ + skinData_.GetCloseBtnPos().x;
        } else {
            p.x = width_ - resizePos.x;
            p.y -= resizePos.y;
        }
        button->SetPos(p, 1);
    }

    if (show) {
        ShowWindow(hwnd_, SW_SHOW);
        UpdateWindow(hwnd_);
    }
    layoutDone_ = 1;
}

void cSkinWnd::SelectCursor(cButtonListe* other) {
    HCURSOR next = arrowCursor_;
    if (resizing_) {
        next = resizeCursor_;
    } else if (moving_) {
        next = moveCursor_;
    } else if (elements_.HasMouseOver()) {
        cActiveElement* grip = static_cast<cActiveElement*>(elements_.GetById(ELEMENT_RESIZE_GRIP));
        next = grip && (grip->GetStatus() & (ES_MOUSEOVER | ES_PRESSED)) ? resizeCursor_ : linkCursor_;
    } else if ((contentView_ && contentView_->IsOverLink()) || (other && other->HasMouseOver())) {
        next = linkCursor_;
    }
    SetCursor(next);
}

HCURSOR cSkinWnd::GetCursor(int index) const {
    switch (index) {
    case 0: return cursor_;
    case 1: return moveCursor_;
    case 2: return linkCursor_;
    case 4: return sizeCursor_;
    default: return arrowCursor_;
    }
}

void cSkinWnd::SetCursor(HCURSOR cursor) {
    if (cursor == cursor_) return;
    cursor_ = cursor;
    if (cursor) ::SetCursor(cursor);
}

HCURSOR cSkinWnd::RestoreCursor() {
    if (cursor_ && hwnd_ && !IsIconic(hwnd_)) ::SetCursor(cursor_);
    return cursor_;
}

int cSkinWnd::HitExtendButton(POINT point, HWND window, DWORD flag) {
    if (elements_.Check(point, window, flag) != ELEMENT_EXTEND_BUTTON) return 0;
    if (flag == ES_PRESSED) OnExtendButton();
    return 1;
}

void cSkinWnd::ShowElements(HDC dc) { elements_.ShowAll(dc); }
