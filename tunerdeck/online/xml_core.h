// The player's small XML framework: elements are found by literal tag search
// (no attributes, comments, CDATA or self-closing tags), texts are 8-bit and
// never converted. Values are unescaped one element at a time, after the
// element was found in the raw text, so escaped markup inside a value can
// never open or close an element. Free of Windows calls (fuzzed natively).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Replaces & < > " ' by their entities (the ampersand first, so nothing is
// escaped twice).
void XmlEscapeEntities(std::string* text);
std::string XmlEscaped(const std::string& text);
// One pass, left to right, names compared without regard to case: each
// entity is replaced once, so "&amp;lt;" becomes "&lt;", never "<".
void XmlUnescapeEntities(std::string* text);

// The raw content of the first element `name` from `start` on; same-named
// elements inside it are balanced. 1 on success (out may be empty); 0 when
// the opening or the balancing closing tag is missing (out unchanged).
int GetElementText(const std::string& doc, const char* name, std::string* out);
// The same from *position on; on success *position becomes the offset of
// the closing tag, so repeated calls walk successive elements.
int NextElementText(const std::string& doc, const char* name, std::string* out, size_t* position);
// The same over the bytes [0, size) without copying: the content of the
// element is [*contentStart, *contentEnd).
int NextElementSpan(const char* doc, size_t size, const char* name, size_t* contentStart, size_t* contentEnd,
                    size_t* position);
// A leaf value: GetElementText, then unescaped once.
int GetElementValue(const std::string& doc, const char* name, std::string* out);

// Decimal numbers as the C library reads them (leading blanks, a sign,
// digits up to the first other character), but saturating instead of
// overflowing.
int32_t XmlToInt(const std::string& text);
int64_t XmlToInt64(const std::string& text);
// The same over [text, text + size); a zero byte ends the number too.
int32_t XmlToInt(const char* text, size_t size);
int64_t XmlToInt64(const char* text, size_t size);

// Base of every document. Writers append one element to a growable text and
// return the number of characters appended.
class cXmlDocument {
public:
    virtual ~cXmlDocument() = default;
    virtual void SetField(std::string name, std::string value) = 0;
    virtual int WriteIntToBuffer(std::string* buffer, const char* name, int32_t value);
    virtual int WriteEscapedTextToBuffer(std::string* buffer, const char* name, const std::string& text);
    virtual int WriteTextToBuffer(std::string* buffer, const char* name, const std::string& text);
};
