#include "table_grid.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "bounded_text.h"
#include "catalogue.h"
#include "host_link.h"
#include "list_store.h"
#include "registry.h"
#include "resource_manager.h"
#include "skin_wnd.h"
#include "skindata.h"
#include "win_handles.h"

namespace {

bool InFavourites(unsigned long id) {
    cListStore& store = GetListStore();
    bk::ScopedLock hold(store.Lock());
    return store.List(LS_FAVOURITES)->GetById(id) != nullptr;
}

}  // namespace

void TableEntries::Add(const char* entry, size_t length, unsigned long id) {
    if (!entry || text.size() + length + 1 > UINT32_MAX) return;
    Entry e = {static_cast<uint32_t>(text.size()), static_cast<uint32_t>(length), id};
    text.insert(text.end(), entry, entry + length);
    text.push_back(0);
    at.push_back(e);
}

void ParseTableLayout(const char* text, TableLayout* layout) {
    if (!text || !layout) return;
    const char* p = text;
    for (int n = 0; n < 61 && *p; ++n) {
        const char* end = strchr(p, 0x01);
        char number[16];
        size_t len = end ? static_cast<size_t>(end - p) : strlen(p);
        bool ok = len > 0 && len < sizeof number;
        if (ok) {
            bk::TextCopyN(number, sizeof number, p, len);
            for (size_t i = 0; i < len; ++i)
                if (!((number[i] >= '0' && number[i] <= '9') || (i == 0 && number[i] == '-'))) ok = false;
        }
        if (ok) {
            long v = strtol(number, nullptr, 10);
            if (n < 20) {
                layout->widths[n] = static_cast<int>(v);
            } else if (n < 40) {
                layout->directions[n - 20] = v == 1 ? 1 : 0;
            } else if (n == 60) {
                // A column outside the table would index past its arrays.
                if (v >= 0 && v < TABLE_MAX_COLUMNS) layout->sortColumn = static_cast<int>(v);
            }
        }
        if (!end) break;
        p = end + 1;
    }
}

void FormatTableLayout(const TableLayout& layout, const int numeric[TABLE_MAX_COLUMNS], char* out, size_t size) {
    if (!out || !size) return;
    out[0] = 0;
    char number[24];
    for (int i = 0; i < 61; ++i) {
        int v = i < 20 ? layout.widths[i] : i < 40 ? layout.directions[i - 20] : i < 60 ? numeric[i - 40]
                                                                                       : layout.sortColumn;
        bk::TextFormat(number, sizeof number, "%d\x01", v);
        bk::TextAppend(out, size, number);
    }
}

int ClampColumnWidth(int kind, int column, int width) {
    if (column == 0) {
        if (kind == TABLE_TIPS) return 0;
        if (width > 270) return 270;
        return width < 120 ? 120 : width;
    }
    if (width < 20) return 20;
    // A stored or dragged width beyond this would make surfaces nobody can show.
    return width > cTableGrid::WIDTH_LIMIT ? static_cast<int>(cTableGrid::WIDTH_LIMIT) : width;
}

void TableSurface::Make(HDC like, int width, int height) {
    Free();
    dc = CreateCompatibleDC(like);
    if (!dc) return;
    bitmap = CreateCompatibleBitmap(like, width > 0 ? width : 1, height > 0 ? height : 1);
    old = bitmap ? SelectObject(dc, bitmap) : nullptr;
}

void TableSurface::Free() {
    if (dc && old) SelectObject(dc, old);
    if (bitmap) DeleteObject(bitmap);
    if (dc) DeleteDC(dc);
    dc = nullptr;
    bitmap = nullptr;
    old = nullptr;
}

