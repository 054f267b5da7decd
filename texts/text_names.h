// The name of each TextId as written in texts/text_id.h ("ProductName"). A
// catalog keys its entries by these names (msgctxt), so that two ids with the
// same Japanese words can be translated apart.
#pragma once

#include <string_view>

#include "texts/text_id.h"

// The id's name; empty for an id beyond TextId::Count.
std::string_view TextIdName(TextId id);
