#include "library_entry.h"
#include "seams.h"

#include <cstring>
#include <vector>

#include "../../tunerdeck/core/settings_interface.h"
#include "activeelement.h"
#include "bounded_text.h"
#include "button_list.h"
#include "catalogue.h"
#include "dialog_openers.h"
#include "dialog_services.h"
#include "download.h"
#include "host_exports.h"
#include "host_link.h"
#include "library_state.h"
#include "list_store.h"
#include "main_menu.h"
#include "main_window.h"
#include "mp3_quality_wnd.h"
#include "nav_history.h"
#include "nav_menus.h"
#include "nav_window.h"
#include "podcast_feed.h"
#include "profile_editors.h"
#include "registry.h"
#include "resource_manager.h"
#include "skin_exports.h"
#include "skin_plugin.h"
#include "splash_window.h"
#include "status_intake.h"
#include "wnd_button.h"
#include "wnd_list.h"

namespace {

cResourceManager* g_resources = nullptr;
cVelmoWin* g_main = nullptr;
cNavWindow* g_nav = nullptr;
// The loading pop-up of Prepare, by the serial that finds it while it lives.
unsigned g_loading = 0;

int HostLanguage(void*) {
    cSettingsInterface* host = Library().host;
    return host ? host->GetLanguage() : 1;
}

int HostToolTips(void*) {
    cSettingsInterface* host = Library().host;
    return host ? host->GetUseToolTip() : 1;
}

void LogF(int level, const char* fmt, const char* arg) {
    char text[512];
    bk::TextFormat(text, sizeof text, fmt, arg ? arg : "");
    HostLog(level, text);
}

bool HasElement(cSkinWnd* w, unsigned long id) { return w && w->GetButtonList()->GetById(id) != nullptr; }

void RemoveElement(cSkinWnd* w, DWORD id) {
    if (w) ListeDeleteById(w->GetButtonList(), 1, &id);
}

void ReadRecentList() {
    char value[kRecentValueSize] = {};
    GetValue(kRecentValueName, value, sizeof value);
    GetListStore().LoadRecent(value);
}

void RunStartActions(int startActions) {
    if (!startActions) {
        cSettingsInterface* host = Library().host;
        if (host && (host->GetAutoStart() & 0xFFFF) && g_main) {
            unsigned long channel = 0;
            GetValue("LastChannelId", &channel);
            g_main->PlayChannel(channel);
        }
        return;
    }
    unsigned long id = 0;
    HWND main = g_main ? g_main->GetWindow() : nullptr;
    switch (DecideStartAction(&id)) {
    case SA_NONE: break;
    case SA_SHUTDOWN: PostMessageA(main, WM_FK_START_SHUTDOWN, 0, 0); break;
    case SA_REMINDER: PostMessageA(main, WM_FK_START_REMINDER, 0, 0); break;
    case SA_COMMAND_LINE: PostMessageA(main, WM_FK_START_CMDLINE, 0, 0); break;
    case SA_LAST_STREAM: HostCallback(2, static_cast<int>(id), nullptr); break;
    case SA_LAST_CHANNEL: HostCallback(1, static_cast<int>(id), nullptr); break;
    }
}

// One pass of the queue with the accelerators of the main window first;
// a pop-up's own keys (Enter, Escape) stay the pop-up's.
void DrainQueue(HACCEL accelerators) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        HWND main = g_main ? g_main->GetWindow() : nullptr;
        if (accelerators && main && !IsPopupWindow(msg.hwnd) && TranslateAcceleratorA(main, accelerators, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void TearDown() {
    if (g_main) g_main->SavePosition();
    CurrentSkin().entry = SkinEntryPoints{};
    SetStatusDisplay(nullptr);
    cWindowList& list = GetWindowList();
    std::vector<HWND> windows;
    for (cListElement* e = list.First(); e; e = e->Next()) {
        auto* w = static_cast<cSkinWnd*>(e);
        w->GetButtonList()->Delete();
        windows.push_back(w->GetWindow());
    }
    HostLog(5, "alle fenster schlie\xDF" "en...");
    // The splash windows paint with the resource manager and run on threads
    // of their own: they go before it does.
    CloseAllSplashWindows(kSplashCloseWaitMs);
    g_loading = 0;
    // The list deletes the window objects; their windows go after them, so
    // no message finds an object half gone.
    list.Delete();
    for (HWND h : windows)
        if (h && IsWindow(h)) DestroyWindow(h);
    g_main = nullptr;
    g_nav = nullptr;
    delete g_resources;
    g_resources = nullptr;
    ReleaseSkinPlugin(&CurrentSkin());
    GetListStore().Clear(18, UiLanguage());
    HostLog(5, "alle fenster schlie\xDF" "en...ok");
}

// The edit and list children of the skinned windows share one background,
// the navigator skin's text-box colour; the brush of an earlier start goes.
void MakeTextBoxBrush() {
    LibraryState& lib = Library();
    if (lib.textBoxBrush) DeleteObject(lib.textBoxBrush);
    lib.textBoxBrush = g_nav ? CreateSolidBrush(g_nav->GetSkinData()->GetTextboxcolorBG()) : nullptr;
}

// Recording buttons work only with the recording function switched on; while
// it is off their tool tip says where to switch it on.
void EnableRecordingButtons(int recording) {
    for (cSkinWnd* w : {static_cast<cSkinWnd*>(g_nav), static_cast<cSkinWnd*>(g_main)}) {
        DWORD id = w == g_nav ? 265 : 274;
        if (!HasElement(w, id)) continue;
        if (!recording)
            if (auto* button = dynamic_cast<cWndButton*>(static_cast<cActiveElement*>(w->GetButtonList()->GetById(id))))
                button->SetToolTipText(60u);
        ActiveElementSetEnable(w->GetButtonList(), id, recording ? 1 : 0);
    }
}

// The window's icons: an OEM skin's own where it has them, else the skin
// engine's.
void SetMainIcons(HMODULE skinModule) {
    HWND hwnd = g_main->GetWindow();
    const bool oem = IsOEMPlayer() != 0;
    auto load = [](HMODULE module, LPCSTR name, int metric) {
        int size = GetSystemMetrics(metric);
        return static_cast<HICON>(LoadImageA(module, name, IMAGE_ICON, size, size, LR_SHARED));
    };
    HICON smallIcon = oem ? load(skinModule, "SmallIcon", SM_CXSMICON) : nullptr;
    HICON bigIcon = oem ? load(skinModule, "BigIcon", SM_CXICON) : nullptr;
    if (!smallIcon) smallIcon = load(Library().module, MAKEINTRESOURCEA(261), SM_CXSMICON);
    if (!bigIcon) bigIcon = load(Library().module, MAKEINTRESOURCEA(2), SM_CXICON);
    SendMessageA(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
    SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon));
    SendMessageA(hwnd, WM_PAINTICON, 1, 0);
}

}  // namespace

cResourceManager* GetResourceManager() { return g_resources; }

void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

StartAction DecideStartAction(unsigned long* id) {
    unsigned long number = 0;
    char text[4098];
    *id = 0;
    GetValue("DownloadSkinKey", &number);
    if (number) return SA_NONE;
    GetValue("ShutDown", &number);
    if (number) {
        SetValue("ShutDown", static_cast<const char*>(nullptr));
        return SA_SHUTDOWN;
    }
    GetValue("Erinnerung", text, sizeof text);
    if (text[0]) return SA_REMINDER;
    GetValue("CmdLine", text, sizeof text);
    if (text[0]) return SA_COMMAND_LINE;
    GetValue("LastStreamId", &number);
    if (number) {
        *id = number;
        return SA_LAST_STREAM;
    }
    GetValue("LastChannelId", id);
    return SA_LAST_CHANNEL;
}

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) Library().module = module;
    return TRUE;
}

