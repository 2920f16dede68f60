// The scheduler object of clockwarden: keeps its copy of the timer list,
// brings every entry's state and texts up to date, picks the next job,
// sleeps with a window timer until shortly before it, and runs the main
// program with a protocol command line when the job is due.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "liste.h"
#include "timerentry.h"
#include "vltime.h"

class cSchedulerHost;

// Messages of the scheduler's window and of the main program's window.
enum : UINT {
    UWM_TIMER_RELOAD = WM_USER + 100,          // 1124: the list file changed
    UWM_TIMER_LIST_SAVED = WM_USER + 160,      // 1184: posted to the main window
    UWM_TIMER_RECHECK = WM_USER + 162,         // 1186: recheck all conflicts
};
constexpr WPARAM kConflictAnswerKind = 6;
constexpr UINT_PTR kSchedulerTimerId = 1;
constexpr const char kSchedulerWindowClass[] = "clockwarden_class";
constexpr const char kMainWindowClass[] = "tunerdeck Main Wnd Class";

// The conflict answer: a count and the ids of the overlapping entries.
struct ConflictAnswer {
    uint32_t count;
    uint32_t ids[1023];
};
static_assert(sizeof(ConflictAnswer) == 4096, "conflict answer is 4096 bytes");

// Phases of the current job.
enum : int32_t {
    PHASE_IDLE = -1,        // no job or a too long wait: the next tick reloads
    PHASE_WAIT_START = 0,   // the timer wakes three minutes early
    PHASE_PREROLL = 1,      // recordings: one-second ticks until 180 s before the start
    PHASE_START_DUE = 2,    // one-second ticks until the start
    PHASE_RUNNING = 3,      // waiting for the stop
    PHASE_STOP_DUE = 4,     // one-second ticks until the stop
};

// Entry states kept in the list ("Zustand").
enum : int {
    STATE_SCHEDULED = 0,
    STATE_PRESTARTED = 1,
    STATE_RUNNING = 2,
    STATE_EXECUTED = 3,
    STATE_NOT_EXECUTED = 4,
    STATE_DEACTIVATED = 5,
};

// Kinds of command lines run for a job. CMD_REC_STOP ends a recording but
// leaves its station playing, for a job that goes on with it at once.
enum : int { CMD_PLAY = 0, CMD_REC_START = 1, CMD_STOP = 2, CMD_REMIND = 3, CMD_SHUTDOWN = 4, CMD_REC_STOP = 5 };

namespace cwtext {
// Message texts of the common catalogue.
enum : unsigned {
    TXT_SCHEDULED = 3,
    TXT_DEACTIVATED = 7,
    TXT_WILL_EXECUTE = 17,
    TXT_EXECUTED = 18,
    TXT_NOT_EXECUTED = 19,
    TXT_ORDINAL_FIRST = 91,       // 91..94: first .. fourth
    TXT_OCLOCK = 104,
    TXT_AT_TIME = 453,
    TXT_MONDAY = 454,             // 454..460: Monday .. Sunday
    TXT_FROM = 461,
    TXT_EACH = 462,
    TXT_ON = 463,
    TXT_DAILY = 480,
    TXT_WEEKLY = 481,
    TXT_BIWEEKLY = 482,
    TXT_MONTHLY = 483,
    TXT_UNTIL = 488,
};
}  // namespace cwtext

constexpr uint64_t kTicksPerSecond = 10000000ull;
constexpr uint64_t kTicksPerDay = 86400ull * kTicksPerSecond;

// Builds the protocol command line of one job into a bounded buffer.
// False (buffer emptied) when the fields do not fit.
bool BuildCommandLine(char* out, size_t outSize, int kind, const char* name, unsigned long channelId,
                      int showHints, unsigned long id);

class cTimerScheduler {
public:
    explicit cTimerScheduler(cSchedulerHost* host);
    ~cTimerScheduler();
    cTimerScheduler(const cTimerScheduler&) = delete;
    cTimerScheduler& operator=(const cTimerScheduler&) = delete;

    void SetWindow(HWND wnd) { m_wnd = wnd; }
    HWND GetWindow() const { return m_wnd; }

    // Job cycle.
    void IniProgramm();
    uint32_t GetTimerSleepTime();
    bool IsDueWithin(int seconds);
    void OnTimerTick();
    bool BefehlHolen(int kind);
    void FinishRun();
    void SaveMyTimerListe();

