#include "nav_menus.h"

#include <cstring>
#include <vector>

#include "bounded_text.h"
#include "library_state.h"
#include "list_store.h"
#include "main_window.h"
#include "nav_rows.h"
#include "nav_view.h"
#include "nav_window.h"
#include "podcast_feed.h"
#include "recording_display.h"
#include "table_ctrl.h"
#include "timer_entries.h"
#include "timerentry.h"
#include "txtelement.h"
#include "view_notices.h"
#include "win_handles.h"
#include "wnd_list.h"

namespace {

// Plays go through the main window, which asks first while a recording runs.
void PlayThroughMain(unsigned long id) {
    if (auto* main = dynamic_cast<cVelmoWin*>(MainWindowObject()))
        main->PlayChannel(id);
    else
        HostCallback(1, static_cast<int>(id), nullptr);
}

volatile LONG g_contextItem = 0;

cNavWindow* Navigator() { return dynamic_cast<cNavWindow*>(GetWindowList().Find(WND_ID_NAVIGATOR)); }
cVelmoWin* Main() { return dynamic_cast<cVelmoWin*>(GetWindowList().Find(WND_ID_MAIN)); }

void ShowView(int kind, int argument = 0) { ShowNavigatorView(kind, argument); }

// The name of a station of any list the rows come from; empty when none
// holds it.
std::string StationName(unsigned long id) {
    cListStore& store = GetListStore();
    bk::ScopedLock hold(store.Lock());
    for (int slot : {LS_FAVOURITES, LS_USER_STATIONS, LS_TOP_STATIONS, LS_SEARCH_HITS, LS_SKIN_STATIONS}) {
        auto* e = static_cast<cTxtElement*>(store.List(slot)->GetById(id));
        if (e && e->GetText()) return ListFields(e->GetText(), 1)[0];
    }
    return std::string();
}

std::vector<std::string> TipFields(unsigned long id) {
    cListStore& store = GetListStore();
    bk::ScopedLock hold(store.Lock());
    auto* e = static_cast<cTxtElement*>(store.List(LS_PROGRAMME_TIPS)->GetById(id));
    return ListFields(e ? e->GetText() : "", 10);
}

bool IsFavourite(unsigned long id) {
    cListStore& store = GetListStore();
    bk::ScopedLock hold(store.Lock());
    return id && store.List(LS_FAVOURITES)->GetById(id) != nullptr;
}

void PutOnClipboard(const std::string& text) {
    if (!OpenClipboard(nullptr)) return;
    EmptyClipboard();
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
        if (void* p = GlobalLock(memory)) {
            memcpy(p, text.c_str(), text.size() + 1);
            GlobalUnlock(memory);
            // The clipboard owns the memory only when it took it.
            if (!SetClipboardData(CF_TEXT, memory)) GlobalFree(memory);
        } else {
            GlobalFree(memory);
        }
    }
    CloseClipboard();
}

void AskDeleteStation(unsigned long id) {
    const std::string name = StationName(id);
    char format[512], text[1024];
    if (name.empty()) {
        UiText(371, text, sizeof text);
    } else {
        UiText(370, format, sizeof format);
        bk::TextFormat(text, sizeof text, format, name.c_str());
    }
    NoticeRequest question;
    question.text = text;
    question.buttons = NB_YES_NO;
    question.titleSprite = 257;
    if (ShowNoticeModal(question) == 1) HostCallback(50, static_cast<int>(id), nullptr);
}

void TipToTimer(unsigned long id) {
    std::vector<std::string> f = TipFields(id);
    const std::string start = TipTimeText(f[0].c_str()), stop = TipTimeText(f[1].c_str());
    const std::string& name = f[9].empty() ? f[2] : f[9];
    const char* fields[9] = {name.c_str(), f[6].c_str(), start.empty() ? nullptr : start.c_str(),
                             stop.empty() ? nullptr : stop.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr};
    TimerEntryFromProtocol(fields);
}

