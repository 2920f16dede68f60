#include "wave_file.h"

#include <objbase.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

void DefaultMessage(const char* text) { MessageBoxA(nullptr, text, "", MB_OK); }
cWaveFile::MessageFn g_message = DefaultMessage;

// Sizes in the file are brought up to date this often, so that a recording
// cut off by a crash or a power loss is still a playable file.
constexpr uint64_t kFixInterval = 256 * 1024;
// RIFF sizes are 32 bits; the pipe starts new pieces long before this.
constexpr uint64_t kMaxDataBytes = 0xFFFFFFFFull - 64;

}  // namespace

// ---------------------------------------------------------------- cWaveFormat

cWaveFormat::cWaveFormat() {
    own_ = {};
    own_.formatTag = kWaveTagPcm;
    own_.bitsPerSample = 16;
    own_.samplesPerSec = 48000;
    own_.channels = 2;
    Recompute();
}

cWaveFormat::~cWaveFormat() { SetForeignFormat(nullptr); }

void cWaveFormat::Recompute() {
    own_.formatTag = kWaveTagPcm;
    own_.extraSize = 0;
    int bytes = own_.bitsPerSample / 8;
    own_.blockAlign = static_cast<uint16_t>(bytes * own_.channels);
    own_.avgBytesPerSec = static_cast<uint32_t>(bytes) * own_.samplesPerSec * own_.channels;
}

void cWaveFormat::SetBitsPerSample(int bits) {
    own_.bitsPerSample = static_cast<uint16_t>(bits < 8 || bits > 32 ? 16 : bits);
    Recompute();
}

void cWaveFormat::SetSampleRate(int rate) {
    own_.samplesPerSec = static_cast<uint32_t>(rate <= 0 ? 48000 : rate);
    Recompute();
}

void cWaveFormat::SetChannels(int channels) {
    own_.channels = static_cast<uint16_t>(channels <= 0 || channels > 32 ? 2 : channels);
    Recompute();
}

void cWaveFormat::SetRecord(const WaveFormatRecord& rec) {
    own_.bitsPerSample = rec.bitsPerSample;
    own_.samplesPerSec = rec.samplesPerSec;
    own_.channels = rec.channels;
    SetBitsPerSample(rec.bitsPerSample);
    SetSampleRate(static_cast<int>(rec.samplesPerSec));
    SetChannels(rec.channels);
}

const WAVEFORMATEX* cWaveFormat::GetFormat() const {
    static_assert(sizeof(WAVEFORMATEX) == sizeof(WaveFormatRecord), "same record");
    if (foreign_) return foreign_;
    return reinterpret_cast<const WAVEFORMATEX*>(&own_);
}

void cWaveFormat::SetForeignFormat(WAVEFORMATEX* format) {
    if (foreign_ && foreign_ != format) CoTaskMemFree(foreign_);
    foreign_ = format;
}

// ---------------------------------------------------------------- cByteBuffer

cByteBuffer::cByteBuffer(size_t size, bool owns) : owns_(true) {
    (void)owns;
    data_ = size ? static_cast<uint8_t*>(malloc(size)) : nullptr;
    capacity_ = data_ ? size : 0;
    size_ = capacity_;
}

cByteBuffer::cByteBuffer(const void* data, size_t size)
    : data_(static_cast<uint8_t*>(const_cast<void*>(data))), owns_(false) {
    size_ = capacity_ = data ? size : 0;
}

cByteBuffer::~cByteBuffer() {
    if (owns_) free(data_);
}

void cByteBuffer::Clear() {
    if (data_ && capacity_) memset(data_, 0, capacity_);
}

// ---------------------------------------------------------------- cWaveFile

void cWaveFile::SetMessageFunction(MessageFn fn) { g_message = fn ? fn : DefaultMessage; }

cWaveFile::cWaveFile(const char* fileName, const cWaveFormat* format) : name_(fileName ? fileName : "") {
    if (format) {
        SetRecord(format->GetRecord());
        mode_ = CreateForWriting() ? kWriting : kFailed;
    } else {
        mode_ = OpenForReading() ? kReading : kFailed;
    }
    if (mode_ == kFailed) Close();
}

cWaveFile::~cWaveFile() { Close(); }

bool cWaveFile::CreateForWriting() {
    std::vector<char> name(name_.begin(), name_.end());
    name.push_back(0);
    mmio_ = mmioOpenA(name.data(), nullptr, MMIO_ALLOCBUF | MMIO_CREATE | MMIO_EXCLUSIVE | MMIO_WRITE);
    if (!mmio_) return false;
    riff_ = {};
    riff_.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    if (mmioCreateChunk(mmio_, &riff_, MMIO_CREATERIFF) != MMSYSERR_NOERROR) return false;
    chunk_ = {};
    chunk_.ckid = mmioFOURCC('f', 'm', 't', ' ');
    chunk_.cksize = sizeof(WaveFormatRecord);
    if (mmioCreateChunk(mmio_, &chunk_, 0) != MMSYSERR_NOERROR) return false;
    if (mmioWrite(mmio_, reinterpret_cast<const char*>(&own_), sizeof(own_)) != static_cast<LONG>(sizeof(own_)))
        return false;
    if (mmioAscend(mmio_, &chunk_, 0) != MMSYSERR_NOERROR) return false;
    chunk_ = {};
    chunk_.ckid = mmioFOURCC('d', 'a', 't', 'a');
    if (mmioCreateChunk(mmio_, &chunk_, 0) != MMSYSERR_NOERROR) return false;
    dataBytes_ = 0;
    FixSizesInPlace();   // a valid, empty file from the start
    return true;
}

