// Exists only to carry a version block for the version-reading test.
#include <windows.h>
extern "C" __declspec(dllexport) int TdProbe() { return 42; }