bool StationRowCommand(UINT command, unsigned long id) {
    if (command >= CMD_FOLDER_FIRST && command < CMD_FOLDER_FIRST + kMaxMenuFolders) {
        cListStore& store = GetListStore();
        unsigned long folderId;
        {
            bk::ScopedLock hold(store.Lock());
            cListElement* folder = FolderByMenuIndex(store.List(LS_FAVOURITE_FOLDERS),
                                                     static_cast<int>(command - CMD_FOLDER_FIRST));
            if (!folder) return true;
            folderId = folder->GetId();
        }
        // The host takes the folder id where a text would stand.
        HostCallback(7, static_cast<int>(id), reinterpret_cast<void*>(static_cast<uintptr_t>(folderId)));
        return true;
    }
    switch (command) {
    case CMD_ROW_PLAY: PlayThroughMain(id); break;
    case CMD_ROW_DETAILS:
        HostCallback(14, static_cast<int>(id), nullptr);
        Sleep(30);
        ShowView(5, static_cast<int>(id));
        break;
    case CMD_ROW_HOMEPAGE: HostCallback(5, static_cast<int>(id), nullptr); break;
    case CMD_ROW_FAVOURITE:
        if (IsFavourite(id))
            HostCallback(8, static_cast<int>(id), nullptr);
        else
            HostCallback(7, static_cast<int>(id), nullptr);
        break;
    case CMD_TIMER_ENTRY: NewTimerEntry(id); break;
    case CMD_ROW_RECOMMEND:
        if (id > kFirstUserStation) {
            if (MainHooks().ownStation) MainHooks().ownStation(id);
        } else {
            Recommend(1, static_cast<int>(id), StationName(id).c_str());
        }
        break;
    case CMD_ROW_DELETE_STATION:
        if (id > kFirstUserStation) AskDeleteStation(id);
        break;
    case CMD_ROW_COPY_LINK: PutOnClipboard(StationLinkText(id, StationName(id).c_str())); break;
    default: return false;
    }
    return true;
}

void TimerRowCommand(UINT command, unsigned long positionPlus1) {
    const int position = static_cast<int>(positionPlus1) - 1;
    switch (command) {
    case CMD_TIMER_EDIT:
        if (position >= 0) EditTimerEntry(position + 1, 0, 0);
        break;
    case CMD_TIMER_FOLLOW_UP:
        if (position >= 0) EditTimerEntry(0, 0, position + 1);
        break;
    case CMD_TIMER_DELETE: DeleteTimerEntry(position); break;
    case CMD_TIMER_ACTIVE: {
        int active = -1;
        if (position >= 0) {
            cListStore& store = GetListStore();
            bk::ScopedLock hold(store.Lock());
            if (auto* e = static_cast<cTimerEntry*>(store.List(LS_TIMER_ENTRIES)->GetByIndex(position)))
                active = e->GetActive();
        }
        if (active >= 0) SetTimerEntryActive(position, active ? 0 : 1);
        break;
    }
    case CMD_TIMER_RECOMMEND: RecommendTimerEntry(position); break;
    case CMD_TIMER_DELETE_EXPIRED: DeleteExpiredTimerEntries(); break;
    default: break;
    }
}

void TipRowCommand(UINT command, unsigned long id) {
    switch (command) {
    case CMD_TIP_OPEN: HostCallback(64, static_cast<int>(id), nullptr); break;
    case CMD_TIP_UPDATE:
        if (cNavWindow* nav = Navigator()) nav->TipsUpdateProgress(0, 0);
        break;
    case CMD_TIP_DELETE_EXPIRED: HostCallback(66, 0, nullptr); break;
    case CMD_TIP_TO_TIMER: TipToTimer(id); break;
    case CMD_ROW_PLAY: {
        const unsigned long station = strtoul(TipFields(id)[6].c_str(), nullptr, 10);
        if (station) PlayThroughMain(station);
        break;
    }
    default: break;
    }
}

