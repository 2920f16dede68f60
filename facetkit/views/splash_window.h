// The splash and message window: the start-up window that counts down while
// the player loads, the podcast search pop-up and the information pop-up with
// its do-not-show-again box. Each runs its own message loop on a thread of
// its own.
#pragma once

#include <windows.h>

#include <cstddef>

#include "facetkit_api.h"
#include "splash_text.h"

class cButtonListe;
class cResourceManager;
class cSkinWnd;
class cVLProgressBar;

constexpr const char* kSplashWindowClass = "vl_splash_screen";

// Messages the window takes from other threads of the process.
enum {
    WM_SPLASH_CLOSE = 1137,          // closes the window
    WM_SPLASH_BUTTON = 1143,         // a button of the window was pressed; lParam its id
};

// Element ids of the window's buttons.
enum {
    SPLASH_BTN_CLOSE_SOON = 3,       // start-up window: close at the next tick
    SPLASH_BTN_HIDE_AGAIN = 214,     // information window: do not show again
    SPLASH_BTN_LOGO = 245,           // start-up window: the product button (disabled)
    SPLASH_BTN_OK = 355,             // closes at once
};

// How long Show waits for the window to stand, and how long the close of
// all windows waits for their threads.
constexpr DWORD kSplashReadyWaitMs = 5000;
constexpr DWORD kSplashCloseWaitMs = 10000;

class FACETKIT_API cSplashWnd {
public:
    enum { KIND_LOADING = 1, KIND_PODCASTS = 4, KIND_INFO = 5 };
    enum { PIECE_COUNT = 9, TEXT_SIZE = 500, SETTING_SIZE = 128 };

    // owner: the window object the pop-up belongs to (none for kind 1); the
    // second argument is not read. Any kind other than 4 and 5 is kind 1.
    cSplashWnd(cSkinWnd* owner, void* unused, cResourceManager* res, int kind);
    virtual ~cSplashWnd();
    cSplashWnd(const cSplashWnd&) = delete;
    cSplashWnd& operator=(const cSplashWnd&) = delete;

    // The off-screen picture at the window's size, the window's region and
    // the frame in it.
    virtual void CreateShadowDC();
    // The frame of the kind into the off-screen picture.
    virtual void ClearScreen();

    // Setters may be called from any thread: they copy and invalidate.
    void SetBannerMode(int banner);
    void SetTitle(const char* text);
    void SetText(const char* text);
    void SetSettingName(const char* name);
    void SetCountdown(int n);
    void SetRemaining(int n);
    void SetClientSize(int width, int height);
    void SetPosition(int x, int y);
    void SetCreated() { created_ = 1; }

    POINT GetContentOrigin() const;
    SIZE GetContentSize() const;
    SIZE GetSize() const;
    HDC GetShadowDC() const { return shadowDc_; }
    HWND GetWindow() const { return hwnd_; }
    int GetKind() const { return kind_; }
    int IsCreated() const { return created_; }
    int IsPainted() const { return painted_; }
    int GetBlink() const { return blink_; }
    SplashCountdown GetCountdown() const;
    void GetTitle(char* buffer, size_t size) const;
    void GetText(char* buffer, size_t size) const;
    cButtonListe* GetButtonList() { return buttons_; }
    cVLProgressBar* GetProgressBar() { return progress_; }
    // The serial by which other threads reach the window while it lives.
    unsigned GetSerial() const { return serial_; }
    DWORD GetThreadId() const { return threadId_; }
    // Show has started the window's thread.
    bool IsRunning() const { return threadStarted_ != 0; }