cTableGrid::cTableGrid(int kind, cSkinWnd* owner)
    : owner_(owner), widths_{}, totalWidth_(0), lastHovered_(-1), entries_(nullptr), made_(0), shownFirst_(0),
      shownLast_(0), res_(nullptr), dotsHeight_(0), visibleWidth_(0),
      visibleHeight_(0), hoverRow_(-1), topRow_(-1), kind_(kind), headerDirty_(1), sortable_(0), directions_{},
      numeric_{}, sortColumn_(0), window_(nullptr), rowOffset_(0), hOffset_(0), lineColour_(RGB(128, 128, 128)),
      background_(nullptr), highlightBrush_(nullptr), titles_{}, initialised_(false) {
    header_.SetKind(kind);
    if (owner_) {
        header_.SetSkinData(owner_->GetSkinData());
        lineColour_ = owner_->GetSkinData()->GetTableLineColor();
    }
    header_.MarkAsHeader();
}

cTableGrid::~cTableGrid() {
    if (initialised_) {
        TableLayout layout;
        for (int i = 0; i < TABLE_MAX_COLUMNS; ++i) {
            layout.widths[i] = widths_[i];
            layout.directions[i] = directions_[i];
        }
        layout.sortColumn = sortColumn_;
        char value[1024];
        FormatTableLayout(layout, numeric_, value, sizeof value);
        char name[16];
        bk::TextFormat(name, sizeof name, "TAB%d", kind_);
        SetValue(name, value);
    }
    if (background_) DeleteObject(background_);
    if (highlightBrush_) DeleteObject(highlightBrush_);
    linesSurface_.Free();
    headerSurface_.Free();
    firstSurface_.Free();
    highlight_.Free();
    dots_.Free();
    Clear();
}

void cTableGrid::Init(cResourceManager* res, int sortable) {
    res_ = res;
    header_.SetResources(res);
    if (res_) {
        if (background_) DeleteObject(background_);
        if (highlightBrush_) DeleteObject(highlightBrush_);
        background_ = CreateSolidBrush(res_->GetPixel(83));
        highlightBrush_ = CreateSolidBrush(res_->GetPixel(113));
    }
    sortable_ = sortable;
    TableLayout layout;
    static const int kPodcast[5] = {210, 50, 110, 220, 50};
    static const int kTips[5] = {0, 55, 180, 145, 100};
    for (int i = 0; i < TABLE_MAX_COLUMNS; ++i) {
        int w = 70;
        if (kind_ == TABLE_PODCASTS && i < 5) w = kPodcast[i];
        else if (kind_ == TABLE_TIPS && i < 5) w = kTips[i];
        else if (i == 0) w = 165;
        layout.widths[i] = w;
        layout.directions[i] = 0;
    }
    layout.sortColumn = sortColumn_;
    char name[16], value[1024] = {};
    bk::TextFormat(name, sizeof name, "TAB%d", kind_);
    GetValue(name, value, sizeof value);
    value[sizeof value - 1] = 0;
    ParseTableLayout(value, &layout);
    for (int i = 0; i < TABLE_MAX_COLUMNS; ++i) {
        widths_[i] = ClampColumnWidth(kind_, i, layout.widths[i]);
        directions_[i] = layout.directions[i];
    }
    sortColumn_ = layout.sortColumn;
    RecomputeTotal();
    initialised_ = true;
    SortRows();
}

void cTableGrid::Fill(const TableEntries* entries, cResourceManager* res) {
    Clear();
    entries_ = entries;
    res_ = res;
    header_.SetResources(res);
    const size_t count = entries ? entries->Count() : 0;
    rows_.reserve(count);
    for (size_t i = 0; i < count; ++i) rows_.push_back(Row{static_cast<uint32_t>(i), nullptr});
}

