#include "mixer.h"

#include <mmddk.h>

#include <cstring>
#include <vector>

#include "bounded_text.h"

namespace {

const MixerApi kSystemApi = {mixerOpen, mixerGetLineInfoA, mixerGetLineControlsA, mixerGetControlDetailsA,
                             mixerSetControlDetails, mixerClose};
const MixerApi* g_api = &kSystemApi;

HMIXEROBJ Obj(HMIXER h) { return reinterpret_cast<HMIXEROBJ>(h); }

bool LineByType(HMIXER h, DWORD componentType, MIXERLINEA* line) {
    memset(line, 0, sizeof *line);
    line->cbStruct = sizeof *line;
    line->dwComponentType = componentType;
    return g_api->getLineInfo(Obj(h), line, MIXER_GETLINEINFOF_COMPONENTTYPE) == MMSYSERR_NOERROR;
}

bool ControlByType(HMIXER h, DWORD lineId, DWORD type, MIXERCONTROLA* ctl) {
    memset(ctl, 0, sizeof *ctl);
    MIXERLINECONTROLSA lc = {};
    lc.cbStruct = sizeof lc;
    lc.dwLineID = lineId;
    lc.dwControlType = type;
    lc.cControls = 1;
    lc.cbmxctrl = sizeof *ctl;
    lc.pamxctrl = ctl;
    return g_api->getLineControls(Obj(h), &lc, MIXER_GETLINECONTROLSF_ONEBYTYPE) == MMSYSERR_NOERROR;
}

void FillVolume(HMIXER h, MixerEntry* e) {
    MIXERCONTROLA ctl;
    if (ControlByType(h, e->lineId, MIXERCONTROL_CONTROLTYPE_VOLUME, &ctl)) {
        e->volumeControl = ctl.dwControlID;
        e->minimum = ctl.Bounds.dwMinimum;
        e->maximum = ctl.Bounds.dwMaximum;
        e->steps = ctl.Metrics.cSteps;
    } else {
        e->volumeControl = 0;
    }
}

// Reads one unsigned control value; -1 asks only, anything else is written
// (its low 16 bits) when the read worked. Gives what was read, 0 on failure.
int ControlValue(HMIXER h, DWORD controlId, int value) {
    if (!h || !controlId) return 0;
    MIXERCONTROLDETAILS_UNSIGNED v = {};
    MIXERCONTROLDETAILS d = {};
    d.cbStruct = sizeof d;
    d.dwControlID = controlId;
    d.cChannels = 1;
    d.cbDetails = sizeof v;
    d.paDetails = &v;
    if (g_api->getControlDetails(Obj(h), &d, MIXER_GETCONTROLDETAILSF_VALUE) != MMSYSERR_NOERROR) return 0;
    int read = static_cast<int>(v.dwValue);
    if (value != -1) {
        v.dwValue = static_cast<DWORD>(value) & 0xFFFF;
        g_api->setControlDetails(Obj(h), &d, MIXER_SETCONTROLDETAILSF_VALUE);
    }
    return read;
}

bool ReadSelection(MixerInfo* info, std::vector<MIXERCONTROLDETAILS_BOOLEAN>* items, MIXERCONTROLDETAILS* d) {
    if (!info || !info->in || !info->selectControl || info->selectItems == 0) return false;
    items->assign(info->selectItems, MIXERCONTROLDETAILS_BOOLEAN{});
    memset(d, 0, sizeof *d);
    d->cbStruct = sizeof *d;
    d->dwControlID = info->selectControl;
    d->cChannels = 1;
    d->cMultipleItems = info->selectItems;
    d->cbDetails = sizeof(MIXERCONTROLDETAILS_BOOLEAN);
    d->paDetails = items->data();
    return g_api->getControlDetails(Obj(info->in), d, MIXER_GETCONTROLDETAILSF_VALUE) == MMSYSERR_NOERROR;
}

void ReadSources(MixerInfo* info) {
    MIXERLINEA dst;
    if (!LineByType(info->in, MIXERLINE_COMPONENTTYPE_DST_WAVEIN, &dst)) return;
    MIXERCONTROLA ctl;
    if (ControlByType(info->in, dst.dwLineID, MIXERCONTROL_CONTROLTYPE_MUX, &ctl)) {
        info->selectType = MIXERCONTROL_CONTROLTYPE_MUX;
    } else if (ControlByType(info->in, dst.dwLineID, MIXERCONTROL_CONTROLTYPE_MIXER, &ctl)) {
        info->selectType = MIXERCONTROL_CONTROLTYPE_MIXER;
    } else {
        return;
    }
    info->selectControl = ctl.dwControlID;
    info->selectItems = ctl.cMultipleItems;
    if (ctl.cMultipleItems == 0 || ctl.cMultipleItems > 4096) return;
    // The details array takes every item the control has, even when fewer
    // entries are kept.
    std::vector<MIXERCONTROLDETAILS_LISTTEXTA> texts(ctl.cMultipleItems);
    MIXERCONTROLDETAILS d = {};
    d.cbStruct = sizeof d;
    d.dwControlID = ctl.dwControlID;
    d.cChannels = 1;
    d.cMultipleItems = ctl.cMultipleItems;
    d.cbDetails = sizeof(MIXERCONTROLDETAILS_LISTTEXTA);
    d.paDetails = texts.data();
    if (g_api->getControlDetails(Obj(info->in), &d, MIXER_GETCONTROLDETAILSF_LISTTEXT) != MMSYSERR_NOERROR) return;
    int n = ctl.cMultipleItems < kMaxMixerSources ? static_cast<int>(ctl.cMultipleItems) : kMaxMixerSources;
    for (int i = 0; i < n; ++i) {
        MixerEntry& e = info->entries[i];
        bk::TextCopyN(e.name, sizeof e.name, texts[i].szName, sizeof texts[i].szName);
        e.lineId = texts[i].dwParam1;
        FillVolume(info->in, &e);
    }
    info->numSources = n;
}

void ReadOutputs(MixerInfo* info) {
    MIXERLINEA line;
    if (LineByType(info->out, MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, &line)) {
        MixerEntry& e = info->entries[0];
        bk::TextCopy(e.name, "Master Volume");
        e.lineId = line.dwLineID;
        FillVolume(info->out, &e);
        info->speakersLine = line.dwLineID;
        info->masterControl = e.volumeControl;
    }
    if (LineByType(info->out, MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT, &line)) {
        MixerEntry& e = info->entries[1];
        bk::TextCopy(e.name, "Wave Out");
        e.lineId = line.dwLineID;
        FillVolume(info->out, &e);
        info->waveOutLine = line.dwLineID;
        info->waveOutControl = e.volumeControl;
    }
}

}  // namespace

