// What the mount table and the file-system type tell of a mounted file
// system (POSIX).
#include "core/mount_info.h"

#ifndef _WIN32

#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr unsigned long kMsdosMagic = 0x4d44;
constexpr unsigned long kExfatMagic = 0x2011BAB0;
constexpr unsigned long kFuseMagic = 0x65735546;

bool IsTwoSecondFsType(unsigned long type) { return type == kMsdosMagic || type == kExfatMagic; }

}  // namespace

bool IsTwoSecondFuseType(std::string_view type) {
    static constexpr std::string_view kTypes[] = {"fuseblk",         "fuse.fusefat", "fuse.exfat",
                                                  "fuse.exfat-fuse", "fuse.vfat",    "fuse.msdos"};
    for (const std::string_view t : kTypes)
        if (type == t) return true;
    return false;
}

std::string MountTypeOfDevice(unsigned devMajor, unsigned devMinor, const char* mountInfoPath) {
    std::FILE* f = std::fopen(mountInfoPath, "re");
    if (!f) return {};
    const std::string device = std::to_string(devMajor) + ":" + std::to_string(devMinor);
    std::string type;
    char* line = nullptr;
    std::size_t capacity = 0;
    // "36 35 98:0 /mnt1 /mnt2 rw,noatime master:1 - ext3 /dev/root rw,errors=continue":
    // the third field is the device, the first after " - " the file system type.
    while (getline(&line, &capacity, f) > 0) {
        const std::string_view l(line);
        const std::size_t f1 = l.find(' ');
        const std::size_t f2 = f1 == std::string_view::npos ? f1 : l.find(' ', f1 + 1);
        const std::size_t f3 = f2 == std::string_view::npos ? f2 : l.find(' ', f2 + 1);
        if (f3 == std::string_view::npos || l.substr(f2 + 1, f3 - f2 - 1) != device) continue;
        const std::size_t dash = l.find(" - ", f3);
        if (dash == std::string_view::npos) continue;
        const std::string_view rest = l.substr(dash + 3);
        type = std::string(rest.substr(0, rest.find(' ')));
        break;
    }
    std::free(line);
    std::fclose(f);
    return type;
}

int TimeGranularityOfMount(const std::string& dir) {
    struct statfs fsInfo;
    if (statfs(dir.c_str(), &fsInfo) != 0) return 1;
    if (IsTwoSecondFsType(static_cast<unsigned long>(fsInfo.f_type))) return 2;
    if (static_cast<unsigned long>(fsInfo.f_type) != kFuseMagic) return 1;
    // A FUSE mount tells its file system only in the mount table.
    struct stat s;
    if (stat(dir.c_str(), &s) != 0) return 1;
    return IsTwoSecondFuseType(MountTypeOfDevice(major(s.st_dev), minor(s.st_dev))) ? 2 : 1;
}

#endif  // !_WIN32
