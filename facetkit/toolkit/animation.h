// A stepped animation of a skin window: a horizontal strip of equally wide
// frames in one sprite, one window region per frame, and a worker thread
// that reshapes the window every 40 ms while its paint handler draws the
// frame and steps on.
#pragma once

#include <windows.h>

#include "facetkit_api.h"
#include "win_handles.h"

class cResourceManager;

// Posted to the animated window (wParam 0, lParam 0).
constexpr UINT WM_ANIM_ENDED = WM_USER + 121;
constexpr UINT WM_ANIM_STARTED = WM_USER + 122;

class FACETKIT_API cAnimation {
public:
    enum { FORWARDS = 1, BACKWARDS = 2 };

    // steps below 1 or no regions: the animation never starts. The regions
    // stay the caller's; one per step.
    cAnimation(cResourceManager* res, int steps, int spriteId, int extra, HRGN* regions);
    // Stops a running worker and waits for it (bounded, pumping the
    // messages the worker may be sending to this thread's windows).
    virtual ~cAnimation();
    cAnimation(const cAnimation&) = delete;
    cAnimation& operator=(const cAnimation&) = delete;

    void DoAnim(HWND window, int direction);
    void StopAnim();
    // Draws the current frame at (0, 0); with need-paint set, steps on and
    // stops at the strip's end.
    void Paint(HDC dc, RECT update);

    int IsActiveEventSignal();
    void SetActiveEvent();
    void ResetActiveEvent();
    void SetAnimReadyEvent();
    int GetAktStep() const { return step_; }
    int GetStepCount() const { return steps_; }
    HWND GetWindow() const { return window_; }
    int GetNeedPaint() const { return needPaint_; }
    void SetNeedPaint(int flag) { needPaint_ = flag; }
    HRGN GetRgn(int step) const;
    int GetDelay() const { return delay_; }
    int GetGfxWidth() const { return stepWidth_; }
    int GetGfxHeight() const { return stepHeight_; }
    int GetDirection() const { return direction_; }
    // False when the animation can never run (no steps, no regions).
    bool IsUsable() const { return steps_ > 0 && regions_ != nullptr; }

private:
    static unsigned __stdcall WorkerMain(void* self);
    void Worker();
    // Waits (bounded) for the previous worker to end and forgets it.
    bool JoinWorker(DWORD timeoutMs);

    HANDLE activeEvent_;
    HANDLE readyEvent_;
    bk::CriticalSection lock_;
    int steps_;
    volatile LONG direction_;
    int delay_;
    volatile LONG step_;
    int spriteId_;
    int extra_;
    HRGN* regions_;
    int stepWidth_;
    int stepHeight_;
    HWND window_;
    cResourceManager* res_;
    volatile LONG needPaint_;
    HDC masterDc_;
    RECT sprite_;
    HANDLE thread_;
    volatile LONG stop_;
};
