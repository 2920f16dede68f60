// The main program's hidden status window, in miniature, for the tests of
// the playback host: collects status records and the host's answers.
#pragma once

#include <windows.h>

#include <utility>
#include <vector>

#include "cradle_app.h"
#include "statusrecords.h"
#include "tdtest.h"

struct Received {
    uint32_t kind;
    bk::StatusRecord rec;
};

class StatusWindow {
public:
    StatusWindow() {
        static bool registered = false;
        if (!registered) {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = Proc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = bk::kStatusWindowClass;
            RegisterClassA(&wc);
            registered = true;
        }
        hwnd_ = CreateWindowExA(0, bk::kStatusWindowClass, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
        SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~StatusWindow() { Destroy(); }
    void Destroy() {
        if (hwnd_) DestroyWindow(hwnd_);
        hwnd_ = nullptr;
    }

    std::vector<Received> records;
    std::vector<std::pair<WPARAM, LPARAM>> replies;

    // Waits for the next record of a kind (and value, for kinds 2 to 6) after
    // the last one found; returns its index or -1.
    int WaitRecord(uint32_t kind, long value, DWORD ms) {
        int found = -1;
        tdtest::WaitFor(
            [&] {
                for (; cursor_ < records.size(); ++cursor_) {
                    const Received& r = records[cursor_];
                    if (r.kind != kind) continue;
                    if (value >= 0 && kind >= 2 && kind <= 6 && r.rec.value.value != static_cast<uint32_t>(value)) continue;
                    found = static_cast<int>(cursor_++);
                    return true;
                }
                return false;
            },
            ms);
        return found;
    }
    bool WaitReply(WPARAM kind, LPARAM* value, DWORD ms) {
        bool ok = tdtest::WaitFor(
            [&] {
                for (auto& r : replies)
                    if (r.first == kind) {
                        *value = r.second;
                        return true;
                    }
                return false;
            },
            ms);
        return ok;
    }

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
        if (self && msg == UWM_PLAYER_REPLY) {
            self->replies.emplace_back(wParam, lParam);
            return 0;
        }
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    HWND hwnd_ = nullptr;
    size_t cursor_ = 0;
};
