// TEMPORARY stand-in for the Win32 file system, replaced by the real one
// (this same file) when it lands: enough of the layer, by path, to start the
// Windows program, compare real folders and copy files under Wine. Names are
// UTF-8 here and UTF-16 at the system's edge. No handles of directories, no
// links, no flushes, no attributes.
#include "core/filesystem.h"

#include <windows.h>
// The layer's own CreateDirectory, not the header's macro for CreateDirectoryA.
#undef CreateDirectory

#include <algorithm>
#include <cerrno>

namespace {

std::wstring Wide(const std::string& s) {
    if (s.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

std::string Narrow(const wchar_t* w) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, w, -1, nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<std::size_t>(n > 0 ? n - 1 : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w, -1, s.data(), n, nullptr, nullptr);
    return s;
}

constexpr std::int64_t kUnixEpochIn100ns = 116444736000000000LL;

void FromFileTime(const FILETIME& ft, FileTime& sec, std::int32_t& nsec) {
    const std::int64_t t = (static_cast<std::int64_t>(ft.dwHighDateTime) << 32 | ft.dwLowDateTime) - kUnixEpochIn100ns;
    sec = t / 10000000;
    nsec = static_cast<std::int32_t>(t % 10000000) * 100;
}

FILETIME ToFileTime(FileTime sec, std::int32_t nsec) {
    const std::int64_t t = sec * 10000000 + nsec / 100 + kUnixEpochIn100ns;
    return {static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)};
}

int ErrnoOf(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND: return ENOENT;
        case ERROR_ACCESS_DENIED: return EACCES;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS: return EEXIST;
        case ERROR_DISK_FULL: return ENOSPC;
        default: return EIO;
    }
}

template <typename T>
T Failed(T result) {
    errno = ErrnoOf(GetLastError());
    return result;
}

HANDLE Native(FileHandle h) { return reinterpret_cast<HANDLE>(h); }

class Win32FileSystem final : public FileSystem {
public:
    bool ListDirectory(const std::string& dir, std::vector<DirEntry>& out) override {
        out.clear();
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW(Wide(JoinPath(dir, "*")).c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) return Failed(false);
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            const bool isDir = data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
            out.push_back({Narrow(data.cFileName), !isDir, isDir});
        } while (FindNextFileW(find, &data));
        FindClose(find);
        return true;
    }

    bool GetStatus(const std::string& path, FileStatus& st) override {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data)) return Failed(false);
        st = {};
        st.isDirectory = data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
        st.isFile = !st.isDirectory;
        FromFileTime(data.ftLastWriteTime, st.mtime, st.mtimeNsec);
        FromFileTime(data.ftLastAccessTime, st.atime, st.atimeNsec);
        st.ctime = st.mtime;
        st.ctimeNsec = st.mtimeNsec;
        st.size = static_cast<std::uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
        st.mode = data.dwFileAttributes & FILE_ATTRIBUTE_READONLY ? 0444 : 0644;
        return true;
    }

    FileHandle OpenRead(const std::string& path) override {
        HANDLE h = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        return h == INVALID_HANDLE_VALUE ? Failed(kInvalidHandle) : reinterpret_cast<FileHandle>(h);
    }

    FileHandle Create(const std::string& path, bool exclusive, unsigned /*mode*/) override {
        HANDLE h = CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                               exclusive ? CREATE_NEW : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        return h == INVALID_HANDLE_VALUE ? Failed(kInvalidHandle) : reinterpret_cast<FileHandle>(h);
    }

    long long Read(FileHandle h, void* buf, std::size_t n) override {
        DWORD got = 0;
        if (!ReadFile(Native(h), buf, static_cast<DWORD>(std::min<std::size_t>(n, 1 << 30)), &got, nullptr))
            return Failed(-1LL);
        return got;
    }

    long long Write(FileHandle h, const void* buf, std::size_t n) override {
        DWORD put = 0;
        if (!WriteFile(Native(h), buf, static_cast<DWORD>(std::min<std::size_t>(n, 1 << 30)), &put, nullptr))
            return Failed(-1LL);
        return put;
    }

    long long CopyChunk(FileHandle, FileHandle, std::size_t) override { return kCopyUnsupported; }
    bool SetMode(FileHandle, unsigned) override { return true; }

    bool SetTimes(FileHandle h, FileTime atime, std::int32_t atimeNsec, FileTime mtime,
                  std::int32_t mtimeNsec) override {
        const FILETIME a = ToFileTime(atime, atimeNsec);
        const FILETIME m = ToFileTime(mtime, mtimeNsec);
        return SetFileTime(Native(h), nullptr, &a, &m) ? true : Failed(false);
    }

    bool Close(FileHandle h) override { return CloseHandle(Native(h)) ? true : Failed(false); }

    bool Rename(const std::string& from, const std::string& to) override {
        return MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING) ? true : Failed(false);
    }

    bool Remove(const std::string& path) override {
        return DeleteFileW(Wide(path).c_str()) ? true : Failed(false);
    }

    bool IsWritable(const std::string& path) override {
        const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_READONLY);
    }

    bool CreateDirectory(const std::string& path, unsigned) override {
        return CreateDirectoryW(Wide(path).c_str(), nullptr) ? true : Failed(false);
    }
    bool SetModeOf(const std::string&, unsigned) override { return true; }
};

}  // namespace

FileSystem& RealFileSystem() {
    static Win32FileSystem fs;
    return fs;
}
