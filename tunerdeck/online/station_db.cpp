#include "station_db.h"

#include <cstring>
#include <string_view>

#include "player_cipher.h"

namespace {

void Field(const std::string& text, const char* name, std::string* member) { GetElementValue(text, name, member); }

// A tag and its length.
struct Tag {
    const char* text;
    size_t length;
};
template <size_t N>
constexpr Tag MakeTag(const char (&text)[N]) { return {text, N - 1}; }

// One of the three arrays: its element, the field names in the order of
// StationDbFields, and where the sink takes an element.
struct ArrayKind {
    const char* array;
    Tag arrayOpen, arrayClose;
    const char* element;
    Tag open, close;
    const char* const* fields;
    int fieldCount;
    void (cStationDbSink::*take)(const StationDbFields&);
};
const char* const kSenderNames[kSenderFields] = {"N", "Id", "U", "T", "R", "L"};
const char* const kChannelNames[kChannelFields] = {"N", "Id", "SID", "S", "G", "Tx", "Tx_ENG", "R", "T", "D", "M"};
const char* const kStreamNames[kStreamFields] = {"Id", "CID", "U", "F", "Q", "D"};
const ArrayKind kArrays[] = {
    {"SenderArray", MakeTag("<SenderArray>"), MakeTag("</SenderArray>"), "Se", MakeTag("<Se>"), MakeTag("</Se>"),
     kSenderNames, kSenderFields, &cStationDbSink::Sender},
    {"ChannelArray", MakeTag("<ChannelArray>"), MakeTag("</ChannelArray>"), "Ch", MakeTag("<Ch>"), MakeTag("</Ch>"),
     kChannelNames, kChannelFields, &cStationDbSink::Channel},
    {"StreamArray", MakeTag("<StreamArray>"), MakeTag("</StreamArray>"), "St", MakeTag("<St>"), MakeTag("</St>"),
     kStreamNames, kStreamFields, &cStationDbSink::Stream},
};
constexpr int kArrayCount = sizeof kArrays / sizeof kArrays[0];
bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool Named(const char* name, size_t length, const char* wanted) {
    for (size_t i = 0; i < length; ++i)
        if (wanted[i] != name[i] || wanted[i] == '\0') return false;
    return wanted[length] == '\0';
}

bool StartsWith(const char* p, const char* end, Tag tag) {
    return static_cast<size_t>(end - p) >= tag.length && memcmp(p, tag.text, tag.length) == 0;
}

enum class Scan { kDone, kOdd, kShort };

// Whether [p, end) starts with `tag` or, cut short by the end, with the
// start of it.
Scan At(const char* p, const char* end, Tag tag) {
    const size_t left = static_cast<size_t>(end - p);
    if (memcmp(p, tag.text, left < tag.length ? left : tag.length) != 0) return Scan::kOdd;
    return left < tag.length ? Scan::kShort : Scan::kDone;
}

// Takes the fields of an element written as a run of "<name>value</name>"
// (blanks between them allowed), each name's first value only, in one pass
// over the bytes. With `toClose` the run ends at the element's closing tag
// (*after behind it); without, at `end`. kOdd when the element has any
// other shape (the caller then reads it field by field), kShort when the
// bytes end before it does. A field named like the element or its array
// would nest, which the field-by-field reader balances: refused.
Scan ScanFields(const char* p, const char* end, const ArrayKind& kind, bool toClose, StationDbFields* f,
                const char** after) {
    int next = 0;
    for (;;) {
        while (p < end && Blank(*p)) ++p;
        if (p == end) {
            *after = p;
            return toClose ? Scan::kShort : Scan::kDone;
        }
        if (*p != '<') return Scan::kOdd;
        if (toClose) {
            const Scan closing = At(p, end, kind.close);
            if (closing == Scan::kDone) *after = p + kind.close.length;
            if (closing != Scan::kOdd) return closing;
        }
        const char* name = ++p;
        while (p < end && *p != '>' && *p != '<' && *p != '/') ++p;
        if (p == end) return Scan::kShort;
        if (*p != '>' || p == name) return Scan::kOdd;
        const size_t nameLength = static_cast<size_t>(p - name);
        if (Named(name, nameLength, kind.element) || Named(name, nameLength, kind.array)) return Scan::kOdd;
        const char* value = ++p;
        const auto* lt = static_cast<const char*>(memchr(p, '<', static_cast<size_t>(end - p)));
        if (!lt || static_cast<size_t>(end - lt) < nameLength + 3) return Scan::kShort;
        if (lt[1] != '/' || memcmp(lt + 2, name, nameLength) != 0 || lt[2 + nameLength] != '>') return Scan::kOdd;
        p = lt + nameLength + 3;
        // Fields mostly come in the kind's order: the one after the last
        // taken is tried first.
        int field = -1;
        for (int n = 0; n < kind.fieldCount && field < 0; ++n) {
            const int i = (next + n) % kind.fieldCount;
            if (Named(name, nameLength, kind.fields[i])) field = i;
        }
        if (field < 0) continue;
        next = field + 1;
        if (!f->at[field]) {
            f->at[field] = value;
            f->size[field] = static_cast<uint32_t>(lt - value);
            f->escaped[field] = memchr(value, '&', f->size[field]) != nullptr;
        }
    }
}

// An element of another shape, field by field over its content.
void ReadByField(const char* data, size_t size, const ArrayKind& kind, cStationDbSink* sink) {
    const std::string content(data, size);
    std::string values[StationDbFields::kMax];
    StationDbFields f;
    for (int i = 0; i < kind.fieldCount; ++i) {
        if (!GetElementValue(content, kind.fields[i], &values[i])) continue;
        f.at[i] = values[i].c_str();
        f.size[i] = static_cast<uint32_t>(values[i].size());
    }
    (sink->*kind.take)(f);
}

// One array, whose opening tag stands at `openedAt`. Elements follow each
// other with blanks between: each is taken where it stands. At anything
// else the array's extent is found by its tags and the rest of it searched
// element by element. Returns the offset of the array's closing tag, or of
// where its elements ended when it has none.
size_t WalkArray(const char* text, size_t size, size_t openedAt, const ArrayKind& kind, cStationDbSink* sink) {
    const char* const end = text + size;
    const char* p = text + openedAt + kind.arrayOpen.length;
    for (;;) {
        while (p < end && Blank(*p)) ++p;
        if (StartsWith(p, end, kind.arrayClose)) return static_cast<size_t>(p - text);
        if (!StartsWith(p, end, kind.open)) break;
        StationDbFields f;
        const char* after = nullptr;
        if (ScanFields(p + kind.open.length, end, kind, true, &f, &after) != Scan::kDone) break;
        (sink->*kind.take)(f);
        p = after;
    }
    size_t pos = openedAt, arrayBegin = 0, arrayEnd = 0;
    if (!NextElementSpan(text, size, kind.array, &arrayBegin, &arrayEnd, &pos)) return static_cast<size_t>(p - text);
    size_t at = static_cast<size_t>(p - text), elementBegin = 0, elementEnd = 0;
    while (NextElementSpan(text, arrayEnd, kind.element, &elementBegin, &elementEnd, &at)) {
        StationDbFields f;
        const char* after = nullptr;
        if (ScanFields(text + elementBegin, text + elementEnd, kind, false, &f, &after) == Scan::kDone)
            (sink->*kind.take)(f);
        else
            ReadByField(text + elementBegin, elementEnd - elementBegin, kind, sink);
    }
    return arrayEnd;
}

// The category lists: "listen" with one block per kind of "item" elements.
void ReadLists(const std::string& listen, cStationDbSink* sink) {
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
            sink->Category(kind, std::move(ci));
        }
    }
}

