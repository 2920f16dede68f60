#include "inifile.h"

#include <cctype>
#include <cstring>

namespace bk {

namespace {

std::string Trim(const char* begin, const char* end) {
    while (begin < end && (*begin == ' ' || *begin == '\t')) ++begin;
    while (end > begin && (end[-1] == ' ' || end[-1] == '\t')) --end;
    return std::string(begin, end);
}

bool SameName(const std::string& a, const char* b) {
    size_t n = strlen(b);
    if (a.size() != n) return false;
    for (size_t i = 0; i < n; ++i)
        if (tolower(static_cast<unsigned char>(a[i])) != tolower(static_cast<unsigned char>(b[i]))) return false;
    return true;
}

std::string TrimmedName(const char* name) { return Trim(name, name + strlen(name)); }

}  // namespace

IniText::IniText(const char* data, size_t size) {
    if (!data) return;
    const char* end = data + size;
    Section* current = nullptr;
    for (const char* line = data; line < end;) {
        const char* eol = line;
        while (eol < end && *eol != '\n' && *eol != '\r' && *eol != '\0') ++eol;
        std::string text = Trim(line, eol);
        line = eol < end ? eol + 1 : end;
        if (text.empty() || text[0] == ';') continue;
        if (text[0] == '[') {
            size_t close = text.find(']');
            std::string name = close == std::string::npos ? text.substr(1) : text.substr(1, close - 1);
            name = Trim(name.data(), name.data() + name.size());
            sections_.push_back({name, {}});
            current = &sections_.back();
            continue;
        }
        if (!current) continue;
        size_t eq = text.find('=');
        const char* t = text.data();
        std::string key = eq == std::string::npos ? text : Trim(t, t + eq);
        std::string value = eq == std::string::npos ? std::string() : Trim(t + eq + 1, t + text.size());
        if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
            value = value.substr(1, value.size() - 2);
        current->keys.emplace_back(std::move(key), std::move(value));
    }
}

const std::string* IniText::Find(const char* section, const char* key) const {
    if (!section || !key) return nullptr;
    const std::string wantedSection = TrimmedName(section);
    const std::string wantedKey = TrimmedName(key);
    // A section that appears twice counts as one: the first holder of a key
    // wins, as with the profile API's merged sections.
    for (const Section& s : sections_) {
        if (!SameName(s.name, wantedSection.c_str())) continue;
        for (const auto& kv : s.keys)
            if (SameName(kv.first, wantedKey.c_str())) return &kv.second;
    }
    return nullptr;
}

std::vector<std::string> IniText::SectionNames() const {
    std::vector<std::string> names;
    for (const Section& s : sections_) {
        bool seen = false;
        for (const std::string& n : names) seen = seen || SameName(n, s.name.c_str());
        if (!seen) names.push_back(s.name);
    }
    return names;
}

}  // namespace bk
