// Reading ZIP archives (stored and deflated entries, traditional
// encryption) and extracting entries to files. The player uses it to unpack
// the MP3 encoder library from its downloaded package.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

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

    // Opens an existing archive and reads its directory; throws CZipException.
    // Creating archives is not part of this reader: modes 2 and 3 throw.
    void Open(const char* path, int mode = zipOpen, int volumeSize = 0);
    void Close(bool afterException = false);
    bool IsClosed() const { return !file_; }

    int GetNoEntries() const;
    bool GetFileInfo(CZipFileHeader& info, int index) const;
    bool IsFileDirectory(int index) const;
    const std::string& GetGlobalComment() const { return dir_.comment; }
    void SetPassword(const char* password);
    void SetAdvanced(int writeBuffer = 65535, int generalBuffer = 16384, int searchBuffer = 32768);
    // Entries announcing more than this are refused (default 256 MiB).
    void SetMaxUncompressedSize(uint64_t bytes) { maxUncompressed_ = bytes; }

    // Index of the entry with that name (slashes or backslashes), or -1.
    int FindFile(const char* name, bool caseSensitive = false);

    bool OpenFile(int index);
    DWORD ReadFile(void* buffer, DWORD size);
    // 1 ok, -1 unread bytes left; a wrong CRC throws (cause 11).
    int CloseFile(const char* filePath = nullptr, bool afterException = false);

    bool ExtractFile(int index, const char* folder, bool fullPath = true, const char* newName = nullptr,
                     ZipCallback callback = nullptr, void* user = nullptr, DWORD bufferSize = 65536);
    bool TestFile(int index, ZipCallback callback = nullptr, void* user = nullptr, DWORD bufferSize = 65536);

private:
    void Throw(int cause) const;
    void ConvertNames();
    void ApplyTimeAndAttributes(const std::string& path, const CZipFileHeader& h) const;

    class FileSource;
    std::unique_ptr<FileSource> file_;
    std::string path_;
    zipcore::Directory dir_;
    std::vector<std::string> names_;   // converted names, built on the first search
    std::string password_;
    zipcore::EntryReader reader_;
    int openEntry_ = -1;
    size_t generalBuffer_ = 16384;
    uint64_t maxUncompressed_ = 256ull * 1024 * 1024;
};

// Creates a folder and every missing folder above it.
bool CreateFolderChain(const std::string& path);
