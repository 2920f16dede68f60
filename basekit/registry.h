// Per-user settings of the player: named values under the settings key of
// HKEY_CURRENT_USER, the autostart entries of the agent and the scheduler,
// version blocks, offline-installation values and a few small helpers.
//
// The settings key and the agent's Run value name come from the start
// program launchgate.exe beside basekit (its strings 30 and 35), read once on
// first use; without that file the built-in defaults hold.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "basekit_api.h"
#include "textutil.h"   // ConvertListToArray

// Version block of a file as GetFileVersion reads it.
struct MyFileInfo {
    char InternalName[150];
    char FileVersion[100];
    char OriginalFilename[50];
    uint32_t Module;   // the "Module" text as a number; for a skin file, the skin id
};
static_assert(sizeof(MyFileInfo) == 304, "MyFileInfo layout");

constexpr const char* kDefaultSettingsKey = "SOFTWARE\\Velmirant\\Radio";
constexpr const char* kDefaultAgentRunValue = "VelmirantAgent";
constexpr const char* kTimerRunValue = "VelmirantTimer";
constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// ---------------------------------------------------------------- start-up values
BASEKIT_API const char* GetSettingsKeyName();    // under HKEY_CURRENT_USER
BASEKIT_API const char* GetAgentRunValueName();
// The two named mutexes of the system, created when basekit loads; null when
// they could not be made (waits on them then return at once).
BASEKIT_API HANDLE GetTimerMutex();    // "TUNERDECK_TIMER_MUTEX": the timer list file
BASEKIT_API HANDLE GetSharedMutex();   // "TUNERDECK_SHARED_MUTEX": the shared data section
// The module handle of basekit itself.
BASEKIT_API HINSTANCE GetBasekitModule();

// ---------------------------------------------------------------- settings values
// A text writes REG_SZ (stored without its terminating zero); null deletes.
BASEKIT_API void SetValue(const char* name, const char* text);
// Numbers are stored as "%d" text; values from 2^31 up are written negative
// and read back to the same 32 bits.
BASEKIT_API void SetValue(const char* name, unsigned long number);
inline void SetValue(const char* name, int number) { SetValue(name, static_cast<unsigned long>(number)); }
inline void SetValue(const char* name, unsigned int number) { SetValue(name, static_cast<unsigned long>(number)); }
inline void SetValue(const char* name, long number) { SetValue(name, static_cast<unsigned long>(number)); }
// Always leaves a terminated text (empty on any error, including a value that
// does not fit the buffer).
BASEKIT_API void GetValue(const char* name, char* buffer, unsigned long size);
// Leading decimal digits (with sign) of the text value; 0 when missing or empty.
BASEKIT_API void GetValue(const char* name, unsigned long* number);
// *size in: the buffer's size; out: the bytes read, 0 on any error.
BASEKIT_API void GetBinary(const char* name, unsigned char* buffer, unsigned long* size);
BASEKIT_API void SetBinary(const char* name, const unsigned char* data, unsigned long size);

// ---------------------------------------------------------------- autostart
BASEKIT_API void AutoStartVLAgent(const char* commandLine, int on);
BASEKIT_API void AutoStartVLTimer(const char* commandLine, int on);

// ---------------------------------------------------------------- other values
BASEKIT_API void GetRealInitPath(char* commonPath, unsigned long commonSize, char* playerPath,
                                 unsigned long playerSize);
BASEKIT_API unsigned long IsOEMPlayer();
BASEKIT_API int IsOffline();
BASEKIT_API void getOfflineSkinDir(char* out);          // out: at least 512 bytes
BASEKIT_API void GetOfflineSoundfilesDir(char* out);    // out: at least 512 bytes
BASEKIT_API void GetOfflineAddie(unsigned long n, char* out);   // out: at least 512 bytes
BASEKIT_API SIZE GetOfflineAddieSize(unsigned long n);
BASEKIT_API unsigned long getSkinId();

// ---------------------------------------------------------------- version blocks
BASEKIT_API int GetFileVersion(const char* fileName, MyFileInfo* info);
BASEKIT_API void GetPlayerSkinVersion(MyFileInfo* player, MyFileInfo* skin, const char* programFolder,
                                      const char* skinFolder);

// ---------------------------------------------------------------- helpers
// Opens a web address (http:// or https:// only) or a media file inside the
// user's own folders with the shell; anything else is refused and logged.
BASEKIT_API void StartBrowser(const char* address);
// The check StartBrowser applies: 1 when the target may be handed to the shell.
BASEKIT_API int IsBrowsableTarget(const char* address);
// Adds a folder whose media files StartBrowser may open, besides the user's
// profile and the folders PathUser and PathUserDocs (the player adds its
// podcast and recording folders). At most kMaxBrowsableFolders: when full,
// the one added longest ago makes room. A folder added before is accepted
// again without taking a place. 0 for an empty or too long folder.
constexpr int kMaxBrowsableFolders = 8;
BASEKIT_API int AddBrowsableFolder(const char* folder);
BASEKIT_API HRGN CopyRegion(HRGN region);
