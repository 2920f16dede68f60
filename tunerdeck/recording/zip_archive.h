// ZIP archives (stored and deflated entries, traditional encryption): reading
// and extracting entries to files, which the player uses to unpack the MP3
// encoder library from its downloaded package, and creating archives,
// adding and deleting entries and setting comments. Archives spread over
// several volumes (volume files beside the archive, or one disk each) are
// read; they are not made or changed here.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "zip_parse.h"

class CZipException {
public:
    CZipException(int cause, const std::string& path) : m_iCause(cause), m_szFileName(path) {}
    int m_iCause;
    std::string m_szFileName;
};

typedef zipcore::FileHeader CZipFileHeader;

// Progress of an extraction: (total size, bytes so far, user data); false stops.
// As the volume-change callback: (volume number from 1, 0, user data) before
// that volume's disk is read; true once it is in the drive, false gives up.
typedef bool (*ZipCallback)(DWORD total, DWORD done, void* user);

// The archive's file: 64-bit offsets throughout.
class CZipBigFile {
public:
    CZipBigFile() = default;
    ~CZipBigFile() { Close(); }
    CZipBigFile(const CZipBigFile&) = delete;
    CZipBigFile& operator=(const CZipBigFile&) = delete;

    // An existing file (create: a new or emptied one); false when it cannot be opened.
    bool Open(const char* path, bool write, bool create = false);
    void Close();
    bool IsOpen() const { return h_ != INVALID_HANDLE_VALUE; }
    bool CanWrite() const { return write_; }
    const std::string& GetFilePath() const { return path_; }
    uint64_t GetLength() const;
    bool SetLength(uint64_t size);
    // All bytes at that offset, or false.
    bool ReadAt(uint64_t offset, void* buffer, size_t size);
    bool WriteAt(uint64_t offset, const void* data, size_t size);

private:
    HANDLE h_ = INVALID_HANDLE_VALUE;
    bool write_ = false;
    std::string path_;
};

class CZipArchive {
public:
    enum OpenMode { zipOpen = 0, zipOpenReadOnly = 1, zipCreate = 2, zipCreateSpan = 3 };

    CZipArchive();
    virtual ~CZipArchive();
    CZipArchive(const CZipArchive&) = delete;
    CZipArchive& operator=(const CZipArchive&) = delete;

    // Mode 0 opens an existing archive to read and change it, 1 only to
    // read, 2 creates a new one (replacing a file of that name); the
    // directory is read at once. Creating a spanned archive (mode 3)
    // throws. An existing archive whose end record lies on a later volume
    // is a spanned one: with a volume size above 0, or off a removable
    // drive, its volumes are files named after it with the extensions
    // ".001", ".002", ...; on a removable drive each is the same file on
    // its own disk, asked for through the volume-change callback (none:
    // cause 12). A spanned archive is only read. An archive already open
    // makes Open do nothing.
    void Open(const char* path, int mode = zipOpen, int volumeSize = 0);
    // The same on a file the caller opened and keeps (modes 0 to 2; other
    // modes do nothing); Close leaves it open.
    void Open(CZipBigFile& file, int mode = zipOpen);
    void Close(bool afterException = false);
    bool IsClosed() const { return !file_; }

    int GetNoEntries() const;
    bool GetFileInfo(CZipFileHeader& info, int index) const;
    bool IsFileDirectory(int index) const;
    const std::string& GetGlobalComment() const { return dir_.comment; }
    // Comments are written with the directory at Close; false when the
    // archive cannot be changed or the text is longer than 65,535 bytes.
    bool SetGlobalComment(const char* comment);
    bool SetFileComment(int index, const char* comment);
    void SetPassword(const char* password);
    // Buffer sizes for writing new entries, reading compressed data (and
    // moving data when deleting) and searching the end record; none below
    // 1024 bytes. Only before opening: ignored while an archive is open.
    void SetAdvanced(int writeBuffer = 65535, int generalBuffer = 16384, int searchBuffer = 32768);
    void SetSpanCallback(ZipCallback callback, void* user = nullptr) {
        spanCallback_ = callback;
        spanUser_ = user;
    }
    // Entries announcing more than this are refused (default 256 MiB).
    void SetMaxUncompressedSize(uint64_t bytes) { maxUncompressed_ = bytes; }

    // Index of the entry with that name (slashes or backslashes), or -1.
    int FindFile(const char* name, bool caseSensitive = false);

    bool OpenFile(int index);
    DWORD ReadFile(void* buffer, DWORD size);
    // 1 ok, -1 unread bytes left; a wrong CRC throws (cause 11).
    int CloseFile(const char* filePath = nullptr, bool afterException = false);

    // A new entry named by header.name ("file<index>" when empty), at
    // `level` (0 stores; directories are always stored); a source file
    // lends its time and attributes. Encrypted when a password is set.
    // False when the archive cannot take an entry now; a name, extra field
    // or comment too long throws (cause 16).
    bool OpenNewFile(CZipFileHeader& header, int level = -1, const char* sourcePath = nullptr);
    bool WriteNewFile(const void* data, DWORD size);
    bool CloseNewFile();
    // Removes entries and moves the data behind them forward; refused
    // (false) while an entry is open or for a read-only archive.
    bool DeleteFile(int index);
    bool DeleteFiles(std::vector<int> indexes);
    bool DeleteFiles(const std::vector<std::string>& names);

    bool ExtractFile(int index, const char* folder, bool fullPath = true, const char* newName = nullptr,
                     ZipCallback callback = nullptr, void* user = nullptr, DWORD bufferSize = 65536);
    bool TestFile(int index, ZipCallback callback = nullptr, void* user = nullptr, DWORD bufferSize = 65536);

protected:
    // Where volumes of a spanned archive come from; tests stand in a drive.
    virtual bool IsRemovableDrive(const std::string& path) const;
    virtual std::string VolumeLabel(const std::string& path) const;

private:
    void Throw(int cause) const;
    void Start(CZipBigFile* file, bool owned, int mode, int volumeSize);
    void ConvertNames();
    void BuildIndex(bool caseSensitive);
    bool CanChange() const;
    std::string VolumeFileName(uint32_t disk) const;
    bool WriteAt(uint64_t offset, const void* data, size_t size);
    bool FlushWrite();
    void WriteDirectory();
    void ApplyTimeAndAttributes(const std::string& path, const CZipFileHeader& h) const;

    class FileSource;
    std::unique_ptr<FileSource> file_;
    std::string path_;
    zipcore::Directory dir_;
    std::vector<std::string> names_;   // converted names, built on the first search
    std::vector<int> sorted_[2];       // entry indexes by name: [0] ignoring case, [1] exact
    std::string password_;
    ZipCallback spanCallback_ = nullptr;
    void* spanUser_ = nullptr;
    zipcore::EntryReader reader_;
    int openEntry_ = -1;
    bool writable_ = false;
    bool changed_ = false;             // the directory on disk is out of date
    uint64_t dataEnd_ = 0;             // where the next entry's local header goes
    zipcore::EntryWriter writer_;
    CZipFileHeader newEntry_;
    uint64_t newEntryAt_ = 0;
    std::string writeBuf_;             // bytes of the new entry not yet in the file
    uint64_t writeBufAt_ = 0;
    size_t writeBuffer_ = 65535;
    size_t generalBuffer_ = 16384;
    size_t searchBuffer_ = 32768;
    uint64_t maxUncompressed_ = 256ull * 1024 * 1024;
};

// Creates a folder and every missing folder above it.
bool CreateFolderChain(const std::string& path);
