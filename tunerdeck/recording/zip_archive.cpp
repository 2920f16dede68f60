#include "zip_archive.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "debugtext.h"

bool CZipBigFile::Open(const char* path, bool write, bool create) {
    Close();
    if (!path) return false;
    h_ = CreateFileA(path, GENERIC_READ | (write ? GENERIC_WRITE : 0), FILE_SHARE_READ, nullptr,
                     create ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h_ == INVALID_HANDLE_VALUE) return false;
    write_ = write;
    path_ = path;
    return true;
}

void CZipBigFile::Close() {
    if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    h_ = INVALID_HANDLE_VALUE;
    write_ = false;
}

uint64_t CZipBigFile::GetLength() const {
    LARGE_INTEGER s = {};
    if (!IsOpen() || !GetFileSizeEx(h_, &s)) return 0;
    return static_cast<uint64_t>(s.QuadPart);
}

bool CZipBigFile::SetLength(uint64_t size) {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(size);
    return IsOpen() && SetFilePointerEx(h_, to, nullptr, FILE_BEGIN) && SetEndOfFile(h_);
}

bool CZipBigFile::ReadAt(uint64_t offset, void* buffer, size_t size) {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(offset);
    if (!IsOpen() || !SetFilePointerEx(h_, to, nullptr, FILE_BEGIN)) return false;
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

bool CZipBigFile::WriteAt(uint64_t offset, const void* data, size_t size) {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(offset);
    if (!IsOpen() || !SetFilePointerEx(h_, to, nullptr, FILE_BEGIN)) return false;
    const uint8_t* p = static_cast<const uint8_t*>(data);
    while (size > 0) {
        DWORD want = size > 0x100000 ? 0x100000 : static_cast<DWORD>(size);
        DWORD put = 0;
        if (!::WriteFile(h_, p, want, &put, nullptr) || put != want) return false;
        p += put;
        size -= put;
    }
    return true;
}

// The archive's bytes: its own file, and for a spanned archive the other
// volumes, fetched as reading reaches them.
class CZipArchive::FileSource : public zipcore::Source {
public:
    enum Kind { kPlain, kVolumeFiles, kVolumeDisks };

    FileSource(CZipArchive* owner, CZipBigFile* file, bool owned)
        : owner_(owner), main_(file), owned_(owned ? file : nullptr), size_(file->GetLength()) {}
    ~FileSource() override { delete owned_; }

    void Span(Kind kind, uint32_t lastDisk) {
        kind_ = kind;
        last_ = lastDisk;
        cur_ = lastDisk;
    }
    uint64_t Size() override { return size_; }
    bool ReadAt(uint64_t offset, void* buffer, size_t size) override {
        if (offset > size_ || size > size_ - offset) return false;
        return main_->ReadAt(offset, buffer, size);
    }
    bool ReadOn(uint32_t* disk, uint64_t* offset, void* buffer, size_t size) override {
        fault_ = zipcore::kOk;
        uint8_t* p = static_cast<uint8_t*>(buffer);
        while (size > 0) {
            CZipBigFile* f = Volume(*disk);
            if (!f) return false;
            uint64_t len = f == main_ ? size_ : f->GetLength();
            if (*offset > len) return false;
            if (*offset == len) {
                // This volume has given all it holds: the next one goes on.
                if (kind_ == kPlain || *disk >= last_) return false;
                ++*disk;
                *offset = 0;
                continue;
            }
            size_t n = static_cast<size_t>(std::min<uint64_t>(size, len - *offset));
            if (!f->ReadAt(*offset, p, n)) return false;
            p += n;
            size -= n;
            *offset += n;
        }
        return true;
    }
    bool Spanned() const override { return kind_ != kPlain; }
    int Fault() const override { return fault_; }

    bool WriteAt(uint64_t offset, const void* data, size_t size) {
        if (!main_->WriteAt(offset, data, size)) return false;
        if (offset + size > size_) size_ = offset + size;
        return true;
    }
    bool Truncate(uint64_t size) {
        if (!main_->SetLength(size)) return false;
        size_ = size;
        return true;
    }

private:
    // The file that holds volume `disk`, or null (fault_ says why when it is
    // not damage).
    CZipBigFile* Volume(uint32_t disk) {
        if (kind_ == kPlain) return disk == 0 ? main_ : nullptr;
        if (disk > last_) return nullptr;
        if (kind_ == kVolumeFiles) {
            if (disk == last_) return main_;
            if (disk == cur_ && vol_.IsOpen()) return &vol_;
            cur_ = kNoDisk;
            if (!vol_.Open(owner_->VolumeFileName(disk).c_str(), false)) {
                fault_ = zipcore::kGeneric;
                return nullptr;
            }
            if (disk == 0 && !StartsSet(vol_)) {
                vol_.Close();
                return nullptr;
            }
            cur_ = disk;
            return &vol_;
        }
        // One disk at a time in the drive, the archive's own included.
        if (disk == cur_) return vol_.IsOpen() ? &vol_ : main_;
        // The disk in the drive goes out: nothing of it stays open.
        vol_.Close();
        if (owned_) owned_->Close();
        cur_ = kNoDisk;
        const std::string& path = main_->GetFilePath();
        char label[16];
        snprintf(label, sizeof label, "pkback# %.3u", disk + 1);
        for (;;) {
            if (!owner_->spanCallback_(disk + 1, 0, owner_->spanUser_)) {
                fault_ = zipcore::kAborted;
                return nullptr;
            }
            // A disk of another set, or of this set in the wrong place, is asked for again.
            if (owner_->VolumeLabel(path) == label && vol_.Open(path.c_str(), false) &&
                (disk != 0 || StartsSet(vol_)))
                break;
            vol_.Close();
        }
        cur_ = disk;
        return &vol_;
    }
    static bool StartsSet(CZipBigFile& f) {
        uint8_t sig[4];
        return f.ReadAt(0, sig, 4) && sig[0] == 'P' && sig[1] == 'K' && sig[2] == 7 && sig[3] == 8;
    }

    static constexpr uint32_t kNoDisk = 0xFFFFFFFF;

    CZipArchive* owner_;
    CZipBigFile* main_;
    CZipBigFile* owned_;
    uint64_t size_;
    Kind kind_ = kPlain;
    uint32_t last_ = 0, cur_ = 0;
    CZipBigFile vol_;
    int fault_ = zipcore::kOk;
};

namespace {

constexpr size_t kMaxField = 65535;
constexpr size_t kMaxEntries = 65535;

void DosNow(uint16_t* date, uint16_t* time) {
    SYSTEMTIME st;
    GetLocalTime(&st);
    FILETIME ft;
    WORD d = 0, t = 0;
    if (SystemTimeToFileTime(&st, &ft)) FileTimeToDosDateTime(&ft, &d, &t);
    *date = d;
    *time = t;
}

// A name as archives made on Windows store it: OEM code page, forward slashes.
std::string StoredName(const std::string& name) {
    std::string n = name;
    if (!n.empty()) {
        std::vector<char> buf(n.begin(), n.end());
        CharToOemBuffA(buf.data(), buf.data(), static_cast<DWORD>(buf.size()));
        n.assign(buf.begin(), buf.end());
    }
    for (char& c : n)
        if (c == '\\') c = '/';
    return n;
}

}  // namespace

CZipArchive::CZipArchive() = default;
CZipArchive::~CZipArchive() { Close(true); }

void CZipArchive::Throw(int cause) const { throw CZipException(cause, path_); }

void CZipArchive::SetPassword(const char* password) { password_ = password ? password : ""; }

void CZipArchive::SetAdvanced(int writeBuffer, int generalBuffer, int searchBuffer) {
    if (file_) return;
    writeBuffer_ = static_cast<size_t>(writeBuffer < 1024 ? 1024 : writeBuffer);
    generalBuffer_ = static_cast<size_t>(generalBuffer < 1024 ? 1024 : generalBuffer);
    searchBuffer_ = static_cast<size_t>(searchBuffer < 1024 ? 1024 : searchBuffer);
}

bool CZipArchive::IsRemovableDrive(const std::string& path) const {
    char full[MAX_PATH];
    char* namePart = nullptr;
    DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, &namePart);
    if (n == 0 || n >= sizeof full || full[0] == '\\' || full[1] != ':') return false;
    char root[4] = {full[0], ':', '\\', 0};
    return GetDriveTypeA(root) == DRIVE_REMOVABLE;
}

