// The HTTP checks against the local HTTP server.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "internetcheck.h"
#include "registry.h"
#include "shared_data.h"
#include "tdtest.h"

namespace {

using tdtest::HttpRequest;
using tdtest::HttpResponse;
using tdtest::HttpServer;

HttpResponse Gzipped(const std::string& body) {
    HttpResponse r = HttpResponse::Text(200, body);
    r.gzip = true;
    return r;
}

// An answer that claims gzip but carries the given bytes.
HttpResponse ClaimsGzip(const std::string& bytes) {
    HttpResponse r = HttpResponse::Text(200, bytes);
    r.Header("Content-Encoding", "gzip");
    return r;
}

TEST(InternetCheck, ConnectionCheckLooksForTheAcknowledgement) {
    HttpServer server;
    cInternetCheck check(server.Host().c_str(), "", "");
    server.Serve("/ping.html", "<html>ok_vl</html>");
    EXPECT_EQ(check.CheckConnection(), 1);
    server.Serve("/ping.html", "maintenance");
    EXPECT_EQ(check.CheckConnection(), 0);
    server.Route("/ping.html", [](const HttpRequest&) { return HttpResponse::Text(503, "ok_vl"); });
    EXPECT_EQ(check.CheckConnection(), 0);
    server.Route("/ping.html", [](const HttpRequest&) { return Gzipped("gzipped ok_vl"); });
    EXPECT_EQ(check.CheckConnection(), 1);
    cInternetCheck nobody("127.0.0.1:1", "", "");
    EXPECT_EQ(nobody.CheckConnection(), 0);
}

TEST(InternetCheck, RequestAnswersAreTerminated) {
    HttpServer server;
    server.Serve("/ping.html", std::string(20480, 'k'));   // exactly the first buffer
    cInternetCheck check(server.Host().c_str(), "", "");
    char* answer = nullptr;
    unsigned long length = 0;
    EXPECT_EQ(check.MakeRequest(&answer, nullptr, &length, nullptr, 0), 200);
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(length, 20480u);
    EXPECT_EQ(strlen(answer), 20480u);
    free(answer);
}

TEST(InternetCheck, DownloadfileWritesOnlyCompleteAnswers) {
    HttpServer server;
    tdtest::TempFolder dir;
    cInternetCheck check("", "", "");
    server.Serve("/ok", "whole answer");
    server.Route("/missing", [](const HttpRequest&) { return HttpResponse::Text(404, "nothing"); });
    server.Route("/cut", [](const HttpRequest&) {
        HttpResponse r = HttpResponse::Text(200, std::string(30000, 'c'));
        r.truncateAfter = 10000;
        return r;
    });
    server.Serve("/large", std::string(30000, 'l'));
    server.Route("/packed", [](const HttpRequest&) { return Gzipped("unpacked text"); });
    server.Route("/liar", [](const HttpRequest&) { return ClaimsGzip("plain text after all"); });
    server.Route("/corrupt", [](const HttpRequest&) {
        std::string g = tdtest::GzipBytes(std::string(10000, 'z'));
        g[g.size() - 6] ^= 0x40;   // inside the CRC
        return ClaimsGzip(g);
    });
    server.Route("/bomb", [](const HttpRequest&) { return ClaimsGzip(tdtest::GzipBytes(std::string(32 << 20, 0))); });
    server.Route("/moved", [&](const HttpRequest&) { return HttpResponse::Redirect(302, "/ok"); });
    server.Route("/a%2Fb", [](const HttpRequest&) { return HttpResponse::Text(200, "escaped kept"); });
    struct Row {
        const char* path;
        unsigned long limit;
        const char* expected;   // null: failure and no file
    };
    const Row rows[] = {
        {"/ok", 0, "whole answer"},
        {"/moved", 0, "whole answer"},
        {"/a%2Fb", 0, "escaped kept"},
        {"/packed", 0, "unpacked text"},
        {"/liar", 0, "plain text after all"},
        {"/missing", 0, nullptr},
        {"/cut", 0, nullptr},
        {"/large", 10000, nullptr},
        {"/corrupt", 0, nullptr},
        {"/bomb", 0, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        std::string file = dir.File("download.bin");
        DeleteFileA(file.c_str());
        int result = check.Downloadfile(server.Url(row.path).c_str(), file.c_str(), row.limit);
        EXPECT_EQ(result, row.expected ? 1 : 0);
        EXPECT_EQ(dir.Exists("download.bin"), row.expected != nullptr);
        if (row.expected) {
            EXPECT_EQ(dir.Read("download.bin"), row.expected);
        }
    }
}

TEST(InternetCheck, RedirectTargetsAreReportedWhole) {
    HttpServer server;
    cInternetCheck check("", "", "");
    server.Route("/station", [](const HttpRequest&) { return HttpResponse::Redirect(302, "http://x.example/list.pls"); });
    server.Route("/relative", [](const HttpRequest&) { return HttpResponse::Redirect(301, "other/list.m3u"); });
    server.Route("/lower", [](const HttpRequest&) {
        HttpResponse r;
        r.status = 303;
        r.Header("location", "http://y.example/s");
        return r;
    });
    server.Serve("/plain", "no redirect");
    char target[1024];
    ASSERT_EQ(check.CheckURLRedirected(server.Url("/station").c_str(), target), 1);
    EXPECT_STREQ(target, "http://x.example/list.pls");
    ASSERT_EQ(check.CheckURLRedirected(server.Url("/relative").c_str(), target), 1);
    EXPECT_EQ(std::string(target), server.Url("/other/list.m3u"));
    ASSERT_EQ(check.CheckURLRedirected(server.Url("/lower").c_str(), target), 1);
    EXPECT_STREQ(target, "http://y.example/s");
    EXPECT_EQ(check.CheckURLRedirected(server.Url("/plain").c_str(), target), 0);
    EXPECT_EQ(target[0], 0);
    char small[16];
    EXPECT_EQ(check.CheckURLRedirected(server.Url("/station").c_str(), small, sizeof small), 0);
    EXPECT_EQ(small[0], 0);
}

// Playlists are fetched into the user folder and resolved into the shared
// data section.
class ResolveTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetValue("PathUser", (dir_.Path() + "\\").c_str());
        SetMETAURL("");
    }
    void TearDown() override { SetMETAURL(""); }
    std::string Resolve(const std::string& address) {
        char buffer[1024];
        strncpy(buffer, address.c_str(), sizeof buffer - 1);
        buffer[sizeof buffer - 1] = 0;
        cInternetCheck check("", "", "");
        check.ConvertAlternativURL(buffer);
        char meta[1024] = {};
        GetMETAURL(meta);
        return meta;
    }
    bool TempFilesLeft() {
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA((dir_.Path() + "\\vlt*").c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE) return false;
        FindClose(h);
        return true;
    }
    tdtest::TempFolder dir_;
    tdtest::RegistrySandbox registry_{GetSettingsKeyName()};
    HttpServer server_;
};

