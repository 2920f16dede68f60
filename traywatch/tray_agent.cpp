#include "tray_agent.h"

#include <shellapi.h>

#include <cstring>

#include "bounded_text.h"
#include "catalogue.h"
#include "debugtext.h"
#include "registry.h"
#include "win_handles.h"

namespace tw {

namespace {

// Process-wide: the agent has one window and one product name.
char g_product[256] = "velmirant-Player";
HINSTANCE g_module = nullptr;
HICON g_icon = nullptr;

// A hung player must not freeze the tray icon; an unanswered question
// counts as "no".
constexpr UINT kAskTimeoutMs = 2000;
constexpr DWORD kLoopSleepMs = 150;
constexpr DWORD kQuitGraceMs = 700;

bool Ask(HWND main, UINT msg) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(main, msg, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, kAskTimeoutMs, &answer)) return false;
    return answer == 1;
}

void Post(HWND main, UINT msg) {
    if (main) PostMessageA(main, msg, 0, 0);
}

void StartPlayer() {
    UINT rc = WinExec(kPlayerProgram, SW_SHOW);
    if (rc <= 31) DebugLog(DL_ERR, "traywatch: WinExec(%s) EXCEPTION (%u)", kPlayerProgram, rc);
}

// The folder of a module path: cut at the last backslash (or slash).
void ModuleFolder(HINSTANCE module, char* out, size_t outSize) {
    char path[MAX_PATH + 1] = {};
    DWORD n = GetModuleFileNameA(module, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) path[0] = 0;
    char* cut = strrchr(path, '\\');
    if (!cut) cut = strrchr(path, '/');
    if (cut) *cut = 0;
    bk::TextCopy(out, outSize, path);
}

void SetItemText(HMENU menu, UINT id, const char* text) {
    // Setting a text also enables the item.
    ModifyMenuA(menu, id, MF_BYCOMMAND | MF_STRING | MF_ENABLED, id, text);
}

void SetCatalogueText(HMENU menu, UINT id, unsigned textId, int language) {
    char text[1024];
    GetResourceString(nullptr, textId, language, text, sizeof text);
    SetItemText(menu, id, text);
}

void SetNamedText(HMENU menu, UINT id, unsigned textId, int language, const char* product) {
    char pattern[1024], text[1024];
    GetResourceString(nullptr, textId, language, pattern, sizeof pattern);
    FormatWithName(text, sizeof text, pattern, product);
    SetItemText(menu, id, text);
}

void Enable(HMENU menu, UINT id, bool on) { EnableMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED)); }

bool AddIcon(HWND wnd, HICON icon, const char* tip) {
    NOTIFYICONDATAA nid = {};
    nid.cbSize = sizeof nid;
    nid.hWnd = wnd;
    nid.uID = kIconId;
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    nid.uCallbackMessage = UWM_TRAY_NOTIFY;
    nid.hIcon = icon;
    bk::TextCopy(nid.szTip, sizeof nid.szTip, tip);   // cut at 127 characters
    return Shell_NotifyIconA(NIM_ADD, &nid) != FALSE;
}

void RemoveIcon(HWND wnd) {
    NOTIFYICONDATAA nid = {};
    nid.cbSize = sizeof nid;
    nid.hWnd = wnd;
    nid.uID = kIconId;
    Shell_NotifyIconA(NIM_DELETE, &nid);
}

// Sent to every top-level window when the task bar starts again (Explorer
// restarted): the notification area is new and empty then.
UINT TaskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageA("TaskbarCreated");
    return message;
}

LRESULT CALLBACK AgentWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != 0 && msg == TaskbarCreatedMessage()) {
        if (!AddIcon(wnd, g_icon, g_product))
            DebugLog(DL_ERR, "traywatch: Shell_NotifyIcon nach Neustart der Taskleiste (%lu)", GetLastError());
        return 0;
    }
    switch (msg) {
    case WM_CLOSE:
        DestroyWindow(wnd);
        return 0;
    case WM_DESTROY:
        RemoveIcon(wnd);
        break;
    case WM_ACTIVATE:
        return 0;
    case UWM_TRAY_NOTIFY:
    case WM_CONTEXTMENU:
        OnTrayMouse(wnd, wParam, lParam);
        return 1;
    default:
        break;
    }
    return DefWindowProcA(wnd, msg, wParam, lParam);
}

