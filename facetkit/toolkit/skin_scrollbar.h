// The skinned scroll bar of the navigator's lists: two arrow window buttons,
// a stretched thumb and a stretched track, drawn into the owner's
// off-screen surface. It has no window of its own; it moves a cScrollClient
// (the table control, the text list panel) in pixels of the client's content.
#pragma once

#include <windows.h>

#include "button_list.h"
#include "facetkit_api.h"

class cElementHost;
class cResourceManager;
class cWndButton;
class cStretchPicture;

// Something a scroll bar scrolls. Positions are pixels of its content.
class FACETKIT_API cScrollClient {
public:
    cScrollClient() {}
    virtual ~cScrollClient() {}
    virtual void SetPosition(int pos, int vertical) = 0;
    virtual int GetContentWidth() { return 0; }
    virtual int GetContentHeight() { return 0; }
    virtual int GetHPosition() { return 0; }
    virtual int GetVPosition() { return 0; }
    virtual void OnScrollBarShown(HDC dc) = 0;
    virtual void Refresh(int full) = 0;
};

// Element and sprite numbers of the two orientations.
enum {
    SB_UP_ARROW = 20, SB_DOWN_ARROW = 21, SB_V_THUMB = 22, SB_V_TRACK = 23,
    SB_LEFT_ARROW = 170, SB_RIGHT_ARROW = 171, SB_H_THUMB = 172, SB_H_TRACK = 173,
    SB_THUMB_ID = 22, SB_TRACK_HIT = 24
};

// The thumb arithmetic of a bar, free of windows so it can be checked alone.
struct FACETKIT_API ScrollMetrics {
    int trackLength = 0;
    int barLength = 0;
    int extent = 1;
    float thumbLength = 3.0f;
    float freeTrack = 0.0f;
    int maximum = 0;

    // bar: the bar's length; arrow: one arrow's size; content: the client's.
    void Update(int bar, int arrow, int content);
    float PixelToPos(float pixel) const;
    float PosToPixel(float pos) const;
    // Pixel offset of the thumb inside the track for a client position.
    int ThumbOffset(int position) const;
};

class FACETKIT_API cScrollBar {
public:
    // The elements belong to the navigator window (from the window list).
    cScrollBar(HWND window, int vertical);
    // The elements belong to `owner` and are drawn with `res`.
    cScrollBar(HWND window, int vertical, cElementHost* owner, cResourceManager* res);
    ~cScrollBar();
    cScrollBar(const cScrollBar&) = delete;
    cScrollBar& operator=(const cScrollBar&) = delete;

    void SetClient(cScrollClient* client) { client_ = client; }
    RECT GetRect() const { return rect_; }
    RECT GetThumbRect() const;
    int GetThickness() const { return thickness_; }

    void SetRect(int left, int top, int right, int bottom);
    void SetVisible(HDC dc, int show);
    void ShowButtons(int show);
    void Show(HDC dc);
    int HasMouseOver();
    int Check(int x, int y, HWND window, DWORD flags);
    void LineDown(int step);
    void LineUp(int step);
    void DragThumb(int pixel);
    void UpdateMetrics();
    void Invalidate();
    float PixelToPos(float value) const { return metrics_.PixelToPos(value); }
    float PosToPixel(float value) const { return metrics_.PosToPixel(value); }

    int IsVisible() const { return visible_; }
    int IsVertical() const { return vertical_; }
    int GetMaximum() const { return metrics_.maximum; }
    const ScrollMetrics& Metrics() const { return metrics_; }
    cWndButton* GetFirstArrow() const { return first_; }
    cWndButton* GetSecondArrow() const { return second_; }

private:
    void Build(cElementHost* owner, cResourceManager* res);
    int Length(const RECT& r) const { return vertical_ ? r.bottom - r.top : r.right - r.left; }
    int Start() const { return vertical_ ? rect_.top : rect_.left; }
    int ArrowSize() const;
    int Position() const;
    void PlaceThumb(int offset);

    HWND window_;
    int thickness_;
    RECT rect_;
    cScrollClient* client_;
    cButtonListe elements_;
    cWndButton* first_;
    cWndButton* second_;
    cStretchPicture* thumb_;
    cResourceManager* res_;
    int arrowSpan_;
    int visible_;
    int mouseOverTrack_;
    ScrollMetrics metrics_;
    int vertical_;
};
