// Settings of the player that the recording side reads on its own: named
// text values under the player's settings key in the current user's hive.
// The key is the player's settings key (basekit's, as launchgate names it);
// tests may put another in its place.
#pragma once

#include <cstddef>

// Reads a text value; a missing value reads as an empty text.
void RecGetValue(const char* name, char* buffer, size_t size);
// Reads a decimal number; 0 when missing or empty.
unsigned long RecGetNumber(const char* name);
// Null or empty: back to the player's settings key.
void RecSetSettingsKey(const char* subkey);
const char* RecSettingsKey();
