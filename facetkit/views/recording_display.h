// The main window's small actions between the user interface and the host:
// a recording's start and end (with the offer to delete what was recorded),
// recommendations and their outcome, the song-shop link, and the WAV-to-MP3
// converter behind the encoder check.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "facetkit_api.h"
#include "recommend_record.h"

struct RecordingStartRecord;

// The recommendation record (callback code 36) is basekit's RecommendRecord.

// The files a recording of `pieces` pieces left, the path's own first: the
// base is the path without its extension and without a trailing "_n" piece
// number; the others are base_n.ext for the following piece numbers.
FACETKIT_API std::vector<std::string> RecordingPieceFiles(const char* path, int pieces, int firstPiece);
// The thanks line after a sent recommendation (texts 121, 387, 388, 556).
FACETKIT_API std::string RecommendThanksText(int kind, const char* itemText, int language);
// A value for a query of an address: everything but letters, digits and
// "-_.~" percent-encoded.
FACETKIT_API std::string PercentEncoded(const char* value);
// The song-shop address: base "?song=" and the song, percent-encoded.
FACETKIT_API std::string BuildSongLink(const char* base, const char* song);

// Message 1181: `data` is the information text (started) or the record the
// host hands back (ended), which is freed here.
FACETKIT_API void OnRecordingState(void* data, int started);
FACETKIT_API void Recommend(int kind, int id, const char* text);
FACETKIT_API void RecommendTimerEntry(int position);
FACETKIT_API void SetSongText(const char* text);
FACETKIT_API void OpenSongLink();
FACETKIT_API void OpenWavConverter();

// The pop-ups of these actions until the dialogs land (and for tests).
struct RecordingPopups {
    // Recording saved: 0 means the user discards the recording.
    int (*recordSaved)(RecordingStartRecord* record) = nullptr;
    // Recommendation form: non-zero means send.
    int (*recommend)(RecommendRecord* record, const char* itemText) = nullptr;
    void (*wavConverter)() = nullptr;
    // Navigator content view: recording display on/off with its info.
    void (*recordingView)(int on, const char* format, const char* quality, int a, int b, int c) = nullptr;
};
FACETKIT_API void SetRecordingPopups(const RecordingPopups& popups);
FACETKIT_API RecordingPopups GetRecordingPopups();
