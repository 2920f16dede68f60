#include "scheduler.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "bounded_text.h"
#include "calendar_date.h"
#include "debugtext.h"
#include "scheduler_host.h"
#include "scheduler_time.h"

namespace {


const char kNoRepeatText[] = "---";
constexpr uint32_t kLongWait = 900000000;
// The one-second polling of a due phase, and the quicker one once the time
// it waits for has come: a job that starts late (the previous job's stop
// took its start second) loses no more of its run than it must.
constexpr UINT kPollMs = 1000;
constexpr UINT kCatchUpPollMs = 100;
// A job starting this long after another one's stop follows it at once.
constexpr uint64_t kFollowOnTicks = 1 * kTicksPerSecond;
// Finished runs of one repeating entry kept in the list; older ones go, so
// a daily job does not grow the file (and the quadratic conflict check) for
// ever.
constexpr size_t kKeptRunCopies = 10;

using cw::Count;
using cw::FromCount;

bool SameUserFields(const cTimerEntry& a, const cTimerEntry& b) {
    return strcmp(a.GetName(), b.GetName()) == 0 &&
           strcmp(a.GetStartTime().GetTime(), b.GetStartTime().GetTime()) == 0 &&
           strcmp(a.GetStopTime().GetTime(), b.GetStopTime().GetTime()) == 0 &&
           strcmp(a.GetRepeatEndTime().GetTime(), b.GetRepeatEndTime().GetTime()) == 0 &&
           a.GetChannelID() == b.GetChannelID() && a.GetAction() == b.GetAction() &&
           a.GetWiederholung() == b.GetWiederholung() && a.GetRepeatEnd() == b.GetRepeatEnd() &&
           a.GetDayFlag() == b.GetDayFlag() && a.GetDayOfMonth() == b.GetDayOfMonth() &&
           a.GetShowHints() == b.GetShowHints() && a.GetActive() == b.GetActive() &&
           a.GetCreateFolder() == b.GetCreateFolder() &&
           strcmp(a.GetSchnittprofil(), b.GetSchnittprofil()) == 0 &&
           strcmp(a.GetQualitaet(), b.GetQualitaet()) == 0 && a.GetBitrate() == b.GetBitrate() &&
           a.GetKanaele() == b.GetKanaele() && a.GetVBR() == b.GetVBR() &&
           a.GetUseDefault() == b.GetUseDefault();
}

bool SameSchedulerFields(const cTimerEntry& a, const cTimerEntry& b) {
    return a.GetZustand() == b.GetZustand() && a.GetLog() == b.GetLog() && a.GetOK() == b.GetOK() &&
           strcmp(a.GetStatus(), b.GetStatus()) == 0 &&
           strcmp(a.GetWiederholungTxt(), b.GetWiederholungTxt()) == 0 &&
           strcmp(a.GetNextJobTime().GetTime(), b.GetNextJobTime().GetTime()) == 0;
}

void CopySchedulerFields(const cTimerEntry& from, cTimerEntry* to) {
    to->SetZustand(from.GetZustand());
    to->SetLog(from.GetLog(), from.GetOK());
    to->SetStatus(from.GetStatus());
    to->SetWiederholungTxt(from.GetWiederholungTxt());
    to->SetNextJobTime(from.GetNextJobTime());
}

// Protocol separators inside a field would shift every field after it, so
// the player would act on another entry.
void AppendField(char* out, size_t outSize, const char* text, bool* fits) {
    char field[1024];
    if (!bk::TextCopy(field, sizeof(field), text && *text ? text : "_")) *fits = false;
    for (char* p = field; *p; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c == '|' || c == '\n' || c == '\r' || c == 0xA0) *p = '_';
    }
    if (!bk::TextAppend(out, outSize, field)) *fits = false;
}

}  // namespace

