// The program's words live in texts/ alone: a string or character literal
// elsewhere that holds a byte beyond ASCII, written out or as an escape, is
// a text that escaped the tables (or a name that belongs in texts/).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;

bool IsIdentChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool IsOctal(char c) { return c >= '0' && c <= '7'; }

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Whether the escape at body[i] (just after the backslash) stands for a
// value beyond ASCII; i moves past it.
bool EscapeBeyondAscii(std::string_view body, std::size_t& i) {
    const char kind = body[i++];
    unsigned long value = 0;
    if (kind == 'x') {
        for (int d; i < body.size() && (d = HexValue(body[i])) >= 0; ++i) value = value * 16 + d;
    } else if (kind == 'u' || kind == 'U') {
        for (int n = kind == 'u' ? 4 : 8, d; n > 0 && i < body.size() && (d = HexValue(body[i])) >= 0; --n, ++i)
            value = value * 16 + d;
    } else if (IsOctal(kind)) {
        value = kind - '0';
        for (int n = 2; n > 0 && i < body.size() && IsOctal(body[i]); --n, ++i) value = value * 8 + (body[i] - '0');
    } else {
        return static_cast<unsigned char>(kind) >= 0x80;
    }
    return value >= 0x80;
}

bool BodyBeyondAscii(std::string_view body, bool raw) {
    for (std::size_t i = 0; i < body.size();) {
        if (static_cast<unsigned char>(body[i]) >= 0x80) return true;
        if (!raw && body[i] == '\\' && i + 1 < body.size()) {
            ++i;
            if (EscapeBeyondAscii(body, i)) return true;
        } else {
            ++i;
        }
    }
    return false;
}

struct WideLiteral {
    int line;
    std::string body;  // as written between the quotes
};

// The literals of the source that hold more than ASCII, one per line.
// Comments are passed over; so are digit separators (1'000).
std::vector<WideLiteral> WideLiteralsIn(std::string_view src) {
    std::vector<WideLiteral> found;
    int line = 1;
    auto lineAt = [&](std::size_t from, std::size_t to) {
        for (std::size_t k = from; k < to && k < src.size(); ++k)
            if (src[k] == '\n') ++line;
    };
    std::size_t i = 0;
    while (i < src.size()) {
        const char c = src[i];
        if (c == '\n') {
            ++line;
            ++i;
        } else if (src.compare(i, 2, "//") == 0) {
            i = src.find('\n', i);
            if (i == std::string_view::npos) break;
        } else if (src.compare(i, 2, "/*") == 0) {
            const std::size_t end = std::min(src.find("*/", i + 2), src.size());
            lineAt(i, end);
            i = end + 2;
        } else if (c == '"' || c == '\'') {
            // The identifier or number just before: a prefix (u8, L, R...) or,
            // before ', the digits of a number with a separator.
            std::size_t start = i;
            while (start > 0 && IsIdentChar(src[start - 1])) --start;
            const std::string_view before = src.substr(start, i - start);
            if (c == '\'' && !before.empty() && before[0] >= '0' && before[0] <= '9') {
                ++i;
                continue;
            }
            const bool raw = c == '"' && !before.empty() && before.back() == 'R';
            const int startLine = line;
            std::size_t bodyStart = i + 1;
            std::size_t bodyEnd;
            if (raw) {
                const std::size_t open = src.find('(', bodyStart);
                const std::string close = ")" + std::string(src.substr(bodyStart, open - bodyStart)) + "\"";
                bodyStart = open + 1;
                bodyEnd = std::min(src.find(close, bodyStart), src.size());
                i = bodyEnd + close.size();
            } else {
                bodyEnd = bodyStart;
                while (bodyEnd < src.size() && src[bodyEnd] != c && src[bodyEnd] != '\n')
                    bodyEnd += src[bodyEnd] == '\\' ? 2 : 1;
                bodyEnd = std::min(bodyEnd, src.size());
                // An unclosed literal ends at its line's end, which still counts.
                i = bodyEnd < src.size() && src[bodyEnd] == c ? bodyEnd + 1 : bodyEnd;
            }
            lineAt(bodyStart, bodyEnd);
            const std::string_view body = src.substr(bodyStart, bodyEnd - bodyStart);
            if (BodyBeyondAscii(body, raw) && (found.empty() || found.back().line != startLine))
                found.push_back({startLine, std::string(body)});
        } else {
            ++i;
        }
    }
    return found;
}

struct ScanCase {
    const char* name;
    std::string source;
    std::vector<int> lines;
};

void PrintTo(const ScanCase& c, std::ostream* os) { *os << c.name; }

class LiteralScan : public ::testing::TestWithParam<ScanCase> {};

