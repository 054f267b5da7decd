// Faults in the middle of a copy, provoked through a forwarding file system:
// whatever fails, the destination must be byte for byte what it was (or still
// absent), no temporary file may stay behind, and the run goes on.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <unistd.h>
#else
// An errno value that Windows has no name for, used here only as a value that
// no failing call of these tests sets.
#define ESTALE 116
#endif

#include <algorithm>
#include <cerrno>
#include <functional>
#include <optional>
#include <set>
#include <utility>

#include "copy_test_helpers.h"
#include "core/error_codes.h"
#include "support/forwarding_fs.h"
#include "texts/texts.h"

namespace {

constexpr FileTime kOld = 1500000000;
constexpr FileTime kNew = 1600000000;
// Reads and kernel copies are cut to this size, so a file of a few of them
// has a start, a middle and an end.
constexpr std::size_t kStep = 4096;

std::string Pattern(std::size_t n, char seed) {
    std::string s(n, 0);
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>(seed + i * 7 + i / 251);
    return s;
}

enum class Op { Read, Write, CopyChunk, Create, SetMode, SetTimes, CloseOut, Flush, Rename };

// Fails the n-th call (1-based) of one operation, once, with `error` in
// errno; the calls before and after it go through. Closing and removing
// files leave another errno behind, so a failure's errno must be taken
// before the cleanup.
class FaultyFileSystem : public ForwardingFileSystem {
public:
    FaultyFileSystem(Op op, int failOnCall, bool kernelCopy, int error)
        : m_op(op), m_failOnCall(failOnCall), m_kernelCopy(kernelCopy), m_error(error) {}

    FileHandle Create(const std::string& path, bool exclusive, unsigned mode) override {
        if (Fails(Op::Create)) return kInvalidHandle;
        const FileHandle h = m_target.Create(path, exclusive, mode);
        m_created.insert(h);
        return h;
    }
    long long Read(FileHandle h, void* buf, std::size_t n) override {
        if (Fails(Op::Read)) return -1;
        return m_target.Read(h, buf, std::min(n, kStep));
    }
    long long Write(FileHandle h, const void* buf, std::size_t n) override {
        if (Fails(Op::Write)) return -1;
        return m_target.Write(h, buf, n);
    }
    long long CopyChunk(FileHandle in, FileHandle out, std::size_t n) override {
        if (!m_kernelCopy) return kCopyUnsupported;
        if (Fails(Op::CopyChunk)) return -1;
        return m_target.CopyChunk(in, out, std::min(n, kStep));
    }
    bool SetMode(FileHandle h, unsigned mode) override { return !Fails(Op::SetMode) && m_target.SetMode(h, mode); }
    bool SetTimes(FileHandle h, FileTime atime, std::int32_t atimeNsec, FileTime mtime,
                  std::int32_t mtimeNsec) override {
        return !Fails(Op::SetTimes) && m_target.SetTimes(h, atime, atimeNsec, mtime, mtimeNsec);
    }
    bool SyncFileSystem(const std::string& dir) override {
        return !Fails(Op::Flush) && m_target.SyncFileSystem(dir);
    }
    bool Close(FileHandle h) override {
        const bool ok = m_target.Close(h);
        const bool fails = m_created.erase(h) && Fails(Op::CloseOut);
        if (!fails) errno = ESTALE;
        return fails ? false : ok;
    }
    bool Rename(const std::string& from, const std::string& to) override {
        return !Fails(Op::Rename) && m_target.Rename(from, to);
    }
    bool Remove(const std::string& path) override {
        const bool ok = m_target.Remove(path);
        errno = ESTALE;
        return ok;
    }

    bool fired() const { return m_fired; }

private:
    bool Fails(Op op) {
        if (op != m_op || m_fired) return false;
        if (++m_calls < m_failOnCall) return false;
        m_fired = true;
        errno = m_error;
        return true;
    }

    Op m_op;
    int m_failOnCall;
    bool m_kernelCopy;
    int m_error;
    int m_calls = 0;
    bool m_fired = false;
    std::set<FileHandle> m_created;
};

struct FaultCase {
    const char* label;
    Op op;
    int failOnCall;
    bool kernelCopy;
    int error;
    TextId reason;  // the words the user gets for it
};

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.label; }

// The first file has 5 full steps and a tail: 6 reads or kernel copies with
// data (then one that finds the end), 6 writes.
constexpr std::size_t kFirstSize = 5 * kStep + 100;

class CopyFault : public testing::TestWithParam<std::tuple<FaultCase, bool>> {};

