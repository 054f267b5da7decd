// Writes the catalog template po/zoruna.pot from the Japanese table: one entry
// per text, msgctxt the id's name, msgid the Japanese words, c-format where
// they hold placeholders. With --check <file>, compares instead and fails
// when the file is not what it would write (a text was added or changed
// without writing the template again).
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>

#include "texts/japanese.h"
#include "texts/text_names.h"

namespace {

// One line of a PO string, quoted, with what PO escapes escaped.
std::string Quoted(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\t': out += "\\t"; break;
            default: out += c;
        }
    }
    return out + "\"";
}

// A keyword and its string; a string with line breaks as msgmerge writes it,
// one quoted line per line of the text after an empty first one.
void WriteString(std::ostream& out, std::string_view keyword, std::string_view text) {
    const std::size_t firstBreak = text.find('\n');
    if (firstBreak == std::string_view::npos || firstBreak + 1 == text.size()) {
        out << keyword << ' ' << Quoted(text) << '\n';
        return;
    }
    out << keyword << " \"\"\n";
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::size_t take = end == std::string_view::npos ? text.size() : end + 1;
        out << Quoted(text.substr(0, take)) << '\n';
        text.remove_prefix(take);
    }
}

std::string Template() {
    std::ostringstream out;
    out << "# The window's texts of Zoruna. Written by zoruna_write_pot from texts/japanese.h\n"
           "# (ninja zoruna_pot); do not edit. msgctxt is the text's id in texts/text_id.h.\n"
           "msgid \"\"\n"
           "msgstr \"\"\n"
           "\"Project-Id-Version: zoruna\\n\"\n"
           "\"MIME-Version: 1.0\\n\"\n"
           "\"Content-Type: text/plain; charset=UTF-8\\n\"\n"
           "\"Content-Transfer-Encoding: 8bit\\n\"\n";
    for (const TextEntry& e : kJapaneseTexts) {
        out << '\n';
        if (std::string_view(e.text).find('%') != std::string_view::npos) out << "#, c-format\n";
        WriteString(out, "msgctxt", TextIdName(e.id));
        WriteString(out, "msgid", e.text);
        out << "msgstr \"\"\n";
    }
    return out.str();
}

}  // namespace

int main(int argc, char** argv) {
    const std::string pot = Template();
    if (argc == 3 && std::string_view(argv[1]) == "--check") {
        std::ifstream in(argv[2], std::ios::binary);
        const std::string current{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        if (current == pot) return 0;
        std::cerr << argv[2] << " does not hold the texts of texts/japanese.h: run ninja zoruna_pot, then\n"
                  << "msgmerge --update --backup=none po/en.po po/zoruna.pot and translate the new entries\n";
        return 1;
    }
    if (argc == 2) {
        std::ofstream out(argv[1], std::ios::binary);
        out << pot;
        return out.flush() ? 0 : 1;
    }
    std::cerr << "usage: zoruna_write_pot <file> | --check <file>\n";
    return 2;
}
