#include "player_globals.h"

#include <windows.h>

#include "bounded_text.h"

namespace td {
namespace {

char g_programFolder[kFolderCapacity];
char g_userFolder[kFolderCapacity];
char g_documentsFolder[kFolderCapacity];

// A function-local object so the lock exists before any static constructor
// of another file may log.
CRITICAL_SECTION* LogLock() {
    static CRITICAL_SECTION lock;
    static bool made = [] {
        InitializeCriticalSection(&lock);
        return true;
    }();
    (void)made;
    return &lock;
}

}  // namespace

const char* ProgramFolder() { return g_programFolder; }
void SetProgramFolder(const char* folder) { bk::TextCopy(g_programFolder, sizeof g_programFolder, folder); }
const char* UserFolder() { return g_userFolder; }
void SetUserFolder(const char* folder) { bk::TextCopy(g_userFolder, sizeof g_userFolder, folder); }
const char* DocumentsFolder() { return g_documentsFolder; }
void SetDocumentsFolder(const char* folder) { bk::TextCopy(g_documentsFolder, sizeof g_documentsFolder, folder); }

void EnterLogLock() { EnterCriticalSection(LogLock()); }
void LeaveLogLock() { LeaveCriticalSection(LogLock()); }

}  // namespace td
