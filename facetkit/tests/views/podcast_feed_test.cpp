// The podcast feed reader over untrusted feed texts: the element finder,
// dates, pruning to the newest items, entities, code pages, sizes and the
// file names that come from feed texts; then a feed object over a feed file
// in a temporary folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "fake_settings.h"
#include "library_guard.h"
#include "library_state.h"
#include "encoder_notices.h"
#include "podcast_feed.h"
#include "protocol_commands.h"
#include "view_notices.h"
#include "podcast_rss.h"
#include "bounded_text.h"
#include "tdtest.h"

namespace {

std::string Item(const std::string& title, const std::string& date, const std::string& url = "http://h/a.mp3",
                 const std::string& extra = "") {
    std::string s = "<item><title>" + title + "</title>";
    if (!date.empty()) s += "<pubDate>" + date + "</pubDate>";
    if (!url.empty() || !extra.empty()) s += "<enclosure url=\"" + url + "\" " + extra + "/>";
    return s + "</item>\n";
}

std::string Feed(const std::string& items, const std::string& decl = "") {
    return decl + "<rss><channel><title>Show</title><description>About</description>" + items + "</channel></rss>";
}

// A date text for day n counted back from 2011-12-28 (distinct, sortable).
std::string DayDate(int n) {
    int day = 28 - n % 28, month = 12 - n / 28;
    static const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char buf[64];
    snprintf(buf, sizeof buf, "Mon, %02d %s 2011 10:00:00 GMT", day, kMonths[month - 1]);
    return buf;
}

}  // namespace

TEST(PodcastRss, FindElementMatchesWholeNamesNestingAndSelfClosing) {
    struct Case {
        const char* text;
        const char* name;
        bool found;
        const char* content;
        const char* attributes;
    } cases[] = {
        {"<a><item>x</item></a>", "item", true, "x", ""},
        {"<ITEM>x</Item>", "item", true, "x", ""},
        {"<items>no</items><item>yes</item>", "item", true, "yes", ""},
        {"<itemCount>3</itemCount>", "item", false, "", ""},
        {"<item\tid=\"1\">t</item>", "item", true, "t", "\tid=\"1\""},
        {"<item>a<item>b</item>c</item>", "item", true, "a<item>b</item>c", ""},
        {"<item>never closed", "item", false, "", ""},
        {"<item id=\"1\"", "item", false, "", ""},
        {"<enclosure url=\"u\"/>", "enclosure", false, "", " url=\"u\""},
        {"<item", "item", false, "", ""},
        {"", "item", false, "", ""},
    };
    for (const Case& c : cases) {
        std::string content = "?", attributes = "?";
        size_t pos = 0;
        bool found = rss::FindElement(c.text, strlen(c.text), c.name, &content, &attributes, &pos);
        EXPECT_EQ(found, c.found) << c.text;
        EXPECT_EQ(content, c.content) << c.text;
        if (c.found || attributes != "?") EXPECT_EQ(attributes, c.attributes) << c.text;
    }
    // The position moves to the closing tag, so the next search finds the next one.
    const char* two = "<t>1</t><t>2</t>";
    size_t pos = 0;
    std::string v;
    ASSERT_TRUE(rss::FindElement(two, strlen(two), "t", &v, nullptr, &pos));
    ASSERT_TRUE(rss::FindElement(two, strlen(two), "t", &v, nullptr, &pos));
    EXPECT_EQ(v, "2");
    EXPECT_FALSE(rss::FindElement(two, strlen(two), "t", &v, nullptr, &pos));
}

TEST(PodcastRss, AttributesTakeBothQuotesAndWholeNames) {
    struct Case {
        const char* attributes;
        const char* name;
        bool found;
        const char* value;
    } cases[] = {
        {" url=\"http://a/b.mp3\" length=\"5\"", "url", true, "http://a/b.mp3"},
        {" url='http://a/b.mp3'", "url", true, "http://a/b.mp3"},
        {" xurl=\"no\" url=\"yes\"", "url", true, "yes"},
        {" URL = \"spaced\"", "url", true, "spaced"},
        {" url=\"unterminated", "url", false, ""},
        {" length=\"5\"", "url", false, ""},
        {" url=bare length=1", "url", true, "bare"},
    };
    for (const Case& c : cases) {
        std::string value;
        EXPECT_EQ(rss::GetAttribute(c.attributes, c.name, &value), c.found) << c.attributes;
        if (c.found) EXPECT_EQ(value, c.value) << c.attributes;
    }
}

