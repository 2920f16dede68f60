#include "mp3_quality_wnd.h"

#include <cstdlib>
#include <cstring>

#include "../../tunerdeck/core/settings_interface.h"
#include "bounded_text.h"
#include "button_list.h"
#include "dialog_services.h"
#include "popup_paint.h"
#include "element_host.h"
#include "profile_editors.h"
#include "registry.h"
#include "resource_manager.h"
#include "window_binding.h"
#include "wnd_button.h"

namespace {

enum { SPRITE_TITLE = 280, SPRITE_CHECK = 214, SPRITE_HELP = 286, SPRITE_SAVE = 288, SPRITE_CANCEL = 226 };
enum { TXT_STEREO = 465, TXT_JOINT = 466, TXT_TITLE = 468, TXT_BITRATE = 469, TXT_CHANNELS = 470, TXT_VBR = 471 };

const int kRates[cMp3QualityWnd::RATE_COUNT] = {320, 256, 224, 192, 160, 128, 112, 96, 80, 64, 56, 48, 40, 32};

// Modal over the format pop-up, whose OK would otherwise store the values
// from before the choice.
void OpenMp3Choice(cElementHost* owner, HWND parent, cResourceManager* res, unsigned long* bitrate, int* channels,
                   int* vbr) {
    int rate = bitrate ? static_cast<int>(*bitrate) : 0;
    auto* editor = new cMp3QualityChoiceWnd(owner, parent, res, &rate, channels, vbr);
    editor->MessageLoop();
    delete editor;
    if (bitrate) *bitrate = static_cast<unsigned long>(rate);
}

}  // namespace

void dlgs::InstallMp3ChoiceOpener() { Openers().mp3Choice = &OpenMp3Choice; }

int cMp3QualityWnd::RateOf(int index) { return index >= 0 && index < RATE_COUNT ? kRates[index] : 0; }

int cMp3QualityWnd::EntryOf(unsigned long rate) {
    for (int i = 0; i < RATE_COUNT; ++i)
        if (static_cast<unsigned long>(kRates[i]) == rate) return i;
    return -1;
}

cMp3QualityWnd::cMp3QualityWnd(cElementHost* owner, HWND parent, cResourceManager* res)
    : cPopUpWnd(parent, res), owner_(owner), res_(res), white_(CreateSolidBrush(RGB(255, 255, 255))) {
    HWND hwnd = GetWindow();
    if (!hwnd) return;
    PreparePopup(this, &cMp3QualityWnd::Mp3Proc, WIDTH, HEIGHT, SPRITE_TITLE);
    if (GetShadowDC()) SetBkMode(GetShadowDC(), TRANSPARENT);
    ::ShowWindow(hwnd, SW_SHOW);

    unsigned long rate = 0;
    GetValue("MP3_Bitrate", &rate);
    char vbr[13] = {}, art[16] = {};
    GetValue("MP3_VBR", vbr, sizeof vbr);
    GetValue("STEREO_ART", art, sizeof art);

    auto* rates = new cSkinComboBox(hwnd, res_, 59, 65, 110, 16, 0, 2);
    rates->SetId(LIST_BITRATE + 1);
    lists_.Add(rates);
    for (int i = 0; i < RATE_COUNT; ++i) {
        char text[32] = {};
        bk::TextFormat(text, sizeof text, "%3d kbit/s", kRates[i]);
        rates->AddString(text);
    }
    const int entry = EntryOf(rate);
    rates->SetCurSel(entry < 0 ? DEFAULT_ENTRY : entry);
    if (cWndButton* box = AddPopupButton(this, owner_, res_, BOX_VBR, SPRITE_CHECK, 10, 121, 0, true))
        box->SetStatus(strcmp(vbr, "1") == 0 ? 1 : 2);
    if (cWndButton* help = AddPopupButton(this, owner_, res_, BUTTON_HELP, SPRITE_HELP, 0, 67, 0, false))
        help->SetPos(POINT{190 - help->GetGfxWidth(), 67}, 1);
    auto* channels = new cSkinComboBox(hwnd, res_, 59, 92, 110, 16, 0, 2);
    channels->SetId(LIST_CHANNELS + 1);
    lists_.Add(channels);
    char text[128] = {};
    dlgs::Text(TXT_STEREO, text, sizeof text);
    channels->AddString(text);
    dlgs::Text(TXT_JOINT, text, sizeof text);
    channels->AddString(text);
    channels->SetCurSel(strcmp(art, "STEREO") == 0 ? 0 : 1);
    PlaceBehind(channels->GetWindow(), rates->GetWindow());
    if (cWndButton* save = AddPopupButton(this, owner_, res_, BUTTON_SAVE, SPRITE_SAVE, 21, 0, 0, false)) {
        const int y = 175 - save->GetGfxHeight();
        save->SetPos(POINT{21, y}, 1);
        if (cWndButton* cancel = AddPopupButton(this, owner_, res_, BUTTON_CANCEL, SPRITE_CANCEL, 0, y, 0, false))
            cancel->SetPos(POINT{188 - cancel->GetGfxWidth(), y}, 1);
    }
    Invalidate();
}

