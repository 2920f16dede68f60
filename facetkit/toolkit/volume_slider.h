// The volume slider: a knob (a window button) dragged along a track, or a
// click on the track, sets a value between a minimum and a maximum. Two
// optional extra window buttons sit beside it; the owning window decides
// what they do when they report their presses.
#pragma once

#include <windows.h>

#include "activeelement.h"
#include "button_list.h"
#include "element_host.h"
#include "facetkit_api.h"

class cResourceManager;
class cWndButton;

// What a window that owns a volume slider is told when the user moves it.
// The skinned window implements it next to cElementHost; the slider finds it
// on its owner.
class FACETKIT_API cVolumeChangeTarget {
public:
    virtual ~cVolumeChangeTarget() {}
    virtual void VolumeChanged(int value) = 0;
};

class FACETKIT_API cVolumeSlider : public cActiveElement {
public:
    enum Orientation { OR_NONE = 0, OR_LEFT = 1, OR_RIGHT = 2, OR_UP = 3, OR_DOWN = 4 };
    enum DragState { DRAG_NONE = 0, DRAG_KNOB = 1, DRAG_TRACK = 2 };
    enum { SPRITE_TRACK_FILLED = 70, SPRITE_TRACK_EMPTY = 69 };

    // trackStart/trackEnd: the knob's top-left at the minimum and at the
    // maximum. An extra button at a negative x is not made.
    cVolumeSlider(cElementHost* win, cResourceManager* res, RECT knob, POINT first, POINT second, RECT own,
                  POINT trackStart, POINT trackEnd, HRGN* knobRegions, HRGN* secondRegions, HRGN* firstRegions,
                  DWORD knobId, DWORD secondId, DWORD firstId, DWORD ownId);
    ~cVolumeSlider() override;
    cVolumeSlider(const cVolumeSlider&) = delete;
    cVolumeSlider& operator=(const cVolumeSlider&) = delete;

    void SetVisible(int visible) override;
    void Show(HDC dc) override;
    void Invalidate() override {}
    HWND GetWindow() const override { return nullptr; }

    // Clamps value into [min, max], moves the knob and repaints the track;
    // notify 1 tells the owner. Nothing when the value is unchanged and a
    // maximum was set before.
    void SetValue(int value, int max, int min, int notify);
    int GetValue() const { return value_; }
    int GetMax() const { return max_; }
    int GetMin() const { return min_; }
    // n steps of a hundredth of the range (at least 1), kept in range.
    void Step(int n);
    void BeginDrag();
    // Follows the mouse while dragging; 0 when no drag is on.
    int Drag(int x, int y);
    int EndDrag();
    DWORD Check(POINT pt, HWND wnd, DWORD flag);
    // The value a point on the slider stands for (see the .cpp).
    int PointToValue(POINT pt) const;

    void SetPosition(RECT knob, POINT first, POINT second, RECT own, POINT trackStart, POINT trackEnd);
    void GetPosition(RECT* knob, POINT* first, POINT* second, RECT* own, POINT* trackStart, POINT* trackEnd) const;
    void SetTrackSprites(DWORD filled, DWORD empty) {
        filledSprite_ = filled;
        emptySprite_ = empty;
    }

    int GetOrientation() const { return orientation_; }
    int GetDragState() const { return drag_; }
    cWndButton* GetKnob() const { return knob_; }
    cWndButton* GetFirstButton() const { return first_; }
    cWndButton* GetSecondButton() const { return second_; }
    cButtonListe* GetKnobList() { return &knobs_; }

private:
    void InvalidateOwn();

    int drag_;
    cButtonListe knobs_;
    int value_;
    int max_;
    int min_;
    cResourceManager* res_;
    RECT own_;
    POINT start_;
    POINT end_;
    POINT lastMouse_;
    POINT grab_;
    DWORD knobId_;
    DWORD secondId_;
    DWORD firstId_;
    DWORD filledSprite_;
    DWORD emptySprite_;
    int orientation_;
    cElementHost* owner_;
    cWndButton* knob_;
    cWndButton* first_;
    cWndButton* second_;
};

// Orientation of a track from its two end points.
FACETKIT_API int SliderOrientation(POINT start, POINT end);
