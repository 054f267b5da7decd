#include "cli/headless_common.h"

#include <cstring>

#include "cli/failure_text.h"
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

std::string PrintedListingFailure(const ListingFailure& failure) {
    return FormatListingFailure(EscapeField(failure.failedDir).c_str(), EscapeField(failure.otherDir).c_str());
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
