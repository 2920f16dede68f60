#include "timer_format_wnd.h"

#include <cstring>

#include "../../tunerdeck/core/settings_interface.h"
#include "bounded_text.h"
#include "button_list.h"
#include "dialog_services.h"
#include "registry.h"
#include "resource_manager.h"
#include "timerentry.h"
#include "window_binding.h"
#include "wnd_button.h"

namespace {

enum { SPRITE_TITLE = 232, SPRITE_CHECK = 214, SPRITE_EDIT = 406, SPRITE_OK = 187, SPRITE_CANCEL = 226 };
enum {
    TXT_NO_CUT = 525, TXT_USE_DEFAULT = 615, TXT_QUALITY = 211, TXT_CUT = 210, TXT_MP3 = 532, TXT_STEREO = 465,
    TXT_JOINT_STEREO = 466, TXT_VBR = 622,
};
const COLORREF kGrey = RGB(167, 167, 167);
const unsigned long kDefaultBitrate = 128;

// Selects the last entry whose text is exactly `name`, else entry 0.
void SelectLastEqual(cSkinComboBox* list, const char* name) {
    if (!list) return;
    int found = 0;
    for (int i = 0; i < list->GetCount(); ++i) {
        char text[cSkinComboBox::TEXT_LIMIT] = {};
        if (SendMessageA(list->GetWindow(), CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0) >= cSkinComboBox::TEXT_LIMIT)
            continue;
        SendMessageA(list->GetWindow(), CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        if (strcmp(text, name) == 0) found = i;
    }
    list->SetCurSel(found);
}

}  // namespace

cTimerFormatWnd::cTimerFormatWnd(cElementHost* owner, HWND parent, cResourceManager* res, cTimerEntry* entry)
    : cPopUpWnd(parent, res), owner_(owner), res_(res), entry_(entry), cutName_{}, qualityName_{}, bitrate_(0),
      channels_(-1), vbr_(-1), useDefault_(1), mp3_(1), summary_{} {
    HWND hwnd = GetWindow();
    if (!hwnd) return;
    PreparePopup(this, &cTimerFormatWnd::FormatProc, WIDTH, HEIGHT, SPRITE_TITLE);
    if (GetShadowDC()) SetBkMode(GetShadowDC(), TRANSPARENT);

    if (cWndButton* box = AddButton(BOX_USE_DEFAULT, SPRITE_CHECK, 8, 41, 1)) box->SetStatus(ES_SELECTED);
    cSkinComboBox* quality = AddList(8, 85);
    char names[8192] = {};
    dlgs::FittingQualityNames(names, sizeof names);
    for (const char* n = names; *n; n += strlen(n) + 1) quality->AddString(n);
    quality->SetCurSel(0);
    quality->SetEnable(0);
    AddButton(BUTTON_EDIT_QUALITY, SPRITE_EDIT, 191, 85, 0);
    EnableButton(BUTTON_EDIT_QUALITY, false);
    cSkinComboBox* cut = AddList(8, 125);
    char noCut[128] = {};
    dlgs::Text(TXT_NO_CUT, noCut, sizeof noCut);
    cut->AddString(noCut);
    dlgs::FittingCutProfileNames(names, sizeof names);
    for (const char* n = names; *n; n += strlen(n) + 1) cut->AddString(n);
    cut->SetCurSel(0);
    cut->SetEnable(0);
    PlaceBehind(cut->GetWindow(), quality->GetWindow());
    AddButton(BUTTON_EDIT_CUT, SPRITE_EDIT, 191, 125, 0);
    EnableButton(BUTTON_EDIT_CUT, false);
    AddButton(BUTTON_EDIT_MP3, SPRITE_EDIT, 191, 164, 0);
    EnableButton(BUTTON_EDIT_MP3, false);
    AddButton(BUTTON_OK, SPRITE_OK, 59, 202, 0);
    AddButton(BUTTON_CANCEL, SPRITE_CANCEL, 142, 202, 0);

    cSettingsInterface* host = dlgs::Host();
    if (host && host->GetRecordingFormat() == 0) mp3_ = 0;
    dlgs::PumpFor(10);
    ::ShowWindow(hwnd, SW_SHOW);
    LoadEntry();
    dlgs::PumpFor(0);
    Invalidate();
    SelectProfiles();
}

cTimerFormatWnd::~cTimerFormatWnd() { lists_.Delete(); }

cSkinComboBox* cTimerFormatWnd::GetList(int index) { return static_cast<cSkinComboBox*>(lists_.GetById(index + 1)); }

cWndButton* cTimerFormatWnd::GetButton(unsigned long id) {
    return static_cast<cWndButton*>(GetButtonList()->GetById(id));
}

cSkinComboBox* cTimerFormatWnd::AddList(int x, int y) {
    auto* list = new cSkinComboBox(GetWindow(), res_, x, y, 175, 16, 0, 2);
    list->SetId(lists_.GetAnzElement() + 1);
    lists_.Add(list);
    return list;
}

cWndButton* cTimerFormatWnd::AddButton(unsigned long id, unsigned long sprite, int x, int y, int look) {
    return AddPopupButton(this, owner_, res_, id, sprite, x, y, 0, look != 0);
}

void cTimerFormatWnd::EnableButton(unsigned long id, bool enable) {
    if (cWndButton* b = GetButton(id)) b->SetEnable(enable ? 1 : 0);
}

void cTimerFormatWnd::LoadEntry() {
    if (!entry_) return;
    cSettingsInterface* host = dlgs::Host();
    bk::TextCopy(cutName_, entry_->GetSchnittprofil());
    if (!cutName_[0] && host && host->GetAutoCutMuster()) bk::TextCopy(cutName_, host->GetAutoCutMuster());
    bk::TextCopy(qualityName_, entry_->GetQualitaet());
    if (!qualityName_[0] && host && host->GetQualityMuster()) bk::TextCopy(qualityName_, host->GetQualityMuster());
    bitrate_ = entry_->GetBitrate();
    vbr_ = entry_->GetVBR();
    channels_ = entry_->GetKanaele();
    useDefault_ = entry_->GetUseDefault();
    cWndButton* box = GetButton(BOX_USE_DEFAULT);
    if (useDefault_ == 0) {
        SelectProfiles();
        useDefault_ = 1;
        OnUseDefaultToggled();
        if (box) box->SetStatus(ES_NORMAL);
    } else if (box) {
        box->SetStatus(ES_SELECTED);
    }
}

void cTimerFormatWnd::SelectProfiles() {
    SelectLastEqual(GetList(LIST_QUALITY), qualityName_);
    SelectLastEqual(GetList(LIST_CUT), cutName_);
    cSkinComboBox* cut = GetList(LIST_CUT);
    if (cut && cut->GetCurSel() <= 0) EnableButton(BUTTON_EDIT_CUT, false);
    Invalidate();
}

void cTimerFormatWnd::UpdateCutButton() {
    cSkinComboBox* cut = GetList(LIST_CUT);
    if (!cut || cut->GetCurSel() <= 0)
        EnableButton(BUTTON_EDIT_CUT, false);
    else
        EnableButton(BUTTON_EDIT_CUT, useDefault_ == 0);
}

void cTimerFormatWnd::OnUseDefaultToggled() {
    useDefault_ = !useDefault_;
    const bool own = useDefault_ == 0;
    if (cSkinComboBox* l = GetList(LIST_QUALITY)) {
        l->SetEnable(own);
        l->GetText(qualityName_, sizeof qualityName_);
    }
    if (cSkinComboBox* l = GetList(LIST_CUT)) {
        l->SetEnable(own);
        l->GetText(cutName_, sizeof cutName_);
    }
    EnableButton(BUTTON_EDIT_QUALITY, own);
    UpdateCutButton();
    cSettingsInterface* host = dlgs::Host();
    if (host && host->GetRecordingFormat() != 0) {
        mp3_ = 1;
        EnableButton(BUTTON_EDIT_MP3, own);
    } else {
        mp3_ = 0;
        EnableButton(BUTTON_EDIT_MP3, false);
    }
    OnSelectionChanged();
}

void cTimerFormatWnd::OnSelectionChanged() {
    if (cSkinComboBox* l = GetList(LIST_QUALITY)) l->GetText(qualityName_, sizeof qualityName_);
    if (cSkinComboBox* l = GetList(LIST_CUT)) l->GetText(cutName_, sizeof cutName_);
    UpdateCutButton();
    SelectProfiles();
}

void cTimerFormatWnd::OnEditQuality() {
    dlgs::Openers().qualityChoice(owner_, GetWindow(), res_, qualityName_, sizeof qualityName_);
    if (cSkinComboBox* l = GetList(LIST_QUALITY)) l->AddString(qualityName_);
    SelectProfiles();
}

void cTimerFormatWnd::OnEditCutProfile() {
    dlgs::Openers().cutChoice(owner_, GetWindow(), res_, cutName_, sizeof cutName_);
    if (cSkinComboBox* l = GetList(LIST_CUT)) l->AddString(cutName_);
    SelectProfiles();
}

void cTimerFormatWnd::OnEditMp3Quality() {
    dlgs::Openers().mp3Choice(owner_, GetWindow(), res_, &bitrate_, &channels_, &vbr_);
    SelectProfiles();
}

void cTimerFormatWnd::ResolveDefaults() {
    if (bitrate_ == 0) {
        unsigned long stored = 0;
        GetValue("MP3_Bitrate", &stored);
        bitrate_ = stored ? stored : kDefaultBitrate;
    }
    if (channels_ == -1) {
        char art[64] = {};
        GetValue("STEREO_ART", art, sizeof art);
        channels_ = strcmp(art, "STEREO") == 0 ? 0 : 1;
    }
    if (vbr_ == -1) {
        unsigned long stored = 0;
        GetValue("MP3_VBR", &stored);
        vbr_ = static_cast<int>(stored);
        if (vbr_ == -1) vbr_ = 0;
    }
    char channelText[64] = {};
    dlgs::Text(channels_ == 1 ? TXT_JOINT_STEREO : TXT_STEREO, channelText, sizeof channelText);
    char vbrText[32] = {};
    if (vbr_ != 0) dlgs::Text(TXT_VBR, vbrText, sizeof vbrText);
    if (vbr_ == 1)
        bk::TextFormat(summary_, sizeof summary_, "%lu KBit, %s, %s", bitrate_, channelText, vbrText);
    else
        bk::TextFormat(summary_, sizeof summary_, "%lu KBit, %s", bitrate_, channelText);
}

void cTimerFormatWnd::OnOk() {
    if (entry_) {
        ResolveDefaults();
        entry_->SetBitrate(bitrate_);
        entry_->SetKanaele(channels_);
        entry_->SetVBR(vbr_);
        entry_->SetUseDefault(useDefault_);
        if (cSkinComboBox* l = GetList(LIST_CUT)) l->GetText(cutName_, sizeof cutName_);
        entry_->SetSchnittprofil(cutName_);
        if (cSkinComboBox* l = GetList(LIST_QUALITY)) l->GetText(qualityName_, sizeof qualityName_);
        entry_->SetQualitaet(qualityName_);
    }
    Close();
}

void cTimerFormatWnd::Close() {
    lists_.Delete();
    DestroyPopupWindow();
}

LRESULT CALLBACK cTimerFormatWnd::FormatProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<cTimerFormatWnd*>(fkwin::Bound<cPopUpWnd>(hwnd));
    if (!self) return 0;
    switch (msg) {
    case WM_COMMAND:
        ValidateChangedEdit(wParam, lParam);
        break;
    case WM_SKIN_BUTTON_PRESSED:
        switch (lParam) {
        case BOX_USE_DEFAULT: self->OnUseDefaultToggled(); break;
        case BUTTON_EDIT_QUALITY: self->OnEditQuality(); break;
        case BUTTON_EDIT_CUT: self->OnEditCutProfile(); break;
        case BUTTON_EDIT_MP3: self->OnEditMp3Quality(); break;
        case BUTTON_OK: self->OnOk(); break;
        case BUTTON_CANCEL: self->Close(); break;
        default: break;
        }
        return 0;
    case WM_SKIN_COMBO_SELCHANGE: self->OnSelectionChanged(); return 0;
    default: break;
    }
    return PopupProc(hwnd, msg, wParam, lParam);
}

