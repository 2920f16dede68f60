// The XML framework and the documents read from answers and local texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "online_host.h"
#include "reply_docs.h"
#include "settings_doc.h"
#include "station_db.h"
#include "xml_core.h"
#include "xml_interface.h"
#include "xml_templates.h"

namespace {

TEST(XmlFinder, Cases) {
    struct Case {
        const char* doc;
        const char* name;
        int found;
        const char* content;
    } cases[] = {
        {"<Tx_ENG>en</Tx_ENG><Tx>de</Tx>", "Tx", 1, "de"},       // a tag is not found inside a longer one
        {"<PID>5</PID><ID>7</ID>", "ID", 1, "7"},
        {"<a>1<a>2</a>3</a>", "a", 1, "1<a>2</a>3"},             // nested same-named element balanced
        {"<a></a>", "a", 1, ""},
        {"<a>open only", "a", 0, "unchanged"},
        {"<a>1<a>2</a>", "a", 0, "unchanged"},                   // the balancing closing tag is missing
        {"<A>x</A>", "a", 0, "unchanged"},                       // case-sensitive
        {"", "a", 0, "unchanged"},
    };
    for (const Case& c : cases) {
        std::string out = "unchanged";
        EXPECT_EQ(c.found, GetElementText(c.doc, c.name, &out)) << c.doc;
        EXPECT_EQ(c.content, out) << c.doc;
    }
}

TEST(XmlFinder, WalkYieldsEachElementOnceInOrder) {
    std::string doc = "<x><entry>a</entry> <entry>b</entry>\r\n<entry>c</entry></x>";
    size_t pos = 0;
    std::string v;
    std::vector<std::string> seen;
    while (NextElementText(doc, "entry", &v, &pos)) seen.push_back(v);
    EXPECT_EQ((std::vector<std::string>{"a", "b", "c"}), seen);
}

TEST(XmlEntities, EscapeAndUnescape) {
    std::string s = "a&b<c>\"d'";
    XmlEscapeEntities(&s);
    EXPECT_EQ("a&amp;b&lt;c&gt;&quot;d&apos;", s);
    XmlUnescapeEntities(&s);
    EXPECT_EQ("a&b<c>\"d'", s);
    // Each entity is replaced once: an escaped "&lt;" stays "&lt;".
    std::string twice = "&amp;lt; &LT; &Amp;";
    XmlUnescapeEntities(&twice);
    EXPECT_EQ("&lt; < &", twice);
}

TEST(XmlEntities, EscapedMarkupInsideAValueCannotForgeAnElement) {
    // A station name that carries an escaped closing tag and a second id.
    std::string answer = "<Se><N>Evil&lt;/N&gt;&lt;Id&gt;999&lt;/Id&gt;</N><Id>5</Id></Se>";
    cSenderDoc se;
    se.Parse(answer);
    EXPECT_EQ("Evil</N><Id>999</Id>", se.N);
    EXPECT_EQ("5", se.Id);
}

TEST(XmlTemplates, SlotsAndFilling) {
    cXmlInterface xi;
    EXPECT_EQ("", xi.Template(9));
    EXPECT_EQ("", xi.Template(15));
    EXPECT_EQ("<?xml version=\"1.0\" encoding=\"utf-8\"?><GetTops><PId>%s</PId></GetTops>", xi.Template(4));
    EXPECT_EQ(0u, xi.Template(14).find("<?xml version=\"1.0\"?><SkinData>"));
    EXPECT_EQ("<GetListItems><list>7</list></GetListItems> 100%",
              FormatTemplate("<GetListItems><list>%d</list></GetListItems> 100%%", {"7"}));
    // A value that holds a format field is inserted as it is.
    EXPECT_EQ("<v>%s%d</v>", FormatTemplate(XmlTemplate(6), {"%s%d"}));
}

TEST(XmlInterface, LocalTextsAndUnknownCodes) {
    cXmlInterface xi;
    XmlRequest req;
    req.type = 5;
    EXPECT_EQ(nullptr, xi.Process(req));
    req.type = 14;
    req.text = "<UserDefinedStations><SenderArray><UDSe><N>A &amp; B</N><Id>-65535</Id></UDSe></SenderArray>"
               "</UserDefinedStations>";
    auto r = xi.Process(req);
    ASSERT_TRUE(r && r->As<cUserDefinedStations>());
    ASSERT_EQ(1u, r->As<cUserDefinedStations>()->stations.size());
    EXPECT_EQ("A & B", r->As<cUserDefinedStations>()->stations[0]->Field("N"));
    // Codes that send, without a client: documents stay empty and say so.
    req.type = 2;
    r = xi.Process(req);
    ASSERT_TRUE(r && r->As<cStatusDoc>());
    EXPECT_FALSE(r->answered);
    req.type = 0;
    EXPECT_EQ(nullptr, xi.Process(req));
    // The settings record takes its podcast folder default from the host.
    online::SetDocumentsFolder("D:\\Eigene Dateien");
    req.type = 11;
    req.text = "<Setting><AutoStart>1</AutoStart></Setting>";
    r = xi.Process(req);
    online::SetDocumentsFolder("");
    ASSERT_TRUE(r && r->As<cSettingsDoc>());
    EXPECT_EQ("D:\\Eigene Dateien\\Podcast", *r->As<cSettingsDoc>()->Get("PodcastDir"));
    EXPECT_EQ("1", *r->As<cSettingsDoc>()->Get("AutoStart"));
}

// ---------------------------------------------------------------- station database

cStationDbDoc SampleDb() {
    cStationDbDoc db;
    for (int i = 1; i <= 3; ++i) {
        auto se = std::make_unique<cSenderDoc>();
        se->N = "Sender " + std::to_string(i) + (i == 2 ? " <R&B>" : "");
        se->Id = std::to_string(i);
        se->U = "http://home/" + std::to_string(i);
        se->T = "1";
        se->L = "4";
        db.senders.push_back(std::move(se));
        auto ch = std::make_unique<cChannelDoc>();
        ch->N = "Kanal " + std::to_string(i);
        ch->Id = std::to_string(i);
        ch->SID = std::to_string(i);
        ch->G = "1;2";
        ch->Tx = "Deutsch";
        ch->Tx_ENG = "English";
        ch->M = i == 1 ? "moderator" : "";
        db.channels.push_back(std::move(ch));
        auto st = std::make_unique<cStreamDoc>();
        st->Id = static_cast<uint32_t>(i);
        st->CID = static_cast<uint32_t>(i);
        st->U = "http://s/" + std::to_string(i) + "?a=1&amp;b=2";
        st->F = 3;
        st->Q = 128;
        st->D = -1;
        db.streams.push_back(std::move(st));
    }
    db.lists[kCatSprache] = {{1, "Deutsch", "German", 0}, {2, "Franz\xF6sisch", "French", 0}};
    db.lists[kCatGenre] = {{7, "Rock & Pop", "Rock & pop", 3}};
    return db;
}

TEST(StationDb, WriteAndParseGiveTheSameDatabase) {
    cStationDbDoc db = SampleDb();
    std::string text = db.WriteText();
    EXPECT_NE(std::string::npos, text.find("<M>moderator</M>"));
    EXPECT_EQ(text.find("<M>"), text.rfind("<M>"));   // only the channel with M writes it
    cStationDbDoc back;
    back.Parse(text);
    ASSERT_EQ(3u, back.senders.size());
    ASSERT_EQ(3u, back.channels.size());
    ASSERT_EQ(3u, back.streams.size());
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(db.senders[i]->N, back.senders[i]->N);
        EXPECT_EQ(db.channels[i]->M, back.channels[i]->M);
        EXPECT_EQ(db.channels[i]->Tx_ENG, back.channels[i]->Tx_ENG);
        EXPECT_EQ(db.streams[i]->U, back.streams[i]->U);   // "&amp;" in an address survives saving
        EXPECT_EQ(db.streams[i]->D, back.streams[i]->D);
    }
    ASSERT_EQ(2u, back.lists[kCatSprache].size());
    EXPECT_EQ("Franz\xF6sisch", back.lists[kCatSprache][1].de);
    EXPECT_EQ("French", back.lists[kCatSprache][1].en);
    EXPECT_EQ(3, back.lists[kCatGenre][0].pid);
    EXPECT_EQ("Rock & Pop", back.lists[kCatGenre][0].de);
}

