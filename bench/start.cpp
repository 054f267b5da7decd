// Start-up of the zoruna executable for a -- option, which needs no window:
// `zoruna --version` and `zoruna --help` as whole processes, next to a bare
// program of ours (listing_floor with nothing to list) for the cost of any
// process start on this machine. The CPU time shows what a busy machine
// adds to the wall time by waiting.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "support/bench_support.h"

namespace {

constexpr int kRuns = 200;
constexpr double kTargetMs = 10;

bool Measure(const char* title, const std::vector<std::string>& argv, const std::string& cwd) {
    std::vector<double> wall, cpu;
    long maxRssKb = 0;
    for (int i = 0; i < kRuns; ++i) {
        const ChildRun r = RunChild(argv, cwd);
        if (r.exitStatus != 0) {
            std::fprintf(stderr, "%s: exit status %d\n", title, r.exitStatus);
            return false;
        }
        wall.push_back(r.wallMs);
        cpu.push_back(r.cpuMs);
        maxRssKb = std::max(maxRssKb, r.maxRssKb);
    }
    std::printf("    %-18s median %6.2f ms wall, %5.2f ms cpu of %d runs   peak memory %.1f MB\n", title,
                Median(wall), Median(cpu), kRuns, maxRssKb / 1024.0);
    return true;
}

}  // namespace

int main() {
    BenchTempDir dir;
    std::printf("start-up of a -- option (target under %.0f ms)\n", kTargetMs);
    const std::string zoruna = SiblingProgram("zoruna");
    bool ok = Measure("bare process", {SiblingProgram("listing_floor")}, dir.path());
    ok = Measure("zoruna --version", {zoruna, "--version"}, dir.path()) && ok;
    ok = Measure("zoruna --help", {zoruna, "--help"}, dir.path()) && ok;
    return ok ? 0 : 1;
}
