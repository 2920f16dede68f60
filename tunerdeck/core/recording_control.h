// The player's side of the recording pipe: starting a recording with a free
// file name and the user's quality and cut profiles, stopping it, and the
// mixer operations the skin asks for, each answered with its status text.
// Every operation does nothing while no pipe is attached.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <map>

#include "record_job.h"
#include "win_handles.h"

class CPipe;
class cSettings;

namespace td {

class cRecordingControl {
public:
    // Status to the skin engine; for 46 the text is the recording record,
    // which the receiver then owns.
    using StatusFn = std::function<void(char* text, int code)>;

    cRecordingControl(cSettings* settings, StatusFn status) : settings_(settings), status_(std::move(status)) {}

    void SetPipe(CPipe* pipe) { pipe_ = pipe; }
    CPipe* Pipe() const { return pipe_; }
    // The auto-cut folder flag stored at start (folder mode -1 takes it).
    void SetAutoCutFolder(int flag) { autoCutFolder_ = flag; }

    // Takes over the skin engine's recording-start record (process heap,
    // kRecordStartRecordSize bytes: the skin allocates no more). The pipe
    // records with a job of its own that begins with a copy of it; the
    // record goes back with status 46, filled in from the job, when the
    // recording ends (HandBack). 1 when the pipe records; 0 when not:
    // without a pipe the record is freed, otherwise it goes back at once
    // with piece count 0.
    int StartRecording(void* record, const char* displayText);
    // For the pipe's status 46: the record the finished `job` was made
    // from, with the job's fields copied into it (the job is freed), or the
    // job itself when it was not made from one.
    char* HandBack(RecordJob* job);
    void StopRecording();
    void SetRecordFormat();
    int GetFreeRecordTime();
    void StartListening();
    void StopListeningIfIdle();

    int GetRecBitsPerSample();
    int GetRecSampleRate();
    int GetRecChannels();

    // The number used for the name, -1 when no file can be made in the
    // folder (then `path` is empty).
    int MakeRecordFileName(const char* name, int n, char* path, size_t pathSize, RecordJob* job);

    void SetVolume(int value, int toRecordLevel);
    void SetMute(int on);
    void ReadVolumeState();
    void LowerVolumeForDownload();
    void SendVolumeStatus();
    void SendRecordLevelStatus();
    void SendSourceNames();
    void SendDeviceNames();
    void SelectRecordDevice(int index);
    void SelectRecordSource(int index);
    void SaveAudioState();
    void RestoreAudioState();

    const int* VolumeTriple() const { return volume_; }

private:
    void Status(const char* text, int code);
    // The record goes back at once: nothing was recorded.
    void Return(RecordJob* job);

    cSettings* settings_;
    StatusFn status_;
    CPipe* pipe_ = nullptr;
    int autoCutFolder_ = 0;
    int volume_[3] = {};
    int savedVolume_ = 0, savedDevice_ = 0, savedSource_ = 0, savedAdjust_ = 0;
    // Running jobs and the skin's records they were made from; the pipe
    // ends a job on its own threads.
    bk::CriticalSection handedLock_;
    std::map<RecordJob*, void*> handed_;
};

}  // namespace td
