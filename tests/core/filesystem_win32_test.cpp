// The Win32 file-system layer on real folders: names beyond the ANSI code
// page and beyond 260 characters, times to 100 ns, names reached through an
// open folder, read-only files, the copy's lock, links refused, and the
// errors the core is told.
#ifdef _WIN32

#include <windows.h>
#undef CreateDirectory

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <string>

#include "cli/failure_text.h"
#include "core/copy_file.h"
#include "core/handle_guard.h"
#include "core/win32_error.h"
#include "core/win32_text.h"
#include "texts/texts.h"
#include "support/temp_dir.h"
#include "support/wine.h"

namespace {

FileSystem& Fs() { return RealFileSystem(); }

struct PathCase {
    const char* label;
    std::string path;
    std::wstring expected;
};

class LongWidePaths : public testing::TestWithParam<PathCase> {};

TEST_P(LongWidePaths, AreAbsoluteResolvedAndPrefixed) {
    std::wstring wide;
    ASSERT_TRUE(LongWidePath(GetParam().path, wide));
    EXPECT_EQ(wide, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, LongWidePaths,
    testing::Values(PathCase{"DrivePath", "C:\\a\\b", L"\\\\?\\C:\\a\\b"},
                    PathCase{"ForwardSlashesAndDots", "C:/a/./b/../c", L"\\\\?\\C:\\a\\c"},
                    PathCase{"Share", "\\\\server\\share\\x", L"\\\\?\\UNC\\server\\share\\x"},
                    PathCase{"AlreadyLong", "\\\\?\\C:\\x\\..\\y", L"\\\\?\\C:\\x\\..\\y"},
                    PathCase{"Japanese", "C:\\\xE6\x97\xA5\\f", L"\\\\?\\C:\\\x65E5\\f"}),
    [](const auto& info) { return std::string(info.param.label); });

// Names below an open folder never lead out of it.
TEST(RelativeWideNames, OnlyNamesInsideTheFolder) {
    const std::pair<const char*, bool> cases[] = {
        {"a", true},   {"a/b", true},   {"a\\b", true}, {"..", false}, {"a/../b", false},
        {".", false},  {"/a", false},   {"C:x", false}, {"", false},   {"a//b", false},
    };
    for (const auto& [name, valid] : cases) {
        std::wstring wide;
        EXPECT_EQ(RelativeWideName(name, wide), valid) << name;
    }
}

struct NameCase {
    const char* label;
    std::string folder;  // below the temporary folder, made first ("" for none)
    std::string name;
};

class Win32Names : public testing::TestWithParam<NameCase> {};

// Created, written, listed with the stamp its status has, read back and
// renamed through the open folder.
TEST_P(Win32Names, LiveThroughTheWholeCopyPath) {
    const NameCase& c = GetParam();
    TempDir t;
    std::string dir = t.path();
    for (std::size_t start = 0; start < c.folder.size();) {
        const std::size_t end = ComponentEnd(c.folder, start);
        dir = JoinPath(dir, c.folder.substr(start, end - start));
        ASSERT_TRUE(Fs().CreateDirectory(dir, 0755)) << errno;
        start = end + 1;
    }
    const DirectoryHandle d = Fs().OpenDirectory(dir);
    ASSERT_TRUE(d) << errno;
    {
        const HandleGuard h(Fs(), Fs().CreateAt(d, dir, "new.tmp", true, 0644));
        ASSERT_TRUE(h.valid()) << errno;
        ASSERT_TRUE(WriteAll(Fs(), h.get(), "content", 7));
    }
    ASSERT_TRUE(Fs().RenameAt(d, dir, "new.tmp", c.name)) << "errno " << errno;

    FileListing files, subdirs;
    ASSERT_TRUE(Fs().ListFilesIn(d, dir, files, &subdirs, nullptr)) << errno;
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files.Name(0), c.name);
    FileStatus st;
    ASSERT_TRUE(Fs().GetStatusAt(d, dir, c.name, st)) << errno;
    EXPECT_TRUE(MatchesStamp(st, files.Stamp(0))) << "the listing's stamp is the file's status";
    EXPECT_EQ(st.size, 7u);

    const HandleGuard in(Fs(), Fs().OpenReadAt(d, dir, c.name));
    ASSERT_TRUE(in.valid()) << errno;
    char buffer[16] = {};
    EXPECT_EQ(Fs().Read(in.get(), buffer, sizeof buffer), 7);
    EXPECT_EQ(std::string(buffer), "content");
    FileStatus byPath;
    ASSERT_TRUE(Fs().GetStatus(JoinPath(dir, c.name), byPath)) << errno;
    EXPECT_EQ(byPath.inode, st.inode);
}

const std::string kLongFolder = std::string(100, 'a') + "/" + std::string(100, 'b') + "/" + std::string(100, 'c');

INSTANTIATE_TEST_SUITE_P(
    Names, Win32Names,
    testing::Values(NameCase{"Ascii", "", "plain.txt"},
                    NameCase{"JapaneseInCp932", "", "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.txt"},
                    NameCase{"OutsideCp932", "", "\xED\x95\x9C\xEA\xB8\x80.txt"},
                    NameCase{"OutsideTheBasicPlane", "", "\xF0\x9F\x98\x80.txt"},
                    NameCase{"PathBeyond260Characters", kLongFolder, std::string(100, 'f') + ".txt"}),
    [](const auto& info) { return std::string(info.param.label); });

// Times of 100 ns steps, before 1970 and after 2038 as well, stick.
TEST(Win32Times, StickTo100Nanoseconds) {
    const std::pair<FileTime, std::int32_t> times[] = {
        {1600000000, 123456700}, {-100000000, 500}, {4102444800, 999999900}, {0, 0}};
    TempDir t;
    const std::string path = t / "f";
    WriteFile(path, "x");
    for (const auto& [seconds, nsec] : times) {
        const HandleGuard h(Fs(), Fs().OpenExistingAt(DirectoryHandle(), t.path(), "f", true));
        ASSERT_TRUE(h.valid()) << errno;
        ASSERT_TRUE(Fs().SetTimes(h.get(), seconds, nsec, seconds, nsec)) << errno;
        FileStatus st;
        ASSERT_TRUE(Fs().GetHandleStatus(h.get(), st));
        EXPECT_EQ(st.mtime, seconds);
        EXPECT_EQ(st.mtimeNsec, nsec / 100 * 100);
        EXPECT_EQ(st.atime, seconds);
    }
}

// Read-only files: not writable, their bits say so, and they can be removed
// and made writable again, as on POSIX.
TEST(Win32ReadOnly, IsProtectionAsTheCopySeesIt) {
    TempDir t;
    const DirectoryHandle d = Fs().OpenDirectory(t.path());
    ASSERT_TRUE(d);
    {
        const HandleGuard h(Fs(), Fs().CreateAt(d, t.path(), "ro", true, 0444));
        ASSERT_TRUE(h.valid()) << errno;
    }
    FileStatus st;
    ASSERT_TRUE(Fs().GetStatusAt(d, t.path(), "ro", st));
    EXPECT_EQ(st.mode & 0222, 0u);
    EXPECT_FALSE(Fs().IsWritableAt(d, t.path(), "ro"));
    ASSERT_TRUE(Fs().SetModeOf(t / "ro", 0644)) << errno;
    EXPECT_TRUE(Fs().IsWritableAt(d, t.path(), "ro"));
    ASSERT_TRUE(Fs().SetModeOf(t / "ro", 0444)) << errno;
    EXPECT_TRUE(Fs().RemoveAt(d, t.path(), "ro")) << errno;
    EXPECT_FALSE(FileExists(t / "ro"));
}

// The lock that tells a temporary file in use from a leftover.
TEST(Win32CopyLock, HeldUntilEveryHandleIsClosed) {
    TempDir t;
    const DirectoryHandle d = Fs().OpenDirectory(t.path());
    HandleGuard writer(Fs(), Fs().CreateAt(d, t.path(), "tmp", true, 0600));
    ASSERT_TRUE(writer.valid());
    HandleGuard lock(Fs(), Fs().DuplicateHandle(writer.get()));
    ASSERT_TRUE(lock.valid());
    ASSERT_TRUE(Fs().LockFile(lock.get())) << errno;
    ASSERT_TRUE(writer.Close());
    {
        const HandleGuard reader(Fs(), Fs().OpenExistingAt(d, t.path(), "tmp", false));
        ASSERT_TRUE(reader.valid());
        EXPECT_TRUE(Fs().IsLockedElsewhere(reader.get()));
        char c;
        EXPECT_EQ(Fs().Read(reader.get(), &c, 1), 0) << "the lock lies beyond the data";
    }
    ASSERT_TRUE(lock.Close());
    const HandleGuard reader(Fs(), Fs().OpenExistingAt(d, t.path(), "tmp", false));
    EXPECT_FALSE(Fs().IsLockedElsewhere(reader.get()));
}

// Failures arrive as the errno values the core tells apart.
TEST(Win32Errors, AreTheOnesTheCoreKnows) {
    TempDir t;
    WriteFile(t / "file", "x");
    const DirectoryHandle d = Fs().OpenDirectory(t.path());
    ASSERT_TRUE(d);
    DirectoryHandle below;
    const std::pair<const char*, std::function<bool()>> cases[] = {
        {"missing file", [&] { return Fs().OpenRead(t / "missing") == kInvalidHandle && errno == ENOENT; }},
        {"exclusive create of an existing name",
         [&] { return Fs().CreateAt(d, t.path(), "file", true, 0644) == kInvalidHandle && errno == EEXIST; }},
        {"folder below a file",
         [&] { return !Fs().OpenDirectoryBelow(d, t.path(), "file", below) && errno == ENOTDIR; }},
        {"rename of a missing name", [&] { return !Fs().RenameAt(d, t.path(), "missing", "x") && errno == ENOENT; }},
        {"name leading out of the folder",
         [&] { return Fs().OpenReadAt(d, t.path(), "../file") == kInvalidHandle && errno == EINVAL; }},
        {"status of a missing name",
         [&] {
             FileStatus st;
             return !Fs().GetLinkStatusAt(d, t.path(), "missing", st) && errno == ENOENT;
         }},
    };
    for (const auto& [label, failsAsExpected] : cases) {
        errno = 0;
        EXPECT_TRUE(failsAsExpected()) << label << ": errno " << errno;
    }
}

// Symbolic links and junctions are never followed out of a pair's folder.
// A Windows error met while writing the copy reaches the user in the same
// words as its Linux counterpart.
TEST(Win32Errors, ReadAsTheReasonsOfLinux) {
    struct Case {
        unsigned long windowsError;
        TextId reason;
    };
    const Case cases[] = {
        {ERROR_DISK_FULL, TextId::CopyReasonDiskFull},
        {ERROR_HANDLE_DISK_FULL, TextId::CopyReasonDiskFull},
        {1295 /* ERROR_DISK_QUOTA_EXCEEDED */, TextId::CopyReasonQuota},
        {ERROR_WRITE_PROTECT, TextId::CopyReasonReadOnlyFileSystem},
        {ERROR_ACCESS_DENIED, TextId::CopyReasonNoPermission},
        {ERROR_PATH_NOT_FOUND, TextId::CopyReasonDestinationFolderGone},
    };
    for (const Case& c : cases) {
        const std::string words = FormatCopyFailureReason(FileCopyResult::WriteFailed, ErrnoOfWindowsError(c.windowsError));
        EXPECT_EQ(words, Text(c.reason)) << "Windows error " << c.windowsError;
    }
}

TEST(Win32Links, AreRefusedOnTheWayDown) {
    if (RunningUnderWine()) GTEST_SKIP() << "Wine's symbolic links are Unix links, not reparse points it can open";
    TempDir t;
    const std::string target = t.MakeDir("target");
    WriteFile(target + "/f", "x");
    std::wstring link, to;
    ASSERT_TRUE(LongWidePath(t / "link", link) && LongWidePath(target, to));
    if (!CreateSymbolicLinkW(link.c_str(), to.c_str(),
                             SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE))
        GTEST_SKIP() << "this system lets this user make no symbolic link (error " << GetLastError() << ")";
    const DirectoryHandle d = Fs().OpenDirectory(t.path());
    DirectoryHandle below;
    EXPECT_FALSE(Fs().OpenDirectoryBelow(d, t.path(), "link", below));
    EXPECT_EQ(errno, ELOOP);
    FileStatus st;
    ASSERT_TRUE(Fs().GetLinkStatusAt(d, t.path(), "link", st));
    EXPECT_TRUE(st.isLink);
    FileListing files, subdirs;
    ASSERT_TRUE(Fs().ListFilesIn(d, t.path(), files, &subdirs, nullptr));
    EXPECT_EQ(subdirs.size(), 1u) << "only the folder itself, not the link to it";
}

}  // namespace

#endif  // _WIN32
