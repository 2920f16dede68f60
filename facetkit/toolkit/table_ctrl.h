// The skinned table of the navigator's list views (stations, timer entries,
// programme tips, podcasts): an element that owns a "Static" child window it
// subclasses and draws itself (header, lines, fixed first column, two
// skinned scroll bars). The owner window learns of clicks by posted
// messages; a few actions go to the host callback or the podcast feeds.
#pragma once

#include <windows.h>

#include "activeelement.h"
#include "facetkit_api.h"
#include "liste.h"
#include "skin_scrollbar.h"
#include "table_grid.h"
#include "tempfile.h"

class cResourceManager;
class cSkinWnd;

// Messages of the table (WM_USER + n).
constexpr UINT WM_TABLE_REBUILD = WM_USER + 100 + 24;        // 1124, wParam sortable
constexpr UINT WM_TABLE_ARROW_PRESSED = WM_USER + 119;       // 1143, lParam element id
constexpr UINT WM_TABLE_ARROW_RELEASED = WM_USER + 120;      // 1144, lParam element id
// Posted to the owner window (wParam as listed, lParam 0).
enum {
    TABLE_POST_FAVOURITE_REMOVE = 1126, TABLE_POST_FAVOURITE_ADD = 1127, TABLE_POST_DETAILS = 1128,
    TABLE_POST_PLAY = 1130, TABLE_POST_STATION_LINE = 1157, TABLE_POST_TIMER = 1174, TABLE_POST_DELETE = 1175,
    TABLE_POST_RECOMMEND = 1176, TABLE_POST_332 = 1177, TABLE_POST_TIP_LINE = 1187, TABLE_POST_PODCAST_LINE = 1194
};

// What the table needs of the windows around it beyond posted messages: the
// host callback, the main window's context menu and episode playback, and
// the navigator's remembered menu item. The views install theirs; the
// default reaches only the host callback.
class FACETKIT_API cTableEvents {
public:
    virtual ~cTableEvents() {}
    virtual int HostCallback(int code, int number, void* text);
    // Whether the main window (the menu's owner) exists.
    virtual bool HasMainWindow() { return false; }
    virtual int ShowContextMenu(HWND owner, int x, int y, int subMenu) { return 0; }
    virtual void SetContextItemId(cSkinWnd* owner, unsigned long id) {}
    virtual void PlayEpisode(int kind, const char* path, const char* title, int index) {}
};
FACETKIT_API void SetTableEvents(cTableEvents* events);
FACETKIT_API cTableEvents* TableEvents();

// Where a point of the table's window lies.
struct TableCell {
    int column = 0;
    int row = 0;
    int localX = 0;
    int localY = 0;
};

class FACETKIT_API cTableCtrl : public cActiveElement, public cScrollClient {
public:
    cTableCtrl(cSkinWnd* owner, cResourceManager* resources, int kind, RECT rect, unsigned long id);
    ~cTableCtrl() override;
    cTableCtrl(const cTableCtrl&) = delete;
    cTableCtrl& operator=(const cTableCtrl&) = delete;

    // The table whose child window this is, or null.
    static cTableCtrl* FromWindow(HWND window);

    void SetVisible(int visible) override;
    void SetRect(RECT rect, int option) override;
    void Show(HDC) override {}
    void Invalidate() override;
    HWND GetWindow() const override { return child_; }

    virtual void OnPaint(HWND window);
    virtual int GetTopRow() { return topRow_; }
    virtual void SetTopRow(int row);
    virtual int GetRowHeight() { return grid_.GetRowHeight(); }
    virtual int GetRowOffset() { return rowOffset_; }
    virtual int GetRowCount() { return grid_.GetLineCount(); }
    virtual void ScrollUpPressed();
    virtual void ScrollDownPressed();
    virtual void ScrollLeftPressed();
    virtual void ScrollRightPressed();
    virtual int GetRepeatInterval() { return repeatInterval_; }
    virtual void SetRepeatInterval(int ms) { repeatInterval_ = ms; }
    virtual int IsRepeating() { return repeating_; }
    virtual void SetRepeating(int on) { repeating_ = on; }
    virtual void ScrollUp(int step);
    virtual void ScrollDown(int step);
    virtual void ScrollLeft(int step);
    virtual void ScrollRight(int step);

    void AddText(const char* text, unsigned long id);
    void AddRow(const char* text, unsigned long parentId, unsigned long id);
    void SetColumnTitles(const char* titles);
    void Rebuild(int sortable);
    cTableLine* GetRowById(unsigned long id);

    void OnMouse(int x, int y, int code);
    int OnContextMenu(int x, int y);
    int CellFromPoint(int x, int y, TableCell* cell);
    void ToggleExpand(unsigned long rowId);
    int ExportM3U(unsigned long feed, int episode, char* path, size_t pathSize, int* index);
    int ExportASX(unsigned long feed, int episode, char* path, size_t pathSize, int* index);

    // Scroll client.
    void SetPosition(int pos, int vertical) override;
    int GetContentWidth() override;
    int GetContentHeight() override;
    int GetHPosition() override { return hPos_; }
    int GetVPosition() override { return grid_.GetRowHeight() * topRow_ + rowOffset_; }
    void OnScrollBarShown(HDC) override {}
    void Refresh(int full) override;

    int GetKind() const { return kind_; }
    cSkinWnd* GetOwner() const { return owner_; }
    cResourceManager* GetResources() const { return res_; }
    cTableGrid* GetGrid() { return &grid_; }
    cScrollBar* GetVScrollBar() const { return vBar_; }
    cScrollBar* GetHScrollBar() const { return hBar_; }
    int GetDragMode() const { return dragMode_; }
    int GetBorderColumn() const { return borderColumn_; }
    const TableEntries& GetTextEntries() const { return texts_; }
    cListe* GetRowEntries() { return &rows_; }
    // The timer's step scheduling, one WM_TIMER: returns the new interval
    // and the step it scrolls by.
    static int NextRepeat(int interval, int* step);

private:
    static LRESULT CALLBACK TableProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    // The element query of its lines (element_query.h).
    LRESULT AnswerLineQuery(int position, HWND asker);
    void StartRepeat(UINT_PTR timer);
    void StopRepeat();
    void OnRepeatTimer(UINT_PTR timer);
    void LayoutBars(int w, int h);
    void DispatchElement(unsigned long rowId, DWORD element);
    void LineClick(int row);
    void PlayEpisode(unsigned long rowId);
    int Export(bool m3u, unsigned long feed, int episode, char* path, size_t pathSize, int* index);
    void Post(UINT msg, WPARAM wParam);
    void EnsureBackground(int w, int h);

    int kind_;
    cResourceManager* res_;
    cSkinWnd* owner_;
    int repeatInterval_;
    int repeating_;
    HWND child_;
    cTableGrid grid_;
    TableEntries texts_;
    cListe rows_;
    cScrollBar* hBar_;
    cScrollBar* vBar_;
    int topRow_;
    int rowOffset_;
    int hPos_;
    int dragMode_;
    int borderColumn_;
    int dragX_;
    int dragY_;
    TableSurface background_;
    SIZE backgroundSize_;
    HBRUSH brush_;
};
