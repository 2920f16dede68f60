// Feeds arbitrary bytes to the gzip reader over memory, with a small cap so
// that bombs are refused quickly, and checks what comes back.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "gzipmem.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    unsigned long n = bk::DecompressBufferToBuffer(data, static_cast<unsigned long>(size), &out, &outSize, 1 << 20);
    if (out) {
        if (n >= outSize || out[n] != 0) abort();   // the answer must stay terminated
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
