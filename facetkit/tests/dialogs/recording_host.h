// A host interface for the dialogs' tests: every setting in a plain member
// (m_ and the setting's name), every setter call and Save recorded in order
// as "SetName=value". Written out from the interface, one line per operation.
#pragma once

#include <string>
#include <vector>

#include "../../../tunerdeck/core/settings_interface.h"

namespace dlgtest {

class RecordingHost : public cSettingsInterface {
public:
    int m_AutoStart = 0;
    int m_SearchExtra = 0;
    int m_UseControlCenter = 0;
    int m_UseLokal = 0;
    int m_NavOpen = 0;
    int m_Screen = 0;
    int m_UseToolTip = 0;
    int m_UseAutoUpdate = 0;
    int m_BufferSize = 0;
    int m_MaxResentList = 0;
    int m_MaxTimerEditList = 0;
    int m_ReconnectOnServerLost = 0;
    int m_RetryCount = 0;
    int m_AdBannerCX = 0;
    int m_AdBannerCY = 0;
    int m_AdBannerCX_ENG = 0;
    int m_AdBannerCY_ENG = 0;
    std::string m_AdBannerUrl;
    int m_SplashCX = 0;
    int m_SplashCY = 0;
    int m_SplashCX_ENG = 0;
    int m_SplashCY_ENG = 0;
    int m_HostCapabilities = 0;
    int m_Internetaccess = 0;
    int m_Timeout = 0;
    int m_HostCapabilitiesKnown = 0;
    int m_AutoselectBandbreite = 0;
    int m_AlterNeueSender = 0;
    int m_UseRecording = 0;
    std::string m_RecordingDir;
    std::string m_PodcastDir;
    std::string m_ProxyHost;
    std::string m_ProxyPort;
    int m_ProxyEnabled = 0;
    int m_HTTP_Only = 0;
    int m_NAVAnimEnabled = 0;
    std::string m_UserNameAuth;
    std::string m_UserPasswortAuth;
    int m_UseAuthentify = 0;
    int m_IconizeToTray = 0;
    int m_RecordSkipSilents = 0;
    int m_AdjustRecordVol = 0;
    int m_Language = 0;
    int m_RecordingDevice = 0;
    int m_RecordingSource = 0;
    int m_AutoupdatePrgTipps = 0;
    int m_DeleteOldPrgTipps = 0;
    std::string m_AutoCutMuster;
    int m_AutoCutValue = 0;
    int m_AutoCutType = 0;
    std::string m_QualityMuster;
    int m_QualitySPS = 0;
    int m_QualityBPS = 0;
    int m_QualityNCH = 0;
    int m_RecordingFormat = 0;
    int m_MP3VBR = 0;
    int m_MP3STEREO = 0;
    int m_MP3BPS = 0;
    int m_NavWinCX = 0;
    int m_NavWinCY = 0;
    int m_VelmoAddy = 0;
    int m_PodAutoUpdate = 0;
    int m_PodAutoDownload = 0;
    int m_PodAutoDeleteFiles = 0;
    int m_PodDeletePodcasts = 0;
    std::string m_SplashURL_ENG;
    std::string m_SplashURL;
    std::vector<std::string> calls;
    int saves = 0;

