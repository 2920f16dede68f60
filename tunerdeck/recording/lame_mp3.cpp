#include "lame_mp3.h"

#include <cstdlib>
#include <cstring>

#include "bounded_text.h"
#include "debugtext.h"
#include "rec_settings.h"

namespace {

char g_programFolder[MAX_PATH];
char g_userFolder[MAX_PATH];

// Folder of a path with its trailing backslash.
void FolderWithSlash(const char* folder, char* out, size_t size) {
    bk::TextCopy(out, size, folder);
    size_t n = strlen(out);
    if (n && out[n - 1] != '\\' && out[n - 1] != '/') bk::TextAppend(out, size, "\\");
}

void ProgramFolder(char* out, size_t size) {
    if (g_programFolder[0]) {
        FolderWithSlash(g_programFolder, out, size);
        return;
    }
    char exe[MAX_PATH] = "";
    DWORD n = GetModuleFileNameA(nullptr, exe, sizeof exe);
    if (n == 0 || n >= sizeof exe) {
        out[0] = 0;
        return;
    }
    char* slash = strrchr(exe, '\\');
    if (slash) slash[1] = 0;
    bk::TextCopy(out, size, exe);
}

void UserFolder(char* out, size_t size) {
    if (g_userFolder[0]) {
        FolderWithSlash(g_userFolder, out, size);
        return;
    }
    char path[MAX_PATH];
    RecGetValue("PathUser", path, sizeof path);
    if (path[0]) FolderWithSlash(path, out, size);
    else out[0] = 0;
}

const char kEntryNames[5][16] = {"beInitStream", "beEncodeChunk", "beDeinitStream", "beCloseStream", "beVersion"};

}  // namespace

void cLameMP3::SetSearchFolders(const char* programFolder, const char* userFolder) {
    bk::TextCopy(g_programFolder, programFolder ? programFolder : "");
    bk::TextCopy(g_userFolder, userFolder ? userFolder : "");
}

cLameMP3::cLameMP3(const char* fileName, const WaveFormatRecord* format) : name_(fileName ? fileName : "") {
    if (format) format_ = *format;
}

cLameMP3::~cLameMP3() {
    DeInit();
    lib_.Reset();
}

int cLameMP3::LoadEncoder() {
    // Only the two folders the package is unpacked into: a library of the
    // same name on the search path or in the current folder is not ours.
    char path[MAX_PATH];
    ProgramFolder(path, sizeof path);
    if (path[0] && bk::TextAppend(path, "lame_enc.dll")) lib_.Reset(LoadLibraryA(path));
    if (!lib_) {
        UserFolder(path, sizeof path);
        if (path[0] && bk::TextAppend(path, "lame_enc.dll")) lib_.Reset(LoadLibraryA(path));
    }
    if (!lib_) {
        lastError_ = kErrNoLibrary;
        return 0;
    }
    FARPROC procs[5];
    for (int i = 0; i < 5; ++i) procs[i] = GetProcAddress(lib_.Get(), kEntryNames[i]);
    beInitStream_ = reinterpret_cast<BEINITSTREAM>(reinterpret_cast<void*>(procs[0]));
    beEncodeChunk_ = reinterpret_cast<BEENCODECHUNK>(reinterpret_cast<void*>(procs[1]));
    beDeinitStream_ = reinterpret_cast<BEDEINITSTREAM>(reinterpret_cast<void*>(procs[2]));
    beCloseStream_ = reinterpret_cast<BECLOSESTREAM>(reinterpret_cast<void*>(procs[3]));
    beVersion_ = reinterpret_cast<BEVERSION>(reinterpret_cast<void*>(procs[4]));
    beWriteVBRHeader_ = reinterpret_cast<BEWRITEVBRHEADER>(
        reinterpret_cast<void*>(GetProcAddress(lib_.Get(), "beWriteVBRHeader")));
    if (!beInitStream_ || !beEncodeChunk_ || !beDeinitStream_ || !beCloseStream_ || !beVersion_ ||
        !beWriteVBRHeader_) {
        lastError_ = kErrNoEntryPoint;
        return 0;
    }
    lastError_ = kErrNone;
    return 1;
}

