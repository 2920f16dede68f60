// One subscribed or offered podcast: its feed document (in memory and in a
// file of its own), the episodes read from it, their local files, and the
// downloads of the feed and its episodes through the host's download
// manager with their state shown in the podcast view's table lines.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "facetkit_api.h"
#include "liste.h"

// What the podcast view binds to a feed or an episode: the line whose
// column 2 shows the download state or the playing time.
class cPodcastRow {
public:
    virtual void SetColumnText(int column, const char* text) = 0;

protected:
    ~cPodcastRow() = default;
};

struct cPodcastEpisode {
    int32_t status = -1;
    char statusText[512] = {};
    char rowText[1024] = {};
    char filePath[1024] = {};
    char dateText[40] = {};
    int32_t dateNumber = 0;
    unsigned long job = 0;
    int32_t playCount = -1;
    int32_t duration = -1;
    int32_t downloaded = -1;
    cPodcastRow* row = nullptr;
    // Set by the first final report of the job: a cancel reports from the
    // cancelling thread and again from the job's own thread.
    volatile LONG finishing = 0;
};

// The record handed to the host with callback code 73: the episode file's
// path and the host's answer, how often that file was played.
struct PlayCountQuery {
    const char* path;
    int32_t count;
};

class FACETKIT_API cPodcastFeed : public cListElement {
public:
    cPodcastFeed();
    ~cPodcastFeed() override;
    cPodcastFeed(const cPodcastFeed&) = delete;
    cPodcastFeed& operator=(const cPodcastFeed&) = delete;

    void SetUrl(const char* url);
    const char* GetUrl() const { return url_; }
    // Hands the feed a ready document (taken as it is) and returns the old one.
    char* SwapText(char* text);
    void SetExpanded(BYTE expanded) { expanded_ = expanded; }
    BYTE IsExpanded() const { return expanded_; }
    int IsSubscribed() const { return subscribed_; }
    void SetSubscribed(int subscribed) { subscribed_ = subscribed; }

    // Readers (each reads the feed file first when there is no document).
    int GetEpisodeCount();
    const char* GetTitle(int index);
    const char* GetDescription(int index);
    const char* GetCategory(int index);
    const char* GetEpisodeDate(int index);
    int GetEpisodeDateNumber(int index);
    const char* GetEnclosureUrl(int index);
    int64_t GetEnclosureLength(int index);
    const char* GetEpisodeSizeText(int index);
    int GetEpisodeStatus(int index);
    const char* GetEpisodeStatusText(int index);
    // Measures an episode file once (reads up to 16 MB: never on the user
    // interface's thread) and keeps the result, also 0 for no MP3 frame.
    int GetEpisodeDuration(int index);
    // The kept result only: -1 while the file was not measured.
    int CachedEpisodeDuration(int index);
    bool GetFeedFilePath(char* buffer, size_t size);
    bool GetEpisodeFilePath(int index, char* buffer, size_t size);
    void ResetEpisodePaths();
    int FindNewestEpisode();
    bool IsEpisodeDownloaded(int index);
    bool IsEpisodeNew(int index);
    void IncPlayCount(int index);
    bool HasNewEpisodes();
    // The finder on the feed's document; false without one. Content and
    // attributes are copies (either may be null).
    bool FindElementInText(const char* name, std::string* content, std::string* attributes, size_t* position);
    // Content of the index-th item (1-based); empty when none.
    std::string GetItem(int index);
    bool ReadRss();
    // A feed text fetched elsewhere (a subscription by a link): written to
    // the feed's file and read from there as a download would be. False,
    // and no file left, when it holds no episode.
    bool TakeFeedText(const std::string& text);

