// Plays a stream address the user types or picks from the recent ones, in
// one of two kinds (RealAudio or MP3, Windows Media or MP3). OK remembers
// the address at the top of a short history under the player's key.
#pragma once

#include <windows.h>

#include "dialog_controls.h"
#include "facetkit_api.h"
#include "popup_wnd.h"

class cElementHost;
class cResourceManager;

class FACETKIT_API cUserStreamWnd : public cPopUpWnd {
public:
    enum { WIDTH = 300, HEIGHT = 200, ADDRESS_SIZE = 512 };
    enum { BUTTON_OK = 187, BUTTON_CANCEL = 226, RADIO_KIND_1 = 209, RADIO_KIND_2 = 207 };
    enum { HISTORY_ENTRIES = 11, HISTORY_LIMIT = 64 * 1024 };

    cUserStreamWnd(cElementHost* owner, HWND parent, cResourceManager* res);
    ~cUserStreamWnd() override;

    void OnPaint(HDC dc, PAINTSTRUCT& ps) override;
    void OnOk();
    void Close();

    int GetStreamKind();
    const char* GetAddress() const { return address_; }
    cSkinComboBox* GetCombo() { return combo_; }

    // A skinned button was pressed.
    void OnButton(unsigned long id);
    HBRUSH WhiteBrush() const { return white_; }

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void Remember();

    cElementHost* owner_;
    cResourceManager* res_;
    cSkinComboBox* combo_;
    bool focusGiven_;
    char address_[ADDRESS_SIZE];
    HBRUSH white_;
};
