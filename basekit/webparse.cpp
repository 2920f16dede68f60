#include "webparse.h"

#include <cstring>

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
    size_t baseLen = strlen(base);
    size_t schemeEnd = Find(base, baseLen, "://");
    if (schemeEnd == baseLen) return false;
    size_t authStart = schemeEnd + 3;
    size_t authEnd = authStart;
    while (authEnd < baseLen && base[authEnd] != '/' && base[authEnd] != '?' && base[authEnd] != '#') ++authEnd;
    size_t keep;   // bytes of the base that stay
    if (locationLen >= 2 && loc[0] == '/' && loc[1] == '/') {
        keep = schemeEnd + 1;   // "http:"
    } else if (loc[0] == '/') {
        keep = authEnd;
    } else {
        size_t pathEnd = authEnd;
        while (pathEnd < baseLen && base[pathEnd] != '?' && base[pathEnd] != '#') ++pathEnd;
        keep = pathEnd;
        while (keep > authEnd && base[keep - 1] != '/') --keep;
        if (keep == authEnd) {
            if (keep + 1 + locationLen + 1 > outSize) return false;
            memcpy(out, base, keep);
            out[keep] = '/';
            memcpy(out + keep + 1, loc, locationLen);
            out[keep + 1 + locationLen] = 0;
            return true;
        }
    }
    if (keep + locationLen + 1 > outSize) return false;
    memcpy(out, base, keep);
    memcpy(out + keep, loc, locationLen);
    out[keep + locationLen] = 0;
    return true;
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

bool ParsePlsEntry(const char* data, size_t len, char* out, size_t outSize) {
    if (out && outSize) out[0] = 0;
    if (!data || !out || outSize == 0) return false;
    data = SkipBom(data, &len);
    LineReader lines(data, len);
    const char* line;
    size_t n;
    bool inSection = false;
    while (lines.Next(&line, &n)) {
        Trim(&line, &n);
        if (n == 0 || line[0] == ';') continue;
        if (line[0] == '[') {
            size_t close = Find(line, n, "]");
            inSection = close != n && close - 1 == strlen("playlist") && StartsWithNoCase(line + 1, n - 1, "playlist");
            continue;
        }
        if (!inSection) continue;
        size_t eq = Find(line, n, "=");
        if (eq == n) continue;
        const char* key = line;
        size_t keyLen = eq;
        Trim(&key, &keyLen);
        if (keyLen != 5 || !StartsWithNoCase(key, keyLen, "file1")) continue;
        const char* v = line + eq + 1;
        size_t vn = n - eq - 1;
        Trim(&v, &vn);
        if (vn >= 2 && v[0] == '"' && v[vn - 1] == '"') {
            ++v;
            vn -= 2;
        }
        return vn > 0 && !HasControl(v, vn) && CopyExact(out, outSize, v, vn);
    }
    return false;
}

bool ParseM3uEntry(const char* data, size_t len, char* out, size_t outSize) {
    if (out && outSize) out[0] = 0;
    if (!data || !out || outSize == 0) return false;
    data = SkipBom(data, &len);
    LineReader lines(data, len);
    const char* line;
    size_t n;
    while (lines.Next(&line, &n)) {
        Trim(&line, &n);
        if (n == 0 || line[0] == '#') continue;
        if (n == 10 && StartsWithNoCase(line, n, "[playlist]")) continue;
        if (StartsWithNoCase(line, n, "NumberOfEntries")) continue;
        return !HasControl(line, n) && CopyExact(out, outSize, line, n);
    }
    return false;
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