TEST_P(LiteralScan, FindsTheLinesWithWideLiterals) {
    std::vector<int> lines;
    for (const WideLiteral& w : WideLiteralsIn(GetParam().source)) lines.push_back(w.line);
    EXPECT_EQ(lines, GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LiteralScan,
    ::testing::Values(
        ScanCase{"plain_ascii", "const char* k = \"OK\";\nchar c = 'x';\n", {}},
        ScanCase{"utf8_bytes", "a\nconst char* k = \"\xE7\xB5\x82\xE4\xBA\x86\";\n", {2}},
        ScanCase{"prefixed", "auto k = u8\"\xE7\xB5\x82\";\nauto w = L\"\xE7\xB5\x82\";\n", {1, 2}},
        ScanCase{"hex_escapes", "f(\"\\xE7\\xB5\\x82\");\n", {1}},
        ScanCase{"octal_escape", "f(\"\\347\");\n", {1}},
        ScanCase{"universal_names", "f(\"\\u7D42\");\ng(\"\\U00007D42\");\n", {1, 2}},
        ScanCase{"ascii_escapes", "f(\"\\x7F\\t\\177\\\\xE7\\u0041\");\n", {}},
        ScanCase{"escaped_quote_does_not_end", "f(\"a\\\"\xE7\xB5\x82\");\n", {1}},
        ScanCase{"character_literal", "char c = '\xE7\xB5\x82';\n", {1}},
        ScanCase{"raw_string", "auto r = R\"x(\n\"\xE7\xB5\x82)\"\n)x\";\nf(\"\xE7\");\n", {1, 4}},
        ScanCase{"comments_pass", "// \"\xE7\xB5\x82\"\n/* \"\xE7\xB5\x82\"\n */ f(\"\xE7\");\n", {3}},
        ScanCase{"digit_separator_is_no_quote", "int n = 1'000; f(\"\xE7\");\n", {1}},
        ScanCase{"unclosed_literal_ends_at_its_line", "#error \"x\nf(\"\xE7\");\n", {2}},
        ScanCase{"two_literals_one_line", "f(\"\xE7\", \"\xE7\");\n", {1}},
        ScanCase{"quote_in_a_comment_is_no_literal", "// don't\nf(\"\xE7\");\n", {2}}),
    [](const auto& info) { return std::string(info.param.name); });

bool IsCppSource(const fs::path& p) {
    const std::string name = p.filename().string();
    for (std::string_view ext : {".cpp", ".cc", ".h", ".hpp", ".h.in"})
        if (name.size() > ext.size() && name.compare(name.size() - ext.size(), ext.size(), ext) == 0) return true;
    return false;
}

// Bytes of a file format rather than words, each in the one file that needs it.
struct FormatBytes {
    std::string_view file;
    std::string_view body;
};
constexpr FormatBytes kFormatBytes[] = {
    {"settings/ini_encoding.h", "\\xEF\\xBB\\xBF"},  // the UTF-8 byte-order mark the settings file may start with
};

bool IsFormatBytes(const std::string& file, const std::string& body) {
    for (const FormatBytes& f : kFormatBytes)
        if (file == f.file && body == f.body) return true;
    return false;
}

// texts/ holds the words; tests/ spells the bytes it expects; bench/ and
// scripts/ give their sample files and folders Japanese names (data, not
// words of the program). Build folders inside the tree are not sources.
bool IsScannedFolder(const fs::path& dir) {
    const std::string name = dir.filename().string();
    if (name.empty() || name[0] == '.') return false;
    for (std::string_view exempt : {"texts", "tests", "bench", "scripts"})
        if (name == exempt) return false;
    return !fs::exists(dir / "CMakeCache.txt");
}

TEST(SourceLiterals, NoWordsOutsideTheTextTables) {
    const fs::path root = ZORUNA_SOURCE_DIR;
    std::string found;
    int scanned = 0;
    for (const fs::directory_entry& top : fs::directory_iterator(root)) {
        if (!top.is_directory() || !IsScannedFolder(top.path())) continue;
        for (const fs::directory_entry& e : fs::recursive_directory_iterator(top.path())) {
            if (!e.is_regular_file() || !IsCppSource(e.path())) continue;
            std::ifstream in(e.path(), std::ios::binary);
            std::ostringstream text;
            text << in.rdbuf();
            ++scanned;
            const std::string file = fs::relative(e.path(), root).generic_string();
            for (const WideLiteral& w : WideLiteralsIn(text.str()))
                if (!IsFormatBytes(file, w.body)) found += file + ":" + std::to_string(w.line) + ": \"" + w.body + "\"\n";
        }
    }
    // The window's and the command line's own folders were among them.
    EXPECT_GT(scanned, 50);
    EXPECT_EQ(found, "") << "literals beyond ASCII: put the text in texts/ and look it up by its id";
}

}  // namespace
