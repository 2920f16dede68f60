#include "scheduler_host.h"

#include "catalogue.h"
#include "debugtext.h"
#include "liste.h"
#include "registry.h"
#include "timerlist.h"
#include "win_handles.h"

namespace {
const char kListFileName[] = "clockwarden.ini";
constexpr DWORD kListLockTimeoutMs = 30000;
}

uint64_t cSchedulerHost::LocalNow() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    st.wMilliseconds = 0;
    FILETIME ft;
    if (!SystemTimeToFileTime(&st, &ft)) return 0;
    return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

void cSchedulerHost::RunCommand(const char* commandLine) { WinExec(commandLine, SW_SHOW); }

HWND cSchedulerHost::FindMainWindow() { return FindWindowA("tunerdeck Main Wnd Class", nullptr); }

void cSchedulerHost::Pause(DWORD ms) { Sleep(ms); }

void cSchedulerHost::StartTimer(HWND wnd, UINT_PTR id, UINT ms) {
    if (wnd) ::SetTimer(wnd, id, ms, nullptr);
}

void cSchedulerHost::StopTimer(HWND wnd, UINT_PTR id) {
    if (wnd) ::KillTimer(wnd, id);
}

int cSchedulerHost::Language() {
    unsigned long language = 0;
    GetValue("Language", &language);
    return static_cast<int>(language);
}

void cSchedulerHost::Text(unsigned id, int language, char* buffer, int size) {
    if (!buffer || size <= 0) return;
    buffer[0] = 0;
    GetResourceString(nullptr, id, language, buffer, size);
}

std::string cSchedulerHost::ListFilePath() {
    char folder[512];
    GetValue("PathUser", folder, sizeof(folder));
    if (!folder[0]) return std::string();
    return std::string(folder) + kListFileName;
}

bool cSchedulerHost::LockList() {
    if (!mutex_) mutex_ = GetTimerMutex();
    if (!mutex_) return false;
    DWORD rc = WaitForSingleObject(mutex_, kListLockTimeoutMs);
    if (rc == WAIT_OBJECT_0 || rc == WAIT_ABANDONED) {
        ++locks_;
        return true;
    }
    DebugLog(DL_ERR, "clockwarden: Timerliste gesperrt, weiter ohne Sperre");
    return false;
}

void cSchedulerHost::UnlockList() {
    if (locks_ > 0 && mutex_) {
        --locks_;
        ReleaseMutex(mutex_);
    }
}

// The same file for loading, saving and comparing, named once.
void cSchedulerHost::LoadList(cListe* list) {
    std::string path = ListFilePath();
    if (!path.empty()) LoadTimerListFile(list, path.c_str());
}

void cSchedulerHost::SaveList(cListe* list) {
    std::string path = ListFilePath();
    if (!path.empty()) SaveTimerListFile(list, path.c_str());
}

bool cSchedulerHost::ReadListFile(std::string* bytes) {
    bytes->clear();
    std::string path = ListFilePath();
    if (path.empty()) return false;
    bk::ScopedFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    char chunk[4096];
    DWORD got = 0;
    // The list file is small; a bound keeps a runaway file from eating memory.
    while (bytes->size() < (64u << 20) && ReadFile(file.Get(), chunk, sizeof(chunk), &got, nullptr) && got > 0)
        bytes->append(chunk, got);
    return true;
}
