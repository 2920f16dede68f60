#include "xml_core.h"

#include <climits>
#include <cstring>
#include <string_view>

namespace {

struct Entity {
    const char* text;
    size_t len;
    char ch;
};
constexpr Entity kEntities[] = {{"&amp;", 5, '&'}, {"&lt;", 4, '<'}, {"&gt;", 4, '>'}, {"&quot;", 6, '"'},
                                {"&apos;", 6, '\''}};

// The entity names are ASCII: case is folded for A-Z only, whatever the
// locale.
char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameNoCase(const char* a, const char* b, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    return true;
}

// Element names longer than this are not searched (none of the system's
// names comes near it).
constexpr size_t kMaxNameLength = 100;

}  // namespace

void XmlEscapeEntities(std::string* text) {
    if (!text) return;
    std::string out;
    out.reserve(text->size() + 16);
    for (char c : *text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&apos;"; break;
            default: out += c;
        }
    }
    text->swap(out);
}

std::string XmlEscaped(const std::string& text) {
    std::string s = text;
    XmlEscapeEntities(&s);
    return s;
}

void XmlUnescapeEntities(std::string* text) {
    if (!text || text->find('&') == std::string::npos) return;
    std::string& s = *text;
    size_t w = 0;
    for (size_t r = 0; r < s.size();) {
        if (s[r] == '&') {
            bool done = false;
            for (const Entity& e : kEntities) {
                if (s.size() - r >= e.len && SameNoCase(s.data() + r, e.text, e.len)) {
                    s[w++] = e.ch;
                    r += e.len;
                    done = true;
                    break;
                }
            }
            if (done) continue;
        }
        s[w++] = s[r++];
    }
    s.resize(w);
}

int NextElementSpan(const char* data, size_t size, const char* name, size_t* contentStart, size_t* contentEnd,
                    size_t* position) {
    if (!data || !name || !position) return 0;
    size_t nameLen = strlen(name);
    if (nameLen == 0 || nameLen > kMaxNameLength || *position > size) return 0;
    char open[kMaxNameLength + 3], close[kMaxNameLength + 4];
    open[0] = '<';
    memcpy(open + 1, name, nameLen);
    open[nameLen + 1] = '>';
    close[0] = '<';
    close[1] = '/';
    memcpy(close + 2, name, nameLen);
    close[nameLen + 2] = '>';
    const std::string_view doc(data, size), o(open, nameLen + 2), c(close, nameLen + 3);
    size_t start = doc.find(o, *position);
    if (start == std::string_view::npos) return 0;
    size_t begin = start + o.size();
    size_t end = doc.find(c, begin);
    if (end == std::string_view::npos) return 0;
    // Each further opening tag before the closing tag found so far needs a
    // closing tag of its own.
    size_t scan = begin;
    for (;;) {
        size_t inner = doc.find(o, scan);
        if (inner == std::string_view::npos || inner >= end) break;
        scan = inner + o.size();
        end = doc.find(c, end + c.size());
        if (end == std::string_view::npos) return 0;
    }
    if (contentStart) *contentStart = begin;
    if (contentEnd) *contentEnd = end;
    *position = end;
    return 1;
}

int NextElementText(const std::string& doc, const char* name, std::string* out, size_t* position) {
    size_t begin = 0, end = 0;
    if (!NextElementSpan(doc.data(), doc.size(), name, &begin, &end, position)) return 0;
    if (out) out->assign(doc, begin, end - begin);
    return 1;
}

int GetElementText(const std::string& doc, const char* name, std::string* out) {
    size_t pos = 0;
    return NextElementText(doc, name, out, &pos);
}

int GetElementValue(const std::string& doc, const char* name, std::string* out) {
    std::string v;
    if (!GetElementText(doc, name, &v)) return 0;
    XmlUnescapeEntities(&v);
    if (out) out->swap(v);
    return 1;
}

int64_t XmlToInt64(const char* p, size_t size) {
    if (!p) return 0;
    const char* end = p + size;
    while (p < end && (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n')) ++p;
    bool neg = false;
    if (p < end && (*p == '-' || *p == '+')) neg = *p++ == '-';
    int64_t v = 0;
    while (p < end && *p >= '0' && *p <= '9') {
        if (v < (INT64_MAX - 9) / 10) v = v * 10 + (*p - '0');
        ++p;
    }
    return neg ? -v : v;
}

int32_t XmlToInt(const char* text, size_t size) {
    int64_t v = XmlToInt64(text, size);
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(v);
}

int64_t XmlToInt64(const std::string& text) { return XmlToInt64(text.data(), text.size()); }
int32_t XmlToInt(const std::string& text) { return XmlToInt(text.data(), text.size()); }

int cXmlDocument::WriteIntToBuffer(std::string* buffer, const char* name, int32_t value) {
    return WriteTextToBuffer(buffer, name, std::to_string(value));
}

int cXmlDocument::WriteEscapedTextToBuffer(std::string* buffer, const char* name, const std::string& text) {
    return WriteTextToBuffer(buffer, name, XmlEscaped(text));
}

int cXmlDocument::WriteTextToBuffer(std::string* buffer, const char* name, const std::string& text) {
    if (!buffer || !name) return 0;
    size_t before = buffer->size();
    buffer->append("<").append(name).append(">").append(text).append("</").append(name).append(">");
    return static_cast<int>(buffer->size() - before);
}
