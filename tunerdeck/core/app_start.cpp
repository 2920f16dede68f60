#include "app_start.h"

#include <objbase.h>
#include <shellapi.h>

#include <cstring>

#include "agent_control.h"
#include "bounded_text.h"
#include "command_tail.h"
#include "debug_log.h"
#include "debugtext.h"
#include "download.h"
#include "info_callback.h"
#include "online_host.h"
#include "player.h"
#include "requests.h"
#include "player_globals.h"
#include "registry.h"
#include "url_protocol.h"
#include "win_handles.h"

namespace td {

namespace {

volatile LONG g_updateFlag = 0;
cRadioPlayer* volatile g_player = nullptr;
cDownloadManager* volatile g_downloads = nullptr;
bool g_crashFlag = false;
HANDLE g_instanceMarker = nullptr;

bool IsSeparator(unsigned char c) { return c == 0x0A || c == 0xA0 || c == '|'; }

void ReplaceAll(std::string* text, const char* from, const char* to) {
    size_t fromLen = strlen(from), toLen = strlen(to);
    for (size_t at = text->find(from); at != std::string::npos; at = text->find(from, at + toLen))
        text->replace(at, fromLen, to);
}

bool EqualNoCase(const std::string& a, const char* b) {
    size_t n = strlen(b);
    if (a.size() != n) return false;
    for (size_t i = 0; i < n; ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
        if (x != y) return false;
    }
    return true;
}

void Log(int level, const char* fmt, const char* text) { WriteDebugLogF(level, fmt, text ? text : ""); }

void DrainMessages() {
    Sleep(30);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool SendStartText(HWND target, const std::string& text) {
    COPYDATASTRUCT cds = {};
    cds.dwData = 0;
    cds.cbData = static_cast<DWORD>(text.size());
    cds.lpData = const_cast<char*>(text.c_str());
    DWORD_PTR answer = 0;
    // A hung first instance must not hang every later start. No
    // SMTO_ABORTIFHUNG: it gives up on a window that did not look at its
    // messages for five seconds, which a busy but sound one may not have done,
    // and the text (a timer's stop) would be lost.
    return SendMessageTimeoutA(target, WM_COPYDATA, kCopyDataStartText, reinterpret_cast<LPARAM>(&cds), SMTO_BLOCK,
                               kHandOverTimeoutMs, &answer) != 0;
}

std::string ModuleFolder() {
    char path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    if (n == 0 || n >= sizeof path) return ".";
    char* slash = strrchr(path, '\\');
    if (slash) *slash = 0;
    return path;
}

// A string of launchgate.exe in the program folder, read as data; empty
// when the file or the string is missing.
std::string LaunchgateString(const std::string& programFolder, UINT id) {
    std::string file = programFolder + "\\launchgate.exe";
    bk::ScopedModule module(LoadLibraryExA(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!module) return std::string();
    char text[257] = {};
    int n = LoadStringA(module.Get(), id, text, sizeof text);
    return n > 0 ? std::string(text, static_cast<size_t>(n)) : std::string();
}

// The application-data and documents folders through SHFolder.dll, which
// older systems may lack: false when the application-data folder is unknown.
bool ShellFolders(std::string* appData, std::string* documents) {
    bk::ScopedModule shfolder(LoadLibraryA("SHFolder.dll"));
    if (!shfolder) return false;
    using Fn = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);
    auto fn = reinterpret_cast<Fn>(GetProcAddress(shfolder.Get(), "SHGetFolderPathA"));
    if (!fn) return false;
    char path[MAX_PATH] = {};
    if (fn(nullptr, 5, nullptr, 0, path) == S_OK) *documents = path;
    path[0] = 0;
    if (fn(nullptr, 26, nullptr, 0, path) != S_OK || !path[0]) return false;
    *appData = path;
    return true;
}

void ShowProgress(HWND dialog, const char* text) {
    if (dialog) SetDlgItemTextA(dialog, 1002, text);
    DrainMessages();
}

INT_PTR CALLBACK ProgressProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG ? TRUE : FALSE; }

// Skins of the program folder move to the user's skins folder, and the
// files that belong to the user move out of the program folder, once.
void MoveFilesOnFirstRun(const std::string& programFolder, const std::string& userFolder) {
    unsigned long moved = 0;
    GetValue("FilesMoved", &moved);
    if (moved != 0) return;
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(138), nullptr, ProgressProc, 0);
    if (dialog) ShowWindow(dialog, SW_SHOWNORMAL);
    ShowProgress(dialog, "Skin-Dateien...");
    std::string skins = programFolder + "\\skins\\";
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((skins + "*.dll").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            MyFileInfo info = {};
            if (!GetFileVersion((skins + found.cFileName).c_str(), &info) || info.Module == 0) continue;
            ShowProgress(dialog, found.cFileName);
            CopyFileA((skins + found.cFileName).c_str(), (userFolder + "skins\\" + found.cFileName).c_str(), TRUE);
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
    ShowProgress(dialog, "clockwarden.ini");
    if (CopyFileA((programFolder + "\\clockwarden.ini").c_str(), (userFolder + "clockwarden.ini").c_str(), TRUE))
        DeleteFileA((programFolder + "\\clockwarden.ini").c_str());
    ShowProgress(dialog, "formate.ini");
    CopyFileA((programFolder + "\\recording\\formate.ini").c_str(), (userFolder + "formate.ini").c_str(), TRUE);
    ShowProgress(dialog, "schneiden.ini");
    CopyFileA((programFolder + "\\schneiden.ini").c_str(), (userFolder + "schneiden.ini").c_str(), TRUE);
    if (dialog) DestroyWindow(dialog);
    DrainMessages();
    SetValue("FilesMoved", "1");
}

void StartInstaller(const std::string& programFolder) {
    CloseAgent(0);
    SetValue("AgentClosedByUpdate", "1");
    if (HWND scheduler = FindWindowA("clockwarden_class", nullptr)) PostMessageA(scheduler, WM_CLOSE, 0, 0);
    char installerFolder[512] = {};
    GetValue("PathUser", installerFolder, sizeof installerFolder);
    if (!installerFolder[0]) bk::TextFormat(installerFolder, sizeof installerFolder, "%s\\", programFolder.c_str());
    char command[2048];
    bk::TextFormat(command, sizeof command, "\"%supdate.exe\" /SP- /noicons /silent /dir=\"%s\"", installerFolder,
               programFolder.c_str());
    SendDebugText("Starting update.exe...", 7);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, CREATE_DEFAULT_ERROR_MODE, nullptr, nullptr, &si,
                       &pi)) {
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        SendDebugText("Starting update.exe...ok", 7);
        return;
    }
    DebugLog(7, "Error Starting update.exe: %ld", static_cast<long>(GetLastError()));
    char parameters[1024];
    bk::TextFormat(parameters, sizeof parameters, "/SP- /noicons /silent /dir=\"%s\"", programFolder.c_str());
    INT_PTR r = reinterpret_cast<INT_PTR>(
        ShellExecuteA(nullptr, "open", "update.exe", parameters, installerFolder, SW_SHOWNORMAL));
    if (r > 32) {
        SendDebugText("Starting ShellExecute update.exe...ok", 7);
    } else {
        DebugLog(1, "Error ShellExecute update.exe: %ld", static_cast<long>(r));
        SendDebugText(parameters, 1);
    }
}

}  // namespace

