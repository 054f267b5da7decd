// The window's texts about a comparison or copy that runs on a worker
// thread: the comparison's progress window, a stopped comparison, and work
// that ended with an error.
#pragma once

#include <cstdint>
#include <string>

#include "texts/texts.h"

// The count line of the comparison's progress window.
inline std::string FormatListingCount(std::uint64_t folders, std::uint64_t files) {
    return FormatText(TextId::ListingCountLine, {folders, files});
}

// The title of the main window after a stopped comparison, built on the
// title it would have after a complete one.
inline std::string StoppedTitle(const std::string& title) { return FormatText(TextId::StoppedTitle, {title}); }

// A comparison or a copy that ended with an error; the error's text follows
// on the next line.
inline std::string CompareErrorText(const std::string& error) { return FormatText(TextId::CompareError, {error}); }
inline std::string CopyErrorText(const std::string& error) { return FormatText(TextId::CopyError, {error}); }
