// Next-run rules, entry checks, the choice of the next job, the repetition
// text and the conflict check.
#include <gtest/gtest.h>

#include "fake_host.h"

namespace {

std::string Digits(const cVLTime& t) { return t.GetTime(); }

struct RuleCase {
    const char* from;
    int repeat;
    int days;
    int week;
    const char* expected;
};

TEST(NextRunRules, StepByRule) {
    const RuleCase cases[] = {
        // daily
        {"20081231200000", 1, 0, 0, "20090101200000"},
        // weekly: Monday only from a Monday is exactly a week later
        {"20090504200000", 2, MON, 0, "20090511200000"},
        {"20090504200000", 2, MON | WED, 0, "20090506200000"},
        {"20090506200000", 2, MON | WED, 0, "20090511200000"},
        {"20090131080000", 2, SUN, 0, "20090201080000"},
        // every two weeks: Wednesday with Monday and Wednesday -> Monday of the week after next
        {"20090506200000", 3, MON | WED, 0, "20090518200000"},
        {"20090504200000", 3, MON | WED, 0, "20090506200000"},
        {"20090504200000", 3, MON, 0, "20090518200000"},
        {"20090503200000", 3, SUN, 0, "20090517200000"},
        // monthly, n-th weekday
        {"20090501200000", 4, FRI, 2, "20090515200000"},
        {"20090515200000", 4, FRI, 2, "20090619200000"},
        {"20090501200000", 4, FRI, 0, "20090605200000"},
        {"20090131200000", 4, SAT, 3, "20090228200000"},
        {"20081201090000", 4, MON, 3, "20081222090000"},
        {"20081222090000", 4, MON, 3, "20090126090000"},
        // no weekday bit: the rule cannot move
        {"20090504200000", 2, 0, 0, "20090504200000"},
        {"20090504200000", 4, 0, 1, "20090504200000"},
    };
    for (const auto& c : cases) {
        cTimerEntry e = MakeEntry("x", TA_RECORD, c.from, c.from, c.repeat, c.days, c.week);
        EXPECT_EQ(Digits(cTimerScheduler::NextByRule(e, cVLTime(c.from))), c.expected)
            << c.from << " repeat " << c.repeat << " days " << c.days << " week " << c.week;
    }
}

TEST(NextRunRules, MonthlyWeekOutOfRangeNeverStepsBackwards) {
    for (int week : {-5, -1, 4, 99}) {
        cVLTime next = cTimerScheduler::NextMonthlyWeekdayDate(cVLTime("20090515200000"), FRI, week);
        EXPECT_GT(cw::Count(next), cw::Count(cVLTime("20090515200000"))) << week;
    }
}

class SchedulerTest : public ::testing::Test {
protected:
    FakeHost host;
    cTimerScheduler sched{&host};

