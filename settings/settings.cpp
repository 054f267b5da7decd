#include "settings/settings.h"

#include <cstring>
#include <string_view>

#include "core/mask_list.h"
#include "core/mbtext.h"
#include "settings/ini_store.h"
#include "settings/ini_text.h"

namespace {

constexpr const char* kSizeSection = "SIZE";
// A saved mask list is cut to this many bytes.
constexpr std::size_t kMaskValueBytes = 255;

std::string PairSection(int slot) { return "DIR" + std::to_string(slot); }

std::string_view StringValue(std::string_view text, std::string_view section, std::string_view key) {
    return FindIniValue(text, section, key).value_or(std::string_view());
}

int IntValue(std::string_view text, std::string_view key, int def) {
    const auto value = FindIniValue(text, kSizeSection, key);
    return value ? IniValueToInt(*value) : def;
}

// The pair's mask list as saved: at most 255 bytes, and only whole masks, so
// that a cut never leaves a shorter ending that would exclude other files.
std::string SavedMaskList(const DirPair& pair) {
    std::string text = JoinMaskList(pair.masks);
    if (text.size() <= kMaskValueBytes) return text;
    std::size_t keep = CutLength(text, kMaskValueBytes);
    if (text[keep] != ',') {
        const std::size_t comma = text.rfind(',', keep - 1);
        if (comma != std::string::npos) keep = comma;
    }
    text.resize(keep);
    return text;
}

// The 33 writes of a save, in their order, applied to the file's text.
// False when a value cannot be written (it holds a line break).
bool ApplySave(std::string& text, const ColumnWidths& widths, const DirPairTable& pairs) {
    auto write = [&text](std::string_view section, std::string_view key, std::string_view value) {
        if (!IsSingleLine(value)) return false;
        text = ApplyIniWrite(text, section, key, value);
        return true;
    };
    if (!write(kSizeSection, "FNAME", std::to_string(widths.fileName)) ||
        !write(kSizeSection, "TIMEA", std::to_string(widths.timeA)) ||
        !write(kSizeSection, "TIMEB", std::to_string(widths.timeB)))
        return false;
    for (int i = 0; i < MAX_DIR_PAIRS; ++i) {
        const DirPair& pair = pairs.pairs[i];
        const std::string section = PairSection(i);
        if (!write(section, "DIRA", FieldText(pair.dirA)) ||
            !write(section, "DIRB", FieldText(pair.dirB)) ||
            !write(section, "MASK", SavedMaskList(pair)))
            return false;
    }
    return true;
}

}  // namespace

std::string SettingsFileNameFor(const char* argv0) {
    std::string_view path = argv0 ? argv0 : "";
    const std::size_t sep = path.find_last_of("/\\");
    std::string_view base = sep == std::string_view::npos ? path : path.substr(sep + 1);
    const std::size_t dot = base.rfind('.');
    if (dot != std::string_view::npos && dot > 0) base = base.substr(0, dot);
    if (base.empty()) base = "zoruna";
    return std::string(base) + ".INI";
}

void LoadSettings(DirPairTable& pairs, ColumnWidths& widths) {
    std::memset(&pairs, 0, sizeof pairs);
    // One snapshot of the file serves all 33 reads.
    std::string text;
    ReadSettingsText(text);

    widths.fileName = IntValue(text, "FNAME", 147);
    widths.timeA = IntValue(text, "TIMEA", 110);
    widths.timeB = IntValue(text, "TIMEB", 110);

    for (int i = 0; i < MAX_DIR_PAIRS; ++i) {
        const std::string section = PairSection(i);
        const std::string_view dirA = StringValue(text, section, "DIRA");
        const std::string_view dirB = StringValue(text, section, "DIRB");
        const std::string_view masks = StringValue(text, section, "MASK");
        // A shortened path would name another directory, so a pair whose path
        // does not fit its field is left out like an incomplete one.
        const bool complete = !dirA.empty() && !dirB.empty() && FitsField(dirA, MAX_PATH) &&
                              FitsField(dirB, MAX_PATH);
        if (!complete) {
            // Slot i is still free here (count <= i); its masks are kept as read.
            ParseMaskList(masks, pairs.pairs[i].masks);
            continue;
        }
        // Pairs move down over incomplete sections, so that slots 0..count-1
        // are exactly the registered pairs, each with its own masks.
        DirPair& pair = pairs.pairs[pairs.count++];
        CopyText(pair.dirA, MAX_PATH, dirA);
        CopyText(pair.dirB, MAX_PATH, dirB);
        ParseMaskList(masks, pair.masks);
    }
}

SaveResult SaveSettings(const ColumnWidths& widths, const DirPairTable& pairs) {
    std::string text;
    switch (ReadSettingsText(text)) {
        case SettingsRead::Missing: return SaveResult::NoSettingsFile;
        case SettingsRead::Unreadable: return SaveResult::Failed;
        case SettingsRead::Read: break;
    }
    // All 33 writes go to the text in memory and the file is replaced once, so
    // a failure can never leave a half-saved file (a pair with a new directory
    // A and an old directory B, say).
    if (!ApplySave(text, widths, pairs)) return SaveResult::Failed;
    return ReplaceSettingsText(text) ? SaveResult::Saved : SaveResult::Failed;
}
