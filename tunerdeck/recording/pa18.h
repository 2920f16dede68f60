// The capture calls the recording side makes, with the meaning they had in
// PortAudio's version 18 interface, over the version 19 library we link.
// Device numbers count input-capable devices first (in the library's
// order), then the others, so "n-th input device" and "device id" agree.
#pragma once

#include <windows.h>
#include <mmsystem.h>

namespace pa18 {

typedef int PaError;
typedef int PaDeviceID;
typedef unsigned long PaSampleFormat;
typedef void PortAudioStream;

constexpr PaDeviceID paNoDevice = -1;
constexpr PaSampleFormat paFloat32 = 1 << 0;
constexpr PaSampleFormat paInt16 = 1 << 1;
constexpr PaSampleFormat paInt32 = 1 << 2;
constexpr PaSampleFormat paInt24 = 1 << 3;
constexpr PaSampleFormat paPackedInt24 = 1 << 4;
constexpr PaSampleFormat paInt8 = 1 << 5;
constexpr PaSampleFormat paUInt8 = 1 << 6;
constexpr unsigned long paClipOff = 1 << 0;
constexpr unsigned long paDitherOff = 1 << 1;

struct PaDeviceInfo {
    int structVersion;
    const char* name;
    int maxInputChannels;
    int maxOutputChannels;
    int numSampleRates;          // -1: sampleRates holds a range (minimum, maximum)
    const double* sampleRates;
    PaSampleFormat nativeSampleFormats;
};

typedef int(PortAudioCallback)(void* inputBuffer, void* outputBuffer, unsigned long framesPerBuffer,
                               double outTime, void* userData);

PaError Pa_Initialize();
PaError Pa_Terminate();
int Pa_CountDevices();
const PaDeviceInfo* Pa_GetDeviceInfo(PaDeviceID id);
PaDeviceID Pa_GetDefaultInputDeviceID();
// inputDevice -1 or unknown: the default input device.
PaError Pa_OpenStream(PortAudioStream** stream, PaDeviceID inputDevice, int numInputChannels,
                      PaSampleFormat inputSampleFormat, void* inputDriverInfo, PaDeviceID outputDevice,
                      int numOutputChannels, PaSampleFormat outputSampleFormat, void* outputDriverInfo,
                      double sampleRate, unsigned long framesPerBuffer, unsigned long numberOfBuffers,
                      unsigned long streamFlags, PortAudioCallback* callback, void* userData);
PaError Pa_OpenDefaultStream(PortAudioStream** stream, int numInputChannels, int numOutputChannels,
                             PaSampleFormat sampleFormat, double sampleRate, unsigned long framesPerBuffer,
                             unsigned long numberOfBuffers, PortAudioCallback* callback, void* userData);
PaError Pa_StartStream(PortAudioStream* stream);
PaError Pa_StopStream(PortAudioStream* stream);
PaError Pa_StreamActive(PortAudioStream* stream);   // 1 active, 0 not, below 0 an error
PaError Pa_CloseStream(PortAudioStream* stream);
const char* Pa_GetErrorText(PaError error);

// The wave handles of an open stream (null when it has no such side).
HWAVEIN GetStreamWaveIn(PortAudioStream* stream);
HWAVEOUT GetStreamWaveOut(PortAudioStream* stream);

}  // namespace pa18
