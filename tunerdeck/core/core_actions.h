// The callback's actions that the player core carries out over its own
// parts: favourites, folders and podcasts in the user data store, the file
// counter, the station search and the recording pipe. The player object
// derives from it (or owns one) and adds what needs the player itself
// (playing, banners, server jobs).
#pragma once

#include <functional>
#include <string>

#include "info_callback.h"
#include "list_push.h"
#include "mp3_convert.h"
#include "recording_control.h"

class cSettings;
class cUserDataStore;

namespace td {

class cCoreActions : public cCallbackTarget {
public:
    // Longest folder name kept (code 33).
    static constexpr size_t kMaxFolderName = 255;

    cCoreActions(cSettings* settings, cUserDataStore* store, cRecordingControl* recording, const SkinListApi& skin)
        : settings_(settings), store_(store), recording_(recording), skin_(skin), lister_(store, skin) {}

    // The display text a recording without title is named after.
    void SetDisplayTextSource(std::function<std::string()> f) { displayText_ = std::move(f); }
    // True once the player is ending: a running search stops at the next channel.
    void SetEnding(std::function<bool()> f) { ending_ = std::move(f); }
    // Called after every change of the favourites, folders or own stations.
    void SetListsChanged(std::function<void()> f) { listsChanged_ = std::move(f); }
    // The criteria of the last search (the player's later stream choices follow them).
    const SearchCriteria& LastSearch() const { return lastSearch_; }
    cStationLister& Lister() { return lister_; }

    void SetFavorite(int stationId, int folder) override;
    void RemoveFavorite(int stationId) override;
    void SetFolder(int folderId, const char* name) override;
    void RemoveFolder(int folderId) override;
    void AddPodcast(const char* address) override { lister_.AddPodcast(address); }
    void DeletePodcast(int id) override { lister_.DeletePodcast(static_cast<uint32_t>(id)); }
    void SetPodcastSubscribed(int id, int s) override { lister_.SetPodcastSubscribed(static_cast<uint32_t>(id), s != 0); }
    // Own stations; a store without an own-station list (no file yet) takes none.
    void SetUserStation(int id, const std::string (&fields)[9]) override;
    void DeleteUserStation(int id) override;
    int32_t GetFileCount(const char* fileName) override;
    void CountFile(const char* fileName) override;
    std::string DatabaseTime() override;
    std::string StationDetails(int channelId) override;
    const char* ProgramFolder() override;
    int Language() override;
    void Search(const SearchCriteria& criteria) override;
    // A station's homepage: the database's, else the own station's.
    std::string StationHomepage(int channelId) override;
    void PushDetails(int channelId) override { lister_.PushDetails(static_cast<uint32_t>(channelId), Language()); }
    // Writes a given timer list, reloads the store's and pushes it.
    void TimerListChanged(void* timerList) override;
    // Opens the tip's link (web addresses only) through OpenBrowser.
    void OpenProgrammTip(int id) override;
    // Code 66: the stored tips again, without those that have ended, pushed.
    void ReloadProgrammTips() override;

    // The stored tips (old ones dropped by the setting DeleteOldPrgTipps), pushed.
    void PushProgrammTips();
    // The lists of the user's own: own stations, timer entries, programme tips.
    void PushUserLists();

    void SetSoundOn(int on) override { recording_->SetMute(on ? 0 : 1); }
    void SetMasterVolume(int value) override { recording_->SetVolume(value, 0); }
    void SendVolumeStatus() override { recording_->SendVolumeStatus(); }
    void StartListening() override { recording_->StartListening(); }
    void SendRecordLevelStatus() override { recording_->SendRecordLevelStatus(); }
    void LowerVolumeForDownload() override { recording_->LowerVolumeForDownload(); }
    void SaveAudioState() override { recording_->SaveAudioState(); }
    void RestoreAudioState() override { recording_->RestoreAudioState(); }
    void StartRecording(void* record) override;
    void StopRecording() override { recording_->StopRecording(); }
    void StopListeningIfIdle() override { recording_->StopListeningIfIdle(); }
    void SendSourceNames() override { recording_->SendSourceNames(); }
    void SelectRecordSource(int index) override { recording_->SelectRecordSource(index); }
    void SetRecordLevel(int level) override { recording_->SetVolume(level, 1); }
    void ApplyRecordFormat() override;
    void SendDeviceNames() override { recording_->SendDeviceNames(); }
    void SelectRecordDevice(int index) override { recording_->SelectRecordDevice(index); }

    // WAV to MP3 (code 62) until done or stopped by code 63.
    int CheckEncoder() override { return CheckMp3Encoder(); }
    void ConvertToMp3(const void* record) override;
    void StopConversion() override { InterlockedExchange(&stopConversion_, 1); }
    // Where conversion progress goes instead of the order's window (tests).
    void SetConvertNotify(ConvertNotifyFn f) { convertNotify_ = std::move(f); }

protected:
    void ListsChanged();

    cSettings* settings_;
    cUserDataStore* store_;
    cRecordingControl* recording_;
    SkinListApi skin_;
    cStationLister lister_;
    SearchCriteria lastSearch_ = {};
    std::function<std::string()> displayText_;
    std::function<void()> listsChanged_;
    std::function<bool()> ending_;
    ConvertNotifyFn convertNotify_;
    volatile LONG stopConversion_ = 0;
};

}  // namespace td
