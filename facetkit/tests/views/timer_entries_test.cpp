// Timer entries: unique names, copy times, the scheduler's overlap answer
// read within its payload, the overlap text, and the operations against a
// host callback, a stand-in editor and a stand-in scheduler window.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "bounded_text.h"
#include "library_state.h"
#include "list_store.h"
#include "recording_record.h"
#include "timer_entries.h"
#include "timerentry.h"
#include "view_notices.h"
#include "vltime.h"

namespace {

cListe* Timers() { return GetListStore().List(LS_TIMER_ENTRIES); }

cTimerEntry* AddEntry(const char* name, unsigned long id = 0) {
    auto* e = new cTimerEntry();
    e->SetName(name);
    e->SetId(id);
    Timers()->Add(e);
    return e;
}

std::vector<std::string> Names() {
    std::vector<std::string> out;
    for (cListElement* e = Timers()->First(); e; e = e->Next()) out.push_back(static_cast<cTimerEntry*>(e)->GetName());
    return out;
}

TEST(TimerRules, UniqueNames) {
    Timers()->Delete();
    char name[64] = "Show";
    MakeUniqueTimerName(Timers(), name, sizeof name);
    EXPECT_STREQ(name, "Show");
    AddEntry("Show");
    MakeUniqueTimerName(Timers(), name, sizeof name);
    EXPECT_STREQ(name, "Show_1");
    AddEntry("Show_1");
    bk::TextCopy(name, "Show");
    MakeUniqueTimerName(Timers(), name, sizeof name);
    EXPECT_STREQ(name, "Show_2");
    bk::TextCopy(name, "show");
    MakeUniqueTimerName(Timers(), name, sizeof name);
    EXPECT_STREQ(name, "show");
    Timers()->Delete();
}

TEST(TimerRules, CopyStartsTwoMinutesAfterTheSourceEnds) {
    cTimerEntry source;
    source.SetStartTime(cVLTime(2026, 12, 10, 21, 0, 0));
    source.SetStopTime(cVLTime(2026, 12, 10, 22, 0, 0));
    source.SetNextJobTime(cVLTime(2026, 12, 11, 21, 0, 0));
    source.SetWiederholung(1);
    cTimerEntry copy(&source);
    CopyTimerTimes(source, &copy);
    EXPECT_STREQ(copy.GetStartTime().GetTime(), "20261211220200");
    EXPECT_STREQ(copy.GetStopTime().GetTime(), "00000000000000");
    EXPECT_EQ(copy.GetWiederholung(), 0);

    // Next run after the stop on the same day: one more day.
    source.SetNextJobTime(cVLTime(2026, 12, 11, 23, 0, 0));
    CopyTimerTimes(source, &copy);
    EXPECT_STREQ(copy.GetStartTime().GetTime(), "20261212220200");
    // A reminder has no stop of its own: its start counts; no next run.
    source.SetAction(TA_REMIND);
    source.SetNextJobTime(cVLTime("00000000000000"));
    CopyTimerTimes(source, &copy);
    EXPECT_STREQ(copy.GetStartTime().GetTime(), "20261210210200");
    // Month and year end roll over.
    EXPECT_STREQ(AddSeconds(cVLTime(2026, 12, 31, 23, 59, 0), 120).GetTime(), "20270101000100");
}

TEST(TimerRules, OverlapAnswerIsReadWithinItsPayload) {
    auto answer = [](uint32_t n, std::vector<uint32_t> ids) {
        std::string bytes(reinterpret_cast<char*>(&n), 4);
        for (uint32_t id : ids) bytes.append(reinterpret_cast<char*>(&id), 4);
        return bytes;
    };
    using V = std::vector<uint32_t>;
    std::string a = answer(2, {7, 9});
    EXPECT_EQ(ParseOverlapAnswer(a.data(), a.size()), (V{7, 9}));
    a = answer(1000000, {7, 9});
    EXPECT_EQ(ParseOverlapAnswer(a.data(), a.size()), (V{7, 9}));
    a = answer(2, {7, 9});
    EXPECT_EQ(ParseOverlapAnswer(a.data(), a.size() - 1), (V{7}));
    EXPECT_EQ(ParseOverlapAnswer(a.data(), 3), V{});
    EXPECT_EQ(ParseOverlapAnswer(nullptr, 100), V{});
    a = answer(0, {1});
    EXPECT_EQ(ParseOverlapAnswer(a.data(), a.size()), V{});
    std::vector<uint32_t> many(5000, 3);
    a = answer(5000, many);
    EXPECT_EQ(ParseOverlapAnswer(a.data(), a.size()).size(), 1023u);
}

const cTimerEntry* Lookup(void* context, uint32_t id) {
    auto* list = static_cast<std::vector<cTimerEntry*>*>(context);
    return id < list->size() ? (*list)[id] : nullptr;
}

TEST(TimerRules, OverlapTextNamesKnownEntriesAndStaysInItsBuffer) {
    cTimerEntry a, b;
    a.SetName("Morning");
    a.SetStartTime(cVLTime(2026, 12, 24, 8, 5, 0));
    a.SetStopTime(cVLTime(2026, 12, 24, 9, 30, 0));
    b.SetName("Daily");
    b.SetWiederholung(1);
    b.SetStartTime(cVLTime(2026, 1, 1, 1, 0, 0));
    b.SetNextJobTime(cVLTime(2026, 12, 25, 7, 0, 0));
    b.SetStopTime(cVLTime(2026, 1, 1, 8, 0, 0));
    std::vector<cTimerEntry*> list = {&a, &b};
    char text[4096];
    BuildOverlapText({0, 5, 1}, Lookup, &list, 2, text, sizeof text);
    const std::string s = text;
    EXPECT_EQ(s.find("This timerentry overlaps with:"), 0u) << s;
    EXPECT_NE(s.find("Morning"), std::string::npos);
    EXPECT_NE(s.find("24.12.2026 from 08:05 to 09:30"), std::string::npos) << s;
    EXPECT_NE(s.find("25.12.2026 from 07:00 to 08:00"), std::string::npos) << s;

    std::vector<uint32_t> ids(1023, 0);
    char small[600];
    BuildOverlapText(ids, Lookup, &list, 2, small, sizeof small);
    EXPECT_LT(strlen(small), sizeof small);
}

TEST(TimerRules, RecordingRecordIsCompletedFromTheDefaults) {
    RecordingStartRecord r;
    InitHandRecording(&r, -1, "My Stream");
    EXPECT_EQ(r.timerEntryId, -1);
    EXPECT_STREQ(r.name, "My Stream");
    RecordingDefaults d = {"CD", "Auto", 192, 2, 1};
    CompleteRecordingRecord(&r, d);
    EXPECT_STREQ(r.quality, "CD");
    EXPECT_STREQ(r.cutProfile, "Auto");
    EXPECT_EQ(r.mp3Bitrate, 192u);
    EXPECT_EQ(r.mp3Channels, 2);
    EXPECT_EQ(r.mp3Vbr, 1);
    InitHandRecording(&r, 42, "Station");
    EXPECT_STREQ(r.name, "");
    bk::TextCopy(r.quality, sizeof r.quality, "Own");
    r.mp3Channels = 0;
    CompleteRecordingRecord(&r, d);
    EXPECT_STREQ(r.quality, "Own");
    EXPECT_EQ(r.mp3Channels, 0);
}

// ---- operations against the host callback and stand-in editor -------------------

std::vector<std::string> g_host;
int HostFake(int code, int ch, void* text) {
    if (code == 54 && text) bk::TextCopy(static_cast<char*>(text), 1024, "Radio X");
    if (code == 53) {
        std::string s = "save";
        for (const std::string& n : Names()) s += " " + n;
        g_host.push_back(s);
    } else if (code != 28) {
        g_host.push_back("cb " + std::to_string(code) + " " + std::to_string(ch));
    }
    return 0;
}
int g_editorAnswer = 1;
std::string g_editorName;
int EditorFake(cTimerEntry* e) {
    if (!g_editorName.empty()) e->SetName(g_editorName.c_str());
    return g_editorAnswer;
}
std::vector<std::string> g_notices;
int g_noticeAnswer = 0;
int NoticeFake(const NoticeRequest& request, bool) {
    g_notices.push_back(request.text ? request.text : "");
    return g_noticeAnswer;
}

class TimerOps : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = Library().callback;
        Library().callback = HostFake;
        SetTimerEditorHook(EditorFake);
        SetNoticeHook(NoticeFake);
        SetSchedulerReloadPause(0);
        Timers()->Delete();
        g_host.clear();
        g_notices.clear();
        g_editorAnswer = 1;
        g_editorName.clear();
        g_noticeAnswer = 0;
    }
    void TearDown() override {
        Library().callback = saved_;
        SetTimerEditorHook(nullptr);
        SetNoticeHook(nullptr);
        Timers()->Delete();
    }
    HostEventCallback saved_;
};

