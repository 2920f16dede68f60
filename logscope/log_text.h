// Texts of the log viewer: level tags, log lines, the rolled-over file name
// and the level field's number. Free of Windows calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// "ERR", "IO", ... for the levels the system uses, "unb" for any other.
const char* LevelTag(int32_t level);

struct LogStamp {   // local time of a line
    int day, month, year, hour, minute, second;
};

// Appends "dd-mm-yyyy hh:mm:ss TAG - text\r\n" to *out.
void AppendLogLine(std::string* out, const LogStamp& when, int32_t level, const char* text, size_t textLength);

// The name a full log file is moved to: "_old" inserted before the file
// name's last ".log" (a folder named "x.log" is left alone), or appended
// when the name has no ".log". False when it does not fit.
bool MakeOldLogName(const char* path, char* out, size_t outSize);

enum class LevelInput { kValid, kNotANumber, kOutOfRange };
constexpr int kMinLevelFilter = 0;
constexpr int kMaxLevelFilter = 128;
// Reads the level field's text: an optionally signed decimal number with
// blanks around it, within kMinLevelFilter..kMaxLevelFilter.
LevelInput ParseLevelText(const char* text, int* level);
