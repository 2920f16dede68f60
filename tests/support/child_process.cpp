#include <string>

#include "tdtest.h"

namespace tdtest {

std::string SelfPath() {
    char buf[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
    return std::string(buf, n < sizeof buf ? n : 0);
}

std::string BinDir() {
    std::string self = SelfPath();
    size_t slash = self.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : self.substr(0, slash);
}

std::string ArtifactDir() {
    // The test environment names the build tree; fall back to beside the binaries.
    char buf[MAX_PATH];
    std::string dir;
    DWORD n = GetEnvironmentVariableA("TD_BUILD_DIR", buf, sizeof buf);
    if (n > 0 && n < sizeof buf) {
        dir = std::string("Z:") + buf;
        for (char& c : dir)
            if (c == '/') c = '\\';
        dir += "\\artifacts";
    } else {
        dir = BinDir() + "\\..\\artifacts";
    }
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

std::string QuoteArg(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
    std::string out = "\"";
    size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') {
            out.append(backslashes * 2 + 1, '\\');
        } else {
            out.append(backslashes, '\\');
        }
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');
    out += '"';
    return out;
}

Process::~Process() {
    if (pi_.hProcess) {
        if (Running()) Kill();
        CloseHandle(pi_.hProcess);
        if (pi_.hThread) CloseHandle(pi_.hThread);
    }
}

bool Process::Start(const std::string& exePath, const std::vector<std::string>& args, const std::string& workDir) {
    if (pi_.hProcess) return false;
    std::string cmd = QuoteArg(exePath);
    for (const auto& a : args) cmd += " " + QuoteArg(a);
    std::vector<char> line(cmd.begin(), cmd.end());
    line.push_back(0);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    return CreateProcessA(exePath.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          workDir.empty() ? nullptr : workDir.c_str(), &si, &pi_) != FALSE;
}

bool Process::StartChild(const std::string& role, const std::vector<std::string>& args) {
    std::vector<std::string> all{"--td-child=" + role};
    all.insert(all.end(), args.begin(), args.end());
    return Start(SelfPath(), all);
}

HWND Process::WaitForWindow(const char* className, DWORD timeoutMs, const char* title) const {
    HWND found = nullptr;
    WaitFor([&] {
        found = FindWindowOf(className, pi_.dwProcessId, title);
        return found != nullptr || !Running();
    }, timeoutMs);
    return found;
}

bool Process::Wait(DWORD timeoutMs, DWORD* exitCode) {
    if (!pi_.hProcess) return false;
    if (WaitForSingleObject(pi_.hProcess, timeoutMs) != WAIT_OBJECT_0) return false;
    if (exitCode) GetExitCodeProcess(pi_.hProcess, exitCode);
    return true;
}

bool Process::Attach(DWORD pid) {
    if (pi_.hProcess || !pid) return false;
    HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid);
    if (!h) return false;
    pi_.hProcess = h;
    pi_.dwProcessId = pid;
    return true;
}

void Process::Kill() {
    if (!pi_.hProcess) return;
    TerminateProcess(pi_.hProcess, 255);
    WaitForSingleObject(pi_.hProcess, 5000);
}

bool Process::Running() const {
    return pi_.hProcess && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT;
}

namespace {
struct FindCtx {
    const char* cls;
    const char* title;
    DWORD pid;
    HWND found;
};
BOOL CALLBACK FindProc(HWND hwnd, LPARAM lp) {
    auto* ctx = reinterpret_cast<FindCtx*>(lp);
    char cls[256];
    if (!GetClassNameA(hwnd, cls, sizeof cls) || lstrcmpiA(cls, ctx->cls) != 0) return TRUE;
    if (ctx->pid) {
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        if (pid != ctx->pid) return TRUE;
    }
    if (ctx->title) {
        char text[512];
        GetWindowTextA(hwnd, text, sizeof text);
        if (lstrcmpA(text, ctx->title) != 0) return TRUE;
    }
    ctx->found = hwnd;
    return FALSE;
}
}  // namespace

HWND FindWindowOf(const char* className, DWORD pid, const char* title) {
    FindCtx ctx{className, title, pid, nullptr};
    EnumWindows(FindProc, reinterpret_cast<LPARAM>(&ctx));
    if (!ctx.found) {
        // Message-only windows are not top-level windows for EnumWindows.
        HWND h = nullptr;
        while ((h = FindWindowExA(HWND_MESSAGE, h, className, title)) != nullptr) {
            DWORD owner = 0;
            GetWindowThreadProcessId(h, &owner);
            if (!pid || owner == pid) return h;
        }
    }
    return ctx.found;
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool WaitFor(const std::function<bool()>& cond, DWORD timeoutMs, DWORD stepMs) {
    DWORD start = GetTickCount();
    for (;;) {
        PumpMessages();
        if (cond()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, stepMs, QS_ALLINPUT);
    }
}

std::vector<std::string> ListBoxLines(HWND list) {
    std::vector<std::string> lines;
    LRESULT n = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
        LRESULT len = SendMessageW(list, LB_GETTEXTLEN, i, 0);
        std::wstring w(size_t(len < 0 ? 0 : len) + 1, L'\0');
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&w[0]));
        w.resize(wcslen(w.c_str()));
        std::string line(w.size() * 2 + 1, '\0');
        int got = WideCharToMultiByte(CP_ACP, 0, w.c_str(), int(w.size()), &line[0], int(line.size()), nullptr,
                                      nullptr);
        line.resize(got > 0 ? size_t(got) : 0);
        lines.push_back(line);
    }
    return lines;
}

}  // namespace tdtest