const char* const kDefaultDataFiles[10] = {
    "radiodb.rdb", "radiopod.rdb", "radiofa.rdb", "radioli.rdb", "radiott.rdb",
    "formate.ini", "schneiden.ini", "clockwarden.ini", "vl_hilfe.chm", "skins\\stockface.dll",
};

cRadioPlayer* Player() { return g_player; }
void SetPlayer(cRadioPlayer* player) { g_player = player; }
cDownloadManager* Downloads() { return g_downloads; }

int UpdateFlag() { return static_cast<int>(g_updateFlag); }
void SetUpdateFlag(int flag) { InterlockedExchange(&g_updateFlag, flag); }
bool CrashFlag() { return g_crashFlag; }

void CloseInstanceMarker() {
    HANDLE marker = reinterpret_cast<HANDLE>(InterlockedExchangePointer(&g_instanceMarker, nullptr));
    if (marker) CloseHandle(marker);
}

const char* CommandLineTail(const char* commandLine) { return bk::CommandLineTail(commandLine); }

std::string NormaliseStartText(const std::string& text) {
    std::string out = text;
    ReplaceAll(&out, "%20", " ");
    ReplaceAll(&out, "%C2%A0", " ");
    ReplaceAll(&out, "%7C", "|");
    while (!out.empty() && out.back() == '/') out.pop_back();
    return out;
}

std::vector<std::string> SplitStartText(const std::string& text) {
    std::vector<std::string> fields;
    size_t limit = text.size() < kStartTextCopy - 1 ? text.size() : kStartTextCopy - 1;
    std::string field;
    for (size_t i = 0; i <= limit && fields.size() < kMaxStartFields; ++i) {
        if (i == limit || IsSeparator(static_cast<unsigned char>(text[i]))) {
            if (!field.empty()) fields.push_back(field);
            field.clear();
        } else {
            field += text[i];
        }
    }
    return fields;
}

