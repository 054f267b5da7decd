// The speed of a copy and the time it has left, from the bytes done at
// moments of the run. The speed is that of the last few seconds, so the time
// left follows a change (a slower disk, a run of small files) without
// jumping at every tick. The moments are given by the caller: no clock here.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>

class TransferRate {
public:
    using Clock = std::chrono::steady_clock;
    // How far back the speed looks.
    static constexpr std::chrono::seconds kWindow{5};
    // Less than this of the run seen: too early to tell a speed.
    static constexpr std::chrono::seconds kFirstEstimate{1};

    // Bytes done by that moment; moments come in order.
    void Add(Clock::time_point at, std::uint64_t done);
    // Bytes per second over the window; none until kFirstEstimate has passed.
    std::optional<double> BytesPerSecond() const;
    // Whole seconds until total is done at that speed (rounded up); none
    // while there is no speed or nothing moves.
    std::optional<std::chrono::seconds> TimeLeft(std::uint64_t total) const;

private:
    struct Sample {
        Clock::time_point at;
        std::uint64_t done;
    };
    std::deque<Sample> m_samples;  // the oldest is the window's start
};
