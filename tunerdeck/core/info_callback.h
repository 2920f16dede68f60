// The one entry through which the skin engine reports the user's actions:
// InfoCallback (code, number, text). Quick codes and codes that answer in
// the caller's buffer run at once on the caller's thread; every other code
// runs on a short-lived worker thread of its own with copies of whatever the
// caller's memory would not keep alive.
//
// The callback reaches the player through cCallbackTarget. The player object
// registers itself with SetCallbackTarget and, before it goes, unregisters
// and waits for the workers (WaitForCallbackWorkers).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace td {

struct SearchCriteria;

// A file name and its play counter (callback code 73).
struct FileCountQuery {
    const char* fileName;
    int32_t count;
};

// Size of the caller's buffer for code 54 (the skin does not pass one).
constexpr size_t kDetailsBufferSize = 1024;
// Size of the conversion record of code 62.
constexpr size_t kConvertRecordSize = 2060;
// Code 81: at most this many names are counted.
constexpr int kMaxCountedNames = 4096;

// What the callback needs of the player. Every operation has a do-nothing
// default so that a partial player (and a test double) stays small.
class cCallbackTarget {
public:
    virtual ~cCallbackTarget() = default;

    // ---- immediate codes
    virtual void SetFavorite(int stationId, int folder) {}
    virtual void SetSoundOn(int on) {}
    virtual void SetMasterVolume(int value) {}
    virtual void SendVolumeStatus() {}
    virtual void ChangeSkin(const char* skin) {}
    virtual void Banner(int action, int kind) {}
    virtual void SecondBanner(int action, int kind) {}
    // Whether the banner has a browser control; the player sends status 15
    // itself when there is none.
    virtual int BannerAnswer() { return 0; }
    virtual void DebugText(const char* text, int level) {}
    virtual void CloseInstanceMarker() {}
    virtual void SetFolder(int folderId, const char* name) {}
    virtual int SendRecommendation(void* record) { return 0; }
    virtual void StartListening() {}
    virtual void SendRecordLevelStatus() {}
    virtual void SetUserStation(int id, const std::string (&fields)[9]) {}
    virtual void DeleteUserStation(int id) {}
    virtual void RunProgram(const char* commandLine) {}
    virtual void TimerListChanged(void* timerList) {}
    virtual std::string StationDetails(int channelId) { return std::string(); }
    virtual void LowerVolumeForDownload() {}
    virtual const char* ProgramFolder() { return ""; }
    virtual void OpenProgrammTip(int id) {}
    virtual int CheckEncoder() { return 0; }
    virtual void AddPodcast(const char* address) {}
    virtual void DeletePodcast(int id) {}
    virtual void SetPodcastSubscribed(int id, int subscribed) {}
    virtual int32_t GetFileCount(const char* fileName) { return 0; }
    virtual void CountFile(const char* fileName) {}
    virtual std::string DatabaseTime() { return std::string(); }
    virtual void SaveAudioState() {}
    virtual void RestoreAudioState() {}
    virtual int UnpackEncoder(const char* archive) { return 0; }
    virtual unsigned long Capabilities() { return 0; }
    virtual void StoreProxy(const char* host, const char* port, int enabled) {}

    // ---- worker codes
    virtual void CheckConnection() {}
    virtual void ClearMetaAddresses() {}
    virtual void SetLocalFile(int flag) {}
    virtual void PlayChannel(int channelId) {}
    virtual void PlayStream(int streamId) {}
    virtual void PlayAddress(int channelId, const char* address) {}
    virtual void PlayLocalFile(int channelId, const char* address) {}
    virtual void Stop() {}
    virtual void StopRecording() {}
    virtual void TogglePause() {}
    virtual std::string StationHomepage(int channelId) { return std::string(); }
    virtual int Language() { return 1; }
    virtual void OpenBrowser(const char* address) {}
    virtual void Search(const SearchCriteria& criteria) {}
    virtual void RemoveFavorite(int stationId) {}
    virtual void ShowHelp(const char* page) {}
    virtual void PushDetails(int channelId) {}
    virtual void PushAllLists() {}
    virtual void SetRecTime() {}
    virtual void PlayTrack(int track) {}
    virtual void SetTrackPosition(int position) {}
    virtual void DownloadSkin(const char* name, int size) {}
    virtual void RemoveFolder(int folderId) {}
    virtual void UpdateDatabase() {}
    virtual void StartRecording(void* record) {}
    virtual void StopListeningIfIdle() {}
    virtual void SendSourceNames() {}
    virtual void SelectRecordSource(int index) {}
    virtual void SetRecordLevel(int level) {}
    virtual void ApplyRecordFormat() {}
    virtual void SendSkinData(const char* text) {}
    virtual void ShutdownComputer() {}
    virtual void SendDeviceNames() {}
    virtual void SelectRecordDevice(int index) {}
    virtual void ConvertToMp3(const void* record) {}
    virtual void StopConversion() {}
    virtual void UpdateProgrammTips() {}
    virtual void ReloadProgrammTips() {}
    virtual void ShowDeadStreams() {}
    virtual void ShowOfferedUpdate() {}
};

int InfoCallback(int fkt, int ch, void* text);

void SetCallbackTarget(cCallbackTarget* target);
// Waits until every worker thread has ended; false when some still run.
bool WaitForCallbackWorkers(DWORD timeoutMs);
long RunningCallbackWorkers();
// The lists-ready flag (set by code 15, awaited by code 48) and the
// first-play flag (cleared by code 37).
int ListsReady();
void ResetCallbackFlags();
// The maker's web pages: the host by language and the path.
std::string MakerAddress(int language, const char* englishPath, const char* germanPath);
// Only web addresses reach the shell.
bool IsWebAddress(const char* text);

}  // namespace td
