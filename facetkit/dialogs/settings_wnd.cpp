#include "settings_wnd.h"

#include <cstring>
#include <string>
#include <vector>

#include "../../tunerdeck/core/settings_interface.h"
#include "bounded_text.h"
#include "button_list.h"
#include "catalogue.h"
#include "debugtext.h"
#include "dialog_services.h"
#include "dialogs_a_strings.h"
#include "registry.h"
#include "resource_manager.h"
#include "settings_logic.h"
#include "skin_wnd.h"
#include "status_intake.h"
#include "view_notices.h"
#include "window_binding.h"
#include "wnd_button.h"
#include "wnd_list.h"

namespace {

// Rebuilds a page after the handler of the element that asked for it has
// returned, so no element is deleted inside its own click.
constexpr UINT WM_SETTINGS_SHOW_PAGE = WM_APP + 40;

const char kHelpTopic[] = "einstellungen_uebersicht.htm";

// Host capability bits.
enum { CAP_REALAUDIO = 1, CAP_WINDOWS_MEDIA = 2, CAP_MP3 = 4 };

enum {
    SPRITE_TITLE = 232, SPRITE_CHECK = 214, SPRITE_HINT = 286, SPRITE_LINK = 244, SPRITE_PLAYABLE = 210,
    SPRITE_MISSING = 211,
};

// Catalogue texts of the pages.
enum {
    TXT_SELECT_DIRECTORY = 61, TXT_SOURCE_SEARCH_QUESTION = 611, TXT_NOT_ON_VISTA = 730, TXT_UNLIMITED = 452,
    TXT_RECORD_TIP_ON = 279, TXT_RECORD_TIP_OFF = 60, TXT_RECORD_MAIN_TIP_ON = 278, TXT_RECORDING_FOLDER = 57,
    TXT_PODCAST_FOLDER = 626,
};

DWORD g_capabilitiesWaitMs = 3000;
DWORD g_listsWaitMs = 2000;
volatile LONG g_sourceSearch = 0;

const int kPageLeft = 120;
const int kPageRight = cSettingsWnd::WIDTH - 10;

}  // namespace

void cSettingsWnd::SetWaitLimits(DWORD capabilitiesMs, DWORD listsMs) {
    g_capabilitiesWaitMs = capabilitiesMs;
    g_listsWaitMs = listsMs;
}

int cSettingsWnd::IsSourceSearchRunning() { return g_sourceSearch ? 1 : 0; }

// ---------------------------------------------------------------- construction

cSettingsWnd::cSettingsWnd(cElementHost* owner, HWND parent, cResourceManager* res, int guided)
    : cPopUpWnd(parent, res), owner_(owner), res_(res), guided_(guided), page_(PAGE_FORMATS), connectionChanged_(0),
      building_(0), combo_{}, edit_{}, listText_{}, snap_{}, atOpen_{}, proxyDetected_(0), lastInChain_(nullptr),
      inputOffset_(0), deviceOffset_(0), inputHasChoice_(0), deviceHasChoice_(0), inputChoice_(-1),
      deviceChoice_(-1), inputMarked_(-1), deviceMarked_(-1), sentInput_(0), sentDevice_(0), capabilities_(0), notices_{} {
    TakeSnapshot();
    HWND hwnd = GetWindow();
    if (!hwnd) return;
    PreparePopup(this, &cSettingsWnd::SettingsProc, WIDTH, HEIGHT, SPRITE_TITLE);
    ::ShowWindow(hwnd, SW_SHOW);

    int y = 37;
    HWND first = nullptr;
    const bool german = dlgs::Language() == kLanguageGerman;
    const unsigned long tabs[] = {TAB_FORMATS, TAB_INTERNET, TAB_STREAM, TAB_CONNECTION,
                                  TAB_RECORDING, TAB_PODCASTS, TAB_TIPS, TAB_GENERAL};
    for (unsigned long tab : tabs) {
        if (tab == TAB_TIPS && !(german && dlgs::WindowHasElement(WND_ID_NAVIGATOR, dlgs::ELEMENT_NAV_PROGRAMME_TIPS)))
            continue;
        cWndButton* b = AddButton(tab, tab, 7, y, 1, 1);
        if (!b) continue;
        if (!first) first = b->GetWindow();
        if (tab == TAB_RECORDING && !dlgs::WindowHasElement(WND_ID_MAIN, dlgs::ELEMENT_MAIN_RECORD)) b->SetEnable(0);
        y += b->GetGfxHeight() + 1;
    }
    if (first) SetFocus(first);
    cWndButton* ok = AddButton(BUTTON_OK, BUTTON_OK, 7, y, 0, 0);
    int x = 120;
    auto bottom = [&](unsigned long id) {
        cWndButton* b = AddButton(id, id, x, 0, 0, 0);
        if (!b) return;
        b->SetPos(POINT{x, HEIGHT - b->GetGfxHeight() - 14}, 1);
        x += b->GetGfxWidth() + 10;
    };
    if (guided_) {
        bottom(BUTTON_BACK);
        bottom(BUTTON_NEXT);
    } else {
        bottom(BUTTON_CANCEL);
    }
    if (ok) ok->SetPos(POINT{x, HEIGHT - ok->GetGfxHeight() - 14}, 1);
    AddButton(BUTTON_HELP, SPRITE_HINT, WIDTH - 23, 7, 0, 0);
    page_ = PAGE_NONE;
    ShowPage(PAGE_FORMATS);
}

cSettingsWnd::~cSettingsWnd() {
    DestroyControls();
    cSettingsInterface* host = dlgs::Host();
    if (host && proxyDetected_) {
        // Detect wrote the system's proxy into the host at once; unless OK
        // took it, the proxy of before is what stays.
        host->SetProxyEnabled(atOpen_.proxyEnabled);
        host->SetProxyHost(atOpen_.proxyHost);
        host->SetProxyPort(atOpen_.proxyPort);
    }
    if (host) host->Save();
    if (connectionChanged_) {
        char skin[201] = {};
        GetValue("SKIN", skin, sizeof skin);
        dlgs::Callback(16, 0, skin);
    }
}

