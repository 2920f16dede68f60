// A skinned top-level window for tests, made as the views make theirs (its
// class procedure is the base's, the object comes in the creation
// parameter), which records the skin engine's messages it receives.
#pragma once

#include <windows.h>

#include <vector>

#include "skin_wnd.h"

namespace fk {

// Handles this thread's waiting messages, a few passes apart.
inline void PumpPasses(int passes = 3) {
    MSG msg;
    for (int pass = 0; pass < passes; ++pass) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(5);
    }
}

class TestSkinWnd : public cSkinWnd {
public:
    struct Msg {
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
    };

    TestSkinWnd(unsigned id, int x, int y, int w, int h) {
        static bool registered = false;
        const char* kClass = "facetkit_test_skinwnd";
        if (!registered) {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = &cSkinWnd::StaticWndProc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = kClass;
            wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
            RegisterClassA(&wc);
            registered = true;
        }
        SetStoredPosition(x, y);
        SetSize(w, h);
        HWND hwnd = CreateWindowExA(0, kClass, "skin", WS_POPUP | WS_VISIBLE, x, y, w, h, nullptr, nullptr,
                                    GetModuleHandleA(nullptr), this);
        InitWindow(hwnd, id);
    }
    LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg >= WM_USER && msg < WM_USER + 0x1000) received.push_back({msg, wParam, lParam});
        return cSkinWnd::WndProc(hwnd, msg, wParam, lParam);
    }
    RECT Rect() const {
        RECT r;
        GetWindowRect(GetWindow(), &r);
        return r;
    }

    std::vector<Msg> received;
};

}  // namespace fk
