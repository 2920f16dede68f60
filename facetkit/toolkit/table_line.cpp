#include "table_line.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "bounded_text.h"
#include "catalogue.h"
#include "debugtext.h"
#include "host_link.h"
#include "list_store.h"
#include "win_handles.h"
#include "resource_manager.h"
#include "rows_table.h"
#include "skin_button.h"
#include "skin_wnd.h"
#include "skindata.h"
#include "table_grid.h"

namespace {
cTablePodcasts* g_podcasts = nullptr;
}

cTablePodcasts* LibraryPodcasts();

void SetTablePodcasts(cTablePodcasts* podcasts) { g_podcasts = podcasts; }
cTablePodcasts* TablePodcasts() { return g_podcasts ? g_podcasts : LibraryPodcasts(); }

int SplitColumns(char* text, size_t length, char* columns[TABLE_MAX_COLUMNS]) {
    int count = 0;
    size_t pos = 0;
    while (pos < length && count < TABLE_MAX_COLUMNS) {
        if (text[pos] == 0x05) break;
        columns[count++] = text + pos;
        while (pos < length && text[pos] != 0 && text[pos] != 0x01) ++pos;
        if (pos < length) text[pos++] = 0;
    }
    return count;
}

const char* FindColumn(const char* text, size_t length, int column, size_t* columnLength) {
    int count = 0;
    size_t pos = 0;
    while (text && pos < length && count < TABLE_MAX_COLUMNS) {
        if (text[pos] == 0x05) break;
        size_t start = pos;
        while (pos < length && text[pos] != 0 && text[pos] != 0x01) ++pos;
        if (count == column) {
            if (columnLength) *columnLength = pos - start;
            return text + start;
        }
        ++count;
        if (pos < length) ++pos;
    }
    return nullptr;
}

int CompareColumnTexts(const char* a, const char* b, int numeric, int descending) {
    int result;
    if (!a || !b) {
        result = a == b ? 0 : (a ? 1 : -1);
    } else if (numeric) {
        int x = atoi(a), y = atoi(b);
        result = x < y ? -1 : (x > y ? 1 : 0);
    } else {
        result = CompareStringA(LOCALE_USER_DEFAULT, 0, a, -1, b, -1) - 2;
    }
    return descending == 1 ? -result : result;
}

void FormatTimerDateCell(const char* cell, int language, char* out, size_t size) {
    if (!out || size == 0) return;
    out[0] = 0;
    if (!cell) return;
    char parts[7][32] = {};
    int count = 0;
    const char* p = cell;
    while (count < 7) {
        const char* end = strchr(p, 0x02);
        size_t n = end ? static_cast<size_t>(end - p) : strlen(p);
        bk::TextCopyN(parts[count], sizeof parts[count], p, n);
        ++count;
        if (!end) break;
        p = end + 1;
    }
    char format[256];
    GetResourceString(nullptr, count == 7 ? 198 : 199, language, format, sizeof format);
    // The catalogue's format takes only %s; anything else would read stray arguments.
    for (const char* f = strchr(format, '%'); f; f = strchr(f + 2, '%'))
        if (f[1] != 's') return;
    if (count == 7)
        bk::TextFormat(out, size, format, parts[2], parts[1], parts[0], parts[3], parts[4], parts[5], parts[6]);
    else
        bk::TextFormat(out, size, format, parts[2], parts[1], parts[0], parts[3], parts[4]);
}

cTableLine::cTableLine()
    : columns_{}, count_(0), skin_(nullptr), row_(nullptr), owner_(nullptr), viewValue_(0), kind_(0), header_(0),
      open_(0), grid_(nullptr), parentId_(0), res_(nullptr) {}

cTableLine::~cTableLine() {
    if (open_ == 1 && grid_) Expand(0, grid_);
    ClearColumns();
    DropRow();
    subLines_.Delete();
}

void cTableLine::DropRow() {
    delete row_;
    row_ = nullptr;
    buttonsPending_ = false;
}

cTimerRowElement* cTableLine::GetTimerRow() const {
    return kind_ == TABLE_TIMERS ? static_cast<cTimerRowElement*>(row_) : nullptr;
}

cPodcastRowElement* cTableLine::GetPodcastRow() const {
    return kind_ == TABLE_PODCASTS ? static_cast<cPodcastRowElement*>(row_) : nullptr;
}

