#include "playlist_text.h"

std::string M3uSafe(const char* text) {
    std::string s = text ? text : "";
    for (char& c : s)
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    return s;
}

std::string XmlSafe(const char* text) {
    std::string out;
    for (const char* p = text ? text : ""; *p; ++p) {
        switch (*p) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += static_cast<unsigned char>(*p) < 0x20 ? ' ' : *p; break;
        }
    }
    return out;
}
