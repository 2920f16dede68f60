#include "popup_wnd.h"

#include <process.h>

#include <map>
#include <mutex>
#include <set>
#include <vector>

#include "debugtext.h"
#include "resource_manager.h"
#include "skin_wnd.h"
#include "win_handles.h"
#include "window_binding.h"
#include "wnd_list.h"

namespace {

const unsigned kPieceSprites[cPopUpWnd::PIECE_COUNT] = {216, 218, 215, 217, 219, 222, 221, 220, 223};
enum { TL, TR, BL, BR, LEFT, BOTTOM, RIGHT, TOP, BG };

const DWORD kPopupStyle = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | SS_NOTIFY | SS_OWNERDRAW;
static_assert(kPopupStyle == 0x8600010D, "pop-up style");

// The class procedure of "Static" windows, for messages that arrive after
// the object is gone.
WNDPROC g_staticProc = nullptr;

// The pop-up windows that stand, for closing them all when the player ends.
std::mutex& OpenPopupsLock() {
    static std::mutex lock;
    return lock;
}
std::set<HWND>& OpenPopups() {
    static std::set<HWND> windows;
    return windows;
}
void Forget(HWND hwnd) {
    if (!hwnd) return;
    std::lock_guard<std::mutex> hold(OpenPopupsLock());
    OpenPopups().erase(hwnd);
}

// The windows a modal pop-up disabled, by pop-up window.
std::map<HWND, std::vector<HWND>>& ModalDisabled() {
    static std::map<HWND, std::vector<HWND>> windows;
    return windows;
}

// Enables them again; called before the pop-up's window is destroyed, so
// that Windows can give the activation back to the player's window (a
// disabled one is skipped and the focus lands in another program), and
// once more after the loop for a window destroyed from outside.
void EnableAfterModal(HWND popup) {
    std::vector<HWND> windows;
    {
        std::lock_guard<std::mutex> hold(OpenPopupsLock());
        auto it = ModalDisabled().find(popup);
        if (it == ModalDisabled().end()) return;
        windows.swap(it->second);
        ModalDisabled().erase(it);
    }
    for (auto w = windows.rbegin(); w != windows.rend(); ++w)
        if (IsWindow(*w)) EnableWindow(*w, TRUE);
}

}  // namespace

cPopUpWnd::cPopUpWnd(HWND owner, cResourceManager* res)
    : hwnd_(nullptr), owner_(owner), firstChild_(nullptr), res_(res), shadowDc_(nullptr), shadowBitmap_(nullptr),
      shadowOld_(nullptr), width_(0), height_(0), dragX_(0), dragY_(0), moving_(0), outlineDrawn_(0), oldX_(0),
      oldY_(0), pieceWidth_{}, pieceHeight_{}, titleHeight_(0), titleSprite_(0), result_(0), background_(nullptr),
      tabDone_(false) {
    InitPaint();
    hwnd_ = CreateWindowExA(0, "Static", "", kPopupStyle, 1, 1, 2, 2, owner, nullptr,
                            owner ? reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(owner, GWLP_HINSTANCE)) : nullptr,
                            nullptr);
    if (!hwnd_) {
        DebugLog(DL_ERR, "cPopUpWnd: no window (%lu)", GetLastError());
    } else {
        WNDPROC previous = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&cPopUpWnd::PopupProc)));
        if (!g_staticProc) g_staticProc = previous;
        fkwin::Bind(hwnd_, this);
        std::lock_guard<std::mutex> hold(OpenPopupsLock());
        OpenPopups().insert(hwnd_);
        SetFocus(hwnd_);
    }
    background_ = CreateSolidBrush(GetBKColor());
}

cPopUpWnd::~cPopUpWnd() {
    DestroyPopupWindow();
    if (background_) DeleteObject(background_);
    background_ = nullptr;
    // Released here too: every message box would otherwise leave a memory
    // context and its bitmap behind.
    ReleaseShadowDC();
}

