// The recording-source wizard: plays a test sound, makes the host switch
// its recording pipe through every capture device and every input, watches
// the peak levels the pipe reports and offers the input on which the sound
// came back clearly louder on the right than on the left.
//
// The search runs on a thread of its own. It never touches the pop-up
// object: it works on a job both share, reports names and the result by
// invalidating and posting to the pop-up's window, and checks the job's stop
// flag in every wait, so closing the pop-up mid-search ends it promptly.
// Every wait on the host is bounded; an answer that does not come counts the
// device or input as not qualifying.
#pragma once

#include <windows.h>

#include "facetkit_api.h"
#include "popup_wnd.h"

class cElementHost;
class cResourceManager;
class cWndButton;

// How long the search waits and how it measures. The defaults are the
// product's; tests lengthen the measurement (a loaded machine misses the
// short window) and shorten the bounds.
struct RecSourceSearchTiming {
    DWORD replyWaitMs;      // a list, a selection or a level read back
    DWORD measureStepMs;    // one step of the measurement
    int measureMinSteps;    // always measured this long
    int measureMaxSteps;    // longer while a channel is still silent
    DWORD closeWaitMs;      // closing the pop-up waits this long for the search
};
FACETKIT_API RecSourceSearchTiming DefaultRecSourceSearchTiming();
FACETKIT_API void SetRecSourceSearchTiming(const RecSourceSearchTiming& timing);

// Reads the input level the host last reported (status 44); false when
// there is none. By default the navigator's content view holds it.
typedef bool (*RecLevelReader)(int* level);
FACETKIT_API void SetRecLevelReader(RecLevelReader reader);   // null: the default

// An input qualifies when both channels carried sound and the right one
// clearly more (the test sound is louder on the right; a source that mixes
// or swaps the channels does not show it).
FACETKIT_API bool QualifiesAsRecSource(int left, int right);
// The first qualifying entry with the highest left level, in the order
// measured; -1 when none qualifies.
FACETKIT_API int ChooseRecSource(const int* left, const int* right, int count);

// Whether a search thread is still running (one per process).
FACETKIT_API bool IsRecSourceSearchRunning();

struct RecSourceSearchJob;

class FACETKIT_API cRecSourceSearchWnd : public cPopUpWnd {
public:
    enum { WIDTH = 274, HEIGHT = 252, NAME_SIZE = 512, LOG_SIZE = 1024 };
    enum { BUTTON_NEXT = 187, BUTTON_USE = 289, BUTTON_DONT_USE = 290, BUTTON_HELP = 286 };
    enum { STEP_PREPARE = 0, STEP_SEARCHING = 1, STEP_FOUND = 2, STEP_NOTHING = 3 };
    // Starts the search without changing the step.
    enum { WM_START_SEARCH = WM_USER + 1 };

    cRecSourceSearchWnd(cElementHost* owner, HWND parent, cResourceManager* res);
    ~cRecSourceSearchWnd() override;

    void RunMessageLoop() { MessageLoop(); }
    void OnPaint(HDC dc, PAINTSTRUCT& ps) override;

    void OnButton(unsigned long id);
    // Starts the search thread; false when one is already running.
    bool StartSearch();
    void EnterStep(int step);
    void Close();

    int GetStep() const { return step_; }
    const char* GetDeviceName() const { return device_; }
    const char* GetInputName() const { return input_; }
    int GetOfferedDevice() const { return offeredDevice_; }
    int GetOfferedInput() const { return offeredInput_; }
    // The search log of the last finished search.
    const char* GetSearchLog() const { return log_; }
    cWndButton* GetButton(unsigned long id);
    HBRUSH WhiteBrush() const { return white_; }

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void OnMeasureStart(long number);
    void OnPeakLevel(int left, int right);
    void OnSearchDone();
    void UseOffered();
    void ShowButton(unsigned long id, bool show);
    void PlaceButton(unsigned long id, int x, int y);
    // Stops the search thread (bounded) and lets go of its job.
    void EndSearch();

    cElementHost* owner_;
    cResourceManager* res_;
    int step_;
    char device_[NAME_SIZE];
    char input_[NAME_SIZE];
    int offeredDevice_;
    int offeredInput_;
    char log_[LOG_SIZE];
    HBRUSH white_;
    RecSourceSearchJob* job_;
    HANDLE thread_;
    bool accepting_;
};

// Runs the wizard modally over `parent` and deletes it afterwards.
FACETKIT_API void OpenRecSourceSearch(cElementHost* owner, HWND parent, cResourceManager* res);
