#include "banners.h"

#include <cstring>
#include <exception>

#include "bounded_text.h"
#include "debugtext.h"
#include "internet.h"
#include "ole_host.h"
#include "registry.h"

namespace {

// One pause for every banner thread: short while messages keep coming,
// growing back to 70 ms when the queues run dry.
std::atomic<int> g_pause{70};

constexpr int kMaxRecordAttempts = 501;
constexpr DWORD kRecordWaitMs = 90;
constexpr int kMaxReloadRetries = 3;

bool IsSet(HANDLE event) { return WaitForSingleObject(event, 0) == WAIT_OBJECT_0; }

HWND RecordWindow(const BannerRecord& r) {
    // Window handles carry 32 significant bits, sign-extended on 64-bit.
    return reinterpret_cast<HWND>(static_cast<intptr_t>(static_cast<int32_t>(r.parent)));
}

// ------------------------------------------------------------ the real control

const CLSID kClsidWebBrowser = {0x8856F961, 0x340A, 0x11D0, {0xA9, 0x6B, 0x00, 0xC0, 0x4F, 0xD7, 0x05, 0xA2}};
constexpr DISPID kDispNavigate = 104, kDispRefresh = -550, kDispLocationUrl = 211, kDispSilent = 551;
constexpr const char* kHostClass = "tunerdeck Banner Host";

// A plain child window that carries the control and keeps it at its own size.
LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_SIZE) {
        if (auto* site = reinterpret_cast<olehost::ControlSite*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA))) {
            RECT r = {0, 0, LOWORD(lp), HIWORD(lp)};
            site->Move(r);
        }
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

class WebBrowser : public IBannerBrowser {
public:
    ~WebBrowser() override { Destroy(); }

    bool Create(HWND parent, int32_t id) override {
        static const ATOM atom = [] {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = HostProc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = kHostClass;
            wc.hbrBackground = reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
            return RegisterClassA(&wc);
        }();
        if (!atom) return false;
        host_ = CreateWindowExA(0, kHostClass, "", WS_CHILD | WS_CLIPCHILDREN, 0, 0, 1, 1, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
        if (!host_) return false;
        site_ = olehost::ControlSite::New();
        RECT r = {0, 0, 1, 1};
        HRESULT hr = site_->Create(host_, kClsidWebBrowser, r);
        if (FAILED(hr) || !site_->Dispatch()) {
            DebugLog(DL_ERR, "cBanner: kein WebBrowser (0x%08lx)", static_cast<unsigned long>(hr));
            Destroy();
            return false;
        }
        SetWindowLongPtrA(host_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(site_));
        static const VARTYPE boolArg[] = {VT_BOOL, VT_EMPTY};
        olehost::InvokeHelper(site_->Dispatch(), kDispSilent, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, boolArg, 1);
        return true;
    }
    HWND Window() const override { return host_; }
    void Navigate(const std::string& address) override {
        static const VARTYPE textArg[] = {VT_BSTR, VT_EMPTY};
        if (site_ && site_->Dispatch())
            olehost::InvokeHelper(site_->Dispatch(), kDispNavigate, DISPATCH_METHOD, VT_EMPTY, nullptr, textArg,
                                  address.c_str());
    }
    void Refresh() override {
        static const VARTYPE none[] = {VT_EMPTY};
        if (site_ && site_->Dispatch())
            olehost::InvokeHelper(site_->Dispatch(), kDispRefresh, DISPATCH_METHOD, VT_EMPTY, nullptr, none);
    }
    std::string LocationURL() override {
        static const VARTYPE none[] = {VT_EMPTY};
        std::string url;
        if (site_ && site_->Dispatch())
            olehost::InvokeHelper(site_->Dispatch(), kDispLocationUrl, DISPATCH_PROPERTYGET, VT_BSTR, &url, none);
        return url;
    }
    void Destroy() override {
        if (site_) {
            if (host_) SetWindowLongPtrA(host_, GWLP_USERDATA, 0);
            site_->Destroy();
            site_->Release();
            site_ = nullptr;
        }
        if (host_) DestroyWindow(host_);
        host_ = nullptr;
    }

private:
    HWND host_ = nullptr;
    olehost::ControlSite* site_ = nullptr;
};

}  // namespace

std::unique_ptr<IBannerBrowser> NewWebBrowser() { return std::unique_ptr<IBannerBrowser>(new WebBrowser); }

