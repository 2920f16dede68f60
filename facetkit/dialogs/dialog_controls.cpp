#include "dialog_controls.h"

#include "button_list.h"
#include "popup_wnd.h"
#include "window_binding.h"
#include "wnd_button.h"

void PreparePopup(cPopUpWnd* popup, WNDPROC proc, int width, int height, unsigned titleSprite) {
    HWND hwnd = popup ? popup->GetWindow() : nullptr;
    if (!hwnd) return;
    SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
    fkwin::Bind(hwnd, popup);
    popup->SetSize(width, height);
    popup->SetPos();
    popup->SetTitleDC(titleSprite);
}

cWndButton* AddPopupButton(cPopUpWnd* popup, cElementHost* owner, cResourceManager* res, unsigned long id,
                           unsigned long sprite, int x, int y, int group, bool latching) {
    HWND hwnd = popup ? popup->GetWindow() : nullptr;
    if (!hwnd) return nullptr;
    auto* b = new cWndButton(owner, hwnd, res, sprite, POINT{x, y}, id, nullptr, group, nullptr,
                             latching ? cWndButton::FLAG_LATCHING : 0);
    popup->GetButtonList()->Add(b);
    return b;
}

void ValidateChangedEdit(WPARAM wParam, LPARAM lParam) {
    if (HIWORD(wParam) == EN_CHANGE && lParam) SendMessageA(reinterpret_cast<HWND>(lParam), WM_SKIN_VALIDATE, 0, 0);
}
