// The start program of an installation. The player only reads its string
// table and icons as data; run, it starts the player beside it.
#include <windows.h>

#include <cstring>

#include "bounded_text.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR cmdLine, int) {
    char path[MAX_PATH + 32];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return 1;
    char* cut = strrchr(path, '\\');
    if (!cut) return 1;
    cut[1] = 0;
    char line[2048];
    if (!bk::TextFormat(line, sizeof line, "\"%stunerdeck.exe\" %s", path, cmdLine ? cmdLine : "")) return 1;
    if (!bk::TextAppend(path, sizeof path, "tunerdeck.exe")) return 1;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(path, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 1;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return 0;
}
