// Stand-ins for the main and navigator windows until their own
// implementations land: real skinned windows of the right window classes
// that carry the skin's elements and take the status reports, and write
// the calls they cannot carry out yet to the host's log.
#pragma once

#include <windows.h>

#include "facetkit_api.h"
#include "skin_wnd.h"
#include "status_intake.h"

constexpr const char* kMainWindowClass = "tunerdeck Main Wnd Class";
constexpr const char* kNavWindowClass = "tunerdeck Nav Wnd Class";

// Message the start-up posts to the navigator when the user interface is
// ready (its start-up checks run then).
enum { WM_FK_NAV_STARTUP_CHECKS = 1196 };

class FACETKIT_API cMainWindowStandin : public cSkinWnd, public cStatusDisplay {
public:
    cMainWindowStandin();
    ~cMainWindowStandin() override;
    bool Create(HMODULE skinModule);
    LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

    void SetCurrentSelection(int channelId, const char* name);
    void PlayChannel(unsigned long channelId);

    // cStatusDisplay
    void SetStatusLine(const char* text, int connecting) override;
    void SetBufferValue(int value) override;
    void SetPlayState(int state) override;
    void SetVolume(int value, int maximum, int minimum) override;
    void SetTrackTitle(int index, const char* text) override;
    unsigned long GetStationId() override { return stationId_; }
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
    volatile LONG stationId_ = 0;
    volatile LONG searchFinished_ = 1;
    volatile DWORD runInfoStamp_ = 0;
};

class FACETKIT_API cNavWindowStandin : public cSkinWnd {
public:
    bool Create(HMODULE skinModule, HWND owner);
    LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
};
