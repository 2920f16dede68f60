// The windowless skin button: painted by its list into the owner window's
// device context; its mouse handling is the list's. Five state images of
// equal width side by side in its sprite.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "activeelement.h"
#include "element_host.h"
#include "facetkit_api.h"

class cResourceManagerInterface;

// Image index of a status in a five-state sprite (-1: nothing to draw).
FACETKIT_API int StateImageIndex(int status, int enabled);

class FACETKIT_API cSkinButton : public cActiveElement {
public:
    enum { TEXT_SIZE = 300 };

    // Position form: the text is copied; a null window means the owner's.
    cSkinButton(HWND window, cElementHost* owner, cResourceManagerInterface* res, DWORD sprite, int x, int y,
                DWORD id, const char* toolTip, int latching);
    // Rectangle form: only left and top count, the size comes from the sprite.
    cSkinButton(HWND window, cElementHost* owner, cResourceManagerInterface* res, DWORD sprite, RECT rect,
                DWORD id, const char* toolTip, int latching);
    ~cSkinButton() override;

    void SetRect(RECT rect, int withToolTip) override;
    void SetStatus(int status) override;
    void Show(HDC dc) override;
    void Invalidate() override {}
    int GetGfxWidth() const override;
    int GetGfxHeight() const override;
    HWND GetWindow() const override { return window_; }
    int GetGroup() const override { return static_cast<int>(group_); }
    virtual void RemoveToolTip();
    virtual void SetToolTipRect(int left, int top, int right, int bottom);
    virtual void SetPos(int x, int y, int leftAligned);
    virtual void SetUserValue(DWORD group) { group_ = group; }
    virtual void SetSprite(DWORD sprite);

    int GetLatching() const { return latching_; }
    DWORD GetSprite() const { return sprite_; }
    bool HasToolTip() const { return registered_; }
    const char* GetToolTipText() const { return text_; }

private:
    void Init(DWORD id, const char* toolTip, int latching);
    void FillToolInfo(const RECT& rect);

    int latching_;
    cResourceManagerInterface* res_;
    DWORD sprite_;
    mutable int height_;
    mutable int width_;
    TOOLINFOA tool_;
    RECT lastToolRect_;
    cElementHost* owner_;
    HWND window_;
    bool registered_;
    bool ownText_;
    char text_[TEXT_SIZE];
    DWORD group_;
};
