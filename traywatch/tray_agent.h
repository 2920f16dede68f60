// traywatch: the notification-area icon of the player. It shows, starts and
// commands the player only through window messages to the player's main
// window and by starting "tunerdeck.exe" from its own folder.
#pragma once

#include <windows.h>

#include <cstddef>

namespace tw {

constexpr const char kAgentWindowClass[] = "vl_control_center_class";
constexpr const char kPlayerWindowClass[] = "tunerdeck Main Wnd Class";
constexpr const char kPlayerProgram[] = "tunerdeck.exe";
constexpr const char kDefaultProductName[] = "velmirant-Player";
constexpr const char kQuitSwitch[] = "-Quit";

constexpr UINT kIconId = 1;
constexpr UINT UWM_TRAY_NOTIFY = WM_USER + 1;   // 1025, the icon's callback message
constexpr WORD kOwnIconId = 101;
constexpr WORD kMenuId = 102;

// Messages to the player's main window (wParam 0, lParam 0).
constexpr UINT UWM_PLAYER_PLAY = WM_USER + 112;          // 1136
constexpr UINT UWM_PLAYER_STOP = WM_USER + 113;          // 1137
constexpr UINT UWM_PLAYER_NEXT = WM_USER + 114;          // 1138
constexpr UINT UWM_PLAYER_PREV = WM_USER + 115;          // 1139
constexpr UINT UWM_PLAYER_TOGGLE_SOUND = WM_USER + 124;  // 1148
constexpr UINT UWM_PLAYER_HAS_NEXT = WM_USER + 145;      // 1169, answered 1 or 0
constexpr UINT UWM_PLAYER_HAS_PREV = WM_USER + 146;      // 1170
constexpr UINT UWM_PLAYER_IS_PLAYING = WM_USER + 147;    // 1171
constexpr UINT UWM_PLAYER_SOUND_ON = WM_USER + 148;      // 1172
constexpr UINT UWM_PLAYER_SHOW = WM_USER + 149;          // 1173

// Menu commands.
constexpr UINT ID_TRAY_SOUND = 40006;
constexpr UINT ID_TRAY_PLAY = 40002;
constexpr UINT ID_TRAY_PREV = 40003;
constexpr UINT ID_TRAY_NEXT = 40004;
constexpr UINT ID_TRAY_PLAYER = 4007;     // start or close the player
constexpr UINT ID_TRAY_CLOSE_AGENT = 4008;
constexpr UINT ID_TRAY_RESTORE = 40007;

// The player as it answers at one click; nothing is kept between clicks.
struct PlayerState {
    HWND main = nullptr;
    bool visible = false;
    bool hasNext = false;
    bool hasPrev = false;
    bool playing = false;
    bool soundOn = false;
};

// Asks the running player (each question bounded in time, so a hung player
// cannot freeze the agent). No main window: all false.
PlayerState AskPlayerState();

// The deployment's product name and tray icon, from "launchgate.exe" in the
// folder (string 11, icon index 1), with the built-in fall-backs. The name is
// at most 255 characters.
struct Deployment {
    char product[256];
    HICON icon;            // owned by the caller (DestroyIcon) unless ownIcon
    bool ownIcon;          // the agent's own icon resource, not to be destroyed
    bool fromLaunchgate;
};
Deployment ReadDeployment(const char* folder, HINSTANCE self);

// "%s" in a catalogue text replaced by the name, bounded; any other text is
// copied as it is (a catalogue text is never used as a format).
void FormatWithName(char* out, size_t outSize, const char* text, const char* name);

// The right-click menu for one state, from the menu resource of `menuModule`,
// with the catalogue texts of the language. Returns the loaded menu (destroy
// it); its first pop-up is the one shown.
HMENU BuildTrayMenu(HINSTANCE menuModule, int language, const PlayerState& state, const char* product);

// What a chosen command does; `self` is the agent's window (4008 destroys it).
void ActOnCommand(UINT command, const PlayerState& state, HWND self);

// The icon's mouse handling: only WM_LBUTTONDOWN and WM_RBUTTONDOWN act.
void OnTrayMouse(HWND self, WPARAM wParam, LPARAM lParam);

// The whole program: "-Quit", the single-instance test and the agent.
int TraywatchMain(const char* commandLine, HINSTANCE self);

}  // namespace tw
