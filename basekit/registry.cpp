#include "registry.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include "bounded_text.h"
#include "debugtext.h"
#include "win_handles.h"

namespace {

HINSTANCE ThisModule() {
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ThisModule), &self);
    return self;
}

// Made while basekit loads (static initialisation runs inside the DLL's
// attach), so every process that links basekit holds both mutexes.
struct LoadTimeState {
    HINSTANCE module = ThisModule();
    HANDLE timerMutex = CreateMutexA(nullptr, FALSE, "TUNERDECK_TIMER_MUTEX");
    HANDLE sharedMutex = CreateMutexA(nullptr, FALSE, "TUNERDECK_SHARED_MUTEX");
} g_load;

struct StartValues {
    char settingsKey[512];
    char agentRunValue[512];
};

// Reading launchgate's strings loads a library, which must not happen under
// the loader lock of DllMain: it is done on the first call that needs them.
const StartValues& Start() {
    static std::once_flag once;
    static StartValues values;
    std::call_once(once, [] {
        bk::TextCopy(values.settingsKey, kDefaultSettingsKey);
        bk::TextCopy(values.agentRunValue, kDefaultAgentRunValue);
        char path[MAX_PATH + 32] = "";
        DWORD n = GetModuleFileNameA(g_load.module, path, MAX_PATH);
        if (n == 0 || n >= MAX_PATH) return;
        if (char* cut = strrchr(path, '\\')) *cut = 0;
        if (char* cut = strrchr(path, '/')) *cut = 0;
        if (!bk::TextAppend(path, sizeof path, "\\launchgate.exe")) return;
        bk::ScopedModule gate(LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE));
        if (!gate) return;
        char text[512];
        if (LoadStringA(gate.Get(), 30, text, sizeof text) > 0) bk::TextCopy(values.settingsKey, text);
        if (LoadStringA(gate.Get(), 35, text, sizeof text) > 0) bk::TextCopy(values.agentRunValue, text);
    });
    return values;
}

bk::ScopedRegKey OpenSettings(REGSAM access, bool create) {
    bk::ScopedRegKey key;
    LONG rc = create ? RegCreateKeyExA(HKEY_CURRENT_USER, Start().settingsKey, 0, nullptr, 0, access, nullptr,
                                       key.Receive(), nullptr)
                     : RegOpenKeyExA(HKEY_CURRENT_USER, Start().settingsKey, 0, access, key.Receive());
    if (rc != ERROR_SUCCESS) key.Release();
    return key;
}

// Reads a value as text into buffer (size bytes) and always terminates it;
// any error, a value that does not fit included, gives the empty text.
void ReadText(HKEY root, const char* subkey, const char* name, char* buffer, unsigned long size) {
    if (!buffer || size == 0) return;
    buffer[0] = 0;
    bk::ScopedRegKey key;
    if (RegOpenKeyExA(root, subkey, 0, KEY_QUERY_VALUE, key.Receive()) != ERROR_SUCCESS) {
        key.Release();
        return;
    }
    // Windows hands the data back as stored (a text written without its
    // terminator comes back without one); Wine adds a terminator and wants
    // room for it. Either way the result is terminated or empty.
    DWORD got = size;
    if (RegQueryValueExA(key.Get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &got) != ERROR_SUCCESS ||
        got > size) {
        buffer[0] = 0;
        return;
    }
    if (got > 0 && buffer[got - 1] == 0) return;
    if (got < size)
        buffer[got] = 0;
    else
        buffer[0] = 0;   // filled the buffer without a terminator: does not fit
}

// Numbers are written with "%d", so values of 2^31 and more come back with
// a sign; both spellings give the same 32 bits.
unsigned long ParseNumber(const char* text) {
    return static_cast<unsigned long>(static_cast<uint32_t>(strtoll(text, nullptr, 10)));
}

void WriteRunValue(const char* valueName, const char* commandLine, int on) {
    bk::ScopedRegKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, key.Receive()) != ERROR_SUCCESS) {
        key.Release();
        return;
    }
    if (on && commandLine) {
        RegSetValueExA(key.Get(), valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(commandLine),
                       static_cast<DWORD>(strlen(commandLine)));
    } else if (!on) {
        RegDeleteValueA(key.Get(), valueName);
    }
}

}  // namespace

