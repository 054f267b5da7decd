// Whole processes: `zoruna --report` against the single-thread floor of its
// work (bench program listing_floor: opendir/readdir/fstatat of both
// directories), side by side on the same directories in the same run, at
// 2 x 1,000, 2 x 10,000 and 2 x 100,000 files with 3% of them differing,
// and two trees of 100,000 files in 5,000 folders (a pair with the subfolder
// option against the floor walking both trees); plus zoruna's peak memory.
//
// The directories and zoruna.INI are generated under $TMPDIR (or /tmp) and
// removed at the end.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/bench_support.h"

namespace {

int CountLines(const std::string& path) {
    std::ifstream in(path);
    return static_cast<int>(std::count(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>(), '\n'));
}

struct Side {
    std::vector<double> wall, cpu;
    long maxRssKb = 0;
    void Add(const ChildRun& r) {
        wall.push_back(r.wallMs);
        cpu.push_back(r.cpuMs);
        maxRssKb = std::max(maxRssKb, r.maxRssKb);
    }
};

bool Compare(const std::string& root, int n, int rounds, bool tree = false) {
    const std::string dir = root + "/" + std::to_string(n) + (tree ? "-tree" : "");
    const std::string a = dir + "/a", b = dir + "/b";
    const int differences = GenerateDifferingSides(a, b, n, tree);
    WritePairSettings(dir + "/zoruna.INI", a, b, tree);

    std::vector<std::string> floor = {SiblingProgram("listing_floor"), a, b};
    if (tree) floor.insert(floor.begin() + 1, "-r");
    const std::vector<std::string> zoruna = {SiblingProgram("zoruna"), "--report"};
    const std::string out = dir + "/report.txt";

    // Once each to warm the caches, and to check that zoruna reports them all.
    RunChild(floor, dir);
    const ChildRun first = RunChild(zoruna, dir, out);
    if (first.exitStatus != 1 || CountLines(out) != differences) {
        std::fprintf(stderr, "zoruna --report: exit %d, %d lines, expected 1 and %d\n", first.exitStatus,
                     CountLines(out), differences);
        return false;
    }

    Side f, z;
    for (int r = 0; r < rounds; ++r) {
        f.Add(RunChild(floor, dir));
        z.Add(RunChild(zoruna, dir, out));
    }
    if (tree)
        std::printf("2 trees of %d files in %d folders, %d differences, median of %d runs (wall / cpu)\n", n,
                    GeneratedFolders(n, tree), differences, rounds);
    else
        std::printf("2 x %d files, %d differences, median of %d runs (wall / cpu)\n", n, differences, rounds);
    std::printf("    floor (1 thread)   %8.1f ms / %8.1f ms\n", Median(f.wall), Median(f.cpu));
    std::printf("    zoruna --report    %8.1f ms / %8.1f ms   peak memory %.1f MB\n", Median(z.wall),
                Median(z.cpu), z.maxRssKb / 1024.0);
    std::printf("    ratio zoruna / floor: %.2f (cpu %.2f)\n", Median(z.wall) / Median(f.wall),
                Median(z.cpu) / Median(f.cpu));
    std::fflush(stdout);
    std::filesystem::remove_all(dir);
    return true;
}

}  // namespace

int main() {
    BenchTempDir root;
    bool ok = true;
    ok = Compare(root.path(), 1000, 31) && ok;
    ok = Compare(root.path(), 10000, 15) && ok;
    ok = Compare(root.path(), 100000, 7) && ok;
    ok = Compare(root.path(), 100000, 7, true) && ok;
    return ok ? 0 : 1;
}
