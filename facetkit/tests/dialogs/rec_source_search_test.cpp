#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "dialogs_fixture.h"
#include "host_exports.h"
#include "rec_source_search_wnd.h"
#include "status_intake.h"

namespace {

const int kStartLevel = 3000;

TEST(RecSourceChoice, RightClearlyLouderWinsAndTheFirstOfEqualsIsKept) {
    const struct {
        int left, right;
        bool qualifies;
    } pairs[] = {
        {40, 60, true},    // 60 > 40 + 12
        {50, 60, false},   // 60 > 50 + 12 is false
        {0, 80, false},    // no sound on the left: a mono source
        {80, 0, false},    {0, 0, false}, {1, 2, true}, {60, 60, false}, {-5, 40, false},
    };
    for (const auto& p : pairs) EXPECT_EQ(QualifiesAsRecSource(p.left, p.right), p.qualifies) << p.left << "/" << p.right;

    const struct {
        const char* what;
        std::vector<int> left, right;
        int chosen;
    } choices[] = {
        {"none measured", {}, {}, -1},
        {"nothing qualifies", {50, 0, 80}, {60, 80, 10}, -1},
        {"highest left among qualifying", {20, 50, 30}, {90, 60, 90}, 2},
        {"equal left values: the first tested", {40, 40}, {60, 95}, 0},
        {"a louder left that does not qualify is passed over", {45, 10}, {50, 90}, 1},
    };
    for (const auto& c : choices)
        EXPECT_EQ(ChooseRecSource(c.left.data(), c.right.data(), static_cast<int>(c.left.size())), c.chosen) << c.what;
}

// ------------------------------------------------------------------ the fake host

struct FakeInput {
    std::string name;
    int left, right;
    bool clips = false;          // now and then a report with the left channel above the right
    bool levelControl = true;    // code 45 takes effect
};
struct FakeDevice {
    std::string name;
    std::vector<FakeInput> inputs;
};

// The host's side of the search as the real host behaves: status 76 after a
// device is selected and 75 after an input, the lists as the navigator's
// replies, each input's level, and a pipe thread that reports the peak
// levels of the selected input all the time, as the recording pipe does.
struct FakeHost {
    std::vector<FakeDevice> devices;
    bool sendsLists = true;
    bool confirmsDevice = true;
    bool confirmsInput = true;
    bool levelReadable = true;
    int holdCode = 0;            // a call the host does not return from until released
    DWORD deviceDelayMs = 0;     // a device is taken on a thread of the host's, this much later
    bk::ScopedHandle release{CreateEventA(nullptr, TRUE, FALSE, nullptr)};

    volatile LONG device = -1;
    volatile LONG input = -1;
    volatile LONG level = kStartLevel;
    volatile LONG pipeRunning = 0;
    bk::ScopedHandle pipe;
    std::vector<bk::ScopedHandle> selectors;
    std::mutex appliedLock;
    std::vector<std::pair<int, int>> applied;   // (device, input) as each input selection landed

