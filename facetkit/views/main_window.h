// The player's main window: the small skinned top-level window with the
// display (station, title, stream facts, status line), the play, stop,
// volume and sound buttons, the time bar and the status symbol. It turns
// element clicks into host callbacks and takes the host's status reports.
#pragma once

#include <windows.h>

#include "facetkit_api.h"
#include "skin_wnd.h"
#include "status_intake.h"

class cResourceManager;

constexpr const char* kVelmoWinClass = "tunerdeck Main Wnd Class";

// Private messages of the main window (WM_USER + n).
enum : UINT {
    WM_MAIN_DOCK_MOVED = WM_USER + 101,
    WM_MAIN_ADD_FAVOURITE = WM_USER + 103,
    WM_MAIN_PLAY_CHANNEL = WM_USER + 106,
    WM_MAIN_PLAY = WM_USER + 112,
    WM_MAIN_STOP = WM_USER + 113,
    WM_MAIN_NEXT_TRACK = WM_USER + 114,
    WM_MAIN_PREVIOUS_TRACK = WM_USER + 115,
    WM_MAIN_ELEMENT = WM_USER + 119,
    WM_MAIN_SOUND = WM_USER + 124,
    WM_MAIN_LEVELS = WM_USER + 137,
    WM_MAIN_TRAY_HAS_NEXT = WM_USER + 145,
    WM_MAIN_TRAY_HAS_PREVIOUS = WM_USER + 146,
    WM_MAIN_TRAY_PLAY_STATE = WM_USER + 147,
    WM_MAIN_TRAY_SOUND = WM_USER + 148,
    // Status reports arrive on host threads; they are shown on the window's
    // own thread through this message.
    WM_MAIN_REFRESH_DISPLAY = WM_USER + 0x300,
};

// Callback codes the main window sends to the host.
enum {
    CB_PLAY_CHANNEL = 1,
    CB_STOP = 3,
    CB_PAUSE = 4,
    CB_OPEN_URL = 5,
    CB_ADD_FAVOURITE = 7,
    CB_REMOVE_FAVOURITE = 8,
    CB_HELP = 10,
    CB_VOLUME = 12,
    CB_DETAILS = 14,
    CB_PLAY_TRACK = 22,
    CB_SEEK = 23,
    CB_STOP_RECORDING = 39,
};
constexpr int kSoundOnValue = static_cast<int>(0xFFFFFFFFu);
constexpr int kSoundOffValue = static_cast<int>(0xEFFFFFFFu);

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

// Station name of a station text: up to its second 0x02 when it has two,
// else the whole text; always cut to the field and terminated.
FACETKIT_API void StationNameFromText(const char* text, char* out, size_t size);

// Where a saved place puts the window: each axis beyond the desktop (a
// negative place saved unsigned included) starts at 0.
FACETKIT_API POINT PlaceOnDesktop(unsigned long savedX, unsigned long savedY);

class FACETKIT_API cVelmoWin : public cSkinWnd, public cStatusDisplay {
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
    void SetShowBuffer(int) override {}
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
    void PlayChannel(unsigned long channelId);
    void PlayTrack(int number);
    void NextTrack() { PlayTrack(track_ + 1); }
    void PreviousTrack() {
        if (track_ > 0) PlayTrack(track_ - 1);
    }
    void ToggleSound();
    void OnVolumeChanged(int value);
    unsigned long PixelToPosition(int offset) const;
    void Close();
    // Opens a sub-menu of "ContextMenu" at a screen point and carries out
    // the chosen command; 1 when a menu was shown.
    int ShowContextMenu(HWND owner, int x, int y, int subMenu);
    void OnMainMenuCommand(UINT command);
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
    void SetBufferValue(int) override {}
    void SetPlayState(int state) override;
    void SetVolume(int, int, int) override {}
    void SetTrackTitle(int, const char*) override {}
    unsigned long GetStationId() override { return static_cast<unsigned long>(stationId_); }
    void SetSearchFinished(int finished) override { searchFinished_ = finished; }
    void SetStreamInfo(unsigned long track, unsigned long count, unsigned long duration, const char* text1,
                       const char* text2) override;
    DWORD GetRunInfoFlag() override { return runInfoStamp_; }
    void SetRunInfoFlag(DWORD stamp) override { runInfoStamp_ = stamp; }
    int IsRunInfoHeld() override { return 0; }
    void SetRunInfo(unsigned long, unsigned long, unsigned long) override {}
    void SetNavBannerHeight(int) override {}
    void SetRecDeviceList(const char*) override {}
    void SetRecSourceList(const char*) override {}
    void SetRecordingInfo(int, int, int, int) override {}
    void SetLevelSlider(int, int, int) override {}
    void SetQualityInfo(const char*, const char*, int, int, int) override {}

private:
    void SetField(char* field, size_t size, const char* text, DWORD id);
    void ClearConnectingWhenPlaying();
    void InvalidateStatusSymbol();
    void DrawTimeBar(HDC dc);
    void DrawStatusSymbol(HDC dc);
    void OnButtonDown(LPARAM lParam);
    void OnButtonUp(LPARAM lParam);
    void OnMouseMove(LPARAM lParam);
    void UpdateSoundButton();
    void UpdateFavouriteButton();

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
    DWORD lastVolumeTick_;
    DWORD lastSeekTick_;
    HDC backDc_;
    HBITMAP backBitmap_;
    HGDIOBJ backOld_;
};
