// Holes and clones: a copy writes only the data of its source and keeps its
// holes, a file system that clones shares the data instead of writing it,
// cloning that a file system refuses is not asked again for every file, and a
// source that delivers fewer bytes than its size is never installed.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "copy_test_helpers.h"
#include "support/forwarding_fs.h"
#include "support/image_mount.h"

namespace {

constexpr FileTime kOld = 1500000000;
constexpr FileTime kNew = 1600000000;
constexpr std::uint64_t kKiB = 1024;
constexpr std::uint64_t kMiB = 1024 * kKiB;
// A copy may take a few blocks more than its source (metadata, a file
// system's rounding), never the size of a hole.
constexpr std::uint64_t kBlockMargin = 64 * kKiB;

struct Extent {
    std::uint64_t offset;
    std::uint64_t length;
};

char ByteAt(std::uint64_t pos) { return static_cast<char>(pos * 131 + pos / 4093 + 1); }

// A file of size bytes with data in the extents only; the rest is holes.
void WriteSparse(const std::string& path, const std::vector<Extent>& data, std::uint64_t size) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0) << path;
    for (const Extent& e : data) {
        std::string bytes(e.length, 0);
        for (std::uint64_t i = 0; i < e.length; ++i) bytes[i] = ByteAt(e.offset + i);
        ASSERT_EQ(pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(e.offset)),
                  static_cast<ssize_t>(bytes.size()));
    }
    ASSERT_EQ(ftruncate(fd, static_cast<off_t>(size)), 0);
    const struct timespec times[2] = {{kNew, 0}, {kNew, 0}};
    ASSERT_EQ(futimens(fd, times), 0);
    close(fd);
}

// Whether two files hold the same bytes, read piece by piece (holes read as
// zeros, so a copy that wrote them out compares equal too).
bool SameContent(const std::string& a, const std::string& b) {
    const int fa = open(a.c_str(), O_RDONLY | O_CLOEXEC), fb = open(b.c_str(), O_RDONLY | O_CLOEXEC);
    bool same = fa >= 0 && fb >= 0;
    std::vector<char> ba(kMiB), bb(kMiB);
    while (same) {
        const ssize_t na = read(fa, ba.data(), ba.size()), nb = read(fb, bb.data(), bb.size());
        same = na == nb && na >= 0 && std::memcmp(ba.data(), bb.data(), static_cast<std::size_t>(na)) == 0;
        if (na <= 0) break;
    }
    if (fa >= 0) close(fa);
    if (fb >= 0) close(fb);
    return same;
}

std::uint64_t Allocated(const std::string& path) { return static_cast<std::uint64_t>(StatOf(path).st_blocks) * 512; }

// The copy's view of its source as a test wants it: the kernel copy taken
// away (the read/write loop runs), cloning done or refused as a file system
// would, a source that ends after `budget` bytes while its status stays the
// same. Counts the hole searches, the clones asked for and the bytes the
// copy moved itself.
class ContentFileSystem : public ForwardingFileSystem {
public:
    enum Clone { RealClone, Clones, CannotClone, OtherMount, FailsMidway };
    ContentFileSystem(bool kernelCopy, Clone clone, std::uint64_t budget = UINT64_MAX)
        : m_kernelCopy(kernelCopy), m_clone(clone), m_budget(budget) {}

    bool FindData(FileHandle h, std::uint64_t offset, std::uint64_t& start, std::uint64_t& end) override {
        ++holeSearches;
        return m_target.FindData(h, offset, start, end);
    }
    long long CopyChunk(FileHandle in, FileHandle out, std::size_t n) override {
        if (!m_kernelCopy) return kCopyUnsupported;
        return Deliver(n, [&](std::size_t k) { return m_target.CopyChunk(in, out, k); });
    }
    long long Read(FileHandle h, void* buf, std::size_t n) override {
        return Deliver(n, [&](std::size_t k) { return m_target.Read(h, buf, k); });
    }
    bool CloneFile(FileHandle in, FileHandle out) override {
        ++clones;
        const int fdIn = static_cast<int>(in), fdOut = static_cast<int>(out);
        struct stat s;
        switch (m_clone) {
            case RealClone: return m_target.CloneFile(in, out);
            case Clones: {
                // As a clone does, leaving both positions where they were.
                loff_t from = 0, to = 0;
                while (copy_file_range(fdIn, &from, fdOut, &to, kMiB, 0) > 0) {
                }
                return true;
            }
            case CannotClone: errno = EOPNOTSUPP; return false;
            case OtherMount: errno = EXDEV; return false;
            case FailsMidway:
                // Part of a clone left beyond where the copy will write.
                if (fstat(fdIn, &s) != 0 || pwrite(fdOut, "partial", 7, s.st_size + 100) != 7) return false;
                errno = EIO;
                return false;
        }
        return false;
    }