void cTableLine::SetColumnText(int index, const char* text) {
    if (index < 0 || index >= TABLE_MAX_COLUMNS) return;
    if (!text) {
        columns_[index] = nullptr;
        return;
    }
    std::unique_ptr<char[]>& keep = feedTexts_[index];
    if (!keep) {
        keep.reset(new (std::nothrow) char[FEED_TEXT_SIZE]());
        if (!keep) return;
    }
    bk::TextCopy(keep.get(), FEED_TEXT_SIZE, text);
    columns_[index] = keep.get();
}

char* cTableLine::GetColumnText(int index) const {
    return index >= 0 && index < TABLE_MAX_COLUMNS ? columns_[index] : nullptr;
}

void cTableLine::ClearColumns() {
    for (char*& c : columns_) c = nullptr;
}

void cTableLine::SetData(const char* text, size_t length, int viewValue, int withButtons) {
    ClearColumns();
    text_.assign(text, text + length);
    text_.push_back(0);
    count_ = SplitColumns(text_.data(), length, columns_);
    viewValue_ = viewValue;
    DropRow();
    auto number = [this](int c) { return columns_[c] ? atoi(columns_[c]) : 0; };
    if (kind_ == TABLE_TIMERS) {
        int buttons = withButtons && !(columns_[6] && strcmp(columns_[6], "2") == 0) ? 1 : 0;
        row_ = new (std::nothrow) cTimerRowElement(owner_, skin_, viewValue, buttons, number(6), number(7), number(8));
    } else if (kind_ == TABLE_TIPS) {
        row_ = new (std::nothrow) cProgrammTippRowElement(owner_, skin_, viewValue, 0, 0, 0, 0);
    } else if (kind_ == TABLE_PODCASTS) {
        row_ = new (std::nothrow) cPodcastRowElement(owner_, skin_, viewValue, withButtons);
    } else {
        row_ = new (std::nothrow) cStationRowElement(owner_, skin_, viewValue, withButtons);
    }
    if (!row_) return;
    row_->SetId(GetId());
    row_->SetText(columns_[0] ? columns_[0] : "");
    if (kind_ == TABLE_PODCASTS || kind_ == TABLE_TIMERS || kind_ == TABLE_TIPS) {
        row_->BuildButtons(nullptr);
        return;
    }
    buttonsPending_ = true;
}

bool cTableLine::Refill(unsigned long id, const char* text, size_t length, int viewValue) {
    if (kind_ == TABLE_TIMERS || kind_ == TABLE_TIPS || kind_ == TABLE_PODCASTS || header_ || !row_ || open_ == 1 ||
        subLines_.GetAnzElement() > 0 || row_->GetViewValue() != viewValue)
        return false;
    // A favourite's row offers removal, any other adding.
    if (!buttonsPending_ && (row_->FindButton(32) != nullptr) != (viewValue != 0)) return false;
    SetId(id);
    ClearColumns();
    text_.assign(text, text + length);
    text_.push_back(0);
    count_ = SplitColumns(text_.data(), length, columns_);
    row_->SetId(id);
    row_->SetText(columns_[0] ? columns_[0] : "");
    row_->LeaveHover();
    return true;
}

void cTableLine::EnsureButtons() {
    if (!buttonsPending_ || !row_) return;
    buttonsPending_ = false;
    // A favourite's row offers removal (33/32), any other adding (30/29).
    cListStore& store = GetListStore();
    bk::ScopedLock hold(store.Lock());
    row_->BuildButtons(store.List(LS_FAVOURITES));
}

void cTableLine::AddSubLine(cTableLine* sub) {
    if (!sub) return;
    sub->SetKind(kind_);
    sub->SetParentId(GetId());
    subLines_.Add(sub);
    if (kind_ == TABLE_PODCASTS && row_) row_->SetHasSubLines(1);
}

void cTableLine::TakeOver(cTableLine* from) {
    ClearColumns();
    SetId(from->GetId());
    owner_ = from->owner_;
    kind_ = from->kind_;
    for (int i = 0; i < TABLE_MAX_COLUMNS; ++i) columns_[i] = from->columns_[i];
    count_ = from->count_;
    parentId_ = from->parentId_;
    viewValue_ = from->viewValue_;
    if (!skin_) skin_ = from->skin_;
    if (!res_) res_ = from->res_;
    DropRow();
    row_ = from->row_;
    buttonsPending_ = from->buttonsPending_;
    from->row_ = nullptr;
    from->buttonsPending_ = false;
}

