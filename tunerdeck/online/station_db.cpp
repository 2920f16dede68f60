#include "station_db.h"

#include <cstring>

#include "player_cipher.h"

namespace {

void Field(const std::string& text, const char* name, std::string* member) { GetElementValue(text, name, member); }

// Takes the fields of one element written as a run of "<name>value</name>"
// (blanks between them allowed), each name's first value only, in one pass
// over the bytes. False when the element has any other shape; the caller
// then reads it field by field.
bool ScanFields(const char* p, const char* end, cXmlDocument* doc) {
    struct Seen {
        const char* name;
        size_t length;
    } seen[16];
    size_t seenCount = 0;
    for (;;) {
        while (p < end && (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n')) ++p;
        if (p == end) return true;
        if (*p != '<') return false;
        const char* name = ++p;
        while (p < end && *p != '>' && *p != '<' && *p != '/') ++p;
        if (p == end || *p != '>' || p == name) return false;
        const size_t nameLength = static_cast<size_t>(p - name);
        const char* value = ++p;
        const auto* lt = static_cast<const char*>(memchr(p, '<', static_cast<size_t>(end - p)));
        if (!lt || static_cast<size_t>(end - lt) < nameLength + 3 || lt[1] != '/' ||
            memcmp(lt + 2, name, nameLength) != 0 || lt[2 + nameLength] != '>')
            return false;
        p = lt + nameLength + 3;
        bool again = false;
        for (size_t i = 0; i < seenCount && !again; ++i)
            again = seen[i].length == nameLength && memcmp(seen[i].name, name, nameLength) == 0;
        if (again) continue;
        if (seenCount == sizeof seen / sizeof seen[0]) return false;
        seen[seenCount++] = {name, nameLength};
        std::string v(value, static_cast<size_t>(lt - value));
        if (memchr(v.data(), '&', v.size())) XmlUnescapeEntities(&v);
        doc->SetField(std::string(name, nameLength), std::move(v));
    }
}

template <typename Doc>
void WalkArray(const char* data, size_t size, const char* element, std::vector<std::unique_ptr<Doc>>* out) {
    size_t pos = 0, begin = 0, end = 0;
    while (NextElementSpan(data, size, element, &begin, &end, &pos)) {
        std::unique_ptr<Doc> doc(new Doc);
        if (!ScanFields(data + begin, data + end, doc.get())) {
            doc.reset(new Doc);
            doc->Parse(std::string(data + begin, end - begin));
        }
        out->push_back(std::move(doc));
    }
}

void Put(cXmlDocument* d, std::string* out, const char* name, const std::string& value) {
    d->WriteEscapedTextToBuffer(out, name, value);
}

}  // namespace

const char* CategoryElementName(int kind) {
    static const char* const names[kCatKinds] = {"typ", "genre", "top_genre", "sprache", "land", "region", "kontinente"};
    return kind >= 0 && kind < kCatKinds ? names[kind] : "";
}

// ---------------------------------------------------------------- Se

void cSenderDoc::SetField(std::string name, std::string value) {
    if (name == "N") N = std::move(value);
    else if (name == "Id") Id = std::move(value);
    else if (name == "U") U = std::move(value);
    else if (name == "T") T = std::move(value);
    else if (name == "R") R = std::move(value);
    else if (name == "L") L = std::move(value);
}

void cSenderDoc::Parse(const std::string& text) {
    Field(text, "N", &N);
    Field(text, "Id", &Id);
    Field(text, "U", &U);
    Field(text, "T", &T);
    Field(text, "R", &R);
    Field(text, "L", &L);
}

void cSenderDoc::Write(std::string* out) {
    out->append("<Se>");
    Put(this, out, "N", N);
    Put(this, out, "Id", Id);
    Put(this, out, "U", U);
    Put(this, out, "T", T);
    Put(this, out, "R", R);
    Put(this, out, "L", L);
    out->append("</Se>");
}

// ---------------------------------------------------------------- Ch

void cChannelDoc::SetField(std::string name, std::string value) {
    std::string* m = name == "N" ? &N : name == "Id" ? &Id : name == "SID" ? &SID : name == "S" ? &S
                   : name == "G" ? &G : name == "Tx" ? &Tx : name == "Tx_ENG" ? &Tx_ENG : name == "R" ? &R
                   : name == "T" ? &T : name == "D" ? &D : name == "M" ? &M : nullptr;
    if (m) *m = std::move(value);
}

void cChannelDoc::Parse(const std::string& text) {
    Field(text, "N", &N);
    Field(text, "Id", &Id);
    Field(text, "SID", &SID);
    Field(text, "S", &S);
    Field(text, "G", &G);
    Field(text, "Tx", &Tx);
    Field(text, "Tx_ENG", &Tx_ENG);
    Field(text, "R", &R);
    Field(text, "T", &T);
    Field(text, "D", &D);
    Field(text, "M", &M);
}

void cChannelDoc::Write(std::string* out) {
    out->append("<Ch>");
    Put(this, out, "N", N);
    Put(this, out, "Id", Id);
    Put(this, out, "SID", SID);
    Put(this, out, "S", S);
    Put(this, out, "G", G);
    Put(this, out, "Tx_ENG", Tx_ENG);
    Put(this, out, "Tx", Tx);
    Put(this, out, "R", R);
    Put(this, out, "T", T);
    Put(this, out, "D", D);
    if (!M.empty()) Put(this, out, "M", M);
    out->append("</Ch>");
}

// ---------------------------------------------------------------- St

void cStreamDoc::SetField(std::string name, std::string value) {
    if (name == "Id") Id = static_cast<uint32_t>(XmlToInt64(value));
    else if (name == "CID") CID = static_cast<uint32_t>(XmlToInt64(value));
    else if (name == "U") U = std::move(value);
    else if (name == "F") F = static_cast<uint8_t>(XmlToInt(value));
    else if (name == "Q") Q = XmlToInt(value);
    else if (name == "D") D = XmlToInt(value);
}

void cStreamDoc::Parse(const std::string& text) {
    static const char* const names[] = {"Id", "CID", "U", "F", "Q", "D"};
    for (const char* n : names) {
        std::string v;
        if (GetElementValue(text, n, &v)) SetField(n, v);
    }
}

void cStreamDoc::Write(std::string* out) {
    out->append("<St>");
    WriteIntToBuffer(out, "Id", static_cast<int32_t>(Id));
    WriteIntToBuffer(out, "CID", static_cast<int32_t>(CID));
    Put(this, out, "U", U);
    WriteIntToBuffer(out, "F", F);
    WriteIntToBuffer(out, "Q", Q);
    WriteIntToBuffer(out, "D", D);
    out->append("</St>");
}

// ---------------------------------------------------------------- whole text

void cStationDbDoc::Parse(const std::string& text) {
    // The three arrays must stand in this order; a missing one leaves the
    // position where it was, so the arrays behind it are still found.
    size_t pos = 0, begin = 0, end = 0;
    if (NextElementSpan(text.data(), text.size(), "SenderArray", &begin, &end, &pos))
        WalkArray(text.data() + begin, end - begin, "Se", &senders);
    if (NextElementSpan(text.data(), text.size(), "ChannelArray", &begin, &end, &pos))
        WalkArray(text.data() + begin, end - begin, "Ch", &channels);
    if (NextElementSpan(text.data(), text.size(), "StreamArray", &begin, &end, &pos))
        WalkArray(text.data() + begin, end - begin, "St", &streams);

    std::string listen;
    if (!GetElementText(text, "listen", &listen) || listen.empty()) return;
    for (int kind = 0; kind < kCatKinds; ++kind) {
        std::string block;
        if (!GetElementText(listen, CategoryElementName(kind), &block) || block.empty()) continue;
        size_t ipos = 0;
        std::string item;
        while (NextElementText(block, "item", &item, &ipos)) {
            CategoryItem ci;
            std::string v;
            if (GetElementValue(item, "ID", &v)) ci.id = XmlToInt(v);
            GetElementValue(item, "V", &ci.de);
            GetElementValue(item, "V_ENG", &ci.en);
            if (GetElementValue(item, "PID", &v)) ci.pid = XmlToInt(v);
            lists[kind].push_back(std::move(ci));
        }
    }
}

std::string cStationDbDoc::WriteText() {
    std::string out;
    out.reserve(50000 + (senders.size() + channels.size() + streams.size()) * 160);
    out += "<?xml version=\"1.0\"?><GetSenderStreamResp3><SenderArray>";
    for (auto& s : senders) s->Write(&out);
    out += "</SenderArray><ChannelArray>";
    for (auto& c : channels) c->Write(&out);
    out += "</ChannelArray><StreamArray>";
    for (auto& s : streams) s->Write(&out);
    out += "</StreamArray></GetSenderStreamResp3><listen>";
    for (int kind = 0; kind < kCatKinds; ++kind) {
        const char* name = CategoryElementName(kind);
        out.append("<").append(name).append(">");
        for (const CategoryItem& ci : lists[kind]) {
            out += "<item>";
            WriteIntToBuffer(&out, "ID", ci.id);
            Put(this, &out, "V", ci.de);
            Put(this, &out, "V_ENG", ci.en);
            WriteIntToBuffer(&out, "PID", ci.pid);
            out += "</item>";
        }
        out.append("</").append(name).append(">");
    }
    out += "</listen>";
    return out;
}

std::string cStationDbDoc::Write() { return EncipherPadded(WriteText()); }
