// MP3 files through the LAME encoder library "lame_enc.dll", loaded at run
// time through its encoder-library interface.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "BladeMP3EncDLL.h"
#include "wav_header.h"
#include "win_handles.h"

static_assert(sizeof(BE_CONFIG) == 331, "the encoder's configuration record is packed to 331 bytes");

class cLameMP3 {
public:
    enum { kErrNone = 0, kErrNoLibrary = 1, kErrNoEntryPoint = 2 };

    cLameMP3(const char* fileName, const WaveFormatRecord* format);
    virtual ~cLameMP3();
    cLameMP3(const cLameMP3&) = delete;
    cLameMP3& operator=(const cLameMP3&) = delete;

    int LoadEncoder();
    int Init();
    int EncodeChunk(int bytes, const void* data);
    int GetTotalBytes() const;
    uint64_t GetTotalBytes64() const { return total_; }
    int DeInit();
    int GetLastError() const { return lastError_; }
    const char* GetFileName() const { return name_.c_str(); }

    // The configuration handed to the encoder by the last Init.
    const BE_CONFIG& GetConfig() const { return config_; }
    uint32_t GetSamplesPerChunk() const { return samplesPerChunk_; }

    // The two folders searched for the library: the program's and the
    // user's. Empty texts: the program's folder and the setting PathUser.
    static void SetSearchFolders(const char* programFolder, const char* userFolder);

private:
    void CloseFile();

    bk::ScopedModule lib_;
    BEINITSTREAM beInitStream_ = nullptr;
    BEENCODECHUNK beEncodeChunk_ = nullptr;
    BEDEINITSTREAM beDeinitStream_ = nullptr;
    BECLOSESTREAM beCloseStream_ = nullptr;
    BEVERSION beVersion_ = nullptr;
    BEWRITEVBRHEADER beWriteVBRHeader_ = nullptr;

    BE_CONFIG config_ = {};
    uint32_t samplesPerChunk_ = 0;
    uint32_t outBufferSize_ = 0;
    HBE_STREAM stream_ = nullptr;
    uint8_t* outBuffer_ = nullptr;

    FILE* file_ = nullptr;
    uint64_t total_ = 0;
    bool initCalled_ = false;
    bk::CriticalSection lock_;
    std::string name_;
    WaveFormatRecord format_ = {};
    int lastError_ = kErrNone;
};
