// Identifiers of the Media Player 6.4 control as its containers use them:
// the class id, the dispatch ids of its members and events, and its states.
// Shared by the stand-in control and by the programs that host it.
#pragma once

#include <windows.h>

namespace mp64 {

// {22D6F312-B0F6-11D0-94AB-0080C74C7E95}
constexpr CLSID kClsid = {0x22D6F312, 0xB0F6, 0x11D0, {0x94, 0xAB, 0x00, 0x80, 0xC7, 0x4C, 0x7E, 0x95}};
constexpr const char* kClsidText = "{22D6F312-B0F6-11D0-94AB-0080C74C7E95}";

// Properties and methods.
enum Member : long {
    kDuration = 1003,
    kFileName = 1026,
    kCurrentPosition = 1027,
    kBandwidth = 1037,
    kOpenState = 1061,
    kHasError = 1065,
    kErrorDescription = 1066,
    kPlayState = 1068,
    kBufferingProgress = 1080,
    kPlay = 2001,
    kPause = 2002,
    kStop = 2003,
    kOpen = 2010,
    kGetMediaInfoString = 2016,
    kEntryCount = 2030,
    kGetCurrentEntry = 2031,
    kSetCurrentEntry = 2032,
    kReadyState = -525,
};

// Events.
enum EventId : long {
    kEvPositionChange = 2,
    kEvDisplayModeChange = 51,
    kEvScriptCommand = 3001,
    kEvEndOfStream = 3002,
    kEvBuffering = 3003,
    kEvDisconnect = 3004,
    kEvMarkerHit = 3006,
    kEvNewStream = 3008,
    kEvWarning = 3009,
    kEvError = 3010,
    kEvOpenStateChange = 3011,
    kEvPlayStateChange = 3012,
    kEvReadyStateChange = -609,
};

// Media information kinds of GetMediaInfoString.
constexpr long kInfoTitle = 8;
constexpr long kInfoAuthor = 9;

// Ready states.
enum ReadyState : long { kReadyUninitialized = 0, kReadyLoading = 1, kReadyInteractive = 3, kReadyComplete = 4 };

}  // namespace mp64
