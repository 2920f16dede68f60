#include "zip_archive.h"

#include <cstring>
#include <vector>

#include "debugtext.h"

class CZipArchive::FileSource : public zipcore::Source {
public:
    explicit FileSource(HANDLE h) : h_(h) {
        LARGE_INTEGER s = {};
        if (GetFileSizeEx(h_, &s)) size_ = static_cast<uint64_t>(s.QuadPart);
    }
    ~FileSource() override { CloseHandle(h_); }
    uint64_t Size() override { return size_; }
    bool ReadAt(uint64_t offset, void* buffer, size_t size) override {
        if (offset > size_ || size > size_ - offset) return false;
        LARGE_INTEGER to;
        to.QuadPart = static_cast<LONGLONG>(offset);
        if (!SetFilePointerEx(h_, to, nullptr, FILE_BEGIN)) return false;
        uint8_t* p = static_cast<uint8_t*>(buffer);
        while (size > 0) {
            DWORD want = size > 0x100000 ? 0x100000 : static_cast<DWORD>(size);
            DWORD got = 0;
            if (!::ReadFile(h_, p, want, &got, nullptr) || got == 0) return false;
            p += got;
            size -= got;
        }
        return true;
    }

private:
    HANDLE h_;
    uint64_t size_ = 0;
};

CZipArchive::CZipArchive() = default;
CZipArchive::~CZipArchive() { Close(true); }

void CZipArchive::Throw(int cause) const { throw CZipException(cause, path_); }

void CZipArchive::SetPassword(const char* password) { password_ = password ? password : ""; }

void CZipArchive::SetAdvanced(int, int generalBuffer, int) {
    generalBuffer_ = static_cast<size_t>(generalBuffer < 1024 ? 1024 : generalBuffer);
}

void CZipArchive::Open(const char* path, int mode, int volumeSize) {
    if (file_) return;
    if (!path || mode < 0 || mode > 3) return;
    path_ = path;
    if (mode >= zipCreate) Throw(zipcore::kGeneric);
    if (volumeSize > 0) Throw(zipcore::kBadZipFile);   // volume files: not read here
    DWORD access = GENERIC_READ | (mode == zipOpen ? GENERIC_WRITE : 0);
    HANDLE h = CreateFileA(path, access, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE && mode == zipOpen)
        h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) Throw(zipcore::kGeneric);
    file_.reset(new FileSource(h));
    dir_ = zipcore::Directory();
    names_.clear();
    int rc = zipcore::ReadDirectory(*file_, &dir_);
    if (rc != zipcore::kOk) {
        file_.reset();
        Throw(rc);
    }
}

void CZipArchive::Close(bool afterException) {
    if (!afterException && openEntry_ >= 0) CloseFile();
    reader_.Close();
    openEntry_ = -1;
    file_.reset();
    dir_ = zipcore::Directory();
    names_.clear();
}

int CZipArchive::GetNoEntries() const { return static_cast<int>(dir_.entries.size()); }

bool CZipArchive::GetFileInfo(CZipFileHeader& info, int index) const {
    if (index < 0 || index >= GetNoEntries()) return false;
    info = dir_.entries[index];
    return true;
}

bool CZipArchive::IsFileDirectory(int index) const {
    if (index < 0 || index >= GetNoEntries()) return false;
    return dir_.entries[index].IsDirectory();
}

void CZipArchive::ConvertNames() {
    if (!names_.empty() || dir_.entries.empty()) return;
    for (const CZipFileHeader& h : dir_.entries) {
        std::string n = h.name;
        // Archives made on MS-DOS and Windows store names in the OEM code page.
        uint8_t host = static_cast<uint8_t>(h.versionMadeBy >> 8);
        if (!n.empty() && (host == 0 || host == 11 || host == 14) && !(h.flags & 0x800)) {
            std::vector<char> buf(n.begin(), n.end());
            OemToCharBuffA(buf.data(), buf.data(), static_cast<DWORD>(buf.size()));
            n.assign(buf.begin(), buf.end());
        }
        names_.push_back(zipcore::NameWithBackslashes(n));
    }
}

int CZipArchive::FindFile(const char* name, bool caseSensitive) {
    if (!file_ || !name) return -1;
    ConvertNames();
    std::string want = zipcore::NameWithBackslashes(name);
    for (size_t i = 0; i < names_.size(); ++i) {
        bool same = caseSensitive ? names_[i] == want
                                  : CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, names_[i].c_str(), -1,
                                                   want.c_str(), -1) == CSTR_EQUAL;
        if (same) return static_cast<int>(i);
    }
    return -1;
}

bool CZipArchive::OpenFile(int index) {
    if (!file_ || openEntry_ >= 0 || index < 0 || index >= GetNoEntries()) return false;
    int rc = reader_.Open(*file_, dir_, dir_.entries[index], password_, maxUncompressed_);
    if (rc == -1) return false;
    if (rc != zipcore::kOk) Throw(rc);
    openEntry_ = index;
    return true;
}

DWORD CZipArchive::ReadFile(void* buffer, DWORD size) {
    if (openEntry_ < 0 || !buffer) return 0;
    size_t got = 0;
    int rc = reader_.Read(buffer, size, &got);
    if (rc != zipcore::kOk) Throw(rc);
    return static_cast<DWORD>(got);
}

