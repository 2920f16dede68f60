// Shared plumbing of the user's INI files (timer list, recording profiles):
// where they lie, the lock that guards them, and how a new version replaces
// the old one so that a crash, a kill or a full disk never leaves half a
// file. Internal to basekit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace bk {

// The user folder (setting "PathUser", which ends with a separator) joined
// with a file name. False when the setting is empty or the name too long:
// the user's files are never written into the current folder instead.
bool UserFile(const char* fileName, char* out, size_t size);

// The timer mutex, held for at most a bounded wait. Owned() is false when
// the wait timed out (the holder hangs); that has been logged for `op`.
class UserFilesLock {
public:
    explicit UserFilesLock(const char* op);
    ~UserFilesLock();
    UserFilesLock(const UserFilesLock&) = delete;
    UserFilesLock& operator=(const UserFilesLock&) = delete;
    bool Owned() const { return owned_; }

private:
    void* mutex_;
    bool owned_;
};

// "<path>.tmp" beside the file: the same folder, so the replace is a rename.
bool TempNameFor(const char* path, char* out, size_t size);

// Writes the bytes to `path` (created anew) and flushes them to the disk.
bool WriteWholeFile(const char* path, const void* data, size_t size);
bool ReadWholeFile(const char* path, std::string* data);

// Puts `tmp` in the place of `path` in one step, retrying a few times while
// a reader briefly holds the file; logs each failed attempt for `op`.
bool ReplaceWithTemp(const char* tmp, const char* path, const char* op);

// Blanks out what would break an INI line: CR and LF always, and the
// brackets as well in section names.
std::string CleanIniText(const char* text, bool sectionName);

// A decimal number with an optional sign and leading blanks, digits up to
// the first other character; none gives 0; beyond 64 bits it saturates.
int64_t ParseIniNumber(const char* text);
int ParseIniInt(const char* text);

}  // namespace bk
