// The one-line, comma-separated text form of a pair's exclusion masks.
#pragma once

#include <string>
#include <string_view>

#include "core/records.h"

// The masks of the leading non-empty slots, joined by single commas.
std::string JoinMaskList(const char (&masks)[MAX_MASKS][MASK_LEN]);

// Writes all ten slots from text: items split at commas and trimmed of
// surrounding white space; an empty item ends the list; at most ten items.
// An item longer than MASK_LEN - 1 bytes is cut at a character boundary.
// Returns the number of items that had to be cut (0 when all fit).
int ParseMaskList(std::string_view text, char (&masks)[MAX_MASKS][MASK_LEN]);
