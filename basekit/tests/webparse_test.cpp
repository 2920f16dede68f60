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
        // As a browser merges them: a query alone keeps the path, dot
        // segments are taken out, never above the root.
        {"http://h/dir/list.pls", "?sid=1", "http://h/dir/list.pls?sid=1"},
        {"http://h/dir/list.pls?old=2", "?sid=1", "http://h/dir/list.pls?sid=1"},
        {"http://h/a/b/list.pls", "../x.m3u", "http://h/a/x.m3u"},
        {"http://h/a/b/list.pls", "./x.m3u", "http://h/a/b/x.m3u"},
        {"http://h/a/list.pls", "../../../x", "http://h/x"},
        {"http://h/a/b/c", "/p/./q/../r?k=v#frag", "http://h/p/r?k=v"},
        {"http://h/a/b/c", "..", "http://h/a/"},
        {"http://h?x=1", "y", "http://h/y"},
        {"http://h/a/b?x=1", "#only", "http://h/a/b?x=1"},
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

// Playlists in the shapes stream servers and station sites send them.
TEST(PlaylistReader, RealWorldShapes) {
    struct Row {
        const char* name;
        std::string text;
        std::vector<std::string> entries;
    };
    const std::string utf16 = std::string("\xFF\xFE", 2) + std::string("h\0t\0t\0p\0:\0/\0/\0u\0/\0\n\0", 20);
    const Row rows[] = {
        {"SHOUTcast PLS",
         "[playlist]\nnumberofentries=2\nFile1=http://192.0.2.1:8000/\nTitle1=(#1 - 5/500) Radio X\nLength1=-1\n"
         "File2=http://192.0.2.2:8010/\nTitle2=(#2 - 1/50) Radio X\nLength2=-1\nVersion=2\n",
         {"http://192.0.2.1:8000/", "http://192.0.2.2:8010/"}},
        {"Icecast PLS, CR LF", "[playlist]\r\nNumberOfEntries=1\r\nFile1=http://ice.example:8000/live.mp3\r\nTitle1=Live\r\n"
                               "Length1=-1\r\nVersion=2\r\n",
         {"http://ice.example:8000/live.mp3"}},
        {"PLS, lone CR", "[playlist]\rFile1=http://a/1\rFile2=http://a/2\r", {"http://a/1", "http://a/2"}},
        {"PLS, keys in capitals", "[PLAYLIST]\nNUMBEROFENTRIES=1\nFILE1=http://a/1\n", {"http://a/1"}},
        {"PLS, count too high", "[playlist]\nNumberOfEntries=3\nFile1=http://a/1\nFile2=http://a/2\n",
         {"http://a/1", "http://a/2"}},
        {"PLS, count too low", "[playlist]\nNumberOfEntries=1\nFile1=http://a/1\nFile2=http://a/2\nFile3=http://a/3\n",
         {"http://a/1", "http://a/2", "http://a/3"}},
        {"PLS, gaps and order", "[playlist]\nFile5=http://a/5\nFile0=http://a/0\nFile2=http://a/2\n",
         {"http://a/0", "http://a/2", "http://a/5"}},
        {"PLS, BOM, blanks, comments", "\xEF\xBB\xBF\n\n[playlist]\n; saved by a tool\n\nFile1=http://a/1\n\n",
         {"http://a/1"}},
        {"PLS, tokens behind the address", "[playlist]\nFile1=http://a/1 (128 kbit/s) ;main\n", {"http://a/1"}},
        {"PLS, quoted, blanks round =", "[playlist]\nFile1 = \"http://a/1\"\n", {"http://a/1"}},
        {"PLS without its header", "NumberOfEntries=1\nFile1=http://a/1\n", {"http://a/1"}},
        {"PLS, first value empty", "[playlist]\nFile1=\nFile2=http://a/2\n", {"http://a/2"}},
        {"extended M3U", "#EXTM3U\n#EXTINF:-1,Radio One\nhttp://a/1\n#EXTINF:-1,Radio Two\nhttp://a/2\n",
         {"http://a/1", "http://a/2"}},
        {"M3U, BOM, CR LF, blank lines", "\xEF\xBB\xBF#EXTM3U\r\n\r\n  \r\nhttp://a/1 \r\n", {"http://a/1"}},
        {"M3U, lone CR", "http://a/1\rhttp://a/2", {"http://a/1", "http://a/2"}},
        {"M3U, title behind the address", "http://a/1 Radio One\n", {"http://a/1"}},
        {"M3U, paths with blanks", "C:\\Music\\My Song.mp3\n\\\\server\\share\\b.mp3\n",
         {"C:\\Music\\My Song.mp3", "\\\\server\\share\\b.mp3"}},
        {"M3U, relative names are no addresses", "#EXTM3U\nsong.mp3\nhttp://a/1\n", {"http://a/1"}},
        {"M3U, query with =", "http://a/listen?sid=1&x=2\n", {"http://a/listen?sid=1&x=2"}},
        {"M3U, one line too long", "http://a/" + std::string(1100, 'x') + "\nhttp://a/2\n", {"http://a/2"}},
        {"UTF-16 M3U", utf16, {"http://u/"}},
        {"ASX", "<asx version=\"3.0\">\n<title>X</title>\n<entry><ref href=\"http://a/1?x=1&amp;y=2\"/></entry>\n"
                "<entry><REF HREF='mms://a/2' /></entry>\n</asx>",
         {"http://a/1?x=1&y=2", "mms://a/2"}},
        {"ASX with prolog and entryref", "<?xml version=\"1.0\"?>\r\n<ASX VERSION=\"3.0\"><ENTRYREF HREF=\"http://a/list.asx\"/>"
                                         "<Entry><Ref href = http://a/3 /></Entry></ASX>",
         {"http://a/list.asx", "http://a/3"}},
        {"an error page", "<html><body><h1>404 Not Found</h1></body></html>", {}},
        {"a script address", "javascript:alert(1)\n", {}},
        {"comments only", "#EXTM3U\n#EXTINF:-1,x\n", {}},
        {"empty", "", {}},
        {"binary", std::string("\0\0\x01\x02http://a/1\x03", 15), {}},
    };
    for (const Row& row : rows) {
        char found[8][bk::kPlaylistEntrySize];
        const size_t n = bk::ParsePlaylist(row.text.data(), row.text.size(), found, 8);
        EXPECT_EQ(std::vector<std::string>(found, found + n), row.entries) << row.name;
    }
    // No more entries than room for them.
    char two[2][bk::kPlaylistEntrySize];
    const std::string three = "http://a/1\nhttp://a/2\nhttp://a/3\n";
    EXPECT_EQ(bk::ParsePlaylist(three.data(), three.size(), two, 2), 2u);
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
                     {"an M3U behind a .pls address", "#EXTM3U\nhttp://p.example/m\n", "http://p.example/m"},
                     {"File10 is the first there is", "[playlist]\nFile10=http://p.example/10\n",
                      "http://p.example/10"},
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
