// The base of the skin engine's top-level windows (the main window and the
// navigator): an object bound to its Win32 window that keeps the window's
// place, size and minimum size, the state of the last mouse message,
// dragging together with the windows docked to it, resizing with an
// outline, the skin's cursors, a tool-tip control, the window's element
// list and its skin metrics. Subclasses own the window procedure and call
// these operations from it.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "button_list.h"
#include "element_host.h"
#include "facetkit_api.h"
#include "liste.h"
#include "skindata.h"

class cResourceManager;

// Told to the windows that moved along with a dragged window (wParam dx,
// lParam dy, both signed).
constexpr UINT WM_SKIN_GROUP_MOVED = WM_USER + 101;

// Element ids the base lays out itself.
enum { ELEMENT_EXTEND_BUTTON = 47, ELEMENT_RESIZE_GRIP = 59 };
// Window flags.
enum { WNDFLAG_EXTEND_BUTTON = 1, WNDFLAG_RESIZE_GRIP = 2 };

// What the base asks of a window's content view: whether a link lies under
// the mouse (the cursor becomes the link cursor). Owned by the window.
class FACETKIT_API cSkinContentView {
public:
    virtual ~cSkinContentView() {}
    virtual int IsOverLink() = 0;
};

// Whether tool tips are on (the host's setting; only its low 16 bits count).
// Until the library's start-up plugs the host in, they are on.
typedef int (*HostToolTipFn)(void* context);
FACETKIT_API void SetHostToolTipSource(HostToolTipFn fn, void* context);
FACETKIT_API int GetHostUseToolTip();

// The registered element query (element_query.h) answered for a window
// `from` whose elements are `elements` (a skinned window's, a pop-up's
// buttons): 1 when the element exists.
FACETKIT_API LRESULT AnswerElementQuery(HWND from, cButtonListe* elements, DWORD id, HWND asker);
// The same for one element (null: 0).
FACETKIT_API LRESULT ReportElement(HWND from, cActiveElement* element, DWORD id, HWND asker);
// Whether `msg` is that query.
FACETKIT_API bool IsElementQuery(UINT msg);
// Whether `msg` is the line query of element_query.h (tables and lists).
FACETKIT_API bool IsLineQuery(UINT msg);
struct ElementReport;
// Sends one report of a query's answer from window `from` to the asker.
FACETKIT_API void SendElementReport(HWND from, HWND asker, const ElementReport& report);
// The report of one of a line's buttons, its rectangle moved by (dx, dy)
// into the answering window; visible only while the line is.
FACETKIT_API ElementReport LineButtonReport(cActiveElement* button, int dx, int dy, bool lineVisible, HWND own);

class FACETKIT_API cSkinWnd : public cListElement, public cElementHost {
public:
    cSkinWnd();
    ~cSkinWnd() override;
    cSkinWnd(const cSkinWnd&) = delete;
    cSkinWnd& operator=(const cSkinWnd&) = delete;

    // The window procedure of every skinned top-level window: finds the
    // object in the window's user data (on WM_NCCREATE in the creation
    // parameter) and hands the message to WndProc. A message for a window
    // whose object is gone goes to the default procedure.
    static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    virtual LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    // The registered element query (element_query.h): 1 when the element exists.
    LRESULT AnswerElementQuery(DWORD id, HWND asker);

    // Virtual operations in the order the skin engine was built against.
    virtual void SetUserValue(DWORD) {}
    int GetToolInfo(TOOLINFOA* info) override;
    int AddTool(TOOLINFOA* info) override;
    void DelTool(TOOLINFOA* info) override;
    virtual void ActivateToolTips(BOOL on);
    virtual HRGN CreateWindowRegion(int width, int height);
    virtual int HasExtraView() { return 0; }
    virtual void OnExtendButton() { CloseWindow(); }
    virtual int GetWidth() { return width_; }
    virtual int GetExtendBtnTop() { return 0; }
    virtual void UpdateSizeFromWindow();
    virtual void UpdateLayout(int show);
    // Records the place, unbinds the window and removes (deletes) the
    // object: nothing may touch it afterwards.
    virtual void CloseWindow();
    void SelectCursor(cButtonListe* other) override;
    virtual void InitWindow(HWND hwnd, unsigned id);
    virtual void ReleaseResources();
    virtual void OnPaint() {}
    virtual void NotifyHost(DWORD) {}
    virtual HMODULE GetSkinModule() { return module_; }
    virtual void SetShowBuffer(int) {}
    virtual void SetShowStatusSym(int) {}
    virtual void UpdateDisplayStrings() {}
    virtual int GetMode() { return 0; }
    virtual SIZE GetExtraSize() { return SIZE{0, 0}; }
    // The skin plug-in's button-state notice, (state, id) as a window
    // button posts them in its status message (wParam, lParam).
    virtual void NotifyBtnStateChanged(int state, int id);
    virtual void OnChildEvent(DWORD) {}

    HWND GetWindow() const override { return hwnd_; }
    HWND GetToolTipWindow() const override { return toolTip_; }

