// Subscribes a podcast by the address the user types: the feed is read
// through the host's download manager, kept as the podcast's feed file when
// it holds at least one episode, and the host is asked to add the podcast.
// An address that yields no episode is reported and the pop-up stays open
// for another try.
#pragma once

#include <windows.h>

#include "dialog_controls.h"
#include "facetkit_api.h"
#include "popup_wnd.h"

class cElementHost;
class cResourceManager;

class FACETKIT_API cPodcastUrlWnd : public cPopUpWnd {
public:
    enum { WIDTH = 300, HEIGHT = 176, ADDRESS_SIZE = 256 };
    enum { BUTTON_OK = 187, BUTTON_CANCEL = 226 };
    // The feed's size ceiling; a larger answer fails the download.
    enum { FEED_LIMIT = 999999 };
    // How long a download may hold the pop-up (its window stays answered).
    static constexpr DWORD kDownloadWaitMs = 60000;
    // How long a job may stay created without its thread beginning.
    static constexpr DWORD kStartWaitMs = 10000;

    cPodcastUrlWnd(cElementHost* owner, HWND parent, cResourceManager* res);
    ~cPodcastUrlWnd() override;

    void OnPaint(HDC dc, PAINTSTRUCT& ps) override;
    // Returns true when the podcast was handed to the host.
    bool Subscribe();
    void Close();

    cVLEditBox* GetAddressEdit() { return address_; }
    bool IsDownloading() const { return busy_; }

    // A skinned button was pressed.
    void OnButton(unsigned long id);
    HBRUSH WhiteBrush() const { return white_; }

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    // The feed at `url` (status 5 with the text, or the failing status).
    int Fetch(char* url, char** answer, unsigned long* received);
    void NotFound(const char* url);

    cElementHost* owner_;
    cResourceManager* res_;
    cVLEditBox* address_;
    bool focusGiven_;
    bool busy_;
    bool cancelled_;
    HBRUSH white_;
};

// Opens the pop-up on `parent` (the navigator window), runs it modally and
// deletes it.
FACETKIT_API void OpenPodcastUrlWnd(cElementHost* owner, HWND parent, cResourceManager* res);