bool cWaveFile::OpenForReading() {
    file_ = CreateFileA(name_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file_ == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file_, &size)) return false;
    std::vector<uint8_t> head(static_cast<size_t>(size.QuadPart < 65536 ? size.QuadPart : 65536));
    DWORD got = 0;
    if (!head.empty() && !ReadFile(file_, head.data(), static_cast<DWORD>(head.size()), &got, nullptr)) got = 0;
    WaveHeaderInfo info = {};
    switch (ScanWaveHeader(head.data(), got, static_cast<uint64_t>(size.QuadPart), &info)) {
        case kWaveOk: break;
        case kWaveNoRiff: g_message("Error descending into file"); return false;
        case kWaveNoFmt: g_message("Error descending in wave file"); return false;
        case kWaveBadFmt: g_message("Error ascending in File"); return false;
        default: g_message("error reading data chunk"); return false;
    }
    own_ = info.format;
    own_.extraSize = 0;
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(info.dataOffset);
    if (!SetFilePointerEx(file_, to, nullptr, FILE_BEGIN)) return false;
    dataBytes_ = info.dataSize;
    return true;
}

void cWaveFile::FixSizesInPlace() {
    // mmioAscend does the same at the end; here the position is put back.
    LONG end = mmioSeek(mmio_, 0, SEEK_CUR);
    if (end < 0) return;
    DWORD riffSize = static_cast<DWORD>(end) - riff_.dwDataOffset;
    DWORD dataSize = static_cast<DWORD>(end) - chunk_.dwDataOffset;
    if (mmioSeek(mmio_, static_cast<LONG>(riff_.dwDataOffset) - 4, SEEK_SET) >= 0)
        mmioWrite(mmio_, reinterpret_cast<const char*>(&riffSize), 4);
    if (mmioSeek(mmio_, static_cast<LONG>(chunk_.dwDataOffset) - 4, SEEK_SET) >= 0)
        mmioWrite(mmio_, reinterpret_cast<const char*>(&dataSize), 4);
    mmioSeek(mmio_, end, SEEK_SET);
    mmioFlush(mmio_, 0);
    sinceFix_ = 0;
}

bool cWaveFile::Write(const cByteBuffer& buffer) {
    if (mode_ != kWriting || !mmio_) return false;
    size_t n = buffer.Size();
    if (n == 0) return true;
    if (dataBytes_ + n > kMaxDataBytes || n > 0x7FFFFFFF) return false;
    LONG put = mmioWrite(mmio_, reinterpret_cast<const char*>(buffer.Data()), static_cast<LONG>(n));
    if (put > 0) {
        dataBytes_ += static_cast<uint64_t>(put);
        sinceFix_ += static_cast<uint64_t>(put);
    }
    if (sinceFix_ >= kFixInterval) FixSizesInPlace();
    return put == static_cast<LONG>(n);
}

bool cWaveFile::Read(cByteBuffer* buffer) {
    if (!buffer) return false;
    if (mode_ != kReading || file_ == INVALID_HANDLE_VALUE) {
        buffer->SetSize(0);
        return false;
    }
    size_t want = buffer->Capacity();
    if (want > dataBytes_) want = static_cast<size_t>(dataBytes_);
    if (want > 0x40000000) want = 0x40000000;
    DWORD got = 0;
    if (want && !ReadFile(file_, buffer->Data(), static_cast<DWORD>(want), &got, nullptr)) got = 0;
    dataBytes_ -= got;
    buffer->SetSize(got);
    return got > 0;
}

cByteBuffer* cWaveFile::ReadBlock() {
    if (mode_ != kReading) return nullptr;
    size_t size = static_cast<size_t>(GetBlockAlign()) * static_cast<size_t>(GetReadBlockSize());
    cByteBuffer* block = new cByteBuffer(size, true);
    if (block->Capacity() == 0 || !Read(block)) {
        delete block;
        return nullptr;
    }
    return block;
}

int cWaveFile::GetFilePos() const {
    if (mode_ == kWriting && mmio_) {
        LONG pos = mmioSeek(mmio_, 0, SEEK_CUR);
        return pos < 0 ? 0 : pos;
    }
    if (mode_ == kReading && file_ != INVALID_HANDLE_VALUE) {
        LARGE_INTEGER zero = {}, pos = {};
        if (SetFilePointerEx(file_, zero, &pos, FILE_CURRENT)) return static_cast<int>(pos.QuadPart);
    }
    return 0;
}

void cWaveFile::Close() {
    if (mmio_) {
        if (mode_ == kWriting) {
            mmioAscend(mmio_, &chunk_, 0);
            mmioAscend(mmio_, &riff_, 0);
        }
        mmioClose(mmio_, 0);
        mmio_ = nullptr;
    }
    if (file_ != INVALID_HANDLE_VALUE) {
        CloseHandle(file_);
        file_ = INVALID_HANDLE_VALUE;
    }
}
