// Entry checks, the choice of the next job, next-run rules, the repetition
// text and the conflict check of the scheduler.
#include <cstring>

#include "bounded_text.h"
#include "calendar_date.h"
#include "debugtext.h"
#include "scheduler.h"
#include "scheduler_host.h"
#include "scheduler_time.h"

namespace {

const char kNoRepeatText[] = "---";
constexpr int kMaxSteps = 40000;

using cw::Count;
using cw::IsSet;
using cw::kReminderGrace;

bool DateLater(const cVLTime& a, const cVLTime& b) {
    return cCalendarDate(a).IsLater(cCalendarDate(b));
}

int TimeOfDay(const cVLTime& t) { return t.GetHour() * 10000 + t.GetMinute() * 100 + t.GetSecond(); }

int WeekIndex(int dayOfMonth) { return (dayOfMonth - 1) / 7; }

int ClampWeek(int week) { return week < 0 ? 0 : (week > 3 ? 3 : week); }

bool IsWeekdayRule(int repeat) { return repeat >= 2 && repeat <= 4; }

// Moves the stop of an occurrence by as many days as its start moved.
void ShiftStop(cTimerEntry* x, const cVLTime& oldStart, const cVLTime& newStart) {
    int days = cCalendarDate(newStart).DaysFrom(cCalendarDate(oldStart));
    x->SetStopTime(cTimerScheduler::AddDaysToTime(x->GetStopTime(), days));
}

}  // namespace

// ---------------------------------------------------------------- date rules

cVLTime cTimerScheduler::AddDaysToTime(const cVLTime& t, int days) {
    cCalendarDate d(t);
    if (days >= 0)
        d.AddDays(days);
    else
        d.SubDays(-days);
    return d.ToVLTime();
}

cVLTime cTimerScheduler::NextWeekdayDate(const cVLTime& t, int flags) {
    int w = cCalendarDate(t).GetWeekday();
    for (int k = 1; k <= 7; ++k) {
        if (flags & (1 << ((w + k) % 7))) return AddDaysToTime(t, k);
    }
    return t;
}

cVLTime cTimerScheduler::NextBiweeklyDate(const cVLTime& t, int flags) {
    int w = cCalendarDate(t).GetWeekday();
    int offset = 0;
    for (int k = 1; k <= 7; ++k) {
        int day = (w + k) % 7;
        offset += 1;
        if (day == 1) offset += 7;   // entering the next week: that week is skipped
        if (flags & (1 << day)) return AddDaysToTime(t, offset);
    }
    return t;
}

cVLTime cTimerScheduler::NextMonthlyWeekdayDate(const cVLTime& t, int flags, int week) {
    if ((flags & 0x7F) == 0) return t;
    week = ClampWeek(week);
    cCalendarDate given(t);
    cCalendarDate p(1, given.GetMonth(), given.GetYear());
    p.SetTimeOfDay(given.GetTimeOfDay());
    while (!(flags & (1 << p.GetWeekday()))) p.AddDays(1);
    p.AddDays(7 * week);
    if (p.IsLater(given)) return p.ToVLTime();
    cCalendarDate q(p);
    q.AddDays(28);
    if (WeekIndex(q.GetDay()) != week) q.AddDays(7);
    return q.ToVLTime();
}

cVLTime cTimerScheduler::NextByRule(const cTimerEntry& e, const cVLTime& from) {
    switch (e.GetWiederholung()) {
    case 1:
        return AddDaysToTime(from, 1);
    case 2:
        return NextWeekdayDate(from, e.GetDayFlag());
    case 3:
        return NextBiweeklyDate(from, e.GetDayFlag());
    case 4:
        return NextMonthlyWeekdayDate(from, e.GetDayFlag(), e.GetDayOfMonth());
    default:
        return from;
    }
}

