// The base of every pop-up of the skin engine (message boxes, dialogs,
// editors): a borderless top-level window framed by nine skin sprites,
// composed in an off-screen "shadow" context, with a rounded region, a list
// of skin buttons, dragging with an outline, Tab cycling through its child
// controls, a message loop of its own and a result for its owner.
#pragma once

#include <windows.h>

#include "button_list.h"
#include "facetkit_api.h"

class cResourceManager;

class FACETKIT_API cPopUpWnd {
public:
    // Frame pieces by index.
    enum { PIECE_COUNT = 9 };
    enum { SPRITE_TOP_LEFT = 216, SPRITE_BACKGROUND = 223 };

    cPopUpWnd(HWND owner, cResourceManager* res);
    virtual ~cPopUpWnd();
    cPopUpWnd(const cPopUpWnd&) = delete;
    cPopUpWnd& operator=(const cPopUpWnd&) = delete;

    virtual void CreateShadowDC();
    virtual void ClearScreen();
    virtual void OnPaint(HDC dc, PAINTSTRUCT& ps);
    virtual void InitWndSize() {}

    void CreateRGN();
    // The paint handler: frame, buttons, OnPaint, then the update rectangle
    // copied to the screen.
    void Show();
    void SetSize(int width, int height);
    void SetPos(int x, int y);
    // Centred on the primary screen, not activated.
    void SetPos();
    void SetTitleDC(unsigned id);
    int GetTitleHeight() const { return pieceHeight_[0]; }
    COLORREF GetBKColor();
    void ShowWindow(int command);
    void Invalidate();
    HWND GetWindow() const { return hwnd_; }
    HWND GetParentWindow() const { return owner_; }
    HDC GetShadowDC() const { return shadowDc_; }
    SIZE GetSize() const { return SIZE{width_, height_}; }
    void SetResult(int result) { result_ = result; }
    int GetResult() const { return result_; }
    cButtonListe* GetButtonList() { return &buttons_; }
    cResourceManager* GetResourceManager() const { return res_; }

    // Shows the pop-up and handles messages until its window is destroyed;
    // the owner windows are disabled meanwhile. The object may be deleted
    // while the loop runs (a pop-up that deletes itself on close): the loop
    // never touches it after the window is gone.
    void MessageLoop();
    // The same loop on a thread of its own, without disabling the owner;
    // returns at once. The window's messages still go to the thread that
    // made it, which must keep handling them.
    void RunMessageLoop();
    void OnDisabledButtons(unsigned long value);

    void SetDragOffset(int x, int y) {
        dragX_ = x;
        dragY_ = y;
    }
    void SetOldPos(int x, int y) {
        oldX_ = x;
        oldY_ = y;
    }
    void SetMoveWindow(int moving) { moving_ = moving; }
    int IsMoveWindow() const { return moving_; }
    void MoveWindow(int x, int y);
    void DrawRect(int x, int y, int draw);
    void EndMoveWindow();

    void OnTabKey();
    void MySetFirstChild(HWND child) {
        if (!firstChild_) firstChild_ = child;
    }
    HWND MyGetFirstChild() const { return firstChild_; }
    void SelectCursor();

protected:
    // The pop-up procedure; subclasses that replace it hand every message
    // they do not handle to this one.
    static LRESULT CALLBACK PopupProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    // The default procedure of the pop-up's window class.
    static LRESULT CallDefault(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    // Unbinds and destroys the window; the object stays.
    void DestroyPopupWindow();
    // Lets go of a window that is already being destroyed (by its owner),
    // so that deleting the object then does not destroy it a second time.
    void ForgetWindow();

private:
    static BOOL CALLBACK TabChild(HWND child, LPARAM self);
    static unsigned __stdcall LoopThread(void* self);
    static void RunLoop(HWND hwnd);
    void Loop(bool modal);
    void ReleaseShadowDC();
    void InitPaint();

    HWND hwnd_;
    HWND owner_;
    HWND firstChild_;
    cResourceManager* res_;
    HDC shadowDc_;
    HBITMAP shadowBitmap_;
    HGDIOBJ shadowOld_;
    int width_, height_;
    int dragX_, dragY_;
    int moving_;
    int outlineDrawn_;
    int oldX_, oldY_;
    int pieceWidth_[PIECE_COUNT];
    int pieceHeight_[PIECE_COUNT];
    int titleHeight_;
    unsigned titleSprite_;
    int result_;
    HBRUSH background_;
    cButtonListe buttons_;
    bool tabDone_;
};

// Closes every pop-up of the calling thread (their loops end): the player
// closing while pop-ups still wait for an answer.
FACETKIT_API void CloseThreadPopups();
// Whether the window is an open pop-up or inside one: its keys are its own,
// not the main window's accelerators.
FACETKIT_API bool IsPopupWindow(HWND hwnd);
