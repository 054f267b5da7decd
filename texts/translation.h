// The window's texts in another language: a translation replaces the words
// of the Japanese table, id by id, for every later Text and FormatText. The
// Japanese table is the source language, so a text without a translation
// keeps its Japanese words.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "texts/text_id.h"

// The translation of one Japanese text, asked by the id's name (TextIdName)
// and its Japanese words; nothing where there is none.
using TranslationLookup = std::function<std::optional<std::string>(std::string_view name, const char* japanese)>;

// Asks lookup for every text of the Japanese table and uses each answer that
// has the same placeholders as the Japanese (one that lost or changed a value
// would show the wrong value or none). Replaces an earlier translation and
// returns how many texts it translates. Not to be called while other threads
// look up texts: the program calls it once, before it starts any.
int UseTranslation(const TranslationLookup& lookup);

// Whether the words of id come from the translation in use: a layout drawn
// for the Japanese words keeps its sizes for them and makes room only for
// translated ones.
bool IsTranslated(TextId id);

// Back to the Japanese table's own words.
void UseJapaneseTexts();

// Whether translation has the placeholders of original: the same %N$s and
// %N$d (each may appear any number of times), and no other %.
bool SamePlaceholders(std::string_view original, std::string_view translation);
