// Readable names for table cases that are described by their own text, for
// the name generators of parameterised tests (gtest accepts only letters,
// digits and underscores there).
#pragma once

#include <cctype>
#include <string>
#include <string_view>
#include <vector>

// Letters and digits stay; a run of blanks becomes its count ("253blanks", so
// that neighbouring cases stay apart), a tab, minus or plus sign a word; every
// other byte separates. The parts are joined by underscores; no parts: "empty".
inline std::string NameFromText(std::string_view text) {
    std::vector<std::string> parts;
    std::string word;
    const auto flush = [&] {
        if (!word.empty()) parts.push_back(word);
        word.clear();
    };
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (std::isalnum(c)) {
            word += static_cast<char>(c);
            ++i;
            continue;
        }
        flush();
        if (c == ' ') {
            std::size_t n = 0;
            while (i < text.size() && text[i] == ' ') ++n, ++i;
            parts.push_back(std::to_string(n) + (n == 1 ? "blank" : "blanks"));
            continue;
        }
        if (c == '\t') parts.push_back("tab");
        if (c == '-') parts.push_back("minus");
        if (c == '+') parts.push_back("plus");
        ++i;
    }
    flush();
    if (parts.empty()) return "empty";
    std::string name = parts.front();
    for (std::size_t i = 1; i < parts.size(); ++i) name += "_" + parts[i];
    return name;
}
