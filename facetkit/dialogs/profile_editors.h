// The editors of the named recording profiles: cut profiles (schneiden.ini)
// and recording qualities (formate.ini). Each comes in two forms: the base
// form makes the saved profile the player's current one, the choice form
// hands the saved name back to its caller and leaves the player alone.
#pragma once

#include <windows.h>

#include "dialog_controls.h"
#include "facetkit_api.h"
#include "liste.h"
#include "popup_wnd.h"

class cElementHost;
class cResourceManager;
class cWndButton;

namespace dlgs {
// What the profile editors ask of others; a test may answer instead.
struct ProfileEditorHooks {
    // 1 when the user confirms the (already formatted) question.
    int (*confirm)(cElementHost* owner, HWND parent, cResourceManager* res, const char* text);
    // The hint pop-ups behind the help buttons.
    void (*help)(int kind, cElementHost* owner, HWND parent, cResourceManager* res);
};
enum { HELP_REC_QUALITY = 1, HELP_MP3_QUALITY = 2 };
FACETKIT_API ProfileEditorHooks& ProfileHooks();
// Whether the help buttons open the hint pop-ups (installed at start-up).
FACETKIT_API bool ProfileHelpInstalled();
// Fills the choice-editor slots of Openers() with the editors below.
FACETKIT_API void InstallProfileEditorOpeners();
// A profile name as it can go into an INI file: blanks at both ends dropped.
// False (and nothing stored) when it holds "[" or "]" or begins with ";".
FACETKIT_API bool CleanProfileName(const char* typed, char* out, int size);
}  // namespace dlgs

class FACETKIT_API cCutProfileWnd : public cPopUpWnd {
public:
    enum { WIDTH = 225, HEIGHT = 241, NAME_SIZE = 1024 };
    enum { BUTTON_DELETE = 186, BOX_OWN_FOLDER = 214, BUTTON_CANCEL = 226, BUTTON_SAVE = 288 };
    enum { VALUE_MIN = 1, VALUE_MAX = 1000 };

    cCutProfileWnd(cElementHost* owner, HWND parent, cResourceManager* res, char* profileName);
    ~cCutProfileWnd() override;

    void OnPaint(HDC dc, PAINTSTRUCT& ps) override;
    virtual void StoreProfile(const char* name);

    cSkinComboBox* GetTypeList() { return type_; }
    cVLEditBox* GetValueEdit() { return value_; }
    cVLEditBox* GetNameEdit() { return name_; }

protected:
    static LRESULT CALLBACK CutProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void SuggestName();
    void OnSave();
    void OnDelete();
    void Close();

    cElementHost* owner_;
    cResourceManager* res_;
    char openedName_[NAME_SIZE];
    cSkinComboBox* type_;
    cVLEditBox* value_;
    cVLEditBox* name_;
    HBRUSH white_;
};

class FACETKIT_API cCutProfileChoiceWnd : public cCutProfileWnd {
public:
    // `buffer` (NAME_SIZE bytes) names the profile shown and receives the
    // saved one.
    cCutProfileChoiceWnd(cElementHost* owner, HWND parent, cResourceManager* res, char* buffer);
    void StoreProfile(const char* name) override;

private:
    char* buffer_;
};

class FACETKIT_API cRecQualityWnd : public cPopUpWnd {
public:
    enum { WIDTH = 260, HEIGHT = 241, NAME_SIZE = 1024 };
    enum { BUTTON_DELETE = 186, BUTTON_CANCEL = 226, BUTTON_HELP = 286, BUTTON_SAVE = 288 };
    enum { LIST_RATE = 0, LIST_DEPTH = 1, LIST_CHANNELS = 2 };
    enum { DELETE_MAX_X = 240 };

    cRecQualityWnd(cElementHost* owner, HWND parent, cResourceManager* res, char* profileName);
    ~cRecQualityWnd() override;

    void OnPaint(HDC dc, PAINTSTRUCT& ps) override;
    virtual void StoreProfile(const char* name);

    cSkinComboBox* GetList(int index);
    cVLEditBox* GetNameEdit() { return name_; }
    // Sample rates of the rate list, by entry.
    static int RateOf(int index);

protected:
    static LRESULT CALLBACK QualityProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    cSkinComboBox* AddList(int x, int y);
    void OnSave();
    void OnDelete();
    void Close();

    cElementHost* owner_;
    cResourceManager* res_;
    char openedName_[NAME_SIZE];
    cListe lists_;
    cVLEditBox* name_;
    bool deletePending_;
    HBRUSH white_;
};

class FACETKIT_API cRecQualityChoiceWnd : public cRecQualityWnd {
public:
    cRecQualityChoiceWnd(cElementHost* owner, HWND parent, cResourceManager* res, char* buffer);
    void StoreProfile(const char* name) override;

private:
    char* buffer_;
};
