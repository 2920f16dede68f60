#include <memory>
#include <string>

#include "dialogs_fixture.h"
#include "download.h"
#include "encoder_notices.h"
#include "podcast_feed.h"
#include "podcast_url_wnd.h"

namespace {

std::string Feed(int items) {
    std::string text = "<?xml version=\"1.0\"?><rss><channel><title>Nachtfunk</title>";
    for (int i = 0; i < items; ++i)
        text += "<item><title>Folge " + std::to_string(i) + "</title><enclosure url=\"http://e.example/" +
                std::to_string(i) + ".mp3\" length=\"10\"/></item>";
    return text + "</channel></rss>";
}

class PodcastUrlTest : public dlgtest::DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        CreateDirectoryA(folder_.File("skins").c_str(), nullptr);
        bk::TextCopy(Library().skinsFolder, (folder_.File("skins") + "\\").c_str());
        Library().downloads = &manager_;
        SetLastSubscribedTitle("");
    }
    void TearDown() override {
        Library().downloads = nullptr;
        Library().skinsFolder[0] = 0;
        DialogTest::TearDown();
    }
    // Opens the pop-up, types `address` and presses OK (and Cancel right
    // after it when `cancelToo`); notes whether the pop-up stayed open and
    // what its box still holds.
    int Confirm(const std::string& address, bool cancelToo = false) {
        std::unique_ptr<cPodcastUrlWnd> wnd(new cPodcastUrlWnd(nullptr, nullptr, res_.get()));
        Type(wnd->GetAddressEdit(), address.c_str());
        PostMessageA(wnd->GetWindow(), WM_SKIN_BUTTON_PRESSED, 0, cPodcastUrlWnd::BUTTON_OK);
        if (cancelToo) PostMessageA(wnd->GetWindow(), WM_SKIN_BUTTON_PRESSED, 0, cPodcastUrlWnd::BUTTON_CANCEL);
        const DWORD start = GetTickCount();
        fk::PumpPasses(2);
        took_ = GetTickCount() - start;
        open_ = wnd->GetWindow() && IsWindow(wnd->GetWindow());
        left_ = open_ ? TextOf(wnd->GetAddressEdit()) : std::string();
        if (open_) Post(wnd.get(), cPodcastUrlWnd::BUTTON_CANCEL);
        return wnd->GetResult();
    }
    std::string FeedFile(const std::string& url) {
        cPodcastFeed feed;
        feed.SetUrl(url.c_str());
        char path[MAX_PATH * 2] = {};
        EXPECT_TRUE(feed.GetFeedFilePath(path, sizeof path));
        std::string bytes;
        tdtest::ReadFileBytes(path, &bytes);
        return bytes;
    }

    tdtest::TempFolder folder_{"podurl"};
    tdtest::HttpServer server_;
    cDownloadManager manager_;
    bool open_ = false;
    std::string left_;
    DWORD took_ = 0;
};

TEST_F(PodcastUrlTest, AFeedWithOneEpisodeIsKeptAndHandedToTheHost) {
    const std::string body = Feed(1);
    server_.Serve("/feed.xml", body, "text/xml");
    const std::string url = server_.Url("/feed.xml");
    EXPECT_EQ(Confirm("  " + url + " "), 1);
    EXPECT_FALSE(open_);
    auto added = dlgtest::CallsWithCode(69);
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(added[0].ch, 0);
    EXPECT_EQ(added[0].text, url);
    EXPECT_EQ(FeedFile(url), body) << "the feed file holds the answer byte for byte";
    EXPECT_EQ(GetLastSubscribedTitle(), "Nachtfunk");
    EXPECT_TRUE(dlgtest::Notices().empty());

    // A zero byte behind the feed does not cut the stored copy short.
    const std::string withZero = body + std::string("\0<!-- tail -->", 15);
    server_.Serve("/zero.xml", withZero, "text/xml");
    const std::string zeroUrl = server_.Url("/zero.xml");
    EXPECT_EQ(Confirm(zeroUrl), 1);
    EXPECT_EQ(FeedFile(zeroUrl), withZero);
}

