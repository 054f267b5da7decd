// Throughput of the synchronising copy against `cp --preserve=timestamps`
// doing the same work: (1) one 1 GiB file into an empty folder, (2) 2,000
// files of 64 KiB replacing older copies. The copy runs in each of its
// durability ways (no flush, fdatasync per file, one syncfs per batch); cp
// runs alone and followed by `sync` on what it wrote, which is what a
// durable cp costs. Runs alternate, each scenario several times; the medians
// are compared.
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/copy.h"
#include "core/mbtext.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr FileTime kOld = 1500000000;
constexpr FileTime kNew = 1600000000;
constexpr std::uint64_t kBigSize = 1ull << 30;
constexpr int kSmallCount = 2000;
constexpr std::size_t kSmallSize = 64 * 1024;
constexpr int kBigRuns = 3;
constexpr int kSmallRuns = 5;

std::string g_root;  // the bench's folder, removed on every way out

[[noreturn]] void Die(const std::string& what) {
    std::fprintf(stderr, "bench_copy: %s: %s\n", what.c_str(), std::strerror(errno));
    std::error_code ec;
    if (!g_root.empty()) fs::remove_all(g_root, ec);
    std::exit(1);
}

void Fill(std::vector<char>& buf, std::uint64_t& state) {
    for (std::size_t i = 0; i + 8 <= buf.size(); i += 8) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        std::memcpy(&buf[i], &state, 8);
    }
}

void WriteData(const std::string& path, std::uint64_t size, std::uint64_t seed, FileTime mtime) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) Die("create " + path);
    std::vector<char> buf(std::min<std::uint64_t>(size, 1 << 20));
    std::uint64_t state = seed | 1;
    for (std::uint64_t left = size; left > 0;) {
        Fill(buf, state);
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left, buf.size()));
        if (write(fd, buf.data(), n) != static_cast<ssize_t>(n)) Die("write " + path);
        left -= n;
    }
    const struct timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(mtime), 0}};
    if (futimens(fd, times) != 0 || close(fd) != 0) Die("finish " + path);
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Runs a program and waits for it to succeed.
void RunProgram(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) Die("spawn " + args[0]);
    int status = 0;
    if (waitpid(pid, &status, 0) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) Die(args[0] + " failed");
}

// cp, then (when flushTarget is given) `sync -f` on it: one syncfs, the
// cheapest way to get cp's work onto the disk.
double RunCp(std::vector<std::string> args, const std::string& flushTarget = {}) {
    args.insert(args.begin(), {"cp", "--preserve=timestamps"});
    const auto start = Clock::now();
    RunProgram(args);
    if (!flushTarget.empty()) RunProgram({"sync", "-f", flushTarget});
    return Seconds(Clock::now() - start);
}

constexpr Durability kWays[] = {Durability::None, Durability::EachFile, Durability::FileSystem};
constexpr const char* kWayNames[] = {"zoruna, no flush", "zoruna, fdatasync", "zoruna, syncfs"};
constexpr int kWayCount = 3;

struct Job {
    std::unique_ptr<DirPairTable> pairs = std::make_unique<DirPairTable>();
    std::unique_ptr<DiffTable> diffs = std::make_unique<DiffTable>();

    Job(const std::string& from, const std::string& to) {
        pairs->count = 1;
        CopyText(pairs->pairs[0].dirA, MAX_PATH, from);
        CopyText(pairs->pairs[0].dirB, MAX_PATH, to);
    }
    void Add(const std::string& name, FileTime timeB) {
        DiffEntry& e = diffs->entries[diffs->count++];
        CopyText(e.name, DIFF_NAME_LEN, name);
        if (timeB) CopyText(e.nameB, DIFF_NAME_LEN, name);
        e.timeA = kNew;
        e.timeB = timeB;
        e.inA = true;
        e.inB = timeB != 0;
    }
    double Run(Durability durability) const {
        RunObserver quiet;
        CopyOptions options;
        options.durability = durability;
        const auto start = Clock::now();
        const CopyRunSummary s = CopySelectedFiles(*pairs, *diffs, diffs->count, [](int) { return true; },
                                                   RealFileSystem(), quiet, options);
        const double t = Seconds(Clock::now() - start);
        if (s.failed != 0) Die(std::to_string(s.failed) + " files failed");
        return t;
    }
};

struct Figures {
    std::vector<double> zoruna[kWayCount];
    std::vector<double> cp, cpSynced;
    std::vector<double> replaceFloor;  // the bare temporary-file-and-rename sequence
};

// The least that replacing files in one step costs on this file system: per
// file open, create a temporary file, kernel copy, time and mode, close,
// rename over the old file; no checks, no error handling. The difference to
// cp (which empties and rewrites the old file in place) is the price of never
// leaving a half-written file; the difference to Zoruna is Zoruna's own.
double RunReplaceFloor(const std::string& src, const std::string& dst, const std::vector<std::string>& names) {
    const auto start = Clock::now();
    for (const std::string& name : names) {
        const int in = open((src + "/" + name).c_str(), O_RDONLY | O_CLOEXEC);
        struct stat st;
        fstat(in, &st);
        const std::string temp = dst + "/.floor-" + name;
        const int out = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        for (off_t left = st.st_size; left > 0;) {
            const ssize_t n = copy_file_range(in, nullptr, out, nullptr, static_cast<size_t>(left), 0);
            if (n <= 0) Die("copy_file_range");
            left -= n;
        }
        const struct timespec times[2] = {{0, UTIME_OMIT}, st.st_mtim};
        futimens(out, times);
        fchmod(out, 0644);
        close(in);
        close(out);
        if (rename(temp.c_str(), (dst + "/" + name).c_str()) != 0) Die("rename");
    }
    return Seconds(Clock::now() - start);
}

