#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "tdtest.h"
#include "tempfile.h"

namespace {

// Points the temporary folder of this process at a fresh folder for a test.
class TempFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        oldTmp_.resize(MAX_PATH);
        oldTmp_.resize(GetEnvironmentVariableA("TMP", &oldTmp_[0], MAX_PATH));
        SetEnvironmentVariableA("TMP", folder_.Path().c_str());
    }
    void TearDown() override { SetEnvironmentVariableA("TMP", oldTmp_.empty() ? nullptr : oldTmp_.c_str()); }

    std::string Make(cTempFile& t, const char* prefix = "list", const char* ext = "m3u", const char* content = "x") {
        char buf[1024] = "";
        char* path = buf;
        void* handle = nullptr;
        if (!t.GenerateTempFile(prefix, ext, &path, &handle)) return "";
        EXPECT_NE(nullptr, handle);
        DWORD written = 0;
        WriteFile(handle, content, static_cast<DWORD>(strlen(content)), &written, nullptr);
        CloseHandle(handle);
        return buf;
    }
    static bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

    tdtest::TempFolder folder_{"tmpf"};
    std::string oldTmp_;
};

TEST_F(TempFileTest, KeepsTheLastTwoFiles) {
    {
        cTempFile t;
        EXPECT_EQ(folder_.File("list_0.m3u"), Make(t, "list", "m3u", "first"));
        EXPECT_EQ(folder_.File("list_1.m3u"), Make(t, "list", "m3u", "second"));
        // The third call removes the first file, whose name is then free.
        EXPECT_EQ(folder_.File("list_0.m3u"), Make(t, "list", "m3u", "third"));
        EXPECT_EQ("second", folder_.Read("list_1.m3u"));
        EXPECT_EQ("third", folder_.Read("list_0.m3u"));
        EXPECT_EQ(folder_.File("list_1.m3u"), Make(t, "list", "m3u", "fourth"));
        EXPECT_EQ("third", folder_.Read("list_0.m3u"));
        EXPECT_EQ("fourth", folder_.Read("list_1.m3u"));
        EXPECT_EQ(folder_.File("list_0.m3u"), t.GetSlot(1));
    }
    EXPECT_FALSE(folder_.Exists("list_0.m3u"));
    EXPECT_FALSE(folder_.Exists("list_1.m3u"));
}

TEST_F(TempFileTest, SkipsNamesTakenByOthers) {
    folder_.Write("pl_0.asx", "old");
    folder_.Write("pl_1.asx", "old");
    folder_.Write("pl_2.m3u", "other extension");
    {
        cTempFile t;
        EXPECT_EQ(folder_.File("pl_2.asx"), Make(t, "pl", "asx"));
    }
    EXPECT_EQ("old", folder_.Read("pl_0.asx"));   // never touches files it did not make
    EXPECT_FALSE(folder_.Exists("pl_2.asx"));
}

TEST_F(TempFileTest, RefusesNamesLeavingTheFolderOrTooLong) {
    cTempFile t;
    char buf[1024] = "";
    char* path = buf;
    void* handle = nullptr;
    const std::string longPrefix(1100, 'l');
    struct Case {
        const char* prefix;
        const char* ext;
    } cases[] = {{"..\\up", "m3u"}, {"a/b", "m3u"}, {"ok", "..\\x"}, {"c:", "m3u"}, {nullptr, "m3u"},
                 {"ok", nullptr}, {longPrefix.c_str(), "m3u"}};
    for (const Case& c : cases) {
        EXPECT_EQ(0, t.GenerateTempFile(c.prefix, c.ext, &path, &handle));
        EXPECT_STREQ("", t.GetSlot(0));
        EXPECT_STREQ("", t.GetSlot(1));
    }
    EXPECT_EQ(0, t.GenerateTempFile("ok", "m3u", nullptr, &handle));
    EXPECT_EQ(0, t.GenerateTempFile("ok", "m3u", &path, nullptr));
}

}  // namespace
