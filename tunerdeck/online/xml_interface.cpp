#include "xml_interface.h"

#include <cstring>

#include "debugtext.h"
#include "internet.h"
#include "online_host.h"

cXmlInterface::cXmlInterface() {
    for (int i = 1; i <= kXmlTemplateSlots; ++i) templates_[i] = XmlTemplate(i);
}

const std::string& cXmlInterface::Template(int slot) const {
    return templates_[slot >= 1 && slot <= kXmlTemplateSlots ? slot : 0];
}

std::unique_ptr<XmlResult> cXmlInterface::Process(const XmlRequest& request) {
    DebugScope scope("xmlinterface.cpp: cXmlInterface::Process");
    const int type = request.type;
    const bool sends = type == 0 || type == 7 || (type >= 1 && type <= 4) || type == 16 || type == 17;
    const bool local = type == 8 || type == 11 || type == 14;
    if (!sends && !local) return nullptr;

    std::unique_ptr<XmlResult> result(new XmlResult);
    std::string text;
    if (sends) {
        char* answer = nullptr;
        int length = 0;
        if (request.client) answer = request.client->SendXmlRequest(request.text.c_str(), &length);
        if (answer) {
            text.assign(answer, static_cast<size_t>(length));
            delete[] answer;
            result->answered = true;
        }
    } else {
        text = request.text;
        result->answered = true;
    }

    try {
        switch (type) {
            case 0:
            case 7:
                if (!result->answered) return nullptr;
                result->raw = text;
                break;
            case 1: {
                auto* d = new cListItemsDoc;
                result->doc.reset(d);
                d->Parse(text);
                break;
            }
            case 2: {
                auto* d = new cStatusDoc;
                result->doc.reset(d);
                d->Parse(text);
                break;
            }
            case 3: {
                auto* d = new cTopsDoc;
                result->doc.reset(d);
                d->Parse(text);
                break;
            }
            case 4: {
                auto* d = new cUpdateInfoDoc;
                result->doc.reset(d);
                d->Parse(text);
                break;
            }
            case 8: {
                auto* d = new cStationDbDoc;
                result->doc.reset(d);
                d->Parse(text);
                break;
            }
            case 11: {
                auto* d = new cSettingsDoc(online::DocumentsFolder());
                result->doc.reset(d);
                d->Parse(text);
                break;
            }
            case 14: {
                auto* d = new cUserDefinedStations;
                result->doc.reset(d);
                d->Parse(text);
                break;
            }
            case 16: result->tips = ParseProgrammtipps(text); break;
            case 17: result->locked = ParseLockedStreams(text); break;
        }
    } catch (const std::exception& e) {
        scope.Exception(e.what());
        return nullptr;
    }
    scope.Ok();
    return result;
}
