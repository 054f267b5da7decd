#include "core/name_match.h"

#include <functional>
#include <string>
#include <unordered_map>

namespace {

// Indices of names, looked up by the exact bytes of the name. Open addressing
// in one array: no allocation per name.
class ExactIndex {
public:
    explicit ExactIndex(std::span<const std::string_view> names) : m_names(names) {
        std::size_t capacity = 16;
        while (capacity < names.size() * 2) capacity *= 2;
        m_slots.assign(capacity, kNoPartner);
        m_mask = capacity - 1;
        for (std::uint32_t j = 0; j < names.size(); ++j) {
            std::size_t s = Hash(names[j]) & m_mask;
            while (m_slots[s] != kNoPartner) s = (s + 1) & m_mask;
            m_slots[s] = j;
        }
    }

    // The index of the name with exactly these bytes, or kNoPartner.
    std::uint32_t Find(std::string_view name) const {
        for (std::size_t s = Hash(name) & m_mask;; s = (s + 1) & m_mask) {
            const std::uint32_t j = m_slots[s];
            if (j == kNoPartner || m_names[j] == name) return j;
        }
    }

private:
    static std::size_t Hash(std::string_view s) { return std::hash<std::string_view>{}(s); }

    std::span<const std::string_view> m_names;
    std::vector<std::uint32_t> m_slots;
    std::size_t m_mask = 0;
};

// The remaining names of both sides that share one upper-cased form.
struct Folded {
    int countA = 0;
    int countB = 0;
    std::uint32_t a = kNoPartner;
    std::uint32_t b = kNoPartner;
};

}  // namespace

std::vector<std::uint32_t> MatchNames(std::span<const std::string_view> a, std::span<const std::string_view> b,
                                      CodePage cp) {
    std::vector<std::uint32_t> partner(a.size(), kNoPartner);
    std::vector<bool> takenB(b.size(), false);
    std::size_t leftA = 0;
    {
        const ExactIndex exactB(b);
        for (std::size_t i = 0; i < a.size(); ++i) {
            const std::uint32_t j = exactB.Find(a[i]);
            if (j != kNoPartner && !takenB[j]) {
                partner[i] = j;
                takenB[j] = true;
            } else {
                ++leftA;
            }
        }
    }
    if (leftA == 0) return partner;
    // Only the names left without an exact partner are upper-cased.
    std::unordered_map<std::string, Folded> folded;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (partner[i] != kNoPartner || !IsValidText(a[i], cp)) continue;
        Folded& f = folded[MbUpper(a[i], cp)];
        ++f.countA;
        f.a = static_cast<std::uint32_t>(i);
    }
    if (folded.empty()) return partner;
    for (std::size_t j = 0; j < b.size(); ++j) {
        if (takenB[j] || !IsValidText(b[j], cp)) continue;
        const auto it = folded.find(MbUpper(b[j], cp));
        if (it == folded.end()) continue;
        ++it->second.countB;
        it->second.b = static_cast<std::uint32_t>(j);
    }
    for (const auto& [upper, f] : folded)
        if (f.countA == 1 && f.countB == 1) partner[f.a] = f.b;
    return partner;
}
