// Answers of the interface server and the two user files that share their
// form (programme tips, own stations). Members hold the element texts as
// they stood in the answer, each unescaped once. Free of Windows calls.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "xml_core.h"

// Answer to UpdatePlayerInfo2.
class cUpdateInfoDoc : public cXmlDocument {
public:
    void SetField(std::string name, std::string value) override;
    void Parse(const std::string& answer);
    // Member by element name (null for an unknown name).
    std::string* Member(const std::string& name);

    std::string PId, Version, status, UpdateSize, UpdateUrl, skinStatus, skinVersion, skinUpdateSize,
        skinUpdateUrl, AddyUrl, AddyUrl_ENG, AddyCX, AddyCY, AddyCX_ENG, AddyCY_ENG, ServerTime, HilfeDatum,
        HilfeDatumENG, HilfeURL, HilfeURLENG, SKIN_SENDER, splashScreenURL, splashScreenSizeX, splashScreenSizeY,
        splashScreenURL_ENG, splashScreenSizeX_ENG, splashScreenSizeY_ENG, INFOSTATUS, INFOURL, INFOCX, INFOCY;
};

// Answers to the listening report, the recommendation and the skin data.
class cStatusDoc : public cXmlDocument {
public:
    void SetField(std::string name, std::string value) override;
    void Parse(const std::string& answer);
    std::string status;
};

// Answer to GetTops.
class cTopsDoc : public cXmlDocument {
public:
    void SetField(std::string name, std::string value) override;
    void Parse(const std::string& answer);
    std::vector<std::string> tops;
    std::string datum;
};

// Answer to GetListItems: four lists paired by position.
class cListItemsDoc : public cXmlDocument {
public:
    void SetField(std::string name, std::string value) override;
    void Parse(const std::string& answer);
    std::vector<std::string> ID, V, V_ENG, PID;
    std::string list;
};

class cDbTimeDoc : public cXmlDocument {
public:
    void SetField(std::string name, std::string value) override;
    std::string playerDbTime, playerDbUpdateUrl;
};

// One programme tip.
class cProgrammtipp : public cXmlDocument {
public:
    void SetField(std::string name, std::string value) override;
    // From the text of one "tipp" element of an answer or of the tips file
    // (both forms are escaped field by field).
    void Parse(const std::string& tip);
    void ParseStored(const std::string& tip) { Parse(tip); }
    // The file form: "<tipp>", eleven escaped fields, "</tipp>".
    void WriteToBuffer(std::string* out);

    std::string sender, channel, channelid, tippId, start, stop, title, timername, genre, link, received;
};

// One station of the user's own ("UDSe").
class cUserDefinedStation : public cXmlDocument {
public:
    static constexpr int kFields = 11;
    static const char* const kFieldNames[kFields];   // N, Id, UH, T, R, L, S, K, IN, US, F

    void SetField(std::string name, std::string value) override;
    void Parse(const std::string& text);
    void Write(std::string* out);
    int32_t GetId() const { return XmlToInt(fields[1]); }
    std::string& Field(const char* name);

    std::string fields[kFields];
};

class cUserDefinedStations : public cXmlDocument {
public:
    void SetField(std::string, std::string) override {}
    void Parse(const std::string& text);
    std::string WriteText();
    // One above the highest id, ids compared as unsigned numbers from
    // -65536 on, so own stations count -65535, -65534, ...
    int32_t GetNextId() const;

    std::vector<std::unique_ptr<cUserDefinedStation>> stations;
};

// Walks the "tipp" elements of a text (an answer or the tips file).
std::vector<std::unique_ptr<cProgrammtipp>> ParseProgrammtipps(const std::string& text);
// The texts of the "locked" elements (streams to avoid).
std::vector<std::string> ParseLockedStreams(const std::string& text);
