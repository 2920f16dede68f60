// The zip reader: archives built here byte by byte (stored, deflated, data
// descriptors, encryption, damage of every kind), extraction into temporary
// folders, and a bounded random-mutation run over the reading core.
#include <gtest/gtest.h>

#include <zlib.h>

#include <random>
#include <string>
#include <vector>

#include "tdtest.h"
#include "zip_archive.h"
#include "zip_parse.h"

namespace {

std::string U32(uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }
std::string U16(uint16_t v) { return std::string{char(v), char(v >> 8)}; }

std::string Deflate(const std::string& in) {
    z_stream zs = {};
    deflateInit2(&zs, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&zs, static_cast<uLong>(in.size())) + 16, '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    zs.avail_in = static_cast<uInt>(in.size());
    zs.next_out = reinterpret_cast<Bytef*>(&out[0]);
    zs.avail_out = static_cast<uInt>(out.size());
    deflate(&zs, Z_FINISH);
    out.resize(zs.total_out);
    deflateEnd(&zs);
    return out;
}

struct ZEntry {
    std::string name;
    std::string data;
    uint16_t method = 8;          // 0 stored, 8 deflated, anything else written stored
    bool descriptor = false;
    std::string password;
    int64_t declaredSize = -1;    // uncompressed size to announce instead of the real one
    int64_t declaredCrc = -1;
};

const uint16_t kTime = 0x6A21, kDate = 0x5A8C;

std::string BuildZip(const std::vector<ZEntry>& entries, const std::string& stub = "", const std::string& comment = "") {
    std::string body, central;
    for (const ZEntry& e : entries) {
        uint32_t crc = e.declaredCrc >= 0 ? static_cast<uint32_t>(e.declaredCrc)
                                          : crc32(0, reinterpret_cast<const Bytef*>(e.data.data()), static_cast<uInt>(e.data.size()));
        std::string payload = e.method == 8 ? Deflate(e.data) : e.data;
        uint16_t flags = (e.descriptor ? 8 : 0) | (e.password.empty() ? 0 : 1);
        if (!e.password.empty()) {
            zipcore::Keys keys(e.password);
            std::string head(12, '\x5a');
            head[11] = static_cast<char>(e.descriptor ? (kTime >> 8) : (crc >> 24));
            std::string enc;
            for (char c : head + payload) enc += static_cast<char>(keys.Encrypt(static_cast<uint8_t>(c)));
            payload = enc;
        }
        uint32_t usize = e.declaredSize >= 0 ? static_cast<uint32_t>(e.declaredSize) : static_cast<uint32_t>(e.data.size());
        uint32_t csize = static_cast<uint32_t>(payload.size());
        uint32_t offset = static_cast<uint32_t>(body.size());
        body += "PK\x03\x04" + U16(20) + U16(flags) + U16(e.method) + U16(kTime) + U16(kDate);
        body += e.descriptor ? U32(0) + U32(0) + U32(0) : U32(crc) + U32(csize) + U32(usize);
        body += U16(static_cast<uint16_t>(e.name.size())) + U16(0) + e.name + payload;
        if (e.descriptor) body += "PK\x07\x08" + U32(crc) + U32(csize) + U32(usize);
        central += "PK\x01\x02" + U16(20) + U16(20) + U16(flags) + U16(e.method) + U16(kTime) + U16(kDate) + U32(crc) +
                   U32(csize) + U32(usize) + U16(static_cast<uint16_t>(e.name.size())) + U16(0) + U16(0) + U16(0) +
                   U16(0) + U32(0x20) + U32(offset) + e.name;
    }
    std::string end = "PK\x05\x06" + U16(0) + U16(0) + U16(static_cast<uint16_t>(entries.size())) +
                      U16(static_cast<uint16_t>(entries.size())) + U32(static_cast<uint32_t>(central.size())) +
                      U32(static_cast<uint32_t>(body.size())) + U16(static_cast<uint16_t>(comment.size())) + comment;
    return stub + body + central + end;
}

std::string Payload(size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i) s += static_cast<char>('A' + (i * 7 + i / 13) % 26);
    return s;
}

// Opens an archive written to a temp folder and extracts one entry the way
// the player does; gives the cause of a failure, 0 for success, -1 when
// the extraction answered false.
int ExtractOne(const tdtest::TempFolder& tmp, const std::string& zip, const char* name, const char* password = nullptr,
               bool fullPath = false) {
    tmp.Write("p.zip", zip);
    CZipArchive a;
    try {
        a.Open(tmp.File("p.zip").c_str(), CZipArchive::zipOpen, 0);
        if (password) a.SetPassword(password);
        int i = a.FindFile(name, false);
        if (i < 0) return -2;
        bool ok = a.ExtractFile(i, tmp.File("out").c_str(), fullPath);
        a.Close();
        return ok ? 0 : -1;
    } catch (const CZipException& e) {
        a.Close(true);
        return e.m_iCause;
    }
}

}  // namespace