    static std::string Join(const std::vector<std::string>& names, int current) {
        std::string text;
        for (size_t i = 0; i < names.size(); ++i) {
            if (i) text += '\x01';
            text += names[i];
        }
        return text + "\x01\x02" + std::to_string(current);
    }
    const FakeInput* Selected() const {
        LONG d = device, i = input;
        if (d < 0 || d >= static_cast<LONG>(devices.size())) return nullptr;
        const auto& inputs = devices[static_cast<size_t>(d)].inputs;
        return i >= 0 && i < static_cast<LONG>(inputs.size()) ? &inputs[static_cast<size_t>(i)] : nullptr;
    }
    void Answer(int code, int ch) {
        if (code == holdCode) WaitForSingleObject(release.Get(), 120000);
        switch (code) {
        case 59: {
            std::vector<std::string> names;
            for (const auto& d : devices) names.push_back(d.name);
            if (sendsLists) dlgtest::Lists().devices = Join(names, 0);
            break;
        }
        case 60:
            if (sendsLists && ch >= 1 && ch <= static_cast<int>(devices.size())) {
                std::vector<std::string> names;
                for (const auto& in : devices[static_cast<size_t>(ch - 1)].inputs) names.push_back(in.name);
                dlgtest::Lists().inputs = Join(names, 0);
            }
            if (deviceDelayMs) {
                pendingDevice = ch - 1;
                selectors.emplace_back(CreateThread(nullptr, 0, &FakeHost::SelectDeviceLater, this, 0, nullptr));
            } else {
                SelectDevice(ch - 1);
            }
            break;
        case 43: {
            InterlockedExchange(&input, ch - 1);
            std::lock_guard<std::mutex> hold(appliedLock);
            applied.emplace_back(static_cast<int>(device), ch - 1);
            if (confirmsInput) InterlockedExchange(&GetStatusFlags().wizardAck1, 1);
            break;
        }
        case 45: {
            // An input the fake knows nothing of has a level control.
            const FakeInput* in = Selected();
            if (!in || in->levelControl) InterlockedExchange(&level, ch);
            break;
        }
        }
    }
    volatile LONG pendingDevice = -1;
    void SelectDevice(LONG d) {
        InterlockedExchange(&device, d);
        InterlockedExchange(&input, -1);
        if (confirmsDevice) InterlockedExchange(&GetStatusFlags().wizardAck2, 1);
    }
    static DWORD WINAPI SelectDeviceLater(void* param) {
        auto* host = static_cast<FakeHost*>(param);
        Sleep(host->deviceDelayMs);
        host->SelectDevice(host->pendingDevice);
        return 0;
    }
    static DWORD WINAPI PipeThread(void* param) {
        auto* host = static_cast<FakeHost*>(param);
        for (unsigned n = 0; host->pipeRunning; ++n) {
            const FakeInput* in = host->Selected();
            if (in) {
                if (in->clips && n % 4 == 0)
                    SetPeakLevel(in->right + 5, in->right);
                else
                    SetPeakLevel(in->left, in->right);
            }
            Sleep(2);
        }
        return 0;
    }
    // Back to a host that answers everything, without devices.
    void Reset() {
        StopPipe();
        for (auto& t : selectors) WaitForSingleObject(t.Get(), 30000);
        selectors.clear();
        applied.clear();
        deviceDelayMs = 0;
        devices.clear();
        sendsLists = confirmsDevice = confirmsInput = levelReadable = true;
        holdCode = 0;
        ResetEvent(release.Get());
        device = input = -1;
        level = kStartLevel;
    }
    void StartPipe() {
        InterlockedExchange(&pipeRunning, 1);
        pipe.Reset(CreateThread(nullptr, 0, &FakeHost::PipeThread, this, 0, nullptr));
    }
    void StopPipe() {
        InterlockedExchange(&pipeRunning, 0);
        if (pipe) WaitForSingleObject(pipe.Get(), 30000);
        pipe.Reset();
    }
};

FakeHost* g_host = nullptr;

// The search calls the host on its own thread while the test reads.
std::mutex& CallLock() {
    static std::mutex lock;
    return lock;
}
int FakeHostCall(int code, int ch, void* text) {
    {
        std::lock_guard<std::mutex> hold(CallLock());
        dlgtest::RecordCall(code, ch, text);
    }
    if (g_host) g_host->Answer(code, ch);
    return 0;
}
bool FakeLevel(int* level) {
    if (!g_host || !g_host->levelReadable) return false;
    *level = g_host->level;
    return true;
}

void ClearCalls() {
    std::lock_guard<std::mutex> hold(CallLock());
    dlgtest::Calls().clear();
}
std::vector<dlgtest::HostCall> CallsNow() {
    std::lock_guard<std::mutex> hold(CallLock());
    return dlgtest::Calls();
}
// "code" or "code/ch" for the codes that carry an index, in order.
std::vector<std::string> Trace(const std::vector<dlgtest::HostCall>& calls) {
    std::vector<std::string> out;
    for (const auto& c : calls)
        out.push_back(c.code == 60 || c.code == 43 || c.code == 45 ? std::to_string(c.code) + "/" + std::to_string(c.ch)
                                                                   : std::to_string(c.code));
    return out;
}
size_t CountOf(const std::vector<std::string>& trace, const std::string& entry) {
    size_t n = 0;
    for (const auto& t : trace) n += t == entry;
    return n;
}

struct HintCall {
    int kind;
    HWND parent;
};
std::vector<HintCall>& Hints() {
    static std::vector<HintCall> hints;
    return hints;
}
void RecordHint(int kind, cElementHost*, HWND parent, cResourceManager*) { Hints().push_back({kind, parent}); }

class RecSourceSearchTest : public dlgtest::DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        Library().callback = &FakeHostCall;
        g_host = &host_;
        SetRecLevelReader(&FakeLevel);
        // Long enough that a loaded machine still delivers peaks inside the
        // measurement; short bounds so the unanswered cases end quickly.
        timing_ = DefaultRecSourceSearchTiming();
        timing_.measureMinSteps = 4;
        timing_.measureMaxSteps = 8;
        timing_.replyWaitMs = 400;
        SetRecSourceSearchTiming(timing_);
        savedHint_ = dlgs::Openers().hint;
        dlgs::Openers().hint = &RecordHint;
        Hints().clear();
        ResetFlags();
    }
    void TearDown() override {
        SetEvent(host_.release.Get());
        WaitUntil([] { return !IsRecSourceSearchRunning(); }, 20000);
        host_.Reset();
        dlgs::Openers().hint = savedHint_;
        SetRecSourceSearchTiming(DefaultRecSourceSearchTiming());
        SetRecLevelReader(nullptr);
        g_host = nullptr;
        ResetFlags();
        DialogTest::TearDown();
    }
    static void ResetFlags() {
        StatusFlags& flags = GetStatusFlags();
        flags.wizardAck1 = flags.wizardAck2 = 0;
        flags.wizardWindow = nullptr;
    }
    template <class Ready>
    static bool WaitUntil(Ready ready, DWORD ms) {
        DWORD start = GetTickCount();
        while (!ready()) {
            if (GetTickCount() - start > ms) return false;
            dlgs::PumpFor(10);
        }
        return true;
    }
    std::unique_ptr<cRecSourceSearchWnd> Open() {
        return std::unique_ptr<cRecSourceSearchWnd>(new cRecSourceSearchWnd(nullptr, nullptr, res_.get()));
    }
    // Next in step 0, then the search to its end.
    static bool Search(cRecSourceSearchWnd* wnd, DWORD ms = 30000) {
        Post(wnd, cRecSourceSearchWnd::BUTTON_NEXT);
        return WaitUntil([wnd] { return wnd->GetStep() >= cRecSourceSearchWnd::STEP_FOUND; }, ms);
    }
    static bool Shown(cRecSourceSearchWnd* wnd, unsigned long id) {
        fk::PumpPasses(2);
        cWndButton* b = wnd->GetButton(id);
        return b && b->GetWindow() && IsWindowVisible(b->GetWindow());
    }
    static bool Open(cRecSourceSearchWnd* wnd) { return wnd->GetWindow() && IsWindow(wnd->GetWindow()); }

    FakeHost host_;
    RecSourceSearchTiming timing_ = {};
    void (*savedHint_)(int, cElementHost*, HWND, cResourceManager*) = nullptr;
};