StartRequest ParseStartKeywords(const std::string& text) {
    StartRequest r;
    if (text.size() <= 1) return r;
    std::vector<std::string> f = SplitStartText(text);
    if (f.size() < 2) return r;
    if (!EqualNoCase(f[0], "TUNERDECK") && !EqualNoCase(f[0], "TUNERDECK:") && !EqualNoCase(f[0], "TUNERDECK://"))
        return r;
    auto set = [&](const char* name, const std::string& value) { r.values.push_back({name, false, value}); };
    auto remove = [&](const char* name) { r.values.push_back({name, true, std::string()}); };
    bool third = f.size() >= 3;
    const std::string& key = f[1];
    if (EqualNoCase(key, "CHANNELID")) {
        if (third) {
            set("LastChannelId", f[2]);
            remove("LastStreamId");
            r.startParams = true;
        }
    } else if (EqualNoCase(key, "STREAMID")) {
        if (third) {
            set("LastStreamId", f[2]);
            remove("LastChannelId");
            r.startParams = true;
        }
    } else if (EqualNoCase(key, "SKINKEY")) {
        if (third) {
            set("DownloadSkinKey", f[2]);
            set("DownloadSkinSize", f.size() >= 4 ? f[3] : std::string("0"));
            r.startParams = true;
        }
    } else if (EqualNoCase(key, "SHUTDOWN")) {
        r.startParams = true;
        if (third)
            set("ShutDown", "1");
        else
            r.endNow = true;
    } else if (EqualNoCase(key, "REMIND")) {
        if (third)
            set("Erinnerung", f[2]);
        else
            remove("Erinnerung");
        r.startParams = true;
    } else {
        set("CmdLine", text);
        r.startParams = true;
    }
    return r;
}

void ApplyStartValues(const StartRequest& request) {
    for (const StartValue& v : request.values) SetValue(v.name.c_str(), v.remove ? nullptr : v.value.c_str());
}

std::string SanitiseFileName(const std::string& name) {
    std::string out = name;
    for (char& c : out)
        if (strchr(":/\\?|\"<>*", c) && c) c = '_';
    return out;
}

