#include "settings/ini_text.h"

#include <limits>

namespace {

constexpr std::string_view kLineEnd = "\r\n";
// Integer values are converted from at most this many bytes.
constexpr std::size_t kIntValueBytes = 255;

bool StartsWith(std::string_view line, std::string_view prefix) {
    return line.size() >= prefix.size() && line.compare(0, prefix.size(), prefix) == 0;
}

// The reader's block end: a line of at most 2 bytes.
bool EndsReaderBlock(std::string_view line) { return line.size() <= 2; }

// The writer's block end: a line of at most 2 bytes with its LF.
bool EndsWriterBlock(std::string_view line) { return line.size() + 1 <= 2; }

std::string HeaderText(std::string_view section) {
    std::string header = "[";
    header.append(section);
    header.push_back(']');
    return header;
}

bool IsCSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

}  // namespace

std::vector<std::string_view> SplitIniLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t lf = text.find('\n');
        if (lf == std::string_view::npos) {
            lines.push_back(text);
            break;
        }
        std::string_view line = text.substr(0, lf);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        text.remove_prefix(lf + 1);
    }
    return lines;
}

std::optional<std::string_view> FindIniValue(std::string_view text, std::string_view section,
                                             std::string_view key) {
    const std::vector<std::string_view> lines = SplitIniLines(text);
    const std::string header = HeaderText(section);
    std::size_t i = 0;
    while (i < lines.size()) {
        const std::string_view candidate = lines[i++];
        if (candidate == header) {
            for (; i < lines.size(); ++i) {
                const std::string_view line = lines[i];
                if (!StartsWith(line, key)) continue;
                // The byte after the key is skipped whatever it is.
                if (line.size() <= key.size() + 1) return std::string_view();
                return line.substr(key.size() + 1);
            }
            return std::nullopt;
        }
        while (i < lines.size() && !EndsReaderBlock(lines[i++])) {
        }
    }
    return std::nullopt;
}

std::int32_t IniValueToInt(std::string_view value) {
    value = value.substr(0, kIntValueBytes);
    std::size_t i = 0;
    while (i < value.size() && IsCSpace(value[i])) ++i;
    bool negative = false;
    if (i < value.size() && (value[i] == '+' || value[i] == '-')) negative = value[i++] == '-';
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
    std::int64_t n = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
        n = n * 10 + (value[i] - '0');
        if (n > kMax + 1) n = kMax + 1;  // enough to saturate either way, no overflow
    }
    if (negative) n = -n;
    if (n > kMax) return static_cast<std::int32_t>(kMax);
    if (n < kMin) return static_cast<std::int32_t>(kMin);
    return static_cast<std::int32_t>(n);
}

std::string ApplyIniWrite(std::string_view text, std::string_view section, std::string_view key,
                          std::string_view value) {
    const std::vector<std::string_view> lines = SplitIniLines(text);
    const std::string header = HeaderText(section);
    std::string keyLine(key);
    keyLine.push_back('=');
    keyLine.append(value);
    keyLine.append(kLineEnd);

    std::string out;
    out.reserve(text.size() + lines.size() + header.size() + keyLine.size() + 8);
    auto put = [&out](std::string_view line) {
        out.append(line);
        out.append(kLineEnd);
    };

    // Both flags hold for the whole file: a later block with the same header
    // is handled again, but the key is appended only while none was replaced.
    bool found = false;
    bool replaced = false;
    std::size_t i = 0;
    while (i < lines.size()) {
        const std::string_view candidate = lines[i++];
        put(candidate);
        if (StartsWith(candidate, header)) {
            while (i < lines.size()) {
                const std::string_view line = lines[i++];
                if (StartsWith(line, key)) {
                    out.append(keyLine);
                    replaced = true;
                    // Here the line as read is measured, without its LF.
                    if (line.size() <= 2) break;
                } else {
                    put(line);
                    if (EndsWriterBlock(line)) break;
                }
            }
            if (!replaced) {
                out.append(keyLine);
                out.append(kLineEnd);
            }
            found = true;
        } else {
            while (i < lines.size()) {
                const std::string_view line = lines[i++];
                put(line);
                if (EndsWriterBlock(line)) break;
            }
        }
    }
    if (!found) {
        put(header);
        out.append(keyLine);
        out.append(kLineEnd);
    }
    return out;
}

bool IsSingleLine(std::string_view s) { return s.find_first_of("\r\n") == std::string_view::npos; }