TEST_P(CopyFault, LeavesTheDestinationAsItWasAndGoesOn) {
    const auto& [c, destinationExists] = GetParam();
#ifdef _WIN32
    if (c.op == Op::CopyChunk) GTEST_SKIP() << "Windows copies no range between two handles: no kernel copy to fail";
#endif
    TempDir t;
    const std::string a = t.MakeDir("A"), b = t.MakeDir("B");
    const std::string source = Pattern(kFirstSize, 'a');
    const std::string old = Pattern(3 * kStep + 5, 'z');
    WriteFile(a + "/first", source, kNew);
    WriteFile(a + "/second", Pattern(kStep + 1, 'q'), kNew);
    if (destinationExists) {
        WriteFile(b + "/first", old, kOld);
#ifndef _WIN32
        ASSERT_EQ(chmod((b + "/first").c_str(), 0640), 0);
#endif
    }
    CopyTables tables;
    tables.AddPair(a, b);
    tables.AddEntry(0, "first", kNew, destinationExists ? kOld : 0, destinationExists ? "first" : "");
    tables.AddEntry(0, "second", kNew, 0);
    // Each file in a batch of its own, so that a fault at the flush or the
    // rename meets only the first file.
    CopyOptions oneByOne;
    oneByOne.batchFiles = 1;

    FaultyFileSystem fs(c.op, c.failOnCall, c.kernelCopy, c.error);
    RecordingObserver obs;
    const CopyRunSummary s = tables.CopyAll(fs, obs, oneByOne);

    ASSERT_TRUE(fs.fired()) << "the fault was never provoked";
    EXPECT_EQ(s.failed, 1);
    EXPECT_EQ(obs.events, (std::vector<std::string>{"start 0 first " + a + " -> " + b, "failed 0",
                                                    "start 1 second " + a + " -> " + b, "copied 1"}));
    EXPECT_EQ(obs.messages, (std::vector<std::string>{"firstのコピーに失敗しました。\n"}));
    EXPECT_EQ(obs.errors, (std::vector<int>{c.error})) << "the errno of the call that failed";
    EXPECT_EQ(FormatCopyFailureReason(obs.reasons.at(0), obs.errors.at(0)).rfind(Text(c.reason), 0), 0u)
        << FormatCopyFailureReason(obs.reasons.at(0), obs.errors.at(0));
    EXPECT_EQ(TempLeftovers(b), "");
    EXPECT_EQ(ReadFile(a + "/first"), source);
    EXPECT_EQ(ModTime(a + "/first"), kNew);
    EXPECT_EQ(ReadFile(b + "/second"), Pattern(kStep + 1, 'q'));
    if (destinationExists) {
        EXPECT_EQ(ReadFile(b + "/first"), old);
        EXPECT_EQ(ModTime(b + "/first"), kOld);
#ifndef _WIN32
        EXPECT_EQ(ModeOf(b + "/first"), 0640u);  // Windows keeps no permission bits
#endif
    } else {
        EXPECT_FALSE(FileExists(b + "/first"));
    }
    EXPECT_EQ(obs.progress.back().first, obs.progress.back().second) << "a failed file still fills the bar";
}

std::string FaultName(const testing::TestParamInfo<std::tuple<FaultCase, bool>>& info) {
    return std::string(std::get<0>(info.param).label) + (std::get<1>(info.param) ? "_Replacing" : "_New");
}

INSTANTIATE_TEST_SUITE_P(
    Faults, CopyFault,
    testing::Combine(testing::Values(FaultCase{"ReadErrorAtStart", Op::Read, 1, false, EIO, TextId::CopyReasonReadFailed},
                                     FaultCase{"ReadErrorInTheMiddle", Op::Read, 3, false, EIO, TextId::CopyReasonReadFailed},
                                     FaultCase{"ReadErrorAtTheEnd", Op::Read, 7, false, EIO, TextId::CopyReasonReadFailed},
                                     FaultCase{"DiskFullAtStart", Op::Write, 1, false, ENOSPC, TextId::CopyReasonDiskFull},
                                     FaultCase{"DiskFullInTheMiddle", Op::Write, 3, false, ENOSPC, TextId::CopyReasonDiskFull},
                                     FaultCase{"DiskFullAtTheEnd", Op::Write, 6, false, kErrorQuotaExceeded, TextId::CopyReasonQuota},
                                     FaultCase{"KernelCopyErrorInTheMiddle", Op::CopyChunk, 3, true, EIO, TextId::CopyReasonWriteFailed},
                                     FaultCase{"TemporaryFileCannotBeCreated", Op::Create, 1, true, EACCES, TextId::CopyReasonNoPermission},
                                     FaultCase{"ModeCannotBeSet", Op::SetMode, 1, true, EIO, TextId::CopyReasonWriteFailed},
                                     FaultCase{"TimeCannotBeSet", Op::SetTimes, 1, true, EIO, TextId::CopyReasonWriteFailed},
                                     FaultCase{"CloseFails", Op::CloseOut, 1, true, EIO, TextId::CopyReasonWriteFailed},
                                     FaultCase{"FlushFails", Op::Flush, 1, true, EIO, TextId::CopyReasonWriteFailed},
                                     FaultCase{"RenameFails", Op::Rename, 1, true, EXDEV, TextId::CopyReasonWriteFailed}),
                     testing::Bool()),
    FaultName);
