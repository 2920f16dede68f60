#include "debugtext.h"

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "bounded_text.h"

namespace {
HWND g_viewer = nullptr;
bool g_lookedUp = false;
}  // namespace

void SendDebugText(const char* text, int level) {
    if (!g_lookedUp) {
        g_viewer = FindWindowA("logscope_center_class", nullptr);
        g_lookedUp = true;
    }
    if (!text || !g_viewer || !IsWindow(g_viewer)) return;
    size_t len = strlen(text) + 1;
    if (len > 0x7FFFFFF0u - 12) return;
    size_t size = len + 12;
    auto* rec = static_cast<unsigned char*>(calloc(1, size));
    if (!rec) return;
    uint32_t len32 = static_cast<uint32_t>(len);
    int32_t level32 = level;
    memcpy(rec, &len32, 4);
    memcpy(rec + 4, &level32, 4);
    memcpy(rec + 8, text, len);
    COPYDATASTRUCT cds;
    cds.dwData = 0;
    cds.cbData = static_cast<DWORD>(size);
    cds.lpData = rec;
    DWORD_PTR answer = 0;
    // A hung viewer must never block the sender for long.
    SendMessageTimeoutA(g_viewer, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds), SMTO_ABORTIFHUNG | SMTO_BLOCK,
                        2000, &answer);
    free(rec);
}

void DebugLogV(int level, const char* fmt, va_list args) {
    char line[1024];
    bk::TextFormatV(line, sizeof line, fmt ? fmt : "", args);
    SendDebugText(line, level);
}

void DebugLog(int level, const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    DebugLogV(level, fmt, args);
    va_end(args);
}
