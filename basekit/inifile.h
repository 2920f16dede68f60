// A reader of INI text held in memory, following the profile API's rules:
// section and key names match without regard to case and lose their outer
// blanks, values lose their outer blanks and one pair of enclosing quotes,
// lines starting with ';' are comments, and the first section or key of a
// name wins. No Windows calls, so it also builds natively.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace bk {

class IniText {
public:
    IniText(const char* data, size_t size);

    // Null when the section or the key is absent.
    const std::string* Find(const char* section, const char* key) const;
    std::vector<std::string> SectionNames() const;

private:
    struct Section {
        std::string name;
        std::vector<std::pair<std::string, std::string>> keys;
    };

    std::vector<Section> sections_;
};

}  // namespace bk