void cSettingsWnd::TakeSnapshot() {
    cSettingsInterface* h = dlgs::Host();
    if (!h) return;
    snap_.autoStart = h->GetAutoStart();
    snap_.useControlCenter = h->GetUseControlCenter();
    snap_.useToolTip = h->GetUseToolTip();
    snap_.useAutoUpdate = h->GetUseAutoUpdate();
    snap_.bufferSize = h->GetBufferSize();
    snap_.reconnectOnServerLost = h->GetReconnectOnServerLost();
    snap_.retryCount = h->GetRetryCount();
    snap_.autoselectBandbreite = h->GetAutoselectBandbreite();
    snap_.internetaccess = h->GetInternetaccess();
    snap_.timeout = h->GetTimeout();
    snap_.alterNeueSender = h->GetAlterNeueSender();
    snap_.useRecording = h->GetUseRecording();
    snap_.navAnimEnabled = h->GetNAVAnimEnabled();
    snap_.httpOnly = h->GetHTTP_Only();
    snap_.proxyEnabled = h->GetProxyEnabled();
    bk::TextCopy(snap_.proxyHost, h->GetProxyHost());
    bk::TextCopy(snap_.proxyPort, h->GetProxyPort());
    bk::TextCopy(snap_.userNameAuth, h->GetUserNameAuth());
    bk::TextCopy(snap_.userPasswortAuth, h->GetUserPasswortAuth());
    snap_.useAuthentify = h->GetUseAuthentify();
    bk::TextCopy(snap_.recordingDir, h->GetRecordingDir());
    bk::TextCopy(snap_.podcastDir, h->GetPodcastDir());
    snap_.iconizeToTray = h->GetIconizeToTray();
    snap_.recordSkipSilents = h->GetRecordSkipSilents();
    snap_.adjustRecordVol = h->GetAdjustRecordVol();
    snap_.recordingSourceAtOpen = h->GetRecordingSource();
    snap_.recordingDeviceAtOpen = h->GetRecordingDevice();
    snap_.autoupdatePrgTipps = h->GetAutoupdatePrgTipps();
    snap_.deleteOldPrgTipps = h->GetDeleteOldPrgTipps();
    snap_.podAutoUpdate = h->GetPodAutoUpdate();
    snap_.podAutoDownload = h->GetPodAutoDownload();
    snap_.podAutoDeleteFiles = h->GetPodAutoDeleteFiles();
    snap_.podDeletePodcasts = h->GetPodDeletePodcasts();
    atOpen_ = snap_;
}

// ---------------------------------------------------------------- elements

cWndButton* cSettingsWnd::AddButton(unsigned long id, unsigned long sprite, int x, int y, int group, int look) {
    return AddPopupButton(this, owner_, res_, id, sprite, x, y, group, look != 0);
}

cWndButton* cSettingsWnd::AddCheck(unsigned long id, int x, int y, bool ticked) {
    cWndButton* b = AddButton(id, SPRITE_CHECK, x, y, 0, 1);
    if (!b) return nullptr;
    if (ticked) b->SetStatus(ES_SELECTED);
    Chain(b->GetWindow());
    return b;
}

cWndButton* cSettingsWnd::GetButton(unsigned long id) {
    return static_cast<cWndButton*>(GetButtonList()->GetById(id));
}

void cSettingsWnd::RemoveButton(unsigned long id) {
    cButtonListe* list = GetButtonList();
    while (cListElement* e = list->GetById(id)) list->Delete(e);
}

bool cSettingsWnd::Ticked(unsigned long id) {
    cWndButton* b = GetButton(id);
    return b && IsTicked(b->GetStatus());
}

void cSettingsWnd::Chain(HWND window) {
    if (!window) return;
    PlaceBehind(window, lastInChain_);
    lastInChain_ = window;
}

cSkinComboBox* cSettingsWnd::NewCombo(int slot, int x, int y, int width) {
    delete combo_[slot];
    combo_[slot] = new cSkinComboBox(GetWindow(), res_, x, y, width, 16, 0, 2);
    Chain(combo_[slot]->GetWindow());
    return combo_[slot];
}

cVLEditBox* cSettingsWnd::NewEdit(int slot, int x, int y, int width, int password) {
    delete edit_[slot];
    edit_[slot] = new cVLEditBox(GetWindow(), res_, POINT{x, y}, SIZE{width, 16}, 2, password);
    Chain(edit_[slot]->GetWindow());
    return edit_[slot];
}

void cSettingsWnd::DestroyControls() {
    for (int i = 0; i < SLOTS; ++i) {
        delete combo_[i];
        combo_[i] = nullptr;
        delete edit_[i];
        edit_[i] = nullptr;
    }
}

int cSettingsWnd::ReadNumber(cVLEditBox* field, int low, int high, unsigned labelId) {
    char text[cVLEditBox::TEXT_LIMIT] = {};
    if (field) field->GetText(text, sizeof text);
    bool adjusted = false;
    int value = settings::ClampedNumber(text, low, high, &adjusted);
    if (field && adjusted) {
        // The label names the field and its limits; say what was stored.
        char label[256] = {};
        dlgs::Text(labelId, label, sizeof label);
        char format[512] = {};
        char line[768] = {};
        if (text[0]) {
            dlgs::OwnText(DLG_TEXT_NUMBER_OUT_OF_RANGE, format, sizeof format);
            bk::TextFormat(line, sizeof line, format, label, text, low, high, value);
        } else {
            dlgs::OwnText(DLG_TEXT_NUMBER_MISSING, format, sizeof format);
            bk::TextFormat(line, sizeof line, format, label, value);
        }
        if (notices_[0]) bk::TextAppend(notices_, "\n");
        bk::TextAppend(notices_, line);
    }
    return value;
}

void cSettingsWnd::FlushNotices() {
    if (!notices_[0]) return;
    char text[sizeof notices_];
    bk::TextCopy(text, notices_);
    notices_[0] = 0;
    dlgs::Notice(owner_, GetWindow(), res_, text);
}

void cSettingsWnd::ReadText(cVLEditBox* field, char* member, size_t size) {
    if (!field) return;
    char text[cVLEditBox::TEXT_LIMIT] = {};
    field->GetText(text, sizeof text);
    bk::TextCopy(member, size, text);
}

void cSettingsWnd::ReadFolder(cVLEditBox* field, char* member, size_t size, unsigned labelId) {
    if (!field) return;
    char text[cVLEditBox::TEXT_LIMIT] = {};
    field->GetText(text, sizeof text);
    if (settings::IsUsableFolder(text)) {
        bk::TextCopy(member, size, text);
        return;
    }
    // The player would write its files somewhere else than the user thinks,
    // or onto a device: the folder of before stays.
    char label[256] = {}, format[512] = {}, line[1400] = {};
    dlgs::Text(labelId, label, sizeof label);
    dlgs::OwnText(DLG_TEXT_FOLDER_REFUSED, format, sizeof format);
    bk::TextFormat(line, sizeof line, format, label, text, member);
    if (notices_[0]) bk::TextAppend(notices_, "\n");
    bk::TextAppend(notices_, line);
}

void cSettingsWnd::SetGuidedButtons(int ok, int back, int next) {
    if (!guided_) return;
    if (cWndButton* b = GetButton(BUTTON_OK)) b->SetEnable(ok);
    if (cWndButton* b = GetButton(BUTTON_BACK)) b->SetEnable(back);
    if (cWndButton* b = GetButton(BUTTON_NEXT)) b->SetEnable(next);
}

// ---------------------------------------------------------------- pages

