#include "reply_docs.h"

#include <cstring>

namespace {

void Values(const std::string& text, const char* name, std::vector<std::string>* out) {
    size_t pos = 0;
    std::string v;
    while (NextElementText(text, name, &v, &pos)) {
        XmlUnescapeEntities(&v);
        out->push_back(v);
    }
}

}  // namespace

// ---------------------------------------------------------------- update info

std::string* cUpdateInfoDoc::Member(const std::string& n) {
    struct Row {
        const char* name;
        std::string cUpdateInfoDoc::*member;
    };
    static const Row rows[] = {
        {"PId", &cUpdateInfoDoc::PId}, {"Version", &cUpdateInfoDoc::Version}, {"status", &cUpdateInfoDoc::status},
        {"UpdateSize", &cUpdateInfoDoc::UpdateSize}, {"UpdateUrl", &cUpdateInfoDoc::UpdateUrl},
        {"skinStatus", &cUpdateInfoDoc::skinStatus}, {"skinVersion", &cUpdateInfoDoc::skinVersion},
        {"skinUpdateSize", &cUpdateInfoDoc::skinUpdateSize}, {"skinUpdateUrl", &cUpdateInfoDoc::skinUpdateUrl},
        {"AddyUrl", &cUpdateInfoDoc::AddyUrl}, {"AddyUrl_ENG", &cUpdateInfoDoc::AddyUrl_ENG},
        {"AddyCX", &cUpdateInfoDoc::AddyCX}, {"AddyCY", &cUpdateInfoDoc::AddyCY},
        {"AddyCX_ENG", &cUpdateInfoDoc::AddyCX_ENG}, {"AddyCY_ENG", &cUpdateInfoDoc::AddyCY_ENG},
        {"ServerTime", &cUpdateInfoDoc::ServerTime}, {"HilfeDatum", &cUpdateInfoDoc::HilfeDatum},
        {"HilfeDatumENG", &cUpdateInfoDoc::HilfeDatumENG}, {"HilfeURL", &cUpdateInfoDoc::HilfeURL},
        {"HilfeURLENG", &cUpdateInfoDoc::HilfeURLENG}, {"SKIN_SENDER", &cUpdateInfoDoc::SKIN_SENDER},
        {"splashScreenURL", &cUpdateInfoDoc::splashScreenURL},
        {"splashScreenSizeX", &cUpdateInfoDoc::splashScreenSizeX},
        {"splashScreenSizeY", &cUpdateInfoDoc::splashScreenSizeY},
        {"splashScreenURL_ENG", &cUpdateInfoDoc::splashScreenURL_ENG},
        {"splashScreenSizeX_ENG", &cUpdateInfoDoc::splashScreenSizeX_ENG},
        {"splashScreenSizeY_ENG", &cUpdateInfoDoc::splashScreenSizeY_ENG},
        {"INFOSTATUS", &cUpdateInfoDoc::INFOSTATUS}, {"INFOURL", &cUpdateInfoDoc::INFOURL},
        {"INFOCX", &cUpdateInfoDoc::INFOCX}, {"INFOCY", &cUpdateInfoDoc::INFOCY},
    };
    for (const Row& r : rows)
        if (n == r.name) return &(this->*r.member);
    return nullptr;
}

void cUpdateInfoDoc::SetField(std::string name, std::string value) {
    // The splash fields and skinVersion are filled by the parse alone.
    if (name.compare(0, 6, "splash") == 0 || name == "skinVersion") return;
    if (std::string* m = Member(name)) *m = value;
}

void cUpdateInfoDoc::Parse(const std::string& answer) {
    static const char* const names[] = {
        "PId", "Version", "status", "UpdateSize", "UpdateUrl", "skinStatus", "skinVersion", "skinUpdateSize",
        "skinUpdateUrl", "AddyUrl", "AddyUrl_ENG", "AddyCX", "AddyCY", "AddyCX_ENG", "AddyCY_ENG", "ServerTime",
        "HilfeDatum", "HilfeDatumENG", "HilfeURL", "SKIN_SENDER", "splashScreenURL", "splashScreenSizeX",
        "splashScreenSizeY", "splashScreenURL_ENG", "splashScreenSizeX_ENG", "splashScreenSizeY_ENG", "INFOSTATUS",
        "INFOURL", "INFOCX", "INFOCY"};
    for (const char* n : names) GetElementValue(answer, n, Member(n));
}

// ---------------------------------------------------------------- status, tops, list items

void cStatusDoc::SetField(std::string name, std::string value) {
    if (name == "status") status = value;
}
void cStatusDoc::Parse(const std::string& answer) { GetElementValue(answer, "status", &status); }

void cTopsDoc::SetField(std::string name, std::string value) {
    if (name == "v") tops.push_back(value);
    else if (name == "datum") datum = value;
}

void cTopsDoc::Parse(const std::string& answer) {
    std::string array;
    if (GetElementText(answer, "ArrayTops", &array)) Values(array, "v", &tops);
    GetElementValue(answer, "datum", &datum);
}

