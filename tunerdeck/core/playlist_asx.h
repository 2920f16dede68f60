// Turning a downloaded playlist (.m3u lines or .pls entries) into the ASX
// file that the Media Player engines open. Free of Windows calls.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace td {

constexpr size_t kMaxPlaylistEntries = 100;
constexpr size_t kMaxPlaylistLine = 1024;

// True when the address names a playlist (".pls" or ".m3u" anywhere in it).
bool IsPlaylistAddress(const char* address);
// The addresses of an .m3u text: comments, "[playlist]" and
// "NumberOfEntries" lines and blank lines skipped, CR and trailing blanks
// removed, lines cut at kMaxPlaylistLine - 1 characters; an entry shorter
// than 2 characters ends the list.
std::vector<std::string> M3uEntries(const char* data, size_t size);
// The ASX text; every address escaped for an attribute value.
std::string BuildAsx(const std::vector<std::string>& entries);

}  // namespace td
