#include "podcast_rss.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "textutil.h"

namespace rss {

namespace {

char Lower(char c) { return static_cast<char>(tolower(static_cast<unsigned char>(c))); }

// Case-insensitive search of `find` in text[from, length).
size_t FindNoCase(const char* text, size_t length, const char* find, size_t from) {
    size_t n = strlen(find);
    if (n == 0 || from > length || length - from < n) return std::string::npos;
    for (size_t i = from; i + n <= length; ++i) {
        size_t k = 0;
        while (k < n && Lower(text[i + k]) == Lower(find[k])) ++k;
        if (k == n) return i;
    }
    return std::string::npos;
}

bool ContinuesName(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return isalnum(u) || c == '-' || c == '_' || c == ':' || c == '.' || u >= 0x80;
}

// Next opening tag "<name" whose name ends there, at or behind `from`.
size_t FindOpening(const char* text, size_t length, const std::string& open, size_t from) {
    for (;;) {
        size_t at = FindNoCase(text, length, open.c_str(), from);
        if (at == std::string::npos) return at;
        size_t behind = at + open.size();
        if (behind >= length || !ContinuesName(text[behind])) return at;
        from = at + 1;
    }
}

bool ParseInt64(const std::string& s, int64_t* out) {
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    if (i == s.size() || !isdigit(static_cast<unsigned char>(s[i]))) return false;
    int64_t v = 0;
    for (; i < s.size() && isdigit(static_cast<unsigned char>(s[i])); ++i) {
        if (v > (INT64_MAX - 9) / 10) return false;
        v = v * 10 + (s[i] - '0');
    }
    *out = v;
    return true;
}

// Next word behind blanks, at most `keep` characters of it.
const char* Word(const char* p, char* out, size_t keep) {
    while (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n') ++p;
    size_t n = 0;
    while (*p && *p != ' ' && *p != '\t' && *p != '\r' && *p != '\n') {
        if (n < keep) out[n++] = *p;
        ++p;
    }
    out[n] = 0;
    return p;
}

int SmallNumber(const char* word, int limit) {
    long v = 0;
    for (const char* p = word; *p >= '0' && *p <= '9'; ++p) {
        v = v * 10 + (*p - '0');
        if (v > limit) return 0;
    }
    return static_cast<int>(v);
}

void ReplaceAll(std::string* text, const char* find, const char* with) {
    size_t n = strlen(find), w = strlen(with);
    for (size_t at = text->find(find); at != std::string::npos; at = text->find(find, at + w))
        text->replace(at, n, with);
}

std::string CleanName(std::string name, size_t cap) {
    if (name.size() > cap) name.resize(cap);
    std::vector<char> buf(name.begin(), name.end());
    buf.push_back(0);
    EnsureFileName(buf.data());
    return std::string(buf.data());
}

}  // namespace

bool LocateElement(const char* text, size_t length, const char* name, size_t from, ElementSpan* span) {
    if (!text || !name || !*name) return false;
    std::string open = std::string("<") + name;
    std::string close = std::string("</") + name + ">";
    size_t at = FindOpening(text, length, open, from);
    if (at == std::string::npos) return false;
    size_t behind = at + open.size();
    if (behind >= length) return false;
    ElementSpan s;
    s.start = at;
    if (text[behind] == '>') {
        s.contentStart = behind + 1;
    } else {
        const void* gt = memchr(text + behind, '>', length - behind);
        if (!gt) return false;
        size_t end = static_cast<const char*>(gt) - text;
        s.attrStart = behind;
        s.attrLength = end - behind;
        if (end > behind && text[end - 1] == '/') {
            s.selfClosing = true;
            s.attrLength -= 1;
            s.contentStart = s.contentEnd = end + 1;
            s.end = end + 1;
            *span = s;
            return true;
        }
        s.contentStart = end + 1;
    }
    size_t closeAt = FindNoCase(text, length, close.c_str(), s.contentStart);
    if (closeAt == std::string::npos) return false;
    size_t scan = s.contentStart;
    for (;;) {
        size_t inner = FindOpening(text, length, open, scan);
        if (inner == std::string::npos || inner >= closeAt) break;
        closeAt = FindNoCase(text, length, close.c_str(), closeAt + close.size());
        if (closeAt == std::string::npos) return false;
        scan = inner + 1;
    }
    s.contentEnd = closeAt;
    s.end = closeAt + close.size();
    *span = s;
    return true;
}

bool FindElement(const char* text, size_t length, const char* name, std::string* content, std::string* attributes,
                 size_t* position) {
    if (content) content->clear();
    if (attributes) attributes->clear();
    size_t from = position ? *position : 0;
    ElementSpan s;
    if (!LocateElement(text, length, name, from, &s)) return false;
    if (attributes) attributes->assign(text + s.attrStart, s.attrLength);
    if (s.selfClosing) return false;
    if (content) content->assign(text + s.contentStart, s.contentEnd - s.contentStart);
    if (position) *position = s.contentEnd;
    return true;
}

bool GetAttribute(const std::string& attributes, const char* name, std::string* value) {
    size_t n = strlen(name);
    const char* a = attributes.c_str();
    for (size_t at = 0; (at = FindNoCase(a, attributes.size(), name, at)) != std::string::npos; ++at) {
        if (at > 0 && ContinuesName(a[at - 1])) continue;
        size_t p = at + n;
        while (p < attributes.size() && isspace(static_cast<unsigned char>(a[p]))) ++p;
        if (p >= attributes.size() || a[p] != '=') continue;
        ++p;
        while (p < attributes.size() && isspace(static_cast<unsigned char>(a[p]))) ++p;
        if (p >= attributes.size()) return false;
        char quote = a[p];
        if (quote == '"' || quote == '\'') {
            size_t end = attributes.find(quote, p + 1);
            if (end == std::string::npos) return false;
            value->assign(a + p + 1, end - p - 1);
        } else {
            size_t end = p;
            while (end < attributes.size() && !isspace(static_cast<unsigned char>(a[end])) && a[end] != '/') ++end;
            value->assign(a + p, end - p);
        }
        return true;
    }
    return false;
}

EpisodeDate ParseDate(const char* text) {
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug",
                                          "Sep", "Oct", "Nov", "Dec", "Jan", "Feb", "Mar", "Apr",
                                          "Mai", "Jun", "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"};
    EpisodeDate d;
    if (!text) return d;
    const char* p = strchr(text, ',');
    p = p ? p + 1 : text;
    char word[16];
    p = Word(p, word, 8);
    // Out-of-range parts count as 0 so the number never overflows.
    int day = SmallNumber(word, 99);
    p = Word(p, word, 10);
    int month = 0;
    if (strlen(word) >= 3) {
        for (int i = 0; i < 24; ++i) {
            if (Lower(word[0]) == Lower(kMonths[i][0]) && Lower(word[1]) == Lower(kMonths[i][1]) &&
                Lower(word[2]) == Lower(kMonths[i][2])) {
                month = i + 1 > 12 ? i + 1 - 12 : i + 1;
                break;
            }
        }
    }
    Word(p, word, 10);
    int year = SmallNumber(word, 9999);
    if (year < 100) year += 2000;
    snprintf(d.text, sizeof d.text, "%02d.%02d.%04d", day, month, year);
    d.number = year * 10000 + month * 100 + day;
    return d;
}

void DecodeEntities(std::string* text, bool shown) {
    if (text->find('&') != std::string::npos) {
        ReplaceAll(text, "&amp;", "&");
        ReplaceAll(text, "&lt;", "<");
        ReplaceAll(text, "&gt;", ">");
        ReplaceAll(text, "&quot;", "\"");
        ReplaceAll(text, "&apos;", "'");
    }
    if (!shown || text->find_first_of("&%") == std::string::npos) return;
    std::vector<char> buf(text->begin(), text->end());
    buf.push_back(0);
    DoZeichenersetzung(buf.data());
    text->assign(buf.data());
}

unsigned DeclaredCodePage(const char* text, size_t length) {
    size_t decl = FindNoCase(text, length, "<?xml", 0);
    if (decl == std::string::npos) return kLatin1;
    size_t end = FindNoCase(text, length, "?>", decl);
    if (end == std::string::npos) return kLatin1;
    size_t enc = FindNoCase(text, end, "encoding=", decl);
    if (enc == std::string::npos) return kLatin1;
    size_t q = enc + 9;
    if (q >= end || text[q] != '"') return kLatin1;
    const void* q2 = memchr(text + q + 1, '"', end - q - 1);
    if (!q2) return kLatin1;
    std::string value(text + q + 1, static_cast<const char*>(q2) - (text + q + 1));
    for (auto& c : value) c = Lower(c);
    if (value == "utf-8") return kUtf8;
    if (value == kLocalAnsiName) return kLocalAnsi;
    return kLatin1;
}

std::string MarkLocalAnsi(const std::string& text) {
    const char* t = text.c_str();
    size_t decl = FindNoCase(t, text.size(), "<?xml", 0);
    size_t end = decl == std::string::npos ? decl : FindNoCase(t, text.size(), "?>", decl);
    std::string mark = std::string("encoding=\"") + kLocalAnsiName + "\"";
    if (end == std::string::npos) return "<?xml version=\"1.0\" " + mark + "?>\n" + text;
    size_t enc = FindNoCase(t, end, "encoding=", decl);
    if (enc == std::string::npos) return text.substr(0, end) + " " + mark + text.substr(end);
    // The old value runs to the next quote or blank inside the declaration.
    size_t v = enc + 9, ve = v;
    char quote = v < end ? text[v] : 0;
    if (quote == '"' || quote == '\'') {
        size_t q = text.find(quote, v + 1);
        ve = q != std::string::npos && q < end ? q + 1 : end;
    } else {
        while (ve < end && text[ve] != ' ') ++ve;
    }
    return text.substr(0, enc) + mark + text.substr(ve);
}

bool ItemHasEnclosure(const char* item, size_t length) {
    ElementSpan s;
    size_t from = 0;
    while (LocateElement(item, length, "enclosure", from, &s)) {
        std::string attrs(item + s.attrStart, s.attrLength), url;
        if (GetAttribute(attrs, "url", &url) && !url.empty()) return true;
        from = s.start + 1;
    }
    return false;
}

PruneResult PruneItems(std::string* document) {
    PruneResult r;
    std::vector<int32_t> weighed;
    std::string out;
    out.reserve(document->size());
    const char* t = document->c_str();
    size_t len = document->size(), pos = 0;
    ElementSpan s;
    // Items without an enclosure (and stray self-closing ones) go; the rest
    // is copied as it stands.
    std::vector<std::pair<size_t, size_t>> kept;   // item spans in `out`
    while (LocateElement(t, len, "item", pos, &s)) {
        out.append(t + pos, s.start - pos);
        bool keep = !s.selfClosing && ItemHasEnclosure(t + s.contentStart, s.contentEnd - s.contentStart);
        if (keep) {
            size_t itemStart = out.size();
            out.append(t + s.start, s.end - s.start);
            kept.emplace_back(itemStart, out.size());
            std::string pub;
            size_t p = 0;
            FindElement(t + s.contentStart, s.contentEnd - s.contentStart, "pubDate", &pub, nullptr, &p);
            EpisodeDate d = pub.empty() ? EpisodeDate() : ParseDate(pub.c_str());
            if (static_cast<int>(weighed.size()) < kMaxWeighedDates) weighed.push_back(d.number);
            if (r.count < 51) r.dates[r.count + 1] = d;
            ++r.count;
        }
        pos = s.end;
    }
    out.append(t + pos, len - pos);
    document->swap(out);
    if (r.count <= kMaxEpisodes) return r;

    std::sort(weighed.begin(), weighed.end(), std::greater<int32_t>());
    int32_t limit = weighed[kMaxEpisodes - 2];
    out.clear();
    out.reserve(document->size());
    t = document->c_str();
    size_t last = 0;
    int shown = 0;
    for (int i = 1; i <= kEpisodeRecords; ++i) r.dates[i] = EpisodeDate();
    for (const auto& k : kept) {
        std::string pub;
        size_t p = 0;
        FindElement(t + k.first, k.second - k.first, "pubDate", &pub, nullptr, &p);
        EpisodeDate d = pub.empty() ? EpisodeDate() : ParseDate(pub.c_str());
        out.append(t + last, k.first - last);
        last = k.second;
        if (d.number < limit) continue;
        out.append(t + k.first, k.second - k.first);
        ++shown;
        if (shown <= kMaxEpisodes) r.dates[shown] = d;
    }
    out.append(t + last, document->size() - last);
    document->swap(out);
    r.count = std::min(shown, kMaxEpisodes);
    return r;
}

int CountItems(const char* text, size_t length, int cap) {
    int n = 0;
    size_t pos = 0;
    ElementSpan s;
    while (n < cap && LocateElement(text, length, "item", pos, &s)) {
        if (!s.selfClosing) ++n;
        pos = s.end;
    }
    return n;
}

bool GetItem(const char* text, size_t length, int index, std::string* content) {
    size_t pos = 0;
    ElementSpan s;
    for (int n = 0; LocateElement(text, length, "item", pos, &s); pos = s.end) {
        if (s.selfClosing) continue;
        if (++n == index) {
            content->assign(text + s.contentStart, s.contentEnd - s.contentStart);
            return true;
        }
    }
    return false;
}

std::string SizeText(int64_t bytes) {
    if (bytes <= 0) return std::string();
    char buf[48];
    snprintf(buf, sizeof buf, "%lld,%02d MB", static_cast<long long>(bytes / 1048576),
             static_cast<int>((bytes % 1048576) / 10486));
    return buf;
}

std::string ProgressText(int64_t received, int64_t total, const std::string& sizeText) {
    char text[200];
    if (received < 0) received = 0;
    long long mb = received / 1048576;
    int hundredths = static_cast<int>(received % 1048576 / 10486);
    const char* s = sizeText.c_str();
    if (total > 0) {
        int percent = static_cast<int>(std::min<int64_t>(100, received / total >= 1 ? 100 : received * 100 / total));
        snprintf(text, sizeof text, "%2d%%  (%lld,%02d MB / %s)", percent, mb, hundredths, s);
    } else if (received >= 1048576) {
        if (sizeText.empty())
            snprintf(text, sizeof text, "%lld,%02d MB", mb, hundredths);
        else
            snprintf(text, sizeof text, "%lld,%02d MB / %s", mb, hundredths, s);
    } else {
        int kb = static_cast<int>(received / 1024), rest = static_cast<int>(received % 1024 / 10);
        if (sizeText.empty())
            snprintf(text, sizeof text, "%d,%02d kB", kb, rest);
        else
            snprintf(text, sizeof text, "%d,%02d kB / %s", kb, rest, s);
    }
    return text;
}

int64_t EnclosureLength(const std::string& attributes) {
    std::string v;
    int64_t n = 0;
    if (GetAttribute(attributes, "length", &v) && ParseInt64(v, &n)) return n;
    if (GetAttribute(attributes, "filesize", &v) && ParseInt64(v, &n)) return n;
    return 0;
}

void DropControlBytes(std::string* text) {
    // A tab reads as a blank; other control bytes would split or end the
    // rows the texts are shown in (0x01, 0x02, 0x05 are their separators).
    for (char& c : *text)
        if (c == '\t') c = ' ';
    text->erase(std::remove_if(text->begin(), text->end(),
                               [](char c) { return static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\r'; }),
                text->end());
}

void TrimTitle(std::string* text) {
    size_t cdata = text->find("<![CDATA[");
    if (cdata != std::string::npos) {
        text->erase(cdata, 9);
        size_t end = text->find("]]>", cdata);
        if (end != std::string::npos) text->erase(end, 3);
    }
    DropControlBytes(text);
    auto ws = [](char c) { return c == '\n' || c == '\r' || c == ' '; };
    size_t b = 0, e = text->size();
    while (b < e && ws((*text)[b])) ++b;
    while (e > b && ws((*text)[e - 1])) --e;
    *text = text->substr(b, e - b);
    // Line breaks inside a title would break the row it stands in.
    for (char& c : *text)
        if (c == '\n' || c == '\r') c = ' ';
}

void RemoveLineBreaks(std::string* text) {
    DropControlBytes(text);
    text->erase(std::remove_if(text->begin(), text->end(), [](char c) { return c == '\n' || c == '\r'; }),
                text->end());
}

std::string AddressTag(const char* address) {
    uint32_t h = 2166136261u;
    for (const char* p = address ? address : ""; *p; ++p) h = (h ^ static_cast<unsigned char>(*p)) * 16777619u;
    char buf[12];
    snprintf(buf, sizeof buf, "%08x", h);
    return buf;
}

std::string EpisodeFileName(const char* address) {
    std::string a = address ? address : "";
    size_t cut = a.rfind('\\');
    if (cut != std::string::npos) a.erase(0, cut + 1);
    cut = a.rfind('/');
    if (cut != std::string::npos) a.erase(0, cut + 1);
    std::string name = CleanName(a, 150);
    if (name.empty()) name = "episode_" + AddressTag(address) + ".mp3";
    return name;
}

std::string PodcastFolderName(const char* title, unsigned long id) {
    std::string name = CleanName(title ? title : "", 100);
    if (name.empty()) {
        char buf[32];
        snprintf(buf, sizeof buf, "podcast_%lu", id);
        name = buf;
    }
    return name;
}

std::string FeedFileName(const char* address, unsigned long id) {
    std::string a = address ? address : "";
    // Long addresses keep their start and get a tag, so paths stay short
    // and two long addresses with the same start do not share a file.
    std::string name = a.size() > 150 ? CleanName(a.substr(0, 140), 140) + "_" + AddressTag(address) : CleanName(a, 150);
    if (name.empty()) {
        char buf[32];
        snprintf(buf, sizeof buf, "feed_%lu", id);
        name = buf;
    }
    return name;
}

int64_t Mp3Seconds(int64_t fileSize, int64_t headerOffset, int bitrateKbps) {
    if (bitrateKbps <= 0 || fileSize <= headerOffset) return 0;
    return (fileSize - headerOffset) * 8 / bitrateKbps / 1000;
}

}  // namespace rss
