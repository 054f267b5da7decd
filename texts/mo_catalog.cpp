#include "texts/mo_catalog.h"

#include <cstdint>
#include <fstream>
#include <iterator>

namespace {

constexpr std::uint32_t kMagic = 0x950412de;
constexpr std::uint32_t kMagicSwapped = 0xde120495;
constexpr std::size_t kHeaderSize = 28;

class MoReader {
public:
    explicit MoReader(std::string_view bytes) : m_bytes(bytes) {}

    bool ReadMagic() {
        const auto magic = Word(0, false);
        if (!magic) return false;
        if (*magic == kMagicSwapped) m_swapped = true;
        return *magic == kMagic || *magic == kMagicSwapped;
    }

    std::optional<std::uint32_t> Word(std::size_t at) const { return Word(at, m_swapped); }

    // The string that table entry i of the table at tableOffset describes.
    std::optional<std::string_view> String(std::uint32_t tableOffset, std::uint32_t i) const {
        const std::size_t at = tableOffset + std::size_t{8} * i;
        const auto length = Word(at);
        const auto offset = Word(at + 4);
        // The string is followed by its NUL, which the length leaves out.
        if (!length || !offset || *offset > m_bytes.size() || *length >= m_bytes.size() - *offset) return std::nullopt;
        return m_bytes.substr(*offset, *length);
    }

private:
    std::optional<std::uint32_t> Word(std::size_t at, bool swapped) const {
        if (at > m_bytes.size() || m_bytes.size() - at < 4) return std::nullopt;
        std::uint32_t w = 0;
        for (int k = 0; k < 4; ++k) {
            const auto byte = static_cast<unsigned char>(m_bytes[at + (swapped ? 3 - k : k)]);
            w |= std::uint32_t{byte} << (8 * k);
        }
        return w;
    }

    std::string_view m_bytes;
    bool m_swapped = false;
};

}  // namespace

std::optional<MoCatalog> MoCatalog::Parse(std::string_view bytes) {
    MoReader reader(bytes);
    if (bytes.size() < kHeaderSize || !reader.ReadMagic()) return std::nullopt;
    const auto count = reader.Word(8);
    const auto originals = reader.Word(12);
    const auto translations = reader.Word(16);
    if (!count || !originals || !translations) return std::nullopt;
    // Each entry takes 8 bytes in both tables: a count beyond the file is a
    // broken file, not a reason to reserve memory for it.
    if (*count > bytes.size() / 16) return std::nullopt;
    MoCatalog catalog;
    for (std::uint32_t i = 0; i < *count; ++i) {
        const auto original = reader.String(*originals, i);
        const auto translation = reader.String(*translations, i);
        if (!original || !translation) return std::nullopt;
        // A plural entry holds its forms one after the other, NUL between.
        const std::string_view key = original->substr(0, original->find('\0'));
        const std::string_view first = translation->substr(0, translation->find('\0'));
        if (!key.empty()) catalog.m_entries.emplace(key, first);
    }
    return catalog;
}

std::optional<MoCatalog> MoCatalog::Load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) return std::nullopt;
    return Parse(bytes);
}

const std::string* MoCatalog::Find(std::string_view context, std::string_view msgid) const {
    std::string key;
    key.reserve(context.size() + 1 + msgid.size());
    if (!context.empty()) key.append(context).append(1, '\4');
    key.append(msgid);
    const auto it = m_entries.find(key);
    return it == m_entries.end() ? nullptr : &it->second;
}
