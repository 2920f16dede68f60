// The columns and lines of a table control: column widths, the header with
// its titles and sort arrow, the lines and their sub lines, per-cell tool
// tips and the off-screen surfaces the control's window is composed from.
// Widths and sort state are kept per table kind in the settings value
// "TAB<kind>".
#pragma once

#include <windows.h>

#include <cstddef>

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

    cListe* GetLines() { return &lines_; }
    cTableLine* GetLine(int index);
    unsigned long GetLineId(int index);
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
    void AddCellToolTip(const char* text, RECT cell);
    cListe* GetToolTips() { return &tips_; }
    int GetLastHovered() const { return lastHovered_; }
    cResourceManager* GetResources() const { return res_; }

private:
    void RecomputeTotal();
    void TipText(cTableLine* line, int column, char* out, size_t size);
    void PaintHeader();

    cSkinWnd* owner_;
    int widths_[TABLE_MAX_COLUMNS];
    int totalWidth_;
    int lastHovered_;
    cListe lines_;
    cListe tips_;
    cResourceManager* res_;
    TableSurface linesSurface_, headerSurface_, firstSurface_, highlight_;
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
