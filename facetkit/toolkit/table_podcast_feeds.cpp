// The table's view of the library's podcast feeds. Every call finds the feed
// again under the feeds' lock: a feed may go while its line is still shown.
#include "bounded_text.h"
#include "podcast_feed.h"
#include "table_line.h"
#include "win_handles.h"

namespace {

class cLibraryPodcasts : public cTablePodcasts {
public:
    bool HasFeed(unsigned long feed) override {
        return With(feed, false, [](cPodcastFeed*) { return true; });
    }
    int IsSubscribed(unsigned long feed) override {
        return With(feed, 0, [](cPodcastFeed* f) { return f->IsSubscribed(); });
    }
    void SetSubscribed(unsigned long feed, int subscribed) override {
        With(feed, 0, [subscribed](cPodcastFeed* f) { return f->SetSubscribed(subscribed), 0; });
    }
    bool IsExpanded(unsigned long feed) override {
        return With(feed, false, [](cPodcastFeed* f) { return f->IsExpanded() != 0; });
    }
    void SetExpanded(unsigned long feed, int expanded) override {
        With(feed, 0, [expanded](cPodcastFeed* f) { return f->SetExpanded(expanded ? 1 : 0), 0; });
    }
    bool IsBusy(unsigned long feed) override {
        return With(feed, false, [](cPodcastFeed* f) { return f->IsBusy(); });
    }
    bool HasNewEpisodes(unsigned long feed) override {
        return With(feed, false, [](cPodcastFeed* f) { return f->HasNewEpisodes(); });
    }
    bool IsEpisodeDownloading(unsigned long feed, int e) override {
        return With(feed, false, [e](cPodcastFeed* f) { return f->IsEpisodeDownloading(e); });
    }
    bool IsEpisodeDownloaded(unsigned long feed, int e) override {
        return With(feed, false, [e](cPodcastFeed* f) { return f->IsEpisodeDownloaded(e); });
    }
    bool IsEpisodeNew(unsigned long feed, int e) override {
        return With(feed, false, [e](cPodcastFeed* f) { return f->IsEpisodeNew(e); });
    }
    void SetEpisodeRow(unsigned long feed, int e, cTableLine* line) override {
        With(feed, 0, [e, line](cPodcastFeed* f) { return f->SetEpisodeRow(e, line), 0; });
    }
    void ClearRows() override {
        bk::ScopedLock hold(PodcastFeedsLock());
        for (cListElement* e = PodcastFeeds().First(); e; e = e->Next()) static_cast<cPodcastFeed*>(e)->ClearRows();
    }
    bool GetUrl(unsigned long feed, char* buffer, size_t size) override {
        return With(feed, false, [buffer, size](cPodcastFeed* f) { return bk::TextCopy(buffer, size, f->GetUrl()); });
    }
    void StartDownload(unsigned long feed, int e) override {
        With(feed, 0, [e](cPodcastFeed* f) { return f->StartDownload(e), 0; });
    }
    void CancelEpisodeDownload(unsigned long feed, int e) override {
        With(feed, 0, [e](cPodcastFeed* f) { return f->CancelEpisodeDownload(e), 0; });
    }
    int DeleteWithConfirm(unsigned long feed, int e) override {
        // The question runs a modal loop: download threads must not wait for
        // the feeds' lock meanwhile. Feeds are removed on this thread only.
        cPodcastFeed* f = FindPodcastFeed(feed);
        return f ? f->DeleteWithConfirm(e) : 0;
    }
    void IncPlayCount(unsigned long feed, int e) override {
        With(feed, 0, [e](cPodcastFeed* f) { return f->IncPlayCount(e), 0; });
    }
    bool GetEpisodeFilePath(unsigned long feed, int e, char* buffer, size_t size) override {
        return With(feed, false, [=](cPodcastFeed* f) { return f->GetEpisodeFilePath(e, buffer, size); });
    }
    int GetEpisodeDuration(unsigned long feed, int e) override {
        return With(feed, -1, [e](cPodcastFeed* f) { return f->GetEpisodeDuration(e); });
    }
    bool GetTitle(unsigned long feed, int e, char* buffer, size_t size) override {
        return With(feed, false, [=](cPodcastFeed* f) {
            const char* t = f->GetTitle(e);
            return bk::TextCopy(buffer, size, t ? t : "");
        });
    }

private:
    template <class R, class Fn>
    static R With(unsigned long feed, R missing, Fn fn) {
        bk::ScopedLock hold(PodcastFeedsLock());
        cPodcastFeed* f = static_cast<cPodcastFeed*>(PodcastFeeds().GetById(feed));
        return f ? fn(f) : missing;
    }
};

cLibraryPodcasts g_library;

}  // namespace

cTablePodcasts* LibraryPodcasts() { return &g_library; }
