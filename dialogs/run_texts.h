// The window's texts about a comparison or copy that runs on a worker
// thread: the comparison's progress window, a stopped comparison, and work
// that ended with an error.
#pragma once

#include <cstdint>
#include <string>

inline constexpr const char* kCompareProgressTitle = "Zoruna[比較中]";
inline constexpr const char* kComparingMessage = "ただいま比較中です。少々お待ちください。";

// The count line of the comparison's progress window.
inline std::string FormatListingCount(std::uint64_t folders, std::uint64_t files) {
    return "ﾌｫﾙﾀﾞ: " + std::to_string(folders) + "   ﾌｧｲﾙ: " + std::to_string(files);
}

// After the title's row count ("Zoruna - 12 件 (比較中止)") or the product name.
inline constexpr const char* kCompareStoppedTitleSuffix = " (比較中止)";
// The status line under the list of a stopped comparison.
inline constexpr const char* kCompareStoppedStatus = "比較を中止しました。一覧は中止までに見つかった違いだけです。";
inline constexpr const char* kCompareStoppedMessage =
    "比較を中止しました。\n一覧には中止までに見つかった違いだけを表示しています。";

// A comparison or a copy that ended with an error; the error's text follows
// on the next line.
inline std::string CompareErrorText(const std::string& error) {
    return "比較できませんでした。一覧は空になっています。\n" + error;
}
inline std::string CopyErrorText(const std::string& error) { return "コピーを最後まで行えませんでした。\n" + error; }
