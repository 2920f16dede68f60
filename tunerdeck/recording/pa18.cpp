#include "pa18.h"

// The version 18 sample formats, taken before the version 19 header
// defines macros of the same names with other values.
namespace {
constexpr unsigned long kV18Float32 = pa18::paFloat32;
constexpr unsigned long kV18Int16 = pa18::paInt16;
constexpr unsigned long kV18Int32 = pa18::paInt32;
constexpr unsigned long kV18Int24 = pa18::paInt24 | pa18::paPackedInt24;
constexpr unsigned long kV18Int8 = pa18::paInt8;
constexpr unsigned long kV18UInt8 = pa18::paUInt8;
}  // namespace

#include <portaudio.h>
#include <pa_win_wmme.h>

#include <vector>

namespace pa18 {
namespace {

struct Device {
    PaDeviceIndex v19;
    PaDeviceInfo info;
    double range[2];
};

std::vector<Device> g_devices;   // built at Pa_Initialize, input devices first
int g_initCount = 0;

struct Stream {
    PaStream* s = nullptr;
    PortAudioCallback* cb = nullptr;
    void* user = nullptr;
};

int Trampoline(const void* input, void* output, unsigned long frames, const PaStreamCallbackTimeInfo* time,
               PaStreamCallbackFlags, void* user) {
    Stream* st = static_cast<Stream*>(user);
    int rc = st->cb(const_cast<void*>(input), output, frames, time ? time->outputBufferDacTime : 0.0, st->user);
    return rc == 0 ? paContinue : paComplete;
}

void BuildTable() {
    g_devices.clear();
    int n = ::Pa_GetDeviceCount();
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < n; ++i) {
            const ::PaDeviceInfo* d = ::Pa_GetDeviceInfo(i);
            if (!d) continue;
            bool input = d->maxInputChannels > 0;
            if ((pass == 0) != input) continue;
            Device dev = {};
            dev.v19 = i;
            dev.info.structVersion = 1;
            dev.info.name = d->name;
            dev.info.maxInputChannels = d->maxInputChannels;
            dev.info.maxOutputChannels = d->maxOutputChannels;
            dev.info.numSampleRates = -1;
            dev.info.nativeSampleFormats = kV18Int16 | kV18UInt8 | kV18Float32;
            g_devices.push_back(dev);
        }
    }
    for (Device& d : g_devices) {
        d.range[0] = 8000.0;
        d.range[1] = 96000.0;
        d.info.sampleRates = d.range;
    }
}

// The two versions number their sample formats differently (v18 paInt16 is
// v19's paInt32).
::PaSampleFormat ToV19Format(PaSampleFormat f) {
    if (f & kV18Float32) return paFloat32;
    if (f & kV18Int16) return paInt16;
    if (f & kV18Int32) return paInt32;
    if (f & kV18Int24) return paInt24;
    if (f & kV18Int8) return paInt8;
    if (f & kV18UInt8) return paUInt8;
    return paInt16;
}

PaDeviceIndex ToV19Input(PaDeviceID id) {
    if (id >= 0 && id < static_cast<int>(g_devices.size()) && g_devices[id].info.maxInputChannels > 0)
        return g_devices[id].v19;
    return ::Pa_GetDefaultInputDevice();
}


}  // namespace

PaError Pa_Initialize() {
    PaError rc = ::Pa_Initialize();
    if (rc == paNoError && g_initCount++ == 0) BuildTable();
    return rc;
}

PaError Pa_Terminate() {
    if (g_initCount > 0 && --g_initCount == 0) g_devices.clear();
    return ::Pa_Terminate();
}

int Pa_CountDevices() { return static_cast<int>(g_devices.size()); }

const PaDeviceInfo* Pa_GetDeviceInfo(PaDeviceID id) {
    if (id < 0 || id >= static_cast<int>(g_devices.size())) return nullptr;
    return &g_devices[id].info;
}

PaDeviceID Pa_GetDefaultInputDeviceID() {
    PaDeviceIndex def = ::Pa_GetDefaultInputDevice();
    for (size_t i = 0; i < g_devices.size(); ++i)
        if (g_devices[i].v19 == def) return static_cast<PaDeviceID>(i);
    return paNoDevice;
}