std::string CZipArchive::VolumeLabel(const std::string& path) const {
    char full[MAX_PATH];
    char* namePart = nullptr;
    DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, &namePart);
    if (n == 0 || n >= sizeof full || full[1] != ':') return std::string();
    char root[4] = {full[0], ':', '\\', 0};
    char label[MAX_PATH + 1] = {};
    if (!GetVolumeInformationA(root, label, sizeof label, nullptr, nullptr, nullptr, nullptr, 0))
        return std::string();
    return label;
}

std::string CZipArchive::VolumeFileName(uint32_t disk) const {
    size_t slash = path_.find_last_of("\\/");
    size_t dot = path_.find_last_of('.');
    std::string stem = dot != std::string::npos && (slash == std::string::npos || dot > slash) ? path_.substr(0, dot)
                                                                                               : path_;
    char ext[8];
    snprintf(ext, sizeof ext, ".%.3u", disk + 1);
    return stem + ext;
}

void CZipArchive::Open(const char* path, int mode, int volumeSize) {
    if (file_) return;
    if (!path || mode < 0 || mode > 3) return;
    path_ = path;
    if (mode == zipCreateSpan) Throw(zipcore::kGeneric);   // spanned archives are not made here
    std::unique_ptr<CZipBigFile> f(new CZipBigFile);
    bool ok;
    if (mode == zipCreate) {
        ok = f->Open(path, true, true);
    } else {
        // A read-only file (a download in a protected folder) is still read.
        ok = (mode == zipOpen && f->Open(path, true)) || f->Open(path, false);
    }
    if (!ok) Throw(zipcore::kGeneric);
    Start(f.release(), true, mode, volumeSize);
}

