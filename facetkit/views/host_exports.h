// The flat C entry points the host binds by name from the loaded library.
#pragma once

#include "facetkit_api.h"

class cTimerEntry;

#define FK_EXPORT extern "C" FACETKIT_API

// Lists: a null text (or entry) ends a series.
FK_EXPORT void AddToFavoriten(const char* text, int id, int folder);
FK_EXPORT void AddToTopTen(const char* text, int id, const char* date);
FK_EXPORT void AddToProgrammtipps(const char* text, int id, const char* date);
FK_EXPORT void AddToSkinDefinedSender(const char* text, int id);
FK_EXPORT void AddUserDefinedSender(const char* text, int id);
FK_EXPORT void AddToTimerEntrie(cTimerEntry* entry);
FK_EXPORT void SearchResult(const char* text, int id);
FK_EXPORT int AddToPodcast(const char* address, int id, int subscribed);
FK_EXPORT void AddToList(int kind, const char* text, int id, int folder);
FK_EXPORT void ClearList(int kind);

// Status from the host (any host thread).
FK_EXPORT int ReceiveStatus(const char* text, int code);
FK_EXPORT void SetPeakLevel(int left, int right);
FK_EXPORT void SetRecTime(int a, int b, int c, int d);
FK_EXPORT void SetStreamInfo(unsigned long track, unsigned long count, unsigned long duration, const char* text1,
                             const char* text2);
FK_EXPORT void SetStreamRunInfo(unsigned long position, unsigned long nominalRate, unsigned long rate,
                                unsigned long buffer);

// Start-up and close, on the host's user-interface thread.
class cSettingsInterface;
class cDownloadManager;
struct BannerInfoRecord;
typedef int (*HostEventCallback)(int fkt, int ch, void* text);
FK_EXPORT cSettingsInterface* GetSettings(cSettingsInterface* host);
// 0, or -1 when no usable skin plug-in could be bound.
FK_EXPORT int Prepare(HostEventCallback callback, cDownloadManager* downloads, const char* skinsFolder, int unused,
                      int showLoading);
// Runs the user interface until the player closes; answers 1.
FK_EXPORT int BuildUp(void* skinCallback, const char* skinFolder, int startActions);
FK_EXPORT void GetLastPlayedSender(const char* name, int channelId);
FK_EXPORT void ShowInfo(int cx, int cy, const char* text);
FK_EXPORT BannerInfoRecord* GetBannerInfo(BannerInfoRecord* record);
FK_EXPORT BannerInfoRecord* GetSpezBannerInfo(BannerInfoRecord* record);
FK_EXPORT BannerInfoRecord* GetInfoBannerInfo(BannerInfoRecord* record);
FK_EXPORT BannerInfoRecord* GetPodcastBannerInfo(BannerInfoRecord* record);
FK_EXPORT void GetDetails(const char* stationLine, int stationId, const char* name, const char* regionIds,
                          int countryId, int typeId, const char* genreIds, const char* languageIds,
                          const char* streamList);
