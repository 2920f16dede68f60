// The scheduler program around its object: command line, single instance,
// the hidden window "clockwarden_class" and the message loop.
#pragma once

#include <windows.h>

class cSchedulerHost;

constexpr const char kSchedulerInstanceMutex[] = "clockwarden_single_instance";

// Runs the program for the given command line (without the program name);
// returns the exit code.
int ClockwardenMain(const char* commandLine, cSchedulerHost* host);
