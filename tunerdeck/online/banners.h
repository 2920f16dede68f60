// Web banners inside the skinned windows: each banner object owns one web
// browser control, runs on a thread of its own and is driven by four events
// (start, stop, refresh, reload) that the player core sets.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "win_handles.h"

// The banner description record the skin engine fills (524 bytes, copied by
// value across the module boundary).
struct BannerRecord {
    uint32_t parent;       // window that carries the banner (32 bits of the handle)
    int32_t left, top;     // in the parent's client coordinates
    int32_t width, height;
    int32_t reloadMode;    // 0 always load, 5 never refresh, else refresh when a page is shown
    char address[500];
};
static_assert(sizeof(BannerRecord) == 524, "banner record layout");

enum BannerKind : int32_t {
    kBannerMain = 0,
    kBannerSplash = 1,
    kBannerPopup = 2,
    kBannerPodcast = 4,
    kBannerInfo = 5,
};

constexpr int32_t kBannerControlId = 88885;   // plus the kind
constexpr int32_t kReloadNever = 5;

// What a banner needs of the player object (the player core implements it).
class IBannerPlayer {
public:
    virtual ~IBannerPlayer() = default;
    virtual int GetStatus() = 0;   // 2: the player is ending
    // The skin engine's record of the kind; false when the engine has no
    // such function bound.
    virtual bool GetBannerRecord(int32_t kind, BannerRecord* record) = 0;
    virtual int32_t GetLanguage() = 0;   // 1 German, 2 English
    // Texts: "AdBannerUrl", "AdBannerUrl_ENG", "SplashURL", "SplashURL_ENG",
    // "PopupURL", "PopupURL_ENG" (the kind-2 addresses), "InfoURL".
    virtual std::string GetText(const char* name) = 0;
    // Numbers: "AdBannerCX", "AdBannerCY", "AdBannerCX_ENG",
    // "AdBannerCY_ENG", "InfoCX", "InfoCY".
    virtual int32_t GetNumber(const char* name) = 0;
    virtual int32_t GetGenreId() = 0;
    virtual uint32_t GetSkinId() = 0;
    virtual void WriteDebugLog(const char* text, int level) = 0;
};

// The browser control of a banner, as the banner drives it.
class IBannerBrowser {
public:
    virtual ~IBannerBrowser() = default;
    // Creates the control as a hidden child of parent with the given id and
    // makes it silent. False when no control could be made.
    virtual bool Create(HWND parent, int32_t id) = 0;
    virtual HWND Window() const = 0;
    virtual void Navigate(const std::string& address) = 0;
    virtual void Refresh() = 0;
    virtual std::string LocationURL() = 0;
    virtual void Destroy() = 0;
};

using BannerBrowserFactory = std::function<std::unique_ptr<IBannerBrowser>()>;
// The system's WebBrowser control, hosted by our control container.
std::unique_ptr<IBannerBrowser> NewWebBrowser();

// The address a banner of kinds 0 to 2 loads: the genre appended as a query.
std::string BannerAddressWithGenre(const std::string& address, int32_t genre);

class cBanner {
public:
    explicit cBanner(IBannerPlayer* player, BannerBrowserFactory factory = NewWebBrowser,
                     DWORD refreshIntervalMs = 10000);
    virtual ~cBanner();
    cBanner(const cBanner&) = delete;
    cBanner& operator=(const cBanner&) = delete;

    void SetBannerType(int32_t kind) { kind_ = kind; }
    int32_t GetBannerType() const { return kind_; }
    void TriggerStart() { SetEvent(start_.Get()); }
    void TriggerStop() { SetEvent(stop_.Get()); }
    void TriggerRefresh() { SetEvent(refresh_.Get()); }
    void TriggerReload() { SetEvent(reload_.Get()); }
    int HasBrowser() const { return hasBrowser_ ? 1 : 0; }
    int Started() const { return started_ ? 1 : 0; }
    // Nothing triggered waits for the thread: each handler clears its event
    // when it is done.
    bool Idle() const {
        for (HANDLE e : {start_.Get(), stop_.Get(), refresh_.Get(), reload_.Get()})
            if (WaitForSingleObject(e, 0) == WAIT_OBJECT_0) return false;
        return true;
    }

    // The thread body: until the player ends.
    void Run();

private:
    void OnStartBanner();
    void OnStopBanner();
    void OnTimedReload();
    void OnReloadBanner();
    bool ReloadOnce();
    void DropBrowser();
    SIZE SizeOfKind();
    std::string AddressOfKind(const BannerRecord& record);
    void Log(const char* text, int level);

    bk::ScopedHandle start_, stop_, refresh_, reload_;
    IBannerPlayer* player_;
    std::unique_ptr<IBannerBrowser> browser_;
    DWORD lastReload_ = 0;
    std::atomic<int32_t> kind_{0};
    int offline_ = 0;
    std::atomic<bool> started_{false};
    std::atomic<bool> hasBrowser_{false};
    BannerBrowserFactory factory_;
    DWORD refreshInterval_;
};
