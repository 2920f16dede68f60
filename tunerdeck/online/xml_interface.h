// The template table of the interface-server documents and the dispatcher
// that turns a type code into "send this request, read the answer into that
// document".
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "reply_docs.h"
#include "settings_doc.h"
#include "station_db.h"
#include "xml_templates.h"

class cInternet;

struct XmlRequest {
    cInternet* client = nullptr;   // none for local texts
    int32_t type = 0;
    std::string text;              // the request to send, or the local text to parse
};

// What Process hands back; which member is filled depends on the type code.
struct XmlResult {
    bool answered = false;          // the server sent an answer (local texts: true)
    std::string raw;                // codes 0 and 7
    std::unique_ptr<cXmlDocument> doc;   // codes 1-4, 8, 11, 14
    std::vector<std::unique_ptr<cProgrammtipp>> tips;   // code 16
    std::vector<std::string> locked;                    // code 17

    template <typename T>
    T* As() const { return dynamic_cast<T*>(doc.get()); }
};

class cXmlInterface {
public:
    cXmlInterface();
    ~cXmlInterface() = default;
    const std::string& Template(int slot) const;
    // Null when the type code is unknown, or (codes 0 and 7) when nothing came back.
    std::unique_ptr<XmlResult> Process(const XmlRequest& request);

private:
    std::string templates_[kXmlTemplateSlots + 1];
};
