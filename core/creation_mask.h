// The permission bits that new files and folders do not get (the process
// umask), asked of the file system once, when a run first creates something:
// a run creates many, and the POSIX layer reads the mask from /proc.
#pragma once

#include "core/filesystem.h"

class CreationMaskCache {
public:
    explicit CreationMaskCache(FileSystem& fs) : m_fs(fs) {}

    unsigned Get() {
        if (!m_known) {
            m_mask = m_fs.CreationMask() & 0777;
            m_known = true;
        }
        return m_mask;
    }

private:
    FileSystem& m_fs;
    unsigned m_mask = 0;
    bool m_known = false;
};
