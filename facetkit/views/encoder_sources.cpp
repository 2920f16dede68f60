// The Windows-free half of the encoder download: the source list read from
// the network and the archive's place.
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
