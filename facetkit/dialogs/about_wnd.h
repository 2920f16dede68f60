// The about pop-up: the product, the versions of the main program and of
// the skin in use, eight information lines (the partner edition takes them
// from its skin), the rights notice and a link to the maker's site.
#pragma once

#include <windows.h>

#include "facetkit_api.h"
#include "popup_wnd.h"

class cElementHost;
class cResourceManager;

class FACETKIT_API cAboutWnd : public cPopUpWnd {
public:
    enum { WIDTH = 300, HEIGHT = 284, LINE_SIZE = 256, INFO_LINES = 8, INFO_SIZE = 512 };
    enum { BUTTON_OK = 187, BUTTON_LINK = 245 };

    cAboutWnd(cElementHost* owner, HWND parent, cResourceManager* res);
    ~cAboutWnd() override;

    void OnPaint(HDC dc, PAINTSTRUCT& ps) override;
    void OnOk();
    void OnLink();
    void Close();

    const char* GetProgramVersionLine() const { return programVersion_; }
    const char* GetSkinVersionLine() const { return skinVersion_; }
    const char* GetSkinLine() const { return skinLine_; }
    const char* GetInfoLine(int i) const { return i >= 0 && i < INFO_LINES ? info_[i] : ""; }

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void GatherTexts();

    cElementHost* owner_;
    cResourceManager* res_;
    char programVersion_[LINE_SIZE];
    char skinVersion_[LINE_SIZE];
    char skinLine_[LINE_SIZE];
    char info_[INFO_LINES][INFO_SIZE];
};

// Runs the pop-up modally over the navigator window; nothing without one.
FACETKIT_API void OpenAboutWnd();
