// The functions of realbridge, the outside library through which the
// playback host drives the RealPlayer engine. The host binds them at run time
// by these names, so that a missing library costs only this engine.
#pragma once

#ifdef REALBRIDGE_BUILD
#define REALBRIDGE_API extern "C" __declspec(dllexport)
#else
#define REALBRIDGE_API extern "C" __declspec(dllimport)
#endif

class cSendRunTimeInfo;

REALBRIDGE_API int REALBRIDGE_Init(cSendRunTimeInfo* reporter, char* user, char* password);
REALBRIDGE_API void REALBRIDGE_SetProxy(char* host, char* port);
REALBRIDGE_API void REALBRIDGE_SetHTTPOnly(int flag);
REALBRIDGE_API char* REALBRIDGE_GetVersion();
REALBRIDGE_API void REALBRIDGE_SetBuffersize(int seconds);
REALBRIDGE_API void REALBRIDGE_Pause();
REALBRIDGE_API int REALBRIDGE_Stop();
REALBRIDGE_API void REALBRIDGE_GotoTrackPos(unsigned long positionMs);
REALBRIDGE_API void REALBRIDGE_GotoTrack(unsigned long entry);
REALBRIDGE_API int REALBRIDGE_OpenUrl(char* address);
REALBRIDGE_API void REALBRIDGE_Continue();
REALBRIDGE_API void REALBRIDGE_Term();

// Pointer types for binding by name.
typedef int (*REALBRIDGE_Init_t)(cSendRunTimeInfo*, char*, char*);
typedef void (*REALBRIDGE_SetProxy_t)(char*, char*);
typedef void (*REALBRIDGE_SetHTTPOnly_t)(int);
typedef char* (*REALBRIDGE_GetVersion_t)();
typedef void (*REALBRIDGE_SetBuffersize_t)(int);
typedef void (*REALBRIDGE_Pause_t)();
typedef int (*REALBRIDGE_Stop_t)();
typedef void (*REALBRIDGE_GotoTrackPos_t)(unsigned long);
typedef void (*REALBRIDGE_GotoTrack_t)(unsigned long);
typedef int (*REALBRIDGE_OpenUrl_t)(char*);
typedef void (*REALBRIDGE_Continue_t)();
typedef void (*REALBRIDGE_Term_t)();
