#include "facetkit_fixtures.h"

#include <algorithm>

#include "activeelement.h"
#include "tdtest.h"

namespace fk {

std::string BinFile(const char* name) { return tdtest::BinDir() + "\\" + name; }

HMODULE LoadStockface(bk::ScopedModule* holder) {
    holder->Reset(LoadLibraryA(BinFile("stockface.dll").c_str()));
    return holder->Get();
}

namespace {
const char* kHostClass = "facetkit_test_host";
}

TestHost::TestHost(int width, int height) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = &TestHost::Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
        wc.lpszClassName = kHostClass;
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        RegisterClassA(&wc);
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
        InitCommonControlsEx(&icc);
        registered = true;
    }
    // The first window of the first program after Wine's services start can
    // fail while Wine brings up its desktop; a later attempt succeeds.
    for (int attempt = 0; attempt < 50 && !hwnd_; ++attempt) {
        if (attempt) Sleep(100);
        hwnd_ = CreateWindowExA(0, kHostClass, "facetkit test", WS_POPUP | WS_VISIBLE, 40, 40, width, height,
                                nullptr, nullptr, GetModuleHandleA(nullptr), this);
    }
    tips_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
    UpdateWindow(hwnd_);
}

TestHost::~TestHost() {
    if (tips_) DestroyWindow(tips_);
    if (hwnd_) {
        SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

int TestHost::GetToolInfo(TOOLINFOA* info) {
    return tips_ ? static_cast<int>(SendMessageA(tips_, TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(info))) : 0;
}
int TestHost::AddTool(TOOLINFOA* info) {
    return tips_ ? static_cast<int>(SendMessageA(tips_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(info))) : 0;
}
void TestHost::DelTool(TOOLINFOA* info) {
    if (tips_) SendMessageA(tips_, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(info));
}
int TestHost::ToolCount() const {
    return tips_ ? static_cast<int>(SendMessageA(tips_, TTM_GETTOOLCOUNT, 0, 0)) : 0;
}

void TestHost::Drain() {
    MSG msg;
    for (int pass = 0; pass < 3; ++pass) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(5);
    }
}

std::vector<HostMessage> TestHost::Take(UINT msg) {
    std::vector<HostMessage> out;
    for (auto it = messages.begin(); it != messages.end();) {
        if (it->msg == msg) {
            out.push_back(*it);
            it = messages.erase(it);
        } else {
            ++it;
        }
    }
    return out;
}

LRESULT CALLBACK TestHost::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<TestHost*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self && msg >= WM_USER + 100 && msg <= WM_USER + 200) {
        int status = self->watched ? self->watched->GetStatus() : 0;
        self->messages.push_back({msg, wParam, lParam, status});
        if (msg == WM_SKIN_BUTTON_PRESSED && self->onPressed) self->onPressed(self, lParam);
        if (msg == WM_SKIN_GET_BUTTON_LIST) return 0;
        return 0;
    }
    if (self && msg == WM_PAINT && self->onPaint) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        self->onPaint(self, dc);
        EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

uint32_t WindowPixel(HWND hwnd, int x, int y) {
    bk::ScopedGetDC dc(hwnd);
    return ToRgb(GetPixel(dc.Get(), x, y));
}

uint32_t DcPixel(HDC dc, int x, int y) { return ToRgb(GetPixel(dc, x, y)); }

HWND OwnMenuWindow() { return tdtest::FindWindowOf("#32768", GetCurrentProcessId()); }

void MenuDriver::Start(std::function<std::vector<WPARAM>(HMENU)> look) {
    Join();
    seen_ = false;
    thread_ = std::thread([this, look] {
        HWND menu = nullptr;
        tdtest::WaitFor([&] {
            menu = OwnMenuWindow();
            if (menu && !IsWindowVisible(menu)) menu = nullptr;
            return menu != nullptr;
        }, 30000);
        if (!menu) return;
        seen_ = true;
        HMENU hmenu = reinterpret_cast<HMENU>(SendMessageA(menu, MN_GETHMENU, 0, 0));
        std::vector<WPARAM> keys = look(hmenu);
        if (keys.empty()) keys.push_back(VK_ESCAPE);
        for (WPARAM key : keys) PostMessageA(menu, WM_KEYDOWN, key, 0);
        // A menu that did not take the input is closed all the same.
        if (!tdtest::WaitFor([&] { return !IsWindowVisible(menu); }, 20000)) PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    });
}

}  // namespace fk