    int holeSearches = 0;
    int clones = 0;
    std::uint64_t bytesMoved = 0;

private:
    template <typename F>
    long long Deliver(std::size_t n, F f) {
        if (m_budget == 0) return 0;
        const long long r = f(static_cast<std::size_t>(std::min<std::uint64_t>(n, m_budget)));
        if (r > 0) {
            bytesMoved += static_cast<std::uint64_t>(r);
            if (m_budget != UINT64_MAX) m_budget -= static_cast<std::uint64_t>(r);
        }
        return r;
    }

    bool m_kernelCopy;
    Clone m_clone;
    std::uint64_t m_budget;
};

template <typename Case>
std::string NameWithWay(const testing::TestParamInfo<std::tuple<Case, bool>>& info) {
    return std::string(std::get<0>(info.param).label) + (std::get<1>(info.param) ? "_KernelCopy" : "_ReadWrite");
}

struct SparseCase {
    const char* label;
    std::vector<Extent> data;
    std::uint64_t size;
};

void PrintTo(const SparseCase& c, std::ostream* os) { *os << c.label; }

std::uint64_t DataBytes(const SparseCase& c) {
    std::uint64_t n = 0;
    for (const Extent& e : c.data) n += e.length;
    return n;
}

// A copy through a table of one pair, A/f replacing an older B/f.
struct OneFile {
    TempDir t;
    std::string a = t.MakeDir("A"), b = t.MakeDir("B");
    CopyTables tables;
    OneFile() {
        WriteFile(b + "/f", "old", kOld);
        tables.AddPair(a, b);
        tables.AddEntry(0, "f", kNew, kOld, "f");
    }
};

class CopySparse : public testing::TestWithParam<std::tuple<SparseCase, bool>> {};

TEST_P(CopySparse, WritesOnlyTheDataAndKeepsTheHoles) {
    const auto& [c, kernelCopy] = GetParam();
    OneFile f;
    WriteSparse(f.a + "/f", c.data, c.size);
    const bool holes = Allocated(f.a + "/f") < c.size;

    ContentFileSystem fs(kernelCopy, ContentFileSystem::CannotClone);
    RecordingObserver obs;
    ASSERT_EQ(f.tables.CopyAll(fs, obs).copied, 1);

    EXPECT_EQ(StatOf(f.b + "/f").st_size, static_cast<off_t>(c.size));
    EXPECT_TRUE(SameContent(f.a + "/f", f.b + "/f"));
    EXPECT_EQ(ModTime(f.b + "/f"), kNew);
    EXPECT_LE(Allocated(f.b + "/f"), Allocated(f.a + "/f") + kBlockMargin) << "a hole was written out";
    EXPECT_LE(fs.bytesMoved, DataBytes(c)) << "the copy read or copied zeros of a hole";
    EXPECT_EQ(fs.holeSearches > 0, holes) << "only a file with fewer blocks than bytes is searched for holes";
    // Holes count as done: the bar moves on through them and ends full.
    for (std::size_t i = 1; i < obs.progress.size(); ++i) EXPECT_LE(obs.progress[i - 1].first, obs.progress[i].first);
    EXPECT_EQ(obs.progress.back(), std::make_pair(c.size, c.size));
    EXPECT_EQ(TempLeftovers(f.b), "");
}