bool cTimerScheduler::ComputeNextJobTime(cTimerEntry* e) {
    cVLTime current = e->GetNextJobTime();
    if (!IsSet(current)) return ComputeFirstJobTime(e);
    if (e->GetWiederholung() == 0) return false;
    cVLTime next = NextByRule(*e, current);
    // A rule that cannot move on (no weekday chosen, an unknown repeat
    // mode) would keep every caller's loop on the same date.
    if (Count(next) <= Count(current)) return false;
    if (e->GetRepeatEnd() == 1 && DateLater(next, e->GetRepeatEndTime())) return false;
    e->SetNextJobTime(next);
    return true;
}

bool cTimerScheduler::ComputeFirstJobTime(cTimerEntry* e) {
    cVLTime start = e->GetStartTime();
    if (e->GetRepeatEnd() == 1 && (DateLater(start, e->GetRepeatEndTime()) || DateLater(m_now, e->GetRepeatEndTime()))) {
        e->SetNextJobTime(start);
        e->SetStatus(m_txtNotExecuted);
        e->SetLog(1, 0);
        m_changed = true;
        return false;
    }
    if (e->GetWiederholung() == 1) {
        e->SetNextJobTime(start);
        m_changed = true;
        return true;
    }
    cCalendarDate startDate(start);
    if ((e->GetDayFlag() & (1 << startDate.GetWeekday())) &&
        (e->GetWiederholung() != 4 || WeekIndex(startDate.GetDay()) == e->GetDayOfMonth())) {
        e->SetNextJobTime(start);
        m_changed = true;
        return true;
    }
    cTimerEntry copy(e);
    copy.SetNextJobTime(start);
    if (copy.GetWiederholung() == 3) copy.SetWiederholung(2);
    if (ComputeNextJobTime(&copy)) {
        e->SetNextJobTime(copy.GetNextJobTime());
        m_changed = true;
        return true;
    }
    e->SetNextJobTime(start);
    e->SetStatus(m_txtNotExecuted);
    e->SetLog(1, 0);
    m_changed = true;
    return false;
}

// ---------------------------------------------------------------- entry checks

void cTimerScheduler::MarkNotExecuted(cTimerEntry* e) {
    // Only a real change counts, so that a broken entry does not make every
    // reload write the list again.
    cTimerEntry before(e);
    e->SetNextJobTime(e->GetStartTime());
    e->SetLog(1, 0);
    e->SetStatus(m_txtNotExecuted);
    e->SetZustand(STATE_NOT_EXECUTED);
    e->SetWiederholungTxt(kNoRepeatText);
    if (strcmp(before.GetNextJobTime().GetTime(), e->GetNextJobTime().GetTime()) != 0 ||
        before.GetLog() != 1 || before.GetOK() != 0 || strcmp(before.GetStatus(), e->GetStatus()) != 0 ||
        before.GetZustand() != STATE_NOT_EXECUTED || strcmp(before.GetWiederholungTxt(), kNoRepeatText) != 0)
        m_changed = true;
}

// An entry whose times or rule cannot be read (a damaged or hand-made list)
// is never scheduled.
bool cTimerScheduler::IsSchedulable(cTimerEntry* e) {
    int repeat = e->GetWiederholung();
    if (repeat < 0 || repeat > 4) return false;
    if (IsWeekdayRule(repeat) && (e->GetDayFlag() & 0x7F) == 0) return false;
    if (!IsSet(e->GetStartTime())) return false;
    if ((e->GetAction() == TA_RECORD || e->GetAction() == TA_PLAY) && !IsSet(e->GetStopTime())) return false;
    if (e->GetAction() < TA_RECORD || e->GetAction() > TA_SHUTDOWN) return false;
    if (e->GetRepeatEnd() == 1 && !IsSet(e->GetRepeatEndTime())) return false;
    // A repetition that ends before it begins never runs (left alone, its
    // start would still be offered as a candidate).
    if (repeat > 0 && e->GetRepeatEnd() == 1 && DateLater(e->GetStartTime(), e->GetRepeatEndTime())) return false;
    return true;
}