void cPopUpWnd::DestroyPopupWindow() {
    HWND hwnd = hwnd_;
    hwnd_ = nullptr;
    Forget(hwnd);
    if (!hwnd || !IsWindow(hwnd)) return;
    fkwin::Unbind(hwnd, this);
    if (GetCapture() == hwnd) ReleaseCapture();
    EnableAfterModal(hwnd);
    DestroyWindow(hwnd);
}

void cPopUpWnd::ForgetWindow() {
    Forget(hwnd_);
    if (hwnd_) fkwin::Unbind(hwnd_, this);
    if (hwnd_ && GetCapture() == hwnd_) ReleaseCapture();
    hwnd_ = nullptr;
}

void cPopUpWnd::InitPaint() {
    for (int i = 0; i < PIECE_COUNT; ++i) {
        pieceWidth_[i] = res_ ? res_->GetGfxWidth(kPieceSprites[i]) : 0;
        pieceHeight_[i] = res_ ? res_->GetGfxHeight(kPieceSprites[i]) : 0;
    }
}

void cPopUpWnd::ReleaseShadowDC() { bk::ReleaseMemoryDc(shadowDc_, shadowBitmap_, shadowOld_); }

void cPopUpWnd::CreateRGN() {
    if (!hwnd_) return;
    HRGN round = CreateRoundRectRgn(0, 0, width_ + 1, height_ + 1, 9, 9);
    HRGN corner = CreateRectRgn(0, height_ - 10, 10, height_);
    if (round && corner) CombineRgn(round, round, corner, RGN_OR);
    if (corner) DeleteObject(corner);
    if (round && !SetWindowRgn(hwnd_, round, TRUE)) DeleteObject(round);
}

void cPopUpWnd::CreateShadowDC() {
    CreateRGN();
    ReleaseShadowDC();
    bk::ScopedGetDC screen(hwnd_);
    shadowDc_ = CreateCompatibleDC(screen.Get());
    shadowBitmap_ = CreateCompatibleBitmap(screen.Get(), width_ > 0 ? width_ : 1, height_ > 0 ? height_ : 1);
    if (shadowDc_ && shadowBitmap_) shadowOld_ = SelectObject(shadowDc_, shadowBitmap_);
    ClearScreen();
}

void cPopUpWnd::ClearScreen() {
    if (!shadowDc_) return;
    RECT all = {0, 0, width_, height_};
    if (background_) FillRect(shadowDc_, &all, background_);
    if (!res_) return;
    const int* w = pieceWidth_;
    const int* h = pieceHeight_;
    res_->DrawBitmap(shadowDc_, 0, 0, kPieceSprites[TL], SRCCOPY);
    res_->DrawBitmap(shadowDc_, width_ - w[TR], 0, kPieceSprites[TR], SRCCOPY);
    res_->DrawBitmap(shadowDc_, 0, height_ - h[BL], kPieceSprites[BL], SRCCOPY);
    res_->DrawBitmap(shadowDc_, width_ - w[BR], height_ - h[BR], kPieceSprites[BR], SRCCOPY);
    res_->StretchBlt(shadowDc_, 0, h[TL], w[LEFT], height_ - h[TL] - h[BL], kPieceSprites[LEFT], 0, 0, SRCCOPY);
    res_->StretchBlt(shadowDc_, width_ - w[RIGHT], h[TR], w[RIGHT], height_ - h[TR] - h[BR], kPieceSprites[RIGHT],
                     0, 0, SRCCOPY);
    res_->StretchBlt(shadowDc_, w[TL], 0, width_ - w[TL] - w[TR], h[TOP], kPieceSprites[TOP], 0, 0, SRCCOPY);
    res_->StretchBlt(shadowDc_, w[BL], height_ - h[BOTTOM], width_ - w[BL] - w[BR], h[BOTTOM],
                     kPieceSprites[BOTTOM], 0, 0, SRCCOPY);
    if (titleSprite_) res_->DrawBitmap(shadowDc_, w[TL] + 3, (h[TL] - titleHeight_) / 2, titleSprite_, SRCCOPY);
}

