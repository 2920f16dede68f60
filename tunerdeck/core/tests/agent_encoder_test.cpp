// The tray agent's start, close and logon entry; the computer's shut-down
// sequence; unpacking the encoder library.
#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "agent_control.h"
#include "core_test_support.h"
#include "encoder_setup.h"
#include "requests.h"
#include "win_handles.h"

namespace {

// Agents this process started: CreateProcess has returned by the time a
// start call does, so a second one shows here at once.
int AgentsStartedHere() {
    int n = 0;
    bk::ScopedHandle snap(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snap) return -1;
    PROCESSENTRY32 pe = {};
    pe.dwSize = sizeof pe;
    for (BOOL ok = Process32First(snap.Get(), &pe); ok; ok = Process32Next(snap.Get(), &pe))
        if (pe.th32ParentProcessID == GetCurrentProcessId() && _stricmp(pe.szExeFile, "traywatch.exe") == 0) ++n;
    return n;
}

std::string RunValue() {
    char text[1024] = {};
    DWORD size = sizeof text - 1;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return "";
    LONG rc = RegQueryValueExA(key, GetAgentRunValueName(), nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS ? std::string(text) : std::string();
}

TEST(AgentControl, StartsClosesAndRegistersTheAgent) {
    coretest::PlayerFolders folders;
    ASSERT_TRUE(CopyFileA((tdtest::BinDir() + "\\fake_agent\\traywatch.exe").c_str(),
                          (folders.Program() + "\\traywatch.exe").c_str(), FALSE));
    ASSERT_EQ(FindWindowA(kAgentWindowClass, nullptr), nullptr);

    StartAgent(1);
    HWND agent = nullptr;
    ASSERT_TRUE(tdtest::WaitFor([&] { return (agent = FindWindowA(kAgentWindowClass, nullptr)) != nullptr; }, 30000));
    DWORD pid = 0;
    GetWindowThreadProcessId(agent, &pid);
    EXPECT_EQ(RunValue(), "\"" + folders.Program() + "\\traywatch.exe\"");

    // A running agent is not started twice.
    StartAgent(0);
    EXPECT_EQ(AgentsStartedHere(), 1);
    int windows = 0;
    for (HWND w = FindWindowExA(nullptr, nullptr, kAgentWindowClass, nullptr); w;
         w = FindWindowExA(nullptr, w, kAgentWindowClass, nullptr))
        ++windows;
    EXPECT_EQ(windows, 1);

    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    CloseAgent(1);
    EXPECT_EQ(WaitForSingleObject(process, 30000), WAIT_OBJECT_0);
    CloseHandle(process);
    EXPECT_EQ(RunValue(), "");

    // Without the program nothing starts, and the call returns.
    DeleteFileA((folders.Program() + "\\traywatch.exe").c_str());
    StartAgent(0);
    CloseAgent(0);
    EXPECT_EQ(FindWindowA(kAgentWindowClass, nullptr), nullptr);
}

class RecordingShutdown : public td::ShutdownSystem {
public:
    std::vector<BOOL> exitResults;
    BOOL tokenResult = TRUE;
    DWORD privilegeError = 0;
    std::string calls;
    BOOL PowerOff(UINT flags) override {
        calls += (flags == (EWX_SHUTDOWN | EWX_POWEROFF)) ? "exit;" : "exit(bad flags);";
        BOOL r = exitResults.empty() ? FALSE : exitResults.front();
        if (!exitResults.empty()) exitResults.erase(exitResults.begin());
        return r;
    }
    BOOL OpenProcessToken(HANDLE* token) override {
        calls += "token;";
        *token = tokenResult ? reinterpret_cast<HANDLE>(0x1234) : nullptr;
        return tokenResult;
    }
    DWORD EnableShutdownPrivilege(HANDLE) override {
        calls += "privilege;";
        return privilegeError;
    }
    void CloseToken(HANDLE token) override { calls += token ? "close;" : "no token;"; }
    void Message(const char* text) override { calls += std::string("msg:") + text + ";"; }
};

TEST(ShutdownComputer, RunsItsSequenceThroughTheSeam) {
    struct Case {
        const char* name;
        std::vector<BOOL> exits;
        BOOL token;
        DWORD privilegeError;
        const char* calls;
    } cases[] = {
        {"first attempt", {TRUE}, TRUE, 0, "exit;"},
        {"after the privilege", {FALSE, TRUE}, TRUE, 0, "exit;token;privilege;close;exit;"},
        {"no token", {FALSE, FALSE}, FALSE, 1300,
         "exit;token;msg:Fehler Vorbereitung f\xfcr Shutdown! (OpenProcessToken);privilege;"
         "msg:Fehler Vorbereitung f\xfcr Shutdown! (AdjustTokenPrivileges);no token;exit;msg:Fehler beim Herunterfahren;"},
        {"privilege refused", {FALSE, FALSE}, TRUE, 1300,
         "exit;token;privilege;msg:Fehler Vorbereitung f\xfcr Shutdown! (AdjustTokenPrivileges);close;exit;"
         "msg:Fehler beim Herunterfahren;"},
    };
    for (const Case& c : cases) {
        RecordingShutdown sys;
        sys.exitResults = c.exits;
        sys.tokenResult = c.token;
        sys.privilegeError = c.privilegeError;
        td::SetShutdownSystem(&sys);
        ShutdownComputer();
        td::SetShutdownSystem(nullptr);
        EXPECT_EQ(sys.calls, c.calls) << c.name;
    }
}

// ---------------------------------------------------------------- encoder

std::string U16(uint16_t v) { return std::string{static_cast<char>(v & 0xff), static_cast<char>(v >> 8)}; }
std::string U32(uint32_t v) { return U16(static_cast<uint16_t>(v & 0xffff)) + U16(static_cast<uint16_t>(v >> 16)); }

// A zip archive of stored entries.
std::string StoredZip(const std::vector<std::pair<std::string, std::string>>& entries) {
    std::string body, central;
    for (const auto& e : entries) {
        uint32_t crc = crc32(0, reinterpret_cast<const Bytef*>(e.second.data()), static_cast<uInt>(e.second.size()));
        uint32_t size = static_cast<uint32_t>(e.second.size());
        uint32_t offset = static_cast<uint32_t>(body.size());
        std::string common = U16(0) + U16(0) + U16(0x6A21) + U16(0x5A8C) + U32(crc) + U32(size) + U32(size) +
                             U16(static_cast<uint16_t>(e.first.size()));
        body += "PK\x03\x04" + U16(20) + common + U16(0) + e.first + e.second;
        central += "PK\x01\x02" + U16(20) + U16(20) + common + U16(0) + U16(0) + U16(0) + U16(0) + U32(0x20) +
                   U32(offset) + e.first;
    }
    return body + central + "PK\x05\x06" + U16(0) + U16(0) + U16(static_cast<uint16_t>(entries.size())) +
           U16(static_cast<uint16_t>(entries.size())) + U32(static_cast<uint32_t>(central.size())) +
           U32(static_cast<uint32_t>(body.size())) + U16(0);
}

bool g_librarySigned = true;
bool FakeVerifier(const char*) { return g_librarySigned; }

class EncoderSetupTest : public ::testing::Test {
protected:
    EncoderSetupTest() {
        g_librarySigned = true;
        SetCodeVerifier(FakeVerifier);
    }
    ~EncoderSetupTest() override { SetCodeVerifier(nullptr); }
    std::string Archive(const std::string& bytes) {
        std::string path = files.File("lame.zip");
        tdtest::WriteFileBytes(path, bytes);
        return path;
    }
    bool Has(const std::string& folder, const char* name = "lame_enc.dll") {
        return GetFileAttributesA((folder + "\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    coretest::PlayerFolders folders;
    tdtest::TempFolder files{"zip"};
    const std::string library = std::string(70000, 'L') + "end";
};

TEST_F(EncoderSetupTest, ProgramFolderReceivesTheLibrary) {
    std::string path = Archive(StoredZip({{"readme.txt", "hi"}, {"bin/LAME_ENC.DLL", library}}));
    EXPECT_EQ(UnpackEncoderLibrary(path.c_str()), 1);
    std::string got;
    ASSERT_TRUE(tdtest::ReadFileBytes(folders.Program() + "\\lame_enc.dll", &got));
    EXPECT_EQ(got, library);
    EXPECT_FALSE(Has(folders.User()));
    EXPECT_FALSE(Has(folders.Program() + "\\bin"));
    EXPECT_FALSE(Has(folders.Program(), "lame_enc.dll.part"));
}

TEST_F(EncoderSetupTest, UnwritableProgramFolderFallsBackToTheUserFolder) {
    // A file where the folder should be: nothing can be written below it.
    tdtest::WriteFileBytes(folders.Program() + "\\blocked", "x");
    td::SetProgramFolder((folders.Program() + "\\blocked").c_str());
    std::string path = Archive(StoredZip({{"lame_enc.dll", library}}));
    EXPECT_EQ(UnpackEncoderLibrary(path.c_str()), 1);
    EXPECT_TRUE(Has(folders.User()));
}

TEST_F(EncoderSetupTest, BadArchivesGiveZeroAndLeaveNothing) {
    std::string good = StoredZip({{"lame_enc.dll", library}});
    std::string wrongCrc = good;
    wrongCrc[30 + 12 + 100] ^= 1;   // a byte inside the stored data
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"no library", StoredZip({{"other.dll", "x"}})},
        {"empty file", ""},
        {"not a zip", std::string(500, 'z')},
        {"truncated", good.substr(0, good.size() / 2)},
        {"wrong check value", wrongCrc},
    };
    for (const Case& c : cases) {
        std::string path = Archive(c.bytes);
        EXPECT_EQ(UnpackEncoderLibrary(path.c_str()), 0) << c.name;
        EXPECT_FALSE(Has(folders.Program())) << c.name;
        EXPECT_FALSE(Has(folders.User())) << c.name;
        EXPECT_FALSE(Has(folders.Program(), "lame_enc.dll.part")) << c.name;
        EXPECT_FALSE(Has(folders.User(), "lame_enc.dll.part")) << c.name;
    }
    EXPECT_EQ(UnpackEncoderLibrary(files.File("absent.zip").c_str()), 0);
    EXPECT_EQ(UnpackEncoderLibrary(nullptr), 0);
    std::string tooLong(5000, 'a');
    EXPECT_EQ(UnpackEncoderLibrary(tooLong.c_str()), 0);
}

TEST_F(EncoderSetupTest, AnUnsignedLibraryIsNotPutInPlace) {
    tdtest::WriteFileBytes(folders.Program() + "\\lame_enc.dll", std::string(200000, 'o'));
    g_librarySigned = false;
    std::string path = Archive(StoredZip({{"lame_enc.dll", library}}));
    EXPECT_EQ(UnpackEncoderLibrary(path.c_str()), 0);
    std::string got;
    ASSERT_TRUE(tdtest::ReadFileBytes(folders.Program() + "\\lame_enc.dll", &got));
    EXPECT_EQ(got, std::string(200000, 'o'));
    EXPECT_FALSE(Has(folders.User()));
    EXPECT_FALSE(Has(folders.Program(), "lame_enc.dll.part"));
    EXPECT_FALSE(Has(folders.User(), "lame_enc.dll.part"));
}

TEST_F(EncoderSetupTest, AnOldLibraryIsReplacedWhole) {
    tdtest::WriteFileBytes(folders.Program() + "\\lame_enc.dll", std::string(200000, 'o'));
    std::string path = Archive(StoredZip({{"lame_enc.dll", library}}));
    EXPECT_EQ(UnpackEncoderLibrary(path.c_str()), 1);
    std::string got;
    ASSERT_TRUE(tdtest::ReadFileBytes(folders.Program() + "\\lame_enc.dll", &got));
    EXPECT_EQ(got, library);
}

}  // namespace