bool BuildCommandLine(char* out, size_t outSize, int kind, const char* name, unsigned long channelId,
                      int showHints, unsigned long id) {
    if (!out || outSize == 0) return false;
    bool fits = bk::TextCopy(out, outSize, "tunerdeck.exe tunerdeck://|");
    char number[32];
    bool tail = true;
    switch (kind) {
    case CMD_PLAY:
        bk::TextFormat(number, sizeof(number), "%lu", channelId);
        fits = fits && bk::TextAppend(out, outSize, "ChannelId|") && bk::TextAppend(out, outSize, number) &&
               bk::TextAppend(out, outSize, "|");
        break;
    case CMD_REC_START:
        fits = fits && bk::TextAppend(out, outSize, "REC_START|");
        AppendField(out, outSize, name, &fits);
        fits = fits && bk::TextAppend(out, outSize, "|");
        break;
    case CMD_STOP:
        fits = fits && bk::TextAppend(out, outSize, "PLAY_STOP|");
        break;
    case CMD_REC_STOP:
        fits = fits && bk::TextAppend(out, outSize, "REC_STOP|");
        break;
    case CMD_REMIND:
        fits = fits && bk::TextAppend(out, outSize, "REMIND|");
        AppendField(out, outSize, name, &fits);
        tail = false;
        break;
    case CMD_SHUTDOWN:
        fits = fits && bk::TextAppend(out, outSize, "SHUTDOWN|");
        AppendField(out, outSize, name, &fits);
        bk::TextFormat(number, sizeof(number), "|%lu", id);
        fits = fits && bk::TextAppend(out, outSize, number);
        tail = false;
        break;
    default:
        fits = false;
    }
    if (tail) {
        bk::TextFormat(number, sizeof(number), "%d|%lu|", showHints, id);
        fits = fits && bk::TextAppend(out, outSize, number);
    }
    if (!fits) out[0] = 0;
    return fits;
}

// ---------------------------------------------------------------- object

cTimerScheduler::cTimerScheduler(cSchedulerHost* host) : m_host(host) {}

cTimerScheduler::~cTimerScheduler() { KillTimer(); }

void cTimerScheduler::TakeNow() {
    m_nowCount = m_host->LocalNow();
    m_now = FromCount(m_nowCount);
}

cTimerEntry* cTimerScheduler::EntryById(unsigned long id) {
    return static_cast<cTimerEntry*>(m_list.GetById(id));
}

void cTimerScheduler::KillTimer() {
    if (m_timerSet) m_host->StopTimer(m_wnd, kSchedulerTimerId);
    m_timerSet = false;
}

void cTimerScheduler::SetTimer(UINT ms) {
    m_host->StartTimer(m_wnd, kSchedulerTimerId, ms);
    m_timerSet = true;
}

void cTimerScheduler::PostToMain(UINT msg) {
    HWND main = m_host->FindMainWindow();
    if (main) PostMessageA(main, msg, 0, 0);
}

// ---------------------------------------------------------------- job cycle

void cTimerScheduler::IniProgramm() {
    DebugLog(DL_INF, "clockwarden: IniProgramm");
    // A job under way must still be stopped, even when the list read below
    // comes from a writer that did not know it had started.
    std::unique_ptr<cTimerEntry> wasRunning;
    if (m_current && (m_phase == PHASE_RUNNING || m_phase == PHASE_STOP_DUE) &&
        m_current->GetZustand() == STATE_RUNNING)
        wasRunning.reset(new cTimerEntry(m_current));
    TakeNow();
    m_lastWait = 0;
    m_language = m_host->Language();

    m_list.Delete();
    m_current = nullptr;
    m_phase = PHASE_WAIT_START;
    m_runningId = -1;
    m_running = false;
    m_changed = false;
    m_scratch[0] = 0;

    m_host->LockList();
    m_host->LoadList(&m_list);
    RememberLoaded();
    m_host->UnlockList();
    if (wasRunning) KeepRunningJob(*wasRunning);

    if (m_list.IsEmpty()) {
        DebugLog(DL_INF, "clockwarden: IniProgramm - leere Timerliste");
        return;
    }
    DebugLog(DL_INF, "clockwarden: IniProgramm - %d Einträge geladen", m_list.GetAnzElement());
    LoadStatusTexts();
    DatenAuswerten();
    SetTimer(GetTimerSleepTime());
}

