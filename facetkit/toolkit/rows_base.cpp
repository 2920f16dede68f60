#include "rows_base.h"

#include <cstring>
#include <new>

#include "bounded_text.h"
#include "catalogue.h"
#include "host_link.h"
#include "resource_manager.h"
#include "skin_button.h"
#include "skin_wnd.h"
#include "skindata.h"
#include "table_ctrl.h"
#include "wnd_list.h"

RowContext RowContextFor(HWND window) {
    RowContext ctx;
    if (cTableCtrl* table = cTableCtrl::FromWindow(window)) {
        ctx.host = table->GetOwner();
        ctx.res = table->GetResources();
        ctx.skin = table->GetOwner() ? table->GetOwner()->GetSkinData() : nullptr;
        return ctx;
    }
    cSkinWnd* main = GetWindowList().Find(WND_ID_MAIN);
    if (!main) main = GetWindowList().Find(WND_ID_NAVIGATOR);
    if (main) {
        ctx.host = main;
        ctx.res = main->GetResourceManager();
        ctx.skin = main->GetSkinData();
    }
    return ctx;
}

cRowElement::cRowElement() : state_(ROW_NORMAL), parentId_(0) {}

cRowElement::~cRowElement() { buttons_.Delete(); }

void cRowElement::BuildButtons(cListe*) {}

int cRowElement::Paint(HDC dc, int left, int top, int right, int bottom) {
    RowContext ctx = RowContextFor(nullptr);
    HGDIOBJ old = ctx.res ? SelectObject(dc, ctx.res->GetFont(1)) : nullptr;
    RECT r = {left, top, right, bottom};
    DrawTextA(dc, GetText(), -1, &r, DT_NOPREFIX);
    if (old) SelectObject(dc, old);
    return 1;
}

cSkinButton* cRowElement::FindButton(DWORD id) {
    for (cListElement* e = buttons_.First(); e; e = e->Next())
        if (e->GetId() == id) return static_cast<cSkinButton*>(e);
    return nullptr;
}

cSkinButton* cRowElement::MakeButton(HWND window, const RowContext& ctx, DWORD sprite, DWORD id,
                                     const char* toolTip, int latching) {
    if (!ctx.res) return nullptr;
    cSkinButton* b = new (std::nothrow) cSkinButton(window, ctx.host, ctx.res, sprite, 0, 0, id, toolTip, latching);
    if (b) buttons_.Add(b);
    return b;
}

void cRowElement::CatalogueText(unsigned id, char* buffer, int size) {
    GetResourceString(nullptr, id, GetHostLanguage(), buffer, size);
}

cPlayRowElement::cPlayRowElement(cRowOwner* owner, cVelmoSkinData* skin, int buttonsWanted)
    : buttonsWanted_(buttonsWanted), hoverBackground_(1), height_(-1), rowFlag_(0), skin_(skin),
      rect_{0, 0, 0, 0}, owner_(owner) {
    if (owner_ && !skin_) skin_ = owner_->GetRowSkinData();
}

cPlayRowElement::~cPlayRowElement() {}

RowContext cPlayRowElement::Context() const {
    RowContext ctx = RowContextFor(nullptr);
    if (skin_) ctx.skin = skin_;
    // The buttons' tool tips are placed in the panel's window, not the main
    // window's (the navigator's details and skins pages).
    if (cElementHost* host = owner_ ? owner_->GetRowHost() : nullptr) ctx.host = host;
    return ctx;
}

void cPlayRowElement::AddPlayButton() { MakeButton(nullptr, Context(), 34, 1, "Play", 0); }

void cPlayRowElement::BuildButtons(cListe* favourites) {
    SetState(ROW_NORMAL);
    if (!buttonsWanted_ || ButtonCount() > 0) return;
    RowContext ctx = Context();
    bool favourite = favourites && favourites->GetById(GetId());
    MakeButton(nullptr, ctx, 35, 1, nullptr, 0);
    MakeButton(nullptr, ctx, 316, 316, nullptr, 0);
    MakeButton(nullptr, ctx, favourite ? 33 : 30, favourite ? 32 : 29, nullptr, 0);
    MakeButton(nullptr, ctx, 315, 189, nullptr, 0);
    MakeButton(nullptr, ctx, 333, 333, nullptr, 0);
}

HDC cPlayRowElement::GetTemplate(RECT* out) {
    RowContext ctx = RowContextFor(nullptr);
    if (!ctx.res) {
        if (out) *out = RECT{0, 0, 0, 0};
        return nullptr;
    }
    return ctx.res->GetDC(113, out);
}

int cPlayRowElement::GetHeight() {
    if (height_ < 0) {
        RECT r = {0, 0, 0, 0};
        GetTemplate(&r);
        height_ = r.bottom - r.top;
    }
    return height_;
}

void SplitPlayRowText(const char* text, PlayRowText* out) {
    if (!out) return;
    *out = PlayRowText();
    if (!text) return;
    const char* title = strchr(text, 0x02);
    const char* second = strchr(text, 0x03);
    if (!title) {
        const char* cut = strchr(text, 0x01);
        out->cut = cut ? 1 : 0;
        size_t n = cut ? static_cast<size_t>(cut - text) : (second ? static_cast<size_t>(second - text) : strlen(text));
        bk::TextCopyN(out->title, sizeof out->title, text, n);
        return;
    }
    out->hasTitle = 1;
    bk::TextCopyN(out->title, sizeof out->title, text, static_cast<size_t>(title - text));
    const char* rest = title + 1;
    if (!second || second < title) {
        bk::TextFormat(out->first, sizeof out->first, " - %s", rest);
        return;
    }
    const char* version = strchr(second + 1, 0x05);
    if (version) {
        bk::TextFormat(out->second, sizeof out->second, "Version %.*s", static_cast<int>(version - second - 1),
                       second + 1);
    } else {
        bk::TextFormat(out->first, sizeof out->first, " - %.*s", static_cast<int>(second - rest), rest);
        bk::TextFormat(out->second, sizeof out->second, "%s", second + 1);
    }
}

