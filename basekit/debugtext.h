// The debug-text sender: one line with a level to the log viewer's window.
// Compiled into every deliverable that logs (not exported), so each module
// looks the viewer up once for itself. Link the static library td_debugtext.
#pragma once

#include <cstdarg>

// Levels used throughout the system; smaller is more important.
enum DebugLevel {
    DL_ERR = 1,
    DL_IO = 3,
    DL_TIM = 4,
    DL_WAR = 5,
    DL_STA = 6,
    DL_INF = 7,
    DL_DEB = 9,
    DL_EDB = 10,
    DL_SAV = 11,
    DL_VER = 15,
};

void SendDebugText(const char* text, int level);

// printf-style front end: formats into a bounded 1024-byte line, then sends.
#if defined(__GNUC__)
__attribute__((format(printf, 2, 3)))
#endif
void DebugLog(int level, const char* fmt, ...);
void DebugLogV(int level, const char* fmt, va_list args);