TEST_F(RecSourceSearchTest, TheBestInputIsOfferedAndTakenDeviceFirst) {
    host_.devices = {
        {"Line Card",
         {{"Mikrofon", 0, 0}, {"Stereo Mix", 40, 60}, {"CD", 30, 90}, {"Clipper", 70, 95, /*clips*/ true}}},
        {"USB Audio", {{"Line", 40, 90}, {"What U Hear", 20, 70}}},
    };
    host_.deviceDelayMs = 30;
    host_.StartPipe();
    auto wnd = Open();
    ASSERT_TRUE(Open(wnd.get()));
    EXPECT_EQ(wnd->GetStep(), cRecSourceSearchWnd::STEP_PREPARE);
    EXPECT_TRUE(Shown(wnd.get(), cRecSourceSearchWnd::BUTTON_NEXT));
    EXPECT_EQ(wnd->GetButton(cRecSourceSearchWnd::BUTTON_NEXT)->GetSprite(), 225u);
    for (unsigned long id : {cRecSourceSearchWnd::BUTTON_USE, cRecSourceSearchWnd::BUTTON_DONT_USE,
                             cRecSourceSearchWnd::BUTTON_HELP})
        EXPECT_FALSE(Shown(wnd.get(), id)) << id;
    Screenshot(wnd.get(), "rec_source_search_prepare");

    Post(wnd.get(), cRecSourceSearchWnd::BUTTON_NEXT);
    EXPECT_EQ(wnd->GetStep(), cRecSourceSearchWnd::STEP_SEARCHING);
    EXPECT_FALSE(Shown(wnd.get(), cRecSourceSearchWnd::BUTTON_NEXT)) << "no button while searching";
    EXPECT_TRUE(WaitUntil([] { return GetStatusFlags().wizardWindow != nullptr; }, 30000));
    EXPECT_EQ(GetStatusFlags().wizardWindow, wnd->GetWindow()) << "the peaks are posted to the pop-up";
    ASSERT_TRUE(WaitUntil([&] { return wnd->GetStep() >= cRecSourceSearchWnd::STEP_FOUND; }, 30000));

    // A louder left channel that clipped once, and a later input with the
    // same left level, both lose to the first clean one.
    ASSERT_EQ(wnd->GetStep(), cRecSourceSearchWnd::STEP_FOUND) << wnd->GetSearchLog();
    EXPECT_EQ(wnd->GetOfferedDevice(), 0);
    EXPECT_EQ(wnd->GetOfferedInput(), 1);
    EXPECT_STREQ(wnd->GetDeviceName(), "Line Card");
    EXPECT_STREQ(wnd->GetInputName(), "Stereo Mix");
    EXPECT_EQ(GetStatusFlags().wizardWindow, nullptr);
    EXPECT_FALSE(IsRecSourceSearchRunning());
    const std::string log = wnd->GetSearchLog();
    EXPECT_NE(log.find("Line Card: "), std::string::npos) << log;
    EXPECT_NE(log.find("(-0-) (40 -- 60)"), std::string::npos) << log;
    EXPECT_NE(log.find("(-1-) ("), std::string::npos) << "the clipped input: " << log;
    EXPECT_TRUE(Shown(wnd.get(), cRecSourceSearchWnd::BUTTON_USE));
    EXPECT_TRUE(Shown(wnd.get(), cRecSourceSearchWnd::BUTTON_DONT_USE));
    EXPECT_FALSE(Shown(wnd.get(), cRecSourceSearchWnd::BUTTON_NEXT));
    Screenshot(wnd.get(), "rec_source_search_found");

    // The search's calls: each device selected, its inputs listed, and each
    // input selected, raised to the measuring level and put back.
    const std::vector<std::string> trace = Trace(CallsNow());
    const std::vector<std::string> selections = [&] {
        std::vector<std::string> out;
        for (const auto& t : trace)
            if (t.rfind("60/", 0) == 0 || t.rfind("43/", 0) == 0 || t == "42" || t == "59" || t == "76" ||
                t == "75" || t == "3" || t == "28")
                out.push_back(t);
        return out;
    }();
    EXPECT_EQ(selections, (std::vector<std::string>{"76", "59", "3", "60/1", "42", "43/1", "43/2", "43/3", "43/4",
                                                    "60/2", "42", "43/1", "43/2", "75", "28"}));
    EXPECT_EQ(CountOf(trace, "45/5000"), 6u);
    EXPECT_EQ(CountOf(trace, "45/" + std::to_string(kStartLevel)), 6u) << "every input's level put back";
    const auto debugText = dlgtest::CallsWithCode(28);
    ASSERT_EQ(debugText.size(), 1u);
    EXPECT_EQ(debugText[0].text, log);

    const size_t before = CallsNow().size();
    Post(wnd.get(), cRecSourceSearchWnd::BUTTON_USE);
    const std::vector<std::string> after = [&] {
        auto all = Trace(CallsNow());
        return std::vector<std::string>(all.begin() + static_cast<long>(before), all.end());
    }();
    EXPECT_EQ(after, (std::vector<std::string>{"60/1", "43/2"}));
    {
        std::lock_guard<std::mutex> hold(host_.appliedLock);
        ASSERT_FALSE(host_.applied.empty());
        EXPECT_EQ(host_.applied.back(), std::make_pair(0, 1)) << "the input landed on the offered device";
    }
    EXPECT_EQ(wnd->GetResult(), 1);
    EXPECT_FALSE(Open(wnd.get()));
}

