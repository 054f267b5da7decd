// What a replaced file keeps besides its bits: its access ACL and its user's
// attributes, never the capabilities or the system's attributes of the old
// content; where they cannot be kept the old file stays. And a folder that
// lets nothing be removed (append-only, immutable) gets no hidden copy.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include "copy_test_helpers.h"
#include "support/forwarding_fs.h"

namespace {

constexpr FileTime kOld = 1500000000;
constexpr FileTime kNew = 1600000000;
constexpr const char* kAcl = "system.posix_acl_access";

void AppendLittleEndian(std::string& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}

// The access ACL as the kernel keeps it in system.posix_acl_access: a
// version, then (tag, permissions, id) in order of tag and id.
// user::rw- user:65534:rw- group::--- mask::rw- other::---: the group bits
// of the mode (rw, the mask) say more than the owning group may.
std::string SharedWithNobodyAcl() {
    constexpr std::uint32_t kNoId = 0xffffffff;
    const std::uint32_t entries[][3] = {{0x01, 6, kNoId}, {0x02, 6, 65534}, {0x04, 0, kNoId},
                                        {0x10, 6, kNoId}, {0x20, 0, kNoId}};
    std::string blob;
    AppendLittleEndian(blob, 2, 4);
    for (const auto& e : entries) {
        AppendLittleEndian(blob, e[0], 2);
        AppendLittleEndian(blob, e[1], 2);
        AppendLittleEndian(blob, e[2], 4);
    }
    return blob;
}

// File capabilities (revision 2): cap_net_bind_service permitted.
std::string BindServiceCapability() {
    std::string blob;
    AppendLittleEndian(blob, 0x02000000, 4);
    AppendLittleEndian(blob, 1u << 10, 4);
    for (int i = 0; i < 3; ++i) AppendLittleEndian(blob, 0, 4);
    return blob;
}

std::optional<std::string> AttributeOf(const std::string& path, const std::string& name) {
    std::string value(65536, 0);
    const ssize_t n = lgetxattr(path.c_str(), name.c_str(), value.data(), value.size());
    if (n < 0) return std::nullopt;
    value.resize(static_cast<std::size_t>(n));
    return value;
}

using Attributes = std::vector<std::pair<std::string, std::string>>;

// Sets the attributes on path; the errno of the first refused, or 0.
int SetAttributes(const std::string& path, const Attributes& attributes) {
    for (const auto& [name, value] : attributes)
        if (lsetxattr(path.c_str(), name.c_str(), value.data(), value.size(), 0) != 0) return errno;
    return 0;
}

// A/f newer than B/f, which carries the given attributes, and a new file g.
struct ReplacedWithAttributes {
    TempDir t;
    std::string a = t.MakeDir("A"), b = t.MakeDir("B");
    CopyTables tables;
    int refused = 0;  // errno of the attribute this file system did not take
    explicit ReplacedWithAttributes(const Attributes& onDestination, unsigned mode = 0644) {
        WriteFile(a + "/f", "new", kNew);
        WriteFile(a + "/g", "fresh", kNew);
        WriteFile(b + "/f", "old", kOld);
        chmod((b + "/f").c_str(), mode);
        refused = SetAttributes(b + "/f", onDestination);
        tables.AddPair(a, b);
        tables.AddEntry(0, "f", kNew, kOld, "f");
        tables.AddEntry(0, "g", kNew, 0);
    }
};

struct AttributeCase {
    const char* label;
    bool needsRoot;  // security.* and trusted.* are root's to write
    unsigned mode;
    Attributes onDestination;
    std::vector<std::string> kept;  // the names the file in its place has
};

void PrintTo(const AttributeCase& c, std::ostream* os) { *os << c.label; }

class CopyAttributes : public testing::TestWithParam<AttributeCase> {};

TEST_P(CopyAttributes, AReplacedFileKeepsItsAclAndUserAttributesOnly) {
    const AttributeCase& c = GetParam();
    if (c.needsRoot && geteuid() != 0) GTEST_SKIP() << "only root can write security.* and trusted.* attributes";
    ReplacedWithAttributes f(c.onDestination, c.mode);
    if (f.refused) GTEST_SKIP() << "the file system here takes no such attribute: " << std::strerror(f.refused);
    const unsigned modeBefore = ModeOf(f.b + "/f");

    RecordingObserver obs;
    ASSERT_EQ(f.tables.CopyAll(RealFileSystem(), obs).copied, 2);

    EXPECT_EQ(ReadFile(f.b + "/f"), "new");
    EXPECT_EQ(ModeOf(f.b + "/f"), modeBefore) << "the group bits are the ACL's mask, as before";
    for (const auto& [name, value] : c.onDestination) {
        const bool kept = std::find(c.kept.begin(), c.kept.end(), name) != c.kept.end();
        EXPECT_EQ(AttributeOf(f.b + "/f", name), kept ? std::optional<std::string>(value) : std::nullopt) << name;
    }
    EXPECT_EQ(AttributeOf(f.b + "/g", "user.comment"), std::nullopt) << "a new file takes nothing of another";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CopyAttributes,
    testing::Values(
        AttributeCase{"UserAttributes", false, 0644,
                      {{"user.comment", "checked"}, {"user.empty", ""}, {"user.binary", std::string("\0\1\2", 3)}},
                      {"user.comment", "user.empty", "user.binary"}},
        AttributeCase{"AccessAcl", false, 0660, {{kAcl, SharedWithNobodyAcl()}}, {kAcl}},
        AttributeCase{"AclAndUserAttributesTogether", false, 0640,
                      {{"user.comment", "checked"}, {kAcl, SharedWithNobodyAcl()}}, {"user.comment", kAcl}},
        // Capabilities granted to the old program must not move onto new
        // content; labels and trusted attributes are the system's.
        AttributeCase{"CapabilitiesAndTrustedAttributesStayBehind", true, 0755,
                      {{"security.capability", BindServiceCapability()},
                       {"trusted.backup", "1"},
                       {"user.comment", "checked"}},
                      {"user.comment"}}),
    [](const auto& info) { return std::string(info.param.label); });

// Fails reading or writing the attributes whose names begin with prefix.
class AttributeFaultFileSystem : public ForwardingFileSystem {
public:
    AttributeFaultFileSystem(std::string prefix, bool onRead, int error)
        : m_prefix(std::move(prefix)), m_onRead(onRead), m_error(error) {}