bool cTimerScheduler::EintragAufStatusUndTexteKontrollieren(cTimerEntry* e) {
    if (!e) {
        DebugLog(DL_ERR, "clockwarden: EintragAufStatusUndTexteKontrollieren: ERR=Kein Eintrag");
        return false;
    }
    DebugLog(DL_DEB, "clockwarden: EintragAufStatusUndTexteKontrollieren: Id=%lu", e->GetId());
    bk::TextCopy(m_scratch, sizeof(m_scratch), e->GetStatus());
    if (!IsSchedulable(e)) {
        MarkNotExecuted(e);
        return false;
    }
    bool r = StateStep(e);
    SetStatusFromState(e);
    if (e->GetWiederholungTxt()[0] == 0) SetWdhText(e);
    return r;
}

bool cTimerScheduler::StateStep(cTimerEntry* e) {
    if (!e->GetActive()) {
        if (e->GetZustand() != STATE_DEACTIVATED) {
            e->SetZustand(STATE_DEACTIVATED);
            e->SetLog(3, 0);
            m_changed = true;
        }
        return false;
    }
    if (e->GetZustand() == STATE_RUNNING) {
        uint64_t end = Count(e->GetNextJobTime()) + cw::RunLength(e->GetStartTime(), e->GetStopTime());
        if (end > m_nowCount) {
            m_running = true;
            m_runningId = static_cast<long>(e->GetId());
            return true;
        }
        // The stop time passed while nobody watched (the computer slept):
        // stop the player once if it runs, and book the run as done.
        if (e->GetWiederholung() == 0) {
            if (m_host->FindMainWindow()) {
                char command[64];
                BuildCommandLine(command, sizeof(command), CMD_STOP, "", 0, e->GetShowHints(), e->GetId());
                m_host->RunCommand(command);
                DebugLog(DL_WAR, "clockwarden: verspäteter Stopp: %s", command);
            }
            e->SetZustand(STATE_EXECUTED);
            e->SetLog(1, 1);
            m_changed = true;
            return false;
        }
        e->SetZustand(STATE_SCHEDULED);
        e->SetLog(0, 1);
        m_changed = true;
    }

    if (e->GetWiederholung() == 0) {
        if (!IsSet(e->GetNextJobTime())) {
            e->SetNextJobTime(e->GetStartTime());
            m_changed = true;
        }
    } else {
        for (int i = 0; i < kMaxSteps && Count(e->GetNextJobTime()) < m_nowCount &&
                        !cw::StillRunnable(*e, m_nowCount);
             ++i) {
            if (!ComputeNextJobTime(e)) break;
        }
    }

    uint64_t next = Count(e->GetNextJobTime());
    switch (e->GetZustand()) {
    case STATE_EXECUTED:
    case STATE_NOT_EXECUTED:
        if (next > m_nowCount) {
            e->SetZustand(STATE_SCHEDULED);
            e->SetLog(0, 1);
            m_changed = true;
            return true;
        }
        return false;
    case STATE_DEACTIVATED:
        e->SetZustand(STATE_SCHEDULED);
        e->SetLog(0, 1);
        m_changed = true;
        [[fallthrough]];   // now treated as scheduled
    case STATE_SCHEDULED:
    case STATE_PRESTARTED:
        if (next >= m_nowCount || cw::StillRunnable(*e, m_nowCount)) return true;
        // A reminder may still be shown shortly after its time; one that is
        // further behind is missed like any other job.
        if (e->GetAction() == TA_REMIND && next + kReminderGrace > m_nowCount) return true;
        e->SetZustand(STATE_NOT_EXECUTED);
        e->SetLog(1, 0);
        m_changed = true;
        return false;
    default:
        return false;
    }
}

const char* cTimerScheduler::StatusTextFor(int state) const {
    switch (state) {
    case STATE_SCHEDULED:
    case STATE_PRESTARTED:
        return m_txtScheduled;
    case STATE_RUNNING:
        return m_txtWillExecute;
    case STATE_EXECUTED:
        return m_txtExecuted;
    case STATE_NOT_EXECUTED:
        return m_txtNotExecuted;
    case STATE_DEACTIVATED:
        return m_txtDeactivated;
    default:
        return nullptr;
    }
}

