// The arguments of a Windows command line: what follows the program name
// (quoted or not) and the blanks after it. Free of Windows calls.
#pragma once

namespace bk {

inline const char* CommandLineTail(const char* commandLine) {
    const char* p = commandLine ? commandLine : "";
    if (*p == '"') {
        ++p;
        while (*p && *p != '"') ++p;
        if (*p == '"') ++p;
    } else {
        while (*p && *p != ' ' && *p != '\t') ++p;
    }
    while (*p == ' ' || *p == '\t') ++p;
    return p;
}

}  // namespace bk
