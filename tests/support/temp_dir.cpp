#include "support/temp_dir.h"

#ifndef _WIN32
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <atomic>
#include <chrono>
#include <vector>

#include <windows.h>
#undef CreateDirectory

#include "core/filesystem.h"
#include "core/win32_text.h"
#endif

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

TempDir::TempDir() : TempDir(std::string()) {}

namespace {

// A path of the program's UTF-8 as the standard library takes it (on
// Windows a narrow string would be read in the ANSI code page).
std::filesystem::path Fs(const std::string& path) {
    return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

}  // namespace

#ifdef _WIN32
TempDir::TempDir(const std::string& base) {
    std::string root = base;
    if (root.empty()) {
        const std::u8string tmp = std::filesystem::temp_directory_path().u8string();
        root.assign(tmp.begin(), tmp.end());
        while (!root.empty() && (root.back() == '\\' || root.back() == '/')) root.pop_back();
    }
    static std::atomic<unsigned> counter{0};
    const auto seed = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string path = root + "/zoruna-test-" + std::to_string(seed % 1000000007ULL) + "-" +
                                 std::to_string(counter.fetch_add(1));
        std::error_code ec;
        if (std::filesystem::create_directory(Fs(path), ec)) {
            m_path = path;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary directory");
}
#else
TempDir::TempDir(const std::string& base) {
    const char* env = std::getenv("TMPDIR");
    std::string tmpl = (!base.empty() ? base : env && *env ? env : "/tmp") + "/zoruna-test-XXXXXX";
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    m_path = tmpl;
}
#endif

#ifdef _WIN32
namespace {

// Removes the folder dir (in the long \\?\ form, which the standard
// library's removal cannot walk beyond 260 characters) with everything in
// it, read-only files too.
void RemoveTree(const std::wstring& dir) {
    WIN32_FIND_DATAW data;
    const HANDLE find = FindFirstFileW((dir + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = dir + L"\\" + name;
            const bool folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                                !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (folder) RemoveTree(path);
            else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveDirectoryW(path.c_str());
            else DeleteFileW(path.c_str());
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(dir.c_str());
}

}  // namespace

TempDir::~TempDir() {
    std::wstring wide;
    if (LongWidePath(m_path, wide)) RemoveTree(wide);
}
#else
TempDir::~TempDir() {
    std::error_code ec;
    // Read-only leftovers of a test must not keep the directory alive.
    for (auto& e : std::filesystem::recursive_directory_iterator(Fs(m_path), ec))
        std::filesystem::permissions(e.path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(Fs(m_path), ec);
}
#endif

std::string TempDir::operator/(std::string_view name) const { return m_path + "/" + std::string(name); }

std::string TempDir::MakeDir(std::string_view name) const {
    const std::string p = *this / name;
    std::filesystem::create_directories(Fs(p));
    return p;
}

void WriteFile(const std::string& path, std::string_view content, FileTime mtime) {
    {
        std::ofstream f(Fs(path), std::ios::binary | std::ios::trunc);
        if (!f) throw std::runtime_error("cannot write " + path);
        f.write(content.data(), static_cast<std::streamsize>(content.size()));
    }
    if (mtime != 0) {
#ifdef _WIN32
        if (!RealFileSystem().SetTimesOf(path, mtime, 0, mtime, 0)) throw std::runtime_error("times of " + path);
#else
        struct timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(mtime), 0}};
        if (utimensat(AT_FDCWD, path.c_str(), times, 0) != 0) throw std::runtime_error("utimensat " + path);
#endif
    }
}

std::string ReadFile(const std::string& path) {
    std::ifstream f(Fs(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

#ifdef _WIN32
// Through the file-system layer: it reads names as UTF-8 and lists without
// the ANSI code page.
bool FileExists(const std::string& path) {
    FileStatus st;
    return RealFileSystem().GetLinkStatus(path, st);
}

FileTime ModTime(const std::string& path) {
    FileStatus st;
    return RealFileSystem().GetStatus(path, st) ? st.mtime : 0;
}

std::string ListNames(const std::string& dir) {
    std::vector<std::string> names;
    std::vector<DirEntry> entries;
    RealFileSystem().ListDirectory(dir, entries);
    for (const DirEntry& e : entries) names.push_back(e.name);
#else
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
#endif
    std::sort(names.begin(), names.end());
    std::string all;
    for (const auto& n : names) all += (all.empty() ? "" : " ") + n;
    return all;
}
