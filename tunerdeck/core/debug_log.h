// The player's own log file "vl-log.log" in the documents folder. Lines
// above the registry threshold DEBUG_IT (+1) are dropped; the file is moved
// to "vl-log_old.log" once it has grown past kDebugLogLimit bytes.
#pragma once

#include <cstdint>

constexpr uint32_t kDebugLogLimit = 2000000;

void WriteDebugLog(const char* text, int level);
#if defined(__GNUC__)
__attribute__((format(printf, 2, 3)))
#endif
// Bounded (1,024-byte) formatting in front of WriteDebugLog.
void WriteDebugLogF(int level, const char* fmt, ...);

namespace td {
// The tag written for a level ("ERR", "INF", ... "unb").
const char* DebugLogTag(int level);
// The full path of the log file and of its rotated predecessor.
void DebugLogPaths(char* current, unsigned currentSize, char* old, unsigned oldSize);
// Makes the next call read DEBUG_IT again (a new process does anyway).
void ResetDebugLogThreshold();
}  // namespace td
