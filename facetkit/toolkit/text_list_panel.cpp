#include "text_list_panel.h"

#include <vector>

#include "bounded_text.h"
#include "element_query.h"
#include "list_store.h"
#include "resource_manager.h"
#include "skin_wnd.h"

cTextListPanel::cTextListPanel(cResourceManager* res, unsigned backgroundSprite)
    : res_(res), like_(nullptr), owner_(nullptr), pixelOffset_(0), lastButton_(0),
      brush_(CreateSolidBrush(res ? res->GetPixel(backgroundSprite) : RGB(255, 255, 255))) {}

cTextListPanel::~cTextListPanel() { Clear(); }

void cTextListPanel::Clear() {
    buttons_.Delete();
    // The rows' buttons first: they live in the owner's window.
    Delete();
    cListe::Delete();
    pixelOffset_ = 0;
    page_.Free();
}

void cTextListPanel::SetRect(int left, int top, int right, int bottom) {
    RECT r = {left, top, right, bottom};
    if (EqualRect(&r, &GetPanelRect())) return;
    SetPanelRect(r);
    OnScrollBarShown(like_);
}

void cTextListPanel::OnScrollBarShown(HDC like) {
    like_ = like;
    page_.Free();
    if (!like) return;
    const RECT& r = GetPanelRect();
    if (!page_.Create(like, r.right - r.left, GetVisibleRowCount() * GetRowHeight())) return;
    SetBkMode(page_.Dc(), TRANSPARENT);
    SetMapMode(page_.Dc(), MM_TEXT);
    Invalidate(0);
}

void cTextListPanel::Invalidate(int erase) {
    if (!owner_) return;
    Refresh(1);
    const RECT& r = GetPanelRect();
    if (owner_->GetWindow()) InvalidateRect(owner_->GetWindow(), &r, erase ? TRUE : FALSE);
}

void cTextListPanel::SetPosition(int pos, int) {
    const int first = GetFirstVisible(), offset = pixelOffset_;
    const int height = GetRowHeight();
    if (pos < 1) {
        SetFirstVisible(0);
        pixelOffset_ = 0;
    } else if (height > 0 && pos < height * GetAnzElement()) {
        SetFirstVisible(pos / height);
        pixelOffset_ = pos % height;
    }
    if (GetFirstVisible() != first) Refresh(1);
    // A move within the first row shows through the page's source offset.
    if ((GetFirstVisible() != first || pixelOffset_ != offset) && owner_ && owner_->GetWindow()) {
        const RECT& r = GetPanelRect();
        InvalidateRect(owner_->GetWindow(), &r, FALSE);
    }
}

cVelmoSkinData* cTextListPanel::GetRowSkinData() { return owner_ ? owner_->GetSkinData() : nullptr; }
cElementHost* cTextListPanel::GetRowHost() { return owner_; }

int cTextListPanel::RowState(cListElement* row) {
    return row ? static_cast<cRowElement*>(row)->GetState() : 0;
}

cButtonListe* cTextListPanel::RowButtons(cListElement* row) {
    return row ? static_cast<cRowElement*>(row)->GetButtons() : nullptr;
}

int cTextListPanel::PaintInto(cRowElement* row, int index) {
    if (!page_.Dc() || !row) return 0;
    RECT r = GetRowRect(index, 1);
    const RECT& panel = GetPanelRect();
    // Play rows place their buttons' tool tips in the owner's window.
    if (auto* play = dynamic_cast<cPlayRowElement*>(row))
        return play->Paint(page_.Dc(), r.left, r.top, r.right, r.bottom, panel.left, panel.top);
    return row->Paint(page_.Dc(), r.left, r.top, r.right, r.bottom);
}

void cTextListPanel::Refresh(int full) {
    if (!page_.Dc()) return;
    const RECT& panel = GetPanelRect();
    if (full) {
        RECT all = {0, 0, panel.right - panel.left + 1, GetVisibleRowCount() * GetRowHeight() + 1};
        FillRect(page_.Dc(), &all, GetBackground());
    }
    cIterator* it = GetIterator();
    if (!it) return;
    int index = SkipToFirstVisible(it);
    cListStore& store = GetListStore();
    for (int shown = 0; shown < GetVisibleRowCount(); ++shown, ++index) {
        auto* row = static_cast<cRowElement*>(it->Next());
        if (!row) break;
        EnterCriticalSection(store.Lock());
        row->BuildButtons(store.List(LS_FAVOURITES));
        LeaveCriticalSection(store.Lock());
        if (PaintInto(row, index) == 1) SetHotRow(index);
    }
    FreeIterator(it);
}

