// The host's status reports (ReceiveStatus and the four stream and level
// exports), arriving on host threads: window effects are posted messages;
// the display updates go to the display the main window registers, which
// must carry them to its own thread in the order received.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "facetkit_api.h"

// Messages this intake posts to the windows.
enum {
    WM_FK_SEARCH_FINISHED = 1133,
    WM_FK_LISTS_REFRESH = 1140,
    WM_FK_PLAYBACK_ENDED = 1142,
    WM_FK_NAV_RECORD_STATE = 1158,
    WM_FK_NAV_BANNER_HEIGHT = 1159,
    WM_FK_NAV_RECORD_STOPPED = 1160,
    WM_FK_PEAK_LEVEL = 1161,
    WM_FK_NAV_REC_SOURCE = 1162,
    WM_FK_RECORD_NOTICE = 1165,
    WM_FK_RECORD_START_INFO = 1181,
    WM_FK_WAV_PROGRESS = 1185,
    WM_FK_NAV_TIPS_PROGRESS = 1188,
    WM_FK_NAV_DB_PROGRESS = 1189,
    WM_FK_UPDATE_NOTICE_A = 1190,
    WM_FK_UPDATE_NOTICE_B = 1191,
};

// The record of status 60: the window at byte 0, wParam at 2052, lParam at
// 2056 (32-bit words; handles travel sign-extended).
struct WavProgressRecord {
    int32_t window;
    char text[2048];
    int32_t wParam;
    int32_t lParam;
};
static_assert(sizeof(WavProgressRecord) == 2060, "status 60 record");

// Size of the private copy code 47 hands the main window (freed with delete[]).
constexpr size_t kStatusCopySize = 1024;
// Reports closer than this to the main window's time stamp are dropped.
constexpr DWORD kRunInfoQuietMs = 400;

// What the main and navigator windows show for the host's reports. Called
// on host threads.
class cStatusDisplay {
public:
    virtual ~cStatusDisplay() {}
    // Main window.
    virtual void SetStatusLine(const char* text, int connecting) = 0;   // null text: redraw only
    virtual void SetBufferValue(int value) = 0;
    virtual void SetPlayState(int state) = 0;
    virtual void SetVolume(int value, int maximum, int minimum) = 0;
    virtual void SetTrackTitle(int index, const char* text) = 0;
    virtual unsigned long GetStationId() = 0;
    virtual void SetSearchFinished(int finished) = 0;
    virtual void SetStreamInfo(unsigned long track, unsigned long count, unsigned long duration, const char* text1,
                               const char* text2) = 0;
    // The main window's time stamp (0 none) and hold flag for run info.
    virtual DWORD GetRunInfoFlag() = 0;
    virtual void SetRunInfoFlag(DWORD stamp) = 0;
    virtual int IsRunInfoHeld() = 0;
    virtual void SetRunInfo(unsigned long nominalRate, unsigned long position, unsigned long rate) = 0;
    // Navigator (only called while it exists).
    virtual void SetNavBannerHeight(int height) = 0;
    virtual void SetRecDeviceList(const char* text) = 0;
    virtual void SetRecSourceList(const char* text) = 0;
    virtual void SetRecordingInfo(int a, int b, int c, int d) = 0;
    virtual void SetLevelSlider(int value, int maximum, int minimum) = 0;
    virtual void SetQualityInfo(const char* text1, const char* text2, int a, int b, int c) = 0;
};

// The main window registers its display when it is built and removes it
// (null) before it goes; removal waits for a report being handled.
FACETKIT_API void SetStatusDisplay(cStatusDisplay* display);

struct StatusFlags {
    volatile LONG connecting;
    volatile LONG wizardAck1;
    volatile LONG wizardAck2;
    HWND wizardWindow;
};
FACETKIT_API StatusFlags& GetStatusFlags();

// Shows the text of status 11; a message box on a thread of its own by
// default, so the host's thread is never held by the user. Tests put a
// sink of their own in.
typedef void (*StatusMessageSink)(const char* text, const char* caption);
FACETKIT_API void SetStatusMessageSink(StatusMessageSink sink);
// The window-title text (caption of status 11).
FACETKIT_API void SetProductTitle(const char* title);
FACETKIT_API const char* GetProductTitle();

// Splits "a|b|c" into up to `count` numbers; missing parts count 0.
FACETKIT_API void SplitNumbers(const char* text, int* out, int count);
