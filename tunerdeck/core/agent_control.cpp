#include "agent_control.h"

#include "bounded_text.h"
#include "debug_log.h"
#include "player_globals.h"
#include "registry.h"

namespace td {
namespace {

class RealShutdownSystem : public ShutdownSystem {
public:
    BOOL PowerOff(UINT flags) override { return ExitWindowsEx(flags, 0); }
    BOOL OpenProcessToken(HANDLE* token) override {
        return ::OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token);
    }
    DWORD EnableShutdownPrivilege(HANDLE token) override {
        TOKEN_PRIVILEGES tp = {};
        LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &tp.Privileges[0].Luid);
        tp.PrivilegeCount = 1;
        tp.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        SetLastError(0);
        AdjustTokenPrivileges(token, FALSE, &tp, 0, nullptr, nullptr);
        return GetLastError();
    }
    void CloseToken(HANDLE token) override {
        if (token) CloseHandle(token);
    }
    void Message(const char* text) override { MessageBoxA(nullptr, text, "tunerdeck", MB_OK | MB_ICONEXCLAMATION); }
};

RealShutdownSystem g_realShutdown;
ShutdownSystem* g_shutdown = &g_realShutdown;

void AgentPath(char* out, unsigned size) {
    char path[MAX_PATH * 2];
    bk::TextFormat(path, sizeof path, "%s\\%s", ProgramFolder(), kAgentProgram);
    QuotedProgramPath(path, out, size);
}

}  // namespace

void SetShutdownSystem(ShutdownSystem* system) { g_shutdown = system ? system : &g_realShutdown; }

void QuotedProgramPath(const char* program, char* out, unsigned size) {
    bk::TextFormat(out, size, "\"%s\"", program ? program : "");
}

}  // namespace td

void StartAgent(int registerAutoStart) {
    char command[MAX_PATH * 2 + 4];
    td::AgentPath(command, sizeof command);
    if (!FindWindowA(kAgentWindowClass, nullptr)) {
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        if (CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, CREATE_DEFAULT_ERROR_MODE, nullptr,
                           td::ProgramFolder()[0] ? td::ProgramFolder() : nullptr, &si, &pi)) {
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
        } else {
            WriteDebugLogF(5, "StartAgent: %s not started (%lu)", command, GetLastError());
        }
    }
    if (registerAutoStart) AutoStartVLAgent(command, 1);
}

void CloseAgent(int unregisterAutoStart) {
    if (HWND agent = FindWindowA(kAgentWindowClass, nullptr)) PostMessageA(agent, WM_CLOSE, 0, 0);
    if (unregisterAutoStart) {
        char command[MAX_PATH * 2 + 4];
        td::AgentPath(command, sizeof command);
        AutoStartVLAgent(command, 0);
    }
}

void ShutdownComputer() {
    td::ShutdownSystem* sys = td::g_shutdown;
    const UINT flags = EWX_SHUTDOWN | EWX_POWEROFF;
    if (sys->PowerOff(flags)) return;
    HANDLE token = nullptr;
    if (!sys->OpenProcessToken(&token)) {
        sys->Message("Fehler Vorbereitung f\xfcr Shutdown! (OpenProcessToken)");
        token = nullptr;
    }
    if (sys->EnableShutdownPrivilege(token) != 0)
        sys->Message("Fehler Vorbereitung f\xfcr Shutdown! (AdjustTokenPrivileges)");
    sys->CloseToken(token);
    if (!sys->PowerOff(flags)) sys->Message("Fehler beim Herunterfahren");
}
