// The rules of playing that need no running player: which stream of a
// channel to play, and what happens when a stream ends. Plain data in and
// out, no Windows calls, so they also build natively.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace td {

constexpr uint32_t kFirstUserStationId = 0xFFFF0001u;

// The capability bit of a stream type: 1 RealAudio -> 1, 2 Windows Media
// -> 2, 3 MP3 (and any other type) -> 4.
unsigned long CapabilityOfType(int type);
// Engine names for the "please install" messages (language 1 German).
const char* EngineNameOfType(int type, int language);

struct StreamCandidate {
    uint32_t id = 0;
    int type = 0;
    int32_t bandwidth = 0;
};

struct StreamChoiceRules {
    unsigned long capabilities = 0;
    int mode = 0;                 // 1: the user's class and type; 0: automatic limit
    int autoSelect = 0;           // GetAutoselectBandbreite (ignored in mode 1)
    int internetAccess = 0;       // GetInternetaccess
    int bandwidthClass = 0;       // 1..5
    int preferredType = 0;        // 0 any
    int attempt = 1;              // 1-based
    bool chosenWanted = false;    // the caller wants the record (no filtering with every engine)
};

struct StreamChoice {
    uint32_t id = 0;
    bool found = false;
    int index = -1;   // into the candidates given, -1 when none was taken
};

// Candidates are the channel's streams in list order.
StreamChoice ChooseStream(const std::vector<StreamCandidate>& streams, const StreamChoiceRules& rules);

// ---------------------------------------------------------------- end of a stream

enum class EndAction { kNone, kRetryNextStream, kReconnect, kLocalFileFailed, kLocalFileEnded };

struct EndFacts {
    bool hasError = false;
    bool stoppedByUser = false;
    bool localFile = false;
    int32_t elapsedSeconds = 0;
    int attempt = 1;
    int retryCount = 0;      // 0: retries without a limit of their own
    int reconnectOnLost = 0;
};

struct EndDecision {
    bool keep = false;          // playing goes on (a recording keeps running)
    EndAction action = EndAction::kNone;
    const char* statusText = "";
};

EndDecision DecideEnd(const EndFacts& facts);

// A downloaded skin is installed only under a bare file name ending ".dll":
// no folder part, drive or "..".
bool IsInstallableSkinName(const std::string& name);

// Bandwidth class 1..5 of the player: whether a stream of `kbit` belongs to
// it. Any other class keeps every stream (also used by the search).
bool InBandwidthClass(int cls, long kbit);

// The pause before retry n (2 = the first retry): growing, at most 30 s.
uint32_t RetryPauseMs(int attempt);

}  // namespace td