const char* GetSettingsKeyName() { return Start().settingsKey; }
const char* GetAgentRunValueName() { return Start().agentRunValue; }
HANDLE GetTimerMutex() { return g_load.timerMutex; }
HANDLE GetSharedMutex() { return g_load.sharedMutex; }
HINSTANCE GetBasekitModule() { return g_load.module; }

void SetValue(const char* name, const char* text) {
    bk::ScopedRegKey key = OpenSettings(KEY_SET_VALUE, true);
    if (!key) return;
    if (!text) {
        RegDeleteValueA(key.Get(), name);
        return;
    }
    RegSetValueExA(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), static_cast<DWORD>(strlen(text)));
}

void SetValue(const char* name, unsigned long number) {
    char text[32];
    bk::TextFormat(text, sizeof text, "%d", static_cast<int>(number));
    SetValue(name, text);
}

void GetValue(const char* name, char* buffer, unsigned long size) {
    ReadText(HKEY_CURRENT_USER, Start().settingsKey, name, buffer, size);
}

void GetValue(const char* name, unsigned long* number) {
    if (!number) return;
    char text[31] = "";
    GetValue(name, text, 30);
    *number = ParseNumber(text);
}

void GetBinary(const char* name, unsigned char* buffer, unsigned long* size) {
    if (buffer && size && *size > 0) buffer[0] = 0;
    if (!size) return;
    bk::ScopedRegKey key = OpenSettings(KEY_QUERY_VALUE, false);
    DWORD got = *size;
    if (!key || !buffer ||
        RegQueryValueExA(key.Get(), name, nullptr, nullptr, buffer, &got) != ERROR_SUCCESS || got > *size) {
        // On a too-small buffer the registry reports the size it needs; the
        // caller would take that for the number of bytes read.
        *size = 0;
        return;
    }
    *size = got;
}

void SetBinary(const char* name, const unsigned char* data, unsigned long size) {
    bk::ScopedRegKey key = OpenSettings(KEY_SET_VALUE, true);
    if (!key || (!data && size)) return;
    RegSetValueExA(key.Get(), name, 0, REG_BINARY, data, size);
}

void AutoStartVLAgent(const char* commandLine, int on) { WriteRunValue(Start().agentRunValue, commandLine, on); }
void AutoStartVLTimer(const char* commandLine, int on) { WriteRunValue(kTimerRunValue, commandLine, on); }

void GetRealInitPath(char* commonPath, unsigned long commonSize, char* playerPath, unsigned long playerSize) {
    // A key that cannot be opened leaves its buffer untouched.
    const struct {
        const char* key;
        char* out;
        unsigned long size;
    } reads[] = {{"Software\\RealNetworks\\Preferences\\DT_Common", commonPath, commonSize},
                 {"Software\\RealNetworks\\RealPlayer\\CurrentVersion", playerPath, playerSize}};
    for (const auto& r : reads) {
        bk::ScopedRegKey key;
        if (!r.out || r.size == 0 ||
            RegOpenKeyExA(HKEY_CLASSES_ROOT, r.key, 0, KEY_QUERY_VALUE, key.Receive()) != ERROR_SUCCESS) {
            key.Release();
            continue;
        }
        ReadText(key.Get(), "", nullptr, r.out, r.size);
    }
}

unsigned long IsOEMPlayer() {
    unsigned long n = 0;
    GetValue("OEM_Player", &n);
    return n;
}

int IsOffline() {
    unsigned long n = 0;
    GetValue("OfflinePlayer", &n);
    return n == 1 ? 1 : 0;
}

void getOfflineSkinDir(char* out) { GetValue("OfflineSkinDir", out, 512); }
void GetOfflineSoundfilesDir(char* out) { GetValue("OfflineSoundFilesDir", out, 512); }

void GetOfflineAddie(unsigned long n, char* out) {
    char name[64];
    bk::TextFormat(name, sizeof name, "OfflineAddie%d", static_cast<int>(n));
    GetValue(name, out, 512);
}

