#include "settings/ini_store.h"

#include <algorithm>
#include <cstdint>

#include "core/handle_guard.h"
#include "settings/ini_encoding.h"

namespace {

// Length of the directory part of path, its last separator included.
std::size_t DirectoryPartLength(const std::string& path) {
    std::size_t base = path.size();
    while (base > 0 && !IsPathSeparator(path[base - 1])) --base;
    return base;
}

// Reads to the end straight into text; sizeHint (the size the file's status
// gave) spares the regrowing of a large file's text.
bool ReadAll(FileSystem& fs, FileHandle h, std::string& text, std::uint64_t sizeHint) {
    constexpr std::uint64_t kMinBuffer = 1 << 16;
    constexpr std::uint64_t kMaxHint = 1 << 26;
    text.resize(static_cast<std::size_t>(std::clamp(sizeHint + 1, kMinBuffer, kMaxHint)));
    std::size_t used = 0;
    for (;;) {
        if (used == text.size()) text.resize(text.size() * 2);
        const long long n = fs.Read(h, text.data() + used, text.size() - used);
        if (n < 0) return false;
        if (n == 0) break;
        used += static_cast<std::size_t>(n);
    }
    text.resize(used);
    return true;
}

// The file a save replaces. A settings file that is a link (one kept in a
// dotfiles repository) is followed to the file at the end of its chain of
// links, so that the link stays a link and the file it leads to gets the new
// text. The system's path walk resolves each relative link against its own
// folder and tells a chain that loops or dangles; that gives "", as does a
// missing name or a layer that cannot resolve paths.
std::string FileToReplace(FileSystem& fs, const std::string& path) {
    FileStatus st;
    if (path.empty() || !fs.GetLinkStatus(path, st)) return {};
    if (!st.isLink) return path;
    std::string target;
    return fs.RealPath(path, target) ? target : std::string();
}

}  // namespace

std::string SettingsStore::TempPath() const {
    const std::size_t base = DirectoryPartLength(path);
    return path.substr(0, base) + "$$" + path.substr(base) + "$$";
}

std::string SettingsStore::FileName() const { return path.substr(DirectoryPartLength(path)); }

std::string SettingsStore::Folder() const {
    const std::size_t base = DirectoryPartLength(path);
    if (base == 0) return ".";
    return base == 1 ? path.substr(0, 1) : path.substr(0, base - 1);
}

SettingsRead ReadSettingsText(const SettingsStore& store, std::string& text) {
    text.clear();
    FileStatus st;
    if (!store.HasFile() || !store.fs->GetStatus(store.path, st)) return SettingsRead::Missing;
    // Only a regular file is read: a FIFO of that name would block the open.
    if (!st.isFile) return SettingsRead::NotAFile;
    FileSystem& fs = *store.fs;
    const HandleGuard file(fs, fs.OpenRead(store.path));
    if (!file.valid()) return SettingsRead::Unreadable;
    std::string bytes;
    const bool ok = ReadAll(fs, file.get(), bytes, st.size);
    if (ok) text = SettingsTextOfFile(bytes);
    return ok ? SettingsRead::Read : SettingsRead::Unreadable;
}

bool ReplaceSettingsText(const SettingsStore& store, const std::string& text) {
    if (!store.HasFile()) return false;
    FileSystem& fs = *store.fs;
    // The temporary file lies beside the file replaced, for the rename
    // cannot cross folders (nor, often, file systems).
    const SettingsStore replaced{FileToReplace(fs, store.path), &fs};
    const std::string& fileName = replaced.path;
    const std::string tempName = replaced.TempPath();
    FileStatus st;
    if (fileName.empty() || !fs.GetStatus(fileName, st) || !st.isFile) return false;

    // A leftover temporary file is removed rather than opened, so that a link
    // of that name cannot lead the write into another file.
    fs.Remove(tempName);
    const unsigned mode = st.mode & 0777;
    HandleGuard temp(fs, fs.Create(tempName, true, mode));
    if (!temp.valid()) return false;
    fs.SetMode(temp.get(), mode);  // the umask may have narrowed it; a failure only costs the bits
    const std::string bytes = SettingsFileOfText(text);
    const bool written = WriteAll(fs, temp.get(), bytes.data(), bytes.size());
    // The data reaches the medium before the rename: a power cut then leaves
    // the old file or the new one, never an empty one. Close is checked: it
    // may be the first to report that the data did not fit.
    const bool synced = written && fs.SyncData(temp.get());
    const bool closed = temp.Close();
    if (!synced || !closed || !fs.Rename(tempName, fileName)) {
        fs.Remove(tempName);
        return false;
    }
    // The rename itself is made durable; where the directory cannot be
    // flushed (some file systems refuse), the file is replaced all the same.
    fs.SyncDirectory(replaced.Folder());
    return true;
}

bool CreateSettingsFile(const SettingsStore& store) {
    if (!store.HasFile()) return false;
    // Exclusive: an existing file (or a link of that name) is never taken over.
    HandleGuard file(*store.fs, store.fs->Create(store.path, true, 0666));
    return file.valid() && file.Close();
}
