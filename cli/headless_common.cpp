#include "cli/headless_common.h"

#include <cerrno>
#include <cstring>

#include "cli/failure_text.h"
#include "settings/settings.h"
#include "texts/texts.h"

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

void ListingFailurePrinter::OnListingFailure(const ListingFailure& failure) {
    m_any = true;
    if (m_printed.emplace(failure.pairIndex, failure.failedSide, failure.failedDir).second)
        std::fprintf(m_err, "%s\n", PrintedListingFailure(failure).c_str());
}

const char* KindName(const DiffEntry& e) {
    switch (KindOf(e)) {
        case DiffKind::OnlyInA: return "ONLY_A";
        case DiffKind::OnlyInB: return "ONLY_B";
        case DiffKind::ANewer: return "A_NEWER";
        case DiffKind::BNewer: return "B_NEWER";
        case DiffKind::Undecided: return "UNDECIDED";
    }
    return "";
}

namespace {

// Why the settings file could not be read, for a message.
std::string UnreadableReason(const SettingsStore& store, SettingsRead read, int error) {
    FileStatus st;
    switch (read) {
        case SettingsRead::Missing:
            if (store.HasFile() && store.fs->GetLinkStatus(store.path, st) && st.isLink)
                return Text(TextId::ReasonDanglingLink);
            return Text(TextId::ReasonMissing);
        case SettingsRead::NotAFile:
            if (store.HasFile() && store.fs->GetStatus(store.path, st) && st.isDirectory)
                return Text(TextId::ReasonDirectory);
            return Text(TextId::ReasonNotAFile);
        case SettingsRead::Unreadable: return error ? std::strerror(error) : Text(TextId::ReasonUnreadable);
        case SettingsRead::Read: break;
    }
    return {};
}

}  // namespace

std::string SettingsFileText(const SettingsStore& store) {
    const std::string text = EscapeField(store.path);
    if (store.path.find('/') == std::string::npos) return FormatText(TextId::SettingsFilePlaced, {text});
    return text;
}

int LoadPairsReadOnly(const SettingsStore& store, DirPairTable& pairs, std::FILE* err) {
    std::memset(&pairs, 0, sizeof pairs);
    ColumnWidths widths;
    WindowSize size;
    errno = 0;
    const SettingsRead read = LoadSettings(store, pairs, widths, size);
    const int error = errno;
    if (read != SettingsRead::Read) {
        std::fprintf(
            err, "%s\n",
            FormatText(TextId::SettingsUnreadable, {SettingsFileText(store), UnreadableReason(store, read, error)})
                .c_str());
        return kExitNoSettings;
    }
    if (pairs.count == 0) {
        std::fprintf(err, "%s\n", FormatText(TextId::SettingsNoPairs, {SettingsFileText(store)}).c_str());
        return kExitNoPairs;
    }
    return 0;
}
