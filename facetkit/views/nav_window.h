// The navigator window "tunerdeck Nav Wnd Class": the second skinned
// top-level window beside the main window. It owns the content view, turns
// its elements' clicks into view switches, searches and host calls, takes
// the private messages of the status intake and the downloads, keeps the
// host's replies to the recording-device and -input requests, and folds in
// and out with a stepped region animation.
#pragma once

#include <windows.h>

#include <cstdint>

#include "facetkit_api.h"
#include "win_handles.h"
#include "nav_view.h"
#include "skin_wnd.h"
#include "volume_slider.h"

constexpr const char* kNavigatorWindowClass = "tunerdeck Nav Wnd Class";

// Private messages of the navigator window.
enum {
    WM_NAV_DOCK_MOVED = 1125,
    WM_NAV_TOPLISTS = 1131,
    WM_NAV_LISTS = 1132,
    WM_NAV_LISTS_SPLASH = 1133,
    WM_NAV_PODCASTS = 1140,
    WM_NAV_CLICK = 1143,
    WM_NAV_RELEASE = 1144,
    WM_NAV_SLIDER_DRAG = 1147,
    WM_NAV_VIEW_ARG = 1157,
    WM_NAV_PLAYER_HINT = 1158,
    WM_NAV_SIZES = 1159,
    WM_NAV_NO_CONNECTION_HINT = 1160,
    WM_NAV_PEAKS = 1161,
    WM_NAV_LEVEL_REQUEST = 1162,
    WM_NAV_RECORDING_CHOICES = 1163,
    WM_NAV_SHOW_ELEMENT = 1164,
    WM_NAV_BUTTON_STATE = 1167,
    WM_NAV_VIEW_ARG2 = 1187,
    WM_NAV_TIPS_PROGRESS = 1188,
    WM_NAV_DB_PROGRESS = 1189,
    WM_NAV_PODCAST_ROW = 1194,
    WM_NAV_PODCAST_ROWS = 1195,
    WM_NAV_STARTUP_CHECKS = 1196,
    WM_NAV_QUALITY_LINE = 1197,
    // The recording values a host thread stored, shown on the window's thread.
    WM_NAV_RECORDING_INFO = WM_APP + 0x61,
    // The recording level a host thread stored, put on the slider.
    WM_NAV_LEVEL_SLIDER = WM_APP + 0x62,
};

// How long a request to the host for the recording devices or inputs is
// waited for before it counts as an empty list.
constexpr DWORD kNavReplyWaitMs = 3000;

class FACETKIT_API cNavWindow : public cSkinWnd, public cVolumeChangeTarget {
public:
    explicit cNavWindow(int bannerShown);
    ~cNavWindow() override;

    // Registers the class, creates the (hidden) window owned by `owner` and
    // joins the window list as window 6.
    bool Create(HMODULE skinModule, HWND owner);
    LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

    void Show(int show) { ShowWindow(GetWindow(), show ? SW_SHOW : SW_HIDE); }
    cNavView* GetNavView() const { return view_; }
    int IsCollapsed() const { return collapsed_; }
    // 1 while a station-database update it started runs.
    int IsDatabaseUpdateBusy() const { return updateRunning_; }
    int IsSliding() const { return sliding_; }

    // Sizes, region, content view and first view from the skin and host.
    void ApplySkinSizes();
    void LayoutPass();
    // Folds in or out (element 58); ExtendIfFolded for the main window.
    void Slide();
    void ExtendIfFolded();
    // Shows or hides every element of the window and of the content view's
    // panel but the slide button (58), around a slide.
    void SetElementsVisible(int show);
    HRGN RegionForState(int width, int height);

    // Replies to the recording-device and -input requests (statuses 43, 70),
    // from the host's worker threads.
    void SetRecDeviceList(const char* text);
    void SetRecSourceList(const char* text);
    // Copies the reply to the last request once it came, handling this
    // thread's messages meanwhile; false (and an empty text) after
    // `timeoutMs`. Without a request outstanding, the last reply at once.
    // A set `stop` (the caller's window was closed) ends the wait at once.
    bool WaitRecDeviceList(char* out, int size, DWORD timeoutMs = kNavReplyWaitMs,
                           const volatile LONG* stop = nullptr);
    bool WaitRecSourceList(char* out, int size, DWORD timeoutMs = kNavReplyWaitMs,
                           const volatile LONG* stop = nullptr);
    // Marks a request as sent (the next Wait waits for its reply).
    void ExpectRecDeviceList();
    void ExpectRecSourceList();

