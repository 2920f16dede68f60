// The log file: level threshold from DEBUG_IT, tags, rotation.
#include <gtest/gtest.h>

#include <string>

#include "core_test_support.h"
#include "debug_log.h"

namespace {

class DebugLogTest : public ::testing::Test {
protected:
    void SetUp() override { td::ResetDebugLogThreshold(); }
    void TearDown() override { td::ResetDebugLogThreshold(); }
    std::string LogText() const {
        std::string text;
        tdtest::ReadFileBytes(folders.Docs() + "\\vl-log.log", &text);
        return text;
    }
    coretest::PlayerFolders folders;
};

TEST_F(DebugLogTest, ThresholdComesFromDebugItPlusOne) {
    struct Case {
        const char* debugIt;   // null: no value
        int highestWritten;
    } cases[] = {{nullptr, 1}, {"6", 7}, {"0", 1}, {"abc", 1}, {"-5", 1}, {"99999999999", 1001}, {"9", 10}};
    for (const Case& c : cases) {
        SetValue("DEBUG_IT", c.debugIt);
        td::ResetDebugLogThreshold();
        DeleteFileA((folders.Docs() + "\\vl-log.log").c_str());
        for (int level = 0; level <= 12; ++level) WriteDebugLogF(level, "line at %d", level);
        std::string text = LogText();
        for (int level = 0; level <= 12; ++level) {
            std::string line = "line at " + std::to_string(level) + "\r\n";
            EXPECT_EQ(text.find(line) != std::string::npos, level <= c.highestWritten)
                << (c.debugIt ? c.debugIt : "(none)") << " level " << level;
        }
    }
}

TEST_F(DebugLogTest, LinesCarryTimeAndTag) {
    SetValue("DEBUG_IT", "20");
    const struct {
        int level;
        const char* tag;
    } tags[] = {{1, "ERR"}, {2, "unb"}, {3, "IO"}, {4, "TIM"}, {5, "WAR"}, {6, "STA"},
                {7, "INF"}, {8, "unb"}, {9, "DEB"}, {10, "EDB"}, {11, "SAV"}, {15, "unb"}};
    for (auto& t : tags) WriteDebugLog("x", t.level);
    std::string text = LogText();
    size_t pos = 0;
    for (auto& t : tags) {
        size_t end = text.find("\r\n", pos);
        ASSERT_NE(end, std::string::npos);
        std::string line = text.substr(pos, end - pos);
        // "dd-mm-YYYY HH:MM:SS TAG - x"
        EXPECT_EQ(line.size(), 19 + 1 + strlen(t.tag) + 4) << line;
        EXPECT_EQ(line.substr(20), std::string(t.tag) + " - x") << line;
        EXPECT_EQ(line[2], '-');
        EXPECT_EQ(line[13], ':');
        pos = end + 2;
    }
    // A caller's text of any length is cut, never written past a buffer.
    std::string huge(5000, 'q');
    WriteDebugLog(huge.c_str(), 1);
    EXPECT_NE(LogText().find(std::string(1000, 'q')), std::string::npos);
}

TEST_F(DebugLogTest, RotatesPastTheLimitAndReplacesTheOldFile) {
    SetValue("DEBUG_IT", "0");
    std::string current = folders.Docs() + "\\vl-log.log";
    std::string old = folders.Docs() + "\\vl-log_old.log";
    std::string exactly(kDebugLogLimit, 'a');
    ASSERT_TRUE(tdtest::WriteFileBytes(current, exactly));
    WriteDebugLog("at the limit", 1);   // not above it yet: appended
    std::string text = LogText();
    EXPECT_GT(text.size(), kDebugLogLimit);
    EXPECT_EQ(GetFileAttributesA(old.c_str()), INVALID_FILE_ATTRIBUTES);

    WriteDebugLog("first after rotation", 1);
    std::string moved;
    ASSERT_TRUE(tdtest::ReadFileBytes(old, &moved));
    EXPECT_EQ(moved.size(), text.size());
    text = LogText();
    EXPECT_NE(text.find("first after rotation"), std::string::npos);
    EXPECT_LT(text.size(), 200u);

    // The next rotation replaces the old file.
    ASSERT_TRUE(tdtest::WriteFileBytes(current, std::string(kDebugLogLimit + 1, 'b')));
    WriteDebugLog("second rotation", 1);
    ASSERT_TRUE(tdtest::ReadFileBytes(old, &moved));
    EXPECT_EQ(moved, std::string(kDebugLogLimit + 1, 'b'));
}

TEST_F(DebugLogTest, ManyThreadsWriteWholeLines) {
    SetValue("DEBUG_IT", "0");
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 50; ++i) WriteDebugLogF(1, "thread %d line %d end", t, i);
        });
    for (auto& t : threads) t.join();
    std::string text = LogText();
    size_t lines = 0, pos = 0;
    while ((pos = text.find(" end\r\n", pos)) != std::string::npos) ++lines, pos += 6;
    EXPECT_EQ(lines, 200u);
}

TEST_F(DebugLogTest, NoDocumentsFolderUsesTheFixedFolder) {
    td::SetDocumentsFolder("");
    char path[MAX_PATH], old[MAX_PATH];
    td::DebugLogPaths(path, sizeof path, old, sizeof old);
    EXPECT_STREQ(path, "c:\\Test\\vl-log.log");
    EXPECT_STREQ(old, "c:\\Test\\vl-log_old.log");
}

}  // namespace