void cTimerScheduler::KeepRunningJob(const cTimerEntry& running) {
    cTimerEntry* sameName = nullptr;
    cIterator* it = m_list.GetIterator();
    if (!it) return;
    while (cListElement* el = it->Next()) {
        cTimerEntry* e = static_cast<cTimerEntry*>(el);
        if (SameUserFields(*e, running)) {
            m_list.FreeIterator(it);
            if (e->GetZustand() != STATE_RUNNING) {
                CopySchedulerFields(running, e);
                m_changed = true;
            }
            return;
        }
        if (!sameName && strcmp(e->GetName(), running.GetName()) == 0) sameName = e;
    }
    m_list.FreeIterator(it);
    // The run copy of a repeating entry is unknown to the writer; it goes
    // back as long as its entry is still there (a job the user deleted is
    // let go).
    if (!sameName) return;
    DebugLog(DL_WAR, "clockwarden: laufender Eintrag %s wieder aufgenommen", running.GetName());
    cTimerEntry* copy = new cTimerEntry(&running);
    copy->SetId(static_cast<unsigned long>(m_list.GetAnzElement()));
    m_list.Add(copy);
    m_added.push_back(copy);
    m_changed = true;
}

void cTimerScheduler::LoadStatusTexts() {
    m_host->Text(cwtext::TXT_NOT_EXECUTED, m_language, m_scratch, sizeof(m_scratch));
    if (m_scratch[0] && strcmp(m_scratch, m_txtNotExecuted) == 0) return;
    m_host->Text(cwtext::TXT_SCHEDULED, m_language, m_txtScheduled, sizeof(m_txtScheduled));
    m_host->Text(cwtext::TXT_DEACTIVATED, m_language, m_txtDeactivated, sizeof(m_txtDeactivated));
    m_host->Text(cwtext::TXT_WILL_EXECUTE, m_language, m_txtWillExecute, sizeof(m_txtWillExecute));
    m_host->Text(cwtext::TXT_EXECUTED, m_language, m_txtExecuted, sizeof(m_txtExecuted));
    m_host->Text(cwtext::TXT_NOT_EXECUTED, m_language, m_txtNotExecuted, sizeof(m_txtNotExecuted));
}

uint32_t cTimerScheduler::GetTimerSleepTime() {
    DebugLog(DL_DEB, "clockwarden: GetTimerSleepTime...");
    if (!m_current) {
        m_phase = PHASE_IDLE;
        DebugLog(DL_INF, "clockwarden: GetTimerSleepTime: Kein Job  -> 900000000");
        return kLongWait;
    }
    uint64_t next = Count(m_current->GetNextJobTime());
    // A job under way began in the past; only its stop counts.
    if (m_phase != PHASE_RUNNING && next < m_nowCount) {
        DebugLog(DL_INF, "clockwarden: GetTimerSleepTime: Nachträgliche Ausführung  -> 100");
        return 100;
    }
    uint64_t target = m_phase == PHASE_RUNNING ? Count(m_current->GetStopTime()) : next;
    m_lastWait = target > m_nowCount ? target - m_nowCount : 0;
    m_lastWait /= 10000;
    uint64_t result = m_lastWait > 179999 ? m_lastWait - 180000 : 1000;
    if (m_lastWait >= 900200001ull) {
        m_phase = PHASE_IDLE;
        DebugLog(DL_INF, "clockwarden: GetTimerSleepTime: überlange Wartezeit  -> 900000000");
        return kLongWait;
    }
    DebugLog(DL_INF, "clockwarden: GetTimerSleepTime: Wartezeit=%d", static_cast<int>(result));
    return static_cast<uint32_t>(result);
}

bool cTimerScheduler::IsDueWithin(int seconds) {
    if (!m_current) return false;
    uint64_t now = m_host->LocalNow();
    cVLTime target = m_phase == PHASE_STOP_DUE ? m_current->GetStopTime() : m_current->GetNextJobTime();
    return Count(target) < now + static_cast<uint64_t>(seconds) * kTicksPerSecond;
}

// A run whose whole time passed while the computer slept is not started
// late: the player would record (or play) with nobody left to stop it.
bool cTimerScheduler::RunEndedBeforeStart(cTimerEntry* e) {
    if (e->GetAction() != TA_RECORD && e->GetAction() != TA_PLAY) return false;
    uint64_t length = cw::RunLength(e->GetStartTime(), e->GetStopTime());
    return Count(e->GetNextJobTime()) + length <= m_host->LocalNow();
}

