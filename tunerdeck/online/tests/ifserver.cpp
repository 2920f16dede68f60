#include "ifserver.h"

#include <zlib.h>

#include "internet.h"
#include "player_cipher.h"
#include "xml_core.h"

namespace ifserver {

namespace {

std::string Deflate(const std::string& data) { return tdtest::GzipBytes(data); }

// 100 MB of zero bytes as gzip, made once.
const std::string& Bomb() {
    static const std::string bomb = [] {
        z_stream zs = {};
        deflateInit2(&zs, 9, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY);
        std::string zeros(1 << 20, '\0'), out;
        char buf[65536];
        for (int i = 0; i < 100; ++i) {
            zs.next_in = reinterpret_cast<Bytef*>(&zeros[0]);
            zs.avail_in = static_cast<uInt>(zeros.size());
            do {
                zs.next_out = reinterpret_cast<Bytef*>(buf);
                zs.avail_out = sizeof buf;
                deflate(&zs, i == 99 ? Z_FINISH : Z_NO_FLUSH);
                out.append(buf, sizeof buf - zs.avail_out);
            } while (zs.avail_out == 0);
        }
        deflateEnd(&zs);
        return out;
    }();
    return bomb;
}

}  // namespace

InterfaceServer::InterfaceServer() {
    http_.Route(kInterfacePath, [this](const tdtest::HttpRequest& r) { return Answer(r); });
}

void InterfaceServer::SetFault(Fault f) {
    std::lock_guard<std::mutex> lock(mu_);
    fault_ = f;
}

void InterfaceServer::SetReply(const std::string& root, const std::string& xml) {
    std::lock_guard<std::mutex> lock(mu_);
    replies_[root] = xml;
}

std::vector<std::string> InterfaceServer::Requests() const {
    std::lock_guard<std::mutex> lock(mu_);
    return requests_;
}

std::vector<size_t> InterfaceServer::BodySizes() const {
    std::lock_guard<std::mutex> lock(mu_);
    return sizes_;
}

std::string InterfaceServer::RootOf(const std::string& xml) {
    size_t at = 0;
    if (xml.compare(0, 5, "<?xml") == 0) at = xml.find("?>") + 2;
    if (at >= xml.size() || xml[at] != '<') return std::string();
    size_t end = xml.find('>', at);
    return end == std::string::npos ? std::string() : xml.substr(at + 1, end - at - 1);
}

std::string InterfaceServer::DefaultReply(const std::string& root, const std::string& request) {
    if (root == "GetDBUpdate3")
        return "<GetDBUpdate3Resp><DbTime>20261201000000</DbTime><URL>http://127.0.0.1/db/radiodb.gz</URL>"
               "</GetDBUpdate3Resp>";
    if (root == "GetListItems") {
        std::string list;
        GetElementText(request, "list", &list);
        return "<GetListItemsResp><list>" + list +
               "</list><item><ID>1</ID><V>Rock</V><V_ENG>Rock</V_ENG><PID>0</PID></item>"
               "<item><ID>2</ID><V>Nachrichten</V><V_ENG>News</V_ENG><PID>0</PID></item>"
               "<item><ID>3</ID><V>Kunst &amp; Kultur</V><V_ENG>Arts &amp; culture</V_ENG><PID>2</PID></item>"
               "</GetListItemsResp>";
    }
    if (root == "RunInfo2" || root == "Empfehlung2" || root == "SkinData") return "<status>OK</status>";
    if (root == "GetTops") return "<ArrayTops><v>3</v><v>1</v><v>2</v></ArrayTops><datum>20261210</datum>";
    if (root == "UpdatePlayerInfo2")
        return "<UpdatePlayerInfo2Resp><PId>4711</PId><Version>1.2.0.0</Version><status>0</status>"
               "<UpdateSize>0</UpdateSize><UpdateUrl></UpdateUrl><skinStatus>0</skinStatus>"
               "<skinVersion>1.1.7</skinVersion><skinUpdateSize>0</skinUpdateSize><skinUpdateUrl></skinUpdateUrl>"
               "<AddyUrl>http://127.0.0.1/addy</AddyUrl><AddyUrl_ENG>http://127.0.0.1/addy_en</AddyUrl_ENG>"
               "<AddyCX>468</AddyCX><AddyCY>60</AddyCY><AddyCX_ENG>469</AddyCX_ENG><AddyCY_ENG>61</AddyCY_ENG>"
               "<ServerTime>20261210120000</ServerTime><HilfeDatum>20260101</HilfeDatum>"
               "<HilfeDatumENG>20260102</HilfeDatumENG><HilfeURL>http://127.0.0.1/hilfe.chm</HilfeURL>"
               "<HilfeURLENG>http://127.0.0.1/help.chm</HilfeURLENG><SKIN_SENDER>1;2;3</SKIN_SENDER>"
               "<splashScreenURL>http://127.0.0.1/splash</splashScreenURL><splashScreenSizeX>400</splashScreenSizeX>"
               "<splashScreenSizeY>300</splashScreenSizeY><splashScreenURL_ENG>http://127.0.0.1/splash_en"
               "</splashScreenURL_ENG><splashScreenSizeX_ENG>401</splashScreenSizeX_ENG><splashScreenSizeY_ENG>301"
               "</splashScreenSizeY_ENG><INFOSTATUS>0</INFOSTATUS><INFOURL>http://127.0.0.1/info</INFOURL>"
               "<INFOCX>320</INFOCX><INFOCY>200</INFOCY></UpdatePlayerInfo2Resp>";
    if (root == "GetSenderStream2")
        return "<?xml version=\"1.0\"?><GetSenderStreamResp3><SenderArray><Se><N>Eins</N><Id>1</Id></Se>"
               "</SenderArray></GetSenderStreamResp3>";
    if (root == "GetDownloadLocation" || root == "GetPlayerExe") return "<URL>http://127.0.0.1/files/setup.exe</URL>";
    if (root == "GetProgrammtipp")
        return "<tipps><tipp><sender>Radio Eins</sender><channel>Eins Live</channel><channelid>1</channelid>"
               "<tippId>77</tippId><start>202612241800</start><stop>202612241900</stop><title>Jazz &amp; Blues"
               "</title><timername>Jazzabend</timername><genre>Jazz</genre><link>http://127.0.0.1/t</link>"
               "<received>0</received></tipp><tipp><sender>Zwei</sender><channelid>2</channelid><tippId>78</tippId>"
               "<start>202612250600</start><title>Morgen</title></tipp></tipps>";
    if (root == "GetAvoidDeadStreams") return "<streams><locked>12</locked><locked>34</locked></streams>";
    return std::string();
}

tdtest::HttpResponse InterfaceServer::Answer(const tdtest::HttpRequest& req) {
    std::string plain;
    if (!req.body.empty() && req.body.size() % 8 == 0)
        plain = DecipherText(reinterpret_cast<const unsigned char*>(req.body.data()), req.body.size());
    std::string root = RootOf(plain);
    Fault fault;
    std::string reply;
    {
        std::lock_guard<std::mutex> lock(mu_);
        requests_.push_back(plain);
        sizes_.push_back(req.body.size());
        fault = fault_;
        auto it = replies_.find(root);
        reply = it != replies_.end() ? it->second : DefaultReply(root, plain);
    }
    if (req.method != "POST" || reply.empty()) return tdtest::HttpResponse::Text(400, "bad request");
    std::string body = EncipherPadded(reply);
    tdtest::HttpResponse resp;
    resp.status = 200;
    resp.Header("Content-Type", "text/xml");
    switch (fault) {
        case Fault::kNone: break;
        case Fault::kStatus404: return tdtest::HttpResponse::Text(404, "not found");
        case Fault::kStatus500: return tdtest::HttpResponse::Text(500, "server error");
        case Fault::kNoContent: resp.status = 204; body.clear(); break;
        case Fault::kWrongLength: body += "xyz"; break;
        case Fault::kGzip: resp.gzip = true; break;
        case Fault::kGzipUpper:
            body = Deflate(body);
            resp.Header("Content-Encoding", "GZIP");
            break;
        case Fault::kCorruptGzip:
            body = Deflate(body);
            for (size_t i = 12; i < body.size() - 8; i += 3) body[i] = static_cast<char>(body[i] ^ 0x5A);
            resp.Header("Content-Encoding", "gzip");
            break;
        case Fault::kGzipBomb:
            body = Bomb();
            resp.Header("Content-Encoding", "gzip");
            break;
        case Fault::kSlow:
            resp.chunkSize = 24;
            resp.chunkDelayMs = 30;
            break;
        case Fault::kCut: resp.truncateAfter = body.size() / 2; break;
    }
    resp.body = body;
    return resp;
}

void InterfaceServer::ServeStationDb(const std::string& path, const std::string& text) {
    http_.Serve(path, EncipherPadded(Deflate(text), 0xFD), "application/octet-stream");
}

}  // namespace ifserver
