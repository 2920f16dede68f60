#include "userfiles.h"

#include <windows.h>

#include <climits>
#include <cstring>

#include "bounded_text.h"
#include "debugtext.h"
#include "registry.h"
#include "win_handles.h"

namespace bk {

namespace {
// A hung holder must not freeze every process of the user for good.
const DWORD kLockTimeoutMs = 10000;
const int kReplaceAttempts = 6;
const DWORD kRetryPauseMs = 100;
}  // namespace

bool UserFile(const char* fileName, char* out, size_t size) {
    if (!out || size == 0) return false;
    out[0] = 0;
    char folder[512] = "";
    GetValue("PathUser", folder, sizeof folder);
    if (!folder[0]) {
        DebugLog(DL_ERR, "UserFile - no user folder (PathUser) for %s", fileName ? fileName : "");
        return false;
    }
    if (!TextCopy(out, size, folder) || !TextAppend(out, size, fileName)) {
        out[0] = 0;
        return false;
    }
    return true;
}

UserFilesLock::UserFilesLock(const char* op) : mutex_(GetTimerMutex()), owned_(false) {
    if (!mutex_) {
        // Without the mutex (it could not be made) the files still work for
        // this process alone.
        owned_ = true;
        return;
    }
    DWORD rc = WaitForSingleObject(static_cast<HANDLE>(mutex_), kLockTimeoutMs);
    owned_ = rc == WAIT_OBJECT_0 || rc == WAIT_ABANDONED;
    if (!owned_) DebugLog(DL_ERR, "%s - TUNERDECK_TIMER_MUTEX not free after %lu ms", op, kLockTimeoutMs);
}

UserFilesLock::~UserFilesLock() {
    if (owned_ && mutex_) ReleaseMutex(static_cast<HANDLE>(mutex_));
}

bool TempNameFor(const char* path, char* out, size_t size) {
    return TextCopy(out, size, path) && TextAppend(out, size, ".tmp");
}

bool WriteWholeFile(const char* path, const void* data, size_t size) {
    ScopedFile file(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        DWORD chunk = size > 0x100000 ? 0x100000 : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(file.Get(), p, chunk, &written, nullptr) || written != chunk) return false;
        p += chunk;
        size -= chunk;
    }
    return FlushFileBuffers(file.Get()) != 0;
}

bool ReadWholeFile(const char* path, std::string* data) {
    data->clear();
    ScopedFile file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart > 64 * 1024 * 1024) return false;
    data->resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    if (!data->empty() && (!ReadFile(file.Get(), &(*data)[0], static_cast<DWORD>(data->size()), &got, nullptr) ||
                           got != data->size()))
        return false;
    return true;
}

bool ReplaceWithTemp(const char* tmp, const char* path, const char* op) {
    for (int attempt = 1; attempt <= kReplaceAttempts; ++attempt) {
        if (attempt > 1) Sleep(kRetryPauseMs);
        if (MoveFileExA(tmp, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
        DWORD err = GetLastError();
        DebugLog(DL_WAR, "%s - Error %lu bei %s%s, Versuch: %d", op, err, "MoveFileEx : ", path, attempt);
        SetLastError(0);
    }
    DebugLog(DL_ERR, "%s - %s bleibt unveraendert", op, path);
    DeleteFileA(tmp);
    return false;
}

std::string CleanIniText(const char* text, bool sectionName) {
    std::string s = text ? text : "";
    for (char& c : s)
        if (c == '\r' || c == '\n' || (sectionName && (c == '[' || c == ']'))) c = ' ';
    return s;
}

int64_t ParseIniNumber(const char* text) {
    if (!text) return 0;
    while (*text == ' ' || *text == '\t') ++text;
    bool negative = false;
    if (*text == '-' || *text == '+') negative = *text++ == '-';
    uint64_t value = 0;
    const uint64_t limit = negative ? static_cast<uint64_t>(INT64_MAX) + 1 : static_cast<uint64_t>(INT64_MAX);
    for (; *text >= '0' && *text <= '9'; ++text) {
        unsigned digit = static_cast<unsigned>(*text - '0');
        if (value > (limit - digit) / 10) {
            value = limit;
            break;
        }
        value = value * 10 + digit;
    }
    if (negative) return value == static_cast<uint64_t>(INT64_MAX) + 1 ? INT64_MIN : -static_cast<int64_t>(value);
    return static_cast<int64_t>(value);
}

int ParseIniInt(const char* text) {
    int64_t v = ParseIniNumber(text);
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}

}  // namespace bk
