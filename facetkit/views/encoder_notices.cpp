#include "encoder_notices.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "../../tunerdeck/core/settings_interface.h"
#include "bounded_text.h"
#include "download.h"
#include "hint_wnds.h"
#include "library_state.h"
#include "list_store.h"
#include "message_popup.h"
#include "resource_manager.h"
#include "profiles.h"
#include "registry.h"
#include "skin_wnd.h"
#include "status_intake.h"
#include "view_notices.h"
#include "win_handles.h"

namespace {

EncoderFetch g_fetch;
// One encoder download at a time: a second offer (the converter opened
// again, another notice) while one runs is refused.
volatile LONG g_encoderRunning = 0;
struct RunningMark {
    bool taken = InterlockedCompareExchange(&g_encoderRunning, 1, 0) == 0;
    ~RunningMark() {
        if (taken) InterlockedExchange(&g_encoderRunning, 0);
    }
};
CRITICAL_SECTION* TextLock() {
    static CRITICAL_SECTION cs;
    static bool init = (InitializeCriticalSection(&cs), true);
    (void)init;
    return &cs;
}
std::string g_episode;
std::string g_podcastTitle;

void Pump(DWORD pause) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    Sleep(pause);
}

// The running download's progress pop-up (user-interface thread only):
// closing it cancels the download.
cWaitNotice* g_progress = nullptr;

// A transfer that stops moving for this long is given up.
constexpr DWORD kStalledJobMs = 60000;

bool DownloadCancelled() { return g_progress && g_progress->Cancelled(); }

// Waits (pumping this thread's messages) until the job ends; 5 for a
// finished one. A job that receives nothing for a minute, or whose pop-up
// the user closed, is cancelled: neither holds the user interface.
int WaitForJob(cDownloadManager* dm, unsigned long job) {
    int status = kDownloadFailed;
    unsigned long size = 0;
    DWORD moved = GetTickCount();
    for (;;) {
        status = dm->GetStatus(job);
        if (status >= kDownloadFinished) break;
        const unsigned long now = dm->GetAktSize(job);
        if (now != size) {
            size = now;
            moved = GetTickCount();
        }
        if (DownloadCancelled() || GetTickCount() - moved > kStalledJobMs) {
            dm->CancelDownload(job);
            status = kDownloadFailed;
            break;
        }
        Pump(5);
    }
    dm->DeleteJob(job);
    return status;
}

bool DefaultFetchText(const char* url, std::string* text) {
    cDownloadManager* dm = Library().downloads;
    if (!dm) return false;
    char address[1024];
    bk::TextCopy(address, url);
    char* answer = nullptr;
    unsigned long job = dm->Download(nullptr, 0, address, &answer, kEncoderListLimit, 0, 0);
    if (!job) return false;
    dm->StartJob(job);
    const int status = WaitForJob(dm, job);
    if (status == kDownloadFinished && answer) text->assign(answer);
    if (answer) HeapFree(GetProcessHeap(), 0, answer);
    return status == kDownloadFinished;
}

bool DefaultFetchFile(const char* url, const char* path) {
    cDownloadManager* dm = Library().downloads;
    if (!dm) return false;
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    char address[1024];
    bk::TextCopy(address, url);
    unsigned long job = dm->Download(nullptr, 0, address, static_cast<void*>(file), 0, 0, 0);
    if (!job) {
        CloseHandle(file);
        return false;
    }
    dm->StartJob(job);
    return WaitForJob(dm, job) == kDownloadFinished;
}

bool DefaultUnpack(const char* zipPath) {
    // The host empties the text when it cannot unpack the archive.
    char text[4096];
    bk::TextCopy(text, zipPath);
    HostCallback(77, 0, text);
    return text[0] != 0;
}

bool ArchiveHoldsLibrary(const char* path) {
    bk::ScopedFile file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size;
    if (!file.Valid() || !GetFileSizeEx(file.Get(), &size) || size.QuadPart > kEncoderArchiveLimit) return false;
    std::vector<unsigned char> bytes(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    if (!bytes.empty() && (!ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) ||
                           got != bytes.size()))
        return false;
    return EncoderArchiveHoldsLibrary(bytes.data(), bytes.size());
}

void Progress(const char* text) {
    if (g_fetch.progress) g_fetch.progress(text);
    else if (g_progress) g_progress->SetText(text);
}

