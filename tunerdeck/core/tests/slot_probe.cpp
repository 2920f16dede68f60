// A second module that uses the settings only through the host interface,
// as the skin engine does: it sets every value through its slot and reads it
// back through the matching getter.
#include <cstring>

#include "settings_interface.h"

extern "C" __declspec(dllexport) int ProbeSettingsSlots(cSettingsInterface* s, int base, char* failed, int failedSize) {
    int bad = 0;
    auto fail = [&](const char* name) {
        if (bad++ == 0 && failed && failedSize > 0) {
            strncpy(failed, name, failedSize - 1);
            failed[failedSize - 1] = 0;
        }
    };
#define NUM(set, get, v)                       \
    s->set(v);                                 \
    if (s->get() != (v)) fail(#get);
#define TXT(set, get, v)                      \
    s->set(v);                                \
    if (strcmp(s->get(), v) != 0) fail(#get);
    NUM(SetAutoStart, GetAutoStart, static_cast<short>(base + 1))
    NUM(SetSearchExtra, GetSearchExtra, static_cast<short>(base + 2))
    NUM(SetNavOpen, GetNavOpen, static_cast<short>(base + 3))
    NUM(SetScreen, GetScreen, static_cast<short>(base + 4))
    NUM(SetUseToolTip, GetUseToolTip, base + 5)
    NUM(SetUseAutoUpdate, GetUseAutoUpdate, base + 6)
    NUM(SetBufferSize, GetBufferSize, base + 7)
    NUM(SetMaxResentList, GetMaxResentList, base + 8)
    NUM(SetMaxTimerEditList, GetMaxTimerEditList, base + 9)
    NUM(SetReconnectOnServerLost, GetReconnectOnServerLost, static_cast<short>(base + 10))
    NUM(SetRetryCount, GetRetryCount, base + 11)
    NUM(SetAdBannerCX, GetAdBannerCX, base + 12)
    NUM(SetAdBannerCY, GetAdBannerCY, base + 13)
    NUM(SetSplashCX, GetSplashCX, base + 14)
    NUM(SetSplashCY, GetSplashCY, base + 15)
    NUM(SetSplashCX_ENG, GetSplashCX_ENG, base + 16)
    NUM(SetSplashCY_ENG, GetSplashCY_ENG, base + 17)
    NUM(SetHostCapabilities, GetHostCapabilities, base + 18)
    NUM(SetInternetaccess, GetInternetaccess, base + 19)
    NUM(SetTimeout, GetTimeout, base + 20)
    NUM(SetHostCapabilitiesKnown, IsHostCapabilitiesKnown, base + 21)
    NUM(SetAutoselectBandbreite, GetAutoselectBandbreite, static_cast<short>(base + 22))
    NUM(SetAlterNeueSender, GetAlterNeueSender, static_cast<short>(base + 23))
    NUM(SetUseRecording, GetUseRecording, base + 24)
    NUM(SetProxyEnabled, GetProxyEnabled, base + 25)
    NUM(SetHTTP_Only, GetHTTP_Only, base + 26)
    NUM(SetNAVAnimEnabled, GetNAVAnimEnabled, base + 27)
    NUM(SetUseAuthentify, GetUseAuthentify, base + 28)
    NUM(SetIconizeToTray, GetIconizeToTray, base + 29)
    NUM(SetRecordSkipSilents, GetRecordSkipSilents, base + 30)
    NUM(SetAdjustRecordVol, GetAdjustRecordVol, base + 31)
    NUM(SetLanguage, GetLanguage, base + 32)
    NUM(SetAutoupdatePrgTipps, GetAutoupdatePrgTipps, base + 33)
    NUM(SetDeleteOldPrgTipps, GetDeleteOldPrgTipps, base + 34)
    NUM(SetAutoCutValue, GetAutoCutValue, base + 35)
    NUM(SetAutoCutType, GetAutoCutType, base + 36)
    NUM(SetQualitySPS, GetQualitySPS, base + 37)
    NUM(SetQualityBPS, GetQualityBPS, base + 38)
    NUM(SetQualityNCH, GetQualityNCH, base + 39)
    NUM(SetRecordingFormat, GetRecordingFormat, base + 40)
    NUM(SetMP3VBR, GetMP3VBR, base + 41)
    NUM(SetMP3STEREO, GetMP3STEREO, base + 42)
    NUM(SetMP3BPS, GetMP3BPS, base + 43)
    NUM(SetNavWinCX, GetNavWinCX, base + 44)
    NUM(SetNavWinCY, GetNavWinCY, base + 45)
    NUM(SetVelmoAddy, GetVelmoAddy, base + 46)
    NUM(SetPodAutoUpdate, GetPodAutoUpdate, base + 47)
    NUM(SetPodAutoDownload, GetPodAutoDownload, base + 48)
    NUM(SetPodAutoDeleteFiles, GetPodAutoDeleteFiles, base + 49)
    NUM(SetPodDeletePodcasts, GetPodDeletePodcasts, base + 50)
    TXT(SetRecordingDir, GetRecordingDir, "C:\\rec <&>")
    TXT(SetPodcastDir, GetPodcastDir, "C:\\pod")
    TXT(SetProxyHost, GetProxyHost, "proxy.example")
    TXT(SetProxyPort, GetProxyPort, "3128")
    TXT(SetUserNameAuth, GetUserNameAuth, "user")
    TXT(SetUserPasswortAuth, GetUserPasswortAuth, "pa<ss>&word")
    // Slots without a getter of their own: the caller checks the effect.
    s->SetAdBannerUrl("http://banner.example/a");
    s->SetSplashURL("http://splash.example/de");
    s->SetSplashURL_ENG("http://splash.example/en");
    s->SetUseLokal(7);
    if (s->GetUseLokal() != 0) fail("GetUseLokal");
    // Read-only slots answer without effect on anything.
    (void)s->GetAdBannerCX_ENG();
    (void)s->GetAdBannerCY_ENG();
    (void)s->GetRecordingDevice();
    (void)s->GetRecordingSource();
    (void)s->GetUseControlCenter();
    (void)s->GetAutoCutMuster();
    (void)s->GetQualityMuster();
    s->IsFirstStart();
    if (s->IsFirstStart() != 0) fail("IsFirstStart");
    return bad;
#undef NUM
#undef TXT
}