    // Downloads.
    void StartDownload(int index);
    void DownloadAllMissing();
    bool IsBusy();
    bool IsEpisodeDownloading(int index);
    void CancelEpisodeDownload(int index);
    void CancelAllDownloads();
    void DetachCallbacks();
    int FindJob(unsigned long job);
    void SetEpisodeStatus(int index, const char* text, int status);
    void SetRowText(unsigned long job, const char* text);
    void SetEpisodeRow(int index, cPodcastRow* row);
    void ClearRows();
    // -1: the whole podcast. Asks first; 1 when something was deleted.
    int DeleteWithConfirm(int index);
    void OnDownloadFinished(unsigned long job);
    // A job reported 5, 6 or 7: closes its file, shows the end and hands the
    // rest to a short-lived thread (once per job).
    void OnFinalStatus(unsigned long job, int status);

    const char* GetFeedRowText() const { return feedRowText_; }
    const char* GetEpisodeRowText(int index);
    // The playing-time text (587 or 588) of a count of seconds.
    static std::string DurationText(int seconds);

    // Waits (bounded) until no download of this feed runs; false on time-out.
    bool WaitIdle(DWORD timeoutMs);

private:
    bool ReadRssLocked();
    bool EnsureDocument();
    bool EnsureRecords();
    bool InRange(int index) const { return episodes_ && index >= 1 && index <= count_; }
    std::string Element(int index, const char* name);
    std::string EnclosureAttributes(int index);
    const char* Result(const std::string& text);
    void RowTextForDuration(int index);
    // After a feed was read anew: the old records (play counts, status
    // texts, rows) are kept for the episodes both versions have; with an
    // unchanged feed all of them stay.
    void CarryRecordsOver(cPodcastEpisode* old, int oldCount, bool changed);
    bool WriteDocumentToFile(const std::string& text);
    std::string FolderOfEpisodes();

    char url_[1024] = {};
    char* document_ = nullptr;
    size_t documentLength_ = 0;
    char result_[1024] = {};
    char feedRowText_[1024] = {};
    volatile unsigned long feedJob_ = 0;
    volatile LONG feedFinishing_ = 0;
    cPodcastRow* feedRow_ = nullptr;
    cPodcastEpisode* episodes_ = nullptr;
    BYTE expanded_ = 0;
    volatile LONG inUse_ = 0;
    volatile LONG closing_ = 0;
    int subscribed_ = 0;
    int count_ = -1;
    CRITICAL_SECTION lock_;
};

// The callback of every podcast download job.
FACETKIT_API void PodcastDownloadCallback(unsigned long job, int status, void* feed);

// The podcast feature (the skin has a podcast view button); without it no
// download starts.
FACETKIT_API void SetPodcastFeature(bool on);
FACETKIT_API bool PodcastFeature();

// Whether the navigator's content view now shows the podcast view; the view
// keeps it current.
FACETKIT_API void SetPodcastViewShown(bool shown);
FACETKIT_API bool PodcastViewShown();

// The question before a deletion (title sprite 257, yes 289, no 290); a
// replaceable seam so tests answer without a modal loop. Answers 1 for yes.
typedef int (*PodcastQuestionFn)(const char* text);
FACETKIT_API void SetPodcastQuestion(PodcastQuestionFn fn);

// The feeds of the podcasts the host pushed, one object per list-store
// entry (kept in step with the list store by SyncPodcastFeeds).
FACETKIT_API cListe& PodcastFeeds();
FACETKIT_API CRITICAL_SECTION* PodcastFeedsLock();
// Creates a feed for every podcast entry of the list store that has none,
// updates address and subscription, and removes feeds whose entry is gone.
FACETKIT_API void SyncPodcastFeeds();
// Looks up the feed of a podcast id (under PodcastFeedsLock).
FACETKIT_API cPodcastFeed* FindPodcastFeed(unsigned long id);
// The start-up's refresh of every subscribed feed; from then on a
// subscribed feed the host pushes later is refreshed when it arrives.
FACETKIT_API void RefreshSubscribedFeeds();
// The navigator goes: feeds pushed from now on wait for the next start.
FACETKIT_API void StopRefreshingArrivals();

// Navigator messages of the podcast downloads.
enum { WM_FK_PODCAST_ROWS = 1195, WM_FK_PODCAST_VIEW_CLICK = 1143 };
constexpr LPARAM kPodcastViewElement = 375;