    void RunSearch(int fromForm, int marked);
    void SearchIfFormShown();
    void PageBack();
    void SetElementState(DWORD id, int value);
    void DatabaseUpdateProgress(int stage, int count);
    void TipsUpdateProgress(int stage, int count);
    void StartupChecks();
    void ToggleBanner();
    // The banner's top-left corner in the window, by the skin's banner kind.
    POINT GetBannerPos();
    // The banner takes `height` from now on: a skin with the banner on top
    // (kind 2) moves its navigator's elements and display down by what the
    // banner grew and places the window beside the main window again.
    virtual void OnBannerHeight(int height);
    // The user let go of the size grip: new size, layout, stored size.
    void OnEndResize();

    // A list row activated (content-view hits 27 and 28 give kind 0 and 1):
    // the row's entry id, the column's action and, in the skins view, its
    // text (display name, byte 5, file name).
    void RowAction(int kind, unsigned long entryId, int action, const char* rowText);
    // A row of the podcast table activated.
    void OnPodcastRowAction(uint32_t rowId);

    // The recording overview's level slider moved: the host sets the
    // recording level (0..127).
    void VolumeChanged(int value) override;

    int AutoScrollInterval() const { return scrollInterval_; }
    int HoveredEntry() const { return hoveredEntry_; }

private:
    // Requests are counted; a reply answers every request made before it,
    // and a wait ends once the request it waits for is answered. Writer and
    // readers copy under the lock, so no reader sees half a list.
    struct Reply {
        char text[512];
        LONG requested;
        LONG answered;
    };
    void OnClick(DWORD id);
    // A press on the content view (its rows, buttons and scroll bar); false
    // when nothing of the view is under the point.
    bool OnViewPress(cNavView* view, POINT pt);
    // Message 1163: the recording overview's format, quality and cut boxes
    // become the host's settings.
    void ApplyRecordingChoices();
    void ShowViewButton(int kind);
    void StartAutoScroll(DWORD id);
    void StopAutoScroll();
    void OnTimer(UINT_PTR id);
    void Paint();
    void ReleaseBackBuffer();
    void PaintFrame(HDC dc);
    void PaintBannerFrame(HDC dc);
    bool MainExists() const;
    // Beside the main window, at the skin's offset from its right edge.
    void PlaceBesideMain();
    HWND MainWindow() const;
    void UpdateDialog(bool tips, int stage, int count);
    void SetReply(Reply* reply, const char* text);
    void ExpectReply(Reply* reply);
    bool WaitReply(Reply* reply, char* out, int size, DWORD timeoutMs, const volatile LONG* stop);

    cNavView* view_ = nullptr;
    int collapsed_ = 1;
    int bannerShown_ = 0;
    HDC backDC_ = nullptr;
    HBITMAP backBitmap_ = nullptr;
    HGDIOBJ backOld_ = nullptr;
    int autoScrolling_ = 0;
    int thumbDrag_ = 0;
    int thumbOffset_ = 0;
    int scrollInterval_ = 100;
    int hoveredEntry_ = 0;
    int updateRunning_ = 0;
    int quietUpdate_ = 0;
    Reply device_ = {};
    Reply input_ = {};
    bk::CriticalSection replyLock_;
    SIZE frame_[21] = {};
    SIZE bannerFrame_[8] = {};
    int slideBottom_ = 0, slideWidth_ = 0, slideHeight_ = 0;
    int extentX_ = 0, extentY_ = 0, travel_ = 0;
    int sliding_ = 0;
    int lastSlideOffset_ = -1;
    int bannerHeight_ = 0, bannerWidth_ = 0;
    // The ground of the navigator's edit and list boxes (the skin's text-box
    // colour), made again when that colour changes.
    HBRUSH boxBrush_ = nullptr;
    COLORREF boxColour_ = 0;
};

// The yes/no questions of the navigator (title sprite 257, buttons 289 and
// 290): a seam so that tests answer without a modal loop; answers 1 for yes.
typedef int (*NavQuestionFn)(const char* text);
FACETKIT_API void SetNavQuestion(NavQuestionFn fn);
// Asks a yes/no question of the navigator; 1 for yes.
FACETKIT_API int NavAsk(const char* text);
// Set once the user chose another skin: the windows take no more hovers.
FACETKIT_API bool NavSkinChangePending();
// The playlist of an episode file: M3U (kind 1) or ASX (kind 2). False when
// it cannot be written.
FACETKIT_API bool WriteEpisodePlaylist(const char* path, int kind, const char* episodeFile, const char* title);

// The navigator while it lives (set when its sizes are first applied).
FACETKIT_API cNavWindow* NavWindow();
// Creates the navigator as start-up does: the object, its window on the
// skin module, owned by the main window. Null when the window cannot be
// created.
FACETKIT_API cNavWindow* CreateNavWindow(HMODULE skinModule, HWND owner, int bannerShown);
