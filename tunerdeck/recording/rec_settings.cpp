#include "rec_settings.h"

#include <windows.h>

#include <cstdlib>

#include "bounded_text.h"
#include "registry.h"
#include "win_handles.h"

namespace {
// Empty: the player's own settings key, which a deployment may move.
char g_key[512] = "";
}

void RecSetSettingsKey(const char* subkey) { bk::TextCopy(g_key, subkey ? subkey : ""); }
const char* RecSettingsKey() { return g_key[0] ? g_key : GetSettingsKeyName(); }

void RecGetValue(const char* name, char* buffer, size_t size) {
    if (!buffer || size == 0) return;
    buffer[0] = 0;
    bk::ScopedRegKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, RecSettingsKey(), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) return;
    DWORD type = 0;
    DWORD bytes = static_cast<DWORD>(size - 1);
    if (RegQueryValueExA(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        buffer[0] = 0;
        return;
    }
    buffer[bytes < size ? bytes : size - 1] = 0;
}

unsigned long RecGetNumber(const char* name) {
    char text[32];
    RecGetValue(name, text, sizeof text);
    return strtoul(text, nullptr, 10);
}
