// Rows that draw the first column of a table line (station, timer,
// programme-tip and podcast rows): their buttons live in the table's window
// and report clicks to the table's line.
#pragma once

#include <windows.h>

#include "rows_base.h"

class FACETKIT_API cCellRowElement : public cRowElement {
public:
    cCellRowElement(HWND owner, cVelmoSkinData* skin, int viewValue, int buttonsWanted);
    ~cCellRowElement() override;

    virtual void SetRect(int left, int top, int right, int bottom) { rect_ = RECT{left, top, right, bottom}; }
    virtual void Draw(HDC dc, COLORREF* colour);
    // extra: the station row's quality, the timer row's icon variant.
    virtual int PaintCell(HDC dc, int left, int top, int right, int bottom, int offsetX, int offsetY, int unused1,
                          int unused2, COLORREF* colour, int extra) = 0;
    virtual void SetHoverFlag(int flag) { hoverFlag_ = flag; }
    virtual void SetHasSubLines(int flag) { hasSubLines_ = flag; }

    RowHit Click(POINT pt, HWND wnd, DWORD flag);
    int LeaveHover();
    void RemoveToolTips();
    int HasButtons() const { return buttonsWanted_; }
    int HasSubLines() const { return hasSubLines_; }
    int GetViewValue() const { return viewValue_; }
    HWND GetOwnerWindow() const { return owner_; }
    RECT GetRowRect() const { return rect_; }

protected:
    RowContext Context() const;
    // The colour of the row text: the given one, else by state.
    COLORREF TextColour(const COLORREF* given) const;
    // Places a button in the cell, moves its tool tip with the scroll offsets and draws it.
    static void Place(HDC dc, cSkinButton* b, int x, int y, int offsetX, int offsetY);

    int buttonsWanted_;
    int viewValue_;
    int hoverFlag_;
    int hasSubLines_;
    int height_;
    cVelmoSkinData* skin_;
    RECT rect_;
    HWND owner_;
};