void cSettingsWnd::ShowPage(int page) {
    building_ = 1;
    TearDownPage(page_);
    DestroyControls();
    page_ = page;
    if (page >= 0 && page <= LAST_PAGE) {
        cWndButton* last = GetButton(TAB_GENERAL);
        lastInChain_ = last ? last->GetWindow() : nullptr;
        BuildPage(page);
    }
    building_ = 0;
    Invalidate();
    FlushNotices();
}

void cSettingsWnd::BuildPage(int page) {
    static const unsigned long kTabOfPage[] = {TAB_FORMATS, TAB_INTERNET,  TAB_STREAM,  TAB_CONNECTION,
                                               TAB_RECORDING, TAB_TIPS, TAB_GENERAL, TAB_PODCASTS};
    switch (page) {
    case PAGE_FORMATS: BuildFormats(); break;
    case PAGE_INTERNET: BuildInternet(); break;
    case PAGE_STREAM: BuildStream(); break;
    case PAGE_CONNECTION: BuildConnection(); break;
    case PAGE_RECORDING: BuildRecording(); break;
    case PAGE_TIPS: BuildTips(); break;
    case PAGE_GENERAL: BuildGeneral(); break;
    case PAGE_PODCASTS: BuildPodcasts(); break;
    default: return;
    }
    if (page == PAGE_FORMATS) SetGuidedButtons(0, 0, 1);
    else if (page == PAGE_GENERAL) SetGuidedButtons(1, 1, 0);
    else if (page != PAGE_PODCASTS) SetGuidedButtons(0, 1, 1);
    if (cWndButton* tab = GetButton(kTabOfPage[page])) tab->SetStatus(ES_SELECTED);
}

void cSettingsWnd::TearDownPage(int page) {
    switch (page) {
    case PAGE_FORMATS:
        RemoveButton(LINK_WINDOWS_MEDIA);
        RemoveButton(LINK_REALAUDIO);
        RemoveButton(LINK_MP3);
        break;
    case PAGE_INTERNET: TearDownInternet(); break;
    case PAGE_STREAM:
        if (Ticked(RADIO_BEST)) snap_.autoselectBandbreite = 0;
        if (Ticked(RADIO_SMALLEST)) snap_.autoselectBandbreite = 1;
        RemoveButton(RADIO_BEST);
        RemoveButton(RADIO_SMALLEST);
        break;
    case PAGE_CONNECTION:
        if (combo_[SLOT_A]) snap_.retryCount = settings::RetryValue(combo_[SLOT_A]->GetCurSel());
        snap_.bufferSize = ReadNumber(edit_[SLOT_B], 1, 90, 376);
        snap_.timeout = ReadNumber(edit_[SLOT_C], 20, 90, 377);
        snap_.reconnectOnServerLost = Ticked(CHECK_RECONNECT) ? 1 : 0;
        RemoveButton(CHECK_RECONNECT);
        break;
    case PAGE_RECORDING: TearDownRecording(); break;
    case PAGE_TIPS:
        if (combo_[SLOT_A]) snap_.deleteOldPrgTipps = settings::TipsValue(combo_[SLOT_A]->GetCurSel());
        snap_.autoupdatePrgTipps = Ticked(CHECK_TIPS_UPDATE) ? 1 : 0;
        RemoveButton(CHECK_TIPS_UPDATE);
        break;
    case PAGE_GENERAL:
        snap_.alterNeueSender = static_cast<short>(ReadNumber(edit_[SLOT_A], 1, 30, 36));
        snap_.autoStart = Ticked(CHECK_AUTOSTART) ? 1 : 0;
        snap_.navAnimEnabled = Ticked(CHECK_NAV_ANIM) ? 1 : 0;
        snap_.iconizeToTray = Ticked(CHECK_TRAY) ? 1 : 0;
        snap_.useControlCenter = Ticked(CHECK_CONTROL_CENTER) ? 1 : 0;
        snap_.useToolTip = Ticked(CHECK_TOOLTIPS) ? 1 : 0;
        snap_.useAutoUpdate = Ticked(CHECK_AUTOUPDATE) ? 1 : 0;
        for (unsigned long id : {CHECK_AUTOSTART, CHECK_CONTROL_CENTER, CHECK_TOOLTIPS, CHECK_AUTOUPDATE,
                                 CHECK_NAV_ANIM, CHECK_TRAY})
            RemoveButton(id);
        break;
    case PAGE_PODCASTS:
        if (combo_[SLOT_A]) snap_.podAutoUpdate = settings::PodcastValue(combo_[SLOT_A]->GetCurSel());
        if (combo_[SLOT_B]) snap_.podAutoDownload = settings::PodcastValue(combo_[SLOT_B]->GetCurSel());
        if (combo_[SLOT_C]) snap_.podAutoDeleteFiles = settings::PodcastValue(combo_[SLOT_C]->GetCurSel());
        if (combo_[SLOT_D]) snap_.podDeletePodcasts = settings::PodcastValue(combo_[SLOT_D]->GetCurSel());
        ReadFolder(edit_[SLOT_A], snap_.podcastDir, sizeof snap_.podcastDir, TXT_PODCAST_FOLDER);
        RemoveButton(BUTTON_FOLDER);
        break;
    default: break;
    }
}

void cSettingsWnd::BuildGeneral() {
    const int x = 136;
    int y = GetTitleHeight() + 40;
    const struct {
        unsigned long id;
        int value;
    } checks[] = {{CHECK_AUTOSTART, snap_.autoStart},   {CHECK_CONTROL_CENTER, snap_.useControlCenter},
                  {CHECK_TOOLTIPS, snap_.useToolTip},   {CHECK_AUTOUPDATE, snap_.useAutoUpdate},
                  {CHECK_NAV_ANIM, snap_.navAnimEnabled}, {CHECK_TRAY, snap_.iconizeToTray}};
    for (const auto& c : checks) {
        AddCheck(c.id, x, y, c.value > 0);
        y += 20;
    }
    cVLEditBox* days = NewEdit(SLOT_A, x, y, 17, 0);
    days->SetNumberOnly();
    days->SetText(static_cast<int>(snap_.alterNeueSender));
}

void cSettingsWnd::BuildConnection() {
    const int x = 135;
    int y = GetTitleHeight() + 40;
    AddCheck(CHECK_RECONNECT, x, y, snap_.reconnectOnServerLost > 0);
    cVLEditBox* buffer = NewEdit(SLOT_B, x, y + 40, 17, 0);
    buffer->SetNumberOnly();
    buffer->SetText(snap_.bufferSize);
    cVLEditBox* timeout = NewEdit(SLOT_C, x, y + 65, 17, 0);
    timeout->SetNumberOnly();
    timeout->SetText(snap_.timeout);
    cSkinComboBox* retry = NewCombo(SLOT_A, x, y + 95, 72);
    for (int i = 1; i <= 9; ++i) {
        char n[4];
        bk::TextFormat(n, sizeof n, "%d", i);
        retry->AddString(n);
    }
    char unlimited[128] = {};
    dlgs::Text(TXT_UNLIMITED, unlimited, sizeof unlimited);
    retry->AddString(unlimited);
    retry->SetCurSel(settings::RetryIndex(snap_.retryCount));
}

