#include "cli/headless.h"

#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "cli/failure_text.h"
#include "cli/headless_common.h"
#include "cli/headless_sync.h"
#include "core/compare.h"
#include "core/date_text.h"
#include "core/filesystem.h"
#include "core/mask_list.h"
#include "zoruna_version.h"

namespace {


void PrintUsage(const SettingsStore& store, std::FILE* out) {
    const std::string& settings = store.path;
    const bool inCurrentFolder = settings.find('/') == std::string::npos;
    std::fputs(
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
        "a second signal ends it at once.\n",
        out);
    std::fprintf(out, "Settings are read (never written) from %s%s.\n", EscapeField(settings).c_str(),
                 inCurrentFolder ? " in the current folder" : "");
}

int PrintPairs(const DirPairTable& pairs, std::FILE* out) {
    for (int i = 0; i < pairs.count && i < MAX_DIR_PAIRS; ++i) {
        const DirPair& p = pairs.pairs[i];
        std::fprintf(out, "%d\t%s\t%s\t%s\t%s\n", i + 1, EscapeField(FieldText(p.dirA)).c_str(),
                     EscapeField(FieldText(p.dirB)).c_str(), EscapeField(JoinMaskList(p.masks)).c_str(),
                     p.subdirs ? "subdirs" : "");
    }
    return 0;
}

int PrintReport(const DirPairTable& pairs, std::FILE* out, std::FILE* err) {
    const auto diffs = std::make_unique<DiffTable>();
    ListingFailurePrinter failures(err);
    const CompareSummary summary = CompareAll(pairs, *diffs, RealFileSystem(), failures);
    for (int i = 0; i < diffs->count; ++i) {
        const DiffEntry& e = diffs->entries[i];
        const DiffKind kind = KindOf(e);
        const std::string dateA = kind == DiffKind::OnlyInB ? "" : FormatDateText(e.timeA);
        const std::string dateB = kind == DiffKind::OnlyInA ? "" : FormatDateText(e.timeB);
        std::fprintf(out, "%d\t%s\t%s\t%s\t%s\n", e.pairIndex + 1, KindName(e),
                     EscapeField(FieldText(e.name)).c_str(), dateA.c_str(), dateB.c_str());
    }
    if (summary.TotalOmitted() > 0) std::fprintf(err, "%s\n", FormatOmittedNotice(summary.TotalOmitted()).c_str());
    if (failures.any()) return 2;
    return diffs->count > 0 ? 1 : 0;
}

int Run(std::string_view option, const SettingsStore& store, std::FILE* out, std::FILE* err) {
    if (option == "--pairs" || option == "--report" || option == "--sync") {
        DirPairTable pairs;
        if (const int status = LoadPairsReadOnly(store, pairs, err)) return status;
        if (option == "--pairs") return PrintPairs(pairs, out);
        if (option == "--report") return PrintReport(pairs, out, err);
        return RunSync(pairs, out, err);
    }
    if (option == "--help") {
        PrintUsage(store, out);
        return 0;
    }
    if (option == "--version") {
        std::fprintf(out, "%s\n", ZORUNA_VERSION_TEXT);
        return 0;
    }
    std::fprintf(err, "zoruna: unknown option %s (zoruna --help lists the options)\n",
                 EscapeField(option).c_str());
    return 2;
}

}  // namespace

bool IsHeadlessOption(const char* arg) { return arg && std::strncmp(arg, "--", 2) == 0; }

int RunHeadless(int argc, char** argv, const SettingsStore& store, std::FILE* out, std::FILE* err) {
    if (argc < 2 || !argv[1]) {
        std::fputs("zoruna: no option given (zoruna --help lists the options)\n", err);
        return 2;
    }
    if (argc > 2) {
        std::fprintf(err, "zoruna: %s takes no further arguments\n", EscapeField(argv[1]).c_str());
        return 2;
    }
    int status = Run(argv[1], store, out, err);
    // Output that could not be written must not pass for a successful run.
    if (std::fflush(out) != 0 || std::ferror(out)) {
        std::fputs("zoruna: the output could not be written\n", err);
        status = 2;
    }
    return status;
}
