// The keywords carried out on the real windows, the host and the lists.
#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "../../tunerdeck/core/settings_interface.h"
#include "bounded_text.h"
#include "catalogue.h"
#include "encoder_notices.h"
#include "library_state.h"
#include "list_store.h"
#include "main_window.h"
#include "podcast_feed.h"
#include "protocol_commands.h"
#include "recording_record.h"
#include "registry.h"
#include "textutil.h"
#include "timer_entries.h"
#include "timerentry.h"
#include "view_notices.h"
#include "vltime.h"
#include "wnd_list.h"

namespace {

// The navigator's slide message until the navigator window handles it.
enum { WM_NAV_SLIDE = 1145 };

struct ListLock {
    ListLock() { EnterCriticalSection(GetListStore().Lock()); }
    ~ListLock() { LeaveCriticalSection(GetListStore().Lock()); }
};

struct TimerJob {
    unsigned long channel;
    cTimerEntry entry;
};
DWORD WINAPI TimerJobQuestionThread(void* param);

unsigned long SettingNumber(const char* name) {
    unsigned long v = 0;
    GetValue(name, &v);
    return v;
}

class cMainTarget : public cProtocolTarget {
public:
    void Log(const char* line) override { HostLog(5, line); }
    int Callback(int code, int ch, void* text) override { return HostCallback(code, ch, text); }
    void Pause(unsigned long ms) override { Sleep(ms); }
    void BringToFront() override {
        if (HWND main = MainWindowHandle()) SetForegroundWindow(main);
    }
    int IsRecording() override { return GetRecordingFlag(); }
    int RecordingBlocks(long entryId) override {
        if (!GetRecordingFlag()) return 0;
        const std::vector<int32_t> out = HandedRecordEntries();
        // A recording whose record is not ours to know blocks, as any did.
        if (out.empty()) return 1;
        for (int32_t e : out)
            if (e == entryId || e < 0) return 1;
        return 0;
    }
    int IsPlaying() override {
        HWND main = MainWindowHandle();
        DWORD_PTR answer = 0;
        // The tray agent's question "is the player playing?".
        if (main) SendMessageTimeoutA(main, 1171, 0, 0, SMTO_NORMAL, 1000, &answer);
        return answer == 1;
    }
    unsigned long LastChannelId() override { return SettingNumber("LastChannelId"); }
    int IsOemPlayer() override { return IsOEMPlayer() ? 1 : 0; }
    bool GetTimerEntry(long id, cTimerEntry* copy) override {
        ListLock lock;
        auto* e = static_cast<cTimerEntry*>(GetListStore().List(LS_TIMER_ENTRIES)->GetById(static_cast<unsigned long>(id)));
        if (!e) return false;
        *copy = *e;
        copy->SetId(e->GetId());
        return true;
    }
    int ShutdownEntryDue() override {
        SYSTEMTIME now;
        GetLocalTime(&now);
        const ULONGLONG t = cVLTime(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond)
                                .GetAsULargeInteger().QuadPart;
        const ULONGLONG window = 10ull * 60 * 10000000ull;
        ListLock lock;
        for (cListElement* e = GetListStore().List(LS_TIMER_ENTRIES)->First(); e; e = e->Next()) {
            auto* te = static_cast<cTimerEntry*>(e);
            if (te->GetAction() != TA_SHUTDOWN || !te->GetActive()) continue;
            const cVLTime when = te->GetNextJobTime().IsZero() ? te->GetStartTime() : te->GetNextJobTime();
            const ULONGLONG w = when.GetAsULargeInteger().QuadPart;
            if (w && w <= t + window && t <= w + window) return 1;
        }
        return 0;
    }
    void SaveTimerList() override { ::SaveTimerList(); }
    void PostPlayChannel(unsigned long channel) override {
        if (HWND main = MainWindowHandle()) PostMessageA(main, 1130, channel, 0);
    }
    void StartTimerJobQuestion(unsigned long channel, const cTimerEntry& entry) override {
        // The question waits for the user up to 30 s: on a thread of its own,
        // so the sender of the text (a second start, the scheduler) is not held.
        auto* job = new TimerJob{channel, cTimerEntry(entry)};
        job->entry.SetId(entry.GetId());
        HANDLE thread = CreateThread(nullptr, 0, TimerJobQuestionThread, job, 0, nullptr);
        if (thread)
            CloseHandle(thread);
        else
            delete job;
    }
    void ShowTimerNotice(const cTimerEntry* entry) override {
        char text[2048], format[1024];
        if (entry) {
            UiText(410, format, sizeof format);
            bk::TextFormat(text, sizeof text, format, entry->GetName(), entry->GetSendername());
        } else {
            UiText(407, text, sizeof text);
        }
        NoticeRequest request;
        request.text = text;
        request.countdown = 15;
        ShowNoticeDetached(request);
    }
    void PlayStream(unsigned long id) override {
        if (auto* main = dynamic_cast<cVelmoWin*>(MainWindowObject())) {
            main->PlayStream(id);
            return;
        }
        if (GetRecordingFlag() && !AskStationChange()) return;
        HostCallback(2, static_cast<int>(id), nullptr);
    }
    void PlayCustomUrl(int kind, const char* address) override {
        if (GetRecordingFlag() && !AskStationChange()) return;
        SetCurrentSelection(-1, address);
        char copy[1024];
        bk::TextCopy(copy, address);
        HostCallback(21, kind, copy);
    }
    void SetCurrentSelection(int id, const char* name) override {
        cSkinWnd* main = MainWindowObject();
        if (auto* v = dynamic_cast<cVelmoWin*>(main)) v->SetCurrentSelection(id, name);
    }
    void Close() override {
        if (HWND main = MainWindowHandle()) SendMessageA(main, WM_CLOSE, 0, 0);
    }
    void SetAdBanner(const char* address, int cx, int cy) override {
        cSettingsInterface* host = Library().host;
        if (!host) return;
        host->SetAdBannerUrl(address);
        host->SetAdBannerCX(cx);
        host->SetAdBannerCY(cy);
        // The navigator takes the new sizes on its own thread, which then
        // tells the host (a link may arrive on the command-line thread).
        if (NavWindowObject()) PostToWindow(WND_ID_MAIN, WM_MAIN_APPLY_NAV_BANNER, 0, 0);
    }
    bool ConfirmSkinFromLink() override { return AskCatalogueQuestion(705, false) != 0; }
    void SetSuppressNotice() override { ::SetSuppressNotice(1); }
    void AskShutdown(int autoYes) override {
        char text[1024];
        UiText(411, text, sizeof text);
        NoticeRequest request;
        request.text = text;
        request.buttons = NB_YES_NO;
        request.countdown = autoYes ? 15 : -1;
        if (!ShowNoticeModal(request)) return;
        ::SetSuppressNotice(1);
        HostCallback(55, 0, nullptr);
    }
    void ShowReminder(const char* text) override {
        SYSTEMTIME now;
        GetLocalTime(&now);
        char format[1024], message[4096];
        UiText(412, format, sizeof format);
        bk::TextFormat(message, sizeof message, format, now.wHour, now.wMinute, text);
        NoticeRequest request;
        request.text = message;
        ShowNoticeDetached(request);
    }
    void TimerEntryFromProtocol(const char* const fields[9]) override { ::TimerEntryFromProtocol(fields); }
    void SubscribePodcast(const char* address) override;
    void SlideNavigator() override {
        if (HWND nav = NavWindowHandle()) PostMessageA(nav, WM_NAV_SLIDE, 0, 0);
    }
    void ShowFavouriteAdded() override {
        char text[1024];
        UiText(731, text, sizeof text);
        NoticeRequest request;
        request.text = text;
        request.markup = true;
        request.buttons = NB_CONFIRM_355;
        request.countdown = 10;
        request.titleSprite = 412;
        ShowNoticeModal(request);
    }
    void DefaultProfiles(char* quality, size_t qs, char* cut, size_t cs) override {
        cSettingsInterface* host = Library().host;
        bk::TextCopy(quality, qs, host ? host->GetQualityMuster() : "");
        bk::TextCopy(cut, cs, host ? host->GetAutoCutMuster() : "");
    }
    unsigned long NumberSetting(const char* name) override { return SettingNumber(name); }
    void StartRecording(RecordingStartRecord* record) override { ::StartRecording(record); }

private:
    // The station-change question while a recording runs.
    int AskStationChange() {
        if (!NavWindowObject()) return 0;
        return AskCatalogueQuestion(192, true);
    }
};

DWORD WINAPI TimerJobQuestionThread(void* param) {
    std::unique_ptr<TimerJob> job(static_cast<TimerJob*>(param));
    char text[2048], format[1024];
    UiText(406, format, sizeof format);
    bk::TextFormat(text, sizeof text, format, job->entry.GetSendername(), job->entry.GetName());
    NoticeRequest request;
    request.text = text;
    request.buttons = NB_YES_NO;
    request.countdown = 30;
    if (ShowNoticeModal(request)) {
        ::SetSuppressNotice(1);
        HostCallback(3, 0, nullptr);
        Sleep(500);
        HostCallback(1, static_cast<int>(job->channel), nullptr);
        return 0;
    }
    // The entry gives way: switched off on the window's thread, which owns
    // the timer list and tells the host and the scheduler.
    if (HWND main = MainWindowHandle()) PostMessageA(main, WM_MAIN_TIMER_JOB_DECLINED, job->entry.GetId(), 0);
    return 0;
}

void cMainTarget::SubscribePodcast(const char* address) {
    char text[2048], format[1024];
    NoticeRequest request;
    if (!PodcastFeature()) {
        if (IsOEMPlayer()) return;
        UiText(627, text, sizeof text);
        request.text = text;
        request.markup = true;
        request.buttons = NB_YES_NO;
        if (!ShowNoticeModal(request)) return;
        if (cSkinWnd* main = MainWindowObject()) main->GetSkinData()->SetBannerHeight(0);
        HostCallback(16, 0, const_cast<char*>("stockface.dll"));
        Close();
        Sleep(100);
        return;
    }
    std::string feed;
    bool fetched;
    {
        // The fetch may take a while: the user sees that it runs.
        UiText(599, text, sizeof text);
        cWaitNotice wait;
        wait.Open(285, text);
        fetched = FetchTextForViews(address, &feed);
    }
    Sleep(100);
    auto notFound = [&]() {
        UiText(582, format, sizeof format);
        bk::TextFormat(text, sizeof text, format, address);
        request.text = text;
        request.titleSprite = 257;
        ShowNoticeModal(request);
    };
    if (!fetched) {
        notFound();
        return;
    }
    int knownId = -1, subscribed = 0;
    {
        ListLock lock;
        for (cListElement* e = GetListStore().List(LS_PODCASTS)->First(); e; e = e->Next()) {
            auto* p = static_cast<cPodcastEntry*>(e);
            // The host compares feed addresses ignoring case; so does this.
            if (p->GetText() && _stricmp(p->GetText(), address) == 0) {
                knownId = static_cast<int>(p->GetId());
                subscribed = p->subscribed;
                break;
            }
        }
    }
    // The feed's own reader takes the text: code page, entities and CDATA
    // are read as a download would be.
    std::string title;
    if (knownId >= 0) {
        cPodcastFeed* known = FindPodcastFeed(static_cast<unsigned long>(knownId));
        title = known ? known->GetTitle(0) : address;
        SetLastSubscribedTitle(title.c_str());
    } else {
        cPodcastFeed probe;
        probe.SetUrl(address);
        if (!probe.TakeFeedText(feed)) {
            notFound();
            return;
        }
        title = probe.GetTitle(0);
    }
    if (knownId >= 0 && subscribed) {
        if (HWND main = MainWindowHandle()) PostMessageA(main, 1165, 5, 0);
        return;
    }
    UiText(590, format, sizeof format);
    bk::TextFormat(text, sizeof text, format, title.c_str());
    request.text = text;
    request.markup = true;
    request.buttons = NB_YES_NO;
    request.titleSprite = 385;
    if (!ShowNoticeModal(request)) return;
    if (knownId >= 0) {
        HostCallback(71, knownId, const_cast<char*>("1"));
        if (cPodcastFeed* known = FindPodcastFeed(static_cast<unsigned long>(knownId))) known->SetSubscribed(1);
    } else {
        SetLastSubscribedTitle(title.c_str());
        char copy[1024];
        bk::TextCopy(copy, address);
        HostCallback(69, 0, copy);
    }
    if (HWND main = MainWindowHandle()) PostMessageA(main, 1199, 0, 12);
}

}  // namespace

