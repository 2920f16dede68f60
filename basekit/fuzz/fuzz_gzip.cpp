// Feeds arbitrary bytes to the gzip reader over memory, with a small cap so
// that bombs are refused quickly, and checks what comes back.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include <string>

#include "gzipmem.h"

namespace {
// zlib's own gzip reader on one member; true when it read the whole input.
bool ReferenceGunzip(const uint8_t* data, size_t size, std::string* out) {
    z_stream zs = {};
    if (inflateInit2(&zs, 16 + MAX_WBITS) != Z_OK) return false;
    zs.next_in = const_cast<Bytef*>(data);
    zs.avail_in = static_cast<uInt>(size);
    unsigned char buf[16384];
    int rc;
    do {
        zs.next_out = buf;
        zs.avail_out = sizeof buf;
        rc = inflate(&zs, Z_NO_FLUSH);
        out->append(reinterpret_cast<char*>(buf), sizeof buf - zs.avail_out);
    } while (rc == Z_OK && out->size() <= (1u << 20));
    bool whole = rc == Z_STREAM_END && zs.avail_in == 0;
    inflateEnd(&zs);
    return whole;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    unsigned long n = bk::DecompressBufferToBuffer(data, static_cast<unsigned long>(size), &out, &outSize, 1 << 20);
    if (out) {
        if (n >= outSize || out[n] != 0) abort();   // the answer must stay terminated
        // Where zlib's own reader takes the data as one whole member, ours
        // must give the same bytes.
        std::string reference;
        if (size >= 2 && data[0] == 0x1f && data[1] == 0x8b && ReferenceGunzip(data, size, &reference) &&
            !reference.empty() && reference.size() <= (1u << 20)) {
            if (n != reference.size() || memcmp(out, reference.data(), n) != 0) abort();
        }
        free(out);
    }
    // Reading in odd-sized pieces must give the same bytes as in one go.
    bk::GzipMemReader reader;
    if (reader.Open(data, size)) {
        unsigned char piece[7];
        size_t total = 0;
        int got;
        while ((got = reader.Read(piece, sizeof piece)) > 0 && total < (1u << 20)) total += static_cast<size_t>(got);
        reader.Close();
    }
    return 0;
}
