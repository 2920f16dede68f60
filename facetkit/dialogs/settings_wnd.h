// The player's options dialog: eight pages of settings behind a column of
// tabs. It edits a snapshot of the host's settings taken when it opens and
// writes the snapshot back only on OK; closing always has the host save,
// and changed connection data make the host restart the skin.
#pragma once

#include <windows.h>

#include "dialog_controls.h"
#include "facetkit_api.h"
#include "popup_wnd.h"

class cElementHost;
class cResourceManager;
class cWndButton;

class FACETKIT_API cSettingsWnd : public cPopUpWnd {
public:
    enum { WIDTH = 415, HEIGHT = 340, LAST_PAGE = 7, SLOTS = 4, LIST_SIZE = 512 };
    enum Page {
        PAGE_NONE = -1,
        PAGE_FORMATS = 0,
        PAGE_INTERNET = 1,
        PAGE_STREAM = 2,
        PAGE_CONNECTION = 3,
        PAGE_RECORDING = 4,
        PAGE_TIPS = 5,
        PAGE_GENERAL = 6,
        PAGE_PODCASTS = 7,
    };
    // Element ids of the frame.
    enum {
        TAB_FORMATS = 227, TAB_INTERNET = 228, TAB_STREAM = 229, TAB_CONNECTION = 230, TAB_RECORDING = 263,
        TAB_PODCASTS = 378, TAB_TIPS = 361, TAB_GENERAL = 231,
        BUTTON_OK = 187, BUTTON_CANCEL = 226, BUTTON_BACK = 224, BUTTON_NEXT = 225, BUTTON_HELP = 400,
    };
    // Element ids of the pages.
    enum {
        CHECK_AUTOSTART = 238, CHECK_CONTROL_CENTER = 239, CHECK_TOOLTIPS = 240, CHECK_AUTOUPDATE = 241,
        CHECK_NAV_ANIM = 297, CHECK_TRAY = 318, CHECK_RECONNECT = 237, CHECK_TIPS_UPDATE = 237,
        RADIO_BEST = 212, RADIO_SMALLEST = 213,
        CHECK_AUTH = 298, HINT_AUTH = 287, CHECK_HTTP_ONLY = 292, CHECK_PROXY = 293, HINT_PROXY = 286,
        BUTTON_DETECT_PROXY = 405,
        BUTTON_FOLDER = 264,
        LINK_WINDOWS_MEDIA = 207, LINK_MP3 = 208, LINK_REALAUDIO = 209,
        CHECK_RECORDING = 262, CHECK_SKIP_SILENCE = 320, CHECK_ADJUST_VOLUME = 1000, BUTTON_SOURCE_SEARCH = 397,
        HINT_DEVICE = 1001, HINT_AUTO_PAUSE = 321,
    };

    // Every setting the dialog edits, as read when it opened.
    struct Snapshot {
        short autoStart;
        int useControlCenter;
        short useToolTip;
        short useAutoUpdate;
        int bufferSize;
        short reconnectOnServerLost;
        int retryCount;
        short autoselectBandbreite;
        int internetaccess;
        int timeout;
        short alterNeueSender;
        int useRecording;
        int navAnimEnabled;
        int httpOnly;
        int proxyEnabled;
        char proxyHost[512];
        char proxyPort[512];
        char userNameAuth[100];
        char userPasswortAuth[100];
        int useAuthentify;
        char recordingDir[512];
        char podcastDir[512];
        int iconizeToTray;
        int recordSkipSilents;
        int adjustRecordVol;
        int recordingSourceAtOpen;
        int recordingDeviceAtOpen;
        int autoupdatePrgTipps;
        int deleteOldPrgTipps;
        int podAutoUpdate;
        int podAutoDownload;
        int podAutoDeleteFiles;
        int podDeletePodcasts;
    };

    // Builds and shows the pop-up on the media formats page; the caller runs
    // MessageLoop and deletes the object.
    cSettingsWnd(cElementHost* owner, HWND parent, cResourceManager* res, int guided);
    ~cSettingsWnd() override;

    void OnPaint(HDC dc, PAINTSTRUCT& ps) override;