TEST(StationDb, FieldRulesAndOddPlacements) {
    std::string text =
        "<listen><sprache><item><ID>1</ID><V>Deutsch</V><V_ENG>German</V_ENG><PID>0</PID></item></sprache></listen>"
        "<GetSenderStreamResp3><ChannelArray><Ch><N>c</N><Id>9</Id></Ch></ChannelArray>"
        "<StreamArray><St><U>http://x</U><Id>4</Id><F>300</F><CID>4294967295</CID></St><St></St></StreamArray>"
        "</GetSenderStreamResp3>";
    cStationDbDoc db;
    db.Parse(text);
    EXPECT_EQ(0u, db.senders.size());   // a missing array leaves the others findable
    ASSERT_EQ(1u, db.channels.size());
    ASSERT_EQ(2u, db.streams.size());
    EXPECT_EQ(44, db.streams[0]->F);    // 300 cut to 8 bits
    EXPECT_EQ(0xFFFFFFFFu, db.streams[0]->CID);
    EXPECT_EQ("", db.streams[1]->U);
    EXPECT_EQ(0u, db.streams[1]->Id);
    ASSERT_EQ(1u, db.lists[kCatSprache].size());   // "listen" before the root is found too
    std::string again = db.WriteText();
    EXPECT_NE(std::string::npos, again.find("<F>44</F>"));
}

