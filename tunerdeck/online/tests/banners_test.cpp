// Banner objects on their own threads: start, stop, refresh and reload
// through their events, the wait for the skin's record, the address each
// kind loads and where the control is placed. A recording browser stands in
// for the control; one test starts the system's own.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <map>
#include <mutex>
#include <thread>

#include "banners.h"
#include "registry.h"
#include "tdtest.h"

namespace {

struct BrowserCalls {
    std::mutex mu;
    std::vector<std::string> calls;
    std::string location;
    bool failCreate = false;
    HWND window = nullptr;

    void Add(const std::string& c) {
        std::lock_guard<std::mutex> lock(mu);
        calls.push_back(c);
    }
    std::vector<std::string> Get() {
        std::lock_guard<std::mutex> lock(mu);
        return calls;
    }
    void Clear() {
        std::lock_guard<std::mutex> lock(mu);
        calls.clear();
    }
};

class FakeBrowser : public IBannerBrowser {
public:
    explicit FakeBrowser(BrowserCalls* calls) : calls_(calls) {}
    ~FakeBrowser() override { Destroy(); }
    bool Create(HWND parent, int32_t id) override {
        calls_->Add("create " + std::to_string(id));
        if (calls_->failCreate) return false;
        window_ = CreateWindowExA(WS_EX_NOPARENTNOTIFY, "STATIC", "", WS_CHILD, 0, 0, 1, 1, parent,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
        calls_->window = window_;
        return window_ != nullptr;
    }
    HWND Window() const override { return window_; }
    void Navigate(const std::string& address) override {
        calls_->Add("navigate " + address);
        std::lock_guard<std::mutex> lock(calls_->mu);
        calls_->location = address;
    }
    void Refresh() override { calls_->Add("refresh"); }
    std::string LocationURL() override {
        std::lock_guard<std::mutex> lock(calls_->mu);
        return calls_->location;
    }
    void Destroy() override {
        if (!window_) return;
        calls_->Add("destroy");
        DestroyWindow(window_);
        window_ = nullptr;
    }

private:
    BrowserCalls* calls_;
    HWND window_ = nullptr;
};

class FakePlayer : public IBannerPlayer {
public:
    std::atomic<int> status{0};
    std::atomic<bool> bound{true};
    std::atomic<int> fetches{0};
    std::mutex mu;
    BannerRecord record = {};
    std::map<std::string, std::string> texts;
    std::map<std::string, int32_t> numbers;
    int32_t language = 1;
    int32_t genre = 7;
    std::vector<std::string> log;

    int GetStatus() override { return status; }
    bool GetBannerRecord(int32_t, BannerRecord* r) override {
        if (!bound) return false;
        ++fetches;
        std::lock_guard<std::mutex> lock(mu);
        *r = record;
        return true;
    }
    int32_t GetLanguage() override { return language; }
    std::string GetText(const char* name) override {
        std::lock_guard<std::mutex> lock(mu);
        return texts[name];
    }
    int32_t GetNumber(const char* name) override {
        std::lock_guard<std::mutex> lock(mu);
        return numbers[name];
    }
    int32_t GetGenreId() override { return genre; }
    uint32_t GetSkinId() override { return 3; }
    void WriteDebugLog(const char* text, int) override {
        std::lock_guard<std::mutex> lock(mu);
        log.push_back(text);
    }
    bool Logged(const std::string& text) {
        std::lock_guard<std::mutex> lock(mu);
        for (const auto& l : log)
            if (l == text) return true;
        return false;
    }
    void SetParent(HWND parent, int32_t mode) {
        std::lock_guard<std::mutex> lock(mu);
        record.parent = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(parent));
        record.left = 10;
        record.top = 20;
        record.width = 300;
        record.height = 50;
        record.reloadMode = mode;
    }
};

// Waits while dispatching this thread's messages: the banner's control is a
// child of a window of this thread.
bool PumpUntil(const std::function<bool()>& done, DWORD ms = 30000) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > ms) return false;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        Sleep(5);
    }
    return true;
}

void PumpFor(DWORD ms) {
    PumpUntil([] { return false; }, ms);
}

