// What a copy must get right beyond the bytes: cleanup when an observer
// throws, permission bits and owners, times that really stick, a source torn
// in place, stopping, and data on the disk before a file is replaced.
#ifndef _WIN32
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <functional>
#include <map>
#include <stdexcept>
#include <utility>

#include "copy_test_helpers.h"
#include "support/forwarding_fs.h"
#include "support/image_mount.h"
#include "support/wine.h"

namespace {

constexpr FileTime kOld = 1500000000;
constexpr FileTime kNew = 1600000001;  // an odd second

// Handles (descriptors) the process holds open.
int OpenDescriptors() {
    int n = 0;
#ifdef _WIN32
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count)) n = static_cast<int>(count);
#else
    if (DIR* d = opendir("/proc/self/fd")) {
        while (readdir(d)) ++n;
        closedir(d);
    }
#endif
    return n;
}

// Two files from A to B, the first several chunks long.
struct TwoFiles {
    TempDir t;
    std::string a = t.MakeDir("A"), b = t.MakeDir("B");
    CopyTables tables;
    TwoFiles() {
        WriteFile(a + "/big", std::string(3 * FileCopier::kChunkBytes + 7, 'x'), kNew);
        WriteFile(b + "/big", "old", kOld);
        WriteFile(a + "/small", "s", kNew);
        tables.AddPair(a, b);
        tables.AddEntry(0, "big", kNew, kOld, "big");
        tables.AddEntry(0, "small", kNew, 0);
    }
};

// An observer that throws or asks to stop at one chosen moment.
class InterruptingObserver : public RecordingObserver {
public:
    enum When { InTheFirstFile, AtTheSecondFile };
    InterruptingObserver(When when, bool throws) : m_when(when), m_throws(throws) {}

    void OnFileStart(int row, const DiffEntry& entry, const char* from, const char* to) override {
        RecordingObserver::OnFileStart(row, entry, from, to);
        if (row == 1 && m_when == AtTheSecondFile && m_throws) throw std::runtime_error("repaint failed");
    }
    void OnProgress(std::uint64_t done, std::uint64_t total) override {
        RecordingObserver::OnProgress(done, total);
        if (InTheMiddle() && m_when == InTheFirstFile && m_throws) throw std::runtime_error("repaint failed");
    }
    bool StopRequested() override {
        if (m_throws) return false;
        if (m_when == InTheFirstFile) return InTheMiddle();
        // The first file is done when its end is reported twice: by its last
        // chunk and once more when it is dealt with.
        const std::size_t n = progress.size();
        return n >= 2 && progress[n - 1] == progress[n - 2] && progress[n - 1].first > 0;
    }

private:
    bool InTheMiddle() const {
        return !progress.empty() && progress.back().first > 0 && progress.back().first < progress.back().second;
    }

    When m_when;
    bool m_throws;
};

struct InterruptCase {
    const char* label;
    InterruptingObserver::When when;
    bool throws;
    const char* expectBig;  // B/big afterwards
    int copied;
};

class CopyInterrupted : public testing::TestWithParam<InterruptCase> {};