void SetMixerApi(const MixerApi* api) { g_api = api ? api : &kSystemApi; }

// Opens the mixer of a wave handle; where the system does not take the
// handle itself (Wine), the mixer of the handle's device id.
static bool OpenByHandle(HMIXER* out, UINT_PTR handle, DWORD byHandle, DWORD byId, bool input) {
    if (g_api->open(out, static_cast<UINT>(handle), 0, 0, byHandle) == MMSYSERR_NOERROR) return true;
    UINT id = 0;
    MMRESULT rc = input ? waveInGetID(reinterpret_cast<HWAVEIN>(handle), &id)
                        : waveOutGetID(reinterpret_cast<HWAVEOUT>(handle), &id);
    if (rc == MMSYSERR_NOERROR && g_api->open(out, id, 0, 0, byId) == MMSYSERR_NOERROR) return true;
    // A stream opened on the sound mapper (the default device) has a handle
    // whose id names no device: its mixer is the one of the device the
    // mapper prefers.
    DWORD preferred = 0, flags = 0;
    rc = input ? waveInMessage(reinterpret_cast<HWAVEIN>(static_cast<UINT_PTR>(WAVE_MAPPER)), DRVM_MAPPER_PREFERRED_GET,
                               reinterpret_cast<DWORD_PTR>(&preferred), reinterpret_cast<DWORD_PTR>(&flags))
               : waveOutMessage(reinterpret_cast<HWAVEOUT>(static_cast<UINT_PTR>(WAVE_MAPPER)),
                                DRVM_MAPPER_PREFERRED_GET, reinterpret_cast<DWORD_PTR>(&preferred),
                                reinterpret_cast<DWORD_PTR>(&flags));
    if (rc == MMSYSERR_NOERROR && preferred != id && g_api->open(out, preferred, 0, 0, byId) == MMSYSERR_NOERROR)
        return true;
    *out = nullptr;
    return false;
}

