// logscope as a program: records sent to its window by another process, the
// dialog's buttons and level field, the log file in the documents folder.
// Other test programs may run meanwhile and send their own debug texts to
// the viewer, so each test picks out its own lines by a marker.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "debugtext.h"
#include "tdtest.h"

using namespace tdtest;

namespace {

const char kCenterClass[] = "logscope_center_class";

std::string DocumentsFolder() {
    char folder[MAX_PATH] = {};
    if (SHGetFolderPathA(nullptr, CSIDL_PERSONAL, nullptr, 0, folder) != S_OK) return "";
    return folder;
}

// The viewer writes where a user's log goes; the test reads it there and
// leaves nothing behind.
class DocumentsLog {
public:
    DocumentsLog() : folder_(DocumentsFolder()) { Remove(); }
    ~DocumentsLog() { Remove(); }
    std::string Path() const { return folder_ + "\\vl_LogFile.log"; }
    std::string OldPath() const { return folder_ + "\\vl_LogFile_old.log"; }
    std::string Read() const {
        std::string bytes;
        ReadFileBytes(Path(), &bytes);
        return bytes;
    }
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        std::string all = Read();
        size_t at = 0;
        for (size_t end; (end = all.find("\r\n", at)) != std::string::npos; at = end + 2)
            lines.push_back(all.substr(at, end - at));
        EXPECT_EQ(at, all.size()) << "log ends inside a line";
        return lines;
    }

private:
    void Remove() const {
        DeleteFileA(Path().c_str());
        DeleteFileA(OldPath().c_str());
    }
    std::string folder_;
};

std::string Record(uint32_t length, int32_t level, const std::string& body) {
    std::string r(8, '\0');
    memcpy(&r[0], &length, 4);
    memcpy(&r[4], &level, 4);
    return r + body;
}

std::string WellFormed(int32_t level, const std::string& text) {
    return Record(uint32_t(text.size() + 1), level, text + std::string(5, '\0'));
}

BOOL CALLBACK CollectDialogs(HWND hwnd, LPARAM lp) {
    auto* found = reinterpret_cast<std::pair<DWORD, std::vector<HWND>>*>(lp);
    char cls[64];
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == found->first && GetClassNameA(hwnd, cls, sizeof cls) && strcmp(cls, "#32770") == 0 &&
        IsWindowVisible(hwnd))
        found->second.push_back(hwnd);
    return TRUE;
}

std::vector<HWND> DialogsOf(DWORD pid) {
    std::pair<DWORD, std::vector<HWND>> found{pid, {}};
    EnumWindows(CollectDialogs, reinterpret_cast<LPARAM>(&found));
    return found.second;
}

std::string TextOf(HWND hwnd) {
    char text[512] = {};
    DWORD_PTR got = 0;
    SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 5000, &got);
    return text;
}

// One running logscope.exe and the means to drive it as a user and as the
// senders do.
class Viewer {
public:
    ::testing::AssertionResult Start() {
        if (!proc_.Start(BinDir() + "\\logscope.exe"))
            return ::testing::AssertionFailure() << "cannot start logscope.exe: error " << GetLastError();
        center_ = proc_.WaitForWindow(kCenterClass);
        WaitFor([&] {
            std::vector<HWND> d = DialogsOf(proc_.Pid());
            if (d.size() == 1 && GetDlgItem(d[0], 1000)) dialog_ = d[0];
            return dialog_ != nullptr || !proc_.Running();
        }, 10000);
        DWORD code = 0;
        if (!proc_.Running() && proc_.Wait(0, &code))
            return ::testing::AssertionFailure() << "logscope.exe ended at once with " << std::hex << code;
        if (!center_ || !dialog_)
            return ::testing::AssertionFailure() << "windows missing: center " << center_ << " dialog " << dialog_;
        return ::testing::AssertionSuccess();
    }
    HWND Dialog() const { return dialog_; }
    HWND Item(int id) const { return GetDlgItem(dialog_, id); }
    Process& Proc() { return proc_; }