std::string BannerAddressWithGenre(const std::string& address, int32_t genre) {
    return address + (address.find('?') == std::string::npos ? "?Genre=" : "&Genre=") + std::to_string(genre);
}

cBanner::cBanner(IBannerPlayer* player, BannerBrowserFactory factory, DWORD refreshIntervalMs)
    : start_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      stop_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      refresh_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      reload_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      player_(player),
      offline_(IsOffline()),
      factory_(std::move(factory)),
      refreshInterval_(refreshIntervalMs) {}

cBanner::~cBanner() = default;

void cBanner::Log(const char* text, int level) {
    if (player_) player_->WriteDebugLog(text, level);
    else DebugLog(level, "%s", text);
}

void cBanner::DropBrowser() {
    if (browser_) browser_->Destroy();
    browser_.reset();
    hasBrowser_ = false;
}

void cBanner::Run() {
    if (!player_) return;
    HRESULT ole = OleInitialize(nullptr);
    while (player_->GetStatus() != 2) {
        Sleep(static_cast<DWORD>(g_pause.load()));
        MSG msg;
        bool any = false;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            any = true;
            g_pause = 5;
            Sleep(0);
        }
        if (!any && g_pause < 70) ++g_pause;
        try {
            if (IsSet(stop_.Get())) OnStopBanner();
            if (IsSet(start_.Get())) OnStartBanner();
            if (IsSet(refresh_.Get())) OnTimedReload();
            if (IsSet(reload_.Get())) OnReloadBanner();
        } catch (const std::exception& e) {
            DebugLog(DL_ERR, "cBanner::Run EXCEPTION (%s)", e.what());
        }
    }
    DropBrowser();
    if (SUCCEEDED(ole)) OleUninitialize();
}

void cBanner::OnStartBanner() {
    Log("OnStartBanner", DL_INF);
    // The client's construction applies the shared proxy to the whole
    // process, which is what the control's own requests go through.
    { cInternet proxy(nullptr, nullptr, nullptr); }

    if (!browser_) {
        const int32_t kind = kind_;
        BannerRecord record = {};
        int attempts = 0;
        for (;;) {
            HWND parent = RecordWindow(record);
            if (parent) {
                if (!IsWindow(parent)) {
                    DropBrowser();
                    ResetEvent(start_.Get());
                    return;
                }
                std::unique_ptr<IBannerBrowser> browser = factory_ ? factory_() : nullptr;
                if (!browser || !browser->Create(parent, kBannerControlId + kind)) {
                    // No control on this system (or none that would start):
                    // the banner stays empty, nothing else is affected.
                    Log("OnStartBanner - kein Browser-Control", DL_ERR);
                    ResetEvent(start_.Get());
                    return;
                }
                browser_ = std::move(browser);
                hasBrowser_ = true;
                break;
            }
            if (IsSet(stop_.Get()) || player_->GetStatus() == 2 || attempts >= kMaxRecordAttempts ||
                !player_->GetBannerRecord(kind, &record)) {
                DropBrowser();
                ResetEvent(start_.Get());
                return;
            }
            ++attempts;
            Sleep(kRecordWaitMs);
        }
    }
    started_ = true;
    OnReloadBanner();
    ResetEvent(start_.Get());
}

void cBanner::OnStopBanner() {
    Log("OnStopBanner", DL_INF);
    DropBrowser();
    ResetEvent(stop_.Get());
}

void cBanner::OnTimedReload() {
    const DWORD now = GetTickCount();
    // Unsigned difference: right across the tick counter's wrap.
    if (now - lastReload_ > refreshInterval_) {
        lastReload_ = now;
        OnReloadBanner();
    }
    ResetEvent(refresh_.Get());
}

SIZE cBanner::SizeOfKind() {
    const int32_t lang = player_->GetLanguage();
    switch (kind_) {
        case kBannerMain:
            if (lang == 1) return {player_->GetNumber("AdBannerCX"), player_->GetNumber("AdBannerCY")};
            if (lang == 2) return {player_->GetNumber("AdBannerCX_ENG"), player_->GetNumber("AdBannerCY_ENG")};
            return {474, 66};
        case kBannerInfo: return {player_->GetNumber("InfoCX"), player_->GetNumber("InfoCY")};
        default: return {0, 0};
    }
}

