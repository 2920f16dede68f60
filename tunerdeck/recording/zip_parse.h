// The reading core of the zip archive class: the end record, the central
// directory, local headers, traditional decryption, inflate and CRC checks,
// over any source of bytes. Free of Windows calls, so the archive fuzzer
// builds it natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <zlib.h>

namespace zipcore {

// Cause codes of a failure (the archive class throws them).
enum Cause {
    kOk = 0,
    kGeneric = 1,
    kBadZipFile = 10,
    kBadCrc = 11,
    kNoCallback = 12,
    kAborted = 13,
    kNonRemovable = 14,
    kTooManyVolumes = 15,
    kTooLongFileName = 16,
    kBadPassword = 17,
    kCdirNotFound = 18,
};
// zlib's error numbers as causes (Z_STREAM_END 2 ... Z_VERSION_ERROR 9).
int CauseFromZlib(int zerr);

// The bytes of an archive. Size and ReadAt see the file that holds the end
// record; ReadOn addresses a volume and an offset in it, as the directory
// does, and goes on into the following volumes of a spanned set.
class Source {
public:
    virtual ~Source() = default;
    virtual uint64_t Size() = 0;
    virtual bool ReadAt(uint64_t offset, void* buffer, size_t size) = 0;   // all bytes or false
    // All bytes or false; leaves *disk and *offset behind the last byte read.
    // A plain archive has only volume 0.
    virtual bool ReadOn(uint32_t* disk, uint64_t* offset, void* buffer, size_t size);
    // Whether a volume set lies behind the source (its sizes are not all known).
    virtual bool Spanned() const { return false; }
    // The cause of the last failed read when it was not damage (a volume
    // that could not be had, a user who gave up), else kOk.
    virtual int Fault() const { return kOk; }
};

class MemorySource : public Source {
public:
    MemorySource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint64_t Size() override { return size_; }
    bool ReadAt(uint64_t offset, void* buffer, size_t size) override;

private:
    const uint8_t* data_;
    size_t size_;
};

struct FileHeader {   // one central-directory entry
    uint32_t signature = 0;
    uint16_t versionMadeBy = 0;
    uint16_t versionNeeded = 0;
    uint16_t flags = 0;
    uint16_t method = 0;
    uint16_t modTime = 0;
    uint16_t modDate = 0;
    uint32_t crc32 = 0;
    uint32_t compressedSize = 0;
    uint32_t uncompressedSize = 0;
    uint16_t diskStart = 0;
    uint16_t internalAttr = 0;
    uint32_t externalAttr = 0;
    uint32_t localHeaderOffset = 0;
    std::string name, extra, comment;   // bytes as stored

    bool IsEncrypted() const { return flags & 1; }
    bool HasDataDescriptor() const { return flags & 8; }
    bool IsDirectory() const;
};

struct Directory {
    uint16_t thisDisk = 0, cdDisk = 0, entriesThisDisk = 0, totalEntries = 0;
    uint32_t cdSize = 0, cdOffset = 0;
    std::string comment;
    uint64_t bytesBefore = 0;   // data in front of the archive (a stub)
    std::vector<FileHeader> entries;

    // The end record's own volume number decides: 0 is a plain archive.
    bool IsSpanned() const { return thisDisk != 0; }
};

// The spanning signature at the start of a spanned set's first volume.
constexpr uint32_t kSpanSignature = 0x08074b50;

// Finds the end record within the last 65,557 bytes (searched in chunks of
// `searchChunk` bytes) and takes its values and comment.
int ReadEndRecord(Source& src, Directory* dir, size_t searchChunk = 32768);
// Reads every header of the central directory the end record points to.
int ReadCentralDirectory(Source& src, Directory* dir);
// Both of the above.
int ReadDirectory(Source& src, Directory* dir, size_t searchChunk = 32768);

// The traditional PKWARE cipher.
class Keys {
public:
    explicit Keys(const std::string& password);
    uint8_t Decrypt(uint8_t c);
    uint8_t Encrypt(uint8_t c);

private:
    void Update(uint8_t c);
    uint8_t Stream() const;
    uint32_t k0_, k1_, k2_;
};

// Reads one entry's data: checks the local header, decrypts, inflates and
// checks size and CRC. Output beyond the declared size is refused.
class EntryReader {
public:
    EntryReader() = default;
    ~EntryReader();
    EntryReader(const EntryReader&) = delete;
    EntryReader& operator=(const EntryReader&) = delete;

    // kOk, a cause, or -1 for an encrypted entry without a password.
    // Compressed data is read `readBuffer` bytes at a time.
    int Open(Source& src, const Directory& dir, const FileHeader& header, const std::string& password,
             uint64_t maxUncompressed, size_t readBuffer = 16384);
    // Up to size bytes into buffer; *got 0 at the end. A cause on failure.
    int Read(void* buffer, size_t size, size_t* got);
    // 1 complete and right, -1 bytes left unread, else a cause (negative of it).
    int Close();
    bool IsOpen() const { return open_; }

private:
    int Fill();
    void End();

    Source* src_ = nullptr;
    FileHeader header_;
    bool open_ = false;
    bool encrypted_ = false;
    Keys* keys_ = nullptr;
    z_stream zs_ = {};
    bool zsInit_ = false;
    bool streamEnd_ = false;
    uint32_t dataDisk_ = 0;      // volume and offset of the next compressed byte
    uint64_t dataPos_ = 0;
    uint64_t compLeft_ = 0;
    uint64_t produced_ = 0;
    uint32_t crc_ = 0;
    std::vector<uint8_t> inBuf_;
    size_t inLen_ = 0;
};

// The bytes of an entry's local header, of its central header and of the
// end record, as the APPNOTE lays them out. Fields longer than 65,535
// bytes do not fit (the caller refuses them first).
std::string LocalHeaderBytes(const FileHeader& h);
std::string CentralHeaderBytes(const FileHeader& h);
std::string EndRecordBytes(const Directory& dir);
constexpr uint32_t kDataDescriptorSignature = kSpanSignature;   // the same four bytes

// Compresses (raw deflate) or stores one new entry's data and encrypts it
// with the traditional cipher when a password is given; the CRC and both
// sizes go into the header at Finish.
class EntryWriter {
public:
    EntryWriter() = default;
    ~EntryWriter();
    EntryWriter(const EntryWriter&) = delete;
    EntryWriter& operator=(const EntryWriter&) = delete;

    // header.method (0 or 8) and header.flags decide; `randomHead` holds
    // the 10 random bytes of an encrypted entry's header. Appends the
    // encryption header to *out. kOk or a cause.
    int Begin(FileHeader* header, int level, const std::string& password, const uint8_t randomHead[10],
              std::string* out);
    int Write(const void* data, size_t size, std::string* out);
    int Finish(std::string* out);
    // Drops an entry begun but not finished.
    void Abandon() { End(); }
    bool IsOpen() const { return header_ != nullptr; }

private:
    int Deflate(int flush, std::string* out);
    void Emit(const uint8_t* data, size_t size, std::string* out);
    void End();

    FileHeader* header_ = nullptr;
    Keys* keys_ = nullptr;
    z_stream zs_ = {};
    bool zsInit_ = false;
    uint32_t crc_ = 0;
    uint64_t in_ = 0, out_ = 0;
};

// A stored name with forward slashes as backslashes.
std::string NameWithBackslashes(const std::string& name);
// Whether a stored name, joined to a folder, would stay inside it.
bool NameStaysInside(const std::string& name);

}  // namespace zipcore
