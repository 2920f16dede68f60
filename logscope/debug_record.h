// The debug-text record that every deliverable sends to the viewer by
// WM_COPYDATA: this header, the text with its terminating zero, four zero
// bytes. Free of Windows calls so that it also builds natively.
#pragma once

#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)
struct DebugRecordHeader {
    uint32_t length;   // text length including its terminating zero
    int32_t level;
};
#pragma pack(pop)
static_assert(sizeof(DebugRecordHeader) == 8, "debug-text record header is 8 bytes");

// Longest text taken from one record; a longer one is cut there. Keeps a
// hostile or runaway sender from filling memory with pending lines.
constexpr size_t kMaxDebugText = 32767;

struct DebugText {
    int32_t level = 0;
    const char* text = nullptr;   // points into the record, not terminated
    size_t length = 0;            // bytes of text before its zero (or the cut)
};

// Reads a record of `size` bytes. False (record dropped) when it is shorter
// than its header, its length field is zero or runs past the record's end.
// The text ends at its first zero byte within `length`, at `length` when it
// has none, and at kMaxDebugText at the most.
bool ReadDebugRecord(const void* data, size_t size, DebugText* out);