void cSettingsWnd::BuildTips() {
    const int x = 135;
    int y = GetTitleHeight() + 40;
    AddCheck(CHECK_TIPS_UPDATE, x, y, snap_.autoupdatePrgTipps > 0);
    cSkinComboBox* age = NewCombo(SLOT_A, x, y + 30, 85);
    char text[128] = {};
    dlgs::Text(500, text, sizeof text);
    age->AddString(text);
    dlgs::Text(502, text, sizeof text);
    age->AddString(text);
    char format[128] = {};
    dlgs::Text(503, format, sizeof format);
    for (int days = 2; days <= 5; ++days) {
        bk::TextFormat(text, sizeof text, format, days);
        age->AddString(text);
    }
    dlgs::Text(501, text, sizeof text);
    age->AddString(text);
    age->SetCurSel(settings::TipsIndex(snap_.deleteOldPrgTipps));
}

void cSettingsWnd::BuildStream() {
    const int x = 130;
    int y = GetTitleHeight() + 53;
    cWndButton* best = AddButton(RADIO_BEST, SPRITE_CHECK, x, y, 2, 1);
    cWndButton* smallest = AddButton(RADIO_SMALLEST, SPRITE_CHECK, x, y + 20, 2, 1);
    if (best) {
        Chain(best->GetWindow());
        if (snap_.autoselectBandbreite == 0) best->SetStatus(ES_SELECTED);
    }
    if (smallest) {
        Chain(smallest->GetWindow());
        if (snap_.autoselectBandbreite == 1) smallest->SetStatus(ES_SELECTED);
    }
}

void cSettingsWnd::OnStreamChoiceRadio(unsigned long id) {
    if (!Ticked(RADIO_BEST) && !Ticked(RADIO_SMALLEST))
        if (cWndButton* b = GetButton(id)) b->SetStatus(ES_SELECTED);
}

void cSettingsWnd::BuildPodcasts() {
    const int x = 140;
    int y = GetTitleHeight() + 30;
    const struct {
        int slot;
        int value;
        unsigned first, count;
    } rows[] = {{SLOT_A, snap_.podAutoUpdate, 563, 2},
                {SLOT_B, snap_.podAutoDownload, 565, 3},
                {SLOT_C, snap_.podAutoDeleteFiles, 568, 3},
                {SLOT_D, snap_.podDeletePodcasts, 572, 3}};
    for (const auto& row : rows) {
        cSkinComboBox* combo = NewCombo(row.slot, x, y + 16, 200);
        for (unsigned i = 0; i < row.count; ++i) {
            char text[256] = {};
            dlgs::Text(row.first + i, text, sizeof text);
            combo->AddString(text);
        }
        combo->SetCurSel(settings::PodcastIndex(row.value));
        y += 42;
    }
    cVLEditBox* folder = NewEdit(SLOT_A, x, y + 16, 230, 0);
    folder->SetText(snap_.podcastDir);
    if (cWndButton* b = AddButton(BUTTON_FOLDER, BUTTON_FOLDER, x + 234, y + 16, 0, 0)) Chain(b->GetWindow());
}

void cSettingsWnd::BuildInternet() {
    cSkinComboBox* access = NewCombo(SLOT_A, 130, 57, 140);
    for (unsigned id = 26; id <= 28; ++id) {
        char text[128] = {};
        dlgs::Text(id, text, sizeof text);
        access->AddString(text);
    }
    access->SetCurSel(snap_.internetaccess);
    AddCheck(CHECK_AUTH, 130, 85, snap_.useAuthentify == 1);
    cVLEditBox* user = NewEdit(SLOT_C, 188, 105, 80, 0);
    user->SetText(snap_.userNameAuth);
    user->SetEnable(snap_.useAuthentify != 0);
    cVLEditBox* password = NewEdit(SLOT_D, 330, 105, 75, 1);
    password->SetText(snap_.userPasswortAuth);
    password->SetEnable(snap_.useAuthentify != 0);
    if (cWndButton* b = AddButton(HINT_AUTH, SPRITE_HINT, 385, 85, 0, 0)) Chain(b->GetWindow());
    AddCheck(CHECK_HTTP_ONLY, 130, 130, snap_.httpOnly == 1);
    AddCheck(CHECK_PROXY, 130, 182, snap_.proxyEnabled == 1);
    cVLEditBox* host = NewEdit(SLOT_A, 200, 204, 90, 0);
    host->SetText(snap_.proxyHost);
    host->SetEnable(snap_.proxyEnabled != 0);
    cVLEditBox* port = NewEdit(SLOT_B, 325, 204, 40, 0);
    // The stored text as it is (a number box would show an empty port as 0).
    port->SetText(snap_.proxyPort);
    port->SetNumberOnly();
    port->SetEnable(snap_.proxyEnabled != 0);
    if (cWndButton* b = AddButton(HINT_PROXY, SPRITE_HINT, 385, 182, 0, 0)) Chain(b->GetWindow());
    if (cWndButton* b = AddButton(BUTTON_DETECT_PROXY, BUTTON_DETECT_PROXY, 148, 230, 0, 0)) Chain(b->GetWindow());
}

void cSettingsWnd::TearDownInternet() {
    if (combo_[SLOT_A]) snap_.internetaccess = combo_[SLOT_A]->GetCurSel();
    ReadText(edit_[SLOT_A], snap_.proxyHost, sizeof snap_.proxyHost);
    ReadText(edit_[SLOT_B], snap_.proxyPort, sizeof snap_.proxyPort);
    ReadText(edit_[SLOT_C], snap_.userNameAuth, sizeof snap_.userNameAuth);
    ReadText(edit_[SLOT_D], snap_.userPasswortAuth, sizeof snap_.userPasswortAuth);
    snap_.httpOnly = Ticked(CHECK_HTTP_ONLY) ? 1 : 0;
    snap_.useAuthentify = Ticked(CHECK_AUTH) ? 1 : 0;
    snap_.proxyEnabled = Ticked(CHECK_PROXY) ? 1 : 0;
    for (unsigned long id : {CHECK_HTTP_ONLY, CHECK_AUTH, CHECK_PROXY, HINT_PROXY, HINT_AUTH, BUTTON_DETECT_PROXY})
        RemoveButton(id);
}

void cSettingsWnd::OnFieldSwitch(unsigned long id) {
    bool on = Ticked(id);
    if (id == CHECK_PROXY) {
        if (edit_[SLOT_A]) edit_[SLOT_A]->SetEnable(on);
        if (edit_[SLOT_B]) edit_[SLOT_B]->SetEnable(on);
        if (on)
            if (cWndButton* http = GetButton(CHECK_HTTP_ONLY)) http->SetStatus(ES_SELECTED);
    } else if (id == CHECK_AUTH) {
        if (edit_[SLOT_C]) edit_[SLOT_C]->SetEnable(on);
        if (edit_[SLOT_D]) edit_[SLOT_D]->SetEnable(on);
    }
}