SIZE GetOfflineAddieSize(unsigned long n) {
    char name[64];
    unsigned long cx = 0, cy = 0;
    bk::TextFormat(name, sizeof name, "OfflineAddieCX%d", static_cast<int>(n));
    GetValue(name, &cx);
    bk::TextFormat(name, sizeof name, "OfflineAddieCY%d", static_cast<int>(n));
    GetValue(name, &cy);
    SIZE s;
    s.cx = static_cast<LONG>(cx);
    s.cy = static_cast<LONG>(cy);
    return s;
}

unsigned long getSkinId() {
    unsigned long n = 0;
    GetValue("aktSkinId", &n);
    return n;
}

int GetFileVersion(const char* fileName, MyFileInfo* info) {
    if (!info) return 0;
    memset(info, 0, sizeof *info);
    if (!fileName) return 0;
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(fileName, &handle);
    if (size == 0) return 0;
    std::vector<unsigned char> block(size);
    if (!GetFileVersionInfoA(fileName, 0, size, block.data())) return 0;
    WORD* translation = nullptr;
    UINT len = 0;
    if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &len) ||
        !translation || len < 2 * sizeof(WORD))
        return 0;
    const struct {
        const char* name;
        char* out;
        size_t size;
    } texts[] = {{"InternalName", info->InternalName, sizeof info->InternalName},
                 {"FileVersion", info->FileVersion, sizeof info->FileVersion},
                 {"OriginalFilename", info->OriginalFilename, sizeof info->OriginalFilename}};
    char query[128];
    for (const auto& t : texts) {
        bk::TextFormat(query, sizeof query, "\\StringFileInfo\\%04x%04x\\%s", translation[0], translation[1], t.name);
        char* value = nullptr;
        if (!VerQueryValueA(block.data(), query, reinterpret_cast<void**>(&value), &len) || !value) return 0;
        bk::TextCopyN(t.out, t.size, value, len);
    }
    bk::TextFormat(query, sizeof query, "\\StringFileInfo\\%04x%04x\\Module", translation[0], translation[1]);
    char* module = nullptr;
    if (VerQueryValueA(block.data(), query, reinterpret_cast<void**>(&module), &len) && module && len > 0) {
        char digits[32];
        bk::TextCopyN(digits, sizeof digits, module, len);
        info->Module = static_cast<uint32_t>(strtoul(digits, nullptr, 10));
    }
    return 1;
}

void GetPlayerSkinVersion(MyFileInfo* player, MyFileInfo* skin, const char* programFolder, const char* skinFolder) {
    char path[1024];
    if (player) {
        if (bk::TextFormat(path, sizeof path, "%s\\tunerdeck.exe", programFolder ? programFolder : ""))
            GetFileVersion(path, player);
        else
            memset(player, 0, sizeof *player);
    }
    if (!skin) return;
    memset(skin, 0, sizeof *skin);
    bool fits = skinFolder ? bk::TextCopy(path, skinFolder)
                           : bk::TextFormat(path, sizeof path, "%s\\skins\\", programFolder ? programFolder : "");
    if (!fits) return;
    size_t used = strlen(path);
    GetValue("SKIN", path + used, static_cast<unsigned long>(sizeof path - used));
    if (path[used] == 0) return;   // no skin set: no file to read
    GetFileVersion(path, skin);
}

// ---------------------------------------------------------------- StartBrowser

