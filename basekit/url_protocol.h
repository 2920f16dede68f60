// Registry values outside the player's settings key: the Windows Media
// Player engines' buffering, proxy and transports (their own per-user keys,
// opened but never created), and the URL protocol "tunerdeck" that makes
// links in that scheme start the player.
#pragma once

#include "basekit_api.h"

BASEKIT_API void SetBufferSizeMP(int milliseconds);
BASEKIT_API void SetProxiMP(const char* host, unsigned long port);
BASEKIT_API void UnsetProxiMP();
// A non-zero flag allows HTTP only.
BASEKIT_API void SetTransportMP(int httpOnly);
BASEKIT_API void SetTransportMP9(int httpOnly);

// Registers the running program as the handler of "tunerdeck://" for the
// current user (HKEY_CURRENT_USER\Software\Classes, which HKEY_CLASSES_ROOT
// shows to that user), so no administrator rights are needed.
BASEKIT_API void RegisterVLProtokoll();
