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