// Builds the documents of a cStationDbDoc.
class DocSink : public cStationDbSink {
public:
    explicit DocSink(cStationDbDoc* db) : db_(db) {}
    void Sender(const StationDbFields& f) override {
        std::unique_ptr<cSenderDoc> d(new cSenderDoc);
        d->N = f.Text(kSeN);
        d->Id = f.Text(kSeId);
        d->U = f.Text(kSeU);
        d->T = f.Text(kSeT);
        d->R = f.Text(kSeR);
        d->L = f.Text(kSeL);
        db_->senders.push_back(std::move(d));
    }
    void Channel(const StationDbFields& f) override {
        std::unique_ptr<cChannelDoc> d(new cChannelDoc);
        std::string* members[kChannelFields] = {&d->N, &d->Id, &d->SID, &d->S, &d->G, &d->Tx,
                                                &d->Tx_ENG, &d->R, &d->T, &d->D, &d->M};
        for (int i = 0; i < kChannelFields; ++i) *members[i] = f.Text(i);
        db_->channels.push_back(std::move(d));
    }
    void Stream(const StationDbFields& f) override {
        std::unique_ptr<cStreamDoc> d(new cStreamDoc);
        d->Id = static_cast<uint32_t>(f.Number64(kStId));
        d->CID = static_cast<uint32_t>(f.Number64(kStCID));
        d->U = f.Text(kStU);
        d->F = static_cast<uint8_t>(f.Number(kStF));
        d->Q = f.Number(kStQ);
        d->D = f.Number(kStD);
        db_->streams.push_back(std::move(d));
    }
    void Category(int kind, CategoryItem item) override { db_->lists[kind].push_back(std::move(item)); }

private:
    cStationDbDoc* db_;
};

