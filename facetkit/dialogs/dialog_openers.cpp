#include "dialog_openers.h"

#include "about_wnd.h"
#include "bounded_text.h"
#include "win_handles.h"
#include "dialog_services.h"
#include "hint_wnds.h"
#include "main_window.h"
#include "list_store.h"
#include "nav_window.h"
#include "podcast_feed.h"
#include "own_station_wnd.h"
#include "profile_editors.h"
#include "podcast_url_wnd.h"
#include "protocol_commands.h"
#include "rec_source_search_wnd.h"
#include "recommend_wnd.h"
#include "record_saved_wnd.h"
#include "recording_display.h"
#include "settings_wnd.h"
#include "skin_wnd.h"
#include "timer_entries.h"
#include "timer_entry_wnd.h"
#include "user_stream_wnd.h"
#include "wav_converter_wnd.h"
#include "wnd_list.h"

namespace {
// The window a pop-up opens over: the navigator, else the main window.
cSkinWnd* Host() {
    cSkinWnd* nav = GetWindowList().Find(WND_ID_NAVIGATOR);
    return nav ? nav : GetWindowList().Find(WND_ID_MAIN);
}

template <class Popup, class... Args>
int RunModal(Args... args) {
    cSkinWnd* host = Host();
    if (!host) return 0;
    Popup* popup = new Popup(GetWindowList().Find(WND_ID_MAIN), host->GetWindow(), host->GetResourceManager(), args...);
    popup->MessageLoop();
    const int result = popup->GetResult();
    delete popup;
    return result;
}
}  // namespace

namespace dlgs {

int RunTimerEditor(cTimerEntry* entry) { return RunModal<cTimerEntryWnd>(entry); }

void RunWavConverter() { RunModal<cWavConverterWnd>(); }

void RunSettings() {
    // Fresh recording lists for the recording page; the replies arrive at
    // the navigator while the page waits for them.
    MarkRecListPending(REPLY_INPUTS);
    Callback(42, 0, nullptr);
    MarkRecListPending(REPLY_DEVICES);
    Callback(59, 0, nullptr);
    RunModal<cSettingsWnd>(0);
    // The navigator's views show what the settings now say (recording on or
    // off, the podcast folder).
    if (cSkinWnd* nav = GetWindowList().Find(WND_ID_NAVIGATOR))
        if (nav->GetWindow()) PostMessageA(nav->GetWindow(), WM_FK_PODCASTS_CHANGED, 0, 0);
}

// The episodes' cached file paths, durations and downloaded states point
// into the old podcast folder.
void ResetPodcastEpisodePaths() {
    bk::ScopedLock hold(PodcastFeedsLock());
    for (cListElement* e = PodcastFeeds().First(); e; e = e->Next()) static_cast<cPodcastFeed*>(e)->ResetEpisodePaths();
}

void RunPodcastAddress() {
    cSkinWnd* nav = GetWindowList().Find(WND_ID_NAVIGATOR);
    if (nav) OpenPodcastUrlWnd(nav, nav->GetWindow(), nav->GetResourceManager());
}

// The navigator keeps the host's answers to the recording-list requests.
static cNavWindow* NavigatorWindow() { return dynamic_cast<cNavWindow*>(GetWindowList().Find(WND_ID_NAVIGATOR)); }

static void ExpectRecList(int which) {
    cNavWindow* nav = NavigatorWindow();
    if (!nav) return;
    if (which == REPLY_INPUTS)
        nav->ExpectRecDeviceList();
    else
        nav->ExpectRecSourceList();
}

static bool WaitRecListReply(int which, char* out, int size, DWORD timeoutMs, const volatile LONG* stop) {
    if (!out || size <= 0) return false;
    out[0] = 0;
    cNavWindow* nav = NavigatorWindow();
    if (!nav) return false;
    return which == REPLY_INPUTS ? nav->WaitRecDeviceList(out, size, timeoutMs, stop)
                                 : nav->WaitRecSourceList(out, size, timeoutMs, stop);
}

// The stream-address pop-up over the navigator; what it ends with is played.
void RunUserStream() {
    cSkinWnd* nav = GetWindowList().Find(WND_ID_NAVIGATOR);
    if (!nav) return;
    cUserStreamWnd* wnd = new cUserStreamWnd(GetWindowList().Find(WND_ID_MAIN), nav->GetWindow(), nav->GetResourceManager());
    wnd->MessageLoop();
    if (wnd->GetResult() == 1 && wnd->GetAddress()[0]) MainProtocolTarget().PlayCustomUrl(wnd->GetStreamKind(), wnd->GetAddress());
    delete wnd;
}

void InstallDialogOpeners() {
    SetTimerEditorHook(&RunTimerEditor);
    RecordingPopups popups = GetRecordingPopups();
    popups.wavConverter = &RunWavConverter;
    popups.recordSaved = &OpenRecordSaved;
    popups.recommend = &RunRecommendWnd;
    SetRecordingPopups(popups);
    MainWindowHooks& main = MainHooks();
    main.settings = &RunSettings;
    main.about = &OpenAboutWnd;
    main.subscribePodcast = &RunPodcastAddress;
    main.ownStation = &OpenOwnStationWnd;
    main.userStream = &RunUserStream;
    Openers().hint = &OpenHint;
    Openers().recSourceSearch = &OpenRecSourceSearch;
    Openers().podcastFolderChanged = &ResetPodcastEpisodePaths;
    SetRecListReplies(RecListReplies{&ExpectRecList, &WaitRecListReply});
    ProfileHooks().help = &OpenEditorHelp;
}

void EmptyDialogSeams(char* names, int size) {
    if (!names || size <= 0) return;
    names[0] = 0;
    const DialogOpeners& now = Openers();
    const DialogOpeners& empty = EmptyOpeners();
    const RecordingPopups popups = GetRecordingPopups();
    const MainWindowHooks& main = MainHooks();
    const struct {
        const char* name;
        bool filled;
    } seams[] = {
        {"hint", now.hint != empty.hint},
        {"recSourceSearch", now.recSourceSearch != empty.recSourceSearch},
        {"qualityChoice", now.qualityChoice != empty.qualityChoice},
        {"cutChoice", now.cutChoice != empty.cutChoice},
        {"mp3Choice", now.mp3Choice != empty.mp3Choice},
        {"podcastFolderChanged", now.podcastFolderChanged != empty.podcastFolderChanged},
        {"recListReplies", RecListRepliesInstalled()},
        {"profileHelp", ProfileHelpInstalled()},
        {"timerEditor", GetTimerEditorHook() != nullptr},
        {"wavConverter", popups.wavConverter != nullptr},
        {"recordSaved", popups.recordSaved != nullptr},
        {"recommend", popups.recommend != nullptr},
        {"settings", main.settings != nullptr},
        {"about", main.about != nullptr},
        {"subscribePodcast", main.subscribePodcast != nullptr},
        {"ownStation", main.ownStation != nullptr},
        {"userStream", main.userStream != nullptr},
    };
    for (const auto& seam : seams) {
        if (seam.filled) continue;
        if (names[0]) bk::TextAppend(names, static_cast<size_t>(size), " ");
        bk::TextAppend(names, static_cast<size_t>(size), seam.name);
    }
}

}  // namespace dlgs
