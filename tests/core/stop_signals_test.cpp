// The stop requests of a --sync run, in this process: which request it
// records, that a new run starts without one, and that the handlers of
// before come back when the run ends. (The whole run stopped by a signal
// from outside is tested on a child process, see headless_process_test.)
#ifndef _WIN32

#include "cli/stop_signals.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <csignal>
#include <cstdio>

namespace {

struct RequestCase {
    const char* name;
    int raised;  // 0: none
    int recorded;
};

class StopRequest : public ::testing::TestWithParam<RequestCase> {};

TEST_P(StopRequest, IsRecordedAsItsSignal) {
    const RequestCase& c = GetParam();
    const StopSignals stop(stderr);
    if (c.raised != 0) {
        ASSERT_EQ(std::raise(c.raised), 0);
    }
    EXPECT_EQ(StopSignals::received(), c.recorded);
}

INSTANTIATE_TEST_SUITE_P(Requests, StopRequest,
                         ::testing::Values(RequestCase{"CtrlC", SIGINT, SIGINT},
                                           RequestCase{"Terminate", SIGTERM, SIGTERM},
                                           RequestCase{"None", 0, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StopSignals, ANewRunStartsWithoutTheLastOnesRequest) {
    {
        const StopSignals first(stderr);
        ASSERT_EQ(std::raise(SIGINT), 0);
        ASSERT_EQ(StopSignals::received(), SIGINT);
    }
    const StopSignals second(stderr);
    EXPECT_EQ(StopSignals::received(), 0);
}

extern "C" void IgnoreSignal(int) {}

TEST(StopSignals, PutsTheHandlersOfBeforeBack) {
    struct sigaction mine {};
    mine.sa_handler = IgnoreSignal;
    sigemptyset(&mine.sa_mask);
    struct sigaction oldInt {}, oldTerm {};
    ASSERT_EQ(sigaction(SIGINT, &mine, &oldInt), 0);
    ASSERT_EQ(sigaction(SIGTERM, &mine, &oldTerm), 0);
    {
        const StopSignals stop(stderr);
        // Caught and reset by the run (a second one would end the process).
        ASSERT_EQ(std::raise(SIGINT), 0);
    }
    for (int sig : {SIGINT, SIGTERM}) {
        struct sigaction now {};
        ASSERT_EQ(sigaction(sig, nullptr, &now), 0);
        EXPECT_EQ(now.sa_handler, IgnoreSignal) << sig;
    }
    sigaction(SIGINT, &oldInt, nullptr);
    sigaction(SIGTERM, &oldTerm, nullptr);
}

}  // namespace

#endif  // !_WIN32
