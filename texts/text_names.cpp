#include "texts/text_names.h"

#include <array>
#include <cstddef>
#include <utility>

namespace {

constexpr std::size_t kIdCount = static_cast<std::size_t>(TextId::Count);

// The compiler spells the template argument in the function's own name
// ("... [with TextId V = TextId::ProductName; ...]" in GCC, "[V =
// TextId::ProductName]" in Clang), so the names need no second list that
// could fall out of step with the enum.
template <TextId V>
constexpr std::string_view SpelledName() {
    constexpr std::string_view pretty = __PRETTY_FUNCTION__;
    constexpr std::string_view marker = "V = TextId::";
    const std::size_t at = pretty.find(marker);
    if (at == std::string_view::npos) return {};
    const std::size_t begin = at + marker.size();
    std::size_t end = begin;
    while (end < pretty.size() &&
           (pretty[end] == '_' || (pretty[end] >= 'a' && pretty[end] <= 'z') ||
            (pretty[end] >= 'A' && pretty[end] <= 'Z') || (pretty[end] >= '0' && pretty[end] <= '9')))
        ++end;
    return pretty.substr(begin, end - begin);
}

template <std::size_t... I>
constexpr std::array<std::string_view, kIdCount> SpellAll(std::index_sequence<I...>) {
    return {SpelledName<static_cast<TextId>(I)>()...};
}

constexpr std::array<std::string_view, kIdCount> kNames = SpellAll(std::make_index_sequence<kIdCount>());

constexpr bool EveryIdIsNamed() {
    for (std::string_view name : kNames)
        if (name.empty()) return false;
    return true;
}
// An id without a name of its own (a gap in the enum) could not be keyed.
static_assert(EveryIdIsNamed(), "every TextId from None to Count needs a name of its own");

}  // namespace

std::string_view TextIdName(TextId id) {
    const auto i = static_cast<std::size_t>(id);
    return i < kIdCount ? kNames[i] : std::string_view{};
}