    bool SendBytes(const std::string& bytes, ULONG_PTR kind = 0, DWORD size = DWORD(-1)) {
        COPYDATASTRUCT cds;
        cds.dwData = kind;
        cds.cbData = size == DWORD(-1) ? DWORD(bytes.size()) : size;
        cds.lpData = bytes.empty() ? nullptr : const_cast<char*>(bytes.data());
        DWORD_PTR answer = 1;
        return SendMessageTimeoutA(center_, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds), SMTO_BLOCK, 10000,
                                   &answer) &&
               answer == 0;
    }
    bool Send(int32_t level, const std::string& text) { return SendBytes(WellFormed(level, text)); }

    void Click(int id) {
        DWORD_PTR r;
        SendMessageTimeoutA(dialog_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Item(id)),
                            SMTO_BLOCK, 5000, &r);
    }
    // Typing into the level field; a rejected entry brings up a message box,
    // so the call may come back before the viewer has finished with it.
    void TypeLevel(const char* text) {
        DWORD_PTR r;
        SendMessageTimeoutA(Item(1004), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 500, &r);
    }

    LRESULT Count() const { return SendMessageW(Item(1000), LB_GETCOUNT, 0, 0); }
    std::vector<std::string> ListLines() const { return ListBoxLines(Item(1000)); }
    bool Ended(DWORD ms = 10000) { return proc_.Wait(ms); }

private:
    Process proc_;
    HWND center_ = nullptr;
    HWND dialog_ = nullptr;
};

// A marker per test run keeps other programs' lines out of the comparison.
std::string Marker(const char* test) { return std::string(test) + "#" + std::to_string(GetTickCount()) + ":"; }

// "TAG - text" of the lines that carry the marker.
std::vector<std::string> Marked(const std::vector<std::string>& lines, const std::string& marker) {
    static const std::regex stamp(R"(^\d\d-\d\d-\d{4} \d\d:\d\d:\d\d [A-Za-z]+ - )");
    std::vector<std::string> out;
    for (const auto& line : lines) {
        if (line.find(marker) == std::string::npos) continue;
        EXPECT_TRUE(std::regex_search(line, stamp)) << line;
        out.push_back(line.size() > 20 ? line.substr(20) : line);
    }
    return out;
}

// The shown lines and the log file's lines at one moment. Lines are only
// ever appended, so a list count that held while the file was read fixes
// that moment; other programs' lines may come in at any time.
void Snapshot(const Viewer& v, const DocumentsLog& log, std::vector<std::string>* shown,
              std::vector<std::string>* written) {
    LRESULT before = 0;
    for (int i = 0; i < 50; ++i) {
        before = v.Count();
        *written = log.Lines();
        if (v.Count() == before) break;
    }
    *shown = v.ListLines();
    shown->resize(std::min(shown->size(), size_t(before)));
}

// Lines are written 40 at a time: the file holds the first multiple of 40
// of the shown lines, whoever sent them.
void ExpectWrittenInBatches(const Viewer& v, const DocumentsLog& log) {
    std::vector<std::string> shown, written;
    Snapshot(v, log, &shown, &written);
    size_t expected = shown.size() / 40 * 40;
    ASSERT_EQ(written.size(), expected);
    for (size_t i = 0; i < expected; ++i) EXPECT_EQ(written[i], shown[i]) << i;
}

class LogscopeWindow : public ::testing::Test {
protected:
    // Starts the viewer and switches it from paused to collecting.
    void StartCollecting(const char* test) {
        ASSERT_TRUE(v.Start());
        m = Marker(test);
        v.Click(1001);
    }
    DocumentsLog log;
    Viewer v;
    std::string m;
};

