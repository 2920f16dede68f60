#include "address_decoding.h"

#include <cstring>
#include <string>

namespace {

// Windows-1252 bytes 0x80-0x9F as Unicode code points; the five bytes the
// code page leaves undefined keep the control character of their number.
const unsigned short kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

unsigned CodePoint(unsigned byte) { return byte < 0xA0 ? kHighControls[byte - 0x80] : byte; }

// Byte values whose sequences stay undecoded.
bool Excluded(unsigned byte) {
    return byte == 0x95 || byte == 0xA0 || byte == 0xAD || byte == 0xB4 || byte == 0xCA;
}

void Escape(unsigned cp, char* out) {
    unsigned char u[3];
    int n;
    if (cp < 0x800) {
        u[0] = static_cast<unsigned char>(0xC0 | (cp >> 6));
        u[1] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
        n = 2;
    } else {
        u[0] = static_cast<unsigned char>(0xE0 | (cp >> 12));
        u[1] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
        u[2] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
        n = 3;
    }
    const char* hex = "0123456789ABCDEF";
    for (int i = 0; i < n; ++i) {
        *out++ = '%';
        *out++ = hex[u[i] >> 4];
        *out++ = hex[u[i] & 15];
    }
    *out = 0;
}

struct Table {
    Utf8EscapePair pairs[kUtf8EscapePairCount];
    Table() {
        int n = 0;
        auto add = [&](unsigned byte) {
            if (Excluded(byte) || n >= kUtf8EscapePairCount) return;
            for (int i = 0; i < n; ++i)
                if (pairs[i].byte == byte) return;
            Escape(CodePoint(byte), pairs[n].escaped);
            pairs[n].byte = static_cast<unsigned char>(byte);
            ++n;
        };
        for (unsigned b : {0xC4u, 0xD6u, 0xDCu, 0xE4u, 0xF6u, 0xFCu, 0xDFu}) add(b);
        for (unsigned b = 0xC0; b <= 0xFF; ++b) add(b);
        for (unsigned b = 0xA1; b <= 0xBF; ++b) add(b);
        for (unsigned b = 0x80; b <= 0x9F; ++b) add(b);
    }
};

}  // namespace

const Utf8EscapePair* Utf8EscapeTable() {
    static const Table table;
    return table.pairs;
}

int ReplaceAll(char* text, size_t capacity, const char* pattern, const char* replacement) {
    if (!text || capacity == 0 || !pattern || !*pattern) return 0;
    if (!replacement) replacement = "";
    const size_t len = strnlen(text, capacity - 1);
    const size_t plen = strlen(pattern);
    if (plen > len) return 0;
    std::string out;
    out.reserve(len);
    int count = 0;
    size_t i = 0;
    while (i < len) {
        if (len - i >= plen && memcmp(text + i, pattern, plen) == 0) {
            out += replacement;
            i += plen;
            ++count;
        } else {
            out += text[i++];
        }
    }
    if (!count) return 0;
    const size_t keep = out.size() < capacity ? out.size() : capacity - 1;
    memcpy(text, out.data(), keep);
    text[keep] = 0;
    return count;
}

void UrlDecodeUtf8(char* text) {
    if (!text || !strchr(text, '%')) return;
    // Each replacement is one byte for at least six, so the text only shrinks
    // and the caller's buffer, whatever its length, is big enough.
    const size_t capacity = strlen(text) + 1;
    const Utf8EscapePair* table = Utf8EscapeTable();
    char one[2] = {0, 0};
    for (int i = 0; i < kUtf8EscapePairCount; ++i) {
        one[0] = static_cast<char>(table[i].byte);
        ReplaceAll(text, capacity, table[i].escaped, one);
    }
}
