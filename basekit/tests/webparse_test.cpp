// Parsers of addresses, response headers, playlists and title pages.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "webparse.h"

namespace {

TEST(SplitUrl, TakesAddressesApart) {
    struct Row {
        const char* url;
        const char* host;
        unsigned port;
        const char* path;
        bool secure;
    };
    const Row rows[] = {
        {"http://radio.example/live.mp3", "radio.example", 80, "/live.mp3", false},
        {"HTTP://radio.example:8000", "radio.example", 8000, "/", false},
        {"http://radio.example?x=1", "radio.example", 80, "/?x=1", false},
        {"https://secure.example/a/b?c=%2F#part", "secure.example", 443, "/a/b?c=%2F", true},
        {"http://user:pw@host.example:81/p", "host.example", 81, "/p", false},
        {"http://[::1]:8080/v6", "[::1]", 8080, "/v6", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.url);
        bk::UrlParts p;
        ASSERT_TRUE(bk::SplitUrl(row.url, strlen(row.url), &p));
        EXPECT_STREQ(p.host, row.host);
        EXPECT_EQ(p.port, row.port);
        EXPECT_STREQ(p.path, row.path);
        EXPECT_EQ(p.secure, row.secure);
    }
}

TEST(SplitUrl, RefusesWhatCannotBeAskedAsGiven) {
    const std::string refused[] = {
        "ftp://host/x",
        "host/x",
        "http:///nohost",
        "http://host:0/",
        "http://host:65536/",
        "http://host:12ab/",
        "http://host/with space",
        "http://host/line\r\nX-Injected: 1",
        "http://" + std::string(200, 'h') + "/",          // host of 200 characters
        "http://host/" + std::string(399, 'p'),           // path of 400 characters
    };
    for (const std::string& url : refused) {
        bk::UrlParts p;
        EXPECT_FALSE(bk::SplitUrl(url.c_str(), url.size(), &p)) << url.substr(0, 60);
        EXPECT_EQ(p.host[0], 0);
    }
    bk::UrlParts p;
    std::string fits = "http://" + std::string(199, 'h') + "/" + std::string(398, 'p');
    EXPECT_TRUE(bk::SplitUrl(fits.c_str(), fits.size(), &p));
}

TEST(ResolveLocation, FollowsTheKindsOfTargets) {
    struct Row {
        const char* base;
        const char* location;
        const char* expected;
    };
    const Row rows[] = {
        {"http://a.example/x/y.pls", "http://b.example/z", "http://b.example/z"},
        {"http://a.example/x/y.pls", "/root.m3u", "http://a.example/root.m3u"},
        {"http://a.example:81/x/y.pls?q=1", "list.m3u", "http://a.example:81/x/list.m3u"},
        {"http://a.example", "list.m3u", "http://a.example/list.m3u"},
        {"https://a.example/x", "//c.example/s", "https://c.example/s"},
        {"http://a.example/x", "  /padded  ", "http://a.example/padded"},
    };
    for (const Row& row : rows) {
        char out[1024];
        ASSERT_TRUE(bk::ResolveLocation(row.base, row.location, strlen(row.location), out, sizeof out)) << row.location;
        EXPECT_STREQ(out, row.expected);
    }
    char small[20];
    EXPECT_FALSE(bk::ResolveLocation("http://a.example/x", "/a-long-target-path", 19, small, sizeof small));
    EXPECT_EQ(small[0], 0);
}

TEST(FindHeaderValue, MatchesWholeNamesAtLineStarts) {
    const char headers[] =
        "HTTP/1.1 302 Found\r\nContent-Location: /wrong\r\nlocation:   http://x/stream.pls  \r\nX: y\r\n\r\n";
    char out[100];
    bool present = false;
    ASSERT_TRUE(bk::FindHeaderValue(headers, sizeof headers, "Location", out, sizeof out, &present));
    EXPECT_STREQ(out, "http://x/stream.pls");   // its last character included
    EXPECT_TRUE(present);
    EXPECT_FALSE(bk::FindHeaderValue(headers, sizeof headers, "Server", out, sizeof out, &present));
    EXPECT_FALSE(present);
    char tiny[5];
    EXPECT_FALSE(bk::FindHeaderValue(headers, sizeof headers, "Location", tiny, sizeof tiny, &present));
    EXPECT_TRUE(present);
    EXPECT_EQ(tiny[0], 0);
}

struct EntryRow {
    const char* name;
    std::string data;
    const char* expected;   // null: no entry
};

void CheckEntries(bool (*parse)(const char*, size_t, char*, size_t), const std::vector<EntryRow>& rows) {
    for (const EntryRow& row : rows) {
        SCOPED_TRACE(row.name);
        char out[1024];
        bool ok = parse(row.data.data(), row.data.size(), out, sizeof out);
        EXPECT_EQ(ok, row.expected != nullptr);
        if (row.expected) {
            EXPECT_STREQ(out, row.expected);
        }
    }
}

TEST(PlaylistEntries, M3u) {
    CheckEntries(bk::ParseM3uEntry,
                 {
                     {"two comments then the address", "#EXTM3U\n#EXTINF:-1,Radio\nhttp://s.example/a\n",
                      "http://s.example/a"},
                     {"CRLF, BOM, blank lines", "\xEF\xBB\xBF#EXTM3U\r\n\r\n  \r\nhttp://s.example/b\r\n",
                      "http://s.example/b"},
                     {"playlist noise", "[Playlist]\nnumberofentries=1\nhttp://s.example/c", "http://s.example/c"},
                     {"no entry", "#EXTM3U\n\n#only comments\n", nullptr},
                     {"empty", "", nullptr},
                     {"entry too long", "http://s.example/" + std::string(1100, 'x') + "\n", nullptr},
                     {"binary", std::string("\0\0\x01\x02", 4), nullptr},
                 });
}

TEST(PlaylistEntries, Pls) {
    CheckEntries(bk::ParsePlsEntry,
                 {
                     {"first entry", "[playlist]\r\nNumberOfEntries=2\r\nFile1=http://p.example/1\r\nFile2=http://p.example/2\r\n",
                      "http://p.example/1"},
                     {"any case, blanks, BOM", "\xEF\xBB\xBF[PlayList]\nfile1 = http://p.example/x \n",
                      "http://p.example/x"},
                     {"other section only", "[other]\nFile1=http://wrong/\n", nullptr},
                     {"File10 is not File1", "[playlist]\nFile10=http://wrong/\n", nullptr},
                     {"empty value", "[playlist]\nFile1=\n", nullptr},
                     {"value too long", "[playlist]\nFile1=http://p/" + std::string(1100, 'y'), nullptr},
                 });
}

TEST(TitlePages, ShoutcastStatusPage) {
    CheckEntries(bk::ParseShoutcastTitle,
                 {
                     {"bold after Current Song", "<td>Current Song: </td><td><b>Band - Song</b></td>", "Band - Song"},
                     {"bold before it does not count", "<b>Old</b> Current Song: <b>New</b>", "New"},
                     {"no marker", "<b>Band</b>", nullptr},
                     {"empty bold", "Current Song <b></b>", nullptr},
                     {"closing tag missing", "Current Song <b>Band", nullptr},
                     {"closing before opening", "Current Song </b> text <b>", nullptr},
                 });
    std::string page = "Current Song <b>" + std::string(800, 't') + "</b>";
    char title[500];
    ASSERT_TRUE(bk::ParseShoutcastTitle(page.data(), page.size(), title, sizeof title));
    EXPECT_EQ(strlen(title), 499u);
}

TEST(TitlePages, TitleDocument) {
    CheckEntries(bk::ParseTitleDocument,
                 {
                     {"artist and title", "<meta><interpret>Band</interpret><titel>Song</titel></meta>", "Band - Song"},
                     {"title alone", "<titel>Song</titel>", " - Song"},
                     {"no title", "<interpret>Band</interpret>", nullptr},
                     {"empty title", "<titel></titel>", nullptr},
                 });
}

TEST(PlaylistAddresses, AreKnownByTheirEnding) {
    EXPECT_TRUE(bk::LooksLikePlaylist("http://x/list.pls"));
    EXPECT_TRUE(bk::LooksLikePlaylist("http://x/LIST.M3U?x"));
    EXPECT_FALSE(bk::LooksLikePlaylist("http://x/stream.mp3"));
    EXPECT_FALSE(bk::LooksLikePlaylist(nullptr));
    EXPECT_TRUE(bk::IsPlsAddress("http://x/a.pls"));
    EXPECT_FALSE(bk::IsPlsAddress("http://x/a.m3u"));
}

}  // namespace