    // Window messages.
    void OnReload();
    void OnConflictQuery(WPARAM id);

    // Entry checks and choice of the next job.
    bool EintragAufStatusUndTexteKontrollieren(cTimerEntry* entry);
    void DatenAuswerten();
    bool ComputeNextJobTime(cTimerEntry* entry);
    bool ComputeFirstJobTime(cTimerEntry* entry);
    void SetWdhText(cTimerEntry* entry);

    // Conflicts.
    int CheckTimerConflicts(unsigned long id, ConflictAnswer* answer, int first);
    void RecheckAllConflicts();

    // Date rules (the time of day of the given time stays).
    static cVLTime NextWeekdayDate(const cVLTime& t, int flags);
    static cVLTime NextBiweeklyDate(const cVLTime& t, int flags);
    static cVLTime NextMonthlyWeekdayDate(const cVLTime& t, int flags, int week);
    static cVLTime AddDaysToTime(const cVLTime& t, int days);
    static cVLTime NextByRule(const cTimerEntry& e, const cVLTime& from);
    static bool DailyWindowsOverlap(const cVLTime& s1, const cVLTime& e1, const cVLTime& s2, const cVLTime& e2);
    static int CompareOccurrences(cTimerEntry* a, cTimerEntry* b);
    static bool EntriesOverlap(cTimerEntry* x, cTimerEntry* y);
    static bool AdvanceOccurrence(cTimerEntry* x, uint64_t horizon);
    static bool FindConflict(cTimerEntry* a, cTimerEntry* b, uint64_t horizon);
    static void AlignRepeatEndTime(cTimerEntry* x);

    // State for tests and the window.
    cListe* GetList() { return &m_list; }
    cTimerEntry* GetCurrent() const { return m_current; }
    int32_t GetPhase() const { return m_phase; }
    void SetPhase(int32_t phase) { m_phase = phase; }
    long GetRunningId() const { return m_runningId; }
    bool GetChanged() const { return m_changed; }
    uint64_t GetNow() const { return m_nowCount; }
    void TakeNow();   // now := the host's clock (normally only at a reload)

private:
    cTimerEntry* EntryById(unsigned long id);
    void LoadStatusTexts();
    void KeepRunningJob(const cTimerEntry& running);
    void KillTimer();
    void SetTimer(UINT ms);
    void SetStatusFromState(cTimerEntry* entry);
    const char* StatusTextFor(int state) const;
    void MarkNotExecuted(cTimerEntry* entry);
    bool StateStep(cTimerEntry* entry);
    bool IsSchedulable(cTimerEntry* entry);
    void AppendHistoryCopy(cTimerEntry* entry, int state, int log, const char* status, bool moveStop);
    void MoveRepeatingOn(cTimerEntry* entry);
    bool RunEndedBeforeStart(cTimerEntry* entry);
    bool NextJobKeepsStation(cTimerEntry* ending);
    UINT TickInterval();
    void Fire(int kind, int newState);
    void PostToMain(UINT msg);
    void StartMainProgram();
    void WaitForMainWindow();

    // Keeping the player's concurrent changes of the list file.
    void RememberLoaded();
    void MergeWithFile();
    void DropOldRunCopies();

    cSchedulerHost* m_host;
    cListe m_list;
    HWND m_wnd = nullptr;
    bool m_timerSet = false;
    cTimerEntry* m_current = nullptr;
    int32_t m_phase = PHASE_WAIT_START;
    uint64_t m_nowCount = 0;
    cVLTime m_now;
    uint64_t m_lastWait = 0;
    int m_language = 0;
    long m_runningId = -1;
    bool m_running = false;
    bool m_changed = false;

    char m_scratch[1024] = {};
    char m_txtScheduled[1024] = {};
    char m_txtDeactivated[1024] = {};
    char m_txtWillExecute[1024] = {};
    char m_txtExecuted[1024] = {};
    char m_txtNotExecuted[1024] = {};

    int m_horizonDays = 36;

    // The list as it was read or last written (copies), which of our
    // entries came from which loaded position, the entries this process
    // appended since, and the file's bytes at that moment.
    std::vector<cTimerEntry> m_loaded;
    std::vector<cTimerEntry*> m_origin;
    std::vector<cTimerEntry*> m_added;
    std::string m_fileStamp;
};