cTableLine* cTableGrid::MakeLine(uint32_t entry) {
    if (!entries_ || entry >= entries_->Count()) return nullptr;
    const TableEntries::Entry& e = entries_->at[entry];
    int favourite = kind_ == TABLE_PODCASTS ? 0 : (InFavourites(e.id) ? 1 : 0);
    for (size_t i = 0; i < spare_.size(); ++i) {
        cTableLine* spare = spare_[i];
        if (!spare->Refill(e.id, entries_->Text(entry), e.length, favourite)) continue;
        spare_.erase(spare_.begin() + static_cast<std::ptrdiff_t>(i));
        ++made_;
        return spare;
    }
    cTableLine* line = new (std::nothrow) cTableLine();
    if (!line) return nullptr;
    line->SetId(e.id);
    line->SetKind(kind_);
    line->SetOwner(window_);
    line->SetSkinData(owner_ ? owner_->GetSkinData() : nullptr);
    line->SetResources(res_);
    line->SetData(entries_->Text(entry), e.length, favourite, 1);
    ++made_;
    return line;
}

bool cTableGrid::Keeps(const cTableLine* line) const {
    // A feed writes into its line, and sub lines live in theirs.
    return kind_ == TABLE_PODCASTS || line->IsOpen() ||
           const_cast<cTableLine*>(line)->GetSubLines()->GetAnzElement() > 0;
}

void cTableGrid::DropLine(Row& row) {
    if (!row.line || row.entry == kNoEntry) return;
    delete row.line;
    row.line = nullptr;
    --made_;
}

cTableLine* cTableGrid::GetLine(int index) {
    if (index < 0 || index >= GetLineCount()) return nullptr;
    Row& row = rows_[static_cast<size_t>(index)];
    if (!row.line) row.line = MakeLine(row.entry);
    return row.line;
}

unsigned long cTableGrid::GetLineId(int index) {
    if (index < 0 || index >= GetLineCount()) return 0;
    const Row& row = rows_[static_cast<size_t>(index)];
    if (row.line) return row.line->GetId();
    return entries_ && row.entry < entries_->Count() ? entries_->at[row.entry].id : 0;
}

int cTableGrid::FindLine(unsigned long id) const {
    for (size_t i = 0; i < rows_.size(); ++i) {
        const Row& row = rows_[i];
        unsigned long rowId = row.line ? row.line->GetId()
                                       : (entries_ && row.entry < entries_->Count() ? entries_->at[row.entry].id : 0);
        if (rowId == id && (row.line || row.entry != kNoEntry)) return static_cast<int>(i);
    }
    return -1;
}

void cTableGrid::InsertLineBehind(cTableLine* line, cTableLine* after) {
    if (!line) return;
    size_t at = rows_.size();
    for (size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].line == after) {
            at = i + 1;
            break;
        }
    rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(at), Row{kNoEntry, line});
    RemoveAllLineTips();
}

cTableLine* cTableGrid::FindShownLine(unsigned long id) {
    for (Row& row : rows_)
        if (row.entry == kNoEntry && row.line && row.line->GetId() == id) return row.line;
    return nullptr;
}

void cTableGrid::DeleteLine(cTableLine* line) {
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].line != line) continue;
        if (rows_[i].entry != kNoEntry) --made_;
        rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(i));
        delete line;
        RemoveAllLineTips();
        return;
    }
}

void cTableGrid::TidySpares(int keep) {
    // What no line in view took over shows nothing.
    for (cTableLine* line : spare_) line->RemoveToolTips();
    while (static_cast<int>(spare_.size()) > keep) {
        delete spare_.back();
        spare_.pop_back();
    }
}

void cTableGrid::RemoveAllLineTips() {
    // Positions moved: whatever was shown where is shown no longer.
    for (Row& row : rows_)
        if (row.line) row.line->RemoveToolTips();
    shownFirst_ = shownLast_ = 0;
}

