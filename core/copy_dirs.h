// The directories that a copy into a subfolder needs on the destination
// side: the ones missing are created, and get their source's permission
// bits and times once the run's files are in them. Every folder is reached
// from the pair's directory one name at a time, never through a link, and
// a folder made here is changed only through a handle on it.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/creation_mask.h"
#include "core/filesystem.h"

class DirectoryMaker {
public:
    DirectoryMaker(FileSystem& fs, CreationMaskCache& creationMask) : m_fs(fs), m_creationMask(creationMask) {}

    // Makes sure that every directory of the relative path relTo below
    // toDir exists as a directory of its own (not a link to one, which would
    // lead the copy out of the tree). A missing one is created after the
    // directory at the same place below fromDir (relFrom, with as many
    // components). Returns 0 or the errno of the failure: EEXIST when
    // something other than a directory is in the way on the destination
    // side, ELOOP or ENOTDIR when the source's folder is no folder.
    int Ensure(const std::string& fromDir, std::string_view relFrom, const std::string& toDir,
               std::string_view relTo);

    // Parents of the directories created since the last call: their new
    // entries must reach the disk before a file in them is reported copied.
    std::set<std::string> TakeNewEntries() { return std::exchange(m_newEntries, {}); }

    // Gives every directory created its source's permission bits (less the
    // umask) and times, the deepest first: creating a directory changes its
    // parent's time. A folder that is no longer the one made here is left
    // alone. Best effort: the files inside are already in place.
    void Finish();

private:
    struct Created {
        std::string toDir;
        std::string rel;
        std::string fromDir;
        std::string sourceRel;
        unsigned mode;  // the bits it is to have in the end
        std::uint64_t device;
        std::uint64_t inode;
    };

    FileSystem& m_fs;
    CreationMaskCache& m_creationMask;
    std::set<std::pair<std::string, std::string>> m_known;  // (toDir, rel) found or made this run
    std::vector<Created> m_created;
    std::set<std::string> m_newEntries;
};
