// Speed of the comparison over real directories.
//
// 1. 100,000 files on each side: CompareAll against the floor of its work,
//    listing both directories on one thread and querying the status of every
//    file with readdir + fstatat, measured on the same directories in the same
//    run; and CompareAll on one thread against CompareAll on its default pool.
// 2. 10,000 files on each side: CompareAll against a matching that compares
//    every name of A with the remaining names of B one by one, upper-casing
//    both names at every comparison.
//
// The directories are generated under $TMPDIR (or /tmp) and removed at the end.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/compare.h"
#include "core/mbtext.h"

namespace {

constexpr FileTime kBaseTime = 1600000000;
constexpr const char* kMask = ".BAK";

// What was generated, so that differences can be brought back into step.
struct Dataset {
    std::string dirA;
    std::string dirB;
    std::vector<std::pair<std::string, std::string>> newer;  // spelled as in A and as in B
    std::vector<std::string> onlyA;
    std::vector<std::string> onlyB;
    int differences = 0;
};

void CreateFile(const std::string& path, FileTime mtime) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        std::perror(path.c_str());
        std::exit(1);
    }
    const struct timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(mtime), 0}};
    futimens(fd, times);
    close(fd);
}

void SetTime(const std::string& path, FileTime mtime) {
    const struct timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(mtime), 0}};
    utimensat(AT_FDCWD, path.c_str(), times, 0);
}

std::string RandomCase(std::string s, std::mt19937& rng) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z' && (rng() & 1)) c = static_cast<char>(c - 'a' + 'A');
    return s;
}

// n names per side: onlyPercent of them only on one side (half in A, half in
// B), newerPercent of the shared ones newer on one side (alternately A and B),
// one in a hundred ending in the mask, and a third of the shared ones spelled
// in another case in B.
Dataset Generate(const std::string& root, int n, int newerPercent, int onlyPercent) {
    Dataset d;
    d.dirA = root + "/a";
    d.dirB = root + "/b";
    std::filesystem::create_directories(d.dirA);
    std::filesystem::create_directories(d.dirB);
    std::mt19937 rng(12345);
    const char* stems[] = {"report", "invoice", "photo", "backup", "notes", "draft"};
    const char* exts[] = {".txt", ".doc", ".jpg", ".csv", ".dat"};
    const int onlyEach = n * onlyPercent / 200;
    const int shared = n - 2 * onlyEach;
    const int newerEvery = newerPercent > 0 ? 100 / newerPercent : 0;
    for (int i = 0; i < shared + 2 * onlyEach; ++i) {
        const bool isMasked = i % 100 == 37;
        std::string base = std::string(stems[i % 6]) + "_" + std::to_string(i) + (isMasked ? ".bak" : exts[i % 5]);
        const std::string nameA = RandomCase(base, rng);
        const FileTime t = kBaseTime + i;
        if (i < shared) {
            const std::string nameB = (i % 3 == 0) ? RandomCase(base, rng) : nameA;
            FileTime tA = t;
            FileTime tB = t;
            if (!isMasked && newerEvery && i % newerEvery == 1) {
                if ((i / newerEvery) % 2)
                    tA += 3600;
                else
                    tB += 3600;
                d.newer.emplace_back(nameA, nameB);
            }
            CreateFile(d.dirA + "/" + nameA, tA);
            CreateFile(d.dirB + "/" + nameB, tB);
        } else if (i < shared + onlyEach) {
            CreateFile(d.dirA + "/" + nameA, t);
            if (!isMasked) d.onlyA.push_back(nameA);
        } else {
            CreateFile(d.dirB + "/" + nameA, t);
            if (!isMasked) d.onlyB.push_back(nameA);
        }
    }
    d.differences = static_cast<int>(d.newer.size() + d.onlyA.size() + d.onlyB.size());
    return d;
}

// Brings all but keepPercent of each kind of difference back into step.
void Settle(Dataset& d, int keepPercent) {
    auto settle = [&](auto& names, const auto& fix) {
        const std::size_t keep = names.size() * keepPercent / 100;
        for (std::size_t i = keep; i < names.size(); ++i) fix(names[i]);
        names.resize(keep);
    };
    settle(d.newer, [&](const std::pair<std::string, std::string>& n) {
        SetTime(d.dirA + "/" + n.first, kBaseTime);
        SetTime(d.dirB + "/" + n.second, kBaseTime);
    });
    settle(d.onlyA, [&](const std::string& n) { CreateFile(d.dirB + "/" + n, kBaseTime); SetTime(d.dirA + "/" + n, kBaseTime); });
    settle(d.onlyB, [&](const std::string& n) { CreateFile(d.dirA + "/" + n, kBaseTime); SetTime(d.dirB + "/" + n, kBaseTime); });
    d.differences = static_cast<int>(d.newer.size() + d.onlyA.size() + d.onlyB.size());
}

