#include "profile_editors.h"

#include <cstdlib>
#include <cstring>

#include "../../tunerdeck/core/settings_interface.h"
#include "bounded_text.h"
#include "button_list.h"
#include "dialog_services.h"
#include "popup_paint.h"
#include "dialogs_b_strings.h"
#include "element_host.h"
#include "message_popup.h"
#include "profiles.h"
#include "resource_manager.h"
#include "window_binding.h"
#include "wnd_button.h"

namespace {

enum { SPRITE_TITLE = 280, SPRITE_DELETE = 283, SPRITE_CHECK = 214, SPRITE_SAVE = 288, SPRITE_CANCEL = 226 };
enum { SPRITE_HELP = 286, SPRITE_QUESTION_TITLE = 257, SPRITE_YES = 289, SPRITE_NO = 290 };
enum {
    TXT_CUT_TITLE = 210, TXT_CUT_BY = 518, TXT_CUT_EVERY = 519, TXT_MINUTES = 520, TXT_MB = 521,
    TXT_SUGGESTION = 522, TXT_TIME = 523, TXT_FILE_SIZE = 524, TXT_SAVE_CUT_AS = 594, TXT_OWN_FOLDER = 595,
    TXT_DELETE_QUESTION = 64, TXT_STEREO = 62, TXT_MONO = 63, TXT_SAVE_QUALITY_AS = 66, TXT_RATE = 67,
    TXT_DEPTH = 68, TXT_CHANNELS = 69, TXT_DO_NOT_CUT = 525,
};
const int kDefaultCutValue = 20;

int AskWithMessage(cElementHost* owner, HWND parent, cResourceManager* res, const char* text) {
    auto* question = new cMessageWnd(owner, parent, res);
    question->SetTitleDC(SPRITE_QUESTION_TITLE);
    question->SetText(text);
    question->AddButton(SPRITE_YES, SPRITE_YES);
    question->AddButton(SPRITE_NO, SPRITE_NO);
    question->SetCountdown(-1);
    question->MessageLoop();
    const int result = question->GetResult();
    delete question;
    return result;
}
void NoHelp(int, cElementHost*, HWND, cResourceManager*) {}

dlgs::ProfileEditorHooks g_hooks = {&AskWithMessage, &NoHelp};

void OpenCutChoice(cElementHost* owner, HWND parent, cResourceManager* res, char* name, int size) {
    char buffer[cCutProfileWnd::NAME_SIZE] = {};
    bk::TextCopy(buffer, name ? name : "");
    auto* editor = new cCutProfileChoiceWnd(owner, parent, res, buffer);
    editor->MessageLoop();
    delete editor;
    if (name && size > 0) bk::TextCopy(name, static_cast<size_t>(size), buffer);
}
void OpenQualityChoice(cElementHost* owner, HWND parent, cResourceManager* res, char* name, int size) {
    char buffer[cRecQualityWnd::NAME_SIZE] = {};
    bk::TextCopy(buffer, name ? name : "");
    auto* editor = new cRecQualityChoiceWnd(owner, parent, res, buffer);
    editor->MessageLoop();
    delete editor;
    if (name && size > 0) bk::TextCopy(name, static_cast<size_t>(size), buffer);
}

// One label line without prefix processing, cut with an ellipsis.
void Label(HDC dc, cResourceManager* res, int font, const char* text, RECT r) {
    HFONT f = res ? res->GetFont(font) : nullptr;
    HGDIOBJ old = f ? SelectObject(dc, f) : nullptr;
    SetTextColor(dc, RGB(0, 0, 0));
    DrawTextA(dc, text, -1, &r, DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (old) SelectObject(dc, old);
}
void TextLabel(HDC dc, cResourceManager* res, int font, unsigned id, RECT r) {
    char text[512] = {};
    dlgs::Text(id, text, sizeof text);
    Label(dc, res, font, text, r);
}

// Takes the typed name into `out`; tells the user why a name is refused.
bool TakeName(cVLEditBox* edit, cElementHost* owner, HWND parent, cResourceManager* res, char* out, int size) {
    char typed[cCutProfileWnd::NAME_SIZE] = {};
    if (edit) edit->GetText(typed, sizeof typed);
    if (dlgs::CleanProfileName(typed, out, size)) return true;
    char format[512] = {}, text[1400] = {};
    dlgs::OwnText(DLG_TEXT_PROFILE_NAME_BAD, format, sizeof format);
    bk::TextFormat(text, sizeof text, format, typed);
    dlgs::Notice(owner, parent, res, text);
    return false;
}

// Asks whether the profile named in the name field goes; the name is what
// the field shows now, which may be a suggestion and not the opened one.
bool ConfirmDelete(cVLEditBox* edit, cElementHost* owner, HWND parent, cResourceManager* res, char* name,
                   int size) {
    char format[512] = {}, text[cCutProfileWnd::NAME_SIZE + 512] = {};
    if (edit) edit->GetText(name, size);
    dlgs::Text(TXT_DELETE_QUESTION, format, sizeof format);
    bk::TextFormat(text, sizeof text, format, name);
    return g_hooks.confirm(owner, parent, res, text) != 0;
}

}  // namespace

namespace dlgs {

ProfileEditorHooks& ProfileHooks() { return g_hooks; }

bool ProfileHelpInstalled() { return g_hooks.help != &NoHelp; }

void InstallProfileEditorOpeners() {
    Openers().cutChoice = &OpenCutChoice;
    Openers().qualityChoice = &OpenQualityChoice;
}

bool CleanProfileName(const char* typed, char* out, int size) {
    if (!out || size <= 0) return false;
    out[0] = 0;
    if (!typed) return true;
    const char* begin = typed;
    while (*begin == ' ' || *begin == '\t' || *begin == '\r' || *begin == '\n') ++begin;
    size_t length = strlen(begin);
    while (length && (begin[length - 1] == ' ' || begin[length - 1] == '\t' || begin[length - 1] == '\r' ||
                      begin[length - 1] == '\n'))
        --length;
    if (*begin == ';') return false;
    for (size_t i = 0; i < length; ++i)
        if (begin[i] == '[' || begin[i] == ']' || begin[i] == '\r' || begin[i] == '\n') return false;
    if (length >= static_cast<size_t>(size)) length = static_cast<size_t>(size) - 1;
    memcpy(out, begin, length);
    out[length] = 0;
    return true;
}

}  // namespace dlgs

// ---------------------------------------------------------------- cut profile

cCutProfileWnd::cCutProfileWnd(cElementHost* owner, HWND parent, cResourceManager* res, char* profileName)
    : cPopUpWnd(parent, res), owner_(owner), res_(res), openedName_{}, type_(nullptr), value_(nullptr),
      name_(nullptr), white_(CreateSolidBrush(RGB(255, 255, 255))) {
    bk::TextCopy(openedName_, profileName ? profileName : "");
    HWND hwnd = GetWindow();
    if (!hwnd) return;
    PreparePopup(this, &cCutProfileWnd::CutProc, WIDTH, HEIGHT, SPRITE_TITLE);
    if (GetShadowDC()) SetBkMode(GetShadowDC(), TRANSPARENT);
    ::ShowWindow(hwnd, SW_SHOW);

    int type = 0, value = kDefaultCutValue, folder = 0;
    GetAutoCutSettings(openedName_, &type, &value, &folder, nullptr);

    cWndButton* del = AddPopupButton(this, owner_, res_, BUTTON_DELETE, SPRITE_DELETE, 0, 35, 0, false);
    if (del) del->SetPos(POINT{215 - del->GetGfxWidth(), 35}, 1);
    type_ = new cSkinComboBox(hwnd, res_, 93, 67, 110, 16, 0, 2);
    char text[256] = {};
    dlgs::Text(TXT_TIME, text, sizeof text);
    type_->AddString(text);
    dlgs::Text(TXT_FILE_SIZE, text, sizeof text);
    type_->AddString(text);
    type_->SetCurSel(type == 2 ? 1 : 0);
    value_ = new cVLEditBox(hwnd, res_, POINT{93, 94}, SIZE{80, 16}, 2, 0);
    value_->SetNumberOnly();
    value_->SetText(value);
    PlaceBehind(value_->GetWindow(), type_->GetWindow());
    if (cWndButton* box = AddPopupButton(this, owner_, res_, BOX_OWN_FOLDER, SPRITE_CHECK, 12, 121, 0, true))
        box->SetStatus(folder != 0 ? 1 : 2);
    name_ = new cVLEditBox(hwnd, res_, POINT{10, 171}, SIZE{180, 16}, 2, 0);
    name_->SetText(openedName_);
    PlaceBehind(name_->GetWindow(), value_->GetWindow());
    if (cWndButton* save = AddPopupButton(this, owner_, res_, BUTTON_SAVE, SPRITE_SAVE, 26, 0, 0, false)) {
        const int y = 231 - save->GetGfxHeight();
        save->SetPos(POINT{26, y}, 1);
        if (cWndButton* cancel = AddPopupButton(this, owner_, res_, BUTTON_CANCEL, SPRITE_CANCEL, 0, y, 0, false))
            cancel->SetPos(POINT{200 - cancel->GetGfxWidth(), y}, 1);
    }
    SetActiveWindow(name_->GetWindow());
    SetFocus(name_->GetWindow());
    Invalidate();
}

cCutProfileWnd::~cCutProfileWnd() {
    Close();
    if (white_) DeleteObject(white_);
}

void cCutProfileWnd::StoreProfile(const char* name) {
    if (cSettingsInterface* host = dlgs::Host()) host->SetAutoCutMuster(name);
}

void cCutProfileWnd::SuggestName() {
    Invalidate();
    if (!value_ || !name_ || !type_) return;
    char value[cVLEditBox::TEXT_LIMIT] = {}, unit[64] = {}, format[256] = {}, name[NAME_SIZE] = {};
    value_->GetText(value, sizeof value);
    dlgs::Text(type_->GetCurSel() == 0 ? TXT_MINUTES : TXT_MB, unit, sizeof unit);
    dlgs::Text(TXT_SUGGESTION, format, sizeof format);
    bk::TextFormat(name, sizeof name, format, value, unit);
    name_->SetText(name);
}

void cCutProfileWnd::OnSave() {
    char name[NAME_SIZE] = {};
    if (!TakeName(name_, owner_, GetWindow(), res_, name, sizeof name)) return;
    char value[cVLEditBox::TEXT_LIMIT] = {};
    if (value_) value_->GetText(value, sizeof value);
    // The number field keeps out letters but not 0, nothing or a huge
    // number; the recorder would cut at every block with less than 1.
    char* end = nullptr;
    const long number = value[0] ? strtol(value, &end, 10) : 0;
    if (!value[0] || (end && *end) || number < VALUE_MIN || number > VALUE_MAX) {
        char format[512] = {}, text[800] = {};
        dlgs::OwnText(DLG_TEXT_CUT_VALUE_BAD, format, sizeof format);
        bk::TextFormat(text, sizeof text, format, value, static_cast<int>(VALUE_MIN), static_cast<int>(VALUE_MAX));
        dlgs::Notice(owner_, GetWindow(), res_, text);
        return;
    }
    const int type = (type_ ? type_->GetCurSel() : 0) == 1 ? 2 : 1;
    auto* box = static_cast<cWndButton*>(GetButtonList()->GetById(BOX_OWN_FOLDER));
    const int folder = box && IsTicked(box->GetStatus()) ? 1 : 0;
    if (name[0]) {
        SetAutoCutSettings(name, type, static_cast<int>(number), folder, -1);
        SortAutoCutSettings();
        StoreProfile(name);
    }
    Close();
}

void cCutProfileWnd::OnDelete() {
    char name[NAME_SIZE] = {};
    if (!ConfirmDelete(name_, owner_, GetWindow(), res_, name, sizeof name)) return;
    DeleteAutoCutSettings(name);
    Close();
    // The player must not go on naming a profile that is gone: it takes the
    // recording view's first choice, "do not cut", which the view shows
    // once it is read again.
    cSettingsInterface* host = dlgs::Host();
    if (host && _stricmp(host->GetAutoCutMuster() ? host->GetAutoCutMuster() : "", name) == 0) {
        char none[256] = {};
        dlgs::Text(TXT_DO_NOT_CUT, none, sizeof none);
        host->SetAutoCutMuster(none);
        host->Save();
        dlgs::Callback(46, 0, nullptr);
    }
}

void cCutProfileWnd::Close() {
    delete type_;
    type_ = nullptr;
    delete value_;
    value_ = nullptr;
    delete name_;
    name_ = nullptr;
    DestroyPopupWindow();
}

LRESULT CALLBACK cCutProfileWnd::CutProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<cCutProfileWnd*>(fkwin::Bound<cPopUpWnd>(hwnd));
    if (!self) return 0;
    switch (msg) {
    case WM_SKIN_BUTTON_PRESSED:
        switch (lParam) {
        case BUTTON_DELETE: self->OnDelete(); break;
        case BUTTON_CANCEL: self->Close(); break;
        case BUTTON_SAVE: self->OnSave(); break;
        default: break;
        }
        return 0;
    case WM_SKIN_COMBO_SELCHANGE: self->SuggestName(); return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == CBN_CLOSEUP) SetFocus(hwnd);
        if (HIWORD(wParam) == EN_CHANGE && self->value_ && reinterpret_cast<HWND>(lParam) == self->value_->GetWindow())
            self->SuggestName();
        return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        return dlgs::WhiteControl(wParam, self->white_);
    default: break;
    }
    return PopupProc(hwnd, msg, wParam, lParam);
}

