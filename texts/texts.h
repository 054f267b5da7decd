// Every text the program shows or prints, looked up by its id. The window
// and the command line spell none of their words themselves.
#pragma once

#include <concepts>
#include <initializer_list>
#include <string>
#include <string_view>

#include "texts/text_id.h"

// The text of an id (UTF-8); empty for TextId::None.
const char* Text(TextId id);

// One value for a placeholder: a text for %N$s, a number for %N$d (written
// in decimal; both kinds are accepted by either placeholder).
class TextArg {
public:
    TextArg(std::string_view text) : m_text(text) {}
    TextArg(const char* text) : m_text(text ? text : "") {}
    TextArg(const std::string& text) : m_text(text) {}
    template <std::integral N>
        requires(!std::same_as<N, bool> && !std::same_as<N, char>)
    TextArg(N number) : m_number(std::to_string(number)), m_text(m_number) {}

    // A TextArg refers to its text: it only lives for the call it is made for.
    TextArg(const TextArg&) = delete;
    TextArg& operator=(const TextArg&) = delete;

    std::string_view text() const { return m_text; }

private:
    std::string m_number;
    std::string_view m_text;
};

// The id's text with %N$s / %N$d replaced by the N-th value and %% by %.
std::string FormatText(TextId id, std::initializer_list<TextArg> args);

// The same for a pattern of one's own (a table entry, a translation). A
// placeholder without a value, or anything else after a %, stays as it is
// written, so that a faulty translation shows instead of losing words.
std::string FormatPattern(std::string_view pattern, std::initializer_list<TextArg> args);