void PodcastRowCommand(UINT command, uint32_t rowId) {
    unsigned long feedId = rowId;
    int episode = 0;
    const bool isEpisode = DecodePodcastRowId(rowId, &feedId, &episode);
    cNavWindow* nav = Navigator();
    switch (command) {
    case CMD_POD_DIRECTORY:
        OpenMakerPage(UiLanguage() == 2 ? "/podcast/index.php" : "/pages/radiomagazin/podcasts/");
        return;
    case CMD_POD_REPORT:
        OpenMakerPage(UiLanguage() == 2 ? "/podcast/index.php?melden" : "/pages/radiomagazin/podcasts/podcast_melden/");
        return;
    case CMD_POD_SUBSCRIBE_NEW:
        if (MainHooks().subscribePodcast) MainHooks().subscribePodcast();
        return;
    case CMD_POD_EPISODE:
        if (nav && isEpisode) nav->OnPodcastRowAction(rowId);
        return;
    case CMD_POD_DELETE:
    case CMD_POD_DELETE_EPISODE: {
        // The question runs a modal loop: not under the feeds' lock, which
        // the download threads take. Feeds are removed on this thread only.
        cPodcastFeed* feed = FindPodcastFeed(feedId);
        if (!feed) return;
        if (command == CMD_POD_DELETE) feed->DeleteWithConfirm(-1);
        else if (isEpisode) feed->DeleteWithConfirm(episode);
        return;
    }
    default: break;
    }
    std::string address;
    int newest = 0;
    {
        bk::ScopedLock hold(PodcastFeedsLock());
        auto* feed = static_cast<cPodcastFeed*>(PodcastFeeds().GetById(feedId));
        if (!feed) return;
        switch (command) {
        case CMD_POD_REFRESH: feed->StartDownload(-1); return;
        case CMD_POD_ALL: feed->DownloadAllMissing(); return;
        case CMD_POD_SUBSCRIPTION:
            if (feed->IsSubscribed()) {
                HostCallback(71, static_cast<int>(feedId), nullptr);
                feed->SetSubscribed(0);
            } else {
                char url[1024];
                bk::TextCopy(url, feed->GetUrl() ? feed->GetUrl() : "");
                HostCallback(71, static_cast<int>(feedId), url);
                feed->SetSubscribed(1);
            }
            break;
        case CMD_POD_INFO:
        case CMD_POD_RECOMMEND: address = feed->GetUrl() ? feed->GetUrl() : ""; break;
        case CMD_POD_NEWEST: newest = feed->FindNewestEpisode(); break;
        default: return;
        }
    }
    switch (command) {
    case CMD_POD_SUBSCRIPTION: ShowView(12); break;
    case CMD_POD_INFO:
        OpenMakerPage((UiLanguage() == 2 ? "/podcast/index.php?URL=" : "/pages/radiomagazin/podcasts/detail.php?url=") +
                      PercentEncoded(address.c_str()));
        break;
    case CMD_POD_RECOMMEND: Recommend(5, static_cast<int>(feedId), address.c_str()); break;
    case CMD_POD_NEWEST:
        if (nav && newest > 0) nav->OnPodcastRowAction(PodcastEpisodeRowId(feedId, newest));
        break;
    default: break;
    }
}

bool NavigatorCommand(UINT command) {
    cNavWindow* nav = Navigator();
    switch (command) {
    case CMD_NAV_FOLD:
    case CMD_NAV_EXTEND:
        if (nav && (command == CMD_NAV_EXTEND) == (nav->IsCollapsed() != 0)) nav->Slide();
        return true;
    case CMD_NAV_BACK:
        if (nav && nav->GetNavView()) nav->GetNavView()->Back();
        return true;
    case CMD_NAV_FORWARD:
        if (nav && nav->GetNavView()) nav->GetNavView()->Forward();
        return true;
    default: break;
    }
    const struct {
        UINT command;
        int kind;
    } views[] = {{CMD_NAV_FAVOURITES, 3}, {CMD_NAV_TOP, 4},      {CMD_NAV_SEARCH, 2}, {CMD_NAV_RECORDING, 8},
                 {CMD_TIMER_ENTRY, 9},    {CMD_NAV_TIPS, 10},    {CMD_NAV_PODCASTS, 12}, {CMD_NAV_SKINS, 7},
                 {CMD_STATION_INFO, 5}};
    for (const auto& v : views)
        if (v.command == command) {
            cVelmoWin* main = Main();
            ShowView(v.kind, v.kind == 5 && main ? static_cast<int>(main->GetStationId()) : 0);
            return true;
        }
    return true;
}

