// The skin engine's list box: a Win32 "ListBox" child with a frame the
// owner paints from the edit box's first look, a white inner line, and a
// notice to the parent when the selection changes.
#pragma once

#include <windows.h>

#include <vector>

#include "facetkit_api.h"
#include "liste.h"
#include "skin_frame.h"

class cResourceManager;

// Posted to the parent when the list's selection changed (wParam, lParam 0).
constexpr UINT WM_SKIN_LIST_SELCHANGE = WM_USER + 108;

class FACETKIT_API cSkinListBox : public cListElement {
public:
    enum { LIST_ID = 1000 };

    cSkinListBox(HWND parent, cResourceManager* res, int x, int y, int cx, int cy);
    ~cSkinListBox() override;
    cSkinListBox(const cSkinListBox&) = delete;
    cSkinListBox& operator=(const cSkinListBox&) = delete;

    int AddString(const char* text);
    // The selected entry (the one with the caret when it is selected), -1
    // for none.
    int GetCurSel();
    // Makes the entry the only selected one.
    void SetCurSel(int index);
    void SetVisible(int visible);
    HWND GetWindow() const { return list_; }

    // Paints the frame into the parent's context.
    void DrawFrame(HDC dc);

private:
    static LRESULT CALLBACK ListProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    std::vector<int> Selection();

    cResourceManager* res_;
    HWND parent_;
    HWND list_;
    int x_, y_, cx_, cy_;
    cSkinFrame frame_;
    WNDPROC prevProc_;
};
