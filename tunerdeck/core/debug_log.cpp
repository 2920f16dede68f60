#include "debug_log.h"

#include <windows.h>

#include <cstdarg>
#include <cstdlib>
#include <ctime>

#include "bounded_text.h"
#include "player_globals.h"
#include "registry.h"
#include "win_handles.h"

namespace {

// 0 means "not read yet"; the threshold itself is at least 1.
volatile LONG g_threshold = 0;

unsigned Threshold() {
    LONG t = g_threshold;
    if (t == 0) {
        char text[200] = {};
        GetValue("DEBUG_IT", text, sizeof text);
        // Non-numeric, negative or huge values must not silence errors nor
        // open every level by wrapping around.
        long v = strtol(text, nullptr, 10);
        if (v < 0) v = 0;
        if (v > 1000) v = 1000;
        t = static_cast<LONG>(v) + 1;
        InterlockedExchange(&g_threshold, t);
    }
    return static_cast<unsigned>(t);
}

}  // namespace

namespace td {

const char* DebugLogTag(int level) {
    switch (level) {
        case 1: return "ERR";
        case 3: return "IO";
        case 4: return "TIM";
        case 5: return "WAR";
        case 6: return "STA";
        case 7: return "INF";
        case 9: return "DEB";
        case 10: return "EDB";
        case 11: return "SAV";
        default: return "unb";
    }
}

void DebugLogPaths(char* current, unsigned currentSize, char* old, unsigned oldSize) {
    const char* folder = DocumentsFolder();
    if (!folder[0]) folder = "c:\\Test";
    if (current) bk::TextFormat(current, currentSize, "%s\\vl-log.log", folder);
    if (old) bk::TextFormat(old, oldSize, "%s\\vl-log_old.log", folder);
}

void ResetDebugLogThreshold() { InterlockedExchange(&g_threshold, 0); }

}  // namespace td

void WriteDebugLog(const char* text, int level) {
    if (static_cast<unsigned>(level) > Threshold()) return;
    char path[MAX_PATH + 32], oldPath[MAX_PATH + 32];
    td::DebugLogPaths(path, sizeof path, oldPath, sizeof oldPath);

    char stamp[64] = {};
    time_t now = time(nullptr);
    struct tm local = {};
    if (localtime_s(&local, &now) == 0) strftime(stamp, sizeof stamp, "%d-%m-%Y %H:%M:%S", &local);
    char line[1200];
    bk::TextFormat(line, sizeof line - 2, "%s %s - %s", stamp, td::DebugLogTag(level), text ? text : "");
    bk::TextAppend(line, sizeof line, "\r\n");

    td::EnterLogLock();
    {
        bk::ScopedFile file(CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) {
            LARGE_INTEGER size = {};
            if (GetFileSizeEx(file.Get(), &size) && size.QuadPart > kDebugLogLimit) {
                file.Reset();
                DeleteFileA(oldPath);
                // When the move fails the current file is emptied all the
                // same: that loses no more than the current file.
                MoveFileA(path, oldPath);
                file.Reset(CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
            }
        }
        if (file) {
            SetFilePointer(file.Get(), 0, nullptr, FILE_END);
            DWORD written = 0;
            WriteFile(file.Get(), line, static_cast<DWORD>(strlen(line)), &written, nullptr);
        }
    }
    td::LeaveLogLock();
}

void WriteDebugLogF(int level, const char* fmt, ...) {
    if (static_cast<unsigned>(level) > Threshold()) return;
    char text[1024];
    va_list args;
    va_start(args, fmt);
    bk::TextFormatV(text, sizeof text, fmt, args);
    va_end(args);
    WriteDebugLog(text, level);
}
