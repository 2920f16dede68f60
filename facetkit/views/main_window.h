// The player's main window: the small skinned top-level window with the
// display (station, title, stream facts, status line), the play, stop,
// volume and sound buttons, the time bar and the status symbol. It turns
// element clicks into host callbacks and takes the host's status reports.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "facetkit_api.h"
#include "skin_wnd.h"
#include "station_details.h"
#include "status_intake.h"
#include "volume_slider.h"

class cBufferView;
class cPodcastFeed;
class cResourceManager;
class cListe;

constexpr const char* kVelmoWinClass = "tunerdeck Main Wnd Class";

// Private messages of the main window (WM_USER + n).
enum : UINT {
    WM_MAIN_SCHEDULER_RELOAD = WM_USER + 100,
    WM_MAIN_DOCK_MOVED = WM_USER + 101,
    WM_MAIN_REMOVE_FAVOURITE = WM_USER + 102,
    WM_MAIN_ADD_FAVOURITE = WM_USER + 103,
    WM_MAIN_PLAY_CHANNEL = WM_USER + 106,
    WM_MAIN_PLAY = WM_USER + 112,
    WM_MAIN_STOP = WM_USER + 113,
    WM_MAIN_NEXT_TRACK = WM_USER + 114,
    WM_MAIN_PREVIOUS_TRACK = WM_USER + 115,
    WM_MAIN_USER_STREAM = WM_USER + 117,
    WM_MAIN_ELEMENT = WM_USER + 119,
    WM_MAIN_RECOMMEND_TIMER = WM_USER + 152,
    WM_MAIN_BUTTON_RELEASED = WM_USER + 120,
    WM_MAIN_VOLUME_KNOB = WM_USER + 123,
    WM_MAIN_SOUND = WM_USER + 124,
    WM_MAIN_LEVELS = WM_USER + 137,
    WM_MAIN_BUTTON_STATE = WM_USER + 143,
    WM_MAIN_TRAY_HAS_NEXT = WM_USER + 145,
    WM_MAIN_TRAY_HAS_PREVIOUS = WM_USER + 146,
    WM_MAIN_TRAY_PLAY_STATE = WM_USER + 147,
    WM_MAIN_TRAY_SOUND = WM_USER + 148,
    WM_MAIN_RESTORE = WM_USER + 149,
    WM_MAIN_RECORDING_STATE = WM_USER + 157,
    WM_MAIN_COMMAND_LINE = WM_USER + 159,
    WM_MAIN_TIMERS_CHANGED = WM_USER + 160,
    WM_MAIN_SHOW_VIEW = WM_USER + 175,
    WM_MAIN_ESCAPE = WM_APP + 3,
    // Status reports arrive on host threads; they are shown on the window's
    // own thread through these messages.
    WM_MAIN_REFRESH_DISPLAY = WM_USER + 0x300,
    WM_MAIN_APPLY_VOLUME = WM_USER + 0x301,
    WM_MAIN_APPLY_BUFFER = WM_USER + 0x302,
    WM_MAIN_STREAM_UPDATE = WM_USER + 0x303,
    // A timer entry (wParam its id) the user kept from interrupting the
    // running recording: it is switched off.
    WM_MAIN_TIMER_JOB_DECLINED = WM_USER + 0x304,
    // A selection made on another thread, shown on the window's.
    WM_MAIN_APPLY_SELECTION = WM_USER + 0x305,
    // A changed banner setting, applied by the navigator on the window's
    // thread.
    WM_MAIN_APPLY_NAV_BANNER = WM_USER + 0x306,
    // A second start's text that asks the user (lParam, a std::string the
    // handler deletes), carried out once its hand-over has returned.
    WM_MAIN_LINK_AFTER_HANDOVER = WM_USER + 0x307,
};

