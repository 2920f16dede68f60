// Turning a downloaded playlist (.m3u lines or .pls entries) into the ASX
// file that the Media Player engines open. Free of Windows calls.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace td {

constexpr size_t kMaxPlaylistEntries = 100;

// True when the address names a playlist (".pls" or ".m3u" anywhere in it).
bool IsPlaylistAddress(const char* address);
// The addresses of a downloaded playlist (PLS, M3U or ASX, as basekit's
// playlist reader takes them), at most kMaxPlaylistEntries.
std::vector<std::string> PlaylistEntries(const char* data, size_t size);
// The ASX text; every address escaped for an attribute value.
std::string BuildAsx(const std::vector<std::string>& entries);

}  // namespace td
