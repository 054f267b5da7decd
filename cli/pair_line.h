// The pair list's lines, apart from the window so that the core tests see
// them whole.
#pragma once

#include <string>

#include "core/records.h"

// The line of the pair at index: its number and both directories in their
// columns (PairLineColumnsOf), put together by TextId::PairLine.
std::string FormatPairLine(int index, const DirPair& pair);