TEST_F(LogscopeWindow, CollectsFiltersAndBatches) {
    ASSERT_TRUE(v.Start());
    m = Marker("collect");
    EXPECT_EQ(TextOf(v.Item(1001)), "Start");
    EXPECT_EQ(TextOf(v.Item(1002)), "Ende");
    EXPECT_EQ(TextOf(v.Item(1004)), "15");

    // Paused at first: records are taken and dropped.
    ASSERT_TRUE(v.Send(1, m + "while paused"));
    EXPECT_TRUE(Marked(v.ListLines(), m).empty());

    v.Click(1001);
    EXPECT_EQ(TextOf(v.Item(1001)), "Pause");

    struct Level {
        int32_t level;
        const char* tag;   // nullptr: above the filter of 15
    } levels[] = {{1, "ERR"}, {2, "unb"}, {3, "IO"},   {4, "TIM"},   {5, "WAR"},   {6, "STA"},
                  {7, "INF"}, {8, "unb"}, {9, "DEB"},  {10, "EDB"},  {11, "SAV"},  {12, "unb"},
                  {15, "VER"}, {16, nullptr}, {0, "unb"}, {-7, "unb"}, {128, nullptr}, {1000, nullptr}};
    std::vector<std::string> expected;
    for (const auto& l : levels) {
        std::string text = m + "level " + std::to_string(l.level) + " - Eingang";
        ASSERT_TRUE(v.Send(l.level, text));
        if (l.tag) expected.push_back(std::string(l.tag) + " - " + text);
    }
    EXPECT_EQ(Marked(v.ListLines(), m), expected);
    SaveWindowPng(v.Dialog(), ArtifactDir() + "\\logscope_dialog.png");

    // Up to 39 shown lines stay pending; the 40th writes them all.
    while (v.ListLines().size() < 39) {
        std::string text = m + "filler " + std::to_string(expected.size());
        ASSERT_TRUE(v.Send(7, text));
        expected.push_back("INF - " + text);
    }
    ExpectWrittenInBatches(v, log);
    while (v.ListLines().size() < 85) {
        std::string text = m + "filler " + std::to_string(expected.size());
        ASSERT_TRUE(v.Send(7, text));
        expected.push_back("INF - " + text);
    }
    ExpectWrittenInBatches(v, log);
    EXPECT_EQ(Marked(v.ListLines(), m), expected);
    // The newest 20 lines stay in view (the list scrolls no further than its
    // last line allows).
    HWND list = v.Item(1000);
    RECT client;
    GetClientRect(list, &client);
    LRESULT itemHeight = SendMessageA(list, LB_GETITEMHEIGHT, 0, 0);
    ASSERT_GT(itemHeight, 0);
    LRESULT inView = client.bottom / itemHeight;
    LRESULT count = 0, top = 0;
    do {
        count = SendMessageA(list, LB_GETCOUNT, 0, 0);
        top = SendMessageA(list, LB_GETTOPINDEX, 0, 0);
    } while (count != SendMessageA(list, LB_GETCOUNT, 0, 0));
    ASSERT_LT(inView, count);
    EXPECT_EQ(top, std::min(count - 20, count - inView));

    // Filter 0 lets nothing above 0 through.
    v.TypeLevel("0");
    ASSERT_TRUE(v.Send(1, m + "error at filter 0"));
    ASSERT_TRUE(v.Send(0, m + "level 0 at filter 0"));
    expected.push_back("unb - " + m + "level 0 at filter 0");
    // An emptied field means 0 and shows it.
    v.TypeLevel("9");
    v.TypeLevel("");
    EXPECT_EQ(TextOf(v.Item(1004)), "0");
    ASSERT_TRUE(v.Send(1, m + "error at emptied filter"));
    v.TypeLevel("9");
    ASSERT_TRUE(v.Send(9, m + "debug at filter 9"));
    ASSERT_TRUE(v.Send(10, m + "extended debug at filter 9"));
    expected.push_back("DEB - " + m + "debug at filter 9");

    v.Click(1001);
    EXPECT_EQ(TextOf(v.Item(1001)), "Start");
    ASSERT_TRUE(v.Send(1, m + "paused again"));
    std::vector<std::string> shown = v.ListLines();
    EXPECT_EQ(Marked(shown, m), expected);

    // "Ende" writes what is pending and ends the program.
    v.Click(1002);
    ASSERT_TRUE(v.Ended());
    EXPECT_EQ(log.Lines(), shown);
}