void Report(const char* title, std::uint64_t bytes, const Figures& f) {
    const double mib = static_cast<double>(bytes) / (1 << 20);
    const auto line = [&](const char* who, const std::vector<double>& runs) {
        const auto [lo, hi] = std::minmax_element(runs.begin(), runs.end());
        std::printf("  %-18s %8.1f MiB/s  (median of %zu runs; %.3f s, fastest %.3f s, slowest %.3f s)\n", who,
                    mib / Median(runs), runs.size(), Median(runs), *lo, *hi);
        return mib / Median(runs);
    };
    std::printf("%s\n", title);
    const double c = line("cp", f.cp);
    const double cs = line("cp + sync -f", f.cpSynced);
    double z[kWayCount];
    for (int w = 0; w < kWayCount; ++w) z[w] = line(kWayNames[w], f.zoruna[w]);
    for (int w = 0; w < kWayCount; ++w)
        std::printf("  ratio %-18s %5.2fx of cp, %5.2fx of cp + sync\n", kWayNames[w], z[w] / c, z[w] / cs);
    if (!f.replaceFloor.empty()) {
        const double r = line("floor", f.replaceFloor);
        std::printf("  (floor: bare temporary file + rename, no flush, the least a one-step replacement\n"
                    "   costs here: %.2fx of cp; Zoruna without flush reaches %.2fx of it)\n", r / c, z[0] / r);
    }
    std::fflush(stdout);
}

// Each timed run starts with no dirty data of an earlier one still queued.
void Settle() { sync(); }

Figures BigFile(const std::string& root) {
    const std::string src = root + "/big-src", dst = root + "/big-dst";
    fs::create_directories(src);
    fs::create_directories(dst);
    WriteData(src + "/big.bin", kBigSize, 42, kNew);
    Job job(src, dst);
    job.Add("big.bin", 0);
    Figures f;
    const auto clear = [&] {
        fs::remove(dst + "/big.bin");
        Settle();
    };
    for (int i = 0; i < kBigRuns; ++i) {
        for (int w = 0; w < kWayCount; ++w) {
            clear();
            f.zoruna[w].push_back(job.Run(kWays[w]));
        }
        clear();
        f.cp.push_back(RunCp({src + "/big.bin", dst + "/"}));
        clear();
        f.cpSynced.push_back(RunCp({src + "/big.bin", dst + "/"}, dst + "/big.bin"));
    }
    fs::remove_all(src);
    fs::remove_all(dst);
    return f;
}

Figures SmallFiles(const std::string& root) {
    const std::string src = root + "/small-src", dst = root + "/small-dst";
    fs::create_directories(src);
    fs::create_directories(dst);
    std::vector<std::string> names, cpArgs;
    Job job(src, dst);
    for (int i = 0; i < kSmallCount; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "f%04d.dat", i);
        names.push_back(name);
        WriteData(src + "/" + name, kSmallSize, 1000 + i, kNew);
        job.Add(name, kOld);
        cpArgs.push_back(src + "/" + name);
    }
    cpArgs.push_back(dst + "/");
    const auto resetDestination = [&] {
        for (int i = 0; i < kSmallCount; ++i) WriteData(dst + "/" + names[i], kSmallSize, 5000 + i, kOld);
        Settle();
    };
    Figures f;
    for (int i = 0; i < kSmallRuns; ++i) {
        for (int w = 0; w < kWayCount; ++w) {
            resetDestination();
            f.zoruna[w].push_back(job.Run(kWays[w]));
        }
        resetDestination();
        f.cp.push_back(RunCp(cpArgs));
        resetDestination();
        f.cpSynced.push_back(RunCp(cpArgs, dst));
        resetDestination();
        f.replaceFloor.push_back(RunReplaceFloor(src, dst, names));
    }
    fs::remove_all(src);
    fs::remove_all(dst);
    return f;
}

}  // namespace

int main() {
    const char* tmp = std::getenv("TMPDIR");
    std::string root = std::string(tmp && *tmp ? tmp : "/tmp") + "/zoruna-bench-copy-XXXXXX";
    if (!mkdtemp(root.data())) Die("mkdtemp");
    g_root = root;
    std::printf("copy benchmark in %s\n", root.c_str());

    const Figures big = BigFile(root);
    Report("copy: one 1 GiB file into an empty folder", kBigSize, big);
    const Figures small = SmallFiles(root);
    Report("copy: 2,000 files of 64 KiB replacing older copies", kSmallCount * kSmallSize, small);

    fs::remove_all(root);
    return 0;
}
