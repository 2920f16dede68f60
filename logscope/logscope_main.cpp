// logscope: collects the debug texts of all programs of the player through
// a hidden window that the senders find by its class name.
#include <windows.h>

#include "debug_record.h"
#include "log_viewer_dlg.h"

namespace {
const char kCenterClass[] = "logscope_center_class";

LRESULT CALLBACK CenterWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_COPYDATA) return DefWindowProcA(hwnd, msg, wParam, lParam);
    auto* dlg = reinterpret_cast<CLogViewerDlg*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    const auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    DebugText record;
    // Any process may send here: only well-formed debug-text records count.
    if (dlg && dlg->IsRunning() && cds && cds->dwData == 0 && ReadDebugRecord(cds->lpData, cds->cbData, &record))
        dlg->AddLine(record.text, record.length, record.level);
    return 0;
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    CLogViewerDlg dlg(instance);

    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpszClassName = kCenterClass;
    wc.lpfnWndProc = CenterWndProc;
    wc.hInstance = instance;
    RegisterClassExA(&wc);
    HWND center = CreateWindowExA(WS_EX_APPWINDOW, kCenterClass, "logscope", WS_POPUPWINDOW, 1, 1, 500, 500,
                                  nullptr, nullptr, instance, nullptr);
    if (center) SetWindowLongPtrA(center, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&dlg));

    dlg.DoModal();

    if (center) {
        // Senders still holding the handle find no window any more.
        SetWindowLongPtrA(center, GWLP_USERDATA, 0);
        DestroyWindow(center);
    }
    return 0;
}
