// The window button: a skin button with a child window of its own, so it
// can be animated, shaped by a region, reached by the keyboard and shown or
// hidden from another thread (by posted messages only). It tells its parent
// about presses and status changes by window messages.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "activeelement.h"
#include "element_host.h"
#include "facetkit_api.h"

class cAnimation;
class cResourceManager;

class FACETKIT_API cWndButton : public cActiveElement {
public:
    enum { TEXT_SIZE = 300 };
    // Behaviour flags.
    enum { FLAG_LATCHING = 1, FLAG_NOTIFY_BEFORE_PRESS = 2, FLAG_NOTIFY_BEFORE_RELEASE = 4 };

    // A null parent means the owner's window. regions: the normal and the
    // pressed shape (copied; the caller keeps its own), or null.
    cWndButton(cElementHost* win, HWND parent, cResourceManager* res, DWORD sprite, POINT pos, DWORD id,
               const char* text, int group, HRGN* regions, DWORD flags);
    ~cWndButton() override;

    void SetVisible(int visible) override;
    void SetRect(RECT rect, int withToolTip) override;
    // From another thread than its window's, posted and done there later.
    void SetStatus(int status) override;
    void Show(HDC) override {}
    void Invalidate() override;
    int GetGfxWidth() const override;
    int GetGfxHeight() const override;
    HWND GetWindow() const override { return child_; }
    int GetGroup() const override { return group_; }
    virtual void SetPressedMousePos(POINT p) { pressedPos_ = p; }
    virtual POINT GetPressedMousePos() const { return pressedPos_; }
    virtual void SetToolTipRect(RECT rect);
    virtual void SetToolTipText(const char* text);
    virtual void SetToolTipText(unsigned int stringId);
    virtual void SetPos(POINT p, int leftAligned);
    virtual void OnPaint(HWND window);
    // steps below 1 or no regions: no animation is added.
    virtual void AddAnim(int steps, int sprite, int extra, HRGN* regions);
    virtual void SetAnimActive(int active) { animActive_ = active; }
    virtual void SetRegion();
    virtual void Invoke();
    virtual void Uninvoke();
    // From another thread than its window's, posted and done there later.
    virtual void SetBtnLook(int sprite);
    virtual HWND GetParentWindow() const { return parent_; }

    DWORD GetFlags() const { return flags_; }
    DWORD GetSprite() const { return sprite_; }
    int IsAnimActive() const { return animActive_; }
    cAnimation* GetAnimation() const { return anim_; }
    bool HasToolTip() const { return registered_; }
    const char* GetToolTipText() const { return text_; }

private:
    bool PostedToOwnThread(UINT msg, int value);
    static LRESULT CALLBACK ButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, WNDPROC prev);
    // True while the child window still belongs to this object: a parent
    // that handles our notice may delete the button under us.
    static bool Alive(HWND child, const cWndButton* self);
    void UpdateCursor();
    void ReleaseGroupOthers();
    bool WaitForAnimation(HWND child);
    void RemoveTool();

    WNDPROC prevProc_;
    DWORD sprite_;
    DWORD flags_;
    cResourceManager* res_;
    mutable int height_;
    mutable int width_;
    TOOLINFOA tool_;
    bool ownText_;
    cElementHost* owner_;
    HWND child_;
    HWND parent_;
    volatile int animActive_;
    cAnimation* anim_;
    HRGN regions_[2];
    bool hasRegions_;
    POINT pressedPos_;
    int destroying_;
    char text_[TEXT_SIZE];
    int group_;
    RECT toolRect_;
    bool registered_;
};
