#include "requests.h"

#include <windows.h>

#include <cstring>
#include <ctime>
#include <exception>

#include "bounded_text.h"
#include "debugtext.h"
#include "online_host.h"
#include "registry.h"
#include "xml_interface.h"
#include "xml_templates.h"

namespace online {

namespace {

// The player's texts are in the system's code page; the requests declare
// UTF-8, so every byte above 0x7F has to become its UTF-8 sequence.
std::string AnsiToUtf8(const std::string& text) {
    bool plain = true;
    for (char c : text) plain = plain && static_cast<unsigned char>(c) < 0x80;
    if (plain || text.size() > 0x3FFFFFFF) return text;
    const int n = static_cast<int>(text.size());
    const int wide = MultiByteToWideChar(CP_ACP, 0, text.data(), n, nullptr, 0);
    if (wide <= 0) return text;
    std::wstring w(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), n, &w[0], wide);
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return text;
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, &out[0], bytes, nullptr, nullptr);
    return out;
}

}  // namespace

std::string EscapeRequestField(const std::string& ansi) {
    const std::string text = AnsiToUtf8(ansi);
    std::string out;
    out.reserve(text.size() + 8);
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            default: out += c;
        }
    }
    return out;
}

}  // namespace online

namespace {

using online::EscapeRequestField;

bool CarriesUpdateInformation(cUpdateInfoDoc* doc) {
    static const char* const kFields[] = {
        "PId", "Version", "status", "UpdateSize", "UpdateUrl", "skinStatus", "skinVersion", "skinUpdateSize",
        "skinUpdateUrl", "AddyUrl", "AddyUrl_ENG", "ServerTime", "HilfeDatum", "HilfeURL", "SKIN_SENDER",
        "splashScreenURL", "splashScreenURL_ENG", "INFOSTATUS", "INFOURL"};
    for (const char* name : kFields)
        if (const std::string* value = doc->Member(name))
            if (!value->empty()) return true;
    return false;
}

std::string Num(long long n) { return std::to_string(n); }
std::string Text(const char* s) { return s ? s : ""; }
// Fields of the escaped requests: "&" as "&amp;" (also when the text already
// holds an entity), and "<" and ">" so no value can open or close an element.
std::string Esc(const char* s) { return EscapeRequestField(Text(s)); }

// "<name> EXCEPTION (<what>)" at the error level, as every operation reports
// a fault.
void LogFault(const char* name, const char* what) {
    char line[600];
    bk::TextFormat(line, sizeof line, "%s EXCEPTION (%s)", name, what ? what : "NULL");
    cInternet::Log(line, DL_ERR);
}

std::unique_ptr<XmlResult> Send(cInternet* client, int type, const std::string& text) {
    cXmlInterface xi;
    XmlRequest req;
    req.client = client;
    req.type = type;
    req.text = text;
    return xi.Process(req);
}

// The text between the first open and close tag, as it stands.
bool Between(const std::string& text, const char* open, const char* close, std::string* out) {
    size_t a = text.find(open);
    if (a == std::string::npos) return false;
    a += strlen(open);
    size_t b = text.find(close, a);
    if (b == std::string::npos) return false;
    out->assign(text, a, b - a);
    return true;
}

std::string LocalStamp(uint32_t seconds) {
    time_t t = static_cast<time_t>(seconds);
    struct tm parts = {};
    char out[32] = {};
    if (localtime_s(&parts, &t) == 0) strftime(out, sizeof out, "%Y%m%d%H%M%S", &parts);
    return out;
}

bool IsNewInstallation(const char* playerId) {
    if (!playerId || !playerId[0]) return true;
    for (const char* p = playerId; *p; ++p)
        if (*p < '0' || *p > '9') return false;
    return atol(playerId) == 0;
}

}  // namespace