TEST_F(LogscopeWindow, MalformedRecordsChangeNothing) {
    StartCollecting("malformed");

    const std::string huge = m + std::string(1 << 20, 'h');
    struct Case {
        const char* name;
        std::string bytes;
        ULONG_PTR kind;
        const char* shownText;   // nullptr: dropped
    } cases[] = {
        {"nothing at all", "", 0, nullptr},
        {"short header", std::string(7, '\x01'), 0, nullptr},
        {"header only", Record(1, 1, ""), 0, nullptr},
        {"zero length", Record(0, 1, m + "zero length" + std::string(5, '\0')), 0, nullptr},
        {"length past the end", Record(4000, 1, m + "past the end" + std::string(5, '\0')), 0, nullptr},
        {"another kind of record", WellFormed(1, m + "kind 7"), 7, nullptr},
        {"no terminating zero", Record(uint32_t(m.size() + 7), 5, m + "no zero"), 0, "no zero"},
        {"zero inside", Record(uint32_t(m.size() + 20), 5, m + std::string("cut here\0hidden tail", 20)), 0,
         "cut here"},
        {"huge", Record(uint32_t(huge.size()), 5, huge), 0, ""},
        {"well formed after all that", WellFormed(5, m + "still here"), 0, "still here"},
    };
    std::vector<std::string> expected;
    for (const auto& c : cases) {
        ASSERT_TRUE(v.SendBytes(c.bytes, c.kind)) << c.name;
        ASSERT_TRUE(v.Proc().Running()) << c.name;
        if (!c.shownText) continue;
        if (std::string(c.name) == "huge")
            expected.push_back("WAR - " + huge.substr(0, 32767));
        else
            expected.push_back("WAR - " + m + c.shownText);
    }
    // A size that claims more than the data holds is the sender's own fault
    // and never reaches the viewer; a record claiming to be tiny is dropped.
    ASSERT_TRUE(v.SendBytes(WellFormed(1, m + "claims 5 bytes"), 0, 5));

    EXPECT_EQ(Marked(v.ListLines(), m), expected);
    v.Click(1001);   // paused, so that no other program's line comes after these
    std::vector<std::string> shown = v.ListLines();
    v.Click(1002);
    ASSERT_TRUE(v.Ended());
    EXPECT_EQ(log.Lines(), shown);
}