void cTableLine::Expand(int state, cTableGrid* grid) {
    if (!grid) return;
    bool opening = state == 1;
    if (opening == (open_ == 1)) return;
    cTablePodcasts* feeds = kind_ == TABLE_PODCASTS ? TablePodcasts() : nullptr;
    bool feedKnown = feeds && feeds->HasFeed(GetId());
    cSkinButton* expand = kind_ == TABLE_PODCASTS && row_ ? row_->FindButton(374) : nullptr;
    if (opening) {
        // Sub-line ids of a larger parent would wrap and collide.
        if (GetId() > kMaxExpandableId) {
            DebugLog(DL_WAR, "cTableLine::Expand: id %lu too large for sub lines", GetId());
            return;
        }
        grid_ = grid;
        open_ = 1;
        if (expand) expand->SetStatus(1);
        cTableLine* after = this;
        for (cListElement* e = subLines_.First(); e; e = e->Next()) {
            cTableLine* sub = static_cast<cTableLine*>(e);
            cTableLine* copy = new (std::nothrow) cTableLine();
            if (!copy) break;
            copy->skin_ = skin_;
            copy->res_ = res_;
            copy->TakeOver(sub);
            sub->row_ = copy->row_;   // the sub line keeps owning it
            copy->SetId(SubLineId(GetId(), sub->GetId()));
            if (copy->row_ && kind_ == TABLE_PODCASTS) {
                // Built while it was a bare sub line: its buttons were a feed's.
                copy->row_->SetId(copy->GetId());
                copy->row_->ClearButtons();
                copy->row_->BuildButtons(nullptr);
            }
            grid->InsertLineBehind(copy, after);
            after = copy;
            if (feedKnown) feeds->SetEpisodeRow(GetId(), static_cast<int>(sub->GetId()), copy);
        }
    } else {
        open_ = state;
        if (expand) expand->SetStatus(2);
        // Each copy is found by its own sub line's id, so closing also works
        // when the ids are not 1..n.
        for (cListElement* e = subLines_.First(); e; e = e->Next()) {
            cTableLine* sub = static_cast<cTableLine*>(e);
            cTableLine* copy = grid->FindShownLine(SubLineId(GetId(), sub->GetId()));
            if (feedKnown) feeds->SetEpisodeRow(GetId(), static_cast<int>(sub->GetId()), nullptr);
            if (!copy) continue;
            copy->row_ = nullptr;
            copy->grid_ = nullptr;
            grid->DeleteLine(copy);
        }
        grid_ = nullptr;
    }
}

RowHit cTableLine::Click(int skip, POINT pt, DWORD flag, HWND wnd) {
    if (skip || !row_) return RowHit();
    EnsureButtons();
    RowHit hit = row_->Click(pt, wnd, flag);
    hit.id = GetId();
    return hit;
}

int cTableLine::LeaveHover() { return row_ ? row_->LeaveHover() : 0; }

void cTableLine::RemoveToolTips() {
    if (row_ && kind_ != TABLE_TIPS) row_->RemoveToolTips();
}