// Another recording or playback of the same station that is to run from the
// stop of `ending` (or a second after it) and has not ended yet.
bool cTimerScheduler::NextJobKeepsStation(cTimerEntry* ending) {
    const uint64_t stop = Count(ending->GetStopTime());
    const uint64_t now = m_host->LocalNow();
    bool found = false;
    cIterator* it = m_list.GetIterator();
    if (!it) return false;
    while (cListElement* el = it->Next()) {
        cTimerEntry* e = static_cast<cTimerEntry*>(el);
        if (e == ending || !e->GetActive() || e->GetChannelID() != ending->GetChannelID()) continue;
        if (e->GetAction() != TA_RECORD && e->GetAction() != TA_PLAY) continue;
        if (e->GetZustand() != STATE_SCHEDULED && e->GetZustand() != STATE_PRESTARTED) continue;
        const uint64_t next = Count(e->GetNextJobTime());
        if (next == 0 || next > stop + kFollowOnTicks) continue;
        if (next + cw::RunLength(e->GetStartTime(), e->GetStopTime()) <= now) continue;
        found = true;
        break;
    }
    m_list.FreeIterator(it);
    return found;
}

// The polling interval of the phase just entered.
UINT cTimerScheduler::TickInterval() {
    if (!m_current) return kPollMs;
    int ahead = 0;
    if (m_phase == PHASE_PREROLL) ahead = 180;
    else if (m_phase == PHASE_START_DUE && m_current->GetAction() == TA_RECORD) ahead = 1;
    return IsDueWithin(ahead) ? kCatchUpPollMs : kPollMs;
}

void cTimerScheduler::OnTimerTick() {
    if (m_phase == PHASE_IDLE) {
        m_phase = PHASE_WAIT_START;
        if (m_wnd) PostMessageA(m_wnd, UWM_TIMER_RELOAD, 0, 0);
        if (!m_current) return;
    }
    cTimerEntry* e = m_current;
    if (!e) return;
    const int action = e->GetAction();
    const bool withStop = action == TA_RECORD || action == TA_PLAY;

    switch (m_phase) {
    case PHASE_WAIT_START:
    case PHASE_RUNNING:
        if (m_phase == PHASE_RUNNING && !withStop) return;
        KillTimer();
        if (m_phase != PHASE_WAIT_START)
            m_phase = PHASE_STOP_DUE;
        else
            m_phase = action == TA_RECORD ? PHASE_PREROLL : PHASE_START_DUE;
        SetTimer(TickInterval());
        return;

    case PHASE_PREROLL:
        if (action != TA_RECORD || !IsDueWithin(180)) return;
        KillTimer();
        if (RunEndedBeforeStart(e)) {
            Fire(-1, STATE_NOT_EXECUTED);
            return;
        }
        BefehlHolen(CMD_PLAY);
        e->SetZustand(STATE_PRESTARTED);
        m_phase = PHASE_START_DUE;
        m_changed = true;
        SaveMyTimerListe();
        SetTimer(TickInterval());
        return;

    case PHASE_START_DUE:
        if (action == TA_PLAY) {
            if (!IsDueWithin(0)) return;
            KillTimer();
            if (RunEndedBeforeStart(e)) {
                Fire(-1, STATE_NOT_EXECUTED);
                return;
            }
            Fire(CMD_PLAY, STATE_RUNNING);
        } else if (action == TA_RECORD) {
            if (!IsDueWithin(1)) return;
            KillTimer();
            if (RunEndedBeforeStart(e)) {
                Fire(-1, STATE_NOT_EXECUTED);
                return;
            }
            WaitForMainWindow();
            Fire(CMD_REC_START, STATE_RUNNING);
        } else {
            if (!IsDueWithin(0)) return;
            KillTimer();
            // After a long sleep a stale reminder or shut-down is booked as
            // missed, as a reload would do.
            uint64_t late = cw::kReminderGrace;
            if (action == TA_SHUTDOWN) late = cw::kShutdownGrace;
            if (Count(e->GetNextJobTime()) + late < m_host->LocalNow()) {
                Fire(-1, STATE_NOT_EXECUTED);
                return;
            }
            Fire(action == TA_REMIND ? CMD_REMIND : CMD_SHUTDOWN, STATE_EXECUTED);
        }
        return;

    case PHASE_STOP_DUE:
        if (!withStop || !IsDueWithin(0)) return;
        KillTimer();
        // Stopping the station under the next job would cost that job its
        // first seconds and the player's whole buffer filling again.
        Fire(NextJobKeepsStation(e) ? CMD_REC_STOP : CMD_STOP, STATE_EXECUTED);
        return;

    default:
        return;
    }
}

