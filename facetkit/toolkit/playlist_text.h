// Texts that go into the M3U and ASX playlists written for episodes: titles
// and paths come from feeds on the network.
#pragma once

#include <string>

#include "facetkit_api.h"

// A line break in a title would start a new playlist line: control bytes
// become blanks.
FACETKIT_API std::string M3uSafe(const char* text);
// Mark-up in a title or path must not become entries of its own: the XML
// characters are escaped, control bytes become blanks.
FACETKIT_API std::string XmlSafe(const char* text);