TEST_P(CopyInterrupted, LeavesNoHandleAndNoTemporaryFileBehind) {
    const InterruptCase& c = GetParam();
    TwoFiles f;
    const int descriptors = OpenDescriptors();
    InterruptingObserver obs(c.when, c.throws);
    if (c.throws) {
        EXPECT_THROW(f.tables.CopyAll(RealFileSystem(), obs), std::runtime_error);
    } else {
        const CopyRunSummary s = f.tables.CopyAll(RealFileSystem(), obs);
        EXPECT_TRUE(s.stopped);
        EXPECT_EQ(s.copied, c.copied);
        EXPECT_EQ(s.failed, 0);
    }
    EXPECT_EQ(OpenDescriptors(), descriptors);
    EXPECT_EQ(TempLeftovers(f.b), "");
    EXPECT_EQ(ReadFile(f.b + "/big").substr(0, 3), c.expectBig);
    EXPECT_FALSE(FileExists(f.b + "/small"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CopyInterrupted,
    testing::Values(
        InterruptCase{"ThrowsInTheMiddleOfAFile", InterruptingObserver::InTheFirstFile, true, "old", 0},
        InterruptCase{"ThrowsWhileAnotherFileWaitsInItsBatch", InterruptingObserver::AtTheSecondFile, true, "old",
                      0},
        InterruptCase{"StopsInTheMiddleOfAFile", InterruptingObserver::InTheFirstFile, false, "old", 0},
        // A file copied in full before the stop is still put in place.
        InterruptCase{"StopsBetweenFiles", InterruptingObserver::AtTheSecondFile, false, "xxx", 1}),
    [](const auto& info) { return std::string(info.param.label); });

// Someone moves the destination folder away and puts another one with the
// same name in its place while a file is copied. The copy checked, wrote and
// replaces in the folder it opened; the newcomer's file is never touched.
TEST(CopyInterference, AFolderPutInPlaceOfTheDestinationMidwayIsLeftAlone) {
    if (RunningUnderWine())
        GTEST_SKIP() << "Wine renames and removes by the path a folder handle was opened by, not the folder";
    TwoFiles f;
    class SwappingObserver : public RecordingObserver {
    public:
        explicit SwappingObserver(const std::string& b) : m_b(b) {}
        void OnProgress(std::uint64_t done, std::uint64_t total) override {
            RecordingObserver::OnProgress(done, total);
            if (m_swapped || done == 0 || done >= total) return;
            m_swapped = true;
            ASSERT_EQ(rename(m_b.c_str(), (m_b + ".moved").c_str()), 0);
            ASSERT_TRUE(RealFileSystem().CreateDirectory(m_b, 0755));
            WriteFile(m_b + "/big", "someone else's", kOld);
        }

    private:
        std::string m_b;
        bool m_swapped = false;
    } obs(f.b);

    const CopyRunSummary s = f.tables.CopyAll(RealFileSystem(), obs);

    EXPECT_EQ(s.copied, 2);
    EXPECT_EQ(ReadFile(f.b + "/big"), "someone else's");
    EXPECT_EQ(ListNames(f.b), "big");
    EXPECT_EQ(ReadFile(f.b + ".moved/big").size(), 3 * FileCopier::kChunkBytes + 7);
    EXPECT_EQ(ListNames(f.b + ".moved"), "big small");
}

// File systems that do not keep what they are told: times that are ignored
// or rounded, permission bits that cannot be set at all.
class ForgetfulFileSystem : public ForwardingFileSystem {
public:
    enum Quirk { IgnoresTimes, TwoSecondSteps, TwoSecondStepsClaimingOne, TwoSecondStepsOneStepLate, StampsOnRename,
                 NoModes, ModeFailsOtherwise };
    ForgetfulFileSystem(Quirk quirk, int modeError) : m_quirk(quirk), m_modeError(modeError) {}

    bool SetTimes(FileHandle h, FileTime atime, std::int32_t atimeNsec, FileTime mtime,
                  std::int32_t mtimeNsec) override {
        if (m_quirk == IgnoresTimes) return true;
        Round(mtime, mtimeNsec);
        return m_target.SetTimes(h, atime, atimeNsec, mtime, mtimeNsec);
    }
    bool SetTimesOf(const std::string& path, FileTime atime, std::int32_t atimeNsec, FileTime mtime,
                    std::int32_t mtimeNsec) override {
        if (m_quirk == IgnoresTimes) return true;
        Round(mtime, mtimeNsec);
        return m_target.SetTimesOf(path, atime, atimeNsec, mtime, mtimeNsec);
    }
    bool Rename(const std::string& from, const std::string& to) override {
        if (!m_target.Rename(from, to)) return false;
        if (m_quirk == StampsOnRename) m_target.SetTimesOf(to, 2000000000, 0, 2000000000, 0);
        return true;
    }
    int TimeGranularity(const std::string&) override {
        return m_quirk == TwoSecondSteps || m_quirk == TwoSecondStepsOneStepLate ? 2 : 1;
    }
    bool SetMode(FileHandle h, unsigned mode) override {
        if (m_quirk != NoModes && m_quirk != ModeFailsOtherwise) return m_target.SetMode(h, mode);
        errno = m_modeError;
        return false;
    }

private:
    void Round(FileTime& mtime, std::int32_t& nsec) const {
        if (m_quirk == TwoSecondStepsOneStepLate) {
            mtime += 2;
            nsec = 0;
            return;
        }
        if (m_quirk != TwoSecondSteps && m_quirk != TwoSecondStepsClaimingOne) return;
        mtime -= mtime % 2;
        nsec = 0;
    }

    Quirk m_quirk;
    int m_modeError;
};

struct ForgetfulCase {
    const char* label;
    ForgetfulFileSystem::Quirk quirk;
    int modeError;
    FileCopyResult result;
};

class CopyOnForgetfulFileSystem : public testing::TestWithParam<ForgetfulCase> {};

TEST_P(CopyOnForgetfulFileSystem, ReportsATimeThatDidNotStickAndToleratesMissingModes) {
    const ForgetfulCase& c = GetParam();
    TempDir t;
    const std::string a = t.MakeDir("A"), b = t.MakeDir("B");
    WriteFile(a + "/f", "new", kNew);
    WriteFile(b + "/f", "old", kOld);
    WriteFile(a + "/g", "fresh", kNew);
    CopyTables tables;
    tables.AddPair(a, b);
    tables.AddEntry(0, "f", kNew, kOld, "f");
    tables.AddEntry(0, "g", kNew, 0);

    ForgetfulFileSystem fs(c.quirk, c.modeError);
    RecordingObserver obs;
    const CopyRunSummary s = tables.CopyAll(fs, obs);

    const bool ok = c.result == FileCopyResult::Copied;
    EXPECT_EQ(s.copied, ok ? 2 : 0);
    EXPECT_EQ(obs.reasons, ok ? std::vector<FileCopyResult>{} : std::vector<FileCopyResult>(2, c.result));
    EXPECT_EQ(TempLeftovers(b), "");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CopyOnForgetfulFileSystem,
    testing::Values(
        ForgetfulCase{"IgnoresTimes", ForgetfulFileSystem::IgnoresTimes, 0, FileCopyResult::TimeNotKept},
        ForgetfulCase{"TwoSecondSteps", ForgetfulFileSystem::TwoSecondSteps, 0, FileCopyResult::Copied},
        ForgetfulCase{"TwoSecondStepsClaimingOne", ForgetfulFileSystem::TwoSecondStepsClaimingOne, 0,
                      FileCopyResult::TimeNotKept},
        // Exactly one step off is still the same time to the comparison, so
        // the copy must not call it a failure either.
        ForgetfulCase{"TwoSecondStepsOneStepLate", ForgetfulFileSystem::TwoSecondStepsOneStepLate, 0,
                      FileCopyResult::Copied},
        ForgetfulCase{"StampsOnRename", ForgetfulFileSystem::StampsOnRename, 0, FileCopyResult::Copied},
        ForgetfulCase{"NoModesENOSYS", ForgetfulFileSystem::NoModes, ENOSYS, FileCopyResult::Copied},
        ForgetfulCase{"NoModesEPERM", ForgetfulFileSystem::NoModes, EPERM, FileCopyResult::Copied},
        ForgetfulCase{"NoModesENOTSUP", ForgetfulFileSystem::NoModes, ENOTSUP, FileCopyResult::Copied},
        ForgetfulCase{"ModeFailsForAnotherReason", ForgetfulFileSystem::ModeFailsOtherwise, EIO,
                      FileCopyResult::WriteFailed}),
    [](const auto& info) { return std::string(info.param.label); });

// Writes down the calls that matter for durability, with the file each one
// concerns.
class JournalingFileSystem : public ForwardingFileSystem {
public:
    FileHandle Create(const std::string& path, bool exclusive, unsigned mode) override {
        const FileHandle h = m_target.Create(path, exclusive, mode);
        m_names[h] = Base(path);
        calls.push_back("create " + m_names[h] + " " + std::to_string(mode));
        return h;
    }
    bool SyncData(FileHandle h) override {
        calls.push_back("sync " + m_names[h]);
        return m_target.SyncData(h);
    }
    bool SyncFileSystem(const std::string& dir) override {
        calls.push_back("syncfs " + Base(dir));
        return m_target.SyncFileSystem(dir);
    }
    bool Rename(const std::string& from, const std::string& to) override {
        calls.push_back("rename " + Base(from) + " " + Base(to));
        return m_target.Rename(from, to);
    }
    bool SyncDirectory(const std::string& dir) override {
        calls.push_back("syncdir " + Base(dir));
        return m_target.SyncDirectory(dir);
    }

    std::vector<std::string> calls;

private:
    static std::string Base(const std::string& path) {
        std::size_t at = path.size();
        while (at > 0 && !IsPathSeparator(path[at - 1])) --at;
        return path.substr(at);
    }
    std::map<FileHandle, std::string> m_names;
};

class CopyDurability : public testing::TestWithParam<Durability> {};

TEST_P(CopyDurability, DataIsFlushedBeforeTheRenameAndTheDirectoryAfter) {
    TempDir t;
    const std::string a = t.MakeDir("A"), b = t.MakeDir("B");
    WriteFile(a + "/f", "1", kNew);
    WriteFile(a + "/g", "2", kNew);
    CopyTables tables;
    tables.AddPair(a, b);
    tables.AddEntry(0, "f", kNew, 0);
    tables.AddEntry(0, "g", kNew, 0);
    CopyOptions options;
    options.durability = GetParam();

    JournalingFileSystem fs;
    RecordingObserver obs;
    ASSERT_EQ(tables.CopyAll(fs, obs, options).copied, 2);

    // Temporary names differ from run to run: name them by their order.
    std::vector<std::string> calls;
    std::map<std::string, std::string> alias;
    for (std::string call : fs.calls) {
        for (const auto& [name, shortName] : alias) {
            const std::size_t at = call.find(name);
            if (at != std::string::npos) call.replace(at, name.size(), shortName);
        }
        if (call.rfind("create ", 0) == 0) {
            const std::string name = call.substr(7, call.rfind(' ') - 7);
            alias[name] = "T" + std::to_string(alias.size() + 1);
            call.replace(7, name.size(), alias[name]);
        }
        calls.push_back(call);
    }
    const std::vector<std::string> expected =
        GetParam() == Durability::EachFile
            ? std::vector<std::string>{"create T1 384", "sync T1", "create T2 384", "sync T2",
                                       "rename T1 f", "rename T2 g", "syncdir B"}
            : std::vector<std::string>{"create T1 384", "create T2 384", "syncfs B",
                                       "rename T1 f", "rename T2 g", "syncdir B"};
    EXPECT_EQ(calls, expected) << "temporary files are created 0600 (384)";
}

INSTANTIATE_TEST_SUITE_P(Ways, CopyDurability, testing::Values(Durability::EachFile, Durability::FileSystem),
                         [](const auto& info) {
                             return std::string(info.param == Durability::EachFile ? "EachFile" : "FileSystem");
                         });

// A source whose status differs in one detail between before and after the
// copy, as a write in place would leave it.
class ShiftingSourceFileSystem : public ForwardingFileSystem {
public:
    explicit ShiftingSourceFileSystem(std::function<void(FileStatus&)> shift) : m_shift(std::move(shift)) {}
    bool GetStatus(const std::string& path, FileStatus& st) override {
        if (!m_target.GetStatus(path, st)) return false;
        // 1: the run's sizes, 2: before the copy, 3: after it.
        if (path.find(std::string("/A") + kPathSeparator) != std::string::npos && ++m_calls == 3) m_shift(st);
        return true;
    }

private:
    std::function<void(FileStatus&)> m_shift;
    int m_calls = 0;
};

TEST(CopySourceIdentity, AnyTraceOfAWriteDuringTheCopyRefusesTheFile) {
    const std::pair<const char*, std::function<void(FileStatus&)>> shifts[] = {
        {"modification nanoseconds", [](FileStatus& st) { st.mtimeNsec += 1; }},
        {"change time", [](FileStatus& st) { st.ctime += 1; }},
        {"change nanoseconds", [](FileStatus& st) { st.ctimeNsec += 1; }},
        {"inode", [](FileStatus& st) { st.inode += 1; }},
        {"size", [](FileStatus& st) { st.size += 1; }},
    };
    for (const auto& [label, shift] : shifts) {
        TempDir t;
        const std::string a = t.MakeDir("A"), b = t.MakeDir("B");
        WriteFile(a + "/f", "new", kNew);
        WriteFile(b + "/f", "old", kOld);
        CopyTables tables;
        tables.AddPair(a, b);
        tables.AddEntry(0, "f", kNew, kOld, "f");
        ShiftingSourceFileSystem fs(shift);
        RecordingObserver obs;
        tables.CopyAll(fs, obs);
        EXPECT_EQ(obs.reasons, std::vector<FileCopyResult>{FileCopyResult::SourceChanged}) << label;
        EXPECT_EQ(ReadFile(b + "/f"), "old") << label;
        EXPECT_EQ(ListNames(b), "f") << label;
    }
}

// Permission bits, the umask, owners and FUSE mounts are POSIX's.
#ifndef _WIN32
// Permission bits of the copy on real directories.
struct ModeCase {
    const char* label;
    unsigned sourceMode;
    int destinationMode;  // -1: no destination yet
    unsigned umaskBits;
    unsigned expected;
};

class CopyModes : public testing::TestWithParam<ModeCase> {};

TEST_P(CopyModes, NewFilesFollowTheSourceAndReplacedFilesKeepTheirOwn) {
    const ModeCase& c = GetParam();
    TempDir t;
    const std::string a = t.MakeDir("A"), b = t.MakeDir("B");
    WriteFile(a + "/f", "new", kNew);
    ASSERT_EQ(chmod((a + "/f").c_str(), c.sourceMode), 0);
    if (c.destinationMode >= 0) {
        WriteFile(b + "/f", "old", kOld);
        ASSERT_EQ(chmod((b + "/f").c_str(), static_cast<mode_t>(c.destinationMode)), 0);
    }
    CopyTables tables;
    tables.AddPair(a, b);
    tables.AddEntry(0, "f", kNew, c.destinationMode >= 0 ? kOld : 0, c.destinationMode >= 0 ? "f" : "");

    const mode_t oldMask = umask(c.umaskBits);
    RecordingObserver obs;
    const CopyRunSummary s = tables.CopyAll(RealFileSystem(), obs);
    umask(oldMask);

    EXPECT_EQ(s.copied, 1);
    EXPECT_EQ(ModeOf(b + "/f"), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CopyModes,
    testing::Values(ModeCase{"PrivateKeyStaysPrivate", 0600, -1, 022, 0600},
                    ModeCase{"ExecutableKeepsItsXBit", 0755, -1, 022, 0755},
                    ModeCase{"UmaskApplies", 0666, -1, 027, 0640},
                    ModeCase{"SetIdBitsAreNotCopied", 04755, -1, 022, 0755},
                    ModeCase{"ReplacedKeepsItsOwnBits", 0600, 0754, 022, 0754},
                    ModeCase{"ReplacedPrivateStaysPrivate", 0644, 0600, 0, 0600}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(CopyOwners, AsRootAReplacedFileKeepsItsOwnerAndGroup) {
    if (geteuid() != 0) GTEST_SKIP() << "only root can give a file to another owner";
    TempDir t;
    const std::string a = t.MakeDir("A"), b = t.MakeDir("B");
    WriteFile(a + "/f", "new", kNew);
    WriteFile(b + "/f", "old", kOld);
    ASSERT_EQ(chown((b + "/f").c_str(), 65534, 65534), 0);
    ASSERT_EQ(chmod((b + "/f").c_str(), 0600), 0);
    CopyTables tables;
    tables.AddPair(a, b);
    tables.AddEntry(0, "f", kNew, kOld, "f");
    RecordingObserver obs;
    EXPECT_EQ(tables.CopyAll(RealFileSystem(), obs).copied, 1);
    EXPECT_EQ(StatOf(b + "/f").st_uid, 65534u);
    EXPECT_EQ(StatOf(b + "/f").st_gid, 65534u);
    EXPECT_EQ(ModeOf(b + "/f"), 0600u);
}

TEST(CopyOnFat, TimesStickAndTheMissingModesAndOwnersDoNotFail) {
    if (geteuid() != 0) GTEST_SKIP() << "mounting a FAT image through FUSE needs root";
    if (access("/dev/fuse", R_OK | W_OK) != 0) GTEST_SKIP() << "no /dev/fuse";
    if (std::system("command -v fusefat >/dev/null && command -v mkfs.vfat >/dev/null") != 0)
        GTEST_SKIP() << "fusefat or mkfs.vfat is not installed";
    TempDir t;
    const ImageMount fat(t, "fat", "16M", "mkfs.vfat", "fusefat -o rw+", "fusermount -u");
    if (!fat.mounted()) GTEST_SKIP() << "fusefat could not mount an image here";
    const std::string a = t.MakeDir("A"), b = fat.dir();
    constexpr FileTime kEven = 1600000000;
    WriteFile(a + "/replaced", "new", kEven);
    WriteFile(b + "/replaced", "old");
    // Both times: this file system ignores the modification time alone.
    const struct timespec old[2] = {{kOld, 0}, {kOld, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, (b + "/replaced").c_str(), old, 0), 0);
    WriteFile(a + "/fresh", "fresh", kEven);
    WriteFile(a + "/odd", "odd", kEven + 1);
    CopyTables tables;
    tables.AddPair(a, b);
    tables.AddEntry(0, "replaced", kEven, kOld, "replaced");
    tables.AddEntry(0, "fresh", kEven, 0);
    tables.AddEntry(0, "odd", kEven + 1, 0);

    RecordingObserver obs;
    tables.CopyAll(RealFileSystem(), obs);

    // An odd second is kept only where the file system says that it keeps
    // times in 2-second steps; else the copy must report it.
    const bool twoSeconds = RealFileSystem().TimeGranularity(b) >= 2;
    EXPECT_EQ(obs.events.size(), 6u);
    EXPECT_EQ(obs.reasons, twoSeconds ? std::vector<FileCopyResult>{}
                                      : std::vector<FileCopyResult>{FileCopyResult::TimeNotKept});
    EXPECT_EQ(ReadFile(b + "/replaced"), "new");
    EXPECT_EQ(ModTime(b + "/replaced"), kEven);
    EXPECT_EQ(ModTime(b + "/fresh"), kEven);
    EXPECT_LE(std::llabs(ModTime(b + "/odd") - (kEven + 1)), 1);
    EXPECT_EQ(TempLeftovers(b), "");
}

#endif  // !_WIN32

}  // namespace