class BannerTest : public ::testing::Test {
protected:
    BannerTest() : reg_(GetSettingsKeyName()) {
        parent_ = CreateWindowExA(0, "STATIC", "banner parent", WS_POPUP, 0, 0, 600, 200, nullptr,
                                  nullptr, nullptr, nullptr);
        player_.texts["AdBannerUrl"] = "http://ads.example/main";
        player_.texts["AdBannerUrl_ENG"] = "http://ads.example/en?lang=2";
        player_.texts["SplashURL"] = "http://ads.example/splash";
        player_.texts["InfoURL"] = "http://ads.example/info";
        player_.numbers["AdBannerCX"] = 468;
        player_.numbers["AdBannerCY"] = 60;
        player_.numbers["AdBannerCX_ENG"] = 470;
        player_.numbers["AdBannerCY_ENG"] = 62;
    }
    ~BannerTest() override {
        Finish();
        DestroyWindow(parent_);
    }
    void Begin(int32_t kind, DWORD refreshMs = 10000, BannerBrowserFactory factory = nullptr) {
        if (!factory) factory = [this] { return std::unique_ptr<IBannerBrowser>(new FakeBrowser(&calls_)); };
        banner_.reset(new cBanner(&player_, factory, refreshMs));
        banner_->SetBannerType(kind);
        ended_ = false;
        thread_ = std::thread([this] {
            banner_->Run();
            ended_ = true;
        });
    }
    // False when the thread did not end (it is still joined: a hang shows as a hang).
    bool Finish() {
        player_.status = 2;
        if (!thread_.joinable()) return true;
        bool ended = PumpUntil([this] { return ended_.load(); });
        thread_.join();
        return ended;
    }
    // The thread has handled every trigger so far.
    bool Handled() {
        return PumpUntil([this] { return banner_->Idle(); });
    }
    size_t Count(const std::string& prefix) {
        size_t n = 0;
        for (const auto& c : calls_.Get())
            if (c.compare(0, prefix.size(), prefix) == 0) ++n;
        return n;
    }
    bool StartAndWait() {
        banner_->TriggerStart();
        return PumpUntil([this] { return Count("navigate") + Count("refresh") > 0; });
    }

    tdtest::RegistrySandbox reg_;
    HWND parent_ = nullptr;
    FakePlayer player_;
    BrowserCalls calls_;
    std::unique_ptr<cBanner> banner_;
    std::thread thread_;
    std::atomic<bool> ended_{false};
};

