#include "gzipmem.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace bk {
namespace {
constexpr int kFlagHeaderCrc = 0x02;
constexpr int kFlagExtra = 0x04;
constexpr int kFlagName = 0x08;
constexpr int kFlagComment = 0x10;
constexpr int kFlagReserved = 0xE0;
}  // namespace

bool GzipMemReader::Feed() {
    if (strm_.avail_in > 0) return true;
    if (left_ == 0) return false;
    uInt n = left_ > UINT_MAX ? UINT_MAX : static_cast<uInt>(left_);
    strm_.next_in = const_cast<Bytef*>(in_);
    strm_.avail_in = n;
    in_ += n;
    left_ -= n;
    return true;
}

GzipMemReader::HeaderResult GzipMemReader::ReadHeader() {
    size_t taken = 0;
    auto get = [&](int* b) {
        if (!Feed()) return false;
        *b = *strm_.next_in++;
        strm_.avail_in--;
        ++taken;
        return true;
    };
    int b0, b1;
    if (!get(&b0)) return kHeaderNotGzip;
    if (!get(&b1) || b0 != 0x1f || b1 != 0x8b) return kHeaderNotGzip;
    int method, flags, b;
    if (!get(&method) || !get(&flags)) return kHeaderBad;
    if (method != Z_DEFLATED || (flags & kFlagReserved)) return kHeaderBad;
    for (int i = 0; i < 6; ++i)   // time, extra flags, operating system
        if (!get(&b)) return kHeaderBad;
    if (flags & kFlagExtra) {
        int lo, hi;
        if (!get(&lo) || !get(&hi)) return kHeaderBad;
        for (unsigned n = static_cast<unsigned>(lo | (hi << 8)); n > 0; --n)
            if (!get(&b)) return kHeaderBad;
    }
    if (flags & kFlagName) {
        do {
            if (!get(&b)) return kHeaderBad;
        } while (b != 0);
    }
    if (flags & kFlagComment) {
        do {
            if (!get(&b)) return kHeaderBad;
        } while (b != 0);
    }
    if (flags & kFlagHeaderCrc) {
        if (!get(&b) || !get(&b)) return kHeaderBad;
    }
    if (headerBytes_ == 0) headerBytes_ = taken;
    return kHeaderOk;
}

bool GzipMemReader::Open(const unsigned char* data, size_t len) {
    Close();
    strm_ = z_stream();
    if (inflateInit2(&strm_, -MAX_WBITS) != Z_OK) return false;
    inited_ = true;
    in_ = data;
    left_ = data ? len : 0;
    crc_ = crc32(0L, Z_NULL, 0);
    eof_ = false;
    err_ = Z_OK;
    headerBytes_ = 0;
    transparent_ = !(left_ >= 2 && data[0] == 0x1f && data[1] == 0x8b);
    if (!transparent_ && ReadHeader() != kHeaderOk) err_ = Z_DATA_ERROR;
    return true;
}

int GzipMemReader::Read(unsigned char* out, unsigned size) {
    if (!inited_ || !out) return -1;
    if (err_ != Z_OK) return -1;
    if (size > INT_MAX) size = INT_MAX;
    if (transparent_) {
        size_t n = left_ < size ? left_ : size;
        if (n) memcpy(out, in_, n);
        in_ += n;
        left_ -= n;
        return static_cast<int>(n);
    }
    if (eof_ || size == 0) return 0;
    strm_.next_out = out;
    strm_.avail_out = size;
    Bytef* start = out;
    while (strm_.avail_out > 0 && !eof_) {
        if (strm_.avail_in == 0 && !Feed()) {
            err_ = Z_BUF_ERROR;   // the data ends inside a member
            return -1;
        }
        int rc = inflate(&strm_, Z_NO_FLUSH);
        if (rc == Z_STREAM_END) {
            crc_ = crc32(crc_, start, static_cast<uInt>(strm_.next_out - start));
            start = strm_.next_out;
            unsigned char trailer[8];
            for (unsigned char& t : trailer) {
                if (!Feed()) {
                    err_ = Z_BUF_ERROR;
                    return -1;
                }
                t = *strm_.next_in++;
                strm_.avail_in--;
            }
            uLong stored = trailer[0] | (uLong(trailer[1]) << 8) | (uLong(trailer[2]) << 16) | (uLong(trailer[3]) << 24);
            if (stored != crc_) {
                err_ = Z_DATA_ERROR;
                return -1;
            }
            // Another member may follow; bytes that are no gzip member end
            // the data (padding after the last member is common).
            HeaderResult next = ReadHeader();
            if (next == kHeaderNotGzip) {
                eof_ = true;
            } else if (next == kHeaderBad) {
                err_ = Z_DATA_ERROR;
                return -1;
            } else {
                inflateReset(&strm_);
                crc_ = crc32(0L, Z_NULL, 0);
            }
        } else if (rc == Z_BUF_ERROR) {
            if (strm_.avail_in != 0) {   // no progress with input and room: cannot happen unless corrupt
                err_ = Z_DATA_ERROR;
                return -1;
            }
        } else if (rc != Z_OK) {
            err_ = rc == Z_NEED_DICT ? Z_DATA_ERROR : rc;
            return -1;
        }
    }
    crc_ = crc32(crc_, start, static_cast<uInt>(strm_.next_out - start));
    return static_cast<int>(strm_.next_out - out);
}