void cCutProfileWnd::OnPaint(HDC dc, PAINTSTRUCT& ps) {
    SetBkMode(dc, TRANSPARENT);
    char title[256] = {}, line[NAME_SIZE + 300] = {};
    dlgs::Text(TXT_CUT_TITLE, title, sizeof title);
    bk::TextFormat(line, sizeof line, "%s %s", title, openedName_);
    Label(dc, res_, 0, line, RECT{10, 35, GetSize().cx - 25, 65});
    TextLabel(dc, res_, 1, TXT_SAVE_CUT_AS, RECT{10, 153, 380, 168});
    TextLabel(dc, res_, 1, TXT_OWN_FOLDER, RECT{28, 120, 380, 135});
    TextLabel(dc, res_, 1, TXT_CUT_BY, RECT{10, 68, 380, 83});
    TextLabel(dc, res_, 1, TXT_CUT_EVERY, RECT{10, 95, 380, 110});
    const int sel = type_ ? type_->GetCurSel() : -1;
    if (sel == 0 || sel == 1) TextLabel(dc, res_, 1, sel == 0 ? TXT_MINUTES : TXT_MB, RECT{180, 95, 280, 110});
    if (value_) value_->Show(dc);
    if (name_) name_->Show(dc);
    if (type_) type_->Show(dc);
    cPopUpWnd::OnPaint(dc, ps);
}

