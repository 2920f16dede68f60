// The interface server of the player. The main program talks to it, and the
// playback host's connection check and the Media Player bridge's title
// lookups ask the same host. The environment variable TD_INTERFACE_SERVER
// ("host[:port]") names another one for the programs a test starts.
#pragma once

#include <windows.h>

#include <cstddef>

#include "bounded_text.h"

namespace bk {

constexpr const char kInterfaceHost[] = "interface.velmirant.net";

inline void InterfaceServer(char* host, size_t size) {
    if (!host || size == 0) return;
    DWORD n = GetEnvironmentVariableA("TD_INTERFACE_SERVER", host, static_cast<DWORD>(size));
    if (n == 0 || n >= size) TextCopy(host, size, kInterfaceHost);
}

}  // namespace bk