// Runs one command of the current entry (kind -1: none, the run was
// missed), books the outcome and reloads.
void cTimerScheduler::Fire(int kind, int newState) {
    cTimerEntry* e = m_current;
    bool ok = kind >= 0 && BefehlHolen(kind);
    if (ok) {
        e->SetZustand(newState);
        FinishRun();
    } else {
        // The occurrence is lost (missed, or its command could not be
        // built); a repeating entry keeps its later runs.
        if (e->GetWiederholung() > 0 && kind != CMD_STOP && kind != CMD_REC_STOP) {
            AppendHistoryCopy(e, STATE_NOT_EXECUTED, 1, m_txtNotExecuted, true);
            m_added.back()->SetLog(1, 0);
            MoveRepeatingOn(e);
        } else {
            e->SetZustand(STATE_NOT_EXECUTED);
            e->SetStatus(m_txtNotExecuted);
            e->SetLog(1, 0);
        }
        m_changed = true;
        SaveMyTimerListe();
    }
    if (newState == STATE_RUNNING) m_phase = PHASE_RUNNING;
    IniProgramm();
}

bool cTimerScheduler::BefehlHolen(int kind) {
    DebugLog(DL_INF, "clockwarden: BefehlHolen: art = %d", kind);
    cTimerEntry* e = m_current;
    if (!e) return false;
    HWND main = m_host->FindMainWindow();
    char command[1024];
    if (!BuildCommandLine(command, sizeof(command), kind, e->GetName(), e->GetChannelID(), e->GetShowHints(),
                          e->GetId())) {
        DebugLog(DL_ERR, "clockwarden: BefehlHolen: ERR=Befehl zu lang, Eintrag %lu", e->GetId());
        return false;
    }
    if (kind == CMD_REMIND || kind == CMD_SHUTDOWN) {
        if (!main) StartMainProgram();
        m_host->RunCommand(command);
        if (kind == CMD_REMIND)
            DebugLog(DL_INF, "clockwarden: BefehlHolen - Befehl=%s", command);
        else
            DebugLog(DL_INF, "clockwarden: BefehlHolen: %s", command);
        return true;
    }
    m_host->RunCommand(command);
    DebugLog(DL_INF, "clockwarden: BefehlHolen: %s", command);
    return true;
}

void cTimerScheduler::StartMainProgram() {
    m_host->RunCommand("tunerdeck.exe tunerdeck://");
    WaitForMainWindow();
}

void cTimerScheduler::WaitForMainWindow() {
    for (int i = 0; i < 200; ++i) {
        if (m_host->FindMainWindow()) return;
        m_host->Pause(100);
    }
}

void cTimerScheduler::AppendHistoryCopy(cTimerEntry* e, int state, int log, const char* status, bool moveStop) {
    cTimerEntry* copy = new cTimerEntry(e);
    copy->SetId(static_cast<unsigned long>(m_list.GetAnzElement()));
    copy->SetStatus(status);
    copy->SetWiederholung(0);
    copy->SetWiederholungTxt(kNoRepeatText);
    copy->SetZustand(state);
    copy->SetLog(log, 1);
    cVLTime next = e->GetNextJobTime();
    if (moveStop) {
        uint64_t length = cw::RunLength(e->GetStartTime(), e->GetStopTime());
        copy->SetStopTime(FromCount(Count(next) + length));
    }
    copy->SetStartTime(next);
    m_list.Add(copy);
    m_added.push_back(copy);
}

void cTimerScheduler::MoveRepeatingOn(cTimerEntry* e) {
    if (ComputeNextJobTime(e)) {
        e->SetZustand(STATE_SCHEDULED);
    } else {
        e->SetZustand(STATE_EXECUTED);
        e->SetLog(1, 1);
        e->SetStatus(m_txtExecuted);
    }
}

