#include "timer_entries.h"

#include <cstring>
#include <string>

#include "../../tunerdeck/core/settings_interface.h"
#include "bounded_text.h"
#include "catalogue.h"
#include "library_state.h"
#include "list_store.h"
#include "recording_record.h"
#include "registry.h"
#include "skin_wnd.h"
#include "station_details.h"
#include "textutil.h"
#include "timerentry.h"
#include "view_notices.h"
#include "vltime.h"

namespace {

TimerEditorHook g_editor = nullptr;
DWORD g_reloadPause = 500;
const unsigned long long kSecond = 10000000ull;

cListe* Timers() { return GetListStore().List(LS_TIMER_ENTRIES); }

struct TimerLock {
    TimerLock() { EnterCriticalSection(GetListStore().Lock()); }
    ~TimerLock() { LeaveCriticalSection(GetListStore().Lock()); }
};

cTimerEntry* At(int position) {
    if (position < 0) return nullptr;
    return static_cast<cTimerEntry*>(Timers()->GetByIndex(position));
}

cTimerEntry* ByName(const char* name) {
    for (cListElement* e = Timers()->First(); e; e = e->Next())
        if (strcmp(static_cast<cTimerEntry*>(e)->GetName(), name) == 0) return static_cast<cTimerEntry*>(e);
    return nullptr;
}

HWND Scheduler() { return FindWindowA(kTimerSchedulerClass, nullptr); }

void TellScheduler(bool recheck, bool offerStart) {
    HWND s = Scheduler();
    if (s) {
        PostMessageA(s, WM_SCHEDULER_RELOAD, 0, 0);
        if (recheck) PostMessageA(s, WM_SCHEDULER_RECHECK, 0, 0);
    } else if (offerStart) {
        AskStartScheduler();
    }
}

void StationNameFromHost(cTimerEntry* entry, unsigned long channel) {
    char name[1024] = {};
    HostCallback(54, static_cast<int>(channel), name);
    name[sizeof name - 1] = 0;
    entry->SetSendername(name);
    entry->SetChannelID(channel);
}

// After a save the host refills the list: the entry is found again by its
// name, and the scheduler is asked about overlaps with it.
void AskOverlaps(const char* name) {
    HWND s = Scheduler();
    if (!s) return;
    DWORD_PTR ignored;
    SendMessageTimeoutA(s, WM_SCHEDULER_RELOAD, 0, 0, SMTO_NORMAL, 5000, &ignored);
    Sleep(g_reloadPause);
    TimerEntryRecord record;
    unsigned long id;
    {
        TimerLock lock;
        cTimerEntry* entry = ByName(name);
        if (!entry) return;
        entry->ToRecord(&record);
        id = entry->GetId();
    }
    COPYDATASTRUCT cds = {0, sizeof record, &record};
    SendMessageTimeoutA(s, WM_COPYDATA, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&cds), SMTO_NORMAL, 10000,
                        &ignored);
}

void ResetForSave(cTimerEntry* e) {
    if (e->GetAction() == TA_SHUTDOWN) e->SetWiederholung(0);
    e->SetStatus(nullptr);
    e->SetWiederholungTxt(nullptr);
    e->SetLog(0, 1);
}

void CleanName(cTimerEntry* e) {
    char name[cTimerEntry::TEXT_SIZE];
    bk::TextCopy(name, e->GetName());
    StringReplace(name, ' ', '_');
    EnsureFileName(name);
    e->SetName(name);
}

int RunEditor(cTimerEntry* entry) {
    if (g_editor) return g_editor(entry);
    HostLog(7, "timer editor not available");
    return 0;
}

// Appends a confirmed new entry, saves and tells the scheduler.
void AddConfirmed(cTimerEntry* entry) {
    char name[cTimerEntry::TEXT_SIZE];
    {
        TimerLock lock;
        bk::TextCopy(name, entry->GetName());
        MakeUniqueTimerName(Timers(), name, sizeof name);
        entry->SetName(name);
        Timers()->Add(entry);
    }
    SaveTimerList();
    if (Scheduler())
        AskOverlaps(name);
    else
        AskStartScheduler();
}

std::vector<uint32_t> g_pendingIds;
uint32_t g_pendingAsked = 0;

const cTimerEntry* LookupInList(void*, uint32_t id) {
    return static_cast<const cTimerEntry*>(Timers()->GetById(id));
}