TEST_F(ResolveTest, PlaylistsAndRedirectsBecomeTheStreamAddress) {
    server_.Serve("/list.m3u", "\xEF\xBB\xBF#EXTM3U\r\n#EXTINF:-1,Radio\r\n\r\nhttp://stream.example/live\r\n");
    server_.Serve("/list.pls", "[playlist]\r\nNumberOfEntries=1\r\nFile1=http://stream.example/pls\r\n");
    server_.Route("/station", [&](const HttpRequest&) { return HttpResponse::Redirect(302, server_.Url("/list.m3u")); });
    server_.Route("/moved", [](const HttpRequest&) { return HttpResponse::Redirect(302, "http://stream.example/moved"); });
    server_.Serve("/nested.pls", "[playlist]\nFile1=" + server_.Url("/list.m3u") + "\n");
    server_.Route("/packed.m3u", [](const HttpRequest&) { return Gzipped("http://stream.example/gz\n"); });
    EXPECT_EQ(Resolve(server_.Url("/list.m3u")), "http://stream.example/live");
    EXPECT_EQ(Resolve(server_.Url("/list.pls")), "http://stream.example/pls");
    EXPECT_EQ(Resolve(server_.Url("/station")), "http://stream.example/live");
    EXPECT_EQ(Resolve(server_.Url("/moved")), "http://stream.example/moved");
    EXPECT_EQ(Resolve(server_.Url("/nested.pls")), "http://stream.example/live");
    EXPECT_EQ(Resolve(server_.Url("/packed.m3u")), "http://stream.example/gz");
    EXPECT_FALSE(TempFilesLeft());
}

