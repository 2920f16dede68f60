// A start program whose strings and icons the agent reads as data; run, it
// does nothing.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return 0; }
