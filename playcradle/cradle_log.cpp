#include "cradle_log.h"

#include <cstdarg>

#include "bounded_text.h"
#include "debugtext.h"

void CradleLog(int level, const char* fmt, ...) {
    char text[1024];
    va_list args;
    va_start(args, fmt);
    bk::TextFormatV(text, sizeof text, fmt, args);
    va_end(args);
    DebugLog(level, "playcradle: %s", text);
}

void PlainLog(int level, const char* text) { SendDebugText(text, level); }

void PlainLogF(int level, const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    DebugLogV(level, fmt, args);
    va_end(args);
}
