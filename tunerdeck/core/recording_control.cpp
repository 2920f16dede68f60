#include "recording_control.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "bounded_text.h"
#include "catalogue.h"
#include "debug_log.h"
#include "pipe.h"
#include "player_globals.h"
#include "profiles.h"
#include "registry.h"
#include "settings.h"

namespace td {

namespace {

// Characters a file or folder name cannot hold.
void ReplaceForbidden(char* text) {
    for (char* p = text; *p; ++p)
        if (*p == ':' || *p == '/' || *p == '\\' || *p == '?' || *p == '|' || *p == '"' || *p == '<' ||
            *p == '>' || *p == '*')
            *p = '_';
}

// Reads a number of the cut profile: atoi of the text, 0 when empty.
int CutNumber(const char* file, const char* section, const char* key, int fallback) {
    char buf[64] = {};
    GetPrivateProfileStringA(section, key, "\x01", buf, sizeof buf, file);
    if (buf[0] == '\x01') return fallback;
    return atoi(buf);
}

bool CreatedOrExists(const char* folder) {
    return CreateDirectoryA(folder, nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

}  // namespace

void cRecordingControl::Status(const char* text, int code) {
    if (!status_) return;
    char buf[1024];
    bk::TextCopy(buf, sizeof buf, text ? text : "");
    status_(text ? buf : nullptr, code);
}

int cRecordingControl::StartRecording(void* record, const char* displayText) {
    if (!record) return 0;
    if (!pipe_) {
        HeapFree(GetProcessHeap(), 0, record);
        return 0;
    }
    // The skin's record ends at its 3,636 bytes; the fields only the player
    // and the pipe use live in a job of their own.
    RecordJob* job = NewRecordJob();
    if (!job) {
        HeapFree(GetProcessHeap(), 0, record);
        return 0;
    }
    memcpy(job, record, kRecordStartRecordSize);
    {
        bk::ScopedLock hold(handedLock_);
        handed_[job] = record;
    }
    if (pipe_->IsRecording()) pipe_->StopRecordingToFile();

    const char* dir = settings_->GetRecordingDir();
    if (!CreateDirectoryA(dir, nullptr)) {
        const DWORD err = GetLastError();
        if (err != ERROR_ALREADY_EXISTS && err != ERROR_ACCESS_DENIED) settings_->SetRecordingDir(ProgramFolder());
    }

    const int language = settings_->GetLanguage();
    char display[512] = {};
    bk::TextCopy(display, sizeof display, displayText ? displayText : "");
    if (!display[0]) GetResourceString(GetBasekitModule(), 12, language, display, sizeof display);

    // Force the handed-over texts to end inside their fields.
    job->fileName[sizeof job->fileName - 1] = 0;
    job->cutProfile[sizeof job->cutProfile - 1] = 0;
    job->quality[sizeof job->quality - 1] = 0;
    job->folder[sizeof job->folder - 1] = 0;

    char name[1024];
    if (!job->fileName[0]) {
        char when[64] = {};
        time_t now = time(nullptr);
        struct tm* t = localtime(&now);
        if (t) strftime(when, sizeof when, "%d-%m-%Y, %H Uhr %M", t);
        bk::TextFormat(name, sizeof name, "%s, %s.wav", display, when);
    } else {
        bk::TextFormat(name, sizeof name, "%s.wav", job->fileName);
    }
    // A station's name or title is a name only: it never picks the folder.
    ReplaceForbidden(name);

    char cutFile[MAX_PATH + 32] = {};
    GetValue("PathUser", cutFile, MAX_PATH);
    const size_t len = strlen(cutFile);
    if (len && cutFile[len - 1] != '\\') bk::TextAppend(cutFile, sizeof cutFile, "\\");
    bk::TextAppend(cutFile, sizeof cutFile, "schneiden.ini");
    job->cutType = CutNumber(cutFile, job->cutProfile, "CUT_TYPE", 0);
    job->cutValue = CutNumber(cutFile, job->cutProfile, "VALUE", 0);
    if (job->createFolder != 1) job->createFolder = CutNumber(cutFile, job->cutProfile, "FOLDER", job->createFolder);
    if (job->createFolder == -1) job->createFolder = autoCutFolder_;
    if (job->createFolder != 0 && job->createFolder != 1) job->createFolder = 0;

    job->language = language;
    if (job->mp3Bitrate == 0) {
        unsigned long v = 0;
        GetValue("MP3_Bitrate", &v);
        job->mp3Bitrate = static_cast<uint32_t>(v);
    }
    if (job->mp3Channels == -1) {
        unsigned long v = 0;
        GetValue("STEREO_ART", &v);
        job->mp3Channels = static_cast<int32_t>(v);
    }
    job->recordFormat = settings_->GetRecordingFormat();

    char path[1024] = {};
    const int n = MakeRecordFileName(name, 0, path, sizeof path, job);
    if (n < 0) {
        WriteDebugLogF(1, "StartRecording: no file can be made in \"%s\"", job->folder);
        Return(job);
        return 0;
    }
    bk::TextCopy(job->fileName, sizeof job->fileName, path);

    int sps = 44100, bps = 16, nch = 2;
    GetRecQualitySettings(job->quality, &sps, &bps, &nch, nullptr);
    job->sampleRate = sps;
    job->bitsPerSample = bps;
    job->channels = nch;
    pipe_->StartRecordingToFile(job, n);
    if (pipe_->IsRecording()) return 1;
    // The pipe freed a job it could not start with (and said why); the
    // skin's record is still out and the record button still pressed.
    void* back = nullptr;
    {
        bk::ScopedLock hold(handedLock_);
        auto it = handed_.find(job);
        if (it != handed_.end()) {
            back = it->second;
            handed_.erase(it);
        }
    }
    if (back) {
        const int32_t none = 0;
        memcpy(static_cast<char*>(back) + offsetof(RecordJob, pieceNumber), &none, sizeof none);
        status_ ? status_(static_cast<char*>(back), 46) : static_cast<void>(HeapFree(GetProcessHeap(), 0, back));
    }
    return 0;
}

char* cRecordingControl::HandBack(RecordJob* job) {
    void* record = nullptr;
    {
        bk::ScopedLock hold(handedLock_);
        auto it = handed_.find(job);
        if (it == handed_.end()) return reinterpret_cast<char*>(job);
        record = it->second;
        handed_.erase(it);
    }
    memcpy(record, job, kRecordStartRecordSize);
    FreeRecordJob(job);
    return static_cast<char*>(record);
}

void cRecordingControl::Return(RecordJob* job) {
    job->pieceNumber = 0;
    char* back = HandBack(job);
    status_ ? status_(back, 46) : static_cast<void>(HeapFree(GetProcessHeap(), 0, back));
}

int cRecordingControl::MakeRecordFileName(const char* name, int n, char* path, size_t pathSize, RecordJob* job) {
    if (path && pathSize) path[0] = 0;
    if (!name || !path || !pathSize) return -1;
    const int format = settings_->GetRecordingFormat();

    std::string folder, base;
    const char* slash = strrchr(name, '\\');
    if (!slash) {
        folder = settings_->GetRecordingDir();
        while (!folder.empty() && folder.back() == '\\') folder.pop_back();
        base = name;
    } else {
        folder.assign(name, static_cast<size_t>(slash - name));
        base = slash + 1;
    }
    const size_t dot = base.rfind('.');
    if (dot != std::string::npos && dot + 5 >= base.size()) base.resize(dot);
    if (n > 0) {
        const size_t us = base.rfind('_');
        if (us != std::string::npos) {
            const std::string tail = base.substr(us + 1);
            if (atoi(tail.c_str()) != 0 || (!tail.empty() && tail.back() == '0')) base.resize(us);
        }
    }

    int folderMode = job ? job->createFolder : 0;
    if (folderMode != 0 && job && !job->folder[0]) {
        char sub[1024];
        bk::TextCopy(sub, sizeof sub, base.c_str());
        ReplaceForbidden(sub);
        // ".." or "." would name a folder outside the recording folder.
        for (char* p = sub; *p == '.'; ++p) *p = '_';
        const std::string candidate = folder + "\\" + sub;
        if (sub[0] && CreatedOrExists(candidate.c_str()))
            folder = candidate;
        else
            folderMode = 0;
        job->createFolder = folderMode;
    }
    if (job) bk::TextCopy(job->folder, sizeof job->folder, folder.c_str());

    // Bounded: a folder that cannot take a file ends the search instead of
    // counting on for ever.
    for (int tries = 0; tries < 100000; ++tries, ++n) {
        char file[1024];
        bool fits = n ? bk::TextFormat(file, sizeof file, "%s_%d", base.c_str(), n)
                      : bk::TextCopy(file, sizeof file, base.c_str());
        fits = fits && bk::TextAppend(file, sizeof file, format == 1 ? ".mp3" : ".wav");
        ReplaceForbidden(file);
        fits = fits && bk::TextFormat(path, pathSize, "%s\\%s", folder.c_str(), file);
        if (!fits) break;
        HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            CloseHandle(h);
            DeleteFileA(path);
            return n;
        }
        const DWORD err = GetLastError();
        if (err != ERROR_FILE_EXISTS && err != ERROR_ALREADY_EXISTS) break;
    }
    path[0] = 0;
    return -1;
}

void cRecordingControl::StopRecording() {
    if (!pipe_) return;
    WriteDebugLog("StopRecording...", 7);
    pipe_->StopRecordingToFile();
    WriteDebugLog("StopRecording...ok", 7);
}

void cRecordingControl::SetRecordFormat() {
    if (pipe_) pipe_->SetRecordFormat(settings_->GetRecordingFormat());
}

int cRecordingControl::GetFreeRecordTime() { return pipe_ ? pipe_->GetFreeRecordTime() : 0; }

void cRecordingControl::StartListening() {
    if (pipe_) pipe_->StartListening();
}

void cRecordingControl::StopListeningIfIdle() {
    if (pipe_ && !pipe_->IsRecording()) pipe_->StopListening();
}

// A damaged or negative stored value would open the capture stream with a
// format no device takes: anything below a usable value is raised.
int cRecordingControl::GetRecBitsPerSample() {
    const int v = settings_->GetQualityBPS();
    return v < 8 ? 16 : v;
}

int cRecordingControl::GetRecSampleRate() {
    const int v = settings_->GetQualitySPS();
    return v < 8000 ? 48000 : v;
}

int cRecordingControl::GetRecChannels() {
    const int v = settings_->GetQualityNCH();
    return v <= 0 ? 2 : v;
}

void cRecordingControl::SetVolume(int value, int toRecordLevel) {
    if (!pipe_) return;
    if (toRecordLevel)
        pipe_->SetRecordLevel(value);
    else
        pipe_->SetMasterVolume(value);
}

void cRecordingControl::SetMute(int on) {
    if (pipe_) pipe_->SetOutputSwitch(!on);
}

void cRecordingControl::ReadVolumeState() {
    if (!pipe_) return;
    int d = 0;
    pipe_->GetWaveOutVolume(&volume_[0], &volume_[1], &volume_[2], &d);
}

void cRecordingControl::LowerVolumeForDownload() {
    if (pipe_ && volume_[1] != 0) pipe_->SetWaveOutVolume(volume_[1] * 70 / 100);
}

void cRecordingControl::SendVolumeStatus() {
    if (!pipe_) return;
    int a = 0, b = 0, c = 0, d = 0;
    pipe_->GetMasterVolume(&a, &b, &c, &d);
    char text[64];
    bk::TextFormat(text, sizeof text, "%d|%d|%d", a, b, c);
    Status(text, 3);
}

void cRecordingControl::SendRecordLevelStatus() {
    if (!pipe_) return;
    int a = 0, b = 0, c = 0, d = 0;
    char text[64] = "0|0|0";
    if (pipe_->GetRecordLevel(&a, &b, &c, &d)) bk::TextFormat(text, sizeof text, "%d|%d|%d", a, b, c);
    Status(text, 44);
}

void cRecordingControl::SendSourceNames() {
    if (!pipe_) return;
    std::string names;
    pipe_->GetSourceNames(names);
    Status(names.c_str(), 43);
}

void cRecordingControl::SendDeviceNames() {
    if (!pipe_) return;
    std::string names;
    pipe_->GetDeviceNames(names);
    Status(names.c_str(), 70);
}

void cRecordingControl::SelectRecordDevice(int index) {
    if (!pipe_) return;
    pipe_->SetRecordDevice(index);
    Status(nullptr, 76);
}

void cRecordingControl::SelectRecordSource(int index) {
    if (!pipe_) return;
    pipe_->SetRecordSource(index);
    Status(nullptr, 75);
}

void cRecordingControl::SaveAudioState() {
    if (!pipe_) return;
    ReadVolumeState();
    savedVolume_ = volume_[0];
    savedDevice_ = settings_->GetRecordingDevice();
    savedSource_ = settings_->GetRecordingSource();
    savedAdjust_ = settings_->GetAdjustRecordVol();
    settings_->SetAdjustRecordVol(0);
    pipe_->SetWaveOutVolume(volume_[1] / 2);
}

void cRecordingControl::RestoreAudioState() {
    if (!pipe_) return;
    settings_->SetRecordingDevice(savedDevice_);
    settings_->SetRecordingSource(savedSource_);
    pipe_->SetRecordDevice(settings_->GetRecordingDevice());
    pipe_->SetRecordSource(settings_->GetRecordingSource());
    settings_->SetAdjustRecordVol(savedAdjust_);
    ReadVolumeState();
    pipe_->SetWaveOutVolume(savedVolume_);
}

}  // namespace td
