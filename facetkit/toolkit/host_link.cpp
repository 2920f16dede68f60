#include "host_link.h"

#include <windows.h>

#include "win_handles.h"

namespace {

bk::CriticalSection& Lock() {
    static bk::CriticalSection lock;
    return lock;
}

HostLanguageFn g_fn = nullptr;
void* g_context = nullptr;

}  // namespace

void SetHostLanguageSource(HostLanguageFn fn, void* context) {
    bk::ScopedLock hold(Lock());
    g_fn = fn;
    g_context = context;
}

int GetHostLanguage() {
    bk::ScopedLock hold(Lock());
    return g_fn ? g_fn(g_context) : 0;
}
