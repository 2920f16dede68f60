// Podcast downloads against the local HTTP server into a temporary folder:
// the feed document and its re-reading, the automatic episode downloads,
// failed and foreign answers, cancelling, the progress texts and deletion.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

#include "bounded_text.h"
#include "download.h"
#include "fake_settings.h"
#include "library_guard.h"
#include "library_state.h"
#include "list_store.h"
#include "main_menu.h"
#include "nav_menus.h"
#include "nav_window.h"
#include "podcast_feed.h"
#include "win_handles.h"
#include "podcast_rss.h"
#include "tdtest.h"

namespace {

std::string Mp3Body(size_t bytes) {
    std::string s("\xFF\xFB\x90\x00", 4);   // 128 kbit/s
    s.resize(bytes, '\x55');
    return s;
}

std::string Item(const std::string& title, const std::string& date, const std::string& url, int64_t length) {
    return "<item><title>" + title + "</title><pubDate>" + date + "</pubDate><enclosure url=\"" + url +
           "\" length=\"" + std::to_string(length) + "\"/></item>";
}

// Receives what the downloads post to the navigator.
class NavSink {
public:
    NavSink() {
        hwnd_ = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    }
    ~NavSink() { DestroyWindow(hwnd_); }
    HWND Window() const { return hwnd_; }
    // Removes the waiting messages and counts those of `msg` (with lParam).
    int Take(UINT msg, LPARAM lParam = -1) {
        int n = 0;
        MSG m;
        while (PeekMessageA(&m, hwnd_, 0, 0, PM_REMOVE)) {
            if (m.message == msg && (lParam == -1 || m.lParam == lParam)) ++n;
            seen.push_back(m.message);
        }
        return n;
    }
    std::vector<UINT> seen;

private:
    HWND hwnd_;
};

struct Row : cPodcastRow {
    std::vector<std::string> texts;
    CRITICAL_SECTION lock;
    Row() { InitializeCriticalSection(&lock); }
    ~Row() { DeleteCriticalSection(&lock); }
    void SetColumnText(int column, const char* text) override {
        EnterCriticalSection(&lock);
        if (column == 2) texts.push_back(text);
        LeaveCriticalSection(&lock);
    }
    std::string Last() {
        EnterCriticalSection(&lock);
        std::string s = texts.empty() ? "" : texts.back();
        LeaveCriticalSection(&lock);
        return s;
    }
};

std::vector<int> g_codes;
std::vector<std::string> g_questions;
std::vector<int> g_answers;

int Answer(const char* text) {
    g_questions.push_back(text);
    if (g_answers.empty()) return 0;
    int a = g_answers.front();
    g_answers.erase(g_answers.begin());
    return a;
}

struct DownloadFixture : ::testing::Test {
    tdtest::TempFolder folder{"poddl"};
    tdtest::HttpServer server;
    FakeSettings settings;
    cDownloadManager manager;
    NavSink nav;
    LibraryGuard guard{&settings, nullptr};

    void SetUp() override {
        CreateDirectoryA(folder.File("skins").c_str(), nullptr);
        bk::TextCopy(Library().skinsFolder, (folder.File("skins") + "\\").c_str());
        settings.texts["GetPodcastDir"] = folder.File("episodes");
        manager.SetWindowHandle(nullptr, nav.Window());
        Library().downloads = &manager;
        g_codes.clear();
        g_questions.clear();
        g_answers.clear();
        Library().callback = [](int code, int, void* text) -> int {
            g_codes.push_back(code);
            if (code == 73) static_cast<PlayCountQuery*>(text)->count = 0;
            return 0;
        };
        SetPodcastFeature(true);
        SetPodcastViewShown(true);
        SetPodcastQuestion(&Answer);
    }
    void TearDown() override {
        SetPodcastQuestion(nullptr);
        SetPodcastViewShown(false);
        SetPodcastFeature(false);
    }
    std::string FeedPath(cPodcastFeed& feed) {
        char path[MAX_PATH * 2];
        EXPECT_TRUE(feed.GetFeedFilePath(path, sizeof path));
        return path;
    }
    std::string EpisodePath(cPodcastFeed& feed, int index) {
        char path[MAX_PATH * 2];
        EXPECT_TRUE(feed.GetEpisodeFilePath(index, path, sizeof path));
        return path;
    }
    void ServeFeed(const std::string& items) {
        server.Serve("/feed.xml", "<rss><channel><title>Radio Show</title>" + items + "</channel></rss>", "text/xml");
    }
};

}  // namespace