TEST_F(RecSourceSearchTest, NoInputWithSoundEndsInTheFailureStep) {
    const struct {
        const char* what;
        std::vector<FakeInput> inputs;
    } cases[] = {
        {"no sound on any input", {{"Mikrofon", 0, 0}, {"Line", 0, 0}}},
        {"sound only on one channel", {{"Mono", 0, 80}, {"Left", 80, 0}}},
        {"right not clearly louder", {{"Mix", 50, 60}}},
        {"every input clipped", {{"Hot", 30, 90, true}}},
        {"no inputs at all", {}},
    };
    for (const auto& c : cases) {
        host_.StopPipe();
        host_.devices = {{"Card", c.inputs}};
        host_.StartPipe();
        ClearCalls();
        Hints().clear();
        auto wnd = Open();
        ASSERT_TRUE(Search(wnd.get())) << c.what;
        EXPECT_EQ(wnd->GetStep(), cRecSourceSearchWnd::STEP_NOTHING) << c.what << "\n" << wnd->GetSearchLog();
        EXPECT_EQ(wnd->GetOfferedDevice(), -1) << c.what;
        EXPECT_TRUE(Shown(wnd.get(), cRecSourceSearchWnd::BUTTON_NEXT)) << c.what;
        EXPECT_EQ(wnd->GetButton(cRecSourceSearchWnd::BUTTON_NEXT)->GetSprite(), 187u) << "the close look";
        EXPECT_TRUE(Shown(wnd.get(), cRecSourceSearchWnd::BUTTON_HELP)) << c.what;
        EXPECT_FALSE(Shown(wnd.get(), cRecSourceSearchWnd::BUTTON_USE)) << c.what;
        if (c.inputs.size() == 1 && c.inputs[0].clips) Screenshot(wnd.get(), "rec_source_search_nothing");

        Post(wnd.get(), cRecSourceSearchWnd::BUTTON_HELP);
        ASSERT_EQ(Hints().size(), 1u) << c.what;
        EXPECT_EQ(Hints()[0].kind, dlgs::HINT_SEARCH_FAILED);
        EXPECT_TRUE(Open(wnd.get())) << "the hint leaves the wizard open";

        // Nothing is selected on the way out: the host put back what it had.
        const size_t before = CallsNow().size();
        Post(wnd.get(), cRecSourceSearchWnd::BUTTON_NEXT);
        EXPECT_FALSE(Open(wnd.get())) << c.what;
        EXPECT_EQ(CallsNow().size(), before) << c.what;
        EXPECT_EQ(Trace(CallsNow()).back(), "28") << c.what;
        EXPECT_EQ(wnd->GetResult(), 0) << c.what;
    }
}