// The floor: list both directories on one thread and ask the status of every
// entry relative to its open directory.
long long Floor(const Dataset& d) {
    long long sum = 0;
    for (const std::string& dir : {d.dirA, d.dirB}) {
        DIR* dp = opendir(dir.c_str());
        if (!dp) continue;
        const int fd = dirfd(dp);
        while (const dirent* e = readdir(dp)) {
            if (e->d_name[0] == '.' && (e->d_name[1] == 0 || (e->d_name[1] == '.' && e->d_name[2] == 0))) continue;
            struct stat st;
            if (fstatat(fd, e->d_name, &st, 0) == 0) sum += st.st_mtime;
        }
        closedir(dp);
    }
    return sum;
}

DirPairTable PairsFor(const Dataset& d) {
    DirPairTable t;
    std::memset(&t, 0, sizeof t);
    t.count = 1;
    std::snprintf(t.pairs[0].dirA, MAX_PATH, "%s", d.dirA.c_str());
    std::snprintf(t.pairs[0].dirB, MAX_PATH, "%s", d.dirB.c_str());
    std::snprintf(t.pairs[0].masks[0], MASK_LEN, "%s", kMask);
    return t;
}

// The names of the files directly in dir, through the path calls.
bool FileNames(FileSystem& fs, const std::string& dir, std::vector<std::string>& names) {
    std::vector<DirEntry> entries;
    if (!fs.ListDirectory(dir, entries)) return false;
    names.clear();
    for (DirEntry& e : entries)
        if (e.isFile) names.push_back(std::move(e.name));
    return true;
}

// The matching done the slow way: every name of A against the remaining names
// of B from the start, both upper-cased again at every comparison.
void QuadraticCompareAll(const DirPairTable& pairs, DiffTable& diffs, FileSystem& fs) {
    std::memset(&diffs, 0, sizeof diffs);
    std::vector<std::string> namesA;
    std::vector<std::string> namesB;
    auto time = [&fs](const std::string& path) {
        FileStatus st;
        return fs.GetStatus(path, st) ? st.mtime : 0;
    };
    auto append = [&diffs](int p, const std::string& name, const std::string& nameB, bool inA, FileTime a,
                           bool inB, FileTime b) {
        DiffEntry& e = diffs.entries[diffs.count++];
        e.pairIndex = static_cast<std::uint8_t>(p);
        CopyText(e.name, sizeof e.name, name);
        CopyText(e.nameB, sizeof e.nameB, nameB);
        e.timeA = a;
        e.timeB = b;
        e.inA = inA;
        e.inB = inB;
    };
    for (int p = 0; p < pairs.count; ++p) {
        const DirPair& P = pairs.pairs[p];
        if (!FileNames(fs, P.dirA, namesA) || !FileNames(fs, P.dirB, namesB)) continue;
        for (int m = 0; m < MAX_MASKS && P.masks[m][0]; ++m) {
            const std::string M = MbUpper(P.masks[m]);
            for (auto* names : {&namesA, &namesB}) {
                for (std::size_t i = 0; i < names->size();) {
                    const std::string U = MbUpper((*names)[i]);
                    if (U.size() >= M.size() && U.compare(U.size() - M.size(), M.size(), M) == 0)
                        names->erase(names->begin() + static_cast<long>(i));
                    else
                        ++i;
                }
            }
        }
        for (std::size_t i = 0; i < namesA.size(); ++i) {
            if (diffs.count == MAX_DIFFS) break;
            const FileTime tA = time(JoinPath(P.dirA, namesA[i]));
            std::size_t j = 0;
            while (j < namesB.size() && MbUpper(namesA[i]) != MbUpper(namesB[j])) ++j;
            if (j < namesB.size()) {
                const FileTime tB = time(JoinPath(P.dirB, namesB[j]));
                if (tA != tB) append(p, namesA[i], namesB[j], true, tA, true, tB);
                namesB.erase(namesB.begin() + static_cast<long>(j));
            } else {
                append(p, namesA[i], "", true, tA, false, 0);
            }
        }
        for (std::size_t j = 0; j < namesB.size() && diffs.count < MAX_DIFFS; ++j)
            append(p, namesB[j], "", false, 0, true, time(JoinPath(P.dirB, namesB[j])));
    }
}

