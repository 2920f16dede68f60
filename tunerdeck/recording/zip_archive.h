// ZIP archives (stored and deflated entries, traditional encryption): reading
// and extracting entries to files, which the player uses to unpack the MP3
// encoder library from its downloaded package, and creating archives,
// adding and deleting entries and setting comments. Archives spread over
// several volumes are refused.
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
typedef bool (*ZipCallback)(DWORD total, DWORD done, void* user);

class CZipArchive {
public:
    enum OpenMode { zipOpen = 0, zipOpenReadOnly = 1, zipCreate = 2, zipCreateSpan = 3 };

    CZipArchive();
    ~CZipArchive();
    CZipArchive(const CZipArchive&) = delete;
    CZipArchive& operator=(const CZipArchive&) = delete;

    // Mode 0 opens an existing archive to read and change it, 1 only to
    // read, 2 creates a new one (replacing a file of that name); the
    // directory is read at once. Spanned archives (mode 3, a volume size)
    // throw. An archive already open makes Open do nothing.
    void Open(const char* path, int mode = zipOpen, int volumeSize = 0);
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
    // Buffer sizes, taken at the next Open; none below 1024 bytes.
    void SetAdvanced(int writeBuffer = 65535, int generalBuffer = 16384, int searchBuffer = 32768);
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

private:
    void Throw(int cause) const;
    void ConvertNames();
    void BuildIndex(bool caseSensitive);
    bool CanChange() const;
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