void cTimerScheduler::FinishRun() {
    cTimerEntry* e = m_current;
    if (!e) return;
    const int action = e->GetAction();
    const bool ended = m_phase == PHASE_STOP_DUE || action == TA_REMIND || action == TA_SHUTDOWN;
    if (ended) {
        if (m_phase == PHASE_START_DUE && e->GetWiederholung() > 0) {
            AppendHistoryCopy(e, STATE_EXECUTED, 1, m_txtExecuted, false);
            MoveRepeatingOn(e);
        } else {
            e->SetStatus(m_txtExecuted);
            e->SetLog(1, 1);
        }
    } else if (e->GetWiederholung() > 0) {
        AppendHistoryCopy(e, STATE_RUNNING, 0, m_txtWillExecute, true);
        MoveRepeatingOn(e);
        m_current = m_added.back();
    } else {
        e->SetStatus(m_txtWillExecute);
    }
    m_changed = true;
    SaveMyTimerListe();
}

void cTimerScheduler::SaveMyTimerListe() {
    DebugLog(DL_INF, "clockwarden: SaveMyTimerListe - %d Einträge vor dem Speichern da", m_list.GetAnzElement());
    m_host->LockList();
    std::string bytes;
    m_host->ReadListFile(&bytes);
    if (bytes != m_fileStamp) MergeWithFile();
    DropOldRunCopies();
    m_host->SaveList(&m_list);
    RememberLoaded();
    m_host->UnlockList();
    DebugLog(DL_INF, "clockwarden: SaveMyTimerListe - %d Einträge nach dem Speichern da", m_list.GetAnzElement());
    m_changed = false;
    DebugLog(DL_INF, "clockwarden: Update-NachrichtAnPlayer");
    PostToMain(UWM_TIMER_LIST_SAVED);
}

// A finished run copy has its entry's name, action and station, no repeat
// of its own, and is booked as done or missed.
static bool IsRunCopyOf(const cTimerEntry& copy, const cTimerEntry& repeating) {
    int state = copy.GetZustand();
    return &copy != &repeating && copy.GetWiederholung() == 0 &&
           (state == STATE_EXECUTED || state == STATE_NOT_EXECUTED) &&
           strcmp(copy.GetName(), repeating.GetName()) == 0 && copy.GetAction() == repeating.GetAction() &&
           copy.GetChannelID() == repeating.GetChannelID();
}

// Runs just before a save; the entry pointers of the merge bookkeeping are
// renewed right after it.
void cTimerScheduler::DropOldRunCopies() {
    std::vector<cTimerEntry*> all;
    cIterator* it = m_list.GetIterator();
    if (!it) return;
    while (cListElement* el = it->Next()) all.push_back(static_cast<cTimerEntry*>(el));
    m_list.FreeIterator(it);
    std::vector<cTimerEntry*> drop;
    for (cTimerEntry* repeating : all) {
        if (repeating->GetWiederholung() <= 0) continue;
        std::vector<cTimerEntry*> copies;
        for (cTimerEntry* e : all)
            if (IsRunCopyOf(*e, *repeating)) copies.push_back(e);
        if (copies.size() <= kKeptRunCopies) continue;
        std::stable_sort(copies.begin(), copies.end(), [](cTimerEntry* a, cTimerEntry* b) {
            return Count(a->GetStartTime()) < Count(b->GetStartTime());
        });
        drop.insert(drop.end(), copies.begin(), copies.end() - kKeptRunCopies);
    }
    if (drop.empty()) return;
    std::sort(drop.begin(), drop.end());
    drop.erase(std::unique(drop.begin(), drop.end()), drop.end());
    drop.erase(std::remove(drop.begin(), drop.end(), m_current), drop.end());
    DebugLog(DL_INF, "clockwarden: %d alte Ausführungen entfernt", static_cast<int>(drop.size()));
    for (cTimerEntry* e : drop) m_list.Delete(e);
    // Ids are list positions for everyone who reads the list.
    unsigned long id = 0;
    it = m_list.GetIterator();
    if (!it) return;
    while (cListElement* el = it->Next()) el->SetId(id++);
    m_list.FreeIterator(it);
    m_runningId = m_current ? static_cast<long>(m_current->GetId()) : -1;
    m_changed = true;
}

