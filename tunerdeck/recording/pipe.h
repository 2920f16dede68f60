// The recording pipe: captures what the sound card delivers, measures the
// peaks for the level meter, writes WAV or MP3 recordings (cut into pieces
// on request), skips silence, lowers the input level when the signal clips
// and reports all of it to the player object.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include "pa18.h"
#include "pipe_host.h"
#include "record_job.h"
#include "wave_file.h"
#include "win_handles.h"

class cLameMP3;

class CPipe {
public:
    explicit CPipe(cPipeHost* player);
    virtual ~CPipe();
    CPipe(const CPipe&) = delete;
    CPipe& operator=(const CPipe&) = delete;

    virtual int GetFreeRecordTime();
    virtual void InitPipe();
    virtual void DeInitPipe();
    virtual void SendStatus();
    virtual void StopRecordingToFile();
    virtual void SetRecordFormat(int format);
    virtual void StartRecordingToFile(RecordJob* job, int counter);
    virtual void ProcessSamples(const void* data, unsigned frames);
    virtual void StartListening();
    virtual void StopListening();
    virtual int IsRecording();
    virtual void SetFormatFlag(int format);
    virtual void OnThreadEnd();
    virtual void AdjustRecordLevel();
    virtual void StartLevelAdjust();
    virtual void SetWaveOutVolume(int value);
    virtual void SetMasterVolume(int value);
    virtual int Reserved18();
    virtual void GetDeviceNames(std::string& text);
    virtual void GetSourceNames(std::string& text);
    virtual void SetRecordSource(int index);
    virtual void SetRecordDevice(int n);
    virtual int GetRecordSource();
    virtual void SetRecordLevel(int level);
    // 1 when the four values are known, 0 when the mixer could not be read.
    virtual int GetRecordLevel(int* value, int* maximum, int* minimum, int* step);
    virtual void GetMasterVolume(int* value, int* maximum, int* minimum, int* step);
    virtual void GetWaveOutVolume(int* value, int* maximum, int* minimum, int* step);
    virtual void SetOutputSwitch(int on);
    virtual void CloseStream();
    virtual int OpenMixerStream(pa18::PortAudioStream** stream);
    virtual int OpenStream(int* alreadyOpen);
    virtual void ApplyPlayerQuality();
    virtual int GetCutValue();
    virtual int GetCutType();

    // The player calls this before it lets the skin engine go: no level or
    // time report reaches the engine afterwards (a report under way ends
    // before this returns).
    void DetachSkin();
    void AttachSkin();

    // For tests and diagnostics.
    int IsListening() const { return listening_; }
    int GetRecordState() const { return recordState_; }
    int GetStepMultiplier() const { return stepMultiplier_; }
    int GetPieceCounter() const { return pieceCounter_; }
    uint64_t GetRecordedBytes() const { return recordedBytes_; }
    const cWaveFormat& GetWaveFormat() const { return waveFormat_; }
    void SetPauseScale(int percent) { pausePercent_ = percent; }        // 100: as specified
    void SetWavePieceLimit(uint64_t bytes) { wavePieceLimit_ = bytes; }  // default 2 GiB
    void ArmLevelAdjust(int on) { levelAdjust_ = on; }

protected:
    // For the loopback pipe: no sound-card capture set-up at all.
    CPipe(cPipeHost* player, bool soundCard);
    void Pause(DWORD ms) const;
    void Log(const char* text, int level = 7) const;
    void ProcessBlock(const void* data, unsigned frames, int channels, int bits);
    void WriteBlock(const void* data, unsigned frames, int channels, int bits, int rangeL, int rangeR);
    void StopDataThread();
    uint64_t GetBytesPerSecond() const { return bytesPerSec_; }
    void SetBytesPerSecondFromFormat();
    void RepairWaveFormat();
    // The recording quality of the running job's profile (or the current
    // one), as the capture can deliver it.
    void ApplyJobQuality(int* sps, int* bps, int* nch);
    void SetPeaksToSkin(int left, int right);
    void SetRecTimeToSkin(int freeSeconds, uint64_t totalFileBytes, uint64_t recordedSeconds, int state);

    // quit, status, level: manual-reset events
    bk::ScopedHandle quitEvent_, statusEvent_, levelEvent_;
    RecordJob* job_ = nullptr;
    cLameMP3* mp3_ = nullptr;
    cWaveFile* wav_ = nullptr;
    struct DeviceEntry {
        pa18::PaDeviceInfo info;
        std::string name;
    };
    DeviceEntry* devices_ = nullptr;
    int deviceCount_ = 0;
    pa18::PortAudioStream* stream_ = nullptr;
    cPipeHost* player_ = nullptr;
    std::atomic<int> recording_{0};
    std::atomic<int> listening_{0};
    int skipSilence_ = 0;
    int silenceThreshold_ = 65;
    int silenceBlockLimit_ = 30;
    int levelAdjust_ = 0;
    int peakThreshold_ = 990;
    int streamBits_ = 0, streamRate_ = 0, streamChannels_ = 0;
    int recordFormat_ = 0;
    uint64_t recordedBytes_ = 0, piecePcmBytes_ = 0, pieceFileBytes_ = 0, totalFileBytes_ = 0;
    uint64_t bytesPerSec_ = 0;
    bk::CriticalSection cs_;         // stream open/close and mixer access
    bk::CriticalSection targetCs_;   // the targets and the job, between the callback and the player
    bk::CriticalSection skinCs_;     // the skin engine's displays
    bool skinAttached_ = true;
    using DiskFreeFn = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
    DiskFreeFn getDiskFree_ = nullptr;
    std::atomic<int> threadEnded_{0};
    std::atomic<int> peakLeft_{0}, peakRight_{0};
    std::atomic<int> recordState_{0};
    std::atomic<int> stepMultiplier_{1};
    int pieceCounter_ = 0;
    int prevRangeLeft_ = 0, prevRangeRight_ = 0;
    cWaveFormat waveFormat_;
    int levelStep_ = -1, levelMax_ = -1, levelMin_ = -1, levelValue_ = -1;
    int lastPeakLeft_ = -1, lastPeakRight_ = -1;
    DWORD lastTimeReport_ = 0;
    int silentBlocks_ = 0;

private:
    void DataToSystemThread();
    bool CutPiece();
    void FinishTargets();
    static int BlockCallback(void* input, void* output, unsigned long frames, double outTime, void* user);

    bool soundCard_ = true;
    bool paInitialised_ = false;
    std::thread thread_;
    int pausePercent_ = 100;
    uint64_t wavePieceLimit_ = 0x7FFFFFFFull;
};

// The pipe the player creates: the loopback pipe on Windows Vista and later
// when loopback capture works there, the sound-card pipe otherwise.
CPipe* CreateRecordingPipe(cPipeHost* player);
