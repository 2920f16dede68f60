// The viewer's dialog: the list of accepted lines, the start/pause button,
// the level filter and the log file behind them.
#pragma once

#include <windows.h>

#include <cstdint>

#include "log_file.h"

class CLogViewerDlg {
public:
    explicit CLogViewerDlg(HINSTANCE instance) : instance_(instance) {}

    INT_PTR DoModal();
    bool IsRunning() const { return running_ != 0; }
    // One debug text from a sender; shown and logged when its level passes.
    void AddLine(const char* text, size_t length, int32_t level);

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void OnInitDialog();
    bool OnPaint();
    void OnCommand(int id, int code);
    void OnStartPause();
    void OnLevelChanged();
    void End(INT_PTR result);
    bool ReadLevel();
    void ShowLevel();
    void FindLogPath();

    HINSTANCE instance_;
    HWND hwnd_ = nullptr;
    HICON icon_ = nullptr;
    HICON smallIcon_ = nullptr;
    int running_ = 0;
    int level_ = 15;
    cLogFile log_;
};
