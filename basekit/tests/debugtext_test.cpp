#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "debugtext.h"
#include "tdtest.h"

namespace {

struct Received {
    WPARAM wParam;
    ULONG_PTR dwData;
    std::string bytes;
};

std::vector<Received>* g_received = nullptr;

LRESULT CALLBACK ViewerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COPYDATA && g_received) {
        auto* cds = reinterpret_cast<COPYDATASTRUCT*>(lParam);
        g_received->push_back({wParam, cds->dwData,
                               std::string(static_cast<const char*>(cds->lpData), cds->cbData)});
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// A stand-in for the log viewer's window in this process; the sender runs
// in a child process, because each process looks the viewer up only once.
class Viewer {
public:
    Viewer() {
        g_received = &records_;
        WNDCLASSA wc = {};
        wc.lpfnWndProc = ViewerProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "logscope_center_class";
        RegisterClassA(&wc);
        // A hidden top-level window: FindWindow does not see message-only ones.
        hwnd_ = CreateWindowA("logscope_center_class", "viewer", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                              wc.hInstance, nullptr);
    }
    ~Viewer() {
        DestroyWindow(hwnd_);
        UnregisterClassA("logscope_center_class", GetModuleHandleA(nullptr));
        g_received = nullptr;
    }
    bool Ok() const { return hwnd_ != nullptr; }
    const std::vector<Received>& Records() const { return records_; }

private:
    HWND hwnd_ = nullptr;
    std::vector<Received> records_;
};

std::string Record(const std::string& text, int32_t level) {
    uint32_t len = static_cast<uint32_t>(text.size() + 1);
    std::string r(reinterpret_cast<const char*>(&len), 4);
    r.append(reinterpret_cast<const char*>(&level), 4);
    r += text;
    r.append(5, '\0');   // terminator and padding
    return r;
}

// Runs the sender role and pumps this thread's messages until it ends.
DWORD RunSender(const std::vector<std::string>& args, DWORD timeoutMs = 20000) {
    tdtest::Process child;
    if (!child.StartChild("debugsender", args)) return 1000;
    DWORD code = 1001;
    tdtest::WaitFor([&] { return !child.Running(); }, timeoutMs);
    if (!child.Wait(0, &code)) return 1002;
    return code;
}

}  // namespace

TD_CHILD(debugsender) {
    // argv[1]: what to send.
    std::string what = argc > 1 ? argv[1] : "";
    if (what == "cases") {
        SendDebugText("", 7);
        SendDebugText(nullptr, 3);
        SendDebugText("abc", -5);
        DebugLog(DL_ERR, "%s %d", "formatted", 42);
        DebugLog(DL_INF, "%s", std::string(3000, 'w').c_str());
        {
            DebugScope scope("Probe", DL_IO);
            scope.Ok();
            scope.Exception("boom");
        }
        return 0;
    }
    if (what == "late" && argc > 2) {
        SendDebugText("before the viewer", 1);   // the one lookup finds nothing
        HANDLE sent = OpenEventA(EVENT_MODIFY_STATE, FALSE, (std::string(argv[2]) + "_sent").c_str());
        if (!sent) return 4;
        SetEvent(sent);
        HANDLE ready = OpenEventA(SYNCHRONIZE, FALSE, argv[2]);
        if (!ready || WaitForSingleObject(ready, 20000) != WAIT_OBJECT_0) return 5;
        SendDebugText("after the viewer", 1);
        return 0;
    }
    if (what == "timed") {
        DWORD start = GetTickCount();
        SendDebugText("to a hung viewer", 1);
        return static_cast<int>(GetTickCount() - start);   // milliseconds blocked
    }
    return 9;
}

TEST(DebugText, RecordsAreByteExact) {
    Viewer viewer;
    ASSERT_TRUE(viewer.Ok());
    ASSERT_EQ(0u, RunSender({"cases"}));
    const auto& r = viewer.Records();
    std::vector<std::string> expected = {
        Record("", 7),
        Record("abc", -5),
        Record("formatted 42", DL_ERR),
        Record(std::string(1023, 'w'), DL_INF),   // the front end's line holds 1023 characters
        Record("Probe - Eingang", DL_IO),
        Record("Probe ...ok", DL_IO),
        Record("Probe EXCEPTION (boom)", DL_ERR),
        Record("Probe - Ausgang", DL_IO),
    };
    ASSERT_EQ(expected.size(), r.size());
    EXPECT_EQ(13u, r[0].bytes.size());   // an empty text
    for (size_t i = 0; i < r.size(); ++i) {
        EXPECT_EQ(0u, r[i].wParam) << i;
        EXPECT_EQ(0u, r[i].dwData) << i;
        EXPECT_EQ(expected[i], r[i].bytes) << i;
    }
}

TEST(DebugText, ViewerStartedLaterGetsNothing) {
    std::string name = "bk2_debug_ready_" + std::to_string(GetCurrentProcessId());
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, name.c_str());
    HANDLE sent = CreateEventA(nullptr, TRUE, FALSE, (name + "_sent").c_str());
    tdtest::Process child;
    ASSERT_TRUE(child.StartChild("debugsender", {"late", name}));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(sent, 20000));   // its one lookup is done
    Viewer viewer;
    ASSERT_TRUE(viewer.Ok());
    SetEvent(ready);
    tdtest::WaitFor([&] { return !child.Running(); }, 20000);
    DWORD code = 99;
    ASSERT_TRUE(child.Wait(0, &code));
    EXPECT_EQ(0u, code);
    tdtest::PumpMessages();
    EXPECT_TRUE(viewer.Records().empty());
    CloseHandle(ready);
    CloseHandle(sent);
}

TEST(DebugText, HungViewerHoldsTheSenderOnlyBriefly) {
    Viewer viewer;
    ASSERT_TRUE(viewer.Ok());
    tdtest::Process child;
    ASSERT_TRUE(child.StartChild("debugsender", {"timed"}));
    DWORD blocked = 0;
    ASSERT_TRUE(child.Wait(60000, &blocked));   // this thread does not pump meanwhile
    EXPECT_GE(blocked, 1500u);
    EXPECT_LT(blocked, 30000u);   // bounded: a sender that waited for the viewer would still be waiting
    tdtest::PumpMessages();
}
