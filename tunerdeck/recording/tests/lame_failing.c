/* An encoder library whose streams open but fail to encode, and that counts
   what is asked of it after the failure. */
#include <windows.h>

static LONG g_deinit, g_close, g_encode;

__declspec(dllexport) unsigned long beInitStream(void* c, DWORD* samples, DWORD* bufSize, void** stream) {
    *samples = 2304;
    *bufSize = 8640;
    *stream = (void*)0x1234;
    return 0;
}
__declspec(dllexport) unsigned long beEncodeChunk(void* h, unsigned long n, void* p, void* o, DWORD* out) {
    InterlockedIncrement(&g_encode);
    *out = 0;
    return 1;
}
__declspec(dllexport) unsigned long beDeinitStream(void* h, void* o, DWORD* out) {
    InterlockedIncrement(&g_deinit);
    *out = 0;
    return 0;
}
__declspec(dllexport) unsigned long beCloseStream(void* h) {
    InterlockedIncrement(&g_close);
    return 0;
}
__declspec(dllexport) void beVersion(void* v) {}
__declspec(dllexport) unsigned long beWriteVBRHeader(const char* name) { return 0; }
__declspec(dllexport) void tdCounts(LONG* encode, LONG* deinit, LONG* close) {
    *encode = g_encode;
    *deinit = g_deinit;
    *close = g_close;
}