TEST(PodcastProgress, TextsOfKnownAndUnknownTotals) {
    struct Case {
        int64_t received, total;
        const char* size;
        const char* text;
    } cases[] = {
        {10485760, 20971520, "20,00 MB", "50%  (10,00 MB / 20,00 MB)"},
        {3000, 20971520, "20,00 MB", " 0%  (0,00 MB / 20,00 MB)"},
        {30000000, 20971520, "20,00 MB", "100%  (28,61 MB / 20,00 MB)"},
        {int64_t(4000) << 20, int64_t(4096) << 20, "4096,00 MB", "97%  (4000,00 MB / 4096,00 MB)"},
        {2097152, 0, "", "2,00 MB"},
        {2097152, 0, "3,00 MB", "2,00 MB / 3,00 MB"},
        {1536, 0, "", "1,51 kB"},   // hundredths of a kB are (bytes mod 1024) / 10
        {1536, 0, "3,00 MB", "1,51 kB / 3,00 MB"},
    };
    for (const Case& c : cases) EXPECT_EQ(rss::ProgressText(c.received, c.total, c.size), c.text) << c.received;
}

TEST_F(DownloadFixture, FeedDownloadReadsTheFeedAndFetchesTheNewestEpisode) {
    settings.numbers["GetPodAutoDownload"] = 1;
    std::string old = Mp3Body(4000), fresh = Mp3Body(16000 * 3);   // fresh: 3 s
    ServeFeed(Item("Old", "Mon, 05 Dec 2011 10:00:00 GMT", server.Url("/e/old.mp3"), 4000) +
              Item("Fresh", "Tue, 06 Dec 2011 10:00:00 GMT", server.Url("/e/fresh.mp3"), 48000));
    server.Serve("/e/old.mp3", old, "audio/mpeg");
    server.Serve("/e/fresh.mp3", fresh, "audio/mpeg");

    cPodcastFeed feed;
    feed.SetId(1);
    feed.SetUrl(server.Url("/feed.xml").c_str());
    Row feedRow;
    feed.StartDownload(-1);
    ASSERT_TRUE(feed.WaitIdle(15000));
    EXPECT_EQ(feed.GetEpisodeCount(), 2);
    EXPECT_STREQ(feed.GetTitle(0), "Radio Show");
    size_t freshRequests = server.Count("/e/fresh.mp3");
    EXPECT_GE(freshRequests, 1u);
    EXPECT_EQ(server.Count("/e/old.mp3"), 0u);
    std::string got;
    ASSERT_TRUE(tdtest::ReadFileBytes(EpisodePath(feed, 2), &got));
    EXPECT_EQ(got, fresh);
    EXPECT_EQ(feed.GetEpisodeStatus(2), 5);
    EXPECT_STREQ(feed.GetEpisodeStatusText(2), "Download komplett");
    EXPECT_STREQ(feed.GetEpisodeRowText(2), "00:03 Minuten");
    EXPECT_GE(nav.Take(WM_FK_PODCAST_ROWS), 1);
    EXPECT_GE(std::count(nav.seen.begin(), nav.seen.end(), static_cast<UINT>(WM_FK_PODCAST_VIEW_CLICK)), 1);

    // A second download that brings nothing new starts no episode.
    DeleteFileA(EpisodePath(feed, 2).c_str());
    feed.ResetEpisodePaths();
    size_t feedRequests = server.Count("/feed.xml");
    feed.StartDownload(-1);
    ASSERT_TRUE(feed.WaitIdle(15000));
    EXPECT_GT(server.Count("/feed.xml"), feedRequests);
    EXPECT_EQ(server.Count("/e/fresh.mp3"), freshRequests);
}

