/* An encoder library that lacks beWriteVBRHeader, for the load check. */
#include <windows.h>

__declspec(dllexport) unsigned long beInitStream(void* c, void* a, void* b, void* s) { return 1; }
__declspec(dllexport) unsigned long beEncodeChunk(void* h, unsigned long n, void* p, void* o, void* c) { return 1; }
__declspec(dllexport) unsigned long beDeinitStream(void* h, void* o, void* c) { return 1; }
__declspec(dllexport) unsigned long beCloseStream(void* h) { return 0; }
__declspec(dllexport) void beVersion(void* v) {}