void cPopUpWnd::Show() {
    HWND hwnd = hwnd_;
    ClearScreen();
    if (shadowDc_) buttons_.ShowAll(shadowDc_);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (!dc) return;
    if (shadowDc_) {
        OnPaint(shadowDc_, ps);
        ::BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
                 ps.rcPaint.bottom - ps.rcPaint.top, shadowDc_, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
    }
    EndPaint(hwnd, &ps);
}

void cPopUpWnd::OnPaint(HDC, PAINTSTRUCT&) {}

void cPopUpWnd::SetSize(int width, int height) {
    width_ = width;
    height_ = height;
    if (hwnd_) SetWindowPos(hwnd_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
    CreateShadowDC();
}

void cPopUpWnd::SetPos(int x, int y) {
    if (hwnd_) SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void cPopUpWnd::SetPos() {
    if (!hwnd_) return;
    RECT r;
    GetWindowRect(hwnd_, &r);
    int x = (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2;
    SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void cPopUpWnd::SetTitleDC(unsigned id) {
    titleSprite_ = id;
    titleHeight_ = res_ ? res_->GetGfxHeight(id) : 0;
}

COLORREF cPopUpWnd::GetBKColor() { return res_ ? res_->GetPixel(SPRITE_BACKGROUND) : RGB(255, 255, 255); }

void cPopUpWnd::ShowWindow(int command) {
    if (hwnd_) ::ShowWindow(hwnd_, command);
}

void cPopUpWnd::Invalidate() {
    if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

void cPopUpWnd::RunLoop(HWND hwnd) {
    MSG msg;
    while (IsWindow(hwnd)) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    }
}

void cPopUpWnd::MessageLoop() { Loop(true); }

void cPopUpWnd::Loop(bool modal) {
    InitWndSize();
    HWND hwnd = hwnd_;
    HWND owner = owner_;
    if (!hwnd) return;
    ::ShowWindow(hwnd, SW_SHOW);
    // Modal: the owner and every skin window of the player take no input
    // until the pop-up is gone, so no menu of the main window opens a second
    // editor inside the first, nor closes the window the loop runs over.
    HWND disabled[16];
    int count = 0;
    auto disable = [&](HWND w) {
        if (count < 16 && w && w != hwnd && IsWindow(w) && !EnableWindow(w, FALSE)) disabled[count++] = w;
    };
    if (modal) {
        disable(owner);
        if (cIterator* it = GetWindowList().GetIterator()) {
            while (cListElement* e = it->Next()) disable(static_cast<cSkinWnd*>(e)->GetWindow());
            GetWindowList().FreeIterator(it);
        }
    }
    if (count > 0) {
        std::lock_guard<std::mutex> hold(OpenPopupsLock());
        ModalDisabled()[hwnd].assign(disabled, disabled + count);
    }
    RunLoop(hwnd);
    // From here on the object may have been deleted by its own Close.
    EnableAfterModal(hwnd);
    if (modal && owner && IsWindow(owner) && GetForegroundWindow() == nullptr) SetForegroundWindow(owner);
}

void CloseThreadPopups() {
    std::vector<HWND> windows;
    {
        std::lock_guard<std::mutex> hold(OpenPopupsLock());
        windows.assign(OpenPopups().begin(), OpenPopups().end());
    }
    for (HWND hwnd : windows)
        if (GetWindowThreadProcessId(hwnd, nullptr) == GetCurrentThreadId()) PostMessageA(hwnd, WM_CLOSE, 0, 0);
}

bool IsPopupWindow(HWND hwnd) {
    HWND root = hwnd ? GetAncestor(hwnd, GA_ROOT) : nullptr;
    if (!root) return false;
    std::lock_guard<std::mutex> hold(OpenPopupsLock());
    return OpenPopups().count(root) != 0;
}

unsigned __stdcall cPopUpWnd::LoopThread(void* self) {
    static_cast<cPopUpWnd*>(self)->Loop(false);
    return 0;
}

void cPopUpWnd::RunMessageLoop() {
    uintptr_t thread = _beginthreadex(nullptr, 0, &cPopUpWnd::LoopThread, this, 0, nullptr);
    if (thread)
        CloseHandle(reinterpret_cast<HANDLE>(thread));
    else
        DebugLog(DL_ERR, "cPopUpWnd: message loop thread not started");
}

void cPopUpWnd::OnDisabledButtons(unsigned long value) {
    if (owner_) PostMessageA(owner_, WM_SKIN_DISABLED_PRESSED, 0, static_cast<LPARAM>(value));
}

void cPopUpWnd::DrawRect(int x, int y, int draw) {
    if (!hwnd_) return;
    RECT r;
    GetWindowRect(hwnd_, &r);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    if (!region) return;
    if (GetWindowRgn(hwnd_, region) == ERROR) {
        DeleteObject(region);
        region = CreateRectRgn(0, 0, r.right - r.left, r.bottom - r.top);
        if (!region) return;
    }
    bk::ScopedGetDC screen(nullptr);
    HDC dc = screen.Get();
    bk::ScopedGdiObject hatch(CreateHatchBrush(HS_DIAGCROSS, 0xDDDDDD));
    bk::ScopedGdiObject pen(CreatePen(PS_DOT, 1, 255));
    HGDIOBJ oldPen = SelectObject(dc, pen.Get());
    int oldRop = SetROP2(dc, R2_NOT);
    HBRUSH brush = static_cast<HBRUSH>(hatch.Get());
    int at[2] = {r.left, r.top};
    if (outlineDrawn_) {
        OffsetRgn(region, at[0] + oldX_ - dragX_, at[1] + oldY_ - dragY_);
        FrameRgn(dc, region, brush, 1, 1);
        OffsetRgn(region, -(at[0] + oldX_ - dragX_), -(at[1] + oldY_ - dragY_));
        outlineDrawn_ = 0;
    }
    if (draw) {
        OffsetRgn(region, at[0] + x - dragX_, at[1] + y - dragY_);
        FrameRgn(dc, region, brush, 1, 1);
        outlineDrawn_ = 1;
    }
    SetROP2(dc, oldRop);
    SelectObject(dc, oldPen);
    DeleteObject(region);
}

void cPopUpWnd::MoveWindow(int x, int y) {
    DrawRect(x, y, 1);
    SetOldPos(x, y);
}

void cPopUpWnd::EndMoveWindow() {
    if (!hwnd_) return;
    RECT r;
    GetWindowRect(hwnd_, &r);
    int x = r.left + oldX_ - dragX_;
    int y = r.top + oldY_ - dragY_;
    moving_ = 0;
    DrawRect(0, 0, 0);
    ReleaseCapture();
    SetOldPos(x, y);
    SetPos(x, y);
}

BOOL CALLBACK cPopUpWnd::TabChild(HWND child, LPARAM param) {
    cPopUpWnd* self = reinterpret_cast<cPopUpWnd*>(param);
    self->MySetFirstChild(child);
    HWND focus = GetFocus();
    if (focus == self->hwnd_) {
        SetFocus(child);
        SetActiveWindow(child);
        self->tabDone_ = true;
        return FALSE;
    }
    if (focus != child) return TRUE;
    HWND next = ::GetWindow(child, GW_HWNDNEXT);
    if (!next) {
        SetFocus(self->firstChild_);
        SetActiveWindow(self->firstChild_);
        self->tabDone_ = true;
        return FALSE;
    }
    // On to the next window that takes the focus; one round at the most, so
    // a pop-up whose children are all disabled or hidden cannot hold us.
    HWND first = ::GetWindow(child, GW_HWNDFIRST);
    HWND candidate = next;
    for (int guard = 0; guard < 10000; ++guard) {
        if (candidate == child) break;
        if (IsWindowEnabled(candidate) && IsWindowVisible(candidate) && SetFocus(candidate) != nullptr &&
            GetFocus() == candidate)
            break;
        candidate = ::GetWindow(candidate, GW_HWNDNEXT);
        if (!candidate) candidate = first;
    }
    SetActiveWindow(GetFocus());
    self->tabDone_ = true;
    return FALSE;
}

void cPopUpWnd::OnTabKey() {
    if (!hwnd_) return;
    firstChild_ = nullptr;
    tabDone_ = false;
    EnumChildWindows(hwnd_, &cPopUpWnd::TabChild, reinterpret_cast<LPARAM>(this));
}

void cPopUpWnd::SelectCursor() {
    cSkinWnd* main = GetWindowList().Find(WND_ID_MAIN);
    if (!main) return;
    HCURSOR cursor;
    if (moving_)
        cursor = main->GetCursor(1);
    else if (buttons_.HasMouseOver())
        cursor = main->GetCursor(2);
    else
        cursor = main->GetCursor(3);
    main->SetCursor(cursor);
}

LRESULT cPopUpWnd::CallDefault(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (g_staticProc) return CallWindowProcA(g_staticProc, hwnd, msg, wParam, lParam);
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK cPopUpWnd::PopupProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    cPopUpWnd* self = fkwin::Bound<cPopUpWnd>(hwnd);
    if (!self) return CallDefault(hwnd, msg, wParam, lParam);
    return self->Handle(hwnd, msg, wParam, lParam);
}

LRESULT cPopUpWnd::Handle(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    int x = static_cast<short>(LOWORD(lParam));
    int y = static_cast<short>(HIWORD(lParam));
    // A pop-up's buttons are asked for like a skinned window's elements.
    if (IsElementQuery(msg)) return AnswerElementQuery(hwnd, &buttons_, static_cast<DWORD>(wParam), reinterpret_cast<HWND>(lParam));
    switch (msg) {
    case WM_PAINT:
        Show();
        return 0;
    case WM_WINDOWPOSCHANGING:
        return 0;
    case WM_WINDOWPOSCHANGED: {
        const WINDOWPOS* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
        if (pos && pos->hwndInsertAfter && pos->hwndInsertAfter != HWND_TOPMOST &&
            pos->hwndInsertAfter != reinterpret_cast<HWND>(-1) && !(pos->flags & SWP_NOZORDER))
            SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        return 0;
    }
    case WM_CHAR:
        if (wParam == VK_TAB) {
            OnTabKey();
            return 1;
        }
        break;
    case WM_MOUSEMOVE:
        if (moving_) MoveWindow(x, y);
        SelectCursor();
        return 0;
    case WM_LBUTTONDOWN:
        SetDragOffset(x, y);
        SetOldPos(x, y);
        moving_ = 1;
        SetCapture(hwnd);
        return 0;
    case WM_LBUTTONUP:
        if (moving_) EndMoveWindow();
        return 0;
    case WM_SKIN_NEXT_CONTROL:
        if (wParam == 0) {
            OnTabKey();
            return 0;
        }
        break;
    case WM_SKIN_GET_BUTTON_LIST:
        return reinterpret_cast<LRESULT>(&buttons_);
    case WM_SKIN_DISABLED_PRESSED:
        OnDisabledButtons(static_cast<unsigned long>(lParam));
        return 0;
    case WM_CLOSE:
        // The window goes, the object stays with whoever runs its loop.
        DestroyPopupWindow();
        return 0;
    default:
        break;
    }
    return CallDefault(hwnd, msg, wParam, lParam);
}
