// The player-status reporter: in-process against a recording player, and
// remote as records to a status window in another process.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "playerstatus.h"
#include "statusrecords.h"
#include "tdtest.h"
#include "win_handles.h"

namespace {

// Catalogue text as the reporter loads it (German). Every text the
// reporter sends exists: an absent one would pass as "" == "".
std::string Msg(unsigned id) {
    char buf[512] = {};
    LoadStringA(GetModuleHandleA("basekit.dll"), id, buf, sizeof buf);
    EXPECT_NE(buf[0], 0) << "catalogue text " << id;
    return buf;
}

class FakeTimer : public bk::ListenTimerSlots {
public:
    void OnConnected() override { ++connected; }
    void OnFirstData() override { ++firstData; }
    int OnStop(int quality) override {
        stopQuality = quality;
        return stopResult;
    }
    uint32_t GetStartupDelay() const override { return 0; }
    std::atomic<int> connected{0}, firstData{0};
    int stopQuality = -1;
    int stopResult = 1;
};

// Records every call the reporter makes on the player.
class FakePlayer : public cRadioPlayerInfo {
public:
    void SetMyStreamInfo(unsigned long t, unsigned long m, unsigned long p, char* title, char* author) override {
        Add("info " + std::to_string(t) + "/" + std::to_string(m) + "/" + std::to_string(p) + " " +
            (title ? title : "(null)") + " " + (author ? author : "(null)"));
    }
    void SetMyStreamRunInfo(unsigned long a, unsigned long b, unsigned long c, unsigned long d) override {
        Add("run " + std::to_string(a) + "," + std::to_string(b) + "," + std::to_string(c) + "," + std::to_string(d));
    }
    int SendStatus(char* text, int code) override {
        if (code == 14) {
            ++ticks;
            return 1;
        }
        Add("status " + std::to_string(code) + " " + (text ? text : "(null)"));
        return 1;
    }
    void ExtLog(char* text, int) override {
        std::lock_guard<std::mutex> lock(mu);
        logs.push_back(text ? text : "");
    }
    void Stop(int reason) override { Add("stop " + std::to_string(reason)); }
    unsigned long GetStatus() override { return status; }
    void SetActiveXStatus(unsigned long s) override { Add("activex " + std::to_string(s)); }
    bk::ListenTimerSlots* GetListenTimer() override { return &timer; }
    void OnFinishedPlaying(int hasError) override { Add("finished " + std::to_string(hasError)); }
    void SetExtraValue(int) override {}
    cSettingsInterface* GetSettings() override { return hasSettings ? reinterpret_cast<cSettingsInterface*>(this) : nullptr; }
    int GetStationAirInfo(char* buffer100) override {
        memcpy(buffer100, airInfo.data(), std::min<size_t>(airInfo.size(), 100));
        return airResult;
    }
    void OnBufferingStart() override { ++bufferingStarts; }
    int GetTimeout() override { return timeout; }
    int GetLanguage() override { return 1; }

    std::vector<std::string> Calls() {
        std::lock_guard<std::mutex> lock(mu);
        return calls;
    }
    std::vector<std::string> Statuses() {
        std::vector<std::string> out;
        for (auto& c : Calls())
            if (c.compare(0, 7, "status ") == 0) out.push_back(c);
        return out;
    }
    void Clear() {
        std::lock_guard<std::mutex> lock(mu);
        calls.clear();
    }
    size_t Count(const std::string& call) {
        auto all = Calls();
        return static_cast<size_t>(std::count(all.begin(), all.end(), call));
    }

