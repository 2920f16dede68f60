#include "user_stream_wnd.h"

#include <cstring>
#include <string>
#include <vector>

#include "bounded_text.h"
#include "button_list.h"
#include "dialog_services.h"
#include "popup_paint.h"
#include "dialogs_b_strings.h"
#include "element_host.h"
#include "registry.h"
#include "resource_manager.h"
#include "small_popup.h"
#include "window_binding.h"
#include "wnd_button.h"

namespace {
enum { SPRITE_TITLE = 233, SPRITE_OK = 187, SPRITE_CANCEL = 226, SPRITE_CHECK = 214 };
enum { TXT_EXAMPLE = 111, TXT_KIND_1 = 195, TXT_KIND_2 = 196 };
const char kItems[] = "UserDefinedItem";
const char kItemsSize[] = "UserDefinedItemSize";

// The stored history, read with a fixed ceiling instead of the size value
// that sits next to it (that value may be missing, small or absurd).
std::vector<std::string> ReadHistory(std::string* raw) {
    std::vector<char> buffer(cUserStreamWnd::HISTORY_LIMIT + 1, 0);
    GetValue(kItems, buffer.data(), static_cast<unsigned long>(buffer.size()));
    if (raw) *raw = buffer.data();
    std::vector<std::string> entries;
    std::string piece;
    for (const char* p = buffer.data(); *p; ++p) {
        if (*p == '\x01') {
            if (!piece.empty()) entries.push_back(piece);
            piece.clear();
        } else {
            piece += *p;
        }
    }
    if (!piece.empty()) entries.push_back(piece);
    return entries;
}
}  // namespace

cUserStreamWnd::cUserStreamWnd(cElementHost* owner, HWND parent, cResourceManager* res)
    : cPopUpWnd(parent, res), owner_(owner), res_(res), combo_(nullptr), focusGiven_(false), address_{},
      white_(CreateSolidBrush(RGB(255, 255, 255))) {
    HWND hwnd = GetWindow();
    if (!hwnd) return;
    PreparePopup(this, &cUserStreamWnd::WndProc, WIDTH, HEIGHT, SPRITE_TITLE);
    ::ShowWindow(hwnd, SW_SHOW);
    if (cWndButton* ok = AddPopupButton(this, owner_, res_, BUTTON_OK, SPRITE_OK, 10, 10, 0, false)) {
        const int y = 190 - ok->GetGfxHeight();
        ok->SetPos(POINT{67, y}, 1);
        if (cWndButton* cancel = AddPopupButton(this, owner_, res_, BUTTON_CANCEL, SPRITE_CANCEL, 67, y, 0, false))
            cancel->SetPos(POINT{233 - cancel->GetGfxWidth(), y}, 1);
    }
    if (GetShadowDC()) SetBkMode(GetShadowDC(), TRANSPARENT);
    combo_ = new cSkinComboBox(hwnd, res_, 10, 68, 250, 16, 1, 2);
    for (const std::string& entry : ReadHistory(nullptr)) combo_->AddString(entry.c_str());
    if (cWndButton* one = AddPopupButton(this, owner_, res_, RADIO_KIND_1, SPRITE_CHECK, 10, 101, 2, true))
        one->SetStatus(1);
    AddPopupButton(this, owner_, res_, RADIO_KIND_2, SPRITE_CHECK, 10, 121, 2, true);
    Invalidate();
}

cUserStreamWnd::~cUserStreamWnd() {
    Close();
    if (white_) DeleteObject(white_);
}

int cUserStreamWnd::GetStreamKind() {
    auto* one = static_cast<cWndButton*>(GetButtonList()->GetById(RADIO_KIND_1));
    return one && IsTicked(one->GetStatus()) ? 1 : 2;
}

void cUserStreamWnd::Remember() {
    std::string raw;
    std::vector<std::string> entries = ReadHistory(&raw);
    if (raw.find(address_) != std::string::npos) return;
    std::string list = std::string(address_) + '\x01';
    for (size_t i = 0; i < entries.size() && i < HISTORY_ENTRIES - 1; ++i) list += entries[i] + '\x01';
    SetValue(kItems, list.c_str());
    // Older readers size their buffer from this value: the list and its NUL.
    char size[16] = {};
    bk::TextFormat(size, sizeof size, "%u", static_cast<unsigned>(list.size() + 1));
    SetValue(kItemsSize, size);
}

void cUserStreamWnd::OnOk() {
    char typed[cSkinComboBox::TEXT_LIMIT + 1] = {};
    if (combo_) combo_->GetText(typed, sizeof typed);
    // Control bytes would split the history; blanks around an address are noise.
    size_t n = 0;
    for (const char* p = typed; *p && n < sizeof address_ - 1; ++p)
        if (static_cast<unsigned char>(*p) >= 0x20) address_[n++] = *p;
    address_[n] = 0;
    while (n && address_[n - 1] == ' ') address_[--n] = 0;
    const char* start = address_;
    while (*start == ' ') ++start;
    memmove(address_, start, strlen(start) + 1);
    if (!address_[0]) {
        char text[256] = {};
        dlgs::OwnText(DLG_TEXT_ADDRESS_MISSING, text, sizeof text);
        dlgs::Notice(owner_, GetWindow(), res_, text);
        return;
    }
    SetResult(1);
    Remember();
    Close();
}

void cUserStreamWnd::Close() {
    delete combo_;
    combo_ = nullptr;
    DestroyPopupWindow();
}

void cUserStreamWnd::OnButton(unsigned long id) {
    if (id == BUTTON_OK) OnOk();
    if (id == BUTTON_CANCEL) Close();
}

LRESULT CALLBACK cUserStreamWnd::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return dlgs::SmallPopupProc<cUserStreamWnd>(hwnd, msg, wParam, lParam, &PopupProc);
}

void cUserStreamWnd::OnPaint(HDC dc, PAINTSTRUCT& ps) {
    if (!focusGiven_ && combo_) {
        SetFocus(combo_->GetWindow());
        focusGiven_ = true;
    }
    SetBkMode(dc, TRANSPARENT);
    HFONT f = res_ ? res_->GetFont(1) : nullptr;
    HGDIOBJ old = f ? SelectObject(dc, f) : nullptr;
    SetTextColor(dc, RGB(0, 0, 0));
    const struct {
        unsigned id;
        RECT r;
    } lines[] = {{TXT_EXAMPLE, {10, 48, 260, 63}}, {TXT_KIND_1, {25, 100, 275, 115}}, {TXT_KIND_2, {25, 120, 275, 135}}};
    for (const auto& l : lines) {
        char text[500] = {};
        dlgs::Text(l.id, text, sizeof text);
        RECT r = l.r;
        dlgs::DrawLabel(dc, text, &r, DT_NOPREFIX | DT_VCENTER | DT_SINGLELINE);
    }
    if (old) SelectObject(dc, old);
    if (combo_) combo_->Show(dc);
    cPopUpWnd::OnPaint(dc, ps);
}
