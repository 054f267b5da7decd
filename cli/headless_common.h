// Output helpers shared by the headless commands.
#pragma once

#include <cstdio>
#include <set>
#include <string>
#include <string_view>
#include <tuple>

#include "core/compare.h"
#include "core/records.h"
#include "settings/ini_store.h"

// One printed field: a control byte (below 0x20, or 0x7F) becomes \xHH with
// upper-case hex digits and a backslash becomes \\, so a line is one entry.
std::string EscapeField(std::string_view bytes);

// A listing failure of CompareAll as printed: the message with the directory
// texts escaped like fields, the line break between its two lines kept.
std::string PrintedListingFailure(const ListingFailure& failure);

// The settings file as the messages name it: escaped like a field, and
// placed in the current folder when its name has no folder.
std::string SettingsFileText(const SettingsStore& store);

// Prints each listing failure on err once per run, as PrintedListingFailure
// words it: every comparison of a run meets the same unreadable directory
// again. Never stops a comparison.
class ListingFailurePrinter final : public RunObserver {
public:
    explicit ListingFailurePrinter(std::FILE* err) : m_err(err) {}

    void OnListingFailure(const ListingFailure& failure) override;
    bool any() const { return m_any; }

private:
    std::FILE* m_err;
    std::set<std::tuple<int, PairSide, std::string>> m_printed;
    bool m_any = false;
};

// "ONLY_A", "ONLY_B", "A_NEWER", "B_NEWER" or "UNDECIDED" (the same time
// but another size: which side is newer cannot be told), by the results
// list's rule.
const char* KindName(const DiffEntry& e);

// Exit statuses of a headless command that cannot start: the settings file
// is missing, not a regular file or unreadable; it registers no complete pair.
inline constexpr int kExitNoSettings = 2;
inline constexpr int kExitNoPairs = 3;

// The pair table from the store's settings file (read only). 0 when at least
// one complete pair is registered; otherwise kExitNoSettings or kExitNoPairs
// after a line on err that names the file and the reason, so that a
// scheduled job never passes a broken setup for "all in step".
int LoadPairsReadOnly(const SettingsStore& store, DirPairTable& pairs, std::FILE* err);
