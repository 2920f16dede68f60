// The navigator window's content view: which view kind it shows, its
// history, the recording overview's values that the host reports, its
// status line, and the controls of the view now shown (header buttons,
// selection boxes, the table or the text-list panel, the level slider and
// meters, the skin preview, the search form's name box).
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

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
class cTextListPanel;
class cScrollBar;
class cSkinComboBox;
class cWndButton;
class cPeakMeter;
class cSkinPreview;
class cVLEditBox;
class cVolumeSlider;
class cResourceManager;
class cPreviewOwner;

// Texts of the recording overview and the details view (built from the
// host's values; `language` is the user-interface language).
// "Aufnahme im Format: %s  |  Schneiden: %s".
FACETKIT_API std::string NavQualityFormatLine(const char* format, const char* cut, int language);
// "%s  |  %d kHz, %d Bit, %s" with mono or stereo.
FACETKIT_API std::string NavQualityValuesLine(const char* quality, int rate, int bits, int channels, int language);
// Profile names of "formate.ini" / "schneiden.ini" that name no language or
// this one, in file order.
FACETKIT_API std::vector<std::string> NavQualityProfiles(int language);
FACETKIT_API std::vector<std::string> NavCutProfiles(int language);
// A stream of the details view: its record (fields joined by 0x02: stream
// id, a second number, the bit rate, the format digit) as a play-row text.
FACETKIT_API std::string NavStreamRowText(const char* record, int language, unsigned long* streamId);
// The station name and the description inside the details' name text (the
// name between the first and second 0x02, the description after it).
FACETKIT_API std::string NavDetailsName(const char* nameText);
FACETKIT_API std::string NavDetailsDescription(const char* nameText);
// Word wraps a text to a width as the details view does: tabs as blanks,
// a line per CR or LF, each shortened at a blank until `fits` accepts it.
FACETKIT_API std::vector<std::string> NavWrapText(const std::string& text,
                                                  bool (*fits)(void* context, const char* line), void* context);
// One installed skin: its number in the scan, the row text and the file
// name the scan found (the row's text after 0x05 is that name, not one from
// the version texts, so a renamed skin still loads and a version text
// cannot point outside the folder).
struct NavSkinFile {
    int number;
    std::string text;
    std::string file;
};
FACETKIT_API std::vector<NavSkinFile> NavSkinFiles(const char* skinsFolder);
// The kind-10 filter box's entries.
FACETKIT_API std::vector<std::string> NavTipFilterTexts();

