#include "about_wnd.h"

#include <cstring>
#include <string>

#include "bounded_text.h"
#include "button_list.h"
#include "catalogue.h"
#include "dialog_controls.h"
#include "dialog_services.h"
#include "dialogs_b_strings.h"
#include "library_state.h"
#include "registry.h"
#include "resource_manager.h"
#include "skin_plugin.h"
#include "skin_wnd.h"
#include "status_intake.h"
#include "window_binding.h"
#include "wnd_button.h"
#include "wnd_list.h"

namespace {
enum { SPRITE_TITLE = 234 };
enum { TXT_VERSION = 131, TXT_PRODUCT_BY = 163, TXT_MAKER_ADDRESS = 528, TXT_MAGAZINE = 164, TXT_MAGAZINE_ADDRESS = 169 };
enum { CODE_OPEN_SITE = 5, OEM_FIRST_STRING = 30 };
}  // namespace

cAboutWnd::cAboutWnd(cElementHost* owner, HWND parent, cResourceManager* res)
    : cPopUpWnd(parent, res), owner_(owner), res_(res), programVersion_{}, skinVersion_{}, skinLine_{}, info_{} {
    GatherTexts();
    HWND hwnd = GetWindow();
    if (!hwnd) return;
    PreparePopup(this, &cAboutWnd::WndProc, WIDTH, HEIGHT, SPRITE_TITLE);
    ::ShowWindow(hwnd, SW_SHOW);
    if (cWndButton* ok = AddPopupButton(this, owner_, res_, BUTTON_OK, BUTTON_OK, 10, 10, 0, false))
        ok->SetPos(POINT{(WIDTH - ok->GetGfxWidth()) / 2, 274 - ok->GetGfxHeight()}, 1);
    if (cWndButton* link = AddPopupButton(this, owner_, res_, BUTTON_LINK, BUTTON_LINK, 10, 10, 0, false))
        link->SetPos(POINT{(184 - link->GetGfxWidth()) / 2, 230 - link->GetGfxHeight()}, 1);
    if (GetShadowDC()) SetBkMode(GetShadowDC(), TRANSPARENT);
    Invalidate();
}

cAboutWnd::~cAboutWnd() { Close(); }

void cAboutWnd::GatherTexts() {
    char format[500] = {};
    dlgs::Text(TXT_VERSION, format, sizeof format);
    MyFileInfo program = {};
    GetFileVersion("tunerdeck.exe", &program);
    program.FileVersion[sizeof program.FileVersion - 1] = 0;
    bk::TextFormat(programVersion_, sizeof programVersion_, format, program.FileVersion);

    // The skin file: the skin folder handed over at preparation and the
    // SKIN setting, bounded to the line's room.
    char skinName[LINE_SIZE] = {};
    GetValue("SKIN", skinName, sizeof skinName);
    std::string folder = Library().skinsFolder;
    while (!folder.empty() && folder.back() == '\\') folder.pop_back();
    char skinPath[LINE_SIZE] = {};
    bk::TextCopy(skinPath, sizeof skinPath, (folder + "\\" + skinName).c_str());
    MyFileInfo skin = {};
    if (skinName[0]) GetFileVersion(skinPath, &skin);
    skin.FileVersion[sizeof skin.FileVersion - 1] = 0;
    skin.InternalName[sizeof skin.InternalName - 1] = 0;
    bk::TextFormat(skinVersion_, sizeof skinVersion_, format, skin.FileVersion);
    bk::TextFormat(skinLine_, sizeof skinLine_, "Skin: %s", skin.InternalName);

    if (IsOEMPlayer()) {
        HMODULE module = CurrentSkin().module;
        for (int i = 0; i < INFO_LINES && module; ++i)
            GetResourceString(module, static_cast<unsigned>(OEM_FIRST_STRING + i), dlgs::Language(), info_[i],
                              LINE_SIZE);
        return;
    }
    const struct {
        int line;
        unsigned id;
    } texts[] = {{2, TXT_PRODUCT_BY}, {3, TXT_MAKER_ADDRESS}, {5, TXT_MAGAZINE}, {6, TXT_MAGAZINE_ADDRESS}};
    for (const auto& t : texts) dlgs::Text(t.id, info_[t.line], 200);
}

void cAboutWnd::OnOk() { Close(); }

void cAboutWnd::OnLink() { dlgs::Callback(CODE_OPEN_SITE, 0, nullptr); }

void cAboutWnd::Close() { DestroyPopupWindow(); }

LRESULT CALLBACK cAboutWnd::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<cAboutWnd*>(fkwin::Bound<cPopUpWnd>(hwnd));
    if (!self) return 0;
    if (msg == WM_SKIN_BUTTON_PRESSED) {
        if (lParam == BUTTON_OK) self->OnOk();
        if (lParam == BUTTON_LINK) self->OnLink();
        return 0;
    }
    return PopupProc(hwnd, msg, wParam, lParam);
}

void cAboutWnd::OnPaint(HDC dc, PAINTSTRUCT& ps) {
    ClearScreen();
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    HFONT f = res_ ? res_->GetFont(1) : nullptr;
    HGDIOBJ old = f ? SelectObject(dc, f) : nullptr;
    char rights[200] = {}, company[200] = {};
    dlgs::OwnText(DLG_TEXT_RIGHTS, rights, sizeof rights);
    dlgs::OwnText(DLG_TEXT_COMPANY, company, sizeof company);
    const struct {
        const char* text;
        RECT r;
        UINT align;
    } items[] = {
        {GetProductTitle(), {40, 37, 170, 55}, DT_LEFT},   {programVersion_, {170, 37, 250, 55}, DT_RIGHT},
        {skinLine_, {40, 57, 170, 72}, DT_LEFT},           {skinVersion_, {170, 57, 250, 72}, DT_RIGHT},
        {rights, {130, 202, 280, 217}, DT_CENTER},         {company, {130, 217, 280, 232}, DT_CENTER},
    };
    for (const auto& item : items) {
        RECT r = item.r;
        dlgs::DrawLabel(dc, item.text, &r, DT_NOPREFIX | DT_VCENTER | DT_SINGLELINE | item.align);
    }
    for (int i = 0; i < INFO_LINES; ++i) {
        RECT r = {10, 79 + 14 * i, 290, 94 + 14 * i};
        dlgs::DrawLabel(dc, info_[i], &r, DT_NOPREFIX | DT_VCENTER | DT_SINGLELINE | DT_LEFT);
    }
    if (old) SelectObject(dc, old);
    cPopUpWnd::OnPaint(dc, ps);
}

void OpenAboutWnd() {
    cSkinWnd* nav = GetWindowList().Find(WND_ID_NAVIGATOR);
    if (!nav) return;
    cSkinWnd* main = GetWindowList().Find(WND_ID_MAIN);
    cAboutWnd* wnd = new cAboutWnd(main, nav->GetWindow(), nav->GetResourceManager());
    wnd->MessageLoop();
    delete wnd;
}
