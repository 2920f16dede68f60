// The bridge's host window driven through a double of the control: state
// mapping, error paths, the timers, the commands and the meta-data poll
// against a local HTTP server.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "bounded_text.h"
#include "bridge_fixture.h"
#include "mediabridge.h"
#include "shared_data.h"
#include "wmp_events.h"
#include "wmp_host.h"
#include "wmp_ids.h"

namespace {

int g_closedControls = 0;   // controls closed by their host, over all benches

// The control's double: every answer is a field the test sets.
class FakeControl : public WmpControl {
public:
    HRESULT urlResult = S_OK;
    std::string url;
    int closes = 0;
    bool pollOk = true;   // like Wine: the polled states read, and read 0
    long polledPlay = 0, polledOpen = 0;
    bool hasItem = true;
    std::string title = "Song", author = "Band", bitrate = "128000", source = "C:\\media\\song.mp3";
    double duration = 5.9;
    int itemErrorMode = 0;   // -1 no extended interface, 0 none, 1 the item's error
    std::string itemErrorText = "item error";
    long entries = 1, current = 0;
    bool currentKnown = true;
    std::vector<long> played;
    bool controls = true, playAvailable = true, pauseAvailable = true;
    int plays = 0, pauses = 0;
    double position = 2.5;
    std::vector<double> positions;
    bool network = true, progressOk = true;
    long progress = 40;
    std::vector<long> bufferTimes;
    std::vector<std::string> proxyCalls;
    bool queueOk = true;
    std::vector<ErrorEntry> queue;
    IUnknown* sink = nullptr;

