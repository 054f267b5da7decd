#include "settings/ini_text.h"

#include <limits>
#include <utility>

#include "core/mbtext.h"
#include "settings/ini_encoding.h"

namespace {

constexpr std::string_view kLineEnd = "\r\n";
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

// Hands out the lines of a text one by one: a line ends at an LF, one CR
// before it is dropped, a last line without an LF is still a line.
class LineCursor {
public:
    explicit LineCursor(std::string_view text) : m_text(text) {}

    bool Next(std::string_view& line) {
        if (m_pos >= m_text.size()) return false;
        const std::size_t lf = m_text.find('\n', m_pos);
        const std::size_t end = lf == std::string_view::npos ? m_text.size() : lf;
        line = m_text.substr(m_pos, end - m_pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        m_pos = lf == std::string_view::npos ? m_text.size() : lf + 1;
        return true;
    }
    // Offset of the next line.
    std::size_t Position() const { return m_pos; }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

// Reads the next block into lines: its first line, then the following ones
// up to and including its block end. ended: the block has its block end
// (only the file's last block can lack one). False when no line is left.
bool NextBlock(LineCursor& cursor, std::vector<std::string_view>& lines, bool& ended) {
    lines.clear();
    ended = false;
    std::string_view line;
    if (!cursor.Next(line)) return false;
    lines.push_back(line);  // the first line never ends its block
    while (cursor.Next(line)) {
        lines.push_back(line);
        if (EndsBlock(line)) {
            ended = true;
            break;
        }
    }
    return true;
}

std::string_view WithoutByteOrderMark(std::string_view text) {
    if (StartsWith(text, kUtf8Bom)) text.remove_prefix(kUtf8Bom.size());
    return text;
}

}  // namespace

IniIndex::IniIndex(std::string_view text) {
    text = WithoutByteOrderMark(text);
    // Every block that begins with "[" closes the section before it.
    std::string_view open;
    std::size_t openBegin = 0;
    auto close = [&](std::size_t end) {
        if (!open.empty()) m_sections.try_emplace(open, text.substr(openBegin, end - openBegin));
    };
    LineCursor cursor(text);
    bool blockStart = true;
    std::string_view line;
    for (std::size_t pos = 0; cursor.Next(line); pos = cursor.Position()) {
        if (blockStart) {
            blockStart = false;
            if (StartsSection(line)) {
                close(pos);
                open = line;
                openBegin = cursor.Position();
            }
        } else if (EndsBlock(line)) {
            blockStart = true;
        }
    }
    close(text.size());
}

std::optional<std::string_view> IniIndex::Find(std::string_view section, std::string_view key) const {
    const auto it = m_sections.find(HeaderText(section));
    if (it == m_sections.end()) return std::nullopt;
    LineCursor cursor(it->second);
    for (std::string_view line; cursor.Next(line);) {
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
    while (i < value.size() && IsBlank(value[i])) ++i;
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

namespace {

// One pass of ApplyIniWrites over the file, block by block.
class IniRewriter {
public:
    IniRewriter(const std::vector<IniSectionWrite>& writes, bool removeStale)
        : m_writes(writes), m_removeStale(removeStale), m_found(writes.size(), false) {
        for (const IniSectionWrite& w : writes) {
            m_headers.push_back(HeaderText(w.section));
            m_replaced.emplace_back(w.keys.size(), false);
        }
    }

    std::string Run(std::string_view text) {
        const std::string_view body = WithoutByteOrderMark(text);
        m_out.reserve(text.size() + 64 * m_writes.size() + 64);
        m_out.append(text.substr(0, text.size() - body.size()));  // the mark, kept

        LineCursor cursor(body);
        std::vector<std::string_view> block;
        bool ended = false;
        while (NextBlock(cursor, block, ended)) {
            if (StartsSection(block.front())) m_staleOf = kNone;
            const std::size_t w = WriteFor(block.front());
            if (w != kNone)
                SectionBlock(w, block, ended);
            else if (m_staleOf != kNone)
                LaterBlock(block, ended);
            else
                Copy(block, ended);
        }
        AppendMissingSections();
        return std::move(m_out);
    }

private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    std::size_t WriteFor(std::string_view header) const {
        for (std::size_t w = 0; w < m_headers.size(); ++w)
            if (m_headers[w] == header) return w;
        return kNone;
    }

    std::size_t KeyOf(std::size_t w, std::string_view line) const {
        for (std::size_t k = 0; k < m_writes[w].keys.size(); ++k)
            if (StartsWith(line, m_writes[w].keys[k].key)) return k;
        return kNone;
    }

    bool IsRemoved(std::size_t w, std::string_view line) const {
        for (const std::string& key : m_writes[w].removedKeys)
            if (StartsWith(line, key)) return true;
        return false;
    }

    // A line of section w after its block that goes: an older line of a
    // written key (when asked for) or a line of a removed key.
    bool IsStale(std::size_t w, std::string_view line) const {
        return (m_removeStale && KeyOf(w, line) != kNone) || IsRemoved(w, line);
    }

    void Put(std::string_view line) { m_out.append(line).append(kLineEnd); }

    void PutKey(std::size_t w, std::size_t k) {
        const IniKeyWrite& kw = m_writes[w].keys[k];
        m_out.append(kw.key).append("=").append(kw.value).append(kLineEnd);
    }

    // Keys not replaced in any block of their section so far; every block of
    // the section gets them, as a single write always did.
    void PutMissing(std::size_t w) {
        for (std::size_t k = 0; k < m_writes[w].keys.size(); ++k)
            if (!m_replaced[w][k]) PutKey(w, k);
    }

    void Copy(const std::vector<std::string_view>& block, bool ended) {
        for (const std::string_view line : block) Put(line);
        m_lastBlockEnded = ended;
    }

    // A block headed by section w: key lines replaced in place, lines of
    // removed keys dropped, missing keys inserted before the block end.
    void SectionBlock(std::size_t w, const std::vector<std::string_view>& block, bool ended) {
        Put(block.front());
        for (std::size_t j = 1; j < block.size(); ++j) {
            const std::string_view line = block[j];
            const bool last = ended && j + 1 == block.size();
            const std::size_t k = KeyOf(w, line);
            if (k != kNone || IsRemoved(w, line)) {
                if (k != kNone) {
                    PutKey(w, k);
                    m_replaced[w][k] = true;
                }
                if (last) {
                    // A short key line was the block end; the new one is longer.
                    PutMissing(w);
                    Put("");
                }
            } else if (last) {
                PutMissing(w);
                Put(line);
            } else {
                Put(line);
            }
        }
        if (!ended) PutMissing(w);
        m_found[w] = true;
        m_lastBlockEnded = ended;
        m_staleOf = w;
    }

    // A block between a written section's block and the next header: its
    // stale lines go. A block that keeps none goes with its block end; one
    // whose first remaining line begins with "[" is kept whole, for that line
    // would become a header.
    void LaterBlock(const std::vector<std::string_view>& block, bool ended) {
        const std::size_t bodyEnd = ended ? block.size() - 1 : block.size();
        m_kept.clear();
        for (std::size_t j = 0; j < bodyEnd; ++j)
            if (!IsStale(m_staleOf, block[j])) m_kept.push_back(block[j]);
        if (m_kept.empty()) return;
        if (m_kept.size() == bodyEnd || StartsSection(m_kept.front())) {
            Copy(block, ended);
            return;
        }
        for (const std::string_view line : m_kept) Put(line);
        if (ended) Put(block.back());
        m_lastBlockEnded = ended;
    }

    void AppendMissingSections() {
        for (std::size_t w = 0; w < m_writes.size(); ++w) {
            if (m_found[w]) continue;
            // The header must be the first line of a block to be found again.
            if (!m_lastBlockEnded) Put("");
            Put(m_headers[w]);
            for (std::size_t k = 0; k < m_writes[w].keys.size(); ++k) PutKey(w, k);
            Put("");
            m_lastBlockEnded = true;
        }
    }

    const std::vector<IniSectionWrite>& m_writes;
    const bool m_removeStale;
    std::vector<std::string> m_headers;
    std::vector<bool> m_found;
    std::vector<std::vector<bool>> m_replaced;
    std::string m_out;
    std::vector<std::string_view> m_kept;
    bool m_lastBlockEnded = true;  // nothing written yet counts as after a block end
    std::size_t m_staleOf = kNone;  // the written section whose later blocks are being read
};

}  // namespace

std::string ApplyIniWrites(std::string_view text, const std::vector<IniSectionWrite>& writes,
                           bool removeStale) {
    return IniRewriter(writes, removeStale).Run(text);
}
