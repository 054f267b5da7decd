#include "cli/failure_text.h"

#include <cerrno>
#include <cstring>

#include "core/copy_file.h"
#include "core/error_codes.h"
#include "core/records.h"
#include "texts/texts.h"

namespace {

// Errors that say the same to the user whichever step of the copy met them.
struct ErrorWords {
    int error;
    TextId text;
};
constexpr ErrorWords kErrorsOfAnyStep[] = {
    {ENOSPC, TextId::CopyReasonDiskFull},
    {kErrorQuotaExceeded, TextId::CopyReasonQuota},
    {EFBIG, TextId::CopyReasonTooLarge},
    {EROFS, TextId::CopyReasonReadOnlyFileSystem},
};

// The reason's words for an error of its own step, and whether the system's
// text for the error is worth adding.
struct Words {
    TextId text;
    bool withError;
};

Words SourceUnavailableWords(int error) {
    switch (error) {
        case 0: return {TextId::CopyReasonPairGone, false};
        case ENOENT: return {TextId::CopyReasonSourceGone, false};
        case EACCES:
        case EPERM: return {TextId::CopyReasonSourceNoAccess, false};
        case EISDIR:
        case EINVAL:
        case ELOOP:
        case ENOTDIR: return {TextId::CopyReasonSourceNotAFile, false};
        default: return {TextId::CopyReasonSourceUnreadable, true};
    }
}

Words DestinationProtectedWords(int error) {
    switch (error) {
        case 0: return {TextId::CopyReasonDestinationReadOnly, false};
        case ELOOP:
        case ENOTDIR: return {TextId::CopyReasonDestinationLink, false};
        case EISDIR: return {TextId::CopyReasonDestinationFolder, false};
        case EEXIST: return {TextId::CopyReasonDestinationOtherKind, false};
        // Only the append-only or immutable folder check reports EPERM.
        case EPERM: return {TextId::CopyReasonLockedFolder, false};
        case EACCES: return {TextId::CopyReasonNoPermission, false};
        default: return {TextId::CopyReasonNoPermission, true};
    }
}

Words WriteFailedWords(int error) {
    switch (error) {
        case EACCES:
        case EPERM: return {TextId::CopyReasonNoPermission, false};
        case ENOENT: return {TextId::CopyReasonDestinationFolderGone, false};
        default: return {TextId::CopyReasonWriteFailed, error != 0};
    }
}

Words ReasonWords(FileCopyResult reason, int error) {
    switch (reason) {
        case FileCopyResult::SourceUnavailable: return SourceUnavailableWords(error);
        case FileCopyResult::SourceChanged: return {TextId::CopyReasonSourceChanged, false};
        case FileCopyResult::DestinationChanged: return {TextId::CopyReasonDestinationChanged, false};
        case FileCopyResult::DestinationProtected: return DestinationProtectedWords(error);
        case FileCopyResult::ReadFailed: return {TextId::CopyReasonReadFailed, error != 0};
        case FileCopyResult::WriteFailed: return WriteFailedWords(error);
        case FileCopyResult::Stopped: return {TextId::CopyReasonStopped, false};
        case FileCopyResult::TimeNotKept: return {TextId::CopyReasonTimeNotKept, error != 0};
        case FileCopyResult::DirectionUnknown: return {TextId::CopyReasonDirectionUnknown, false};
        case FileCopyResult::AttributesNotKept: return {TextId::CopyReasonAttributesNotKept, error != 0};
        case FileCopyResult::Copied: break;
    }
    return {TextId::None, false};
}

}  // namespace

std::string FormatListingFailure(const char* failedDir, const char* otherDir) {
    return FormatText(TextId::ListingFailure, {failedDir, otherDir});
}

std::string FormatCopyFailure(const char* name) { return FormatText(TextId::CopyFailure, {name}); }

std::string FormatCopyFailureReason(FileCopyResult reason, int error) {
    if (reason != FileCopyResult::Copied && reason != FileCopyResult::Stopped)
        for (const ErrorWords& e : kErrorsOfAnyStep)
            if (e.error == error) return Text(e.text);
    const Words words = ReasonWords(reason, error);
    if (!words.withError) return Text(words.text);
    return FormatText(TextId::CopyReasonWithDetail, {Text(words.text), std::strerror(error)});
}

std::string FormatOmittedNotice(int omitted) { return FormatText(TextId::OmittedNotice, {MAX_DIFFS, omitted}); }
