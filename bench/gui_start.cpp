// Time from starting `zoruna` until its window "Zoruna" is mapped on the
// display (run under Xvfb by the benchmark script). Each start gets a fresh
// home folder, so that a running instance elsewhere cannot keep it out, and
// is ended with SIGTERM once the window is there.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/bench_support.h"

namespace {

constexpr int kRuns = 7;
constexpr double kTimeoutMs = 20000;
constexpr double kTargetMs = 300;

bool IsZorunaWindow(Display* display, Window w) {
    char* name = nullptr;
    const bool match = XFetchName(display, w, &name) && name && std::strcmp(name, "Zoruna") == 0;
    if (name) XFree(name);
    return match;
}

// CPU time (user + system, all threads) that process pid has used so far.
double CpuMs(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // Fields after the command name in parentheses; utime and stime are the
    // 12th and 13th of them.
    std::istringstream rest(stat.substr(stat.rfind(')') + 2));
    std::string field;
    double ticks = 0;
    for (int i = 1; i <= 13 && rest >> field; ++i)
        if (i >= 12) ticks += std::stod(field);
    return ticks * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

struct Shown {
    double wallMs = -1;  // negative when the window never appeared
    double cpuMs = 0;
};

// Time from the start until a top-level window named "Zoruna" is mapped.
Shown TimeToWindow(Display* display, const std::string& home) {
    XSync(display, True);  // forget the events of earlier runs
    const double start = NowMs();
    const pid_t pid = StartChild({SiblingProgram("zoruna")}, home, "/dev/null", {"HOME=" + home});
    Shown shown;
    while (shown.wallMs < 0 && NowMs() - start < kTimeoutMs) {
        while (shown.wallMs < 0 && XPending(display)) {
            XEvent e;
            XNextEvent(display, &e);
            if (e.type == MapNotify && IsZorunaWindow(display, e.xmap.window)) {
                shown.wallMs = NowMs() - start;
                shown.cpuMs = CpuMs(pid);
            }
        }
        if (shown.wallMs >= 0 || waitpid(pid, nullptr, WNOHANG) == pid) break;
        pollfd fd{ConnectionNumber(display), POLLIN, 0};
        poll(&fd, 1, 50);
    }
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    return shown;
}

}  // namespace

int main() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "no display: run under xvfb-run\n");
        return 1;
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);

    std::vector<double> wall, cpu;
    for (int i = 0; i < kRuns; ++i) {
        BenchTempDir home;
        std::ofstream(home.path() + "/zoruna.INI");
        const Shown t = TimeToWindow(display, home.path());
        if (t.wallMs < 0) {
            std::fprintf(stderr, "zoruna showed no window\n");
            return 1;
        }
        wall.push_back(t.wallMs);
        cpu.push_back(t.cpuMs);
    }
    // The CPU time tells what a busy machine does to the wall time.
    std::printf("window shown after start (target %.0f ms), %d starts:\n", kTargetMs, kRuns);
    std::printf("    wall  first %5.0f ms   median %5.0f ms\n", wall.front(), Median(wall));
    std::printf("    cpu   first %5.0f ms   median %5.0f ms\n", cpu.front(), Median(cpu));
    XCloseDisplay(display);
    return 0;
}
