// Text helpers for fixed-size character buffers. Every function writes at
// most dstSize bytes, always terminates the buffer (when dstSize > 0) and
// reports with false when the text did not fit and was cut.
// Header-only and free of Windows calls, so parsers that use it also build
// natively (for fuzzing).
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstring>

namespace bk {

inline bool TextCopy(char* dst, size_t dstSize, const char* src) {
    if (!dst || dstSize == 0) return false;
    if (!src) {
        dst[0] = 0;
        return true;
    }
    size_t n = 0;
    while (n + 1 < dstSize && src[n]) {
        dst[n] = src[n];
        ++n;
    }
    dst[n] = 0;
    return src[n] == 0;
}

// Copies at most srcLen bytes of src (stops early at a zero byte).
inline bool TextCopyN(char* dst, size_t dstSize, const char* src, size_t srcLen) {
    if (!dst || dstSize == 0) return false;
    size_t n = 0;
    while (src && n < srcLen && n + 1 < dstSize && src[n]) {
        dst[n] = src[n];
        ++n;
    }
    dst[n] = 0;
    return !src || n == srcLen || src[n] == 0;
}

inline bool TextAppend(char* dst, size_t dstSize, const char* src) {
    if (!dst || dstSize == 0) return false;
    size_t used = strnlen(dst, dstSize);
    if (used >= dstSize) {   // not terminated: repair, report
        dst[dstSize - 1] = 0;
        return false;
    }
    return TextCopy(dst + used, dstSize - used, src);
}

inline bool TextFormatV(char* dst, size_t dstSize, const char* fmt, va_list args) {
    if (!dst || dstSize == 0) return false;
    int n = vsnprintf(dst, dstSize, fmt, args);
    dst[dstSize - 1] = 0;
    if (n < 0) {
        dst[0] = 0;
        return false;
    }
    return static_cast<size_t>(n) < dstSize;
}

#if defined(__GNUC__)
__attribute__((format(printf, 3, 4)))
#endif
inline bool TextFormat(char* dst, size_t dstSize, const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    bool ok = TextFormatV(dst, dstSize, fmt, args);
    va_end(args);
    return ok;
}

template <size_t N>
inline bool TextCopy(char (&dst)[N], const char* src) { return TextCopy(dst, N, src); }
template <size_t N>
inline bool TextAppend(char (&dst)[N], const char* src) { return TextAppend(dst, N, src); }

// Length of a text that may lack its terminator within max bytes.
inline size_t TextLength(const char* s, size_t max) { return s ? strnlen(s, max) : 0; }

}  // namespace bk