    std::function<void()> onSetUrl;
    HRESULT SetUrl(const char* u) override {
        url = u;
        if (onSetUrl) onSetUrl();
        return urlResult;
    }
    void Close() override {
        ++closes;
        ++g_closedControls;
    }
    bool PlayState(long* s) override { return pollOk && (*s = polledPlay, true); }
    bool OpenState(long* s) override { return pollOk && (*s = polledOpen, true); }
    bool HasCurrentItem() override { return hasItem; }
    bool ItemText(const char* attribute, char* out, size_t size) override {
        const std::string* v = !strcmp(attribute, "Title") ? &title : !strcmp(attribute, "Author") ? &author
                             : !strcmp(attribute, "Bitrate")                                 ? &bitrate
                                                                                               : nullptr;
        if (!hasItem || !v) return false;
        bk::TextCopy(out, size, v->c_str());
        return true;
    }
    bool Duration(double* s) override { return hasItem && (*s = duration, true); }
    bool SourceUrl(char* out, size_t size) override {
        if (!hasItem) return false;
        bk::TextCopy(out, size, source.c_str());
        return true;
    }
    int ItemError(long* code, std::string* text) override {
        if (itemErrorMode == 1) {
            *code = 77;
            *text = itemErrorText;
        }
        return itemErrorMode;
    }
    bool EntryCount(long* c) override { return *c = entries, true; }
    bool CurrentEntry(long* i) override { return currentKnown && (*i = current, true); }
    bool PlayEntry(long i) override {
        played.push_back(i);
        return true;
    }
    bool HasControls() override { return controls; }
    bool IsAvailable(const char* what) override {
        return controls && (!strcmp(what, "play") ? playAvailable : !strcmp(what, "pause") && pauseAvailable);
    }
    bool Play() override { return ++plays, controls; }
    bool Pause() override { return ++pauses, controls; }
    bool Position(double* s) override { return controls && (*s = position, true); }
    bool SetPosition(double s) override {
        positions.push_back(s);
        return controls;
    }
    bool HasNetwork() override { return network; }
    bool BufferingProgress(long* p) override { return network && progressOk && (*p = progress, true); }
    bool SetBufferingTime(long ms) override {
        bufferTimes.push_back(ms);
        return network;
    }
    HRESULT SetProxySettings(const char* protocol, long setting) override {
        proxyCalls.push_back(std::string("settings ") + protocol + " " + std::to_string(setting));
        return S_OK;
    }
    HRESULT SetProxyName(const char* protocol, const char* host) override {
        proxyCalls.push_back(std::string("name ") + protocol + " " + host);
        return E_NOTIMPL;   // as Wine's control answers
    }
    HRESULT SetProxyPort(const char* protocol, long port) override {
        proxyCalls.push_back(std::string("port ") + protocol + " " + std::to_string(port));
        return S_OK;
    }
    bool ProxyName(const char*, char* out, size_t size) override { return bk::TextCopy(out, size, "proxy"), true; }
    bool ErrorQueue(std::vector<ErrorEntry>* e) override {
        if (!queueOk) return false;
        *e = queue;
        return true;
    }
    bool Connect(IUnknown* s) override {
        sink = s;
        return true;
    }
    void Disconnect() override { sink = nullptr; }
};

FakeControl* g_fake = nullptr;
bool g_noControl = false;

std::unique_ptr<WmpControl> MakeFake(HWND) {
    if (g_noControl) return nullptr;
    auto* f = new FakeControl();
    g_fake = f;
    return std::unique_ptr<WmpControl>(f);
}

// A host window with a fake control and a status window that listens.
struct Bench {
    Bench() {
        g_fake = nullptr;
        CWMPHost::SetControlFactory(MakeFake);
        host.Create(nullptr, "WMP Host Container", 0);
        host.SetReporter(status.Reporter());
        fake = g_fake;
        host.SetMetaInterval(100);
    }
    ~Bench() {
        host.Term();
        CWMPHost::SetControlFactory(nullptr);
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {}   // the quit message of the window's end
    }
    // The control has opened the media (open state 13) and nothing else.
    void Opened() {
        host.OnOpenStateChange(13);
        status.Reset();
    }
    StatusWindow status;
    CWMPHost host;
    FakeControl* fake = nullptr;
};

std::vector<uint32_t> Values(const std::vector<bk::StatusRecord>& recs) {
    std::vector<uint32_t> v;
    for (const auto& r : recs) v.push_back(r.value.value);
    return v;
}

TEST(MediabridgeStates, MapsTheControlsStatesToTheReportersNumbers) {
    const int play[] = {0, 0, 1, 2, 4, 5, 2, 3, 0, 2, 3, 3};
    for (long s = 0; s < 12; ++s) EXPECT_EQ(MapPlayState(s), play[s]) << "play " << s;
    for (long s : {-1L, 12L, 99L}) EXPECT_EQ(MapPlayState(s), -1) << "play " << s;
    const int open[] = {0, 2, 2, 4, 2, 2, 2, 6, 2, 3, 4, 2, 5, 6, 2, 2, 2, 2, 2, 2, 6, 5};
    for (long s = 0; s < 22; ++s) EXPECT_EQ(MapOpenState(s), open[s]) << "open " << s;
    for (long s : {-1L, 22L, 1000L}) EXPECT_EQ(MapOpenState(s), -1) << "open " << s;
}

TEST(MediabridgeStates, PlayStatesAreReportedOnceTheMediaIsOpen) {
    struct Case {
        long open, play;
        long reported;   // -1: no play-state record
    } cases[] = {
        {13, 2, 1}, {7, 7, 3}, {20, 10, 3}, {13, 3, 2}, {13, 8, -1}, {13, 12, -1},
        {6, 3, -1},   // playing while the control still says "opening": stream information only
        {9, 2, -1},
    };
    for (const Case& c : cases) {
        Bench b;
        b.host.OnOpenStateChange(c.open);
        b.status.Reset();
        b.host.OnPlayStateChange(c.play);
        auto states = Values(b.status.Of(bk::kStatusEnginePlayState));
        if (c.reported < 0) EXPECT_TRUE(states.empty()) << c.open << "/" << c.play;
        else EXPECT_EQ(states, std::vector<uint32_t>{static_cast<uint32_t>(c.reported)}) << c.open << "/" << c.play;
        EXPECT_EQ(b.status.Of(bk::kStatusStreamInfo).size(), c.play == 3 ? 1u : 0u) << c.open << "/" << c.play;
    }
}

TEST(MediabridgeStates, OpenStatesAreReportedUnlessTheMediaHasEnded) {
    Bench b;
    b.host.OnOpenStateChange(9);
    b.host.OnOpenStateChange(13);
    b.host.OnOpenStateChange(30);   // no number for it
    EXPECT_EQ(Values(b.status.Of(bk::kStatusOpenState)), (std::vector<uint32_t>{3, 6}));
    // Media ended (8): the control's later open states say nothing new.
    b.host.OnPlayStateChange(8);
    b.status.Reset();
    b.host.OnOpenStateChange(13);
    EXPECT_TRUE(b.status.Of(bk::kStatusOpenState).empty());
    // The polled state of Wine's control always reads 0; the events decide.
    b.fake->polledPlay = 0;
    b.host.OnPlayStateChange(3);
    b.status.Reset();
    b.host.OnOpenStateChange(13);
    EXPECT_EQ(Values(b.status.Of(bk::kStatusOpenState)), std::vector<uint32_t>{6});
}

TEST(MediabridgeStates, PlayingReportsTheItemAndStartsRunInformation) {
    Bench b;
    b.fake->title = std::string(700, 'T');
    b.fake->entries = 3;
    b.fake->current = 1;
    b.Opened();
    b.host.OnPlayStateChange(3);
    auto info = b.status.Of(bk::kStatusStreamInfo);
    ASSERT_EQ(info.size(), 1u);
    EXPECT_EQ(info[0].streamInfo.track, 1u);
    EXPECT_EQ(info[0].streamInfo.maxTrack, 3u);
    EXPECT_EQ(info[0].streamInfo.maxPlaytime, 5000u);   // whole seconds x 1000
    EXPECT_EQ(strlen(info[0].streamInfo.title), 499u);
    EXPECT_STREQ(info[0].streamInfo.author, "Band");
    EXPECT_TRUE(b.host.TimerRunning(CWMPHost::kRunInfoTimer));

    ASSERT_TRUE(b.status.WaitFor(bk::kStatusRunInfo, -1, 30000));
    auto run = b.status.Of(bk::kStatusRunInfo);
    EXPECT_EQ(run[0].runInfo.a, 2500u);
    EXPECT_EQ(run[0].runInfo.b, 128000u);
    EXPECT_EQ(run[0].runInfo.c, 0u);
    EXPECT_EQ(run[0].runInfo.d, 40u);

    // A position the control cannot give, a bit rate that is no number and
    // a refused buffering progress all read as 0.
    b.fake->position = -3;
    b.fake->bitrate = "fast";
    b.fake->progressOk = false;
    b.status.records.clear();
    b.host.OnTimer(CWMPHost::kRunInfoTimer);
    run = b.status.Of(bk::kStatusRunInfo);
    ASSERT_EQ(run.size(), 1u);
    EXPECT_EQ(run[0].runInfo.a, 0u);
    EXPECT_EQ(run[0].runInfo.b, 0u);
    EXPECT_EQ(run[0].runInfo.d, 0u);

    // Leaving the playing state stops the timer.
    b.host.OnPlayStateChange(2);
    EXPECT_FALSE(b.host.TimerRunning(CWMPHost::kRunInfoTimer));
}

TEST(MediabridgeStates, AReadyControlWithNoMediaIsStartedAgainAfterTheEvent) {
    Bench b;
    b.host.OnOpenStateChange(6);
    b.host.OnPlayStateChange(10);
    EXPECT_EQ(b.fake->plays, 0);   // never inside the control's own call
    tdtest::PumpMessages();
    EXPECT_EQ(b.fake->plays, 1);
    // The control moved on before the start came round: nothing to do.
    b.host.OnPlayStateChange(10);
    b.host.OnPlayStateChange(9);
    tdtest::PumpMessages();
    EXPECT_EQ(b.fake->plays, 1);
}

TEST(MediabridgeStates, BufferingReportsProgressAndTheStateAfterwards) {
    Bench b;
    b.Opened();
    b.host.OnPlayStateChange(3);
    b.host.OnBuffering(true);
    EXPECT_TRUE(b.host.TimerRunning(CWMPHost::kBufferingTimer));
    b.fake->progress = 63;
    b.status.records.clear();
    b.host.OnTimer(CWMPHost::kBufferingTimer);
    EXPECT_EQ(Values(b.status.Of(bk::kStatusBuffering)), std::vector<uint32_t>{63});   // as given, no offset
    b.status.records.clear();
    b.host.OnBuffering(false);
    EXPECT_FALSE(b.host.TimerRunning(CWMPHost::kBufferingTimer));
    // The polled state reads 0 (a stub): the state the events gave stands.
    EXPECT_EQ(Values(b.status.Of(bk::kStatusEnginePlayState)), std::vector<uint32_t>{2});
    EXPECT_EQ(b.host.LastPlayState(), 3);
    // A control that can tell its state changes it.
    b.fake->polledPlay = 2;
    b.status.records.clear();
    b.host.OnBuffering(false);
    EXPECT_EQ(b.host.LastPlayState(), 2);
    EXPECT_EQ(Values(b.status.Of(bk::kStatusEnginePlayState)), (std::vector<uint32_t>{1, 1}));
}

TEST(MediabridgeEvents, TheSinkAnswersBothFormsAndForwardsEvents) {
    Bench b;
    ASSERT_NE(b.fake->sink, nullptr);
    IDispatch* disp = nullptr;
    ASSERT_EQ(b.fake->sink->QueryInterface(kDiidWmpOcxEvents, reinterpret_cast<void**>(&disp)), S_OK);
    IUnknown* events = nullptr;
    ASSERT_EQ(b.fake->sink->QueryInterface(kIidWmpEvents, reinterpret_cast<void**>(&events)), S_OK);
    events->Release();

    EXPECT_EQ(disp->Invoke(5101, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr), E_POINTER);
    VARIANT arg;
    VariantInit(&arg);
    V_VT(&arg) = VT_I4;
    V_I4(&arg) = 13;
    DISPID named = 0;
    DISPPARAMS withName = {&arg, &named, 1, 1};
    EXPECT_EQ(disp->Invoke(5001, IID_NULL, 0, DISPATCH_METHOD, &withName, nullptr, nullptr, nullptr),
              DISP_E_NONAMEDARGS);
    EXPECT_EQ(b.host.LastOpenState(), 0);

    DISPPARAMS params = {&arg, nullptr, 1, 0};
    EXPECT_EQ(disp->Invoke(5001, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(b.host.LastOpenState(), 13);
    V_I4(&arg) = 3;
    disp->Invoke(5101, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    EXPECT_EQ(b.host.LastPlayState(), 3);
    V_VT(&arg) = VT_BOOL;
    V_BOOL(&arg) = VARIANT_TRUE;
    disp->Invoke(5402, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    EXPECT_TRUE(b.host.TimerRunning(CWMPHost::kBufferingTimer));
    // An unknown event changes nothing.
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    EXPECT_EQ(disp->Invoke(6000, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
    // The error event runs the error path.
    b.fake->queue = {{-1072885353, "gone"}};
    b.status.Reset();
    b.host.OnPlayStateChange(2);
    b.status.Reset();
    disp->Invoke(5501, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr);
    EXPECT_EQ(b.status.Of(bk::kStatusError).size(), 1u);
    disp->Release();
}

TEST(MediabridgeErrors, ReportsTheLastErrorOnceAndStops) {
    struct Case {
        const char* name;
        std::vector<WmpControl::ErrorEntry> queue;
        int itemMode;
        const char* text;
    } cases[] = {
        {"queue", {{1, "first"}, {2, "last of the queue"}}, 0, "last of the queue"},
        {"item error wins", {{1, "queue"}}, 1, "item error"},
        {"no text anywhere", {}, 0, "The stream could not be opened."},
        {"no extended media interface", {{1, "queue"}}, -1, "queue"},
    };
    for (const Case& c : cases) {
        Bench b;
        b.fake->queue = c.queue;
        b.fake->itemErrorMode = c.itemMode;
        b.host.OnOpenStateChange(13);
        b.host.OnPlayStateChange(3);
        b.host.OnPlayStateChange(2);
        b.host.OnBuffering(true);
        b.status.Reset();
        b.host.OnError();
        auto errors = b.status.Of(bk::kStatusError);
        ASSERT_EQ(errors.size(), 1u) << c.name;
        EXPECT_STREQ(errors[0].error.text, c.text) << c.name;
        // Open state as it was, the error, then "stopped" for open state 0.
        ASSERT_GE(b.status.records.size(), 3u) << c.name;
        EXPECT_EQ(b.status.records[0].kind, uint32_t(bk::kStatusOpenState)) << c.name;
        EXPECT_EQ(b.status.records[0].rec.value.value, 6u) << c.name;
        EXPECT_EQ(b.status.records[1].kind, uint32_t(bk::kStatusError)) << c.name;
        EXPECT_EQ(b.status.records[2].kind, uint32_t(bk::kStatusPlayState)) << c.name;
        EXPECT_EQ(b.status.records[2].rec.value.value, 1u) << c.name;
        EXPECT_FALSE(b.host.TimerRunning(CWMPHost::kBufferingTimer)) << c.name;
        EXPECT_FALSE(b.host.MetaPolling()) << c.name;
    }
}

TEST(MediabridgeErrors, AnErrorWhilePlayingKeepsPlaying) {
    Bench b;
    b.fake->queue = {{5, "a hiccup"}};
    b.Opened();
    b.host.OnPlayStateChange(3);
    b.status.Reset();
    b.host.OnError();
    EXPECT_TRUE(b.status.Of(bk::kStatusError).empty());
    EXPECT_EQ(Values(b.status.Of(bk::kStatusEnginePlayState)), std::vector<uint32_t>{2});
}

TEST(MediabridgeErrors, APlaylistGoesOnWithTheNextEntryAndEndsWithAReport) {
    Bench b;
    b.fake->entries = 3;
    b.fake->current = 0;
    b.fake->queue = {{1, "entry failed"}};
    b.Opened();
    b.host.OnError();
    EXPECT_EQ(b.fake->played, std::vector<long>{1});
    EXPECT_TRUE(b.status.Of(bk::kStatusError).empty());
    // The control cannot say which entry plays: the kept index goes on.
    b.fake->currentKnown = false;
    b.host.OnError();
    EXPECT_EQ(b.fake->played, (std::vector<long>{1, 2}));
    // The last entry fails too: reported, and never started again.
    b.host.OnError();
    EXPECT_EQ(b.fake->played, (std::vector<long>{1, 2}));
    EXPECT_EQ(b.status.Of(bk::kStatusError).size(), 1u);
}

TEST(MediabridgeErrors, AnAddressTheControlGivesUpOnSilentlyIsReported) {
    Bench b;
    ASSERT_EQ(b.host.Play("http://127.0.0.1:1/stream"), 1);
    b.host.OnPlayStateChange(9);
    b.host.OnPlayStateChange(0);   // what Wine's control does with any http address
    auto errors = b.status.Of(bk::kStatusError);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_STREQ(errors[0].error.text, "The stream could not be opened.");
    EXPECT_FALSE(b.host.MetaPolling());
    // The same inside the control's own call that takes the address.
    Bench inside;
    inside.fake->onSetUrl = [&] {
        inside.host.OnPlayStateChange(9);
        inside.host.OnPlayStateChange(0);
    };
    EXPECT_EQ(inside.host.Play("http://127.0.0.1:1/stream"), 1);
    EXPECT_EQ(inside.status.Of(bk::kStatusError).size(), 1u);
    EXPECT_FALSE(inside.host.MetaPolling());
    // Once it has played, the undefined state is no failure of the address.
    Bench c;
    c.host.Play("C:\\a.wav");
    c.host.OnPlayStateChange(9);
    c.host.OnPlayStateChange(3);
    c.host.OnPlayStateChange(0);
    EXPECT_TRUE(c.status.Of(bk::kStatusError).empty());
}

TEST(MediabridgeCommands, ForwardToTheControl) {
    Bench b;
    struct {
        long asked, set;
    } buffers[] = {{90000, 60000}, {60000, 60000}, {3000, 3000}, {-5, 0}};
    for (auto& c : buffers) b.host.SetBufferSize(c.asked);
    EXPECT_EQ(b.fake->bufferTimes, (std::vector<long>{60000, 60000, 3000, 0}));

    b.host.SetCurrentEntry(1);
    b.host.SetCurrentEntry(0);   // no entry 0 when counting from 1
    b.host.SetCurrentEntry(4);
    EXPECT_EQ(b.fake->played, (std::vector<long>{0, 3}));

    b.host.Continue();
    b.host.Pause();
    b.fake->playAvailable = b.fake->pauseAvailable = false;
    b.host.Continue();
    b.host.Pause();
    EXPECT_EQ(b.fake->plays, 1);
    EXPECT_EQ(b.fake->pauses, 1);

    // A jump while run information runs reports the new place at once.
    b.Opened();
    b.host.OnPlayStateChange(3);
    b.status.records.clear();
    b.fake->position = 42;
    b.host.SetCurrentPosition(42);
    EXPECT_EQ(b.fake->positions, std::vector<double>{42});
    auto run = b.status.Of(bk::kStatusRunInfo);
    ASSERT_EQ(run.size(), 1u);
    EXPECT_EQ(run[0].runInfo.a, 42000u);

    b.host.SetProxie("proxy.example", 8080);
    b.host.SetProxie(nullptr, 0);
    EXPECT_EQ(b.fake->proxyCalls, (std::vector<std::string>{"settings http 2", "name http proxy.example",
                                                              "port http 8080", "settings http 0"}));
    b.fake->network = false;
    b.fake->proxyCalls.clear();
    b.host.SetProxie("proxy.example", 8080);
    EXPECT_TRUE(b.fake->proxyCalls.empty());

    b.fake->source = std::string(1500, 's');
    char buffer[1024];
    memset(buffer, 'x', sizeof buffer);
    b.host.GetCurrentSrcURL(buffer, sizeof buffer);
    EXPECT_EQ(strlen(buffer), 1023u);

    b.fake->urlResult = E_FAIL;
    EXPECT_EQ(b.host.Play("C:\\nothing.wav"), 0);
    EXPECT_FALSE(b.host.MetaPolling());
    b.fake->urlResult = S_OK;
    EXPECT_EQ(b.host.Play("C:\\song.wav"), 1);
    EXPECT_EQ(b.fake->url, "C:\\song.wav");
    EXPECT_TRUE(b.host.MetaPolling());
    EXPECT_TRUE(b.host.TimerRunning(CWMPHost::kMetaTimer));

    b.host.Term();
    EXPECT_EQ(b.host.Player(), nullptr);
    EXPECT_FALSE(b.host.TimerRunning(CWMPHost::kMetaTimer));
    EXPECT_FALSE(b.host.TimerRunning(CWMPHost::kRunInfoTimer));
    EXPECT_EQ(b.host.Play("C:\\song.wav"), 0);
}

TEST(MediabridgeCommands, TheBridgeReportsAWorkingControlOnly) {
    StatusWindow status;
    CWMPHost::SetControlFactory(MakeFake);
    char longName[1024];
    memset(longName, 'u', sizeof longName - 1);
    longName[1023] = 0;
    {
        CMediabridge bridge(status.Reporter(), longName, longName);   // cut, not overrun
        EXPECT_EQ(bridge.IsPlayerOK(), 0);
        EXPECT_EQ(bridge.Play(const_cast<char*>("C:\\a.wav")), 0);
        bridge.Init(GetModuleHandleA(nullptr));
        EXPECT_EQ(bridge.IsPlayerOK(), 2);
        EXPECT_FALSE(IsWindowVisible(bridge.Host()->Window()));
        char buffer[1024] = "x";
        char* out = buffer;
        bridge.GetCurrentSrcURL(&out);
        EXPECT_STREQ(buffer, "C:\\media\\song.mp3");
        bridge.Term();
        delete bridge.Host();
    }
    g_noControl = true;
    {
        CMediabridge bridge(status.Reporter(), nullptr, nullptr);
        bridge.Init(GetModuleHandleA(nullptr));
        // The window exists, the control does not: no engine to offer.
        ASSERT_NE(bridge.Host()->Window(), nullptr);
        EXPECT_EQ(bridge.IsPlayerOK(), 0);
        EXPECT_EQ(bridge.Play(const_cast<char*>("C:\\a.wav")), 0);
        bridge.Pause();
        bridge.SetCurrentEntry(1);
        bridge.Term();
        delete bridge.Host();
    }
    g_noControl = false;
    CWMPHost::SetControlFactory(nullptr);
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {}
}

// ---------------------------------------------------------------- meta data

std::string TitleDocument(const std::string& artist, const std::string& title) {
    return "<?xml version=\"1.0\"?><meta><interpret>" + artist + "</interpret><titel>" + title + "</titel></meta>";
}

// Shared slots belong to every process of the user: each test sets what it
// reads and leaves them empty.
struct SharedSlots {
    SharedSlots(const std::string& station, const std::string& resolved) {
        SetVL_METAURL(station.c_str());
        SetMETAURL(resolved.c_str());
    }
    ~SharedSlots() {
        SetVL_METAURL("");
        SetMETAURL("");
    }
};

std::vector<std::string> Titles(const StatusWindow& s) {
    std::vector<std::string> t;
    for (const auto& r : s.Of(bk::kStatusStreamInfo)) t.push_back(r.streamInfo.title);
    return t;
}

TEST(MediabridgeMeta, ReportsEachNewTitleOnce) {
    tdtest::HttpServer server;
    std::string title = "Song One";
    server.Route("/meta.xml", [&](const tdtest::HttpRequest&) {
        return tdtest::HttpResponse::Text(200, TitleDocument("Artist", title), "text/xml");
    });
    SharedSlots slots(server.Url("/meta.xml"), "");
    Bench b;
    b.fake->entries = 2;
    b.fake->current = 1;
    b.Opened();
    b.host.OnPlayStateChange(3);
    b.status.records.clear();
    ASSERT_EQ(b.host.Play("C:\\song.mp3"), 1);
    ASSERT_TRUE(tdtest::WaitFor([&] { return server.Count("/meta.xml") >= 3; }, 10000));
    tdtest::WaitFor([&] { return !b.host.PollBusy(); }, 30000);
    tdtest::PumpMessages();
    EXPECT_EQ(Titles(b.status), std::vector<std::string>{"Artist - Song One"});
    auto info = b.status.Of(bk::kStatusStreamInfo);
    ASSERT_FALSE(info.empty());
    EXPECT_EQ(info[0].streamInfo.track, 1u);
    EXPECT_EQ(info[0].streamInfo.maxTrack, 2u);
    EXPECT_STREQ(info[0].streamInfo.author, "");

    title = "Song Two";
    size_t seen = server.Count("/meta.xml");
    ASSERT_TRUE(tdtest::WaitFor([&] { return server.Count("/meta.xml") >= seen + 2; }, 10000));
    tdtest::WaitFor([&] { return !b.host.PollBusy(); }, 30000);
    tdtest::PumpMessages();
    EXPECT_EQ(Titles(b.status), (std::vector<std::string>{"Artist - Song One", "Artist - Song Two"}));
    EXPECT_EQ(b.host.MetaRetries(), 0);
    EXPECT_TRUE(b.host.MetaPolling());
}

TEST(MediabridgeMeta, WithoutAStationAddressTheServersStatusPageIsRead) {
    tdtest::HttpServer server;
    server.Route("/", [](const tdtest::HttpRequest&) {
        return tdtest::HttpResponse::Text(
            200, "<html><table><tr><td>Current Song:</td><td><b>Status Page Song</b></td></tr></table></html>",
            "text/html");
    });
    for (const char* station : {"", "x"}) {
        SharedSlots slots(station, "");
        Bench b;
        b.fake->source = server.Url("/");
        ASSERT_EQ(b.host.Play("C:\\song.mp3"), 1);
        ASSERT_TRUE(tdtest::WaitFor(
            [&] {
                tdtest::PumpMessages();
                return !Titles(b.status).empty();
            },
            10000))
            << "station address '" << station << "'";
        EXPECT_EQ(Titles(b.status)[0], "Status Page Song");
    }
}

TEST(MediabridgeMeta, FailuresResolveTheAddressOnceAndEndPollingAtTheThird) {
    tdtest::HttpServer server;
    server.Route("/meta.xml", [](const tdtest::HttpRequest&) { return tdtest::HttpResponse::Text(404, "no"); });
    server.Route("/redirect", [&](const tdtest::HttpRequest&) {
        return tdtest::HttpResponse::Redirect(302, server.Url("/resolved"));
    });
    SharedSlots slots(server.Url("/meta.xml"), server.Url("/redirect"));
    Bench b;
    ASSERT_EQ(b.host.Play("C:\\song.mp3"), 1);
    EXPECT_EQ(std::string(b.host.MetaAddress()), server.Url("/redirect"));
    ASSERT_TRUE(tdtest::WaitFor(
        [&] {
            tdtest::PumpMessages();
            return !b.host.MetaPolling() && !b.host.PollBusy();
        },
        30000));
    EXPECT_EQ(b.host.MetaRetries(), 3);
    EXPECT_EQ(server.Count("/meta.xml"), 3u);
    EXPECT_EQ(server.Count("/redirect"), 1u);   // resolved after the first failure only
    EXPECT_EQ(std::string(b.host.MetaAddress()), server.Url("/resolved"));
    EXPECT_TRUE(Titles(b.status).empty());
    // Polling has ended: no timer brings it back.
    Sleep(400);
    tdtest::PumpMessages();
    EXPECT_EQ(server.Count("/meta.xml"), 3u);
    EXPECT_FALSE(b.host.TimerRunning(CWMPHost::kMetaTimer));
}

TEST(MediabridgeMeta, TermLeavesAStalledPollBehindAndDropsItsLateTitle) {
    // The poll stalls far beyond the host's watchdog: stopping must not wait for it.
    tdtest::HttpServer server;
    server.Route("/meta.xml", [](const tdtest::HttpRequest&) {
        tdtest::HttpResponse r = tdtest::HttpResponse::Text(200, TitleDocument("A", "Late"), "text/xml");
        r.delayMs = 20000;
        return r;
    });
    SharedSlots slots(server.Url("/meta.xml"), "");
    Bench b;
    ASSERT_EQ(b.host.Play("C:\\song.mp3"), 1);
    ASSERT_TRUE(tdtest::WaitFor([&] { return b.host.PollBusy(); }, 30000));
    const int closedBefore = g_closedControls;
    b.host.Term();
    // Term came back while the poll is still out, with the player closed.
    EXPECT_TRUE(b.host.PollBusy());
    EXPECT_FALSE(b.host.TimerRunning(CWMPHost::kMetaTimer));
    EXPECT_EQ(g_closedControls, closedBefore + 1);
    // Its answer, when it comes, is not reported as a title.
    ASSERT_TRUE(tdtest::WaitFor([&] {
        tdtest::PumpMessages();
        return !b.host.PollBusy();
    }, 40000));
    EXPECT_TRUE(Titles(b.status).empty());
}

}  // namespace