void cTextListPanel::PaintRow(int index) {
    auto* row = static_cast<cRowElement*>(GetByIndex(index));
    if (!row) return;
    if (page_.Dc()) {
        RECT r = GetRowRect(index, 1);
        FillRect(page_.Dc(), &r, GetBackground());
        if (PaintInto(row, index) == 1) SetHotRow(index);
    }
    if (owner_ && owner_->GetWindow()) {
        const RECT& panel = GetPanelRect();
        InvalidateRect(owner_->GetWindow(), &panel, FALSE);
    }
}

void cTextListPanel::Show(HDC dc) {
    if (!dc) return;
    buttons_.ShowAll(dc);
    if (!page_.Dc()) return;
    const RECT& r = GetPanelRect();
    BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, page_.Dc(), 0, pixelOffset_, SRCCOPY);
}

PanelHit cTextListPanel::Check(POINT pt, HWND wnd, DWORD flag) {
    PanelHit hit;
    if (IsEmpty()) return hit;
    const RECT& panel = GetPanelRect();
    const int y = pt.y + pixelOffset_;
    const int height = GetRowHeight();
    const POINT moved = {pt.x, y};

    cIterator* it = GetIterator();
    if (!it) return hit;
    int index = SkipToFirstVisible(it);
    // The rows the walk below visits, in order, so each is found once.
    std::vector<cRowElement*> visible;
    while (static_cast<int>(visible.size()) < GetVisibleRowCount()) {
        auto* row = static_cast<cRowElement*>(it->Next());
        if (!row) break;
        visible.push_back(row);
    }
    FreeIterator(it);
    const int count = static_cast<int>(visible.size());

    cRowElement* hitRow = nullptr;
    if (y < panel.bottom + pixelOffset_ && y < panel.top + height * GetAnzElement()) {
        for (int i = 0; i < count && !hitRow; ++i) {
            RECT r = GetRowRect(index + i, 0);
            if (PtInRect(&r, moved)) hitRow = visible[i];
        }
    }
    for (int i = 0; i < count; ++i) {
        cRowElement* row = visible[i];
        if (row != hitRow) {
            if (row->GetState() != ROW_NORMAL) {
                row->GetButtons()->Check(POINT{-1, -1}, wnd, flag);
                row->SetState(ROW_NORMAL);
                PaintRow(index + i);
            }
            continue;
        }
        if (!row->IsActive()) continue;
        POINT local = {pt.x - panel.left, y - panel.top};
        DWORD button = row->GetButtons()->Check(local, wnd, flag);
        hit.id = row->GetId();
        hit.button = button;
        hit.row = row;
        if (row->GetState() != ROW_HOVER || button != lastButton_) {
            row->SetState(ROW_HOVER);
            PaintRow(index + i);
        }
        lastButton_ = button;
    }
    return hit;
}

LRESULT cTextListPanel::AnswerLineQuery(int position, HWND from, HWND asker) {
    auto* row = position >= 0 ? static_cast<cRowElement*>(GetByIndex(position)) : nullptr;
    if (!row || !IsWindow(asker)) return 0;
    const RECT& panel = GetPanelRect();
    RECT r = GetRowRect(position, 0);
    OffsetRect(&r, 0, -pixelOffset_);
    ElementReport report = {};
    report.id = static_cast<int32_t>(row->GetId());
    report.enabled = row->IsActive();
    report.left = r.left;
    report.top = r.top;
    report.right = r.right;
    report.bottom = r.bottom;
    // Shown whole: rows in part under the panel's edges are not offered.
    report.visible = position >= GetFirstVisible() && r.top >= panel.top && r.bottom <= panel.bottom;
    if (const char* text = row->GetText()) bk::TextCopy(report.text, sizeof report.text, text);
    SendElementReport(from, asker, report);
    // The buttons are placed on the page, which shows at the panel's place.
    for (cListElement* b = row->GetButtons()->First(); b; b = b->Next())
        SendElementReport(from, asker, LineButtonReport(static_cast<cActiveElement*>(b), panel.left,
                                                        panel.top - pixelOffset_, report.visible != 0, nullptr));
    return 1;
}
