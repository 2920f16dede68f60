// The navigator window's content view: which view kind it shows, its
// history, the recording overview's values that the host reports, its
// status line and the texts it builds its rows from. The view bodies that
// need the table control, the selection boxes and the text-list panel are
// built by those controls' owners; this class keeps everything they read.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "facetkit_api.h"
#include "nav_history.h"
#include "skin_wnd.h"

// A count of seconds as "hh:mm:ss" (hours not wrapped).
FACETKIT_API std::string NavTimeText(int seconds);
// The recorded size behind the remaining time (" |  %d,%02d MB", kB, Byte).
FACETKIT_API std::string NavRecordingSizeText(int64_t bytes);
// Text id of a recording state (0 ready .. 3 finished), 0 for others.
FACETKIT_API unsigned NavRecordingStateText(int state);
// The status line under a table view; empty where the kind shows none.
// `searching` while the host has not finished a search (kind 6).
FACETKIT_API std::string NavStatusLine(int kind, int rows, bool searching, int percent, const char* dateText,
                                       int language);
// Level of the main window's slider (0..127) and back.
FACETKIT_API int NavLevelFromValue(int value, int maximum);
FACETKIT_API int NavValueFromLevel(int level, int maximum);

// Row ids of the podcast table: a feed row carries the feed id, an episode
// row (feed id + 255) * 65536 + episode index. Feed ids from 0xFF00 on
// cannot be told apart from episode rows and get no row id (0).
FACETKIT_API uint32_t PodcastFeedRowId(unsigned long feedId);
FACETKIT_API uint32_t PodcastEpisodeRowId(unsigned long feedId, int index);
// True for an episode row id, with its feed id and episode index.
FACETKIT_API bool DecodePodcastRowId(uint32_t id, unsigned long* feedId, int* index);

class cTableCtrl;

class FACETKIT_API cNavView : public cSkinContentView {
public:
    cNavView(HWND navWindow, const RECT& rect);
    ~cNavView() override;
    cNavView(const cNavView&) = delete;
    cNavView& operator=(const cNavView&) = delete;

    // Shows a kind (2..12) or, with 0, the kind at the history position
    // again. `folded`: the navigator is folded away, only the history moves.
    void ShowView(int kind, int argument = 0);
    void Back();
    void Forward();
    int CurrentKind() const { return history_.Kind(); }
    int BuiltKind() const { return builtKind_; }
    cNavHistory& History() { return history_; }

    const RECT& Rect() const { return rect_; }
    // False when the rectangle is the one the view has.
    bool SetRect(const RECT& rect);
    void SetClosing(int closing) { closing_ = closing; }

    // The selected indices of the view's selection boxes in creation order.
    void SetSelectionsOnScreen(const int* values, int count);
    // The table's first visible row (kept while the table is painted).
    void SetFirstVisibleRow(int row) { history_.SetFirstRow(builtKind_, row); }

    // Status reports of the recording (codes 42, 44) and the peak levels.
    void SetRecordingInfo(int recorded, int size, int remaining, int state);
    void SetLevelSlider(int value, int maximum, int minimum);
    void SetRecordingFlag(int recording) { recording_ = recording; }
    void SetPeakLevels(int left, int right);
    int RecordedSeconds() const { return recorded_; }
    int RecordingState() const { return state_; }
    int LevelValue() const { return level_; }
    int LevelMaximum() const { return levelMax_; }
    int PeakLeft() const { return peakLeft_; }
    int PeakRight() const { return peakRight_; }
    // The texts of the overview's elements 271, 273 and 319.
    std::string RecordedText() const { return NavTimeText(recorded_); }
    std::string RemainingText() const { return NavTimeText(remaining_) + NavRecordingSizeText(size_); }

    // Hands the host the help page of the kind shown (code 10).
    void ShowHelp();
    int IsOverLink() override { return 0; }
    // Rows added by the table view now shown (status line).
    void SetRowCount(int rows) { rows_ = rows; }
    int RowCount() const { return rows_; }

    cTableCtrl* Table() const { return table_; }

private:
    void BuildTable(int kind, bool keepRow);
    void DropTable();

    HWND nav_;
    cTableCtrl* table_ = nullptr;
    RECT rect_;
    cNavHistory history_;
    int builtKind_ = 0;
    int onScreen_[cNavHistory::kSelections] = {};
    int onScreenCount_ = 0;
    volatile LONG closing_ = 0;
    int rows_ = 0;
    int recorded_ = 0, size_ = 0, remaining_ = 0, state_ = 0;
    int level_ = 0, levelMax_ = 0, levelMin_ = 0;
    int recording_ = 0;
    int peakLeft_ = 0, peakRight_ = 0;
    CRITICAL_SECTION lock_;
};
