// Reading gzip data that lies in memory (an HTTP body) instead of a file.
// Free of Windows calls so that it also builds natively for fuzzing.
#pragma once

#include <zlib.h>

#include <cstddef>

// Exported from the library on Windows; plain functions in the native
// (fuzzing) build.
#if defined(_WIN32)
#include "basekit_api.h"
#define BK_NET_API BASEKIT_API
#else
#define BK_NET_API
#endif

namespace bk {

// Unpacked answers larger than this are refused: a few kilobytes of gzip can
// unpack to gigabytes.
constexpr unsigned long kMaxUnpackedSize = 4ul * 1024 * 1024;

class BK_NET_API GzipMemReader {
public:
    GzipMemReader() = default;
    ~GzipMemReader() { Close(); }
    GzipMemReader(const GzipMemReader&) = delete;
    GzipMemReader& operator=(const GzipMemReader&) = delete;

    // Reads over the caller's bytes, which must stay valid until Close. Data
    // without the gzip magic is handed out unchanged. False only when zlib
    // cannot be set up.
    bool Open(const unsigned char* data, size_t len);
    // Bytes produced into out (at most size); 0 at the end; -1 on an error
    // (bad header, corrupt or truncated data, CRC mismatch).
    int Read(unsigned char* out, unsigned size);
    // 0, or the zlib error that ended reading.
    int Close();

    int LastError() const { return err_; }
    bool PassThrough() const { return transparent_; }
    size_t HeaderBytes() const { return headerBytes_; }

private:
    enum HeaderResult { kHeaderOk, kHeaderNotGzip, kHeaderBad };
    HeaderResult ReadHeader();
    bool Feed();

    z_stream strm_ = {};
    bool inited_ = false;
    const unsigned char* in_ = nullptr;   // next byte not yet given to zlib
    size_t left_ = 0;
    uLong crc_ = 0;
    bool eof_ = false;
    bool transparent_ = false;
    int err_ = Z_OK;
    size_t headerBytes_ = 0;
};

// Growing answer buffers: zeroed, allocated with calloc, freed with free.
// The room after the data always holds at least one zero byte.
// Doubles *buffer (contents kept, *writePos moved with it) ; false when the
// memory cannot be had.
BK_NET_API bool ReallocBuffer(unsigned char** buffer, unsigned long* size, unsigned char** writePos = nullptr);
// Appends, doubling the buffer until the data plus 1024 bytes fit.
BK_NET_API bool AddMemToBuffer(unsigned char** buffer, unsigned char** writePos, unsigned long* size, const unsigned char* data,
                    unsigned long dataLength);

// Unpacks (data, length) into *out (capacity *outSize; allocated with 5000
// bytes when null), which grows as needed. Returns the number of unpacked
// bytes; 0 when the data is not readable gzip, reading fails or the result
// would exceed maxOut. Data without the gzip magic is copied unchanged.
BK_NET_API unsigned long DecompressBufferToBuffer(const unsigned char* data, unsigned long length, unsigned char** out,
                                       unsigned long* outSize, unsigned long maxOut = kMaxUnpackedSize);

}  // namespace bk