TEST_F(RecSourceSearchTest, RefusingTheOfferSelectsNothing) {
    host_.devices = {{"Card", {{"Stereo Mix", 40, 70}}}};
    host_.StartPipe();
    auto wnd = Open();
    ASSERT_TRUE(Search(wnd.get()));
    ASSERT_EQ(wnd->GetStep(), cRecSourceSearchWnd::STEP_FOUND) << wnd->GetSearchLog();
    const auto trace = Trace(CallsNow());
    EXPECT_EQ(trace.back(), "28");
    EXPECT_EQ(trace[trace.size() - 2], "75") << "the host restores its own choice after the search";
    const size_t before = trace.size();
    Post(wnd.get(), cRecSourceSearchWnd::BUTTON_DONT_USE);
    EXPECT_FALSE(Open(wnd.get()));
    EXPECT_EQ(CallsNow().size(), before);
    EXPECT_EQ(wnd->GetResult(), 0);
}

TEST_F(RecSourceSearchTest, HostThatDoesNotAnswerEndsWithinTheBound) {
    const struct {
        const char* what;
        void (*script)(FakeHost*);
        const char* lastBeforeRestore;   // the trace entry right before code 75
    } cases[] = {
        {"no host at all", [](FakeHost*) { Library().callback = nullptr; }, nullptr},
        {"device list never sent", [](FakeHost* h) { h->sendsLists = false; }, "3"},
        {"device never selected", [](FakeHost* h) { h->confirmsDevice = false; }, "60/1"},
        {"input never selected", [](FakeHost* h) { h->confirmsInput = false; }, "43/1"},
        {"level never reaches the measuring level",
         [](FakeHost* h) { h->devices[0].inputs[0].levelControl = false; }, "45/3000"},
        {"level never reported", [](FakeHost* h) { h->levelReadable = false; }, "44"},
    };
    for (const auto& c : cases) {
        host_.Reset();
        host_.devices = {{"Card", {{"Stereo Mix", 40, 70}}}};
        c.script(&host_);
        host_.StartPipe();
        ClearCalls();
        dlgtest::Lists() = dlgtest::ScriptedLists();
        auto wnd = Open();
        ASSERT_TRUE(Search(wnd.get(), 60000)) << c.what;   // gives up instead of waiting for ever
        EXPECT_EQ(wnd->GetStep(), cRecSourceSearchWnd::STEP_NOTHING) << c.what;
        EXPECT_FALSE(IsRecSourceSearchRunning()) << c.what;
        if (c.lastBeforeRestore) {
            const auto trace = Trace(CallsNow());
            ASSERT_GE(trace.size(), 2u) << c.what;
            EXPECT_EQ(trace[trace.size() - 2], "75") << c.what;
            EXPECT_EQ(trace[trace.size() - 3], c.lastBeforeRestore) << c.what;
        }
        Library().callback = &FakeHostCall;
        Post(wnd.get(), cRecSourceSearchWnd::BUTTON_NEXT);
    }
}

