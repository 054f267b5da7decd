#include "cli/headless_sync.h"

#include <array>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <tuple>

#include "cli/failure_text.h"
#include "cli/headless_common.h"
#include "cli/stop_signals.h"
#include "core/compare.h"
#include "core/copy.h"
#include "core/filesystem.h"
#include "texts/texts.h"

namespace {

// Prints one line per copied file on out and the failure message per file
// that was left alone on err; listing failures go to the run's printer.
class PrintingObserver final : public RunObserver {
public:
    PrintingObserver(std::FILE* out, std::FILE* err, ListingFailurePrinter& listing)
        : m_out(out), m_err(err), m_listing(listing) {}

    void OnListingFailure(const ListingFailure& failure) override { m_listing.OnListingFailure(failure); }
    void OnCopied(int, const DiffEntry& entry) override {
        std::fprintf(m_out, "%d\t%s\t%s\n", entry.pairIndex + 1, KindName(entry),
                     EscapeField(FieldText(entry.name)).c_str());
    }
    void OnFailure(int, const DiffEntry& entry, FileCopyResult reason, int error) override {
        // The message with the name printed as a field, so that it stays one
        // line, and the reason on the next.
        std::fputs(FormatCopyFailure(EscapeField(FieldText(entry.name)).c_str()).c_str(), m_err);
        std::fprintf(m_err, "%s\n", FormatCopyFailureReason(reason, error).c_str());
    }
    bool StopRequested() override { return StopSignals::received() != 0; }

private:
    std::FILE* m_out;
    std::FILE* m_err;
    ListingFailurePrinter& m_listing;
};

// The entries a run has tried to copy, by pair and name. A later round
// leaves them out, so that a file that keeps failing is tried once and the
// table fills with entries not yet tried.
class AttemptedEntries {
public:
    void Add(const DiffTable& diffs) {
        for (int i = 0; i < diffs.count; ++i) {
            const DiffEntry& e = diffs.entries[i];
            if (e.pairIndex < MAX_DIR_PAIRS) m_names[e.pairIndex].emplace(FieldText(e.name));
        }
    }
    bool Contains(int pair, std::string_view name) const {
        return pair >= 0 && pair < MAX_DIR_PAIRS && m_names[static_cast<std::size_t>(pair)].contains(name);
    }

private:
    std::array<std::set<std::string, std::less<>>, MAX_DIR_PAIRS> m_names;
};

// Compares and copies every entry of the table, again and again while the
// table was too small for all differences, so that memory stays that of one
// table. Ends when nothing was left out, nothing new is left to try, or a
// stop was asked for.
CopyRunSummary CopyInRounds(const DirPairTable& pairs, DiffTable& diffs, FileSystem& fs, RunObserver& observer) {
    AttemptedEntries attempted;
    CompareOptions options;
    options.skip = [&](int pair, std::string_view name) { return attempted.Contains(pair, name); };
    CopyRunSummary total;
    for (;;) {
        const CompareSummary round = CompareAll(pairs, diffs, fs, observer, options);
        if (round.stopped) {
            total.stopped = true;
            break;
        }
        // What copies that died left behind goes with this one.
        RemoveCopyLeftovers(pairs, round.leftovers, fs);
        if (diffs.count == 0 || observer.StopRequested()) break;
        attempted.Add(diffs);
        const CopyRunSummary copy =
            CopySelectedFiles(pairs, diffs, diffs.count, [](int) { return true; }, fs, observer);

        total.selected += copy.selected;
        total.copied += copy.copied;
        total.failed += copy.failed;
        total.stopped = copy.stopped || observer.StopRequested();
        if (total.stopped || round.TotalOmitted() == 0) break;
    }
    return total;
}

// "zoruna: <n> files copied, <m> failed", the last line of a run on stderr.
std::string SyncSummaryLine(int copied, int failed) {
    return FormatText(copied == 1 ? TextId::SyncSummaryOneFile : TextId::SyncSummaryFiles, {copied, failed});
}

}  // namespace

int RunSync(const DirPairTable& pairs, FileSystem& fs, std::FILE* out, std::FILE* err) {
    const auto diffs = std::make_unique<DiffTable>();
    ListingFailurePrinter failures(err);

    const StopSignals stopSignals(err);
    PrintingObserver observer(out, err, failures);
    const CopyRunSummary copied = CopyInRounds(pairs, *diffs, fs, observer);
    if (const int sig = StopSignals::received(); sig != 0) {
        // Stopped: the user wants the run to end, and on a slow mount one
        // more comparison would take as long as the one just stopped.
        std::fprintf(err, "%s\n", SyncSummaryLine(copied.copied, copied.failed).c_str());
        return 128 + sig;
    }
    // The comparison as it now stands (the printer never stops it; a signal
    // now still ends the run with its status).
    const CompareSummary last = CompareAll(pairs, *diffs, fs, failures);

    // Only what still does not fit after every round was left out.
    if (last.TotalOmitted() > 0) std::fprintf(err, "%s\n", FormatOmittedNotice(last.TotalOmitted()).c_str());
    std::fprintf(err, "%s\n", SyncSummaryLine(copied.copied, copied.failed).c_str());
    if (const int sig = StopSignals::received(); sig != 0) return 128 + sig;
    if (failures.any()) return 2;
    return copied.failed == 0 && diffs->count == 0 ? 0 : 1;
}
