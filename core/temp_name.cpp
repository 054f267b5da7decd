#include "core/temp_name.h"

#include <atomic>
#include <cerrno>
#include <charconv>

#include "core/filesystem.h"
#include "core/handle_guard.h"
#include "core/reached_directory.h"

#ifndef _WIN32
#include <unistd.h>
#else
#include <windows.h>

#include "core/win32_text.h"
#endif

namespace {

#ifndef _WIN32
long ThisProcess() { return static_cast<long>(getpid()); }

const std::string& ThisHost() {
    static const std::string host = [] {
        char name[256] = {};
        if (gethostname(name, sizeof name - 1) != 0 || name[0] == 0) return std::string("localhost");
        // A name must not carry a separator into the directory entry.
        std::string h(name);
        for (char& c : h)
            if (c == '/') c = '_';
        return h;
    }();
    return host;
}

#else
long ThisProcess() { return static_cast<long>(GetCurrentProcessId()); }

const std::string& ThisHost() {
    static const std::string host = [] {
        wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
        DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
        if (!GetComputerNameW(name, &size) || size == 0) return std::string("localhost");
        return WideToUtf8(std::wstring_view(name, size));
    }();
    return host;
}
#endif

// The number at the end of text after its last '-'; text is cut before it.
bool TakeNumber(std::string_view& text, long& value) {
    const std::size_t dash = text.rfind('-');
    if (dash == std::string_view::npos || dash + 1 == text.size()) return false;
    const std::string_view digits = text.substr(dash + 1);
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec != std::errc() || end != digits.data() + digits.size() || value < 0) return false;
    text = text.substr(0, dash);
    return true;
}

}  // namespace

std::string MakeCopyTempName() {
    static std::atomic<unsigned long> counter{0};
    std::string name(kCopyTempPrefix);
    name += ThisHost();
    name += '-';
    name += std::to_string(ThisProcess());
    name += '-';
    name += std::to_string(counter.fetch_add(1) + 1);
    name += kCopyTempSuffix;
    return name;
}

bool ParseCopyTempName(std::string_view name, std::string& host, long& pid) {
    if (!IsCopyTempName(name)) return false;
    std::string_view rest = name.substr(kCopyTempPrefix.size(),
                                        name.size() - kCopyTempPrefix.size() - kCopyTempSuffix.size());
    long counter = 0;
    if (!TakeNumber(rest, counter) || !TakeNumber(rest, pid) || rest.empty()) return false;
    host = rest;
    return true;
}

CopyTempState ProbeCopyTemp(FileSystem& fs, const ReachedDirectory& dir, const std::string& name) {
    if (dir.error() != 0) return CopyTempState::NotOurs;
    const HandleGuard file(fs, fs.OpenExistingAt(dir.handle(), dir.path(), name, false));
    if (!file.valid()) return CopyTempState::NotOurs;
    // The copy locks its file before it marks it: locked is in use, whether
    // or not the mark is there yet.
    if (fs.IsLockedElsewhere(file.get())) return CopyTempState::InUse;
    return fs.HasCopyMark(file.get()) ? CopyTempState::Leftover : CopyTempState::NotOurs;
}

bool RemoveCopyLeftover(FileSystem& fs, const ReachedDirectory& dir, const std::string& name) {
    if (dir.error() != 0) return false;
    const HandleGuard writable(fs, fs.OpenExistingAt(dir.handle(), dir.path(), name, true));
    const HandleGuard readable(fs, fs.OpenExistingAt(dir.handle(), dir.path(), name, false));
    const FileHandle h = writable.valid() ? writable.get() : readable.get();
    if (h == kInvalidHandle || !fs.HasCopyMark(h)) return false;
    // Holding the lock keeps a copy that is just starting from taking the
    // file for its own; without a writable handle, at least nobody may hold it.
    if (writable.valid() ? !fs.LockFile(h) : fs.IsLockedElsewhere(h)) return false;
    // The name must still lead to the file that was looked at.
    FileStatus opened, named;
    if (!fs.GetHandleStatus(h, opened) || !fs.GetLinkStatusAt(dir.handle(), dir.path(), name, named) ||
        named.isLink || opened.inode != named.inode || opened.device != named.device)
        return false;
    return fs.RemoveAt(dir.handle(), dir.path(), name);
}
