#include "new_folder_wnd.h"

#include "bounded_text.h"
#include "button_list.h"
#include "dialog_services.h"
#include "popup_paint.h"
#include "element_host.h"
#include "list_store.h"
#include "resource_manager.h"
#include "txtelement.h"
#include "small_popup.h"
#include "window_binding.h"
#include "wnd_button.h"

namespace {
enum { SPRITE_TITLE = 236, SPRITE_OK = 187, SPRITE_CANCEL = 226 };
enum { TXT_NEW_FOLDER = 124, TXT_ENTER_NAME = 125, TEXT_LIMIT = 200 };
enum { CODE_FOLDER = 33 };
}  // namespace

cNewFolderWnd::cNewFolderWnd(cElementHost* owner, HWND parent, cResourceManager* res, unsigned long folderId)
    : cPopUpWnd(parent, res), owner_(owner), res_(res), folderId_(folderId), name_(nullptr), focusGiven_(false),
      white_(CreateSolidBrush(RGB(255, 255, 255))) {
    HWND hwnd = GetWindow();
    if (!hwnd) return;
    PreparePopup(this, &cNewFolderWnd::WndProc, WIDTH, HEIGHT, SPRITE_TITLE);
    ::ShowWindow(hwnd, SW_SHOW);
    if (cWndButton* ok = AddPopupButton(this, owner_, res_, BUTTON_OK, SPRITE_OK, 10, 10, 0, false)) {
        const int y = 140 - ok->GetGfxHeight();
        ok->SetPos(POINT{10, y}, 1);
        if (cWndButton* cancel = AddPopupButton(this, owner_, res_, BUTTON_CANCEL, SPRITE_CANCEL, 10, y, 0, false))
            cancel->SetPos(POINT{190 - cancel->GetGfxWidth(), y}, 1);
    }
    if (GetShadowDC()) SetBkMode(GetShadowDC(), TRANSPARENT);
    name_ = new cVLEditBox(hwnd, res_, POINT{10, 75}, SIZE{180, 15}, 2, 0);
    SetActiveWindow(name_->GetWindow());
    if (folderId_ != 0) {
        // A folder deleted meanwhile is created anew under the typed name.
        cListStore& store = GetListStore();
        EnterCriticalSection(store.Lock());
        auto* folder = static_cast<cTxtElement*>(store.List(LS_FAVOURITE_FOLDERS)->GetById(folderId_));
        if (folder)
            name_->SetText(folder->GetText() ? folder->GetText() : "");
        else
            folderId_ = 0;
        LeaveCriticalSection(store.Lock());
    }
    Invalidate();
}

cNewFolderWnd::~cNewFolderWnd() {
    Close();
    if (white_) DeleteObject(white_);
}

void cNewFolderWnd::OnOk() {
    char typed[cVLEditBox::TEXT_LIMIT] = {};
    if (name_) name_->GetText(typed, sizeof typed);
    // Control bytes would split the host's folder records.
    char name[NAME_SIZE] = {};
    size_t n = 0;
    for (const char* p = typed; *p && n < NAME_SIZE - 1; ++p)
        if (static_cast<unsigned char>(*p) >= 0x20) name[n++] = *p;
    name[n] = 0;
    if (!name[0]) dlgs::Text(TXT_NEW_FOLDER, name, TEXT_LIMIT);
    dlgs::Callback(CODE_FOLDER, static_cast<int>(folderId_), name);
    Close();
}

void cNewFolderWnd::Close() {
    delete name_;
    name_ = nullptr;
    DestroyPopupWindow();
}

void cNewFolderWnd::OnButton(unsigned long id) {
    if (id == BUTTON_OK) OnOk();
    if (id == BUTTON_CANCEL) Close();
}

LRESULT CALLBACK cNewFolderWnd::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return dlgs::SmallPopupProc<cNewFolderWnd>(hwnd, msg, wParam, lParam, &PopupProc);
}

void cNewFolderWnd::OnPaint(HDC dc, PAINTSTRUCT& ps) {
    if (!focusGiven_ && name_) {
        SetFocus(name_->GetWindow());
        focusGiven_ = true;
    }
    SetBkMode(dc, TRANSPARENT);
    HFONT f = res_ ? res_->GetFont(0) : nullptr;
    HGDIOBJ old = f ? SelectObject(dc, f) : nullptr;
    SetTextColor(dc, RGB(0, 0, 0));
    char text[TEXT_LIMIT] = {};
    dlgs::Text(TXT_ENTER_NAME, text, sizeof text);
    RECT r = {10, 50, 290, 65};
    dlgs::DrawLabel(dc, text, &r, DT_NOPREFIX | DT_VCENTER | DT_SINGLELINE);
    if (old) SelectObject(dc, old);
    if (name_) name_->Show(dc);
    cPopUpWnd::OnPaint(dc, ps);
}