MixerInfo* OpenMixerOnHandles(HWAVEIN waveIn, HWAVEOUT waveOut) {
    MixerInfo* info = new MixerInfo();
    if (waveIn && !OpenByHandle(&info->in, reinterpret_cast<UINT_PTR>(waveIn), MIXER_OBJECTF_HWAVEIN,
                                MIXER_OBJECTF_WAVEIN, true)) {
        CloseMixer(info);
        return nullptr;
    }
    if (waveOut && !OpenByHandle(&info->out, reinterpret_cast<UINT_PTR>(waveOut), MIXER_OBJECTF_HWAVEOUT,
                                 MIXER_OBJECTF_WAVEOUT, false)) {
        CloseMixer(info);
        return nullptr;
    }
    if (info->in) ReadSources(info);
    if (info->out) ReadOutputs(info);
    return info;
}

MixerInfo* OpenMixer(pa18::PortAudioStream* stream, int) {
    if (!stream) return nullptr;
    return OpenMixerOnHandles(pa18::GetStreamWaveIn(stream), pa18::GetStreamWaveOut(stream));
}

void CloseMixer(MixerInfo* info) {
    if (!info) return;
    if (info->in) g_api->close(info->in);
    if (info->out) g_api->close(info->out);
    delete info;
}

int GetNumMixers(pa18::PortAudioStream*) { return 1; }
const char* GetMixerName(pa18::PortAudioStream*, int) { return "Mixer"; }
int GetNumOutputVolumes(MixerInfo*) { return 2; }
const char* GetOutputVolumeName(MixerInfo*, int index) { return index == 1 ? "Wave Out" : "Master Volume"; }

void GetVolume(MixerInfo* info, int entry, int* value, int* maximum, int* minimum, int* steps) {
    int v = 0, mx = 0, mn = 0, st = 0;
    if (info && entry >= 0 && entry < kMaxMixerSources) {
        const MixerEntry& e = info->entries[entry];
        v = ControlValue(info->out ? info->out : info->in, e.volumeControl, -1);
        mx = static_cast<int>(e.maximum);
        mn = static_cast<int>(e.minimum);
        st = static_cast<int>(e.steps);
    }
    if (value) *value = v;
    if (maximum) *maximum = mx;
    if (minimum) *minimum = mn;
    if (steps) *steps = st;
}

int GetOutputVolume(MixerInfo* info, int index) {
    if (!info) return 0;
    return ControlValue(info->out, index == 1 ? info->waveOutControl : info->masterControl, -1);
}

void SetOutputVolume(MixerInfo* info, int index, int value) {
    if (!info || value == -1) return;
    ControlValue(info->out, index == 1 ? info->waveOutControl : info->masterControl, value);
}

bool HasWaveOutVolume(MixerInfo* info) { return info && info->waveOutControl != 0; }
int GetNumSources(MixerInfo* info) { return info ? info->numSources : 0; }

const char* GetSourceName(MixerInfo* info, int index) {
    if (!info || index < 0 || index >= info->numSources) return "";
    return info->entries[index].name;
}

