// tunerdeck.exe as a whole, started from a program folder of its own with
// the facetkit stand-in beside it: binding, the skin loop, the single
// instance with its hand-over, the registry values of a protocol start,
// the user folders and the default files.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>
#include <string>

#include "tdtest.h"
#include "test_audio.h"

namespace {

using tdtest::Process;

constexpr const char* kKey = "SOFTWARE\\Velmirant\\Radio";
constexpr const char* kMainClass = "tunerdeck Main Wnd Class";
constexpr DWORD kStartMs = 30000;

std::string AppDataFolder() {
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, path);
    return path;
}

bool Copy(const std::string& from, const std::string& to) { return CopyFileA(from.c_str(), to.c_str(), FALSE) != 0; }

// A program folder with tunerdeck.exe, basekit.dll and one facetkit stand-in.
class ProgramFolder {
public:
    explicit ProgramFolder(const char* variant) : folder_("tdprog"), log_(folder_.File("facetkit.log")) {
        const std::string bin = tdtest::BinDir();
        ok_ = Copy(bin + "\\tunerdeck.exe", Exe()) && Copy(bin + "\\basekit.dll", folder_.File("basekit.dll")) &&
              Copy(bin + "\\fake_facetkit_" + variant + "\\facetkit.dll", folder_.File("facetkit.dll"));
        CreateDirectoryA(folder_.File("skins").c_str(), nullptr);
        SetEnvironmentVariableA("TD_FAKE_FACETKIT_LOG", log_.c_str());
        SetEnvironmentVariableA("TD_FAKE_FACETKIT_PREPARE", nullptr);
    }
    ~ProgramFolder() { SetEnvironmentVariableA("TD_FAKE_FACETKIT_LOG", nullptr); }

    bool Ok() const { return ok_; }
    // The playback host and the libraries it loads, beside the program.
    bool AddPlaybackHost() {
        const std::string bin = tdtest::BinDir();
        for (const char* f : {"playcradle.exe", "mediabridge.dll", "realbridge.dll", "mp64control.dll"})
            if (!Copy(bin + "\\" + f, folder_.File(f))) return false;
        return true;
    }
    std::string Exe() const { return folder_.File("tunerdeck.exe"); }
    const tdtest::TempFolder& Folder() const { return folder_; }
    std::string Log() const {
        std::string text;
        tdtest::ReadFileBytes(log_, &text);
        return text;
    }

private:
    tdtest::TempFolder folder_;
    std::string log_;
    bool ok_ = false;
};