TEST_F(LogscopeWindow, EveryWayOfClosingWritesPendingLines) {
    struct Way {
        const char* name;
        void (*close)(Viewer&);
    } ways[] = {
        {"Ende", [](Viewer& v) { v.Click(1002); }},
        {"Escape", [](Viewer& v) { PostMessageA(v.Item(1001), WM_KEYDOWN, VK_ESCAPE, 0); }},
        {"close box", [](Viewer& v) { PostMessageA(v.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    for (const auto& way : ways) {
        // A viewer and a log of its own for each way.
        DocumentsLog wayLog;
        Viewer viewer;
        ASSERT_TRUE(viewer.Start()) << way.name;
        const std::string marker = Marker("close");
        viewer.Click(1001);
        std::vector<std::string> expected;
        for (int i = 1; i <= 5; ++i) {
            std::string text = marker + way.name + " " + std::to_string(i);
            ASSERT_TRUE(viewer.Send(6, text));
            expected.push_back("STA - " + text);
        }
        viewer.Click(1001);   // paused: pending lines stay pending
        std::vector<std::string> shown = viewer.ListLines();
        way.close(viewer);
        ASSERT_TRUE(viewer.Ended()) << way.name;
        EXPECT_EQ(Marked(wayLog.Lines(), marker), expected) << way.name;
        EXPECT_EQ(wayLog.Lines(), shown) << way.name;
    }
}

TEST_F(LogscopeWindow, FullLogIsMovedAside) {
    const std::string full = std::string(2000000, 'x') + "\n";
    ASSERT_TRUE(WriteFileBytes(log.Path(), full));
    ASSERT_TRUE(WriteFileBytes(log.OldPath(), "an older log"));
    StartCollecting("rollover");
    const std::string mine = "TIM - " + m + "first line of the new log";
    ASSERT_TRUE(v.Send(4, m + "first line of the new log"));

    std::string old;
    ASSERT_TRUE(ReadFileBytes(log.OldPath(), &old));
    EXPECT_TRUE(old == full) << "old log has " << old.size() << " bytes";
    // The new log begins with the lines pending then, the one that moved
    // the old log aside last; later lines wait for their batch.
    std::vector<std::string> shown, written;
    Snapshot(v, log, &shown, &written);
    ASSERT_FALSE(written.empty());
    ASSERT_LE(written.size(), shown.size());
    EXPECT_EQ(written, std::vector<std::string>(shown.begin(), shown.begin() + written.size()));
    if (shown.size() == 1) {   // no other program's line came first
        EXPECT_EQ(Marked(written, m), std::vector<std::string>{mine});
    }

    v.Click(1001);
    shown = v.ListLines();
    v.Click(1002);
    ASSERT_TRUE(v.Ended());
    EXPECT_EQ(log.Lines(), shown);
    EXPECT_EQ(Marked(shown, m), std::vector<std::string>{mine});
}

HWND WaitForMessageBox(DWORD pid, HWND dialog) {
    HWND box = nullptr;
    WaitFor([&] {
        for (HWND h : DialogsOf(pid))
            if (h != dialog) box = h;
        return box != nullptr;
    }, 5000);
    return box;
}

TEST_F(LogscopeWindow, LevelFieldRejectsWhatIsNotALevel) {
    StartCollecting("range");

    struct Entry {
        const char* typed;
        const char* message;
    } entries[] = {
        {"200", "Please enter an integer between 0 and 128."},
        {"-1", "Please enter an integer between 0 and 128."},
        {"abc", "Please enter an integer."},
    };
    for (const auto& e : entries) {
        v.TypeLevel(e.typed);
        HWND box = WaitForMessageBox(v.Proc().Pid(), v.Dialog());
        ASSERT_TRUE(box) << e.typed;
        EXPECT_EQ(TextOf(box), "logscope");
        EXPECT_EQ(TextOf(GetDlgItem(box, 0xFFFF)), e.message) << e.typed;
        if (std::string(e.typed) == "200") SaveWindowPng(box, ArtifactDir() + "\\logscope_range_message.png");
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }, 30000)) << e.typed;
        EXPECT_EQ(TextOf(v.Item(1004)), e.typed);
    }
    // The filter stayed at 15 throughout.
    ASSERT_TRUE(v.Send(16, m + "level 16"));
    ASSERT_TRUE(v.Send(15, m + "level 15"));
    EXPECT_EQ(Marked(v.ListLines(), m), std::vector<std::string>{"VER - " + m + "level 15"});

    v.TypeLevel("128");
    ASSERT_TRUE(v.Send(128, m + "level 128"));
    EXPECT_EQ(Marked(v.ListLines(), m).size(), 2u);
    EXPECT_EQ(DialogsOf(v.Proc().Pid()).size(), 1u);
    v.Click(1002);
    ASSERT_TRUE(v.Ended());
}

// The sender every deliverable compiles in, from a process of its own.
TD_CHILD(debugtext_sender) {
    if (argc < 2) return 2;
    std::string m = argv[1];
    SendDebugText((m + "sent as error").c_str(), DL_ERR);
    DebugLog(DL_INF, "%sformatted %d - %s", m.c_str(), 42, "Ausgang");
    SendDebugText((m + "too detailed").c_str(), 16);
    DebugLog(DL_VER, "%s...ok", m.c_str());
    return 0;
}

TEST_F(LogscopeWindow, DebugTextSenderReachesTheViewer) {
    StartCollecting("sender");

    Process sender;
    ASSERT_TRUE(sender.StartChild("debugtext_sender", {m}));
    DWORD code = 99;
    ASSERT_TRUE(sender.Wait(20000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(Marked(v.ListLines(), m),
              (std::vector<std::string>{"ERR - " + m + "sent as error", "INF - " + m + "formatted 42 - Ausgang",
                                        "VER - " + m + "...ok"}));
    v.Click(1002);
    ASSERT_TRUE(v.Ended());
    EXPECT_EQ(Marked(log.Lines(), m).size(), 3u) << log.Read();
}

}  // namespace
