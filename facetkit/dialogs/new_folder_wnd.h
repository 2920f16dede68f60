// Asks for the name of a favourites folder, to create one (folder id 0) or
// to rename the folder with that id; the host does the rest (code 33).
#pragma once

#include <windows.h>

#include "dialog_controls.h"
#include "facetkit_api.h"
#include "popup_wnd.h"

class cElementHost;
class cResourceManager;

class FACETKIT_API cNewFolderWnd : public cPopUpWnd {
public:
    enum { WIDTH = 200, HEIGHT = 150, NAME_SIZE = 256 };
    enum { BUTTON_OK = 187, BUTTON_CANCEL = 226 };

    cNewFolderWnd(cElementHost* owner, HWND parent, cResourceManager* res, unsigned long folderId);
    ~cNewFolderWnd() override;

    void OnPaint(HDC dc, PAINTSTRUCT& ps) override;
    void OnOk();
    void Close();

    cVLEditBox* GetNameEdit() { return name_; }
    unsigned long GetFolderId() const { return folderId_; }

    // A skinned button was pressed.
    void OnButton(unsigned long id);
    HBRUSH WhiteBrush() const { return white_; }

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    cElementHost* owner_;
    cResourceManager* res_;
    unsigned long folderId_;
    cVLEditBox* name_;
    bool focusGiven_;
    HBRUSH white_;
};
