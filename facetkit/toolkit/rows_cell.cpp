#include "rows_cell.h"

#include "skin_button.h"
#include "skindata.h"

cCellRowElement::cCellRowElement(HWND owner, cVelmoSkinData* skin, int viewValue, int buttonsWanted)
    : buttonsWanted_(buttonsWanted), viewValue_(viewValue), hoverFlag_(1), hasSubLines_(0), height_(-1),
      skin_(skin), rect_{0, 0, 0, 0}, owner_(owner) {}

cCellRowElement::~cCellRowElement() {}

RowContext cCellRowElement::Context() const {
    RowContext ctx = RowContextFor(owner_);
    if (skin_) ctx.skin = skin_;
    return ctx;
}

COLORREF cCellRowElement::TextColour(const COLORREF* given) const {
    if (given) return *given;
    RowContext ctx = Context();
    if (!ctx.skin) return RGB(0, 0, 0);
    if (GetState() == ROW_SELECTED) return ctx.skin->GetTextcolorP();
    if (GetState() == ROW_HOVER) return ctx.skin->GetTextcolorO();
    return ctx.skin->GetTextcolorN();
}

void cCellRowElement::Place(HDC dc, cSkinButton* b, int x, int y, int offsetX, int offsetY) {
    RECT r = {x, y, x + b->GetGfxWidth(), y + b->GetGfxHeight()};
    b->SetRect(r, 0);
    b->SetToolTipRect(r.left + offsetX, r.top + offsetY, r.right + offsetX, r.bottom + offsetY);
    if (dc && b->IsVisible()) b->Show(dc);
}

void cCellRowElement::Draw(HDC dc, COLORREF* colour) {
    PaintCell(dc, rect_.left, rect_.top, rect_.right, rect_.bottom, 0, 0, 0, 0, colour, 0);
}

RowHit cCellRowElement::Click(POINT pt, HWND wnd, DWORD flag) {
    RowHit hit;
    hit.element = GetButtons()->Check(pt, wnd, flag);
    SetState(ROW_HOVER);
    hit.id = GetId();
    return hit;
}

int cCellRowElement::LeaveHover() {
    if (GetState() != ROW_HOVER) return 0;
    GetButtons()->ReleaseGroup(0);
    SetState(ROW_NORMAL);
    return 1;
}

void cCellRowElement::RemoveToolTips() {
    for (cListElement* e = GetButtons()->First(); e; e = e->Next()) static_cast<cSkinButton*>(e)->RemoveToolTip();
}