void cTableGrid::LetGoOutOfView(int first, int last) {
    const int count = GetLineCount();
    for (int i = shownFirst_; i < shownLast_ && i < count; ++i) {
        if (i >= first && i < last) continue;
        Row& row = rows_[static_cast<size_t>(i)];
        if (!row.line) continue;
        if (Keeps(row.line) || row.entry == kNoEntry) {
            row.line->RemoveToolTips();
            continue;
        }
        // Its tips stay while a line coming into view may take it over.
        spare_.push_back(row.line);
        row.line = nullptr;
        --made_;
    }
    shownFirst_ = first;
    shownLast_ = last;
    // Lines looked up away from the view (a query, a line id) go now and then.
    if (made_ <= 3 * (last - first) + 64) return;
    for (int i = 0; i < count; ++i) {
        if (i >= first && i < last) continue;
        Row& row = rows_[static_cast<size_t>(i)];
        if (row.line && !Keeps(row.line)) DropLine(row);
    }
}

int cTableGrid::GetColumnWidth(int column) const {
    return column >= 0 && column < TABLE_MAX_COLUMNS ? widths_[column] : 0;
}

void cTableGrid::SetColumnWidth(int column, int width) {
    if (column < 0 || column >= TABLE_MAX_COLUMNS) return;
    widths_[column] = ClampColumnWidth(kind_, column, width);
    RecomputeTotal();
}

void cTableGrid::RecomputeTotal() {
    int count = header_.GetColumnCount();
    totalWidth_ = 0;
    for (int i = 0; i < count && i < TABLE_MAX_COLUMNS; ++i) totalWidth_ += widths_[i];
}

int cTableGrid::GetSortDirection(int column) const {
    return column >= 0 && column < TABLE_MAX_COLUMNS ? directions_[column] : 0;
}

void cTableGrid::SetSortNumeric(int column, int numeric) {
    if (column >= 0 && column < TABLE_MAX_COLUMNS) numeric_[column] = numeric;
}

void cTableGrid::SetTitles(const char* titles) {
    if (!titles) return;
    memset(titles_, 0, sizeof titles_);
    size_t length = strnlen(titles, sizeof titles_ - 1);
    memcpy(titles_, titles, length);
    header_.SetData(titles_, length, 0, 0);
    RecomputeTotal();
    headerDirty_ = 1;
}

int cTableGrid::SetHoverRow(int index) {
    if (index == hoverRow_) return 0;
    hoverRow_ = index;
    Render(topRow_ < 0 ? 0 : topRow_, 0);
    return 1;
}

void cTableGrid::SortByColumn(int column) {
    if (column < 0 || column >= TABLE_MAX_COLUMNS) return;
    if (column == sortColumn_)
        directions_[column] = directions_[column] == 0 ? 1 : 0;
    else
        sortColumn_ = column;
    headerDirty_ = 1;
    SortRows();
}

void cTableGrid::SortRows() {
    if (!sortable_) return;
    std::vector<cTableLine*> open;
    for (Row& row : rows_)
        if (row.line && row.line->IsOpen()) open.push_back(row.line);
    for (cTableLine* line : open) line->Expand(0, this);
    const int column = sortColumn_;
    std::vector<const char*> texts(rows_.size());
    std::vector<uint32_t> lengths(rows_.size());
    for (size_t i = 0; i < rows_.size(); ++i) {
        const Row& row = rows_[i];
        const char* text = nullptr;
        size_t length = 0;
        // A line's column may have been rewritten since (a feed's state).
        if (row.line) {
            text = row.line->GetColumnText(column);
            length = text ? strlen(text) : 0;
        } else if (entries_ && row.entry < entries_->Count()) {
            text = FindColumn(entries_->Text(row.entry), entries_->at[row.entry].length, column, &length);
        }
        texts[i] = text;
        lengths[i] = static_cast<uint32_t>(length);
    }
    std::vector<uint32_t> order;
    SortColumnTexts(texts, lengths, numeric_[column], directions_[column], &order);
    std::vector<Row> sorted;
    sorted.reserve(rows_.size());
    for (uint32_t at : order) sorted.push_back(rows_[at]);
    rows_.swap(sorted);
    RemoveAllLineTips();
    for (cTableLine* line : open) line->Expand(1, this);
}