namespace {

void PlaceButton(HDC dc, cSkinButton* b, int x, int y, int offsetX, int offsetY) {
    RECT r = {x, y, x + b->GetGfxWidth(), y + b->GetGfxHeight()};
    b->SetRect(r, 0);
    b->SetToolTipRect(r.left + offsetX, r.top + offsetY, r.right + offsetX, r.bottom + offsetY);
    b->SetVisible(1);
    b->Show(dc);
}

int MeasureHeight(HDC dc, const char* text, int length, UINT flags) {
    RECT m = {0, 0, 10000, 0};
    DrawTextA(dc, text, length, &m, flags | DT_CALCRECT);
    return m.bottom - m.top;
}

}  // namespace

int cPlayRowElement::Paint(HDC dc, int left, int top, int right, int bottom, int offsetX, int offsetY) {
    if (!dc) return 0;
    RowContext ctx = Context();
    int h = bottom - top;
    int scroll = owner_ ? owner_->GetRowScrollPos() : 0;
    int result = 0;
    if (hoverBackground_ && GetState() == ROW_HOVER) {
        DWORD rop = ctx.skin ? ctx.skin->GetRasterOP() : SRCAND;
        for (int attempt = 0; attempt < 11; ++attempt) {
            RECT t = {0, 0, 0, 0};
            HDC src = GetTemplate(&t);
            if (!src) break;
            if (::StretchBlt(dc, left - 3, top, right - left, h, src, t.left, t.top, t.right - t.left + 1,
                             t.bottom - t.top + 1, rop)) {
                result = 1;
                break;
            }
        }
    }
    int textStart = left, textEnd = right;
    if (buttonsWanted_) {
        int index = 0, x = right;
        bool placedRight = false;
        for (cListElement* e = GetButtons()->First(); e; e = e->Next(), ++index) {
            cSkinButton* b = static_cast<cSkinButton*>(e);
            int bh = b->GetGfxHeight(), bw = b->GetGfxWidth();
            int oy = index == 0 ? offsetY - scroll : offsetY;
            if (index == 0) {
                PlaceButton(dc, b, left, top + 1 + (h - bh) / 2, offsetX, oy);
                textStart = left + bw;
            } else if (index == 1) {
                x = right - 2 - bw;
                PlaceButton(dc, b, x, top + 1 + (h - bh) / 2, offsetX, oy);
                placedRight = true;
            } else {
                x -= (index == 4 ? 8 : 6) + bw;
                PlaceButton(dc, b, x, top + (h - bh) / 2, offsetX, oy);
            }
        }
        if (placedRight) textEnd = x - (ctx.skin ? ctx.skin->GetDisplayRahmen().cx : 0);
    }
    COLORREF colour = RGB(0, 0, 0);
    if (ctx.skin) {
        if (GetState() == ROW_SELECTED) colour = ctx.skin->GetTextcolorP();
        else if (GetState() == ROW_HOVER && hoverBackground_) colour = ctx.skin->GetTextcolorO();
        else colour = ctx.skin->GetTextcolorN();
    }
    COLORREF oldColour = SetTextColor(dc, colour);
    int oldMode = SetBkMode(dc, TRANSPARENT);
    HGDIOBJ oldFont = nullptr;
    auto font = [&](int index) {
        if (!ctx.res) return;
        HGDIOBJ prev = SelectObject(dc, ctx.res->GetFont(index));
        if (!oldFont) oldFont = prev;
    };
    PlayRowText layout;
    SplitPlayRowText(GetText(), &layout);
    if (!layout.hasTitle) {
        font(layout.cut ? 0 : 1);
        int from = textStart + (layout.cut ? (ctx.skin ? ctx.skin->GetDisplayRahmen().cx : 0) : 0);
        int th = MeasureHeight(dc, layout.title, -1, DT_SINGLELINE);
        RECT r = {from, top + (h - th) / 2, textEnd, top + (h - th) / 2 + th};
        DrawTextA(dc, layout.title, -1, &r, DT_NOPREFIX);
    } else {
        font(0);
        RECT m = {0, 0, 10000, 0};
        DrawTextA(dc, layout.title, -1, &m, DT_CALCRECT | DT_NOPREFIX);
        int th = m.bottom - m.top, tw = m.right - m.left;
        int titleTop = layout.second[0] ? top + 1 : top + (h - th) / 2;
        RECT t = {left + 3, titleTop, left + 3 + tw, titleTop + th};
        if (t.right > textEnd) t.right = textEnd;
        DrawTextA(dc, layout.title, -1, &t, DT_NOPREFIX | DT_VCENTER);
        if (layout.first[0]) {
            font(1);
            RECT c = {t.right, t.top, textEnd, t.bottom};
            DrawTextA(dc, layout.first, -1, &c, DT_NOPREFIX | DT_VCENTER | DT_SINGLELINE);
        }
        if (layout.second[0]) {
            font(2);
            RECT sl = {left + 3, bottom - th, textEnd, bottom};
            DrawTextA(dc, layout.second, -1, &sl, DT_NOPREFIX | DT_VCENTER | DT_SINGLELINE);
        }
    }
    if (oldFont) SelectObject(dc, oldFont);
    SetBkMode(dc, oldMode);
    SetTextColor(dc, oldColour);
    return result;
}
