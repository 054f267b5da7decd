// Stop requests for a --sync run: Ctrl+C and a request to end the process
// ask the comparison or the copy to stop instead of killing the process in
// the middle of a file. On POSIX systems that is SIGINT and SIGTERM; on
// Windows the console's Ctrl+C and Ctrl+Break (as SIGINT) and its close,
// log-off and shut-down events (as SIGTERM), so the exit statuses are the same.
#pragma once

#include <cstdio>

class StopSignals {
public:
    // Catches the requests while it lives; one that cannot be caught is
    // named on err and keeps ending the process at once (no file is left
    // half-written: a copy's temporary file is renamed only once complete).
    explicit StopSignals(std::FILE* err);
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // The signal number of the first request (SIGINT, SIGTERM); 0 while none
    // came. Safe from any thread.
    static int received();
};

#ifdef _WIN32
// The console's handler of a stop event (CTRL_C_EVENT and the others), run
// on a thread the console starts: nonzero when the run takes the event as
// its stop request, zero to pass it on to the default handler, which ends
// the process.
int __stdcall HandleConsoleStop(unsigned long event);
#endif
