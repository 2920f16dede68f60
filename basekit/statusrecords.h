// The status records that a playback host sends to the main program's
// hidden status window by WM_COPYDATA (the kind in wParam, dwData 0). Both
// sides include this header; every layout is the same in the 32-bit and the
// 64-bit build. Free of Windows calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace bk {

constexpr const char* kStatusWindowClass = "control_activex_class";
constexpr size_t kStatusTextSize = 512;   // texts are cut to 511 characters
// The receiver's answer to a run-information record that no longer wants it.
constexpr intptr_t kStatusNotWanted = 500;

enum StatusKind : uint32_t {
    kStatusLog = 1,
    kStatusPlayState = 2,
    kStatusBuffering = 3,
    kStatusResetBuffer = 4,
    kStatusEnginePlayState = 5,
    kStatusOpenState = 6,
    kStatusError = 7,
    kStatusRunInfo = 8,
    kStatusStreamInfo = 9,
};

#pragma pack(push, 4)
struct StatusLogRecord {   // kind 1
    uint32_t processId;
    char text[kStatusTextSize];
    int32_t level;
};
struct StatusValueRecord {   // kinds 2 to 6
    uint32_t processId;
    uint32_t value;
};
struct StatusErrorRecord {   // kind 7
    uint32_t processId;
    char text[kStatusTextSize];
    uint32_t reserved;   // 0
};
struct StatusRunInfoRecord {   // kind 8
    uint32_t processId;
    uint32_t a, b, c, d;
};
struct StatusStreamInfoRecord {   // kind 9
    uint32_t processId;
    uint32_t track;
    uint32_t maxTrack;
    uint32_t maxPlaytime;
    char title[kStatusTextSize];
    char author[kStatusTextSize];
};
#pragma pack(pop)
static_assert(sizeof(StatusLogRecord) == 520, "kind 1 record");
static_assert(sizeof(StatusValueRecord) == 8, "kinds 2-6 record");
static_assert(sizeof(StatusErrorRecord) == 520, "kind 7 record");
static_assert(sizeof(StatusRunInfoRecord) == 20, "kind 8 record");
static_assert(sizeof(StatusStreamInfoRecord) == 1040, "kind 9 record");

// Size a record of the kind must have; 0 for an unknown kind.
inline size_t StatusRecordSize(uint32_t kind) {
    switch (kind) {
        case kStatusLog: return sizeof(StatusLogRecord);
        case kStatusPlayState:
        case kStatusBuffering:
        case kStatusResetBuffer:
        case kStatusEnginePlayState:
        case kStatusOpenState: return sizeof(StatusValueRecord);
        case kStatusError: return sizeof(StatusErrorRecord);
        case kStatusRunInfo: return sizeof(StatusRunInfoRecord);
        case kStatusStreamInfo: return sizeof(StatusStreamInfoRecord);
        default: return 0;
    }
}

// One received record, checked: any of the layouts above.
union StatusRecord {
    uint32_t processId;
    StatusLogRecord log;
    StatusValueRecord value;
    StatusErrorRecord error;
    StatusRunInfoRecord runInfo;
    StatusStreamInfoRecord streamInfo;
};

// Copies a received payload into *out when its size matches its kind and
// forces a terminating zero into every text field. False for an unknown
// kind, a wrong size or no data: such records are dropped.
inline bool DecodeStatusRecord(uint32_t kind, const void* data, size_t size, StatusRecord* out) {
    size_t want = StatusRecordSize(kind);
    if (want == 0 || size != want || !data || !out) return false;
    memset(out, 0, sizeof *out);
    memcpy(out, data, size);
    switch (kind) {
        case kStatusLog: out->log.text[kStatusTextSize - 1] = 0; break;
        case kStatusError: out->error.text[kStatusTextSize - 1] = 0; break;
        case kStatusStreamInfo:
            out->streamInfo.title[kStatusTextSize - 1] = 0;
            out->streamInfo.author[kStatusTextSize - 1] = 0;
            break;
        default: break;
    }
    return true;
}

}  // namespace bk