// Called with the list file locked: what it holds now is what this process
// loaded or wrote last; remember that to see later whether someone else
// wrote it in between.
void cTimerScheduler::RememberLoaded() {
    m_loaded.clear();
    m_origin.clear();
    m_added.clear();
    cIterator* it = m_list.GetIterator();
    if (it) {
        while (cListElement* el = it->Next()) {
            cTimerEntry* e = static_cast<cTimerEntry*>(el);
            if (e->GetLog() == TIMER_LOG_NOT_SAVED) continue;
            m_origin.push_back(e);
            m_loaded.push_back(*e);
        }
        m_list.FreeIterator(it);
    }
    m_fileStamp.clear();
    m_host->ReadListFile(&m_fileStamp);
}

// The player wrote the list since this process read it. Its version wins:
// what this process changed is carried over only onto entries the user left
// as they were, and the run copies this process added are appended.
void cTimerScheduler::MergeWithFile() {
    DebugLog(DL_WAR, "clockwarden: SaveMyTimerListe - Timerliste wurde inzwischen geändert, wird abgeglichen");
    cListe fresh;
    m_host->LoadList(&fresh);

    std::vector<cTimerEntry*> freshEntries;
    cIterator* it = fresh.GetIterator();
    if (it) {
        while (cListElement* el = it->Next()) freshEntries.push_back(static_cast<cTimerEntry*>(el));
        fresh.FreeIterator(it);
    }
    std::vector<bool> claimed(freshEntries.size(), false);
    cTimerEntry* newCurrent = nullptr;

    for (size_t i = 0; i < m_origin.size(); ++i) {
        cTimerEntry* ours = m_origin[i];
        const cTimerEntry& loaded = m_loaded[i];
        cTimerEntry* match = nullptr;
        for (size_t j = 0; j < freshEntries.size(); ++j) {
            if (!claimed[j] && SameUserFields(*freshEntries[j], loaded)) {
                claimed[j] = true;
                match = freshEntries[j];
                break;
            }
        }
        if (match && !SameSchedulerFields(*ours, loaded)) CopySchedulerFields(*ours, match);
        if (ours == m_current) newCurrent = match;
    }
    for (cTimerEntry* added : m_added) {
        cTimerEntry* copy = new cTimerEntry(added);
        copy->SetId(static_cast<unsigned long>(fresh.GetAnzElement()));
        fresh.Add(copy);
        if (added == m_current) newCurrent = copy;
    }

    m_list.Delete();
    m_list = fresh;
    fresh.RemoveWithoutDelete();
    m_origin.clear();
    m_added.clear();

    if (m_current && !newCurrent) {
        // The user changed or removed the job under way; start over from the
        // list as it is now.
        m_phase = PHASE_IDLE;
        if (m_wnd) PostMessageA(m_wnd, UWM_TIMER_RELOAD, 0, 0);
    }
    m_current = newCurrent;
    m_runningId = newCurrent ? static_cast<long>(newCurrent->GetId()) : -1;
}

// ---------------------------------------------------------------- messages

void cTimerScheduler::OnReload() {
    KillTimer();
    IniProgramm();
}

void cTimerScheduler::OnConflictQuery(WPARAM id) {
    DebugLog(DL_INF, "clockwarden: Konfliktprüfung für Eintrag %lu", static_cast<unsigned long>(id));
    RecheckAllConflicts();
    ConflictAnswer answer;
    memset(&answer, 0, sizeof(answer));
    CheckTimerConflicts(static_cast<unsigned long>(id), &answer, 0);
    HWND main = m_host->FindMainWindow();
    if (!main) return;
    COPYDATASTRUCT cds;
    cds.dwData = static_cast<ULONG_PTR>(id);
    cds.cbData = sizeof(answer);
    cds.lpData = &answer;
    // Still synchronous (the asker waits for the answer), but a player that
    // hangs must not hang the scheduler with it.
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(main, WM_COPYDATA, kConflictAnswerKind, reinterpret_cast<LPARAM>(&cds),
                             SMTO_NORMAL | SMTO_ABORTIFHUNG, 10000, &result))
        DebugLog(DL_WAR, "clockwarden: Konfliktantwort nicht zugestellt (%lu)", GetLastError());
}
