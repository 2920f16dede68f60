#include "tempfile.h"

#include <windows.h>

#include <cstring>

#include "bounded_text.h"
#include "debugtext.h"

namespace {
bool IsPlainNamePart(const char* s) {
    return s && !strpbrk(s, "\\/:*?\"<>|") && strstr(s, "..") == nullptr;
}
}  // namespace

cTempFile::cTempFile() : current_(0) {
    slots_[0][0] = 0;
    slots_[1][0] = 0;
}

cTempFile::~cTempFile() {
    for (auto& slot : slots_)
        if (slot[0]) DeleteFileA(slot);
}

int cTempFile::GenerateTempFile(const char* prefix, const char* extension, char** path, void** handle) {
    current_ = 1 - current_;
    char* slot = slots_[current_];
    if (slot[0]) DeleteFileA(slot);
    slot[0] = 0;

    if (!path || !*path || !handle || !IsPlainNamePart(prefix) || !IsPlainNamePart(extension)) {
        DebugLog(DL_ERR, "cTempFile::GenerateTempFile - invalid arguments");
        return 0;
    }
    char folder[PATH_SIZE];
    DWORD n = GetTempPathA(sizeof folder, folder);
    if (n == 0 || n >= sizeof folder) {
        DebugLog(DL_ERR, "cTempFile::GenerateTempFile - no temporary folder (%lu)", GetLastError());
        return 0;
    }
    const char* sep = folder[n - 1] == '\\' ? "" : "\\";
    for (int i = 0; i <= MAX_NUMBER; ++i) {
        char name[PATH_SIZE];
        if (!bk::TextFormat(name, sizeof name, "%s%s%s_%d.%s", folder, sep, prefix, i, extension)) {
            DebugLog(DL_ERR, "cTempFile::GenerateTempFile - name too long");
            return 0;
        }
        HANDLE h = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            DWORD err = GetLastError();
            if (err == ERROR_FILE_EXISTS || err == ERROR_ALREADY_EXISTS || err == ERROR_ACCESS_DENIED ||
                err == ERROR_SHARING_VIOLATION)
                continue;
            DebugLog(DL_ERR, "cTempFile::GenerateTempFile - cannot create %s (%lu)", name, err);
            return 0;
        }
        bk::TextCopy(slot, PATH_SIZE, name);
        bk::TextCopy(*path, PATH_SIZE, name);
        *handle = h;
        return 1;
    }
    DebugLog(DL_ERR, "cTempFile::GenerateTempFile - no free name for %s", prefix);
    return 0;
}
