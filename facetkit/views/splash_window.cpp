#include "splash_window.h"

#include <process.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "bounded_text.h"
#include "button_list.h"
#include "catalogue.h"
#include "fill_bars.h"
#include "library_state.h"
#include "registry.h"
#include "resource_manager.h"
#include "skin_wnd.h"
#include "win_handles.h"
#include "window_binding.h"
#include "wnd_button.h"

namespace {

// Frame sprites by piece: top-left, top-right, bottom-left, bottom-right,
// left, bottom, right and top edge, centre.
enum { TL, TR, BL, BR, LEFT, BOTTOM, RIGHT, TOP, CENTRE };
const unsigned kLoadingFrame[cSplashWnd::PIECE_COUNT] = {350, 351, 215, 217, 219, 222, 221, 352, 223};
const unsigned kPopupFrame[cSplashWnd::PIECE_COUNT] = {216, 218, 215, 217, 219, 222, 221, 220, 223};

enum { TIMER_COUNTDOWN = 1, TIMER_BLINK = 2 };
enum {
    SPRITE_BUTTON_OK = 355,
    SPRITE_TOGGLE = 214,
    SPRITE_LOGO_BUTTON = 245,
    SPRITE_INFO_TITLE = 412,
    SPRITE_PODCAST_TITLE = 408,
    SPRITE_LOADING_PICTURE = 403,
    SPRITE_WAIT_DARK = 366,
    SPRITE_WAIT_LIT = 367,
};
enum { TEXT_HIDE_AGAIN = 135, TEXT_PLEASE_WAIT = 623, TEXT_LOADING_TITLE = 624, TEXT_SEARCH_PODCASTS = 729,
       TEXT_SEARCHED = 205 };

// A window's size is the host's or the server's number: kept to what a
// screen and an off-screen picture can hold.
constexpr int kMaxSide = 4096;
int ClampSide(long long v) { return static_cast<int>(std::min<long long>(std::max<long long>(v, 1), kMaxSide)); }

// The banner needs a web-browser control on the host's side that this
// system does not have: starting and stopping it is only logged.
void BannerCall(int code, int channel) {
    char line[128];
    bk::TextFormat(line, sizeof line, "splash window: banner %s (kind %d) not carried out, no web-browser control",
                   code == 56 ? "start" : "stop", channel);
    HostLog(7, line);
}

void PumpThread() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Handles only messages other threads send to this one, so that a window
// thread that talks to ours cannot block while we wait for it.
void WaitHandlingSent(DWORD ms) {
    if (MsgWaitForMultipleObjects(0, nullptr, FALSE, ms, QS_SENDMESSAGE) == WAIT_OBJECT_0) {
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

bool Ticked(int status) { return status == ES_SELECTED || status == ES_PRESSED; }

cWndButton* ButtonOf(cButtonListe* list, unsigned long id) {
    return list ? static_cast<cWndButton*>(static_cast<cActiveElement*>(list->GetById(id))) : nullptr;
}

int SpriteWidth(cResourceManager* res, unsigned sprite) { return SpriteSize(res, sprite).cx / 5; }
int SpriteHeight(cResourceManager* res, unsigned sprite) { return SpriteSize(res, sprite).cy; }

// The library's open windows, their kind slots and the threads they run on.
struct SplashRegistry {
    bk::CriticalSection lock;
    std::vector<cSplashWnd*> live;
    cSplashWnd* slots[3] = {};   // kinds 1, 4, 5
    std::vector<HANDLE> threads;
    unsigned nextSerial = 0;
};

SplashRegistry& Registry() {
    // Never destroyed: a splash thread may still use it while the process ends.
    static SplashRegistry* registry = new SplashRegistry;
    return *registry;
}

int SlotIndex(int kind) { return kind == cSplashWnd::KIND_PODCASTS ? 1 : kind == cSplashWnd::KIND_INFO ? 2 : 0; }

cSplashWnd* FindLive(unsigned serial) {
    for (cSplashWnd* w : Registry().live)
        if (w->GetSerial() == serial) return w;
    return nullptr;
}

void EnterSlot(int kind, cSplashWnd* wnd) {
    bk::ScopedLock hold(Registry().lock);
    Registry().slots[SlotIndex(kind)] = wnd;
}

// The slot of the window's kind and the kind-1 slot, where they name it; a
// slot that names a newer window keeps it.
void LeaveSlots(cSplashWnd* wnd) {
    SplashRegistry& r = Registry();
    bk::ScopedLock hold(r.lock);
    cSplashWnd*& own = r.slots[SlotIndex(wnd->GetKind())];
    if (own == wnd) own = nullptr;
    if (r.slots[0] == wnd) r.slots[0] = nullptr;
}

// Handles of ended threads are closed whenever a new one is kept.
void KeepThread(HANDLE thread) {
    SplashRegistry& r = Registry();
    bk::ScopedLock hold(r.lock);
    auto ended = std::remove_if(r.threads.begin(), r.threads.end(), [](HANDLE h) {
        if (WaitForSingleObject(h, 0) != WAIT_OBJECT_0) return false;
        CloseHandle(h);
        return true;
    });
    r.threads.erase(ended, r.threads.end());
    r.threads.push_back(thread);
}

HINSTANCE LibraryModule() {
    HINSTANCE module = Library().module;
    return module ? module : GetModuleHandleA(nullptr);
}

}  // namespace

// ---------------------------------------------------------------- the window

cSplashWnd::cSplashWnd(cSkinWnd* owner, void*, cResourceManager* res, int kind)
    : moveCursor_(LoadCursorA(LibraryModule(), "IDC_CUR_MOVE")), arrowCursor_(LoadCursor(nullptr, IDC_ARROW)),
      owner_(owner), progress_(nullptr), hwnd_(nullptr), res_(res), shadowDc_(nullptr), shadowBitmap_(nullptr),
      shadowOld_(nullptr), width_(0), height_(0), pressPoint_{0, 0}, dragPoint_{0, 0}, dragging_(0),
      frameDrawn_(0), frameAt_{0, 0}, blink_(0), pieceWidth_{}, pieceHeight_{}, banner_(0), posX_(-1), posY_(-1),
      text_{}, title_{}, settingName_{}, buttons_(new cButtonListe), created_(0), countdown_(),
      kind_(kind == KIND_PODCASTS || kind == KIND_INFO ? kind : KIND_LOADING), painted_(0), whiteBrush_(nullptr),
      serial_(0), threadId_(0), threadStarted_(0), closeRequested_(0), closing_(0), readyEvent_(nullptr) {
    if (!moveCursor_) moveCursor_ = arrowCursor_;
    InitializeCriticalSection(&lock_);
    SplashRegistry& r = Registry();
    bk::ScopedLock hold(r.lock);
    serial_ = ++r.nextSerial;
    if (!serial_) serial_ = ++r.nextSerial;
    r.live.push_back(this);
}

cSplashWnd::~cSplashWnd() {
    {
        SplashRegistry& r = Registry();
        bk::ScopedLock hold(r.lock);
        r.live.erase(std::remove(r.live.begin(), r.live.end(), this), r.live.end());
        for (cSplashWnd*& slot : r.slots)
            if (slot == this) slot = nullptr;
    }
    HWND hwnd = hwnd_;
    if (hwnd && IsWindow(hwnd)) {
        fkwin::Unbind(hwnd, this);
        if (OnOwnThread()) DestroyWindow(hwnd);
    }
    buttons_->Delete();
    delete buttons_;
    delete progress_;
    ReleaseShadowDC();
    if (whiteBrush_) DeleteObject(whiteBrush_);
    if (readyEvent_) CloseHandle(readyEvent_);
    DeleteCriticalSection(&lock_);
}

void cSplashWnd::SetBannerMode(int banner) { banner_ = banner; }

void cSplashWnd::SetTitle(const char* text) {
    {
        bk::ScopedLock hold(&lock_);
        bk::TextCopy(title_, text ? text : "");
    }
    if (HWND h = hwnd_) InvalidateRect(h, nullptr, FALSE);
}

void cSplashWnd::SetText(const char* text) {
    {
        bk::ScopedLock hold(&lock_);
        bk::TextCopy(text_, text ? text : "");
    }
    if (HWND h = hwnd_) InvalidateRect(h, nullptr, FALSE);
}

void cSplashWnd::SetSettingName(const char* name) {
    bk::ScopedLock hold(&lock_);
    bk::TextCopy(settingName_, name ? name : "");
}

void cSplashWnd::SetCountdown(int n) {
    bk::ScopedLock hold(&lock_);
    countdown_.Set(n);
}

void cSplashWnd::SetRemaining(int n) {
    bk::ScopedLock hold(&lock_);
    countdown_.SetRemaining(n);
}

SplashCountdown cSplashWnd::GetCountdown() const {
    bk::ScopedLock hold(const_cast<CRITICAL_SECTION*>(&lock_));
    return countdown_;
}

void cSplashWnd::GetTitle(char* buffer, size_t size) const {
    bk::ScopedLock hold(const_cast<CRITICAL_SECTION*>(&lock_));
    bk::TextCopy(buffer, size, title_);
}

void cSplashWnd::GetText(char* buffer, size_t size) const {
    bk::ScopedLock hold(const_cast<CRITICAL_SECTION*>(&lock_));
    bk::TextCopy(buffer, size, text_);
}

POINT cSplashWnd::GetContentOrigin() const {
    return kind_ == KIND_LOADING ? POINT{10, 115} : POINT{10, 35};
}

SIZE cSplashWnd::GetContentSize() const {
    POINT origin = GetContentOrigin();
    bk::ScopedLock hold(const_cast<CRITICAL_SECTION*>(&lock_));
    return SIZE{width_ - 2 * 10, height_ - origin.y - 10 - (kind_ == KIND_LOADING ? 0 : 40)};
}

SIZE cSplashWnd::GetSize() const {
    bk::ScopedLock hold(const_cast<CRITICAL_SECTION*>(&lock_));
    return SIZE{width_, height_};
}

void cSplashWnd::SetClientSize(int width, int height) {
    long long w = width, h = height;
    // With a banner the size is the banner's; the frame and the buttons go
    // round it.
    if (banner_) {
        w += 2 * 10;
        h += GetContentOrigin().y + 10 + (kind_ == KIND_LOADING ? 0 : 20);
    }
    {
        bk::ScopedLock hold(&lock_);
        width_ = ClampSide(w);
        height_ = ClampSide(h);
    }
    HWND hwnd = hwnd_;
    if (!hwnd) return;
    // The window's thread rebuilds its picture when the size arrives.
    UINT async = OnOwnThread() ? 0 : SWP_ASYNCWINDOWPOS;
    SetWindowPos(hwnd, nullptr, 0, 0, ClampSide(w), ClampSide(h),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | async);
}

void cSplashWnd::SetPosition(int x, int y) {
    {
        bk::ScopedLock hold(&lock_);
        posX_ = x;
        posY_ = y;
    }
    HWND hwnd = hwnd_;
    if (!hwnd) return;
    if (x != -1 && y != -1) {
        UINT async = OnOwnThread() ? 0 : SWP_ASYNCWINDOWPOS;
        SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | async);
    } else {
        Centre();
    }
}

void cSplashWnd::Centre() {
    HWND hwnd = hwnd_;
    if (!hwnd) return;
    SIZE size = GetSize();
    int x = (GetSystemMetrics(SM_CXSCREEN) - size.cx) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - size.cy) / 2;
    UINT async = OnOwnThread() ? 0 : SWP_ASYNCWINDOWPOS;
    SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | async);
}

