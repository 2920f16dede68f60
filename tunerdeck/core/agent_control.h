// The tray agent "traywatch.exe" (started, closed, entered in the logon
// start) and switching the computer off after a recording.
#pragma once

#include <windows.h>

constexpr const char* kAgentWindowClass = "vl_control_center_class";
constexpr const char* kAgentProgram = "traywatch.exe";

void StartAgent(int registerAutoStart);
void CloseAgent(int unregisterAutoStart);
void ShutdownComputer();

namespace td {

// The system calls that switch the computer off, one seam so that tests
// can record the sequence instead of powering the machine down.
struct ShutdownSystem {
    virtual ~ShutdownSystem() = default;
    virtual BOOL PowerOff(UINT flags) = 0;
    virtual BOOL OpenProcessToken(HANDLE* token) = 0;
    // Enables SeShutdownPrivilege; the result is GetLastError afterwards.
    virtual DWORD EnableShutdownPrivilege(HANDLE token) = 0;
    virtual void CloseToken(HANDLE token) = 0;
    virtual void Message(const char* text) = 0;
};
// Null restores the real system calls.
void SetShutdownSystem(ShutdownSystem* system);

// Program path in quotes, so a folder with blanks never starts another program.
void QuotedProgramPath(const char* program, char* out, unsigned size);

}  // namespace td