TEST_F(RecSourceSearchTest, ClosingMidSearchEndsTheSearchAndPutsTheHostBack) {
    const struct {
        const char* what;
        void (*script)(FakeHost*);
        const char* waitFor;                 // the call after which the pop-up is closed
        std::vector<std::string> tail;       // the search's last calls
    } cases[] = {
        {"waiting for the input", [](FakeHost* h) { h->confirmsInput = false; }, "43/1", {"43/1", "75", "28"}},
        {"waiting for the level",
         [](FakeHost* h) { h->devices[0].inputs[0].levelControl = false; }, "45/5000", {"45/3000", "75", "28"}},
    };
    // Without the close each of these waits would last 2 minutes.
    RecSourceSearchTiming timing = DefaultRecSourceSearchTiming();
    timing.replyWaitMs = 120000;
    SetRecSourceSearchTiming(timing);
    for (const auto& c : cases)
        for (bool byButton : {true, false}) {
            const std::string what = std::string(c.what) + (byButton ? ", window closed" : ", object deleted");
            host_.Reset();
            host_.devices = {{"Card", {{"Stereo Mix", 40, 70}, {"CD", 40, 70}}}};
            c.script(&host_);
            ClearCalls();
            auto wnd = Open();
            Post(wnd.get(), cRecSourceSearchWnd::BUTTON_NEXT);
            ASSERT_TRUE(WaitUntil([&] { return CountOf(Trace(CallsNow()), c.waitFor) > 0; }, 30000)) << what;
            dlgs::PumpFor(50);
            ASSERT_TRUE(IsRecSourceSearchRunning()) << what;

            if (byButton) {
                // The close in any step after the first.
                Post(wnd.get(), cRecSourceSearchWnd::BUTTON_NEXT);
                EXPECT_FALSE(Open(wnd.get())) << what;
                EXPECT_TRUE(WaitUntil([] { return !IsRecSourceSearchRunning(); }, 30000))
                    << what << ": the search heeds the close";
            }
            const DWORD start = GetTickCount();
            wnd.reset();
            EXPECT_LT(GetTickCount() - start, 60000u) << what << ": the close ended the wait";
            EXPECT_FALSE(IsRecSourceSearchRunning()) << what << ": the pop-up goes only after the search";
            EXPECT_EQ(GetStatusFlags().wizardWindow, nullptr) << what;
            const auto trace = Trace(CallsNow());
            ASSERT_GE(trace.size(), c.tail.size()) << what;
            EXPECT_EQ(std::vector<std::string>(trace.end() - static_cast<long>(c.tail.size()), trace.end()), c.tail)
                << what;
            EXPECT_EQ(CountOf(trace, "43/2"), 0u) << what << ": no further input tried";
            Sleep(100);
            EXPECT_EQ(CallsNow().size(), trace.size()) << what << ": nothing after the close";
        }
}

