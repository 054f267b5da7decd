#include "settings/settings.h"

#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#include "core/mask_list.h"
#include "core/mbtext.h"
#include "settings/ini_store.h"
#include "settings/ini_text.h"

namespace {

constexpr const char* kSizeSection = "SIZE";
// Written only for a pair that compares whole trees, so that the files of
// pairs without it stay as they always were; only this value reads as on.
constexpr const char* kSubdirsKey = "SUBDIRS";
constexpr std::string_view kSubdirsOn = "1";

std::string PairSection(int slot) { return "DIR" + std::to_string(slot); }

int IntValue(const IniIndex& ini, std::string_view key, int def) {
    const auto value = ini.Find(kSizeSection, key);
    return value ? IniValueToInt(*value) : def;
}

// The pair's mask list as saved: at most 255 bytes, and only whole masks, so
// that a cut never leaves a shorter ending that would exclude other files.
std::string SavedMaskList(const DirPair& pair) {
    std::string text = JoinMaskList(pair.masks);
    if (text.size() <= MAX_MASK_LIST_BYTES) return text;
    std::size_t keep = CutLength(text, MAX_MASK_LIST_BYTES);
    if (text[keep] != ',') {
        const std::size_t comma = text.rfind(',', keep - 1);
        if (comma != std::string::npos) keep = comma;
    }
    text.resize(keep);
    return text;
}

// Every key of a save, by section, in the order a missing key is inserted.
// False when a value cannot be written so that it reads back the same.
bool BuildSave(std::vector<IniSectionWrite>& writes, const ColumnWidths& widths, const WindowSize& size,
               const DirPairTable& pairs) {
    IniSectionWrite sizes{kSizeSection,
                          {{"FNAME", std::to_string(widths.fileName)},
                           {"TIMEA", std::to_string(widths.timeA)},
                           {"TIMEB", std::to_string(widths.timeB)}}};
    if (size.width > 0 && size.height > 0) {
        sizes.keys.push_back({"WIDTH", std::to_string(size.width)});
        sizes.keys.push_back({"HEIGHT", std::to_string(size.height)});
    }
    writes.push_back(std::move(sizes));
    for (int i = 0; i < MAX_DIR_PAIRS; ++i) {
        const DirPair& pair = pairs.pairs[i];
        IniSectionWrite section{PairSection(i),
                                {{"DIRA", std::string(FieldText(pair.dirA))},
                                 {"DIRB", std::string(FieldText(pair.dirB))},
                                 {"MASK", SavedMaskList(pair)}}};
        if (pair.subdirs)
            section.keys.push_back({kSubdirsKey, std::string(kSubdirsOn)});
        else
            section.removedKeys.push_back(kSubdirsKey);
        writes.push_back(std::move(section));
    }
    for (const IniSectionWrite& w : writes)
        for (const IniKeyWrite& k : w.keys)
            if (!IsWritableIni(w.section, k.key, k.value)) return false;
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

SettingsRead LoadSettings(const SettingsStore& store, DirPairTable& pairs, ColumnWidths& widths,
                          WindowSize& size) {
    std::memset(&pairs, 0, sizeof pairs);
    // The file is read and split once for all reads.
    std::string text;
    const SettingsRead read = ReadSettingsText(store, text);
    const IniIndex ini(text);

    const ColumnWidths defaults;
    widths.fileName = IntValue(ini, "FNAME", defaults.fileName);
    widths.timeA = IntValue(ini, "TIMEA", defaults.timeA);
    widths.timeB = IntValue(ini, "TIMEB", defaults.timeB);
    // Older files have no size: the window then keeps its layout's size.
    size = {IntValue(ini, "WIDTH", 0), IntValue(ini, "HEIGHT", 0)};
    if (size.width <= 0 || size.height <= 0) size = {};

    for (int i = 0; i < MAX_DIR_PAIRS; ++i) {
        const std::string section = PairSection(i);
        const std::string_view dirA = ini.Find(section, "DIRA").value_or(std::string_view());
        const std::string_view dirB = ini.Find(section, "DIRB").value_or(std::string_view());
        const std::string_view masks = ini.Find(section, "MASK").value_or(std::string_view());
        const bool subdirs = ini.Find(section, kSubdirsKey) == kSubdirsOn;
        // A shortened path would name another directory, so a pair whose path
        // does not fit its field is left out like an incomplete one.
        const bool complete = !dirA.empty() && !dirB.empty() && FitsField(dirA, MAX_PATH) &&
                              FitsField(dirB, MAX_PATH);
        if (!complete) {
            // Slot i is still free here (count <= i); its masks and flag are
            // kept as read, as a pair registered there starts from them.
            ParseMaskList(masks, pairs.pairs[i].masks);
            pairs.pairs[i].subdirs = subdirs;
            continue;
        }
        // Pairs move down over incomplete sections, so that slots 0..count-1
        // are exactly the registered pairs, each with its own masks.
        DirPair& pair = pairs.pairs[pairs.count++];
        CopyText(pair.dirA, MAX_PATH, dirA);
        CopyText(pair.dirB, MAX_PATH, dirB);
        ParseMaskList(masks, pair.masks);
        pair.subdirs = subdirs;
    }
    return read;
}

SaveResult SaveSettings(const SettingsStore& store, const ColumnWidths& widths, const WindowSize& size,
                        const DirPairTable& pairs) {
    std::string text;
    switch (ReadSettingsText(store, text)) {
        case SettingsRead::Missing: return SaveResult::NoSettingsFile;
        case SettingsRead::NotAFile:
        case SettingsRead::Unreadable: return SaveResult::Failed;
        case SettingsRead::Read: break;
    }
    // All keys go into the text in memory and the file is replaced once, so
    // a failure can never leave a half-saved file (a pair with a new directory
    // A and an old directory B, say).
    std::vector<IniSectionWrite> writes;
    if (!BuildSave(writes, widths, size, pairs)) return SaveResult::Failed;
    return ReplaceSettingsText(store, ApplyIniWrites(text, writes, true)) ? SaveResult::Saved : SaveResult::Failed;
}