// What a press or a move found in the content view: the element the
// navigator acts on (1 play the held station, 22 the bar's thumb, 24 its
// track, 27 and 28 a row action of kind 0 and 1, 269 a part of the view
// that takes the click and does nothing; 0 nothing of the view), the row's
// entry id, the column's action and the row's text.
struct NavViewHit {
    DWORD element = 0;
    unsigned long entry = 0;
    int action = 0;
    std::string text;
};

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
    // The recording values come on the host's threads: they are stored
    // under the view's lock and shown on the window's thread.
    void SetRecordingInfo(int recorded, int size, int remaining, int state);
    // The stored recording values into the overview (the window's thread).
    void ShowRecordingInfo();
    void SetLevelSlider(int value, int maximum, int minimum);
    // The stored level onto the overview's slider (the window's thread).
    void ShowLevelSlider();
    void SetRecordingFlag(int recording) {
        recording_ = recording;
        ApplyRecordingFlag();
    }
    // A search runs (the status line shows its progress) until it ends.
    void SetSearching(int searching) { searching_ = searching; }
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

    // Shows or hides the view's own elements (around a slide): the panel,
    // the table, the name box, the level meters and slider, the selection
    // boxes and the buttons. A view built anew shows them again.
    void SetElementsVisible(int show);
    int ElementsShown() const { return !hidden_; }

    // Hands the host the help page of the kind shown (code 10).
    void ShowHelp();
    int IsOverLink() override { return overLink_; }
    // Hover (flag 4, 8 with the button held) or press test of the text-list
    // panel, then of its scroll bar.
    NavViewHit Check(POINT pt, HWND wnd, DWORD flag);
    // Scrolls the table or the panel by lines (down when positive); false
    // when the view has no list.
    bool ScrollLines(int lines);
    // The rows the view's list shows at once (0 without a list).
    int VisibleLines() const;
    cScrollBar* Bar() const { return bar_.get(); }
    // Rows added by the table view now shown (status line).
    void SetRowCount(int rows) { rows_ = rows; }
    int RowCount() const { return rows_; }

    cTableCtrl* Table() const { return table_; }
    cTextListPanel* Panel() const { return panel_.get(); }
    cSkinPreview* Preview() const { return preview_.get(); }
    cVLEditBox* NameBox() const { return nameBox_.get(); }
    cVolumeSlider* LevelSlider() const { return slider_; }
    cPeakMeter* Meter(int right) const { return meters_[right ? 1 : 0].get(); }
    // The view's selection boxes in creation order.
    int BoxCount() const { return static_cast<int>(boxes_.size()); }
    cSkinComboBox* Box(int index) const;
    // The view's own buttons (header and body); null when not shown.
    cWndButton* Button(unsigned long id) const;

    // Recording format, quality and values from the host (status 52).
    void SetQualityInfo(const char* format, const char* quality, int rate, int bits, int channels);
    // Message 1197: the quality lines of the recording overview.
    void UpdateQualityLine();
    // The chosen texts of the overview's format, quality and cut boxes.
    bool GetRecordingChoices(char* format, char* quality, char* cut, int size);
    // The texts the overview's labels and elements 271, 273, 319 show.
    std::string StateText() const;
    std::string FormatText() const;
    // Paints the labels and the status line of the view shown.
    void Paint(HDC dc);
    // The favourites folder chosen in the favourites view's folder box (and
    // its name); 0 for none and for the two fixed folders.
    unsigned long ChosenFolder(std::string* name = nullptr) const;
    // Element 186: asks and has the host delete the chosen folder.
    void DeleteFolderQuestion();
    // Stores the boxes' selections at the shown position (and, for the
    // search form, the typed name) before a search reads them.
    void CaptureForm();
    // The search form's boxes and name box show the stored criteria again
    // (after they were reset).
    void ResetSearchForm();

private:
    void BuildTable(int kind, bool keepRow);
    void DropTable();
    void DropElements();
    void BuildHeader();
    void BuildBody(int kind);
    void BuildRecordingBody();
    void BuildDetailsBody();
    void BuildSkinsBody();
    void BuildSearchForm();
    void BuildSelectionBoxes(int kind);
    void ApplyRecordingFlag();
    void ShowRecordingTexts();
    cResourceManager* Resources() const;
    cWndButton* AddButton(unsigned long id, unsigned sprite, int x, int y);
    // folderMenu: the favourites' folder box, whose right-click menu renames,
    // deletes and creates folders.
    cSkinComboBox* AddBox(int x, int y, int cx, const std::vector<std::string>& texts, int selected,
                          bool folderMenu = false);
    void MakePanel(unsigned background);
    int CurrentSelections(int* out) const;

    HWND nav_;
    cTableCtrl* table_ = nullptr;
    std::unique_ptr<cTextListPanel> panel_;
    std::unique_ptr<cScrollBar> bar_;
    std::vector<std::unique_ptr<cSkinComboBox>> boxes_;
    std::vector<std::unique_ptr<cWndButton>> buttons_;
    std::unique_ptr<cPeakMeter> meters_[2];
    std::unique_ptr<cSkinPreview> preview_;
    std::unique_ptr<cPreviewOwner> previewOwner_;
    std::unique_ptr<cVLEditBox> nameBox_;
    cVolumeSlider* slider_ = nullptr;
    volatile LONG searching_ = 0;
    // What the quality line shows; status 52 writes it on a host thread,
    // so it is copied whole under the lock.
    struct QualityFacts {
        std::string format = "WAV";
        std::string quality;
        int rate = 44100, bits = 16, channels = 2;
    };
    QualityFacts quality_;
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
    int overLink_ = 0;
    int hidden_ = 0;
    mutable CRITICAL_SECTION lock_;
};
