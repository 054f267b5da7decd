// Cold caches: `zoruna --report` against the single-thread floor of its work
// (bench program listing_floor) with the page cache, dentries and inodes
// dropped before every run, on 2 x 100,000 files in one folder each and on
// two trees of 100,000 files in 5,025 folders. Here the listing waits on the
// disk, which threads can overlap and one thread cannot.
//
// Dropping the caches needs root (it writes /proc/sys/vm/drop_caches);
// without it the program says why and measures nothing. After each drop both
// programs are run once without directories, so that what is timed is the
// reading of the trees, not of the programs and their libraries.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "support/bench_support.h"

namespace {

constexpr int kFiles = 100000;
constexpr int kRounds = 5;

// Writes what is dirty and drops the clean caches; false when not allowed.
bool DropCaches() {
    sync();
    const int fd = open("/proc/sys/vm/drop_caches", O_WRONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = write(fd, "3\n", 2) == 2;
    close(fd);
    return ok;
}

struct Program {
    std::vector<std::string> timed;   // the run that is measured
    std::vector<std::string> warmUp;  // loads the program without touching the trees
};

ChildRun ColdRun(const Program& p, const std::string& dir) {
    DropCaches();
    RunChild(p.warmUp, dir);
    return RunChild(p.timed, dir);
}

bool Measure(const std::string& root, bool tree, double target) {
    const std::string dir = root + (tree ? "/tree" : "/flat");
    const std::string a = dir + "/a", b = dir + "/b";
    GenerateDifferingSides(a, b, kFiles, tree);
    WritePairSettings(dir + "/zoruna.INI", a, b, tree);
    Program floor{{SiblingProgram("listing_floor"), a, b}, {SiblingProgram("listing_floor")}};
    if (tree) floor.timed.insert(floor.timed.begin() + 1, "-r");
    const Program zoruna{{SiblingProgram("zoruna"), "--report"}, {SiblingProgram("zoruna"), "--version"}};

    std::vector<double> f, z, zCpu;
    for (int r = 0; r < kRounds; ++r) {
        f.push_back(ColdRun(floor, dir).wallMs);
        const ChildRun run = ColdRun(zoruna, dir);
        if (run.exitStatus != 1) {
            std::fprintf(stderr, "zoruna --report: exit %d, expected 1\n", run.exitStatus);
            return false;
        }
        z.push_back(run.wallMs);
        zCpu.push_back(run.cpuMs);
    }
    if (tree)
        std::printf("cold caches, 2 trees of %d files in %d folders, median of %d runs\n", kFiles,
                    GeneratedFolders(kFiles, tree), kRounds);
    else
        std::printf("cold caches, 2 x %d files in one folder each, median of %d runs\n", kFiles, kRounds);
    std::printf("    floor (1 thread)   %8.1f ms\n", Median(f));
    std::printf("    zoruna --report    %8.1f ms (cpu %.1f ms)\n", Median(z), Median(zCpu));
    std::printf("    ratio zoruna / floor: %.2f (target <= %.2f)\n", Median(z) / Median(f), target);
    std::fflush(stdout);
    std::filesystem::remove_all(dir);
    return true;
}

}  // namespace

int main() {
    if (!DropCaches()) {
        std::printf("cold caches: skipped, /proc/sys/vm/drop_caches cannot be written (%s; it needs root)\n",
                    std::strerror(errno));
        return 0;
    }
    BenchTempDir root;
    bool ok = Measure(root.path(), true, 0.5);
    ok = Measure(root.path(), false, 0.8) && ok;
    return ok ? 0 : 1;
}
