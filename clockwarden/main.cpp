// clockwarden: fires the user's timer entries by starting the player.
#include <windows.h>

#include "scheduler_host.h"
#include "scheduler_window.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    cSchedulerHost host;
    return ClockwardenMain(commandLine, &host);
}