VersionReportInfo ReadVersionReportInfo() {
    VersionReportInfo info;
    MyFileInfo player = {}, skin = {};
    std::string program = online::ProgramFolder();
    GetPlayerSkinVersion(&player, &skin, program.c_str(), nullptr);
    info.playerVersion = player.FileVersion;
    info.skinName = skin.InternalName;
    info.skinVersion = skin.FileVersion;
    info.skinId = skin.Module;
    OSVERSIONINFOA os = {};
    os.dwOSVersionInfoSize = sizeof os;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (GetVersionExA(&os)) {
#pragma GCC diagnostic pop
        info.osMajor = static_cast<int32_t>(os.dwMajorVersion);
        info.osMinor = static_cast<int32_t>(os.dwMinorVersion);
        info.osBuild = static_cast<int32_t>(os.dwBuildNumber);
        info.osPlatform = static_cast<int32_t>(os.dwPlatformId);
        info.osServicePack = os.szCSDVersion;
    }
    info.oem = IsOEMPlayer() ? 1 : 0;
    return info;
}

cOnlineClient::cOnlineClient(const char* server, const char* user, const char* password)
    : cInternet(server, user, password), user_(Text(user)), password_(Text(password)) {}

int cOnlineClient::SendVersionInfo(const char* playerId, std::unique_ptr<cUpdateInfoDoc>* out, int errorDetected,
                                   int language, const VersionReportInfo* info, DWORD retryPauseMs) {
    if (out) out->reset();
    if (IsOfflineMode()) {
        char path[600] = {};
        getOfflineSkinDir(path);
        if (path[0] && path[strlen(path) - 1] != '\\') bk::TextAppend(path, sizeof path, "\\");
        char skin[260] = {};
        GetValue("SKIN", skin, sizeof skin);
        bk::TextAppend(path, sizeof path, skin);
        MyFileInfo fi = {};
        if (skin[0] && GetFileVersion(path, &fi)) SetValue("aktSkinId", static_cast<unsigned long>(fi.Module));
        return 0;
    }
    VersionReportInfo own;
    if (!info) {
        own = ReadVersionReportInfo();
        info = &own;
    }
    const std::string request =
        FormatTemplate(XmlTemplate(5), {EscapeRequestField(info->playerVersion), Esc(playerId),
                                        EscapeRequestField(info->skinName), EscapeRequestField(info->skinVersion),
                                        Num(info->skinId), Num(info->osMajor), Num(info->osMinor),
                                        Num(info->osBuild), Num(info->osPlatform),
                                        EscapeRequestField(info->osServicePack), Num(errorDetected ? 1 : 0),
                                        Num(info->oem ? 1 : 0), Num(language)});
    // Only a fault is tried again, and only for an installation that has no
    // id yet (its first report is the one that gets it one).
    const int attempts = IsNewInstallation(playerId) ? 2 : 1;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (attempt) Sleep(retryPauseMs);
        const char* fault = nullptr;
        std::string what;
        try {
            std::unique_ptr<XmlResult> r = Send(this, 4, request);
            if (r && !r->answered) return 0;   // no answer and no fault: no document
            auto* doc = r ? r->As<cUpdateInfoDoc>() : nullptr;
            // An answer with none of the fields is no update information;
            // one without id and version may still offer an update or the
            // info window, and goes to the caller.
            if (!doc || !CarriesUpdateInformation(doc)) {
                fault = r ? "no update information" : nullptr;
            } else {
                r->doc.release();
                if (out) out->reset(doc);
                else delete doc;
                return 0;
            }
        } catch (const std::exception& e) {
            what = e.what();
            fault = what.c_str();
        }
        char line[400];
        bk::TextFormat(line, sizeof line, "internet.cpp: cInternet::SendVersionInfo - Err=%s", fault ? fault : "NULL");
        DebugLog(DL_VER, "%s", line);
    }
    return 0;
}