// Private messages others send the main window (the navigator's rows and
// buttons, the status intake, the start-up).
enum : UINT {
    WM_MAIN_SHOW_STATION_VIEW = WM_USER + 104,
    WM_MAIN_PLAY_STREAM = WM_USER + 105,
    WM_MAIN_DISPLAY_MENU = WM_USER + 111,
    WM_MAIN_NOTICE = WM_USER + 141,
    WM_MAIN_EDIT_TIMER = WM_USER + 150,
    WM_MAIN_DELETE_TIMER = WM_USER + 151,
    WM_MAIN_NEW_TIMER = WM_USER + 153,
    WM_MAIN_ASK_SHUTDOWN = WM_USER + 154,
    WM_MAIN_REMINDER = WM_USER + 155,
    WM_MAIN_RECORD_BUTTON = WM_USER + 158,
    WM_MAIN_ASK_DATABASE_UPDATE = WM_USER + 166,
    WM_MAIN_NOT_AROUND_THE_CLOCK = WM_USER + 167,
};

// Commands of the main window's accelerators and its own.
enum : UINT { CMD_ESCAPE = 32771, CMD_ENTER = 32772, CMD_ALT_F4 = 32773, CMD_DESTROY = 105 };
// Volume auto-repeat timers: one step down, one step up.
enum : UINT_PTR { TIMER_VOLUME_DOWN = 123, TIMER_VOLUME_UP = 456 };
constexpr UINT kVolumeRepeatMs = 10;
// Traywatch's window, and how often (100 ms apart) it is looked for after
// its start.
constexpr const char* kTraywatchClass = "vl_control_center_class";
constexpr int kTraywatchLookups = 10;
constexpr const char* kSchedulerClass = "clockwarden_class";

// Callback codes the main window sends to the host.
enum {
    CB_PLAY_CHANNEL = 1,
    CB_PLAY_STREAM = 2,
    CB_STOP = 3,
    CB_PAUSE = 4,
    CB_OPEN_URL = 5,
    CB_ADD_FAVOURITE = 7,
    CB_REMOVE_FAVOURITE = 8,
    CB_HELP = 10,
    CB_VOLUME = 12,
    CB_DETAILS = 14,
    CB_RESTART_UI = 16,
    CB_ERROR_REPORT = 18,
    CB_CONTACT = 19,
    CB_PLAY_TRACK = 22,
    CB_SEEK = 23,
    CB_BANNER_REFRESH = 26,
    CB_STOP_RECORDING = 39,
    CB_BANNER_CHANGED = 48,
    CB_REC_SOURCES = 42,
    CB_TIMER_LIST = 53,
    CB_PLAY_PATH = 72,
    CB_REC_DEVICES = 59,
};
constexpr int kSoundOnValue = static_cast<int>(0xFFFFFFFFu);
constexpr int kSoundOffValue = static_cast<int>(0xEFFFFFFFu);

// The most a WM_COPYDATA payload is read of (a protocol text and more).
constexpr size_t kCopyDataLimit = 64 * 1024;
// Tracks the track menu lists, and the length of a track's title there.
constexpr int kMaxTracks = 256;
constexpr size_t kTrackTitleSize = 200;

// Sizes of the display-text fields.
enum {
    kStationSize = 150,
    kTitleSize = 150,
    kArtistSize = 50,
    kBitrateSize = 20,
    kInfo55Size = 20,
    kInfo52Size = 20,
    kInfo56Size = 30,
    kInfo57Size = 30,
    kStatusSize = 200,
};

// What the window hands to other parts of the library (the protocol
// commands, the questions); each may be null. Tests put their own in.
struct MainWindowHooks {
    // WM_COPYDATA of a second start or of the scheduler: the kind (the
    // message's wParam), the record's dwData and the bytes (not terminated,
    // already bounded). 1 when taken.
    int (*copyData)(unsigned long kind, unsigned long dwData, const void* data, size_t size);
    // The start parameters the host left in "CmdLine" (on a worker thread).
    void (*startParams)(const char* text);
    // A yes/no question with a catalogue mark-up text: title sprite (0 none)
    // and a countdown in seconds whose end counts as yes (0 none); 1 yes.
    int (*question)(unsigned textId, unsigned titleSprite, int countdown);
    // Pop-ups of the menu, each run modally by the dialogs.
    void (*settings)();
    void (*about)();
    void (*subscribePodcast)();
    // The own-station editor for a station id (0: a new station).
    void (*ownStation)(unsigned long id);
    // The stream-address pop-up, which plays what it is given.
    void (*userStream)();
};
FACETKIT_API MainWindowHooks& MainHooks();