// A navigator that never gets the host's list: the wait lasts its bound,
// or until the search is stopped.
bool NoListEver(int, char* out, int size, DWORD timeoutMs, const volatile LONG* stop) {
    if (out && size > 0) out[0] = 0;
    for (const DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs && !(stop && *stop);) Sleep(5);
    return false;
}

TEST_F(RecSourceSearchTest, ClosingWhileAListIsAwaitedEndsTheWaitAtOnce) {
    dlgs::SetRecListReplies(dlgs::RecListReplies{&dlgtest::MarkPending, &NoListEver});
    RecSourceSearchTiming timing = DefaultRecSourceSearchTiming();
    timing.replyWaitMs = 120000;
    SetRecSourceSearchTiming(timing);
    host_.devices = {{"Card", {{"Stereo Mix", 40, 70}}}};
    auto wnd = Open();
    Post(wnd.get(), cRecSourceSearchWnd::BUTTON_NEXT);
    ASSERT_TRUE(WaitUntil([&] { return CountOf(Trace(CallsNow()), "59") > 0; }, 30000));
    dlgs::PumpFor(50);
    ASSERT_TRUE(IsRecSourceSearchRunning());
    const DWORD start = GetTickCount();
    Post(wnd.get(), cRecSourceSearchWnd::BUTTON_NEXT);
    EXPECT_TRUE(WaitUntil([] { return !IsRecSourceSearchRunning(); }, 60000));
    EXPECT_LT(GetTickCount() - start, 60000u) << "the list wait ran on after the close";
    wnd.reset();
    const auto trace = Trace(CallsNow());
    EXPECT_EQ(CountOf(trace, "60/1"), 0u) << "no device tried after the close";
    ASSERT_GE(trace.size(), 2u);
    EXPECT_EQ(trace[trace.size() - 2], "75") << "the host's audio is put back";
}

TEST_F(RecSourceSearchTest, HostHoldingACallDoesNotHoldTheClose) {
    RecSourceSearchTiming timing = timing_;
    timing.closeWaitMs = 300;
    SetRecSourceSearchTiming(timing);
    host_.devices = {{"Card", {{"Stereo Mix", 40, 70}}}};
    host_.holdCode = 42;   // held for up to 2 minutes
    auto wnd = Open();
    Post(wnd.get(), cRecSourceSearchWnd::BUTTON_NEXT);
    ASSERT_TRUE(WaitUntil([&] { return CountOf(Trace(CallsNow()), "42") > 0; }, 30000));

    const DWORD start = GetTickCount();
    wnd.reset();
    EXPECT_LT(GetTickCount() - start, 60000u) << "the close did not wait for the held call";
    EXPECT_TRUE(IsRecSourceSearchRunning()) << "still inside the host's call";
    EXPECT_EQ(GetStatusFlags().wizardWindow, nullptr) << "no peaks to a window that is gone";

    // Once the host returns, the search stops without touching the pop-up
    // and still puts the host's audio back.
    SetEvent(host_.release.Get());
    ASSERT_TRUE(WaitUntil([] { return !IsRecSourceSearchRunning(); }, 30000));
    const auto trace = Trace(CallsNow());
    EXPECT_EQ(CountOf(trace, "43/1"), 0u);
    EXPECT_EQ(trace[trace.size() - 2], "75");
    EXPECT_EQ(trace.back(), "28");
}