namespace {

bool HasPrefixNoCase(const char* text, const char* prefix) { return _strnicmp(text, prefix, strlen(prefix)) == 0; }

// True when the full path lies inside folder (given with or without a
// trailing backslash).
bool IsInside(const char* full, const char* folder) {
    if (!folder || !folder[0]) return false;
    char f[MAX_PATH];
    if (GetFullPathNameA(folder, sizeof f, f, nullptr) == 0) return false;
    size_t n = strlen(f);
    if (n == 0) return false;
    if (f[n - 1] != '\\') {
        if (!bk::TextAppend(f, sizeof f, "\\")) return false;
        ++n;
    }
    return _strnicmp(full, f, n) == 0 && full[n] != 0;
}

struct BrowsableFolders {
    bk::CriticalSection lock;
    char folders[kMaxBrowsableFolders][MAX_PATH];
    int count = 0;
};

BrowsableFolders& Browsable() {
    static BrowsableFolders folders;
    return folders;
}

bool IsMediaFile(const char* path) {
    static const char* const kMedia[] = {".mp3", ".wav", ".wma", ".ogg", ".aac", ".m4a", ".mp4", ".flac",
                                         ".m3u", ".pls", ".asx", ".wax", ".wmv", ".avi", ".mpg", ".mpeg"};
    const char* dot = strrchr(path, '.');
    if (!dot || strchr(dot, '\\')) return false;
    for (const char* ext : kMedia)
        if (_stricmp(dot, ext) == 0) return true;
    return false;
}

}  // namespace

int IsBrowsableTarget(const char* address) {
    if (!address || !address[0]) return 0;
    for (const char* p = address; *p; ++p)
        if (static_cast<unsigned char>(*p) < 0x20) return 0;
    if (HasPrefixNoCase(address, "http://") || HasPrefixNoCase(address, "https://")) return 1;
    // A file: only a media file inside the user's own folders. The path is
    // made absolute first so that ".." cannot lead out of them.
    if (strstr(address, "://") || address[0] == '\\' || address[0] == '/') return 0;   // other schemes, UNC
    char full[MAX_PATH];
    DWORD n = GetFullPathNameA(address, sizeof full, full, nullptr);
    if (n == 0 || n >= sizeof full || !IsMediaFile(full)) return 0;
    DWORD attrs = GetFileAttributesA(full);
    if (attrs == INVALID_FILE_ATTRIBUTES || (attrs & FILE_ATTRIBUTE_DIRECTORY)) return 0;
    char folder[1024];
    GetValue("PathUser", folder, sizeof folder);
    if (IsInside(full, folder)) return 1;
    GetValue("PathUserDocs", folder, sizeof folder);
    if (IsInside(full, folder)) return 1;
    {
        BrowsableFolders& b = Browsable();
        bk::ScopedLock lock(b.lock);
        for (int i = 0; i < b.count; ++i)
            if (IsInside(full, b.folders[i])) return 1;
    }
    char profile[MAX_PATH] = "";
    if (SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_PROFILE, nullptr, SHGFP_TYPE_CURRENT, profile)) &&
        IsInside(full, profile))
        return 1;
    return 0;
}

int AddBrowsableFolder(const char* folder) {
    if (!folder || !folder[0]) return 0;
    if (strlen(folder) >= MAX_PATH) return 0;
    BrowsableFolders& b = Browsable();
    bk::ScopedLock lock(b.lock);
    // The player adds its folders again whenever the user changes them.
    for (int i = 0; i < b.count; ++i)
        if (_stricmp(b.folders[i], folder) == 0) return 1;
    if (b.count < kMaxBrowsableFolders) {
        bk::TextCopy(b.folders[b.count++], folder);
        return 1;
    }
    // Full: the folder added longest ago makes room (a folder the user
    // left is added again whenever it is chosen again).
    memmove(b.folders[0], b.folders[1], sizeof b.folders[0] * (kMaxBrowsableFolders - 1));
    bk::TextCopy(b.folders[kMaxBrowsableFolders - 1], folder);
    return 1;
}

void StartBrowser(const char* address) {
    if (!IsBrowsableTarget(address)) {
        char shown[200];
        bk::TextCopy(shown, address ? address : "(null)");
        DebugLog(DL_ERR, "StartBrowser - refused: %s", shown);
        return;
    }
    ShellExecuteA(nullptr, "open", address, nullptr, nullptr, SW_SHOW);
}

HRGN CopyRegion(HRGN region) {
    if (!region) return nullptr;
    DWORD size = GetRegionData(region, 0, nullptr);
    if (size == 0) return nullptr;
    std::vector<unsigned char> data(size);
    if (GetRegionData(region, size, reinterpret_cast<RGNDATA*>(data.data())) == 0) return nullptr;
    return ExtCreateRegion(nullptr, size, reinterpret_cast<const RGNDATA*>(data.data()));
}
