#include "skin_combo.h"

#include <cstring>

#include "bounded_text.h"
#include "catalogue.h"
#include "debugtext.h"
#include "element_host.h"
#include "host_link.h"
#include "resource_manager.h"
#include "skin_wnd.h"
#include "window_binding.h"
#include "wnd_button.h"
#include "wnd_list.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

const DWORD kListStyle = WS_CHILD | WS_CLIPCHILDREN | WS_VSCROLL | WS_TABSTOP | CBS_DISABLENOSCROLL |
                         CBS_NOINTEGRALHEIGHT | CBS_DROPDOWNLIST;
const DWORD kEditableStyle = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_VSCROLL | WS_TABSTOP |
                             CBS_NOINTEGRALHEIGHT | CBS_AUTOHSCROLL | CBS_DROPDOWN;
static_assert(kListStyle == 0x42210C03, "drop-down list style");
static_assert(kEditableStyle == 0x46210442, "editable combo style");

const unsigned kArrows[3] = {191, 192, 284};
const int kFolderSubMenu = 13;
const int kMenuTextSize = 500;
const unsigned kFolderTexts[3][2] = {
    {CMD_FOLDER_RENAME, 437}, {CMD_FOLDER_DELETE, 438}, {CMD_FOLDER_CREATE, 439}};

volatile LONG g_firstPaint = 1;

// The window object that owns the controls' window buttons: the navigator,
// where the combo boxes live, else the main window.
cSkinWnd* ButtonOwner() {
    cSkinWnd* wnd = GetWindowList().Find(WND_ID_NAVIGATOR);
    return wnd ? wnd : GetWindowList().Find(WND_ID_MAIN);
}

}  // namespace

unsigned cSkinComboBox::ArrowSprite(int kind) { return kArrows[kind >= 0 && kind < 3 ? kind : 0]; }

cSkinComboBox::cSkinComboBox(HWND parent, cResourceManager* res, int x, int y, int cx, int cy, int editable,
                             int kind)
    : res_(res), parent_(parent), combo_(nullptr), x_(x), y_(y), cx_(cx), cy_(cy), arrow_(nullptr),
      constructed_(1), kind_(kind >= 0 && kind <= 2 ? kind : 0), rop_(SRCAND), prevProc_(nullptr),
      item_(nullptr), prevItemProc_(nullptr) {
    combo_ = CreateWindowExA(0, "ComboBox", "", editable ? kEditableStyle : kListStyle, x, y - 2, cx - 2,
                             cy + LIST_EXTRA_HEIGHT, parent, nullptr, ParentInstance(parent), nullptr);
    if (!combo_) {
        DebugLog(DL_ERR, "cSkinComboBox: no combo window");
        return;
    }
    prevProc_ = SubclassControl(combo_, this, &cSkinComboBox::ComboProc);
    if (editable) {
        COMBOBOXINFO info = {sizeof info};
        if (GetComboBoxInfo(combo_, &info) && info.hwndItem && info.hwndItem != combo_) {
            item_ = info.hwndItem;
            prevItemProc_ = SubclassControl(item_, this, &cSkinComboBox::ItemProc);
        }
    }
    if (res_) SendMessageA(combo_, WM_SETFONT, reinterpret_cast<WPARAM>(res_->GetFont(2)), TRUE);
    SendMessageA(combo_, CB_RESETCONTENT, 0, 0);
    SendMessageA(combo_, CB_SETCURSEL, 0, 0);

    unsigned sprite = ArrowSprite(kind_);
    arrow_ = new cWndButton(ButtonOwner(), combo_, res_, sprite, POINT{0, 3}, sprite, nullptr, 0, nullptr, 0);
    arrow_->SetPos(POINT{cx - arrow_->GetGfxWidth() - 2, 3}, 1);
    cy_ = arrow_->GetGfxHeight() + 2;
    SetWindowRgn(combo_, CreateRectRgn(2, 3, cx - 3, cy_ + 1), TRUE);
    frame_.LoadLook(res_, kind_);
    rop_ = ControlRasterOp();
    ShowWindow(combo_, SW_SHOW);
}