int CZipArchive::CloseFile(const char* filePath, bool afterException) {
    if (openEntry_ < 0) return 0;
    int index = openEntry_;
    openEntry_ = -1;
    int rc = reader_.Close();
    if (afterException) return 1;
    if (rc == -zipcore::kBadCrc) Throw(zipcore::kBadCrc);
    if (rc != 1) return rc == -1 ? -1 : 0;
    if (filePath) {
        ApplyTimeAndAttributes(filePath, dir_.entries[index]);
        DWORD attr = dir_.entries[index].externalAttr & 0xFFFF & ~FILE_ATTRIBUTE_DIRECTORY;
        if (attr && !SetFileAttributesA(filePath, attr)) return -2;
    }
    return 1;
}

void CZipArchive::ApplyTimeAndAttributes(const std::string& path, const CZipFileHeader& h) const {
    FILETIME local, utc;
    if (!DosDateTimeToFileTime(h.modDate, h.modTime, &local) || !LocalFileTimeToFileTime(&local, &utc)) return;
    HANDLE f = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return;
    SetFileTime(f, nullptr, nullptr, &utc);
    CloseHandle(f);
}

bool CreateFolderChain(const std::string& path) {
    std::string p = path;
    while (!p.empty() && (p.back() == '\\' || p.back() == '/')) p.pop_back();
    if (p.empty() || (p.size() == 2 && p[1] == ':')) return true;
    DWORD attr = GetFileAttributesA(p.c_str());
    if (attr != INVALID_FILE_ATTRIBUTES) return (attr & FILE_ATTRIBUTE_DIRECTORY) != 0;
    size_t slash = p.find_last_of("\\/");
    if (slash != std::string::npos && !CreateFolderChain(p.substr(0, slash))) return false;
    return CreateDirectoryA(p.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool CZipArchive::ExtractFile(int index, const char* folder, bool fullPath, const char* newName,
                              ZipCallback callback, void* user, DWORD bufferSize) {
    if (!folder || bufferSize == 0 || !file_ || index < 0 || index >= GetNoEntries()) return false;
    ConvertNames();
    const CZipFileHeader& h = dir_.entries[index];
    std::string stored = newName ? zipcore::NameWithBackslashes(newName) : names_[index];
    if (!fullPath) {
        std::string trimmed = stored;
        while (!trimmed.empty() && trimmed.back() == '\\') trimmed.pop_back();
        size_t slash = trimmed.find_last_of('\\');
        stored = slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
    }
    // Nothing may land outside the target folder.
    if (!zipcore::NameStaysInside(stored)) {
        SendDebugText("CZipArchive::ExtractFile - name leaves the target folder", 1);
        return false;
    }
    std::string base = folder;
    while (!base.empty() && (base.back() == '\\' || base.back() == '/')) base.pop_back();
    std::string target = base + "\\" + stored;

    if (h.IsDirectory()) return CreateFolderChain(target);

    if (!OpenFile(index)) return false;
    size_t slash = target.find_last_of('\\');
    if (slash != std::string::npos) CreateFolderChain(target.substr(0, slash));
    // Written under a temporary name; the real name appears only complete.
    std::string temp = target + ".tdpart";
    HANDLE out = CreateFileA(temp.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) {
        CloseFile(nullptr, true);
        return false;
    }
    std::vector<uint8_t> buf(bufferSize);
    DWORD done = 0;
    bool writeOk = true;
    try {
        for (;;) {
            DWORD got = ReadFile(buf.data(), bufferSize);
            DWORD put = 0;
            if (got && (!WriteFile(out, buf.data(), got, &put, nullptr) || put != got)) {
                writeOk = false;
                break;
            }
            done += got;
            if (callback && !callback(h.uncompressedSize, done, user)) break;
            if (got < bufferSize) break;
        }
    } catch (...) {
        CloseHandle(out);
        DeleteFileA(temp.c_str());
        CloseFile(nullptr, true);
        throw;
    }
    CloseHandle(out);
    int rc;
    try {
        rc = CloseFile();
    } catch (...) {
        DeleteFileA(temp.c_str());
        throw;
    }
    if (rc != 1 || !writeOk || !MoveFileExA(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileA(temp.c_str());
        return false;
    }
    ApplyTimeAndAttributes(target, h);
    DWORD attr = h.externalAttr & 0xFFFF & ~FILE_ATTRIBUTE_DIRECTORY;
    if (attr && !SetFileAttributesA(target.c_str(), attr)) return false;
    return true;
}

bool CZipArchive::TestFile(int index, ZipCallback callback, void* user, DWORD bufferSize) {
    if (bufferSize == 0 || index < 0 || index >= GetNoEntries()) return false;
    const CZipFileHeader& h = dir_.entries[index];
    if (h.IsDirectory()) {
        uint32_t expect = h.IsEncrypted() ? 12 : 0;
        if (h.uncompressedSize != 0 || h.compressedSize != expect) Throw(zipcore::kGeneric);
        return true;
    }
    if (!OpenFile(index)) return false;
    std::vector<uint8_t> buf(bufferSize);
    DWORD done = 0;
    try {
        for (;;) {
            DWORD got = ReadFile(buf.data(), bufferSize);
            done += got;
            if (callback && !callback(h.uncompressedSize, done, user)) break;
            if (got < bufferSize) break;
        }
        return CloseFile() == 1;
    } catch (...) {
        CloseFile(nullptr, true);
        throw;
    }
}
