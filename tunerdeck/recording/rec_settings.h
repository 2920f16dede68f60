// Settings of the player that the recording side reads on its own: named
// text values under the player's settings key in the current user's hive.
// (A small reader of our own until the common library's GetValue is linked
// here; the key can be moved for tests.)
#pragma once

#include <cstddef>

// Reads a text value; a missing value reads as an empty text.
void RecGetValue(const char* name, char* buffer, size_t size);
// Reads a decimal number; 0 when missing or empty.
unsigned long RecGetNumber(const char* name);
void RecSetSettingsKey(const char* subkey);
const char* RecSettingsKey();
