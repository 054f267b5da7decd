// `zoruna --sync` on two trees of 100,000 files in 5,025 folders of which
// 3,000 differ (1,000 only in A, 1,000 only in B, 1,000 newer in A; 16 KiB
// each), against FreeFileSync's batch run of the same two-way newer-wins
// copy on the same data, comparison included for both (zoruna compares once
// more afterwards, for its exit status). Zoruna flushes what it copies to
// the disk, FreeFileSync does not. Between runs the trees are
// put back as generated and everything is written out, so that no run pays
// for the writes of the one before.
//
// FreeFileSync is a peer to measure against, not a dependency: where its
// program is not installed, or there is no display for it (run-benchmarks.sh
// runs this program under xvfb-run), its rows are skipped with the reason.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/bench_support.h"

namespace {

constexpr int kFiles = 100000;
constexpr std::size_t kChangedBytes = 16 * 1024;
constexpr int kRounds = 5;
constexpr const char* kFreeFileSync = "/usr/bin/FreeFileSync";

// The batch file of a two-way newer-wins copy without a dialog; its log
// goes to logDir.
void WriteBatch(const std::string& path, const std::string& left, const std::string& right, const std::string& logDir) {
    std::FILE* f = std::fopen(path.c_str(), "w");
    if (!f) {
        std::perror(path.c_str());
        std::exit(1);
    }
    std::fprintf(f, R"(<?xml version="1.0" encoding="utf-8"?>
<FreeFileSync XmlType="BATCH" XmlFormat="17">
    <Compare><Variant>TimeAndSize</Variant><Symlinks>Exclude</Symlinks><IgnoreTimeShift/></Compare>
    <Synchronize>
        <Variant>Custom</Variant>
        <CustomDirections><LeftOnly>right</LeftOnly><RightOnly>left</RightOnly><LeftNewer>right</LeftNewer>
            <RightNewer>left</RightNewer><Different>none</Different><Conflict>none</Conflict></CustomDirections>
        <DetectMovedFiles>false</DetectMovedFiles>
        <DeletionPolicy>Permanent</DeletionPolicy>
        <VersioningFolder Style="Replace"/>
    </Synchronize>
    <Filter><Include><Item>*</Item></Include><Exclude></Exclude><TimeSpan Type="None">0</TimeSpan>
        <SizeMin Unit="None">0</SizeMin><SizeMax Unit="None">0</SizeMax></Filter>
    <FolderPairs><Pair><Left>%s</Left><Right>%s</Right></Pair></FolderPairs>
    <Errors Ignore="true" Retry="0" Delay="5"/>
    <PostSyncCommand Condition="Completion"/>
    <LogFolder>%s</LogFolder>
    <EmailNotification Condition="Always"/>
    <Batch><ProgressDialog Minimized="true" AutoClose="true"/><ErrorDialog>Cancel</ErrorDialog>
        <PostSyncAction>None</PostSyncAction></Batch>
</FreeFileSync>
)",
                 left.c_str(), right.c_str(), logDir.c_str());
    std::fclose(f);
}

// Why FreeFileSync cannot be measured here; empty when it can.
std::string PeerMissing() {
    if (access(kFreeFileSync, X_OK) != 0) return std::string(kFreeFileSync) + " is not installed";
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) return "no display (run this program under xvfb-run)";
    return {};
}

}  // namespace

int main() {
    BenchTempDir root;
    const std::string dir = root.path(), a = dir + "/a", b = dir + "/b";
    const int differences = GenerateDifferingSides(a, b, kFiles, true, kChangedBytes);
    WritePairSettings(dir + "/zoruna.INI", a, b, true);
    const std::string batch = dir + "/job.ffs_batch", empty = dir + "/empty.ffs_batch";
    WriteBatch(batch, a, b, dir + "/logs");
    std::filesystem::create_directories(dir + "/e1");
    std::filesystem::create_directories(dir + "/e2");
    WriteBatch(empty, dir + "/e1", dir + "/e2", dir + "/logs");

    const std::vector<std::string> zorunaSync = {SiblingProgram("zoruna"), "--sync"};
    const std::vector<std::string> report = {SiblingProgram("zoruna"), "--report"};
    const std::vector<std::string> peer = {kFreeFileSync, batch};
    const std::vector<std::string> peerIdle = {kFreeFileSync, empty};
    const std::string missing = PeerMissing();

    // Whether a run left both trees in step, as zoruna sees them.
    const auto inStep = [&](const char* who) {
        const ChildRun check = RunChild(report, dir);
        if (check.exitStatus == 0) return true;
        std::fprintf(stderr, "after %s: zoruna --report exits %d, expected 0\n", who, check.exitStatus);
        return false;
    };
    // Puts the trees back, writes everything out and reads the trees once,
    // so that each run starts from the same warm, clean state.
    const auto reset = [&] {
        RestoreDifferingSides(a, b, kFiles, true, kChangedBytes);
        ::sync();
        RunChild(report, dir);
    };

    std::vector<double> z, zCpu, compare, f, fIdle;
    for (int r = 0; r < kRounds; ++r) {
        reset();
        const ChildRun run = RunChild(zorunaSync, dir);
        if (run.exitStatus != 0 || (r == 0 && !inStep("zoruna --sync"))) return 1;
        z.push_back(run.wallMs);
        zCpu.push_back(run.cpuMs);
        compare.push_back(RunChild(report, dir).wallMs);
        if (!missing.empty()) continue;
        reset();
        const ChildRun p = RunChild(peer, dir);
        if (p.exitStatus != 0 || (r == 0 && !inStep("FreeFileSync"))) return 1;
        f.push_back(p.wallMs);
        fIdle.push_back(RunChild(peerIdle, dir).wallMs);
    }
    std::printf("tree --sync, 2 trees of %d files in %d folders, %d differing files of %zu KiB, median of %d runs\n",
                kFiles, GeneratedFolders(kFiles, true), differences, kChangedBytes / 1024, kRounds);
    std::printf("    zoruna --sync (flushed)   %8.1f ms (cpu %.1f ms; it compares twice, one comparison %.1f ms)\n",
                Median(z), Median(zCpu), Median(compare));
    if (!missing.empty()) {
        std::printf("    FreeFileSync: skipped, %s\n", missing.c_str());
        return 0;
    }
    std::printf("    FreeFileSync batch        %8.1f ms (of which %.1f ms on two empty folders)\n", Median(f),
                Median(fIdle));
    std::printf("    ratio zoruna / FreeFileSync: %.2f (target <= 0.80)\n", Median(z) / Median(f));
    return 0;
}
