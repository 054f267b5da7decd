// Pairs the file names of directory A with those of directory B.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "core/mbtext.h"

inline constexpr std::uint32_t kNoPartner = UINT32_MAX;

// For each name of a, the index of its partner in b, or kNoPartner. A name
// first takes the name of b with exactly the same bytes. Only a name left
// without one may take a name of b that differs in case alone, and only when
// its upper-cased form belongs to exactly one remaining name on each side and
// both are valid text in the code page: on a case-sensitive file system
// README and readme are two files, and guessing which one is meant would copy
// one over the other. Every name of b is the partner of at most one name of a.
std::vector<std::uint32_t> MatchNames(std::span<const std::string_view> a, std::span<const std::string_view> b,
                                      CodePage cp = SystemCodePage());
