// The editor of one timer entry: name, action, station, start date and
// times, repetition with its weekdays and end date, three options and the
// recording format. It edits a copy and writes it into the caller's entry
// only on OK (result 1); Cancel leaves the entry untouched (result 0). The
// callers save the timer list and talk to the scheduler.
#pragma once

#include <windows.h>

#include <vector>

#include "dialog_controls.h"
#include "facetkit_api.h"
#include "liste.h"
#include "popup_wnd.h"
#include "timerentry.h"

class cElementHost;
class cResourceManager;
class cWndButton;

class FACETKIT_API cTimerEntryWnd : public cPopUpWnd {
public:
    enum { WIDTH = 339, HEIGHT = 490 };
    // Edit fields and list boxes by their place in the editor's lists.
    enum { EDIT_NAME = 0, EDIT_START_HOUR, EDIT_START_MINUTE, EDIT_STOP_HOUR, EDIT_STOP_MINUTE };
    enum {
        LIST_ACTION = 0, LIST_STATION, LIST_START_DAY, LIST_START_MONTH, LIST_START_YEAR, LIST_REPEAT,
        LIST_WEEK, LIST_WEEKDAY, LIST_END_DAY, LIST_END_MONTH, LIST_END_YEAR,
    };
    // Element ids.
    enum {
        BOX_SUNDAY = 7, BOX_SHOW_NOTES = 8, BOX_ACTIVE = 9, BOX_OWN_FOLDER = 10, BOX_REPEAT_END = 14,
        BUTTON_OK = 288, BUTTON_CANCEL = 226, BUTTON_HELP = 286, BUTTON_FORMAT = 396,
    };

    // entry may be null: the editor then shows its defaults and OK closes.
    cTimerEntryWnd(cElementHost* owner, HWND parent, cResourceManager* res, cTimerEntry* entry);
    ~cTimerEntryWnd() override;

    void OnPaint(HDC dc, PAINTSTRUCT& ps) override;

    cVLEditBox* GetEdit(int index);
    cSkinComboBox* GetList(int index);
    cWndButton* GetButton(unsigned long id);
    // The entry as edited so far (the format pop-up writes into it).
    cTimerEntry* GetWorkingEntry() { return &work_; }
    int GetRepeatEndRow() const { return repeatEndRow_; }
    // The action code of each entry of the action list.
    const std::vector<int>& GetActionCodes() const { return actionCodes_; }
    const std::vector<int>& GetStartYears() const { return startYears_; }
    const std::vector<int>& GetEndYears() const { return endYears_; }

    // Whether the main window's skin has a record button (the action list
    // offers recordings only then); settable for tests.
    static void SetRecordButtonProbe(int (*probe)());

private:
    static LRESULT CALLBACK TimerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    cSkinComboBox* AddList(int x, int y, int width);
    cVLEditBox* AddEdit(int x, int y, int width, int maximum);
    cWndButton* AddButton(unsigned long id, unsigned long sprite, int x, int y, int look);
    void FillDayList(cSkinComboBox* list);
    void FillTextList(cSkinComboBox* list, unsigned first, unsigned last);
    void FillYearList(cSkinComboBox* list, const std::vector<int>& years);
    bool Ticked(unsigned long id);
    bool Visible(unsigned long id);
    void SetTicked(unsigned long id, bool ticked);
    int ChosenAction();
    int NumberOf(int editIndex);
    // The chosen index of a list (0 without the list), and the year it means.
    int Chosen(int list);
    int ChosenYear(const std::vector<int>& years, int list);

    void LoadEntry();
    void LoadTimes();
    void LoadRepetition();
    void UpdateActionControls();
    void UpdateRepeatControls();
    void OnRepeatEndToggled();
    // False (and the user told why) when a chosen date does not exist.
    bool CheckInput();
    void OnOk();
    void SaveTimes();
    void SaveRepetition();
    void Close();
    void OnHelp();
    void OnFormat();
    void Redraw();
    void DrawLabel(HDC dc, unsigned id, int x, int y, bool grey);
    void DrawLabelText(HDC dc, const char* text, int x, int y, bool grey);

    cElementHost* owner_;
    cResourceManager* res_;
    cListe edits_;
    cListe lists_;
    cTimerEntry* entry_;
    cTimerEntry work_;
    int ownStation_;
    cListe stations_;
    int repeatEndRow_;
    int recordFlag_;
    std::vector<int> actionCodes_;
    std::vector<int> startYears_;
    std::vector<int> endYears_;
    // The last edit field or list placed in the Tab order.
    HWND lastInChain_;
};
