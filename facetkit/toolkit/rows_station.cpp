#include <cstring>

#include "resource_manager.h"
#include "rows_table.h"
#include "skin_button.h"
#include "skindata.h"

cStationRowElement::cStationRowElement(HWND owner, cVelmoSkinData* skin, int viewValue, int buttonsWanted)
    : cCellRowElement(owner, skin, viewValue, buttonsWanted) {}

void cStationRowElement::BuildButtons(cListe* favourites) {
    SetState(ROW_NORMAL);
    if (!buttonsWanted_ || ButtonCount() > 0) return;
    RowContext ctx = Context();
    bool favourite = favourites && favourites->GetById(GetId());
    if (cSkinButton* expand = MakeButton(owner_, ctx, 374, 374, nullptr, 1)) expand->SetUserValue(1);
    MakeButton(owner_, ctx, 35, 1, nullptr, 0);
    MakeButton(owner_, ctx, 333, 332, nullptr, 0);
    MakeButton(owner_, ctx, 315, 189, nullptr, 0);
    MakeButton(owner_, ctx, 40, 39, nullptr, 0);
    MakeButton(owner_, ctx, favourite ? 33 : 30, favourite ? 32 : 29, nullptr, 0);
}

int cStationRowElement::PaintCell(HDC dc, int left, int top, int right, int bottom, int offsetX, int offsetY, int,
                                  int, COLORREF* colour, int quality) {
    SetRect(left, top, right, bottom);
    RowContext ctx = Context();
    int h = bottom - top;
    int start = left;
    // The strip has 20 cells; other values would draw its neighbours.
    if (quality >= 1 && quality <= 20 && ctx.res) {
        int cw = ctx.res->GetGfxWidth(116) / 20, ch = ctx.res->GetGfxHeight(116);
        ctx.res->BitBlt(dc, left, top + (h - ch) / 2, cw, ch, 116, cw * (quality - 1), 0, SRCCOPY);
        start = left + cw + 5;
    }
    int buttonsTop = top + 1 + h / 2;
    int playRight = start, leftmost = right, index = 0, x = right;
    for (cListElement* e = GetButtons()->First(); e; e = e->Next(), ++index) {
        cSkinButton* b = static_cast<cSkinButton*>(e);
        int w = b->GetGfxWidth();
        if (index == 0) {
            if (hasSubLines_) {
                b->SetVisible(1);
                Place(dc, b, start + 1, buttonsTop, offsetX, offsetY);
                start += 10;
            } else {
                b->SetVisible(0);
            }
        } else if (index == 1) {
            Place(dc, b, start + 1, buttonsTop, offsetX, offsetY);
            playRight = start + 1 + w;
        } else {
            x = index == 2 ? right - 3 - w : x - 4 - w;
            Place(dc, b, x, buttonsTop, offsetX, offsetY);
            leftmost = x;
        }
    }
    const char* text = GetText();
    const char* mark = strchr(text, 0x02);
    COLORREF c = TextColour(colour);
    if (!mark && ctx.skin) c = ctx.skin->GetTextcolorP();
    COLORREF old = SetTextColor(dc, c);
    HGDIOBJ oldFont = ctx.res ? SelectObject(dc, ctx.res->GetFont(0)) : nullptr;
    int nameLength = mark ? static_cast<int>(mark - text) : -1;
    RECT m = {start, top, right, bottom};
    DrawTextA(dc, text, nameLength, &m, DT_CALCRECT | DT_NOPREFIX);
    RECT r = {start, top, right, mark ? top + h / 2 : bottom};
    DrawTextA(dc, text, nameLength, &r, DT_NOPREFIX | DT_VCENTER | DT_SINGLELINE);
    if (mark) {
        if (ctx.res) SelectObject(dc, ctx.res->GetFont(2));
        RECT s = {playRight + 3, bottom - h / 2, leftmost, bottom};
        DrawTextA(dc, mark + 1, -1, &s, DT_NOPREFIX | DT_VCENTER | DT_SINGLELINE);
    }
    if (oldFont) SelectObject(dc, oldFont);
    SetTextColor(dc, old);
    return 0;
}

int cHeaderRowElement::Paint(HDC dc, int left, int top, int right, int bottom) {
    RowContext ctx = RowContextFor(nullptr);
    RECT r = {left + 15, top, right - 15, bottom};
    if (ctx.res) ctx.res->StretchBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, 194, 0, 0, SRCCOPY);
    HGDIOBJ oldFont = ctx.res ? SelectObject(dc, ctx.res->GetFont(1)) : nullptr;
    r.left += 3;
    r.right -= 3;
    COLORREF old = SetTextColor(dc, colour_);
    DrawTextA(dc, GetText(), -1, &r, DT_NOPREFIX | DT_WORD_ELLIPSIS);
    SetTextColor(dc, old);
    if (oldFont) SelectObject(dc, oldFont);
    return 1;
}
