#include <cstdlib>

#include "resource_manager.h"
#include "rows_table.h"
#include "skin_button.h"
#include "skindata.h"

namespace {
const unsigned kIcons[4][5] = {
    // state 0, state 3, state 4, flag 1, other
    {324, 342, 362, 334, 338},
    {327, 343, 364, 335, 339},
    {325, 344, 0, 336, 340},
    {326, 345, 363, 337, 341},
};
}  // namespace

cTimerRowElement::cTimerRowElement(HWND owner, cVelmoSkinData* skin, int viewValue, int buttonsWanted,
                                   int entryState, int entryFlag, int entryMarker)
    : cCellRowElement(owner, skin, viewValue, buttonsWanted), entryState_(entryState), entryFlag_(entryFlag),
      entryMarker_(entryMarker) {}

unsigned cTimerRowElement::StateIcon(int variant, int state, int flag) {
    if (variant < 0 || variant > 3) return 0;
    const unsigned* row = kIcons[variant];
    if (state == 0) return row[0];
    if (state == 3) return row[1];
    if (state == 4 && row[2]) return row[2];
    return flag == 1 ? row[3] : row[4];
}

void cTimerRowElement::BuildButtons(cListe*) {
    SetState(ROW_NORMAL);
    if (!buttonsWanted_ || ButtonCount() > 0) return;
    static const struct {
        DWORD sprite;
        unsigned text;
    } kButtons[] = {{316, 441}, {256, 344}, {328, 336}};
    RowContext ctx = Context();
    for (const auto& b : kButtons) {
        char tip[500];
        CatalogueText(b.text, tip, sizeof tip);
        MakeButton(owner_, ctx, b.sprite, b.sprite, tip, 0);
    }
}

void cTimerRowElement::PlaceButtons(HDC dc, int top, int right, int bottom, int offsetX, int offsetY) {
    int h = bottom - top;
    int x = 0, y = 0, index = 0;
    for (cListElement* e = GetButtons()->First(); e; e = e->Next(), ++index) {
        cSkinButton* b = static_cast<cSkinButton*>(e);
        int w = b->GetGfxWidth();
        if (index == 0) {
            x = right - w - 3;
            y = top + 3 + h / 2;
        } else {
            x = x - 4 - w;
            y += index == 1 ? -2 : 1;
        }
        Place(dc, b, x, y, offsetX, offsetY);
    }
}

int cTimerRowElement::PaintCell(HDC dc, int left, int top, int right, int bottom, int offsetX, int offsetY, int,
                                int, COLORREF* colour, int iconVariant) {
    SetRect(left, top, right, bottom);
    RowContext ctx = Context();
    int h = bottom - top;
    int textStart = left;
    if (iconVariant != -1 && ctx.res) {
        unsigned icon = StateIcon(iconVariant, entryState_, entryFlag_);
        int iw = ctx.res->GetGfxWidth(icon), ih = ctx.res->GetGfxHeight(icon);
        ctx.res->DrawBitmap(dc, left, top + (h - ih) / 2, icon, SRCCOPY);
        textStart = left + iw + 5;
    }
    if (entryMarker_ > 0 && ctx.res)
        ctx.res->DrawBitmap(dc, textStart, top + 2 + h / 2, entryState_ == 0 || entryState_ == 4 ? 348 : 349,
                            SRCCOPY);
    PlaceButtons(dc, top, right, bottom, offsetX, offsetY);
    COLORREF old = SetTextColor(dc, TextColour(colour));
    HGDIOBJ oldFont = ctx.res ? SelectObject(dc, ctx.res->GetFont(0)) : nullptr;
    RECT r = {textStart, top, right, bottom};
    DrawTextA(dc, GetText(), -1, &r, DT_NOPREFIX | DT_VCENTER | DT_SINGLELINE);
    if (oldFont) SelectObject(dc, oldFont);
    SetTextColor(dc, old);
    return 0;
}

cProgrammTippRowElement::cProgrammTippRowElement(HWND owner, cVelmoSkinData* skin, int viewValue,
                                                 int buttonsWanted, int entryState, int entryFlag, int entryMarker)
    : cTimerRowElement(owner, skin, viewValue, buttonsWanted, entryState, entryFlag, entryMarker) {}

int cProgrammTippRowElement::PaintCell(HDC dc, int left, int top, int right, int bottom, int offsetX, int offsetY,
                                       int, int, COLORREF* colour, int) {
    SetRect(left, top, right, bottom);
    PlaceButtons(dc, top, right, bottom, offsetX, offsetY);
    RowContext ctx = Context();
    SetTextColor(dc, TextColour(colour));
    if (atoi(GetText()) == 1 && ctx.res) {
        int ih = ctx.res->GetGfxHeight(360);
        ctx.res->DrawBitmap(dc, left, top + (bottom - top - ih) / 2, 360, SRCCOPY);
    }
    if (colour && ctx.res) SelectObject(dc, ctx.res->GetFont(0));
    return 0;
}