TEST_F(DownloadFixture, FailedOrForeignFeedAnswersKeepTheFeedThatWorks) {
    ServeFeed(Item("One", "Tue, 06 Dec 2011 10:00:00 GMT", server.Url("/e/1.mp3"), 10));
    cPodcastFeed feed;
    feed.SetId(2);
    feed.SetUrl(server.Url("/feed.xml").c_str());
    feed.StartDownload(-1);
    ASSERT_TRUE(feed.WaitIdle(15000));
    ASSERT_EQ(feed.GetEpisodeCount(), 1);
    std::string before;
    ASSERT_TRUE(tdtest::ReadFileBytes(FeedPath(feed), &before));

    const std::vector<tdtest::HttpResponse> answers = {
        tdtest::HttpResponse::Text(404, "gone"),
        tdtest::HttpResponse::Text(200, "<html><body>Sorry, maintenance</body></html>", "text/html"),
    };
    for (const auto& answer : answers) {
        server.Route("/feed.xml", [answer](const tdtest::HttpRequest&) { return answer; });
        feed.StartDownload(-1);
        ASSERT_TRUE(feed.WaitIdle(15000));
        std::string after;
        ASSERT_TRUE(tdtest::ReadFileBytes(FeedPath(feed), &after));
        EXPECT_EQ(after, before) << answer.status;
        EXPECT_FALSE(tdtest::ReadFileBytes(FeedPath(feed) + ".part", &after));
        EXPECT_EQ(feed.GetEpisodeCount(), 1);
        EXPECT_STREQ(feed.GetTitle(1), "One");
    }
}