void cTimerScheduler::SetStatusFromState(cTimerEntry* e) {
    const char* target = StatusTextFor(e->GetZustand());
    if (!target || strcmp(m_scratch, target) == 0) return;
    e->SetStatus(target);
    SetWdhText(e);
    m_changed = true;
    int state = e->GetZustand();
    if (state == STATE_SCHEDULED || state == STATE_PRESTARTED || state == STATE_RUNNING) e->SetLog(e->GetLog(), 1);
}

void cTimerScheduler::DatenAuswerten() {
    DebugLog(DL_DEB, "clockwarden: DatenAuswerten...");
    cTimerEntry* best = nullptr;
    uint64_t held = 0;
    cIterator* it = m_list.GetIterator();
    if (!it) {
        DebugLog(DL_ERR, "clockwarden: DatenAuswerten ERR:kein Iterator");
        return;
    }
    m_running = false;
    while (cListElement* el = it->Next()) EintragAufStatusUndTexteKontrollieren(static_cast<cTimerEntry*>(el));

    auto offer = [&](cTimerEntry* e, uint64_t t) {
        if (held == 0 || t < held) {
            held = t;
            best = e;
        }
    };

    if (m_running) {
        cTimerEntry* running = EntryById(static_cast<unsigned long>(m_runningId));
        if (running) {
            m_current = running;
            m_phase = PHASE_RUNNING;
            DebugLog(DL_INF, "clockwarden: DatenAuswerten Neuer_Eintrag=%s, StartTime=%s", running->GetName(),
                     running->GetStartTime().GetTime());
            held = Count(running->GetStopTime());
        }
    } else {
        it->First();
        while (cListElement* el = it->Next()) {
            cTimerEntry* e = static_cast<cTimerEntry*>(el);
            int state = e->GetZustand();
            uint64_t next = Count(e->GetNextJobTime());
            if ((state == STATE_SCHEDULED || state == STATE_PRESTARTED) && e->GetAction() != TA_REMIND &&
                (next > m_nowCount || cw::StillRunnable(*e, m_nowCount)))
                offer(e, next);
        }
    }
    it->First();
    while (cListElement* el = it->Next()) {
        cTimerEntry* e = static_cast<cTimerEntry*>(el);
        if (e->GetAction() != TA_REMIND || e->GetZustand() != STATE_SCHEDULED) continue;
        uint64_t next = Count(e->GetNextJobTime());
        if (next > m_nowCount || (next < m_nowCount && next + kReminderGrace > m_nowCount)) offer(e, next);
    }
    m_list.FreeIterator(it);

    // The choice is made before the save: a save that has to merge with a
    // newer file replaces the entries and carries the current one over.
    if (best) {
        m_runningId = static_cast<long>(best->GetId());
        m_current = best;
        m_phase = PHASE_WAIT_START;
        DebugLog(DL_INF, "clockwarden: DatenAuswerten Nächster_Eintrag=%s, StartTime=%s", best->GetName(),
                 best->GetStartTime().GetTime());
    }
    if (m_changed) SaveMyTimerListe();
}

