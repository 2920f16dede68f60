// The columns and lines of a table control: column widths, the header with
// its titles and sort arrow, the lines and their sub lines, per-cell tool
// tips and the off-screen surfaces the control's window is composed from.
// Widths and sort state are kept per table kind in the settings value
// "TAB<kind>".
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "facetkit_api.h"
#include "liste.h"
#include "table_line.h"

class cResourceManager;
class cSkinWnd;

// The stored state of one table kind.
struct FACETKIT_API TableLayout {
    int widths[TABLE_MAX_COLUMNS];
    int directions[TABLE_MAX_COLUMNS];
    int sortColumn;
};
// Reads the settings text (numbers each followed by 0x01) over `layout`:
// what the text lacks or holds badly keeps the value it had.
FACETKIT_API void ParseTableLayout(const char* text, TableLayout* layout);
FACETKIT_API void FormatTableLayout(const TableLayout& layout, const int numeric[TABLE_MAX_COLUMNS], char* out,
                                    size_t size);
// The clamp a column width gets by table kind.
FACETKIT_API int ClampColumnWidth(int kind, int column, int width);

// The texts of a table's list entries, kept back to back in one block (a
// directory has tens of thousands): each entry's text as it was added,
// columns still separated by 0x01, followed by a zero byte.
struct FACETKIT_API TableEntries {
    struct Entry {
        uint32_t offset;
        uint32_t length;
        unsigned long id;
    };
    std::vector<char> text;
    std::vector<Entry> at;

    void Add(const char* entry, size_t length, unsigned long id);
    const char* Text(size_t index) const { return text.data() + at[index].offset; }
    size_t Count() const { return at.size(); }
};

// The order of a column's texts, as CompareColumnTexts gives it, for a
// whole table at once: each text's key is made once and the keys are
// sorted, so the user's locale is asked only about texts whose keys tie.
// `texts` holds one text (null: missing) and its length per row; `order`
// receives the rows' positions, equal texts in their previous order.
FACETKIT_API void SortColumnTexts(const std::vector<const char*>& texts, const std::vector<uint32_t>& lengths,
                                  int numeric, int descending, std::vector<uint32_t>* order);

// One off-screen drawing surface.
struct TableSurface {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    void Make(HDC like, int width, int height);
    void Free();
};

class FACETKIT_API cTableGrid {
public:
    enum { ROW_HEIGHT = 28, HEADER_HEIGHT = 15, TITLE_SIZE = 1024, WIDTH_LIMIT = 2000 };

    cTableGrid(int kind, cSkinWnd* owner);
    virtual ~cTableGrid();
    cTableGrid(const cTableGrid&) = delete;
    cTableGrid& operator=(const cTableGrid&) = delete;

    void Init(cResourceManager* res, int sortable);
    void SetWindow(HWND window) {
        window_ = window;
        header_.SetOwner(window);
    }
    void SetViewSize(int width, int height) {
        visibleWidth_ = width;
        visibleHeight_ = height;
    }
    void SetRowOffset(int offset) { rowOffset_ = offset; }
    void SetHOffset(int offset) { hOffset_ = offset; }

    // The table's lines: one per list entry in the sort order, with the sub
    // lines of open lines behind them. A line object is made when it is
    // asked for (it is painted, clicked or looked up) and let go again when
    // it has been out of view for a while, unless something holds on to it
    // (a podcast feed, its sub lines).
    void Fill(const TableEntries* entries, cResourceManager* res);
    int GetLineCount() const { return static_cast<int>(rows_.size()); }
    cTableLine* GetLine(int index);
    unsigned long GetLineId(int index);
    // The position of the line with this id, or -1.
    int FindLine(unsigned long id) const;
    cTableLine* GetLineById(unsigned long id) { return GetLine(FindLine(id)); }
    // The shown sub lines, put in and taken out by their parent line.
    void InsertLineBehind(cTableLine* line, cTableLine* after);
    cTableLine* FindShownLine(unsigned long id);
    void DeleteLine(cTableLine* line);
    // How many line objects exist (a measure of what the table holds).
    int GetMadeLineCount() const { return made_; }
    cTableLine* GetHeaderLine() { return &header_; }
    int GetRowHeight() const { return ROW_HEIGHT; }
    int GetHeaderHeight() const { return HEADER_HEIGHT; }
    int GetColumnWidth(int column) const;
    void SetColumnWidth(int column, int width);
    int GetColumnCount() const { return header_.GetColumnCount(); }
    int GetTotalWidth() const { return totalWidth_; }
    void SetSortNumeric(int column, int numeric);
    void SetTitles(const char* titles);
    int SetHoverRow(int index);
    int GetHoverRow() const { return hoverRow_; }
    int GetTopRow() const { return topRow_; }
    void SortByColumn(int column);
    void SortRows();
    int GetSortColumn() const { return sortColumn_; }
    int GetSortDirection(int column) const;
    int IsSortable() const { return sortable_; }
    RowHit HitLineElements(int column, int row, int localX, int localY, DWORD code);

    void CreateSurfaces(HDC like);
    void Render(int topRow, int full);
    void Compose(HDC dst, int left, int top, int right, int bottom, int hpos, int rowOffset);
    void Clear();
    void DrawDottedLine(int horizontal, HDC dc, int from, int to, int at);
    // A column's border line down the lines surfaces.
    void DottedColumnBorder(HDC dc, int at);
    void AddCellToolTip(const char* text, RECT cell);
    cListe* GetToolTips() { return &tips_; }
    int GetLastHovered() const { return lastHovered_; }
    cResourceManager* GetResources() const { return res_; }

private:
    struct Row {
        uint32_t entry;      // the list entry, kNoEntry for a shown sub line
        cTableLine* line;    // null until made
    };
    static constexpr uint32_t kNoEntry = 0xFFFFFFFFu;
    cTableLine* MakeLine(uint32_t entry);
    bool Keeps(const cTableLine* line) const;
    void DropLine(Row& row);
    void LetGoOutOfView(int first, int last);
    void TidySpares(int keep);
    void RemoveAllLineTips();
    void RecomputeTotal();
    void TipText(cTableLine* line, int column, char* out, size_t size);
    void PaintHeader();

    cSkinWnd* owner_;
    int widths_[TABLE_MAX_COLUMNS];
    int totalWidth_;
    int lastHovered_;
    const TableEntries* entries_;
    std::vector<Row> rows_;
    int made_;           // line objects that are let go when out of view
    // Lines that left the view, to be filled with the entries coming into
    // it: their buttons and tips are kept, not made anew.
    std::vector<cTableLine*> spare_;
    int shownFirst_;     // the rows painted by the last render
    int shownLast_;
    cListe tips_;
    cResourceManager* res_;
    TableSurface linesSurface_, headerSurface_, firstSurface_, highlight_;
    // A column border as drawn on every render, ready to be copied.
    TableSurface dots_;
    int dotsHeight_;
    int visibleWidth_;
    int visibleHeight_;
    cTableLine header_;
    int hoverRow_;
    int topRow_;
    int kind_;
    int headerDirty_;
    int sortable_;
    int directions_[TABLE_MAX_COLUMNS];
    int numeric_[TABLE_MAX_COLUMNS];
    int sortColumn_;
    HWND window_;
    int rowOffset_;
    int hOffset_;
    COLORREF lineColour_;
    HBRUSH background_;
    HBRUSH highlightBrush_;
    char titles_[TITLE_SIZE];
    bool initialised_;
};
