// The player's side of the recording pipe: starting a recording with a free
// file name and the user's quality and cut profiles, stopping it, and the
// mixer operations the skin asks for, each answered with its status text.
// Every operation does nothing while no pipe is attached.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>

#include "record_job.h"

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

    // Takes over `job` (process heap). 1 when the pipe was asked to record;
    // 0 when not: without a pipe the job is freed, without a usable file
    // name it goes back to the skin with status 46 and piece count 0.
    int StartRecording(RecordJob* job, const char* displayText);
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

    cSettings* settings_;
    StatusFn status_;
    CPipe* pipe_ = nullptr;
    int autoCutFolder_ = 0;
    int volume_[3] = {};
    int savedVolume_ = 0, savedDevice_ = 0, savedSource_ = 0, savedAdjust_ = 0;
};

}  // namespace td
