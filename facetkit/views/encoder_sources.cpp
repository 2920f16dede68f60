// The Windows-free half of the encoder download: the source list read from
// the network and the archive's place.
#include <cstdint>
#include <cstring>

#include "encoder_notices.h"

std::vector<std::string> EncoderSources(const char* text, size_t length) {
    std::vector<std::string> items;
    if (!text) return items;
    const std::string s(text, strnlen(text, length));
    size_t pos = 0;
    for (;;) {
        size_t open = s.find("<item>", pos);
        if (open == std::string::npos) break;
        open += 6;
        const size_t close = s.find("</item>", open);
        if (close == std::string::npos) break;
        std::string item = s.substr(open, close - open);
        const size_t first = item.find_first_not_of(" \t\r\n");
        const size_t last = item.find_last_not_of(" \t\r\n");
        if (first != std::string::npos && last - first + 1 < 1024) items.push_back(item.substr(first, last - first + 1));
        pos = close + 7;
    }
    return items;
}

std::string EncoderZipPath(const char* skinsFolder) {
    std::string base = skinsFolder ? skinsFolder : "";
    for (int i = 0; i < 2; ++i) {
        const size_t cut = base.rfind('\\');
        if (cut == std::string::npos) {
            base.clear();
            break;
        }
        base.erase(cut);
    }
    return base + "\\lame_zip.zip";
}

namespace {

uint32_t Le16(const unsigned char* p) { return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8; }
uint32_t Le32(const unsigned char* p) { return Le16(p) | Le16(p + 2) << 16; }

bool IsLibraryName(const unsigned char* name, size_t length) {
    size_t start = length;
    while (start > 0 && name[start - 1] != '/' && name[start - 1] != '\\') --start;
    const char wanted[] = "lame_enc.dll";
    if (length - start != sizeof wanted - 1) return false;
    for (size_t i = 0; i < sizeof wanted - 1; ++i) {
        char c = static_cast<char>(name[start + i]);
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != wanted[i]) return false;
    }
    return true;
}

}  // namespace

bool EncoderArchiveHoldsLibrary(const unsigned char* data, size_t length) {
    // A zip archive starts with a local file header and ends with the
    // end-of-central-directory record (22 bytes and a comment of at most
    // 65,535).
    if (!data || length < 22 || length > kEncoderArchiveLimit || Le32(data) != 0x04034b50u) return false;
    size_t end = length - 22;
    const size_t lowest = length - 22 > 65535 ? length - 22 - 65535 : 0;
    while (Le32(data + end) != 0x06054b50u) {
        if (end == lowest) return false;
        --end;
    }
    const uint32_t entries = Le16(data + end + 10), size = Le32(data + end + 12), offset = Le32(data + end + 16);
    if (offset > end || size > end - offset) return false;
    size_t at = offset;
    for (uint32_t i = 0; i < entries; ++i) {
        if (end - at < 46 || Le32(data + at) != 0x02014b50u) return false;
        const uint32_t method = Le16(data + at + 10), unpacked = Le32(data + at + 24);
        const size_t name = Le16(data + at + 28), extra = Le16(data + at + 30), comment = Le16(data + at + 32);
        if (end - at - 46 < name + extra + comment) return false;
        // Stored or deflated, and no bigger than an encoder library can be.
        if (IsLibraryName(data + at + 46, name)) return (method == 0 || method == 8) && unpacked <= kEncoderArchiveLimit;
        at += 46 + name + extra + comment;
    }
    return false;
}