// The mixer layer against a scripted mixer: MUX or MIXER selection
// controls, more items than entries, nothing selected.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "mixer.h"

namespace {

struct FakeMixer {
    DWORD selectType = MIXERCONTROL_CONTROLTYPE_MUX;
    int items = 3;
    std::vector<int> selected;       // per item
    std::vector<DWORD> volumes;      // per control id (100 + item)
    bool failOpen = false;
} g_mixer;

const HMIXER kIn = reinterpret_cast<HMIXER>(0x11), kOut = reinterpret_cast<HMIXER>(0x22);

MMRESULT WINAPI Open(LPHMIXER h, UINT, DWORD_PTR, DWORD_PTR, DWORD flags) {
    if (g_mixer.failOpen) return MMSYSERR_ERROR;
    *h = flags == MIXER_OBJECTF_HWAVEIN ? kIn : kOut;
    return MMSYSERR_NOERROR;
}
MMRESULT WINAPI Close(HMIXER) { return MMSYSERR_NOERROR; }

MMRESULT WINAPI LineInfo(HMIXEROBJ, LPMIXERLINEA line, DWORD) {
    line->dwLineID = 7;
    line->cChannels = 2;
    line->cControls = 0;
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI LineControls(HMIXEROBJ, LPMIXERLINECONTROLSA lc, DWORD) {
    MIXERCONTROLA* c = lc->pamxctrl;
    memset(c, 0, sizeof *c);
    if (lc->dwControlType == MIXERCONTROL_CONTROLTYPE_VOLUME) {
        c->dwControlID = lc->dwLineID == 7 ? 99 : 100 + (lc->dwLineID - 1000);
        c->Bounds.dwMaximum = 65535;
        c->Metrics.cSteps = 32;
        return MMSYSERR_NOERROR;
    }
    if (lc->dwControlType != g_mixer.selectType) return MIXERR_INVALCONTROL;
    c->dwControlID = 50;
    c->cMultipleItems = static_cast<DWORD>(g_mixer.items);
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI GetDetails(HMIXEROBJ, LPMIXERCONTROLDETAILS d, DWORD flags) {
    if (flags == MIXER_GETCONTROLDETAILSF_LISTTEXT) {
        if (d->cMultipleItems != static_cast<DWORD>(g_mixer.items)) return MMSYSERR_INVALPARAM;
        auto* t = static_cast<MIXERCONTROLDETAILS_LISTTEXTA*>(d->paDetails);
        for (int i = 0; i < g_mixer.items; ++i) {
            t[i].dwParam1 = 1000 + i;
            snprintf(t[i].szName, sizeof t[i].szName, "Source %d", i);
        }
        return MMSYSERR_NOERROR;
    }
    if (d->dwControlID == 50) {
        if (d->cMultipleItems != static_cast<DWORD>(g_mixer.items)) return MMSYSERR_INVALPARAM;
        auto* b = static_cast<MIXERCONTROLDETAILS_BOOLEAN*>(d->paDetails);
        for (int i = 0; i < g_mixer.items; ++i) b[i].fValue = g_mixer.selected[i];
        return MMSYSERR_NOERROR;
    }
    auto* u = static_cast<MIXERCONTROLDETAILS_UNSIGNED*>(d->paDetails);
    if (d->dwControlID >= g_mixer.volumes.size()) return MMSYSERR_INVALPARAM;
    u->dwValue = g_mixer.volumes[d->dwControlID];
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI SetDetails(HMIXEROBJ, LPMIXERCONTROLDETAILS d, DWORD) {
    if (d->dwControlID == 50) {
        auto* b = static_cast<MIXERCONTROLDETAILS_BOOLEAN*>(d->paDetails);
        for (int i = 0; i < g_mixer.items; ++i) g_mixer.selected[i] = b[i].fValue;
        return MMSYSERR_NOERROR;
    }
    auto* u = static_cast<MIXERCONTROLDETAILS_UNSIGNED*>(d->paDetails);
    g_mixer.volumes[d->dwControlID] = u->dwValue;
    return MMSYSERR_NOERROR;
}

const MixerApi kFake = {Open, LineInfo, LineControls, GetDetails, SetDetails, Close};

struct MixerFixture : ::testing::Test {
    void SetUp() override { SetMixerApi(&kFake); }
    void TearDown() override { SetMixerApi(nullptr); }
    void Setup(DWORD type, int items, int selected) {
        g_mixer = FakeMixer();
        g_mixer.selectType = type;
        g_mixer.items = items;
        g_mixer.selected.assign(items, 0);
        if (selected >= 0) g_mixer.selected[selected] = 1;
        g_mixer.volumes.assign(200, 0);
        for (int i = 0; i < 100; ++i) g_mixer.volumes[100 + i] = 1000u * i;
    }
    HWAVEIN In() { return reinterpret_cast<HWAVEIN>(1); }
};

}  // namespace

TEST_F(MixerFixture, MuxOrMixerControlListsAndSelectsSources) {
    for (DWORD type : {MIXERCONTROL_CONTROLTYPE_MUX, MIXERCONTROL_CONTROLTYPE_MIXER}) {
        SCOPED_TRACE(type);
        Setup(type, 3, 1);
        MixerInfo* m = OpenMixerOnHandles(In(), nullptr);
        ASSERT_NE(nullptr, m);
        EXPECT_EQ(3, GetNumSources(m));
        EXPECT_STREQ("Source 2", GetSourceName(m, 2));
        EXPECT_EQ(1, GetCurrentSource(m));
        EXPECT_EQ(1000, GetSourceVolume(m));
        EXPECT_EQ(MMSYSERR_NOERROR, SetCurrentSource(m, 2));
        EXPECT_EQ((std::vector<int>{0, 0, 1}), g_mixer.selected);
        SetSourceVolume(m, 0x12345);   // low 16 bits only
        EXPECT_EQ(0x2345u, g_mixer.volumes[102]);
        int v, mx, mn, st;
        GetVolume(m, 2, &v, &mx, &mn, &st);
        EXPECT_EQ(0x2345, v);
        EXPECT_EQ(65535, mx);
        EXPECT_EQ(32, st);
        CloseMixer(m);
    }
}

TEST_F(MixerFixture, NothingSelectedGivesMinusOne) {
    Setup(MIXERCONTROL_CONTROLTYPE_MUX, 3, -1);
    MixerInfo* m = OpenMixerOnHandles(In(), nullptr);
    ASSERT_NE(nullptr, m);
    EXPECT_EQ(-1, GetCurrentSource(m));
    EXPECT_EQ(-1, GetSourceVolume(m));
    CloseMixer(m);
}

TEST_F(MixerFixture, MoreItemsThanEntriesListsTheFirst32) {
    Setup(MIXERCONTROL_CONTROLTYPE_MUX, 40, 35);
    MixerInfo* m = OpenMixerOnHandles(In(), nullptr);
    ASSERT_NE(nullptr, m);
    EXPECT_EQ(32, GetNumSources(m));
    EXPECT_STREQ("Source 31", GetSourceName(m, 31));
    EXPECT_STREQ("", GetSourceName(m, 35));
    EXPECT_EQ(-1, GetCurrentSource(m));   // selected beyond the listed ones
    EXPECT_EQ(MMSYSERR_NOERROR, SetCurrentSource(m, 31));
    EXPECT_EQ(1, g_mixer.selected[31]);
    EXPECT_EQ(0, g_mixer.selected[35]);
    CloseMixer(m);
}

TEST_F(MixerFixture, NoSelectionControlAndFailedOpen) {
    Setup(0, 3, 0);   // neither MUX nor MIXER
    MixerInfo* m = OpenMixerOnHandles(In(), nullptr);
    ASSERT_NE(nullptr, m);
    EXPECT_EQ(0, GetNumSources(m));
    EXPECT_EQ(-1, GetCurrentSource(m));
    CloseMixer(m);
    g_mixer.failOpen = true;
    EXPECT_EQ(nullptr, OpenMixerOnHandles(In(), nullptr));
}

TEST_F(MixerFixture, OutputVolumes) {
    Setup(MIXERCONTROL_CONTROLTYPE_MUX, 1, 0);
    g_mixer.volumes[99] = 30000;
    MixerInfo* m = OpenMixerOnHandles(nullptr, reinterpret_cast<HWAVEOUT>(2));
    ASSERT_NE(nullptr, m);
    EXPECT_EQ(2, GetNumOutputVolumes(m));
    EXPECT_STREQ("Wave Out", GetOutputVolumeName(m, 1));
    EXPECT_STREQ("Master Volume", GetOutputVolumeName(m, 0));
    EXPECT_EQ(30000, GetOutputVolume(m, 0));
    SetOutputVolume(m, 0, 1234);
    EXPECT_EQ(1234u, g_mixer.volumes[99]);
    CloseMixer(m);
}
