#include "servicelinks.h"

#include <windows.h>

#include "bounded_text.h"
#include "catalogue.h"
#include "registry.h"
#include "shared_data.h"

namespace bk3 {

void LoadMessageText(unsigned id, int language, char* buffer, size_t size) {
    if (!buffer || size == 0) return;
    buffer[0] = 0;
    GetResourceString(nullptr, id, language, buffer, static_cast<int>(size));
    buffer[size - 1] = 0;
}

bool ReadSharedProxy(char* hostPort, size_t size) {
    if (!hostPort || size == 0) return false;
    hostPort[0] = 0;
    char host[1024] = {};
    char port[1024] = {};
    unsigned long enabled = 0, httpOnly = 0;
    GetProxySettings(host, sizeof host, port, sizeof port, &enabled, &httpOnly);
    if (enabled != 1 || !host[0]) return false;
    bool ok = port[0] ? bk::TextFormat(hostPort, size, "%s:%s", host, port) : bk::TextCopy(hostPort, size, host);
    if (!ok) hostPort[0] = 0;
    return ok;
}

void StoreResolvedAddress(const char* address) {
    SetMETAURL(address ? address : "");
}

bool ReadUserFolder(char* buffer, size_t size) {
    if (!buffer || size == 0) return false;
    buffer[0] = 0;
    GetValue("PathUser", buffer, static_cast<unsigned long>(size));
    buffer[size - 1] = 0;
    return buffer[0] != 0;
}

}  // namespace bk3