cProtocolTarget& MainProtocolTarget() {
    static cMainTarget target;
    return target;
}

int HandleMainCopyData(unsigned long kind, unsigned long dwData, const void* data, size_t size) {
    if (kind == 5) {
        const std::string text = CopyDataText(data, size);
        if (text.empty()) return 1;
        HWND main = MainWindowHandle();
        if (main && StartParamsAskTheUser(text.c_str())) {
            auto* later = new std::string(text);
            if (PostMessageA(main, WM_MAIN_LINK_AFTER_HANDOVER, 0, reinterpret_cast<LPARAM>(later))) return 1;
            delete later;
        }
        HandleStartParams(MainProtocolTarget(), text.c_str());
        return 1;
    }
    if (kind == kCopyDataOverlap) {
        ShowOverlaps(static_cast<uint32_t>(dwData), data, size);
        return 1;
    }
    return 0;
}

namespace {


// The command line arrives on a worker thread; the keywords open windows
// and must run on the window's own thread, so the text goes there the way a
// second start's does.
void StartParamsHook(const char* text) {
    HWND main = MainWindowHandle();
    if (!main || !text) return;
    COPYDATASTRUCT cds = {0, static_cast<DWORD>(strnlen(text, kProtocolMaxText)), const_cast<char*>(text)};
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(main, WM_COPYDATA, 5, reinterpret_cast<LPARAM>(&cds), SMTO_NORMAL, 60000, &answer);
}

}  // namespace

void InstallProtocolHooks() {
    MainWindowHooks& hooks = MainHooks();
    hooks.copyData = HandleMainCopyData;
    hooks.startParams = StartParamsHook;
}