cMp3QualityWnd::~cMp3QualityWnd() {
    Close();
    if (white_) DeleteObject(white_);
}

cSkinComboBox* cMp3QualityWnd::GetList(int index) { return static_cast<cSkinComboBox*>(lists_.GetById(index + 1)); }

void cMp3QualityWnd::StoreSetting(const char* key, unsigned long value) { SetValue(key, value); }
void cMp3QualityWnd::StoreSetting(const char* key, const char* text) { SetValue(key, text); }

void cMp3QualityWnd::OnSave() {
    cSkinComboBox* rates = GetList(LIST_BITRATE);
    cSkinComboBox* channels = GetList(LIST_CHANNELS);
    const unsigned long rate = static_cast<unsigned long>(RateOf(rates ? rates->GetCurSel() : -1));
    const bool joint = (channels ? channels->GetCurSel() : 0) != 0;
    auto* box = static_cast<cWndButton*>(GetButtonList()->GetById(BOX_VBR));
    const bool vbr = box && IsTicked(box->GetStatus());
    StoreSetting("MP3_Bitrate", rate);
    StoreSetting("MP3_VBR", vbr ? "1" : "0");
    StoreSetting("STEREO_ART", joint ? "JSTEREO" : "STEREO");
    Close();
}

void cMp3QualityWnd::Close() {
    lists_.Delete();
    DestroyPopupWindow();
}

LRESULT CALLBACK cMp3QualityWnd::Mp3Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<cMp3QualityWnd*>(fkwin::Bound<cPopUpWnd>(hwnd));
    if (!self) return 0;
    switch (msg) {
    case WM_SKIN_BUTTON_PRESSED:
        switch (lParam) {
        case BUTTON_CANCEL: self->Close(); break;
        case BUTTON_SAVE: self->OnSave(); break;
        case BUTTON_HELP:
            dlgs::ProfileHooks().help(dlgs::HELP_MP3_QUALITY, self->owner_, hwnd, self->res_);
            break;
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

void cMp3QualityWnd::OnPaint(HDC dc, PAINTSTRUCT& ps) {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    struct Line {
        unsigned id;
        int font;
        RECT r;
    };
    const Line lines[] = {
        {TXT_TITLE, 0, {10, 35, 250, 65}},    {TXT_BITRATE, 1, {10, 66, 250, 81}},
        {TXT_CHANNELS, 1, {10, 93, 250, 108}}, {TXT_VBR, 1, {25, 120, 250, 135}},
    };
    for (const Line& l : lines) {
        char text[256] = {};
        dlgs::Text(l.id, text, sizeof text);
        HFONT f = res_ ? res_->GetFont(l.font) : nullptr;
        HGDIOBJ old = f ? SelectObject(dc, f) : nullptr;
        RECT r = l.r;
        dlgs::DrawLabel(dc, text, &r, DT_SINGLELINE | DT_NOPREFIX);
        if (old) SelectObject(dc, old);
    }
    for (cListElement* e = lists_.First(); e; e = e->Next()) static_cast<cSkinComboBox*>(e)->Show(dc);
    cPopUpWnd::OnPaint(dc, ps);
}

cMp3QualityChoiceWnd::cMp3QualityChoiceWnd(cElementHost* owner, HWND parent, cResourceManager* res, int* bitRate,
                                           int* channelMode, int* vbr)
    : cMp3QualityWnd(owner, parent, res), bitRate_(bitRate), channelMode_(channelMode), vbr_(vbr) {
    if (bitRate_ && *bitRate_ != 0) {
        const int entry = EntryOf(static_cast<unsigned long>(*bitRate_));
        if (cSkinComboBox* rates = GetList(LIST_BITRATE)) rates->SetCurSel(entry < 0 ? 0 : entry);
    }
    // -1 keeps the stored channel mode the base form selected.
    if (channelMode_ && (*channelMode_ == 0 || *channelMode_ == 1))
        if (cSkinComboBox* channels = GetList(LIST_CHANNELS)) channels->SetCurSel(*channelMode_);
    dlgs::PumpFor(0);
    auto* box = static_cast<cWndButton*>(GetButtonList()->GetById(BOX_VBR));
    if (!box || !vbr_) return;
    if (*vbr_ == -1) {
        cSettingsInterface* host = dlgs::Host();
        *vbr_ = host ? host->GetMP3VBR() : 0;
    }
    if (*vbr_ == 0) box->SetStatus(2);
    if (*vbr_ == 1) box->SetStatus(1);
}

void cMp3QualityChoiceWnd::StoreSetting(const char* key, unsigned long value) {
    if (bitRate_ && strcmp(key, "MP3_Bitrate") == 0) *bitRate_ = static_cast<int>(value);
}

void cMp3QualityChoiceWnd::StoreSetting(const char* key, const char* text) {
    if (strcmp(key, "MP3_VBR") == 0 && vbr_) *vbr_ = atoi(text);
    if (strcmp(key, "STEREO_ART") == 0 && channelMode_) {
        if (strcmp(text, "STEREO") == 0) *channelMode_ = 0;
        if (strcmp(text, "JSTEREO") == 0) *channelMode_ = 1;
    }
}
