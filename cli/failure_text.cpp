#include "cli/failure_text.h"

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