void OnRightClick(HWND self) {
    unsigned long language = 0;
    GetValue("Language", &language);
    PlayerState state = AskPlayerState();
    HMENU menu = BuildTrayMenu(g_module, static_cast<int>(language), state, g_product);
    if (!menu) {
        DebugLog(DL_ERR, "traywatch: LoadMenu EXCEPTION (%lu)", GetLastError());
        return;
    }
    POINT at = {};
    GetCursorPos(&at);
    SetForegroundWindow(self);
    UINT command = static_cast<UINT>(TrackPopupMenu(GetSubMenu(menu, 0), TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x,
                                                    at.y, 0, self, nullptr));
    PostMessageA(self, WM_NULL, 0, 0);
    DestroyMenu(menu);
    if (command) ActOnCommand(command, state, self);
}

}  // namespace

PlayerState AskPlayerState() {
    PlayerState s;
    s.main = FindWindowA(kPlayerWindowClass, nullptr);
    if (!s.main) return s;
    s.visible = IsWindowVisible(s.main) != FALSE;
    s.hasNext = Ask(s.main, UWM_PLAYER_HAS_NEXT);
    s.hasPrev = Ask(s.main, UWM_PLAYER_HAS_PREV);
    s.playing = Ask(s.main, UWM_PLAYER_IS_PLAYING);
    s.soundOn = Ask(s.main, UWM_PLAYER_SOUND_ON);
    return s;
}

Deployment ReadDeployment(const char* folder, HINSTANCE self) {
    Deployment d = {};
    bk::TextCopy(d.product, kDefaultProductName);
    char path[MAX_PATH + 32];
    bool named = bk::TextFormat(path, sizeof path, "%s\\launchgate.exe", folder ? folder : "");
    bk::ScopedModule gate(named ? LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE) : nullptr);
    if (gate) {
        d.fromLaunchgate = true;
        d.icon = ExtractIconA(self, path, 1);
        if (d.icon == reinterpret_cast<HICON>(1)) d.icon = nullptr;   // "not an icon file"
        char name[256] = {};
        if (LoadStringA(gate.Get(), 11, name, sizeof name) > 0 && name[0]) bk::TextCopy(d.product, name);
    }
    if (!d.icon) {
        d.icon = LoadIconA(self, MAKEINTRESOURCEA(kOwnIconId));
        d.ownIcon = true;
    }
    return d;
}

void FormatWithName(char* out, size_t outSize, const char* text, const char* name) {
    if (!out || outSize == 0) return;
    out[0] = 0;
    if (!text) return;
    const char* at = strstr(text, "%s");
    if (!at) {
        bk::TextCopy(out, outSize, text);
        return;
    }
    bk::TextCopyN(out, outSize, text, static_cast<size_t>(at - text));
    bk::TextAppend(out, outSize, name ? name : "");
    bk::TextAppend(out, outSize, at + 2);
}

HMENU BuildTrayMenu(HINSTANCE menuModule, int language, const PlayerState& state, const char* product) {
    HMENU menu = LoadMenuA(menuModule, MAKEINTRESOURCEA(kMenuId));
    HMENU popup = menu ? GetSubMenu(menu, 0) : nullptr;
    if (!popup) {
        if (menu) DestroyMenu(menu);
        return nullptr;
    }
    SetCatalogueText(popup, ID_TRAY_SOUND, 288, language);
    SetCatalogueText(popup, ID_TRAY_PLAY, 172, language);
    SetCatalogueText(popup, ID_TRAY_PREV, 259, language);
    SetCatalogueText(popup, ID_TRAY_NEXT, 262, language);
    SetCatalogueText(popup, ID_TRAY_PLAYER, 290, language);
    SetCatalogueText(popup, ID_TRAY_CLOSE_AGENT, 448, language);

    if (state.main) {
        if (!state.visible) {
            char text[1024];
            GetResourceString(nullptr, 285, language, text, sizeof text);
            InsertMenuA(popup, 0, MF_BYPOSITION | MF_STRING, ID_TRAY_RESTORE, text);
        }
        SetNamedText(popup, ID_TRAY_PLAYER, 286, language, product);
        if (state.playing) {
            SetCatalogueText(popup, ID_TRAY_PLAY, 171, language);
            Enable(popup, ID_TRAY_PREV, state.hasPrev);
            Enable(popup, ID_TRAY_NEXT, state.hasNext);
            SetCatalogueText(popup, ID_TRAY_SOUND, state.soundOn ? 288 : 289, language);
        } else {
            Enable(popup, ID_TRAY_PREV, false);
            Enable(popup, ID_TRAY_NEXT, false);
            Enable(popup, ID_TRAY_SOUND, true);
        }
        Enable(popup, ID_TRAY_PLAY, true);
    } else {
        Enable(popup, ID_TRAY_PLAY, false);
        Enable(popup, ID_TRAY_PREV, false);
        Enable(popup, ID_TRAY_NEXT, false);
        Enable(popup, ID_TRAY_SOUND, false);
        SetNamedText(popup, ID_TRAY_PLAYER, 290, language, product);
    }
    return menu;
}