// Message 1181 may carry a private copy for the window to free; only copies
// recorded here are ever freed, so a foreign sender cannot make the window
// free an address of its choosing.
FACETKIT_API void TrackHandedCopy(const void* copy);
// Takes a copy back out of the record (when its message could not be sent);
// true when it was recorded.
FACETKIT_API bool UntrackHandedCopy(const void* copy);
// The same for the recording records handed to the host with code 38, which
// come back with the end of their recording.
FACETKIT_API void TrackHandedRecord(const void* record);
FACETKIT_API bool UntrackHandedRecord(const void* record);
// The timer entry ids of the records still out (-1: started by hand).
FACETKIT_API std::vector<int32_t> HandedRecordEntries();

// Station name of a station text: up to its second 0x02 when it has two,
// else the whole text; always cut to the field and terminated.
FACETKIT_API void StationNameFromText(const char* text, char* out, size_t size);

// Where a saved place puts the window: each axis beyond the desktop (a
// negative place saved unsigned included) starts at 0.
FACETKIT_API POINT PlaceOnDesktop(unsigned long savedX, unsigned long savedY);

class FACETKIT_API cVelmoWin : public cSkinWnd,
                               public cStatusDisplay,
                               public cVolumeChangeTarget,
                               public cStationDisplay {
public:
    cVelmoWin();
    ~cVelmoWin() override;

    // Registers the class, creates the hidden window sized by the skin's
    // main background and enters it in the window list (id 1).
    bool CreateMainWindow(HMODULE skinModule, cResourceManager* res, const char* title);
    // Once the skin placed its elements: sound on, "Ready".
    void InitState();
    // Writes the place and the docking state for the next start.
    void SavePosition();

    LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnPaint() override;
    void SetShowBuffer(int show) override;
    void SetShowStatusSym(int show) override { showStatusSym_ = show; }
    void UpdateDisplayStrings() override;
    void SelectCursor(cButtonListe* other) override;

    // Display.
    void SetElementText(const char* text, DWORD id);
    void SetElementVisible(int visible, DWORD id);
    void SetElementEnable(int value, DWORD id);
    void SetStationText(const char* text);
    void SetTitleText(const char* text);
    void SetArtistText(const char* text);
    void SetBitrateText(const char* text);
    void SetInfoText55(const char* text);
    void SetInfoText52(const char* text);
    void SetInfoText56(const char* text);
    void SetInfoText57(const char* text);
    void ShowStatusLine(const char* text, int connecting);
    int TrayQuery(UINT msg) const;

    // Element actions.
    void ElementAction(DWORD id);
    void SetCurrentSelection(int channelId, const char* name);
    // Every switch of station goes through these: the question while a
    // recording runs, the pressed buttons released, then the host.
    void PlayChannel(unsigned long channelId);
    void PlayStream(unsigned long streamId);
    // The host fills the station's details, the navigator shows them.
    void ShowStationView(unsigned long channelId);
    // 1 when the user lets the running recording end for a station change.
    int AskStationChange();
    void AskDatabaseUpdate();
    void PlayLastChannel();
    void ShowNotAroundTheClock();
    // Message 1179: the reminder the host left for this start.
    void ShowStartReminder();
    // Element 274: records the current station, or ends the recording.
    void RecordButton();
    // Message 1161: the level pictures in percent.
    void SetLevelPictures(int left, int right);
    // A podcast episode: kind 1 a playlist of addresses, 2 a playlist file;
    // `track` above 0 goes on to that track once playback runs.
    void PlayEpisode(int kind, const char* address, const char* title, int track);
    void PlayTrack(int number);
    void NextTrack() { PlayTrack(track_ + 1); }
    void PreviousTrack() {
        if (track_ > 0) PlayTrack(track_ - 1);
    }
    void ToggleSound();
    void OnVolumeChanged(int value);
    void VolumeChanged(int value) override { OnVolumeChanged(value); }
    void StepVolume(int step);
    void BeginVolumeDrag();
    void BeginTimeDrag();
    unsigned long PixelToPosition(int offset) const;
    int IsFavourite(unsigned long channelId) const;
    void AddFavourite(unsigned long folderId);
    void RemoveFavourite(unsigned long channelId);
    void PartnerLink();
    // Asks the host for the current station's details and shows them in
    // the navigator.
    void ShowStationDetails();
    void ShowTrackMenu();
    void SetRecording(int recording);
    int IsRecording() const { return recording_; }
    // The closing sequence: the questions, the podcast clean-up, the end of
    // the user-interface loop. 0 when the player stays open.
    int Close();
    void Minimize();
    void RestoreFromTray();
    int IsTraywatchStarted() const { return traywatchStarted_; }
    void StartCommandLineThread();
    // The feeds the close looks at (busy downloads, clean-up): a list of
    // cPodcastFeed; null for the library's podcast list.
    void SetPodcastFeeds(cListe* feeds) { podcastFeeds_ = feeds; }
    // Opens a sub-menu of "ContextMenu" at a screen point and carries out
    // the chosen command; 1 when a menu was shown.
    int ShowContextMenu(HWND owner, int x, int y, int subMenu);
    // The command of a sub-menu's entry (commands of menus without a
    // handler are ignored).
    void OnMenuCommand(int subMenu, UINT command);
    void OnMainMenuCommand(UINT command) { OnMenuCommand(0, command); }
    void ShowElementMenu(DWORD id);

    // State.
    int GetPlayState() const { return playState_; }
    int IsSoundOn() const { return soundOn_; }
    int IsConnecting() const { return connecting_; }
    int GetWaitCounter() const { return waitCounter_; }
    const char* GetStationField() const { return station_; }
    const char* GetTitleField() const { return title_; }
    const char* GetStatusField() const { return status_; }
    HDC GetBackBuffer() const { return backDc_; }

    // cStatusDisplay: called on host threads.
    void SetStatusLine(const char* text, int connecting) override;
    // Host threads: the buffer gauge in percent, shown on the window's turn.
    void SetBufferValue(int percent) override;
    cBufferView* GetBufferView() const { return buffer_; }
    void SetPlayState(int state) override;
    void SetVolume(int value, int maximum, int minimum) override;
    void SetTrackTitle(int index, const char* text) override;
    unsigned long GetStationId() override { return static_cast<unsigned long>(stationId_); }
    void SetSearchFinished(int finished) override;
    int IsSearchFinished() const { return searchFinished_ != 0; }
    void SetStreamInfo(unsigned long track, unsigned long count, unsigned long duration, const char* text1,
                       const char* text2) override;
    DWORD GetRunInfoFlag() override { return runInfoStamp_; }
    void SetRunInfoFlag(DWORD stamp) override { runInfoStamp_ = stamp; }
    int IsRunInfoHeld() override { return 0; }
    void SetRunInfo(unsigned long nominalRate, unsigned long position, unsigned long rate) override;
    void SetNavBannerHeight(int) override {}
    // The recording reports belong to the navigator and its content view.
    void SetRecDeviceList(const char* text) override;
    void SetRecSourceList(const char* text) override;
    void SetRecordingInfo(int recorded, int size, int remaining, int state) override;
    void SetLevelSlider(int value, int maximum, int minimum) override;
    void SetQualityInfo(const char* format, const char* quality, int rate, int bits, int channels) override;

    // cStationDisplay: the playing stream's model shows itself here, always
    // on the window's thread.
    void ShowStationLine(const char* text) override { SetStationText(text); }
    void ShowTrack(const char* text) override { SetInfoText52(text); }
    void ShowTitle(const char* text) override { SetTitleText(text); }
    void ShowArtist(const char* text) override { SetArtistText(text); }
    void ShowLastPlayed(const char* text) override;
    void ShowBitrate(const char* text) override { SetBitrateText(text); }
    void ShowTime(const char* text) override { SetInfoText56(text); }
    void EnableTimeSlider(int enable) override { SetElementEnable(enable, 46); }
    bool GetTimeKnobTravel(int* mostLeft, int* mostRight) override;
    void MoveTimeKnob(int left) override;
    void RedrawTimeBar() override;
    void SetTitleShown(int) override {}

    // The skinned window's operations the main window fills in.
    // A copy of the window's own region (the requested size is not read).
    HRGN CreateWindowRegion(int width, int height) override;
    // The close request of the skin (the extended-view button): the closing
    // sequence, never the base's removal of the object.
    void OnExtendButton() override { Close(); }
    // A message of a tray icon: a right-button release opens the tray menu
    // (sub-menu 2 of "ContextMenu") at the cursor; the chosen command, or 0.
    int ShowTrayMenu(UINT message);
    // A wheel turn over the main window scrolls the navigator's content view.
    void OnWheel(WPARAM wParam, LPARAM lParam);
    // The navigator applies a changed banner setting (INFO of a link), then
    // the host hears of it; on the window's thread.
    void ApplyNavigatorBanner();

private:
    // Edit and list children: the skin's text-box colours on the context,
    // and the library's shared brush (null before the start-up made it).
    HBRUSH ColourTextBox(HDC dc);
    void SetField(char* field, size_t size, const char* text, DWORD id);
    void ClearConnectingWhenPlaying();
    void InvalidateStatusSymbol();
    void DrawTimeBar(HDC dc);
    void DrawStatusSymbol(HDC dc);
    void OnButtonDown(LPARAM lParam);
    void OnButtonUp(LPARAM lParam);
    void OnMouseMove(LPARAM lParam);
    void UpdateSoundButton();
    // With logSteps the host's log gets the selection's last steps.
    void UpdateFavouriteButton(bool logSteps = false);
    void OnCommand(UINT command);
    LRESULT OnCopyData(WPARAM kind, const COPYDATASTRUCT* data);
    void OnRecordingCopy(WPARAM wParam, LPARAM lParam);
    void ReleasePressedButtons();
    // What host threads report for the stream model, applied in order on
    // the window's thread.
    struct StreamUpdate {
        int kind;  // 0 stream info, 1 run info, 2 title of a track
        unsigned long a, b, c;
        bool has1, has2;
        std::string text1, text2;
    };
    void QueueStreamUpdate(StreamUpdate update);
    void ApplyStreamUpdates();
    std::vector<cPodcastFeed*> Feeds();
    void CleanUpPodcasts(const std::vector<cPodcastFeed*>& feeds);
    cVolumeSlider* Slider();
    void EndVolumeRepeat();

    char station_[kStationSize];
    char title_[kTitleSize];
    char artist_[kArtistSize];
    char bitrate_[kBitrateSize];
    char info55_[kInfo55Size];
    char info52_[kInfo52Size];
    char info56_[kInfo56Size];
    char info57_[kInfo57Size];
    char status_[kStatusSize];

    // Written by host threads, read on the window's thread.
    CRITICAL_SECTION lock_;
    char pendingStatus_[kStatusSize];
    volatile LONG pendingHasText_;
    volatile LONG pendingConnecting_;

    volatile LONG stationId_;
    volatile LONG playState_;
    volatile LONG track_;
    volatile LONG trackCount_;
    volatile LONG duration_;
    volatile LONG searchFinished_;
    volatile DWORD runInfoStamp_;
    int connecting_;
    int waitCounter_;
    int soundOn_;
    int recording_;
    int menuOpen_;
    int timeDrag_;
    int volumeRepeat_;
    int showStatusSym_;
    int traywatchStarted_;
    cListe* podcastFeeds_;
    volatile LONG pendingVolume_[3];
    unsigned long shownPosition_;
    std::vector<StreamUpdate> streamUpdates_;
    std::string pendingSelectionName_;
    int pendingSelectionId_ = 0;
    DWORD lastVolumeTick_;
    DWORD lastSeekTick_;
    cBufferView* buffer_;
    volatile LONG pendingBuffer_;
    HDC backDc_;
    HBITMAP backBitmap_;
    HGDIOBJ backOld_;
};
