// Three bar displays drawn from skin sprites, each in a child window of its
// own painted from a memory bitmap that is redrawn only when the value
// changes: the stream buffer's fill bar, the vertical level meter with its
// overload lamp, and a progress bar with a maximum of its own. Only the
// progress bar may be moved from another thread (by posting its message);
// the others belong to their window's thread.
#pragma once

#include <windows.h>

#include "facetkit_api.h"

class cResourceManager;

constexpr UINT WM_PROGRESS_SET = WM_USER + 161;   // wParam maximum, lParam position

// What the bars share: the child window, the memory picture it shows, and
// the value last drawn.
class FACETKIT_API cFillBar {
public:
    virtual ~cFillBar();
    cFillBar(const cFillBar&) = delete;
    cFillBar& operator=(const cFillBar&) = delete;

    // Picture size from the background sprite; a memory picture of that size.
    virtual void LoadResources();
    // Makes the (hidden) child window under the parent, then LoadResources.
    virtual void Init(cResourceManager* res);
    // Copies the memory picture to the window.
    virtual void OnPaint();

    // The parent, before Init.
    void SetWindow(HWND parent) { parent_ = parent; }
    void Invalidate();
    void SetVisible(int visible);

    HWND GetWindow() const { return child_; }
    int GetValue() const { return value_; }
    int GetWidth() const { return width_; }
    int GetHeight() const { return height_; }
    int IsVisible() const { return visible_; }
    RECT GetRect() const { return rect_; }
    // The memory picture the window shows.
    HDC GetMemoryDC() const { return memDc_; }
    // How many times the picture was drawn anew.
    int GetDrawCount() const { return draws_; }

protected:
    cFillBar(HWND parent, unsigned backSprite, unsigned barSprite);
    // Background over the whole picture, then `fill` pixels of the bar from
    // the left; counts the draw and asks for a repaint.
    void DrawFromLeft(int fill);
    void MakeMemory(int width, int height);
    void FreeMemory();
    // Places and shows the window.
    void MoveTo(RECT rect);
    // Messages of the bar's own beyond painting; true when handled.
    virtual bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);

    HWND parent_;
    HWND child_;
    int width_;
    int height_;
    int visible_;
    cResourceManager* res_;
    WNDPROC prevProc_;
    HDC memDc_;
    HGDIOBJ memOld_;
    HBITMAP memBitmap_;
    int value_;
    int changed_;
    RECT rect_;
    int draws_;
    unsigned backSprite_;
    unsigned barSprite_;

private:
    static LRESULT CALLBACK BarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
};

class FACETKIT_API cBufferView : public cFillBar {
public:
    enum { SPRITE_BAR = 25, SPRITE_BACK = 26 };

    explicit cBufferView(HWND parent);
    ~cBufferView() override;

    // Places and shows the bar, drawn anew at 0.
    virtual void SetRect(RECT rect);
    // percent is taken as 0..100; the second value is not used.
    virtual void SetBufferPos(int percent, int unused);

protected:
    cBufferView(HWND parent, unsigned backSprite, unsigned barSprite);
};

class FACETKIT_API cPeakMeter : public cBufferView {
public:
    enum { SPRITE_BAR = 258, SPRITE_BACK = 259, SPRITE_LAMP_LIT = 260, SPRITE_LAMP_DARK = 261 };

    explicit cPeakMeter(HWND parent);
    ~cPeakMeter() override;

    void LoadResources() override;
    // percent is taken as 0..100; overload >= 1 counts up the lamp's counter,
    // anything else resets it.
    void SetBufferPos(int percent, int overload) override;
    void OnPaint() override;
    virtual void SetPos(POINT p);

    int GetOverloadCount() const { return overload_; }
    int GetBarHeight() const { return barHeight_; }

private:
    int meterWidth_;
    int barHeight_;
    int overload_;
};

class FACETKIT_API cVLProgressBar : public cFillBar {
public:
    enum { SPRITE_BACK = 371, SPRITE_BAR = 372 };

    cVLProgressBar(HWND parent, cResourceManager* res);
    ~cVLProgressBar() override;

    virtual void SetPos(POINT p);
    virtual void SetRect(RECT rect);
    // Only 1 <= max and 0 <= pos <= max count; anything else is ignored.
    virtual void SetBufferPos(int max, int pos);

    int GetMaximum() const { return max_; }

protected:
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    int max_;
};

// Pixels of a bar `width` long filled to pos of max (0 when max < 1).
FACETKIT_API int BarFill(int width, long long pos, long long max);
