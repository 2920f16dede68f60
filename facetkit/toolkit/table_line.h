// One line of a table: the column texts of a list entry, the row element
// that draws its first column and carries its buttons, its sub lines (the
// episodes under a podcast) and how it is painted and sorted. The column
// header of a table is a line too. Also the per-cell tool tip and the bridge
// to the podcast feeds of the list store.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "facetkit_api.h"
#include "liste.h"
#include "podcast_feed.h"
#include "rows_base.h"

class cCellRowElement;
class cTimerRowElement;
class cPodcastRowElement;
class cResourceManager;
class cSkinWnd;
class cTableGrid;
class cTableLine;
class cVelmoSkinData;

// Table kinds (any other value is a station list).
enum { TABLE_TIMERS = 4, TABLE_TIPS = 8, TABLE_PODCASTS = 16 };
enum { TABLE_MAX_COLUMNS = 20 };
// Ids of shown sub lines lie above this.
constexpr unsigned long kSubLineIdBase = 0xFF0000;
// The largest parent id whose sub-line ids stay unique in 32 bits.
constexpr unsigned long kMaxExpandableId = 0xFFFF - 0xFF;

inline unsigned long SubLineId(unsigned long parentId, unsigned long subId) {
    return static_cast<unsigned long>(static_cast<uint32_t>(parentId * 65536u + kSubLineIdBase + subId));
}
inline bool IsSubLineId(unsigned long id) { return id > kSubLineIdBase; }
inline unsigned long ParentOfSubLine(unsigned long id) { return (id >> 16) - 255; }
inline int SubIndexOf(unsigned long id) { return static_cast<int>(id & 0xFFFF); }

// What the table asks of the podcast feeds (looked up by feed id on every
// call: a feed may be deleted while its line is still shown). The views
// install it; without one every podcast action does nothing.
class FACETKIT_API cTablePodcasts {
public:
    virtual ~cTablePodcasts() {}
    virtual bool HasFeed(unsigned long feed) = 0;
    virtual int IsSubscribed(unsigned long feed) = 0;
    virtual void SetSubscribed(unsigned long feed, int subscribed) = 0;
    virtual bool IsExpanded(unsigned long feed) = 0;
    virtual void SetExpanded(unsigned long feed, int expanded) = 0;
    virtual bool IsBusy(unsigned long feed) = 0;
    virtual bool HasNewEpisodes(unsigned long feed) = 0;
    virtual bool IsEpisodeDownloading(unsigned long feed, int episode) = 0;
    virtual bool IsEpisodeDownloaded(unsigned long feed, int episode) = 0;
    virtual bool IsEpisodeNew(unsigned long feed, int episode) = 0;
    // Binds an episode (0: the feed itself) to the line that shows it, or
    // unbinds it (null).
    virtual void SetEpisodeRow(unsigned long feed, int episode, cTableLine* line) = 0;
    virtual void ClearRows() = 0;
    virtual bool GetUrl(unsigned long feed, char* buffer, size_t size) = 0;
    virtual void StartDownload(unsigned long feed, int episode) = 0;
    virtual void CancelEpisodeDownload(unsigned long feed, int episode) = 0;
    virtual int DeleteWithConfirm(unsigned long feed, int episode) = 0;
    virtual void IncPlayCount(unsigned long feed, int episode) = 0;
    virtual bool GetEpisodeFilePath(unsigned long feed, int episode, char* buffer, size_t size) = 0;
    // Seconds, -1 when the file is missing.
    virtual int GetEpisodeDuration(unsigned long feed, int episode) = 0;
    // episode 0: the feed's own title.
    virtual bool GetTitle(unsigned long feed, int episode, char* buffer, size_t size) = 0;
};
// null puts back the default, which reaches the library's podcast feeds.
FACETKIT_API void SetTablePodcasts(cTablePodcasts* podcasts);
FACETKIT_API cTablePodcasts* TablePodcasts();

// The pieces of a list text: split at 0x00 and 0x01, ending at the end of
// the buffer, at a piece that starts with 0x05, or after 20 pieces. The
// buffer's separators become NULs; returns the count.
FACETKIT_API int SplitColumns(char* text, size_t length, char* columns[TABLE_MAX_COLUMNS]);
// One piece of a list text as SplitColumns would cut it, read in place:
// null when the text has no such column.
FACETKIT_API const char* FindColumn(const char* text, size_t length, int column, size_t* columnLength);

