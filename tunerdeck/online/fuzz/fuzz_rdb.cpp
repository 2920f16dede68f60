// Feeds arbitrary bytes to the readers of the user's .rdb files and to the
// byte-cursor readers. The first byte picks the reader, so each sees the
// rest as a whole file.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "rdb_files.h"
#include "settings_doc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const unsigned char* p = data + 1;
    size_t n = size - 1;
    size_t checked = n;
    CheckCrc16(p, &checked);
    if (checked > n) abort();
    switch (data[0] % 7) {
        case 0: {
            auto f = ParseFavorites(p, n);
            std::string again = SerializeFavorites(f);
            if (ParseFavorites(reinterpret_cast<const unsigned char*>(again.data()), again.size()).size() != f.size())
                abort();
            break;
        }
        case 1: ParseTopStations(p, n); break;
        case 2: {
            auto l = ParseListFolders(p, n);
            for (auto& e : l)
                if (e.name.size() > kMaxListName) abort();
            std::string again = SerializeListFolders(l);
            if (ParseListFolders(reinterpret_cast<const unsigned char*>(again.data()), again.size()).size() != l.size())
                abort();
            break;
        }
        case 3: ParsePodcasts(reinterpret_cast<const char*>(p), n); break;
        case 4: ParseFileCounter(reinterpret_cast<const char*>(p), n); break;
        case 5: DecodeStationDbFile(p, n); break;
        default: {
            const unsigned char* c = p;
            const unsigned char* end = p + n;
            char buf[64];
            for (int i = 0; i < 32; ++i) {
                uint32_t v;
                if (ReadCountedString(&c, end, buf, sizeof buf) < 0 && !ReadUInt32(&c, end, &v)) break;
                if (c > end) abort();
            }
            ReadCountedBlob(&c, end, buf, sizeof buf);
            if (c > end) abort();
        }
    }
    return 0;
}
