// Carries only the strings of test_launchgate.rc; never does anything.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return 0; }