// File systems that behave unusually but correctly: the copy must still
// produce the source's bytes exactly.
class QuirkyFileSystem : public ForwardingFileSystem {
public:
    enum Quirk { NoKernelCopy, KernelCopyStopsEarly, ShortWrites };
    explicit QuirkyFileSystem(Quirk q) : m_quirk(q) {}

    long long CopyChunk(FileHandle in, FileHandle out, std::size_t n) override {
        if (m_quirk == NoKernelCopy || m_quirk == ShortWrites) return kCopyUnsupported;
        // Copies one step, then claims to be at the end.
        if (m_chunks++ > 0) return 0;
        return m_target.CopyChunk(in, out, std::min(n, kStep));
    }
    long long Write(FileHandle h, const void* buf, std::size_t n) override {
        return m_target.Write(h, buf, m_quirk == ShortWrites ? std::min<std::size_t>(n, 1000) : n);
    }

private:
    Quirk m_quirk;
    int m_chunks = 0;
};

constexpr const char* kQuirkNames[] = {"NoKernelCopy", "KernelCopyStopsEarly", "ShortWrites"};

class CopyQuirk : public testing::TestWithParam<QuirkyFileSystem::Quirk> {};

TEST_P(CopyQuirk, ProducesIdenticalBytes) {
    TempDir t;
    const std::string a = t.MakeDir("A"), b = t.MakeDir("B");
    // Larger than the fallback buffer, so the read/write loop turns over.
    const std::string source = Pattern(FileCopier::kBufferBytes * 2 + 12345, 'k');
    WriteFile(a + "/f", source, kNew);
    WriteFile(b + "/f", "old", kOld);
    CopyTables tables;
    tables.AddPair(a, b);
    tables.AddEntry(0, "f", kNew, kOld, "f");

    QuirkyFileSystem fs(GetParam());
    RecordingObserver obs;
    EXPECT_EQ(tables.CopyAll(fs, obs).copied, 1);
    EXPECT_TRUE(ReadFile(b + "/f") == source);
    EXPECT_EQ(ModTime(b + "/f"), kNew);
    EXPECT_EQ(ListNames(b), "f");
}

INSTANTIATE_TEST_SUITE_P(Quirks, CopyQuirk,
                         testing::Values(QuirkyFileSystem::NoKernelCopy, QuirkyFileSystem::KernelCopyStopsEarly,
                                         QuirkyFileSystem::ShortWrites),
                         [](const auto& info) { return std::string(kQuirkNames[info.param]); });

// Changes made by someone else while a file is being copied.
class MeddlingFileSystem : public ForwardingFileSystem {
public:
    std::function<void()> duringCopy;  // runs once, at the first data transfer
    std::function<void(int call)> onStatus;  // runs before each status query

    bool GetStatus(const std::string& path, FileStatus& st) override {
        if (onStatus) onStatus(++m_statusCalls);
        return m_target.GetStatus(path, st);
    }
    long long CopyChunk(FileHandle in, FileHandle out, std::size_t n) override {
        if (duringCopy) std::exchange(duringCopy, nullptr)();
        return m_target.CopyChunk(in, out, n);
    }
    FileHandle Create(const std::string& path, bool exclusive, unsigned mode) override {
        // The first temporary name is taken by another process just before.
        if (exclusive && clashOnce) {
            clashOnce = false;
            WriteFile(path, "someone else's");
            planted = path;
        }
        return m_target.Create(path, exclusive, mode);
    }
    bool clashOnce = false;
    std::string planted;

private:
    int m_statusCalls = 0;
};