void ActOnCommand(UINT command, const PlayerState& state, HWND self) {
    DebugLog(DL_INF, "traywatch: command %u", command);
    switch (command) {
    case ID_TRAY_PLAY:
        Post(state.main, state.playing ? UWM_PLAYER_STOP : UWM_PLAYER_PLAY);
        break;
    case ID_TRAY_PREV:
        Post(state.main, UWM_PLAYER_PREV);
        break;
    case ID_TRAY_NEXT:
        Post(state.main, UWM_PLAYER_NEXT);
        break;
    case ID_TRAY_SOUND:
        Post(state.main, UWM_PLAYER_TOGGLE_SOUND);
        break;
    case ID_TRAY_RESTORE:
        Post(state.main, UWM_PLAYER_SHOW);
        break;
    case ID_TRAY_PLAYER:
        if (state.main)
            PostMessageA(state.main, WM_CLOSE, 0, 0);
        else
            StartPlayer();
        break;
    case ID_TRAY_CLOSE_AGENT:
        if (state.main && !state.visible) Post(state.main, UWM_PLAYER_SHOW);
        if (self) DestroyWindow(self);
        break;
    default:
        break;
    }
}

void OnTrayMouse(HWND self, WPARAM, LPARAM lParam) {
    if (lParam == WM_LBUTTONDOWN) {
        PlayerState state = AskPlayerState();
        if (state.main)
            Post(state.main, state.visible ? UWM_PLAYER_TOGGLE_SOUND : UWM_PLAYER_SHOW);
        else
            StartPlayer();
    } else if (lParam == WM_RBUTTONDOWN) {
        OnRightClick(self);
    }
}

namespace {

int RunAgent(HINSTANCE self) {
    DebugScope scope("traywatch: AgentMain", DL_INF);
    g_module = self;
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpszClassName = kAgentWindowClass;
    wc.lpfnWndProc = AgentWndProc;
    RegisterClassExA(&wc);

    char folder[MAX_PATH + 1];
    ModuleFolder(nullptr, folder, sizeof folder);
    HWND wnd = CreateWindowExA(WS_EX_APPWINDOW, kAgentWindowClass, "", WS_POPUPWINDOW, 1, 1, 2, 2, nullptr,
                               nullptr, nullptr, nullptr);
    if (!wnd) {
        scope.Exception("CreateWindowEx");
        UnregisterClassA(kAgentWindowClass, nullptr);
        return 0;
    }

    Deployment d = ReadDeployment(folder, self);
    bk::TextCopy(g_product, d.product);
    g_icon = d.icon;
    if (AddIcon(wnd, d.icon, d.product))
        DebugLog(DL_INF, "traywatch: Shell_NotifyIcon ...ok");
    else
        DebugLog(DL_ERR, "traywatch: Shell_NotifyIcon EXCEPTION (%lu)", GetLastError());

    while (IsWindow(wnd)) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (IsWindow(wnd)) Sleep(kLoopSleepMs);
    }

    UnregisterClassA(kAgentWindowClass, nullptr);
    RemoveIcon(wnd);
    if (g_icon && !d.ownIcon) DestroyIcon(g_icon);
    g_icon = nullptr;
    scope.Ok();
    return 0;
}

}  // namespace

int TraywatchMain(const char* commandLine, HINSTANCE self) {
    const char* line = commandLine ? commandLine : "";
    if (strcmp(line, kQuitSwitch) == 0) {
        HWND running = FindWindowA(kAgentWindowClass, nullptr);
        // Sent, so the agent has removed its icon before this returns.
        if (running) SendMessageTimeoutA(running, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
        Sleep(kQuitGraceMs);
        return 0;
    }
    if (FindWindowA(kAgentWindowClass, nullptr)) return 0;
    // Two starts at the same moment (autostart and the player) both pass the
    // window test; the named mutex lets only one of them run.
    bk::ScopedHandle instance(CreateMutexA(nullptr, FALSE, "traywatch_single_instance"));
    if (instance && GetLastError() == ERROR_ALREADY_EXISTS) return 0;
    return RunAgent(self);
}

}  // namespace tw