    std::mutex mu;
    std::vector<std::string> calls, logs;
    FakeTimer timer;
    std::atomic<unsigned long> status{0};
    std::atomic<int> ticks{0}, bufferingStarts{0};
    int timeout = 60;
    bool hasSettings = true;
    std::string airInfo = "0";
    int airResult = 1;

private:
    void Add(const std::string& s) {
        std::lock_guard<std::mutex> lock(mu);
        calls.push_back(s);
    }
};

std::string St(int code, const std::string& text) { return "status " + std::to_string(code) + " " + text; }

TEST(StatusReporterInProcess, ResetAnnouncesTrackOneUnlessAskedNotTo) {
    FakePlayer player;
    cSendRunTimeInfo reporter(&player);
    EXPECT_EQ(player.Calls(), (std::vector<std::string>{St(1, "0"), "info 0/0/0 " + Msg(372) + " (null)"}));
    player.Clear();
    reporter.Reset(1);
    EXPECT_EQ(player.Calls(), (std::vector<std::string>{St(1, "0"), "info 0/0/0 (null) (null)"}));
    EXPECT_EQ(reporter.GetPlaystate(), 1);
}

// One engine report on a fresh reporter: the statuses it gives and the play
// state it leaves.
struct StateRow {
    unsigned long input;
    unsigned char state;
    std::vector<std::string> statuses;
};

void CheckStateRows(const std::vector<StateRow>& rows, void (cSendRunTimeInfo::*report)(unsigned long)) {
    for (const StateRow& row : rows) {
        SCOPED_TRACE(row.input);
        FakePlayer player;
        cSendRunTimeInfo reporter(&player);
        player.Clear();
        (reporter.*report)(row.input);
        EXPECT_EQ(player.Statuses(), row.statuses);
        EXPECT_EQ(reporter.GetPlaystate(), row.state);
    }
}

const std::string kRun = St(9, "playerstate: run");

TEST(StatusReporterInProcess, EnginePlayStatesGiveTheirStatusesAndPlayState) {
    CheckStateRows({{0, 1, {St(1, "0"), St(0, Msg(287)), St(8, "playerstate: stop")}},
                    {8, 1, {St(1, "0"), St(0, Msg(287)), St(8, "playerstate: stop")}},
                    {1, 5, {St(0, Msg(296)), St(10, "playerstate: pause")}},
                    {2, 4, {St(0, Msg(297)), kRun}},
                    {3, 6, {kRun, St(13, Msg(298))}},
                    {4, 6, {kRun, St(0, Msg(299))}},
                    {5, 6, {kRun, St(0, Msg(300))}},
                    {6, 6, {kRun, St(13, Msg(301))}},
                    {7, 6, {kRun, St(13, Msg(302))}},
                    {9, 1, {}}},   // unknown engine states are ignored
                   &cSendRunTimeInfo::OnPlayState);
}

TEST(StatusReporterInProcess, OpenStatesGiveTheirStatusesAndPlayState) {
    CheckStateRows({{0, 1, {St(1, "0"), St(0, Msg(287)), St(8, "playerstate: stop")}},
                    {1, 6, {kRun, St(13, Msg(303))}},
                    {2, 6, {kRun, St(13, Msg(303))}},
                    {3, 6, {kRun, St(1, "0"), St(13, Msg(304))}},
                    {4, 6, {kRun, St(13, Msg(305))}},
                    {5, 6, {kRun, St(13, Msg(306))}},
                    {6, 5, {St(10, "playerstate: pause"), St(13, Msg(307))}},
                    {7, 1, {}}},
                   &cSendRunTimeInfo::OnOpenState);
}

TEST(StatusReporterInProcess, EveryStatusTextExistsInGermanAndEnglish) {
    HMODULE basekit = GetModuleHandleA("basekit.dll");
    for (unsigned id : {287u, 292u, 293u, 294u, 295u, 296u, 297u, 298u, 299u, 300u, 301u, 302u, 303u, 304u, 305u,
                        306u, 307u, 372u})
        for (unsigned english : {0u, 2000u}) {
            char buf[512] = {};
            EXPECT_GT(LoadStringA(basekit, id + english, buf, sizeof buf), 0) << id + english;
        }
}

TEST(StatusReporterInProcess, WithoutSettingsEngineStatesAreIgnored) {
    FakePlayer player;
    player.hasSettings = false;
    cSendRunTimeInfo reporter(&player);
    player.Clear();
    reporter.OnPlayState(2);
    reporter.OnOpenState(4);
    EXPECT_TRUE(player.Statuses().empty());
}

TEST(StatusReporterInProcess, StartAndStopDriveTheListeningTimer) {
    FakePlayer player;
    cSendRunTimeInfo reporter(&player);
    reporter.SetPlaystate(2);
    EXPECT_EQ(player.timer.connected, 1);
    reporter.SetMyStreamRunInfo(0, 0, 0, 0);   // no data yet
    EXPECT_EQ(player.timer.firstData, 0);
    reporter.SetMyStreamRunInfo(5, 128, 0, 100);
    reporter.SetMyStreamRunInfo(6, 128, 0, 100);
    EXPECT_EQ(player.timer.firstData, 1);
    EXPECT_EQ(player.bufferingStarts, 1);
    player.Clear();
    reporter.SetPlaystate(1);
    EXPECT_EQ(player.timer.stopQuality, 128);   // b stands in for an empty c
    auto calls = player.Calls();
    EXPECT_EQ(calls, (std::vector<std::string>{"activex 1", St(8, "playerstate: stop"), "finished 0",
                                               "info 0/0/0 (null) (null)"}));
}

TEST(StatusReporterInProcess, BufferingIsReportedOncePerPercentage) {
    FakePlayer player;
    cSendRunTimeInfo reporter(&player);
    player.Clear();
    reporter.OnBuffering(40);
    reporter.OnBuffering(40);
    reporter.SetMyStreamRunInfo(1, 0, 0, 50);
    reporter.OnBuffering(50);
    char expected[512];
    snprintf(expected, sizeof expected, Msg(293).c_str(), 40);
    EXPECT_EQ(player.Statuses(), (std::vector<std::string>{St(1, "40"), St(13, expected)}));
    EXPECT_EQ(player.bufferingStarts, 1);
}

TEST(StatusReporterInProcess, ErrorsBecomeBoundedMessages) {
    struct Row {
        std::string text, airInfo;
        int airResult;
        std::vector<std::string> statuses;
    };
    const std::string longText(5000, 'x');
    const std::vector<Row> rows = {
        {"", "0", 1, {St(6, Msg(294))}},
        {"engine broke", "0", 1, {St(6, "engine broke")}},
        {"engine broke", "Mo-Fr 8-12", 1, {St(6, "engine broke" + Msg(295))}},
        {"engine broke", "Mo-Fr 8-12", 0, {St(68, "(null)"), St(6, "engine broke" + Msg(295))}},
        {longText, "Mo-Fr", 1, {St(6, longText.substr(0, 1022) + Msg(295))}},
        {"unterminated air info", std::string(100, 'a'), 1, {St(6, "unterminated air info" + Msg(295))}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text.substr(0, 30) + " / " + row.airInfo.substr(0, 20));
        FakePlayer player;
        player.airInfo = row.airInfo;
        player.airResult = row.airResult;
        cSendRunTimeInfo reporter(&player);
        player.Clear();
        reporter.OnError(row.text.c_str());
        EXPECT_EQ(player.Statuses(), row.statuses);
    }
}

TEST(StatusReporterInProcess, WatchdogEndsASilentPlay) {
    FakePlayer player;
    player.timeout = 1;
    cSendRunTimeInfo reporter(&player);
    player.Clear();
    reporter.SetPlaystate(2);
    ASSERT_TRUE(tdtest::WaitFor([&] { return player.Count("stop 3") > 0; }, 30000));
    ASSERT_TRUE(tdtest::WaitFor([&] { return reporter.GetPlaystate() == 1; }, 30000));
    auto statuses = player.Statuses();
    EXPECT_NE(std::find(statuses.begin(), statuses.end(), St(6, Msg(292))), statuses.end());
    EXPECT_GT(player.ticks, 0);   // the still-connecting tick came meanwhile
}

TEST(StatusReporterInProcess, ReportsKeepTheWatchdogQuiet) {
    // Reports for twice the watchdog's time: only a pause of its whole 3 s
    // between two reports of a stalled machine could let it strike.
    FakePlayer player;
    player.timeout = 3;
    cSendRunTimeInfo reporter(&player);
    reporter.SetPlaystate(2);
    for (int i = 0; i < 60; ++i) {
        reporter.SetMyStreamRunInfo(static_cast<unsigned long>(i + 1), 128, 0, 100);
        Sleep(100);
    }
    EXPECT_EQ(player.Count("stop 3"), 0u);
}

TEST(StatusReporterInProcess, ATimeoutOfZeroIsTheDefaultNotAnInstantEnd) {
    for (int timeout : {0, -5}) {
        FakePlayer player;
        player.timeout = timeout;
        cSendRunTimeInfo reporter(&player);
        reporter.SetPlaystate(2);
        Sleep(1500);
        EXPECT_EQ(player.Count("stop 3"), 0u) << timeout;
    }
}

TEST(StatusReporterInProcess, RepeatedStartsRunOneWatchdog) {
    FakePlayer player;
    player.timeout = 1;
    cSendRunTimeInfo reporter(&player);
    for (int i = 0; i < 5; ++i) {
        reporter.SetPlaystate(2);
        reporter.SetPlaystate(3);
        reporter.SetPlaystate(6);
    }
    ASSERT_TRUE(tdtest::WaitFor([&] { return player.Count("stop 3") > 0; }, 30000));
    Sleep(2000);   // a second watchdog queued behind the first would strike now
    EXPECT_EQ(player.Count("stop 3"), 1u);
}

TEST(StatusReporterInProcess, AnEndingPlayerStopsTheWatchdog) {
    FakePlayer player;
    player.timeout = 1;
    cSendRunTimeInfo reporter(&player);
    reporter.SetPlaystate(2);
    player.status = 2;
    Sleep(2000);
    EXPECT_EQ(player.Count("stop 3"), 0u);
}

// ---------------------------------------------------------------- remote
// A status window on a thread of its own that keeps every record.
class StatusWindow {
public:
    struct Record {
        unsigned kind;
        std::string bytes;
    };
    // hangMs: each record is answered that late, or when the window goes.
    explicit StatusWindow(DWORD hangMs = 0) : hangMs_(hangMs) {
        thread_ = std::thread([this] { Run(); });
        std::unique_lock<std::mutex> lock(mu_);
        cv_.wait_for(lock, std::chrono::seconds(30), [this] { return hwnd_ != nullptr; });
    }
    ~StatusWindow() {
        SetEvent(unhang_.Get());
        if (hwnd_) PostMessageA(hwnd_, WM_CLOSE, 0, 0);
        thread_.join();
    }
    std::vector<Record> Records() {
        std::lock_guard<std::mutex> lock(mu_);
        return records_;
    }
    HWND Handle() const { return hwnd_; }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<StatusWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (msg == WM_COPYDATA && self) {
            auto* cds = reinterpret_cast<COPYDATASTRUCT*>(lp);
            {
                std::lock_guard<std::mutex> lock(self->mu_);
                self->records_.push_back({static_cast<unsigned>(wp),
                                          std::string(static_cast<const char*>(cds->lpData), cds->cbData)});
            }
            if (self->hangMs_) WaitForSingleObject(self->unhang_.Get(), self->hangMs_);
            return wp == bk::kStatusRunInfo ? bk::kStatusNotWanted : 0;
        }
        if (msg == WM_CLOSE) {
            DestroyWindow(hwnd);
            return 0;
        }
        if (msg == WM_DESTROY) {
            PostQuitMessage(0);
            return 0;
        }
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
    void Run() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = bk::kStatusWindowClass;
        RegisterClassA(&wc);
        HWND h = CreateWindowA(bk::kStatusWindowClass, "", 0, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrA(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        {
            std::lock_guard<std::mutex> lock(mu_);
            hwnd_ = h;
        }
        cv_.notify_all();
        MSG m;
        while (GetMessageA(&m, nullptr, 0, 0) > 0) DispatchMessageA(&m);
        UnregisterClassA(bk::kStatusWindowClass, wc.hInstance);
    }

    DWORD hangMs_;
    bk::ScopedHandle unhang_{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    std::thread thread_;
    std::mutex mu_;
    std::condition_variable cv_;
    HWND hwnd_ = nullptr;
    std::vector<Record> records_;
};

TD_CHILD(status_sender) {
    cSendRunTimeInfo reporter(nullptr);
    if (!reporter.GetWatchWindow()) return 2;
    reporter.Log("hello", 5);
    reporter.Log(std::string(600, 'L').c_str(), 3);
    reporter.SetPlaystate(2);
    reporter.OnBuffering(40);
    reporter.OnBuffering(40);   // remote: every call goes out
    reporter.ResetBuffer();
    reporter.OnPlayState(2);
    reporter.OnOpenState(6);
    reporter.OnError("boom");
    reporter.OnError(nullptr);
    char title[] = "Title", author[] = "Author";
    reporter.SetMyStreamInfo(1, 2, 3, title, author);
    reporter.SetMyStreamInfo(0, 0, 0, nullptr, nullptr);
    reporter.SetMyStreamRunInfo(10, 20, 30, 40);   // answered with 500
    reporter.SetMyStreamRunInfo(11, 21, 31, 41);
    reporter.Log("silenced", 1);
    if (reporter.GetWatchWindow()) return 3;
    reporter.Reset(0);
    reporter.OnOpenState(0);   // play state 1, then the window is forgotten
    reporter.OnOpenState(3);
    return reporter.GetWatchWindow() ? 4 : 0;
}

template <typename T>
std::string Bytes(const T& rec) {
    return std::string(reinterpret_cast<const char*>(&rec), sizeof rec);
}

TEST(StatusReporterRemote, SendsByteExactRecordsOfEveryKind) {
    StatusWindow window;
    ASSERT_NE(window.Handle(), nullptr);
    tdtest::Process child;
    ASSERT_TRUE(child.StartChild("status_sender"));
    DWORD code = 99;
    ASSERT_TRUE(child.Wait(20000, &code));
    EXPECT_EQ(code, 0u);
    const uint32_t pid = child.Pid();

    auto logRec = [&](const std::string& text, int32_t level) {
        bk::StatusLogRecord r = {};
        r.processId = pid;
        memcpy(r.text, text.data(), text.size());
        r.level = level;
        return Bytes(r);
    };
    auto valueRec = [&](uint32_t v) { return Bytes(bk::StatusValueRecord{pid, v}); };
    auto errorRec = [&](const std::string& text) {
        bk::StatusErrorRecord r = {};
        r.processId = pid;
        memcpy(r.text, text.data(), text.size());
        return Bytes(r);
    };
    auto infoRec = [&](uint32_t t, uint32_t m, uint32_t p, const std::string& title, const std::string& author) {
        bk::StatusStreamInfoRecord r = {};
        r.processId = pid;
        r.track = t;
        r.maxTrack = m;
        r.maxPlaytime = p;
        memcpy(r.title, title.data(), title.size());
        memcpy(r.author, author.data(), author.size());
        return Bytes(r);
    };
    const std::vector<StatusWindow::Record> expected = {
        {1, logRec("hello", 5)},
        {1, logRec(std::string(511, 'L'), 3)},
        {2, valueRec(2)},
        {3, valueRec(40)},
        {3, valueRec(40)},
        {4, valueRec(0)},
        {5, valueRec(2)},
        {6, valueRec(6)},
        {7, errorRec("boom")},
        {7, errorRec("")},
        {9, infoRec(1, 2, 3, "Title", "Author")},
        {9, infoRec(0, 0, 0, "", "")},
        {8, Bytes(bk::StatusRunInfoRecord{pid, 10, 20, 30, 40})},
        {2, valueRec(1)},
    };
    auto got = window.Records();
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(got[i].kind, expected[i].kind);
        EXPECT_EQ(got[i].bytes.size(), bk::StatusRecordSize(got[i].kind));
        EXPECT_TRUE(got[i].bytes == expected[i].bytes);
    }
}

TD_CHILD(status_sender_to_hung) {
    cSendRunTimeInfo reporter(nullptr);
    if (!reporter.GetWatchWindow()) return 2;
    DWORD start = GetTickCount();
    reporter.SetPlaystate(2);
    reporter.OnBuffering(10);
    reporter.OnBuffering(20);
    // Three bounded sends take seconds; one that waited for the window, minutes.
    return GetTickCount() - start < 60000 ? 0 : 5;
}

TEST(StatusReporterRemote, AHungReceiverDoesNotBlockTheSender) {
    StatusWindow window(180000);
    tdtest::Process child;
    ASSERT_TRUE(child.StartChild("status_sender_to_hung"));
    DWORD code = 99;
    ASSERT_TRUE(child.Wait(90000, &code)) << "the sender waited for the hung window";
    EXPECT_EQ(code, 0u);
}

TEST(StatusReporterRemote, WithoutAStatusWindowReportsAreDropped) {
    cSendRunTimeInfo reporter(nullptr);
    EXPECT_EQ(reporter.GetWatchWindow(), nullptr);
    reporter.SetPlaystate(2);
    reporter.OnError("nobody listens");
    reporter.SetMyStreamRunInfo(1, 2, 3, 4);
    EXPECT_EQ(reporter.GetPlaystate(), 2);
}

TEST(StatusRecords, ReceiverChecksSizeKindAndTerminatesTexts) {
    bk::StatusRecord out;
    bk::StatusLogRecord log;
    memset(&log, 'A', sizeof log);
    ASSERT_TRUE(bk::DecodeStatusRecord(1, &log, sizeof log, &out));
    EXPECT_EQ(strlen(out.log.text), 511u);
    bk::StatusStreamInfoRecord info;
    memset(&info, 'B', sizeof info);
    ASSERT_TRUE(bk::DecodeStatusRecord(9, &info, sizeof info, &out));
    EXPECT_EQ(strlen(out.streamInfo.title), 511u);
    EXPECT_EQ(strlen(out.streamInfo.author), 511u);
    struct Row {
        uint32_t kind;
        size_t size;
    };
    for (Row row : {Row{0, 8}, Row{10, 8}, Row{2, 7}, Row{2, 520}, Row{1, 8}, Row{8, 8}, Row{9, 1039}, Row{7, 1040}})
        EXPECT_FALSE(bk::DecodeStatusRecord(row.kind, &info, row.size, &out)) << row.kind << " " << row.size;
    EXPECT_FALSE(bk::DecodeStatusRecord(2, nullptr, 8, &out));
}

}  // namespace