void cSplashWnd::ReleaseShadowDC() { bk::ReleaseMemoryDc(shadowDc_, shadowBitmap_, shadowOld_); }

void cSplashWnd::CreateShadowDC() {
    HWND hwnd = hwnd_;
    if (!hwnd) return;
    SIZE size = GetSize();
    // Rounded, with the bottom-left corner kept square.
    HRGN round = CreateRoundRectRgn(0, 0, size.cx + 1, size.cy + 1, 9, 9);
    HRGN corner = CreateRectRgn(0, size.cy - 10, 10, size.cy);
    if (round && corner) CombineRgn(round, round, corner, RGN_OR);
    if (corner) DeleteObject(corner);
    if (round && !SetWindowRgn(hwnd, round, TRUE)) DeleteObject(round);

    ReleaseShadowDC();
    bk::ScopedGetDC screen(hwnd);
    shadowDc_ = CreateCompatibleDC(screen.Get());
    shadowBitmap_ = CreateCompatibleBitmap(screen.Get(), size.cx, size.cy);
    if (!shadowDc_ || !shadowBitmap_) {
        HostLog(1, "splash window: no off-screen picture");
        ReleaseShadowDC();
        return;
    }
    shadowOld_ = SelectObject(shadowDc_, shadowBitmap_);
    SetBkMode(shadowDc_, TRANSPARENT);
    ClearScreen();
}

