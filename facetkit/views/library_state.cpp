#include "library_state.h"

#include "../../tunerdeck/core/settings_interface.h"
#include "host_link.h"
#include "skin_wnd.h"
#include "wnd_list.h"

LibraryState& Library() {
    static LibraryState state;
    return state;
}

int HostCallback(int code, int ch, void* text) {
    HostEventCallback cb = Library().callback;
    return cb ? cb(code, ch, text) : 0;
}

int UiLanguage() { return GetHostLanguage(); }

int RecentLimit() {
    cSettingsInterface* host = Library().host;
    if (!host) return 10;
    int a = host->GetMaxResentList(), b = host->GetMaxTimerEditList();
    return a > b ? a : b;
}

int MenuRecentLimit() {
    cSettingsInterface* host = Library().host;
    return host ? host->GetMaxResentList() : 10;
}

bool PostToWindow(unsigned long windowId, UINT message, WPARAM wParam, LPARAM lParam) {
    cSkinWnd* wnd = GetWindowList().Find(windowId);
    if (!wnd || !wnd->GetWindow()) return false;
    return PostMessageA(wnd->GetWindow(), message, wParam, lParam) != 0;
}

void HostLog(int level, const char* text) { HostCallback(28, level, const_cast<char*>(text)); }
