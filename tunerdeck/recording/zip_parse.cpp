#include "zip_parse.h"

#include <cstring>

namespace zipcore {
namespace {

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

constexpr size_t kEndRecord = 22;
constexpr size_t kMaxComment = 65535;
constexpr size_t kCentralHeader = 46;
constexpr size_t kLocalHeader = 30;
constexpr size_t kCentralChunk = 65536;

// A failed read is damage unless the source knows better.
int ReadFailure(const Source& src) { return src.Fault() != kOk ? src.Fault() : kBadZipFile; }

}  // namespace

bool Source::ReadOn(uint32_t* disk, uint64_t* offset, void* buffer, size_t size) {
    if (*disk != 0 || !ReadAt(*offset, buffer, size)) return false;
    *offset += size;
    return true;
}

int CauseFromZlib(int zerr) {
    switch (zerr) {
        case Z_STREAM_END: return 2;
        case Z_NEED_DICT: return 3;
        case Z_ERRNO: return 4;
        case Z_STREAM_ERROR: return 5;
        case Z_DATA_ERROR: return 6;
        case Z_MEM_ERROR: return 7;
        case Z_BUF_ERROR: return 8;
        case Z_VERSION_ERROR: return 9;
        default: return kGeneric;
    }
}

bool MemorySource::ReadAt(uint64_t offset, void* buffer, size_t size) {
    if (offset > size_ || size > size_ - offset) return false;
    if (size) memcpy(buffer, data_ + offset, size);
    return true;
}

bool FileHeader::IsDirectory() const {
    if (!name.empty() && (name.back() == '/' || name.back() == '\\')) return true;
    return (externalAttr & 0x10) != 0 && (versionMadeBy >> 8) == 0;   // MS-DOS directory attribute
}

int ReadEndRecord(Source& src, Directory* dir, size_t searchChunk) {
    uint64_t size = src.Size();
    if (size < kEndRecord) return kCdirNotFound;
    if (searchChunk < 1024) searchChunk = 1024;
    // Backwards over the last 65,557 bytes in chunks that overlap by three
    // bytes, so a signature across a chunk border is found.
    const uint64_t lowest = size > kEndRecord + kMaxComment ? size - (kEndRecord + kMaxComment) : 0;
    std::vector<uint8_t> chunk;
    int64_t found = -1;
    for (uint64_t end = size; found < 0 && end > lowest;) {
        uint64_t start = end - lowest > searchChunk ? end - searchChunk : lowest;
        chunk.resize(static_cast<size_t>(end - start));
        if (!src.ReadAt(start, chunk.data(), chunk.size())) return ReadFailure(src);
        for (int64_t i = static_cast<int64_t>(chunk.size()) - 4; i >= 0; --i) {
            const uint8_t* p = chunk.data() + i;
            if (p[0] == 'P' && p[1] == 'K' && p[2] == 5 && p[3] == 6 && start + i + kEndRecord <= size) {
                found = static_cast<int64_t>(start) + i;
                break;
            }
        }
        if (start == lowest) break;
        end = start + 3;
    }
    if (found < 0) return kCdirNotFound;
    const uint64_t recordPos = static_cast<uint64_t>(found);
    uint8_t record[kEndRecord];
    if (!src.ReadAt(recordPos, record, sizeof record)) return ReadFailure(src);
    const uint8_t* r = record;
    dir->thisDisk = Le16(r + 4);
    dir->cdDisk = Le16(r + 6);
    dir->entriesThisDisk = Le16(r + 8);
    dir->totalEntries = Le16(r + 10);
    dir->cdSize = Le32(r + 12);
    dir->cdOffset = Le32(r + 16);
    uint16_t commentLen = Le16(r + 20);
    if (dir->cdDisk > dir->thisDisk || dir->entriesThisDisk > dir->totalEntries) return kBadZipFile;
    if (dir->IsSpanned()) {
        // Offsets count from the start of their own volume: nothing precedes a set.
        dir->bytesBefore = 0;
    } else {
        if (dir->entriesThisDisk != dir->totalEntries) return kBadZipFile;
        if (recordPos < static_cast<uint64_t>(dir->cdOffset) + dir->cdSize) return kBadZipFile;
        dir->bytesBefore = recordPos - dir->cdSize - dir->cdOffset;
    }
    if (recordPos + kEndRecord + commentLen > size) return kBadZipFile;
    dir->comment.resize(commentLen);
    if (commentLen && !src.ReadAt(recordPos + kEndRecord, &dir->comment[0], commentLen)) return ReadFailure(src);
    if ((dir->totalEntries > 0) != (dir->cdSize > 0)) return kBadZipFile;
    return kOk;
}

int ReadCentralDirectory(Source& src, Directory* dir) {
    // In pieces: a spanned set's directory size is bounded by nothing read
    // so far, and a false one must not become one huge allocation.
    std::vector<uint8_t> cd;
    uint32_t disk = dir->cdDisk;
    uint64_t offset = dir->cdOffset + dir->bytesBefore;
    while (cd.size() < dir->cdSize) {
        size_t n = dir->cdSize - cd.size() < kCentralChunk ? dir->cdSize - cd.size() : kCentralChunk;
        size_t at = cd.size();
        cd.resize(at + n);
        if (!src.ReadOn(&disk, &offset, cd.data() + at, n)) return ReadFailure(src);
    }
    dir->entries.clear();
    dir->entries.reserve(dir->totalEntries);
    size_t pos = 0;
    for (unsigned i = 0; i < dir->totalEntries; ++i) {
        if (cd.size() - pos < kCentralHeader) return kBadZipFile;
        const uint8_t* h = cd.data() + pos;
        FileHeader e;
        e.signature = Le32(h);
        if (e.signature != 0x02014b50) return kBadZipFile;
        e.versionMadeBy = Le16(h + 4);
        e.versionNeeded = Le16(h + 6);
        e.flags = Le16(h + 8);
        e.method = Le16(h + 10);
        e.modTime = Le16(h + 12);
        e.modDate = Le16(h + 14);
        e.crc32 = Le32(h + 16);
        e.compressedSize = Le32(h + 20);
        e.uncompressedSize = Le32(h + 24);
        size_t nameLen = Le16(h + 28), extraLen = Le16(h + 30), commentLen2 = Le16(h + 32);
        e.diskStart = Le16(h + 34);
        e.internalAttr = Le16(h + 36);
        e.externalAttr = Le32(h + 38);
        e.localHeaderOffset = Le32(h + 42);
        pos += kCentralHeader;
        if (cd.size() - pos < nameLen + extraLen + commentLen2) return kBadZipFile;
        e.name.assign(reinterpret_cast<const char*>(cd.data() + pos), nameLen);
        e.extra.assign(reinterpret_cast<const char*>(cd.data() + pos + nameLen), extraLen);
        e.comment.assign(reinterpret_cast<const char*>(cd.data() + pos + nameLen + extraLen), commentLen2);
        pos += nameLen + extraLen + commentLen2;
        dir->entries.push_back(std::move(e));
    }
    return kOk;
}

int ReadDirectory(Source& src, Directory* dir, size_t searchChunk) {
    int rc = ReadEndRecord(src, dir, searchChunk);
    return rc != kOk ? rc : ReadCentralDirectory(src, dir);
}

// ---------------------------------------------------------------- cipher

Keys::Keys(const std::string& password) : k0_(0x12345678), k1_(0x23456789), k2_(0x34567890) {
    for (unsigned char c : password) Update(c);
}

void Keys::Update(uint8_t c) {
    const z_crc_t* table = get_crc_table();
    k0_ = table[(k0_ ^ c) & 0xff] ^ (k0_ >> 8);
    k1_ = (k1_ + (k0_ & 0xff)) * 134775813u + 1;
    k2_ = table[(k2_ ^ (k1_ >> 24)) & 0xff] ^ (k2_ >> 8);
}

uint8_t Keys::Stream() const {
    uint32_t t = (k2_ | 2) & 0xffff;   // 32-bit product: 16-bit operands would overflow int
    return static_cast<uint8_t>((t * (t ^ 1)) >> 8);
}

uint8_t Keys::Decrypt(uint8_t c) {
    uint8_t plain = c ^ Stream();
    Update(plain);
    return plain;
}

uint8_t Keys::Encrypt(uint8_t c) {
    uint8_t out = c ^ Stream();
    Update(c);
    return out;
}

// ---------------------------------------------------------------- entries

EntryReader::~EntryReader() { End(); }

void EntryReader::End() {
    if (zsInit_) inflateEnd(&zs_);
    zsInit_ = false;
    delete keys_;
    keys_ = nullptr;
    open_ = false;
}

int EntryReader::Open(Source& src, const Directory& dir, const FileHeader& header, const std::string& password,
                      uint64_t maxUncompressed, size_t readBuffer) {
    End();
    src_ = &src;
    header_ = header;
    uint8_t lh[kLocalHeader];
    dataDisk_ = header.diskStart;
    dataPos_ = static_cast<uint64_t>(header.localHeaderOffset) + dir.bytesBefore;
    if (!src.ReadOn(&dataDisk_, &dataPos_, lh, sizeof lh)) return ReadFailure(src);
    if (Le32(lh) != 0x04034b50) return kBadZipFile;
    uint16_t flags = Le16(lh + 6), method = Le16(lh + 8);
    uint16_t nameLen = Le16(lh + 26), extraLen = Le16(lh + 28);
    if (method != header.method || (flags & 1) != (header.flags & 1) || nameLen != header.name.size())
        return kBadZipFile;
    // With a data descriptor the local header carries zeros for these.
    if (!(flags & 8) && !header.HasDataDescriptor() &&
        (Le32(lh + 14) != header.crc32 || Le32(lh + 18) != header.compressedSize ||
         Le32(lh + 22) != header.uncompressedSize))
        return kBadZipFile;
    if (method != 0 && method != 8) return kBadZipFile;
    if (header.uncompressedSize > maxUncompressed) return kBadZipFile;
    // The name and extra field may run on into the next volume.
    std::vector<uint8_t> skip(static_cast<size_t>(nameLen) + extraLen);
    if (!skip.empty() && !src.ReadOn(&dataDisk_, &dataPos_, skip.data(), skip.size())) return ReadFailure(src);
    compLeft_ = header.compressedSize;
    // A plain archive's size bounds the data at once; a set's at the reading.
    if (!src.Spanned() && (dataPos_ > src.Size() || compLeft_ > src.Size() - dataPos_)) return kBadZipFile;

    encrypted_ = header.IsEncrypted();
    if (encrypted_) {
        if (password.empty()) return -1;
        if (compLeft_ < 12) return kBadZipFile;
        uint8_t head[12];
        if (!src.ReadOn(&dataDisk_, &dataPos_, head, 12)) return ReadFailure(src);
        keys_ = new Keys(password);
        for (uint8_t& b : head) b = keys_->Decrypt(b);
        uint8_t check = header.HasDataDescriptor() ? static_cast<uint8_t>(header.modTime >> 8)
                                                   : static_cast<uint8_t>(header.crc32 >> 24);
        if (head[11] != check) {
            End();
            return kBadPassword;
        }
        compLeft_ -= 12;
    }
    if (method == 0 && compLeft_ != header.uncompressedSize) {
        End();
        return kBadZipFile;
    }
    if (method == 8) {
        memset(&zs_, 0, sizeof zs_);
        int z = inflateInit2(&zs_, -MAX_WBITS);
        if (z != Z_OK) {
            End();
            return CauseFromZlib(z);
        }
        zsInit_ = true;
    }
    inBuf_.resize(readBuffer < 1024 ? 1024 : readBuffer);
    inLen_ = 0;
    produced_ = 0;
    crc_ = crc32(0L, Z_NULL, 0);
    streamEnd_ = false;
    open_ = true;
    return kOk;
}

int EntryReader::Fill() {
    size_t n = compLeft_ < inBuf_.size() ? static_cast<size_t>(compLeft_) : inBuf_.size();
    if (n == 0) return kOk;
    if (!src_->ReadOn(&dataDisk_, &dataPos_, inBuf_.data(), n)) return ReadFailure(*src_);
    if (keys_)
        for (size_t i = 0; i < n; ++i) inBuf_[i] = keys_->Decrypt(inBuf_[i]);
    compLeft_ -= n;
    inLen_ = n;
    return kOk;
}

int EntryReader::Read(void* buffer, size_t size, size_t* got) {
    *got = 0;
    if (!open_) return kGeneric;
    uint8_t* out = static_cast<uint8_t*>(buffer);
    if (header_.method == 0) {
        size_t done = 0;
        while (done < size && (inLen_ > 0 || compLeft_ > 0)) {
            if (inLen_ == 0) {
                int rc = Fill();
                if (rc) return rc;
            }
            size_t n = inLen_ < size - done ? inLen_ : size - done;
            memcpy(out + done, inBuf_.data(), n);
            memmove(inBuf_.data(), inBuf_.data() + n, inLen_ - n);
            inLen_ -= n;
            done += n;
        }
        crc_ = crc32(crc_, out, static_cast<uInt>(done));
        produced_ += done;
        *got = done;
        return kOk;
    }
    zs_.next_out = out;
    zs_.avail_out = static_cast<uInt>(size);
    while (zs_.avail_out > 0 && !streamEnd_) {
        if (zs_.avail_in == 0) {
            if (compLeft_ == 0) break;   // the data ended before the stream did
            int rc = Fill();
            if (rc) return rc;
            zs_.next_in = inBuf_.data();
            zs_.avail_in = static_cast<uInt>(inLen_);
        }
        int z = inflate(&zs_, Z_SYNC_FLUSH);
        if (z == Z_STREAM_END) {
            streamEnd_ = true;
        } else if (z != Z_OK) {
            if (z == Z_BUF_ERROR && zs_.avail_in == 0 && compLeft_ == 0) break;
            return CauseFromZlib(z);
        }
        // Never more than the header announced: a bomb stops here.
        if (produced_ + (size - zs_.avail_out) > header_.uncompressedSize) return kBadZipFile;
    }
    size_t n = size - zs_.avail_out;
    crc_ = crc32(crc_, out, static_cast<uInt>(n));
    produced_ += n;
    *got = n;
    return kOk;
}

int EntryReader::Close() {
    if (!open_) return -kGeneric;
    bool complete = produced_ == header_.uncompressedSize;
    bool crcOk = crc_ == header_.crc32;
    End();
    if (!complete) return -1;
    if (!crcOk) return -kBadCrc;
    return 1;
}

// ---------------------------------------------------------------- writing

namespace {
void Put16(std::string* s, uint32_t v) {
    s->push_back(static_cast<char>(v & 0xff));
    s->push_back(static_cast<char>((v >> 8) & 0xff));
}
void Put32(std::string* s, uint32_t v) {
    Put16(s, v & 0xffff);
    Put16(s, v >> 16);
}
}  // namespace

std::string LocalHeaderBytes(const FileHeader& h) {
    std::string s;
    Put32(&s, 0x04034b50);
    Put16(&s, h.versionNeeded);
    Put16(&s, h.flags);
    Put16(&s, h.method);
    Put16(&s, h.modTime);
    Put16(&s, h.modDate);
    // With a data descriptor the values follow the data instead.
    const bool later = h.HasDataDescriptor();
    Put32(&s, later ? 0 : h.crc32);
    Put32(&s, later ? 0 : h.compressedSize);
    Put32(&s, later ? 0 : h.uncompressedSize);
    Put16(&s, static_cast<uint32_t>(h.name.size()));
    Put16(&s, static_cast<uint32_t>(h.extra.size()));
    return s + h.name + h.extra;
}

std::string CentralHeaderBytes(const FileHeader& h) {
    std::string s;
    Put32(&s, 0x02014b50);
    Put16(&s, h.versionMadeBy);
    Put16(&s, h.versionNeeded);
    Put16(&s, h.flags);
    Put16(&s, h.method);
    Put16(&s, h.modTime);
    Put16(&s, h.modDate);
    Put32(&s, h.crc32);
    Put32(&s, h.compressedSize);
    Put32(&s, h.uncompressedSize);
    Put16(&s, static_cast<uint32_t>(h.name.size()));
    Put16(&s, static_cast<uint32_t>(h.extra.size()));
    Put16(&s, static_cast<uint32_t>(h.comment.size()));
    Put16(&s, h.diskStart);
    Put16(&s, h.internalAttr);
    Put32(&s, h.externalAttr);
    Put32(&s, h.localHeaderOffset);
    return s + h.name + h.extra + h.comment;
}

std::string EndRecordBytes(const Directory& dir) {
    std::string s;
    Put32(&s, 0x06054b50);
    Put16(&s, dir.thisDisk);
    Put16(&s, dir.cdDisk);
    Put16(&s, dir.entriesThisDisk);
    Put16(&s, dir.totalEntries);
    Put32(&s, dir.cdSize);
    Put32(&s, dir.cdOffset);
    Put16(&s, static_cast<uint32_t>(dir.comment.size()));
    return s + dir.comment;
}

EntryWriter::~EntryWriter() { End(); }

void EntryWriter::End() {
    if (zsInit_) deflateEnd(&zs_);
    zsInit_ = false;
    delete keys_;
    keys_ = nullptr;
    header_ = nullptr;
}

void EntryWriter::Emit(const uint8_t* data, size_t size, std::string* out) {
    size_t at = out->size();
    out->append(reinterpret_cast<const char*>(data), size);
    if (keys_)
        for (size_t i = at; i < out->size(); ++i)
            (*out)[i] = static_cast<char>(keys_->Encrypt(static_cast<uint8_t>((*out)[i])));
    out_ += size;
}

int EntryWriter::Begin(FileHeader* header, int level, const std::string& password, const uint8_t randomHead[10],
                       std::string* out) {
    End();
    if (header->method != 0 && header->method != 8) return kBadZipFile;
    crc_ = crc32(0L, Z_NULL, 0);
    in_ = out_ = 0;
    if (header->method == 8) {
        memset(&zs_, 0, sizeof zs_);
        int z = deflateInit2(&zs_, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
        if (z != Z_OK) return CauseFromZlib(z);
        zsInit_ = true;
    }
    header_ = header;
    if (header->IsEncrypted()) {
        if (password.empty()) {
            End();
            return kGeneric;
        }
        keys_ = new Keys(password);
        // The last byte is checked when the entry is read: the time's high
        // byte, since the CRC is not known before the data is written.
        uint8_t head[12];
        memcpy(head, randomHead, 10);
        head[10] = static_cast<uint8_t>(header->modTime & 0xff);
        head[11] = static_cast<uint8_t>(header->modTime >> 8);
        Emit(head, sizeof head, out);
    }
    return kOk;
}

int EntryWriter::Deflate(int flush, std::string* out) {
    uint8_t chunk[16384];
    for (;;) {
        zs_.next_out = chunk;
        zs_.avail_out = sizeof chunk;
        int z = deflate(&zs_, flush);
        if (z != Z_OK && z != Z_STREAM_END && z != Z_BUF_ERROR) return CauseFromZlib(z);
        Emit(chunk, sizeof chunk - zs_.avail_out, out);
        if (flush == Z_FINISH ? z == Z_STREAM_END : zs_.avail_out != 0) return kOk;
    }
}

int EntryWriter::Write(const void* data, size_t size, std::string* out) {
    if (!header_) return kGeneric;
    const uint8_t* p = static_cast<const uint8_t*>(data);
    while (size > 0) {
        uInt n = size > 0x40000000u ? 0x40000000u : static_cast<uInt>(size);
        crc_ = crc32(crc_, p, n);
        in_ += n;
        if (in_ > 0xFFFFFFFFull) return kGeneric;   // beyond what the headers can count
        if (zsInit_) {
            zs_.next_in = const_cast<Bytef*>(p);
            zs_.avail_in = n;
            int rc = Deflate(Z_NO_FLUSH, out);
            if (rc) return rc;
        } else {
            Emit(p, n, out);
        }
        p += n;
        size -= n;
    }
    return kOk;
}

int EntryWriter::Finish(std::string* out) {
    if (!header_) return kGeneric;
    if (zsInit_) {
        zs_.next_in = nullptr;
        zs_.avail_in = 0;
        int rc = Deflate(Z_FINISH, out);
        if (rc) {
            End();
            return rc;
        }
    }
    if (out_ > 0xFFFFFFFFull) {
        End();
        return kGeneric;
    }
    header_->crc32 = crc_;
    header_->uncompressedSize = static_cast<uint32_t>(in_);
    header_->compressedSize = static_cast<uint32_t>(out_);
    End();
    return kOk;
}

std::string NameWithBackslashes(const std::string& name) {
    std::string s = name;
    for (char& c : s)
        if (c == '/') c = '\\';
    return s;
}

bool NameStaysInside(const std::string& name) {
    std::string s = NameWithBackslashes(name);
    if (s.empty() || s[0] == '\\') return false;
    if (s.find(':') != std::string::npos) return false;
    size_t start = 0;
    while (start <= s.size()) {
        size_t end = s.find('\\', start);
        if (end == std::string::npos) end = s.size();
        std::string part = s.substr(start, end - start);
        // ".." leaves the folder; names of only dots and blanks are not real names on Windows.
        if (part.find_first_not_of(". ") == std::string::npos && !part.empty()) return false;
        start = end + 1;
    }
    return true;
}

}  // namespace zipcore