double Millis(const std::function<void()>& f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Interleaves the runs of the two measurements so that both see the same caches.
void Versus(const char* nameX, const std::function<void()>& x, const char* nameY, const std::function<void()>& y,
            int rounds) {
    x();
    y();
    std::vector<double> tx, ty;
    for (int r = 0; r < rounds; ++r) {
        tx.push_back(Millis(x));
        ty.push_back(Millis(y));
    }
    const double mx = Median(tx);
    const double my = Median(ty);
    std::printf("    %-34s median %8.1f ms of %d\n", nameX, mx, rounds);
    std::printf("    %-34s median %8.1f ms of %d\n", nameY, my, rounds);
    std::printf("    ratio %s / %s: %.2f\n", nameY, nameX, my / mx);
}

void FloorAgainstCompareAll(const Dataset& d, int rounds) {
    const DirPairTable pairs = PairsFor(d);
    const auto diffs = std::make_unique<DiffTable>();
    long long sink = 0;
    RunObserver quiet;
    CompareOptions oneThread;
    oneThread.workers = 1;
    Versus("floor (readdir + fstatat, 1 thread)", [&] { sink += Floor(d); }, "CompareAll",
           [&] { CompareAll(pairs, *diffs, RealFileSystem(), quiet); }, rounds);
    CompareSummary summary;
    Versus("CompareAll on 1 thread", [&] { CompareAll(pairs, *diffs, RealFileSystem(), quiet, oneThread); },
           "CompareAll on its pool", [&] { summary = CompareAll(pairs, *diffs, RealFileSystem(), quiet); }, rounds);
    std::printf("    entries recorded: %d of %d%s\n", diffs->count, d.differences,
                summary.TotalOmitted() > 0 ? " (table full: the rest was counted, not stored)" : "");
    if (sink == 42) std::puts("");
}

// The same rows: names, sides and times (the reference records no stamps).
bool SameEntries(const DiffTable& x, const DiffTable& y) {
    if (x.count != y.count) return false;
    for (int i = 0; i < x.count; ++i) {
        const DiffEntry& a = x.entries[i];
        const DiffEntry& b = y.entries[i];
        if (a.pairIndex != b.pairIndex || std::strcmp(a.name, b.name) != 0 || std::strcmp(a.nameB, b.nameB) != 0 ||
            a.inA != b.inA || a.inB != b.inB || a.timeA != b.timeA || a.timeB != b.timeB || a.undecided)
            return false;
    }
    return true;
}

}  // namespace

int main() {
    const char* base = std::getenv("TMPDIR");
    std::string tmpl = std::string(base && *base ? base : "/tmp") + "/zoruna-bench-XXXXXX";
    if (!mkdtemp(tmpl.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string root = tmpl;
    struct Cleanup {
        std::string dir;
        ~Cleanup() {
            std::error_code ec;
            std::filesystem::remove_all(dir, ec);
        }
    } cleanup{root};

    constexpr int kLarge = 100000;
    std::printf("compare: generating %d files per side in %s\n", kLarge, root.c_str());
    Dataset large;
    const double genMs = Millis([&] { large = Generate(root + "/large", kLarge, 5, 5); });
    std::printf("  generated in %.1f s\n", genMs / 1000);

    std::printf("  5%% newer, 5%% only on one side, 1%% masked: %d differences\n", large.differences);
    FloorAgainstCompareAll(large, 7);

    Settle(large, 40);
    std::printf("  2%% newer, 2%% only on one side, 1%% masked: %d differences (below the 5000 cap, so every file "
                "is examined)\n",
                large.differences);
    FloorAgainstCompareAll(large, 7);
    std::filesystem::remove_all(root + "/large");

    constexpr int kSmall = 10000;
    const Dataset small = Generate(root + "/small", kSmall, 5, 5);
    std::printf("  %d files per side, 5%% newer, 5%% only on one side: %d differences\n", kSmall, small.differences);
    const DirPairTable pairs = PairsFor(small);
    const auto ours = std::make_unique<DiffTable>();
    const auto slow = std::make_unique<DiffTable>();
    RunObserver quiet;
    Versus("CompareAll", [&] { CompareAll(pairs, *ours, RealFileSystem(), quiet); },
           "quadratic matching", [&] { QuadraticCompareAll(pairs, *slow, RealFileSystem()); }, 3);
    std::printf("    same entries in the same order: %s\n", SameEntries(*ours, *slow) ? "yes" : "NO");
    return SameEntries(*ours, *slow) ? 0 : 1;
}