void cTimerFormatWnd::OnPaint(HDC dc, PAINTSTRUCT& ps) {
    SetBkMode(dc, TRANSPARENT);
    auto draw = [&](unsigned id, const char* literal, int x, int y, int font, bool grey) {
        char text[256] = {};
        if (literal)
            bk::TextCopy(text, literal);
        else
            dlgs::Text(id, text, sizeof text);
        HFONT f = res_ ? res_->GetFont(font) : nullptr;
        HGDIOBJ old = f ? SelectObject(dc, f) : nullptr;
        SetTextColor(dc, grey ? kGrey : RGB(0, 0, 0));
        RECT r = {x, y, 240, y + 16};
        dlgs::DrawLabel(dc, text, &r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        if (old) SelectObject(dc, old);
    };
    draw(TXT_USE_DEFAULT, nullptr, 23, 40, 0, false);
    draw(TXT_QUALITY, nullptr, 10, 70, 0, false);
    draw(TXT_CUT, nullptr, 10, 110, 0, false);
    draw(TXT_MP3, nullptr, 10, 151, 0, mp3_ == 0);
    ResolveDefaults();
    draw(0, summary_, 10, 166, 1, false);
    for (cListElement* e = lists_.First(); e; e = e->Next()) static_cast<cSkinComboBox*>(e)->Show(dc);
    cPopUpWnd::OnPaint(dc, ps);
}