static PaError OpenCommon(PortAudioStream** stream, PaDeviceIndex inDev, int inCh, PaSampleFormat inFmt,
                          PaDeviceIndex outDev, int outCh, PaSampleFormat outFmt, double rate,
                          unsigned long frames, unsigned long flags, PortAudioCallback* callback, void* user) {
    if (!stream) return paBadStreamPtr;
    *stream = nullptr;
    PaStreamParameters in = {}, out = {};
    PaStreamParameters* pin = nullptr;
    PaStreamParameters* pout = nullptr;
    if (inCh > 0) {
        if (inDev == paNoDevice) return paInvalidDevice;
        const ::PaDeviceInfo* d = ::Pa_GetDeviceInfo(inDev);
        in.device = inDev;
        in.channelCount = inCh;
        in.sampleFormat = ToV19Format(inFmt);
        in.suggestedLatency = d ? d->defaultLowInputLatency : 0.1;
        pin = &in;
    }
    if (outCh > 0) {
        if (outDev == paNoDevice) return paInvalidDevice;
        const ::PaDeviceInfo* d = ::Pa_GetDeviceInfo(outDev);
        out.device = outDev;
        out.channelCount = outCh;
        out.sampleFormat = ToV19Format(outFmt);
        out.suggestedLatency = d ? d->defaultLowOutputLatency : 0.1;
        pout = &out;
    }
    Stream* st = new Stream;
    st->cb = callback;
    st->user = user;
    PaError rc = ::Pa_OpenStream(&st->s, pin, pout, rate, frames, flags & (paClipOff | paDitherOff),
                                 callback ? Trampoline : nullptr, st);
    if (rc != paNoError) {
        delete st;
        return rc;
    }
    *stream = st;
    return paNoError;
}

PaError Pa_OpenStream(PortAudioStream** stream, PaDeviceID inputDevice, int numInputChannels,
                      PaSampleFormat inputSampleFormat, void*, PaDeviceID outputDevice, int numOutputChannels,
                      PaSampleFormat outputSampleFormat, void*, double sampleRate, unsigned long framesPerBuffer,
                      unsigned long, unsigned long streamFlags, PortAudioCallback* callback, void* userData) {
    PaDeviceIndex in = numInputChannels > 0 ? ToV19Input(inputDevice) : paNoDevice;
    PaDeviceIndex out = paNoDevice;
    if (numOutputChannels > 0) {
        out = (outputDevice >= 0 && outputDevice < static_cast<int>(g_devices.size()))
                  ? g_devices[outputDevice].v19
                  : ::Pa_GetDefaultOutputDevice();
    }
    return OpenCommon(stream, in, numInputChannels, inputSampleFormat, out, numOutputChannels, outputSampleFormat,
                      sampleRate, framesPerBuffer, streamFlags, callback, userData);
}

PaError Pa_OpenDefaultStream(PortAudioStream** stream, int numInputChannels, int numOutputChannels,
                             PaSampleFormat sampleFormat, double sampleRate, unsigned long framesPerBuffer,
                             unsigned long, PortAudioCallback* callback, void* userData) {
    return OpenCommon(stream, numInputChannels > 0 ? ::Pa_GetDefaultInputDevice() : paNoDevice, numInputChannels,
                      sampleFormat, numOutputChannels > 0 ? ::Pa_GetDefaultOutputDevice() : paNoDevice,
                      numOutputChannels, sampleFormat, sampleRate, framesPerBuffer, 0, callback, userData);
}

PaError Pa_StartStream(PortAudioStream* stream) {
    Stream* st = static_cast<Stream*>(stream);
    return st ? ::Pa_StartStream(st->s) : paBadStreamPtr;
}

PaError Pa_StopStream(PortAudioStream* stream) {
    Stream* st = static_cast<Stream*>(stream);
    if (!st) return paBadStreamPtr;
    if (::Pa_IsStreamStopped(st->s) == 1) return paNoError;
    return ::Pa_StopStream(st->s);
}

PaError Pa_StreamActive(PortAudioStream* stream) {
    Stream* st = static_cast<Stream*>(stream);
    return st ? ::Pa_IsStreamActive(st->s) : paBadStreamPtr;
}

PaError Pa_CloseStream(PortAudioStream* stream) {
    Stream* st = static_cast<Stream*>(stream);
    if (!st) return paBadStreamPtr;
    PaError rc = ::Pa_CloseStream(st->s);
    delete st;
    return rc;
}

const char* Pa_GetErrorText(PaError error) { return ::Pa_GetErrorText(error); }

HWAVEIN GetStreamWaveIn(PortAudioStream* stream) {
    Stream* st = static_cast<Stream*>(stream);
    if (!st || ::PaWinMME_GetStreamInputHandleCount(st->s) <= 0) return nullptr;
    return ::PaWinMME_GetStreamInputHandle(st->s, 0);
}

HWAVEOUT GetStreamWaveOut(PortAudioStream* stream) {
    Stream* st = static_cast<Stream*>(stream);
    if (!st || ::PaWinMME_GetStreamOutputHandleCount(st->s) <= 0) return nullptr;
    return ::PaWinMME_GetStreamOutputHandle(st->s, 0);
}

}  // namespace pa18