void cTimerScheduler::SetWdhText(cTimerEntry* e) {
    DebugLog(DL_DEB, "clockwarden: SetWdhText");
    int repeat = e->GetWiederholung();
    if (repeat == 0 || repeat < 0 || repeat > 4) {
        e->SetWiederholungTxt(kNoRepeatText);
        return;
    }
    char text[1024] = "";
    char part[1024];
    auto add = [&](const char* s) { bk::TextAppend(text, sizeof(text), s); };
    auto addText = [&](unsigned id) {
        part[0] = 0;
        m_host->Text(id, m_language, part, sizeof(part));
        add(part);
    };
    switch (repeat) {
    case 1:
        addText(cwtext::TXT_DAILY);
        add(" ");
        break;
    case 2:
    case 3:
        addText(repeat == 2 ? cwtext::TXT_WEEKLY : cwtext::TXT_BIWEEKLY);
        add(" ");
        addText(cwtext::TXT_EACH);
        add(" ");
        break;
    case 4:
        addText(cwtext::TXT_MONTHLY);
        add(" ");
        addText(cwtext::TXT_ON);
        add(" ");
        addText(cwtext::TXT_ORDINAL_FIRST + static_cast<unsigned>(ClampWeek(e->GetDayOfMonth())));
        add(" ");
        break;
    }
    if (repeat >= 2) {
        // Monday first, Sunday last; bit 0 is Sunday.
        bool first = true;
        for (int i = 0; i < 7; ++i) {
            int bit = (i + 1) % 7;
            if (!(e->GetDayFlag() & (1 << bit))) continue;
            if (!first) add(", ");
            addText(cwtext::TXT_MONDAY + static_cast<unsigned>(i));
            first = false;
        }
        add(" ");
    }
    cVLTime start = e->GetStartTime();
    char number[64];
    addText(cwtext::TXT_AT_TIME);
    bk::TextFormat(number, sizeof(number), "%02d:%02d", start.GetHour(), start.GetMinute());
    add(number);
    add(" ");
    addText(cwtext::TXT_OCLOCK);
    add(", ");
    addText(cwtext::TXT_FROM);
    add(" ");
    bk::TextFormat(number, sizeof(number), "%02d.%02d.%04d", start.GetDay(), start.GetMonth(), start.GetYear());
    add(number);
    if (e->GetRepeatEnd() == 1) {
        cVLTime end = e->GetRepeatEndTime();
        add(" ");
        addText(cwtext::TXT_UNTIL);
        add(" ");
        bk::TextFormat(number, sizeof(number), "%02d.%02d.%04d", end.GetDay(), end.GetMonth(), end.GetYear());
        add(number);
    }
    e->SetWiederholungTxt(text);
    DebugLog(DL_DEB, "clockwarden: SetWdhText: %s", text);
}

// ---------------------------------------------------------------- conflicts

void cTimerScheduler::AlignRepeatEndTime(cTimerEntry* x) {
    cVLTime end = x->GetRepeatEndTime();
    cVLTime start = x->GetStartTime();
    end.SetHour(start.GetHour());
    end.SetMinute(start.GetMinute());
    end.SetSecond(start.GetSecond());
    x->SetRepeatEndTime(end);
}

bool cTimerScheduler::DailyWindowsOverlap(const cVLTime& s1, const cVLTime& e1, const cVLTime& s2,
                                          const cVLTime& e2) {
    int ts1 = TimeOfDay(s1), te1 = TimeOfDay(e1), ts2 = TimeOfDay(s2), te2 = TimeOfDay(e2);
    bool cross1 = !cCalendarDate(e1).IsSameDate(cCalendarDate(s1));
    bool cross2 = !cCalendarDate(e2).IsSameDate(cCalendarDate(s2));
    if (ts1 == ts2) return true;
    if (!cross1 && !cross2) return ts1 < ts2 ? te1 >= ts2 : te2 >= ts1;
    if (cross1 && !cross2) return te2 < ts1 ? te1 >= ts2 : true;
    if (!cross1 && cross2) return te1 < ts2 ? te2 >= ts1 : true;
    return true;
}

int cTimerScheduler::CompareOccurrences(cTimerEntry* a, cTimerEntry* b) {
    for (cTimerEntry* x : {a, b}) {
        cVLTime start = x->GetStartTime();
        cVLTime next = x->GetNextJobTime();
        if (x->GetWiederholung() > 0 && Count(next) > Count(start)) {
            ShiftStop(x, start, next);
            x->SetStartTime(next);
        }
    }
    uint64_t sa = Count(a->GetStartTime());
    uint64_t sb = Count(b->GetStartTime());
    return sa < sb ? -1 : (sa == sb ? 0 : 1);
}

