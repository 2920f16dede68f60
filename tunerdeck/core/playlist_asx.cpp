#include "playlist_asx.h"

#include <cstring>
#include <memory>

#include "settings_blob.h"
#include "webparse.h"
#include "xml_core.h"

namespace td {
bool IsPlaylistAddress(const char* address) {
    return address && (strstr(address, ".pls") != nullptr || strstr(address, ".m3u") != nullptr);
}

std::vector<std::string> PlaylistEntries(const char* data, size_t size) {
    std::unique_ptr<char[][bk::kPlaylistEntrySize]> found(new char[kMaxPlaylistEntries][bk::kPlaylistEntrySize]);
    const size_t n = bk::ParsePlaylist(data, size, found.get(), kMaxPlaylistEntries);
    return std::vector<std::string>(found.get(), found.get() + n);
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
