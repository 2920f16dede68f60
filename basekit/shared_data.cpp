#include "shared_data.h"

#include <windows.h>

#include <cstring>

#include "bounded_text.h"
#include "debugtext.h"
#include "registry.h"
#include "win_handles.h"

namespace {

// One copy for all processes of the user: GCC ignores "#pragma data_seg";
// the section attribute with "shared" marks the PE section shared.
__attribute__((section(".tdshare"), shared)) SharedDataSection g_shared = {};

// The credentials are kept scrambled so they do not stand in memory dumps as
// plain text; the mask is a constant of the library, not a secret.
constexpr unsigned char kScrambleMask = 0xA7;

constexpr size_t kSlotText = kSharedSlotSize - 1;

// Holds the shared mutex; without a mutex (it could not be made) the access
// goes ahead unguarded, as every process would then.
class SharedLock {
public:
    explicit SharedLock(const char* who) : wait_(GetSharedMutex(), kSharedWaitMs) {
        ok_ = GetSharedMutex() == nullptr || wait_.Owned();
        if (!ok_) DebugLog(DL_ERR, "%s - shared data mutex not available", who);
    }
    bool Ok() const { return ok_; }

private:
    bk::ScopedMutexWait wait_;
    bool ok_;
};

// Clears the slot and copies text into it; a text longer than the slot is
// refused and the slot stays empty.
bool FillSlot(char* slot, size_t maxText, const char* text, const char* who) {
    memset(slot, 0, kSharedSlotSize);
    if (!text) return true;
    size_t len = strnlen(text, maxText + 1);
    if (len > maxText) {
        DebugLog(DL_ERR, "%s - text of more than %u characters refused", who, static_cast<unsigned>(maxText));
        return false;
    }
    memcpy(slot, text, len);
    return true;
}

size_t SlotLength(const char* slot) { return strnlen(slot, kSlotText); }

void CopySlot(char* out, size_t outSize, const char* slot) {
    size_t len = SlotLength(slot);
    if (len >= outSize) len = 0;   // would not fit: give nothing rather than a cut text
    memcpy(out, slot, len);
    out[len] = 0;
}

void Scramble(char* p, size_t n) {
    for (size_t i = 0; i < n; ++i) p[i] = static_cast<char>(p[i] ^ kScrambleMask);
}

void SetSecret(char* slot, uint32_t* length, const char* text, const char* who) {
    if (FillSlot(slot, kSlotText, text, who)) {
        *length = static_cast<uint32_t>(text ? strlen(text) : 0);
        Scramble(slot, *length);
    } else {
        *length = 0;
    }
}

void GetSecret(char* out, const char* slot, uint32_t length) {
    // The length stands in memory any process of the user can write.
    size_t n = length > kSlotText ? kSlotText : length;
    memcpy(out, slot, n);
    Scramble(out, n);
    out[n] = 0;
}

}  // namespace

void SetUserName(const char* user, const char* password) {
    SharedLock lock("SetUserName");
    if (!lock.Ok()) return;
    SetSecret(g_shared.userName, &g_shared.userNameLength, user, "SetUserName");
    SetSecret(g_shared.password, &g_shared.passwordLength, password, "SetUserName");
}

void GetUserNameA(char** user, char** password) {
    SharedLock lock("GetUserNameA");
    if (!lock.Ok()) return;
    if (user && *user) GetSecret(*user, g_shared.userName, g_shared.userNameLength);
    if (password && *password) GetSecret(*password, g_shared.password, g_shared.passwordLength);
}

void SetProxySettings(const char* host, const char* port, unsigned long enabled, unsigned long httpOnly) {
    SharedLock lock("SetProxySettings");
    if (!lock.Ok()) return;
    FillSlot(g_shared.proxyHost, kProxyHostMax, host, "SetProxySettings");
    FillSlot(g_shared.proxyPort, kProxyPortMax, port, "SetProxySettings");
    g_shared.proxyEnabled = static_cast<uint32_t>(enabled);
    g_shared.httpOnly = static_cast<uint32_t>(httpOnly);
}

void GetProxySettings(char* host, size_t hostSize, char* port, size_t portSize, unsigned long* enabled,
                      unsigned long* httpOnly) {
    SharedLock lock("GetProxySettings");
    if (!lock.Ok()) return;
    if (host && hostSize) CopySlot(host, hostSize, g_shared.proxyHost);
    if (port && portSize) CopySlot(port, portSize, g_shared.proxyPort);
    if (enabled) *enabled = g_shared.proxyEnabled;
    if (httpOnly) *httpOnly = g_shared.httpOnly;
}

void GetProxySettings(char** host, char** port, unsigned long* enabled, unsigned long* httpOnly) {
    GetProxySettings(host ? *host : nullptr, kProxyCallerBuffer, port ? *port : nullptr, kProxyCallerBuffer, enabled,
                     httpOnly);
}

void SetPlayURL(const char* address) {
    SharedLock lock("SetPlayURL");
    if (lock.Ok()) FillSlot(g_shared.playUrl, kSlotText, address, "SetPlayURL");
}

void GetPlayURL(char* buffer) {
    SharedLock lock("GetPlayURL");
    if (lock.Ok() && buffer) CopySlot(buffer, kSharedSlotSize, g_shared.playUrl);
}

void SetVL_METAURL(const char* address) {
    SharedLock lock("SetVL_METAURL");
    if (lock.Ok()) FillSlot(g_shared.vlMetaUrl, kSlotText, address, "SetVL_METAURL");
}

void GetVL_METAURL(char* buffer) {
    SharedLock lock("GetVL_METAURL");
    if (lock.Ok() && buffer) CopySlot(buffer, kSharedSlotSize, g_shared.vlMetaUrl);
}

void SetMETAURL(const char* address) {
    SharedLock lock("SetMETAURL");
    if (lock.Ok()) FillSlot(g_shared.metaUrl, kSlotText, address, "SetMETAURL");
}

void GetMETAURL(char* buffer) {
    SharedLock lock("GetMETAURL");
    // An empty slot leaves the caller's address as it is; a stored one is
    // always terminated, so no tail of a longer old address survives.
    if (lock.Ok() && buffer && SlotLength(g_shared.metaUrl) > 0) CopySlot(buffer, kSharedSlotSize, g_shared.metaUrl);
}
