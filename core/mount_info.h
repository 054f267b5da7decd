// What the system's mount table and file-system types say about a mounted
// file system (POSIX; core/mount_info.cpp).
#pragma once

#include <string>
#include <string_view>

// The type ("ext4", "fuse.fusefat", "fuseblk", ...) of the mounted file system
// whose device is devMajor:devMinor, as the mount table in mountinfo format
// lists it; empty when the table cannot be read or holds no such device.
std::string MountTypeOfDevice(unsigned devMajor, unsigned devMinor,
                              const char* mountInfoPath = "/proc/self/mountinfo");

// True for the FUSE forms of FAT and exFAT, which keep times in 2-second steps.
// "fuseblk" is what exfat-fuse mounts show; ntfs-3g shows it too, and there the
// wider tolerance only makes files edited within 2 seconds compare as equal.
bool IsTwoSecondFuseType(std::string_view type);

// Steps, in seconds, in which the file system holding dir keeps modification
// times: 2 on FAT and exFAT (the kernel's or a FUSE form), 1 elsewhere and
// where it cannot be told.
int TimeGranularityOfMount(const std::string& dir);
