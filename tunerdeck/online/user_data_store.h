// Everything the player keeps per user between runs: the station database
// (stations, channels, streams, category lists), favourites, top stations,
// named lists, podcasts, the file counter, the timer list, programme tips
// and own stations, read from and saved to the .rdb files of the user
// folder. Files are replaced in one step (written beside, then renamed), and
// a file that fails its check is kept aside as "<name>.bad" rather than
// overwritten by the next save.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "liste.h"
#include "reply_docs.h"
#include "station_db.h"
#include "station_index.h"
#include "win_handles.h"

class cUserDataStore;

class cValueElement : public cListElement {
public:
    int32_t GetValue() const { return value_; }
    void SetValue(int32_t v) { value_ = v; }

private:
    int32_t value_ = 0;
};

class cNamedValueElement : public cListElement {
public:
    cNamedValueElement() = default;
    cNamedValueElement(uint32_t id, const std::string& name, int32_t value) : name_(name), value_(value) {
        SetId(id);
    }
    const std::string& GetName() const { return name_; }
    void SetName(const std::string& n) { name_ = n; }
    int32_t GetValue() const { return value_; }
    void SetValue(int32_t v) { value_ = v; }

private:
    std::string name_;
    int32_t value_ = 0;
};

class cSenderElement : public cListElement {
public:
    explicit cSenderElement(cSenderDoc d);   // takes the texts over
    explicit cSenderElement(const StationDbFields& f);
    std::string GetName() const { return name_; }
    std::string GetHomepage() const { return homepage_; }
    void SetR(const std::string& r) { R_ = r; }
    uint16_t GetT() const { return T_; }
    uint16_t GetL() const { return L_; }
    const std::string& GetR() const { return R_; }

private:
    std::string name_, homepage_;
    uint16_t T_ = 0, L_ = 0;
    std::string R_;
};

class cChannelElement : public cListElement {
public:
    explicit cChannelElement(cChannelDoc d);
    explicit cChannelElement(const StationDbFields& f);
    uint32_t SID = 0;
    std::string N, Tx, Tx_ENG, S, G, D, T, R, M;
};

class cStreamElement : public cListElement {
public:
    explicit cStreamElement(cStreamDoc d);
    explicit cStreamElement(const StationDbFields& f);
    std::string GetUrl() const { return url_; }
    void SetUrl(const std::string& u) { url_ = u; }
    void SetCID(uint32_t cid) { CID_ = cid; }
    uint32_t GetCID() const { return CID_; }
    uint32_t GetF() const { return F_; }
    uint32_t GetQ() const { return Q_; }
    uint32_t GetD() const { return D_; }
    // The channel this stream belongs to, looked up under the channel lock
    // (so a caller must not hold the stream lock: channel comes first).
    cChannelElement* GetChannel(cUserDataStore* store) const;

private:
    std::string url_;
    uint32_t F_ = 0, CID_ = 0, D_ = 0, Q_ = 0;
};

// Counts uses per file path (entries of the store's counter list).
class cFileCounter {
public:
    virtual ~cFileCounter();
    void Bind(cListe* list, bk::CriticalSection* lock) {
        list_ = list;
        lock_ = lock;
    }
    void CountFile(const std::string& path);
    int32_t GetCount(const std::string& path);
    // Drops entries whose file no longer exists, on a thread of its own.
    void StartPruning();
    void WaitPruning();
    // One pruning pass on the calling thread.
    void Prune();

private:
    cNamedValueElement* Find(const std::string& path);
    static DWORD WINAPI PruneThread(void* self);

    cListe* list_ = nullptr;
    bk::CriticalSection* lock_ = nullptr;
    bk::ScopedHandle thread_;
    volatile LONG stop_ = 0;
};

// The store's category lists: the German ones, then the English ones.
enum StoreCategory {
    kStoreGenre, kStoreTopGenre, kStoreLanguage, kStoreKind, kStoreFurther, kStoreCountry, kStoreContinent,
    kStoreRegion, kStoreCategoriesPerLanguage
};
constexpr int kStoreCategoryLists = 2 * kStoreCategoriesPerLanguage;

