#include "settings/ini_text.h"

#include <limits>

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// Integer values are converted from at most this many bytes.
constexpr std::size_t kIntValueBytes = 255;

bool StartsWith(std::string_view line, std::string_view prefix) {
    return line.size() >= prefix.size() && line.compare(0, prefix.size(), prefix) == 0;
}

// A block end: a line of at most 2 bytes (an empty line, as the writer makes it).
bool EndsBlock(std::string_view line) { return line.size() <= 2; }

// The first line of a block that ends the key search of the section before it.
bool StartsSection(std::string_view line) { return !line.empty() && line.front() == '['; }

std::string HeaderText(std::string_view section) {
    std::string header = "[";
    header.append(section);
    header.push_back(']');
    return header;
}

bool IsCSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

bool HasByteOrderMark(std::string_view text) { return StartsWith(text, kByteOrderMark); }

// The blocks of the file in order: [first, end) line indices; ended: its last
// line is a block end (false only for a last block cut off by the file's end).
struct Block {
    std::size_t first;
    std::size_t end;
    bool ended;
};

Block NextBlock(const std::vector<std::string_view>& lines, std::size_t first) {
    std::size_t i = first + 1;  // the first line never ends its block
    while (i < lines.size()) {
        if (EndsBlock(lines[i++])) return {first, i, true};
    }
    return {first, lines.size(), false};
}

}  // namespace