struct BoxSearch {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindBox(HWND hwnd, LPARAM param) {
    auto* s = reinterpret_cast<BoxSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    char cls[32] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    // The first run's progress window is a dialog too, but without buttons.
    if (pid == s->pid && strcmp(cls, "#32770") == 0 && GetDlgItem(hwnd, IDOK) && IsWindowVisible(hwnd)) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// The message box of a process: its text, and closes it; empty when none came.
std::string TakeMessageBox(const Process& p, DWORD timeoutMs, std::string* title = nullptr) {
    BoxSearch search{p.Pid(), nullptr};
    tdtest::WaitFor([&] {
        EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr || !p.Running();
    }, timeoutMs, 50);
    HWND box = search.found;
    if (!box) return std::string();
    char text[1024] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    if (title) {
        char caption[256] = {};
        GetWindowTextA(box, caption, sizeof caption);
        *title = caption;
    }
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    return text;
}

size_t Find(const std::string& text, const std::string& what, size_t from = 0) { return text.find(what, from); }

// Acts as the user in the program's skin stand-in: it calls the callback
// the program handed it with "code|number|text".
void SkinCallback(HWND main, const std::string& call) {
    COPYDATASTRUCT cds = {};
    cds.cbData = static_cast<DWORD>(call.size());
    cds.lpData = const_cast<char*>(call.data());
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(main, WM_COPYDATA, 77, reinterpret_cast<LPARAM>(&cds), SMTO_BLOCK, 10000, &answer);
}

TEST(Program, FirstStartBindsTheSkinWritesTheKeywordAndTakesASecondStartsText) {
    tdtest::RegistrySandbox reg(kKey);
    ProgramFolder prog("full");
    ASSERT_TRUE(prog.Ok());
    const std::string user = AppDataFolder() + "\\velmirant-Player\\";
    CreateDirectoryA(user.c_str(), nullptr);
    // One default file is new, one the user already has (and the first
    // run's move must not replace it either, nor drop the program's copy).
    prog.Folder().Write("vl_hilfe.chm", "from the program");
    prog.Folder().Write("clockwarden.ini", "from the program");
    tdtest::WriteFileBytes(user + "clockwarden.ini", "the user's own");
    DeleteFileA((user + "vl_hilfe.chm").c_str());

    Process first;
    ASSERT_TRUE(first.Start(prog.Exe(), {"tunerdeck://%7CCHANNELID%7C123/"}));
    HWND main = first.WaitForWindow(kMainClass, kStartMs);
    ASSERT_NE(main, nullptr) << prog.Log();

    std::string value;
    EXPECT_TRUE(reg.GetString("LastChannelId", &value));
    EXPECT_EQ(value, "123");
    EXPECT_FALSE(reg.GetString("LastStreamId", &value));
    EXPECT_TRUE(reg.GetString("deb_start", &value));
    EXPECT_EQ(value, "1");
    EXPECT_TRUE(reg.GetString("PathUser", &value));
    EXPECT_EQ(value, user);
    EXPECT_TRUE(reg.GetString("PathSkins", &value));
    EXPECT_EQ(value, user + "skins\\");
    EXPECT_NE(GetFileAttributesA((user + "aufnahmen").c_str()), INVALID_FILE_ATTRIBUTES);
    std::string bytes;
    EXPECT_TRUE(tdtest::ReadFileBytes(user + "vl_hilfe.chm", &bytes));
    EXPECT_EQ(bytes, "from the program");
    EXPECT_TRUE(tdtest::ReadFileBytes(user + "clockwarden.ini", &bytes));
    EXPECT_EQ(bytes, "the user's own");
    EXPECT_TRUE(prog.Folder().Exists("clockwarden.ini"));
    EXPECT_TRUE(reg.GetString("FilesMoved", &value));
    EXPECT_EQ(value, "1");

    // GetSettings, then Prepare (first start, start parameters given), then BuildUp.
    std::string log = prog.Log();
    size_t settings = Find(log, "GetSettings 1");
    // The user's skins folder: the skin engine keeps its feeds and the
    // encoder archive beside it, which must not go into the program folder.
    size_t prepare = Find(log, "Prepare 1 1 1 " + user + "skins\\ -> 0");
    size_t build = Find(log, "BuildUp 1");
    ASSERT_NE(settings, std::string::npos) << log;
    ASSERT_NE(prepare, std::string::npos) << log;
    ASSERT_NE(build, std::string::npos) << log;
    EXPECT_LT(settings, prepare);
    EXPECT_LT(prepare, build);

    // A second start hands its (normalised) text over and ends.
    Process second;
    ASSERT_TRUE(second.Start(prog.Exe(), {"tunerdeck://%7CSTREAMID%7C77/"}));
    DWORD code = 1;
    EXPECT_TRUE(second.Wait(20000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_NE(Find(prog.Log(), "WM_COPYDATA 5 0 tunerdeck://|STREAMID|77"), std::string::npos) << prog.Log();
    // The second start wrote nothing of its own.
    EXPECT_TRUE(reg.GetString("LastChannelId", &value));
    EXPECT_EQ(value, "123");

    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(first.Wait(20000, &code));
    EXPECT_NE(Find(prog.Log(), "BuildUp ended"), std::string::npos);
    EXPECT_FALSE(reg.GetString("deb_start", &value)) << "a clean end removes the run marker";
    EXPECT_EQ(Find(prog.Log(), "BuildUp", build + 9), Find(prog.Log(), "BuildUp ended")) << "the skin is built once";
    DeleteFileA((user + "vl_hilfe.chm").c_str());
    DeleteFileA((user + "clockwarden.ini").c_str());
}

TEST(Program, ASecondStartDuringStartUpWaitsForTheFirstsWindow) {
    tdtest::RegistrySandbox reg(kKey);
    ProgramFolder prog("full");
    ASSERT_TRUE(prog.Ok());
    Process first, second;
    ASSERT_TRUE(first.Start(prog.Exe()));
    ASSERT_TRUE(second.Start(prog.Exe(), {"tunerdeck://|REMIND|abc"}));
    DWORD code = 1;
    EXPECT_TRUE(second.Wait(30000, &code));
    HWND main = first.WaitForWindow(kMainClass, kStartMs);
    ASSERT_NE(main, nullptr) << prog.Log();
    std::string log = prog.Log();
    EXPECT_NE(log.find("WM_COPYDATA 5 0 tunerdeck://|REMIND|abc"), std::string::npos) << log;
    EXPECT_EQ(log.find("BuildUp"), log.rfind("BuildUp")) << "one instance only: " << log;
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(first.Wait(20000));
}

TEST(Program, SkinLibraryLackingAnEntryPointEndsStartUpWithTheMessage) {
    tdtest::RegistrySandbox reg(kKey);
    ProgramFolder prog("partial");
    ASSERT_TRUE(prog.Ok());
    Process p;
    ASSERT_TRUE(p.Start(prog.Exe()));
    std::string title;
    std::string text = TakeMessageBox(p, kStartMs, &title);
    EXPECT_NE(text.find("Initialisierung der Oberfl\xE4" "che fehlgeschlagen"), std::string::npos) << text;
    EXPECT_NE(text.find("SetStreamInfo"), std::string::npos) << text;
    EXPECT_EQ(title, "velmirant-Player");
    DWORD code = 1;
    EXPECT_TRUE(p.Wait(20000, &code));
    EXPECT_EQ(prog.Log(), "") << "nothing of a half-bound library is called";
    std::string value;
    EXPECT_FALSE(reg.GetString("deb_start", &value));
}

TEST(Program, AnUnansweredStartUpMessageEndsTheProgramByItself) {
    tdtest::RegistrySandbox reg(kKey);
    ProgramFolder prog("partial");
    ASSERT_TRUE(prog.Ok());
    Process p;
    ASSERT_TRUE(p.Start(prog.Exe()));
    DWORD code = 1;
    EXPECT_TRUE(p.Wait(45000, &code)) << "still waiting on its message";
}

TEST(Program, ABrokenSkinFallsBackToTheLastOne) {
    tdtest::RegistrySandbox reg(kKey);
    ASSERT_TRUE(reg.SetString("SKIN", "broken.dll"));
    ASSERT_TRUE(reg.SetString("LAST_SKIN", "good.dll"));
    ProgramFolder prog("full");
    ASSERT_TRUE(prog.Ok());
    Process p;
    ASSERT_TRUE(p.Start(prog.Exe()));
    HWND main = p.WaitForWindow(kMainClass, kStartMs);
    ASSERT_NE(main, nullptr) << prog.Log();
    std::string log = prog.Log();
    size_t failed = Find(log, "BuildUp 0 -> -1");
    size_t again = Find(log, "Prepare 1 0 0 ", failed);
    ASSERT_NE(failed, std::string::npos) << log;
    ASSERT_NE(again, std::string::npos) << log;
    EXPECT_NE(Find(log, "BuildUp 0\r\n", again), std::string::npos) << log;
    std::string value;
    EXPECT_TRUE(reg.GetString("SKIN", &value));
    EXPECT_EQ(value, "good.dll");
    reg.GetString("LAST_SKIN", &value);
    EXPECT_EQ(value, "");
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(p.Wait(20000));
}

TEST(Program, AFailedPrepareWithoutAPreviousSkinNamesTheSkinAndEnds) {
    tdtest::RegistrySandbox reg(kKey);
    ASSERT_TRUE(reg.SetString("SKIN", "faulty.dll"));
    ProgramFolder prog("full");
    ASSERT_TRUE(prog.Ok());
    SetEnvironmentVariableA("TD_FAKE_FACETKIT_PREPARE", "-1");
    Process p;
    ASSERT_TRUE(p.Start(prog.Exe()));
    std::string text = TakeMessageBox(p, kStartMs);
    EXPECT_NE(text.find("faulty.dll"), std::string::npos) << text;
    EXPECT_TRUE(p.Wait(20000));
    SetEnvironmentVariableA("TD_FAKE_FACETKIT_PREPARE", nullptr);
    EXPECT_EQ(prog.Log().find("BuildUp"), std::string::npos) << prog.Log();
}

TEST(Program, ShutdownWithoutArgumentEndsAtOnce) {
    tdtest::RegistrySandbox reg(kKey);
    ProgramFolder prog("full");
    ASSERT_TRUE(prog.Ok());
    Process p;
    ASSERT_TRUE(p.Start(prog.Exe(), {"tunerdeck://|SHUTDOWN"}));
    DWORD code = 1;
    EXPECT_TRUE(p.Wait(20000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(prog.Log(), "");
    std::string value;
    EXPECT_FALSE(reg.GetString("deb_start", &value));
    EXPECT_FALSE(reg.GetString("ShutDown", &value));
}

TEST(Program, TheSkinsCallbackPlaysAnAddressThatIsHeardAndStopsIt) {
    tdtest::RegistrySandbox reg(kKey);
    ProgramFolder prog("full");
    ASSERT_TRUE(prog.Ok());
    ASSERT_TRUE(prog.AddPlaybackHost());
    pe_test::IcyStreamOptions o;
    o.audio = pe_test::MakeMp3(pe_test::TestTone(4.0));
    o.bytesPerSecond = 16000;
    tdtest::HttpServer server;
    server.Route("/station", [&](const tdtest::HttpRequest&) { return pe_test::IcyStream(o); });

    Process p;
    ASSERT_TRUE(p.Start(prog.Exe()));
    HWND main = p.WaitForWindow(kMainClass, kStartMs);
    ASSERT_NE(main, nullptr) << prog.Log();

    // A RealAudio address (kind 1): the RealPlayer engine of the stand-in host.
    SkinCallback(main, "21|1|" + server.Url("/station"));
    EXPECT_NE(Find(prog.Log(), "Callback 21 1 -> 0"), std::string::npos) << prog.Log();
    // Playing once the buffer is full and the stream reports its run information.
    EXPECT_TRUE(tdtest::WaitFor([&] { return Find(prog.Log(), "SetStreamRunInfo ") != std::string::npos; }, 40000, 100))
        << prog.Log();
    tdtest::ToneStats st;
    EXPECT_TRUE(pe_test::HearTone(1500, 4000, &st)) << "rms " << st.rms << "\n" << prog.Log();
    EXPECT_EQ(Find(prog.Log(), "ReceiveStatus 0 Play : "), std::string::npos) << "an address is no station";

    const size_t stopAt = prog.Log().size();
    SkinCallback(main, "3|0");
    EXPECT_TRUE(tdtest::WaitFor([&] { return Find(prog.Log(), "finished playing...", stopAt) != std::string::npos; },
                                20000, 100))
        << prog.Log();
    // The lists are ready: the free recording time comes from the recording pipe.
    SkinCallback(main, "15|0");
    EXPECT_TRUE(tdtest::WaitFor([&] { return Find(prog.Log(), "SetRecTime ", stopAt) != std::string::npos; }, 10000,
                                100))
        << prog.Log();
    // The stop's status came before the answer to the later callback.
    EXPECT_EQ(Find(prog.Log(), "keep_record", stopAt), std::string::npos) << prog.Log();

    PostMessageA(main, WM_CLOSE, 0, 0);
    DWORD code = 1;
    EXPECT_TRUE(p.Wait(30000, &code));
    EXPECT_EQ(code, 0u);
}

TEST(Program, ASkinChangeFromTheSkinBuildsTheInterfaceAnewWithTheNewSkin) {
    tdtest::RegistrySandbox reg(kKey);
    ASSERT_TRUE(reg.SetString("SKIN", "first.dll"));
    ProgramFolder prog("full");
    ASSERT_TRUE(prog.Ok());
    Process p;
    ASSERT_TRUE(p.Start(prog.Exe()));
    HWND main = p.WaitForWindow(kMainClass, kStartMs);
    ASSERT_NE(main, nullptr) << prog.Log();

    SkinCallback(main, "16|0|second.dll");
    EXPECT_NE(Find(prog.Log(), "ReceiveStatus 21 (null)"), std::string::npos) << prog.Log();
    std::string value;
    EXPECT_TRUE(reg.GetString("SKIN", &value));
    EXPECT_EQ(value, "second.dll");
    EXPECT_TRUE(reg.GetString("LAST_SKIN", &value));
    EXPECT_EQ(value, "first.dll");

    // The skin closes its windows on status 21; the stand-in leaves that to the test.
    const size_t closedAt = prog.Log().size();
    PostMessageA(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(tdtest::WaitFor([&] { return Find(prog.Log(), "BuildUp 0", closedAt) != std::string::npos; }, kStartMs,
                                50))
        << prog.Log();
    EXPECT_NE(Find(prog.Log(), "Prepare 1 0 0 ", closedAt), std::string::npos) << "a restart, not a first start";
    HWND again = p.WaitForWindow(kMainClass, kStartMs);
    ASSERT_NE(again, nullptr);
    PostMessageA(again, WM_CLOSE, 0, 0);
    DWORD code = 1;
    EXPECT_TRUE(p.Wait(30000, &code));
    EXPECT_EQ(code, 0u);
}

}  // namespace
