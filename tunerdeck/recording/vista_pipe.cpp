#include "vista_pipe.h"

#include <ksmedia.h>

#include <cstring>

#include "bounded_text.h"
#include "debugtext.h"
#include "downmix.h"

// {00000001-AA42-8A3E-638A-49DD82F9CC34}
const GUID kPlayerSessionGroup = {0x00000001, 0xAA42, 0x8A3E, {0x63, 0x8A, 0x49, 0xDD, 0x82, 0xF9, 0xCC, 0x34}};

namespace {

const CLSID kClsidEnumerator = {0xBCDE0395, 0xE52F, 0x467C, {0x8E, 0x3D, 0xC4, 0x57, 0x92, 0x91, 0x69, 0x2E}};
const IID kIidEnumerator = {0xA95664D2, 0x9614, 0x4F35, {0xA7, 0x46, 0xDE, 0x8D, 0xB6, 0x36, 0x17, 0xE6}};
const IID kIidAudioClient = {0x1CB9AD4C, 0xDBFA, 0x4c32, {0xB1, 0x78, 0xC2, 0xF5, 0x68, 0xA7, 0x03, 0xB2}};
const IID kIidCaptureClient = {0xC8ADBD64, 0xE71E, 0x48a0, {0xA4, 0xDE, 0x18, 0x5C, 0x39, 0x5C, 0xD3, 0x17}};
const IID kIidRenderClient = {0xF294ACFC, 0x3146, 0x4483, {0xA7, 0xBF, 0xAD, 0xDC, 0xA7, 0xC2, 0x60, 0xE2}};
const IID kIidSessionManager = {0xBFA971F1, 0x4D5E, 0x40BB, {0x93, 0x5E, 0x96, 0x70, 0x39, 0xBF, 0xBE, 0xE6}};
const IID kIidEndpointVolume = {0x5CDF2C82, 0x841E, 0x4546, {0x97, 0x22, 0x0C, 0xF7, 0x40, 0x78, 0x22, 0x9A}};
const IID kIidSessionEvents = {0x24918ACC, 0x64B3, 0x37C1, {0x8C, 0xA9, 0x74, 0xA6, 0x6E, 0x99, 0x57, 0xA8}};
const PROPERTYKEY kFriendlyName = {{0xa45c254e, 0xdf1c, 0x4efd, {0x80, 0x20, 0x67, 0xd1, 0x46, 0xa8, 0x50, 0xe0}}, 14};
const GUID kSubPcm = {0x00000001, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
const GUID kSubFloat = {0x00000003, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

template <typename T>
void SafeRelease(T*& p) {
    if (p) p->Release();
    p = nullptr;
}

void LogHr(const char* step, HRESULT hr, const char* call) {
    char line[256];
    bk::TextFormat(line, sizeof line, "%sResultcode: %#lx (%s)", step, static_cast<unsigned long>(hr), call);
    SendDebugText(line, 1);
}

void LogClearedBit(uint32_t maskBefore, uint32_t bit, void*) {
    char line[128];
    bk::TextFormat(line, sizeof line, "mask: %#lx -- m_channel_mask: %#lx", static_cast<unsigned long>(bit),
                   static_cast<unsigned long>(maskBefore));
    SendDebugText(line, 1);
}

void LogFormat(const char* prefix, const WAVEFORMATEX* f) {
    char line[512];
    bk::TextFormat(line, sizeof line,
                   "%snChannels: %d - nSamplesPerSec: %d - nAvgBytesPerSec: %d - nBlockAlign: %d - wBitsPerSample: %d "
                   "- cbSize: %d",
                   prefix, f->nChannels, static_cast<int>(f->nSamplesPerSec), static_cast<int>(f->nAvgBytesPerSec),
                   f->nBlockAlign, f->wBitsPerSample, f->cbSize);
    SendDebugText(line, 7);
}

}  // namespace

HRESULT cAudioSessionEvents::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, kIidSessionEvents)) {
        *out = static_cast<IAudioSessionEvents*>(this);
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

HRESULT cAudioSessionEvents::OnSimpleVolumeChanged(float volume, BOOL, LPCGUID context) {
    if (!player_) return S_OK;
    if (context && IsEqualGUID(*context, kPlayerSessionGroup)) player_->PostVolumeChange(static_cast<int>(volume * 100 + 0.5f));
    else player_->SendVolumeStatus();
    return S_OK;
}

cVistaPipe::cVistaPipe(cPipeHost* player) : CPipe(player, false) {
    comInitialised_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    Log("Vista-Pipe - Constructor");
    Log("Vista-Pipe - Constructor ok");
}

cVistaPipe::~cVistaPipe() {
    // The capture thread must be gone before the recording side goes.
    listening_ = 0;
    if (captureThread_.joinable()) captureThread_.join();
    if (recording_) CPipe::StopRecordingToFile();
    ReleaseAll();
    free(convBuffer_);
    convBuffer_ = nullptr;
    if (comInitialised_) CoUninitialize();
}

void cVistaPipe::InitPipe() { Log("Vista-Pipe - InitPipe"); }

void cVistaPipe::ReleaseAll() {
    SafeRelease(capture_);
    SafeRelease(client_);
    SafeRelease(renderClient_);
    SafeRelease(endpointVolume_);
    SafeRelease(device_);
    SafeRelease(enumerator_);
}

void cVistaPipe::DeInitPipe() {
    SafeRelease(capture_);
    SafeRelease(client_);
    SafeRelease(device_);
    SafeRelease(enumerator_);
}

bool cVistaPipe::LoopbackAvailable() {
    bool com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    bool ok = false;
    IMMDeviceEnumerator* en = nullptr;
    IMMDevice* dev = nullptr;
    IAudioClient* client = nullptr;
    IAudioCaptureClient* cap = nullptr;
    WAVEFORMATEX* mix = nullptr;
    if (SUCCEEDED(CoCreateInstance(kClsidEnumerator, nullptr, CLSCTX_ALL, kIidEnumerator, reinterpret_cast<void**>(&en))) &&
        SUCCEEDED(en->GetDefaultAudioEndpoint(eRender, eConsole, &dev)) &&
        SUCCEEDED(dev->Activate(kIidAudioClient, CLSCTX_INPROC_SERVER, nullptr, reinterpret_cast<void**>(&client))) &&
        SUCCEEDED(client->GetMixFormat(&mix)) &&
        SUCCEEDED(client->Initialize(AUDCLNT_SHAREMODE_SHARED, AUDCLNT_STREAMFLAGS_LOOPBACK, 10000000, 0, mix, nullptr)) &&
        SUCCEEDED(client->GetService(kIidCaptureClient, reinterpret_cast<void**>(&cap))))
        ok = true;
    if (mix) CoTaskMemFree(mix);
    SafeRelease(cap);
    SafeRelease(client);
    SafeRelease(dev);
    SafeRelease(en);
    if (com) CoUninitialize();
    return ok;
}

void cVistaPipe::StartListening() {
    bk::ScopedLock hold(cs_);
    RepairWaveFormat();
    if (device_) {   // set up once; later calls only recompute the rate
        SetBytesPerSecondFromFormat();
        return;
    }
    HRESULT hr = CoCreateInstance(kClsidEnumerator, nullptr, CLSCTX_ALL, kIidEnumerator,
                                  reinterpret_cast<void**>(&enumerator_));
    if (FAILED(hr)) {
        LogHr("", hr, "CoCreateInstance");
        return;
    }
    hr = enumerator_->GetDefaultAudioEndpoint(eRender, eConsole, &device_);
    if (FAILED(hr)) {
        LogHr("", hr, "GetDefaultAudioEndpoint");
        return;
    }
    LPWSTR id = nullptr;
    if (SUCCEEDED(device_->GetId(&id)) && id) {
        char line[600];
        bk::TextFormat(line, sizeof line, "DeviceID: %S", id);
        Log(line);
        IPropertyStore* props = nullptr;
        if (SUCCEEDED(device_->OpenPropertyStore(STGM_READ, &props))) {
            PROPVARIANT name;
            PropVariantInit(&name);
            if (SUCCEEDED(props->GetValue(kFriendlyName, &name)) && name.vt == VT_LPWSTR) {
                bk::TextFormat(line, sizeof line, "Endpoint: \"%S\" (%S)\n", name.pwszVal, id);
                Log(line);
            }
            PropVariantClear(&name);
            props->Release();
        }
        CoTaskMemFree(id);
    }

    Log("Hole audioSessionManager...");
    IAudioSessionManager* manager = nullptr;
    hr = device_->Activate(kIidSessionManager, CLSCTX_INPROC_SERVER, nullptr, reinterpret_cast<void**>(&manager));
    if (FAILED(hr)) LogHr("Hole audioSessionManager...", hr, "m_pDevice->Activate");
    Log("Hole IAudioEndpointVolume...");
    hr = device_->Activate(kIidEndpointVolume, CLSCTX_INPROC_SERVER, nullptr, reinterpret_cast<void**>(&endpointVolume_));
    if (FAILED(hr)) LogHr("Hole IAudioEndpointVolume...", hr, "m_pDevice->Activate");
    if (manager) {
        Log("Hole AudioSessionControl...");
        IAudioSessionControl* control = nullptr;
        hr = manager->GetAudioSessionControl(nullptr, 1, &control);
        if (FAILED(hr)) LogHr("Hole AudioSessionControl...", hr, "GetAudioSessionControl");
        manager->Release();
        if (control) {
            // The sink lives as long as the process: the session may call it late.
            if (!events_) events_ = new cAudioSessionEvents(player_);
            control->RegisterAudioSessionNotification(events_);
            control->SetGroupingParam(&kPlayerSessionGroup, nullptr);
            control->SetDisplayName(L"Dorizedododar", nullptr);
            control->Release();
        }
    }

    Log("Hole AudioClient...");
    hr = device_->Activate(kIidAudioClient, CLSCTX_INPROC_SERVER, nullptr, reinterpret_cast<void**>(&client_));
    if (FAILED(hr)) {
        LogHr("Hole AudioClient...", hr, "m_pDevice->Activate");
        return;
    }
    Log("Hole AudioClientr...");
    hr = device_->Activate(kIidAudioClient, CLSCTX_INPROC_SERVER, nullptr, reinterpret_cast<void**>(&renderClient_));
    if (FAILED(hr)) {
        LogHr("Hole AudioClientr...", hr, "m_pDevice->Activate");
        return;
    }

    Log("Hole MixFormat...");
    WAVEFORMATEX* mix = nullptr;
    hr = client_->GetMixFormat(&mix);
    if (FAILED(hr) || !mix) {
        LogHr("Hole MixFormat...", hr, "GetMixFormat");
        return;
    }
    char line[512];
    bk::TextFormat(line, sizeof line,
                   "Format-> FormatTag: %d - nChannels: %d - nSamplesPerSec: %d - nAvgBytesPerSec: %d - nBlockAlign: %d "
                   "- wBitsPerSample: %d - cbSize: %d",
                   mix->wFormatTag, mix->nChannels, static_cast<int>(mix->nSamplesPerSec),
                   static_cast<int>(mix->nAvgBytesPerSec), mix->nBlockAlign, mix->wBitsPerSample, mix->cbSize);
    Log(line);
    // Ask for 16-bit integers at the mix rate and channel count.
    bool extensible = mix->wFormatTag == WAVE_FORMAT_EXTENSIBLE && mix->cbSize >= 22;
    if (extensible) {
        WAVEFORMATEXTENSIBLE* x = reinterpret_cast<WAVEFORMATEXTENSIBLE*>(mix);
        x->SubFormat = kSubPcm;
        x->Samples.wValidBitsPerSample = 16;
        mix->wBitsPerSample = 16;
        Log("MixFormat...WAVE_FORMAT_EXTENSIBLE...ok");
    } else {
        mix->wFormatTag = WAVE_FORMAT_PCM;
        mix->wBitsPerSample = 16;
        mix->cbSize = 0;
        Log("MixFormat...WAVE_FORMAT_PCM...ok");
    }
    mix->nBlockAlign = static_cast<WORD>(mix->nChannels * 2);
    mix->nAvgBytesPerSec = mix->nBlockAlign * mix->nSamplesPerSec;

    WAVEFORMATEX* closest = nullptr;
    hr = client_->IsFormatSupported(AUDCLNT_SHAREMODE_SHARED, mix, &closest);
    WAVEFORMATEX* used = nullptr;
    if (hr == AUDCLNT_E_UNSUPPORTED_FORMAT) {
        Log("Audioformat wird nicht unterst\xfctzt", 1);
    } else if (hr == S_FALSE && closest) {
        Log("Audioclient Initialisieren mit def Format...");
        used = closest;
    } else if (SUCCEEDED(hr)) {
        Log("Audioclient Initialisieren...");
        LogFormat("Init mit ", mix);
        used = mix;
    } else {
        LogHr("IsFormatSupported...", hr, "IsFormatSupported");
    }
    UINT32 frames = 0;
    if (used) {
        hr = client_->Initialize(AUDCLNT_SHAREMODE_SHARED, AUDCLNT_STREAMFLAGS_LOOPBACK, 10000000, 0, used, nullptr);
        if (FAILED(hr)) LogHr("Audioclient Initialisieren...", hr, "AudioClient->Initialize");
        hr = renderClient_->Initialize(AUDCLNT_SHAREMODE_SHARED, 0, 10000000, 0, used, nullptr);
        if (FAILED(hr)) LogHr("Audioclient Initialisieren...", hr, "AudioClientr->Initialize");

        // A silent render stream keeps the endpoint running while nothing plays.
        IAudioRenderClient* render = nullptr;
        if (SUCCEEDED(renderClient_->GetService(kIidRenderClient, reinterpret_cast<void**>(&render))) && render) {
            BYTE* buf = nullptr;
            Log("m_pRenderClient->GetBuffer...");
            if (SUCCEEDED(render->GetBuffer(1000, &buf))) {
                Log("m_pRenderClient->ReleaseBuffer...");
                render->ReleaseBuffer(1000, AUDCLNT_BUFFERFLAGS_SILENT);
                Log("...ok");
            }
            render->Release();
        }
        if (FAILED(client_->GetBufferSize(&frames))) frames = 0;
        bk::TextFormat(line, sizeof line, "BufferFrameCount: %d", static_cast<int>(frames));
        Log(line);
        Log("hole AudioCaptureClient...");
        hr = client_->GetService(kIidCaptureClient, reinterpret_cast<void**>(&capture_));
        if (FAILED(hr)) LogHr("hole AudioCaptureClient...", hr, "AudioClient->GetService");
        listening_ = 1;

        // What arrives: channels, sample type and speakers of the format used.
        sourceChannels_ = used->nChannels > 0 ? used->nChannels : 2;
        sourceFloat_ = false;
        uint32_t mask = 0;
        if (used->wFormatTag == WAVE_FORMAT_EXTENSIBLE && used->cbSize >= 22) {
            const WAVEFORMATEXTENSIBLE* x = reinterpret_cast<const WAVEFORMATEXTENSIBLE*>(used);
            mask = x->dwChannelMask;
            sourceFloat_ = IsEqualGUID(x->SubFormat, kSubFloat) != 0;
        } else {
            sourceFloat_ = used->wFormatTag == WAVE_FORMAT_IEEE_FLOAT;
        }
        if (!sourceFloat_ && used->wBitsPerSample != 16) sourceChannels_ = 0;   // nothing we can read
        if (mask == 0) mask = DefaultSpeakerMask(sourceChannels_);
        speakerMask_ = TrimSpeakerMask(mask, sourceChannels_, LogClearedBit, nullptr);

        // The recording side always gets 16-bit stereo at the capture rate.
        waveFormat_.SetBitsPerSample(16);
        waveFormat_.SetSampleRate(static_cast<int>(used->nSamplesPerSec));
        waveFormat_.SetChannels(2);
        streamBits_ = 16;
        streamRate_ = static_cast<int>(used->nSamplesPerSec);
        streamChannels_ = 2;
        convFrames_ = frames ? frames * 2 : 96000;
        free(convBuffer_);
        convBuffer_ = static_cast<int16_t*>(calloc(convFrames_ * 2, sizeof(int16_t)));
        bk::TextFormat(line, sizeof line, "samples: %d, bps: %d, BlockAlign: %d, buff_size: %d", static_cast<int>(frames),
                       waveFormat_.GetBitsPerSample(), waveFormat_.GetBlockAlign(),
                       static_cast<int>(convFrames_ * 4));
        Log(line);
        LogFormat("Soundbase mit ", waveFormat_.GetFormat());
        if (!captureThread_.joinable()) {
            ++threadStarts_;
            captureThread_ = std::thread(&cVistaPipe::ListenToStream, this);
        }
    }
    if (closest) CoTaskMemFree(closest);
    CoTaskMemFree(mix);
    SetBytesPerSecondFromFormat();
}

void cVistaPipe::ListenToStream() {
    if (!client_) {
        Log("kein Audioclient vorhanden (ListenToStream)", 1);
        return;
    }
    Log("Start audioclient...(ListenToStream)");
    HRESULT hr = client_->Start();
    if (FAILED(hr)) LogHr("", hr, "AudioClient->Start");
    if (!capture_) {
        Log("kein captureclient vorhanden (ListenToStream)", 1);
    } else {
        Log("Enter listen loop");
        bool getFailed = false, flagged = false, wrote = false;
        while (listening_ == 1) {
            UINT32 packet = 0;
            if (FAILED(capture_->GetNextPacketSize(&packet)) || packet == 0) {
                Sleep(50);
                continue;
            }
            BYTE* data = nullptr;
            UINT32 frames = 0;
            DWORD flags = 0;
            hr = capture_->GetBuffer(&data, &frames, &flags, nullptr, nullptr);
            if (FAILED(hr)) {
                if (!getFailed) LogHr("", hr, "CaptureClient->GetBuffer");
                getFailed = true;
                Sleep(50);
                continue;
            }
            getFailed = false;
            if (frames == 0 || flags != 0) {
                if (!flagged) {
                    char line[128];
                    bk::TextFormat(line, sizeof line, "Num_Samples: %d Flags: %#lx (CaptureClient->GetBuffer)",
                                   static_cast<int>(frames), static_cast<unsigned long>(flags));
                    Log(line);
                }
                flagged = true;
                capture_->ReleaseBuffer(frames);
                Sleep(10);
                continue;
            }
            flagged = false;
            if (!wrote) Log("write samples");
            wrote = true;
            ProcessSamples(data, frames);
            hr = capture_->ReleaseBuffer(frames);
            if (FAILED(hr)) LogHr("", hr, "CaptureClient->ReleaseBuffer");
        }
        Log("Leave listen loop");
    }
    client_->Stop();
}

void cVistaPipe::ProcessSamples(const void* data, unsigned frames) {
    if (!convBuffer_ || !data || sourceChannels_ <= 0) return;
    // Packets larger than the buffer go in several passes.
    const uint8_t* src = static_cast<const uint8_t*>(data);
    size_t frameBytes = static_cast<size_t>(sourceChannels_) * (sourceFloat_ ? 4 : 2);
    while (frames > 0) {
        unsigned n = frames < convFrames_ ? frames : static_cast<unsigned>(convFrames_);
        DownmixToStereo16(src, n, sourceChannels_, sourceFloat_, speakerMask_, convBuffer_);
        ProcessBlock(convBuffer_, n, 2, 16);
        src += n * frameBytes;
        frames -= n;
    }
}

void cVistaPipe::AdjustRecordLevel() { ResetEvent(levelEvent_.Get()); }

void cVistaPipe::SetMasterVolume(int value) {
    if (!endpointVolume_) return;
    float v = value < 0 ? 0.0f : (value > 100 ? 1.0f : value / 100.0f);
    endpointVolume_->SetMasterVolumeLevelScalar(v, nullptr);
}

void cVistaPipe::SetRecordSource(int) {
    StartListening();
    levelStep_ = levelMax_ = levelMin_ = levelValue_ = -1;
}

void cVistaPipe::SetRecordDevice(int) { StartListening(); }

int cVistaPipe::GetRecordLevel(int* value, int* maximum, int* minimum, int* step) {
    if (value) *value = levelValue_;
    if (maximum) *maximum = levelMax_;
    if (minimum) *minimum = levelMin_;
    if (step) *step = levelStep_;
    return 1;
}

void cVistaPipe::GetMasterVolume(int* value, int* maximum, int* minimum, int* step) {
    int v = 50;
    float scalar = 0;
    if (endpointVolume_ && SUCCEEDED(endpointVolume_->GetMasterVolumeLevelScalar(&scalar)))
        v = static_cast<int>(scalar * 100 + 0.5f);
    if (value) *value = v;
    if (maximum) *maximum = 100;
    if (minimum) *minimum = 0;
    if (step) *step = 1;
}

void cVistaPipe::GetWaveOutVolume(int* value, int* maximum, int* minimum, int* step) {
    if (value) *value = -1;
    if (maximum) *maximum = -1;
    if (minimum) *minimum = -1;
    if (step) *step = -1;
}

void cVistaPipe::SetOutputSwitch(int on) {
    if (endpointVolume_) endpointVolume_->SetMute(on ? FALSE : TRUE, nullptr);
}

CPipe* CreateRecordingPipe(cPipeHost* player) {
    OSVERSIONINFOA v = {};
    v.dwOSVersionInfoSize = sizeof v;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    bool vista = GetVersionExA(&v) && v.dwMajorVersion > 5;
#pragma GCC diagnostic pop
    if (vista && cVistaPipe::LoopbackAvailable()) return new cVistaPipe(player);
    return new CPipe(player);
}
