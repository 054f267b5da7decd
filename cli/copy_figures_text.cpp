#include "cli/copy_figures_text.h"

#include <algorithm>
#include <cmath>

#include "texts/texts.h"

namespace {

constexpr TextId kUnits[] = {TextId::SizeInKB, TextId::SizeInMB, TextId::SizeInGB, TextId::SizeInTB, TextId::SizeInPB};

}  // namespace

std::string FormatSize(std::uint64_t bytes) {
    if (bytes < 1000) return FormatText(TextId::SizeInBytes, {bytes});
    // The smallest unit in which the size is below 1000 (PB at most).
    std::size_t unit = 0;
    std::uint64_t unitBytes = 1024;
    while (unit + 1 < std::size(kUnits) && bytes / unitBytes >= 1000) {
        unitBytes *= 1024;
        ++unit;
    }
    const std::uint64_t whole = bytes / unitBytes;
    // Hundredths, rounded down; the remainder is below 2^50, so this fits.
    const std::uint64_t hundredths = (bytes % unitBytes) * 100 / unitBytes;
    std::string number = std::to_string(whole);
    if (whole < 10) {
        const std::string digits = std::to_string(100 + hundredths);
        number += "." + digits.substr(1);
    } else if (whole < 100) {
        number += "." + std::to_string(hundredths / 10);
    }
    return FormatText(kUnits[unit], {number});
}

std::string FormatSpeed(std::optional<double> bytesPerSecond) {
    if (!bytesPerSecond) return {};
    const double speed = std::max(0.0, *bytesPerSecond);
    // Far beyond any disk; keeps the conversion defined.
    constexpr double kLargest = 1e18;
    return FormatText(TextId::SpeedLine, {FormatSize(static_cast<std::uint64_t>(std::min(speed, kLargest)))});
}

std::string FormatTimeLeft(std::optional<std::chrono::seconds> left) {
    if (!left) return Text(TextId::TimeLeftUnknown);
    const std::int64_t s = std::max<std::int64_t>(0, left->count());
    if (s < 60) return FormatText(TextId::TimeLeftSeconds, {s});
    if (s < 3600) return FormatText(TextId::TimeLeftMinutes, {s / 60, s % 60});
    return FormatText(TextId::TimeLeftHours, {s / 3600, s % 3600 / 60});
}

std::string FormatCopyFigures(int number, int files, std::uint64_t done, std::uint64_t total) {
    return FormatText(TextId::CopyFiguresLine,
                      {FormatText(TextId::CopyCountLine, {number, files}),
                       FormatText(TextId::CopyBytesLine, {FormatSize(done), FormatSize(total)})});
}

std::string FormatCopyRate(std::optional<double> bytesPerSecond, std::optional<std::chrono::seconds> left) {
    if (!bytesPerSecond) return FormatTimeLeft(std::nullopt);
    return FormatText(TextId::CopyRateLine, {FormatSpeed(bytesPerSecond), FormatTimeLeft(left)});
}

std::vector<std::string> CopyPreviewLines(const CopyPreview& preview) {
    std::vector<std::string> lines = {
        FormatText(TextId::ConfirmToBLine,
                   {preview.toB.files, preview.toB.files - preview.toB.replacing, preview.toB.replacing}),
        FormatText(TextId::ConfirmToALine,
                   {preview.toA.files, preview.toA.files - preview.toA.replacing, preview.toA.replacing}),
    };
    if (preview.refused > 0) lines.push_back(FormatText(TextId::ConfirmRefusedLine, {preview.refused}));
    lines.push_back(FormatText(TextId::ConfirmSizeLine, {FormatSize(preview.bytes)}));
    return lines;
}

std::vector<std::string> CopySummaryLines(const CopyRunSummary& summary) {
    std::vector<std::string> lines = {FormatText(TextId::SummaryCountsLine, {summary.copied, summary.failed})};
    const int leftAlone = summary.selected - summary.copied - summary.failed;
    if (summary.stopped) lines.push_back(FormatText(TextId::SummaryStoppedLine, {std::max(leftAlone, 0)}));
    return lines;
}

std::string FormatSummaryFailure(const char* name, const std::string& reason, const char* toDir) {
    return FormatText(TextId::SummaryFailureLine, {name, reason, toDir});
}