void cSettingsWnd::DetectSystemProxy() {
    proxyDetected_ = 1;
    dlgs::Callback(78, 0, nullptr);
    cSettingsInterface* h = dlgs::Host();
    if (!h) return;
    snap_.proxyEnabled = h->GetProxyEnabled();
    bk::TextCopy(snap_.proxyHost, h->GetProxyHost());
    bk::TextCopy(snap_.proxyPort, h->GetProxyPort());
    if (page_ != PAGE_INTERNET) return;
    if (edit_[SLOT_A]) {
        edit_[SLOT_A]->SetText(snap_.proxyHost);
        edit_[SLOT_A]->SetEnable(snap_.proxyEnabled != 0);
    }
    if (edit_[SLOT_B]) {
        edit_[SLOT_B]->SetText(snap_.proxyPort);
        edit_[SLOT_B]->SetEnable(snap_.proxyEnabled != 0);
    }
    if (cWndButton* b = GetButton(CHECK_PROXY)) b->SetStatus(snap_.proxyEnabled ? ES_SELECTED : ES_NORMAL);
}

void cSettingsWnd::ChooseFolder() {
    char* member;
    size_t size;
    if (page_ == PAGE_PODCASTS) {
        member = snap_.podcastDir;
        size = sizeof snap_.podcastDir;
    } else if (page_ == PAGE_RECORDING) {
        member = snap_.recordingDir;
        size = sizeof snap_.recordingDir;
    } else {
        return;
    }
    char title[256] = {};
    dlgs::Text(TXT_SELECT_DIRECTORY, title, sizeof title);
    char path[MAX_PATH] = {};
    const int page = page_;
    HWND hwnd = GetWindow();
    if (!dlgs::ChooseFolder(hwnd, title, path, sizeof path)) return;
    // The browser may have been left open while the dialog went on: the
    // path belongs to the page that asked for it and to no other.
    if (!IsWindow(hwnd) || page_ != page) return;
    bk::TextCopy(member, size, path);
    if (edit_[SLOT_A]) edit_[SLOT_A]->SetText(member);
}

void cSettingsWnd::BuildFormats() {
    cSettingsInterface* h = dlgs::Host();
    // The playback host reports its formats once it has been probed; an
    // absent or silent host must not hold the dialog.
    DWORD start = GetTickCount();
    while (h && !h->IsHostCapabilitiesKnown() && GetTickCount() - start < g_capabilitiesWaitMs) dlgs::PumpFor(50);
    capabilities_ = h && h->IsHostCapabilitiesKnown() ? h->GetHostCapabilities() : -1;
    if (capabilities_ < 0) DebugLog(DL_WAR, "cSettingsWnd: playback host's formats not known");
    const struct {
        int bit;
        unsigned long id;
        int y;
    } rows[] = {{CAP_WINDOWS_MEDIA, LINK_WINDOWS_MEDIA, 85},
                {CAP_REALAUDIO, LINK_REALAUDIO, 110},
                {CAP_MP3, LINK_MP3, 135}};
    for (const auto& row : rows) {
        if (capabilities_ >= 0 && (capabilities_ & row.bit)) continue;
        int height = res_ ? res_->GetGfxHeight(SPRITE_LINK) : 0;
        if (cWndButton* b = AddButton(row.id, SPRITE_LINK, 240, row.y + (15 - height) / 2, 0, 0))
            Chain(b->GetWindow());
    }
}

// ---------------------------------------------------------------- recording page

void cSettingsWnd::FillRecList(int slot, int which, int* offset, int* hasChoice, int* marked) {
    cSkinComboBox* combo = combo_[slot];
    *offset = 0;
    *hasChoice = 0;
    *marked = -1;
    if (!combo) return;
    combo->ResetContent();
    memset(listText_, 0, sizeof listText_);
    dlgs::WaitRecList(which, listText_, sizeof listText_, g_listsWaitMs);
    listText_[sizeof listText_ - 1] = 0;
    std::vector<std::string> entries;
    int choice = -1;
    settings::ParseRecList(listText_, strlen(listText_), &entries, &choice);
    if (IsWindowsVista()) {
        char notice[128] = {};
        dlgs::Text(TXT_NOT_ON_VISTA, notice, sizeof notice);
        combo->AddString(notice);
        *offset = 1;
    }
    for (const std::string& e : entries) combo->AddString(e.c_str());
    *hasChoice = choice >= 0;
    *marked = choice;
    combo->SetEnable(*hasChoice);
    combo->SetCurSel(*hasChoice ? choice + *offset : 0);
}

void cSettingsWnd::BuildRecording() {
    const int x = 130;
    const int top = GetTitleHeight();
    const bool on = snap_.useRecording != 0;
    AddCheck(CHECK_RECORDING, x, on ? 257 : top + 140, on);
    if (!on) return;
    const bool preVista = !IsWindowsVista();
    AddCheck(CHECK_SKIP_SILENCE, x, 197, snap_.recordSkipSilents > 0);
    if (preVista) {
        AddCheck(CHECK_ADJUST_VOLUME, x, 237, snap_.adjustRecordVol > 0);
        if (cWndButton* b = AddButton(BUTTON_SOURCE_SEARCH, BUTTON_SOURCE_SEARCH, 342, 84, 0, 0)) Chain(b->GetWindow());
        if (cWndButton* b = AddButton(BUTTON_SOURCE_SEARCH, BUTTON_SOURCE_SEARCH, 342, 126, 0, 0)) Chain(b->GetWindow());
    }
    NewCombo(SLOT_A, x, 126, 175);
    FillRecList(SLOT_A, dlgs::REPLY_INPUTS, &inputOffset_, &inputHasChoice_, &inputMarked_);
    NewCombo(SLOT_B, x, 84, 175);
    FillRecList(SLOT_B, dlgs::REPLY_DEVICES, &deviceOffset_, &deviceHasChoice_, &deviceMarked_);
    if (preVista) {
        if (cWndButton* b = AddButton(HINT_DEVICE, SPRITE_HINT, 322, 86, 0, 0)) Chain(b->GetWindow());
        if (cWndButton* b = AddButton(HINT_PROXY, SPRITE_HINT, 322, 128, 0, 0)) Chain(b->GetWindow());
    }
    cVLEditBox* folder = NewEdit(SLOT_A, x, 166, 156, 0);
    folder->SetText(snap_.recordingDir);
    if (cWndButton* b = AddButton(BUTTON_FOLDER, BUTTON_FOLDER, x + 160, 166, 0, 0)) Chain(b->GetWindow());
    if (cWndButton* b = AddButton(HINT_AUTO_PAUSE, SPRITE_HINT, 339, 197, 0, 0)) Chain(b->GetWindow());
}