cSkinComboBox::~cSkinComboBox() {
    delete arrow_;
    arrow_ = nullptr;
    if (combo_) {
        UnsubclassControl(item_, this, prevItemProc_);
        UnsubclassControl(combo_, this, prevProc_);
        DestroyWindow(combo_);
        combo_ = nullptr;
    }
}

void cSkinComboBox::ResetContent() {
    if (combo_) SendMessageA(combo_, CB_RESETCONTENT, 0, 0);
}

void cSkinComboBox::AddString(const char* text) {
    if (combo_ && text) SendMessageA(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}

int cSkinComboBox::GetCount() {
    return combo_ ? static_cast<int>(SendMessageA(combo_, CB_GETCOUNT, 0, 0)) : 0;
}

int cSkinComboBox::GetCurSel() {
    return combo_ ? static_cast<int>(SendMessageA(combo_, CB_GETCURSEL, 0, 0)) : -1;
}

void cSkinComboBox::SetCurSel(int index) {
    if (!combo_) return;
    if (SendMessageA(combo_, CB_SETCURSEL, static_cast<WPARAM>(index), 0) == CB_ERR)
        SendMessageA(combo_, CB_SETCURSEL, 0, 0);
}

int cSkinComboBox::GetText(char* buffer) { return GetText(buffer, TEXT_LIMIT); }

int cSkinComboBox::GetText(char* buffer, int size) { return ControlText(combo_, buffer, size); }

void cSkinComboBox::ShowDropDown() {
    if (!combo_) return;
    SendMessageA(combo_, CB_SHOWDROPDOWN, 1, 0);
    SendMessageA(combo_, CB_SETEDITSEL, 0, 65535);
}

void cSkinComboBox::SetPos(int x, int y) {
    x_ = x;
    y_ = y;
    if (combo_)
        SetWindowPos(combo_, nullptr, x, y - 2, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

void cSkinComboBox::SetEnable(int enable) {
    if (arrow_) arrow_->SetEnable(enable);
    if (combo_) EnableWindow(combo_, enable ? TRUE : FALSE);
    if (parent_) InvalidateRect(parent_, nullptr, FALSE);
}

void cSkinComboBox::SetVisible(int visible) {
    if (combo_) ShowWindow(combo_, visible ? SW_SHOW : SW_HIDE);
    if (parent_) InvalidateRect(parent_, nullptr, TRUE);
}

void cSkinComboBox::Show(HDC dc) {
    if (!dc || !combo_ || !IsWindowVisible(combo_)) return;
    if (InterlockedCompareExchange(&g_firstPaint, 0, 1) == 1) InvalidateRect(combo_, nullptr, TRUE);
    const cSkinFrame& f = frame_;
    const int x = x_, y = y_, cy = cy_, w = cx_ - 2;
    const int arrow = arrow_ ? arrow_->GetGfxWidth() : 0;
    f.DrawCorners(dc, x, y, w, cy, rop_);
    // Top and bottom edges leave a gap where the arrow button sits.
    const int top = w - f.width[FRAME_TOP_LEFT] - f.width[FRAME_TOP_RIGHT] - arrow + 2;
    f.EdgeH(dc, x + f.width[FRAME_TOP_LEFT], y, top);
    f.EdgeH(dc, x + f.width[FRAME_TOP_LEFT] + top + 6, y, arrow - 8);
    const int bottom = w - f.width[FRAME_BOTTOM_LEFT] - f.width[FRAME_BOTTOM_RIGHT] - arrow + 2;
    const int by = y + cy - f.height[FRAME_BOTTOM_LEFT];
    f.EdgeH(dc, x + f.width[FRAME_BOTTOM_LEFT], by, bottom);
    f.EdgeH(dc, x + f.width[FRAME_BOTTOM_LEFT] + bottom + 6, by, arrow - 8);
    f.DrawSides(dc, x, y, w, cy);
    FrameLineV(dc, x + 1, y + f.height[FRAME_TOP_LEFT], y + cy - f.height[FRAME_BOTTOM_LEFT],
               ChildBackground(combo_));
}

LRESULT CALLBACK cSkinComboBox::ComboProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    cSkinComboBox* self = fkwin::Bound<cSkinComboBox>(hwnd);
    if (!self || self->combo_ != hwnd || !self->prevProc_) return DefWindowProcA(hwnd, msg, wParam, lParam);
    return self->Handle(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK cSkinComboBox::ItemProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    cSkinComboBox* self = fkwin::Bound<cSkinComboBox>(hwnd);
    if (!self || self->item_ != hwnd || !self->prevItemProc_) return DefWindowProcA(hwnd, msg, wParam, lParam);
    // Right clicks and Tab in the edit field count as the combo's own.
    if (msg == WM_CONTEXTMENU && self->OnContextMenu()) return 0;
    if (msg == WM_CHAR && wParam == VK_TAB) {
        if (self->parent_) SendMessageA(self->parent_, WM_SKIN_NEXT_CONTROL, 0, 0);
        return 1;
    }
    return CallWindowProcA(self->prevItemProc_, hwnd, msg, wParam, lParam);
}

LRESULT cSkinComboBox::Handle(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    WNDPROC prev = prevProc_;
    switch (msg) {
    case WM_COMMAND:
        if (LOWORD(wParam) == DROPDOWN_LIST_ID && HIWORD(wParam) == LBN_SELCHANGE && parent_)
            PostMessageA(parent_, WM_SKIN_COMBO_SELCHANGE, reinterpret_cast<WPARAM>(hwnd), 0);
        break;
    case WM_KILLFOCUS: {
        LRESULT r = CallWindowProcA(prev, hwnd, msg, wParam, lParam);
        InvalidateRect(hwnd, nullptr, FALSE);
        if (parent_) {
            RECT frame = {x_, y_, x_ + cx_, y_ + cy_};
            InvalidateRect(parent_, &frame, FALSE);
        }
        return r;
    }
    case WM_CONTEXTMENU:
        if (OnContextMenu()) return 0;
        break;
    case WM_CHAR:
        if (wParam == VK_TAB) {
            if (parent_) SendMessageA(parent_, WM_SKIN_NEXT_CONTROL, 0, 0);
            return 1;
        }
        break;
    case WM_SKIN_BUTTON_PRESSED:
        ShowDropDown();
        return 0;
    case WM_SKIN_SHOW_ELEMENT:
        SetVisible(static_cast<int>(wParam));
        return 0;
    case WM_SKIN_ENABLE_ELEMENT:
        SetEnable(static_cast<int>(wParam));
        return 0;
    default:
        break;
    }
    return CallWindowProcA(prev, hwnd, msg, wParam, lParam);
}

int cSkinContextMenu::OnContextMenu() {
    HWND parent = GetParentWindow();
    HMENU menu = LoadMenuA(reinterpret_cast<HMODULE>(&__ImageBase), "ContextMenu");
    if (!menu) return 1;
    HMENU folder = GetSubMenu(menu, kFolderSubMenu);
    RECT client = {};
    POINT pt = GetPos();
    if (!folder || !parent || !GetClientRect(parent, &client) || !PtInRect(&client, pt)) {
        DestroyMenu(menu);
        return 1;
    }
    ClientToScreen(parent, &pt);
    pt.y += 17;

    const int language = GetHostLanguage();
    for (const auto& item : kFolderTexts) {
        char text[kMenuTextSize] = {};
        GetResourceString(nullptr, item[1], language, text, sizeof text);
        ModifyMenuA(folder, item[0], MF_BYCOMMAND | MF_STRING, item[0], text);
    }
    if (GetCurSel() == 0) {
        EnableMenuItem(folder, CMD_FOLDER_RENAME, MF_BYCOMMAND | MF_DISABLED | MF_GRAYED);
        EnableMenuItem(folder, CMD_FOLDER_DELETE, MF_BYCOMMAND | MF_DISABLED | MF_GRAYED);
    }
    int command = static_cast<int>(
        TrackPopupMenu(folder, TPM_RETURNCMD | TPM_RIGHTBUTTON, pt.x, pt.y, 0, parent, nullptr));
    DestroyMenu(menu);
    LPARAM element = 0;
    switch (command) {
    case CMD_FOLDER_RENAME: element = FOLDER_RENAME; break;
    case CMD_FOLDER_DELETE: element = FOLDER_DELETE; break;
    case CMD_FOLDER_CREATE: element = FOLDER_CREATE; break;
    default: break;
    }
    if (element) SendMessageA(parent, WM_SKIN_BUTTON_PRESSED, 0, element);
    return 1;
}
