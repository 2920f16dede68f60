#include <cstdio>
#include <string>

#include "tdtest.h"

namespace tdtest {

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = bytes.empty() || WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    return ok && written == bytes.size();
}

bool ReadFileBytes(const std::string& path, std::string* bytes) {
    bytes->clear();
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    char buf[65536];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(h, buf, sizeof buf, &got, nullptr) != FALSE) && got > 0) bytes->append(buf, got);
    CloseHandle(h);
    return ok;
}

bool RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((path + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = fd.cFileName;
            if (name == "." || name == "..") continue;
            std::string full = path + "\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(full);
            } else {
                SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(full.c_str());
            }
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    return RemoveDirectoryA(path.c_str()) != FALSE;
}

TempFolder::TempFolder(const char* tag) {
    char base[MAX_PATH];
    DWORD n = GetTempPathA(sizeof base, base);
    std::string root = (n > 0 && n < sizeof base) ? std::string(base, n) : std::string("C:\\");
    if (!root.empty() && root.back() == '\\') root.pop_back();
    static LONG counter = 0;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        char name[96];
        snprintf(name, sizeof name, "\\%s-%lu-%ld-%lu", tag, GetCurrentProcessId(), InterlockedIncrement(&counter),
                 GetTickCount() % 100000);
        std::string candidate = root + name;
        if (CreateDirectoryA(candidate.c_str(), nullptr)) {
            path_ = candidate;
            return;
        }
    }
}

TempFolder::~TempFolder() {
    if (!path_.empty() && !getenv("TD_KEEP_TEMP")) RemoveTree(path_);
}

void TempFolder::Write(const std::string& name, const std::string& bytes) const { WriteFileBytes(File(name), bytes); }

std::string TempFolder::Read(const std::string& name) const {
    std::string bytes;
    ReadFileBytes(File(name), &bytes);
    return bytes;
}

bool TempFolder::Exists(const std::string& name) const {
    return GetFileAttributesA(File(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace tdtest
