// List elements that carry texts: one heap text of any length
// (cTxtElement), the same with the favourite's folder (cFavoritenElement),
// and two fixed texts with an active flag for table rows (cTextElement).
#pragma once

#include <cstdint>

#include "basekit_api.h"
#include "liste.h"

class BASEKIT_API cTxtElement : public cListElement {
public:
    cTxtElement();
    // Copies get their own heap text, so each frees only its own.
    cTxtElement(const cTxtElement& other);
    cTxtElement& operator=(const cTxtElement& other);
    ~cTxtElement() override;

    // Stores a fresh copy of the text; null leaves no text.
    void SetText(const char* text);
    char* GetText() { return text_; }
    const char* GetText() const { return text_; }

private:
    char* text_;
};

class BASEKIT_API cFavoritenElement : public cTxtElement {
public:
    cFavoritenElement();
    unsigned long GetOrdner() const { return ordner_; }
    void SetOrdner(unsigned long folder) { ordner_ = static_cast<uint32_t>(folder); }

private:
    uint32_t ordner_;
};

class BASEKIT_API cTextElement : public cListElement {
public:
    enum { TEXT_SIZE = 2048, TEXT2_SIZE = 200 };

    cTextElement();
    cTextElement(const cTextElement& other);
    cTextElement& operator=(const cTextElement& other);
    ~cTextElement() override;

    // Cut to 2047 characters; null leaves the text unchanged.
    void SetText(const char* text);
    // Cut to 198 characters; null leaves the text unchanged.
    void SetText2(const char* text);
    char* GetText() { return text_; }
    const char* GetText() const { return text_; }
    char* GetText2() { return text2_; }
    const char* GetText2() const { return text2_; }
    void SetActive(int active) { active_ = active; }
    int IsActive() const { return active_; }

private:
    char text_[TEXT_SIZE];
    char text2_[TEXT2_SIZE];
    int active_;
};