int cOnlineClient::GetDBVersion(const char* playerId, const char* dbTime, std::unique_ptr<cDbTimeDoc>* timeDoc,
                                std::unique_ptr<cStationDbDoc>* db) {
    if (db) db->reset();
    if (IsOfflineMode()) return 0;
    cDbTimeDoc* time = new cDbTimeDoc;
    if (timeDoc) timeDoc->reset(time);
    std::unique_ptr<cDbTimeDoc> orphan(timeDoc ? nullptr : time);
    try {
        DebugLog(DL_INF, "frage nach Datenbank...");
        std::unique_ptr<XmlResult> r = Send(this, 0, FormatTemplate(XmlTemplate(1), {Esc(playerId), Esc(dbTime)}));
        if (!r) return 0;
        const std::string& answer = r->raw;
        size_t root = answer.find("<GetDBUpdate3Resp>");
        if (root == std::string::npos) return 0;
        std::string body = answer.substr(root);
        std::string value;
        if (Between(body, "<DbTime>", "</DbTime>", &value)) time->playerDbTime = value;
        std::string url;
        if (!Between(body, "<URL>", "</URL>", &url)) {
            DebugLog(DL_INF, "frage nach Datenbank...ok, aber keine neue vorhanden");
            return 1;
        }
        time->playerDbUpdateUrl = url;
        DebugLog(DL_INF, "frage nach Datenbank...ok");
        return DownloadStationDb(url, db);
    } catch (const std::exception& e) {
        LogFault("GetDBVersion", e.what());
        return 0;
    }
}

int cOnlineClient::SendEmpfehlung(const char* playerId, int32_t recommendedId, int32_t kind, const char* fromName,
                                  const char* fromAddress, const char* toName, const char* toAddress,
                                  const char* message, int32_t language) {
    try {
        const uint32_t skinId = ReadVersionReportInfo().skinId;
        std::unique_ptr<XmlResult> r =
            Send(this, 2,
                 FormatTemplate(XmlTemplate(11), {Esc(playerId), Num(kind), Esc(fromName), Esc(fromAddress),
                                                  Esc(toName), Esc(toAddress), Num(recommendedId), Esc(message),
                                                  Num(skinId), Num(language), Num(IsOEMPlayer() ? 1 : 0)}));
        // The status text is not evaluated, but nothing sent is no success.
        return r && r->answered ? 1 : 0;
    } catch (const std::exception& e) {
        LogFault("SendEmpfehlung", e.what());
        return 0;
    }
}

int cOnlineClient::SendSkinData(const char* playerId, const char* skinId, const char* data) {
    try {
        std::unique_ptr<XmlResult> r =
            Send(this, 2, FormatTemplate(XmlTemplate(14), {Esc(playerId), Esc(skinId), Esc(data)}));
        return r && r->answered ? 1 : 0;
    } catch (const std::exception& e) {
        LogFault("SendSkinData ", e.what());
        return 0;
    }
}

int cOnlineClient::SetPlayTime(const char* playerId, const std::vector<ListenRecord>& records, const char* agent,
                               int32_t language) {
    try {
        const std::string vs = XmlTemplate(6), vd = XmlTemplate(7);
        std::string ids, from, till, connect, quality, urls, skins;
        for (const ListenRecord& rec : records) {
            ids += FormatTemplate(vd, {Num(rec.streamId)});
            from += FormatTemplate(vs, {LocalStamp(rec.start)});
            till += FormatTemplate(vs, {LocalStamp(rec.stop)});
            connect += FormatTemplate(vd, {Num(rec.connectTime)});
            quality += FormatTemplate(vd, {Num(rec.quality)});
            urls += FormatTemplate(vs, {EscapeRequestField(rec.userUrl)});
            skins += FormatTemplate(vs, {EscapeRequestField(rec.skinId)});
        }
        // The skin-id item list stands in the SId element: each record
        // carries the skin it was heard with.
        std::unique_ptr<XmlResult> r =
            Send(this, 2,
                 FormatTemplate(XmlTemplate(3), {Esc(agent), Esc(playerId), ids, from, till, connect, quality, urls,
                                                 skins, Num(IsOEMPlayer() ? 1 : 0), Num(language)}));
        if (!r || !r->answered) {
            DebugLog(DL_VER, "internet.cpp: cInternet::SetPlayTime - AusgangErr, NULL");
            return 0;
        }
        DebugLog(DL_VER, "internet.cpp: cInternet::SetPlayTime - Ausgang, TRUE");
        return 1;
    } catch (const std::exception& e) {
        DebugLog(DL_VER, "internet.cpp: cInternet::SetPlayTime - Err=%s", e.what());
        DebugLog(DL_VER, "internet.cpp: cInternet::SetPlayTime - AusgangErr, NULL");
        return 0;
    }
}

