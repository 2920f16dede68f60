// The host's command line and the version text of the RealPlayer engine.
#include <cstdlib>
#include <cstring>

#include "bounded_text.h"
#include "command_tail.h"
#include "cradle_app.h"

EngineKind ParseCradleCommandLine(const char* line, int32_t* probe, bool* checkConnection) {
    *probe = 0;
    *checkConnection = false;
    if (!line) return kEngineNone;
    // Skip the program name (the main program passes none, only " -rp").
    const char* p = bk::CommandLineTail(line);
    struct Switch {
        const char* text;
        EngineKind engine;
        int32_t probe;
    } const switches[] = {{"-rp", kEngineReal, 0}, {"-mp", kEngineMp64, 0}, {"-mp9", kEngineMp9, 0},
                          {"-rpV", kEngineReal, 1}, {"-mpV", kEngineMp64, 1}};
    for (const Switch& s : switches) {
        if (strcmp(p, s.text) == 0) {
            *probe = s.probe;
            return s.engine;
        }
    }
    if (strcmp(p, "-CheckConnection") == 0) *checkConnection = true;
    return kEngineNone;
}

int32_t MajorVersion(const char* versionText) {
    char v[10];
    bk::TextCopyN(v, sizeof v, versionText ? versionText : "", 9);
    if (char* dot = strchr(v, '.')) *dot = 0;
    if (char* comma = strchr(v, ',')) *comma = 0;
    return atoi(v);
}