TEST(PodcastRss, DatesFromEnglishGermanShortAndBrokenTexts) {
    struct Case {
        const char* text;
        const char* date;
        int number;
    } cases[] = {
        {"Mi, 05 Okt 2011 10:00:00 +0200", "05.10.2011", 20111005},
        {"Sat, 7 Jun 08 09:00:00 GMT", "07.06.2008", 20080607},
        {"Tue, 31 dec 2013 23:59:59 GMT", "31.12.2013", 20131231},
        {"1 Dez 2010", "01.12.2010", 20101201},
        {"Thu, 01 Foo 2010", "01.00.2010", 20100001},
        {"garbage", "00.00.2000", 20000000},
        // Numbers that would overflow the date number count as 0.
        {"Mon, 99999999999 Jan 99999999999", "00.01.2000", 20000100},
    };
    for (const Case& c : cases) {
        rss::EpisodeDate d = rss::ParseDate(c.text);
        EXPECT_STREQ(d.text, c.date) << c.text;
        EXPECT_EQ(d.number, c.number) << c.text;
    }
}

TEST(PodcastRss, ItemsWithoutEnclosureVanishFromTheDocument) {
    std::string doc = Feed(Item("keep", DayDate(0)) + Item("no enclosure", DayDate(1), "") +
                           Item("empty url", DayDate(2), "", "length=\"3\"") + "<item/>" +
                           "<item><title>single quotes</title><enclosure\turl='http://h/s.mp3'/></item>");
    rss::PruneResult r = rss::PruneItems(&doc);
    EXPECT_EQ(r.count, 2);
    EXPECT_NE(doc.find("keep"), std::string::npos);
    EXPECT_NE(doc.find("single quotes"), std::string::npos);
    EXPECT_EQ(doc.find("no enclosure"), std::string::npos);
    EXPECT_EQ(doc.find("empty url"), std::string::npos);
    EXPECT_EQ(doc.find("<item/>"), std::string::npos);
    EXPECT_STREQ(r.dates[1].text, "28.12.2011");
    EXPECT_STREQ(r.dates[2].text, "");
    EXPECT_EQ(rss::CountItems(doc.c_str(), doc.size(), 50), 2);
}

TEST(PodcastRss, LongFeedsKeepTheNewestItems) {
    // 80 distinct dates, shuffled: the 49 newest stay.
    std::string items;
    for (int i = 0; i < 80; ++i) items += Item("ep" + std::to_string((i * 37) % 80), DayDate((i * 37) % 80));
    std::string doc = Feed(items);
    rss::PruneResult r = rss::PruneItems(&doc);
    EXPECT_EQ(r.count, 49);
    EXPECT_EQ(rss::CountItems(doc.c_str(), doc.size(), 1000), 49);
    EXPECT_NE(doc.find("<title>ep48</title>"), std::string::npos);
    EXPECT_EQ(doc.find("<title>ep49</title>"), std::string::npos);
    for (int i = 1; i <= r.count; ++i) EXPECT_GE(r.dates[i].number, 20101000) << i;

    // Many items on the limit date all stay in the document, but no more
    // than 50 are counted.
    items.clear();
    for (int i = 0; i < 40; ++i) items += Item("new" + std::to_string(i), DayDate(i));
    for (int i = 0; i < 30; ++i) items += Item("tie" + std::to_string(i), DayDate(45));
    for (int i = 0; i < 10; ++i) items += Item("old" + std::to_string(i), DayDate(60));
    doc = Feed(items);
    r = rss::PruneItems(&doc);
    EXPECT_EQ(r.count, 50);
    EXPECT_EQ(rss::CountItems(doc.c_str(), doc.size(), 1000), 70);
    EXPECT_EQ(doc.find("old"), std::string::npos);

    // Items without a date count as the oldest.
    items.clear();
    for (int i = 0; i < 55; ++i) items += Item("d" + std::to_string(i), DayDate(i));
    for (int i = 0; i < 5; ++i) items += Item("undated", "");
    doc = Feed(items);
    r = rss::PruneItems(&doc);
    EXPECT_EQ(doc.find("undated"), std::string::npos);
}