void cTableLine::PaintCell(HDC dc, int column, int x, int y, int width, int height, int offsetY, int selected,
                           int extra) {
    RECT cell = {x, y, x + width, y + height};
    const char* text = GetColumnText(column);
    COLORREF c = RGB(0, 0, 0), unable = RGB(128, 128, 128), balken = RGB(0, 0, 0), headerColour = RGB(0, 0, 0);
    if (skin_) {
        c = selected ? skin_->GetTextcolorO() : skin_->GetTextcolorBalken();
        unable = skin_->GetUnableToPlayColor();
        balken = skin_->GetTextcolorBalken();
        headerColour = skin_->GetTextcolorP();
    }
    bool flag = columns_[9] != nullptr;
    if (flag && atoi(columns_[9]) == 0) c = unable;
    cPodcastRowElement* podcast = GetPodcastRow();
    if (kind_ == TABLE_PODCASTS && !header_ && !(podcast && podcast->IsPlayable())) {
        c = unable;
        flag = true;
    }
    auto stateIs = [this](int col, int a, int b) {
        return columns_[col] && atoi(columns_[col]) != a && atoi(columns_[col]) != b;
    };
    if (column == 0) {
        if (!row_) return;
        EnsureButtons();
        COLORREF given = c;
        COLORREF* pass = nullptr;
        int left = x, variant = 0;
        if (kind_ == TABLE_TIMERS) {
            variant = columns_[5] ? atoi(columns_[5]) : -1;
            if (header_) {
                given = headerColour;
                pass = &given;
            } else if (flag || stateIs(6, 0, 4)) {
                given = unable;
                pass = &given;
            }
        } else {
            if (flag) pass = &given;
            if (header_ && (kind_ == TABLE_TIPS || kind_ == TABLE_PODCASTS)) {
                given = headerColour;
                pass = &given;
            }
            if (podcast && podcast->IsEpisode() && !flag && res_) left += 3 + res_->GetGfxWidth(374) / 5;
            variant = extra;
        }
        row_->PaintCell(dc, left, y, x + width, y + height, 0, offsetY, 0, 0, pass, variant);
        return;
    }
    if (!text) return;
    COLORREF old = GetTextColor(dc);
    char buffer[1024];
    const char* shown = text;
    UINT flags = DT_NOPREFIX | DT_VCENTER | DT_SINGLELINE;
    if (kind_ == TABLE_TIMERS && !header_) {
        SetTextColor(dc, flag || stateIs(6, 0, 4) ? unable : c);
        if (column == 2) {
            FormatTimerDateCell(text, GetHostLanguage(), buffer, sizeof buffer);
            shown = buffer;
        }
        DrawTextA(dc, shown, -1, &cell, flags);
    } else if (kind_ == TABLE_TIPS && !header_) {
        if (flag) SetTextColor(dc, c);
        if (column == 3) {
            GetProgrammtippTimeString(text, buffer, GetHostLanguage());
            shown = buffer;
        }
        HGDIOBJ oldFont = nullptr;
        if (column == 2 && res_) {
            oldFont = SelectObject(dc, res_->GetFont(0));
            if (columns_[0] && atoi(columns_[0]) == 1) {
                int ih = res_->GetGfxHeight(360);
                res_->DrawBitmap(dc, cell.left, cell.top + (height - ih) / 2, 360, SRCCOPY);
                cell.left += res_->GetGfxWidth(360) + 3;
            }
        }
        OffsetRect(&cell, 0, 2);
        DrawTextA(dc, shown, -1, &cell, flags);
        if (oldFont) SelectObject(dc, oldFont);
    } else if (kind_ == TABLE_PODCASTS && !header_) {
        if (text[0]) {
            SetTextColor(dc, flag ? c : balken);
            DrawTextA(dc, text, -1, &cell, flags);
        }
    } else {
        if (flag) SetTextColor(dc, c);
        const char* comma = strchr(text, ',');
        if (comma) {
            RECT upper = {cell.left, cell.top, cell.right, cell.top + height / 2};
            DrawTextA(dc, text, static_cast<int>(comma - text), &upper, flags);
            const char* rest = comma + 1;
            if (*rest == ' ') ++rest;
            RECT lower = {cell.left, cell.top + height / 2 - 2, cell.right, cell.bottom - 4};
            DrawTextA(dc, rest, -1, &lower, flags);
        } else {
            DrawTextA(dc, text, -1, &cell, flags);
        }
    }
    SetTextColor(dc, old);
}

cTableCellTip::cTableCellTip(cSkinWnd* owner, HWND window)
    : owner_(owner), window_(window), info_{}, text_{}, registered_(false) {}

cTableCellTip::~cTableCellTip() {
    if (registered_ && owner_) owner_->DelTool(&info_);
}

void cTableCellTip::SetTip(const char* text, int left, int top, int right, int bottom) {
    if (!owner_) return;
    const RECT place = {left, top, right, bottom};
    if (registered_) {
        // Already a tool: a new text or place is told to it, nothing else.
        if (EqualRect(&place, &info_.rect) && strncmp(text_, text ? text : "", sizeof text_ - 1) == 0) return;
        bk::TextCopy(text_, sizeof text_, text ? text : "");
        info_.rect = place;
        if (HWND tips = owner_->GetToolTipWindow())
            SendMessageA(tips, TTM_SETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&info_));
        return;
    }
    info_ = TOOLINFOA{};
    info_.cbSize = TTTOOLINFOA_V2_SIZE;
    info_.hwnd = window_;
    info_.uId = reinterpret_cast<UINT_PTR>(this);
    TOOLINFOA probe = info_;
    if (owner_->GetToolInfo(&probe) && probe.uFlags) owner_->DelTool(&info_);
    bk::TextCopy(text_, sizeof text_, text ? text : "");
    info_.lpszText = text_;
    info_.uFlags = TTF_SUBCLASS;
    info_.rect = RECT{left, top, right, bottom};
    registered_ = owner_->AddTool(&info_) != 0;
    if (HWND tips = owner_->GetToolTipWindow()) SendMessageA(tips, TTM_SETMAXTIPWIDTH, 0, 300);
}