void CALLBACK ShowPendingOverlaps(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    std::vector<uint32_t> ids;
    ids.swap(g_pendingIds);
    HWND nav = NavWindowHandle();
    if (ids.empty() || !nav) return;
    char text[4096];
    {
        TimerLock lock;
        BuildOverlapText(ids, LookupInList, nullptr, UiLanguage(), text, sizeof text);
    }
    NoticeRequest request;
    request.text = text;
    request.markup = true;
    request.buttons = NB_YES_NO;
    request.owner = nav;
    if (ShowNoticeModal(request)) EditTimerEntry(static_cast<int>(g_pendingAsked) + 1, 0, 0);
}

}  // namespace

// ---- rules --------------------------------------------------------------------

void MakeUniqueTimerName(cListe* timers, char* name, size_t size, const cTimerEntry* self) {
    if (!timers || !name || !size) return;
    const std::string base = name;
    for (int n = 1; n < 100000; ++n) {
        bool taken = false;
        for (cListElement* e = timers->First(); e && !taken; e = e->Next())
            taken = e != self && strcmp(static_cast<cTimerEntry*>(e)->GetName(), name) == 0;
        if (!taken) return;
        bk::TextFormat(name, size, "%s_%d", base.c_str(), n);
    }
}

cVLTime AddSeconds(const cVLTime& t, long long seconds) {
    ULARGE_INTEGER v = t.GetAsULargeInteger();
    if (v.QuadPart == 0) return t;
    v.QuadPart += static_cast<unsigned long long>(seconds * static_cast<long long>(kSecond));
    cVLTime out;
    out.SetAsULargeInteger(v);
    return out;
}

void CopyTimerTimes(const cTimerEntry& source, cTimerEntry* copy) {
    const cVLTime next = source.GetNextJobTime();
    cVLTime stop = source.GetAction() == TA_REMIND || source.GetAction() == TA_SHUTDOWN ? source.GetStartTime()
                                                                                        : source.GetStopTime();
    copy->SetWiederholung(0);
    if (next.GetYear() != 0) {
        stop.SetDay(next.GetDay());
        stop.SetMonth(next.GetMonth());
        stop.SetYear(next.GetYear());
    }
    if (next.GetAsULargeInteger().QuadPart > stop.GetAsULargeInteger().QuadPart) stop = AddSeconds(stop, 86400);
    copy->SetStartTime(AddSeconds(stop, 120));
    copy->SetStopTime(cVLTime("00000000000000"));
}

std::vector<uint32_t> ParseOverlapAnswer(const void* data, size_t size) {
    std::vector<uint32_t> ids;
    if (!data || size < 4) return ids;
    if (size > kOverlapAnswerMax) size = kOverlapAnswerMax;
    const unsigned char* p = static_cast<const unsigned char*>(data);
    uint32_t n;
    memcpy(&n, p, 4);
    const size_t room = (size - 4) / 4;
    if (n > room) n = static_cast<uint32_t>(room);
    ids.resize(n);
    for (uint32_t i = 0; i < n; ++i) memcpy(&ids[i], p + 4 + 4 * i, 4);
    return ids;
}

void BuildOverlapText(const std::vector<uint32_t>& ids, TimerLookup lookup, void* context, int language,
                      char* out, size_t size) {
    if (!out || !size) return;
    char text[4096], line[2048], span[256];
    GetResourceString(nullptr, 509, language, out, static_cast<int>(size));
    GetResourceString(nullptr, 510, language, line, sizeof line);
    GetResourceString(nullptr, 507, language, span, sizeof span);
    // The line template begins with the text so far; it is filled with an
    // empty one and appended, so the text never overlaps its own copy.
    std::string lineFormat = line;
    const size_t first = lineFormat.find("%s");
    if (first != std::string::npos) lineFormat.erase(first, 2);
    for (uint32_t id : ids) {
        const cTimerEntry* e = lookup ? lookup(context, id) : nullptr;
        if (!e) continue;
        const cVLTime start = e->GetWiederholung() == 0 ? e->GetStartTime() : e->GetNextJobTime();
        const cVLTime stop = e->GetStopTime();
        char spanText[256];
        bk::TextFormat(spanText, sizeof spanText, span, start.GetDay(), start.GetMonth(), start.GetYear(),
                       start.GetHour(), start.GetMinute(), stop.GetHour(), stop.GetMinute());
        bk::TextFormat(text, sizeof text, lineFormat.c_str(), e->GetName(), spanText);
        if (!bk::TextAppend(out, size, text)) return;
    }
    GetResourceString(nullptr, 511, language, text, sizeof text);
    bk::TextAppend(out, size, text);
}

