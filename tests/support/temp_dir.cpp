#include "support/temp_dir.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

TempDir::TempDir() : TempDir(std::string()) {}

TempDir::TempDir(const std::string& base) {
    const char* env = std::getenv("TMPDIR");
    std::string tmpl = (!base.empty() ? base : env && *env ? env : "/tmp") + "/zoruna-test-XXXXXX";
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    m_path = tmpl;
}

TempDir::~TempDir() {
    std::error_code ec;
    // Read-only leftovers of a test must not keep the directory alive.
    for (auto& e : std::filesystem::recursive_directory_iterator(m_path, ec))
        std::filesystem::permissions(e.path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(m_path, ec);
}

std::string TempDir::operator/(std::string_view name) const { return m_path + "/" + std::string(name); }

std::string TempDir::MakeDir(std::string_view name) const {
    const std::string p = *this / name;
    std::filesystem::create_directories(p);
    return p;
}

void WriteFile(const std::string& path, std::string_view content, FileTime mtime) {
    {
        std::ofstream f(path, std::ios::binary | std::ios::trunc);
        if (!f) throw std::runtime_error("cannot write " + path);
        f.write(content.data(), static_cast<std::streamsize>(content.size()));
    }
    if (mtime != 0) {
        struct timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(mtime), 0}};
        if (utimensat(AT_FDCWD, path.c_str(), times, 0) != 0) throw std::runtime_error("utimensat " + path);
    }
}

std::string ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

bool FileExists(const std::string& path) {
    struct stat s;
    return lstat(path.c_str(), &s) == 0;
}

FileTime ModTime(const std::string& path) {
    struct stat s;
    if (stat(path.c_str(), &s) != 0) return 0;
    return static_cast<FileTime>(s.st_mtim.tv_sec);
}

std::string ListNames(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (const dirent* e = readdir(d)) {
            const std::string n = e->d_name;
            if (n != "." && n != "..") names.push_back(n);
        }
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    std::string all;
    for (const auto& n : names) all += (all.empty() ? "" : " ") + n;
    return all;
}
