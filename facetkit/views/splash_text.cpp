#include "splash_text.h"

#include <cstring>
#include <string>

int SplashCountdown::Percent() const {
    if (total <= 0) return 0;
    const long long p = (static_cast<long long>(total) - remaining) * 100 / total;
    return p < 0 ? 0 : p > 100 ? 100 : static_cast<int>(p);
}

bool ParseSplashCopyData(const void* data, size_t size, int* value) {
    if (!data || !size || !value) return false;
    if (size > 4096) size = 4096;
    const std::string text(static_cast<const char*>(data), strnlen(static_cast<const char*>(data), size));
    const size_t at = text.find("|SPLASH|");
    if (at == std::string::npos) return false;
    const char* p = text.c_str() + at + 8;
    bool negative = false;
    if (*p == '-' || *p == '+') negative = *p++ == '-';
    if (*p < '0' || *p > '9') return false;
    long n = 0;
    for (; *p >= '0' && *p <= '9' && n < 1000; ++p) n = n * 10 + (*p - '0');
    if (negative) n = -n;
    if (n == 0 || n < -1 || n >= 130) return false;
    *value = static_cast<int>(n);
    return true;
}