int GetCurrentSource(MixerInfo* info) {
    std::vector<MIXERCONTROLDETAILS_BOOLEAN> items;
    MIXERCONTROLDETAILS d;
    if (!ReadSelection(info, &items, &d)) return -1;
    for (size_t i = 0; i < items.size() && static_cast<int>(i) < info->numSources; ++i)
        if (items[i].fValue) return static_cast<int>(i);
    return -1;
}

MMRESULT SetCurrentSource(MixerInfo* info, int index) {
    std::vector<MIXERCONTROLDETAILS_BOOLEAN> items;
    MIXERCONTROLDETAILS d;
    if (!info || index < 0 || index >= info->numSources) return MMSYSERR_INVALPARAM;
    if (!ReadSelection(info, &items, &d)) return MMSYSERR_ERROR;
    for (size_t i = 0; i < items.size(); ++i) items[i].fValue = static_cast<int>(i) == index;
    return g_api->setControlDetails(Obj(info->in), &d, MIXER_SETCONTROLDETAILSF_VALUE);
}

int GetSourceVolume(MixerInfo* info) {
    int cur = GetCurrentSource(info);
    if (cur < 0) return -1;
    return ControlValue(info->in, info->entries[cur].volumeControl, -1);
}

void SetSourceVolume(MixerInfo* info, int value) {
    int cur = GetCurrentSource(info);
    if (cur < 0 || value == -1) return;
    ControlValue(info->in, info->entries[cur].volumeControl, value);
}

void SetOutputSwitches(MixerInfo* info, int on) {
    if (!info || !info->out) return;
    MIXERLINEA line = {};
    line.cbStruct = sizeof line;
    line.dwLineID = info->speakersLine;
    if (g_api->getLineInfo(Obj(info->out), &line, MIXER_GETLINEINFOF_LINEID) != MMSYSERR_NOERROR) return;
    if (line.cControls == 0 || line.cControls > 256) return;
    std::vector<MIXERCONTROLA> ctls(line.cControls);
    MIXERLINECONTROLSA lc = {};
    lc.cbStruct = sizeof lc;
    lc.dwLineID = line.dwLineID;
    lc.cControls = line.cControls;
    lc.cbmxctrl = sizeof(MIXERCONTROLA);
    lc.pamxctrl = ctls.data();
    if (g_api->getLineControls(Obj(info->out), &lc, MIXER_GETLINECONTROLSF_ALL) != MMSYSERR_NOERROR) return;
    for (const MIXERCONTROLA& c : ctls) {
        LONG flag;
        switch (c.dwControlType) {
            case MIXERCONTROL_CONTROLTYPE_MUTE: flag = on ? 0 : 1; break;
            case MIXERCONTROL_CONTROLTYPE_MUX:
            case MIXERCONTROL_CONTROLTYPE_SINGLESELECT:
            case MIXERCONTROL_CONTROLTYPE_MULTIPLESELECT:
            case MIXERCONTROL_CONTROLTYPE_MIXER: flag = on ? 1 : 0; break;
            default: continue;
        }
        DWORD channels = (c.fdwControl & MIXERCONTROL_CONTROLF_UNIFORM) ? 1 : line.cChannels;
        if (channels == 0) channels = 1;
        DWORD items = (c.fdwControl & MIXERCONTROL_CONTROLF_MULTIPLE) ? c.cMultipleItems : 0;
        if (items > 4096 || channels > 32) continue;
        std::vector<MIXERCONTROLDETAILS_BOOLEAN> vals(channels * (items ? items : 1));
        for (auto& v : vals) v.fValue = flag;
        MIXERCONTROLDETAILS d = {};
        d.cbStruct = sizeof d;
        d.dwControlID = c.dwControlID;
        d.cChannels = channels;
        d.cMultipleItems = items;
        d.cbDetails = sizeof(MIXERCONTROLDETAILS_BOOLEAN);
        d.paDetails = vals.data();
        g_api->setControlDetails(Obj(info->out), &d, MIXER_SETCONTROLDETAILSF_VALUE);
    }
}