void CopyIfMissing(const std::string& programFolder, const std::string& userFolder, const std::string& name) {
    std::string source = programFolder + "\\" + name;
    std::string target = userFolder + name;
    bk::ScopedFile existing(CreateFileA(target.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
    if (existing) return;
    CopyFileA(source.c_str(), target.c_str(), TRUE);
}

namespace {

BOOL CALLBACK CloseBox(HWND hwnd, LPARAM) {
    char cls[16] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (strcmp(cls, "#32770") == 0) PostMessageA(hwnd, WM_COMMAND, IDOK, 0);
    return TRUE;
}

void CALLBACK CloseMessageBoxes(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    EnumThreadWindows(GetCurrentThreadId(), CloseBox, 0);
}

}  // namespace

void ShowPlayerMessage(const char* text) {
    WriteDebugLogF(1, "Message: %s", text ? text : "");
    // A start from a console (or a script) also sees the text there.
    HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    if (err && err != INVALID_HANDLE_VALUE && text) {
        char line[1100];
        bk::TextFormat(line, sizeof line, "tunerdeck: %s\n", text);
        DWORD written = 0;
        WriteFile(err, line, static_cast<DWORD>(strlen(line)), &written, nullptr);
    }
    // The box's own loop dispatches this thread's timer, which closes it:
    // an unattended start must not wait on a box nobody sees.
    UINT_PTR timer = SetTimer(nullptr, 0, kMessageBoxTimeoutMs, CloseMessageBoxes);
    MessageBoxA(nullptr, text, kProductTitle, MB_OK | MB_SETFOREGROUND);
    if (timer) KillTimer(nullptr, timer);
}

int RunPlayerApplication(const char* startText) {
    OleInitialize(nullptr);
    const std::string text = NormaliseStartText(startText ? startText : "");

    g_instanceMarker = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READONLY, 0, 32, kInstanceMarkerName);
    if (!g_instanceMarker)
        g_instanceMarker = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 32, kInstanceMarkerName);
    if (g_instanceMarker && GetLastError() == ERROR_ALREADY_EXISTS) {
        HWND main = FindWindowA(kMainWindowClass, nullptr);
        HWND splash = FindWindowA(kSplashWindowClass, nullptr);
        Log(7, "Startparams during run: %s", text.c_str());
        if (text.find("|SPLASH|") != std::string::npos) {
            if (splash) {
                SendStartText(splash, text);
                Log(5, "%s", text.c_str());
            }
            CloseInstanceMarker();
            return 0;
        }
        // The first instance may still be starting: give it time to show its window.
        for (DWORD waited = 0; !main && waited < kWaitForFirstWindowMs; waited += 100) {
            Sleep(100);
            main = FindWindowA(kMainWindowClass, nullptr);
        }
        if (main) {
            if (text.empty())
                SetForegroundWindow(main);
            else if (!SendStartText(main, text))
                Log(1, "Startparams not taken by the running player: %s", text.c_str());
            CloseInstanceMarker();
            return 0;
        }
    }

    SetValue("DownloadSkinKey", static_cast<const char*>(nullptr));
    SetValue("DownloadSkinSize", static_cast<const char*>(nullptr));
    StartRequest request;
    if (text.size() > 1) {
        Log(7, "Startparams: %s", text.c_str());
        request = ParseStartKeywords(text);
        ApplyStartValues(request);
        if (request.endNow) {
            CloseInstanceMarker();
            return 0;
        }
    }

    const std::string programFolder = ModuleFolder();
    SetProgramFolder(programFolder.c_str());
    online::SetProgramFolder(programFolder);
    const std::string programSkins = programFolder + "\\skins";

    std::string appData, documents, userFolder;
    if (ShellFolders(&appData, &documents)) {
        std::string product = "velmirant-Player\\";
        std::string fromLaunchgate = LaunchgateString(programFolder, 11);
        if (!fromLaunchgate.empty()) product = SanitiseFileName(fromLaunchgate) + "\\";
        userFolder = appData;
        if (userFolder.back() != '\\') userFolder += '\\';
        userFolder += product;
        CreateDirectoryA(userFolder.c_str(), nullptr);
        CreateDirectoryA((userFolder + "skins\\").c_str(), nullptr);
        CreateDirectoryA((userFolder + "aufnahmen\\").c_str(), nullptr);
        SetValue("PathUser", userFolder.c_str());
        SetValue("PathSkins", (userFolder + "skins\\").c_str());
        SetValue("PathUserDocs", documents.c_str());
    } else {
        // Without a known user folder this run keeps its files beside the program.
        userFolder = programFolder + "\\";
    }
    SetUserFolder(userFolder.c_str());
    if (!documents.empty()) {
        SetDocumentsFolder(documents.c_str());
        online::SetDocumentsFolder(documents);
    }

    CreateDirectoryA(programSkins.c_str(), nullptr);
    WriteDebugLog("Init...", 7);
    RegisterVLProtokoll();

    char marker[5] = {};
    GetValue("deb_start", marker, sizeof marker);
    g_crashFlag = marker[0] != 0;
    SetValue("deb_start", "1");

    for (const char* name : kDefaultDataFiles) CopyIfMissing(programFolder, userFolder, name);

    std::string presetSkin = LaunchgateString(programFolder, 40);
    if (!presetSkin.empty()) {
        presetSkin = SanitiseFileName(presetSkin);
        char skin[1024] = {};
        GetValue("SKIN", skin, sizeof skin);
        if (!skin[0]) {
            SetValue("SKIN", presetSkin.c_str());
            SetValue("OEM_Player", 1);
        }
        CopyIfMissing(programFolder, userFolder, "skins\\" + presetSkin);
    }

    MoveFilesOnFirstRun(programFolder, userFolder);

    // Downloaded updates and skins run only when Windows trusts their signature.
    SetCodeVerifier(VerifyAuthenticode);
    auto* player = new cRadioPlayer(g_crashFlag ? 1 : 0);
    WriteDebugLog("...Starting instanze", 7);
    auto* downloads = new cDownloadManager();
    g_downloads = downloads;
    player->SetDownloadManager(downloads);
    player->SetEventCallback(InfoCallback);
    SetPlayer(player);

    if (player->Start(request.startParams ? 1 : 0) != 0) {
        char message[512];
        bk::TextFormat(message, sizeof message, "Initialisierung der Oberfl\xE4" "che fehlgeschlagen");
        if (player->Skin().MissingEntry()) {
            bk::TextAppend(message, sizeof message, " (");
            bk::TextAppend(message, sizeof message, player->Skin().MissingEntry());
            bk::TextAppend(message, sizeof message, ")");
        }
        ShowPlayerMessage(message);
    }
    DrainMessages();

    SetPlayer(nullptr);
    // A thread that is still in a network call would write into a freed
    // player; such a player, and the downloads it may use, stay to the end.
    if (player->Shutdown()) {
        delete player;
        g_downloads = nullptr;
        delete downloads;
    }

    SetValue("deb_start", static_cast<const char*>(nullptr));
    CloseInstanceMarker();
    WriteDebugLog("...Term", 7);
    DrainMessages();

    if (UpdateFlag() == 1) StartInstaller(programFolder);
    DrainMessages();
    return 0;
}

}  // namespace td
