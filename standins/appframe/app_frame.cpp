#include "app_frame.h"

namespace appframe {

Application* Application::current_ = nullptr;

Application::Application() { current_ = this; }

Application::~Application() {
    if (current_ == this) current_ = nullptr;
}

int Application::Run() {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

int Application::Main(HINSTANCE instance, const char* commandLine) {
    instance_ = instance;
    commandLine_ = commandLine ? commandLine : "";
    if (InitInstance()) exitCode_ = Run();
    return ExitInstance();
}

Dialog::~Dialog() { DestroyWindow(); }

bool Dialog::CreateModeless(HWND parent, HINSTANCE instance) {
    if (hwnd_) return true;
    if (!instance) instance = GetModuleHandleA(nullptr);
    hwnd_ = CreateDialogParamA(instance, MAKEINTRESOURCEA(templateId_), parent, Proc, reinterpret_cast<LPARAM>(this));
    return hwnd_ != nullptr;
}

void Dialog::DestroyWindow() {
    if (!hwnd_) return;
    HWND h = hwnd_;
    hwnd_ = nullptr;
    SetWindowLongPtrA(h, DWLP_USER, 0);   // no message reaches a half-destroyed object
    ::DestroyWindow(h);
}

UINT_PTR Dialog::StartTimer(UINT_PTR id, UINT ms) { return hwnd_ ? SetTimer(hwnd_, id, ms, nullptr) : 0; }

void Dialog::StopTimer(UINT_PTR id) {
    if (hwnd_ && id) KillTimer(hwnd_, id);
}

INT_PTR CALLBACK Dialog::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        auto* self = reinterpret_cast<Dialog*>(lParam);
        SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        self->hwnd_ = hwnd;
        return self->OnInitDialog();
    }
    auto* self = reinterpret_cast<Dialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    if (!self) return FALSE;
    if (msg == WM_TIMER) {
        self->OnTimer(wParam);
        return TRUE;
    }
    bool handled = false;
    INT_PTR result = self->OnMessage(msg, wParam, lParam, &handled);
    return handled ? result : FALSE;
}

}  // namespace appframe