// The order of two column texts: numeric (atoi) or by the user's locale;
// a missing text sorts first. Descending negates.
FACETKIT_API int CompareColumnTexts(const char* a, const char* b, int numeric, int descending);

// The timer list's date cell ("YYYY" 0x02 "MM" 0x02 "DD" 0x02 "hh" 0x02 "mm"
// [0x02 "hh" 0x02 "mm"]) as the catalogue's date-and-time text.
FACETKIT_API void FormatTimerDateCell(const char* cell, int language, char* out, size_t size);

class FACETKIT_API cTableLine : public cListElement, public cPodcastRow {
public:
    cTableLine();
    ~cTableLine() override;
    cTableLine(const cTableLine&) = delete;
    cTableLine& operator=(const cTableLine&) = delete;

    void SetKind(int kind) { kind_ = kind; }
    int GetKind() const { return kind_; }
    void SetOwner(HWND owner) { owner_ = owner; }
    HWND GetOwner() const { return owner_; }
    void SetSkinData(cVelmoSkinData* skin) { skin_ = skin; }
    void SetResources(cResourceManager* res) { res_ = res; }
    void MarkAsHeader() { header_ = 1; }
    int IsHeader() const { return header_; }
    void SetParentId(unsigned long id) { parentId_ = id; }
    unsigned long GetParentId() const { return parentId_; }

    int IsOpen() const { return open_ == 1; }
    cListe* GetSubLines() { return &subLines_; }
    cCellRowElement* GetRow() const { return row_; }
    cTimerRowElement* GetTimerRow() const;
    cPodcastRowElement* GetPodcastRow() const;

    enum { FEED_TEXT_SIZE = 256 };
    // The feed writes the duration or download state into a column (cut to
    // 255 characters).
    void SetColumnText(int index, const char* text) override;
    char* GetColumnText(int index) const;
    int GetColumnCount() const { return count_; }
    void ClearColumns();

    // Takes a copy of `length` bytes of the text, splits it into columns
    // and builds the row element for the kind.
    void SetData(const char* text, size_t length, int viewValue, int withButtons);
    // A station line's buttons are made when it is first painted or
    // clicked: a directory's table has tens of thousands of lines, of which
    // a page is ever seen. Whether it is a favourite is looked up then.
    void EnsureButtons();
    // Takes another entry of a station list into a line that has left the
    // view, keeping its row element and buttons (and their tips) when they
    // fit: the same favourite state. False leaves the line as it was.
    bool Refill(unsigned long id, const char* text, size_t length, int viewValue);
    void AddSubLine(cTableLine* sub);
    // Shows (1) or hides the sub lines in the grid's lines, behind this one.
    void Expand(int state, cTableGrid* grid);
    void TakeOver(cTableLine* from);
    RowHit Click(int skip, POINT pt, DWORD flag, HWND wnd);
    int LeaveHover();
    void RemoveToolTips();
    void PaintCell(HDC dc, int column, int x, int y, int width, int height, int offsetY, int selected, int extra);

private:
    void DropRow();

    char* columns_[TABLE_MAX_COLUMNS];
    int count_;
    cVelmoSkinData* skin_;
    cCellRowElement* row_;
    HWND owner_;
    int viewValue_;
    int kind_;
    int header_;
    cListe subLines_;
    int open_;
    cTableGrid* grid_;
    unsigned long parentId_;
    cResourceManager* res_;
    std::vector<char> text_;
    bool buttonsPending_ = false;
    // Texts the feed sets from its download threads while the line is
    // painted: each column's buffer is made once and only overwritten, so a
    // reader may see a half-new text but never freed memory.
    std::unique_ptr<char[]> feedTexts_[TABLE_MAX_COLUMNS];
};

// One cell's tool tip in the owner window's tool-tip control.
class FACETKIT_API cTableCellTip : public cListElement {
public:
    cTableCellTip(cSkinWnd* owner, HWND window);
    ~cTableCellTip() override;
    cTableCellTip(const cTableCellTip&) = delete;
    cTableCellTip& operator=(const cTableCellTip&) = delete;

    void SetTip(const char* text, int left, int top, int right, int bottom);
    const char* GetTipText() const { return text_; }
    RECT GetTipRect() const { return info_.rect; }

private:
    cSkinWnd* owner_;
    HWND window_;
    TOOLINFOA info_;
    char text_[1024];
    bool registered_;
};
