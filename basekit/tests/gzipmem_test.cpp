// The gzip reader over memory and the growing answer buffers.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "gzipmem.h"
#include "tdtest.h"

namespace {

std::string RawDeflate(const std::string& data) {
    z_stream zs = {};
    deflateInit2(&zs, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&zs, static_cast<uLong>(data.size())) + 16, '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    zs.avail_in = static_cast<uInt>(data.size());
    zs.next_out = reinterpret_cast<Bytef*>(&out[0]);
    zs.avail_out = static_cast<uInt>(out.size());
    deflate(&zs, Z_FINISH);
    out.resize(zs.total_out);
    deflateEnd(&zs);
    return out;
}

std::string Le32(uint32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i) s[i] = static_cast<char>(v >> (8 * i));
    return s;
}

// One gzip member with the optional header fields the format allows.
std::string Member(const std::string& data, int flags = 0, const std::string& extra = "", int method = 8,
                   uint32_t crcXor = 0) {
    std::string h = {'\x1f', '\x8b', static_cast<char>(method), static_cast<char>(flags), 0, 0, 0, 0, 0, 3};
    if (flags & 4) h += std::string{static_cast<char>(extra.size() & 0xff), static_cast<char>(extra.size() >> 8)} + extra;
    if (flags & 8) h += std::string("name.txt") + '\0';
    if (flags & 16) h += std::string("a comment") + '\0';
    if (flags & 2) h += std::string("\x12\x34", 2);
    uint32_t crc = crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())) ^ crcXor;
    return h + RawDeflate(data) + Le32(crc) + Le32(static_cast<uint32_t>(data.size()));
}

// Unpacks through the library; false when it reports a failure.
bool Unpack(const std::string& packed, std::string* out, unsigned long cap = bk::kMaxUnpackedSize) {
    unsigned char* buf = nullptr;
    unsigned long size = 0;
    unsigned long n = bk::DecompressBufferToBuffer(reinterpret_cast<const unsigned char*>(packed.data()),
                                                   static_cast<unsigned long>(packed.size()), &buf, &size, cap);
    bool ok = n > 0;
    if (buf) {
        EXPECT_LT(n, size);
        EXPECT_EQ(buf[n], 0) << "answer not terminated";
        out->assign(reinterpret_cast<char*>(buf), n);
        free(buf);
    }
    return ok;
}

std::string Text(size_t n) {
    std::string s;
    for (size_t i = 0; s.size() < n; ++i) s += "line " + std::to_string(i) + " of a station page\n";
    s.resize(n);
    return s;
}

TEST(GzipMemReader, UnpacksEveryHeaderForm) {
    const std::string data = Text(70000);   // more than the first doublings of the buffer
    struct Row {
        const char* name;
        std::string packed;
        std::string expected;
    };
    const Row rows[] = {
        {"plain", Member(data), data},
        {"extra field", Member(data, 4, std::string("ab\0cd", 5)), data},
        {"name and comment", Member(data, 8 | 16), data},
        {"header crc", Member(data, 2 | 8), data},
        {"two members", Member("first ") + Member("second"), "first second"},
        {"padding after the member", Member("data") + std::string(16, '\0'), "data"},
        {"zlib's own writer", tdtest::GzipBytes(data), data},
        {"not gzip passes through", "[playlist]\nFile1=http://x/\n", "[playlist]\nFile1=http://x/\n"},
        {"one byte passes through", "\x1f", "\x1f"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string out;
        EXPECT_TRUE(Unpack(row.packed, &out));
        EXPECT_TRUE(out == row.expected);
    }
}

TEST(GzipMemReader, RefusesBrokenData) {
    const std::string data = Text(5000);
    std::string corrupt = Member(data);
    corrupt[20] ^= 0x55;
    struct Row {
        const char* name;
        std::string packed;
    };
    const Row rows[] = {
        {"crc mismatch", Member(data, 0, "", 8, 1)},
        {"method other than deflate", Member(data, 0, "", 7)},
        {"reserved flag", Member(data, 0x20)},
        {"extra length beyond the data", std::string("\x1f\x8b\x08\x04\0\0\0\0\0\x03\xff\xff" "abc", 15)},
        {"unterminated name", std::string("\x1f\x8b\x08\x08\0\0\0\0\0\x03name-without-end", 26)},
        {"header only", std::string("\x1f\x8b\x08\0\0\0\0\0\0\x03", 10)},
        {"corrupt deflate data", corrupt},
        {"second member broken", Member("ok") + std::string("\x1f\x8b\x09\0\0\0\0\0\0\x03", 10)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string out;
        EXPECT_FALSE(Unpack(row.packed, &out));
    }
}

TEST(GzipMemReader, EveryTruncationFailsWithoutOverrun) {
    const std::string full = Member(Text(3000), 4 | 8 | 16 | 2, "xyz");
    for (size_t n = 2; n < full.size(); ++n) {
        // A copy of exactly n bytes, so that a read past the end is caught.
        auto* cut = static_cast<unsigned char*>(malloc(n));
        memcpy(cut, full.data(), n);
        unsigned char* out = nullptr;
        unsigned long size = 0;
        EXPECT_EQ(bk::DecompressBufferToBuffer(cut, static_cast<unsigned long>(n), &out, &size), 0u) << n;
        free(out);
        free(cut);
    }
}

TEST(GzipMemReader, BombsAreRefusedAtTheCap) {
    const std::string bomb = tdtest::GzipBytes(std::string(64 * 1024 * 1024, '\0'));
    ASSERT_LT(bomb.size(), 200000u);
    std::string out;
    EXPECT_FALSE(Unpack(bomb, &out));
    EXPECT_FALSE(Unpack(tdtest::GzipBytes(std::string(5000, 'x')), &out, 4999));
    EXPECT_TRUE(Unpack(tdtest::GzipBytes(std::string(5000, 'x')), &out, 5000));
}

TEST(GzipMemReader, ReadsInSmallPieces) {
    const std::string data = Text(10000);
    const std::string packed = Member(data, 8) + Member("tail");
    bk::GzipMemReader reader;
    ASSERT_TRUE(reader.Open(reinterpret_cast<const unsigned char*>(packed.data()), packed.size()));
    EXPECT_FALSE(reader.PassThrough());
    EXPECT_EQ(reader.HeaderBytes(), 10u + 9u);
    std::string got;
    unsigned char piece[7];
    int n;
    while ((n = reader.Read(piece, sizeof piece)) > 0) got.append(reinterpret_cast<char*>(piece), n);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(reader.Close(), Z_OK);
    EXPECT_TRUE(got == data + "tail");
}

TEST(AnswerBuffer, GrowsEnoughForEveryBlock) {
    // A 5000-byte buffer and a 16384-byte block: doubling once is not enough.
    unsigned long size = 5000;
    auto* buf = static_cast<unsigned char*>(calloc(1, size));
    unsigned char* pos = buf;
    std::string block(16384, 'q');
    ASSERT_TRUE(bk::AddMemToBuffer(&buf, &pos, &size, reinterpret_cast<const unsigned char*>(block.data()),
                                   static_cast<unsigned long>(block.size())));
    EXPECT_GE(size, 16384u + 1024u);
    EXPECT_EQ(pos - buf, 16384);
    ASSERT_TRUE(bk::AddMemToBuffer(&buf, &pos, &size, reinterpret_cast<const unsigned char*>("end"), 3));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf)), block + "end");
    free(buf);
}

}  // namespace