TEST(PodcastRss, EntitiesCodePagesAndDeclarations) {
    std::string t = "a &amp;lt; b &gt; &quot;c&quot; &apos;d&apos; &#252; %20";
    rss::DecodeEntities(&t);
    EXPECT_EQ(t, "a < b > \"c\" 'd' \xFC  ");
    std::string address = "http://h/a%20b.mp3?x=1&amp;y=2";
    rss::DecodeEntities(&address, false);
    EXPECT_EQ(address, "http://h/a%20b.mp3?x=1&y=2");

    struct Case {
        const char* text;
        unsigned cp;
    } cases[] = {
        {"<?xml version=\"1.0\" encoding=\"UTF-8\"?><rss/>", rss::kUtf8},
        {"<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>", rss::kLatin1},
        {"<?xml version='1.0' encoding='utf-8'?>", rss::kLatin1},
        {"<?xml version=\"1.0\" encoding=\"windows-1252\"?>", rss::kLatin1},
        {"<?xml version=\"1.0\" encoding=\"utf-8", rss::kLatin1},
        {"<rss encoding=\"utf-8\"/>", rss::kLatin1},
        {"<?xml encoding=\"x-local-ansi\"?>", rss::kLocalAnsi},
    };
    for (const Case& c : cases) EXPECT_EQ(rss::DeclaredCodePage(c.text, strlen(c.text)), c.cp) << c.text;

    // Our stored copies say they are in the local code page, with or
    // without a declaration of their own.
    for (const char* text : {"<?xml version=\"1.0\" encoding=\"utf-8\"?><rss/>", "<rss/>",
                             "<?xml version=\"1.0\"?><rss/>", "<?xml version='1.0' encoding='utf-8'?><rss/>"}) {
        std::string marked = rss::MarkLocalAnsi(text);
        EXPECT_EQ(rss::DeclaredCodePage(marked.c_str(), marked.size()), rss::kLocalAnsi) << text;
        EXPECT_NE(marked.find("<rss/>"), std::string::npos) << marked;
    }
}