TEST_F(TimerOps, NewEntriesGetCleanUniqueNamesAndOfferTheScheduler) {
    g_editorName = "Late Show";
    NewTimerEntry(5);
    NewTimerEntry(5);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Late_Show", "Late_Show_1"}));
    auto* e = static_cast<cTimerEntry*>(Timers()->First());
    EXPECT_STREQ(e->GetSendername(), "Radio X");
    EXPECT_EQ(e->GetChannelID(), 5u);
    EXPECT_EQ(e->GetLog(), 0);
    EXPECT_EQ(e->GetOK(), 1);
    // No scheduler runs: every save ends with the offer to start it.
    EXPECT_EQ(g_notices.size(), 2u);
    EXPECT_EQ(g_host.back(), "save Late_Show Late_Show_1");

    g_editorAnswer = 0;
    NewTimerEntry(0);
    EXPECT_EQ(Names().size(), 2u);
}

TEST_F(TimerOps, EditingWorksOnACopyAndSkipsUnsavedEntries) {
    AddEntry("A");
    AddEntry("B")->SetLog(TIMER_LOG_NOT_SAVED, 0);
    g_editorName = "A2";
    EditTimerEntry(2, 0, 0);  // B: log state 2, no editor
    EXPECT_EQ(Names(), (std::vector<std::string>{"A", "B"}));
    EditTimerEntry(1, 0, 0);
    EXPECT_EQ(Names(), (std::vector<std::string>{"B", "A2"}));
    EXPECT_EQ(g_host[0], "save B");
    g_editorAnswer = 0;
    EditTimerEntry(2, 0, 0);
    EXPECT_EQ(Names(), (std::vector<std::string>{"B", "A2"}));
    EditTimerEntry(99, 0, 0);
}

