// The player's settings: every user setting, kept as one enciphered XML
// record in the registry value "VLSettings" (the language separately as
// "Language"), reachable by the skin engine through cSettingsInterface.
//
// Threads: numbers are single aligned loads and stores; texts live in fixed
// buffers that are rewritten in place under a lock, never freed, so a
// pointer a reader holds stays valid.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "download.h"
#include "registry.h"
#include "settings_interface.h"
#include "win_handles.h"

class cSettings : public cSettingsInterface {
public:
    static constexpr unsigned kTextCapacity = 1024;
    // The value name an unreadable record is copied to before it is overwritten.
    static constexpr const char* kBadRecordValue = "VLSettings_bad";

    cSettings();
    ~cSettings() override;
    cSettings(const cSettings&) = delete;
    cSettings& operator=(const cSettings&) = delete;

    void Load();
    // The XML record as Save stores it (before enciphering).
    std::string BuildXml();

    // ---- host interface
    void SetAutoStart(short v) override { autoStart_ = v; }
    short GetAutoStart() override { return static_cast<short>(autoStart_); }
    void SetSearchExtra(short v) override { searchExtra_ = v; }
    short GetSearchExtra() override { return static_cast<short>(searchExtra_); }
    void SetUseControlCenter(int v) override;
    int GetUseControlCenter() override { return useControlCenter_; }
    void SetUseLokal(short) override {}
    short GetUseLokal() override { return static_cast<short>(useLokal_); }
    short GetNavOpen() override { return static_cast<short>(navOpen_); }
    void SetNavOpen(short v) override { navOpen_ = v; }
    short GetScreen() override { return static_cast<short>(screen_); }
    void SetScreen(short v) override { screen_ = v; }
    short GetUseToolTip() override { return static_cast<short>(useToolTip_); }
    void SetUseToolTip(int v) override { useToolTip_ = v; }
    short GetUseAutoUpdate() override { return static_cast<short>(useAutoUpdate_); }
    void SetUseAutoUpdate(int v) override { useAutoUpdate_ = v; }
    int GetBufferSize() override { return bufferSize_; }
    void SetBufferSize(int v) override { bufferSize_ = v; }
    int GetMaxResentList() override { return maxResentList_; }
    void SetMaxResentList(int v) override { maxResentList_ = v; }
    int GetMaxTimerEditList() override { return maxTimerEditList_; }
    void SetMaxTimerEditList(int v) override { maxTimerEditList_ = v; }
    short GetReconnectOnServerLost() override { return static_cast<short>(reconnectOnServerLost_); }
    void SetReconnectOnServerLost(short v) override { reconnectOnServerLost_ = v; }
    int GetRetryCount() override { return retryCount_; }
    void SetRetryCount(int v) override { retryCount_ = v; }
    int GetAdBannerCX() override { return adBannerCX_; }
    int GetAdBannerCY() override { return adBannerCY_; }
    int GetAdBannerCX_ENG() override { return adBannerCXEng_; }
    int GetAdBannerCY_ENG() override { return adBannerCYEng_; }
    void SetAdBannerCX(int v) override { adBannerCX_ = v; }
    void SetAdBannerCY(int v) override { adBannerCY_ = v; }
    void SetAdBannerUrl(const char* text) override;
    int GetSplashCX() override { return splashCX_; }
    int GetSplashCY() override { return splashCY_; }
    void SetSplashCX(int v) override { splashCX_ = v; }
    void SetSplashCY(int v) override { splashCY_ = v; }
    int GetSplashCX_ENG() override { return splashCXEng_; }
    int GetSplashCY_ENG() override { return splashCYEng_; }
    void SetSplashCX_ENG(int v) override { splashCXEng_ = v; }
    void SetSplashCY_ENG(int v) override { splashCYEng_ = v; }
    void SetHostCapabilities(int v) override { hostCapabilities_ = v; }
    int GetHostCapabilities() override { return hostCapabilities_; }
    int GetInternetaccess() override { return internetaccess_; }
    void SetInternetaccess(int v) override { internetaccess_ = v; }
    int GetTimeout() override { return timeout_; }
    void SetTimeout(int v) override { timeout_ = v; }
    void SetHostCapabilitiesKnown(int v) override { hostCapabilitiesKnown_ = v; }
    int IsHostCapabilitiesKnown() override { return hostCapabilitiesKnown_; }
    short GetAutoselectBandbreite() override { return static_cast<short>(autoselectBandbreite_); }
    void SetAutoselectBandbreite(short v) override { autoselectBandbreite_ = v; }
    int IsFirstStart() override;
    void Save() override;
    void SetAlterNeueSender(short v) override { alterNeueSender_ = v; }
    short GetAlterNeueSender() override { return static_cast<short>(alterNeueSender_); }
    void SetUseRecording(int v) override { useRecording_ = v; }
    int GetUseRecording() override { return useRecording_; }
    // The recording and podcast folders may lie anywhere the user chose:
    // their files are opened from the interface, so they become browsable.
    void SetRecordingDir(const char* t) override {
        SetText(recordingDir_, t);
        AddBrowsableFolder(recordingDir_);
    }
    const char* GetRecordingDir() override { return recordingDir_; }
    void SetPodcastDir(const char* t) override {
        SetText(podcastDir_, t);
        AddBrowsableFolder(podcastDir_);
    }
    const char* GetPodcastDir() override { return podcastDir_; }
    void SetProxyHost(const char* t) override { SetText(proxyHost_, t); }
    void SetProxyPort(const char* t) override { SetText(proxyPort_, t); }
    const char* GetProxyHost() override { return proxyHost_; }
    const char* GetProxyPort() override { return proxyPort_; }
    int GetProxyEnabled() override { return proxyEnabled_; }
    int GetHTTP_Only() override { return httpOnly_; }
    void SetProxyEnabled(int v) override { proxyEnabled_ = v; }
    void SetHTTP_Only(int v) override { httpOnly_ = v; }
    int GetNAVAnimEnabled() override { return navAnimEnabled_; }
    void SetNAVAnimEnabled(int v) override { navAnimEnabled_ = v; }
    void SetUserNameAuth(const char* t) override { SetText(userNameAuth_, t); }
    void SetUserPasswortAuth(const char* t) override { SetText(userPasswortAuth_, t); }
    const char* GetUserNameAuth() override { return userNameAuth_; }
    const char* GetUserPasswortAuth() override { return userPasswortAuth_; }
    int GetUseAuthentify() override { return useAuthentify_; }
    void SetUseAuthentify(int v) override { useAuthentify_ = v; }
    int GetIconizeToTray() override { return iconizeToTray_; }
    void SetIconizeToTray(int v) override { iconizeToTray_ = v; }
    int GetRecordSkipSilents() override { return recordSkipSilents_; }
    void SetRecordSkipSilents(int v) override { recordSkipSilents_ = v; }
    int GetAdjustRecordVol() override { return adjustRecordVol_; }
    void SetAdjustRecordVol(int v) override { adjustRecordVol_ = v; }
    int GetLanguage() override { return language_; }
    void SetLanguage(int v) override { language_ = v; }
    int GetRecordingDevice() override { return recordingDevice_; }
    int GetRecordingSource() override { return recordingSource_; }
    int GetAutoupdatePrgTipps() override { return autoupdatePrgTipps_; }
    void SetAutoupdatePrgTipps(int v) override { autoupdatePrgTipps_ = v; }
    int GetDeleteOldPrgTipps() override { return deleteOldPrgTipps_; }
    void SetDeleteOldPrgTipps(int v) override { deleteOldPrgTipps_ = v; }
    const char* GetAutoCutMuster() override { return autoCutMuster_; }
    void SetAutoCutMuster(const char* name) override;
    int GetAutoCutValue() override { return autoCutValue_; }
    void SetAutoCutValue(int v) override { autoCutValue_ = v; }
    int GetAutoCutType() override { return autoCutType_; }
    void SetAutoCutType(int v) override { autoCutType_ = v; }
    const char* GetQualityMuster() override { return qualityMuster_; }
    void SetQualityMuster(const char* name) override;
    int GetQualitySPS() override { return qualitySPS_; }
    void SetQualitySPS(int v) override { qualitySPS_ = v; }
    int GetQualityBPS() override { return qualityBPS_; }
    void SetQualityBPS(int v) override { qualityBPS_ = v; }
    int GetQualityNCH() override { return qualityNCH_; }
    void SetQualityNCH(int v) override { qualityNCH_ = v; }
    int GetRecordingFormat() override { return recordingFormat_; }
    void SetRecordingFormat(int v) override { recordingFormat_ = v; }
    int GetMP3VBR() override { return mp3VBR_; }
    void SetMP3VBR(int v) override { mp3VBR_ = v; }
    int GetMP3STEREO() override { return mp3STEREO_; }
    void SetMP3STEREO(int v) override { mp3STEREO_ = v; }
    int GetMP3BPS() override { return mp3BPS_; }
    void SetMP3BPS(int v) override { mp3BPS_ = v; }
    int GetNavWinCX() override { return navWinCX_; }
    int GetNavWinCY() override { return navWinCY_; }
    void SetNavWinCX(int v) override { navWinCX_ = v; }
    void SetNavWinCY(int v) override { navWinCY_ = v; }
    void SetVelmoAddy(int v) override { velmoAddy_ = v; }
    int GetVelmoAddy() override { return velmoAddy_; }
    int GetPodAutoUpdate() override { return podAutoUpdate_; }
    int GetPodAutoDownload() override { return podAutoDownload_; }
    int GetPodAutoDeleteFiles() override { return podAutoDeleteFiles_; }
    int GetPodDeletePodcasts() override { return podDeletePodcasts_; }
    void SetPodAutoUpdate(int v) override { podAutoUpdate_ = v; }
    void SetPodAutoDownload(int v) override { podAutoDownload_ = v; }
    void SetPodAutoDeleteFiles(int v) override { podAutoDeleteFiles_ = v; }
    void SetPodDeletePodcasts(int v) override { podDeletePodcasts_ = v; }
    void SetSplashURL_ENG(const char* t) override { SetText(splashURLEng_, t); }
    void SetSplashURL(const char* t) override { SetText(splashURL_, t); }

