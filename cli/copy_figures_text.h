// The figures of a copy in words: the confirmation's lines before it, the
// progress window's counts, sizes, speed and time left while it runs.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/copy.h"
#include "core/copy_preview.h"

// A size as a user reads it: bytes below 1000, else three significant digits
// in steps of 1024 ("1.50 KB", "12.3 MB", "123 GB"), rounded down so that a
// part never shows as much as the whole.
std::string FormatSize(std::uint64_t bytes);
// "12.3 MB/秒"; no speed (not yet known): empty.
std::string FormatSpeed(std::optional<double> bytesPerSecond);
// "残り 約 12 秒", "... 3 分 5 秒", "... 2 時間 10 分"; none: still estimating.
std::string FormatTimeLeft(std::optional<std::chrono::seconds> left);

// The progress window's two lines of figures: "3 / 10 ファイル   1.20 MB / 5.00 MB"
// (number is the file in progress, 1 for the first) and the speed with the
// time left.
std::string FormatCopyFigures(int number, int files, std::uint64_t done, std::uint64_t total);
std::string FormatCopyRate(std::optional<double> bytesPerSecond, std::optional<std::chrono::seconds> left);

// The confirmation's lines below its question: the files going each way
// (both lines always, so that files going back into A are never missed),
// the files that are not copied (when there are any) and the total size.
std::vector<std::string> CopyPreviewLines(const CopyPreview& preview);

// The summary's lines of counts after a run: files copied and failed and,
// after a stop, the selected files that were left alone.
std::vector<std::string> CopySummaryLines(const CopyRunSummary& summary);
// One failure of the summary's list: the file, why, and where it was to go.
std::string FormatSummaryFailure(const char* name, const std::string& reason, const char* toDir);
