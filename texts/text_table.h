// One language's table: each entry an id and its words (UTF-8). Formats hold
// positional placeholders, %1$s for a text and %1$d for a number, and %% for
// a percent sign, so that a translation may put the values in another order.
#pragma once

#include "texts/text_id.h"

struct TextEntry {
    TextId id;
    const char* text;
};
