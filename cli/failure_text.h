// The words for the failures that the comparison and the copy report as data.
// The window shows them in message boxes; the command line prints them.
#pragma once

#include <string>

// "ﾃﾞｨﾚｸﾄﾘ "<failed>" の参照に失敗しました。\n"<other>" との比較は行いません。"
std::string FormatListingFailure(const char* failedDir, const char* otherDir);

// "<name>のコピーに失敗しました。\n"
std::string FormatCopyFailure(const char* name);

// One line (no line break) saying that only the first MAX_DIFFS differences
// are listed and how many were left out; copying and comparing again brings
// the rest.
std::string FormatOmittedNotice(int omitted);
