// The encoder download: the source list, the sources tried in turn, and the
// zip file's place.
#include <gtest/gtest.h>

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

std::vector<std::string> g_log;
std::string g_list;
bool FetchText(const char* url, std::string* text) {
    g_log.push_back(std::string("list ") + url);
    *text = g_list;
    return !g_list.empty();
}
bool FetchFile(const char* url, const char* path) {
    g_log.push_back(std::string("file ") + url);
    if (std::string(url).find("good") == std::string::npos) return false;
    return tdtest::WriteFileBytes(path, "PK");
}
bool Unpack(const char* zip) {
    std::string bytes;
    g_log.push_back(tdtest::ReadFileBytes(zip, &bytes) && bytes == "PK" ? "unpack" : "unpack nothing");
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
    g_list = "<item>http://x/bad1</item><item>http://x/bad2</item><item>http://x/good</item>";
    EXPECT_EQ(DownloadEncoder(skins.c_str()), 1);
    std::vector<std::string> files, texts;
    for (const std::string& l : g_log)
        (l.rfind("progress", 0) == 0 ? texts : files).push_back(l);
    EXPECT_EQ(files, (V{"list " + std::string(kEncoderSourceList), "file http://x/bad1", "file http://x/bad2",
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
