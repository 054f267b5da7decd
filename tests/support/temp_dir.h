// A real temporary directory for tests, removed with everything in it.
#pragma once

#include <string>
#include <string_view>

#include "core/records.h"

class TempDir {
public:
    TempDir();
    // In base instead of $TMPDIR or /tmp (base empty: as TempDir()).
    explicit TempDir(const std::string& base);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return m_path; }
    // path() + "/" + name
    std::string operator/(std::string_view name) const;
    // Creates a subdirectory and returns its path.
    std::string MakeDir(std::string_view name) const;

private:
    std::string m_path;
};

// Writes a file with the given content and, when mtime is not 0, that
// modification time (seconds since 1970 UTC).
void WriteFile(const std::string& path, std::string_view content, FileTime mtime = 0);
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);
FileTime ModTime(const std::string& path);
// Names in a directory (without "." and ".."), sorted.
std::string ListNames(const std::string& dir);