    void SetAutoStart(short v) override {
        m_AutoStart = v;
        calls.push_back("SetAutoStart=" + std::to_string(v));
    }
    short GetAutoStart() override { return static_cast<short>(m_AutoStart); }
    void SetSearchExtra(short v) override {
        m_SearchExtra = v;
        calls.push_back("SetSearchExtra=" + std::to_string(v));
    }
    short GetSearchExtra() override { return static_cast<short>(m_SearchExtra); }
    void SetUseControlCenter(int v) override {
        m_UseControlCenter = v;
        calls.push_back("SetUseControlCenter=" + std::to_string(v));
    }
    int GetUseControlCenter() override { return static_cast<int>(m_UseControlCenter); }
    void SetUseLokal(short v) override {
        m_UseLokal = v;
        calls.push_back("SetUseLokal=" + std::to_string(v));
    }
    short GetUseLokal() override { return static_cast<short>(m_UseLokal); }
    short GetNavOpen() override { return static_cast<short>(m_NavOpen); }
    void SetNavOpen(short v) override {
        m_NavOpen = v;
        calls.push_back("SetNavOpen=" + std::to_string(v));
    }
    short GetScreen() override { return static_cast<short>(m_Screen); }
    void SetScreen(short v) override {
        m_Screen = v;
        calls.push_back("SetScreen=" + std::to_string(v));
    }
    short GetUseToolTip() override { return static_cast<short>(m_UseToolTip); }
    void SetUseToolTip(int v) override {
        m_UseToolTip = v;
        calls.push_back("SetUseToolTip=" + std::to_string(v));
    }
    short GetUseAutoUpdate() override { return static_cast<short>(m_UseAutoUpdate); }
    void SetUseAutoUpdate(int v) override {
        m_UseAutoUpdate = v;
        calls.push_back("SetUseAutoUpdate=" + std::to_string(v));
    }
    int GetBufferSize() override { return static_cast<int>(m_BufferSize); }
    void SetBufferSize(int v) override {
        m_BufferSize = v;
        calls.push_back("SetBufferSize=" + std::to_string(v));
    }
    int GetMaxResentList() override { return static_cast<int>(m_MaxResentList); }
    void SetMaxResentList(int v) override {
        m_MaxResentList = v;
        calls.push_back("SetMaxResentList=" + std::to_string(v));
    }
    int GetMaxTimerEditList() override { return static_cast<int>(m_MaxTimerEditList); }
    void SetMaxTimerEditList(int v) override {
        m_MaxTimerEditList = v;
        calls.push_back("SetMaxTimerEditList=" + std::to_string(v));
    }
    short GetReconnectOnServerLost() override { return static_cast<short>(m_ReconnectOnServerLost); }
    void SetReconnectOnServerLost(short v) override {
        m_ReconnectOnServerLost = v;
        calls.push_back("SetReconnectOnServerLost=" + std::to_string(v));
    }
    int GetRetryCount() override { return static_cast<int>(m_RetryCount); }
    void SetRetryCount(int v) override {
        m_RetryCount = v;
        calls.push_back("SetRetryCount=" + std::to_string(v));
    }
    int GetAdBannerCX() override { return static_cast<int>(m_AdBannerCX); }
    int GetAdBannerCY() override { return static_cast<int>(m_AdBannerCY); }
    int GetAdBannerCX_ENG() override { return static_cast<int>(m_AdBannerCX_ENG); }
    int GetAdBannerCY_ENG() override { return static_cast<int>(m_AdBannerCY_ENG); }
    void SetAdBannerCX(int v) override {
        m_AdBannerCX = v;
        calls.push_back("SetAdBannerCX=" + std::to_string(v));
    }
    void SetAdBannerCY(int v) override {
        m_AdBannerCY = v;
        calls.push_back("SetAdBannerCY=" + std::to_string(v));
    }
    void SetAdBannerUrl(const char* v) override {
        m_AdBannerUrl = v ? v : "";
        calls.push_back("SetAdBannerUrl=" + m_AdBannerUrl);
    }
    int GetSplashCX() override { return static_cast<int>(m_SplashCX); }
    int GetSplashCY() override { return static_cast<int>(m_SplashCY); }
    void SetSplashCX(int v) override {
        m_SplashCX = v;
        calls.push_back("SetSplashCX=" + std::to_string(v));
    }
    void SetSplashCY(int v) override {
        m_SplashCY = v;
        calls.push_back("SetSplashCY=" + std::to_string(v));
    }
    int GetSplashCX_ENG() override { return static_cast<int>(m_SplashCX_ENG); }
    int GetSplashCY_ENG() override { return static_cast<int>(m_SplashCY_ENG); }
    void SetSplashCX_ENG(int v) override {
        m_SplashCX_ENG = v;
        calls.push_back("SetSplashCX_ENG=" + std::to_string(v));
    }
    void SetSplashCY_ENG(int v) override {
        m_SplashCY_ENG = v;
        calls.push_back("SetSplashCY_ENG=" + std::to_string(v));
    }
    void SetHostCapabilities(int v) override {
        m_HostCapabilities = v;
        calls.push_back("SetHostCapabilities=" + std::to_string(v));
    }
    int GetHostCapabilities() override { return static_cast<int>(m_HostCapabilities); }
    int GetInternetaccess() override { return static_cast<int>(m_Internetaccess); }
    void SetInternetaccess(int v) override {
        m_Internetaccess = v;
        calls.push_back("SetInternetaccess=" + std::to_string(v));
    }
    int GetTimeout() override { return static_cast<int>(m_Timeout); }
    void SetTimeout(int v) override {
        m_Timeout = v;
        calls.push_back("SetTimeout=" + std::to_string(v));
    }
    void SetHostCapabilitiesKnown(int v) override {
        m_HostCapabilitiesKnown = v;
        calls.push_back("SetHostCapabilitiesKnown=" + std::to_string(v));
    }
    int IsHostCapabilitiesKnown() override { return static_cast<int>(m_HostCapabilitiesKnown); }
    short GetAutoselectBandbreite() override { return static_cast<short>(m_AutoselectBandbreite); }
    void SetAutoselectBandbreite(short v) override {
        m_AutoselectBandbreite = v;
        calls.push_back("SetAutoselectBandbreite=" + std::to_string(v));
    }
    int IsFirstStart() override { return 0; }
    void Save() override {
        ++saves;
        calls.push_back("Save");
    }
    void SetAlterNeueSender(short v) override {
        m_AlterNeueSender = v;
        calls.push_back("SetAlterNeueSender=" + std::to_string(v));
    }
    short GetAlterNeueSender() override { return static_cast<short>(m_AlterNeueSender); }
    void SetUseRecording(int v) override {
        m_UseRecording = v;
        calls.push_back("SetUseRecording=" + std::to_string(v));
    }
    int GetUseRecording() override { return static_cast<int>(m_UseRecording); }
    void SetRecordingDir(const char* v) override {
        m_RecordingDir = v ? v : "";
        calls.push_back("SetRecordingDir=" + m_RecordingDir);
    }
    const char* GetRecordingDir() override { return m_RecordingDir.c_str(); }
    void SetPodcastDir(const char* v) override {
        m_PodcastDir = v ? v : "";
        calls.push_back("SetPodcastDir=" + m_PodcastDir);
    }
    const char* GetPodcastDir() override { return m_PodcastDir.c_str(); }
    void SetProxyHost(const char* v) override {
        m_ProxyHost = v ? v : "";
        calls.push_back("SetProxyHost=" + m_ProxyHost);
    }
    void SetProxyPort(const char* v) override {
        m_ProxyPort = v ? v : "";
        calls.push_back("SetProxyPort=" + m_ProxyPort);
    }
    const char* GetProxyHost() override { return m_ProxyHost.c_str(); }
    const char* GetProxyPort() override { return m_ProxyPort.c_str(); }
    int GetProxyEnabled() override { return static_cast<int>(m_ProxyEnabled); }
    int GetHTTP_Only() override { return static_cast<int>(m_HTTP_Only); }
    void SetProxyEnabled(int v) override {
        m_ProxyEnabled = v;
        calls.push_back("SetProxyEnabled=" + std::to_string(v));
    }
    void SetHTTP_Only(int v) override {
        m_HTTP_Only = v;
        calls.push_back("SetHTTP_Only=" + std::to_string(v));
    }
    int GetNAVAnimEnabled() override { return static_cast<int>(m_NAVAnimEnabled); }
    void SetNAVAnimEnabled(int v) override {
        m_NAVAnimEnabled = v;
        calls.push_back("SetNAVAnimEnabled=" + std::to_string(v));
    }
    void SetUserNameAuth(const char* v) override {
        m_UserNameAuth = v ? v : "";
        calls.push_back("SetUserNameAuth=" + m_UserNameAuth);
    }
    void SetUserPasswortAuth(const char* v) override {
        m_UserPasswortAuth = v ? v : "";
        calls.push_back("SetUserPasswortAuth=" + m_UserPasswortAuth);
    }
    const char* GetUserNameAuth() override { return m_UserNameAuth.c_str(); }
    const char* GetUserPasswortAuth() override { return m_UserPasswortAuth.c_str(); }
    int GetUseAuthentify() override { return static_cast<int>(m_UseAuthentify); }
    void SetUseAuthentify(int v) override {
        m_UseAuthentify = v;
        calls.push_back("SetUseAuthentify=" + std::to_string(v));
    }
    int GetIconizeToTray() override { return static_cast<int>(m_IconizeToTray); }
    void SetIconizeToTray(int v) override {
        m_IconizeToTray = v;
        calls.push_back("SetIconizeToTray=" + std::to_string(v));
    }
    int GetRecordSkipSilents() override { return static_cast<int>(m_RecordSkipSilents); }
    void SetRecordSkipSilents(int v) override {
        m_RecordSkipSilents = v;
        calls.push_back("SetRecordSkipSilents=" + std::to_string(v));
    }
    int GetAdjustRecordVol() override { return static_cast<int>(m_AdjustRecordVol); }
    void SetAdjustRecordVol(int v) override {
        m_AdjustRecordVol = v;
        calls.push_back("SetAdjustRecordVol=" + std::to_string(v));
    }
    int GetLanguage() override { return static_cast<int>(m_Language); }
    void SetLanguage(int v) override {
        m_Language = v;
        calls.push_back("SetLanguage=" + std::to_string(v));
    }
    int GetRecordingDevice() override { return static_cast<int>(m_RecordingDevice); }
    int GetRecordingSource() override { return static_cast<int>(m_RecordingSource); }
    int GetAutoupdatePrgTipps() override { return static_cast<int>(m_AutoupdatePrgTipps); }
    void SetAutoupdatePrgTipps(int v) override {
        m_AutoupdatePrgTipps = v;
        calls.push_back("SetAutoupdatePrgTipps=" + std::to_string(v));
    }
    int GetDeleteOldPrgTipps() override { return static_cast<int>(m_DeleteOldPrgTipps); }
    void SetDeleteOldPrgTipps(int v) override {
        m_DeleteOldPrgTipps = v;
        calls.push_back("SetDeleteOldPrgTipps=" + std::to_string(v));
    }
    const char* GetAutoCutMuster() override { return m_AutoCutMuster.c_str(); }
    void SetAutoCutMuster(const char* v) override {
        m_AutoCutMuster = v ? v : "";
        calls.push_back("SetAutoCutMuster=" + m_AutoCutMuster);
    }
    int GetAutoCutValue() override { return static_cast<int>(m_AutoCutValue); }
    void SetAutoCutValue(int v) override {
        m_AutoCutValue = v;
        calls.push_back("SetAutoCutValue=" + std::to_string(v));
    }
    int GetAutoCutType() override { return static_cast<int>(m_AutoCutType); }
    void SetAutoCutType(int v) override {
        m_AutoCutType = v;
        calls.push_back("SetAutoCutType=" + std::to_string(v));
    }
    const char* GetQualityMuster() override { return m_QualityMuster.c_str(); }
    void SetQualityMuster(const char* v) override {
        m_QualityMuster = v ? v : "";
        calls.push_back("SetQualityMuster=" + m_QualityMuster);
    }
    int GetQualitySPS() override { return static_cast<int>(m_QualitySPS); }
    void SetQualitySPS(int v) override {
        m_QualitySPS = v;
        calls.push_back("SetQualitySPS=" + std::to_string(v));
    }
    int GetQualityBPS() override { return static_cast<int>(m_QualityBPS); }
    void SetQualityBPS(int v) override {
        m_QualityBPS = v;
        calls.push_back("SetQualityBPS=" + std::to_string(v));
    }
    int GetQualityNCH() override { return static_cast<int>(m_QualityNCH); }
    void SetQualityNCH(int v) override {
        m_QualityNCH = v;
        calls.push_back("SetQualityNCH=" + std::to_string(v));
    }
    int GetRecordingFormat() override { return static_cast<int>(m_RecordingFormat); }
    void SetRecordingFormat(int v) override {
        m_RecordingFormat = v;
        calls.push_back("SetRecordingFormat=" + std::to_string(v));
    }
    int GetMP3VBR() override { return static_cast<int>(m_MP3VBR); }
    void SetMP3VBR(int v) override {
        m_MP3VBR = v;
        calls.push_back("SetMP3VBR=" + std::to_string(v));
    }
    int GetMP3STEREO() override { return static_cast<int>(m_MP3STEREO); }
    void SetMP3STEREO(int v) override {
        m_MP3STEREO = v;
        calls.push_back("SetMP3STEREO=" + std::to_string(v));
    }
    int GetMP3BPS() override { return static_cast<int>(m_MP3BPS); }
    void SetMP3BPS(int v) override {
        m_MP3BPS = v;
        calls.push_back("SetMP3BPS=" + std::to_string(v));
    }
    int GetNavWinCX() override { return static_cast<int>(m_NavWinCX); }
    int GetNavWinCY() override { return static_cast<int>(m_NavWinCY); }
    void SetNavWinCX(int v) override {
        m_NavWinCX = v;
        calls.push_back("SetNavWinCX=" + std::to_string(v));
    }
    void SetNavWinCY(int v) override {
        m_NavWinCY = v;
        calls.push_back("SetNavWinCY=" + std::to_string(v));
    }
    void SetVelmoAddy(int v) override {
        m_VelmoAddy = v;
        calls.push_back("SetVelmoAddy=" + std::to_string(v));
    }
    int GetVelmoAddy() override { return static_cast<int>(m_VelmoAddy); }
    int GetPodAutoUpdate() override { return static_cast<int>(m_PodAutoUpdate); }
    int GetPodAutoDownload() override { return static_cast<int>(m_PodAutoDownload); }
    int GetPodAutoDeleteFiles() override { return static_cast<int>(m_PodAutoDeleteFiles); }
    int GetPodDeletePodcasts() override { return static_cast<int>(m_PodDeletePodcasts); }
    void SetPodAutoUpdate(int v) override {
        m_PodAutoUpdate = v;
        calls.push_back("SetPodAutoUpdate=" + std::to_string(v));
    }
    void SetPodAutoDownload(int v) override {
        m_PodAutoDownload = v;
        calls.push_back("SetPodAutoDownload=" + std::to_string(v));
    }
    void SetPodAutoDeleteFiles(int v) override {
        m_PodAutoDeleteFiles = v;
        calls.push_back("SetPodAutoDeleteFiles=" + std::to_string(v));
    }
    void SetPodDeletePodcasts(int v) override {
        m_PodDeletePodcasts = v;
        calls.push_back("SetPodDeletePodcasts=" + std::to_string(v));
    }
    void SetSplashURL_ENG(const char* v) override {
        m_SplashURL_ENG = v ? v : "";
        calls.push_back("SetSplashURL_ENG=" + m_SplashURL_ENG);
    }
    void SetSplashURL(const char* v) override {
        m_SplashURL = v ? v : "";
        calls.push_back("SetSplashURL=" + m_SplashURL);
    }
};

}  // namespace dlgtest
