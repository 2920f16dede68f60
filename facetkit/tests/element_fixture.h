// The set-up the element tests share: the standard skin's resource manager
// and one host window per suite (a top-level window costs seconds under
// Wine), drained and cleared before every test.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>

#include "facetkit_fixtures.h"
#include "resource_manager.h"
#include "win_handles.h"

namespace fk {

class ElementTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { suiteHost_ = new TestHost(420, 300); }
    static void TearDownTestSuite() {
        delete suiteHost_;
        suiteHost_ = nullptr;
    }
    void SetUp() override {
        ASSERT_NE(LoadStockface(&skin_), nullptr);
        res_.reset(new cResourceManager(skin_.Get(), 0));
        host_ = suiteHost_;
        host_->onPaint = nullptr;
        host_->user = nullptr;
        host_->watched = nullptr;
        host_->onPressed = nullptr;
        Pump();
        host_->Clear();
    }
    void TearDown() override {
        Pump();
        res_.reset();
    }
    // Handles every message waiting for this thread's windows.
    static void Pump() { suiteHost_->Drain(); }
    // Pumps for about `ms` milliseconds (timers fire meanwhile).
    static void PumpFor(DWORD ms) {
        DWORD start = GetTickCount();
        MSG msg;
        while (GetTickCount() - start < ms) {
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            Sleep(5);
        }
    }
    // The sprite and cell a window shows at (x, y) of its client area.
    static bool ShownCell(HWND hwnd, int x, int y, unsigned* id, unsigned* cell) {
        UpdateWindow(hwnd);
        return DecodeProbe(WindowPixel(hwnd, x, y), id, cell);
    }
    // A pixel of a sprite in the master bitmap (0x00RRGGBB).
    uint32_t SpritePixel(unsigned id, int x, int y) {
        RECT r;
        HDC master = res_->GetDC(id, &r);
        return ToRgb(GetPixel(master, r.left + x, r.top + y));
    }

    bk::ScopedModule skin_;
    std::unique_ptr<cResourceManager> res_;
    TestHost* host_ = nullptr;
    static inline TestHost* suiteHost_ = nullptr;
};

}  // namespace fk
