#include "cli/failure_text.h"

#include "core/records.h"

std::string FormatListingFailure(const char* failedDir, const char* otherDir) {
    std::string text = "ﾃﾞｨﾚｸﾄﾘ \"";
    text += failedDir;
    text += "\" の参照に失敗しました。\n\"";
    text += otherDir;
    text += "\" との比較は行いません。";
    return text;
}

std::string FormatCopyFailure(const char* name) {
    std::string message = name;
    message += "のコピーに失敗しました。\n";
    return message;
}

std::string FormatOmittedNotice(int omitted) {
    return "差分が多すぎるため、最初の " + std::to_string(MAX_DIFFS) + " 件だけを表示しています（残り " +
           std::to_string(omitted) + " 件）。コピーしてから比較し直すと、残りが表示されます。";
}