TEST_F(DownloadFixture, AllMissingEpisodesAndACancelLeavesNoPartialFile) {
    settings.numbers["GetPodAutoDownload"] = 2;
    ServeFeed(Item("A", "Mon, 05 Dec 2011 10:00:00 GMT", server.Url("/e/a.mp3"), 100) +
              Item("Slow", "Tue, 06 Dec 2011 10:00:00 GMT", server.Url("/e/slow.mp3"), 1000000));
    server.Serve("/e/a.mp3", Mp3Body(100), "audio/mpeg");
    std::atomic<int> sent{0};
    server.Route("/e/slow.mp3", [&](const tdtest::HttpRequest&) {
        tdtest::HttpResponse r;
        r.Header("Content-Type", "audio/mpeg");
        r.noContentLength = true;
        r.stream = [&](std::string* more) {
            if (sent > 200) return false;
            ++sent;
            Sleep(20);
            *more = std::string(1024, 'x');
            return true;
        };
        return r;
    });
    cPodcastFeed feed;
    feed.SetId(4);
    feed.SetUrl(server.Url("/feed.xml").c_str());
    feed.StartDownload(-1);
    ASSERT_TRUE(tdtest::WaitFor([&] { return feed.IsEpisodeDownloading(2) && sent > 3; }, 15000));
    feed.CancelEpisodeDownload(2);
    ASSERT_TRUE(feed.WaitIdle(15000));
    EXPECT_EQ(feed.GetEpisodeStatus(2), 6);
    EXPECT_STREQ(feed.GetEpisodeStatusText(2), "Download abgebrochen");
    EXPECT_EQ(GetFileAttributesA(EpisodePath(feed, 2).c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(feed.IsEpisodeDownloaded(1));
    EXPECT_GE(server.Count("/e/a.mp3"), 1u);
    // A bound row shows the last status, not a playing time.
    Row row;
    feed.SetEpisodeRow(2, &row);
    EXPECT_EQ(row.Last(), "Download abgebrochen");
    feed.ClearRows();
}

TEST_F(DownloadFixture, NothingStartsWithoutThePodcastFeatureOrAFolder) {
    ServeFeed("");
    cPodcastFeed feed;
    feed.SetUrl(server.Url("/feed.xml").c_str());
    SetPodcastFeature(false);
    feed.StartDownload(-1);
    EXPECT_FALSE(feed.IsBusy());
    SetPodcastFeature(true);
    Library().skinsFolder[0] = 0;
    feed.StartDownload(-1);
    EXPECT_FALSE(feed.IsBusy());
    EXPECT_EQ(server.Count("/feed.xml"), 0u);
}

TEST_F(DownloadFixture, DeletingAnEpisodeOrThePodcastAsksFirst) {
    ServeFeed(Item("Ep", "Tue, 06 Dec 2011 10:00:00 GMT", server.Url("/e/ep.mp3"), 100));
    server.Serve("/e/ep.mp3", Mp3Body(100), "audio/mpeg");
    GetListStore().AddPodcast(server.Url("/feed.xml").c_str(), 7, 1);
    SyncPodcastFeeds();
    cPodcastFeed* feed = FindPodcastFeed(7);
    ASSERT_NE(feed, nullptr);
    feed->StartDownload(-1);
    ASSERT_TRUE(feed->WaitIdle(15000));
    feed->StartDownload(1);
    ASSERT_TRUE(feed->WaitIdle(15000));
    std::string episode = EpisodePath(*feed, 1), feedFile = FeedPath(*feed);
    ASSERT_TRUE(feed->IsEpisodeDownloaded(1));

    // Declined: nothing changes.
    g_answers = {0};
    EXPECT_EQ(feed->DeleteWithConfirm(1), 0);
    EXPECT_NE(GetFileAttributesA(episode.c_str()), INVALID_FILE_ATTRIBUTES);
    ASSERT_EQ(g_questions.size(), 1u);
    EXPECT_NE(g_questions[0].find("\"Ep\""), std::string::npos);

    // The whole podcast, its downloaded episodes kept on the second question.
    settings.numbers["GetPodDeletePodcasts"] = 3;
    g_answers = {1, 0};
    nav.Take(0);
    EXPECT_EQ(feed->DeleteWithConfirm(-1), 1);
    EXPECT_EQ(g_questions.size(), 3u);
    EXPECT_EQ(FindPodcastFeed(7), nullptr);
    EXPECT_EQ(GetListStore().List(LS_PODCASTS)->GetById(7), nullptr);
    EXPECT_EQ(GetFileAttributesA(feedFile.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(GetFileAttributesA(episode.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(std::count(g_codes.begin(), g_codes.end(), 70), 1);
    EXPECT_EQ(nav.Take(WM_FK_PODCASTS_CHANGED), 1);
}

TEST_F(DownloadFixture, ProgressReachesTheRowsAtMostEvery800Ms) {
    // Reports of many downloads share one pace.
    Sleep(850);   // longer than the pace: the next report goes out
    nav.Take(0);
    const DWORD start = GetTickCount();
    for (int i = 0; i < 20; ++i) PodcastDownloadCallback(100 + i % 4, 4, nullptr);
    // One report per 800 ms the burst took, however slow the machine.
    const DWORD took = GetTickCount() - start;
    const int rows = nav.Take(WM_FK_PODCAST_ROWS);
    EXPECT_GE(rows, 1);
    EXPECT_LE(rows, 1 + static_cast<int>(took / 800));
    Sleep(850);
    PodcastDownloadCallback(100, 4, nullptr);
    EXPECT_EQ(nav.Take(WM_FK_PODCAST_ROWS), 1);
}

TEST_F(DownloadFixture, StartupChecksFetchEverySubscribedFeed) {
    ServeFeed("");
    server.Serve("/other.xml", "<rss><channel><title>Other</title></channel></rss>", "text/xml");
    GetListStore().AddPodcast(server.Url("/feed.xml").c_str(), 21, 1);
    GetListStore().AddPodcast(server.Url("/other.xml").c_str(), 22, 0);
    cNavWindow* navigator = CreateNavWindow(nullptr, nullptr, 0);
    ASSERT_NE(navigator, nullptr);
    SendMessageA(navigator->GetWindow(), WM_NAV_STARTUP_CHECKS, 0, 0);
    cPodcastFeed* subscribed = FindPodcastFeed(21);
    ASSERT_NE(subscribed, nullptr);
    EXPECT_TRUE(subscribed->WaitIdle(15000));
    EXPECT_GE(server.Count("/feed.xml"), 1u);
    EXPECT_EQ(server.Count("/other.xml"), 0u);
    delete navigator;
    {
        cListStore& store = GetListStore();
        bk::ScopedLock hold(store.Lock());
        store.List(LS_PODCASTS)->Delete();
    }
    SyncPodcastFeeds();
    EXPECT_EQ(FindPodcastFeed(21), nullptr);
}

namespace {
std::vector<std::string> g_navQuestions;
int NavAnswerYes(const char* text) {
    g_navQuestions.push_back(text);
    return 1;
}
}  // namespace

TEST_F(DownloadFixture, ThePodcastMenuDeletesTheWholePodcastWithTheNavigatorsQuestion) {
    ServeFeed(Item("Ep", "Tue, 06 Dec 2011 10:00:00 GMT", server.Url("/e/ep.mp3"), 100));
    GetListStore().AddPodcast(server.Url("/feed.xml").c_str(), 8, 1);
    SyncPodcastFeeds();
    cPodcastFeed* feed = FindPodcastFeed(8);
    ASSERT_NE(feed, nullptr);
    feed->StartDownload(-1);
    ASSERT_TRUE(feed->WaitIdle(15000));
    // The player installs no podcast question of its own: the navigator asks.
    SetPodcastQuestion(nullptr);
    SetNavQuestion(&NavAnswerYes);
    g_navQuestions.clear();
    SetNavContextItem(8);
    EXPECT_TRUE(NavMenuCommand(MENU_PODCAST_ROW, CMD_POD_DELETE));
    SetNavQuestion(nullptr);
    ASSERT_EQ(g_navQuestions.size(), 1u);
    EXPECT_NE(g_navQuestions[0].find("Radio Show"), std::string::npos);   // the podcast, not an episode
    EXPECT_EQ(FindPodcastFeed(8), nullptr);
    EXPECT_EQ(std::count(g_codes.begin(), g_codes.end(), 70), 1);
}

TEST_F(DownloadFixture, ARereadFeedKeepsItsEpisodesRecords) {
    ServeFeed(Item("Old", "Mon, 05 Dec 2011 10:00:00 GMT", server.Url("/e/old.mp3"), 10));
    cPodcastFeed feed;
    feed.SetId(2);
    feed.SetUrl(server.Url("/feed.xml").c_str());
    feed.StartDownload(-1);
    ASSERT_TRUE(feed.WaitIdle(15000));
    ASSERT_EQ(feed.GetEpisodeCount(), 1);
    ASSERT_TRUE(feed.IsEpisodeNew(1));
    feed.IncPlayCount(1);
    EXPECT_FALSE(feed.IsEpisodeNew(1));
    // A new episode arrives: the known one stays played.
    ServeFeed(Item("Old", "Mon, 05 Dec 2011 10:00:00 GMT", server.Url("/e/old.mp3"), 10) +
              Item("New", "Tue, 06 Dec 2011 10:00:00 GMT", server.Url("/e/new.mp3"), 10));
    feed.StartDownload(-1);
    ASSERT_TRUE(feed.WaitIdle(15000));
    ASSERT_EQ(feed.GetEpisodeCount(), 2);
    EXPECT_FALSE(feed.IsEpisodeNew(1));
    EXPECT_TRUE(feed.IsEpisodeNew(2));
}

TEST_F(DownloadFixture, ASubscribedFeedPushedAfterTheStartIsFetched) {
    ServeFeed("");
    cNavWindow* navigator = CreateNavWindow(nullptr, nullptr, 0);
    ASSERT_NE(navigator, nullptr);
    SendMessageA(navigator->GetWindow(), WM_NAV_STARTUP_CHECKS, 0, 0);
    // The host pushes its podcasts later and says so with 1140.
    GetListStore().AddPodcast(server.Url("/feed.xml").c_str(), 23, 1);
    SendMessageA(navigator->GetWindow(), WM_FK_PODCASTS_CHANGED, 0, 0);
    cPodcastFeed* late = FindPodcastFeed(23);
    ASSERT_NE(late, nullptr);
    EXPECT_TRUE(late->WaitIdle(15000));
    EXPECT_GE(server.Count("/feed.xml"), 1u);
    delete navigator;
    {
        cListStore& store = GetListStore();
        bk::ScopedLock hold(store.Lock());
        store.List(LS_PODCASTS)->Delete();
    }
    SyncPodcastFeeds();
}
