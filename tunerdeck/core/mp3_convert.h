// WAV files to MP3 with the player's MP3 settings (callback codes 62 and 63),
// and the check whether the encoder library can be used (code 67).
#pragma once

#include <windows.h>

#include <functional>

#include "convert_order.h"

namespace td {

// Where the progress goes; the default posts message 1185 to the order's window.
using ConvertNotifyFn = std::function<void(HWND window, WPARAM wParam, LPARAM lParam)>;

// Encodes the order's WAV file into its MP3 path block by block on the
// calling thread (at the lowest priority while it runs) until the file is
// done or *stop becomes non-zero. A stopped or failed conversion leaves no
// MP3 file behind. 1 when the file was converted.
int ConvertWavToMp3(ConvertOrder* order, const volatile LONG* stop, const ConvertNotifyFn& notify = {});

// 1 when an encoder object can load and start the encoder library.
int CheckMp3Encoder();

}  // namespace td