    bool GetAttributeAt(const DirectoryHandle& dir, const std::string& dirPath, const std::string& name,
                        const std::string& attribute, std::string& value) override {
        if (m_onRead && Fails(attribute)) return false;
        return m_target.GetAttributeAt(dir, dirPath, name, attribute, value);
    }
    bool SetAttribute(FileHandle h, const std::string& attribute, const std::string& value) override {
        if (!m_onRead && Fails(attribute)) return false;
        return m_target.SetAttribute(h, attribute, value);
    }

private:
    bool Fails(const std::string& attribute) const {
        if (attribute.rfind(m_prefix, 0) != 0) return false;
        errno = m_error;
        return true;
    }

    std::string m_prefix;
    bool m_onRead;
    int m_error;
};

struct AttributeFault {
    const char* label;
    const char* prefix;
    bool onRead;
    int error;
};

void PrintTo(const AttributeFault& c, std::ostream* os) { *os << c.label; }

class CopyAttributeFault : public testing::TestWithParam<AttributeFault> {};

TEST_P(CopyAttributeFault, KeepsTheOldFileRatherThanWidenAccess) {
    const AttributeFault& c = GetParam();
    const Attributes attributes = {{"user.comment", "checked"}, {kAcl, SharedWithNobodyAcl()}};
    ReplacedWithAttributes f(attributes, 0660);
    if (f.refused) GTEST_SKIP() << "the file system here takes no user attribute or ACL: " << std::strerror(f.refused);

    AttributeFaultFileSystem fs(c.prefix, c.onRead, c.error);
    RecordingObserver obs;
    const CopyRunSummary s = f.tables.CopyAll(fs, obs);

    EXPECT_EQ(s.copied, 1) << "the next file goes on";
    EXPECT_EQ(obs.reasons, std::vector<FileCopyResult>{FileCopyResult::AttributesNotKept});
    EXPECT_EQ(obs.errors, std::vector<int>{c.error});
    EXPECT_EQ(ReadFile(f.b + "/f"), "old");
    for (const auto& [name, value] : attributes) EXPECT_EQ(AttributeOf(f.b + "/f", name), value) << name;
    EXPECT_EQ(ListNames(f.b), "f g") << "no temporary file stays";
}

INSTANTIATE_TEST_SUITE_P(Faults, CopyAttributeFault,
                         testing::Values(AttributeFault{"UserAttributeRefused", "user.", false, ENOTSUP},
                                         AttributeFault{"AclRefused", kAcl, false, EOPNOTSUPP},
                                         AttributeFault{"NoRoomForTheAttributes", "user.", false, ENOSPC},
                                         AttributeFault{"AttributeUnreadable", "user.", true, EACCES}),
                         [](const auto& info) { return std::string(info.param.label); });

// Sets inode flags on a folder as chattr does, and clears them again on the
// way out, so that the test's folder can be removed.
class FolderFlags {
public:
    explicit FolderFlags(std::string dir) : m_dir(std::move(dir)) {}
    ~FolderFlags() { Change(m_set, false); }
    FolderFlags(const FolderFlags&) = delete;
    FolderFlags& operator=(const FolderFlags&) = delete;

    // 0 or the errno of the refusal.
    int Set(int flags) {
        if (!Change(flags, true)) return errno;
        m_set |= flags;
        return 0;
    }

private:
    bool Change(int flags, bool on) const {
        if (flags == 0) return true;
        const int fd = open(m_dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        int now = 0;
        bool ok = fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &now) == 0;
        now = on ? now | flags : now & ~flags;
        ok = ok && ioctl(fd, FS_IOC_SETFLAGS, &now) == 0;
        const int error = errno;
        if (fd >= 0) close(fd);
        errno = error;
        return ok;
    }