void CompleteRecordingRecord(RecordingStartRecord* r, const RecordingDefaults& d) {
    if (!r) return;
    r->quality[sizeof r->quality - 1] = 0;
    r->cutProfile[sizeof r->cutProfile - 1] = 0;
    if (!r->quality[0]) bk::TextCopy(r->quality, sizeof r->quality, d.quality);
    if (!r->cutProfile[0]) bk::TextCopy(r->cutProfile, sizeof r->cutProfile, d.cutProfile);
    if (r->mp3Bitrate == 0) r->mp3Bitrate = d.bitrate;
    if (r->mp3Channels == -1) r->mp3Channels = d.channels;
    if (r->mp3Vbr == -1) r->mp3Vbr = d.vbr;
}

void InitHandRecording(RecordingStartRecord* r, long stationId, const char* stationName) {
    memset(r, 0, sizeof *r);
    r->timerEntryId = -1;
    r->createFolder = -1;
    r->mp3Channels = -1;
    r->mp3Vbr = -1;
    if (stationId == -1 && stationName && *stationName) bk::TextCopy(r->name, sizeof r->name, stationName);
}

// ---- operations ---------------------------------------------------------------

void SetTimerEditorHook(TimerEditorHook hook) { g_editor = hook; }
TimerEditorHook GetTimerEditorHook() { return g_editor; }
void SetSchedulerReloadPause(DWORD ms) { g_reloadPause = ms; }

void SaveTimerList() { HostCallback(53, 0, Timers()); }

void NewTimerEntry(unsigned long channel) { EditTimerEntry(0, channel, 0); }

void EditTimerEntry(int editPlus1, unsigned long channel, int copyPlus1) {
    if (editPlus1 > 0) {
        // The editor works on a copy: the host may refill the list while it
        // is open, which would free the entry under it.
        cTimerEntry* copy;
        char oldName[cTimerEntry::TEXT_SIZE];
        {
            TimerLock lock;
            cTimerEntry* entry = At(editPlus1 - 1);
            if (!entry || entry->GetLog() == TIMER_LOG_NOT_SAVED) return;
            copy = new cTimerEntry(entry);
            bk::TextCopy(oldName, entry->GetName());
        }
        if (!RunEditor(copy)) {
            delete copy;
            return;
        }
        CleanName(copy);
        {
            TimerLock lock;
            cTimerEntry* entry = ByName(oldName);
            if (entry) Timers()->Delete(entry);
        }
        SaveTimerList();
        ResetForSave(copy);
        copy->SetNextJobTime(cVLTime("00000000000000"));
        AddConfirmed(copy);
        return;
    }

    cTimerEntry* entry = nullptr;
    if (copyPlus1 > 0) {
        TimerLock lock;
        cTimerEntry* source = At(copyPlus1 - 1);
        if (source) {
            entry = new cTimerEntry(source);
            CopyTimerTimes(*source, entry);
        }
    }
    if (!entry) {
        entry = new cTimerEntry();
        SYSTEMTIME now;
        GetLocalTime(&now);
        entry->SetStartTime(
            AddSeconds(cVLTime(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond), 120));
        if (channel > 0) StationNameFromHost(entry, channel);
    }
    if (!RunEditor(entry)) {
        delete entry;
        return;
    }
    CleanName(entry);
    ResetForSave(entry);
    entry->SetZustand(0);
    entry->SetNextJobTime(cVLTime());
    AddConfirmed(entry);
}

void TimerEntryFromProtocol(const char* const f[9]) {
    auto* entry = new cTimerEntry();
    if (f[0]) entry->SetName(f[0]);
    if (f[1]) {
        unsigned long channel = strtoul(f[1], nullptr, 10);
        StationNameFromHost(entry, channel);
    }
    cVLTime start("00000000000000");
    if (f[2]) start = cVLTime(f[2]);
    entry->SetStartTime(start);
    entry->SetStopTime(f[3] ? cVLTime(f[3]) : start);
    if (f[4]) entry->SetAction(atoi(f[4]));
    if (f[5]) entry->SetWiederholung(atoi(f[5]));
    if (f[6]) entry->SetShowHints(atoi(f[6]));
    if (f[7]) entry->SetDayFlag(atoi(f[7]));
    if (f[8]) entry->SetDayOfMonth(atoi(f[8]));
    if (!RunEditor(entry)) {
        delete entry;
        return;
    }
    // A name from a web page becomes a recording's file name.
    CleanName(entry);
    AddConfirmed(entry);
}