int cLameMP3::Init() {
    if (!beInitStream_) return 0;
    bk::ScopedLock hold(lock_);
    if (initCalled_) return 1;
    total_ = 0;
    samplesPerChunk_ = 0;
    outBufferSize_ = 0;
    CloseFile();
    file_ = fopen(name_.c_str(), "wb+");
    if (!file_) return 0;

    unsigned long bitrate = RecGetNumber("MP3_Bitrate");
    if (bitrate == 0) bitrate = 128;
    char vbr[16], stereo[32];
    RecGetValue("MP3_VBR", vbr, sizeof vbr);
    if (!vbr[0]) bk::TextCopy(vbr, "1");
    RecGetValue("STEREO_ART", stereo, sizeof stereo);
    if (!stereo[0]) bk::TextCopy(stereo, "STEREO");

    memset(&config_, 0, sizeof config_);
    config_.dwConfig = BE_CONFIG_LAME;
    config_.format.LHV1.dwStructVersion = 1;
    config_.format.LHV1.dwStructSize = sizeof(BE_CONFIG);
    config_.format.LHV1.dwSampleRate = format_.samplesPerSec;
    config_.format.LHV1.dwReSampleRate = 0;
    if (format_.channels == 1) config_.format.LHV1.nMode = BE_MP3_MODE_MONO;
    else if (strcmp(stereo, "STEREO") == 0) config_.format.LHV1.nMode = BE_MP3_MODE_STEREO;
    else config_.format.LHV1.nMode = BE_MP3_MODE_JSTEREO;
    config_.format.LHV1.dwBitrate = static_cast<DWORD>(bitrate);
    config_.format.LHV1.dwMaxBitrate = static_cast<DWORD>(bitrate);
    config_.format.LHV1.nPreset = LQP_HIGH_QUALITY;
    config_.format.LHV1.dwMpegVersion = MPEG1;
    config_.format.LHV1.dwPsyModel = 0;
    config_.format.LHV1.dwEmphasis = 0;
    config_.format.LHV1.bPrivate = FALSE;
    config_.format.LHV1.bCRC = FALSE;
    config_.format.LHV1.bCopyright = FALSE;
    config_.format.LHV1.bOriginal = TRUE;
    bool vbrOn = strcmp(vbr, "1") == 0;
    config_.format.LHV1.bWriteVBRHeader = vbrOn ? TRUE : FALSE;
    config_.format.LHV1.bEnableVBR = vbrOn ? TRUE : FALSE;
    config_.format.LHV1.nVBRQuality = 2;

    DWORD samples = 0, bufSize = 0;
    HBE_STREAM stream = nullptr;
    if (beInitStream_(&config_, &samples, &bufSize, &stream) != BE_ERR_SUCCESSFUL || samples == 0 || bufSize == 0) {
        CloseFile();
        return 0;
    }
    samplesPerChunk_ = samples;
    outBufferSize_ = bufSize;
    stream_ = stream;
    outBuffer_ = static_cast<uint8_t*>(malloc(bufSize));
    if (!outBuffer_) {
        beCloseStream_(stream_);
        stream_ = nullptr;
        CloseFile();
        return 0;
    }
    initCalled_ = true;
    return 1;
}

int cLameMP3::EncodeChunk(int bytes, const void* data) {
    bk::ScopedLock hold(lock_);
    if (!initCalled_) return 1;
    if (bytes <= 0 || !data) return 1;
    // The library sizes its output for at most the samples it asked for per
    // call, so larger blocks go in pieces.
    const short* pcm = static_cast<const short*>(data);
    DWORD left = static_cast<DWORD>(bytes) / 2;
    while (left > 0) {
        DWORD n = left < samplesPerChunk_ ? left : samplesPerChunk_;
        DWORD out = 0;
        if (beEncodeChunk_(stream_, n, const_cast<PSHORT>(pcm), outBuffer_, &out) != BE_ERR_SUCCESSFUL ||
            out > outBufferSize_) {
            // The stream is gone: nothing may touch it again.
            beCloseStream_(stream_);
            stream_ = nullptr;
            initCalled_ = false;
            return 0;
        }
        if (out > 0) {
            if (fwrite(outBuffer_, 1, out, file_) != out) {
                CloseFile();
                beCloseStream_(stream_);
                stream_ = nullptr;
                initCalled_ = false;
                return 0;
            }
            total_ += out;
        }
        pcm += n;
        left -= n;
    }
    return 1;
}

int cLameMP3::GetTotalBytes() const {
    return total_ > 0x7FFFFFFFull ? 0x7FFFFFFF : static_cast<int>(total_);
}

void cLameMP3::CloseFile() {
    if (file_) {
        fclose(file_);
        file_ = nullptr;
    }
}

int cLameMP3::DeInit() {
    const char* p = "cLameMP3: cLameMP3::DeInit - ";
    bk::ScopedLock hold(lock_);
    DebugLog(DL_INF, "%sEingang", p);
    if (!initCalled_) {
        // After an encoder error the stream is closed but the file is not.
        CloseFile();
        free(outBuffer_);
        outBuffer_ = nullptr;
        DebugLog(DL_INF, "%sAusgang1(m_init_called == FALSE), TRUE", p);
        return 1;
    }
    initCalled_ = false;
    DebugLog(DL_INF, "%sdeinit stream", p);
    DWORD out = 0;
    BE_ERR err = beDeinitStream_(stream_, outBuffer_, &out);
    if (err != BE_ERR_SUCCESSFUL || out > outBufferSize_) {
        DebugLog(DL_INF, "%serr=%lu, m_hbeStream=%p", p, static_cast<unsigned long>(err), stream_);
        beCloseStream_(stream_);
        stream_ = nullptr;
        CloseFile();
        DebugLog(DL_INF, "%sAusgang2(err), FALSE", p);
        return 0;
    }
    if (out > 0) {
        if (fwrite(outBuffer_, 1, out, file_) != out) {
            beCloseStream_(stream_);
            stream_ = nullptr;
            CloseFile();
            DebugLog(DL_INF, "%sAusgang3(fwrite != dwWrite), FALSE", p);
            return 0;
        }
        total_ += out;
        DebugLog(DL_INF, "%s(fwrite == dwWrite)", p);
    }
    DebugLog(DL_INF, "%sm_hbeStream=%p", p, stream_);
    beCloseStream_(stream_);
    stream_ = nullptr;
    DebugLog(DL_INF, "%sm_pMP3Buffer=%p", p, static_cast<void*>(outBuffer_));
    free(outBuffer_);
    outBuffer_ = nullptr;
    DebugLog(DL_INF, "%sm_mp3file=%p", p, static_cast<void*>(file_));
    CloseFile();
    beWriteVBRHeader_(name_.c_str());
    DebugLog(DL_INF, "%sAusgang4(close), TRUE", p);
    return 1;
}
