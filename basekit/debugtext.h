// The debug-text sender: one line with a level to the log viewer's window.
// Compiled into every deliverable that logs (not exported), so each module
// looks the viewer up once for itself. Link the static library td_debugtext.
#pragma once

#include <cstdarg>
#include <cstdint>

// Levels used throughout the system; smaller is more important.
enum DebugLevel {
    DL_ERR = 1,
    DL_IO = 3,
    DL_TIM = 4,
    DL_WAR = 5,
    DL_STA = 6,
    DL_INF = 7,
    DL_DEB = 9,
    DL_EDB = 10,
    DL_SAV = 11,
    DL_VER = 15,
};

// The WM_COPYDATA record (wParam 0, dwData 0): this header, the text with
// its terminating zero (length bytes), then four zero bytes.
struct DebugTextRecordHeader {
    uint32_t length;   // text length + 1
    int32_t level;
};
static_assert(sizeof(DebugTextRecordHeader) == 8, "debug-text record header");
constexpr uint32_t kDebugTextPadding = 4;

// Sends one line to the window "logscope_center_class", looked up at the
// first call of the process only (a viewer started later gets nothing from
// it). A hung viewer holds the sender for at most about two seconds.
void SendDebugText(const char* text, int level);

// printf-style front end: formats into a bounded 1024-byte line, then sends.
#if defined(__GNUC__)
__attribute__((format(printf, 2, 3)))
#endif
void DebugLog(int level, const char* fmt, ...);
void DebugLogV(int level, const char* fmt, va_list args);

// The system's entry and exit lines around one operation:
//   "<name> - Eingang" when made, "<name> - Ausgang" when it ends,
//   Ok(): "<name> ...ok", Exception(what): "<name> EXCEPTION (<what>)" as an error.
class DebugScope {
public:
    explicit DebugScope(const char* name, int level = DL_VER) : name_(name ? name : ""), level_(level) {
        DebugLog(level_, "%s - Eingang", name_);
    }
    ~DebugScope() { DebugLog(level_, "%s - Ausgang", name_); }
    DebugScope(const DebugScope&) = delete;
    DebugScope& operator=(const DebugScope&) = delete;

    void Ok() const { DebugLog(level_, "%s ...ok", name_); }
    void Exception(const char* what) const { DebugLog(DL_ERR, "%s EXCEPTION (%s)", name_, what ? what : ""); }

private:
    const char* name_;
    int level_;
};
