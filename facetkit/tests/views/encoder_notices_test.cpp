// The encoder download: the source list, the sources tried in turn, and the
// zip file's place.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "encoder_notices.h"
#include "tdtest.h"

namespace {

using V = std::vector<std::string>;

TEST(EncoderNotices, SourceList) {
    const char* list = "<x><item> http://a/1.zip </item>\n<item></item><item>http://b/2.zip</item><item>open";
    EXPECT_EQ(EncoderSources(list, strlen(list)), (V{"http://a/1.zip", "http://b/2.zip"}));
    EXPECT_EQ(EncoderSources(list, 20), V{});
    EXPECT_EQ(EncoderSources(nullptr, 5), V{});
    EXPECT_EQ(EncoderZipPath("C:\\P\\tunerdeck\\skins\\"), "C:\\P\\tunerdeck\\lame_zip.zip");
    EXPECT_EQ(EncoderZipPath("skins"), "\\lame_zip.zip");
}

// A zip archive of stored entries (CRCs left 0: nothing here reads them).
std::string Zip(const std::vector<std::pair<std::string, std::string>>& entries, uint16_t method = 0) {
    auto le16 = [](std::string* s, uint32_t v) { s->push_back(char(v & 255)); s->push_back(char(v >> 8 & 255)); };
    auto le32 = [&](std::string* s, uint32_t v) { le16(s, v & 0xFFFF); le16(s, v >> 16); };
    std::string local, central;
    for (const auto& e : entries) {
        const uint32_t at = static_cast<uint32_t>(local.size());
        le32(&local, 0x04034b50); le16(&local, 20); le16(&local, 0); le16(&local, method);
        le32(&local, 0); le32(&local, 0);
        le32(&local, uint32_t(e.second.size())); le32(&local, uint32_t(e.second.size()));
        le16(&local, uint16_t(e.first.size())); le16(&local, 0);
        local += e.first + e.second;
        le32(&central, 0x02014b50); le16(&central, 20); le16(&central, 20); le16(&central, 0); le16(&central, method);
        le32(&central, 0); le32(&central, 0);
        le32(&central, uint32_t(e.second.size())); le32(&central, uint32_t(e.second.size()));
        le16(&central, uint16_t(e.first.size())); le16(&central, 0); le16(&central, 0); le16(&central, 0);
        le16(&central, 0); le32(&central, 0); le32(&central, at);
        central += e.first;
    }
    std::string end;
    le32(&end, 0x06054b50); le16(&end, 0); le16(&end, 0);
    le16(&end, uint16_t(entries.size())); le16(&end, uint16_t(entries.size()));
    le32(&end, uint32_t(central.size())); le32(&end, uint32_t(local.size())); le16(&end, 0);
    return local + central + end;
}
bool Holds(const std::string& bytes) {
    return EncoderArchiveHoldsLibrary(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

TEST(EncoderNotices, OnlyAnArchiveHoldingTheLibraryIsTaken) {
    const std::string good = Zip({{"readme.txt", "hi"}, {"bin/LAME_Enc.DLL", "MZ"}});
    struct Case {
        const char* what;
        std::string bytes;
        bool taken;
    } cases[] = {
        {"the library in a folder, any case", good, true},
        {"deflated", Zip({{"lame_enc.dll", "MZ"}}, 8), true},
        {"an error page", "<html>Not found</html>", false},
        {"another library", Zip({{"lame_enc.dll.bak", "MZ"}, {"xlame_enc.dll", "MZ"}}), false},
        {"an unknown packing", Zip({{"lame_enc.dll", "MZ"}}, 14), false},
        {"cut short", good.substr(0, good.size() - 10), false},
        {"directory beyond the end", good.substr(0, good.size() - 6) + std::string("\xff\xff\xff\x7f\0\0", 6), false},
        {"empty", "", false},
    };
    for (const Case& c : cases) EXPECT_EQ(Holds(c.bytes), c.taken) << c.what;
    // The directory's count promises more entries than it holds.
    std::string lying = good;
    lying[lying.size() - 12] = 9;
    lying[lying.size() - 14] = 9;
    EXPECT_TRUE(Holds(lying)) << "the library comes before the missing entries";
    std::string lyingEarly = Zip({{"a.txt", "x"}});
    lyingEarly[lyingEarly.size() - 12] = 3;
    EXPECT_FALSE(Holds(lyingEarly));
}

std::vector<std::string> g_log;
std::string g_list;
bool FetchText(const char* url, std::string* text) {
    g_log.push_back(std::string("list ") + url);
    *text = g_list;
    return !g_list.empty();
}
const std::string& Archive() {
    static const std::string zip = Zip({{"lame_enc.dll", "MZ library"}});
    return zip;
}
// "bad" sources fail, "page" ones answer with a web page, "good" ones
// with the archive.
bool FetchFile(const char* url, const char* path) {
    g_log.push_back(std::string("file ") + url);
    const std::string u = url;
    if (u.find("page") != std::string::npos) return tdtest::WriteFileBytes(path, "<html>moved</html>");
    if (u.find("good") == std::string::npos) return false;
    return tdtest::WriteFileBytes(path, Archive());
}
bool Unpack(const char* zip) {
    std::string bytes;
    g_log.push_back(tdtest::ReadFileBytes(zip, &bytes) && bytes == Archive() ? "unpack" : "unpack nothing");
    return true;
}
void Progress(const char* text) { g_log.push_back(std::string("progress ") + text); }

TEST(EncoderNotices, SourcesAreTriedInTurnAndTheZipGoes) {
    tdtest::TempFolder dir("lame");
    CreateDirectoryA(dir.File("skins").c_str(), nullptr);
    const std::string skins = dir.File("skins") + "\\";
    EncoderFetch fetch;
    fetch.fetchText = FetchText;
    fetch.fetchFile = FetchFile;
    fetch.unpack = Unpack;
    fetch.progress = Progress;
    SetEncoderFetch(fetch);
    g_log.clear();
    g_list = "<item>http://x/bad1</item><item>http://x/page</item><item>http://x/good</item>";
    EXPECT_EQ(DownloadEncoder(skins.c_str()), 1);
    std::vector<std::string> files, texts;
    for (const std::string& l : g_log)
        (l.rfind("progress", 0) == 0 ? texts : files).push_back(l);
    // The page is not handed to the host.
    EXPECT_EQ(files, (V{"list " + std::string(kEncoderSourceList), "file http://x/bad1", "file http://x/page",
                        "file http://x/good", "unpack"}));
    ASSERT_EQ(texts.size(), 5u);
    EXPECT_NE(texts[3].find("3"), std::string::npos);
    EXPECT_FALSE(dir.Exists("lame_zip.zip"));

    g_list = "<item>http://x/bad</item>";
    EXPECT_EQ(DownloadEncoder(skins.c_str()), 0);
    g_list.clear();
    EXPECT_EQ(DownloadEncoder(skins.c_str()), 0);
    SetEncoderFetch(EncoderFetch());
}

}  // namespace

namespace {
int g_nested = -1;
std::string g_skins;
// A second start while the first one fetches its list.
bool FetchTextStartingAgain(const char* url, std::string* text) {
    g_nested = DownloadEncoder(g_skins.c_str());
    return FetchText(url, text);
}
}  // namespace

TEST(EncoderNotices, ASecondDownloadIsRefusedWhileOneRuns) {
    tdtest::TempFolder dir("lame2");
    CreateDirectoryA(dir.File("skins").c_str(), nullptr);
    g_skins = dir.File("skins") + "\\";
    EncoderFetch fetch;
    fetch.fetchText = FetchTextStartingAgain;
    fetch.fetchFile = FetchFile;
    fetch.unpack = Unpack;
    SetEncoderFetch(fetch);
    g_log.clear();
    g_list = "<item>http://x/good</item>";
    EXPECT_EQ(DownloadEncoder(g_skins.c_str()), 1);
    EXPECT_EQ(g_nested, 0);
    // Once it ended, a new one may start.
    fetch.fetchText = FetchText;
    SetEncoderFetch(fetch);
    EXPECT_EQ(DownloadEncoder(g_skins.c_str()), 1);
    SetEncoderFetch(EncoderFetch());
}
