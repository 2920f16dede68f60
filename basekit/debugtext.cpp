#include "debugtext.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "bounded_text.h"

namespace {
// Two threads that log first at the same moment both look the window up,
// with the same result; the atomics only keep that race well defined.
std::atomic<HWND> g_viewer{nullptr};
std::atomic<bool> g_lookedUp{false};
}  // namespace

void SendDebugText(const char* text, int level) {
    if (!g_lookedUp.load()) {
        g_viewer.store(FindWindowA("logscope_center_class", nullptr));
        g_lookedUp.store(true);
    }
    HWND viewer = g_viewer.load();
    if (!text || !viewer || !IsWindow(viewer)) return;
    size_t len = strlen(text) + 1;
    const size_t overhead = sizeof(DebugTextRecordHeader) + kDebugTextPadding;
    if (len > 0x7FFFFFF0u - overhead) return;
    size_t size = len + overhead;
    auto* rec = static_cast<unsigned char*>(calloc(1, size));   // the padding stays zero
    if (!rec) return;
    DebugTextRecordHeader header;
    header.length = static_cast<uint32_t>(len);
    header.level = level;
    memcpy(rec, &header, sizeof header);
    memcpy(rec + sizeof header, text, len);
    COPYDATASTRUCT cds;
    cds.dwData = 0;
    cds.cbData = static_cast<DWORD>(size);
    cds.lpData = rec;
    DWORD_PTR answer = 0;
    // A hung viewer must never block the sender for long.
    SendMessageTimeoutA(viewer, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds), SMTO_ABORTIFHUNG | SMTO_BLOCK,
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
