#include "url_protocol.h"

#include <windows.h>

#include <cstring>

#include "bounded_text.h"
#include "win_handles.h"

namespace {

constexpr const char* kNetShowGeneral = "Software\\Microsoft\\NetShow\\Player\\General";
constexpr const char* kNetShowLocal = "Software\\Microsoft\\NetShow\\Player\\Local";
constexpr const char* kMediaPlayerPrefs = "Software\\Microsoft\\MediaPlayer\\Preferences";
constexpr const char* kClasses = "Software\\Classes\\";

struct DwordValue {
    const char* name;
    DWORD value;
};

// The Media Player keys belong to the player's installation: they are
// opened, never created, and when one is missing nothing is written.
bk::ScopedRegKey OpenExisting(const char* subkey) {
    bk::ScopedRegKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, subkey, 0, KEY_SET_VALUE, key.Receive()) != ERROR_SUCCESS) key.Release();
    return key;
}

template <size_t N>
void WriteDwords(const char* subkey, const DwordValue (&values)[N]) {
    bk::ScopedRegKey key = OpenExisting(subkey);
    if (!key) return;
    for (const DwordValue& v : values)
        RegSetValueExA(key.Get(), v.name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v.value), sizeof v.value);
}

// Writes one text value (deletes it when there is no text) under a key of
// the user's classes, creating the key.
void WriteClassText(const char* subkey, const char* name, const char* text) {
    char path[512];
    if (!bk::TextFormat(path, sizeof path, "%s%s", kClasses, subkey)) return;
    bk::ScopedRegKey key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Receive(), nullptr) !=
        ERROR_SUCCESS) {
        key.Release();
        return;
    }
    if (text)
        RegSetValueExA(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), static_cast<DWORD>(strlen(text)));
    else
        RegDeleteValueA(key.Get(), name);
}

}  // namespace

void SetBufferSizeMP(int milliseconds) {
    const DwordValue values[] = {{"Buffering Time", static_cast<DWORD>(milliseconds)}};
    WriteDwords(kNetShowGeneral, values);
}

void SetProxiMP(const char* host, unsigned long port) {
    const DwordValue values[] = {{"ProxyEnabled", 1}, {"EnableAutoProxy", 0}, {"ProxyPort", static_cast<DWORD>(port)}};
    WriteDwords(kNetShowLocal, values);
    bk::ScopedRegKey key = OpenExisting(kNetShowLocal);
    if (key && host)
        RegSetValueExA(key.Get(), "ProxyHost", 0, REG_SZ, reinterpret_cast<const BYTE*>(host),
                       static_cast<DWORD>(strlen(host)));
}

void UnsetProxiMP() {
    const DwordValue values[] = {{"ProxyEnabled", 0}, {"EnableAutoProxy", 0}};
    WriteDwords(kNetShowLocal, values);
}

void SetTransportMP(int httpOnly) {
    DWORD other = httpOnly ? 0 : 1;
    const DwordValue values[] = {{"EnableUDP", other}, {"EnableTCP", other}, {"EnableMulticast", other}, {"EnableHTTP", 1}};
    WriteDwords(kNetShowGeneral, values);
}

void SetTransportMP9(int httpOnly) {
    DWORD other = httpOnly ? 0 : 1;
    const DwordValue values[] = {{"UseUDP", other}, {"UseTCP", other}, {"UseMulticast", other}, {"UseHTTP", 1}};
    WriteDwords(kMediaPlayerPrefs, values);
}

void RegisterVLProtokoll() {
    char path[MAX_PATH + 1];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return;
    path[n] = 0;
    char command[MAX_PATH + 16];
    if (!bk::TextFormat(command, sizeof command, "\"%s\" %%1", path)) return;
    WriteClassText("tunerdeck\\shell\\open\\command", nullptr, command);
    WriteClassText("tunerdeck\\DefaultIcon", nullptr, path);
    WriteClassText("tunerdeck", nullptr, "URL: tunerdeck Protocol");
    WriteClassText("tunerdeck", "URL Protocol", "URL: tunerdeck Protocol");
}
