#include "txtelement.h"

#include <cstdlib>
#include <cstring>

#include "bounded_text.h"

namespace {
char* HeapCopy(const char* text) {
    if (!text) return nullptr;
    size_t n = strlen(text) + 1;
    char* copy = static_cast<char*>(malloc(n));
    if (copy) memcpy(copy, text, n);
    return copy;
}
}  // namespace

cTxtElement::cTxtElement() : text_(nullptr) {}

cTxtElement::cTxtElement(const cTxtElement& other) : cListElement(other), text_(HeapCopy(other.text_)) {}

cTxtElement& cTxtElement::operator=(const cTxtElement& other) {
    if (this != &other) {
        cListElement::operator=(other);
        SetText(other.text_);
    }
    return *this;
}

cTxtElement::~cTxtElement() { free(text_); }

void cTxtElement::SetText(const char* text) {
    char* copy = HeapCopy(text);  // before freeing: text may be our own
    free(text_);
    text_ = copy;
}

cFavoritenElement::cFavoritenElement() : ordner_(0) {}

cTextElement::cTextElement() : active_(1) {
    text_[0] = 0;
    text2_[0] = 0;
}

cTextElement::cTextElement(const cTextElement& other) = default;
cTextElement& cTextElement::operator=(const cTextElement& other) = default;
cTextElement::~cTextElement() = default;

void cTextElement::SetText(const char* text) {
    if (text) bk::TextCopy(text_, text);
}

void cTextElement::SetText2(const char* text) {
    if (text) bk::TextCopyN(text2_, sizeof text2_, text, TEXT2_SIZE - 2);
}
