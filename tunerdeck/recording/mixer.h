// A thin layer over the Windows mixer API, opened on the wave handles of a
// capture or output stream: recording sources and their input level, the
// master and wave-out volumes, and the output switches. Each use opens the
// mixer, acts and closes it again.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include "pa18.h"

constexpr int kMaxMixerSources = 32;

struct MixerEntry {
    char name[64];
    DWORD lineId;
    DWORD volumeControl;     // 0: the line has none
    DWORD minimum;
    DWORD maximum;
    DWORD steps;
};

struct MixerInfo {
    HMIXER in;               // 0 when the stream has no input side
    HMIXER out;              // 0 when the stream has no output side
    int numSources;          // at most kMaxMixerSources
    MixerEntry entries[kMaxMixerSources];
    DWORD selectControl;     // MUX, or MIXER when there is no MUX
    DWORD selectType;
    DWORD selectItems;       // the control's own item count (may exceed the entries)
    DWORD masterControl;
    DWORD speakersLine;
    DWORD waveOutControl;
    DWORD waveOutLine;
};

// The mixer functions, replaceable for tests (null: the system's).
struct MixerApi {
    MMRESULT(WINAPI* open)(LPHMIXER, UINT, DWORD_PTR, DWORD_PTR, DWORD);
    MMRESULT(WINAPI* getLineInfo)(HMIXEROBJ, LPMIXERLINEA, DWORD);
    MMRESULT(WINAPI* getLineControls)(HMIXEROBJ, LPMIXERLINECONTROLSA, DWORD);
    MMRESULT(WINAPI* getControlDetails)(HMIXEROBJ, LPMIXERCONTROLDETAILS, DWORD);
    MMRESULT(WINAPI* setControlDetails)(HMIXEROBJ, LPMIXERCONTROLDETAILS, DWORD);
    MMRESULT(WINAPI* close)(HMIXER);
};
void SetMixerApi(const MixerApi* api);

MixerInfo* OpenMixer(pa18::PortAudioStream* stream, int mixerIndex);
MixerInfo* OpenMixerOnHandles(HWAVEIN waveIn, HWAVEOUT waveOut);
void CloseMixer(MixerInfo* info);
int GetNumMixers(pa18::PortAudioStream* stream);
const char* GetMixerName(pa18::PortAudioStream* stream, int index);
int GetNumOutputVolumes(MixerInfo* info);
const char* GetOutputVolumeName(MixerInfo* info, int index);
void GetVolume(MixerInfo* info, int entry, int* value, int* maximum, int* minimum, int* steps);
int GetOutputVolume(MixerInfo* info, int index);
void SetOutputVolume(MixerInfo* info, int index, int value);
bool HasWaveOutVolume(MixerInfo* info);
int GetNumSources(MixerInfo* info);
const char* GetSourceName(MixerInfo* info, int index);
int GetCurrentSource(MixerInfo* info);
MMRESULT SetCurrentSource(MixerInfo* info, int index);
int GetSourceVolume(MixerInfo* info);
void SetSourceVolume(MixerInfo* info, int value);
void SetOutputSwitches(MixerInfo* info, int on);