    // Accessors.
    void SetSize(int width, int height) {
        width_ = width;
        height_ = height;
    }
    int GetHeight() const { return height_; }
    void SetMinSize(int width, int height) {
        minWidth_ = width;
        minHeight_ = height;
    }
    int GetMinWidth() const { return minWidth_; }
    int GetMinHeight() const { return minHeight_; }
    int GetPosX() const { return posX_; }
    int GetPosY() const { return posY_; }
    // Where the window is to appear when it is bound (before InitWindow).
    void SetStoredPosition(int x, int y) {
        posX_ = x;
        posY_ = y;
    }
    void SetWndFlags(DWORD flags) { wndFlags_ = flags; }
    DWORD GetWndFlags() const { return wndFlags_; }
    cVelmoSkinData* GetSkinData() { return &skinData_; }
    void SetSkinModule(HMODULE module) { module_ = module; }
    void SetResourceManager(cResourceManager* res) { res_ = res; }
    cResourceManager* GetResourceManager() const { return res_; }
    cButtonListe* GetButtonList() { return &elements_; }
    void SetContentView(cSkinContentView* view) { contentView_ = view; }
    cSkinContentView* GetContentView() const { return contentView_; }
    int IsMoving() const { return moving_; }
    int IsResizing() const { return resizing_; }
    int IsCaptured() const { return captured_; }
    void SetCaptured(int captured) { captured_ = captured; }
    int IsDocked() const { return docked_; }
    void SetDocked(int docked) { docked_ = docked; }
    int GetDockedTo() const { return dockedTo_; }
    void SetDockedTo(int value) { dockedTo_ = value; }
    cSkinWnd* SetLayoutDone(int done) {
        layoutDone_ = done;
        return this;
    }
    int IsLayoutDone() const { return layoutDone_; }
    int IsOutlineDrawn() const { return outlineDrawn_; }

    // Mouse state.
    void SetMouseParams(WPARAM wParam, LPARAM lParam) {
        mouseWParam_ = wParam;
        mouseLParam_ = lParam;
    }
    WPARAM GetMouseWParam() const { return mouseWParam_; }
    LPARAM GetMouseLParam() const { return mouseLParam_; }
    void TakeMousePosFromLParam();
    // 1 when the position changed.
    int SetMousePos(int x, int y);
    int GetMouseX() const { return mouseX_; }
    int GetMouseY() const { return mouseY_; }
    void SetLastMousePos(int x, int y) {
        lastMouseX_ = x;
        lastMouseY_ = y;
    }
    int GetLastMouseX() const { return lastMouseX_; }
    int GetLastMouseY() const { return lastMouseY_; }
    POINT GetDragOffset() const { return POINT{dragOffsetX_, dragOffsetY_}; }
    void SetDragOffset(int x, int y) {
        dragOffsetX_ = x;
        dragOffsetY_ = y;
    }

    void SetWindowPosition(int x, int y);
    void SetMoving(int moving);
    void SetResizing(int resizing);
    // One step of a drag to the current mouse position; magnet: look for
    // windows the frame touches (and bring docked windows along).
    void DragTo(int magnet);
    void EndDrag();
    void UpdateResizeFrame();
    void EndResize();

    // 0 current, 1 move, 2 link, 4 size; any other index the arrow.
    HCURSOR GetCursor(int index) const;
    void SetCursor(HCURSOR cursor);
    HCURSOR RestoreCursor();

    // Hands the point to the element list; 1 when it hit the extended-view
    // button (on a button press, flag 8, it also runs OnExtendButton).
    int HitExtendButton(POINT point, HWND window, DWORD flag);
    void ShowElements(HDC dc);
    void DetachWindow() { hwnd_ = nullptr; }

    // Contact of a frame with another window: flags 1/2/64/128 horizontal,
    // 4/8/16/32 vertical (0 without overlap). The displacement it would
    // suggest is always zero: windows follow the mouse exactly.
    static DWORD SnapToWindows(const RECT& frame, HWND other, int* dx, int* dy);

private:
    // The moves of one drag step (dx, dy), applied to this window and,
    // when it is docked, to every other docked window: each window once.
    void MoveGroup(int dx, int dy);
    void FrameOutline(int mouseX, int mouseY);
    void CreateToolTipControl();

    HBRUSH hatch_;
    cVelmoSkinData skinData_;
    int posX_, posY_;
    int width_, height_;
    int captured_;
    int moving_, resizing_, outlineDrawn_;
    int minWidth_, minHeight_;
    int lastMouseX_, lastMouseY_;
    int mouseX_, mouseY_;
    HWND hwnd_;
    HMODULE module_;
    HWND toolTip_;
    WPARAM mouseWParam_;
    LPARAM mouseLParam_;
    int dragOffsetX_, dragOffsetY_;
    HCURSOR cursor_, moveCursor_, linkCursor_, arrowCursor_, resizeCursor_, sizeCursor_;
    int docked_;
    int dockedTo_;
    int layoutDone_;
    int firstDragStep_;
    cButtonListe elements_;
    cSkinContentView* contentView_;
    DWORD wndFlags_;
    cResourceManager* res_;
};
