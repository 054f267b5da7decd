// Work on a worker thread while the window thread handles its events: the
// ticks come while the work waits for them, hand-overs run on the window
// thread in order, and exceptions cross back in both directions.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

#include "gui/support/gui_test_main.h"
#include "ui/worker_loop.h"

namespace {

TEST(WorkerLoop, TicksComeWhileTheWorkWaitsAndHandOversRunOnTheWindowThreadInOrder) {
    WorkerLoop loop;
    std::atomic<int> ticks{0};
    std::vector<int> handedOver;  // window thread only
    std::thread::id workThread;
    loop.Run(
        [&] {
            workThread = std::this_thread::get_id();
            // Only the window thread's timer can end this wait.
            while (ticks.load() < 3) std::this_thread::yield();
            for (int i = 0; i < 3; ++i)
                loop.OnWindowThread([&handedOver, i] {
                    EXPECT_TRUE(wxIsMainThread());
                    handedOver.push_back(i);
                });
        },
        [&] {
            EXPECT_TRUE(wxIsMainThread());
            EXPECT_TRUE(loop.Running());
            ++ticks;
        },
        std::chrono::milliseconds(1));
    EXPECT_FALSE(loop.Running());
    EXPECT_NE(workThread, std::this_thread::get_id());
    EXPECT_EQ(handedOver, (std::vector<int>{0, 1, 2}));
}

TEST(WorkerLoop, ExceptionsCrossToTheOtherThread) {
    WorkerLoop loop;
    bool seenInWork = false;
    EXPECT_THROW(loop.Run(
                     [&] {
                         try {
                             loop.OnWindowThread([] { throw std::runtime_error("window"); });
                         } catch (const std::runtime_error& e) {
                             seenInWork = std::string(e.what()) == "window";
                         }
                         throw std::logic_error("work");
                     },
                     nullptr),
                 std::logic_error);
    EXPECT_TRUE(seenInWork);
    EXPECT_FALSE(loop.Running());
}

}  // namespace