RowHit cTableGrid::HitLineElements(int column, int row, int localX, int localY, DWORD code) {
    RowHit result;
    bool repaint = false;
    int first = topRow_ < 0 ? 0 : topRow_;
    int last = std::min(first + (visibleHeight_ / ROW_HEIGHT) + 2, GetLineCount());
    for (int index = first; index < last; ++index) {
        cTableLine* line = GetLine(index);
        if (!line) continue;
        if (index + 1 == row) {
            POINT pt = column == 0 ? POINT{localX, localY} : POINT{-1000, -1000};
            result = line->Click(0, pt, code, window_);
        } else if (line->LeaveHover()) {
            repaint = true;
        }
    }
    if (static_cast<int>(result.element) != lastHovered_ || repaint) {
        lastHovered_ = static_cast<int>(result.element);
        Render(first, 0);
    }
    return result;
}

void cTableGrid::CreateSurfaces(HDC like) {
    RecomputeTotal();
    int linesHeight = visibleHeight_ + 2 * ROW_HEIGHT;
    auto prepare = [&](TableSurface& s, int w, int h, int font) {
        s.Make(like, w, h);
        if (!s.dc) return;
        SetBkMode(s.dc, TRANSPARENT);
        SetMapMode(s.dc, MM_TEXT);
        if (res_) SelectObject(s.dc, res_->GetFont(font));
    };
    prepare(linesSurface_, totalWidth_, linesHeight, 2);
    prepare(headerSurface_, totalWidth_, HEADER_HEIGHT, 1);
    headerDirty_ = 1;
    highlight_.Make(like, totalWidth_, ROW_HEIGHT);
    if (highlight_.dc && highlightBrush_) {
        RECT r = {0, 0, totalWidth_ + 1, ROW_HEIGHT + 1};
        FillRect(highlight_.dc, &r, highlightBrush_);
    }
    prepare(firstSurface_, widths_[0], linesHeight, 1);
    dotsHeight_ = visibleHeight_ + ROW_HEIGHT;
    dots_.Make(like, 1, dotsHeight_);
    if (dots_.dc && background_) {
        RECT r = {0, 0, 1, dotsHeight_};
        FillRect(dots_.dc, &r, background_);
        DrawDottedLine(0, dots_.dc, 0, dotsHeight_, 0);
    } else {
        dots_.Free();
    }
}

void cTableGrid::DottedColumnBorder(HDC dc, int at) {
    // Drawn on a freshly filled surface: the ready border is the same picture.
    if (dots_.dc && dotsHeight_ == visibleHeight_ + ROW_HEIGHT)
        ::BitBlt(dc, at, 0, 1, dotsHeight_, dots_.dc, 0, 0, SRCCOPY);
    else
        DrawDottedLine(0, dc, 0, visibleHeight_ + ROW_HEIGHT, at);
}

void cTableGrid::DrawDottedLine(int horizontal, HDC dc, int from, int to, int at) {
    if (!dc) return;
    for (int p = from; p < to; p += 3) {
        if (horizontal) SetPixel(dc, p, at, lineColour_);
        else SetPixel(dc, at, p, lineColour_);
    }
}

void cTableGrid::PaintHeader() {
    HDC dc = headerSurface_.dc;
    if (!dc) return;
    unsigned arrow = directions_[sortColumn_] == 1 ? 175 : 174;
    int aw = res_ ? res_->GetGfxWidth(arrow) : 0, ah = res_ ? res_->GetGfxHeight(arrow) : 0;
    int x = 0;
    int count = header_.GetColumnCount();
    for (int c = 0; c < count && c < TABLE_MAX_COLUMNS; ++c) {
        int w = widths_[c];
        if (sortable_ && c == sortColumn_) {
            header_.PaintCell(dc, c, x + 2, 0, w - aw - 8, HEADER_HEIGHT, 0, 0, 0);
            if (res_) res_->DrawBitmap(dc, x + w - aw - 4, (HEADER_HEIGHT - ah) / 2, arrow, SRCCOPY);
        } else {
            header_.PaintCell(dc, c, x + 2, 0, w - 4, HEADER_HEIGHT, 0, 0, 0);
        }
        x += w;
        DrawDottedLine(0, dc, 0, HEADER_HEIGHT - 1, x - 1);
    }
    DrawDottedLine(1, dc, 0, totalWidth_, HEADER_HEIGHT - 1);
    headerDirty_ = 0;
}

