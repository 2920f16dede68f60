// What the main window does for the buttons and lines of the navigator's
// tables and pages: the table posts these to the navigator, which passes
// them on here.
#include "library_state.h"
#include "main_window.h"
#include "nav_menus.h"
#include "protocol_commands.h"
#include "timer_entries.h"

bool HandleRowMessage(UINT msg, WPARAM wParam) {
    switch (msg) {
    case 1128:
        // The host fills the details before the page asks for them.
        HostCallback(CB_DETAILS, static_cast<int>(wParam), nullptr);
        Sleep(30);
        ShowNavigatorView(5, static_cast<int>(wParam));
        return true;
    case 1129: MainProtocolTarget().PlayStream(static_cast<unsigned long>(wParam)); return true;
    case 1174: EditTimerEntry(static_cast<int>(wParam), 0, 0); return true;
    case 1175: DeleteTimerEntry(static_cast<int>(wParam)); return true;
    case 1177: NewTimerEntry(static_cast<unsigned long>(wParam)); return true;
    default: return false;
    }
}