TEST_F(PodcastUrlTest, NothingUsableIsReportedAndThePopupStaysOpen) {
    server_.Serve("/empty.xml", Feed(0), "text/xml");
    server_.Serve("/page.html", "<html><body>no feed</body></html>", "text/html");
    server_.Route("/missing.xml", [](const tdtest::HttpRequest&) {
        tdtest::HttpResponse r;
        r.status = 404;
        return r;
    });
    server_.Serve("/huge.xml", Feed(1) + std::string(cPodcastUrlWnd::FEED_LIMIT, ' '), "text/xml");
    for (const char* path : {"/empty.xml", "/page.html", "/missing.xml", "/huge.xml"}) {
        dlgtest::Notices().clear();
        const std::string url = server_.Url(path);
        EXPECT_EQ(Confirm(url), 0) << path;
        EXPECT_TRUE(open_) << path;
        EXPECT_EQ(left_, url) << path << ": the address stays for another try";
        ASSERT_EQ(dlgtest::Notices().size(), 1u) << path;
        EXPECT_NE(dlgtest::Notices()[0].find(url), std::string::npos) << dlgtest::Notices()[0];
        EXPECT_NE(dlgtest::Notices()[0].find("kein Podcast"), std::string::npos) << dlgtest::Notices()[0];
    }
    EXPECT_TRUE(dlgtest::CallsWithCode(69).empty());
}

TEST_F(PodcastUrlTest, CancelAndEmptyAddressesSendNothing) {
    server_.Serve("/feed.xml", Feed(2), "text/xml");
    std::unique_ptr<cPodcastUrlWnd> wnd(new cPodcastUrlWnd(nullptr, nullptr, res_.get()));
    Screenshot(wnd.get(), "podcast_url");
    auto* ok = dynamic_cast<cWndButton*>(wnd->GetButtonList()->GetById(cPodcastUrlWnd::BUTTON_OK));
    auto* cancel = dynamic_cast<cWndButton*>(wnd->GetButtonList()->GetById(cPodcastUrlWnd::BUTTON_CANCEL));
    ASSERT_TRUE(ok && cancel);
    EXPECT_EQ(ok->GetRect().left, 66);
    EXPECT_EQ(ok->GetRect().bottom, 161);
    EXPECT_EQ(cancel->GetRect().right, 231);
    EXPECT_EQ(cancel->GetRect().top, ok->GetRect().top);
    Type(wnd->GetAddressEdit(), server_.Url("/feed.xml").c_str());
    Post(wnd.get(), cPodcastUrlWnd::BUTTON_CANCEL);
    EXPECT_FALSE(wnd->GetWindow() && IsWindow(wnd->GetWindow()));
    EXPECT_EQ(wnd->GetResult(), 0);

    EXPECT_EQ(Confirm("   "), 0);
    EXPECT_TRUE(open_) << "an empty address does nothing";
    EXPECT_TRUE(dlgtest::Notices().empty());
    EXPECT_EQ(server_.Count("/feed.xml"), 0u);
    EXPECT_TRUE(dlgtest::CallsWithCode(69).empty());
}

TEST_F(PodcastUrlTest, CancelEndsTheWaitForAStalledServer) {
    server_.Route("/slow.xml", [](const tdtest::HttpRequest&) {
        tdtest::HttpResponse r;
        r.body = Feed(1);
        r.delayMs = 120000;
        return r;
    });
    EXPECT_EQ(Confirm(server_.Url("/slow.xml"), true), 0);
    EXPECT_FALSE(open_);
    // Well under the pop-up's own minute: the cancel ended the wait.
    EXPECT_LT(took_, cPodcastUrlWnd::kDownloadWaitMs / 2);
    EXPECT_TRUE(dlgtest::CallsWithCode(69).empty());
    EXPECT_TRUE(dlgtest::Notices().empty());
}

}  // namespace