FK_EXPORT cSettingsInterface* GetSettings(cSettingsInterface* host) {
    Library().host = host;
    SetHostLanguageSource(host ? HostLanguage : nullptr, nullptr);
    SetHostToolTipSource(host ? HostToolTips : nullptr, nullptr);
    return host;
}

FK_EXPORT int Prepare(HostEventCallback callback, cDownloadManager* downloads, const char* skinsFolder, int,
                      int showLoading) {
    LibraryState& lib = Library();
    lib.processId = GetCurrentProcessId();
    SkinPlugin& skin = CurrentSkin();
    ReleaseSkinPlugin(&skin);
    lib.downloads = downloads;
    if (skinsFolder) bk::TextCopy(lib.skinsFolder, skinsFolder);
    int language = UiLanguage();

    GetValue("SKIN", skin.skinFile, sizeof skin.skinFile);
    HMODULE module = LoadNamedSkin(lib.skinsFolder, skin.skinFile, language);

    lib.callback = callback;
    HostCallback(61, sizeof lib.programFolder, lib.programFolder);
    lib.programFolder[sizeof lib.programFolder - 1] = 0;

    if (!module && !IsOEMPlayer()) {
        module = LoadStandardSkin(lib.skinsFolder, lib.programFolder);
        SetValue("SKIN", kStandardSkinFile);
        bk::TextCopy(skin.skinFile, kStandardSkinFile);
    }
    BindSkinPlugin(module, &skin.entry);
    skin.module = module;
    // Without the navigator's region the navigator cannot be shaped: such a
    // skin is refused like one without its element builders.
    if (!module || !SkinIsUsable(skin.entry)) {
        LogF(1, "Prepare: no usable skin plug-in (%s)", skin.skinFile);
        ReleaseSkinPlugin(&skin);
        return -1;
    }
    if (skin.entry.SetSkinLanguage) skin.entry.SetSkinLanguage(language);
    CloseAllSplashWindows(kSplashCloseWaitMs);
    delete g_resources;
    g_resources = new cResourceManager(module, language);
    // A skin without its master bitmap (broken or half downloaded) would
    // start a player whose windows draw nothing; the host takes the
    // standard skin instead.
    if (!g_resources->IsValid()) {
        LogF(1, "Prepare: skin without its master bitmap refused (%s)", skin.skinFile);
        delete g_resources;
        g_resources = nullptr;
        ReleaseSkinPlugin(&skin);
        return -1;
    }

    if (showLoading && !IsOEMPlayer()) g_loading = ShowLoadingSplash(g_resources);
    return 0;
}