    // ---- the player's own accessors
    void SetRecordingSource(int v) { recordingSource_ = v; }
    void SetRecordingDevice(int v) { recordingDevice_ = v; }
    int GetAutoCutFolder() { return autoCutFolder_; }
    const char* GetDBTime() { return dbTime_; }
    void SetDBTime(const char* t) { SetText(dbTime_, t); }
    const char* GetVLUrl() { return vlUrl_; }
    const char* GetPID() { return pid_; }
    void SetPID(const char* t) { SetText(pid_, t); }
    const char* GetAdBannerUrl() { return adBannerUrl_; }
    const char* GetAdBannerUrl_ENG() { return adBannerUrlEng_; }
    void SetAdBannerUrl_ENG(const char* text);
    // The values "-1" restores (the update check's answer).
    void SetAdBannerDefaults(const char* url, const char* urlEng);
    void SetAdBannerCX_ENG(int v) { adBannerCXEng_ = v; }
    void SetAdBannerCY_ENG(int v) { adBannerCYEng_ = v; }
    const char* GetSplashURL() { return splashURL_; }
    const char* GetSplashURL_ENG() { return splashURLEng_; }
    // The stored user-action records, as the record text holds them.
    std::string GetPendingUserActions();
    void SetPendingUserActions(const std::string& records);

private:
    enum class Kind { Short, Int, Text, Records };
    struct Field {
        const char* name;
        Kind kind;
        void* member;
        int lo, hi;   // accepted range of a number; outside it the default stays
    };
    typedef char Text[kTextCapacity];

