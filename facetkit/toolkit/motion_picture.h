// Two passive pictures. The motion picture shows one frame of a strip,
// chosen by a percentage (the level displays), in a child window of its
// own. The stretched picture is a windowless button whose sprite is drawn
// stretched over the whole element.
#pragma once

#include <windows.h>

#include "activeelement.h"
#include "facetkit_api.h"
#include "skin_button.h"

class cResourceManagerInterface;

// Frame of a strip of `count` frames that shows `percent` (count taken as
// 1..100, percent as 0..100).
FACETKIT_API int MotionFrame(int percent, int count);

class FACETKIT_API cMotionPicture : public cActiveElement {
public:
    enum { MAX_FRAMES = 100 };

    // regions: `count` region handles that are copied and kept with the
    // picture; the frame count is `count` too.
    cMotionPicture(HWND parent, cResourceManagerInterface* res, POINT pos, DWORD id, DWORD sprite, HRGN* regions,
                   int count);
    ~cMotionPicture() override;
    cMotionPicture(const cMotionPicture&) = delete;
    cMotionPicture& operator=(const cMotionPicture&) = delete;

    void SetVisible(int visible) override;
    void Show(HDC) override {}
    void Invalidate() override;
    int GetGfxWidth() const override;
    int GetGfxHeight() const override;
    HWND GetWindow() const override { return child_; }
    virtual void SetPos(POINT p, int leftAligned);
    virtual void OnPaint(HWND window);

    void SetPercent(int percent);
    int GetPercent() const { return percent_; }
    int GetFrameCount() const { return count_; }
    int GetShownFrame() const { return MotionFrame(percent_, count_); }

private:
    static LRESULT CALLBACK PictureProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    WNDPROC prevProc_;
    cResourceManagerInterface* res_;
    mutable int height_;
    mutable int width_;
    HWND child_;
    HWND parent_;
    HRGN* regions_;
    int regionCount_;
    DWORD sprite_;
    int count_;
    int percent_;
};

class FACETKIT_API cStretchPicture : public cSkinButton {
public:
    // Shows sourceWidth x sourceHeight of the sprite's top-left corner over
    // the element's rectangle, whatever its status.
    cStretchPicture(HWND window, cElementHost* owner, cResourceManagerInterface* res, DWORD sourceWidth,
                    DWORD sourceHeight, DWORD sprite, RECT rect, DWORD id, int latching);
    ~cStretchPicture() override;

    void Show(HDC dc) override;
    DWORD GetSourceWidth() const { return sourceWidth_; }
    DWORD GetSourceHeight() const { return sourceHeight_; }

private:
    cResourceManagerInterface* stretchRes_;
    DWORD sourceWidth_;
    DWORD sourceHeight_;
};