    cTimerEntry* Entry(unsigned long id) { return static_cast<cTimerEntry*>(sched.GetList()->GetById(id)); }
    void Load() { sched.IniProgramm(); }
};

TEST_F(SchedulerTest, RepeatingEntriesCatchUpToTheFirstRunAfterNow) {
    host.SetNow(2009, 5, 20, 12, 0, 0);
    host.file.push_back(MakeEntry("daily", TA_RECORD, "20090510200000", "20090510210000", 1));
    host.file.push_back(MakeEntry("weekly", TA_RECORD, "20090504080000", "20090504090000", 2, MON));
    host.file.push_back(MakeEntry("monthly", TA_PLAY, "20090501200000", "20090501210000", 4, FRI, 2));
    Load();
    EXPECT_EQ(Digits(Entry(0)->GetNextJobTime()), "20090520200000");
    EXPECT_EQ(Digits(Entry(1)->GetNextJobTime()), "20090525080000");
    EXPECT_EQ(Digits(Entry(2)->GetNextJobTime()), "20090619200000");
    for (unsigned long i = 0; i < 3; ++i) {
        EXPECT_EQ(Entry(i)->GetZustand(), STATE_SCHEDULED) << i;
        EXPECT_STREQ(Entry(i)->GetStatus(), "eingeplant") << i;
    }
    // The earliest next run is the current job.
    ASSERT_NE(sched.GetCurrent(), nullptr);
    EXPECT_STREQ(sched.GetCurrent()->GetName(), "daily");
    EXPECT_EQ(sched.GetPhase(), PHASE_WAIT_START);
    EXPECT_GE(host.saves, 1);   // states and next runs were written back
}

TEST_F(SchedulerTest, FirstRunSkipsToAChosenWeekday) {
    host.SetNow(2009, 5, 1, 12, 0, 0);
    // Starts on a Friday, but only Mondays are chosen.
    host.file.push_back(MakeEntry("weekly", TA_RECORD, "20090501200000", "20090501210000", 2, MON));
    // Monthly on the third Friday: the first of May is the first Friday.
    host.file.push_back(MakeEntry("monthly", TA_RECORD, "20090501180000", "20090501190000", 4, FRI, 2));
    Load();
    EXPECT_EQ(Digits(Entry(0)->GetNextJobTime()), "20090504200000");
    EXPECT_EQ(Digits(Entry(1)->GetNextJobTime()), "20090515180000");
}

TEST_F(SchedulerTest, RepeatEndStopsTheRepetition) {
    host.SetNow(2009, 5, 20, 12, 0, 0);
    cTimerEntry ended = MakeEntry("ended", TA_RECORD, "20090510200000", "20090510210000", 1);
    ended.SetRepeatEnd(1);
    ended.SetRepeatEndTime(cVLTime("20090515000000"));
    host.file.push_back(ended);
    cTimerEntry endBeforeStart = MakeEntry("backwards", TA_RECORD, "20090601200000", "20090601210000", 1);
    endBeforeStart.SetRepeatEnd(1);
    endBeforeStart.SetRepeatEndTime(cVLTime("20090530000000"));
    host.file.push_back(endBeforeStart);
    cTimerEntry running = MakeEntry("lastday", TA_RECORD, "20090518200000", "20090518210000", 1);
    running.SetRepeatEnd(1);
    running.SetRepeatEndTime(cVLTime("20090520000000"));
    host.file.push_back(running);
    Load();
    EXPECT_EQ(Entry(0)->GetZustand(), STATE_NOT_EXECUTED);
    EXPECT_STREQ(Entry(0)->GetStatus(), "nicht ausgeführt");
    EXPECT_EQ(Entry(1)->GetZustand(), STATE_NOT_EXECUTED);
    EXPECT_EQ(Entry(1)->GetLog(), 1);
    EXPECT_EQ(Entry(1)->GetOK(), 0);
    // The repeat end day itself still runs.
    EXPECT_EQ(Digits(Entry(2)->GetNextJobTime()), "20090520200000");
    EXPECT_EQ(Entry(2)->GetZustand(), STATE_SCHEDULED);
}

TEST_F(SchedulerTest, EntryStatesAfterTheCheck) {
    host.SetNow(2009, 5, 20, 12, 0, 0);
    host.file.push_back(MakeEntry("missed", TA_RECORD, "20090519200000", "20090519210000"));
    cTimerEntry off = MakeEntry("off", TA_RECORD, "20090521200000", "20090521210000");
    off.SetActive(0);
    host.file.push_back(off);
    host.file.push_back(MakeEntry("noweekday", TA_RECORD, "20090521200000", "20090521210000", 3, 0));
    cTimerEntry back = MakeEntry("backon", TA_PLAY, "20090522200000", "20090522210000");
    back.SetZustand(STATE_DEACTIVATED);
    host.file.push_back(back);
    cTimerEntry done = MakeEntry("done", TA_PLAY, "20090510200000", "20090510210000");
    done.SetZustand(STATE_EXECUTED);
    done.SetStatus("ausgeführt");
    done.SetLog(1, 1);
    host.file.push_back(done);
    host.file.push_back(MakeEntry("remind_late", TA_REMIND, "20090520115930", "20090520115930"));
    host.file.push_back(MakeEntry("remind_old", TA_REMIND, "20090520110000", "20090520110000"));
    Load();

    EXPECT_EQ(Entry(0)->GetZustand(), STATE_NOT_EXECUTED);
    EXPECT_EQ(Entry(0)->GetLog(), 1);
    EXPECT_EQ(Entry(1)->GetZustand(), STATE_DEACTIVATED);
    EXPECT_EQ(Entry(1)->GetLog(), 3);
    EXPECT_STREQ(Entry(1)->GetStatus(), "deaktiviert");
    EXPECT_EQ(Entry(2)->GetZustand(), STATE_NOT_EXECUTED);
    EXPECT_STREQ(Entry(2)->GetWiederholungTxt(), "---");
    EXPECT_EQ(Entry(3)->GetZustand(), STATE_SCHEDULED);
    EXPECT_EQ(Entry(3)->GetOK(), 1);
    EXPECT_EQ(Entry(4)->GetZustand(), STATE_EXECUTED);
    EXPECT_EQ(Entry(4)->GetLog(), 1);
    // A reminder at most 60 s late is still shown, and it goes first.
    EXPECT_EQ(Entry(5)->GetZustand(), STATE_SCHEDULED);
    EXPECT_EQ(sched.GetCurrent(), Entry(5));
    // One further behind is missed.
    EXPECT_EQ(Entry(6)->GetZustand(), STATE_NOT_EXECUTED);
}

TEST_F(SchedulerTest, EqualStartsKeepListOrderAndReminderInterruptsRunningJob) {
    host.SetNow(2009, 5, 20, 12, 0, 0);
    host.file.push_back(MakeEntry("first", TA_RECORD, "20090520200000", "20090520210000"));
    host.file.push_back(MakeEntry("second", TA_PLAY, "20090520200000", "20090520210000"));
    Load();
    EXPECT_STREQ(sched.GetCurrent()->GetName(), "first");

    host.file.clear();
    cTimerEntry running = MakeEntry("running", TA_RECORD, "20090520113000", "20090520130000");
    running.SetZustand(STATE_RUNNING);
    running.SetNextJobTime(running.GetStartTime());
    host.file.push_back(running);
    host.file.push_back(MakeEntry("later", TA_RECORD, "20090520140000", "20090520150000"));
    host.file.push_back(MakeEntry("remind", TA_REMIND, "20090520123000", "20090520123000"));
    Load();
    EXPECT_STREQ(sched.GetCurrent()->GetName(), "remind");
    EXPECT_EQ(sched.GetPhase(), PHASE_WAIT_START);
    host.file[2].SetStartTime(cVLTime("20090520140000"));
    host.file[2].SetNextJobTime(cVLTime("20090520140000"));
    Load();
    EXPECT_STREQ(sched.GetCurrent()->GetName(), "running");
    EXPECT_EQ(sched.GetPhase(), PHASE_RUNNING);
}

// A damaged or hand-made list must load without a hang and leave the broken
// entries unscheduled.
TEST_F(SchedulerTest, MalformedEntriesAreRefusedWithoutLooping) {
    host.SetNow(2009, 5, 20, 12, 0, 0);
    host.file.push_back(MakeEntry("badrepeat", TA_RECORD, "20090501200000", "20090501210000", 99, MON));
    host.file.push_back(MakeEntry("negrepeat", TA_RECORD, "20090501200000", "20090501210000", -3, MON));
    host.file.push_back(MakeEntry("badweek", TA_RECORD, "20090501200000", "20090501210000", 4, FRI, -7));
    host.file.push_back(MakeEntry("zerotimes", TA_RECORD, "", "", 1));
    host.file.push_back(MakeEntry("badmonth", TA_RECORD, "20091301200000", "20091301210000", 1));
    host.file.push_back(MakeEntry("badaction", 17, "20090601200000", "20090601210000"));
    host.file.push_back(MakeEntry("ancient", TA_RECORD, "19900101200000", "19900101210000", 1));
    cTimerEntry garbageNext = MakeEntry("garbagenext", TA_RECORD, "20090501200000", "20090501210000", 2, MON);
    garbageNext.SetNextJobTime(cVLTime("2009x5y1"));
    host.file.push_back(garbageNext);
    Load();
    for (unsigned long i : {0ul, 1ul, 3ul, 4ul, 5ul}) {
        EXPECT_EQ(Entry(i)->GetZustand(), STATE_NOT_EXECUTED) << Entry(i)->GetName();
        EXPECT_STREQ(Entry(i)->GetWiederholungTxt(), "---") << Entry(i)->GetName();
    }
    // A week index out of range counts as the nearest valid one.
    EXPECT_EQ(Entry(2)->GetZustand(), STATE_SCHEDULED);
    EXPECT_EQ(Digits(Entry(2)->GetNextJobTime()), "20090605200000");
    // Catching up twenty years of daily runs ends after now.
    EXPECT_EQ(Digits(Entry(6)->GetNextJobTime()), "20090520200000");
    EXPECT_EQ(Digits(Entry(7)->GetNextJobTime()), "20090525200000");
    // A second load of the same list changes nothing more.
    int saves = host.saves;
    Load();
    EXPECT_EQ(host.saves, saves);
}

TEST_F(SchedulerTest, RepetitionTexts) {
    struct Case {
        int repeat, days, week, repeatEnd;
        const char* expected;
    } cases[] = {
        {2, MON | WED, 0, 1, "Wöchentlich jeden Mo, Mi um 20:00 Uhr, ab dem 01.02.2006 bis zum 01.03.2006"},
        {1, 0, 0, 0, "Täglich um 20:00 Uhr, ab dem 01.02.2006"},
        {3, SUN | SAT, 0, 0, "Alle 2 Wochen jeden Sa, So um 20:00 Uhr, ab dem 01.02.2006"},
        {4, FRI, 2, 0, "Monatlich am dritten Fr um 20:00 Uhr, ab dem 01.02.2006"},
        {0, 0, 0, 0, "---"},
    };
    for (const auto& c : cases) {
        cTimerEntry e = MakeEntry("x", TA_RECORD, "20060201200000", "20060201210000", c.repeat, c.days, c.week);
        e.SetRepeatEnd(c.repeatEnd);
        e.SetRepeatEndTime(cVLTime("20060301000000"));
        sched.SetWdhText(&e);
        EXPECT_STREQ(e.GetWiederholungTxt(), c.expected);
    }
}

// ---------------------------------------------------------------- conflicts

struct ConflictCase {
    const char* what;
    cTimerEntry a, b;
    bool conflict;
};

TEST_F(SchedulerTest, ConflictRules) {
    host.SetNow(2009, 5, 20, 12, 0, 0);
    auto daily = [](const char* s, const char* e, int action = TA_RECORD) {
        cTimerEntry x = MakeEntry("d", action, s, e, 1);
        x.SetNextJobTime(cVLTime(s));
        return x;
    };
    const ConflictCase cases[] = {
        {"stop equals start", daily("20090520200000", "20090520210000"), daily("20090520210000", "20090520220000"),
         true},
        {"a second apart", daily("20090520200000", "20090520205959"), daily("20090520210000", "20090520220000"),
         false},
        {"both cross midnight",
         MakeEntry("a", TA_RECORD, "20090520230000", "20090521010000"),
         MakeEntry("b", TA_RECORD, "20090521003000", "20090521020000"), true},
        {"one-time 40 days ahead against daily",
         MakeEntry("a", TA_RECORD, "20090629200000", "20090629210000"), daily("20090520200000", "20090520210000"),
         false},
        {"two one-time 40 days ahead", MakeEntry("a", TA_RECORD, "20090629200000", "20090629210000"),
         MakeEntry("b", TA_PLAY, "20090629200000", "20090629203000"), true},
        {"same start, shut-down", MakeEntry("a", TA_SHUTDOWN, "20090525200000", "20090525200000"),
         MakeEntry("b", TA_RECORD, "20090525200000", "20090525210000"), true},
        {"same start, reminder", MakeEntry("a", TA_REMIND, "20090525200000", "20090525200000"),
         MakeEntry("b", TA_RECORD, "20090525200000", "20090525210000"), false},
        {"daily meets weekly later", daily("20090520200000", "20090520210000"),
         MakeEntry("w", TA_RECORD, "20090525203000", "20090525213000", 2, MON), true},
        {"weekly on other days", MakeEntry("w1", TA_RECORD, "20090525200000", "20090525210000", 2, MON),
         MakeEntry("w2", TA_RECORD, "20090526200000", "20090526210000", 2, TUE), false},
        {"shut-down before a recording", MakeEntry("a", TA_SHUTDOWN, "20090525195000", "20090525195000"),
         MakeEntry("b", TA_RECORD, "20090525200000", "20090525210000"), false},
        {"recording runs into a shut-down", MakeEntry("a", TA_RECORD, "20090525190000", "20090525201000"),
         MakeEntry("b", TA_SHUTDOWN, "20090525200000", "20090525200000"), true},
        {"other entry already executed", MakeEntry("a", TA_RECORD, "20090525200000", "20090525210000"),
         [] {
             cTimerEntry x = MakeEntry("b", TA_RECORD, "20090525200000", "20090525210000");
             x.SetZustand(STATE_EXECUTED);
             x.SetNextJobTime(cVLTime("20090525200000"));
             return x;
         }(),
         false},
    };
    for (const auto& c : cases) {
        host.file.clear();
        host.file.push_back(c.a);
        host.file.push_back(c.b);
        Load();
        // The check runs on the list as loaded: reset the states of the case.
        *Entry(0) = c.a;
        *Entry(1) = c.b;
        ConflictAnswer answer = {};
        int n = sched.CheckTimerConflicts(0, &answer, 0);
        EXPECT_EQ(n, c.conflict ? 1 : 0) << c.what;
        EXPECT_EQ(answer.count, c.conflict ? 1u : 0u) << c.what;
        if (c.conflict) {
            EXPECT_EQ(answer.ids[0], 1u) << c.what;
            EXPECT_EQ(Entry(1)->GetLog(), 4) << c.what;
        }
    }
}

TEST_F(SchedulerTest, ConflictAnswerHoldsAtMost1023IdsButMarksAll) {
    host.SetNow(2009, 5, 20, 12, 0, 0);
    for (int i = 0; i < 1030; ++i) host.file.push_back(MakeEntry("same", TA_RECORD, "20090525200000", "20090525210000"));
    Load();
    ConflictAnswer answer = {};
    EXPECT_EQ(sched.CheckTimerConflicts(0, &answer, 0), 1029);
    EXPECT_EQ(answer.count, 1023u);
    EXPECT_EQ(answer.ids[1022], 1023u);
    EXPECT_EQ(Entry(1029)->GetLog(), 4);
    EXPECT_EQ(sched.CheckTimerConflicts(5000, &answer, 0), 0);   // no such entry
}

TEST_F(SchedulerTest, RecheckMarksBothMembersOfEachPairAndClearsOldMarks) {
    host.SetNow(2009, 5, 20, 12, 0, 0);
    host.file.push_back(MakeEntry("a", TA_RECORD, "20090525200000", "20090525210000"));
    host.file.push_back(MakeEntry("b", TA_RECORD, "20090526200000", "20090526210000"));
    host.file.push_back(MakeEntry("c", TA_RECORD, "20090525203000", "20090525213000"));
    cTimerEntry stale = MakeEntry("d", TA_RECORD, "20090527200000", "20090527210000");
    stale.SetLog(4, 0);
    host.file.push_back(stale);
    Load();
    int saves = host.saves;
    sched.RecheckAllConflicts();
    EXPECT_EQ(Entry(0)->GetLog(), 4);
    EXPECT_EQ(Entry(1)->GetLog(), 0);
    EXPECT_EQ(Entry(2)->GetLog(), 4);
    EXPECT_EQ(Entry(3)->GetLog(), 0);
    EXPECT_EQ(host.saves, saves + 1);
}

}  // namespace
