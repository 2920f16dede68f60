// What the bridge's tests share: a miniature of the main program's status
// window that collects the records a remote reporter sends to it.
#pragma once

#include <windows.h>

#include <vector>

#include "playerstatus.h"
#include "statusrecords.h"
#include "tdtest.h"

struct Received {
    uint32_t kind;
    bk::StatusRecord rec;
};

class StatusWindow {
public:
    StatusWindow() {
        WNDCLASSA wc = {};
        if (!GetClassInfoA(GetModuleHandleA(nullptr), bk::kStatusWindowClass, &wc)) {
            wc = WNDCLASSA{};
            wc.lpfnWndProc = Proc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = bk::kStatusWindowClass;
            RegisterClassA(&wc);
        }
        hwnd_ = CreateWindowExA(0, bk::kStatusWindowClass, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
        SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        reporter_ = new cSendRunTimeInfo(nullptr);
        Reset();
    }
    ~StatusWindow() {
        delete reporter_;
        DestroyWindow(hwnd_);
    }
    StatusWindow(const StatusWindow&) = delete;
    StatusWindow& operator=(const StatusWindow&) = delete;

    cSendRunTimeInfo* Reporter() const { return reporter_; }
    // Lets the reporter find this window again (reports of state 0 make it
    // forget the window) and forgets what arrived so far.
    void Reset() {
        reporter_->Reset(0);
        records.clear();
    }

    // Records of a kind, in order.
    std::vector<bk::StatusRecord> Of(uint32_t kind) const {
        std::vector<bk::StatusRecord> out;
        for (const Received& r : records)
            if (r.kind == kind) out.push_back(r.rec);
        return out;
    }
    bool WaitFor(uint32_t kind, long value, DWORD ms) {
        return tdtest::WaitFor(
            [&] {
                for (const Received& r : records)
                    if (r.kind == kind && (value < 0 || r.rec.value.value == static_cast<uint32_t>(value))) return true;
                return false;
            },
            ms);
    }

    std::vector<Received> records;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<StatusWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (self && msg == WM_COPYDATA) {
            auto* cds = reinterpret_cast<COPYDATASTRUCT*>(lParam);
            Received r;
            r.kind = static_cast<uint32_t>(wParam);
            if (cds && bk::DecodeStatusRecord(r.kind, cds->lpData, cds->cbData, &r.rec)) self->records.push_back(r);
            return 1;
        }
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    HWND hwnd_ = nullptr;
    cSendRunTimeInfo* reporter_ = nullptr;
};