bool cTimerScheduler::EntriesOverlap(cTimerEntry* x, cTimerEntry* y) {
    return (x->GetAction() == TA_RECORD || x->GetAction() == TA_PLAY) &&
           Count(x->GetStopTime()) >= Count(y->GetStartTime());
}

bool cTimerScheduler::AdvanceOccurrence(cTimerEntry* x, uint64_t horizon) {
    if (x->GetWiederholung() == 0) return false;
    cVLTime start = x->GetStartTime();
    cVLTime next = NextByRule(*x, start);
    if (Count(next) <= Count(start)) return false;
    ShiftStop(x, start, next);
    x->SetStartTime(next);
    if (Count(next) > horizon) return false;
    if (x->GetRepeatEnd() == 1 && Count(x->GetRepeatEndTime()) < Count(next)) return false;
    return true;
}

bool cTimerScheduler::FindConflict(cTimerEntry* a, cTimerEntry* b, uint64_t horizon) {
    if (!DailyWindowsOverlap(a->GetStartTime(), a->GetStopTime(), b->GetStartTime(), b->GetStopTime()))
        return false;
    for (int i = 0; i < kMaxSteps; ++i) {
        int c = CompareOccurrences(a, b);
        if ((c == -1 && EntriesOverlap(a, b)) || c == 0 || (c == 1 && EntriesOverlap(b, a))) return true;
        if (!AdvanceOccurrence(c == -1 ? a : b, horizon)) return false;
    }
    return false;
}

int cTimerScheduler::CheckTimerConflicts(unsigned long id, ConflictAnswer* answer, int first) {
    cTimerEntry* source = EntryById(id);
    if (!source) return 0;
    if (source->GetAction() == TA_REMIND) return 0;
    int state = source->GetZustand();
    if (state == STATE_EXECUTED || state == STATE_NOT_EXECUTED || state == STATE_DEACTIVATED) return 0;
    // Entries that cannot be read as times have no runs to collide.
    if (!IsSet(source->GetStartTime())) return 0;

    uint64_t horizon = Count(AddDaysToTime(cw::FromCount(m_host->LocalNow()), m_horizonDays));

    int k = 1;
    int count = m_list.GetAnzElement();
    for (int i = first; i < count; ++i) {
        if (static_cast<unsigned long>(i) == id) continue;
        cTimerEntry* other = EntryById(static_cast<unsigned long>(i));
        if (!other) continue;
        cTimerEntry o(other);
        cTimerEntry e(source);
        AlignRepeatEndTime(&e);
        int ostate = o.GetZustand();
        if (o.GetAction() == TA_REMIND ||
            !(ostate == STATE_SCHEDULED || ostate == STATE_PRESTARTED || ostate == STATE_RUNNING))
            continue;
        if (!IsSet(o.GetStartTime())) continue;
        AlignRepeatEndTime(&o);
        if (!FindConflict(&e, &o, horizon)) continue;
        // The answer has room for 1023 ids; every conflicting entry is still
        // marked in the list.
        if (answer && k <= 1023) {
            answer->ids[k - 1] = static_cast<uint32_t>(i);
            answer->count = static_cast<uint32_t>(k);
        }
        other->SetLog(4, 0);
        m_changed = true;
        ++k;
    }
    return k - 1;
}

void cTimerScheduler::RecheckAllConflicts() {
    cIterator* it = m_list.GetIterator();
    if (it) {
        while (cListElement* el = it->Next()) {
            cTimerEntry* e = static_cast<cTimerEntry*>(el);
            if (e->GetLog() == 4) e->SetLog(0, 0);
        }
        it->First();
        while (cListElement* el = it->Next()) {
            cTimerEntry* e = static_cast<cTimerEntry*>(el);
            if (e->GetLog() != 0 && e->GetLog() != 4) continue;
            if (CheckTimerConflicts(e->GetId(), nullptr, static_cast<int>(e->GetId())) > 0) e->SetLog(4, 0);
        }
        m_list.FreeIterator(it);
    }
    SaveMyTimerListe();
}