void CZipArchive::Open(CZipBigFile& file, int mode) {
    if (file_) return;
    if (mode < zipOpen || mode > zipCreate) return;
    path_ = file.GetFilePath();
    if (!file.IsOpen() || (mode == zipCreate && !file.CanWrite())) Throw(zipcore::kGeneric);
    if (mode == zipCreate && !file.SetLength(0)) Throw(zipcore::kGeneric);
    Start(&file, false, mode, 0);
}

void CZipArchive::Start(CZipBigFile* file, bool owned, int mode, int volumeSize) {
    dir_ = zipcore::Directory();
    names_.clear();
    sorted_[0].clear();
    sorted_[1].clear();
    changed_ = false;
    dataEnd_ = 0;
    file_.reset(new FileSource(this, file, owned));
    writable_ = mode != zipOpenReadOnly && file->CanWrite();
    if (mode == zipCreate) {
        changed_ = true;   // even an empty archive gets its end record
        return;
    }
    int rc = zipcore::ReadEndRecord(*file_, &dir_, searchBuffer_);
    if (rc == zipcore::kOk && dir_.IsSpanned()) {
        writable_ = false;   // a set is read, never changed
        FileSource::Kind kind = FileSource::kVolumeFiles;
        if (dir_.thisDisk >= 999) {
            rc = zipcore::kTooManyVolumes;
        } else if (volumeSize <= 0 && IsRemovableDrive(path_)) {
            kind = FileSource::kVolumeDisks;
            if (!spanCallback_) rc = zipcore::kNoCallback;
        }
        file_->Span(kind, dir_.thisDisk);
    }
    if (rc == zipcore::kOk) rc = zipcore::ReadCentralDirectory(*file_, &dir_);
    if (rc != zipcore::kOk) {
        file_.reset();
        writable_ = false;
        Throw(rc);
    }
    dataEnd_ = static_cast<uint64_t>(dir_.cdOffset) + dir_.bytesBefore;
}

void CZipArchive::Close(bool afterException) {
    if (!file_) return;
    int failed = 0;
    if (!afterException) {
        // Whatever fails, the archive ends up closed; the failure follows.
        try {
            if (openEntry_ >= 0) CloseFile();
            if (writer_.IsOpen()) CloseNewFile();
            if (changed_ && writable_) WriteDirectory();
        } catch (const CZipException& e) {
            failed = e.m_iCause;
        }
    }
    reader_.Close();
    writer_.Abandon();
    writeBuf_.clear();
    openEntry_ = -1;
    file_.reset();
    dir_ = zipcore::Directory();
    names_.clear();
    sorted_[0].clear();
    sorted_[1].clear();
    changed_ = writable_ = false;
    if (failed) Throw(failed);
}

