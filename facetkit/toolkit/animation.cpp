#include "animation.h"

#include <process.h>

#include "debugtext.h"
#include "registry.h"
#include "resource_manager.h"

namespace {

const DWORD kStartWaitMs = 2000;   // the worker signals within ~30 ms normally
const DWORD kJoinWaitMs = 1500;

// Waits for a handle while handing this thread's sent messages (a worker's
// SetWindowRgn on our window is one) to their windows, so the worker never
// blocks on us while we wait for it.
bool WaitPumpingSent(HANDLE h, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs) return WaitForSingleObject(h, 0) == WAIT_OBJECT_0;
        DWORD rc = MsgWaitForMultipleObjects(1, &h, FALSE, timeoutMs - elapsed, QS_SENDMESSAGE);
        if (rc == WAIT_OBJECT_0) return true;
        if (rc != WAIT_OBJECT_0 + 1) return WaitForSingleObject(h, 0) == WAIT_OBJECT_0;
        MSG msg;
        // Peeking with PM_NOREMOVE delivers pending sent messages only.
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

}  // namespace

cAnimation::cAnimation(cResourceManager* res, int steps, int spriteId, int extra, HRGN* regions)
    : activeEvent_(nullptr), readyEvent_(nullptr), steps_(steps > 0 ? steps : 0), direction_(FORWARDS), delay_(40),
      step_(0), spriteId_(spriteId), extra_(extra), regions_(nullptr), stepWidth_(0), stepHeight_(0),
      window_(nullptr), res_(res), needPaint_(0), masterDc_(nullptr), sprite_{-1, -1, -1, -1}, thread_(nullptr),
      stop_(0) {
    if (steps < 1) DebugLog(DL_ERR, "cAnimation: %d steps refused", steps);
    // Copies: a plug-in may delete its regions once it handed them over.
    if (steps_ > 0 && regions) {
        regions_ = new HRGN[steps_];
        for (int i = 0; i < steps_; ++i) regions_[i] = CopyRegion(regions[i]);
    }
    if (res_) masterDc_ = res_->GetDC(static_cast<unsigned>(spriteId), &sprite_);
    if (steps_ > 0 && sprite_.left != -1) {
        stepWidth_ = (sprite_.right - sprite_.left + 1) / steps_;
        stepHeight_ = sprite_.bottom - sprite_.top + 1;
    }
}

cAnimation::~cAnimation() {
    StopAnim();
    // The worker reads this object's fields: it must be gone before they
    // are. It ends within one frame once it may; a frame held up by a window
    // of this thread is let through by the pumping wait.
    for (bool logged = false; !JoinWorker(kJoinWaitMs);) {
        if (!logged) DebugLog(DL_ERR, "cAnimation: worker did not end in time, still waiting");
        logged = true;
    }
    if (activeEvent_) CloseHandle(activeEvent_);
    if (regions_)
        for (int i = 0; i < steps_; ++i)
            if (regions_[i]) DeleteObject(regions_[i]);
    delete[] regions_;
}

HRGN cAnimation::GetRgn(int step) const {
    if (!regions_ || step < 0 || step >= steps_) return nullptr;
    return regions_[step];
}

bool cAnimation::JoinWorker(DWORD timeoutMs) {
    if (!thread_) return true;
    InterlockedExchange(&stop_, 1);
    if (!WaitPumpingSent(thread_, timeoutMs)) return false;
    CloseHandle(thread_);
    thread_ = nullptr;
    return true;
}

