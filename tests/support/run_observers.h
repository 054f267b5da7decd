// Observers of a comparison for tests: one that keeps the listing failures
// it hears of, and one that hears nothing.
#pragma once

#include <functional>
#include <utility>
#include <vector>

#include "core/run_observer.h"

class FailureCollector : public RunObserver {
public:
    FailureCollector() = default;
    // Also calls onFailure for each failure, as it is heard.
    explicit FailureCollector(std::function<void(const ListingFailure&)> onFailure)
        : m_onFailure(std::move(onFailure)) {}

    void OnListingFailure(const ListingFailure& failure) override {
        failures.push_back(failure);
        if (m_onFailure) m_onFailure(failure);
    }

    std::vector<ListingFailure> failures;

private:
    std::function<void(const ListingFailure&)> m_onFailure;
};

// Hears nothing and never stops a run; shared, as it keeps no state.
inline RunObserver& Unobserved() {
    static RunObserver quiet;
    return quiet;
}