void cSettingsWnd::TearDownRecording() {
    snap_.useRecording = Ticked(CHECK_RECORDING) ? 1 : 0;
    if (GetButton(CHECK_SKIP_SILENCE)) snap_.recordSkipSilents = Ticked(CHECK_SKIP_SILENCE) ? 1 : 0;
    if (GetButton(CHECK_ADJUST_VOLUME)) snap_.adjustRecordVol = Ticked(CHECK_ADJUST_VOLUME) ? 1 : 0;
    for (unsigned long id : {CHECK_RECORDING, CHECK_SKIP_SILENCE, BUTTON_FOLDER, HINT_PROXY, HINT_DEVICE,
                             HINT_AUTO_PAUSE, CHECK_ADJUST_VOLUME, BUTTON_SOURCE_SEARCH})
        RemoveButton(id);
    // A list without the host's marker (or the Vista notice) is no choice and
    // is never handed to the host.
    inputChoice_ = deviceChoice_ = -1;
    if (combo_[SLOT_A] && inputHasChoice_) {
        int index = combo_[SLOT_A]->GetCurSel() - inputOffset_;
        if (index >= 0) inputChoice_ = index;
    }
    if (combo_[SLOT_B] && deviceHasChoice_) {
        int index = combo_[SLOT_B]->GetCurSel() - deviceOffset_;
        if (index >= 0) deviceChoice_ = index;
    }
    // The host selects on threads of its own, in no fixed order: the device
    // first, and the input only once the host has taken the device, or the
    // input lands on the device that was selected before.
    bool deviceChanged = false;
    if (deviceChoice_ >= 0) {
        deviceChanged = deviceChoice_ != deviceMarked_;
        InterlockedExchange(&GetStatusFlags().wizardAck2, 0);
        dlgs::Callback(60, deviceChoice_ + 1, nullptr);
        sentDevice_ = 1;
        WaitDeviceTaken();
    }
    // An input picked from the list of another device means nothing on the
    // new one; the new device's inputs are read again and shown instead.
    bool inputSent = false;
    if (inputChoice_ >= 0 && !deviceChanged) {
        dlgs::Callback(43, inputChoice_ + 1, nullptr);
        sentInput_ = 1;
        inputSent = true;
    }
    if (deviceChoice_ >= 0 || inputSent) {
        dlgs::MarkRecListPending(dlgs::REPLY_INPUTS);
        dlgs::Callback(42, 0, nullptr);
    }
    if (deviceChoice_ >= 0) {
        dlgs::MarkRecListPending(dlgs::REPLY_DEVICES);
        dlgs::Callback(59, 0, nullptr);
    }
    ReadFolder(edit_[SLOT_A], snap_.recordingDir, sizeof snap_.recordingDir, TXT_RECORDING_FOLDER);
    inputHasChoice_ = deviceHasChoice_ = 0;
}

void cSettingsWnd::WaitDeviceTaken() {
    const DWORD start = GetTickCount();
    while (!GetStatusFlags().wizardAck2 && GetTickCount() - start < g_listsWaitMs) dlgs::PumpFor(10);
    if (!GetStatusFlags().wizardAck2) DebugLog(DL_WAR, "cSettingsWnd: recording device not confirmed");
}

void cSettingsWnd::OnComboSelChange(HWND combo) {
    if (page_ != PAGE_RECORDING || !combo) return;
    bool device = combo_[SLOT_B] && combo_[SLOT_B]->GetWindow() == combo;
    bool input = combo_[SLOT_A] && combo_[SLOT_A]->GetWindow() == combo && combo_[SLOT_A]->GetCurSel() != -1;
    if (!device && !input) return;
    // The teardown hands the choices over and asks for the lists again.
    ShowPage(PAGE_RECORDING);
}

void cSettingsWnd::SearchRecordingSource() {
    char question[4096] = {};
    dlgs::Text(TXT_SOURCE_SEARCH_QUESTION, question, sizeof question);
    HWND hwnd = GetWindow();
    if (dlgs::Openers().askYesNo(owner_, hwnd, res_, question)) {
        // The search stops playback first, and with it a running recording.
        bool go = true;
        if (GetRecordingFlag()) {
            char stops[1024] = {};
            dlgs::OwnText(DLG_TEXT_SEARCH_STOPS_RECORDING, stops, sizeof stops);
            go = IsWindow(hwnd) && dlgs::Openers().askYesNo(owner_, hwnd, res_, stops) != 0;
        }
        if (go && IsWindow(hwnd)) dlgs::Openers().recSourceSearch(owner_, hwnd, res_);
    }
    if (!IsWindow(hwnd)) return;
    // Cancel keeps what the search chose.
    if (cSettingsInterface* h = dlgs::Host()) {
        snap_.recordingSourceAtOpen = h->GetRecordingSource();
        snap_.recordingDeviceAtOpen = h->GetRecordingDevice();
    }
    sentInput_ = sentDevice_ = 0;
    dlgs::MarkRecListPending(dlgs::REPLY_INPUTS);
    dlgs::MarkRecListPending(dlgs::REPLY_DEVICES);
    dlgs::Callback(59, 0, nullptr);
    dlgs::Callback(42, 0, nullptr);
    if (page_ != PAGE_RECORDING) return;
    FillRecList(SLOT_A, dlgs::REPLY_INPUTS, &inputOffset_, &inputHasChoice_, &inputMarked_);
    FillRecList(SLOT_B, dlgs::REPLY_DEVICES, &deviceOffset_, &deviceHasChoice_, &deviceMarked_);
    Invalidate();
}

// ---------------------------------------------------------------- OK, Cancel, Next, Back