TEST_F(ResolveTest, BadPlaylistsEndTheSearch) {
    server_.Serve("/empty.m3u", "#EXTM3U\n");
    server_.Serve("/loop.pls", "[playlist]\nFile1=" + server_.Url("/loop.pls") + "\n");
    server_.Serve("/long.m3u", "http://stream.example/" + std::string(1100, 'x') + "\n");
    server_.Route("/gone.pls", [](const HttpRequest&) { return HttpResponse::Text(404, ""); });
    EXPECT_EQ(Resolve(server_.Url("/empty.m3u")), "");
    EXPECT_EQ(Resolve(server_.Url("/long.m3u")), "");
    EXPECT_EQ(Resolve(server_.Url("/gone.pls")), "");
    EXPECT_EQ(Resolve(server_.Url("/loop.pls")), server_.Url("/loop.pls"));
    EXPECT_LE(server_.Count("/loop.pls"), 5u);
    EXPECT_FALSE(TempFilesLeft());
}

TEST(InternetCheck, TitlesComeFromStatusPagesAndTitleDocuments) {
    HttpServer server;
    cInternetCheck check("", "", "");
    server.Serve("/status", "<html>Current Song: </td><td><b>Band - Song</b></html>");
    server.Route("/status-gz", [](const HttpRequest&) { return Gzipped("Current Song <b>Packed</b>"); });
    server.Serve("/long", "Current Song <b>" + std::string(900, 'T') + "</b>");
    server.Serve("/none", "<html>nothing</html>");
    server.Serve("/meta", "<xml><interpret>Artist</interpret><titel>Title</titel></xml>");
    server.Serve("/meta-title", "<xml><titel>Title</titel></xml>");
    server.Serve("/meta-empty", "<xml><interpret>Artist</interpret></xml>");
    server.Route("/truncated-gz", [](const HttpRequest&) {
        std::string g = tdtest::GzipBytes("Current Song <b>Never</b>");
        return ClaimsGzip(g.substr(0, g.size() / 2));
    });
    char buffer[500];
    char* title = buffer;
    struct Row {
        const char* path;
        bool meta;
        std::string expected;   // empty: none found
    };
    const Row rows[] = {
        {"/status", false, "Band - Song"},       {"/status-gz", false, "Packed"},
        {"/long", false, std::string(499, 'T')}, {"/none", false, ""},
        {"/truncated-gz", false, ""},            {"/meta", true, "Artist - Title"},
        {"/meta-title", true, " - Title"},       {"/meta-empty", true, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        memset(buffer, 'x', sizeof buffer);
        int found = row.meta ? check.VLMetaStatus(server.Url(row.path).c_str(), &title)
                             : check.ShoutcastStatus(server.Url(row.path).c_str(), &title);
        EXPECT_EQ(found, row.expected.empty() ? 0 : 1);
        if (found) {
            EXPECT_EQ(std::string(title), row.expected);
        }
    }
    for (auto& q : server.Requests()) EXPECT_EQ(q.Header("user-agent"), "Mozilla") << q.path;
}

}  // namespace

namespace {

// In a process of its own, because the proxy stays set for the process.
TD_CHILD(title_via_proxy) {
    if (argc < 2) return 2;
    cInternetCheck check("", "proxyuser", "proxypass");
    char buffer[500];
    char* title = buffer;
    if (!check.ShoutcastStatus(argv[1], &title)) return 3;
    return strcmp(title, "Through The Proxy") == 0 ? 0 : 4;
}

TEST(InternetCheck, UsesTheSharedProxyWithItsCredentials) {
    HttpServer proxy;
    proxy.Route("/*", [](const HttpRequest& q) {
        if (q.target.compare(0, 7, "http://") != 0) return HttpResponse::Text(400, "not a proxy request");
        if (q.Header("proxy-authorization").empty()) {
            HttpResponse r = HttpResponse::Text(407, "");
            r.Header("Proxy-Authenticate", "Basic realm=\"proxy\"");
            return r;
        }
        if (!q.Header("authorization").empty()) return HttpResponse::Text(500, "server credentials sent");
        return HttpResponse::Text(200, "Current Song <b>Through The Proxy</b>");
    });
    std::string port = std::to_string(proxy.Port());
    SetProxySettings("127.0.0.1", port.c_str(), 1, 0);
    tdtest::Process child;
    bool started = child.StartChild("title_via_proxy", {"http://radio.invalid/7.html"});
    DWORD code = 99;
    bool ended = started && child.Wait(20000, &code);
    SetProxySettings("", "", 0, 0);
    ASSERT_TRUE(ended);
    EXPECT_EQ(code, 0u);
    bool authorized = false;
    for (auto& q : proxy.Requests()) authorized |= q.Header("proxy-authorization") == "Basic cHJveHl1c2VyOnByb3h5cGFzcw==";
    EXPECT_TRUE(authorized);
}

}  // namespace
