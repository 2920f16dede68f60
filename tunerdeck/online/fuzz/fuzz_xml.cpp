// Feeds arbitrary text to the element finders and to every document reader
// of server answers and user files, then writes what was read and reads it
// again: what the writers produce must read back the same.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "reply_docs.h"
#include "settings_doc.h"
#include "station_db.h"
#include "xml_core.h"

namespace {

// Every element and list item a reader hands over, as text.
struct Recorder : cStationDbSink {
    std::string seen;
    void Take(char kind, const StationDbFields& f) {
        seen += kind;
        for (int i = 0; i < StationDbFields::kMax; ++i) seen += f.Text(i) + '\x01';
    }
    void Sender(const StationDbFields& f) override { Take('S', f); }
    void Channel(const StationDbFields& f) override { Take('C', f); }
    void Stream(const StationDbFields& f) override { Take('T', f); }
    void Category(int kind, CategoryItem item) override {
        seen += 'L' + std::to_string(kind) + item.de + '\x01' + item.en + '\x01';
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);

    std::string out;
    size_t pos = 0;
    int walked = 0;
    while (NextElementText(text, "Se", &out, &pos) && ++walked < 100000) {
        if (pos > text.size()) abort();
    }
    std::string un = text;
    XmlUnescapeEntities(&un);
    std::string esc = text;
    XmlEscapeEntities(&esc);
    XmlUnescapeEntities(&esc);
    if (esc != text) abort();   // escaping must be undone exactly

    // Read in pieces, a text gives what it gives read whole, or is refused.
    Recorder whole, pieces;
    ReadStationDbText(text.data(), text.size(), &whole);
    cStationDbStream stream(&pieces);
    const size_t piece = size % 13 + 1;
    bool ok = true;
    for (size_t at = 0; ok && at < text.size(); at += piece)
        ok = stream.Feed(text.data() + at, text.size() - at < piece ? text.size() - at : piece);
    if (ok && stream.Finish() && pieces.seen != whole.seen) abort();

    cStationDbDoc db;
    db.Parse(text);
    std::string written = db.WriteText();
    cStationDbDoc again;
    again.Parse(written);
    if (again.senders.size() != db.senders.size() || again.streams.size() != db.streams.size() ||
        again.channels.size() != db.channels.size())
        abort();
    for (size_t i = 0; i < db.senders.size(); ++i)
        if (again.senders[i]->N != db.senders[i]->N) abort();

    cUpdateInfoDoc u;
    u.Parse(text);
    cTopsDoc t;
    t.Parse(text);
    cListItemsDoc li;
    li.Parse(text);
    if (li.ID.size() != li.V.size() || li.V.size() != li.PID.size()) abort();
    cStatusDoc st;
    st.Parse(text);
    cSettingsDoc s("C:\\docs");
    s.Parse(text);
    if (s.actions.size() > cSettingsDoc::kMaxListenActions) abort();
    auto tips = ParseProgrammtipps(text);
    std::string stored;
    for (auto& tip : tips) tip->WriteToBuffer(&stored);
    auto tips2 = ParseProgrammtipps(stored);
    if (tips2.size() != tips.size()) abort();
    for (size_t i = 0; i < tips.size(); ++i)
        if (tips2[i]->title != tips[i]->title) abort();
    ParseLockedStreams(text);
    cUserDefinedStations us;
    us.Parse(text);
    cUserDefinedStations us2;
    us2.Parse(us.WriteText());
    if (us2.stations.size() != us.stations.size()) abort();
    us.GetNextId();
    return 0;
}