bool CZipArchive::CanChange() const { return file_ && writable_ && !dir_.IsSpanned(); }

void CZipArchive::WriteDirectory() {
    std::string tail;
    for (const CZipFileHeader& h : dir_.entries) tail += zipcore::CentralHeaderBytes(h);
    if (dataEnd_ < dir_.bytesBefore || dataEnd_ - dir_.bytesBefore > 0xFFFFFFFFull) Throw(zipcore::kGeneric);
    dir_.thisDisk = dir_.cdDisk = 0;
    dir_.entriesThisDisk = dir_.totalEntries = static_cast<uint16_t>(dir_.entries.size());
    dir_.cdSize = static_cast<uint32_t>(tail.size());
    dir_.cdOffset = static_cast<uint32_t>(dataEnd_ - dir_.bytesBefore);
    tail += zipcore::EndRecordBytes(dir_);
    if (!file_->WriteAt(dataEnd_, tail.data(), tail.size()) || !file_->Truncate(dataEnd_ + tail.size()))
        Throw(zipcore::kGeneric);
    changed_ = false;
}

bool CZipArchive::SetGlobalComment(const char* comment) {
    std::string text = comment ? comment : "";
    if (!CanChange() || text.size() > kMaxField) return false;
    dir_.comment = text;
    changed_ = true;
    return true;
}

bool CZipArchive::SetFileComment(int index, const char* comment) {
    std::string text = comment ? comment : "";
    if (!CanChange() || index < 0 || index >= GetNoEntries() || text.size() > kMaxField) return false;
    dir_.entries[index].comment = text;
    changed_ = true;
    return true;
}

bool CZipArchive::OpenNewFile(CZipFileHeader& header, int level, const char* sourcePath) {
    if (!CanChange() || openEntry_ >= 0 || writer_.IsOpen() || dir_.entries.size() >= kMaxEntries) return false;
    CZipFileHeader h;
    std::string name = header.name;
    if (name.empty()) name = "file" + std::to_string(dir_.entries.size());
    h.name = StoredName(name);
    h.extra = header.extra;
    h.comment = header.comment;
    if (h.name.size() > kMaxField || h.extra.size() > kMaxField || h.comment.size() > kMaxField)
        Throw(zipcore::kTooLongFileName);
    h.externalAttr = header.externalAttr;
    h.modDate = header.modDate;
    h.modTime = header.modTime;
    if (sourcePath) {
        WIN32_FILE_ATTRIBUTE_DATA info;
        FILETIME local;
        WORD d = 0, t = 0;
        if (!GetFileAttributesExA(sourcePath, GetFileExInfoStandard, &info) ||
            !FileTimeToLocalFileTime(&info.ftLastWriteTime, &local) || !FileTimeToDosDateTime(&local, &d, &t))
            return false;
        h.externalAttr = info.dwFileAttributes;
        h.modDate = d;
        h.modTime = t;
    } else if (!h.modDate) {
        DosNow(&h.modDate, &h.modTime);
    }
    if (h.name.back() == '/') h.externalAttr |= FILE_ATTRIBUTE_DIRECTORY;
    if ((h.externalAttr & FILE_ATTRIBUTE_DIRECTORY) && h.name.back() != '/') h.name += '/';
    if (h.name.size() > kMaxField) Throw(zipcore::kTooLongFileName);
    if (level < -1 || level > 9) level = -1;
    const bool directory = (h.externalAttr & FILE_ATTRIBUTE_DIRECTORY) != 0;
    h.signature = 0x02014b50;
    h.versionMadeBy = 20;
    h.versionNeeded = 20;
    h.method = directory || level == 0 ? 0 : 8;
    h.flags = 0;
    if (h.method == 8) {
        if (level == 1) h.flags |= 3 << 1;
        else if (level == 2) h.flags |= 2 << 1;
        else if (level >= 8) h.flags |= 1 << 1;
    }
    // An encrypted entry's check byte comes from its time, which a data
    // descriptor announces: the CRC is known only after the data.
    if (!password_.empty()) h.flags |= 1 | 8;
    if (dataEnd_ < dir_.bytesBefore || dataEnd_ - dir_.bytesBefore > 0xFFFFFFFFull) return false;
    h.localHeaderOffset = static_cast<uint32_t>(dataEnd_ - dir_.bytesBefore);

    newEntry_ = h;
    newEntryAt_ = dataEnd_;
    writeBuf_ = zipcore::LocalHeaderBytes(newEntry_);
    writeBufAt_ = dataEnd_;
    uint8_t random[10];
    if (newEntry_.IsEncrypted()) {
        srand(GetTickCount() * static_cast<unsigned>(time(nullptr)));
        for (uint8_t& b : random) {
            int r = rand();
            b = static_cast<uint8_t>(r >> 6);
            if (!b) b = static_cast<uint8_t>(r);
        }
    }
    int rc = writer_.Begin(&newEntry_, level, password_, random, &writeBuf_);
    if (rc != zipcore::kOk) {
        writeBuf_.clear();
        Throw(rc);
    }
    header = newEntry_;
    return true;
}

