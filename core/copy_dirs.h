// The directories that a copy into a subfolder needs on the destination
// side: the ones missing are created, and get their source's permission
// bits and times once the run's files are in them.
#pragma once

#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/filesystem.h"

class DirectoryMaker {
public:
    explicit DirectoryMaker(FileSystem& fs) : m_fs(fs) {}

    // Makes sure that every directory of the relative path relTo below
    // toDir exists as a directory of its own (not a link to one, which would
    // lead the copy out of the tree). A missing one is created after the
    // directory at the same place below fromDir (relFrom, with as many
    // components). Returns 0 or the errno of the failure; EEXIST when
    // something other than a directory is in the way.
    int Ensure(std::string_view fromDir, std::string_view relFrom, std::string_view toDir, std::string_view relTo);

    // Parents of the directories created since the last call: their new
    // entries must reach the disk before a file in them is reported copied.
    std::set<std::string> TakeNewEntries() { return std::exchange(m_newEntries, {}); }

    // Gives every directory created its source's permission bits (less the
    // umask) and times, the deepest first: creating a directory changes its
    // parent's time. Best effort: the files inside are already in place.
    void Finish();

private:
    // Finds or creates one directory; parent is the directory holding it.
    int Make(const std::string& path, const std::string& source, const std::string& parent);

    struct Created {
        std::string path;
        std::string source;
        unsigned mode;  // the bits it is to have in the end
    };

    FileSystem& m_fs;
    std::set<std::string> m_known;  // directories found or made this run
    std::vector<Created> m_created;
    std::set<std::string> m_newEntries;
    int m_creationMask = -1;
};
