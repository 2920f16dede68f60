// Feeds arbitrary bytes to every parser of network texts. The first byte
// picks the size of the output buffers so that cutting is exercised too.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "webparse.h"

namespace {
void CheckTerminated(const char* out, size_t size) {
    if (strnlen(out, size) >= size) abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    size_t outSize = 1 + data[0] % 64;
    if (data[0] & 0x80) outSize = 1024;
    const char* text = reinterpret_cast<const char*>(data + 1);
    size_t len = size - 1;
    char* out = static_cast<char*>(malloc(outSize));
    {
        static char entries[8][bk::kPlaylistEntrySize];
        const size_t n = bk::ParsePlaylist(text, len, entries, 1 + data[0] % 8);
        if (n > 8) abort();
        for (size_t i = 0; i < n; ++i) {
            CheckTerminated(entries[i], sizeof entries[i]);
            if (strlen(entries[i]) < 2) abort();
        }
    }
    bk::ParsePlsEntry(text, len, out, outSize);
    CheckTerminated(out, outSize);
    bk::ParseM3uEntry(text, len, out, outSize);
    CheckTerminated(out, outSize);
    bk::ParseShoutcastTitle(text, len, out, outSize);
    CheckTerminated(out, outSize);
    bk::ParseTitleDocument(text, len, out, outSize);
    CheckTerminated(out, outSize);
    bk::FindHeaderValue(text, len, "Location", out, outSize);
    CheckTerminated(out, outSize);
    bk::UrlParts parts;
    if (bk::SplitUrl(text, len, &parts)) {
        CheckTerminated(parts.host, sizeof parts.host);
        CheckTerminated(parts.path, sizeof parts.path);
        if (parts.host[0] == 0 || parts.path[0] != '/' || parts.port == 0 || parts.port > 65535) abort();
    }
    // The text split in two: a base address and a redirect target.
    std::string all(text, len);
    size_t cut = all.find('\n');
    if (cut != std::string::npos) {
        std::string base = all.substr(0, cut), loc = all.substr(cut + 1);
        if (bk::ResolveLocation(base.c_str(), loc.data(), loc.size(), out, outSize)) CheckTerminated(out, outSize);
    }
    std::string z(text, len);
    bk::LooksLikePlaylist(z.c_str());
    free(out);
    return 0;
}
