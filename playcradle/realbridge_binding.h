// realbridge bound by name at run time: without the library only the
// RealPlayer engine is missing, not the whole playback host.
#pragma once

#include "realbridge.h"

struct RealBridge {
    REALBRIDGE_Init_t Init = nullptr;
    REALBRIDGE_SetProxy_t SetProxy = nullptr;
    REALBRIDGE_SetHTTPOnly_t SetHTTPOnly = nullptr;
    REALBRIDGE_GetVersion_t GetVersion = nullptr;
    REALBRIDGE_SetBuffersize_t SetBuffersize = nullptr;
    REALBRIDGE_Pause_t Pause = nullptr;
    REALBRIDGE_Stop_t Stop = nullptr;
    REALBRIDGE_GotoTrackPos_t GotoTrackPos = nullptr;
    REALBRIDGE_GotoTrack_t GotoTrack = nullptr;
    REALBRIDGE_OpenUrl_t OpenUrl = nullptr;
    REALBRIDGE_Continue_t Continue = nullptr;
    REALBRIDGE_Term_t Term = nullptr;

    // Loads "realbridge.dll" from the program folder; false when it or one
    // of its functions is missing (then every pointer stays null).
    bool Load();
    bool Loaded() const { return Init != nullptr; }
};

extern RealBridge g_realbridge;