TEST_F(RecSourceSearchTest, ListsAreReadWithinTheirBounds) {
    RecSourceSearchTiming timing = timing_;
    timing.measureStepMs = 1;
    timing.measureMinSteps = timing.measureMaxSteps = 1;
    SetRecSourceSearchTiming(timing);
    const struct {
        const char* what;
        std::string devices;
        std::string inputs;
        size_t deviceSelections, inputSelections;
    } cases[] = {
        {"more devices than are tested", [] {
             std::string t = std::string("\x02") + "7";
             for (int i = 0; i < 60; ++i) t += "\x01" "Device " + std::to_string(i);
             return t;
         }(), "", 50, 0},
        {"more inputs than are tested", "Card", [] {
             std::string t;
             // Short names: the host's reply holds at most 511 characters.
             for (int i = 0; i < 120; ++i) t += (i ? "\x01" : "") + std::to_string(i);
             return t;
         }(), 1, 100},
        {"the current-choice mark is no input", "Card", std::string("A\x01\x02") + "1\x01" "B", 1, 2},
        {"a list ending in the separator", "Card\x01", "A\x01", 1, 1},
    };
    host_.sendsLists = false;   // the lists as scripted here
    for (const auto& c : cases) {
        ClearCalls();
        dlgtest::Lists().devices = c.devices;
        dlgtest::Lists().inputs = c.inputs;
        auto wnd = Open();
        ASSERT_TRUE(Search(wnd.get(), 60000)) << c.what;
        const auto calls = CallsNow();
        size_t devices = 0, inputs = 0;
        int lastInput = 0;
        for (const auto& call : calls) {
            devices += call.code == 60;
            if (call.code == 43) {
                ++inputs;
                EXPECT_EQ(call.ch, lastInput + 1) << c.what;
                lastInput = call.ch;
            }
        }
        EXPECT_EQ(devices, c.deviceSelections) << c.what;
        EXPECT_EQ(inputs, c.inputSelections) << c.what;
        Post(wnd.get(), cRecSourceSearchWnd::BUTTON_NEXT);
    }
}

TEST_F(RecSourceSearchTest, OverlongNamesAreCutAndTheSearchCanBeStartedByMessage) {
    const std::string device(700, 'd'), input(700, 'i');
    host_.devices = {{device, {{input, 40, 70}}}};
    host_.StartPipe();
    auto wnd = Open();
    PostMessageA(wnd->GetWindow(), cRecSourceSearchWnd::WM_START_SEARCH, 0, 0);
    ASSERT_TRUE(WaitUntil([] { return GetStatusFlags().wizardWindow != nullptr; }, 30000));
    EXPECT_EQ(wnd->GetStep(), cRecSourceSearchWnd::STEP_PREPARE) << "the message leaves the step";
    ASSERT_TRUE(WaitUntil([&] { return wnd->GetStep() >= cRecSourceSearchWnd::STEP_FOUND; }, 30000));
    ASSERT_EQ(wnd->GetStep(), cRecSourceSearchWnd::STEP_FOUND) << wnd->GetSearchLog();
    EXPECT_EQ(std::string(wnd->GetDeviceName()), device.substr(0, 511));
    EXPECT_EQ(std::string(wnd->GetInputName()), input.substr(0, 511));
    EXPECT_LT(strlen(wnd->GetSearchLog()), static_cast<size_t>(cRecSourceSearchWnd::LOG_SIZE));
    Screenshot(wnd.get(), "rec_source_search_long_names");
    Post(wnd.get(), cRecSourceSearchWnd::BUTTON_DONT_USE);
}

}  // namespace