    std::string m_dir;
    int m_set = 0;
};

struct LockedCase {
    const char* label;
    int flag;
    bool destinationExists;
};

void PrintTo(const LockedCase& c, std::ostream* os) { *os << c.label; }

class CopyIntoLockedFolder : public testing::TestWithParam<LockedCase> {};

TEST_P(CopyIntoLockedFolder, IsRefusedBeforeAnythingIsWritten) {
    const LockedCase& c = GetParam();
    if (geteuid() != 0) GTEST_SKIP() << "only root can make a folder append-only or immutable";
    TempDir t;
    const std::string a = t.MakeDir("A"), b = t.MakeDir("B");
    WriteFile(a + "/f", "new", kNew);
    if (c.destinationExists) WriteFile(b + "/f", "old", kOld);
    FolderFlags flags(b);
    if (const int error = flags.Set(c.flag))
        GTEST_SKIP() << "the file system here refuses the folder flag: " << std::strerror(error);
    CopyTables tables;
    tables.AddPair(a, b);
    tables.AddEntry(0, "f", kNew, c.destinationExists ? kOld : 0, c.destinationExists ? "f" : "");

    RecordingObserver obs;
    tables.CopyAll(RealFileSystem(), obs);

    EXPECT_EQ(obs.reasons, std::vector<FileCopyResult>{FileCopyResult::DestinationProtected});
    EXPECT_EQ(obs.errors, std::vector<int>{EPERM});
    EXPECT_EQ(ListNames(b), c.destinationExists ? "f" : "") << "no temporary file was created";
    EXPECT_EQ(FileExists(b + "/f") ? ReadFile(b + "/f") : "(none)", c.destinationExists ? "old" : "(none)");
}

INSTANTIATE_TEST_SUITE_P(Flags, CopyIntoLockedFolder,
                         testing::Values(LockedCase{"AppendOnlyReplacing", FS_APPEND_FL, true},
                                         LockedCase{"AppendOnlyNewFile", FS_APPEND_FL, false},
                                         LockedCase{"ImmutableReplacing", FS_IMMUTABLE_FL, true}),
                         [](const auto& info) { return std::string(info.param.label); });

// The folder stops letting names go between the check and the rename: made
// append-only for real (root), or a file system that refuses the rename and
// the removal alike.
class LockingFileSystem : public ForwardingFileSystem {
public:
    enum Way { AppendOnlyFlag, RefusesRemoval };
    LockingFileSystem(Way way, FolderFlags& flags) : m_way(way), m_flags(flags) {}

    bool Rename(const std::string& from, const std::string& to) override {
        if (m_way == AppendOnlyFlag) {
            if (const int error = m_flags.Set(FS_APPEND_FL)) refusedFlag = error;
            return m_target.Rename(from, to);
        }
        errno = EPERM;
        return false;
    }
    bool Remove(const std::string& path) override {
        if (m_way == AppendOnlyFlag) return m_target.Remove(path);
        errno = EPERM;
        return false;
    }

    int refusedFlag = 0;

private:
    Way m_way;
    FolderFlags& m_flags;
};

class CopyFolderLockedMidway : public testing::TestWithParam<LockingFileSystem::Way> {};

TEST_P(CopyFolderLockedMidway, LeavesTheTemporaryFileThatCannotGoEmpty) {
    const bool realFlag = GetParam() == LockingFileSystem::AppendOnlyFlag;
    if (realFlag && geteuid() != 0) GTEST_SKIP() << "only root can make a folder append-only";
    TempDir t;
    const std::string a = t.MakeDir("A"), b = t.MakeDir("B");
    WriteFile(a + "/f", std::string(100000, 'n'), kNew);
    WriteFile(b + "/f", "old", kOld);
    FolderFlags flags(b);
    CopyTables tables;
    tables.AddPair(a, b);
    tables.AddEntry(0, "f", kNew, kOld, "f");

    LockingFileSystem fs(GetParam(), flags);
    RecordingObserver obs;
    tables.CopyAll(fs, obs);
    if (fs.refusedFlag) GTEST_SKIP() << "the file system here refuses the folder flag: " << std::strerror(fs.refusedFlag);

    EXPECT_EQ(obs.reasons, std::vector<FileCopyResult>{FileCopyResult::WriteFailed});
    EXPECT_EQ(obs.errors, std::vector<int>{EPERM});
    EXPECT_EQ(ReadFile(b + "/f"), "old");
    std::string left = TempLeftovers(b);
    ASSERT_FALSE(left.empty()) << "the folder let the temporary file go after all";
    left.pop_back();
    EXPECT_EQ(left.find(' '), std::string::npos) << left;
    EXPECT_EQ(StatOf(b + "/" + left).st_size, 0) << "a hidden copy of the data stayed";
}

INSTANTIATE_TEST_SUITE_P(Ways, CopyFolderLockedMidway,
                         testing::Values(LockingFileSystem::AppendOnlyFlag, LockingFileSystem::RefusesRemoval),
                         [](const auto& info) {
                             return std::string(info.param == LockingFileSystem::AppendOnlyFlag ? "AppendOnlyFlag"
                                                                                                 : "RefusesRemoval");
                         });

}  // namespace