void cAnimation::DoAnim(HWND window, int direction) {
    bk::ScopedLock hold(lock_);
    if (!IsUsable() || !IsWindow(window)) return;
    if (IsActiveEventSignal()) return;
    // A worker that was stopped may still be finishing its last frame.
    if (!JoinWorker(kJoinWaitMs)) {
        DebugLog(DL_ERR, "cAnimation: previous worker still running");
        return;
    }
    if (activeEvent_) CloseHandle(activeEvent_);
    activeEvent_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!activeEvent_) return;
    InterlockedExchange(&direction_, direction == BACKWARDS ? BACKWARDS : FORWARDS);
    window_ = window;
    InterlockedExchange(&stop_, 0);
    OutputDebugStringA("Starte Animthread...\n");
    uintptr_t t = _beginthreadex(nullptr, 0, &cAnimation::WorkerMain, this, 0, nullptr);
    if (!t) {
        DebugLog(DL_ERR, "cAnimation: worker not started");
        CloseHandle(activeEvent_);
        activeEvent_ = nullptr;
        return;
    }
    thread_ = reinterpret_cast<HANDLE>(t);
    HANDLE waitOn[2] = {activeEvent_, thread_};
    DWORD start = GetTickCount();
    // The worker posts its start message first, so it never waits for us here.
    while (WaitForSingleObject(activeEvent_, 0) != WAIT_OBJECT_0) {
        if (GetTickCount() - start > kStartWaitMs) {
            DebugLog(DL_ERR, "cAnimation: worker did not signal");
            StopAnim();
            return;
        }
        if (WaitForMultipleObjects(2, waitOn, FALSE, 50) == WAIT_OBJECT_0 + 1) break;   // worker ended early
    }
    OutputDebugStringA("Starte Animthread ok\n");
}

void cAnimation::StopAnim() {
    bk::ScopedLock hold(lock_);
    InterlockedExchange(&stop_, 1);
    if (activeEvent_) ResetEvent(activeEvent_);
}

void cAnimation::Paint(HDC dc, RECT) {
    int step = step_;
    if (masterDc_ && sprite_.left != -1 && stepWidth_ > 0)
        ::BitBlt(dc, 0, 0, stepWidth_, stepHeight_, masterDc_, sprite_.left + stepWidth_ * step, sprite_.top, SRCCOPY);
    if (!needPaint_) return;
    if (steps_ <= 0) {
        InterlockedExchange(&needPaint_, 0);
        return;
    }
    if (direction_ == FORWARDS) {
        if (step + 1 >= steps_) {
            StopAnim();
            step = steps_ - 1;
        } else {
            ++step;
        }
    } else {
        if (step - 1 < 0) {
            StopAnim();
            step = 0;
        } else {
            --step;
        }
    }
    InterlockedExchange(&step_, step);
    InterlockedExchange(&needPaint_, 0);
}

int cAnimation::IsActiveEventSignal() {
    return activeEvent_ && WaitForSingleObject(activeEvent_, 0) == WAIT_OBJECT_0 ? 1 : 0;
}

void cAnimation::SetActiveEvent() {
    if (activeEvent_) SetEvent(activeEvent_);
}

void cAnimation::ResetActiveEvent() {
    if (activeEvent_) ResetEvent(activeEvent_);
}

void cAnimation::SetAnimReadyEvent() {
    if (readyEvent_) SetEvent(readyEvent_);
}

unsigned __stdcall cAnimation::WorkerMain(void* self) {
    static_cast<cAnimation*>(self)->Worker();
    return 0;
}

void cAnimation::Worker() {
    HWND window = window_;
    HANDLE active = activeEvent_;
    PostMessageA(window, WM_ANIM_STARTED, 0, 0);
    Sleep(30);
    OutputDebugStringA("thread set active symbole\n");
    if (!stop_) SetEvent(active);
    while (!stop_ && WaitForSingleObject(active, 0) == WAIT_OBJECT_0) {
        // The window may go away under us; then there is nothing to animate.
        if (!IsWindow(window)) break;
        HRGN copy = CopyRegion(GetRgn(step_));
        if (copy && !SetWindowRgn(window, copy, TRUE)) DeleteObject(copy);
        InterlockedExchange(&needPaint_, 1);
        InvalidateRect(window, nullptr, TRUE);
        Sleep(static_cast<DWORD>(delay_));
    }
    PostMessageA(window, WM_ANIM_ENDED, 0, 0);
}