    // Stores the current page's values, then builds `page` (-1: none).
    void ShowPage(int page);
    int GetPage() const { return page_; }
    const Snapshot& GetSnapshot() const { return snap_; }
    cSkinComboBox* GetCombo(int slot) const { return slot >= 0 && slot < SLOTS ? combo_[slot] : nullptr; }
    cVLEditBox* GetEdit(int slot) const { return slot >= 0 && slot < SLOTS ? edit_[slot] : nullptr; }
    cWndButton* GetButton(unsigned long id);
    int IsConnectionChanged() const { return connectionChanged_; }

    // How long the pages wait for the playback host's formats and for the
    // navigator's recording lists before they show what they have.
    static void SetWaitLimits(DWORD capabilitiesMs, DWORD listsMs);
    // Set while the recording-source search runs (most buttons are ignored).
    static int IsSourceSearchRunning();

private:
    enum { SLOT_A = 0, SLOT_B, SLOT_C, SLOT_D };

    static LRESULT CALLBACK SettingsProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnElement(unsigned long id);
    void OnComboSelChange(HWND combo);
    void OnOk();
    void OnCancel();
    void OnNext();
    void OnBack();
    void CloseWindow();

    void TakeSnapshot();
    cWndButton* AddButton(unsigned long id, unsigned long sprite, int x, int y, int group, int look);
    cWndButton* AddCheck(unsigned long id, int x, int y, bool ticked);
    void RemoveButton(unsigned long id);
    bool Ticked(unsigned long id);
    void SetGuidedButtons(int ok, int back, int next);
    void Chain(HWND window);
    cSkinComboBox* NewCombo(int slot, int x, int y, int width);
    cVLEditBox* NewEdit(int slot, int x, int y, int width, int password);
    void DestroyControls();
    // The number field's value in [low, high]; an entry that had to be
    // changed is told to the user afterwards.
    int ReadNumber(cVLEditBox* field, int low, int high, unsigned labelId);
    void ReadText(cVLEditBox* field, char* member, size_t size);
    // A typed folder into `member` when it can be one; otherwise `member`
    // stays and the user is told why.
    void ReadFolder(cVLEditBox* field, char* member, size_t size, unsigned labelId);
    void FlushNotices();

    void BuildPage(int page);
    void TearDownPage(int page);
    void BuildFormats();
    void BuildInternet();
    void BuildStream();
    void BuildConnection();
    void BuildRecording();
    void BuildTips();
    void BuildGeneral();
    void BuildPodcasts();
    void TearDownInternet();
    void TearDownRecording();
    void FillRecList(int slot, int which, int* offset, int* hasChoice, int* marked);
    // Waits (bounded, handling messages) for the host to confirm the device.
    void WaitDeviceTaken();

    void OnFieldSwitch(unsigned long id);
    void OnStreamChoiceRadio(unsigned long id);
    void DetectSystemProxy();
    void ChooseFolder();
    void SearchRecordingSource();

    void PaintTexts(HDC dc);
    void DrawLine(HDC dc, unsigned id, int x, int y, int font, bool wrapped, int bottom = 0, int right = 0);

    cElementHost* owner_;
    cResourceManager* res_;
    int guided_;
    int page_;
    int connectionChanged_;
    int building_;
    cSkinComboBox* combo_[SLOTS];
    cVLEditBox* edit_[SLOTS];
    char listText_[LIST_SIZE];
    Snapshot snap_;
    // The values at open: OK compares the connection data with them, and
    // Cancel puts back a proxy that Detect wrote into the host.
    Snapshot atOpen_;
    int proxyDetected_;
    HWND lastInChain_;
    // The recording page's list choices: the combo index of the host's first
    // entry (the Vista notice shifts it) and whether the host marked one.
    int inputOffset_, deviceOffset_;
    int inputHasChoice_, deviceHasChoice_;
    int inputChoice_, deviceChoice_;
    // The entries the host marked as current when the lists were read.
    int inputMarked_, deviceMarked_;
    // Whether this dialog handed an input or a device choice to the host.
    int sentInput_, sentDevice_;
    int capabilities_;
    char notices_[4096];
};