void cTableGrid::TipText(cTableLine* line, int column, char* out, size_t size) {
    out[0] = 0;
    const char* text = line->GetColumnText(column);
    int language = GetHostLanguage();
    if (column == 0) {
        if (kind_ == TABLE_TIPS) return;
        const char* extra = line->GetColumnText(8);
        // A line without column 8 counts as "0".
        if (!extra || strcmp(extra, "0") == 0)
            bk::TextCopy(out, size, text ? text : "");
        else
            bk::TextFormat(out, size, "%s\r\n%s", text ? text : "", extra);
        if (char* mark = strchr(out, 0x02)) {
            std::string rest = mark + 1;
            *mark = 0;
            bk::TextAppend(out, size, " - ");
            bk::TextAppend(out, size, rest.c_str());
        }
        return;
    }
    if (!text) return;
    if (kind_ == TABLE_TIMERS && column == 2) {
        FormatTimerDateCell(text, language, out, size);
    } else if (kind_ == TABLE_TIPS && (column == 3 || column == 4)) {
        char span[512] = {};
        GetProgrammtippTimeString(text, span, language);
        bk::TextCopy(out, size, span);
    } else {
        bk::TextCopy(out, size, text);
    }
}

void cTableGrid::Render(int topRow, int full) {
    topRow_ = topRow;
    int linesHeight = visibleHeight_ + 2 * ROW_HEIGHT;
    if (background_) {
        RECT r = {0, 0, totalWidth_, linesHeight};
        if (linesSurface_.dc) FillRect(linesSurface_.dc, &r, background_);
        RECT h = {0, 0, totalWidth_, HEADER_HEIGHT};
        if (headerDirty_ && headerSurface_.dc) FillRect(headerSurface_.dc, &h, background_);
        RECT f = {0, 0, widths_[0], linesHeight};
        if (firstSurface_.dc) FillRect(firstSurface_.dc, &f, background_);
    }
    if (headerDirty_) PaintHeader();
    int w0 = widths_[0];
    int count = header_.GetColumnCount();
    if (firstSurface_.dc) DottedColumnBorder(firstSurface_.dc, w0 - 1);
    for (int c = 1, x = 0; c < count && c < TABLE_MAX_COLUMNS; ++c) {
        x += widths_[c];
        if (linesSurface_.dc) DottedColumnBorder(linesSurface_.dc, x - 1);
    }
    const int first = topRow < 0 ? 0 : topRow;
    const int last = std::max(first, std::min(topRow + visibleHeight_ / ROW_HEIGHT + 2, GetLineCount()));
    LetGoOutOfView(first, last);
    DWORD rop = owner_ ? owner_->GetSkinData()->GetRasterOP() : SRCAND;
    int y = 0, tipY = 0;
    char tip[1024];
    // The cells' tips stay registered from render to render; each is only
    // told its new text and place.
    cListElement* nextTip = full ? tips_.First() : nullptr;
    auto placeTip = [&](RECT cell) {
        if (cell.left >= cell.right || cell.top >= visibleHeight_) return;
        if (nextTip) {
            static_cast<cTableCellTip*>(nextTip)->SetTip(tip, cell.left, cell.top, cell.right, cell.bottom);
            nextTip = nextTip->Next();
        } else {
            AddCellToolTip(tip, cell);
        }
    };
    for (int index = first; index < last; ++index) {
        cTableLine* line = GetLine(index);
        if (!line) continue;
        bool hover = index == hoverRow_;
        int extra = sortable_ ? 0 : index + 1;
        bool firstShown = index == topRow;
        int offsetY = HEADER_HEIGHT - rowOffset_;
        line->PaintCell(firstSurface_.dc, 0, 2, y, w0 - 4, ROW_HEIGHT, offsetY, hover, extra);
        for (int c = 1, x = 0; c < count && c < TABLE_MAX_COLUMNS; ++c) {
            line->PaintCell(linesSurface_.dc, c, x + 2, y, widths_[c] - 4, ROW_HEIGHT, offsetY, hover, extra);
            x += widths_[c];
        }
        if (hover && highlight_.dc) {
            ::BitBlt(linesSurface_.dc, 0, y, totalWidth_, ROW_HEIGHT, highlight_.dc, 0, 0, rop);
            ::BitBlt(firstSurface_.dc, 0, y, w0, ROW_HEIGHT, highlight_.dc, 0, 0, rop);
        }
        if (full) {
            int less = firstShown ? rowOffset_ : 0;
            int top = HEADER_HEIGHT + 1 + tipY;
            TipText(line, 0, tip, sizeof tip);
            int bottom = top + ROW_HEIGHT / 2 - less;
            if (bottom > visibleHeight_) bottom = visibleHeight_;
            placeTip(RECT{0, top, w0, bottom});
            for (int c = 1, x = 0; c < count && c < TABLE_MAX_COLUMNS; ++c) {
                int left = x + w0 - hOffset_;
                int right = left + widths_[c];
                if (left < w0 + 1) left = w0 + 1;
                TipText(line, c, tip, sizeof tip);
                placeTip(RECT{left, top, right, top + ROW_HEIGHT - less});
                x += widths_[c];
            }
        }
        tipY += firstShown ? ROW_HEIGHT - rowOffset_ : ROW_HEIGHT;
        y += ROW_HEIGHT;
    }
    while (nextTip) {
        cListElement* spare = nextTip;
        nextTip = nextTip->Next();
        tips_.Delete(spare);
    }
    TidySpares(last - first + 8);
}