TEST_F(BannerTest, MainBannerLoadsWithTheGenreAndSitsAtTheRecord) {
    player_.SetParent(parent_, 0);
    Begin(kBannerMain);
    ASSERT_TRUE(StartAndWait());
    EXPECT_EQ(1, banner_->HasBrowser());
    auto calls = calls_.Get();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ("create 88885", calls[0]);
    EXPECT_EQ("navigate http://ads.example/main?Genre=7", calls[1]);
    ASSERT_TRUE(PumpUntil([this] { return (GetWindowLongPtrA(calls_.window, GWL_STYLE) & WS_VISIBLE) != 0; }));
    RECT r;
    GetWindowRect(calls_.window, &r);
    MapWindowPoints(nullptr, parent_, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(8, r.left);
    EXPECT_EQ(18, r.top);
    EXPECT_EQ(468 + 4, r.right - r.left);
    EXPECT_EQ(60 + 4, r.bottom - r.top);
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(ERROR, GetWindowRgn(calls_.window, rgn));
    RECT box;
    GetRgnBox(rgn, &box);
    DeleteObject(rgn);
    EXPECT_EQ(2, box.left);
    EXPECT_EQ(468 + 2, box.right);
    EXPECT_TRUE(player_.Logged("OnStartBanner"));
    EXPECT_TRUE(player_.Logged("Navigate: http://ads.example/main?Genre=7"));
}

TEST_F(BannerTest, AddressesOfTheKinds) {
    EXPECT_EQ("http://a/b?Genre=3", BannerAddressWithGenre("http://a/b", 3));
    EXPECT_EQ("http://a/b?x=1&Genre=3", BannerAddressWithGenre("http://a/b?x=1", 3));
    EXPECT_EQ("http://a/?Genre=-1", BannerAddressWithGenre("http://a/", -1));

    player_.language = 2;
    player_.SetParent(parent_, 0);
    Begin(kBannerMain);
    ASSERT_TRUE(StartAndWait());
    EXPECT_EQ(1u, Count("navigate http://ads.example/en?lang=2&Genre=7"));
    ASSERT_TRUE(PumpUntil([this] { return (GetWindowLongPtrA(calls_.window, GWL_STYLE) & WS_VISIBLE) != 0; }));
    RECT r;
    GetWindowRect(calls_.window, &r);
    EXPECT_EQ(470 + 4, r.right - r.left);
}

TEST_F(BannerTest, PodcastBannerTakesTheRecordsWholeText) {
    player_.SetParent(parent_, 0);
    {
        std::lock_guard<std::mutex> lock(player_.mu);
        memset(player_.record.address, 'a', sizeof player_.record.address);   // no terminator
        memcpy(player_.record.address, "http://", 7);
    }
    Begin(kBannerPodcast);
    ASSERT_TRUE(StartAndWait());
    auto calls = calls_.Get();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ("create 88889", calls[0]);
    EXPECT_EQ("navigate " + std::string("http://") + std::string(493, 'a'), calls[1]);
    // Kinds 1, 2 and 4 take their size from the record.
    ASSERT_TRUE(PumpUntil([this] { return (GetWindowLongPtrA(calls_.window, GWL_STYLE) & WS_VISIBLE) != 0; }));
    RECT r;
    GetWindowRect(calls_.window, &r);
    EXPECT_EQ(300 + 4, r.right - r.left);
    EXPECT_EQ(50 + 4, r.bottom - r.top);
}

TEST_F(BannerTest, ReloadModes) {
    struct Case {
        int32_t mode;
        const char* shownBefore;   // the control's address before the reload
        const char* expected;
    } cases[] = {
        {0, "http://ads.example/main?Genre=7", "navigate http://ads.example/main?Genre=7"},
        {5, "http://ads.example/main?Genre=7", ""},
        {1, "http://ads.example/main?Genre=7", "refresh"},
        {5, "about:blank", "navigate http://ads.example/main?Genre=7"},
        {1, "", "navigate http://ads.example/main?Genre=7"},
    };
    player_.SetParent(parent_, 0);
    Begin(kBannerMain);
    ASSERT_TRUE(StartAndWait());
    ASSERT_TRUE(Handled());
    for (const Case& c : cases) {
        player_.SetParent(parent_, c.mode);
        {
            std::lock_guard<std::mutex> lock(calls_.mu);
            calls_.location = c.shownBefore;
        }
        calls_.Clear();
        banner_->TriggerReload();
        ASSERT_TRUE(Handled()) << c.mode << " " << c.shownBefore;
        auto calls = calls_.Get();
        EXPECT_EQ(c.expected[0] ? 1u : 0u, calls.size()) << c.mode << " " << c.shownBefore;
        if (!calls.empty()) {
            EXPECT_EQ(c.expected, calls[0]) << c.mode << " " << c.shownBefore;
        }
    }
}

TEST_F(BannerTest, ReloadBeforeAnyStartDoesNothing) {
    player_.SetParent(parent_, 0);
    Begin(kBannerMain);
    banner_->TriggerReload();
    banner_->TriggerRefresh();
    ASSERT_TRUE(Handled());
    EXPECT_TRUE(calls_.Get().empty());
    EXPECT_EQ(0, player_.fetches.load());
    EXPECT_EQ(0, banner_->HasBrowser());
    EXPECT_TRUE(player_.Logged("OnReloadBanner"));
}

TEST_F(BannerTest, RefreshesCloserThanTheIntervalLoadOnce) {
    const DWORD interval = 2000;
    player_.SetParent(parent_, 1);
    Begin(kBannerMain, interval);
    ASSERT_TRUE(StartAndWait());
    ASSERT_TRUE(Handled());
    PumpFor(interval + 100);   // the start's load is older than the interval now
    calls_.Clear();
    const DWORD loaded = GetTickCount();   // no later than the load it asks for
    banner_->TriggerRefresh();
    ASSERT_TRUE(Handled());
    ASSERT_EQ(1u, calls_.Get().size());
    banner_->TriggerRefresh();
    ASSERT_TRUE(Handled());
    // Only meaningful while the second refresh came within the interval.
    if (GetTickCount() - loaded < interval) EXPECT_EQ(1u, calls_.Get().size());
}

TEST_F(BannerTest, StopDropsTheControlAndAReloadBringsItBack) {
    player_.SetParent(parent_, 0);
    Begin(kBannerMain);
    ASSERT_TRUE(StartAndWait());
    banner_->TriggerStop();
    ASSERT_TRUE(PumpUntil([this] { return banner_->HasBrowser() == 0; }));
    EXPECT_EQ(1u, Count("destroy"));
    EXPECT_EQ(1, banner_->Started());
    banner_->TriggerReload();
    ASSERT_TRUE(PumpUntil([this] { return Count("create") == 2 && banner_->HasBrowser() == 1; }));
}

TEST_F(BannerTest, NoControlWithoutAParentWindow) {
    struct Case {
        const char* name;
        std::function<void(FakePlayer&, HWND)> setup;
    } cases[] = {
        {"function not bound", [](FakePlayer& p, HWND) { p.bound = false; }},
        {"window gone",
         [](FakePlayer& p, HWND) {
             HWND gone = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
             DestroyWindow(gone);
             p.SetParent(gone, 0);
         }},
    };
    for (const Case& c : cases) {
        player_.status = 0;
        player_.bound = true;
        player_.SetParent(nullptr, 0);
        c.setup(player_, parent_);
        Begin(kBannerMain);
        banner_->TriggerStart();
        ASSERT_TRUE(Handled()) << c.name;
        EXPECT_EQ(0, banner_->HasBrowser()) << c.name;
        EXPECT_EQ(0u, Count("create")) << c.name;
        Finish();
    }
}

TEST_F(BannerTest, StopEndsTheWaitForTheRecord) {
    Begin(kBannerMain);
    banner_->TriggerStart();
    ASSERT_TRUE(PumpUntil([this] { return player_.fetches > 2; }));
    banner_->TriggerStop();
    ASSERT_TRUE(Handled());
    int seen = player_.fetches;
    PumpFor(300);   // nothing left to trigger a fetch
    EXPECT_EQ(seen, player_.fetches.load());
    // A later start tries again and finds the window.
    player_.SetParent(parent_, 0);
    ASSERT_TRUE(StartAndWait());
    EXPECT_EQ(1, banner_->HasBrowser());
}

TEST_F(BannerTest, ControlThatCannotBeCreatedFailsSoftly) {
    calls_.failCreate = true;
    player_.SetParent(parent_, 0);
    Begin(kBannerMain);
    banner_->TriggerStart();
    ASSERT_TRUE(PumpUntil([this] { return player_.Logged("OnStartBanner - kein Browser-Control"); }));
    banner_->TriggerReload();
    banner_->TriggerRefresh();
    ASSERT_TRUE(Handled());
    EXPECT_EQ(0, banner_->HasBrowser());
    EXPECT_EQ(0u, Count("navigate"));
    EXPECT_TRUE(Finish());
}

TEST_F(BannerTest, OfflineShowsTheSkinsOfflineFile) {
    SetValue("OfflinePlayer", 1);
    SetValue("OfflineAddie3", "C:\\skins\\offline\\banner.html");
    player_.SetParent(parent_, 0);
    Begin(kBannerMain);
    ASSERT_TRUE(StartAndWait());
    EXPECT_EQ(1u, Count("navigate C:\\skins\\offline\\banner.html"));
    EXPECT_EQ(2u, calls_.Get().size());
}

TEST_F(BannerTest, EndOfThePlayerEndsTheThreadAndTheControl) {
    player_.SetParent(parent_, 0);
    Begin(kBannerMain);
    ASSERT_TRUE(StartAndWait());
    EXPECT_TRUE(Finish());
    EXPECT_EQ(1u, Count("destroy"));
    EXPECT_EQ(0, banner_->HasBrowser());
}

// The system's own control: it may not exist under this system (no HTML
// engine); either way the banner must not hang or take the player down.
TEST_F(BannerTest, SystemBrowserControl) {
    player_.SetParent(parent_, 0);
    Begin(kBannerMain, 10000, NewWebBrowser);
    banner_->TriggerStart();
    ASSERT_TRUE(PumpUntil([this] {
        return banner_->HasBrowser() == 1 || player_.Logged("OnStartBanner - kein Browser-Control");
    }, 20000));
    std::printf("system browser control: %s\n", banner_->HasBrowser() ? "created" : "not available");
    if (banner_->HasBrowser()) {
        EXPECT_TRUE(PumpUntil([this] { return player_.Logged("OnReloadBanner - ok"); }, 20000));
        HWND host = FindWindowExA(parent_, nullptr, "tunerdeck Banner Host", nullptr);
        ASSERT_NE(nullptr, host);
        EXPECT_EQ(kBannerControlId, GetDlgCtrlID(host));
    }
    EXPECT_TRUE(Finish());
    EXPECT_EQ(nullptr, FindWindowExA(parent_, nullptr, "tunerdeck Banner Host", nullptr));
}

}  // namespace