bool CZipArchive::FlushWrite() {
    if (writeBuf_.empty()) return true;
    if (!file_->WriteAt(writeBufAt_, writeBuf_.data(), writeBuf_.size())) return false;
    writeBufAt_ += writeBuf_.size();
    writeBuf_.clear();
    return true;
}

bool CZipArchive::WriteNewFile(const void* data, DWORD size) {
    if (!writer_.IsOpen() || (!data && size)) return false;
    int rc = writer_.Write(data, size, &writeBuf_);
    if (rc != zipcore::kOk) Throw(rc);
    if (writeBuf_.size() >= writeBuffer_ && !FlushWrite()) Throw(zipcore::kGeneric);
    return true;
}

bool CZipArchive::CloseNewFile() {
    if (!writer_.IsOpen()) return false;
    int rc = writer_.Finish(&writeBuf_);
    if (rc != zipcore::kOk) Throw(rc);
    if (newEntry_.HasDataDescriptor()) {
        uint32_t d[4] = {zipcore::kDataDescriptorSignature, newEntry_.crc32, newEntry_.compressedSize,
                         newEntry_.uncompressedSize};
        for (uint32_t v : d)
            for (int i = 0; i < 4; ++i) writeBuf_.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
    }
    if (!FlushWrite()) Throw(zipcore::kGeneric);
    if (!newEntry_.HasDataDescriptor()) {
        // The local header learns the CRC and the sizes now that they are known.
        uint32_t v[3] = {newEntry_.crc32, newEntry_.compressedSize, newEntry_.uncompressedSize};
        uint8_t bytes[12];
        for (int k = 0; k < 3; ++k)
            for (int i = 0; i < 4; ++i) bytes[4 * k + i] = static_cast<uint8_t>((v[k] >> (8 * i)) & 0xff);
        if (!file_->WriteAt(newEntryAt_ + 14, bytes, sizeof bytes)) Throw(zipcore::kGeneric);
    }
    dataEnd_ = writeBufAt_;
    dir_.entries.push_back(newEntry_);
    names_.clear();
    sorted_[0].clear();
    sorted_[1].clear();
    changed_ = true;
    return true;
}

bool CZipArchive::DeleteFile(int index) { return DeleteFiles(std::vector<int>{index}); }

bool CZipArchive::DeleteFiles(const std::vector<std::string>& names) {
    std::vector<int> indexes;
    for (const std::string& n : names) {
        int i = FindFile(n.c_str(), false);
        if (i >= 0) indexes.push_back(i);
    }
    return DeleteFiles(indexes);
}