void cListItemsDoc::SetField(std::string name, std::string value) {
    if (name == "ID") ID.push_back(value);
    else if (name == "V") V.push_back(value);
    else if (name == "V_ENG") V_ENG.push_back(value);
    else if (name == "PID") PID.push_back(value);
    else if (name == "list") list = value;
}

void cListItemsDoc::Parse(const std::string& answer) {
    std::string content;
    GetElementValue(answer, "list", &list);
    if (!GetElementText(answer, "GetListItemsResp", &content)) return;
    // Item by item, so one item that lacks a field cannot shift the pairs
    // of every item behind it.
    size_t pos = 0;
    std::string item;
    while (NextElementText(content, "item", &item, &pos)) {
        std::string id, v, en, pid;
        GetElementValue(item, "ID", &id);
        GetElementValue(item, "V", &v);
        GetElementValue(item, "V_ENG", &en);
        GetElementValue(item, "PID", &pid);
        ID.push_back(id);
        V.push_back(v);
        V_ENG.push_back(en);
        PID.push_back(pid);
    }
}

void cDbTimeDoc::SetField(std::string name, std::string value) {
    if (name == "playerDbTime") playerDbTime = value;
    else if (name == "playerDbUpdateUrl") playerDbUpdateUrl = value;
}

// ---------------------------------------------------------------- programme tips

namespace {
struct TipRow {
    const char* name;
    std::string cProgrammtipp::*member;
};
// File order.
const TipRow kTipRows[] = {
    {"sender", &cProgrammtipp::sender}, {"channel", &cProgrammtipp::channel},
    {"channelid", &cProgrammtipp::channelid}, {"tippId", &cProgrammtipp::tippId},
    {"start", &cProgrammtipp::start}, {"stop", &cProgrammtipp::stop},
    {"title", &cProgrammtipp::title}, {"genre", &cProgrammtipp::genre},
    {"link", &cProgrammtipp::link}, {"received", &cProgrammtipp::received},
    {"timername", &cProgrammtipp::timername},
};
}  // namespace

void cProgrammtipp::SetField(std::string name, std::string value) {
    for (const TipRow& r : kTipRows)
        if (name == r.name) this->*r.member = value;
}

void cProgrammtipp::Parse(const std::string& tip) {
    for (const TipRow& r : kTipRows) GetElementValue(tip, r.name, &(this->*r.member));
}

void cProgrammtipp::WriteToBuffer(std::string* out) {
    out->append("<tipp>");
    for (const TipRow& r : kTipRows) WriteEscapedTextToBuffer(out, r.name, this->*r.member);
    out->append("</tipp>");
}

std::vector<std::unique_ptr<cProgrammtipp>> ParseProgrammtipps(const std::string& text) {
    std::vector<std::unique_ptr<cProgrammtipp>> list;
    size_t pos = 0;
    std::string tip;
    while (NextElementText(text, "tipp", &tip, &pos)) {
        std::unique_ptr<cProgrammtipp> t(new cProgrammtipp);
        t->Parse(tip);
        list.push_back(std::move(t));
    }
    return list;
}

std::vector<std::string> ParseLockedStreams(const std::string& text) {
    std::vector<std::string> out;
    Values(text, "locked", &out);
    return out;
}

// ---------------------------------------------------------------- own stations

const char* const cUserDefinedStation::kFieldNames[kFields] = {"N", "Id", "UH", "T", "R", "L",
                                                               "S", "K",  "IN", "US", "F"};

std::string& cUserDefinedStation::Field(const char* name) {
    for (int i = 0; i < kFields; ++i)
        if (strcmp(name, kFieldNames[i]) == 0) return fields[i];
    static thread_local std::string none;
    none.clear();
    return none;
}

void cUserDefinedStation::SetField(std::string name, std::string value) {
    for (int i = 0; i < kFields; ++i)
        if (name == kFieldNames[i]) fields[i] = value;
}

void cUserDefinedStation::Parse(const std::string& text) {
    for (int i = 0; i < kFields; ++i) GetElementValue(text, kFieldNames[i], &fields[i]);
}

void cUserDefinedStation::Write(std::string* out) {
    out->append("<UDSe>");
    for (int i = 0; i < kFields; ++i) WriteEscapedTextToBuffer(out, kFieldNames[i], fields[i]);
    out->append("</UDSe>");
}

void cUserDefinedStations::Parse(const std::string& text) {
    std::string array;
    if (!GetElementText(text, "SenderArray", &array)) return;
    size_t pos = 0;
    std::string one;
    while (NextElementText(array, "UDSe", &one, &pos)) {
        std::unique_ptr<cUserDefinedStation> s(new cUserDefinedStation);
        s->Parse(one);
        stations.push_back(std::move(s));
    }
}

std::string cUserDefinedStations::WriteText() {
    std::string out = "<?xml version=\"1.0\"?><UserDefinedStations><SenderArray>";
    for (auto& s : stations) s->Write(&out);
    out += "</SenderArray></UserDefinedStations>";
    return out;
}

int32_t cUserDefinedStations::GetNextId() const {
    uint32_t max = 0xFFFF0000u;
    for (const auto& s : stations) {
        uint32_t id = static_cast<uint32_t>(s->GetId());
        if (id > max) max = id;
    }
    return static_cast<int32_t>(max + 1);
}
