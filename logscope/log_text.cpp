#include "log_text.h"

#include <cstring>

#include "bounded_text.h"

const char* LevelTag(int32_t level) {
    switch (level) {
    case 1: return "ERR";
    case 3: return "IO";
    case 4: return "TIM";
    case 5: return "WAR";
    case 6: return "STA";
    case 7: return "INF";
    case 9: return "DEB";
    case 10: return "EDB";
    case 11: return "SAV";
    case 15: return "VER";
    default: return "unb";
    }
}

void AppendLogLine(std::string* out, const LogStamp& when, int32_t level, const char* text, size_t textLength) {
    char head[64];
    bk::TextFormat(head, sizeof head, "%02d-%02d-%04d %02d:%02d:%02d %s - ", when.day, when.month, when.year,
                   when.hour, when.minute, when.second, LevelTag(level));
    out->append(head);
    if (text) out->append(text, textLength);
    out->append("\r\n");
}

namespace {
bool IsLogSuffix(const char* p) {
    return p[0] == '.' && (p[1] | 0x20) == 'l' && (p[2] | 0x20) == 'o' && (p[3] | 0x20) == 'g';
}
}  // namespace

bool MakeOldLogName(const char* path, char* out, size_t outSize) {
    if (!path || !out || outSize == 0) return false;
    size_t len = strlen(path);
    size_t nameStart = 0;
    for (size_t i = 0; i < len; ++i)
        if (path[i] == '\\' || path[i] == '/' || path[i] == ':') nameStart = i + 1;
    size_t insertAt = len;
    for (size_t i = len; i >= nameStart + 4; --i) {
        if (IsLogSuffix(path + i - 4)) {
            insertAt = i - 4;
            break;
        }
    }
    if (len + 5 > outSize) {
        out[0] = 0;
        return false;
    }
    memcpy(out, path, insertAt);
    memcpy(out + insertAt, "_old", 4);
    memcpy(out + insertAt + 4, path + insertAt, len - insertAt + 1);
    return true;
}

LevelInput ParseLevelText(const char* text, int* level) {
    if (!text) return LevelInput::kNotANumber;
    const char* p = text;
    while (*p == ' ' || *p == '\t') ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    if (*p < '0' || *p > '9') return LevelInput::kNotANumber;
    long long value = 0;
    bool huge = false;
    for (; *p >= '0' && *p <= '9'; ++p) {
        if (value < 1000000000LL) value = value * 10 + (*p - '0');
        else huge = true;
    }
    while (*p == ' ' || *p == '\t') ++p;
    if (*p) return LevelInput::kNotANumber;
    if (negative) value = -value;
    if (huge || value < kMinLevelFilter || value > kMaxLevelFilter) return LevelInput::kOutOfRange;
    if (level) *level = static_cast<int>(value);
    return LevelInput::kValid;
}
