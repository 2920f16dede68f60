// Shared pieces of facetkit's tests: the generated standard skin, the probe
// pixels its sprites carry, and a host window that owns elements.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "activeelement.h"
#include "element_host.h"
#include "win_handles.h"

namespace fk {

// The probe pixel a sprite's cell carries at (2, 2) of the cell.
inline COLORREF ProbeColour(unsigned id, unsigned cell) {
    return RGB(id & 0xFF, ((id >> 8) | (cell << 1)) & 0xFF, 0xA5);
}
// Decodes a probe (0x00RRGGBB as captured); false when it is none.
inline bool DecodeProbe(uint32_t rgb, unsigned* id, unsigned* cell) {
    if ((rgb & 0xFF) != 0xA5) return false;
    unsigned r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF;
    *id = r | ((g & 1) << 8);
    *cell = g >> 1;
    return true;
}
inline uint32_t ToRgb(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

// stockface.dll from the program folder, freed at the end of the test.
HMODULE LoadStockface(bk::ScopedModule* holder);
std::string BinFile(const char* name);

// A top-level window that owns elements: tool-tip control, a cursor choice
// counter and a record of the element messages its children send it.
struct HostMessage {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    int statusAtArrival;   // of the watched button when the message arrived
};

class TestHost : public cElementHost {
public:
    TestHost(int width = 420, int height = 240);
    ~TestHost() override;
    TestHost(const TestHost&) = delete;
    TestHost& operator=(const TestHost&) = delete;

    HWND GetWindow() const override { return hwnd_; }
    HWND GetToolTipWindow() const override { return tips_; }
    int GetToolInfo(TOOLINFOA* info) override;
    int AddTool(TOOLINFOA* info) override;
    void DelTool(TOOLINFOA* info) override;
    void SelectCursor(cButtonListe*) override { ++cursorUpdates; }

    int ToolCount() const;
    // Handles posted messages until none is left.
    void Drain();
    std::vector<HostMessage> Take(UINT msg);   // removes and returns those of msg
    void Clear() { messages.clear(); }

    std::vector<HostMessage> messages;
    int cursorUpdates = 0;
    cActiveElement* watched = nullptr;     // its status is recorded per message
    // Called for WM_USER+119 (pressed); may delete the button.
    void (*onPressed)(TestHost* host, LPARAM id) = nullptr;
    void* user = nullptr;
    // Paints windowless elements into the window.
    void (*onPaint)(TestHost* host, HDC dc) = nullptr;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
    HWND tips_ = nullptr;
};

// Pixel of a window's client area as shown on screen (0x00RRGGBB).
uint32_t WindowPixel(HWND hwnd, int x, int y);
// Reads every pixel of a memory DC's bitmap.
uint32_t DcPixel(HDC dc, int x, int y);

// This program's menu window: other programs on the display may have one
// open at the same time.
HWND OwnMenuWindow();

// Drives the next pop-up menu this program shows, from a second thread while
// the menu's own loop runs: waits for its window (30 s at most), hands its
// menu to `look`, posts the keys `look` answers to it (none: Escape), and
// closes it with Escape when it stays open. Keys posted to the menu reach its
// loop in order; a pointer moved by the test would race the loop's own idea
// of where the mouse is when the machine is busy.
class MenuDriver {
public:
    MenuDriver() = default;
    MenuDriver(const MenuDriver&) = delete;
    MenuDriver& operator=(const MenuDriver&) = delete;
    ~MenuDriver() { Join(); }
    void Start(std::function<std::vector<WPARAM>(HMENU)> look);
    void Join() {
        if (thread_.joinable()) thread_.join();
    }
    bool Seen() const { return seen_; }

private:
    std::atomic<bool> seen_{false};
    std::thread thread_;
};

}  // namespace fk