std::vector<std::string_view> SplitIniLines(std::string_view text) {
    if (HasByteOrderMark(text)) text.remove_prefix(kByteOrderMark.size());
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

IniIndex::IniIndex(std::string_view text) : m_lines(SplitIniLines(text)) {
    // Every block that begins with "[" closes the section before it.
    std::string_view open;
    std::size_t openBegin = 0;
    auto close = [&](std::size_t end) {
        if (!open.empty()) m_sections.try_emplace(open, Range{openBegin, end});
    };
    for (std::size_t i = 0; i < m_lines.size();) {
        const Block block = NextBlock(m_lines, i);
        if (StartsSection(m_lines[i])) {
            close(i);
            open = m_lines[i];
            openBegin = i + 1;
        }
        i = block.end;
    }
    close(m_lines.size());
}

std::optional<std::string_view> IniIndex::Find(std::string_view section, std::string_view key) const {
    const auto it = m_sections.find(HeaderText(section));
    if (it == m_sections.end()) return std::nullopt;
    for (std::size_t i = it->second.begin; i < it->second.end; ++i) {
        const std::string_view line = m_lines[i];
        if (!StartsWith(line, key)) continue;
        // The byte after the key is skipped whatever it is.
        if (line.size() <= key.size() + 1) return std::string_view();
        return line.substr(key.size() + 1);
    }
    return std::nullopt;
}

std::optional<std::string_view> FindIniValue(std::string_view text, std::string_view section,
                                             std::string_view key) {
    return IniIndex(text).Find(section, key);
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

bool IsWritableIni(std::string_view section, std::string_view key, std::string_view value) {
    return section.find_first_of("\r\n") == std::string_view::npos &&
           key.find_first_of("\r\n") == std::string_view::npos && value.find('\n') == std::string_view::npos &&
           key.size() + 1 + value.size() > 2;  // a shorter key line would read as a block end
}

std::string ApplyIniWrites(std::string_view text, const std::vector<IniSectionWrite>& writes,
                           bool removeStale) {
    const bool bom = HasByteOrderMark(text);
    const std::vector<std::string_view> lines = SplitIniLines(text);

    std::vector<std::string> headers;
    std::vector<bool> found(writes.size(), false);
    std::vector<std::vector<bool>> replaced;
    for (const IniSectionWrite& w : writes) {
        headers.push_back(HeaderText(w.section));
        replaced.emplace_back(w.keys.size(), false);
    }
    auto writeFor = [&](std::string_view header) -> std::ptrdiff_t {
        for (std::size_t w = 0; w < headers.size(); ++w)
            if (headers[w] == header) return static_cast<std::ptrdiff_t>(w);
        return -1;
    };
    auto keyOf = [&](std::size_t w, std::string_view line) -> std::ptrdiff_t {
        for (std::size_t k = 0; k < writes[w].keys.size(); ++k)
            if (StartsWith(line, writes[w].keys[k].key)) return static_cast<std::ptrdiff_t>(k);
        return -1;
    };

    std::string out;
    out.reserve(text.size() + 64 * writes.size() + 64);
    if (bom) out.append(kByteOrderMark);
    auto put = [&out](std::string_view line) {
        out.append(line);
        out.append(kLineEnd);
    };
    auto putKey = [&](std::size_t w, std::size_t k) {
        out.append(writes[w].keys[k].key).append("=").append(writes[w].keys[k].value).append(kLineEnd);
    };
    // Keys not replaced in any block of their section so far; every block of
    // the section gets them, as the single write always did.
    auto putMissing = [&](std::size_t w) {
        for (std::size_t k = 0; k < writes[w].keys.size(); ++k)
            if (!replaced[w][k]) putKey(w, k);
    };
    auto putLines = [&](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) put(lines[i]);
    };

    bool lastBlockEnded = true;  // nothing written yet counts as after a block end
    std::ptrdiff_t staleOf = -1;  // the section whose stale key lines are being removed
    for (std::size_t i = 0; i < lines.size();) {
        const Block block = NextBlock(lines, i);
        i = block.end;
        const std::ptrdiff_t w = writeFor(lines[block.first]);
        if (StartsSection(lines[block.first])) staleOf = -1;

        if (w >= 0) {
            put(lines[block.first]);
            for (std::size_t j = block.first + 1; j < block.end; ++j) {
                const std::string_view line = lines[j];
                const std::ptrdiff_t k = keyOf(static_cast<std::size_t>(w), line);
                const bool last = block.ended && j + 1 == block.end;
                if (k >= 0) {
                    putKey(static_cast<std::size_t>(w), static_cast<std::size_t>(k));
                    replaced[w][k] = true;
                    // A short key line was the block end; the new one is longer.
                    if (last) {
                        putMissing(static_cast<std::size_t>(w));
                        put("");
                        break;
                    }
                } else if (last) {
                    putMissing(static_cast<std::size_t>(w));
                    put(line);
                    break;
                } else {
                    put(line);
                }
            }
            if (!block.ended) putMissing(static_cast<std::size_t>(w));
            found[w] = true;
            lastBlockEnded = block.ended;
            if (removeStale) staleOf = w;
            continue;
        }

        if (staleOf >= 0) {
            // Without the block end, the lines that stay; a block that keeps
            // none goes, and one whose first remaining line begins with "["
            // is kept whole, for that line would become a header.
            const std::size_t bodyEnd = block.ended ? block.end - 1 : block.end;
            std::vector<std::string_view> kept;
            for (std::size_t j = block.first; j < bodyEnd; ++j)
                if (keyOf(static_cast<std::size_t>(staleOf), lines[j]) < 0) kept.push_back(lines[j]);
            if (kept.empty()) continue;
            if (kept.size() != bodyEnd - block.first && !StartsSection(kept.front())) {
                for (const std::string_view line : kept) put(line);
                if (block.ended) put(lines[block.end - 1]);
                lastBlockEnded = block.ended;
                continue;
            }
        }
        putLines(block.first, block.end);
        lastBlockEnded = block.ended;
    }

    for (std::size_t w = 0; w < writes.size(); ++w) {
        if (found[w]) continue;
        // The header must be the first line of a block to be found again.
        if (!lastBlockEnded) put("");
        put(headers[w]);
        for (std::size_t k = 0; k < writes[w].keys.size(); ++k) putKey(w, k);
        put("");
        lastBlockEnded = true;
        found[w] = true;
    }
    return out;
}

std::string ApplyIniWrite(std::string_view text, std::string_view section, std::string_view key,
                          std::string_view value) {
    const IniSectionWrite write{std::string(section), {IniKeyWrite{std::string(key), std::string(value)}}};
    return ApplyIniWrites(text, {write}, false);
}