std::vector<Extent> EveryMiB(int count, std::uint64_t length) {
    std::vector<Extent> v;
    for (int i = 0; i < count; ++i) v.push_back({static_cast<std::uint64_t>(i) * kMiB, length});
    return v;
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, CopySparse,
    testing::Combine(
        testing::Values(SparseCase{"NoHoles", {{0, 3 * kMiB + 5}}, 3 * kMiB + 5},
                        SparseCase{"HoleInTheMiddle", {{0, kMiB}, {65 * kMiB, kMiB + 77}}, 66 * kMiB + 77},
                        SparseCase{"EndsInAHole", {{0, kMiB}}, 65 * kMiB},
                        SparseCase{"StartsWithAHole", {{64 * kMiB, kMiB}}, 65 * kMiB},
                        SparseCase{"OnlyAHole", {}, 256 * kMiB},
                        // More regions than a progress step: the loop turns over.
                        SparseCase{"ManySmallRegions", EveryMiB(40, 4 * kKiB), 40 * kMiB}),
        testing::Bool()),
    NameWithWay<SparseCase>);

// Asks to stop once the bar has moved past the first hole.
class StopAfterAHole : public RecordingObserver {
public:
    bool StopRequested() override { return !progress.empty() && progress.back().first >= 32 * kMiB; }
};

TEST(CopySparseStop, AStopBeyondAHoleAbandonsTheFile) {
    OneFile f;
    WriteSparse(f.a + "/f", {{0, kMiB}, {64 * kMiB, kMiB}}, 65 * kMiB);
    StopAfterAHole obs;
    const CopyRunSummary s = f.tables.CopyAll(RealFileSystem(), obs);
    EXPECT_TRUE(s.stopped);
    EXPECT_EQ(s.copied, 0);
    EXPECT_EQ(ReadFile(f.b + "/f"), "old");
    EXPECT_EQ(TempLeftovers(f.b), "");
}

struct ShortCase {
    const char* label;
    std::vector<Extent> data;
    std::uint64_t size;
    std::uint64_t delivered;  // bytes the source gives before it reports its end
};

void PrintTo(const ShortCase& c, std::ostream* os) { *os << c.label; }

class CopyShortSource : public testing::TestWithParam<std::tuple<ShortCase, bool>> {};

TEST_P(CopyShortSource, IsNeverInstalled) {
    const auto& [c, kernelCopy] = GetParam();
    OneFile f;
    WriteSparse(f.a + "/f", c.data, c.size);
    ContentFileSystem fs(kernelCopy, ContentFileSystem::CannotClone, c.delivered);
    RecordingObserver obs;
    f.tables.CopyAll(fs, obs);
    EXPECT_EQ(obs.reasons, std::vector<FileCopyResult>{FileCopyResult::SourceChanged});
    EXPECT_EQ(ReadFile(f.b + "/f"), "old");
    EXPECT_EQ(TempLeftovers(f.b), "");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CopyShortSource,
    testing::Combine(
        testing::Values(ShortCase{"NoHoles", {{0, 3 * kMiB}}, 3 * kMiB, kMiB},
                        ShortCase{"InTheFirstRegion", {{0, 64 * kKiB}, {kMiB, 64 * kKiB}}, 2 * kMiB, 8 * kKiB},
                        ShortCase{"InTheLastRegion", {{0, 64 * kKiB}, {kMiB, 64 * kKiB}}, kMiB + 64 * kKiB,
                                  72 * kKiB},
                        // The hole at the end must not make up for the missing data.
                        ShortCase{"BeforeAnEndingHole", {{0, 64 * kKiB}}, kMiB, 32 * kKiB}),
        testing::Bool()),
    NameWithWay<ShortCase>);

struct CloneCase {
    const char* label;
    ContentFileSystem::Clone way;
    int clones;  // asked for four files: three into B, one into D
    bool copiedByItself;
};

void PrintTo(const CloneCase& c, std::ostream* os) { *os << c.label; }

class CopyClone : public testing::TestWithParam<CloneCase> {};

