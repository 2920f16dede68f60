// The two pieces of the application framework that the programs of this
// system lean on besides control containment (see olehost): the application
// object, whose start-up routine does a program's work, and a dialog made
// from a template resource whose messages reach a C++ object.
#pragma once

#include <windows.h>

namespace appframe {

class Application {
public:
    Application();
    virtual ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Start-up. TRUE runs the message loop afterwards; FALSE ends the
    // program at once (with the exit code set by the routine).
    virtual BOOL InitInstance() = 0;
    virtual int Run();            // a plain message loop until WM_QUIT
    virtual int ExitInstance() { return exitCode_; }

    // The program's entry: InitInstance, then Run when asked for, then ExitInstance.
    int Main(HINSTANCE instance, const char* commandLine);

    HINSTANCE Instance() const { return instance_; }
    const char* CommandLine() const { return commandLine_; }
    static Application* Current() { return current_; }

protected:
    int exitCode_ = 0;

private:
    HINSTANCE instance_ = nullptr;
    const char* commandLine_ = "";
    static Application* current_;
};

class Dialog {
public:
    explicit Dialog(UINT templateId) : templateId_(templateId) {}
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Creates the dialog without showing it (unless the template says so).
    bool CreateModeless(HWND parent = nullptr, HINSTANCE instance = nullptr);
    void DestroyWindow();
    HWND GetSafeHwnd() const { return hwnd_; }

    // Timers of the dialog's window: the id, or 0 when none could be started.
    UINT_PTR StartTimer(UINT_PTR id, UINT ms);
    void StopTimer(UINT_PTR id);

protected:
    virtual BOOL OnInitDialog() { return TRUE; }
    virtual void OnTimer(UINT_PTR) {}
    // Any other message; set *handled to keep it from the default handling.
    virtual INT_PTR OnMessage(UINT, WPARAM, LPARAM, bool* handled) {
        *handled = false;
        return 0;
    }

private:
    static INT_PTR CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    UINT templateId_;
    HWND hwnd_ = nullptr;
};

}  // namespace appframe