std::vector<int32_t> cOnlineClient::GetTopSender(const char* playerId, std::string* date) {
    std::vector<int32_t> ids;
    try {
        std::unique_ptr<XmlResult> r = Send(this, 3, FormatTemplate(XmlTemplate(4), {Esc(playerId)}));
        auto* doc = r ? r->As<cTopsDoc>() : nullptr;
        if (!doc || doc->tops.empty()) return ids;
        for (const std::string& t : doc->tops) {
            int32_t id = XmlToInt(t);
            if (id != 0) ids.push_back(id);
        }
        if (date) *date = doc->datum;
    } catch (const std::exception& e) {
        LogFault("GetTopSender", e.what());
        ids.clear();
    }
    return ids;
}

int cOnlineClient::GetDownloadlocation(const char* wanted, std::string* address) {
    if (IsOfflineMode()) return 1;
    try {
        std::unique_ptr<XmlResult> r = Send(this, 0, FormatTemplate(XmlTemplate(16), {Text(wanted)}));
        std::string url;
        if (r && address && Between(r->raw, "<URL>", "</URL>", &url)) *address = url;
    } catch (const std::exception& e) {
        LogFault("GetDownloadlocation", e.what());
    }
    return 1;
}

int cOnlineClient::GetListenProgrammtipps(std::vector<std::unique_ptr<cProgrammtipp>>* tips) {
    if (IsOfflineMode()) return 0;
    try {
        std::unique_ptr<XmlResult> r = Send(this, 16, XmlTemplate(17));
        if (r && tips) *tips = std::move(r->tips);
    } catch (const std::exception& e) {
        LogFault("GetListen", e.what());
    }
    return 1;
}

int cOnlineClient::GetListenAvoidDeadStreams(std::vector<std::string>* locked) {
    if (IsOfflineMode()) return 0;
    try {
        std::unique_ptr<XmlResult> r = Send(this, 17, XmlTemplate(18));
        if (r && locked) *locked = std::move(r->locked);
    } catch (const std::exception& e) {
        LogFault("GetListen", e.what());
    }
    return 1;
}

int cOnlineClient::GetListItems(std::unique_ptr<cListItemsDoc>* doc, int32_t listNumber) {
    if (doc) doc->reset();
    if (IsOfflineMode()) return 0;
    DebugLog(DL_INF, "GetListen Liste(%d)", static_cast<int>(listNumber));
    try {
        std::unique_ptr<XmlResult> r = Send(this, 1, FormatTemplate(XmlTemplate(2), {Num(listNumber)}));
        if (r && r->answered && doc) {
            if (auto* d = r->As<cListItemsDoc>()) {
                r->doc.release();
                doc->reset(d);
            }
        }
    } catch (const std::exception& e) {
        LogFault("GetListen", e.what());
    }
    return 1;
}

int cOnlineClient::GetAllDB(HANDLE file) {
    try {
        std::unique_ptr<XmlResult> r = Send(this, 7, XmlTemplate(8));
        if (!r || file == INVALID_HANDLE_VALUE || !file) return 0;
        size_t at = r->raw.find("<?xml version");
        if (at == std::string::npos) return 0;
        const char* p = r->raw.data() + at;
        size_t left = r->raw.size() - at;
        while (left) {
            DWORD chunk = left > 1u << 20 ? 1u << 20 : static_cast<DWORD>(left), written = 0;
            if (!WriteFile(file, p, chunk, &written, nullptr) || written != chunk) return 0;
            p += chunk;
            left -= chunk;
        }
        return 1;
    } catch (const std::exception& e) {
        LogFault("GetAllDB", e.what());
        return 0;
    }
}
