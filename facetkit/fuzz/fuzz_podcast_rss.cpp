// Feeds arbitrary feed documents to the podcast feed reader: pruning, the
// element finder, item access, attributes, dates, entities and the file
// names made from feed texts, and checks what they hand back.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "mp3_frame_header.h"
#include "podcast_rss.h"

namespace {

void Check(bool ok) {
    if (!ok) abort();
}

void CheckName(const std::string& name) {
    Check(!name.empty());
    Check(name.find_first_of("\\/:*?\"<>|") == std::string::npos);
    Check(name != "." && name != "..");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string doc(reinterpret_cast<const char*>(data), size);
    // An exact-size copy, so reading one byte too far is caught.
    std::vector<char> exact(doc.begin(), doc.end());
    const char* text = exact.empty() ? "" : exact.data();

    rss::ElementSpan span;
    for (const char* name : {"item", "enclosure", "title", "channel"}) {
        size_t pos = 0;
        for (int n = 0; n < 64 && rss::LocateElement(text, exact.size(), name, pos, &span); ++n) {
            Check(span.start < span.contentStart || span.selfClosing);
            Check(span.contentStart <= span.contentEnd && span.contentEnd <= span.end && span.end <= exact.size());
            Check(span.attrStart + span.attrLength <= exact.size());
            pos = span.end > pos ? span.end : pos + 1;
        }
    }
    std::string content, attributes, value;
    size_t pos = 0;
    while (rss::FindElement(text, exact.size(), "item", &content, &attributes, &pos)) {
        Check(pos <= exact.size());
        rss::GetAttribute(attributes, "url", &value);
        rss::EnclosureLength(attributes);
        rss::ItemHasEnclosure(content.c_str(), content.size());
    }
    rss::DeclaredCodePage(text, exact.size());
    std::string marked = rss::MarkLocalAnsi(doc);
    Check(rss::DeclaredCodePage(marked.c_str(), marked.size()) == rss::kLocalAnsi);

    std::string pruned = doc;
    rss::PruneResult r = rss::PruneItems(&pruned);
    Check(r.count >= 0 && r.count <= rss::kMaxEpisodes);
    Check(pruned.size() <= doc.size());
    for (int i = 1; i <= r.count; ++i) Check(memchr(r.dates[i].text, 0, sizeof r.dates[i].text) != nullptr);
    int items = rss::CountItems(pruned.c_str(), pruned.size(), rss::kMaxEpisodes);
    Check(items >= r.count);
    for (int i = 1; i <= items; ++i) {
        std::string item;
        Check(rss::GetItem(pruned.c_str(), pruned.size(), i, &item));
        Check(rss::ItemHasEnclosure(item.c_str(), item.size()));
    }

    std::string nul(doc.c_str());   // the texts below are zero-terminated
    rss::EpisodeDate d = rss::ParseDate(nul.c_str());
    Check(d.number >= 0 && d.number <= 99991299 + 99);
    std::string decoded = nul;
    rss::DecodeEntities(&decoded);
    Check(decoded.size() <= nul.size());
    std::string title = nul;
    rss::TrimTitle(&title);
    CheckName(rss::EpisodeFileName(nul.c_str()));
    std::string folder = rss::PodcastFolderName(nul.c_str(), 1);
    CheckName(folder);
    Check(folder.size() <= 100);
    CheckName(rss::FeedFileName(nul.c_str(), 1));
    const long long at = FindMp3FrameHeader(data, size);
    Check(at == -1 || (at >= 0 && static_cast<size_t>(at) + 4 <= size));
    if (at >= 0) {
        cMp3FrameHeader header;
        header.Set(data + at);
        Check(header.IsValid() && header.GetBitrate() > 0 && header.GetBitrate() <= 448);
    }
    return 0;
}