cCutProfileChoiceWnd::cCutProfileChoiceWnd(cElementHost* owner, HWND parent, cResourceManager* res, char* buffer)
    : cCutProfileWnd(owner, parent, res, buffer), buffer_(buffer) {}

void cCutProfileChoiceWnd::StoreProfile(const char* name) {
    if (buffer_) bk::TextCopy(buffer_, NAME_SIZE, name);
}

// ------------------------------------------------------------ recording quality

namespace {
const int kRates[] = {48000, 44100, 32000, 24000, 22050, 16000, 12000, 11025, 8000};
const char* const kRateTexts[] = {"48 kHz", "44,1 kHz", "32 kHz", "24 kHz", "22 kHz",
                                  "16 kHz", "12 kHz",   "11 kHz", " 8 kHz"};
}  // namespace

int cRecQualityWnd::RateOf(int index) {
    return index >= 0 && index < static_cast<int>(sizeof kRates / sizeof kRates[0]) ? kRates[index] : 0;
}

cRecQualityWnd::cRecQualityWnd(cElementHost* owner, HWND parent, cResourceManager* res, char* profileName)
    : cPopUpWnd(parent, res), owner_(owner), res_(res), openedName_{}, name_(nullptr), deletePending_(true),
      white_(CreateSolidBrush(RGB(255, 255, 255))) {
    bk::TextCopy(openedName_, profileName ? profileName : "");
    HWND hwnd = GetWindow();
    if (!hwnd) return;
    PreparePopup(this, &cRecQualityWnd::QualityProc, WIDTH, HEIGHT, SPRITE_TITLE);
    if (GetShadowDC()) SetBkMode(GetShadowDC(), TRANSPARENT);
    ::ShowWindow(hwnd, SW_SHOW);

    int sps = 44100, bps = 16, nch = 2;
    GetRecQualitySettings(openedName_, &sps, &bps, &nch, nullptr);

    if (cWndButton* del = AddPopupButton(this, owner_, res_, BUTTON_DELETE, SPRITE_DELETE, 0, 35, 0, false))
        del->SetPos(POINT{220 - del->GetGfxWidth(), 35}, 1);
    cSkinComboBox* rate = AddList(83, 67);
    int rateIndex = 0;
    for (int i = 0; i < static_cast<int>(sizeof kRates / sizeof kRates[0]); ++i) {
        rate->AddString(kRateTexts[i]);
        if (kRates[i] == sps) rateIndex = i;
    }
    rate->SetCurSel(rateIndex);
    if (cWndButton* help = AddPopupButton(this, owner_, res_, BUTTON_HELP, SPRITE_HELP, 0, 69, 0, false))
        help->SetPos(POINT{214 - help->GetGfxWidth(), 69}, 1);
    cSkinComboBox* depth = AddList(83, 94);
    depth->AddString("16 Bit");
    depth->AddString(" 8 Bit");
    depth->SetCurSel(bps == 8 ? 1 : 0);
    // Both help buttons carry the same id; the element list finds the first.
    if (cWndButton* help = AddPopupButton(this, owner_, res_, BUTTON_HELP, SPRITE_HELP, 0, 94, 0, false))
        help->SetPos(POINT{214 - help->GetGfxWidth(), 94}, 1);
    cSkinComboBox* channels = AddList(83, 121);
    char text[128] = {};
    dlgs::Text(TXT_STEREO, text, sizeof text);
    channels->AddString(text);
    dlgs::Text(TXT_MONO, text, sizeof text);
    channels->AddString(text);
    channels->SetCurSel(nch == 1 ? 1 : 0);
    PlaceBehind(depth->GetWindow(), rate->GetWindow());
    PlaceBehind(channels->GetWindow(), depth->GetWindow());
    name_ = new cVLEditBox(hwnd, res_, POINT{10, 171}, SIZE{180, 16}, 2, 0);
    name_->SetText(openedName_);
    PlaceBehind(name_->GetWindow(), channels->GetWindow());
    if (cWndButton* save = AddPopupButton(this, owner_, res_, BUTTON_SAVE, SPRITE_SAVE, 42, 0, 0, false)) {
        const int y = 231 - save->GetGfxHeight();
        save->SetPos(POINT{42, y}, 1);
        if (cWndButton* cancel = AddPopupButton(this, owner_, res_, BUTTON_CANCEL, SPRITE_CANCEL, 0, y, 0, false))
            cancel->SetPos(POINT{219 - cancel->GetGfxWidth(), y}, 1);
    }
    SetActiveWindow(name_->GetWindow());
    SetFocus(name_->GetWindow());
    Invalidate();
}