void EncoderOffer(int value) {
    if (g_encoderRunning) return;
    char text[1024];
    UiText(value == 2 ? 638 : 631, text, sizeof text);
    NoticeRequest ask;
    ask.text = text;
    ask.markup = true;
    ask.buttons = NB_YES_NO;
    ask.owner = NavWindowHandle();
    if (!ShowNoticeModal(ask)) return;
    cWaitNotice progress;
    // Tests replace the downloads and watch the progress texts themselves.
    UiText(632, text, sizeof text);
    const bool shown = !g_fetch.progress && progress.Open(285, text);
    if (shown) g_progress = &progress;
    const int ok = DownloadEncoder(Library().skinsFolder);
    g_progress = nullptr;
    const bool cancelled = shown && progress.Cancelled();
    NoticeRequest done;
    done.owner = NavWindowHandle();
    if (!ok) {
        progress.Close();
        if (cancelled) return;
        UiText(636, text, sizeof text);
        done.text = text;
        done.markup = true;
        ShowNoticeModal(done);
        return;
    }
    if (cSettingsInterface* host = Library().host) {
        host->SetRecordingFormat(1);
        int sps = 0, bps = 0, nch = 0, language = 0;
        GetRecQualitySettings(host->GetQualityMuster(), &sps, &bps, &nch, &language);
        if (auto* d = dynamic_cast<cStatusDisplay*>(MainWindowObject()))
            d->SetQualityInfo("MP3", host->GetQualityMuster(), sps, bps, nch);
    }
    PostToWindow(6, WM_FK_PODCASTS_CHANGED, 0, 0);
    UiText(value == 2 ? 639 : 635, text, sizeof text);
    if (shown && !cancelled) {
        progress.Finish(text);
        return;
    }
    done.text = text;
    ShowNoticeModal(done);
}

}  // namespace

void SetEncoderFetch(const EncoderFetch& fetch) { g_fetch = fetch; }

bool FetchTextForViews(const char* url, std::string* text) {
    return g_fetch.fetchText ? g_fetch.fetchText(url, text) : DefaultFetchText(url, text);
}

int DownloadEncoder(const char* skinsFolder) {
    RunningMark mark;
    if (!mark.taken) return 0;
    auto fetchText = g_fetch.fetchText ? g_fetch.fetchText : DefaultFetchText;
    auto fetchFile = g_fetch.fetchFile ? g_fetch.fetchFile : DefaultFetchFile;
    auto unpack = g_fetch.unpack ? g_fetch.unpack : DefaultUnpack;
    char text[500];
    UiText(632, text, sizeof text);
    Progress(text);
    std::string list;
    if (!fetchText(kEncoderSourceList, &list)) return 0;
    const std::string zip = EncoderZipPath(skinsFolder);
    char format[500];
    UiText(633, format, sizeof format);
    int number = 0;
    for (const std::string& source : EncoderSources(list.data(), list.size())) {
        if (DownloadCancelled()) return 0;
        bk::TextFormat(text, sizeof text, format, ++number);
        Progress(text);
        if (!fetchFile(source.c_str(), zip.c_str())) {
            DeleteFileA(zip.c_str());
            continue;
        }
        if (DownloadCancelled()) {
            DeleteFileA(zip.c_str());
            return 0;
        }
        // A source may answer with anything (an error page, another
        // archive): only an archive that holds the library is unpacked.
        if (!ArchiveHoldsLibrary(zip.c_str())) {
            DeleteFileA(zip.c_str());
            continue;
        }
        UiText(634, text, sizeof text);
        Progress(text);
        const bool ok = unpack(zip.c_str());
        DeleteFileA(zip.c_str());
        if (ok) return 1;
    }
    return 0;
}

void ShowNotice(int notice, int value) {
    if (!NavWindowObject()) return;
    char text[1024], sub[1024];
    NoticeRequest request;
    switch (notice) {
    case 1: EncoderOffer(value); break;
    case 2: dlgs::OpenMp3AdjustedHint(); break;
    case 3:
        if (value == 112) {
            UiText(123, text, sizeof text);
            request.text = text;
            ShowNoticeModal(request);
        } else {
            UiText(389, text, sizeof text);
            if (auto* d = dynamic_cast<cStatusDisplay*>(MainWindowObject())) d->SetStatusLine(text, 0);
        }
        break;
    case 4:
        UiText(472, text, sizeof text);
        UiText(487, sub, sizeof sub);
        request.text = text;
        request.subText = sub;
        request.buttons = NB_YES_NO;
        request.countdown = 10;
        request.width = 320;
        request.height = 100;
        if (ShowNoticeModal(request)) HostCallback(58, 0, nullptr);
        break;
    case 5: {
        char format[1024];
        UiText(557, format, sizeof format);
        bk::TextFormat(text, sizeof text, format, GetLastSubscribedTitle().c_str());
        request.text = text;
        request.markup = true;
        request.owner = NavWindowHandle();
        ShowNoticeDetached(request);
        break;
    }
    case 6: {
        UiText(610, text, sizeof text);
        request.text = text;
        request.buttons = NB_YES_NO;
        if (!ShowNoticeModal(request)) break;
        EnterCriticalSection(TextLock());
        const std::string target = g_episode;
        LeaveCriticalSection(TextLock());
        // StartBrowser opens only web addresses and media files.
        if (!target.empty()) StartBrowser(target.c_str());
        break;
    }
    default: break;
    }
}

void SetLastEpisodeAddress(const char* address) {
    EnterCriticalSection(TextLock());
    g_episode = address ? address : "";
    LeaveCriticalSection(TextLock());
}

void SetLastSubscribedTitle(const char* title) {
    EnterCriticalSection(TextLock());
    g_podcastTitle = title ? title : "";
    LeaveCriticalSection(TextLock());
}

std::string GetLastSubscribedTitle() {
    EnterCriticalSection(TextLock());
    std::string t = g_podcastTitle;
    LeaveCriticalSection(TextLock());
    return t;
}
