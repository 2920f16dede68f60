#include "connection_check.h"

#include <windows.h>

#include "bounded_text.h"

namespace {
const char kServer[] = "player.velmirant.de";
}

void InterfaceServer(char* host, unsigned long size) {
    DWORD n = GetEnvironmentVariableA("TD_INTERFACE_SERVER", host, size);
    if (n == 0 || n >= size) bk::TextCopy(host, size, kServer);
}
