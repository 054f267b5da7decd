#include "cli/headless_common.h"

#include <cstring>

#include "core/compare.h"
#include "settings/settings.h"

std::string EscapeField(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\\') {
            out += "\\\\";
        } else if (c < 0x20 || c == 0x7F) {
            out += "\\x";
            out.push_back(kHex[c >> 4]);
            out.push_back(kHex[c & 0x0F]);
        } else {
            out.push_back(ch);
        }
    }
    return out;
}

std::string EscapeListingFailure(const DirPairTable& pairs, const std::string& message) {
    // The message names the two directories of one pair, the failed one first.
    // Pairs with the same message have the same texts, so the first match will do.
    for (int p = 0; p < pairs.count && p < MAX_DIR_PAIRS; ++p) {
        const std::string a(FieldText(pairs.pairs[p].dirA));
        const std::string b(FieldText(pairs.pairs[p].dirB));
        if (message == FormatListingFailure(a.c_str(), b.c_str()))
            return FormatListingFailure(EscapeField(a).c_str(), EscapeField(b).c_str());
        if (message == FormatListingFailure(b.c_str(), a.c_str()))
            return FormatListingFailure(EscapeField(b).c_str(), EscapeField(a).c_str());
    }
    return EscapeField(message);
}

const char* KindName(const DiffEntry& e) {
    switch (KindOf(e)) {
        case IMAGE_ONLY_A: return "ONLY_A";
        case IMAGE_ONLY_B: return "ONLY_B";
        case IMAGE_A_NEWER: return "A_NEWER";
        case IMAGE_B_NEWER: return "B_NEWER";
    }
    return "";
}

void LoadPairsReadOnly(DirPairTable& pairs) {
    std::memset(&pairs, 0, sizeof pairs);
    ColumnWidths widths;
    LoadSettings(pairs, widths);
}
