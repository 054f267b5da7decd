#include "support/fat_image.h"

#include <cstdlib>
#include <stdexcept>

#ifdef _WIN32
#include "core/filesystem.h"

FatImage::FatImage() { m_skipReason = "no FAT image is mounted on Windows (the FUSE mount is Linux's)"; }

FatImage::~FatImage() = default;

void SetBothTimes(const std::string& path, FileTime mtime) {
    if (!RealFileSystem().SetTimesOf(path, mtime, 0, mtime, 0)) throw std::runtime_error("times of " + path);
}
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool Run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

}  // namespace

FatImage::FatImage() {
    if (geteuid() != 0) {
        m_skipReason = "mounting a FAT image through FUSE needs root";
        return;
    }
    if (access("/dev/fuse", R_OK | W_OK) != 0) {
        m_skipReason = "no usable /dev/fuse";
        return;
    }
    if (!Run("command -v mkfs.vfat") || !Run("command -v fusefat")) {
        m_skipReason = "mkfs.vfat or fusefat is not installed (scripts/install-deps.sh installs them)";
        return;
    }
    const std::string image = m_dir / "fat.img";
    m_mountPoint = m_dir.MakeDir("mnt");
    if (!Run("truncate -s 8M '" + image + "' && mkfs.vfat '" + image + "'")) {
        m_skipReason = "mkfs.vfat failed";
        return;
    }
    if (!Run("fusefat -o rw+ '" + image + "' '" + m_mountPoint + "'")) {
        m_skipReason = "fusefat could not mount the image";
        return;
    }
    m_mounted = true;
}

FatImage::~FatImage() {
    if (m_mounted) Run("fusermount -u '" + m_mountPoint + "'");
}

void SetBothTimes(const std::string& path, FileTime mtime) {
    const struct timespec times[2] = {{static_cast<time_t>(mtime), 0}, {static_cast<time_t>(mtime), 0}};
    if (utimensat(AT_FDCWD, path.c_str(), times, 0) != 0) throw std::runtime_error("utimensat " + path);
}
#endif  // _WIN32
