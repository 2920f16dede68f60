// The recording pipe of Windows Vista and later: loopback capture of the
// default render endpoint (what the computer plays, whatever the recording
// source), folded down to 16-bit stereo before the recording side of CPipe.
#pragma once

#include <windows.h>
#include <audioclient.h>
#include <audiopolicy.h>
#include <endpointvolume.h>
#include <mmdeviceapi.h>

#include <thread>

#include "pipe.h"

class cAudioSessionEvents : public IAudioSessionEvents {
public:
    explicit cAudioSessionEvents(cPipeHost* player) : player_(player) {}
    virtual ~cAudioSessionEvents() = default;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE OnDisplayNameChanged(LPCWSTR, LPCGUID) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnIconPathChanged(LPCWSTR, LPCGUID) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnSimpleVolumeChanged(float volume, BOOL mute, LPCGUID context) override;
    HRESULT STDMETHODCALLTYPE OnChannelVolumeChanged(DWORD, float*, DWORD, LPCGUID) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnGroupingParamChanged(LPCGUID, LPCGUID) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnStateChanged(AudioSessionState) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnSessionDisconnected(AudioSessionDisconnectReason) override { return S_OK; }

private:
    cPipeHost* player_;
};

// The fixed grouping identifier of the player's audio session.
extern const GUID kPlayerSessionGroup;

class cVistaPipe : public CPipe {
public:
    explicit cVistaPipe(cPipeHost* player);
    ~cVistaPipe() override;

    void InitPipe() override;
    void DeInitPipe() override;
    void ProcessSamples(const void* data, unsigned frames) override;
    void StartListening() override;
    void StopListening() override {}
    void AdjustRecordLevel() override;
    void SetWaveOutVolume(int) override {}
    void SetMasterVolume(int value) override;
    int Reserved18() override { return 0; }
    void GetDeviceNames(std::string&) override {}
    void GetSourceNames(std::string&) override {}
    void SetRecordSource(int index) override;
    void SetRecordDevice(int n) override;
    int GetRecordSource() override { return -1; }
    void SetRecordLevel(int) override {}
    int GetRecordLevel(int* value, int* maximum, int* minimum, int* step) override;
    void GetMasterVolume(int* value, int* maximum, int* minimum, int* step) override;
    void GetWaveOutVolume(int* value, int* maximum, int* minimum, int* step) override;
    void SetOutputSwitch(int on) override;
    void CloseStream() override { stream_ = nullptr; }
    int OpenMixerStream(pa18::PortAudioStream**) override { return 0; }
    int OpenStream(int*) override { return 0; }

    bool HasCaptureClient() const { return capture_ != nullptr; }
    bool CaptureThreadRunning() const { return captureThread_.joinable(); }
    int CaptureThreadStarts() const { return threadStarts_; }
    uint32_t GetSpeakerMask() const { return speakerMask_; }

    // Whether loopback capture of the default render endpoint works here
    // (Wine, for one, lacks its capture service).
    static bool LoopbackAvailable();

private:
    void ListenToStream();
    void ReleaseAll();

    IAudioCaptureClient* capture_ = nullptr;
    IAudioClient* client_ = nullptr;
    IAudioClient* renderClient_ = nullptr;
    IAudioEndpointVolume* endpointVolume_ = nullptr;
    IMMDeviceEnumerator* enumerator_ = nullptr;
    IMMDevice* device_ = nullptr;
    int16_t* convBuffer_ = nullptr;
    size_t convFrames_ = 0;
    uint32_t speakerMask_ = 0;
    int sourceChannels_ = 2;
    bool sourceFloat_ = false;
    cAudioSessionEvents* events_ = nullptr;
    std::thread captureThread_;
    int threadStarts_ = 0;
    bool comInitialised_ = false;
};
