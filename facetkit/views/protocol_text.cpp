// The Windows-free half of the protocol handling: split, numbers, copies.
#include <climits>
#include <cstring>

#include "protocol_commands.h"

namespace {
bool IsSeparator(unsigned char c) { return c == '|' || c == '\n' || c == 0xA0; }
}  // namespace

void SplitProtocolText(const char* text, size_t length, ProtocolFields* out) {
    if (!out) return;
    out->count = 0;
    for (std::string& f : out->field) f.clear();
    if (!text) return;
    size_t i = 0;
    while (i < length && text[i] && out->count < kProtocolMaxFields) {
        while (i < length && text[i] && IsSeparator(static_cast<unsigned char>(text[i]))) ++i;
        if (i >= length || !text[i]) break;
        size_t start = i;
        while (i < length && text[i] && !IsSeparator(static_cast<unsigned char>(text[i]))) ++i;
        out->field[out->count++].assign(text + start, i - start);
    }
}

unsigned long ProtocolUnsigned(const char* text) {
    if (!text) return 0;
    unsigned long v = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        const unsigned d = static_cast<unsigned>(*text - '0');
        if (v > (0xFFFFFFFFul - d) / 10) return 0xFFFFFFFFul;
        v = v * 10 + d;
    }
    return v;
}

long ProtocolSigned(const char* text) {
    if (!text) return 0;
    bool negative = false;
    if (*text == '-' || *text == '+') negative = *text++ == '-';
    long long v = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        v = v * 10 + (*text - '0');
        if (v > 0x80000000LL) break;
    }
    if (negative) return v >= 0x80000000LL ? -0x7FFFFFFFL - 1 : static_cast<long>(-v);
    return v > 0x7FFFFFFFLL ? 0x7FFFFFFFL : static_cast<long>(v);
}

std::string CopyDataText(const void* data, size_t size) {
    if (!data || !size) return std::string();
    if (size > kProtocolMaxText) size = kProtocolMaxText;
    const char* p = static_cast<const char*>(data);
    // A zero inside the payload ends the text, as it would any C copy.
    return std::string(p, strnlen(p, size));
}
