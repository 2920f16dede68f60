// The lists the host pushes into the skin engine, one entry per call, and
// the windows read after the end-of-series message. One store per library;
// its lists survive a skin change.
#pragma once

#include <windows.h>

#include <cstddef>

#include "facetkit_api.h"
#include "liste.h"
#include "txtelement.h"

class cTimerEntry;

// Slots of the store (other code names lists by these numbers).
enum ListSlot {
    LS_FAVOURITES = 0, LS_TOP_STATIONS, LS_USER_STATIONS, LS_GENRES_LOWER, LS_GENRES_UPPER, LS_LANGUAGES,
    LS_STATION_TYPES, LS_STREAM_FORMATS, LS_COUNTRIES_LOWER, LS_COUNTRIES_UPPER, LS_REGIONS, LS_SEARCH_HITS,
    LS_UNUSED, LS_FAVOURITE_FOLDERS, LS_QUALITIES, LS_RECENT, LS_TIMER_ENTRIES, LS_PROGRAMME_TIPS,
    LS_SKIN_STATIONS, LS_PODCASTS, LS_COUNT
};

// Messages the store posts to the windows when a series ends.
enum {
    WM_FK_TOPLISTS_CHANGED = 1131,
    WM_FK_LISTS_CHANGED = 1132,
    WM_FK_PODCASTS_CHANGED = 1140,
};

// The registry value of the recent stations and its largest size.
constexpr const char* kRecentValueName = "ResentList";
constexpr size_t kRecentValueSize = 4096;
// Limits of the recent list whatever the settings say.
constexpr int kRecentLimitMin = 1;
constexpr int kRecentLimitMax = 999;

// A podcast subscription as the host pushes it: the feed's address in the
// text, its id and whether the user subscribed.
class FACETKIT_API cPodcastEntry : public cTxtElement {
public:
    int subscribed = 0;
};

class FACETKIT_API cListStore {
public:
    enum { DATE_SIZE = 29 };

    cListStore();
    ~cListStore();
    cListStore(const cListStore&) = delete;
    cListStore& operator=(const cListStore&) = delete;

    cListe* List(int slot) { return slot >= 0 && slot < LS_COUNT ? &lists_[slot] : nullptr; }
    // The list a ClearList / AddToList kind names; null for kinds without one.
    cListe* ListOfKind(int kind);

    // Pushes and every walk over a list from another thread hold this lock.
    CRITICAL_SECTION* Lock() { return &lock_; }

    // Empties the list of the kind; kind 11 gets its two fixed folders back.
    void Clear(int kind, int language);
    // A criteria entry (text not null) or the end of a criteria series.
    // Answers true when the kind took the call.
    bool AddCriteria(int kind, const char* text, int id, int folder, int language);
    // Moves or puts the station at the front of the recent list, keeping at
    // most `limit` entries, and writes the registry value.
    void AddRecent(const char* text, int id, int limit);
    // Fills the recent list from the registry value's text.
    void LoadRecent(const char* value);
    // The registry value's text for the recent list (entries that do not fit
    // are left out).
    void BuildRecentValue(char* out, size_t size);

    void AddFavourite(const char* text, int id, int folder);
    void AddText(int slot, const char* text, int id);
    void AddTimerEntry(const cTimerEntry* entry);
    cPodcastEntry* AddPodcast(const char* address, int id, int subscribed);

    // "YYYYMMDD..." becomes "DD.MM.YYYY"; 7 characters or fewer change nothing.
    static void FormatListDate(const char* date, char* out, size_t outSize);
    void SetTopTenDate(const char* date) { FormatListDate(date, topTenDate_, sizeof topTenDate_); }
    void SetTipsDate(const char* date) { FormatListDate(date, tipsDate_, sizeof tipsDate_); }
    const char* TopTenDate() const { return topTenDate_; }
    const char* TipsDate() const { return tipsDate_; }

    void SetSearchPercent(int percent) { searchPercent_ = percent; }
    int SearchPercent() const { return searchPercent_; }
    void SetPodcastListComplete() { podcastComplete_ = 1; }
    bool PodcastListComplete() const { return podcastComplete_ != 0; }

    // Sorts the favourites elements of a list by text (user's locale) or by
    // the number behind the first "#", which is then cut off the text.
    static void SortFavoritenElements(cListe* list, bool byNumber);

private:
    cListe lists_[LS_COUNT];
    char topTenDate_[DATE_SIZE] = {};
    char tipsDate_[DATE_SIZE] = {};
    int searchPercent_ = 0;
    volatile LONG podcastComplete_ = 0;
    CRITICAL_SECTION lock_;
};

// The library's store (built at load, destroyed at unload).
FACETKIT_API cListStore& GetListStore();
