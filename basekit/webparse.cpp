#include "webparse.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "bounded_text.h"

namespace bk {
namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithNoCase(const char* s, size_t len, const char* prefix) {
    size_t n = strlen(prefix);
    if (len < n) return false;
    for (size_t i = 0; i < n; ++i)
        if (Lower(s[i]) != Lower(prefix[i])) return false;
    return true;
}

// Position of needle in [s, s+len), or len when absent.
size_t Find(const char* s, size_t len, const char* needle, bool noCase = false) {
    size_t n = strlen(needle);
    if (n == 0 || len < n) return len;
    for (size_t i = 0; i + n <= len; ++i) {
        size_t k = 0;
        while (k < n && (noCase ? Lower(s[i + k]) == Lower(needle[k]) : s[i + k] == needle[k])) ++k;
        if (k == n) return i;
    }
    return len;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// An entry with control bytes is no address (binary files, broken lists).
bool HasControl(const char* s, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (static_cast<unsigned char>(s[i]) < 0x20 && s[i] != '\t') return true;
    return false;
}

// Copies exactly n bytes and terminates; false (and an empty output) when
// they do not fit.
bool CopyExact(char* out, size_t outSize, const char* src, size_t n) {
    if (!out || outSize == 0) return false;
    if (n + 1 > outSize) {
        out[0] = 0;
        return false;
    }
    memcpy(out, src, n);
    out[n] = 0;
    return true;
}

// Copies at most outSize - 1 bytes of n and terminates.
void CopyCut(char* out, size_t outSize, const char* src, size_t n) {
    if (!out || outSize == 0) return;
    if (n > outSize - 1) n = outSize - 1;
    memcpy(out, src, n);
    out[n] = 0;
}

void Trim(const char** s, size_t* n) {
    while (*n > 0 && (IsBlank(**s))) {
        ++*s;
        --*n;
    }
    while (*n > 0 && (IsBlank((*s)[*n - 1]) || (*s)[*n - 1] == '\r' || (*s)[*n - 1] == '\n')) --*n;
}

// Walks the lines of a text: CR LF, LF or a lone CR end a line.
class LineReader {
public:
    LineReader(const char* data, size_t len) : p_(data), end_(data ? data + len : data) {}
    bool Next(const char** line, size_t* n) {
        if (!p_ || p_ >= end_) return false;
        const char* s = p_;
        while (p_ < end_ && *p_ != '\n' && *p_ != '\r') ++p_;
        *line = s;
        *n = static_cast<size_t>(p_ - s);
        if (p_ < end_ && *p_ == '\r') ++p_;
        if (p_ < end_ && *p_ == '\n') ++p_;
        return true;
    }

private:
    const char* p_;
    const char* end_;
};

const char* SkipBom(const char* data, size_t* len) {
    if (data && *len >= 3 && static_cast<unsigned char>(data[0]) == 0xEF &&
        static_cast<unsigned char>(data[1]) == 0xBB && static_cast<unsigned char>(data[2]) == 0xBF) {
        *len -= 3;
        return data + 3;
    }
    return data;
}

// Text between open and close after the position from; false when either
// marker is missing.
bool Between(const char* data, size_t len, size_t from, const char* open, const char* close, const char** s,
              size_t* n) {
    if (from > len) return false;
    size_t a = Find(data + from, len - from, open);
    if (a == len - from) return false;
    a += from + strlen(open);
    size_t b = Find(data + a, len - a, close);
    if (b == len - a) return false;
    *s = data + a;
    *n = b;
    return true;
}

}  // namespace

bool SplitUrl(const char* url, size_t len, UrlParts* out) {
    if (!out) return false;
    memset(out, 0, sizeof *out);
    if (!url) return false;
    len = strnlen(url, len);
    for (size_t i = 0; i < len; ++i) {
        unsigned char c = static_cast<unsigned char>(url[i]);
        if (c <= 0x20 || c == 0x7F) return false;
    }
    size_t pos;
    if (StartsWithNoCase(url, len, "http://")) {
        pos = 7;
        out->port = 80;
    } else if (StartsWithNoCase(url, len, "https://")) {
        pos = 8;
        out->port = 443;
        out->secure = true;
    } else {
        return false;
    }
    size_t authEnd = pos;
    while (authEnd < len && url[authEnd] != '/' && url[authEnd] != '?' && url[authEnd] != '#') ++authEnd;
    // Credentials in the address ("user:pass@host") are not passed on.
    size_t hostStart = pos;
    for (size_t i = pos; i < authEnd; ++i)
        if (url[i] == '@') hostStart = i + 1;
    size_t hostEnd = authEnd;
    if (hostStart < authEnd && url[hostStart] == '[') {   // IPv6 literal
        size_t close = hostStart;
        while (close < authEnd && url[close] != ']') ++close;
        if (close == authEnd) return false;
        hostEnd = close + 1;
        if (hostEnd < authEnd && url[hostEnd] != ':') return false;
    } else {
        for (size_t i = hostStart; i < authEnd; ++i)
            if (url[i] == ':') {
                hostEnd = i;
                break;
            }
    }
    if (hostEnd == hostStart) return false;
    if (hostEnd < authEnd) {   // ":port"
        size_t p = hostEnd + 1;
        if (p == authEnd) return false;
        unsigned long port = 0;
        for (; p < authEnd; ++p) {
            if (url[p] < '0' || url[p] > '9') return false;
            port = port * 10 + static_cast<unsigned long>(url[p] - '0');
            if (port > 65535) return false;
        }
        if (port == 0) return false;
        out->port = static_cast<unsigned>(port);
    }
    if (!CopyExact(out->host, sizeof out->host, url + hostStart, hostEnd - hostStart)) return false;
    size_t pathEnd = authEnd;
    while (pathEnd < len && url[pathEnd] != '#') ++pathEnd;
    bool ok;
    if (pathEnd == authEnd) {
        ok = CopyExact(out->path, sizeof out->path, "/", 1);
    } else if (url[authEnd] == '?') {   // "http://host?x" asks for "/?x"
        ok = pathEnd - authEnd + 2 <= sizeof out->path;
        if (ok) {
            out->path[0] = '/';
            CopyExact(out->path + 1, sizeof out->path - 1, url + authEnd, pathEnd - authEnd);
        }
    } else {
        ok = CopyExact(out->path, sizeof out->path, url + authEnd, pathEnd - authEnd);
    }
    if (!ok) {
        memset(out, 0, sizeof *out);
        return false;
    }
    return true;
}

namespace {

// RFC 3986 5.2.4: takes "." and ".." segments out of a path, as a browser
// does before it asks.
std::string RemoveDotSegments(const std::string& path) {
    std::string in = path, out;
    while (!in.empty()) {
        if (in.compare(0, 3, "../") == 0) {
            in.erase(0, 3);
        } else if (in.compare(0, 2, "./") == 0) {
            in.erase(0, 2);
        } else if (in.compare(0, 3, "/./") == 0) {
            in.erase(0, 2);
        } else if (in == "/.") {
            in = "/";
        } else if (in.compare(0, 4, "/../") == 0 || in == "/..") {
            in = in.size() == 3 ? "/" : in.substr(3);
            const size_t cut = out.rfind('/');
            out.erase(cut == std::string::npos ? 0 : cut);
        } else if (in == "." || in == "..") {
            in.clear();
        } else {
            const size_t next = in.find('/', in[0] == '/' ? 1 : 0);
            out += in.substr(0, next);
            in.erase(0, next == std::string::npos ? in.size() : next);
        }
    }
    return out;
}

}  // namespace

bool ResolveLocation(const char* base, const char* location, size_t locationLen, char* out, size_t outSize) {
    if (!out || outSize == 0) return false;
    out[0] = 0;
    if (!base || !location) return false;
    locationLen = strnlen(location, locationLen);
    const char* loc = location;
    Trim(&loc, &locationLen);
    if (locationLen == 0) return false;
    if (StartsWithNoCase(loc, locationLen, "http://") || StartsWithNoCase(loc, locationLen, "https://"))
        return CopyExact(out, outSize, loc, locationLen);
    const std::string b(base);
    const size_t schemeEnd = b.find("://");
    if (schemeEnd == std::string::npos) return false;
    const size_t authStart = schemeEnd + 3;
    size_t authEnd = authStart;
    while (authEnd < b.size() && b[authEnd] != '/' && b[authEnd] != '?' && b[authEnd] != '#') ++authEnd;
    size_t basePathEnd = authEnd;
    while (basePathEnd < b.size() && b[basePathEnd] != '?' && b[basePathEnd] != '#') ++basePathEnd;
    size_t baseQueryEnd = basePathEnd;
    while (baseQueryEnd < b.size() && b[baseQueryEnd] != '#') ++baseQueryEnd;
    const std::string basePath = b.substr(authEnd, basePathEnd - authEnd);
    const std::string baseQuery = b.substr(basePathEnd, baseQueryEnd - basePathEnd);

    // The fragment stays with the browser; it never goes to a server.
    std::string ref(loc, locationLen);
    ref.erase(std::min(ref.find('#'), ref.size()));
    std::string result;
    if (ref.compare(0, 2, "//") == 0) {
        result = b.substr(0, schemeEnd + 1) + ref;
    } else {
        const size_t q = std::min(ref.find('?'), ref.size());
        const std::string refPath = ref.substr(0, q), refQuery = ref.substr(q);
        std::string path, query = refQuery;
        if (refPath.empty()) {
            path = basePath;
            if (refQuery.empty()) query = baseQuery;
        } else if (refPath[0] == '/') {
            path = RemoveDotSegments(refPath);
        } else {
            const size_t slash = basePath.rfind('/');
            const std::string dir = slash == std::string::npos ? "/" : basePath.substr(0, slash + 1);
            path = RemoveDotSegments(dir + refPath);
        }
        if (path.empty() || path[0] != '/') path.insert(0, "/");
        result = b.substr(0, authEnd) + path + query;
    }
    return CopyExact(out, outSize, result.data(), result.size());
}

bool FindHeaderValue(const char* headers, size_t len, const char* name, char* out, size_t outSize, bool* present) {
    if (present) *present = false;
    if (out && outSize) out[0] = 0;
    if (!headers || !name || !out || outSize == 0) return false;
    len = strnlen(headers, len);
    size_t nameLen = strlen(name);
    LineReader lines(headers, len);
    const char* line;
    size_t n;
    bool first = true;
    while (lines.Next(&line, &n)) {
        if (first) {   // the status line
            first = false;
            if (StartsWithNoCase(line, n, "HTTP/") || StartsWithNoCase(line, n, "ICY ")) continue;
        }
        if (n > nameLen && StartsWithNoCase(line, n, name) && line[nameLen] == ':') {
            const char* v = line + nameLen + 1;
            size_t vn = n - nameLen - 1;
            Trim(&v, &vn);
            if (present) *present = true;
            return CopyExact(out, outSize, v, vn);
        }
    }
    return false;
}

namespace {

// A playlist in UTF-16 (with its byte-order mark) read as 8-bit text: the
// addresses are ASCII, anything else becomes '?'.
std::string NarrowUtf16(const char* data, size_t len, bool bigEndian) {
    std::string out;
    out.reserve(len / 2);
    for (size_t i = 2; i + 1 < len; i += 2) {
        const unsigned char lo = static_cast<unsigned char>(data[bigEndian ? i + 1 : i]);
        const unsigned char hi = static_cast<unsigned char>(data[bigEndian ? i : i + 1]);
        out += hi == 0 && lo < 0x80 ? static_cast<char>(lo) : '?';
    }
    return out;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// What can be played: an address with a scheme, or a file path (a drive,
// a share or a root). No control characters, no markup.
bool UsableAddress(const char* v, size_t n) {
    if (n < 2 || n >= kPlaylistEntrySize || HasControl(v, n) || v[0] == '<') return false;
    const size_t scheme = Find(v, n, "://");
    if (scheme != n) {
        if (scheme == 0) return false;
        for (size_t i = 0; i < scheme; ++i) {
            const char c = v[i];
            if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || IsDigit(c) || c == '+' || c == '-' || c == '.'))
                return false;
        }
        return scheme + 3 < n;
    }
    const bool drive = n >= 3 && ((v[0] >= 'a' && v[0] <= 'z') || (v[0] >= 'A' && v[0] <= 'Z')) && v[1] == ':' &&
                       (v[2] == '\\' || v[2] == '/');
    return drive || v[0] == '\\' || v[0] == '/';
}

// The address of an entry's value: trimmed, out of its quotes; an address
// with a scheme ends at the first blank (servers put titles or lengths
// behind it), a path may hold blanks.
void CleanValue(const char** v, size_t* n) {
    Trim(v, n);
    if (*n >= 2 && ((**v == '"' && (*v)[*n - 1] == '"') || (**v == '\'' && (*v)[*n - 1] == '\''))) {
        ++*v;
        *n -= 2;
        Trim(v, n);
    }
    if (Find(*v, *n, "://") != *n) {
        size_t i = 0;
        while (i < *n && !IsBlank((*v)[i])) ++i;
        *n = i;
    }
}

struct Entry {
    unsigned long number;   // the N of "FileN"; the line's place for other lines
    const char* text;
    size_t length;
};

// The entries of "<ref href=...>" and "<entryref href=...>" of an ASX text.
size_t AsxEntries(const char* s, size_t n, char (*entries)[kPlaylistEntrySize], size_t maxEntries) {
    size_t count = 0;
    size_t at = 0;
    while (count < maxEntries && at < n) {
        size_t ref = Find(s + at, n - at, "ref", true);
        if (ref == n - at) break;
        ref += at;
        at = ref + 3;
        // Only the attribute "href" of a "<ref" or "<entryref" tag.
        size_t tag = ref;
        while (tag > 0 && s[tag - 1] != '<' && s[tag - 1] != '>') --tag;
        if (tag == 0 || s[tag - 1] != '<') continue;
        if (!(ref - tag == 0 || (ref - tag == 5 && StartsWithNoCase(s + tag, 5, "entry")))) continue;
        size_t close = at;
        while (close < n && s[close] != '>') ++close;
        size_t h = Find(s + at, close - at, "href", true);
        if (h == close - at) continue;
        size_t q = at + h + 4;
        while (q < close && (IsBlank(s[q]) || s[q] == '\r' || s[q] == '\n')) ++q;
        if (q >= close || s[q] != '=') continue;
        ++q;
        while (q < close && (IsBlank(s[q]) || s[q] == '\r' || s[q] == '\n')) ++q;
        if (q >= close) continue;
        const char quote = (s[q] == '"' || s[q] == '\'') ? s[q++] : 0;
        size_t e = q;
        while (e < close && (quote ? s[e] != quote : !(IsBlank(s[e]) || s[e] == '\r' || s[e] == '\n'))) ++e;
        // An unquoted value right before "/>" does not own the slash.
        if (!quote && e == close && e > q && s[e - 1] == '/') --e;
        // The few entities an address may carry in an attribute.
        std::string v;
        for (size_t i = q; i < e; ++i) {
            static const struct {
                const char* name;
                char c;
            } kEntities[] = {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
            bool replaced = false;
            for (const auto& ent : kEntities) {
                const size_t len = strlen(ent.name);
                if (e - i >= len && StartsWithNoCase(s + i, len, ent.name)) {
                    v += ent.c;
                    i += len - 1;
                    replaced = true;
                    break;
                }
            }
            if (!replaced) v += s[i];
        }
        const char* vp = v.data();
        size_t vn = v.size();
        CleanValue(&vp, &vn);
        if (UsableAddress(vp, vn)) CopyExact(entries[count++], kPlaylistEntrySize, vp, vn);
        at = close;
    }
    return count;
}

}  // namespace

size_t ParsePlaylist(const char* data, size_t len, char (*entries)[kPlaylistEntrySize], size_t maxEntries) {
    if (!data || !entries || maxEntries == 0) return 0;
    std::string wide;
    if (len >= 2 && ((static_cast<unsigned char>(data[0]) == 0xFF && static_cast<unsigned char>(data[1]) == 0xFE) ||
                     (static_cast<unsigned char>(data[0]) == 0xFE && static_cast<unsigned char>(data[1]) == 0xFF))) {
        wide = NarrowUtf16(data, len, static_cast<unsigned char>(data[0]) == 0xFE);
        data = wide.data();
        len = wide.size();
    }
    data = SkipBom(data, &len);
    size_t lead = 0;
    while (lead < len && (IsBlank(data[lead]) || data[lead] == '\r' || data[lead] == '\n')) ++lead;
    const char* s = data + lead;
    const size_t n = len - lead;
    if (StartsWithNoCase(s, n, "<asx") ||
        (StartsWithNoCase(s, n, "<?xml") && Find(s, n < 512 ? n : 512, "<asx", true) != (n < 512 ? n : 512)))
        return AsxEntries(s, n, entries, maxEntries);

    // PLS entries ("FileN=", any case, the counts of the text not trusted)
    // and M3U lines are read alike; a text with PLS entries is a PLS.
    std::vector<Entry> pls, m3u;
    LineReader lines(s, n);
    const char* line;
    size_t ln;
    unsigned long place = 0;
    while (lines.Next(&line, &ln) && pls.size() < 4 * maxEntries + 64 && m3u.size() < 4 * maxEntries + 64) {
        ++place;
        Trim(&line, &ln);
        if (ln == 0 || line[0] == '#' || line[0] == ';' || line[0] == '[') continue;
        const size_t eq = Find(line, ln, "=");
        const size_t colon = Find(line, ln, ":");
        const size_t slash = Find(line, ln, "/");
        if (eq < colon && eq < slash && Find(line, eq, "\\") == eq) {
            // A key: only FileN names an entry.
            const char* key = line;
            size_t keyLen = eq;
            Trim(&key, &keyLen);
            if (keyLen < 5 || !StartsWithNoCase(key, keyLen, "file")) continue;
            unsigned long number = 0;
            bool digits = true;
            for (size_t i = 4; i < keyLen && digits; ++i) {
                digits = IsDigit(key[i]);
                if (digits && number < 100000000ul) number = number * 10 + static_cast<unsigned long>(key[i] - '0');
            }
            if (!digits) continue;
            const char* v = line + eq + 1;
            size_t vn = ln - eq - 1;
            CleanValue(&v, &vn);
            if (UsableAddress(v, vn)) pls.push_back({number, v, vn});
            continue;
        }
        const char* v = line;
        size_t vn = ln;
        CleanValue(&v, &vn);
        if (UsableAddress(v, vn)) m3u.push_back({place, v, vn});
    }
    std::vector<Entry>& chosen = pls.empty() ? m3u : pls;
    std::stable_sort(chosen.begin(), chosen.end(), [](const Entry& a, const Entry& b) { return a.number < b.number; });
    size_t count = 0;
    for (const Entry& e : chosen) {
        if (count >= maxEntries) break;
        CopyExact(entries[count++], kPlaylistEntrySize, e.text, e.length);
    }
    return count;
}

namespace {

bool FirstPlaylistEntry(const char* data, size_t len, char* out, size_t outSize) {
    if (out && outSize) out[0] = 0;
    if (!data || !out || outSize == 0) return false;
    char first[1][kPlaylistEntrySize];
    if (ParsePlaylist(data, len, first, 1) != 1) return false;
    return CopyExact(out, outSize, first[0], strlen(first[0]));
}

}  // namespace

bool ParsePlsEntry(const char* data, size_t len, char* out, size_t outSize) {
    return FirstPlaylistEntry(data, len, out, outSize);
}

bool ParseM3uEntry(const char* data, size_t len, char* out, size_t outSize) {
    return FirstPlaylistEntry(data, len, out, outSize);
}

bool ParseShoutcastTitle(const char* data, size_t len, char* out, size_t outSize) {
    if (out && outSize) out[0] = 0;
    if (!data || !out || outSize == 0) return false;
    size_t song = Find(data, len, "Current Song");
    if (song == len) return false;
    const char* s;
    size_t n;
    if (!Between(data, len, song, "<b>", "</b>", &s, &n) || n == 0) return false;
    CopyCut(out, outSize, s, n);
    return true;
}

bool ParseTitleDocument(const char* data, size_t len, char* out, size_t outSize) {
    if (out && outSize) out[0] = 0;
    if (!data || !out || outSize == 0) return false;
    const char* title;
    size_t titleLen;
    if (!Between(data, len, 0, "<titel>", "</titel>", &title, &titleLen) || titleLen == 0) return false;
    const char* artist = "";
    size_t artistLen = 0;
    Between(data, len, 0, "<interpret>", "</interpret>", &artist, &artistLen);
    size_t used = 0;
    auto put = [&](const char* s, size_t n) {
        while (n > 0 && used + 1 < outSize) {
            out[used++] = *s++;
            --n;
        }
    };
    put(artist, artistLen);
    put(" - ", 3);
    put(title, titleLen);
    out[used] = 0;
    return true;
}

bool LooksLikePlaylist(const char* address) {
    if (!address) return false;
    size_t len = strlen(address);
    return Find(address, len, ".pls", true) != len || Find(address, len, ".m3u", true) != len;
}

bool IsPlsAddress(const char* address) {
    if (!address) return false;
    size_t len = strlen(address);
    return Find(address, len, ".pls", true) != len;
}

}  // namespace bk