cRecQualityWnd::~cRecQualityWnd() {
    Close();
    if (white_) DeleteObject(white_);
}

cSkinComboBox* cRecQualityWnd::GetList(int index) { return static_cast<cSkinComboBox*>(lists_.GetById(index + 1)); }

cSkinComboBox* cRecQualityWnd::AddList(int x, int y) {
    auto* list = new cSkinComboBox(GetWindow(), res_, x, y, 110, 16, 0, 2);
    list->SetId(lists_.GetAnzElement() + 1);
    lists_.Add(list);
    return list;
}

void cRecQualityWnd::StoreProfile(const char* name) {
    if (cSettingsInterface* host = dlgs::Host()) host->SetQualityMuster(name);
}

void cRecQualityWnd::OnSave() {
    char name[NAME_SIZE] = {};
    if (!TakeName(name_, owner_, GetWindow(), res_, name, sizeof name)) return;
    cSkinComboBox* rate = GetList(LIST_RATE);
    cSkinComboBox* depth = GetList(LIST_DEPTH);
    cSkinComboBox* channels = GetList(LIST_CHANNELS);
    const int sps = RateOf(rate ? rate->GetCurSel() : -1);
    const int depthSel = depth ? depth->GetCurSel() : -1;
    const int bps = depthSel == 0 ? 16 : depthSel == 1 ? 8 : 0;
    const int nch = (channels ? channels->GetCurSel() : -1) == 0 ? 2 : 1;
    if (name[0]) {
        SetRecQualitySettings(name, sps, bps, nch);
        StoreProfile(name);
    }
    Close();
}