TEST(PodcastRss, SizesFromLengthOrFilesize) {
    struct Case {
        const char* attributes;
        int64_t bytes;
        const char* text;
    } cases[] = {
        {" filesize=\"12582912\"", 12582912, "12,00 MB"},
        {" length=\"20971520\" filesize=\"1\"", 20971520, "20,00 MB"},
        {" length=\"1048575\"", 1048575, "0,99 MB"},
        {" length=\"5000000000\"", 5000000000LL, "4768,37 MB"},
        {" length=\"-5\"", 0, ""},
        {" length=\"abc\"", 0, ""},
        {" url=\"x\"", 0, ""},
        {" length=\"99999999999999999999999\"", 0, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(rss::EnclosureLength(c.attributes), c.bytes) << c.attributes;
        EXPECT_EQ(rss::SizeText(c.bytes), c.text) << c.attributes;
    }
}

TEST(PodcastRss, FileNamesFromFeedTextsStayInTheirFolder) {
    struct Case {
        const char* address;
        const char* name;
    } cases[] = {
        {"http://h/path/episode%2001.mp3?x=1", "episode%2001.mp3_x=1"},
        {"http://h/a\\b\\c.mp3", "c.mp3"},
        {"http://h/../../evil.exe", "evil.exe"},
        {"http://h/dir/..", ""},
        {"http://h/dir/", ""},
        {"", ""},
        {"http://h/CON", "_ON"},
    };
    for (const Case& c : cases) {
        std::string name = rss::EpisodeFileName(c.address);
        EXPECT_FALSE(name.empty()) << c.address;
        EXPECT_EQ(name.find_first_of("\\/:"), std::string::npos) << name;
        EXPECT_NE(name, "..");
        if (*c.name) EXPECT_EQ(name, c.name) << c.address;
        else EXPECT_EQ(name.rfind("episode_", 0), 0u) << name;
    }
    EXPECT_EQ(rss::PodcastFolderName("My\nShow: Part\r1", 3), "My_Show_ Part_1");
    EXPECT_EQ(rss::PodcastFolderName("...", 7), "podcast_7");
    EXPECT_EQ(rss::PodcastFolderName("..\\..\\x", 7).find('\\'), std::string::npos);
    EXPECT_EQ(rss::PodcastFolderName(std::string(300, 'a').c_str(), 1).size(), 100u);
    std::string longA = "http://h/" + std::string(300, 'a') + "1", longB = "http://h/" + std::string(300, 'a') + "2";
    EXPECT_NE(rss::FeedFileName(longA.c_str(), 1), rss::FeedFileName(longB.c_str(), 1));
    EXPECT_LE(rss::FeedFileName(longA.c_str(), 1).size(), 160u);
    EXPECT_EQ(rss::FeedFileName("", 4), "feed_4");
}

TEST(PodcastRss, FeedTextsLoseTheBytesThatWouldBreakTheirRows) {
    struct Case {
        const char* in;
        const char* title;
        const char* description;
    } cases[] = {
        {"A\x01" "B\x05" "C", "ABC", "ABC"},                 // the table's separators
        {"\t<![CDATA[Tab\tbed]]> \r\n", "Tab bed", " Tab bed "},
        {"two\r\nlines", "two  lines", "twolines"},
        {"\x1b[31mred", "[31mred", "[31mred"},
    };
    for (const Case& c : cases) {
        std::string t = c.in, d = c.in;
        rss::TrimTitle(&t);
        EXPECT_EQ(t, c.title) << c.in;
        if (std::string(c.in).find("CDATA") == std::string::npos) {
            rss::RemoveLineBreaks(&d);
            EXPECT_EQ(d, c.description) << c.in;
        }
    }
}

TEST(PodcastRss, PlayingTime) {
    EXPECT_EQ(rss::Mp3Seconds(16000 + 20, 20, 128), 1);
    // Above 512 MB the product no longer fits 32 bits.
    EXPECT_EQ(rss::Mp3Seconds(int64_t(3) << 30, 0, 128), (int64_t(3) << 30) * 8 / 128000);
    EXPECT_EQ(rss::Mp3Seconds(1000, 0, 0), 0);
}

// ---------------------------------------------------------------- the feed object

namespace {

struct FeedFixture : ::testing::Test {
    tdtest::TempFolder folder{"podfeed"};
    FakeSettings settings;
    LibraryGuard guard{&settings, nullptr};

    void SetUp() override {
        CreateDirectoryA(folder.File("skins").c_str(), nullptr);
        bk::TextCopy(Library().skinsFolder, (folder.File("skins") + "\\").c_str());
        settings.texts["GetPodcastDir"] = folder.File("episodes");
    }
    std::string FeedPath(cPodcastFeed& feed) {
        char path[MAX_PATH * 2];
        EXPECT_TRUE(feed.GetFeedFilePath(path, sizeof path));
        return path;
    }
};

}  // namespace

TEST_F(FeedFixture, FeedFileLivesBesideTheSkinsFolder) {
    cPodcastFeed feed;
    feed.SetUrl("http://example.org/feed.xml?a=1");
    EXPECT_EQ(FeedPath(feed), folder.File("podcasts\\http___example.org_feed.xml_a=1"));
    EXPECT_TRUE(folder.Exists("podcasts"));
}

TEST_F(FeedFixture, MissingFeedFileGivesEmptyReadersAndTheAddressAsTitle) {
    cPodcastFeed feed;
    feed.SetUrl("http://example.org/none.xml");
    EXPECT_EQ(feed.GetEpisodeCount(), 0);
    EXPECT_STREQ(feed.GetTitle(0), "http://example.org/none.xml");
    EXPECT_STREQ(feed.GetDescription(0), "");
    EXPECT_EQ(feed.FindNewestEpisode(), -1);
    EXPECT_EQ(feed.GetEpisodeDuration(1), -1);
    EXPECT_FALSE(feed.IsEpisodeDownloaded(1));
}

TEST_F(FeedFixture, ReadsTitlesDatesSizesAndStoresAReadableCopy) {
    cPodcastFeed feed;
    feed.SetId(3);
    feed.SetUrl("http://example.org/show.xml");
    std::string doc =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?><rss><channel>"
        "<title>\n\n  <![CDATA[Gr\xC3\xBC\xC3\x9F &amp; Co]]>  </title>"
        "<description>line\r\none</description><category>Talk</category>"
        "<lastBuildDate>Sat, 7 Jun 08 09:00:00 GMT</lastBuildDate>" +
        Item("Old &amp;lt;one&gt;", "Mi, 05 Okt 2011 10:00:00 +0200", "http://h/p/episode%2001.mp3?x=1",
             "filesize=\"12582912\"") +
        Item("Dropped", "Mon, 01 Jan 2001", "") + Item("Newest", "Tue, 06 Dec 2011 10:00:00 GMT", "http://h/q/b.mp3") +
        "</channel></rss>";
    tdtest::WriteFileBytes(FeedPath(feed), doc);

    EXPECT_EQ(feed.GetEpisodeCount(), 2);
    EXPECT_STREQ(feed.GetTitle(0), "Gr\xFC\xDF & Co");   // umlauts in the local (Western) code page
    EXPECT_STREQ(feed.GetDescription(0), "lineone");
    EXPECT_STREQ(feed.GetCategory(0), "Talk");
    EXPECT_STREQ(feed.GetEpisodeDate(0), "07.06.2008");
    EXPECT_STREQ(feed.GetTitle(1), "Old <one>");
    EXPECT_STREQ(feed.GetEpisodeDate(1), "05.10.2011");
    EXPECT_EQ(feed.GetEpisodeDateNumber(1), 20111005);
    EXPECT_STREQ(feed.GetEpisodeSizeText(1), "12,00 MB");
    EXPECT_STREQ(feed.GetEpisodeSizeText(2), "");
    EXPECT_STREQ(feed.GetEnclosureUrl(0), "");
    EXPECT_EQ(feed.FindNewestEpisode(), 2);

    char path[MAX_PATH * 2];
    ASSERT_TRUE(feed.GetEpisodeFilePath(1, path, sizeof path));
    EXPECT_EQ(std::string(path), folder.File("episodes\\Gr\xFC\xDF & Co\\episode%2001.mp3_x=1"));

    // The stored copy is read back the same (no second conversion, no
    // decoded markup in it).
    std::string stored;
    ASSERT_TRUE(tdtest::ReadFileBytes(FeedPath(feed), &stored));
    EXPECT_EQ(stored.find("Dropped"), std::string::npos);
    EXPECT_NE(stored.find("&amp;lt;one&gt;"), std::string::npos);
    cPodcastFeed again;
    again.SetId(3);
    again.SetUrl("http://example.org/show.xml");
    EXPECT_EQ(again.GetEpisodeCount(), 2);
    EXPECT_STREQ(again.GetTitle(0), "Gr\xFC\xDF & Co");
    EXPECT_STREQ(again.GetTitle(1), "Old <one>");
}

TEST_F(FeedFixture, EpisodesWithTheSameFileNameGetFilesOfTheirOwn) {
    cPodcastFeed feed;
    feed.SetUrl("http://example.org/same.xml");
    tdtest::WriteFileBytes(FeedPath(feed), Feed(Item("a", DayDate(1), "http://h/1/audio.mp3") +
                                                Item("b", DayDate(2), "http://h/2/audio.mp3") +
                                                Item("c", DayDate(3), "http://h/3/other.mp3")));
    char a[MAX_PATH * 2], b[MAX_PATH * 2], c[MAX_PATH * 2];
    ASSERT_TRUE(feed.GetEpisodeFilePath(1, a, sizeof a));
    ASSERT_TRUE(feed.GetEpisodeFilePath(2, b, sizeof b));
    ASSERT_TRUE(feed.GetEpisodeFilePath(3, c, sizeof c));
    EXPECT_STRNE(a, b);
    EXPECT_EQ(std::string(c), folder.File("episodes\\Show\\other.mp3"));
    // Without a podcast folder there is no episode path at all.
    settings.texts["GetPodcastDir"] = "";
    cPodcastFeed other;
    other.SetUrl("http://example.org/same.xml");
    EXPECT_FALSE(other.GetEpisodeFilePath(1, a, sizeof a));
}

TEST_F(FeedFixture, DownloadedStateNewStateAndPlayingTime) {
    static std::vector<int> codes;
    codes.clear();
    Library().callback = [](int code, int, void* text) -> int {
        codes.push_back(code);
        if (code == 73) static_cast<PlayCountQuery*>(text)->count = 0;
        return 0;
    };
    cPodcastFeed feed;
    feed.SetUrl("http://example.org/dur.xml");
    tdtest::WriteFileBytes(FeedPath(feed), Feed(Item("a", DayDate(1), "http://h/a.mp3") +
                                                Item("b", DayDate(2), "http://h/b.mp3")));
    EXPECT_FALSE(feed.IsEpisodeDownloaded(1));
    EXPECT_FALSE(feed.HasNewEpisodes());

    // 10 s of 128 kbit/s behind 100 bytes of something else.
    std::string mp3(100, 'x');
    mp3 += std::string("\xFF\xFB\x90\x00", 4);
    mp3.resize(100 + 160000, '\0');
    char path[MAX_PATH * 2];
    ASSERT_TRUE(feed.GetEpisodeFilePath(1, path, sizeof path));
    tdtest::WriteFileBytes(path, mp3);
    feed.ResetEpisodePaths();   // forgets the cached "not downloaded"
    EXPECT_TRUE(feed.IsEpisodeDownloaded(1));
    EXPECT_EQ(feed.GetEpisodeDuration(1), 10);
    EXPECT_TRUE(feed.IsEpisodeNew(1));
    EXPECT_TRUE(feed.HasNewEpisodes());
    feed.IncPlayCount(1);
    EXPECT_FALSE(feed.IsEpisodeNew(1));
    EXPECT_EQ(std::count(codes.begin(), codes.end(), 73), 1);

    // A file without a frame header has playing time 0.
    ASSERT_TRUE(feed.GetEpisodeFilePath(2, path, sizeof path));
    tdtest::WriteFileBytes(path, std::string(5000, 'z'));
    EXPECT_EQ(feed.GetEpisodeDuration(2), 0);
}

TEST_F(FeedFixture, PlayingTimeFromTheFirstValidHeaderWhereverItLies) {
    cPodcastFeed feed;
    feed.SetUrl("http://example.org/frames.xml");
    tdtest::WriteFileBytes(FeedPath(feed), Feed(Item("a", DayDate(1), "http://h/frames.mp3")));
    const std::string header128("\xFF\xFB\x90\x00", 4);   // MPEG 1 layer III, 128 kbit/s
    const std::string emphasis2("\xFF\xFB\xB0\x02", 4);   // 192 kbit/s, but reserved emphasis
    const struct {
        const char* what;
        size_t at;             // where the 128 kbit/s header starts
        bool reservedBefore;   // a header with emphasis 2 in front of it
    } cases[] = {
        {"in the first block", 100, false},
        {"across the first two blocks", 4094, false},
        {"across the second and third blocks", 8191, false},
        {"behind a header with emphasis 2", 300, true},
    };
    for (const auto& c : cases) {
        std::string mp3(c.at, 'x');
        if (c.reservedBefore) mp3.replace(10, 4, emphasis2);
        mp3 += header128;
        mp3.resize(c.at + 160000, '\0');   // 10 s of 128 kbit/s
        char path[MAX_PATH * 2];
        ASSERT_TRUE(feed.GetEpisodeFilePath(1, path, sizeof path));
        tdtest::WriteFileBytes(path, mp3);
        feed.ResetEpisodePaths();
        EXPECT_EQ(feed.GetEpisodeDuration(1), 10) << c.what;
    }
}

TEST_F(FeedFixture, SwappedDocumentServesTheItemReader) {
    cPodcastFeed feed;
    const char* text = "<list><item>http://a/1.zip</item><item>http://b/2.zip</item></list>";
    char* doc = new char[strlen(text) + 1];
    memcpy(doc, text, strlen(text) + 1);
    delete[] feed.SwapText(doc);
    EXPECT_EQ(feed.GetItem(2), "http://b/2.zip");
    EXPECT_EQ(feed.GetItem(3), "");
    std::string content;
    size_t pos = 0;
    EXPECT_TRUE(feed.FindElementInText("item", &content, nullptr, &pos));
    EXPECT_EQ(content, "http://a/1.zip");
}

namespace {
std::string g_served;
bool ServeFeedText(const char*, std::string* text) {
    *text = g_served;
    return true;
}
std::vector<std::string> g_boxes;
std::string UiTextOf(unsigned id) {
    char text[1024] = {};
    UiText(id, text, sizeof text);
    return text;
}
int AnswerYes(const NoticeRequest& request, bool) {
    g_boxes.push_back(request.text ? request.text : "");
    return 1;
}
std::vector<std::pair<int, std::string>> g_subscribeCalls;
int SubscribeHost(int code, int ch, void* text) {
    if (code == 69 || code == 71) g_subscribeCalls.emplace_back(code, text ? static_cast<const char*>(text) : "");
    (void)ch;
    return 0;
}
}  // namespace

TEST_F(FeedFixture, ALinkSubscriptionReadsTheFeedAndWritesItsFile) {
    Library().callback = &SubscribeHost;
    SetPodcastFeature(true);
    SetNoticeHook(&AnswerYes);
    EncoderFetch fetch;
    fetch.fetchText = &ServeFeedText;
    SetEncoderFetch(fetch);
    const char* address = "http://example.org/linked.xml";
    struct Case {
        std::string feed;
        bool subscribes;
    } cases[] = {
        {"<?xml version=\"1.0\" encoding=\"utf-8\"?><rss><channel><title><![CDATA[Gr\xC3\xBC\xC3\x9F &amp; Co]]></title>"
         "<item><title>One</title><enclosure url=\"http://h/1.mp3\"/></item></channel></rss>",
         true},
        // Items without an enclosure are no episodes: nothing to subscribe.
        {"<rss><channel><title>Empty</title><item><title>x</title></item></channel></rss>", false},
    };
    for (const Case& c : cases) {
        g_served = c.feed;
        g_boxes.clear();
        g_subscribeCalls.clear();
        MainProtocolTarget().SubscribePodcast(address);
        cPodcastFeed probe;
        probe.SetUrl(address);
        std::string written;
        bool fileThere = tdtest::ReadFileBytes(FeedPath(probe), &written);
        EXPECT_EQ(fileThere, c.subscribes);
        ASSERT_GE(g_boxes.size(), 2u);
        // The wait box came first, while the feed was fetched.
        EXPECT_EQ(g_boxes.front(), UiTextOf(599));
        if (c.subscribes) {
            // The question names the decoded title; the host adds the address.
            EXPECT_NE(g_boxes.back().find("Gr\xFC\xDF & Co"), std::string::npos) << g_boxes.back();
            ASSERT_EQ(g_subscribeCalls.size(), 1u);
            EXPECT_EQ(g_subscribeCalls[0], std::make_pair(69, std::string(address)));
            DeleteFileA(FeedPath(probe).c_str());
        } else {
            EXPECT_TRUE(g_subscribeCalls.empty());
        }
    }
    SetEncoderFetch(EncoderFetch());
    SetNoticeHook(nullptr);
    SetPodcastFeature(false);
}
