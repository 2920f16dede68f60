#include "debug_record.h"

#include <cstring>

bool ReadDebugRecord(const void* data, size_t size, DebugText* out) {
    if (!data || !out || size < sizeof(DebugRecordHeader)) return false;
    DebugRecordHeader head;
    memcpy(&head, data, sizeof head);
    size_t room = size - sizeof head;
    if (head.length == 0 || head.length > room) return false;
    const char* text = static_cast<const char*>(data) + sizeof head;
    size_t limit = head.length < kMaxDebugText ? head.length : kMaxDebugText;
    const void* zero = memchr(text, 0, limit);
    out->level = head.level;
    out->text = text;
    out->length = zero ? static_cast<size_t>(static_cast<const char*>(zero) - text) : limit;
    return true;
}