// The views' answers to what the tables ask beyond posted messages.
class cNavTableEvents : public cTableEvents {
public:
    bool HasMainWindow() override { return Main() != nullptr; }
    int ShowContextMenu(HWND owner, int x, int y, int subMenu) override {
        cVelmoWin* main = Main();
        return main ? main->ShowContextMenu(owner, x, y, subMenu) : 0;
    }
    void SetContextItemId(cSkinWnd*, unsigned long id) override { SetNavContextItem(id); }
    void PlayEpisode(int kind, const char* path, const char* title, int index) override {
        if (cVelmoWin* main = Main()) main->PlayEpisode(kind, path, title, index);
    }
};

cNavTableEvents g_tableEvents;

}  // namespace

void OpenMakerPage(const std::string& path) {
    std::string address = "http://www.velmirant.de" + path;
    HostCallback(5, 0, const_cast<char*>(address.c_str()));
}

void ShowNavigatorView(int kind, int argument) {
    cNavWindow* nav = Navigator();
    if (!nav) return;
    nav->ExtendIfFolded();
    if (cNavView* view = nav->GetNavView()) view->ShowView(kind, argument);
}

void SetNavContextItem(unsigned long id) { InterlockedExchange(&g_contextItem, static_cast<LONG>(id)); }
unsigned long NavContextItem() { return static_cast<unsigned long>(g_contextItem); }

std::string TipTimeText(const char* tipTime) {
    if (!tipTime || strlen(tipTime) < 13) return std::string();
    std::string digits = std::string(tipTime, 10) + std::string(tipTime + 11, 2);
    for (char c : digits)
        if (c < '0' || c > '9') return std::string();
    return digits + "00";
}

std::string StationLinkText(unsigned long id, const char* name) {
    char text[1200];
    bk::TextFormat(text, sizeof text, "<a href=\"tunerdeck://|ChannelId|%d/\">%s anh\xf6ren</a>", static_cast<int>(id),
                   name ? name : "");
    return text;
}

void FillNavMenuState(MainMenuState* state, int subMenu) {
    if (!state) return;
    const unsigned long item = NavContextItem();
    state->rowId = item;
    if (cNavWindow* nav = Navigator()) {
        state->navFolded = nav->IsCollapsed();
        if (cNavView* view = nav->GetNavView()) {
            state->viewKind = view->CurrentKind();
            state->canBack = view->History().CanGoBack();
            state->canForward = view->History().CanGoForward();
        }
    }
    if (subMenu == MENU_STATION_ROW) state->rowFavourite = IsFavourite(item) ? 1 : 0;
    if (subMenu == MENU_TIMER_ROW) {
        cListStore& store = GetListStore();
        bk::ScopedLock hold(store.Lock());
        auto* e = item ? static_cast<cTimerEntry*>(store.List(LS_TIMER_ENTRIES)->GetByIndex(static_cast<int>(item) - 1))
                       : nullptr;
        state->rowActive = e && e->GetActive() ? 1 : 0;
    }
    if (subMenu == MENU_PODCAST_ROW) {
        unsigned long feedId = item;
        int episode = 0;
        state->rowIsEpisode = DecodePodcastRowId(item, &feedId, &episode) ? 1 : 0;
        bk::ScopedLock hold(PodcastFeedsLock());
        if (auto* feed = static_cast<cPodcastFeed*>(PodcastFeeds().GetById(feedId))) {
            state->feedSubscribed = feed->IsSubscribed();
            state->episodeDownloaded = state->rowIsEpisode && feed->IsEpisodeDownloaded(episode) ? 1 : 0;
        }
    }
}

bool NavMenuCommand(int subMenu, UINT command) {
    const unsigned long item = NavContextItem();
    switch (subMenu) {
    case MENU_NAVIGATOR: return NavigatorCommand(command);
    case MENU_STATION_ROW:
        if (!StationRowCommand(command, item)) NavigatorCommand(command);
        return true;
    case MENU_TIMER_ROW: TimerRowCommand(command, item); return true;
    case MENU_TIP_ROW: TipRowCommand(command, item); return true;
    case MENU_PODCAST_ROW: PodcastRowCommand(command, static_cast<uint32_t>(item)); return true;
    default: return false;
    }
}

void InstallNavTableEvents() { SetTableEvents(&g_tableEvents); }
