// The stop requests of a --sync run, in this process: which request it
// records, that a new run starts without one, and that the handlers of
// before come back when the run ends. (The whole run stopped by a signal
// from outside is tested on a child process, see headless_process_test.)
#include "cli/stop_signals.h"

#include <gtest/gtest.h>

#ifdef _WIN32

#include <windows.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>

namespace {

// The console calls the handler on a thread of its own, once per event.
struct ConsoleEventCase {
    const char* name;
    unsigned long event;
    int recorded;
};

class ConsoleStop : public ::testing::TestWithParam<ConsoleEventCase> {};

// The first event of a kind is the run's stop request; a second one goes on
// to the default handler, which ends the process, as a second SIGINT does.
TEST_P(ConsoleStop, IsRecordedOnceThenPassedOn) {
    const ConsoleEventCase& c = GetParam();
    std::atomic<int> first{-1}, second{-1};
    std::thread console;
    {
        const StopSignals stop(stderr);
        // A close event holds the console's thread until the run ends (the
        // process ends when the handler returns).
        console = std::thread([&] {
            first = HandleConsoleStop(c.event);
            second = HandleConsoleStop(c.event);
        });
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (StopSignals::received() == 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::yield();
        EXPECT_EQ(StopSignals::received(), c.recorded);
    }
    console.join();
    EXPECT_NE(first.load(), 0) << "taken as the run's stop request";
    EXPECT_EQ(second.load(), 0) << "passed on to the default handler";
}

INSTANTIATE_TEST_SUITE_P(Events, ConsoleStop,
                         ::testing::Values(ConsoleEventCase{"CtrlC", CTRL_C_EVENT, SIGINT},
                                           ConsoleEventCase{"CtrlBreak", CTRL_BREAK_EVENT, SIGINT},
                                           ConsoleEventCase{"ConsoleClosed", CTRL_CLOSE_EVENT, SIGTERM},
                                           ConsoleEventCase{"Shutdown", CTRL_SHUTDOWN_EVENT, SIGTERM}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

#else

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

#endif  // _WIN32
