// The skin engine facetkit.dll, loaded from the program folder and bound by
// the names of its entry points. Only the player object uses it.
#pragma once

#include <windows.h>

class cDownloadManager;
class cSettingsInterface;

// The event callback facetkit reports the user's actions through.
using HostEventCallback = int (*)(int fkt, int ch, void* text);

namespace td {

using PfnBuildUp = int (*)(HostEventCallback callback, const char* skinFolder, int startArg);
using PfnPrepare = int (*)(HostEventCallback callback, cDownloadManager* downloads, const char* skinFolder,
                           int startArg, int firstStart);
using PfnReceiveStatus = int (*)(char* text, int code);
using PfnGetSettings = void (*)(cSettingsInterface* settings);
using PfnSetStreamInfo = void (*)(unsigned long track, unsigned long maxTrack, unsigned long maxPlaytime,
                                  char* title, char* author);
using PfnSetStreamRunInfo = void (*)(unsigned long a, unsigned long b, unsigned long c, unsigned long d);
using PfnClearList = void (*)(int kind);
using PfnAddToList = void (*)(int kind, const char* text, int id, int parentId);
using PfnGetLastPlayedSender = void (*)(const char* text, int channelId);

// Entry points in binding order; the first kRequiredEntryPoints must exist.
enum SkinEntry {
    kBuildUp, kPrepare, kReceiveStatus, kSetPeakLevel, kSetRecTime, kAddToFavoriten, kAddToTimerEntrie,
    kAddToTopTen, kAddToPodcast, kAddToSkinDefinedSender, kClearList, kSearchResult, kAddToList, kGetDetails,
    kGetLastPlayedSender, kSetStreamRunInfo, kSetStreamInfo, kGetSettings, kGetBannerInfo,
    kAddToProgrammtipps, kShowInfo, kGetSpezBannerInfo, kGetInfoBannerInfo, kGetPodcastBannerInfo,
    kAddUserDefinedSender, kSkinEntryCount
};
constexpr int kRequiredEntryPoints = kAddToProgrammtipps;
static_assert(kSkinEntryCount == 25, "facetkit's entry points");
extern const char* const kSkinEntryNames[kSkinEntryCount];

class cSkinBinding {
public:
    static constexpr unsigned kPathSize = 260;

    cSkinBinding() = default;
    ~cSkinBinding() { Free(); }
    cSkinBinding(const cSkinBinding&) = delete;
    cSkinBinding& operator=(const cSkinBinding&) = delete;

    // Loads programFolder\facetkit.dll and binds every name; true when all
    // required names were found (the library then counts as ready).
    bool Init(const char* programFolder);
    void Free();
    bool Ready() const { return ready_ != 0; }
    void SetReady(bool ready) { ready_ = ready ? 1 : 0; }
    HMODULE Module() const { return module_; }
    const char* Path() const { return path_; }
    // The name of the first required entry point missing at the last Init,
    // or null.
    const char* MissingEntry() const { return missing_; }

    template <typename F>
    F Get(SkinEntry e) const {
        return reinterpret_cast<F>(entries_[e]);
    }
    bool Has(SkinEntry e) const { return entries_[e] != nullptr; }

private:
    void ClearEntries();

    HMODULE module_ = nullptr;
    FARPROC entries_[kSkinEntryCount] = {};
    char path_[kPathSize] = {};
    volatile LONG ready_ = 0;
    const char* missing_ = nullptr;
};

}  // namespace td