FK_EXPORT int BuildUp(void* skinCallback, const char*, int startActions) {
    LibraryState& lib = Library();
    SkinPlugin& skin = CurrentSkin();
    cSettingsInterface* host = lib.host;
    PumpMessages();
    HostCallback(61, sizeof lib.programFolder, lib.programFolder);
    lib.programFolder[sizeof lib.programFolder - 1] = 0;
    if (!skin.module || !g_resources) return 1;

    if (skin.entry.PreStartSkin && skin.entry.PreStartSkin(skinCallback, &GetListStore(), host) == 0) return 1;

    InterlockedExchange(&lib.running, 1);
    InterlockedExchange(&lib.lastPlayedReceived, 0);
    InterlockedExchange(&lib.bannerReady, 0);
    // Every slot a piece reaches its collaborators through gets its
    // production implementation here, before the first window exists.
    InstallSeams();
    InstallNavTableEvents();
    g_main = new cVelmoWin();
    PumpMessages();
    if (!g_main->CreateMainWindow(skin.module, g_resources, GetProductTitle())) {
        HostLog(1, "BuildUp: main window not created");
        delete g_main;
        g_main = nullptr;
        InterlockedExchange(&lib.running, 0);
        TearDown();
        return 1;
    }
    skin.entry.SetButtonsMain(g_main->GetSkinData(), g_main->GetButtonList(), g_resources, g_main, 0);
    g_main->InitState();
    HostCallback(13, 0, nullptr);
    PumpMessages();
    HACCEL accelerators = LoadAcceleratorsA(lib.module, MAKEINTRESOURCEA(263));
    SetMainIcons(skin.module);
    TakeProductTexts(skin.module);
    SetWindowTextA(g_main->GetWindow(), GetProductTitle());
    if (host && host->GetScreen() == 6) host->SetScreen(2);

    g_nav = CreateNavWindow(skin.module, g_main->GetWindow(), host ? host->GetVelmoAddy() : 0);
    if (g_nav) {
        skin.entry.SetButtonsNav(g_nav->GetSkinData(), g_nav->GetButtonList(), g_resources, g_nav,
                                 host ? host->GetLanguage() : 1);
        RemoveOemNavigatorViews(g_nav, skin.module);
        if (UiLanguage() == 2) RemoveElement(g_nav, 356);
        g_nav->ApplySkinSizes();
    }
    MakeTextBoxBrush();
    if (g_nav) {
        // The hook sees the whole banner as grown, so a skin with its banner
        // on top makes room for it once.
        cVelmoSkinData* navSkin = g_nav->GetSkinData();
        const int bannerHeight = navSkin->GetBannerHeight();
        navSkin->SetBannerHeight(0);
        g_nav->OnBannerHeight(bannerHeight);
    }
    HostLog(7, HasElement(g_nav, 375) || HasElement(g_main, 375) ? "BuildUp: podcasts on" : "BuildUp: podcasts off");
    SetPodcastFeature(HasElement(g_nav, 375) || HasElement(g_main, 375));

    HostCallback(15, 0, nullptr);
    if (lib.downloads)
        lib.downloads->SetWindowHandle(g_main->GetWindow(), g_nav ? g_nav->GetWindow() : nullptr);
    if (g_nav)
        SetWindowPos(g_main->GetWindow(), g_nav->GetWindow(), 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);

    // The host calls GetLastPlayedSender once its players answered; a player
    // that never answers must not keep the user interface from coming up.
    DWORD waitStart = GetTickCount();
    while (!lib.lastPlayedReceived && lib.running && GetTickCount() - waitStart < kLastPlayedWaitMs) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        PumpMessages();
        Sleep(10);
    }
    if (!lib.lastPlayedReceived) {
        // The display shows the product until the host names a station.
        HostLog(1, "BuildUp: no last played station from the host");
        g_main->SetCurrentSelection(0, GetProductTitle());
    }

    unsigned long agentClosed = 0;
    GetValue("AgentClosedByUpdate", &agentClosed);
    SetValue("AgentClosedByUpdate", static_cast<const char*>(nullptr));
    if (host) {
        bool agent = FindWindowA("vl_control_center_class", nullptr) != nullptr;
        host->SetUseControlCenter(agentClosed == 0 ? (agent ? 1 : 0) : host->GetUseControlCenter());
    }
    ReadRecentList();

    // Before Vista the recording source is found by trying each input; a
    // first start offers that search.
    if (host && host->IsFirstStart() && !IsWindowsVista() && g_nav) {
        char question[1024] = {};
        dlgs::Text(611, question, sizeof question);
        if (dlgs::Openers().askYesNo(g_nav, g_nav->GetWindow(), g_resources, question))
            dlgs::Openers().recSourceSearch(g_nav, g_nav->GetWindow(), g_resources);
    }

    EnableRecordingButtons(host ? host->GetUseRecording() : 0);

    if (skin.entry.SkinSpecificBtn) skin.entry.SkinSpecificBtn(g_resources, g_main, g_main->GetButtonList(), 0);
    int countdown = 10;
    if (g_nav && host) {
        if (HasElement(g_nav, 373))
            ActiveElementSetStatus(g_nav->GetButtonList(), 373, host->GetVelmoAddy() ? 2 : 1);
        else
            host->SetVelmoAddy(1);
    }
    // The navigator comes back as the user left it, extended at once
    // rather than sliding open at every start.
    if (host && (host->GetNavOpen() & 0xFFFF) && g_nav && g_nav->IsCollapsed()) {
        int animation = host->GetNAVAnimEnabled();
        host->SetNAVAnimEnabled(0);
        g_nav->Slide();
        host->SetNAVAnimEnabled(animation);
    }
    if (g_loading) PostToSplash(g_loading, WM_SPLASH_CLOSE, 0, 0);
    RunStartActions(startActions);

    ShowWindow(g_main->GetWindow(), SW_SHOW);
    SetForegroundWindow(g_main->GetWindow());
    HostCallback(82, 0, nullptr);

    while (lib.running) {
        DrainQueue(accelerators);
        if (countdown > 0) {
            --countdown;
            if (countdown == 1) {
                if (g_nav) {
                    g_nav->ApplySkinSizes();
                    ShowWindow(g_nav->GetWindow(), SW_SHOW);
                }
                HostCallback(40, 0, nullptr);
                if (g_nav) RedrawWindow(g_nav->GetWindow(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
                RedrawWindow(g_main->GetWindow(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
                g_main->SetBufferValue(50);
                g_main->SetBufferValue(0);
                if (g_nav) PostMessageA(g_nav->GetWindow(), WM_NAV_STARTUP_CHECKS, 0, 0);
                char ready[64];
                GetResourceString(nullptr, 414, UiLanguage(), ready, sizeof ready);
                g_main->SetStatusLine(ready, 0);
                InterlockedExchange(&lib.bannerReady, 1);
            } else if (countdown == 0) {
                HostCallback(24, 0, nullptr);
            }
        }
        Sleep(10);
    }

    HostCallback(41, 0, nullptr);
    HostCallback(25, 0, nullptr);
    // The banner goes with the interface; a later start waits for it anew.
    InterlockedExchange(&lib.bannerReady, 0);
    InterlockedExchange(&lib.canClose, 0);
    // The host says when it may close (its banner stopped); a host that
    // never says so must not keep the player from closing.
    // The host is asked every 150 ms; its answer is looked for every 10 ms,
    // so that closing does not wait out a whole step for it.
    DWORD closeStart = GetTickCount();
    while (!lib.canClose && GetTickCount() - closeStart < kCanCloseWaitMs) {
        HostCallback(25, 0, nullptr);
        HostCallback(27, 0, nullptr);
        const DWORD asked = GetTickCount();
        do {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            PumpMessages();
        } while (!lib.canClose && GetTickCount() - asked < 150);
        HostLog(5, "warte auf canclose...");
    }
    HostLog(5, lib.canClose ? "canclose...ok" : "canclose...given up");
    if (accelerators) DestroyAcceleratorTable(accelerators);
    TearDown();
    return 1;
}

FK_EXPORT void GetLastPlayedSender(const char* name, int channelId) {
    HostLog(5, "GetLastPlayedSender...");
    if (!g_main) return;
    InterlockedExchange(&Library().lastPlayedReceived, 1);
    HostLog(5, "GetLastPlayedSender...SetCurrentSelection");
    g_main->SetCurrentSelection(channelId, name);
    HostLog(5, "GetLastPlayedSender...SetCurrentSelection...SetStreamInfo");
    SetStreamInfo(0, 0, 0, nullptr, nullptr);
    HostLog(5, "GetLastPlayedSender...ok");
}

FK_EXPORT void ShowInfo(int cx, int cy, const char* text) {
    char line[300];
    bk::TextFormat(line, sizeof line, "ShowInfo %dx%d %.200s", cx, cy, text ? text : "");
    HostLog(5, line);
    if (!g_resources) return;
    ShowInfoSplash(g_main, g_resources, cx, cy, text, nullptr);
}

// The banner descriptions. The host's banner threads ask at any time, also
// while no such window is open or the interface is being torn down: a record
// that describes nothing stays zero, which the host reads as "no banner
// here", and the reason goes to the log.
namespace {

int32_t HandleWord(HWND window) { return static_cast<int32_t>(reinterpret_cast<intptr_t>(window)); }

struct SplashBannerAsk {
    BannerInfoRecord* record;
    int kind;
    bool withSize;
};

void DescribeSplashBanner(cSplashWnd* wnd, void* arg) {
    auto* ask = static_cast<SplashBannerAsk*>(arg);
    // The first slot holds the newest pop-up of any kind.
    if (wnd->GetKind() != ask->kind) return;
    POINT at = wnd->GetContentOrigin();
    ask->record->window = HandleWord(wnd->GetWindow());
    ask->record->x = at.x;
    ask->record->y = at.y;
    if (ask->withSize) {
        SIZE size = wnd->GetContentSize();
        ask->record->cx = size.cx;
        ask->record->cy = size.cy;
    }
}

BannerInfoRecord* HandOut(BannerInfoRecord* out, const BannerInfoRecord& filled, const char* which) {
    if (!filled.window) LogF(9, "%s: no banner window", which);
    if (out) *out = filled;
    return out;
}

BannerInfoRecord* SplashBannerRecord(BannerInfoRecord* out, int kind, bool withSize, const char* which) {
    BannerInfoRecord filled = {};
    SplashBannerAsk ask{&filled, kind, withSize};
    SplashSlotCall(kind, DescribeSplashBanner, &ask);
    if (kind == cSplashWnd::KIND_PODCASTS && filled.window)
        if (cNavWindow* nav = dynamic_cast<cNavWindow*>(GetWindowList().Find(WND_ID_NAVIGATOR)))
            bk::TextCopy(filled.url, sizeof filled.url, nav->GetSkinData()->GetPodcastURL());
    return HandOut(out, filled, which);
}

}  // namespace

FK_EXPORT BannerInfoRecord* GetBannerInfo(BannerInfoRecord* record) {
    BannerInfoRecord filled = {};
    LibraryState& lib = Library();
    auto* nav = dynamic_cast<cNavWindow*>(GetWindowList().Find(WND_ID_NAVIGATOR));
    if (nav && lib.bannerReady) {
        cVelmoSkinData* skin = nav->GetSkinData();
        const int kind = skin->GetVelmoaddieType();
        // A banner in the main window (kind 5) stays while the navigator is folded in.
        if (kind == 5 || (lib.running && !nav->IsCollapsed())) {
            POINT at = nav->GetBannerPos();
            cSkinWnd* main = GetWindowList().Find(WND_ID_MAIN);
            filled.window = HandleWord(kind == 5 ? (main ? main->GetWindow() : nullptr) : nav->GetWindow());
            filled.x = at.x;
            filled.y = at.y;
            filled.updateKind = skin->GetVelmoaddieUpdateArt();
            int width = 0, height = 0;
            if (cSettingsInterface* host = lib.host)
                NavBannerSize(host->GetLanguage(), host->GetAdBannerCX(), host->GetAdBannerCY(),
                              host->GetAdBannerCX_ENG(), host->GetAdBannerCY_ENG(), &width, &height);
            skin->SetBannerHeight(height);
        }
    }
    return HandOut(record, filled, "GetBannerInfo");
}
FK_EXPORT BannerInfoRecord* GetSpezBannerInfo(BannerInfoRecord* record) {
    return SplashBannerRecord(record, cSplashWnd::KIND_LOADING, true, "GetSpezBannerInfo");
}
FK_EXPORT BannerInfoRecord* GetInfoBannerInfo(BannerInfoRecord* record) {
    return SplashBannerRecord(record, cSplashWnd::KIND_INFO, false, "GetInfoBannerInfo");
}
FK_EXPORT BannerInfoRecord* GetPodcastBannerInfo(BannerInfoRecord* record) {
    return SplashBannerRecord(record, cSplashWnd::KIND_PODCASTS, true, "GetPodcastBannerInfo");
}

void RemoveOemNavigatorViews(cSkinWnd* navigator, HMODULE skinModule) {
    if (!navigator || !IsOEMPlayer()) return;
    static const struct {
        UINT string;
        DWORD element;
    } kHidden[] = {{20, 6}, {21, 5}, {22, 265}, {23, 7}, {24, 8}, {25, 356}};
    for (const auto& h : kHidden) {
        char text[256] = {};
        if (LoadStringA(skinModule, h.string, text, sizeof text) > 0) RemoveElement(navigator, h.element);
    }
}

void TakeProductTexts(HMODULE skinModule) {
    LibraryState& lib = Library();
    SetProductTitle(kProductText);
    bk::TextCopy(lib.productText, kProductText);
    bk::TextCopy(lib.productWord, kProductWord);
    for (char* further : lib.furtherTexts) further[0] = 0;
    if (!IsOEMPlayer()) return;
    auto take = [&](unsigned id, char* out, size_t size) {
        char text[500] = {};
        GetResourceString(skinModule, id, UiLanguage(), text, sizeof text);
        if (text[0]) bk::TextCopy(out, size, text);
    };
    char title[256] = {};
    take(11, title, sizeof title);
    if (title[0]) SetProductTitle(title);
    take(12, lib.productText, sizeof lib.productText);
    take(13, lib.productWord, sizeof lib.productWord);
    static const unsigned kFurther[9] = {14, 100, 101, 102, 103, 104, 105, 106, 107};
    for (int i = 0; i < 9; ++i) take(kFurther[i], lib.furtherTexts[i], sizeof lib.furtherTexts[i]);
}