void cSettingsWnd::OnOk() {
    ShowPage(PAGE_NONE);
    cSettingsInterface* h = dlgs::Host();
    if (h) {
        h->SetAutoStart(snap_.autoStart);
        h->SetUseControlCenter(snap_.useControlCenter);
        h->SetUseToolTip(snap_.useToolTip);
        h->SetUseAutoUpdate(snap_.useAutoUpdate);
        h->SetBufferSize(snap_.bufferSize);
        h->SetReconnectOnServerLost(snap_.reconnectOnServerLost);
        h->SetRetryCount(snap_.retryCount);
        h->SetAutoselectBandbreite(snap_.autoselectBandbreite);
        h->SetInternetaccess(snap_.internetaccess);
        h->SetTimeout(snap_.timeout);
        h->SetAlterNeueSender(snap_.alterNeueSender);
        h->SetUseRecording(snap_.useRecording);
        h->SetRecordingDir(snap_.recordingDir);
        bool podcastFolderChanged = strcmp(h->GetPodcastDir() ? h->GetPodcastDir() : "", snap_.podcastDir) != 0;
        h->SetPodcastDir(snap_.podcastDir);
        h->SetNAVAnimEnabled(snap_.navAnimEnabled);
        h->SetPodAutoDeleteFiles(snap_.podAutoDeleteFiles);
        h->SetPodAutoDownload(snap_.podAutoDownload);
        h->SetPodAutoUpdate(snap_.podAutoUpdate);
        h->SetPodDeletePodcasts(snap_.podDeletePodcasts);

        // Against the values at open, not the host's: Detect has already
        // written the system's proxy into the host.
        auto differs = [](const char* before, const char* mine) { return strcmp(before, mine) != 0; };
        if (differs(atOpen_.userNameAuth, snap_.userNameAuth) ||
            differs(atOpen_.userPasswortAuth, snap_.userPasswortAuth) ||
            differs(atOpen_.proxyHost, snap_.proxyHost) || differs(atOpen_.proxyPort, snap_.proxyPort) ||
            atOpen_.proxyEnabled != snap_.proxyEnabled)
            connectionChanged_ = 1;
        proxyDetected_ = 0;

        h->SetProxyEnabled(snap_.proxyEnabled);
        h->SetHTTP_Only(snap_.httpOnly);
        h->SetProxyHost(snap_.proxyHost);
        h->SetProxyPort(snap_.proxyPort);
        h->SetUserNameAuth(snap_.userNameAuth);
        h->SetUserPasswortAuth(snap_.userPasswortAuth);
        h->SetUseAuthentify(snap_.useAuthentify);
        h->SetIconizeToTray(snap_.iconizeToTray);
        h->SetRecordSkipSilents(snap_.recordSkipSilents);
        h->SetAdjustRecordVol(snap_.adjustRecordVol);
        h->SetAutoupdatePrgTipps(snap_.autoupdatePrgTipps);
        h->SetDeleteOldPrgTipps(snap_.deleteOldPrgTipps);

        const int recording = h->GetUseRecording() != 0;
        const struct {
            unsigned long window, element;
            unsigned tipOn;
        } records[] = {{WND_ID_NAVIGATOR, dlgs::ELEMENT_NAV_RECORD, TXT_RECORD_TIP_ON},
                       {WND_ID_MAIN, dlgs::ELEMENT_MAIN_RECORD, TXT_RECORD_MAIN_TIP_ON}};
        for (const auto& r : records) {
            cSkinWnd* wnd = GetWindowList().Find(r.window);
            if (!wnd) continue;
            cListElement* e = wnd->GetButtonList()->GetById(r.element);
            auto* element = dynamic_cast<cActiveElement*>(e);
            if (!element) continue;
            if (auto* button = dynamic_cast<cWndButton*>(e))
                button->SetToolTipText(recording ? r.tipOn : static_cast<unsigned>(TXT_RECORD_TIP_OFF));
            element->SetEnable(recording);
        }
        // The episodes' cached file paths point into the old folder.
        if (podcastFolderChanged) dlgs::Openers().podcastFolderChanged();
    }
    CloseWindow();
    dlgs::Callback(46, 0, nullptr);
}

void cSettingsWnd::OnCancel() {
    // Choices this dialog handed to the host are taken back, also when the
    // host has not applied them yet.
    cSettingsInterface* h = dlgs::Host();
    if (h && (sentInput_ || h->GetRecordingSource() != snap_.recordingSourceAtOpen))
        dlgs::Callback(43, snap_.recordingSourceAtOpen + 1, nullptr);
    if (h && (sentDevice_ || h->GetRecordingDevice() != snap_.recordingDeviceAtOpen))
        dlgs::Callback(60, snap_.recordingDeviceAtOpen + 1, nullptr);
    CloseWindow();
}

void cSettingsWnd::OnNext() {
    ShowPage(settings::NextPage(page_, dlgs::WindowHasElement(WND_ID_MAIN, dlgs::ELEMENT_MAIN_RECORD),
                                dlgs::Language() == kLanguageGerman));
}

void cSettingsWnd::OnBack() {
    ShowPage(settings::PreviousPage(page_, dlgs::WindowHasElement(WND_ID_MAIN, dlgs::ELEMENT_MAIN_RECORD),
                                    dlgs::Language() == kLanguageGerman));
}

void cSettingsWnd::CloseWindow() {
    DestroyControls();
    DestroyPopupWindow();
}

// ---------------------------------------------------------------- messages

LRESULT CALLBACK cSettingsWnd::SettingsProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    cPopUpWnd* base = fkwin::Bound<cPopUpWnd>(hwnd);
    auto* self = static_cast<cSettingsWnd*>(base);
    if (!self) return PopupProc(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_SKIN_BUTTON_PRESSED: return self->OnElement(static_cast<unsigned long>(lParam));
    case WM_SKIN_COMBO_SELCHANGE:
        if (!self->building_) self->OnComboSelChange(reinterpret_cast<HWND>(wParam));
        return 0;
    case WM_SETTINGS_SHOW_PAGE:
        if (!self->building_) self->ShowPage(static_cast<int>(wParam));
        return 0;
    default: break;
    }
    return PopupProc(hwnd, msg, wParam, lParam);
}

LRESULT cSettingsWnd::OnElement(unsigned long id) {
    // A page being built or torn down waits (and handles messages) for the
    // host; its controls must not change under it.
    if (building_) return 0;
    const bool guarded = g_sourceSearch != 0;
    // Not guarded by the search: the help, the links and the hints.
    switch (id) {
    case BUTTON_HELP: dlgs::Callback(10, 0, const_cast<char*>(kHelpTopic)); return 0;
    case LINK_WINDOWS_MEDIA:
    case LINK_MP3: dlgs::Callback(5, 0, const_cast<char*>(dlgs::kWindowsMediaPage)); return 0;
    case LINK_REALAUDIO: dlgs::Callback(5, 0, const_cast<char*>(dlgs::kRealPlayerPage)); return 0;
    case RADIO_BEST:
    case RADIO_SMALLEST: OnStreamChoiceRadio(id); return 0;
    case HINT_PROXY:
        dlgs::Openers().hint(page_ == PAGE_INTERNET ? dlgs::HINT_PROXY : dlgs::HINT_REC_DEVICE, owner_,
                             GetParentWindow(), res_);
        return 0;
    case HINT_AUTH: dlgs::Openers().hint(dlgs::HINT_AUTH, owner_, GetParentWindow(), res_); return 0;
    case HINT_DEVICE: dlgs::Openers().hint(dlgs::HINT_REC_DEVICE, owner_, GetParentWindow(), res_); return 0;
    case HINT_AUTO_PAUSE: dlgs::Openers().hint(dlgs::HINT_AUTO_PAUSE, owner_, GetParentWindow(), res_); return 0;
    case CHECK_PROXY:
    case CHECK_AUTH: OnFieldSwitch(id); return 0;
    case BUTTON_DETECT_PROXY: DetectSystemProxy(); return 0;
    default: break;
    }
    // The recording tab is guarded too: rebuilding the page during the
    // search would hand the host choices in the middle of it.
    if (guarded) return 0;
    switch (id) {
    case BUTTON_OK: OnOk(); return 0;   // the window is gone afterwards
    case BUTTON_CANCEL: OnCancel(); return 0;
    case BUTTON_BACK: OnBack(); return 0;
    case BUTTON_NEXT: OnNext(); return 0;
    case TAB_FORMATS: ShowPage(PAGE_FORMATS); return 0;
    case TAB_INTERNET: ShowPage(PAGE_INTERNET); return 0;
    case TAB_STREAM: ShowPage(PAGE_STREAM); return 0;
    case TAB_CONNECTION: ShowPage(PAGE_CONNECTION); return 0;
    case TAB_GENERAL: ShowPage(PAGE_GENERAL); return 0;
    case TAB_TIPS: ShowPage(PAGE_TIPS); return 0;
    case TAB_PODCASTS: ShowPage(PAGE_PODCASTS); return 0;
    case TAB_RECORDING: ShowPage(PAGE_RECORDING); return 0;
    case CHECK_RECORDING: PostMessageA(GetWindow(), WM_SETTINGS_SHOW_PAGE, PAGE_RECORDING, 0); return 0;
    case BUTTON_FOLDER: ChooseFolder(); return 0;
    case BUTTON_SOURCE_SEARCH:
        InterlockedExchange(&g_sourceSearch, 1);
        SearchRecordingSource();
        InterlockedExchange(&g_sourceSearch, 0);
        return 0;
    default: return 0;
    }
}

