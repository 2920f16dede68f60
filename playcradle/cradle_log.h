// The playback host's log lines: to the log viewer through the debug-text
// sender, either as they stand or with the program's prefix "playcradle: ".
#pragma once

#if defined(__GNUC__)
__attribute__((format(printf, 2, 3)))
#endif
void CradleLog(int level, const char* fmt, ...);   // "playcradle: " + text
void PlainLog(int level, const char* text);
#if defined(__GNUC__)
__attribute__((format(printf, 2, 3)))
#endif
void PlainLogF(int level, const char* fmt, ...);