void cTableGrid::Compose(HDC dst, int left, int top, int right, int bottom, int hpos, int rowOffset) {
    int w0 = widths_[0], hh = HEADER_HEIGHT;
    int width = right - left, height = bottom - top;
    ::BitBlt(dst, left, top, w0, height, headerSurface_.dc, 0, 0, SRCCOPY);
    ::BitBlt(dst, left + w0, top, width - w0, height, headerSurface_.dc, hpos + w0, 0, SRCCOPY);
    ::BitBlt(dst, left, top + hh, w0, height - hh, firstSurface_.dc, 0, rowOffset, SRCCOPY);
    ::BitBlt(dst, left + w0, top + hh, width - w0, height - hh, linesSurface_.dc, hpos, rowOffset, SRCCOPY);
}

void cTableGrid::Clear() {
    std::vector<cTableLine*> open;
    for (Row& row : rows_)
        if (row.line && row.line->IsOpen()) open.push_back(row.line);
    for (cTableLine* line : open) line->Expand(0, this);
    for (Row& row : rows_) delete row.line;
    rows_.clear();
    TidySpares(0);
    made_ = 0;
    shownFirst_ = shownLast_ = 0;
    tips_.Delete();
    for (int& n : numeric_) n = 0;
}

void cTableGrid::AddCellToolTip(const char* text, RECT cell) {
    if (cell.left >= cell.right || cell.top >= visibleHeight_) return;
    cTableCellTip* tip = new (std::nothrow) cTableCellTip(owner_, window_);
    if (!tip) return;
    tip->SetTip(text, cell.left, cell.top, cell.right, cell.bottom);
    tips_.Add(tip);
}