TEST(ZipArchive, ExtractsEveryKindOfGoodEntry) {
    const std::string data = Payload(100000);
    struct Case {
        const char* what;
        ZEntry entry;
        const char* password;
    } cases[] = {
        {"stored", {"lame_enc.dll", data, 0}, nullptr},
        {"deflated", {"lame_enc.dll", data, 8}, nullptr},
        {"data descriptor", {"lame_enc.dll", data, 8, true}, nullptr},
        {"encrypted", {"lame_enc.dll", data, 8, false, "geheim"}, "geheim"},
        {"encrypted with descriptor", {"lame_enc.dll", data, 0, true, "geheim"}, "geheim"},
        {"empty file", {"lame_enc.dll", "", 0}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        tdtest::TempFolder tmp("zip");
        std::string expect = c.entry.data;
        EXPECT_EQ(0, ExtractOne(tmp, BuildZip({{"readme.txt", "hello"}, c.entry}), "LAME_ENC.DLL", c.password));
        EXPECT_EQ(expect, tmp.Read("out\\lame_enc.dll"));
        EXPECT_FALSE(tmp.Exists("out\\lame_enc.dll.tdpart"));
    }
}

TEST(ZipArchive, DamagedArchivesGiveTheirCause) {
    const std::string data = Payload(5000);
    std::string good = BuildZip({{"lame_enc.dll", data}});
    std::string noEnd = good.substr(0, good.size() - 22);
    std::string wrongLocal = good;
    wrongLocal[0] = 'X';
    ZEntry bomb{"lame_enc.dll", std::string(4 << 20, '\0')};
    bomb.declaredSize = 1000;
    ZEntry huge{"lame_enc.dll", "abc"};
    huge.declaredSize = 0x7FFFFFFF;
    ZEntry badCrc{"lame_enc.dll", data};
    badCrc.declaredCrc = 1234;
    ZEntry method12{"lame_enc.dll", data, 12};
    // Cut inside the entry's data but with the directory kept: the data runs past the directory's start.
    std::string cutData = good.substr(0, 100) + good.substr(good.size() - 46 - 12 - 22);
    struct Case {
        const char* what;
        std::string zip;
        const char* password;
        int cause;
    } cases[] = {
        {"no end record", noEnd, nullptr, 18},
        {"truncated to nothing", good.substr(0, 10), nullptr, 18},
        {"wrong local signature", wrongLocal, nullptr, 10},
        {"data cut short", cutData, nullptr, 10},
        {"unknown method", BuildZip({method12}), nullptr, 10},
        {"inflates beyond its size", BuildZip({bomb}), nullptr, 10},
        {"announces too much", BuildZip({huge}), nullptr, 10},
        {"wrong CRC", BuildZip({badCrc}), nullptr, 11},
        {"wrong password", BuildZip({{"lame_enc.dll", data, 8, false, "right"}}), "wrong", 17},
        {"encrypted, no password", BuildZip({{"lame_enc.dll", data, 8, false, "right"}}), nullptr, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        tdtest::TempFolder tmp("zip");
        EXPECT_EQ(c.cause, ExtractOne(tmp, c.zip, "lame_enc.dll", c.password));
        EXPECT_FALSE(tmp.Exists("out\\lame_enc.dll"));
        EXPECT_FALSE(tmp.Exists("out\\lame_enc.dll.tdpart"));
    }
}

TEST(ZipArchive, NamesThatLeaveTheFolderAreRefused) {
    const char* names[] = {"../evil.dll", "..\\evil.dll", "sub/../../evil.dll", "/evil.dll", "\\evil.dll",
                           "C:\\evil.dll", "C:evil.dll", "..", ". ."};
    for (const char* n : names) {
        SCOPED_TRACE(n);
        tdtest::TempFolder tmp("zip");
        EXPECT_EQ(-1, ExtractOne(tmp, BuildZip({{n, "x"}}), n, nullptr, true));
        EXPECT_FALSE(tmp.Exists("evil.dll"));
    }
    tdtest::TempFolder tmp("zip");
    EXPECT_EQ(0, ExtractOne(tmp, BuildZip({{"bin/sub/lame_enc.dll", "ok"}}), "bin\\sub\\lame_enc.dll", nullptr, true));
    EXPECT_EQ("ok", tmp.Read("out\\bin\\sub\\lame_enc.dll"));
}

TEST(ZipArchive, FindsTheEndRecordBehindStubsAndComments) {
    tdtest::TempFolder tmp("zip");
    std::string stub(3000, 'M');
    EXPECT_EQ(0, ExtractOne(tmp, BuildZip({{"lame_enc.dll", "with stub"}}, stub), "lame_enc.dll"));
    EXPECT_EQ("with stub", tmp.Read("out\\lame_enc.dll"));

    std::string longComment(65535, 'c');
    EXPECT_EQ(0, ExtractOne(tmp, BuildZip({{"lame_enc.dll", "comment"}}, "", longComment), "lame_enc.dll"));
    // One byte more behind the record than a comment can hold: not found.
    EXPECT_EQ(18, ExtractOne(tmp, BuildZip({{"lame_enc.dll", "x"}}, "", longComment) + "z", "lame_enc.dll"));
}

TEST(ZipArchive, ForwardSlashesAndTrailingBackslashes) {
    tdtest::TempFolder tmp("zip");
    tmp.Write("a.zip", BuildZip({{"lame/bin/lame_enc.dll", "dll"}, {"lame/", ""}}));
    CZipArchive a;
    a.Open(tmp.File("a.zip").c_str());
    EXPECT_EQ(0, a.FindFile("lame\\bin\\lame_enc.dll"));
    EXPECT_EQ(0, a.FindFile("LAME/BIN/LAME_ENC.DLL", false));
    EXPECT_EQ(-1, a.FindFile("LAME/BIN/LAME_ENC.DLL", true));
    EXPECT_TRUE(a.IsFileDirectory(1));
    EXPECT_TRUE(a.ExtractFile(0, (tmp.Path() + "\\x\\").c_str(), false));
    EXPECT_EQ("dll", tmp.Read("x\\lame_enc.dll"));
    EXPECT_TRUE(a.ExtractFile(1, (tmp.Path() + "\\y").c_str(), true));
    EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY, GetFileAttributesA(tmp.File("y\\lame").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_FALSE(a.ExtractFile(0, nullptr, false));
    EXPECT_FALSE(a.ExtractFile(0, tmp.Path().c_str(), false, nullptr, nullptr, nullptr, 0));
}

TEST(ZipArchive, StoppedExtractionLeavesNothing) {
    tdtest::TempFolder tmp("zip");
    tmp.Write("a.zip", BuildZip({{"lame_enc.dll", Payload(200000)}}));
    CZipArchive a;
    a.Open(tmp.File("a.zip").c_str());
    int calls = 0;
    auto stop = [](DWORD, DWORD, void* user) { return ++*static_cast<int*>(user) < 2; };
    EXPECT_FALSE(a.ExtractFile(0, tmp.Path().c_str(), false, nullptr, stop, &calls, 4096));
    EXPECT_EQ(2, calls);
    EXPECT_FALSE(tmp.Exists("lame_enc.dll"));
    EXPECT_FALSE(tmp.Exists("lame_enc.dll.tdpart"));
    EXPECT_TRUE(a.TestFile(0));
}

// Random damage to a small archive, read entirely through the reading core:
// no crash, no endless loop, never more output than announced.
TEST(ZipFuzz, MutatedArchivesAreReadSafely) {
    std::string base = BuildZip({{"a.txt", Payload(3000), 8},
                                 {"b/c.dll", Payload(500), 0},
                                 {"d.bin", Payload(2000), 8, true, "pw"}});
    std::mt19937 rng(4711);
    std::vector<uint8_t> out(4096);
    int opened = 0;
    for (int round = 0; round < 30000; ++round) {
        std::string s = base;
        int flips = 1 + static_cast<int>(rng() % 8);
        for (int i = 0; i < flips; ++i) s[rng() % s.size()] = static_cast<char>(rng());
        if (rng() % 5 == 0) s.resize(rng() % s.size());
        std::vector<uint8_t> bytes(s.begin(), s.end());
        zipcore::MemorySource src(bytes.data(), bytes.size());
        zipcore::Directory dir;
        if (zipcore::ReadDirectory(src, &dir) != zipcore::kOk) continue;
        for (const zipcore::FileHeader& h : dir.entries) {
            zipcore::EntryReader r;
            if (r.Open(src, dir, h, "pw", 1 << 20) != zipcore::kOk) continue;
            ++opened;
            uint64_t total = 0;
            for (int guard = 0; guard < 10000; ++guard) {
                size_t got = 0;
                if (r.Read(out.data(), out.size(), &got) != zipcore::kOk || got == 0) break;
                total += got;
                ASSERT_LE(total, h.uncompressedSize);
            }
            r.Close();
        }
    }
    EXPECT_GT(opened, 100);
}
