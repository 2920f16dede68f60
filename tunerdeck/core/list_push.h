// Filling the skin engine's lists from the user data store: each push empties
// one list, adds its entries and ends the series with a null text. Also the
// station details texts the entries carry, and the station search, whose hits
// travel the same way.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class cUserDataStore;
class cChannelElement;
class cProgrammtipp;
class cTimerEntry;

#include "play_rules.h"

namespace td {

class cSkinBinding;

// facetkit's list entry points as the player calls them. Any may be null
// (not bound); a push whose entry points are missing does nothing.
struct SkinListApi {
    void (*ClearList)(int kind) = nullptr;
    void (*AddToList)(int kind, const char* text, int id, int parentId) = nullptr;
    void (*AddToFavoriten)(const char* text, int id, int folderId) = nullptr;
    void (*AddToTopTen)(const char* text, int id, const char* date) = nullptr;
    void (*AddToPodcast)(const char* address, int id, int subscribed) = nullptr;
    void (*SearchResult)(const char* text, int channelId) = nullptr;
    int (*ReceiveStatus)(char* text, int code) = nullptr;
    void (*AddUserDefinedSender)(const char* text, int id) = nullptr;
    void (*AddToTimerEntrie)(cTimerEntry* entry) = nullptr;
    void (*AddToSkinDefinedSender)(const char* text, int id) = nullptr;
    void (*AddToProgrammtipps)(const char* text, int id, const char* date) = nullptr;
    // The station-details view: details line, id, name, region ids, country
    // id, type id, genre ids, language ids, stream records.
    void (*GetDetails)(const char* line, int id, const char* name, const char* regions, int country, int type,
                       const char* genres, const char* languages, const char* streams) = nullptr;
    void (*GetLastPlayedSender)(const char* text, int channelId) = nullptr;
    void (*ShowInfo)(int cx, int cy, const char* text) = nullptr;
    // The player's UI-up flag: pushes run only while it is 1 (null: always).
    const volatile int* uiUp = nullptr;

    bool Up() const { return !uiUp || *uiUp == 1; }
    void Status(const char* text, int code) const;
};

SkinListApi SkinListApiFrom(const cSkinBinding& skin, const volatile int* uiUp);

// List kinds of ClearList.
enum ListKind {
    kListStationTypes = 0, kListLanguages = 1, kListRegions = 2, kListCountries1 = 3, kListGenres1 = 4,
    kListGenres2 = 5, kListCountries2 = 6, kListFavorites = 7, kListTopStations = 8, kListFormats = 10,
    kListFolders = 11, kListBandwidth = 12, kListUserStations = 14, kListTimers = 15, kListProgrammTips = 16,
    kListSkinStations = 17, kListPodcasts = 18
};

// What GetLastPlayedSender shows when no station was played yet.
constexpr const char* kPlayerTitle = "velmirant-Player";

// The search record the skin hands over (callback code 6).
struct SearchCriteria {
    char name[260];
    uint16_t upperGenre;
    uint16_t language;
    uint8_t streamType;
    uint8_t stationType;
    uint16_t country;
    uint16_t region;
    uint16_t bandwidthClass;
    uint16_t newStations;
    uint16_t countryGroup;
    uint16_t genreGroup;
};
static_assert(sizeof(SearchCriteria) == 278, "search record as the skin sends it");

const char* BandwidthClassText(int cls, int language);

// Days from 1970-01-01 of a YYYYMMDD text; false when it is not one.
bool DaysOfDateText(const char* text, size_t len, long* days);
long TodayDays();
// Today as YYYYMMDD.
std::string TodayText();

class cStationLister {
public:
    cStationLister(cUserDataStore* store, const SkinListApi& skin) : store_(store), skin_(skin) {}

    // Waits (bounded, the caller's own) until the player knows which engines
    // play, so that the details' playable field is right; called before the
    // favourites, top stations and the last-played station are pushed.
    void SetEngineWait(std::function<void()> wait) { engineWait_ = std::move(wait); }
    // The rules by which the player would choose a channel's stream (its
    // engines, the user's bandwidth choice). The details name that stream,
    // and a channel is playable only when an installed engine plays one of
    // its streams. Without it every stream counts.
    void SetStreamRules(std::function<StreamChoiceRules()> rules) { streamRules_ = std::move(rules); }

    // 11 fields separated by 0x02 (see the .cpp); empty for an unknown id.
    // Ids from 0xFFFF0001 on are the user's own stations.
    std::string StationDetails(uint32_t channelId, int language);
    // An own station in the 11-field form, or with `full` the 14-field form
    // of the own-station list (stream format, address and homepage added).
    std::string UserStationDetails(uint32_t id, bool full);
    // A programme tip as the tip list shows it: 0x02-separated start, stop,
    // title, genre, station, channel, channel id, the new flag (1 when it
    // arrived today, `today` as YYYYMMDD), link and timer name.
    static std::string ProgrammTipText(const cProgrammtipp& tip, const char* today);

    void PushCategoryLists(int language);
    void PushFavorites(int language);
    void PushTopStations(int language, const char* date);
    void PushPodcasts();
    void PushUserStations();
    // Each entry's station name becomes the details of its channel.
    void PushTimerEntries(int language);
    // The skin's own stations: ids separated by ";" (unknown ones left out).
    void PushSkinStations(const char* idList, int language);
    void PushProgrammTips(const std::vector<std::unique_ptr<cProgrammtipp>>& tips, const char* date);
    // The details view of one station with its stream records; false when
    // the station is unknown.
    bool PushDetails(uint32_t channelId, int language);
    // The station of "LastChannelId" to the skin (or the player's title when
    // there is none) and its details view. The channel id shown, 0 for none.
    uint32_t PushLastPlayed(int language);

    // Podcasts by address; each change is saved.
    void AddPodcast(const char* address);
    void SetPodcastSubscribed(uint32_t id, bool subscribed);
    void DeletePodcast(uint32_t id);

    struct SearchOptions {
        int language = 1;
        int newStationDays = 14;
        long today = 0;                         // days; 0 = now
        std::function<bool()> cancelled;        // the player is ending
    };
    // Walks the station database and hands every hit to SearchResult;
    // status 7 at the end. The number of hits.
    int Search(const SearchCriteria& criteria, const SearchOptions& options);

private:
    void WaitForEngines() const {
        if (engineWait_) engineWait_();
    }

    cUserDataStore* store_;
    SkinListApi skin_;
    std::function<void()> engineWait_;
    std::function<StreamChoiceRules()> streamRules_;
    StreamChoiceRules Rules() const;
};

}  // namespace td
