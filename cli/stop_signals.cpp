#include "cli/stop_signals.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#endif

namespace {

// Lock-free, so the handler may set it and the comparison's listing threads
// may read it (StopRequested is asked from any thread).
std::atomic<int> g_stopSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);

#ifdef _WIN32

// Set when the StopSignals of the run goes: a close event waits for it.
std::atomic<HANDLE> g_runEnded{nullptr};
std::array<std::atomic<bool>, 2> g_seen{};  // Ctrl+C/Break, close/log-off/shut-down

#else

extern "C" void RecordStopSignal(int sig) { g_stopSignal.store(sig); }

struct Catch {
    int signal;
    const char* name;
    struct sigaction old {};
    bool installed = false;
};
// One run at a time catches the signals.
std::array<Catch, 2> g_catches{{{SIGINT, "SIGINT", {}, false}, {SIGTERM, "SIGTERM", {}, false}}};

#endif

}  // namespace

#ifdef _WIN32

// The first request
// of a kind records its signal; a second one of the same kind is passed on
// to the default handler, which ends the process at once, as a second
// SIGINT does on POSIX. After a close event Windows ends the process when
// the handler returns (or after a few seconds): the handler waits for the
// run to stop first.
int __stdcall HandleConsoleStop(unsigned long event) {
    int sig = 0;
    std::size_t kind = 0;
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
            sig = SIGINT;
            break;
        case CTRL_CLOSE_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            sig = SIGTERM;
            kind = 1;
            break;
        default:
            return FALSE;
    }
    if (g_seen[kind].exchange(true)) return FALSE;
    g_stopSignal.store(sig);
    if (kind == 1) {
        const HANDLE runEnded = g_runEnded.load();
        if (runEnded) WaitForSingleObject(runEnded, 4000);
    }
    return TRUE;
}

StopSignals::StopSignals(std::FILE* err) {
    g_stopSignal.store(0);
    for (auto& seen : g_seen) seen.store(false);
    g_runEnded = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!SetConsoleCtrlHandler(HandleConsoleStop, TRUE))
        std::fprintf(err, "zoruna: cannot catch Ctrl+C (error %lu); it ends the run at once\n", GetLastError());
}

StopSignals::~StopSignals() {
    SetConsoleCtrlHandler(HandleConsoleStop, FALSE);
    if (const HANDLE runEnded = g_runEnded.exchange(nullptr)) {
        SetEvent(runEnded);
        CloseHandle(runEnded);
    }
}

#else

// A second signal of the same kind ends the process as usual (SA_RESETHAND).
StopSignals::StopSignals(std::FILE* err) {
    g_stopSignal.store(0);
    struct sigaction sa {};
    sa.sa_handler = RecordStopSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART | SA_RESETHAND;
    for (Catch& c : g_catches) {
        c.installed = sigaction(c.signal, &sa, &c.old) == 0;
        if (!c.installed)
            std::fprintf(err, "zoruna: cannot catch %s (%s); it ends the run at once\n", c.name, std::strerror(errno));
    }
}

StopSignals::~StopSignals() {
    for (Catch& c : g_catches)
        if (c.installed) sigaction(c.signal, &c.old, nullptr);
}

#endif

int StopSignals::received() { return g_stopSignal.load(); }
