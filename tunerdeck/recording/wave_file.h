// PCM wave format, WAV files (written through mmio, read through the header
// scanner) and byte buffers that own their bytes or only point at them.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <cstdint>
#include <string>

#include "wav_header.h"

class cWaveFormat {
public:
    cWaveFormat();
    virtual ~cWaveFormat();

    void SetBitsPerSample(int bits);
    void SetSampleRate(int rate);
    void SetChannels(int channels);
    int GetBitsPerSample() const { return own_.bitsPerSample; }
    int GetSampleRate() const { return static_cast<int>(own_.samplesPerSec); }
    int GetChannels() const { return own_.channels; }
    int GetBlockAlign() const { return own_.blockAlign; }
    int GetAvgBytesPerSec() const { return static_cast<int>(own_.avgBytesPerSec); }

    // The format handed out: a foreign one (from the audio system) when set.
    const WAVEFORMATEX* GetFormat() const;
    const WaveFormatRecord& GetRecord() const { return own_; }
    void SetRecord(const WaveFormatRecord& rec);
    // Takes over a format allocated with CoTaskMemAlloc (null drops it).
    void SetForeignFormat(WAVEFORMATEX* format);

    int GetReadBlockSize() const { return readBlockFrames_; }
    void SetReadBlockSize(int frames) { readBlockFrames_ = frames > 0 ? frames : 5000; }

protected:
    void Recompute();
    WaveFormatRecord own_;
    WAVEFORMATEX* foreign_ = nullptr;
    int readBlockFrames_ = 5000;
};

class cByteBuffer {
public:
    cByteBuffer(size_t size, bool owns);            // allocates size bytes
    cByteBuffer(const void* data, size_t size);     // wraps foreign bytes
    virtual ~cByteBuffer();
    cByteBuffer(const cByteBuffer&) = delete;
    cByteBuffer& operator=(const cByteBuffer&) = delete;

    uint8_t* Data() const { return data_; }
    size_t Size() const { return size_; }
    size_t Capacity() const { return capacity_; }
    void SetSize(size_t size) { size_ = size <= capacity_ ? size : capacity_; }
    void Clear();

private:
    uint8_t* data_ = nullptr;
    size_t size_ = 0;
    size_t capacity_ = 0;
    bool owns_ = false;
};

class cWaveFile : public cWaveFormat {
public:
    enum Mode { kFailed = 0, kReading = 1, kWriting = 2 };

    // With a format: creates the file for writing; without: opens it for reading.
    cWaveFile(const char* fileName, const cWaveFormat* format);
    ~cWaveFile() override;

    bool Write(const cByteBuffer& buffer);
    bool Read(cByteBuffer* buffer);
    cByteBuffer* ReadBlock();            // owning buffer, or null at the end
    bool IsOpen() const { return mode_ != kFailed; }
    int GetMode() const { return mode_; }
    int GetFilePos() const;
    uint64_t GetDataBytes() const { return dataBytes_; }
    void Close();
    const std::string& GetFileName() const { return name_; }

    // The message boxes of a damaged file go here (tests catch them).
    using MessageFn = void (*)(const char* text);
    static void SetMessageFunction(MessageFn fn);

private:
    bool CreateForWriting();
    bool OpenForReading();
    void FixSizesInPlace();

    HMMIO mmio_ = nullptr;                   // writing
    HANDLE file_ = INVALID_HANDLE_VALUE;     // reading
    std::string name_;
    int mode_ = kFailed;
    MMCKINFO riff_ = {};
    MMCKINFO chunk_ = {};
    uint64_t dataBytes_ = 0;                 // written, or left to read
    uint64_t sinceFix_ = 0;
};
