// The interface-server client and the document dispatcher against the
// stand-in interface server.
#include <gtest/gtest.h>

#include <atomic>

#include <functional>

#include "ifserver.h"
#include "internet.h"
#include "player_cipher.h"
#include "registry.h"
#include "requests.h"
#include "shared_data.h"
#include "tdtest.h"
#include "xml_interface.h"

namespace {

using ifserver::Fault;
using ifserver::InterfaceServer;

class InternetTest : public ::testing::Test {
protected:
    InternetTest() : reg_(GetSettingsKeyName()), client_(nullptr, nullptr, nullptr) {
        client_.SetServerName(server_.Host().c_str());
    }
    std::unique_ptr<XmlResult> Ask(int type, const std::string& text) {
        XmlRequest req;
        req.client = &client_;
        req.type = type;
        req.text = text;
        return xi_.Process(req);
    }

    tdtest::RegistrySandbox reg_;
    InterfaceServer server_;
    cInternet client_;
    cXmlInterface xi_;
};

TEST_F(InternetTest, BodiesArePaddedToWholeBlocks) {
    int len = 0;
    for (size_t n : {16u, 17u, 1u}) delete[] client_.SendXmlRequest(std::string(n, 'a').c_str(), &len);
    EXPECT_EQ((std::vector<size_t>{16, 24, 8}), server_.BodySizes());
    EXPECT_EQ(std::string(17, 'a'), server_.Requests()[1]);
    auto raw = server_.RawRequests();
    ASSERT_EQ(3u, raw.size());
    EXPECT_EQ("POST", raw[0].method);
    EXPECT_EQ(kInterfacePath, raw[0].target);
    EXPECT_EQ("text/xml; charset=utf-8", raw[0].Header("content-type"));
    EXPECT_EQ("gzip", raw[0].Header("accept-encoding"));
    EXPECT_EQ("velmirant Radio", raw[0].Header("user-agent"));
}

// A proxy that asks for them gets the user name and password of the
// player's settings, and the request goes through.
TEST_F(InternetTest, AProxyThatAsksGetsTheUsersNameAndPassword) {
    tdtest::HttpServer proxy;
    std::atomic<int> authorized{0};
    proxy.Route("/*", [&](const tdtest::HttpRequest& q) {
        // "listener:secret" in Base64
        if (q.Header("proxy-authorization") != "Basic bGlzdGVuZXI6c2VjcmV0") {
            tdtest::HttpResponse r = tdtest::HttpResponse::Text(407, "");
            r.Header("Proxy-Authenticate", "Basic realm=\"proxy\"");
            return r;
        }
        ++authorized;
        return tdtest::HttpResponse::Text(200, "through");
    });
    const std::string port = std::to_string(proxy.Port());
    SetProxySettings("127.0.0.1", port.c_str(), 1, 0);
    tdtest::TempFolder folder;
    {
        cOnlineClient client("", "listener", "secret");
        EXPECT_EQ(1, client.Downloadfile("http://radio.invalid/feed.xml", folder.File("feed.xml").c_str(), 0));
    }
    SetProxySettings("", "", 0, 0);
    EXPECT_EQ(1, authorized.load());
    EXPECT_EQ("through", folder.Read("feed.xml"));
}

// The proxy of the player's settings is used while it is on, and no
// longer once the user switched it off (without a restart).
TEST_F(InternetTest, RequestsGoThroughTheProxyOnlyWhileItIsSwitchedOn) {
    tdtest::HttpServer proxy;
    const std::string port = std::to_string(proxy.Port());
    int len = 0;
    SetProxySettings("127.0.0.1", port.c_str(), 1, 0);
    {
        cInternet via(nullptr, nullptr, nullptr);
        via.SetServerName(server_.Host().c_str());
        delete[] via.SendXmlRequest("through", &len);
    }
    const auto seen = proxy.Requests();
    ASSERT_EQ(1u, seen.size());
    EXPECT_NE(std::string::npos, seen[0].target.find(server_.Host() + kInterfacePath)) << seen[0].target;

    SetProxySettings("127.0.0.1", port.c_str(), 0, 0);
    {
        cInternet direct(nullptr, nullptr, nullptr);
        direct.SetServerName(server_.Host().c_str());
        delete[] direct.SendXmlRequest("direct", &len);
    }
    EXPECT_EQ(1u, proxy.Requests().size());
    ASSERT_FALSE(server_.Requests().empty());
    EXPECT_EQ("direct", server_.Requests().back());
    SetProxySettings("", "", 0, 0);
}

// Every connection asks for the process-wide proxy; setting it again over
// itself ends the process under Wine 8, so it is set only when it changes.
TEST_F(InternetTest, ManyConnectionsThroughOneProxySetItOnce) {
    tdtest::HttpServer proxy;
    const std::string port = std::to_string(proxy.Port());
    SetProxySettings("127.0.0.1", port.c_str(), 1, 0);
    int len = 0;
    for (int i = 0; i < 5; ++i) {
        cInternet via(nullptr, nullptr, nullptr);
        via.SetServerName(server_.Host().c_str());
        delete[] via.SendXmlRequest("through", &len);
    }
    EXPECT_EQ(5u, proxy.Requests().size());
    SetProxySettings("", "", 0, 0);
}

TEST_F(InternetTest, ConstructorKeepsTheBuiltInHost) {
    cInternet c(server_.Host().c_str(), "user", "pw");
    EXPECT_STREQ(kInterfaceHost, c.GetServerName());
    EXPECT_EQ(0, c.IsOfflineMode());
    SetValue("OfflinePlayer", 1);
    cInternet offline(nullptr, nullptr, nullptr);
    EXPECT_EQ(1, offline.IsOfflineMode());
}

TEST_F(InternetTest, EveryRequestKindAndItsReply) {
    struct Case {
        const char* what;
        int type;
        std::string request;
        std::function<void(const XmlResult&)> check;
    };
    const cXmlInterface& t = xi_;
    std::string runItems = FormatTemplate(t.Template(7), {"55"}) + FormatTemplate(t.Template(7), {"-1"});
    std::string urlItems = FormatTemplate(t.Template(6), {""}) + FormatTemplate(t.Template(6), {"http://x/?a=1&amp;b=2"});
    std::vector<Case> cases = {
        {"GetDBUpdate3", 0, FormatTemplate(t.Template(1), {"4711", "20261101000000"}),
         [](const XmlResult& r) {
             EXPECT_NE(std::string::npos, r.raw.find("<GetDBUpdate3Resp><DbTime>20261201000000</DbTime><URL>"));
         }},
        {"GetListItems", 1, FormatTemplate(t.Template(2), {"7"}),
         [](const XmlResult& r) {
             auto* d = r.As<cListItemsDoc>();
             ASSERT_NE(nullptr, d);
             EXPECT_EQ("7", d->list);
             ASSERT_EQ(3u, d->V_ENG.size());
             EXPECT_EQ("Kunst & Kultur", d->V[2]);
             EXPECT_EQ("Arts & culture", d->V_ENG[2]);
             EXPECT_EQ("2", d->PID[2]);
         }},
        {"RunInfo2", 2,
         FormatTemplate(t.Template(3), {"tunerdeck", "4711", runItems, runItems, runItems, runItems, runItems,
                                        urlItems, "7", "0", "1"}),
         [](const XmlResult& r) { EXPECT_EQ("OK", r.As<cStatusDoc>()->status); }},
        {"GetTops", 3, FormatTemplate(t.Template(4), {"4711"}),
         [](const XmlResult& r) {
             auto* d = r.As<cTopsDoc>();
             EXPECT_EQ((std::vector<std::string>{"3", "1", "2"}), d->tops);
             EXPECT_EQ("20261210", d->datum);
         }},
        {"UpdatePlayerInfo2", 4,
         FormatTemplate(t.Template(5), {"1.2.0.0", "4711", "stockface", "1.1.7", "3", "6", "1", "7601", "2",
                                        "Service Pack 1", "0", "0", "1"}),
         [](const XmlResult& r) {
             auto* d = r.As<cUpdateInfoDoc>();
             EXPECT_EQ("4711", d->PId);
             EXPECT_EQ("0", d->status);
             EXPECT_EQ("469", d->AddyCX_ENG);
             EXPECT_EQ("20261210120000", d->ServerTime);
             EXPECT_EQ("301", d->splashScreenSizeY_ENG);
             EXPECT_EQ("200", d->INFOCY);
             EXPECT_EQ("", d->HilfeURLENG);
         }},
        {"GetSenderStream2", 7, t.Template(8),
         [](const XmlResult& r) { EXPECT_EQ(0u, r.raw.find("<?xml version")); }},
        {"Empfehlung2", 2,
         FormatTemplate(t.Template(11), {"4711", "1", "Anna", "a@example.org", "Ben", "b@example.org", "12",
                                         "H&amp;ör mal", "3", "1", "0"}),
         [](const XmlResult& r) { EXPECT_EQ("OK", r.As<cStatusDoc>()->status); }},
        {"SkinData", 2, FormatTemplate(t.Template(14), {"4711", "3", "data"}),
         [](const XmlResult& r) { EXPECT_EQ("OK", r.As<cStatusDoc>()->status); }},
        {"GetDownloadLocation", 0, FormatTemplate(t.Template(16), {"setup"}),
         [](const XmlResult& r) { EXPECT_EQ("<URL>http://127.0.0.1/files/setup.exe</URL>", r.raw); }},
        {"GetProgrammtipp", 16, t.Template(17),
         [](const XmlResult& r) {
             ASSERT_EQ(2u, r.tips.size());
             EXPECT_EQ("Jazz & Blues", r.tips[0]->title);
             EXPECT_EQ("202612241800", r.tips[0]->start);
             EXPECT_EQ("Jazzabend", r.tips[0]->timername);
             EXPECT_EQ("", r.tips[1]->channel);
         }},
        {"GetAvoidDeadStreams", 17, t.Template(18),
         [](const XmlResult& r) { EXPECT_EQ((std::vector<std::string>{"12", "34"}), r.locked); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        size_t before = server_.Requests().size();
        auto r = Ask(c.type, c.request);
        ASSERT_TRUE(r);
        EXPECT_TRUE(r->answered);
        ASSERT_EQ(before + 1, server_.Requests().size());
        EXPECT_EQ(c.request, server_.Requests().back());   // deciphers to the document sent
        EXPECT_EQ(c.what, InterfaceServer::RootOf(c.request));
        c.check(*r);
    }
}

TEST_F(InternetTest, FaultModes) {
    struct Case {
        Fault fault;
        bool answered;
    } cases[] = {
        {Fault::kNone, true},        {Fault::kStatus404, false},  {Fault::kStatus500, false},
        {Fault::kNoContent, false},  {Fault::kWrongLength, false}, {Fault::kGzip, true},
        {Fault::kGzipUpper, true},   {Fault::kCorruptGzip, false}, {Fault::kGzipBomb, false},
        {Fault::kSlow, true},        {Fault::kCut, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.fault));
        server_.SetFault(c.fault);
        auto r = Ask(3, FormatTemplate(xi_.Template(4), {"1"}));
        ASSERT_TRUE(r);   // a document, empty when nothing usable came back
        EXPECT_EQ(c.answered, r->answered);
        EXPECT_EQ(c.answered ? 3u : 0u, r->As<cTopsDoc>()->tops.size());
        // The raw kinds give nothing at all.
        EXPECT_EQ(c.answered, Ask(0, FormatTemplate(xi_.Template(1), {"1", ""})) != nullptr);
        auto list = Ask(17, xi_.Template(18));
        ASSERT_TRUE(list);
        EXPECT_EQ(c.answered ? 2u : 0u, list->locked.size());
    }
}

TEST_F(InternetTest, MalformedReplies) {
    server_.SetReply("GetTops", "<ArrayTops><v>3</v><v>4</ArrayTops><datum>20261210");
    auto r = Ask(3, FormatTemplate(xi_.Template(4), {"1"}));
    EXPECT_EQ((std::vector<std::string>{"3"}), r->As<cTopsDoc>()->tops);
    EXPECT_EQ("", r->As<cTopsDoc>()->datum);

    server_.SetReply("GetListItems",
                     "<GetListItemsResp><list>1</list><item><ID>1</ID><V>a&lt;/V&gt;&lt;/item&gt;&lt;item&gt;&lt;V&gt;"
                     "forged</V><V_ENG>&amp;lt;</V_ENG><PID>0</PID></item></GetListItemsResp>");
    r = Ask(1, FormatTemplate(xi_.Template(2), {"1"}));
    auto* d = r->As<cListItemsDoc>();
    ASSERT_EQ(1u, d->V.size());
    EXPECT_EQ("a</V></item><item><V>forged", d->V[0]);
    EXPECT_EQ("&lt;", d->V_ENG[0]);

    // An answer of 50,000 bytes is read whole.
    std::string big = "<ArrayTops>";
    while (big.size() < 50000) big += "<v>" + std::to_string(big.size()) + "</v>";
    server_.SetReply("GetTops", big + "</ArrayTops>");
    int len = 0;
    char* answer = client_.SendXmlRequest(FormatTemplate(xi_.Template(4), {"1"}).c_str(), &len);
    ASSERT_NE(nullptr, answer);
    EXPECT_EQ(big.size() + 12, static_cast<size_t>(len));
    EXPECT_EQ(0, answer[len]);
    delete[] answer;
}

TEST_F(InternetTest, UnreachableServer) {
    cInternet nowhere(nullptr, nullptr, nullptr);
    nowhere.SetServerName("127.0.0.1:1");
    int len = 5;
    EXPECT_EQ(nullptr, nowhere.SendXmlRequest("<GetTops></GetTops>", &len));
    EXPECT_EQ(0, len);
}

TEST(InternetHelpers, GunzipGrowsTheOutput) {
    std::string text(100000, 'x');
    std::string gz = tdtest::GzipBytes(text);
    char* out = nullptr;
    unsigned long cap = 0;
    unsigned long n =
        cInternet::GunzipBuffer(reinterpret_cast<const unsigned char*>(gz.data()), static_cast<unsigned long>(gz.size()),
                                &out, &cap);
    EXPECT_EQ(text.size(), n);
    EXPECT_GE(cap, n + 1024);
    EXPECT_EQ(text, std::string(out, n));
    EXPECT_EQ(0u, cInternet::GunzipBuffer(reinterpret_cast<const unsigned char*>(gz.data()), 20, &out, &cap));
    delete[] out;
}

TEST(InternetHelpers, NameResolutionAndSystemProxy) {
    char address[32] = "x";
    cInternet::ResolveServerName("localhost", address, sizeof address);
    EXPECT_STREQ("127.0.0.1", address);
    cInternet::ResolveServerName("", address, sizeof address);
    EXPECT_STREQ("", address);
    int on = 7;
    char host[100] = {}, port[100] = {};
    cInternet::GetSystemProxySettings(&on, host, sizeof host, port, sizeof port);
    EXPECT_TRUE(on == 7 || on == 1);   // left alone unless a named proxy is set
}

TEST(InternetHelpers, ProxyTexts) {
    struct Case {
        const char* text;
        const char* host;
        const char* port;
    } cases[] = {
        {"proxy.example:8080", "proxy.example", "8080"},
        {"fe80::1:3128", "fe80::1", "3128"},
        {"proxy.example", "proxy.example", "unchanged"},
        {"ftp=f:21;http=web.example:3128;https=s:443", "web.example", "3128"},
        {"a:1;b:2", "a", "1"},
    };
    for (const Case& c : cases) {
        char host[16] = {}, port[16] = "unchanged";
        cInternet::SplitProxyText(c.text, host, sizeof host, port, sizeof port);
        EXPECT_STREQ(c.host, host) << c.text;
        EXPECT_STREQ(c.port, port) << c.text;
    }
    char tiny[4];
    char port[8];
    cInternet::SplitProxyText("averylonghostname:1", tiny, sizeof tiny, port, sizeof port);
    EXPECT_STREQ("ave", tiny);   // cut, never past the buffer
}

TEST(InternetHelpers, StationDatabaseAsServed) {
    InterfaceServer server;
    std::string text = "<?xml version=\"1.0\"?><GetSenderStreamResp3></GetSenderStreamResp3>";
    server.ServeStationDb("/db/radiodb.gz", text);
    HINTERNET inet = InternetOpenA("test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    HINTERNET url = InternetOpenUrlA(inet, server.Url("/db/radiodb.gz").c_str(), nullptr, 0, INTERNET_FLAG_RELOAD, 0);
    ASSERT_NE(nullptr, url);
    std::string body;
    char buf[4096];
    DWORD got = 0;
    while (InternetReadFile(url, buf, sizeof buf, &got) && got) body.append(buf, got);
    InternetCloseHandle(url);
    InternetCloseHandle(inet);
    ASSERT_EQ(0u, body.size() % 8);
    std::string plain = DecipherRaised(reinterpret_cast<const unsigned char*>(body.data()), body.size());
    while (!plain.empty() && plain.back() == '\xFD') plain.pop_back();
    std::string back;
    ASSERT_TRUE(tdtest::GunzipBytes(plain, &back));
    EXPECT_EQ(text, back);
}

}  // namespace
