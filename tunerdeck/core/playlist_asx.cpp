#include "playlist_asx.h"

#include <cstring>

#include "settings_blob.h"
#include "xml_core.h"

namespace td {
namespace {

bool StartsWithNoCase(const std::string& s, const char* prefix) {
    size_t n = strlen(prefix);
    if (s.size() < n) return false;
    for (size_t i = 0; i < n; ++i) {
        char a = s[i], b = prefix[i];
        if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
        if (a != b) return false;
    }
    return true;
}

}  // namespace

bool IsPlaylistAddress(const char* address) {
    return address && (strstr(address, ".pls") != nullptr || strstr(address, ".m3u") != nullptr);
}

std::vector<std::string> M3uEntries(const char* data, size_t size) {
    std::vector<std::string> entries;
    size_t pos = 0;
    while (data && pos < size && entries.size() < kMaxPlaylistEntries) {
        size_t end = pos;
        while (end < size && data[end] != '\n') ++end;
        std::string line(data + pos, end - pos);
        pos = end + 1;
        if (line.size() > kMaxPlaylistLine - 1) line.resize(kMaxPlaylistLine - 1);
        size_t zero = line.find('\0');
        if (zero != std::string::npos) line.resize(zero);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
        if (line.empty()) continue;
        if (line[0] == '#' || (line.size() == 10 && StartsWithNoCase(line, "[playlist]")) ||
            StartsWithNoCase(line, "NumberOfEntries"))
            continue;
        if (line.size() < 2) break;
        entries.push_back(line);
    }
    return entries;
}

std::string BuildAsx(const std::vector<std::string>& entries) {
    std::string asx = "<ASX version = \"3.0\">\n";
    size_t n = 0;
    for (const std::string& e : entries) {
        if (e.size() < 2 || n++ >= kMaxPlaylistEntries) break;
        asx += "<ENTRY><REF HREF = \"" + XmlEscaped(e) + "\" /></ENTRY>";
    }
    asx += "</ASX>";
    return asx;
}

}  // namespace td
