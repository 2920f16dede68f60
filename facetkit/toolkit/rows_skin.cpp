#include "rows_skin.h"

#include <cstring>
#include <initializer_list>

#include "registry.h"
#include "resource_manager.h"
#include "skin_button.h"
#include "skindata.h"

cSkinRowElement::cSkinRowElement(cRowOwner* owner)
    : cPlayRowElement(owner, nullptr, 0), iconDc_(nullptr), iconRect_{0, 0, 0, 0} {
    RowContext ctx = Context();
    if (ctx.res) iconDc_ = ctx.res->GetDC(156, &iconRect_);
}

cSkinRowElement::~cSkinRowElement() {}

const char* cSkinRowElement::FileName() const {
    const char* mark = strchr(GetText(), 0x05);
    return mark ? mark + 1 : nullptr;
}

HDC cSkinRowElement::GetTemplate(RECT* out) {
    RowContext ctx = Context();
    if (!ctx.res) {
        if (out) *out = RECT{0, 0, 0, 0};
        return nullptr;
    }
    return ctx.res->GetDC(115, out);
}

void cSkinRowElement::BuildButtons(cListe* list) {
    cPlayRowElement::BuildButtons(list);
    if (ButtonCount() > 0) return;
    const char* file = FileName();
    if (!file) return;
    // Room for any file name the setting may hold: a cut name would lose
    // the protection of the skin in use.
    char inUse[MAX_PATH] = {};
    GetValue("SKIN", inUse, sizeof inUse);
    if (lstrcmpiA(file, kStandardSkinFile) == 0) return;
    RowContext ctx = Context();
    char tip[500];
    CatalogueText(193, tip, sizeof tip);
    MakeButton(nullptr, ctx, 316, 195, tip, 0);
    CatalogueText(194, tip, sizeof tip);
    cSkinButton* remove = MakeButton(nullptr, ctx, 256, 186, tip, 0);
    if (remove && lstrcmpiA(file, inUse) == 0) remove->SetEnable(0);
}

int cSkinRowElement::Paint(HDC dc, int left, int top, int right, int bottom, int offsetX, int offsetY) {
    if (!dc) return 0;
    bool hovered = GetState() == ROW_HOVER;
    int result = cPlayRowElement::Paint(dc, left + 13, top, right, bottom, offsetX, offsetY);
    RowContext ctx = Context();
    int scroll = 0;
    if (cRowOwner* owner = Owner()) scroll = owner->GetRowScrollPos();
    int height = GetHeight();
    cSkinButton* recommend = FindButton(195);
    cSkinButton* remove = FindButton(186);
    int x = right - 50;
    for (cSkinButton* b : {recommend, remove}) {
        if (!b) continue;
        int y = top + (height - b->GetGfxHeight()) / 2 + (b == recommend ? 2 : 0);
        RECT r = {x, y, x + b->GetGfxWidth(), y + b->GetGfxHeight()};
        b->SetRect(r, 0);
        b->SetToolTipRect(r.left + offsetX, r.top + offsetY - scroll, r.right + offsetX, r.bottom + offsetY - scroll);
        b->SetVisible(1);
        b->Show(dc);
        x = r.right + 10;
    }
    DWORD rop = ctx.skin ? ctx.skin->GetRasterOP() : SRCAND;
    if (hovered) {
        RECT t = {0, 0, 0, 0};
        HDC src = GetTemplate(&t);
        if (src && ::StretchBlt(dc, left - 5, top, right - left + 5, bottom - top, src, t.left, t.top, 1, height, rop))
            result = 1;
    }
    if (iconDc_)
        ::BitBlt(dc, left + 3, top + 6, iconRect_.right - iconRect_.left + 1, iconRect_.bottom - iconRect_.top + 1,
                 iconDc_, iconRect_.left, iconRect_.top, rop);
    return result;
}