int GzipMemReader::Close() {
    int rc = Z_OK;
    if (inited_) {
        rc = err_ == Z_STREAM_END ? Z_OK : err_;
        inflateEnd(&strm_);
        inited_ = false;
    }
    in_ = nullptr;
    left_ = 0;
    return rc;
}

bool ReallocBuffer(unsigned char** buffer, unsigned long* size, unsigned char** writePos) {
    if (!buffer || !size) return false;
    unsigned long oldSize = *buffer ? *size : 0;
    unsigned long newSize = oldSize ? oldSize * 2 : 5000;
    if (newSize < oldSize || newSize > ULONG_MAX / 2) return false;
    auto* fresh = static_cast<unsigned char*>(calloc(1, newSize));
    if (!fresh) return false;
    size_t used = (writePos && *writePos && *buffer) ? static_cast<size_t>(*writePos - *buffer) : 0;
    if (*buffer) {
        memcpy(fresh, *buffer, oldSize);
        free(*buffer);
    }
    *buffer = fresh;
    *size = newSize;
    if (writePos) *writePos = fresh + used;
    return true;
}

bool AddMemToBuffer(unsigned char** buffer, unsigned char** writePos, unsigned long* size, const unsigned char* data,
                    unsigned long dataLength) {
    if (!buffer || !writePos || !size) return false;
    if (!*buffer) {
        *writePos = nullptr;
        if (!ReallocBuffer(buffer, size, writePos)) return false;
    }
    if (!*writePos) *writePos = *buffer;
    unsigned long used = static_cast<unsigned long>(*writePos - *buffer);
    if (dataLength > ULONG_MAX - 1024 - used) return false;
    while (*size - used < dataLength + 1024)
        if (!ReallocBuffer(buffer, size, writePos)) return false;
    if (dataLength) memcpy(*writePos, data, dataLength);
    *writePos += dataLength;
    return true;
}

unsigned long DecompressBufferToBuffer(const unsigned char* data, unsigned long length, unsigned char** out,
                                       unsigned long* outSize, unsigned long maxOut) {
    if (!out || !outSize) return 0;
    GzipMemReader reader;
    if (!reader.Open(data, length)) return 0;
    if (!*out) {
        *out = static_cast<unsigned char*>(calloc(1, 5000));
        if (!*out) return 0;
        *outSize = 5000;
    }
    unsigned char* writePos = *out;
    unsigned long total = 0;
    unsigned char block[16384];
    for (;;) {
        int n = reader.Read(block, sizeof block);
        if (n < 0) return 0;
        if (n == 0) break;
        if (static_cast<unsigned long>(n) > maxOut - total) return 0;
        if (!AddMemToBuffer(out, &writePos, outSize, block, static_cast<unsigned long>(n))) return 0;
        total += static_cast<unsigned long>(n);
    }
    *writePos = 0;   // AddMemToBuffer leaves room, and the buffer may have been used before
    return reader.Close() == Z_OK ? total : 0;
}

}  // namespace bk
