#include "settings/ini_store.h"
#include "settings/ini_text.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "support/forwarding_fs.h"
#include "support/temp_dir.h"
#include "support/test_name.h"
#include "support/test_text.h"

namespace {

class IniFileTest : public ::testing::Test {
protected:
    TempDir m_dir;
    std::string m_ini = m_dir / "zoruna.INI";
    SettingsStore m_store{m_ini, &RealFileSystem()};

    // The settings file's text, empty when it cannot be read.
    std::string StoredText() const {
        std::string text;
        ReadSettingsText(m_store, text);
        return text;
    }
};

// --- reading (the block rules on a text in memory) -------------------------

struct ReadCase {
    const char* name;
    std::string file;
    const char* section;
    const char* key;
    std::optional<std::string> value;  // nullopt: not found
};

class IniReadTest : public ::testing::TestWithParam<ReadCase> {};

// One search and the index of the whole text find the same.
TEST_P(IniReadTest, FindsValueByBlockRules) {
    const ReadCase& c = GetParam();
    EXPECT_EQ(FindIniValue(c.file, c.section, c.key), c.value);
    EXPECT_EQ(IniIndex(c.file).Find(c.section, c.key), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniReadTest,
    ::testing::Values(
        ReadCase{"value_with_equals_sign", "[DIR0]\r\nDIRA=C:\\A=B\r\n", "DIR0", "DIRA", "C:\\A=B"},
        ReadCase{"key_alone_is_empty", "[S]\r\nK\r\n", "S", "K", ""},
        ReadCase{"any_byte_after_key_skipped", "[S]\r\nKEYX=1\r\n", "S", "KEY", "=1"},
        ReadCase{"blanks_kept", "[S]\r\nK= v \r\n", "S", "K", " v "},
        ReadCase{"lf_only_and_no_last_terminator", "[S]\nA=1\nK=v", "S", "K", "v"},
        ReadCase{"only_cr_before_lf_dropped", "[S]\r\nK=v\r\r\n", "S", "K", "v\r"},
        ReadCase{"header_with_trailing_blank", "[S] \r\nK=v\r\n", "S", "K", std::nullopt},
        ReadCase{"header_is_case_sensitive", "[s]\r\nK=v\r\n", "S", "K", std::nullopt},
        ReadCase{"search_crosses_block_ends", "[A]\r\nX=1\r\n\r\nY=2\r\n\r\nK=a\r\n", "A", "K", "a"},
        // A section without the key never takes a later section's value.
        ReadCase{"search_stops_at_next_header", "[A]\r\nX=1\r\n\r\n[B]\r\nK=b\r\n", "A", "K", std::nullopt},
        ReadCase{"search_stops_at_any_bracket_block", "[A]\r\nX=1\r\n\r\n[B] \r\nK=b\r\n", "A", "K",
                 std::nullopt},
        ReadCase{"bracket_line_inside_block_does_not_stop", "[A]\r\nX=1\r\n[B]\r\nK=b\r\n", "A", "K", "b"},
        ReadCase{"missing_dirb_stays_missing",
                 "[DIR0]\r\nDIRA=photos\r\nMASK=\r\n\r\n[DIR1]\r\nDIRA=docs\r\nDIRB=docs_backup\r\n\r\n",
                 "DIR0", "DIRB", std::nullopt},
        ReadCase{"first_of_two_equal_headers", "[S]\r\nK=1\r\n\r\n[S]\r\nK=2\r\n", "S", "K", "1"},
        ReadCase{"byte_order_mark_skipped", "\xEF\xBB\xBF[S]\r\nK=v\r\n", "S", "K", "v"},
        ReadCase{"byte_order_mark_only_at_start", "[X]\r\n\r\n\xEF\xBB\xBF[S]\r\nK=v\r\n", "S", "K",
                 std::nullopt},
        ReadCase{"nearest_key_line_wins", "[S]\r\n\r\nK=new\r\n\r\nK=old\r\n", "S", "K", "new"},
        ReadCase{"two_byte_line_ends_block", "[X]\r\nab\r\n[S]\r\nK=v\r\n", "S", "K", "v"},
        ReadCase{"three_byte_line_does_not", "[X]\r\nabc\r\n[S]\r\nK=v\r\n", "S", "K", std::nullopt},
        ReadCase{"second_empty_line_starts_block", "[X]\r\n\r\n\r\n[S]\r\nK=v\r\n", "S", "K", std::nullopt},
        ReadCase{"header_after_block_end", "[X]\r\nY=1\r\n\r\n[S]\r\nK=v", "S", "K", "v"},
        ReadCase{"empty_file", "", "S", "K", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

struct IntCase {
    std::string value;
    std::int32_t number;
};

class IniValueToIntTest : public ::testing::TestWithParam<IntCase> {};

TEST_P(IniValueToIntTest, ConvertsLikeAtoi) {
    EXPECT_EQ(IniValueToInt(GetParam().value), GetParam().number) << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniValueToIntTest,
    ::testing::Values(IntCase{"  42abc", 42}, IntCase{"", 0}, IntCase{"abc", 0}, IntCase{"\t-17", -17},
                      IntCase{"+5", 5}, IntCase{"- 5", 0}, IntCase{"99999999999", INT_MAX},
                      IntCase{"-99999999999", INT_MIN},
                      // 2^64: wraps to 0 in an unguarded 64-bit accumulator.
                      IntCase{"18446744073709551616", INT_MAX}, IntCase{"-18446744073709551616", INT_MIN},
                      // Only the first 255 bytes count.
                      IntCase{std::string(253, ' ') + "42", 42}, IntCase{std::string(254, ' ') + "42", 4},
                      IntCase{std::string(255, ' ') + "42", 0}),
    [](const auto& info) { return NameFromText(info.param.value); });

// --- writing (the block rules on a text in memory) -------------------------

struct WriteCase {
    const char* name;
    std::string before;
    const char* section;
    const char* key;
    const char* value;
    std::string after;
};

class IniWriteTest : public ::testing::TestWithParam<WriteCase> {};

TEST_P(IniWriteTest, RewritesByBlockRules) {
    const WriteCase& c = GetParam();
    ASSERT_TRUE(IsWritableIni(c.section, c.key, c.value));
    const std::string after = ApplyIniWrite(c.before, c.section, c.key, c.value);
    EXPECT_EQ(after, c.after);
    EXPECT_EQ(FindIniValue(after, c.section, c.key), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniWriteTest,
    ::testing::Values(
        WriteCase{"empty_file", "", "SIZE", "FNAME", "147", "[SIZE]\r\nFNAME=147\r\n\r\n"},
        WriteCase{"replaced_in_place", "[S]\r\nA=1\r\nK=2\r\n\r\n", "S", "K", "9", "[S]\r\nA=1\r\nK=9\r\n\r\n"},
        WriteCase{"lines_get_cr_lf", "[S]\nK=1\n\n[T]\nX=2", "S", "K", "3", "[S]\r\nK=3\r\n\r\n[T]\r\nX=2\r\n"},
        WriteCase{"inserted_at_end_of_first_block", "[S]\r\nA=1\r\n\r\nK=old\r\n\r\n", "S", "K", "new",
                  "[S]\r\nA=1\r\nK=new\r\n\r\nK=old\r\n\r\n"},
        WriteCase{"inserted_at_end_of_unended_block", "[S]\r\nA=1", "S", "K", "2", "[S]\r\nA=1\r\nK=2\r\n"},
        WriteCase{"section_added_at_end", "[A]\r\nK=1\r\n\r\n", "B", "K", "2", "[A]\r\nK=1\r\n\r\n[B]\r\nK=2\r\n\r\n"},
        WriteCase{"block_end_added_before_new_section", "[A]\r\nK=1", "B", "K", "2",
                  "[A]\r\nK=1\r\n\r\n[B]\r\nK=2\r\n\r\n"},
        WriteCase{"new_section_after_header_alone", "[A]", "B", "K", "2", "[A]\r\n\r\n[B]\r\nK=2\r\n\r\n"},
        WriteCase{"no_second_block_end_before_new_section", "[A]\r\nK=1\r\n\r\n", "B", "K", "2",
                  "[A]\r\nK=1\r\n\r\n[B]\r\nK=2\r\n\r\n"},
        // Only the exact header heads the section, for the writer as for the reader.
        WriteCase{"header_with_trailing_blank_not_taken", "[S] \r\nK=1\r\n\r\n", "S", "K", "2",
                  "[S] \r\nK=1\r\n\r\n[S]\r\nK=2\r\n\r\n"},
        WriteCase{"two_byte_line_ends_block", "[S]\r\nab\r\nK=1\r\n\r\n", "S", "K", "2",
                  "[S]\r\nK=2\r\nab\r\nK=1\r\n\r\n"},
        WriteCase{"one_byte_line_ends_block", "[S]\r\na\r\nK=1\r\n\r\n", "S", "K", "2",
                  "[S]\r\nK=2\r\na\r\nK=1\r\n\r\n"},
        WriteCase{"header_after_two_byte_line_seen", "[X]\r\nab\r\n[S]\r\nK=1\r\n\r\n", "S", "K", "2",
                  "[X]\r\nab\r\n[S]\r\nK=2\r\n\r\n"},
        WriteCase{"byte_order_mark_kept", "\xEF\xBB\xBF[S]\r\nK=1\r\n\r\n", "S", "K", "2",
                  "\xEF\xBB\xBF[S]\r\nK=2\r\n\r\n"},
        WriteCase{"byte_order_mark_kept_in_empty_file", "\xEF\xBB\xBF", "S", "K", "2",
                  "\xEF\xBB\xBF[S]\r\nK=2\r\n\r\n"},
        WriteCase{"cr_in_value_written", "", "S", "K", "a\rb\r", "[S]\r\nK=a\rb\r\r\n\r\n"},
        WriteCase{"header_after_two_empty_lines_unseen", "[X]\r\n\r\n\r\n[S]\r\nK=1\r\n\r\n", "S", "K", "2",
                  "[X]\r\n\r\n\r\n[S]\r\nK=1\r\n\r\n[S]\r\nK=2\r\n\r\n"},
        // The short line was the block end; the longer one that replaces it
        // is followed by one, so the blocks stay as they were.
        WriteCase{"short_key_line_ends_block", "[S]\r\nK=\r\nK=x\r\n", "S", "K", "5",
                  "[S]\r\nK=5\r\n\r\nK=x\r\n"},
        WriteCase{"key_line_at_end_of_file", "[S]\r\nK=1", "S", "K", "2", "[S]\r\nK=2\r\n"},
        WriteCase{"every_block_of_the_section", "[S]\r\nK=1\r\n\r\n[S]\r\nK=2\r\n\r\n", "S", "K", "3",
                  "[S]\r\nK=3\r\n\r\n[S]\r\nK=3\r\n\r\n"},
        WriteCase{"lone_cr_kept", "[S]\r\nA=v\r\r\n\r\n", "S", "K", "1", "[S]\r\nA=v\r\r\nK=1\r\n\r\n"},
        WriteCase{"value_unchanged", "", "DIR0", "DIRA", " C:\\A=B ", "[DIR0]\r\nDIRA= C:\\A=B \r\n\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IniWrite, RepeatedWritesOfAMissingKeyDoNotGrowTheText) {
    std::string text = "[S]\r\nA=1\r\n\r\n";
    for (const char* v : {"x", "y", "z", "a\rb"}) {
        text = ApplyIniWrite(text, "S", "K", v);
        EXPECT_EQ(FindIniValue(text, "S", "K"), v);
    }
    EXPECT_EQ(text, "[S]\r\nA=1\r\nK=a\rb\r\n\r\n");
}

// --- refusals and the missing file ---------------------------------------

struct WritableCase {
    const char* name;
    const char* section;
    const char* key;
    const char* value;
    bool writable;
};

void PrintTo(const WritableCase& c, std::ostream* os) { *os << c.name; }

class IsWritableIniTest : public ::testing::TestWithParam<WritableCase> {};

TEST_P(IsWritableIniTest, RefusesWhatWouldNotReadBack) {
    const WritableCase& c = GetParam();
    EXPECT_EQ(IsWritableIni(c.section, c.key, c.value), c.writable);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IsWritableIniTest,
    ::testing::Values(WritableCase{"plain", "S", "K", "1", true},
                      WritableCase{"carriage_returns_read_back", "S", "K", "a\rb\r", true},
                      WritableCase{"line_feed_in_value", "S", "K", "a\nb", false},
                      WritableCase{"line_feed_alone", "S", "K", "\n", false},
                      WritableCase{"line_that_would_end_a_block", "S", "K", "", false},
                      WritableCase{"line_break_in_section", "S\n", "K", "a", false},
                      WritableCase{"line_break_in_key", "S", "K\r\n", "1", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(IniFileTest, MissingFileIsNeverCreated) {
    std::string text = "stale";
    EXPECT_EQ(ReadSettingsText(m_store, text), SettingsRead::Missing);
    EXPECT_EQ(text, "");
    EXPECT_FALSE(ReplaceSettingsText(m_store, "[SIZE]\r\nFNAME=1\r\n\r\n"));
    EXPECT_EQ(ListNames(m_dir.path()), "");
}

TEST_F(IniFileTest, ADirectoryInPlaceOfTheFileIsNotRead) {
    m_dir.MakeDir("zoruna.INI");
    std::string text;
    EXPECT_EQ(ReadSettingsText(m_store, text), SettingsRead::NotAFile);
    EXPECT_FALSE(ReplaceSettingsText(m_store, "[SIZE]\r\nFNAME=1\r\n\r\n"));
}

TEST_F(IniFileTest, NoStoreAtAllReadsAsMissing) {
    for (const SettingsStore& store : {SettingsStore{}, SettingsStore{m_ini, nullptr}}) {
        WriteFile(m_ini, "[S]\r\nK=1\r\n\r\n");
        std::string text;
        EXPECT_EQ(ReadSettingsText(store, text), SettingsRead::Missing);
        EXPECT_FALSE(ReplaceSettingsText(store, "new"));
        EXPECT_FALSE(CreateSettingsFile(store));
        EXPECT_EQ(ReadFile(m_ini), "[S]\r\nK=1\r\n\r\n");
    }
}

// --- the temporary file and the replacement ------------------------------

struct StorePathCase {
    const char* what;
    const char* path;
    const char* temp;
    const char* folder;
    const char* name;
};

void PrintTo(const StorePathCase& c, std::ostream* os) { *os << c.what; }

class StorePathTest : public ::testing::TestWithParam<StorePathCase> {};

// The temporary file sits beside the settings file; the folder is what a
// question names and what is flushed after the rename.
TEST_P(StorePathTest, SplitsTheSettingsPath) {
    const SettingsStore store{GetParam().path};
    EXPECT_EQ(store.TempPath(), GetParam().temp);
    EXPECT_EQ(store.Folder(), GetParam().folder);
    EXPECT_EQ(store.FileName(), GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, StorePathTest,
    ::testing::Values(StorePathCase{"bare_name", "zoruna.INI", "$$zoruna.INI$$", ".", "zoruna.INI"},
                      StorePathCase{"absolute", "/a/b.c/Z.INI", "/a/b.c/$$Z.INI$$", "/a/b.c", "Z.INI"},
                      StorePathCase{"in_root", "/Z.INI", "/$$Z.INI$$", "/", "Z.INI"},
                      StorePathCase{"relative_folder", "sub/Z.INI", "sub/$$Z.INI$$", "sub", "Z.INI"}),
    [](const auto& info) { return std::string(info.param.what); });

// Permission bits and symbolic links made with the POSIX calls.
#ifndef _WIN32
TEST_F(IniFileTest, KeepsPermissionBits) {
    for (mode_t mode : {0600, 0664}) {
        WriteFile(m_ini, "");
        ASSERT_EQ(chmod(m_ini.c_str(), mode), 0);
        ASSERT_TRUE(ReplaceSettingsText(m_store, "[S]\r\nK=1\r\n\r\n"));
        struct stat st;
        ASSERT_EQ(stat(m_ini.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, mode);
    }
}

TEST_F(IniFileTest, LeftoverTemporaryLinkIsNotFollowed) {
    const std::string other = m_dir / "other";
    WriteFile(other, "keep");
    WriteFile(m_ini, "");
    ASSERT_EQ(symlink(other.c_str(), m_store.TempPath().c_str()), 0);
    EXPECT_TRUE(ReplaceSettingsText(m_store, "[S]\r\nK=1\r\n\r\n"));
    EXPECT_EQ(ReadFile(other), "keep");
    EXPECT_EQ(ReadFile(m_ini), "[S]\r\nK=1\r\n\r\n");
    EXPECT_EQ(ListNames(m_dir.path()), "other zoruna.INI");
}
#endif

TEST_F(IniFileTest, TemporaryFileThatCannotBeCreated) {
    const std::string before = "[S]\r\nK=1\r\n\r\n";
    WriteFile(m_ini, before);
    m_dir.MakeDir("$$zoruna.INI$$");
    EXPECT_FALSE(ReplaceSettingsText(m_store, "[S]\r\nK=2\r\n\r\n"));
    EXPECT_EQ(ReadFile(m_ini), before);
}

// Fails one kind of call on the temporary file (or the read of the settings
// file) the way a full disk or a broken medium would.
enum class Fault { None, ShortWrites, Create, Write, Sync, Close, Rename, Read };

const char* FaultName(Fault f) {
    static const char* const names[] = {"None", "ShortWrites", "Create", "Write", "Sync", "Close", "Rename", "Read"};
    return names[static_cast<int>(f)];
}

class FailingFs : public ForwardingFileSystem {
public:
    explicit FailingFs(Fault fault) : m_fault(fault) {}

    FileHandle Create(const std::string& path, bool exclusive, unsigned mode) override {
        if (m_fault == Fault::Create) return kInvalidHandle;
        m_temp = ForwardingFileSystem::Create(path, exclusive, mode);
        return m_temp;
    }
    long long Write(FileHandle h, const void* buf, std::size_t n) override {
        if (m_fault == Fault::ShortWrites) return ForwardingFileSystem::Write(h, buf, std::min<std::size_t>(n, 3));
        if (m_fault != Fault::Write) return ForwardingFileSystem::Write(h, buf, n);
        ForwardingFileSystem::Write(h, buf, std::min<std::size_t>(n, 5));  // part of the data went out
        errno = ENOSPC;
        return -1;
    }
    bool SyncData(FileHandle h) override { return m_fault != Fault::Sync && ForwardingFileSystem::SyncData(h); }
    bool Close(FileHandle h) override {
        return ForwardingFileSystem::Close(h) && !(m_fault == Fault::Close && h == m_temp);
    }
    bool Rename(const std::string& from, const std::string& to) override {
        return m_fault != Fault::Rename && ForwardingFileSystem::Rename(from, to);
    }
    long long Read(FileHandle h, void* buf, std::size_t n) override {
        return m_fault == Fault::Read ? -1 : ForwardingFileSystem::Read(h, buf, n);
    }

private:
    Fault m_fault;
    FileHandle m_temp = kInvalidHandle;
};

class IniFailureTest : public IniFileTest, public ::testing::WithParamInterface<Fault> {
protected:
    void SetUp() override { m_store.fs = &m_failing; }
    FailingFs m_failing{GetParam()};
};

TEST_P(IniFailureTest, SettingsFileStaysAsItWas) {
    const std::string before = "[SIZE]\r\nFNAME=147\r\nTIMEA=110\r\n\r\n";
    WriteFile(m_ini, before);
    const bool succeeds = GetParam() == Fault::None || GetParam() == Fault::ShortWrites;
    // A save: the file is read, its text changed and written back.
    std::string text;
    const bool read = ReadSettingsText(m_store, text) == SettingsRead::Read;
    EXPECT_EQ(read && ReplaceSettingsText(m_store, ApplyIniWrite(text, "SIZE", "TIMEA", "99")), succeeds);
    EXPECT_EQ(ReadFile(m_ini), succeeds ? "[SIZE]\r\nFNAME=147\r\nTIMEA=99\r\n\r\n" : before);
    EXPECT_EQ(ListNames(m_dir.path()), "zoruna.INI");
}

INSTANTIATE_TEST_SUITE_P(Faults, IniFailureTest,
                         ::testing::Values(Fault::None, Fault::ShortWrites, Fault::Create, Fault::Write,
                                           Fault::Sync, Fault::Close, Fault::Rename, Fault::Read),
                         [](const auto& info) { return std::string(FaultName(info.param)); });

// Records the calls that decide what a power cut leaves behind.
class RecordingFs : public ForwardingFileSystem {
public:
    std::vector<std::string> calls;

    bool SyncData(FileHandle h) override {
        calls.push_back("sync file");
        return ForwardingFileSystem::SyncData(h);
    }
    bool Close(FileHandle h) override {
        calls.push_back("close");
        return ForwardingFileSystem::Close(h);
    }
    bool Rename(const std::string& from, const std::string& to) override {
        calls.push_back("rename");
        return ForwardingFileSystem::Rename(from, to);
    }
    bool SyncDirectory(const std::string& dir) override {
        calls.push_back("sync " + dir);
        return ForwardingFileSystem::SyncDirectory(dir);
    }
};

TEST_F(IniFileTest, NewTextIsOnTheMediumBeforeAndAfterTheRename) {
    WriteFile(m_ini, "");
    RecordingFs recording;
    m_store.fs = &recording;
    ASSERT_TRUE(ReplaceSettingsText(m_store, "[S]\r\nK=1\r\n\r\n"));
    const std::vector<std::string> expected{"sync file", "close", "rename", "sync " + m_dir.path()};
    EXPECT_EQ(recording.calls, expected);
}

// --- a linked settings file ----------------------------------------------
// (symbolic links made with the POSIX calls)
#ifndef _WIN32

// A link made below the test folder. An absolute one names its target below
// the test folder too; a relative one holds to as it stands.
struct LinkStep {
    const char* at;
    const char* to;
    bool absolute = false;
};

struct LinkCase {
    const char* name;
    std::vector<LinkStep> links;  // the first one is zoruna.INI
    const char* target;           // the file a save replaces; nullptr: the save fails
};

void PrintTo(const LinkCase& c, std::ostream* os) { *os << c.name; }

// Records the calls that change names or make them durable.
class ChangeRecordingFs : public ForwardingFileSystem {
public:
    std::vector<std::string> calls;

    FileHandle Create(const std::string& path, bool exclusive, unsigned mode) override {
        calls.push_back("create " + path);
        return ForwardingFileSystem::Create(path, exclusive, mode);
    }
    bool Rename(const std::string& from, const std::string& to) override {
        calls.push_back("rename " + from + " " + to);
        return ForwardingFileSystem::Rename(from, to);
    }
    bool Remove(const std::string& path) override {
        calls.push_back("remove " + path);
        return ForwardingFileSystem::Remove(path);
    }
    bool SyncDirectory(const std::string& dir) override {
        calls.push_back("sync " + dir);
        return ForwardingFileSystem::SyncDirectory(dir);
    }
};

std::string LinkText(const std::string& path) {
    char buf[PATH_MAX];
    const ssize_t n = readlink(path.c_str(), buf, sizeof buf);
    return n < 0 ? "(no link)" : std::string(buf, static_cast<std::size_t>(n));
}

// The test folder has a settings.ini in "dotfiles" and an empty "hop"; the
// links of a case lead (or fail to lead) from zoruna.INI there.
class LinkedSettingsTest : public IniFileTest, public ::testing::WithParamInterface<LinkCase> {
protected:
    void SetUp() override {
        m_dir.MakeDir("dotfiles");
        m_dir.MakeDir("hop");
        WriteFile(m_dir / "dotfiles/settings.ini", "old");
        for (const LinkStep& link : GetParam().links) {
            const std::string to = link.absolute ? m_dir / link.to : link.to;
            if (symlink(to.c_str(), (m_dir / link.at).c_str()) != 0) {
                if (errno == EPERM || errno == EOPNOTSUPP) GTEST_SKIP() << "no symbolic links in " << m_dir.path();
                FAIL() << "symlink " << link.at << ": " << std::strerror(errno);
            }
            m_linkTexts.push_back(to);
        }
        m_names = Names();
        char* real = realpath(m_dir.path().c_str(), nullptr);
        ASSERT_NE(real, nullptr);
        m_realDir = real;
        std::free(real);
    }

    // The names in every folder of the test.
    std::string Names() const {
        return ListNames(m_dir.path()) + " | " + ListNames(m_dir / "dotfiles") + " | " + ListNames(m_dir / "hop");
    }
    std::vector<std::string> LinkTexts() const {
        std::vector<std::string> texts;
        for (const LinkStep& link : GetParam().links) texts.push_back(LinkText(m_dir / link.at));
        return texts;
    }

    std::vector<std::string> m_linkTexts;
    std::string m_names;
    std::string m_realDir;  // the test folder with the links of its own path resolved
};

TEST_P(LinkedSettingsTest, SaveReplacesTheFileAtTheEndOfTheLinks) {
    const LinkCase& c = GetParam();
    ChangeRecordingFs recording;
    m_store.fs = &recording;
    // An existing name, even a dangling link's, is never taken over.
    EXPECT_FALSE(CreateSettingsFile(m_store));
    recording.calls.clear();

    EXPECT_EQ(ReplaceSettingsText(m_store, "new"), c.target != nullptr);
    EXPECT_EQ(LinkTexts(), m_linkTexts);
    EXPECT_EQ(Names(), m_names);
    if (!c.target) {
        EXPECT_EQ(ReadFile(m_dir / "dotfiles/settings.ini"), "old");
        EXPECT_EQ(recording.calls, std::vector<std::string>{});
        return;
    }
    EXPECT_EQ(ReadFile(m_dir / c.target), "new");
    EXPECT_EQ(StoredText(), "new");  // read through the links
    const std::string folder = m_realDir + "/dotfiles";
    const std::string temp = folder + "/$$settings.ini$$";
    const std::vector<std::string> expected{"remove " + temp, "create " + temp,
                                            "rename " + temp + " " + folder + "/settings.ini", "sync " + folder};
    EXPECT_EQ(recording.calls, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LinkedSettingsTest,
    ::testing::Values(
        LinkCase{"relative_link", {{"zoruna.INI", "dotfiles/settings.ini"}}, "dotfiles/settings.ini"},
        LinkCase{"absolute_link_into_another_folder",
                 {{"zoruna.INI", "dotfiles/settings.ini", true}},
                 "dotfiles/settings.ini"},
        // The second link's text holds only from its own folder.
        LinkCase{"chain_of_two_links",
                 {{"zoruna.INI", "hop/zoruna.INI"}, {"hop/zoruna.INI", "../dotfiles/settings.ini"}},
                 "dotfiles/settings.ini"},
        LinkCase{"absolute_then_relative_link",
                 {{"zoruna.INI", "hop/link", true}, {"hop/link", "../dotfiles/settings.ini"}},
                 "dotfiles/settings.ini"},
        LinkCase{"dangling_link", {{"zoruna.INI", "dotfiles/missing.ini"}}, nullptr},
        LinkCase{"dangling_at_the_second_link",
                 {{"zoruna.INI", "hop/zoruna.INI"}, {"hop/zoruna.INI", "dotfiles/settings.ini"}},
                 nullptr},
        LinkCase{"link_to_itself", {{"zoruna.INI", "zoruna.INI"}}, nullptr},
        LinkCase{"loop_of_two_links", {{"zoruna.INI", "hop/zoruna.INI"}, {"hop/zoruna.INI", "../zoruna.INI"}},
                 nullptr},
        LinkCase{"link_to_a_folder", {{"zoruna.INI", "dotfiles"}}, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

#endif  // !_WIN32

}  // namespace