// Reads a user file (the program folder's copy when the user has none).
// With `check` the CRC trailer must match and is removed; a damaged file of
// the user folder is then kept aside. 1 when the content is usable.
int ReadUserDataFile(const char* name, std::string* content, bool check);
// Writes a user file in one step; with `trailer` the CRC trailer is added.
bool WriteUserDataFile(const char* name, const std::string& content, bool trailer);
std::string UserDataPath(const char* name);
// Appends the CRC trailer to a file in place (`add` 0: only reads it). For
// files that another writer produced, such as a downloaded database.
bool AppendCrc16ToFile(const char* path, int add);

class cUserDataStore {
public:
    // `startThreads` false loads the station database on the calling thread
    // and leaves the file-counter pruning to the caller (tests).
    explicit cUserDataStore(bool startThreads = true);
    ~cUserDataStore();
    cUserDataStore(const cUserDataStore&) = delete;
    cUserDataStore& operator=(const cUserDataStore&) = delete;

    // Locks: station, channel, stream in this order when more than one is
    // held; the user-list lock (favourites, lists, podcasts, counter) after them.
    cListe* LockSenderList();
    void UnlockSenderList();
    cListe* LockChannelList();
    void UnlockChannelList();
    cListe* LockStreamList();
    void UnlockStreamList();
    // The search arrangement of the three station lists; only while all
    // three station locks are held.
    cStationIndex& StationIndexLocked() {
        stationIndex_.Update(&stations_, &channels_, &streams_);
        return stationIndex_;
    }
    cListe* LockTopSender();
    void UnlockTopSender();
    void LockUserLists() { userLock_.Enter(); }
    void UnlockUserLists() { userLock_.Leave(); }

    cListe* GetFavoriten() { return &favorites_; }
    cListe* GetListFolders() { return &lists_; }
    cListe* GetPodcasts() { return &podcasts_; }
    cListe* GetFileCounterList() { return &counter_; }
    cListe* GetTimerList() { return &timers_; }
    cListe* GetCategoryList(int index) { return index >= 0 && index < kStoreCategoryLists ? &categories_[index] : nullptr; }
    cUserDefinedStations* GetUserStations() { return ownStations_.get(); }
    cFileCounter* GetFileCounter() { return &fileCounter_; }
    void SetText(const std::string& t) { text_ = t; }

    int IsLoaded() const { return loaded_; }
    int IsLoading() const { return loading_; }
    // Waits (bounded) for the loading thread; true when it has finished.
    bool WaitForStationDatabase(DWORD timeoutMs);

    void LoadStationDatabase();
    // Replaces the database by the document (enciphered, with trailer) and
    // loads it again. A document without stations is neither written nor
    // taken; a written one is consumed. 1 when written.
    int SaveStationDatabase(std::unique_ptr<cStationDbDoc>& doc);
    void LoadUserFiles();
    void LoadUserStations();

    int SaveFavoriten();
    int SaveTopSender();
    int SaveListFolders();
    int SavePodcasts();   // -1 when the file cannot be written
    int SaveFileCounter();
    int SaveUserStations();
    int SaveProgrammtipps(const std::vector<std::unique_ptr<cProgrammtipp>>& list);
    // Appends the stored tips to `list`; days -1 keeps all, else a tip stays
    // while its start plus `days` days lies ahead. The read result.
    int LoadProgrammtipps(std::vector<std::unique_ptr<cProgrammtipp>>* list, int days);
    void ReloadTimerList();

    void CountFile(const std::string& path);
    int32_t GetFileCount(const std::string& path) { return fileCounter_.GetCount(path); }
    // An id for a new podcast: one above the highest in use.
    uint32_t NextPodcastId();

    uint32_t FindSenderId(const std::string& name);
    bool FindStreamUrlBySender(const std::string& name, std::string* url);
    bool GetStreamUrl(uint32_t id, std::string* url);

private:
    static DWORD WINAPI LoaderThread(void* self);

    bk::CriticalSection stationLock_, channelLock_, streamLock_, topLock_, userLock_;
    cListe stations_, streams_, channels_;
    cStationIndex stationIndex_;
    std::unique_ptr<cUserDefinedStations> ownStations_;
    cListe timers_, favorites_, lists_, podcasts_, counter_, tops_;
    cListe categories_[kStoreCategoryLists];
    std::string text_;
    volatile LONG loaded_ = 0;
    volatile LONG loading_ = 1;
    volatile LONG dbGeneration_ = 0;   // raised by every save of the station database
    cFileCounter fileCounter_;
    bk::ScopedHandle loader_;
};
