// A host settings object for the views' tests: every number and text is
// read from two maps the test fills (missing ones read 0 and ""), and the
// setters write into the same maps under the getter's name.
#pragma once

#include <map>
#include <string>

#include "../../../tunerdeck/core/settings_interface.h"

class FakeSettings : public cSettingsInterface {
public:
    std::map<std::string, int> numbers;
    std::map<std::string, std::string> texts;
    int saves = 0;

    int Number(const char* name) const {
        auto it = numbers.find(name);
        return it == numbers.end() ? 0 : it->second;
    }
    const char* Text(const char* name) const {
        auto it = texts.find(name);
        return it == texts.end() ? "" : it->second.c_str();
    }

    void SetAutoStart(short v) override { numbers[std::string("GetAutoStart")] = static_cast<int>(v); }
    short GetAutoStart() override { return static_cast<short>(Number("GetAutoStart")); }
    void SetSearchExtra(short v) override { numbers[std::string("GetSearchExtra")] = static_cast<int>(v); }
    short GetSearchExtra() override { return static_cast<short>(Number("GetSearchExtra")); }
    void SetUseControlCenter(int v) override { numbers[std::string("GetUseControlCenter")] = static_cast<int>(v); }
    int GetUseControlCenter() override { return static_cast<int>(Number("GetUseControlCenter")); }
    void SetUseLokal(short v) override { numbers[std::string("GetUseLokal")] = static_cast<int>(v); }
    short GetUseLokal() override { return static_cast<short>(Number("GetUseLokal")); }
    short GetNavOpen() override { return static_cast<short>(Number("GetNavOpen")); }
    void SetNavOpen(short v) override { numbers[std::string("GetNavOpen")] = static_cast<int>(v); }
    short GetScreen() override { return static_cast<short>(Number("GetScreen")); }
    void SetScreen(short v) override { numbers[std::string("GetScreen")] = static_cast<int>(v); }
    short GetUseToolTip() override { return static_cast<short>(Number("GetUseToolTip")); }
    void SetUseToolTip(int v) override { numbers[std::string("GetUseToolTip")] = static_cast<int>(v); }
    short GetUseAutoUpdate() override { return static_cast<short>(Number("GetUseAutoUpdate")); }
    void SetUseAutoUpdate(int v) override { numbers[std::string("GetUseAutoUpdate")] = static_cast<int>(v); }
    int GetBufferSize() override { return static_cast<int>(Number("GetBufferSize")); }
    void SetBufferSize(int v) override { numbers[std::string("GetBufferSize")] = static_cast<int>(v); }
    int GetMaxResentList() override { return static_cast<int>(Number("GetMaxResentList")); }
    void SetMaxResentList(int v) override { numbers[std::string("GetMaxResentList")] = static_cast<int>(v); }
    int GetMaxTimerEditList() override { return static_cast<int>(Number("GetMaxTimerEditList")); }
    void SetMaxTimerEditList(int v) override { numbers[std::string("GetMaxTimerEditList")] = static_cast<int>(v); }
    short GetReconnectOnServerLost() override { return static_cast<short>(Number("GetReconnectOnServerLost")); }
    void SetReconnectOnServerLost(short v) override { numbers[std::string("GetReconnectOnServerLost")] = static_cast<int>(v); }
    int GetRetryCount() override { return static_cast<int>(Number("GetRetryCount")); }
    void SetRetryCount(int v) override { numbers[std::string("GetRetryCount")] = static_cast<int>(v); }
    int GetAdBannerCX() override { return static_cast<int>(Number("GetAdBannerCX")); }
    int GetAdBannerCY() override { return static_cast<int>(Number("GetAdBannerCY")); }
    int GetAdBannerCX_ENG() override { return static_cast<int>(Number("GetAdBannerCX_ENG")); }
    int GetAdBannerCY_ENG() override { return static_cast<int>(Number("GetAdBannerCY_ENG")); }
    void SetAdBannerCX(int v) override { numbers[std::string("GetAdBannerCX")] = static_cast<int>(v); }
    void SetAdBannerCY(int v) override { numbers[std::string("GetAdBannerCY")] = static_cast<int>(v); }
    void SetAdBannerUrl(const char* v) override { texts[std::string("GetAdBannerUrl")] = v ? v : ""; }
    int GetSplashCX() override { return static_cast<int>(Number("GetSplashCX")); }
    int GetSplashCY() override { return static_cast<int>(Number("GetSplashCY")); }
    void SetSplashCX(int v) override { numbers[std::string("GetSplashCX")] = static_cast<int>(v); }
    void SetSplashCY(int v) override { numbers[std::string("GetSplashCY")] = static_cast<int>(v); }
    int GetSplashCX_ENG() override { return static_cast<int>(Number("GetSplashCX_ENG")); }
    int GetSplashCY_ENG() override { return static_cast<int>(Number("GetSplashCY_ENG")); }
    void SetSplashCX_ENG(int v) override { numbers[std::string("GetSplashCX_ENG")] = static_cast<int>(v); }
    void SetSplashCY_ENG(int v) override { numbers[std::string("GetSplashCY_ENG")] = static_cast<int>(v); }
    void SetHostCapabilities(int v) override { numbers[std::string("GetHostCapabilities")] = static_cast<int>(v); }
    int GetHostCapabilities() override { return static_cast<int>(Number("GetHostCapabilities")); }
    int GetInternetaccess() override { return static_cast<int>(Number("GetInternetaccess")); }
    void SetInternetaccess(int v) override { numbers[std::string("GetInternetaccess")] = static_cast<int>(v); }
    int GetTimeout() override { return static_cast<int>(Number("GetTimeout")); }
    void SetTimeout(int v) override { numbers[std::string("GetTimeout")] = static_cast<int>(v); }
    void SetHostCapabilitiesKnown(int v) override { numbers[std::string("GetHostCapabilitiesKnown")] = static_cast<int>(v); }
    int IsHostCapabilitiesKnown() override { return static_cast<int>(Number("IsHostCapabilitiesKnown")); }
    short GetAutoselectBandbreite() override { return static_cast<short>(Number("GetAutoselectBandbreite")); }
    void SetAutoselectBandbreite(short v) override { numbers[std::string("GetAutoselectBandbreite")] = static_cast<int>(v); }
    int IsFirstStart() override { return static_cast<int>(Number("IsFirstStart")); }
    void Save() override { ++saves; }
    void SetAlterNeueSender(short v) override { numbers[std::string("GetAlterNeueSender")] = static_cast<int>(v); }
    short GetAlterNeueSender() override { return static_cast<short>(Number("GetAlterNeueSender")); }
    void SetUseRecording(int v) override { numbers[std::string("GetUseRecording")] = static_cast<int>(v); }
    int GetUseRecording() override { return static_cast<int>(Number("GetUseRecording")); }
    void SetRecordingDir(const char* v) override { texts[std::string("GetRecordingDir")] = v ? v : ""; }
    const char* GetRecordingDir() override { return Text("GetRecordingDir"); }
    void SetPodcastDir(const char* v) override { texts[std::string("GetPodcastDir")] = v ? v : ""; }
    const char* GetPodcastDir() override { return Text("GetPodcastDir"); }
    void SetProxyHost(const char* v) override { texts[std::string("GetProxyHost")] = v ? v : ""; }
    void SetProxyPort(const char* v) override { texts[std::string("GetProxyPort")] = v ? v : ""; }
    const char* GetProxyHost() override { return Text("GetProxyHost"); }
    const char* GetProxyPort() override { return Text("GetProxyPort"); }
    int GetProxyEnabled() override { return static_cast<int>(Number("GetProxyEnabled")); }
    int GetHTTP_Only() override { return static_cast<int>(Number("GetHTTP_Only")); }
    void SetProxyEnabled(int v) override { numbers[std::string("GetProxyEnabled")] = static_cast<int>(v); }
    void SetHTTP_Only(int v) override { numbers[std::string("GetHTTP_Only")] = static_cast<int>(v); }
    int GetNAVAnimEnabled() override { return static_cast<int>(Number("GetNAVAnimEnabled")); }
    void SetNAVAnimEnabled(int v) override { numbers[std::string("GetNAVAnimEnabled")] = static_cast<int>(v); }
    void SetUserNameAuth(const char* v) override { texts[std::string("GetUserNameAuth")] = v ? v : ""; }
    void SetUserPasswortAuth(const char* v) override { texts[std::string("GetUserPasswortAuth")] = v ? v : ""; }
    const char* GetUserNameAuth() override { return Text("GetUserNameAuth"); }
    const char* GetUserPasswortAuth() override { return Text("GetUserPasswortAuth"); }
    int GetUseAuthentify() override { return static_cast<int>(Number("GetUseAuthentify")); }
    void SetUseAuthentify(int v) override { numbers[std::string("GetUseAuthentify")] = static_cast<int>(v); }
    int GetIconizeToTray() override { return static_cast<int>(Number("GetIconizeToTray")); }
    void SetIconizeToTray(int v) override { numbers[std::string("GetIconizeToTray")] = static_cast<int>(v); }
    int GetRecordSkipSilents() override { return static_cast<int>(Number("GetRecordSkipSilents")); }
    void SetRecordSkipSilents(int v) override { numbers[std::string("GetRecordSkipSilents")] = static_cast<int>(v); }
    int GetAdjustRecordVol() override { return static_cast<int>(Number("GetAdjustRecordVol")); }
    void SetAdjustRecordVol(int v) override { numbers[std::string("GetAdjustRecordVol")] = static_cast<int>(v); }
    int GetLanguage() override { return static_cast<int>(Number("GetLanguage")); }
    void SetLanguage(int v) override { numbers[std::string("GetLanguage")] = static_cast<int>(v); }
    int GetRecordingDevice() override { return static_cast<int>(Number("GetRecordingDevice")); }
    int GetRecordingSource() override { return static_cast<int>(Number("GetRecordingSource")); }
    int GetAutoupdatePrgTipps() override { return static_cast<int>(Number("GetAutoupdatePrgTipps")); }
    void SetAutoupdatePrgTipps(int v) override { numbers[std::string("GetAutoupdatePrgTipps")] = static_cast<int>(v); }
    int GetDeleteOldPrgTipps() override { return static_cast<int>(Number("GetDeleteOldPrgTipps")); }
    void SetDeleteOldPrgTipps(int v) override { numbers[std::string("GetDeleteOldPrgTipps")] = static_cast<int>(v); }
    const char* GetAutoCutMuster() override { return Text("GetAutoCutMuster"); }
    void SetAutoCutMuster(const char* v) override { texts[std::string("GetAutoCutMuster")] = v ? v : ""; }
    int GetAutoCutValue() override { return static_cast<int>(Number("GetAutoCutValue")); }
    void SetAutoCutValue(int v) override { numbers[std::string("GetAutoCutValue")] = static_cast<int>(v); }
    int GetAutoCutType() override { return static_cast<int>(Number("GetAutoCutType")); }
    void SetAutoCutType(int v) override { numbers[std::string("GetAutoCutType")] = static_cast<int>(v); }
    const char* GetQualityMuster() override { return Text("GetQualityMuster"); }
    void SetQualityMuster(const char* v) override { texts[std::string("GetQualityMuster")] = v ? v : ""; }
    int GetQualitySPS() override { return static_cast<int>(Number("GetQualitySPS")); }
    void SetQualitySPS(int v) override { numbers[std::string("GetQualitySPS")] = static_cast<int>(v); }
    int GetQualityBPS() override { return static_cast<int>(Number("GetQualityBPS")); }
    void SetQualityBPS(int v) override { numbers[std::string("GetQualityBPS")] = static_cast<int>(v); }
    int GetQualityNCH() override { return static_cast<int>(Number("GetQualityNCH")); }
    void SetQualityNCH(int v) override { numbers[std::string("GetQualityNCH")] = static_cast<int>(v); }
    int GetRecordingFormat() override { return static_cast<int>(Number("GetRecordingFormat")); }
    void SetRecordingFormat(int v) override { numbers[std::string("GetRecordingFormat")] = static_cast<int>(v); }
    int GetMP3VBR() override { return static_cast<int>(Number("GetMP3VBR")); }
    void SetMP3VBR(int v) override { numbers[std::string("GetMP3VBR")] = static_cast<int>(v); }
    int GetMP3STEREO() override { return static_cast<int>(Number("GetMP3STEREO")); }
    void SetMP3STEREO(int v) override { numbers[std::string("GetMP3STEREO")] = static_cast<int>(v); }
    int GetMP3BPS() override { return static_cast<int>(Number("GetMP3BPS")); }
    void SetMP3BPS(int v) override { numbers[std::string("GetMP3BPS")] = static_cast<int>(v); }
    int GetNavWinCX() override { return static_cast<int>(Number("GetNavWinCX")); }
    int GetNavWinCY() override { return static_cast<int>(Number("GetNavWinCY")); }
    void SetNavWinCX(int v) override { numbers[std::string("GetNavWinCX")] = static_cast<int>(v); }
    void SetNavWinCY(int v) override { numbers[std::string("GetNavWinCY")] = static_cast<int>(v); }
    void SetVelmoAddy(int v) override { numbers[std::string("GetVelmoAddy")] = static_cast<int>(v); }
    int GetVelmoAddy() override { return static_cast<int>(Number("GetVelmoAddy")); }
    int GetPodAutoUpdate() override { return static_cast<int>(Number("GetPodAutoUpdate")); }
    int GetPodAutoDownload() override { return static_cast<int>(Number("GetPodAutoDownload")); }
    int GetPodAutoDeleteFiles() override { return static_cast<int>(Number("GetPodAutoDeleteFiles")); }
    int GetPodDeletePodcasts() override { return static_cast<int>(Number("GetPodDeletePodcasts")); }
    void SetPodAutoUpdate(int v) override { numbers[std::string("GetPodAutoUpdate")] = static_cast<int>(v); }
    void SetPodAutoDownload(int v) override { numbers[std::string("GetPodAutoDownload")] = static_cast<int>(v); }
    void SetPodAutoDeleteFiles(int v) override { numbers[std::string("GetPodAutoDeleteFiles")] = static_cast<int>(v); }
    void SetPodDeletePodcasts(int v) override { numbers[std::string("GetPodDeletePodcasts")] = static_cast<int>(v); }
    void SetSplashURL_ENG(const char* v) override { texts[std::string("GetSplashURL_ENG")] = v ? v : ""; }
    void SetSplashURL(const char* v) override { texts[std::string("GetSplashURL")] = v ? v : ""; }
};
