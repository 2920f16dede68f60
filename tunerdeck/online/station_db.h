// The station directory as one XML text: stations ("Se"), their channels
// ("Ch"), the streams of each channel ("St") and seven category lists whose
// items carry a German and an English text. Free of Windows calls.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "xml_core.h"

class cSenderDoc : public cXmlDocument {
public:
    void SetField(std::string name, std::string value) override;
    void Parse(const std::string& text);
    void Write(std::string* out);
    std::string N, Id, U, T, R, L;
};

class cChannelDoc : public cXmlDocument {
public:
    void SetField(std::string name, std::string value) override;
    void Parse(const std::string& text);
    void Write(std::string* out);
    std::string N, Id, SID, S, G, Tx, Tx_ENG, R, T, D, M;
};

class cStreamDoc : public cXmlDocument {
public:
    void SetField(std::string name, std::string value) override;
    void Parse(const std::string& text);
    void Write(std::string* out);
    uint32_t Id = 0;
    uint32_t CID = 0;
    std::string U;
    uint8_t F = 0;
    int32_t Q = 0;
    int32_t D = 0;
};

// One value of a category list in both languages. The two texts travel
// together, so the German and the English list of a kind cannot drift apart.
struct CategoryItem {
    int32_t id = 0;
    std::string de, en;
    int32_t pid = 0;
};

// The seven kinds in the order the text writes them.
enum CategoryKind { kCatTyp, kCatGenre, kCatTopGenre, kCatSprache, kCatLand, kCatRegion, kCatKontinente, kCatKinds };
const char* CategoryElementName(int kind);

// The fields of one element of the three arrays as the reader found them,
// in the order of the kind's field list below: a view of the raw text (or
// of a value the field-by-field reader already unescaped), the first value
// of each name. Valid while the text is.
enum SenderField { kSeN, kSeId, kSeU, kSeT, kSeR, kSeL, kSenderFields };
enum ChannelField { kChN, kChId, kChSID, kChS, kChG, kChTx, kChTxEng, kChR, kChT, kChD, kChM, kChannelFields };
enum StreamField { kStId, kStCID, kStU, kStF, kStQ, kStD, kStreamFields };

struct StationDbFields {
    static constexpr int kMax = kChannelFields;
    const char* at[kMax] = {};   // null: the element has no such field
    uint32_t size[kMax] = {};
    bool escaped[kMax] = {};     // holds an ampersand: unescaped when taken
    // The value unescaped; empty when the field is missing.
    std::string Text(int field) const;
    // The value as XmlToInt64 and XmlToInt read it; 0 when missing.
    int64_t Number64(int field) const;
    int32_t Number(int field) const;
};

// What the reader hands over, element by element in the order of the text.
class cStationDbSink {
public:
    virtual ~cStationDbSink() = default;
    virtual void Sender(const StationDbFields& fields) = 0;
    virtual void Channel(const StationDbFields& fields) = 0;
    virtual void Stream(const StationDbFields& fields) = 0;
    virtual void Category(int kind, CategoryItem item) = 0;
};

// Reads the raw station text in one pass over its bytes: an element written
// as a run of "<name>value</name>" is taken where it stands, without a copy;
// any other shape is read field by field as before. The arrays must stand in
// the order SenderArray, ChannelArray, StreamArray; a missing one leaves the
// others findable, and an array without its closing tag ends where its
// elements do. The category lists ("listen") are looked for behind the
// arrays first, then from the start.
void ReadStationDbText(const char* text, size_t size, cStationDbSink* sink);

// The same reader fed piece by piece, for a text too large to be held whole
// at once: only the piece at hand and an element cut by its end are kept. It
// takes the usual layout (the arrays in order, each a run of elements of the
// usual shape, the category lists behind them) and gives what
// ReadStationDbText gives; at anything else Feed or Finish answers false, and
// the caller reads the whole text with ReadStationDbText into a fresh sink.
class cStationDbStream {
public:
    explicit cStationDbStream(cStationDbSink* sink) : sink_(sink) {}
    bool Feed(const char* data, size_t size);
    // The end of the text.
    bool Finish();

private:
    bool Advance(bool last);

    cStationDbSink* sink_;
    std::string pending_;   // fed and not read yet, from at_ on
    size_t at_ = 0;
    int array_ = 0;         // the array looked for or read
    bool inArray_ = false;
    bool failed_ = false;
};

class cStationDbDoc : public cXmlDocument {
public:
    void SetField(std::string, std::string) override {}
    // `text` is the raw text: every value is unescaped once as it is taken.
    void Parse(const std::string& text);
    // The plain text. Values are escaped, so that what Parse unescapes comes
    // back unchanged.
    std::string WriteText();
    // The file form: the text zero-padded to a multiple of 8 and enciphered
    // (the store appends the check trailer).
    std::string Write();

    std::vector<std::unique_ptr<cSenderDoc>> senders;
    std::vector<std::unique_ptr<cChannelDoc>> channels;
    std::vector<std::unique_ptr<cStreamDoc>> streams;
    std::vector<CategoryItem> lists[kCatKinds];
};
