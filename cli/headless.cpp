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
#include "texts/texts.h"
#include "zoruna_version.h"

namespace {

void PrintUsage(const SettingsStore& store, std::FILE* out) {
    std::fputs(Text(TextId::Usage), out);
    std::fprintf(out, "%s\n", FormatText(TextId::UsageSettingsFile, {SettingsFileText(store)}).c_str());
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

int PrintReport(const DirPairTable& pairs, FileSystem& fs, std::FILE* out, std::FILE* err) {
    const auto diffs = std::make_unique<DiffTable>();
    ListingFailurePrinter failures(err);
    const CompareSummary summary = CompareAll(pairs, *diffs, fs, failures);
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

int Run(std::string_view option, const SettingsStore& store, FileSystem& fs, std::FILE* out, std::FILE* err) {
    if (option == "--pairs" || option == "--report" || option == "--sync") {
        DirPairTable pairs;
        if (const int status = LoadPairsReadOnly(store, pairs, err)) return status;
        if (option == "--pairs") return PrintPairs(pairs, out);
        if (option == "--report") return PrintReport(pairs, fs, out, err);
        return RunSync(pairs, fs, out, err);
    }
    if (option == "--help") {
        PrintUsage(store, out);
        return 0;
    }
    if (option == "--version") {
        std::fprintf(out, "%s\n", FormatText(TextId::VersionLine, {ZORUNA_VERSION}).c_str());
        return 0;
    }
    std::fprintf(err, "%s\n", FormatText(TextId::UnknownOption, {EscapeField(option)}).c_str());
    return 2;
}

}  // namespace

bool IsHeadlessOption(const char* arg) { return arg && std::strncmp(arg, "--", 2) == 0; }

int RunHeadless(int argc, char** argv, const SettingsStore& store, FileSystem& fs, std::FILE* out, std::FILE* err) {
    if (argc < 2 || !argv[1]) {
        std::fprintf(err, "%s\n", Text(TextId::NoOption));
        return 2;
    }
    if (argc > 2) {
        std::fprintf(err, "%s\n", FormatText(TextId::ExtraArguments, {EscapeField(argv[1])}).c_str());
        return 2;
    }
    int status = Run(argv[1], store, fs, out, err);
    // Output that could not be written must not pass for a successful run.
    if (std::fflush(out) != 0 || std::ferror(out)) {
        std::fprintf(err, "%s\n", Text(TextId::OutputFailed));
        status = 2;
    }
    return status;
}
