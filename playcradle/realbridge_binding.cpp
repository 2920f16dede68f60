#include "realbridge_binding.h"

#include <windows.h>

#include "bounded_text.h"

RealBridge g_realbridge;

namespace {
template <typename T>
bool Bind(HMODULE dll, const char* name, T* fn) {
    *fn = reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(dll, name)));
    return *fn != nullptr;
}
}  // namespace

bool RealBridge::Load() {
    if (Loaded()) return true;
    // From the program folder only, never from the current folder or the path.
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    if (n == 0 || n >= sizeof path) return false;
    char* slash = strrchr(path, '\\');
    if (!slash) return false;
    slash[1] = 0;
    if (!bk::TextAppend(path, "realbridge.dll")) return false;
    HMODULE dll = LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!dll) return false;
    RealBridge b;
    bool ok = Bind(dll, "REALBRIDGE_Init", &b.Init) && Bind(dll, "REALBRIDGE_SetProxy", &b.SetProxy) &&
              Bind(dll, "REALBRIDGE_SetHTTPOnly", &b.SetHTTPOnly) && Bind(dll, "REALBRIDGE_GetVersion", &b.GetVersion) &&
              Bind(dll, "REALBRIDGE_SetBuffersize", &b.SetBuffersize) && Bind(dll, "REALBRIDGE_Pause", &b.Pause) &&
              Bind(dll, "REALBRIDGE_Stop", &b.Stop) && Bind(dll, "REALBRIDGE_GotoTrackPos", &b.GotoTrackPos) &&
              Bind(dll, "REALBRIDGE_GotoTrack", &b.GotoTrack) && Bind(dll, "REALBRIDGE_OpenUrl", &b.OpenUrl) &&
              Bind(dll, "REALBRIDGE_Continue", &b.Continue) && Bind(dll, "REALBRIDGE_Term", &b.Term);
    if (!ok) {
        FreeLibrary(dll);
        return false;
    }
    *this = b;   // the library stays loaded for the life of the process
    return true;
}
