// Output helpers shared by the headless commands.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "core/compare.h"
#include "core/records.h"

// One printed field: a control byte (below 0x20, or 0x7F) becomes \xHH with
// upper-case hex digits and a backslash becomes \\, so a line is one entry.
std::string EscapeField(std::string_view bytes);

// A listing failure of CompareAll as printed: the message with the directory
// texts escaped like fields, the line break between its two lines kept.
std::string PrintedListingFailure(const ListingFailure& failure);

// "ONLY_A", "ONLY_B", "A_NEWER" or "B_NEWER", by the results list's rule.
const char* KindName(const DiffEntry& e);

// The pair table from the settings file of the current folder (read only).
void LoadPairsReadOnly(DirPairTable& pairs);
