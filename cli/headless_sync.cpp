#include "cli/headless_sync.h"

#include <signal.h>

#include <csignal>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "cli/failure_text.h"
#include "cli/headless_common.h"
#include "core/compare.h"
#include "core/copy.h"
#include "core/filesystem.h"

namespace {

volatile std::sig_atomic_t g_stopSignal = 0;

extern "C" void RecordStopSignal(int sig) { g_stopSignal = sig; }

// While it lives, SIGINT and SIGTERM ask the copy to stop instead of killing
// the process in the middle of a file; a second signal of the same kind
// ends the process as usual.
class StopSignals {
public:
    StopSignals() {
        g_stopSignal = 0;
        struct sigaction sa {};
        sa.sa_handler = RecordStopSignal;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = SA_RESTART | SA_RESETHAND;
        sigaction(SIGINT, &sa, &m_oldInt);
        sigaction(SIGTERM, &sa, &m_oldTerm);
    }
    ~StopSignals() {
        sigaction(SIGINT, &m_oldInt, nullptr);
        sigaction(SIGTERM, &m_oldTerm, nullptr);
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    static int received() { return g_stopSignal; }

private:
    struct sigaction m_oldInt {};
    struct sigaction m_oldTerm {};
};

// Prints one line per copied file on out and the failure message per file
// that was left alone on err.
class PrintingObserver final : public CopyObserver {
public:
    PrintingObserver(std::FILE* out, std::FILE* err) : m_out(out), m_err(err) {}

    void OnCopied(int, const DiffEntry& entry) override {
        std::fprintf(m_out, "%d\t%s\t%s\n", entry.pairIndex + 1, KindName(entry),
                     EscapeField(FieldText(entry.name)).c_str());
    }
    void OnFailure(int, const DiffEntry& entry, FileCopyResult, int) override {
        // The message with the name printed as a field, so that it stays one line.
        std::fputs(FormatCopyFailure(EscapeField(FieldText(entry.name)).c_str()).c_str(), m_err);
    }
    bool StopRequested() override { return StopSignals::received() != 0; }

private:
    std::FILE* m_out;
    std::FILE* m_err;
};

}  // namespace

int RunSync(const DirPairTable& pairs, std::FILE* out, std::FILE* err) {
    const auto diffs = std::make_unique<DiffTable>();
    FileSystem& fs = RealFileSystem();

    bool listingFailed = false;
    const ListingFailureHandler onListingFailure = [&](const ListingFailure& failure) {
        listingFailed = true;
        std::fprintf(err, "%s\n", PrintedListingFailure(failure).c_str());
    };

    const StopSignals stopSignals;
    const CompareSummary first = CompareAll(pairs, *diffs, fs, onListingFailure);
    PrintingObserver observer(out, err);
    const CopyRunSummary summary =
        CopySelectedFiles(pairs, *diffs, diffs->count, [](int) { return true; }, fs, observer);
    RemoveCopyLeftovers(pairs, first.leftovers, fs);
    // Also after a stop: the comparison as it now stands.
    CompareAll(pairs, *diffs, fs, onListingFailure);

    // What did not fit in the first comparison was not copied either.
    if (first.TotalOmitted() > 0) std::fprintf(err, "%s\n", FormatOmittedNotice(first.TotalOmitted()).c_str());
    if (const int sig = StopSignals::received(); sig != 0) return 128 + sig;
    if (listingFailed) return 2;
    return summary.failed == 0 && diffs->count == 0 ? 0 : 1;
}
