// Reads a whole archive through the reading core: directory, every entry
// opened with a password and read to its end.
#include <cstdint>
#include <vector>

#include "zip_parse.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    zipcore::MemorySource src(data, size);
    zipcore::Directory dir;
    if (zipcore::ReadDirectory(src, &dir) != zipcore::kOk) return 0;
    std::vector<uint8_t> out(4096);
    for (const zipcore::FileHeader& h : dir.entries) {
        zipcore::NameStaysInside(h.name);
        zipcore::EntryReader r;
        if (r.Open(src, dir, h, "pw", 1 << 22) != zipcore::kOk) continue;
        uint64_t total = 0;
        for (;;) {
            size_t got = 0;
            if (r.Read(out.data(), out.size(), &got) != zipcore::kOk || got == 0) break;
            total += got;
            if (total > h.uncompressedSize) __builtin_trap();   // the size cap failed
        }
        r.Close();
    }
    return 0;
}