std::string cBanner::AddressOfKind(const BannerRecord& record) {
    const bool english = player_->GetLanguage() == 2;
    switch (kind_) {
        case kBannerMain: return player_->GetText(english ? "AdBannerUrl_ENG" : "AdBannerUrl");
        case kBannerSplash: return player_->GetText(english ? "SplashURL_ENG" : "SplashURL");
        case kBannerPopup: return player_->GetText(english ? "PopupURL_ENG" : "PopupURL");
        case kBannerPodcast: {
            // The record's text fills all 500 bytes when it is that long.
            char text[sizeof record.address + 1] = {};
            memcpy(text, record.address, sizeof record.address);
            return text;
        }
        case kBannerInfo: return player_->GetText("InfoURL");
        default: return std::string();
    }
}

void cBanner::OnReloadBanner() {
    Log("OnReloadBanner", DL_INF);
    if (!browser_) {
        ResetEvent(reload_.Get());
        lastReload_ = 0;
        if (started_) OnStartBanner();
        return;
    }
    HWND focus = GetFocus();
    // A fault is tried again a few times, never for ever: the thread must
    // still see its stop event and the player's end.
    bool done = false;
    for (int attempt = 0; attempt <= kMaxReloadRetries && !done; ++attempt) {
        try {
            done = ReloadOnce();
        } catch (const std::exception& e) {
            DebugLog(DL_ERR, "OnReloadBanner EXCEPTION (%s)", e.what());
            lastReload_ = 0;
            Sleep(100);
        }
    }
    if (focus && GetFocus() != focus && IsWindow(focus)) SetFocus(focus);
    lastReload_ = GetTickCount();
    ResetEvent(reload_.Get());
}

bool cBanner::ReloadOnce() {
    SIZE size = SizeOfKind();
    BannerRecord record = {};
    HWND control = browser_->Window();
    if (control && IsWindow(control) && player_->GetBannerRecord(kind_, &record) &&
        (kind_ == kBannerSplash || kind_ == kBannerPopup || kind_ == kBannerPodcast)) {
        size.cx = record.width;
        size.cy = record.height;
    }
    HWND parent = RecordWindow(record);
    if (!parent) return true;
    char line[700];
    if (offline_) {
        char file[512] = {};
        GetOfflineAddie(player_->GetSkinId(), file);
        bk::TextFormat(line, sizeof line, "Navigate: %s", file);
        Log(line, DL_INF);
        browser_->Navigate(file);
    } else {
        std::string address = AddressOfKind(record);
        if (kind_ == kBannerPodcast || kind_ == kBannerInfo) {
            bk::TextFormat(line, sizeof line, "Navigate: %s", address.c_str());
            Log(line, DL_INF);
            browser_->Navigate(address);
        } else {
            address = BannerAddressWithGenre(address, player_->GetGenreId());
            std::string current = browser_->LocationURL();
            const bool blank = current.size() < 3 || _stricmp(current.c_str(), "about:blank") == 0;
            current = current.substr(0, current.find('?'));
            if (record.reloadMode == 0 || blank) {
                if (!blank && _stricmp(current.c_str(), address.c_str()) == 0) {
                    bk::TextFormat(line, sizeof line, "Refresh: %s", address.c_str());
                    Log(line, DL_INF);
                    browser_->Refresh();
                } else {
                    bk::TextFormat(line, sizeof line, "Navigate: %s", address.c_str());
                    Log(line, DL_INF);
                    browser_->Navigate(address);
                }
            } else if (record.reloadMode != kReloadNever) {
                bk::TextFormat(line, sizeof line, "Refresh: %s", address.c_str());
                Log(line, DL_INF);
                browser_->Refresh();
            }
        }
    }
    Log("OnReloadBanner - ok", DL_INF);
    if (control && IsWindow(control)) {
        const int w = size.cx + 4, h = size.cy + 4;
        SetWindowPos(control, HWND_TOP, record.left - 2, record.top - 2, w, h, SWP_NOACTIVATE | SWP_NOOWNERZORDER);
        // The region hides the control's 2-pixel frame.
        SetWindowRgn(control, CreateRectRgn(2, 2, size.cx + 2, size.cy + 2), TRUE);
        ShowWindow(control, SW_SHOWNOACTIVATE);
    }
    return true;
}
