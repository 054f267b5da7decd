#include "core/transfer_rate.h"

#include <cmath>

void TransferRate::Add(Clock::time_point at, std::uint64_t done) {
    m_samples.push_back({at, done});
    // Keep one sample at or before the window's start, so that the speed
    // always spans the whole window once the run is that long.
    while (m_samples.size() > 2 && at - m_samples[1].at >= kWindow) m_samples.pop_front();
}

std::optional<double> TransferRate::BytesPerSecond() const {
    if (m_samples.size() < 2) return std::nullopt;
    const Sample& first = m_samples.front();
    const Sample& last = m_samples.back();
    const std::chrono::duration<double> span = last.at - first.at;
    if (span < kFirstEstimate) return std::nullopt;
    const double bytes = last.done >= first.done ? static_cast<double>(last.done - first.done) : 0.0;
    return bytes / span.count();
}

std::optional<std::chrono::seconds> TransferRate::TimeLeft(std::uint64_t total) const {
    const std::optional<double> speed = BytesPerSecond();
    if (!speed || *speed <= 0) return std::nullopt;
    const std::uint64_t done = m_samples.back().done;
    const double left = total > done ? static_cast<double>(total - done) : 0.0;
    return std::chrono::seconds(static_cast<std::int64_t>(std::ceil(left / *speed)));
}
