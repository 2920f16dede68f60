// traywatch: the player's icon in the notification area.
#include <windows.h>

#include "tray_agent.h"

int WINAPI WinMain(HINSTANCE self, HINSTANCE, LPSTR commandLine, int) { return tw::TraywatchMain(commandLine, self); }
