// Program-wide values of the player core that start-up fills in and every
// other part reads: its folders and the one lock that serialises the log
// file. Texts are held in fixed buffers so a reader never sees one freed.
#pragma once

namespace td {

constexpr unsigned kFolderCapacity = 1024;

// The folder of tunerdeck.exe, without a trailing backslash.
const char* ProgramFolder();
void SetProgramFolder(const char* folder);
// The user's data folder, with a trailing backslash (registry PathUser).
const char* UserFolder();
void SetUserFolder(const char* folder);
// The user's documents folder, without a trailing backslash (registry PathUserDocs).
const char* DocumentsFolder();
void SetDocumentsFolder(const char* folder);

// The log lock: whole open-rotate-write-close sequences of the log file.
void EnterLogLock();
void LeaveLogLock();

}  // namespace td
