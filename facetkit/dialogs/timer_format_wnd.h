// How a scheduled recording is recorded: with the program's default
// settings, or with the entry's own recording-quality profile, cut profile
// and MP3 quality. Writes the recording fields of the entry it was given on
// its own OK; Cancel writes nothing.
#pragma once

#include <windows.h>

#include "dialog_controls.h"
#include "facetkit_api.h"
#include "liste.h"
#include "popup_wnd.h"

class cElementHost;
class cResourceManager;
class cTimerEntry;
class cWndButton;

class FACETKIT_API cTimerFormatWnd : public cPopUpWnd {
public:
    enum { WIDTH = 276, HEIGHT = 238, NAME_SIZE = 1024 };
    enum { LIST_QUALITY = 0, LIST_CUT = 1 };
    enum {
        BOX_USE_DEFAULT = 0, BUTTON_EDIT_QUALITY = 1, BUTTON_EDIT_CUT = 2, BUTTON_EDIT_MP3 = 3, BUTTON_OK = 4,
        BUTTON_CANCEL = 5,
    };

    cTimerFormatWnd(cElementHost* owner, HWND parent, cResourceManager* res, cTimerEntry* entry);
    ~cTimerFormatWnd() override;

    void OnPaint(HDC dc, PAINTSTRUCT& ps) override;

    cSkinComboBox* GetList(int index);
    cWndButton* GetButton(unsigned long id);
    int GetUseDefault() const { return useDefault_; }
    int GetMp3Flag() const { return mp3_; }
    const char* GetCutName() const { return cutName_; }
    const char* GetQualityName() const { return qualityName_; }
    // The summary line as the last paint drew it.
    const char* GetSummary() const { return summary_; }
    // Resolves the values meaning "the program's default" as a paint does.
    void ResolveDefaults();

private:
    static LRESULT CALLBACK FormatProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    cSkinComboBox* AddList(int x, int y);
    cWndButton* AddButton(unsigned long id, unsigned long sprite, int x, int y, int look);
    void EnableButton(unsigned long id, bool enable);
    void LoadEntry();
    void SelectProfiles();
    void OnUseDefaultToggled();
    void OnSelectionChanged();
    void UpdateCutButton();
    void OnEditQuality();
    void OnEditCutProfile();
    void OnEditMp3Quality();
    void OnOk();
    void Close();

    cElementHost* owner_;
    cResourceManager* res_;
    cListe lists_;
    cTimerEntry* entry_;
    char cutName_[NAME_SIZE];
    char qualityName_[NAME_SIZE];
    unsigned long bitrate_;
    int channels_;
    int vbr_;
    int useDefault_;
    int mp3_;
    char summary_[128];
};