TEST(CopyInterference, AChangeToEitherSideDuringTheCopyIsNotOverwrittenOrInstalled) {
    struct Case {
        const char* label;
        bool destinationExisted;
        // What someone else does to A/f or B/f while the copy runs.
        void (*meddle)(const std::string& a, const std::string& b);
        FileCopyResult reason;
        const char* expectB;  // what B/f is afterwards
    };
    const Case cases[] = {
        {"SourceEdited", true, [](const std::string& a, const std::string&) {
             WriteFile(a + "/f", "edited meanwhile", ModTime(a + "/f"));
         }, FileCopyResult::SourceChanged, "file old"},
        // Same size, time set back: only the change time tells.
        {"SourceTornInPlace", true, [](const std::string& a, const std::string&) {
             WriteFile(a + "/f", "NEW", ModTime(a + "/f"));
         }, FileCopyResult::SourceChanged, "file old"},
        {"DestinationEdited", true, [](const std::string&, const std::string& b) {
             WriteFile(b + "/f", "edited meanwhile", ModTime(b + "/f"));
         }, FileCopyResult::DestinationChanged, "file edited meanwhile"},
#ifndef _WIN32
        {"DanglingLinkAppeared", false, [](const std::string&, const std::string& b) {
             symlink("nowhere", (b + "/f").c_str());
         }, FileCopyResult::DestinationChanged, "link nowhere"},
#endif
    };
    for (const Case& c : cases) {
        TempDir t;
        const std::string a = t.MakeDir("A"), b = t.MakeDir("B");
        WriteFile(a + "/f", "new", kNew);
        if (c.destinationExisted) WriteFile(b + "/f", "old", kOld);
        CopyTables tables;
        tables.AddPair(a, b);
        tables.AddEntry(0, "f", kNew, c.destinationExisted ? kOld : 0, c.destinationExisted ? "f" : "");
        MeddlingFileSystem fs;
        fs.duringCopy = [&] { c.meddle(a, b); };

        RecordingObserver obs;
        EXPECT_EQ(tables.CopyAll(fs, obs).failed, 1) << c.label;
        EXPECT_EQ(obs.reasons, (std::vector<FileCopyResult>{c.reason})) << c.label;
#ifndef _WIN32
        char target[64] = {};
        const std::string now = readlink((b + "/f").c_str(), target, sizeof target - 1) > 0
                                    ? std::string("link ") + target
                                    : "file " + ReadFile(b + "/f");
#else
        const std::string now = "file " + ReadFile(b + "/f");
#endif
        EXPECT_EQ(now, c.expectB) << c.label;
        EXPECT_EQ(ListNames(b), "f") << c.label;
    }
}

TEST(CopyInterference, ASourceThatGrewSinceTheRunStartedNeverPushesTheBarPastItsEnd) {
    TempDir t;
    const std::string a = t.MakeDir("A"), b = t.MakeDir("B");
    WriteFile(a + "/f", "small", kNew);
    CopyTables tables;
    tables.AddPair(a, b);
    tables.AddEntry(0, "f", kNew, 0);
    MeddlingFileSystem fs;
    // After the run has taken the sizes, before the file itself is looked at.
    fs.onStatus = [&](int call) {
        if (call == 2) WriteFile(a + "/f", Pattern(5 * kStep, 'g'), kNew);
    };

    RecordingObserver obs;
    EXPECT_EQ(tables.CopyAll(fs, obs).copied, 1);
    EXPECT_EQ(ReadFile(b + "/f"), Pattern(5 * kStep, 'g'));
    for (const auto& [done, total] : obs.progress) EXPECT_LE(done, total);
}

TEST(CopyInterference, ATakenTemporaryNameIsLeftAloneAndAnotherIsTried) {
    TempDir t;
    const std::string a = t.MakeDir("A"), b = t.MakeDir("B");
    WriteFile(a + "/f", "new", kNew);
    CopyTables tables;
    tables.AddPair(a, b);
    tables.AddEntry(0, "f", kNew, 0);
    MeddlingFileSystem fs;
    fs.clashOnce = true;

    RecordingObserver obs;
    EXPECT_EQ(tables.CopyAll(fs, obs).copied, 1);
    EXPECT_EQ(ReadFile(b + "/f"), "new");
    EXPECT_EQ(ReadFile(fs.planted), "someone else's");
}

// Records every look at a source or a destination by the path calls alone
// (paths relative to root), and makes one of them fail. The copy asks about
// names in open directories; on a file system that opens none, those calls
// must all arrive here, in order, so that a fault injected here reaches it.
class CheckRecordingFileSystem : public ForwardingFileSystem {
public:
    CheckRecordingFileSystem(std::string root, int failAt) : m_root(std::move(root)), m_failAt(failAt) {}

