// The copy run on real directories: directions, selection, what the observer
// hears, times, permission bits and the files it must leave alone.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <map>

#include "copy_test_helpers.h"
#include "texts/texts.h"
#include "support/forwarding_fs.h"

namespace {

constexpr FileTime kOld = 1500000000;
constexpr FileTime kNew = 1600000000;

struct Side {
    const char* content;  // nullptr: no such file
    FileTime time;
};

struct DirectionCase {
    const char* label;
    Side a;
    Side b;
    const char* expectA;  // content of A/f afterwards; nullptr: absent
    const char* expectB;
};

void PrintTo(const DirectionCase& c, std::ostream* os) { *os << c.label; }

class CopyDirection : public testing::TestWithParam<DirectionCase> {};

TEST_P(CopyDirection, NewerOrOnlySideReplacesTheOther) {
    const DirectionCase& c = GetParam();
    TempDir t;
    const std::string a = t.MakeDir("A"), b = t.MakeDir("B");
    for (const auto& [dir, side] : {std::pair{a, c.a}, std::pair{b, c.b}}) {
        if (!side.content) continue;
        WriteFile(dir + "/f", side.content);
        const struct timespec times[2] = {{side.time, 0}, {side.time, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, (dir + "/f").c_str(), times, 0), 0);
    }
    CopyTables tables;
    tables.AddPair(a, b);
    tables.AddEntry(0, "f", c.a.time, c.b.time, c.b.content ? "f" : "");
    // Which sides have the file does not follow from the times: 0 is a date.
    tables.diffs->entries[0].inA = c.a.content != nullptr;
    tables.diffs->entries[0].inB = c.b.content != nullptr;

    RecordingObserver obs;
    const CopyRunSummary s = tables.CopyAll(RealFileSystem(), obs);

    EXPECT_EQ(s.copied, 1);
    EXPECT_EQ(s.failed, 0);
    for (const auto& [dir, expect] : {std::pair{a, c.expectA}, std::pair{b, c.expectB}}) {
        ASSERT_TRUE(FileExists(dir + "/f")) << dir;
        EXPECT_EQ(ReadFile(dir + "/f"), expect) << dir;
        EXPECT_EQ(ListNames(dir), "f") << "no temporary file may be left in " << dir;
    }
    EXPECT_EQ(ModTime(a + "/f"), ModTime(b + "/f"));
    const bool aToB = c.a.content && (!c.b.content || c.b.time < c.a.time);
    EXPECT_EQ(ModTime(aToB ? b + "/f" : a + "/f"), aToB ? c.a.time : c.b.time);
    const std::string expectedStart = aToB ? "start 0 f " + a + " -> " + b : "start 0 f " + b + " -> " + a;
    EXPECT_EQ(obs.events, (std::vector<std::string>{expectedStart, "copied 0"}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CopyDirection,
    testing::Values(DirectionCase{"OnlyInA", {"alpha", kOld}, {nullptr, 0}, "alpha", "alpha"},
                    DirectionCase{"OnlyInB", {nullptr, 0}, {"beta", kOld}, "beta", "beta"},
                    DirectionCase{"ANewer", {"new A", kNew}, {"old B, longer", kOld}, "new A", "new A"},
                    DirectionCase{"BNewer", {"old A, longer", kOld}, {"new B", kNew}, "new B", "new B"},
                    DirectionCase{"EmptyFile", {"", kNew}, {"old", kOld}, "", ""},
                    DirectionCase{"DestinationDated1970", {"new A", kNew}, {"old B", 0}, "new A", "new A"},
                    DirectionCase{"SourceDated1970", {nullptr, 0}, {"only B", 0}, "only B", "only B"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(CopyRun, CopiesOnlySelectedRowsInRowOrderAndReportsBytes) {
    TempDir t;
    const std::string a = t.MakeDir("A"), b = t.MakeDir("B");
    const std::string contents[] = {"0", "one", "two!", "three", "four!!"};
    CopyTables tables;
    tables.AddPair(a, b);
    for (int i = 0; i < 5; ++i) {
        const std::string name = "f" + std::to_string(i);
        WriteFile(a + "/" + name, contents[i], kNew);
        tables.AddEntry(0, name, kNew, 0);
    }

    RecordingObserver obs;
    const CopyRunSummary s = tables.CopyRows({1, 3, 4}, RealFileSystem(), obs);

    EXPECT_EQ(s.selected, 3);
    EXPECT_EQ(s.copied, 3);
    EXPECT_EQ(ListNames(b), "f1 f3 f4");
    // The three go to their temporary names first, then are put in place.
    EXPECT_EQ(obs.events, (std::vector<std::string>{"start 1 f1 " + a + " -> " + b,
                                                    "start 3 f3 " + a + " -> " + b,
                                                    "start 4 f4 " + a + " -> " + b, "copied 1", "copied 3",
                                                    "copied 4"}));
    const std::uint64_t total = 3 + 5 + 6;
    ASSERT_FALSE(obs.progress.empty());
    EXPECT_EQ(obs.progress.front(), std::make_pair(std::uint64_t{0}, total));
    EXPECT_EQ(obs.progress.back(), std::make_pair(total, total));
    for (std::size_t i = 1; i < obs.progress.size(); ++i) {
        EXPECT_LE(obs.progress[i - 1].first, obs.progress[i].first);
        EXPECT_EQ(obs.progress[i].second, total);
    }
}

TEST(CopyRun, StampsTheSourcesTimeToTheNanosecondAndKeepsPermissionBits) {
    TempDir t;
    const std::string a = t.MakeDir("A"), b = t.MakeDir("B");
    WriteFile(a + "/kept", "new");
    const struct timespec times[2] = {{kOld + 7, 5}, {kNew, 123456789}};
    ASSERT_EQ(utimensat(AT_FDCWD, (a + "/kept").c_str(), times, 0), 0);
    WriteFile(b + "/kept", "old", kOld);
    WriteFile(a + "/fresh", "new", kNew);
    ASSERT_EQ(chmod((a + "/kept").c_str(), 0600), 0);
    ASSERT_EQ(chmod((b + "/kept").c_str(), 0754), 0);
    ASSERT_EQ(chmod((a + "/fresh").c_str(), 0700), 0);
    CopyTables tables;
    tables.AddPair(a, b);
    tables.AddEntry(0, "kept", kNew, kOld, "kept");
    tables.AddEntry(0, "fresh", kNew, 0);

    const mode_t oldMask = umask(027);
    RecordingObserver obs;
    tables.CopyAll(RealFileSystem(), obs);
    umask(oldMask);

    // Before the file is read, which may move its access time on.
    EXPECT_EQ(StatOf(b + "/kept").st_atim.tv_sec, kOld + 7) << "the access time comes from the source too";
    EXPECT_EQ(ReadFile(b + "/kept"), "new");
    EXPECT_EQ(StatOf(b + "/kept").st_mtim.tv_sec, kNew);
    EXPECT_EQ(StatOf(b + "/kept").st_mtim.tv_nsec, 123456789);
    EXPECT_EQ(ModeOf(b + "/kept"), 0754u);
    EXPECT_EQ(ModeOf(b + "/fresh"), 0700u);  // the source's 0700 under the umask 027
}

TEST(CopyRun, OverwritesBsOwnSpellingOfACaseDifferingName) {
    TempDir t;
    const std::string a = t.MakeDir("A"), b = t.MakeDir("B");
    WriteFile(a + "/Readme.TXT", "from A", kNew);
    WriteFile(b + "/README.txt", "old B", kOld);
    WriteFile(a + "/Notes.txt", "old A", kOld);
    WriteFile(b + "/NOTES.TXT", "from B", kNew);
    CopyTables tables;
    tables.AddPair(a, b);
    tables.AddEntry(0, "Readme.TXT", kNew, kOld, "README.txt");
    tables.AddEntry(0, "Notes.txt", kOld, kNew, "NOTES.TXT");

    RecordingObserver obs;
    EXPECT_EQ(tables.CopyAll(RealFileSystem(), obs).copied, 2);

    EXPECT_EQ(ListNames(a), "Notes.txt Readme.TXT");
    EXPECT_EQ(ListNames(b), "NOTES.TXT README.txt");
    EXPECT_EQ(ReadFile(b + "/README.txt"), "from A");
    EXPECT_EQ(ReadFile(a + "/Notes.txt"), "from B");
}

// Situations in which the copy must refuse a file and change nothing.
struct RefusalCase {
    const char* label;
    // Prepares A/f (the newer source) and the destination B/f; returns the
    // entry's timeB, i.e. what the comparison saw in B.
    FileTime (*prepare)(const std::string& a, const std::string& b);
    FileCopyResult reason;
    TextId words;  // what the user is told
};

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.label; }

FileTime ReadOnlyDestination(const std::string& a, const std::string& b) {
    WriteFile(a + "/f", "new", kNew);
    WriteFile(b + "/f", "protected", kOld);
    chmod((b + "/f").c_str(), 0444);
    return kOld;
}
FileTime DestinationChangedSinceComparison(const std::string& a, const std::string& b) {
    WriteFile(a + "/f", "new", kNew);
    WriteFile(b + "/f", "edited later", kOld + 60);
    return kOld;
}
FileTime DestinationAppearedSinceComparison(const std::string& a, const std::string& b) {
    WriteFile(a + "/f", "new", kNew);
    WriteFile(b + "/f", "created later", kOld);
    return 0;
}
FileTime DestinationVanishedSinceComparison(const std::string& a, const std::string&) {
    WriteFile(a + "/f", "new", kNew);
    return kOld;
}
FileTime DestinationIsADirectory(const std::string& a, const std::string& b) {
    WriteFile(a + "/f", "new", kNew);
    mkdir((b + "/f").c_str(), 0755);
    WriteFile(b + "/f/inside", "keep");
    return 0;
}
FileTime DestinationIsALink(const std::string& a, const std::string& b) {
    WriteFile(a + "/f", "new", kNew);
    WriteFile(b + "/target", "target", kOld);
    symlink("target", (b + "/f").c_str());
    return kOld;
}
FileTime DestinationIsADanglingLink(const std::string& a, const std::string& b) {
    WriteFile(a + "/f", "new", kNew);
    symlink("nowhere", (b + "/f").c_str());
    return 0;
}
FileTime DestinationDirectoryMissing(const std::string& a, const std::string& b) {
    WriteFile(a + "/f", "new", kNew);
    rmdir(b.c_str());
    return 0;
}
FileTime SourceVanished(const std::string&, const std::string& b) {
    WriteFile(b + "/f", "old", kOld);
    return kOld;
}
FileTime SourceIsNoLongerAFile(const std::string& a, const std::string& b) {
    mkdir((a + "/f").c_str(), 0755);
    WriteFile(b + "/f", "old", kOld);
    return kOld;
}

// Kind, content or link text, time and mode of a directory entry, as far as
// it exists.
std::string Snapshot(const std::string& path) {
    struct stat s;
    if (lstat(path.c_str(), &s) != 0) return "absent";
    std::string what;
    if (S_ISREG(s.st_mode)) {
        what = "file " + ReadFile(path);
    } else if (S_ISLNK(s.st_mode)) {
        char target[256] = {};
        what = std::string("link ") + (readlink(path.c_str(), target, sizeof target - 1) > 0 ? target : "");
    } else {
        what = "other";
    }
    return what + " " + std::to_string(s.st_mtim.tv_sec) + "." + std::to_string(s.st_mtim.tv_nsec) + " " +
           std::to_string(s.st_mode);
}

class CopyRefusal : public testing::TestWithParam<RefusalCase> {};

TEST_P(CopyRefusal, LeavesBothSidesAloneAndGoesOnWithTheNextRow) {
    const RefusalCase& c = GetParam();
    TempDir t;
    const std::string a = t.MakeDir("A"), b = t.MakeDir("B");
    const std::string a2 = t.MakeDir("A2"), b2 = t.MakeDir("B2");
    const FileTime comparedB = c.prepare(a, b);
    WriteFile(a2 + "/g", "next", kNew);
    CopyTables tables;
    tables.AddPair(a, b);
    tables.AddPair(a2, b2);
    tables.AddEntry(0, "f", kNew, comparedB);
    tables.AddEntry(1, "g", kNew, 0);
    const std::string before = ListNames(a) + " | " + ListNames(b);
    const std::string destination = Snapshot(b + "/f");

    RecordingObserver obs;
    const CopyRunSummary s = tables.CopyAll(RealFileSystem(), obs);

    EXPECT_EQ(s.copied, 1);
    EXPECT_EQ(s.failed, 1);
    ASSERT_EQ(obs.messages, (std::vector<std::string>{"fのコピーに失敗しました。\n"}));
    EXPECT_EQ(obs.reasons[0], c.reason);
    EXPECT_EQ(FormatCopyFailureReason(obs.reasons[0], obs.errors[0]), Text(c.words));
    EXPECT_EQ(obs.events.back(), "copied 1");
    EXPECT_EQ(ReadFile(b2 + "/g"), "next");
    EXPECT_EQ(Snapshot(b + "/f"), destination);
    EXPECT_EQ(ListNames(a) + " | " + ListNames(b), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CopyRefusal,
    testing::Values(
        RefusalCase{"ReadOnlyDestination", ReadOnlyDestination, FileCopyResult::DestinationProtected,
                    TextId::CopyReasonDestinationReadOnly},
        RefusalCase{"DestinationChanged", DestinationChangedSinceComparison, FileCopyResult::DestinationChanged,
                    TextId::CopyReasonDestinationChanged},
        RefusalCase{"DestinationAppeared", DestinationAppearedSinceComparison, FileCopyResult::DestinationChanged,
                    TextId::CopyReasonDestinationChanged},
        RefusalCase{"DestinationVanished", DestinationVanishedSinceComparison, FileCopyResult::DestinationChanged,
                    TextId::CopyReasonDestinationChanged},
        RefusalCase{"DestinationIsADirectory", DestinationIsADirectory, FileCopyResult::DestinationProtected,
                    TextId::CopyReasonDestinationFolder},
        RefusalCase{"DestinationIsALink", DestinationIsALink, FileCopyResult::DestinationProtected,
                    TextId::CopyReasonDestinationLink},
        RefusalCase{"DestinationIsADanglingLink", DestinationIsADanglingLink,
                    FileCopyResult::DestinationProtected, TextId::CopyReasonDestinationLink},
        RefusalCase{"DestinationDirectoryMissing", DestinationDirectoryMissing, FileCopyResult::WriteFailed,
                    TextId::CopyReasonDestinationFolderGone},
        RefusalCase{"SourceVanished", SourceVanished, FileCopyResult::SourceUnavailable,
                    TextId::CopyReasonSourceGone},
        RefusalCase{"SourceIsNoLongerAFile", SourceIsNoLongerAFile, FileCopyResult::SourceUnavailable,
                    TextId::CopyReasonSourceNotAFile}),
    [](const auto& info) { return std::string(info.param.label); });

// Hands out directory handles of its own and checks that a call on a name
// comes with one that is open and was opened for the path given with it. The
// calls themselves go by path, as on a file system without handles.
class DirectoryTrackingFileSystem : public ForwardingFileSystem {
public:
    DirectoryHandle OpenDirectory(const std::string& dir) override {
        opened += (opened.empty() ? "" : " ") + dir.substr(dir.rfind('/') + 1);
        m_open[m_next] = dir;
        return AdoptDirectory(m_next++);
    }
    // The calls that put a prepared file in place, after other files'
    // directories may have been opened and dropped.
    bool GetLinkStatusAt(const DirectoryHandle& dir, const std::string& path, const std::string& name,
                         FileStatus& st) override {
        return Use(dir, path) && FileSystem::GetLinkStatusAt(dir, path, name, st);
    }
    bool RenameAt(const DirectoryHandle& dir, const std::string& path, const std::string& from,
                  const std::string& to) override {
        return Use(dir, path) && FileSystem::RenameAt(dir, path, from, to);
    }

    std::size_t stillOpen() const { return m_open.size(); }
    std::string opened;  // last part of each opened path, in order
    int badUses = 0;     // calls with a closed or a foreign handle, closes of unknown ones

private:
    void CloseDirectory(DirectoryHandle::Native dir) override {
        if (m_open.erase(dir) == 0) ++badUses;
    }
    bool Use(const DirectoryHandle& dir, const std::string& path) {
        const auto it = m_open.find(dir.native());
        if (it != m_open.end() && it->second == path) return true;
        ++badUses;
        return false;
    }

    std::map<DirectoryHandle::Native, std::string> m_open;
    DirectoryHandle::Native m_next = 100;
};

struct DirectoryCase {
    const char* label;
    int pairs;  // pair p joins A<p> and B<p>
    std::vector<std::pair<int, bool>> rows;  // pair, and whether A's file is the newer
    const char* opened;
};

void PrintTo(const DirectoryCase& c, std::ostream* os) { *os << c.label; }

class CopyDirectories : public testing::TestWithParam<DirectoryCase> {};

TEST_P(CopyDirectories, DirectoriesStayOpenWhileTheirFilesFollowAndCloseWithTheRun) {
    const DirectoryCase& c = GetParam();
    TempDir t;
    CopyTables tables;
    for (int p = 0; p < c.pairs; ++p)
        tables.AddPair(t.MakeDir("A" + std::to_string(p)), t.MakeDir("B" + std::to_string(p)));
    for (std::size_t r = 0; r < c.rows.size(); ++r) {
        const auto [pair, aIsNewer] = c.rows[r];
        const std::string name = "f" + std::to_string(r);
        const std::string side = aIsNewer ? "A" : "B";
        WriteFile(t / (side + std::to_string(pair) + "/" + name), name, kNew);
        tables.AddEntry(pair, name, aIsNewer ? kNew : 0, aIsNewer ? 0 : kNew);
    }
    DirectoryTrackingFileSystem fs;

    RecordingObserver obs;
    const CopyRunSummary s = tables.CopyAll(fs, obs);

    EXPECT_EQ(s.copied, static_cast<int>(c.rows.size()));
    EXPECT_EQ(fs.badUses, 0);
    EXPECT_EQ(fs.stillOpen(), 0u);
    EXPECT_EQ(fs.opened, c.opened);
}

// The run first takes the sources' sizes (their directories opened for that
// alone), then copies.
INSTANTIATE_TEST_SUITE_P(
    Runs, CopyDirectories,
    testing::Values(
        DirectoryCase{"OnePairBothWays", 1, {{0, true}, {0, true}, {0, false}}, "A0 B0 A0 B0"},
        // More directories than stay open in one batch: those dropped stay
        // open until their files are in place.
        DirectoryCase{"FivePairsInOneBatch", 5, {{0, true}, {1, true}, {2, true}, {3, true}, {4, true}},
                      "A0 A1 A2 A3 A4 A0 B0 A1 B1 A2 B2 A3 B3 A4 B4"},
        DirectoryCase{"BackToAnEarlierPair", 3, {{0, true}, {1, true}, {2, true}, {0, true}},
                      "A0 A1 A2 A0 B0 A1 B1 A2 B2"},
        // Past the few kept open, a pair's directories are opened again.
        DirectoryCase{"BackAfterFivePairs", 5, {{0, true}, {1, true}, {2, true}, {3, true}, {4, true}, {0, true}},
                      "A0 A1 A2 A3 A4 A0 B0 A1 B1 A2 B2 A3 B3 A4 B4 A0 B0"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(CopyRun, EntryOfAPairNoLongerRegisteredTouchesNothing) {
    TempDir t;
    const std::string a = t.MakeDir("A"), b = t.MakeDir("B");
    WriteFile(a + "/f", "x", kNew);
    CopyTables tables;
    tables.AddPair(a, b);
    tables.AddEntry(0, "f", kNew, 0);
    tables.diffs->entries[0].pairIndex = 1;  // the pair in slot 1 was deleted since

    RecordingObserver obs;
    EXPECT_EQ(tables.CopyAll(RealFileSystem(), obs).failed, 1);
    EXPECT_EQ(obs.events, (std::vector<std::string>{"failed 0"}));
    EXPECT_EQ(ListNames(b), "");
}

}  // namespace
