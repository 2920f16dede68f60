// Stands in for the player program: appends its command line to
// "started.log" beside itself and ends.
#include <windows.h>

#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR cmdLine, int) {
    char path[MAX_PATH + 16];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return 1;
    char* cut = strrchr(path, '\\');
    if (!cut) return 1;
    lstrcpynA(cut + 1, "started.log", 16);
    HANDLE f = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    const char* line = cmdLine ? cmdLine : "";
    WriteFile(f, "start ", 6, &written, nullptr);
    WriteFile(f, line, static_cast<DWORD>(strlen(line)), &written, nullptr);
    WriteFile(f, "\r\n", 2, &written, nullptr);
    CloseHandle(f);
    return 0;
}