TEST_F(TimerOps, ProtocolEntryNameIsMadeFitForAFile) {
    const char* fields[9] = {"..\\evil:x", "7", "20261210120000", nullptr, "1", nullptr, nullptr, nullptr, nullptr};
    TimerEntryFromProtocol(fields);
    ASSERT_EQ(Names().size(), 1u);
    EXPECT_EQ(Names()[0].find_first_of("\\:/ "), std::string::npos);
    auto* e = static_cast<cTimerEntry*>(Timers()->First());
    EXPECT_STREQ(e->GetStopTime().GetTime(), "20261210120000");
    EXPECT_EQ(e->GetAction(), 1);
}

TEST_F(TimerOps, DeleteAndSwitchAskAndSave) {
    AddEntry("A")->SetLog(1, 1);
    AddEntry("B")->SetLog(4, 1);
    AddEntry("C")->SetLog(0, 1);
    DeleteExpiredTimerEntries();
    EXPECT_EQ(Names().size(), 3u);
    g_noticeAnswer = 1;
    DeleteExpiredTimerEntries();
    EXPECT_EQ(Names(), (std::vector<std::string>{"B", "C"}));
    DeleteTimerEntry(0);
    EXPECT_EQ(Names(), (std::vector<std::string>{"C"}));
    // The question names the entry; then, with no scheduler, the start offer.
    ASSERT_GE(g_notices.size(), 2u);
    EXPECT_NE(g_notices[g_notices.size() - 2].find("\"B\""), std::string::npos);
    SetTimerEntryActive(0, 0);
    EXPECT_EQ(static_cast<cTimerEntry*>(Timers()->First())->GetActive(), 0);
    DeleteTimerEntry(5);
}

// A stand-in scheduler window records what it is sent and answers the
// overlap question with its own reply.
std::vector<std::string> g_scheduler;
LRESULT CALLBACK SchedulerProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_SCHEDULER_RELOAD || m == WM_SCHEDULER_RECHECK) g_scheduler.push_back(std::to_string(m));
    if (m == WM_COPYDATA) {
        auto* cds = reinterpret_cast<COPYDATASTRUCT*>(l);
        g_scheduler.push_back("question " + std::to_string(w) + " " +
                              static_cast<TimerEntryRecord*>(cds->lpData)->name);
        return 1;
    }
    return DefWindowProcA(h, m, w, l);
}

TEST_F(TimerOps, TheRunningSchedulerReloadsAndIsAskedAboutTheEntry) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = SchedulerProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kTimerSchedulerClass;
    RegisterClassA(&wc);
    HWND s = CreateWindowA(kTimerSchedulerClass, "", 0, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(s);
    g_scheduler.clear();
    g_editorName = "News";
    NewTimerEntry(0);
    EXPECT_TRUE(g_notices.empty());
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    ASSERT_GE(g_scheduler.size(), 2u);
    EXPECT_EQ(g_scheduler[0], "1124");
    EXPECT_EQ(g_scheduler[1], "question 0 News");
    g_scheduler.clear();
    SetTimerEntryActive(0, 1);
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    EXPECT_EQ(g_scheduler, (std::vector<std::string>{"1124", "1186"}));
    DestroyWindow(s);
}

TEST_F(TimerOps, RecordingRequestsGoToTheHost) {
    StartRecording(nullptr);
    StopRecording();
    EXPECT_EQ(g_host, (std::vector<std::string>{"cb 38 0", "cb 39 0"}));
}

}  // namespace
