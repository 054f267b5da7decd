// A FAT file system image mounted through fusefat for the life of the object,
// for tests of what FAT does to times. Mounting needs root, /dev/fuse,
// mkfs.vfat and fusefat; when any is missing, skipReason() says which.
#pragma once

#include <string>

#include "support/temp_dir.h"

class FatImage {
public:
    FatImage();
    ~FatImage();
    FatImage(const FatImage&) = delete;
    FatImage& operator=(const FatImage&) = delete;

    // Empty when the image is mounted; otherwise why it could not be.
    const std::string& skipReason() const { return m_skipReason; }
    // The mounted file system's root directory.
    const std::string& root() const { return m_mountPoint; }

private:
    TempDir m_dir;
    std::string m_mountPoint;
    std::string m_skipReason;
    bool m_mounted = false;
};

// Sets a file's access and modification times together: FAT's FUSE driver
// ignores a change of the modification time alone.
void SetBothTimes(const std::string& path, FileTime mtime);
