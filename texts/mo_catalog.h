// A compiled gettext catalog (a .mo file as msgfmt writes it), read without
// libintl: the command line has no wx, and Windows has no libintl.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

class MoCatalog {
public:
    // The catalog in bytes (either byte order); nothing when they are not a
    // catalog or an entry lies outside them.
    static std::optional<MoCatalog> Parse(std::string_view bytes);
    // The catalog in the file at path; nothing when it cannot be read or
    // parsed.
    static std::optional<MoCatalog> Load(const std::string& path);

    // The translation of msgid in context (msgctxt); nullptr where the
    // catalog has none. The first form of a plural entry.
    const std::string* Find(std::string_view context, std::string_view msgid) const;

    std::size_t size() const { return m_entries.size(); }

private:
    // Keyed as gettext keys them: context, byte 4, msgid.
    std::unordered_map<std::string, std::string> m_entries;
};