    void SetText(Text& member, const char* text);
    void Defaults();
    void BuildFields();
    bool ApplyXml(const std::string& xml);
    void CheckFolder(Text& member, const char* fallbackName);
    void LoadQuality();
    void ApplyProxy();

    bk::CriticalSection textLock_;
    std::vector<Field> fields_;

    int autoStart_, searchExtra_, useControlCenter_, useLokal_;
    Text dbTime_, vlUrl_, pid_, adBannerUrl_, adBannerUrlEng_;
    Text adBannerDefault_, adBannerDefaultEng_;
    int adBannerCX_, adBannerCY_, adBannerCXEng_, adBannerCYEng_;
    std::string userActions_;
    int navOpen_, screen_, useToolTip_, useAutoUpdate_, bufferSize_, maxResentList_, maxTimerEditList_;
    int reconnectOnServerLost_, retryCount_, internetaccess_, autoselectBandbreite_, timeout_, alterNeueSender_;
    Text recordingDir_;
    int useRecording_;
    Text proxyHost_, proxyPort_;
    int proxyEnabled_, httpOnly_, navAnimEnabled_;
    Text userNameAuth_, userPasswortAuth_;
    int useAuthentify_, iconizeToTray_, recordSkipSilents_, adjustRecordVol_, recordingDevice_, recordingSource_;
    int autoupdatePrgTipps_, deleteOldPrgTipps_;
    Text autoCutMuster_;
    int autoCutType_, autoCutValue_, autoCutFolder_;
    Text qualityMuster_;
    int qualitySPS_, qualityBPS_, qualityNCH_, recordingFormat_, mp3VBR_, mp3STEREO_, mp3BPS_;
    int navWinCX_, navWinCY_, velmoAddy_;
    int podAutoUpdate_, podAutoDownload_, podAutoDeleteFiles_, podDeletePodcasts_;
    Text splashURL_, splashURLEng_;
    int splashCX_, splashCY_, splashCXEng_, splashCYEng_;
    Text podcastDir_;

    int language_ = 1;
    int hostCapabilities_ = 0, hostCapabilitiesKnown_ = 0;
    volatile LONG firstStart_ = 1;
};

// The proxy's user name and password of the settings, for the download
// manager and the playlist resolution of the playback-host client.
class cSettingsCredentials : public cDownloadCredentials {
public:
    explicit cSettingsCredentials(cSettings* settings) : settings_(settings) {}
    char* GetUserNameAuth() override { return const_cast<char*>(settings_->GetUserNameAuth()); }
    char* GetUserPasswortAuth() override { return const_cast<char*>(settings_->GetUserPasswortAuth()); }

private:
    cSettings* settings_;
};
