// The zip reader: archives built here byte by byte (stored, deflated, data
// descriptors, encryption, damage of every kind), extraction into temporary
// folders, and a bounded random-mutation run over the reading core.
#include <gtest/gtest.h>

#include <zlib.h>

#include <algorithm>
#include <functional>
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

// With `span` above 0 the archive is laid out as a spanned set cut every
// `span` bytes: it starts with the spanning signature and every offset
// names its volume; SplitSet cuts it into the volumes.
std::string BuildZip(const std::vector<ZEntry>& entries, const std::string& stub = "", const std::string& comment = "",
                     uint32_t span = 0) {
    std::string body = span ? "PK\x07\x08" : "", central;
    auto disk = [&](size_t pos) { return static_cast<uint16_t>(span ? pos / span : 0); };
    auto offset = [&](size_t pos) { return static_cast<uint32_t>(span ? pos % span : pos); };
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
        size_t at = body.size();
        body += "PK\x03\x04" + U16(20) + U16(flags) + U16(e.method) + U16(kTime) + U16(kDate);
        body += e.descriptor ? U32(0) + U32(0) + U32(0) : U32(crc) + U32(csize) + U32(usize);
        body += U16(static_cast<uint16_t>(e.name.size())) + U16(0) + e.name + payload;
        if (e.descriptor) body += "PK\x07\x08" + U32(crc) + U32(csize) + U32(usize);
        central += "PK\x01\x02" + U16(20) + U16(20) + U16(flags) + U16(e.method) + U16(kTime) + U16(kDate) + U32(crc) +
                   U32(csize) + U32(usize) + U16(static_cast<uint16_t>(e.name.size())) + U16(0) + U16(0) +
                   U16(disk(at)) + U16(0) + U32(0x20) + U32(offset(at)) + e.name;
    }
    const size_t before = body.size() + central.size();
    const uint16_t last = span ? static_cast<uint16_t>((before + span - 1) / span - 1) : 0;
    std::string end = "PK\x05\x06" + U16(last) + U16(disk(body.size())) + U16(static_cast<uint16_t>(entries.size())) +
                      U16(static_cast<uint16_t>(entries.size())) + U32(static_cast<uint32_t>(central.size())) +
                      U32(offset(body.size())) + U16(static_cast<uint16_t>(comment.size())) + comment;
    return stub + body + central + end;
}

// The volumes of a set BuildZip laid out with `span`; the end record stays
// whole on the last one.
std::vector<std::string> SplitSet(const std::string& set, uint32_t span) {
    std::vector<std::string> volumes;
    const size_t tail = set.size() - 22;
    for (size_t at = 0; at < tail; at += span) volumes.push_back(set.substr(at, std::min<size_t>(span, tail - at)));
    volumes.back() += set.substr(tail);
    return volumes;
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

// ---------------------------------------------------------------- creating and changing

namespace {

// An entry's data read back through the archive's own entry calls.
std::string ReadEntry(CZipArchive& a, int index) {
    std::string out;
    if (!a.OpenFile(index)) return "<not opened>";
    char buf[4096];
    for (DWORD got; (got = a.ReadFile(buf, sizeof buf)) > 0;) out.append(buf, got);
    EXPECT_EQ(1, a.CloseFile());
    return out;
}

bool AddEntry(CZipArchive& a, const std::string& name, const std::string& data, int level = -1,
              const char* source = nullptr) {
    CZipFileHeader h;
    h.name = name;
    if (!a.OpenNewFile(h, level, source)) return false;
    // In pieces, as a caller that reads its source in chunks writes it.
    for (size_t at = 0; at < data.size(); at += 7000)
        if (!a.WriteNewFile(data.data() + at, static_cast<DWORD>(std::min<size_t>(7000, data.size() - at))))
            return false;
    return a.CloseNewFile();
}

int CauseOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const CZipException& e) {
        return e.m_iCause;
    }
    return 0;
}

}  // namespace

