// The job cycle driven by a test clock: timer phases, the command lines run
// for each action, the bookkeeping after a run and the saved list.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "fake_host.h"

namespace {

class CycleTest : public ::testing::Test {
protected:
    FakeHost host;
    cTimerScheduler sched{&host};
    HWND mainWindow = reinterpret_cast<HWND>(0x1234);   // never dereferenced by the fake

    // Ticks the timer once a second (as the one-second phases do) until a
    // command was run or the limit passed.
    void TickUntilCommand(size_t count, int maxSeconds) {
        for (int i = 0; i < maxSeconds && host.commands.size() < count; ++i) {
            host.Advance(1);
            sched.OnTimerTick();
        }
    }
    // Lets the scheduler's own timer drive the clock: each tick comes when
    // the interval it asked for has passed.
    void FollowTimersUntil(uint64_t end) {
        for (int i = 0; i < 100000 && host.now < end; ++i) {
            UINT wait = host.timers.empty() ? 1000 : host.timers.back();
            host.now += static_cast<uint64_t>(wait) * 10000;
            sched.OnTimerTick();
        }
    }
    std::vector<std::string> CommandsStartingWith(const char* prefix) const {
        std::vector<std::string> found;
        for (const auto& c : host.commands)
            if (c.rfind(prefix, 0) == 0) found.push_back(c);
        return found;
    }
    cTimerEntry* FileEntry(const char* name) {
        for (auto& e : host.file)
            if (strcmp(e.GetName(), name) == 0) return &e;
        return nullptr;
    }
};

TEST_F(CycleTest, RecordingRunsThroughEveryPhase) {
    host.mainWindow = mainWindow;
    host.SetNow(2009, 5, 20, 18, 0, 0);
    host.file.push_back(MakeEntry("Abendsendung", TA_RECORD, "20090520200000", "20090520210000"));
    sched.IniProgramm();
    ASSERT_FALSE(host.timers.empty());
    EXPECT_EQ(host.timers.back(), 2u * 3600 * 1000 - 180000);   // wakes three minutes early

    host.SetNow(2009, 5, 20, 19, 57, 0);
    sched.OnTimerTick();
    EXPECT_EQ(sched.GetPhase(), PHASE_PREROLL);
    EXPECT_EQ(host.timers.back(), 1000u);
    sched.OnTimerTick();   // still exactly 180 s ahead: not yet
    EXPECT_TRUE(host.commands.empty());

    TickUntilCommand(1, 10);
    ASSERT_EQ(host.commands.size(), 1u);
    EXPECT_EQ(host.commands[0], "tunerdeck.exe tunerdeck://|ChannelId|4711|1|0|");
    EXPECT_EQ(host.now, cw::Count(cVLTime("20090520195702")));   // one second for the command
    EXPECT_EQ(FileEntry("Abendsendung")->GetZustand(), STATE_PRESTARTED);
    EXPECT_EQ(sched.GetPhase(), PHASE_START_DUE);

    host.SetNow(2009, 5, 20, 19, 59, 58);
    TickUntilCommand(2, 10);
    ASSERT_EQ(host.commands.size(), 2u);
    EXPECT_EQ(host.commands[1], "tunerdeck.exe tunerdeck://|REC_START|Abendsendung|1|0|");
    EXPECT_EQ(host.now, cw::Count(cVLTime("20090520200001")));
    // After the start the list is reloaded and finds the job running.
    EXPECT_EQ(FileEntry("Abendsendung")->GetZustand(), STATE_RUNNING);
    EXPECT_STREQ(FileEntry("Abendsendung")->GetStatus(), "wird ausgeführt");
    EXPECT_EQ(sched.GetPhase(), PHASE_RUNNING);
    EXPECT_EQ(host.timers.back(), 3419000u);   // three minutes before the stop

    sched.OnTimerTick();
    EXPECT_EQ(sched.GetPhase(), PHASE_STOP_DUE);
    host.SetNow(2009, 5, 20, 20, 59, 58);
    TickUntilCommand(3, 10);
    ASSERT_EQ(host.commands.size(), 3u);
    EXPECT_EQ(host.commands[2], "tunerdeck.exe tunerdeck://|PLAY_STOP|1|0|");
    EXPECT_EQ(host.now, cw::Count(cVLTime("20090520210002")));
    EXPECT_EQ(FileEntry("Abendsendung")->GetZustand(), STATE_EXECUTED);
    EXPECT_STREQ(FileEntry("Abendsendung")->GetStatus(), "ausgeführt");
    EXPECT_EQ(FileEntry("Abendsendung")->GetLog(), 1);
    // Nothing is left to do.
    EXPECT_EQ(sched.GetCurrent(), nullptr);
    EXPECT_EQ(host.timers.back(), 900000000u);
}

TEST_F(CycleTest, CommandLinesOfEachAction) {
    struct Case {
        int action;
        bool mainWindowThere;
        std::vector<std::string> expected;
    } cases[] = {
        {TA_PLAY, true, {"tunerdeck.exe tunerdeck://|ChannelId|4711|1|3|"}},
        {TA_REMIND, true, {"tunerdeck.exe tunerdeck://|REMIND|Job"}},
        {TA_SHUTDOWN, true, {"tunerdeck.exe tunerdeck://|SHUTDOWN|Job|3"}},
        // Without a running player it is started first for a reminder.
        {TA_REMIND, false, {"tunerdeck.exe tunerdeck://", "tunerdeck.exe tunerdeck://|REMIND|Job"}},
    };
    for (const auto& c : cases) {
        FakeHost h;
        cTimerScheduler s(&h);
        h.mainWindow = c.mainWindowThere ? mainWindow : nullptr;
        h.windowAfterStart = mainWindow;
        h.SetNow(2009, 5, 20, 19, 59, 0);
        for (int i = 0; i < 3; ++i) h.file.push_back(MakeEntry("old", TA_PLAY, "20090510200000", "20090510210000"));
        h.file.push_back(MakeEntry("Job", c.action, "20090520200000", "20090520210000"));
        s.IniProgramm();
        for (int i = 0; i < 120 && h.commands.size() < c.expected.size(); ++i) {
            h.Advance(1);
            s.OnTimerTick();
        }
        EXPECT_EQ(h.commands, c.expected) << "action " << c.action;
    }
}

TEST_F(CycleTest, LongWaitsSleepInSteps) {
    host.SetNow(2009, 5, 20, 12, 0, 0);
    host.file.push_back(MakeEntry("far", TA_RECORD, "20090531120000", "20090531130000"));
    sched.IniProgramm();
    EXPECT_EQ(host.timers.back(), 900000000u);
    EXPECT_EQ(sched.GetPhase(), PHASE_IDLE);
    // When that timer runs out, the cycle leaves the idle phase (and asks
    // its window for a reload).
    sched.OnTimerTick();
    EXPECT_NE(sched.GetPhase(), PHASE_IDLE);

    host.file.clear();
    host.file.push_back(MakeEntry("near", TA_RECORD, "20090530120000", "20090530130000"));
    sched.IniProgramm();   // 10 days: still within one timer
    EXPECT_EQ(host.timers.back(), 10u * 86400 * 1000 - 180000);
}

TEST_F(CycleTest, RepeatingRecordingLeavesARunCopyAndMovesOn) {
    host.mainWindow = mainWindow;
    host.SetNow(2009, 5, 20, 19, 58, 0);
    host.file.push_back(MakeEntry("daily", TA_RECORD, "20090518200000", "20090518210000", 1));
    sched.IniProgramm();
    TickUntilCommand(2, 200);
    ASSERT_EQ(host.commands.size(), 2u);
    ASSERT_EQ(host.file.size(), 2u);
    EXPECT_EQ(host.file[0].GetZustand(), STATE_SCHEDULED);
    EXPECT_STREQ(host.file[0].GetNextJobTime().GetTime(), "20090521200000");
    EXPECT_EQ(host.file[1].GetZustand(), STATE_RUNNING);
    EXPECT_EQ(host.file[1].GetWiederholung(), 0);
    EXPECT_STREQ(host.file[1].GetWiederholungTxt(), "---");
    EXPECT_STREQ(host.file[1].GetStartTime().GetTime(), "20090520200000");
    EXPECT_STREQ(host.file[1].GetStopTime().GetTime(), "20090520210000");
    EXPECT_EQ(sched.GetCurrent()->GetWiederholung(), 0);
    EXPECT_EQ(sched.GetPhase(), PHASE_RUNNING);

    host.SetNow(2009, 5, 20, 21, 0, 0);
    sched.OnTimerTick();
    TickUntilCommand(3, 5);
    ASSERT_EQ(host.commands.size(), 3u);
    EXPECT_EQ(host.commands[2], "tunerdeck.exe tunerdeck://|PLAY_STOP|1|1|");
    EXPECT_EQ(host.file[1].GetZustand(), STATE_EXECUTED);
    // The next day's run is the next job.
    EXPECT_STREQ(sched.GetCurrent()->GetName(), "daily");
}

// The stop of one recording takes the start second of the next (the stop
// fires a second late, the command and the save take more): the next one
// still runs, late by those seconds, and is stopped at its own end. When it
// records the same station the first one ends with its recording only, so
// the station plays on into the second; another station, or a gap between
// the two, stops the playing as usual.
TEST_F(CycleTest, BackToBackRecordingsBothRun) {
    const char* const kRecStop = "tunerdeck.exe tunerdeck://|REC_STOP|1|0|";
    const char* const kPlayStop = "tunerdeck.exe tunerdeck://|PLAY_STOP|1|0|";
    struct Case {
        const char* what;
        const char* secondStart;
        int secondRepeat;
        uint64_t commandSeconds;
        unsigned long secondChannel;
        const char* firstStop;
    } cases[] = {
        {"start equals the stop", "20090520210000", 0, 1, 4711, kRecStop},
        {"start one second after the stop", "20090520210001", 0, 1, 4711, kRecStop},
        {"slow commands", "20090520210001", 0, 4, 4711, kRecStop},
        {"repeating second entry", "20090520210000", 1, 2, 4711, kRecStop},
        {"another station", "20090520210000", 0, 1, 815, kPlayStop},
        {"a gap between the two", "20090520210500", 0, 1, 4711, kPlayStop},
    };
    for (const auto& c : cases) {
        FakeHost h;
        cTimerScheduler s(&h);
        h.mainWindow = mainWindow;
        h.commandSeconds = c.commandSeconds;
        h.SetNow(2009, 5, 20, 19, 50, 0);
        h.file.push_back(MakeEntry("first", TA_RECORD, "20090520200000", "20090520210000"));
        std::string stop = std::string(c.secondStart).substr(0, 8) + "220000";
        h.file.push_back(MakeEntry("second", TA_RECORD, c.secondStart, stop.c_str(), c.secondRepeat));
        h.file.back().SetChannelID(c.secondChannel);
        s.IniProgramm();
        uint64_t secondStartedAt = 0;
        for (int i = 0; i < 3 * 3600 && h.now < cw::Count(cVLTime("20090520230000")); ++i) {
            // The scheduler's own intervals drive the clock.
            UINT wait = h.timers.empty() ? 1000 : h.timers.back();
            h.now += static_cast<uint64_t>(wait > 1000 ? 1000 : wait) * 10000;
            const size_t before = h.commands.size();
            s.OnTimerTick();
            if (h.commands.size() > before && h.commands.back().find("REC_START|second") != std::string::npos)
                secondStartedAt = h.now;
        }
        const std::string channel = std::to_string(c.secondChannel);
        std::vector<std::string> expected = {
            "tunerdeck.exe tunerdeck://|ChannelId|4711|1|0|", "tunerdeck.exe tunerdeck://|REC_START|first|1|0|",
            c.firstStop, "tunerdeck.exe tunerdeck://|ChannelId|" + channel + "|1|1|",
            "tunerdeck.exe tunerdeck://|REC_START|second|1|1|", "tunerdeck.exe tunerdeck://|PLAY_STOP|1|",
        };
        ASSERT_EQ(h.commands.size(), expected.size()) << c.what;
        for (size_t i = 0; i < expected.size(); ++i)
            EXPECT_EQ(h.commands[i].rfind(expected[i], 0), 0u) << c.what << ": " << h.commands[i];
        for (const auto& e : h.file) {
            if (e.GetWiederholung() > 0) continue;
            EXPECT_EQ(e.GetZustand(), STATE_EXECUTED) << c.what << ": " << e.GetName();
        }
        // Late only by the commands themselves and a quick poll each: not a
        // second of waiting for each phase on top.
        const uint64_t due = std::max(cw::Count(cVLTime(c.secondStart)), cw::Count(cVLTime("20090520210001")));
        EXPECT_LE(secondStartedAt, due + (3 * c.commandSeconds + 1) * kTicksPerSecond) << c.what;
    }
}

// A reminder or shut-down whose time passed while the computer slept is
// booked as missed instead of popping up hours late.
TEST_F(CycleTest, StaleReminderAndShutDownAreNotRun) {
    struct Case {
        int action;
        int lateSeconds;
        bool runs;
    } cases[] = {
        {TA_REMIND, 30, true},
        {TA_REMIND, 2 * 3600, false},
        {TA_SHUTDOWN, 60, true},
        {TA_SHUTDOWN, 3600, false},
    };
    for (const auto& c : cases) {
        FakeHost h;
        cTimerScheduler s(&h);
        h.mainWindow = mainWindow;
        h.SetNow(2009, 5, 20, 19, 59, 0);
        h.file.push_back(MakeEntry("Job", c.action, "20090520200000", "20090520200000"));
        s.IniProgramm();
        s.OnTimerTick();   // woken for the job
        h.SetNow(2009, 5, 20, 20, 0, 0);
        h.Advance(c.lateSeconds);
        s.OnTimerTick();
        EXPECT_EQ(h.commands.size(), c.runs ? 1u : 0u) << c.action << " late " << c.lateSeconds;
        EXPECT_EQ(h.file[0].GetZustand(), c.runs ? STATE_EXECUTED : STATE_NOT_EXECUTED)
            << c.action << " late " << c.lateSeconds;
    }
}

// A daily job leaves a copy per run; only the latest ones stay, so the list
// does not grow for ever.
TEST_F(CycleTest, RepeatingJobKeepsABoundedHistory) {
    host.mainWindow = mainWindow;
    host.SetNow(2009, 5, 1, 12, 0, 0);
    host.file.push_back(MakeEntry("keep", TA_PLAY, "20090610200000", "20090610210000"));
    host.file.push_back(MakeEntry("daily", TA_RECORD, "20090501200000", "20090501203000", 1));
    sched.IniProgramm();
    FollowTimersUntil(cw::Count(cVLTime("20090601000000")));
    EXPECT_EQ(CommandsStartingWith("tunerdeck.exe tunerdeck://|REC_START|daily").size(), 31u);
    size_t copies = 0;
    for (const auto& e : host.file)
        if (strcmp(e.GetName(), "daily") == 0 && e.GetWiederholung() == 0) {
            ++copies;
            EXPECT_EQ(e.GetZustand(), STATE_EXECUTED);
        }
    EXPECT_EQ(copies, 10u);
    ASSERT_NE(FileEntry("keep"), nullptr);
    // The newest runs are the ones kept.
    EXPECT_STREQ(host.file.back().GetStartTime().GetTime(), "20090531200000");
    ASSERT_NE(sched.GetCurrent(), nullptr);
    EXPECT_LT(sched.GetCurrent()->GetId(), host.file.size());
}

TEST_F(CycleTest, RunThatPassedWhileAsleepIsNotStarted) {
    host.mainWindow = mainWindow;
    host.SetNow(2009, 5, 20, 19, 50, 0);
    host.file.push_back(MakeEntry("slept", TA_RECORD, "20090520200000", "20090520210000"));
    sched.IniProgramm();
    sched.OnTimerTick();   // phase 1
    host.SetNow(2009, 5, 20, 23, 0, 0);   // the computer woke long after the stop
    sched.OnTimerTick();
    EXPECT_TRUE(host.commands.empty());
    EXPECT_EQ(host.file[0].GetZustand(), STATE_NOT_EXECUTED);
    EXPECT_EQ(host.file[0].GetOK(), 0);
}

TEST_F(CycleTest, RunningJobFoundEndedIsStoppedOnce) {
    host.mainWindow = mainWindow;
    host.SetNow(2009, 5, 20, 23, 0, 0);
    cTimerEntry e = MakeEntry("overslept", TA_RECORD, "20090520200000", "20090520210000");
    e.SetZustand(STATE_RUNNING);
    e.SetNextJobTime(e.GetStartTime());
    host.file.push_back(e);
    sched.IniProgramm();
    ASSERT_EQ(host.commands.size(), 1u);
    EXPECT_EQ(host.commands[0], "tunerdeck.exe tunerdeck://|PLAY_STOP|1|0|");
    EXPECT_EQ(host.file[0].GetZustand(), STATE_EXECUTED);
    sched.IniProgramm();
    EXPECT_EQ(host.commands.size(), 1u);
}

TEST_F(CycleTest, NamesCannotBreakTheCommandLine) {
    char out[1024];
    EXPECT_TRUE(BuildCommandLine(out, sizeof(out), CMD_REC_START, "a|b\nc\xA0" "d", 1, 0, 7));
    EXPECT_STREQ(out, "tunerdeck.exe tunerdeck://|REC_START|a_b_c_d|0|7|");
    EXPECT_TRUE(BuildCommandLine(out, sizeof(out), CMD_REMIND, "", 1, 0, 7));
    EXPECT_STREQ(out, "tunerdeck.exe tunerdeck://|REMIND|_");
    std::string longName(1000, 'x');
    EXPECT_FALSE(BuildCommandLine(out, sizeof(out), CMD_SHUTDOWN, longName.c_str(), 1, 0, 7));
    EXPECT_STREQ(out, "");
    std::string fits(1024 - strlen("tunerdeck.exe tunerdeck://|REC_START|") - strlen("|1|4|") - 1, 'y');
    EXPECT_TRUE(BuildCommandLine(out, sizeof(out), CMD_REC_START, fits.c_str(), 1, 1, 4));
    EXPECT_FALSE(BuildCommandLine(out, sizeof(out), CMD_REC_START, (fits + "y").c_str(), 1, 1, 4));
}

TEST_F(CycleTest, EntryWhoseCommandDoesNotFitIsNotExecuted) {
    host.mainWindow = mainWindow;
    host.SetNow(2009, 5, 20, 19, 59, 50);
    std::string name(1010, 'n');
    host.file.push_back(MakeEntry(name.c_str(), TA_REMIND, "20090520200000", "20090520200000"));
    sched.IniProgramm();
    TickUntilCommand(1, 30);
    EXPECT_TRUE(host.commands.empty());
    EXPECT_EQ(host.file[0].GetZustand(), STATE_NOT_EXECUTED);
}

// The player wrote the list between this process's load and its save: its
// changes survive, and this process's bookkeeping is carried over.
TEST_F(CycleTest, SaveKeepsThePlayersConcurrentChanges) {
    host.mainWindow = mainWindow;
    host.SetNow(2009, 5, 20, 19, 56, 0);
    host.file.push_back(MakeEntry("rec", TA_RECORD, "20090520200000", "20090520210000"));
    host.file.push_back(MakeEntry("other", TA_PLAY, "20090521200000", "20090521210000"));
    sched.IniProgramm();
    sched.OnTimerTick();   // phase 1
    // The user adds an entry in front and removes "other".
    host.file.insert(host.file.begin(), MakeEntry("new", TA_PLAY, "20090522200000", "20090522210000"));
    host.file.pop_back();
    host.SetNow(2009, 5, 20, 19, 57, 0);
    TickUntilCommand(1, 10);   // pre-roll saves the list
    ASSERT_EQ(host.commands.size(), 1u);
    ASSERT_EQ(host.file.size(), 2u);
    EXPECT_STREQ(host.file[0].GetName(), "new");
    EXPECT_STREQ(host.file[1].GetName(), "rec");
    EXPECT_EQ(host.file[1].GetZustand(), STATE_PRESTARTED);
    // The cycle goes on with the same job.
    ASSERT_NE(sched.GetCurrent(), nullptr);
    EXPECT_STREQ(sched.GetCurrent()->GetName(), "rec");
    host.SetNow(2009, 5, 20, 19, 59, 59);
    TickUntilCommand(2, 5);
    ASSERT_EQ(host.commands.size(), 2u);
    EXPECT_EQ(host.commands[1], "tunerdeck.exe tunerdeck://|REC_START|rec|1|1|");
}

// The player rewrites the list from its older copy right after a start (as
// it does when it handles the scheduler's command line): a reload must not
// lose the job under way, or it would never be stopped.
TEST_F(CycleTest, RunningJobSurvivesAReloadOfAnOlderList) {
    struct Case {
        const char* what;
        int repeat;
        bool deleted;
        size_t commands;
    } cases[] = {
        {"one-time", 0, false, 3},
        {"repeating", 1, false, 3},
        {"deleted by the user", 0, true, 2},
    };
    for (const auto& c : cases) {
        FakeHost h;
        cTimerScheduler s(&h);
        h.mainWindow = mainWindow;
        h.SetNow(2009, 5, 20, 19, 59, 58);
        h.file.push_back(MakeEntry("job", TA_RECORD, "20090520200000", "20090520210000", c.repeat));
        s.IniProgramm();
        std::vector<cTimerEntry> before = h.file;
        for (int i = 0; i < 5 && h.commands.size() < 2; ++i) {
            h.Advance(1);
            s.OnTimerTick();
        }
        ASSERT_EQ(h.commands.size(), 2u) << c.what;
        h.file = before;
        if (c.deleted) h.file.clear();
        s.OnReload();
        h.SetNow(2009, 5, 20, 21, 0, 0);
        for (int i = 0; i < 5 && h.commands.size() < 3; ++i) {
            h.Advance(1);
            s.OnTimerTick();
        }
        EXPECT_EQ(h.commands.size(), c.commands) << c.what;
        if (c.commands == 3) {
            EXPECT_EQ(h.commands[2].rfind("tunerdeck.exe tunerdeck://|PLAY_STOP|", 0), 0u) << c.what;
        }
    }
}

// The same when the player writes between the load and the first save of
// a reload: the job chosen by that reload survives the merge.
TEST_F(CycleTest, ReloadKeepsItsJobWhenTheFileChangesUnderIt) {
    host.SetNow(2009, 5, 20, 12, 0, 0);
    host.file.push_back(MakeEntry("old", TA_PLAY, "20090519200000", "20090519210000"));
    host.file.push_back(MakeEntry("job", TA_RECORD, "20090520200000", "20090520210000"));
    host.writeAtLock = 2;   // 1: the load, 2: the save after the check
    host.otherWriter = [this] {
        host.file.erase(host.file.begin());
        host.file.push_back(MakeEntry("added", TA_PLAY, "20090521200000", "20090521210000"));
    };
    sched.IniProgramm();
    ASSERT_EQ(host.file.size(), 2u);
    EXPECT_STREQ(host.file[0].GetName(), "job");
    EXPECT_STREQ(host.file[0].GetStatus(), "eingeplant");
    EXPECT_STREQ(host.file[1].GetName(), "added");
    ASSERT_NE(sched.GetCurrent(), nullptr);
    EXPECT_STREQ(sched.GetCurrent()->GetName(), "job");
    EXPECT_EQ(sched.GetRunningId(), 0);
    EXPECT_EQ(host.timers.back(), 8u * 3600 * 1000 - 180000);
}

}  // namespace
