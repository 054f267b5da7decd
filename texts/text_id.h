// The identifiers of every text the program shows or prints. A text is
// looked up by its id (Text, FormatText in texts/texts.h); its words live in
// the table of the language it is shown in: the window's in
// texts/japanese.h, the command line's in texts/english.h.
#pragma once

enum class TextId : unsigned short {
    None,  // no text: a control without a caption

    // Shared by the window and the command line.
    ProductName,
    VersionLine,     // %1$s: the version number
    ListingFailure,  // %1$s: the folder that could not be read, %2$s: its counterpart
    CopyFailure,     // %1$s: the file's name
    OmittedNotice,   // %1$d: rows shown at most, %2$d: differences left out

    // Window titles.
    MainTitleWithCount,  // %1$s: the product name, %2$d: rows in the list
    AboutTitle,
    PairListTitle,
    PairInputTitle,
    ConfirmCopyTitle,
    MaskTitle,
    CopyProgressTitle,
    CompareProgressTitle,
    CopySummaryTitle,

    // Buttons, labels and columns of the dialogs.
    OkButton,
    CancelButton,
    QuitButton,
    SecretButton,
    CompareButton,
    PairsButton,
    CloseButton,
    RegisterButton,
    DeleteButton,
    BrowseButton,
    MaskButton,
    StopButton,
    SubdirsCheck,
    DirALabel,
    DirBLabel,
    MaskLabel,
    ConfirmCopyQuestion,
    CopyingMessage,
    ComparingMessage,
    QuietFailuresCheck,
    FailureListLabel,
    FileNameColumn,
    TimeAColumn,
    TimeBColumn,

    // The results list's context menu.
    SelectAllItem,
    CopySelectedItem,
    AboutItem,

    // Lines built around names.
    PairLine,           // %1$s: number, %2$s: directory A, %3$s: directory B (padded columns)
    RowPathsOneLine,    // %1$s: pair number, %2$s: path in A, %3$s: path in B
    RowPathsTwoLines,   // as RowPathsOneLine, B on a line of its own
    CopyFileLine,       // %1$s: the file's name
    CopyFromLine,       // %1$s: the source folder
    CopyToLine,         // %1$s: the destination folder
    CopyFailureTarget,  // %1$s: the folder the file was to go to
    ListingCountLine,   // %1$d: folders listed, %2$d: files seen
    StoppedTitle,       // %1$s: the title of a complete comparison
    StoppedStatus,
    NothingDiffersStatus,  // %1$s: date and time the comparison ended
    NoPairsStatus,
    BrowseAName,  // the accessible name of the Browse button of directory A
    BrowseBName,  // the same for directory B

    // What a copy will do, does and did (confirmation, progress, summary).
    ConfirmToBLine,      // %1$d: files from A to B, %2$d: of them new in B, %3$d: replacing a file in B
    ConfirmToALine,      // %1$d: files from B to A, %2$d: of them new in A, %3$d: replacing a file in A
    ConfirmRefusedLine,  // %1$d: selected files that are not copied
    ConfirmSizeLine,     // %1$s: the total size (SizeIn...)
    SizeInBytes,         // %1$s: a number of bytes below 1000
    SizeInKB,            // %1$s: the size in units of 1024 bytes, "1.50"
    SizeInMB,            // %1$s: the same in units of 1024 KB
    SizeInGB,
    SizeInTB,
    SizeInPB,
    SpeedLine,           // %1$s: a size (SizeIn...) per second
    TimeLeftSeconds,     // %1$d: seconds
    TimeLeftMinutes,     // %1$d: minutes, %2$d: seconds
    TimeLeftHours,       // %1$d: hours, %2$d: minutes
    TimeLeftUnknown,
    CopyCountLine,       // %1$d: the number of the file in progress, %2$d: files selected
    CopyBytesLine,       // %1$s: size copied, %2$s: total size
    CopyFiguresLine,     // %1$s: CopyCountLine, %2$s: CopyBytesLine
    CopyRateLine,        // %1$s: SpeedLine, %2$s: TimeLeft...
    SummaryCountsLine,   // %1$d: files copied, %2$d: files failed
    SummaryStoppedLine,  // %1$d: selected files left alone after the stop
    SummaryNoFailures,
    SummaryFailureLine,  // %1$s: the file's name, %2$s: the reason, %3$s: the folder it was to go to

    // Why a file was not copied (one line, shown under CopyFailure).
    CopyReasonWithDetail,          // %1$s: one of the reasons below, %2$s: the system's words for the error
    CopyReasonSourceGone,
    CopyReasonSourceNoAccess,
    CopyReasonSourceNotAFile,
    CopyReasonSourceUnreadable,
    CopyReasonSourceChanged,
    CopyReasonDestinationChanged,
    CopyReasonDestinationFolderGone,
    CopyReasonDestinationReadOnly,
    CopyReasonNoPermission,
    CopyReasonReadOnlyFileSystem,
    CopyReasonDestinationLink,
    CopyReasonDestinationFolder,
    CopyReasonDestinationOtherKind,
    CopyReasonLockedFolder,
    CopyReasonDiskFull,
    CopyReasonQuota,
    CopyReasonTooLarge,
    CopyReasonReadFailed,
    CopyReasonWriteFailed,
    CopyReasonTimeNotKept,
    CopyReasonDirectionUnknown,
    CopyReasonPairGone,
    CopyReasonAttributesNotKept,
    CopyReasonStopped,

    // Message boxes of the window.
    SecretMessage,
    SaveFailed,              // %1$s: the settings file
    CreateSettingsQuestion,  // %1$s: the settings file's name, %2$s: its folder
    BrowseTitle,
    DirMissing,
    DirSame,
    DirLineBreak,
    DirTooLong,       // %1$d: bytes allowed
    MaskTooLong,      // %1$d: bytes allowed for one mask
    MaskListTooLong,  // %1$d: bytes allowed for all masks
    MaskLineBreak,
    CompareStopped,
    CompareError,  // %1$s: what the work failed with
    CopyError,     // %1$s: what the work failed with

    // The command line (English).
    Usage,
    UsageSettingsFile,   // %1$s: the settings file as SettingsFilePlaced names it
    SettingsFilePlaced,  // %1$s: a settings file name without a folder
    SettingsUnreadable,  // %1$s: the settings file, %2$s: the reason
    ReasonDanglingLink,
    ReasonMissing,
    ReasonDirectory,
    ReasonNotAFile,
    ReasonUnreadable,
    SettingsNoPairs,  // %1$s: the settings file
    UnknownOption,    // %1$s: the option
    NoOption,
    ExtraArguments,  // %1$s: the option
    OutputFailed,
    SyncSummaryOneFile,   // %1$d: files copied (1), %2$d: files failed
    SyncSummaryFiles,     // %1$d: files copied, %2$d: files failed
    GuiModuleNotFound,    // %1$s: the module's path
    GuiModuleUnloadable,  // %1$s: the module's path, %2$s: the loader's reason
    GuiModuleNoEntry,     // %1$s: the loader's reason

    Count  // not a text: the number of ids
};
