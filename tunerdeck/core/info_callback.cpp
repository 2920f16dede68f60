#include "info_callback.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "bounded_text.h"
#include "convert_order.h"
#include "debug_log.h"
#include "internet.h"
#include "list_push.h"
#include "registry.h"

namespace td {

static_assert(kConvertRecordSize == sizeof(ConvertOrder), "code 62 copies the whole conversion order");

namespace {

cCallbackTarget* volatile g_target = nullptr;
volatile LONG g_workers = 0;
volatile LONG g_listsReady = 0;
volatile LONG g_firstPlayDone = 0;

cCallbackTarget* Target() { return g_target; }

// The maker's hosts (deployment values).
const char* const kEnglishHost = "http://www.velmirant.com";
const char* const kGermanHost = "http://www.velmirant.de";

struct Job {
    int fkt;
    int ch;
    void* text;   // owned copy where the code needs one, else the caller's pointer
    bool owned;
    bool ordered;
    uint64_t turn;
};

// Playing, stopping and recording run in the order they were asked for.
// Each runs on a thread of its own, and a stop asked before a start must not
// end what that start begins: a timer's stop of one recording and the start
// of the next, or stop and play pressed one after the other.
bool IsOrdered(int fkt) {
    switch (fkt) {
        case 1: case 2: case 3: case 4: case 21: case 38: case 39: case 72:
            return true;
        default:
            return false;
    }
}

class cCommandOrder {
public:
    uint64_t Take() {
        std::lock_guard<std::mutex> hold(lock_);
        return issued_++;
    }
    // Until every earlier command has run; a command stuck for longer than
    // the bound, or the end of the callbacks, lets the later ones go on.
    void WaitForTurn(uint64_t turn) {
        const DWORD start = GetTickCount();
        std::unique_lock<std::mutex> hold(lock_);
        while (next_ < turn && g_target && GetTickCount() - start < kWaitMs)
            changed_.wait_for(hold, std::chrono::milliseconds(50));
    }
    void Done(uint64_t turn) {
        {
            std::lock_guard<std::mutex> hold(lock_);
            done_.insert(turn);
            while (done_.erase(next_)) ++next_;
        }
        changed_.notify_all();
    }

private:
    static constexpr DWORD kWaitMs = 20000;
    std::mutex lock_;
    std::condition_variable changed_;
    uint64_t issued_ = 0, next_ = 0;
    std::set<uint64_t> done_;
};

cCommandOrder& CommandOrder() {
    static cCommandOrder order;
    return order;
}

bool IsImmediate(int fkt) {
    switch (fkt) {
        case 7: case 12: case 13: case 16: case 24: case 25: case 27: case 28: case 29: case 33: case 36: case 37:
        case 40: case 44: case 49: case 50: case 51: case 52: case 53: case 54: case 56: case 57: case 58: case 61:
        case 64: case 67: case 69: case 70: case 71: case 73: case 74: case 75: case 76: case 77: case 80: case 81:
            return true;
        default:
            return false;
    }
}

// Copies what must outlive the caller's call. Records of a fixed size are
// copied whole; texts up to their end.
void* CopyForWorker(int fkt, void* text, bool* owned) {
    *owned = false;
    if (!text) return nullptr;
    size_t size = 0;
    switch (fkt) {
        case 6: size = sizeof(SearchCriteria); break;
        case 62: size = kConvertRecordSize; break;
        case 72: case 21: case 31: case 47: case 5: case 19: case 18: case 10: case 20:
            size = strlen(static_cast<const char*>(text)) + 1;
            break;
        default: return text;
    }
    void* copy = HeapAlloc(GetProcessHeap(), 0, size);
    if (!copy) return nullptr;
    memcpy(copy, text, size);
    *owned = true;
    return copy;
}

void OpenWeb(cCallbackTarget* t, const char* address) {
    // The skin's download links name host and path only.
    if (address && _strnicmp(address, "www.", 4) == 0 && !strstr(address, "://")) {
        t->OpenBrowser((std::string("http://") + address).c_str());
        return;
    }
    if (IsWebAddress(address))
        t->OpenBrowser(address);
    else if (address)
        WriteDebugLogF(2, "InfoCallback: not a web address: %.200s", address);
}

void OpenTextOr(cCallbackTarget* t, const char* text, const char* englishPath, const char* germanPath) {
    if (text && *text)
        OpenWeb(t, text);
    else
        OpenWeb(t, MakerAddress(t->Language(), englishPath, germanPath).c_str());
}

void PlayPath(cCallbackTarget* t, int fkt, int ch, const char* text) {
    if ((fkt == 21 || fkt == 72) && !text) return;
    if (InterlockedExchange(&g_firstPlayDone, 1) == 0) t->CheckConnection();
    t->ClearMetaAddresses();
    t->SetLocalFile(fkt == 72 ? 1 : 0);
    switch (fkt) {
        case 21: t->PlayAddress(ch, text); break;
        case 72: {
            t->CountFile(text);
            std::string address = std::string("FILE://") + text;
            t->PlayLocalFile(ch, address.c_str());
            break;
        }
        case 1: t->PlayChannel(ch); break;
        case 2: t->PlayStream(ch); break;
    }
    Sleep(500);
    t->Banner(3, 0);
}

void RunWorkerCode(cCallbackTarget* t, int fkt, int ch, void* text) {
    const char* s = static_cast<const char*>(text);
    switch (fkt) {
        case 1: case 2: case 21: case 72: PlayPath(t, fkt, ch, s); break;
        case 3: t->Stop(); t->StopRecording(); break;
        case 4: t->TogglePause(); break;
        case 5:
            if (ch != 0)
                OpenWeb(t, t->StationHomepage(ch).c_str());
            else if (s && *s)
                OpenWeb(t, s);
            else
                OpenWeb(t, MakerAddress(t->Language(), "/", "/").c_str());
            break;
        case 6:
            if (text) t->Search(*static_cast<const SearchCriteria*>(text));
            break;
        case 8: t->RemoveFavorite(ch); break;
        case 10:
            if (ch == 0) t->ShowHelp(s);
            else if (ch == 1) OpenTextOr(t, s, "/pages/faq.php", "/pages/velmirant_player/support/faq/");
            break;
        case 14: if (ch != 0) t->PushDetails(ch); break;
        case 15:
            t->PushAllLists();
            InterlockedExchange(&g_listsReady, 1);
            t->SetRecTime();
            break;
        case 18:
            OpenTextOr(t, s, "/pages/bugreport_eng.php", "/pages/velmirant_player/support/bugreport.php");
            break;
        case 19:
            if (ch == 1) OpenTextOr(t, s, "/pages/mail_eng.php", "/pages/velmirant_player/support/");
            else if (ch == 2)
                OpenTextOr(t, s, "/pages/neuersender_eng.php", "/pages/velmirant_player/support/sender_vorschlagen.php");
            break;
        case 20: if (s && strlen(s) >= 2) OpenWeb(t, s); break;
        case 22: t->PlayTrack(ch); break;
        case 23: t->SetTrackPosition(ch); break;
        case 26: t->Banner(3, 0); break;
        case 31: if (s) t->DownloadSkin(s, ch); break;
        case 32: OpenWeb(t, MakerAddress(t->Language(), "/services/download/skindownload.php", "/pages/velmirant_player/skins/").c_str()); break;
        case 34: t->RemoveFolder(ch); break;
        case 35: t->UpdateDatabase(); break;
        case 38: if (text) t->StartRecording(text); break;
        case 39: t->StopRecording(); break;
        case 41: t->StopListeningIfIdle(); break;
        case 42: t->SendSourceNames(); break;
        case 43: if (ch != 0) t->SelectRecordSource(ch - 1); break;
        case 45: t->SetRecordLevel(ch); break;
        case 46: t->ApplyRecordFormat(); t->SetRecTime(); break;
        case 47: if (s) t->SendSkinData(s); break;
        case 48:
            for (int i = 0; i < 100 && !g_listsReady; ++i) Sleep(50);
            if (g_listsReady) t->Banner(4, 0);
            break;
        case 55: t->ShutdownComputer(); break;
        case 59: t->SendDeviceNames(); break;
        case 60: t->SelectRecordDevice(ch - 1); break;
        case 62: if (text) t->ConvertToMp3(text); break;
        case 63: t->StopConversion(); break;
        case 65:
            // Asked by the user: the tips are fetched even when today's came already.
            SetValue("ProgrammtippsDate", "");
            t->UpdateProgrammTips();
            break;
        case 66: t->ReloadProgrammTips(); break;
        case 68: t->ShowDeadStreams(); break;
        case 79: t->SendRecordLevelStatus(); break;
        case 82: t->ShowOfferedUpdate(); break;
        default: break;   // 0, 9, 11, 17, 30, 78 and unknown codes: the log lines only
    }
}

DWORD WINAPI Worker(void* p) {
    Job* job = static_cast<Job*>(p);
    WriteDebugLogF(7, "___InfoCallback: Fkt: %d -- Ch: %d", job->fkt, job->ch);
    if (job->ordered) CommandOrder().WaitForTurn(job->turn);
    if (cCallbackTarget* t = Target()) RunWorkerCode(t, job->fkt, job->ch, job->text);
    if (job->ordered) CommandOrder().Done(job->turn);
    if (job->owned) HeapFree(GetProcessHeap(), 0, job->text);
    delete job;
    WriteDebugLog("___InfoCallback ok", 7);
    InterlockedDecrement(&g_workers);
    return 0;
}

// Code 49: up to nine fields separated by 0x02; runs of separators count
// as one. The text is taken from a bounded working copy.
void SplitStationFields(const char* text, std::string (&fields)[9]) {
    char work[4096];
    bk::TextCopy(work, sizeof work, text);
    int f = 0;
    const char* p = work;
    while (*p && f < 9) {
        while (*p == '\x02') ++p;
        if (!*p) break;
        const char* end = p;
        while (*end && *end != '\x02') ++end;
        fields[f++].assign(p, static_cast<size_t>(end - p));
        p = end;
    }
}

void WriteInt(void* text, int value) {
    if (text) memcpy(text, &value, sizeof value);
}

int RunImmediate(cCallbackTarget* t, int fkt, int ch, void* text) {
    const char* s = static_cast<const char*>(text);
    switch (fkt) {
        case 7: if (ch != 0) t->SetFavorite(ch, static_cast<int>(reinterpret_cast<intptr_t>(text))); break;
        case 12:
            if (static_cast<uint32_t>(ch) == 0xFFFFFFFFu) t->SetSoundOn(1);
            else if (static_cast<uint32_t>(ch) == 0xEFFFFFFFu) t->SetSoundOn(0);
            else t->SetMasterVolume(ch);
            break;
        case 13: t->SendVolumeStatus(); break;
        case 16: if (s && *s) t->ChangeSkin(s); break;
        case 24: t->Banner(1, 0); break;
        case 25: t->Banner(2, 0); break;
        case 27: return t->BannerAnswer();
        case 28: if (s) t->DebugText(s, ch); break;
        case 29: t->CloseInstanceMarker(); break;
        case 33: if (s) t->SetFolder(ch, s); break;
        case 36: if (text) WriteInt(text, t->SendRecommendation(text) ? 1 : 0); break;
        case 37: InterlockedExchange(&g_firstPlayDone, 0); break;
        case 40: t->StartListening(); break;
        case 44: t->SendRecordLevelStatus(); break;
        case 49:
            if (s) {
                std::string fields[9];
                SplitStationFields(s, fields);
                t->SetUserStation(ch, fields);
            }
            break;
        case 50: t->DeleteUserStation(ch); break;
        case 51: case 52: {
            char folder[MAX_PATH] = {};
            GetSystemDirectoryA(folder, MAX_PATH);
            const size_t n = strlen(folder);
            char cmd[MAX_PATH + 40];
            bk::TextFormat(cmd, sizeof cmd, "\"%s%ssndvol32.exe\"%s", folder,
                           n && folder[n - 1] == '\\' ? "" : "\\", fkt == 52 ? " -r" : "");
            t->RunProgram(cmd);
            break;
        }
        case 53: t->TimerListChanged(text); break;
        case 54:
            if (ch != 0 && text) {
                const std::string d = t->StationDetails(ch);
                if (!d.empty()) bk::TextCopy(static_cast<char*>(text), kDetailsBufferSize, d.c_str());
            }
            break;
        case 56: t->SecondBanner(1, ch); break;
        case 57: t->SecondBanner(2, ch); break;
        case 58: t->LowerVolumeForDownload(); break;
        case 61: if (text && ch > 0) bk::TextCopy(static_cast<char*>(text), static_cast<size_t>(ch), t->ProgramFolder()); break;
        case 64: t->OpenProgrammTip(ch); break;
        case 67: {
            const int ok = t->CheckEncoder() ? 1 : 0;
            WriteInt(text, ok);
            return ok;
        }
        case 69: if (s && *s) t->AddPodcast(s); break;
        case 70: t->DeletePodcast(ch); break;
        case 71: t->SetPodcastSubscribed(ch, text ? 1 : 0); break;
        case 73: {
            auto* q = static_cast<FileCountQuery*>(text);
            if (q && q->fileName) q->count = t->GetFileCount(q->fileName);
            break;
        }
        case 74: if (text && ch > 0) bk::TextCopy(static_cast<char*>(text), static_cast<size_t>(ch), t->DatabaseTime().c_str()); break;
        case 75: t->RestoreAudioState(); break;
        case 76: t->SaveAudioState(); break;
        case 77: {
            if (!s) return 0;
            if (t->UnpackEncoder(s)) return 1;
            static_cast<char*>(text)[0] = 0;
            return 0;
        }
        case 80: WriteInt(text, static_cast<int>(t->Capabilities() & static_cast<unsigned long>(ch))); break;
        case 81:
            for (int i = 0; s && *s && i < kMaxCountedNames; ++i) {
                t->CountFile(s);
                s += strlen(s) + 1;
            }
            break;
    }
    return 0;
}

}  // namespace

void SetCallbackTarget(cCallbackTarget* target) { g_target = target; }

bool WaitForCallbackWorkers(DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (g_workers > 0) {
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(10);
    }
    return true;
}

long RunningCallbackWorkers() { return g_workers; }
int ListsReady() { return g_listsReady ? 1 : 0; }
void ResetCallbackFlags() {
    InterlockedExchange(&g_listsReady, 0);
    InterlockedExchange(&g_firstPlayDone, 0);
}

std::string MakerAddress(int language, const char* englishPath, const char* germanPath) {
    return language == 2 ? std::string(kEnglishHost) + englishPath : std::string(kGermanHost) + germanPath;
}

bool IsWebAddress(const char* text) {
    return text && (_strnicmp(text, "http://", 7) == 0 || _strnicmp(text, "https://", 8) == 0);
}

int InfoCallback(int fkt, int ch, void* text) {
    WriteDebugLogF(7, "InfoCallback: Fkt: %d -- Ch: %d", fkt, ch);
    cCallbackTarget* t = Target();
    if (!t) return 0;
    if (fkt == 62) Sleep(0);
    if (fkt == 78) {
        int on = 0;
        char host[500] = {}, port[500] = {};
        cInternet::GetSystemProxySettings(&on, host, sizeof host, port, sizeof port);
        t->StoreProxy(host, port, on);
    }
    if (IsImmediate(fkt)) return RunImmediate(t, fkt, ch, text);

    Job* job = new Job{fkt, ch, nullptr, false, IsOrdered(fkt), 0};
    job->text = CopyForWorker(fkt, text, &job->owned);
    if (job->ordered) job->turn = CommandOrder().Take();
    if (fkt == 24 || fkt == 26 || fkt == 48) Sleep(0);
    InterlockedIncrement(&g_workers);
    HANDLE h = CreateThread(nullptr, 0, Worker, job, 0, nullptr);
    if (!h) {
        if (job->ordered) CommandOrder().Done(job->turn);
        InterlockedDecrement(&g_workers);
        if (job->owned) HeapFree(GetProcessHeap(), 0, job->text);
        delete job;
        return 0;
    }
    CloseHandle(h);
    return 0;
}

}  // namespace td