    // Starts the window's thread, unless the setting named by the setting
    // name is not 0: then the window closes at once. Waits (bounded) until
    // the window stands. The object belongs to its thread from here on and
    // deletes itself when it closes: reach it through its serial only.
    void Show();
    // On the window's thread: stores the box, clears the slots, stops the
    // banner and destroys the window (its thread then deletes the object).
    // Before Show: deletes the object. From another thread: asks the
    // window's thread to close.
    void Close();

private:
    static LRESULT CALLBACK SplashWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static unsigned __stdcall SplashThread(void* self);
    LRESULT Handle(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void Run();
    void AddButtons();
    void Tick();
    void OnPaint();
    void PaintKind(HDC dc);
    void OnCopyData(const COPYDATASTRUCT* data);
    void DrawDragFrame(bool draw);
    void EndDrag(POINT at);
    void Centre();
    void ReleaseShadowDC();
    void SignalReady();
    bool OnOwnThread() const { return threadId_ != 0 && GetCurrentThreadId() == threadId_; }

    HCURSOR moveCursor_;
    HCURSOR arrowCursor_;
    cSkinWnd* owner_;
    cVLProgressBar* progress_;
    volatile HWND hwnd_;
    cResourceManager* res_;
    HDC shadowDc_;
    HBITMAP shadowBitmap_;
    HGDIOBJ shadowOld_;
    int width_, height_;
    POINT pressPoint_;
    POINT dragPoint_;
    int dragging_;
    int frameDrawn_;
    POINT frameAt_;
    int blink_;
    int pieceWidth_[PIECE_COUNT];
    int pieceHeight_[PIECE_COUNT];
    int banner_;
    int posX_, posY_;
    char text_[TEXT_SIZE];
    char title_[TEXT_SIZE];
    char settingName_[SETTING_SIZE];
    cButtonListe* buttons_;
    int created_;
    SplashCountdown countdown_;
    int kind_;
    int painted_;
    HBRUSH whiteBrush_;

    CRITICAL_SECTION lock_;
    unsigned serial_;
    volatile DWORD threadId_;
    volatile LONG threadStarted_;
    volatile LONG closeRequested_;
    int closing_;
    HANDLE readyEvent_;
};

// ---------------------------------------------------------------- the open windows
// Every call below holds the library's splash lock across its use of a
// window, so a window that closes meanwhile is either reached whole or not
// at all. A function handed in runs under that lock: it must not wait for
// the window's thread (no SendMessage to it, no synchronous SetWindowPos).

typedef void (*SplashFn)(cSplashWnd* wnd, void* arg);
// Runs fn on the window of that serial while it lives; false when it is gone.
FACETKIT_API bool SplashCall(unsigned serial, SplashFn fn, void* arg);
// Runs fn on the window the slot of the kind names (1, 4 or 5); false when
// the slot is empty.
FACETKIT_API bool SplashSlotCall(int kind, SplashFn fn, void* arg);
// The window of the slot, null when the slot is empty.
FACETKIT_API HWND SplashSlotWindow(int kind);
// Posts to the window of that serial; false when it is gone.
FACETKIT_API bool PostToSplash(unsigned serial, UINT msg, WPARAM wParam, LPARAM lParam);
// Posts to the window of the slot; false when the slot is empty.
FACETKIT_API bool PostToSplashSlot(int kind, UINT msg, WPARAM wParam, LPARAM lParam);
// The search's progress as the text of the window in the kind-1 slot.
FACETKIT_API void SetSplashSearchText(int percent, int hits);

// Windows still open (constructed and not yet deleted).
FACETKIT_API int OpenSplashCount();
// Splash threads that have not ended yet.
FACETKIT_API int RunningSplashThreads();
// Asks every open window to close and waits (bounded) until every splash
// thread has ended; false when some still run. For the library's tear-down:
// the windows paint with the resource manager and run code of the library.
FACETKIT_API bool CloseAllSplashWindows(DWORD timeoutMs);

// ---------------------------------------------------------------- the three uses
// The start-up window (kind 1): title text 624, 388 x 140, counting down 25;
// returns its serial once it stands (0 when it did not come up).
FACETKIT_API unsigned ShowLoadingSplash(cResourceManager* res);
// The information window (kind 5) on the owner: the text, cx by cy + 20.
// settingName may be null (the box then stores nothing).
FACETKIT_API unsigned ShowInfoSplash(cSkinWnd* owner, cResourceManager* res, int cx, int cy, const char* text,
                                     const char* settingName);
// The podcast search window (kind 4, 440 x 600) on the owner; while one is
// open a further request only brings it to the top.
FACETKIT_API unsigned OpenPodcastSearchSplash(cSkinWnd* owner, cResourceManager* res);
