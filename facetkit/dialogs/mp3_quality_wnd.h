// The MP3 quality (bit rate, stereo or joint stereo, variable bit rate). The
// base form stores it as the player's settings the encoder reads; the choice
// form hands it back to a timer entry's caller and stores nothing.
#pragma once

#include <windows.h>

#include "dialog_controls.h"
#include "facetkit_api.h"
#include "liste.h"
#include "popup_wnd.h"

class cElementHost;
class cResourceManager;

class FACETKIT_API cMp3QualityWnd : public cPopUpWnd {
public:
    enum { WIDTH = 210, HEIGHT = 185 };
    enum { BOX_VBR = 1, BUTTON_CANCEL = 226, BUTTON_HELP = 286, BUTTON_SAVE = 288 };
    enum { LIST_BITRATE = 0, LIST_CHANNELS = 1, RATE_COUNT = 14, DEFAULT_ENTRY = 5 };

    cMp3QualityWnd(cElementHost* owner, HWND parent, cResourceManager* res);
    ~cMp3QualityWnd() override;

    void OnPaint(HDC dc, PAINTSTRUCT& ps) override;
    virtual void StoreSetting(const char* key, unsigned long value);
    virtual void StoreSetting(const char* key, const char* text);

    cSkinComboBox* GetList(int index);
    static int RateOf(int index);
    // The entry of a bit rate, or -1.
    static int EntryOf(unsigned long rate);

protected:
    static LRESULT CALLBACK Mp3Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void OnSave();
    void Close();

    cElementHost* owner_;
    cResourceManager* res_;
    cListe lists_;
    HBRUSH white_;
};

class FACETKIT_API cMp3QualityChoiceWnd : public cMp3QualityWnd {
public:
    // Values: bit rate (0 = as stored), channel mode (0 stereo, 1 joint
    // stereo, -1 as stored), VBR (0, 1, -1 = the player's setting).
    cMp3QualityChoiceWnd(cElementHost* owner, HWND parent, cResourceManager* res, int* bitRate, int* channelMode,
                         int* vbr);
    void StoreSetting(const char* key, unsigned long value) override;
    void StoreSetting(const char* key, const char* text) override;

private:
    int* bitRate_;
    int* channelMode_;
    int* vbr_;
};

namespace dlgs {
// Fills the MP3 choice slot of Openers() with the choice form.
FACETKIT_API void InstallMp3ChoiceOpener();
}