void SetTimerEntryActive(int position, int active) {
    cTimerEntry* copy;
    {
        TimerLock lock;
        cTimerEntry* entry = At(position);
        if (!entry) return;
        if (active) {
            entry->SetActive(1);
            entry->SetLog(0, 0);
        } else {
            entry->SetActive(0);
        }
        copy = new cTimerEntry(entry);
        Timers()->Delete(entry);
    }
    SaveTimerList();
    {
        TimerLock lock;
        Timers()->Add(copy);
    }
    SaveTimerList();
    TellScheduler(true, true);
}

void DeleteExpiredTimerEntries() {
    if (!AskCatalogueQuestion(189, false, 257)) return;
    {
        TimerLock lock;
        for (cListElement* e = Timers()->First(); e;) {
            cListElement* next = e->Next();
            const int log = static_cast<cTimerEntry*>(e)->GetLog();
            if (log != 0 && log != 4) Timers()->Delete(e);
            e = next;
        }
    }
    SaveTimerList();
    TellScheduler(false, false);
}

void DeleteTimerEntry(int position) {
    char name[cTimerEntry::TEXT_SIZE];
    {
        TimerLock lock;
        cTimerEntry* entry = At(position);
        if (!entry) return;
        bk::TextCopy(name, entry->GetName());
    }
    char format[1024], text[2048];
    UiText(190, format, sizeof format);
    bk::TextFormat(text, sizeof text, format, name);
    NoticeRequest request;
    request.text = text;
    request.buttons = NB_YES_NO;
    request.titleSprite = 257;
    if (!ShowNoticeModal(request)) return;
    {
        TimerLock lock;
        cTimerEntry* entry = ByName(name);
        if (!entry) return;
        Timers()->Delete(entry);
    }
    SaveTimerList();
    TellScheduler(true, true);
}

void AskStartScheduler() {
    if (!AskCatalogueQuestion(464, true)) return;
    char path[MAX_PATH + 32];
    bk::TextFormat(path, sizeof path, "%s\\clockwarden.exe", Library().programFolder);
    AutoStartVLTimer(path, 1);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    char cmd[MAX_PATH + 34];
    bk::TextFormat(cmd, sizeof cmd, "\"%s\"", path);
    if (CreateProcessA(path, cmd, nullptr, nullptr, FALSE, CREATE_DEFAULT_ERROR_MODE, nullptr, nullptr, &si, &pi)) {
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
}

void ShowOverlaps(uint32_t askedId, const void* data, size_t size) {
    std::vector<uint32_t> ids = ParseOverlapAnswer(data, size);
    if (ids.empty() || !NavWindowHandle()) return;
    g_pendingIds = ids;
    g_pendingAsked = askedId;
    SetTimer(nullptr, 0, 0, ShowPendingOverlaps);
}

void StartRecording(RecordingStartRecord* record) {
    if (cSkinWnd* main = MainWindowObject()) {
        if (auto* button = static_cast<cActiveElement*>(main->GetButtonList()->GetById(274))) button->SetStatus(1);
    }
    if (!record) {
        record = static_cast<RecordingStartRecord*>(HeapAlloc(GetProcessHeap(), 0, sizeof(RecordingStartRecord)));
        if (!record) return;
        char name[300];
        const long id = MainStationDetails().CopyName(name, sizeof name);
        InitHandRecording(record, id, name);
    }
    RecordingDefaults d = {};
    if (cSettingsInterface* host = Library().host) {
        bk::TextCopy(d.quality, sizeof d.quality, host->GetQualityMuster());
        bk::TextCopy(d.cutProfile, sizeof d.cutProfile, host->GetAutoCutMuster());
    }
    unsigned long v = 0;
    GetValue("MP3_Bitrate", &v);
    d.bitrate = static_cast<uint32_t>(v);
    v = 0;
    GetValue("STEREO_ART", &v);
    d.channels = static_cast<int32_t>(v);
    v = 0;
    GetValue("MP3_VBR", &v);
    d.vbr = static_cast<int32_t>(v);
    CompleteRecordingRecord(record, d);
    HostCallback(38, 0, record);
}

void StopRecording() { HostCallback(39, 0, nullptr); }
