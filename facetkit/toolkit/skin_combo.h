// The skin engine's combo box: a Win32 "ComboBox" child (drop-down list or
// editable drop-down) whose frame the owner paints from the edit box's
// sprites, with a window button as its drop-down arrow; and the folder
// combo of the favourites view, which adds a right-click menu of folder
// commands and reports the choice to its parent.
#pragma once

#include <windows.h>

#include "facetkit_api.h"
#include "liste.h"
#include "skin_frame.h"

class cResourceManager;
class cWndButton;

// Posted to the parent when the selection changed (wParam: combo window).
constexpr UINT WM_SKIN_COMBO_SELCHANGE = WM_USER + 139;

// Element ids the folder menu reports with WM_USER+119.
enum { FOLDER_RENAME = 255, FOLDER_DELETE = 186, FOLDER_CREATE = 185 };
// Menu commands of the folder sub-menu.
enum { CMD_FOLDER_RENAME = 32843, CMD_FOLDER_DELETE = 32844, CMD_FOLDER_CREATE = 32845 };

class FACETKIT_API cSkinComboBox : public cListElement {
public:
    enum { TEXT_LIMIT = 260, LIST_EXTRA_HEIGHT = 107 };
    // Control id Windows gives a combo box's drop-down list.
    enum { DROPDOWN_LIST_ID = 1000 };

    // kind 0, 1 or 2 chooses the arrow (elements 191, 192, 284) and the
    // frame look.
    cSkinComboBox(HWND parent, cResourceManager* res, int x, int y, int cx, int cy, int editable, int kind);
    ~cSkinComboBox() override;
    cSkinComboBox(const cSkinComboBox&) = delete;
    cSkinComboBox& operator=(const cSkinComboBox&) = delete;

    // Non-zero when the context menu was handled.
    virtual int OnContextMenu() { return 0; }

    void ResetContent();
    // A null text is ignored.
    void AddString(const char* text);
    int GetCount();
    // -1 for none.
    int GetCurSel();
    // An index the list does not have selects the first entry.
    void SetCurSel(int index);
    // The shown text, at most 260 characters including the NUL.
    int GetText(char* buffer);
    int GetText(char* buffer, int size);
    void ShowDropDown();
    void SetPos(int x, int y);
    POINT GetPos() const { return POINT{x_, y_}; }
    SIZE GetSize() const { return SIZE{cx_, cy_}; }
    void SetEnable(int enable);
    void SetVisible(int visible);
    HWND GetWindow() const { return combo_; }
    HWND GetParentWindow() const { return parent_; }
    BOOL IsEnabled() const { return combo_ && IsWindowEnabled(combo_); }
    cWndButton* GetArrowButton() const { return arrow_; }
    int GetKind() const { return kind_; }

    // Paints the frame into the parent's context (only while shown).
    void Show(HDC dc);

    static unsigned ArrowSprite(int kind);

private:
    static LRESULT CALLBACK ComboProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ItemProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    cResourceManager* res_;
    HWND parent_;
    HWND combo_;
    int x_, y_, cx_, cy_;
    cWndButton* arrow_;
    cSkinFrame frame_;
    int constructed_;
    int kind_;
    DWORD rop_;
    WNDPROC prevProc_;
    // The edit field of an editable combo, which gets the keys and the
    // right clicks itself.
    HWND item_;
    WNDPROC prevItemProc_;
};

class FACETKIT_API cSkinContextMenu : public cSkinComboBox {
public:
    cSkinContextMenu(HWND parent, cResourceManager* res, int x, int y, int cx, int cy, int editable, int kind)
        : cSkinComboBox(parent, res, x, y, cx, cy, editable, kind) {}
    // Shows the folder menu (rename, delete, create) and sends the choice
    // to the parent; the first folder can be neither renamed nor deleted.
    int OnContextMenu() override;
};
