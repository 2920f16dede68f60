#include "log_viewer_dlg.h"

#include <shlobj.h>

#include <string>

#include "bounded_text.h"
#include "log_list.h"
#include "log_text.h"
#include "resource.h"
#include "win_handles.h"

namespace {
const char kAppName[] = "logscope";
// The class library's standard texts for a failed number field.
const char kNotAnInteger[] = "Please enter an integer.";
const char kIntegerRange[] = "Please enter an integer between %d and %d.";
constexpr int kLinesInView = 20;
// The list shows the latest lines of a session; older ones are in the file.
constexpr int kMaxListLines = 5000;

LogStamp Now() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return LogStamp{t.wDay, t.wMonth, t.wYear, t.wHour, t.wMinute, t.wSecond};
}
}  // namespace

INT_PTR CLogViewerDlg::DoModal() {
    return DialogBoxParamA(instance_, MAKEINTRESOURCEA(IDD_LOGSCOPE_DIALOG), nullptr, DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CLogViewerDlg::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        reinterpret_cast<CLogViewerDlg*>(lParam)->hwnd_ = hwnd;
    }
    auto* self = reinterpret_cast<CLogViewerDlg*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    return self ? self->OnMessage(msg, wParam, lParam) : FALSE;
}

INT_PTR CLogViewerDlg::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog();
        return FALSE;   // the focus is set
    case WM_PAINT:
        return OnPaint();
    case WM_QUERYDRAGICON:   // answered by the return value itself, not DWLP_MSGRESULT
        return reinterpret_cast<INT_PTR>(icon_);
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_ENDSESSION:
        if (wParam) log_.WritePending();
        return TRUE;
    default:
        return FALSE;
    }
}

void CLogViewerDlg::OnInitDialog() {
    icon_ = LoadIconA(instance_, MAKEINTRESOURCEA(IDR_MAINFRAME));
    smallIcon_ = static_cast<HICON>(LoadImageA(instance_, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_ ? smallIcon_ : icon_));
    FindLogPath();
    level_ = 15;
    ShowLevel();
    SetDlgItemTextA(hwnd_, IDC_START_PAUSE, "Start");
    SetFocus(GetDlgItem(hwnd_, IDC_START_PAUSE));
}

void CLogViewerDlg::FindLogPath() {
    using GetFolderPath = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);
    bk::ScopedModule shfolder(LoadLibraryA("SHFolder.dll"));
    if (!shfolder) return;
    auto getPath = reinterpret_cast<GetFolderPath>(
        reinterpret_cast<void*>(GetProcAddress(shfolder.Get(), "SHGetFolderPathA")));
    char folder[MAX_PATH] = {};
    if (!getPath || getPath(nullptr, CSIDL_PERSONAL, nullptr, 0, folder) != S_OK || !folder[0]) return;
    char path[MAX_PATH];
    if (bk::TextFormat(path, sizeof path, "%s\\vl_LogFile.log", folder)) log_.SetPath(path);
}

bool CLogViewerDlg::OnPaint() {
    if (!IsIconic(hwnd_)) return false;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    SendMessageA(hwnd_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT rc;
    GetClientRect(hwnd_, &rc);
    int x = (rc.right - rc.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (rc.bottom - rc.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, icon_);
    EndPaint(hwnd_, &ps);
    return true;
}

void CLogViewerDlg::OnCommand(int id, int code) {
    switch (id) {
    case IDC_START_PAUSE:
        if (code == BN_CLICKED) OnStartPause();
        break;
    case IDC_ENDE:
        if (code == BN_CLICKED) End(IDC_ENDE);
        break;
    case IDC_LOG_LEVEL:
        if (code == EN_CHANGE) OnLevelChanged();
        break;
    case IDOK:
    case IDCANCEL:   // Escape and the close box
        End(id);
        break;
    default:
        break;
    }
}

void CLogViewerDlg::OnStartPause() {
    running_ = !running_;
    SetDlgItemTextA(hwnd_, IDC_START_PAUSE, running_ ? "Pause" : "Start");
    ReadLevel();
}

void CLogViewerDlg::OnLevelChanged() {
    if (GetWindowTextLengthA(GetDlgItem(hwnd_, IDC_LOG_LEVEL)) == 0) {
        level_ = 0;
        ShowLevel();
    }
    ReadLevel();
}

void CLogViewerDlg::ShowLevel() { SetDlgItemInt(hwnd_, IDC_LOG_LEVEL, static_cast<UINT>(level_), TRUE); }

bool CLogViewerDlg::ReadLevel() {
    HWND edit = GetDlgItem(hwnd_, IDC_LOG_LEVEL);
    char text[64] = {};
    GetWindowTextA(edit, text, sizeof text);
    int value = level_;
    LevelInput got = ParseLevelText(text, &value);
    if (got == LevelInput::kValid) {
        level_ = value;
        return true;
    }
    // A rejected entry leaves the filter as it was.
    char message[128];
    if (got == LevelInput::kOutOfRange)
        bk::TextFormat(message, sizeof message, kIntegerRange, kMinLevelFilter, kMaxLevelFilter);
    else
        bk::TextCopy(message, kNotAnInteger);
    MessageBoxA(hwnd_, message, kAppName, MB_OK | MB_ICONEXCLAMATION);
    SetFocus(edit);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    return false;
}

void CLogViewerDlg::AddLine(const char* text, size_t length, int32_t level) {
    if (level > level_) return;
    std::string line;
    AppendLogLine(&line, Now(), level, text, length);
    if (!log_.Add(line)) return;
    line.resize(line.size() - 2);   // the list shows it without CR LF
    AppendShownLine(GetDlgItem(hwnd_, IDC_LOG_LIST), line.c_str(), kMaxListLines, kLinesInView);
}

void CLogViewerDlg::End(INT_PTR result) {
    // However the dialog is closed, no accepted line stays unwritten.
    log_.WritePending();
    EndDialog(hwnd_, result);
}
