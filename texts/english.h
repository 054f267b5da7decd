// The texts of the command line (the -- options and the starter's own
// messages), in English, as scripts and users of the options read them.
#pragma once

#include "texts/text_table.h"

inline constexpr TextEntry kEnglishTexts[] = {
    {TextId::VersionLine, "Zoruna Version %1$s"},
    {TextId::Usage,
     "Usage: zoruna [option]\n"
     "  (none)     open the window\n"
     "  -d         open the window, compare at once, and close when nothing differs\n"
     "  --pairs    print the registered pairs: number, directory A, directory B, masks,\n"
     "             subdirs (whole trees are compared) or empty\n"
     "  --report   compare every pair and print each difference: pair, kind, name, date A, date B\n"
     "  --sync     copy every differing file from its newer side to the other, all in one run, then\n"
     "             compare again; prints each file copied and last, on stderr, how many were copied\n"
     "             and how many failed\n"
     "  --help     print this help\n"
     "  --version  print the version\n"
     "Fields are separated by tabs; control bytes are printed as \\xHH and a backslash as \\\\.\n"
     "--report exits with 0 when nothing differs, 1 when something does, 2 when a directory cannot be listed.\n"
     "--pairs, --report and --sync exit with 2 when the settings file is missing, not a regular file or\n"
     "unreadable, and with 3 when it registers no complete pair; stderr names the file and the reason.\n"
     "--sync exits with 0 when everything is in step afterwards, 1 when something failed or still differs.\n"
     "--sync stopped by SIGINT or SIGTERM abandons the file in progress and exits with 130 or 143;\n"
     "a second signal ends it at once.\n"},
    {TextId::UsageSettingsFile, "Settings are read (never written) from %1$s."},
    {TextId::SettingsFilePlaced, "%1$s in the current folder"},
    {TextId::SettingsUnreadable, "zoruna: cannot read the settings file %1$s: %2$s"},
    {TextId::ReasonDanglingLink, "it is a link to nothing"},
    {TextId::ReasonMissing, "it does not exist"},
    {TextId::ReasonDirectory, "it is a directory"},
    {TextId::ReasonNotAFile, "it is not a regular file"},
    {TextId::ReasonUnreadable, "it cannot be read"},
    {TextId::SettingsNoPairs, "zoruna: the settings file %1$s registers no complete pair (DIRA and DIRB)"},
    {TextId::UnknownOption, "zoruna: unknown option %1$s (zoruna --help lists the options)"},
    {TextId::NoOption, "zoruna: no option given (zoruna --help lists the options)"},
    {TextId::ExtraArguments, "zoruna: %1$s takes no further arguments"},
    {TextId::OutputFailed, "zoruna: the output could not be written"},
    {TextId::SyncSummaryOneFile, "zoruna: %1$d file copied, %2$d failed"},
    {TextId::SyncSummaryFiles, "zoruna: %1$d files copied, %2$d failed"},
    {TextId::GuiModuleNotFound, "zoruna: the window part %1$s cannot be loaded (not found)"},
    {TextId::GuiModuleUnloadable, "zoruna: the window part %1$s cannot be loaded: %2$s"},
    {TextId::GuiModuleNoEntry, "zoruna: the window part has no entry: %1$s"},
};
