// The words for the failures that the comparison and the copy report as data.
// The window shows them in message boxes; the command line prints them.
#pragma once

#include <string>

enum class FileCopyResult;

// TextId::ListingFailure: the folder that could not be read, and that its
// counterpart is not compared.
std::string FormatListingFailure(const char* failedDir, const char* otherDir);

// TextId::CopyFailure: the file's name and a line break.
std::string FormatCopyFailure(const char* name);

// Why a file was not copied, in the user's words, from what the copy reported
// (RunObserver::OnFailure): one line without a line break. An error without
// words of its own gets the system's text for it in brackets.
std::string FormatCopyFailureReason(FileCopyResult reason, int error);

// One line (no line break) saying that only the first MAX_DIFFS differences
// are listed and how many were left out; copying and comparing again brings
// the rest.
std::string FormatOmittedNotice(int omitted);
