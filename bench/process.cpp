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

constexpr time_t kOld = 1600000000;
constexpr time_t kNew = 1700000000;

// Files per folder of a generated tree, and folders per top-level folder.
constexpr int kFilesPerFolder = 20;
constexpr int kFoldersPerTop = 200;

// The folder (relative, "" for the top) of slot i: flat, or in a tree of
// kFilesPerFolder files per folder, kFoldersPerTop folders in each top-level
// folder (100,000 files: 25 top-level folders holding 5,000).
std::string FolderOf(int i, bool tree) {
    if (!tree) return "";
    const int folder = i / kFilesPerFolder;
    return "top" + std::to_string(folder / kFoldersPerTop) + "/sub" + std::to_string(folder % kFoldersPerTop) + "/";
}

// n files per side. In every hundred slots: one holds a file only in A and
// another only in B, one a file newer in A, the rest equal files; so 3% of
// the names are reported.
int Generate(const std::string& a, const std::string& b, int n, bool tree) {
    std::filesystem::create_directories(a);
    std::filesystem::create_directories(b);
    char name[64];
    int differences = 0;
    for (int i = 0; i < n; ++i) {
        const std::string folder = FolderOf(i, tree);
        if (!folder.empty() && i % kFilesPerFolder == 0) {
            std::filesystem::create_directories(a + "/" + folder);
            std::filesystem::create_directories(b + "/" + folder);
        }
        std::snprintf(name, sizeof name, "document_%07d.dat", i);
        const std::string inA = a + "/" + folder + name, inB = b + "/" + folder + name;
        switch (i % 100) {
            case 0:
                CreateFile(a + "/" + folder + "only_" + name, kOld);
                CreateFile(b + "/" + folder + "only_" + name + ".b", kOld);
                differences += 2;
                break;
            case 1:
                CreateFile(inA, kNew);
                CreateFile(inB, kOld);
                ++differences;
                break;
            default:
                CreateFile(inA, kOld);
                CreateFile(inB, kOld);
        }
    }
    return differences;
}

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
    const int differences = Generate(a, b, n, tree);
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
                    n / kFilesPerFolder + n / kFilesPerFolder / kFoldersPerTop, differences, rounds);
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