void cSplashWnd::ClearScreen() {
    if (!shadowDc_ || !res_) return;
    const unsigned* sprite = kind_ == KIND_LOADING ? kLoadingFrame : kPopupFrame;
    const int* w = pieceWidth_;
    const int* h = pieceHeight_;
    SIZE size = GetSize();
    int cx = size.cx, cy = size.cy;
    res_->StretchBlt(shadowDc_, 0, 0, cx, cy, sprite[CENTRE], 0, 0, SRCCOPY);
    res_->DrawBitmap(shadowDc_, 0, 0, sprite[TL], SRCCOPY);
    res_->DrawBitmap(shadowDc_, cx - w[TR], 0, sprite[TR], SRCCOPY);
    res_->DrawBitmap(shadowDc_, 0, cy - h[BL], sprite[BL], SRCCOPY);
    res_->DrawBitmap(shadowDc_, cx - w[BR], cy - h[BR], sprite[BR], SRCCOPY);
    res_->StretchBlt(shadowDc_, 0, h[TL], w[LEFT], cy - h[TL] - h[BL], sprite[LEFT], 0, 0, SRCCOPY);
    res_->StretchBlt(shadowDc_, w[BL], cy - h[BOTTOM], cx - w[BL] - w[BR], h[BOTTOM], sprite[BOTTOM], 0, 0, SRCCOPY);
    res_->StretchBlt(shadowDc_, cx - w[RIGHT], h[TR], w[RIGHT], cy - h[TR] - h[BR], sprite[RIGHT], 0, 0, SRCCOPY);
    res_->StretchBlt(shadowDc_, w[TL], 0, cx - w[TL] - w[TR], h[TOP], sprite[TOP], 0, 0, SRCCOPY);
}