void Put(cXmlDocument* d, std::string* out, const char* name, const std::string& value) {
    d->WriteEscapedTextToBuffer(out, name, value);
}

}  // namespace

std::string StationDbFields::Text(int field) const {
    if (field < 0 || field >= kMax || !at[field]) return std::string();
    std::string s(at[field], size[field]);
    if (escaped[field]) XmlUnescapeEntities(&s);
    return s;
}

int64_t StationDbFields::Number64(int field) const {
    return field >= 0 && field < kMax && at[field] ? XmlToInt64(at[field], size[field]) : 0;
}

int32_t StationDbFields::Number(int field) const {
    return field >= 0 && field < kMax && at[field] ? XmlToInt(at[field], size[field]) : 0;
}

void ReadStationDbText(const char* text, size_t size, cStationDbSink* sink) {
    if (!text || !sink) return;
    const std::string_view doc(text, size);
    size_t pos = 0;
    for (const ArrayKind& kind : kArrays) {
        const size_t at = doc.find(std::string_view(kind.arrayOpen.text, kind.arrayOpen.length), pos);
        if (at != std::string_view::npos) pos = WalkArray(text, size, at, kind, sink);
    }
    // Written behind the arrays; a text that has them elsewhere is searched
    // from its start.
    size_t begin = 0, end = 0, from = pos;
    if (!NextElementSpan(text, size, "listen", &begin, &end, &from)) {
        from = 0;
        if (!NextElementSpan(text, size, "listen", &begin, &end, &from)) return;
    }
    if (end > begin) ReadLists(std::string(text + begin, end - begin), sink);
}

bool cStationDbStream::Feed(const char* data, size_t size) {
    if (failed_) return false;
    if (array_ < kArrayCount) {
        // What was read is dropped: the rest is at most an element.
        pending_.erase(0, at_);
        at_ = 0;
    }
    pending_.append(data, size);
    return Advance(false);
}

bool cStationDbStream::Finish() {
    if (failed_ || !Advance(true) || array_ < kArrayCount) return false;
    size_t begin = 0, end = 0, from = at_;
    if (!NextElementSpan(pending_.data(), pending_.size(), "listen", &begin, &end, &from)) return false;
    if (end > begin) ReadLists(pending_.substr(begin, end - begin), sink_);
    return true;
}

// Reads as far as the pieces fed so far go. With `last` nothing more comes,
// so a text cut short is one for the whole-text reader.
bool cStationDbStream::Advance(bool last) {
    const char* const base = pending_.data();
    const char* const end = base + pending_.size();
    auto wait = [&]() {
        failed_ = last;
        return !last;
    };
    while (array_ < kArrayCount) {
        const ArrayKind& kind = kArrays[array_];
        const char* p = base + at_;
        if (!inArray_) {
            const std::string_view rest(p, static_cast<size_t>(end - p));
            const size_t open = rest.find(std::string_view(kind.arrayOpen.text, kind.arrayOpen.length));
            if (open == std::string_view::npos) {
                // Its start may stand at the end of this piece.
                const size_t keep = kind.arrayOpen.length - 1;
                if (rest.size() > keep) at_ += rest.size() - keep;
                return wait();
            }
            at_ += open + kind.arrayOpen.length;
            inArray_ = true;
            continue;
        }
        while (p < end && Blank(*p)) ++p;
        at_ = static_cast<size_t>(p - base);
        if (p == end) return wait();
        const Scan closing = At(p, end, kind.arrayClose);
        if (closing == Scan::kShort) return wait();
        if (closing == Scan::kDone) {
            at_ += kind.arrayClose.length;
            inArray_ = false;
            ++array_;
            continue;
        }
        const Scan opening = At(p, end, kind.open);
        if (opening == Scan::kShort) return wait();
        StationDbFields f;
        const char* after = nullptr;
        const Scan element =
            opening == Scan::kOdd ? Scan::kOdd : ScanFields(p + kind.open.length, end, kind, true, &f, &after);
        if (element == Scan::kShort) return wait();
        if (element == Scan::kOdd) {
            failed_ = true;
            return false;
        }
        (sink_->*kind.take)(f);
        at_ = static_cast<size_t>(after - base);
    }
    return true;
}

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
    DocSink sink(this);
    ReadStationDbText(text.data(), text.size(), &sink);
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