// ---------------------------------------------------------------- painting

void cSettingsWnd::DrawLine(HDC dc, unsigned id, int x, int y, int font, bool wrapped, int bottom, int right) {
    char text[1024] = {};
    dlgs::Text(id, text, sizeof text);
    HFONT f = res_ ? res_->GetFont(font) : nullptr;
    HGDIOBJ old = f ? SelectObject(dc, f) : nullptr;
    RECT r = {x, y, right ? right : kPageRight, wrapped ? (bottom ? bottom : y + 60) : y + 16};
    if (wrapped)
        DrawTextA(dc, text, -1, &r, DT_NOPREFIX | DT_WORDBREAK);
    else
        dlgs::DrawLabel(dc, text, &r, DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER);
    if (old) SelectObject(dc, old);
}

void cSettingsWnd::OnPaint(HDC dc, PAINTSTRUCT& ps) {
    for (int i = 0; i < SLOTS; ++i) {
        if (combo_[i]) combo_[i]->Show(dc);
        if (edit_[i]) edit_[i]->Show(dc);
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    PaintTexts(dc);
    cPopUpWnd::OnPaint(dc, ps);
}

void cSettingsWnd::PaintTexts(HDC dc) {
    const int top = GetTitleHeight();
    const int titleY = top + 10;
    switch (page_) {
    case PAGE_GENERAL: {
        DrawLine(dc, 29, kPageLeft, titleY, 0, false);
        int y = top + 40;
        for (unsigned id = 30; id <= 36; ++id, y += 20) DrawLine(dc, id, id == 36 ? 160 : 156, y, 1, false);
        break;
    }
    case PAGE_CONNECTION: {
        DrawLine(dc, 274, kPageLeft, titleY, 0, false);
        int y = top + 40;
        DrawLine(dc, 374, 155, y, 1, true, y + 32);
        DrawLine(dc, 376, 160, y + 40, 1, false);
        DrawLine(dc, 377, 160, y + 65, 1, false);
        DrawLine(dc, 375, 215, y + 93, 1, false);
        break;
    }
    case PAGE_TIPS: {
        DrawLine(dc, 499, kPageLeft, titleY, 0, false);
        int y = top + 40;
        DrawLine(dc, 497, 155, y, 1, false);
        DrawLine(dc, 498, 225, y + 28, 1, false);
        break;
    }
    case PAGE_STREAM: {
        DrawLine(dc, 37, kPageLeft, titleY, 0, true, top + 50);
        DrawLine(dc, 38, 150, top + 53, 1, false);
        DrawLine(dc, 39, 150, top + 73, 1, false);
        break;
    }
    case PAGE_PODCASTS: {
        DrawLine(dc, 558, kPageLeft, titleY, 0, false);
        int y = top + 30;
        for (unsigned id : {559u, 560u, 561u, 562u, 626u}) {
            DrawLine(dc, id, 140, y, 1, false);
            y += 42;
        }
        break;
    }
    case PAGE_INTERNET: {
        DrawLine(dc, 40, kPageLeft, titleY, 0, false);
        DrawLine(dc, 41, 150, 85, 1, false, 0, 380);
        DrawLine(dc, 42, 150, 105, 1, false);
        DrawLine(dc, 43, 271, 105, 1, false);
        DrawLine(dc, 48, 150, 130, 1, false);
        DrawLine(dc, 44, kPageLeft, 158, 0, false);
        DrawLine(dc, 45, 150, 182, 1, false, 0, 380);
        DrawLine(dc, 46, 150, 204, 1, false);
        DrawLine(dc, 47, 295, 204, 1, false);
        break;
    }
    case PAGE_FORMATS: {
        DrawLine(dc, 49, kPageLeft, titleY, 0, true, top + 50);
        const struct {
            int bit;
            unsigned name;
            int y;
        } rows[] = {{CAP_WINDOWS_MEDIA, 156, 85}, {CAP_REALAUDIO, 154, 110}, {CAP_MP3, 158, 135}};
        bool missing = false;
        for (const auto& row : rows) {
            bool playable = capabilities_ >= 0 && (capabilities_ & row.bit);
            missing = missing || !playable;
            if (res_) res_->DrawBitmap(dc, 130, row.y, playable ? SPRITE_PLAYABLE : SPRITE_MISSING, SRCCOPY);
            DrawLine(dc, row.name, 150, row.y, 1, false);
        }
        if (missing) {
            DrawLine(dc, 50, kPageLeft, 165, 1, true, 195);
            DrawLine(dc, 51, kPageLeft, 195, 1, true, 280);
        }
        break;
    }
    case PAGE_RECORDING: {
        if (!snap_.useRecording) {
            DrawLine(dc, 52, kPageLeft, titleY, 0, true, top + 40);
            DrawLine(dc, 53, kPageLeft, top + 40, 1, true, top + 135);
            DrawLine(dc, 54, 150, top + 140, 1, false);
            break;
        }
        DrawLine(dc, 55, kPageLeft, titleY, 0, false);
        DrawLine(dc, 54, 150, 257, 1, false);
        DrawLine(dc, 484, 130, 68, 1, false);
        DrawLine(dc, 56, 130, 110, 1, false);
        DrawLine(dc, 57, 130, 150, 1, false);
        DrawLine(dc, 58, 150, 195, 1, true, 230, 335);
        if (!IsWindowsVista()) DrawLine(dc, 13, 150, 237, 1, false);
        break;
    }
    default: break;
    }
}