// An element of the usual shape is read in one pass, any other shape field by
// field; both must give what the field rules give.
TEST(StationDb, ElementShapesReadAlike) {
    struct Case {
        const char* what;
        const char* element;   // a "Se" element's content
        const char* name;
        const char* id;
        const char* homepage;
    } cases[] = {
        {"usual", "<N>A</N><Id>1</Id><U>http://a/</U>", "A", "1", "http://a/"},
        {"blanks between fields", "\r\n <N>A</N>\t<Id>1</Id> ", "A", "1", ""},
        {"first value of a name counts", "<N>A</N><N>B</N><Id>1</Id>", "A", "1", ""},
        {"entities unescaped once", "<N>R&amp;B &amp;lt;1&gt;</N>", "R&B &lt;1>", "", ""},
        {"empty and unknown fields", "<N></N><X>?</X><Id>7</Id>", "", "7", ""},
        {"a field inside another", "<X><N>inner</N></X><Id>2</Id>", "inner", "2", ""},
        {"text between fields", "junk<N>A</N>", "A", "", ""},
        {"unclosed field", "<U>http://a/<N>A</N>", "A", "", ""},
        {"closing tag of another name", "<N>A</Id><Id>3</Id>", "", "3", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        cStationDbDoc db;
        db.Parse(std::string("<SenderArray><Se>") + c.element + "</Se><Se><N>next</N></Se></SenderArray>");
        ASSERT_EQ(2u, db.senders.size());
        EXPECT_EQ(c.name, db.senders[0]->N);
        EXPECT_EQ(c.id, db.senders[0]->Id);
        EXPECT_EQ(c.homepage, db.senders[0]->U);
        EXPECT_EQ("next", db.senders[1]->N);
        cSenderDoc byField;
        byField.Parse(c.element);
        EXPECT_EQ(byField.N, db.senders[0]->N);
        EXPECT_EQ(byField.Id, db.senders[0]->Id);
        EXPECT_EQ(byField.U, db.senders[0]->U);
    }
}

// What a reader handed over, one text per element, for comparing readers.
struct RecordingSink : cStationDbSink {
    std::vector<std::string> seen;
    void Record(char kind, const StationDbFields& f, int count) {
        std::string line(1, kind);
        for (int i = 0; i < count; ++i) line += "|" + (f.at[i] ? f.Text(i) : std::string("-"));
        seen.push_back(line);
    }
    void Sender(const StationDbFields& f) override { Record('S', f, kSenderFields); }
    void Channel(const StationDbFields& f) override { Record('C', f, kChannelFields); }
    void Stream(const StationDbFields& f) override { Record('T', f, kStreamFields); }
    void Category(int kind, CategoryItem item) override {
        seen.push_back("L" + std::to_string(kind) + "|" + std::to_string(item.id) + "|" + item.de + "|" + item.en);
    }
};

// A large database is read piece by piece: whatever the pieces, the result
// is the whole-text reader's, and a text of another layout is refused (the
// caller then reads it whole) rather than read differently.
TEST(StationDb, PiecewiseReadingGivesTheWholeTextsResultOrRefuses) {
    const std::string usual = SampleDb().WriteText();
    const std::string tail = "<ChannelArray></ChannelArray><StreamArray></StreamArray><listen></listen>";
    struct Case {
        const char* what;
        std::string text;
        bool streamed;
    } cases[] = {
        {"as written", usual, true},
        {"blanks between elements and arrays",
         "<?xml version=\"1.0\"?>\r\n<R><SenderArray>\r\n <Se><N>a</N><Id>1</Id></Se>\r\n</SenderArray>\r\n"
         "<ChannelArray> <Ch><N>c</N></Ch> </ChannelArray><StreamArray><St><Id>4</Id><U>x&amp;y</U></St>"
         "</StreamArray></R><listen><sprache><item><ID>1</ID><V>Deutsch</V><V_ENG>German</V_ENG></item></sprache>"
         "</listen>",
         true},
        {"no category lists", "<SenderArray><Se><N>a</N></Se></SenderArray><ChannelArray></ChannelArray>"
                              "<StreamArray></StreamArray>", false},
        {"lists in front", "<listen><typ><item><ID>2</ID></item></typ></listen><SenderArray></SenderArray>"
                           "<ChannelArray></ChannelArray><StreamArray></StreamArray>", false},
        {"an array missing", "<SenderArray><Se><N>a</N></Se></SenderArray><StreamArray><St><Id>4</Id></St>"
                             "</StreamArray><listen></listen>", false},
        {"an element of another shape", "<SenderArray><Se>junk<N>a</N></Se><Se><N>b</N></Se></SenderArray>" + tail,
         false},
        {"a field named like its element", "<SenderArray><Se><Se>x</Se></Se></SenderArray>" + tail, false},
        {"cut inside an element", usual.substr(0, usual.size() / 2), false},
        {"empty", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingSink whole;
        ReadStationDbText(c.text.data(), c.text.size(), &whole);
        for (size_t piece : {size_t{1}, size_t{7}, size_t{64}, c.text.size() + 1}) {
            SCOPED_TRACE(piece);
            RecordingSink pieces;
            cStationDbStream stream(&pieces);
            bool ok = true;
            for (size_t at = 0; ok && at < c.text.size(); at += piece)
                ok = stream.Feed(c.text.data() + at, std::min(piece, c.text.size() - at));
            ok = ok && stream.Finish();
            EXPECT_EQ(c.streamed, ok);
            if (ok) {
                EXPECT_EQ(whole.seen, pieces.seen);
            }
        }
    }
}

// ---------------------------------------------------------------- replies

TEST(Replies, ListItemsPairByItem) {
    cListItemsDoc d;
    d.Parse("<GetListItemsResp><list>4</list><item><ID>1</ID><V>a</V><V_ENG>A</V_ENG><PID>0</PID></item>"
            "<item><ID>2</ID><V>b</V><PID>1</PID></item>"
            "<item><ID>3</ID><V>c</V><V_ENG>C</V_ENG><PID>2</PID></item></GetListItemsResp>");
    EXPECT_EQ("4", d.list);
    ASSERT_EQ(3u, d.ID.size());
    ASSERT_EQ(3u, d.V_ENG.size());
    EXPECT_EQ("", d.V_ENG[1]);     // the missing field stays with its own item
    EXPECT_EQ("C", d.V_ENG[2]);
    EXPECT_EQ("2", d.PID[2]);
    cListItemsDoc none;
    none.Parse("<list>1</list>");
    EXPECT_TRUE(none.ID.empty());
}

TEST(Replies, TopsStatusAndUpdateInfo) {
    cTopsDoc t;
    t.Parse("<datum>20261210</datum><ArrayTops><v>3</v><v>1</v></ArrayTops><v>99</v>");
    EXPECT_EQ((std::vector<std::string>{"3", "1"}), t.tops);
    EXPECT_EQ("20261210", t.datum);
    cUpdateInfoDoc u;
    u.Parse("<PId>12</PId><status>1</status><UpdateUrl>http://u/?a=1&amp;b=2</UpdateUrl><HilfeURLENG>x</HilfeURLENG>"
            "<splashScreenSizeX>400</splashScreenSizeX>");
    EXPECT_EQ("12", u.PId);
    EXPECT_EQ("http://u/?a=1&b=2", u.UpdateUrl);
    EXPECT_EQ("", u.HilfeURLENG);   // only SetField sets it
    EXPECT_EQ("400", u.splashScreenSizeX);
    u.SetField("HilfeURLENG", "y");
    u.SetField("splashScreenSizeX", "1");
    EXPECT_EQ("y", u.HilfeURLENG);
    EXPECT_EQ("400", u.splashScreenSizeX);
}

TEST(Replies, StoredTipRoundTripsItsText) {
    cProgrammtipp tip;
    tip.title = "Rock & Roll <live>";
    tip.start = "202612241800";
    std::string file;
    tip.WriteToBuffer(&file);
    EXPECT_NE(std::string::npos, file.find("<title>Rock &amp; Roll &lt;live&gt;</title>"));
    auto back = ParseProgrammtipps(file + file);
    ASSERT_EQ(2u, back.size());
    EXPECT_EQ("Rock & Roll <live>", back[1]->title);
    EXPECT_EQ("202612241800", back[1]->start);
}

TEST(Replies, OwnStationIds) {
    struct Case {
        std::vector<std::string> ids;
        int32_t next;
    } cases[] = {{{}, -65535}, {{"-65535", "-65534"}, -65533}, {{"12"}, -65535}, {{"-1", "-65535"}, 0},
                 {{"", "x"}, -65535}};
    for (const Case& c : cases) {
        cUserDefinedStations s;
        for (const std::string& id : c.ids) {
            s.stations.push_back(std::make_unique<cUserDefinedStation>());
            s.stations.back()->Field("Id") = id;
        }
        EXPECT_EQ(c.next, s.GetNextId());
    }
}

// ---------------------------------------------------------------- settings and listening

TEST(Settings, DefaultsElementsAndActions) {
    cSettingsDoc none("C:\\Docs");
    none.Parse("<NoSetting/>");
    EXPECT_EQ("-1", *none.Get("RecordingDevice"));
    EXPECT_EQ("C:\\Docs\\Podcast", *none.Get("PodcastDir"));
    EXPECT_EQ("", *none.Get("VLUrl"));
    EXPECT_EQ(nullptr, none.Get("UserAction"));

    cSettingsDoc s("C:\\Docs");
    s.Parse("<?xml version=\"1.0\"?><Setting>  <VLUrl>a&amp;b</VLUrl><RecordingDevice>2</RecordingDevice>"
            "<PodcastDir>D:\\P</PodcastDir><UserAction><Action><ListenStart>1</ListenStart><UserURL>u&amp;1</UserURL>"
            "</Action><Action><ListenStart>2</ListenStart></Action><Action><StreamID>-1</StreamID></Action>"
            "</UserAction></Setting>");
    EXPECT_EQ("a&b", *s.Get("VLUrl"));
    EXPECT_EQ("2", *s.Get("RecordingDevice"));
    EXPECT_EQ("D:\\P", *s.Get("PodcastDir"));
    ASSERT_EQ(3u, s.actions.size());
    EXPECT_EQ("u&1", s.actions[0]->UserURL);
    EXPECT_EQ("2", s.actions[1]->ListenStart);
    EXPECT_EQ("", s.actions[2]->ListenStart);
    // SetField knows only part of the record.
    s.SetField("SplashURL", "x");
    s.SetField("PodAutoUpdate", "0");
    EXPECT_EQ("", *s.Get("SplashURL"));
    EXPECT_EQ("0", *s.Get("PodAutoUpdate"));
}

TEST(Settings, ListeningRecordBoundInARecord) {
    std::string many = "<Setting><UserAction>";
    for (int i = 0; i < 600; ++i) many += "<Action><ListenStart>" + std::to_string(i) + "</ListenStart></Action>";
    cSettingsDoc s;
    s.Parse(many + "</UserAction></Setting>");
    ASSERT_EQ(cSettingsDoc::kMaxListenActions, s.actions.size());
    EXPECT_EQ("599", s.actions.back()->ListenStart);   // the newest are kept
}

TEST(Settings, ActionXmlOfAUserAddress) {
    ListenRecord r;
    r.start = 100;
    r.stop = 160;
    r.streamId = -1;
    r.userUrl = "http://x/?a=1&b=2";
    r.skinId = "7";
    r.quality = 3;
    std::string xml;
    CUSERACTION(r).GetActionXml(&xml);
    EXPECT_EQ("<Action><ListenStart>100</ListenStart><ListenStop>160</ListenStop><ConnectTime>0</ConnectTime>"
              "<StreamID>-1</StreamID><Typ>1</Typ><Quality>3</Quality><UserURL>http://x/?a=1&amp;b=2</UserURL>"
              "<SkinID>7</SkinID>        </Action>",
              xml);
    cListenActionDoc back;
    back.Parse(xml);
    EXPECT_EQ("http://x/?a=1&b=2", back.UserURL);
    EXPECT_EQ("1", back.Typ);
    r.streamId = 55;
    CUSERACTION(r).GetActionXml(&xml);
    EXPECT_NE(std::string::npos, xml.find("<Typ>0</Typ>"));
}

class ScriptedTimer : public cListenTimer {
public:
    uint32_t now;
    explicit ScriptedTimer(uint32_t start = 1000) : now(start) { Restart(5000); }

protected:
    uint32_t Ticks() const override { return now; }
};

TEST(ListenTimer, DelaysAndStop) {
    ScriptedTimer t;
    t.now = 3000;
    t.OnConnected();
    t.now = 4500;
    t.OnFirstData();
    t.now = 5000;
    t.OnFirstData();   // only the first data counts
    EXPECT_EQ(1500u, t.GetStartupDelay());
    t.now = 62000;
    EXPECT_EQ(1, t.OnStop(4));
    t.now = 90000;
    EXPECT_EQ(0, t.OnStop(9));   // the first duration stays
    EXPECT_EQ(61000u, t.GetDuration());
    EXPECT_EQ(4, t.GetQuality());
    EXPECT_EQ(5000u + 3u, t.GetListenStart());
    EXPECT_EQ(5000u + 61u, t.GetListenStop());

    ScriptedTimer noData;
    noData.now = 1400;
    noData.OnConnected();
    noData.now = 11000;
    noData.OnStop(1);
    EXPECT_EQ(10000u - 400u, noData.GetStartupDelay());
    // The tick counter wraps during a period.
    ScriptedTimer wrap(0xFFFFFF00u);
    wrap.now = 0x100;
    wrap.OnStop(1);
    EXPECT_EQ(0x200u, wrap.GetDuration());
}

TEST(ByteCursor, RoundTripAndBounds) {
    unsigned char buf[32];
    unsigned char* w = buf;
    const unsigned char* end = buf + sizeof buf;
    ASSERT_TRUE(PutUInt16ToBuffer(0xBEEF, &w, end));
    ASSERT_TRUE(PutUInt32ToBuffer(0x01020304, &w, end));
    ASSERT_TRUE(WriteCountedString("abc", &w, end));
    ASSERT_TRUE(WriteCountedBlob("xyz", 3, &w, end));
    EXPECT_EQ(2 + 4 + 2 + 3 + 4 + 3, w - buf);
    EXPECT_FALSE(WriteCountedBlob(buf, 100, &w, end));

    const unsigned char* r = buf;
    uint16_t a;
    uint32_t b;
    char s[8];
    char blob[8];
    ASSERT_TRUE(ReadUInt16(&r, w, &a));
    ASSERT_TRUE(ReadUInt32(&r, w, &b));
    EXPECT_EQ(0xBEEF, a);
    EXPECT_EQ(0x01020304u, b);
    const unsigned char* before = r;
    EXPECT_EQ(3, ReadCountedString(&r, w, nullptr, 0));   // length only, cursor stays
    EXPECT_EQ(before, r);
    EXPECT_EQ(-1, ReadCountedString(&r, w, s, 3));        // no room for the zero
    EXPECT_EQ(3, ReadCountedString(&r, w, s, sizeof s));
    EXPECT_STREQ("abc", s);
    EXPECT_EQ(3, ReadCountedBlob(&r, w, blob, sizeof blob));
    EXPECT_EQ(0, memcmp(blob, "xyz", 3));
    // A stored length beyond the bytes there are.
    unsigned char bad[] = {0xFF, 0x7F, 'a'};
    const unsigned char* c = bad;
    EXPECT_EQ(-1, ReadCountedString(&c, bad + sizeof bad, s, sizeof s));
    EXPECT_EQ(bad, c);
}

}  // namespace
