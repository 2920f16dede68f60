// The viewer's pieces without its window: record reading, line texts,
// level field, and the log file's batching and rollover.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "debug_record.h"
#include "log_file.h"
#include "log_list.h"
#include "log_text.h"
#include "tdtest.h"

using tdtest::TempFolder;

namespace {

std::string Record(uint32_t length, int32_t level, const std::string& body) {
    std::string r(8, '\0');
    memcpy(&r[0], &length, 4);
    memcpy(&r[4], &level, 4);
    return r + body;
}

TEST(DebugRecord, ReadsOnlyWhatTheRecordHolds) {
    const std::string huge(kMaxDebugText + 100, 'h');
    struct Case {
        const char* name;
        std::string bytes;
        bool accepted;
        std::string text;
        int32_t level;
    } cases[] = {
        {"well formed", Record(6, 7, std::string("hallo\0\0\0\0\0", 10)), true, "hallo", 7},
        {"empty text", Record(1, 1, std::string(5, '\0')), true, "", 1},
        {"negative level", Record(2, -4, std::string("x\0", 2)), true, "x", -4},
        {"without the trailing zeros", Record(4, 3, std::string("abc\0", 4)), true, "abc", 3},
        {"no terminating zero", Record(5, 5, "abcde"), true, "abcde", 5},
        {"zero before the length", Record(9, 9, std::string("ab\0cdefgh", 9)), true, "ab", 9},
        {"length shorter than the text", Record(3, 9, "abcdef"), true, "abc", 9},
        {"longer than taken", Record(uint32_t(huge.size()), 4, huge), true, huge.substr(0, kMaxDebugText), 4},
        {"nothing", std::string(), false, "", 0},
        {"short header", std::string(7, '\x01'), false, "", 0},
        {"header only", Record(1, 1, ""), false, "", 0},
        {"zero length", Record(0, 1, std::string("abc\0", 4)), false, "", 0},
        {"length past the end", Record(100, 1, std::string("abc\0\0\0\0\0", 8)), false, "", 0},
        {"length past the end by one", Record(5, 1, "abcd"), false, "", 0},
        {"length wraps", Record(0xFFFFFFFFu, 1, std::string("abc\0", 4)), false, "", 0},
    };
    for (const auto& c : cases) {
        DebugText got;
        bool ok = ReadDebugRecord(c.bytes.empty() ? nullptr : c.bytes.data(), c.bytes.size(), &got);
        ASSERT_EQ(ok, c.accepted) << c.name;
        if (!ok) continue;
        EXPECT_EQ(std::string(got.text, got.length), c.text) << c.name;
        EXPECT_EQ(got.level, c.level) << c.name;
    }
}

TEST(LogText, LevelTags) {
    struct Case {
        int32_t level;
        const char* tag;
    } cases[] = {{1, "ERR"}, {3, "IO"},  {4, "TIM"},  {5, "WAR"},  {6, "STA"}, {7, "INF"},
                 {9, "DEB"}, {10, "EDB"}, {11, "SAV"}, {15, "VER"}, {0, "unb"}, {2, "unb"},
                 {8, "unb"}, {12, "unb"}, {16, "unb"}, {-1, "unb"}, {128, "unb"}};
    for (const auto& c : cases) EXPECT_STREQ(LevelTag(c.level), c.tag) << c.level;
}

TEST(LogText, LineLayout) {
    std::string out;
    AppendLogLine(&out, LogStamp{3, 7, 2026, 9, 5, 1}, 8, "Start - Eingang", 15);
    AppendLogLine(&out, LogStamp{28, 12, 2026, 23, 59, 59}, 1, "abc", 2);
    EXPECT_EQ(out, "03-07-2026 09:05:01 unb - Start - Eingang\r\n28-12-2026 23:59:59 ERR - ab\r\n");
}

TEST(LogText, OldLogName) {
    struct Case {
        const char* path;
        const char* old;
    } cases[] = {
        {"C:\\users\\me\\Documents\\vl_LogFile.log", "C:\\users\\me\\Documents\\vl_LogFile_old.log"},
        {"C:\\x.log\\vl_LogFile.log", "C:\\x.log\\vl_LogFile_old.log"},   // a folder named like a log
        {"C:\\logs\\a.log.log", "C:\\logs\\a.log_old.log"},
        {"C:\\x.log\\VL.LOG", "C:\\x.log\\VL_old.LOG"},
        {"C:\\x.log\\noext", "C:\\x.log\\noext_old"},
        {"vl.log", "vl_old.log"},
    };
    for (const auto& c : cases) {
        char out[260];
        ASSERT_TRUE(MakeOldLogName(c.path, out, sizeof out)) << c.path;
        EXPECT_STREQ(out, c.old) << c.path;
    }
    char small[14];
    EXPECT_TRUE(MakeOldLogName("abcde.log", small, sizeof small));   // 13 characters and the zero
    EXPECT_FALSE(MakeOldLogName("abcdef.log", small, sizeof small));
    EXPECT_STREQ(small, "");
}

TEST(LogText, LevelField) {
    struct Case {
        const char* text;
        LevelInput result;
        int level;
    } cases[] = {
        {"15", LevelInput::kValid, 15},     {"0", LevelInput::kValid, 0},
        {"128", LevelInput::kValid, 128},   {" 7 ", LevelInput::kValid, 7},
        {"+3", LevelInput::kValid, 3},      {"-0", LevelInput::kValid, 0},
        {"129", LevelInput::kOutOfRange, -1}, {"-1", LevelInput::kOutOfRange, -1},
        {"99999999999999", LevelInput::kOutOfRange, -1},
        {"", LevelInput::kNotANumber, -1},  {"abc", LevelInput::kNotANumber, -1},
        {"12a", LevelInput::kNotANumber, -1}, {"-", LevelInput::kNotANumber, -1},
        {"1 2", LevelInput::kNotANumber, -1},
    };
    for (const auto& c : cases) {
        int level = -1;
        EXPECT_EQ(ParseLevelText(c.text, &level), c.result) << c.text;
        EXPECT_EQ(level, c.level) << c.text;
    }
}

// ------------------------------------------------------------------ log file
std::string Numbered(int i) { return "line " + std::to_string(i) + "\r\n"; }

std::string Lines(int from, int to) {
    std::string s;
    for (int i = from; i <= to; ++i) s += Numbered(i);
    return s;
}

TEST(LogFile, WritesFortyLinesAtATime) {
    TempFolder tmp("logscope");
    cLogFile log;
    log.SetPath(tmp.File("vl_LogFile.log").c_str());
    for (int i = 1; i <= 39; ++i) ASSERT_TRUE(log.Add(Numbered(i)));
    EXPECT_TRUE(tmp.Exists("vl_LogFile.log"));   // opened for every line
    EXPECT_EQ(tmp.Read("vl_LogFile.log"), "");
    ASSERT_TRUE(log.Add(Numbered(40)));
    EXPECT_EQ(tmp.Read("vl_LogFile.log"), Lines(1, 40));
    EXPECT_EQ(log.PendingCount(), 0);

    for (int i = 41; i <= 45; ++i) ASSERT_TRUE(log.Add(Numbered(i)));
    EXPECT_EQ(tmp.Read("vl_LogFile.log"), Lines(1, 40));
    ASSERT_TRUE(log.WritePending());
    EXPECT_EQ(tmp.Read("vl_LogFile.log"), Lines(1, 45));
    ASSERT_TRUE(log.WritePending());   // nothing pending: nothing written twice
    EXPECT_EQ(tmp.Read("vl_LogFile.log"), Lines(1, 45));
}

TEST(LogFile, OthersMayReadBetweenLines) {
    TempFolder tmp("logscope");
    tmp.Write("vl_LogFile.log", "before\r\n");
    cLogFile log;
    log.SetPath(tmp.File("vl_LogFile.log").c_str());
    HANDLE reader = CreateFileA(tmp.File("vl_LogFile.log").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    for (int i = 1; i <= 40; ++i) ASSERT_TRUE(log.Add(Numbered(i)));
    CloseHandle(reader);
    EXPECT_EQ(tmp.Read("vl_LogFile.log"), "before\r\n" + Lines(1, 40));
}

TEST(LogFile, MovesAFullLogAsideAndBeginsWithThePendingLines) {
    TempFolder tmp("logscope");
    const std::string full(2000001, 'f');
    tmp.Write("vl_LogFile.log", full);
    tmp.Write("vl_LogFile_old.log", "older log");
    cLogFile log;
    log.SetPath(tmp.File("vl_LogFile.log").c_str());
    ASSERT_TRUE(log.Add(Numbered(1)));
    EXPECT_EQ(tmp.Read("vl_LogFile_old.log"), full);
    EXPECT_EQ(tmp.Read("vl_LogFile.log"), Numbered(1));
    EXPECT_EQ(log.PendingCount(), 0);

    for (int i = 2; i <= 41; ++i) ASSERT_TRUE(log.Add(Numbered(i)));   // batching starts afresh
    EXPECT_EQ(tmp.Read("vl_LogFile.log"), Lines(1, 41));
}

TEST(LogFile, KeepsGrowingWhenTheLimitIsNotPassed) {
    TempFolder tmp("logscope");
    const std::string atLimit(2000000, 'a');
    tmp.Write("vl_LogFile.log", atLimit);
    cLogFile log;
    log.SetPath(tmp.File("vl_LogFile.log").c_str());
    ASSERT_TRUE(log.Add(Numbered(1)));
    ASSERT_TRUE(log.WritePending());
    EXPECT_FALSE(tmp.Exists("vl_LogFile_old.log"));
    EXPECT_EQ(tmp.Read("vl_LogFile.log"), atLimit + Numbered(1));
}

TEST(LogFile, PendingLinesAtTheEndRollOverToo) {
    TempFolder tmp("logscope");
    cLogFile log;
    log.SetPath(tmp.File("vl_LogFile.log").c_str());
    for (int i = 1; i <= 3; ++i) ASSERT_TRUE(log.Add(Numbered(i)));
    const std::string full(2000001, 'g');   // grown by someone else meanwhile
    tmp.Write("vl_LogFile.log", full);
    ASSERT_TRUE(log.WritePending());
    EXPECT_EQ(tmp.Read("vl_LogFile_old.log"), full);
    EXPECT_EQ(tmp.Read("vl_LogFile.log"), Lines(1, 3));
}

TEST(LogFile, ABlockedRolloverLosesNothing) {
    TempFolder tmp("logscope");
    const std::string full(2000001, 'b');
    tmp.Write("vl_LogFile.log", full);
    tmp.Write("vl_LogFile_old.log", "older log");
    // Held open without delete sharing, the old file can be neither replaced
    // nor removed.
    HANDLE holder = CreateFileA(tmp.File("vl_LogFile_old.log").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    cLogFile log;
    log.SetPath(tmp.File("vl_LogFile.log").c_str());
    for (int i = 1; i <= 40; ++i) ASSERT_TRUE(log.Add(Numbered(i)));
    CloseHandle(holder);
    EXPECT_EQ(tmp.Read("vl_LogFile_old.log"), "older log");
    EXPECT_EQ(tmp.Read("vl_LogFile.log"), full + Lines(1, 40));

    ASSERT_TRUE(log.Add(Numbered(41)));   // free again: the next line rolls over
    EXPECT_EQ(tmp.Read("vl_LogFile_old.log"), full + Lines(1, 40));
    EXPECT_EQ(tmp.Read("vl_LogFile.log"), Numbered(41));
}

// A disk that has become full: the file opens, but takes no bytes.
class FullDiskLogFile : public cLogFile {
public:
    bool full = true;

protected:
    bool WriteChunk(HANDLE file, const char* data, DWORD size) override {
        return !full && cLogFile::WriteChunk(file, data, size);
    }
};

// The lines wait for the disk, but only the newest few thousand, behind one
// line that counts the lost ones; they all go out once it takes writes again.
TEST(LogFile, LinesThatCannotBeWrittenStayBounded) {
    TempFolder tmp("logscope");
    FullDiskLogFile log;
    log.SetPath(tmp.File("vl_LogFile.log").c_str());
    const int sent = cLogFile::kMaxPendingLines + 500;
    for (int i = 1; i <= sent; ++i) {
        ASSERT_TRUE(log.Add(Numbered(i))) << i;
        ASSERT_LE(log.PendingCount(), cLogFile::kMaxPendingLines) << i;
    }
    ASSERT_EQ(tmp.Read("vl_LogFile.log"), "");

    log.full = false;
    ASSERT_TRUE(log.WritePending());
    EXPECT_EQ(log.PendingCount(), 0);
    const std::string written = tmp.Read("vl_LogFile.log");
    const size_t firstBreak = written.find("\r\n");
    ASSERT_NE(firstBreak, std::string::npos);
    const std::string marker = written.substr(0, firstBreak);
    ASSERT_EQ(marker.compare(0, 4, "--- "), 0) << marker;
    EXPECT_NE(marker.find("Zeilen verworfen"), std::string::npos) << marker;
    const int dropped = std::stoi(marker.substr(4));
    const int kept = sent - dropped;
    EXPECT_LE(kept, cLogFile::kMaxPendingLines);
    EXPECT_GE(kept, cLogFile::kMaxPendingLines - cLogFile::kBatchLines);
    EXPECT_TRUE(written.substr(firstBreak + 2) == Lines(dropped + 1, sent)) << "not the newest lines in their order";
}

// The viewer's list keeps its newest lines, in order and in view.
TEST(LogList, KeepsTheNewestLinesInView) {
    HWND list = CreateWindowA("ListBox", "", WS_POPUP | WS_VSCROLL | LBS_NOINTEGRALHEIGHT, 0, 0, 300, 200, nullptr,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(list, nullptr);
    for (int i = 1; i <= 60; ++i) AppendShownLine(list, ("line " + std::to_string(i)).c_str(), 50, 20);
    ASSERT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 50);
    char text[64] = {};
    SendMessageA(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "line 11");
    SendMessageA(list, LB_GETTEXT, 49, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "line 60");
    EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 30);
    DestroyWindow(list);
}

TEST(LogFile, NoFileNoLine) {
    TempFolder tmp("logscope");
    cLogFile noPath;
    EXPECT_FALSE(noPath.Add(Numbered(1)));
    EXPECT_EQ(noPath.PendingCount(), 0);

    cLogFile noFolder;
    noFolder.SetPath(tmp.File("missing\\vl_LogFile.log").c_str());
    EXPECT_FALSE(noFolder.Add(Numbered(1)));
    EXPECT_EQ(noFolder.PendingCount(), 0);

    cLogFile tooLong;
    tooLong.SetPath((tmp.Path() + "\\" + std::string(400, 'x') + ".log").c_str());
    EXPECT_STREQ(tooLong.Path(), "");
    EXPECT_FALSE(tooLong.Add(Numbered(1)));
}

}  // namespace