void cSplashWnd::PaintKind(HDC dc) {
    if (!res_) return;
    SIZE size = GetSize();
    int language = UiLanguage();
    char line[TEXT_SIZE];
    if (kind_ == KIND_INFO || kind_ == KIND_PODCASTS) {
        if (kind_ == KIND_INFO) {
            GetResourceString(nullptr, TEXT_HIDE_AGAIN, language, line, sizeof line);
            RECT r = {25, size.cy - 31, size.cx - 20, size.cy - 16};
            bk::ScopedSelect font(dc, res_->GetFont(1));
            DrawTextA(dc, line, -1, &r, DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        }
        unsigned title = kind_ == KIND_INFO ? SPRITE_INFO_TITLE : SPRITE_PODCAST_TITLE;
        res_->DrawBitmap(dc, pieceWidth_[TL] + 3, (pieceHeight_[TL] - res_->GetGfxHeight(title)) / 2, title, SRCCOPY);
        return;
    }
    GetTitle(line, sizeof line);
    {
        RECT r = {127, 26, size.cx - 20, 39};
        bk::ScopedSelect font(dc, res_->GetFont(0));
        SetTextColor(dc, RGB(0, 0, 0));
        DrawTextA(dc, line, -1, &r, DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    {
        GetResourceString(nullptr, TEXT_PLEASE_WAIT, language, line, sizeof line);
        RECT r = {140, 44, size.cx - 20, 57};
        bk::ScopedSelect font(dc, res_->GetFont(1));
        DrawTextA(dc, line, -1, &r, DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    for (int x = 197; x <= 365; x += 3) SetPixel(dc, x, 54, RGB(0, 0, 0));
    res_->DrawBitmap(dc, 18, 99, SPRITE_LOADING_PICTURE, SRCCOPY);
    res_->DrawBitmap(dc, 127, 47, blink_ ? SPRITE_WAIT_DARK : SPRITE_WAIT_LIT, SRCCOPY);
}

void cSplashWnd::OnPaint() {
    HWND hwnd = hwnd_;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (!dc) return;
    if (shadowDc_) {
        ClearScreen();
        buttons_->ShowAll(shadowDc_);
        PaintKind(shadowDc_);
        BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
               ps.rcPaint.bottom - ps.rcPaint.top, shadowDc_, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
    }
    EndPaint(hwnd, &ps);
    painted_ = 1;
}

void cSplashWnd::AddButtons() {
    HWND hwnd = hwnd_;
    SIZE size = GetSize();
    auto add = [&](unsigned long id, unsigned sprite, int x, int y, DWORD flags) {
        auto* b = new cWndButton(nullptr, hwnd, res_, sprite, POINT{x, y}, id, nullptr, 0, nullptr, flags);
        buttons_->Add(b);
        return b;
    };
    int okWidth = SpriteWidth(res_, SPRITE_BUTTON_OK);
    int okTop = size.cy - 10 - SpriteHeight(res_, SPRITE_BUTTON_OK);
    if (kind_ == KIND_LOADING) {
        add(SPLASH_BTN_LOGO, SPRITE_LOGO_BUTTON, 15, 28, 0)->SetEnable(0);
        SetTimer(hwnd, TIMER_COUNTDOWN, 1000, nullptr);
    } else {
        // These wait for the user, not for a countdown.
        SetCountdown(0);
        int x = kind_ == KIND_INFO ? size.cx - 10 - okWidth : (size.cx - okWidth) / 2;
        add(SPLASH_BTN_OK, SPRITE_BUTTON_OK, x, okTop, 0);
        if (kind_ == KIND_INFO)
            add(SPLASH_BTN_HIDE_AGAIN, SPRITE_TOGGLE, 10, size.cy - 19 - SpriteHeight(res_, SPRITE_TOGGLE),
                cWndButton::FLAG_LATCHING);
    }
    progress_ = new cVLProgressBar(hwnd, res_);
    progress_->SetPos(POINT{127, 41});
    progress_->SetVisible(kind_ == KIND_LOADING && banner_ ? 1 : 0);
    add(SPLASH_BTN_CLOSE_SOON, SPRITE_BUTTON_OK, (size.cx - okWidth) / 2, okTop, 0)->SetVisible(0);
}

void cSplashWnd::SignalReady() {
    HANDLE ready = readyEvent_;
    readyEvent_ = nullptr;
    if (!ready) return;
    SetEvent(ready);
    CloseHandle(ready);
}

unsigned __stdcall cSplashWnd::SplashThread(void* self) {
    auto* wnd = static_cast<cSplashWnd*>(self);
    wnd->Run();
    // The window is gone; no message can reach the object any more.
    delete wnd;
    return 0;
}

void cSplashWnd::Run() {
    threadId_ = GetCurrentThreadId();
    HINSTANCE module = LibraryModule();
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &cSplashWnd::SplashWndProc;
    wc.hInstance = module;
    wc.lpszClassName = kSplashWindowClass;
    RegisterClassA(&wc);   // a class already there is used as it is

    char caption[128] = {};
    if (kind_ == KIND_PODCASTS) GetResourceString(nullptr, TEXT_SEARCH_PODCASTS, UiLanguage(), caption, sizeof caption);
    SIZE size = GetSize();
    HWND hwnd = CreateWindowExA(kind_ == KIND_PODCASTS ? 0 : WS_EX_TOOLWINDOW, kSplashWindowClass, caption,
                                WS_POPUP | WS_CLIPCHILDREN, 1, 1, size.cx, size.cy, nullptr, nullptr, module, nullptr);
    if (!hwnd) {
        char line[96];
        bk::TextFormat(line, sizeof line, "splash window: not created (%lu)", GetLastError());
        HostLog(1, line);
        LeaveSlots(this);
        SignalReady();
        return;
    }
    fkwin::Bind(hwnd, this);
    hwnd_ = hwnd;
    EnterSlot(KIND_LOADING, this);
    if (banner_) BannerCall(56, kind_);

    const unsigned* frame = kind_ == KIND_LOADING ? kLoadingFrame : kPopupFrame;
    for (int i = 0; i < PIECE_COUNT; ++i) {
        pieceWidth_[i] = res_ ? res_->GetGfxWidth(frame[i]) : 0;
        pieceHeight_[i] = res_ ? res_->GetGfxHeight(frame[i]) : 0;
    }
    SetPosition(-1, -1);
    AddButtons();

    whiteBrush_ = CreateSolidBrush(RGB(255, 255, 255));
    created_ = 1;
    PumpThread();
    Centre();
    if (kind_ != KIND_PODCASTS)
        SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    SetForegroundWindow(hwnd);
    CreateShadowDC();
    if (cWndButton* soon = ButtonOf(buttons_, SPLASH_BTN_CLOSE_SOON)) soon->SetVisible(0);
    ShowWindow(hwnd, SW_SHOW);
    SetTimer(hwnd, TIMER_BLINK, 500, nullptr);
    SignalReady();

    while (IsWindow(hwnd)) {
        if (closeRequested_ && !closing_) Close();
        PumpThread();
        Sleep(10);
    }
}

void cSplashWnd::Show() {
    if (threadStarted_) return;
    char name[SETTING_SIZE];
    {
        bk::ScopedLock hold(&lock_);
        bk::TextCopy(name, settingName_);
    }
    if (name[0]) {
        unsigned long hidden = 0;
        GetValue(name, &hidden);
        if (hidden) {
            Close();
            return;
        }
    }
    bk::ScopedHandle ready(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    HANDLE forThread = nullptr;
    if (ready)
        DuplicateHandle(GetCurrentProcess(), ready.Get(), GetCurrentProcess(), &forThread, 0, FALSE,
                        DUPLICATE_SAME_ACCESS);
    readyEvent_ = forThread;
    InterlockedExchange(&threadStarted_, 1);
    uintptr_t thread = _beginthreadex(nullptr, 0, &cSplashWnd::SplashThread, this, 0, nullptr);
    if (!thread) {
        InterlockedExchange(&threadStarted_, 0);
        HostLog(1, "splash window: thread not started");
        Close();
        return;
    }
    KeepThread(reinterpret_cast<HANDLE>(thread));
    // From here on the object is the thread's and may already be gone.
    if (!ready) return;
    DWORD start = GetTickCount();
    while (WaitForSingleObject(ready.Get(), 0) != WAIT_OBJECT_0) {
        DWORD waited = GetTickCount() - start;
        if (waited >= kSplashReadyWaitMs) {
            HostLog(5, "splash window: did not come up in time");
            break;
        }
        WaitHandlingSent(std::min<DWORD>(10, kSplashReadyWaitMs - waited));
    }
}

void cSplashWnd::Close() {
    if (!threadStarted_) {
        LeaveSlots(this);
        delete this;
        return;
    }
    if (!OnOwnThread()) {
        // Only the window's thread may take it down; it looks for the
        // request in its loop even when the window does not stand yet.
        InterlockedExchange(&closeRequested_, 1);
        if (HWND h = hwnd_) PostMessageA(h, WM_SPLASH_CLOSE, 0, 0);
        return;
    }
    if (closing_) return;
    closing_ = 1;
    HWND hwnd = hwnd_;

    char name[SETTING_SIZE];
    {
        bk::ScopedLock hold(&lock_);
        bk::TextCopy(name, settingName_);
    }
    cWndButton* box = ButtonOf(buttons_, SPLASH_BTN_HIDE_AGAIN);
    if (box && name[0] && Ticked(box->GetStatus())) SetValue(name, "1");
    LeaveSlots(this);

    if (banner_) {
        // The banner stays until the countdown has run out; a countdown that
        // a second start keeps lengthening ends here all the same.
        DWORD start = GetTickCount();
        while (GetCountdown().remaining >= 1 && IsWindow(hwnd) && GetTickCount() - start < 130 * 1000) {
            PumpThread();
            Sleep(100);
        }
    }
    KillTimer(hwnd, TIMER_COUNTDOWN);
    BannerCall(57, 1);
    PumpThread();
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
}

void cSplashWnd::Tick() {
    bool ticked, closeNow, showSoon;
    int percent;
    {
        bk::ScopedLock hold(&lock_);
        int before = countdown_.ticks;
        closeNow = countdown_.Tick();
        ticked = countdown_.ticks != before;
        showSoon = countdown_.CloseButtonVisible();
        percent = countdown_.Percent();
    }
    if (!ticked) return;
    if (showSoon) {
        cWndButton* soon = ButtonOf(buttons_, SPLASH_BTN_CLOSE_SOON);
        if (soon && !soon->IsVisible()) soon->SetVisible(1);
    }
    if (progress_) progress_->SetBufferPos(100, percent);
    if (closeNow) Close();
}

void cSplashWnd::OnCopyData(const COPYDATASTRUCT* data) {
    // Any local process may send this: only a bounded, checked number counts.
    int value = 0;
    if (!data || !ParseSplashCopyData(data->lpData, data->cbData, &value)) return;
    SetRemaining(value);
    char line[64];
    bk::TextFormat(line, sizeof line, "splash window: countdown from a second start %d", value);
    HostLog(7, line);
}

void cSplashWnd::DrawDragFrame(bool draw) {
    HWND hwnd = hwnd_;
    if (!hwnd) return;
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    if (!region) return;
    RECT r;
    GetWindowRect(hwnd, &r);
    if (GetWindowRgn(hwnd, region) == ERROR) SetRectRgn(region, 0, 0, r.right - r.left, r.bottom - r.top);
    bk::ScopedGetDC screen(nullptr);
    HDC dc = screen.Get();
    bk::ScopedGdiObject hatch(CreateHatchBrush(HS_DIAGCROSS, RGB(221, 221, 221)));
    if (dc && hatch) {
        int oldRop = SetROP2(dc, R2_XORPEN);
        HBRUSH brush = static_cast<HBRUSH>(hatch.Get());
        // The frame drawn before goes first: drawing it again erases it.
        if (frameDrawn_) {
            OffsetRgn(region, frameAt_.x, frameAt_.y);
            FrameRgn(dc, region, brush, 1, 1);
            OffsetRgn(region, -frameAt_.x, -frameAt_.y);
            frameDrawn_ = 0;
        }
        if (draw) {
            frameAt_ = POINT{r.left + dragPoint_.x - pressPoint_.x, r.top + dragPoint_.y - pressPoint_.y};
            OffsetRgn(region, frameAt_.x, frameAt_.y);
            FrameRgn(dc, region, brush, 1, 1);
            frameDrawn_ = 1;
        }
        SetROP2(dc, oldRop);
    }
    DeleteObject(region);
}

void cSplashWnd::EndDrag(POINT at) {
    HWND hwnd = hwnd_;
    dragging_ = 0;
    // The window goes where the mouse was let go.
    dragPoint_ = at;
    DrawDragFrame(false);
    if (GetCapture() == hwnd) ReleaseCapture();
    RECT r;
    GetWindowRect(hwnd, &r);
    SetWindowPos(hwnd, nullptr, r.left + dragPoint_.x - pressPoint_.x, r.top + dragPoint_.y - pressPoint_.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK cSplashWnd::SplashWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    cSplashWnd* self = fkwin::Bound<cSplashWnd>(hwnd);
    if (!self) return DefWindowProcA(hwnd, msg, wParam, lParam);
    return self->Handle(hwnd, msg, wParam, lParam);
}

LRESULT cSplashWnd::Handle(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    POINT at = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    switch (msg) {
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SIZE:
        // A size set from another thread arrives here; the picture follows.
        if (shadowDc_) {
            CreateShadowDC();
            InvalidateRect(hwnd, nullptr, FALSE);
        }
        return 0;
    case WM_TIMER:
        if (wParam == TIMER_COUNTDOWN) {
            Tick();
        } else {
            blink_ = !blink_;
            InvalidateRect(hwnd, nullptr, FALSE);
        }
        return 0;
    case WM_COPYDATA:
        OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        return TRUE;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        SetBkColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
        return reinterpret_cast<LRESULT>(whiteBrush_);
    case WM_LBUTTONDOWN:
        pressPoint_ = dragPoint_ = at;
        dragging_ = 1;
        SetCapture(hwnd);
        return 0;
    case WM_MOUSEMOVE:
        if (dragging_) {
            dragPoint_ = at;
            DrawDragFrame(true);
        }
        SetCursor(dragging_ ? moveCursor_ : arrowCursor_);
        return 0;
    case WM_LBUTTONUP:
        if (dragging_) EndDrag(at);
        return 0;
    case WM_CAPTURECHANGED:
        // Capture taken away mid-drag: the frame goes, the window stays.
        if (dragging_ && reinterpret_cast<HWND>(lParam) != hwnd) {
            dragging_ = 0;
            DrawDragFrame(false);
        }
        return 0;
    case WM_CLOSE:
    case WM_SPLASH_CLOSE:
        Close();
        return 0;
    case WM_SPLASH_BUTTON:
        if (lParam == SPLASH_BTN_CLOSE_SOON) {
            SetCountdown(1);
        } else if (lParam == SPLASH_BTN_OK) {
            Close();
        }
        return 0;
    case WM_SKIN_GET_BUTTON_LIST:
        return reinterpret_cast<LRESULT>(buttons_);
    case WM_DESTROY:
        KillTimer(hwnd, TIMER_COUNTDOWN);
        KillTimer(hwnd, TIMER_BLINK);
        if (GetCapture() == hwnd) ReleaseCapture();
        break;
    default:
        break;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// ---------------------------------------------------------------- the open windows

bool SplashCall(unsigned serial, SplashFn fn, void* arg) {
    SplashRegistry& r = Registry();
    bk::ScopedLock hold(r.lock);
    cSplashWnd* wnd = FindLive(serial);
    if (!wnd) return false;
    if (fn) fn(wnd, arg);
    return true;
}

bool SplashSlotCall(int kind, SplashFn fn, void* arg) {
    SplashRegistry& r = Registry();
    bk::ScopedLock hold(r.lock);
    cSplashWnd* wnd = r.slots[SlotIndex(kind)];
    if (!wnd) return false;
    if (fn) fn(wnd, arg);
    return true;
}

HWND SplashSlotWindow(int kind) {
    HWND hwnd = nullptr;
    SplashSlotCall(kind, [](cSplashWnd* w, void* out) { *static_cast<HWND*>(out) = w->GetWindow(); }, &hwnd);
    return hwnd;
}

bool PostToSplash(unsigned serial, UINT msg, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = nullptr;
    SplashCall(serial, [](cSplashWnd* w, void* out) { *static_cast<HWND*>(out) = w->GetWindow(); }, &hwnd);
    return hwnd && PostMessageA(hwnd, msg, wParam, lParam);
}

bool PostToSplashSlot(int kind, UINT msg, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = SplashSlotWindow(kind);
    return hwnd && PostMessageA(hwnd, msg, wParam, lParam);
}

void SetSplashSearchText(int percent, int hits) {
    char format[128];
    GetResourceString(nullptr, TEXT_SEARCHED, UiLanguage(), format, sizeof format);
    char text[cSplashWnd::TEXT_SIZE];
    bk::TextFormat(text, sizeof text, format, percent, hits);
    SplashSlotCall(cSplashWnd::KIND_LOADING, [](cSplashWnd* w, void* t) { w->SetText(static_cast<char*>(t)); },
                   text);
}

int OpenSplashCount() {
    SplashRegistry& r = Registry();
    bk::ScopedLock hold(r.lock);
    return static_cast<int>(r.live.size());
}

int RunningSplashThreads() {
    SplashRegistry& r = Registry();
    bk::ScopedLock hold(r.lock);
    int running = 0;
    for (HANDLE h : r.threads) running += WaitForSingleObject(h, 0) != WAIT_OBJECT_0;
    return running;
}

bool CloseAllSplashWindows(DWORD timeoutMs) {
    SplashRegistry& r = Registry();
    std::vector<HANDLE> threads;
    {
        bk::ScopedLock hold(r.lock);
        // A window not shown yet belongs to whoever made it.
        for (cSplashWnd* w : r.live)
            if (w->IsRunning() && w->GetThreadId() != GetCurrentThreadId()) w->Close();
        for (HANDLE h : r.threads) {
            HANDLE copy = nullptr;
            if (DuplicateHandle(GetCurrentProcess(), h, GetCurrentProcess(), &copy, SYNCHRONIZE, FALSE, 0))
                threads.push_back(copy);
        }
    }
    DWORD start = GetTickCount();
    bool allEnded = false;
    for (;;) {
        allEnded = std::all_of(threads.begin(), threads.end(),
                               [](HANDLE h) { return WaitForSingleObject(h, 0) == WAIT_OBJECT_0; });
        if (allEnded || GetTickCount() - start >= timeoutMs) break;
        WaitHandlingSent(10);
    }
    for (HANDLE h : threads) CloseHandle(h);
    if (!allEnded) {
        HostLog(1, "splash window: threads still running at the close");
        return false;
    }
    {
        bk::ScopedLock hold(r.lock);
        for (HANDLE h : r.threads) CloseHandle(h);
        r.threads.clear();
    }
    // The class names a procedure in this library, which may be unloaded
    // and loaded again elsewhere.
    UnregisterClassA(kSplashWindowClass, LibraryModule());
    return true;
}

// ---------------------------------------------------------------- the three uses

namespace {

unsigned AliveOrZero(unsigned serial) { return SplashCall(serial, nullptr, nullptr) ? serial : 0; }

}  // namespace

unsigned ShowLoadingSplash(cResourceManager* res) {
    auto* wnd = new cSplashWnd(nullptr, nullptr, res, cSplashWnd::KIND_LOADING);
    char title[256];
    GetResourceString(nullptr, TEXT_LOADING_TITLE, UiLanguage(), title, sizeof title);
    wnd->SetTitle(title);
    wnd->SetBannerMode(0);
    wnd->SetCreated();
    wnd->SetClientSize(388, 140);
    wnd->SetCountdown(25);
    unsigned serial = wnd->GetSerial();
    wnd->Show();
    // The countdown runs from the moment the window stands.
    SplashCall(serial, [](cSplashWnd* w, void*) { w->SetCountdown(25); }, nullptr);
    return AliveOrZero(serial);
}

unsigned ShowInfoSplash(cSkinWnd* owner, cResourceManager* res, int cx, int cy, const char* text,
                        const char* settingName) {
    auto* wnd = new cSplashWnd(owner, nullptr, res, cSplashWnd::KIND_INFO);
    EnterSlot(cSplashWnd::KIND_INFO, wnd);
    wnd->SetText(text);
    if (settingName) wnd->SetSettingName(settingName);
    wnd->SetCreated();
    wnd->SetClientSize(cx, static_cast<int>(std::min<long long>(static_cast<long long>(cy) + 20, INT_MAX)));
    unsigned serial = wnd->GetSerial();
    wnd->Show();
    return AliveOrZero(serial);
}

unsigned OpenPodcastSearchSplash(cSkinWnd* owner, cResourceManager* res) {
    SplashRegistry& r = Registry();
    cSplashWnd* wnd = nullptr;
    HWND open = nullptr;
    unsigned serial = 0;
    {
        bk::ScopedLock hold(r.lock);
        if (cSplashWnd* existing = r.slots[SlotIndex(cSplashWnd::KIND_PODCASTS)]) {
            open = existing->GetWindow();
            serial = existing->GetSerial();
        } else {
            wnd = new cSplashWnd(owner, nullptr, res, cSplashWnd::KIND_PODCASTS);
            r.slots[SlotIndex(cSplashWnd::KIND_PODCASTS)] = wnd;
        }
    }
    if (!wnd) {
        if (open) {
            SetWindowPos(open, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW | SWP_ASYNCWINDOWPOS);
            SetForegroundWindow(open);
        }
        return serial;
    }
    wnd->SetCreated();
    wnd->SetClientSize(440, 600);
    serial = wnd->GetSerial();
    wnd->Show();
    return AliveOrZero(serial);
}
