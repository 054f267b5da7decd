#include "cli/failure_text.h"

#include "core/records.h"
#include "texts/texts.h"

std::string FormatListingFailure(const char* failedDir, const char* otherDir) {
    return FormatText(TextId::ListingFailure, {failedDir, otherDir});
}

std::string FormatCopyFailure(const char* name) { return FormatText(TextId::CopyFailure, {name}); }

std::string FormatOmittedNotice(int omitted) { return FormatText(TextId::OmittedNotice, {MAX_DIFFS, omitted}); }
