// A main window in the window list that keeps what the navigator posts to
// it, for the tests of the navigator's messages.
#pragma once

#include <windows.h>

#include <utility>
#include <vector>

#include "skin_wnd.h"
#include "wnd_list.h"

class MainProbe : public cSkinWnd {
public:
    MainProbe() {
        hwnd_ = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        InitWindow(hwnd_, WND_ID_MAIN);
    }
    ~MainProbe() override {
        GetWindowList().RemoveWithoutDelete(this);
        DetachWindow();
        DestroyWindow(hwnd_);
    }
    std::vector<std::pair<UINT, WPARAM>> Take() {
        std::vector<std::pair<UINT, WPARAM>> out;
        MSG m;
        while (PeekMessageA(&m, hwnd_, 0, 0, PM_REMOVE)) out.emplace_back(m.message, m.wParam);
        return out;
    }

private:
    HWND hwnd_;
};