TEST_P(CopyClone, IsTriedOncePerFileSystemOrDestinationFolderThatRefusesIt) {
    const CloneCase& c = GetParam();
    TempDir t;
    const std::string a = t.MakeDir("A"), b = t.MakeDir("B"), cDir = t.MakeDir("C"), d = t.MakeDir("D");
    CopyTables tables;
    tables.AddPair(a, b);
    tables.AddPair(cDir, d);
    const std::pair<std::string, std::string> files[] = {{a, "f1"}, {a, "f2"}, {a, "f3"}, {cDir, "g"}};
    for (const auto& [dir, name] : files) {
        WriteSparse(dir + "/" + name, {{0, 100 * kKiB + name.size()}}, 100 * kKiB + name.size());
        tables.AddEntry(dir == a ? 0 : 1, name, kNew, 0);
    }

    ContentFileSystem fs(true, c.way);
    RecordingObserver obs;
    EXPECT_EQ(tables.CopyAll(fs, obs).copied, 4);

    EXPECT_EQ(fs.clones, c.clones);
    EXPECT_EQ(fs.bytesMoved > 0, c.copiedByItself);
    for (const auto& [dir, name] : files) {
        const std::string copy = (dir == a ? b : d) + "/" + name;
        EXPECT_TRUE(SameContent(dir + "/" + name, copy)) << copy;
        EXPECT_EQ(StatOf(copy).st_size, StatOf(dir + "/" + name).st_size) << copy;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Ways, CopyClone,
    testing::Values(CloneCase{"Clones", ContentFileSystem::Clones, 4, false},
                    CloneCase{"CannotClone", ContentFileSystem::CannotClone, 1, true},
                    CloneCase{"OtherMount", ContentFileSystem::OtherMount, 2, true},
                    // A clone that fails for one file says nothing of the next.
                    CloneCase{"FailsMidway", ContentFileSystem::FailsMidway, 4, true}),
    [](const auto& info) { return std::string(info.param.label); });

// Whether the file system holding dir clones files.
bool ClonesFiles(const std::string& dir) {
    WriteFile(dir + "/probe-a", std::string(4096, 'p'));
    const int in = open((dir + "/probe-a").c_str(), O_RDONLY | O_CLOEXEC);
    const int out = open((dir + "/probe-b").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    const bool ok = in >= 0 && out >= 0 && ioctl(out, FICLONE, in) == 0;
    if (in >= 0) close(in);
    if (out >= 0) close(out);
    unlink((dir + "/probe-a").c_str());
    unlink((dir + "/probe-b").c_str());
    return ok;
}

TEST(CopyCloneForReal, ClonesInsteadOfMovingTheData) {
    TempDir t;
    std::string root = t.path();
    std::unique_ptr<ImageMount> btrfs;
    if (!ClonesFiles(root)) {
        // /tmp cannot clone (ext4, tmpfs): a btrfs image can, where root may mount one.
        if (geteuid() != 0) GTEST_SKIP() << "/tmp cannot clone files, and only root can mount a btrfs image";
        if (std::system("command -v mkfs.btrfs >/dev/null") != 0)
            GTEST_SKIP() << "/tmp cannot clone files, and mkfs.btrfs is not installed";
        btrfs = std::make_unique<ImageMount>(t, "btrfs", "128M", "mkfs.btrfs -q", "mount -o loop", "umount");
        if (!btrfs->mounted()) GTEST_SKIP() << "/tmp cannot clone files, and no btrfs image could be mounted here";
        root = btrfs->dir();
        if (!ClonesFiles(root)) GTEST_SKIP() << "the btrfs image mounted here does not clone files";
    }
    const std::string a = root + "/A", b = root + "/B";
    ASSERT_EQ(mkdir(a.c_str(), 0755), 0);
    ASSERT_EQ(mkdir(b.c_str(), 0755), 0);
    WriteSparse(a + "/big", {{0, 8 * kMiB}, {16 * kMiB, 3 * kMiB + 1}}, 20 * kMiB);
    WriteFile(b + "/big", "old", kOld);
    CopyTables tables;
    tables.AddPair(a, b);
    tables.AddEntry(0, "big", kNew, kOld, "big");

    ContentFileSystem fs(true, ContentFileSystem::RealClone);
    RecordingObserver obs;
    ASSERT_EQ(tables.CopyAll(fs, obs).copied, 1);

    EXPECT_TRUE(SameContent(a + "/big", b + "/big"));
    EXPECT_EQ(ModTime(b + "/big"), kNew);
    EXPECT_EQ(fs.bytesMoved, 0u) << "the clone left no data to copy";
    EXPECT_LE(Allocated(b + "/big"), Allocated(a + "/big") + kBlockMargin);
}

}  // namespace
