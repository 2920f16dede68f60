// The viewer's list of accepted lines: the newest at the end and in view,
// the oldest dropped once the list holds its most.
#pragma once

#include <windows.h>

void AppendShownLine(HWND list, const char* line, int maxLines, int linesInView);
