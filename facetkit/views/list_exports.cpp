// The list exports the host calls, on its own threads, one entry per call; a
// null text ends a series and tells the windows by a posted message.
#include "host_exports.h"
#include "library_state.h"
#include "list_store.h"
#include "splash_window.h"
#include "win_handles.h"
#include "wnd_list.h"

namespace {
void Broadcast(UINT message) { GetWindowList().PostToAll(message, 0, 0); }
}  // namespace

FK_EXPORT void AddToFavoriten(const char* text, int id, int folder) {
    if (text) {
        GetListStore().AddFavourite(text, id, folder);
        return;
    }
    Broadcast(WM_FK_LISTS_CHANGED);
}

FK_EXPORT void AddToTopTen(const char* text, int id, const char* date) {
    if (text) {
        GetListStore().AddText(LS_TOP_STATIONS, text, id);
        return;
    }
    GetListStore().SetTopTenDate(date);
    Broadcast(WM_FK_TOPLISTS_CHANGED);
}

FK_EXPORT void AddToProgrammtipps(const char* text, int id, const char* date) {
    if (text) {
        GetListStore().AddText(LS_PROGRAMME_TIPS, text, id);
        return;
    }
    GetListStore().SetTipsDate(date);
    Broadcast(WM_FK_TOPLISTS_CHANGED);
}

FK_EXPORT void AddToSkinDefinedSender(const char* text, int id) {
    if (text) {
        GetListStore().AddText(LS_SKIN_STATIONS, text, id);
        return;
    }
    Broadcast(WM_FK_TOPLISTS_CHANGED);
}

FK_EXPORT void AddUserDefinedSender(const char* text, int id) {
    if (text) {
        GetListStore().AddText(LS_USER_STATIONS, text, id);
        return;
    }
    Broadcast(WM_FK_LISTS_CHANGED);
}

FK_EXPORT void AddToTimerEntrie(cTimerEntry* entry) {
    if (entry) {
        GetListStore().AddTimerEntry(entry);
        return;
    }
    Broadcast(WM_FK_LISTS_CHANGED);
}

FK_EXPORT void SearchResult(const char* text, int id) {
    if (text) {
        GetListStore().AddText(LS_SEARCH_HITS, text, id);
        return;
    }
    GetListStore().SetSearchPercent(id);
    int hits = 0;
    {
        cListStore& store = GetListStore();
        bk::ScopedLock hold(store.Lock());
        hits = store.List(LS_SEARCH_HITS)->GetAnzElement();
    }
    SetSplashSearchText(id, hits);
    PostToWindow(WND_ID_NAVIGATOR, WM_FK_LISTS_CHANGED, 0, 0);
}

FK_EXPORT int AddToPodcast(const char* address, int id, int subscribed) {
    if (address) {
        GetListStore().AddPodcast(address, id, subscribed);
        return 1;
    }
    Broadcast(WM_FK_PODCASTS_CHANGED);
    GetListStore().SetPodcastListComplete();
    return 1;
}

FK_EXPORT void AddToList(int kind, const char* text, int id, int folder) {
    if (kind == 13) {
        if (text) GetListStore().AddRecent(text, id, RecentLimit());
        return;
    }
    GetListStore().AddCriteria(kind, text, id, folder, UiLanguage());
}

FK_EXPORT void ClearList(int kind) { GetListStore().Clear(kind, UiLanguage()); }
