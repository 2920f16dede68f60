// What the recording pipe needs of the player object: status to the skin
// engine, the bound level and time displays, the settings it reads and
// writes, recording-quality profiles and file names for new pieces. The
// player object implements it; tests record what arrives.
#pragma once

#include <cstddef>

struct RecordJob;

class cPipeHost {
public:
    virtual ~cPipeHost() = default;

    // Status to the skin engine (ReceiveStatus); for 46 the text is the job.
    virtual void SendStatus(char* text, int code) = 0;
    // The skin engine's level meter and recording display (skipped when unbound).
    virtual void SetPeakLevel(int left, int right) = 0;
    virtual void SetRecTime(int freeSeconds, int totalFileBytes, int recordedSeconds, int recordState) = 0;
    // "CRADIOPLAYER " lines of the player's own log.
    virtual void DebugLog(const char* text, int level) = 0;
    // Plain message box with a title; a test host records it instead.
    virtual void ShowMessage(const char* text, const char* title) = 0;

    // Recording quality of the settings (already repaired).
    virtual int GetRecBitsPerSample() = 0;
    virtual int GetRecSampleRate() = 0;
    virtual int GetRecChannels() = 0;
    // Counter of the next free name and that name for a new piece.
    virtual int MakeRecordFileName(const char* current, int counter, char* out, size_t outSize, RecordJob* job) = 0;

    // Settings.
    virtual void GetRecordingDir(char* buffer, size_t size) = 0;
    virtual int GetRecordSkipSilents() = 0;
    virtual int GetAdjustRecordVol() = 0;
    virtual int GetLanguage() = 0;
    virtual int GetRecordingDevice() = 0;
    virtual int GetRecordingSource() = 0;
    virtual void GetQualityMuster(char* buffer, size_t size) = 0;
    virtual void SetRecordingSource(int index) = 0;
    virtual void SetRecordingDevice(int index) = 0;

    // formate.ini profiles (44100/16/2 where a profile lacks a value).
    virtual void GetRecQualitySettings(const char* name, int* sps, int* bps, int* nch) = 0;
    virtual void SetRecQualitySettings(const char* name, int sps, int bps, int nch) = 0;
    // Message text of the catalogue in a language (1 German, 2 English).
    virtual void GetMessageText(unsigned id, int language, char* buffer, size_t size) = 0;

    // Volume display and the playback host's volume (loopback pipe).
    virtual void SendVolumeStatus() = 0;
    virtual void PostVolumeChange(int volume) = 0;
};
