#include "skin_binding.h"

#include "bounded_text.h"
#include "debug_log.h"

namespace td {

const char* const kSkinEntryNames[kSkinEntryCount] = {
    "BuildUp", "Prepare", "ReceiveStatus", "SetPeakLevel", "SetRecTime", "AddToFavoriten", "AddToTimerEntrie",
    "AddToTopTen", "AddToPodcast", "AddToSkinDefinedSender", "ClearList", "SearchResult", "AddToList",
    "GetDetails", "GetLastPlayedSender", "SetStreamRunInfo", "SetStreamInfo", "GetSettings", "GetBannerInfo",
    "AddToProgrammtipps", "ShowInfo", "GetSpezBannerInfo", "GetInfoBannerInfo", "GetPodcastBannerInfo",
    "AddUserDefinedSender",
};

void cSkinBinding::ClearEntries() {
    for (auto& e : entries_) e = nullptr;
}

bool cSkinBinding::Init(const char* programFolder) {
    ready_ = 0;
    missing_ = nullptr;
    ClearEntries();
    path_[0] = 0;
    if (!bk::TextFormat(path_, sizeof path_, "%s\\facetkit.dll", programFolder ? programFolder : "")) {
        WriteDebugLog("InitSkin: skin library path too long", 1);
        path_[0] = 0;
        return false;
    }
    if (!module_) module_ = LoadLibraryA(path_);
    if (!module_) {
        WriteDebugLogF(1, "InitSkin: cannot load %s (%lu)", path_, GetLastError());
        return false;
    }
    for (int i = 0; i < kSkinEntryCount; ++i) {
        entries_[i] = GetProcAddress(module_, kSkinEntryNames[i]);
        if (!entries_[i] && i < kRequiredEntryPoints && !missing_) missing_ = kSkinEntryNames[i];
    }
    if (missing_) {
        WriteDebugLogF(1, "InitSkin: %s lacks %s", path_, missing_);
        return false;
    }
    ready_ = 1;
    return true;
}

void cSkinBinding::Free() {
    ready_ = 0;
    ClearEntries();
    if (module_) {
        FreeLibrary(module_);
        module_ = nullptr;
    }
}

}  // namespace td
