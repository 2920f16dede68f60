// tonestation.exe: serves the test tone as an endless MP3 stream with
// in-band titles on 127.0.0.1, so that a player on a machine without
// Internet access has something to play. Prints the stream's address on
// its first line, changes the title every few seconds and ends after the
// given number of seconds (default 120).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tone_station.h"

int main(int argc, char** argv) {
    int seconds = argc > 1 ? atoi(argv[1]) : 120;
    if (seconds <= 0) seconds = 120;
    journeys::ToneStation station;
    station.SetTitle("Test Artist - Test Tone 1");
    printf("%s\n", station.Url().c_str());
    fflush(stdout);
    for (int t = 1; t <= seconds; ++t) {
        Sleep(1000);
        if (t % 10 == 0) station.SetTitle("Test Artist - Test Tone " + std::to_string(t / 10 + 1));
    }
    return 0;
}
