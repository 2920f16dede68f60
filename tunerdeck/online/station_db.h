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
