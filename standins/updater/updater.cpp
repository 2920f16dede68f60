// Stand-in for the player's installer. The real one installs a new player
// into the folder named by /dir="..."; this one only writes how it was
// started into "update_started.log" beside itself and ends, so tests can
// check the command line the player used.
#include <windows.h>

#include <cstring>
#include <string>

#include "bounded_text.h"

namespace {

// The value of a switch like /dir="C:\Program Files\x" (quotes optional).
std::string SwitchValue(const char* commandLine, const char* name) {
    const char* at = commandLine;
    const size_t n = strlen(name);
    while ((at = strchr(at, '/')) != nullptr) {
        if (_strnicmp(at + 1, name, n) == 0 && at[1 + n] == '=') {
            const char* v = at + 2 + n;
            if (*v == '"') {
                const char* end = strchr(v + 1, '"');
                return end ? std::string(v + 1, end) : std::string(v + 1);
            }
            const char* end = v;
            while (*end && *end != ' ') ++end;
            return std::string(v, end);
        }
        ++at;
    }
    return std::string();
}

bool HasSwitch(const char* commandLine, const char* name) {
    const size_t n = strlen(name);
    for (const char* at = strchr(commandLine, '/'); at; at = strchr(at + 1, '/'))
        if (_strnicmp(at + 1, name, n) == 0 && (at[1 + n] == 0 || at[1 + n] == ' ')) return true;
    return false;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const char* commandLine = GetCommandLineA();
    char self[MAX_PATH] = {};
    DWORD len = GetModuleFileNameA(nullptr, self, sizeof self);
    if (len == 0 || len >= sizeof self) return 1;
    char* slash = strrchr(self, '\\');
    if (!slash) return 1;
    slash[1] = 0;
    char logPath[MAX_PATH];
    if (!bk::TextFormat(logPath, sizeof logPath, "%supdate_started.log", self)) return 1;
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof folder, folder);

    std::string text = std::string("command=") + commandLine + "\r\n";
    text += std::string("folder=") + folder + "\r\n";
    text += "dir=" + SwitchValue(commandLine, "dir") + "\r\n";
    text += std::string("silent=") + (HasSwitch(commandLine, "silent") ? "1" : "0") + "\r\n";
    text += std::string("sp-=") + (HasSwitch(commandLine, "SP-") ? "1" : "0") + "\r\n";
    text += std::string("noicons=") + (HasSwitch(commandLine, "noicons") ? "1" : "0") + "\r\n";

    HANDLE f = CreateFileA(logPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    BOOL ok = WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(f);
    return ok && written == text.size() ? 0 : 1;
}
