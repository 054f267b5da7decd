#include "core/temp_name.h"

#include <atomic>
#include <cerrno>
#include <charconv>

#include "core/filesystem.h"

#ifndef _WIN32
#include <signal.h>
#include <unistd.h>
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

// A process that exists but belongs to someone else answers EPERM.
bool ProcessRuns(long pid) { return kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM; }
#else
long ThisProcess() { return 0; }
const std::string& ThisHost() {
    static const std::string host("localhost");
    return host;
}
bool ProcessRuns(long) { return true; }
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

bool RemoveDeadCopyTemp(FileSystem& fs, const std::string& dir, std::string_view name) {
    std::string host;
    long pid = 0;
    if (!ParseCopyTempName(name, host, pid) || host != ThisHost() || pid <= 0) return false;
    if (pid == ThisProcess() || ProcessRuns(pid)) return false;
    return fs.Remove(JoinPath(dir, name));
}