TEST(ZipWriting, ACreatedArchiveReadsBackEveryKindOfEntry) {
    tdtest::TempFolder tmp("zipw");
    const std::string data = Payload(50000);
    tmp.Write("source.txt", "from a file");
    SetFileAttributesA(tmp.File("source.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    struct Case {
        const char* name;
        int level;
        uint16_t method, levelBits;
    } cases[] = {
        {"stored.bin", 0, 0, 0},   {"fast.bin", 1, 8, 6},    {"level2.bin", 2, 8, 4},
        {"default.bin", -1, 8, 0}, {"level8.bin", 8, 8, 2},  {"best\\sub\\deep.bin", 9, 8, 2},
    };
    {
        CZipArchive a;
        a.SetAdvanced(1024, 1024, 1024);   // the data passes through many small writes
        a.Open(tmp.File("new.zip").c_str(), CZipArchive::zipCreate);
        for (const Case& c : cases) ASSERT_TRUE(AddEntry(a, c.name, data, c.level)) << c.name;
        ASSERT_TRUE(AddEntry(a, "folder\\", ""));
        ASSERT_TRUE(AddEntry(a, "", "unnamed"));
        ASSERT_TRUE(AddEntry(a, "copied.txt", "from a file", -1, tmp.File("source.txt").c_str()));
        CZipFileHeader h;
        h.name = "missing.txt";
        EXPECT_FALSE(a.OpenNewFile(h, -1, tmp.File("no such file").c_str()));
        EXPECT_TRUE(a.SetGlobalComment("made by the test"));
        EXPECT_TRUE(a.SetFileComment(0, "the first"));
        a.Close();
    }
    SetFileAttributesA(tmp.File("source.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    CZipArchive a;
    a.Open(tmp.File("new.zip").c_str(), CZipArchive::zipOpenReadOnly);
    const int n = static_cast<int>(sizeof cases / sizeof cases[0]);
    ASSERT_EQ(n + 3, a.GetNoEntries());
    EXPECT_EQ("made by the test", a.GetGlobalComment());
    for (int i = 0; i < n; ++i) {
        SCOPED_TRACE(cases[i].name);
        CZipFileHeader h;
        ASSERT_TRUE(a.GetFileInfo(h, i));
        EXPECT_EQ(cases[i].method, h.method);
        EXPECT_EQ(cases[i].levelBits, h.flags & 6);
        EXPECT_EQ(20, h.versionMadeBy);
        EXPECT_EQ(20, h.versionNeeded);
        EXPECT_EQ(a.FindFile(cases[i].name), i);
        EXPECT_EQ(data, ReadEntry(a, i));
        EXPECT_TRUE(a.TestFile(i));
    }
    CZipFileHeader first;
    a.GetFileInfo(first, 0);
    EXPECT_EQ("the first", first.comment);
    CZipFileHeader deep;
    a.GetFileInfo(deep, 5);
    EXPECT_EQ("best/sub/deep.bin", deep.name);   // stored with forward slashes
    EXPECT_TRUE(a.IsFileDirectory(n));
    EXPECT_EQ(n + 1, a.FindFile(("file" + std::to_string(n + 1)).c_str()));
    EXPECT_EQ("unnamed", ReadEntry(a, n + 1));
    CZipFileHeader copied;
    a.GetFileInfo(copied, n + 2);
    EXPECT_TRUE(copied.externalAttr & FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(a.ExtractFile(n + 2, tmp.File("out").c_str()));
    EXPECT_EQ("from a file", tmp.Read("out\\copied.txt"));
    SetFileAttributesA(tmp.File("out\\copied.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(ZipWriting, EncryptedEntriesNeedTheirPassword) {
    tdtest::TempFolder tmp("zipw");
    const std::string data = Payload(20000);
    {
        CZipArchive a;
        a.Open(tmp.File("secret.zip").c_str(), CZipArchive::zipCreate);
        a.SetPassword("geheim");
        ASSERT_TRUE(AddEntry(a, "deflated.bin", data));
        ASSERT_TRUE(AddEntry(a, "stored.bin", data, 0));
        a.Close();
    }
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        CZipArchive a;
        a.Open(tmp.File("secret.zip").c_str(), CZipArchive::zipOpenReadOnly);
        CZipFileHeader h;
        a.GetFileInfo(h, i);
        EXPECT_TRUE(h.IsEncrypted());
        EXPECT_FALSE(a.OpenFile(i));   // no password
        a.SetPassword("falsch");
        EXPECT_EQ(17, CauseOf([&] { a.OpenFile(i); }));
        a.SetPassword("geheim");
        EXPECT_EQ(data, ReadEntry(a, i));
    }
}

TEST(ZipWriting, AddingToAnArchiveKeepsItsEntriesStubAndComment) {
    tdtest::TempFolder tmp("zipw");
    const std::string stub(2000, 'S');
    tmp.Write("old.zip", BuildZip({{"one.txt", Payload(3000)}, {"two.txt", "zwei", 0}}, stub, "old comment"));
    {
        CZipArchive a;
        a.Open(tmp.File("old.zip").c_str(), CZipArchive::zipOpen);
        ASSERT_TRUE(AddEntry(a, "three.txt", Payload(9000)));
        a.Close();
    }
    EXPECT_EQ(stub, tmp.Read("old.zip").substr(0, stub.size()));
    CZipArchive a;
    a.Open(tmp.File("old.zip").c_str(), CZipArchive::zipOpenReadOnly);
    ASSERT_EQ(3, a.GetNoEntries());
    EXPECT_EQ("old comment", a.GetGlobalComment());
    EXPECT_EQ(Payload(3000), ReadEntry(a, 0));
    EXPECT_EQ("zwei", ReadEntry(a, 1));
    EXPECT_EQ(Payload(9000), ReadEntry(a, 2));
}

TEST(ZipWriting, DeletingEntriesMovesTheRestForward) {
    tdtest::TempFolder tmp("zipw");
    std::vector<ZEntry> entries = {{"a.txt", Payload(4000)}, {"b.txt", Payload(30000), 0}, {"c.txt", "c"},
                                   {"d.txt", Payload(70000), 0}, {"e.txt", Payload(500), 8, true}};
    const std::string before = BuildZip(entries, "stub");
    tmp.Write("d.zip", before);
    {
        CZipArchive a;
        a.SetAdvanced(65535, 1024);   // data moves in 1 KiB steps
        a.Open(tmp.File("d.zip").c_str(), CZipArchive::zipOpen);
        ASSERT_TRUE(a.OpenFile(0));
        EXPECT_FALSE(a.DeleteFile(1)) << "deleted while an entry is open";
        a.CloseFile(nullptr, true);
        EXPECT_FALSE(a.DeleteFile(5));
        ASSERT_TRUE(a.DeleteFile(1));
        ASSERT_TRUE(a.DeleteFiles(std::vector<std::string>{"D.TXT", "not there"}));
        a.Close();
    }
    EXPECT_LT(tmp.Read("d.zip").size(), before.size() - 100000);
    CZipArchive a;
    a.Open(tmp.File("d.zip").c_str(), CZipArchive::zipOpenReadOnly);
    ASSERT_EQ(3, a.GetNoEntries());
    const char* names[] = {"a.txt", "c.txt", "e.txt"};
    const std::string data[] = {Payload(4000), "c", Payload(500)};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(i, a.FindFile(names[i]));
        EXPECT_EQ(data[i], ReadEntry(a, i)) << names[i];
    }
    EXPECT_EQ(-1, a.FindFile("b.txt"));
    EXPECT_FALSE(a.DeleteFile(0)) << "deleted from a read-only archive";
}

TEST(ZipWriting, RefusalsAndLimits) {
    tdtest::TempFolder tmp("zipw");
    tmp.Write("r.zip", BuildZip({{"a.txt", "a"}}));
    CZipArchive ro;
    ro.Open(tmp.File("r.zip").c_str(), CZipArchive::zipOpenReadOnly);
    CZipFileHeader h;
    h.name = "new.txt";
    EXPECT_FALSE(ro.OpenNewFile(h));
    EXPECT_FALSE(ro.SetGlobalComment("x"));
    // Open on an open archive does nothing.
    ro.Open(tmp.File("other.zip").c_str(), CZipArchive::zipCreate);
    EXPECT_EQ(1, ro.GetNoEntries());
    EXPECT_FALSE(tmp.Exists("other.zip"));
    ro.Close();

    CZipArchive a;
    a.Open(tmp.File("w.zip").c_str(), CZipArchive::zipCreate);
    ASSERT_TRUE(a.OpenNewFile(h));
    CZipFileHeader second;
    second.name = "second.txt";
    EXPECT_FALSE(a.OpenNewFile(second)) << "two new entries at once";
    EXPECT_FALSE(a.OpenFile(0));
    ASSERT_TRUE(a.CloseNewFile());
    CZipFileHeader longName;
    longName.name = std::string(65536, 'n');
    EXPECT_EQ(16, CauseOf([&] { a.OpenNewFile(longName); }));
    EXPECT_FALSE(a.SetGlobalComment(std::string(65536, 'c').c_str()));
    EXPECT_TRUE(a.SetGlobalComment(std::string(65535, 'c').c_str()));
    a.Close();
    CZipArchive back;
    back.Open(tmp.File("w.zip").c_str(), CZipArchive::zipOpenReadOnly);
    EXPECT_EQ(1, back.GetNoEntries());
    EXPECT_EQ(65535u, back.GetGlobalComment().size());
    back.Close();

    CZipArchive span;
    EXPECT_NE(0, CauseOf([&] { span.Open(tmp.File("s.zip").c_str(), CZipArchive::zipCreateSpan); }));
    EXPECT_TRUE(span.IsClosed());
    // A volume size does not make a plain archive a spanned one: its end record says which it is.
    span.Open(tmp.File("r.zip").c_str(), CZipArchive::zipOpen, 1000000);
    EXPECT_EQ("a", ReadEntry(span, 0));
    span.Close();

    // An empty new archive is still a valid one.
    CZipArchive empty;
    empty.Open(tmp.File("empty.zip").c_str(), CZipArchive::zipCreate);
    empty.Close();
    EXPECT_EQ(22u, tmp.Read("empty.zip").size());
    empty.Open(tmp.File("empty.zip").c_str(), CZipArchive::zipOpenReadOnly);
    EXPECT_EQ(0, empty.GetNoEntries());
}

TEST(ZipArchive, FindsNamesThroughItsSortedIndex) {
    std::vector<ZEntry> entries;
    std::mt19937 rng(17);
    for (int i = 0; i < 300; ++i) entries.push_back({"dir" + std::to_string(rng() % 1000) + "/n" + std::to_string(i), "x", 0});
    entries.push_back({"Twice.txt", "first", 0});
    entries.push_back({"TWICE.TXT", "second", 0});
    tdtest::TempFolder tmp("zip");
    tmp.Write("i.zip", BuildZip(entries));
    CZipArchive a;
    a.Open(tmp.File("i.zip").c_str());
    for (int i = 0; i < 300; ++i) ASSERT_EQ(i, a.FindFile(entries[i].name.c_str(), i % 2 == 0)) << entries[i].name;
    EXPECT_EQ(300, a.FindFile("twice.txt", false));   // of equal names the first in the directory
    EXPECT_EQ(301, a.FindFile("TWICE.TXT", true));
    EXPECT_EQ(-1, a.FindFile("twice.txt", true));
    EXPECT_EQ(-1, a.FindFile("dir", false));
    // A new entry is found at once.
    ASSERT_TRUE(AddEntry(a, "added.txt", "new"));
    EXPECT_EQ(302, a.FindFile("ADDED.TXT"));
}

TEST(ZipArchive, EndRecordAcrossSearchChunks) {
    for (size_t chunk : {size_t(1024), size_t(4096)}) {
        for (size_t comment = chunk - 30; comment < chunk + 30; ++comment) {
            std::string zip = BuildZip({{"a", "b"}}, "", std::string(comment, 'c'));
            std::vector<uint8_t> bytes(zip.begin(), zip.end());
            zipcore::MemorySource src(bytes.data(), bytes.size());
            zipcore::Directory dir;
            ASSERT_EQ(zipcore::kOk, zipcore::ReadDirectory(src, &dir, chunk)) << chunk << " " << comment;
            EXPECT_EQ(comment, dir.comment.size());
        }
    }
}

TEST(ZipArchive, OpensAFileTheCallerKeeps) {
    tdtest::TempFolder tmp("zip");
    tmp.Write("k.zip", BuildZip({{"a.txt", Payload(3000)}}));
    CZipBigFile file;
    ASSERT_TRUE(file.Open(tmp.File("k.zip").c_str(), true));
    CZipArchive a;
    a.Open(file, CZipArchive::zipCreateSpan);
    EXPECT_TRUE(a.IsClosed()) << "mode 3 on an open file does nothing";
    a.Open(file, CZipArchive::zipOpenReadOnly);
    ASSERT_FALSE(a.IsClosed());
    EXPECT_EQ(Payload(3000), ReadEntry(a, 0));
    EXPECT_FALSE(a.SetGlobalComment("read-only"));
    a.Close();
    char sig[2];
    EXPECT_TRUE(file.ReadAt(0, sig, 2)) << "Close leaves the caller's file open";

    a.Open(file, CZipArchive::zipCreate);
    ASSERT_TRUE(AddEntry(a, "b.txt", "new"));
    a.Close();
    file.Close();
    a.Open(tmp.File("k.zip").c_str(), CZipArchive::zipOpenReadOnly);
    ASSERT_EQ(1, a.GetNoEntries());
    EXPECT_EQ("new", ReadEntry(a, 0));
}

// ---------------------------------------------------------------- spanned sets

namespace {

std::vector<ZEntry> SetEntries() {
    return {{"stored.bin", Payload(9000), 0},
            {"deflated.bin", Payload(12000) + std::string(5000, 'z'), 8},
            {"descriptor.bin", Payload(4000), 8, true},
            {"secret.bin", Payload(6000), 0, true, "pw"},
            {"folder/with a long name/inside.txt", "last", 0}};
}

// Writes the volumes as files beside "set.zip" (the last volume).
void WriteSet(const tdtest::TempFolder& tmp, const std::vector<std::string>& volumes) {
    for (size_t i = 0; i + 1 < volumes.size(); ++i) {
        char ext[8];
        snprintf(ext, sizeof ext, ".%.3u", static_cast<unsigned>(i + 1));
        tmp.Write(std::string("set") + ext, volumes[i]);
    }
    tmp.Write("set.zip", volumes.back());
}

// Opens the set and extracts every entry: 0, or the cause of the first failure
// (-1 for an extraction that answered false).
int ExtractSet(const tdtest::TempFolder& tmp, CZipArchive& a, int volumeSize = 0) {
    try {
        a.Open(tmp.File("set.zip").c_str(), CZipArchive::zipOpenReadOnly, volumeSize);
        a.SetPassword("pw");
        for (int i = 0; i < a.GetNoEntries(); ++i)
            if (!a.ExtractFile(i, tmp.File("out").c_str())) return -1;
        a.Close();
        return 0;
    } catch (const CZipException& e) {
        a.Close(true);
        return e.m_iCause;
    }
}

}  // namespace

TEST(ZipSpanned, ReadsEveryEntryAcrossVolumeFiles) {
    const std::vector<ZEntry> entries = SetEntries();
    // Small volumes cut headers, names, the encryption header and the directory in two.
    for (uint32_t span : {700u, 4096u, 7000u}) {
        for (int volumeSize : {0, 1440000}) {
            SCOPED_TRACE(std::to_string(span) + " " + std::to_string(volumeSize));
            tdtest::TempFolder tmp("zips");
            std::vector<std::string> volumes = SplitSet(BuildZip(entries, "", "", span), span);
            ASSERT_GT(volumes.size(), 2u);
            WriteSet(tmp, volumes);
            CZipArchive a;
            ASSERT_EQ(0, ExtractSet(tmp, a, volumeSize));
            for (const ZEntry& e : entries)
                EXPECT_TRUE(e.data == tmp.Read("out\\" + zipcore::NameWithBackslashes(e.name))) << e.name;
        }
    }
}

TEST(ZipSpanned, ASetIsReadButNeverChanged) {
    tdtest::TempFolder tmp("zips");
    std::vector<std::string> volumes = SplitSet(BuildZip(SetEntries(), "", "", 4096), 4096);
    WriteSet(tmp, volumes);
    CZipArchive a;
    a.Open(tmp.File("set.zip").c_str(), CZipArchive::zipOpen);
    EXPECT_EQ(5, a.GetNoEntries());
    EXPECT_EQ(4, a.FindFile("folder\\with a long name\\inside.txt"));
    EXPECT_EQ("last", ReadEntry(a, 4));
    CZipFileHeader h;
    h.name = "new.txt";
    EXPECT_FALSE(a.OpenNewFile(h));
    EXPECT_FALSE(a.DeleteFile(0));
    EXPECT_FALSE(a.SetGlobalComment("x"));
    a.Close();
    EXPECT_EQ(volumes.back(), tmp.Read("set.zip"));
    EXPECT_EQ(volumes[0], tmp.Read("set.001"));
}

TEST(ZipSpanned, BrokenVolumeSetsAreRefused) {
    const uint32_t span = 3000;
    const std::vector<std::string> good = SplitSet(BuildZip(SetEntries(), "", "", span), span);
    ASSERT_GE(good.size(), 5u);
    struct Case {
        const char* what;
        std::function<void(std::vector<std::string>&, const tdtest::TempFolder&)> damage;
        int cause;
    } cases[] = {
        {"second volume missing", [](auto&, auto& t) { DeleteFileA(t.File("set.002").c_str()); }, 1},
        {"only the last volume", [](auto& v, auto& t) {
             for (size_t i = 1; i < v.size(); ++i) {
                 char ext[8];
                 snprintf(ext, sizeof ext, ".%.3u", static_cast<unsigned>(i));
                 DeleteFileA(t.File(std::string("set") + ext).c_str());
             }
         }, 1},
        {"first two swapped", [](auto& v, auto& t) {
             t.Write("set.001", v[1]);
             t.Write("set.002", v[0]);
         }, 10},
        // The stored entry running across them reads wrong bytes: its CRC tells.
        {"middle two swapped", [](auto& v, auto& t) {
             t.Write("set.002", v[2]);
             t.Write("set.003", v[1]);
         }, 11},
        {"a volume cut short", [](auto& v, auto& t) { t.Write("set.002", v[1].substr(0, 2000)); }, 11},
        {"the first volume emptied", [](auto&, auto& t) { t.Write("set.001", ""); }, 10},
        {"more than 999 volumes", [](auto& v, auto& t) {
             std::string last = v.back();
             last[last.size() - 18] = static_cast<char>(999 & 0xff);
             last[last.size() - 17] = static_cast<char>(999 >> 8);
             t.Write("set.zip", last);
         }, 15},
        {"directory larger than the whole set", [](auto& v, auto& t) {
             std::string last = v.back();
             last.replace(last.size() - 10, 4, U32(0xFFFFFFF0));
             t.Write("set.zip", last);
         }, 10},
        {"directory on a later volume than the record", [](auto& v, auto& t) {
             std::string last = v.back();
             last[last.size() - 16] = static_cast<char>(v.size());
             t.Write("set.zip", last);
         }, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        tdtest::TempFolder tmp("zips");
        std::vector<std::string> volumes = good;
        WriteSet(tmp, volumes);
        c.damage(volumes, tmp);
        CZipArchive a;
        EXPECT_EQ(c.cause, ExtractSet(tmp, a));
        EXPECT_TRUE(a.IsClosed());
        EXPECT_FALSE(tmp.Exists("out\\stored.bin")) << "the entry across the damage is never written";
    }
}

namespace {

// A removable drive holding one disk of the set at a time, as a person
// changes them when the archive asks.
class DiskDrive : public CZipArchive {
public:
    DiskDrive(const tdtest::TempFolder& tmp, std::vector<std::string> disks) : tmp_(tmp), disks_(std::move(disks)) {}

    void Insert(int volume, int labelled) {
        tmp_.Write("set.zip", disks_[static_cast<size_t>(volume - 1)]);
        char label[16];
        snprintf(label, sizeof label, "pkback# %.3d", labelled);
        label_ = label;
    }
    static bool Ask(DWORD volume, DWORD, void* user) {
        DiskDrive* d = static_cast<DiskDrive*>(user);
        d->asked.push_back(static_cast<int>(volume));
        if (d->asked.size() > d->patience) return false;
        // At the second request a wrong disk goes in: the one after the one asked for.
        int give = d->asked.size() == 2 ? static_cast<int>(volume % d->disks_.size()) + 1 : static_cast<int>(volume);
        d->Insert(give, give);
        return true;
    }
    std::vector<int> asked;
    size_t patience = 100;   // requests answered before the person gives up

protected:
    bool IsRemovableDrive(const std::string&) const override { return true; }
    std::string VolumeLabel(const std::string&) const override { return label_; }

private:
    const tdtest::TempFolder& tmp_;
    std::vector<std::string> disks_;
    std::string label_;
};

}  // namespace

TEST(ZipSpanned, DisksAreAskedForOneByOne) {
    const uint32_t span = 5000;
    const std::vector<ZEntry> entries = SetEntries();
    const std::vector<std::string> disks = SplitSet(BuildZip(entries, "", "", span), span);
    ASSERT_EQ(4u, disks.size());
    const int last = static_cast<int>(disks.size());
    {
        tdtest::TempFolder tmp("zips");
        DiskDrive a(tmp, disks);
        a.Insert(last, last);
        EXPECT_EQ(12, CauseOf([&] { a.Open(tmp.File("set.zip").c_str(), CZipArchive::zipOpenReadOnly); }));
        EXPECT_TRUE(a.IsClosed());
    }
    {
        tdtest::TempFolder tmp("zips");
        DiskDrive a(tmp, disks);
        a.Insert(last, last);
        a.SetSpanCallback(&DiskDrive::Ask, &a);
        EXPECT_EQ(0, ExtractSet(tmp, a));
        for (const ZEntry& e : entries)
            EXPECT_TRUE(e.data == tmp.Read("out\\" + zipcore::NameWithBackslashes(e.name))) << e.name;
        // Each disk once as reading goes on, the wrong one's request again;
        // the last again, having gone out for the first.
        EXPECT_EQ((std::vector<int>{1, 2, 2, 3, 4}), a.asked);
    }
    {
        tdtest::TempFolder tmp("zips");
        DiskDrive a(tmp, disks);
        a.Insert(last, last);
        a.SetSpanCallback(&DiskDrive::Ask, &a);
        a.patience = 0;
        EXPECT_EQ(13, ExtractSet(tmp, a));
        EXPECT_EQ(std::vector<int>{1}, a.asked);
        EXPECT_FALSE(tmp.Exists("out\\stored.bin"));
    }
}