void cRecQualityWnd::OnDelete() {
    char name[NAME_SIZE] = {};
    if (!ConfirmDelete(name_, owner_, GetWindow(), res_, name, sizeof name)) return;
    DeleteRecQualitySettings(name);
    Close();
}

void cRecQualityWnd::Close() {
    lists_.Delete();
    delete name_;
    name_ = nullptr;
    DestroyPopupWindow();
}

LRESULT CALLBACK cRecQualityWnd::QualityProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<cRecQualityWnd*>(fkwin::Bound<cPopUpWnd>(hwnd));
    if (!self) return 0;
    switch (msg) {
    case WM_SKIN_BUTTON_PRESSED:
        switch (lParam) {
        case BUTTON_DELETE: self->OnDelete(); break;
        case BUTTON_CANCEL: self->Close(); break;
        case BUTTON_SAVE: self->OnSave(); break;
        case BUTTON_HELP: g_hooks.help(dlgs::HELP_REC_QUALITY, self->owner_, hwnd, self->res_); break;
        default: break;
        }
        return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        return dlgs::WhiteControl(wParam, self->white_);
    default: break;
    }
    return PopupProc(hwnd, msg, wParam, lParam);
}

void cRecQualityWnd::OnPaint(HDC dc, PAINTSTRUCT& ps) {
    SetBkMode(dc, TRANSPARENT);
    RECT nameRect = {10, 35, 380, 65};
    HFONT f = res_ ? res_->GetFont(0) : nullptr;
    HGDIOBJ old = f ? SelectObject(dc, f) : nullptr;
    RECT measured = nameRect;
    DrawTextA(dc, openedName_, -1, &measured, DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
    if (old) SelectObject(dc, old);
    Label(dc, res_, 0, openedName_, nameRect);
    if (deletePending_) {
        // The delete button sits right of the name, never past the frame.
        if (auto* del = static_cast<cWndButton*>(GetButtonList()->GetById(BUTTON_DELETE))) {
            int x = measured.right + 5;
            if (x > DELETE_MAX_X) x = DELETE_MAX_X;
            del->SetPos(POINT{x, 35}, 1);
        }
        deletePending_ = false;
    }
    TextLabel(dc, res_, 1, TXT_SAVE_QUALITY_AS, RECT{10, 153, 380, 168});
    TextLabel(dc, res_, 1, TXT_RATE, RECT{10, 68, 380, 83});
    TextLabel(dc, res_, 1, TXT_DEPTH, RECT{10, 95, 380, 110});
    TextLabel(dc, res_, 1, TXT_CHANNELS, RECT{10, 122, 380, 137});
    if (name_) name_->Show(dc);
    for (cListElement* e = lists_.First(); e; e = e->Next()) static_cast<cSkinComboBox*>(e)->Show(dc);
    cPopUpWnd::OnPaint(dc, ps);
}

cRecQualityChoiceWnd::cRecQualityChoiceWnd(cElementHost* owner, HWND parent, cResourceManager* res, char* buffer)
    : cRecQualityWnd(owner, parent, res, buffer), buffer_(buffer) {}

void cRecQualityChoiceWnd::StoreProfile(const char* name) {
    if (buffer_) bk::TextCopy(buffer_, NAME_SIZE, name);
}