    bool GetStatus(const std::string& path, FileStatus& st) override {
        return Check("status", path) && m_target.GetStatus(path, st);
    }
    bool GetLinkStatus(const std::string& path, FileStatus& st) override {
        return Check("link", path) && m_target.GetLinkStatus(path, st);
    }
    bool IsWritable(const std::string& path) override {
        return Check("writable", path) && m_target.IsWritable(path);
    }

    std::vector<std::string> calls;

private:
    bool Check(const char* what, const std::string& path) {
        std::string name = path.substr(m_root.size() + 1);
        std::replace(name.begin(), name.end(), kPathSeparator, '/');  // the cases are written with '/'
        calls.push_back(std::string(what) + " " + name);
        if (static_cast<int>(calls.size()) - 1 != m_failAt) return true;
        errno = EIO;
        return false;
    }

    std::string m_root;
    int m_failAt;
};

struct CheckCase {
    const char* label;
    const char* name;
    bool destinationExists;
    int failAt;  // index of the call that fails; -1: none
    std::optional<FileCopyResult> failure;
    int error;  // errno reported with the failure
    std::vector<std::string> calls;
};

void PrintTo(const CheckCase& c, std::ostream* os) { *os << c.label; }

class CopyChecks : public testing::TestWithParam<CheckCase> {};

TEST_P(CopyChecks, EveryCheckReachesAFileSystemThatOverridesOnlyThePathCalls) {
    const CheckCase& c = GetParam();
    TempDir t;
    const std::string a = t.MakeDir("A"), b = t.MakeDir("B");
    t.MakeDir("A/sub");
    t.MakeDir("B/sub");
    WriteFile(a + "/" + c.name, "new", kNew);
    if (c.destinationExists) WriteFile(b + "/" + c.name, "old", kOld);
    CopyTables tables;
    tables.AddPair(a, b);
    tables.AddEntry(0, c.name, kNew, c.destinationExists ? kOld : 0, c.destinationExists ? c.name : "");
    CheckRecordingFileSystem fs(t.path(), c.failAt);

    RecordingObserver obs;
    tables.CopyAll(fs, obs);

    EXPECT_EQ(fs.calls, c.calls);
    EXPECT_EQ(obs.reasons, c.failure ? std::vector<FileCopyResult>{*c.failure} : std::vector<FileCopyResult>{});
    EXPECT_EQ(obs.errors, c.failure ? std::vector<int>{c.error} : std::vector<int>{});
    const std::string destination = b + "/" + c.name;
    EXPECT_EQ(FileExists(destination) ? ReadFile(destination) : "(none)",
              !c.failure ? "new" : c.destinationExists ? "old" : "(none)");
    EXPECT_EQ(TempLeftovers(b), "");
}

INSTANTIATE_TEST_SUITE_P(
    Checks, CopyChecks,
    testing::Values(
        CheckCase{"ReplacesAnOlderFile", "f", true, -1, std::nullopt, 0,
                  {"status A/f", "status A/f", "link B/f", "writable B/f", "status A/f", "link B/f", "status B/f"}},
        CheckCase{"AddsAMissingFile", "f", false, -1, std::nullopt, 0,
                  {"status A/f", "status A/f", "link B/f", "status A/f", "link B/f", "status B/f"}},
        // Each folder on the way is asked for itself: a link there would be refused.
        CheckCase{"FileInASubfolder", "sub/f", true, -1, std::nullopt, 0,
                  {"link A/sub", "status A/sub/f", "link B/sub", "link B/sub", "link A/sub", "status A/sub/f",
                   "link B/sub", "link B/sub/f", "writable B/sub/f", "status A/sub/f", "link B/sub/f",
                   "status B/sub/f"}},
        CheckCase{"SourceOutOfReach", "f", true, 1, FileCopyResult::SourceUnavailable, EIO,
                  {"status A/f", "status A/f"}},
        CheckCase{"DestinationNotWritable", "f", true, 3, FileCopyResult::DestinationProtected, EIO,
                  {"status A/f", "status A/f", "link B/f", "writable B/f"}},
        CheckCase{"DestinationGoneBeforeTheRename", "f", true, 5, FileCopyResult::DestinationChanged, 0,
                  {"status A/f", "status A/f", "link B/f", "writable B/f", "status A/f", "link B/f"}}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(CopyTempName, IsRecognisedAsTemporaryAndNeverRepeats) {
    std::set<std::string> seen;
    for (int i = 0; i < 1000; ++i) {
        const std::string name = MakeCopyTempName();
        EXPECT_TRUE(IsCopyTempName(name)) << name;
        EXPECT_TRUE(seen.insert(name).second) << name;
    }
}

}  // namespace