bool CZipArchive::DeleteFiles(std::vector<int> indexes) {
    if (!CanChange() || openEntry_ >= 0 || writer_.IsOpen()) return false;
    const int n = GetNoEntries();
    std::vector<bool> drop(static_cast<size_t>(n), false);
    for (int i : indexes) {
        if (i < 0 || i >= n) return false;
        drop[static_cast<size_t>(i)] = true;
    }
    if (indexes.empty()) return true;
    // Each entry's bytes run from its local header to the next entry's (or
    // to the directory); what is kept moves forward over what goes.
    std::vector<int> order(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) order[static_cast<size_t>(i)] = i;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return dir_.entries[a].localHeaderOffset < dir_.entries[b].localHeaderOffset;
    });
    for (int i : order)
        if (dir_.entries[i].localHeaderOffset + dir_.bytesBefore > dataEnd_) Throw(zipcore::kBadZipFile);
    std::vector<uint8_t> buf(generalBuffer_);
    uint64_t cursor = dir_.entries[order[0]].localHeaderOffset + dir_.bytesBefore;
    for (size_t k = 0; k < order.size(); ++k) {
        CZipFileHeader& h = dir_.entries[order[k]];
        uint64_t start = h.localHeaderOffset + dir_.bytesBefore;
        uint64_t end = k + 1 < order.size() ? dir_.entries[order[k + 1]].localHeaderOffset + dir_.bytesBefore
                                            : dataEnd_;
        if (drop[static_cast<size_t>(order[k])]) continue;
        if (cursor != start) {
            for (uint64_t at = 0; at < end - start;) {
                size_t chunk = static_cast<size_t>(std::min<uint64_t>(buf.size(), end - start - at));
                if (!file_->ReadAt(start + at, buf.data(), chunk) || !file_->WriteAt(cursor + at, buf.data(), chunk))
                    Throw(zipcore::kGeneric);
                at += chunk;
            }
        }
        h.localHeaderOffset = static_cast<uint32_t>(cursor - dir_.bytesBefore);
        cursor += end - start;
    }
    std::vector<CZipFileHeader> kept;
    for (int i = 0; i < n; ++i)
        if (!drop[static_cast<size_t>(i)]) kept.push_back(std::move(dir_.entries[i]));
    dir_.entries = std::move(kept);
    dataEnd_ = cursor;
    names_.clear();
    sorted_[0].clear();
    sorted_[1].clear();
    changed_ = true;
    return true;
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

namespace {
bool NameLess(const std::string& a, const std::string& b, bool caseSensitive) {
    if (caseSensitive) return a < b;
    return CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                          static_cast<int>(b.size())) == CSTR_LESS_THAN;
}
}  // namespace

void CZipArchive::BuildIndex(bool caseSensitive) {
    std::vector<int>& index = sorted_[caseSensitive ? 1 : 0];
    if (index.size() == names_.size()) return;
    index.resize(names_.size());
    for (size_t i = 0; i < index.size(); ++i) index[i] = static_cast<int>(i);
    // Stable: of equal names the first in the directory is found.
    std::stable_sort(index.begin(), index.end(),
                     [&](int a, int b) { return NameLess(names_[a], names_[b], caseSensitive); });
}

int CZipArchive::FindFile(const char* name, bool caseSensitive) {
    if (!file_ || !name) return -1;
    ConvertNames();
    BuildIndex(caseSensitive);
    const std::vector<int>& index = sorted_[caseSensitive ? 1 : 0];
    std::string want = zipcore::NameWithBackslashes(name);
    auto it = std::lower_bound(index.begin(), index.end(), want,
                               [&](int i, const std::string& w) { return NameLess(names_[i], w, caseSensitive); });
    if (it == index.end() || NameLess(want, names_[*it], caseSensitive)) return -1;
    return *it;
}

bool CZipArchive::OpenFile(int index) {
    if (!file_ || openEntry_ >= 0 || writer_.IsOpen() || index < 0 || index >= GetNoEntries()) return false;
    int rc = reader_.Open(*file_, dir_, dir_.entries[index], password_, maxUncompressed_, generalBuffer_);
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
        ::DeleteFileA(temp.c_str());
        CloseFile(nullptr, true);
        throw;
    }
    CloseHandle(out);
    int rc;
    try {
        rc = CloseFile();
    } catch (...) {
        ::DeleteFileA(temp.c_str());
        throw;
    }
    if (rc != 1 || !writeOk || !MoveFileExA(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        ::DeleteFileA(temp.c_str());
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
